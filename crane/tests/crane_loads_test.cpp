// A crane's load groups, axle geometry and the loads it puts on the girder.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "crane/CraneOperations.h"
#include "crane_fixture.h"
#include "platform/ferrum/ferrum.h"

namespace {

using cranetest::MakeGirder;
using cranetest::SetWheelLoad;

TEST(CraneLoads, GroupRelevance) {
    CModuleData d;
    MakeGirder(d, 10.0);
    CCrane& c = d.m_cranes[0];
    // Group 0 carries 150 kN (check 0); group 12 gets 0.0002 (above 0.0001),
    // group 3 only 0.0001 (no load).
    SetWheelLoad(c, 1, 12, 0, 0.0002);
    SetWheelLoad(c, 0, 3, 1, -0.0001);
    struct Case {
        const char* name;
        int group, check, secondBeam, checkEnabled0;
        bool relevant;
    };
    const Case cases[] = {
        {"own check", 0, 0, 1, 1, true},
        {"any check", 0, -1, 1, 1, true},
        {"other check", 0, 3, 1, 1, false},
        {"check off", 0, 0, 1, 0, false},
        {"load 0.0001 is none", 3, 0, 1, 1, false},
        {"no generated value", 5, -1, 1, 1, false},
        {"group 12 with second girder", 12, 3, 1, 1, true},
        {"group 12 without second girder", 12, 3, 0, 1, false},
        {"group out of range", 19, -1, 1, 1, false},
    };
    for (const Case& k : cases) {
        d.m_craneSettings.m_bSecondBeam = k.secondBeam;
        d.m_craneSettings.m_checkEnabled[0] = k.checkEnabled0;
        EXPECT_EQ(c.IsLoadGroupRelevant(d, k.group, k.check), k.relevant) << k.name;
    }
    // The generator kind of the fatigue group: 15 only with the horizontal forces.
    d.m_craneSettings.m_horizontalFatForce = 0;
    EXPECT_EQ(c.GetGeneratorKind(18), 14);
    d.m_craneSettings.m_horizontalFatForce = 1;
    EXPECT_EQ(c.GetGeneratorKind(18), 15);
}

TEST(CraneLoads, AxleSpanSumsAndShiftToResultant) {
    CModuleData d;
    MakeGirder(d, 10.0, 4.0, 1.0);
    CCrane& c = d.m_cranes[0];
    EXPECT_DOUBLE_EQ(c.GetAxisSpan(), 4.0);  // axle 0's gap to the crane in front does not count
    EXPECT_DOUBLE_EQ(c.GetAxisOffset(0), -2.0);
    EXPECT_DOUBLE_EQ(c.GetAxisOffset(1), 2.0);
    // Axle 0: 10 + 20 = 30 kN, axle 1: 5 + 10 = 15 kN; h = 4/2 = 2 m.
    c.AxisValue(0, 1)->SetValue(10.0);
    c.AxisValue(0, 3)->SetValue(20.0);
    c.AxisValue(1, 1)->SetValue(5.0);
    c.AxisValue(1, 3)->SetValue(10.0);
    double s1 = -1, s3 = -1;
    c.SumMaxWheelLoads(s1, s3);
    EXPECT_DOUBLE_EQ(s1, 15.0);
    EXPECT_DOUBLE_EQ(s3, 30.0);
    // x + (h - h s1/s0) f: (2 - 2 x 15/30) = 1, f = 1 for m = 1, 1/3 for m = 2.
    EXPECT_DOUBLE_EQ(c.ShiftToResultant(5.0, 1), 6.0);
    EXPECT_DOUBLE_EQ(c.ShiftToResultant(5.0, 2), 5.0 + 1.0 / 3.0);
    // Equal loads: no shift; no load on the first axle: no shift.
    c.AxisValue(1, 1)->SetValue(10.0);
    c.AxisValue(1, 3)->SetValue(20.0);
    EXPECT_DOUBLE_EQ(c.ShiftToResultant(5.0, 1), 5.0);
    c.AxisValue(0, 1)->SetValue(0.00005);
    c.AxisValue(0, 3)->SetValue(0.0);
    EXPECT_DOUBLE_EQ(c.ShiftToResultant(5.0, 1), 5.0);
    // One axle: no span, no shift.
    c.m_numOfAxis = 1;
    c.SetAxisCount();
    EXPECT_DOUBLE_EQ(c.GetAxisSpan(), 0.0);
    EXPECT_DOUBLE_EQ(c.ShiftToResultant(5.0, 1), 5.0);
}

TEST(CraneLoads, AppendCraneLoadsFollowTheAxles) {
    CModuleData d;
    MakeGirder(d, 10.0, 4.0, 0.0);
    CCrane& c = d.m_cranes[0];
    // Group 1: Hy 12 kN on axle 1 only; accidental group 8: 30 kN vertical on
    // axle 0; group 10 (serviceability) is not in the mask.
    SetWheelLoad(c, 1, 1, 1, 12.0);
    SetWheelLoad(c, 0, 8, 2, 30.0);
    SetWheelLoad(c, 0, 10, 2, 99.0);
    for (int r = 3; r <= 8; ++r) SetWheelLoad(c, 0, 0, r, 0.9);
    std::vector<CLoadDef> loads;
    std::vector<std::string> names;
    std::vector<double> ratios;
    int next = 4;
    d.m_craneSettings.m_bDecReactions = 0;
    AppendCraneLoads(d, 0, loads, CCrane::CLASS_ULS | CCrane::CLASS_ACCIDENTAL, 3, next, names, ratios, 1.5, -3.0);
    ASSERT_EQ(loads.size(), 4u);
    struct Expect {
        const char* offset;
        int direction, lc, lcGen;
        double value;
        const char* desc;
    };
    // Every group's axles stand at -2.000 and +2.000 about the crane's x.
    const Expect e[] = {
        {"pos0+-2.000", 2, 3, 4, 150.0, "K1.ULS1"},
        {"pos0+2.000", 2, 3, 4, 150.0, "K1.ULS1"},
        {"pos0+2.000", 1, 3, 5, 12.0, "K1.ULS2"},
        {"pos0+-2.000", 2, 2, 6, 30.0, "K1.ACC9"},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const CLoadDef& l = loads[i];
        EXPECT_EQ(l.m_offset.GetFormula(), e[i].offset);
        EXPECT_EQ(l.m_iDirection, e[i].direction);
        EXPECT_EQ(l.m_iLoadCase, e[i].lc);
        EXPECT_EQ(l.m_LCGen.m_strText, std::to_string(e[i].lcGen));
        EXPECT_DOUBLE_EQ(l.m_val[0].GetValue(), e[i].value);
        EXPECT_EQ(l.m_strDesc, e[i].desc);
        EXPECT_EQ(l.m_iLoadType, LOAD_POINT_FORCE_MOMENT);
        EXPECT_EQ(l.m_bHasDirection, 1);
        EXPECT_DOUBLE_EQ(l.m_ey.GetValue(), 1.5);
        EXPECT_DOUBLE_EQ(l.m_ez.GetValue(), -3.0);
    }
    EXPECT_EQ(next, 7);
    EXPECT_EQ(names, (std::vector<std::string>{"K1.ULS1", "K1.ULS2", "K1.ACC9"}));
    EXPECT_EQ(c.m_loadCaseNr[0], 4);
    EXPECT_EQ(c.m_loadCaseNr[1], 5);
    EXPECT_EQ(c.m_loadCaseNr[8], 6);
    EXPECT_EQ(c.m_loadCaseNr[10], -1);
    EXPECT_EQ(ratios, std::vector<double>(18, 1.0));  // not reduced
    // The offsets evaluate with the crane's position variable.
    d.m_varTable.Define("pos0", "", "m", 5.0);
    EXPECT_DOUBLE_EQ(loads[0].m_offset.GetValue(), 3.0);

    // Reduced reactions: the ratios of the lowered dynamic factors.
    loads.clear();
    names.clear();
    ratios.clear();
    d.m_craneSettings.m_bDecReactions = 1;
    AppendCraneLoads(d, 0, loads, CCrane::CLASS_ULS, 3, next, names, ratios, 0, 0);
    ASSERT_EQ(ratios.size(), 12u);
    EXPECT_EQ(std::vector<double>(ratios.begin(), ratios.begin() + 6), std::vector<double>(6, 0.9));
}

TEST(CraneLoads, OneAxleCraneHasNoNeighbour) {
    CModuleData d;
    MakeGirder(d, 10.0);
    CCrane& c = d.m_cranes[0];
    FER_VaduLocalInput in{};
    FillVaduLocalInput(c, d, in, 0, 1, 0);
    EXPECT_DOUBLE_EQ(in.Fneighbour, 150.0);
    EXPECT_DOUBLE_EQ(in.spacing, 4.0);  // the later axle's spacing
    c.m_numOfAxis = 1;
    c.SetAxisCount();
    FillVaduLocalInput(c, d, in, 0, 0, -1);
    EXPECT_DOUBLE_EQ(in.F, 150.0);
    EXPECT_DOUBLE_EQ(in.Fneighbour, 0.0);
    EXPECT_DOUBLE_EQ(in.spacing, 0.0);
    EXPECT_EQ(in.nAxles, 1);
}

}  // namespace

namespace {

// The wheel loads of every load group for a two-axle crane with every input
// set, by hand after EN 1991-3 Table 2.2 (groups 1 to 10), 2.12.1 (fatigue:
// phi_fat,1 = (1 + phi1)/2, phi_fat,2 = (1 + phi2)/2) and the characteristic
// values of the serviceability groups. Inputs per axle: Qc,max 10, Qc,assoc 6,
// Qh,max 20, Qh,assoc 5, HL 3, HT1 (assoc.) +-4, HT2 +-2, HS1 (assoc.) hs1,
// HS2 7, HT3 2.5, wind 0.8, QT 30, HB along 12, HB across 9, HTA 5.5; the
// lateral mass forces act in opposite senses on the two axles.
// phi1..phi7 = 1.1, 1.2, 0.5, 1.05, 1.5, 1.15, 1.25; eta = 0.3.
struct GroupLoads {
    double hx, hy0, hy1, v;  // Hx, Hy of axle 0 and 1, vertical
};

void SetAllInputs(CCrane& c, double hs1) {
    c.m_numOfAxis = 2;
    c.SetAxisCount();
    const double phi[9] = {1.1, 1.2, 0.5, 1.05, 1.5, 1.15, 1.25, 0.0, 0.0};
    for (int i = 0; i < 9; ++i) c.m_phi[i].SetValue(phi[i]);
    c.m_eta.SetValue(0.3);
    for (int a = 0; a < 2; ++a) {
        const double s = a == 0 ? 1.0 : -1.0;
        const double v[16] = {a == 0 ? 0.0 : 4.0, 10, 6, 20, 5, 3, 4 * s, 2 * s, hs1, 7, 2.5, 0.8, 30, 12, 9, 5.5};
        for (int k = 0; k < 16; ++k) c.AxisValue(a, k)->SetValue(v[k]);
    }
    c.GenerateLoads();
}

void ExpectGroups(const CCrane& c, const GroupLoads (&want)[19], const char* label) {
    for (int g = 0; g < 19; ++g) {
        EXPECT_NEAR(c.GetWheelLoad(0, g, 0), want[g].hx, 1e-9) << label << " group index " << g << " Hx";
        EXPECT_NEAR(c.GetWheelLoad(1, g, 0), want[g].hx, 1e-9) << label << " group index " << g << " Hx";
        EXPECT_NEAR(c.GetWheelLoad(0, g, 1), want[g].hy0, 1e-9) << label << " group index " << g << " Hy axle 0";
        EXPECT_NEAR(c.GetWheelLoad(1, g, 1), want[g].hy1, 1e-9) << label << " group index " << g << " Hy axle 1";
        EXPECT_NEAR(c.GetWheelLoad(0, g, 2), want[g].v, 1e-9) << label << " group index " << g << " V";
        EXPECT_NEAR(c.GetWheelLoad(1, g, 2), want[g].v, 1e-9) << label << " group index " << g << " V";
    }
}

}  // namespace

TEST(CraneLoads, GroupTableOfEveryGroupByHand) {
    CModuleData d;
    MakeGirder(d, 10.0);
    CCrane& c = d.m_cranes[0];
    // One girder: the ultimate groups take the maximum rail's HT2 and HS2.
    // Groups 1-4 and 8: phi5 HL = 4.5 along; phi5 HT2 + wind = +-3.0 + 0.8.
    d.m_craneSettings.m_bSecondBeam = 0;
    SetAllInputs(c, 1.0);
    const GroupLoads one[19] = {
        {4.5, 3.8, -2.2, 1.1 * 10 + 1.2 * 20},   // 1: phi1 Qc + phi2 Qh
        {4.5, 3.8, -2.2, 1.1 * 10 + 0.5 * 20},   // 2: phi1 Qc + phi3 Qh
        {4.5, 3.8, -2.2, 10},                    // 3: Qc
        {4.5, 3.8, -2.2, 1.05 * 30},             // 4: phi4 (Qc + Qh)
        {0, 7.8, 7.8, 1.05 * 30},                // 5: phi4 (Qc + Qh), HS2 + wind
        {0, 2.5, 2.5, 1.05 * 30},                // 6: phi4 (Qc + Qh), HT3
        {0, 0, 0, 10 + 0.3 * 20},                // 7: Qc + eta Qh
        {4.5, 3.8, -2.2, 1.1 * 10 + 1.15 * 30},  // 8: phi1 Qc + phi6 QT, phi5 HL, phi5 HT
        {1.25 * 12, 1.25 * 9, 1.25 * 9, 30},     // 9: Qc + Qh, phi7 HB
        {0, 5.5, 5.5, 30},                       // 10: Qc + Qh, HTA
        {3, 2, -2, 30},                          // 11A1: Qc + Qh, HL, HT2
        {3, 2, -2, 10},                          // 11B1: Qc, HL, HT2
        {3, 4, -4, 11},                          // 11C1: associated, HT1
        {3, 4, -4, 6},                           // 11D1
        {0, 7, 7, 30},                           // 11A2: Qc + Qh, HS2
        {0, 7, 7, 10},                           // 11B2
        {0, 1, 1, 11},                           // 11C2: associated, HS1
        {0, 1, 1, 6},                            // 11D2
        {0, 0, 0, 0.5 * 2.1 * 10 + 0.5 * 2.2 * 20},  // fatigue: phi_fat,1 Qc + phi_fat,2 Qh
    };
    ExpectGroups(c, one, "one girder");

    // Both girders designed: the associated rail's HT1 (4 > 2) acts with the
    // maximum wheel loads, phi5 HT1 + wind = +-6.0 + 0.8; HS2 stays (7 > 1).
    d.m_craneSettings.m_bSecondBeam = 1;
    SetAllInputs(c, 1.0);
    GroupLoads two[19];
    std::copy(std::begin(one), std::end(one), std::begin(two));
    for (int g : {0, 1, 2, 3, 7}) {
        two[g].hy0 = 6.8;
        two[g].hy1 = -5.2;
    }
    ExpectGroups(c, two, "two girders");
    // The associated guide force larger (HS1 9 > 7): group 5 takes it.
    SetAllInputs(c, 9.0);
    two[4].hy0 = two[4].hy1 = 9.8;
    two[16].hy0 = two[16].hy1 = two[17].hy0 = two[17].hy1 = 9.0;
    ExpectGroups(c, two, "two girders, larger associated guide force");
}
