// The actions, self weights, load cases and combinations of a crane check.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "crane/CraneOperations.h"
#include "crane_fixture.h"

namespace {

using cranetest::MakeGirder;
using cranetest::SetWheelLoad;

TEST(CraneActions, ActionsAndFactorsPerCheck) {
    struct Case {
        int bit, country;
        int norm, category;
        bool kinds[4];
        std::vector<double> gamma;
    };
    // EN 1990 Tables A1.2(B), A1.3; EN 1991-3 Table A.1 (gamma_Q 1.35, test
    // load 1.1); French annex gamma_Q 1.5 for every crane action.
    const Case cases[] = {
        {1, 0, 4, 13, {true, false, false, false}, {1.35, 1.0, 1.35, 1.35, 1.35}},
        {1, 1, 5, 13, {true, false, false, false}, {1.35, 1.0, 1.5, 1.5, 1.5}},
        {2, 0, 4, 13, {false, true, false, false}, {1.0, 1.0, 1.0, 1.0, 1.0}},
        {4, 0, 4, 14, {false, false, false, false}, {1.35, 1.0, 1.1, 1.1, 1.1}},
        {4, 1, 5, 14, {false, false, false, false}, {1.35, 1.0, 1.1, 1.1, 1.1}},
        {8, 0, 4, 13, {false, false, false, true}, {1.0, 1.0, 1.0, 1.0, 1.0}},
        {16, 1, 5, 13, {false, false, false, true}, {1.0, 1.0, 1.0, 1.0, 1.0}},
    };
    for (const Case& k : cases) {
        CModuleData d;
        MakeGirder(d, 10.0);
        d.m_info.m_nCountryCode = k.country;
        d.LK().m_bChecks[2] = true;
        DefineCraneActions(d, k.bit);
        const CLKData& lk = d.LK();
        EXPECT_EQ(lk.GetNorm(), k.norm) << k.bit;
        // The accidental check has one accidental action per accidental
        // group and crane: the girder's one crane adds its tilting force's.
        ASSERT_EQ(lk.m_actions.size(), k.bit == 2 ? 6u : 5u);
        const char* names[5] = {"ständig", "aussergewöhnlich", "Vadu 1 alternativ", "Vadu 2 alternativ",
                                "Vadu 3 alternativ"};
        const int groups[5] = {0, 3, 2, 2, 2};
        for (int a = 0; a < 5; ++a) {
            const CActionRecord& r = lk.m_actions[static_cast<size_t>(a)];
            EXPECT_EQ(r.m_nNumber, a + 1);
            EXPECT_EQ(r.m_strDesc, names[a]);
            EXPECT_EQ(r.m_nGroup, groups[a]);
            EXPECT_EQ(r.m_nFullGroup, groups[a]);
            EXPECT_EQ(r.m_nCategory, a < 2 ? 0 : k.category) << k.bit;
            EXPECT_TRUE(r.m_bNotSplit);
            EXPECT_FALSE(r.m_bReadOnly);
        }
        if (k.bit == 2) {
            const CActionRecord& r = lk.m_actions[5];
            EXPECT_EQ(r.m_nNumber, 6);
            EXPECT_EQ(r.m_strDesc, "aussergewöhnlich");
            EXPECT_EQ(r.m_nGroup, 3);
            EXPECT_EQ(r.m_nCategory, 0);
        }
        for (int s = 0; s < 4; ++s) EXPECT_EQ(lk.m_bChecks[s], k.kinds[s]) << k.bit << " kind " << s;
        std::vector<double> gamma = k.gamma;
        if (k.bit == 2) gamma.push_back(1.0);  // gamma_A = 1.0 (EN 1990 Table A1.3)
        EXPECT_EQ(d.m_partialFactors, gamma) << k.bit << " country " << k.country;
        // psi0, psi1, psi2: none for the permanent and accidental actions;
        // crane actions 1.0, 0.9 (EN 1991-3 Table A.2).
        std::vector<double> psi = {0, 0, 0, 0, 0, 0, 1.0, 0.9, 0.9, 1.0, 0.9, 0.9, 1.0, 0.9, 0.9};
        if (k.bit == 2) psi.insert(psi.end(), {0, 0, 0});
        EXPECT_EQ(d.m_combinationFactors, psi);
    }
}

// Each accidental load group of each crane is an accidental action of its
// own (EN 1990 6.4.3.3: one accidental action per combination), for up to
// three cranes: crane 1's buffer forces in action 2, the others after the
// crane actions.
TEST(CraneActions, AccidentalGroupsAreActionsOfTheirOwn) {
    const int expected[3][2] = {{2, 6}, {7, 8}, {9, 10}};
    for (int c = 0; c < 3; ++c)
        for (int g = 8; g <= 9; ++g) EXPECT_EQ(AccidentalAction(c, g), expected[c][g - 8]) << c << " " << g;
    EXPECT_EQ(AccidentalAction(0, 7), -1);
    EXPECT_EQ(AccidentalAction(3, 8), -1);
    for (int cranes = 1; cranes <= 3; ++cranes) {
        CModuleData d;
        MakeGirder(d, 10.0);
        const CCrane first = d.m_cranes[0];
        d.m_cranes.assign(static_cast<size_t>(cranes), first);
        for (CCrane& c : d.m_cranes) {
            SetWheelLoad(c, 0, 8, 2, 50.0);
            SetWheelLoad(c, 0, 9, 2, 50.0);
        }
        int next = 1;
        std::vector<std::string> names;
        PrepareLoadCases(d, 1, next, names);
        const CLKData& lk = d.LK();
        ASSERT_EQ(lk.m_actions.size(), 5u + 2u * static_cast<size_t>(cranes) - 1u) << cranes;
        // Every accidental group's loads lie in an accidental action (group
        // 3) that holds no other load case.
        std::map<int, std::set<std::string>> casesOfAction;
        for (const CLoadDef& l : d.m_loads) {
            if (l.m_strDesc.find("ACC") == std::string::npos) continue;
            const int a = l.m_iLoadCase;
            ASSERT_GE(a, 1);
            ASSERT_LE(a, static_cast<int>(lk.m_actions.size()));
            EXPECT_EQ(lk.m_actions[static_cast<size_t>(a - 1)].m_nGroup, 3);
            casesOfAction[a].insert(l.m_strDesc);
        }
        EXPECT_EQ(casesOfAction.size(), 2u * static_cast<size_t>(cranes));
        for (const auto& [a, cases] : casesOfAction) EXPECT_EQ(cases.size(), 1u) << "action " << a;
    }
}

TEST(CraneActions, SelfWeightLoads) {
    for (int craneTyp : {0, 1}) {
        CModuleData d;
        MakeGirder(d, 10.0);
        d.m_craneSettings.m_craneTyp = craneTyp;
        d.m_craneSettings.m_craneAddLoad.SetValue(0.5);
        d.m_sections[0].m_gamma = 78.5;
        d.DefineVariables();
        std::vector<CLoadDef> loads;
        std::vector<std::string> names = {"earlier"};
        int next = 2;
        d.m_loadCaseRatios.assign(6, 0.8);
        AddSelfWeightLoads(d, loads, next, names);
        EXPECT_EQ(next, 3);
        EXPECT_EQ(names, (std::vector<std::string>{"earlier", "G"}));
        EXPECT_EQ(d.m_loadCaseRatios, (std::vector<double>{0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 1, 1, 1, 1, 1, 1}));
        ASSERT_EQ(loads.size(), craneTyp == 0 ? 3u : 2u);
        const CLoadDef& girder = loads[0];
        EXPECT_EQ(girder.m_strDesc, "G(Träger)");
        EXPECT_EQ(girder.m_iLoadType, LOAD_SELF_WEIGHT);
        EXPECT_EQ(girder.m_val[0].GetValue(), 78.5);
        for (const CLoadDef& l : loads) {
            EXPECT_EQ(l.m_iLoadCase, 1);
            EXPECT_EQ(l.m_iDirection, 2);
            EXPECT_EQ(l.m_bHasDirection, 1);
            EXPECT_EQ(l.m_LCGen.m_strText, "2");
            EXPECT_EQ(l.m_ey.GetValue(), 0.0);
        }
        const CLoadDef& extra = loads.back();
        EXPECT_EQ(extra.m_strDesc, "G(Zusatz)");
        EXPECT_EQ(extra.m_iLoadType, LOAD_UNIFORM);
        EXPECT_EQ(extra.m_val[0].GetValue(), 0.5);
        EXPECT_DOUBLE_EQ(extra.m_length.GetValue(), 10.0);  // "tl", the girder's length
        if (craneTyp == 0) {
            const CLoadDef& rail = loads[1];
            EXPECT_EQ(rail.m_strDesc, "G(Schiene)");
            EXPECT_EQ(rail.m_iLoadType, LOAD_UNIFORM);
            EXPECT_EQ(rail.m_iNode, 0);
            // Flat rail 80 x 40 mm: 32 cm² x 78.5 kN/m³ = 0.2512 kN/m.
            EXPECT_NEAR(rail.m_val[0].GetValue(), 0.2512, 1e-12);
            EXPECT_DOUBLE_EQ(rail.m_length.GetValue(), 10.0);
        }
    }
}

// A section known only by its outline (cm), without a profile to reload.
CSection OutlineSection(double height) {
    CSection s;
    s.m_profSelType = 1;
    s.m_contourX = {-10.0, 10.0, 10.0, -10.0};
    s.m_contourY = {0.0, 0.0, height, height};
    s.m_gamma = 78.5;
    return s;
}

TEST(CraneLoadCases, SelfWeightOnly) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_cranes.clear();
    d.m_loadCaseRatios.assign(30, 0.5);  // left from an earlier run
    int next = 1;
    std::vector<std::string> names;
    PrepareLoadCases(d, 0, next, names);
    EXPECT_EQ(next, 2);
    EXPECT_EQ(names, std::vector<std::string>{"G"});
    EXPECT_EQ(d.m_loadCaseRatios, std::vector<double>(6, 1.0));
    const CLKData& lk = d.LK();
    ASSERT_EQ(lk.m_combinations.size(), 1u);
    EXPECT_EQ(lk.m_combinations[0].m_strType, "Ed,perm");
    EXPECT_EQ(lk.m_combinations[0].m_strRule, "1.00*(1)");
    EXPECT_EQ(lk.m_combinations[0].m_strRuleUser, "1.00*(1)");
    EXPECT_EQ(lk.m_combinations[0].m_strDesc, "G");
    // No crane: the crane psi2 keeps its value (no 0/0).
    EXPECT_EQ(d.m_dCranePsi2, 0.77);
    EXPECT_EQ(lk.m_dCranePsi2, 0.77);
    EXPECT_EQ(lk.m_actions[0].m_strLoadCases, "G");  // three loads, one name
}

TEST(CraneLoadCases, CraneLoadCasesAndActionTexts) {
    CModuleData d;
    MakeGirder(d, 10.0);
    CCrane& c = d.m_cranes[0];
    // Group 1 carries loads too: two load cases of the crane's action.
    for (int a = 0; a < 2; ++a) SetWheelLoad(c, a, 1, 2, 100.0);
    int next = 1;
    std::vector<std::string> names;
    std::vector<double> ey, ez;
    PrepareLoadCases(d, 0, next, names, &ey, &ez);
    std::vector<std::string> groupNames, ids;
    GetCraneLoadGroupNames(groupNames, ids, 1);
    EXPECT_EQ(next, 4);
    EXPECT_EQ(names, (std::vector<std::string>{"G", ids[0], ids[1]}));
    EXPECT_EQ(d.m_loadCaseRatios.size(), 18u);
    const CLKData& lk = d.LK();
    ASSERT_EQ(lk.m_combinations.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lk.m_combinations[static_cast<size_t>(i)].m_strRule, "1.00*(" + std::to_string(i + 1) + ")");
        EXPECT_EQ(lk.m_combinations[static_cast<size_t>(i)].m_strDesc, names[static_cast<size_t>(i)]);
    }
    // Two axles per group, each with its load-case name once in the action's text.
    EXPECT_EQ(lk.m_actions[2].m_strLoadCases, ids[0] + ", " + ids[1]);
    EXPECT_EQ(lk.m_actions[1].m_strLoadCases, "");
    ASSERT_EQ(ey.size(), 1u);
    ASSERT_EQ(ez.size(), 1u);
    // Crane loads in action 3 (the crane's), after the three self weights.
    ASSERT_EQ(d.m_loads.size(), 3u + 4u);
    for (size_t i = 3; i < d.m_loads.size(); ++i) EXPECT_EQ(d.m_loads[i].m_iLoadCase, 3);
    // The loads are ready for the kernel: the proof switch of the check is on.
    EXPECT_TRUE(lk.m_bChecks[0]);
    EXPECT_TRUE(lk.m_bChecks[14]);
    EXPECT_FALSE(lk.m_bChecks[2]);
}

TEST(CraneLoadCases, Eccentricities) {
    struct Case {
        const char* name;
        int craneTyp, always, check, sClass;
        double ey;
    };
    // Stored lateral eccentricity 2.0 cm, "loadEcc" 1.5 cm.
    const Case cases[] = {
        {"switch on", 0, 1, 0, 2, 3.5},
        {"switch off", 0, 0, 0, 3, 2.0},
        {"fatigue, S3", 0, 0, 4, 3, 3.5},
        {"fatigue, S2", 0, 0, 4, 2, 2.0},
        {"underhung without wheel-load points", 1, 1, 0, 3, 0.0},
    };
    for (const Case& k : cases) {
        CModuleData d;
        MakeGirder(d, 10.0);
        d.m_sections = {OutlineSection(50.0), OutlineSection(60.0)};
        d.m_craneSettings.m_craneTyp = k.craneTyp;
        d.m_dLateralEcc = 2.0;
        d.m_bLoadEccAlways = k.always;
        d.m_craneSettings.m_loadEcc.SetValue(1.5);
        d.m_cranes[0].m_BGruppe = k.sClass;
        d.m_cranes.push_back(d.m_cranes[0]);
        int next = 1;
        std::vector<std::string> names;
        std::vector<double> ey, ez;
        PrepareLoadCases(d, k.check, next, names, &ey, &ez);
        ASSERT_EQ(ey.size(), 2u) << k.name;
        for (int c = 0; c < 2; ++c) {
            EXPECT_DOUBLE_EQ(ey[c], k.ey) << k.name;
            // Half the deepest section (60 cm), plus the rail (4 cm) above
            // for a crane on top.
            EXPECT_DOUBLE_EQ(ez[c], k.craneTyp == 0 ? -34.0 : 30.0) << k.name;
        }
    }
}

TEST(CraneLoadCases, UnderhungCraneTakesTheMeanOfTheWheelLoadPoints) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_craneSettings.m_craneTyp = 1;
    const int pro = d.m_sections[0].m_profile.GetHandle();
    // Two wheel-load points on the first horizontal plate, at 0.25 and 1.0.
    int plate = -1;
    SektTqe e{};
    for (int k = 0; plate < 0 && SEKT_PRO_GetResultTqe(pro, 0, k, &e) == 0; ++k)
        if (std::fabs(e.ye - e.ya) > 1.0) plate = k;
    ASSERT_GE(plate, 0);
    const double expected = 0.5 * ((e.ya + 0.25 * (e.ye - e.ya)) + e.ye);  // cm
    CNotchCase p;
    p.m_iPlace = 4;
    p.m_tqe = plate;
    p.m_idx.SetValue(0.25);
    d.m_notchCases.push_back(p);
    p.m_idx.SetValue(1.0);
    d.m_notchCases.push_back(p);
    p.m_iPlace = 3;  // other places do not count
    p.m_idx.SetValue(0.0);
    d.m_notchCases.push_back(p);
    int next = 1;
    std::vector<std::string> names;
    std::vector<double> ey, ez;
    PrepareLoadCases(d, 0, next, names, &ey, &ez);
    ASSERT_EQ(ey.size(), 1u);
    EXPECT_NEAR(ey[0], expected, 1e-9);
}

TEST(CraneLoadCases, CranePsi2IsThePermanentShare) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.LK().SetNorm(4);
    d.LK().RefreshFactors();
    // Sum of Qc,max 30 kN, of Qh,max 70 kN: psi2 = 30 / (30 + 70)
    // (EN 1991-3 Table A.2). A second crane with a smaller Qc,max does not count.
    CCrane& c = d.m_cranes[0];
    for (int a = 0; a < 2; ++a) {
        c.AxisValue(a, 1)->SetValue(15.0);
        c.AxisValue(a, 3)->SetValue(35.0);
    }
    CCrane second = c;
    for (int a = 0; a < 2; ++a) {
        second.AxisValue(a, 1)->SetValue(5.0);
        second.AxisValue(a, 3)->SetValue(5.0);
    }
    d.m_cranes.push_back(second);
    int next = 1;
    std::vector<std::string> names;
    PrepareLoadCases(d, 0, next, names);
    const CLKData& lk = d.LK();
    EXPECT_DOUBLE_EQ(d.m_dCranePsi2, 0.3);
    EXPECT_DOUBLE_EQ(lk.m_dCranePsi2, 0.3);
    int craneRows = 0;
    for (const CPsiRecord& r : lk.m_psiRows)
        if (r.m_strName.rfind("Kranlasten", 0) == 0) {
            EXPECT_DOUBLE_EQ(r.m_dPsi2, 0.3) << r.m_strName;
            ++craneRows;
        }
    EXPECT_EQ(craneRows, 3);  // ordinary, fatigue and test-load crane categories
    // Zero maximum wheel loads: no share, the value stays.
    for (CCrane& k : d.m_cranes)
        for (int a = 0; a < 2; ++a) {
            k.AxisValue(a, 1)->SetValue(0.0);
            k.AxisValue(a, 3)->SetValue(0.0);
        }
    next = 1;
    names.clear();
    PrepareLoadCases(d, 0, next, names);
    EXPECT_DOUBLE_EQ(d.m_dCranePsi2, 0.3);
    EXPECT_DOUBLE_EQ(d.LK().m_dCranePsi2, 0.3);
    EXPECT_FALSE(std::isnan(d.LK().m_dCranePsi2));
}

TEST(CraneLoadCases, ServiceabilityAndFatigue) {
    struct Case {
        int check, kind;
        bool sw[7];  // switches 1..7
    };
    const Case cases[] = {
        {3, 0, {false, false, false, true, false, false, false}},
        {3, 1, {false, false, false, false, true, false, false}},
        {3, 2, {false, false, false, false, false, true, false}},
        {3, 3, {false, false, false, false, false, false, true}},
        {4, 0, {false, false, false, false, false, false, true}},
        {1, 3, {false, true, false, false, false, false, false}},
        {2, 3, {true, false, false, false, false, false, false}},
    };
    for (const Case& k : cases) {
        CModuleData d;
        MakeGirder(d, 10.0);
        d.m_craneSettings.m_iReserved = k.kind;
        d.LK().m_bChecks[2] = true;
        d.LK().m_bChecks[15] = true;
        int next = 1;
        std::vector<std::string> names;
        PrepareLoadCases(d, k.check, next, names);
        for (int s = 0; s < 7; ++s) EXPECT_EQ(d.LK().m_bChecks[s], k.sw[s]) << k.check << "/" << k.kind << " sw " << s + 1;
        EXPECT_EQ(d.LK().m_bChecks[14], k.check <= 2);
        EXPECT_FALSE(d.LK().m_bChecks[15]);
    }
}

TEST(CraneLoadCases, FatigueDummyLoadsAndFieldLengths) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0), CFormulaValue(4.0)};
    for (double x : {1.5, 4.0, 8.25}) {
        CNotchCase p;
        p.m_xPos.SetValue(x);
        d.m_notchCases.push_back(p);
    }
    CNotchCase off;
    off.m_bActiv = 0;
    off.m_xPos.SetValue(9.0);
    d.m_notchCases.push_back(off);
    int next = 1;
    std::vector<std::string> names;
    PrepareLoadCases(d, 4, next, names);
    std::vector<double> at;
    for (const CLoadDef& l : d.m_loads) {
        if (l.m_strDesc != "G(Dummy)") continue;
        EXPECT_EQ(l.m_iLoadCase, 1);
        EXPECT_EQ(l.m_iLoadType, LOAD_POINT_FORCE_MOMENT);
        EXPECT_EQ(l.m_iDirection, 2);
        EXPECT_EQ(l.m_LCGen.m_strText, "1");
        EXPECT_EQ(l.m_val[0].GetValue(), 0.01);
        at.push_back(l.m_offset.GetValue());
    }
    EXPECT_EQ(at, (std::vector<double>{1.5, 4.0, 8.25}));
    // The field lengths are kept for the serviceability check only.
    EXPECT_TRUE(d.m_fieldLength0.empty());
    next = 1;
    names.clear();
    PrepareLoadCases(d, 3, next, names);
    EXPECT_EQ(d.m_fieldLength0, (std::vector<double>{6.0, 4.0}));
    EXPECT_EQ(d.m_fieldLength1, (std::vector<double>{6.0, 4.0}));
    for (const CLoadDef& l : d.m_loads) EXPECT_NE(l.m_strDesc, "G(Dummy)");
    d.m_fieldLengths.resize(1);
    next = 1;
    names.clear();
    PrepareLoadCases(d, 3, next, names);
    EXPECT_TRUE(d.m_fieldLength0.empty());
    EXPECT_TRUE(d.m_fieldLength1.empty());
}

}  // namespace
