// The host's calculation of a kernel text input file: "velor2005 calc
// <file.vk1>" runs the kernel's text entry and names the report it wrote.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Host.h"
#include "host/tests/host_run.h"
#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

namespace fs = std::filesystem;

namespace {

using host_test::HostRun;
using host_test::ReadAll;
using host_test::RunHost;

class HostTextFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("host_vk1_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // The section file of the run ("<name>.skw") with the member's profile
    // from the installed catalogue.
    bool MakeSectionFile(const fs::path& file, const std::string& name, const std::string& catalogPath) {
        const int cat = SEKT_DB_Open((fs::path(RIGEL_BUILD_ROOT) / "profil.skw").string().c_str(), 0);
        if (cat < 0) return false;
        const int pro = SEKT_PRO_Create();
        const bool found = SEKT_DB_GetProject(cat, catalogPath.c_str(), pro) >= 0;
        SEKT_DB_Close(cat);
        if (!found) return SEKT_PRO_Delete(pro), false;
        const int db = SEKT_DB_Open(file.string().c_str(), 3);
        const bool ok =
            db >= 0 && SEKT_DB_AddProject(db, ("\\" + name).c_str(), pro) == 0 && SEKT_DB_Save(db, nullptr) == 0;
        if (db >= 0) SEKT_DB_Close(db);
        SEKT_PRO_Delete(pro);
        return ok;
    }
    fs::path dir_;
};

TEST_F(HostTextFile, ExampleMemberIsCalculatedAndItsReportOpens) {
    const fs::path input = dir_ / "Einfeldtraeger.vk1";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vk1", input);
    ASSERT_TRUE(MakeSectionFile(dir_ / "Einfeldtraeger.skw", "IPE 300", "\\IPE\\IPE 300"));
    winsys::ScopedRecordingSink sink;
    const HostRun r = RunHost({"calc", input.string()});
    const fs::path report = dir_ / "Einfeldtraeger_XXX.rtf";
    EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
    EXPECT_NE(r.out.find("Bericht: " + report.string()), std::string::npos) << r.out << r.err;
    ASSERT_TRUE(fs::exists(report));
    EXPECT_EQ(ReadAll(report).rfind("{\\rtf", 0), 0u);
    // A run without errors leaves no side file.
    EXPECT_FALSE(fs::exists(dir_ / "Einfeldtraeger.err")) << ReadAll(dir_ / "Einfeldtraeger.err");
    EXPECT_FALSE(fs::exists(dir_ / "Einfeldtraeger.dru"));
    // The kernel announces the calculation.
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages[0].text, "Berechnen von Einfeldtraeger");
}

TEST_F(HostTextFile, MissingSectionFileKeepsTheErrorFileAndFails) {
    const fs::path input = dir_ / "Ohne.vk1";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vk1", input);
    winsys::ScopedRecordingSink sink;
    const HostRun r = RunHost({"calc", input.string()});
    EXPECT_TRUE(fs::exists(dir_ / "Ohne.err"));
    EXPECT_NE((r.out + r.err).find("Fehlerprotokoll: " + (dir_ / "Ohne.err").string()), std::string::npos)
        << r.out << r.err;
}

TEST_F(HostTextFile, DamagedFileIsNotCalculated) {
    const fs::path input = dir_ / "Kaputt.vk1";
    std::ofstream(input) << "    1    2    1    5  8.00 'VK-TOVIK'\n \xAEx\xAF\n 40 0 1 0\n";
    winsys::ScopedRecordingSink sink;
    const HostRun r = RunHost({"calc", input.string()});
    EXPECT_EQ(r.code, host::ExitCalcFailed);
    EXPECT_FALSE(fs::exists(dir_ / "Kaputt_XXX.rtf"));
    ASSERT_TRUE(fs::exists(dir_ / "Kaputt.err"));
    EXPECT_NE(ReadAll(dir_ / "Kaputt.err").find("Anzahl der Felder = 40"), std::string::npos);
}

}  // namespace
