// The main input dialog: its tab sets, the order in which the pages exchange
// their data, the tab change with its calculation, the host's commands on the
// real dialog, the pages' edits, "Einwirkungen", the plausibility jump, the
// screenshots and a whole session on the example position.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/LKDlg.h"
#include "dialogs/MainDlg.h"
#include "dialogs/PlauCtrl.h"
#include "formula/VarDef.h"
#include "module/frame/CommandDocument.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/main_dlg_session.h"

namespace {

namespace fs = std::filesystem;
using wl::guitest::ScriptedUi;

using dialogtest::Edit;
using dialogtest::Send;
using dialogtest::Value;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string SaveBytes(ZVDOC doc, const fs::path& file) {
    ZEVUD_SaveCopyAs(doc, file.string().c_str());
    return ReadFile(file);
}

// The dialog with the steps a test watches: each page's exchange, the
// calculation and the redraw of the sketch.
class SpyDlg : public DIzevoViv {
public:
    std::vector<std::string> log;
    bool calculate = false;  // run the real calculation

protected:
    void ExchangePage(CMainPage& page, bool save) override {
        log.push_back(std::string(page.ClassName()) + (save ? " save" : " load"));
        DIzevoViv::ExchangePage(page, save);
    }
    void RunCalculation() override {
        log.push_back("Recalc");
        if (calculate) DIzevoViv::RunCalculation();
    }
    void RedrawSketch() override { log.push_back("Draw"); }
};

class FakePreview : public CPreviewDialogBase {
public:
    explicit FakePreview(std::vector<std::string>& log) : log_(log) {}
    void SelectTab(int index) override { log_.push_back("preview tab " + std::to_string(index)); }
    void ShowSelectedView() override { log_.push_back("preview view"); }

private:
    std::vector<std::string>& log_;
};

std::vector<std::string> Exchanges(const std::vector<std::string>& names, bool save) {
    std::vector<std::string> out;
    for (const std::string& n : names) out.push_back(n + (save ? " save" : " load"));
    return out;
}

const std::vector<std::string> kMemberExchange = {"CDlgVarDef", "CRigelCtrlDlg", "CSystemPage",
                                                  "CSupportsPage", "CVorvDlg", "CHingesPage",
                                                  "CLoadsPage", "CResultsPage", "CRigelOutputDlg"};
const std::vector<std::string> kCraneExchange = {"CDlgVarDef", "CVaduCtrlDlg", "CVaduSysDlg",
                                                 "CSupportsPage", "CHingesPage", "CKranloadDlg",
                                                 "CVaduIntegrityGrid", "CVaduResultDlg", "CVaduOutputDlg"};

void SetProgram(CModuleData& d, const char* prog, const char* module) {
    d.m_strProgName = prog;
    d.m_strModuleName = module;
}

std::vector<std::string> TabTexts(DIzevoViv& dlg) {
    std::vector<std::string> texts;
    for (int i = 0; i < dlg.Tab().GetItemCount(); ++i) texts.push_back(dlg.Tab().GetItemText(i));
    return texts;
}

// A copy of the member example and a host window of 900 x 600.
class MainDlgSession : public dialogtest::MainDlgSession {
protected:
    MainDlgSession() : dialogtest::MainDlgSession("Einfeldtraeger.vkx", "maindlg_", 900, 600) {}
    void TearDown() override {
        dialogtest::MainDlgSession::TearDown();
        SetActionsDialogRunner(nullptr);
        GetRegSettings().SetInt("", "bAlwaysQuillTab", 0);
    }
};

}  // namespace

// ---- tabs and the order of the exchanges ------------------------------------------------------------

TEST(MainDlg, TabSetsFollowProgramAndVariant) {
    struct Case {
        const char* name;
        const char* prog;
        const char* module;
        int quill;
        std::vector<int> ids;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"member design", "RIGEL", "", 0, {0, 1, 2, 3, 4, 5, 6, 8, 9},
         {"Vortexttabelle", "Steuerwerte", "System", "Bettung/Einzelfedern", "Vorverformung", "Gelenke", "Lasten",
          "Ergebnisse", "Ausgabe"}},
        {"member design with the editor", "RIGEL", "", 1, {0, 1, 2, 3, 4, 5, 6, 8, 9},
         {"Quill Vortext", "Steuerwerte", "System", "Bettung/Einzelfedern", "Vorverformung", "Gelenke", "Lasten",
          "Ergebnisse", "Ausgabe"}},
        {"crane runway with bedding", "VADU", "VADU2", 0, {0, 1, 2, 3, 5, 6, 7, 8, 9},
         {"Vortexttabelle", "Steuerwerte", "System", "Bettung/Einzelfedern", "Gelenke", "Lasten", "Einzelpunkte",
          "Ergebnisse", "Ausgabe"}},
        {"crane runway", "VADU", "", 0, {0, 1, 2, 6, 7, 8, 9},
         {"Vortexttabelle", "Steuerwerte", "System", "Lasten", "Einzelpunkte", "Ergebnisse", "Ausgabe"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GetRegSettings().SetInt("", "bQuill", c.quill);
        DIzevoViv dlg;
        SetProgram(dlg.m_data, c.prog, c.module);
        ASSERT_TRUE(dlg.Create(nullptr));
        std::vector<int> ids(dlg.TabPages().begin(), dlg.TabPages().begin() + dlg.Tab().GetItemCount());
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(TabTexts(dlg), c.texts);
        EXPECT_EQ(dlg.TabPages().size(), 9u);
        EXPECT_EQ(dlg.GetTabIndexOfPage(6), int(std::find(c.ids.begin(), c.ids.end(), 6) - c.ids.begin()));
        if (c.ids.size() == 7) EXPECT_EQ(dlg.GetTabIndexOfPage(3), 1);  // no tab: 1
    }
    GetRegSettings().SetInt("", "bQuill", 0);
}

TEST(MainDlg, PagesExchangeInTheOrderOfTheirProgram) {
    struct Case {
        const char* name;
        const char* module;
        std::vector<std::string> exchange;
        std::vector<std::string> syncNames;
        int syncPage;  // the page that loads
    };
    const Case cases[] = {
        {"member design", "", kMemberExchange,
         {"CDlgVarDef", "CRigelCtrlDlg", "CSystemPage", "CSupportsPage", "CVorvDlg", "CHingesPage", "CLoadsPage",
          "CRigelOutputDlg"},
         PAGE_HINGES},
        // Without tabs for them, bedding and hinges still take part.
        {"crane runway of seven tabs", "VADU", kCraneExchange,
         {"CDlgVarDef", "CVaduCtrlDlg", "CVaduSysDlg", "CSupportsPage", "CHingesPage", "CVaduIntegrityGrid",
          "CKranloadDlg", "CVaduOutputDlg"},
         PAGE_POINTS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpyDlg dlg;
        SetProgram(dlg.m_data, c.module[0] ? "VADU" : "RIGEL", c.module);
        ASSERT_TRUE(dlg.Create(nullptr));
        for (bool save : {false, true}) {
            dlg.log.clear();
            dlg.ExchangeData(save);
            EXPECT_EQ(dlg.log, Exchanges(c.exchange, save));
        }
        dlg.log.clear();
        dlg.SyncPages(c.syncPage);
        std::vector<std::string> expect;
        for (const std::string& n : c.syncNames) {
            const bool loads = (n == "CHingesPage" && c.syncPage == PAGE_HINGES) ||
                               (n == "CVaduIntegrityGrid" && c.syncPage == PAGE_POINTS);
            expect.push_back(n + (loads ? " load" : " save"));
        }
        EXPECT_EQ(dlg.log, expect);
    }
}

TEST(MainDlg, ShowPageCalculatesForResultsAndOutputOnly) {
    const std::vector<std::string> allSave = Exchanges(
        {"CDlgVarDef", "CRigelCtrlDlg", "CSystemPage", "CSupportsPage", "CVorvDlg", "CHingesPage", "CLoadsPage",
         "CRigelOutputDlg"},
        true);
    auto with = [](std::vector<std::string> a, std::vector<std::string> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<std::string> loadsSync = allSave;
    loadsSync[6] = "CLoadsPage load";
    struct Case {
        const char* name;
        int pageId;
        std::vector<std::string> calls;
        int resultIndexAfter;
        bool buttons;
    };
    const Case cases[] = {
        {"Ausgabe", PAGE_OUTPUT, with(allSave, {"Recalc", "CRigelOutputDlg load", "Draw"}), -1, false},
        // Without results the page drops the selected result and has the
        // views redrawn, which takes the pages into the data first.
        {"Ergebnisse", PAGE_RESULTS,
         with(with(allSave, {"Recalc", "preview tab 1", "preview view", "CResultsPage load"}),
              with(Exchanges(kMemberExchange, true), {"Draw"})),
         -1, false},
        {"Lasten", PAGE_LOADS, with(loadsSync, {"Draw"}), -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpyDlg dlg;
        FakePreview preview(dlg.log);
        dlg.m_pPreview = &preview;
        ASSERT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->show();
        dlg.m_data.m_nCurrentIndex = 3;
        dlg.log.clear();
        wl::guitest::ClickTab(dlg, IDC_MAIN_TAB, dlg.GetTabIndexOfPage(c.pageId));
        EXPECT_EQ(dlg.log, c.calls);
        EXPECT_EQ(dlg.m_data.m_nCurrentIndex, c.resultIndexAfter);
        for (int id : {IDC_EINWIRKUNGEN, IDC_LASTUEBERNAHME}) EXPECT_EQ(dlg.GetDlgItem(id)->IsWindowVisible(), c.buttons);
        EXPECT_TRUE(dlg.PageOfId(c.pageId)->IsWindowVisible());
        EXPECT_FALSE(dlg.PageOfId(PAGE_SYSTEM)->IsWindowVisible());
        dlg.m_pPreview = nullptr;
    }
}

// ---- the host's commands ---------------------------------------------------------------------------------

TEST_F(MainDlgSession, HostCommandsReachTheRealDialog) {
    DIzevoViv* dlg = Create();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->GetParent(), &host);
    EXPECT_EQ(dlg->GetWindowRect().Width(), 900);

    // The marker of a freshly loaded position selects "System" once.
    ZVDOC doc = Open();
    ZEVUD_SetInt(ZEVUD_GetRootElement(doc), "bJustLoaded", 1);
    dlg->SelectPage(5);
    SetData(dlg, doc);
    EXPECT_EQ(dlg->GetPageIdOfTab(dlg->GetCurPage()), PAGE_SYSTEM);
    EXPECT_FALSE(ZEVUD_HasAttr(ZEVUD_GetRootElement(doc), "bJustLoaded"));
    EXPECT_TRUE(dlg->SystemPage().IsWindowVisible());
    EXPECT_EQ(dlg->SystemPage().Grid().GetItemText(2, CStabSysGrid::COL_LENGTH), "6.00 m");

    // Another document's handle: neither the document nor the data change.
    ZVDOC other = ZEVUD_OpenDoc(file.string().c_str());
    Edit(dlg->SystemPage().Grid(), 2, CStabSysGrid::COL_LENGTH, "7");
    const std::string before = SaveBytes(other, dir / "other_before.vkx");
    GetData(dlg, other);
    EXPECT_EQ(SaveBytes(other, dir / "other_after.vkx"), before);
    EXPECT_DOUBLE_EQ(dlg->m_data.m_fieldLengths[1].GetValue(), 7.0);

    // A value that is no dialog of this library, and a window of another class.
    DIzevoViv stranger;
    EXPECT_EQ(Send("CreateEmptyDoc", {{"CWnd*", Value(&stranger)}}), 0);
    EXPECT_EQ(Send("CreateEmptyDoc", {{"CWnd*", Value(&host)}}), 0);
    Send("SetData", {{"CWnd*", Value(&stranger)}, {"int", doc}});
    EXPECT_EQ(stranger.m_data.m_hDoc, 0u);

    // The editor's tab first, whatever the document says.
    GetRegSettings().SetInt("", "bAlwaysQuillTab", 1);
    DIzevoViv* second = Create();
    SetData(second, other);
    EXPECT_EQ(second->GetCurPage(), 0);
    ZEVUD_CloseDoc(other);
    ZEVUD_CloseDoc(doc);
}

TEST_F(MainDlgSession, WithoutAHostWindowTheWindowlessObjectStandsIn) {
    const int64_t v = Send("CreateInputDlg", {{"CWnd*", 12345}});
    auto* dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(v));
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dynamic_cast<DIzevoViv*>(dlg), nullptr);
    const int64_t doc = Send("CreateEmptyDoc", {{"CWnd*", v}});
    EXPECT_NE(doc, 0);
    ZEVUD_CloseDoc(static_cast<ZVDOC>(doc));
}

// ---- the pages -------------------------------------------------------------------------------------------

TEST_F(MainDlgSession, PageEditsReachTheData) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    CModuleData& d = dlg->m_data;
    auto a = std::make_unique<CVarDefVariable>();
    a->m_strVarName = "a";
    a->m_value = CFormulaValue(3.0);
    d.m_varDefs.Add(std::move(a));
    d.DefineVariables();
    dlg->TransferVarDefs(0);  // the page shows the new variable

    // Spans: a formula and numbers typed, one span added by the entry row.
    CRigelSysGrid& sys = dlg->SystemPage().Grid();
    Edit(sys, 2, CStabSysGrid::COL_LENGTH, "a*2");
    Edit(sys, 3, CStabSysGrid::COL_LENGTH, "3");
    Edit(sys, 4, CStabSysGrid::COL_LENGTH, "4,5");
    ASSERT_EQ(d.m_fieldLengths.size(), 4u);
    EXPECT_EQ(d.m_fieldLengths[1].GetText(), "a*2");
    EXPECT_DOUBLE_EQ(d.m_fieldLengths[1].GetValue(), 6.0);
    EXPECT_DOUBLE_EQ(d.m_fieldLengths[3].GetValue(), 4.5);
    ASSERT_EQ(d.m_sections.size(), 3u);
    EXPECT_EQ(d.m_sections[2].m_profName, d.m_sections[0].m_profName);  // a copy of the previous section
    EXPECT_EQ(d.m_sections[2].m_iField, 2);
    dlg->SystemPage().ExchangeData(false);
    EXPECT_EQ(sys.GetFormulaCell(2, CStabSysGrid::COL_LENGTH).GetText(), "a*2");
    EXPECT_EQ(sys.GetItemText(2, CStabSysGrid::COL_LENGTH), "6.00 m");
    dlg->SystemPage().ExchangeData(true);
    EXPECT_EQ(d.m_fieldLengths[1].GetText(), "a*2");

    // "Feld löschen" on span 2 of 3: its section goes, the rest renumbered.
    d.m_sections[2].m_profName = "HEB 300";
    dlg->SystemPage().ExchangeData(false);
    sys.OnContextMenuCommand(3, 1, CStabSysGrid::CMD_DELETE);
    ASSERT_EQ(d.m_sections.size(), 2u);
    EXPECT_EQ(d.m_sections[1].m_profName, "HEB 300");
    EXPECT_EQ(d.m_sections[1].m_iField, 1);
    EXPECT_DOUBLE_EQ(d.m_fieldLengths[2].GetValue(), 4.5);

    // Bedding and single spring.
    dlg->SupportsPage().ExchangeData(false);
    CRigelSupportGrid& springs = dlg->SupportsPage().Grid();
    Edit(springs, 1, CRigelSupportGrid::COL_CZ, "0");
    EXPECT_TRUE(d.m_springs.empty());
    springs.SetComboCellIndex(1, CRigelSupportGrid::COL_KIND, 0);
    springs.OnCellValueChanged(1, CRigelSupportGrid::COL_KIND, CExtGridCtrl::KIND_COMBO_INDEX);
    ASSERT_EQ(d.m_springs.size(), 1u);
    Edit(springs, 1, CRigelSupportGrid::COL_LENGTH, "2");
    Edit(springs, 1, CRigelSupportGrid::COL_CX, "100");
    EXPECT_DOUBLE_EQ(d.m_springs[0].m_length.GetValue(), 2.0);
    springs.SetComboCellIndex(1, CRigelSupportGrid::COL_KIND, 1);
    springs.OnComboCellSelChanged(1, CRigelSupportGrid::COL_KIND, 1);
    for (int col : {CRigelSupportGrid::COL_LENGTH, CRigelSupportGrid::COL_CX, CRigelSupportGrid::COL_CMX}) {
        EXPECT_FALSE(springs.IsCellEnabled(1, col));
        EXPECT_EQ(springs.GetItemText(1, col), "");
    }
    EXPECT_DOUBLE_EQ(d.m_springs[0].m_length.GetValue(), 0.0);
    EXPECT_DOUBLE_EQ(d.m_springs[0].m_cx.GetValue(), 0.0);

    // Loads: the first one of an empty list, then one below it.
    d.m_loads.clear();
    dlg->LoadsPage().ExchangeData(false);
    CRigelLoadGrid& loads = dlg->LoadsPage().Grid();
    Edit(loads, 1, 3, "q");
    ASSERT_EQ(d.m_loads.size(), 1u);
    EXPECT_EQ(d.m_loads[0].m_iLoadCase, 1);
    EXPECT_EQ(d.m_loads[0].m_LCGen.m_strText, "1");
    EXPECT_DOUBLE_EQ(d.m_loads[0].m_val[0].GetValue(), 1.0);
    EXPECT_EQ(d.m_loads[0].m_strDesc, "q");
    d.m_loads[0].m_iLoadCase = 2;
    d.m_loads[0].m_LCGen.m_strText = "3";
    d.m_loads[0].m_val[0] = CFormulaValue(5.0);
    dlg->LoadsPage().ExchangeData(false);
    Edit(loads, 2, 9, "1");
    ASSERT_EQ(d.m_loads.size(), 2u);
    EXPECT_EQ(d.m_loads[1].m_iLoadCase, 2);
    EXPECT_EQ(d.m_loads[1].m_LCGen.m_strText, "3");
    EXPECT_EQ(d.m_loads[1].m_strDesc, "tl");
    EXPECT_DOUBLE_EQ(d.m_loads[1].m_val[0].GetValue(), 5.0);

    // Hinges: a new one copies node and description of the one above.
    dlg->HingesPage().ExchangeData(false);
    CRigelGelenkGrid& hinges = dlg->HingesPage().Grid();
    EXPECT_EQ(hinges.NodeTexts()[1], "2 (x=6.00 m)");
    hinges.SetComboCellIndex(1, 1, 1);
    Edit(hinges, 1, 1, hinges.NodeTexts()[1]);
    Edit(hinges, 1, 3, "Gerber");
    Edit(hinges, 2, 3, "Gerber 2");
    ASSERT_EQ(d.m_hinges.size(), 2u);
    EXPECT_EQ(d.m_hinges[1].m_iNode, 1);  // taken over from the hinge above
    EXPECT_EQ(d.m_hinges[1].m_strDesc, "Gerber 2");
    EXPECT_FALSE(hinges.IsColumnVisible(2));
    ZEVUD_CloseDoc(doc);
}

TEST(MainDlg, NoNodesGiveNoNodeChoices) {
    CModuleData d;
    d.m_fieldLengths.clear();
    EXPECT_TRUE(NodePositions(d).empty());
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(2.5), CFormulaValue(4.0)};
    EXPECT_EQ(NodePositions(d), (std::vector<double>{0.0, 2.5, 6.5}));
}

// ---- "Einwirkungen" -----------------------------------------------------------------------------------------

TEST_F(MainDlgSession, EinwirkungenChecksTheLoadCasesFirst) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    int runs = 0;
    SetActionsDialogRunner([&](CLKData& settings, wl::Window*) {
        ++runs;
        EXPECT_FALSE(settings.m_bRulesEditable);
        settings.m_actions[1].m_nGroup = 2;  // the user's choice
        return wl::IDOK;
    });
    Choose(dlg, PAGE_LOADS);

    // A load without load case blocks the dialog with the data's text.
    dlg->m_data.m_loads[0].m_LCGen.m_strText = "";
    dlg->m_data.m_loads[0].m_LCGen.Parse();
    dlg->LoadsPage().ExchangeData(false);
    sink.Clear();
    wl::guitest::Click(*dlg, IDC_EINWIRKUNGEN);
    EXPECT_EQ(runs, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Fehler! In der Lasteingabe fehlt die Lastfallnummer.");
    EXPECT_EQ(sink.messages[0].icon, winsys::Icon::Error);

    // Valid loads: the dialog's change reaches the document with "GetData".
    dlg->m_data.m_loads[0].m_LCGen.m_strText = "1";
    dlg->m_data.m_loads[0].m_LCGen.Parse();
    dlg->LoadsPage().ExchangeData(false);
    wl::guitest::Click(*dlg, IDC_EINWIRKUNGEN);
    EXPECT_EQ(runs, 1);
    GetData(dlg, doc);
    CModuleData read;
    read.m_hDoc = doc;
    read.ReadData(doc);
    ASSERT_GE(read.LK().m_actions.size(), 2u);
    EXPECT_EQ(read.LK().m_actions[1].m_nGroup, 2);
    ZEVUD_CloseDoc(doc);
}

TEST_F(MainDlgSession, EinwirkungenRunsTheActionsDialog) {
    ScriptedUi ui;
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    Choose(dlg, PAGE_LOADS);
    GetData(dlg, doc);
    const std::string before = SaveBytes(doc, dir / "before.vkx");
    int chosen = -1;
    for (int answer : {wl::IDCANCEL, wl::IDOK}) {
        SCOPED_TRACE(answer);
        ui.OnModal(CLKDlg::kTemplateId, [&](wl::Dialog& d) {
            CEinwGrid& grid = static_cast<CLKDlg&>(d).Grid();
            // The second action moves to another load group.
            chosen = grid.GetComboCellIndex(2, 3) == 2 ? 1 : 2;
            grid.SetComboCellIndex(2, 3, chosen);
            grid.OnComboCellSelChanged(2, 3, chosen);
            wl::guitest::Click(d, answer);
        });
        wl::guitest::Click(*dlg, IDC_EINWIRKUNGEN);
        GetData(dlg, doc);
        if (answer == wl::IDCANCEL) EXPECT_EQ(SaveBytes(doc, dir / "after.vkx"), before);
    }
    CModuleData read;
    read.m_hDoc = doc;
    read.ReadData(doc);
    ASSERT_GE(read.LK().m_actions.size(), 2u);
    EXPECT_EQ(read.LK().m_actions[1].m_nGroup, chosen);
    ZEVUD_CloseDoc(doc);
}

// ---- data and pages in step ------------------------------------------------------------------------------------

TEST_F(MainDlgSession, UpdateViewsKeepsAPageEditInTheData) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    Choose(dlg, PAGE_LOADS);
    CRigelLoadGrid& loads = dlg->LoadsPage().Grid();
    // The value typed into the grid, the page not yet stored.
    loads.SetFocusCell(1, 11);
    loads.SetFormulaCell(1, 11, CFormulaValue(7.25));
    dlg->m_data.UpdateViews(0);
    EXPECT_DOUBLE_EQ(dlg->m_data.m_loads[0].m_val[0].GetValue(), 7.25);
    GetData(dlg, doc);
    CModuleData read;
    read.m_hDoc = doc;
    read.ReadData(doc);
    EXPECT_DOUBLE_EQ(read.m_loads[0].m_val[0].GetValue(), 7.25);
    ZEVUD_CloseDoc(doc);
}

TEST_F(MainDlgSession, PlausibilityJumpLeadsToTheLoadGrid) {
    ScriptedUi ui;
    const CPlauDialogs* previous = InstallPlauWindows();
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    dlg->m_data.m_loads.clear();
    dlg->LoadsPage().ExchangeData(false);
    int shown = 0;
    ui.OnModal(IDD_PLAU_CTRL, [&](wl::Dialog& d) {
        auto& plau = dynamic_cast<CPlauCtrlV2&>(d);
        ++shown;
        // The message about the missing loads, then the jump.
        for (wl::TreeCtrl::Item i = plau.Tree().GetRootItem(); i; i = plau.Tree().GetNextSiblingItem(i))
            if (plau.Tree().GetItemText(i).find("Lasten") != std::string::npos) plau.Tree().SelectItem(i);
        wl::guitest::Click(d, IDC_PLAU_JUMP);
    });
    Choose(dlg, PAGE_RESULTS);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(dlg->GetPageIdOfTab(dlg->GetCurPage()), PAGE_LOADS);
    EXPECT_TRUE(dlg->LoadsPage().IsWindowVisible());
    int row = -1, col = -1;
    EXPECT_TRUE(dlg->LoadsPage().Grid().GetFocusRowCol(row, col));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result"), 0u);  // nothing calculated
    SetPlauDialogs(const_cast<CPlauDialogs*>(previous));
    ZEVUD_CloseDoc(doc);
}

// ---- a session on the example ---------------------------------------------------------------------------------

TEST_F(MainDlgSession, ScriptedSessionOnTheExample) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    Edit(dlg->SystemPage().Grid(), 2, CStabSysGrid::COL_LENGTH, "6,5");
    Choose(dlg, PAGE_HINGES);
    CRigelGelenkGrid& hinges = dlg->HingesPage().Grid();
    hinges.SetComboCellIndex(1, 1, 1);
    Edit(hinges, 1, 1, hinges.NodeTexts()[1]);
    // A hinge is stored with a release: My.
    hinges.SetFocusCell(1, 9);
    hinges.SetCheckCell(1, 9, 1);
    hinges.OnCheckCellClicked(1, 9);
    Choose(dlg, PAGE_LOADS);
    const int row = int(dlg->m_data.m_loads.size()) + 1;
    Edit(dlg->LoadsPage().Grid(), row, 3, "q");
    GetData(dlg, doc);
    ZEVUD_SaveDoc(doc);
    ZEVUD_CloseDoc(doc);

    ZVDOC again = Open();
    DIzevoViv* second = Create();
    SetData(second, again);
    const CModuleData& d = second->m_data;
    EXPECT_DOUBLE_EQ(d.m_fieldLengths[1].GetValue(), 6.5);
    ASSERT_EQ(d.m_hinges.size(), 1u);
    EXPECT_EQ(d.m_hinges[0].m_iNode, 1);
    EXPECT_EQ(d.m_hinges[0].m_release[5], 1);
    ASSERT_EQ(d.m_loads.size(), 3u);
    EXPECT_EQ(d.m_loads[2].m_strDesc, "q");
    EXPECT_EQ(second->SystemPage().Grid().GetItemText(2, CStabSysGrid::COL_LENGTH), "6.50 m");
    EXPECT_EQ(second->LoadsPage().Grid().GetItemText(3, 3), "q");
    EXPECT_EQ(second->HingesPage().Grid().Hinges().size(), 1u);
    ZEVUD_CloseDoc(again);
}

TEST_F(MainDlgSession, ScreenshotsOfEveryTab) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    QApplication::processEvents();
    const wl::Rect client = dlg->GetClientRect();
    const wl::Rect tab = dlg->Tab().GetWindowRect();
    const int m = tab.left;
    EXPECT_GT(m, 0);
    EXPECT_EQ(tab.top, m);
    EXPECT_EQ(client.right - tab.right, m);
    EXPECT_EQ(client.bottom - tab.bottom, m);
    const wl::Rect holder = dlg->GetDlgItem(IDC_MAIN_PLACEHOLDER)->GetWindowRect();
    for (int t = 0; t < dlg->Tab().GetItemCount(); ++t) {
        wl::guitest::ClickTab(*dlg, IDC_MAIN_TAB, t);
        QApplication::processEvents();
        const int id = dlg->GetPageIdOfTab(t);
        if (id == PAGE_RESULTS || id == PAGE_OUTPUT) continue;  // pictures of pages still to come
        CMainPage* page = dlg->PageOfId(id);
        if (id != PAGE_LOADS) EXPECT_EQ(page->GetWindowRect(), holder) << id;
        const QImage img = wl::guitest::GrabToPng(host.Widget(), "main_dlg_tab_" + std::to_string(id));
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.width(), 900);
        if (id == PAGE_LOADS) {
            // 900 pixels leave no room beside the nine tabs: the buttons
            // stand side by side at the right end of a strip at the top of
            // the page's place, off every tab, and the page below them.
            const wl::Rect e = dlg->GetDlgItem(IDC_EINWIRKUNGEN)->GetWindowRect();
            const wl::Rect l = dlg->GetDlgItem(IDC_LASTUEBERNAHME)->GetWindowRect();
            EXPECT_EQ(e.top, holder.top);
            EXPECT_EQ(l.top, holder.top);
            EXPECT_EQ(l.right, e.left);
            EXPECT_EQ(e.right, holder.right - m);
            for (int i = 0; i < dlg->Tab().GetItemCount(); ++i) {
                wl::Rect item;
                ASSERT_TRUE(dlg->Tab().GetItemRect(i, item));
                EXPECT_LE(tab.top + item.bottom, e.top) << i;
                EXPECT_LE(tab.left + item.right, tab.right) << i;
            }
            const wl::Rect p = page->GetWindowRect();
            EXPECT_GE(p.top, e.bottom);
            EXPECT_EQ(p.left, holder.left);
            EXPECT_EQ(p.right, holder.right);
            EXPECT_EQ(p.bottom, holder.bottom);
        }
        if (id == PAGE_SYSTEM || id == PAGE_LOADS) {
            // The grid of the page shows ink in its first rows.
            const QRect area(holder.left, page->GetWindowRect().top, holder.Width(), 80);
            EXPECT_GT(wl::guitest::CountInk(img, area, img.pixel(holder.left + 2, holder.bottom - 3)), 200) << id;
        }
    }
    ZEVUD_CloseDoc(doc);
}

// A dialog wide enough for the tabs and the two buttons: the buttons sit in
// the tab row right of the last tab, and the loads page takes the whole
// place of the pages.
TEST_F(MainDlgSession, LoadButtonsBesideTheTabsWhenThereIsRoom) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    host.Widget()->resize(1300, 500);
    dlg->MoveWindow(0, 0, 1300, 500);
    dlg->SelectTabAndShowPage(dlg->GetTabIndexOfPage(PAGE_LOADS));
    QApplication::processEvents();
    const wl::Rect tab = dlg->Tab().GetWindowRect();
    const wl::Rect holder = dlg->GetDlgItem(IDC_MAIN_PLACEHOLDER)->GetWindowRect();
    const wl::Rect e = dlg->GetDlgItem(IDC_EINWIRKUNGEN)->GetWindowRect();
    const wl::Rect l = dlg->GetDlgItem(IDC_LASTUEBERNAHME)->GetWindowRect();
    wl::Rect first, last;
    ASSERT_TRUE(dlg->Tab().GetItemRect(0, first));
    ASSERT_TRUE(dlg->Tab().GetItemRect(dlg->Tab().GetItemCount() - 1, last));
    EXPECT_GT(l.left, tab.left + last.right);
    EXPECT_EQ(l.right, e.left);
    EXPECT_LE(e.right, tab.right);
    EXPECT_GE(e.top, tab.top);
    EXPECT_LE(e.bottom, holder.top);
    EXPECT_EQ(dlg->LoadsPage().GetWindowRect(), holder);
    wl::guitest::GrabToPng(host.Widget(), "main_dlg_load_buttons_beside_tabs");
    ZEVUD_CloseDoc(doc);
}

TEST_F(MainDlgSession, ResultsTabCalculatesAndGetDataKeepsTheResult) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    Choose(dlg, PAGE_RESULTS);
    QApplication::processEvents();
    wl::guitest::GrabToPng(host.Widget(), "main_dlg_results_calculated");
    GetData(dlg, doc);
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);
    ZVDOC saved = Open();
    EXPECT_NE(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(saved), "result"), 0u);
    ZEVUD_CloseDoc(saved);
}

TEST_F(MainDlgSession, SketchReachesTabsAndGrids) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    dlg->SelectTabAndShowPage(dlg->GetTabIndexOfPage(PAGE_LOADS));
    EXPECT_EQ(dlg->GetCurrentTab(), 6);
    EXPECT_TRUE(dlg->LoadsPage().IsWindowVisible());
    dlg->SelectGridCell(PAGE_LOADS, 2, 3);
    int row = -1, col = -1;
    ASSERT_TRUE(dlg->LoadsPage().Grid().GetFocusRowCol(row, col));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(col, 3);
    dlg->HighlightGridRow(PAGE_HINGES, 1);
    EXPECT_EQ(dlg->HingesPage().Grid().GetHighlightedRow(), 1);
    // A drag changed the data: the page shows it again.
    dlg->m_data.m_loads[1].m_strDesc = "verschoben";
    dlg->ReloadPageGrid(PAGE_LOADS);
    EXPECT_EQ(dlg->LoadsPage().Grid().GetItemText(2, 3), "verschoben");
    EXPECT_EQ(dlg->GridOfPage(PAGE_RESULTS), nullptr);
    // A click on a load in the sketch reaches the dialog through the data:
    // the loads tab comes to the front and the load's row is highlighted.
    dlg->SelectTabAndShowPage(dlg->GetTabIndexOfPage(PAGE_SYSTEM));
    dlg->m_data.OnSketchClick(nullptr, dlg->m_data.GetSketchItemId(6, 1));
    EXPECT_EQ(dlg->GetCurrentTab(), dlg->GetTabIndexOfPage(PAGE_LOADS));
    EXPECT_TRUE(dlg->LoadsPage().IsWindowVisible());
    EXPECT_EQ(dlg->LoadsPage().Grid().GetHighlightedRow(), 2);
    ZEVUD_CloseDoc(doc);
}

// The load grid on the example: each load in its stored direction (the
// calculation takes "val0" in "direction" 2, z), the value column headed
// "P" for it and wide enough for "3.00 kN/m"; a new load made by choosing
// an action in the entry row takes that action's load case (not the one of
// the load above), one made by choosing its node the length of the field
// from that node (6 m), and a load typed by its text the field's length too.
TEST_F(MainDlgSession, LoadGridShowsStoredDirectionsAndGivesNewLoadsTheirDefaults) {
    DIzevoViv* dlg = Create();
    ZVDOC doc = Open();
    SetData(dlg, doc);
    Choose(dlg, PAGE_LOADS);
    QApplication::processEvents();
    CRigelLoadGrid& g = dlg->LoadsPage().Grid();
    constexpr int kDirectionCol = 10, kValueCol = 11, kLengthCol = 7;
    ASSERT_EQ(dlg->m_data.m_loads.size(), 2u);
    struct Shown {
        int row;
        const char* value;
    } shown[] = {{1, "3.00 kN/m"}, {2, "4.00 kN/m"}};
    for (const Shown& s : shown) {
        SCOPED_TRACE(s.row);
        g.SelectCell(s.row, kValueCol);
        EXPECT_EQ(g.GetComboCellText(s.row, kDirectionCol), "Z-Richtung");
        EXPECT_EQ(g.GetItemText(0, kValueCol), "P");
        EXPECT_EQ(g.GetItemText(s.row, kValueCol), s.value);
        EXPECT_EQ(g.GetItemText(s.row, kValueCol + 1), "");  // no second component
        const int needed = g.GetCell(s.row, kValueCol)->GetTextExtent(s.value, nullptr).cx;
        EXPECT_GE(g.GetColumnWidth(kValueCol), needed);
    }
    // The columns still fill the grid.
    int total = 0;
    for (int c = 0; c < g.GetColumnCount(); ++c) total += g.GetColumnWidth(c);
    EXPECT_NEAR(total, g.GetGridClientRect().Width(), 2);
    const QImage img = wl::guitest::GrabToPng(host.Widget(), "main_dlg_load_grid_directions");
    EXPECT_FALSE(img.isNull());

    // Entry row 3: the first action chosen; the load above is of action 2.
    auto choose = [&g](int row, int col, int index) {  // as the list does it
        g.SetComboCellIndex(row, col, index);
        g.SetFocusCell(row, col);
        g.OnComboCellSelChanged(row, col, index);
        g.OnEndEditCell(row, col, g.GetItemText(row, col));
    };
    choose(3, 1, 0);
    ASSERT_EQ(dlg->m_data.m_loads.size(), 3u);
    EXPECT_EQ(dlg->m_data.m_loads[2].m_iLoadCase, 1);
    EXPECT_EQ(dlg->m_data.m_loads[2].m_LCGen.m_strText, "1");
    EXPECT_DOUBLE_EQ(dlg->m_data.m_loads[2].m_length.GetValue(), 6.0);
    EXPECT_EQ(g.GetItemText(3, kLengthCol), "6.00 m");

    // Entry row 4: the node chosen.
    choose(4, 5, 0);
    ASSERT_EQ(dlg->m_data.m_loads.size(), 4u);
    EXPECT_EQ(dlg->m_data.m_loads[3].m_iNode, 0);
    EXPECT_DOUBLE_EQ(dlg->m_data.m_loads[3].m_length.GetValue(), 6.0);
    // It inherits the action and load case of the load above.
    EXPECT_EQ(dlg->m_data.m_loads[3].m_iLoadCase, 1);
    EXPECT_EQ(dlg->m_data.m_loads[3].m_LCGen.m_strText, "1");
    EXPECT_TRUE(sink.messages.empty()) << sink.messages.front().text;
    ZEVUD_CloseDoc(doc);
}
