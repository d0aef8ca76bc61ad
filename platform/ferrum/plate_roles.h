// Roles of the plates of a thin-walled section (top and bottom flange, web,
// flange plates), shared by the c/t classification and the sections built
// on the fly.
#pragma once

#include <vector>

namespace ferrum {

// A plate by its centre line (z grows downwards).
struct PlateLine {
    double ya = 0, za = 0, ye = 0, ze = 0;
};

// Plate roles of an I-section: exactly one vertical plate (the web) and
// otherwise horizontal plates. The horizontal plates nearest to the web's
// ends are the flanges (1 top, 2 bottom), plates further out flange plates
// (5 top, 6 bottom), the web 3. Any other arrangement gives every plate 0.
// tol is the length below which coordinates count as equal.
std::vector<int> FindPlateRoles(const std::vector<PlateLine>& plates, double tol);

}  // namespace ferrum
