// Planar regions: validation, orientation, containment, crossings, centroid.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/Geometry.h"

namespace {
void ExpectPoint(const CPoint3D& p, double x, double y, double z, double tol = 1e-9)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

CPlanarRegion Region(const CCoordSystem3D& system, std::vector<std::pair<double, double>> corners)
{
    std::vector<double> xs, ys;
    for (const auto& c : corners) {
        xs.push_back(c.first);
        ys.push_back(c.second);
    }
    CPlanarRegion r;
    r.Set(system, xs.data(), ys.data(), static_cast<int>(corners.size()));
    return r;
}

const std::vector<std::pair<double, double>> kUnitSquare = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

TEST(Region, ValidationTable)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> corners;
        int valid;
        int count;
        double area;
    };
    const Case cases[] = {
        {"unit square", kUnitSquare, 1, 4, 1},
        {"clockwise square", {{0, 1}, {1, 1}, {1, 0}, {0, 0}}, 1, 4, 1},
        {"repeated corner", {{0, 0}, {1, 0}, {1, 0}, {1, 1}}, 1, 3, 0.5},
        {"last repeats first", {{0, 0}, {2, 0}, {0, 2}, {0, 0}}, 1, 3, 2},
        {"bow tie", {{0, 0}, {1, 1}, {1, 0}, {0, 1}}, 0, 4, 0},
        {"collinear", {{0, 0}, {1, 0}, {2, 0}}, 0, 3, 0},
        {"two corners", {{0, 0}, {1, 0}}, 0, 2, 0},
        {"one corner repeated", {{0, 0}, {0, 0}, {0, 0}}, 0, 2, 0},
        {"folding back", {{0, 0}, {2, 0}, {1, 0}, {1, 1}}, 0, 4, 0},
        {"straight corner kept", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {0, 1}}, 1, 5, 2},
        {"L shape", {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 1, 6, 3},
        {"touching itself", {{0, 0}, {2, 0}, {2, 2}, {1, 0}, {0, 2}}, 0, 5, 0},
        {"crossing far edges", {{0, 0}, {4, 0}, {4, 2}, {2, -1}, {0, 2}}, 0, 5, 0},
        {"not a number", {{0, 0}, {1, NAN}, {1, 1}}, 0, 3, 0},
    };
    for (const Case& c : cases) {
        const CPlanarRegion r = Region(g_GeoPlaneXY, c.corners);
        EXPECT_EQ(r.IsValid(), c.valid) << c.name;
        EXPECT_EQ(r.IsEmpty(), c.valid ? 0 : 1) << c.name;
        EXPECT_EQ(r.GetCornerCount(), c.count) << c.name;
        if (c.valid) {
            EXPECT_NEAR(r.SignedArea(), c.area, 1e-12) << c.name << ": counter-clockwise after validation";
        }
    }
    EXPECT_FALSE(Region(g_GeoNullSystem, kUnitSquare).IsValid());
    EXPECT_FALSE(CPlanarRegion().IsValid());
    EXPECT_EQ(CPlanarRegion().GetType(), static_cast<uint32_t>(GEO_PLANARREGION));
}

TEST(Region, ClockwiseCornersAreReversed)
{
    const CPlanarRegion r = Region(g_GeoPlaneXY, {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    ExpectPoint(r.Corner(0), 0, 0, 0);
    ExpectPoint(r.Corner(1), 1, 0, 0);
    ExpectPoint(r.Corner(2), 1, 1, 0);
    ExpectPoint(r.Corner(3), 0, 1, 0);
    ExpectPoint(r.Corner(4), 0, 0, 0);  // wraps to the first
    ExpectPoint(r.Corner(17), 0, 0, 0);
}

TEST(Region, ContainsLocalWindingTable)
{
    const CPlanarRegion square = Region(g_GeoPlaneXY, kUnitSquare);
    // A concave region: the L shape.
    const CPlanarRegion ell = Region(g_GeoPlaneXY, {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
    // A triangle whose edges jump diagonally past many points.
    const CPlanarRegion tri = Region(g_GeoPlaneXY, {{0, 0}, {4, 1}, {1, 3}});
    struct Case {
        const CPlanarRegion* r;
        double x, y;
        int inside;
    };
    const Case cases[] = {
        {&square, 0.5, 0.5, 1}, {&square, 2, 0.5, 0},   {&square, 1, 0.5, 1},   {&square, 0, 0, 1},
        {&square, -0.5, 0.5, 0}, {&square, 0.5, 1.0000001, 1}, {&square, 0.5, 1.01, 0},
        {&ell, 0.5, 1.5, 1},    {&ell, 1.5, 0.5, 1},    {&ell, 1.5, 1.5, 0},    {&ell, 1, 1.5, 1},
        {&ell, 3, 3, 0},        {&tri, 1.5, 1.5, 1},    {&tri, 3, 2, 0},        {&tri, 0.5, 2, 0},
        {&tri, 2, 0.6, 1},      {&tri, 2, 0.4, 0},      {&tri, 2.5, 2, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.r->ContainsLocal(c.x, c.y), c.inside) << c.x << "," << c.y;
    // Against a brute-force test on a grid (points off the boundary): the
    // triangle contains a point when it lies left of all three edges.
    for (double x = -0.55; x < 4.5; x += 0.1)
        for (double y = -0.55; y < 3.5; y += 0.1) {
            // Signed distance left of the edge a -> b.
            auto left = [x, y](double ax, double ay, double bx, double by) {
                return ((bx - ax) * (y - ay) - (by - ay) * (x - ax)) / std::hypot(bx - ax, by - ay);
            };
            const double d[3] = {left(0, 0, 4, 1), left(4, 1, 1, 3), left(1, 3, 0, 0)};
            if (std::fabs(d[0]) < 1e-3 || std::fabs(d[1]) < 1e-3 || std::fabs(d[2]) < 1e-3)
                continue;  // on the boundary, which counts as inside
            const bool in = d[0] > 0 && d[1] > 0 && d[2] > 0;
            EXPECT_EQ(tri.ContainsLocal(x, y), in ? 1 : 0) << x << "," << y;
        }
    EXPECT_EQ(CPlanarRegion().ContainsLocal(0, 0), 0);
}

TEST(Region, ContainsInTheRegionsPlane)
{
    // The unit square in the ZX plane at y = 3: local x along z, local y along x.
    const CCoordSystem3D zx(1, CPoint3D(0, 3, 0));
    const CPlanarRegion r = Region(zx, kUnitSquare);
    EXPECT_EQ(r.Contains(CPoint3D(0.5, 3, 0.5)), 1);
    EXPECT_EQ(r.Contains(CPoint3D(0.5, 3, 1.5)), 0);
    EXPECT_EQ(r.Contains(CPoint3D(0.5, 3.1, 0.5)), 0);  // off the plane
    ExpectPoint(r.GlobalCorner(1), 0, 3, 1);
    ExpectPoint(r.GetCenter(), 0.5, 3, 0.5);
    double t = -1;
    ASSERT_EQ(r.PointParameter(CPoint3D(0, 3, 0.25), t, 0), 1);
    EXPECT_NEAR(t, 0.25, 1e-12);
    ASSERT_EQ(r.PointParameter(CPoint3D(0.75, 3, 1), t, 0), 1);
    EXPECT_NEAR(t, 0.75, 1e-12);  // on the second edge, from (0, 3, 1) to (1, 3, 1)
    EXPECT_EQ(r.PointParameter(CPoint3D(0.5, 3, 0.5), t, 0), 0);
}

TEST(Region, SetFromGlobalPoints)
{
    const CCoordSystem3D plane(CVector3D(1, 1, 1), CVector3D(0, 1, 0), CVector3D(0, 0, 1));
    CPlanarRegion r;
    r.Set(plane, std::vector<CPoint3D>{CPoint3D(1, 1, 1), CPoint3D(1, 3, 1), CPoint3D(1, 3, 4)});
    ASSERT_TRUE(r.IsValid());
    EXPECT_NEAR(r.SignedArea(), 3.0, 1e-12);
    ExpectPoint(r.GetCenter(), 1, 1 + 4.0 / 3, 1 + 1);
    CPlanarRegion bad;
    bad.Set(g_GeoNullSystem, std::vector<CPoint3D>{CPoint3D(0, 0, 0), CPoint3D(1, 0, 0), CPoint3D(0, 1, 0)});
    EXPECT_FALSE(bad.IsValid());
    CPlanarRegion none;
    none.Set(g_GeoPlaneXY, static_cast<const CPoint3D*>(nullptr), 3);
    EXPECT_FALSE(none.IsValid());
}

TEST(Region, Centroids)
{
    struct Case {
        std::vector<std::pair<double, double>> corners;
        double cx, cy;
    };
    const Case cases[] = {
        {kUnitSquare, 0.5, 0.5},
        {{{0, 0}, {3, 0}, {0, 3}}, 1, 1},
        {{{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 5.0 / 6, 5.0 / 6},  // L: 2 at (1, 0.5) and 1 at (0.5, 1.5)
        {{{1, 1}, {5, 1}, {5, 3}, {1, 3}}, 3, 2},
    };
    for (const Case& c : cases)
        ExpectPoint(Region(g_GeoPlaneXY, c.corners).GetCenter(), c.cx, c.cy, 0);
    ExpectPoint(Region(CCoordSystem3D(0, CPoint3D(0, 0, 2)), kUnitSquare).GetCenter(), 0.5, 0.5, 2);
    ExpectPoint(CPlanarRegion().GetCenter(), 0, 0, 0);
}

TEST(Region, LineIntersections)
{
    const CPlanarRegion square = Region(g_GeoPlaneXY, kUnitSquare);
    struct Case {
        const char* name;
        GeoLine line;
        std::vector<CPoint3D> points;
    };
    const Case cases[] = {
        {"across", GeoLine(CPoint3D(-1, 0.5, 0), CVector3D(1, 0, 0)), {CPoint3D(1, 0.5, 0), CPoint3D(0, 0.5, 0)}},
        {"through a corner", GeoLine(CPoint3D(-1, 1, 0), CVector3D(1, -1, 0)), {CPoint3D(0, 0, 0)}},
        {"diagonal", GeoLine(CPoint3D(-1, -1, 0), CVector3D(1, 1, 0)), {CPoint3D(0, 0, 0), CPoint3D(1, 1, 0)}},
        {"miss", GeoLine(CPoint3D(-1, 3, 0), CVector3D(1, 0, 0)), {}},
        {"along an edge", GeoLine(CPoint3D(-1, 0, 0), CVector3D(1, 0, 0)), {CPoint3D(1, 0, 0), CPoint3D(0, 0, 0)}},
    };
    for (const Case& c : cases) {
        std::vector<CPoint3D> pts = {CPoint3D(9, 9, 9)};
        EXPECT_EQ(square.LineIntersections(c.line, pts), static_cast<int>(c.points.size())) << c.name;
        ASSERT_EQ(pts.size(), c.points.size()) << c.name;  // the array is emptied first
        for (const CPoint3D& want : c.points) {
            bool found = false;
            for (const CPoint3D& p : pts)
                found = found || p == want;
            EXPECT_TRUE(found) << c.name;
        }
    }
    std::vector<CPoint3D> pts;
    EXPECT_EQ(square.LineIntersections(g_GeoNullLine, pts), 0);
    EXPECT_EQ(CPlanarRegion().LineIntersections(cases[0].line, pts), 0);
}

TEST(Region, CopiesRevalidate)
{
    const CPlanarRegion r = Region(g_GeoPlaneXY, {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    CPlanarRegion c = r;
    EXPECT_TRUE(c.IsValid());
    EXPECT_EQ(c.Coordinates(), r.Coordinates());
    CPlanarRegion d;
    d = r;
    EXPECT_TRUE(d.IsValid());
    EXPECT_NEAR(d.SignedArea(), 1.0, 1e-12);
}
}  // namespace
