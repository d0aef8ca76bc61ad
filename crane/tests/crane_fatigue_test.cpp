// The fatigue check of a crane runway over stress points, cranes and nodes:
// the detail table, the fatigue tables and the check's envelope. Stresses
// are set by hand in the tables; the expected values follow from
// EN 1991-3 Table 2.12 and EN 1993-1-9 eq. (8.2), (8.3).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "crane/CraneOperations.h"
#include "crane_fixture.h"
#include "platform/ferrum/vadu_fatigue.h"
#include "platform/winsys/winsys.h"

namespace {

using cranetest::MakeGirder;
using cranetest::SetWheelLoad;

constexpr int kValues = 34 + 8 * 2;  // two stress points

// Record value indices (the report's rows less 2).
constexpr int kX = 0, kLeff = 1, kWheel = 2, kLambdaSigma = 3, kSigmaX = 7, kTotal = 23, kInteraction = 24;

// A table of 3 load cases on the nodes xs with all value ids present.
void SizeTable(CResultTable& t, const std::vector<double>& xs) {
    t.Init(3, static_cast<int>(xs.size()), kValues);
    t.SetXPositions(xs.data(), 0, 1);
}

// Sets sigma_x (id 34 + 8p) and tau (35 + 8p) of load cases 1 (max) and 0 (min) at every node.
void SetStresses(CResultTable& t, int p, double s1, double s2, double t1 = 0, double t2 = 0) {
    for (int n = 0; n < t.GetNumNodes(); ++n) {
        t.SetValue(1, n, 34 + 8 * p, s1);
        t.SetValue(0, n, 34 + 8 * p, s2);
        t.SetValue(1, n, 35 + 8 * p, t1);
        t.SetValue(0, n, 35 + 8 * p, t2);
    }
}

CNotchCase Point(const std::string& name, int plate, int place = 0) {
    CNotchCase n;
    n.m_strName = name;
    n.m_iKerbGruppe = plate;
    n.m_iKerbGruppeW = plate;
    n.m_iPlace = place;
    n.m_bActiv = 1;
    return n;
}

// One 8 m field, one crane of class S7 with two axles, one stress point
// "A" of category 90 (index 8), gamma_Mf 1.15; fatigue table and envelope
// table on the nodes 2 and 4 m.
struct Fixture {
    CModuleData d;
    Fixture() {
        MakeGirder(d, 8.0);
        d.m_sections[0].m_gamma_mf = 1.15;
        d.m_cranes[0].m_BGruppe = 7;
        d.m_userPointNames = {"A"};
        d.m_notchCases = {Point("A", 8)};
        SizeTable(d.m_fatResults[0], {2.0, 4.0});
        SizeTable(d.m_craneResults[4], {2.0, 4.0});
        PrepareSteelCheckSections(d);
    }
    ~Fixture() { d.m_steelSections.Reset(); }
    void AddCranes(int n) {
        d.m_cranes.resize(static_cast<size_t>(n), d.m_cranes[0]);
        for (CCrane& c : d.m_cranes) c.m_pOwner = &d;
    }
    const double* Record(int p, int e, int kind) const { return d.m_fatDetail.Record(p, e, kind); }
};

// Hand case: S7, Delta sigma = 80 - 20 = 60, Delta sigma_C 90, gamma_Mf 1.15:
// 60 / (90 / 1.15) = 0.76667, interaction 0.76667³ = 0.45063. One crane:
// one crane entry, pass 0 only, load case 2 untouched; equal totals at both
// nodes keep the first record (x = 2).
TEST(CraneFatigue, OneCraneHandCase) {
    Fixture f;
    SetStresses(f.d.m_fatResults[0], 0, 80, 20);
    f.d.m_fatResults[0].SetValue(2, 0, 39, -7.0);
    ASSERT_TRUE(CalcFatigue(f.d));
    EXPECT_EQ(f.d.m_fatDetail.m_numOfCranes, 1);
    EXPECT_EQ(f.d.m_fatDetail.m_numOfPOIs, 1);
    const double* r = f.Record(0, 0, 0);
    ASSERT_NE(r, nullptr);
    EXPECT_NEAR(r[kTotal], 0.76667, 5e-6);
    EXPECT_NEAR(r[kInteraction], 0.45063, 5e-6);
    EXPECT_EQ(r[kX], 2.0);
    EXPECT_EQ(r[kSigmaX], 60.0);
    EXPECT_EQ(r[kLambdaSigma], 1.0);
    EXPECT_EQ(r[kLeff], 0.0);  // "iPlace" 0: no local stresses
    EXPECT_FALSE(f.d.m_fatDetail.IsUsed(0, 0, 1));  // no weld detail
    for (int n = 0; n < 2; ++n) {
        EXPECT_NEAR(f.d.m_fatResults[0].GetValue(1, n, 39), 0.76667, 5e-6);
        EXPECT_NEAR(f.d.m_fatResults[0].GetValue(1, n, 40), 0.45063, 5e-6);
        EXPECT_NEAR(f.d.m_craneResults[4].GetValue(1, n, 39), 0.76667, 5e-6);
        EXPECT_NEAR(f.d.m_craneResults[4].GetValue(1, n, 40), 0.45063, 5e-6);
    }
    EXPECT_EQ(f.d.m_fatResults[0].GetValue(2, 0, 39), -7.0);
    int pos = 0, info = 1;
    double value = 0, x = 0;
    ASSERT_TRUE(f.d.m_summaries[4].GetAt(1, 39, pos, value, x, info));
    EXPECT_NEAR(value, 0.76667, 5e-6);
    EXPECT_EQ(pos, -1);
}

// Three cranes: four crane entries, entry 3 the resultant. Only one crane
// has a sized fatigue table at a time (the others are skipped); its pass 1
// runs with class "BGruppe" - 3: S5 -> S2 (lambda_sigma 0.315), S3 -> S0 (0.198).
TEST(CraneFatigue, ThreeCranesResultantClass) {
    struct Row {
        int craneWithTable, group;
        double lambdaAlone, lambdaResultant;
    } const rows[] = {{0, 5, 0.630, 0.315}, {2, 3, 0.397, 0.198}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.group);
        Fixture f;
        f.AddCranes(3);
        f.d.m_cranes[static_cast<size_t>(row.craneWithTable)].m_BGruppe = row.group;
        f.d.m_fatResults[0] = CResultTable();
        SizeTable(f.d.m_fatResults[row.craneWithTable], {2.0, 4.0});
        SetStresses(f.d.m_fatResults[row.craneWithTable], 0, 80, 20);
        SetStresses(f.d.m_craneResults[4], 0, 80, 20);
        ASSERT_TRUE(CalcFatigue(f.d));
        EXPECT_EQ(f.d.m_fatDetail.m_numOfCranes, 4);
        for (int e = 0; e < 3; ++e)
            EXPECT_EQ(f.d.m_fatDetail.IsUsed(0, e, 0), e == row.craneWithTable) << e;
        EXPECT_EQ(f.Record(0, row.craneWithTable, 0)[kLambdaSigma], row.lambdaAlone);
        EXPECT_EQ(f.Record(0, 3, 0)[kLambdaSigma], row.lambdaResultant);
        EXPECT_NEAR(f.Record(0, 3, 0)[kTotal], row.lambdaResultant * 60 * 1.15 / 90, 1e-12);
        // Load case 2 of the crane's table holds the resultant.
        EXPECT_NEAR(f.d.m_fatResults[row.craneWithTable].GetValue(2, 0, 39), row.lambdaResultant * 60 * 1.15 / 90,
                    1e-12);
    }
}

// Two cranes (S7 each; the resultant runs in S5, lambda 0.630) with
// interactions alone 0.3 and 0.25 and 0.15 for the resultant (category 100,
// gamma_Mf 1.0: Delta sigma = 100 I^(1/3), for the resultant divided by
// 0.630): load case 1 of the envelope table holds 0.15 + 0.3 + 0.25 = 0.7,
// and the utilisation is raised to it (the largest alone is 0.3^(1/3) = 0.669).
TEST(CraneFatigue, SeveralCranesAddTheirDamage) {
    Fixture f;
    f.AddCranes(2);
    f.d.m_sections[0].m_gamma_mf = 1.0;
    f.d.m_notchCases[0].m_iKerbGruppe = 9;
    SizeTable(f.d.m_fatResults[1], {2.0, 4.0});
    SetStresses(f.d.m_fatResults[0], 0, 100 * std::cbrt(0.3), 0);
    SetStresses(f.d.m_fatResults[1], 0, 100 * std::cbrt(0.25), 0);
    SetStresses(f.d.m_craneResults[4], 0, 100 * std::cbrt(0.15) / 0.630, 0);
    ASSERT_TRUE(CalcFatigue(f.d));
    EXPECT_EQ(f.d.m_fatDetail.m_numOfCranes, 3);
    for (int n = 0; n < 2; ++n) {
        EXPECT_NEAR(f.d.m_craneResults[4].GetValue(1, n, 40), 0.7, 1e-9);
        EXPECT_NEAR(f.d.m_craneResults[4].GetValue(1, n, 39), 0.7, 1e-9);
        EXPECT_NEAR(f.d.m_craneResults[4].GetValue(2, n, 40), 0.15, 1e-9);
    }
    EXPECT_NEAR(f.Record(0, 2, 0)[kInteraction], 0.15, 1e-9);
}

// The axle path: "iPlace" 2 on a crane with two axles. Each axle pair is
// checked both ways: with the second wheel heavier the record shows its
// load. The additional values carry the panel length: field 8 m over
// "numOfBucklField" 4 -> 2 m, and 0 counts as 1 -> 8 m.
TEST(CraneFatigue, AxlePairsBothWaysAndPanelLength) {
    struct Row {
        double wheel0, wheel1;
        int panels;
        double panel;
    } const rows[] = {{40, 60, 4, 2.0}, {60, 40, 0, 8.0}, {60, 40, -3, 8.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.panels);
        Fixture f;
        f.d.m_notchCases[0].m_iPlace = 2;
        f.d.m_bucklFields.assign(2, row.panels);
        SetWheelLoad(f.d.m_cranes[0], 0, 18, 2, row.wheel0);
        SetWheelLoad(f.d.m_cranes[0], 1, 18, 2, row.wheel1);
        ASSERT_TRUE(CalcFatigue(f.d));
        const double* r = f.Record(0, 0, 0);
        EXPECT_EQ(r[kWheel], 60.0);
        EXPECT_GT(r[kLeff], 0.0);
        double v[FER_H_MAX_ADDITIONAL] = {};
        FER_hGetAdditionalValues(f.d.m_steelSections.GetSteelCheckSectionHandle(2.0), v);
        EXPECT_EQ(v[2], row.panel);
    }
}

// A one-axle crane or "iPlace" 0: no local record, no additional values.
TEST(CraneFatigue, WithoutAxlePairsNoLocalStresses) {
    for (int axles : {1, 2}) {
        Fixture f;
        f.d.m_cranes[0].m_numOfAxis = axles;
        f.d.m_cranes[0].SetAxisCount();
        f.d.m_notchCases[0].m_iPlace = axles == 1 ? 2 : 0;
        SetWheelLoad(f.d.m_cranes[0], 0, 18, 2, 60);
        SetStresses(f.d.m_fatResults[0], 0, 80, 20);
        ASSERT_TRUE(CalcFatigue(f.d));
        const double* r = f.Record(0, 0, 0);
        EXPECT_EQ(r[kWheel], 0.0) << axles;
        EXPECT_EQ(r[kLeff], 0.0) << axles;
        EXPECT_NEAR(r[kTotal], 0.76667, 5e-6) << axles;
        double v[FER_H_MAX_ADDITIONAL] = {};
        FER_hGetAdditionalValues(f.d.m_steelSections.GetSteelCheckSectionHandle(2.0), v);
        EXPECT_EQ(v[2], 0.0) << axles;
    }
}

// Weld details. Plate 12 mm, throat 4 mm: the shear in the throats is
// 12 / (2 x 4) = 1.5 times the plate's (both thicknesses given in cm, in
// both paths). The weld ids 38/41 + 8p: written with "tWeld" above 0.01 (as
// 0.0 when "geomType" is not 2), not written otherwise. With the rail not
// in the section the weld calls of the axle path get no global stresses.
TEST(CraneFatigue, WeldDetails) {
    struct Row {
        const char* name;
        int geomType, place, rail;
        double tWeld;
        bool weldRecord;
        bool knownUtil;
        double weldUtil;  // id 38; -5: not written
        double weldSigmaX;
    } const rows[] = {
        // iPlace 0, Delta tau 40 -> 60 in the throats, shear category 80 (index 7), gamma 1.0: 0.75
        {"weld, no axles", 2, 0, 0, 4.0, true, true, 0.75, 60.0},
        {"no weld geometry", 0, 0, 0, 4.0, false, true, 0.0, 0.0},
        {"no throat", 2, 0, 0, 0.01, false, true, -5.0, 0.0},
        {"axles, rail outside the section", 2, 2, 0, 4.0, true, false, 0.0, 0.0},
        {"axles, rail in the section", 2, 2, 1, 4.0, true, false, 0.0, 60.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        f.d.m_sections[0].m_gamma_mf = 1.0;
        CNotchCase& p = f.d.m_notchCases[0];
        p.m_iKerbGruppe = p.m_iKerbGruppeW = 7;
        p.m_iSpTyp = 1;
        p.m_geomType = row.geomType;
        p.m_iPlace = row.place;
        p.m_thickness.SetValue(12.0);
        p.m_tWeld.SetValue(row.tWeld);
        f.d.m_rail.m_bCalculation = row.rail;
        SetStresses(f.d.m_fatResults[0], 0, 80, 20, 50, 10);
        for (int n = 0; n < 2; ++n) f.d.m_fatResults[0].SetValue(1, n, 38, -5.0);
        ASSERT_TRUE(CalcFatigue(f.d));
        EXPECT_EQ(f.d.m_fatDetail.IsUsed(0, 0, 1), row.weldRecord);
        if (row.knownUtil) {
            EXPECT_NEAR(f.d.m_fatResults[0].GetValue(1, 0, 38), row.weldUtil, 1e-12);
        }
        if (row.weldRecord) {
            EXPECT_EQ(f.Record(0, 0, 1)[kSigmaX], row.weldSigmaX);
        }
        EXPECT_EQ(f.Record(0, 0, 0)[kSigmaX], 60.0);  // the plate always gets the node's stresses
    }
}

// Stress point p takes its activity from point of interest p: a second
// stress point without a second point of interest is inactive.
TEST(CraneFatigue, StressPointWithoutPointOfInterestIsInactive) {
    Fixture f;
    f.d.m_userPointNames = {"A", "B"};
    SetStresses(f.d.m_fatResults[0], 0, 80, 20);
    SetStresses(f.d.m_fatResults[0], 1, 80, 20);
    f.d.m_fatResults[0].SetValue(1, 0, 39 + 8, -3.0);
    ASSERT_TRUE(CalcFatigue(f.d));
    EXPECT_EQ(f.d.m_fatDetail.m_numOfPOIs, 2);
    EXPECT_TRUE(f.d.m_fatDetail.IsUsed(0, 0, 0));
    EXPECT_FALSE(f.d.m_fatDetail.IsUsed(1, 0, 0));
    EXPECT_EQ(f.d.m_fatResults[0].GetValue(1, 0, 39 + 8), -3.0);
}

// Records take x from their own crane's table; a crane without a sized
// table is passed over.
TEST(CraneFatigue, RecordsTakeTheirCranesPositions) {
    Fixture f;
    f.AddCranes(2);
    f.d.m_fatResults[0] = CResultTable();
    SizeTable(f.d.m_fatResults[1], {3.0, 5.0});
    SetStresses(f.d.m_fatResults[1], 0, 80, 20);
    ASSERT_TRUE(CalcFatigue(f.d));
    EXPECT_FALSE(f.d.m_fatDetail.IsUsed(0, 0, 0));
    ASSERT_TRUE(f.d.m_fatDetail.IsUsed(0, 1, 0));
    EXPECT_EQ(f.Record(0, 1, 0)[kX], 3.0);
}

// Input the rules cannot check is refused before anything is calculated,
// with a message that names the point or crane.
TEST(CraneFatigue, RefusedInput) {
    struct Row {
        const char* name;
        int plate, weldIndex, geomType, stressType, group;
        double gammaMf;
        const char* words;
    } const rows[] = {
        {"plate detail 14", 14, 0, 0, 0, 7, 1.15, "14"},
        {"plate detail -1", -1, 0, 0, 0, 7, 1.15, "-1"},
        {"weld detail 20", 8, 20, 2, 0, 7, 1.15, "20"},
        {"stress type 3", 8, 0, 0, 3, 7, 1.15, "3"},
        {"class S10", 8, 0, 0, 0, 10, 1.15, "S10"},
        {"gamma_Mf 0", 8, 0, 0, 0, 7, 0.0, "gamma_Mf"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        CNotchCase& p = f.d.m_notchCases[0];
        p.m_iKerbGruppe = row.plate;
        p.m_iKerbGruppeW = row.weldIndex;
        p.m_geomType = row.geomType;
        p.m_tWeld.SetValue(4.0);
        p.m_iSpTyp = row.stressType;
        f.d.m_cranes[0].m_BGruppe = row.group;
        f.d.m_sections[0].m_gamma_mf = row.gammaMf;
        SetStresses(f.d.m_fatResults[0], 0, 80, 20);
        const std::string message = CheckFatigueInput(f.d);
        EXPECT_NE(message.find(row.words), std::string::npos) << message;
        if (row.plate != 8 || row.weldIndex != 0 || row.stressType != 0) {
            EXPECT_NE(message.find("'A'"), std::string::npos);
        }
        EXPECT_FALSE(CalcFatigue(f.d));
        EXPECT_EQ(f.d.m_fatDetail.m_numOfPOIs, 0);
        EXPECT_EQ(f.d.m_fatResults[0].GetValue(1, 0, 39), 0.0);
    }
    // Four cranes are more than the fatigue tables hold.
    {
        Fixture f;
        f.AddCranes(4);
        EXPECT_EQ(CheckFatigueInput(f.d), "Es können höchstens drei Krane berechnet werden.");
        EXPECT_FALSE(CalcFatigue(f.d));
    }
    // An inactive point with a bad index is no obstacle.
    Fixture f;
    f.d.m_notchCases[0].m_iKerbGruppe = 99;
    f.d.m_notchCases[0].m_bActiv = 0;
    EXPECT_EQ(CheckFatigueInput(f.d), "");
    EXPECT_TRUE(CalcFatigue(f.d));
    EXPECT_FALSE(f.d.m_fatDetail.IsUsed(0, 0, 0));
}

// A section without web and flange cannot give the wheel's local stresses:
// the global part is checked, and the check says it is incomplete.
TEST(CraneFatigue, LocalStressesMissingAreReported) {
    Fixture f;
    f.d.m_steelSections.Reset();
    CSection plate;
    plate.m_profile.Create(0);
    SEKT_PRO_AddWLine(plate.m_profile.GetHandle(), zidezaz::MakeWLine(-15, 0, 15, 0, 2.5));
    plate.m_gamma_mf = 1.15;
    f.d.m_sections = {plate};
    PrepareSteelCheckSections(f.d);
    f.d.m_notchCases[0].m_iPlace = 2;
    SetStresses(f.d.m_fatResults[0], 0, 80, 20);
    winsys::ScopedRecordingSink sink;
    EXPECT_FALSE(CalcFatigue(f.d));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("unvollständig"), std::string::npos);
    EXPECT_NEAR(f.Record(0, 0, 0)[kTotal], 0.76667, 5e-6);
}

// Section forces of the crane but no stress at the point: the point's
// stresses never reached the table, and the check says so.
TEST(CraneFatigue, StressesMissingAtAPointAreReported) {
    Fixture f;
    for (int n = 0; n < 2; ++n) f.d.m_fatResults[0].SetValue(1, n, 15, 120.0);  // My
    winsys::ScopedRecordingSink sink;
    EXPECT_TRUE(CalcFatigue(f.d));
    EXPECT_TRUE(f.d.m_bFatigueUnproven);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("Nachweispunkte 'A' liegen Schnittgrößen, aber keine Spannungen"),
              std::string::npos)
        << sink.messages[0].text;
    // With the stresses there, all is well.
    SetStresses(f.d.m_fatResults[0], 0, 80, 20);
    sink.messages.clear();
    EXPECT_TRUE(CalcFatigue(f.d));
    EXPECT_TRUE(sink.messages.empty());
}

}  // namespace
