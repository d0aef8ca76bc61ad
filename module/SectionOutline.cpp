// The outline of a cross-section for the report pictures.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/Rail.h"
#include "module/Section.h"
#include "module/SketchCommon.h"

namespace {
constexpr int32_t kOutlineFill = 0xFFD0C0;

// Filled, then outlined; an outline of several closed parts (flange
// halves, web, root fillets) part by part.
void FilledOutline(CKurvo2D& g, const std::vector<double>& x, const std::vector<double>& y) {
    const auto parts = sketch::OutlineParts(x, y, x.size());
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0)
            g.Method35(kOutlineFill, 0, 0, 0);
        else
            g.Method35(0, 0, 3, 0);
        for (const auto& [a, e] : parts) g.Method5(static_cast<int32_t>(e - a), x.data() + a, y.data() + a);
    }
}
}  // namespace

double CSection::DrawOutline(CKurvo2D& g, double size, const CRail* rail, int craneTyp, int end) const {
    const std::vector<double>& cy = (end == 1 && m_bVoute) ? m_contourX2 : m_contourX;
    const std::vector<double>& cz = (end == 1 && m_bVoute) ? m_contourY2 : m_contourY;
    if (!std::isfinite(size) || size < 0) size = 0;
    if (cy.size() < 3 || cy.size() != cz.size()) return size;
    for (size_t i = 0; i < cy.size(); ++i)
        if (!std::isfinite(cy[i]) || !std::isfinite(cz[i])) return size;
    const auto [ymin, ymax] = std::minmax_element(cy.begin(), cy.end());
    const double zTop = *std::min_element(cz.begin(), cz.end());  // z counts downward
    const double width = *ymax - *ymin;
    const double left = (std::max(size, width) - width) / 2 - *ymin;
    std::vector<double> x, y;
    for (size_t i = 0; i < cy.size(); ++i) {
        x.push_back(cy[i] + left);
        y.push_back(zTop - cz[i]);
    }
    FilledOutline(g, x, y);

    CRailValues rv;
    if (rail && craneTyp == 0 && rail->m_iTyp >= 1 && rail->GetRailValues(rv) && rv.h > 0 && std::isfinite(rv.h)) {
        const double b = (rv.b1 > 0 && std::isfinite(rv.b1)) ? rv.b1 : width / 4;
        const double mid = left + (*ymin + *ymax) / 2;
        FilledOutline(g, {mid - b / 2, mid + b / 2, mid + b / 2, mid - b / 2}, {0, 0, rv.h, rv.h});
    }
    return std::max(size, width);
}
