// Checks of method arguments shared by the two pictures.
#pragma once

#include <cmath>

#include "platform/kurvo/kurvo.h"

namespace kurvo {

// Every number and every array value of the call is finite.
inline bool AllFinite(const Args& args) {
    for (const auto& a : args) {
        if (!std::isfinite(a.num)) return false;
        for (double v : a.values)
            if (!std::isfinite(v)) return false;
    }
    return true;
}

}  // namespace kurvo
