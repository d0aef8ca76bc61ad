#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/GeoElements.h"
#include "geometry/GeoStream.h"

namespace {
constexpr double kTol = kGeoTolerance;
constexpr double kPi = std::numbers::pi;


double Coord(const CPoint3D& p, int i) { return i == 0 ? p.x : (i == 1 ? p.y : p.z); }

// Unit vector of the plane's local direction at the angle a, in global
// coordinates.
int PlaneDirection(const CCoordSystem3D& system, double a, CVector3D& dir)
{
    return system.LocalDirectionToGlobal(CVector3D(std::cos(a), std::sin(a), 0.0), dir);
}
}  // namespace

GeoLine::GeoLine(const CPoint3D& start, const CPoint3D& end) : CGeoElement(GEO_LINE) { Set(start, end); }

GeoLine::GeoLine(const CPoint3D& point, const CVector3D& direction) : CGeoElement(GEO_LINE)
{
    Set(point, direction);
}

GeoLine& GeoLine::operator=(const GeoLine& l)
{
    m_base = l.m_base;
    m_dir = l.m_dir;
    return *this;
}

CPoint3D GeoLine::GetEndPoint() const { return PointAt(1.0); }

CPoint3D GeoLine::PointAt(double t) const
{
    return CPoint3D(m_base.x + t * m_dir.x, m_base.y + t * m_dir.y, m_base.z + t * m_dir.z);
}

void GeoLine::Set(const CPoint3D& start, const CPoint3D& end)
{
    m_base.Set(start.x, start.y, start.z);
    m_dir.Set(end.x - start.x, end.y - start.y, end.z - start.z);
}

void GeoLine::Set(const CPoint3D& point, const CVector3D& direction)
{
    m_base.Set(point.x, point.y, point.z);
    m_dir = direction;
}

int GeoLine::ParameterOf(const CPoint3D& point, double& t, int onSegment) const
{
    if (IsDegenerate())
        return 0;
    double f;
    if (!m_dir.IsParallel(CVector3D(point - m_base), f))
        return 0;
    if (onSegment && (f < -kTol || f > 1.0 + kTol))
        return 0;
    t = f;
    return 1;
}

int GeoLine::IntersectParam(const GeoLine& line, double& t) const
{
    if (IsDegenerate() || line.IsDegenerate())
        return 0;
    const CVector3D& d = m_dir;
    const CVector3D& e = line.m_dir;
    const CVector3D& P = m_base;
    const CVector3D& Q = line.m_base;
    // Eliminate the other line's parameter with its first usable coordinate
    // k and solve in the first usable pair (k, m).
    for (int k = 0; k < 3; ++k) {
        const double ek = Coord(e, k);
        if (std::fabs(ek) <= kTol)
            continue;
        for (int m = 0; m < 3; ++m) {
            if (m == k)
                continue;
            const double ratio = Coord(e, m) / ek;
            const double D = Coord(d, k) * ratio - Coord(d, m);
            if (std::fabs(D) > kTol) {
                t = ((Coord(P, m) - Coord(Q, m)) - (Coord(P, k) - Coord(Q, k)) * ratio) / D;
                return 1;
            }
        }
    }
    return 0;
}

int GeoLine::Intersect(const GeoLine& line, CPoint3D& point) const
{
    double t, s;
    if (!IntersectParam(line, t))
        return 0;
    const CPoint3D p = PointAt(t);
    if (!line.ParameterOf(p, s, 0))
        return 0;
    point = p;
    return 1;
}

int GeoLine::Angle(const GeoLine& line, double& angle) const { return m_dir.Angle(line.m_dir, angle); }

int GeoLine::DirectionAngle(double& angle, const CCoordSystem3D& system) const
{
    return m_dir.DirectionAngle(angle, system);
}

bool GeoLine::IsPointOnSegment(const CPoint3D& point, const CPoint3D& a, const CPoint3D& b)
{
    if (point == a || point == b)
        return true;
    const double ab = a.Distance(b);
    if (point.Distance(a) > ab + kTol || point.Distance(b) > ab + kTol)
        return false;
    double t;
    return GeoLine(a, b).ParameterOf(point, t, 0) == 1;
}

bool GeoLine::IsPointOnSegment(const CPoint3D& point, const GeoLine& segment)
{
    return IsPointOnSegment(point, segment.GetPoint(), segment.GetEndPoint());
}

int GeoLine::PerpendicularTo(const CPoint3D& point, GeoLine& perpendicular) const
{
    if (IsDegenerate())
        return 0;
    const double t = CVector3D(point - m_base).Dot(m_dir) / m_dir.Dot(m_dir);
    const CPoint3D foot = PointAt(t);
    if (foot == point)
        return 0;
    perpendicular.Set(point, foot);
    return 1;
}

int GeoLine::Foot(const CPoint3D& point, CPoint3D& foot, double& distance) const
{
    if (IsDegenerate())
        return 0;
    double t;
    if (ParameterOf(point, t, 0)) {
        foot = point;
        distance = 0.0;
        return 1;
    }
    t = CVector3D(point - m_base).Dot(m_dir) / m_dir.Dot(m_dir);
    const CPoint3D f = PointAt(t);
    distance = f.Distance(point);
    foot = f;
    return 1;
}

int GeoLine::FootInSecondHalf(const CPoint3D& point, int& flag) const
{
    if (IsDegenerate())
        return 0;
    const double t = CVector3D(point - m_base).Dot(m_dir) / m_dir.Dot(m_dir);
    flag = t >= 0.5 ? 1 : 0;
    return 1;
}

int GeoLine::Distance(const GeoLine& line, double& distance) const
{
    if (IsDegenerate() || line.IsDegenerate())
        return 0;
    const CVector3D n = m_dir.Cross(line.m_dir);
    const double len = n.Length();
    if (len > kTol) {
        distance = CPoint3D::Triple(m_dir, line.m_dir, m_base - line.m_base) / len;
        return 1;
    }
    CPoint3D foot;
    double d;
    if (!Foot(line.GetPoint(), foot, d))
        return 0;
    distance = d;
    return 1;
}

int GeoLine::CrossCoordinatePlane(int which, CPoint3D& point) const
{
    if (which < 0 || which > 2)
        return 0;
    const int c = which == 0 ? 2 : (which == 1 ? 1 : 0);
    const double dc = Coord(m_dir, c);
    if (std::fabs(dc) <= kTol)
        return 0;
    CPoint3D p = PointAt(-Coord(m_base, c) / dc);
    // The crossing lies on the plane itself.
    (c == 0 ? p.x : (c == 1 ? p.y : p.z)) = 0.0;
    point = p;
    return 1;
}

bool GeoLine::IsPerpendicularTo(const GeoLine& line, const CCoordSystem3D& system) const
{
    double a1, a2;
    if (!DirectionAngle(a1, system) || !line.DirectionAngle(a2, system))
        return false;
    return std::fabs(std::fabs(std::sin(a1 - a2)) - 1.0) <= kTol;
}

bool GeoLine::IsParallelTo(const GeoLine& line, const CCoordSystem3D& system) const
{
    double a1, a2;
    if (!DirectionAngle(a1, system) || !line.DirectionAngle(a2, system))
        return false;
    return std::fabs(std::fabs(std::cos(a1 - a2)) - 1.0) <= kTol;
}

int GeoLine::MergeCollinear(const GeoLine& line, GeoLine& result) const
{
    if (IsDegenerate() || line.IsDegenerate())
        return 0;
    double t1, t2;
    if (!ParameterOf(line.GetPoint(), t1, 0) || !ParameterOf(line.GetEndPoint(), t2, 0))
        return 0;
    const double lo = std::min({t1, t2, 0.0});
    const double hi = std::max({t1, t2, 1.0});
    result.Set(PointAt(lo), PointAt(hi));
    return 1;
}

int GeoLine::ParallelLine(double offset, const CCoordSystem3D& system, GeoLine& result) const
{
    double a;
    CVector3D u;
    if (!DirectionAngle(a, system) || !PlaneDirection(system, a + kPi / 2.0, u))
        return 0;
    result.Set(GetPoint() + u * offset, m_dir);
    return 1;
}

int GeoLine::PerpendicularSegment(double t, double h, const CCoordSystem3D& system, GeoLine& result) const
{
    double a;
    CVector3D u;
    if (!DirectionAngle(a, system) || !PlaneDirection(system, a + kPi / 2.0, u))
        return 0;
    result.Set(PointAt(t), u * h);
    return 1;
}

int GeoLine::RotateAbout(double t, double angle, const CCoordSystem3D& system)
{
    if (system.IsDegenerate())
        return 0;
    const CPoint3D pivot = PointAt(t);
    CVector3D dir(m_dir);
    if (!dir.Rotate(angle, system))
        return 0;
    CPoint3D base = GetPoint();
    base.RotateAbout(pivot, angle, system);
    Set(base, dir);
    return 1;
}

int GeoLine::ExtendToLine(const GeoLine& line, int atEnd, GeoLine& extension, int onSegment) const
{
    CPoint3D p;
    double t, s;
    if (!Intersect(line, p))
        return 0;
    if (onSegment && !ParameterOf(p, t, 1))
        return 0;
    if (!line.ParameterOf(p, s, 0))
        return 0;
    if (atEnd == 0 && s < 0.0) {
        extension.Set(line.GetPoint(), p);
        return 1;
    }
    if (atEnd == 1 && s > 1.0) {
        extension.Set(line.GetEndPoint(), p);
        return 1;
    }
    return 0;
}

bool GeoLine::ReadRecord(CRecordReader& reader)
{
    CVector3D base, dir;
    if (!base.ReadRecord(reader) || !dir.ReadRecord(reader))
        return false;
    m_base = base;
    m_dir = dir;
    return true;
}

void GeoLine::WriteRecord(CRecordWriter& writer) const
{
    m_base.WriteRecord(writer);
    m_dir.WriteRecord(writer);
}
