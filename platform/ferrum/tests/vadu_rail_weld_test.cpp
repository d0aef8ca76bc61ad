// The rail-to-flange weld against hand calculations after EN 1993-1-8
// 4.5.3.2 (directional method) with the spread length of EN 1993-6
// Table 5.1 (b).
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ferrum/vadu_rail_weld.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

// Welded I (cm): flanges 30 x 2.5 on their centre lines at z 0 and 62.5,
// web 1.0 between them.
struct Girder {
    int h;
    Girder() : h(FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25)) {
        FER_hAddLine(h, 0, -15, 0, 15, 0, 2.5, 2.5, 0, 0, 0, 0);
        FER_hAddLine(h, 0, -15, 62.5, 15, 62.5, 2.5, 2.5, 0, 0, 0, 0);
        FER_hAddLine(h, 0, 0, 0, 0, 62.5, 1.0, 1.0, 0, 0, 0, 0);
        FER_hCalculate(h);
    }
    ~Girder() { FER_hClose(h); }
    // Additional values: E, G, panel, intermittent flag, L, gap, e (cm).
    void Set(double flag, double L, double gap, double e) const {
        const double v[7] = {210000.0, 81000.0, 2.0, flag, L, gap, e};
        FER_hSetAdditionalValues(h, v, 7);
    }
};

// A rail whose Iy75 gives l = 100 mm over the 10 mm web:
// Iy75 = 1.0 cm x (10 cm / 3.25)³ = 29.1306 cm⁴; foot 12.5 cm, h75 5 cm.
FER_VaduLocalInput Rail(double fy, double Pz) {
    FER_VaduLocalInput in{};
    in.fy = fy;
    in.F = Pz;
    in.nAxles = 2;
    in.railB1 = 12.5;
    in.railH75 = 5.0;
    in.railA75 = 40.0;
    in.railIy75 = std::pow(10.0 / 3.25, 3);
    in.railE175 = 2.5;
    in.railKOrLoadDist = 5.0;
    return in;
}

struct WeldCase {
    const char* name;
    double fy, aw, Hy, Hx, Pz;
    double flag, L, gap, e;
    double tauPar, sigmaPerp, sigmaV, util;
};
// l = 100 mm, gamma_M2 1.25.
//   Hx 12 kN, aw 5: tau_par = 12 000 / (2 x 5 x 100) = 12; sigma_v = sqrt(3) 12 = 20.785;
//     S235: fu / (beta_w gamma_M2) = 360 / (0.8 x 1.25) = 360 -> 0.05774
//   intermittent 50 / 50: x (50 + 50) / 50 = 2 -> 24, 41.569, 0.11547
//   Hy 10 kN at h75 50 mm, Pz 100 kN at e 10 mm: M = 10 000 x 50 + 100 000 x 10 = 1.5e6 Nmm;
//     F_perp = 1.5e6 / 125 + 5 000 = 17 000 N; sigma_perp = tau_perp = 17 000 / (sqrt 2 x 5 x 100) = 24.042;
//     sigma_v = 2 x 24.042 = 48.083; S355: 510 / (0.9 x 1.25) = 453.33 -> 0.10607
//     (0.9 fu / gamma_M2 = 367.2 -> 0.0655, not governing)
//   the same with fy 300: fu 430 of S275, beta_w 1.0: 344 -> 0.13978
//   a thin weld, Hy 0, Pz 400 kN at e 20 mm, aw 3, S460:
//     F_perp = 8.0e6 / 125 = 64 000 N; sigma_perp = 64 000 / (sqrt 2 x 3 x 100) = 150.85;
//     sigma_v = 301.70 / (540 / 1.25 = 432) = 0.69838; sigma_perp / (0.9 x 540 / 1.25 = 388.8) = 0.38799
//     (with sigma_perp = tau_perp, sigma_v = 2 sigma_perp always governs for beta_w >= 0.56)
const WeldCase kCases[] = {
    {"Hx only", 235, 5, 0, 12, 0, 0, 0, 0, 0, 12, 0, 20.7846, 0.057735},
    {"Hx intermittent", 235, 5, 0, 12, 0, 1.0, 50, 50, 0, 24, 0, 41.5692, 0.115470},
    {"Hy and eccentricity", 355, 5, 10, 0, 100, 0, 0, 0, 1.0, 0, 24.0416, 48.0833, 0.106066},
    {"grade between", 300, 5, 10, 0, 100, 0, 0, 0, 1.0, 0, 24.0416, 48.0833, 0.139777},
    {"S460", 460, 3, 0, 0, 400, 0, 0, 0, 2.0, 0, 150.8494, 301.6988, 0.698377},
};

TEST(VaduRailWeld, HandCases) {
    Girder g;
    for (const WeldCase& c : kCases) {
        SCOPED_TRACE(c.name);
        g.Set(c.flag, c.L, c.gap, c.e);
        const FER_VaduLocalInput in = Rail(c.fy, c.Pz);
        FER_VaduRailWeldResult r{};
        ASSERT_EQ(FER_hCalcVaduSchieneSchweissnaht(g.h, c.aw, c.Hy, c.Hx, 0, 0, &in, nullptr, &r), 0);
        EXPECT_NEAR(r.length, 100.0, 1e-9);
        EXPECT_NEAR(r.tauPar, c.tauPar, 1e-4);
        EXPECT_NEAR(r.sigmaPerp, c.sigmaPerp, 1e-4);
        EXPECT_EQ(r.tauPerp, r.sigmaPerp);
        EXPECT_NEAR(r.sigmaV, c.sigmaV, 1e-4);
        EXPECT_NEAR(r.utilisation, c.util, 1e-6);
        EXPECT_EQ(r.Pz, c.Pz);
    }
}

// Qz: the shear flow of the girder with the rail, v = Qz S_r / I_y, shared
// by the two welds. The girder's own values come from its profile, the
// composite is formed here by hand (rail 40 cm², centroid 2.5 cm above the
// top edge, Iy75 29.13 cm⁴).
TEST(VaduRailWeld, ShearFlowOfTheCompositeSection) {
    Girder g;
    g.Set(0, 0, 0, 0);
    SektTqs t{};
    ASSERT_EQ(SEKT_PRO_GetResultTqs(FER_hGetProfile(g.h), 0, &t), 0);
    const FER_VaduLocalInput in = Rail(235, 0);
    const double zr = t.zmi - 2.5, A = t.A + 40.0;
    const double zc = (t.A * t.z0 + 40.0 * zr) / A;
    const double Iy = t.Ayy + t.A * (t.z0 - zc) * (t.z0 - zc) + in.railIy75 + 40.0 * (zr - zc) * (zr - zc);
    const double v = 200.0 * 1000.0 * 40.0 * (zc - zr) / Iy / 10.0;  // Qz 200 kN -> N/mm
    FER_VaduRailWeldResult r{};
    ASSERT_EQ(FER_hCalcVaduSchieneSchweissnaht(g.h, 5, 0, 0, 200, 77, &in, nullptr, &r), 0);
    EXPECT_NEAR(r.tauPar, v / (2 * 5.0), 1e-9);
    EXPECT_GT(r.tauPar, 10.0);  // a sizeable flow: the rail lies far from the centroid
    EXPECT_NEAR(r.sigmaV, std::sqrt(3.0) * r.tauPar, 1e-9);
}

TEST(VaduRailWeld, NoWeldAndRefusals) {
    Girder g;
    g.Set(0, 0, 0, 0);
    FER_VaduLocalInput in = Rail(235, 100);
    FER_VaduRailWeldResult r{};
    r.utilisation = 5;
    EXPECT_EQ(FER_hCalcVaduSchieneSchweissnaht(g.h, 0.0, 10, 10, 0, 0, &in, nullptr, &r), 0);
    EXPECT_EQ(r.utilisation, 0.0);
    EXPECT_EQ(r.Pz, 0.0);
    struct Bad {
        const char* name;
        int handle;
        double fy, Iy75, flag, L;
    } const bad[] = {
        {"no section", 0, 235, 29.13, 0, 0},
        {"fy below 235", -1, 200, 29.13, 0, 0},
        {"rail without Iy75", -1, 235, 0, 0, 0},
        {"intermittent without length", -1, 235, 29.13, 1.0, 0},
    };
    for (const Bad& c : bad) {
        SCOPED_TRACE(c.name);
        g.Set(c.flag, c.L, 10, 0);
        in.fy = c.fy;
        in.railIy75 = c.Iy75;
        r.utilisation = 5;
        EXPECT_EQ(FER_hCalcVaduSchieneSchweissnaht(c.handle < 0 ? g.h : c.handle, 5, 10, 10, 0, 0, &in, nullptr, &r),
                  -1);
        EXPECT_EQ(r.utilisation, 0.0);
    }
    EXPECT_EQ(FER_hCalcVaduSchieneSchweissnaht(g.h, 5, 10, 10, 0, 0, nullptr, nullptr, &r), -1);
    EXPECT_EQ(FER_hCalcVaduSchieneSchweissnaht(g.h, 5, 10, 10, 0, 0, &in, nullptr, nullptr), -1);
}

// EN 1993-1-1 Table 3.1 and EN 1993-1-8 Table 4.1 by fy.
TEST(VaduRailWeld, WeldStrengthByGrade) {
    struct Row {
        double fy, fu, betaW;
        bool ok;
    } const rows[] = {{235, 360, 0.8, true},  {275, 430, 0.85, true}, {355, 510, 0.9, true}, {420, 520, 1.0, true},
                      {460, 540, 1.0, true},  {345, 430, 1.0, true},  {240, 360, 1.0, true}, {700, 540, 1.0, true},
                      {234, 0, 0, false}};
    for (const Row& r : rows) {
        double fu = -1, bw = -1;
        EXPECT_EQ(ferrum::WeldStrength(r.fy, fu, bw), r.ok) << r.fy;
        EXPECT_EQ(fu, r.fu) << r.fy;
        EXPECT_EQ(bw, r.betaW) << r.fy;
    }
}

}  // namespace
