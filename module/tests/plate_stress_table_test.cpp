// The plate stress table of a crane runway and the two stress functions.
#include <gtest/gtest.h>

#include <cmath>

#include "module/CraneTables.h"

TEST(StressFunctions, EquivalentStressIsVonMises)
{
    struct Case {
        double sx, sy, sz, txy, txz, tyz, expected;
    };
    const Case cases[] = {
        {120, 0, 0, 0, 40, 0, std::sqrt(120.0 * 120.0 + 3 * 40.0 * 40.0)},  // 138.56
        {100, 100, 0, 0, 0, 0, 100.0},                                      // equal biaxial
        {100, -100, 0, 0, 0, 0, std::sqrt(3.0) * 100.0},                    // pure shear state
        {0, 0, 0, 0, 0, 50, std::sqrt(3.0) * 50.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CalcEquivalentStress(c.sx, c.sy, c.sz, c.txy, c.txz, c.tyz), c.expected, 1e-9) << c.sx;
    EXPECT_NEAR(CalcEquivalentStress(120, 0, 0, 0, 40, 0), 138.56, 0.005);
}

TEST(StressFunctions, UtilisationAgainstSpanRatioAndAbsoluteLimit)
{
    struct Case {
        double s, a, b, c, expected;
    };
    const Case cases[] = {
        {12, 600, 20, 8, 0.9},      // 12 mm against 8000/600 mm
        {12, 600, 10, 8, 1.2},      // the absolute limit 10 mm governs
        {-12, 600, 0, 8, 0.9},      // the magnitude counts
        {12, 0.01, 0.01, 8, 0.0},   // limits at 0.01 do not apply
        {12, 600, 0.01, 0.01, 0.0},
        {12, 0.0, 20, 8, 0.6},      // only the absolute limit
        {12, -600, 0, 8, 0.9},      // a negative ratio gives no negative utilisation
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CalcUtilisation(c.s, c.a, c.b, 123.0, c.c), c.expected, 1e-12) << c.s << " " << c.a << " " << c.b;
}

TEST(PlateStressTable, InitSizesTheListsAndFieldEnds)
{
    CPlateStressTable t;
    ASSERT_TRUE(t.Init(2, 3, {6.0, 8.0, 1.0}));
    EXPECT_TRUE(t.HasData());
    EXPECT_EQ(t.m_field, (std::vector<double>{6.0, 14.0, 15.0}));
    EXPECT_EQ(t.m_minSx.size(), 18u);
    EXPECT_EQ(t.m_valSx.size(), 144u);
    EXPECT_EQ(t.m_utilFib.size(), 9u);
    EXPECT_EQ(t.m_plateEnabled, (std::vector<int32_t>{0, 0}));
    // The field at x: x at a field's end belongs to it; beyond the last end
    // the last field; before the first end field 0.
    EXPECT_EQ(t.FieldAt(-1.0), 0);
    EXPECT_EQ(t.FieldAt(6.0), 0);
    EXPECT_EQ(t.FieldAt(6.01), 1);
    EXPECT_EQ(t.FieldAt(15.0), 2);
    EXPECT_EQ(t.FieldAt(99.0), 2);
    EXPECT_FALSE(t.Init(-1, 3, {6.0}));
    EXPECT_FALSE(t.HasData());
    EXPECT_EQ(t.FieldAt(1.0), -1);
}

TEST(PlateStressTable, StoreKeepsValueStateAndEnablesThePlate)
{
    CPlateStressTable t;
    ASSERT_TRUE(t.Init(2, 3, {6.0, 8.0}));
    const double rest[7] = {1, -150, -120, 30, 160, 0, 0};
    t.StoreSigma(1, -150.0, 7.5, rest, 2, 4);
    // Entry (3 x field + check) x plates + plate = (3 + 2) x 2 + 1 = 11.
    EXPECT_EQ(t.m_minSx[11], -150.0);
    EXPECT_EQ(t.GetSigma(1, 1, 2), -150.0);
    EXPECT_EQ(t.m_valSx[88], 7.5);
    EXPECT_EQ(t.m_valSx[89], 1.0);
    EXPECT_EQ(t.m_valSx[92], 30.0);
    EXPECT_EQ(t.m_valSx[93], 160.0);
    EXPECT_EQ(t.m_infoSx[11], 4);
    EXPECT_EQ(t.m_plateEnabled, (std::vector<int32_t>{0, 1}));
    t.StoreTau(0, 45.0, 0.0, rest, 0, 1);
    EXPECT_EQ(t.GetTau(0, 0, 0), 45.0);
    EXPECT_EQ(t.m_plateEnabled, (std::vector<int32_t>{1, 1}));
    // Outside the table nothing is stored and nothing is read.
    t.StoreSigma(2, -1.0, 1.0, rest, 0, 0);
    t.StoreSigma(0, -1.0, 1.0, rest, 3, 0);
    EXPECT_EQ(t.GetSigma(0, 0, 0), 0.0);
    EXPECT_EQ(t.GetSigma(5, 0, 0), 0.0);
}
