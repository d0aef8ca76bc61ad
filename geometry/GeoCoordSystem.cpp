#include <algorithm>
#include <cmath>

#include "geometry/GeoElements.h"
#include "geometry/GeoStream.h"

namespace {
constexpr double kTol = kGeoTolerance;

CPoint3D Pt(const CVector3D& v) { return CPoint3D(v.x, v.y, v.z); }
}  // namespace

CCoordSystem3D::CCoordSystem3D(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane)
    : CGeoElement(GEO_COORDSYSTEM3D)
{
    Set(origin, pointOnAxis1, pointInPlane);
}

CCoordSystem3D::CCoordSystem3D(const CVector3D& origin, const CVector3D& axis1, const CVector3D& axis2)
    : CGeoElement(GEO_COORDSYSTEM3D)
{
    Set(origin, axis1, axis2);
}

CCoordSystem3D::CCoordSystem3D(int selector, const CPoint3D& origin) : CGeoElement(GEO_COORDSYSTEM3D)
{
    Set(selector, origin);
}

CCoordSystem3D::CCoordSystem3D(const CCoordSystem3D& s) : CCoordSystem3D(GEO_COORDSYSTEM3D, s) {}

CCoordSystem3D::CCoordSystem3D(uint32_t type, const CCoordSystem3D& s)
    : CGeoElement(type),
      m_origin(s.m_origin),
      m_axis1(s.m_axis1),
      m_axis2(s.m_axis2),
      m_toGlobal(s.m_toGlobal),
      m_toLocal(s.m_toLocal)
{
}

CCoordSystem3D& CCoordSystem3D::operator=(const CCoordSystem3D& s)
{
    m_origin = s.m_origin;
    m_axis1 = s.m_axis1;
    m_axis2 = s.m_axis2;
    m_toGlobal = s.m_toGlobal;
    m_toLocal = s.m_toLocal;
    return *this;
}

void CCoordSystem3D::Set(const CVector3D& origin, const CVector3D& axis1, const CVector3D& axis2)
{
    m_origin = origin;
    m_axis1 = axis1;
    m_axis2 = axis2;
    ComputeMatrices();
}

void CCoordSystem3D::Set(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane)
{
    Set(CVector3D(origin), CVector3D(pointOnAxis1 - origin), CVector3D(pointInPlane - origin));
}

void CCoordSystem3D::Set(const CCoordSystem3D& system) { *this = system; }

void CCoordSystem3D::Set(int selector, const CPoint3D& origin)
{
    if (selector == 0)
        Set(CVector3D(origin), CVector3D(1, 0, 0), CVector3D(0, 1, 0));
    else if (selector == 1)
        Set(CVector3D(origin), CVector3D(0, 0, 1), CVector3D(1, 0, 0));
    else
        Set(CVector3D(origin), CVector3D(0, 1, 0), CVector3D(0, 0, 1));
}

bool CCoordSystem3D::IsDegenerate() const
{
    double f;
    if (m_axis1.IsZero() || m_axis2.IsZero() || m_axis1.IsParallel(m_axis2, f))
        return true;
    return !(GetNormal().Length() > 0.0);
}

void CCoordSystem3D::ComputeMatrices()
{
    m_toGlobal.SetIdentity();
    m_toLocal.SetIdentity();
    if (IsDegenerate())
        return;  // every transformation refuses a degenerate system
    // Columns: unit local x (axis1), unit local y (in the plane, across
    // axis1), unit normal, origin.
    const CVector3D a = m_axis1;
    const CVector3D n = a.Cross(m_axis2);
    const CVector3D b = n.Cross(a);
    const CVector3D* axes[3] = {&a, &b, &n};
    for (int c = 0; c < 3; ++c) {
        const double len = axes[c]->Length();
        m_toGlobal.m[0][c] = axes[c]->x / len;
        m_toGlobal.m[1][c] = axes[c]->y / len;
        m_toGlobal.m[2][c] = axes[c]->z / len;
    }
    m_toGlobal.m[0][3] = m_origin.x;
    m_toGlobal.m[1][3] = m_origin.y;
    m_toGlobal.m[2][3] = m_origin.z;
    CMatrix4x4 inv;
    if (m_toGlobal.Invert(inv))
        m_toLocal = inv;
}

CPoint3D CCoordSystem3D::PointAt(double u, double v) const
{
    return CPoint3D(m_origin.x + u * m_axis1.x + v * m_axis2.x, m_origin.y + u * m_axis1.y + v * m_axis2.y,
                    m_origin.z + u * m_axis1.z + v * m_axis2.z);
}

int CCoordSystem3D::PlaneCoordinates(const CPoint3D& point, double& u, double& v) const
{
    if (IsDegenerate())
        return 0;
    const GeoLine first(Pt(m_origin), m_axis1);
    const GeoLine across(point, m_axis2 * -1.0);
    double tu, tv;
    if (!first.IntersectParam(across, tu))
        return 0;
    if (!across.ParameterOf(first.PointAt(tu), tv, 0))
        return 0;
    u = tu;
    v = tv;
    return 1;
}

int CCoordSystem3D::IntersectLine(const GeoLine& line, CPoint3D& point) const
{
    if (IsDegenerate() || line.IsDegenerate())
        return 0;
    const CVector3D na1 = m_axis1 * -1.0;
    const CVector3D na2 = m_axis2 * -1.0;
    const double D = CPoint3D::Triple(line.GetDirection(), na1, na2);
    if (std::fabs(D) <= kTol)
        return 0;
    const double t = CPoint3D::Triple(m_origin - line.GetBase(), na1, na2) / D;
    point = line.PointAt(t);
    return 1;
}

int CCoordSystem3D::LocalToGlobal(const CPoint3D& local, CPoint3D& global) const
{
    if (IsDegenerate())
        return 0;
    global = m_toGlobal.Transform(local);
    return 1;
}

int CCoordSystem3D::GlobalToLocal(const CPoint3D& global, CPoint3D& local) const
{
    if (IsDegenerate())
        return 0;
    local = m_toLocal.Transform(global);
    return 1;
}

int CCoordSystem3D::LocalToGlobal(CPoint3D& point) const { return LocalToGlobal(CPoint3D(point), point); }
int CCoordSystem3D::GlobalToLocal(CPoint3D& point) const { return GlobalToLocal(CPoint3D(point), point); }

int CCoordSystem3D::LocalDirectionToGlobal(const CVector3D& local, CVector3D& global) const
{
    if (IsDegenerate())
        return 0;
    const CMatrix4x4& m = m_toGlobal;
    global.Set(m.m[0][0] * local.x + m.m[0][1] * local.y + m.m[0][2] * local.z,
               m.m[1][0] * local.x + m.m[1][1] * local.y + m.m[1][2] * local.z,
               m.m[2][0] * local.x + m.m[2][1] * local.y + m.m[2][2] * local.z);
    return 1;
}

int CCoordSystem3D::SignedDistance(const CPoint3D& point, double& distance) const
{
    CPoint3D local;
    if (!GlobalToLocal(point, local))
        return 0;
    distance = local.z;
    return 1;
}

int CCoordSystem3D::PerpendicularFrom(const CPoint3D& point, GeoLine& segment) const
{
    CPoint3D foot;
    if (IsDegenerate() || !IntersectLine(GeoLine(point, GetNormal()), foot))
        return 0;
    segment.Set(point, foot);
    return 1;
}

GeoLine CCoordSystem3D::NormalLineAt(double u, double v) const { return GeoLine(PointAt(u, v), GetNormal()); }

int CCoordSystem3D::LineDistance(const GeoLine& line, double& distance) const
{
    if (IsDegenerate() || line.IsDegenerate())
        return 0;
    CPoint3D crossing;
    if (IntersectLine(line, crossing)) {
        distance = 0.0;
        return 1;
    }
    return SignedDistance(line.GetPoint(), distance);
}

int CCoordSystem3D::AngleWithLine(const GeoLine& line, double& angle) const
{
    if (IsDegenerate() || line.IsDegenerate())
        return 0;
    CPoint3D crossing;
    if (!IntersectLine(line, crossing)) {
        angle = 0.0;
        return 1;
    }
    double h;
    if (!SignedDistance(crossing + line.GetDirection(), h))
        return 0;
    angle = std::asin(std::min(1.0, std::fabs(h) / line.GetDirection().Length()));
    return 1;
}

int CCoordSystem3D::ProjectLine(const GeoLine& line, GeoLine& result) const
{
    CPoint3D p0, p1;
    if (!GlobalToLocal(line.PointAt(0.0), p0) || !GlobalToLocal(line.PointAt(1.0), p1))
        return 0;
    p0.z = 0.0;
    p1.z = 0.0;
    if (!LocalToGlobal(p0) || !LocalToGlobal(p1))
        return 0;
    const GeoLine projected(p0, p1);
    if (projected.IsDegenerate())
        return 0;
    result = projected;
    return 1;
}

void CCoordSystem3D::ProjectLines(std::vector<GeoLine>& lines) const
{
    std::vector<GeoLine> projected;
    projected.reserve(lines.size());
    for (const GeoLine& line : lines) {
        GeoLine p;
        if (ProjectLine(line, p))
            projected.push_back(p);
    }
    for (size_t i = 0; i < projected.size(); ++i) {
        bool merged = true;
        while (merged) {
            merged = false;
            for (size_t j = i + 1; j < projected.size(); ++j) {
                GeoLine m;
                if (projected[i].MergeCollinear(projected[j], m) &&
                    m.Length() <= projected[i].Length() + projected[j].Length() + kTol) {
                    projected[i] = m;
                    projected.erase(projected.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                    break;
                }
            }
        }
    }
    lines = std::move(projected);
}

void CCoordSystem3D::Transform(const CMatrix4x4& matrix)
{
    const CPoint3D o = Pt(m_origin);
    const CPoint3D p1 = o + m_axis1;
    const CPoint3D p2 = o + m_axis2;
    Set(matrix.Transform(o), matrix.Transform(p1), matrix.Transform(p2));
}

void CCoordSystem3D::Translate(double dx, double dy, double dz)
{
    CMatrix4x4 m;
    m.Translate(dx, dy, dz);
    Transform(m);
}

void CCoordSystem3D::Translate(const CVector3D& v) { Translate(v.x, v.y, v.z); }

void CCoordSystem3D::Scale(double sx, double sy, double sz)
{
    CMatrix4x4 m;
    m.Scale(sx, sy, sz);
    Transform(m);
}

void CCoordSystem3D::Rotate(double ax, double ay, double az)
{
    CMatrix4x4 m;
    m.Rotate(ax, ay, az);
    Transform(m);
}

void CCoordSystem3D::Outline(std::vector<GeoLine>& lines) const
{
    const CPoint3D o = Pt(m_origin);
    const CPoint3D p1 = o + m_axis1;
    const CPoint3D p2 = o + m_axis2;
    const CPoint3D p12 = p1 + m_axis2;
    lines.emplace_back(o, p1);
    lines.emplace_back(o, p2);
    lines.emplace_back(p1, p12);
    lines.emplace_back(p2, p12);
}

bool CCoordSystem3D::ReadSystem(CRecordReader& reader, CVector3D& origin, CVector3D& axis1, CVector3D& axis2)
{
    return origin.ReadRecord(reader) && axis1.ReadRecord(reader) && axis2.ReadRecord(reader);
}

bool CCoordSystem3D::ReadRecord(CRecordReader& reader)
{
    CVector3D o, a1, a2;
    if (!ReadSystem(reader, o, a1, a2))
        return false;
    Set(o, a1, a2);
    return true;
}

void CCoordSystem3D::WriteRecord(CRecordWriter& writer) const
{
    m_origin.WriteRecord(writer);
    m_axis1.WriteRecord(writer);
    m_axis2.WriteRecord(writer);
}

// The library's global elements.
const CPoint3D g_GeoOrigin(0.0, 0.0, 0.0);
const CCoordSystem3D g_GeoPlaneXY(0, CPoint3D(0.0, 0.0, 0.0));
const CCoordSystem3D g_GeoPlaneZX(1, CPoint3D(0.0, 0.0, 0.0));
const CCoordSystem3D g_GeoPlaneYZ(2, CPoint3D(0.0, 0.0, 0.0));
const CCoordSystem3D g_GeoNullSystem(CPoint3D(0.0, 0.0, 0.0), CPoint3D(0.0, 0.0, 0.0), CPoint3D(0.0, 0.0, 0.0));
const GeoLine g_GeoNullLine(CPoint3D(0.0, 0.0, 0.0), CPoint3D(0.0, 0.0, 0.0));
