#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Host.h"
#include "host/HostCommand.h"
#include "host/tests/host_run.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

fs::path Scratch(const std::string& name) {
    fs::path dir = fs::path(RIGEL_TEST_TMP) / "host" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

using host_test::HostRun;
using host_test::ReadAll;
using host_test::RunHost;

TEST(HostCommand, ParametersAreNumberedAndCarry64BitValues) {
    const int64_t pointerLike = 0x7ffd12345678abcdLL;
    host::HostCommand cmd("SilentCalc", false);
    cmd.AddParam("int", 17);
    cmd.AddParam("CString*", pointerLike);
    ZVELEM root = ZEVUD_GetRootElement(cmd.Handle());
    ASSERT_NE(root, 0u);
    EXPECT_EQ(zevud::GetString(root, "action"), "SilentCalc");
    EXPECT_EQ(ZEVUD_GetInt(root, "numOfParams"), 2);
    EXPECT_FALSE(ZEVUD_HasAttr(root, "NotImplementedWarning"));
    ZVELEM p0 = ZEVUD_FindFirstChildWithAttr(root, "num", "0");
    ZVELEM p1 = ZEVUD_FindFirstChildWithAttr(root, "num", "1");
    ASSERT_NE(p0, 0u);
    ASSERT_NE(p1, 0u);
    EXPECT_EQ(zevud::GetString(p0, "type"), "int");
    EXPECT_EQ(ZEVUD_GetInt64(p0, "value"), 17);
    EXPECT_EQ(zevud::GetString(p1, "type"), "CString*");
    EXPECT_EQ(ZEVUD_GetInt64(p1, "value"), pointerLike);
}

TEST(HostCommand, WarningFlagIsWrittenOnlyWhenAsked) {
    host::HostCommand cmd("Foo", true);
    EXPECT_EQ(ZEVUD_GetInt(ZEVUD_GetRootElement(cmd.Handle()), "NotImplementedWarning"), 1);
}

TEST(Host, CommandLineErrors) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string errPart;
    } cases[] = {
        {{}, host::ExitBadInput, "Aufruf"},
        {{"rechne"}, host::ExitBadInput, "unbekannter Aufruf"},
        {{"calc"}, host::ExitBadInput, "unbekannter Aufruf"},
        {{"calc", "/nonexistent/folder/pos.vkx"}, host::ExitBadInput, "nicht gefunden"},
    };
    for (const auto& c : cases) {
        HostRun r = RunHost(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
    }
    HostRun help = RunHost({"--help"});
    EXPECT_EQ(help.code, host::ExitOk);
    EXPECT_NE(help.out.find("velor2005 calc"), std::string::npos);
}

TEST(Host, DamagedPositionIsRefusedAndLeftAsItWas) {
    winsys::ScopedRecordingSink sink;
    fs::path dir = Scratch("damaged");
    fs::path file = dir / "Kaputt.vkx";
    const std::string content = "<root progname=\"x\"><input><unclosed></root";
    std::ofstream(file, std::ios::binary) << content;
    HostRun r = RunHost({"calc", file.string()});
    EXPECT_EQ(r.code, host::ExitBadInput);
    EXPECT_NE(r.err.find("beschädigt"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(file), content);
}

TEST(Host, FindsPositionWhoseNameDiffersInCase) {
    winsys::ScopedRecordingSink sink;
    fs::path dir = Scratch("case");
    ZVDOC d = ZEVUD_CreateDoc((dir / "Traeger.vkx").string().c_str());
    ZEVUD_SetString(ZEVUD_GetRootElement(d), "progname", "RIGEL");
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZEVUD_CloseDoc(d);
    HostRun r = RunHost({"calc", (dir / "TRAEGER.VKX").string()});
    // The file is found; whatever the module answers, it is not a missing file.
    EXPECT_EQ(r.err.find("nicht gefunden"), std::string::npos) << r.err;
}

}  // namespace
