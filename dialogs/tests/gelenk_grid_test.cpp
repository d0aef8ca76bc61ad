// The hinge input grid: rows and records after edits, the entry row, the
// context menu and its commands.
#include <gtest/gtest.h>

#include <QImage>

#include "dialogs/GelenkGrid.h"
#include "support/dialog_parent.h"
#include "platform/wl/testing/gui_test.h"

namespace {

class Hinges : public dialogtest::GridOnParent<CGelenkGrid> {
public:
    explicit Hinges(int width = 560) : GridOnParent<CGelenkGrid>(width, 220) {
        grid.InitGrid();
        grid.SetNodeChoices("%d (x=%.2lf m)", {0.0, 3.0, 7.5});
        grid.ExchangeData(false);
    }
    // An edit of (row, col) as the user ends it.
    void Edit(int row, int col, const std::string& text) {
        grid.SetFocusCell(row, col);
        grid.OnEndEditCell(row, col, text);
    }
    void Add(int node, const char* text) {
        const int row = int(grid.Hinges().size()) + 1;
        grid.SetComboCellIndex(row, 1, node);
        Edit(row, 1, grid.NodeTexts()[size_t(node)]);
        Edit(row, 3, text);
    }
};

}  // namespace

TEST(HingeGrid, EmptyListShowsHeaderAndEntryRowWithoutMenu) {
    Hinges f;
    EXPECT_EQ(f.grid.GetRowCount(), 2);
    EXPECT_EQ(f.grid.GetColumnCount(), CGelenkGrid::kColumns);
    EXPECT_EQ(f.grid.GetItemText(0, 1), "Knoten");
    EXPECT_EQ(f.grid.GetItemText(0, 4), "Vx");
    EXPECT_EQ(f.grid.GetItemText(0, 10), "Mw");
    EXPECT_EQ(f.grid.NodeTexts()[1], "2 (x=3.00 m)");
    wl::guitest::ScriptedUi ui;
    const QPoint p = f.Centre(1, 3);
    f.grid.OnRButtonUp(0, {p.x(), p.y()});
    EXPECT_TRUE(ui.menus.empty());
}

TEST(HingeGrid, EntryRowEdits) {
    struct Case {
        const char* name;
        int col;
        std::string text;
        int comboIndex;  // for column 1
        size_t hinges;
    };
    const Case cases[] = {
        {"a node chosen adds a hinge with that node", 1, "3 (x=7.50 m)", 2, 1},
        {"a distance of 0 adds nothing", 2, "0", -1, 0},
        {"a distance adds a hinge", 2, "1,5", -1, 1},
        {"a description adds a hinge", 3, "Gelenk A", -1, 1},
        {"an empty description adds nothing", 3, "", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Hinges f;
        if (c.col == 1) f.grid.SetComboCellIndex(1, 1, c.comboIndex);
        f.Edit(1, c.col, c.text);
        ASSERT_EQ(f.grid.Hinges().size(), c.hinges);
        EXPECT_EQ(f.grid.GetRowCount(), int(c.hinges) + 2);
        if (c.hinges == 0) continue;
        const CHinge& h = f.grid.Hinges()[0];
        if (c.col == 1) EXPECT_EQ(h.m_iNode, 2);
        if (c.col == 2) EXPECT_DOUBLE_EQ(h.m_offset.GetValue(), 1.5);
        if (c.col == 3) EXPECT_EQ(h.m_strDesc, c.text);
        for (int k = 0; k < 7; ++k) EXPECT_EQ(h.m_release[k], 0);
        // The new entry row below is empty.
        EXPECT_EQ(f.grid.GetItemText(2, 3), "");
        EXPECT_EQ(f.grid.GetComboCellIndex(2, 1), -1);
    }
}

TEST(HingeGrid, EditsThatChangeNoRecord) {
    Hinges f;
    f.Add(1, "A");
    ASSERT_EQ(f.grid.Hinges().size(), 1u);
    const int entry = 2;
    // A release box in the entry row adds nothing.
    f.grid.SetCheckCell(entry, 5, 1);
    f.grid.SetFocusCell(entry, 5);
    f.grid.OnCheckCellClicked(entry, 5);
    EXPECT_EQ(f.grid.Hinges().size(), 1u);
    // The header row and the fixed column 0 change no record.
    f.Edit(0, 3, "Kopf");
    f.Edit(1, 0, "9");
    EXPECT_EQ(f.grid.Hinges()[0].m_strDesc, "A");
    EXPECT_EQ(f.grid.Hinges().size(), 1u);
    // A release of the hinge's own row is taken back.
    f.grid.SetCheckCell(1, 6, 1);
    f.grid.SetFocusCell(1, 6);
    f.grid.OnCheckCellClicked(1, 6);
    EXPECT_EQ(f.grid.Hinges()[0].m_release[2], 1);
}

TEST(HingeGrid, CopyAndDeleteCommands) {
    wl::guitest::ScriptedUi ui;
    Hinges f;
    f.Add(0, "erstes");
    f.Add(2, "zweites");
    ASSERT_EQ(f.grid.Hinges().size(), 2u);

    // The menu offers both commands on a hinge row.
    ui.menuAnswers.push_back(CGelenkGrid::CMD_COPY);
    const QPoint p = f.Centre(2, 3);
    f.grid.OnRButtonUp(0, {p.x(), p.y()});
    ASSERT_EQ(ui.menus.size(), 1u);
    ASSERT_EQ(ui.menus[0].items.size(), 2u);
    EXPECT_EQ(ui.menus[0].items[0].text, "Gelenk löschen");
    EXPECT_EQ(ui.menus[0].items[1].text, "Gelenk kopieren");
    ASSERT_EQ(f.grid.Hinges().size(), 3u);  // the last copied: appended
    EXPECT_EQ(f.grid.Hinges()[2].m_strDesc, "zweites");
    EXPECT_EQ(f.grid.Hinges()[2].m_iNode, 2);
    EXPECT_EQ(f.grid.GetItemText(3, 3), "zweites");
    EXPECT_EQ(f.grid.GetRowCount(), 5);

    f.grid.OnContextMenuCommand(1, 3, CGelenkGrid::CMD_DELETE);
    ASSERT_EQ(f.grid.Hinges().size(), 2u);
    EXPECT_EQ(f.grid.Hinges()[0].m_strDesc, "zweites");
    EXPECT_EQ(f.grid.GetItemText(1, 3), "zweites");
    EXPECT_EQ(f.grid.GetItemText(3, 3), "");  // the entry row
    f.grid.OnContextMenuCommand(7, 3, CGelenkGrid::CMD_DELETE);  // outside: ignored
    EXPECT_EQ(f.grid.Hinges().size(), 2u);
}

TEST(Screenshot, HingeGrid) {
    Hinges f;
    f.Add(0, "Auflager links");
    f.Add(2, "Feldgelenk");
    f.grid.SetCheckCell(2, 8, 1);
    f.grid.SetFocusCell(2, 8);
    f.grid.OnCheckCellClicked(2, 8);
    f.grid.SetFocusCell(-1, -1);
    f.grid.HighlightRow(-1);
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(f.parent, "dialogs_hinge_grid");
    const QRect grid = wl::guitest::RectIn(f.grid.Widget(), f.parent.Widget());
    // The shown columns fill the client width.
    long long total = 0;
    for (int c = 0; c < f.grid.GetColumnCount(); ++c) total += f.grid.GetColumnWidth(c);
    EXPECT_EQ(total, f.grid.GetGridClientRect().Width());
    // The entry row is empty: nothing but background in its description.
    wl::Rect entry;
    f.grid.GetCellRect(3, 3, entry);
    const QRect in(grid.left() + entry.left + 2, grid.top() + entry.top + 2, entry.Width() - 4, entry.Height() - 4);
    EXPECT_EQ(wl::guitest::CountInk(img, in, qRgb(255, 255, 255)), 0);
    wl::Rect filled;
    f.grid.GetCellRect(2, 3, filled);
    const QRect in2(grid.left() + filled.left + 2, grid.top() + filled.top + 2, filled.Width() - 4, filled.Height() - 4);
    EXPECT_GT(wl::guitest::CountInk(img, in2, qRgb(255, 255, 255)), 10);
    ASSERT_NE(f.grid.GetHeaderStrip(), nullptr);
    EXPECT_EQ(f.grid.GetHeaderStrip()->GetItemText(0, 1), "Freiheitsgrade");
}
