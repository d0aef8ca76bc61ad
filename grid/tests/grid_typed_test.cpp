// The grid with typed cells: kinds, formats, layout, looks, Tab and the
// right-click menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "formula/VariableTable.h"
#include "grid/ExtGridCtrl.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/grid_fixture.h"

using gridtest::GridFixtureT;
using K = CExtGridCtrl;

namespace {

class TypedGrid : public CExtGridCtrl {
public:
    std::vector<int> initRows;
    std::vector<std::tuple<int, int, int>> changed;
    void InitRow(int row) override { initRows.push_back(row); }
    void OnCellValueChanged(int row, int col, int kind) override { changed.emplace_back(row, col, kind); }
};

// A shown typed grid of rows x cols (one fixed row) filling its parent.
struct Typed : GridFixtureT<TypedGrid> {
    explicit Typed(int rows = 5, int cols = 3, int fixedRows = 1) : GridFixtureT<TypedGrid>(1, 1, 0, 0, 420, 200) {
        grid.Setup(rows, cols, fixedRows, 0);
    }
};

}  // namespace

TEST(TypedGrid, KindsFormatsAndFactors) {
    Typed f;
    auto& g = f.grid;
    EXPECT_EQ(g.SetCellType(1, 0, K::KIND_INT), K::KIND_INT);
    g.SetIntCell(1, 0, 42);
    EXPECT_EQ(g.GetItemText(1, 0), "42");
    EXPECT_EQ(g.GetIntCell(1, 0), 42);
    EXPECT_EQ(g.GetDoubleCell(1, 0), 0.0);  // wrong kind
    EXPECT_EQ(g.GetTextCell(1, 0), "");      // a typed cell has no plain text

    g.SetCellType(2, 0, K::KIND_DOUBLE);
    g.SetNumberCellFormat(2, 0, "%lf", "%.1lf", 100.0);
    g.SetDoubleCell(2, 0, 0.25);
    EXPECT_EQ(g.GetItemText(2, 0), "25.0");
    g.OnEndEditCell(2, 0, "25,0");  // typed by the user with a decimal comma
    EXPECT_EQ(g.GetItemText(2, 0), "25.0");
    EXPECT_DOUBLE_EQ(g.GetDoubleCell(2, 0), 0.25);
    g.SetItemText(2, 0, "abc");
    EXPECT_EQ(g.GetDoubleCell(2, 0), 0.0);  // text that does not scan
    EXPECT_EQ(g.GetItemText(2, 0), "abc");

    SCOPED_TRACE("a factor of 0 counts as 1");
    g.SetNumberCellFormat(2, 0, "%lf", "%lg", 0.0);
    g.SetDoubleCell(2, 0, 2.5);
    EXPECT_EQ(g.GetItemText(2, 0), "2.5");
    EXPECT_DOUBLE_EQ(g.GetDoubleCell(2, 0), 2.5);

    SCOPED_TRACE("kind 8 changes nothing; kind 0 deletes the record");
    EXPECT_EQ(g.SetCellType(1, 0, K::KIND_HEADER), K::KIND_INT);
    EXPECT_EQ(g.SetCellType(3, 0, K::KIND_HEADER), K::KIND_TEXT);
    EXPECT_EQ(g.SetCellType(1, 0, K::KIND_TEXT), K::KIND_TEXT);
    EXPECT_EQ(g.GetCellRecord(1, 0), nullptr);
    EXPECT_EQ(g.GetTextCell(1, 0), "42");
    EXPECT_EQ(g.SetCellType(99, 0, K::KIND_INT), K::KIND_TEXT);  // outside: no record

    SCOPED_TRACE("combo: two equal texts give the later index");
    g.SetCellType(3, 1, K::KIND_COMBO_INDEX);
    g.SetComboCellChoices(3, 1, {"A", "B", "A"});
    EXPECT_EQ(g.SetComboCellIndex(3, 1, 2), -1);
    EXPECT_EQ(g.GetComboCellText(3, 1), "A");
    EXPECT_EQ(g.GetComboCellIndex(3, 1), 2);
    EXPECT_EQ(g.SetComboCellIndex(3, 1, 7), 2);  // out of range: unchanged
    EXPECT_EQ(g.GetComboCellText(3, 1), "A");
    g.SetComboCellIndex(3, 1, -1);
    EXPECT_EQ(g.GetComboCellText(3, 1), "");
    ASSERT_NE(dynamic_cast<CGridCellCombo*>(g.GetCell(3, 1)), nullptr);
    EXPECT_EQ(dynamic_cast<CGridCellCombo*>(g.GetCell(3, 1))->GetStyle(), CGridCellCombo::CBS_DROPDOWNLIST);

    SCOPED_TRACE("check and button looks");
    g.SetCellType(4, 0, K::KIND_CHECK);
    EXPECT_EQ(g.GetItemBackColor(4, 0), K::kReadOnlyBack);
    EXPECT_EQ(g.SetCheckCell(4, 0, 1), 0);
    EXPECT_EQ(g.GetCheckCell(4, 0), 1);
    g.SetCellType(4, 1, K::KIND_BUTTON);
    EXPECT_EQ(g.GetItemFormat(4, 1), 37u);
    EXPECT_TRUE(g.GetItemState(4, 1) & GIS_READONLY);
}

TEST(TypedGrid, RowCountKeepsRecordsInStepAndInitsNewRows) {
    Typed f(4, 2);
    f.grid.initRows.clear();
    f.grid.SetCellType(3, 1, K::KIND_INT);
    f.grid.SetRowCount(3);
    EXPECT_EQ(f.grid.GetCellRecord(3, 1), nullptr);
    f.grid.SetRowCount(6);
    EXPECT_EQ(f.grid.initRows, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(f.grid.GetCellKind(3, 1), K::KIND_TEXT);
}

TEST(TypedGrid, CellsBeyond65535RowsKeepTheirOwnKinds) {
    GridFixtureT<TypedGrid> f(1, 1, 0, 0, 200, 100);
    f.grid.Setup(65537, 1, 0, 0);
    f.grid.SetCellType(65536, 0, K::KIND_DOUBLE);
    f.grid.SetCellType(0, 0, K::KIND_INT);
    EXPECT_EQ(f.grid.GetCellKind(65536, 0), K::KIND_DOUBLE);
    EXPECT_EQ(f.grid.GetCellKind(0, 0), K::KIND_INT);
}

TEST(TypedGrid, FitColumnsToWidth) {
    struct Case {
        const char* name;
        std::vector<int> rel;
        std::vector<bool> visible;
        std::vector<int> expected;  // of a 400 px client width
    };
    const Case cases[] = {
        {"relative widths all 0 give equal shares", {0, 0, 0, 0}, {true, true, true, true}, {100, 100, 100, 100}},
        {"1:3", {100, 300}, {true, true}, {100, 300}},
        {"a hidden column gets 0", {100, 100, 100}, {true, false, true}, {200, 0, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridFixtureT<TypedGrid> f(1, 1, 0, 0, 400, 200);
        f.grid.Setup(3, int(c.rel.size()), 1, 0);
        for (size_t i = 0; i < c.rel.size(); ++i) {
            f.grid.SetColumnRelWidth(int(i), c.rel[i]);
            f.grid.SetColumnVisible(int(i), c.visible[i], false);
        }
        f.grid.FitColumnsToWidth();
        ASSERT_EQ(f.grid.GetGridClientRect().Width(), 400);
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(f.grid.GetColumnWidth(int(i)), c.expected[i]) << i;
    }
}

TEST(TypedGrid, EnabledReadOnlyAndHighlightedLooks) {
    Typed f;
    auto& g = f.grid;
    g.SetCellType(1, 1, K::KIND_INT);
    g.EnableCell(1, 1, false);
    EXPECT_EQ(g.GetItemBackColor(1, 1), K::kReadOnlyBack);
    EXPECT_EQ(g.GetItemTextColor(1, 1), K::kDisabledText);
    EXPECT_FALSE(g.IsCellEnabled(1, 1));
    g.SetIntCellOrBlank(1, 1, 5, true);
    EXPECT_EQ(g.GetItemText(1, 1), "");
    g.EnableCell(1, 1, true);
    EXPECT_TRUE(g.IsCellEnabled(1, 1));

    g.SetCellType(2, 2, K::KIND_CHECK);
    g.SetCellReadOnly(2, 2, true);
    EXPECT_FALSE(g.IsCellEnabled(2, 2));
    EXPECT_TRUE(dynamic_cast<CGridCellCheck*>(g.GetCell(2, 2))->IsDisabled());

    g.SetCellReadOnly(2, 0, true);
    g.HighlightRow(2);
    EXPECT_EQ(g.GetItemBackColor(2, 1), K::kHighlightBack);
    EXPECT_EQ(g.GetItemBackColor(2, 0), K::kHighlightReadOnlyBack);
    g.HighlightRow(3);
    EXPECT_EQ(g.GetItemBackColor(2, 1), K::kWhite);
    EXPECT_EQ(g.GetItemBackColor(2, 0), K::kReadOnlyBack);
    EXPECT_EQ(g.GetItemBackColor(2, 2), K::kReadOnlyBack);

    g.SetCellAlignment(1, 0, 2);
    EXPECT_EQ(g.GetItemFormat(1, 0), DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    g.SetCellAlignment(1, 0, 5);  // ignored
    EXPECT_EQ(g.GetItemFormat(1, 0) & DT_RIGHT, DT_RIGHT);
}

TEST(TypedGrid, TabLeavesForTheNextFocusableControlAndComesBackAtTheEnd) {
    gridtest::ParentWindow parent(500, 200);
    auto* before = new QLineEdit("x", parent.Widget());
    before->setGeometry(0, 0, 60, 20);
    TypedGrid grid;
    ASSERT_TRUE(grid.Create({70, 0, 370, 150}, &parent, 100));
    auto* disabled = new QPushButton("off", parent.Widget());
    disabled->setEnabled(false);
    auto* after = new QLineEdit(parent.Widget());  // empty: must still be reached
    after->setGeometry(380, 0, 60, 20);
    grid.Setup(3, 2, 1, 0);
    parent.Widget()->show();
    parent.Widget()->activateWindow();
    QApplication::setActiveWindow(parent.Widget());
    wl::guitest::ProcessEventsFor(20);

    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    wl::guitest::ProcessEventsFor(10);
    EXPECT_EQ(QApplication::focusWidget(), grid.Widget());
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 0));

    grid.SetFocusCell(2, 1);  // the last editable cell
    QTest::keyClick(grid.Widget(), Qt::Key_Tab);
    wl::guitest::ProcessEventsFor(10);
    EXPECT_EQ(QApplication::focusWidget(), after);
    EXPECT_FALSE(grid.GetFocusCell().IsValid());

    QTest::keyClick(after, Qt::Key_Backtab);
    wl::guitest::ProcessEventsFor(10);
    EXPECT_EQ(QApplication::focusWidget(), grid.Widget());
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(2, 1));

    SCOPED_TRACE("Tab inside the grid stays in it");
    grid.SetFocusCell(1, 0);
    EXPECT_FALSE(grid.TabOutOfGrid(1, 0, false));
}

TEST(TypedGrid, VariablesMenuOfAFormulaCell) {
    struct Case {
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {{"L*2+", "L*2+L"}, {"(", "(L"}, {"2*a", "L"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        wl::guitest::ScriptedUi ui;
        Typed f;
        CVariableTable table;
        table.Define("L", "Länge", "m", 6.0);
        f.grid.SetCellType(1, 1, K::KIND_FORMULA);
        f.grid.AddContextMenuItem(CGridCellRange(1, 1, 1, 1), "Löschen", 500);
        CFormulaValue v;
        v.SetVariableTable(&table);
        v.SetFromText(c.typed);
        f.grid.SetFormulaCell(1, 1, v);
        ui.menuAnswers.push_back(501);  // the first variable after the item 500
        const QPoint p = f.Centre(1, 1);
        f.grid.OnRButtonUp(0, {p.x(), p.y()});
        ASSERT_EQ(ui.menus.size(), 1u);
        const auto& items = ui.menus[0].items;
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].text, "Löschen");
        EXPECT_EQ(items[1].id, 0);  // the separator before the variables
        EXPECT_TRUE(items[1].text.empty());
        EXPECT_EQ(items[2].id, 501);
        f.grid.EndEditing();
        EXPECT_EQ(f.grid.GetFormulaCell(1, 1).GetText(), c.expected);
        ASSERT_FALSE(f.grid.changed.empty());
        EXPECT_EQ(f.grid.changed.front(), std::make_tuple(1, 1, int(K::KIND_FORMULA)));
    }
}

// A formula cell takes a formula over the table's variables and shows its
// value; a text it cannot calculate is refused with a message naming it,
// and the cell and its record keep what they held.
TEST(TypedGrid, FormulaCellTakesVariablesAndRefusesUndefinedNames) {
    Typed f;
    auto& g = f.grid;
    CVariableTable table;
    table.Define("L", "Spannweite", "m", 7.0);
    g.SetCellType(1, 1, K::KIND_FORMULA);
    g.SetNumberCellFormat(1, 1, "%lf", "%.2lf m", 1.0);
    CFormulaValue start(6.0);
    start.SetVariableTable(&table);
    g.SetFormulaCell(1, 1, start);
    EXPECT_EQ(g.GetItemText(1, 1), "6.00 m");

    winsys::ScopedRecordingSink sink;
    g.OnEndEditCell(1, 1, "L");
    EXPECT_EQ(g.GetItemText(1, 1), "7.00 m");
    EXPECT_EQ(g.GetFormulaCell(1, 1).GetFormula(), "L");
    EXPECT_DOUBLE_EQ(g.GetFormulaCell(1, 1).GetValue(), 7.0);
    ASSERT_EQ(g.changed.size(), 1u);
    EXPECT_TRUE(sink.messages.empty());

    struct Case {
        const char* typed;
        const char* named;
    } cases[] = {{"Lx", "'Lx' nicht definiert"}, {"2*b+L", "'b' nicht definiert"}, {"L/0", "Division"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        sink.Clear();
        g.changed.clear();
        g.OnEndEditCell(1, 1, c.typed);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].text.find(c.typed), std::string::npos) << sink.messages[0].text;
        EXPECT_NE(sink.messages[0].text.find(c.named), std::string::npos) << sink.messages[0].text;
        EXPECT_EQ(sink.messages[0].icon, winsys::Icon::Error);
        EXPECT_EQ(g.GetItemText(1, 1), "7.00 m");
        EXPECT_EQ(g.GetFormulaCell(1, 1).GetFormula(), "L");
        EXPECT_TRUE(g.changed.empty());
    }
    // The variable changes: the cell's formula follows it.
    table.Define("L", "Spannweite", "m", 7.5);
    EXPECT_DOUBLE_EQ(g.GetFormulaCell(1, 1).GetValue(), 7.5);
}

TEST(Screenshot, TypedGridWithEveryKind) {
    class StripGrid : public TypedGrid {
    public:
        StripGrid() {
            SetGroupHeaderStrip(true);
            SetRowHighlighting(true);
        }
    };
    GridFixtureT<StripGrid> f(1, 1, 0, 0, 520, 260);
    auto& g = f.grid;
    g.Setup(6, 5, 1, 0);
    const char* heads[] = {"Art", "Wert", "Einheit", "Auswahl", "Aktion"};
    for (int c = 0; c < 5; ++c) {
        g.SetCenteredText(0, c, heads[c]);
        g.SetColumnRelWidth(c, 100);
    }
    g.SetColumnGroupTitle(0, "Eingabe");
    g.SetColumnGroupTitle(3, "Steuerung");
    for (int r = 1; r < 6; ++r) g.SetItemText(r, 0, "Zeile " + std::to_string(r));
    g.SetCellReadOnly(1, 0, true);
    g.SetCellType(1, 1, K::KIND_INT);
    g.SetIntCell(1, 1, 42);
    g.SetCellType(2, 1, K::KIND_DOUBLE);
    g.SetNumberCellFormat(2, 1, "%lf", "%.2lf", 100.0);
    g.SetDoubleCell(2, 1, 0.0125);
    g.SetCellType(3, 1, K::KIND_FORMULA);
    g.SetFormulaCell(3, 1, CFormulaValue(3.5));
    g.SetCellType(1, 2, K::KIND_RICH);
    g.SetItemText(1, 2, "cm\\super 2\\super0 ");
    g.SetCellType(1, 3, K::KIND_CHECK);
    g.SetCheckCell(1, 3, 1);
    g.SetCellType(2, 3, K::KIND_RADIO);
    g.SetCellType(3, 3, K::KIND_COMBO_INDEX);
    g.SetComboCellChoices(3, 3, {"gelenkig", "eingespannt"});
    g.SetComboCellIndex(3, 3, 1);
    g.SetCellType(4, 3, K::KIND_COMBO_TEXT);
    g.SetComboCellTextRaw(4, 3, "frei");
    g.SetCellType(1, 4, K::KIND_BUTTON);
    g.SetButtonCellText(1, 4, "Mehr...");
    g.SetCellReadOnly(5, 1, true);
    g.FitColumnsToWidth();
    g.SelectCell(4, 1);
    EXPECT_EQ(g.GetHighlightedRow(), 4);
    wl::guitest::ProcessEventsFor(20);

    QImage img = wl::guitest::GrabToPng(f.parent, "grid_typed_every_kind");
    ASSERT_NE(g.GetHeaderStrip(), nullptr);
    const QRect strip = wl::guitest::RectIn(g.GetHeaderStrip()->Widget(), f.parent.Widget());
    const QRect grid = wl::guitest::RectIn(g.Widget(), f.parent.Widget());
    EXPECT_GT(strip.height(), 5);
    EXPECT_LT(strip.bottom(), grid.top());
    EXPECT_GT(wl::guitest::CountInk(img, strip, img.pixel(strip.center())), 10);  // the titles

    auto cellIn = [&](int r, int c) {
        wl::Rect rc;
        g.GetCellRect(r, c, rc);
        return QRect(grid.left() + rc.left + 2, grid.top() + rc.top + 2, rc.Width() - 4, rc.Height() - 4);
    };
    // The highlighted row is light blue, a read-only cell grey.
    const QRgb highlight = ToQColor(K::kHighlightBack).rgb();
    const QRgb grey = ToQColor(K::kReadOnlyBack).rgb();
    const QRect hl = cellIn(4, 2);
    EXPECT_GT(wl::guitest::CountPixels(img, hl, [&](QRgb p) { return wl::guitest::Near(p, highlight, 4); }),
              hl.width() * hl.height() / 2);
    const QRect ro = cellIn(5, 1);
    EXPECT_GT(wl::guitest::CountPixels(img, ro, [&](QRgb p) { return wl::guitest::Near(p, grey, 4); }),
              ro.width() * ro.height() / 2);
    // The superscript 2 of the rich cell stands above the base line of "cm".
    const QRect rich = cellIn(1, 2);
    EXPECT_GT(wl::guitest::CountInk(img, rich, qRgb(255, 255, 255)), 20);

    // The strip hides and shows with the grid.
    g.ShowWindow(wl::SW_HIDE);
    EXPECT_FALSE(g.GetHeaderStrip()->Widget()->isVisible());
    g.ShowWindow(wl::SW_SHOW);
    EXPECT_TRUE(g.GetHeaderStrip()->Widget()->isVisible());
}
