// The drawing facade: colours, fonts, texts (Symbol text too), edges and
// frame controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QPainter>

#include "platform/wl/draw.h"
#include "platform/wl/resources.h"
#include "platform/wl/testing/gui_test.h"

using namespace wl;

namespace {
QImage Canvas(int w = 60, int h = 30) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}
QImage Paint(const LogFont& f, const std::string& text) {
    QImage img = Canvas();
    QPainter p(&img);
    Rect r{2, 2, 58, 28};
    DrawText(p, f, text, r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    return img;
}
}  // namespace

TEST(Draw, ColourReferencesAndTheFixedPalette) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(ToQColor(RGB(7, 13, 255)), QColor(7, 13, 255));
    EXPECT_EQ(ToQColor(kDefaultColor, QColor(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(FromQColor(QColor(7, 13, 255)), RGB(7, 13, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(239, 239, 239));
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), RGB(0, 0, 0));
}

TEST(Draw, FacesResolveToTheInstalledFonts) {
    const std::pair<const char*, const char*> faces[] = {
        {"Arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "DejaVu Sans Mono"},
        {"Symbol", "DejaVu Sans"},
        {"Wingdings", "DejaVu Sans"},
    };
    for (auto& [face, resolved] : faces) {
        LogFont lf;
        lf.faceName = face;
        QFont f = ToQFont(lf);
        EXPECT_EQ(ResolveFace(face), resolved);
        // The face is really there, not replaced by another.
        EXPECT_EQ(QFontInfo(f).family().toStdString(), resolved) << face;
    }
    LogFont bold;
    bold.height = -16;
    bold.weight = 700;
    bold.italic = true;
    QFont f = ToQFont(bold);
    EXPECT_EQ(f.pixelSize(), 16);
    EXPECT_TRUE(f.bold());
    LogFont back = FromQFont(f);
    EXPECT_EQ(back.height, -16);
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic);
    EXPECT_EQ(back.faceName, "Arial");
}

// Fonts asked for by name, outside the drawing facade (a rich-text run in
// "Symbol", a button given "Tahoma"), and the application's font are the
// installed ones the drawing facade names, whatever other fonts the machine
// has (an office package's "OpenSymbol" answers to "Symbol" by default).
TEST(Draw, NamedFamiliesAndTheApplicationFontAreTheInstalledOnes) {
    const std::pair<const char*, const char*> faces[] = {
        {"Symbol", "DejaVu Sans"},       {"Tahoma", "DejaVu Sans"},       {"Verdana", "DejaVu Sans"},
        {"MS Sans Serif", "Liberation Sans"}, {"Arial", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"},
        {"Courier New", "DejaVu Sans Mono"}, {"DejaVu Sans Mono", "DejaVu Sans Mono"},
        {"Liberation Serif", "Liberation Serif"},
    };
    for (auto& [face, family] : faces) {
        EXPECT_EQ(QFontInfo(QFont(QString::fromLatin1(face))).family().toStdString(), family) << face;
        EXPECT_EQ(ResolveFace(face), family) << face;
    }
    EXPECT_EQ(QFontInfo(QApplication::font()).family().toStdString(), "DejaVu Sans");
    EXPECT_EQ(QApplication::font().pointSize(), 9);
    // A character the face lacks (the angle brackets of the Symbol font) comes
    // from an installed face, not from another font the machine may have.
    for (const char* face : {"Symbol", "DejaVu Sans", "Arial"}) {
        QTextLayout layout(QString::fromUtf8("\u2329\u232A"), QFont(QString::fromLatin1(face)));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const auto runs = layout.glyphRuns();
        ASSERT_FALSE(runs.isEmpty()) << face;
        for (const QGlyphRun& run : runs)
            EXPECT_EQ(run.rawFont().familyName().toStdString(), "DejaVu Math TeX Gyre") << face;
    }
    // A font read back from a widget and set again keeps its family.
    LogFont mono;
    mono.faceName = "Courier New";
    EXPECT_EQ(QFontInfo(ToQFont(FromQFont(ToQFont(mono)))).family().toStdString(), "DejaVu Sans Mono");
}

TEST(Draw, SymbolTextPaintsItsGreekLetters) {
    LogFont symbol;
    symbol.faceName = "Symbol";
    symbol.height = -16;
    LogFont dejavu = symbol;
    dejavu.faceName = "DejaVu Sans";
    EXPECT_EQ(DisplayText(symbol, "a"), "α");
    EXPECT_EQ(DisplayText(dejavu, "a"), "a");
    QImage a = Paint(symbol, "a");
    QImage alpha = Paint(dejavu, "α");
    QImage latin = Paint(dejavu, "a");
    EXPECT_EQ(a, alpha);
    EXPECT_NE(a, latin);
    EXPECT_GT(guitest::CountInk(a, a.rect(), qRgb(255, 255, 255)), 10);
}

TEST(Draw, TextFlagsMeasureAlignAndShorten) {
    QImage img = Canvas(200, 60);
    QPainter p(&img);
    LogFont lf;
    p.setFont(ToQFont(lf));
    Rect m{0, 0, 0, 0};
    int h = DrawText(p, "Träger", m, DT_CALCRECT | DT_SINGLELINE);
    Size ext = GetTextExtent(p.font(), "Träger");
    EXPECT_EQ(m.Width(), ext.cx);
    EXPECT_EQ(h, m.Height());
    EXPECT_GT(h, 8);
    // Word break: a narrow box gets more lines.
    Rect narrow{0, 0, 40, 0};
    int tall = DrawText(p, "Lasten und Einwirkungen", narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GE(tall, 2 * h);
    // Right alignment puts the ink at the right edge; the ellipsis keeps it inside.
    Rect right{0, 0, 200, 20};
    DrawText(p, "rechts", right, DT_RIGHT | DT_SINGLELINE);
    Rect cut{0, 30, 50, 50};
    DrawText(p, "eine sehr lange Zeile Text", cut, DT_END_ELLIPSIS | DT_SINGLELINE);
    p.end();
    EXPECT_EQ(guitest::CountInk(img, QRect(0, 0, 120, 20), qRgb(255, 255, 255)), 0);
    EXPECT_GT(guitest::CountInk(img, QRect(160, 0, 40, 20), qRgb(255, 255, 255)), 10);
    EXPECT_EQ(guitest::CountInk(img, QRect(51, 30, 149, 20), qRgb(255, 255, 255)), 0);
}

TEST(Draw, EdgesFrameControlsAndImages) {
    QImage img(150, 40, QImage::Format_RGB32);
    img.fill(ToQColor(GetSysColor(COLOR_BTNFACE)));
    {
        QPainter p(&img);
        Draw3dRect(p, Rect{2, 2, 22, 22}, RGB(255, 255, 255), RGB(0, 0, 0));
        DrawEdge(p, Rect{26, 2, 46, 22}, EDGE_SUNKEN);
        DrawFrameControl(p, Rect{50, 2, 66, 18}, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
        DrawFrameControl(p, Rect{70, 2, 86, 18}, DFC_BUTTON, DFCS_BUTTONRADIO);
        DrawFrameControl(p, Rect{90, 2, 120, 22}, DFC_BUTTON, DFCS_BUTTONPUSH);
        DrawFrameControl(p, Rect{124, 2, 140, 18}, DFC_SCROLL, DFCS_SCROLLDOWN);
        DrawFocusRect(p, Rect{2, 26, 60, 38});
        QImage icon(8, 8, QImage::Format_RGB32);
        icon.fill(QColor(255, 0, 255));
        for (int i = 0; i < 8; ++i) icon.setPixel(2, i, qRgb(0, 0, 200));  // a bar at x = 2
        DrawMaskedBitmap(p, Point{70, 28}, icon, RGB(255, 0, 255));
        p.drawImage(QPoint(90, 28), EmbossedImage(icon, RGB(255, 0, 255)));
    }
    img.save(QString::fromStdString((guitest::ScreenshotFolder() / "wl_drawing.png").string()));
    EXPECT_EQ(img.pixel(2, 2), qRgb(255, 255, 255));     // top left of the 3-D rectangle
    EXPECT_EQ(img.pixel(21, 21), qRgb(0, 0, 0));         // bottom right
    EXPECT_EQ(img.pixel(26, 2), qRgb(159, 159, 159));    // sunken edge: shadow outside top left
    EXPECT_EQ(img.pixel(45, 21), qRgb(255, 255, 255));   // light outside bottom right
    EXPECT_GT(guitest::CountInk(img, QRect(50, 2, 16, 16), img.pixel(49, 30)), 20);
    EXPECT_GT(guitest::CountInk(img, QRect(70, 2, 16, 16), img.pixel(49, 30)), 20);
    // The masked bitmap leaves its transparent colour out.
    EXPECT_EQ(img.pixel(71, 28), img.pixel(69, 28));
    EXPECT_EQ(img.pixel(72, 29), qRgb(0, 0, 200));
    // The embossed image is grey, with its highlight one pixel down and right.
    EXPECT_EQ(img.pixel(92, 29), qRgb(159, 159, 159));
    EXPECT_EQ(img.pixel(93, 30), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(91, 30), img.pixel(69, 28));
}

TEST(Resources, StringsAndBitmapsById) {
    RegisterString(41004, "Fortschrittsanzeige");
    EXPECT_EQ(LoadString(41004), "Fortschrittsanzeige");
    EXPECT_EQ(LoadString(505), "");  // none registered: empty
    EXPECT_TRUE(FindBitmap(987654).isNull());
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    RegisterBitmap(987654, img);
    EXPECT_EQ(FindBitmap(987654), img);
}
