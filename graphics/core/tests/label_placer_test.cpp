// Label bands pushed outwards level by level; overlap of two bands decided
// exactly on their regions.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/core/LabelPlacer.h"

namespace {

CLabelOutline Quad(LabelPoint a, LabelPoint b, LabelPoint c, LabelPoint d) { return CLabelOutline({a, b, c, d}); }

// A band of a horizontal stretch from x to x + 10 (P1, P3 inner at y = 0,
// P2, P4 outer at y = 10), in the corner order of the placer.
CLabelOutline Band(int64_t x) { return Quad({x, 0}, {x, 10}, {x + 10, 0}, {x + 10, 10}); }

}  // namespace

TEST(LabelOutline, OverlapMeansSharedArea) {
    struct Case {
        const char* what;
        CLabelOutline a, b;
        bool overlap;
    };
    const Case cases[] = {
        {"same corners", Band(0), Band(0), true},
        {"shifted by 3", Band(0), Band(3), true},
        {"sharing an edge only", Band(0), Band(10), false},
        {"apart", Band(0), Band(25), false},
        {"degenerate (two corners equal)", Quad({0, 0}, {0, 0}, {10, 0}, {10, 10}), Band(0), false},
        // In stored order the corners cross: the region is two triangles
        // meeting at (5, 5); a small square at (5, 1) lies between them.
        {"inside the crossing order's gap", Band(0), Quad({4, 1}, {4, 2}, {6, 1}, {6, 2}), false},
        {"inside one triangle", Band(0), Quad({1, 4}, {1, 6}, {2, 4}, {2, 6}), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.Overlaps(c.b), c.overlap) << c.what;
        EXPECT_EQ(c.b.Overlaps(c.a), c.overlap) << c.what << " (reversed)";
    }
}

TEST(LabelPlacer, LevelsAndDistances) {
    // Stretch A = (0, 0), B = (10, 0), L = 10; d0 in 1/10,000 units.
    CLabelPlacer p;
    EXPECT_DOUBLE_EQ(p.Place(1, 0, 0, 10, 0, 10, 2, 4, 0.5, 1, 1000), 0.1) << "first label at d0";
    EXPECT_DOUBLE_EQ(p.Place(1, 0, 0, 10, 0, 10, 2, 4, 0.5, 1, 1000), 0.6) << "same stretch: d0 + t";
    EXPECT_EQ(p.Level(1), 2);
    EXPECT_DOUBLE_EQ(p.Place(1, 0, 0, 10, 0, 10, 4, 6, 0.5, 1, 1000), 0.1) << "neighbour sharing an edge";

    // A band of height 1 on level 1; a band of height 0.5 over the same
    // stretch goes to level 2 at 0.5, inside the first band's height, since
    // level 2 is not compared with level 1.
    CLabelPlacer q;
    EXPECT_DOUBLE_EQ(q.Place(1, 0, 0, 10, 0, 10, 2, 4, 1.0, 1, 0), 0.0);
    EXPECT_DOUBLE_EQ(q.Place(1, 0, 0, 10, 0, 10, 2, 4, 0.5, 1, 0), 0.5);
    EXPECT_DOUBLE_EQ(q.Place(1, 0, 0, 10, 0, 10, 2, 4, 0.5, 1, 0), 1.0);

    // A zero-length stretch is degenerate and never overlaps.
    CLabelPlacer z;
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(z.Place(1, 0, 0, 10, 0, 10, 3, 3, 0.5, 1, 200), 0.02);
    EXPECT_EQ(z.Level(2), 1);
}

TEST(LabelPlacer, CornersBySide) {
    // Stretch x 2..4 m, height 0.5: corners in hundredths (x 200..400, h 50).
    CLabelPlacer plus, minus;
    plus.Place(1, 0, 0, 10, 0, 10, 2, 4, 0.5, 1, 0);
    minus.Place(1, 0, 0, 10, 0, 10, 2, 4, 0.5, -1, 0);
    const std::array<LabelPoint, 4> p = {{{200, 0}, {200, -50}, {400, 0}, {400, -50}}};
    const std::array<LabelPoint, 4> m = {{{200, 50}, {200, 0}, {400, 50}, {400, 0}}};
    EXPECT_EQ(plus.Outline(0).Corners(), p);
    EXPECT_EQ(minus.Outline(0).Corners(), m) << "side -1: P1<->P2 and P3<->P4";
    EXPECT_DOUBLE_EQ(minus.PlaceOnRange(0, 10, 4, 2, 0.5, 0), 0.0) << "other side, first level";
}

TEST(LabelPlacer, HorizontalCodeLimitsWidthsOnFlatStretches) {
    CLabelPlacer p;
    p.Place(3, 0, 0, 10, 0.01, 10, 2, 4, 0.5, 1, 0);
    const auto& c = p.Outline(0).Corners();
    // Height 0.5 = 50 hundredths; the width may reach 1.3 x 50 (+1 rounding).
    EXPECT_LE(std::llabs(c[1].x - c[0].x), 66);
    EXPECT_LE(std::llabs(c[3].x - c[2].x), 66);
    EXPECT_GE(std::llabs(c[1].x - c[0].x), 64);
}
