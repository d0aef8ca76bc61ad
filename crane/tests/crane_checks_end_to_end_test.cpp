// The fatigue and rail-weld checks after the superposition of two crane
// positions of the fatigue check: kernel results written by hand (member
// nodes at 0, 4 and 8 m), combined through the real load-combination
// library, then checked. Expected values by hand after EN 1991-3
// Table 2.12, EN 1993-1-9 eq. (8.2), (8.3) and EN 1993-1-8 4.5.3.2.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "crane/CraneResults.h"
#include "crane_fixture.h"
#include "platform/zevud/conveniences.h"

namespace {

using cranetest::MakeGirder;
using cranetest::SetWheelLoad;

class CraneChecksEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        MakeGirder(d_, 8.0);
        doc_ = ZEVUD_CreateDoc("");
        d_.m_hDoc = doc_;
        d_.m_sections[0].m_gamma_mf = 1.15;
        d_.m_craneSettings.m_loadEcc.SetValue(0.0);
        d_.m_rail.m_connection = 0;  // a continuous weld
        for (int& c : d_.m_craneSettings.m_checkEnabled) c = 1;
        CCrane& crane = d_.m_cranes[0];
        crane.m_BGruppe = 7;
        for (CFormulaValue& v : crane.m_wheelLoads) v.SetValue(0.0);
        for (int a = 0; a < 2; ++a) SetWheelLoad(crane, a, 0, 0, 10.0);  // Hx of group ULS1
        for (int& lc : crane.m_loadCaseNr) lc = -1;
        crane.m_loadCaseNr[18] = 2;
        // One stress point at a welded detail: plate category 90, weld 63,
        // plate 12 mm, throat 4 mm, also the rail weld's point.
        CNotchCase a;
        a.m_strName = "A";
        a.m_bActiv = a.m_bSystem = 1;
        a.m_geomType = 2;
        a.m_iKerbGruppe = 8;
        a.m_iKerbGruppeW = 5;
        a.m_thickness.SetValue(12.0);
        a.m_tWeld.SetValue(4.0);
        d_.m_notchCases = {a};
        d_.m_userPointNames = {"A"};
        d_.m_cranePositions = {3.0, 5.0};
        PrepareSteelCheckSections(d_);
    }
    void TearDown() override {
        d_.m_steelSections.Reset();
        ZEVUD_CloseDoc(doc_);
    }
    // The kernel's result of one position: the stress point's sigma_x and
    // tau per load case at the nodes 0, 4, 8 (element ends 0, 4, 4, 8).
    void Result(float permanent, float crane, float permanentTau = 0, float craneTau = 0) {
        ZVELEM result = zevud::ReplaceChild(ZEVUD_GetRootElement(doc_), "result");
        ZVELEM up = ZEVUD_AddChildElement(result, "userPoints");
        ZEVUD_SetInt(up, "numOfUserPoints", 1);
        ZEVUD_SetString(up, "userPoint-0", "A");
        const float values[2][2] = {{permanent, crane}, {permanentTau, craneTau}};
        for (int k = 0; k < 2; ++k)
            for (int lc = 1; lc <= 2; ++lc) {
                const float s = values[k][lc - 1];
                ZVELEM e = ZEVUD_AddChildElement(result, "s");
                ZEVUD_SetString(e, "title", k == 0 ? "SigmaX" : "Tau");
                ZEVUD_SetInt(e, "type", 0);
                ZEVUD_SetInt(e, "lkNr", lc);
                ZEVUD_SetInt(e, "resType", 13 + k);  // evaluation point 0, sigma_x and tau
                ZEVUD_SetInt(e, "dataLength", 4);
                zevud::SetFloats(e, "data", {0, 0, 4, s, 4, s, 8, 0});
            }
    }
    // G (load case 1) and the crane's fatigue load case (2) in the
    // characteristic combination of the fatigue check.
    void Combinations() { cranetest::DefineTwoActionCombinations(d_, {5}); }
    double At(const CResultTable& t, int slot, double x, int id) { return cranetest::ValueAt(t, slot, x, id); }

    CModuleData d_;
    ZVDOC doc_ = 0;
};

}  // namespace

// Positions: the crane's own sigma_x at 4 m is 60 and 20 N/mm², tau 30 and
// 12, with G 10 and 5. The crane passes the girder: without its fatigue
// load the girder carries none of its stresses, so the ranges run from 0
// (EN 1991-3 2.12.1, EN 1993-6 9.3, EN 1993-1-9 1.3.2): Delta sigma = 60,
// Delta tau = 30 (taking max - min over the positions alone gave 40 and
// 18). S7, gamma_Mf 1.15:
//   plate (category 90): 60 x 1.15 / 90 = 0.766667, interaction 0.450630
//   weld (category 63, sigma_x along the weld): 60 x 1.15 / 63 = 1.095238,
//   interaction 1.313789
// The check's envelope (all cranes together) holds G alone as its minimum:
// 10 and 5 at 4 m, and G + crane as its maximum: 70 and 35.
// Rail weld, group ULS1 of check 0: Hx 1.35 x 10 = 13.5 kN, throat 4 mm,
// l = 80.152 mm: tau_par = 13 500 / (2 x 4 x 80.152) = 21.054,
// sigma_v = sqrt 3 x 21.054 = 36.466 -> 36.466 / 360 = 0.101295.
TEST_F(CraneChecksEndToEnd, FatigueAndRailWeldAfterTheSuperposition) {
    Combinations();
    Result(10, 60, 5, 30);
    SuperposeCraneResults(d_, 4, 1, 2, 0, {"G", "K1.FAT"}, nullptr);
    Result(10, 20, 5, 12);
    SuperposeCraneResults(d_, 4, 1, 2, 1, {"G", "K1.FAT"}, nullptr);
    const CResultTable& fat = d_.m_fatResults[0];
    ASSERT_TRUE(fat.IsValid());
    ASSERT_NEAR(At(fat, 1, 4, 34), 60.0, 1e-5);
    ASSERT_NEAR(At(fat, 0, 4, 34), 0.0, 1e-5);
    ASSERT_NEAR(At(fat, 1, 4, 35), 30.0, 1e-5);
    ASSERT_NEAR(At(fat, 0, 4, 35), 0.0, 1e-5);
    const CResultTable& env = d_.m_craneResults[4];
    ASSERT_TRUE(env.IsValid());
    EXPECT_NEAR(At(env, 0, 4, 34), 10.0, 1e-5);
    EXPECT_NEAR(At(env, 1, 4, 34), 70.0, 1e-5);
    EXPECT_NEAR(At(env, 0, 4, 35), 5.0, 1e-5);
    EXPECT_NEAR(At(env, 1, 4, 35), 35.0, 1e-5);

    ASSERT_TRUE(CalcFatigue(d_));
    EXPECT_NEAR(At(fat, 1, 4, 39), 0.766667, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 40), 0.450630, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 38), 1.095238, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 41), 1.313789, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 34), 60.0, 1e-5);  // the stresses stay
    EXPECT_NEAR(At(env, 1, 4, 39), 0.766667, 1e-6);
    EXPECT_NEAR(At(env, 1, 4, 38), 1.095238, 1e-6);
    EXPECT_NEAR(At(env, 1, 4, 40), 0.450630, 1e-6);
    const double* plate = d_.m_fatDetail.Record(0, 0, 0);
    const double* weld = d_.m_fatDetail.Record(0, 0, 1);
    ASSERT_TRUE(plate && weld);
    EXPECT_NEAR(plate[0], 4.0, 1e-6);
    EXPECT_NEAR(plate[7], 60.0, 1e-5);  // Delta sigma_x
    EXPECT_NEAR(plate[9], 30.0, 1e-5);  // Delta tau
    EXPECT_NEAR(plate[23], 0.766667, 1e-6);
    EXPECT_NEAR(weld[23], 1.095238, 1e-6);
    int pos, info;
    double value, x;
    ASSERT_TRUE(d_.m_summaries[4].GetAt(1, 38, pos, value, x, info));
    EXPECT_NEAR(value, 1.095238, 1e-6);
    EXPECT_NEAR(x, 4.0, 1e-6);

    CalcRailWeld(d_);
    for (int p = 0; p < 2; ++p)
        for (int a = 0; a < 2; ++a) {
            ASSERT_TRUE(d_.m_railWeld.IsSet(0, 0, p, a));
            const double* v = d_.m_railWeld.m_val.data() + d_.m_railWeld.RailWeldIndex(0, 0, p, a);
            EXPECT_EQ(v[4], 4.0);
            EXPECT_NEAR(v[6], 13.5, 1e-12);
            EXPECT_NEAR(v[14], 21.054, 1e-3);
            EXPECT_NEAR(v[10], 0.101295, 1e-6);
        }
}
