#include "platform/emf/emf.h"

namespace emf {
HDC CreateEnhMetaFile(const std::string&, int, int, double) { return 0; }
HENHMETAFILE CloseEnhMetaFile(HDC) { return 0; }
bool DeleteEnhMetaFile(HENHMETAFILE) { return false; }
HGDIOBJ CreatePen(int, int, COLORREF) { return 0; }
HGDIOBJ CreateSolidBrush(COLORREF) { return 0; }
HGDIOBJ CreateFont(int, int, int, int, const std::string&, bool, bool) { return 0; }
HGDIOBJ GetStockObject(int) { return 0; }
HGDIOBJ SelectObject(HDC, HGDIOBJ) { return 0; }
bool DeleteObject(HGDIOBJ) { return false; }
bool MoveToEx(HDC, int, int, POINT*) { return false; }
bool LineTo(HDC, int, int) { return false; }
bool Polygon(HDC, const POINT*, int) { return false; }
bool Ellipse(HDC, int, int, int, int) { return false; }
COLORREF SetTextColor(HDC, COLORREF) { return 0; }
unsigned SetTextAlign(HDC, unsigned) { return 0; }
bool TextOut(HDC, int, int, std::string_view) { return false; }
int LiveObjectCount() { return 0; }
}  // namespace emf
