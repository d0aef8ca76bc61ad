// Beam element: elastic, bedding and geometric stiffness against their
// defining integrals, rigid-body modes and hinge condensation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "testsupport/ipe300.h"
#include "kernel/fe/BeamElement.h"

using namespace tovik::fe;

namespace {

// Field values of one element dof's shape at s in [0, l]: v, w and twist
// with their first and second derivatives.
struct Shape {
    double v = 0, v1 = 0, v2 = 0, w = 0, w1 = 0, w2 = 0, t = 0, t1 = 0;
};

double H(int i, int d, double x, double l) {
    const double s = x / l;
    switch (i) {
    case 0: return d == 0 ? 1 - 3 * s * s + 2 * s * s * s : d == 1 ? (-6 * s + 6 * s * s) / l : (-6 + 12 * s) / (l * l);
    case 1: return d == 0 ? l * (s - 2 * s * s + s * s * s) : d == 1 ? 1 - 4 * s + 3 * s * s : (-4 + 6 * s) / l;
    case 2: return d == 0 ? 3 * s * s - 2 * s * s * s : d == 1 ? (6 * s - 6 * s * s) / l : (6 - 12 * s) / (l * l);
    default: return d == 0 ? l * (-s * s + s * s * s) : d == 1 ? -2 * s + 3 * s * s : (-2 + 6 * s) / l;
    }
}

Shape ShapeOf(int dof, double x, double l, bool warping) {
    Shape r;
    const int node = dof / 7, j = dof % 7;
    const int hv = 2 * node;  // displacement shape index; +1 for the rotation shape
    if (j == 1 || j == 5) {  // v, phi_z = v'
        const int h = j == 1 ? hv : hv + 1;
        r.v = H(h, 0, x, l);
        r.v1 = H(h, 1, x, l);
        r.v2 = H(h, 2, x, l);
    } else if (j == 2 || j == 4) {  // w, phi_y = -w'
        const int h = j == 2 ? hv : hv + 1;
        const double sg = j == 2 ? 1 : -1;
        r.w = sg * H(h, 0, x, l);
        r.w1 = sg * H(h, 1, x, l);
        r.w2 = sg * H(h, 2, x, l);
    } else if (j == 3 || j == 6) {  // twist, psi = -twist'
        if (warping) {
            const int h = j == 3 ? hv : hv + 1;
            const double sg = j == 3 ? 1 : -1;
            r.t = sg * H(h, 0, x, l);
            r.t1 = sg * H(h, 1, x, l);
        } else if (j == 3) {
            r.t = node == 0 ? 1 - x / l : x / l;
            r.t1 = node == 0 ? -1 / l : 1 / l;
        }
    }
    return r;
}

double Simpson(const std::function<double(double)>& f, double l) {
    const int n = 4000;
    const double h = l / n;
    double s = f(0) + f(l);
    for (int i = 1; i < n; ++i) s += (i % 2 ? 4 : 2) * f(i * h);
    return s * h / 3;
}

}  // namespace

TEST(FeElement, ElasticStiffnessIsSymmetricAndRigidModesAreFree) {
    for (bool warping : {true, false}) {
        ElementValues ev = ipe300::Element(0.75);
        if (!warping) ev.Iw = 0;
        ev.cX = 0;  // no bedding: rigid modes cost nothing
        Mat14 K, Kg;
        CalcElementMatrices(0, ev, Vec14{}, K, Kg, nullptr, true, {}, nullptr);
        for (int i = 0; i < 14; ++i)
            for (int j = 0; j < 14; ++j) EXPECT_DOUBLE_EQ(At(K, i, j), At(K, j, i));
        const double l = ev.l;
        // u, v, w translations, rigid twist, rotation about z (v = x), about y (w = -x).
        const std::vector<Vec14> modes = {
            {1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0},
            {0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0},
            {0, 0, 0, 0, 0, 1, 0, 0, l, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 1, 0, 0, 0, 0, -l, 0, 1, 0, 0}};
        for (size_t m = 0; m < modes.size(); ++m)
            for (int i = 0; i < 14; ++i) {
                double s = 0;
                for (int j = 0; j < 14; ++j) s += At(K, i, j) * modes[m][static_cast<size_t>(j)];
                EXPECT_NEAR(s, 0.0, 1e-6) << "mode " << m << " row " << i;
            }
    }
}

TEST(FeElement, GeometricStiffnessEqualsItsIntegral) {
    for (bool warping : {true, false}) {
        ElementValues ev = ipe300::Element(0.7);
        if (!warping) ev.Iw = 0;
        ev.yM = 0.012;
        ev.zM = -0.034;
        ev.ry = 0.021;
        ev.rz = -0.047;
        ev.rw = 0.8;
        const double l = ev.l;
        const Vec14 f = {-120, 3, -5, 0.7, 18, -6, 0.4, -95, -3, 5, -0.7, 25, 4, -0.3};
        LinePieceRecord q{0, l, 2.0, 2.0, 7.0, 7.0, 0.03, -0.15};
        Mat14 Kg;
        GeometricStiffness(ev, f, {q}, Kg);
        const double N = 0.5 * (f[0] + f[7]);
        const double Nc = N < 0 ? N : 0;
        const double Ka = f[0] * ev.ip2 + f[4] * ev.rz - f[5] * ev.ry + f[6] * ev.rw;
        const double Kb = f[7] * ev.ip2 + f[11] * ev.rz - f[12] * ev.ry + f[13] * ev.rw;
        const double qe = q.pya * q.ey + q.pza * q.ez;
        for (int i = 1; i < 14; ++i)
            for (int j = 1; j < 14; ++j) {
                if (i == 7 || j == 7) continue;
                auto integrand = [&](double x) {
                    const Shape a = ShapeOf(i, x, l, warping), b = ShapeOf(j, x, l, warping);
                    const double s = x / l;
                    // End moments linear along the element plus the parabolic
                    // moment of the uniform line load between the ends
                    // (My'' = -pz, Mz'' = +py).
                    const double dMy = q.pza * x * (l - x) / 2, dMz = -q.pya * x * (l - x) / 2;
                    const double My = f[4] * (1 - s) + f[11] * s + dMy, Mz = f[5] * (1 - s) + f[12] * s + dMz;
                    const double K = Ka * (1 - s) + Kb * s + dMy * ev.rz - dMz * ev.ry;
                    return Nc * (a.v1 * b.v1 + a.w1 * b.w1) + Nc * ev.zM * (a.v1 * b.t1 + a.t1 * b.v1) -
                           Nc * ev.yM * (a.w1 * b.t1 + a.t1 * b.w1) + K * a.t1 * b.t1 +
                           My * (a.v2 * b.t + a.t * b.v2) + Mz * (a.w2 * b.t + a.t * b.w2) + qe * a.t * b.t;
                };
                const double expected = Simpson(integrand, l);
                EXPECT_NEAR(At(Kg, i, j), expected, 1e-9 * (1 + std::fabs(expected)))
                    << (warping ? "warping" : "no warping") << " entry (" << i << "," << j << ")";
            }
    }
}

TEST(FeElement, EccentricBeddingPatchAndDefiniteness) {
    ElementValues ev = ipe300::Element(0.8);
    ev.E = ev.G = 0;  // bedding alone
    const double e = 0.15;  // one lateral bedding 15 cm from the shear centre
    ev.cY = 5000;
    ev.cYez = ev.cY * e;
    ev.cYez2 = ev.cY * e * e;
    Mat14 K, Kg;
    CalcElementMatrices(0, ev, Vec14{}, K, Kg, nullptr, true, {}, nullptr);
    const double l = ev.l;
    // v = e * twist with the twist linear: the bedded line does not move.
    Vec14 d{};
    d[3] = 1.0;
    d[10] = 2.0;
    d[6] = d[13] = -1.0 / l;  // psi = -twist'
    d[1] = e * 1.0;
    d[8] = e * 2.0;
    d[5] = d[12] = e / l;  // phi_z = v'
    double energy = 0;
    for (int i = 0; i < 14; ++i)
        for (int j = 0; j < 14; ++j) energy += d[static_cast<size_t>(i)] * At(K, i, j) * d[static_cast<size_t>(j)];
    EXPECT_NEAR(energy, 0.0, 1e-9);
    // Positive semi-definite: random displacements never give negative energy.
    unsigned seed = 7;
    for (int t = 0; t < 200; ++t) {
        Vec14 r;
        for (auto& x : r) {
            seed = seed * 1103515245u + 12345u;
            x = ((seed >> 8) % 2000) / 1000.0 - 1.0;
        }
        double en = 0;
        for (int i = 0; i < 14; ++i)
            for (int j = 0; j < 14; ++j) en += r[static_cast<size_t>(i)] * At(K, i, j) * r[static_cast<size_t>(j)];
        EXPECT_GE(en, -1e-9);
    }
}

TEST(FeElement, BeddingScalesWithLengthOver420) {
    ElementValues ev = ipe300::Element(1.0);
    ev.E = ev.G = 0;
    ev.cZ = 420;
    Mat14 K, Kg;
    CalcElementMatrices(0, ev, Vec14{}, K, Kg, nullptr, true, {}, nullptr);
    EXPECT_DOUBLE_EQ(At(K, 2, 2), 156);
    EXPECT_DOUBLE_EQ(At(K, 2, 4), -22);  // phi_y = -w'
    EXPECT_DOUBLE_EQ(At(K, 2, 9), 54);
}

TEST(FeElement, HingeCondensation) {
    // A moment hinge at end b: the element becomes propped, 3EI/l at a.
    ElementValues ev = ipe300::Element(2.0);
    Vec14 hinges{};
    hinges[7 + kPhiY] = 1;
    hinges[7 + kPhiZ] = 5;  // the value is a flag
    Mat14 K, Kg;
    Vec14 fe{};
    fe[kW] = fe[7 + kW] = 10.0;  // uniform load 10 kN/m over 2 m
    fe[kPhiY] = -10.0 * 4 / 12;
    fe[7 + kPhiY] = 10.0 * 4 / 12;
    const Vec14 zero{};  // end forces without normal force: Kg pivots are zero
    CalcElementMatrices(1, ev, hinges, K, Kg, &zero, false, {}, &fe);
    EXPECT_NEAR(At(K, kPhiY, kPhiY), 3 * ev.E * ev.Iy / ev.l, 1e-5 * 3 * ev.E * ev.Iy / ev.l);
    EXPECT_NEAR(At(K, kPhiZ, kPhiZ), 3 * ev.E * ev.Iz / ev.l, 1e-5 * 3 * ev.E * ev.Iz / ev.l);
    EXPECT_EQ(At(K, 7 + kPhiY, 7 + kPhiY), 0.0);
    // Propped-cantilever fixed-end forces: 5ql/8 and ql²/8 at the fixed end.
    EXPECT_NEAR(fe[kW], 5 * 10.0 * 2 / 8, 1e-9);
    EXPECT_NEAR(fe[kPhiY], -10.0 * 4 / 8, 1e-9);
    EXPECT_EQ(fe[7 + kPhiY], 0.0);
    for (double v : Kg) EXPECT_TRUE(std::isfinite(v));

    // Kg condensed with the transformation of K: a compressed element with a
    // moment hinge keeps the exact propped-column relation u^T Kg u.
    const Vec14 comp = {100, 0, 0, 0, 0, 0, 0, -100, 0, 0, 0, 0, 0, 0};
    Mat14 K2, Kg2, K0, Kg0;
    CalcElementMatrices(1, ev, hinges, K2, Kg2, &comp, false, {}, nullptr);
    CalcElementMatrices(1, ev, Vec14{}, K0, Kg0, &comp, false, {}, nullptr);
    // Reduced displacement: w_b = 1, the released rotation follows from K.
    Vec14 d{};
    d[7 + kW] = 1.0;
    d[7 + kPhiY] = -At(K0, 7 + kPhiY, 7 + kW) / At(K0, 7 + kPhiY, 7 + kPhiY);
    double full = 0, red = 0;
    Vec14 dr{};
    dr[7 + kW] = 1.0;
    for (int i = 0; i < 14; ++i)
        for (int j = 0; j < 14; ++j) {
            full += d[static_cast<size_t>(i)] * At(Kg0, i, j) * d[static_cast<size_t>(j)];
            red += dr[static_cast<size_t>(i)] * At(Kg2, i, j) * dr[static_cast<size_t>(j)];
        }
    EXPECT_NEAR(red, full, 1e-9 * std::fabs(full));
}

TEST(FeElement, HingeWithoutStiffnessIsSkippedWithErrorLine) {
    ElementValues ev = ipe300::Element(1.0);
    ev.Iw = 0;  // no warping stiffness: a warping release has no pivot
    Vec14 hinges{};
    hinges[kPsi] = 1;
    std::vector<std::string> lines;
    Mat14 K, Kg;
    CalcElementMatrices(0, ev, hinges, K, Kg, nullptr, true, {}, nullptr,
                        [&](const std::string& t) { lines.push_back(t); });
    EXPECT_EQ(lines.size(), 1u);
    for (double v : K) EXPECT_TRUE(std::isfinite(v));
}

TEST(FeElement, EqualMomentsPerturbedOnlyForBuckling) {
    ElementValues ev = ipe300::Element(1.0);
    ev.Iy = ev.Iz;
    Mat14 K1, K2, Kg;
    CalcElementMatrices(1, ev, Vec14{}, K1, Kg, nullptr, false, {}, nullptr);
    CalcElementMatrices(0, ev, Vec14{}, K2, Kg, nullptr, true, {}, nullptr);
    EXPECT_NEAR(At(K1, kW, kW) / At(K2, kW, kW), 0.999999, 1e-12);
    EXPECT_DOUBLE_EQ(At(K1, kV, kV), At(K2, kV, kV));
}
