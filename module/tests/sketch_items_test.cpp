// Sketch item identifiers, snapping in the section plane and the drag of a
// node support over the field lengths.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "module/SnapPoints.h"

TEST(SketchItems, IdentifiersRoundTrip) {
    const SketchItemCounts c{3, 2, 1, 2};
    struct Case {
        int32_t id;
        int kind, index;
    };
    const Case cases[] = {{1, 0, 0},  {2, 3, 0},  {3, 1, 0},  {4, 2, 0},  {5, 3, 1},  {13, 2, 3},
                          {14, 4, 0}, {15, 4, 1}, {16, 5, 0}, {17, 6, 0}, {18, 6, 1}};
    for (const Case& k : cases) {
        int kind = -1, index = -1;
        ASSERT_TRUE(ParseSketchItemId(c, k.id, kind, index)) << k.id;
        EXPECT_EQ(kind, k.kind) << k.id;
        EXPECT_EQ(index, k.index) << k.id;
        EXPECT_EQ(GetSketchItemId(c, kind, index), k.id);
    }
    int kind = 0, index = 0;
    EXPECT_FALSE(ParseSketchItemId(c, 0, kind, index));
    EXPECT_FALSE(ParseSketchItemId(c, 19, kind, index));
    EXPECT_EQ(GetSketchItemId(c, 7, 0), 0);
    EXPECT_EQ(GetSketchItemId(c, 4, 2), 0) << "only two springs";
}

TEST(SnapPoints, PointsGridAndNothing) {
    CSnapPoints s;
    double x = 9, y = 9;
    EXPECT_EQ(s.Snap(0.3, -0.2, x, y), 0);
    EXPECT_EQ(x, 0.3);
    EXPECT_EQ(y, -0.2);

    s.AddPoint(1.0, 0.05, 7);
    s.AddPoint(1.0, -0.05, 8);
    EXPECT_EQ(s.Snap(1.0, 0.0, x, y), 7) << "the first of equal distances";
    EXPECT_EQ(y, 0.05);
    EXPECT_EQ(s.Snap(1.2, 0.0, x, y), 0) << "farther than 0.1";

    s.Clear();
    s.m_dGrid = 0.5;
    EXPECT_EQ(s.Snap(0.25, -0.25, x, y), 1);
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(y, -0.5) << "halves round away from zero";
}

TEST(SketchDrag, NodeSupportMovesOnTheStep) {
    // Fields of 6 m and 5 m, step 0.05 m.
    std::vector<double> lengths = {0, 6.0, 5.0}, running = lengths;
    ASSERT_TRUE(DragNodeSupportLengths(lengths, running, 1, 0.12, 0.05));
    EXPECT_NEAR(lengths[1], 6.10, 1e-12);
    EXPECT_NEAR(lengths[2], 4.90, 1e-12) << "the next node stays";
    ASSERT_TRUE(DragNodeSupportLengths(lengths, running, 1, 0.02, 0.05));
    EXPECT_NEAR(running[1], 6.14, 1e-12);
    EXPECT_NEAR(lengths[1], 6.15, 1e-12);
    EXPECT_NEAR(lengths[2], 4.85, 1e-12);

    EXPECT_FALSE(DragNodeSupportLengths(lengths, running, 0, 0.5, 0.05)) << "node 0 never moves";
    running = lengths;  // a click on the last node's support copies the lengths
    ASSERT_TRUE(DragNodeSupportLengths(lengths, running, 2, 0.3, 0.05));
    EXPECT_NEAR(lengths[2], 5.15, 1e-12);
    EXPECT_NEAR(lengths[1], 6.15, 1e-12) << "the last node changes only the last field";

    // A field that would become zero or negative: refused, nothing changes.
    const std::vector<double> before = lengths, runningBefore = running;
    EXPECT_FALSE(DragNodeSupportLengths(lengths, running, 1, -6.2, 0.05));
    EXPECT_FALSE(DragNodeSupportLengths(lengths, running, 1, 5.2, 0.05));
    EXPECT_EQ(lengths, before);
    EXPECT_EQ(running, runningBefore);

    // Step 0: no rounding, no NaN.
    std::vector<double> l = {0, 6.0, 5.0}, r = l;
    ASSERT_TRUE(DragNodeSupportLengths(l, r, 1, 0.123, 0.0));
    EXPECT_NEAR(l[1], 6.123, 1e-12);
    for (double v : l) EXPECT_TRUE(std::isfinite(v));
    EXPECT_DOUBLE_EQ(RoundToStep(1.234, 0), 1.234);
    EXPECT_DOUBLE_EQ(RoundToStep(1.234, -1), 1.234);
}
