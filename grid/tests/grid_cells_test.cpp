// Cell storage of the grid control: counts and fixed counts, cell classes,
// items and the selection map, default cells, copying, virtual mode and
// sorting with the notifications to the parent.
#include <gtest/gtest.h>

#include <functional>
#include <new>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "grid/GridCtrl.h"
#include "platform/winsys/winsys.h"
#include "support/grid_fixture.h"

using gridtest::GridFixture;

namespace {

struct CountCase {
    const char* name;
    std::function<void(CGridCtrl&)> act;
    std::function<void(const CGridCtrl&)> check;
};

}  // namespace

TEST(GridCells, CountsAndFixedCounts) {
    const CountCase cases[] = {
        {"row count 0 on three fixed rows",
         [](CGridCtrl& g) {
             g.SetRowCount(5);
             g.SetFixedRowCount(3);
             EXPECT_TRUE(g.SetRowCount(0));
         },
         [](const CGridCtrl& g) {
             EXPECT_EQ(g.GetRowCount(), 0);
             EXPECT_EQ(g.GetFixedRowCount(), 0);
         }},
        {"the same row count changes nothing",
         [](CGridCtrl& g) {
             g.SetRowCount(4);
             g.SetColumnCount(2);
             g.SetModified(false);
             EXPECT_TRUE(g.SetRowCount(4));
         },
         [](const CGridCtrl& g) { EXPECT_FALSE(g.GetModified()); }},
        {"five fixed rows on two rows make five rows",
         [](CGridCtrl& g) {
             g.SetRowCount(2);
             g.SetColumnCount(3);
             EXPECT_TRUE(g.SetFixedRowCount(5));
         },
         [](const CGridCtrl& g) {
             EXPECT_EQ(g.GetRowCount(), 5);
             EXPECT_EQ(g.GetFixedRowCount(), 5);
             EXPECT_EQ(g.GetItemState(4, 2) & (GIS_FIXED | GIS_FIXEDROW), GIS_FIXED | GIS_FIXEDROW);
         }},
        {"fixed columns from one to two",
         [](CGridCtrl& g) {
             g.SetRowCount(4);
             g.SetColumnCount(3);
             g.SetFixedColumnCount(1);
             for (int r = 0; r < 4; ++r) {
                 g.SetItemBackColor(r, 1, 0x123456);
                 g.SetItemTextColor(r, 1, 0x654321);
             }
             EXPECT_TRUE(g.SetFixedColumnCount(2));
         },
         [](const CGridCtrl& g) {
             for (int r = 0; r < 4; ++r) {
                 EXPECT_EQ(g.GetItemState(r, 1) & (GIS_FIXED | GIS_FIXEDCOL), GIS_FIXED | GIS_FIXEDCOL) << r;
                 EXPECT_EQ(g.GetItemBackColor(r, 1), CLR_DEFAULT);
                 EXPECT_EQ(g.GetItemTextColor(r, 1), CLR_DEFAULT);
             }
             EXPECT_EQ(g.GetItemState(2, 2) & GIS_FIXED, 0u);
         }},
        {"negative counts and sizes are refused",
         [](CGridCtrl& g) {
             g.SetRowCount(2);
             g.SetColumnCount(2);
             EXPECT_FALSE(g.SetRowCount(-1));
             EXPECT_FALSE(g.SetColumnCount(-3));
             EXPECT_FALSE(g.SetFixedRowCount(-1));
             EXPECT_FALSE(g.SetRowHeight(0, -5));
             EXPECT_FALSE(g.SetColumnWidth(1, -1));
             EXPECT_FALSE(g.SetItemText(2, 0, "x"));
             EXPECT_FALSE(g.SetItemText(0, -1, "x"));
         },
         [](const CGridCtrl& g) {
             EXPECT_EQ(g.GetRowCount(), 2);
             EXPECT_EQ(g.GetColumnCount(), 2);
             EXPECT_EQ(g.GetRowHeight(-1), -1);
             EXPECT_EQ(g.GetColumnWidth(2), -1);
             EXPECT_EQ(g.GetItemText(5, 5), "");
             EXPECT_EQ(g.GetItemState(-1, 0), 0u);
             EXPECT_EQ(g.GetCell(0, 2), nullptr);
         }},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGridCtrl grid;
        c.act(grid);
        c.check(grid);
    }
}

namespace {
// Fails for want of memory after a number of cells.
class ScarceGrid : public CGridCtrl {
public:
    int budget = 1000000;
    CGridCellBase* CreateCell(int row, int col) override {
        if (budget-- <= 0) throw std::bad_alloc();
        return CGridCtrl::CreateCell(row, col);
    }
};
}  // namespace

TEST(GridCells, MemoryFailureGivesMessageAndKeepsWhatWasBuilt) {
    winsys::RecordingSink sink;
    winsys::MessageSink* previous = winsys::SetMessageSink(&sink);
    ScarceGrid grid;
    ASSERT_TRUE(grid.SetColumnCount(4));
    grid.budget = 10;  // two whole rows and two cells of the third
    EXPECT_FALSE(grid.SetRowCount(100));
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetRowHeight(1) > 0, true);
    EXPECT_EQ(grid.GetRowHeight(2), -1);
    grid.budget = 1;
    EXPECT_FALSE(grid.SetColumnCount(6));
    EXPECT_EQ(grid.GetColumnCount(), 4);
    EXPECT_TRUE(grid.SetItemText(1, 3, "kept"));
    EXPECT_EQ(grid.GetItemText(1, 3), "kept");
    winsys::SetMessageSink(previous);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("2 Zeilen"), std::string::npos);
    EXPECT_EQ(sink.messages[0].icon, winsys::Icon::Error);
}

TEST(GridCells, CellClassesKeysAndStates) {
    CGridCtrl grid(3, 3, 1, 1);
    CGridCellBase* before = grid.GetCell(1, 1);
    EXPECT_TRUE(grid.SetCellClass(1, 1, GRID_RUNTIME_CLASS(CGridCell)));
    EXPECT_EQ(grid.GetCell(1, 1), before);
    EXPECT_FALSE(grid.SetCellClass(3, 1, GRID_RUNTIME_CLASS(CGridCell)));
    EXPECT_EQ(FindGridCellClass("CGridCell"), GRID_RUNTIME_CLASS(CGridCell));
    EXPECT_TRUE(GRID_RUNTIME_CLASS(CGridDefaultCell)->IsDerivedFrom(GRID_RUNTIME_CLASS(CGridCellBase)));

    // Replacing a cell by another class keeps its contents.
    grid.SetItemText(2, 2, "Wert");
    EXPECT_TRUE(grid.SetCellClass(2, 2, GRID_RUNTIME_CLASS(CGridDefaultCell)));
    EXPECT_EQ(grid.GetCell(2, 2)->GetRuntimeClass(), GRID_RUNTIME_CLASS(CGridDefaultCell));
    EXPECT_EQ(grid.GetItemText(2, 2), "Wert");

    EXPECT_EQ(grid.GetRowHeight(-1), -1);
    EXPECT_EQ(grid.GetColumnWidth(grid.GetColumnCount()), -1);
    // Keys of cells that would collide with 16-bit halves.
    EXPECT_NE(CGridCtrl::SelectionKey(0, 65536), CGridCtrl::SelectionKey(1, 0));
    EXPECT_NE(CGridCtrl::SelectionKey(65536, 0), CGridCtrl::SelectionKey(0, 0));

    EXPECT_TRUE(grid.SetItemState(1, 2, GIS_SELECTED));
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    EXPECT_TRUE(grid.IsCellSelected(1, 2));
    EXPECT_TRUE(grid.SetItemState(1, 2, GIS_READONLY));
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_FALSE(grid.IsCellSelected(1, 2));
    EXPECT_FALSE(grid.IsCellEditable(1, 2));
    EXPECT_TRUE(grid.IsCellEditable(2, 1));
    // A destroyed cell leaves the map.
    grid.SetItemState(2, 2, GIS_SELECTED);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
}

TEST(GridCells, ManyColumnsSelectDistinctCells) {
    CGridCtrl grid(2, 65537, 0, 0);
    grid.SetSelectedRange(0, 65536, 0, 65536);
    EXPECT_TRUE(grid.IsCellSelected(0, 65536));
    EXPECT_FALSE(grid.IsCellSelected(1, 0));
    EXPECT_FALSE(grid.IsCellSelected(0, 0));
    EXPECT_EQ(grid.GetSelectedCount(), 1);
}

TEST(GridCells, DefaultCellsAndDrawingDefaults) {
    CGridCtrl grid(2, 2, 1, 1);
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    const QFontMetrics fm(def->GetFontObject());
    EXPECT_EQ(def->GetWidth(), fm.horizontalAdvance(QStringLiteral(" XXXXXXXXXXXX ")));
    EXPECT_EQ(def->GetHeight(), fm.height() * 3 / 2);
    EXPECT_EQ(def->GetMargin(), unsigned(fm.horizontalAdvance(QLatin1Char(' '))));
    EXPECT_EQ(def->GetFormat(), 0x8824u);
    EXPECT_TRUE(def->GetState() & GIS_READONLY);
    EXPECT_EQ(def->GetBackClr(), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(grid.GetDefaultCell(true, false)->GetBackClr(), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(grid.GetDefaultCell(true, true)->GetTextClr(), GetSysColor(COLOR_WINDOWTEXT));

    // Format -1 reads the default's; an unset background draws the default's.
    CGridCellBase* cell = grid.GetCell(1, 1);
    cell->SetFormat(unsigned(-1));
    EXPECT_EQ(cell->GetFormat(), 0x8824u);
    EXPECT_EQ(cell->GetBackClr(), CLR_DEFAULT);
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        EXPECT_TRUE(cell->Draw(&p, 1, 1, {0, 0, 39, 19}, true));
    }
    EXPECT_EQ(img.pixel(1, 1), ToQColor(GetSysColor(COLOR_WINDOW)).rgb());
    cell->SetBackClr(RGBColor(255, 0, 0));
    {
        QPainter p(&img);
        cell->Draw(&p, 1, 1, {0, 0, 39, 19}, false);  // an own colour fills even without erase
    }
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
}

TEST(GridCells, CopyFromCopiesEveryAttribute) {
    CGridCtrl grid(2, 2, 0, 0);
    CGridCell source;
    source.SetGrid(&grid);
    source.SetText("Quelle");
    source.SetImage(4);
    source.SetData(77);
    source.SetState(GIS_READONLY | GIS_MODIFIED);
    source.SetFormat(DT_RIGHT);
    source.SetTextClr(0x0000FF);
    source.SetBackClr(0x00FF00);
    QFont font("Sans", 17);
    source.SetFont(&font);
    source.SetMargin(9);
    CGridCell copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.GetGrid(), &grid);
    EXPECT_EQ(copy.GetText(), "Quelle");
    EXPECT_EQ(copy.GetImage(), 4);
    EXPECT_EQ(copy.GetData(), 77);
    EXPECT_EQ(copy.GetState(), GIS_READONLY | GIS_MODIFIED);
    EXPECT_EQ(copy.GetFormat(), DT_RIGHT);
    EXPECT_EQ(copy.GetTextClr(), 0x0000FFu);
    EXPECT_EQ(copy.GetBackClr(), 0x00FF00u);
    ASSERT_FALSE(copy.IsDefaultFont());
    EXPECT_EQ(copy.GetFont()->pointSize(), 17);
    EXPECT_EQ(copy.GetMargin(), 9u);
    // A source on the default font leaves the copy on it.
    source.SetFont(nullptr);
    copy.CopyFrom(source);
    EXPECT_TRUE(copy.IsDefaultFont());
    copy.Reset();
    EXPECT_EQ(copy.GetText(), "");
    EXPECT_EQ(copy.GetState(), 0u);
    EXPECT_EQ(copy.GetBackClr(), CLR_DEFAULT);
}

namespace {
int g_dispCalls = 0;
bool DisplayInfo(GRIDDISPINFO* info, std::intptr_t data) {
    ++g_dispCalls;
    info->item.strText = std::to_string(info->item.row * 10 + info->item.col + int(data));
    return true;
}
}  // namespace

TEST(GridCells, VirtualModeReadsThroughTheParent) {
    GridFixture f(0, 0, 0, 0, 300, 200);
    f.grid.SetVirtualMode(true);
    f.grid.SetRowCount(20);
    f.grid.SetColumnCount(4);
    f.grid.SetFixedRowCount(1);
    EXPECT_EQ(f.grid.GetRowCount(), 20);
    EXPECT_FALSE(f.grid.SetItemText(2, 2, "x"));
    EXPECT_FALSE(f.grid.SetItemBackColor(2, 2, 0));

    // By callback: one call per read.
    g_dispCalls = 0;
    f.grid.SetDisplayInfoCallback(&DisplayInfo, 1000);
    EXPECT_EQ(f.grid.GetItemText(3, 2), "1032");
    EXPECT_EQ(g_dispCalls, 1);
    EXPECT_TRUE(f.grid.GetItemState(0, 1) & GIS_FIXEDROW);
    EXPECT_EQ(g_dispCalls, 2);

    // By notification, with cache hints around each painted block.
    f.grid.SetDisplayInfoCallback(nullptr, 0);
    f.parent.notes.clear();
    EXPECT_EQ(f.grid.GetItemText(3, 2), "");
    ASSERT_EQ(f.parent.notes.size(), 1u);
    EXPECT_EQ(f.parent.notes[0].code, GN_GETDISPINFO);
    EXPECT_EQ(f.parent.notes[0].row, 3);

    f.parent.notes.clear();
    f.grid.Widget()->grab();
    ASSERT_GE(f.parent.notes.size(), 3u);
    EXPECT_EQ(f.parent.notes.front().code, GN_ODCACHEHINT);
    EXPECT_EQ(f.parent.notes.front().range, f.grid.GetVisibleCellRange());
    EXPECT_EQ(f.parent.notes.back().code, GN_ODCACHEHINT);
    EXPECT_EQ(f.parent.notes.back().range, CGridCellRange(-1, -1, -1, -1));
    EXPECT_GT(f.parent.Count(GN_GETDISPINFO), 4);

    // Selection lives in the map alone.
    f.grid.SetSelectedRange(2, 1, 3, 1);
    EXPECT_TRUE(f.grid.IsCellSelected(3, 1));
    EXPECT_EQ(f.grid.GetSelectedCount(), 2);
}

TEST(GridCells, SortingMovesRowsWithHeightsAndNotifies) {
    GridFixture f(5, 2, 1, 0);
    const char* texts[] = {"b", "d", "a", "c"};
    for (int r = 1; r <= 4; ++r) {
        f.grid.SetItemText(r, 0, texts[r - 1]);
        f.grid.SetRowHeight(r, 20 + r);  // b 21, d 22, a 23, c 24
    }
    ASSERT_TRUE(f.grid.SortByText(0, true));
    const char* asc[] = {"a", "b", "c", "d"};
    const int ascHeights[] = {23, 21, 24, 22};
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(f.grid.GetItemText(r, 0), asc[r - 1]);
        EXPECT_EQ(f.grid.GetRowHeight(r), ascHeights[r - 1]);
        EXPECT_EQ(static_cast<CGridCell*>(f.grid.GetCell(r, 0))->GetRow(), r);
    }
    EXPECT_EQ(f.grid.GetItemText(0, 0), "r0c0");  // fixed rows stay
    f.grid.SortByText(0, false);
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(f.grid.GetItemText(r, 0), asc[4 - r]);
    EXPECT_EQ(f.grid.GetSortColumn(), 0);
    EXPECT_FALSE(f.grid.SortByText(7, true));

    EXPECT_EQ(CGridCtrl::CompareByText(nullptr, f.grid.GetCell(1, 0), 0), 0);

    // The notifications carry the grid's control id.
    f.parent.notes.clear();
    const int codes[] = {wl::NM_CLICK, wl::NM_DBLCLK, wl::NM_RCLICK, GN_SELCHANGING,
                         GN_SELCHANGED, GN_BEGINLABELEDIT, GN_ENDLABELEDIT};
    for (int code : codes) f.grid.SendMessageToParent(2, 1, code);
    ASSERT_EQ(f.parent.notes.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(f.parent.notes[i].code, codes[i]);
        EXPECT_EQ(f.parent.notes[i].id, 100);
        EXPECT_EQ(f.parent.notes[i].row, 2);
        EXPECT_EQ(f.parent.notes[i].col, 1);
    }
    EXPECT_EQ(codes[0], -2);
    EXPECT_EQ(codes[1], -3);
    EXPECT_EQ(codes[2], -5);
}
