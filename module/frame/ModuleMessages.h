// Messages of the module frame: translated, filled and shown through the
// message sink with an OK button.
#pragma once

#include <string>

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace rigel {

inline constexpr const char* kAppInput = "VKT Eingabe";
inline constexpr const char* kSectionCommon = "velor_i_common";

// Translates a printf format (application "VKT Eingabe") and fills it; the
// original format is used when the translation changed its conversions.
template <class... A>
std::string TranslateFormat(const char* section, const char* area, const char* format, A... args) {
    std::string translated = lingo::Translate(kAppInput, section, area, format);
    if constexpr (sizeof...(A) == 0)
        return lingo::FormatTranslated(format, translated);
    else
        return lingo::FormatTranslated(format, translated, args...);
}

// Shows a translated, filled message of the shared framework.
template <class... A>
int ShowCommonMessage(const char* area, const char* format, A... args) {
    return winsys::MessageBox(TranslateFormat(kSectionCommon, area, format, args...), "",
                              winsys::Buttons::Ok, winsys::Icon::None);
}

}  // namespace rigel
