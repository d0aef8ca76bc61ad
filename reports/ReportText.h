// Texts of the report writers: translation with the report's application,
// section and area, and printf-style formatting in the "C" locale (numbers
// always with a decimal point).
#pragma once

#include <filesystem>
#include <string>

#include "platform/lingo/lingo.h"
#include "platform/zadevoz/zadevoz.h"

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

// The page header's fields of the position, added to a header block (NUL-
// separated fields ending in two NULs) before its end: "@A=" the project (the
// report library's setting "Projekt", or else the folder that holds the
// position) and "@P=" the position's name (its file's name) with its
// description after a dash when it has one.
inline std::string WithPositionFields(std::string header, const std::string& reportFile,
                                      const std::string& description) {
    const std::filesystem::path file(reportFile);
    std::string project = zadevoz::RtfSettings("gets/Projekt");
    if (project.empty()) project = file.parent_path().filename().string();
    std::string position = PlainToRtf(file.stem().string());
    if (!description.empty()) position += (position.empty() ? "" : " \xE2\x80\x93 ") + PlainToRtf(description);
    while (!header.empty() && header.back() == '\0') header.pop_back();
    if (!header.empty()) header += '\0';
    header += "@A=" + PlainToRtf(project);
    header += '\0';
    header += "@P=" + position;
    header += '\0';
    header += '\0';
    return header;
}

}  // namespace report_text
