// The fatigue and rail-weld checks on crane positions calculated by the real
// kernel and superposed: a single span of 8 m (HEB 300, fork supports), a
// welded flat rail, the system points placed from the local check, one
// crane of class S7 with two axles 3 m apart and 50 kN fatigue wheel loads.
#include <gtest/gtest.h>

#include <cmath>

#include "crane/tests/crane_fixture.h"
#include "crane/tests/kernel_fixture.h"
#include "module/tests/moddata_fixture.h"

namespace {

constexpr double kL = 8.0;

const CNotchCase* Find(const CModuleData& d, const std::string& name) {
    for (const CNotchCase& p : d.m_notchCases)
        if (p.m_strName == name) return &p;
    return nullptr;
}

class KernelCraneChecks : public cranetest::KernelCraneTest {
protected:
    KernelCraneChecks() : KernelCraneTest("crane_checks_kernel") {}
};

}  // namespace

// Crane positions 4.0 (axles at 2.5 and 5.5) and 6.0 (axles at 4.5 and
// 7.5). The crane's own moment at x = 2.5 (simply supported span):
//   4.0: 50 x 2.5 x 5.5 / 8 + 50 x 2.5 x 2.5 / 8 = 125.0 kNm
//   6.0: 50 x 3.5 x 2.5 / 8 + 50 x 0.5 x 2.5 / 8 = 62.5 kNm
// At the web top (category 160, gamma_Mf 1.15, S7) the utilisation holds at
// least the x part Delta sigma x 1.15 / 160 of the stresses the
// superposition gives the point. Rail weld, group ULS1 of check
// 0 with Hx 10 kN per wheel: Hx = 1.35 x 10 = 13.5 kN in every entry.
TEST_F(KernelCraneChecks, FatigueAndRailWeldOnKernelResults) {
    moddatatest::MakeCraneRunway(d_, kL);
    d_.m_hDoc = doc_;
    d_.m_sections[0].m_gamma_mf = 1.15;
    d_.m_rail.m_iTyp = 1;  // flat rail 60 x 40 mm, welded on
    d_.m_rail.m_b.SetValue(60.0);
    d_.m_rail.m_h.SetValue(40.0);
    d_.m_rail.m_connection = 0;
    d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
    d_.m_craneSettings.m_loadEcc.SetValue(0.0);
    d_.m_craneSettings.m_autoPOI = 1;
    for (int& c : d_.m_craneSettings.m_checkEnabled) c = 1;
    CCrane& c = d_.m_cranes[0];
    c.m_BGruppe = 7;
    c.m_numOfAxis = 2;
    c.SetAxisCount();
    c.AxisValue(0, 0)->SetValue(0.0);
    c.AxisValue(1, 0)->SetValue(3.0);
    for (CFormulaValue& v : c.m_wheelLoads) v.SetValue(0.0);
    for (int a = 0; a < 2; ++a) {
        cranetest::SetWheelLoad(c, a, 18, 2, 50.0);  // fatigue wheel load
        cranetest::SetWheelLoad(c, a, 0, 0, 10.0);   // Hx of group ULS1
        cranetest::SetWheelLoad(c, a, 0, 2, 80.0);
    }
    d_.m_notchCases.clear();
    d_.CalcCraneLocalEffects();
    ASSERT_NE(Find(d_, "Stegansatz (Sx)"), nullptr);
    for (CNotchCase& p : d_.m_notchCases)
        if (p.m_iPlace == 1) p.m_tWeld.SetValue(5.0);  // the rail welds: throat 5 mm
    d_.m_userPointNames.clear();
    for (const CNotchCase& p : d_.m_notchCases) d_.m_userPointNames.push_back(p.m_strName);

    d_.m_cranePositions = {4.0, 6.0};
    int next = 1;
    std::vector<std::string> names;
    d_.PrepareLoadCases(4, next, names);
    ASSERT_EQ(names, (std::vector<std::string>{"G", "K1.FAT"}));
    for (int p = 0; p < 2; ++p) {
        d_.m_nCurCranePos = p;
        d_.SetCurrentCranePosition();
        d_.m_bRunning = 1;
        const CRecalcResult r = d_.CBaseData::Recalc(0, 0);
        d_.m_bRunning = 0;
        ASSERT_TRUE(r.bCalculated) << d_.m_strErrorMsg;
        d_.SuperposeCraneResults(4, 1, next - 1, p, names, nullptr);
    }

    const CResultTable& fat = d_.m_fatResults[0];
    ASSERT_TRUE(fat.IsValid());
    const int u = static_cast<int>(Find(d_, "Stegansatz (Sx)") - d_.m_notchCases.data());
    // The crane's own moment at 2.5 m of the two positions, by statics.
    EXPECT_NEAR(cranetest::ValueAt(fat, 1, 2.5, 15), 125.0, 0.01);
    EXPECT_NEAR(cranetest::ValueAt(fat, 0, 2.5, 15), 62.5, 0.01);
    const double sMax = cranetest::ValueAt(fat, 1, 2.5, 34 + 8 * u), sMin = cranetest::ValueAt(fat, 0, 2.5, 34 + 8 * u);

    // Where the runs give the evaluation points no stresses while the
    // moments are there, the check says that it is incomplete.
    sink_.messages.clear();
    EXPECT_TRUE(d_.CalcFatigue());
    const bool stressesThere = std::fabs(sMax) > 1e-9 || std::fabs(sMin) > 1e-9;
    EXPECT_EQ(d_.m_bFatigueUnproven, !stressesThere);
    if (!stressesThere) {
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_NE(sink_.messages[0].text.find("keine Spannungen"), std::string::npos);
    }
    const double util = cranetest::ValueAt(fat, 1, 2.5, 39 + 8 * u);
    EXPECT_GE(util, std::fabs(sMax - sMin) * 1.15 / 160.0 - 1e-9);
    EXPECT_LT(util, 5.0);
    for (size_t p = 0; p < d_.m_notchCases.size(); ++p) {
        const CNotchCase& n = d_.m_notchCases[p];
        if (!n.m_bActiv) continue;
        EXPECT_TRUE(d_.m_fatDetail.IsUsed(static_cast<int>(p), 0, 0)) << n.m_strName;
        EXPECT_EQ(d_.m_fatDetail.IsUsed(static_cast<int>(p), 0, 1), n.m_geomType == 2 && n.m_iPlace == 1)
            << n.m_strName;
    }
    // The web top's record: leff of the local check and the fatigue wheel load.
    const double* rec = d_.m_fatDetail.Record(u, 0, 0);
    EXPECT_GT(rec[1], 0.0);
    EXPECT_EQ(rec[2], 50.0);

    d_.CalcRailWeld();
    EXPECT_EQ(d_.m_railWeld.m_numOfxPos, 2);
    for (int p = 0; p < 2; ++p)
        for (int a = 0; a < 2; ++a) {
            ASSERT_TRUE(d_.m_railWeld.IsSet(0, 0, p, a));
            const double* v = d_.m_railWeld.m_val.data() + d_.m_railWeld.RailWeldIndex(0, 0, p, a);
            EXPECT_EQ(v[4], 5.0);
            EXPECT_NEAR(v[6], 13.5, 1e-12);
            EXPECT_NEAR(v[5], 1.35 * 80.0, 1e-12);
            EXPECT_GT(v[10], 0.0);
        }
}
