// Functions of the formula language: angle units from the registry, domains,
// the day number, random functions and integer conversion of arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "formula/FormulaFunctions.h"
#include "formula/VariableTable.h"
#include "formula/tests/support/FormulaTestSupport.h"
#include "platform/winsys/winsys.h"

using formula_test::Eval;
using formula_test::kUntouched;

namespace {

constexpr double kPi = 3.14159265358979323846;
const char* const kKey = "Software\\VKT\\velor2005";

// Each test starts with a registry of its own and the unit not yet read.
class AngleUnitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        formula_test::UsePrivateRegistry("angle");
        ResetAngleUnit();
    }
    void TearDown() override { ResetAngleUnit(); }
    static void SetUnitText(const std::string& text)
    {
        ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, kKey, "angleUnit", text));
        ResetAngleUnit();
    }
};

struct AngleCase {
    const char* formula;
    double expected;
};

void ExpectValues(const std::vector<AngleCase>& cases, const std::string& unit)
{
    for (const auto& c : cases) {
        auto o = Eval(c.formula);
        ASSERT_TRUE(o.ok) << c.formula << " in unit " << unit;
        EXPECT_NEAR(o.value, c.expected, 1e-12) << c.formula << " in unit " << unit;
    }
}

TEST_F(AngleUnitTest, DegreesFromRegistry)
{
    SetUnitText("1");
    EXPECT_EQ(GetAngleUnit(), 1);
    ExpectValues({{"sin(30)", 0.5},
                  {"cos(60)", 0.5},
                  {"tan(45)", 1},
                  {"cot(45)", 1},
                  {"asin(0.5)", 30},
                  {"acos(0.5)", 60},
                  {"atan(1)", 45},
                  {"acot(1)", 45},
                  {"rad(180)", kPi},
                  {"grad(pi)", 180}},
                 "degrees");
}

TEST_F(AngleUnitTest, GonFromRegistry)
{
    SetUnitText("2");
    ExpectValues({{"sin(100)", 1}, {"cos(200)", -1}, {"acos(0)", 100}, {"atan(1)", 50}, {"rad(180)", kPi}},
                 "gon");
}

TEST_F(AngleUnitTest, MissingOrUnknownValueMeansRadians)
{
    const std::vector<AngleCase> radians = {
        {"sin(pi/6)", 0.5}, {"atan(1)", kPi / 4}, {"acot(0)", kPi / 2}, {"rad(180)", kPi}};
    ExpectValues(radians, "missing");
    for (const char* text : {"7", "", "abc", "-1", "99999999999999999999"}) {
        SetUnitText(text);
        ExpectValues(radians, text);
    }
}

TEST_F(AngleUnitTest, UnitIsReadOncePerProcess)
{
    SetUnitText("1");
    ExpectValues({{"sin(90)", 1}}, "degrees");
    // A changed setting takes effect only at the next load.
    ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, kKey, "angleUnit", "0"));
    ExpectValues({{"sin(90)", 1}}, "degrees, changed in the registry");
    ResetAngleUnit();
    ExpectValues({{"sin(pi/2)", 1}}, "radians after a new start");
}

struct DomainCase {
    const char* formula;
    const char* message;
};

TEST(FormulaFunctions, DomainErrorsStopWithCode4)
{
    const DomainCase cases[] = {
        {"sqrt(-1)", "Fehler in sqrt"},
        {"log(-1)", "Fehler in log"},
        {"log10(-0.5)", "Fehler in log10"},
        {"asin(1.0000001)", "Fehler in asin"},
        {"acos(-2)", "Fehler in acos"},
        {"mod(5; 0)", "Divide by zero in mod"},
    };
    for (const auto& c : cases) {
        auto o = Eval(c.formula);
        EXPECT_FALSE(o.ok) << c.formula;
        EXPECT_EQ(o.value, kUntouched) << c.formula;
        ASSERT_EQ(o.messages.size(), 1u) << c.formula;
        EXPECT_EQ(o.messages[0].m_strText, c.message) << c.formula;
    }
    EXPECT_EQ(Eval("sqrt(-1)").messages[0].m_nCode, 4);
}

TEST(FormulaFunctions, DomainErrorKeepsItsTextAfterUndefinedNameNotes)
{
    auto o = Eval("sqrt(u - 1)");
    EXPECT_FALSE(o.ok);
    ASSERT_EQ(o.messages.size(), 2u);
    EXPECT_EQ(o.messages[0].m_nCode, 32);
    EXPECT_EQ(o.messages[1].m_nCode, 4);
    EXPECT_EQ(o.messages[1].m_strText, "Fehler in sqrt");
}

TEST(FormulaFunctions, ValuesWithoutAngleUnit)
{
    const AngleCase cases[] = {
        {"abs(-2.5)", 2.5},
        {"sqrt(16)", 4},
        {"exp(0)", 1},
        {"log(e)", 1},
        {"log10(1000)", 3},
        {"ceil(1.2)", 2},
        {"floor(-1.2)", -2},
        {"int(-2.7)", -2},
        {"int(2.7)", 2},
        {"mod(-7; 3)", -1},
        {"mod(7.5; 2)", 1.5},
        {"pow(2; 10)", 1024},
        {"max(2; 1)", 2},
        {"min(2; 1)", 1},
        {"if(0; 1; 2)", 2},
        {"sinh(0)", 0},
        {"cosh(0)", 1},
        {"tanh(0)", 0},
        {"coth(1)", 1 / std::tanh(1.0)},
        {"arsinh(0)", 0},
        {"arcosh(1)", 0},
        {"artanh(0)", 0},
        {"arcoth(2)", 0.5 * std::log(3.0)},
        {"rand(0)", 0},
        {"roll(0; 6)", 0},
        {"roll(3; 0)", 3},
        {"percent(0)", 0},
        {"percent(100)", 1},
    };
    for (const auto& c : cases) {
        auto o = Eval(c.formula);
        ASSERT_TRUE(o.ok) << c.formula;
        EXPECT_NEAR(o.value, c.expected, 1e-12) << c.formula;
    }
    auto o = Eval("log(0)");
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(std::isinf(o.value) && o.value < 0);
    EXPECT_TRUE(o.messages.empty());
    o = Eval("artanh(1)");  // no domain test: the floating-point result
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(std::isinf(o.value));
}

TEST(FormulaFunctions, DayNumberCountsEveryFourthYearAsLeapYear)
{
    auto day = [](int d, int m, int y) {
        auto o = Eval("ndate(" + std::to_string(d) + "; " + std::to_string(m) + "; " + std::to_string(y) + ")");
        EXPECT_TRUE(o.ok);
        return o.value;
    };
    EXPECT_DOUBLE_EQ(day(1, 1, 2000) - day(31, 12, 1999), 1);
    EXPECT_DOUBLE_EQ(day(1, 1, 2000), 109514);  // 1 + 730134 + 428 - 621049
    for (int y = 1890; y <= 2110; ++y) {
        double expected = (y % 4 == 0) ? 2 : 1;  // 1900 and 2100 count as leap years too
        EXPECT_DOUBLE_EQ(day(1, 3, y) - day(28, 2, y), expected) << y;
    }
    EXPECT_DOUBLE_EQ(day(1, 1, 2025) - day(1, 1, 2024), 366);
}

TEST(FormulaFunctions, RandomFunctionsStayInRange)
{
    std::srand(4711);
    for (int i = 0; i < 2000; ++i) {
        double r = Eval("rand(6)").value;
        EXPECT_TRUE(r >= 0 && r <= 5 && r == std::floor(r)) << r;
        double s = Eval("roll(3; 6)").value;
        EXPECT_TRUE(s >= 3 && s <= 18 && s == std::floor(s)) << s;
    }
}

TEST(FormulaFunctions, PercentChanceHitsWithThatPercentage)
{
    // With the old rule "draw > 100 - p" a chance of 1 % never hit, and every
    // other chance hit 1 % too rarely.
    std::srand(12345);
    const int trials = 100000;
    struct Case {
        int p;
        int low, high;  // bounds of the number of hits (about 6 standard deviations)
    };
    const Case cases[] = {{1, 800, 1200}, {50, 49000, 51000}, {99, 98800, 99200}};
    for (const auto& c : cases) {
        int hits = 0;
        for (int i = 0; i < trials; ++i) hits += PercentChance(c.p) ? 1 : 0;
        EXPECT_GE(hits, c.low) << c.p;
        EXPECT_LE(hits, c.high) << c.p;
    }
    EXPECT_FALSE(PercentChance(0));
    EXPECT_FALSE(PercentChance(-5));
    EXPECT_TRUE(PercentChance(100));
    EXPECT_TRUE(PercentChance(1000));
}

TEST(FormulaFunctions, IntegerArgumentsSaturateAndNotANumberStops)
{
    const double big = 2147483647, small = -2147483648.0;
    const AngleCase cases[] = {
        {"int(1e10)", big},
        {"int(0 - 1e10)", small},
        {"int(2147483647.9)", big},
        {"int(0 - 2147483648.5)", small},
        {"int(exp(1000))", big},      // +infinity
        {"int(0 - exp(1000))", small},
        {"rand(0 - exp(1000))", 0},
        {"percent(1e12)", 1},
        {"roll(0 - 1e12; 6)", 0},
    };
    for (const auto& c : cases) {
        auto o = Eval(c.formula);
        ASSERT_TRUE(o.ok) << c.formula;
        EXPECT_EQ(o.value, c.expected) << c.formula;
    }
    // Not-a-number (infinity minus infinity) has no integer.
    for (const char* f : {"int(exp(1000) - exp(1000))", "rand(exp(1000) - exp(1000))",
                          "percent(exp(1000) - exp(1000))", "roll(exp(1000) - exp(1000); 6)",
                          "roll(2; exp(1000) - exp(1000))"}) {
        auto o = Eval(f);
        EXPECT_FALSE(o.ok) << f;
        ASSERT_EQ(o.messages.size(), 1u) << f;
        EXPECT_EQ(o.messages[0].m_nCode, 4) << f;
        EXPECT_EQ(o.messages[0].m_strText.rfind("Fehler in ", 0), 0u) << f;
    }
    EXPECT_EQ(TruncateToInt32(-2.7, "int"), -2);
    EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::infinity(), "int"),
              std::numeric_limits<int32_t>::max());
    EXPECT_THROW(TruncateToInt32(std::nan(""), "int"), std::runtime_error);
}

TEST(FormulaFunctions, RollCountIsCapped)
{
    auto o = Eval("roll(1e9; 6)");
    EXPECT_FALSE(o.ok);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].m_nCode, 4);
    EXPECT_EQ(o.messages[0].m_strText, "Fehler in roll (höchstens 1000000 Würfe)");

    std::srand(1);
    o = Eval("roll(1000000; 1)");  // the cap itself still works: a million ones
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.value, 1000000);
    EXPECT_THROW(RollDice(kMaxDiceCount + 1, 6), std::runtime_error);
}

TEST(FormulaFunctions, NamesAreCaseSensitive)
{
    auto o = Eval("Sin(30)");
    EXPECT_FALSE(o.ok);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].m_nCode, 16);
    EXPECT_EQ(o.messages[0].m_strText, "'Sin' nicht implementiert.");
}

}  // namespace
