// A scratch folder the test process works in, and a guard for an environment
// variable. Header-only, shared by the test fixtures of several folders.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace test_support {

// The folder RIGEL_TEST_TMP/<name>, emptied and made current while the object
// lives; the previous working folder comes back and the folder is removed.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name) {
        path_ = std::filesystem::path(RIGEL_TEST_TMP) / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_, old_;
};

// Sets or clears an environment variable for the lifetime of the object.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        if (const char* v = std::getenv(name)) {
            had_ = true;
            old_ = v;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvGuard() {
        if (had_)
            ::setenv(name_.c_str(), old_.c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

}  // namespace test_support
