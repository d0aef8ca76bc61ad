// 4x4 matrices and coordinate systems (planes) with their transformations.
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

CMatrix4x4 FromRows(const double (&v)[4][4])
{
    CMatrix4x4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m(r, c) = v[r][c];
    return m;
}

void ExpectIdentity(const CMatrix4x4& m, double tol)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(m(r, c), r == c ? 1.0 : 0.0, tol) << r << "," << c;
}

TEST(Matrix, IdentityProductAndTransform)
{
    const CMatrix4x4 id;
    ExpectIdentity(id, 0.0);
    const CMatrix4x4 a = FromRows({{1, 2, 0, 1}, {0, 1, 3, 2}, {4, 0, 1, 3}, {0, 0, 0, 1}});
    const CMatrix4x4 b = FromRows({{2, 0, 0, 0}, {1, 1, 0, 0}, {0, 0, 1, 5}, {0, 0, 0, 1}});
    const CMatrix4x4 ab = a * b;
    // Row 0 of a times b: (1*2 + 2*1, 2*1, 0, 0*5 + 1) = (4, 2, 0, 1)
    EXPECT_EQ(ab(0, 0), 4.0);
    EXPECT_EQ(ab(0, 1), 2.0);
    EXPECT_EQ(ab(0, 3), 1.0);
    EXPECT_EQ(ab(1, 3), 17.0);  // 3*5 + 2
    EXPECT_TRUE((a * id).IsEqual(a));
    ExpectPoint(a.Transform(CPoint3D(1, 1, 1)), 4, 6, 8, 0.0);
}

TEST(Matrix, TransformSetsTinyResultsToZero)
{
    CMatrix4x4 r;
    r.SetRotationZ(kPi / 2);
    const CPoint3D p = r.Transform(CPoint3D(1, 0, 0));
    EXPECT_EQ(p.x, 0.0);  // cos(pi/2) = 6e-17 becomes exactly 0
    EXPECT_EQ(p.y, 1.0);
    r.Rotate(0.3, -1.2, 2.0);
    const CPoint3D o = r.Transform(CPoint3D(0, 0, 0));
    EXPECT_EQ(o.x, 0.0);
    EXPECT_EQ(o.y, 0.0);
    EXPECT_EQ(o.z, 0.0);
}

TEST(Matrix, ElementaryMatrices)
{
    CMatrix4x4 m;
    m.SetTranslation(1, 2, 3);
    ExpectPoint(m.Transform(CPoint3D(1, 1, 1)), 2, 3, 4, 0.0);
    m.SetTranslation(CVector3D(-1, 0, 0));
    ExpectPoint(m.Transform(CPoint3D(1, 1, 1)), 0, 1, 1, 0.0);
    m.SetScale(2, 1e-7, -3);
    ExpectPoint(m.Transform(CPoint3D(1, 1, 1)), 2, 1, -3, 0.0);  // the tiny factor is left at 1
    struct Rot {
        int axis;
        CPoint3D in, out;
    };
    const Rot rots[] = {
        {0, CPoint3D(0, 1, 0), CPoint3D(0, 0, 1)},
        {1, CPoint3D(0, 0, 1), CPoint3D(1, 0, 0)},
        {2, CPoint3D(1, 0, 0), CPoint3D(0, 1, 0)},
    };
    for (const Rot& r : rots) {
        if (r.axis == 0)
            m.SetRotationX(kPi / 2);
        else if (r.axis == 1)
            m.SetRotationY(kPi / 2);
        else
            m.SetRotationZ(kPi / 2);
        ExpectPoint(m.Transform(r.in), r.out.x, r.out.y, r.out.z, 1e-15);
    }
}

TEST(Matrix, AccumulatingOperationsMultiplyOnTheRight)
{
    CMatrix4x4 m;
    m.Translate(10, 0, 0);
    m.Scale(2, 2, 2);
    // this * T * S: scale first, then translate.
    ExpectPoint(m.Transform(CPoint3D(1, 1, 1)), 12, 2, 2, 0.0);
    CMatrix4x4 r;
    r.Rotate(kPi / 2, 0, kPi / 2);  // Rx * Rz: Rz first
    ExpectPoint(r.Transform(CPoint3D(1, 0, 0)), 0, 0, 1, 1e-15);
    CMatrix4x4 skip;
    skip.Rotate(1e-7, -1e-7, 0);
    ExpectIdentity(skip, 0.0);
    CMatrix4x4 t;
    t.Translate(CVector3D(0, 0, 4));
    ExpectPoint(t.Transform(CPoint3D(0, 0, 0)), 0, 0, 4, 0.0);
}

TEST(Matrix, InvertTable)
{
    struct Case {
        const char* name;
        double m[4][4];
    };
    const Case cases[] = {
        {"identity", {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
        {"permutation (zero diagonal)", {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}},
        {"general", {{2, -1, 0, 3}, {1, 4, 2, -1}, {0, 1, 5, 2}, {3, 0, 1, 1}}},
        {"needs pivoting", {{1e-20, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 3, 1}, {0, 0, 1, 2}}},
        {"rigid motion", {{0, -1, 0, 5}, {1, 0, 0, -2}, {0, 0, 1, 7}, {0, 0, 0, 1}}},
        {"large spread", {{1000, 2, 3, 4}, {5, 0.001, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 1600}}},
    };
    for (const Case& c : cases) {
        const CMatrix4x4 m = FromRows(c.m);
        CMatrix4x4 inv;
        ASSERT_EQ(m.Invert(inv), 1) << c.name;
        SCOPED_TRACE(c.name);
        ExpectIdentity(m * inv, 1e-12);
        ExpectIdentity(inv * m, 1e-12);
    }
    // A hand-computed inverse: the rigid motion R, t has R^T, -R^T t.
    CMatrix4x4 inv;
    ASSERT_EQ(FromRows(cases[4].m).Invert(inv), 1);
    EXPECT_NEAR(inv(0, 1), 1.0, 1e-15);
    EXPECT_NEAR(inv(1, 0), -1.0, 1e-15);
    EXPECT_NEAR(inv(0, 3), 2.0, 1e-15);
    EXPECT_NEAR(inv(1, 3), 5.0, 1e-15);
    EXPECT_NEAR(inv(2, 3), -7.0, 1e-15);
}

TEST(Matrix, SingularMatricesAreRefused)
{
    const double zeroRow[4][4] = {{1, 2, 3, 4}, {0, 0, 0, 0}, {5, 6, 7, 8}, {0, 0, 0, 1}};
    const double dependent[4][4] = {{1, 2, 3, 4}, {2, 4, 6, 8}, {0, 1, 0, 0}, {0, 0, 0, 1}};
    const double zero[4][4] = {};
    for (const auto* m : {&zeroRow, &dependent, &zero}) {
        CMatrix4x4 out;
        out(0, 0) = 42.0;
        EXPECT_EQ(FromRows(*m).Invert(out), 0);
        EXPECT_EQ(out(0, 0), 42.0);  // the output is left alone
    }
}

// ---------------------------------------------------------------- systems

TEST(CoordSystem, SelectorPlanes)
{
    struct Case {
        int selector;
        CVector3D axis1, axis2, normal;
        CPoint3D localX;  // global position of local (1, 0, 0)
    };
    const Case cases[] = {
        {0, CVector3D(1, 0, 0), CVector3D(0, 1, 0), CVector3D(0, 0, 1), CPoint3D(1, 0, 0)},
        {1, CVector3D(0, 0, 1), CVector3D(1, 0, 0), CVector3D(0, 1, 0), CPoint3D(0, 0, 1)},
        {2, CVector3D(0, 1, 0), CVector3D(0, 0, 1), CVector3D(1, 0, 0), CPoint3D(0, 1, 0)},
        {7, CVector3D(0, 1, 0), CVector3D(0, 0, 1), CVector3D(1, 0, 0), CPoint3D(0, 1, 0)},
    };
    for (const Case& c : cases) {
        const CCoordSystem3D s(c.selector, CPoint3D(0, 0, 0));
        EXPECT_TRUE(s.GetAxis1() == c.axis1);
        EXPECT_TRUE(s.GetAxis2() == c.axis2);
        EXPECT_TRUE(s.GetNormal() == c.normal);
        CPoint3D g;
        ASSERT_EQ(s.LocalToGlobal(CPoint3D(1, 0, 0), g), 1);
        ExpectPoint(g, c.localX.x, c.localX.y, c.localX.z, 0.0);
    }
    EXPECT_EQ(g_GeoPlaneXY.GetType(), static_cast<uint32_t>(GEO_COORDSYSTEM3D));
    EXPECT_TRUE(g_GeoPlaneZX.GetNormal() == CVector3D(0, 1, 0));
    EXPECT_TRUE(g_GeoPlaneYZ.GetNormal() == CVector3D(1, 0, 0));
    EXPECT_TRUE(g_GeoNullSystem.IsDegenerate());
    EXPECT_TRUE(g_GeoOrigin == CPoint3D(0, 0, 0));
    EXPECT_TRUE(CCoordSystem3D().IsDegenerate());
}

TEST(CoordSystem, MatricesMapLocalAndGlobalBothWays)
{
    // Origin (1, 2, 3), first axis along (1, 1, 0), second axis (0, 2, 1):
    // local y is the part of axis2 across axis1, local z the normal.
    const CCoordSystem3D s(CVector3D(1, 2, 3), CVector3D(1, 1, 0), CVector3D(0, 2, 1));
    const double r2 = std::sqrt(2.0);
    const CVector3D n = CVector3D(1, 1, 0).Cross(CVector3D(0, 2, 1));  // (1, -1, 2)
    const double nl = n.Length();
    const CVector3D b = n.Cross(CVector3D(1, 1, 0));  // (-2, 2, 2)
    const double bl = b.Length();
    struct Case {
        CPoint3D local, global;
    };
    const Case cases[] = {
        {CPoint3D(0, 0, 0), CPoint3D(1, 2, 3)},
        {CPoint3D(r2, 0, 0), CPoint3D(2, 3, 3)},
        {CPoint3D(0, 1, 0), CPoint3D(1 + b.x / bl, 2 + b.y / bl, 3 + b.z / bl)},
        {CPoint3D(0, 0, 2), CPoint3D(1 + 2 * n.x / nl, 2 + 2 * n.y / nl, 3 + 2 * n.z / nl)},
    };
    for (const Case& c : cases) {
        CPoint3D g, l;
        ASSERT_EQ(s.LocalToGlobal(c.local, g), 1);
        ExpectPoint(g, c.global.x, c.global.y, c.global.z, 1e-12);
        ASSERT_EQ(s.GlobalToLocal(c.global, l), 1);
        ExpectPoint(l, c.local.x, c.local.y, c.local.z, 1e-12);
    }
    CPoint3D p(4, -1, 2);
    ASSERT_EQ(s.GlobalToLocal(p), 1);
    ASSERT_EQ(s.LocalToGlobal(p), 1);
    ExpectPoint(p, 4, -1, 2, 1e-12);
    double d;
    ASSERT_EQ(s.SignedDistance(CPoint3D(1 + n.x, 2 + n.y, 3 + n.z), d), 1);
    EXPECT_NEAR(d, nl, 1e-12);
}

TEST(CoordSystem, DegenerateSystemsRefuseTransformations)
{
    const CCoordSystem3D cases[] = {
        CCoordSystem3D(CVector3D(0, 0, 0), CVector3D(0, 0, 0), CVector3D(0, 1, 0)),
        CCoordSystem3D(CVector3D(0, 0, 0), CVector3D(1, 0, 0), CVector3D(0, 0, 0)),
        CCoordSystem3D(CVector3D(0, 0, 0), CVector3D(1, 2, 3), CVector3D(-2, -4, -6)),
        CCoordSystem3D(CPoint3D(0, 0, 0), CPoint3D(1, 1, 1), CPoint3D(2, 2, 2)),
        g_GeoNullSystem,
    };
    for (const CCoordSystem3D& s : cases) {
        EXPECT_TRUE(s.IsDegenerate());
        CPoint3D out(5, 5, 5);
        EXPECT_EQ(s.LocalToGlobal(CPoint3D(1, 0, 0), out), 0);
        EXPECT_EQ(s.GlobalToLocal(CPoint3D(1, 0, 0), out), 0);
        ExpectPoint(out, 5, 5, 5, 0.0);
        double u = 3, v = 4;
        EXPECT_EQ(s.PlaneCoordinates(CPoint3D(1, 0, 0), u, v), 0);
        EXPECT_EQ(s.IntersectLine(GeoLine(CPoint3D(0, 0, 1), CVector3D(0, 0, 1)), out), 0);
        EXPECT_EQ(u, 3);
        GeoLine seg;
        EXPECT_EQ(s.PerpendicularFrom(CPoint3D(0, 0, 1), seg), 0);
    }
}

TEST(CoordSystem, PointAtAndPlaneCoordinatesWithSkewAxes)
{
    const CCoordSystem3D s(CVector3D(1, 1, 0), CVector3D(2, 0, 0), CVector3D(1, 1, 0));
    ExpectPoint(s.PointAt(0.5, 2), 1 + 1 + 2, 1 + 2, 0);
    struct Case {
        double u, v;
    };
    for (const Case& c : {Case{0.5, 2}, Case{-1, 0.25}, Case{0, 0}, Case{3, -2}}) {
        double u = 99, v = 99;
        ASSERT_EQ(s.PlaneCoordinates(s.PointAt(c.u, c.v), u, v), 1);
        EXPECT_NEAR(u, c.u, 1e-12);
        EXPECT_NEAR(v, c.v, 1e-12);
    }
    double u, v;
    EXPECT_EQ(s.PlaneCoordinates(CPoint3D(2, 2, 1), u, v), 0);  // off the plane
}

TEST(CoordSystem, LinesAndThePlane)
{
    const CCoordSystem3D xy(0, CPoint3D(0, 0, 2));  // the plane z = 2
    struct Case {
        const char* name;
        GeoLine line;
        int ok;
        CPoint3D point;
    };
    const Case cases[] = {
        {"vertical", GeoLine(CPoint3D(1, 1, 0), CVector3D(0, 0, 1)), 1, CPoint3D(1, 1, 2)},
        {"oblique", GeoLine(CPoint3D(0, 0, 0), CPoint3D(1, 2, 1)), 1, CPoint3D(2, 4, 2)},
        {"parallel above", GeoLine(CPoint3D(0, 0, 5), CVector3D(1, 1, 0)), 0, CPoint3D()},
        {"in the plane", GeoLine(CPoint3D(0, 0, 2), CVector3D(1, 0, 0)), 0, CPoint3D()},
        {"degenerate", GeoLine(CPoint3D(0, 0, 0), CVector3D(0, 0, 0)), 0, CPoint3D()},
    };
    for (const Case& c : cases) {
        CPoint3D p(-1, -1, -1);
        EXPECT_EQ(xy.IntersectLine(c.line, p), c.ok) << c.name;
        if (c.ok)
            ExpectPoint(p, c.point.x, c.point.y, c.point.z);
    }
    double d;
    ASSERT_EQ(xy.LineDistance(cases[2].line, d), 1);
    EXPECT_NEAR(d, 3.0, 1e-12);
    ASSERT_EQ(xy.LineDistance(cases[0].line, d), 1);
    EXPECT_EQ(d, 0.0);
    double a;
    ASSERT_EQ(xy.AngleWithLine(GeoLine(CPoint3D(0, 0, 0), CVector3D(1, 0, 1)), a), 1);
    EXPECT_NEAR(a, kPi / 4, 1e-12);
    ASSERT_EQ(xy.AngleWithLine(cases[0].line, a), 1);
    EXPECT_NEAR(a, kPi / 2, 1e-12);
    ASSERT_EQ(xy.AngleWithLine(cases[2].line, a), 1);
    EXPECT_EQ(a, 0.0);

    GeoLine seg;
    ASSERT_EQ(xy.PerpendicularFrom(CPoint3D(3, 4, 7), seg), 1);
    ExpectPoint(seg.GetPoint(), 3, 4, 7);
    ExpectPoint(seg.GetEndPoint(), 3, 4, 2);
    const GeoLine normal = xy.NormalLineAt(1, 2);
    ExpectPoint(normal.GetPoint(), 1, 2, 2);
    ExpectPoint(normal.GetDirection(), 0, 0, 1);
}

TEST(CoordSystem, ProjectLinesMergesOverlapsAndDropsPoints)
{
    GeoLine p;
    ASSERT_EQ(g_GeoPlaneXY.ProjectLine(GeoLine(CPoint3D(0, 0, 5), CPoint3D(1, 2, -3)), p), 1);
    ExpectPoint(p.GetPoint(), 0, 0, 0);
    ExpectPoint(p.GetEndPoint(), 1, 2, 0);
    EXPECT_EQ(g_GeoPlaneXY.ProjectLine(GeoLine(CPoint3D(1, 1, 0), CPoint3D(1, 1, 4)), p), 0);

    std::vector<GeoLine> lines = {
        GeoLine(CPoint3D(0, 0, 1), CPoint3D(2, 0, 1)),
        GeoLine(CPoint3D(1, 1, 0), CPoint3D(1, 1, 9)),   // projects to a point: dropped
        GeoLine(CPoint3D(1, 0, -4), CPoint3D(3, 0, 2)),  // overlaps the first
        GeoLine(CPoint3D(3, 0, 0), CPoint3D(4, 0, 0)),   // touches the merged one
        GeoLine(CPoint3D(6, 0, 0), CPoint3D(7, 0, 0)),   // collinear, with a gap
        GeoLine(CPoint3D(0, 1, 0), CPoint3D(0, 2, 0)),
    };
    g_GeoPlaneXY.ProjectLines(lines);
    ASSERT_EQ(lines.size(), 3u);
    ExpectPoint(lines[0].GetPoint(), 0, 0, 0);
    ExpectPoint(lines[0].GetEndPoint(), 4, 0, 0);
    ExpectPoint(lines[1].GetPoint(), 6, 0, 0);
    ExpectPoint(lines[2].GetEndPoint(), 0, 2, 0);
}

TEST(CoordSystem, MovingTheSystem)
{
    CCoordSystem3D s(0, CPoint3D(1, 0, 0));
    s.Translate(0, 2, 3);
    ExpectPoint(s.GetOrigin(), 1, 2, 3);
    ExpectPoint(s.GetAxis1(), 1, 0, 0);
    s.Translate(CVector3D(-1, -2, -3));
    ExpectPoint(s.GetOrigin(), 0, 0, 0);
    s.Scale(2, 3, 1);
    ExpectPoint(s.GetAxis1(), 2, 0, 0);
    ExpectPoint(s.GetAxis2(), 0, 3, 0);
    s.Rotate(0, 0, kPi / 2);
    ExpectPoint(s.GetAxis1(), 0, 2, 0);
    ExpectPoint(s.GetAxis2(), -3, 0, 0);
    CPoint3D g;
    ASSERT_EQ(s.LocalToGlobal(CPoint3D(1, 0, 0), g), 1);  // matrices follow
    ExpectPoint(g, 0, 1, 0);
    CMatrix4x4 m;
    m.SetTranslation(0, 0, 5);
    s.Transform(m);
    ExpectPoint(s.GetOrigin(), 0, 0, 5);

    std::vector<GeoLine> outline;
    CCoordSystem3D(CVector3D(0, 0, 0), CVector3D(2, 0, 0), CVector3D(0, 1, 0)).Outline(outline);
    ASSERT_EQ(outline.size(), 4u);
    ExpectPoint(outline[2].GetPoint(), 2, 0, 0);
    ExpectPoint(outline[2].GetEndPoint(), 2, 1, 0);
    ExpectPoint(outline[3].GetPoint(), 0, 1, 0);
    ExpectPoint(outline[3].GetEndPoint(), 2, 1, 0);
}

TEST(CoordSystem, CopyKeepsTypeAndMatrices)
{
    const CCoordSystem3D a(CVector3D(1, 2, 3), CVector3D(0, 1, 0), CVector3D(0, 0, 1));
    CCoordSystem3D b = a;
    EXPECT_TRUE(b.GetLocalToGlobal().IsEqual(a.GetLocalToGlobal()));
    EXPECT_TRUE(b.GetGlobalToLocal().IsEqual(a.GetGlobalToLocal()));
    CPlanarPolyline poly;
    poly.Set(a);
    EXPECT_EQ(poly.GetType(), static_cast<uint32_t>(GEO_PLANARPOLYLINE));
    EXPECT_TRUE(poly.GetOrigin() == a.GetOrigin());
}
}  // namespace
