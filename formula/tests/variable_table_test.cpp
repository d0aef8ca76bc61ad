// Variable tables: short names, the overwrite warning, the parent chain,
// sorted collection and listing, and the messages of Evaluate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "formula/SortStringArray.h"
#include "formula/VariableTable.h"
#include "formula/tests/support/FormulaTestSupport.h"

using formula_test::Eval;

namespace {

struct Collected {
    std::vector<std::string> paths, descriptions, units;
    std::vector<double> values;
    int count = 0;
};

Collected CollectSorted(const CVariableTable& t)
{
    Collected c;
    c.count = t.CollectVariablesSorted(c.paths, c.descriptions, c.units, c.values);
    return c;
}

TEST(SortStringArray, SortsByUnsignedBytesShorterPrefixFirst)
{
    std::vector<std::string> texts = {"b", "a", "Ab", "ä", "a|", "ab", "", "Z"};
    SortStringArray(texts);
    EXPECT_EQ(texts, (std::vector<std::string>{"", "Ab", "Z", "a", "ab", "a|", "b", "ä"}));
}

TEST(VariableTable, DefineUsesShortNameAndWarnsOnlyAboveTolerance)
{
    CVariableTable t;
    t.Define("Ordner A\\h", "Höhe", "m", 3);
    t.Define("Ordner B\\h", "Höhe B", "cm", 3.000000001);
    EXPECT_TRUE(t.GetMessages().empty());
    auto c = CollectSorted(t);
    ASSERT_EQ(c.count, 1);
    EXPECT_EQ(c.paths[0], "Ordner B\\h");  // overwritten in full, path included
    EXPECT_EQ(c.descriptions[0], "Höhe B");
    EXPECT_EQ(c.units[0], "cm");

    t.Define("Ordner C\\h", "", "", 4);
    ASSERT_EQ(t.GetMessages().size(), 1u);
    EXPECT_EQ(t.GetMessages()[0].m_nCode, 1);
    EXPECT_EQ(t.GetMessages()[0].m_strText, "h wird überschrieben mit 4.00");
    EXPECT_DOUBLE_EQ(Eval(t, "h").value, 4);

    t.RemoveAll();
    EXPECT_EQ(CollectSorted(t).count, 0);
}

TEST(VariableTable, FormulasSeeTheParentChain)
{
    CVariableTable global, position, record;
    ASSERT_TRUE(position.SetParent(&global));
    ASSERT_TRUE(record.SetParent(&position));
    global.Define("System\\g", "", "", 9.81);
    position.Define("l", "Länge", "m", 6);
    record.Define("q", "", "kN/m", 2);
    auto o = Eval(record, "q*l^2/8 + g - g");
    ASSERT_TRUE(o.ok);
    EXPECT_DOUBLE_EQ(o.value, 9);
    EXPECT_TRUE(o.messages.empty());
    EXPECT_EQ(CollectSorted(record).count, 3);
    // A cycle is refused.
    EXPECT_FALSE(global.SetParent(&record));
    EXPECT_EQ(global.GetParent(), nullptr);
}

TEST(VariableTable, TableVariablesOverrideConstantsAndLastSortedPathWins)
{
    CVariableTable global, position;
    position.SetParent(&global);
    EXPECT_DOUBLE_EQ(Eval(position, "pi").value, 3.141592653589793);
    position.Define("pi", "", "", 3);
    EXPECT_DOUBLE_EQ(Eval(position, "pi").value, 3);
    position.Define("e", "", "", 2);
    EXPECT_DOUBLE_EQ(Eval(position, "e").value, 2);

    // Same short name in both tables: the path that sorts last gives the value,
    // whichever table holds it.
    global.Define("Z\\h", "", "", 1);
    position.Define("A\\h", "", "", 2);
    EXPECT_DOUBLE_EQ(Eval(position, "h").value, 1);
    global.RemoveAll();
    global.Define("A\\h", "", "", 1);
    position.Define("Z\\h", "", "", 2);
    EXPECT_DOUBLE_EQ(Eval(position, "h").value, 2);
}

TEST(VariableTable, SortedCollectionKeepsFieldsTogetherWhateverTheyHold)
{
    CVariableTable parent, child;
    child.SetParent(&parent);
    parent.Define("b", "Breite | innen", "m|s", 2.5);
    child.Define("a|x", "Wert", "kN", 1.0 / 3.0);
    child.Define("Ä", "Umlaut", "", -7);
    child.Define("A", "groß", "", 1e-300);
    auto c = CollectSorted(child);
    ASSERT_EQ(c.count, 4);
    ASSERT_EQ(c.paths.size(), 4u);
    EXPECT_EQ(c.paths, (std::vector<std::string>{"A", "a|x", "b", "Ä"}));
    EXPECT_EQ(c.descriptions, (std::vector<std::string>{"groß", "Wert", "Breite | innen", "Umlaut"}));
    EXPECT_EQ(c.units, (std::vector<std::string>{"", "kN", "m|s", ""}));
    EXPECT_EQ(c.values, (std::vector<double>{1e-300, 1.0 / 3.0, 2.5, -7}));  // exactly
}

TEST(VariableTable, SortOrderComparesFieldByField)
{
    // "a" is a prefix of "ab" and sorts first; the description decides
    // between equal paths, then the unit.
    CVariableTable t1, t2, t3;
    t2.SetParent(&t1);
    t3.SetParent(&t2);
    t1.Define("ab", "x", "", 1);
    t1.Define("a", "y", "", 2);
    t2.Define("a", "b", "", 3);
    t3.Define("a", "b", "a", 4);
    auto c = CollectSorted(t3);
    EXPECT_EQ(c.paths, (std::vector<std::string>{"a", "a", "a", "ab"}));
    EXPECT_EQ(c.values, (std::vector<double>{3, 4, 2, 1}));
}

TEST(VariableTable, EqualTextsAreOrderedByTheValueText)
{
    // With path, description and unit equal, the value's "%16.16le" text
    // decides: "1.0...e+01" sorts before "9.0...e+00", so 9 sorts last and wins.
    CVariableTable parent, child;
    child.SetParent(&parent);
    parent.Define("S\\k", "d", "u", 9);
    child.Define("S\\k", "d", "u", 10);
    auto c = CollectSorted(child);
    EXPECT_EQ(c.values, (std::vector<double>{10, 9}));
    EXPECT_DOUBLE_EQ(Eval(child, "k").value, 9);
}

TEST(VariableTable, ListVariablesShowsFirstOfEachShortName)
{
    CVariableTable global, position;
    position.SetParent(&global);
    global.Define("System\\Lasten\\q", "Streckenlast", "kN/m", 2.5);
    position.Define("Auflager\\q", "Auflagerlast", "kN", 7);
    position.Define("l", "Länge", "m", 6);
    std::vector<std::string> lines, names = {"x"};
    position.ListVariables(lines, names);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "q", "l"}));
    EXPECT_EQ(lines, (std::vector<std::string>{"Auflager\\Auflagerlast\t(q=7 kN)", "Länge\t(l=6 m)"}));

    // A name already listed is not listed again.
    lines.clear();
    position.ListVariables(lines, names);
    EXPECT_TRUE(lines.empty());
}

TEST(VariableTable, EvaluateReplacesMessagesAndReportsFailure)
{
    CVariableTable t;
    t.Define("a", "", "", 1);
    t.Define("a", "", "", 2);  // overwrite warning
    ASSERT_EQ(t.GetMessages().size(), 1u);
    double v = 5;
    EXPECT_NE(t.Evaluate("a + b", v), 0);
    EXPECT_DOUBLE_EQ(v, 2);
    ASSERT_EQ(t.GetMessages().size(), 1u);  // the warning is gone, b is noted
    EXPECT_EQ(t.GetMessages()[0].m_nCode, 32);

    // A stop without a recorded message leaves exactly one code-4 message.
    v = 5;
    EXPECT_EQ(t.Evaluate("sqrt(0 - a)", v), 0);
    EXPECT_DOUBLE_EQ(v, 5);
    ASSERT_EQ(t.GetMessages().size(), 1u);
    EXPECT_EQ(t.GetMessages()[0].m_nCode, 4);
    EXPECT_EQ(t.GetMessages()[0].m_strText, "Fehler in sqrt");

    EXPECT_NE(t.Evaluate("3", v), 0);
    EXPECT_TRUE(t.GetMessages().empty());
}

TEST(VariableTable, GlobalTableIsOneObject)
{
    EXPECT_EQ(&GetGlobalVariableTable(), &GetGlobalVariableTable());
    EXPECT_EQ(VariableShortName("A\\B\\c"), "c");
    EXPECT_EQ(VariableShortName("c"), "c");
    EXPECT_EQ(VariableShortName("A\\"), "");
}

}  // namespace

// A watch counts the reads that may have taken a watched variable: formulas
// naming it (any case, also inside a longer name), listings of the
// variables; not formulas without it, not the listing an evaluation makes
// for itself, nothing while paused, nothing after it ended; nested watches
// both count.
TEST(VariableReadWatch, CountsOnlyReadsThatMayTakeTheWatchedVariables)
{
    CVariableTable parent, t;
    t.SetParent(&parent);
    t.Define("pos0", "Kranposition", "m", 2.5);
    t.Define("b", "Breite", "m", 0.3);
    CFormulaValue viaPosition, plain, other;
    for (CFormulaValue* v : {&viaPosition, &plain, &other}) v->SetVariableTable(&t);
    viaPosition.SetFromText("pos0+1");
    plain.SetValue(4.0);
    other.SetFromText("b*2");
    {
        CVariableReadWatch watch({"pos"});
        EXPECT_DOUBLE_EQ(other.GetValue(), 0.6);
        EXPECT_DOUBLE_EQ(plain.GetValue(), 4.0);
        EXPECT_EQ(watch.Reads(), 0);
        EXPECT_DOUBLE_EQ(viaPosition.GetValue(), 3.5);
        EXPECT_EQ(watch.Reads(), 1);
        double v = 0;
        t.Evaluate("xpos0 + 1", v);  // an unknown longer name counts too
        EXPECT_EQ(watch.Reads(), 2);
        t.Evaluate("POS0", v);  // and another case
        EXPECT_EQ(watch.Reads(), 3);
        {
            CVariableReadWatch::Pause pause;
            viaPosition.GetValue();
            std::vector<std::string> lines, names;
            t.ListVariables(lines, names);
            EXPECT_EQ(watch.Reads(), 3);
        }
        std::vector<std::string> lines, names;
        t.ListVariables(lines, names);  // one listing, parent chain and all
        EXPECT_EQ(watch.Reads(), 4);
        const Collected c = CollectSorted(parent);
        EXPECT_EQ(watch.Reads(), 5);
        {
            CVariableReadWatch inner({"b"});
            other.GetValue();
            viaPosition.GetValue();
            EXPECT_EQ(inner.Reads(), 1);
        }
        EXPECT_EQ(watch.Reads(), 6);
    }
    // No watch: nothing is counted and nothing breaks.
    EXPECT_DOUBLE_EQ(viaPosition.GetValue(), 3.5);
}

// An evaluation sees the variables as they stand now, whatever was
// evaluated before: a value defined anew, a variable of the parent changed,
// another parent, all removed, and a copy of the table changed on its own.
TEST(VariableTable, EvaluationsSeeEveryChangeOfTheTableAndItsParents)
{
    CVariableTable grand, parent, other, t;
    parent.SetParent(&grand);
    t.SetParent(&parent);
    grand.Define("g", "", "", 1);
    parent.Define("p", "", "", 10);
    t.Define("a", "", "", 100);
    double v = 0;
    auto eval = [&](CVariableTable& table, const char* text) {
        v = -1;
        EXPECT_TRUE(table.Evaluate(text, v)) << text;
        return v;
    };
    EXPECT_DOUBLE_EQ(eval(t, "a+p+g"), 111);
    t.Define("a", "", "", 200);
    EXPECT_DOUBLE_EQ(eval(t, "a+p+g"), 211);
    grand.Define("g", "", "", 2);
    EXPECT_DOUBLE_EQ(eval(t, "a+p+g"), 212);
    other.Define("p", "", "", 20);
    t.SetParent(&other);
    EXPECT_DOUBLE_EQ(eval(t, "a+p"), 220);
    other.Define("g", "", "", 5);  // now the only g of the chain
    EXPECT_DOUBLE_EQ(eval(t, "a+p+g"), 225);
    CVariableTable copy = t;
    copy.Define("a", "", "", 300);
    EXPECT_DOUBLE_EQ(eval(copy, "a"), 300);
    EXPECT_DOUBLE_EQ(eval(t, "a"), 200);
    t.RemoveAll();
    EXPECT_DOUBLE_EQ(eval(t, "p"), 20);
    v = 7;
    t.Evaluate("a", v);  // undefined now: a note, and a is 0
    EXPECT_DOUBLE_EQ(v, 0);
}
