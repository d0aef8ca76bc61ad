// The local wheel-load check of a crane at a crane position and the system
// points of interest placed from it.
#include <gtest/gtest.h>

#include <algorithm>

#include "crane/CraneOperations.h"
#include "crane_fixture.h"
#include "platform/ferrum/ferrum.h"
#include "platform/winsys/winsys.h"

namespace {

using cranetest::MakeGirder;
using cranetest::PointOn;

// Where a point of interest lies on the girder's library section at x = 0.
cranetest::ElementPoint Where(CModuleData& d, const CNotchCase& p) {
    return PointOn(d.m_steelSections.GetSteelCheckSectionHandle(0.0), p.m_tqe, p.m_idx.GetValue());
}

const CNotchCase* Find(const CModuleData& d, const std::string& name) {
    for (const CNotchCase& p : d.m_notchCases)
        if (p.m_strName == name) return &p;
    return nullptr;
}

// Girder: top flange 300 x 25 mm, web 12 mm, flat rail worn to 80 x 30 mm,
// rigidly fixed: leff = 159.4 mm, sigma_oz = 150 000/(159.4 x 12) = 78.4 N/mm²,
// tau = 15.7 (EN 1993-6, 5.7.1 and Table 5.1; the derivation stands with the
// library's own cases). Axles 4 m apart: no neighbour within leff.
TEST(LocalEffects, WheelStressesAtTheAxlesOfACranePosition) {
    CModuleData d;
    MakeGirder(d, 10.0, 4.0, 1.0);
    PrepareSteelCheckSections(d);
    const CCrane& c = d.m_cranes[0];
    // Crane at x = 5: its axles stand at 3 and 7 (the gap of 1 m to the crane
    // in front is no part of its own axle positions), as its loads do.
    const std::vector<double> points{3.0, 4.0, 7.0, 8.0};
    std::vector<double> results;
    CalcLocalWheelLoadEffects(c, d, 5.0, 1, points, results, nullptr, nullptr);
    ASSERT_EQ(results.size(), 8u);
    EXPECT_NEAR(results[0], 78.4, 0.06);
    EXPECT_NEAR(results[1], 15.7, 0.02);
    EXPECT_EQ(results[2], 0.0);
    EXPECT_NEAR(results[4], 78.4, 0.06);
    EXPECT_EQ(results[6], 0.0);
    // Another load case adds nothing; the same again adds once more.
    CalcLocalWheelLoadEffects(c, d, 5.0, 2, points, results, nullptr, nullptr);
    EXPECT_NEAR(results[0], 78.4, 0.06);
    CalcLocalWheelLoadEffects(c, d, 5.0, 1, points, results, nullptr, nullptr);
    EXPECT_NEAR(results[0], 2 * 78.4, 0.12);
    d.m_steelSections.Reset();
}

TEST(LocalEffects, OneAxleCraneAndBottomFlangeSlots) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_cranes[0].m_numOfAxis = 1;
    d.m_cranes[0].SetAxisCount();
    PrepareSteelCheckSections(d);
    std::vector<double> results;
    CalcLocalWheelLoadEffects(d.m_cranes[0], d, 5.0, 1, {5.0}, results, nullptr, nullptr);
    EXPECT_NEAR(results[0], 78.4, 0.06);

    // Wheels on the bottom flange (300 x 25 mm): 150/2 kN per wheel,
    // n = 7.05 cm: mu = 2 x 70.5/(300 - 12) = 0.4896; every slot gets a value
    // and its id; kinds 3, 3, 4, 4, 5, 5.
    d.m_craneSettings.m_craneTyp = 1;
    d.m_craneSettings.m_loadDistOnBottomFlange.SetValue(7.05);
    results.clear();
    std::vector<int> ids, kinds;
    CalcLocalWheelLoadEffects(d.m_cranes[0], d, 5.0, 1, {5.0}, results, &ids, &kinds);
    ASSERT_EQ(results.size(), 12u);
    EXPECT_EQ(kinds, (std::vector<int>{3, 3, 4, 4, 5, 5}));
    for (int id : ids) EXPECT_EQ(PointOn(d.m_steelSections.GetSteelCheckSectionHandle(5.0), id, 0.5).line, 1);
    // Wheel line: sigma_ox = cx1 F/tf² with cx1(0.4896) = 2.230 - 0.7295 + 1.390 e^-8.974
    // = 1.5007; 75/2.5² = 12 kN/cm² = 120 N/mm²: 180.1 N/mm² (result 2s+1 of slot 2).
    EXPECT_NEAR(results[5], 180.1, 0.1);
    d.m_steelSections.Reset();
}

TEST(LocalEffects, SystemPointsOfTheRailCase) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_craneSettings.m_autoPOI = 1;
    CNotchCase user;  // a point of the user's stays
    user.m_strName = "Quersteife";
    d.m_notchCases = {user};
    CalcCraneLocalEffects(d);
    ASSERT_EQ(d.m_notchCases.size(), 5u);
    const CNotchCase* sx = Find(d, "Stegansatz (Sx)");
    const CNotchCase* tau = Find(d, "Stegansatz (Tau)");
    const CNotchCase* right = Find(d, "Schienenanschluss rechts");
    const CNotchCase* left = Find(d, "Schienenanschluss links");
    ASSERT_TRUE(sx && tau && right && left);
    EXPECT_EQ(sx->m_iPlace, 2);
    const cranetest::ElementPoint webTop = Where(d, *sx);  // the web (line 2), at its top
    EXPECT_EQ(webTop.line, 2);
    EXPECT_NEAR(webTop.z, 1.25, 1e-12);  // where the web meets the flange's underside
    EXPECT_DOUBLE_EQ(sx->m_thickness.GetValue(), 12.0);
    EXPECT_EQ(sx->m_iKerbGruppe, 13);
    EXPECT_EQ(tau->m_iKerbGruppe, 9);
    EXPECT_EQ(tau->m_iKerbGruppeW, 9);
    // Rail-foot edges at y = +4 cm (right, side 0) and -4 cm on the top flange.
    EXPECT_EQ(Where(d, *right).line, 0);
    EXPECT_NEAR(Where(d, *right).y, 4.0, 1e-12);
    EXPECT_NEAR(Where(d, *left).y, -4.0, 1e-12);
    EXPECT_DOUBLE_EQ(right->m_thickness.GetValue(), 25.0);
    EXPECT_EQ(right->m_iPlace, 1);
    EXPECT_EQ(right->m_iKerbGruppe, 11);
    EXPECT_EQ(right->m_geomType, 2);  // welded rail (connection 1)
    for (const CNotchCase& p : d.m_notchCases) EXPECT_EQ(p.m_bSystem, p.m_strName != "Quersteife");

    // Placing again keeps the user's notch groups of the existing points.
    d.m_notchCases[2].m_iKerbGruppe = 7;
    const std::string changed = d.m_notchCases[2].m_strName;
    CalcCraneLocalEffects(d);
    EXPECT_EQ(d.m_notchCases.size(), 5u);
    EXPECT_EQ(Find(d, changed)->m_iKerbGruppe, 7);

    // A crane on the bottom flange: the rail points go, six others come.
    d.m_craneSettings.m_craneTyp = 1;
    d.m_craneSettings.m_loadDistOnBottomFlange.SetValue(5.0);
    CalcCraneLocalEffects(d);
    EXPECT_EQ(d.m_notchCases.size(), 7u);
    EXPECT_EQ(Find(d, "Stegansatz (Sx)"), nullptr);
    for (const char* name : {"Stegansatz rechts", "Stegansatz links", "Radlast rechts", "Radlast links", "Rand rechts",
                             "Rand links"})
        EXPECT_NE(Find(d, name), nullptr) << name;
    d.m_steelSections.Reset();
}

TEST(LocalEffects, GivenPointsRoundTripKeepsTheirSides) {
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_craneSettings.m_craneTyp = 1;
    d.m_craneSettings.m_loadDistOnBottomFlange.SetValue(5.0);
    d.m_craneSettings.m_autoPOI = 1;
    CalcCraneLocalEffects(d);
    // Wheel lines at y = +-(15 - 5) on the bottom flange (line 1), tips at +-15.
    const struct {
        const char* name;
        double y;
    } expected[] = {{"Radlast rechts", 10.0}, {"Radlast links", -10.0}, {"Rand rechts", 15.0}, {"Rand links", -15.0}};
    auto check = [&] {
        for (const auto& e : expected) {
            const cranetest::ElementPoint p = Where(d, *Find(d, e.name));
            EXPECT_EQ(p.line, 1) << e.name;
            EXPECT_NEAR(p.y, e.y, 1e-12) << e.name;
        }
    };
    check();
    // The user's points handed to the library and placed from it again.
    d.m_craneSettings.m_autoPOI = 0;
    FER_VaduLocalSection rec{};
    FillFER_VaduLocalResultWithPOI(d, rec);
    EXPECT_NEAR(PointOn(d.m_steelSections.GetSteelCheckSectionHandle(0.0), rec.id[2], rec.idx[2]).y, 10.0,
                1e-12);  // side 0 holds "rechts"
    EXPECT_NEAR(PointOn(d.m_steelSections.GetSteelCheckSectionHandle(0.0), rec.id[3], rec.idx[3]).y, -10.0, 1e-12);
    EXPECT_DOUBLE_EQ(rec.thickness[2], 2.5);
    CalcCraneLocalEffects(d);
    check();
    d.m_steelSections.Reset();
}

TEST(LocalEffects, FillingTheRecordFromThePoints) {
    winsys::ScopedRecordingSink sink;
    CModuleData d;
    MakeGirder(d, 10.0);
    d.m_craneSettings.m_autoPOI = 0;
    // No points: nothing read, the kind-5 slots cleared (crane type 0).
    FER_VaduLocalSection rec{};
    rec.thickness[4] = 3;
    rec.thickness[0] = 3;
    FillFER_VaduLocalResultWithPOI(d, rec);
    EXPECT_EQ(rec.thickness[4], 0.0);
    EXPECT_EQ(rec.thickness[0], 3.0);
    // Three rail-connection points: the third is refused with the count message.
    auto point = [](const char* name, int place, int tqe, double idx) {
        CNotchCase p;
        p.m_strName = name;
        p.m_iPlace = place;
        p.m_bSystem = 1;
        p.m_tqe = tqe;
        p.m_idx.SetValue(idx);
        p.m_thickness.SetValue(25.0);
        return p;
    };
    d.m_notchCases = {point("Schienenanschluss rechts", 1, 0, 0.6), point("Schienenanschluss links", 1, 0, 0.4),
                      point("Schienenanschluss links 2", 1, 0, 0.1), point("Stegansatz (Sx)", 2, 2, 0.0),
                      point("Nicht vom System", 1, 0, 0.9)};
    d.m_notchCases.back().m_bSystem = 0;
    rec = FER_VaduLocalSection{};
    rec.idx[1] = 0.7, rec.thickness[1] = 1;
    FillFER_VaduLocalResultWithPOI(d, rec);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Error: FillFER_VaduLocalResultWithPOI -> count[1]>1");
    EXPECT_DOUBLE_EQ(rec.idx[2], 0.6);
    EXPECT_DOUBLE_EQ(rec.idx[3], 0.4);
    EXPECT_DOUBLE_EQ(rec.thickness[2], 2.5);
    EXPECT_EQ(rec.id[0], 2);
    EXPECT_EQ(rec.thickness[1], 0.0);  // the web top clears side 1
    // Placed automatically: the record stays as it is.
    d.m_craneSettings.m_autoPOI = 1;
    FER_VaduLocalSection untouched{};
    untouched.idx[2] = 0.25;
    FillFER_VaduLocalResultWithPOI(d, untouched);
    EXPECT_EQ(untouched.idx[2], 0.25);
}

}  // namespace
