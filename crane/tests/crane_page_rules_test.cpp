// The rules of the crane-runway input pages without windows: editor fields,
// crane-system and rail rows, the player, cranes and axles, load groups,
// notch cases, result items and report switches.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "crane/CranePageRules.h"
#include "crane_fixture.h"

namespace {

using namespace cranepages;

std::vector<std::string> ShownTexts(const std::vector<SettingsField>& fields) {
    std::vector<std::string> t;
    for (const SettingsField& f : fields)
        if (f.shown) t.emplace_back(f.text);
    return t;
}

TEST(CranePageRules, SettingsFieldsByModeCodeAndAnnex) {
    CCraneSettings s;
    struct Case {
        int mode, code, annex;
        size_t rows;
        bool reduceShown;
    };
    const Case cases[] = {
        {MODE_ULS, kCodeEN1993, 1, 14, false},
        {MODE_ULS, kCodeEN1993, 0, 14, true},
        {MODE_ULS, 7, 1, 14, true},
        {MODE_SLS, kCodeEN1993, 1, 17, false},
        {MODE_FATIGUE, kCodeEN1993, 0, 6, false},
        {2, kCodeEN1993, 0, 0, false},
    };
    for (const Case& c : cases) {
        const auto fields = SettingsFields(c.mode, s, c.code, c.annex);
        EXPECT_EQ(fields.size(), c.rows) << c.mode;
        const auto shown = ShownTexts(fields);
        const bool reduce =
            std::find(shown.begin(), shown.end(), "Auflagerreaktionen abmindern(phi-0.1)") != shown.end();
        EXPECT_EQ(reduce, c.reduceShown) << c.mode << " " << c.annex;
    }
    // The header first, the bindings where the rows say.
    const auto uls = SettingsFields(MODE_ULS, s, 0, 0);
    EXPECT_EQ(uls[0].kind, FIELD_HEADER);
    EXPECT_EQ(uls[4].intValue, &s.m_bDecReactions);
    EXPECT_EQ(uls[7].kind, FIELD_INT);
    EXPECT_EQ(uls[10].intValue, &s.m_resultType[0]);
    EXPECT_EQ(uls[11].textValue, &s.m_sResultPos[0]);
    const auto sls = SettingsFields(MODE_SLS, s, 0, 0);
    EXPECT_EQ(sls[9].formula, &s.m_maxRelDeltaDefS);
    EXPECT_STREQ(sls[13].format, "%.1lf mm");
    EXPECT_EQ(sls[14].intValue, &s.m_resultType[3]);
    const auto fat = SettingsFields(MODE_FATIGUE, s, 0, 0);
    EXPECT_EQ(fat[2].intValue, &s.m_horizontalFatForce);
    EXPECT_EQ(fat[5].intValue, &s.m_bOutputLC[4]);
}

TEST(CranePageRules, OkCopiesCheckZeroDisplayToChecksOneAndTwo) {
    CCraneSettings s;
    s.m_resultType[0] = 3;
    s.m_sResultPos[0] = "1,4";
    s.m_bOutputLC[0] = 1;
    s.m_resultType[3] = 2;
    CopyCheck0Display(s);
    for (int k : {1, 2}) {
        EXPECT_EQ(s.m_resultType[k], 3);
        EXPECT_EQ(s.m_sResultPos[k], "1,4");
        EXPECT_EQ(s.m_bOutputLC[k], 1);
    }
    EXPECT_EQ(s.m_resultType[3], 2);
}

TEST(CranePageRules, CraneSystemRows) {
    struct Case {
        int type, check, autoPoints;
        bool set;
        std::array<bool, kSysRows> shown;
    };
    const Case cases[] = {
        // "Laufkran": check set and hidden, spacing and rail shown.
        {0, 0, 1, true, {true, false, true, false, true, true, true}},
        // "Unterflanschkran": spacing follows the check, eccentricity the points.
        {1, 0, 1, false, {true, true, false, true, true, true, false}},
        {1, 1, 0, false, {true, true, true, false, true, true, false}},
    };
    for (const Case& c : cases) {
        const SysRows r = CraneSysRows(c.type, c.check, c.autoPoints);
        EXPECT_EQ(r.setTwoGirders, c.set) << c.type << c.check;
        EXPECT_EQ(r.shown, c.shown) << c.type << c.check << c.autoPoints;
    }
}

TEST(CranePageRules, RailRowsIndicesAndFlatBar) {
    const auto flat = RailRows(0, FASTEN_BOLTED);
    EXPECT_FALSE(flat[RAIL_NORM] || flat[RAIL_NAME] || flat[RAIL_DATABASE]);
    EXPECT_TRUE(flat[RAIL_WIDTH] && flat[RAIL_HEIGHT] && flat[RAIL_BOLT]);
    EXPECT_FALSE(flat[RAIL_WELD_LENGTH] || flat[RAIL_WELD_GAP]);
    const auto rail = RailRows(2, FASTEN_INTERRUPTED);
    EXPECT_TRUE(rail[RAIL_NORM] && rail[RAIL_NAME] && rail[RAIL_DATABASE]);
    EXPECT_FALSE(rail[RAIL_WIDTH] || rail[RAIL_BOLT]);
    EXPECT_TRUE(rail[RAIL_WELD_LENGTH] && rail[RAIL_WELD_GAP]);
    // Reopening keeps a stored norm inside the list; a new type starts at 0.
    EXPECT_EQ(RailNormIndex(1, 2, false), 1);
    EXPECT_EQ(RailNormIndex(1, 2, true), 0);
    EXPECT_EQ(RailNormIndex(2, 2, false), 0);
    EXPECT_EQ(RailNormIndex(-1, 2, false), 0);
    EXPECT_EQ(RailNameIndex(5, 6), 5);
    EXPECT_EQ(RailNameIndex(6, 6), 0);
    EXPECT_EQ(FlatBarDescription("FL %.1lfx%.1lf", 40.0, 20.0), "FL 40.0x20.0");
}

TEST(CranePageRules, PlayerStepsStopsAndClamps) {
    struct Case {
        int n;
        int sliderMax;
        bool plays;
        std::vector<int> ticks;  // the position after each tick that moved on
    };
    const Case cases[] = {
        {0, 0, false, {}},
        {1, 0, true, {}},
        {3, 2, true, {1, 2}},
    };
    for (const Case& c : cases) {
        CCranePlayer p;
        p.SetCount(c.n);
        EXPECT_EQ(p.SliderMax(), c.sliderMax) << c.n;
        EXPECT_EQ(p.Play(), c.plays) << c.n;
        EXPECT_EQ(p.Position(), 0);
        EXPECT_EQ(p.Caption(), "[1]");
        std::vector<int> seen;
        for (int i = 0; i < 10 && p.Tick(); ++i) seen.push_back(p.Position());
        EXPECT_EQ(seen, c.ticks) << c.n;
        EXPECT_FALSE(p.Running()) << c.n;
    }
    CCranePlayer p;
    p.SetCount(4);
    p.SetPosition(9);
    EXPECT_EQ(p.Position(), 3);
    EXPECT_EQ(p.Caption(), "[4]");
    p.SetPosition(-2);
    EXPECT_EQ(p.Position(), 0);
    // Play while playing does not restart; stop ends it.
    ASSERT_TRUE(p.Play());
    ASSERT_TRUE(p.Tick());
    EXPECT_FALSE(p.Play());
    EXPECT_EQ(p.Position(), 1);
    p.Stop();
    EXPECT_FALSE(p.Tick());
}

TEST(CranePageRules, CraneCountAxlesAndAxleCopy) {
    CModuleData d;
    cranetest::MakeGirder(d, 10.0);
    d.m_cranes[0].m_strDesc = "Kran A";
    SetCraneCount(d.m_cranes, 3);
    ASSERT_EQ(d.m_cranes.size(), 3u);
    EXPECT_EQ(d.m_cranes[2].m_strDesc, "Kran A");
    d.m_cranes[1].m_strDesc = "B";
    SetCraneCount(d.m_cranes, 1);
    ASSERT_EQ(d.m_cranes.size(), 1u);
    EXPECT_EQ(d.m_cranes[0].m_strDesc, "Kran A");
    EXPECT_EQ(AxleCount(1), 2);
    EXPECT_EQ(AxleCount(-3), 2);
    EXPECT_EQ(AxleCount(4), 4);

    CCrane& c = d.m_cranes[0];
    for (int kind = 0; kind < CCrane::kKinds; ++kind) {
        c.AxisValue(0, kind)->SetValue(100.0 + kind);
        c.AxisValue(1, kind)->SetValue(200.0 + kind);
    }
    EXPECT_EQ(AxleCopyCommand(0, 1), 1);
    CopyAxleLoads(c, AxleCopyCommand(0, 1));
    EXPECT_DOUBLE_EQ(c.GetAxisValue(0, 0), 100.0);  // "Achsabstand" stays
    for (int kind = 1; kind < CCrane::kKinds; ++kind) EXPECT_DOUBLE_EQ(c.GetAxisValue(0, kind), 200.0 + kind);
    CopyAxleLoads(c, AxleCopyCommand(0, 7));  // no axle 7: nothing
    EXPECT_DOUBLE_EQ(c.GetAxisValue(0, 1), 201.0);
}

TEST(CranePageRules, LoadGroupsShowDashesWhenTheyDoNotCount) {
    CModuleData d;
    cranetest::MakeGirder(d, 10.0);
    CCrane& c = d.m_cranes[0];
    d.m_craneSettings.m_bSecondBeam = 1;
    // Group 0 is loaded on both axles (150 kN); group 1 is relevant through
    // axle 1 only, so axle 0's nine tiny values show "---".
    for (int k = 0; k < 9; ++k) cranetest::SetWheelLoad(c, 0, 1, k, 0.00009);
    cranetest::SetWheelLoad(c, 1, 1, 2, 5.0);
    cranetest::SetWheelLoad(c, 0, 12, 0, 3.0);
    d.m_craneSettings.m_checkEnabled[CCrane::GetGroupCheck(12)] = 1;
    EXPECT_TRUE(IsLoadGroupShown(c, d, 0, 0));
    EXPECT_FALSE(IsLoadGroupShown(c, d, 0, 1));
    EXPECT_TRUE(c.IsLoadGroupRelevant(d, 1, -1));
    EXPECT_TRUE(IsLoadGroupShown(c, d, 1, 1));
    EXPECT_TRUE(IsLoadGroupShown(c, d, 0, 12));
    d.m_craneSettings.m_bSecondBeam = 0;  // a single-girder runway
    for (int g : {12, 13, 16, 17}) {
        cranetest::SetWheelLoad(c, 0, g, 0, 3.0);
        EXPECT_FALSE(IsLoadGroupShown(c, d, 0, g)) << g;
    }
    d.m_craneSettings.m_checkEnabled[0] = 0;  // group 0's check off
    EXPECT_FALSE(IsLoadGroupShown(c, d, 0, 0));
}

TEST(CranePageRules, WheelLoadRowsFollowTheRunway) {
    CCraneSettings s;
    s.m_bSecondBeam = 0;
    s.m_checkEnabled[1] = 0;
    s.m_checkEnabled[2] = 1;
    std::set<int> hidden;
    for (int kind = 1; kind <= 16; ++kind)
        if (!IsLoadKindShown(kind, s)) hidden.insert(kind);
    EXPECT_EQ(hidden, (std::set<int>{3, 5, 7, 9, 14, 15, 16}));
    s.m_bSecondBeam = 1;
    s.m_checkEnabled[1] = 1;
    s.m_checkEnabled[2] = 0;
    hidden.clear();
    for (int kind = 1; kind <= 16; ++kind)
        if (!IsLoadKindShown(kind, s)) hidden.insert(kind);
    EXPECT_EQ(hidden, (std::set<int>{13}));
}

TEST(CranePageRules, NotchCellsEnablingAndPlateThickness) {
    struct Case {
        int generated, geometry, autoPoints;
        NotchCells want;
    };
    const Case cases[] = {
        {0, GEOM_CONTINUOUS, 1, {false, false, false, false, false}},
        {0, GEOM_POINT, 1, {false, false, true, false, false}},
        {0, GEOM_WELD, 1, {false, false, false, false, true}},
        {1, GEOM_POINT, 1, {true, true, false, true, false}},
        {1, GEOM_WELD, 0, {true, true, false, false, true}},
    };
    for (const Case& c : cases) {
        CNotchCase n;
        n.m_bSystem = c.generated;
        n.m_geomType = c.geometry;
        const NotchCells got = NotchCellStates(n, c.autoPoints);
        EXPECT_EQ(got.nameReadOnly, c.want.nameReadOnly);
        EXPECT_EQ(got.geometryReadOnly, c.want.geometryReadOnly);
        EXPECT_EQ(got.xEnabled, c.want.xEnabled) << c.generated << c.geometry;
        EXPECT_EQ(got.plateReadOnly, c.want.plateReadOnly) << c.generated << c.autoPoints;
        EXPECT_EQ(got.weldEnabled, c.want.weldEnabled) << c.geometry;
    }
    // A plate running from 12 mm to 20 mm is 16 mm thick half way.
    EXPECT_DOUBLE_EQ(PlateThickness(1.2, 2.0, 0.5), 16.0);
    EXPECT_DOUBLE_EQ(PlateThickness(1.2, 2.0, 0.0), 12.0);
    std::vector<SektTqe> plates(3);
    plates[0].ta = 1.2;
    plates[0].te = 2.0;
    plates[2].exclude = 1;
    EXPECT_EQ(PlateCount(plates), 2);
    CNotchCase n;
    n.m_tqe = 0;
    n.m_idx.SetValue(0.5);
    n.m_thickness.SetValue(7.0);
    EXPECT_TRUE(UpdatePlateThickness(n, plates));
    EXPECT_DOUBLE_EQ(n.m_thickness.GetValue(), 16.0);
    n.m_tqe = 3;  // beyond the plates: the stored thickness stays
    n.m_thickness.SetValue(7.0);
    EXPECT_FALSE(UpdatePlateThickness(n, plates));
    EXPECT_DOUBLE_EQ(n.m_thickness.GetValue(), 7.0);
    // The categories of the list.
    EXPECT_EQ(DetailCategories().size(), 14u);
    EXPECT_EQ(DetailCategories().front(), 36);
    EXPECT_EQ(DetailCategories().back(), 160);
}

TEST(CranePageRules, AppendedNotchCaseCopiesTheLast) {
    std::vector<CNotchCase> cases;
    const CNotchCase fresh = AppendedNotchCase(cases);
    EXPECT_EQ(fresh.m_tqe, -1);
    EXPECT_EQ(fresh.m_bActiv, 1);
    CNotchCase last;
    last.m_strName = "P1";
    last.m_iKerbGruppe = 5;
    last.m_bSystem = 1;
    last.m_iPlace = 4;
    cases.push_back(last);
    const CNotchCase copy = AppendedNotchCase(cases);
    EXPECT_EQ(copy.m_strName, "P1");
    EXPECT_EQ(copy.m_iKerbGruppe, 5);
    EXPECT_EQ(copy.m_bSystem, 0);
    EXPECT_EQ(copy.m_iPlace, 0);
}

TEST(CranePageRules, ResultItemsAndReportSwitches) {
    EXPECT_EQ(ResultItemData(3, 0), 3 * 65536 + 1);
    int pos = -5, result = 7;
    DecodeResultItem(ResultItemData(3, 0), 2, pos, result);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(result, 0);
    DecodeResultItem(ResultItemData(1, 4), 2, pos, result);  // index beyond the records
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(result, -1);
    pos = 9;
    DecodeResultItem(0, 2, pos, result);  // no item
    EXPECT_EQ(pos, 9);
    EXPECT_EQ(result, -1);

    EXPECT_EQ(ResultCranePosition("Tragsicherheit\\Kranstellung\\4 @\\My"), 3);
    EXPECT_EQ(ResultCranePosition("Tragsicherheit\\Extremal\\My"), 0);

    const auto& c = ReportSwitchControls();
    const std::map<int, int> sample{{0, 26179}, {2, 26182}, {3, 26181}, {4, 26183}, {20, 26199}, {21, 26200},
                                    {40, 26219}, {41, 26220}, {42, 26221}, {43, 26223}, {53, 26233}, {54, 26235}};
    for (const auto& [index, control] : sample) EXPECT_EQ(c[size_t(index)], control) << index;
    EXPECT_EQ(std::set<int>(c.begin(), c.end()).size(), 55u);  // no box twice
}

// The results tab's tree: the crane position's two levels read as one, the
// internal names of cranes, of the cranes together, of the stresses and of
// the difference curves as the engineer reads them.
TEST(CranePageRules, ResultTreePathsReadAsTheEngineerReads) {
    const struct {
        const char* title;
        const char* name;
        const char* path;
    } cases[] = {
        {"Tragsicherheit S/V\\Kranstellung\\1 (25 %)\\Schnittgrößen\\My", "", "Tragsicherheit S/V\\Kranstellung 1 (25 %)\\Schnittgrößen\\My"},
        {"Tragsicherheit S/V\\Kranstellung\\12\\Spannungen\\Quersteife\\SigmaX", "",
         "Tragsicherheit S/V\\Kranstellung 12\\Spannungen\\Quersteife\\σx"},
        {"Ermüdung\\Vadu 2\\TauXZ(Rad)(delta)", "", "Ermüdung\\Kran 2\\τxz (Rad) (Differenz)"},
        {"Ermüdung\\dDup\\SigmaV", "", "Ermüdung\\Krane zusammen\\σv"},
        {"Tragsicherheit S/V\\Spannungen\\Min SigmaX", "", "Tragsicherheit S/V\\Spannungen\\Min σx"},
        {"Gebrauchstauglichkeit\\Beulen\\Blech-1\\Ausnutzung", "", "Gebrauchstauglichkeit\\Beulen\\Blech-1\\Ausnutzung"},
        {"", "Ausnutzung", "Ausnutzung"},
        {"Signal\\Taupunkt", "", "Signal\\Taupunkt"},  // words that only begin like a stress stay
    };
    for (const auto& c : cases) EXPECT_EQ(ResultTreePath(c.title, c.name), c.path) << c.title;
}

// The check summary as a table: every column as wide as its widest cell,
// numbers right-aligned under their headings, the dashes across the table.
TEST(CranePageRules, SummaryColumnsLineUp) {
    const std::string summary =
        "Tragsicherheit S/V\t\tWert\t\tKranst.\tx=\r\n"
        "Auflagerreaktion\tAy max\t18.94\tkN\t8\t0.00\r\n"
        "\tAy min\t-6.26\tkN\t9\t6.00\r\n"
        "Spannungen\tAusn.\t0.54\t\t12\t3.75\r\n"
        "Stegansatz (Sx)\tAusn.\t1.02\t\t--\t0.15\r\n"
        "-------\r\n";
    const std::string expected =
        "Tragsicherheit S/V           Wert      Kranst.    x=\r\n"
        "Auflagerreaktion    Ay max  18.94  kN        8  0.00\r\n"
        "                    Ay min  -6.26  kN        9  6.00\r\n"
        "Spannungen          Ausn.    0.54           12  3.75\r\n"
        "Stegansatz (Sx)     Ausn.    1.02           --  0.15\r\n"
        "----------------------------------------------------\r\n";
    EXPECT_EQ(AlignSummaryColumns(summary), expected);
    // Umlauts count as one character each.
    EXPECT_EQ(AlignSummaryColumns("Ermüdung\tx\r\nAb\ty\r\n"), "Ermüdung  x\r\nAb        y\r\n");
    // A message without a table stays as it is.
    EXPECT_EQ(AlignSummaryColumns("Berechnung abgebrochen"), "Berechnung abgebrochen");
}

}  // namespace

