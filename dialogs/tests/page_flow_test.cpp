// Blocks of a page's controls flowing into rows: side by side while the
// width allows, the next row below the lowest block otherwise, each block
// keeping its controls' places to each other.
#include <gtest/gtest.h>

#include "dialogs/PageFlow.h"
#include "platform/wl/dialog.h"
#include "platform/wl/templates.h"
#include "platform/wl/testing/gui_test.h"

namespace {

using wl::Kind;

constexpr int kTemplate = 29990;

// Two groups of 100 x 60 dialog units, each with a check box inside, and a
// button below them.
const wl::TemplateRegistrar kPage({
    kTemplate,
    "",
    300,
    200,
    wl::kDlgChild,
    {
        {29991, Kind::GroupBox, "Eins", 5, 5, 100, 60},
        {29992, Kind::CheckBox, "a", 15, 20, 50, 10},
        {29993, Kind::GroupBox, "Zwei", 110, 10, 100, 40},
        {29994, Kind::CheckBox, "b", 120, 25, 50, 10},
        {29995, Kind::Button, "Los", 5, 80, 50, 14},
    },
});

wl::Rect Place(const wl::Dialog& d, int id) { return d.GetDlgItem(id)->GetWindowRect(); }

}  // namespace

TEST(PageFlow, BlocksSideBySideOrInRows) {
    wl::Dialog page(kTemplate);
    ASSERT_TRUE(page.Create(nullptr));
    CControlBlock one = CControlBlock::FromTemplate(page, kTemplate, 0, 0, 107, 70);
    CControlBlock two = CControlBlock::FromTemplate(page, kTemplate, 107, 0, 110, 70);
    const wl::Rect g1 = wl::DluToPixels(5, 5, 100, 60), g2 = wl::DluToPixels(110, 10, 100, 40);
    EXPECT_EQ(one.Bounds(), g1);
    EXPECT_EQ(two.Bounds(), g2);
    const int gap = 10;
    struct Case {
        int right;
        bool sideBySide;
    };
    for (const Case c : {Case{1000, true}, Case{8 + g1.Width() + gap + g2.Width(), true},
                         Case{8 + g1.Width() + gap + g2.Width() - 1, false}, Case{50, false}}) {
        const int bottom = FlowBlocks({&one, &two}, 8, 4, c.right, gap);
        const wl::Rect r1 = Place(page, 29991), r2 = Place(page, 29993);
        EXPECT_EQ(r1.left, 8) << c.right;
        EXPECT_EQ(r1.top, 4) << c.right;
        if (c.sideBySide) {
            // Beside the first, as far below the row's top as the template has it.
            EXPECT_EQ(r2.left, r1.right + gap) << c.right;
            EXPECT_EQ(r2.top, 4 + (g2.top - g1.top)) << c.right;
            EXPECT_EQ(bottom, std::max(r1.bottom, r2.bottom)) << c.right;
        } else {
            EXPECT_EQ(r2.left, 8) << c.right;
            EXPECT_EQ(r2.top, r1.bottom + gap + (g2.top - g1.top)) << c.right;
            EXPECT_EQ(bottom, r2.bottom) << c.right;
        }
        // Each check box keeps its place in its group.
        const wl::Rect a = Place(page, 29992), b = Place(page, 29994);
        EXPECT_EQ(a.left - r1.left, wl::DluToPixelX(15) - g1.left) << c.right;
        EXPECT_EQ(a.top - r1.top, wl::DluToPixelY(20) - g1.top) << c.right;
        EXPECT_EQ(b.left - r2.left, wl::DluToPixelX(120) - g2.left) << c.right;
        EXPECT_EQ(b.top - r2.top, wl::DluToPixelY(25) - g2.top) << c.right;
    }
    // The button belongs to neither block and stays.
    EXPECT_EQ(Place(page, 29995), wl::DluToPixels(5, 80, 50, 14));
}

TEST(PageFlow, GroupEndsBelowItsLastControlAndBlocksOfIds) {
    wl::Dialog page(kTemplate);
    ASSERT_TRUE(page.Create(nullptr));
    CControlBlock one = CControlBlock::FromTemplate(page, kTemplate, 0, 0, 107, 70);
    one.FitFrameToContent(6);
    const wl::Rect box = wl::DluToPixels(15, 20, 50, 10);
    EXPECT_EQ(one.Height(), box.bottom + 6 - wl::DluToPixelY(5));
    one.MoveTo(20, 30);
    EXPECT_EQ(Place(page, 29991), (wl::Rect{20, 30, 20 + one.Width(), 30 + one.Height()}));
    // A block of named controls; an id the page lacks is passed over.
    CControlBlock button = CControlBlock::FromIds(page, kTemplate, {29995, 12345});
    EXPECT_EQ(button.Bounds(), wl::DluToPixels(5, 80, 50, 14));
    button.MoveTo(100, 100);
    EXPECT_EQ(Place(page, 29995), (wl::Rect{100, 100, 100 + button.Width(), 100 + button.Height()}));
    // Nothing to flow: the top comes back.
    EXPECT_EQ(FlowBlocks({}, 0, 17, 100, 5), 17);
}
