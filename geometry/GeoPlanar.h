// Planar elements: elements that lie in the plane of their coordinate system
// (polylines with arc segments, arcs and circles, polygonal regions).
#pragma once

#include <vector>

#include "geometry/GeoElements.h"

class CPlanarArc;

// A polyline in the plane of its system; vertex coordinates are local to the
// system. Segment i runs from vertex i to vertex i + 1 (the polyline is open);
// the bulge of vertex i makes it an arc whose middle point stands
// bulge x half the chord off the chord, to the right for a positive bulge
// (the arc then runs counter-clockwise); a bulge of magnitude 1 is a half
// circle, one of at most 1e-6 a straight segment.
class CPlanarPolyline : public CCoordSystem3D {
public:
    CPlanarPolyline() : CCoordSystem3D(GEO_PLANARPOLYLINE) {}
    CPlanarPolyline(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane);
    CPlanarPolyline(const CVector3D& origin, const CVector3D& axis1, const CVector3D& axis2);
    CPlanarPolyline(int selector, const CPoint3D& origin);
    CPlanarPolyline(const CPlanarPolyline& p);
    CPlanarPolyline& operator=(const CPlanarPolyline& p);

    // The vertex array.
    int GetSize() const { return static_cast<int>(m_vertices.size()); }
    void SetSize(int n);
    CPolyVertex3D& operator[](int i) { return m_vertices.at(static_cast<size_t>(i)); }
    const CPolyVertex3D& operator[](int i) const { return m_vertices.at(static_cast<size_t>(i)); }
    void Add(const CPolyVertex3D& v) { m_vertices.push_back(v); }
    const std::vector<CPolyVertex3D>& Vertices() const { return m_vertices; }
    std::vector<CPolyVertex3D>& Vertices() { return m_vertices; }

    int LastVertexIndex() const { return GetSize() - 1; }
    // GEO_LINE (5) for a straight segment, GEO_PLANARARC (9) for an arc, 0 for
    // an index outside 0..count-2 or coinciding vertices.
    int SegmentKind(int i) const;
    // Makes segment i an arc of the radius (positive: clockwise, negative:
    // counter-clockwise); a radius below half the chord gives the bulge r/c.
    int SetSegmentRadius(int i, double radius);
    // The arc of segment i, running counter-clockwise in its own system from
    // vertex i to vertex i + 1.
    int SegmentArc(int i, CPlanarArc& arc) const;
    double SegmentLength(int i) const;
    // Global point at fraction t of segment i.
    int PointOnSegment(int i, double t, CPoint3D& point) const;
    // Shortest extension of the line beyond its start (atEnd 0) or end
    // (atEnd 1) to a crossing with a segment.
    int ExtendToPolyline(const GeoLine& line, int atEnd, GeoLine& extension) const;
    // Appends the polyline as global points (arcs in parts of 2pi/n); returns
    // the number of points added.
    int ToPointList(std::vector<CPoint3D>& points, int n) const;
    // The nearest straight segment whose span holds the foot of the
    // perpendicular from the point.
    int NearestStraightSegment(const CPoint3D& point, GeoLine& segment, int* index = nullptr) const;

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;

private:
    int GlobalVertex(int i, CPoint3D& point) const;
    int SegmentLine(int i, GeoLine& line) const;
    bool ValidSegment(int i) const { return i >= 0 && i <= GetSize() - 2; }

    std::vector<CPolyVertex3D> m_vertices;
};

// An element bounded inside the plane of its system. The base answers "no"
// to every question and gives the origin as its centre.
class CPlanarElement : public CCoordSystem3D {
public:
    CPlanarElement() : CCoordSystem3D(GEO_PLANARELEMENT) {}
    CPlanarElement(const CPlanarElement& e) : CCoordSystem3D(GEO_PLANARELEMENT, e) {}
    CPlanarElement& operator=(const CPlanarElement& e);

    virtual int IsEmpty() const { return 0; }
    // Where a point lies on the element's boundary.
    virtual int PointParameter(const CPoint3D& point, double& parameter, int flag) const;
    // Crossing points with a line; returns their count.
    virtual int LineIntersections(const GeoLine& line, std::vector<CPoint3D>& points) const;
    virtual int Contains(const CPoint3D& point) const;
    virtual CPoint3D GetCenter() const;

protected:
    explicit CPlanarElement(uint32_t type) : CCoordSystem3D(type) {}
    CPlanarElement(uint32_t type, const CPlanarElement& e) : CCoordSystem3D(type, e) {}
    // Local coordinates of a point that lies in the plane (|local z| <= 1e-6).
    int InPlane(const CPoint3D& point, CPoint3D& local) const;
};

// A circular arc (or full circle) about the system's origin, in its plane:
// radius >= 0, start angle in [0, 2pi) from the first axis, sweep in
// (0, 2pi] counter-clockwise.
class CPlanarArc : public CPlanarElement {
public:
    CPlanarArc() : CPlanarElement(GEO_PLANARARC) {}
    CPlanarArc(const CPlanarArc& a);
    CPlanarArc& operator=(const CPlanarArc& a);

    double GetRadius() const { return m_radius; }
    double GetStart() const { return m_start; }
    double GetSweep() const { return m_sweep; }

    int IsEmpty() const override;
    int PointParameter(const CPoint3D& point, double& parameter, int flag) const override;
    int LineIntersections(const GeoLine& line, std::vector<CPoint3D>& points) const override;
    int Contains(const CPoint3D& point) const override;

    using CCoordSystem3D::Set;
    void Set(const CPlanarArc& arc);
    void Set(const CCoordSystem3D& system, double radius, double start, double sweep);
    void Set(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane, double radius,
             double start, double sweep);
    // radius = |radius|, angles normalised; a sweep of at most 1e-6 is the
    // full circle 2pi.
    void Set(double radius, double start, double sweep);

    bool IsFullCircle() const;
    CPoint3D PointAt(double t) const;
    CPoint3D StartPoint() const { return PointAt(0.0); }
    // Angle of a point on the circle, counted from the start; with onArc the
    // point must also lie on the arc.
    int AngleOfPoint(const CPoint3D& point, double& angle, int onArc) const;
    // The arc from p1 through p2 to p3.
    int SetThroughPoints(const CCoordSystem3D& system, const CPoint3D& p1, const CPoint3D& p2,
                         const CPoint3D& p3);
    // Crossing points of the full circle with a line / another circle.
    int CrossLine(const GeoLine& line, std::vector<CPoint3D>& points) const;
    int CrossCircle(const CPlanarArc& arc, std::vector<CPoint3D>& points) const;
    int NearestCrossing(const GeoLine& line, CPoint3D& point, int flag) const;
    int NearestCrossing(const CPlanarArc& arc, CPoint3D& point, int flag) const;
    int DistanceToCircle(const CPoint3D& point, double& distance, int& side) const;
    int ProjectToCircle(const CPoint3D& point, CPoint3D& projected, double& angle, double& distance) const;
    int NearestPoint(const CPoint3D& point, CPoint3D& result, double& distance) const;
    int InSecondHalf(const CPoint3D& point, int& flag) const;
    int Tangent(double t, double length, GeoLine& tangent) const;
    int ExtendToArc(const GeoLine& line, int atEnd, GeoLine& extension) const;
    int ToPoints(std::vector<CPoint3D>& points, int n) const;
    int ToLines(std::vector<GeoLine>& lines, int n) const;
    int ChordAngle(double chord, double& angle) const;

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;

private:
    int ChooseNearest(const std::vector<CPoint3D>& points, CPoint3D& point, int flag) const;

    double m_radius = 0.0;
    double m_start = 0.0;
    double m_sweep = 0.0;
};

// A simple polygon of non-zero area in the plane of its system, its corners
// kept as local coordinates and oriented counter-clockwise. Every change
// validates it; an invalid region is empty.
class CPlanarRegion : public CPlanarElement {
public:
    CPlanarRegion() : CPlanarElement(GEO_PLANARREGION) {}
    CPlanarRegion(const CPlanarRegion& r);
    CPlanarRegion& operator=(const CPlanarRegion& r);

    void Set(const CCoordSystem3D& system, const double* xs, const double* ys, int n);
    void Set(const CCoordSystem3D& system, const std::vector<CPoint3D>& points);
    void Set(const CCoordSystem3D& system, const CPoint3D* points, int n);

    int IsValid() const { return m_valid; }
    int GetCornerCount() const { return static_cast<int>(m_coords.size() / 2); }
    const std::vector<double>& Coordinates() const { return m_coords; }
    CPoint3D Corner(int i) const;
    CPoint3D GlobalCorner(int i) const;
    double SignedArea() const;

    int IsEmpty() const override { return m_valid == 0 ? 1 : 0; }
    int PointParameter(const CPoint3D& point, double& parameter, int flag) const override;
    int LineIntersections(const GeoLine& line, std::vector<CPoint3D>& points) const override;
    int Contains(const CPoint3D& point) const override;
    CPoint3D GetCenter() const override;
    virtual int ContainsLocal(double x, double y) const;

    bool ReadRecord(CRecordReader& reader) override;

private:
    void Validate();

    int32_t m_valid = 0;
    std::vector<double> m_coords;
};
