// A scratch installation for one test: its own folder with bin/ (where the
// host executable is said to live) and pi/, and a registry of its own.
#pragma once

#include <filesystem>
#include <string>

#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace moduletest {

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Bin() const { return root_ / "bin"; }
    std::filesystem::path Pi() const { return root_ / "pi"; }
    std::filesystem::path RegistryDir() const { return root_ / "registry-user"; }
    // Writes a text file (folders created) and returns its path.
    std::filesystem::path WriteFile(const std::filesystem::path& rel, const std::string& content) const;
    std::string ReadFile(const std::filesystem::path& p) const;

private:
    std::filesystem::path root_;
};

// The folder of the test plug-in libraries built beside the tests.
std::filesystem::path PluginDir();

}  // namespace moduletest
