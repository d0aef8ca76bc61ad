// Geometry queries of the member: the field at x, the span between lateral
// or vertical restraints and points on the plates of a field section.
#include <cmath>
#include <vector>

#include "module/ModuleData.h"

namespace {

// The translational support value of node k ("cy" or "cz").
double SupportValue(const std::vector<CSupport>& supports, size_t k, bool yDirection) {
    if (k >= supports.size()) return 0.0;
    return yDirection ? supports[k].m_cy.GetValue() : supports[k].m_cz.GetValue();
}

}  // namespace

int CModuleData::FindFieldAtX(double x, int* endFlag, bool yDirection) const {
    if (endFlag) *endFlag = 0;
    const int fields = static_cast<int>(m_fieldLengths.size()) - 1;
    int found = -1;
    for (int i = 0; i < fields && found < 0; ++i) {
        const double start = GetFieldStart(i), end = start + m_fieldLengths[static_cast<size_t>(i) + 1].GetValue();
        if (x >= start - 0.001 && x <= end + 0.001) found = i;
    }
    if (found < 0) return 0;
    if (endFlag) {
        // An end field whose outer node is free: a cantilever.
        const bool freeStart = found == 0 && std::fabs(SupportValue(m_supports, 0, yDirection)) <= 0.0001;
        const bool freeEnd =
            found == fields - 1 && std::fabs(SupportValue(m_supports, static_cast<size_t>(fields), yDirection)) <= 0.0001;
        *endFlag = freeStart || freeEnd ? 1 : 0;
    }
    return found;
}

double CModuleData::GetSpanBetweenRestraints(int field, bool yDirection) const {
    const int fields = static_cast<int>(m_fieldLengths.size()) - 1;
    if (field < 0 || field >= fields) return 0.0;
    auto length = [&](int i) { return m_fieldLengths[static_cast<size_t>(i) + 1].GetValue(); };
    auto free = [&](int node) { return std::fabs(SupportValue(m_supports, static_cast<size_t>(node), yDirection)) < 0.1; };
    double span = length(field);
    for (int node = field; node > 0 && free(node); --node) span += length(node - 1);
    for (int node = field + 1; node < fields && free(node); ++node) span += length(node);
    return span;
}

void CModuleData::GetSectionPlateAt(int field, int plate, double t, double& a, double& b) {
    if (field < 0 || field >= static_cast<int>(m_sections.size()) || plate < 0) return;
    CSectProfile& profile = m_sections[static_cast<size_t>(field)].m_profile;
    if (!profile.IsValid()) return;
    const int count = profile.GetEffValueCount();
    if (plate >= count) return;
    std::vector<SektTqe> plates(static_cast<size_t>(count));
    profile.GetEffValues(plates.data(), count);
    const SektTqe& p = plates[static_cast<size_t>(plate)];
    a = (p.ya + (p.ye - p.ya) * t) * 0.01;
    b = (p.za + (p.ze - p.za) * t) * 0.01;
}
