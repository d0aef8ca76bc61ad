// The progress window on screen: owner disabled while it lives, the cancel
// button only marks the wish to stop, a screenshot in the middle of a run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressBar>

#include "graphics/ProgressWindows.h"
#include "graphics/core/ProgressDlg.h"
#include "platform/wl/dialog.h"
#include "platform/wl/testing/gui_test.h"

namespace {

class Owner : public wl::Dialog {
public:
    Owner() : wl::Dialog(0) {}
};

struct ProgressWindowTest : ::testing::Test {
    void SetUp() override { graphics::InstallProgressWindows(); }
    void TearDown() override { graphics::RemoveProgressWindows(); }
};

// The progress dialog's window among the top-level widgets.
wl::Window* FindProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (wl::Window* win = wl::Window::FromWidget(w))
            if (std::string(win->ClassName()) == "ProgressDialog" && w->isVisible()) return win;
    return nullptr;
}

}  // namespace

TEST_F(ProgressWindowTest, OwnerDisabledWhileItLives) {
    for (bool ownerEnabled : {true, false}) {
        QWidget ownerWidget;
        wl::Window owner;
        owner.Attach(&ownerWidget);
        ownerWidget.show();
        owner.EnableWindow(ownerEnabled);
        {
            CProgressDlg dlg(CProgressDlg::kReportCaptionId);
            ASSERT_EQ(dlg.Create(owner.GetSafeHwnd()), 1);
            EXPECT_TRUE(dlg.HasWindow());
            EXPECT_FALSE(owner.IsWindowEnabled());
            // The window itself stays usable: its cancel button works.
            wl::Window* win = FindProgressWindow();
            ASSERT_NE(win, nullptr);
            EXPECT_TRUE(win->GetDlgItemWidget(CProgressDlg::kCancelId)->isEnabled());
            EXPECT_TRUE(wl::guitest::Click(*win, CProgressDlg::kCancelId));
            EXPECT_TRUE(dlg.IsCancelled());
            dlg.DestroyWindow();
            EXPECT_EQ(owner.IsWindowEnabled(), ownerEnabled);
            EXPECT_EQ(FindProgressWindow(), nullptr);
        }
        owner.Detach();
    }
}

TEST_F(ProgressWindowTest, CancelTwiceKeepsTheWindowOpen) {
    CProgressDlg dlg;
    ASSERT_EQ(dlg.Create(0), 1);
    wl::Window* win = FindProgressWindow();
    ASSERT_NE(win, nullptr);
    EXPECT_TRUE(wl::guitest::Click(*win, CProgressDlg::kCancelId));
    EXPECT_TRUE(wl::guitest::Click(*win, CProgressDlg::kCancelId));
    EXPECT_TRUE(win->IsWindowVisible());
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_EQ(FindProgressWindow(), win);
}

TEST_F(ProgressWindowTest, ScreenshotMidRun) {
    CProgressDlg dlg(CProgressDlg::kReportCaptionId);
    ASSERT_EQ(dlg.Create(0), 1);
    dlg.SetRange(0, 1000000);  // larger than 16 bits: the bar must not wrap
    dlg.SetStep(100000);
    dlg.SetText("Ausgabe Kapitel 3: Nachweise");
    for (int i = 0; i < 4; ++i) dlg.StepIt();
    wl::Window* win = FindProgressWindow();
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->GetWindowText(), "Fortschrittsanzeige");
    EXPECT_EQ(win->GetDlgItemText(CProgressDlg::kPercentId), "40%");
    EXPECT_EQ(win->GetDlgItemText(CProgressDlg::kTextId), "Ausgabe Kapitel 3: Nachweise");
    auto* bar = qobject_cast<QProgressBar*>(win->GetDlgItemWidget(CProgressDlg::kBarId));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 1000000);
    EXPECT_EQ(bar->value(), 400000);

    QImage img = wl::guitest::GrabToPng(win->Widget(), "graphics_progress_midrun");
    ASSERT_FALSE(img.isNull());
    // The bar is filled over about 40 % of its width with the highlight colour.
    const QRect barRect = wl::guitest::RectIn(bar, win->Widget());
    const QRgb highlight = bar->palette().color(QPalette::Highlight).rgb();
    const QRect filled = wl::guitest::BoundingBox(img.copy(barRect), [&](QRgb c) { return wl::guitest::Near(c, highlight, 40); });
    ASSERT_FALSE(filled.isEmpty());
    EXPECT_NEAR(filled.width() / double(barRect.width()), 0.4, 0.06);
    EXPECT_GT(wl::guitest::CountInk(img, wl::guitest::RectIn(win->GetDlgItemWidget(CProgressDlg::kTextId), win->Widget()),
                                    img.pixel(2, 2)),
              20);
}
