// Runs report-writing code into a fresh RTF document and reads the document
// back with the tests' RTF reader. Header-only.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "testsupport/scratch.h"
#include "testsupport/rtf_reader.h"
#include "platform/zadevoz/zadevoz.h"

namespace report_test {

// The document written by body (between opening and closing), read back.
inline rtftest::Document WriteAndRead(const std::function<void()>& body) {
    const auto dir = std::filesystem::path(RIGEL_TEST_TMP) / ("reports_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "report.rtf").string();
    std::filesystem::remove(file);
    zadevoz::RtfResetReport();
    zadevoz::RtfOpenDocument(file, 0, 0, 1, "nologo\0\0");
    body();
    zadevoz::RtfCloseDocument(0);
    zadevoz::RtfResetReport();
    rtftest::Document doc = rtftest::ParseRtfFile(file);
    std::filesystem::remove_all(dir);
    return doc;
}

}  // namespace report_test
