// Command documents and the delivery to another module's interface routine.
#include <gtest/gtest.h>

#include <filesystem>

#include "ModuleSandbox.h"
#include "module/frame/CommandDocument.h"
#include "module/frame/HostRoutines.h"
#include "module/frame/ProgDB.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

bool DocIsOpen(ZVDOC doc) { return ZEVUD_GetRootElement(doc) != 0; }

TEST(CommandDocument, ParametersAreNumberedInTheOrderAdded) {
    ZVDOC doc = CreateCommand("GetData", 1);
    ASSERT_NE(doc, 0u);
    AddCommandParam(doc, "CWnd*", 11);
    AddCommandParam(doc, "int", 22);
    AddCommandParam(doc, "BOOL", 1);

    EXPECT_EQ(GetCommandAction(doc), "GetData");
    EXPECT_EQ(GetCommandParamCount(doc), 3);
    ZVELEM root = ZEVUD_GetRootElement(doc);
    EXPECT_EQ(ZEVUD_GetInt(root, "NotImplementedWarning"), 1);
    int expectedNum = 0;
    for (ZVELEM p = ZEVUD_FindFirstChild(root, "param"); p; p = ZEVUD_FindNextChild(p, "param"))
        EXPECT_EQ(ZEVUD_GetInt(p, "num"), expectedNum++);
    EXPECT_EQ(expectedNum, 3);

    const struct {
        int index;
        const char* type;
        int64_t value;
    } cases[] = {{0, "CWnd*", 11}, {1, "int", 22}, {2, "BOOL", 1}};
    for (const auto& c : cases) {
        std::string type;
        int64_t value = 0;
        ASSERT_TRUE(GetCommandParam(doc, c.index, type, value)) << c.index;
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(value, c.value);
    }
    ZEVUD_CloseDoc(doc);
}

TEST(CommandDocument, MissingIndexLeavesOutputsUntouched) {
    ZVDOC doc = CreateCommand("SetData", 0);
    AddCommandParam(doc, "int", 5);
    AddCommandParam(doc, "int", 6);
    AddCommandParam(doc, "int", 7);
    for (int index : {3, -1, 100}) {
        std::string type = "unchanged";
        int64_t value = -77;
        EXPECT_FALSE(GetCommandParam(doc, index, type, value));
        EXPECT_EQ(type, "unchanged");
        EXPECT_EQ(value, -77);
    }
    ZEVUD_CloseDoc(doc);
}

TEST(CommandDocument, PointerValueRoundTripsExactly) {
    static int object;
    const int64_t values[] = {static_cast<int64_t>(reinterpret_cast<uintptr_t>(&object)),
                              INT64_C(0x7FFF12345678ABCD), INT64_MIN, -1, 0};
    ZVDOC doc = CreateCommand("Annotation", 0);
    for (int64_t v : values) AddCommandParam(doc, "CString*", v);
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i) {
        std::string type;
        int64_t value = 12345;
        ASSERT_TRUE(GetCommandParam(doc, i, type, value));
        EXPECT_EQ(value, values[i]) << i;
    }
    ZEVUD_CloseDoc(doc);
}

TEST(CommandDocument, NoWarningAttributeUnlessAsked) {
    ZVDOC doc = CreateCommand("SilentCalc", 0);
    ZVELEM root = ZEVUD_GetRootElement(doc);
    EXPECT_FALSE(ZEVUD_HasAttr(root, "NotImplementedWarning"));
    EXPECT_FALSE(ZEVUD_HasAttr(root, "numOfParams"));
    EXPECT_EQ(GetCommandParamCount(doc), 0);
    EXPECT_FALSE(GetCommandWantsWarning(doc));
    ZEVUD_CloseDoc(doc);
}

TEST(CommandDocument, ReadingAMissingDocumentGivesEmptyValues) {
    EXPECT_EQ(GetCommandAction(0), "");
    EXPECT_EQ(GetCommandParamCount(0), 0);
    AddCommandParam(0, "int", 1);  // nothing happens
    std::string type = "x";
    int64_t value = 3;
    EXPECT_FALSE(GetCommandParam(0, 0, type, value));
    EXPECT_EQ(type, "x");
    EXPECT_EQ(value, 3);
}

// ---- delivery to another module --------------------------------------------------

class CallModule : public testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(moduletest::PluginDir() / "libRigelTestModule.so", box_.Bin() / "libRigelTestModule.so");
        entry_.m_strDLLName = "RigelTestModule.dll";
        entry_.m_strProcName = "interfaceFunc";
    }
    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
    CProgDBEntry entry_;
};

TEST_F(CallModule, ResultComesBackAndDocumentIsClosed) {
    ZVDOC doc = CreateCommand("GetData", 1);
    AddCommandParam(doc, "CWnd*", 1);
    AddCommandParam(doc, "int", 2);
    EXPECT_EQ(CallModuleInterface(entry_, doc), 2000 + 7);  // two parameters, "GetData"
    EXPECT_FALSE(DocIsOpen(doc));
    EXPECT_NE(entry_.m_hLib, nullptr);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(CallModule, SendGetDataSendsWindowAndInteger) {
    int window = 0;
    EXPECT_EQ(entry_.SendGetData(&window, 42), 2007);
}

TEST_F(CallModule, MissingLibraryIsReportedAtEveryCall) {
    entry_.m_strDLLName = "NoSuchModule.dll";
    for (int call = 0; call < 2; ++call) {
        ZVDOC doc = CreateCommand("GetData", 1);
        EXPECT_EQ(CallModuleInterface(entry_, doc), 0);
        EXPECT_FALSE(DocIsOpen(doc));
    }
    ASSERT_EQ(sink_.messages.size(), 2u);
    for (const auto& m : sink_.messages) EXPECT_EQ(m.text, "Modul NoSuchModule.dll nicht gefunden");
    EXPECT_EQ(entry_.m_hLib, nullptr);
}

TEST_F(CallModule, MissingExportIsReported) {
    entry_.m_strProcName = "noSuchInterface";
    ZVDOC doc = CreateCommand("GetData", 1);
    EXPECT_EQ(CallModuleInterface(entry_, doc), 0);
    EXPECT_FALSE(DocIsOpen(doc));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].text, "Interface im Modul RigelTestModule.dll nicht gefunden");
}

int64_t g_hostCalls = 0;
int64_t HostInterface(uint32_t doc) {
    ++g_hostCalls;
    return 500 + GetCommandParamCount(doc);
}

TEST_F(CallModule, HostRoutineIsCalledOnlyWhenRegistered) {
    uintptr_t address = reinterpret_cast<uintptr_t>(&HostInterface);
    char text[32];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(address));
    entry_.m_strDLLName = "velor2005.exe";
    entry_.m_strProcName = text;

    // Not registered: no call, result 0, the general message, no library loaded.
    ZVDOC doc = CreateCommand("GetData", 1);
    EXPECT_EQ(CallModuleInterface(entry_, doc), 0);
    EXPECT_FALSE(DocIsOpen(doc));
    EXPECT_EQ(g_hostCalls, 0);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].text, "Interface im Modul velor2005.exe nicht gefunden");

    RegisterHostRoutine(HostRoutineKind::ModuleInterface, address);
    doc = CreateCommand("GetData", 1);
    AddCommandParam(doc, "int", 1);
    EXPECT_EQ(CallModuleInterface(entry_, doc), 501);
    EXPECT_EQ(g_hostCalls, 1);
    EXPECT_FALSE(DocIsOpen(doc));
    EXPECT_EQ(entry_.m_hLib, nullptr);

    // Registered for calculations only, or a text that is no number: refused.
    UnregisterHostRoutine(HostRoutineKind::ModuleInterface, address);
    RegisterHostRoutine(HostRoutineKind::Calculation, address);
    for (const char* procText : {static_cast<const char*>(text), "1A2B3C", "zz12", ""}) {
        entry_.m_strProcName = procText;
        EXPECT_EQ(CallModuleInterface(entry_, CreateCommand("GetData", 1)), 0) << procText;
    }
    EXPECT_EQ(g_hostCalls, 1);
    UnregisterHostRoutine(HostRoutineKind::Calculation, address);
}

TEST(HostRoutineAddress, ParsesHexadecimalTextOnly) {
    const struct {
        const char* text;
        bool ok;
        uintptr_t value;
    } cases[] = {
        {"1A2B3C", true, 0x1A2B3C}, {"0x4a10f0", true, 0x4A10F0}, {" 4A10F0 ", true, 0x4A10F0},
        {"", false, 0},             {"G1", false, 0},             {"12 34", false, 0},
        {"0x", false, 0},           {"11112222333344445", false, 0},
    };
    for (const auto& c : cases) {
        uintptr_t v = 0;
        EXPECT_EQ(ParseHostRoutineAddress(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

}  // namespace
