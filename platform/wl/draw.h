// Drawing in the manner of the program's graphics code, over QPainter:
// colour references (0x00BBGGRR), the system colours of one fixed palette,
// text with alignment flags, 3-D edges, frame controls drawn by the style,
// focus rectangles, masked and embossed bitmaps, and fonts from a logical
// description.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <string>

#include "platform/wl/api.h"

namespace wl {

using COLORREF = std::uint32_t;
inline constexpr COLORREF kDefaultColor = 0xFF000000;  // "the default colour"
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
// The colour, or fallback for kDefaultColor.
WL_API QColor ToQColor(COLORREF c, const QColor& fallback = QColor(0, 0, 0));
WL_API COLORREF FromQColor(const QColor& c);

// System colours.
enum SysColor : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};
// From one fixed palette (the Fusion style's light one), whatever the desktop.
WL_API COLORREF GetSysColor(int index);

// DrawText flags.
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_WORDBREAK = 0x0010;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_CALCRECT = 0x0400;
inline constexpr unsigned DT_NOPREFIX = 0x0800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// A font as the graphics code describes it.
struct LogFont {
    int height = -11;    // pixels; negative: character height, positive: cell height
    int width = 0;       // 0: natural
    int weight = 400;    // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string faceName = "Arial";
};
// "Arial" -> Liberation Sans, "Times New Roman" -> Liberation Serif,
// "Courier New" -> DejaVu Sans Mono, anything else -> DejaVu Sans.
WL_API std::string ResolveFace(const std::string& face);
WL_API QFont ToQFont(const LogFont& lf);
WL_API LogFont FromQFont(const QFont& f);
WL_API bool IsSymbolFace(const std::string& face);
// The text as it is shown in the font: bytes of a "Symbol" text become their
// Greek letters and signs; other texts stay.
WL_API std::string DisplayText(const LogFont& lf, const std::string& text);

// Draws text (UTF-8) in r with the painter's font and pen. With DT_CALCRECT
// nothing is drawn and r is widened or heightened to the text. Returns the
// text's height.
WL_API int DrawText(QPainter& p, const std::string& text, Rect& r, unsigned format);
// The same in a logical font (a "Symbol" text shows its Greek letters).
WL_API int DrawText(QPainter& p, const LogFont& font, const std::string& text, Rect& r, unsigned format);
WL_API Size GetTextExtent(const QFont& font, const std::string& text);

// Edges.
inline constexpr unsigned BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4,
                          BDR_SUNKENINNER = 0x8;
inline constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr unsigned BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF;
WL_API void Draw3dRect(QPainter& p, const Rect& r, COLORREF topLeft, COLORREF bottomRight);
WL_API void DrawEdge(QPainter& p, const Rect& r, unsigned edge, unsigned flags = BF_RECT);

// Frame controls, drawn by the style.
inline constexpr unsigned DFC_SCROLL = 3, DFC_BUTTON = 4;
inline constexpr unsigned DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIO = 0x0004, DFCS_BUTTONPUSH = 0x0010;
inline constexpr unsigned DFCS_SCROLLUP = 0x0000, DFCS_SCROLLDOWN = 0x0001, DFCS_SCROLLLEFT = 0x0002,
                          DFCS_SCROLLRIGHT = 0x0003;
inline constexpr unsigned DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400;
WL_API void DrawFrameControl(QPainter& p, const Rect& r, unsigned type, unsigned state);
WL_API void DrawFocusRect(QPainter& p, const Rect& r);

// A bitmap with one transparent colour: the image with that colour clear.
WL_API QImage MaskedImage(const QImage& img, COLORREF transparent);
WL_API void DrawMaskedBitmap(QPainter& p, Point at, const QImage& img, COLORREF transparent);
// The disabled look of an image: its shape embossed in highlight and shadow.
WL_API QImage EmbossedImage(const QImage& img, COLORREF transparent);

}  // namespace wl
