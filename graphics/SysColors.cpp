#include "graphics/SysColors.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

namespace graphics {

uint32_t GetSysColor(int index) {
    const QPalette pal = QApplication::palette();
    QColor c;
    switch (index) {
    case COLOR_MENU:
    case COLOR_BTNFACE:
        c = pal.color(QPalette::Button);
        break;
    case COLOR_WINDOW:
        c = pal.color(QPalette::Base);
        break;
    case COLOR_MENUTEXT:
        c = pal.color(QPalette::WindowText);
        break;
    case COLOR_BTNTEXT:
        c = pal.color(QPalette::ButtonText);
        break;
    case COLOR_HIGHLIGHT:
        c = pal.color(QPalette::Highlight);
        break;
    case COLOR_HIGHLIGHTTEXT:
        c = pal.color(QPalette::HighlightedText);
        break;
    case COLOR_3DSHADOW:
        c = pal.color(QPalette::Dark);
        break;
    case COLOR_GRAYTEXT:
        c = pal.color(QPalette::Disabled, QPalette::Text);
        break;
    case COLOR_3DHILIGHT:
        c = pal.color(QPalette::Light);
        break;
    case COLOR_3DDKSHADOW:
        c = pal.color(QPalette::Shadow);
        break;
    case COLOR_3DLIGHT:
        c = pal.color(QPalette::Midlight);
        break;
    default:
        c = Qt::black;
        break;
    }
    return FromQColor(c);
}

void DrawEmbossedImage(QPainter& p, const QImage& src, int x, int y, uint32_t background) {
    QImage img(src.size(), QImage::Format_ARGB32);
    img.fill(SysQColor(COLOR_BTNFACE));
    {
        QPainter ip(&img);
        ip.drawImage(0, 0, src);
    }
    const QRgb face = SysQColor(COLOR_BTNFACE).rgb() | 0xFF000000u;
    const QRgb hi = SysQColor(COLOR_3DHILIGHT).rgb() | 0xFF000000u;
    const QRgb shadow = SysQColor(COLOR_3DSHADOW).rgb() | 0xFF000000u;
    QImage out(img.width() + 1, img.height() + 1, QImage::Format_ARGB32);
    out.fill(ToQColor(background));
    for (int pass = 0; pass < 2; ++pass)
        for (int py = 0; py < img.height(); ++py)
            for (int px = 0; px < img.width(); ++px) {
                const QRgb c = img.pixel(px, py) | 0xFF000000u;
                if (c == face || c == hi) continue;
                if (pass == 0) out.setPixel(px + 1, py + 1, hi);
                else out.setPixel(px, py, shadow);
            }
    p.drawImage(x, y, out);
}

}  // namespace graphics
