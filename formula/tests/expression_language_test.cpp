// The formula language: normalisation, values, precedence, errors with their
// codes and German texts, nesting limits and unknown characters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "formula/ExpressionParser.h"
#include "formula/VariableTable.h"
#include "formula/tests/support/FormulaTestSupport.h"

using formula_test::Eval;
using formula_test::kUntouched;

namespace {

struct NormaliseCase {
    const char* in;
    const char* out;
};

TEST(NormaliseFormulaText, RewritesWordsCommasSignsAndLeadingPoints)
{
    const NormaliseCase cases[] = {
        {".5", "0.5"},
        {"x.LT.y", "x<y"},
        {"x.lt.y", "x<y"},
        {"x.Lt.y", "x0.Lt0.y"},  // mixed case is left alone
        {"a.LE.b.OR.c.GE.d", "a<=b||c>=d"},
        {"a.eq.b.and.c.ne.d", "a==b&&c!=d"},
        {".TRUE..OR..false.", "1||0"},
        {"a.GT.1", "a>1"},
        {"1,5", "1.5"},
        {"max(1, 2)", "max(1. 2)"},
        {"a-b+c", "a - b + c"},
        {"1e-5", "1e - 5"},
        {"2*.5", "2*0.5"},
        {"1.2.3", "1.2.3"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        NormaliseFormulaText(text);
        EXPECT_EQ(text, c.out) << "input: " << c.in;
    }
}

struct ValueCase {
    const char* formula;
    double expected;
};

TEST(FormulaLanguage, EvaluatesWithPrecedenceAndAssociativity)
{
    CVariableTable table;
    table.Define("x", "", "", 1);
    table.Define("y", "", "", 2);
    const ValueCase cases[] = {
        {"2^3^2", 64},       // "^" is left-associative
        {"-2^2", -4},        // the sign takes the whole power
        {"2*-3", -6},        // a sign after "*" is a primary
        {"!0", 1},
        {"!2^2", 0},         // "!" binds tighter than "^"
        {"1 < 2 < 3", 1},
        {"3 > 2 > 1", 0},    // (3 > 2) is 1, and 1 > 1 is 0
        {"(1; 2; 3)", 3},
        {"max(1; 2)", 2},
        {"min(4; -3)", -3},
        {".5", 0.5},
        {"2,5*2", 5},
        {"1e5", 100000},
        {"10 - 2 - 3", 5},
        {"12 / 4 / 3", 1},
        {"2 + 3 * 4", 14},
        {"(2 + 3) * 4", 20},
        {"1 + 2 == 3", 1},
        {"2 != 2", 0},
        {"3 <= 3", 1},
        {"2 >= 3", 0},
        {"1 || 0", 1},
        {"0 || 0", 0},
        {"2 && 3", 1},
        {"2 && 0", 0},
        {"1 < 2 && 3 < 2", 0},
        {"x.LT.y", 1},
        {"x.lt.y", 1},
        {"y.LT.x", 0},
        {"x .EQ. 1", 1},
        {".TRUE. .AND. .FALSE.", 0},
        {"if(x < y; 10; 20)", 10},
        {"pi", 3.141592653589793},
        {"e", 2.718281828459045},
        {"y *= 3", 6},
        {"y /= 4", 0.5},
        {"y = 5; y + x", 6},
    };
    for (const auto& c : cases) {
        auto o = Eval(table, c.formula);
        EXPECT_TRUE(o.ok) << c.formula;
        EXPECT_DOUBLE_EQ(o.value, c.expected) << c.formula;
        EXPECT_TRUE(o.messages.empty()) << c.formula << ": " << o.messages.front().m_strText;
    }
}

TEST(FormulaLanguage, AssignmentToUnknownNameWorksWithOneNoteAndLeavesTableAlone)
{
    CVariableTable table;
    table.Define("b", "", "", 7);
    auto o = Eval(table, "a = 3; a*2");
    ASSERT_TRUE(o.ok);
    EXPECT_DOUBLE_EQ(o.value, 6);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].m_nCode, 32);
    EXPECT_EQ(o.messages[0].m_strText, "'a' nicht definiert");

    // An assignment to a table variable lives only in that evaluation.
    o = Eval(table, "b = 1; b");
    EXPECT_DOUBLE_EQ(o.value, 1);
    o = Eval(table, "b");
    EXPECT_DOUBLE_EQ(o.value, 7);
}

TEST(FormulaLanguage, UndefinedVariableCountsAsZeroWithMessage)
{
    auto o = Eval("q + 4");
    ASSERT_TRUE(o.ok);
    EXPECT_DOUBLE_EQ(o.value, 4);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].m_nCode, 32);
    EXPECT_EQ(o.messages[0].m_strText, "'q' nicht definiert");
}

struct ErrorCase {
    const char* formula;
    int code;            // of the last message
    const char* text;    // of the last message
    size_t count;        // messages in all
};

TEST(FormulaLanguage, StopsWithCodeAndGermanMessage)
{
    CVariableTable table;
    table.Define("a", "", "", 2);
    const ErrorCase cases[] = {
        {"1/0", 64, "Division durch Null.", 1},
        {"1 || 1/0", 64, "Division durch Null.", 1},  // no short-circuit
        {"a /= 0", 64, "Division durch Null.", 1},
        {"max(1, 2)", 512, "';' erwartet.", 1},
        {"max(1; 2", 512, "')' erwartet.", 1},
        {"(1 + 2", 512, "')' erwartet.", 1},
        {"if(1; 2)", 512, "';' erwartet.", 1},
        {"3 +", 128, "Unerwartetes Symbol: <end of expression>", 1},
        {"", 128, "Unerwartetes Symbol: <end of expression>", 1},
        {"a += 1", 128, "Unerwartetes Symbol: =", 1},
        {"a -= 1", 128, "Unerwartetes Symbol: =", 1},
        {"*2", 128, "Unerwartetes Symbol: *", 1},
        {"1.2.3", 4, "Fehlerhaftes Zahlenformat: '1.2.3'", 1},
        {"1e-5", 4, "Fehlerhaftes Zahlenformat: '1e'", 1},
        {"2 ä", 8, "Unerlaubtes Zeichen ('ä')", 1},
        {"ä", 8, "Unerlaubtes Zeichen ('ä')", 1},
        {"a € 3", 8, "Unerlaubtes Zeichen ('€')", 1},
        {"1 & 2", 8, "Unerlaubtes Zeichen ('&')", 1},
        {"1 | 2", 8, "Unerlaubtes Zeichen ('|')", 1},
        {"x.Lt.y", 8, "Unerlaubtes Zeichen ('.')", 1},
        {"1 \x01", 8, "Unerlaubtes Zeichen (ASCII 1)", 1},
        {"1 \xff", 8, "Unerlaubtes Zeichen (ASCII 255)", 1},   // not UTF-8
        {"\xc3", 8, "Unerlaubtes Zeichen (ASCII 195)", 1},     // cut-off character
        {"foo(1)", 16, "'foo' nicht implementiert.", 1},
        {"Sin(30)", 16, "'Sin' nicht implementiert.", 1},
        {"sin 30", 256, "Unerwartete Zeichen: 30", 2},
        {"1 2", 256, "Unerwartete Zeichen: 2", 1},
    };
    for (const auto& c : cases) {
        auto o = Eval(table, c.formula);
        EXPECT_FALSE(o.ok) << c.formula;
        EXPECT_EQ(o.value, kUntouched) << c.formula;
        ASSERT_EQ(o.messages.size(), c.count) << c.formula;
        EXPECT_EQ(o.messages.back().m_nCode, c.code) << c.formula;
        EXPECT_EQ(o.messages.back().m_strText, c.text) << c.formula;
    }
}

TEST(FormulaLanguage, TextWithNulByteIsAnUnknownCharacter)
{
    auto o = Eval(std::string("1 +\0 2", 6));
    EXPECT_FALSE(o.ok);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].m_strText, "Unerlaubtes Zeichen (ASCII 0)");
}

TEST(ExpressionParser, RaisesEnglishTextAfterRecordingTheGermanOne)
{
    ExpressionParser parser("max(1. 2)", {});
    try {
        parser.Evaluate();
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "';' expected.");
    }
    ASSERT_EQ(parser.MessageCodes().size(), 1u);
    EXPECT_EQ(parser.MessageCodes()[0], 512);
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(FormulaLanguage, ModerateNestingEvaluates)
{
    EXPECT_DOUBLE_EQ(Eval(Repeat("(", 998) + "1" + Repeat(")", 998)).value, 1);
    EXPECT_DOUBLE_EQ(Eval(Repeat("-", 900) + "2").value, 2);
    EXPECT_DOUBLE_EQ(Eval(Repeat("abs(", 300) + "-3" + Repeat(")", 300)).value, 3);
}

TEST(FormulaLanguage, DeepNestingStopsWithMessageInsteadOfOverflowingTheStack)
{
    const std::string cases[] = {
        Repeat("(", 100000) + "1" + Repeat(")", 100000),
        Repeat("(", 50000),
        Repeat("-", 100000) + "1",
        Repeat("!", 100000) + "0",
        Repeat("abs(", 20000) + "1" + Repeat(")", 20000),
        Repeat("a = ", 20000) + "1",
    };
    for (const auto& f : cases) {
        auto o = Eval(f);
        EXPECT_FALSE(o.ok);
        ASSERT_FALSE(o.messages.empty());
        EXPECT_EQ(o.messages.back().m_nCode, 4);
        EXPECT_EQ(o.messages.back().m_strText, "Formel zu tief verschachtelt");
    }
}

}  // namespace
