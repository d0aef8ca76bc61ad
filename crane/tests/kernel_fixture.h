// A crane-runway position calculated by the real kernel: the installation
// of the build tree, a scratch folder with an empty position document, the
// module data, and a recording message sink; everything removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <utility>

#include "crane/CraneOperations.h"
#include "module/tests/moddata_fixture.h"

namespace cranetest {

class KernelCraneTest : public ::testing::Test {
protected:
    explicit KernelCraneTest(std::string scratch) : scratch_(std::move(scratch)) {}
    static void SetUpTestSuite() { moddatatest::UseBuildRoot(); }
    void SetUp() override {
        dir_ = moddatatest::Scratch(scratch_);
        doc_ = ZEVUD_CreateDoc((dir_ / "Kranbahn.vkx").string().c_str());
        ASSERT_NE(doc_, 0u);
    }
    void TearDown() override {
        d_.m_steelSections.Reset();
        d_.RemoveTempSectionFile();
        if (doc_) ZEVUD_CloseDoc(doc_);
        std::error_code ec;
        moddatatest::fs::remove_all(dir_, ec);
    }
    std::string scratch_;
    moddatatest::fs::path dir_;
    winsys::ScopedRecordingSink sink_;
    ZVDOC doc_ = 0;
    CModuleData d_;
};

}  // namespace cranetest
