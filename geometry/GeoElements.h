// The 3-D geometry elements: points, polyline vertices, free vectors, lines,
// local coordinate systems (planes) and 4x4 matrices, each with its raw
// stream record.
//
// Lengths and coordinates compare with the tolerance 1e-6 (a magnitude of at
// most 1e-6 is zero, coordinates that differ by at most 1e-6 are equal);
// operations that can fail return 1 for success and 0 for failure and leave
// their outputs unchanged when they fail.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

class CFile;
class CRecordReader;
class CRecordWriter;
class CCoordSystem3D;

// Type identifiers of the element classes.
enum : uint32_t {
    GEO_POINT3D = 1,
    GEO_POLYVERTEX3D = 2,
    GEO_VECTOR3D = 4,
    GEO_LINE = 5,
    GEO_COORDSYSTEM3D = 6,
    GEO_PLANARPOLYLINE = 7,
    GEO_PLANARELEMENT = 8,
    GEO_PLANARARC = 9,
    GEO_PLANARREGION = 11,
};

constexpr double kGeoTolerance = 1e-6;

// Direction angle in [0, 2pi) of the plane vector (x, y); coordinates of
// magnitude at most 1e-15 count as 0, so that axis directions give exactly
// 0, pi/2, pi and 3pi/2. (0, 0) gives 0.
double DirectionAngleXY(double x, double y);

// Base of all elements. A stream record holds the element's numbers only
// (no identifier, length or version): the reader must know what comes next.
// A read takes the whole record or nothing: a short or damaged record (a
// number that is not finite, a count out of range) leaves the element
// unchanged and the read returns 0.
class CGeoElement {
public:
    virtual ~CGeoElement();

    uint32_t GetType() const { return m_nType; }

    // Each returns what its last fread / fwrite / CFile::Read call returned
    // (0 when the record could not be read or written whole).
    virtual size_t ReadFile(FILE* file);
    virtual uint32_t Read(CFile& file);
    virtual size_t WriteFile(FILE* file) const;
    virtual void Write(CFile& file) const;

    // The record through a reader or writer (used by the stream operations
    // and by elements that embed others in their record).
    virtual bool ReadRecord(CRecordReader& reader) = 0;
    virtual void WriteRecord(CRecordWriter& writer) const = 0;

protected:
    explicit CGeoElement(uint32_t type = 0) : m_nType(type) {}
    CGeoElement(const CGeoElement&) = delete;
    // Assignment keeps the type of the element assigned to.
    CGeoElement& operator=(const CGeoElement&) { return *this; }

    uint32_t m_nType;
};

class CPoint3D : public CGeoElement {
public:
    CPoint3D() : CPoint3D(GEO_POINT3D, 0.0, 0.0, 0.0) {}
    CPoint3D(double px, double py, double pz) : CPoint3D(GEO_POINT3D, px, py, pz) {}
    explicit CPoint3D(const double coords[3]);
    CPoint3D(const CPoint3D& p) : CPoint3D(GEO_POINT3D, p.x, p.y, p.z) {}
    CPoint3D& operator=(const CPoint3D& p);

    bool operator==(const CPoint3D& p) const;
    bool operator!=(const CPoint3D& p) const { return !(*this == p); }
    CPoint3D& operator+=(const CPoint3D& p);
    CPoint3D& operator-=(const CPoint3D& p);
    CPoint3D& operator*=(double f);
    CPoint3D operator+(const CPoint3D& p) const;
    CPoint3D operator-(const CPoint3D& p) const;
    CPoint3D Scaled(double f) const;
    CPoint3D Multiply(const CPoint3D& p) const;

    double Length() const;
    double Distance(const CPoint3D& p) const;
    void Set(double px, double py, double pz);
    void Set(const double coords[3]);
    void GetCoords(double coords[3]) const;

    // Determinant with the rows a, b, c.
    static double Triple(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c);
    // Leaves this point as the componentwise minimum and p as the maximum.
    void SortMinMax(CPoint3D& p);
    // Shell sort of n points ascending by x (0), y (1) or z (any other value).
    static void SortPoints(CPoint3D* points, int n, int coordinate);
    // Replaces the point by its position in a dimetric drawing (z becomes 0).
    void ToDimetric();
    // Turns the point by angle about the axis through centre normal to the
    // plane of system; a degenerate system leaves it unchanged.
    void RotateAbout(const CPoint3D& centre, double angle, const CCoordSystem3D& system);

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;

    double x, y, z;

protected:
    CPoint3D(uint32_t type, double px, double py, double pz) : CGeoElement(type), x(px), y(py), z(pz) {}
};

// A polyline vertex: a point with the bulge of the segment that starts at it
// (0 for a straight segment).
class CPolyVertex3D : public CPoint3D {
public:
    CPolyVertex3D() : CPoint3D(GEO_POLYVERTEX3D, 0.0, 0.0, 0.0), bulge(0.0) {}
    CPolyVertex3D(double px, double py, double pz, double b = 0.0)
        : CPoint3D(GEO_POLYVERTEX3D, px, py, pz), bulge(b) {}
    CPolyVertex3D(const double coords[3], double b)
        : CPoint3D(GEO_POLYVERTEX3D, coords[0], coords[1], coords[2]), bulge(b) {}
    CPolyVertex3D(const CPoint3D& p, double b) : CPoint3D(GEO_POLYVERTEX3D, p.x, p.y, p.z), bulge(b) {}
    CPolyVertex3D(const CPolyVertex3D& v) : CPoint3D(GEO_POLYVERTEX3D, v.x, v.y, v.z), bulge(v.bulge) {}
    CPolyVertex3D& operator=(const CPolyVertex3D& v);

    bool operator==(const CPolyVertex3D& v) const;
    bool operator!=(const CPolyVertex3D& v) const { return !(*this == v); }

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;

    double bulge;
};

// A free vector.
class CVector3D : public CPoint3D {
public:
    CVector3D() : CPoint3D(GEO_VECTOR3D, 0.0, 0.0, 0.0) {}
    CVector3D(double px, double py, double pz) : CPoint3D(GEO_VECTOR3D, px, py, pz) {}
    // The position vector of a point.
    explicit CVector3D(const CPoint3D& p) : CPoint3D(GEO_VECTOR3D, p.x, p.y, p.z) {}
    CVector3D(const CVector3D& v) : CPoint3D(GEO_VECTOR3D, v.x, v.y, v.z) {}
    CVector3D& operator=(const CVector3D& v);

    CVector3D operator+(const CVector3D& v) const;
    CVector3D operator-(const CVector3D& v) const;
    CVector3D operator*(double f) const;

    double Dot(const CVector3D& v) const;
    CVector3D Cross(const CVector3D& v) const;
    double Length(double factor = 1.0) const;
    bool IsZero() const;
    int SetLength(double len);
    // Angle in [0, pi] between the two vectors.
    int Angle(const CVector3D& v, double& angle) const;
    // factor from the first coordinate of this vector that is not zero;
    // returns whether v equals factor times this vector. Fails (0, factor
    // unchanged) when this vector has no coordinate that is not zero.
    int IsParallel(const CVector3D& v, double& factor) const;
    bool IsAxisParallel() const;
    // Direction inside the plane of system, in [0, 2pi).
    int DirectionAngle(double& angle, const CCoordSystem3D& system) const;
    // side 0 when v lies counter-clockwise from this vector by an angle in
    // [0, pi] inside the plane of system, 2 otherwise.
    int TurnSide(const CVector3D& v, int& side, const CCoordSystem3D& system) const;
    // Rotation about the normal of the system's plane (counter-clockwise for
    // a positive angle); the part along the normal stays. A degenerate system
    // or a vector along the normal leaves it unchanged (return 0).
    int Rotate(double angle, const CCoordSystem3D& system);
    // out = this vector turned by +pi/2 (length > 0) or -pi/2 inside the
    // plane, with the length |length|.
    int Perpendicular(CVector3D& out, double length, const CCoordSystem3D& system) const;

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;
};

// 4x4 matrix, row-major, acting on column vectors (x, y, z, 1).
class CMatrix4x4 {
public:
    CMatrix4x4() { SetIdentity(); }
    CMatrix4x4(const CMatrix4x4& m) = default;
    virtual ~CMatrix4x4();
    CMatrix4x4& operator=(const CMatrix4x4& m) = default;

    virtual size_t ReadFile(FILE* file);
    virtual uint32_t Read(CFile& file);
    virtual size_t WriteFile(FILE* file) const;
    virtual void Write(CFile& file) const;
    bool ReadRecord(CRecordReader& reader);
    void WriteRecord(CRecordWriter& writer) const;

    double& operator()(int r, int c) { return m[r][c]; }
    double operator()(int r, int c) const { return m[r][c]; }
    bool IsEqual(const CMatrix4x4& o) const;  // elementwise exact

    void SetIdentity();
    CMatrix4x4 operator*(const CMatrix4x4& o) const;
    // M (x, y, z, 1); result coordinates of magnitude at most 1e-15 become 0.
    CPoint3D Transform(const CPoint3D& p) const;
    void SetTranslation(double dx, double dy, double dz);
    void SetTranslation(const CVector3D& v);
    // A factor of magnitude at most 1e-6 leaves its diagonal element at 1.
    void SetScale(double sx, double sy, double sz);
    void SetRotationX(double a);
    void SetRotationY(double a);
    void SetRotationZ(double a);
    void Translate(double dx, double dy, double dz);
    void Translate(const CVector3D& v);
    void Scale(double sx, double sy, double sz);
    // this = this * Rx(ax) * Ry(ay) * Rz(az); angles of at most 1e-6 skipped.
    void Rotate(double ax, double ay, double az);
    // Gauss-Jordan with complete pivoting; 0 (out unchanged) when singular.
    int Invert(CMatrix4x4& out) const;

    double m[4][4];
};

// The line P(t) = base + t * direction; as a segment it runs from t = 0 to 1.
class GeoLine : public CGeoElement {
public:
    GeoLine() : CGeoElement(GEO_LINE) {}
    GeoLine(const CPoint3D& start, const CPoint3D& end);
    GeoLine(const CPoint3D& point, const CVector3D& direction);
    GeoLine(const GeoLine& l) : CGeoElement(GEO_LINE), m_base(l.m_base), m_dir(l.m_dir) {}
    GeoLine& operator=(const GeoLine& l);

    CPoint3D GetPoint() const { return CPoint3D(m_base.x, m_base.y, m_base.z); }
    CPoint3D GetEndPoint() const;
    const CVector3D& GetBase() const { return m_base; }
    const CVector3D& GetDirection() const { return m_dir; }
    CPoint3D PointAt(double t) const;
    void Set(const CPoint3D& start, const CPoint3D& end);
    void Set(const CPoint3D& point, const CVector3D& direction);
    bool IsDegenerate() const { return m_dir.IsZero(); }
    double Length(double factor = 1.0) const { return m_dir.Length(factor); }

    // Parameter of a point on the line; with onSegment also requires
    // -1e-6 <= t <= 1 + 1e-6.
    int ParameterOf(const CPoint3D& point, double& t, int onSegment) const;
    // Parameter of this line where it crosses the other (not checked).
    int IntersectParam(const GeoLine& line, double& t) const;
    // Crossing point; fails for parallel (also coincident) and skew lines.
    int Intersect(const GeoLine& line, CPoint3D& point) const;
    int Angle(const GeoLine& line, double& angle) const;
    int DirectionAngle(double& angle, const CCoordSystem3D& system) const;
    static bool IsPointOnSegment(const CPoint3D& point, const CPoint3D& a, const CPoint3D& b);
    static bool IsPointOnSegment(const CPoint3D& point, const GeoLine& segment);
    int PerpendicularTo(const CPoint3D& point, GeoLine& perpendicular) const;
    int Foot(const CPoint3D& point, CPoint3D& foot, double& distance) const;
    int FootInSecondHalf(const CPoint3D& point, int& flag) const;
    // Signed distance of skew lines, the perpendicular distance of parallel ones.
    int Distance(const GeoLine& line, double& distance) const;
    // Crossing with z = 0 (which 0), y = 0 (1) or x = 0 (2).
    int CrossCoordinatePlane(int which, CPoint3D& point) const;
    bool IsPerpendicularTo(const GeoLine& line, const CCoordSystem3D& system) const;
    bool IsParallelTo(const GeoLine& line, const CCoordSystem3D& system) const;
    // When both ends of the other segment lie on this line: the segment that
    // covers both.
    int MergeCollinear(const GeoLine& line, GeoLine& result) const;
    // The line shifted by offset to the left (positive) inside the plane.
    int ParallelLine(double offset, const CCoordSystem3D& system, GeoLine& result) const;
    // Segment from PointAt(t) of length |h| across the line, left for h > 0.
    int PerpendicularSegment(double t, double h, const CCoordSystem3D& system, GeoLine& result) const;
    // Turns the line inside the plane about its point at parameter t.
    int RotateAbout(double t, double angle, const CCoordSystem3D& system);
    // Called on L with M: the segment that extends M from its start (atEnd 0)
    // or its end (atEnd 1) to its crossing with L.
    int ExtendToLine(const GeoLine& line, int atEnd, GeoLine& extension, int onSegment) const;

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;

private:
    CVector3D m_base;
    CVector3D m_dir;
};

// A local coordinate system: origin, first axis and a second axis in the
// plane; local x runs along the first axis, local y across it in the plane,
// local z along the normal axis1 x axis2.
class CCoordSystem3D : public CGeoElement {
public:
    CCoordSystem3D() : CGeoElement(GEO_COORDSYSTEM3D) {}
    CCoordSystem3D(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane);
    CCoordSystem3D(const CVector3D& origin, const CVector3D& axis1, const CVector3D& axis2);
    // selector 0: XY plane, 1: ZX plane, other: YZ plane.
    CCoordSystem3D(int selector, const CPoint3D& origin);
    CCoordSystem3D(const CCoordSystem3D& s);
    CCoordSystem3D& operator=(const CCoordSystem3D& s);

    void Set(const CVector3D& origin, const CVector3D& axis1, const CVector3D& axis2);
    void Set(const CPoint3D& origin, const CPoint3D& pointOnAxis1, const CPoint3D& pointInPlane);
    void Set(const CCoordSystem3D& system);
    void Set(int selector, const CPoint3D& origin);
    void ComputeMatrices();

    const CVector3D& GetOrigin() const { return m_origin; }
    const CVector3D& GetAxis1() const { return m_axis1; }
    const CVector3D& GetAxis2() const { return m_axis2; }
    CVector3D GetNormal() const { return m_axis1.Cross(m_axis2); }
    const CMatrix4x4& GetLocalToGlobal() const { return m_toGlobal; }
    const CMatrix4x4& GetGlobalToLocal() const { return m_toLocal; }

    bool IsDegenerate() const;
    CPoint3D PointAt(double u, double v) const;
    int PlaneCoordinates(const CPoint3D& point, double& u, double& v) const;
    int IntersectLine(const GeoLine& line, CPoint3D& point) const;
    int LocalToGlobal(const CPoint3D& local, CPoint3D& global) const;
    int GlobalToLocal(const CPoint3D& global, CPoint3D& local) const;
    int LocalToGlobal(CPoint3D& point) const;
    int GlobalToLocal(CPoint3D& point) const;
    // Global direction of a local direction (no translation).
    int LocalDirectionToGlobal(const CVector3D& local, CVector3D& global) const;
    int SignedDistance(const CPoint3D& point, double& distance) const;
    int PerpendicularFrom(const CPoint3D& point, GeoLine& segment) const;
    GeoLine NormalLineAt(double u, double v) const;
    int LineDistance(const GeoLine& line, double& distance) const;
    int AngleWithLine(const GeoLine& line, double& angle) const;
    int ProjectLine(const GeoLine& line, GeoLine& result) const;
    void ProjectLines(std::vector<GeoLine>& lines) const;
    void Translate(double dx, double dy, double dz);
    void Translate(const CVector3D& v);
    void Scale(double sx, double sy, double sz);
    void Rotate(double ax, double ay, double az);
    void Transform(const CMatrix4x4& matrix);
    void Outline(std::vector<GeoLine>& lines) const;

    bool ReadRecord(CRecordReader& reader) override;
    void WriteRecord(CRecordWriter& writer) const override;

protected:
    explicit CCoordSystem3D(uint32_t type) : CGeoElement(type) {}
    CCoordSystem3D(uint32_t type, const CCoordSystem3D& s);
    // The 72-byte record of the system, taken whole or not at all.
    static bool ReadSystem(CRecordReader& reader, CVector3D& origin, CVector3D& axis1, CVector3D& axis2);

    CVector3D m_origin;
    CVector3D m_axis1;
    CVector3D m_axis2;
    CMatrix4x4 m_toGlobal;
    CMatrix4x4 m_toLocal;
};

// The six elements the library keeps: the origin, the XY, ZX and YZ planes at
// the origin, a null system of three origin points and a null line.
extern const CPoint3D g_GeoOrigin;
extern const CCoordSystem3D g_GeoPlaneXY;
extern const CCoordSystem3D g_GeoPlaneZX;
extern const CCoordSystem3D g_GeoPlaneYZ;
extern const CCoordSystem3D g_GeoNullSystem;
extern const GeoLine g_GeoNullLine;
