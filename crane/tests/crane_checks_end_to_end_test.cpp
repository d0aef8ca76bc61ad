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
    // The kernel's result of one position: the stress point's sigma_x per
    // load case at the nodes 0, 4, 8 (element ends 0, 4, 4, 8).
    void Result(float permanent, float crane) {
        ZVELEM result = zevud::ReplaceChild(ZEVUD_GetRootElement(doc_), "result");
        ZVELEM up = ZEVUD_AddChildElement(result, "userPoints");
        ZEVUD_SetInt(up, "numOfUserPoints", 1);
        ZEVUD_SetString(up, "userPoint-0", "A");
        int lc = 1;
        for (float s : {permanent, crane}) {
            ZVELEM e = ZEVUD_AddChildElement(result, "s");
            ZEVUD_SetString(e, "title", "SigmaX");
            ZEVUD_SetInt(e, "type", 0);
            ZEVUD_SetInt(e, "lkNr", lc++);
            ZEVUD_SetInt(e, "resType", 13);  // evaluation point 0, sigma_x
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

// Positions: the crane's own sigma_x at 4 m is 60 and 20 N/mm², with G 10.
// Fatigue table: max 60, min 20: Delta sigma = 40; S7, gamma_Mf 1.15:
//   plate (category 90): 40 x 1.15 / 90 = 0.51111, interaction 0.13352
//   weld (category 63, sigma_x along the weld): 40 x 1.15 / 63 = 0.73016, 0.38927
// Rail weld, group ULS1 of check 0: Hx 1.35 x 10 = 13.5 kN, throat 4 mm,
// l = 80.152 mm: tau_par = 13 500 / (2 x 4 x 80.152) = 21.054,
// sigma_v = sqrt 3 x 21.054 = 36.466 -> 36.466 / 360 = 0.101295.
TEST_F(CraneChecksEndToEnd, FatigueAndRailWeldAfterTheSuperposition) {
    Combinations();
    Result(10, 60);
    SuperposeCraneResults(d_, 4, 1, 2, 0, {"G", "K1.FAT"}, nullptr);
    Result(10, 20);
    SuperposeCraneResults(d_, 4, 1, 2, 1, {"G", "K1.FAT"}, nullptr);
    const CResultTable& fat = d_.m_fatResults[0];
    ASSERT_TRUE(fat.IsValid());
    ASSERT_NEAR(At(fat, 1, 4, 34), 60.0, 1e-5);
    ASSERT_NEAR(At(fat, 0, 4, 34), 20.0, 1e-5);

    ASSERT_TRUE(CalcFatigue(d_));
    EXPECT_NEAR(At(fat, 1, 4, 39), 0.511111, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 40), 0.133520, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 38), 0.730159, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 41), 0.389271, 1e-6);
    EXPECT_NEAR(At(fat, 1, 4, 34), 60.0, 1e-5);  // the stresses stay
    const CResultTable& env = d_.m_craneResults[4];
    EXPECT_NEAR(At(env, 1, 4, 39), 0.511111, 1e-6);
    EXPECT_NEAR(At(env, 1, 4, 38), 0.730159, 1e-6);
    EXPECT_NEAR(At(env, 1, 4, 40), 0.133520, 1e-6);
    const double* plate = d_.m_fatDetail.Record(0, 0, 0);
    const double* weld = d_.m_fatDetail.Record(0, 0, 1);
    ASSERT_TRUE(plate && weld);
    EXPECT_NEAR(plate[0], 4.0, 1e-6);
    EXPECT_NEAR(plate[23], 0.511111, 1e-6);
    EXPECT_NEAR(weld[23], 0.730159, 1e-6);
    int pos, info;
    double value, x;
    ASSERT_TRUE(d_.m_summaries[4].GetAt(1, 38, pos, value, x, info));
    EXPECT_NEAR(value, 0.730159, 1e-6);
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
