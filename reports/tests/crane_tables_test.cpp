// The input protocol of the crane-runway report, read back from the written
// report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/tests/moddata_fixture.h"
#include "reports/CraneReport.h"
#include "support/report_capture.h"

namespace {

using namespace moddatatest;
using rtftest::Document;

std::vector<std::string> Texts(const Document& doc) {
    std::vector<std::string> out;
    for (const auto& p : doc.paragraphs)
        if (!p.text.empty()) out.push_back(p.text);
    return out;
}

bool HasText(const Document& doc, const std::string& part) {
    for (const std::string& t : Texts(doc))
        if (t.find(part) != std::string::npos) return true;
    return false;
}

class CraneTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        MakeCraneRunway(d, 6.0);
        d.DefineVariables();
    }
    void TearDown() override { d.RemoveTempSectionFile(); }
    CModuleData d;
};

TEST_F(CraneTables, SupportsAndHinges) {
    struct Case {
        std::vector<double> cz;  // cz of the two supports (the rest free)
        size_t rows;             // header rows + supports
        bool units;
    } cases[] = {{{0.0, 0.0}, 1, false}, {{kRigidSpring, 0.0}, 2, false}, {{kRigidSpring, 2500.0}, 4, true}};
    for (const Case& c : cases) {
        d.m_supports.assign(2, CSupport());
        for (size_t i = 0; i < 2; ++i) d.m_supports[i].m_cz.SetValue(c.cz[i]);
        Document doc = report_test::WriteAndRead([&] {
            d.WriteSupports();
            d.WriteHinges();
        });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(Texts(doc), std::vector<std::string>{"Auflagerbedingungen"}) << "no hinge chapter without hinges";
        ASSERT_EQ(doc.tables.size(), 1u);
        const auto& rows = doc.tables[0];
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows[0].cells[2], "Cx");
        if (c.units) {
            EXPECT_EQ(rows[1].cells[5], "[kN/rad]");
            EXPECT_EQ(rows[1].cells[8], "") << "no cell under CMw: the table call fills it empty";
            EXPECT_EQ(rows[3].cells[0], "B");
            EXPECT_EQ(rows[3].cells[1], "6.00");
            EXPECT_EQ(rows[3].cells[4], "2.500\xC2\xB7" "103");
        }
    }
    CHinge h;
    h.m_iNode = 1;
    h.m_release[4] = 1;
    h.m_strDesc = "Stoß";
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(2.0), CFormulaValue(4.0)};
    d.m_hinges = {h};
    Document doc = report_test::WriteAndRead([&] { d.WriteHinges(); });
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0][2].cells,
              (std::vector<std::string>{"2.00", "Stoß", "---", "---", "---", "---", "Frei", "---", "---"}));
}

TEST_F(CraneTables, SectionsProfilesOnceAndTheRailOnlyOnTop) {
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0), CFormulaValue(6.0), CFormulaValue(6.0)};
    CSection s = d.m_sections[0];
    CSection haunch = s;
    haunch.m_bVoute = 1;
    haunch.m_profName2 = "HEB 400";
    d.m_sections = {s, haunch, s};
    d.m_rail.m_bCalculation = 1;
    d.m_rail.m_connection = 2;
    d.m_rail.m_dBolt.SetValue(20.0);
    d.m_rail.m_d.SetValue(6.0);
    for (int type : {0, 1}) {
        d.m_craneSettings.m_craneTyp = type;
        Document doc = report_test::WriteAndRead([&] {
            d.WriteSections();
            d.WriteLoadProtocolSelfWeight();
        });
        ASSERT_TRUE(doc.ok) << doc.error;
        // Course, [rail], profiles, materials, self weight.
        ASSERT_EQ(doc.tables.size(), type == 0 ? 5u : 4u) << type;
        const auto& course = doc.tables[0];
        ASSERT_EQ(course.size(), 5u);
        EXPECT_EQ(course[3].cells, (std::vector<std::string>{"6.00", "12.00", "HEB 300", "HEB 400", "S235", "3"}));
        const auto& profiles = doc.tables[type == 0 ? 2 : 1];
        std::vector<std::string> labels;
        for (size_t r = 2; r < profiles.size(); ++r) labels.push_back(profiles[r].cells[0]);
        if (type == 0) {
            const std::string rail = d.m_rail.m_sObj;
            EXPECT_EQ(labels, (std::vector<std::string>{"HEB 300", "HEB 300+" + rail, "HEB 400", "HEB 400+" + rail}));
            EXPECT_TRUE(HasText(doc, "Befestigung: Geschraubt / Abstand Schienenrand: 20.0 mm / Elastische Unterlage 6.0 mm"));
            EXPECT_TRUE(HasText(doc, "Die Querschnittswerte der Schiene werden statisch berücksichtigt!"));
        } else {
            EXPECT_EQ(labels, (std::vector<std::string>{"HEB 300", "HEB 400"}));
            EXPECT_FALSE(HasText(doc, "Befestigung"));
            EXPECT_FALSE(HasText(doc, "Schiene"));
        }
        const auto& mats = doc.tables[type == 0 ? 3 : 2];
        EXPECT_EQ(mats.size(), 3u) << "one material";
        const auto& sw = doc.tables.back();
        EXPECT_EQ(sw.size(), type == 0 ? 6u : 5u) << "three fields and the rail on top";
        // HEB 300: A = 149 cm^2, 78.5 kN/m^3: 1.170 kN/m, 7.02 kN on 6 m.
        EXPECT_EQ(sw[2].cells[3], "1.170");
        EXPECT_EQ(sw[2].cells[5], "7.02");
    }
}

TEST_F(CraneTables, ParametricProfilesOfTheSameNameShowTheFirstKey) {
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(3.0), CFormulaValue(3.0)};
    CSection a = d.m_sections[0];
    a.m_profSelType = 1;
    a.m_profName = "Blechträger";
    a.m_iField = 0;
    CSection b = a;
    b.m_iField = 1;
    d.m_sections = {a, b};
    d.m_craneSettings.m_craneTyp = 1;
    Document doc = report_test::WriteAndRead([&] { d.WriteSections(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(doc.tables[0][2].cells[2], "PS1A");
    EXPECT_EQ(doc.tables[0][3].cells[2], "PS1A");
    EXPECT_EQ(doc.tables[1].size(), 3u) << "one profile row";
}

TEST_F(CraneTables, BasicLoadRowsHiddenWhenZeroAndAccompanyingRowsFollowTheSecondGirder) {
    CCrane& c = d.m_cranes[0];
    for (int a = 0; a < c.m_numOfAxis; ++a)
        for (int k = 0; k < CCrane::kKinds; ++k) c.AxisValue(a, k)->SetValue(0.0);
    c.AxisValue(0, 0)->SetValue(4.0);  // axle distance
    c.AxisValue(0, 1)->SetValue(30.0);
    c.AxisValue(1, 2)->SetValue(10.0);  // accompanying permanent
    for (int second : {1, 0}) {
        d.m_craneSettings.m_bSecondBeam = second;
        Document doc = report_test::WriteAndRead([&] { d.WriteLoadProtocolCrane(0); });
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 2u);
        const auto& basic = doc.tables[1];
        // Header, kinds 0 and 1, and with the second girder all four
        // accompanying kinds (rows 3, 5, 7, 9), zero or not.
        ASSERT_EQ(basic.size(), second ? 7u : 3u) << second;
        EXPECT_EQ(basic[2].cells[3], "30.00");
        EXPECT_EQ(doc.tables[0][1].cells.size(), 9u);
    }
}

TEST_F(CraneTables, CranePositionBlocks) {
    struct Case {
        int cranes;
        int positions;
        size_t columns;
        size_t rows;
    } cases[] = {
        {2, 8, 11, 2 + 3},  // three blocks of 2 + 2 columns, gaps between
        {1, 3, 11, 2 + 1},  // four blocks of "Nr" and "p"
        {0, 0, 1, 2},       // no crane: header rows only, no division by zero
        {5, 2, 6, 2 + 2},   // five cranes: one block, not none
    };
    for (const Case& c : cases) {
        std::vector<double> pos;
        for (int i = 0; i < c.positions * c.cranes; ++i) pos.push_back(1.0 + i);
        std::vector<double> offsets(static_cast<size_t>(c.cranes), 0.5);
        Document doc = report_test::WriteAndRead([&] { WriteCranePositionTable(c.cranes, pos, offsets); });
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 1u) << c.cranes;
        const auto& rows = doc.tables[0];
        EXPECT_EQ(rows.size(), c.rows) << c.cranes;
        EXPECT_EQ(rows[0].cells.size(), c.columns) << c.cranes;
        if (c.cranes == 2) {
            EXPECT_EQ(rows[0].cells[1], "x1");
            EXPECT_EQ(rows[2].cells[0], "1");
            EXPECT_EQ(rows[2].cells[1], "0.500");  // 1.0 - half the axle span
            EXPECT_EQ(rows[4].cells[4], "8");      // position 8: last row, second block
            EXPECT_EQ(rows[4].cells[8], "");      // third block empty
        }
        if (c.cranes == 1) {
            EXPECT_EQ(rows[0].cells[1], "p");
        }
    }
}

TEST_F(CraneTables, LoadSuperpositionRows) {
    CCraneReportCheck uls;
    uls.checkName = "Tragsicherheit S/V";
    uls.actions = {{"Ständig", 1.35, 0, 0, 0}, {"Außergewöhnlich", 1.0, 0.01, 0.5, 0.0},
                   {"Vadu 1", 1.35, 1.0, 0.9, 0.011}, {"Vadu 2/3 alternativ", 1.35, 1.0, 0.9, 0.0}};
    uls.ey = {2.5};
    uls.ez = {-15.0};
    CCraneReportCheck sls;
    sls.checkName = "Gebrauchstauglichkeit";
    sls.actions = {{"", 1.0, 0, 0, 0}, {"Vadu 1", 1.0, 1.0, 1.0, 1.0}};
    Document doc = report_test::WriteAndRead([&] { WriteCraneLoadSuperpositionTable({uls, sls}); });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    const auto& rows = doc.tables[0];
    ASSERT_EQ(rows.size(), 2u + 4u + 1u);
    EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"Tragsicherheit S/V", "Ständig", "1.35", "---", "---", "---",
                                                      "---", "---"}));
    // psi of exactly 0.01 is "---"; the accidental action shows crane 1's eccentricities.
    EXPECT_EQ(rows[3].cells, (std::vector<std::string>{"", "Außergewöhnlich", "1.00", "---", "0.50", "---", "2.5",
                                                      "-15.0"}));
    EXPECT_EQ(rows[4].cells[5], "0.01");
    EXPECT_EQ(rows[4].cells[6], "2.5");
    // The alternative action of a one-crane runway has no crane of its own.
    EXPECT_EQ(rows[5].cells[6], "---");
    EXPECT_EQ(rows[5].cells[7], "---");
    // A check whose action 0 has no name: its rows carry no check name.
    EXPECT_EQ(rows[6].cells[0], "");
    EXPECT_EQ(rows[6].cells[1], "Vadu 1");
}

// One crane of two axles 4 m apart whose group 0 (ultimate) and group 10
// (serviceability) carry wheel loads, and no other group.
void LoadTwoGroups(CCrane& c) {
    c.m_numOfAxis = 2;
    c.SetAxisCount();
    c.AxisValue(1, 0)->SetValue(4.0);
    for (CFormulaValue& v : c.m_wheelLoads) v.SetValue(0.0);
    auto set = [&](int a, int g, int k, double v) {
        c.m_wheelLoads[(static_cast<size_t>(a) * CCrane::kGroups + static_cast<size_t>(g)) * CCrane::kWheelValues +
                       static_cast<size_t>(k)]
            .SetValue(v);
    };
    for (int a = 0; a < 2; ++a) {
        set(a, 0, 2, 120.0);
        set(a, 10, 2, 80.0);
    }
}

TEST_F(CraneTables, LoadProtocolChapter) {
    LoadTwoGroups(d.m_cranes[0]);
    d.m_cranePositions = {3.0, 5.0};
    for (int sls : {1, 0}) {
        d.m_craneSettings.m_checkEnabled[3] = sls;
        Document doc = report_test::WriteAndRead([&] { d.WriteLoadProtocol(); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_TRUE(HasText(doc, "Lastprotokoll"));
        EXPECT_TRUE(HasText(doc, "Vadu 1 (Brückenkran 10 t)"));
        EXPECT_TRUE(HasText(doc, "Kranstellungen bez. Achse 1"));
        // Self weight; dynamic factors, basic loads, load groups, axles,
        // wheel loads; positions.
        ASSERT_EQ(doc.tables.size(), 7u);
        const size_t groups = sls ? 2u : 1u;  // group 10 only with its check
        EXPECT_EQ(doc.tables[3].size(), 1u + groups) << sls;
        const auto& wheels = doc.tables[5];
        ASSERT_EQ(wheels.size(), 2u + groups) << sls;
        EXPECT_EQ(wheels[2].cells[3], "120.00");
        EXPECT_EQ(wheels[2].cells[6], "120.00");
        // Positions at the first axle: 3.0 and 5.0 less half the axle span.
        const auto& positions = doc.tables[6];
        ASSERT_EQ(positions.size(), 3u);
        EXPECT_EQ(positions[2].cells[1], "1.000");
        EXPECT_EQ(positions[2].cells[4], "3.000");
    }
    // A second crane: its own tables without the load-group table.
    d.m_cranes.push_back(d.m_cranes[0]);
    d.m_cranes[1].m_strDesc = "Zweiter";
    d.m_cranePositions = {3.0, 9.0};
    Document doc = report_test::WriteAndRead([&] { d.WriteLoadProtocol(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_TRUE(HasText(doc, "Vadu 2 (Zweiter)"));
    EXPECT_EQ(doc.tables.size(), 1u + 5u + 4u + 1u);
}

TEST_F(CraneTables, LoadSuperpositionChapter) {
    LoadTwoGroups(d.m_cranes[0]);
    // A flat rail 80 x 40 mm on the HEB 300.
    d.m_rail.m_iTyp = 1;
    d.m_rail.m_b.SetValue(80.0);
    d.m_rail.m_h.SetValue(40.0);
    for (int c = 0; c < 5; ++c) d.m_craneSettings.m_checkEnabled[c] = c == 0 || c == 3;
    for (int country : {0, 1}) {
        d.m_info.m_nCountryCode = country;
        Document doc = report_test::WriteAndRead([&] { d.WriteLoadSuperposition(); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_TRUE(HasText(doc, "Lastüberlagerung und Exzentrizitäten"));
        ASSERT_EQ(doc.tables.size(), 1u);
        const auto& rows = doc.tables[0];
        // Two header rows, five actions for each of the two checks.
        ASSERT_EQ(rows.size(), 2u + 5u + 5u);
        EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"Tragsicherheit S/V", "ständig", "1.35", "---", "---",
                                                          "---", "---", "---"}));
        // The crane's action: gamma_Q 1.35 (1.5 with the French annex),
        // psi 1.0, 0.9, 0.9; e_y 0, e_z = -(30 / 2 + 4) cm above the centre.
        const std::string gamma = country ? "1.50" : "1.35";
        EXPECT_EQ(rows[4].cells, (std::vector<std::string>{"", "Vadu 1 alternativ", gamma, "1.00", "0.90", "0.90",
                                                          "0.0", "-19.0"}))
            << country;
        // The alternative action of a second crane that does not exist.
        EXPECT_EQ(rows[5].cells[2], gamma);
        EXPECT_EQ(rows[5].cells[6], "---");
        EXPECT_EQ(rows[7].cells[0], "Gebrauchstauglichkeit");
        EXPECT_EQ(rows[7].cells[2], "1.00");
    }
}

}  // namespace
