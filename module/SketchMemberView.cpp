// The member view of the sketch: the member as a band of its section depth
// along x, the section cut marker and the node supports, drawn into 2-D
// graph controls. The report pictures use the same drawing methods.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "module/SnapPoints.h"

namespace {

constexpr int32_t kBandColour = 0xA2834B;
constexpr int32_t kCutColour = 0x808080;

struct Extent {
    double width = 0.0, height = 0.0;
};

// Width and height in m of an outline stored in cm.
Extent OutlineExtent(const std::vector<double>& y, const std::vector<double>& z) {
    Extent e;
    if (y.empty() || z.empty()) return e;
    const auto [ymin, ymax] = std::minmax_element(y.begin(), y.end());
    const auto [zmin, zmax] = std::minmax_element(z.begin(), z.end());
    e.width = (*ymax - *ymin) * 0.01;
    e.height = (*zmax - *zmin) * 0.01;
    if (!std::isfinite(e.width)) e.width = 0.0;
    if (!std::isfinite(e.height)) e.height = 0.0;
    return e;
}

// The extent of the section at its start (end 0) or its end (end 1); a
// section without an own end outline keeps its start outline.
Extent SectionExtent(const CSection& s, int end) {
    if (end == 1 && s.m_bVoute && !s.m_contourX2.empty()) return OutlineExtent(s.m_contourX2, s.m_contourY2);
    return OutlineExtent(s.m_contourX, s.m_contourY);
}

SketchItemCounts ItemCounts(const CModuleData& d) {
    SketchItemCounts c;
    c.nodes = static_cast<int32_t>(d.m_fieldLengths.size());
    c.springs = static_cast<int32_t>(d.m_springs.size());
    c.hinges = static_cast<int32_t>(d.m_hinges.size());
    c.loads = static_cast<int32_t>(d.m_loads.size());
    return c;
}

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

}  // namespace

void CModuleData::GetMaxSectionExtents(double& maxWidth, double& maxHeight) const {
    maxWidth = 0.0;
    maxHeight = 0.0;
    for (const CSection& s : m_sections) {
        for (int end = 0; end < 2; ++end) {
            const Extent e = SectionExtent(s, end);
            maxWidth = std::max(maxWidth, e.width);
            maxHeight = std::max(maxHeight, e.height);
        }
    }
}

void CModuleData::GetSectionBandAt(double x, double& halfMaxWidth, double& centreOffset, double& width,
                                   double& height) const {
    double B = 0.0, H = 0.0;
    GetMaxSectionExtents(B, H);
    halfMaxWidth = B / 2.0;
    width = 0.0;
    height = 0.0;
    const int field = FindFieldAtX(x);
    if (static_cast<size_t>(field) < m_sections.size() && static_cast<size_t>(field) + 1 < m_fieldLengths.size()) {
        const CSection& s = m_sections[static_cast<size_t>(field)];
        const Extent a = SectionExtent(s, 0), e = SectionExtent(s, 1);
        const double length = m_fieldLengths[static_cast<size_t>(field) + 1].GetValue();
        // A field of no length takes its start values.
        double t = length > 0.0 ? (x - GetFieldStart(field)) / length : 0.0;
        t = std::clamp(Finite(t), 0.0, 1.0);
        width = a.width + t * (e.width - a.width);
        height = a.height + t * (e.height - a.height);
    }
    // The crane runway knows only tops on the axis or bottoms aligned.
    int align = std::clamp<int>(m_nProfileAxis, 0, 2);
    if (IsCraneRunway()) align = m_nProfileAxis != 0 ? 2 : 0;
    switch (align) {
    case 1: centreOffset = H / 2.0; break;
    case 2: centreOffset = H - height / 2.0; break;
    default: centreOffset = height / 2.0; break;
    }
}

void CModuleData::DrawSystemFields(CKurvo2D& graph, int view, long colour) const {
    const int fields = static_cast<int>(m_fieldLengths.size()) - 1;
    graph.Method21(0, 3);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0)
            graph.Method35(static_cast<int32_t>(colour), 4, 0, 0);
        else
            graph.Method35(0, 0, 3, 0);
        for (int k = 1; k <= fields; ++k) {
            const double x0 = Finite(GetFieldStart(k - 1)), x1 = Finite(GetFieldStart(k));
            double c[2], s[2];
            const double at[2] = {x0 + 0.01, x1 - 0.01};
            for (int i = 0; i < 2; ++i) {
                double halfB = 0, offset = 0, b = 0, h = 0;
                GetSectionBandAt(at[i], halfB, offset, b, h);
                c[i] = view == 1 ? halfB : offset;
                s[i] = (view == 1 ? b : h) / 2.0;
            }
            const double xs[4] = {x0, x1, x1, x0};
            const double ys[4] = {-(c[0] - s[0]), -(c[1] - s[1]), -(c[1] + s[1]), -(c[0] + s[0])};
            graph.Method5(4, xs, ys);
        }
    }
}

void CModuleData::DrawSystemSupports(CKurvo2D& graph, int view, double L) const {
    const SketchItemCounts counts = ItemCounts(*this);
    const int nodes = static_cast<int>(m_fieldLengths.size());
    L = Finite(L);
    auto offsetAt = [&](double x) {
        double halfB = 0, offset = 0, b = 0, h = 0;
        GetSectionBandAt(x, halfB, offset, b, h);
        return view == 1 ? halfB : offset;
    };
    for (int k = 0; k < nodes && static_cast<size_t>(k) < m_supports.size(); ++k) {
        const CSupport& sup = m_supports[static_cast<size_t>(k)];
        graph.Method21(GetSketchItemId(counts, 3, k), 3);
        graph.Method35(0, 0, 3, 1);
        CFormulaValue trans, rot, along;
        int transKind = 0, rotKind = 0, alongKind = 0;
        sup.GetValueByIdx(view == 1 ? 1 : 2, trans, transKind);
        sup.GetValueByIdx(view == 1 ? 5 : 4, rot, rotKind);
        sup.GetValueByIdx(0, along, alongKind);
        double r = rot.GetValue();
        // A rotational spring given as a degree of fixity.
        if (rotKind == 1) r *= -0.01;
        const double x = Finite(GetFieldStart(k));
        double c;
        if (k == 0)
            c = offsetAt(1e-6);
        else if (k == nodes - 1)
            c = offsetAt(L - 1e-6);
        else
            c = std::max(offsetAt(GetFieldStart(k - 1) + 1e-6), offsetAt(x + 1e-6));
        graph.Method45(x, Finite(-c), 0.0, L / 64.0, Finite(trans.GetValue()), Finite(along.GetValue()), Finite(r),
                       1);
    }
    graph.Method21(0, 3);
    graph.Method35(0, 0, 3, 0);
}

void CModuleData::DrawSystem2D(int) {
    if (!m_pPreviewDlg || m_Sketch2DList.empty()) return;
    for (size_t i = 0; i < m_Sketch2DList.size(); ++i) {
        CKurvo2D* graph = m_Sketch2DList[i];
        if (!graph) continue;
        const bool first = i == 0;
        graph->Method1();
        graph->Method17(1);
        if (first && m_nSketchView == 0)
            graph->Method54(1, 0, "X", 0, "Z");
        else if (first && m_nSketchView == 1)
            graph->Method54(1, 0, "X", 0, "Y");
        else
            graph->Method54(1, 0, "Y", 0, "Z");
        if (m_fieldLengths.size() < 2) return;

        double L = 0.0;
        for (size_t k = 1; k < m_fieldLengths.size(); ++k) L += m_fieldLengths[k].GetValue();
        if (!std::isfinite(L)) return;
        const int view = m_nSketchView;
        if (first && (view == 0 || view == 1)) {
            // The section cut marker: a vertical line with a triangle at each end.
            const double cut = Finite(m_dCutX), a = L / 80.0;
            graph->Method21(1, 3);
            graph->Method35(kCutColour, 2, 3, 1);
            const double top = -L / 8.0, bottom = L / 4.0;
            graph->Method3(cut, top, cut, bottom);
            graph->Method35(kCutColour, 0, 3, 1);
            for (const double ye : {top, bottom}) {
                graph->Method3(cut, ye, cut + a, ye + a);
                graph->Method3(cut, ye, cut + a, ye - a);
                graph->Method3(cut + a, ye + a, cut + a, ye - a);
            }
            DrawSystemFields(*graph, view, kBandColour);
            DrawSystemSupports(*graph, view, L);
            graph->Method17(1);
        }
        graph->Method15();
    }
}
