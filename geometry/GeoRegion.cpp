#include <algorithm>
#include <cmath>

#include "geometry/GeoPlanar.h"
#include "geometry/GeoStream.h"

namespace {
constexpr double kTol = kGeoTolerance;
}  // namespace

CPlanarRegion::CPlanarRegion(const CPlanarRegion& r) : CPlanarElement(GEO_PLANARREGION, r), m_coords(r.m_coords)
{
    Validate();
}

CPlanarRegion& CPlanarRegion::operator=(const CPlanarRegion& r)
{
    CPlanarElement::operator=(r);
    m_coords = r.m_coords;
    Validate();
    return *this;
}

void CPlanarRegion::Set(const CCoordSystem3D& system, const double* xs, const double* ys, int n)
{
    CCoordSystem3D::Set(system);
    m_coords.clear();
    if (xs && ys)
        for (int i = 0; i < n; ++i) {
            m_coords.push_back(xs[i]);
            m_coords.push_back(ys[i]);
        }
    Validate();
}

void CPlanarRegion::Set(const CCoordSystem3D& system, const CPoint3D* points, int n)
{
    CCoordSystem3D::Set(system);
    m_coords.clear();
    if (points)
        for (int i = 0; i < n; ++i) {
            CPoint3D local;
            if (!GlobalToLocal(points[i], local)) {
                m_coords.clear();
                break;
            }
            m_coords.push_back(local.x);
            m_coords.push_back(local.y);
        }
    Validate();
}

void CPlanarRegion::Set(const CCoordSystem3D& system, const std::vector<CPoint3D>& points)
{
    Set(system, points.data(), static_cast<int>(points.size()));
}

CPoint3D CPlanarRegion::Corner(int i) const
{
    const int n = GetCornerCount();
    if (n == 0)
        return CPoint3D(0.0, 0.0, 0.0);
    if (i < 0 || i >= n)
        i = 0;
    return CPoint3D(m_coords[2 * static_cast<size_t>(i)], m_coords[2 * static_cast<size_t>(i) + 1], 0.0);
}

CPoint3D CPlanarRegion::GlobalCorner(int i) const
{
    CPoint3D p = Corner(i);
    LocalToGlobal(p);
    return p;
}

double CPlanarRegion::SignedArea() const
{
    const int n = GetCornerCount();
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const CPoint3D a = Corner(i), b = Corner(i + 1);
        sum += a.x * b.y - b.x * a.y;
    }
    return sum / 2.0;
}

void CPlanarRegion::Validate()
{
    m_valid = 0;
    if (IsDegenerate() || GetCornerCount() <= 2)
        return;
    for (double c : m_coords)
        if (!std::isfinite(c))
            return;
    // Repeated corners (the last against the first) go.
    int i = 0;
    while (GetCornerCount() > 2 && i < GetCornerCount()) {
        if (Corner(i) == Corner(i + 1))
            m_coords.erase(m_coords.begin() + 2 * i, m_coords.begin() + 2 * i + 2);
        else
            ++i;
    }
    const int n = GetCornerCount();
    if (n <= 2)
        return;
    // Edges that overlap or cross make no simple polygon.
    for (int ei = 1; ei <= n - 1; ++ei) {
        const GeoLine a(Corner(ei - 1), Corner(ei));
        const int limit = ei == 1 ? n - 1 : n;
        for (int ej = ei + 1; ej <= n; ++ej) {
            const GeoLine b(Corner(ej - 1), Corner(ej));
            GeoLine merged;
            if (a.MergeCollinear(b, merged) && merged.Length() < a.Length() + b.Length() - kTol)
                return;
            CPoint3D p;
            double t;
            if (ej > ei + 1 && ej <= limit && a.Intersect(b, p) && a.ParameterOf(p, t, 1) && b.ParameterOf(p, t, 1))
                return;
        }
    }
    const double area = SignedArea();
    if (std::fabs(area) <= kTol)
        return;
    if (area < 0.0) {
        std::vector<double> reversed;
        reversed.reserve(m_coords.size());
        for (int k = n - 1; k >= 0; --k) {
            reversed.push_back(m_coords[2 * static_cast<size_t>(k)]);
            reversed.push_back(m_coords[2 * static_cast<size_t>(k) + 1]);
        }
        m_coords = std::move(reversed);
    }
    m_valid = 1;
}

int CPlanarRegion::PointParameter(const CPoint3D& point, double& parameter, int) const
{
    CPoint3D local;
    if (IsEmpty() || !InPlane(point, local))
        return 0;
    for (int i = 0; i < GetCornerCount(); ++i) {
        double t;
        if (GeoLine(GlobalCorner(i), GlobalCorner(i + 1)).ParameterOf(point, t, 1)) {
            parameter = t;
            return 1;
        }
    }
    return 0;
}

int CPlanarRegion::LineIntersections(const GeoLine& line, std::vector<CPoint3D>& points) const
{
    if (IsEmpty() || line.IsDegenerate())
        return 0;
    points.clear();
    for (int i = 0; i < GetCornerCount(); ++i) {
        const GeoLine edge(GlobalCorner(i), GlobalCorner(i + 1));
        CPoint3D p;
        double t;
        if (!line.Intersect(edge, p) || !edge.ParameterOf(p, t, 1))
            continue;
        if (std::none_of(points.begin(), points.end(), [&p](const CPoint3D& q) { return q == p; }))
            points.push_back(p);
    }
    return static_cast<int>(points.size());
}

int CPlanarRegion::Contains(const CPoint3D& point) const
{
    CPoint3D local;
    if (IsEmpty() || !InPlane(point, local))
        return 0;
    return ContainsLocal(local.x, local.y);
}

CPoint3D CPlanarRegion::GetCenter() const
{
    const double area = SignedArea();
    if (std::fabs(area) <= kTol)
        return CPoint3D(0.0, 0.0, 0.0);
    double cx = 0.0, cy = 0.0;
    for (int i = 0; i < GetCornerCount(); ++i) {
        const CPoint3D a = Corner(i), b = Corner(i + 1);
        const double c = a.x * b.y - b.x * a.y;
        cx += (a.x + b.x) * c;
        cy += (a.y + b.y) * c;
    }
    CPoint3D centre(cx / (6.0 * area), cy / (6.0 * area), 0.0);
    LocalToGlobal(centre);
    return centre;
}

int CPlanarRegion::ContainsLocal(double x, double y) const
{
    if (IsEmpty())
        return 0;
    const int n = GetCornerCount();
    const CPoint3D p(x, y, 0.0);
    // On the boundary counts as inside.
    for (int i = 0; i < n; ++i) {
        double t;
        if (GeoLine(Corner(i), Corner(i + 1)).ParameterOf(p, t, 1))
            return 1;
    }
    auto quadrant = [x, y](const CPoint3D& v) {
        if (v.x <= x)
            return v.y <= y ? 0 : 3;
        return v.y <= y ? 1 : 2;
    };
    CPoint3D prev = Corner(n - 1);
    int qPrev = quadrant(prev);
    int w = 0;
    for (int i = 0; i < n; ++i) {
        const CPoint3D v = Corner(i);
        const int q = quadrant(v);
        switch ((q - qPrev + 4) % 4) {
        case 1:
            ++w;
            break;
        case 3:
            --w;
            break;
        case 2: {
            // The edge jumps across the point diagonally: which side of it
            // the point lies decides the direction. An edge that rises at
            // most 1e-6 runs within the tolerance of the point: boundary.
            const double rise = v.y - prev.y;
            if (std::fabs(rise) <= kTol)
                return 1;
            const double xs = (y - prev.y) * (v.x - prev.x) / rise + prev.x;
            if (xs == x)
                return 1;
            w += (xs < x) == (prev.y < v.y) ? -2 : 2;
            break;
        }
        default:
            break;
        }
        prev = v;
        qPrev = q;
    }
    return w != 0 && w % 4 == 0 ? 1 : 0;
}

bool CPlanarRegion::ReadRecord(CRecordReader& reader)
{
    CVector3D o, a1, a2;
    if (!ReadSystem(reader, o, a1, a2))
        return false;
    CCoordSystem3D::Set(o, a1, a2);
    Validate();
    return true;
}
