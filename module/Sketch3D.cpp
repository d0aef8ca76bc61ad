// The 3-D view of the sketch: the member extruded from its section
// outlines, section labels and dimensions, hinges, supports, point springs
// and beddings, and loads.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "graphics/core/LabelPlacer.h"
#include "module/ModuleData.h"
#include "module/SketchCommon.h"

using sketch::Finite;
using sketch::Format;

namespace {

using P3 = std::array<float, 3>;

// A point of the view from section coordinates (z down, as in a section):
// the 3-D picture's z points up.
P3 Pt(double x, double y, double z) {
    return {static_cast<float>(Finite(x)), static_cast<float>(Finite(y)), static_cast<float>(-Finite(z))};
}

// The outline of a section end (0 start, 1 end; a section that changes along
// its field has an own end outline), in m, centred across and shifted down
// by the band's centre, closed by its first point again: y, z pairs.
std::vector<float> Outline(const CSection& s, int end, double centre) {
    const bool own = end == 1 && s.m_bVoute && !s.m_contourX2.empty();
    const std::vector<double>& cy = own ? s.m_contourX2 : s.m_contourX;
    const std::vector<double>& cz = own ? s.m_contourY2 : s.m_contourY;
    const size_t n = std::min(cy.size(), cz.size());
    std::vector<float> yz;
    if (n < 3) return yz;
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(cy[i]) || !std::isfinite(cz[i])) return yz;
    const auto [y0, y1] = std::minmax_element(cy.begin(), cy.begin() + static_cast<long>(n));
    const auto [z0, z1] = std::minmax_element(cz.begin(), cz.begin() + static_cast<long>(n));
    const double ym = (*y0 + *y1) / 2.0, zm = (*z0 + *z1) / 2.0;
    for (size_t i = 0; i <= n; ++i) {
        const size_t k = i % n;
        yz.push_back(static_cast<float>((cy[k] - ym) * 0.01));
        yz.push_back(static_cast<float>(Finite((cz[k] - zm) * 0.01 + centre)));
    }
    return yz;
}

}  // namespace

void CModuleData::DrawSystem3D(int) {
    if (!m_pPreviewDlg) return;
    for (CKurvo3D* graph : m_Sketch3DList)
        if (graph) DrawSystem3DInto(*graph);
}

void CModuleData::DrawSystem3DInto(CKurvo3D& g) const {
    g.Method23(1, 1, 1);
    g.Method12(0xFFFFFF);
    if (m_fieldLengths.size() < 2) return;
    const double L = sketch::MemberLength(*this);
    if (!std::isfinite(L) || !(L > 0)) return;
    double B = 0.0, H = 0.0;
    GetMaxSectionExtents(B, H);
    const double S = std::max(B, H);
    g.Method16(0x876E3A, 1, "Arial", 15, static_cast<float>(L / 64.0));
    g.Method19(0xC0C0C0, 1, 2, 1.0f);
    const int fields = static_cast<int>(m_fieldLengths.size()) - 1;
    auto centreAt = [&](double x) { return Finite(sketch::BandAt(*this, x, 0).centre); };

    // The member body, field by field between its two end outlines.
    for (int k = 1; k <= fields && static_cast<size_t>(k - 1) < m_sections.size(); ++k) {
        const CSection& s = m_sections[static_cast<size_t>(k - 1)];
        const double x0 = Finite(GetFieldStart(k - 1)), x1 = Finite(GetFieldStart(k));
        const std::vector<float> a = Outline(s, 0, centreAt(x0 + 0.01)), e = Outline(s, 1, centreAt(x1 - 0.01));
        if (a.empty() || e.empty()) continue;
        const int32_t ha = g.Method5(static_cast<int32_t>(a.size() / 2), a.data());
        const int32_t he = g.Method5(static_cast<int32_t>(e.size() / 2), e.data());
        const P3 p0 = Pt(x0, 0, 0), p1 = Pt(x1, 0, 0);
        g.Method6(p0.data(), p1.data(), ha, he, 0.0f);
    }

    // Section labels beside each field, its dimension, the overall one.
    g.Method16(0xC0C0C0, 1, "Arial", 15, static_cast<float>(L / 64.0));
    const double side = -B / 2.0;
    for (int k = 1; k <= fields; ++k) {
        const double x0 = Finite(GetFieldStart(k - 1)), x1 = Finite(GetFieldStart(k));
        std::string label;
        if (static_cast<size_t>(k - 1) < m_sections.size()) {
            const CSection& s = m_sections[static_cast<size_t>(k - 1)];
            label = s.m_bVoute ? s.GetProfileKey(0) + "..." + s.GetProfileKey(1) : s.GetProfileKey(0);
        }
        const P3 q1 = Pt(x0, side - 0.1875 * S, 0), q2 = Pt(x1, side - 0.1875 * S, 0);
        const P3 q3 = Pt(x1, side - 0.25 * S, 0), q4 = Pt(x0, side - 0.25 * S, 0);
        g.Method18(q1.data(), q2.data(), q3.data(), q4.data(), label.c_str());
        const P3 d1 = Pt(x0, side - 0.5 * S, 0), d2 = Pt(x1, side - 0.5 * S, 0);
        g.Method13(d1.data(), d2.data(), static_cast<float>(L / 64.0), 0.0f, "");
    }
    if (m_fieldLengths.size() > 2) {
        const P3 d1 = Pt(0, side - 0.3125 * S, 0), d2 = Pt(L, side - 0.3125 * S, 0);
        g.Method13(d1.data(), d2.data(), static_cast<float>(L / 64.0), 0.0f, "");
    }

    // Hinges: a cylinder along each released axis.
    g.Method16(sketch::kHingeColour, 1, "Arial", 15, static_cast<float>(L / 64.0));
    for (const CHinge& h : m_hinges) {
        const double x = Finite(GetFieldStart(h.m_iNode) + h.m_offset.GetValue());
        const sketch::Band b = sketch::BandAt(*this, x, 0);
        const double c = Finite(b.centre), bw = Finite(b.width), bh = Finite(b.height);
        for (int axis = 0; axis < 3; ++axis) {
            if (!h.m_release[3 + axis]) continue;
            double l = 0.0, r = 0.0;
            if (axis == 0) {
                l = std::max(bw, bh);
                r = 0.6 * std::min(bw, bh);
            } else if (axis == 1) {
                l = bw;
                r = 0.2 * bh;
            } else {
                l = bh;
                r = 0.2 * bw;
            }
            double dir[3] = {0, 0, 0};
            dir[axis] = 1.0;
            const P3 start = Pt(x - dir[0] * 0.75 * l, -dir[1] * 0.75 * l, c - dir[2] * 0.75 * l);
            const P3 v = Pt(dir[0] * 1.5 * l, dir[1] * 1.5 * l, dir[2] * 1.5 * l);
            g.Method37(start.data(), v.data(), static_cast<float>(r), static_cast<float>(r));
        }
    }

    // Supports: a triangle under every node, across the member where the
    // node's rotation about y is given as a degree of fixity.
    g.Method16(0x408080, 1, "Arial", 15, static_cast<float>(L / 64.0));
    for (int k = 0; k <= fields && static_cast<size_t>(k) < m_supports.size(); ++k) {
        const CSupport& sup = m_supports[static_cast<size_t>(k)];
        const double x = Finite(GetFieldStart(k));
        const double at = k == 0 ? 1e-6 : (k == fields ? L - 1e-6 : x + 1e-6);
        const sketch::Band b = sketch::BandAt(*this, at, 0);
        const double bottom = Finite(b.centre + b.height / 2.0), a = std::max(Finite(b.height) / 2.0, L / 60.0);
        const bool across = sup.m_kind[4] == 1;
        const bool alongZ = sup.m_kind[5] == 1 || sup.m_kind[3] == 1;
        const P3 p1 = Pt(x, 0, bottom);
        const P3 p2 = across ? Pt(x, -a, bottom + a) : Pt(x - a, 0, bottom + a);
        const P3 p3 = across ? Pt(x, a, bottom + a) : Pt(x + a, 0, bottom + a);
        g.Method22(p1.data(), p2.data(), p3.data(), static_cast<float>(L / 30.0), 1);
        if (alongZ && !across) {
            const P3 q2 = Pt(x, -a, bottom + a), q3 = Pt(x, a, bottom + a);
            g.Method22(p1.data(), q2.data(), q3.data(), static_cast<float>(L / 30.0), 1);
        }
    }

    // Point springs and beddings.
    g.Method16(sketch::kSpringColour, 1, "Arial", 15, static_cast<float>(L / 64.0));
    for (const CSupport& sp : m_springs) {
        const double x = Finite(GetFieldStart(sp.m_iNode) + sp.m_posX.GetValue());
        const double length = Finite(sp.m_length.GetValue());
        const sketch::Band b = sketch::BandAt(*this, x, 0);
        const double bottom = Finite(b.centre + b.height / 2.0), a = L / 32.0;
        const char* unit = length != 0 ? "kN/m²" : "kN/m";
        if (length != 0) {
            g.Method16(0x140C040, 1, "Arial", 15, static_cast<float>(L / 64.0));
            std::vector<float> quad;
            for (const P3& q : {Pt(x, 0, bottom + a), Pt(x + length, 0, bottom + a), Pt(x + length, 0, bottom + 2 * a),
                                Pt(x, 0, bottom + 2 * a)})
                quad.insert(quad.end(), q.begin(), q.end());
            g.Method3(4, quad.data(), 1);
            g.Method16(sketch::kSpringColour, 1, "Arial", 15, static_cast<float>(L / 64.0));
        }
        const double mid = x + length / 2.0;
        const double values[3] = {sp.m_cx.GetValue(), sp.m_cy.GetValue(), sp.m_cz.GetValue()};
        const P3 starts[3] = {Pt(mid - 2 * a, 0, b.centre), Pt(mid, -B / 2 - 2 * a, b.centre), Pt(mid, 0, bottom + 2 * a)};
        const P3 ends[3] = {Pt(mid - a / 4, 0, b.centre), Pt(mid, -B / 2, b.centre), Pt(mid, 0, bottom)};
        for (int i = 0; i < 3; ++i) {
            const double v = Finite(values[i]);
            if (v == 0) continue;
            const std::string label = Format("C%c=%.0lf", "XYZ"[i], v) + " " + unit;
            g.Method41(starts[i].data(), ends[i].data(), static_cast<float>(a), label.c_str(), 1);
        }
    }

    DrawLoads3D(g, L);
}

void CModuleData::DrawLoads3D(CKurvo3D& g, double L) const {
    double qmax = 0.0;
    for (const CLoadDef& l : m_loads) {
        const double v = l.m_iLoadType == LOAD_TEMPERATURE || l.m_iLoadType == LOAD_SELF_WEIGHT
                             ? 1.0
                             : std::fabs(Finite(l.GetMaxAbsValue()));
        qmax = std::max(qmax, v);
    }
    if (qmax == 0.0) qmax = 1.0;
    const double scale = 0.06 * L / qmax;
    g.Method16(sketch::kSpringColour, 1, "Arial", 15, 0.1f);
    // Loads over the same stretch are stacked outwards, one band above the
    // other, so that neither they nor their labels cover each other.
    CLabelPlacer placer;
    for (const CLoadDef& l : m_loads) {
        const double x1 = Finite(GetFieldStart(l.m_iNode) + l.m_offset.GetValue());
        const double length = Finite(l.m_length.GetValue());
        const sketch::Band b = sketch::BandAt(*this, x1, 0);
        const double top = Finite(b.centre - b.height / 2.0);
        const double v0 = Finite(l.m_val[0].GetValue()), v1 = Finite(l.m_val[1].GetValue());
        // The direction the load acts in (x, y, z; z down), drawn against
        // it from the member's top.
        double dir[3] = {0, 0, 0};
        dir[std::clamp(l.m_iDirection, 0, 2)] = 1.0;
        if (l.m_iLoadType == LOAD_TEMPERATURE) dir[0] = dir[1] = 0, dir[2] = 1.0;
        auto from = [&](double x, double q) { return Pt(x - dir[0] * q, -dir[1] * q, top - dir[2] * q); };
        const int type = l.m_iLoadType;
        if ((type == LOAD_UNIFORM || type == LOAD_TRAPEZOID || type == LOAD_TEMPERATURE) && length != 0) {
            const double x2 = x1 + length;
            const double q1 = (type == LOAD_TEMPERATURE ? 1.0 : std::fabs(v0)) * scale;
            const double q2 = (type == LOAD_TEMPERATURE ? 1.0 : std::fabs(type == LOAD_UNIFORM ? v0 : v1)) * scale;
            const std::string text = type == LOAD_TEMPERATURE ? Format("%.1f °K / %.1f °K", v0, v1)
                                                              : Format("%.1f kN/m", v0);
            const double w = 0.1 * 0.005;  // the ends widened a little
            // Every level as high as the largest load (0.06 L) and a small
            // gap, so a band clears the one below whatever their values; a
            // load that only adjoins another one stays on the member.
            const double inset = std::min(0.001 * L, 0.25 * std::fabs(length));
            const double o = placer.PlaceOnRange(0.0, L, x1 + inset, x2 - inset, 0.07 * L, 0.0);
            const P3 a = from(x1 - w, o), e = from(x2 + w, o), fa = from(x1 - w, o + q1), fe = from(x2 + w, o + q2);
            g.Method14(a.data(), e.data(), fe.data(), static_cast<float>(L / 30.0), 0.1f, 0.0f, 5, text.c_str(),
                       "");
            g.Method14(a.data(), fe.data(), fa.data(), static_cast<float>(L / 30.0), 0.1f, 0.0f, 5, "", "");
        } else if (type == LOAD_POINT || type == LOAD_POINT_FORCE_MOMENT || type == LOAD_POINT_MOMENT) {
            const bool momentOnly = type == LOAD_POINT_MOMENT;
            const double force = momentOnly ? 0.0 : v0;
            const double moment = type == LOAD_POINT_MOMENT ? v0 : (type == LOAD_POINT_FORCE_MOMENT ? v1 : 0.0);
            const P3 tip = Pt(x1, 0, top);
            if (force != 0) {
                const P3 tail = from(x1, std::fabs(force) * scale);
                g.Method41(tail.data(), tip.data(), static_cast<float>(L / 30.0), Format("%.1f kN", force).c_str(), 1);
            }
            if (moment != 0) {
                const P3 tail = from(x1, 0.06 * L);
                g.Method41(tail.data(), tip.data(), static_cast<float>(L / 30.0), Format("%.1f kNm", moment).c_str(),
                           1);
            }
        }
    }
}
