// The fatigue and rail-weld checks on crane positions calculated by the real
// kernel and superposed: a single span of 8 m (HEB 300, fork supports), a
// welded flat rail, the system points placed from the local check, one
// crane of class S7 with two axles 3 m apart and 50 kN fatigue wheel loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "crane/CraneOperations.h"
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
    CalcCraneLocalEffects(d_);
    ASSERT_NE(Find(d_, "Stegansatz (Sx)"), nullptr);
    for (CNotchCase& p : d_.m_notchCases)
        if (p.m_iPlace == 1) p.m_tWeld.SetValue(5.0);  // the rail welds: throat 5 mm
    d_.m_userPointNames.clear();
    for (const CNotchCase& p : d_.m_notchCases) d_.m_userPointNames.push_back(p.m_strName);

    d_.m_cranePositions = {4.0, 6.0};
    int next = 1;
    std::vector<std::string> names;
    PrepareLoadCases(d_, 4, next, names);
    ASSERT_EQ(names, (std::vector<std::string>{"G", "K1.FAT"}));
    for (int p = 0; p < 2; ++p) {
        d_.m_nCurCranePos = p;
        d_.SetCurrentCranePosition();
        d_.m_bRunning = 1;
        const CRecalcResult r = d_.CBaseData::Recalc(0, 0);
        d_.m_bRunning = 0;
        ASSERT_TRUE(r.bCalculated) << d_.m_strErrorMsg;
        SuperposeCraneResults(d_, 4, 1, next - 1, p, names, nullptr);
    }

    const CResultTable& fat = d_.m_fatResults[0];
    ASSERT_TRUE(fat.IsValid());
    const int u = static_cast<int>(Find(d_, "Stegansatz (Sx)") - d_.m_notchCases.data());
    // The crane's own moment at 2.5 m of the two positions, by statics.
    EXPECT_NEAR(cranetest::ValueAt(fat, 1, 2.5, 15), 125.0, 0.01);
    EXPECT_NEAR(cranetest::ValueAt(fat, 0, 2.5, 15), 62.5, 0.01);
    const double sMax = cranetest::ValueAt(fat, 1, 2.5, 34 + 8 * u), sMin = cranetest::ValueAt(fat, 0, 2.5, 34 + 8 * u);

    // The kernel gives the web top its normal stresses of both positions.
    EXPECT_GT(std::fabs(sMax - sMin), 1.0);
    sink_.messages.clear();
    EXPECT_TRUE(CalcFatigue(d_));
    EXPECT_FALSE(d_.m_bFatigueUnproven);
    for (const auto& m : sink_.messages) ADD_FAILURE() << m.text;
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

    CalcRailWeld(d_);
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

// The stresses of the check points through the real kernel into the fatigue
// check: a single span of 8 m (HEB 300 without rail), one crane of one axle
// with the fatigue wheel load F = 70 kN, class S4, standing at 4, 1, 7, 0
// and 8 m. Two check points of their own on the section's wall elements
// (the flanges are cut in two at the web: 0, 1 the top flange, 2, 3 the
// bottom flange, 4 the web): the bottom flange at the web (element 3 at its
// start; detail category 71, normal stresses) and the web's middle (element
// 4 at its middle; category 100, shear).
//   Bottom flange at midspan: M = F L / 4 = 140 kNm with the wheel at
//   midspan, 0 with the wheel over a support; the outer face lies at
//   h / 2 = 150 mm below the centroid, so Delta sigma = M z / Iy (Iy = 25170 cm⁴, profile
//   tables) = 83.4 N/mm²; lambda_sigma of S4 = 0.500 (EN 1991-3 Table
//   2.12), Delta sigma_E,2 = 0.5 Delta sigma; utilisation gamma_Mf
//   Delta sigma_E,2 / 71 with gamma_Mf 1.15 (EN 1993-1-9 eq. 8.2).
//   Web middle at x = 2 m: the wheel at a gives V = F (L - a) / L left of
//   it and -F a / L right of it, so V runs from -8.75 kN (wheel at 1 m) to
//   +35 kN (wheel at 4 m): the range is that of the signed shear stresses,
//   tau = V S / (Iy tw), with the static moment of the half section, its
//   two root fillets included (area r² (1 - pi/4) each, centroid
//   e = r (10 - 3 pi) / (3 (4 - pi)) from the corner):
//   S = b tf (h - tf) / 2 + tw (h / 2 - tf)² / 2 + 2 r² (1 - pi/4)
//   (h/2 - tf - e) = 934.3 cm³ = Wpl,y / 2 of the tables (b = h = 300,
//   tf = 19, tw = 11, r = 27 mm); without the fillets 895.2 cm³, 4 % low.
TEST_F(KernelCraneChecks, StressRangesOfTheCheckPointsByStatics) {
    constexpr double kF = 70.0, kIy = 25170.0, kZ = 15.0, kTw = 1.1, kTf = 1.9, kH = 30.0, kGammaMf = 1.15, kX = 2.0;
    moddatatest::MakeCraneRunway(d_, kL);
    d_.m_hDoc = doc_;
    d_.m_sections[0].m_gamma_mf = kGammaMf;
    d_.m_rail.m_iTyp = 0;  // no rail: the girder's own section
    d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
    d_.m_craneSettings.m_loadEcc.SetValue(0.0);
    for (int& c : d_.m_craneSettings.m_checkEnabled) c = 0;
    d_.m_craneSettings.m_checkEnabled[4] = 1;
    CCrane& c = d_.m_cranes[0];
    c.m_BGruppe = 4;
    cranetest::MakeOneAxle(c);
    cranetest::SetWheelLoad(c, 0, 18, 2, kF);
    d_.m_notchCases.clear();
    struct PointDef {
        const char* name;
        int tqe, category, stressType;
    };
    // A third point lies on no wall element: it gets no stresses, and the
    // check is not proven.
    for (const PointDef& def :
         {PointDef{"Untergurt", 3, 6, 0}, PointDef{"Steg Mitte", 4, 9, 1}, PointDef{"Ohne Lage", -1, 7, 0}}) {
        CNotchCase p;
        p.Reset();
        p.m_strName = def.name;
        p.m_tqe = def.tqe;
        p.m_idx.SetValue(def.tqe == 3 ? 0.0 : 0.5);
        p.m_iKerbGruppe = def.category;
        p.m_iSpTyp = def.stressType;
        d_.m_notchCases.push_back(p);
    }

    const std::vector<double> wheels = {4.0, 1.0, 7.0, 0.0, 8.0};
    d_.m_cranePositions = wheels;
    int next = 1;
    std::vector<std::string> names;
    PrepareLoadCases(d_, 4, next, names);
    ASSERT_EQ(names, (std::vector<std::string>{"G", "K1.FAT"}));
    for (int p = 0; p < static_cast<int>(wheels.size()); ++p) {
        d_.m_nCurCranePos = p;
        d_.SetCurrentCranePosition();
        d_.m_bRunning = 1;
        const CRecalcResult r = d_.CBaseData::Recalc(0, 0);
        d_.m_bRunning = 0;
        ASSERT_TRUE(r.bCalculated) << d_.m_strErrorMsg;
        SuperposeCraneResults(d_, 4, 1, next - 1, p, names, nullptr);
    }
    ASSERT_EQ(d_.m_userPointNames, (std::vector<std::string>{"Untergurt", "Steg Mitte", "Ohne Lage"}));
    const CResultTable& fat = d_.m_fatResults[0];
    ASSERT_TRUE(fat.IsValid());

    // The bottom flange at midspan: tension M z / Iy at most, 0 at least.
    const double dSigma = 10.0 * kF * kL / 4 * 100.0 * kZ / kIy;
    EXPECT_NEAR(cranetest::ValueAt(fat, 1, kL / 2, 34), dSigma, 0.01 * dSigma);
    EXPECT_NEAR(cranetest::ValueAt(fat, 0, kL / 2, 34), 0.0, 0.01 * dSigma);

    // The web's middle at 2 m.
    double vMax = -1e9, vMin = 1e9;
    for (double a : wheels) {
        const double v = kX < a ? kF * (kL - a) / kL : -kF * a / kL;
        vMax = std::max(vMax, v);
        vMin = std::min(vMin, v);
    }
    ASSERT_NEAR(vMax, 35.0, 1e-12);
    ASSERT_NEAR(vMin, -8.75, 1e-12);
    const double tauMax = cranetest::ValueAt(fat, 1, kX, 35 + 8), tauMin = cranetest::ValueAt(fat, 0, kX, 35 + 8);
    constexpr double kR = 2.7, kPi = 3.141592653589793;
    const double e = kR * (10 - 3 * kPi) / (3 * (4 - kPi));
    const double S = kH * kTf * (kH - kTf) / 2 + kTw * (kH / 2 - kTf) * (kH / 2 - kTf) / 2 +
                     2 * kR * kR * (1 - kPi / 4) * (kH / 2 - kTf - e);
    ASSERT_NEAR(S, 1869.0 / 2, 0.002 * 1869.0 / 2);
    const double perV = 10.0 * S / (kIy * kTw);
    // The sign of the shear stress follows the kernel's axes; the range is
    // that of the signed values.
    EXPECT_NEAR(tauMax - tauMin, (vMax - vMin) * perV, 0.01 * (vMax - vMin) * perV);
    EXPECT_NEAR(std::max(std::fabs(tauMax), std::fabs(tauMin)), vMax * perV, 0.01 * vMax * perV);

    // The fatigue check proves the two points on these stresses; the third
    // one has none and is named.
    sink_.messages.clear();
    EXPECT_TRUE(CalcFatigue(d_));
    EXPECT_TRUE(d_.m_bFatigueUnproven);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_NE(sink_.messages[0].text.find("Für die Nachweispunkte 'Ohne Lage' liegen"), std::string::npos)
        << sink_.messages[0].text;
    const double eFlange = 0.5 * dSigma;  // Delta sigma_E,2
    const double* flange = d_.m_fatDetail.Record(0, 0, 0);
    EXPECT_NEAR(flange[0], kL / 2, 1e-6);  // the place of the largest utilisation
    EXPECT_NEAR(flange[3], 0.500, 1e-3);   // lambda_sigma of S4
    EXPECT_NEAR(flange[14], eFlange, 0.01 * eFlange);
    EXPECT_NEAR(flange[23], eFlange * kGammaMf / 71.0, 0.01 * eFlange * kGammaMf / 71.0);
    EXPECT_NEAR(cranetest::ValueAt(fat, 1, kL / 2, 39), flange[23], 1e-9);
    const double* web = d_.m_fatDetail.Record(1, 0, 0);
    EXPECT_NEAR(web[5], 0.660, 1e-3);  // lambda_tau of S4
    const double eWeb = 0.660 * (vMax - vMin) * perV;
    EXPECT_GE(web[18], 0.99 * eWeb);
    EXPECT_GE(web[23], 0.99 * eWeb * kGammaMf / 100.0);
}
