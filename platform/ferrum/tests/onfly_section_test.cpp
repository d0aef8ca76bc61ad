// Sections built on the fly: handles, the profile and the plate roles.
#include <gtest/gtest.h>

#include <memory>

#include "platform/ferrum/ferrum.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

// A welded I (cm): flanges 30 x 2.5 on their centre lines at z 0 and 62.5,
// web 1.2 thick between them.
struct WeldedI {
    int h = FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25);
    WeldedI() {
        FER_hAddLine(h, 0, -15, 0, 15, 0, 2.5, 2.5, 0, 0, 0, 0);
        FER_hAddLine(h, 0, -15, 62.5, 15, 62.5, 2.5, 2.5, 0, 0, 0, 0);
        FER_hAddLine(h, 0, 0, 0, 0, 62.5, 1.2, 1.2, 0, 0, 0, 0);
    }
    ~WeldedI() { FER_hClose(h); }
};

TEST(OnTheFlySection, WeldedIGivesTheSectionLibrarysValuesAndRoles) {
    WeldedI s;
    ASSERT_GT(s.h, 0);
    EXPECT_EQ(FER_hGetProfile(s.h), 0);  // nothing built before the calculation
    ASSERT_EQ(FER_hCalculate(s.h), 0);
    const int pro = FER_hGetProfile(s.h);
    ASSERT_GT(pro, 0);
    SektGqs g{};
    ASSERT_EQ(SEKT_PRO_GetResultGqs(pro, &g), 0);
    // The same plates straight into the section library.
    const int ref = SEKT_PRO_Create();
    SEKT_PRO_AddWLine(ref, zidezaz::MakeWLine(-15, 0, 15, 0, 2.5));
    SEKT_PRO_AddWLine(ref, zidezaz::MakeWLine(-15, 62.5, 15, 62.5, 2.5));
    SEKT_PRO_AddWLine(ref, zidezaz::MakeWLine(0, 0, 0, 62.5, 1.2));
    SektGqs r{};
    ASSERT_EQ(SEKT_PRO_GetResultGqs(ref, &r), 0);
    SEKT_PRO_Delete(ref);
    EXPECT_DOUBLE_EQ(g.A, r.A);
    EXPECT_DOUBLE_EQ(g.Ayy, r.Ayy);
    EXPECT_DOUBLE_EQ(g.Bww, r.Bww);
    // By hand: A = 2 x 30 x 2.5 + 60 x 1.2 (web between the flange faces) = 222 cm².
    EXPECT_NEAR(g.A, 222.0, 0.5);
    EXPECT_EQ(FER_hGetPlateRole(s.h, 0), 1);
    EXPECT_EQ(FER_hGetPlateRole(s.h, 1), 2);
    EXPECT_EQ(FER_hGetPlateRole(s.h, 2), 3);
    EXPECT_EQ(FER_hGetPlateRole(s.h, 3), 0);
}

TEST(OnTheFlySection, HandleZeroAndClosedHandlesDoNothing) {
    double v[FER_H_MAX_ADDITIONAL] = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(FER_hAddLine(0, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 0), -1);
    EXPECT_EQ(FER_hCalculate(0), -1);
    EXPECT_EQ(FER_hSetAdditionalValues(0, v, 3), -1);
    EXPECT_EQ(FER_hGetAdditionalValues(0, v), -1);
    for (double x : v) EXPECT_EQ(x, 0.0);
    EXPECT_EQ(FER_hGetProfile(0), 0);
    FER_VaduLocalInput in{};
    in.F = 100;
    FER_VaduLocalSection out{};
    out.sigmaOz = 5;
    EXPECT_EQ(FER_hCalcVaduLocal(0, &in, &out, 0), -1);
    EXPECT_EQ(out.sigmaOz, 0.0);
    EXPECT_EQ(FER_hClose(0), -1);

    const int open = FER_hOpenCount();
    int h = FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25);
    EXPECT_EQ(FER_hClose(h), 0);
    EXPECT_EQ(FER_hClose(h), -1);  // twice: harmless
    EXPECT_EQ(FER_hAddLine(h, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 0), -1);
    EXPECT_EQ(FER_hOpenCount(), open);
    // The slot used again: the old handle still names nothing.
    const int h2 = FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25);
    EXPECT_NE(h2, h);
    EXPECT_EQ(FER_hClose(h), -1);
    EXPECT_EQ(FER_hOpenCount(), open + 1);
    FER_hClose(h2);
}

TEST(OnTheFlySection, ClosingNeverTouchesACtCheckHandleOfTheSameNumber) {
    const int pro = SEKT_PRO_Create();
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(-15, 0, 15, 0, 2.5));
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(-15, 62.5, 15, 62.5, 2.5));
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(0, 0, 0, 62.5, 1.2));
    const int ct = FER_iStart(pro, "EC", 0, 1.0, 1.0, 1.0);
    ASSERT_GT(ct, 0);
    EXPECT_EQ(FER_hClose(ct), -1);  // not a section of this family
    auto r = std::make_unique<FER_CtResult>();
    const double forces[8] = {0, 0, 0, 0, 100.0, 0, 0, 0};
    EXPECT_GE(FER_iCalcElastic(ct, 235.0, forces, 0, r.get()), 1);  // still open
    EXPECT_EQ(FER_iClose(ct), 0);
    SEKT_PRO_Delete(pro);
}

TEST(OnTheFlySection, AdditionalValuesKeptUntilSetAgain) {
    WeldedI s;
    double v[FER_H_MAX_ADDITIONAL];
    ASSERT_EQ(FER_hGetAdditionalValues(s.h, v), 0);
    EXPECT_EQ(v[0], 210000.0);  // E
    EXPECT_EQ(v[1], 81000.0);   // G
    EXPECT_EQ(v[2], 0.0);       // length
    const double seven[7] = {200000, 80000, 2.5, 1, 3, 4, 5};
    EXPECT_EQ(FER_hSetAdditionalValues(s.h, seven, 9), 7);  // at most seven
    FER_hCalculate(s.h);
    ASSERT_EQ(FER_hGetAdditionalValues(s.h, v), 0);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(v[i], seven[i]);
    const double three[3] = {210000, 81000, 1.5};
    EXPECT_EQ(FER_hSetAdditionalValues(s.h, three, 3), 3);
    ASSERT_EQ(FER_hGetAdditionalValues(s.h, v), 0);
    EXPECT_EQ(v[2], 1.5);
    EXPECT_EQ(v[3], 0.0);
}

TEST(OnTheFlySection, SectionWithoutAreaIsNotCalculated) {
    const int h = FER_hStartOnTheFly("EC", 2, 1.0, 1.1, 1.25);
    EXPECT_EQ(FER_hCalculate(h), -1);
    EXPECT_EQ(FER_hGetProfile(h), 0);
    FER_hClose(h);
}

}  // namespace
