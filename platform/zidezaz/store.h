// Internal state of the section library: profiles by handle.
#pragma once

#include <vector>

#include "platform/zidezaz/section_calc.h"

namespace zidezaz::detail {

struct Profile {
    std::vector<SektWLine> lines;
    std::vector<SektWLineGroup> groups;
    std::vector<SektWLineParam> params;
    bool calculated = false;
    int status = 0;  // result of the last calculation
    SectionResults results;
};

Profile* FindProfile(int pro);

}  // namespace zidezaz::detail
