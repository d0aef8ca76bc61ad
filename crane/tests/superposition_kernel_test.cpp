// A crane position calculated by the real kernel and superposed: a single
// span of 8 m (HEB 300, fork supports) under its self weight g and one
// wheel load F at midspan in a load case of its own.
#include <gtest/gtest.h>

#include <cmath>

#include "crane/CraneOperations.h"
#include "crane/CraneResults.h"
#include "crane/tests/crane_fixture.h"
#include "crane/tests/kernel_fixture.h"
#include "module/tests/moddata_fixture.h"

using namespace crane_ids;

namespace {

constexpr double kL = 8.0, kF = 100.0;

double At(const CResultTable& t, int slot, double x, int id) {
    double best = 0.0;
    bool found = false;
    for (int i = 0; i < t.GetNumNodes(); ++i)
        if (std::fabs(t.GetXData()[static_cast<size_t>(i)] - x) < 1e-4) {
            const double v = t.GetValue(slot, i, id);
            if (!found || std::fabs(v) > std::fabs(best)) best = v;
            found = true;
        }
    EXPECT_TRUE(found) << "no node at " << x;
    return best;
}

class KernelSuperposition : public cranetest::KernelCraneTest {
protected:
    KernelSuperposition() : KernelCraneTest("crane_superposition") {}
};

}  // namespace

TEST_F(KernelSuperposition, MidspanMomentAndCharacteristicReaction) {
    moddatatest::MakeCraneRunway(d_, kL);
    d_.m_hDoc = doc_;
    d_.m_notchCases.clear();
    d_.m_rail.m_iTyp = 0;  // no rail: the self weight is the girder's
    d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
    // One crane of one axle standing at midspan with F in group 1 (ultimate).
    CCrane& c = d_.m_cranes[0];
    cranetest::MakeOneAxle(c);
    cranetest::SetWheelLoad(c, 0, 0, 2, kF);
    d_.m_craneSettings.m_bDecReactions = 0;  // reactions of the full wheel load
    d_.m_cranePositions = {kL / 2, kL / 2};
    d_.m_nCurCranePos = 0;
    d_.SetCurrentCranePosition();

    int next = 1;
    std::vector<std::string> names;
    PrepareLoadCases(d_, 0, next, names);
    ASSERT_EQ(names, (std::vector<std::string>{"G", "K1.ULS1"}));
    d_.m_bRunning = 1;
    const CRecalcResult r = d_.CBaseData::Recalc(0, 0);
    d_.m_bRunning = 0;
    ASSERT_TRUE(r.bCalculated) << d_.m_strErrorMsg;
    SuperposeCraneResults(d_, 0, 1, next - 1, 0, names, nullptr);

    // g of the girder: A gamma, HEB 300 with A = 149.1 cm² (profile
    // tables), steel 78.5 kN/m³: 1.1704 kN/m.
    const double g = 149.1e-4 * 78.5;
    // Ed = 1.35 (G + Q) for a crane action (EN 1990 6.10, EN 1991-3 A.1).
    EXPECT_NEAR(At(d_.m_craneResults[0], 1, kL / 2, 15), 1.35 * (g * kL * kL / 8 + kF * kL / 4), 0.02);
    // The characteristic support reaction: F/2 + g L/2, the largest of the
    // characteristic combinations (G alone gives g L/2).
    const double az = At(d_.m_akResults[0], 1, 0.0, kReactionAz);
    EXPECT_NEAR(At(d_.m_akResults[0], 0, 0.0, kReactionAz), g * kL / 2, 0.02);
    EXPECT_NEAR(az, kF / 2 + g * kL / 2, 0.02);
}
