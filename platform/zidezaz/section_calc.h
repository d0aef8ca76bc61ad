// The thin-walled section calculator behind SEKT_PRO_Calculate (internal).
#pragma once

#include <vector>

#include "platform/zidezaz/zidezaz.h"

namespace zidezaz::detail {

struct SectionResults {
    SektGqs gqs{};
    SektSqs sqs{};
    SektTqs tqs{};
    std::vector<SektTqe> tqe;
    std::vector<SektDrawPoint> drawing;
};

// Calculates the values of a profile made of the given wall lines.
// Returns 1 when calculated, 0 when there is no plate with area (results are
// then zero, Sqs.Ptyp = -1).
int CalculateSection(const std::vector<SektWLine>& lines, SectionResults& out);

}  // namespace zidezaz::detail
