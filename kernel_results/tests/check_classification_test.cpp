// The c/t proof: decisive records, tie rule, failure threshold, "---" marks,
// the b/t table of other codes, and the class of a real IPE 300 run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "kernel_results/ClassCheck.h"
#include "testsupport/rtf_reader.h"
#include "testsupport/position_doc.h"

namespace {

using tovik::checks::CtCheckRecord;
using tovik::checks::CtDecisiveRecords;

CtCheckRecord Rec(double x, double ct, double l1, double l2, double l3, double l3r, double tie = 0) {
    CtCheckRecord r;
    r.x = x;
    r.ctRatio = ct;
    r.limitClass1 = l1;
    r.limitClass2 = l2;
    r.limitClass3 = l3;
    r.limitClass3Raised = l3r;
    r.tieValue = tie;
    return r;
}

bool HasParagraph(const rtftest::Document& d, const std::string& text) {
    return std::any_of(d.paragraphs.begin(), d.paragraphs.end(),
                       [&](const rtftest::Paragraph& p) { return p.text.find(text) != std::string::npos; });
}

std::vector<rtftest::Row> Rows(const rtftest::Document& d) {
    std::vector<rtftest::Row> rows;
    for (const auto& t : d.tables) rows.insert(rows.end(), t.begin(), t.end());
    return rows;
}

class CtReport : public ::testing::Test {
protected:
    results_test::ScratchDir dir{"ct"};
    void SetUp() override { CtDecisiveRecords().clear(); }
    rtftest::Document Write(const std::string& norm, int cls, int plastic, int* out = nullptr) {
        const int r = tovik::checks::WriteCtTables(norm, "ct.rtf", cls, plastic);
        if (out) *out = r;
        return rtftest::ParseRtfFile(dir.path() / "ct.rtf");
    }
};

TEST_F(CtReport, ZeroDesignCasesGiveHeaderRowsOnlyAndClassZeroPassed) {
    tovik::RunState run;
    run.reader.NormName = "EC";
    const int cls = tovik::checks::WriteCtCheckReport(run, 0, "ct.rtf", 0);
    EXPECT_EQ(cls, 0);
    const auto d = rtftest::ParseRtfFile(dir.path() / "ct.rtf");
    ASSERT_TRUE(d.ok) << d.error;
    const auto rows = Rows(d);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].header && rows[1].header);
    EXPECT_EQ(rows[0].cells.size(), 11u);
    EXPECT_TRUE(HasParagraph(d, "Querschnittsklassifizierung: Klasse 0."));
    EXPECT_TRUE(HasParagraph(d, "Nachweis erbracht!"));
}

TEST_F(CtReport, ElementEndWithoutSectionIsNotLookedUpAgain) {
    // No sections were built for the run (or the section file is closed):
    // nothing is classified and no record is made.
    tovik::RunState run;
    run.cdltr.fe.nKnoten = 3;
    run.cdltr.fe.nStab = 2;
    EXPECT_EQ(tovik::checks::CalcCtChecks(run, 0, 1, 0), 0.0);
    EXPECT_EQ(tovik::checks::GetSteelCheckHandle(run, -1), -1);
    EXPECT_TRUE(CtDecisiveRecords().empty());
}

TEST_F(CtReport, TieRuleOfNearlyEqualLimits) {
    struct Case {
        double l1, tie1, l2, tie2, winnerX;
    };
    const Case cases[] = {
        {10.0, 0.0, 10.0005, -1.0, 2.0},  // within 0.001: smaller tie value wins
        {10.0, 0.0, 10.0005, 0.0, 1.0},   // equal tie value: the earlier stays
        {10.0, -5.0, 9.9, 0.0, 2.0},      // clearly smaller limit wins
        {10.0, 0.0, 10.1, -9.0, 1.0},     // clearly larger limit loses
    };
    for (const Case& c : cases) {
        CtDecisiveRecords().clear();
        tovik::checks::MergeCtEntry(1, Rec(1.0, 5, 1, 1, 1, c.l1, c.tie1), false);
        tovik::checks::MergeCtEntry(1, Rec(2.0, 5, 1, 1, 1, c.l2, c.tie2), false);
        EXPECT_EQ(CtDecisiveRecords()[1].x, c.winnerX);
    }
    // Plastic checks decide on the class-2 limit.
    CtDecisiveRecords().clear();
    tovik::checks::MergeCtEntry(1, Rec(1.0, 5, 1, 8, 1, 1), true);
    tovik::checks::MergeCtEntry(1, Rec(2.0, 5, 1, 9, 1, 0.5), true);
    EXPECT_EQ(CtDecisiveRecords()[1].x, 1.0);
}

TEST_F(CtReport, DecisiveRatioOf1001FailsAnd10009Passes) {
    struct Case {
        int plastic;
        double ct;
        bool fails;
    };
    const Case cases[] = {{0, 1.001, true}, {0, 1.0009, false}, {1, 1.001, true}, {1, 1.0009, false}};
    for (const Case& c : cases) {
        CtDecisiveRecords().clear();
        // The decisive column has the limit 1.0; the others are generous.
        CtDecisiveRecords()[1 + 256 * 3] = c.plastic ? Rec(0.5, c.ct, 0.5, 1.0, 50, 50) : Rec(0.5, c.ct, 0.5, 0.9, 0.8, 1.0);
        const auto d = Write("EC", 3, c.plastic);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(HasParagraph(d, "Nachweis nicht erbracht!"), c.fails) << c.ct << " " << c.plastic;
        EXPECT_EQ(HasParagraph(d, "Querschnittsklassifizierung: Klasse 3."), !c.fails);
        if (c.fails) EXPECT_TRUE(HasParagraph(d, c.plastic ? "(max. 2 erforderlich)" : "(max. 3 erforderlich)"));
        // A passed check says that the class found meets the required one.
        if (!c.fails && !c.plastic)
            EXPECT_TRUE(HasParagraph(d, "Querschnittsklasse 3 erfüllt die Anforderung (höchstens Klasse 3). Nachweis erbracht!"));
    }
}

TEST_F(CtReport, NoLimitPrintsDashesAndLargeRaisedLimitOneDecimal) {
    CtDecisiveRecords()[1 + 256 * 7] = Rec(1.25, 5.28, 9.0, 10.0, 14.0, 1234.5678);
    CtDecisiveRecords()[2 + 256 * 7] = Rec(1.25, 5.28, 999999, 999999, 999999, 999999);
    CtDecisiveRecords()[9 + 256 * 7] = Rec(0.0, 3.0, 9.0, 999999.0004, 14.0, 20.0);
    const auto d = Write("EC", 1, 0);
    ASSERT_TRUE(d.ok);
    const auto rows = Rows(d);
    ASSERT_EQ(rows.size(), 5u);
    const std::vector<std::string> r1 = {"Flansch oben", "1.25", "5.28", "9.00", "0.59", "10.00", "0.53",
                                         "14.00", "0.38", "1234.6", "0.00"};
    EXPECT_EQ(rows[2].cells, r1);
    for (int i = 3; i < 11; ++i) EXPECT_EQ(rows[3].cells[static_cast<size_t>(i)], "---");
    EXPECT_EQ(rows[4].cells[0], "Blech-2");
    EXPECT_EQ(rows[4].cells[5], "---");  // within 0.001 of the mark
    EXPECT_EQ(rows[4].cells[6], "---");
}

TEST_F(CtReport, SameFlangeInTwoSectionsSortsByXAndNamesOnce) {
    CtDecisiveRecords()[1 + 256 * 2] = Rec(4.0, 5, 9, 10, 14, 20);
    CtDecisiveRecords()[1 + 256 * 9] = Rec(1.0, 6, 9, 10, 14, 20);
    const auto rows = Rows(Write("EC", 1, 0));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].cells[1], "1.00");
    EXPECT_EQ(rows[2].cells[0], "Flansch oben");
    EXPECT_EQ(rows[3].cells[1], "4.00");
    EXPECT_EQ(rows[3].cells[0], "");
    std::vector<CtCheckRecord> v = {Rec(2, 0, 0, 0, 0, 0), Rec(1, 0, 0, 0, 0, 0), Rec(3, 0, 0, 0, 0, 0)};
    tovik::checks::SortCtRecordsByX(v, 1);
    EXPECT_EQ(v[0].x, 3);
    EXPECT_EQ(v[2].x, 1);
    EXPECT_EQ(tovik::checks::CompareCtRecordsByX(&v[0], &v[0]), 0);
}

TEST_F(CtReport, DinBtTableFailsWithClass4AndListsEverySection) {
    // Sections with handles of 500 and more are listed too.
    CtDecisiveRecords()[3 + 256 * 2] = Rec(0.0, 30.0, 1, 1, 40.0, 1);
    CtDecisiveRecords()[3 + 256 * 812] = Rec(6.0, 46.0, 1, 1, 40.0, 1);
    CtDecisiveRecords()[1 + 256 * 812] = Rec(6.0, 5.0, 1, 1, 999999.0, 1);
    int cls = 0;
    const auto d = Write("DIN", 2, 0, &cls);
    EXPECT_EQ(cls, 4);
    const auto rows = Rows(d);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"Flansch oben", "6.00", "5.00", "---", "---"}));
    EXPECT_EQ(rows[3].cells, (std::vector<std::string>{"Steg links", "0.00", "30.00", "40.00", "0.75"}));
    EXPECT_EQ(rows[4].cells, (std::vector<std::string>{"", "6.00", "46.00", "40.00", "1.15"}));
    EXPECT_TRUE(HasParagraph(d, "b/t - Nachweis nicht erfüllt."));
    CtDecisiveRecords().erase(3 + 256 * 812);
    EXPECT_EQ(tovik::checks::WriteCtTables("DIN", "ct.rtf", 2, 0), 2);
}

}  // namespace
