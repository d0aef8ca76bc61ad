// Rounding, angle helpers, sorts and the real-root solver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/GeoNumeric.h"

namespace {
constexpr double kPi = std::numbers::pi;

struct RoundCase {
    double x;
    uint16_t n;
    double expected;
};

TEST(RoundDecimals, RoundsWithTheOffsetOf051)
{
    const RoundCase cases[] = {
        {2.00495, 2, 2.01},  // a remainder a little below the half already rounds up
        {2.0048, 2, 2.0},
        {-1.25, 1, -1.2},    // negative halves towards zero
        {-1.26, 1, -1.3},
        {0.25, 1, 0.3},      // positive halves up
        {0.15, 1, 0.2},
        {1.144, 2, 1.14},
        {3.0, 3, 3.0},
        {-7.0, 0, -7.0},
        {2.4, 0, 2.0},
        {2.5, 0, 3.0},
        {2.48, 0, 2.0},
        {2.49, 0, 3.0},      // 0.49 + 0.51 reaches 1
        {123.456789, 4, 123.4568},
    };
    for (const RoundCase& c : cases)
        EXPECT_NEAR(RoundDecimals(c.x, c.n), c.expected, 1e-12) << c.x << " to " << c.n;
}

TEST(RoundDecimals, HugeDecimalCountsAndNonFiniteValuesLeaveTheValue)
{
    EXPECT_DOUBLE_EQ(RoundDecimals(1.5, 400), 1.5);
    EXPECT_DOUBLE_EQ(RoundDecimals(0.0, 65535), 0.0);
    EXPECT_TRUE(std::isinf(RoundDecimals(INFINITY, 2)));
    EXPECT_TRUE(std::isnan(RoundDecimals(NAN, 2)));
}

TEST(RoundedFmod, RoundsBeforeAndAfter)
{
    EXPECT_NEAR(RoundedFmod(7.26, 2.0, 1), 1.3, 1e-12);  // fmod(7.3, 2) = 1.3
    EXPECT_NEAR(RoundedFmod(10.0, 3.0, 2), 1.0, 1e-12);
}

TEST(RoundToFraction, RoundsToMultiplesOfOneNth)
{
    struct Case {
        int n;
        double x;
        double expected;
        int decimals;
    };
    const Case cases[] = {
        {4, 0.37, 0.3, 1},   // q = 0.25, given with one decimal
        {4, -0.38, -0.5, 1},
        {10, 0.37, 0.4, 1},
        {10, 0.34, 0.3, 1},
        {2, 1.74, 1.5, 1},
        {2, 1.76, 2.0, 1},
        {1, 2.5, 3.0, 0},
        {100, 0.123, 0.12, 2},
    };
    for (const Case& c : cases) {
        double x = c.x;
        EXPECT_EQ(RoundToFraction(c.n, x), c.decimals) << c.n << " " << c.x;
        EXPECT_NEAR(x, c.expected, 1e-12) << c.n << " " << c.x;
    }
    double x = 0.37;
    EXPECT_EQ(RoundToFraction(0, x), 0);
    EXPECT_EQ(x, 0.37);
    EXPECT_EQ(RoundToFraction(-3, x), 0);
    EXPECT_EQ(x, 0.37);
}

TEST(AngleHelpers, MultiplesOfHalfPi)
{
    double rest = -1.0;
    EXPECT_EQ(IsMultipleOfHalfPi(kPi, rest), 1);
    EXPECT_NEAR(rest, 0.0, 1e-15);
    EXPECT_EQ(IsMultipleOfHalfPi(kPi / 2.0 - 1e-9, rest), 0);  // just below: the rest is nearly pi/2
    EXPECT_NEAR(rest, kPi / 2.0, 1e-8);
    EXPECT_EQ(IsMultipleOfHalfPi(kPi / 2.0 + 1e-7, rest), 1);
    EXPECT_NEAR(rest, 1e-7, 1e-12);
    EXPECT_EQ(IsMultipleOfHalfPi(-3.0 * kPi / 2.0, rest), 1);
    EXPECT_EQ(IsMultipleOfHalfPi(1.0, rest), 0);
    EXPECT_NEAR(rest, 1.0, 1e-12);
}

TEST(AngleHelpers, NormalizeAngleIntoZeroToTwoPi)
{
    struct Case {
        double a, expected;
    };
    const Case cases[] = {
        {0.0, 0.0},
        {kPi / 2.0, kPi / 2.0},
        {kPi, kPi},
        {-kPi / 2.0, 1.5 * kPi},
        {2.0 * kPi, 0.0},
        {-2.0 * kPi, 0.0},
        {5.0 * kPi / 2.0, kPi / 2.0},
        {-0.1, 2.0 * kPi - 0.1},
        {7.0, 7.0 - 2.0 * kPi},
        {-kPi, kPi},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(NormalizeAngle(c.a), c.expected, 1e-12) << c.a;
    // Multiples of pi/2 land exactly.
    EXPECT_EQ(NormalizeAngle(kPi / 2.0), kPi / 2.0);
    EXPECT_EQ(NormalizeAngle(kPi), kPi);
    EXPECT_EQ(NormalizeAngle(-kPi / 2.0), 1.5 * kPi);
    EXPECT_EQ(NormalizeAngle(2.0 * kPi), 0.0);
    EXPECT_TRUE(std::isnan(NormalizeAngle(NAN)));
}

TEST(AngleHelpers, ReadableAnglesAndQuadrants)
{
    EXPECT_EQ(IsReadableAngle(-kPi / 2.0), 0);
    EXPECT_EQ(IsReadableAngle(-kPi / 3.0), 1);
    EXPECT_EQ(IsReadableAngle(2.0 * kPi / 3.0), 1);
    EXPECT_EQ(IsReadableAngle(kPi), 0);
    EXPECT_EQ(IsReadableAngle(5.0 * kPi / 3.0), 1);
    EXPECT_NEAR(ReadableAngle(kPi), 0.0, 1e-12);
    EXPECT_NEAR(ReadableAngle(kPi / 4.0), kPi / 4.0, 1e-12);
    EXPECT_NEAR(ReadableAngle(-kPi / 2.0), kPi / 2.0, 1e-12);

    struct Case {
        double a;
        int q;
    };
    const Case cases[] = {{-0.1, 3}, {kPi / 2.0, 1}, {0.0, 0}, {kPi, 2}, {1.5 * kPi, 3}, {1.0, 0}, {4.0, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(AngleQuadrant(c.a), c.q) << c.a;
}

TEST(AngleHelpers, CircleSectorIndex)
{
    EXPECT_EQ(CircleSectorIndex(kPi, 4), 2);
    EXPECT_EQ(CircleSectorIndex(kPi + 1e-3, 4), 3);
    EXPECT_EQ(CircleSectorIndex(1.0, 0), 0);
    EXPECT_EQ(CircleSectorIndex(1.0, -5), 5);
    EXPECT_EQ(CircleSectorIndex(2.0 * kPi, 36), 36);
    EXPECT_EQ(CircleSectorIndex(kPi / 2.0 + 5e-7, 4), 1);
    EXPECT_EQ(CircleSectorIndex(NAN, 4), 0);
}

TEST(Ordering, SwapsAndOrders)
{
    double a = 2.0, b = 1.0;
    OrderAscending(a, b);
    EXPECT_EQ(a, 1.0);
    EXPECT_EQ(b, 2.0);
    OrderDescending(a, b);
    EXPECT_EQ(a, 2.0);
    int32_t i = 1, j = 5;
    OrderDescending(i, j);
    EXPECT_EQ(i, 5);
    OrderAscending(i, j);
    EXPECT_EQ(i, 1);
    SwapInts(i, j);
    EXPECT_EQ(i, 5);
    SwapDoubles(a, b);
    EXPECT_EQ(a, 1.0);
    unsigned char x = 1, y = 2;
    SwapBytes(x, y);
    EXPECT_EQ(x, 2);
}

TEST(ShellSort, SortsIntsAndDoublesBothWays)
{
    int32_t v[] = {3, 1, 2};
    ShellSortInts(v, 3, 1);
    EXPECT_EQ(std::vector<int32_t>(v, v + 3), (std::vector<int32_t>{1, 2, 3}));
    ShellSortInts(v, 3, 0);
    EXPECT_EQ(std::vector<int32_t>(v, v + 3), (std::vector<int32_t>{3, 2, 1}));

    std::vector<int32_t> many = {9, -4, 7, 7, 0, 12, -4, 3, 5, 1, 8};
    std::vector<int32_t> expected = many;
    std::sort(expected.begin(), expected.end());
    ShellSortInts(many.data(), static_cast<int>(many.size()), 1);
    EXPECT_EQ(many, expected);
    ShellSortIntsDescending(many.data(), static_cast<int>(many.size()));
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(many, expected);

    std::vector<double> d = {2.5, -1.0, 3.25, 0.0, 2.5, 10.0, -7.5};
    std::vector<double> ds = d;
    std::sort(ds.begin(), ds.end());
    ShellSortDoubles(d.data(), static_cast<int>(d.size()), 1);
    EXPECT_EQ(d, ds);
    ShellSortDoublesDescending(d.data(), static_cast<int>(d.size()));
    std::reverse(ds.begin(), ds.end());
    EXPECT_EQ(d, ds);

    ShellSortInts(nullptr, 5, 1);  // nothing to sort, no crash
    ShellSortDoubles(d.data(), 0, 1);
    ShellSortDoubles(d.data(), -3, 1);
}

// ---------------------------------------------------------------- SolveCubic

struct CubicCase {
    const char* name;
    double a, b, c, d;
    std::vector<double> roots;  // in the order given
};

void PrintTo(const CubicCase& c, std::ostream* os) { *os << c.name; }

class SolveCubicTable : public ::testing::TestWithParam<CubicCase> {};

TEST_P(SolveCubicTable, GivesTheRealRoots)
{
    const CubicCase& c = GetParam();
    double roots[3] = {-999.0, -999.0, -999.0};
    const int n = SolveCubic(c.a, c.b, c.c, c.d, roots);
    ASSERT_EQ(n, static_cast<int>(c.roots.size())) << c.name;
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR(roots[i], c.roots[static_cast<size_t>(i)], 1e-7 * std::max(1.0, std::fabs(c.roots[static_cast<size_t>(i)])))
            << c.name << " root " << i;
    for (int i = n; i < 3; ++i)
        EXPECT_EQ(roots[i], -999.0) << c.name << ": only count-many entries are written";
}

INSTANTIATE_TEST_SUITE_P(
    Roots, SolveCubicTable,
    ::testing::Values(
        // Three distinct real roots, in the order of the three cosine terms.
        CubicCase{"distinct 1 2 3", 1, -6, 11, -6, {3, 1, 2}},
        CubicCase{"distinct -1 0.5 4 scaled", 2, -7, -5, 4, {4, -1, 0.5}},
        // Double roots: given as three roots, the double one twice.
        CubicCase{"(x-1)(x-2)^2", 1, -5, 8, -4, {1, 2, 2}},
        CubicCase{"(x-2)(x-1)^2", 1, -4, 5, -2, {2, 1, 1}},
        CubicCase{"(x+3)(x-0.5)^2", 1, 2, -2.75, 0.75, {-3, 0.5, 0.5}},
        CubicCase{"(x-0.1)(x-0.3)^2", 1, -0.7, 0.15, -0.009, {0.1, 0.3, 0.3}},
        CubicCase{"(x-1000)(x+2.5)^2", 1, -995, -4993.75, -6250, {1000, -2.5, -2.5}},
        CubicCase{"3(x-1)^2(x+4)", 3, 6, -21, 12, {-4, 1, 1}},
        CubicCase{"near double stays distinct", 1, -5.001, 8.003, -4.002, {2.001, 1, 2}},
        CubicCase{"triple (x-1)^3", 1, -3, 3, -1, {1, 1, 1}},
        CubicCase{"triple (x+2)^3", 1, 6, 12, 8, {-2, -2, -2}},
        // One real root and two complex ones.
        CubicCase{"x^3-8", 1, 0, 0, -8, {2}},
        CubicCase{"x^3+x+2 (root -1)", 1, 0, 1, 2, {-1}},
        CubicCase{"(x-2)(x^2+1)", 1, -2, 1, -2, {2}},
        CubicCase{"x^3 + x - 1e6", 1, 0, 1, -1e6, {99.99666655554938}},
        // Quadratics (a zero): two roots, a double one twice, or none.
        CubicCase{"quadratic 1 2", 0, 1, -3, 2, {2, 1}},
        CubicCase{"quadratic double 1", 0, 1, -2, 1, {1, 1}},
        CubicCase{"quadratic double 0.3", 0, 1, -0.6, 0.09, {0.3, 0.3}},
        CubicCase{"quadratic complex", 0, 1, 0, 1, {}},
        CubicCase{"quadratic tiny root kept", 0, 1, -1e8, 1, {1e8, 1e-8}},
        CubicCase{"a below tolerance", 1e-7, 1, -3, 2, {2, 1}},
        // Linear and constant.
        CubicCase{"linear", 0, 0, 2, -4, {2}},
        CubicCase{"constant", 0, 0, 0, 5, {}}),
    [](const ::testing::TestParamInfo<CubicCase>& info) {
        std::string s = info.param.name;
        for (char& ch : s)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return s + "_" + std::to_string(info.index);
    });

TEST(SolveCubic, DoubleRootsSurviveRoundingOfTheCoefficients)
{
    // (x - p)(x - q)^2 for many p and q: the discriminant is zero only in
    // exact arithmetic; the double root must not be lost to rounding.
    const double values[] = {-7.3, -2.0, -0.35, 0.1, 0.3, 1.0, 1.7, 2.0, 3.3, 12.5, 250.0};
    for (double p : values)
        for (double q : values) {
            if (std::fabs(p - q) < 1e-3)
                continue;
            const double b = -(p + 2 * q), c = 2 * p * q + q * q, d = -p * q * q;
            double roots[3];
            ASSERT_EQ(SolveCubic(1.0, b, c, d, roots), 3) << "p=" << p << " q=" << q;
            std::vector<double> got(roots, roots + 3), want = {p, q, q};
            std::sort(got.begin(), got.end());
            std::sort(want.begin(), want.end());
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(got[static_cast<size_t>(i)], want[static_cast<size_t>(i)], 1e-6 * std::max(1.0, std::fabs(q)))
                    << "p=" << p << " q=" << q;
        }
}

TEST(SolveCubic, RootsSatisfyTheEquation)
{
    const double coeffs[][4] = {{1, -2, -5, 6}, {2, 3, -11, -6}, {-1, 0, 4, 0.5}, {0.5, -1.5, 0, 2}, {1, 1, 1, 1}};
    for (const auto& k : coeffs) {
        double roots[3];
        const int n = SolveCubic(k[0], k[1], k[2], k[3], roots);
        ASSERT_GE(n, 1);
        for (int i = 0; i < n; ++i) {
            const double x = roots[i];
            EXPECT_NEAR(((k[0] * x + k[1]) * x + k[2]) * x + k[3], 0.0, 1e-9);
        }
    }
}

TEST(SolveCubic, NonFiniteCoefficientsGiveNoRoots)
{
    double roots[3] = {0, 0, 0};
    EXPECT_EQ(SolveCubic(NAN, 1, 1, 1, roots), 0);
    EXPECT_EQ(SolveCubic(1, INFINITY, 1, 1, roots), 0);
}
}  // namespace
