// Chapter order and switches of the calculation report over a hand-made run.
#include <gtest/gtest.h>

#include <algorithm>

#include "kernel_results/Report.h"
#include "testsupport/rtf_reader.h"
#include "platform/zadevoz/zadevoz.h"
#include "testsupport/position_doc.h"

namespace {

std::vector<std::string> Texts(const rtftest::Document& d) {
    std::vector<std::string> t;
    for (const auto& p : d.paragraphs) t.push_back(p.text);
    return t;
}

bool Has(const std::vector<std::string>& t, const std::string& s) {
    return std::any_of(t.begin(), t.end(), [&](const std::string& x) { return x.find(s) != std::string::npos; });
}

struct Case {
    int collectives;
    bool input;
};

class ReportChapters : public ::testing::TestWithParam<Case> {};

TEST_P(ReportChapters, HeadingsFollowTheCollectivesAndSwitches) {
    const Case c = GetParam();
    results_test::ScratchDir dir("rchap");
    zadevoz::RtfResetReport();
    tovik::RunState run;
    run.RunBaseName = "pos7";
    run.cdltr.Titel = "Träger 1";
    run.cdltr.printFlags.fill(1);
    run.cdltr.printFlags[19] = -1001;
    run.cdltr.printFlags[0] = run.cdltr.printFlags[1] = c.input ? 1 : 0;
    run.cdltr.nKnickLk = c.collectives;
    ASSERT_EQ(tovik::report::PrintReport(run), 0);
    const auto d = rtftest::ParseRtfFile(dir.path() / "pos7_XXX.rtf");
    ASSERT_TRUE(d.ok) << d.error;
    const auto t = Texts(d);
    EXPECT_TRUE(Has(t, "Träger 1"));
    EXPECT_EQ(Has(t, "Eingabedaten"), c.input);
    EXPECT_TRUE(Has(t, "Ergebnisse Knicksicherheitsnachweis"));
    EXPECT_EQ(Has(t, "Lastkollektiv 1"), c.collectives > 1);
    EXPECT_EQ(Has(t, "Lastkollektiv 2"), c.collectives > 1);
    EXPECT_EQ(Has(t, "Extremale Schnittgrößen"), c.collectives > 1);
    EXPECT_TRUE(Has(t, "Extremale Spannungen"));
    // The page switch below -1000 opens without page numbers, from page 1.
    EXPECT_EQ(d.firstPage, 1);
}

INSTANTIATE_TEST_SUITE_P(Runs, ReportChapters,
                         ::testing::Values(Case{1, true}, Case{2, true}, Case{2, false}, Case{0, false}));

}  // namespace
