// Texts of the report writers: translation with the report's application,
// section and area, and printf-style formatting in the "C" locale (numbers
// always with a decimal point).
#pragma once

#include <string>

#include "platform/lingo/lingo.h"

namespace report_text {

constexpr const char* kApp = "VKT Ausgabe";
constexpr const char* kSection = "velor_o_rigel";
constexpr const char* kAreaMember = "RigelDataRTF";  // member design
constexpr const char* kAreaCrane = "VORIZiviREV";    // crane runway

inline std::string Translate(const char* area, const std::string& text) {
    return lingo::Translate(kApp, kSection, area, text);
}

// The translated format filled with the arguments.
template <class... A>
std::string Format(const char* area, const std::string& format, const A&... args) {
    return lingo::FormatTranslated(format, Translate(area, format), args...);
}

// A format filled without translation.
template <class... A>
std::string FormatRaw(const std::string& format, const A&... args) {
    return lingo::FormatTranslated(format, format, args...);
}

// A plain text (a result path, a name) as RTF text: backslashes and braces
// are escaped, so that the text shows as it is.
inline std::string PlainToRtf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '{' || c == '}') out += '\\';
        out += c;
    }
    return out;
}

}  // namespace report_text
