// c/t classification against EN 1993-1-1 Table 5.2 worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "platform/ferrum/ferrum.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

// An I-section as the profile catalogue builds it (cm): flanges on their
// centre lines, the web between them with the root radius at both ends.
int MakeI(double h, double b, double tf, double tw, double r) {
    const double hs = h - tf;
    const int p = SEKT_PRO_Create();
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-b / 2, -hs / 2, b / 2, -hs / 2, tf));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-b / 2, hs / 2, b / 2, hs / 2, tf));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -hs / 2, 0, hs / 2, tw, r, r));
    SEKT_PRO_Calculate(p);
    return p;
}

struct Check {
    int pro, handle;
    Check(int p, const char* code) : pro(p), handle(FER_iStart(p, code, 0, 1.0, 1.0, 1.0)) {}
    ~Check() {
        FER_iClose(handle);
        SEKT_PRO_Delete(pro);
    }
};

const FER_CtPlate* Decisive(const FER_CtResult& r, int kind) {
    const FER_CtPlate* best = nullptr;
    for (int i = 0; i < r.nPlates; ++i)
        if (r.plate[i].kind == kind && (!best || r.plate[i].limitClass3 < best->limitClass3)) best = &r.plate[i];
    return best;
}

TEST(CtCheck, Ipe300S235InPureBendingIsClass1) {
    Check c(MakeI(30.0, 15.0, 1.07, 0.71, 1.5), "EC");
    ASSERT_GT(c.handle, 0);
    const double forces[8] = {0, 0, 0, 0, 100.0, 0, 0, 0};  // My = 100 kNm
    auto r = std::make_unique<FER_CtResult>();
    EXPECT_EQ(FER_iCalcElastic(c.handle, 235.0, forces, 0, r.get()), 1);
    EXPECT_EQ(r->sectionClass, 1);
    // The compressed flange: c = (150 - 7.1 - 2*15)/2 = 56.45 mm, c/t = 5.28, 9 eps.
    const FER_CtPlate* fl = nullptr;
    for (int i = 0; i < r->nPlates; ++i)
        if ((r->plate[i].kind == 1 || r->plate[i].kind == 2) && r->plate[i].sigma1 > 0) fl = &r->plate[i];
    ASSERT_NE(fl, nullptr);
    EXPECT_NEAR(fl->c, 5.645, 1e-3);
    EXPECT_NEAR(fl->ctRatio, 56.45 / 10.7, 1e-3);
    EXPECT_NEAR(fl->limitClass1, 9.0, 1e-9);
    EXPECT_NEAR(fl->limitClass2, 10.0, 1e-9);
    EXPECT_NEAR(fl->limitClass3, 14.0, 1e-9);
    // The web in pure bending: c = 300 - 2*10.7 - 2*15 = 248.6 mm, 72/83/124 eps.
    const FER_CtPlate* web = Decisive(*r, 3);
    ASSERT_NE(web, nullptr);
    EXPECT_NEAR(web->ctRatio, 248.6 / 7.1, 1e-3);
    EXPECT_NEAR(web->psi, -1.0, 1e-9);
    EXPECT_NEAR(web->limitClass1, 72.0, 1e-9);
    EXPECT_NEAR(web->limitClass2, 83.0, 1e-9);
    EXPECT_NEAR(web->limitClass3, 124.0, 1e-9);
    // The flange in tension has no limit.
    int free = 0;
    for (int i = 0; i < r->nPlates; ++i)
        if (r->plate[i].kind <= 2 && r->plate[i].kind >= 1 && r->plate[i].limitClass1 == FER_CT_NO_LIMIT) ++free;
    EXPECT_EQ(free, 2);
}

TEST(CtCheck, WeldedIWith300x8FlangeInS355CompressionIsClass4) {
    // Flange 300 x 8, web 400 x 10 (welded, no root radius).
    Check c(MakeI(41.6, 30.0, 0.8, 1.0, 0.0), "EC");
    const double forces[8] = {-500.0, 0, 0, 0, 0, 0, 0, 0};
    auto r = std::make_unique<FER_CtResult>();
    EXPECT_EQ(FER_iCalcElastic(c.handle, 355.0, forces, 0, r.get()), 4);
    const FER_CtPlate* fl = Decisive(*r, 1);
    ASSERT_NE(fl, nullptr);
    const double eps = std::sqrt(235.0 / 355.0);
    EXPECT_NEAR(fl->ctRatio, (150.0 - 5.0) / 8.0, 1e-3);  // 18.1 > 14 eps = 11.4
    EXPECT_NEAR(fl->limitClass3, 14.0 * eps, 1e-9);
    EXPECT_EQ(fl->plateClass, 4);
}

TEST(CtCheck, WebInBendingAndCompressionUsesAlphaAndPsi) {
    Check c(MakeI(30.0, 15.0, 1.07, 0.71, 1.5), "EC");
    SektGqs g{};
    SEKT_PRO_GetResultGqs(c.pro, &g);
    const double N = -200.0, My = 80.0;  // compression and bending
    const double forces[8] = {N, 0, 0, 0, My, 0, 0, 0};
    auto r = std::make_unique<FER_CtResult>();
    FER_iCalcElastic(c.handle, 235.0, forces, 0, r.get());
    const FER_CtPlate* web = Decisive(*r, 3);
    ASSERT_NE(web, nullptr);
    // By hand: web part c = 24.86 cm, stresses at its ends (z = +-12.43 cm).
    const double cw = 24.86, sN = -N / g.A, sM = My * 100.0 * (cw / 2) / g.Ayy;
    const double s1 = (sN + sM) * 10, s2 = (sN - sM) * 10;
    const double psi = s2 / s1;
    const double alpha = 0.5 * (1.0 + 200.0 / (cw * 0.71 * 23.5));
    EXPECT_NEAR(web->psi, psi, 1e-6);
    EXPECT_NEAR(web->alpha, alpha, 1e-9);
    ASSERT_GT(alpha, 0.5);
    EXPECT_NEAR(web->limitClass1, 396.0 / (13.0 * alpha - 1.0), 1e-9);
    EXPECT_NEAR(web->limitClass2, 456.0 / (13.0 * alpha - 1.0), 1e-9);
    EXPECT_NEAR(web->limitClass3, psi > -1 ? 42.0 / (0.67 + 0.33 * psi) : 62.0 * (1 - psi) * std::sqrt(-psi), 1e-9);
    EXPECT_NEAR(web->limitClass3Raised, web->limitClass3 * std::sqrt(235.0 / s1), 1e-6);
}

TEST(CtCheck, TableLimitsAtTheirKnownPoints) {
    struct Case {
        bool internal;
        double alpha, psi;
        bool tip;
        double c1, c2, c3;
    };
    const Case cases[] = {
        {true, 1.0, 1.0, false, 33, 38, 42},      // internal, compression
        {true, 0.5, -1.0, false, 72, 83, 124},    // internal, bending
        {false, 1.0, 1.0, true, 9, 10, 14},       // outstand, compression
    };
    for (const Case& k : cases) {
        const ferrum::CtLimits l = k.internal ? ferrum::InternalPartLimits(1.0, k.alpha, k.psi)
                                              : ferrum::OutstandLimits(1.0, k.alpha, k.psi, k.tip);
        EXPECT_NEAR(l.c1, k.c1, 1e-9);
        EXPECT_NEAR(l.c2, k.c2, 1e-9);
        EXPECT_NEAR(l.c3, k.c3, 1e-9);
    }
    // Outstand with the tip in tension: 9 eps / (alpha sqrt(alpha)).
    EXPECT_NEAR(ferrum::OutstandLimits(1.0, 0.25, -0.5, false).c1, 9.0 / (0.25 * 0.5), 1e-9);
}

TEST(CtCheck, BadInputGivesNoPlates) {
    auto r = std::make_unique<FER_CtResult>();
    const double forces[8] = {};
    EXPECT_EQ(FER_iCalcElastic(12345, 235.0, forces, 0, r.get()), -1);
    EXPECT_EQ(r->nPlates, 0);
    EXPECT_EQ(FER_iStart(-3, "EC", 0, 1.0, 1.0, 1.0), -1);
    EXPECT_EQ(FER_iClose(98765), -1);
}

}  // namespace

namespace {

TEST(CtCheck, FlangePlatesAreRolesFiveAndSixWithTheirOverhangs) {
    // Flanges 200 x 12, plates 240 x 10 on them (20 mm overhang each side).
    const int p = SEKT_PRO_Create();
    for (double s : {-1.0, 1.0}) {
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-10, s * 20.6, 10, s * 20.6, 1.2));
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-12, s * 21.7, 12, s * 21.7, 1.0));
    }
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -20.6, 0, 20.6, 0.8));
    SEKT_PRO_Calculate(p);
    Check c(p, "EC");
    const double forces[8] = {-300.0, 0, 0, 0, 0, 0, 0, 0};
    auto r = std::make_unique<FER_CtResult>();
    FER_iCalcElastic(c.handle, 235.0, forces, 0, r.get());
    int roles[7] = {};
    for (int i = 0; i < r->nPlates; ++i) {
        ++roles[r->plate[i].kind];
        if (r->plate[i].kind >= 5) {
            EXPECT_NEAR(r->plate[i].c, 2.0, 1e-9);
            EXPECT_NEAR(r->plate[i].limitClass3, 14.0, 1e-9);
        }
    }
    EXPECT_EQ(roles[5], 2);
    EXPECT_EQ(roles[6], 2);
    EXPECT_GE(roles[1], 2);
    EXPECT_GE(roles[3], 1);
}

}  // namespace

namespace {

TEST(CtCheck, DinElasticLimitsByTheBucklingFactor) {
    // 305 sqrt(k / 240): internal part in compression (k = 4) 39.4, outstand
    // (k = 0.43) 12.9; in bending (psi = -1, k = 23.9) 96.2.
    EXPECT_NEAR(ferrum::DinElasticLimit(ferrum::BucklingFactorInternal(1.0), 240.0), 39.37, 0.01);
    EXPECT_NEAR(ferrum::DinElasticLimit(ferrum::BucklingFactorOutstand(1.0, true), 240.0), 12.91, 0.01);
    EXPECT_NEAR(ferrum::BucklingFactorInternal(-1.0), 23.9, 0.05);
    EXPECT_NEAR(ferrum::BucklingFactorInternal(0.0), 8.2 / 1.05, 1e-9);
    // A DIN check of the welded I in compression: flange b/t 18.1 > 12.9 * sqrt(240/355).
    Check c(MakeI(41.6, 30.0, 0.8, 1.0, 0.0), "DIN");
    const double forces[8] = {-500.0, 0, 0, 0, 0, 0, 0, 0};
    auto r = std::make_unique<FER_CtResult>();
    EXPECT_EQ(FER_iCalcElastic(c.handle, 355.0, forces, 0, r.get()), 4);
    const FER_CtPlate* fl = Decisive(*r, 1);
    ASSERT_NE(fl, nullptr);
    EXPECT_NEAR(fl->limitClass3, 305.0 * std::sqrt(0.43 / 355.0), 1e-3);
}

}  // namespace

namespace {

// A handle checked again and again, with other forces and another yield
// strength each time, gives every check exactly what a handle opened for that
// check alone gives: what it keeps of its profile does not depend on the
// forces.
TEST(CtCheck, RepeatedChecksOfOneHandleEqualChecksOfFreshHandles) {
    const int pro = MakeI(30.0, 15.0, 1.07, 0.71, 1.5);
    const int kept = FER_iStart(pro, "EC", 0, 1.1, 1.0, 1.0);
    ASSERT_GT(kept, 0);
    struct Case {
        double fy;
        double forces[8];
    } cases[] = {
        {235.0, {0, 0, 0, 0, 100.0, 0, 0, 0}},      // bending
        {355.0, {-500.0, 0, 0, 0, 0, 0, 0, 0}},     // compression
        {235.0, {-200.0, 0, 0, 0, 80.0, 0, 0, 0}},  // both
        {275.0, {50.0, 0, 0, 0, -40.0, 12.0, 0, 0.5}},
        {235.0, {0, 0, 0, 0, 0, 0, 0, 0}},  // nothing acts
    };
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            SCOPED_TRACE(c.forces[0]);
            auto again = std::make_unique<FER_CtResult>();
            auto alone = std::make_unique<FER_CtResult>();
            const int fresh = FER_iStart(pro, "EC", 0, 1.1, 1.0, 1.0);
            const int classKept = FER_iCalcElastic(kept, c.fy, c.forces, 0, again.get());
            const int classFresh = FER_iCalcElastic(fresh, c.fy, c.forces, 0, alone.get());
            FER_iClose(fresh);
            EXPECT_EQ(classKept, classFresh);
            ASSERT_GT(alone->nPlates, 0);
            EXPECT_EQ(std::memcmp(again.get(), alone.get(), sizeof(FER_CtResult)), 0);
        }
    FER_iClose(kept);
    SEKT_PRO_Delete(pro);
}

}  // namespace
