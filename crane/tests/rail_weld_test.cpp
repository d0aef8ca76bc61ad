// The rail-weld check of a crane runway and its result table. Expected
// values by hand after EN 1993-1-8 4.5.3.2 with the spread length of
// EN 1993-6 Table 5.1 (b) (rail alone).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "crane/CraneOperations.h"
#include "crane_fixture.h"
#include "testsupport/scratch.h"

namespace {

using cranetest::MakeGirder;
using cranetest::SetWheelLoad;

// The fixture's girder: web 12 mm, flat rail worn to 80 x 30 mm (Iy75 =
// 18 cm⁴, b1 80 mm, h75 30 mm): l = 3.25 (18 / 1.2)^(1/3) cm = 80.152 mm.
// One crane, two axles, crane positions 2 and 5 m; welded rail with a
// system point of throat 5 mm; S235 (fu / (beta_w gamma_M2) = 360).
struct Fixture {
    CModuleData d;
    explicit Fixture(int connection = 0) {
        MakeGirder(d, 8.0);
        d.m_rail.m_connection = connection;
        d.m_craneSettings.m_loadEcc.SetValue(0.0);
        for (int& c : d.m_craneSettings.m_checkEnabled) c = 1;
        for (CFormulaValue& v : d.m_cranes[0].m_wheelLoads) v.SetValue(0.0);
        d.m_cranePositions = {2.0, 5.0};
        CNotchCase weld;
        weld.m_strName = "Schienenanschluss rechts";
        weld.m_bActiv = weld.m_bSystem = 1;
        weld.m_geomType = 2;
        weld.m_tWeld.SetValue(5.0);
        d.m_notchCases = {weld};
        PrepareSteelCheckSections(d);
    }
    ~Fixture() { d.m_steelSections.Reset(); }
    // Characteristic wheel forces of group g on both axles.
    void Wheel(int g, double Hx, double Hy, double Pz) {
        for (int a = 0; a < d.m_cranes[0].m_numOfAxis; ++a) {
            SetWheelLoad(d.m_cranes[0], a, g, 0, Hx);
            SetWheelLoad(d.m_cranes[0], a, g, 1, Hy);
            SetWheelLoad(d.m_cranes[0], a, g, 2, Pz);
        }
    }
    const double* Entry(int g, int p, int a) const {
        const long i = d.m_railWeld.RailWeldIndex(g, 0, p, a);
        return i < 0 ? nullptr : d.m_railWeld.m_val.data() + i;
    }
};

// Entry values: 4 aw, 5 Pz, 6 Hx, 7 Hy, 8 Qz, 9 Qy, 10 utl, 11 Gv, 12 Gz, 13 Ts, 14 Tp.
// Design values with the partial factor of the group's crane action:
//   group 0 (check 0) 1.35, group 7 (test load, check 2) 1.1, group 8 (accidental) 1.0.
//   Hx 10 kN in group 0: 13.5 kN; tau_par = 13 500 / (2 x 5 x 80.152) = 16.843;
//     sigma_v = sqrt 3 x 16.843 = 29.173 -> 0.081036
//   plus Hy 10 kN at h75 30 mm and Pz 100 kN at e = 1 cm: 13.5 and 135 kN,
//     M = 13 500 x 30 + 135 000 x 10 = 1.755e6 Nmm, F_perp = 1.755e6 / 80 + 6 750 = 28 687.5 N,
//     sigma_perp = 28 687.5 / (sqrt 2 x 5 x 80.152) = 50.617,
//     sigma_v = sqrt(50.617² + 3 (50.617² + 16.843²)) = 105.353 -> 0.292647
//   the Hx case in group 7 (x 1.1): 11 kN -> 0.081036 x 1.1 / 1.35 = 0.066029
//   and in group 8 (x 1.0): 10 kN -> 0.060027
struct Row {
    const char* name;
    int group;
    double Hx, Hy, Pz, e, factor;
    double tauPar, sigmaPerp, util;
};
const Row kRows[] = {
    {"Hx, check 0", 0, 10, 0, 0, 0, 1.35, 16.8430, 0.0, 0.081036},
    {"Hx, Hy and eccentricity", 0, 10, 10, 100, 1.0, 1.35, 16.8430, 50.6167, 0.292647},
    {"Hx, test load", 7, 10, 0, 0, 0, 1.1, 13.7239, 0.0, 0.066029},
    {"Hx, accidental", 8, 10, 0, 0, 0, 1.0, 12.4763, 0.0, 0.060027},
};

TEST(RailWeld, DesignForcesAndHandValues) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        f.Wheel(row.group, row.Hx, row.Hy, row.Pz);
        f.d.m_craneSettings.m_loadEcc.SetValue(row.e);
        CalcRailWeld(f.d);
        EXPECT_EQ(f.d.m_railWeld.m_numOfGroupe, 19);
        EXPECT_EQ(f.d.m_railWeld.m_numOfCranes, 1);
        EXPECT_EQ(f.d.m_railWeld.m_numOfxPos, 2);
        EXPECT_EQ(f.d.m_railWeld.m_numOfAxis, 2);
        for (int p = 0; p < 2; ++p)
            for (int a = 0; a < 2; ++a) {
                ASSERT_TRUE(f.d.m_railWeld.IsSet(row.group, 0, p, a)) << p << a;
                const double* v = f.Entry(row.group, p, a);
                EXPECT_EQ(v[0], row.group);
                EXPECT_EQ(v[2], p);
                EXPECT_EQ(v[3], a);
                EXPECT_EQ(v[4], 5.0);
                EXPECT_NEAR(v[5], row.factor * row.Pz, 1e-12);
                EXPECT_NEAR(v[6], row.factor * row.Hx, 1e-12);
                EXPECT_NEAR(v[7], row.factor * row.Hy, 1e-12);
                EXPECT_NEAR(v[14], row.tauPar, 1e-4);
                EXPECT_NEAR(v[12], row.sigmaPerp, 1e-4);
                EXPECT_NEAR(v[10], row.util, 1e-6);
            }
        // No other group was checked.
        EXPECT_FALSE(f.d.m_railWeld.IsSet(row.group == 0 ? 1 : 0, 0, 0, 0));
    }
}

// A French position: gamma_Q 1.5 for the crane actions of check 0. The
// position's actions and factors stay as the last run left them.
TEST(RailWeld, FrenchFactorAndActionsKept) {
    Fixture f;
    f.d.m_info.m_nCountryCode = 1;
    f.Wheel(0, 10, 0, 0);
    DefineCraneActions(f.d, 16);
    const std::vector<double> partial = f.d.m_partialFactors;
    CalcRailWeld(f.d);
    EXPECT_NEAR(f.Entry(0, 0, 0)[6], 15.0, 1e-12);
    EXPECT_EQ(f.d.m_partialFactors, partial);
    EXPECT_TRUE(f.d.LK().m_bChecks[3]);
    EXPECT_FALSE(f.d.LK().m_bChecks[0]);
}

// Intermittent welds 50 / 50 double the stresses; a bolted rail has no weld
// and no entries; a one-axle crane gives no entries.
TEST(RailWeld, WeldKindsAndAxles) {
    {
        Fixture f(1);
        f.d.m_rail.m_SchweissnahtL.SetValue(50.0);
        f.d.m_rail.m_SchweissnahtUnterbrochenL.SetValue(50.0);
        f.Wheel(0, 10, 0, 0);
        CalcRailWeld(f.d);
        EXPECT_NEAR(f.Entry(0, 0, 0)[10], 2 * 0.081036, 2e-6);
        EXPECT_NEAR(f.Entry(0, 0, 0)[14], 2 * 16.8430, 2e-4);
    }
    {
        Fixture f(2);
        f.Wheel(0, 10, 0, 0);
        CalcRailWeld(f.d);
        for (int used : f.d.m_railWeld.m_bUsed) EXPECT_EQ(used, 0);
    }
    {
        Fixture f;
        f.d.m_cranes[0].m_numOfAxis = 1;
        f.d.m_cranes[0].SetAxisCount();
        f.Wheel(0, 10, 0, 0);
        CalcRailWeld(f.d);
        EXPECT_EQ(f.d.m_railWeld.m_numOfAxis, 1);
        for (int used : f.d.m_railWeld.m_bUsed) EXPECT_EQ(used, 0);
    }
}

// Qz and Qy: the largest shear forces of check 0's envelope, only while the
// rail counts in the section.
TEST(RailWeld, ShearForcesOnlyWithTheRailInTheSection) {
    for (int rail : {0, 1}) {
        Fixture f;
        f.d.m_rail.m_bCalculation = rail;
        CResultTable& env = f.d.m_craneResults[0];
        env.Init(2, 2, 34);
        env.SetValue(0, 1, 13, -80.0);
        env.SetValue(1, 0, 13, 60.0);
        env.SetValue(1, 1, 12, 7.0);
        f.Wheel(0, 10, 0, 0);
        CalcRailWeld(f.d);
        const double* v = f.Entry(0, 1, 0);
        EXPECT_EQ(v[8], rail ? 80.0 : 0.0);
        EXPECT_EQ(v[9], rail ? 7.0 : 0.0);
        if (rail) {
            EXPECT_GT(v[14], 16.85);  // the shear flow adds to Hx
        } else {
            EXPECT_NEAR(v[14], 16.8430, 1e-4);
        }
    }
}

TEST(RailWeldTable, IndexUpdateAndDump) {
    CRailWeldTable t;
    ASSERT_TRUE(t.SetSize(19, 2, 3, 4));
    // (((g C + c) P + p) A + a) 15
    EXPECT_EQ(t.RailWeldIndex(0, 0, 0, 0), 0);
    EXPECT_EQ(t.RailWeldIndex(5, 1, 2, 3), (((5 * 2 + 1) * 3 + 2) * 4 + 3) * 15);
    EXPECT_EQ(t.RailWeldIndex(19, 0, 0, 0), -1);
    EXPECT_EQ(t.RailWeldIndex(0, 0, 0, 4), -1);
    // Equal utilisation keeps the first; a greater one replaces it.
    t.Update(5, 1, 2, 3, 5.0, 135.0, 13.5, 2.0, 80.0, 7.0, 0.5, 29.17, 1.5, 1.5, 16.84);
    t.Update(5, 1, 2, 3, 6.0, 1, 1, 1, 1, 1, 0.5, 1, 1, 1, 1);
    EXPECT_EQ(t.m_val[static_cast<size_t>(t.RailWeldIndex(5, 1, 2, 3)) + 4], 5.0);
    EXPECT_FALSE(t.Update(19, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1));
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    t.Dump(f);
    std::rewind(f);
    char line[400] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line,
                 "iGroup= 5, iCrane=1, iPos= 2, iAxis=3:: aw= 5.0, Pz=135.0, Hx= 13.5, Hy=  2.0, Qz= 80.0, Qy=  7.0,"
                 "   utl= 0.50, Gv= 29.17, Gz=  1.50, Ts=  1.50, Tp= 16.84,  iGrp1= 5, iCrane=1, iPos1= 2, iAxis=3\n");
    EXPECT_EQ(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    t.Update(5, 1, 2, 3, 6.0, 1, 1, 1, 1, 1, 0.6, 1, 1, 1, 1);
    EXPECT_EQ(t.m_val[static_cast<size_t>(t.RailWeldIndex(5, 1, 2, 3)) + 4], 6.0);
}

// The dump file is written only with the developer switch.
TEST(RailWeldTable, DumpFileFollowsTheDeveloperSwitch) {
    test_support::ScratchDir dir("rail_weld_dump");
    CRailWeldTable t;
    t.SetSize(19, 1, 1, 1);
    t.Update(0, 0, 0, 0, 5, 1, 1, 1, 0, 0, 0.1, 1, 1, 1, 1);
    {
        test_support::EnvGuard off("VKTUSER", nullptr);
        t.Dump();
        EXPECT_FALSE(std::filesystem::exists("RailWeldingDump.txt"));
    }
    {
        test_support::EnvGuard on("VKTUSER", "DEDUV");
        t.Dump();
        EXPECT_TRUE(std::filesystem::exists("RailWeldingDump.txt"));
        EXPECT_GT(std::filesystem::file_size("RailWeldingDump.txt"), 100u);
        // A dump file that cannot be opened (here a folder of that name): nothing written, no crash.
        std::filesystem::remove("RailWeldingDump.txt");
        std::filesystem::create_directory("RailWeldingDump.txt");
        t.Dump();
        EXPECT_TRUE(std::filesystem::is_directory("RailWeldingDump.txt"));
    }
}

}  // namespace
