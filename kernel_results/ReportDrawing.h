// Drawings of the calculation report: the drawing primitives over the
// metafile layer, the shared object set, the structural system with its
// supports, beddings, springs and loads, the cross-section and the result
// diagrams along the member.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"
#include "platform/emf/emf.h"

namespace tovik::report {

using emf::COLORREF;
using emf::HDC;

struct PageRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Colours of the drawings.
namespace colour {
inline constexpr COLORREF kWhite = emf::RGB(255, 255, 255), kNearWhite = emf::RGB(244, 244, 244),
                          kLightGrey = emf::RGB(192, 192, 192), kGrey = emf::RGB(160, 160, 160),
                          kDarkGrey = emf::RGB(128, 128, 128), kAnthracite = emf::RGB(50, 50, 50),
                          kBlack = emf::RGB(0, 0, 0), kLightBlue = emf::RGB(0, 128, 255), kRed = emf::RGB(255, 0, 0),
                          kLightGreen = emf::RGB(111, 255, 111), kGreen = emf::RGB(0, 155, 0),
                          kBlue = emf::RGB(0, 0, 255), kPaleGreen = emf::RGB(246, 255, 234),
                          kOrangeRed = emf::RGB(235, 60, 0);
}

// Truncation toward zero, moved one away from zero when the dropped
// fraction exceeds 0.499.
int32_t RoundToInt(double v);
int32_t RoundToIntF(float v);
// trunc(v + 0.4999999) for v > 0, trunc(v - 0.4999999) otherwise.
int32_t RoundHalfAway(double v);

// Drawing state: font height (page units) and dimension scale (mm per unit).
int32_t DrawingFontHeight();
float DimensionScale();
// Font height = available height div 10, within 4 .. 12.
void SetDrawingFontHeight(int32_t availableHeight);
int32_t MmToPage(int32_t mm);

// The object set of the report (made at the start and deleted at the end of
// every export call). Number of objects alive in the set.
void CreateGdiObjects();
void DeleteGdiObjects();
int32_t GdiObjectCount();

// Primitives: each makes a temporary object, draws and deletes it.
void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF c);
void DrawLineWidth(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF c);
void FillPolygon(HDC dc, const emf::POINT* pts, int count, COLORREF c);
void FillCircle(HDC dc, int cx, int cy, int r, COLORREF c);
void DrawTextAt(HDC dc, int x, int y, const std::string& text, int height, float angle, unsigned align, COLORREF c);
void DrawTextAtF(HDC dc, int x, int y, unsigned align, float angle, int height, const std::string& text, COLORREF c);
void MarkPictureCorners(HDC dc, const PageRect& r);
void DrawDimensionTick(HDC dc, int x, int y, float angle, COLORREF c);
void DrawDimensionChain(HDC dc, int x, int y, const std::vector<int32_t>& lengthsMm, int textHeight, float angle,
                        unsigned align, int offset, COLORREF c);

// Scales of the system picture.
struct SystemFrame {
    int32_t x0 = 0;       // picture origin x (the margin)
    int32_t axisY = 0;    // axis line y
    double sx = 0, sz = 0;
    std::string label;    // "%.1f-fach überhöht"
};
// For a member of length L (cm) with largest section depth a and width b (cm).
SystemFrame SystemScales(const PageRect& r, double lengthCm, double a, double b);

// One load of a load picture along one direction: its extent along the
// member (page x, relative to the picture origin), its values at the start
// and at the end, its load case and the name of the component in its label.
struct LoadSymbol {
    double xa = 0, xb = 0;
    double v0 = 0, v1 = 0;
    int32_t loadCase = 0;
    int32_t component = 0;  // 0 x, 1 y (drawn obliquely), 2 z
    std::string name;       // "pz", "Py", ...
};

// A load symbol laid out on the page: the area between its base line and
// its scaled ordinates (light fill, outlined in its colour), and its label
// with the load case and the values.
struct LoadGlyph {
    std::array<emf::POINT, 4> area{};
    COLORREF colour = 0;
    std::string label;
    emf::POINT labelAt{};
};

// Lays out the load symbols of one picture. Ordinates: d = s * value * sx
// with s = 0.35 * page height / largest value (the largest magnitude of the
// symbols' values unless given; 1.0 when it is below 1e-5; negative with
// reversed). Loads that overlap along the member
// in the same direction are stacked, each on top of the previous one and its
// label, so that no load hides another; positive values lie above (or
// behind) the member, negative ones below (or in front), red for negative
// values, blue otherwise. When a stack would leave the page the ordinates
// are scaled down together.
std::vector<LoadGlyph> LayoutLoadSymbols(const std::vector<LoadSymbol>& loads, int32_t x0, int32_t axisY, double sx,
                                         const PageRect& r, int32_t fontHeight, bool reversed,
                                         double largest = -1.0);
// The label of a load symbol: "Lf 2: pz = 5.00" for equal ordinates,
// "Lf 2: pz = 2.00 / 4.00" for a varying load.
std::string LoadLabel(const LoadSymbol& l);

// Picture kinds: -1 system with springs and beddings, -2 line loads,
// -4 point loads and moments, -5 imposed displacements, -10 section.
// Draws the structural system of the run (and the overlays of the kind).
void DrawSystemPicture(RunState& run, HDC dc, const PageRect& r, int32_t kind);

// Cross-section picture of section number t (1-based) of the run. Labels of
// the centroid and shear centre ("S", "M", or "S=M" once when they lie within
// 0.001 of each other) are returned for the caller's tests.
std::vector<std::string> DrawSectionPicture(RunState& run, HDC dc, const PageRect& r, int32_t t);
std::vector<std::string> SectionPointLabels(double ys, double zs, double ym, double zm);

// A result diagram along the member: curves of two values per element
// (start, end). Returns -1 when every value is below 1e-5 in magnitude
// (nothing drawn), else 0.
int32_t DrawDiagram(RunState& run, HDC dc, const PageRect& r, const std::vector<std::vector<double>>& curves);
// Axis label format of a diagram from its largest and smallest value.
const char* DiagramLabelFormat(double vmax, double vmin);

}  // namespace tovik::report
