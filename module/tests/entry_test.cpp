// The host's view of the module: the built libDlgRigel.so is loaded as the
// host loads it and sent command documents; and the installed
// program-information files of this module's two programs.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "ModuleSandbox.h"
#include "module/frame/CommandDocument.h"
#include "module/frame/ProgDB.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

using InterfaceFunc = int64_t (*)(uint32_t);
using Teardown = void (*)();

class ModuleLibrary : public testing::Test {
protected:
    void SetUp() override {
        fs::path lib = fs::path(RIGEL_BUILD_ROOT) / "bin" / "libDlgRigel.so";
        handle_ = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        entry_ = reinterpret_cast<InterfaceFunc>(dlsym(handle_, "interfaceFunc"));
        ASSERT_NE(entry_, nullptr);
    }
    void TearDown() override {
        if (handle_) {
            if (auto teardown = reinterpret_cast<Teardown>(dlsym(handle_, "RigelModuleTeardown"))) teardown();
            dlclose(handle_);
        }
    }
    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
    void* handle_ = nullptr;
    InterfaceFunc entry_ = nullptr;
};

struct Param {
    const char* type;
    int64_t value;
};

struct Case {
    const char* name;
    const char* action;
    int warning;
    std::vector<Param> params;
    int64_t result;
    const char* message;  // nullptr: none
};

TEST_F(ModuleLibrary, AnswersCommandDocuments) {
    static void (*tip)(const char*) = [](const char*) {};
    const int64_t tipValue = static_cast<int64_t>(reinterpret_cast<uintptr_t>(tip));
    const Case cases[] = {
        {"wrong count", "SilentCalc", 1, {{"int", 1}, {"int", 2}}, 0, "Wrong number of parameters!"},
        {"no parameters", "SetData", 1, {}, 0, "Wrong number of parameters!"},
        {"wrong type", "SilentCalc", 1, {{"CWnd*", 1}}, 0, "Type mismatch!"},
        {"second type wrong", "SetData", 0, {{"CWnd*", 1}, {"BOOL", 2}}, 0, "Type mismatch!"},
        {"variant type compared", "CanExportTo", 0, {{"vecExportToStruct*", 1}, {"int", 2}}, 0, "Type mismatch!"},
        {"unknown, silent", "Foo", 0, {}, 0, nullptr},
        {"unknown, warned", "Foo", 1, {}, 0, "Funktion 'Foo' nicht implementiert!"},
        {"case matters", "silentcalc", 1, {{"int", 1}}, 0, "Funktion 'silentcalc' nicht implementiert!"},
        {"tip routine", "RegisterShowRtfTip", 1, {{"TYPE_SHOWRTFTIP", tipValue}}, 1, nullptr},
    };
    for (const Case& c : cases) {
        sink_.Clear();
        ZVDOC doc = CreateCommand(c.action, c.warning);
        for (const Param& p : c.params) AddCommandParam(doc, p.type, p.value);
        EXPECT_EQ(entry_(doc), c.result) << c.name;
        if (c.message) {
            ASSERT_EQ(sink_.messages.size(), 1u) << c.name;
            EXPECT_EQ(sink_.messages[0].text, c.message) << c.name;
            EXPECT_EQ(sink_.messages[0].buttons, winsys::Buttons::Ok) << c.name;
        } else {
            EXPECT_TRUE(sink_.messages.empty()) << c.name;
        }
        ZEVUD_CloseDoc(doc);  // the sender closes its document
    }
}

TEST_F(ModuleLibrary, HostRoutineRegistrationIsExported) {
    using Register = int32_t (*)(int32_t, uint64_t);
    auto reg = reinterpret_cast<Register>(dlsym(handle_, "RigelRegisterHostRoutine"));
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg(1, 0x1234), 1);
    EXPECT_EQ(reg(2, 0x1234), 1);
    EXPECT_EQ(reg(3, 0x1234), 0);
    EXPECT_EQ(reg(1, 0), 0);
}

TEST(InstalledProgramFiles, NameTheModuleAndTheKernel) {
    moduletest::Sandbox box;
    box.WriteFile(box.Bin() / "libDlgRigel.so", "");  // the module beside the host
    CProgDB db((fs::path(RIGEL_BUILD_ROOT) / "pi").string());
    // Both programs name the module's report routines (the kernel then
    // writes none).
    struct Case {
        const char* prog;
        const char* rtfLib;
        const char* rtfProc;
    } cases[] = {{"RIGEL", "DlgRigel.dll", "REVUVUvarudIVA"}, {"VADU", "DlgRigel.dll", "DEZADododaROV"}};
    for (const Case& c : cases) {
        const char* prog = c.prog;
        CProgDBEntry* e = db.FindProgram(prog, "");
        ASSERT_NE(e, nullptr) << prog;
        EXPECT_EQ(e->m_strDLLName, "DlgRigel.dll");
        EXPECT_EQ(e->m_strProcName, "interfaceFunc");
        EXPECT_EQ(e->m_strCalcDLLName, "Tovik.dll");
        EXPECT_EQ(e->m_strCalcProcName, "RIREZ_Aver");
        EXPECT_EQ(e->m_strRtfDLLName, c.rtfLib);
        EXPECT_EQ(e->m_strRtfProcName, c.rtfProc);
        EXPECT_EQ(e->m_progType, 0);
        EXPECT_EQ(e->m_masks, std::vector<std::string>{"%s.rtf"});
    }
    // A position file is classified by its head.
    fs::path pos = box.WriteFile("k.vkx", "<root progname=\"VADU\" modulename=\"\" version=\"1\"/>");
    CProgDBEntry* e = db.FindProgramByFile(pos.string());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_strShortProgName, "VADU");
}

}  // namespace
