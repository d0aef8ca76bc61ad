// The cross-section view of the sketch at the section cut: the section's
// outline with its dimensions, centroid and shear centre, the springs and
// the selected load acting there, and the points a drag in the section
// plane snaps to; the plates of a parametric section with their numbers.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"
#include "module/SketchCommon.h"

using sketch::Finite;
using sketch::Format;

namespace {

// The plates of the section of a field (empty without a parametric part).
std::vector<SektTqe> Plates(CModuleData& d, int field) {
    std::vector<SektTqe> plates;
    if (field < 0 || field >= static_cast<int>(d.m_sections.size())) return plates;
    CSectProfile& profile = d.m_sections[static_cast<size_t>(field)].m_profile;
    if (!profile.IsValid()) return plates;
    const int count = profile.GetEffValueCount();
    if (count <= 0) return plates;
    plates.assign(static_cast<size_t>(count), SektTqe{});
    profile.GetEffValues(plates.data(), count);
    return plates;
}

// A line with an arrow head at its tip, from the tail (x0, y0) to the tip.
void Arrow(CKurvo2D& g, double x0, double y0, double x1, double y1, double head) {
    g.Method3(x0, y0, x1, y1);
    const double len = std::hypot(x1 - x0, y1 - y0);
    if (!(len > 0)) return;
    const double ux = (x1 - x0) / len, uy = (y1 - y0) / len;
    const double bx = x1 - ux * head, by = y1 - uy * head;
    g.Method3(x1, y1, bx - uy * head * 0.4, by + ux * head * 0.4);
    g.Method3(x1, y1, bx + uy * head * 0.4, by - ux * head * 0.4);
}

}  // namespace

void CModuleData::DrawSectionView(CKurvo2D* graph) {
    if (!graph) return;
    CKurvo2D& g = *graph;
    g.Method1();
    g.Method17(1);
    g.Method54(1, 0, "Y", 0, "Z");
    const int field = FindFieldAtX(m_dCutX);
    if (IsCraneRunway() && m_pDialog) {
        // With the points of interest in front, only the numbered plates.
        const int tab = m_pDialog->GetTabIndexOfPage(sketch::kPageNotchCases);
        if (tab >= 0 && m_pDialog->GetCurrentTab() == tab) {
            m_SectionSnap.Clear();  // nothing drawn here to snap to
            GetSectionPlatesOutline(g, field, 1.0, 1.5);
            g.Method15();
            return;
        }
    }
    double halfB = 0.0, offset = 0.0, b = 0.0, h = 0.0;
    GetSectionBandAt(m_dCutX, halfB, offset, b, h);
    m_dSectionOriginY = Finite(halfB);
    m_dSectionOriginZ = Finite(offset);
    const double oy = m_dSectionOriginY, oz = m_dSectionOriginZ;

    // The outline at the cut, centred on the origin (y across, z down).
    std::vector<double> cy, cz;
    double t = 0.0, schwerY = 0, schwerZ = 0, schubY = 0, schubZ = 0;
    const CSection* section =
        static_cast<size_t>(field) < m_sections.size() ? &m_sections[static_cast<size_t>(field)] : nullptr;
    if (section && static_cast<size_t>(field) + 1 < m_fieldLengths.size()) {
        const double start = GetFieldStart(field), length = m_fieldLengths[static_cast<size_t>(field) + 1].GetValue();
        // A field of no length shows its start section.
        t = length != 0 ? (m_dCutX - start) / length : 0.0;
        t = std::clamp(Finite(t), 0.0, 1.0);
        section->GetContourAt(t, cy, cz);
        section->InterpolateAt(t, schwerY, schwerZ, schubY, schubZ);
    }
    const size_t n = std::min(cy.size(), cz.size());
    bool finite = n >= 3;
    for (size_t i = 0; i < n && finite; ++i) finite = std::isfinite(cy[i]) && std::isfinite(cz[i]);
    double ymid = 0, zmid = 0, width = 0, height = 0;
    if (finite) {
        const auto [y0, y1] = std::minmax_element(cy.begin(), cy.begin() + static_cast<long>(n));
        const auto [z0, z1] = std::minmax_element(cz.begin(), cz.begin() + static_cast<long>(n));
        ymid = (*y0 + *y1) / 2.0;
        zmid = (*z0 + *z1) / 2.0;
        width = (*y1 - *y0) * 0.01;
        height = (*z1 - *z0) * 0.01;
    }
    // Drawing point of a section point (cm, z down).
    auto X = [&](double y) { return oy + (y - ymid) * 0.01; };
    auto Y = [&](double z) { return -(oz + (z - zmid) * 0.01); };
    std::vector<double> px, py;
    if (finite) {
        for (size_t i = 0; i < n; ++i) {
            px.push_back(X(cy[i]));
            py.push_back(Y(cz[i]));
        }
    }
    const auto parts = sketch::OutlineParts(px, py, px.size());
    if (finite) {
        g.Method21(0, 3);
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 0)
                g.Method35(sketch::kBandColour, 4, 0, 0);
            else
                g.Method35(0, 0, 3, 0);
            for (const auto& [a, e] : parts)
                g.Method5(static_cast<int32_t>(e - a), px.data() + a, py.data() + a);
        }
    }
    g.Method55();

    // The points of the outline and the middles of its edges.
    m_SectionSnap.Clear();
    m_SectionSnap.AddPoint(oy, -oz, 2);
    for (const auto& [a, e] : parts) {
        const bool closed = e - a > 2 && px[e - 1] == px[a] && py[e - 1] == py[a];
        const size_t last = closed ? e - 1 : e;
        for (size_t i = a; i < last; ++i) {
            const size_t j = i + 1 < e ? i + 1 : a;
            m_SectionSnap.AddPoint(px[i], py[i], 2);
            m_SectionSnap.AddPoint((px[i] + px[j]) / 2.0, (py[i] + py[j]) / 2.0, 3);
        }
    }
    const double size = std::max(width, height);
    if (finite) {
        const double top = *std::max_element(py.begin(), py.end()), left = *std::min_element(px.begin(), px.end());
        const double right = *std::max_element(px.begin(), px.end()), bottom = *std::min_element(py.begin(), py.end());
        const double sx = Finite(X(schwerY)), sy = Finite(Y(schwerZ)), mx = Finite(X(schubY)), my = Finite(Y(schubZ));
        m_SectionSnap.AddPoint(sx, sy, 2);
        m_SectionSnap.AddPoint(mx, my, 2);
        m_SectionSnap.AddPoint((left + right) / 2.0, top, 2);  // the middle of the top edge
        // Width above, height to the left.
        g.Method35(0, 0, 3, 0);
        g.Method12(right, top, left, top, 0, size / 16.0, 14, size / 32.0, "", 2, 0, 0);
        g.Method12(left, top, left, bottom, 0, size / 16.0, 14, size / 32.0, "", 2, 0, 0);
        g.Method29(sx, sy, size / 64.0);
        g.Method8(sx, sy, size / 64.0, 1, sketch::Tr("S").c_str());
        g.Method8(mx, my, size / 64.0, 0, sketch::Tr("M").c_str());
    }
    g.Method21(0, 3);
    g.Method35(0, 0, 3, 0);

    // The springs within 0.1 m of the cut.
    const double symbol = size / 12.0;
    for (size_t i = 0; i < m_springs.size(); ++i) {
        const CSupport& sp = m_springs[i];
        const double x = GetFieldStart(sp.m_iNode) + sp.m_posX.GetValue();
        if (!(m_dCutX >= x - 0.1 && m_dCutX <= x + sp.m_length.GetValue() + 0.1)) continue;
        const double ey = Finite(sp.m_ey.GetValue()), ez = Finite(sp.m_ez.GetValue());
        const double at_x = oy + ey / 100.0, at_y = -(oz - ez / 100.0);
        g.Method21(GetSketchItemId(4, static_cast<int>(i)), 3);
        g.Method35(sketch::kSpringColour, 0, 3, 1);
        if (Finite(sp.m_cy.GetValue()) != 0) g.Method57(at_x, at_y, ey < 0 ? 90.0 : -90.0, symbol / 8.0, symbol, "");
        if (Finite(sp.m_cz.GetValue()) != 0) g.Method57(at_x, at_y, ez < 0 ? 180.0 : 0.0, symbol / 8.0, symbol, "");
    }
    g.Method21(0, 3);
    g.Method35(0, 0, 3, 0);

    if (IsCraneRunway()) {
        // The wheel load on the rail, on the middle of the section's top.
        CRailValues rv;
        double rail = 0.0;
        if (m_rail.m_iTyp >= 1 && m_rail.GetRailValues(rv)) rail = Finite(rv.h) * 0.01;
        if (finite) {
            const double top = *std::max_element(py.begin(), py.end()) + rail;
            const double mid = (*std::min_element(px.begin(), px.end()) + *std::max_element(px.begin(), px.end())) / 2;
            g.Method35(sketch::kLoadColour, 0, 3, 1);
            g.Method22(static_cast<float>(mid), static_cast<float>(top), static_cast<float>(-0.1 * size),
                       static_cast<float>(size / 3.0), static_cast<float>(0.05 * size), sketch::Tr("K1").c_str());
        }
    } else {
        DrawSectionLoad(g, symbol > 0 ? size / 15.0 : 0.0);
    }
    g.Method15();
}

void CModuleData::DrawSectionLoad(CKurvo2D& g, double s) {
    int kind = 0, index = 0;
    if (!(s > 0) || !ParseSketchItemId(m_nSelectedItem, kind, index) || kind != 6) return;
    const CLoadDef& l = m_loads[static_cast<size_t>(index)];
    const int n = l.m_LCGen.m_numbers.empty() ? 0 : l.m_LCGen.m_numbers.front();
    const bool shown = m_nShownLoadCase == 0 || m_nShownLoadCase == n;
    const double x = m_dSectionOriginY + Finite(l.m_ey.GetValue()) / 100.0;
    const double y = -(m_dSectionOriginZ - Finite(l.m_ez.GetValue()) / 100.0);
    const double v0 = Finite(l.m_val[0].GetValue()), v1 = Finite(l.m_val[1].GetValue());
    const double head = 0.2 * s, text = 4.0 * head;
    g.Method21(m_nSelectedItem, 3);
    g.Method35(shown ? sketch::kLoadColour : sketch::kDimmedColour, 0, 3, 1);
    const int type = l.m_iLoadType;
    const bool moment = type == LOAD_LINE_MOMENT || type == LOAD_LINE_MOMENT_TRAPEZOID || type == LOAD_POINT_MOMENT;
    std::string label;
    if (type == LOAD_TEMPERATURE) {
        label = Format("%.1f °K / %.1f °K", v0, v1);
        g.Method8(x, y, 0.05 * s * 4, 1, "");
    } else if (moment) {
        label = type == LOAD_POINT_MOMENT ? Format("%.1lf kNm", v0) : Format("%.1f kNm/m", v0);
        g.Method40(x, y, v0 < 0 ? -0.5 * s : 0.5 * s, 0, text, "");
    } else {
        label = Format("%.1f kN", v0);
        // A force in y lies across, one in z up and down, one along x is seen
        // end on (a circle).
        const double sign = v0 < 0 ? -1.0 : 1.0;
        if (l.m_iDirection == 1)
            Arrow(g, x - sign * s, y, x, y, head);
        else if (l.m_iDirection == 2)
            Arrow(g, x, y + sign * s, x, y, head);
        else
            g.Method8(x, y, 0.05 * s * 4, 0, "");
    }
    g.Method35(shown ? sketch::kSelectedColour : sketch::kDimmedColour, 0, 3, 1);
    g.Method7(x + head, y + head, 0.0, text, label.c_str());
    g.Method21(0, 3);
}

void CModuleData::GetSectionPlatesOutline(CKurvo2D& g, int field, double textSize, double markSize) {
    const std::vector<SektTqe> plates = Plates(*this, field);
    if (plates.empty()) return;
    // The size of the section sets the texts and marks.
    double ymin = 1e300, ymax = -1e300, zmin = 1e300, zmax = -1e300;
    for (const SektTqe& p : plates) {
        ymin = std::min({ymin, p.ya, p.ye});
        ymax = std::max({ymax, p.ya, p.ye});
        zmin = std::min({zmin, p.za, p.ze});
        zmax = std::max({zmax, p.za, p.ze});
    }
    const double size = Finite(std::max(ymax - ymin, zmax - zmin) * 0.01);
    const double text = Finite(textSize) * size / 20.0, mark = Finite(markSize) * size / 40.0;
    g.Method21(0, 3);
    for (size_t i = 0; i < plates.size(); ++i) {
        const SektTqe& p = plates[i];
        if (p.exclude) continue;
        const double x0 = Finite(p.ya * 0.01), y0 = Finite(-p.za * 0.01);
        const double x1 = Finite(p.ye * 0.01), y1 = Finite(-p.ze * 0.01);
        g.Method35(sketch::kBandColour, 1, 3, 1);
        g.Method3(x0, y0, x1, y1);
        g.Method7((x0 + x1) / 2.0, (y0 + y1) / 2.0, 0.0, text, Format("%ld", static_cast<long>(i + 1)).c_str());
        for (const CNotchCase& nc : m_notchCases) {
            if (nc.m_tqe != static_cast<int>(i)) continue;
            const double r = Finite(nc.m_idx.GetValue());
            g.Method35(nc.m_bActiv > 0 ? sketch::kSelectedColour : sketch::kHingeColour, 0, 0, 1);
            g.Method8(x0 + r * (x1 - x0), y0 + r * (y1 - y0), mark, 1, "");
        }
    }
}

void CModuleData::GetSectionPlates() {
    const std::vector<SektTqe> plates = Plates(*this, 0);
    for (size_t i = 0; i < plates.size(); ++i) {
        const SektTqe& p = plates[i];
        if (p.exclude) continue;
        for (const CNotchCase& nc : m_notchCases) {
            if (nc.m_tqe != static_cast<int>(i) || nc.m_geomType != 2) continue;
            m_dNotchPosition = p.za + nc.m_idx.GetValue() * (p.ze - p.za);
        }
    }
}
