// The popup menu builder: submenus by path, first entry wins, separators and
// check marks, the chosen id through the UI service.
#include <gtest/gtest.h>

#include "graphics/PopupMenuBuilder.h"
#include "platform/wl/testing/gui_test.h"

TEST(PopupMenuBuilder, PathsMakeSubmenusInOrder) {
    CPopupMenuBuilder b;
    b.AddItem("A\\X", 10);
    b.AddItem("A\\Y", 11);
    b.AddItem("A\\X", 99);  // exists: the first id stays
    b.AddItem("", 12);      // nothing
    b.AddItem("Trenner", 13, true);
    b.AddItem("Raster", 14, false, true);
    const wl::Menu m = b.BuildMenu();
    ASSERT_EQ(m.items.size(), 3u);
    EXPECT_EQ(m.items[0].text, "A");
    ASSERT_EQ(m.items[0].items.size(), 2u);
    EXPECT_EQ(m.items[0].items[0].text, "X");
    EXPECT_EQ(m.items[0].items[0].id, 10);
    EXPECT_EQ(m.items[0].items[1].text, "Y");
    EXPECT_EQ(m.items[0].items[1].id, 11);
    // The separator flag makes a separator line whatever the text.
    EXPECT_EQ(m.items[1].id, 0);
    EXPECT_EQ(m.items[1].text, "");
    EXPECT_TRUE(m.items[1].items.empty());
    EXPECT_EQ(m.items[2].id, 14);
    EXPECT_TRUE(m.items[2].checked);
    // Parts compare byte for byte: "a" is another submenu.
    b.AddItem("a\\X", 15);
    EXPECT_EQ(b.Items().size(), 4u);
    EXPECT_EQ(b.Items()[0]->children[0]->parent, b.Items()[0].get());
    b.Clear();
    EXPECT_TRUE(b.BuildMenu().items.empty());
}

TEST(PopupMenuBuilder, TrackAnswersTheChosenIdOrZero) {
    wl::guitest::ScriptedUi ui;
    CPopupMenuBuilder b;
    b.AddItem("Einfügen\\Tabelle", 40001);
    ui.menuAnswers.push_back(40001);
    EXPECT_EQ(b.Track(10, 20, nullptr), 40001);
    // Dismissed.
    ui.menuAnswers.push_back(0);
    EXPECT_EQ(b.Track(10, 20, nullptr), 0);
}
