// Geometry, painting and scrolling of the grid control, and its screenshot.
#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "grid/GridCtrl.h"
#include "platform/wl/testing/gui_test.h"
#include "support/grid_fixture.h"

using gridtest::GridFixture;

namespace {

void SetAllRowHeights(CGridCtrl& g, int h) {
    for (int r = 0; r < g.GetRowCount(); ++r) g.SetRowHeight(r, h);
}
void SetAllColumnWidths(CGridCtrl& g, int w) {
    for (int c = 0; c < g.GetColumnCount(); ++c) g.SetColumnWidth(c, w);
}

struct ScrollCase {
    const char* name;
    int rows, cols;
    std::function<void(CGridCtrl&)> act;
    std::function<void(CGridCtrl&)> check;
};

}  // namespace

TEST(GridView, Scrolling) {
    const ScrollCase cases[] = {
        {"rows that fit exactly need no vertical bar", 10, 5,
         [](CGridCtrl& g) {
             SetAllRowHeights(g, 30);  // 10 x 30 = the client height
             SetAllColumnWidths(g, 50);
             g.UpdateScrollBars();
         },
         [](CGridCtrl& g) {
             EXPECT_EQ(g.GetScrollBarsShown(), 0u);
             EXPECT_EQ(g.GetScrollMax(CGridCtrl::SB_VERT), 0);
             EXPECT_EQ(g.GetGridClientRect().Height(), 300);
         }},
        {"a horizontal bar needed only for the vertical one", 40, 8,
         [](CGridCtrl& g) {
             SetAllRowHeights(g, 20);
             SetAllColumnWidths(g, 49);  // 392 px: fits 400, not 400 minus a bar
             g.UpdateScrollBars();
         },
         [](CGridCtrl& g) { EXPECT_EQ(g.GetScrollBarsShown(), 3u); }},
        {"line down passes a hidden row", 30, 3,
         [](CGridCtrl& g) {
             SetAllRowHeights(g, 20);
             g.SetRowHeight(1, 0);
             g.UpdateScrollBars();
             g.OnVScroll(CGridCtrl::SB_LINEDOWN);
         },
         [](CGridCtrl& g) {
             EXPECT_EQ(g.GetScrollPosition(CGridCtrl::SB_VERT), 20);
             EXPECT_EQ(g.GetTopLeftScrollCell().row, 3);
         }},
        {"line up at the first scrollable row does nothing", 2, 3,
         [](CGridCtrl& g) {
             g.SetRowHeight(1, 1000);
             g.UpdateScrollBars();
             g.SetScrollPosition(CGridCtrl::SB_VERT, 50);
             ASSERT_EQ(g.GetTopLeftScrollCell().row, 1);
             g.OnVScroll(CGridCtrl::SB_LINEUP);
         },
         [](CGridCtrl& g) { EXPECT_EQ(g.GetScrollPosition(CGridCtrl::SB_VERT), 50); }},
        {"one wheel notch at three lines", 50, 3,
         [](CGridCtrl& g) {
             SetAllRowHeights(g, 20);
             g.UpdateScrollBars();
             g.SetScrollPosition(CGridCtrl::SB_VERT, 200);
             g.SetMouseWheelLines(3);
             QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton,
                               Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(g.GetClientWidget(), &wheel);
             EXPECT_EQ(g.GetScrollPosition(CGridCtrl::SB_VERT), 200);  // queued
             QApplication::processEvents();
         },
         [](CGridCtrl& g) { EXPECT_EQ(g.GetScrollPosition(CGridCtrl::SB_VERT), 140); }},
        {"one wheel notch with page scrolling", 50, 3,
         [](CGridCtrl& g) {
             SetAllRowHeights(g, 20);
             g.UpdateScrollBars();
             g.SetScrollPosition(CGridCtrl::SB_VERT, 500);
             g.SetMouseWheelLines(CGridCtrl::kWheelPageScroll);
             g.OnMouseWheel(120);
             QApplication::processEvents();
         },
         [](CGridCtrl& g) {
             EXPECT_EQ(g.GetScrollPosition(CGridCtrl::SB_VERT), 500 - (g.GetGridClientRect().Height() - 20));
         }},
        {"3000 rows scrolled to 40000 px", 3000, 3,
         [](CGridCtrl& g) {
             SetAllRowHeights(g, 20);
             g.UpdateScrollBars();
             g.SetScrollPosition(CGridCtrl::SB_VERT, 40000);
         },
         [](CGridCtrl& g) {
             EXPECT_EQ(g.GetScrollPosition(CGridCtrl::SB_VERT), 40000);
             EXPECT_EQ(g.GetTopLeftScrollCell().row, 1 + 2000);
             wl::Point p;
             ASSERT_TRUE(g.GetCellOrigin(2001, 1, p));
             EXPECT_EQ(p.y, 20);
             EXPECT_EQ(g.GetCellFromPoint({g.GetColumnWidth(0) + 5, 25}).row, 2001);
         }},
    };
    for (const ScrollCase& c : cases) {
        SCOPED_TRACE(c.name);
        GridFixture f(c.rows, c.cols, 1, 1, 400, 300);
        c.act(f.grid);
        c.check(f.grid);
    }
}

TEST(GridView, EnsureVisibleScrollsToTheCell) {
    GridFixture f(100, 20, 1, 1, 400, 300);
    f.grid.EnsureVisible(80, 15);
    wl::Rect r;
    ASSERT_TRUE(f.grid.GetCellRect(80, 15, r));
    const wl::Rect client = f.grid.GetGridClientRect();
    EXPECT_LE(r.bottom, client.bottom);
    EXPECT_LE(r.right, client.right);
    EXPECT_GT(r.top, f.grid.GetFixedRowHeight() - 1);
    f.grid.EnsureVisible(1, 1);
    EXPECT_EQ(f.grid.GetTopLeftScrollCell(), CGridCellId(1, 1));
}

TEST(GridView, Geometry) {
    GridFixture f(6, 5, 1, 1, 400, 300);
    CGridCtrl& g = f.grid;
    SetAllColumnWidths(g, 150);
    SetAllRowHeights(g, 20);
    g.UpdateScrollBars();
    // Left of the fixed columns' edge with fixed cells not allowed: no column.
    EXPECT_EQ(g.GetCellFromPoint({10, 50}, false).col, -1);
    EXPECT_EQ(g.GetCellFromPoint({10, 50}, true), CGridCellId(2, 0));
    EXPECT_EQ(g.GetCellFromPoint({-1, 50}).col, -1);
    EXPECT_EQ(g.GetCellFromPoint({160, 5}), CGridCellId(0, 1));
    // Column 2 starts at 300 and ends beyond the client's 400 - bar: partly shown.
    EXPECT_TRUE(g.IsCellVisible(3, 2));
    EXPECT_FALSE(g.IsCellVisible(3, 3));
    wl::Rect r;
    ASSERT_TRUE(g.GetCellRect(2, 1, r));
    EXPECT_EQ(r, (wl::Rect{150, 40, 299, 59}));
    EXPECT_EQ(g.GetVisibleCellRange(), CGridCellRange(1, 1, 5, 2));
}

TEST(GridView, GridLinesOnlyWhenAsked) {
    // Pixels of the line colour on the last pixel column (vertical lines) and
    // the last pixel row (horizontal lines) of a scrollable cell.
    struct Case {
        int setting;
        bool vertical, horizontal;
    };
    for (const Case& c : {Case{GRIDLINES_NONE, false, false}, Case{GRIDLINES_HORZ, false, true},
                          Case{GRIDLINES_VERT, true, false}, Case{GRIDLINES_BOTH, true, true}}) {
        SCOPED_TRACE(c.setting);
        GridFixture f(6, 5, 1, 1, 300, 200);
        f.grid.SetGridLines(c.setting);
        const QImage img = f.grid.Widget()->grab().toImage();
        wl::Rect r;
        ASSERT_TRUE(f.grid.GetCellRect(2, 1, r));
        const QRgb line = qRgb(0xC0, 0xC0, 0xC0);
        auto is = [&](QRgb p) { return p == line; };
        const int v = wl::guitest::CountPixels(img, QRect(r.right, r.top, 1, r.bottom - r.top), is);
        const int h = wl::guitest::CountPixels(img, QRect(r.left, r.bottom, r.right - r.left, 1), is);
        EXPECT_EQ(v, c.vertical ? r.bottom - r.top : 0);
        EXPECT_EQ(h, c.horizontal ? r.right - r.left : 0);
        // Nowhere else inside the cell.
        EXPECT_EQ(wl::guitest::CountPixels(img, QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), is), 0);
    }
}

TEST(GridView, Screenshot) {
    GridFixture f(6, 5, 1, 1, 420, 200);
    CGridCtrl& g = f.grid;
    g.SetColumnWidth(0, 60);
    g.SetFocusCell(2, 2);
    g.SetSelectedRange(2, 2, 3, 3);
    g.SetFocusCell(4, 1);
    g.OnEditCell(4, 1, {-1, -1}, VK_LBUTTON);
    ASSERT_TRUE(g.IsItemEditing(4, 1));
    QApplication::processEvents();
    QImage img = wl::guitest::GrabToPng(g.Widget(), "grid_control");
    ASSERT_FALSE(img.isNull());

    auto inCell = [&](int row, int col) {
        wl::Rect r;
        g.GetCellRect(row, col, r);
        return QRect(r.left + 2, r.top + 2, 6, 3);  // a corner free of text
    };
    auto all = [&](const QRect& rect, QRgb colour) {
        const int n = wl::guitest::CountPixels(img, rect, [&](QRgb p) { return p == colour; });
        return n == rect.width() * rect.height();
    };
    const QRgb face = ToQColor(GetSysColor(COLOR_3DFACE)).rgb();
    const QRgb highlight = ToQColor(GetSysColor(COLOR_HIGHLIGHT)).rgb();
    const QRgb window = ToQColor(GetSysColor(COLOR_WINDOW)).rgb();
    EXPECT_TRUE(all(inCell(0, 2), face));
    EXPECT_TRUE(all(inCell(3, 0), face));
    EXPECT_TRUE(all(inCell(2, 2), highlight));
    EXPECT_TRUE(all(inCell(3, 3), highlight));
    EXPECT_TRUE(all(inCell(1, 3), window));
    // Grid lines on the last pixel column and row of each scrollable cell.
    wl::Rect r;
    g.GetCellRect(1, 3, r);
    EXPECT_EQ(img.pixel(r.right, r.top + 5), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(img.pixel(r.left + 5, r.bottom), qRgb(0xC0, 0xC0, 0xC0));
    // The editor lies over the focus cell.
    auto* edit = g.GetClientWidget()->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    g.GetCellRect(4, 1, r);
    EXPECT_EQ(edit->geometry().topLeft(), QPoint(r.left, r.top));
    EXPECT_EQ(edit->text(), QStringLiteral("r4c1"));
}
