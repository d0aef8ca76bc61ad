// Combination generator: norm tables and generated combinations checked
// against combinations worked out by hand from the norms' rules.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "platform/combor/combor.h"

namespace {

using Factors = std::vector<double>;

struct Combo {
    std::string type;
    std::string rule;
    Factors f;
};

// One session with the given norm, closed at the end.
class Session {
public:
    explicit Session(const char* norm) : h_(COMBOR_StartSession()) { EXPECT_EQ(COMBOR_SetNorm(h_, norm), 1); }
    ~Session() { COMBOR_CloseSession(h_); }
    COMBOR_HANDLE h() const { return h_; }
    void Action(int einw, int group, int cat, bool fav, std::initializer_list<int> lcs) {
        COMBOR_DefEinw(h_, einw, group, cat, fav ? 1 : 0);
        for (int lc : lcs) COMBOR_SetLastfall(h_, lc, einw);
    }
    void Only(std::initializer_list<int> checks) {
        for (int i = 0; i < 32; ++i) COMBOR_EnableNachweis(h_, i, 0);
        for (int c : checks) COMBOR_EnableNachweis(h_, c, 1);
    }
    std::vector<Combo> Calc() {
        EXPECT_EQ(COMBOR_Calc(h_), 1) << combor::GetLastError(h_);
        std::vector<Combo> r;
        for (int k = 0; k < COMBOR_GetNumOfKombi(h_); ++k)
            r.push_back({combor::GetKombiTypStr(h_, k), combor::GetKombiStr(h_, k), combor::GetKombi(h_, k)});
        return r;
    }

private:
    COMBOR_HANDLE h_;
};

// Factor arrays of one type, rounded to 1e-6 for comparison.
std::multiset<std::vector<long long>> Of(const std::vector<Combo>& cs, const std::string& type) {
    std::multiset<std::vector<long long>> r;
    for (const auto& c : cs)
        if (c.type == type) {
            std::vector<long long> q;
            for (double x : c.f) q.push_back(std::llround(x * 1e6));
            r.insert(q);
        }
    return r;
}

std::multiset<std::vector<long long>> Expect(std::initializer_list<Factors> list) {
    std::multiset<std::vector<long long>> r;
    for (const auto& f : list) {
        std::vector<long long> q;
        for (double x : f) q.push_back(std::llround(x * 1e6));
        r.insert(q);
    }
    return r;
}

std::vector<long long> Q(const Factors& f) { return *Expect({f}).begin(); }

// G (load case 1), Q1 category A/B (load case 2), Q2 snow up to 1000 m
// (load case 3), all allowed to act favourably.
void ThreeActions(Session& s, int snowCategory) {
    s.Action(1, 0, 0, true, {1});
    s.Action(2, 1, 0, true, {2});
    s.Action(3, 1, snowCategory, true, {3});
}

// EN 1990 with the German annex, worked out by hand (6.10, 6.14b, 6.15b,
// 6.16b): psi of A/B 0.7/0.5/0.3, of snow up to 1000 m 0.5/0.2/0;
// gamma_G 1.35/1.0, gamma_Q 1.5.
TEST(ComborEn1990De, CombinationsEqualHandCalculation) {
    struct Case {
        int check;
        const char* type;
        std::multiset<std::vector<long long>> expected;
    };
    const std::vector<Case> cases = {
        {0, "Ed",
         Expect({{1.35, 0, 0}, {1.0, 0, 0}, {1.35, 1.5, 0}, {1.0, 1.5, 0}, {1.35, 0, 1.5}, {1.0, 0, 1.5},
                 {1.35, 1.5, 0.75}, {1.0, 1.5, 0.75}, {1.35, 1.05, 1.5}, {1.0, 1.05, 1.5}})},
        {2, "Ed,rare", Expect({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 0.5}, {1, 0.7, 1}})},
        {3, "Ed,frequ", Expect({{1, 0, 0}, {1, 0.5, 0}, {1, 0, 0.2}, {1, 0.3, 0.2}})},
        {4, "Ed,perm", Expect({{1, 0, 0}, {1, 0.3, 0}})},
    };
    for (const auto& c : cases) {
        Session s("EC_NAD");
        ThreeActions(s, 6);
        s.Only({c.check});
        auto combos = s.Calc();
        EXPECT_EQ(Of(combos, c.type), c.expected) << c.type;
        EXPECT_EQ(combos.size(), c.expected.size()) << c.type;
    }
}

TEST(ComborEn1990De, RuleTextsNameEachLoadCase) {
    Session s("EC_NAD");
    ThreeActions(s, 6);
    s.Only({0, 4});
    std::set<std::string> rules;
    for (const auto& c : s.Calc()) rules.insert(c.type + " " + c.rule);
    EXPECT_TRUE(rules.count("Ed 1.35*(1)+1.50*(2)+0.75*(3)"));
    EXPECT_TRUE(rules.count("Ed 1.35*(1)+1.05*(2)+1.50*(3)"));
    EXPECT_TRUE(rules.count("Ed 1.00*(1)+1.50*(2)"));
    // psi2 of snow is 0: the term is left out of the text.
    EXPECT_TRUE(rules.count("Ed,perm 1.00*(1)+0.30*(2)"));
}

// DIN 18800-1: gamma_F 1.35 (favourable 1.0) for permanent actions; one
// variable action with 1.5, several with 0.9 * 1.5 = 1.35.
TEST(ComborDin18800, BasicCombinations) {
    Session s("DIN 18800");
    s.Action(1, 0, 0, true, {1});
    s.Action(2, 1, 0, true, {2});
    s.Action(3, 1, 0, true, {3});
    s.Only({0});
    auto combos = s.Calc();
    EXPECT_EQ(Of(combos, "Ed"), Expect({{1.35, 0, 0}, {1.0, 0, 0}, {1.35, 1.5, 0}, {1.0, 1.5, 0}, {1.35, 0, 1.5},
                                        {1.0, 0, 1.5}, {1.35, 1.35, 1.35}, {1.0, 1.35, 1.35}}));
}

TEST(ComborReduction, CombinationBetweenTwoOthersIsLeftOut) {
    // Storage (psi0 = 1.0) and snow (psi0 = 0.5): with snow leading, storage
    // acts with 1.5 as well, so 1.35G + 1.5E + 0.75S lies between
    // 1.35G + 1.5E and 1.35G + 1.5E + 1.5S.
    Session s("EC_NAD");
    ThreeActions(s, 6);
    COMBOR_DefEinw(s.h(), 2, 1, 2, 1);
    s.Only({0});
    auto ed = Of(s.Calc(), "Ed");
    EXPECT_FALSE(ed.count(Q({1.35, 1.5, 0.75})));
    EXPECT_TRUE(ed.count(Q({1.35, 1.5, 1.5})));
    EXPECT_TRUE(ed.count(Q({1.35, 1.5, 0})));
}

TEST(ComborAlternatives, LoadCasesOfAnAlternativeActionNeverActTogether) {
    Session s("EC_NAD");
    s.Action(1, 0, 0, true, {1});
    s.Action(2, 2, 0, true, {2, 3, 4});
    s.Action(3, 1, 7, true, {5, 6});
    s.Action(4, 3, 0, false, {7});
    s.Action(5, 3, 0, false, {8});
    s.Only({0, 1, 2, 3, 4, 13, 14});
    auto combos = s.Calc();
    ASSERT_FALSE(combos.empty());
    std::set<std::pair<std::string, std::vector<long long>>> seen;
    for (const auto& c : combos) {
        int alternatives = (c.f[1] != 0) + (c.f[2] != 0) + (c.f[3] != 0);
        EXPECT_LE(alternatives, 1) << c.type << " " << c.rule;
        EXPECT_FALSE(c.f[6] != 0 && c.f[7] != 0) << "two accidental actions: " << c.rule;
        std::vector<long long> q;
        for (double x : c.f) q.push_back(std::llround(x * 1e6));
        EXPECT_TRUE(seen.insert({c.type, q}).second) << "twice: " << c.type << " " << c.rule;
    }
    // Additive load cases of one action act alone and together.
    auto ed = Of(combos, "Ed");
    EXPECT_TRUE(ed.count(Q({1.35, 1.5, 0, 0, 1.5 * 0.6, 1.5 * 0.6, 0, 0})));
    EXPECT_TRUE(ed.count(Q({1.35, 0, 0, 0, 0, 1.5, 0, 0})));
}

// Pattern loading of a two-span beam: G (load case 1) over both spans, Q
// (load case 2) with its span shares 3 (span 1) and 4 (span 2). Arranged
// span by span Q loads either span alone or both (EN 1990 6.10 with the
// German annex: gamma_G 1.35/1.0, gamma_Q 1.5); not arranged, only the
// whole load case acts.
TEST(ComborSpanWise, EveryArrangementOfLoadedSpans) {
    struct Case {
        bool spanWise;
        std::multiset<std::vector<long long>> expected;
    };
    const std::vector<Case> cases = {
        {true, Expect({{1.35, 0, 0, 0}, {1.0, 0, 0, 0}, {1.35, 0, 1.5, 0}, {1.0, 0, 1.5, 0}, {1.35, 0, 0, 1.5},
                       {1.0, 0, 0, 1.5}, {1.35, 0, 1.5, 1.5}, {1.0, 0, 1.5, 1.5}})},
        {false, Expect({{1.35, 0}, {1.0, 0}, {1.35, 1.5}, {1.0, 1.5}})},
    };
    for (const auto& c : cases) {
        Session s("EC_NAD");
        s.Action(1, 0, 0, true, {1});
        s.Action(2, 1, 0, true, {2});
        // Shares of the permanent load case take no part.
        EXPECT_EQ(COMBOR_SetFeldanteil(s.h(), 5, 1, 1), 1);
        EXPECT_EQ(COMBOR_SetFeldanteil(s.h(), 3, 2, 1), 1);
        EXPECT_EQ(COMBOR_SetFeldanteil(s.h(), 4, 2, 2), 1);
        EXPECT_EQ(COMBOR_SetEinwFeldweise(s.h(), 1, 1), 1);
        EXPECT_EQ(COMBOR_SetEinwFeldweise(s.h(), 2, c.spanWise ? 1 : 0), 1);
        s.Only({0});
        const auto combos = s.Calc();
        EXPECT_EQ(Of(combos, "Ed"), c.expected) << c.spanWise;
        EXPECT_EQ(combos.size(), c.expected.size()) << c.spanWise;
    }
}

TEST(ComborSpanWise, AlternativeLoadCasesKeepTheirSharesApart) {
    Session s("EC_NAD");
    s.Action(1, 0, 0, true, {1});
    s.Action(2, 2, 0, true, {2, 3});
    for (auto [share, lc, span] : {std::array<int, 3>{4, 2, 1}, {5, 2, 2}, {6, 3, 1}, {7, 3, 2}})
        COMBOR_SetFeldanteil(s.h(), share, lc, span);
    COMBOR_SetEinwFeldweise(s.h(), 2, 1);
    s.Only({0});
    const auto combos = s.Calc();
    std::set<std::vector<int>> loaded;  // shares acting together
    for (const auto& c : combos) {
        ASSERT_EQ(c.f.size(), 7u) << c.rule;
        EXPECT_EQ(c.f[1], 0.0) << c.rule;  // the whole load cases never act
        EXPECT_EQ(c.f[2], 0.0) << c.rule;
        std::vector<int> on;
        for (int j = 3; j < 7; ++j)
            if (c.f[static_cast<size_t>(j)] != 0) on.push_back(j + 1);
        EXPECT_FALSE(!on.empty() && on.front() <= 5 && on.back() >= 6) << "two alternatives together: " << c.rule;
        loaded.insert(on);
    }
    EXPECT_EQ(loaded, (std::set<std::vector<int>>{{}, {4}, {5}, {4, 5}, {6}, {7}, {6, 7}}));
}

TEST(ComborSpanWise, InvalidSharesAndTooManySpansAreRefused) {
    struct Case {
        const char* what;
        std::function<void(COMBOR_HANDLE)> setup;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"share numbered like a load case", [](COMBOR_HANDLE h) { COMBOR_SetFeldanteil(h, 1, 2, 1); }, "zugleich"},
        {"share of a load case nobody has", [](COMBOR_HANDLE h) { COMBOR_SetFeldanteil(h, 9, 8, 1); }, "nicht vergeben"},
        {"thirteen spans",
         [](COMBOR_HANDLE h) {
             for (int span = 1; span <= 13; ++span) COMBOR_SetFeldanteil(h, 10 + span, 2, span);
         },
         "feldweise"},
    };
    for (const auto& c : cases) {
        Session s("EC_NAD");
        s.Action(1, 0, 0, true, {1});
        s.Action(2, 1, 0, true, {2});
        COMBOR_SetEinwFeldweise(s.h(), 2, 1);
        c.setup(s.h());
        s.Only({0});
        EXPECT_EQ(COMBOR_Calc(s.h()), 0) << c.what;
        EXPECT_NE(combor::GetLastError(s.h()).find(c.reason), std::string::npos) << c.what;
        EXPECT_EQ(COMBOR_GetNumOfKombi(s.h()), 0) << c.what;
    }
    EXPECT_EQ(COMBOR_SetFeldanteil(0, 3, 2, 1), 0);
}

TEST(ComborAccidental, OneAccidentalActionWithPsi1OfTheLeadingAction) {
    Session s("EC_NAD");
    ThreeActions(s, 6);
    s.Action(4, 3, 0, false, {4});
    s.Only({1});
    auto acc = Of(s.Calc(), "Ed,A");
    // G + Ad + psi1 Q1 + psi2 Q2 and G + Ad + psi1 Q2 + psi2 Q1.
    EXPECT_TRUE(acc.count(Q({1, 0.5, 0, 1})));
    EXPECT_TRUE(acc.count(Q({1, 0.3, 0.2, 1})));
    EXPECT_TRUE(acc.count(Q({1, 0, 0, 1})));
    for (const auto& f : acc) EXPECT_EQ(f[3], 1000000);
}

TEST(ComborCharacteristic, AllActionsAndEachActionAlone) {
    Session s("EC_NAD");
    s.Action(1, 0, 0, true, {1});
    s.Action(2, 2, 0, true, {2, 3});
    s.Only({13, 14});
    auto combos = s.Calc();
    EXPECT_EQ(Of(combos, "AK"), Expect({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}));
    EXPECT_EQ(Of(combos, "AK1"), Expect({{1, 0, 0}}));
    EXPECT_EQ(Of(combos, "AK2"), Expect({{0, 1, 0}, {0, 0, 1}}));
    // "AK" first, then the actions in the order of their numbers.
    ASSERT_EQ(combos.size(), 6u);
    EXPECT_EQ(combos[3].type, "AK1");
    EXPECT_EQ(combos[4].type, "AK2");
}

TEST(ComborChecks, IndicesOfTheCharacteristicValuesByNorm) {
    struct Case {
        const char* norm;
        int ak;
    };
    for (const Case& c : {Case{"DIN 1055-100", 13}, Case{"EC_NAD", 13}, Case{"EC_NAF", 13}, Case{"EC", 12},
                          Case{"SIA 260:2003", 12}, Case{"DIN 18800", 3}}) {
        Session s(c.norm);
        s.Action(1, 0, 0, true, {1});
        s.Only({c.ak, c.ak + 1});
        auto combos = s.Calc();
        ASSERT_EQ(combos.size(), 2u) << c.norm;
        EXPECT_EQ(combos[0].type, "AK") << c.norm;
        EXPECT_EQ(combos[1].type, "AK1") << c.norm;
    }
}

// The crane runway's fatigue switch (index 5) of the German and French
// norms: the characteristic combination, permanent 1.0, leading 1.0, the
// others psi0 (EN 1990 6.14b); with psi0 = 1.0 of crane actions (EN 1991-3
// Table A.2; DIN 1055-100 here with storage loads, psi0 = 1.0 as well) every
// fatigue load case acts together with the permanent loads. EN and DIN
// 18800 have no such switch.
TEST(ComborChecks, FatigueSwitchGivesTheCharacteristicCombination) {
    struct Case {
        const char* norm;
        int category;  // a category with psi0 = 1.0
        size_t count;
    };
    for (const Case& c : {Case{"DIN 1055-100", 2, 4}, Case{"EC_NAD", 12, 4}, Case{"EC_NAF", 12, 4},
                          Case{"EC", 4, 0}, Case{"DIN 18800", 0, 0}}) {
        Session s(c.norm);
        s.Action(1, 0, 0, true, {1});
        s.Action(2, 1, c.category, true, {2});
        s.Action(3, 1, c.category, true, {3});
        s.Only({5});
        auto combos = s.Calc();
        ASSERT_EQ(combos.size(), c.count) << c.norm;
        if (c.count == 0) continue;
        EXPECT_EQ(Of(combos, "Ed,rare"), Expect({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}})) << c.norm;
    }
}

TEST(ComborNorms, GroupsCategoriesAndFactors) {
    struct Case {
        const char* norm;
        int minCategories;
    };
    for (const Case& c : {Case{"DIN 1055-100", 12}, Case{"EC_NAD", 15}, Case{"EC_NAF", 15}, Case{"EC", 17}}) {
        Session s(c.norm);
        ASSERT_EQ(COMBOR_GetNumOfLastGruppen(s.h()), 5);
        for (int g = 0; g < 5; ++g) EXPECT_EQ(COMBOR_GetLastGruppeType(s.h(), g), g);
        EXPECT_EQ(COMBOR_SetLastGruppe(s.h(), combor::GetLastGruppe(s.h(), 1).c_str()), 1);
        EXPECT_GE(COMBOR_GetNumOfLastKat(s.h()), c.minCategories) << c.norm;
        double psi[3];
        ASSERT_EQ(COMBOR_GetPsi(s.h(), 1, 0, psi), 1);
        EXPECT_DOUBLE_EQ(psi[0], 0.7);
        EXPECT_DOUBLE_EQ(psi[1], 0.5);
        EXPECT_DOUBLE_EQ(psi[2], 0.3);
        double g[2];
        ASSERT_EQ(COMBOR_GetGamma(s.h(), 0, 0, g), 1);
        EXPECT_DOUBLE_EQ(g[0], 1.0);
        EXPECT_DOUBLE_EQ(g[1], 1.35);
        ASSERT_EQ(COMBOR_GetGamma(s.h(), 1, 0, g), 1);
        EXPECT_DOUBLE_EQ(g[0], 0.0);
        EXPECT_DOUBLE_EQ(g[1], 1.5);
    }
    // Snow up to 1000 m: index 6 of the German tables, 8 of the EN table.
    struct Snow {
        const char* norm;
        int category;
    };
    for (const Snow& c : {Snow{"DIN 1055-100", 6}, Snow{"EC_NAD", 6}, Snow{"EC", 8}}) {
        Session s(c.norm);
        double psi[3];
        ASSERT_EQ(COMBOR_GetPsi(s.h(), 1, c.category, psi), 1);
        EXPECT_DOUBLE_EQ(psi[0], 0.5);
        EXPECT_DOUBLE_EQ(psi[1], 0.2);
        EXPECT_DOUBLE_EQ(psi[2], 0.0);
    }
}

TEST(ComborNorms, VariablesAndNoGammaPsi) {
    {
        Session s("EC_NAD");
        double psi[3], g[2];
        COMBOR_SetVariable(s.h(), "psi2_vadu", 0.6);
        ASSERT_EQ(COMBOR_GetPsi(s.h(), 2, 13, psi), 1);
        EXPECT_DOUBLE_EQ(psi[2], 0.6);
        COMBOR_SetVariable(s.h(), "GInfFactor", 1.111111111111111);
        COMBOR_GetGamma(s.h(), 0, 0, g);
        EXPECT_NEAR(g[1], 1.5, 1e-12);
        EXPECT_DOUBLE_EQ(g[0], 1.0);
        EXPECT_EQ(COMBOR_SetVariable(s.h(), "unknown", 1.0), 0);
    }
    {
        Session s("SIA 260:2003");
        double psi[3], g[2];
        COMBOR_GetGamma(s.h(), 0, 0, g);
        EXPECT_DOUBLE_EQ(g[0], 0.8);
        COMBOR_SetVariable(s.h(), "h", 500.0);
        COMBOR_GetPsi(s.h(), 1, 6, psi);
        EXPECT_DOUBLE_EQ(psi[2], 0.0);
        COMBOR_SetVariable(s.h(), "h", 1200.0);
        COMBOR_GetPsi(s.h(), 1, 6, psi);
        EXPECT_DOUBLE_EQ(psi[2], 0.2);
    }
    {
        Session s("EC_NAD");
        ThreeActions(s, 6);
        COMBOR_SetNoGammaPsi(s.h(), 1);
        s.Only({0});
        EXPECT_EQ(Of(s.Calc(), "Ed"), Expect({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}}));
    }
}

TEST(ComborErrors, RefusedRunsSayWhy) {
    {
        COMBOR_HANDLE h = COMBOR_StartSession();
        COMBOR_SetLastfall(h, 1, 1);
        COMBOR_DefEinw(h, 1, 0, 0, 1);
        EXPECT_EQ(COMBOR_Calc(h), 0);
        EXPECT_FALSE(combor::GetLastError(h).empty());
        COMBOR_CloseSession(h);
    }
    {
        Session s("EC_NAD");
        COMBOR_SetLastfall(s.h(), 1, 7);
        s.Only({0});
        EXPECT_EQ(COMBOR_Calc(s.h()), 0);
        EXPECT_NE(combor::GetLastError(s.h()).find("Einwirkung 7"), std::string::npos);
        EXPECT_EQ(COMBOR_GetNumOfKombi(s.h()), 0);
    }
    {
        // 130 variable actions, each with a maximum and a minimum: far too many
        // combinations; the run is refused without running away.
        Session s("EC_NAD");
        s.Action(1, 0, 0, true, {1});
        for (int a = 2; a <= 131; ++a) s.Action(a, 2, 0, false, {2 * a - 2, 2 * a - 1});
        s.Only({0});
        EXPECT_EQ(COMBOR_Calc(s.h()), 0);
        EXPECT_NE(combor::GetLastError(s.h()).find("zu viele"), std::string::npos);
    }
    {
        Session s("EC");
        EXPECT_EQ(COMBOR_SetLastfall(s.h(), 0, 1), 0);
        EXPECT_EQ(COMBOR_SetLastfall(s.h(), 2000000000, 1), 0);
    }
    EXPECT_EQ(COMBOR_CloseSession(987654), 0);
    EXPECT_EQ(COMBOR_GetNumOfKombi(987654), 0);
    EXPECT_EQ(COMBOR_SetNorm(987654, "EC"), 0);
}

TEST(ComborUserRules, RulesSetByTheUserGiveTheirFactors) {
    Session s("EC_NAD");
    COMBOR_SetNumOfKombi(s.h(), 2);
    COMBOR_SetKombiStr(s.h(), 0, "1.35*(1+2)+1.5*(3)");
    COMBOR_SetKombiTypStr(s.h(), 0, "Ed");
    COMBOR_SetKombiStr(s.h(), 1, "1,00*(10)");
    ASSERT_EQ(COMBOR_GetNumOfKombi(s.h()), 2);
    EXPECT_EQ(combor::GetKombiTypStr(s.h(), 0), "Ed");
    auto f = combor::GetKombi(s.h(), 0);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_DOUBLE_EQ(f[0], 1.35);
    EXPECT_DOUBLE_EQ(f[1], 1.35);
    EXPECT_DOUBLE_EQ(f[2], 1.5);
    EXPECT_DOUBLE_EQ(combor::GetKombi(s.h(), 1)[9], 1.0);
}

TEST(ComborSuperposition, CombinationResultsAreFactoredSums) {
    Session s("EC_NAD");
    ThreeActions(s, 6);
    s.Only({0});
    auto combos = s.Calc();
    ASSERT_EQ(COMBOR_InitResultSuperpositioning(s.h(), 2, 3), 1);
    // Load case j: value (node i, column c) = j * 100 + i * 10 + c.
    for (int j = 1; j <= 2; ++j) {
        std::vector<double> block;
        for (int i = 0; i < 3; ++i)
            for (int c = 0; c < 2; ++c) block.push_back(j * 100 + i * 10 + c);
        ASSERT_EQ(COMBOR_SetLastfallResult(s.h(), j, block.data()), 1);
    }
    std::vector<double> g(6, 0.0), q1(6, 0.0);
    for (int i = 0; i < 6; ++i) {
        g[i] = 100 + (i / 2) * 10 + i % 2;
        q1[i] = 200 + (i / 2) * 10 + i % 2;
    }
    for (size_t k = 0; k < combos.size(); ++k) {
        std::vector<double> out(6, -1.0);
        const int complete = COMBOR_GetResultSuperposition(s.h(), static_cast<int>(k), out.data());
        // Load case 3 has no results: combinations with it say so.
        EXPECT_EQ(complete, combos[k].f[2] == 0.0 ? 1 : 0) << combos[k].rule;
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(out[i], combos[k].f[0] * g[i] + combos[k].f[1] * q1[i], 1e-9);
    }
    std::vector<double> out(6, 0.0);
    EXPECT_EQ(COMBOR_GetResultSuperposition(s.h(), 999, out.data()), 0);
    EXPECT_EQ(COMBOR_InitResultSuperpositioning(s.h(), 0, 3), 0);
}

TEST(ComborNorms, TitlesNameTheNationalAnnex) {
    struct Case {
        const char* name;
        const char* title;
    } cases[] = {{"DIN 1055-100", "DIN 1055-100"}, {"DIN 18800", "DIN 18800"}, {"SIA 260:2003", "SIA 260:2003"},
                 {"EC", "EN 1990 (empfohlene Werte)"}, {"EC_NAD", "DIN EN 1990/NA:2010-12"},
                 {"EC_NAF", "NF EN 1990/NA"}, {"XYZ", ""}};
    for (const Case& c : cases) {
        char buf[64] = "?";
        EXPECT_EQ(COMBOR_GetNormTitle(c.name, buf, sizeof buf), static_cast<int>(std::string(c.title).size()));
        EXPECT_STREQ(buf, c.title) << c.name;
    }
}

TEST(ComborProtocol, WritesRtf) {
    auto dir = std::filesystem::path(RIGEL_TEST_TMP) / ("combor-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    Session s("EC_NAD");
    ThreeActions(s, 6);
    s.Only({0});
    s.Calc();
    auto file = dir / "prot.rtf";
    ASSERT_EQ(COMBOR_Protokoll(s.h(), 1, 1, file.c_str()), 1);
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    EXPECT_EQ(text.rfind("{\\rtf1", 0), 0u);
    int depth = 0;
    for (char c : text) {
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_NE(text.find("1.35*(1)+1.50*(2)+0.75*(3)"), std::string::npos);
    // The norm by its title with the national annex, not by its internal
    // name; the list without a heading of its own (the report heads it).
    EXPECT_NE(text.find("Kombinationsbeiwerte nach DIN EN 1990/NA:2010-12"), std::string::npos);
    EXPECT_EQ(text.find("EC_NAD"), std::string::npos);
    EXPECT_EQ(text.find("Lastfallkombinationen"), std::string::npos);
    EXPECT_EQ(COMBOR_Protokoll(s.h(), 1, 0, (dir / "missing" / "x.rtf").c_str()), 0);
    std::filesystem::remove_all(dir);
}

}  // namespace
