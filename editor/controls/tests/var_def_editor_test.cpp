// The editor in the position: its value import (11547) through the value
// import dialog, the load transfers of a calculated text joining the
// position's imported values, and the editor on the first tab of the main
// dialog under "bQuill" in a whole session through the host's commands.
#include <gtest/gtest.h>

#include <QTest>
#include <QTextEdit>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/ImportValDlg.h"
#include "dialogs/MainDlg.h"
#include "dialogs/tests/support/import_project.h"
#include "editor/controls/VarDefEditor.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "editor/core/EditorDocument.h"
#include "formula/ImportValueList.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/tests/support/module_commands.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"
#include "testsupport/scratch.h"

namespace fs = std::filesystem;

namespace {

using editortest::Page;
using wl::guitest::ScriptedUi;

class Position : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>&, int) override { return true; }
};

// The position's editor window on the position's own editor document.
struct PositionEditor {
    PositionEditor() {
        GetRegSettings().SetInt("Quill", "iZoom", 9);
        doc = dynamic_cast<CEditorDocument*>(pos.GetEditorDocument());
        EXPECT_NE(doc, nullptr);
        EXPECT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->resize(760, 420);
        dlg.SetDocument(doc);
    }
    std::string Text() { return dlg.Text().GetText(); }
    Position pos;
    CEditorDocument* doc = nullptr;
    CSubDlg dlg;
};

using dialogtest::TakeOver;
using moduletest::Send;

}  // namespace

TEST(VarDefEditor, ValueImportDefinesTheVariablesAndCalculates) {
    test_support::ScratchDir dir("editor_value_import");
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        PositionEditor e;
        TakeOver(e.pos, "Dach\\Auflager\\A", "P_Dach_A", 4.0);
        e.doc->pages.AddText(Page({"y = P_neu*2 = #.##"}, {true}));
        e.dlg.TransferData(false);
        ASSERT_EQ(e.Text().find("8.00"), std::string::npos) << e.Text();
        // The value gets the variable name the text uses.
        ScriptedUi ui;
        ui.OnModal(CDlgImportVal::kTemplateId, [&](wl::Dialog& d) {
            auto& imp = static_cast<CDlgImportVal&>(d);
            EXPECT_EQ(imp.Chosen().size(), 1u);
            imp.Grid().SetItemText(1, CImportValGrid::COL_VARIABLE, "P_neu");
            wl::guitest::Click(d, ok ? wl::IDOK : wl::IDCANCEL);
        });
        e.dlg.SendCommand(11547);
        EXPECT_EQ(ui.modalRuns, std::vector<int>{CDlgImportVal::kTemplateId});
        EXPECT_EQ(e.Text().find("8.00") != std::string::npos, ok) << e.Text();
    }
}

TEST(VarDefEditor, LoadTransfersOfTheTextJoinTheImportedValues) {
    test_support::ScratchDir dir("editor_load_transfer");
    PositionEditor e;
    TakeOver(e.pos, "Dach\\Auflager\\A", "P_Dach_A", 4.0);
    // A protocol copied from another position: its field code, hidden; the
    // fill calculates the text.
    e.doc->pages.AddText("{\\rtf1\\ansi Auflager {\\v $C_LT(\"Dach\\\\Auflager\\\\B\",\"P_Dach_B\")}\\par}");
    e.dlg.TransferData(false);
    EXPECT_EQ(e.dlg.Text().CommandList(), std::vector<std::string>{"LT|Dach\\Auflager\\B|P_Dach_B"});
    std::vector<CImportValue> values;
    e.pos.m_varDefs.GetImportedValues(values);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].m_strSourcePath, "Dach\\Auflager\\B");
    EXPECT_EQ(values[1].m_strVarName, "P_Dach_B");
    // A second calculation finds the entry and adds none.
    e.dlg.Calculate();
    values.clear();
    e.pos.m_varDefs.GetImportedValues(values);
    EXPECT_EQ(values.size(), 2u);
}

TEST(VarDefEditor, SessionOnTheFirstTab) {
    test_support::ScratchDir dir("editor_first_tab");
    winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    const fs::path file = dir.path() / "Einfeldtraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file);
    InstallVarDefEditor();
    GetRegSettings().SetInt("", "bQuill", 1);
    GetRegSettings().SetInt("Quill", "iZoom", 9);
    winsys::ScopedRecordingSink sink;
    {
        wl::Window host;
        auto* w = new QWidget;
        w->resize(900, 600);
        host.AttachOwned(w);
        w->show();
        const int64_t v = Send("CreateInputDlg", {{"CWnd*", static_cast<int64_t>(host.GetSafeHwnd())}});
        auto* dlg = dynamic_cast<DIzevoViv*>(reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(v)));
        ASSERT_NE(dlg, nullptr);
        ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
        Send("SetData", {{"CWnd*", v}, {"int", doc}});

        // The first tab is the editor's: the grid hidden, the editor shown.
        EXPECT_EQ(dlg->Tab().GetItemText(0), "Quill Vortext");
        wl::guitest::ClickTab(*dlg, IDC_MAIN_TAB, 0);
        auto* pane = dynamic_cast<CSubDlgPane*>(dlg->VarDefPage().Editor());
        ASSERT_NE(pane, nullptr);
        CSubDlg& editor = pane->Dialog();
        EXPECT_TRUE(editor.IsWindowVisible());
        EXPECT_FALSE(dlg->VarDefPage().Grid().IsWindowVisible());

        // Formula lines typed, marked as formulas (F9), then F5.
        CQuillRichEdit& text = editor.Text();
        text.NewDocument();
        QTextEdit* edit = text.Edit();
        edit->setFocus();
        QTest::keyClicks(edit, "b = 20");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, "h = 30");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, "A = b*h = #.##");
        text.SetSel(0, -1);
        QTest::keyClick(edit, Qt::Key_F9);
        EXPECT_EQ(text.GetCharFormat().colour, CQuillRichEdit::kFormulaColour);
        QTest::keyClick(edit, Qt::Key_F5);
        EXPECT_NE(text.GetText().find("A = b*h = 600.00"), std::string::npos) << text.GetText();
        wl::guitest::GrabToPng(host.Widget(), "editor_first_tab_session");

        // "GetData": the document's editor text holds the calculated line.
        Send("GetData", {{"CWnd*", v}, {"int", doc}});
        ZVELEM input = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "input");
        ZVELEM quill = input ? ZEVUD_FindFirstChild(input, "Quill") : 0;
        ASSERT_NE(quill, 0);
        const std::vector<unsigned char> rtf = zevud::GetBinData(quill, "rtfData");
        EXPECT_NE(std::string(rtf.begin(), rtf.end()).find("600.00"), std::string::npos);
        ZEVUD_CloseDoc(doc);
        // The module's end destroys its dialogs while the host window lives.
        RigelModuleTeardown();
    }
    GetRegSettings().SetInt("", "bQuill", 0);
    SetVarDefEditorFactory(nullptr);
}
