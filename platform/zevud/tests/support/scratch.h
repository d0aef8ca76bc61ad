// Scratch folders and small file helpers for the document library's tests.
#pragma once

#include <filesystem>
#include <string>

namespace zevud_test {

// A fresh folder below the test scratch area, unique to this process and
// test; removed again by the destructor.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::string& bytes);

}  // namespace zevud_test
