#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/GeoNumeric.h"
#include "geometry/GeoPlanar.h"
#include "geometry/GeoStream.h"

namespace {
constexpr double kTol = kGeoTolerance;
constexpr uint64_t kVertexRecordSize = 32;
}  // namespace

CPlanarPolyline::CPlanarPolyline(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane)
    : CCoordSystem3D(GEO_PLANARPOLYLINE)
{
    Set(origin, pointOnAxis1, pointInPlane);
}

CPlanarPolyline::CPlanarPolyline(const CVector3D& origin, const CVector3D& axis1, const CVector3D& axis2)
    : CCoordSystem3D(GEO_PLANARPOLYLINE)
{
    Set(origin, axis1, axis2);
}

CPlanarPolyline::CPlanarPolyline(int selector, const CPoint3D& origin) : CCoordSystem3D(GEO_PLANARPOLYLINE)
{
    Set(selector, origin);
}

CPlanarPolyline::CPlanarPolyline(const CPlanarPolyline& p)
    : CCoordSystem3D(GEO_PLANARPOLYLINE, p), m_vertices(p.m_vertices)
{
}

CPlanarPolyline& CPlanarPolyline::operator=(const CPlanarPolyline& p)
{
    CCoordSystem3D::operator=(p);
    m_vertices = p.m_vertices;
    return *this;
}

void CPlanarPolyline::SetSize(int n) { m_vertices.resize(n > 0 ? static_cast<size_t>(n) : 0); }

int CPlanarPolyline::GlobalVertex(int i, CPoint3D& point) const
{
    const CPolyVertex3D& v = m_vertices[static_cast<size_t>(i)];
    return LocalToGlobal(CPoint3D(v.x, v.y, v.z), point);
}

int CPlanarPolyline::SegmentLine(int i, GeoLine& line) const
{
    CPoint3D a, b;
    if (!ValidSegment(i) || !GlobalVertex(i, a) || !GlobalVertex(i + 1, b))
        return 0;
    line.Set(a, b);
    return 1;
}

int CPlanarPolyline::SegmentKind(int i) const
{
    if (!ValidSegment(i))
        return 0;
    const CPolyVertex3D& a = m_vertices[static_cast<size_t>(i)];
    const CPolyVertex3D& b = m_vertices[static_cast<size_t>(i) + 1];
    if (CPoint3D(a.x, a.y, a.z) == CPoint3D(b.x, b.y, b.z))
        return 0;
    return std::fabs(a.bulge) <= kTol ? GEO_LINE : GEO_PLANARARC;
}

int CPlanarPolyline::SetSegmentRadius(int i, double radius)
{
    if (!ValidSegment(i) || std::fabs(radius) <= kTol || !std::isfinite(radius))
        return 0;
    CPolyVertex3D& a = m_vertices[static_cast<size_t>(i)];
    const CPolyVertex3D& b = m_vertices[static_cast<size_t>(i) + 1];
    const CVector3D chord(b.x - a.x, b.y - a.y, b.z - a.z);
    if (chord.IsZero())
        return 0;
    const int side = radius < 0.0 ? 2 : 0;
    const double r = std::fabs(radius);
    const double c = chord.Length() / 2.0;
    const double d = r - c > 0.0 ? std::sqrt(r * r - c * c) : 0.0;
    double bulge = (r - d) / c;
    if (side == 0)
        bulge = -bulge;
    a.bulge = bulge;
    return 1;
}

int CPlanarPolyline::SegmentArc(int i, CPlanarArc& arc) const
{
    if (!ValidSegment(i) || IsDegenerate())
        return 0;
    const CPolyVertex3D& A = m_vertices[static_cast<size_t>(i)];
    const CPolyVertex3D& B = m_vertices[static_cast<size_t>(i) + 1];
    const double bulge = A.bulge;
    if (std::fabs(bulge) <= kTol)
        return 0;
    const double dx = B.x - A.x, dy = B.y - A.y;
    const double len = std::hypot(dx, dy);
    if (len <= kTol)
        return 0;
    const double c = len / 2.0;
    // Left normal of the chord (its direction angle + pi/2) in the plane.
    const double nx = -dy / len, ny = dx / len;
    const double h = c * -bulge;  // positive: the middle point lies left of the chord
    const double mx = (A.x + B.x) / 2.0 + h * nx;
    const double my = (A.y + B.y) / 2.0 + h * ny;
    const double s = std::fabs(h);
    const double r = (s + c * c / s) / 2.0;
    const double sign = h > 0.0 ? 1.0 : -1.0;
    const double cx = mx - sign * r * nx;
    const double cy = my - sign * r * ny;
    // With the middle point on the left the way A -> m -> B is clockwise in
    // the polyline's system: the arc's system then has its second axis turned
    // over, so that the arc runs counter-clockwise in its own system.
    const bool flip = h > 0.0;
    CPoint3D centre;
    CVector3D e1, e2;
    if (!LocalToGlobal(CPoint3D(cx, cy, (A.z + B.z) / 2.0), centre) ||
        !LocalDirectionToGlobal(CVector3D(1.0, 0.0, 0.0), e1) ||
        !LocalDirectionToGlobal(CVector3D(0.0, flip ? -1.0 : 1.0, 0.0), e2))
        return 0;
    const double fy = flip ? -1.0 : 1.0;
    const double angleA = DirectionAngleXY(A.x - cx, fy * (A.y - cy));
    const double angleB = DirectionAngleXY(B.x - cx, fy * (B.y - cy));
    arc.Set(CCoordSystem3D(CVector3D(centre), e1, e2), r, angleA, NormalizeAngle(angleB - angleA));
    return 1;
}

double CPlanarPolyline::SegmentLength(int i) const
{
    if (!ValidSegment(i))
        return 0.0;
    if (SegmentKind(i) == GEO_PLANARARC) {
        CPlanarArc arc;
        if (SegmentArc(i, arc))
            return arc.GetRadius() * arc.GetSweep();
    }
    const CPolyVertex3D& a = m_vertices[static_cast<size_t>(i)];
    const CPolyVertex3D& b = m_vertices[static_cast<size_t>(i) + 1];
    return CPoint3D(a.x, a.y, a.z).Distance(CPoint3D(b.x, b.y, b.z));
}

int CPlanarPolyline::PointOnSegment(int i, double t, CPoint3D& point) const
{
    GeoLine line;
    if (!SegmentLine(i, line))
        return 0;
    if (SegmentKind(i) == GEO_PLANARARC) {
        CPlanarArc arc;
        if (!SegmentArc(i, arc))
            return 0;
        if (arc.StartPoint() != line.GetPoint())
            t = 1.0 - t;
        point = arc.PointAt(t * arc.GetSweep());
        return 1;
    }
    point = line.PointAt(t);
    return 1;
}

int CPlanarPolyline::ExtendToPolyline(const GeoLine& line, int atEnd, GeoLine& extension) const
{
    if (IsDegenerate() || line.IsDegenerate() || GetSize() < 2)
        return 0;
    bool found = false;
    GeoLine best;
    for (int i = 0; i + 1 < GetSize(); ++i) {
        GeoLine candidate;
        int ok = 0;
        const int kind = SegmentKind(i);
        if (kind == GEO_LINE) {
            GeoLine segment;
            ok = SegmentLine(i, segment) && segment.ExtendToLine(line, atEnd, candidate, 1);
        } else if (kind == GEO_PLANARARC) {
            CPlanarArc arc;
            ok = SegmentArc(i, arc) && arc.ExtendToArc(line, atEnd, candidate);
        }
        if (ok && (!found || candidate.Length() < best.Length())) {
            best = candidate;
            found = true;
        }
    }
    if (!found)
        return 0;
    extension = best;
    return 1;
}

int CPlanarPolyline::ToPointList(std::vector<CPoint3D>& points, int n) const
{
    if (IsDegenerate() || GetSize() < 2)
        return 0;
    int added = 0;
    bool first = true;
    for (int i = 0; i + 1 < GetSize(); ++i) {
        const int kind = SegmentKind(i);
        if (kind == 0)
            continue;  // coinciding vertices add nothing
        GeoLine chord;
        if (!SegmentLine(i, chord))
            return added;
        std::vector<CPoint3D> part;
        CPlanarArc arc;
        if (kind == GEO_PLANARARC && SegmentArc(i, arc))
            arc.ToPoints(part, n);
        if (part.empty()) {
            // A straight segment (or an arc that is to be given in no parts).
            part.push_back(chord.GetPoint());
            part.push_back(chord.GetEndPoint());
        } else if (part.front() != chord.GetPoint()) {
            std::reverse(part.begin(), part.end());
        }
        // The start repeats the previous end.
        for (size_t k = first ? 0 : 1; k < part.size(); ++k) {
            points.push_back(part[k]);
            ++added;
        }
        first = false;
    }
    return added;
}

int CPlanarPolyline::NearestStraightSegment(const CPoint3D& point, GeoLine& segment, int* index) const
{
    int best = -1;
    double bestDistance = 0.0;
    GeoLine bestLine;
    for (int i = 0; i + 1 < GetSize(); ++i) {
        GeoLine line;
        if (SegmentKind(i) != GEO_LINE || !SegmentLine(i, line))
            continue;
        const CVector3D& d = line.GetDirection();
        const double t = CVector3D(point - line.GetPoint()).Dot(d) / d.Dot(d);
        if (t < -kTol || t > 1.0 + kTol)
            continue;
        const double dist = point.Distance(line.PointAt(t));
        if (best < 0 || dist < bestDistance) {
            best = i;
            bestDistance = dist;
            bestLine = line;
        }
    }
    if (best < 0)
        return 0;
    segment = bestLine;
    if (index)
        *index = best;
    return 1;
}

bool CPlanarPolyline::ReadRecord(CRecordReader& reader)
{
    CVector3D o, a1, a2;
    int32_t count;
    if (!ReadSystem(reader, o, a1, a2) || !reader.ReadInt32(count))
        return false;
    if (count < 0)
        return false;
    uint64_t remaining;
    if (reader.Remaining(remaining) && static_cast<uint64_t>(count) * kVertexRecordSize > remaining)
        return false;  // more vertices than the stream holds
    // Vertices are taken as they arrive, so that a count the channel cannot
    // check sizes nothing before the data is there.
    std::vector<CPolyVertex3D> vertices;
    for (int32_t i = 0; i < count; ++i) {
        CPolyVertex3D v;
        if (!v.ReadRecord(reader))
            return false;
        vertices.push_back(v);
    }
    CCoordSystem3D::Set(o, a1, a2);
    m_vertices = std::move(vertices);
    return true;
}

void CPlanarPolyline::WriteRecord(CRecordWriter& writer) const
{
    CCoordSystem3D::WriteRecord(writer);
    const size_t n = std::min<size_t>(m_vertices.size(), static_cast<size_t>(std::numeric_limits<int32_t>::max()));
    writer.WriteInt32(static_cast<int32_t>(n));
    for (size_t i = 0; i < n; ++i)
        m_vertices[i].WriteRecord(writer);
}
