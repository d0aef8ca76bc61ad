// Combination rules, action texts and the two term lists.
#include <gtest/gtest.h>

#include "kernel/CombinationRules.h"
#include "kernel/KernelErrors.h"
#include "platform/winsys/winsys.h"

using namespace tovik;

namespace {

struct Pair {
    int32_t lc;
    double factor;
};

struct RuleCase {
    const char* rule;
    int32_t count;
    std::vector<Pair> pairs;  // every load case that occurs, with its factor
    size_t messages;
};

TEST(FrameRules, RulesGiveLoadCasesAndFactors) {
    const RuleCase cases[] = {
        {"1.35*(1+2)+1.5*(3)", 3, {{1, 1.35}, {2, 1.35}, {3, 1.5}}, 0},
        {"1,35*(1+2)", 2, {{1, 1.35}, {2, 1.35}}, 0},
        {"-1*(2)", 1, {{2, -1.0}}, 0},
        {"1*(1)-1.5*(2)", 2, {{1, 1.0}, {2, -1.5}}, 0},
        {"1.35*(1+2-3)", 3, {{1, 1.35}, {2, 1.35}, {3, 1.35}}, 1},
        {"1.35*(1-2)", 2, {{1, 1.35}, {2, 1.35}}, 1},
        {"(1+2)+1.5*(3)", 0, {}, 0},
        {"1.35*(1)+1.5*(1)", 2, {{1, 1.5}}, 0},
        {"1.0*(500)", 1, {{500, 1.0}}, 0},
        {"1.0 * ( 4 + 12 )", 2, {{4, 1.0}, {12, 1.0}}, 0},
        {"", 0, {}, 0},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.rule);
        winsys::ScopedRecordingSink sink;
        auto out = std::make_unique<RuleResult>();
        std::string why;
        EXPECT_EQ(ParseCombinationRule(c.rule, *out, &why), c.count);
        int32_t present = 0;
        for (int32_t i = 0; i < limits::kMaxLoadCases; ++i)
            if (out->loadCase[static_cast<size_t>(i)] != 0) ++present;
        EXPECT_EQ(present, static_cast<int32_t>(c.pairs.size()));
        for (const Pair& p : c.pairs) {
            EXPECT_EQ(out->loadCase[static_cast<size_t>(p.lc - 1)], p.lc);
            EXPECT_DOUBLE_EQ(out->factor[static_cast<size_t>(p.lc - 1)], p.factor);
        }
        EXPECT_EQ(sink.messages.size(), c.messages);
        if (c.messages) {
            EXPECT_EQ(sink.messages[0].text,
                      "in der Klammer sind keine negativen Vorzeichen erlaubt!\nKombinationen nachbearbeiten!");
        }
    }
}

TEST(FrameRules, RulesBeyondTheLimitsAreRefused) {
    const struct { std::string rule; const char* why; } cases[] = {
        {"1.35*(1+501)", "501"},
        {"1.0*(99999999999999)", "Lastfall"},
        {std::string(200, '1'), "199"},
        {"1.0*(" + std::string(40, '1') + ")", "Zahl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        auto out = std::make_unique<RuleResult>();
        std::string why;
        EXPECT_EQ(ParseCombinationRule(c.rule, *out, &why), -1);
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
}

TEST(FrameRules, KindCodesAndServiceabilityCategories) {
    EXPECT_EQ(LkKindCode("Gebr."), 1);
    EXPECT_EQ(LkKindCode("KNSW"), 0);
    EXPECT_EQ(LkKindCode("knsw"), -1);
    for (const char* t : {"Ed,perm", "Ed,frequ", "Ed,inf r", "Ed,rare"}) EXPECT_TRUE(IsServiceabilityCategory(t));
    for (const char* t : {"Ed", "Ed,A", "ed,perm", ""}) EXPECT_FALSE(IsServiceabilityCategory(t));
}

struct FrameTermsTest : ::testing::Test {
    std::unique_ptr<RunState> run = std::make_unique<RunState>();
    void Add(const char* kind, const char* rule) {
        run->combos.LkArt.push_back(kind);
        run->combos.LkRegel.push_back(rule);
        run->cdltr.nLkName = static_cast<int32_t>(run->combos.LkArt.size());
    }
};

TEST_F(FrameTermsTest, TwoServiceabilityRulesAndOneUltimateRule) {
    Add("KNSW", "1.35*(2+1)");
    Add("Gebr.", "1.0*(3)+1.0*(1)");
    Add("Gebr.", "1.0*(2)");
    Add("other", "1.0*(1)");
    ASSERT_EQ(ParseAllCombinations(*run), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.nRegelLk, 2);
    EXPECT_EQ(r.nKnickLk, 1);
    ASSERT_EQ(r.nRegelTerm, 3);
    // Terms of one combination stand in ascending load-case order.
    EXPECT_EQ(r.RegelTerm[0].Ko, 1);
    EXPECT_EQ(r.RegelTerm[0].Lf, 0);
    EXPECT_EQ(r.RegelTerm[1].Ko, 1);
    EXPECT_EQ(r.RegelTerm[1].Lf, 2);
    EXPECT_EQ(r.RegelTerm[2].Ko, 2);
    EXPECT_EQ(r.RegelTerm[2].Lf, 1);
    ASSERT_EQ(r.nKnickTerm, 2);
    EXPECT_EQ(r.KnickTerm[0].Lf, 0);
    EXPECT_FLOAT_EQ(r.KnickTerm[1].Fak, 1.35f);
}

TEST_F(FrameTermsTest, RuleNamingCase501StopsTheRunWithAnErrorLine) {
    Add("KNSW", "1.35*(1+501)");
    EXPECT_EQ(ParseAllCombinations(*run), codes::kBadValue);
    EXPECT_TRUE(run->stopped);
    EXPECT_EQ(run->ErrorCount, 1);
    EXPECT_NE(run->ErrorLines.find("FEHLER:  Kombination 1 \"1.35*(1+501)\""), std::string::npos) << run->ErrorLines;
}

TEST_F(FrameTermsTest, TermAndCombinationCountsAreBounded) {
    std::string rule = "1*(1";
    for (int i = 2; i <= 40; ++i) rule += "+" + std::to_string(i);
    rule += ")";
    // 1250 combinations of 40 terms fill the list exactly; one more does not fit.
    for (int k = 0; k < 1250; ++k) Add("Gebr.", rule.c_str());
    ASSERT_EQ(ParseAllCombinations(*run), 0);
    EXPECT_EQ(run->cdltr.nRegelTerm, limits::kMaxTerms);
    Add("Gebr.", "1*(1)");
    EXPECT_EQ(ParseAllCombinations(*run), codes::kModelTooLarge);
    EXPECT_NE(run->ErrorLines.find("mehr als 50000 Kombinationsglieder"), std::string::npos);

    auto other = std::make_unique<RunState>();
    other->cdltr.nLkName = limits::kMaxCombinations + 1;
    other->combos.LkArt.assign(static_cast<size_t>(other->cdltr.nLkName), "Gebr.");
    other->combos.LkRegel.assign(static_cast<size_t>(other->cdltr.nLkName), "1*(1)");
    EXPECT_EQ(ParseAllCombinations(*other), codes::kModelTooLarge);
}

TEST_F(FrameTermsTest, ActionTextsListTheLoadCasesOfEachAction) {
    ModelRecord& r = run->cdltr;
    r.nLf = 3;
    r.Lf_Einw[0] = 1;
    r.Lf_Einw[1] = 1;
    r.Lf_Einw[2] = 2;
    ASSERT_EQ(BuildActionTexts(*run), 0);
    EXPECT_EQ(r.nEinw, 2);
    EXPECT_EQ(run->combos.EinwText, (std::vector<std::string>{"1,2", "3"}));

    r.Lf_Einw[2] = 4;  // action 3 without load cases
    ASSERT_EQ(BuildActionTexts(*run), 0);
    EXPECT_EQ(run->combos.EinwText, (std::vector<std::string>{"1,2", "", "", "3"}));

    r.Lf_Einw[1] = limits::kMaxActions + 1;
    EXPECT_EQ(BuildActionTexts(*run), codes::kBadValue);
}

}  // namespace
