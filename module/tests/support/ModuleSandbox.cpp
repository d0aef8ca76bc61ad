#include "ModuleSandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace moduletest {

namespace {
std::atomic<int> g_counter{0};
}

Sandbox::Sandbox() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "nontest";
    for (char& c : name)
        if (c == '/') c = '_';
    root_ = fs::path(RIGEL_TEST_TMP) / "module" /
            (name + "_" + std::to_string(getpid()) + "_" + std::to_string(g_counter++));
    fs::remove_all(root_);
    fs::create_directories(Bin());
    fs::create_directories(Pi());
    fs::create_directories(RegistryDir());
    winsys::SetHostExecutablePath(Bin() / "velor2005");
    setenv("VELOR_REGISTRY_DIR", RegistryDir().c_str(), 1);
    winsys::RegistryReload();
}

Sandbox::~Sandbox() {
    std::error_code ec;
    fs::remove_all(root_, ec);
    winsys::RegistryReload();
}

fs::path Sandbox::WriteFile(const fs::path& rel, const std::string& content) const {
    fs::path p = rel.is_absolute() ? rel : root_ / rel;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
    return p;
}

std::string Sandbox::ReadFile(const fs::path& p) const {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

fs::path PluginDir() { return fs::path(RIGEL_TEST_PLUGIN_DIR); }

}  // namespace moduletest
