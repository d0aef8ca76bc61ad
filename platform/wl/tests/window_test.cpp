// Windows: handles, re-parenting and sizes, timers, F1, the locale.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QTest>
#include <clocale>
#include <cstdio>

#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/test_dialog.h"

using namespace wl;
using namespace wltest;

namespace {

class Page : public Dialog {
public:
    Page() : Dialog(kChildPage) {}
    std::vector<Size> sizes;
    std::vector<std::pair<unsigned, qint64>> ticks;
    QElapsedTimer clock;
    int helps = 0;
    bool destroyed = false;
    std::vector<bool> shows;
    std::vector<std::pair<int, Point>> menus;

protected:
    void OnSize(unsigned, int cx, int cy) override { sizes.push_back({cx, cy}); }
    void OnTimer(unsigned id) override { ticks.push_back({id, clock.elapsed()}); }
    bool OnHelpInfo() override {
        ++helps;
        return true;
    }
    void OnDestroy() override { destroyed = true; }
    void OnShowWindow(bool show) override { shows.push_back(show); }
    void OnContextMenu(Window* w, Point pos) override { menus.push_back({w ? w->GetDlgCtrlID() : -1, pos}); }
};

// The host's window: follows its child's size in its own OnSize.
class Host : public Window {
public:
    Window* child = nullptr;

protected:
    void OnSize(unsigned, int cx, int cy) override {
        if (child) child->SetWindowPos(nullptr, 5, 5, cx - 10, cy - 10, SWP_NOZORDER);
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestTemplates(); }
    winsys::ScopedRecordingSink messages;
};

}  // namespace

TEST_F(WindowTest, HandlesFindLiveWindowsOnly) {
    EXPECT_TRUE(HasWindowSystem());
    auto page = std::make_unique<Page>();
    EXPECT_EQ(page->GetSafeHwnd(), 0u);  // no window yet
    ASSERT_TRUE(page->Create(nullptr));
    std::uintptr_t h = page->GetSafeHwnd();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(Window::FromHandle(h), page.get());
    EXPECT_STREQ(Window::FromHandle(h)->ClassName(), "Dialog");
    // Controls are windows with handles as well.
    Window* edit = page->GetDlgItem(2001);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Window::FromHandle(edit->GetSafeHwnd()), edit);
    EXPECT_EQ(edit->GetParent(), page.get());
    EXPECT_EQ(page->GetDlgItem(2999), nullptr);

    // 0, a random value and a destroyed window give none.
    EXPECT_EQ(Window::FromHandle(0), nullptr);
    EXPECT_EQ(Window::FromHandle(0x12345678u), nullptr);
    EXPECT_EQ(Window::FromHandle(h + 8), nullptr);
    std::uintptr_t editHandle = edit->GetSafeHwnd();
    EXPECT_TRUE(page->DestroyWindow());
    EXPECT_TRUE(page->destroyed);
    EXPECT_EQ(Window::FromHandle(h), nullptr);
    EXPECT_EQ(Window::FromHandle(editHandle), nullptr);
    page.reset();
    EXPECT_EQ(Window::FromHandle(h), nullptr);
    PumpMessages();
}

TEST_F(WindowTest, ChildReparentedIntoTheHostFollowsItThroughOnSize) {
    Host host;
    host.AttachOwned(new QWidget);
    host.Widget()->resize(400, 300);
    host.Widget()->show();
    SetMainWindow(&host);
    EXPECT_EQ(GetMainWindow(), &host);

    Page page;
    ASSERT_TRUE(page.Create(nullptr));  // made without parent, as the host does
    ASSERT_TRUE(page.SetParent(&host));
    host.child = &page;
    EXPECT_EQ(page.GetParent(), &host);
    EXPECT_TRUE(page.IsWindowVisible());

    host.Widget()->resize(500, 320);
    EXPECT_EQ(page.GetWindowRect(), (Rect{5, 5, 495, 315}));
    ASSERT_FALSE(page.sizes.empty());
    EXPECT_EQ(page.sizes.back(), (Size{490, 310}));

    // SetWindowPos flags: no move keeps the place, no size keeps the size.
    page.SetWindowPos(nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(page.GetWindowRect(), (Rect{40, 50, 530, 360}));
    page.SetWindowPos(nullptr, 0, 0, 100, 80, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(page.GetWindowRect(), (Rect{40, 50, 140, 130}));
    EXPECT_TRUE(page.ShowWindow(SW_HIDE));
    EXPECT_FALSE(page.IsWindowVisible());
    EXPECT_FALSE(page.EnableWindow(false));
    EXPECT_TRUE(page.EnableWindow(true));
    SetMainWindow(nullptr);
}

TEST_F(WindowTest, TimerArrivesReplacesAndStops) {
    Page page;
    ASSERT_TRUE(page.Create(nullptr));
    page.clock.start();
    page.SetTimer(1, 200);
    guitest::ProcessEventsFor(250);
    ASSERT_GE(page.ticks.size(), 1u);
    EXPECT_EQ(page.ticks[0].first, 1u);
    EXPECT_LE(page.ticks[0].second, 250);

    // Setting id 1 again replaces it: one timer, at the new period.
    page.ticks.clear();
    page.SetTimer(1, 30);
    page.SetTimer(1, 60);
    page.clock.restart();
    guitest::ProcessEventsFor(200);
    // About three ticks at 60 ms; the 30 ms timer would have given about six more.
    EXPECT_GE(page.ticks.size(), 1u);
    EXPECT_LE(page.ticks.size(), 4u);
    for (auto& t : page.ticks) EXPECT_EQ(t.first, 1u);

    EXPECT_TRUE(page.KillTimer(1));
    EXPECT_FALSE(page.KillTimer(1));
    page.ticks.clear();
    guitest::ProcessEventsFor(120);
    EXPECT_TRUE(page.ticks.empty());
}

TEST_F(WindowTest, F1ReachesOnHelpInfo) {
    Page page;
    ASSERT_TRUE(page.Create(nullptr));
    guitest::PressKey(page, Qt::Key_F1);
    EXPECT_EQ(page.helps, 1);
}

TEST_F(WindowTest, NumbersKeepTheDecimalPointUnderAGermanDesktop) {
    // The test main runs under de_DE.UTF-8 when the machine has it, as a
    // German desktop does; the application object was made under it.
    const char* ctype = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(ctype, nullptr);
    EXPECT_NE(std::string(ctype).find("de_DE"), std::string::npos) << ctype;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", 2.5);
    EXPECT_STREQ(buf, "2.5");
    double v = 0;
    EXPECT_EQ(std::sscanf("2.5", "%lf", &v), 1);
    EXPECT_EQ(v, 2.5);
}
