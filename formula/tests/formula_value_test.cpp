// Formula values: input from text, evaluation through a table, arithmetic
// and comparisons, and the document form.
#include <gtest/gtest.h>

#include <string>

#include "formula/FormulaValue.h"
#include "formula/VariableTable.h"
#include "platform/zevud/zevud.h"

namespace {

// A fresh unnamed document with its root element; closed at the end.
class FormulaValueDom : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = ZEVUD_CreateDoc("");
        ASSERT_NE(doc, 0u);
        root = ZEVUD_GetRootElement(doc);
        ASSERT_NE(root, 0u);
    }
    void TearDown() override { ZEVUD_CloseDoc(doc); }
    int ChildCount(const char* name) const
    {
        int n = 0;
        for (ZVELEM c = ZEVUD_FindFirstChild(root, name); c; c = ZEVUD_FindNextChild(c, name)) ++n;
        return n;
    }
    ZVDOC doc = 0;
    ZVELEM root = 0;
};

struct TextCase {
    const char* input;
    bool plain;
    double value;         // right after SetFromText
    const char* formula;  // GetFormula right after SetFromText
};

TEST(FormulaValue, SetFromTextTellsNumbersFromFormulas)
{
    CVariableTable table;
    table.Define("b", "", "", 4);
    const TextCase cases[] = {
        {"1,5", true, 1.5, ""},
        {"2.50", true, 2.5, ""},
        {"-3", true, -3, ""},
        {" 7", true, 7, ""},
        {"2*3", false, 6, "2*3"},
        {"3+4", false, 7, "3+4"},
        {"2,5*2", false, 5, "2,5*2"},  // the text as typed, comma included
        {"a+1", false, 0, "a+1"},      // not a number: value 0 until read
        {"max(1,5; 2)", false, 0, "max(1.5; 2)"},
        {"2*b", false, 8, "2*b"},
        {"1e-5", true, 1e-5, ""},       // fails to evaluate: the scanned number
        {"4/0", true, 4, ""},
        {"", false, 0, ""},
    };
    for (const auto& c : cases) {
        CFormulaValue v;
        v.SetVariableTable(&table);
        v.SetFromText(c.input);
        EXPECT_EQ(v.IsPlain(), c.plain) << c.input;
        EXPECT_DOUBLE_EQ(v.m_dValue, c.value) << c.input;
        EXPECT_EQ(v.GetFormula(), c.formula) << c.input;
    }
}

TEST(FormulaValue, FormulaIsEvaluatedAtEveryRead)
{
    CVariableTable table;
    CFormulaValue v;
    v.SetVariableTable(&table);
    v.SetFromText("a+1");
    EXPECT_EQ(v.m_dValue, 0);
    EXPECT_DOUBLE_EQ(v.GetValue(), 1);  // a undefined: 0, with a message
    ASSERT_EQ(table.GetMessages().size(), 1u);
    EXPECT_EQ(table.GetMessages()[0].m_nCode, 32);
    table.Define("a", "", "", 4);
    EXPECT_DOUBLE_EQ(v.GetValue(), 5);
    EXPECT_EQ(v.GetText(), "a+1");

    // A formula that fails keeps its previous value on every read.
    table.Define("b", "", "", 10);
    v.SetFromText("b/a");
    EXPECT_FALSE(v.IsPlain());
    table.Define("a", "", "", 2);
    EXPECT_DOUBLE_EQ(v.GetValue(), 5);
    table.Define("a", "", "", 0);
    EXPECT_DOUBLE_EQ(v.GetValue(), 5);
    EXPECT_DOUBLE_EQ(v.GetValue(), 5);
    EXPECT_EQ(table.GetMessages().back().m_nCode, 64);
}

TEST(FormulaValue, ConstructionCopyAndSetters)
{
    CFormulaValue a;
    EXPECT_TRUE(a.IsPlain());
    EXPECT_EQ(a.GetValue(), 0);
    EXPECT_EQ(a.GetVariableTable(), &GetGlobalVariableTable());
    CFormulaValue b(2.5);
    EXPECT_EQ(b.GetText(), "2.5");

    CVariableTable table;
    table.Define("x", "", "", 3);
    CFormulaValue f;
    f.SetVariableTable(&table);
    f.SetFromText("x*x");
    CFormulaValue g(f);
    EXPECT_EQ(g.GetVariableTable(), &table);
    EXPECT_DOUBLE_EQ(g.GetValue(), 9);
    EXPECT_EQ(g.GetFormula(), "x*x");

    g.SetValue(4);
    EXPECT_TRUE(g.IsPlain());
    EXPECT_EQ(g.GetFormula(), "");
    EXPECT_EQ(g.GetVariableTable(), &table);
    g.Reset();
    EXPECT_EQ(g.GetValue(), 0);

    CFormulaValue h;
    h.SetVariableTable(nullptr);
    h.SetFromText("2*3");  // without a table the constants still evaluate
    EXPECT_FALSE(h.IsPlain());
    EXPECT_DOUBLE_EQ(h.GetValue(), 6);
    h.SetFromText("12,5");
    EXPECT_TRUE(h.IsPlain());
    EXPECT_DOUBLE_EQ(h.GetValue(), 12.5);

    CFormulaValue p(0.5);
    EXPECT_EQ(p.GetText(), "0.5");
    EXPECT_EQ(CFormulaValue(1e20).GetText(), "1e+20");
}

TEST(FormulaValue, ArithmeticAndComparisonsUseTheEvaluatedValue)
{
    CVariableTable table;
    table.Define("x", "", "", 3);
    CFormulaValue f;
    f.SetVariableTable(&table);
    f.SetFromText("x*2");  // 6
    table.Define("x", "", "", 5);  // now 10 at the next read
    CFormulaValue two(2.0);

    EXPECT_DOUBLE_EQ(f + two, 12);
    EXPECT_DOUBLE_EQ(f - two, 8);
    EXPECT_DOUBLE_EQ(f * two, 20);
    EXPECT_DOUBLE_EQ(f + 1.0, 11);
    EXPECT_DOUBLE_EQ(f - 1.0, 9);
    EXPECT_DOUBLE_EQ(f * 0.5, 5);
    EXPECT_DOUBLE_EQ(f / 4.0, 2.5);
    EXPECT_DOUBLE_EQ(f / 4, 2.5);
    EXPECT_TRUE(f == 10.0);
    EXPECT_TRUE(f != 9.0);
    EXPECT_TRUE(f < 11.0);
    EXPECT_TRUE(f > 9.0);
    EXPECT_TRUE(f <= 10.0);
    EXPECT_TRUE(f >= 10.0);
    EXPECT_TRUE(f < 11);

    // Against another formula value the right side counts with its stored value.
    CFormulaValue g;
    g.SetVariableTable(&table);
    g.SetFromText("x");  // stored 5
    table.Define("x", "", "", 100);
    EXPECT_TRUE(f > g);   // 200 > 5
    EXPECT_TRUE(f >= g);
    EXPECT_FALSE(f < g);

    CFormulaValue copy(f);
    EXPECT_FALSE(copy != f);
    CFormulaValue plain(200.0);
    EXPECT_TRUE(plain != f);  // same value, other kind
    CFormulaValue other(f);
    other.m_strFormula = "2*x";
    EXPECT_TRUE(other != f);
    EXPECT_TRUE(other.Differs(f));

    f -= 50;  // becomes the plain 150
    EXPECT_TRUE(f.IsPlain());
    EXPECT_EQ(f.GetFormula(), "");
    EXPECT_DOUBLE_EQ(f.GetValue(), 150);
    f *= 2;
    EXPECT_DOUBLE_EQ(f.GetValue(), 300);
}

TEST_F(FormulaValueDom, PlainValueIsAnAttributeAndRemovesAnOldFormula)
{
    CFormulaValue f;
    f.SetFromText("2*3");
    WriteFormulaValue(root, "len", f);
    EXPECT_EQ(ChildCount("len"), 1);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(root, "len"), 6);

    CFormulaValue p(2.5);
    WriteFormulaValue(root, "len", p);
    EXPECT_EQ(ChildCount("len"), 0);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(root, "len"), 2.5);
    CFormulaValue back = ReadFormulaValue(root, "len");
    EXPECT_TRUE(back.IsPlain());
    EXPECT_DOUBLE_EQ(back.GetValue(), 2.5);
}

TEST_F(FormulaValueDom, FormulaIsWrittenWithPointsAndReadBack)
{
    CVariableTable table;
    CFormulaValue f;
    f.SetVariableTable(&table);
    f.SetFromText("2,5*2");
    WriteFormulaValue(root, "q", f);
    EXPECT_EQ(f.GetFormula(), "2.5*2");  // the object keeps the written text
    ZVELEM child = ZEVUD_FindFirstChild(root, "q");
    ASSERT_NE(child, 0u);
    EXPECT_EQ(zevud::GetString(child, "exp"), "2.5*2");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(root, "q"), 5);

    // Writing again leaves one child.
    WriteFormulaValue(root, "q", f);
    EXPECT_EQ(ChildCount("q"), 1);

    CFormulaValue back = ReadFormulaValue(root, "q");
    EXPECT_FALSE(back.IsPlain());
    EXPECT_EQ(back.GetFormula(), "2.5*2");
    EXPECT_DOUBLE_EQ(back.m_dValue, 5);
}

TEST_F(FormulaValueDom, CommaInStoredFormulaSeparatesArguments)
{
    ZEVUD_SetDouble(root, "m", 1);
    ZVELEM child = ZEVUD_AddChildElement(root, "m");
    ZEVUD_SetString(child, "exp", "max(a,b)");
    CVariableTable table;
    table.Define("a", "", "", 3);
    table.Define("b", "", "", 7);
    CFormulaValue v;
    v.SetVariableTable(&table);
    v.ReadFromDom(root, "m");
    EXPECT_FALSE(v.IsPlain());
    EXPECT_EQ(v.GetFormula(), "max(a;b)");
    EXPECT_DOUBLE_EQ(v.m_dValue, 1);  // not evaluated while reading
    EXPECT_DOUBLE_EQ(v.GetValue(), 7);
}

TEST_F(FormulaValueDom, ReadWithDefault)
{
    ZEVUD_SetDouble(root, "zero", 0);
    ZEVUD_SetDouble(root, "three", 3);
    CFormulaValue def(42.0);
    struct Case {
        const char* key;
        bool keepZero;
        double expected;
    } cases[] = {
        {"absent", false, 42}, {"absent", true, 42}, {"zero", false, 42},
        {"zero", true, 0},     {"three", false, 3},  {"three", true, 3},
    };
    for (const auto& c : cases) {
        CFormulaValue v = ReadFormulaValueWithDefault(root, c.key, def, c.keepZero);
        EXPECT_DOUBLE_EQ(v.GetValue(), c.expected) << c.key << " keepZero " << c.keepZero;
    }
    // A formula that evaluates to 0 also gives way to the default.
    ZEVUD_SetDouble(root, "f", 5);
    ZEVUD_SetString(ZEVUD_AddChildElement(root, "f"), "exp", "1-1");
    EXPECT_DOUBLE_EQ(ReadFormulaValueWithDefault(root, "f", def, false).GetValue(), 42);
    CFormulaValue kept = ReadFormulaValueWithDefault(root, "f", def, true);
    EXPECT_FALSE(kept.IsPlain());
    EXPECT_DOUBLE_EQ(kept.GetValue(), 0);
}

TEST(FormulaValue, MissingElementReadsAsPlainZero)
{
    CFormulaValue v(3.0);
    v.ReadFromDom(0, "x");
    EXPECT_TRUE(v.IsPlain());
    EXPECT_EQ(v.GetValue(), 0);
    EXPECT_DOUBLE_EQ(ReadFormulaValueWithDefault(0, "x", CFormulaValue(8.0), true).GetValue(), 8);
    WriteFormulaValue(0, "x", v);  // nothing to write into; no crash
}

}  // namespace
