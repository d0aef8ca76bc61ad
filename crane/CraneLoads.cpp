// A crane's wheel loads on the girder: relevance of the load groups, the
// axle geometry and the load records that follow the crane along the runway.
#include <cmath>
#include <cstdlib>

#include "module/Crane.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr double kNoLoad = 0.0001;

}  // namespace

int CCrane::GetGroupCheck(int group) {
    if (group < 0 || group >= kGroups) return -1;
    if (group <= 6) return 0;  // ULS1..ULS7
    if (group == 7) return 2;  // test load
    if (group <= 9) return 1;  // accidental
    if (group <= 17) return 3; // serviceability
    return 4;                  // fatigue
}

bool CCrane::IsLoadGroupRelevant(const CModuleData& module, int group, int check) const {
    if (group < 0 || group >= kGroups) return false;
    bool loads = false;
    for (int a = 0; a < m_numOfAxis && !loads; ++a)
        for (int k = 0; k < 3 && !loads; ++k) loads = std::fabs(GetWheelLoad(a, group, k)) > kNoLoad;
    if (!loads) return false;
    const CCraneSettings& s = module.m_craneSettings;
    if ((group == 12 || group == 13 || group == 16 || group == 17) && s.m_bSecondBeam == 0) return false;
    const int k = GetGroupCheck(group);
    if (s.m_checkEnabled[k] == 0) return false;
    return check == -1 || check == k;
}

void CCrane::SumMaxWheelLoads(double& sum1, double& sum3) const {
    sum1 = sum3 = 0.0;
    for (int a = 0; a < m_numOfAxis; ++a) {
        sum1 += GetAxisValue(a, 1);
        sum3 += GetAxisValue(a, 3);
    }
}

double CCrane::GetAxisSpan() const {
    double s = 0.0;
    for (int a = 1; a < m_numOfAxis; ++a) s += GetAxisValue(a, 0);
    return s;
}

double CCrane::GetAxisOffset(int axis) const {
    // The crane's position is the middle of its axles; the spacing of axle 0
    // is its distance to the crane in front and takes no part here.
    double offset = 0.0 - 0.5 * GetAxisSpan();  // never -0.0 (a "+-0.000" offset text)
    for (int a = 1; a <= axis && a < m_numOfAxis; ++a) offset += GetAxisValue(a, 0);
    return offset;
}

double CCrane::ShiftToResultant(double x, int m) const {
    if (m_numOfAxis != 2) return x;
    const double s0 = GetAxisValue(0, 1) + GetAxisValue(0, 3);
    const double s1 = GetAxisValue(1, 1) + GetAxisValue(1, 3);
    if (std::fabs(s0) <= kNoLoad) return x;  // no load on the first axle: no resultant to move to
    const double h = GetAxisValue(1, 0) / 2.0;
    const double f = m == 1 ? 1.0 : 1.0 / (m + 1);
    return x + (h - h * s1 / s0) * f;
}

void CModuleData::AppendCraneLoads(int c, std::vector<CLoadDef>& loads, int checkMask, int actionOrdinary,
                                   int actionAccidental, int& nextLoadCase, std::vector<std::string>& names,
                                   std::vector<double>& ratios, double ey, double ez) {
    if (c < 0 || c >= static_cast<int>(m_cranes.size())) return;
    CCrane& crane = m_cranes[static_cast<size_t>(c)];
    for (int g = 0; g < CCrane::kGroups; ++g) crane.m_loadCaseNr[g] = -1;
    std::vector<std::string> groupNames, ids;
    GetCraneLoadGroupNames(groupNames, ids, c + 1);
    const std::string posVar = "pos" + std::to_string(c);
    for (int g = 0; g < CCrane::kGroups; ++g) {
        if ((crane.m_groupClass[g] & checkMask) == 0) continue;
        const std::string& text = ids[static_cast<size_t>(g)];
        bool any = false;
        for (int a = 0; a < crane.m_numOfAxis; ++a) {
            // Every group starts at the crane's first axle again.
            const std::string position = posVar + winsys::FormatDoubleC("+%.3lf", crane.GetAxisOffset(a));
            for (int k = 0; k < 3; ++k) {
                const double value = crane.GetWheelLoad(a, g, k);
                if (std::fabs(value) <= kNoLoad) continue;
                CLoadDef load;
                load.SetVariableTable(&m_varTable);
                load.m_iLoadCase = (g == 8 || g == 9) ? actionAccidental : actionOrdinary;
                load.m_iLoadType = LOAD_POINT_FORCE_MOMENT;
                load.m_iNode = 0;
                load.m_iDirection = k;
                load.m_bHasDirection = 1;
                load.m_offset.SetFromText(position.c_str());
                load.m_ey.SetValue(ey);
                load.m_ez.SetValue(ez);
                load.m_val[0].SetValue(value);
                load.m_LCGen.m_numbers = {nextLoadCase};
                load.m_LCGen.Format();
                load.m_strDesc = text;
                loads.push_back(load);
                any = true;
            }
        }
        if (!any) continue;
        crane.m_loadCaseNr[g] = nextLoadCase++;
        names.push_back(text);
        // Reaction factors of the load case: the ratios of the loads with
        // dynamic factors lowered by 0.1 when the reactions are to be reduced.
        const bool reduce = m_craneSettings.m_bDecReactions != 0;
        for (int r = 3; r <= 8; ++r) ratios.push_back(reduce ? crane.GetWheelLoad(0, g, r) : 1.0);
    }
}
