// Eccentric beddings: every bedding acts at its own eccentricity, as a row of
// single springs would. A lateral bedding cy whose line lies ez from the
// shear centre stores cy (v - ez theta)^2 / 2 per length, a vertical bedding
// cz at the offset ey stores cz (w + ey theta)^2 / 2, so that two beddings
// +-e are energy-equivalent to one of twice the stiffness at the shear
// centre plus the torsional bedding 2 cy e^2.
#include <gtest/gtest.h>

#include <cmath>

#include "kernel/fe/BeamElement.h"
#include "kernel/fe/FeSolver.h"
#include "testsupport/member_builder.h"

using namespace tovik;
using namespace tovik::fe;
using test_member::Fork;
using test_member::Member;

namespace {

// The stiffness of element e of a prepared member.
Mat14 ElementStiffness(Member& b, int32_t e) {
    ElementValues ev;
    Vec14 hinges{};
    EXPECT_EQ(GetElementValues(*b.run, ev, hinges, e), 0);
    Mat14 K, Kg;
    CalcElementMatrices(0, ev, hinges, K, Kg, nullptr, true, {}, nullptr);
    return K;
}

double MaxAbs(const Mat14& K) {
    double m = 0;
    for (double v : K) m = std::max(m, std::fabs(v));
    return m;
}

Member& SimpleSpan(Member& b, int32_t divisions) {
    return b.Spans({6}, divisions).Support(0, Fork(true)).Support(1, Fork(false));
}

}  // namespace

TEST(FeBedding, TwoLateralBeddingsAtPlusMinusEEqualTwiceAtTheShearCentrePlusTorsion) {
    const double cy = 800.0, e = 0.12;  // kN/m², m
    struct Case {
        const char* name;
        double ez1, ez2;  // cm: the two beddings
    } cases[] = {{"symmetric +-e", 100 * e, -100 * e}, {"both at +e", 100 * e, 100 * e}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Member two;
        SimpleSpan(two, 6).Bed(cy, c.ez1, 0, 0, 0).Bed(cy, c.ez2, 0, 0, 0);
        ASSERT_EQ(two.Prepare(), 0);
        // One bedding 2 cy at the mean height plus the torsional bedding of
        // the spread about it: sum cy ez^2 - (sum cy ez)^2 / sum cy.
        const double mean = 0.005 * (c.ez1 + c.ez2);
        const double spread = cy * 1e-4 * (c.ez1 * c.ez1 + c.ez2 * c.ez2) - 2 * cy * mean * mean;
        Member one;
        SimpleSpan(one, 6).Bed(2 * cy, 100 * mean, 0, 0, spread);
        ASSERT_EQ(one.Prepare(), 0);
        for (int32_t el = 0; el < 6; ++el) {
            const Mat14 K2 = ElementStiffness(two, el), K1 = ElementStiffness(one, el);
            const double scale = MaxAbs(K1);
            for (size_t i = 0; i < K1.size(); ++i) ASSERT_NEAR(K2[i], K1[i], 1e-9 * scale) << "element " << el << " entry " << i;
        }
    }
    // The symmetric pair couples no sway with the twist.
    Member sym;
    SimpleSpan(sym, 6).Bed(cy, 100 * e, 0, 0, 0).Bed(cy, -100 * e, 0, 0, 0);
    ASSERT_EQ(sym.Prepare(), 0);
    const Mat14 K = ElementStiffness(sym, 2);
    EXPECT_EQ(At(K, kV, kTheta), 0.0);
    EXPECT_EQ(At(K, kV, 7 + kTheta), 0.0);
}

TEST(FeBedding, VerticalBeddingWithOffsetRestrainsTheTwistLikeARowOfSprings) {
    // Torque 10 kNm at midspan of an IPE 300 on forks, vertical bedding
    // cz = 2000 kN/m² at ey = 10 cm: the bedding resists the twist through
    // cz ey^2 and couples w. A row of springs cz dx at the same offset tends
    // to the same answer as the springs get denser (at most 30 springs).
    const double cz = 2000.0, eyCm = 10.0, torque = 10.0;
    Member bed;
    SimpleSpan(bed, 60).Bed(0, 0, cz, eyCm, 0).Moment(3.0, torque, 0, 0);
    ASSERT_EQ(bed.Analyse(0), 0);
    const double thetaBed = bed.Disp(bed.Service(), 3.0, 3), wBed = bed.Disp(bed.Service(), 3.0, 2);
    ASSERT_GT(std::fabs(thetaBed), 0.0);

    Member free;
    SimpleSpan(free, 60).Moment(3.0, torque, 0, 0);
    ASSERT_EQ(free.Analyse(0), 0);
    EXPECT_LT(std::fabs(thetaBed), 0.9 * std::fabs(free.Disp(free.Service(), 3.0, 3))) << "the bedding restrains";

    double previous = 1e9;
    for (int32_t n : {6, 12, 28}) {
        Member springs;
        SimpleSpan(springs, 60);
        const double dx = 6.0 / n;
        for (int32_t i = 0; i <= n; ++i) springs.SpringAt(i * dx, 0, cz * dx * ((i == 0 || i == n) ? 0.5 : 1.0), eyCm, 0);
        springs.Moment(3.0, torque, 0, 0);
        ASSERT_EQ(springs.Analyse(0), 0);
        const double th = springs.Disp(springs.Service(), 3.0, 3), w = springs.Disp(springs.Service(), 3.0, 2);
        const double diff = std::fabs(th - thetaBed) / std::fabs(thetaBed);
        EXPECT_LT(diff, previous + 1e-12) << n << " springs";
        previous = diff;
        if (n == 28) {
            EXPECT_NEAR(th, thetaBed, 0.01 * std::fabs(thetaBed));
            EXPECT_NEAR(w, wBed, 0.02 * std::fabs(wBed) + 1e-9);
        }
    }
}

TEST(FeBedding, TheBeddingForcesOfTheResultBalanceTheLoad) {
    // The torque of the load equals the fork moments plus the moment of the
    // bedding forces q = -(w + ey theta) cz about the shear centre, q ey,
    // integrated along the member: the force the result reports is the
    // force the analysis applied.
    const double cz = 2000.0, ey = 0.10, torque = 10.0;
    Member b;
    SimpleSpan(b, 60).Bed(0, 0, cz, 100 * ey, 0).Moment(3.0, torque, 0, 0);
    ASSERT_EQ(b.Analyse(0), 0);
    const FeCaseResult& r = b.Service();
    const int32_t nodes = static_cast<int32_t>(r.displacements.size() / 7);
    double bedMoment = 0, bedForce = 0;
    for (int32_t k = 0; k + 1 < nodes; ++k) {
        // Element k, linear in the end values (trapezoid): the consistent
        // cubic shapes differ from it by O(l^2), small at 60 elements.
        auto q = [&](int32_t n) {
            return -(r.displacements[static_cast<size_t>(7 * n + 2)] + ey * r.displacements[static_cast<size_t>(7 * n + 3)]) * cz;
        };
        const double l = 0.1;
        bedForce += 0.5 * (q(k) + q(k + 1)) * l;
        bedMoment += 0.5 * (q(k) + q(k + 1)) * ey * l;
    }
    const double forks = b.Reaction(r, 0.0, 3) + b.Reaction(r, 6.0, 3);
    EXPECT_NEAR(forks + bedMoment + torque, 0.0, 0.01 * torque);
    const double vertical = b.Reaction(r, 0.0, 2) + b.Reaction(r, 6.0, 2);
    EXPECT_NEAR(vertical + bedForce, 0.0, 0.01 * std::fabs(bedForce) + 1e-6);
}
