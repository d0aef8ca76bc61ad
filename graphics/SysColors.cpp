#include "graphics/SysColors.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include "platform/wl/draw.h"

namespace graphics {

uint32_t GetSysColor(int index) {
    // The window layer's fixed palette; the menu colours are the button face
    // and the window text there.
    switch (index) {
    case COLOR_MENU:
        return wl::GetSysColor(wl::COLOR_BTNFACE);
    case COLOR_MENUTEXT:
        return wl::GetSysColor(wl::COLOR_WINDOWTEXT);
    default:
        return wl::GetSysColor(index);
    }
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
