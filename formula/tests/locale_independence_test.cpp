// Formulas read and write numbers with "." whatever the process locale says:
// run under a German locale, where the C library writes 2.5 as "2,5".
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formula/FormulaValue.h"
#include "formula/VariableTable.h"
#include "formula/tests/support/FormulaTestSupport.h"
#include "platform/zevud/zevud.h"

using formula_test::Eval;

namespace {

class GermanLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Build a German locale into the scratch folder (none may be installed).
        auto dir = formula_test::ScratchFolder("locale");
        std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(dir / "de_DE.UTF-8"))
            GTEST_SKIP() << "no German locale can be built here";
        setenv("LOCPATH", dir.c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "German locale not available";
        char probe[32];
        std::snprintf(probe, sizeof probe, "%g", 2.5);
        ASSERT_STREQ(probe, "2,5");  // the locale really is in force
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(GermanLocale, NumbersAreReadAndWrittenWithPoints)
{
    EXPECT_DOUBLE_EQ(Eval("2.5*2").value, 5);
    EXPECT_DOUBLE_EQ(Eval("1,5+1").value, 2.5);
    EXPECT_DOUBLE_EQ(Eval(".25").value, 0.25);

    CVariableTable table;
    table.Define("Ordner\\h", "Höhe", "m", 1.5);
    table.Define("h", "", "", 4);
    ASSERT_EQ(table.GetMessages().size(), 1u);
    EXPECT_EQ(table.GetMessages()[0].m_strText, "h wird überschrieben mit 4.00");
    table.Define("w", "Wert", "kN", 0.125);
    std::vector<std::string> lines, names;
    table.ListVariables(lines, names);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Wert\t(w=0.125 kN)");

    CFormulaValue v;
    v.SetVariableTable(&table);
    v.SetFromText("2.50");
    EXPECT_TRUE(v.IsPlain());
    EXPECT_DOUBLE_EQ(v.GetValue(), 2.5);
    EXPECT_EQ(v.GetText(), "2.5");
    v.SetFromText("2,5*w");
    EXPECT_DOUBLE_EQ(v.GetValue(), 0.3125);

    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM root = ZEVUD_GetRootElement(doc);
    WriteFormulaValue(root, "x", v);
    CFormulaValue back = ReadFormulaValue(root, "x");
    back.SetVariableTable(&table);
    EXPECT_EQ(back.GetFormula(), "2.5*w");
    EXPECT_DOUBLE_EQ(back.m_dValue, 0.3125);
    EXPECT_DOUBLE_EQ(back.GetValue(), 0.3125);
    ZEVUD_CloseDoc(doc);
}

}  // namespace
