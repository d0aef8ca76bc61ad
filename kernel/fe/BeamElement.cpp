#include "kernel/fe/BeamElement.h"

#include <algorithm>
#include <cmath>

#include "platform/winsys/winsys.h"

namespace tovik::fe {

namespace {

// Node b indices.
constexpr int32_t B = 7;

// Adds v at (r, c) and, off the diagonal, at (c, r).
void Sym(Mat14& m, int32_t r, int32_t c, double v) {
    At(m, r, c) += v;
    if (r != c) At(m, c, r) += v;
}

// Integrals of products of the cubic Hermite shapes H1..H4 over [0, l]
// (H2 and H4 are the rotation shapes of length dimension).
std::array<std::array<double, 4>, 4> HermiteProducts(double l) {
    const double f = l / 420.0;
    return {{{156 * f, 22 * l * f, 54 * f, -13 * l * f},
             {22 * l * f, 4 * l * l * f, 13 * l * f, -3 * l * l * f},
             {54 * f, 13 * l * f, 156 * f, -22 * l * f},
             {-13 * l * f, -3 * l * l * f, -22 * l * f, 4 * l * l * f}}};
}

// Adds coef * integral(shape_i * shape_j) for the dofs rows x cols, where the
// shape of each dof is the Hermite shape times its sign.
void AddShapeBlock(Mat14& m, const std::array<int32_t, 4>& rows, const std::array<double, 4>& rowSign,
                   const std::array<int32_t, 4>& cols, const std::array<double, 4>& colSign, double coef,
                   double l, bool withTranspose) {
    const auto h = HermiteProducts(l);
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j) {
            const double v = coef * rowSign[i] * colSign[j] * h[i][j];
            At(m, rows[i], cols[j]) += v;
            if (withTranspose) At(m, cols[j], rows[i]) += v;
        }
}

constexpr std::array<int32_t, 4> kVDofs{kV, kPhiZ, B + kV, B + kPhiZ};
constexpr std::array<int32_t, 4> kWDofs{kW, kPhiY, B + kW, B + kPhiY};
constexpr std::array<int32_t, 4> kTDofs{kTheta, kPsi, B + kTheta, B + kPsi};
constexpr std::array<double, 4> kPlus{1, 1, 1, 1};
constexpr std::array<double, 4> kAlt{1, -1, 1, -1};  // w (phi_y = -w') and twist (psi = -twist')

bool HasWarping(const ElementValues& ev) { return ev.Iw >= 1e-11; }

// Moment of the element's line loads over the simply supported element
// length, zero at both ends: M'' = -pz for My and M'' = +py for Mz with the
// internal forces' sign convention of the end-force vector; for a load
// varying linearly from a to b over [0, l] (a uniform load a gives
// a x (l - x) / 2).
double LoadBubble(double a, double b, double l, double x) {
    return -a * x * x / 2 - (b - a) * x * x * x / (6 * l) + (a * l / 2 + (b - a) * l / 6) * x;
}

// Cubic Hermite shapes on [0, l], their first and second derivatives.
void HermiteShapes(double x, double l, double h[4], double d1[4], double d2[4]) {
    const double s = x / l;
    h[0] = 1 - 3 * s * s + 2 * s * s * s;
    h[1] = l * (s - 2 * s * s + s * s * s);
    h[2] = 3 * s * s - 2 * s * s * s;
    h[3] = l * (-s * s + s * s * s);
    d1[0] = (-6 * s + 6 * s * s) / l;
    d1[1] = 1 - 4 * s + 3 * s * s;
    d1[2] = (6 * s - 6 * s * s) / l;
    d1[3] = -2 * s + 3 * s * s;
    d2[0] = (-6 + 12 * s) / (l * l);
    d2[1] = (-4 + 6 * s) / l;
    d2[2] = (6 - 12 * s) / (l * l);
    d2[3] = (-2 + 6 * s) / l;
}

// The geometric stiffness of the moments between the element ends that a
// linear interpolation of the end moments misses: the parabolic (for a
// trapezoidal load cubic) part of the line loads' moment. The same energy
// terms as the closed-form matrices for linear moments, integrated with four
// Gauss points (exact for the polynomial degrees involved):
//   integral My v'' theta + Mz w'' theta (lateral-torsional coupling) and
//   integral (My rz - Mz ry) theta'^2 (the moments' share of the Wagner term).
// With only nodal loads the element has no such part and the matrix is
// unchanged.
void AddLoadMomentBubble(const ElementValues& ev, const std::vector<LinePieceRecord>& loads, Mat14& Kg) {
    double pya = 0, pyb = 0, pza = 0, pzb = 0;
    for (const auto& p : loads) {
        pya += p.pya;
        pyb += p.pyb;
        pza += p.pza;
        pzb += p.pzb;
    }
    if (pya == 0.0 && pyb == 0.0 && pza == 0.0 && pzb == 0.0) return;
    const double l = ev.l;
    const bool warping = HasWarping(ev);
    static constexpr double kGx[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                      0.8611363115940526};
    static constexpr double kGw[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                      0.3478548451374538};
    for (int32_t g = 0; g < 4; ++g) {
        const double x = 0.5 * l * (1 + kGx[g]);
        const double w = 0.5 * l * kGw[g];
        const double dMy = LoadBubble(pza, pzb, l, x);
        const double dMz = -LoadBubble(pya, pyb, l, x);
        double h[4], d1[4], d2[4];
        HermiteShapes(x, l, h, d1, d2);
        if (warping) {
            // theta = H1 theta_a - H2 psi_a + H3 theta_b - H4 psi_b
            for (size_t i = 0; i < 4; ++i)
                for (size_t j = 0; j < 4; ++j) {
                    const double tj = h[j] * kAlt[j];
                    const double vy = w * dMy * d2[i] * tj;
                    const double vz = w * dMz * d2[i] * kAlt[i] * tj;
                    Sym(Kg, kVDofs[i], kTDofs[j], vy);
                    Sym(Kg, kWDofs[i], kTDofs[j], vz);
                }
            const double dK = dMy * ev.rz - dMz * ev.ry;
            if (dK != 0.0)
                for (size_t i = 0; i < 4; ++i)
                    for (size_t j = i; j < 4; ++j)
                        Sym(Kg, kTDofs[i], kTDofs[j], w * dK * d1[i] * kAlt[i] * d1[j] * kAlt[j]);
        } else {
            // Linear twist between the element ends.
            const double n[2] = {1 - x / l, x / l};
            const int32_t tdof[2] = {kTheta, B + kTheta};
            for (size_t i = 0; i < 4; ++i)
                for (size_t j = 0; j < 2; ++j) {
                    Sym(Kg, kVDofs[i], tdof[j], w * dMy * d2[i] * n[j]);
                    Sym(Kg, kWDofs[i], tdof[j], w * dMz * d2[i] * kAlt[i] * n[j]);
                }
            const double dK = dMy * ev.rz - dMz * ev.ry;
            if (dK != 0.0) {
                const double k = w * dK / (l * l);
                Sym(Kg, kTheta, kTheta, k);
                Sym(Kg, B + kTheta, B + kTheta, k);
                Sym(Kg, kTheta, B + kTheta, -k);
            }
        }
    }
}

}  // namespace

void ElasticStiffness(const ElementValues& ev, bool notBuckling, Mat14& K) {
    K.fill(0.0);
    const double l = ev.l;
    double Iy = ev.Iy;
    // The buckling analysis separates equal principal moments slightly, so
    // that the two lateral modes do not coincide.
    if (!notBuckling && std::fabs(ev.Iy - ev.Iz) < 0.0001) Iy *= 0.999999;
    const double EIy = ev.E * Iy, EIz = ev.E * ev.Iz, EA = ev.E * ev.A, GIT = ev.G * ev.IT;
    const double EIw = HasWarping(ev) ? ev.E * ev.Iw : 0.0;
    const double l2 = l * l, l3 = l2 * l;

    Sym(K, kU, kU, EA / l);
    Sym(K, B + kU, B + kU, EA / l);
    Sym(K, kU, B + kU, -EA / l);

    Sym(K, kV, kV, 12 * EIz / l3);
    Sym(K, B + kV, B + kV, 12 * EIz / l3);
    Sym(K, kV, B + kV, -12 * EIz / l3);
    Sym(K, kV, kPhiZ, 6 * EIz / l2);
    Sym(K, kV, B + kPhiZ, 6 * EIz / l2);
    Sym(K, B + kV, kPhiZ, -6 * EIz / l2);
    Sym(K, B + kV, B + kPhiZ, -6 * EIz / l2);
    Sym(K, kPhiZ, kPhiZ, 4 * EIz / l);
    Sym(K, B + kPhiZ, B + kPhiZ, 4 * EIz / l);
    Sym(K, kPhiZ, B + kPhiZ, 2 * EIz / l);

    Sym(K, kW, kW, 12 * EIy / l3);
    Sym(K, B + kW, B + kW, 12 * EIy / l3);
    Sym(K, kW, B + kW, -12 * EIy / l3);
    Sym(K, kW, kPhiY, -6 * EIy / l2);
    Sym(K, kW, B + kPhiY, -6 * EIy / l2);
    Sym(K, B + kW, kPhiY, 6 * EIy / l2);
    Sym(K, B + kW, B + kPhiY, 6 * EIy / l2);
    Sym(K, kPhiY, kPhiY, 4 * EIy / l);
    Sym(K, B + kPhiY, B + kPhiY, 4 * EIy / l);
    Sym(K, kPhiY, B + kPhiY, 2 * EIy / l);

    double kT1, kT2 = 0, kT3 = 0, kT4 = 0;
    if (EIw != 0.0) {
        kT1 = 12 * EIw / l3 + 1.2 * GIT / l;
        kT2 = 6 * EIw / l2 + 0.1 * GIT;
        kT3 = 4 * EIw / l + (2.0 / 15.0) * GIT * l;
        kT4 = 2 * EIw / l - GIT * l / 30.0;
    } else {
        kT1 = GIT / l;  // linear twist, the warping rows stay zero
    }
    Sym(K, kTheta, kTheta, kT1);
    Sym(K, B + kTheta, B + kTheta, kT1);
    Sym(K, kTheta, B + kTheta, -kT1);
    Sym(K, kTheta, kPsi, -kT2);
    Sym(K, kTheta, B + kPsi, -kT2);
    Sym(K, B + kTheta, kPsi, kT2);
    Sym(K, B + kTheta, B + kPsi, kT2);
    Sym(K, kPsi, kPsi, kT3);
    Sym(K, B + kPsi, B + kPsi, kT3);
    Sym(K, kPsi, B + kPsi, kT4);
}

void AddBeddingStiffness(const ElementValues& ev, Mat14& K) {
    if (ev.cX + ev.cY + ev.cZ + ev.cT == 0.0 && ev.cYez == 0.0 && ev.cZey == 0.0 && ev.cYez2 + ev.cZey2 == 0.0)
        return;
    const double l = ev.l;
    Mat14 Bm{};
    Sym(Bm, kU, kU, ev.cX * l / 3.0);
    Sym(Bm, B + kU, B + kU, ev.cX * l / 3.0);
    Sym(Bm, kU, B + kU, ev.cX * l / 6.0);
    AddShapeBlock(Bm, kVDofs, kPlus, kVDofs, kPlus, ev.cY, l, false);
    AddShapeBlock(Bm, kWDofs, kAlt, kWDofs, kAlt, ev.cZ, l, false);
    AddShapeBlock(Bm, kTDofs, kAlt, kTDofs, kAlt, ev.cT, l, false);
    // Eccentric beddings: the energy of cy (v - ez twist)^2 + cz (w + ey twist)^2
    // summed over the beddings gives the couplings from the sums alone.
    if (ev.cYez != 0.0) AddShapeBlock(Bm, kVDofs, kPlus, kTDofs, kAlt, -ev.cYez, l, true);
    if (ev.cZey != 0.0) AddShapeBlock(Bm, kWDofs, kAlt, kTDofs, kAlt, ev.cZey, l, true);
    if (ev.cYez2 + ev.cZey2 != 0.0) AddShapeBlock(Bm, kTDofs, kAlt, kTDofs, kAlt, ev.cYez2 + ev.cZey2, l, false);
    // Bedding given in the section's reference axes, turned into the
    // principal axes.
    if (std::fabs(ev.alpha) >= 0.01 && !(ev.cY == 0.0 && ev.cZ == 0.0)) {
        Mat14 T{};
        for (int32_t i = 0; i < 14; ++i) At(T, i, i) = 1.0;
        const double c = std::cos(ev.alpha), s = std::sin(ev.alpha);
        for (int32_t base : {0, 3, 7, 10}) {
            At(T, base + 1, base + 1) = c;
            At(T, base + 1, base + 2) = -s;
            At(T, base + 2, base + 1) = s;
            At(T, base + 2, base + 2) = c;
        }
        Mat14 BT{};
        for (int32_t i = 0; i < 14; ++i)
            for (int32_t j = 0; j < 14; ++j) {
                double sum = 0;
                for (int32_t k = 0; k < 14; ++k) sum += At(Bm, i, k) * At(T, k, j);
                At(BT, i, j) = sum;
            }
        for (int32_t i = 0; i < 14; ++i)
            for (int32_t j = 0; j < 14; ++j) {
                double sum = 0;
                for (int32_t k = 0; k < 14; ++k) sum += At(T, k, i) * At(BT, k, j);
                At(Bm, i, j) = sum;
            }
    }
    for (size_t i = 0; i < K.size(); ++i) K[i] += Bm[i];
}

void GeometricStiffness(const ElementValues& ev, const Vec14& f,
                        const std::vector<LinePieceRecord>& loads, Mat14& Kg) {
    Kg.fill(0.0);
    const double l = ev.l;
    const bool warping = HasWarping(ev);
    const double s = warping ? 1.0 : 0.0;
    const double yM = ev.yM, zM = ev.zM;

    // Normal force: compression only.
    const double N = (f[0] + f[7]) * 0.5;
    const double Nc = N < 0 ? N : 0.0;
    if (Nc != 0.0) {
        Mat14 G{};
        Sym(G, kV, kV, 1.2 / l);
        Sym(G, B + kV, B + kV, 1.2 / l);
        Sym(G, kW, kW, 1.2 / l);
        Sym(G, B + kW, B + kW, 1.2 / l);
        Sym(G, kV, B + kV, -1.2 / l);
        Sym(G, kW, B + kW, -1.2 / l);
        Sym(G, kV, kPhiZ, 0.1);
        Sym(G, kV, B + kPhiZ, 0.1);
        Sym(G, kPhiZ, B + kV, -0.1);
        Sym(G, B + kV, B + kPhiZ, -0.1);
        Sym(G, kW, kPhiY, -0.1);
        Sym(G, kW, B + kPhiY, -0.1);
        Sym(G, kPhiY, B + kW, 0.1);
        Sym(G, B + kW, B + kPhiY, 0.1);
        for (int32_t r : {int32_t(kPhiY), B + kPhiY, int32_t(kPhiZ), B + kPhiZ}) Sym(G, r, r, (2.0 / 15.0) * l);
        Sym(G, kPhiY, B + kPhiY, -l / 30.0);
        Sym(G, kPhiZ, B + kPhiZ, -l / 30.0);
        if (warping) {
            Sym(G, kV, kTheta, 1.2 * zM / l);
            Sym(G, B + kV, B + kTheta, 1.2 * zM / l);
            Sym(G, kV, B + kTheta, -1.2 * zM / l);
            Sym(G, kTheta, B + kV, -1.2 * zM / l);
            Sym(G, kW, kTheta, -1.2 * yM / l);
            Sym(G, B + kW, B + kTheta, -1.2 * yM / l);
            Sym(G, kW, B + kTheta, 1.2 * yM / l);
            Sym(G, kTheta, B + kW, 1.2 * yM / l);
            Sym(G, kTheta, kPhiY, 0.1 * yM);
            Sym(G, kTheta, B + kPhiY, 0.1 * yM);
            Sym(G, kPhiY, B + kTheta, -0.1 * yM);
            Sym(G, B + kTheta, B + kPhiY, -0.1 * yM);
            Sym(G, kTheta, kPhiZ, 0.1 * zM);
            Sym(G, kTheta, B + kPhiZ, 0.1 * zM);
            Sym(G, kPhiZ, B + kTheta, -0.1 * zM);
            Sym(G, B + kTheta, B + kPhiZ, -0.1 * zM);
            Sym(G, kV, kPsi, -0.1 * zM * s);
            Sym(G, kV, B + kPsi, -0.1 * zM * s);
            Sym(G, kPsi, B + kV, 0.1 * zM * s);
            Sym(G, B + kV, B + kPsi, 0.1 * zM * s);
            Sym(G, kW, kPsi, 0.1 * yM * s);
            Sym(G, kW, B + kPsi, 0.1 * yM * s);
            Sym(G, kPsi, B + kW, -0.1 * yM * s);
            Sym(G, B + kW, B + kPsi, -0.1 * yM * s);
            Sym(G, kPhiY, kPsi, -(2.0 / 15.0) * l * yM * s);
            Sym(G, B + kPhiY, B + kPsi, -(2.0 / 15.0) * l * yM * s);
            Sym(G, kPhiY, B + kPsi, yM * l * s / 30.0);
            Sym(G, kPsi, B + kPhiY, yM * l * s / 30.0);
            Sym(G, kPhiZ, kPsi, -(2.0 / 15.0) * l * zM * s);
            Sym(G, B + kPhiZ, B + kPsi, -(2.0 / 15.0) * l * zM * s);
            Sym(G, kPhiZ, B + kPsi, zM * l * s / 30.0);
            Sym(G, kPsi, B + kPhiZ, zM * l * s / 30.0);
        } else {
            // Linear twist: only the displacement couplings remain.
            Sym(G, kV, kTheta, zM / l);
            Sym(G, B + kV, B + kTheta, zM / l);
            Sym(G, kV, B + kTheta, -zM / l);
            Sym(G, kTheta, B + kV, -zM / l);
            Sym(G, kW, kTheta, -yM / l);
            Sym(G, B + kW, B + kTheta, -yM / l);
            Sym(G, kW, B + kTheta, yM / l);
            Sym(G, kTheta, B + kW, yM / l);
        }
        for (size_t i = 0; i < Kg.size(); ++i) Kg[i] += Nc * G[i];
    }

    // Moments and Wagner terms.
    const double Ka = f[0] * ev.ip2 + f[4] * ev.rz - f[5] * ev.ry + f[6] * ev.rw;
    const double Kb = f[7] * ev.ip2 + f[11] * ev.rz - f[12] * ev.ry + f[13] * ev.rw;
    const double Mya = f[4], Myb = f[11], Mza = f[5], Mzb = f[12];
    if (warping) {
        const double D = 10.0 * l;
        Sym(Kg, kV, kTheta, (-11 * Mya - Myb) / D);
        Sym(Kg, kV, kPsi, Mya / 10);
        Sym(Kg, kV, B + kTheta, (11 * Myb + Mya) / D);
        Sym(Kg, kV, B + kPsi, Myb / 10);
        Sym(Kg, kW, kTheta, (-11 * Mza - Mzb) / D);
        Sym(Kg, kW, kPsi, Mza / 10);
        Sym(Kg, kW, B + kTheta, (11 * Mzb + Mza) / D);
        Sym(Kg, kW, B + kPsi, Mzb / 10);
        Sym(Kg, kTheta, kPhiY, (9 * Mza + 2 * Mzb) / 10);
        Sym(Kg, kTheta, kPhiZ, -(9 * Mya + 2 * Myb) / 10);
        Sym(Kg, kTheta, B + kV, (11 * Mya + Myb) / D);
        Sym(Kg, kTheta, B + kW, (11 * Mza + Mzb) / D);
        Sym(Kg, kTheta, B + kPhiY, (2 * Mza - Mzb) / 10);
        Sym(Kg, kTheta, B + kPhiZ, (Myb - 2 * Mya) / 10);
        Sym(Kg, kPhiY, kPsi, -(3 * Mza + Mzb) * l / 30);
        Sym(Kg, kPhiY, B + kTheta, (Mza - 2 * Mzb) / 10);
        Sym(Kg, kPhiY, B + kPsi, Mza * l / 30);
        Sym(Kg, kPhiZ, kPsi, (3 * Mya + Myb) * l / 30);
        Sym(Kg, kPhiZ, B + kTheta, (2 * Myb - Mya) / 10);
        Sym(Kg, kPhiZ, B + kPsi, -Mya * l / 30);
        Sym(Kg, kPsi, B + kV, -Mya / 10);
        Sym(Kg, kPsi, B + kW, -Mza / 10);
        Sym(Kg, kPsi, B + kPhiY, Mzb * l / 30);
        Sym(Kg, kPsi, B + kPhiZ, -Myb * l / 30);
        Sym(Kg, B + kV, B + kTheta, -(Mya + 11 * Myb) / D);
        Sym(Kg, B + kV, B + kPsi, -Myb / 10);
        Sym(Kg, B + kW, B + kTheta, -(Mza + 11 * Mzb) / D);
        Sym(Kg, B + kW, B + kPsi, -Mzb / 10);
        Sym(Kg, B + kTheta, B + kPhiY, -(9 * Mzb + 2 * Mza) / 10);
        Sym(Kg, B + kTheta, B + kPhiZ, (9 * Myb + 2 * Mya) / 10);
        Sym(Kg, B + kPhiY, B + kPsi, -(Mza + 3 * Mzb) * l / 30);
        Sym(Kg, B + kPhiZ, B + kPsi, (3 * Myb + Mya) * l / 30);
        // Wagner term: consistent matrix of 1/2 * integral K(x) * twist'^2
        // with K linear between the element ends and the cubic twist.
        Sym(Kg, kTheta, kTheta, 3 * (Ka + Kb) / (5 * l));
        Sym(Kg, B + kTheta, B + kTheta, 3 * (Ka + Kb) / (5 * l));
        Sym(Kg, kTheta, B + kTheta, -3 * (Ka + Kb) / (5 * l));
        Sym(Kg, kTheta, kPsi, -Kb / 10);
        Sym(Kg, kTheta, B + kPsi, -Ka / 10);
        Sym(Kg, kPsi, kPsi, l * (3 * Ka + Kb) / 30);
        Sym(Kg, kPsi, B + kTheta, Kb / 10);
        Sym(Kg, kPsi, B + kPsi, -l * (Ka + Kb) / 60);
        Sym(Kg, B + kTheta, B + kPsi, Ka / 10);
        Sym(Kg, B + kPsi, B + kPsi, l * (Ka + 3 * Kb) / 30);
    } else {
        // Linear twist, cubic bending, linearly varying moments.
        Sym(Kg, kV, kTheta, -Mya / l);
        Sym(Kg, kV, B + kTheta, Myb / l);
        Sym(Kg, B + kV, kTheta, Mya / l);
        Sym(Kg, B + kV, B + kTheta, -Myb / l);
        Sym(Kg, kPhiZ, kTheta, -(5 * Mya + Myb) / 6);
        Sym(Kg, kPhiZ, B + kTheta, (Myb - Mya) / 6);
        Sym(Kg, B + kPhiZ, kTheta, (Myb - Mya) / 6);
        Sym(Kg, B + kPhiZ, B + kTheta, (Mya + 5 * Myb) / 6);
        Sym(Kg, kW, kTheta, -Mza / l);
        Sym(Kg, kW, B + kTheta, Mzb / l);
        Sym(Kg, B + kW, kTheta, Mza / l);
        Sym(Kg, B + kW, B + kTheta, -Mzb / l);
        Sym(Kg, kPhiY, kTheta, (5 * Mza + Mzb) / 6);
        Sym(Kg, kPhiY, B + kTheta, (Mza - Mzb) / 6);
        Sym(Kg, B + kPhiY, kTheta, (Mza - Mzb) / 6);
        Sym(Kg, B + kPhiY, B + kTheta, -(Mza + 5 * Mzb) / 6);
        Sym(Kg, kTheta, kTheta, (Ka + Kb) / (2 * l));
        Sym(Kg, B + kTheta, B + kTheta, (Ka + Kb) / (2 * l));
        Sym(Kg, kTheta, B + kTheta, -(Ka + Kb) / (2 * l));
    }

    AddLoadMomentBubble(ev, loads, Kg);

    // Load height of the element's line loads; the points of attack are
    // stored from the shear centre already.
    double X = 0;
    for (const auto& p : loads) X += ((p.pya + p.pyb) * p.ey + (p.pza + p.pzb) * p.ez) * l / 70.0;
    if (X != 0.0) {
        if (warping) {
            Sym(Kg, kTheta, kTheta, 13 * X);
            Sym(Kg, B + kTheta, B + kTheta, 13 * X);
            Sym(Kg, kTheta, kPsi, -(11.0 / 6.0) * X * l);
            Sym(Kg, kTheta, B + kTheta, 4.5 * X);
            Sym(Kg, kTheta, B + kPsi, (13.0 / 12.0) * X * l);
            Sym(Kg, kPsi, kPsi, X * l * l / 3);
            Sym(Kg, B + kPsi, B + kPsi, X * l * l / 3);
            Sym(Kg, kPsi, B + kTheta, -(13.0 / 12.0) * X * l);
            Sym(Kg, kPsi, B + kPsi, -X * l * l / 4);
            Sym(Kg, B + kTheta, B + kPsi, (11.0 / 6.0) * X * l);
        } else {
            Sym(Kg, kTheta, kTheta, (35.0 / 3.0) * X);
            Sym(Kg, B + kTheta, B + kTheta, (35.0 / 3.0) * X);
            Sym(Kg, kTheta, B + kTheta, (35.0 / 6.0) * X);
        }
    }
}

void ReleaseHinges(const Vec14& hinges, Mat14& K, Mat14& Kg, Vec14* fixedEnd,
                   const ErrorLineFn& errorLine) {
    for (int32_t i = 0; i < 14; ++i) {
        if (hinges[static_cast<size_t>(i)] == 0.0) continue;  // the value is a flag
        double maxDiag = 0;
        for (int32_t r = 0; r < 14; ++r) maxDiag = std::max(maxDiag, std::fabs(At(K, r, r)));
        const double piv = At(K, i, i);
        if (!(std::fabs(piv) > 1e-12 * maxDiag) || maxDiag == 0.0) {
            if (errorLine)
                errorLine(winsys::FormatC("Gelenk am Freiheitsgrad %d ohne Steifigkeit: nicht gelöst", i + 1));
            continue;
        }
        // u_i = -sum_c t_c u_c with t = K(i, :) / K(i, i).
        Vec14 t{};
        for (int32_t c = 0; c < 14; ++c) t[static_cast<size_t>(c)] = At(K, i, c) / piv;
        if (fixedEnd) {
            Vec14& p = *fixedEnd;
            const double pi = p[static_cast<size_t>(i)];
            for (int32_t r = 0; r < 14; ++r)
                if (r != i) p[static_cast<size_t>(r)] -= t[static_cast<size_t>(r)] * pi;
            p[static_cast<size_t>(i)] = 0.0;
        }
        // K: K(r,c) - K(r,i) K(i,c) / K(i,i)
        for (int32_t r = 0; r < 14; ++r) {
            if (r == i) continue;
            for (int32_t c = 0; c < 14; ++c)
                if (c != i) At(K, r, c) -= At(K, r, i) * t[static_cast<size_t>(c)];
        }
        // Kg with the same transformation: T^T Kg T.
        const double gii = At(Kg, i, i);
        Mat14 G = Kg;
        for (int32_t r = 0; r < 14; ++r) {
            if (r == i) continue;
            for (int32_t c = 0; c < 14; ++c) {
                if (c == i) continue;
                At(G, r, c) = At(Kg, r, c) - t[static_cast<size_t>(r)] * At(Kg, i, c) -
                              At(Kg, r, i) * t[static_cast<size_t>(c)] +
                              t[static_cast<size_t>(r)] * t[static_cast<size_t>(c)] * gii;
            }
        }
        Kg = G;
        for (int32_t k = 0; k < 14; ++k) {
            At(K, i, k) = At(K, k, i) = 0.0;
            At(Kg, i, k) = At(Kg, k, i) = 0.0;
        }
    }
}

int32_t CalcElementMatrices(int32_t /*modus*/, const ElementValues& ev, const Vec14& hinges, Mat14& K,
                            Mat14& Kg, const Vec14* endForces, bool notBuckling,
                            const std::vector<LinePieceRecord>& loads, Vec14* fixedEnd,
                            const ErrorLineFn& errorLine) {
    ElasticStiffness(ev, notBuckling, K);
    AddBeddingStiffness(ev, K);
    Kg.fill(0.0);
    if (endForces) GeometricStiffness(ev, *endForces, loads, Kg);
    if (notBuckling)
        for (size_t i = 0; i < K.size(); ++i) K[i] += Kg[i];
    ReleaseHinges(hinges, K, Kg, fixedEnd, errorLine);
    return 0;
}

}  // namespace tovik::fe
