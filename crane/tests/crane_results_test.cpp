// Crane results after the superposition: node stresses, the envelope of the
// local wheel-load values, plate buckling per field and the extremal export.
#include <gtest/gtest.h>

#include <cmath>

#include "crane/CraneOperations.h"
#include "crane/CraneResults.h"
#include "crane/tests/crane_fixture.h"
#include "formula/Exports.h"
#include "platform/ferrum/plate_buckling.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

using namespace crane_ids;

namespace {

// A work table of one load case over the fixed ids, nodes at x = 0, 1, ...
CResultTable ForcesTable(int nodes) {
    CResultTable t;
    t.Init(1, nodes, kFixedIds);
    for (int i = 0; i < nodes; ++i) t.m_xPos[static_cast<size_t>(i)] = i;
    return t;
}

// The stress-point block: per node the given coefficient groups.
void SetStressPoints(CModuleData& d, int nodes, const std::vector<double>& groups) {
    d.m_stressPoints = CResultTable();
    d.m_stressPoints.Init(1, nodes, static_cast<int32_t>(groups.size()));
    for (int i = 0; i < nodes; ++i)
        for (size_t k = 0; k < groups.size(); ++k)
            d.m_stressPoints.SetValue(0, i, static_cast<int32_t>(k), groups[k]);
}

}  // namespace

TEST(CraneNodeStresses, NormalAndShearStressFromTheUnitStresses)
{
    CModuleData d;
    // One stress point: e0 = 0.02 cm⁻² (1/A), e1 = 0.001 cm⁻³ (z/Iy): N = 100
    // kN, My = 40 kNm = 4000 kNcm: 0.02 x 100 + 0.001 x 4000 = 6 kN/cm² =
    // 60 N/mm². A second point with e1 = -0.004 and a shear coefficient
    // e5 = 0.05 cm⁻² (Vy): -0.004 x 4000 + 2 = -14 kN/cm², tau = 0.05 x 20 =
    // 1 kN/cm².
    SetStressPoints(d, 2, {0.02, 0.001, 0, 0, 0, 0, 0, 0.02, -0.004, 0, 0, 0, 0.05, 0});
    CResultTable t = ForcesTable(2);
    for (int i = 0; i < 2; ++i) {
        t.SetValue(0, i, kNormalForce, 100.0);
        t.SetValue(0, i, kNormalForce + 1, 20.0);
        t.SetValue(0, i, kNormalForce + 4, 40.0);
    }
    CalcNodeStresses(d, t, 0);
    EXPECT_NEAR(t.GetValue(0, 1, kMaxSigma), 60.0, 1e-9);
    EXPECT_NEAR(t.GetValue(0, 1, kMinSigma), -140.0, 1e-9);
    EXPECT_NEAR(t.GetValue(0, 1, kMaxTau), 10.0, 1e-9);

    // All stresses negative: the largest stays 0 (the extremes start at 0).
    SetStressPoints(d, 2, {0.02, 0.001, 0, 0, 0, 0, 0});
    CResultTable c = ForcesTable(2);
    c.SetValue(0, 0, kNormalForce, -100.0);
    CalcNodeStresses(d, c, 0);
    EXPECT_EQ(c.GetValue(0, 0, kMaxSigma), 0.0);
    EXPECT_NEAR(c.GetValue(0, 0, kMinSigma), -20.0, 1e-9);
}

TEST(CraneNodeStresses, NothingWithoutForcesStressIdsOrMatchingNodes)
{
    CModuleData d;
    SetStressPoints(d, 2, {0.02, 0, 0, 0, 0, 0, 0});
    struct Case {
        int nodes;
        int32_t absent;
    };
    for (const Case& k : {Case{3, -1}, Case{2, kNormalForce}, Case{2, kMinSigma}}) {
        CResultTable t;
        std::vector<int32_t> idx(kFixedIds, 0);
        if (k.absent >= 0) idx[static_cast<size_t>(k.absent)] = -1;
        t.m_valIdx = idx;
        t.Init(1, k.nodes, kFixedIds);
        for (int i = 0; i < k.nodes; ++i) t.SetValue(0, i, kNormalForce, 100.0);
        CalcNodeStresses(d, t, 0);
        for (int i = 0; i < k.nodes; ++i) EXPECT_EQ(t.GetValue(0, i, kMaxSigma), 0.0) << k.nodes << " " << k.absent;
    }
}

TEST(CraneEnvelope, LocalValuesTakeTheirLargestMagnitude)
{
    CModuleData d;
    d.m_notchCases.resize(2);
    d.m_notchCases[0].m_iPlace = 2;  // carries local wheel-load values
    d.m_notchCases[1].m_iPlace = 0;
    auto fill = [](CResultTable& t) {
        t.Init(2, 3, PointValue(2, 0));
        const double curve[3] = {-3, 2, 1};
        for (int u = 0; u < 2; ++u)
            for (int k : {2, 3})
                for (int slot : {0, 1}) t.SetRow(slot, PointValue(u, k), curve, 0, 1);
    };
    fill(d.m_craneResults[4]);
    for (CResultTable& f : d.m_fatResults) fill(f);
    ApplyMaxAbsEnvelope(d, 4);
    for (const CResultTable* t : {&d.m_craneResults[4], &d.m_fatResults[0], &d.m_fatResults[2]})
        for (int slot : {0, 1})
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(t->GetValue(slot, i, PointValue(0, 2)), -3.0);
                EXPECT_EQ(t->GetValue(slot, i, PointValue(0, 3)), -3.0);
            }
    // A point of kind 0 keeps its curves.
    EXPECT_EQ(d.m_craneResults[4].GetValue(1, 1, PointValue(1, 2)), 2.0);
    // Outside check 4 the fatigue tables stay.
    fill(d.m_craneResults[0]);
    fill(d.m_fatResults[1]);
    ApplyMaxAbsEnvelope(d, 0);
    EXPECT_EQ(d.m_craneResults[0].GetValue(0, 1, PointValue(0, 2)), -3.0);
    EXPECT_EQ(d.m_fatResults[1].GetValue(0, 1, PointValue(0, 2)), 2.0);
}

namespace {

// The exported values below "exports" as "path|varName|value|unit" lines.
void Collect(ZVELEM e, const std::string& path, std::vector<std::string>& out)
{
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        const std::string name = zevud::GetElementName(c);
        if (name == "folder") Collect(c, path + zevud::GetString(c, "desc") + "\\", out);
        else if (name == "value")
            out.push_back(path + "|" + zevud::GetString(c, "varName") + "|" +
                          winsys::FormatC("%g", ZEVUD_GetDouble(c, "val")) + "|" + zevud::GetString(c, "unit"));
    }
}

std::vector<std::string> Export(int check, int id, const std::vector<float>& triples, const std::vector<double>& xs)
{
    const ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM exports = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "exports");
    CResultSet set;
    set.m_type = 3;
    set.m_data = triples;
    ExportExtremalValues(exports, check, id, set, xs);
    std::vector<std::string> out;
    Collect(exports, "", out);
    ZEVUD_CloseDoc(doc);
    return out;
}

}  // namespace

TEST(CraneExtremalExport, OneLetterPerRestrainedSupport)
{
    const std::vector<double> xs = {0.0, 6.0, 14.0};
    // Az of check 1: max 5.0 at the second support.
    EXPECT_EQ(Export(1, 20, {0, 0, 0, 6, 5.0f, 0.002f, 14, 0.005f, -0.005f}, xs),
              (std::vector<std::string>{"Extremal\\Trag A\\B\\|B_max_Az|5|kN"}));
    // Ax of check 0 at the first support (0.02 exported); ids above 20 in kNm.
    EXPECT_EQ(Export(0, 18, {0, 0.02f, -1, 6, 0, 0}, xs),
              (std::vector<std::string>{"Extremal\\A\\|A_max_Ax|0.02|kN", "Extremal\\A\\|A_min_Ax|-1|kN"}));
    EXPECT_EQ(Export(2, 22, {14, 3, 0}, xs),
              (std::vector<std::string>{"Extremal\\Trag Prüflast\\C\\|C_max_My|3|kNm"}));
    // A first support without the component: the second is still "B".
    EXPECT_EQ(Export(0, 18, {0, 0, 0, 6, 2, 0}, xs), (std::vector<std::string>{"Extremal\\B\\|B_max_Ax|2|kN"}));
    // No export for check 3 or a value id that is no reaction.
    EXPECT_TRUE(Export(3, 20, {0, 5, 0}, xs).empty());
    EXPECT_TRUE(Export(0, 17, {0, 5, 0}, xs).empty());
    // The 27th restrained support is "AA".
    std::vector<double> many;
    for (int k = 0; k < 28; ++k) many.push_back(k);
    EXPECT_EQ(Export(0, 20, {26, 1, 0}, many), (std::vector<std::string>{"Extremal\\AA\\|AA_max_Az|1|kN"}));
    EXPECT_EQ(SupportLetters(26), "Z");
    EXPECT_EQ(SupportLetters(28), "AB");
    EXPECT_EQ(SupportLetters(52), "AZ");
    EXPECT_EQ(SupportLetters(53), "BA");
}

TEST(CraneExtremalExport, RestrainedSupportsAtTheFieldEnds)
{
    CModuleData d;
    cranetest::MakeGirder(d, 6.0);
    d.m_fieldLengths.emplace_back(8.0);
    d.m_supports.resize(3);
    d.m_supports[0].m_cz = CFormulaValue(-1.0);
    d.m_supports[2].m_cy = CFormulaValue(500.0);
    EXPECT_EQ(GetRestrainedSupportX(d), (std::vector<double>{0.0, 14.0}));
}

namespace {

// The girder of the fixture in one field of 8 m with the plate table sized
// for 3 plates and 3 checks; the web (plate 2) in check 0 with a normal
// stress state and a shear stress state.
struct BucklingGirder {
    CModuleData d;
    BucklingGirder()
    {
        cranetest::MakeGirder(d, 8.0);
        d.m_bucklFields = {1, 5};
        PrepareSteelCheckSections(d);
        d.m_bucklRes.Init(3, 3, {8.0});
        const double sigmaState[7] = {2, -100, -100, 20, 160, 0, 0};
        const double tauState[7] = {2, -20, -20, 150, 160, 0, 0};
        d.m_bucklRes.StoreSigma(2, -100.0, 4.0, sigmaState, 0, 0);
        d.m_bucklRes.StoreTau(2, 150.0, 1.0, tauState, 0, 0);
    }
    // The library's utilisation of a state under the crane's first axle.
    double Direct(const std::vector<double>& state)
    {
        FER_VaduLocalInput in;
        FillVaduLocalInput(d.m_cranes[0], d, in, 0, 0, 1);
        FER_PlateBucklingResult r{};
        FER_hCalc_PlateBuckling_RedStress(d.m_steelSections.GetSteelCheckSectionHandle(state[0]), 5, 235.0,
                                          state.data(), 800.0, 0, 0, &in, nullptr, &r);
        return r.utilisation;
    }
};

}  // namespace

TEST(CranePlateBuckling, GoverningStateAndFlangeInducedBuckling)
{
    BucklingGirder g;
    CalcPlateBuckling(g.d);
    const CPlateStressTable& t = g.d.m_bucklRes;
    const long e = t.Entry(0, 0, 2);
    const double fromSigma = g.Direct({4.0, 2, -100, -100, 20, 160, 0, 0});
    const double fromTau = g.Direct({1.0, 2, -20, -20, 150, 160, 0, 0});
    ASSERT_GT(fromTau, fromSigma);
    EXPECT_NEAR(t.m_util[static_cast<size_t>(e)], fromTau, 1e-12);
    EXPECT_EQ(t.m_maxFrom[static_cast<size_t>(e)], 1);
    // EN 1993-1-5 8: hw/tw = 62.5/1.2, Aw = Afc = 75 cm²: 52.08 / (0.55 x
    // 210000/235) = 0.1060.
    EXPECT_NEAR(t.m_utilFib[0], 0.1060, 0.0001);
    EXPECT_GT(t.m_utilFy[0], 0.0);
    // Checks whose groups the crane has none of, and plates never stored,
    // stay 0.
    EXPECT_EQ(t.m_util[static_cast<size_t>(t.Entry(0, 1, 2))], 0.0);
    EXPECT_EQ(t.m_util[static_cast<size_t>(t.Entry(0, 0, 0))], 0.0);
}

TEST(CranePlateBuckling, DisabledPlateIsNotChecked)
{
    BucklingGirder g;
    g.d.m_bucklRes.m_plateEnabled[2] = 0;
    CalcPlateBuckling(g.d);
    for (double u : g.d.m_bucklRes.m_util) EXPECT_EQ(u, 0.0);
    EXPECT_EQ(g.d.m_bucklRes.m_utilFib[0], 0.0);
}

TEST(CranePlateBuckling, CurvesPerEnabledPlateTwoPointsPerField)
{
    CModuleData d;
    d.m_craneSettings.m_checkEnabled[0] = 1;
    d.m_craneSettings.m_checkEnabled[1] = 0;
    CPlateStressTable& t = d.m_bucklRes;
    ASSERT_TRUE(t.Init(3, 3, {6.0, 8.0}));
    t.m_plateEnabled = {1, 0, 1};
    t.m_util[static_cast<size_t>(t.Entry(0, 0, 0))] = 0.5;
    t.m_util[static_cast<size_t>(t.Entry(1, 0, 0))] = 0.8;
    t.m_util[static_cast<size_t>(t.Entry(0, 0, 2))] = 0.9;
    t.m_util[static_cast<size_t>(t.Entry(0, 0, 1))] = 7.0;  // a plate not enabled
    t.m_utilFib[3] = 0.25;                                   // field 1, check 0
    std::vector<CResultSet> list;
    AddPlateBucklingResults(d, 0, list);
    std::vector<std::string> titles;
    for (const CResultSet& r : list) titles.push_back(r.m_strTitle);
    EXPECT_EQ(titles, (std::vector<std::string>{"Tragsicherheit S/V\\Beulen\\Blech-1\\Ausnutzung",
                                                "Tragsicherheit S/V\\Beulen\\Blech-3\\Ausnutzung",
                                                "Tragsicherheit S/V\\Beulen\\Ausnutzung",
                                                "Tragsicherheit S/V\\Beulen\\Durch Flansch induziertes Beulen",
                                                "Tragsicherheit S/V\\Beulen\\Quetschgrenze"}));
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].m_data, (std::vector<float>{0, 0.5f, 6, 0.5f, 6, 0.8f, 14, 0.8f}));
    EXPECT_EQ(list[0].m_nDigits, 2);
    EXPECT_EQ(list[0].m_strName, "Ausnutzung");
    EXPECT_EQ(list[2].m_data, (std::vector<float>{0, 0.9f, 6, 0.9f, 6, 0.8f, 14, 0.8f}));
    EXPECT_EQ(list[3].m_data, (std::vector<float>{0, 0, 6, 0, 6, 0.25f, 14, 0.25f}));
    // A check that is not enabled, and check 3, get none.
    list.clear();
    AddPlateBucklingResults(d, 1, list);
    d.m_craneSettings.m_checkEnabled[3] = 1;
    AddPlateBucklingResults(d, 3, list);
    EXPECT_TRUE(list.empty());
}
