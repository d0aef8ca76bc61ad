// The actions dialog: the grid of actions after scripted edits (group and
// category choices, the entry row, number 0, the context menu), the options
// below it, OK with duplicate numbers, Cancel after the rules dialog, the
// rules grid read-only, and a screenshot.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <fstream>
#include <iterator>

#include "dialogs/LKDlg.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "testsupport/scratch.h"

namespace {

CActionRecord Action(int number, int group, int full, int category) {
    CActionRecord a;
    a.m_nNumber = number;
    a.m_nGroup = group;
    a.m_nFullGroup = full;
    a.m_nCategory = category;
    return a;
}

// DIN 1055-100 (norm 0), actions not kept in step with the load cases:
// 1 permanent, 2 variable, each with one load case.
void TwoActions(CLKData& lk, int norm = 0) {
    lk.SetNorm(norm);
    lk.m_bSyncActions = false;
    lk.m_bShowNotSplit = true;
    lk.m_bAltGroups = true;
    lk.m_actions = {Action(1, 0, 0, 0), Action(2, 1, 1, 1)};
    lk.m_loadCases = {{1, 1, 0}, {2, 2, 0}};
}

// The dialog made modeless on the settings, as the modal run makes it.
struct Open {
    explicit Open(CLKData& lk) {
        dlg.SetData(&lk);
        dlg.Backup() = lk;
        created = dlg.Create(nullptr);
    }
    CLKDlg dlg;
    bool created = false;
    CEinwGrid& grid() { return dlg.Grid(); }
    // A combo choice as the in-place list makes it, then the end of the edit.
    void Choose(int row, int col, int index) {
        grid().SetFocusCell(row, col);
        grid().SetComboCellIndex(row, col, index);
        grid().OnComboCellSelChanged(row, col, index);
        grid().OnEndEditCell(row, col, grid().GetItemText(row, col));
    }
    void Type(int row, int col, const std::string& text) {
        grid().SetFocusCell(row, col);
        grid().OnEndEditCell(row, col, text);
    }
};

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The settings as their document element stores them, as bytes.
std::string Stored(CLKData& lk, const std::filesystem::path& file) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    lk.WriteData(ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "input"));
    ZEVUD_SaveCopyAs(doc, file.string().c_str());
    ZEVUD_CloseDoc(doc);
    return ReadAll(file);
}

}  // namespace

TEST(ActionsGrid, RowsShowTheActionsAndLockPermanentOnes) {
    CLKData lk;
    TwoActions(lk);
    Open o(lk);
    ASSERT_TRUE(o.created);
    CEinwGrid& g = o.grid();
    EXPECT_EQ(g.GetRowCount(), 4);  // title, two actions, the empty row
    EXPECT_EQ(g.GetItemText(0, CEinwGrid::COL_NUMBER), "Einw");
    EXPECT_EQ(g.GetItemText(0, CEinwGrid::COL_NOTSPLIT), "Last nicht feldweise aufteilen");
    EXPECT_FALSE(g.IsColumnVisible(CEinwGrid::COL_LOADCASES));  // not tied to load cases
    EXPECT_FALSE(g.IsColumnVisible(CEinwGrid::COL_FACTORS));
    EXPECT_EQ(g.GetItemText(1, CEinwGrid::COL_GROUP), "ständig");
    EXPECT_EQ(g.GetItemText(2, CEinwGrid::COL_GROUP), "veränderlich");
    EXPECT_EQ(g.GetItemText(2, CEinwGrid::COL_ALTGROUP), "keine");
    EXPECT_EQ(g.AltGroupNames().size(), 10u);
    for (int c = CEinwGrid::COL_CATEGORY; c <= CEinwGrid::COL_ALTGROUP; ++c) {
        EXPECT_FALSE(g.IsCellEnabled(1, c)) << c;
        EXPECT_TRUE(g.IsCellEnabled(2, c)) << c;
    }
    // The empty row is open for every entry.
    EXPECT_EQ(g.GetItemText(3, CEinwGrid::COL_NUMBER), "");
    EXPECT_TRUE(g.IsCellEnabled(3, CEinwGrid::COL_CATEGORY));
}

TEST(ActionsGrid, ScriptedEdits) {
    struct Case {
        const char* name;
        std::function<void(Open&)> edit;
        size_t actions;
        int rows;
        std::function<void(Open&, CLKData&)> check;
    };
    const Case cases[] = {
        {"the permanent group chosen locks the row and sets category 0",
         [](Open& o) { o.Choose(2, CEinwGrid::COL_GROUP, 0); }, 2, 4,
         [](Open& o, CLKData& lk) {
             EXPECT_EQ(lk.m_actions[1].m_nFullGroup, 0);
             EXPECT_EQ(lk.m_actions[1].m_nCategory, 0);
             for (int c = CEinwGrid::COL_CATEGORY; c <= CEinwGrid::COL_ALTGROUP; ++c)
                 EXPECT_FALSE(o.grid().IsCellEnabled(2, c)) << c;
         }},
        {"category 6 under norm 0 ticks not split",
         [](Open& o) { o.Choose(2, CEinwGrid::COL_CATEGORY, 6); }, 2, 4,
         [](Open& o, CLKData& lk) {
             EXPECT_EQ(lk.m_actions[1].m_nCategory, 6);
             EXPECT_TRUE(lk.m_actions[1].m_bNotSplit);
             EXPECT_EQ(o.grid().GetCheckCell(2, CEinwGrid::COL_NOTSPLIT), 1);
             EXPECT_EQ(lk.m_actions[1].m_nDurationClass, 3);  // snow: short
         }},
        {"another category leaves the box clear",
         [](Open& o) { o.Choose(2, CEinwGrid::COL_CATEGORY, 2); }, 2, 4,
         [](Open&, CLKData& lk) { EXPECT_FALSE(lk.m_actions[1].m_bNotSplit); }},
        {"a number in the empty row adds an action and a new empty row",
         [](Open& o) { o.Type(3, CEinwGrid::COL_NUMBER, "3"); }, 3, 5,
         [](Open& o, CLKData& lk) {
             EXPECT_EQ(lk.m_actions[2].m_nNumber, 3);
             EXPECT_EQ(o.grid().GetItemText(4, CEinwGrid::COL_NUMBER), "");
         }},
        {"an alternative group alone in the empty row adds nothing",
         [](Open& o) { o.Choose(3, CEinwGrid::COL_ALTGROUP, 2); }, 2, 4, [](Open&, CLKData&) {}},
        {"0 as a number becomes 1",
         [](Open& o) { o.Type(2, CEinwGrid::COL_NUMBER, "0"); }, 2, 4,
         [](Open& o, CLKData& lk) {
             EXPECT_EQ(lk.m_actions[1].m_nNumber, 1);
             EXPECT_EQ(o.grid().GetItemText(2, CEinwGrid::COL_NUMBER), "1");
         }},
        {"delete from the row menu", [](Open& o) { o.grid().OnContextMenuCommand(1, 1, CEinwGrid::CMD_DELETE); }, 1,
         3, [](Open&, CLKData& lk) { EXPECT_EQ(lk.m_actions[0].m_nNumber, 2); }},
        {"copy from the row menu", [](Open& o) { o.grid().OnContextMenuCommand(2, 1, CEinwGrid::CMD_COPY); }, 3, 5,
         [](Open&, CLKData& lk) { EXPECT_EQ(lk.m_actions[2].m_nCategory, 1); }},
        {"the menu on the empty row does nothing",
         [](Open& o) { o.grid().OnContextMenuCommand(3, 1, CEinwGrid::CMD_DELETE); }, 2, 4, [](Open&, CLKData&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLKData lk;
        TwoActions(lk);
        Open o(lk);
        ASSERT_TRUE(o.created);
        c.edit(o);
        ASSERT_EQ(lk.m_actions.size(), c.actions);
        EXPECT_EQ(o.grid().GetRowCount(), c.rows);
        c.check(o, lk);
    }
}

TEST(ActionsDialog, SnowHeightOnlyUnderSiaAndReadAsNumber) {
    const struct {
        int norm;
        std::string typed;
        bool shown;
        double stored;
    } cases[] = {
        {2, "1250", true, 1250.0},
        {2, "  812.5", true, 812.5},
        {2, "hoch", true, 0.0},
        {0, "", false, 700.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        CLKData lk;
        TwoActions(lk, c.norm);
        lk.m_dSnowHeight = 700.0;
        wl::guitest::ScriptedUi ui;
        ui.OnModal(CLKDlg::kTemplateId, [&](wl::Dialog& d) {
            EXPECT_EQ(d.GetDlgItemWidget(CLKDlg::IDC_SNOW)->isVisibleTo(d.Widget()), c.shown);
            EXPECT_EQ(d.GetDlgItemText(CLKDlg::IDC_SNOW), "     700");  // "%8.0lf"
            if (c.shown) wl::guitest::TypeText(d, CLKDlg::IDC_SNOW, c.typed);
            wl::guitest::Click(d, wl::IDOK);
        });
        EXPECT_EQ(CLKDlg::Run(lk), wl::IDOK);
        EXPECT_DOUBLE_EQ(lk.m_dSnowHeight, c.stored);
        EXPECT_FALSE(lk.m_combinations.empty());  // OK generated
    }
}

TEST(ActionsDialog, OptionsAndButtonsFollowTheSettings) {
    CLKData lk;
    TwoActions(lk);
    lk.m_bShowGInfOption = true;
    lk.m_bCheckWithGInf = false;
    lk.m_dGInfFactor = 1.0;
    wl::guitest::ScriptedUi ui;
    ui.OnModal(CLKDlg::kTemplateId, [&](wl::Dialog& d) {
        EXPECT_TRUE(d.GetDlgItemWidget(CLKDlg::IDC_GINF)->isVisibleTo(d.Widget()));
        EXPECT_TRUE(d.GetDlgItemWidget(CLKDlg::IDC_SHOW_RULES)->isVisibleTo(d.Widget()));
        EXPECT_FALSE(d.GetDlgItemWidget(CLKDlg::IDC_CREATE_RULES)->isVisibleTo(d.Widget()));
        wl::guitest::Click(d, CLKDlg::IDC_GINF);
        wl::guitest::Click(d, CLKDlg::IDC_GSUP);
        wl::guitest::Click(d, wl::IDOK);
    });
    EXPECT_EQ(CLKDlg::Run(lk), wl::IDOK);
    EXPECT_TRUE(lk.m_bCheckWithGInf);
    EXPECT_DOUBLE_EQ(lk.m_dGInfFactor, CLKDlg::kGSupFactor);
}

TEST(ActionsDialog, DuplicateNumbersKeepTheDialogOpen) {
    CLKData lk;
    TwoActions(lk);
    lk.m_loadCases[1].m_nAction = 4;  // the number the action gets in the end
    winsys::ScopedRecordingSink sink;
    wl::guitest::ScriptedUi ui;
    int result = -1;
    ui.OnModal(CLKDlg::kTemplateId, [&](wl::Dialog& d) {
        auto& dlg = static_cast<CLKDlg&>(d);
        dlg.Grid().SetFocusCell(2, CEinwGrid::COL_NUMBER);
        dlg.Grid().OnEndEditCell(2, CEinwGrid::COL_NUMBER, "1");
        wl::guitest::Click(d, wl::IDOK);
        result = sink.messages.size() == 1 && !d.ModalEnded() ? 1 : 0;
        // A new number ends it.
        dlg.Grid().SetFocusCell(2, CEinwGrid::COL_NUMBER);
        dlg.Grid().OnEndEditCell(2, CEinwGrid::COL_NUMBER, "4");
        wl::guitest::Click(d, wl::IDOK);
    });
    EXPECT_EQ(CLKDlg::Run(lk), wl::IDOK);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Einwirkung 1 ist mehrfach definiert worden");
    EXPECT_EQ(lk.m_actions[1].m_nNumber, 4);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{CLKDlg::kTemplateId});
}

TEST(ActionsDialog, CancelAfterTheRulesRestoresTheStoredSettings) {
    test_support::ScratchDir dir("lk_dlg_cancel");
    CLKData lk;
    TwoActions(lk);
    const std::string before = Stored(lk, dir.path() / "before.xml");
    wl::guitest::ScriptedUi ui;
    size_t shownCombinations = 0;
    bool rulesReadOnly = false;
    ui.OnModal(CLKRulesDlg::kTemplateId, [&](wl::Dialog& d) {
        auto& rules = static_cast<CLKRulesDlg&>(d);
        CKombiGrid& g = rules.Grid();
        shownCombinations = size_t(g.GetRowCount() - 2);
        rulesReadOnly = !g.IsCellEnabled(1, CKombiGrid::COL_RULE) && !g.IsCellEnabled(1, CKombiGrid::COL_TYPE);
        wl::guitest::Click(d, wl::IDOK);
    });
    ui.OnModal(CLKDlg::kTemplateId, [&](wl::Dialog& d) {
        auto& dlg = static_cast<CLKDlg&>(d);
        dlg.Grid().SetFocusCell(2, CEinwGrid::COL_CATEGORY);
        dlg.Grid().SetComboCellIndex(2, CEinwGrid::COL_CATEGORY, 6);
        dlg.Grid().OnComboCellSelChanged(2, CEinwGrid::COL_CATEGORY, 6);
        dlg.Grid().OnEndEditCell(2, CEinwGrid::COL_CATEGORY, dlg.Grid().GetItemText(2, CEinwGrid::COL_CATEGORY));
        wl::guitest::Click(d, CLKDlg::IDC_SHOW_RULES);
        EXPECT_TRUE(dlg.Generated());
        wl::guitest::Click(d, wl::IDCANCEL);
    });
    EXPECT_EQ(CLKDlg::Run(lk), wl::IDCANCEL);
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{CLKDlg::kTemplateId, CLKRulesDlg::kTemplateId}));
    EXPECT_GT(shownCombinations, 0u);
    EXPECT_TRUE(rulesReadOnly);
    EXPECT_TRUE(lk.m_combinations.empty());
    EXPECT_EQ(Stored(lk, dir.path() / "after.xml"), before);
}

TEST(ActionsDialog, RulesGridReadOnlyWithoutMenuUnlessEditable) {
    for (bool editable : {false, true}) {
        SCOPED_TRACE(editable);
        CLKData lk;
        TwoActions(lk);
        winsys::ScopedRecordingSink sink;
        ASSERT_TRUE(lk.Generate()) << lk.GetRefusal() << (sink.messages.empty() ? "" : sink.messages[0].text);
        lk.m_bRulesEditable = editable;
        CLKRulesDlg dlg(&lk);
        ASSERT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->show();
        QApplication::processEvents();
        CKombiGrid& g = dlg.Grid();
        ASSERT_EQ(g.GetRowCount(), int(lk.m_combinations.size()) + 2);
        EXPECT_EQ(g.GetItemText(1, CKombiGrid::COL_NUMBER), "1");
        EXPECT_EQ(g.GetItemText(1, CKombiGrid::COL_TYPE), lk.m_combinations[0].m_strType);
        EXPECT_EQ(g.GetItemText(1, CKombiGrid::COL_RULE), lk.m_combinations[0].m_strRuleUser);
        EXPECT_EQ(g.IsCellEnabled(1, CKombiGrid::COL_RULE), editable);
        wl::guitest::ScriptedUi ui;
        wl::Rect r;
        g.GetCellRect(1, CKombiGrid::COL_RULE, r);
        g.OnRButtonUp(0, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        EXPECT_EQ(ui.menus.size(), editable ? 1u : 0u);
        if (editable) {
            const size_t n = lk.m_combinations.size();
            g.OnContextMenuCommand(1, 1, CKombiGrid::CMD_COPY);
            EXPECT_EQ(lk.m_combinations.size(), n + 1);
            EXPECT_EQ(lk.m_combinations[1].m_strRule, lk.m_combinations[0].m_strRuleUser);
        }
    }
}

TEST(Screenshot, ActionsDialog) {
    CLKData lk;
    TwoActions(lk);
    lk.m_actions.push_back(Action(3, 1, 1, 6));
    lk.m_actions.back().m_bNotSplit = true;
    lk.m_actions.back().m_nDurationClass = 3;
    Open o(lk);
    ASSERT_TRUE(o.created);
    o.dlg.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(o.dlg, "dialogs_actions");
    ASSERT_FALSE(img.isNull());
    // The permanent action's category cell is grey (read-only), the variable one's white.
    CEinwGrid& g = o.grid();
    const QRect grid = wl::guitest::RectIn(g.Widget(), o.dlg.Widget());
    auto inner = [&](int row, int col) {
        wl::Rect r;
        g.GetCellRect(row, col, r);
        return QRect(grid.left() + r.left + 2, grid.top() + r.top + 2, r.Width() - 4, r.Height() - 4);
    };
    const QRgb grey = ToQColor(CExtGridCtrl::kReadOnlyBack).rgb();
    const QRect locked = inner(1, CEinwGrid::COL_CATEGORY), open = inner(2, CEinwGrid::COL_CATEGORY);
    EXPECT_GT(wl::guitest::CountPixels(img, locked, [&](QRgb c) { return wl::guitest::Near(c, grey, 4); }),
              locked.width() * locked.height() / 2);
    EXPECT_LT(wl::guitest::CountPixels(img, open, [&](QRgb c) { return wl::guitest::Near(c, grey, 4); }),
              open.width() * open.height() / 10);

    CLKRulesDlg rules(&lk);
    lk.Generate();
    ASSERT_TRUE(rules.Create(nullptr));
    rules.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    EXPECT_FALSE(wl::guitest::GrabToPng(rules, "dialogs_actions_rules").isNull());
}
