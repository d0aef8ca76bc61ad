// Load-case analyses of whole members against closed-form results:
// first order, buckling eigenvalues, second order, imperfections,
// envelopes, and the data preparation that places loads on the model.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kernel/KernelErrors.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"
#include "platform/winsys/winsys.h"
#include "testsupport/ipe300.h"
#include "testsupport/member_builder.h"

using namespace tovik;
using namespace tovik::fe;

namespace {

using ipe300::EIw;
using ipe300::EIy;
using ipe300::EIz;
using ipe300::GIT;
using ipe300::kE;
using FixedSections = ipe300::Sections;
using test_member::Fixed;
using test_member::Fork;
using test_member::HoldW;
using test_member::Member;

FeSectionValues Ipe300() { return ipe300::Values(); }

// One expected value of a case row.
struct Expect {
    std::string what;
    std::function<double(Member&)> get;
    double value;
    double relTol;
};
struct CaseRow {
    std::string name;
    std::function<int32_t(Member&)> build;  // builds and runs, returns the code
    std::vector<Expect> expects;
};

double Pi() { return std::acos(-1.0); }

std::vector<CaseRow> FirstOrderRows() {
    const double exact = 1e-6;
    auto ss = [](Member& b) -> Member& { return b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)); };
    auto twoSpans = [](Member& b) -> Member& {
        return b.Spans({6, 6}, 8).Support(0, Fork(true)).Support(1, Fork(false)).Support(2, Fork(false));
    };
    const double lambda = std::sqrt(GIT / EIw);
    return {
        {"simply supported, uniform load",
         [&](Member& b) { return ss(b).Line(0, 6, 0, 10).Analyse(0); },
         {{"midspan deflection (mm)", [](Member& b) { return b.Disp(b.Service(), 3, kW) * 1000; }, 9.6167, 1e-4},
          {"end rotation (per mille)", [](Member& b) { return -b.Disp(b.Service(), 0, kPhiY) * 1000; }, 5.1289, 1e-4},
          {"midspan moment", [](Member& b) { return b.Force(b.Service(), 3, kPhiY); }, 45.0, exact},
          {"reaction start", [](Member& b) { return -b.Reaction(b.Service(), 0, kW); }, 30.0, exact},
          {"reaction end", [](Member& b) { return -b.Reaction(b.Service(), 6, kW); }, 30.0, exact}}},
        {"two spans, uniform load",
         [&](Member& b) { return twoSpans(b).Line(0, 12, 0, 10).Analyse(0); },
         {{"end reaction", [](Member& b) { return -b.Reaction(b.Service(), 0, kW); }, 22.5, exact},
          {"middle reaction", [](Member& b) { return -b.Reaction(b.Service(), 6, kW); }, 75.0, exact},
          {"far reaction", [](Member& b) { return -b.Reaction(b.Service(), 12, kW); }, 22.5, exact},
          {"support moment", [](Member& b) { return b.Force(b.Service(), 6, kPhiY); }, -45.0, exact},
          {"span moment at 3L/8", [](Member& b) { return b.Force(b.Service(), 2.25, kPhiY); }, 25.3125, exact}}},
        {"simply supported with a midspan spring",
         [&](Member& b) { return ss(b).SpringAt(3, 0, 5000).Line(0, 6, 0, 10).Analyse(0); },
         {{"spring force", [](Member& b) { return -b.Reaction(b.Service(), 3, kW); }, 21.069, 5e-5},
          {"midspan deflection (mm)", [](Member& b) { return b.Disp(b.Service(), 3, kW) * 1000; }, 4.214, 1e-4}}},
        {"two spans, settlement of the middle support",
         [&](Member& b) { return twoSpans(b).Settlement(2, 1.0).Analyse(0); },
         {{"middle reaction", [](Member& b) { return b.Reaction(b.Service(), 6, kW); }, 4.874, 1e-4},
          {"moment over the support", [](Member& b) { return b.Force(b.Service(), 6, kPhiY); }, 14.623, 1e-4},
          {"support moved", [](Member& b) { return b.Disp(b.Service(), 6, kW) * 100; }, 1.0, exact}}},
        {"fixed member, temperature gradient over the height",
         [&](Member& b) { return b.Spans({6}, 10).Support(0, Fixed()).Support(1, Fixed()).Temperature(0, 0, 10).Analyse(0); },
         {{"My at the start", [](Member& b) { return std::fabs(b.Force(b.Service(), 0, kPhiY)); }, 7.019, 1e-4},
          {"My at midspan", [](Member& b) { return std::fabs(b.Force(b.Service(), 3, kPhiY)); }, 7.019, 1e-4},
          {"midspan deflection", [](Member& b) { return std::fabs(b.Disp(b.Service(), 3, kW)) + 1.0; }, 1.0, 1e-12}}},
        {"fixed member, uniform temperature",
         [&](Member& b) { return b.Spans({6}, 10).Support(0, Fixed()).Support(1, Fixed()).Temperature(10, 0, 0).Analyse(0); },
         {{"normal force", [](Member& b) { return b.Force(b.Service(), 3, kU); }, -135.60, 1e-4}}},
        {"warping torsion, forks, midspan torque",
         [&](Member& b) { return ss(b).Moment(3, 1.0, 0, 0).Analyse(0); },
         {{"midspan twist", [](Member& b) { return b.Disp(b.Service(), 3, kTheta); },
           0.5 / GIT * (3 - std::tanh(lambda * 3) / lambda), 5e-4},
          {"midspan twist (given)", [](Member& b) { return b.Disp(b.Service(), 3, kTheta); }, 0.053660, 5e-4},
          {"midspan bimoment", [](Member& b) { return std::fabs(b.Force(b.Service(), 3, kPsi)); }, 0.62549, 5e-4}}},
        {"warping torsion, cantilever with tip torque",
         [&](Member& b) { return b.Spans({6}, 10).Support(0, Fixed()).Moment(6, 1.0, 0, 0).Analyse(0); },
         {{"tip twist", [](Member& b) { return b.Disp(b.Service(), 6, kTheta); }, 0.29002, 5e-4},
          {"root bimoment", [](Member& b) { return std::fabs(b.Force(b.Service(), 0, kPsi)); }, 1.27349, 5e-4}}},
        {"beam on elastic bedding, point load",
         [&](Member& b) {
             return b.Spans({20}, 20).Support(0, SupportType{-1, -1, 0, -1, 0, 0, 0}).Support(1, SupportType{0, -1, 0, -1, 0, 0, 0})
                 .BeddingZ(10000).Point(10, 0, 0, 100).Analyse(0);
         },
         {{"deflection under the load (mm)", [](Member& b) { return b.Disp(b.Service(), 10, kW) * 1000; }, 3.0719, 2e-3},
          {"moment under the load", [](Member& b) { return b.Force(b.Service(), 10, kPhiY); }, 40.692, 2e-3}}},
        {"beam on elastic bedding, uniform load",
         [&](Member& b) {
             return b.Spans({20}, 20).Support(0, SupportType{-1, -1, 0, -1, 0, 0, 0}).Support(1, SupportType{0, -1, 0, -1, 0, 0, 0})
                 .BeddingZ(10000).Line(0, 20, 0, 10).Analyse(0);
         },
         {{"deflection at the end (mm)", [](Member& b) { return b.Disp(b.Service(), 0, kW) * 1000; }, 1.000, 1e-6},
          {"deflection at 7 m (mm)", [](Member& b) { return b.Disp(b.Service(), 7, kW) * 1000; }, 1.000, 1e-6}}},
    };
}

void RunRows(const std::vector<CaseRow>& rows) {
    for (const CaseRow& row : rows) {
        SCOPED_TRACE(row.name);
        Member b;
        ASSERT_EQ(row.build(b), 0);
        for (const Expect& e : row.expects) {
            const double got = e.get(b);
            EXPECT_NEAR(got, e.value, e.relTol * std::fabs(e.value)) << e.what;
        }
    }
}

}  // namespace

TEST(FeAnalysis, FirstOrderClosedForms) { RunRows(FirstOrderRows()); }

TEST(FeAnalysis, ReactionsBalanceTheLoad) {
    Member b;
    b.Spans({4, 5}, 6).Support(0, Fork(true)).Support(1, Fork(false)).Support(2, Fork(false));
    b.Point(2.5, 0, 0, 30).Line(1, 6, 0, 7);
    ASSERT_EQ(b.Analyse(0), 0);
    double sum = 0;
    for (int32_t n = 0; n < b.m.fe.nKnoten; ++n) sum += b.Service().reactions[static_cast<size_t>(7 * n + kW)];
    EXPECT_NEAR(-sum, 30 + 7 * 6, 1e-9);
}

TEST(FeDataPrep, LoadPointsMergeWithinTolerance) {
    struct Row {
        double x1, x2;
        int32_t extraNodes;
    };
    for (const Row& r : {Row{2.0, 2.0005, 1}, Row{2.0, 2.002, 2}}) {
        Member b;
        b.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false)).Point(r.x1, 0, 0, 1).Point(r.x2, 0, 0, 1);
        ASSERT_EQ(b.Prepare(), 0);
        EXPECT_EQ(b.m.fe.nKnoten, 5 + r.extraNodes) << r.x2;
    }
}

TEST(FeDataPrep, QuarterPointsAndTrapezoidPieces) {
    Member b;
    b.Spans({3}, 3).Support(0, Fork(true)).Support(1, Fork(false));
    LineLoad q;
    q.LCGen = 1;
    q.node = 1;
    q.length = 3;
    q.pz0 = 0;
    q.pz1 = 3;
    b.m.StreckenL.Append(q);
    ASSERT_EQ(b.Prepare(), 0);
    const auto& lines = State(*b.run).lines;
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(lines[static_cast<size_t>(i)].v[slot::kLinPz], i, 1e-6);
        EXPECT_NEAR(lines[static_cast<size_t>(i)].v[slot::kLinPz + 1], i + 1, 1e-6);
    }
    Member c;
    c.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false));
    ASSERT_EQ(c.Prepare(), 0);
    ASSERT_EQ(c.m.fe.nKnoten, 5);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(c.m.fe.KnotenX[static_cast<size_t>(i)], 1.5 * i, 1e-12);
}

TEST(FeDataPrep, ModelBeyondLimitsIsRefused) {
    Member b;
    b.Spans({6, 6}, 300).Support(0, Fork(true)).Support(1, Fork(false));
    EXPECT_EQ(b.Prepare(), codes::kModelTooLarge);
    EXPECT_TRUE(b.run->stopped);
    ASSERT_FALSE(State(*b.run).errorLines.empty());
    EXPECT_NE(State(*b.run).errorLines.back().find("500"), std::string::npos);
}

TEST(FeDataPrep, FieldWithoutLengthIsRefused) {
    Member b;
    b.Spans({6, 0}, 4).Support(0, Fork(true)).Support(1, Fork(false));
    EXPECT_EQ(b.Prepare(), codes::kBadValue);
    EXPECT_TRUE(b.run->stopped);
    EXPECT_NE(State(*b.run).errorLines.back().find("Feldes 2"), std::string::npos);
}

TEST(FeDataPrep, CombinationFactorsAndEmptyCase) {
    Member b;
    b.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false)).Point(3, 0, 0, 10);
    ASSERT_EQ(b.Prepare(), 0);
    EXPECT_EQ(AktLast(*b.run, 0, 0), 0);  // one load got a factor
    EXPECT_EQ(AktLast(*b.run, 0, 5), -1);  // no combination row
    b.m.RegelTerm = {CombinationTerm{1, 3, 1.5f}};  // a load case without loads
    EXPECT_EQ(RechneDltr3D(*b.run, 0, 0), 0);
    EXPECT_FALSE(b.Service().computed);
}

TEST(FeDataPrep, SpringBehindTheEndAndUnsymmetricSection) {
    Member b;
    b.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false)).SpringAt(6.5, 0, 1000);
    ASSERT_EQ(b.Prepare(), 0);
    EXPECT_EQ(State(*b.run).springs[0].where, -1);

    // Principal axes: an angle section turned by 30 degrees is analysed
    // with its principal moments, whatever the reference axes.
    const double I1 = 2e-5, I2 = 5e-6, a = Pi() / 6;
    FeSectionValues s = Ipe300();
    const double c = std::cos(a), sn = std::sin(a);
    s.Ayy = I1 * c * c + I2 * sn * sn;
    s.Azz = I1 * sn * sn + I2 * c * c;
    s.Ayz = (I1 - I2) * sn * c;
    const PrincipalSection p = ToPrincipalAxes(s);
    EXPECT_NEAR(std::max(p.Iy, p.Iz), I1, 1e-15);
    EXPECT_NEAR(std::min(p.Iy, p.Iz), I2, 1e-15);
    // A load along the reference z axis turned into the principal axes and
    // back gives the deflection of unsymmetric bending: w_ref = 5qL^4/384E * (Azz/(Ayy Azz - Ayz^2)).
    Member u;
    u.sections.values = s;
    u.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10);
    ASSERT_EQ(u.Analyse(0), 0);
    double vp = u.Disp(u.Service(), 3, kV), wp = u.Disp(u.Service(), 3, kW);
    // back into the reference axes
    const double al = p.alpha;
    const double wRef = std::sin(al) * vp + std::cos(al) * wp;
    const double expected = 5 * 10 * std::pow(6.0, 4) / (384 * kE) * s.Azz / (s.Ayy * s.Azz - s.Ayz * s.Ayz);
    EXPECT_NEAR(wRef, expected, 1e-6 * expected);
}

namespace {

double Eigen(Member& b) { return b.Ult().eigenValues[0]; }

std::vector<CaseRow> StabilityRows() {
    const double NcrZ = Pi() * Pi() * EIz / 36.0;
    auto column = [](Member& b) -> Member& { return b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)); };
    return {
        {"Euler column, weak axis",
         [=](Member& b) { return column(b).Point(6, -1, 0, 0).Analyse(1); },
         {{"critical factor", Eigen, 347.624, 1e-4}, {"closed form", Eigen, NcrZ, 1e-4}}},
        {"Euler cantilever",
         [](Member& b) { return b.Spans({6}, 10).Support(0, Fixed()).Point(6, -1, 0, 0).Analyse(1); },
         {{"critical factor", Eigen, 86.906, 1e-4}}},
        {"torsional buckling of a column held against flexure",
         [=](Member& b) {
             b.sections.values.Ayy *= 1000;
             b.sections.values.Azz *= 1000;
             return column(b).Point(6, -1, 0, 0).Analyse(1);
         },
         {{"critical factor", Eigen, (GIT + Pi() * Pi() * EIw / 36.0) / Ipe300().ip2, 1e-4}}},
        {"lateral-torsional buckling, uniform moment",
         [](Member& b) { return b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Moment(0, 0, 1, 0).Moment(6, 0, -1, 0).Analyse(1); },
         {{"critical moment", [](Member& b) { return std::fabs(Eigen(b)); }, 90.471, 5e-4},
          {"closed form", [](Member& b) { return std::fabs(Eigen(b)); },
           Pi() / 6 * std::sqrt(EIz * GIT * (1 + Pi() * Pi() * EIw / (36 * GIT))), 5e-4}}},
        {"beam-column, half the critical load, lateral line load",
         [=](Member& b) {
             b.m.vorvType = 1;  // bow with zero amplitude: no imperfection
             return column(b).Point(6, -173.81, 0, 0).Line(0, 6, 1, 0).Ultimate();
         },
         {{"midspan deflection (mm)", [](Member& b) { return b.Disp(b.Ult(), 3, kV) * 1000; }, 26.665, 5e-4},
          {"midspan Mz", [](Member& b) { return std::fabs(b.Force(b.Ult(), 3, kPhiZ)); }, 9.1348, 5e-4},
          {"buckling factor", Eigen, 2.0, 1e-3},
          {"passes settle early", [](Member& b) { return b.Ult().passes <= 8 ? 1.0 : 0.0; }, 1.0, 0}}},
        {"eccentric compression",
         [=](Member& b) {
             b.m.vorvType = 1;
             return column(b).Point(0, 100, 0, 0, 5, 0).Point(6, -100, 0, 0, 5, 0).Ultimate();
         },
         {{"midspan Mz", [](Member& b) { return std::fabs(b.Force(b.Ult(), 3, kPhiZ)); }, 7.512, 5e-4},
          {"buckling factor", Eigen, 3.4762, 5e-4}}},
    };
}

TEST(FeRunConstants, ChangedSectionsAreTakenUpWhenTheLoadsAreAppliedAgain) {
    // The critical load of a member scales with EIz, GIT and EIw alike when
    // the modulus changes: E and G halved halve the eigenvalue (fork
    // supports, the buckling load is linear in the stiffnesses).
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(30, sections);
    ASSERT_EQ(RechneDltr3D(*run, kBuckling, 0), 0);
    const double full = State(*run).results.ultimate[0].eigenValues[0];
    sections.values.E *= 0.5;
    sections.values.G *= 0.5;
    ASSERT_EQ(ApplyLoads(*run), 0);
    ASSERT_EQ(RechneDltr3D(*run, kBuckling, 0), 0);
    EXPECT_NEAR(State(*run).results.ultimate[0].eigenValues[0], 0.5 * full, 1e-7 * full);
}

}  // namespace

TEST(FeStability, ClosedForms) { RunRows(StabilityRows()); }

TEST(FeStability, EigenSlotsAndStartVector) {
    RandomStart(1, 2001);
    EXPECT_DOUBLE_EQ(RandomStart(0, 0), -0.244232177734375);
    Member b;
    b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Point(6, -1, 0, 0);
    ASSERT_EQ(b.Analyse(1), 0);
    const FeCaseResult& r = b.Ult();
    EXPECT_EQ(r.passes, 2);
    EXPECT_EQ(r.eigenValues[3], 0.0);
    EXPECT_EQ(r.eigenValues[4], 0.0);
    EXPECT_EQ(r.eigenValues[5], 0.0);
    const size_t N = 7 * static_cast<size_t>(b.m.fe.nKnoten);
    for (size_t i = N; i < 2 * N; ++i) EXPECT_EQ(r.eigenVectors[i], 0.0);
    // The mode is scaled to a largest lateral value of 1; held equations stay 0.
    EXPECT_NEAR(std::fabs(r.eigenVectors[static_cast<size_t>(7 * b.Node(3) + kV)]), 1.0, 1e-9);
    EXPECT_EQ(r.eigenVectors[static_cast<size_t>(kV)], 0.0);
    EXPECT_GT(r.eigenSteps, 0);
}

TEST(FeStability, PassesAndNonConvergence) {
    Member b;
    b.m.vorvType = 1;
    b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10);
    ASSERT_EQ(b.Ultimate(), 0);
    EXPECT_EQ(b.Ult().passes, 4);  // nothing changes, yet four passes

    Member c;
    c.m.vorvType = 1;
    c.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Point(6, -173.81, 0, 0).Line(0, 6, 1, 0);
    ASSERT_EQ(c.Prepare(), 0);
    State(*c.run).convergenceThreshold = -1;  // never settled
    EXPECT_EQ(RechneDltr3D(*c.run, 2, 0), codes::kNoConvergence);
    EXPECT_EQ(c.Ult().passes, 60);
    for (double v : c.Ult().displacements) EXPECT_EQ(v, 0.0);
    for (double v : c.Ult().endForces) EXPECT_EQ(v, 0.0);

    // An unstable system (load above the critical one) reports code 2.
    Member d;
    d.m.vorvType = 1;
    d.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Point(6, -700, 0, 0).Line(0, 6, 1, 0);
    ASSERT_EQ(d.Prepare(), 0);
    EXPECT_EQ(RechneDltr3D(*d.run, 2, 0), codes::kUnstable);
}

TEST(FeStability, PointLoadHeightDestabilises) {
    // Midspan point load on the top flange lowers the critical load, on the
    // bottom flange raises it; at the shear centre it lies between.
    auto critical = [](double ezCm) {
        Member b;
        b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Point(3, 0, 0, 1, 0, ezCm);
        EXPECT_EQ(b.Analyse(1), 0);
        return std::fabs(Eigen(b));
    };
    const double top = critical(-15), centre = critical(0), bottom = critical(15);
    EXPECT_LT(top, centre);
    EXPECT_GT(bottom, centre);
    // Closed form for a midspan load at the shear centre, uniform-moment
    // Mcr times C1 = 1.365 (within the accuracy of that coefficient).
    const double Mcr = Pi() / 6 * std::sqrt(EIz * GIT * (1 + Pi() * Pi() * EIw / (36 * GIT)));
    EXPECT_NEAR(centre * 6 / 4, 1.365 * Mcr, 0.02 * 1.365 * Mcr);
}

TEST(FeImperfection, Shapes) {
    Member b;
    b.Spans({6, 6, 2}, 4);
    b.Support(0, Fork(true)).Support(1, Fork(false)).Support(2, Fork(false));
    b.m.vorvType = 1;
    b.m.v0 = 2;  // cm
    b.m.w0 = 3;
    ASSERT_EQ(b.Prepare(), 0);
    SetImperfection(*b.run, 0);
    const auto& imp = b.Ult().imperfection;
    auto vI = [&](double x) { return imp[static_cast<size_t>(4 * b.Node(x))]; };
    auto wI = [&](double x) { return imp[static_cast<size_t>(4 * b.Node(x) + 1)]; };
    EXPECT_NEAR(vI(3), 0.02, 1e-12);                            // sine in the first field
    EXPECT_NEAR(vI(9), -0.02, 1e-12);                           // next field opposite
    EXPECT_NEAR(wI(1.5), 0.03 * std::sin(Pi() / 4), 1e-12);
    EXPECT_NEAR(vI(14), 0.02, 1e-12);                           // cantilever: 1 - cos, largest at the tip
    EXPECT_NEAR(vI(12), 0.0, 1e-12);
    EXPECT_NEAR(vI(13), 0.02 * (1 - std::cos(Pi() / 4)), 1e-6);
    // Sway angles: slope towards the next node; the last node has none.
    EXPECT_NEAR(imp[4 * 0 + 3], (vI(1.5) - vI(0)) / 1.5, 1e-12);
    const size_t last = static_cast<size_t>(b.m.fe.nKnoten - 1);
    EXPECT_EQ(imp[4 * last + 2], 0.0);
    EXPECT_EQ(imp[4 * last + 3], 0.0);
}

TEST(FeImperfection, CommonAmplitudes) {
    struct Row {
        int32_t kind;
        double x;
        double v, w;
    };
    // Kind 0: one sway angle of 1 % with no buckling mode or deflection to
    // give its direction: split evenly, 0.00707 per metre in each direction
    // (sway angle times the distance from the field's start). Kind 1, one amplitude in the direction of the resultant: in the
    // second field both shapes are negative and the resultant keeps its size.
    for (const Row& r : {Row{0, 1.5, 0.01 * M_SQRT1_2 * 1.5, -0.01 * M_SQRT1_2 * 1.5}, Row{1, 9.0, -0.02 / std::sqrt(2.0), -0.02 / std::sqrt(2.0)},
                         Row{1, 3.0, 0.02 / std::sqrt(2.0), 0.02 / std::sqrt(2.0)}}) {
        Member b;
        b.Spans({6, 6}, 4).Support(0, Fork(true)).Support(1, Fork(false)).Support(2, Fork(false));
        b.m.vorvType = r.kind;
        b.m.psiDirekt = 1;
        b.m.psiGlobal = 0.01f;  // radians
        b.m.w0Direkt = 1;
        b.m.wGlobal = 2;
        ASSERT_EQ(b.Prepare(), 0);
        SetImperfection(*b.run, 0);
        const auto& imp = b.Ult().imperfection;
        const size_t n = static_cast<size_t>(b.Node(r.x));
        EXPECT_NEAR(imp[4 * n], r.v, 1e-9) << r.kind << " " << r.x;
        EXPECT_NEAR(imp[4 * n + 1], r.w, 1e-9) << r.kind << " " << r.x;
    }
}

TEST(FeImperfection, AffineToModeWithReferenceNodeFallback) {
    Member b;
    b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Point(6, -100, 0, 0).Line(0, 6, 0.5, 0);
    b.m.vorvType = 2;
    b.m.ausmitteDirekt = 1;
    b.m.ausmitteKnoten = 1;  // the support: no deflection in the mode
    b.m.ausmitteGlobal = 2;
    b.m.ausmitte = 7;  // not used with a reference node
    ASSERT_EQ(b.Prepare(), 0);
    ASSERT_EQ(RechneDltr3D(*b.run, 1, 0), 0);
    SetImperfection(*b.run, 0);
    const auto& lines = State(*b.run).errorLines;
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("im Bezugsknoten result. Verformung = 0!"), std::string::npos);
    // The amplitude given for the reference node sits at the mode's maximum,
    // in the direction of the linear deflection (+y under the +y load).
    EXPECT_NEAR(b.Ult().imperfection[static_cast<size_t>(4 * b.Node(3))], 0.02, 1e-9);
    ASSERT_EQ(RechneDltr3D(*b.run, 2, 0), 0);
}

TEST(FeImperfection, SwayLoadsOnlyWithCompression) {
    Member b;
    b.Spans({6}, 2).Support(0, Fork(true)).Support(1, Fork(false));
    ASSERT_EQ(b.Prepare(), 0);
    std::vector<double> imp(12, 0.0);
    imp[4] = 0.01;  // v of the middle node
    std::vector<double> p(22, 0.0);
    std::vector<double> tension(28, 0.0);
    for (size_t e = 0; e < 2; ++e) tension[14 * e] = tension[14 * e + 7] = 50;
    SwayImperfectionLoads(*b.run, imp, p, tension);
    for (double v : p) EXPECT_EQ(v, 0.0);
    std::vector<double> comp(28, 0.0);
    for (size_t e = 0; e < 2; ++e) comp[14 * e] = comp[14 * e + 7] = -50;
    SwayImperfectionLoads(*b.run, imp, p, comp);
    // The leaning halves push the middle node further out and pull the ends
    // back; the lateral loads are in balance.
    const double mid = p[8 + kV], ends = p[1 + kV] + p[15 + kV];
    EXPECT_GT(mid, 0.0);
    EXPECT_LT(ends, 0.0);
    EXPECT_NEAR(mid + ends, 0.0, 1e-12);
    // Chord slopes 0.01/3: the leaning-column force N * (slope change) at the middle node.
    EXPECT_NEAR(mid, 50 * 2 * 0.01 / 3, 0.2 * 50 * 2 * 0.01 / 3);
}

TEST(FeImperfection, BowUnderUniformMomentTwistsTheBeam) {
    // A beam with a lateral bow under end moments below the critical moment:
    // the twist at midspan follows the amplification 1/(1 - M/Mcr) of the
    // imperfection's twist component, and the weak-axis moment in the
    // deformed axes has the sign of the lateral bending of the bow.
    const double Mcr = Pi() / 6 * std::sqrt(EIz * GIT * (1 + Pi() * Pi() * EIw / (36 * GIT)));
    auto midTwist = [&](double M, double* mz) {
        Member b;
        b.m.vorvType = 1;
        b.m.v0 = 2;  // cm, sine bow in y
        b.Spans({6}, 20).Support(0, Fork(true)).Support(1, Fork(false)).Moment(0, 0, M, 0).Moment(6, 0, -M, 0);
        EXPECT_EQ(b.Ultimate(), 0);
        if (mz) *mz = b.Force(b.Ult(), 3, kPhiZ);
        return b.Disp(b.Ult(), 3, kTheta);
    };
    double mz1 = 0, mz2 = 0;
    const double t1 = midTwist(0.2 * Mcr, &mz1), t2 = midTwist(0.6 * Mcr, &mz2);
    EXPECT_NE(t1, 0.0);
    // Closed form for a sine bow of amplitude v0 under uniform moment M
    // (sine shapes in v and twist): theta = v0 P M / (Mcr² - M²) with
    // P = pi² EIz / L².
    const double P = Pi() * Pi() * EIz / 36;
    for (auto [m, t] : {std::pair{0.2, t1}, std::pair{0.6, t2}}) {
        const double M = m * Mcr;
        EXPECT_NEAR(std::fabs(t), 0.02 * P * M / (Mcr * Mcr - M * M), 0.01 * 0.02 * P * M / (Mcr * Mcr - M * M)) << m;
    }
    auto amp = [&](double m) { return m / (1 - m * m); };
    EXPECT_NEAR(t2 / t1, amp(0.6) / amp(0.2), 0.01 * amp(0.6) / amp(0.2));
    EXPECT_GT(std::fabs(mz2), std::fabs(mz1));
}

TEST(FeEnvelope, SuperposeExtremes) {
    // Two alternatives (+5 and -3 in component 0), then a permanent row and
    // an independent one.
    const std::vector<double> rows = {5, 1, -3, 2, 10, 10, 4, -4};
    std::vector<double> out;
    SuperposeExtremes(rows, 2, 2, {30, 30}, {1.0, 1.0}, out);
    ASSERT_EQ(out.size(), 8u);
    EXPECT_EQ(out[0], 5);   // max of component 0: row of case 1
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], -3);  // min of component 0: row of case 2
    EXPECT_EQ(out[3], 2);
    SuperposeExtremes(rows, 2, 4, {30, 30, 1, 2}, {1.0, 1.0, 1.0, 1.0}, out);
    EXPECT_EQ(out[0], 5 + 10 + 4);   // permanent on both sides, independent where favourable to the max
    EXPECT_EQ(out[2], -3 + 10);      // min side: permanent only (the independent row is positive)
    std::vector<double> untouched = {42};
    SuperposeExtremes({}, 2, 0, {}, {}, untouched);
    EXPECT_EQ(untouched, std::vector<double>{42});
}

TEST(FeEnvelope, ServiceEnvelopeAndEmptyRange) {
    Member b;
    b.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10);
    ASSERT_EQ(b.Analyse(0), 0);
    ASSERT_EQ(BuildEnvelopes(*b.run, 1), 0);
    const FeEnvelope& env = State(*b.run).results.serviceEnvelope;
    ASSERT_TRUE(env.present);
    ASSERT_EQ(env.supportNodes.size(), 2u);
    EXPECT_NEAR(env.reactions[2 * 7 * kW + 7 + kW], -30.0, 1e-9);  // smallest Rz: the one case
    EXPECT_EQ(env.reactions[2 * 7 * kW + kW], 0.0);                // nothing on the max side
    EXPECT_NEAR(env.endMax[static_cast<size_t>(7 * 3 + kPhiY)], 45.0, 1e-9);
    EXPECT_NEAR(env.endMin[static_cast<size_t>(7 * 3 + kPhiY)], 45.0, 1e-9);
    State(*b.run).results.ultimate.clear();
    ASSERT_EQ(BuildEnvelopes(*b.run, 0), 0);
    EXPECT_FALSE(State(*b.run).results.ultimateEnvelope.present);
    EXPECT_TRUE(State(*b.run).results.ultimateEnvelope.endMax.empty());
}

TEST(FeStability, LoadHeightTermScalesWithTheCombinationFactor) {
    auto critical = [](float factor) {
        Member b;
        b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Point(3, 0, 0, 10, 0, -15);
        EXPECT_EQ(b.Prepare(), 0);
        b.m.KnickTerm = {CombinationTerm{1, 0, factor}};
        EXPECT_EQ(RechneDltr3D(*b.run, 1, 0), 0);
        return std::fabs(Eigen(b));
    };
    EXPECT_NEAR(critical(1.5f) * 1.5, critical(1.0f), 1e-6 * critical(1.0f));
}

TEST(FeAnalysis, StressesAtStressPoints) {
    // One stress point at the bottom flange edge of the IPE 300:
    // sigma = My z / Iy with z = 15 cm, in kN/cm².
    class PointSections : public FixedSections {
    public:
        std::vector<FeStressPoint> StressPoints(int32_t) const override {
            FeStressPoint p;
            p.sN = 1 / 53.81;
            p.sMy = 15.0 / 8356;
            return {p};
        }
        FeMaterial Material() const override {
            FeMaterial m;
            m.fy = 23.5;
            m.gammaM = 1.0;
            return m;
        }
    };
    Member b;
    PointSections ps;
    b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10);
    ASSERT_EQ(b.Prepare(), 0);
    State(*b.run).sections = &ps;
    ASSERT_EQ(RechneDltr3D(*b.run, 0, 0), 0);
    const auto& s = b.Service().stresses;
    const size_t e = static_cast<size_t>(b.Node(3) - 1);  // element ending at midspan, end b
    EXPECT_NEAR(s[10 * e + 5 + 0], 4500 * 15.0 / 8356, 1e-9);
    EXPECT_NEAR(s[10 * e + 5 + 4], 4500 * 15.0 / 8356 / 23.5, 1e-9);
}

TEST(FeAnalysis, TooManyLinePiecesOnOneElementAreRefused) {
    Member b;
    b.Spans({6}, 1).Support(0, Fork(true)).Support(1, Fork(false));
    for (int i = 0; i < 260; ++i) b.Line(0, 6, 0, 0.01);
    ASSERT_EQ(b.Prepare(), 0);
    EXPECT_EQ(RechneDltr3D(*b.run, 0, 0), codes::kElementMatrix);
    EXPECT_NE(State(*b.run).errorLines.back().find("Streckenlasten"), std::string::npos);
}

TEST(FeDataPrep, PlacedValues) {
    // A monosymmetric section: shear centre 5 cm above the centroid.
    Member b;
    b.sections.values.zM = -0.05;
    b.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false));
    b.Point(1.5, 10, 0, 0, 2, 3);      // axial only: from the centroid
    b.Point(3.0, 0, 0, 0.002, 2, 3);   // transverse: from the shear centre
    b.Settlement(2, 1.0);
    b.m.Zwang[0].dphi = 1.0f;
    b.m.Gamma = 78.5f;
    b.m.GammaOpt = 1;
    ASSERT_EQ(b.Prepare(), 0);
    const FeState& st = State(*b.run);
    ASSERT_EQ(st.points.size(), 2u);
    EXPECT_NEAR(st.points[0].v[slot::kPtEz], 0.03, 1e-9);
    EXPECT_NEAR(st.points[1].v[slot::kPtEz], 0.08, 1e-9);
    EXPECT_NEAR(st.points[1].v[slot::kPtEy], 0.02, 1e-9);
    EXPECT_NEAR(st.zwang[0].v[slot::kZw + 2], 0.01, 1e-9);
    EXPECT_NEAR(st.zwang[0].v[slot::kZw + 3], 0.001, 1e-9);
    ASSERT_EQ(st.lines.size(), 4u);  // self weight, one piece per element
    for (const auto& r : st.lines) {
        EXPECT_EQ(r.lc, 1);
        EXPECT_NEAR(r.v[slot::kLinPx], -78.5 * 53.81e-4, 1e-9);
        EXPECT_NEAR(r.v[slot::kLinPx + 1], -78.5 * 53.81e-4, 1e-9);
        EXPECT_EQ(r.v[slot::kLinPz], 0.0);
    }
    Member c;
    c.Spans({6}, 4).Support(0, Fork(true)).Support(1, Fork(false));
    c.m.Gamma = 0.000005f;
    ASSERT_EQ(c.Prepare(), 0);
    EXPECT_TRUE(State(*c.run).lines.empty());
    double y = 1, z = 2;
    RotatePair(0.05 * Pi() / 180, y, z);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(z, 2);
}

TEST(FeDataPrep, ResultLayoutBeyondTheWorkArrayIsRefused) {
    winsys::ScopedRecordingSink sink;
    Member b;
    b.Spans({6}, 400).Support(0, Fork(true)).Support(1, Fork(false));
    State(*b.run).sections = &b.sections;
    b.m.nRegelLk = 5000;
    ASSERT_EQ(PrepareSystemData(*b.run), 0);
    EXPECT_EQ(ApplyLoads(*b.run), codes::kMemoryOverflow);
    EXPECT_TRUE(b.run->stopped);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Speicherüberlauf! Bitte vereinfachen Sie das System");
}

TEST(FeStability, EigenSolverWithoutGeometricStiffnessFails) {
    // G = 0 (no compression anywhere): the quotient has no finite minimum;
    // the solver gives up with -1 instead of producing NaN.
    std::vector<int32_t> mht(4, 1), maxa;
    mht[1] = 0;
    int32_t nband, nwk;
    SkylineAddresses(maxa, mht, 3, nband, nwk);
    std::vector<double> K(static_cast<size_t>(nwk) + 1, 0.0), G(static_cast<size_t>(nwk) + 1, 0.0), out = {7.0};
    for (int32_t i = 1; i <= 3; ++i) K[static_cast<size_t>(maxa[static_cast<size_t>(i)])] = 2.0;
    EXPECT_EQ(SolveEigen(K, G, maxa, 3, nwk, out), -1);
    EXPECT_EQ(out, std::vector<double>{7.0});  // output untouched
    // A definite pair: K = 2 I, G = diag(1, 4, 2) gives the lowest factor 0.5.
    for (int32_t i = 1; i <= 3; ++i) K[static_cast<size_t>(maxa[static_cast<size_t>(i)])] = 2.0;
    const double g[3] = {1, 4, 2};
    for (int32_t i = 1; i <= 3; ++i) G[static_cast<size_t>(maxa[static_cast<size_t>(i)])] = g[i - 1];
    ASSERT_EQ(SolveEigen(K, G, maxa, 3, nwk, out), 0);
    EXPECT_NEAR(out[6], 0.5, 1e-9);
    EXPECT_EQ(out[7], 0.0);
}

TEST(FeImperfection, SwayOfACantileverColumn) {
    // Cantilever column with a sway of 0.5 % in y under 0.3 of its
    // critical load: base moment P psi L tan(kL)/(kL), with the support at
    // either end of the member.
    struct Row {
        bool supportAtStart;
    };
    for (const Row& r : {Row{true}, Row{false}}) {
        Member b;
        b.m.vorvType = 0;
        b.m.psiDirekt = 0;
        b.m.psiZ = 0.5;  // per cent: a sway of the member axis in y
        const double P = 0.3 * 86.906;
        b.Spans({6}, 20);
        if (r.supportAtStart) b.Support(0, Fixed()).Point(6, -P, 0, 0);
        else b.Support(1, Fixed()).Point(0, P, 0, 0);
        ASSERT_EQ(b.Ultimate(), 0);
        const double k = std::sqrt(P / EIz), L = 6;
        const double expected = P * 0.005 * L * std::tan(k * L) / (k * L);
        const double base = r.supportAtStart ? 0 : 6, tip = 6 - base;
        EXPECT_NEAR(std::fabs(b.Force(b.Ult(), base, kPhiZ)), expected, 2e-3 * expected) << r.supportAtStart;
        EXPECT_NEAR(std::fabs(b.Ult().imperfection[static_cast<size_t>(4 * b.Node(tip))]), 0.005 * L, 1e-12);
        EXPECT_EQ(b.Ult().imperfection[static_cast<size_t>(4 * b.Node(base))], 0.0);
    }
}

TEST(FeImperfection, CommonSwayAngleActsInFullInTheBucklingDirection) {
    // One sway angle of 1/200 on a cantilever column of height L under 0.3
    // of its weak-axis critical load: the column buckles in y, so the top
    // deflects by L/200 in y and not in z, and the base moment is the
    // closed form P psi L tan(kL)/(kL) of a full sway of 1/200.
    Member b;
    b.m.vorvType = 0;
    b.m.psiDirekt = 1;
    b.m.psiGlobal = 1.0f / 200.0f;
    const double P = 0.3 * 86.906, L = 6;
    b.Spans({L}, 20).Support(0, Fixed()).Point(L, -P, 0, 0);
    ASSERT_EQ(b.Ultimate(), 0);
    const auto& imp = b.Ult().imperfection;
    const size_t tip = static_cast<size_t>(b.Node(L));
    EXPECT_NEAR(std::fabs(imp[4 * tip]), L / 200.0, 1e-9);
    EXPECT_NEAR(imp[4 * tip + 1], 0.0, 1e-9);
    const double k = std::sqrt(P / EIz);
    const double expected = P * L / 200.0 * std::tan(k * L) / (k * L);
    EXPECT_NEAR(std::fabs(b.Force(b.Ult(), 0, kPhiZ)), expected, 2e-3 * expected);
    EXPECT_NEAR(b.Force(b.Ult(), 0, kPhiY), 0.0, 1e-9);
}

TEST(FePrincipalAxes, NearestToTheReferenceAxes) {
    // Thin-walled unequal angle, legs 15 cm (along z) and 10 cm (along y),
    // t = 1 cm, corner at the origin. About the centroid (y0 = 2, z0 = 4.5):
    // Ayy = 15^3/3 + 10/12 - 25*4.5^2, Azz = 10^3/3 + 15/12 - 25*2^2,
    // Ayz = -25*2*4.5. Principal values mean +- R; the major axis lies
    // near y (Ayy > Azz), turned by a = atan(2Ayz/(Azz - Ayy))/2 = 24.73 deg.
    const double Ayy = 1125.0 + 10.0 / 12 - 25 * 4.5 * 4.5, Azz = 1000.0 / 3 + 15.0 / 12 - 25 * 4.0, Ayz = -225.0;
    const double mean = (Ayy + Azz) / 2, R = std::hypot((Ayy - Azz) / 2, Ayz);
    struct Row {
        const char* what;
        double Ayy, Azz, Ayz;
        double Iy, Iz, alpha;
    };
    const double tiny = 1e-6;
    for (const Row& r : {
             Row{"unequal angle", Ayy, Azz, Ayz, mean + R, mean - R, 0.5 * std::atan(2 * Ayz / (Azz - Ayy))},
             // Strong axis y with a vanishing product moment keeps its axes
             // (a turn by 90 degrees would make the weak axis "Iy").
             Row{"IPE 300, tiny +Ayz", 8356, 603.8, tiny, 8356, 603.8, tiny / (603.8 - 8356)},
             Row{"IPE 300, tiny -Ayz", 8356, 603.8, -tiny, 8356, 603.8, -tiny / (603.8 - 8356)},
             Row{"IPE 300 turned 90 deg, tiny Ayz", 603.8, 8356, tiny, 603.8, 8356, tiny / (8356 - 603.8)},
             // Equal Ayy and Azz: the principal axes lie at 45 degrees.
             Row{"equal angle", 100, 100, 40, 60, 140, Pi() / 4},
         }) {
        FeSectionValues s;
        s.Ayy = r.Ayy * 1e-8;
        s.Azz = r.Azz * 1e-8;
        s.Ayz = r.Ayz * 1e-8;
        const PrincipalSection p = ToPrincipalAxes(s);
        EXPECT_NEAR(p.Iy, r.Iy * 1e-8, 1e-12 * r.Iy * 1e-8) << r.what;
        EXPECT_NEAR(p.Iz, r.Iz * 1e-8, 1e-12 * r.Iy * 1e-8) << r.what;
        EXPECT_NEAR(p.alpha, r.alpha, 1e-12) << r.what;
        EXPECT_LE(std::fabs(p.alpha), Pi() / 4 + 1e-15) << r.what;
    }
    EXPECT_NEAR(0.5 * std::atan(2 * Ayz / (Azz - Ayy)) * 180 / Pi(), 24.73, 0.01);
}

TEST(FePrincipalAxes, UnsymmetricBeamBendsInItsPrincipalAxes) {
    // The angle above as a simply supported beam of 6 m under q = 10 kN/m
    // in z. Turned into the principal axes the load has pz' = q cos a and
    // py' = q sin a; each bends about its own principal axis:
    // My' = pz' L^2/8, Mz' = -py' L^2/8, w' = 5 pz' L^4/(384 E I1),
    // v' = 5 py' L^4/(384 E I2).
    const double Ayy = 1125.0 + 10.0 / 12 - 25 * 4.5 * 4.5, Azz = 1000.0 / 3 + 15.0 / 12 - 25 * 4.0, Ayz = -225.0;
    const double mean = (Ayy + Azz) / 2, R = std::hypot((Ayy - Azz) / 2, Ayz);
    const double I1 = (mean + R) * 1e-8, I2 = (mean - R) * 1e-8;
    const double a = 0.5 * std::atan(2 * Ayz / (Azz - Ayy));
    Member b;
    b.sections.values.A = 25e-4;
    b.sections.values.Ayy = Ayy * 1e-8;
    b.sections.values.Azz = Azz * 1e-8;
    b.sections.values.Ayz = Ayz * 1e-8;
    b.sections.values.Iw = 0;
    b.sections.values.IT = 25 / 3.0 * 1e-8;
    b.sections.values.ip2 = (Ayy + Azz) * 1e-8 / 25e-4;
    const double q = 10, L = 6;
    b.Spans({L}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, L, 0, q);
    ASSERT_EQ(b.Analyse(0), 0);
    const double pz = q * std::cos(a), py = q * std::sin(a);
    EXPECT_NEAR(b.Force(b.Service(), 3, kPhiY), pz * L * L / 8, 1e-9);
    EXPECT_NEAR(b.Force(b.Service(), 3, kPhiZ), -py * L * L / 8, 1e-9);
    const double w = 5 * pz * std::pow(L, 4) / (384 * kE * I1), v = 5 * py * std::pow(L, 4) / (384 * kE * I2);
    EXPECT_NEAR(b.Disp(b.Service(), 3, kW), w, 1e-6 * std::fabs(w));
    EXPECT_NEAR(b.Disp(b.Service(), 3, kV), v, 1e-6 * std::fabs(v));
    // The major axis stays y: the moment about y is the larger one.
    EXPECT_GT(std::fabs(b.Force(b.Service(), 3, kPhiY)), std::fabs(b.Force(b.Service(), 3, kPhiZ)));
}

TEST(FeStability, MonosymmetricWagnerTerm) {
    // Uniform moment on a section with a Wagner radius rz: the critical
    // moments are the roots of M² - P rz M - P Q = 0 with P = pi² EIz / L²
    // and Q = GIT + pi² EIw / L²; the two signs of the moment find the two.
    const double rz = 0.08;
    const double P = Pi() * Pi() * EIz / 36, Q = GIT + Pi() * Pi() * EIw / 36;
    const double root = std::sqrt(P * P * rz * rz + 4 * P * Q);
    const double Mbig = (P * rz + root) / 2, Msmall = (root - P * rz) / 2;
    auto critical = [&](double M) {
        Member b;
        b.sections.values.rz = rz;
        b.Spans({6}, 20).Support(0, Fork(true)).Support(1, Fork(false)).Moment(0, 0, M, 0).Moment(6, 0, -M, 0);
        EXPECT_EQ(b.Analyse(1), 0);
        return Eigen(b);
    };
    const double a = critical(1.0), b = critical(-1.0);
    EXPECT_NEAR(std::min(std::fabs(a), std::fabs(b)), Msmall, 5e-4 * Msmall);
    EXPECT_NEAR(std::max(std::fabs(a), std::fabs(b)), Mbig, 5e-4 * Mbig);
}

TEST(FeStability, UniformLoadBucklesAtTheConvergedLoadOnACoarseMesh) {
    // Fork-supported span under a uniform load at three heights (top flange,
    // shear centre, bottom flange), plain and with a Wagner radius: the
    // geometric stiffness follows the parabolic moment within each element,
    // so ten elements give the critical load of a 400-element model (the
    // converged reference) within 0.05 %.
    auto critical = [](int32_t divisions, double ezCm, double rz) {
        Member b;
        b.sections.values.rz = rz;
        b.Spans({6}, divisions).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10, ezCm);
        EXPECT_EQ(b.Analyse(1), 0);
        return std::fabs(Eigen(b));
    };
    for (double rz : {0.0, 0.08})
        for (double ez : {-15.0, 0.0, 15.0}) {
            const double reference = critical(400, ez, rz);
            EXPECT_NEAR(critical(10, ez, rz), reference, 5e-4 * reference) << "ez " << ez << " rz " << rz;
        }
    // At the shear centre the critical moment qL²/8 is C1 = 1.13 times the
    // uniform-moment value (the tabulated factor for a parabolic moment).
    const double Mcr = Pi() / 6 * std::sqrt(EIz * GIT * (1 + Pi() * Pi() * EIw / (36 * GIT)));
    EXPECT_NEAR(critical(10, 0, 0) * 10 * 36 / 8, 1.13 * Mcr, 0.01 * 1.13 * Mcr);
}

TEST(FeStability, SecondOrderConvergesOnFineMeshes) {
    // A plane load case on the top flange: components that are zero in
    // theory (lateral shear) carry only round-off, which grows with the
    // number of elements; the iteration settles as on a coarse mesh and
    // gives its results.
    auto midMoment = [](int32_t divisions, int32_t* passes) {
        Member b;
        b.m.vorvType = 2;  // imperfection affine to the buckling mode
        b.m.ausmitte = 2;
        b.Spans({6}, divisions).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10, -15);
        EXPECT_EQ(b.Ultimate(), 0) << divisions;
        *passes = b.Ult().passes;
        return b.Force(b.Ult(), 3, kPhiY);
    };
    int32_t coarsePasses = 0;
    const double coarse = midMoment(10, &coarsePasses);
    for (int32_t n : {300, 400, 496}) {
        int32_t passes = 0;
        const double fine = midMoment(n, &passes);
        EXPECT_LE(passes, coarsePasses + 2) << n;
        EXPECT_NEAR(fine, coarse, 1e-3 * std::fabs(coarse)) << n;
    }
}
