// Points, vectors and lines.
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

TEST(Point, EqualityUsesTheToleranceInclusive)
{
    // Against zero the difference is the bound itself.
    const double tol = 1e-6;
    EXPECT_TRUE(CPoint3D(0, 0, 0) == CPoint3D(tol, 0.0, -tol));
    const CPoint3D a(1.0, 2.0, 3.0);
    EXPECT_TRUE(a == CPoint3D(1.0 + 0.9e-6, 2.0, 3.0 - 0.9e-6));
    EXPECT_TRUE(CVector3D(0, 0, 0) == CVector3D(tol, -tol, tol));
    EXPECT_FALSE(a == CPoint3D(1.0 + 1.1e-6, 2.0, 3.0));
    EXPECT_TRUE(a != CPoint3D(1.0, 2.0, 3.0 + 1.1e-6));
    EXPECT_FALSE(CVector3D(0, 0, 0) != CVector3D(0, tol, 0));
}

TEST(Point, Arithmetic)
{
    CPoint3D a(1, 2, 3);
    const CPoint3D b(4, -1, 0.5);
    ExpectPoint(a + b, 5, 1, 3.5);
    ExpectPoint(a - b, -3, 3, 2.5);
    ExpectPoint(a.Scaled(2), 2, 4, 6);
    ExpectPoint(a.Multiply(b), 4, -2, 1.5);
    EXPECT_NEAR(CPoint3D(3, 4, 12).Length(), 13.0, 1e-12);
    EXPECT_NEAR(a.Distance(CPoint3D(4, 6, 3)), 5.0, 1e-12);
    a += b;
    ExpectPoint(a, 5, 1, 3.5);
    a -= b;
    a *= -1.0;
    ExpectPoint(a, -1, -2, -3);
    double c[3];
    a.GetCoords(c);
    EXPECT_EQ(c[2], -3.0);
    const double in[3] = {7, 8, 9};
    a.Set(in);
    ExpectPoint(a, 7, 8, 9);
    ExpectPoint(CPoint3D(in), 7, 8, 9);
    EXPECT_EQ(a.GetType(), static_cast<uint32_t>(GEO_POINT3D));
}

TEST(Point, TripleProductIsTheDeterminant)
{
    EXPECT_NEAR(CPoint3D::Triple(CPoint3D(1, 0, 0), CPoint3D(0, 1, 0), CPoint3D(0, 0, 1)), 1.0, 1e-15);
    EXPECT_NEAR(CPoint3D::Triple(CPoint3D(0, 1, 0), CPoint3D(1, 0, 0), CPoint3D(0, 0, 1)), -1.0, 1e-15);
    // det [[2,0,1],[1,3,2],[1,1,1]] = 2(3-2) - 0 + 1(1-3) = 0
    EXPECT_NEAR(CPoint3D::Triple(CPoint3D(2, 0, 1), CPoint3D(1, 3, 2), CPoint3D(1, 1, 1)), 0.0, 1e-15);
    // det [[1,2,3],[0,1,4],[5,6,0]] = 1
    EXPECT_NEAR(CPoint3D::Triple(CPoint3D(1, 2, 3), CPoint3D(0, 1, 4), CPoint3D(5, 6, 0)), 1.0, 1e-12);
}

TEST(Point, SortMinMaxAndSortPoints)
{
    CPoint3D a(3, 1, 5), b(2, 4, 5);
    a.SortMinMax(b);
    ExpectPoint(a, 2, 1, 5);
    ExpectPoint(b, 3, 4, 5);

    std::vector<CPoint3D> pts = {CPoint3D(3, 0, 9), CPoint3D(1, 5, 8), CPoint3D(2, 4, 7), CPoint3D(0, 6, 1),
                                 CPoint3D(5, 2, 3)};
    CPoint3D::SortPoints(pts.data(), 5, 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pts[static_cast<size_t>(i)].x, i == 4 ? 5.0 : i) << i;
    CPoint3D::SortPoints(pts.data(), 5, 1);
    EXPECT_EQ(pts[0].y, 0.0);
    EXPECT_EQ(pts[4].y, 6.0);
    CPoint3D::SortPoints(pts.data(), 5, 7);  // any other value: z
    EXPECT_EQ(pts[0].z, 1.0);
    EXPECT_EQ(pts[4].z, 9.0);
    ExpectPoint(pts[4], 3, 0, 9);  // points move whole
}

TEST(Point, DimetricPosition)
{
    // (x, y, z) -> (x, z, -y), then x' = x cos a - 0.7 z cos b, y' = y + x sin a + 0.7 z sin b.
    const double a = -7.0 * kPi / 180.0, b = -42.0 * kPi / 180.0;
    CPoint3D p(1, 2, 3);
    p.ToDimetric();
    ExpectPoint(p, 1 * std::cos(a) - 0.7 * -2 * std::cos(b), 3 + 1 * std::sin(a) + 0.7 * -2 * std::sin(b), 0);
    CPoint3D up(0, 0, 1);
    up.ToDimetric();
    ExpectPoint(up, 0, 1, 0);  // vertical stays vertical
}

TEST(Vector, AlgebraAndLength)
{
    const CVector3D a(1, 2, 3), b(-2, 0, 1);
    EXPECT_NEAR(a.Dot(b), 1.0, 1e-15);
    ExpectPoint(a.Cross(b), 2, -7, 4);
    ExpectPoint(a + b, -1, 2, 4);
    ExpectPoint(a - b, 3, 2, 2);
    ExpectPoint(a * 2.0, 2, 4, 6);
    EXPECT_NEAR(CVector3D(3, 4, 0).Length(2.0), 10.0, 1e-12);
    EXPECT_EQ(CVector3D(1, 0, 0).GetType(), static_cast<uint32_t>(GEO_VECTOR3D));
    EXPECT_TRUE(CVector3D(1e-7, 0, 0).IsZero());
    EXPECT_FALSE(CVector3D(2e-6, 0, 0).IsZero());
}

TEST(Vector, SetLength)
{
    CVector3D v(3, 4, 0);
    EXPECT_EQ(v.SetLength(10), 1);
    ExpectPoint(v, 6, 8, 0);
    CVector3D small(0, 3e-7, 0);
    EXPECT_EQ(small.SetLength(2), 0);
    ExpectPoint(small, 0, 3e-7, 0, 0.0);
    EXPECT_EQ(v.SetLength(1e-6), 0);
    ExpectPoint(v, 6, 8, 0, 0.0);
}

TEST(Vector, AngleIsClampedForParallelAndAntiparallelVectors)
{
    struct Case {
        CVector3D a, b;
        double angle;
    };
    const Case cases[] = {
        {CVector3D(1, 0, 0), CVector3D(0, 1, 0), kPi / 2},
        {CVector3D(1, 1, 0), CVector3D(1, 0, 0), kPi / 4},
        {CVector3D(1, 0, 0), CVector3D(-1, 0, 0), kPi},
        // Rounding of these dot products exceeds 1 in magnitude.
        {CVector3D(0.1, 0.2, 0.3), CVector3D(0.1, 0.2, 0.3), 0.0},
        {CVector3D(0.1, 0.7, 0.3), CVector3D(0.3, 2.1, 0.9), 0.0},
        {CVector3D(0.1, 0.7, 0.3), CVector3D(-0.3, -2.1, -0.9), kPi},
        {CVector3D(1.0 / 3, 1.0 / 7, 1.0 / 11), CVector3D(-1.0 / 3, -1.0 / 7, -1.0 / 11), kPi},
    };
    for (const Case& c : cases) {
        double angle = -1.0;
        ASSERT_EQ(c.a.Angle(c.b, angle), 1);
        EXPECT_FALSE(std::isnan(angle));
        EXPECT_NEAR(angle, c.angle, 2e-8);
    }
    // Many parallel pairs: never NaN.
    for (int i = 1; i < 200; ++i) {
        const CVector3D v(0.1 * i, 0.37 * i, -0.013 * i);
        double angle;
        ASSERT_EQ(v.Angle(v * 3.7, angle), 1);
        EXPECT_FALSE(std::isnan(angle)) << i;
        ASSERT_EQ(v.Angle(v * -0.3, angle), 1);
        EXPECT_FALSE(std::isnan(angle)) << i;
    }
    double angle = 5.0;
    EXPECT_EQ(CVector3D(0, 0, 0).Angle(CVector3D(1, 0, 0), angle), 0);
    EXPECT_EQ(CVector3D(1, 0, 0).Angle(CVector3D(0, 0, 0), angle), 0);
    EXPECT_EQ(angle, 5.0);
}

TEST(Vector, IsParallel)
{
    double f = 99.0;
    EXPECT_EQ(CVector3D(0, 2, 0).IsParallel(CVector3D(0, -4, 0), f), 1);
    EXPECT_NEAR(f, -2.0, 1e-15);
    EXPECT_EQ(CVector3D(1, 0, 0).IsParallel(CVector3D(0, 1, 0), f), 0);
    EXPECT_EQ(f, 0.0);
    EXPECT_EQ(CVector3D(1, 2, 3).IsParallel(CVector3D(2.5, 5, 7.5), f), 1);
    EXPECT_NEAR(f, 2.5, 1e-15);
    EXPECT_EQ(CVector3D(1, 2, 3).IsParallel(CVector3D(0, 0, 0), f), 1);
    EXPECT_EQ(f, 0.0);
    f = 7.0;
    EXPECT_EQ(CVector3D(0, 0, 0).IsParallel(CVector3D(1, 0, 0), f), 0);
    EXPECT_EQ(f, 7.0);
}

TEST(Vector, IsAxisParallel)
{
    EXPECT_TRUE(CVector3D(0, 0, 5).IsAxisParallel());
    EXPECT_TRUE(CVector3D(1e-7, 3, 0).IsAxisParallel());
    EXPECT_FALSE(CVector3D(1, 1, 0).IsAxisParallel());
}

TEST(Vector, DirectionAngleInThePlane)
{
    struct Case {
        CVector3D v;
        double angle;
    };
    const Case cases[] = {
        {CVector3D(1, 0, 0), 0.0},          {CVector3D(0, 1, 0), kPi / 2},     {CVector3D(-1, 0, 0), kPi},
        {CVector3D(0, -1, 0), 1.5 * kPi},   {CVector3D(1, 1, 0), kPi / 4},     {CVector3D(-1, 1, 0), 0.75 * kPi},
        {CVector3D(-1, -1, 0), 1.25 * kPi}, {CVector3D(1, -1, 7), 1.75 * kPi},
    };
    for (const Case& c : cases) {
        double a = -1;
        ASSERT_EQ(c.v.DirectionAngle(a, g_GeoPlaneXY), 1);
        EXPECT_NEAR(a, c.angle, 1e-12);
    }
    double a = 0;
    ASSERT_EQ(CVector3D(0, -1, 0).DirectionAngle(a, g_GeoPlaneXY), 1);
    EXPECT_EQ(a, 1.5 * kPi);
    ASSERT_EQ(CVector3D(-1, 0, 0).DirectionAngle(a, g_GeoPlaneXY), 1);
    EXPECT_EQ(a, kPi);
    a = 42;
    EXPECT_EQ(CVector3D(0, 0, 5).DirectionAngle(a, g_GeoPlaneXY), 0);
    EXPECT_EQ(a, 42);
    EXPECT_EQ(CVector3D(1, 0, 0).DirectionAngle(a, g_GeoNullSystem), 0);
    // In the ZX plane (first axis z, second axis x) the x direction is at pi/2.
    ASSERT_EQ(CVector3D(1, 0, 0).DirectionAngle(a, g_GeoPlaneZX), 1);
    EXPECT_NEAR(a, kPi / 2, 1e-12);
    // A plane away from the origin gives the same directions.
    const CCoordSystem3D shifted(0, CPoint3D(10, -5, 3));
    ASSERT_EQ(CVector3D(-1, 1, 0).DirectionAngle(a, shifted), 1);
    EXPECT_NEAR(a, 0.75 * kPi, 1e-12);
}

TEST(Vector, TurnSide)
{
    int side = -1;
    const CVector3D v(1, 1, 0);
    ASSERT_EQ(v.TurnSide(v, side, g_GeoPlaneXY), 1);
    EXPECT_EQ(side, 0);
    ASSERT_EQ(CVector3D(1, 0, 0).TurnSide(CVector3D(-1, 0, 0), side, g_GeoPlaneXY), 1);
    EXPECT_EQ(side, 0);  // d = pi
    ASSERT_EQ(CVector3D(1, 0, 0).TurnSide(CVector3D(0, 1, 0), side, g_GeoPlaneXY), 1);
    EXPECT_EQ(side, 0);
    ASSERT_EQ(CVector3D(1, 0, 0).TurnSide(CVector3D(0, -1, 0), side, g_GeoPlaneXY), 1);
    EXPECT_EQ(side, 2);
    ASSERT_EQ(CVector3D(0, -1, 0).TurnSide(CVector3D(1, 0, 0), side, g_GeoPlaneXY), 1);
    EXPECT_EQ(side, 0);  // across the zero direction
    side = 7;
    EXPECT_EQ(CVector3D(0, 0, 1).TurnSide(CVector3D(1, 0, 0), side, g_GeoPlaneXY), 0);
    EXPECT_EQ(side, 7);
}

TEST(Vector, RotateAndPerpendicular)
{
    CVector3D v(1, 0, 2);
    ASSERT_EQ(v.Rotate(kPi / 2, g_GeoPlaneXY), 1);
    ExpectPoint(v, 0, 1, 2);  // the part along the normal stays
    // The plane's position does not matter to a free vector.
    const CCoordSystem3D shifted(0, CPoint3D(10, 0, 0));
    CVector3D w(1, 0, 0);
    ASSERT_EQ(w.Rotate(kPi / 2, shifted), 1);
    ExpectPoint(w, 0, 1, 0);
    // In the YZ plane (normal x) a turn of y by pi/2 gives z.
    CVector3D y(0, 1, 0);
    ASSERT_EQ(y.Rotate(kPi / 2, g_GeoPlaneYZ), 1);
    ExpectPoint(y, 0, 0, 1);

    CVector3D out(9, 9, 9);
    ASSERT_EQ(CVector3D(2, 0, 0).Perpendicular(out, 3.0, g_GeoPlaneXY), 1);
    ExpectPoint(out, 0, 3, 0);
    ASSERT_EQ(CVector3D(2, 0, 0).Perpendicular(out, -0.5, g_GeoPlaneXY), 1);
    ExpectPoint(out, 0, -0.5, 0);
    out.Set(9, 9, 9);
    EXPECT_EQ(CVector3D(2, 0, 0).Perpendicular(out, 1e-7, g_GeoPlaneXY), 0);
    EXPECT_EQ(CVector3D(0, 0, 0).Perpendicular(out, 1.0, g_GeoPlaneXY), 0);
    ExpectPoint(out, 9, 9, 9, 0.0);
}

TEST(Point, RotateAboutACentre)
{
    CPoint3D p(2, 1, 0);
    p.RotateAbout(CPoint3D(1, 1, 0), kPi / 2, g_GeoPlaneXY);
    ExpectPoint(p, 1, 2, 0);
    // The same with the plane placed elsewhere.
    CPoint3D q(2, 1, 0);
    q.RotateAbout(CPoint3D(1, 1, 0), kPi, CCoordSystem3D(0, CPoint3D(-4, 7, 0)));
    ExpectPoint(q, 0, 1, 0);
}

// ---------------------------------------------------------------- lines

TEST(Line, ConstructionAndPoints)
{
    const GeoLine l(CPoint3D(1, 2, 3), CPoint3D(4, 6, 3));
    ExpectPoint(l.GetPoint(), 1, 2, 3);
    ExpectPoint(l.GetEndPoint(), 4, 6, 3);
    ExpectPoint(l.GetDirection(), 3, 4, 0);
    ExpectPoint(l.PointAt(0.5), 2.5, 4, 3);
    EXPECT_NEAR(l.Length(), 5.0, 1e-12);
    EXPECT_NEAR(l.Length(2.0), 10.0, 1e-12);
    EXPECT_EQ(l.GetType(), static_cast<uint32_t>(GEO_LINE));
    const GeoLine m(CPoint3D(1, 1, 1), CVector3D(0, 0, 2));
    ExpectPoint(m.GetEndPoint(), 1, 1, 3);
    EXPECT_TRUE(g_GeoNullLine.IsDegenerate());
    EXPECT_FALSE(l.IsDegenerate());
}

TEST(Line, ParameterOf)
{
    const GeoLine l(CPoint3D(0, 0, 0), CPoint3D(2, 2, 0));
    struct Case {
        CPoint3D p;
        int onSegment;
        int ok;
        double t;
    };
    const Case cases[] = {
        {CPoint3D(1, 1, 0), 1, 1, 0.5},       {CPoint3D(3, 3, 0), 0, 1, 1.5},
        {CPoint3D(3, 3, 0), 1, 0, 0},         {CPoint3D(-1, -1, 0), 1, 0, 0},
        {CPoint3D(1, 1.1, 0), 0, 0, 0},       {CPoint3D(0, 0, 0), 1, 1, 0.0},
        {CPoint3D(2 + 1e-6, 2 + 1e-6, 0), 1, 1, 1.0},
    };
    for (const Case& c : cases) {
        double t = -77;
        EXPECT_EQ(l.ParameterOf(c.p, t, c.onSegment), c.ok);
        if (c.ok)
            EXPECT_NEAR(t, c.t, 1e-6);
        else
            EXPECT_EQ(t, -77);
    }
    double t;
    EXPECT_EQ(g_GeoNullLine.ParameterOf(CPoint3D(0, 0, 0), t, 0), 0);
}

TEST(Line, NearlyAxisParallelLinesKeepTheTolerance)
{
    // A direction whose x is just above the tolerance: a point 3e-7 off the
    // line lies on it within the tolerance and gets its true parameter.
    const GeoLine l(CPoint3D(0, 0, 0), CVector3D(2e-6, 1, 0));
    double t = -1;
    ASSERT_EQ(l.ParameterOf(CPoint3D(1e-6 + 3e-7, 0.5, 0), t, 1), 1);
    EXPECT_NEAR(t, 0.5, 1e-12);
    double f = 0;
    ASSERT_EQ(CVector3D(2e-6, 1, 0).IsParallel(CVector3D(1.3e-6, 0.5, 0), f), 1);
    EXPECT_NEAR(f, 0.5, 1e-12);
    EXPECT_EQ(l.ParameterOf(CPoint3D(1e-6 + 2e-6, 0.5, 0), t, 1), 0);  // 2e-6 off: not on it
}

TEST(Line, IntersectionsOfLines)
{
    struct Case {
        const char* name;
        GeoLine a, b;
        int ok;
        CPoint3D point;
    };
    const Case cases[] = {
        {"crossing in xy", GeoLine(CPoint3D(0, 0, 0), CPoint3D(2, 2, 0)), GeoLine(CPoint3D(0, 2, 0), CPoint3D(2, 0, 0)), 1,
         CPoint3D(1, 1, 0)},
        {"crossing in space", GeoLine(CPoint3D(0, 0, 0), CVector3D(1, 1, 1)), GeoLine(CPoint3D(2, 0, 2), CVector3D(0, 1, 0)),
         1, CPoint3D(2, 2, 2)},
        {"vertical other", GeoLine(CPoint3D(0, 5, 0), CVector3D(1, 0, 0)), GeoLine(CPoint3D(3, 0, 0), CVector3D(0, 1, 0)),
         1, CPoint3D(3, 5, 0)},
        {"z only", GeoLine(CPoint3D(1, 1, 0), CVector3D(1, 0, 1)), GeoLine(CPoint3D(2, 1, -5), CVector3D(0, 0, 1)), 1,
         CPoint3D(2, 1, 1)},
        {"beyond segments", GeoLine(CPoint3D(0, 0, 0), CPoint3D(1, 0, 0)), GeoLine(CPoint3D(5, 1, 0), CPoint3D(5, 2, 0)), 1,
         CPoint3D(5, 0, 0)},
        {"parallel", GeoLine(CPoint3D(0, 0, 0), CPoint3D(1, 0, 0)), GeoLine(CPoint3D(0, 1, 0), CPoint3D(1, 1, 0)), 0,
         CPoint3D()},
        {"coincident", GeoLine(CPoint3D(0, 0, 0), CPoint3D(1, 1, 1)), GeoLine(CPoint3D(2, 2, 2), CPoint3D(3, 3, 3)), 0,
         CPoint3D()},
        {"skew", GeoLine(CPoint3D(0, 0, 0), CVector3D(1, 0, 0)), GeoLine(CPoint3D(0, 1, 1), CVector3D(0, 1, 0)), 0,
         CPoint3D()},
        {"degenerate", GeoLine(CPoint3D(0, 0, 0), CVector3D(0, 0, 0)), GeoLine(CPoint3D(0, 1, 1), CVector3D(0, 1, 0)), 0,
         CPoint3D()},
    };
    for (const Case& c : cases) {
        CPoint3D p(-9, -9, -9);
        EXPECT_EQ(c.a.Intersect(c.b, p), c.ok) << c.name;
        if (c.ok) {
            ExpectPoint(p, c.point.x, c.point.y, c.point.z);
            CPoint3D q;
            ASSERT_EQ(c.b.Intersect(c.a, q), 1) << c.name;  // symmetric
            ExpectPoint(q, c.point.x, c.point.y, c.point.z);
        } else {
            ExpectPoint(p, -9, -9, -9, 0.0);
        }
    }
    // Skew lines: the parameter can be formed, the crossing cannot.
    double t;
    const GeoLine a(CPoint3D(0, 0, 0), CVector3D(1, 0, 0)), b(CPoint3D(0, 1, 1), CVector3D(1, 1, 0));
    EXPECT_EQ(a.IntersectParam(b, t), 1);
    CPoint3D p;
    EXPECT_EQ(a.Intersect(b, p), 0);
    const GeoLine c(CPoint3D(0, 1, 0), CVector3D(2, 0, 0));
    EXPECT_EQ(a.IntersectParam(c, t), 0);
}

TEST(Line, PointOnSegment)
{
    const CPoint3D a(0, 0, 0), b(4, 0, 0);
    EXPECT_TRUE(GeoLine::IsPointOnSegment(CPoint3D(2, 0, 0), a, b));
    EXPECT_TRUE(GeoLine::IsPointOnSegment(CPoint3D(4, 0, 0), a, b));
    EXPECT_TRUE(GeoLine::IsPointOnSegment(CPoint3D(0, 0, 0), a, a));
    EXPECT_FALSE(GeoLine::IsPointOnSegment(CPoint3D(5, 0, 0), a, b));
    EXPECT_FALSE(GeoLine::IsPointOnSegment(CPoint3D(2, 0.1, 0), a, b));
    EXPECT_TRUE(GeoLine::IsPointOnSegment(CPoint3D(1, 0, 0), GeoLine(a, b)));
}

TEST(Line, PerpendicularFootAndDistance)
{
    const GeoLine l(CPoint3D(0, 0, 0), CPoint3D(4, 0, 0));
    GeoLine perp;
    ASSERT_EQ(l.PerpendicularTo(CPoint3D(1, 3, 0), perp), 1);
    ExpectPoint(perp.GetPoint(), 1, 3, 0);
    ExpectPoint(perp.GetEndPoint(), 1, 0, 0);
    EXPECT_EQ(l.PerpendicularTo(CPoint3D(2, 0, 0), perp), 0);

    CPoint3D foot;
    double d = -1;
    ASSERT_EQ(l.Foot(CPoint3D(3, 4, 0), foot, d), 1);
    ExpectPoint(foot, 3, 0, 0);
    EXPECT_NEAR(d, 4.0, 1e-12);
    ASSERT_EQ(l.Foot(CPoint3D(7, 0, 0), foot, d), 1);
    ExpectPoint(foot, 7, 0, 0);
    EXPECT_EQ(d, 0.0);

    int flag = -1;
    ASSERT_EQ(l.FootInSecondHalf(CPoint3D(2, 5, 0), flag), 1);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(l.FootInSecondHalf(CPoint3D(1.9, 5, 0), flag), 1);
    EXPECT_EQ(flag, 0);

    // Skew lines: x axis and a line along y at height 3.
    ASSERT_EQ(GeoLine(CPoint3D(0, 0, 0), CVector3D(1, 0, 0)).Distance(GeoLine(CPoint3D(0, 0, 3), CVector3D(0, 1, 0)), d),
              1);
    EXPECT_NEAR(std::fabs(d), 3.0, 1e-12);
    // Parallel lines: the perpendicular distance.
    ASSERT_EQ(l.Distance(GeoLine(CPoint3D(5, 3, 4), CVector3D(-2, 0, 0)), d), 1);
    EXPECT_NEAR(d, 5.0, 1e-12);
    ASSERT_EQ(l.Distance(GeoLine(CPoint3D(9, 0, 0), CVector3D(1, 0, 0)), d), 1);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(l.Distance(g_GeoNullLine, d), 0);
}

TEST(Line, CrossCoordinatePlanes)
{
    const GeoLine l(CPoint3D(1, 2, 3), CVector3D(1, 1, -1));
    CPoint3D p;
    ASSERT_EQ(l.CrossCoordinatePlane(0, p), 1);
    ExpectPoint(p, 4, 5, 0);
    ASSERT_EQ(l.CrossCoordinatePlane(1, p), 1);
    ExpectPoint(p, -1, 0, 5);
    ASSERT_EQ(l.CrossCoordinatePlane(2, p), 1);
    ExpectPoint(p, 0, 1, 4);
    EXPECT_EQ(l.CrossCoordinatePlane(3, p), 0);
    EXPECT_EQ(GeoLine(CPoint3D(1, 2, 3), CVector3D(1, 1, 0)).CrossCoordinatePlane(0, p), 0);
}

TEST(Line, AnglesParallelAndPerpendicular)
{
    const GeoLine x(CPoint3D(0, 0, 0), CVector3D(2, 0, 0));
    const GeoLine y(CPoint3D(5, 5, 0), CVector3D(0, -3, 0));
    const GeoLine d(CPoint3D(0, 0, 0), CVector3D(1, 1, 0));
    double a;
    ASSERT_EQ(x.Angle(d, a), 1);
    EXPECT_NEAR(a, kPi / 4, 1e-12);
    EXPECT_TRUE(x.IsPerpendicularTo(y, g_GeoPlaneXY));
    EXPECT_FALSE(x.IsParallelTo(y, g_GeoPlaneXY));
    EXPECT_TRUE(x.IsParallelTo(GeoLine(CPoint3D(0, 1, 0), CVector3D(-1, 0, 0)), g_GeoPlaneXY));
    EXPECT_FALSE(x.IsPerpendicularTo(d, g_GeoPlaneXY));
    EXPECT_FALSE(x.IsParallelTo(GeoLine(CPoint3D(0, 0, 0), CVector3D(0, 0, 1)), g_GeoPlaneXY));
    ASSERT_EQ(y.DirectionAngle(a, g_GeoPlaneXY), 1);
    EXPECT_NEAR(a, 1.5 * kPi, 1e-12);
}

TEST(Line, MergeCollinear)
{
    const GeoLine a(CPoint3D(0, 0, 0), CPoint3D(2, 0, 0));
    GeoLine m;
    ASSERT_EQ(a.MergeCollinear(GeoLine(CPoint3D(3, 0, 0), CPoint3D(1, 0, 0)), m), 1);
    ExpectPoint(m.GetPoint(), 0, 0, 0);
    ExpectPoint(m.GetEndPoint(), 3, 0, 0);
    ASSERT_EQ(a.MergeCollinear(GeoLine(CPoint3D(-1, 0, 0), CPoint3D(1, 0, 0)), m), 1);
    ExpectPoint(m.GetPoint(), -1, 0, 0);
    ExpectPoint(m.GetEndPoint(), 2, 0, 0);
    ASSERT_EQ(a.MergeCollinear(GeoLine(CPoint3D(0.5, 0, 0), CPoint3D(1, 0, 0)), m), 1);
    EXPECT_NEAR(m.Length(), 2.0, 1e-12);
    EXPECT_EQ(a.MergeCollinear(GeoLine(CPoint3D(0, 1, 0), CPoint3D(1, 1, 0)), m), 0);
}

TEST(Line, OffsetsAndRotationInThePlane)
{
    const GeoLine l(CPoint3D(1, 1, 0), CVector3D(2, 0, 0));
    GeoLine p;
    ASSERT_EQ(l.ParallelLine(0.5, g_GeoPlaneXY, p), 1);
    ExpectPoint(p.GetPoint(), 1, 1.5, 0);
    ExpectPoint(p.GetDirection(), 2, 0, 0);
    ASSERT_EQ(l.ParallelLine(-1, g_GeoPlaneXY, p), 1);
    ExpectPoint(p.GetPoint(), 1, 0, 0);
    ASSERT_EQ(l.PerpendicularSegment(0.5, -3, g_GeoPlaneXY, p), 1);
    ExpectPoint(p.GetPoint(), 2, 1, 0);
    ExpectPoint(p.GetEndPoint(), 2, -2, 0);
    EXPECT_EQ(GeoLine(CPoint3D(0, 0, 0), CVector3D(0, 0, 1)).ParallelLine(1, g_GeoPlaneXY, p), 0);

    GeoLine r(CPoint3D(1, 0, 0), CPoint3D(3, 0, 0));
    ASSERT_EQ(r.RotateAbout(0.5, kPi / 2, g_GeoPlaneXY), 1);  // about (2, 0, 0)
    ExpectPoint(r.GetPoint(), 2, -1, 0);
    ExpectPoint(r.GetEndPoint(), 2, 1, 0);
}

TEST(Line, ExtendToLine)
{
    // L along y at x = 5 from y = -1 to 1; M from (0,0) to (1,0).
    const GeoLine L(CPoint3D(5, -1, 0), CPoint3D(5, 1, 0));
    const GeoLine M(CPoint3D(0, 0, 0), CPoint3D(1, 0, 0));
    GeoLine ext;
    ASSERT_EQ(L.ExtendToLine(M, 1, ext, 1), 1);
    ExpectPoint(ext.GetPoint(), 1, 0, 0);
    ExpectPoint(ext.GetEndPoint(), 5, 0, 0);
    EXPECT_EQ(L.ExtendToLine(M, 0, ext, 1), 0);  // the crossing lies beyond the end
    const GeoLine Mrev(CPoint3D(1, 0, 0), CPoint3D(0, 0, 0));
    ASSERT_EQ(L.ExtendToLine(Mrev, 0, ext, 1), 1);
    ExpectPoint(ext.GetPoint(), 1, 0, 0);
    // The crossing must lie on L's segment when asked.
    const GeoLine Mhigh(CPoint3D(0, 3, 0), CPoint3D(1, 3, 0));
    EXPECT_EQ(L.ExtendToLine(Mhigh, 1, ext, 1), 0);
    EXPECT_EQ(L.ExtendToLine(Mhigh, 1, ext, 0), 1);
}
}  // namespace
