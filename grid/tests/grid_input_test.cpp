// Mouse, keys, selection, divider sizing, auto-scroll and in-place editing
// of the grid control, through toolkit events on an offscreen grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include "grid/GridCtrl.h"
#include "platform/wl/testing/gui_test.h"
#include "support/grid_fixture.h"

using gridtest::GridFixture;
using gridtest::GridFixtureT;

namespace {

// Keeps the key that ended the last edit.
class KeyGrid : public CGridCtrl {
public:
    int lastKey = -1;

protected:
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override {
        if (n.code == GN_ENDLABELEDIT) lastKey = int(GridRecord<GRIDDISPINFO>(n)->item.lParam);
        return CGridCtrl::OnNotify(n, result);
    }
};

QLineEdit* Editor(const CGridCtrl& g) {
    for (QLineEdit* e : g.GetClientWidget()->findChildren<QLineEdit*>())
        if (e->isVisible()) return e;
    return nullptr;
}

void Key(CGridCtrl& g, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(g.Widget(), key, mods);
}

struct KeyCase {
    const char* name;
    CGridCellId focus;
    Qt::Key key;
    CGridCellId expected;
    bool tabHook = false;
};

}  // namespace

TEST(GridInput, NavigationKeys) {
    const KeyCase cases[] = {
        {"down in the last row wraps to the first scrollable row", {5, 2}, Qt::Key_Down, {1, 2}},
        {"right in the last column wraps in the same row", {3, 4}, Qt::Key_Right, {3, 1}},
        {"tab in the last cell goes to the first scrollable cell", {5, 4}, Qt::Key_Tab, {1, 1}},
        {"tab at the end of a row goes to the next row", {2, 4}, Qt::Key_Tab, {3, 1}},
        {"tab with the hook on is left to the grid's owner", {2, 2}, Qt::Key_Tab, {2, 2}, true},
        {"up passes the read-only cell", {4, 3}, Qt::Key_Up, {2, 3}},
        {"page down at the end goes to the last row", {2, 2}, Qt::Key_PageDown, {5, 2}},
        {"home goes to the first scrollable column", {3, 4}, Qt::Key_Home, {3, 1}},
        {"end goes to the last column", {3, 1}, Qt::Key_End, {3, 4}},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        GridFixture f;
        f.grid.SetTabHook(c.tabHook);
        f.grid.SetItemState(3, 3, GIS_READONLY);
        f.grid.SetFocusCell(c.focus);
        Key(f.grid, c.key);
        EXPECT_EQ(f.grid.GetFocusCell(), c.expected);
    }
}

TEST(GridInput, ArrowsFallBackToShownCellsWhenNoneIsEditable) {
    GridFixture f;
    for (int r = 1; r < 6; ++r) f.grid.SetItemState(r, 2, GIS_READONLY);
    f.grid.SetFocusCell(2, 2);
    Key(f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(3, 2));
    f.grid.SetRowHeight(4, 0);  // hidden rows are passed over
    Key(f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(5, 2));
}

TEST(GridInput, KeySelection) {
    GridFixture f;
    f.grid.SetFocusCell(1, 1);
    Key(f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid.GetSelectedCount(), 1);
    EXPECT_TRUE(f.grid.IsCellSelected(2, 1));
    Key(f.grid, Qt::Key_Down, Qt::ShiftModifier);
    Key(f.grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(f.grid.GetSelectedCellRange(), CGridCellRange(2, 1, 3, 2));
    EXPECT_EQ(f.grid.GetSelectedCount(), 4);
    Key(f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid.GetSelectedCount(), 1);
    EXPECT_TRUE(f.grid.IsCellSelected(4, 2));
    Key(f.grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.grid.GetSelectedCount(), 5 * 4);
    EXPECT_EQ(f.grid.GetSelectedCellRange(), CGridCellRange(1, 1, 5, 4));
}

TEST(GridInput, ClicksSelectNotifyAndPostTheCommand) {
    GridFixture f;
    QTest::mouseClick(f.client(), Qt::LeftButton, {}, f.Centre(2, 2));
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(2, 2));
    EXPECT_TRUE(f.grid.IsCellSelected(2, 2));
    ASSERT_EQ(f.parent.notes.size(), 3u);
    EXPECT_EQ(f.parent.notes[0].code, GN_SELCHANGING);
    EXPECT_EQ(f.parent.notes[1].code, GN_SELCHANGED);
    EXPECT_EQ(f.parent.notes[2].code, wl::NM_CLICK);
    EXPECT_EQ(f.parent.notes[2].row, 2);
    EXPECT_TRUE(f.parent.commands.empty());  // posted
    gridtest::ProcessEvents();
    EXPECT_EQ(f.parent.commands, std::vector<int>{100});

    // Shift+click spans from the start cell; Ctrl+click deselects one cell.
    QTest::mouseClick(f.client(), Qt::LeftButton, Qt::ShiftModifier, f.Centre(3, 3));
    EXPECT_EQ(f.grid.GetSelectedCellRange(), CGridCellRange(2, 2, 3, 3));
    QTest::mouseClick(f.client(), Qt::LeftButton, Qt::ControlModifier, f.Centre(3, 3));
    EXPECT_FALSE(f.grid.IsCellSelected(3, 3));
    EXPECT_EQ(f.grid.GetSelectedCount(), 3);
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(3, 3));

    // A click on a fixed column header selects the column.
    QTest::mouseClick(f.client(), Qt::LeftButton, {}, f.Centre(0, 3));
    EXPECT_EQ(f.grid.GetSelectedCellRange(), CGridCellRange(1, 3, 5, 3));
    // Right click notifies with the cell; outside the cells with -1.
    f.parent.notes.clear();
    QTest::mouseClick(f.client(), Qt::RightButton, {}, f.Centre(4, 1));
    ASSERT_FALSE(f.parent.notes.empty());
    EXPECT_EQ(f.parent.notes.back().code, wl::NM_RCLICK);
    EXPECT_EQ(f.parent.notes.back().row, 4);
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(4, 1));
}

TEST(GridInput, ClickOnTheFocusCellTextEdits) {
    GridFixtureT<KeyGrid> f;
    f.grid.SetFocusCell(2, 2);
    QTest::mousePress(f.client(), Qt::LeftButton, {}, f.Centre(2, 2));
    QTest::mouseMove(f.client(), f.Centre(2, 2) + QPoint(3, 0));
    QTest::mouseRelease(f.client(), Qt::LeftButton, {}, f.Centre(2, 2) + QPoint(3, 0));
    EXPECT_FALSE(f.grid.IsItemEditing(2, 2));  // moved in between: no editor

    f.grid.SetFocusCell(2, 2);
    QTest::mousePress(f.client(), Qt::LeftButton, {}, f.Centre(2, 2));
    QTest::mouseRelease(f.client(), Qt::LeftButton, {}, f.Centre(2, 2));
    ASSERT_TRUE(f.grid.IsItemEditing(2, 2));
    QLineEdit* e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text(), QStringLiteral("r2c2"));
    EXPECT_FALSE(e->hasSelectedText());  // key 1: caret at the end
    EXPECT_EQ(e->cursorPosition(), 4);
    QTest::keyClick(e, Qt::Key_Escape);
    EXPECT_EQ(f.grid.lastKey, VK_ESCAPE);
    EXPECT_FALSE(f.grid.IsItemEditing(2, 2));
}

TEST(GridInput, TypingStartsAndEndsEdits) {
    GridFixtureT<KeyGrid> f;
    f.grid.SetTabHook(false);
    f.grid.SetItemText(2, 2, "123");
    f.grid.SetFocusCell(2, 2);
    f.grid.SetModified(false);

    Key(f.grid, Qt::Key_7);
    QLineEdit* e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text(), QStringLiteral("7"));
    QTest::keyClick(e, Qt::Key_Escape);  // the old text stays
    EXPECT_EQ(f.grid.lastKey, VK_ESCAPE);
    EXPECT_EQ(f.grid.GetItemText(2, 2), "123");
    EXPECT_FALSE(f.grid.GetModified());
    gridtest::ProcessEvents();

    Key(f.grid, Qt::Key_Backspace);
    e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text(), QStringLiteral("12"));
    // Enter acts as Tab: the text is taken, the next cell's editor opens.
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(f.grid.lastKey, VK_RETURN);
    EXPECT_EQ(f.grid.GetItemText(2, 2), "12");
    EXPECT_TRUE(f.grid.GetModified(2, 2));
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(2, 3));
    EXPECT_TRUE(f.grid.IsItemEditing(2, 3));
    e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text(), QStringLiteral("r2c3"));
    EXPECT_TRUE(e->hasSelectedText());
    // Down ends editing and editing goes on in the cell below.
    QTest::keyClick(e, Qt::Key_Down);
    EXPECT_EQ(f.grid.lastKey, VK_DOWN);
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(3, 3));
    EXPECT_TRUE(f.grid.IsItemEditing(3, 3));
    e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    // Left and Right move inside the text.
    QTest::keyClick(e, Qt::Key_Left);
    EXPECT_TRUE(f.grid.IsItemEditing(3, 3));
    QTest::keyClick(e, Qt::Key_Escape);
    EXPECT_FALSE(f.grid.IsItemEditing(3, 3));
    gridtest::ProcessEvents();
    EXPECT_EQ(Editor(f.grid), nullptr);

    // Escape on the grid and Ctrl combinations start no edit; read-only cells neither.
    Key(f.grid, Qt::Key_Escape);
    Key(f.grid, Qt::Key_B, Qt::ControlModifier);
    f.grid.SetItemState(3, 3, f.grid.GetItemState(3, 3) | GIS_READONLY);
    Key(f.grid, Qt::Key_Q);
    EXPECT_EQ(Editor(f.grid), nullptr);
}

TEST(GridInput, ParentRefusesEdits) {
    GridFixture f;
    f.grid.SetFocusCell(2, 2);
    f.parent.answers[GN_BEGINLABELEDIT] = -1;
    Key(f.grid, Qt::Key_X);
    EXPECT_FALSE(f.grid.IsItemEditing(2, 2));
    EXPECT_EQ(f.parent.Count(GN_BEGINLABELEDIT), 1);

    f.parent.answers.erase(GN_BEGINLABELEDIT);
    f.parent.answers[GN_ENDLABELEDIT] = -1;
    Key(f.grid, Qt::Key_X);
    QLineEdit* e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Y);
    QTest::keyClick(e, Qt::Key_Tab);
    EXPECT_EQ(f.parent.Count(GN_ENDLABELEDIT), 1);
    EXPECT_EQ(f.grid.GetItemText(2, 2), "r2c2");
    EXPECT_FALSE(f.grid.GetModified(2, 2));
}

namespace {
// A cell whose validation refuses every text.
class StrictCell : public CGridCell {
    GRID_DECLARE_CELL(StrictCell)
public:
    bool ValidateEdit(const std::string&) override { return false; }
};
GRID_IMPLEMENT_CELL(StrictCell, CGridCell)
}  // namespace

TEST(GridInput, FailedValidationKeepsTheOldText) {
    GridFixture f;
    ASSERT_TRUE(f.grid.SetCellClass(2, 2, GRID_RUNTIME_CLASS(StrictCell)));
    f.grid.SetFocusCell(2, 2);
    Key(f.grid, Qt::Key_9);
    QLineEdit* e = Editor(f.grid);
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(f.grid.GetItemText(2, 2), "r2c2");
    EXPECT_EQ(f.parent.Count(GN_ENDLABELEDIT), 0);
}

TEST(GridInput, ColumnDividers) {
    for (bool zeroAllowed : {false, true}) {
        SCOPED_TRACE(zeroAllowed ? "zero widths allowed" : "zero widths not allowed");
        GridFixture f;
        f.grid.EnableColumnHide(zeroAllowed);
        wl::Rect r;
        f.grid.GetCellRect(0, 2, r);
        const QPoint divider(r.right - 1, 5);  // just left of column 2's right edge
        QTest::mousePress(f.client(), Qt::LeftButton, {}, divider);
        EXPECT_EQ(f.grid.GetMouseMode(), CGridCtrl::MOUSE_SIZING_COL);
        const QPoint farLeft(r.left - 20, 5);
        QTest::mouseMove(f.client(), farLeft);
        QTest::mouseRelease(f.client(), Qt::LeftButton, {}, farLeft);
        EXPECT_EQ(f.grid.GetColumnWidth(2), zeroAllowed ? 0 : 1);
    }

    // A double click on the divider sizes the column to its widest cell.
    GridFixture f;
    const std::string wide = "ein recht langer Zellentext";
    f.grid.SetItemText(3, 1, wide);
    wl::Rect r;
    f.grid.GetCellRect(0, 1, r);
    QTest::mouseDClick(f.client(), Qt::LeftButton, {}, QPoint(r.right, 5));
    QImage img(1, 1, QImage::Format_RGB32);
    QPainter p(&img);
    const int expected = f.grid.GetCell(3, 1)->GetCellExtent(&p).cx;
    const int margin = int(f.grid.GetDefaultCell(false, false)->GetMargin());
    EXPECT_EQ(expected, QFontMetrics(f.grid.GetDefaultCell(false, false)->GetFontObject(), &img)
                                .horizontalAdvance(QString::fromStdString(wide)) +
                            4 * margin);
    EXPECT_EQ(f.grid.GetColumnWidth(1), expected);
}

TEST(GridInput, HoldingTheButtonBelowTheGridScrollsAndSelects) {
    GridFixture f(100, 5, 1, 1, 400, 300);
    f.grid.MoveWindow(0, 0, 400, 200);  // room below the grid inside its parent
    gridtest::ProcessEvents();
    // Press on the last whole row shown, so that every step scrolls.
    const int pressRow = f.grid.GetVisibleCellRange().maxRow - 1;
    QTest::mousePress(f.client(), Qt::LeftButton, {}, f.Centre(pressRow, 2));
    const QPoint below(f.Centre(pressRow, 2).x(), f.client()->height() + 20);
    QTest::mouseMove(f.client(), below);
    wl::guitest::ProcessEventsFor(260);
    const CGridCellId focus = f.grid.GetFocusCell();
    QTest::mouseRelease(f.client(), Qt::LeftButton, {}, below);
    const int steps = focus.row - pressRow;
    EXPECT_GE(steps, 3);  // one row per 25 ms, with room for a slow machine
    EXPECT_LE(steps, 260 / 25 + 1);
    EXPECT_GE(f.grid.GetScrollPosition(CGridCtrl::SB_VERT), (steps - 1) * f.grid.GetRowHeight(pressRow));
    const CGridCellRange sel = f.grid.GetSelectedCellRange();
    EXPECT_EQ(sel.minRow, pressRow);
    EXPECT_GE(sel.maxRow, focus.row);
    EXPECT_EQ(sel.minCol, 2);
    EXPECT_EQ(sel.maxCol, 2);
    // The timer ends with the button.
    wl::guitest::ProcessEventsFor(80);
    EXPECT_EQ(f.grid.GetFocusCell().row, focus.row);
}

TEST(GridInput, RemovingTheEditedCellClosesTheEditor) {
    GridFixture f;
    f.grid.SetFocusCell(2, 2);
    Key(f.grid, Qt::Key_F2);
    ASSERT_TRUE(f.grid.IsItemEditing(2, 2));
    ASSERT_NE(Editor(f.grid), nullptr);
    EXPECT_TRUE(f.grid.SetRowCount(2));
    gridtest::ProcessEvents();
    EXPECT_EQ(Editor(f.grid), nullptr);
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId());
}

TEST(GridInput, FontAndSelectAllCommand) {
    GridFixture f;
    QFont big = f.grid.GetDefaultCell(false, false)->GetFontObject();
    big.setPointSize(big.pointSize() * 2);
    f.grid.SetFont(big);
    for (bool fixedRow : {false, true})
        for (bool fixedCol : {false, true})
            EXPECT_EQ(f.grid.GetDefaultCell(fixedRow, fixedCol)->GetFontObject().pointSize(), big.pointSize());
    EXPECT_EQ(f.grid.GetDefaultCell(false, false)->GetHeight(), QFontMetrics(big).height() * 3 / 2);
    f.grid.SendCommand(CGridCtrl::ID_EDIT_SELECT_ALL);
    EXPECT_EQ(f.grid.GetSelectedCount(), 5 * 4);
}

TEST(GridInput, LosingTheMouseStopsTheAutoScroll) {
    GridFixture f(100, 5, 1, 1, 400, 300);
    f.grid.MoveWindow(0, 0, 400, 200);
    gridtest::ProcessEvents();
    const int pressRow = f.grid.GetVisibleCellRange().maxRow - 1;
    QTest::mousePress(f.client(), Qt::LeftButton, {}, f.Centre(pressRow, 2));
    QTest::mouseMove(f.client(), QPoint(f.Centre(pressRow, 2).x(), f.client()->height() + 20));
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(f.grid.Widget(), &deactivate);
    wl::guitest::ProcessEventsFor(100);
    EXPECT_EQ(f.grid.GetFocusCell().row, pressRow);
    EXPECT_EQ(f.grid.GetScrollPosition(CGridCtrl::SB_VERT), 0);
}
