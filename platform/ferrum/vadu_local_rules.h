// The girder plates and the load spread of the local wheel-load check, for
// the checks that build on it (local stresses, fatigue, rail weld).
#pragma once

#include <vector>

#include "platform/ferrum/ferrum.h"
#include "platform/ferrum/onfly_section.h"

namespace ferrum {

// The plates of a section that the local checks need: a flange (top or
// bottom) and the web, in cm (z grows downwards).
struct LocalGeometry {
    bool ok = false;
    int web = -1;
    double tw = 0, yWeb = 0, zWebTop = 0, zWebBottom = 0;
    double tf = 0, zFlange = 0, yMin = 0, yMax = 0;
    std::vector<int> flange;  // plate indexes of the flange
};

// The web (role 3) and the flange of role flangeRole (1 top, 2 bottom) of
// a calculated section; ok is false when one of them is missing.
LocalGeometry FindLocalGeometry(const OnTheFlySection& s, int flangeRole);

// The effective loaded length leff in mm of EN 1993-6, Table 5.1, for the
// worn rail of the input on the top flange of g (see ferrum.h for the
// three cases and beff of eq. (5.2)).
double EffectiveLoadedLength(const FER_VaduLocalInput& in, const LocalGeometry& g);

}  // namespace ferrum
