// The member view of the sketch: the member as a band of its section depth
// along x, the section cut marker, section labels and field dimensions,
// hinges, the title, point springs and beddings, the node supports and the
// selected result diagram, drawn into 2-D graph controls. The report
// pictures use the same drawing methods.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "module/SketchCommon.h"
#include "module/SnapPoints.h"
#include "platform/zevud/conveniences.h"

using sketch::Finite;

namespace {

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
    const int nodes = static_cast<int>(m_fieldLengths.size());
    L = Finite(L);
    auto offsetAt = [&](double x) {
        double halfB = 0, offset = 0, b = 0, h = 0;
        GetSectionBandAt(x, halfB, offset, b, h);
        return view == 1 ? halfB : offset;
    };
    for (int k = 0; k < nodes && static_cast<size_t>(k) < m_supports.size(); ++k) {
        const CSupport& sup = m_supports[static_cast<size_t>(k)];
        graph.Method21(GetSketchItemId(3, k), 3);
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


void CModuleData::DrawSystemSections(CKurvo2D& graph, double sizeExt, double L, double labelY) const {
    // Labels and dimensions give way to a result diagram.
    if (m_nCurrentIndex >= 0 && m_nCurrentIndex < static_cast<int32_t>(m_resultSets.size())) return;
    L = Finite(L);
    if (labelY == 1e10 || !std::isfinite(labelY)) labelY = -Finite(sizeExt) - L / 8.0;
    const int fields = static_cast<int>(m_fieldLengths.size()) - 1;
    for (int k = 1; k <= fields; ++k) {
        const double x0 = Finite(GetFieldStart(k - 1)), x1 = Finite(GetFieldStart(k));
        std::string label;
        if (static_cast<size_t>(k - 1) < m_sections.size()) {
            const CSection& s = m_sections[static_cast<size_t>(k - 1)];
            label = s.m_bVoute ? s.GetProfileKey(0) + "..." + s.GetProfileKey(1) : s.GetProfileKey(0);
        }
        graph.Method21(GetSketchItemId(2, k), 2);
        graph.Method35(0, 0, 3, 1);
        graph.Method12(x0, labelY, x1, labelY, 0, -L / 24.0, 14, L / 96.0, label.c_str(), 2, 0, 0);
        graph.Method21(GetSketchItemId(1, k), 2);
        graph.Method35(0, 0, 3, 1);
        graph.Method12(x0, labelY, x1, labelY, 0, -L / 12.0, 14, L / 96.0, "", 2, 0, 0);
    }
    if (fields >= 2) {
        graph.Method21(0, 3);
        graph.Method35(0, 0, 3, 0);
        graph.Method12(0, labelY, L, labelY, 0, -L / 8.0, 14, L / 96.0, "", 2, 0, 0);
    }
}

void CModuleData::DrawSystemHinges(CKurvo2D& graph, int view) const {
    // Releases: 3 Mx, 4 My, 5 Mz. The view's own bending release is the
    // circle, the other one a rectangle across the band; a torsion release
    // a small rectangle on the centre line.
    for (size_t j = 0; j < m_hinges.size(); ++j) {
        const CHinge& h = m_hinges[j];
        const double x = Finite(GetFieldStart(h.m_iNode) + h.m_offset.GetValue());
        const sketch::Band b = sketch::BandAt(*this, x, view);
        const double c = Finite(b.centre), s = Finite(b.half);
        const bool mx = h.m_release[3] != 0, my = h.m_release[4] != 0, mz = h.m_release[5] != 0;
        const bool across = (view == 0 && mz) || (view == 1 && my);
        const bool circle = (view == 0 && my) || (view == 1 && mz);
        graph.Method21(GetSketchItemId(5, static_cast<int>(j)), 3);
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 0)
                graph.Method35(sketch::kHingeColour, 0, 0, 0);
            else
                graph.Method35(0, 0, 3, 0);
            if (across) graph.Method6(x - 0.25 * s, -(c - s), x + 0.25 * s, -(c + s));
            if (mx) graph.Method6(x - 0.5 * s, -c + 0.25 * s, x + 0.5 * s, -c - 0.25 * s);
            if (circle) {
                // A circle 1.25 s across from the band's upper edge down, as two arcs.
                const double top = -(c - s), r = 0.625 * s;
                graph.Method24(x, top, x + r, top - r, x, top - 2 * r);
                graph.Method24(x, top - 2 * r, x - r, top - r, x, top);
            }
        }
    }
    graph.Method55();
}

void CModuleData::DrawSystemSprings(CKurvo2D& graph, int view, double L, long colour) const {
    L = Finite(L);
    const bool given = colour != -1;
    const int32_t ink = given ? static_cast<int32_t>(colour) : sketch::kSpringColour;
    for (size_t i = 0; i < m_springs.size(); ++i) {
        const CSupport& sp = m_springs[i];
        const double plane = Finite(view == 1 ? sp.m_cy.GetValue() : sp.m_cz.GetValue());
        const double cx = Finite(sp.m_cx.GetValue()), cmx = Finite(sp.m_cmx.GetValue());
        if (plane == 0 && cx == 0 && cmx == 0) continue;
        const double x = Finite(GetFieldStart(sp.m_iNode) + sp.m_posX.GetValue());
        const double e = Finite(view == 1 ? sp.m_ey.GetValue() : sp.m_ez.GetValue());
        const double sign = e < 0 ? -1.0 : 1.0;
        const double y = -(e / 100.0 + Finite(sketch::BandAt(*this, x, view).centre));
        const double a = sign * L * (-1.0 / 96.0);
        graph.Method21(GetSketchItemId(4, static_cast<int>(i)), 3);
        graph.Method35(ink, 0, 3, 1);
        std::string label;
        if (plane != 0) label = sketch::Format("C%c=%.4g", view == 1 ? 'Y' : 'Z', plane);
        const double length = Finite(sp.m_length.GetValue());
        if (length != 0) {
            // A bedding from x over its length.
            if (!label.empty()) label += " kN/m/m";
            if (cmx != 0) label += (label.empty() ? "" : " ") + sketch::Format("CMx=%.4g kNm/rad/m", cmx);
            if (cx != 0) label += (label.empty() ? "" : " ") + sketch::Format("CX=%.4g kN/m/m", cx);
            graph.Method35(given ? sketch::kHingeColour : 0x80FF80, 0, 0, 0);
            graph.Method6(x, y + 0.5 * a, x + length, y + 1.85 * a);
            graph.Method35(ink, 0, 3, 1);
            const double at[3] = {x, x + length / 2.0, x + length};
            for (int k = 0; k < 3; ++k) graph.Method57(at[k], y, 0, a, L / 48.0, k == 1 ? label.c_str() : "");
        } else {
            if (!label.empty()) label += " kN/m";
            graph.Method57(x, y, 0, a, L / 48.0, label.c_str());
        }
    }
    graph.Method21(0, 3);
}

namespace {

// The load-combination number after "LK " in a result title, up to the next
// backslash; 0 when there is none.
int ResultCombination(const std::string& title) {
    const size_t at = title.find("LK ");
    if (at == std::string::npos) return 0;
    const size_t end = title.find('\\', at);
    const std::string number = title.substr(at + 3, end == std::string::npos ? std::string::npos : end - at - 3);
    return std::atoi(number.c_str());
}

}  // namespace

std::string CModuleData::GetResultDiagramTitle(const CResultSet& set) const {
    const int n = ResultCombination(set.m_strTitle);
    if (n == 0) return std::string();
    std::string text = sketch::TrFormat("Lastkollektiv %s", std::to_string(n).c_str());
    ZVELEM root = m_hDoc ? ZEVUD_GetRootElement(m_hDoc) : 0;
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    ZVELEM eigen = result ? ZEVUD_FindFirstChild(result, "Eigenwerte") : 0;
    if (eigen) {
        const std::string ew = zevud::String(eigen, sketch::Format("ew1_LK%ld", static_cast<long>(n)).c_str());
        if (!ew.empty()) text += " / " + ew;
    }
    return text;
}

void CModuleData::DrawReportSystemView(CKurvo2D& graph, bool plan) {
    const double L = Finite(sketch::MemberLength(*this));
    double maxWidth = 0.0, maxHeight = 0.0;
    GetMaxSectionExtents(maxWidth, maxHeight);
    // The sketch's views: 1 draws the plan (widths), 0 the elevation (depths).
    const int view = plan ? 1 : 0;
    graph.Method1();
    graph.Method17(1);
    graph.Method54(1, 0, "X", 0, plan ? "Y" : "Z");
    DrawSystemFields(graph, view, 0xD4D4D4);
    // The labels sit below the deepest section, clear of the member.
    if (!plan) DrawSystemSections(graph, maxHeight, L, -maxHeight - 0.0625 * L);
    DrawSystemHinges(graph, view);
    DrawSystemSprings(graph, view, L, -1);
    DrawSystemSupports(graph, view, L);
    DrawSystemLoads(graph, view, L, sketch::kLoadColour);
    graph.Method34(0, 0, 0, 0);
    graph.Method15();
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

        const double L = sketch::MemberLength(*this);
        if (!std::isfinite(L)) return;
        const int view = m_nSketchView;
        if (!(first && (view == 0 || view == 1))) {
            DrawSectionView(graph);
            continue;
        }
        double B = 0.0, H = 0.0;
        GetMaxSectionExtents(B, H);
        // The section cut marker: a vertical line with a triangle at each end.
        const double cut = Finite(m_dCutX), a = L / 80.0;
        graph->Method21(1, 3);
        graph->Method35(sketch::kCutColour, 2, 3, 1);
        const double top = -L / 8.0, bottom = L / 4.0;
        graph->Method3(cut, top, cut, bottom);
        graph->Method35(sketch::kCutColour, 0, 3, 1);
        for (const double ye : {top, bottom}) {
            graph->Method3(cut, ye, cut + a, ye + a);
            graph->Method3(cut, ye, cut + a, ye - a);
            graph->Method3(cut + a, ye + a, cut + a, ye - a);
        }
        DrawSystemFields(*graph, view, sketch::kBandColour);
        DrawSystemSections(*graph, view == 1 ? B : H, L);
        DrawSystemHinges(*graph, view);
        graph->Method35(0, 4, 3, 0);
        std::string title;
        GetProgramTitle(title);
        graph->Method30(title.c_str(), 9, 15);
        DrawSystemSprings(*graph, view, L, -1);
        DrawSystemSupports(*graph, view, L);
        DrawSystemLoads(*graph, view, L, sketch::kLoadColour);
        graph->Method17(1);
        if (m_nCurrentIndex >= 0 && m_nCurrentIndex < static_cast<int32_t>(m_resultSets.size())) {
            CResultSet& set = m_resultSets[static_cast<size_t>(m_nCurrentIndex)];
            const double range = static_cast<double>(set.m_max) - static_cast<double>(set.m_min);
            if (std::isfinite(range) && range > 0.0001) {
                set.m_yOffset = static_cast<float>(-L / 2.0);
                set.m_factor = static_cast<float>((L / 4.0) / range);
                set.DrawDiagram(*graph);
            }
            const std::string diagramTitle = GetResultDiagramTitle(set);
            if (!diagramTitle.empty()) graph->Method30(diagramTitle.c_str(), 9, 15);
        }
        graph->Method15();
    }
}
