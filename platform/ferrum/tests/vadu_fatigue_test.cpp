// Fatigue of crane-runway details against hand calculations after
// EN 1991-3 Table 2.12, EN 1993-6 5.7, 5.8 and section 9, EN 1993-1-9
// section 8.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ferrum/vadu_fatigue.h"

namespace {

// A welded I (cm): flanges b x tf on their centre lines at z 0 and 62.5,
// web tw between them.
struct Girder {
    int h;
    Girder(double b, double tf, double tw) : h(FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25)) {
        FER_hAddLine(h, 0, -b / 2, 0, b / 2, 0, tf, tf, 0, 0, 0, 0);
        FER_hAddLine(h, 0, -b / 2, 62.5, b / 2, 62.5, tf, tf, 0, 0, 0, 0);
        FER_hAddLine(h, 0, 0, 0, 0, 62.5, tw, tw, 0, 0, 0, 0);
        FER_hCalculate(h);
    }
    ~Girder() { FER_hClose(h); }
};

struct GlobalCase {
    const char* name;
    double s1, s2, t1, t2, gammaMf;
    int craneClass, category, stressType;
    double tPlate, tWeld;
    double util, interaction;
};

// Global stresses only (no local record), eq. (8.2) and (8.3):
//   S7 (lambda 1.0): Delta sigma 60 -> 60 / (90 / 1.15) = 0.7667, 0.7667³ = 0.4506
//   S7 shear: Delta tau 40 -> 40 / (100 / 1.15) = 0.4600, 0.46^5 = 0.0206
//   S7 principal: sigma 60, tau 40 -> 30 + sqrt(30² + 40²) = 80 -> 80/100 = 0.8, 0.512
//   S4 (lambda_sigma 0.500): 0.5 x 60 = 30 -> 30 / (90 / 1.15) = 0.3833, 0.0563
//   S9 shear (lambda_tau 1.320): 1.32 x 40 = 52.8 -> 52.8 / (100 / 1.15) = 0.6072, 0.6072^5 = 0.08254
//   S0 (lambda_sigma 0.198): 0.198 x 100 = 19.8 -> 19.8 / 36 = 0.55, 0.1664
//   weld, plate 12, throat 4 (t / 2a = 1.5): Delta tau 40 -> 60 in the throat,
//     S7 shear, category 80, gamma_Mf 1.0 -> 0.75, 0.2373
//   weld with a throat above t/2 (factor not below 1): 40 / 80 = 0.5, 0.03125
//   weld stresses along it (sigma_x) stay: 60 / 90 = 0.6667, 0.2963
const GlobalCase kGlobal[] = {
    {"S7 normal", 80, 20, 0, 0, 1.15, 7, 90, 0, 0, 0, 0.76667, 0.45063},
    {"S7 shear", 0, 0, 50, 10, 1.15, 7, 100, 1, 0, 0, 0.46, 0.020596},
    {"S7 principal", 80, 20, -20, 20, 1.0, 7, 100, 2, 0, 0, 0.8, 0.512},
    {"S4 normal", 20, 80, 0, 0, 1.15, 4, 90, 0, 0, 0, 0.38333, 0.056329},
    {"S9 shear", 0, 0, 10, 50, 1.15, 9, 100, 1, 0, 0, 0.6072, 0.082539},
    {"S0 normal", -50, 50, 0, 0, 1.0, 0, 36, 0, 0, 0, 0.55, 0.166375},
    {"weld throat", 0, 0, 50, 10, 1.0, 7, 80, 1, 1.2, 0.4, 0.75, 0.2373047},
    {"weld wider than plate", 0, 0, 50, 10, 1.0, 7, 80, 1, 1.2, 0.8, 0.5, 0.03125},
    {"weld, stress along it", 80, 20, 0, 0, 1.0, 7, 90, 0, 1.2, 0.4, 0.66667, 0.296296},
};

TEST(VaduFatigue, GlobalRangesAgainstHandValues) {
    for (const GlobalCase& c : kGlobal) {
        SCOPED_TRACE(c.name);
        FER_VaduFatResult r{};
        ASSERT_EQ(FER_hCalcVaduFat(0, c.s1, c.s2, c.t1, c.t2, c.gammaMf, 0, c.craneClass, c.category, c.stressType,
                                   c.tPlate, c.tWeld, nullptr, nullptr, &r),
                  0);
        FER_VaduFatLastValues v{};
        ASSERT_EQ(FER_hGetLastValues(0, &v), 0);
        EXPECT_NEAR(r.utilisation, c.util, 5e-5);
        EXPECT_NEAR(v.utilisation, c.util, 5e-5);
        EXPECT_NEAR(v.interaction, c.interaction, 5e-6);
        EXPECT_NEAR(r.resistance, c.category / c.gammaMf, 1e-9);
        EXPECT_EQ(v.leff, 0.0);
        EXPECT_EQ(v.sigmaZ, 0.0);
    }
}

TEST(VaduFatigue, FirstHandCaseInDetail) {
    FER_VaduFatResult r{};
    FER_hCalcVaduFat(0, 80, 20, 0, 0, 1.15, 0, 7, 90, 0, 0, 0, nullptr, nullptr, &r);
    FER_VaduFatLastValues v{};
    FER_hGetLastValues(0, &v);
    EXPECT_DOUBLE_EQ(v.lambdaSigma, 1.0);
    EXPECT_DOUBLE_EQ(v.lambdaTau, 1.0);
    EXPECT_DOUBLE_EQ(v.sigmaX, 60.0);
    EXPECT_DOUBLE_EQ(v.rangeX, 60.0);
    EXPECT_NEAR(v.utilX, 60.0 * 1.15 / 90.0, 1e-12);
    EXPECT_EQ(v.utilTau, 0.0);  // shear is not checked against a normal-stress category
    EXPECT_NEAR(r.utilX, v.utilX, 1e-12);
}

// EN 1991-3 Table 2.12.
TEST(VaduFatigue, LambdaTable) {
    const double sigma[10] = {0.198, 0.250, 0.315, 0.397, 0.500, 0.630, 0.794, 1.000, 1.260, 1.587};
    const double tau[10] = {0.379, 0.436, 0.500, 0.575, 0.660, 0.758, 0.871, 1.000, 1.149, 1.320};
    for (int k = 0; k < 10; ++k) {
        double ls, lt;
        ASSERT_TRUE(ferrum::FatigueLambda(k, ls, lt));
        EXPECT_EQ(ls, sigma[k]) << k;
        EXPECT_EQ(lt, tau[k]) << k;
    }
    double ls = 1, lt = 1;
    EXPECT_FALSE(ferrum::FatigueLambda(10, ls, lt));
    EXPECT_FALSE(ferrum::FatigueLambda(-1, ls, lt));
    EXPECT_EQ(ls, 0.0);
}

// Rail on the top flange: flange 300 x 25 mm, web 12 mm, web depth 625 mm
// (centre lines), loose flat rail 80 x 30 mm (k 80 mm), wheel 50 kN, two
// axles, panel a = 2.5 m.
//   leff = 3.25 ((180 000 + 175 781) / 12)^(1/3) = 100.59 mm (Table 5.1)
//   sigma_oz = 50 000 / (100.59 x 12) = 41.423, tau_oxz = 8.285 (5.7.1, 5.7.2)
//   5.7.3: ey = 0.25 x 80 = 20 mm, T = 1.0e6 Nmm, It = 300 x 25³/3 = 1 562 500 mm⁴,
//     pi hw / a = 0.7854, sinh²/(sinh 2x - 2x) = 1.03297,
//     eta = (0.75 x 2500 x 1728 / 1 562 500 x 1.03297)^0.5 = 1.46355,
//     sigma_T = 6 x 1.0e6 / (2500 x 144) x 1.46355 x tanh 1.46355 = 21.913
//   two wheels: lambda_rad = 2^(1/3) = 1.25992 (sigma), 2^(1/5) = 1.14870 (tau)
//   place 2, S7, category 71, gamma_Mf 1.0: sigma_z = 63.335,
//     Delta sigma_E,z = 79.798 -> 1.1239; interaction 1.4197
//   place 2, S7 shear, category 80: 1.14870 x 8.285 = 9.516 -> 0.11896
//   place 1 (rail connection): no web bending: 1.25992 x 41.423 = 52.19 -> 0.7351
struct LocalCase {
    const char* name;
    int place, category, stressType;
    double util, sigmaZWeb;
};
const LocalCase kLocal[] = {
    {"web top, normal", 2, 71, 0, 1.12391, 21.913},
    {"web top, shear", 2, 80, 1, 0.118955, 21.913},
    {"rail connection", 1, 71, 0, 0.735065, 0.0},
};

FER_VaduLocalInput FlatRailWheel() {
    FER_VaduLocalInput in{};
    in.craneType = 0;
    in.fy = 235;
    in.F = 50;
    in.nAxles = 2;
    in.bRigid = 0;
    in.railB1 = 8.0;
    in.railH75 = 3.0;
    in.railA75 = 24.0;
    in.railIy75 = 18.0;
    in.railE175 = 1.5;
    in.railKOrLoadDist = 8.0;
    in.factor1 = in.factor2 = 0.1;
    return in;
}

TEST(VaduFatigue, LocalWheelStressesOnTheWeb) {
    Girder g(30.0, 2.5, 1.2);
    const double additional[3] = {210000.0, 81000.0, 2.5};
    FER_hSetAdditionalValues(g.h, additional, 3);
    const FER_VaduLocalInput in = FlatRailWheel();
    for (const LocalCase& c : kLocal) {
        SCOPED_TRACE(c.name);
        FER_VaduFatResult r{};
        ASSERT_EQ(FER_hCalcVaduFat(g.h, 0, 0, 0, 0, 1.0, c.place, 7, c.category, c.stressType, 0, 0, &in, nullptr, &r),
                  0);
        FER_VaduFatLastValues v{};
        FER_hGetLastValues(g.h, &v);
        EXPECT_NEAR(r.utilisation, c.util, 5e-5);
        EXPECT_NEAR(v.leff, 10.059, 5e-4);
        EXPECT_EQ(v.wheelLoad, 50.0);
        EXPECT_NEAR(v.sigmaZWheel, 41.423, 5e-4);
        EXPECT_NEAR(v.sigmaZWeb, c.sigmaZWeb, 5e-4);
        EXPECT_NEAR(v.sigmaZ, 41.423 + c.sigmaZWeb, 1e-3);
        EXPECT_NEAR(v.tauWheel, 8.2845, 5e-4);
        EXPECT_NEAR(v.lambdaSigmaWheel, std::cbrt(2.0), 1e-12);
        EXPECT_NEAR(v.lambdaTauWheel, std::pow(2.0, 0.2), 1e-12);
    }
    // Interaction of the first case: 1.12391³.
    FER_VaduFatResult r{};
    FER_hCalcVaduFat(g.h, 0, 0, 0, 0, 1.0, 2, 7, 71, 0, 0, 0, &in, nullptr, &r);
    EXPECT_NEAR(r.interaction, 1.41971, 5e-4);
    // A one-axle crane: the local lambda is the global one.
    FER_VaduLocalInput one = in;
    one.nAxles = 1;
    FER_hCalcVaduFat(g.h, 0, 0, 0, 0, 1.0, 1, 7, 71, 0, 0, 0, &one, nullptr, &r);
    EXPECT_NEAR(r.utilisation, 41.423 / 71.0, 5e-5);
    // Place 0 takes no local stresses, whatever the record.
    FER_hCalcVaduFat(g.h, 80, 20, 0, 0, 1.0, 0, 7, 90, 0, 0, 0, &in, nullptr, &r);
    EXPECT_NEAR(r.utilisation, 60.0 / 90.0, 1e-12);
}

// Without stiffeners (panel length 0): the limit a -> infinity,
// 6 T / tw² (0.5625 tw³ / (It pi hw))^0.5; with a very long panel the
// formula tends to it.
TEST(VaduFatigue, WebBendingWithoutStiffeners) {
    const double tw = 12, hw = 625, It = 1562500, T = 1.0e6;
    const double limit = 6 * T / (tw * tw) * std::sqrt(0.5625 * tw * tw * tw / (It * 3.14159265358979 * hw));
    EXPECT_NEAR(ferrum::WebBendingStress(50, 20, 0, hw, tw, It), limit, 1e-9);
    EXPECT_NEAR(ferrum::WebBendingStress(50, 20, 1.0e6, hw, tw, It), limit, 1e-3 * limit);
    EXPECT_NEAR(ferrum::WebBendingStress(50, 20, 2500, hw, tw, It), 21.9127, 5e-4);
    EXPECT_EQ(ferrum::WebBendingStress(50, 20, 2500, hw, 0, It), 0.0);
}

// Wheels on the bottom flange (Table 5.2): flange 300 x 20, web 10,
// n = 72.5 mm -> mu = 0.5; wheel 50 kN: F / tf² = 125 N/mm².
//   wheel line (place 4): sigma_ox = 1.4851 x 125 = 185.64,
//   sigma_oy = 1.2937 x 125 = 161.67; one axle (lambda_rad = lambda = 1),
//   global Delta sigma_x 20: Delta sigma_E,x = 205.64 -> / 160 = 1.2853
TEST(VaduFatigue, BottomFlangeWheelLine) {
    Girder g(30.0, 2.0, 1.0);
    FER_VaduLocalInput in{};
    in.craneType = 1;
    in.fy = 235;
    in.F = 50;
    in.nAxles = 1;
    in.railKOrLoadDist = 7.25;
    FER_VaduFatResult r{};
    ASSERT_EQ(FER_hCalcVaduFat(g.h, 30, 10, 0, 0, 1.0, 4, 7, 160, 0, 0, 0, &in, nullptr, &r), 0);
    FER_VaduFatLastValues v{};
    FER_hGetLastValues(g.h, &v);
    EXPECT_NEAR(v.sigmaX, 205.643, 2e-3);
    EXPECT_NEAR(v.sigmaY, 161.668, 2e-3);
    EXPECT_NEAR(r.utilX, 205.643 / 160, 2e-5);
    EXPECT_NEAR(r.utilY, 161.668 / 160, 2e-5);
    EXPECT_NEAR(r.utilisation, 205.643 / 160, 2e-5);
    EXPECT_EQ(v.sigmaZ, 0.0);
}

// Input outside the rules: nothing is checked, result and last values zero.
TEST(VaduFatigue, RefusedInput) {
    struct Bad {
        const char* name;
        int craneClass, category, stressType, place;
        double gammaMf;
    } const cases[] = {
        {"class 10", 10, 90, 0, 0, 1.15}, {"class -1", -1, 90, 0, 0, 1.15}, {"category 0", 7, 0, 0, 0, 1.15},
        {"gamma 0", 7, 90, 0, 0, 0.0},    {"stress type 3", 7, 90, 3, 0, 1.15}, {"place 6", 7, 90, 0, 6, 1.15},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        FER_VaduFatResult r{};
        r.utilisation = 9;
        EXPECT_EQ(FER_hCalcVaduFat(0, 80, 20, 0, 0, c.gammaMf, c.place, c.craneClass, c.category, c.stressType, 0, 0,
                                   nullptr, nullptr, &r),
                  -1);
        EXPECT_EQ(r.utilisation, 0.0);
        FER_VaduFatLastValues v{};
        FER_hGetLastValues(0, &v);
        EXPECT_EQ(v.rangeX, 0.0);
    }
    EXPECT_EQ(FER_hCalcVaduFat(0, 80, 20, 0, 0, 1.15, 0, 7, 90, 0, 0, 0, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(FER_hGetLastValues(0, nullptr), -1);
    // Local stresses asked for on no section: the global part is reported, the call says -1.
    const FER_VaduLocalInput in = FlatRailWheel();
    FER_VaduFatResult r{};
    EXPECT_EQ(FER_hCalcVaduFat(0, 80, 20, 0, 0, 1.0, 2, 7, 90, 0, 0, 0, &in, nullptr, &r), -1);
    EXPECT_NEAR(r.utilisation, 60.0 / 90.0, 1e-12);
}

}  // namespace
