// Tree paths: inserting, finding with and without case, empty parts, both
// collection orders, selecting; the tab control's page ids.
#include <gtest/gtest.h>

#include <QTabBar>
#include <QTreeWidget>

#include "graphics/TreePaths.h"
#include "graphics/VKTTabCtrl.h"
#include "platform/wl/testing/gui_test.h"

namespace {

struct TreeFixture {
    QTreeWidget widget;
    wl::TreeCtrl tree;
    TreeFixture() { tree.Attach(&widget); }
    ~TreeFixture() { tree.Detach(); }
};

}  // namespace

TEST(TreePaths, InsertFindAndPath) {
    TreeFixture f;
    HTREEITEM item = 0;
    ASSERT_TRUE(TreeInsertPath(item, "A\\B\\Item", &f.tree));
    EXPECT_EQ(f.tree.GetCount(), 3);
    HTREEITEM again = 0;
    ASSERT_TRUE(TreeInsertPath(again, "A\\B\\Item", &f.tree));
    EXPECT_EQ(again, item);
    EXPECT_EQ(f.tree.GetCount(), 3);
    std::string path;
    ASSERT_TRUE(TreeGetItemPath(path, item, &f.tree));
    EXPECT_EQ(path, "A\\B\\Item");
    EXPECT_FALSE(TreeGetItemPath(path, 0, &f.tree));
    EXPECT_EQ(path, "");

    HTREEITEM found = 0;
    EXPECT_TRUE(TreeFindPath(found, 0, "a\\b\\item", &f.tree, true));
    EXPECT_EQ(found, item);
    EXPECT_FALSE(TreeFindPath(found, 0, "a\\b\\item", &f.tree, false));
    EXPECT_EQ(found, 0);
    // Umlauts fold too.
    HTREEITEM umlaut = 0;
    ASSERT_TRUE(TreeInsertPath(umlaut, "Ä\\Öl", &f.tree));
    EXPECT_TRUE(TreeFindPath(found, 0, "ä\\öL", &f.tree, true));
    EXPECT_EQ(found, umlaut);
    // An empty part looks for an item with an empty text.
    EXPECT_FALSE(TreeFindPath(found, 0, "A\\\\X", &f.tree, false));
    HTREEITEM x = 0;
    ASSERT_TRUE(TreeInsertPath(x, "A\\\\X", &f.tree));
    EXPECT_EQ(f.tree.GetItemText(f.tree.GetParentItem(x)), "");
    EXPECT_TRUE(TreeFindPath(found, 0, "A\\\\X", &f.tree, false));
    // Bad input.
    EXPECT_FALSE(TreeInsertPath(found, "", &f.tree));
    EXPECT_FALSE(TreeInsertPath(found, "A", nullptr));
}

TEST(TreePaths, CollectOrdersAndSelect) {
    TreeFixture f;
    HTREEITEM i = 0;
    for (const char* p : {"A\\A1", "A\\A2", "B\\B1"}) ASSERT_TRUE(TreeInsertPath(i, p, &f.tree));
    auto text = [&](const std::vector<std::intptr_t>& items) {
        std::string s;
        for (auto h : items) s += f.tree.GetItemText(h) + " ";
        return s;
    };
    std::vector<std::intptr_t> pre, level;
    TreeCollectItems(0, &f.tree, pre, true);
    TreeCollectItems(0, &f.tree, level, false);
    EXPECT_EQ(text(pre), "A A1 A2 B B1 ");
    EXPECT_EQ(text(level), "A B A1 A2 B1 ");
    std::vector<std::intptr_t> below;
    HTREEITEM a = 0;
    ASSERT_TRUE(TreeFindPath(a, 0, "A", &f.tree, false));
    TreeCollectItems(a, &f.tree, below, true);
    EXPECT_EQ(text(below), "A A1 A2 ");

    HTREEITEM sel = 0;
    EXPECT_TRUE(TreeSelectPath(sel, "B\\B1", &f.tree));
    EXPECT_EQ(f.tree.GetSelectedItem(), sel);
    EXPECT_FALSE(TreeSelectPath(sel, "C", &f.tree));
    EXPECT_EQ(f.tree.GetSelectedItem(), f.tree.GetRootItem());
}

TEST(VKTTabCtrl, SelectByPageId) {
    QWidget row;
    new QTabBar(&row);
    CVKTTabCtrl tabs;
    tabs.Attach(&row);
    EXPECT_STREQ(tabs.ClassName(), "CVKTTabCtrl");
    EXPECT_EQ(tabs.GetCurSelPage(), -1);  // no tab, no record
    EXPECT_EQ(tabs.SelectTab(7), -1);
    // A tab without a page record is selected: no page was selected before.
    tabs.InsertItem(0, "Übersicht");
    tabs.AddPage(7, "System");
    tabs.AddPage(3, "Lasten");
    tabs.AddPage(9, "Ausgabe");
    ASSERT_EQ(tabs.GetCurSel(), 0);
    EXPECT_EQ(tabs.GetCurSelPage(), -1);
    EXPECT_EQ(tabs.SelectTab(3), -1);
    EXPECT_EQ(tabs.GetCurSelPage(), 3);
    EXPECT_EQ(tabs.SelectTab(9), 3);
    EXPECT_EQ(tabs.GetCurSelPage(), 9);
    // An unknown page id: -1 and the selection stays.
    EXPECT_EQ(tabs.SelectTab(42), -1);
    EXPECT_EQ(tabs.GetCurSel(), 3);
    EXPECT_EQ(tabs.FindTab(1), 0);
    EXPECT_EQ(tabs.FindPage(42), -1);
    tabs.Detach();
}
