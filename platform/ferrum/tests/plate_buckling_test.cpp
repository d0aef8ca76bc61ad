// Plate buckling by the reduced stress method against hand calculations
// after EN 1993-1-5 (sections 4, 5, 6, 8, 10, Annex A) and EN 1993-6 5.7.1.
//
// Girder of the hand cases: web 800 x 10 mm (centre line to centre line),
// flanges 300 x 20 mm, panel a = 1600 mm, S355 (fy 355), gamma_M1 1.1,
// E 210000, nu 0.3: sigma_E = 189800 (10/800)^2 = 29.656 N/mm² (A.1).
#include <gtest/gtest.h>

#include "platform/ferrum/plate_buckling.h"

namespace {

constexpr int kWeb = 2;

// A welded I in cm: flanges b x tf on their centre lines at z 0 and 80, web
// tw between them (line 2).
struct Girder {
    int h;
    explicit Girder(double b = 30.0, double tf = 2.0, double tw = 1.0)
        : h(FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25)) {
        FER_hAddLine(h, 0, -b / 2, 0, b / 2, 0, tf, tf, 0, 0, 0, 0);
        FER_hAddLine(h, 0, -b / 2, 80, b / 2, 80, tf, tf, 0, 0, 0, 0);
        FER_hAddLine(h, 0, 0, 0, 0, 80, tw, tw, 0, 0, 0, 0);
        FER_hCalculate(h);
    }
    ~Girder() { FER_hClose(h); }
    Girder(const Girder&) = delete;
    Girder& operator=(const Girder&) = delete;
};

// Flat rail 50 x 40 mm, not rigidly fixed, no pad: Iy75 = 5 x 4³/12 cm⁴;
// wheel load 100 kN.
FER_VaduLocalInput Wheel() {
    FER_VaduLocalInput in{};
    in.fy = 355;
    in.F = 100;
    in.nAxles = 1;
    in.railB1 = 5.0;
    in.railH75 = 4.0;
    in.railA75 = 20.0;
    in.railIy75 = 5.0 * 64.0 / 12.0;
    in.railE175 = 2.0;
    return in;
}

FER_PlateBucklingResult Check(int h, int plate, double sigma, double tau, const FER_VaduLocalInput* wheel,
                              int bottomFlange = 0, int rc0 = 0) {
    const double state[8] = {4.0, static_cast<double>(plate), sigma, sigma, tau, 160.0, 0, 0};
    FER_PlateBucklingResult r{};
    EXPECT_EQ(FER_hCalc_PlateBuckling_RedStress(h, 5, 355.0, state, 800.0, bottomFlange, 0, wheel, nullptr, &r),
              rc0);
    return r;
}

}  // namespace

TEST(PlateBuckling, ShearAlone) {
    // k_tau = 5.34 + 4 (800/1600)^2 = 6.34 (A.3); tau_cr = 6.34 x 29.656 =
    // 188.0; alpha_ult,k = 355 / (sqrt3 x 80) = 2.562; lambda_p =
    // sqrt(2.562 / (188.0/80)) = 1.044 = 0.76 sqrt(fy/tau_cr) (5.3);
    // chi_w = 0.83 / 1.044 = 0.795 (Table 5.1); u = sqrt3 x 80 x 1.1 /
    // (0.795 x 355) = 0.540.
    Girder g;
    const FER_PlateBucklingResult r = Check(g.h, kWeb, 0.0, 80.0, nullptr);
    EXPECT_NEAR(r.alphaCr * 80.0, 188.0, 0.05);
    EXPECT_NEAR(r.lambdaP, 1.044, 0.0005);
    EXPECT_NEAR(r.chiW, 0.795, 0.0005);
    EXPECT_NEAR(r.utilisation, 0.540, 0.0005);
    // Flange-induced buckling (8): hw/tw 80, Aw 8000, Afc 6000 mm²:
    // 80 / (0.55 x 210000/355 x sqrt(8000/6000)) = 0.213.
    EXPECT_NEAR(r.utilFib, 0.213, 0.0005);
    EXPECT_EQ(r.utilFy, 0.0);
}

TEST(PlateBuckling, UniformCompression) {
    // psi = 1: k_sigma 4.0 (Table 4.1), sigma_cr = 118.6; alpha_cr =
    // 118.6/150; lambda_p = sqrt((355/150) / alpha_cr) = 1.730; rho_x =
    // (1.730 - 0.055 x 4) / 1.730² = 0.505 (4.4(2)); the column-like share
    // vanishes: sigma_cr,c = 189800 (10/1600)² = 7.41, xi > 1 (4.5.4);
    // u = 150 x 1.1 / (0.505 x 355) = 0.921 = gamma_M1 / (rho alpha_ult,k).
    Girder g;
    const FER_PlateBucklingResult r = Check(g.h, kWeb, -150.0, 0.0, nullptr);
    EXPECT_NEAR(r.alphaUltK, 355.0 / 150.0, 1e-9);
    EXPECT_NEAR(r.lambdaP, 1.730, 0.0005);
    EXPECT_NEAR(r.rhoX, 0.505, 0.0005);
    EXPECT_NEAR(r.utilisation, 0.921, 0.0005);
    EXPECT_NEAR(r.utilisation, 1.1 / (r.rhoX * r.alphaUltK), 1e-12);
    // Tension does not buckle: yielding only, u = 150 x 1.1 / 355.
    const FER_PlateBucklingResult t = Check(g.h, kWeb, 150.0, 0.0, nullptr);
    EXPECT_NEAR(t.utilisation, 150.0 * 1.1 / 355.0, 1e-9);
    EXPECT_EQ(t.rhoX, 1.0);
}

TEST(PlateBuckling, WheelLoadOnTheWeb) {
    // EN 1993-6 Table 5.1, rail not rigidly fixed: beff = 50 + 40 + 20 =
    // 110 mm (5.2), If = 110 x 20³/12 = 73 333 mm⁴, Ir = 266 667 mm⁴, leff
    // = 3.25 (340 000 / 10)^(1/3) = 105.29 mm; sigma_z = 100 000 / (105.29
    // x 10) = 94.98 N/mm² (5.1). Fcr = 0.9 x 6.5 x 210000 x 10³ / 800 =
    // 1535.6 kN (6.5, kF = 6 + 2 (800/1600)² = 6.5); alpha_cr = 15.36;
    // lambda_p = sqrt((355/94.98) / 15.36) = 0.493 < 0.673: rho_z = 1;
    // u = 94.98 x 1.1 / 355 = 0.2943.
    // Section 6: ss = 105.29 - 2 x 20 = 65.29 (EN 1993-6 6.5); m1 = 300/10,
    // m2 = 0.02 (800/20)² = 32; ly = 65.29 + 2 x 20 (1 + sqrt 62) = 420.25;
    // lambda_F = sqrt(420.25 x 10 x 355 / 1535625) = 0.9857; chi_F =
    // 0.5073; FRd = 355 x 0.5073 x 420.25 x 10 / 1.1 = 688.0 kN; 100/688.0.
    Girder g;
    const FER_VaduLocalInput wheel = Wheel();
    const FER_PlateBucklingResult r = Check(g.h, kWeb, 0.0, 0.0, &wheel);
    EXPECT_NEAR(r.alphaUltK, 355.0 / 94.98, 0.001);
    EXPECT_NEAR(r.alphaCr, 15.356, 0.001);
    EXPECT_NEAR(r.lambdaP, 0.4934, 0.0005);
    EXPECT_EQ(r.rhoZ, 1.0);
    EXPECT_NEAR(r.utilisation, 0.2943, 0.0005);
    EXPECT_NEAR(r.utilFy, 0.14535, 0.0001);
    // Wheels on the bottom flange put no transverse stress on the web's
    // loaded edge.
    const FER_PlateBucklingResult b = Check(g.h, kWeb, 0.0, 0.0, &wheel, 1);
    EXPECT_EQ(b.utilisation, 0.0);
    EXPECT_EQ(b.utilFy, 0.0);
}

TEST(PlateBuckling, CombinedStresses) {
    // sigma_x 150 (psi 1), tau 80 and the wheel above: 1/alpha_cr (10.6) =
    // 0.5 x 1.26449 + 0.5 x 0.06512 + sqrt(0.66481² + 0.42549²) = 1.45411;
    // 1/alpha_ult,k² (10.3) = 0.178536 + 0.071582 - 0.113049 + 0.152351 =
    // 0.289420; lambda_p = sqrt(1.85881 x 1.45411) = 1.6441; rho_x = rho_z
    // = (1.6441 - 0.22) / 1.6441² = 0.52686; chi_w = 0.83 / 1.6441 =
    // 0.50485; with fy/gM1 = 322.73 and V = rho_x rho_z (both compressive):
    // 0.88219² + 0.55861² - 0.27758 x 0.88219 x 0.55861 + 3 x 0.49101² =
    // 1.67679 (10.5); u = 1.2949.
    Girder g;
    const FER_VaduLocalInput wheel = Wheel();
    const FER_PlateBucklingResult r = Check(g.h, kWeb, -150.0, 80.0, &wheel);
    EXPECT_NEAR(r.alphaCr, 0.68771, 0.0001);
    EXPECT_NEAR(r.lambdaP, 1.6441, 0.0005);
    EXPECT_NEAR(r.rhoX, 0.52686, 0.0002);
    EXPECT_NEAR(r.rhoZ, 0.52686, 0.0002);
    EXPECT_NEAR(r.chiW, 0.50485, 0.0002);
    EXPECT_NEAR(r.utilisation, 1.2949, 0.0005);
}

TEST(PlateBuckling, FlangeIsAnOutstand) {
    // Flange 400 x 8 mm on a 10 mm web: c = 200 - 5 = 195 mm; k_sigma 0.43
    // (Table 4.2, psi 1); sigma_cr = 0.43 x 189800 (8/195)² = 137.36;
    // sigma_x 100: lambda_p = sqrt(3.55 / 1.3736) = 1.6076; rho = (1.6076
    // - 0.188) / 1.6076² = 0.5493 (4.4(2)); u = 100 x 1.1 / (0.5493 x 355)
    // = 0.5641.
    Girder g(40.0, 0.8, 1.0);
    const FER_PlateBucklingResult r = Check(g.h, 0, -100.0, 0.0, nullptr);
    EXPECT_NEAR(r.lambdaP, 1.6076, 0.0005);
    EXPECT_NEAR(r.rhoX, 0.5493, 0.0005);
    EXPECT_NEAR(r.utilisation, 0.5641, 0.0005);
    EXPECT_EQ(r.utilFib, 0.0);
}

TEST(PlateBuckling, ReductionFactorsAtTheirLimits) {
    // 4.4(2): rho 1 up to lambda_p = 0.5 + sqrt(0.085 - 0.055 psi) (0.673
    // for psi 1); Table 5.1: chi_w = eta = 1.2 below 0.83/1.2; buckling
    // curve a: chi 1 up to lambda 0.2, 0.6656 at lambda 1.0.
    EXPECT_EQ(ferrum::PlateReduction(0.673, 1.0, false), 1.0);
    EXPECT_NEAR(ferrum::PlateReduction(1.0, -1.0, false), 1.0 - 0.11, 1e-12);
    EXPECT_NEAR(ferrum::PlateReduction(1.0, 1.0, true), 0.812, 1e-12);
    EXPECT_EQ(ferrum::ShearReduction(0.5), 1.2);
    EXPECT_NEAR(ferrum::ShearReduction(1.2), 0.83 / 1.2, 1e-12);
    EXPECT_EQ(ferrum::ColumnReductionCurveA(0.2), 1.0);
    EXPECT_NEAR(ferrum::ColumnReductionCurveA(1.0), 0.6656, 0.0001);
    EXPECT_NEAR(ferrum::ShearBucklingFactor(800, 1600), 4.0 + 5.34 * 4.0, 1e-12);
}

TEST(PlateBuckling, BadInputIsRefused) {
    Girder g;
    const double state[8] = {0, 7, -100, -100, 0, 160, 0, 0};  // no plate 7
    FER_PlateBucklingResult r{};
    r.utilisation = 5;
    EXPECT_EQ(FER_hCalc_PlateBuckling_RedStress(g.h, 5, 355, state, 800, 0, 0, nullptr, nullptr, &r), -1);
    EXPECT_EQ(r.utilisation, 0.0);
    const double ok[8] = {0, kWeb, -100, -100, 0, 160, 0, 0};
    EXPECT_EQ(FER_hCalc_PlateBuckling_RedStress(0, 5, 355, ok, 800, 0, 0, nullptr, nullptr, &r), -1);
    EXPECT_EQ(FER_hCalc_PlateBuckling_RedStress(g.h, 5, 0.0, ok, 800, 0, 0, nullptr, nullptr, &r), -1);
    EXPECT_EQ(FER_hCalc_PlateBuckling_RedStress(g.h, 5, 355, nullptr, 800, 0, 0, nullptr, nullptr, &r), -1);
    // Without a panel length the field is divided into its panels: 800/5.
    const double noA[8] = {0, kWeb, 0, 0, 80, 0, 0, 0};
    EXPECT_EQ(FER_hCalc_PlateBuckling_RedStress(g.h, 5, 355, noA, 800, 0, 0, nullptr, nullptr, &r), 0);
    EXPECT_NEAR(r.utilisation, 0.540, 0.0005);
}
