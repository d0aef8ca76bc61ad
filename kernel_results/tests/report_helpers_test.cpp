// Shared routines of the calculation report: fitted number cells, support
// texts, combination rows, the open call and its header.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <limits>

#include "kernel_results/Report.h"
#include "testsupport/rtf_reader.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "testsupport/position_doc.h"

namespace {

using tovik::report::CombinationEntry;

TEST(ReportHelpers, FittedDecimalsFollowTheColumnWidth) {
    struct Case {
        double width, value;
        int decimals;
    };
    const Case cases[] = {
        {1.75, 0.5, 6},        // trunc(1.75 * 5 - 2) = 6
        {1.75, 12.3, 4},       // two integer digits: trunc((1.75 - 0.4) * 5 - 2) = 4
        {1.75, -12.3, 3},      // one less for the sign
        {1.75, 0.000001, 0},   // below 1e-5
        {1.75, 123456.0, 2},   // 1e5 and more
        {0.5, -3.0, 1},        // never below 0: 1
    };
    for (const Case& c : cases) EXPECT_EQ(tovik::report::FittedDecimals(c.width, c.value), c.decimals) << c.value;
}

TEST(ReportHelpers, SupportValuesAndPathParts) {
    EXPECT_EQ(tovik::report::SupportValueText(-1), "fest");
    EXPECT_EQ(tovik::report::SupportValueText(0), "frei");
    EXPECT_EQ(tovik::report::SupportValueText(5000), "5000");
    std::string out;
    EXPECT_EQ(tovik::report::GetPathPart("C:\\proj\\Halle 3\\pos1_XXX", out, 0), 1);
    EXPECT_EQ(out, "pos1_XXX");
    EXPECT_EQ(tovik::report::GetPathPart("/home/u/Halle 3/pos1_XXX", out, 1), 1);
    EXPECT_EQ(out, "Halle 3");
    EXPECT_EQ(tovik::report::GetPathPart("pos1", out, 0), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(tovik::report::GetPathPart("\\pos1", out, 1), 0);
}

TEST(ReportHelpers, CombinationRowsBreakByCombinationAndAfterFivePairs) {
    const auto rows = tovik::report::CombinationRows({{1, 0, 1.0}, {1, 1, 1.5}, {2, 0, 1.0}});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "1", "1.00", "2", "1.50", "", "", "", "", "", ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "1", "1.00"}));
    std::vector<CombinationEntry> six;
    for (int i = 0; i < 6; ++i) six.push_back({1, i, 1.0});
    const auto r6 = tovik::report::CombinationRows(six);
    ASSERT_EQ(r6.size(), 2u);
    EXPECT_EQ(r6[0].size(), 11u);
    EXPECT_EQ(r6[1], (std::vector<std::string>{"", "6", "1.00"}));
}

TEST(ReportHelpers, BeddingForcesFollowTheSpringsAndTheStiffness) {
    // A twist of 0.01 rad about the shear centre moves a point at ey = 0.1 m,
    // ez = 0.2 m by -ez*th = -0.002 m in y and +ey*th = 0.001 m in z.
    double q[4];
    tovik::report::EccentricSupportForces(0.001, 0.003, 0.004, 0.01, 100, 200, 300, 50, 0.1, 0.2, q);
    EXPECT_DOUBLE_EQ(q[0], -0.1);
    EXPECT_NEAR(q[1], -(0.003 - 0.002) * 200, 1e-12);
    EXPECT_NEAR(q[2], -(0.004 + 0.001) * 300, 1e-12);
    EXPECT_DOUBLE_EQ(q[3], -0.5);
}

TEST(ReportHelpers, PageSwitchSelectsTheOpenArguments) {
    struct Case {
        int sw, a, c;
    };
    for (const Case& k : {Case{-1001, 1, 1}, Case{-1000, 0, 1}, Case{-1, 0, 1}, Case{0, 0, 0}, Case{5, 0, 5}}) {
        const auto a = tovik::report::OpenArgsOf(k.sw);
        EXPECT_EQ(a.a, k.a) << k.sw;
        EXPECT_EQ(a.c, k.c) << k.sw;
    }
}

TEST(ReportHelpers, OpenWritesProjectAndPositionIntoTheHeader) {
    results_test::ScratchDir dir("rhdr");
    zadevoz::RtfResetReport();
    std::filesystem::create_directories(dir.path() / "Halle 3");
    const std::string name = (dir.path() / "Halle 3" / "pos1_XXX").string();
    ASSERT_EQ(tovik::report::OpenReportRtf(name, 5, 1), 0);
    tovik::report::WriteBlankLines(2);
    zadevoz::RtfCloseDocument(0);
    const auto d = rtftest::ParseRtfFile(name + ".rtf");
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.firstPage, 5);
    EXPECT_GE(d.paragraphs.size(), 2u);
    if (zadevoz::RtfSettings("gets/Projekt").empty()) EXPECT_NE(d.header.find("Halle 3"), std::string::npos) << d.header;
    if (zadevoz::RtfSettings("gets/Position").empty()) EXPECT_NE(d.header.find("pos1_XXX"), std::string::npos) << d.header;
    // A folder that does not exist cannot take the file: 1, nothing written.
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(tovik::report::OpenReportRtf((dir.path() / "missing" / "x").string(), -1001, 1), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
    bool shown = false;
    for (const auto& m : sink.messages) shown = shown || m.text.find("Bitte erst Word Schließen!") != std::string::npos;
    EXPECT_TRUE(shown);
}

// A number cell shows its value as "%.2lf" prints it: rounded to two
// decimals, a negative zero with its sign, huge values with all their digits.
TEST(ReportHelpers, NumberCellsShowTheValueWithTwoDecimals) {
    results_test::ScratchDir dir("rnum");
    zadevoz::RtfResetReport();
    const double values[] = {0.0, -0.0, 1.005, 2.675, -0.004, -0.005, 12345.678, -98765.4321, 1e20, 3.14159e-12,
                             -1e300, std::numeric_limits<double>::infinity()};
    const std::string name = (dir.path() / "zahlen").string();
    ASSERT_EQ(tovik::report::OpenReportRtf(name, -1001, 1), 0);
    zadevoz::RtfBeginTable({2.0});
    for (double v : values) tovik::report::WriteNumberCell(2.0, v);
    zadevoz::RtfEndTable();
    zadevoz::RtfCloseDocument(0);
    const auto d = rtftest::ParseRtfFile(name + ".rtf");
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.tables.size(), 1u);
    ASSERT_EQ(d.tables[0].size(), std::size(values));
    for (size_t i = 0; i < std::size(values); ++i) {
        char expected[512];
        std::snprintf(expected, sizeof expected, "%.2f", values[i]);
        ASSERT_EQ(d.tables[0][i].cells.size(), 1u);
        EXPECT_EQ(d.tables[0][i].cells[0], expected) << values[i];
    }
}

}  // namespace
