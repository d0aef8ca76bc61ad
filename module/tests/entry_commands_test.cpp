// The host's commands through the module's entry: the main dialog's data
// commands, annotations, the silent calculation's parameter checks, and the
// conversion of a position to the sibling program.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "moddata_fixture.h"
#include "module/ModuleDataDialog.h"
#include "support/module_commands.h"

namespace {

using namespace moddatatest;

using moduletest::Param;
using moduletest::Send;
template <class T>
int64_t Ptr(T* p) {
    return moduletest::Value(p);
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class EntryCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override { dir = Scratch(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override {
        RigelModuleTeardown();  // the dialogs the host did not close
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // A saved member-design position.
    fs::path SavedBeam(const std::string& name, const std::string& prog = "RIGEL") {
        const fs::path file = dir / name;
        ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
        {
            CModuleData d;
            MakeBeam(d, {6.0}, 5.0, 10.0);
            d.m_strProgName = prog;
            d.m_hDoc = doc;
            d.WriteData(doc);
        }
        ZEVUD_SetString(ZEVUD_GetRootElement(doc), "progname", prog.c_str());
        EXPECT_TRUE(ZEVUD_SaveDoc(doc));
        ZEVUD_CloseDoc(doc);
        return file;
    }
    fs::path dir;
    winsys::ScopedRecordingSink sink;
};

TEST_F(EntryCommands, ParameterChecksAndUnknownActions) {
    struct Case {
        const char* action;
        int warning;
        std::vector<Param> params;
        int64_t result;
        const char* message;
    } cases[] = {
        {"SilentCalc", 1, {{"int", 1}, {"int", 2}}, 0, "Wrong number of parameters!"},
        {"Foo", 0, {}, 0, nullptr},
        {"Foo", 1, {}, 0, "Funktion 'Foo' nicht implementiert!"},
        {"CanExportTo", 0, {{"vecExportToStruct*", 0}, {"int", 0}}, 0, "Type mismatch!"},
        {"SetData", 1, {{"CWnd*", 12345}, {"int", 0}}, 1, nullptr},   // not a main dialog
        {"CreateEmptyDoc", 1, {{"CWnd*", 12345}}, 0, nullptr},
        {"PreTranslateMessage", 1, {{"MSG*", 0}}, 0, nullptr},
    };
    // A silent calculation of a handle that names no document does nothing harmful.
    EXPECT_EQ(Send("SilentCalc", {{"int", 987654}}), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        sink.Clear();
        EXPECT_EQ(Send(c.action, c.params, c.warning), c.result);
        if (c.message) {
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(sink.messages.empty()) << sink.messages[0].text;
        }
    }
}

TEST_F(EntryCommands, NewPositionThroughTheMainDialog) {
    const int64_t dlgValue = Send("CreateInputDlg", {{"CWnd*", 0}});
    ASSERT_NE(dlgValue, 0);
    auto* dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(dlgValue));
    EXPECT_STREQ(dlg->ClassName(), "DIzevoViv");

    const int64_t doc = Send("CreateEmptyDoc", {{"CWnd*", dlgValue}});
    ASSERT_GT(doc, 0);
    ZVDOC d = static_cast<ZVDOC>(doc);
    EXPECT_EQ(dlg->m_hDoc, d);
    ZVELEM system = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input"), "system");
    ASSERT_NE(system, 0u);
    EXPECT_EQ(ZEVUD_GetInt(system, "numOfFields"), 1);

    // The dialog's input goes into its own document only.
    dlg->m_data.m_inputAnnotations[0] = "geändert";
    ZVDOC other = ZEVUD_CreateDoc("");
    EXPECT_EQ(Send("GetData", {{"CWnd*", dlgValue}, {"int", other}}), 1);
    EXPECT_EQ(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(other), "input"), 0u);
    EXPECT_EQ(Send("GetData", {{"CWnd*", dlgValue}, {"int", doc}}), 1);
    EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input"), "annotation_0"), "geändert");
    ZEVUD_CloseDoc(other);
    ZEVUD_CloseDoc(d);
}

TEST_F(EntryCommands, SetDataReadsANewDocumentOnce) {
    const fs::path file = SavedBeam("pos.vkx");
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    const int64_t dlgValue = Send("CreateInputDlg", {{"CWnd*", 0}});
    auto* dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(dlgValue));
    EXPECT_EQ(Send("SetData", {{"CWnd*", dlgValue}, {"int", doc}}), 1);
    EXPECT_EQ(dlg->m_data.m_fieldLengths.size(), 2u);
    const fs::path skw = dir / "pos.temp.skw";
    EXPECT_TRUE(fs::exists(skw));
    // The same document again is not read again.
    dlg->m_data.m_loads.clear();
    EXPECT_EQ(Send("SetData", {{"CWnd*", dlgValue}, {"int", doc}}), 1);
    EXPECT_TRUE(dlg->m_data.m_loads.empty());
    // An empty handle forgets the document and its section file.
    EXPECT_EQ(Send("SetData", {{"CWnd*", dlgValue}, {"int", 0}}), 1);
    EXPECT_EQ(dlg->m_hDoc, 0u);
    EXPECT_FALSE(fs::exists(skw));
    ZEVUD_CloseDoc(doc);
}

TEST_F(EntryCommands, Annotations) {
    const int64_t dlgValue = Send("CreateInputDlg", {{"CWnd*", 0}});
    auto* dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(dlgValue));
    std::string text = "Seite";
    // No selected page: nothing changes.
    EXPECT_EQ(Send("Annotation", {{"CWnd*", dlgValue}, {"CString*", Ptr(&text)}, {"BOOL", 1}}), 1);
    for (const std::string& a : dlg->m_annotations) EXPECT_TRUE(a.empty());
    dlg->SelectPage(3);
    EXPECT_EQ(Send("Annotation", {{"CWnd*", dlgValue}, {"CString*", Ptr(&text)}, {"BOOL", 1}}), 1);
    EXPECT_EQ(dlg->m_annotations[3], "Seite");
    std::string out;
    EXPECT_EQ(Send("Annotation", {{"CWnd*", dlgValue}, {"CString*", Ptr(&out)}, {"BOOL", 0}}), 1);
    EXPECT_EQ(out, "Seite");
    std::string pos = "Position";
    EXPECT_EQ(Send("PosAnnotation", {{"CWnd*", dlgValue}, {"CString*", Ptr(&pos)}, {"BOOL", 1}}), 1);
    EXPECT_EQ(dlg->m_posAnnotation, "Position");
}

TEST_F(EntryCommands, PreviewBesideTheMainDialog) {
    const int64_t dlgValue = Send("CreateInputDlg", {{"CWnd*", 0}});
    auto* dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(dlgValue));
    const int64_t value = Send("CreatePreviewDlg", {{"CWnd*", 77}, {"CWnd*", dlgValue}, {"BOOL", 1}});
    ASSERT_NE(value, 0);
    auto* preview = reinterpret_cast<CPreviewDialogBase*>(static_cast<uintptr_t>(value));
    EXPECT_EQ(dlg->m_pPreview, preview);
    EXPECT_EQ(preview->m_pMainDlg, dlg);
    EXPECT_EQ(preview->m_pModuleData, &dlg->m_data);
    EXPECT_EQ(preview->m_views & CPreviewDialogBase::VIEW_YZ, 0u);
    EXPECT_EQ(preview->m_views | CPreviewDialogBase::VIEW_YZ, static_cast<uint32_t>(CPreviewDialogBase::VIEW_ALL));
    EXPECT_EQ(preview->m_parent, 77);
    EXPECT_TRUE(preview->m_bVisible);
}

TEST_F(EntryCommands, UpdateViewsTakesThePagesIntoTheData) {
    // A page that asks for its views has just been edited: its edit goes
    // into the data before the sketch draws (never the data over the edit).
    struct Recorder : CMainDialogBase {
        std::vector<int> calls;
        void ExchangeData(int save) override { calls.push_back(save); }
    } dlg;
    dlg.m_data.UpdateViews(1);
    EXPECT_EQ(dlg.calls, std::vector<int>{1});
}

TEST_F(EntryCommands, CanExportToUpperCasesTheVariant) {
    vecExportToStruct list = {{"alt", "alt"}};
    std::string variant = "deneb";
    EXPECT_EQ(Send("CanExportTo", {{"vecExportToStruct*", Ptr(&list)}, {"CString*", Ptr(&variant)}}), 1);
    EXPECT_EQ(variant, "DENEB");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].first + list[0].second, "RIGEL");
    EXPECT_EQ(list[1].first + list[1].second, "DENEB");
    std::string foreign = "vadu";
    EXPECT_EQ(Send("CanExportTo", {{"vecExportToStruct*", Ptr(&list)}, {"CString*", Ptr(&foreign)}}), 1);
    EXPECT_TRUE(list.empty());
}

TEST_F(EntryCommands, ExportScalesImperfectionsAndCarriesTheSections) {
    struct Case {
        const char* from;
        const char* to;
        double factor;
    } cases[] = {{"DENEB", "RIGEL", 1.5}, {"RIGEL", "DENEB", 2.0 / 3.0}, {"RIGEL", "RIGEL", 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        const fs::path source = SavedBeam(std::string("src_") + c.from + c.to + ".vkx", c.from);
        ZVDOC doc = ZEVUD_OpenDoc(source.string().c_str());
        ASSERT_NE(doc, 0u);
        std::string program = c.to, variant = "", file = (dir / (std::string("out_") + c.from + c.to + ".vkx")).string();
        EXPECT_EQ(Send("Export", {{"int", doc},
                                  {"CString*", Ptr(&program)},
                                  {"CString*", Ptr(&variant)},
                                  {"CString*", Ptr(&file)}}),
                  1);
        ZVDOC out = ZEVUD_OpenDoc(file.c_str());
        ASSERT_NE(out, 0u) << "the exported position is saved";
        ZVELEM vorv = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(out), "input"), "vorvSettings");
        ASSERT_NE(vorv, 0u);
        const CImperfectionSettings defaults;
        CImperfectionSettings read;
        read.ReadData(vorv);
        EXPECT_NEAR(read.m_v0, defaults.m_v0 * c.factor, 1e-12);
        EXPECT_NEAR(read.m_w0, defaults.m_w0 * c.factor, 1e-12);
        EXPECT_NEAR(read.m_wGlobal, defaults.m_wGlobal * c.factor, 1e-12);
        EXPECT_NEAR(read.m_ausmitte, defaults.m_ausmitte * c.factor, 1e-12);
        EXPECT_NEAR(read.m_ausmitteGlobal, defaults.m_ausmitteGlobal * c.factor, 1e-12);
        // The sections travel with the position.
        const fs::path a = dir / "a.skw", b = dir / "b.skw";
        ASSERT_EQ(ZEVUD_LoadFileFromAttr(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "dataFile"), "skwFile",
                                         a.string().c_str()),
                  1);
        ASSERT_EQ(ZEVUD_LoadFileFromAttr(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(out), "dataFile"), "skwFile",
                                         b.string().c_str()),
                  1);
        EXPECT_FALSE(ReadFile(a).empty());
        EXPECT_EQ(ReadFile(a), ReadFile(b));
        EXPECT_EQ(zevud::GetString(ZEVUD_GetRootElement(out), "progname"), c.to);
        ZEVUD_CloseDoc(out);
        ZEVUD_CloseDoc(doc);
    }
}

}  // namespace
