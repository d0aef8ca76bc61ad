// A crane's load groups, axle geometry and the loads it puts on the girder.
#include <gtest/gtest.h>

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
