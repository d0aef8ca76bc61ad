// Local stresses under wheel loads against hand calculations after
// EN 1993-6, 5.7 (rail on the top flange) and 5.8 / Table 5.2 (wheels on
// the bottom flange).
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ferrum/ferrum.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

// The point of a slot: wall element id of the section's profile at the
// relative place idx; line: the wall line the element lies on.
struct Point {
    double y = 0, z = 0;
    int line = -1;
};
Point SlotPoint(int h, int id, double idx) {
    Point p;
    SektTqe e{};
    if (SEKT_PRO_GetResultTqe(FER_hGetProfile(h), 0, id, &e) != 0) return p;
    p.y = e.ya + idx * (e.ye - e.ya);
    p.z = e.za + idx * (e.ze - e.za);
    p.line = e.line;
    return p;
}

// The wall element of the web (line 2) of a girder built below.
int WebElement(int h) {
    const int n = SEKT_PRO_GetnTqe(FER_hGetProfile(h), 0);
    for (int k = 0; k < n; ++k)
        if (SlotPoint(h, k, 0).line == 2) return k;
    return -1;
}

// A welded I (cm), flange b x tf on its centre line at z 0 (top) and 62.5
// (bottom), web tw from centre line to centre line.
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

// Worn flat rail 80 x 30 mm: b1 8.0 cm, h75 3.0 cm, Iy75 = 8 x 3³/12 = 18.0 cm⁴,
// A75 24 cm², centroid 1.5 cm above its foot; wheel load 150 kN.
FER_VaduLocalInput FlatRail(int rigid, double pad) {
    FER_VaduLocalInput in{};
    in.craneType = 0;
    in.fy = 235;
    in.F = 150;
    in.nAxles = 2;
    in.bRigid = rigid;
    in.railB1 = 8.0;
    in.railH75 = 3.0;
    in.railPad = pad;
    in.railA75 = 24.0;
    in.railIy75 = 18.0;
    in.railE175 = 1.5;
    in.railKOrLoadDist = 8.0;
    in.factor1 = in.factor2 = 0.1;
    return in;
}

// Top flange 300 x 25 mm, web 12 mm. Table 5.1, 5.7.1 eq. (5.1) and (5.2):
//   beff = 80 + 30 + 25 = 135 mm (<= 300); If,eff = 135 x 25³/12 = 175 781 mm⁴;
//   Ir = 180 000 mm⁴.
//   Rigid: common centroid of flange (3375 mm², 12.5 below the flange top) and
//   rail (2400 mm², 15 above): 1.07 mm below the top; Irf = 175 781 +
//   3375 x 11.43² + 180 000 + 2400 x 16.07² = 1 416 495 mm⁴;
//   leff = 3.25 (1 416 495/12)^(1/3) = 159.4 mm; sigma = 150 000/(159.4 x 12) = 78.4.
//   Loose: leff = 3.25 ((180 000 + 175 781)/12)^(1/3) = 100.6 mm; sigma 124.3.
//   Pad 8 mm (>= 6 mm): leff = 4.25 (...)^(1/3) = 131.5 mm; sigma 95.0.
//   Rigid, 100 mm below the flange (45° spread): 150 000/((159.4 + 200) x 12) = 34.8.
//   Flange only 120 mm wide: beff = 120 (capped at b), If = 156 250 mm⁴,
//   leff = 3.25 (336 250/12)^(1/3) = 98.7 mm, sigma = 126.6.
//   Neighbour 150 kN at 80 mm (< leff 100.6, loose): 300 000/((100.6 + 80) x 12)
//   = 138.4 > 124.3; at 200 mm: no effect.
// tau_oxz = 0.2 sigma_oz (5.7.2).
struct TopCase {
    const char* name;
    double b;
    int rigid;
    double pad;
    double depthMm;
    double neighbourKn, spacingM;
    double leff, sigma;
};
const TopCase kTopCases[] = {
    {"rigid", 30.0, 1, 0.0, 0, 0, 0, 159.4, 78.4},
    {"loose", 30.0, 0, 0.0, 0, 0, 0, 100.6, 124.3},
    {"pad 5 mm is no pad", 30.0, 0, 5.0, 0, 0, 0, 100.6, 124.3},
    {"pad 8 mm", 30.0, 0, 8.0, 0, 0, 0, 131.5, 95.0},
    {"rigid 100 mm down", 30.0, 1, 0.0, 100, 0, 0, 159.4, 34.8},
    {"beff capped at b", 12.0, 0, 0.0, 0, 0, 0, 98.7, 126.6},
    {"close neighbour", 30.0, 0, 0.0, 0, 150, 0.08, 100.6, 138.4},
    {"far neighbour", 30.0, 0, 0.0, 0, 150, 0.20, 100.6, 124.3},
};

TEST(VaduLocal, RailOnTopFlangeAgainstHandValues) {
    for (const TopCase& c : kTopCases) {
        SCOPED_TRACE(c.name);
        Girder g(c.b, 2.5, 1.2);
        FER_VaduLocalInput in = FlatRail(c.rigid, c.pad);
        in.Fneighbour = c.neighbourKn;
        in.spacing = c.spacingM;
        FER_VaduLocalSection s{};
        // The point in the web: 100 mm below the flange's underside at
        // z = 1.25 cm, on the web from z 0 to 62.5.
        s.id[0] = WebElement(g.h);
        const Point top = SlotPoint(g.h, s.id[0], 0.0), bottom = SlotPoint(g.h, s.id[0], 1.0);
        s.idx[0] = (1.25 + c.depthMm / 10.0 - top.z) / (bottom.z - top.z);
        s.thickness[0] = 1.2;
        ASSERT_EQ(FER_hCalcVaduLocal(g.h, &in, &s, c.depthMm > 0 ? 1 : 0), 0);
        EXPECT_NEAR(s.sigmaOz, c.sigma, 0.06);
        EXPECT_NEAR(s.tauOxz, 0.2 * c.sigma, 0.02);
        if (c.neighbourKn == 0 && c.depthMm == 0) {
            EXPECT_NEAR(150000.0 / (s.sigmaOz * 12.0), c.leff, 0.06);
        }
    }
}

TEST(VaduLocal, AutomaticPointsOfTheRailCase) {
    Girder g(30.0, 2.5, 1.2);
    FER_VaduLocalInput in = FlatRail(1, 0);
    FER_VaduLocalSection s{};
    for (int i = 0; i < 6; ++i) s.id[i] = 99, s.thickness[i] = 9;
    ASSERT_EQ(FER_hCalcVaduLocal(g.h, &in, &s, 0), 0);
    // Web top: the web's element at its upper end, 1.2 cm.
    const Point web = SlotPoint(g.h, s.id[0], s.idx[0]);
    EXPECT_EQ(web.line, 2);
    EXPECT_NEAR(web.y, 0.0, 1e-12);
    EXPECT_NEAR(web.z, 1.25, 1e-12);  // the web starts at the flange's underside
    EXPECT_EQ(s.thickness[0], 1.2);
    EXPECT_EQ(s.thickness[1], 0.0);
    // Rail-foot edges y = +4 (side 0) and -4 on the top flange (line 0).
    for (int side = 0; side < 2; ++side) {
        const Point p = SlotPoint(g.h, s.id[2 + side], s.idx[2 + side]);
        EXPECT_EQ(p.line, 0);
        EXPECT_NEAR(p.y, side == 0 ? 4.0 : -4.0, 1e-12);
        EXPECT_NEAR(p.z, 0.0, 1e-12);
    }
    EXPECT_EQ(s.thickness[2], 2.5);
    EXPECT_EQ(s.thickness[4], 0.0);
    EXPECT_EQ(s.thickness[5], 0.0);
    EXPECT_NEAR(s.sigmaOz, 78.4, 0.06);
}

// Bottom flange 300 x 20 mm, web 10 mm: b - tw = 290 mm; n = 72.5 mm gives
// mu = 2 x 72.5/290 = 0.5. Wheel load 50 kN: F/tf² = 50/2.0² = 12.5 kN/cm²
// = 125 N/mm². Table 5.2 (parallel flanges) at mu = 0.5:
//   cx0 = 0.050 - 0.290 + 0.148 e^1.5075 = 0.4283    cy0 = -2.110 + 0.9885 + 0.0076 e^3.265 = -0.9225
//   cx1 = 2.230 - 0.745 + 1.390 e^-9.165 = 1.4851    cy1 = 10.108 - 3.704 - 10.108 e^-0.682 = 1.2937
//   cx2 = 0.730 - 0.790 + 2.910 e^-3     = 0.0849    cy2 = 0
struct BottomCase {
    int location;
    double sx, sy;  // N/mm²
};
const BottomCase kBottomCases[] = {
    {0, 0.4283 * 125, -0.9225 * 125},
    {1, 1.4851 * 125, 1.2937 * 125},
    {2, 0.0849 * 125, 0.0},
};

FER_VaduLocalInput Underhung(double neighbour, double spacing) {
    FER_VaduLocalInput in{};
    in.craneType = 1;
    in.fy = 235;
    in.F = 50;
    in.Fneighbour = neighbour;
    in.spacing = spacing;
    in.nAxles = 2;
    in.railKOrLoadDist = 7.25;
    in.factor1 = in.factor2 = 0.1;
    return in;
}

TEST(VaduLocal, BottomFlangeTable52AtEachLocation) {
    Girder g(30.0, 2.0, 1.0);
    FER_VaduLocalInput in = Underhung(0, 0);
    FER_VaduLocalSection s{};
    ASSERT_EQ(FER_hCalcVaduLocal(g.h, &in, &s, 0), 0);
    for (const BottomCase& c : kBottomCases)
        for (int side = 0; side < 2; ++side) {
            SCOPED_TRACE(c.location * 2 + side);
            EXPECT_NEAR(s.A[2 * c.location + side], c.sx, 0.05);
            EXPECT_NEAR(s.B[2 * c.location + side], c.sy, 0.05);
        }
    // The automatic points on the bottom flange (line 1, y from -15 to 15):
    // web faces y = +-0.5, wheel lines +-(15 - 7.25), tips +-15; side 0 at +y.
    const double y[6] = {0.5, -0.5, 7.75, -7.75, 15, -15};
    for (int slot = 0; slot < 6; ++slot) {
        const Point p = SlotPoint(g.h, s.id[slot], s.idx[slot]);
        EXPECT_EQ(p.line, 1) << slot;
        EXPECT_NEAR(p.y, y[slot], 1e-12) << slot;
        EXPECT_NEAR(p.z, 62.5, 1e-12) << slot;
        EXPECT_EQ(s.thickness[slot], 2.0);
    }
}

TEST(VaduLocal, BottomFlangeNeighbourWheel) {
    Girder g(30.0, 2.0, 1.0);
    // 1.5 b = 450 mm: a neighbour at 0.5 m adds nothing; at 0.3 m its 30 kN
    // are superposed: (50 + 30)/50 of the single-wheel stresses.
    for (double spacing : {0.5, 0.3}) {
        FER_VaduLocalInput in = Underhung(30, spacing);
        FER_VaduLocalSection s{};
        ASSERT_EQ(FER_hCalcVaduLocal(g.h, &in, &s, 0), 0);
        const double f = spacing < 0.45 ? 80.0 / 50.0 : 1.0;
        EXPECT_NEAR(s.A[2], 1.4851 * 125 * f, 0.05 * f);
        EXPECT_NEAR(s.B[0], -0.9225 * 125 * f, 0.05 * f);
    }
}

TEST(VaduLocal, GivenPointsKeepTheirSlotsAndEmptySlotsStayZero) {
    Girder g(30.0, 2.0, 1.0);
    FER_VaduLocalInput in = Underhung(0, 0);
    FER_VaduLocalSection s{};
    s.id[2] = 1, s.idx[2] = 0.3, s.thickness[2] = 2.0;  // only the wheel line, side 0
    ASSERT_EQ(FER_hCalcVaduLocal(g.h, &in, &s, 1), 0);
    EXPECT_EQ(s.idx[2], 0.3);
    EXPECT_NEAR(s.A[2], 1.4851 * 125, 0.05);
    for (int slot : {0, 1, 3, 4, 5}) EXPECT_EQ(s.A[slot], 0.0);
}

TEST(VaduLocal, SectionWithoutWebGivesZeros) {
    const int h = FER_hStartOnTheFly("EC", 1, 1.0, 1.1, 1.25);
    FER_hAddLine(h, 0, -15, 0, 15, 0, 2.5, 2.5, 0, 0, 0, 0);
    FER_hCalculate(h);
    FER_VaduLocalInput in = FlatRail(1, 0);
    FER_VaduLocalSection s{};
    EXPECT_EQ(FER_hCalcVaduLocal(h, &in, &s, 0), 0);
    EXPECT_EQ(s.sigmaOz, 0.0);
    FER_hClose(h);
}

}  // namespace
