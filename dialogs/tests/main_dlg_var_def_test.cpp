// The main dialog's variable-definition tab and its "Lastübernahme": the
// first tab holds the variable-definition page, with its grid or, under
// "bQuill", the editor window (a recording stand-in); the loads tab's value
// import takes values of the project's positions into the position (OK) or
// changes nothing (Cancel), and the pages show the result.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/ImportValDlg.h"
#include "dialogs/LostImportDlg.h"
#include "dialogs/MainDlg.h"
#include "formula/ImportValueList.h"
#include "formula/VarDef.h"
#include "module/frame/CommandDocument.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/dialog_parent.h"
#include "support/editor_pane_double.h"
#include "support/import_project.h"

extern "C" int64_t interfaceFunc(uint32_t commandDoc);
extern "C" void RigelModuleTeardown();

namespace {

using wl::guitest::ScriptedUi;

// The imported-value entries as "name=value", other entries by their kind.
std::vector<std::string> Describe(const CVarDefList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetSize(); ++i) {
        const CVarDefEntry* e = list.GetAt(i);
        if (e->m_nType != VARDEF_IMPORT) {
            out.push_back("kind " + std::to_string(e->m_nType));
            continue;
        }
        const CImportValue& v = static_cast<const CVarDefImport*>(e)->m_import;
        out.push_back(v.m_strVarName + "=" + winsys::FormatC("%g", v.m_dValue));
    }
    return out;
}

using dialogtest::TakeOver;

// A member-design position in the project folder of the import fixture,
// its main dialog in a host window of 900 x 600.
class MainDlgVarDef : public dialogtest::ImportProject {
protected:
    void SetUp() override {
        ImportProject::SetUp();
        host = std::make_unique<dialogtest::Parent>(900, 600);
        host->Widget()->show();
    }
    void TearDown() override {
        dlg.reset();
        host.reset();
        ImportProject::TearDown();
    }
    DIzevoViv& Open() {
        dlg = std::make_unique<DIzevoViv>();
        dlg->m_data.m_strProgName = "RIGEL";
        EXPECT_TRUE(dlg->Create(nullptr));
        dlg->EmbedIn(host.get());
        dlg->ExchangeData(0);
        // The start tab of a loaded position.
        dlg->SelectTabAndShowPage(dlg->GetTabIndexOfPage(PAGE_SYSTEM));
        return *dlg;
    }
    void ChooseTab(int pageId) { wl::guitest::ClickTab(*dlg, IDC_MAIN_TAB, dlg->GetTabIndexOfPage(pageId)); }

    std::unique_ptr<dialogtest::Parent> host;
    std::unique_ptr<DIzevoViv> dlg;
    winsys::ScopedRecordingSink sink;
};

}  // namespace

TEST_F(MainDlgVarDef, ValueImportOfTheLoadsTab) {
    struct Case {
        const char* name;
        bool ok;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // The value chosen anew, the one released: the list holds the new one.
        {"OK", true, {"P_12B_M_max=12.5"}},
        {"Cancel", false, {"P_12B_A=3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DIzevoViv& d = Open();
        TakeOver(d.m_data, "12B\\Auflager\\A", "P_12B_A", 3.0);
        d.ExchangeData(0);
        ChooseTab(PAGE_LOADS);
        ASSERT_TRUE(d.GetDlgItem(IDC_LASTUEBERNAHME)->IsWindowVisible());

        ScriptedUi ui;
        int opened = 0;
        ui.OnModal(CDlgImportVal::kTemplateId, [&](wl::Dialog& w) {
            ++opened;
            auto& imp = static_cast<CDlgImportVal&>(w);
            EXPECT_EQ(imp.Chosen().size(), 1u);  // the position's imported value
            imp.ReleaseAll();
            dialogtest::ChooseRow(imp, 0);
            dialogtest::ChooseItem(imp, dialogtest::FindItem(imp.Values(), imp.Values().GetRootItem(), "M-max"));
            imp.TakeSelected();
            wl::guitest::Click(w, c.ok ? wl::IDOK : wl::IDCANCEL);
        });
        ASSERT_TRUE(wl::guitest::Click(d, IDC_LASTUEBERNAHME));
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(Describe(d.m_data.m_varDefs), c.expected);

        // The variable of the list is defined and the first page shows it.
        const std::string name = c.ok ? "P_12B_M_max" : "P_12B_A";
        double v = 0;
        EXPECT_TRUE(d.m_data.GetVariableTable().Evaluate(name + "*2", v));
        EXPECT_DOUBLE_EQ(v, c.ok ? 25.0 : 6.0);
        CVarDefGrid& grid = d.VarDefPage().Grid();
        ASSERT_EQ(grid.GetRowCount(), 3);  // header, the entry, the empty row
        EXPECT_EQ(grid.GetItemText(1, 2), name);
        EXPECT_TRUE(sink.messages.empty());
        dlg.reset();
    }
}

TEST_F(MainDlgVarDef, FirstTabHoldsTheGridOrTheEditor) {
    for (int quill : {0, 1}) {
        SCOPED_TRACE(quill);
        dialogtest::QuillSetting setting(quill);
        dialogtest::EditorCalls calls;
        SetVarDefEditorFactory([&] { return std::make_unique<dialogtest::EditorDouble>(calls); });
        DIzevoViv& d = Open();
        EXPECT_EQ(d.Tab().GetItemText(0), quill ? "Quill Vortext" : "Vortexttabelle");
        ChooseTab(PAGE_VARDEF);
        ASSERT_TRUE(d.VarDefPage().IsWindowVisible());
        EXPECT_EQ(d.VarDefPage().Grid().IsWindowVisible(), quill == 0);
        calls.calls.clear();
        // Another tab takes the first page into the data: through the editor
        // under "bQuill", else through the grid.
        ChooseTab(PAGE_SYSTEM);
        EXPECT_EQ(calls.calls, quill ? std::vector<std::string>{"save"} : std::vector<std::string>{});
        dlg.reset();
        SetVarDefEditorFactory(nullptr);
    }
}

TEST_F(MainDlgVarDef, Screenshot) {
    DIzevoViv& d = Open();
    TakeOver(d.m_data, "12B\\M-max", "P_12B_M_max", 12.5);
    ChooseTab(PAGE_VARDEF);  // the page loads
    ASSERT_TRUE(d.VarDefPage().IsWindowVisible());
    EXPECT_FALSE(d.SystemPage().IsWindowVisible());
    wl::guitest::ProcessEventsFor(20);
    const QImage img = wl::guitest::GrabToPng(*host, "dialogs_main_vardef_tab");
    ASSERT_FALSE(img.isNull());
    // The page's grid fills the page less its margin, inside the tab.
    const QRect page = wl::guitest::RectIn(d.VarDefPage().Widget(), host->Widget());
    const QRect grid = wl::guitest::RectIn(d.VarDefPage().Grid().Widget(), host->Widget());
    EXPECT_EQ(grid.left() - page.left(), CDlgVarDef::kMargin);
    EXPECT_EQ(page.right() - grid.right(), CDlgVarDef::kMargin);
    EXPECT_GT(wl::guitest::CountInk(img, grid.adjusted(2, 2, -2, -2), qRgb(255, 255, 255)), 200);
}

// A variable of the first tab is a value of every formula cell: L = 7.00
// typed on "Vortexttabelle", then "L" in the span cell of "System": the span
// is 7 m and keeps its formula, in the data and in the stored document; the
// variable changed to 7.5, the span follows. A name no variable defines is
// refused at the cell with a message. Choosing the kind "Variable" keeps the
// columns where they were, filling the grid.
TEST_F(MainDlgVarDef, VariableOfTheFirstTabInTheSpanCell) {
    DIzevoViv& d = Open();
    ChooseTab(PAGE_VARDEF);
    wl::guitest::ProcessEventsFor(20);
    CVarDefGrid& vars = d.VarDefPage().Grid();
    auto widths = [&] {
        std::vector<int> w;
        for (int c = 0; c < vars.GetColumnCount(); ++c) w.push_back(vars.GetColumnWidth(c));
        return w;
    };
    const std::vector<int> before = widths();
    int total = 0;
    for (int w : before) total += w;
    EXPECT_NEAR(total, vars.GetGridClientRect().Width(), 2);
    auto edit = [](CExtGridCtrl& g, int row, int col, const std::string& text) {
        g.SetFocusCell(row, col);
        g.OnEndEditCell(row, col, text);
    };
    vars.SetComboCellIndex(1, 0, VARDEF_VARIABLE);
    vars.OnComboCellSelChanged(1, 0, VARDEF_VARIABLE);
    wl::guitest::ProcessEventsFor(20);
    EXPECT_EQ(widths(), before);
    edit(vars, 1, 1, "Spannweite");
    edit(vars, 1, 2, "L");
    edit(vars, 1, 3, "7");
    EXPECT_EQ(widths(), before);
    wl::guitest::GrabToPng(*host, "dialogs_main_vardef_variable_L");

    ChooseTab(PAGE_SYSTEM);
    CRigelSysGrid& sys = d.SystemPage().Grid();
    // The new position's first span, 5 m, typed into the entry row.
    edit(sys, 2, CStabSysGrid::COL_LENGTH, "5");
    ASSERT_EQ(d.m_data.m_fieldLengths.size(), 2u);
    EXPECT_DOUBLE_EQ(d.m_data.m_fieldLengths[1].GetValue(), 5.0);
    edit(sys, 2, CStabSysGrid::COL_LENGTH, "L");
    EXPECT_EQ(sys.GetItemText(2, CStabSysGrid::COL_LENGTH), "7.00 m");
    EXPECT_EQ(d.m_data.m_fieldLengths[1].GetFormula(), "L");
    EXPECT_DOUBLE_EQ(d.m_data.m_fieldLengths[1].GetValue(), 7.0);
    for (const auto& m : sink.messages) EXPECT_EQ(m.text.find("berechnet"), std::string::npos) << m.text;
    sink.Clear();
    wl::guitest::GrabToPng(*host, "dialogs_main_system_span_L");

    // A name no variable defines: refused, the span stays.
    edit(sys, 2, CStabSysGrid::COL_LENGTH, "Lx");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("'Lx' nicht definiert"), std::string::npos) << sink.messages[0].text;
    EXPECT_EQ(sys.GetItemText(2, CStabSysGrid::COL_LENGTH), "7.00 m");
    EXPECT_EQ(d.m_data.m_fieldLengths[1].GetFormula(), "L");
    sink.Clear();

    // The stored document: the value and its formula.
    d.ExchangeData(1);
    const ZVDOC doc = ZEVUD_CreateDoc(nullptr);
    d.m_data.WriteData(doc);
    ZVELEM field = ZEVUD_GetRootElement(doc);
    for (const char* name : {"input", "system", "field_1"}) field = field ? ZEVUD_FindFirstChild(field, name) : 0;
    ASSERT_NE(field, 0u);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(field, "length"), 7.0);
    const ZVELEM exp = ZEVUD_FindFirstChild(field, "length");
    ASSERT_NE(exp, 0u);
    EXPECT_EQ(zevud::GetString(exp, "exp"), "L");
    ZEVUD_CloseDoc(doc);

    // The variable changes: the span follows.
    ChooseTab(PAGE_VARDEF);
    edit(vars, 1, 3, "7.5");
    ChooseTab(PAGE_SYSTEM);
    EXPECT_EQ(sys.GetItemText(2, CStabSysGrid::COL_LENGTH), "7.50 m");
    EXPECT_DOUBLE_EQ(d.m_data.m_fieldLengths[1].GetValue(), 7.5);

    // A formula typed into the entry row of the loads makes a load with it.
    ChooseTab(PAGE_LOADS);
    CRigelLoadGrid& loads = d.LoadsPage().Grid();
    const size_t before_loads = d.m_data.m_loads.size();
    edit(loads, int(before_loads) + 1, 11, "L/2");
    ASSERT_EQ(d.m_data.m_loads.size(), before_loads + 1);
    EXPECT_EQ(d.m_data.m_loads.back().m_val[0].GetFormula(), "L/2");
    EXPECT_DOUBLE_EQ(d.m_data.m_loads.back().m_val[0].GetValue(), 3.75);
    for (const auto& m : sink.messages) EXPECT_EQ(m.text.find("berechnet"), std::string::npos) << m.text;
}

TEST(MainDlgWindows, TheDialogOfALiveHostWindowAsksAboutLostValuesInAWindow) {
    SetLostImportPrompt(nullptr);
    dialogtest::Parent host(900, 600);
    host.Widget()->show();
    ZVDOC cmd = CreateCommand("CreateInputDlg", 1);
    AddCommandParam(cmd, "CWnd*", static_cast<int64_t>(host.GetSafeHwnd()));
    const int64_t v = interfaceFunc(cmd);
    ZEVUD_CloseDoc(cmd);
    EXPECT_NE(dynamic_cast<DIzevoViv*>(reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(v))), nullptr);
    CLostImportPrompt* prompt = SetLostImportPrompt(nullptr);
    EXPECT_NE(dynamic_cast<CLostImportWindow*>(prompt), nullptr);
    RigelModuleTeardown();
}
