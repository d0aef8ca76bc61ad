// What the tests that run the host program as a process share: a scratch
// folder per test (work/ for positions, io/ for what the process prints,
// registry/ for its settings), kept when the test failed so that it can be
// looked at, and the helpers for files and shell words.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "host/tests/host_run.h"
#include "testsupport/host_process.h"

namespace host_test {

inline void WriteAll(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// Replaces the first occurrence of from; the test fails when there is none.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

inline std::string Quoted(const std::string& word) { return test_support::ShellQuote(word); }

// The bytes of an example position of the source tree.
inline std::string Example(const std::string& name) {
    return ReadAll(std::filesystem::path(RIGEL_SOURCE_DIR) / "examples" / name);
}

// RIGEL_TEST_TMP/<prefix>_<pid>_<test>, made afresh by SetUpScratch.
class HostScratch : public ::testing::Test {
protected:
    void SetUpScratch(const std::string& prefix) {
        dir_ = std::filesystem::path(RIGEL_TEST_TMP) /
               (prefix + "_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        for (const char* sub : {"work", "io", "registry"}) std::filesystem::create_directories(dir_ / sub);
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty() && !HasFailure()) std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path Work(const std::string& name) const { return dir_ / "work" / name; }

    std::filesystem::path dir_;
};

}  // namespace host_test
