// The whole crane calculation through the real kernel on a case with a
// closed form: a single span of 8 m (HEB 300, fork supports) under its self
// weight g and one crane of one axle whose wheel load F = 70 kN stands at the
// left support, at midspan and at the right support.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "crane/CraneOperations.h"
#include "crane/CraneRun.h"
#include "crane/CraneResults.h"
#include "crane/tests/crane_fixture.h"
#include "crane/tests/kernel_fixture.h"
#include "module/tests/moddata_fixture.h"

namespace {

constexpr double kL = 8.0, kF = 70.0;

// The larger magnitude of slots 0 and 1 of a table at x.
double AtX(const CResultTable& t, double x, int id) {
    double best = 0.0;
    bool found = false;
    for (int i = 0; i < t.GetNumNodes(); ++i)
        if (std::fabs(t.GetXData()[static_cast<size_t>(i)] - x) < 1e-4)
            for (int slot : {0, 1}) {
                const double v = t.GetValue(slot, i, id);
                if (!found || std::fabs(v) > std::fabs(best)) best = v;
                found = true;
            }
    EXPECT_TRUE(found) << "no node at " << x;
    return best;
}

bool FindExport(ZVELEM e, const std::string& name, double& value) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        if (zevud::GetString(c, "varName") == name) {
            value = ZEVUD_GetDouble(c, "val");
            return true;
        }
        if (FindExport(c, name, value)) return true;
    }
    return false;
}

class CraneRunKernel : public cranetest::KernelCraneTest {
protected:
    CraneRunKernel() : KernelCraneTest("crane_run_kernel") {}
    void SetUp() override {
        GetCraneRunSteps() = DefaultCraneRunSteps();
        KernelCraneTest::SetUp();
    }
    // The 8 m runway under the girder's own weight (no rail, no added load,
    // no lateral-torsional or plate buckling, no notch cases) with only the
    // given checks, and one crane of one axle whose wheel load F stands in
    // the two load groups given, with every dynamic factor 1.0, at the left
    // support, at midspan and at the right support.
    void OneAxleRunway(std::initializer_list<int> checks, int group1, int group2) {
        moddatatest::MakeCraneRunway(d_, kL);
        d_.m_hDoc = doc_;
        d_.m_notchCases.clear();
        d_.m_rail.m_iTyp = 0;  // no rail: the self weight is the girder's
        d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
        d_.m_craneSettings.m_bDecReactions = 0;
        d_.m_craneSettings.m_LTBEnabled = 0;
        d_.m_craneSettings.m_bBuckling = 0;
        for (int c = 0; c < 5; ++c)
            d_.m_craneSettings.m_checkEnabled[c] = std::find(checks.begin(), checks.end(), c) != checks.end();
        CCrane& c = d_.m_cranes[0];
        cranetest::MakeOneAxle(c);
        cranetest::SetWheelLoad(c, 0, group1, 2, kF);
        cranetest::SetWheelLoad(c, 0, group2, 2, kF);
        d_.m_cranePositions = {0.0, kL / 2, kL};
    }
};

TEST_F(CraneRunKernel, SingleSpanMomentReactionAndDeflection) {
    // One axle, F = Qc + Qh = 25 + 45 kN with every dynamic factor 1.0, in
    // group 1 (ultimate) and group 11 (serviceability); no horizontal load.
    OneAxleRunway({0, 3}, 0, 10);

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;

    // g of the girder: A gamma, HEB 300 with A = 149.1 cm² and Iy = 25170 cm⁴
    // (profile tables), steel 78.5 kN/m³, E = 210000 N/mm².
    const double g = 149.1e-4 * 78.5;
    const double EI = 210000e3 * 25170e-8;  // kN m²
    // Ed = 1.35 (G + Q) for a crane action (EN 1990 6.10, EN 1991-3 A.1):
    // the largest midspan moment with the wheel at midspan.
    EXPECT_NEAR(AtX(d_.m_craneResults[0], kL / 2, crane_ids::kNormalForce + 4),
                1.35 * (g * kL * kL / 8 + kF * kL / 4), 0.05);
    // The characteristic support reaction with the wheel over support A,
    // exported as "A_max_Az".
    double az = 0.0;
    ASSERT_TRUE(FindExport(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc_), "exports"), "A_max_Az", az));
    EXPECT_NEAR(az, g * kL / 2 + kF, 0.05);
    // Serviceability: the midspan deflection 5 g L^4 / (384 EI) + F L^3 /
    // (48 EI), in mm.
    const double w = 1000.0 * (5 * g * std::pow(kL, 4) / (384 * EI) + kF * std::pow(kL, 3) / (48 * EI));
    EXPECT_NEAR(std::fabs(AtX(d_.m_craneResults[3], kL / 2, crane_ids::kDisplacementY)), w, 0.01 * w);
    // The check summary is the message.
    EXPECT_NE(d_.m_strMessage.find("Tragsicherheit S/V"), std::string::npos) << d_.m_strMessage;
    EXPECT_NE(d_.m_strMessage.find("Gebrauchstauglichkeit"), std::string::npos) << d_.m_strMessage;
}

// Buffer forces (group 9) and tilting force (group 10) are accidental actions
// of their own (EN 1990 6.4.3.3, EN 1991-3 Table 2.2): with both groups giving
// the same wheel load F at the same place, the accidental check's moment and
// reaction are those of one group, Ed,A = G + A (EN 1990 6.11b, gamma 1.0),
// not of both together.
TEST_F(CraneRunKernel, AccidentalGroupsActOneAtATime) {
    OneAxleRunway({1}, 8, 9);

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;
    const double g = 149.1e-4 * 78.5;  // HEB 300, kN/m
    EXPECT_NEAR(AtX(d_.m_craneResults[1], kL / 2, crane_ids::kNormalForce + 4), g * kL * kL / 8 + kF * kL / 4, 0.05);
    double az = 0.0;
    ASSERT_TRUE(FindExport(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc_), "exports"), "A_max_Az", az));
    EXPECT_NEAR(az, g * kL / 2 + kF, 0.05);
}

// The fatigue check through the whole calculation: a single span of 8 m
// (HEB 300 without rail, fork supports), one crane of class S7 with two
// axles 3 m apart and the fatigue wheel load P = 50 kN on each, standing
// with its axles at 0/3, 1/4, 2/5, 4/7 and 5/8 m. One check point on the
// bottom flange at the web (outer face h / 2 = 150 mm below the centroid;
// detail category 125, normal stresses, gamma_Mf 1.15).
// Influence line of the moment at x of a simply supported span:
// eta(xi) = xi (L - x) / L left of x, x (L - xi) / L right of it.
//   midspan (x = 4): axles 1/4 or 4/7: P (0.5 + 2.0) = 125.0 kNm, the
//   largest; the crane off the girder: 0.
//   quarter point (x = 2): axles 2/5: P (1.5 + 0.75) = 112.5 kNm; off: 0.
// The range of a crane passage runs from the girder without the crane
// (EN 1991-3 2.12.1, EN 1993-6 9.3, EN 1993-1-9 1.3.2), the permanent part
// cancels: Delta sigma = M z / Iy with Iy = 25170 cm⁴ (profile tables);
// lambda_sigma = 1.0 for S7 (EN 1991-3 Table 2.12), utilisation
// gamma_Mf Delta sigma_E,2 / Delta sigma_C (EN 1993-1-9 eq. 8.2).
// (The positions alone give 75 .. 125 kNm at midspan: the range was 50
// where it is 125.)
TEST_F(CraneRunKernel, FatigueRangeRunsFromTheGirderWithoutTheCrane) {
    constexpr double kP = 50.0, kSpacing = 3.0, kIy = 25170.0, kZ = 15.0, kGammaMf = 1.15, kCategory = 125.0;
    moddatatest::MakeCraneRunway(d_, kL);
    d_.m_hDoc = doc_;
    d_.m_sections[0].m_gamma_mf = kGammaMf;
    d_.m_rail.m_iTyp = 0;
    d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
    d_.m_craneSettings.m_loadEcc.SetValue(0.0);
    d_.m_craneSettings.m_LTBEnabled = 0;
    d_.m_craneSettings.m_bBuckling = 0;
    for (int c = 0; c < 5; ++c) d_.m_craneSettings.m_checkEnabled[c] = c == 4;
    CCrane& c = d_.m_cranes[0];
    c.m_BGruppe = 7;
    c.m_numOfAxis = 2;
    c.SetAxisCount();
    c.AxisValue(0, 0)->SetValue(0.0);
    c.AxisValue(1, 0)->SetValue(kSpacing);
    for (CFormulaValue& v : c.m_wheelLoads) v.SetValue(0.0);
    for (int a = 0; a < 2; ++a) cranetest::SetWheelLoad(c, a, 18, 2, kP);
    CNotchCase p;
    p.Reset();
    p.m_strName = "Untergurt";
    p.m_tqe = 3;
    p.m_idx.SetValue(0.0);
    p.m_iKerbGruppe = 11;  // 125
    p.m_iSpTyp = 0;
    d_.m_notchCases = {p};
    // Crane centres: the axles lie 1.5 m either side.
    d_.m_cranePositions = {1.5, 2.5, 3.5, 5.5, 6.5};

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;
    const CResultTable& fat = d_.m_fatResults[0];
    ASSERT_TRUE(fat.IsValid());
    struct Row {
        double x, moment;
    } const rows[] = {{kL / 2, kP * 2.5}, {kL / 4, kP * 2.25}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.x);
        const double range = 10.0 * row.moment * 100.0 * kZ / kIy;  // N/mm²
        const double sMax = cranetest::ValueAt(fat, 1, row.x, 34), sMin = cranetest::ValueAt(fat, 0, row.x, 34);
        EXPECT_NEAR(sMax - sMin, range, 0.01 * range);
        EXPECT_NEAR(std::min(std::fabs(sMax), std::fabs(sMin)), 0.0, 1e-6);
        const double util = kGammaMf * 1.0 * range / kCategory;
        EXPECT_NEAR(cranetest::ValueAt(fat, 1, row.x, 39), util, 0.01 * util);
        EXPECT_NEAR(cranetest::ValueAt(d_.m_craneResults[4], 1, row.x, 39), util, 0.01 * util);
    }
    // The detail table keeps the governing place: the largest moment by the
    // influence lines over the nodes of the table and the positions (the
    // axles at 2 and 5 m give 131.25 kNm at 5 m, more than at midspan).
    const std::vector<double> axles[] = {{0, 3}, {1, 4}, {2, 5}, {4, 7}, {5, 8}};
    double governing = 0.0, at = -1.0;
    for (double x : fat.GetXData()) {
        for (const std::vector<double>& pair : axles) {
            double m = 0.0;
            for (double xi : pair) m += kP * (xi <= x ? xi * (kL - x) : x * (kL - xi)) / kL;
            if (m > governing + 1e-9) {
                governing = m;
                at = x;
            }
        }
    }
    ASSERT_NEAR(governing, kP * 2.625, 1e-9);
    const double* rec = d_.m_fatDetail.Record(0, 0, 0);
    ASSERT_NE(rec, nullptr);
    const double range = 10.0 * governing * 100.0 * kZ / kIy;
    EXPECT_NEAR(rec[0], at, 1e-6);
    EXPECT_NEAR(rec[3], 1.0, 1e-9);  // lambda_sigma of S7
    EXPECT_NEAR(rec[7], range, 0.01 * range);
    EXPECT_NEAR(rec[23], kGammaMf * range / kCategory, 0.01 * kGammaMf * range / kCategory);
}

// The default positions find the governing one: a single span of 8 m
// (HEB 300, fork supports, its self weight g), one crane with two axles
// e = 2 m apart, P = 100 kN on each in group 1 (ultimate). The largest
// moment of two equal moving loads stands under one wheel when midspan
// halves the distance between that wheel and the resultant: the wheel at
// L/2 - e/4 = 3.5 m, max M = 2P (L/2 - e/4)² / L = P (L - e/2)² / (2L)
// = 306.25 kNm, with g x (L - x) / 2 of the self weight there; Ed = 1.35
// (G + Q) (EN 1990 6.10, EN 1991-3 A.1). The field is divided into
// (14 & ~1) + 2 = 16 elements, so 3.5 m is a node. The positions of the
// candidate points and the crane train alone put a wheel at midspan at
// best: 1.35 (g L² / 8 + 3P) = 417.6 kNm, 2 % less.
TEST_F(CraneRunKernel, DefaultPositionsFindTheLargestMoment) {
    constexpr double kP = 100.0, kE = 2.0;
    moddatatest::MakeCraneRunway(d_, kL);
    d_.m_hDoc = doc_;
    d_.m_notchCases.clear();
    d_.m_rail.m_iTyp = 0;
    d_.m_sections[0].m_nTeilung = 14;
    d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
    d_.m_craneSettings.m_loadEcc.SetValue(0.0);
    d_.m_craneSettings.m_LTBEnabled = 0;
    d_.m_craneSettings.m_bBuckling = 0;
    for (int c = 0; c < 5; ++c) d_.m_craneSettings.m_checkEnabled[c] = c == 0;
    ASSERT_EQ(d_.m_craneSettings.m_craneMaxDist.GetValue(), 0.0);
    CCrane& c = d_.m_cranes[0];
    c.m_numOfAxis = 2;
    c.SetAxisCount();
    c.AxisValue(0, 0)->SetValue(0.0);
    c.AxisValue(1, 0)->SetValue(kE);
    for (CFormulaValue& v : c.m_wheelLoads) v.SetValue(0.0);
    for (int a = 0; a < 2; ++a) cranetest::SetWheelLoad(c, a, 0, 2, kP);
    GenerateCranePositions(d_);
    ASSERT_FALSE(d_.m_cranePositions.empty());

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;
    const CResultTable& env = d_.m_craneResults[0];
    double largest = 0.0, at = -1.0;
    for (int i = 0; i < env.GetNumNodes(); ++i) {
        const double m = env.GetValue(1, i, crane_ids::kNormalForce + 4);
        if (m > largest) {
            largest = m;
            at = env.GetXData()[static_cast<size_t>(i)];
        }
    }
    // g of the girder: A gamma, HEB 300 with A = 149.1 cm² (profile tables),
    // steel 78.5 kN/m³.
    const double g = 149.1e-4 * 78.5, x = kL / 2 - kE / 4;
    const double hand = 1.35 * (g * x * (kL - x) / 2 + kP * (kL - kE / 2) * (kL - kE / 2) / (2 * kL));
    EXPECT_NEAR(largest, hand, 0.05);
    EXPECT_NEAR(std::fabs(at - kL / 2), kE / 4, 1e-6);
}

// A fatigue check with nothing to check (points placed automatically, but
// none there) is not proven, with its reason, in the document, the message
// and the verdict; it is never called fulfilled.
TEST_F(CraneRunKernel, FatigueWithoutCheckPointsIsNotProven) {
    moddatatest::MakeCraneRunway(d_, kL);
    d_.m_hDoc = doc_;
    d_.m_notchCases.clear();
    d_.m_rail.m_iTyp = 0;
    d_.m_craneSettings.m_autoPOI = 1;
    d_.m_craneSettings.m_LTBEnabled = 0;
    d_.m_craneSettings.m_bBuckling = 0;
    for (int c = 0; c < 5; ++c) d_.m_craneSettings.m_checkEnabled[c] = c == 4;
    CCrane& c = d_.m_cranes[0];
    cranetest::MakeOneAxle(c);
    cranetest::SetWheelLoad(c, 0, 18, 2, kF);
    d_.m_cranePositions = {0.0, kL / 2, kL};

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;
    EXPECT_TRUE(d_.m_bFatigueUnproven);
    EXPECT_EQ(d_.m_fatigueUnprovenReason, "es gibt keine aktiven Nachweispunkte");
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc_), "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZEVUD_GetInt(result, "kranErmNichtNachgewiesen"), 1);
    EXPECT_EQ(zevud::GetString(result, "kranErmGrund"), "es gibt keine aktiven Nachweispunkte");
    EXPECT_NE(d_.m_strMessage.find("nicht nachgewiesen"), std::string::npos) << d_.m_strMessage;
    EXPECT_NE(d_.m_strMessage.find("es gibt keine aktiven Nachweispunkte"), std::string::npos) << d_.m_strMessage;
}

// The extreme support reactions by crane position, per check: a single span
// of 8 m (HEB 300, fork supports, self weight g) and one crane of one axle
// with F = 70 kN (groups 1 and 11) standing over support A, at midspan and
// over support B. The characteristic reaction at a support is g L / 2 under
// the self weight and F more with the wheel over it (influence line 1 there,
// 0 at the other support): max Az(A) = F + g L / 2 at crane position 1,
// max Az(B) at position 3, min Az = g L / 2 with no crane share. The
// results go into the document and come back from it.
TEST_F(CraneRunKernel, ExtremeReactionsByCranePositionPerCheck) {
    OneAxleRunway({0, 3}, 0, 10);

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;
    const double g = 149.1e-4 * 78.5;  // HEB 300, kN/m
    constexpr int kMaxAz = 2, kMinAz = 8;
    auto at = [](int support, int extreme, int group) { return (12 * support + extreme) * 4 + group; };
    CModuleData back;
    back.Init();
    back.ReadData(doc_);
    for (const CModuleData* m : {&d_, &back}) {
        SCOPED_TRACE(m == &d_ ? "calculated" : "read back");
        for (int check : {0, 3}) {
            SCOPED_TRACE(check);
            const CCraneReactions& t = m->m_checkReactions[static_cast<size_t>(check)];
            ASSERT_EQ(t.nAufl, 2);
            EXPECT_NEAR(t.xCoords[1], kL, 1e-9);
            for (int support : {0, 1}) {
                SCOPED_TRACE(support);
                EXPECT_NEAR(t.table[2][at(support, kMaxAz, 0)], kF + g * kL / 2, 0.05);
                EXPECT_EQ(t.pos[12 * support + kMaxAz], support == 0 ? 0 : 2);
                // The crane's load case in that state (at most 9 characters).
                EXPECT_STREQ(t.labels[at(support, kMaxAz, 1)], check == 0 ? "K1.ULS1" : "K1.SLS11A");
                EXPECT_NEAR(t.table[2][at(support, kMinAz, 0)], g * kL / 2, 0.05);
                // The other components of the state that gave max Az.
                EXPECT_NEAR(t.table[0][at(support, kMaxAz, 0)], 0.0, 1e-6);
            }
            EXPECT_EQ(m->m_checkReactions[1].nAufl, 0) << "check 1 did not run";
        }
    }
}

// A two-span girder (2 x 6 m, HEB 300) under one moving wheel F = 100 kN,
// against the influence lines of the continuous beam of two equal spans
// (three-moment equation): a load at a in span 1 (b = L - a) gives
// M_B = -F a b (L + a) / (4 L^2), so R_C = M_B / L (uplift, largest at
// a = L / sqrt(3): -F / (6 sqrt(3))) and R_B = F a / L - 2 M_B / L (F over B).
// The self weight gives 3 g L / 8 at the end supports and 10 g L / 8 at B.
TEST_F(CraneRunKernel, TwoSpanReactionsFollowTheInfluenceLines) {
    constexpr double kSpan = 6.0, kLoad = 100.0;
    moddatatest::MakeCraneRunway(d_, kSpan);
    d_.m_fieldLengths.emplace_back(kSpan);
    d_.m_supports.push_back(moddatatest::ForkSupport(false));
    d_.m_sections.push_back(d_.m_sections[0]);
    d_.m_hDoc = doc_;
    d_.m_notchCases.clear();
    d_.m_rail.m_iTyp = 0;
    d_.m_craneSettings.m_craneAddLoad.SetValue(0.0);
    d_.m_craneSettings.m_bDecReactions = 0;
    d_.m_craneSettings.m_LTBEnabled = 0;
    d_.m_craneSettings.m_bBuckling = 0;
    for (int c = 0; c < 5; ++c) d_.m_craneSettings.m_checkEnabled[c] = c == 0;
    CCrane& c = d_.m_cranes[0];
    cranetest::MakeOneAxle(c);
    cranetest::SetWheelLoad(c, 0, 0, 2, kLoad);
    const double a1 = kSpan / std::sqrt(3.0);
    d_.m_cranePositions = {1.0, a1, 3.0, kSpan, 9.0, 2 * kSpan - a1, 2 * kSpan};

    const CRecalcResult r = d_.Recalc(0, 0);
    ASSERT_EQ(r.bCalculated, 1) << d_.m_strMessage;
    const double g = 149.1e-4 * 78.5;  // HEB 300, kN/m
    const double uplift = kLoad / (6 * std::sqrt(3.0));
    auto at = [](int support, int extreme) { return (12 * support + extreme) * 4; };
    const CCraneReactions& t = d_.m_checkReactions[0];
    ASSERT_EQ(t.nAufl, 3);
    EXPECT_NEAR(t.xCoords[1], kSpan, 1e-9);
    EXPECT_NEAR(t.xCoords[2], 2 * kSpan, 1e-9);
    struct Row {
        int support, extreme;
        double value;
        int position;
    } const rows[] = {
        {1, 2, 10 * g * kSpan / 8 + kLoad, 3},   // max Az(B): F over B
        {2, 2, 3 * g * kSpan / 8 + kLoad, 6},    // max Az(C): F over C
        {2, 8, 3 * g * kSpan / 8 - uplift, 1},   // min Az(C): F at L / sqrt(3) in span 1
        {0, 8, 3 * g * kSpan / 8 - uplift, 5},   // min Az(A): F at L / sqrt(3) from C in span 2
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "support " << row.support << " extreme " << row.extreme);
        EXPECT_NEAR(t.table[2][at(row.support, row.extreme)], row.value, 0.05);
        EXPECT_EQ(t.pos[12 * row.support + row.extreme], row.position);
    }
    // No position puts F over A: its largest reaction with F at 1.0 m,
    // R_A = F b / L + M_B / L.
    const double a = 1.0, b = kSpan - a;
    const double mb = -kLoad * a * b * (kSpan + a) / (4 * kSpan * kSpan);
    EXPECT_NEAR(t.table[2][at(0, 2)], 3 * g * kSpan / 8 + kLoad * b / kSpan + mb / kSpan, 0.05);
    EXPECT_EQ(t.pos[2], 0);
}

}  // namespace
