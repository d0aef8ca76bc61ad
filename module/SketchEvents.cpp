// What the member sketch does with the user's hand: a click selects an item
// and brings its page and grid row to the front of the input dialog, a drag
// moves the item in the data (rounded to the step, or snapped to a point of
// the section), a drop redraws the views.
#include <cmath>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"
#include "module/SketchCommon.h"

namespace {

// The plain look of a kind (colour, line, fill) and the page that shows it.
struct KindLook {
    int32_t colour, line, fill;
    int page;
};
constexpr KindLook kLooks[7] = {
    {0, 2, 3, -1},                                      // 0 section cut marker
    {0, 0, 3, sketch::kPageSystem},                     // 1 field
    {0, 0, 3, sketch::kPageSystem},                     // 2 section label
    {0, 0, 3, sketch::kPageSystem},                     // 3 node support
    {sketch::kSpringColour, 0, 3, sketch::kPageSprings},  // 4 point spring
    {sketch::kHingeColour, 0, 3, sketch::kPageHinges},    // 5 hinge
    {sketch::kLoadColour, 0, 0, sketch::kPageLoads},      // 6 load
};

}  // namespace

int CModuleData::GetSketchItemId(int kind, int index) const {
    return ::GetSketchItemId(sketch::ItemCounts(*this), kind, index);
}

bool CModuleData::ParseSketchItemId(int id, int& kind, int& index) const {
    return ::ParseSketchItemId(sketch::ItemCounts(*this), id, kind, index);
}

double CModuleData::GetSketchItemX(int kind, int index) const {
    if (index < 0) return 0.0;
    const auto i = static_cast<size_t>(index);
    if (kind == 4 && i < m_springs.size()) return GetFieldStart(m_springs[i].m_iNode) + m_springs[i].m_posX.GetValue();
    if (kind == 5 && i < m_hinges.size()) return GetFieldStart(m_hinges[i].m_iNode) + m_hinges[i].m_offset.GetValue();
    if (kind == 6 && i < m_loads.size()) {
        std::vector<double> nodeX;
        for (size_t k = 0; k < m_fieldLengths.size(); ++k) nodeX.push_back(GetFieldStart(static_cast<int>(k)));
        double start = m_dCutX, end = m_dCutX;
        m_loads[i].GetRange(nodeX, start, end);
        return start;
    }
    return 0.0;
}

bool CModuleData::DragNodeSupport(int k, double dx, double step) {
    std::vector<double> lengths;
    for (const CFormulaValue& v : m_fieldLengths) lengths.push_back(v.GetValue());
    if (!DragNodeSupportLengths(lengths, m_DragFieldLengths, k, dx, step)) return false;
    m_fieldLengths[static_cast<size_t>(k)].SetValue(lengths[static_cast<size_t>(k)]);
    if (static_cast<size_t>(k) + 1 < m_fieldLengths.size())
        m_fieldLengths[static_cast<size_t>(k) + 1].SetValue(lengths[static_cast<size_t>(k) + 1]);
    return true;
}

void CModuleData::OnSketchClick(CKurvo2D* graph, int id) {
    int kind = 0, index = 0;
    if (!ParseSketchItemId(id, kind, index)) {
        UpdateViews(0);
        m_bSketchDragged = 0;
        return;
    }
    int oldKind = 0, oldIndex = 0;
    if (graph && ParseSketchItemId(m_nSelectedItem, oldKind, oldIndex)) {
        const KindLook& plain = kLooks[oldKind];
        graph->Method37(m_nSelectedItem, plain.colour, plain.line, plain.fill);
    }
    m_nSelectedItem = id;
    const KindLook& look = kLooks[kind];
    if (m_pDialog && look.page >= 0) {
        const int tab = m_pDialog->GetTabIndexOfPage(look.page);
        if (tab >= 0 && tab != m_pDialog->GetCurrentTab()) m_pDialog->SelectTabAndShowPage(tab);
    }
    const int row = index + 1;
    switch (kind) {
    case 1:
    case 2:
    case 3:
        if (m_pDialog) {
            const int column = kind == 1 ? 2 : (kind == 2 ? 4 : 9);
            m_pDialog->HighlightGridRow(look.page, row);
            m_pDialog->SelectGridCell(look.page, row, column);
            if (kind == 2) m_pDialog->OnSystemSectionButton(look.page, row, column);
        }
        if (kind == 3) {
            // The drag runs on unrounded lengths from here on.
            m_DragFieldLengths.clear();
            for (const CFormulaValue& v : m_fieldLengths) m_DragFieldLengths.push_back(v.GetValue());
        }
        break;
    case 4:
    case 6: {
        if (m_pDialog) m_pDialog->HighlightGridRow(look.page, row);
        // The cut moves to the item, so that the section view shows it.
        const double x = GetSketchItemX(kind, index);
        OnSketchDrag(graph, 1, x - m_dCutX, 0, 0, 0);
        const CFormulaValue& ey = kind == 4 ? m_springs[static_cast<size_t>(index)].m_ey
                                            : m_loads[static_cast<size_t>(index)].m_ey;
        const CFormulaValue& ez = kind == 4 ? m_springs[static_cast<size_t>(index)].m_ez
                                            : m_loads[static_cast<size_t>(index)].m_ez;
        double& sx = kind == 4 ? m_dDragSpringX : m_dDragLoadX;
        double& sy = kind == 4 ? m_dDragSpringY : m_dDragLoadY;
        double& sz = kind == 4 ? m_dDragSpringZ : m_dDragLoadZ;
        sx = x;
        sy = m_dSectionOriginY + ey.GetValue() / 100.0;
        sz = m_dSectionOriginZ - ez.GetValue() / 100.0;
        break;
    }
    case 5:
        if (m_pDialog) m_pDialog->HighlightGridRow(look.page, row);
        m_dDragHingeX = GetSketchItemX(5, index);
        break;
    default:
        break;
    }
    if (graph) graph->Method37(id, sketch::kSelectedColour, look.line, look.fill);
    m_bSketchDragged = 0;
}

void CModuleData::OnSketchDrag(CKurvo2D* graph, int id, double dx, double dy, double step, int mode) {
    int kind = 0, index = 0;
    if (!ParseSketchItemId(id, kind, index)) return;
    // Only finite moves reach the data and the graphs.
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    auto reload = [&](int page) {
        if (m_pDialog) m_pDialog->ReloadPageGrid(page);
    };
    switch (kind) {
    case 0:
        if (graph) graph->Method18(1, dx, 0.0);
        m_dCutX += dx;
        if (m_Sketch2DList.size() > 1 && m_Sketch2DList[1]) {
            DrawSectionView(m_Sketch2DList[1]);
        } else {
            // No section shown: its origin follows the cut all the same.
            double halfB = 0, offset = 0, b = 0, h = 0;
            GetSectionBandAt(m_dCutX, halfB, offset, b, h);
            m_dSectionOriginY = sketch::Finite(halfB);
            m_dSectionOriginZ = sketch::Finite(offset);
        }
        return;
    case 3:
    case 5: {
        if (dx == 0) return;
        if (kind == 3) {
            if (!DragNodeSupport(index, dx, step)) return;  // a field would vanish: the data stay
            // The page the click selected: the crane system page of a crane runway.
            reload(sketch::kPageSystem);
        } else {
            CHinge& h = m_hinges[static_cast<size_t>(index)];
            m_dDragHingeX += dx;
            h.m_offset.SetValue(RoundToStep(m_dDragHingeX, step) - GetFieldStart(h.m_iNode));
            reload(sketch::kPageHinges);
        }
        if (graph) {
            graph->Method18(id, dx, 0.0);
            graph->Method25(0, 0, 0);
            graph->Method15();
        }
        m_bSketchDragged = 1;
        return;
    }
    case 4:
    case 6: {
        if (dx == 0 && dy == 0) return;
        m_nDragMode = mode;
        const bool spring = kind == 4;
        double& sx = spring ? m_dDragSpringX : m_dDragLoadX;
        double& sy = spring ? m_dDragSpringY : m_dDragLoadY;
        double& sz = spring ? m_dDragSpringZ : m_dDragLoadZ;
        CFormulaValue& along = spring ? m_springs[static_cast<size_t>(index)].m_posX
                                      : m_loads[static_cast<size_t>(index)].m_offset;
        CFormulaValue& ey = spring ? m_springs[static_cast<size_t>(index)].m_ey : m_loads[static_cast<size_t>(index)].m_ey;
        CFormulaValue& ez = spring ? m_springs[static_cast<size_t>(index)].m_ez : m_loads[static_cast<size_t>(index)].m_ez;
        const int node = spring ? m_springs[static_cast<size_t>(index)].m_iNode : m_loads[static_cast<size_t>(index)].m_iNode;
        if (mode != 2) {
            dy = 0.0;
            m_nSnapId = 0;
            sx += dx;
            along.SetValue(RoundToStep(sx, step) - GetFieldStart(node));
        } else {
            double outX = 0.0, outY = 0.0;
            m_nSnapId = m_SectionSnap.Snap(sy + dx, -(sz + dy), outX, outY);
            if (m_nSnapId != 0) {
                sy += dx;
                sz += dy;
                m_dSnapY = outX;
                m_dSnapZ = -outY;
                ey.SetValue((sy - m_dSectionOriginY) * 100.0);
                ez.SetValue((sz - m_dSectionOriginZ) * -100.0);
            }
        }
        reload(spring ? sketch::kPageSprings : sketch::kPageLoads);
        if (graph) {
            graph->Method18(id, dx, dy);
            graph->Method15();
            graph->Method25(sketch::Finite(m_dSnapY), sketch::Finite(m_dSnapZ), static_cast<int16_t>(m_nSnapId));
        }
        m_bSketchDragged = 1;
        return;
    }
    default:
        return;
    }
}

int CModuleData::OnSketchDrop(int id) {
    int kind = 0, index = 0;
    if (!m_bSketchDragged || !ParseSketchItemId(id, kind, index) || kind < 3) return 0;
    if ((kind == 4 || kind == 6) && m_nSnapId != 0 && m_nDragMode == 2) {
        const bool spring = kind == 4;
        CFormulaValue& ey = spring ? m_springs[static_cast<size_t>(index)].m_ey : m_loads[static_cast<size_t>(index)].m_ey;
        CFormulaValue& ez = spring ? m_springs[static_cast<size_t>(index)].m_ez : m_loads[static_cast<size_t>(index)].m_ez;
        ey.SetValue((m_dSnapY - m_dSectionOriginY) * 100.0);
        ez.SetValue((m_dSnapZ - m_dSectionOriginZ) * -100.0);
        if (m_pDialog) m_pDialog->ReloadPageGrid(spring ? sketch::kPageSprings : sketch::kPageLoads);
    }
    UpdateViews(0);
    return 1;
}
