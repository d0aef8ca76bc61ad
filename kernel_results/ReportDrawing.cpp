// Drawings of the calculation report.
#include "kernel_results/ReportDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "kernel/section/SectionCache.h"
#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

namespace tovik::report {

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kAlpha = kPi * 7.0 / 30.0;  // 42 degrees, the oblique projection

int32_t gFontHeight = 3;
float gDimScale = 5.0f;
std::vector<emf::HGDIOBJ> gObjects;

struct Projector {
    int32_t x0 = 0, y0 = 0;
    emf::POINT operator()(double x, double y, double z) const {
        return {x0 + RoundHalfAway(x - std::cos(kAlpha) * y), y0 + RoundHalfAway(std::sin(kAlpha) * y + z)};
    }
};

// Outline of a section in cm: plates with their ends and thickness.
struct Plates {
    std::vector<double> ya, za, ye, ze, t;
    double ymRel = 0, zmRel = 0, y0 = 0, z0 = 0, phi = 0;
    bool ok = false;
};

Plates PlatesOf(int32_t handle) {
    Plates p;
    if (handle < 0) return p;
    SektGqs g{};
    if (SEKT_PRO_GetResultGqs(handle, &g) != 0) return p;
    p.y0 = g.y0;
    p.z0 = g.z0;
    p.ymRel = g.ym - g.y0;
    p.zmRel = g.zm - g.z0;
    p.phi = g.phi;
    const int n = SEKT_PRO_GetnTqe(handle, 0);
    for (int k = 0; k < n; ++k) {
        SektTqe e{};
        if (SEKT_PRO_GetResultTqe(handle, 0, k, &e) != 0 || e.exclude) continue;
        p.ya.push_back(e.ya);
        p.za.push_back(e.za);
        p.ye.push_back(e.ye);
        p.ze.push_back(e.ze);
        p.t.push_back(0.5 * (e.ta + e.te));
    }
    p.ok = !p.t.empty();
    return p;
}

// The turned and mirrored section of section number t as the report shows it.
int32_t ReportProfile(RunState& run, int32_t t) {
    const ModelRecord& m = run.cdltr;
    const int32_t i = m.SectionIndex(t);
    if (i < 0) return -1;
    int32_t h = -1;
    section::Sections(run).CheckSectionSimilarity(m.m_IndDBS, m.Qs_Name[static_cast<size_t>(i)],
                                                  m.Qs_Name[static_cast<size_t>(i)], 0.0, m.Qs_Dreh[static_cast<size_t>(i)],
                                                  m.Qs_Spiegel[static_cast<size_t>(i)], h);
    return h;
}

}  // namespace

namespace {
// Drawing coordinates are clamped to a range that a sum of two of them still
// holds, so that no conversion or later addition can overflow; not a number
// becomes 0.
constexpr double kCoordinateLimit = 1073741823.0;
double ClampCoordinate(double v) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}
}  // namespace

int32_t RoundToInt(double v) {
    v = ClampCoordinate(v);
    const double t = std::trunc(v);
    const double frac = std::fabs(v - t);
    int32_t r = static_cast<int32_t>(t);
    // The dropped fraction as written (2.499 drops 0.499, not the binary
    // excess of 2.499 - 2).
    if (frac > 0.499 + 1e-9) r += v > 0 ? 1 : -1;
    return r;
}

int32_t RoundToIntF(float v) { return RoundToInt(static_cast<double>(v)); }

int32_t RoundHalfAway(double v) {
    v = ClampCoordinate(v);
    return static_cast<int32_t>(v > 0 ? std::trunc(v + 0.4999999) : std::trunc(v - 0.4999999));
}

int32_t DrawingFontHeight() { return gFontHeight; }
float DimensionScale() { return gDimScale; }
void SetDrawingFontHeight(int32_t h) { gFontHeight = std::clamp(h / 10, 4, 12); }
int32_t MmToPage(int32_t mm) { return RoundToIntF(static_cast<float>(mm) / gDimScale); }

void CreateGdiObjects() {
    DeleteGdiObjects();
    using namespace colour;
    for (COLORREF c : {kWhite, kNearWhite, kLightGrey, kGrey, kDarkGrey, kAnthracite, kBlack, kLightBlue, kRed,
                       kLightGreen, kGreen, kLightBlue, kBlue, kPaleGreen})
        gObjects.push_back(emf::CreateSolidBrush(c));
    for (int w : {0, 2, 3}) gObjects.push_back(emf::CreatePen(emf::PS_SOLID, w, kBlack));
    gObjects.push_back(emf::CreateFont(gFontHeight, 0, 0, 0, "Arial"));
    gObjects.push_back(emf::CreateFont(gFontHeight, 900, 900, 0, "Arial"));
}

void DeleteGdiObjects() {
    for (emf::HGDIOBJ o : gObjects)
        if (o) emf::DeleteObject(o);
    gObjects.clear();
}

int32_t GdiObjectCount() { return static_cast<int32_t>(gObjects.size()); }

void DrawLineWidth(HDC dc, int x1, int y1, int x2, int y2, int width, COLORREF c) {
    const emf::HGDIOBJ pen = emf::CreatePen(emf::PS_SOLID, width, c);
    const emf::HGDIOBJ old = emf::SelectObject(dc, pen);
    emf::MoveToEx(dc, x1, y1);
    emf::LineTo(dc, x2, y2);
    emf::SelectObject(dc, old);
    emf::DeleteObject(pen);
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF c) { DrawLineWidth(dc, x1, y1, x2, y2, 0, c); }

void FillPolygon(HDC dc, const emf::POINT* pts, int count, COLORREF c) {
    if (!pts || count < 2) return;
    const emf::HGDIOBJ brush = emf::CreateSolidBrush(c);
    const emf::HGDIOBJ old = emf::SelectObject(dc, brush);
    emf::Polygon(dc, pts, count);
    emf::SelectObject(dc, old);
    emf::DeleteObject(brush);
}

void FillCircle(HDC dc, int cx, int cy, int r, COLORREF c) {
    const emf::HGDIOBJ brush = emf::CreateSolidBrush(c);
    const emf::HGDIOBJ old = emf::SelectObject(dc, brush);
    emf::Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
    emf::SelectObject(dc, old);
    emf::DeleteObject(brush);
}

void DrawTextAt(HDC dc, int x, int y, const std::string& text, int height, float angle, unsigned align, COLORREF c) {
    const int esc = RoundToIntF(angle * 10.0f);
    const emf::HGDIOBJ font = emf::CreateFont(height, esc, esc, emf::FW_NORMAL, "Arial");
    const emf::HGDIOBJ old = emf::SelectObject(dc, font);
    emf::SetTextColor(dc, c);
    emf::SetTextAlign(dc, align | emf::TA_BOTTOM);
    emf::TextOut(dc, x, y, text);
    emf::SelectObject(dc, old);
    emf::DeleteObject(font);
}

void DrawTextAtF(HDC dc, int x, int y, unsigned align, float angle, int height, const std::string& text, COLORREF c) {
    DrawTextAt(dc, x, y, text, height, angle, align, c);
}

void MarkPictureCorners(HDC dc, const PageRect& r) {
    DrawLine(dc, r.left, r.top, r.left + 1, r.top, colour::kBlack);
    DrawLine(dc, r.right - 1, r.bottom, r.right, r.bottom, colour::kBlack);
}

void DrawDimensionTick(HDC dc, int x, int y, float /*angle*/, COLORREF c) {
    const int h = gFontHeight;
    DrawLine(dc, x, y - 2 * h, x, y + 2 * h, c);
    DrawLine(dc, x - 2 * h, y, x + 2 * h, y, c);
    DrawLine(dc, x - h, y + h, x + h, y - h, c);
}

void DrawDimensionChain(HDC dc, int x, int y, const std::vector<int32_t>& lengthsMm, int textHeight, float angle,
                        unsigned align, int /*offset*/, COLORREF c) {
    int cx = x;
    for (int32_t len : lengthsMm) {
        DrawDimensionTick(dc, cx, y, angle, c);
        if (len != 0) {
            const int step = MmToPage(len);
            DrawTextAtF(dc, cx + step / 2, y, align, angle, textHeight, winsys::FormatC("%d", len), c);
            cx += step;
        }
    }
    DrawLine(dc, x, y, cx, y, c);
    DrawDimensionTick(dc, cx, y, angle, c);
}

SystemFrame SystemScales(const PageRect& r, double L, double a, double b) {
    const int32_t m = 10;
    SystemFrame f;
    f.x0 = r.left + m;
    const int32_t y0 = r.top + m;
    f.sx = L > 0 ? (r.right - 2 * m - f.x0) / L : 0.0;
    f.sz = (r.bottom - 2 * m - y0) / (0.75 * b + a);
    f.label = winsys::FormatC("%.1f-fach überhöht", f.sx > 0 ? f.sz / f.sx : 0.0);
    f.axisY = RoundToInt(f.sz * a * 0.5) + r.bottom / 2;
    return f;
}

std::string LoadLabel(const LoadSymbol& l) {
    if (std::fabs(l.v0 - l.v1) < 0.005)
        return winsys::FormatC("Lf %d: %s = ", static_cast<int>(l.loadCase), l.name.c_str()) +
               winsys::FormatDoubleC("%.2f", l.v0);
    return winsys::FormatC("Lf %d: %s = ", static_cast<int>(l.loadCase), l.name.c_str()) +
           winsys::FormatDoubleC("%.2f", l.v0) + " / " + winsys::FormatDoubleC("%.2f", l.v1);
}

std::vector<LoadGlyph> LayoutLoadSymbols(const std::vector<LoadSymbol>& loads, int32_t x0, int32_t axisY, double sx,
                                         const PageRect& r, int32_t fontHeight, bool reversed, double largest) {
    double vmax = largest;
    if (vmax < 0) {
        vmax = 0;
        for (const LoadSymbol& l : loads) vmax = std::max({vmax, std::fabs(l.v0), std::fabs(l.v1)});
    }
    if (vmax < 1e-5) vmax = 1.0;
    const double s = (reversed ? -1.0 : 1.0) * 0.35 * (r.bottom - r.top) / vmax;
    const Projector P{x0, axisY};
    const double room = fontHeight + 1.0;
    // A label takes about six tenths of the font height per character.
    auto labelWidth = [&](const std::string& t) { return 0.6 * fontHeight * static_cast<double>(t.size()); };
    struct Placed {
        double xa, xb, top;
        int key;
    };
    for (double shrink = 1.0;; shrink *= 0.8) {
        std::vector<LoadGlyph> out;
        std::vector<Placed> placed;
        bool fits = true;
        for (const LoadSymbol& l : loads) {
            const double d1 = s * l.v0 * sx * shrink, d2 = s * l.v1 * sx * shrink;
            if (std::fabs(d1) < 1e-5 && std::fabs(d2) < 1e-5) continue;
            const int side = d1 + d2 >= 0 ? 1 : -1;
            const bool oblique = l.component == 1;
            const int key = (oblique ? 2 : 0) + (side > 0 ? 0 : 1);
            const double xa = std::min(l.xa, l.xb), xb = std::max(l.xa, l.xb), mid = 0.5 * (xa + xb);
            LoadGlyph g;
            g.label = LoadLabel(l);
            // The stretch the symbol and its label take along the member.
            const double half = 0.5 * labelWidth(g.label);
            const double ca = std::min(xa, mid - half), cb = std::max(xb, mid + half);
            double base = 0;
            for (const Placed& p : placed)
                if (p.key == key && ca < p.xb && p.xa < cb) base = std::max(base, p.top);
            // Offsets away from the member on the symbol's side.
            const double u1 = side * d1, u2 = side * d2;
            const double top = base + std::max({u1, u2, 0.0});
            auto at = [&](double x, double u) { return oblique ? P(x, side * u, 0) : P(x, 0, -side * u); };
            g.area = {at(xa, base), at(xb, base), at(xb, base + u2), at(xa, base + u1)};
            if (g.area[0].x == g.area[1].x) {
                g.area[1].x += 1;
                g.area[2].x += 1;
            }
            g.colour = (d1 < 0 && s > 0) ? colour::kRed : colour::kBlue;
            g.labelAt = at(mid, top);
            g.labelAt.y += side > 0 ? -1 : fontHeight + 1;
            if (g.labelAt.y - fontHeight < r.top || g.labelAt.y > r.bottom) fits = false;
            placed.push_back({ca, cb, top + room, key});
            out.push_back(std::move(g));
        }
        if (fits || shrink < 0.05) return out;
    }
}

void DrawSystemPicture(RunState& run, HDC dc, const PageRect& r, int32_t kind) {
    const ModelRecord& m = run.cdltr;
    if (m.nFeld <= 0) return;
    const int32_t margin = 10;
    SetDrawingFontHeight(r.bottom - 2 * margin);
    double L = 0;
    for (int32_t i = 0; i < m.nFeld && i < limits::kMaxFields; ++i) L += 100.0 * m.Feld_L[static_cast<size_t>(i)];
    // Section extents (untouched sections) and their z offsets.
    double a = 1.0, b = 1.0;
    std::vector<Plates> spanA(static_cast<size_t>(m.nFeld)), spanE(static_cast<size_t>(m.nFeld));
    for (int32_t i = 0; i < m.nFeld; ++i) {
        spanA[static_cast<size_t>(i)] = PlatesOf(ReportProfile(run, m.Feld_QsA[static_cast<size_t>(i)]));
        spanE[static_cast<size_t>(i)] = PlatesOf(ReportProfile(run, m.Feld_QsE[static_cast<size_t>(i)]));
        for (const Plates* p : {&spanA[static_cast<size_t>(i)], &spanE[static_cast<size_t>(i)]}) {
            if (!p->ok) continue;
            double ymin = 1e300, ymax = -1e300, zmin = 1e300, zmax = -1e300;
            for (size_t k = 0; k < p->t.size(); ++k)
                for (double v : {p->ya[k], p->ye[k]}) ymin = std::min(ymin, v), ymax = std::max(ymax, v);
            for (size_t k = 0; k < p->t.size(); ++k)
                for (double v : {p->za[k], p->ze[k]}) zmin = std::min(zmin, v), zmax = std::max(zmax, v);
            a = std::max(a, zmax - zmin);
            b = std::max(b, ymax - ymin);
        }
    }
    const SystemFrame f = SystemScales(r, L, a, b);
    DrawTextAt(dc, 1, RoundToInt(1.5 * gFontHeight), f.label, gFontHeight, 0.0f, 0, colour::kBlack);
    Projector P{f.x0, f.axisY};
    // Member body and axis.
    double x = 0;
    for (int32_t i = 0; i < m.nFeld; ++i) {
        const double len = 100.0 * m.Feld_L[static_cast<size_t>(i)];
        double xs = x, xe = x + len;
        if (m.Feld_GelA[static_cast<size_t>(i)] > 0) xs += 5.0;
        if (m.Feld_GelE[static_cast<size_t>(i)] > 0) xe -= 5.0;
        const Plates& pa = spanA[static_cast<size_t>(i)];
        const Plates& pe = spanE[static_cast<size_t>(i)];
        if (pa.ok && pe.ok && pa.t.size() == pe.t.size()) {
            for (size_t k = 0; k < pa.t.size(); ++k) {
                const emf::POINT q[4] = {P(xs * f.sx, (pa.ya[k] - pa.y0) * f.sz, (pa.za[k] - pa.z0) * f.sz),
                                         P(xs * f.sx, (pa.ye[k] - pa.y0) * f.sz, (pa.ze[k] - pa.z0) * f.sz),
                                         P(xe * f.sx, (pe.ye[k] - pe.y0) * f.sz, (pe.ze[k] - pe.z0) * f.sz),
                                         P(xe * f.sx, (pe.ya[k] - pe.y0) * f.sz, (pe.za[k] - pe.z0) * f.sz)};
                if (kind == -1) FillPolygon(dc, q, 4, colour::kLightBlue);
                for (int j = 0; j < 4; ++j) DrawLine(dc, q[j].x, q[j].y, q[(j + 1) % 4].x, q[(j + 1) % 4].y, colour::kBlack);
            }
        }
        const emf::POINT s = P(x * f.sx, 0, 0), e = P((x + len) * f.sx, 0, 0);
        DrawLine(dc, s.x, s.y, e.x, e.y, colour::kGrey);
        FillCircle(dc, s.x, s.y, gFontHeight / 2, colour::kOrangeRed);
        FillCircle(dc, e.x, e.y, gFontHeight / 2, colour::kOrangeRed);
        if (pa.ok && pe.ok) {
            const emf::POINT ms = P(x * f.sx, pa.ymRel * f.sz, pa.zmRel * f.sz),
                             me = P((x + len) * f.sx, pe.ymRel * f.sz, pe.zmRel * f.sz);
            DrawLine(dc, ms.x, ms.y, me.x, me.y, colour::kGrey);
        }
        x += len;
    }
    // Axis triad.
    const double l = a * f.sz * 0.6;
    const emf::POINT o = P(0, 0, 0);
    const char* names[3] = {"X", "Y", "Z"};
    const emf::POINT tips[3] = {P(l, 0, 0), P(0, l, 0), P(0, 0, l)};
    for (int k = 0; k < 3; ++k) {
        DrawLine(dc, o.x, o.y, tips[k].x, tips[k].y, colour::kRed);
        DrawTextAt(dc, tips[k].x, tips[k].y, names[k], gFontHeight, 0.0f, emf::TA_RIGHT, colour::kRed);
    }
    // Supports.
    const double ls = a * f.sz * 0.3;
    x = 0;
    for (int32_t node = 0; node <= m.nFeld; ++node) {
        const int32_t typ = m.Kn_Lager[static_cast<size_t>(node)];
        if (typ >= 1 && typ <= m.nLagerTyp) {
            const SupportType& s = m.LagerTyp[static_cast<size_t>(typ - 1)];
            const double xs = x * f.sx;
            const emf::POINT n = P(xs, 0, 0);
            auto line = [&](double x2, double y2, double z2, COLORREF c) {
                const emf::POINT q = P(x2, y2, z2);
                DrawLineWidth(dc, n.x, n.y, q.x, q.y, 1, c);
            };
            if (s.cx != 0) line(xs + ls, 0, 0, colour::kGreen);
            if (s.cy != 0) line(xs, ls, 0, colour::kGreen);
            if (s.cz != 0) line(xs, 0, ls, colour::kGreen);
            if (s.cmx != 0) line(xs - ls, 0, 0, colour::kGrey);
            if (s.cmy != 0) {
                const emf::POINT p1 = P(xs, 1.5 * ls, 0), p2 = P(xs, 2.5 * ls, 0);
                DrawLineWidth(dc, p1.x, p1.y, p2.x, p2.y, 1, colour::kAnthracite);
            }
            if (s.cmz != 0) {
                const emf::POINT p1 = P(xs, 0, 1.5 * ls), p2 = P(xs, 0, 2.5 * ls);
                DrawLineWidth(dc, p1.x, p1.y, p2.x, p2.y, 1, colour::kAnthracite);
            }
        }
        if (node < m.nFeld) x += 100.0 * m.Feld_L[static_cast<size_t>(node)];
    }
    // Dimension chain (full span lengths).
    gDimScale = static_cast<float>(f.sx > 0 ? 10.0 / f.sx : 5.0);
    std::vector<int32_t> mm;
    for (int32_t i = 0; i < m.nFeld; ++i) mm.push_back(RoundToIntF(100.0f * m.Feld_L[static_cast<size_t>(i)] * 10.0f));
    DrawDimensionChain(dc, margin, r.bottom - margin / 2, mm, gFontHeight, 0.0f, emf::TA_CENTER, 0, colour::kBlack);

    // Overlays: loads as areas between their base line and their scaled
    // ordinates, labelled with load case and values.
    auto spanStart = [&](int32_t node1) { return node1 >= 1 && node1 <= m.nFeld + 1 ? 100.0 * m.KnotenPos[static_cast<size_t>(node1 - 1)] : 0.0; };
    auto draw = [&](const std::vector<LoadSymbol>& symbols, bool reversed, double largest = -1.0) {
        for (const LoadGlyph& g : LayoutLoadSymbols(symbols, f.x0, f.axisY, f.sx, r, gFontHeight, reversed, largest)) {
            FillPolygon(dc, g.area.data(), 4, colour::kNearWhite);
            for (size_t j = 0; j < 4; ++j)
                DrawLine(dc, g.area[j].x, g.area[j].y, g.area[(j + 1) % 4].x, g.area[(j + 1) % 4].y, g.colour);
            DrawTextAt(dc, g.labelAt.x, g.labelAt.y, g.label, gFontHeight, 0.0f, emf::TA_CENTER, g.colour);
        }
    };
    const double xEnd = L * f.sx;
    if (kind == -2) {
        std::vector<LoadSymbol> symbols;
        for (int32_t i = 0; i < m.nStreckenL(); ++i) {
            const LineLoad& q = m.StreckenL[i];
            const double xa = std::min(xEnd, (spanStart(q.node) + 100.0 * q.offset) * f.sx);
            const double xb = std::min(xEnd, (spanStart(q.node) + 100.0 * (q.offset + q.length)) * f.sx);
            const double va[3] = {q.px0, q.py0, q.pz0}, vb[3] = {q.px1, q.py1, q.pz1};
            const char* names[3] = {"px", "py", "pz"};
            for (int c = 0; c < 3; ++c) symbols.push_back({xa, xb, va[c], vb[c], q.LCGen, c, names[c]});
        }
        draw(symbols, false);
    } else if (kind == -4) {
        std::vector<LoadSymbol> symbols;
        for (int32_t i = 0; i < m.nEinzelF(); ++i) {
            const PointForce& p = m.EinzelF[i];
            const double xa = std::min(xEnd, (spanStart(p.node) + 100.0 * p.offset) * f.sx);
            const double v[3] = {p.Px, p.Py, p.Pz};
            const char* names[3] = {"Px", "Py", "Pz"};
            for (int c = 0; c < 3; ++c) symbols.push_back({xa, xa, v[c], v[c], p.LCGen, c, names[c]});
        }
        draw(symbols, false);
        for (int32_t i = 0; i < m.nEinzelM(); ++i) {
            const PointMoment& p = m.EinzelM[i];
            const double xa = std::min(xEnd, (spanStart(p.node) + 100.0 * p.offset) * f.sx);
            const double mv[3] = {p.Mx, p.My, p.Mz};
            for (int c = 0; c < 3; ++c) {
                if (std::fabs(mv[c]) < 1e-5) continue;
                std::vector<emf::POINT> arc;
                for (int k = 0; k <= 8; ++k) {
                    const double ang = (-90.0 + k * 22.5) * kPi / 180.0;
                    const double u = 15.0 * std::cos(ang), w = 15.0 * std::sin(ang);
                    arc.push_back(c == 0 ? P(xa, u, w) : (c == 1 ? P(xa + u, 0, w) : P(xa + u, w, 0)));
                }
                const COLORREF col = mv[c] < 0 ? colour::kRed : colour::kBlue;
                for (int k = 0; k < 7; ++k) DrawLine(dc, arc[k].x, arc[k].y, arc[k + 1].x, arc[k + 1].y, col);
            }
        }
    } else if (kind == -5) {
        std::vector<LoadSymbol> symbols;
        double vmax = 0;
        for (int32_t i = 0; i < m.nZwang(); ++i) {
            const ImposedDisplacement& z = m.Zwang[i];
            for (double v : {z.du, z.dv, z.dw, z.dphi, z.dpsi, z.dtet}) vmax = std::max(vmax, std::fabs(v));
        }
        for (int32_t i = 0; i < m.nZwang(); ++i) {
            const ImposedDisplacement& z = m.Zwang[i];
            const double xa = std::min(xEnd, spanStart(z.node) * f.sx);
            const double xb = std::min(xEnd, (spanStart(z.node) + 2.5) * f.sx);
            const double v[3] = {z.du, z.dv, z.dw};
            const char* names[3] = {"du", "dv", "dw"};
            for (int c = 0; c < 3; ++c) symbols.push_back({xa, xb, v[c], v[c], z.LCGen, c, names[c]});
        }
        // The rotations take part in the scale without a symbol of their own.
        draw(symbols, true, vmax);
    } else if (kind == -1) {
        // Spring symbols of single springs and beddings.
        auto spring = [&](double xs, int dir) {
            const int h = gFontHeight;
            const emf::POINT c = P(xs, 0, 0);
            std::vector<emf::POINT> z;
            for (int k = 0; k < 9; ++k) {
                const int along = static_cast<int>(1.5 * h) + k * h / 2;
                const int amp = (k % 2 == 0) ? 0 : (k % 4 == 1 ? h : -h);
                z.push_back(dir == 2 ? emf::POINT{c.x + amp, c.y + along} : emf::POINT{c.x - along + amp, c.y - along});
            }
            for (int k = 0; k + 1 < 9; ++k) DrawLine(dc, z[k].x, z[k].y, z[k + 1].x, z[k + 1].y, colour::kDarkGrey);
        };
        for (int32_t i = 0; i < m.nFeder && i < limits::kMaxSprings; ++i) {
            const Spring& s = m.Feder[static_cast<size_t>(i)];
            const double xs = std::min(xEnd, (spanStart(s.node + 1) + 100.0 * s.posX) * f.sx);
            if (s.cy > 0) spring(xs, 1);
            if (s.cz > 0) spring(xs, 2);
        }
        for (int32_t i = 0; i < m.nBettung && i < limits::kMaxBeddings; ++i) {
            const Bedding& bd = m.Bettung[static_cast<size_t>(i)];
            const double xa = std::min(xEnd, (spanStart(bd.node + 1) + 100.0 * bd.posX) * f.sx);
            const double xb = std::min(xEnd, (spanStart(bd.node + 1) + 100.0 * (bd.posX + bd.length)) * f.sx);
            for (int dir = 1; dir <= 2; ++dir)
                if ((dir == 1 ? bd.cy : bd.cz) > 0) {
                    spring(xa, dir);
                    spring(xb, dir);
                }
        }
    }
}

std::vector<std::string> SectionPointLabels(double ys, double zs, double ym, double zm) {
    if (std::fabs(ys - ym) < 0.001 && std::fabs(zs - zm) < 0.001) return {"S=M", ""};
    return {"S", "M"};
}

std::vector<std::string> DrawSectionPicture(RunState& run, HDC dc, const PageRect& r, int32_t t) {
    const int32_t margin = 4;
    SetDrawingFontHeight(r.bottom - 2 * margin);
    const Plates p = PlatesOf(ReportProfile(run, t));
    if (!p.ok) return {};
    // Plate corners (y mirrored for the view), extremes.
    std::vector<std::array<double, 8>> quads;
    double ymin = 1e300, ymax = -1e300, zmin = 1e300, zmax = -1e300;
    for (size_t k = 0; k < p.t.size(); ++k) {
        const double ya = -(p.ya[k] - p.y0), ye = -(p.ye[k] - p.y0), za = p.za[k] - p.z0, ze = p.ze[k] - p.z0;
        const double L = std::hypot(ye - ya, ze - za);
        if (L <= 0) continue;
        const double ny = -(ze - za) / L * p.t[k] / 2, nz = (ye - ya) / L * p.t[k] / 2;
        std::array<double, 8> q = {ya + ny, za + nz, ye + ny, ze + nz, ye - ny, ze - nz, ya - ny, za - nz};
        for (int j = 0; j < 4; ++j) {
            ymin = std::min(ymin, q[2 * j]);
            ymax = std::max(ymax, q[2 * j]);
            zmin = std::min(zmin, q[2 * j + 1]);
            zmax = std::max(zmax, q[2 * j + 1]);
        }
        quads.push_back(q);
    }
    if (quads.empty()) return {};
    const double w = r.right - r.left - 2 * margin, h = r.bottom - r.top - 2 * margin;
    const double s = std::min(w / std::max(ymax - ymin, 1e-9), h / std::max(zmax - zmin, 1e-9));
    const double cx = 0.5 * (r.left + r.right) - s * 0.5 * (ymin + ymax), cz = 0.5 * (r.top + r.bottom) - s * 0.5 * (zmin + zmax);
    auto pt = [&](double y, double z) { return emf::POINT{RoundToInt(cx + s * y), RoundToInt(cz + s * z)}; };
    for (const auto& q : quads) {
        const emf::POINT pp[4] = {pt(q[0], q[1]), pt(q[2], q[3]), pt(q[4], q[5]), pt(q[6], q[7])};
        FillPolygon(dc, pp, 4, colour::kLightBlue);
    }
    // Principal axes through the centroid.
    const double len = 0.45 * std::min(w, h) / s;
    const emf::POINT o = pt(0, 0);
    const emf::POINT ay = pt(-len * std::cos(p.phi), len * std::sin(p.phi)), az = pt(-len * std::sin(p.phi), len * std::cos(p.phi));
    DrawLine(dc, o.x, o.y, ay.x, ay.y, colour::kBlue);
    DrawLine(dc, o.x, o.y, az.x, az.y, colour::kBlue);
    DrawTextAt(dc, ay.x, ay.y, "Y", gFontHeight, 0.0f, emf::TA_RIGHT, colour::kRed);
    DrawTextAt(dc, az.x, az.y, "Z", gFontHeight, 0.0f, emf::TA_CENTER, colour::kRed);
    const std::vector<std::string> labels = SectionPointLabels(0, 0, p.ymRel, p.zmRel);
    const emf::POINT pm = pt(-p.ymRel, p.zmRel);
    FillCircle(dc, o.x, o.y, gFontHeight / 2, colour::kNearWhite);
    FillCircle(dc, pm.x, pm.y, gFontHeight / 2, colour::kNearWhite);
    DrawTextAt(dc, o.x, o.y, labels[0], gFontHeight, 0.0f, emf::TA_CENTER, colour::kAnthracite);
    if (!labels[1].empty()) DrawTextAt(dc, pm.x, pm.y, labels[1], gFontHeight, 0.0f, emf::TA_CENTER, colour::kAnthracite);
    return labels;
}

const char* DiagramLabelFormat(double vmax, double vmin) {
    const double a = std::fabs(vmax), b = std::fabs(vmin);
    if (a > 1000 || b > 1000) return "%.0f";
    if (a > 100 || b > 100) return "%.1f";
    if (a < 0.01 || b < 0.01) return "%.3f";
    return "%.2f";
}

int32_t DrawDiagram(RunState& run, HDC dc, const PageRect& r, const std::vector<std::vector<double>>& curves) {
    const ModelRecord& m = run.cdltr;
    double vmax = 0, vmin = 0;
    bool first = true;
    for (const auto& c : curves)
        for (double v : c) {
            const double x = std::fabs(v) < 1e-5 ? 0.0 : v;
            if (first) vmax = vmin = x, first = false;
            vmax = std::max(vmax, x);
            vmin = std::min(vmin, x);
        }
    if (std::fabs(vmax) < 1e-5 && std::fabs(vmin) < 1e-5) return -1;
    const double L = m.GesamtLaenge > 0 ? m.GesamtLaenge : m.fe.TraegerL;
    const int32_t x0 = r.left + 15;
    const double sx = L > 0 ? (r.right - r.left - 15) / L : 0.0;
    const int32_t top = r.top + 4, bottom = r.bottom - 10;
    const double range = vmax - vmin > 1e-12 ? vmax - vmin : 1.0;
    const double sv = (bottom - top) / range;
    const int32_t yAxis = RoundToInt(top + vmax * sv);
    auto Y = [&](double v) { return RoundToInt(top + (vmax - v) * sv); };
    const FeModel& fm = m.fe;
    const COLORREF cols[2] = {colour::kLightBlue, colour::kLightGreen};
    for (size_t ci = 0; ci < curves.size(); ++ci) {
        const auto& c = curves[ci];
        for (int32_t e = 0; e < fm.nStab && static_cast<size_t>(2 * e + 1) < c.size(); ++e) {
            const int32_t xa = x0 + RoundToInt(fm.KnotenX[static_cast<size_t>(e)] * sx);
            const int32_t xb = x0 + RoundToInt(fm.KnotenX[static_cast<size_t>(e + 1)] * sx);
            const emf::POINT q[5] = {{xa, yAxis}, {xa, Y(c[static_cast<size_t>(2 * e)])}, {xb, Y(c[static_cast<size_t>(2 * e + 1)])},
                                     {xb, yAxis}, {xa, yAxis}};
            FillPolygon(dc, q, 5, cols[ci % 2]);
        }
    }
    DrawLine(dc, x0, yAxis, x0 + RoundToInt(L * sx), yAxis, colour::kBlack);
    const char* fmt = DiagramLabelFormat(vmax, vmin);
    for (int k = 0; k <= 8; ++k) {
        const double v = vmin + range * k / 8.0;
        const int32_t y = Y(v);
        DrawLine(dc, x0 - 2, y, x0, y, colour::kBlack);
        DrawTextAtF(dc, x0 - 3, y + gFontHeight / 2, emf::TA_RIGHT, 0.0f, gFontHeight, winsys::FormatDoubleC(fmt, v),
                    colour::kBlack);
    }
    for (int32_t k = 0; k < fm.nKnoten && k < limits::kMaxFeNodes; ++k) {
        const int32_t x = x0 + RoundToInt(fm.KnotenX[static_cast<size_t>(k)] * sx);
        DrawTextAtF(dc, x, r.bottom - 1, emf::TA_LEFT, 90.0f, gFontHeight,
                    winsys::FormatDoubleC("%.2f", fm.KnotenX[static_cast<size_t>(k)]), colour::kBlack);
    }
    return 0;
}

}  // namespace tovik::report
