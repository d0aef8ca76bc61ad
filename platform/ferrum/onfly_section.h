// The table of the sections built on the fly (FER_h* handles), for the
// checks of the library that work on them.
#pragma once

#include <string>
#include <vector>

#include "platform/ferrum/ferrum.h"
#include "platform/zidezaz/zidezaz.h"

namespace ferrum {

struct OnTheFlySection {
    std::string code;
    int annex = 1;
    double gM0 = 1.0, gM1 = 1.1, gM2 = 1.25;
    std::vector<SektWLine> lines;
    std::vector<int> roles;  // one per line after FER_hCalculate
    int profile = 0;         // section-library profile after FER_hCalculate
    double additional[FER_H_MAX_ADDITIONAL] = {};
};

// The open section of handle h, or nullptr (h 0, closed or never made).
OnTheFlySection* FindOnTheFly(int h);

}  // namespace ferrum
