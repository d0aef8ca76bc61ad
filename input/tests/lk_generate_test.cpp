// Load-combination generation run of the settings and the protocol files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "input/LKData.h"
#include "platform/winsys/winsys.h"

namespace {

CActionRecord Action(int number, int group, int category, const std::string& text = "") {
    CActionRecord a;
    a.m_nNumber = number;
    a.m_nGroup = group;
    a.m_nCategory = category;
    a.m_strLoadCases = text;
    return a;
}

bool HasRule(const CLKData& lk, const std::string& type, const std::string& rule) {
    return std::any_of(lk.m_combinations.begin(), lk.m_combinations.end(),
                       [&](const CCombinationRecord& c) { return c.m_strType == type && c.m_strRule == rule; });
}

// EN 1990 with the German annex, mode 2: permanent action 1 and variable
// action 2 (categories A/B).
struct Mode2 : ::testing::Test {
    CLKData lk;
    void SetUp() override {
        lk.SetNorm(4);
        lk.SetModus(2);
        lk.m_actions = {Action(1, 0, 0, "t1"), Action(2, 1, 0, "t2")};
    }
};

TEST_F(Mode2, GeneratesLoadCasesFromTheActions) {
    ASSERT_TRUE(lk.Generate(1));
    EXPECT_EQ(lk.GetGeneratedLoadCaseNames(), (std::vector<std::string>{"(t1)", "(max t2)", "(min t2)"}));
    EXPECT_EQ(lk.m_actions[0].m_nMaxLoadCase, 1);
    EXPECT_EQ(lk.m_actions[0].m_nMinLoadCase, 0);
    EXPECT_EQ(lk.m_actions[1].m_nMaxLoadCase, 2);
    EXPECT_EQ(lk.m_actions[1].m_nMinLoadCase, 3);
    EXPECT_EQ(lk.m_actions[1].m_nFullGroup, 1);
    // The variable action always acts, with its maximum or its minimum
    // (never both); the permanent one with 1.35 or 1.0.
    for (const char* rule : {"1.35*(1)+1.50*(2)", "1.35*(1)+1.50*(3)", "1.00*(1)+1.50*(2)", "1.00*(1)+1.50*(3)"})
        EXPECT_TRUE(HasRule(lk, "Ed", rule)) << rule;
    EXPECT_TRUE(HasRule(lk, "Ed,perm", "1.00*(1)+0.30*(2)"));
    for (const auto& c : lk.m_combinations) {
        EXPECT_FALSE(c.m_strRule.find("(2)") != std::string::npos && c.m_strRule.find("(3)") != std::string::npos)
            << c.m_strRule;
        EXPECT_TRUE(c.m_factors.empty());
    }
    auto it = std::find_if(lk.m_combinations.begin(), lk.m_combinations.end(),
                           [](const CCombinationRecord& c) { return c.m_strRule == "1.35*(1)+1.50*(2)"; });
    ASSERT_NE(it, lk.m_combinations.end());
    EXPECT_EQ(it->m_strRuleUser, "1.35*(t1)+1.50*(max t2)");
}

TEST_F(Mode2, DuplicateActionNumbersKeepTheCombinations) {
    ASSERT_TRUE(lk.Generate(1));
    const auto before = lk.m_combinations.size();
    lk.m_actions.push_back(Action(2, 1, 6, "t3"));
    winsys::ScopedRecordingSink sink;
    EXPECT_FALSE(lk.Generate(1));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Einwirkung 2 ist mehrfach definiert worden");
    EXPECT_EQ(lk.m_combinations.size(), before);
    EXPECT_FALSE(lk.CheckDuplicateActions());
}

TEST_F(Mode2, ReadFactorsGivesEachLoadCaseItsFactor) {
    lk.m_bReadFactors = true;
    ASSERT_TRUE(lk.Generate(1));
    auto it = std::find_if(lk.m_combinations.begin(), lk.m_combinations.end(),
                           [](const CCombinationRecord& c) { return c.m_strRule == "1.00*(1)+1.50*(3)"; });
    ASSERT_NE(it, lk.m_combinations.end());
    EXPECT_EQ(it->m_factors, (std::vector<double>{1.0, 0.0, 1.5}));
}

TEST_F(Mode2, GenerationOffAndMissingInput) {
    lk.m_bGenerationOff = true;
    EXPECT_FALSE(lk.Generate(1));
    lk.m_bGenerationOff = false;
    winsys::ScopedRecordingSink sink;
    lk.m_actions.clear();
    EXPECT_FALSE(lk.Generate(1));  // no load case: no message
    EXPECT_TRUE(sink.messages.empty());
}

TEST(LkGenerate, ManyActionsOutsideTheFirstGroupDoNotOverflow) {
    // 1 permanent and 130 variable actions: 261 generated load cases. The
    // generator refuses the astronomical number of combinations with a
    // message; the run keeps the combinations it had.
    CLKData lk;
    lk.SetNorm(4);
    lk.SetModus(2);
    lk.m_actions.push_back(Action(1, 0, 0, "g"));
    for (int a = 2; a <= 131; ++a) lk.m_actions.push_back(Action(a, 1, 0, std::to_string(a)));
    lk.m_combinations.resize(1);
    winsys::ScopedRecordingSink sink;
    EXPECT_FALSE(lk.Generate(1));
    ASSERT_EQ(lk.GetGeneratedLoadCaseNames().size(), 261u);
    EXPECT_EQ(lk.GetGeneratedLoadCaseNames()[260], "(min 131)");
    EXPECT_EQ(lk.m_actions.back().m_nMaxLoadCase, 260);
    EXPECT_EQ(lk.m_actions.back().m_nMinLoadCase, 261);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("zu viele Kombinationen"), std::string::npos);
    EXPECT_EQ(lk.m_combinations.size(), 1u);
}

TEST(LkGenerate, RuleNamesReplaceEveryMarker) {
    // Ten and more load cases: "(1)" must not match inside "(10)".
    CLKData lk;
    lk.SetNorm(4);
    lk.SetModus(2);
    lk.m_actions.push_back(Action(1, 0, 0, "G"));
    for (int a = 2; a <= 6; ++a) lk.m_actions.push_back(Action(a, 1, 0, "Q" + std::to_string(a)));
    for (int i = 0; i < CLKData::kNumChecks; ++i) lk.m_bChecks[i] = false;
    lk.m_bChecks[14] = true;  // characteristic values per action
    ASSERT_TRUE(lk.Generate(1));
    const std::regex marker("\\([0-9]+\\)");
    bool sawTen = false;
    for (const auto& c : lk.m_combinations) {
        EXPECT_FALSE(std::regex_search(c.m_strRuleUser, marker)) << c.m_strRuleUser;
        if (c.m_strRule == "1.00*(10)") {
            sawTen = true;
            EXPECT_EQ(c.m_strRuleUser, "1.00*(max Q6)");
            EXPECT_EQ(c.m_strType, "AK6");
        }
    }
    EXPECT_TRUE(sawTen);
}

TEST(LkGenerate, Mode3ClampsGroupAndCategory) {
    CLKData lk;
    lk.SetNorm(4);
    lk.SetModus(3);
    lk.m_loadCases = {{1, 1, 0}, {2, 2, 0}};
    CActionRecord a1 = Action(1, 0, 0);
    a1.m_nFullGroup = 9;  // beyond the five groups
    CActionRecord a2 = Action(2, 1, 40);
    a2.m_nFullGroup = 1;
    lk.m_actions = {a1, a2};
    ASSERT_TRUE(lk.Generate(1));
    EXPECT_EQ(lk.m_actions[0].m_nFullGroup, 0);
    EXPECT_EQ(lk.m_actions[1].m_nCategory, 0);
    EXPECT_TRUE(HasRule(lk, "Ed", "1.35*(1)+1.50*(2)"));
    EXPECT_TRUE(HasRule(lk, "Ed", "1.00*(1)"));  // the variable action may be absent
    // Mode 3 keeps the generator's rules.
    for (const auto& c : lk.m_combinations) EXPECT_EQ(c.m_strRuleUser, c.m_strRule);
}

TEST(LkGenerate, AccidentalCheckOnlyWithAnAccidentalAction) {
    struct Case {
        bool accidentalAction;
        bool always;
        bool expected;
    };
    for (const Case& c : {Case{true, false, true}, Case{false, false, false}, Case{false, true, true}}) {
        CLKData lk;
        lk.SetNorm(4);
        lk.SetModus(3);
        lk.m_bChecks[2] = c.always;
        lk.m_loadCases = {{1, 1, 0}, {2, 2, 0}};
        CActionRecord a2 = Action(2, 1, 0);
        a2.m_nFullGroup = 1;
        lk.m_actions = {Action(1, 0, 0), a2};
        if (c.accidentalAction) {
            lk.m_loadCases.push_back({3, 3, 0});
            CActionRecord a3 = Action(3, 2, 0);
            a3.m_nFullGroup = 3;
            lk.m_actions.push_back(a3);
        }
        ASSERT_TRUE(lk.Generate(1));
        const bool any = std::any_of(lk.m_combinations.begin(), lk.m_combinations.end(),
                                     [](const CCombinationRecord& r) { return r.m_strType == "Ed,A"; });
        EXPECT_EQ(any, c.expected) << c.accidentalAction << c.always;
        if (c.accidentalAction) EXPECT_TRUE(HasRule(lk, "Ed,A", "1.00*(1)+0.50*(2)+1.00*(3)"));
    }
}

TEST(LkGenerate, Din18800PassesItsSixChecks) {
    CLKData lk;
    lk.SetNorm(1);
    lk.SetModus(3);
    lk.m_bChecks[14] = true;
    lk.m_loadCases = {{1, 1, 0}, {2, 2, 0}, {3, 3, 0}};
    CActionRecord q2 = Action(2, 1, 0), q3 = Action(3, 1, 0);
    q2.m_nFullGroup = q3.m_nFullGroup = 1;
    lk.m_actions = {Action(1, 0, 0), q2, q3};
    ASSERT_TRUE(lk.Generate(1));
    EXPECT_TRUE(HasRule(lk, "Ed", "1.35*(1)+1.35*(2)+1.35*(3)"));
    EXPECT_TRUE(HasRule(lk, "Ed", "1.35*(1)+1.50*(2)"));
    EXPECT_FALSE(HasRule(lk, "Ed", "1.35*(1)+1.35*(2)"));
    EXPECT_TRUE(HasRule(lk, "AK", "1.00*(1)+1.00*(2)+1.00*(3)"));
    EXPECT_TRUE(HasRule(lk, "AK2", "1.00*(2)"));
}

TEST(LkGenerate, ProtocolFilesAreStoredInTheDocument) {
    const auto cwd = std::filesystem::current_path();
    ZVDOC doc = ZEVUD_CreateDoc("");
    {
        CLKData lk;
        lk.SetOwner(nullptr, [doc] { return doc; });
        lk.SetNorm(4);
        lk.SetModus(2);
        lk.m_actions = {Action(1, 0, 0, "t1"), Action(2, 1, 0, "t2")};
        ASSERT_TRUE(lk.Generate(1));
        lk.m_bRulesEditable = true;
        lk.m_combinations.push_back({"Ed", "2.00*(1)", "2.00*(t1)", "", {}});
        lk.StoreProtocolFiles();
    }
    ZVELEM files = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "rtfFiles");
    ASSERT_NE(files, 0u);
    const auto dir = std::filesystem::path(RIGEL_TEST_TMP) / ("lk-protocol-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    struct Case {
        const char* attr;
        const char* contains;
    };
    for (const Case& c : {Case{"lastueberlagerung_gammaPsi", "psi0"}, Case{"lastueberlagerung_kombRegeln", "2.00*(1)"}}) {
        const auto out = dir / (std::string(c.attr) + ".rtf");
        ASSERT_EQ(ZEVUD_LoadFileFromAttr(files, c.attr, out.c_str()), 1) << c.attr;
        std::ifstream in(out, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.rfind("{\\rtf1", 0), 0u) << c.attr;
        int depth = 0, minDepth = 0;
        for (char ch : text) {
            depth += ch == '{' ? 1 : ch == '}' ? -1 : 0;
            minDepth = std::min(minDepth, depth);
        }
        EXPECT_EQ(depth, 0);
        EXPECT_EQ(minDepth, 0);
        EXPECT_NE(text.find(c.contains), std::string::npos) << c.attr;
    }
    // Nothing is left in the current directory.
    EXPECT_FALSE(std::filesystem::exists(cwd / "COMBOR_GammaPsi.rtf"));
    EXPECT_FALSE(std::filesystem::exists(cwd / "COMBOR_KombRegeln.rtf"));
    std::filesystem::remove_all(dir);
    ZEVUD_CloseDoc(doc);
}

TEST(LkGenerate, ProtocolFilesNeedANormAndADocument) {
    CLKData lk;
    lk.StoreProtocolFiles();  // no norm: nothing
    lk.SetNorm(4);
    lk.StoreProtocolFiles();  // no document: nothing
    SUCCEED();
}

}  // namespace
