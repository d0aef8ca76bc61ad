// The progress windows of the window layer: the kernel's calculation window
// (template 1007) as the provider opens it, its geometry and texts, the bar
// filling with the steps, the cancel button that only marks the wish to
// stop, and the owner the provider names for a window without parent.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressBar>

#include "platform/winsys/winsys.h"
#include "platform/wl/progress_window.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/wl/templates.h"

namespace {

const winsys::TranslationNames kNames{"VKT Eingabe", "velor_i_rigel", "CalcProgressDlg"};

wl::Window* FindProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (wl::Window* win = wl::Window::FromWidget(w))
            if (std::string(win->ClassName()) == "ProgressDialog" && w->isVisible()) return win;
    return nullptr;
}

// The filled part of the bar as a share of its width.
double FilledShare(wl::Window& win, const std::string& shot) {
    auto* bar = qobject_cast<QProgressBar*>(win.GetDlgItemWidget(1003));
    const QImage img = wl::guitest::GrabToPng(win.Widget(), shot);
    const QRect barRect = wl::guitest::RectIn(bar, win.Widget());
    const QRgb highlight = bar->palette().color(QPalette::Highlight).rgb();
    const QRect filled =
        wl::guitest::BoundingBox(img.copy(barRect), [&](QRgb c) { return wl::guitest::Near(c, highlight, 40); });
    return filled.isEmpty() ? 0.0 : filled.width() / double(barRect.width());
}

}  // namespace

TEST(KernelProgressWindow, TemplateTextsBarAndCancel) {
    wl::QtProgressProvider& provider = wl::ProgressProvider();
    std::unique_ptr<winsys::ProgressWindow> w = provider.Open(wl::kCalcProgressTemplate, 0, kNames);
    ASSERT_NE(w, nullptr);
    wl::Window* win = FindProgressWindow();
    ASSERT_NE(win, nullptr);
    // 186 x 79 dialog units.
    const wl::Rect px = wl::DluToPixels(0, 0, 186, 79);
    EXPECT_EQ(win->Widget()->width(), px.right - px.left);
    EXPECT_EQ(win->Widget()->height(), px.bottom - px.top);
    EXPECT_EQ(win->GetDlgItemText(2), "Abbrechen");
    EXPECT_EQ(win->GetDlgItemText(1004), " 0 %");
    EXPECT_EQ(win->GetDlgItemText(1005), "");

    w->SetCaption("Einen Moment bitte...");
    w->SetItemText(1005, "Berechnung Theorie I. Ordnung");
    w->SetBar(1003, 0, 40, 10);
    w->SetItemText(1004, "25%");
    EXPECT_EQ(win->GetWindowText(), "Einen Moment bitte...");
    const double quarter = FilledShare(*win, "kernel_progress_25");
    w->SetBar(1003, 0, 40, 30);
    w->SetItemText(1004, "75%");
    const double threeQuarters = FilledShare(*win, "kernel_progress_75");
    EXPECT_NEAR(quarter, 0.25, 0.06);
    EXPECT_NEAR(threeQuarters, 0.75, 0.06);

    // Enter does nothing; the cancel button only marks the wish to stop.
    wl::guitest::PressKey(*win, Qt::Key_Return);
    EXPECT_TRUE(win->IsWindowVisible());
    EXPECT_FALSE(w->CancelPressed());
    EXPECT_TRUE(wl::guitest::Click(*win, 2));
    EXPECT_TRUE(w->CancelPressed());
    EXPECT_TRUE(win->IsWindowVisible());
    w.reset();
    EXPECT_EQ(FindProgressWindow(), nullptr);
}

TEST(KernelProgressWindow, OwnerIsTheMainWindowAndUnknownTemplatesOpenNothing) {
    wl::QtProgressProvider& provider = wl::ProgressProvider();
    EXPECT_EQ(provider.SafeOwner(0), 0u);
    QWidget mainWidget;
    wl::Window main;
    main.Attach(&mainWidget);
    mainWidget.show();
    wl::SetMainWindow(&main);
    EXPECT_EQ(provider.SafeOwner(0), main.GetSafeHwnd());
    EXPECT_TRUE(provider.IsWindowEnabled(main.GetSafeHwnd()));
    provider.EnableWindow(main.GetSafeHwnd(), false);
    EXPECT_FALSE(main.IsWindowEnabled());
    provider.EnableWindow(main.GetSafeHwnd(), true);
    EXPECT_TRUE(main.IsWindowEnabled());
    EXPECT_EQ(provider.Open(987654, main.GetSafeHwnd(), kNames), nullptr);
    wl::SetMainWindow(nullptr);
    main.Detach();

    // Installed as the system layer's provider, and removed again.
    wl::InstallProgressWindows();
    EXPECT_EQ(winsys::GetProgressWindowProvider(), &provider);
    wl::RemoveProgressWindows();
    EXPECT_EQ(winsys::GetProgressWindowProvider(), nullptr);
}
