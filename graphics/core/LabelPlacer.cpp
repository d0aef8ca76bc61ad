#include "graphics/core/LabelPlacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using I128 = __int128;
using Vertex = CLabelOutline::Vertex;
using Triangle = CLabelOutline::Triangle;

// Corners are kept within this range so that every product below fits into
// 128 bits.
constexpr int64_t kLimit = 100'000'000;

int64_t Round(double v) {
    if (!std::isfinite(v)) return v > 0 ? (1LL << 52) : -(1LL << 52);
    return static_cast<int64_t>(std::llround(std::clamp(v, -4.5e15, 4.5e15)));
}

int64_t Trunc(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int64_t>(std::clamp(v, -4.5e15, 4.5e15));
}

I128 Cross(LabelPoint a, LabelPoint b) { return I128(a.x) * b.y - I128(a.y) * b.x; }
LabelPoint Sub(LabelPoint a, LabelPoint b) { return {a.x - b.x, a.y - b.y}; }

int Sign(I128 v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// Side of vertex v relative to the line through a and b (sign of the cross
// product), exactly.
int Side(LabelPoint a, LabelPoint b, const Vertex& v) {
    const LabelPoint ab = Sub(b, a);
    const I128 s = Cross(ab, Sub(v.p, a)) * v.den + v.num * Cross(ab, Sub(v.q, v.p));
    return Sign(s);
}

Vertex At(LabelPoint p) { return {p, p, 0, 1}; }

// True when segments p1-p2 and q1-q2 cross at a point inside both.
bool ProperCross(LabelPoint p1, LabelPoint p2, LabelPoint q1, LabelPoint q2) {
    const int a = Sign(Cross(Sub(p2, p1), Sub(q1, p1))), b = Sign(Cross(Sub(p2, p1), Sub(q2, p1)));
    const int c = Sign(Cross(Sub(q2, q1), Sub(p1, q1))), d = Sign(Cross(Sub(q2, q1), Sub(p2, q1)));
    return a * b < 0 && c * d < 0;
}

// The crossing point of p1-p2 with q1-q2 as p1 + num/den (p2 - p1).
Vertex Crossing(LabelPoint p1, LabelPoint p2, LabelPoint q1, LabelPoint q2) {
    I128 num = Cross(Sub(q1, p1), Sub(q2, q1));
    I128 den = Cross(Sub(p2, p1), Sub(q2, q1));
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return {p1, p2, num, den};
}

Triangle Plain(LabelPoint a, LabelPoint b, LabelPoint c) {
    return {{At(a), At(b), At(c)}, {{{b, c}, {c, a}, {a, b}}}};
}

bool HasArea(const Triangle& t) {
    // Twice the signed area is non-zero unless the vertices lie on one line;
    // every vertex lies on the two edge lines that meet there, so the third
    // vertex off the opposite edge's line decides.
    return Side(t.edge[0][0], t.edge[0][1], t.v[0]) != 0;
}

// Interiors of two triangles are disjoint exactly when one edge line of
// either has the other triangle wholly on its outer closed side.
bool Separated(const Triangle& a, const Triangle& b) {
    for (int i = 0; i < 3; ++i) {
        const int inside = Side(a.edge[i][0], a.edge[i][1], a.v[i]);
        bool all = true;
        for (const Vertex& v : b.v)
            if (Side(a.edge[i][0], a.edge[i][1], v) * inside > 0) {
                all = false;
                break;
            }
        if (all) return true;
    }
    return false;
}

}  // namespace

CLabelOutline::CLabelOutline(const std::array<LabelPoint, 4>& corners) : m_nCorners(4) {
    for (int i = 0; i < 4; ++i) m_corners[i] = {std::clamp(corners[i].x, -kLimit, kLimit),
                                                std::clamp(corners[i].y, -kLimit, kLimit)};
}

bool CLabelOutline::IsDegenerate() const {
    if (m_nCorners < 4) return true;
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            if (m_corners[i] == m_corners[j]) return true;
    return false;
}

// The region of P1 P2 P3 P4 with even-odd filling as triangles: a crossing
// order gives the two triangles beside the crossing point, a simple
// quadrilateral is split along a diagonal that lies inside it.
const std::vector<Triangle>& CLabelOutline::Region() const {
    if (m_region) return *m_region;
    std::vector<Triangle> r;
    const auto& p = m_corners;
    if (ProperCross(p[1], p[2], p[3], p[0])) {
        const Vertex x = Crossing(p[1], p[2], p[3], p[0]);
        r.push_back({{At(p[0]), At(p[1]), x}, {{{p[1], p[2]}, {p[3], p[0]}, {p[0], p[1]}}}});
        r.push_back({{At(p[2]), At(p[3]), x}, {{{p[3], p[0]}, {p[1], p[2]}, {p[2], p[3]}}}});
    } else if (ProperCross(p[0], p[1], p[2], p[3])) {
        const Vertex y = Crossing(p[0], p[1], p[2], p[3]);
        r.push_back({{At(p[1]), At(p[2]), y}, {{{p[2], p[3]}, {p[0], p[1]}, {p[1], p[2]}}}});
        r.push_back({{At(p[3]), At(p[0]), y}, {{{p[0], p[1]}, {p[2], p[3]}, {p[3], p[0]}}}});
    } else {
        const I128 area = Cross(p[0], p[1]) + Cross(p[1], p[2]) + Cross(p[2], p[3]) + Cross(p[3], p[0]);
        auto orient = [](LabelPoint a, LabelPoint b, LabelPoint c) { return Sign(Cross(Sub(b, a), Sub(c, a))); };
        const int s = Sign(area);
        if (orient(p[0], p[1], p[2]) * s >= 0 && orient(p[0], p[2], p[3]) * s >= 0) {
            r.push_back(Plain(p[0], p[1], p[2]));
            r.push_back(Plain(p[0], p[2], p[3]));
        } else {
            r.push_back(Plain(p[1], p[2], p[3]));
            r.push_back(Plain(p[1], p[3], p[0]));
        }
    }
    std::erase_if(r, [](const Triangle& t) { return !HasArea(t); });
    m_region = std::move(r);
    return *m_region;
}

bool CLabelOutline::Overlaps(const CLabelOutline& other) const {
    if (IsDegenerate() || other.IsDegenerate()) return false;
    bool same = true;
    for (const auto& c : m_corners)
        if (std::find(other.m_corners.begin(), other.m_corners.end(), c) == other.m_corners.end()) same = false;
    if (same) return true;
    for (const Triangle& a : Region())
        for (const Triangle& b : other.Region())
            if (!Separated(a, b) && !Separated(b, a)) return true;
    return false;
}

// ---- placer --------------------------------------------------------------------

namespace {

std::array<LabelPoint, 4> Corners(int c, int64_t x0, int64_t y0, int64_t x1, int64_t y1, double phi, int s, int64_t o,
                                  int64_t h0, int64_t h1) {
    const double f = static_cast<double>(s) * static_cast<double>(o);
    const double sn = std::sin(phi), cs = std::cos(phi);
    const LabelPoint base{x0, y0};
    std::array<LabelPoint, 4> p{base, base, base, base};
    switch (c) {
        case 1: case 9: case 11: case 21: case 31: {
            const double f2 = s * static_cast<double>(h0 + o), f4 = s * static_cast<double>(h1 + o);
            p[0] = {x0 - Round(f * sn), y0 - Round(f * cs)};
            p[1] = {x0 - Round(f2 * sn), y0 - Round(f2 * cs)};
            p[2] = {x1 - Round(f * sn), y1 - Round(f * cs)};
            p[3] = {x1 - Round(f4 * sn), y1 - Round(f4 * cs)};
            break;
        }
        case 2: case 12: case 19:
            if (cs == 0) break;
            p[0] = {x0, y0 - Round(f / cs)};
            p[1] = {x0, y0 - Round(s * static_cast<double>(o + h0) / cs)};
            p[2] = {x1, y1 - Round(f / cs)};
            p[3] = {x1, y1 - Round(s * static_cast<double>(o + h1) / cs)};
            break;
        case 3: case 13: {
            if (sn == 0) break;
            auto limit = [](double u, int64_t h) {
                const double m = 1.3 * static_cast<double>(h);
                return std::fabs(u) > std::fabs(m) ? std::copysign(std::fabs(m), u) : u;
            };
            const double u0 = limit(static_cast<double>(h0) / sn, h0), u1 = limit(static_cast<double>(h1) / sn, h1);
            p[0] = {x0 - Round(f / sn), y0};
            p[1] = {p[0].x - Round(u0), y0};
            p[2] = {x1 - Round(f / sn), y1};
            p[3] = {p[2].x - Round(u1), y1};
            break;
        }
        case 4: case 14: {
            const int64_t g = Round(f * cs);
            const int64_t y = std::min(y0, y1) - g;
            p[0] = {x0, y};
            p[2] = {x1, y};
            p[1] = {x0, y - h0};
            p[3] = {x1, y - h1};
            break;
        }
        case 5: case 15: {
            const int64_t g = Round(f * sn);
            const int64_t x = std::min(x0, x1) - g;
            p[0] = {x, y0};
            p[2] = {x, y1};
            p[1] = {x - h0, y0};
            p[3] = {x - h1, y1};
            break;
        }
        default: break;
    }
    if (s == -1) {
        std::swap(p[0], p[1]);
        std::swap(p[2], p[3]);
    }
    return p;
}

}  // namespace

double CLabelPlacer::Place(int c, double ax, double ay, double bx, double by, double L, double low, double high,
                           double t, int s, double d0) {
    if (s != -1) s = 1;
    if (low > high) std::swap(low, high);
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const int64_t iax = Trunc(ax * 10000), iay = Trunc(ay * 10000), ibx = Trunc(bx * 10000), iby = Trunc(by * 10000);
    const int64_t it = Trunc(t * 10000);
    const double phi = std::atan2(static_cast<double>(iay - iby), static_cast<double>(ibx - iax));
    const double length = std::hypot(static_cast<double>(ibx - iax), static_cast<double>(iby - iay));
    const double r = (L != 0 && std::isfinite(L)) ? length / L : 0.0;
    const int64_t x0 = Trunc(iax + low * r * std::cos(phi)), y0 = Trunc(iay - low * r * std::sin(phi));
    const int64_t x1 = Trunc(iax + high * r * std::cos(phi)), y1 = Trunc(iay - high * r * std::sin(phi));

    int32_t k = 1;
    int64_t o = Trunc(d0);
    CLabelOutline outline;
    for (;;) {
        auto p = Corners(c, x0, y0, x1, y1, phi, s, o, it, it);
        for (auto& q : p) q = {Round(q.x * 0.01), Round(q.y * 0.01)};
        outline = CLabelOutline(p);
        bool hit = false;
        for (int32_t i = 0; i < m_placed && !hit; ++i)
            if (m_levels[static_cast<size_t>(i)] == k && outline.Overlaps(m_outlines[static_cast<size_t>(i)])) hit = true;
        if (!hit) break;
        ++k;
        o += it;
    }
    if (static_cast<size_t>(m_placed) >= m_outlines.size()) {
        m_outlines.reserve(m_outlines.size() + 100);
        m_levels.reserve(m_levels.size() + 100);
    }
    m_outlines.push_back(std::move(outline));
    m_levels.push_back(k);
    ++m_placed;
    return static_cast<double>(o) * 0.0001;
}

double CLabelPlacer::PlaceOnRange(double a, double b, double c, double d, double e, double w) {
    if (c > d) std::swap(c, d);
    return Place(1, a, 0, b, 0, std::fabs(b - a), c - w / 2, d + w / 2, e, 1, 0);
}
