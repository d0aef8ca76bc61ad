// Planar arcs and polylines with arc segments.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/Geometry.h"

namespace {
constexpr double kPi = std::numbers::pi;

void ExpectPoint(const CPoint3D& p, double x, double y, double z, double tol = 1e-9)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

void ExpectPoint(const CPoint3D& p, const CPoint3D& q, double tol = 1e-9) { ExpectPoint(p, q.x, q.y, q.z, tol); }

CPlanarArc Arc(const CCoordSystem3D& system, double r, double start, double sweep)
{
    CPlanarArc a;
    a.Set(system, r, start, sweep);
    return a;
}

// ---------------------------------------------------------------- arcs

TEST(Arc, SetNormalisesRadiusAndAngles)
{
    struct Case {
        double r, start, sweep;
        double er, estart, esweep;
    };
    const Case cases[] = {
        {2, 0, 0, 2, 0, 2 * kPi},
        {-2, -kPi / 2, kPi, 2, 1.5 * kPi, kPi},
        {1, 2 * kPi + 0.5, 2 * kPi, 1, 0.5, 2 * kPi},
        {3, 7, -kPi / 2, 3, 7 - 2 * kPi, 1.5 * kPi},
        {1, 0, 1e-7, 1, 0, 2 * kPi},
    };
    for (const Case& c : cases) {
        const CPlanarArc a = Arc(g_GeoPlaneXY, c.r, c.start, c.sweep);
        EXPECT_NEAR(a.GetRadius(), c.er, 1e-12);
        EXPECT_NEAR(a.GetStart(), c.estart, 1e-12);
        EXPECT_NEAR(a.GetSweep(), c.esweep, 1e-12);
    }
    CPlanarArc a = Arc(g_GeoPlaneXY, 2, 0, 0);
    EXPECT_TRUE(a.IsFullCircle());
    EXPECT_FALSE(Arc(g_GeoPlaneXY, 2, 0, kPi).IsFullCircle());
    EXPECT_EQ(a.GetType(), static_cast<uint32_t>(GEO_PLANARARC));
    CPlanarArc b;
    b.Set(CPoint3D(1, 0, 0), CPoint3D(2, 0, 0), CPoint3D(1, 1, 0), 1, kPi, kPi);
    ExpectPoint(b.StartPoint(), 0, 0, 0);
    CPlanarArc c;
    c.Set(b);
    ExpectPoint(c.PointAt(kPi / 2), 1, -1, 0);
}

TEST(Arc, Emptiness)
{
    EXPECT_TRUE(CPlanarArc().IsEmpty());
    EXPECT_TRUE(Arc(g_GeoPlaneXY, 1e-6, 0, 1).IsEmpty());
    EXPECT_TRUE(Arc(g_GeoNullSystem, 1, 0, 1).IsEmpty());
    EXPECT_FALSE(Arc(g_GeoPlaneXY, 2e-6, 0, 1).IsEmpty());
    // The bare planar element answers no to everything.
    const CPlanarElement e;
    double t;
    std::vector<CPoint3D> pts;
    EXPECT_EQ(e.IsEmpty(), 0);
    EXPECT_EQ(e.PointParameter(CPoint3D(), t, 0), 0);
    EXPECT_EQ(e.LineIntersections(GeoLine(CPoint3D(0, 0, 0), CPoint3D(1, 0, 0)), pts), 0);
    EXPECT_EQ(e.Contains(CPoint3D()), 0);
    EXPECT_EQ(e.GetType(), static_cast<uint32_t>(GEO_PLANARELEMENT));
}

TEST(Arc, PointsInItsOwnPlane)
{
    // In the ZX plane (first axis z, second axis x) about (1, 2, 3).
    const CPlanarArc a = Arc(CCoordSystem3D(1, CPoint3D(1, 2, 3)), 2, kPi / 2, kPi);
    ExpectPoint(a.StartPoint(), 3, 2, 3);  // local (0, 2) = x + 2
    ExpectPoint(a.PointAt(kPi / 2), 1, 2, 1);
    ExpectPoint(a.GetCenter(), 1, 2, 3);
}

TEST(Arc, AngleOfPoint)
{
    const CPlanarArc quarter = Arc(g_GeoPlaneXY, 1, 0, kPi / 2);
    struct Case {
        CPoint3D p;
        int onArc, ok;
        double angle;
    };
    const double e = 5e-7;
    const Case cases[] = {
        {CPoint3D(std::cos(kPi / 4), std::sin(kPi / 4), 0), 1, 1, kPi / 4},
        {CPoint3D(-1, 0, 0), 1, 0, 0},
        {CPoint3D(-1, 0, 0), 0, 1, kPi},
        {CPoint3D(std::cos(-e), std::sin(-e), 0), 1, 1, 2 * kPi - e},  // treated as the start
        {CPoint3D(1.1, 0, 0), 0, 0, 0},                                 // off the circle
        {CPoint3D(1, 0, 0.1), 0, 0, 0},                                 // off the plane
        {CPoint3D(0, 0, 0), 0, 0, 0},
    };
    for (const Case& c : cases) {
        double a = -1;
        EXPECT_EQ(quarter.AngleOfPoint(c.p, a, c.onArc), c.ok);
        if (c.ok)
            EXPECT_NEAR(a, c.angle, 1e-9);
        else
            EXPECT_EQ(a, -1);
        double t = -1;
        EXPECT_EQ(quarter.PointParameter(c.p, t, c.onArc), c.ok);
    }
    // Measured from the start.
    double a;
    ASSERT_EQ(Arc(g_GeoPlaneXY, 1, kPi / 2, kPi).AngleOfPoint(CPoint3D(-1, 0, 0), a, 1), 1);
    EXPECT_NEAR(a, kPi / 2, 1e-12);
}

TEST(Arc, ContainsTheFullDisc)
{
    const CPlanarArc a = Arc(CCoordSystem3D(0, CPoint3D(0, 0, 1)), 2, 0, kPi / 2);
    EXPECT_EQ(a.Contains(CPoint3D(1, 1, 1)), 1);
    EXPECT_EQ(a.Contains(CPoint3D(-1, -1, 1)), 1);  // outside the sweep, inside the disc
    EXPECT_EQ(a.Contains(CPoint3D(2, 0, 1)), 1);
    EXPECT_EQ(a.Contains(CPoint3D(2.1, 0, 1)), 0);
    EXPECT_EQ(a.Contains(CPoint3D(1, 1, 0)), 0);
    EXPECT_EQ(CPlanarArc().Contains(CPoint3D()), 0);
}

TEST(Arc, ThroughThreePoints)
{
    struct Case {
        const char* name;
        CPoint3D p1, p2, p3;
        CPoint3D centre;
        double r, sweep;
    };
    const Case cases[] = {
        {"counter-clockwise half", CPoint3D(1, 0, 0), CPoint3D(0, 1, 0), CPoint3D(-1, 0, 0), CPoint3D(0, 0, 0), 1, kPi},
        {"clockwise half", CPoint3D(-1, 0, 0), CPoint3D(0, 1, 0), CPoint3D(1, 0, 0), CPoint3D(0, 0, 0), 1, kPi},
        {"three quarters", CPoint3D(3, 1, 0), CPoint3D(1, 3, 0), CPoint3D(1, -1, 0), CPoint3D(1, 1, 0), 2, 1.5 * kPi},
        {"clockwise quarter", CPoint3D(1, 3, 0), CPoint3D(1 + std::sqrt(2.0), 1 + std::sqrt(2.0), 0), CPoint3D(3, 1, 0),
         CPoint3D(1, 1, 0), 2, kPi / 2},
    };
    for (const Case& c : cases) {
        CPlanarArc a;
        ASSERT_EQ(a.SetThroughPoints(g_GeoPlaneXY, c.p1, c.p2, c.p3), 1) << c.name;
        ExpectPoint(a.GetCenter(), c.centre);
        EXPECT_NEAR(a.GetRadius(), c.r, 1e-9) << c.name;
        EXPECT_NEAR(a.GetSweep(), c.sweep, 1e-9) << c.name;
        double t;
        for (const CPoint3D& p : {c.p1, c.p2, c.p3})
            EXPECT_EQ(a.AngleOfPoint(p, t, 1), 1) << c.name << ": every point lies on the arc";
    }
    // Points in space with no system given: their own plane.
    CPlanarArc a;
    ASSERT_EQ(a.SetThroughPoints(g_GeoNullSystem, CPoint3D(1, 0, 5), CPoint3D(0, 1, 5), CPoint3D(-1, 0, 5)), 1);
    ExpectPoint(a.GetCenter(), 0, 0, 5);
    EXPECT_NEAR(a.GetRadius(), 1, 1e-9);
    CPlanarArc b = a;
    EXPECT_EQ(b.SetThroughPoints(g_GeoPlaneXY, CPoint3D(0, 0, 0), CPoint3D(1, 1, 0), CPoint3D(2, 2, 0)), 0);
    EXPECT_EQ(b.SetThroughPoints(g_GeoNullSystem, CPoint3D(0, 0, 0), CPoint3D(1, 1, 0), CPoint3D(2, 2, 0)), 0);
    ExpectPoint(b.GetCenter(), 0, 0, 5);  // unchanged
}

TEST(Arc, CrossLine)
{
    const CPlanarArc c = Arc(g_GeoPlaneXY, 2, 0, 0);
    struct Case {
        const char* name;
        GeoLine line;
        std::vector<CPoint3D> points;
    };
    const Case cases[] = {
        {"through the centre", GeoLine(CPoint3D(-5, 0, 0), CPoint3D(5, 0, 0)), {CPoint3D(-2, 0, 0), CPoint3D(2, 0, 0)}},
        {"secant", GeoLine(CPoint3D(1, -5, 0), CVector3D(0, 1, 0)),
         {CPoint3D(1, -std::sqrt(3.0), 0), CPoint3D(1, std::sqrt(3.0), 0)}},
        {"tangent", GeoLine(CPoint3D(-3, 2, 0), CVector3D(1, 0, 0)), {CPoint3D(0, 2, 0)}},
        {"miss", GeoLine(CPoint3D(-3, 2.5, 0), CVector3D(1, 0, 0)), {}},
        {"piercing on the circle", GeoLine(CPoint3D(0, 2, -1), CVector3D(0, 0, 1)), {CPoint3D(0, 2, 0)}},
        {"piercing inside", GeoLine(CPoint3D(0, 1, -1), CVector3D(0, 0, 1)), {}},
        {"parallel above", GeoLine(CPoint3D(-5, 0, 1), CVector3D(1, 0, 0)), {}},
    };
    for (const Case& k : cases) {
        std::vector<CPoint3D> pts;
        EXPECT_EQ(c.CrossLine(k.line, pts), static_cast<int>(k.points.size())) << k.name;
        ASSERT_EQ(pts.size(), k.points.size()) << k.name;
        for (size_t i = 0; i < pts.size(); ++i)
            ExpectPoint(pts[i], k.points[i]);
    }
    // The arc's own crossings keep only points on the arc.
    const CPlanarArc upper = Arc(g_GeoPlaneXY, 2, 0, kPi);
    std::vector<CPoint3D> pts = {CPoint3D(9, 9, 9)};
    EXPECT_EQ(upper.LineIntersections(GeoLine(CPoint3D(1, -5, 0), CVector3D(0, 1, 0)), pts), 1);
    ASSERT_EQ(pts.size(), 2u);  // appended
    ExpectPoint(pts[1], 1, std::sqrt(3.0), 0);
}

TEST(Arc, CrossCircle)
{
    const CPlanarArc a = Arc(g_GeoPlaneXY, 1, 0, 0);
    struct Case {
        const char* name;
        CPlanarArc other;
        int count;
        std::vector<CPoint3D> points;
    };
    const double h = std::sqrt(3.0) / 2;
    const Case cases[] = {
        {"two crossings", Arc(CCoordSystem3D(0, CPoint3D(1, 0, 0)), 1, 0, 0), 2,
         {CPoint3D(0.5, -h, 0), CPoint3D(0.5, h, 0)}},
        {"touching", Arc(CCoordSystem3D(0, CPoint3D(0, 3, 0)), 2, 0, 0), 1, {CPoint3D(0, 1, 0)}},
        {"apart", Arc(CCoordSystem3D(0, CPoint3D(5, 0, 0)), 1, 0, 0), 0, {}},
        {"concentric", Arc(g_GeoPlaneXY, 2, 0, 0), 0, {}},
        {"other plane", Arc(CCoordSystem3D(1, CPoint3D(1, 0, 0)), 1, 0, 0), 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<CPoint3D> pts;
        EXPECT_EQ(a.CrossCircle(c.other, pts), c.count) << c.name;
        ASSERT_EQ(pts.size(), c.points.size()) << c.name;
        for (const CPoint3D& want : c.points) {
            bool found = false;
            for (const CPoint3D& p : pts)
                found = found || p == want;
            EXPECT_TRUE(found) << c.name;
        }
    }
}

TEST(Arc, NearestCrossingToStartOrEnd)
{
    const CPlanarArc upper = Arc(g_GeoPlaneXY, 1, 0, kPi);  // from (1, 0) to (-1, 0)
    const double s = std::sqrt(0.75);
    CPoint3D p;
    ASSERT_EQ(upper.NearestCrossing(GeoLine(CPoint3D(-3, 0.5, 0), CVector3D(1, 0, 0)), p, 0), 1);
    ExpectPoint(p, -s, 0.5, 0);  // nearer to the end
    ASSERT_EQ(upper.NearestCrossing(GeoLine(CPoint3D(-3, 0.5, 0), CVector3D(1, 0, 0)), p, 1), 1);
    ExpectPoint(p, s, 0.5, 0);  // nearer to the start
    ASSERT_EQ(upper.NearestCrossing(GeoLine(CPoint3D(-3, -0.5, 0), CVector3D(1, 0, 0)), p, 0), 1);
    ExpectPoint(p, -s, -0.5, 0);  // measured the short way round
    // A tangent point exactly between start and end is nearer to neither.
    CPoint3D q(7, 7, 7);
    EXPECT_EQ(upper.NearestCrossing(GeoLine(CPoint3D(-3, 1, 0), CVector3D(1, 0, 0)), q, 0), 0);
    ExpectPoint(q, 7, 7, 7, 0.0);
    // The unit circle about (1, 1) crosses at (1, 0), the start, and (0, 1),
    // halfway: only the first is nearer to one end.
    const CPlanarArc other = Arc(CCoordSystem3D(0, CPoint3D(1, 1, 0)), 1, 0, 0);
    ASSERT_EQ(upper.NearestCrossing(other, p, 1), 1);
    ExpectPoint(p, 1, 0, 0);
    EXPECT_EQ(upper.NearestCrossing(other, p, 0), 0);
}

TEST(Arc, DistancesAndProjections)
{
    const CPlanarArc c = Arc(g_GeoPlaneXY, 1, kPi / 2, kPi);
    struct Case {
        CPoint3D p;
        double distance;
        int side;
    };
    const Case cases[] = {
        {CPoint3D(3, 0, 0), 2, 2},
        {CPoint3D(0.5, 0, 0), 0.5, 0},
        {CPoint3D(0, 0, 0), 1, 0},  // the centre lies inside
        {CPoint3D(0, 1, 0), 0, 0},
    };
    for (const Case& k : cases) {
        double d = -1;
        int side = -1;
        ASSERT_EQ(c.DistanceToCircle(k.p, d, side), 1);
        EXPECT_NEAR(d, k.distance, 1e-12);
        EXPECT_EQ(side, k.side);
    }
    CPoint3D proj;
    double angle, d;
    ASSERT_EQ(c.ProjectToCircle(CPoint3D(-3, 4, 0), proj, angle, d), 1);
    ExpectPoint(proj, -0.6, 0.8, 0);
    EXPECT_NEAR(angle, std::atan2(4.0, -3.0) - kPi / 2, 1e-12);
    EXPECT_NEAR(d, 4.0, 1e-12);
    EXPECT_EQ(c.ProjectToCircle(CPoint3D(0, 0, 0), proj, angle, d), 0);
    CPoint3D nearest;
    ASSERT_EQ(c.NearestPoint(CPoint3D(0, 5, 0), nearest, d), 1);
    ExpectPoint(nearest, 0, 1, 0);
    EXPECT_NEAR(d, 4.0, 1e-12);
    int flag = -1;
    ASSERT_EQ(c.InSecondHalf(CPoint3D(-2, -0.1, 0), flag), 1);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(c.InSecondHalf(CPoint3D(-2, 0.1, 0), flag), 1);
    EXPECT_EQ(flag, 0);
}

TEST(Arc, TangentAndChordAngle)
{
    const CPlanarArc c = Arc(g_GeoPlaneXY, 2, 0, kPi);
    GeoLine t;
    ASSERT_EQ(c.Tangent(0, 4, t), 1);
    ExpectPoint(t.GetPoint(), 2, -2, 0);
    ExpectPoint(t.GetEndPoint(), 2, 2, 0);
    ASSERT_EQ(c.Tangent(kPi / 2, 2, t), 1);
    ExpectPoint(t.GetPoint(), 1, 2, 0);
    EXPECT_EQ(c.Tangent(0, 1e-7, t), 0);
    double a;
    ASSERT_EQ(c.ChordAngle(2 * std::sqrt(2.0), a), 1);
    EXPECT_NEAR(a, kPi / 2, 1e-12);
    ASSERT_EQ(c.ChordAngle(4, a), 1);
    EXPECT_NEAR(a, kPi, 1e-12);
    EXPECT_EQ(c.ChordAngle(4.1, a), 0);
    EXPECT_EQ(CPlanarArc().ChordAngle(1, a), 0);
}

TEST(Arc, ExtendToArc)
{
    const CPlanarArc upper = Arc(g_GeoPlaneXY, 1, 0, kPi);
    const double s = std::sqrt(0.75);
    GeoLine ext;
    const GeoLine towards(CPoint3D(-3, 0.5, 0), CPoint3D(-2, 0.5, 0));
    ASSERT_EQ(upper.ExtendToArc(towards, 1, ext), 1);
    ExpectPoint(ext.GetPoint(), -2, 0.5, 0);
    ExpectPoint(ext.GetEndPoint(), -s, 0.5, 0);
    EXPECT_EQ(upper.ExtendToArc(towards, 0, ext), 0);
    const GeoLine backwards(CPoint3D(-2, 0.5, 0), CPoint3D(-3, 0.5, 0));
    ASSERT_EQ(upper.ExtendToArc(backwards, 0, ext), 1);
    ExpectPoint(ext.GetPoint(), -2, 0.5, 0);
    ExpectPoint(ext.GetEndPoint(), -s, 0.5, 0);
    // Below the centre the circle is crossed, the arc is not.
    EXPECT_EQ(upper.ExtendToArc(GeoLine(CPoint3D(-3, -0.5, 0), CPoint3D(-2, -0.5, 0)), 1, ext), 0);
}

TEST(Arc, ToPointsAndLines)
{
    const CPlanarArc q = Arc(g_GeoPlaneXY, 1, 0, kPi / 2);
    struct Case {
        int n, count;
    };
    for (const Case& c : {Case{4, 2}, Case{8, 3}, Case{3, 2}, Case{0, 0}, Case{-4, 5}}) {
        std::vector<CPoint3D> pts;
        EXPECT_EQ(q.ToPoints(pts, c.n), c.count) << c.n;
        ASSERT_EQ(pts.size(), static_cast<size_t>(c.count));
        if (c.count > 0) {
            ExpectPoint(pts.front(), 1, 0, 0);
            ExpectPoint(pts.back(), 0, 1, 0);
        }
        std::vector<GeoLine> lines;
        EXPECT_EQ(q.ToLines(lines, c.n), c.count > 0 ? c.count - 1 : 0);
    }
    std::vector<CPoint3D> pts;
    ASSERT_EQ(q.ToPoints(pts, 8), 3);
    ExpectPoint(pts[1], std::sqrt(0.5), std::sqrt(0.5), 0);
}

// ---------------------------------------------------------------- polylines

CPlanarPolyline Polyline(const CCoordSystem3D& system, std::initializer_list<CPolyVertex3D> vertices)
{
    CPlanarPolyline p;
    p.Set(system);
    for (const CPolyVertex3D& v : vertices)
        p.Add(v);
    return p;
}

TEST(Polyline, SegmentKinds)
{
    const CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0, 1e-7), CPolyVertex3D(1, 0, 0, 1e-5),
                                                      CPolyVertex3D(2, 0, 0, 0.5), CPolyVertex3D(2, 0, 0, 0),
                                                      CPolyVertex3D(3, 0, 0, 0)});
    EXPECT_EQ(p.LastVertexIndex(), 4);
    EXPECT_EQ(p.SegmentKind(0), 5);
    EXPECT_EQ(p.SegmentKind(1), 9);
    EXPECT_EQ(p.SegmentKind(2), 0);  // coinciding vertices
    EXPECT_EQ(p.SegmentKind(3), 5);
    EXPECT_EQ(p.SegmentKind(-1), 0);
    EXPECT_EQ(p.SegmentKind(p.GetSize() - 1), 0);
    EXPECT_EQ(p.SegmentKind(p.GetSize()), 0);
    EXPECT_EQ(CPlanarPolyline().LastVertexIndex(), -1);
}

TEST(Polyline, SetSegmentRadius)
{
    struct Case {
        double radius;
        int ok;
        double bulge;
    };
    const Case cases[] = {
        {5, 1, -1.0 / 3}, {-5, 1, 1.0 / 3}, {2, 1, -2.0 / 3}, {3, 1, -1.0}, {1e-7, 0, 0}, {-1e-6, 0, 0},
    };
    for (const Case& c : cases) {
        CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0), CPolyVertex3D(6, 0, 0)});
        EXPECT_EQ(p.SetSegmentRadius(0, c.radius), c.ok) << c.radius;
        EXPECT_NEAR(p[0].bulge, c.bulge, 1e-12) << c.radius;
    }
    CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(1, 1, 0), CPolyVertex3D(1, 1, 0), CPolyVertex3D(2, 1, 0)});
    EXPECT_EQ(p.SetSegmentRadius(0, 5), 0);
    EXPECT_EQ(p.SetSegmentRadius(2, 5), 0);
    EXPECT_EQ(p.SetSegmentRadius(-1, 5), 0);
    ASSERT_EQ(p.SetSegmentRadius(1, 0.5), 1);
    EXPECT_NEAR(p[1].bulge, -1.0, 1e-12);  // half a unit chord: a half circle
}

// The arc of a bulge, checked against the closed form: included angle
// 4 atan|b|, radius c / sin(angle / 2), the middle point bulge x c to the
// right of the chord.
TEST(Polyline, SegmentArcsFromBulges)
{
    const CCoordSystem3D planes[] = {g_GeoPlaneXY, CCoordSystem3D(1, CPoint3D(1, -2, 3)),
                                     CCoordSystem3D(CVector3D(0, 0, 1), CVector3D(1, 1, 0), CVector3D(-1, 1, 1))};
    const double bulges[] = {-1, 1, -0.5, 0.25, 2, -3, 1e-5};
    const CPolyVertex3D a(1, 2, 0), b(4, 6, 0);  // chord 5, half chord 2.5
    for (const CCoordSystem3D& plane : planes)
        for (double bulge : bulges) {
            SCOPED_TRACE(bulge);
            CPlanarPolyline p = Polyline(plane, {CPolyVertex3D(a, bulge), b});
            CPlanarArc arc;
            ASSERT_EQ(p.SegmentArc(0, arc), 1);
            const double c = 2.5;
            const double included = 4 * std::atan(std::fabs(bulge));
            EXPECT_NEAR(arc.GetSweep(), included, 1e-9);
            EXPECT_NEAR(arc.GetRadius(), c / std::sin(included / 2), 1e-6 * std::max(1.0, arc.GetRadius()));
            CPoint3D ga, gb, gm;
            plane.LocalToGlobal(a, ga);
            plane.LocalToGlobal(b, gb);
            // Right-hand normal of the chord (4 - 1, 6 - 2) / 5 is (0.8, -0.6).
            plane.LocalToGlobal(CPoint3D(2.5 + bulge * c * 0.8, 4 + bulge * c * -0.6, 0), gm);
            ExpectPoint(arc.StartPoint(), ga, 1e-8);
            ExpectPoint(arc.PointAt(arc.GetSweep()), gb, 1e-8);
            ExpectPoint(arc.PointAt(arc.GetSweep() / 2), gm, 1e-8);
            EXPECT_NEAR(p.SegmentLength(0), arc.GetRadius() * included, 1e-6 * std::max(1.0, arc.GetRadius()));
            CPoint3D mid;
            ASSERT_EQ(p.PointOnSegment(0, 0.5, mid), 1);
            ExpectPoint(mid, gm, 1e-8);
        }
    CPlanarArc arc;
    EXPECT_EQ(Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0, 0), CPolyVertex3D(1, 0, 0)}).SegmentArc(0, arc), 0);
    EXPECT_EQ(Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0, 1), CPolyVertex3D(1, 0, 0)}).SegmentArc(1, arc), 0);
}

TEST(Polyline, HalfCircleSegment)
{
    const CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0, -1), CPolyVertex3D(2, 0, 0)});
    CPlanarArc arc;
    ASSERT_EQ(p.SegmentArc(0, arc), 1);
    EXPECT_NEAR(arc.GetRadius(), 1.0, 1e-12);
    ExpectPoint(arc.GetCenter(), 1, 0, 0);
    EXPECT_NEAR(p.SegmentLength(0), kPi, 1e-12);
    CPoint3D m;
    ASSERT_EQ(p.PointOnSegment(0, 0.5, m), 1);
    ExpectPoint(m, 1, 1, 0);  // a negative bulge bows to the left
    EXPECT_EQ(p.SegmentLength(1), 0.0);
    EXPECT_EQ(p.SegmentLength(-1), 0.0);
    EXPECT_EQ(p.PointOnSegment(1, 0.5, m), 0);
}

// A closed outline of a rectangle 4 x 2 with a half-circle cap of radius 1
// on its right side: length, area and containment against the closed form.
TEST(Polyline, LengthAreaAndInsideOfAnOutlineWithArcs)
{
    const CCoordSystem3D plane = CCoordSystem3D(1, CPoint3D(0, 0, 10));  // the ZX plane, moved
    const CPlanarPolyline p = Polyline(plane, {CPolyVertex3D(0, 0, 0), CPolyVertex3D(4, 0, 0, 1), CPolyVertex3D(4, 2, 0),
                                               CPolyVertex3D(0, 2, 0), CPolyVertex3D(0, 0, 0)});
    double length = 0;
    for (int i = 0; i + 1 < p.GetSize(); ++i)
        length += p.SegmentLength(i);
    EXPECT_NEAR(length, 4 + 2 + 4 + kPi, 1e-12);

    std::vector<CPoint3D> pts;
    const int added = p.ToPointList(pts, 720);
    EXPECT_EQ(added, static_cast<int>(pts.size()));
    EXPECT_EQ(added, 2 + 361 - 1 + 1 + 1);  // the arc in 360 parts of its sweep pi
    CPlanarRegion region;
    pts.pop_back();  // the closing point repeats the first
    region.Set(plane, pts);
    ASSERT_TRUE(region.IsValid());
    const double area = 4 * 2 + kPi / 2;
    EXPECT_NEAR(std::fabs(region.SignedArea()), area, 1e-4);
    // The cap's centroid lies 4/(3 pi) beyond its diameter.
    CPoint3D centre;
    ASSERT_EQ(plane.GlobalToLocal(region.GetCenter(), centre), 1);
    EXPECT_NEAR(centre.x, (8 * 2 + (kPi / 2) * (4 + 4 / (3 * kPi))) / area, 1e-4);
    EXPECT_NEAR(centre.y, 1.0, 1e-9);

    struct Inside {
        double x, y;
        int in;
    };
    for (const Inside& c : {Inside{2, 1, 1}, Inside{4.9, 1, 1}, Inside{4.8, 1.8, 0}, Inside{5.1, 1, 0}, Inside{-0.1, 1, 0}}) {
        CPoint3D g;
        plane.LocalToGlobal(CPoint3D(c.x, c.y, 0), g);
        EXPECT_EQ(region.Contains(g), c.in) << c.x << "," << c.y;
    }
    // The cap alone: its arc contains what lies in its disc.
    CPlanarArc cap;
    ASSERT_EQ(p.SegmentArc(1, cap), 1);
    CPoint3D g;
    plane.LocalToGlobal(CPoint3D(4.8, 1.8, 0), g);
    EXPECT_EQ(cap.Contains(g), 0);
    plane.LocalToGlobal(CPoint3D(4.5, 1.5, 0), g);
    EXPECT_EQ(cap.Contains(g), 1);
}

TEST(Polyline, ToPointListJoinsSegmentsWithoutRepeats)
{
    const CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0), CPolyVertex3D(2, 0, 0, 1),
                                                      CPolyVertex3D(2, 2, 0), CPolyVertex3D(2, 2, 0), CPolyVertex3D(0, 2, 0)});
    std::vector<CPoint3D> pts = {CPoint3D(9, 9, 9)};
    // Half circle in parts of 2pi/4: k = 2, three points, the first repeating (2, 0).
    EXPECT_EQ(p.ToPointList(pts, 4), 5);
    ASSERT_EQ(pts.size(), 6u);
    ExpectPoint(pts[1], 0, 0, 0);
    ExpectPoint(pts[2], 2, 0, 0);
    ExpectPoint(pts[3], 3, 1, 0);
    ExpectPoint(pts[4], 2, 2, 0);
    ExpectPoint(pts[5], 0, 2, 0);
    std::vector<CPoint3D> none;
    EXPECT_EQ(Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0)}).ToPointList(none, 4), 0);
    EXPECT_EQ(Polyline(g_GeoNullSystem, {CPolyVertex3D(0, 0, 0), CPolyVertex3D(1, 0, 0)}).ToPointList(none, 4), 0);
    EXPECT_TRUE(none.empty());
}

TEST(Polyline, ExtendToPolylineTakesTheShortestExtension)
{
    // A half circle about (5, 0) of radius 1 bulging towards -y, then x = 4
    // up to y = 8, y = 8 across to x = 10 and a wall at x = 10 down to -8.
    const CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(6, 0, 0, -1), CPolyVertex3D(4, 0, 0),
                                                      CPolyVertex3D(4, 8, 0), CPolyVertex3D(10, 8, 0),
                                                      CPolyVertex3D(10, -8, 0)});
    GeoLine ext;
    // Along y = -0.5 to the right from x = 0..1: the arc (at x = 5 - sqrt(0.75)) before the wall.
    ASSERT_EQ(p.ExtendToPolyline(GeoLine(CPoint3D(0, -0.5, 0), CPoint3D(1, -0.5, 0)), 1, ext), 1);
    ExpectPoint(ext.GetPoint(), 1, -0.5, 0);
    ExpectPoint(ext.GetEndPoint(), 5 - std::sqrt(0.75), -0.5, 0);
    // Along y = 3: the segment at x = 4 before the wall.
    ASSERT_EQ(p.ExtendToPolyline(GeoLine(CPoint3D(0, 3, 0), CPoint3D(1, 3, 0)), 1, ext), 1);
    ExpectPoint(ext.GetEndPoint(), 4, 3, 0);
    // Backwards from the start of a line pointing away: the wall first.
    ASSERT_EQ(p.ExtendToPolyline(GeoLine(CPoint3D(12, 3, 0), CPoint3D(13, 3, 0)), 0, ext), 1);
    ExpectPoint(ext.GetPoint(), 12, 3, 0);
    ExpectPoint(ext.GetEndPoint(), 10, 3, 0);
    EXPECT_EQ(p.ExtendToPolyline(GeoLine(CPoint3D(0, 9, 0), CPoint3D(1, 9, 0)), 1, ext), 0);
    EXPECT_EQ(p.ExtendToPolyline(g_GeoNullLine, 1, ext), 0);
}

TEST(Polyline, NearestStraightSegment)
{
    // The square 4 x 4 with an arc on top (bulging up to y = 6, centre (2, 4)).
    const CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0), CPolyVertex3D(4, 0, 0),
                                                      CPolyVertex3D(4, 4, 0, 1), CPolyVertex3D(0, 4, 0),
                                                      CPolyVertex3D(0, 0, 0)});
    GeoLine seg;
    int index = -1;
    ASSERT_EQ(p.NearestStraightSegment(CPoint3D(3, 1, 0), seg, &index), 1);
    EXPECT_EQ(index, 0);  // y = 0 and x = 4 both 1 away: the first stays
    ASSERT_EQ(p.NearestStraightSegment(CPoint3D(3.5, 1, 0), seg, &index), 1);
    EXPECT_EQ(index, 1);
    ExpectPoint(seg.GetPoint(), 4, 0, 0);
    // The arc lies 0.88 away, x = 0 one: the arc is not considered.
    ASSERT_EQ(p.NearestStraightSegment(CPoint3D(1, 3.5, 0), seg, &index), 1);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(p.NearestStraightSegment(CPoint3D(-1, 5, 0), seg, &index), 0);
}

TEST(Polyline, CopiesAndSizes)
{
    CPlanarPolyline p = Polyline(g_GeoPlaneXY, {CPolyVertex3D(0, 0, 0, 0.5), CPolyVertex3D(1, 0, 0)});
    CPlanarPolyline q = p;
    EXPECT_EQ(q.GetSize(), 2);
    EXPECT_EQ(q[0].bulge, 0.5);
    EXPECT_EQ(q.GetType(), static_cast<uint32_t>(GEO_PLANARPOLYLINE));
    q.SetSize(5);
    EXPECT_EQ(q.GetSize(), 5);
    EXPECT_EQ(q[4].bulge, 0.0);
    q.SetSize(-2);
    EXPECT_EQ(q.GetSize(), 0);
    q = p;
    EXPECT_EQ(q.GetSize(), 2);
    const CPlanarPolyline fromPoints(CPoint3D(0, 0, 0), CPoint3D(1, 0, 0), CPoint3D(0, 1, 0));
    EXPECT_FALSE(fromPoints.IsDegenerate());
    EXPECT_EQ(fromPoints.GetSize(), 0);
}
}  // namespace
