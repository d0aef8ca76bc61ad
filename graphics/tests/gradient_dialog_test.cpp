// The gradient dialog: bands over each other, bitmap layouts, transparent
// statics in the text colour, dragging by the client area; the font cache.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "graphics/GradientDlg.h"
#include "graphics/SysColors.h"
#include "module/frame/ModuleState.h"
#include "platform/wl/resources.h"
#include "platform/wl/templates.h"
#include "platform/wl/testing/gui_test.h"

using namespace graphics;

namespace {

constexpr int kTemplate = 7210;
const wl::TemplateRegistrar kReg({
    {kTemplate, "Plausibilität", 200, 120, 0,
     {
         {1001, wl::Kind::Static, "Prüfung der Eingabe", 10, 10, 150, 10},
         {wl::IDOK, wl::Kind::Button, "OK", 140, 96, 50, 14},
     }},
});

}  // namespace

TEST(GradientDialog, BandsPaintOverEachOther) {
    CGradientDlg dlg(kTemplate);
    dlg.SetBand(0, true, 0x0000C0, 0xC00000);  // red to blue
    dlg.SetBand(1, true, 0x00C000, 0xFFFFFF);  // green to white
    EXPECT_FALSE(dlg.SetBand(3, true, 0, 0));
    const QSize size(300, 200);
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    ASSERT_TRUE(dlg.PaintBackground(p, size));
    p.end();
    // Band 1 over the top quarter, band 0 below it.
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, 20), QColor(0, 0xC0, 0).rgb(), 2));
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, 100), QColor(0xC0, 0, 0).rgb(), 2));
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, 49), QColor(0, 0xC0, 0).rgb(), 2));
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, 50), QColor(0xC0, 0, 0).rgb(), 2));
    EXPECT_TRUE(wl::guitest::Near(img.pixel(299, 100), QColor(0, 0, 0xC0).rgb(), 4));
    // Bottom band from (1 - 0.1) * height.
    dlg.SetBand(2, true, 0xFFFFFF, 0xFFFFFF);
    QPainter p2(&img);
    dlg.PaintBackground(p2, size);
    p2.end();
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, 179), QColor(0xC0, 0, 0).rgb(), 2));
    EXPECT_EQ(img.pixel(0, 180), QColor(255, 255, 255).rgb());
}

TEST(GradientDialog, BitmapLayouts) {
    const QSize client(101, 60), bm(20, 15);
    struct Case {
        int layout;
        size_t count;
        QRect first;
    } cases[] = {
        {1, 1, QRect(40, 22, 20, 15)},  // integer halves of 81 and 45
        {0, 6 * 4, QRect(0, 0, 20, 15)}, {2, 1, QRect(0, 0, 101, 60)},  {3, 6, QRect(0, 0, 20, 15)},
        {4, 6, QRect(0, 45, 20, 15)},    {5, 4, QRect(0, 0, 20, 15)},    {6, 4, QRect(81, 0, 20, 15)},
        {7, 1, QRect(0, 0, 20, 15)},     {8, 1, QRect(81, 0, 20, 15)},   {9, 1, QRect(40, 0, 20, 15)},
        {10, 1, QRect(0, 45, 20, 15)},   {11, 1, QRect(81, 45, 20, 15)}, {12, 1, QRect(40, 45, 20, 15)},
    };
    for (const auto& c : cases) {
        const auto r = CGradientDlg::BitmapPlacements(c.layout, client, bm);
        ASSERT_EQ(r.size(), c.count) << c.layout;
        EXPECT_EQ(r.front(), c.first) << c.layout;
    }
    EXPECT_TRUE(CGradientDlg::BitmapPlacements(1, QSize(0, 0), bm).empty());
    CGradientDlg dlg(kTemplate);
    EXPECT_FALSE(dlg.SetBitmap(999999, 1));  // missing bitmap: none kept
    QImage img(10, 10, QImage::Format_ARGB32);
    QPainter p(&img);
    EXPECT_FALSE(dlg.PaintBackground(p, img.size()));  // nothing set: the default erasing
}

TEST(GradientDialog, ScreenshotStaticsAndDragging) {
    QImage tile(24, 24, QImage::Format_RGB32);
    tile.fill(QColor(250, 240, 200));
    wl::RegisterBitmap(7211, tile);
    CGradientDlg dlg(kTemplate);
    dlg.SetBand(0, true, 0xF0E0C0, 0x804020);
    dlg.SetBand(1, true, 0x800000, 0xFF8040);
    dlg.SetTextColor(0xFFFFFF);
    dlg.SetDragByClientArea(true);
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.SetTextColor(0xFFFFFF);
    dlg.Widget()->show();
    QApplication::processEvents();
    const QImage img = wl::guitest::GrabToPng(dlg, "graphics_gradient_dialog");
    ASSERT_FALSE(img.isNull());
    const int h = img.height();
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, h / 10), QColor(0, 0, 0x80).rgb(), 3));
    EXPECT_TRUE(wl::guitest::Near(img.pixel(0, h / 2), QColor(0xC0, 0xE0, 0xF0).rgb(), 3));
    // The static shows the band through it and its text in white.
    const QRect label = wl::guitest::RectIn(dlg.GetDlgItemWidget(1001), dlg.Widget());
    EXPECT_GT(wl::guitest::CountPixels(img, label, [](QRgb c) { return wl::guitest::Near(c, qRgb(255, 255, 255), 30); }), 10);
    EXPECT_FALSE(wl::guitest::Near(img.pixel(label.right() - 2, label.top() + 1), SysQColor(COLOR_BTNFACE).rgb(), 3));
    // Dragging by the client area moves the window.
    QWidget* w = dlg.Widget();
    const QPoint before = w->window()->pos();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    QMouseEvent move(QEvent::MouseMove, QPointF(170, 160), w->mapToGlobal(QPointF(170, 160)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(170, 160));
    EXPECT_EQ(w->window()->pos() - before, QPoint(20, 10));
}

TEST(FontCache, SharedFontsAndBold) {
    CFontCache& cache = CFontCache::Instance();
    cache.Clear();
    EXPECT_EQ(CFontCache::Key("Arial", 0, 1, -13, 400), "Arial-0-1--13-400");
    const QFont* a = cache.GetFont("Arial", 0, 0, -13, 400);
    EXPECT_EQ(cache.GetFont("Arial", 0, 0, -13, 400), a);
    const QFont* b = cache.GetFont("Arial", 0, 0, -13, 700);
    EXPECT_NE(a, b);
    EXPECT_EQ(cache.Count(), 2u);
    EXPECT_EQ(b->weight(), QFont::Bold);

    QLabel label(QStringLiteral("Text"));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(15);
    label.setFont(f);
    wl::Window win;
    win.Attach(&label);
    cache.SetBoldFont(&win);
    EXPECT_EQ(label.font().weight(), 700);
    EXPECT_EQ(label.font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(label.font().pixelSize(), 15);
    EXPECT_EQ(cache.Count(), 3u);
    win.Detach();
    // The module's teardown empties the cache.
    ModuleTeardown();
    EXPECT_EQ(cache.Count(), 0u);
}
