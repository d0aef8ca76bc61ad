// The superposition of a crane-runway run: a kernel result written by hand
// (three member nodes at x 0, 4 and 8 m, element ends 0, 4, 4, 8), combined
// through the real load-combination library.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "crane/CraneOperations.h"
#include "crane/CraneResults.h"
#include "crane_fixture.h"
#include "module/ModuleData.h"
#include "platform/combor/combor.h"
#include "platform/zevud/conveniences.h"

using namespace crane_ids;

namespace {

constexpr int kMy = 15, kAz = 20;

// A position with the kernel's "result" element, two supports at x 0 and 8.
class Superposition : public ::testing::Test {
protected:
    void SetUp() override {
        doc_ = ZEVUD_CreateDoc("");
        d_.m_hDoc = doc_;
        d_.m_strProgName = "VADU";
        d_.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(8.0)};
        d_.m_supports.resize(2);
        for (CSupport& s : d_.m_supports) s.m_cz = CFormulaValue(-1.0);
        CSection s;
        s.m_strength = 235.0;
        s.m_gamma_m = 1.0;
        d_.m_sections = {s};
        d_.m_cranes.clear();
        NewResult();
    }
    void TearDown() override { ZEVUD_CloseDoc(doc_); }

    void NewResult() {
        ZVELEM root = ZEVUD_GetRootElement(doc_);
        result_ = zevud::ReplaceChild(root, "result");
        // One stress point per node: e0 = 0.02 cm⁻², e1 = 0.001 cm⁻³.
        ZVELEM esp = ZEVUD_AddChildElement(result_, "esp");
        ZEVUD_SetInt(esp, "numOfValues", 7);
        ZEVUD_SetInt(esp, "numOfNodes", 3);
        std::vector<double> e;
        for (int i = 0; i < 3; ++i) e.insert(e.end(), {0.02, 0.001, 0, 0, 0, 0, 0});
        zevud::SetDoubles(esp, "esp", e);
    }
    // A series of load case lc (-1: envelope triples x, max, min).
    void Series(const std::string& title, int lc, int resType, const std::vector<float>& data, int type = 0) {
        ZVELEM e = ZEVUD_AddChildElement(result_, "s");
        ZEVUD_SetString(e, "title", title.c_str());
        ZEVUD_SetInt(e, "type", type);
        if (lc > 0) ZEVUD_SetInt(e, "lkNr", lc);
        ZEVUD_SetInt(e, "resType", resType);
        ZEVUD_SetInt(e, "dataLength", static_cast<int>(data.size()) / (type == 0 ? 2 : 3));
        zevud::SetFloats(e, "data", data);
    }
    // My at the element ends, Az at the nodes.
    void LoadCase(int lc, float my, float az) {
        Series("My", lc, 0x1004, {0, 0, 4, my, 4, my, 8, 0});
        Series("Az", lc, 0x2005, {0, az, 4, 0, 8, az});
    }
    // EC with the German annex: G (load case 1, permanent) and a crane action
    // (load case 2, gamma_Q 1.35, psi0 1.0), the given design checks.
    void Combinations(std::initializer_list<int> checks) {
        cranetest::DefineTwoActionCombinations(d_, checks);
    }
    double At(const CResultTable& t, int slot, double x, int id) { return cranetest::ValueAt(t, slot, x, id); }

    const CResultSet* Find(int check, const std::string& title) {
        for (const CResultSet& r : d_.m_checkResultSets[check])
            if (r.m_strTitle == title) return &r;
        return nullptr;
    }

    CModuleData d_;
    ZVDOC doc_ = 0;
    ZVELEM result_ = 0;
    const std::vector<std::string> names_ = {"G", "K1.ULS1"};
};

}  // namespace

TEST_F(Superposition, DesignCombinationsFormTheEnvelopeCharacteristicOnesTheSecondTable) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0, 13});  // "Ed" and "AK"
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    const CResultTable& env = d_.m_craneResults[0];
    ASSERT_TRUE(env.IsValid());
    // Ed = 1.35 G + 1.35 Q (EN 1990 6.10, EN 1991-3 Table A.1): My = 40.5.
    EXPECT_NEAR(At(env, 1, 4, kMy), 1.35 * 10 + 1.35 * 20, 1e-9);
    EXPECT_NEAR(At(env, 0, 4, kMy), 40.5, 1e-9);
    // Stresses of the design combination: 10 x 0.001 x 4050 = 40.5 N/mm²,
    // equivalent stress the same, utilisation 40.5 / 235.
    EXPECT_NEAR(At(env, 1, 4, kMaxSigma), 40.5, 1e-9);
    EXPECT_EQ(At(env, 1, 4, kMinSigma), 0.0);
    EXPECT_NEAR(At(env, 1, 4, kEquivalent), 40.5, 1e-9);
    EXPECT_NEAR(At(env, 1, 4, kUtilisation), 40.5 / 235.0, 1e-12);
    // The characteristic combination G + Q only in the second table.
    const CResultTable& ak = d_.m_akResults[0];
    ASSERT_TRUE(ak.IsValid());
    EXPECT_NEAR(At(ak, 1, 4, kMy), 30.0, 1e-9);
    EXPECT_NEAR(At(ak, 1, 0, kAz), 15.0, 1e-9);
    EXPECT_NEAR(At(env, 1, 0, kAz), 1.35 * 15.0, 1e-9);
    // The positions are rated by their largest utilisation.
    EXPECT_NEAR(d_.m_positionRatings[0][0], 40.5 / 235.0, 1e-12);
    // The envelope over positions knows where the maximum came from.
    int pos, info;
    double value, x;
    ASSERT_TRUE(d_.m_summaries[0].GetAt(1, kMy, pos, value, x, info));
    EXPECT_NEAR(value, 40.5, 1e-9);
    EXPECT_NEAR(x, 4.0, 1e-6);
    // The position's envelope curve (x, maximum, minimum); no curves per
    // load case unless the check asks for them.
    const CResultSet* my = Find(0, "Tragsicherheit S/V\\Kranstellung\\1 @\\Schnittgrößen\\My");
    ASSERT_NE(my, nullptr);
    EXPECT_EQ(my->m_type, 2);
    EXPECT_EQ(my->m_strUnit, "kNm");
    EXPECT_FLOAT_EQ(my->m_max, 40.5f);
    EXPECT_EQ(Find(0, "Tragsicherheit S/V\\Kranstellung\\1 @\\Lastfall G\\Schnittgrößen\\My"), nullptr);
    // Values that are zero throughout give no curve.
    EXPECT_EQ(Find(0, "Tragsicherheit S/V\\Kranstellung\\1 @\\Schnittgrößen\\N"), nullptr);
}

// Of two series of one load case and value the first in the tree counts:
// the second My of load case 1 (99 kNm, in a folder after it) is not read.
TEST_F(Superposition, TheFirstSeriesOfALoadCaseAndValueCounts) {
    LoadCase(1, 10, 5);
    ZVELEM saved = result_;
    result_ = ZEVUD_AddChildElement(result_, "folder");
    Series("My", 1, 0x1004, {0, 0, 4, 99, 4, 99, 8, 0});
    result_ = saved;
    LoadCase(2, 20, 10);
    Combinations({0, 13});
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    EXPECT_NEAR(At(d_.m_craneResults[0], 1, 4, kMy), 1.35 * 10 + 1.35 * 20, 1e-9);
    EXPECT_NEAR(At(d_.m_akResults[0], 1, 4, kMy), 30.0, 1e-9);
}

TEST_F(Superposition, CurvesPerLoadCaseWhenTheCheckAsks) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0});
    d_.m_craneSettings.m_bOutputLC[0] = 1;
    SuperposeCraneResults(d_, 0, 1, 2, 2, names_, nullptr);
    const CResultSet* g = Find(0, "Tragsicherheit S/V\\Kranstellung\\3 @\\Lastfall G\\Schnittgrößen\\My");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->m_lkNr, 1);
    EXPECT_EQ(g->m_data, (std::vector<float>{0, 0, 4, 10, 4, 10, 8, 0}));
    const CResultSet* q = Find(0, "Tragsicherheit S/V\\Kranstellung\\3 @\\Lastfall K1.ULS1\\Auflagerreaktion\\Az");
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->m_max, 10.0f);
}

TEST_F(Superposition, EnvelopeOverPositionsAndValueIdsPerCheck) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0, 13});
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    NewResult();
    LoadCase(1, 10, 5);
    LoadCase(2, -40, 10);
    SuperposeCraneResults(d_, 0, 1, 2, 1, names_, nullptr);
    const CResultTable& env = d_.m_craneResults[0];
    EXPECT_NEAR(At(env, 1, 4, kMy), 40.5, 1e-9);
    EXPECT_NEAR(At(env, 0, 4, kMy), 1.35 * (10 - 40), 1e-9);
    int pos, info;
    double value, x;
    ASSERT_TRUE(d_.m_summaries[0].GetAt(0, kMy, pos, value, x, info));
    EXPECT_EQ(pos, 1);
    // Checks 0-2 process the ids from 11 on, check 4 the section forces only.
    EXPECT_FALSE(env.HasValue(kDisplacementY));
    Combinations({5});  // the fatigue switch: the characteristic combination
    SuperposeCraneResults(d_, 4, 1, 2, 0, {"G", "K1.FAT"}, nullptr);
    EXPECT_TRUE(d_.m_craneResults[4].HasValue(kMy));
    EXPECT_FALSE(d_.m_craneResults[4].HasValue(kAz));
    EXPECT_FALSE(d_.m_craneResults[4].HasValue(kMaxSigma));
    EXPECT_NEAR(At(d_.m_craneResults[4], 1, 4, kMy), 10 - 40, 1e-9);
    // The crane's fatigue load case feeds its fatigue table.
    ASSERT_TRUE(d_.m_fatResults[0].IsValid());
    EXPECT_NEAR(At(d_.m_fatResults[0], 0, 4, kMy), -40.0, 1e-9);
    EXPECT_FALSE(d_.m_fatResults[1].IsValid());
}

TEST_F(Superposition, ServiceabilityCombinationsReachTheEnvelope) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Series("wz", 1, 0x2001, {0, 0, 4, 8, 8, 0});
    Series("wz", 2, 0x2001, {0, 0, 4, 12, 8, 0});
    Combinations({2});  // "Ed,rare"
    SuperposeCraneResults(d_, 3, 1, 2, 0, names_, nullptr);
    const CResultTable& env = d_.m_craneResults[3];
    ASSERT_TRUE(env.IsValid());
    EXPECT_NEAR(At(env, 1, 4, kDisplacementY), 20.0, 1e-9);
    // Deflection utilisation: 20 mm against 8000/500 = 16 mm (the span
    // ratio) and 25 mm (the absolute limit): 1.25.
    EXPECT_NEAR(At(env, 1, 4, 6), 1.25, 1e-9);
    // A crane without any serviceability load case in a combination: the
    // combination is skipped.
    d_.m_cranes.resize(1);
    for (int& lc : d_.m_cranes[0].m_loadCaseNr) lc = -1;
    d_.m_craneResults[3] = CResultTable();
    SuperposeCraneResults(d_, 3, 1, 2, 0, names_, nullptr);
    EXPECT_FALSE(d_.m_craneResults[3].IsValid());
    d_.m_cranes[0].m_loadCaseNr[10] = 2;
    SuperposeCraneResults(d_, 3, 1, 2, 0, names_, nullptr);
    EXPECT_TRUE(d_.m_craneResults[3].IsValid());
}

TEST_F(Superposition, ReactionsPerSupportGroupAndDumpLines) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0});
    std::FILE* log = std::tmpfile();
    SuperposeCraneResults(d_, 0, 1, 2, 0, {"G", "K2.ULS1"}, log);
    // One line per load case and node (element end).
    std::rewind(log);
    char line[256];
    std::vector<std::string> lines;
    while (std::fgets(line, sizeof line, log)) lines.push_back(line);
    std::fclose(log);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "iCheck=0, iLC= 2, iPos= 0, i= 0, iNode= 0, Ax=   0.00, Ay=   0.00, Az=   5.00\n");
    const CCraneReactions& r = d_.m_reactions;
    EXPECT_EQ(r.nAufl, 2);
    EXPECT_EQ(r.xCoords[1], 8.0);
    // Maximum Az (extreme 2) of support 1: load case "K2.ULS1" in group 2.
    auto at = [](int support, int extreme, int group) { return (12 * support + extreme) * 4 + group; };
    EXPECT_EQ(r.table[2][at(1, 2, 2)], 10.0);
    EXPECT_STREQ(r.labels[at(1, 2, 2)], "K2.ULS1");
    EXPECT_EQ(r.table[2][at(1, 2, 0)], 5.0);
    EXPECT_STREQ(r.labels[at(1, 2, 0)], "G");
    // An equal value at a later position keeps the stored state.
    NewResult();
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    SuperposeCraneResults(d_, 0, 1, 2, 7, {"G", "K2.ULS1"}, nullptr);
    EXPECT_EQ(r.pos[12 * 1 + 2], 0);
    // No dump in the fatigue check.
    std::FILE* quiet = std::tmpfile();
    Combinations({5});
    SuperposeCraneResults(d_, 4, 1, 2, 0, names_, quiet);
    EXPECT_EQ(std::ftell(quiet), 0L);
    std::fclose(quiet);
}

TEST_F(Superposition, SupportsCloserThanAMillimetreAndTheGroupsOfNames) {
    // Two supports within 0.001 of the node at 8: the later one.
    d_.m_fieldLengths.emplace_back(0.0005);
    d_.m_supports.resize(3);
    d_.m_supports[2].m_cz = CFormulaValue(-1.0);
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0});
    SuperposeCraneResults(d_, 0, 1, 2, 0, {"K1.a K3.b", "x"}, nullptr);
    const CCraneReactions& r = d_.m_reactions;
    EXPECT_EQ(r.nAufl, 3);
    EXPECT_EQ(r.table[2][(12 * 2 + 2) * 4 + 3], 5.0);  // "K1." and "K3.": group 3
    EXPECT_EQ(r.table[2][(12 * 1 + 2) * 4 + 3], 0.0);
}

TEST(CraneReactions, StoreCutsTheNameAndKeepsTwentySupports) {
    CModuleData d;
    const double v[6] = {1, 2, 3, 4, 5, 6};
    StoreReaction(d, 19, 11, 3, v, "K1.ULS1-long-name", 4);
    const int i = (12 * 19 + 11) * 4 + 3;
    EXPECT_STREQ(d.m_reactions.labels[i], "K1.ULS1-l");  // nine characters and the end
    EXPECT_EQ(d.m_reactions.table[5][i], 6.0);
    EXPECT_EQ(d.m_reactions.pos[12 * 19 + 11], 4);
    StoreReaction(d, 20, 0, 0, v, "x", 1);  // the 21st support is not stored
    StoreReaction(d, 0, 12, 0, v, "x", 1);
    for (int c = 0; c < 6; ++c)
        for (double t : d.m_reactions.table[c]) ASSERT_TRUE(t == 0.0 || t == v[c]);
}

TEST_F(Superposition, BucklingRunsMergeIntoSlotsTwoAndThree) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0});
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    NewResult();
    Series("My", -1, 0x1004, {0, 0, 0, 4, 50, -5, 4, 50, -5, 8, 0, 0}, 2);
    SuperposeCraneResults(d_, 0, 3, 0, 0, {}, nullptr);
    const CResultTable& env = d_.m_craneResults[0];
    EXPECT_NEAR(At(env, 3, 4, kMy), 50.0, 1e-9);
    EXPECT_NEAR(At(env, 2, 4, kMy), -5.0, 1e-9);
    EXPECT_NEAR(At(env, 1, 4, kMy), 40.5, 1e-9);
    int pos, info;
    double value, x;
    ASSERT_TRUE(d_.m_summaries[5].GetAt(1, kMy, pos, value, x, info));
    EXPECT_EQ(value, 50.0);
    const CResultSet* my =
        Find(0, "Tragsicherheit S/V\\Kranstellung\\1 @\\Biegedrillknicken\\Schnittgrößen\\My");
    ASSERT_NE(my, nullptr);
    EXPECT_FLOAT_EQ(my->m_max, 50.0f);
    EXPECT_FLOAT_EQ(my->m_min, -5.0f);
    // Any other mode releases the work table only.
    SuperposeCraneResults(d_, 0, 2, 0, 0, {}, nullptr);
    EXPECT_FALSE(d_.m_superposition.IsValid());
    EXPECT_TRUE(env.IsValid());
}

TEST_F(Superposition, DamagedStressPointsAreRefusedAndKept) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0});
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    ASSERT_EQ(d_.m_stressPoints.GetNumNodes(), 4);  // spread onto the element ends
    ZVELEM esp = ZEVUD_FindFirstChild(result_, "esp");
    ZEVUD_SetInt(esp, "numOfNodes", 5);  // disagrees with the data
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    EXPECT_EQ(d_.m_stressPoints.GetNumNodes(), 4);
    EXPECT_NEAR(d_.m_stressPoints.GetValue(0, 3, 0), 0.02, 1e-15);
}

TEST_F(Superposition, UnknownPointsStrengthlessSectionsAndOddSeries) {
    // A kernel point whose name no evaluation point carries: no local
    // effects, its values as the kernel gave them.
    ZVELEM up = ZEVUD_AddChildElement(result_, "userPoints");
    ZEVUD_SetInt(up, "numOfUserPoints", 1);
    ZEVUD_SetString(up, "userPoint-0", "Unbekannt");
    CNotchCase p;
    p.m_strName = "Quersteife";
    p.m_iPlace = 2;
    d_.m_notchCases = {p};
    d_.m_cranes.resize(1);
    d_.m_cranePositions = {4.0};
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Series("sigX", 1, 13, {0, 0, 4, 30, 4, 30, 8, 0});
    // A series of another point count stays out of the table.
    Series("Mz", 1, 0x2004, {0, 1, 8, 1});
    Combinations({0});
    // Without a design strength no utilisation is formed (never infinite).
    d_.m_sections[0].m_strength = 0.0;
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    const CResultTable& env = d_.m_craneResults[0];
    ASSERT_TRUE(env.IsValid());
    EXPECT_EQ(d_.m_userPointNames, (std::vector<std::string>{"Unbekannt"}));
    EXPECT_NEAR(At(env, 1, 4, PointValue(0, 0)), 1.35 * 30, 1e-9);
    EXPECT_EQ(At(env, 1, 4, PointValue(0, 2)), 0.0);
    EXPECT_EQ(At(env, 1, 4, 16), 0.0);
    EXPECT_NEAR(At(env, 1, 4, kEquivalent), 40.5, 1e-9);
    for (int i = 0; i < env.GetNumNodes(); ++i) EXPECT_EQ(env.GetValue(1, i, kUtilisation), 0.0);
}

TEST_F(Superposition, DetailedReactionsKeepEachLoadCaseInItsOwnSlots) {
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 10);
    Combinations({0, 13});
    d_.m_craneSettings.m_bDetailedReactions = 1;
    SuperposeCraneResults(d_, 0, 1, 2, 0, names_, nullptr);
    NewResult();
    LoadCase(1, 10, 5);
    LoadCase(2, 20, 30);
    SuperposeCraneResults(d_, 0, 1, 2, 1, names_, nullptr);
    const CResultTable& ak = d_.m_akResults[0];
    ASSERT_EQ(ak.GetNumLoadCases(), 6);
    // Slots 2j+2 / 2j+3: minimum and maximum of load case j alone.
    EXPECT_EQ(At(ak, 2, 0, kAz), 5.0);
    EXPECT_EQ(At(ak, 3, 0, kAz), 5.0);
    EXPECT_EQ(At(ak, 4, 0, kAz), 10.0);
    EXPECT_EQ(At(ak, 5, 0, kAz), 30.0);
    EXPECT_EQ(At(ak, 1, 0, kAz), 35.0);
}
