// The local wheel-load check of a crane at a crane position: the library's
// input record and the stresses added to the points along the girder.
#include <cmath>
#include <cstring>

#include "crane/CraneOperations.h"
#include "module/Crane.h"
#include "module/ModuleData.h"
#include "platform/ferrum/ferrum.h"

void FillVaduLocalInput(const CCrane& crane, const CModuleData& module, FER_VaduLocalInput& r, int group, int axis,
                        int neighbour, const CRailValues* rail) {
    r = FER_VaduLocalInput{};
    const CCraneSettings& s = module.m_craneSettings;
    r.craneType = s.m_craneTyp;
    r.fy = module.m_sections.empty() ? 0.0 : module.m_sections.front().m_strength;
    // A crane on the bottom flange has a wheel on either side of the web.
    const double share = s.m_craneTyp != 0 ? 0.5 : 1.0;
    r.F = crane.GetWheelLoad(axis, group, 2) * share;
    const bool hasNeighbour = neighbour >= 0 && neighbour < crane.m_numOfAxis && neighbour != axis;
    if (hasNeighbour) {
        r.Fneighbour = crane.GetWheelLoad(neighbour, group, 2) * share;
        r.spacing = crane.GetAxisValue(neighbour > axis ? neighbour : axis, 0);  // spacing of the later axle
    }
    r.nAxles = crane.m_numOfAxis;
    if (s.m_craneTyp == 0) {
        CRailValues v;
        if (rail) v = *rail;
        else if (!module.m_rail.GetRailValues(v)) v = CRailValues{};
        r.bRigid = module.m_rail.m_bRigid;
        r.railB1 = v.b1 + (module.m_rail.m_connection == 2 ? 0.2 * module.m_rail.m_dBolt.GetValue() : 0.0);
        r.railH75 = v.h75;
        r.railPad = module.m_rail.m_d.GetValue();
        r.railA75 = v.A75;
        r.railIy75 = v.Iy75;
        r.railE175 = v.e175;
        r.railKOrLoadDist = v.k;
    } else {
        r.railKOrLoadDist = s.m_loadDistOnBottomFlange.GetValue();
    }
    r.factor1 = 0.1;
    r.factor2 = 0.1;
}

void CalcLocalWheelLoadEffects(const CCrane& crane, CModuleData& module, double x, int loadCase,
                               const std::vector<double>& pointX, std::vector<double>& results,
                               std::vector<int>* slotIds, std::vector<int>* slotKinds) {
    const int type = module.m_craneSettings.m_craneTyp;
    const size_t stride = type == 0 ? 2 : 12;
    if (results.size() < pointX.size() * stride) results.resize(pointX.size() * stride, 0.0);
    if (type != 0) {
        if (slotIds && slotIds->size() < 6) slotIds->resize(6, 0);
        if (slotKinds && slotKinds->size() < 6) slotKinds->resize(6, 0);
    }
    const int useGiven = module.m_craneSettings.m_autoPOI == 0 ? 1 : 0;
    // The rail's values (looked up in the material and rail tables) are the
    // same for every axle.
    CRailValues rail;
    if (type == 0 && !module.m_rail.GetRailValues(rail)) rail = CRailValues{};
    for (int g = 0; g < CCrane::kGroups; ++g) {
        if (crane.m_loadCaseNr[g] != loadCase) continue;
        // Each axle with the next one, the last with the one before.
        for (int a = 0; a < crane.m_numOfAxis; ++a) {
            const int neighbour = a + 1 < crane.m_numOfAxis ? a + 1 : a - 1;
            FER_VaduLocalInput in;
            FillVaduLocalInput(crane, module, in, g, a, neighbour, &rail);
            FER_VaduLocalSection rec{};
            FillFER_VaduLocalResultWithPOI(module, rec);
            // The axle where the crane's loads stand (the same offsets as its loads).
            const double p = x + crane.GetAxisOffset(a);
            FER_hCalcVaduLocal(module.m_steelSections.GetSteelCheckSectionHandle(p), &in, &rec, useGiven);
            for (size_t i = 0; i < pointX.size(); ++i) {
                if (!(std::fabs(pointX[i] - p) < 0.01)) continue;
                double* res = &results[i * stride];
                if (type == 0) {
                    res[0] += rec.sigmaOz;
                    res[1] += rec.tauOxz;
                    continue;
                }
                for (int slot = 0; slot < 6; ++slot) {
                    res[2 * slot] += rec.B[slot];
                    res[2 * slot + 1] += rec.A[slot];
                    if (slotIds) (*slotIds)[static_cast<size_t>(slot)] = rec.id[slot];
                    if (slotKinds) (*slotKinds)[static_cast<size_t>(slot)] = 3 + slot / 2;
                }
            }
        }
    }
}
