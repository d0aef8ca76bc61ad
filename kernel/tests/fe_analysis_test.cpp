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

using namespace tovik;
using namespace tovik::fe;

namespace {

constexpr double kE = 2.1e8;  // kN/m²
constexpr double kG = 8.1e7;

FeSectionValues Ipe300() {
    FeSectionValues s;
    s.E = kE;
    s.G = kG;
    s.A = 53.81e-4;
    s.Ayy = 8356e-8;
    s.Azz = 603.8e-8;
    s.IT = 20.12e-8;
    s.Iw = 125900e-12;
    s.ip2 = (s.Ayy + s.Azz) / s.A;
    s.hy = 0.150;
    s.hz = 0.300;
    return s;
}
const double EIy = kE * 8356e-8, EIz = kE * 603.8e-8, GIT = kG * 20.12e-8, EIw = kE * 125900e-12;

// Hands the same section for the whole member.
class FixedSections : public IFeSectionProvider {
public:
    FeSectionValues values = Ipe300();
    bool Constant() const override { return true; }
    FeSectionValues AtNode(int32_t) const override { return values; }
    FeSectionValues AtInputNode(int32_t, double) const override { return values; }
    std::vector<FeStressPoint> StressPoints(int32_t) const override { return {}; }
    FeMaterial Material() const override { return {}; }
};

SupportType Fork(bool holdU) {
    SupportType s;
    s.cx = holdU ? -1 : 0;
    s.cy = s.cz = s.cmx = -1;
    return s;
}
SupportType Fixed() { return SupportType{-1, -1, -1, -1, -1, -1, -1}; }
SupportType HoldW() {
    SupportType s;
    s.cz = -1;
    return s;
}

// Fixture builder: member, section, supports and loads; one load case and
// one combination of each kind.
class Member {
public:
    std::unique_ptr<RunState> run = std::make_unique<RunState>();
    FixedSections sections;
    ModelRecord& m = run->cdltr;

    Member& Spans(std::vector<double> lengths, int32_t divisions) {
        m.nFeld = static_cast<int32_t>(lengths.size());
        for (size_t i = 0; i < lengths.size(); ++i) {
            m.Feld_L[i] = static_cast<float>(lengths[i]);
            m.nTeilung[i] = divisions;
        }
        return *this;
    }
    // Support at input node i (0-based).
    Member& Support(int32_t node, SupportType t) {
        m.LagerTyp[static_cast<size_t>(m.nLagerTyp)] = t;
        m.Kn_Lager[static_cast<size_t>(node)] = ++m.nLagerTyp;
        return *this;
    }
    // Loads measured from input node 1 (the member's start).
    Member& Point(double x, double Px, double Py, double Pz, double eyCm = 0, double ezCm = 0) {
        PointForce p;
        p.LCGen = 1;
        p.node = 1;
        p.offset = static_cast<float>(x);
        p.Px = static_cast<float>(Px);
        p.Py = static_cast<float>(Py);
        p.Pz = static_cast<float>(Pz);
        p.ey = static_cast<float>(eyCm);
        p.ez = static_cast<float>(ezCm);
        m.EinzelF.Append(p);
        return *this;
    }
    Member& Moment(double x, double Mx, double My, double Mz) {
        PointMoment p;
        p.LCGen = 1;
        p.node = 1;
        p.offset = static_cast<float>(x);
        p.Mx = static_cast<float>(Mx);
        p.My = static_cast<float>(My);
        p.Mz = static_cast<float>(Mz);
        m.EinzelM.Append(p);
        return *this;
    }
    Member& Line(double x, double length, double py, double pz, double ezCm = 0) {
        LineLoad q;
        q.LCGen = 1;
        q.node = 1;
        q.offset = static_cast<float>(x);
        q.length = static_cast<float>(length);
        q.py0 = q.py1 = static_cast<float>(py);
        q.pz0 = q.pz1 = static_cast<float>(pz);
        q.ez0 = q.ez1 = static_cast<float>(ezCm);
        m.StreckenL.Append(q);
        return *this;
    }
    Member& Temperature(double dT0, double dTy, double dTz) {
        TemperatureLoad t;
        t.LCGen = 1;
        t.node = 1;
        t.length = static_cast<float>(m.GesamtLaenge > 0 ? m.GesamtLaenge : Total());
        t.dT0 = static_cast<float>(dT0);
        t.dT1 = static_cast<float>(dTy);
        t.dT2 = static_cast<float>(dTz);
        m.TempL.Append(t);
        return *this;
    }
    // Imposed displacement in z (cm) at input node i (1-based).
    Member& Settlement(int32_t node1, double dwCm) {
        ImposedDisplacement z;
        z.LCGen = 1;
        z.node = node1;
        z.dw = static_cast<float>(dwCm);
        m.Zwang.Append(z);
        return *this;
    }
    Member& SpringAt(double x, double cy, double cz) {
        Spring s;
        s.node = 0;
        s.posX = static_cast<float>(x);
        s.cy = static_cast<float>(cy);
        s.cz = static_cast<float>(cz);
        m.Feder[static_cast<size_t>(m.nFeder++)] = s;
        return *this;
    }
    Member& BeddingZ(double cz) {
        Bedding b;
        b.node = 0;
        b.length = static_cast<float>(Total());
        b.cz = static_cast<float>(cz);
        m.Bettung[static_cast<size_t>(m.nBettung++)] = b;
        return *this;
    }
    double Total() const {
        double s = 0;
        for (int32_t i = 0; i < m.nFeld; ++i) s += m.Feld_L[static_cast<size_t>(i)];
        return s;
    }

    // Data preparation and placement.
    int32_t Prepare() {
        m.nLf = 1;
        m.nRegelLk = m.nKnickLk = 1;
        m.nRegelTerm = m.nKnickTerm = 1;
        m.RegelTerm = {CombinationTerm{1, 0, 1.0f}};
        m.KnickTerm = {CombinationTerm{1, 0, 1.0f}};
        State(*run).sections = &sections;
        if (int32_t rc = PrepareSystemData(*run)) return rc;
        return ApplyLoads(*run);
    }
    int32_t Analyse(int32_t modus) {
        if (int32_t rc = Prepare()) return rc;
        return RechneDltr3D(*run, modus, 0);
    }
    // The driver's sequence for an ultimate case.
    int32_t Ultimate() {
        if (int32_t rc = Prepare()) return rc;
        if (int32_t rc = RechneDltr3D(*run, 1, 0)) return rc;
        SetImperfection(*run, 0);
        return RechneDltr3D(*run, 2, 0);
    }

    const FeCaseResult& Service() { return State(*run).results.service[0]; }
    const FeCaseResult& Ult() { return State(*run).results.ultimate[0]; }
    int32_t Node(double x) const { return FindNodeAtX(*run, x); }
    double Disp(const FeCaseResult& r, double x, int32_t dof) {
        return r.displacements.at(static_cast<size_t>(7 * Node(x) + dof));
    }
    // Internal force of kind c at node x (the element ending there).
    double Force(const FeCaseResult& r, double x, int32_t c) {
        const int32_t n = Node(x);
        return n > 0 ? r.endForces.at(static_cast<size_t>(14 * (n - 1) + 7 + c))
                     : r.endForces.at(static_cast<size_t>(c));
    }
    double Reaction(const FeCaseResult& r, double x, int32_t dof) {
        return r.reactions.at(static_cast<size_t>(7 * Node(x) + dof));
    }
};

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
