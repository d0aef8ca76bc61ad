// Enhanced metafiles of our own writer played onto the text document's
// images: shapes, lines, text and the frame's placement, and what happens to
// damaged or foreign pictures.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "platform/emf/emf.h"
#include "platform/richedit/emf_player.h"
#include "platform/richedit/rtf_format.h"
#include "platform/richedit/rtf_reader.h"

namespace {

// A metafile of 100 x 50 units of 1 mm: a red square filled from (10, 10) to
// (40, 40) with a black outline, a blue line of width 2 along y = 45 from
// x = 50 to 95, and the text "Ag" (10 units high) with its base line at
// (60, 20). With mmPerUnit 1 the frame is 10 x 5 cm.
QByteArray Drawing() {
    emf::HDC dc = emf::CreateMemoryEnhMetaFile(100, 50, 1.0);
    EXPECT_NE(dc, 0u);
    const emf::HGDIOBJ red = emf::CreateSolidBrush(emf::RGB(255, 0, 0));
    const emf::HGDIOBJ blue = emf::CreatePen(emf::PS_SOLID, 2, emf::RGB(0, 0, 255));
    const emf::HGDIOBJ font = emf::CreateFont(-10, 0, 0, emf::FW_NORMAL, "Arial");
    emf::SelectObject(dc, emf::GetStockObject(emf::BLACK_PEN));
    const emf::HGDIOBJ oldBrush = emf::SelectObject(dc, red);
    const emf::POINT square[] = {{10, 10}, {40, 10}, {40, 40}, {10, 40}};
    emf::Polygon(dc, square, 4);
    emf::SelectObject(dc, blue);
    emf::MoveToEx(dc, 50, 45);
    emf::LineTo(dc, 95, 45);
    emf::SelectObject(dc, font);
    emf::SetTextColor(dc, emf::RGB(0, 0, 0));
    emf::SetTextAlign(dc, emf::TA_LEFT | emf::TA_BASELINE);
    emf::TextOut(dc, 60, 20, "Ag");
    emf::SelectObject(dc, oldBrush);
    emf::SelectObject(dc, emf::GetStockObject(emf::BLACK_PEN));
    emf::SelectObject(dc, emf::GetStockObject(emf::SYSTEM_FONT));
    const emf::HENHMETAFILE mf = emf::CloseEnhMetaFile(dc);
    std::vector<uint8_t> bits;
    EXPECT_TRUE(emf::GetEnhMetaFileBits(mf, bits));
    emf::DeleteEnhMetaFile(mf);
    emf::DeleteObject(red);
    emf::DeleteObject(blue);
    emf::DeleteObject(font);
    return QByteArray(reinterpret_cast<const char*>(bits.data()), static_cast<qsizetype>(bits.size()));
}

int Count(const QImage& img, const QRect& r, const std::function<bool(QRgb)>& f) {
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x) n += f(img.pixel(x, y));
    return n;
}

bool Reddish(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool Bluish(QRgb c) { return qBlue(c) > 150 && qRed(c) < 100 && qGreen(c) < 100; }
bool Dark(QRgb c) { return qGray(c) < 110; }
bool White(QRgb c) { return c == qRgb(255, 255, 255); }

// Played on 200 x 100 pixels, one unit is two pixels: each shape lands where
// the metafile put it; outside them the picture stays white.
TEST(EmfPlayer, ShapesLinesAndTextLandWhereTheyWereDrawn) {
    const QByteArray emf = Drawing();
    ASSERT_TRUE(richedit::IsEnhancedMetafile(emf));
    const QImage img = richedit::PlayEnhancedMetafile(emf, 200, 100);
    ASSERT_FALSE(img.isNull());
    ASSERT_EQ(img.size(), QSize(200, 100));
    // The square's inside (units 12..38 -> pixels 24..76) is red throughout.
    EXPECT_EQ(Count(img, QRect(QPoint(24, 24), QPoint(76, 76)), Reddish), 53 * 53);
    // Its outline is black, just on its edge (pixel 20).
    EXPECT_GT(Count(img, QRect(QPoint(19, 30), QPoint(21, 70)), Dark), 30);
    // The line at y = 90 pixels from x = 100 to 190, 4 pixels wide.
    EXPECT_GT(Count(img, QRect(QPoint(104, 88), QPoint(186, 92)), Bluish), 80 * 3);
    EXPECT_EQ(Count(img, QRect(QPoint(104, 80), QPoint(186, 84)), Bluish), 0);
    // The text: ink above its base line (y 40) right of x = 120, none left of it.
    EXPECT_GT(Count(img, QRect(QPoint(120, 22), QPoint(160, 40)), Dark), 20);
    EXPECT_EQ(Count(img, QRect(QPoint(100, 10), QPoint(118, 40)), Dark), 0);
    // Empty corners stay white.
    EXPECT_EQ(Count(img, QRect(QPoint(0, 0), QPoint(15, 15)), White), 16 * 16);
    EXPECT_EQ(Count(img, QRect(QPoint(170, 0), QPoint(199, 30)), White), 30 * 31);
}

std::string Hex(const QByteArray& b) { return b.toHex().toStdString(); }

std::vector<QTextImageFormat> Images(const QTextDocument& doc) {
    std::vector<QTextImageFormat> images;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) images.push_back(it.fragment().charFormat().toImageFormat());
    return images;
}

// In a report: an enhanced metafile shows its drawing; one cut short in its
// header and a Windows metafile keep the placeholder frame; the picture's
// original data is written back unchanged either way.
TEST(EmfPlayer, ReportPicturesShowTheirDrawing) {
    const QByteArray emf = Drawing();
    const std::string good = "{\\pict\\emfblip\\picw10000\\pich5000\\picwgoal2835\\pichgoal1417 " + Hex(emf) + "}";
    const std::string cut = "{\\pict\\emfblip\\picw10000\\pich5000\\picwgoal2835\\pichgoal1417 " + Hex(emf.left(60)) + "}";
    const std::string wmf = "{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 0100090000}";
    QTextDocument doc;
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 a" + good + "b" + cut + "c" + wmf + "\\par}";
    richedit::ReadRtf(rtf, doc);
    const auto images = Images(doc);
    ASSERT_EQ(images.size(), 3u);
    const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
    ASSERT_FALSE(shown.isNull());
    EXPECT_FALSE(images[0].property(richedit::kMetafile).toBool());
    // 5 x 2.5 cm at the screen's resolution; the square fills a share of it.
    EXPECT_GT(Count(shown, shown.rect(), Reddish), shown.width() * shown.height() / 20);
    for (size_t i : {1u, 2u}) {
        EXPECT_TRUE(images[i].property(richedit::kMetafile).toBool()) << i;
        const QImage frame = doc.resource(QTextDocument::ImageResource, QUrl(images[i].name())).value<QImage>();
        EXPECT_EQ(Count(frame, frame.rect(), Reddish), 0) << i;
    }
}

// Damaged bytes are never a crash: every prefix of the metafile plays or is
// refused.
TEST(EmfPlayer, EveryPrefixIsPlayedOrRefused) {
    const QByteArray emf = Drawing();
    for (qsizetype n = 0; n <= emf.size(); n += 3) {
        QByteArray part = emf.left(n);
        const QImage img = richedit::PlayEnhancedMetafile(part, 50, 25);
        if (!img.isNull()) EXPECT_EQ(img.size(), QSize(50, 25));
    }
    EXPECT_TRUE(richedit::PlayEnhancedMetafile(QByteArray("not a picture"), 10, 10).isNull());
    EXPECT_TRUE(richedit::PlayEnhancedMetafile(emf, 0, 10).isNull());
}

}  // namespace
