// System colours as 0x00BBGGRR values, from the window layer's fixed
// palette, with the indices the menus and buttons use.
#pragma once

#include <QColor>

class QImage;
class QPainter;
#include <cstdint>

namespace graphics {

enum SysColorIndex : int {
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_MENUTEXT = 7,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_3DSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_3DHILIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

// The colour of an index.
uint32_t GetSysColor(int index);
inline QColor ToQColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline uint32_t FromQColor(const QColor& c) {
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}
inline QColor SysQColor(int index) { return ToQColor(GetSysColor(index)); }

// Draws an image embossed at (x, y) over a background colour, as disabled
// images look: every pixel that is neither button face nor highlight is ink,
// drawn in the highlight colour one pixel right and down, then in the shadow
// colour in place.
void DrawEmbossedImage(QPainter& p, const QImage& src, int x, int y, uint32_t background);

}  // namespace graphics
