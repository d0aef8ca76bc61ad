// Enhanced-metafile drawing: a small device-context style drawing layer that
// writes real enhanced-metafile files (EMR_HEADER first, EMR_EOF last, bounds
// and frame filled in). The report drawings and the graph controls draw
// through it.
//
// Pens, brushes and fonts are process-wide objects addressed by 32-bit
// handles (never pointers); they are created independently of any metafile
// and may be selected into several metafiles one after the other. A metafile
// records an object the first time it is selected into it. When a metafile is
// closed, the default objects are selected back and every object it recorded
// is deleted within the file, so that no file leaves an object selected or
// undeleted.
//
// Coordinates are whole logical units; one unit is mmPerUnit millimetres on
// the metafile's reference device (1 mm unless the creator says otherwise).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#define EMF_API __attribute__((visibility("default")))

namespace emf {

using HDC = uint32_t;           // open metafile, 0 = none
using HGDIOBJ = uint32_t;       // pen, brush or font, 0 = none
using HENHMETAFILE = uint32_t;  // closed metafile, 0 = none
using COLORREF = uint32_t;      // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;
// Font weights.
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
// Text alignment (horizontal | vertical).
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Creates a metafile that is written to path when it is closed. width and
// height (logical units) give the picture's frame; 0 for either takes the
// frame from what is drawn. Returns 0 for an invalid size or path.
EMF_API HDC CreateEnhMetaFile(const std::string& path, int width, int height, double mmPerUnit = 1.0);
// Creates a metafile that is kept in memory: after CloseEnhMetaFile its bytes
// (the same as the file a file metafile would have written) are taken with
// GetEnhMetaFileBits, until DeleteEnhMetaFile releases them. Returns 0 for an
// invalid size.
EMF_API HDC CreateMemoryEnhMetaFile(int width, int height, double mmPerUnit = 1.0);
// Finishes the metafile and writes its file (a memory metafile keeps its bytes). Returns 0 when the file cannot be
// written (a message goes through the message sink); the HDC is gone either way.
EMF_API HENHMETAFILE CloseEnhMetaFile(HDC dc);
// Releases the handle of a closed metafile (the file stays; the bytes of a
// memory metafile are freed).
EMF_API bool DeleteEnhMetaFile(HENHMETAFILE mf);
// The bytes of a closed memory metafile, copied into out (its storage is
// reused). false, with out empty, for a file metafile or an unknown handle.
EMF_API bool GetEnhMetaFileBits(HENHMETAFILE mf, std::vector<uint8_t>& out);

// Objects.
EMF_API HGDIOBJ CreatePen(int style, int width, COLORREF color);
EMF_API HGDIOBJ CreateSolidBrush(COLORREF color);
// height in logical units (negative: character height, positive: cell
// height); escapement and orientation in tenths of a degree, counter-clockwise.
EMF_API HGDIOBJ CreateFont(int height, int escapement, int orientation, int weight, const std::string& face,
                           bool italic = false, bool underline = false);
EMF_API HGDIOBJ GetStockObject(int index);
// Selects the object and returns the previously selected one of its kind
// (0 on an invalid dc or object).
EMF_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
// Deletes a pen, brush or font. Refused (false) while the object is selected
// in an open metafile, and for stock objects.
EMF_API bool DeleteObject(HGDIOBJ obj);

// Drawing.
EMF_API bool MoveToEx(HDC dc, int x, int y, POINT* previous = nullptr);
EMF_API bool LineTo(HDC dc, int x, int y);
// Closed polygon, filled with the current brush, outlined with the current pen.
EMF_API bool Polygon(HDC dc, const POINT* points, int count);
// Ellipse in the box left, top, right, bottom (right and bottom excluded).
EMF_API bool Ellipse(HDC dc, int left, int top, int right, int bottom);
EMF_API COLORREF SetTextColor(HDC dc, COLORREF color);  // returns the previous colour
EMF_API unsigned SetTextAlign(HDC dc, unsigned align);  // returns the previous alignment
// UTF-8 text at x, y with the current font, text colour and alignment.
// The background is not filled.
EMF_API bool TextOut(HDC dc, int x, int y, std::string_view utf8);

// Number of pens, brushes and fonts created and not yet deleted (stock
// objects not counted); lets callers and tests check for leaks.
EMF_API int LiveObjectCount();

}  // namespace emf
