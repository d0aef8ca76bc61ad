// The loads of the member view: load bands, moment symbols and point loads
// with labels stacked by the label placer, the load-case filter's colours
// and menu; for a crane runway the cranes at their current positions.
#include <algorithm>
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

// Axle values the crane picture labels its wheels with, each a pair of the
// maximum and the associated value (an axle carries one or the other): the
// vertical wheel load from the hoist, the transverse mass force and the
// guide force.
constexpr int kAxleSpacing = 0;
constexpr int kAxleVertical = 3;
constexpr int kAxleTransverse = 6;
constexpr int kAxleGuide = 8;

// The larger in magnitude of axle values kind and kind + 1.
double AxleLoad(const CCrane& crane, int axle, int kind) {
    const double a = Finite(crane.GetAxisValue(axle, kind)), b = Finite(crane.GetAxisValue(axle, kind + 1));
    return std::fabs(b) > std::fabs(a) ? b : a;
}

// The load's drawing direction in the view: along x for direction 0, across
// (downwards) for the direction that lies in the view's plane; none else.
struct Direction {
    double x = 0.0, y = 0.0;
    double Length() const { return std::hypot(x, y); }
};

Direction LoadDirection(const CLoadDef& l, int view) {
    const double v0 = std::fabs(Finite(l.m_val[0].GetValue())), v1 = std::fabs(Finite(l.m_val[1].GetValue()));
    Direction d;
    if (l.m_iLoadType == LOAD_TEMPERATURE) {
        d.y = -1.0;
    } else if (l.m_iDirection == 0) {
        d.x = v0;
    } else if ((l.m_iDirection == 2 && view == 0) || (l.m_iDirection == 1 && view == 1)) {
        d.y = -std::max(v0, v1);
    }
    return d;
}

// A moment about the axis normal to the view's plane is seen in it.
bool MomentSeen(const CLoadDef& l, int view) {
    return (view == 0 && l.m_iDirection == 1) || (view == 1 && l.m_iDirection == 2);
}

}  // namespace

void CModuleData::DrawSystemLoads(CKurvo2D& graph, int view, double L, long colour) const {
    L = Finite(L);
    if (IsCraneRunway()) {
        DrawSystemCranes(graph, view, L);
        return;
    }
    // Scale: the largest magnitude of all loads; temperature and self
    // weight count 1. Loads that are all zero still get a finite scale.
    double qmax = 0.0;
    for (const CLoadDef& l : m_loads) {
        const double v = l.m_iLoadType == LOAD_TEMPERATURE || l.m_iLoadType == LOAD_SELF_WEIGHT
                             ? 1.0
                             : std::fabs(Finite(l.GetMaxAbsValue()));
        qmax = std::max(qmax, v);
    }
    if (qmax == 0.0) qmax = 1.0;

    CLabelPlacer placer;
    const double h = 0.06 * L;
    for (size_t i = 0; i < m_loads.size(); ++i) {
        const CLoadDef& l = m_loads[i];
        const int n = l.m_LCGen.m_numbers.empty() ? 0 : l.m_LCGen.m_numbers.front();
        const std::string lc = l.m_LCGen.m_numbers.empty() ? "?" : Format("%ld", static_cast<long>(n));
        const bool shown = m_nShownLoadCase == 0 || m_nShownLoadCase == n;
        const int32_t ink = shown ? static_cast<int32_t>(colour) : sketch::kDimmedColour;
        const int32_t labelInk = shown ? sketch::kSelectedColour : sketch::kDimmedColour;
        graph.Method21(GetSketchItemId(6, static_cast<int>(i)), 3);

        const double x1 = Finite(GetFieldStart(l.m_iNode) + l.m_offset.GetValue());
        const double e = Finite(view == 0 ? l.m_ez.GetValue() : l.m_ey.GetValue());
        const double y0 = -(e / 100.0 + Finite(sketch::BandAt(*this, x1, view).centre));
        const double v0 = Finite(l.m_val[0].GetValue()), v1 = Finite(l.m_val[1].GetValue());
        const double length = Finite(l.m_length.GetValue());
        auto ordinate = [&](double v) { return 0.25 * h + 0.75 * h * std::fabs(v) / qmax; };
        const int type = l.m_iLoadType;

        if ((type == LOAD_UNIFORM || type == LOAD_TRAPEZOID || type == LOAD_TEMPERATURE) && length != 0) {
            const double x2 = x1 + length;
            Direction d = LoadDirection(l, view);
            const double size = d.Length();
            if (!(size > 0.01)) continue;
            d.x *= 0.25 * h / size;
            d.y *= 0.25 * h / size;
            // Loads over the same stretch stand one above the other.
            const double lift =
                Finite(placer.PlaceOnRange(0.0, L, std::min(x1, x2) - 0.1, std::max(x1, x2) + 0.1, 1.5 * h, 0.01));
            const double ux = d.x / (0.25 * h), uy = d.y / (0.25 * h);
            const double bx1 = x1 - ux * lift, by1 = y0 - uy * lift, bx2 = x2 - ux * lift, by2 = y0 - uy * lift;
            const double q1 = ordinate(v0), q2 = ordinate(type == LOAD_UNIFORM ? v0 : v1);
            std::string t1, t2;
            if (type == LOAD_TEMPERATURE) {
                t1 = Format("%.1f °K / %.1lf°K (%s)", v0, v1, lc.c_str());
            } else {
                t1 = Format("%.1f kN/m (%s)", v0, lc.c_str());
                if (type == LOAD_TRAPEZOID && v1 != v0) t2 = Format("%.1f kN/m (%s)", v1, lc.c_str());
            }
            graph.Method35(ink, 0, 0, 1);
            graph.Method23(static_cast<float>(bx1), static_cast<float>(by1), static_cast<float>(bx2),
                           static_cast<float>(by2), static_cast<float>(d.x), static_cast<float>(d.y),
                           static_cast<float>(q1), static_cast<float>(q2), "", "");
            graph.Method35(v0 < 0 ? labelInk : ink, 0, 3, 0);
            graph.Method23(static_cast<float>(bx1), static_cast<float>(by1), static_cast<float>(bx2),
                           static_cast<float>(by2), static_cast<float>(d.x), static_cast<float>(d.y),
                           static_cast<float>(q1), static_cast<float>(q2), t1.c_str(), t2.c_str());
        } else if ((type == LOAD_LINE_MOMENT || type == LOAD_LINE_MOMENT_TRAPEZOID) && length != 0) {
            if (!MomentSeen(l, view)) continue;
            const double x2 = x1 + length;
            const double lift =
                Finite(placer.PlaceOnRange(0.0, L, std::min(x1, x2) - 0.2, std::max(x1, x2) + 0.2, 1.5 * h, 0.01));
            const double y = y0 + lift;
            const double m2 = type == LOAD_LINE_MOMENT ? v0 : v1;
            graph.Method35(v0 < 0 ? labelInk : ink, 0, 3, 1);
            graph.Method3(x1, y, x2, y);
            const double r1 = std::copysign(ordinate(v0) / 2.0, v0), r2 = std::copysign(ordinate(m2) / 2.0, m2);
            graph.Method40(x1, y, r1, 0, 0.125 * h, Format("%.1f kNm/m (%s)", v0, lc.c_str()).c_str());
            graph.Method40(x2, y, r2, 0, 0.125 * h,
                           m2 != v0 ? Format("%.1f kNm/m (%s)", m2, lc.c_str()).c_str() : "");
        } else if (type == LOAD_POINT_FORCE_MOMENT) {
            const Direction d = LoadDirection(l, view);
            graph.Method35(ink, 0, 3, 1);
            if (d.y != 0 && d.Length() > 0.01 && v0 != 0) {
                // The arrow stands on the member; a negative force points up.
                const double len = ordinate(v0) * (v0 < 0 ? -1.0 : 1.0);
                graph.Method22(static_cast<float>(x1), static_cast<float>(y0), static_cast<float>(0.25 * h),
                               static_cast<float>(len), static_cast<float>(0.15 * h),
                               Format("%.1f kN (%s)", v0, lc.c_str()).c_str());
            }
            if (v1 != 0 && MomentSeen(l, view)) {
                const sketch::Band b = sketch::BandAt(*this, x1, view);
                graph.Method40(x1, y0, -0.25 * Finite(2.0 * b.half), 0, 0.125 * h,
                               Format("%.1lf kNm (%s)", v1, lc.c_str()).c_str());
            }
        }
        // The other types are not drawn in this view: their group stays empty.
    }
    graph.Method21(0, 3);
    AddLoadCaseMenu(graph);
}

void CModuleData::DrawSystemCranes(CKurvo2D& graph, int view, double L) const {
    const double s = L / 15.0;
    CVariableTable moduleVars = m_moduleVars, vars = m_varTable;
    for (size_t c = 0; c < m_cranes.size(); ++c) {
        const CCrane& crane = m_cranes[c];
        graph.Method35(0, 0, 0, 1);
        const std::string name = Format("pos%ld", static_cast<long>(c));
        double xc = 0.0;
        if (!moduleVars.Evaluate(name, xc) && !vars.Evaluate(name, xc)) continue;
        if (!std::isfinite(xc)) continue;
        std::vector<double> wheels;
        double x = xc - crane.GetAxisSpan() / 2.0;
        for (int a = 0; a < crane.m_numOfAxis; ++a) {
            if (a > 0) x += crane.GetAxisValue(a, kAxleSpacing);
            wheels.push_back(Finite(x));
        }
        if (wheels.empty()) continue;
        const double tail = -0.15 * s + 1.1 * s;
        for (size_t a = 0; a < wheels.size(); ++a) {
            const int axle = static_cast<int>(a);
            const std::string label =
                view == 1 ? Format("HT / HS = %.1lf / %.1lf kN", AxleLoad(crane, axle, kAxleTransverse),
                                   AxleLoad(crane, axle, kAxleGuide))
                          : Format("Qh=%.1lf kN", AxleLoad(crane, axle, kAxleVertical));
            graph.Method22(static_cast<float>(wheels[a]), static_cast<float>(-0.15 * s), static_cast<float>(0.3 * s),
                           static_cast<float>(1.1 * s), static_cast<float>(0.2 * s), "");
            graph.Method7(wheels[a] + 0.1 * s, tail + 0.1 * s, 90.0, 0.2 * s, label.c_str());
        }
        graph.Method3(wheels.front(), tail, wheels.back(), tail);
        const std::string title = sketch::TrFormat("K%ld", static_cast<long>(c + 1));
        const double mid = (wheels.front() + wheels.back()) / 2.0;
        graph.Method7(mid - 0.2 * s * static_cast<double>(title.size()) / 2.0, tail + 0.1 * s, 0.0, 0.4 * s,
                      title.c_str());
    }
}
