// The load records that follow a crane along the runway: per axle one load per
// wheel-load component of every load group a check takes.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "crane/CraneOperations.h"
#include "module/Crane.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr double kNoLoad = 0.0001;

}  // namespace

int AccidentalActionCount(int cranes) { return 2 * std::clamp(cranes, 0, 3); }

int AccidentalAction(int crane, int group) {
    if (crane < 0 || crane >= 3 || (group != 8 && group != 9)) return -1;
    const int index = 2 * crane + (group - 8);
    return index == 0 ? 2 : 5 + index;
}

void AppendCraneLoads(CModuleData& d, int c, std::vector<CLoadDef>& loads, int checkMask, int actionOrdinary,
                      int& nextLoadCase, std::vector<std::string>& names, std::vector<double>& ratios, double ey,
                      double ez) {
    if (c < 0 || c >= static_cast<int>(d.m_cranes.size())) return;
    CCrane& crane = d.m_cranes[static_cast<size_t>(c)];
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
                load.SetVariableTable(&d.m_varTable);
                load.m_iLoadCase = (g == 8 || g == 9) ? AccidentalAction(c, g) : actionOrdinary;
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
        const bool reduce = d.m_craneSettings.m_bDecReactions != 0;
        for (int r = 3; r <= 8; ++r) ratios.push_back(reduce ? crane.GetWheelLoad(0, g, r) : 1.0);
    }
}
