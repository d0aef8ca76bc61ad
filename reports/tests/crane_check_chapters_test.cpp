// The check chapters of the crane-runway report: the check summary (as the
// calculation's plain-text message and in the report), the plate-buckling
// table, the detailed fatigue check and the rail-weld check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "module/tests/moddata_fixture.h"
#include "support/report_capture.h"

namespace {

using namespace moddatatest;
using rtftest::Document;

std::vector<std::string> Lines(const std::string& text, const char* end = "\n") {
    std::vector<std::string> out;
    size_t start = 0;
    const std::string sep = end;
    for (size_t at = text.find(sep); at != std::string::npos; at = text.find(sep, start)) {
        out.push_back(text.substr(start, at - start));
        start = at + sep.size();
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

class CraneCheckChapters : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        MakeCraneRunway(d, 6.0);
        d.DefineVariables();
        for (int c = 0; c < 5; ++c) d.m_craneSettings.m_checkEnabled[c] = 0;
        d.m_craneSettings.m_LTBEnabled = 0;
        d.m_userPointNames.clear();
    }
    void TearDown() override { d.RemoveTempSectionFile(); }
    // Check c with every result id present and the extremes given per id:
    // {id, maximum, minimum, crane position, x}.
    struct Extreme {
        int id;
        double max, min;
        int pos;
        double x;
    };
    void SetCheck(int c, const std::vector<Extreme>& values, int envelope = -1) {
        d.m_craneSettings.m_checkEnabled[c] = 1;
        d.m_craneResults[c].Init(2, 2, 44);
        CEnvelope& e = d.m_summaries[envelope < 0 ? c : envelope];
        e.SetSize(44);
        for (const Extreme& v : values) {
            e.m_value[1][v.id] = v.max;
            e.m_value[0][v.id] = v.min;
            e.m_cranePos[1][v.id] = e.m_cranePos[0][v.id] = v.pos;
            e.m_xpos[1][v.id] = e.m_xpos[0][v.id] = v.x;
        }
    }
    CModuleData d;
};

// The summary as the calculation's message: rows by the 0.01 limits, 2
// digits (1 from 100), the position counted from 1, the dash line after each
// check, the RTF marks removed and "\r\n" line ends.
TEST_F(CraneCheckChapters, SummaryAsMessage) {
    SetCheck(3, {
                    {2, 0.005, 0.0, 1, 1.0},      // below 0.01: no row
                    {4, 123.456, 123.45, 1, 1.5}, // minimum equal within 0.01: one row
                    {20, 12.5, -3.0, 2, 3.0},     // two rows
                });
    BuildCalcMessage(d);
    const std::vector<std::string> lines = Lines(d.m_strMessage, "\r\n");
    ASSERT_EQ(lines.size(), 5u) << d.m_strMessage;
    EXPECT_EQ(lines[0], "Gebrauchstauglichkeit\t\tWert\t\tKranst.\tx=");
    EXPECT_EQ(lines[1], "Verformung\tAusn.dwy\t123.5\t\t2\t1.50");
    EXPECT_EQ(lines[2], "Auflagerreaktion\tAz max\t12.50\tkN\t3\t3.00");
    EXPECT_EQ(lines[3], "\tAz min\t-3.00\tkN\t3\t3.00");
    EXPECT_EQ(lines[4], "-------------------------------------------------------");
    EXPECT_EQ(d.m_strMessage.find("{"), std::string::npos);
}

// Fatigue: "--" for the crane position; the buckling pass of checks 0..2 is
// a second table of ids up to 33 headed " (BDK)".
TEST_F(CraneCheckChapters, SummaryTablesInTheReport) {
    d.m_craneSettings.m_LTBEnabled = 1;
    SetCheck(0, {{20, 80.0, -20.0, 4, 3.0}, {33, 0.75, 0.0, 4, 3.0}});
    SetCheck(0, {{20, 95.0, -25.0, 5, 3.0}, {33, 0.9, 0.0, 5, 3.0}}, 5);
    d.m_userPointNames = {"Punkt 1"};
    SetCheck(4, {{39, 0.5, 0.0, 0, 2.0}, {38, 0.4, 0.0, 0, 2.0}});
    d.m_craneShortSummery = 1;
    Document doc = report_test::WriteAndRead([&] { d.WriteCheckSummary(0); });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 3u);
    // Normal pass of check 0: My max/min and the utilisation (bold, "Ausn").
    EXPECT_EQ(doc.tables[0][0].cells[0], "Tragsicherheit S/V");
    ASSERT_EQ(doc.tables[0].size(), 4u);
    EXPECT_EQ(doc.tables[0][1].cells[2], "80.00");
    EXPECT_EQ(doc.tables[0][1].cells[4], "5");
    EXPECT_EQ(doc.tables[0][3].cells[2], "0.75");
    // Buckling pass.
    EXPECT_EQ(doc.tables[1][0].cells[1], " (BDK)");
    EXPECT_EQ(doc.tables[1][1].cells[2], "95.00");
    // Fatigue: stress-point rows 38 and 39, no crane position.
    ASSERT_EQ(doc.tables[2].size(), 3u);
    EXPECT_EQ(doc.tables[2][1].cells[4], "--");
}

// Plate buckling in the summary: one plate per field, the largest
// utilisation; F_y is a utilisation (no unit).
TEST_F(CraneCheckChapters, PlateBucklingSummaryOnePlatePerField) {
    CPlateStressTable& b = d.m_bucklRes;
    b.m_numOfPlates = 3;
    b.m_numOfChecks = 1;
    b.m_numOfFields = 2;
    b.m_plateEnabled = {1, 1, 1};
    b.m_util = {0.2, 0.7, 0.5, 0.9, 0.9, 0.1};
    b.m_maxFrom.assign(6, 0);
    b.m_infoSx = {1, 2, 3, 4, 5, 6};
    b.m_infoTau.assign(6, 0);
    b.m_valSx.assign(6 * 8, 0.0);
    b.m_valTau.assign(6 * 8, 0.0);
    b.m_utilFib = {0.3, 0.4};
    b.m_utilFy = {0.25, 0.35};
    d.m_strMessage.clear();
    d.WritePlateBucklingTable(0, 1, 1);
    std::vector<std::string> lines = Lines(d.m_strMessage);
    ASSERT_EQ(lines.size(), 3u) << d.m_strMessage;
    EXPECT_EQ(lines[1], "Beulfeld-1\tBlech-2\t0.70\t\t2\t0.00");
    EXPECT_EQ(lines[2], "Beulfeld-2\tBlech-1\t0.90\t\t4\t0.00");  // the first of equal ones
    d.m_strMessage.clear();
    d.WritePlateBucklingTable(0, 0, 1);
    lines = Lines(d.m_strMessage);
    ASSERT_EQ(lines.size(), 1u + 2 * (3 + 2));
    EXPECT_EQ(lines[5], "\tF\\sub y\t0.25\t\t--\t--");
    EXPECT_EQ(lines[10], "\tF\\sub y\t0.35\t\t--\t--");
}

// The detailed fatigue check: crane rows only with more than one entry, the
// last the resultant; detail categories by notch index (EN 1993-1-9,
// Tables 8.1-8.10: index 0 = 36, 13 = 160, none for an invalid index);
// values below 0.0001 hidden.
TEST_F(CraneCheckChapters, FatigueDetail) {
    struct Case {
        int cranes;
        int notch;
        const char* category;
        const char* firstRow;
    } cases[] = {
        {1, 0, "36", "Quersteife"},
        {3, 13, "160", "Vadu-1"},
        {1, 14, "---", "Quersteife"},
    };
    for (const Case& c : cases) {
        d.m_notchCases[0].m_iKerbGruppe = c.notch;
        ASSERT_TRUE(d.m_fatDetail.SetSize(c.cranes, 1));
        double values[22] = {};
        values[0] = 12.5;  // L_eff
        for (int e = 0; e < c.cranes; ++e)
            d.m_fatDetail.UpdateFatigueResult(0, e, 3.0, 0, values, 0.8, 0.9);
        Document doc = report_test::WriteAndRead([&] { d.WriteFatigueDetail(); });
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 1u);
        const auto& rows = doc.tables[0];
        EXPECT_EQ(rows[0].cells[0], c.firstRow) << c.cranes;
        const size_t perEntry = (c.cranes > 1 ? 1 : 0) + 1 + 1 + 4;  // x, L_eff, two governing values
        ASSERT_EQ(rows.size(), perEntry * static_cast<size_t>(c.cranes)) << c.cranes;
        const size_t kerb = c.cranes > 1 ? 2 : 1;
        EXPECT_EQ(rows[kerb].cells[2], c.category);
        EXPECT_EQ(rows[kerb + 1].cells[2], "3.00");   // x
        EXPECT_EQ(rows[kerb + 2].cells[2], "12.50");  // L_eff
        if (c.cranes == 3) EXPECT_EQ(rows[2 * perEntry].cells[0], "Resultierende ddup");
    }
}

// The rail weld: shown for continuous and interrupted welds, not for a
// bolted rail; positions 0.005 m apart give one row.
TEST_F(CraneCheckChapters, RailWeld) {
    d.m_cranePositions = {1.0, 1.005, 2.0};
    CRailWeldTable& w = d.m_railWeld;
    ASSERT_TRUE(w.SetSize(1, 1, 3, 1));
    for (int p = 0; p < 3; ++p) {
        double* v = w.m_val.data() + p * 15;
        v[0] = 0;           // group
        v[4] = 4.0;         // a_w
        v[5] = 100.0 + p;   // P_z
        v[10] = 0.5 + 0.1 * p;
    }
    for (int connection : {0, 1, 2}) {
        d.m_rail.m_connection = connection;
        Document doc = report_test::WriteAndRead([&] { d.WriteRailWeld(); });
        ASSERT_TRUE(doc.ok) << doc.error;
        if (connection == 2) {
            EXPECT_TRUE(doc.tables.empty());
            continue;
        }
        ASSERT_EQ(doc.tables.size(), 1u) << connection;
        const auto& rows = doc.tables[0];
        ASSERT_EQ(rows.size(), 4u) << connection;
        EXPECT_EQ(rows[2].cells[0], "1.00");
        EXPECT_EQ(rows[2].cells[1], "4.0");
        EXPECT_EQ(rows[2].cells[2], "100.00");
        EXPECT_EQ(rows[3].cells[0], "2.00");
        EXPECT_EQ(rows[3].cells[7], "0.70");
    }
}

}  // namespace
