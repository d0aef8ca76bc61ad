// An example position of examples/ read into a module data object, for the
// tests that draw it on screen: the example is copied into a scratch folder
// of the test (named by prefix and the process) and opened there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

class ExamplePosition : public ::testing::TestWithParam<const char*> {
protected:
    explicit ExamplePosition(std::string prefix) : prefix_(std::move(prefix)) {}
    static void SetUpTestSuite() {
        winsys::SetHostExecutablePath(std::filesystem::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    }
    void SetUp() override {
        namespace fs = std::filesystem;
        dir = fs::path(RIGEL_TEST_TMP) / (prefix_ + std::to_string(::getpid()));
        fs::create_directories(dir);
        const fs::path file = dir / (std::string(GetParam()) + ".vkx");
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / (std::string(GetParam()) + ".vkx"), file,
                      fs::copy_options::overwrite_existing);
        doc = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(doc, 0);
        d.ReadData(doc);
        if (d.IsCraneRunway()) d.GenerateCranePositions();
        d.DefineVariables();
    }
    void TearDown() override {
        d.m_steelSections.Reset();
        if (doc) ZEVUD_CloseDoc(doc);
        doc = 0;
        std::error_code ec;
        std::filesystem::remove(dir / (std::string(GetParam()) + ".vkx"), ec);
    }

    std::filesystem::path dir;
    ZVDOC doc = 0;
    CModuleData d;

private:
    std::string prefix_;
};
