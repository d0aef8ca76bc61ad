// The dialog resizer: margins kept at every size, nothing moves for an empty
// client area, rounding of the shares; a child's rectangle in its parent.
#include <gtest/gtest.h>

#include <QWidget>

#include "graphics/DlgResizer.h"
#include "platform/wl/window.h"

namespace {

struct Fixture {
    QWidget parentWidget;
    QWidget* childWidget = new QWidget(&parentWidget);
    wl::Window parent, child;
    Fixture() {
        parent.Attach(&parentWidget);
        child.Attach(childWidget);
        childWidget->setGeometry(11, 12, 13, 14);
    }
    ~Fixture() {
        child.Detach();
        parent.Detach();
    }
};

}  // namespace

TEST(DlgResizer, KeepsMarginsAtEverySize) {
    Fixture f;
    CDlgResizer r;
    r.AddControl(&f.child, 0, 0, 100, 100, 5, 5, -5, -5);
    for (auto [w, h] : {std::pair{300, 200}, std::pair{640, 480}}) {
        r.Layout(wl::Rect{0, 0, w, h});
        EXPECT_EQ(f.child.GetWindowRect(), (wl::Rect{5, 5, w - 5, h - 5})) << w;
    }
}

TEST(DlgResizer, EmptyClientAreaMovesNothing) {
    Fixture f;
    CDlgResizer r;
    r.AddControl(&f.child, 0, 0, 100, 100, 5, 5, -5, -5);
    for (const wl::Rect& empty : {wl::Rect{0, 0, 300, 0}, wl::Rect{0, 0, 0, 200}}) {
        r.Layout(empty);
        EXPECT_EQ(f.child.GetWindowRect(), (wl::Rect{11, 12, 24, 26}));
    }
    CDlgResizer none;
    none.Layout(wl::Rect{0, 0, 100, 100});  // no children: nothing to do
}

TEST(DlgResizer, SharesRoundToTheNearestPixel) {
    struct Case {
        int percent, length, offset, edge;
    } cases[] = {
        {50, 301, 0, 151},  // 150.5
        {33, 100, 0, 33},   {33, 101, 0, 33},  // 33.33
        {67, 101, 2, 70},   // 67.67 + 2
        {25, 2, 0, 1},      // 0.5
        {10, 4, -1, -1},    // 0.4 rounds down
    };
    for (const auto& c : cases) {
        CDlgResizer::Entry e;
        e.percentLeft = e.percentTop = e.percentRight = e.percentBottom = c.percent;
        e.offsetLeft = e.offsetTop = e.offsetRight = e.offsetBottom = c.offset;
        const wl::Rect r = CDlgResizer::Place(e, wl::Rect{0, 0, c.length, c.length});
        EXPECT_EQ(r.left, c.edge) << c.percent << " of " << c.length;
        EXPECT_EQ(r.right, c.edge) << c.percent << " of " << c.length;
        EXPECT_EQ(r.bottom, c.edge) << c.percent << " of " << c.length;
    }
}

TEST(DlgResizer, ChildRectInParent) {
    Fixture f;
    f.parentWidget.setGeometry(100, 50, 400, 300);
    wl::Rect r{-1, -1, -1, -1};
    GetChildRectInParent(&f.parent, &f.child, r);
    const QPoint frame = f.parentWidget.geometry().topLeft() - f.parentWidget.frameGeometry().topLeft();
    EXPECT_EQ(r, (wl::Rect{11 + frame.x(), 12 + frame.y(), 24 + frame.x(), 26 + frame.y()}));
    wl::Rect untouched{1, 2, 3, 4};
    wl::Window none;
    GetChildRectInParent(&f.parent, &none, untouched);
    GetChildRectInParent(nullptr, &f.child, untouched);
    EXPECT_EQ(untouched, (wl::Rect{1, 2, 3, 4}));
}
