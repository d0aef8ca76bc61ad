// The variable-definition grid: rows and entries after scripted edits, kind
// changes, the empty last row, the row menu and its commands, and a look at
// the grid.
#include <gtest/gtest.h>

#include <QImage>

#include "dialogs/VarDefGrid.h"
#include "formula/VarDef.h"
#include "module/BaseData.h"
#include "platform/wl/testing/gui_test.h"
#include "support/dialog_parent.h"

namespace {

class Position : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>&, int) override { return true; }
    void UpdateViews(int) override { ++updates; }
    int updates = 0;
};

class VarDefs : public dialogtest::GridOnParent<CVarDefGrid> {
public:
    VarDefs() : GridOnParent<CVarDefGrid>(640, 260) {
        grid.SetBaseData(&data);
        grid.InitGrid();
    }
    CVarDefList& List() { return data.m_varDefs; }
    void Fill() { grid.ExchangeData(false); }
    // An edit of (row, col) as the user ends it.
    void Edit(int row, int col, const std::string& text) {
        grid.SetFocusCell(row, col);
        grid.OnEndEditCell(row, col, text);
    }
    // A kind chosen in a row's combo as the user chooses it.
    void ChooseKind(int row, int kind) {
        grid.SetComboCellIndex(row, 0, kind);
        grid.OnComboCellSelChanged(row, 0, kind);
    }
    // Variable "a" = 3, calculation "a*2", sum "S" of the two.
    void Worksheet() {
        ChooseKind(1, VARDEF_VARIABLE);
        Edit(1, 1, "Länge");
        Edit(1, 2, "a");
        Edit(1, 3, "3");
        ChooseKind(2, VARDEF_VALUE);
        Edit(2, 3, "a*2");
        ChooseKind(3, VARDEF_SUM);
        Edit(3, 2, "S");
    }
    std::vector<int> Kinds() {
        std::vector<int> kinds;
        for (int i = 0; i < List().GetSize(); ++i) kinds.push_back(List().GetAt(i) ? List().GetAt(i)->m_nType : -1);
        return kinds;
    }
    Position data;
};

}  // namespace

TEST(VarDefGrid, EmptyListHasHeaderAndEmptyRow) {
    VarDefs f;
    f.Fill();
    EXPECT_EQ(f.grid.GetRowCount(), 2);
    EXPECT_EQ(f.grid.GetColumnCount(), CVarDefGrid::kColumns);
    EXPECT_EQ(f.grid.GetItemText(0, 0), "Typ");
    EXPECT_EQ(f.grid.GetItemText(0, 3), "Wert/Formel");
    EXPECT_EQ(f.grid.GetComboCellIndex(1, 0), -1);
    EXPECT_EQ(f.grid.GetCellKind(1, 3), CExtGridCtrl::KIND_FORMULA);
    EXPECT_EQ(f.List().GetSize(), 0);
}

TEST(VarDefGrid, KindChosenInEmptyRowAddsEntryAndNewEmptyRow) {
    VarDefs f;
    f.Fill();
    f.ChooseKind(1, VARDEF_TITLE);
    ASSERT_EQ(f.Kinds(), (std::vector<int>{VARDEF_TITLE}));
    EXPECT_EQ(f.grid.GetRowCount(), 3);
    EXPECT_EQ(f.grid.GetComboCellIndex(1, 0), VARDEF_TITLE);
    EXPECT_EQ(f.grid.GetComboCellIndex(2, 0), -1);
    f.Edit(1, 1, "Lasten");
    EXPECT_EQ(static_cast<CVarDefTitle*>(f.List().GetAt(0))->m_strTitle, "Lasten");
    // A title's other cells are read-only; its text is bold.
    EXPECT_FALSE(f.grid.IsCellEnabled(1, 2));
    EXPECT_EQ(f.grid.GetCell(1, 1)->GetFontObject().weight(), QFont::Bold);
    EXPECT_EQ(f.grid.GetCell(1, 1)->GetFontObject().family(), "Liberation Sans");
    // The headers follow the kind of the selected row.
    f.grid.OnCellSelected(1, 1);
    EXPECT_EQ(f.grid.GetItemText(0, 1), "Überschrift (Rechte Maustaste für Formatierungen)");
    EXPECT_EQ(f.grid.GetItemText(0, 3), "-");
    f.grid.OnCellSelected(2, 1);
    EXPECT_EQ(f.grid.GetItemText(0, 1), "Beschreibung (Rechte Maustaste für Formatierungen)");
}

TEST(VarDefGrid, SumFollowsCalculationAboveAndIsReadOnly) {
    VarDefs f;
    f.Fill();
    f.Worksheet();
    ASSERT_EQ(f.Kinds(), (std::vector<int>{VARDEF_VARIABLE, VARDEF_VALUE, VARDEF_SUM}));
    auto* v = static_cast<CVarDefVariable*>(f.List().GetAt(0));
    EXPECT_EQ(v->m_strDescription, "Länge");
    EXPECT_EQ(v->m_strVarName, "a");
    // 3 + 3*2 = 9
    EXPECT_DOUBLE_EQ(static_cast<CVarDefSum*>(f.List().GetAt(2))->m_dValue, 9.0);
    EXPECT_EQ(f.grid.GetItemText(3, 3), "9.00");
    EXPECT_FALSE(f.grid.IsCellEnabled(3, 3));
    const int updates = f.data.updates;
    f.Edit(1, 3, "5");
    // 5 + 5*2 = 15
    EXPECT_DOUBLE_EQ(static_cast<CVarDefSum*>(f.List().GetAt(2))->m_dValue, 15.0);
    EXPECT_EQ(f.grid.GetItemText(3, 3), "15.00");
    EXPECT_EQ(f.grid.GetItemText(2, 3), "10.00");
    EXPECT_GT(f.data.updates, updates);
    // The same value again changes nothing and recalculates nothing.
    const int after = f.data.updates;
    f.Edit(1, 3, "5");
    EXPECT_EQ(f.data.updates, after);
}

TEST(VarDefGrid, KindChangeGivesTheRowItsNewCells) {
    VarDefs f;
    f.Fill();
    f.ChooseKind(1, VARDEF_VARIABLE);
    f.Edit(1, 2, "a");
    struct Case {
        int kind;
        int col2Kind, col3Kind, col5Kind;
        bool col3Enabled;
    };
    const Case cases[] = {
        {VARDEF_PICTUREFILE, CExtGridCtrl::KIND_BUTTON, CExtGridCtrl::KIND_DOUBLE, CExtGridCtrl::KIND_TEXT, true},
        {VARDEF_IMPORT, CExtGridCtrl::KIND_TEXT, CExtGridCtrl::KIND_DOUBLE, CExtGridCtrl::KIND_BUTTON, false},
        {VARDEF_SUM, CExtGridCtrl::KIND_TEXT, CExtGridCtrl::KIND_DOUBLE, CExtGridCtrl::KIND_CHECK, false},
        {VARDEF_VARIABLE, CExtGridCtrl::KIND_TEXT, CExtGridCtrl::KIND_FORMULA, CExtGridCtrl::KIND_CHECK, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        f.ChooseKind(1, c.kind);
        ASSERT_EQ(f.Kinds(), (std::vector<int>{c.kind}));
        EXPECT_EQ(f.grid.GetRowCount(), 3);
        EXPECT_EQ(f.grid.GetCellKind(1, 2), c.col2Kind);
        EXPECT_EQ(f.grid.GetCellKind(1, 3), c.col3Kind);
        EXPECT_EQ(f.grid.GetCellKind(1, 5), c.col5Kind);
        EXPECT_EQ(f.grid.IsCellEnabled(1, 3), c.col3Enabled);
    }
    // The new entry of the changed kind starts empty.
    EXPECT_EQ(static_cast<CVarDefVariable*>(f.List().GetAt(0))->m_strVarName, "");
}

TEST(VarDefGrid, RowMenuCommands) {
    struct Case {
        const char* name;
        int row, id;
        std::vector<int> kinds;
    };
    // Start: variable, calculation, sum.
    const Case cases[] = {
        {"first row up does nothing", 1, CVarDefGrid::CMD_UP, {0, 2, 7}},
        {"first row to the top does nothing", 1, CVarDefGrid::CMD_TOP, {0, 2, 7}},
        {"last row down does nothing", 3, CVarDefGrid::CMD_DOWN, {0, 2, 7}},
        {"last row to the end does nothing", 3, CVarDefGrid::CMD_BOTTOM, {0, 2, 7}},
        {"second row up", 2, CVarDefGrid::CMD_UP, {2, 0, 7}},
        {"last row to the top", 3, CVarDefGrid::CMD_TOP, {7, 0, 2}},
        {"first row down", 1, CVarDefGrid::CMD_DOWN, {2, 0, 7}},
        {"first row to the end", 1, CVarDefGrid::CMD_BOTTOM, {2, 7, 0}},
        {"delete", 2, CVarDefGrid::CMD_DELETE, {0, 7}},
        {"copy", 1, CVarDefGrid::CMD_COPY, {0, 0, 2, 7}},
        {"the empty row has no commands", 4, CVarDefGrid::CMD_DELETE, {0, 2, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VarDefs f;
        f.Fill();
        f.Worksheet();
        f.grid.OnContextMenuCommand(c.row, 1, c.id);
        EXPECT_EQ(f.Kinds(), c.kinds);
        EXPECT_EQ(f.grid.GetRowCount(), int(c.kinds.size()) + 2);
        for (size_t i = 0; i < c.kinds.size(); ++i) EXPECT_EQ(f.grid.GetComboCellIndex(int(i) + 1, 0), c.kinds[i]);
    }
    // The copy takes the variable's own fields.
    VarDefs f;
    f.Fill();
    f.Worksheet();
    f.grid.OnContextMenuCommand(1, 1, CVarDefGrid::CMD_COPY);
    EXPECT_EQ(static_cast<CVarDefVariable*>(f.List().GetAt(1))->m_strVarName, "a");
    EXPECT_EQ(f.grid.GetItemText(2, 2), "a");
}

TEST(VarDefGrid, FormatHeightAndDigits) {
    VarDefs f;
    f.Fill();
    f.Worksheet();
    CVarDefList& list = f.List();
    f.grid.OnContextMenuCommand(1, 1, 27);  // "Schriftgrad\14"
    EXPECT_EQ(list.GetAt(0)->m_nTextHeight, 14);
    // The listing gives the height in half-points.
    EXPECT_NE(FormatRtfText("x", 0, list.GetAt(0)->m_nTextHeight).find("\\fs28"), std::string::npos);
    f.grid.OnContextMenuCommand(1, 1, CVarDefGrid::CMD_HEIGHT_DEFAULT);
    EXPECT_EQ(list.GetAt(0)->m_nTextHeight, 0);
    f.grid.OnContextMenuCommand(1, 1, 7);  // bold on
    f.grid.OnContextMenuCommand(1, 1, 9);  // underline on
    f.grid.OnContextMenuCommand(1, 1, 7);  // bold off
    EXPECT_EQ(list.GetAt(0)->m_nFormat, VARDEF_UNDERLINE);
    f.grid.OnContextMenuCommand(2, 1, CVarDefGrid::CMD_DIGITS_FIRST + 1);
    EXPECT_EQ(list.GetAt(1)->m_nDigits, 1);
    EXPECT_EQ(f.grid.GetItemText(2, 3), "6.0");
    EXPECT_EQ(f.grid.GetItemText(3, 3), "9.00");
}

TEST(VarDefGrid, ExchangeKeepsEntriesOfEveryKind) {
    VarDefs f;
    CVarDefList& list = f.List();
    auto pic = std::make_unique<CVarDefPictureFile>();
    pic->m_strFileName = "plan.emf";
    pic->m_dWidth = 12.5;
    pic->m_dHeight = 8;
    list.Add(std::move(pic));
    auto imp = std::make_unique<CVarDefImport>();
    imp->m_import.m_strSourcePath = "Pos 1\\Auflager\\A";
    imp->m_import.m_strVarName = "P_1_A";
    imp->m_import.m_dValue = 42.5;
    imp->m_import.m_strUnit = "kN";
    list.Add(std::move(imp));
    auto text = std::make_unique<CVarDefText>();
    text->m_strText = "Hinweis";
    list.Add(std::move(text));
    f.Fill();
    EXPECT_EQ(f.grid.GetItemText(1, 1), "plan.emf");
    EXPECT_EQ(f.grid.GetItemText(1, 3), "12.5 cm");
    EXPECT_EQ(f.grid.GetItemText(1, 2), "Datei wählen");
    EXPECT_EQ(f.grid.GetItemText(2, 1), "Pos 1 - Auflager - A");
    EXPECT_EQ(f.grid.GetItemText(2, 5), "Auswahl");
    EXPECT_EQ(f.grid.GetItemText(3, 1), "Hinweis");
    f.grid.ExchangeData(true);
    ASSERT_EQ(list.GetSize(), 3);
    auto* p = static_cast<CVarDefPictureFile*>(list.GetAt(0));
    EXPECT_EQ(p->m_strFileName, "plan.emf");
    EXPECT_DOUBLE_EQ(p->m_dWidth, 12.5);
    EXPECT_DOUBLE_EQ(p->m_dHeight, 8.0);
    EXPECT_EQ(static_cast<CVarDefImport*>(list.GetAt(1))->m_import.m_strSourcePath, "Pos 1\\Auflager\\A");
    EXPECT_EQ(static_cast<CVarDefText*>(list.GetAt(2))->m_strText, "Hinweis");
}

TEST(VarDefGrid, Screenshot) {
    VarDefs f;
    f.Fill();
    f.ChooseKind(1, VARDEF_TITLE);
    f.Edit(1, 1, "Lasten");
    f.ChooseKind(2, VARDEF_VARIABLE);
    f.Edit(2, 1, "Lasten");
    f.Edit(2, 2, "a");
    f.Edit(2, 3, "3");
    f.ChooseKind(3, VARDEF_SUM);
    f.Edit(3, 2, "S");
    f.grid.SetFocusCell(-1, -1);
    f.grid.HighlightRow(-1);
    wl::guitest::ProcessEventsFor(20);
    const QImage img = wl::guitest::GrabToPng(f.parent, "dialogs_var_def_grid");
    ASSERT_FALSE(img.isNull());
    const QRect grid = wl::guitest::RectIn(f.grid.Widget(), f.parent.Widget());
    auto cellRect = [&](int row, int col) {
        wl::Rect r;
        f.grid.GetCellRect(row, col, r);
        return QRect(grid.left() + r.left + 2, grid.top() + r.top + 2, r.Width() - 4, r.Height() - 4);
    };
    // The bold title's ink is wider than the same text plain.
    auto ink = [&](const QRect& r) {
        return wl::guitest::BoundingBox(img.copy(r), [](QRgb c) { return qGray(c) < 128; });
    };
    const QRect rt = ink(cellRect(1, 1)), rp = ink(cellRect(2, 1));
    ASSERT_FALSE(rp.isEmpty());
    EXPECT_GT(rt.width(), rp.width());
    // The read-only sum value cell is grey, the formula cell above it white.
    const QRect sum = cellRect(3, 3), formula = cellRect(2, 3);
    EXPECT_NE(img.pixel(sum.left() + 1, sum.top() + 1), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(formula.left() + 1, formula.top() + 1), qRgb(255, 255, 255));
}
