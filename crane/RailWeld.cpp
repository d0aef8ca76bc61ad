// The rail-weld check of a crane runway: the weld between rail and top
// flange under each wheel of each crane at each crane position, for the
// load groups of the ultimate checks, through the steel-design library.
#include <algorithm>
#include <cmath>
#include <vector>

#include "crane/CraneOperations.h"
#include "module/ModuleData.h"
#include "platform/ferrum/vadu_rail_weld.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

// Value ids of the shear forces in the result tables.
constexpr int kVy = 12;
constexpr int kVz = 13;

// The partial factors of the crane actions (actions 3, 4, 5) in the runs of
// the ultimate checks 0, 1 and 2 (check bits 1, 2, 4), as the run
// preparation defines them; the position's actions and factors are left as
// they were.
std::vector<std::vector<double>> CraneActionFactors(CModuleData& d) {
    const CLKData savedActions = d.LK();
    const std::vector<double> savedPartial = d.m_partialFactors, savedCombination = d.m_combinationFactors;
    std::vector<std::vector<double>> factors;
    for (int bit : {1, 2, 4}) {
        DefineCraneActions(d, bit);
        std::vector<double> crane(3, 1.0);
        for (size_t c = 0; c < 3 && c + 2 < d.m_partialFactors.size(); ++c) crane[c] = d.m_partialFactors[c + 2];
        factors.push_back(crane);
    }
    d.LK() = savedActions;
    d.m_partialFactors = savedPartial;
    d.m_combinationFactors = savedCombination;
    return factors;
}

// The largest magnitude of a value over the minimum and maximum of a table.
double LargestMagnitude(const CResultTable& t, int id) {
    double m = 0.0;
    for (int lc = 0; lc < std::min(2, t.GetNumLoadCases()); ++lc)
        for (int n = 0; n < t.GetNumNodes(); ++n) m = std::max(m, std::fabs(t.GetValue(lc, n, id)));
    return m;
}

}  // namespace

void CalcRailWeld(CModuleData& d) {
    const int K = static_cast<int>(d.m_cranes.size());
    const int positions = K > 0 ? static_cast<int>(d.m_cranePositions.size() / static_cast<size_t>(K)) : 0;
    int axles = 1;
    for (const CCrane& c : d.m_cranes) axles = std::max(axles, c.m_numOfAxis);
    d.m_railWeld.SetSize(d.CModuleData::kCraneGroups, K, positions, axles);

    // A bolted rail has no weld.
    if (d.m_rail.m_connection != 2) {
        // The weld: the first active system point at the rail connection with a throat.
        double aw = 0.0;
        for (const CNotchCase& n : d.m_notchCases)
            if (n.m_bActiv && n.m_bSystem && n.m_geomType == 2 && n.m_tWeld.GetValue() > 0.0001) {
                aw = n.m_tWeld.GetValue();
                break;
            }
        // The girder's shear forces act on the weld only when the rail counts
        // in the section: then the largest design values of check 0, for
        // every group alike.
        double Qz = 0.0, Qy = 0.0;
        if (d.m_rail.m_bCalculation) {
            Qz = LargestMagnitude(d.m_craneResults[0], kVz);
            Qy = LargestMagnitude(d.m_craneResults[0], kVy);
        }
        const bool intermittent = d.m_rail.m_connection == 1;
        const std::vector<std::vector<double>> factors = CraneActionFactors(d);
        bool incomplete = false;

        for (int g = 0; g < d.CModuleData::kCraneGroups; ++g) {
            const int check = CCrane::GetGroupCheck(g);
            for (int c = 0; c < K; ++c) {
                const CCrane& crane = d.m_cranes[static_cast<size_t>(c)];
                if (!crane.IsLoadGroupRelevant(d, g, 0) && !crane.IsLoadGroupRelevant(d, g, 1) &&
                    !crane.IsLoadGroupRelevant(d, g, 2))
                    continue;
                // The generated wheel forces carry the dynamic factors; the
                // design values take the partial factor of the crane action.
                const double factor =
                    check >= 0 && check <= 2 ? factors[static_cast<size_t>(check)][std::min<size_t>(static_cast<size_t>(c), 2)] : 1.0;
                for (int p = 0; p < positions && crane.m_numOfAxis >= 2; ++p) {
                    const double x = d.m_cranePositions[static_cast<size_t>(p) * static_cast<size_t>(K) +
                                                      static_cast<size_t>(c)];
                    // The wheel's eccentricity acts on every weld, continuous or not.
                    const double additional[7] = {210000.0,
                                                  81000.0,
                                                  GetPanelLength(d, x),
                                                  intermittent ? 1.0 : 0.0,
                                                  intermittent ? d.m_rail.m_SchweissnahtL.GetValue() : 0.0,
                                                  intermittent ? d.m_rail.m_SchweissnahtUnterbrochenL.GetValue() : 0.0,
                                                  d.m_craneSettings.m_loadEcc.GetValue()};
                    const int h = d.m_steelSections.GetSteelCheckSectionHandle(x);
                    FER_hSetAdditionalValues(h, additional, 7);
                    for (int a = 0; a + 1 < crane.m_numOfAxis; ++a) {
                        // Each wheel of the pair with its own forces and its neighbour.
                        for (const auto& [wheel, neighbour] : {std::pair{a, a + 1}, std::pair{a + 1, a}}) {
                            const double Hx = factor * crane.GetWheelLoad(wheel, g, 0);
                            const double Hy = factor * crane.GetWheelLoad(wheel, g, 1);
                            FER_VaduLocalInput in{};
                            FillVaduLocalInput(crane, d, in, g, wheel, neighbour);
                            in.F *= factor;
                            in.Fneighbour *= factor;
                            FER_VaduLocalSection points{};
                            FER_VaduRailWeldResult out{};
                            if (FER_hCalcVaduSchieneSchweissnaht(h, aw, Hy, Hx, Qz, Qy, &in, &points, &out) != 0) {
                                incomplete = true;
                                continue;
                            }
                            d.m_railWeld.Update(g, c, p, wheel, aw, out.Pz, Hx, Hy, Qz, Qy, out.utilisation, out.sigmaV,
                                              out.sigmaPerp, out.tauPerp, out.tauPar);
                        }
                    }
                }
            }
        }
        if (incomplete)
            winsys::MessageBox(Tr("Die Schienenschweißnaht konnte nicht an allen Kranstellungen nachgewiesen "
                                  "werden (Querschnitt, Schiene oder Werkstoff ohne die nötigen Werte)."));
    }
    d.m_railWeld.Dump();
}
