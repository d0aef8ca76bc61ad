#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/GeoNumeric.h"
#include "geometry/GeoPlanar.h"
#include "geometry/GeoStream.h"

namespace {
constexpr double kTol = kGeoTolerance;
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

CPoint3D Pt(const CVector3D& v) { return CPoint3D(v.x, v.y, v.z); }

// Angular distance of two directions, the shorter way round the circle.
double AngularDistance(double a, double b)
{
    const double d = NormalizeAngle(a - b);
    return d > kPi ? kTwoPi - d : d;
}
}  // namespace

// ---------------------------------------------------------------- CPlanarElement

CPlanarElement& CPlanarElement::operator=(const CPlanarElement& e)
{
    CCoordSystem3D::operator=(e);
    return *this;
}

int CPlanarElement::PointParameter(const CPoint3D&, double&, int) const { return 0; }
int CPlanarElement::LineIntersections(const GeoLine&, std::vector<CPoint3D>&) const { return 0; }
int CPlanarElement::Contains(const CPoint3D&) const { return 0; }
CPoint3D CPlanarElement::GetCenter() const { return Pt(m_origin); }

int CPlanarElement::InPlane(const CPoint3D& point, CPoint3D& local) const
{
    CPoint3D l;
    if (!GlobalToLocal(point, l) || std::fabs(l.z) > kTol)
        return 0;
    local = l;
    return 1;
}

// ---------------------------------------------------------------- CPlanarArc

CPlanarArc::CPlanarArc(const CPlanarArc& a)
    : CPlanarElement(GEO_PLANARARC, a), m_radius(a.m_radius), m_start(a.m_start), m_sweep(a.m_sweep)
{
}

CPlanarArc& CPlanarArc::operator=(const CPlanarArc& a)
{
    CPlanarElement::operator=(a);
    m_radius = a.m_radius;
    m_start = a.m_start;
    m_sweep = a.m_sweep;
    return *this;
}

void CPlanarArc::Set(const CPlanarArc& arc) { *this = arc; }

void CPlanarArc::Set(const CCoordSystem3D& system, double radius, double start, double sweep)
{
    CCoordSystem3D::Set(system);
    Set(radius, start, sweep);
}

void CPlanarArc::Set(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane,
                     double radius, double start, double sweep)
{
    CCoordSystem3D::Set(origin, pointOnAxis1, pointInPlane);
    Set(radius, start, sweep);
}

void CPlanarArc::Set(double radius, double start, double sweep)
{
    if (!std::isfinite(radius) || !std::isfinite(start) || !std::isfinite(sweep))
        return;
    m_radius = std::fabs(radius);
    m_start = NormalizeAngle(start);
    m_sweep = NormalizeAngle(sweep);
    if (std::fabs(m_sweep) <= kTol)
        m_sweep = kTwoPi;
}

int CPlanarArc::IsEmpty() const { return IsDegenerate() || m_radius <= kTol ? 1 : 0; }

bool CPlanarArc::IsFullCircle() const { return m_sweep <= kTol || m_sweep + kTol >= kTwoPi; }

CPoint3D CPlanarArc::PointAt(double t) const
{
    const CPoint3D local(m_radius * std::cos(m_start + t), m_radius * std::sin(m_start + t), 0.0);
    CPoint3D global;
    if (!LocalToGlobal(local, global))
        return Pt(m_origin);
    return global;
}

int CPlanarArc::AngleOfPoint(const CPoint3D& point, double& angle, int onArc) const
{
    CPoint3D local;
    if (IsEmpty() || !InPlane(point, local))
        return 0;
    if (std::fabs(std::hypot(local.x, local.y) - m_radius) > kTol)
        return 0;
    const double a = NormalizeAngle(DirectionAngleXY(local.x, local.y) - m_start);
    if (onArc && !(IsFullCircle() || a <= m_sweep + kTol || a >= kTwoPi - kTol))
        return 0;
    angle = a;
    return 1;
}

int CPlanarArc::PointParameter(const CPoint3D& point, double& parameter, int flag) const
{
    return AngleOfPoint(point, parameter, flag);
}

int CPlanarArc::LineIntersections(const GeoLine& line, std::vector<CPoint3D>& points) const
{
    // The crossings with the circle that lie on the arc itself.
    std::vector<CPoint3D> crossings;
    CrossLine(line, crossings);
    int count = 0;
    for (const CPoint3D& p : crossings) {
        double a;
        if (AngleOfPoint(p, a, 1)) {
            points.push_back(p);
            ++count;
        }
    }
    return count;
}

int CPlanarArc::Contains(const CPoint3D& point) const
{
    CPoint3D local;
    if (IsEmpty() || !InPlane(point, local))
        return 0;
    return m_radius - std::hypot(local.x, local.y) >= -kTol ? 1 : 0;
}

int CPlanarArc::SetThroughPoints(const CCoordSystem3D& system, const CPoint3D& p1, const CPoint3D& p2,
                                 const CPoint3D& p3)
{
    CCoordSystem3D plane;
    if (!system.IsDegenerate())
        plane = system;
    else
        plane.Set(p1, p2, p3);
    CPoint3D l[3];
    if (!plane.GlobalToLocal(p1, l[0]) || !plane.GlobalToLocal(p2, l[1]) || !plane.GlobalToLocal(p3, l[2]))
        return 0;
    for (CPoint3D& p : l)
        p.z = 0.0;
    // Centre: crossing of the perpendicular bisectors of p1p2 and p1p3.
    const GeoLine b12((l[0] + l[1]).Scaled(0.5), CVector3D(-(l[1].y - l[0].y), l[1].x - l[0].x, 0.0));
    const GeoLine b13((l[0] + l[2]).Scaled(0.5), CVector3D(-(l[2].y - l[0].y), l[2].x - l[0].x, 0.0));
    CPoint3D c;
    if (!b12.Intersect(b13, c))
        return 0;
    c.z = 0.0;
    CPoint3D centre;
    if (!plane.LocalToGlobal(c, centre))
        return 0;
    double a[3];
    for (int i = 0; i < 3; ++i)
        a[i] = DirectionAngleXY(l[i].x - c.x, l[i].y - c.y);
    const double radius = std::hypot(l[0].x - c.x, l[0].y - c.y);
    CCoordSystem3D arcSystem(CVector3D(centre), plane.GetAxis1(), plane.GetAxis2());
    // The arc must pass p2: when p2 does not lie on the counter-clockwise way
    // from p1 to p3, the points run clockwise and the arc runs from p3 to p1.
    const double sweep13 = NormalizeAngle(a[2] - a[0]);
    const double sweep12 = NormalizeAngle(a[1] - a[0]);
    if (sweep13 <= kTol || sweep12 <= sweep13)
        Set(arcSystem, radius, a[0], sweep13);
    else
        Set(arcSystem, radius, a[2], NormalizeAngle(a[0] - a[2]));
    return 1;
}

int CPlanarArc::CrossLine(const GeoLine& line, std::vector<CPoint3D>& points) const
{
    if (IsEmpty() || line.IsDegenerate())
        return 0;
    CPoint3D crossing;
    if (IntersectLine(line, crossing)) {
        double a;
        if (!AngleOfPoint(crossing, a, 0))
            return 0;
        points.push_back(crossing);
        return 1;
    }
    CPoint3D p0, p1;
    if (!GlobalToLocal(line.PointAt(0.0), p0) || !GlobalToLocal(line.PointAt(1.0), p1))
        return 0;
    if (std::fabs(p0.z) > kTol || std::fabs(p1.z) > kTol)
        return 0;  // parallel to the plane, off it
    const double dx = p1.x - p0.x, dy = p1.y - p0.y;
    const double a = dx * dx + dy * dy;
    if (std::fabs(a) <= kTol)
        return 0;
    const double b = 2.0 * (p0.x * dx + p0.y * dy);
    const double c = p0.x * p0.x + p0.y * p0.y - m_radius * m_radius;
    const double p = b / (2.0 * a);
    const double q = c / a;
    double delta = p * p - q;
    if (delta < 0.0) {
        // A tangent that rounding pushed just off the circle still touches it.
        if (-delta > 1e-12 * (p * p + std::fabs(q)))
            return 0;
        delta = 0.0;
    }
    const double root = std::sqrt(delta);
    points.push_back(line.PointAt(-p - root));
    if (delta > kTol) {
        points.push_back(line.PointAt(-p + root));
        return 2;
    }
    return 1;
}

int CPlanarArc::CrossCircle(const CPlanarArc& arc, std::vector<CPoint3D>& points) const
{
    if (IsEmpty() || arc.IsEmpty())
        return 0;
    const CPoint3D o2 = Pt(arc.GetOrigin());
    CPoint3D c2, tmp;
    if (!InPlane(o2, c2) || !InPlane(o2 + arc.GetAxis1(), tmp) || !InPlane(o2 + arc.GetAxis2(), tmp))
        return 0;
    if (std::hypot(c2.x, c2.y) <= kTol)
        return 0;  // concentric
    // The radical line 2 x2 x + 2 y2 y = r1^2 - r2^2 + x2^2 + y2^2 (own centre
    // at the local origin) holds both crossings.
    const double A = 2.0 * c2.x, B = 2.0 * c2.y;
    const double C = m_radius * m_radius - arc.m_radius * arc.m_radius + c2.x * c2.x + c2.y * c2.y;
    const double nn = A * A + B * B;
    const double nl = std::sqrt(nn);
    CPoint3D base;
    CVector3D dir;
    if (!LocalToGlobal(CPoint3D(A * C / nn, B * C / nn, 0.0), base) ||
        !LocalDirectionToGlobal(CVector3D(-B / nl, A / nl, 0.0), dir))
        return 0;
    return CrossLine(GeoLine(base, dir), points);
}

int CPlanarArc::ChooseNearest(const std::vector<CPoint3D>& points, CPoint3D& point, int flag) const
{
    const double end = m_start + m_sweep;
    int best = -1;
    double bestDistance = 0.0;
    for (size_t i = 0; i < points.size(); ++i) {
        CPoint3D local;
        if (!GlobalToLocal(points[i], local))
            return 0;
        const double a = DirectionAngleXY(local.x, local.y);
        double toStart = AngularDistance(a, m_start);
        double toEnd = AngularDistance(a, end);
        if (flag)
            std::swap(toStart, toEnd);
        if (toEnd < toStart && (best < 0 || toEnd < bestDistance)) {
            best = static_cast<int>(i);
            bestDistance = toEnd;
        }
    }
    if (best < 0)
        return 0;
    point = points[static_cast<size_t>(best)];
    return 1;
}

int CPlanarArc::NearestCrossing(const GeoLine& line, CPoint3D& point, int flag) const
{
    std::vector<CPoint3D> points;
    if (!CrossLine(line, points))
        return 0;
    return ChooseNearest(points, point, flag);
}

int CPlanarArc::NearestCrossing(const CPlanarArc& arc, CPoint3D& point, int flag) const
{
    std::vector<CPoint3D> points;
    if (!CrossCircle(arc, points))
        return 0;
    return ChooseNearest(points, point, flag);
}

int CPlanarArc::DistanceToCircle(const CPoint3D& point, double& distance, int& side) const
{
    // The centre lies inside: its distance is the radius, on the inner side.
    const double value = point.Distance(Pt(m_origin)) - m_radius;
    side = value > 0.0 ? 2 : 0;
    distance = std::fabs(value);
    return 1;
}

int CPlanarArc::ProjectToCircle(const CPoint3D& point, CPoint3D& projected, double& angle, double& distance) const
{
    CPoint3D local;
    if (IsEmpty() || !GlobalToLocal(point, local))
        return 0;
    const double rho = std::hypot(local.x, local.y);
    if (rho <= kTol)
        return 0;  // the centre
    CPoint3D p;
    double a;
    if (!LocalToGlobal(CPoint3D(m_radius * local.x / rho, m_radius * local.y / rho, 0.0), p) ||
        !AngleOfPoint(p, a, 0))
        return 0;
    projected = p;
    angle = a;
    distance = std::fabs(point.Distance(Pt(m_origin)) - m_radius);
    return 1;
}

int CPlanarArc::NearestPoint(const CPoint3D& point, CPoint3D& result, double& distance) const
{
    CPoint3D p;
    double a, d;
    if (!ProjectToCircle(point, p, a, d))
        return 0;
    result = PointAt(a);
    distance = d;
    return 1;
}

int CPlanarArc::InSecondHalf(const CPoint3D& point, int& flag) const
{
    CPoint3D p;
    double a, d;
    if (!ProjectToCircle(point, p, a, d))
        return 0;
    flag = a >= m_sweep / 2.0 ? 1 : 0;
    return 1;
}

int CPlanarArc::Tangent(double t, double length, GeoLine& tangent) const
{
    if (IsEmpty() || length <= kTol)
        return 0;
    const double a = m_start + t;
    CVector3D tau;
    if (!LocalDirectionToGlobal(CVector3D(-std::sin(a), std::cos(a), 0.0), tau))
        return 0;
    const CPoint3D p = PointAt(t);
    tangent.Set(p - tau * (length / 2.0), p + tau * (length / 2.0));
    return 1;
}

int CPlanarArc::ExtendToArc(const GeoLine& line, int atEnd, GeoLine& extension) const
{
    if (IsEmpty() || line.IsDegenerate() || (atEnd != 0 && atEnd != 1))
        return 0;
    std::vector<CPoint3D> points;
    LineIntersections(line, points);
    bool found = false;
    double bestT = 0.0;
    CPoint3D best;
    for (const CPoint3D& p : points) {
        double t, a;
        if (!line.ParameterOf(p, t, 0) || !AngleOfPoint(p, a, 1))
            continue;
        const bool outside = atEnd == 0 ? t < 0.0 : t > 1.0;
        if (!outside)
            continue;
        if (!found || (atEnd == 0 ? t > bestT : t < bestT)) {
            found = true;
            bestT = t;
            best = p;
        }
    }
    if (!found)
        return 0;
    extension.Set(atEnd == 0 ? line.GetPoint() : line.GetEndPoint(), best);
    return 1;
}

int CPlanarArc::ToPoints(std::vector<CPoint3D>& points, int n) const
{
    const int k = CircleSectorIndex(m_sweep, n);
    if (k <= 0)
        return 0;
    for (int i = 0; i <= k; ++i)
        points.push_back(PointAt(i * m_sweep / k));
    return k + 1;
}

int CPlanarArc::ToLines(std::vector<GeoLine>& lines, int n) const
{
    const int k = CircleSectorIndex(m_sweep, n);
    if (k <= 0)
        return 0;
    for (int i = 0; i < k; ++i)
        lines.emplace_back(PointAt(i * m_sweep / k), PointAt((i + 1) * m_sweep / k));
    return k;
}

int CPlanarArc::ChordAngle(double chord, double& angle) const
{
    if (IsEmpty())
        return 0;
    const double ratio = (chord / 2.0) / m_radius;
    if (std::fabs(ratio) > 1.0 + kTol)
        return 0;  // longer than the diameter
    angle = 2.0 * std::asin(std::clamp(ratio, -1.0, 1.0));
    return 1;
}

bool CPlanarArc::ReadRecord(CRecordReader& reader)
{
    CVector3D o, a1, a2;
    double radius, start, sweep;
    if (!ReadSystem(reader, o, a1, a2) || !reader.ReadDouble(radius) || !reader.ReadDouble(start) ||
        !reader.ReadDouble(sweep))
        return false;
    // An arc keeps its radius as a magnitude, its start in [0, 2pi) and its
    // sweep in [0, 2pi]: other values come from a damaged record.
    if (radius < 0.0 || start < 0.0 || start >= kTwoPi || sweep < 0.0 || sweep > kTwoPi)
        return false;
    CCoordSystem3D::Set(o, a1, a2);
    m_radius = radius;
    m_start = start;
    m_sweep = sweep;
    return true;
}

void CPlanarArc::WriteRecord(CRecordWriter& writer) const
{
    CCoordSystem3D::WriteRecord(writer);
    writer.WriteDouble(m_radius);
    writer.WriteDouble(m_start);
    writer.WriteDouble(m_sweep);
}
