// main() of the window tests: the application object offscreen (or on the
// platform RIGEL_TEST_PLATFORM names), at 96 dpi,
// in the Fusion style, under a German locale when the machine has one (the
// numeric locale stays "C" all the same).
#include <gtest/gtest.h>

#include <QApplication>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

// LeakSanitizer reads its options before main: the suppressions of leaks
// inside system libraries come from the file the build names.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" RIGEL_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

#include "platform/wl/application.h"

int main(int argc, char** argv) {
    // Offscreen, unless a run on a display server asks for its platform
    // (RIGEL_TEST_PLATFORM=xcb under xvfb-run).
    const char* platform = std::getenv("RIGEL_TEST_PLATFORM");
    setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
    setenv("RIGEL_SCREENSHOTS", RIGEL_SCREENSHOTS_DIR, 0);
    // One registry folder per test process: CTest runs the tests of one
    // executable side by side, and settings one test writes must not reach
    // another running at the same time.
    const std::string registryDir = std::string(RIGEL_TEST_TMP) + "/registry-" + std::to_string(getpid());
    const bool ownRegistry = !std::getenv("VELOR_REGISTRY_DIR");
    if (ownRegistry) setenv("VELOR_REGISTRY_DIR", registryDir.c_str(), 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string runtime = std::string(RIGEL_TEST_TMP) + "/runtime-" + std::to_string(getuid());
        mkdir(RIGEL_TEST_TMP, 0755);
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_SCALE_FACTOR", "1", 1);
    unsetenv("QT_SCREEN_SCALE_FACTORS");
    unsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        setenv("LC_ALL", "de_DE.UTF-8", 1);
        setenv("LANG", "de_DE.UTF-8", 1);
    }
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    int result;
    {
        auto app = wl::MakeApplication(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (ownRegistry) {
        std::error_code ec;
        std::filesystem::remove_all(registryDir, ec);
    }
    return result;
}
