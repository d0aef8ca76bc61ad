#include "geometry/GeoElements.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "geometry/GeoFile.h"
#include "geometry/GeoStream.h"

namespace {
constexpr double kTol = kGeoTolerance;
constexpr double kMatrixTol = 1e-15;
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

bool Zero(double v) { return std::fabs(v) <= kTol; }

CPoint3D Pt(const CVector3D& v) { return CPoint3D(v.x, v.y, v.z); }
}  // namespace

double DirectionAngleXY(double x, double y)
{
    if (std::fabs(x) <= kMatrixTol)
        x = 0.0;
    if (std::fabs(y) <= kMatrixTol)
        y = 0.0;
    double a;
    if (y == 0.0)
        a = x < 0.0 ? kPi : 0.0;
    else if (y > 0.0)
        a = x < 0.0 ? kPi - std::atan(y / std::fabs(x)) : (x == 0.0 ? kPi / 2.0 : std::atan(y / x));
    else
        a = x < 0.0 ? std::atan(y / x) + kPi : (x == 0.0 ? 1.5 * kPi : kTwoPi - std::atan(std::fabs(y) / x));
    return a >= kTwoPi ? 0.0 : a;
}

// ---------------------------------------------------------------- CGeoElement

CGeoElement::~CGeoElement() = default;

size_t CGeoElement::ReadFile(FILE* file)
{
    if (!file)
        return 0;
    CRecordReader reader(file);
    return ReadRecord(reader) ? reader.Last() : 0;
}

uint32_t CGeoElement::Read(CFile& file)
{
    CRecordReader reader(file);
    return ReadRecord(reader) ? static_cast<uint32_t>(reader.Last()) : 0;
}

size_t CGeoElement::WriteFile(FILE* file) const
{
    if (!file)
        return 0;
    CRecordWriter writer(file);
    WriteRecord(writer);
    return writer.Result();
}

void CGeoElement::Write(CFile& file) const
{
    CRecordWriter writer(file);
    WriteRecord(writer);
}

// ---------------------------------------------------------------- CPoint3D

CPoint3D::CPoint3D(const double coords[3]) : CPoint3D(GEO_POINT3D, coords[0], coords[1], coords[2]) {}

CPoint3D& CPoint3D::operator=(const CPoint3D& p)
{
    x = p.x;
    y = p.y;
    z = p.z;
    return *this;
}

bool CPoint3D::operator==(const CPoint3D& p) const
{
    return std::fabs(x - p.x) <= kTol && std::fabs(y - p.y) <= kTol && std::fabs(z - p.z) <= kTol;
}

CPoint3D& CPoint3D::operator+=(const CPoint3D& p)
{
    x += p.x;
    y += p.y;
    z += p.z;
    return *this;
}

CPoint3D& CPoint3D::operator-=(const CPoint3D& p)
{
    x -= p.x;
    y -= p.y;
    z -= p.z;
    return *this;
}

CPoint3D& CPoint3D::operator*=(double f)
{
    x *= f;
    y *= f;
    z *= f;
    return *this;
}

CPoint3D CPoint3D::operator+(const CPoint3D& p) const { return CPoint3D(x + p.x, y + p.y, z + p.z); }
CPoint3D CPoint3D::operator-(const CPoint3D& p) const { return CPoint3D(x - p.x, y - p.y, z - p.z); }
CPoint3D CPoint3D::Scaled(double f) const { return CPoint3D(x * f, y * f, z * f); }
CPoint3D CPoint3D::Multiply(const CPoint3D& p) const { return CPoint3D(x * p.x, y * p.y, z * p.z); }
double CPoint3D::Length() const { return std::sqrt(x * x + y * y + z * z); }

double CPoint3D::Distance(const CPoint3D& p) const
{
    const double dx = x - p.x, dy = y - p.y, dz = z - p.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void CPoint3D::Set(double px, double py, double pz)
{
    x = px;
    y = py;
    z = pz;
}

void CPoint3D::Set(const double coords[3]) { Set(coords[0], coords[1], coords[2]); }

void CPoint3D::GetCoords(double coords[3]) const
{
    coords[0] = x;
    coords[1] = y;
    coords[2] = z;
}

double CPoint3D::Triple(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c)
{
    return a.x * b.y * c.z - a.x * c.y * b.z + b.x * c.y * a.z - b.x * a.y * c.z + c.x * a.y * b.z -
           c.x * b.y * a.z;
}

void CPoint3D::SortMinMax(CPoint3D& p)
{
    if (x > p.x)
        std::swap(x, p.x);
    if (y > p.y)
        std::swap(y, p.y);
    if (z > p.z)
        std::swap(z, p.z);
}

void CPoint3D::SortPoints(CPoint3D* points, int n, int coordinate)
{
    if (!points || n < 2)
        return;
    auto key = [coordinate](const CPoint3D& p) { return coordinate == 0 ? p.x : (coordinate == 1 ? p.y : p.z); };
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = gap + 1; i <= n; ++i) {
            for (int j = i - gap; j > 0; j -= gap) {
                CPoint3D& first = points[j - 1];
                CPoint3D& second = points[j + gap - 1];
                if (!(key(first) > key(second)))
                    break;
                std::swap(first.x, second.x);
                std::swap(first.y, second.y);
                std::swap(first.z, second.z);
            }
        }
    }
}

void CPoint3D::ToDimetric()
{
    const double alpha = -7.0 * kPi / 180.0;
    const double beta = -42.0 * kPi / 180.0;
    const double px = x, py = z, pz = -y;
    x = px * std::cos(alpha) - 0.7 * pz * std::cos(beta);
    y = py + px * std::sin(alpha) + 0.7 * pz * std::sin(beta);
    z = 0.0;
}

void CPoint3D::RotateAbout(const CPoint3D& centre, double angle, const CCoordSystem3D& system)
{
    CVector3D d(*this - centre);
    if (!d.Rotate(angle, system))
        return;
    Set(centre.x + d.x, centre.y + d.y, centre.z + d.z);
}

bool CPoint3D::ReadRecord(CRecordReader& reader)
{
    double v[3];
    for (double& c : v)
        if (!reader.ReadDouble(c))
            return false;
    Set(v);
    return true;
}

void CPoint3D::WriteRecord(CRecordWriter& writer) const
{
    writer.WriteDouble(x);
    writer.WriteDouble(y);
    writer.WriteDouble(z);
}

// ---------------------------------------------------------------- CPolyVertex3D

CPolyVertex3D& CPolyVertex3D::operator=(const CPolyVertex3D& v)
{
    CPoint3D::operator=(v);
    bulge = v.bulge;
    return *this;
}

bool CPolyVertex3D::operator==(const CPolyVertex3D& v) const
{
    return CPoint3D::operator==(v) && std::fabs(bulge - v.bulge) <= kTol;
}

bool CPolyVertex3D::ReadRecord(CRecordReader& reader)
{
    double v[4];
    for (double& c : v)
        if (!reader.ReadDouble(c))
            return false;
    Set(v);
    bulge = v[3];
    return true;
}

void CPolyVertex3D::WriteRecord(CRecordWriter& writer) const
{
    CPoint3D::WriteRecord(writer);
    writer.WriteDouble(bulge);
}

// ---------------------------------------------------------------- CVector3D

CVector3D& CVector3D::operator=(const CVector3D& v)
{
    CPoint3D::operator=(v);
    return *this;
}

CVector3D CVector3D::operator+(const CVector3D& v) const { return CVector3D(x + v.x, y + v.y, z + v.z); }
CVector3D CVector3D::operator-(const CVector3D& v) const { return CVector3D(x - v.x, y - v.y, z - v.z); }
CVector3D CVector3D::operator*(double f) const { return CVector3D(x * f, y * f, z * f); }
double CVector3D::Dot(const CVector3D& v) const { return x * v.x + y * v.y + z * v.z; }

CVector3D CVector3D::Cross(const CVector3D& v) const
{
    return CVector3D(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
}

double CVector3D::Length(double factor) const { return CPoint3D::Length() * factor; }
bool CVector3D::IsZero() const { return Length() <= kTol; }

int CVector3D::SetLength(double len)
{
    if (IsZero() || len <= kTol)
        return 0;
    *this *= len / Length();
    return 1;
}

int CVector3D::Angle(const CVector3D& v, double& angle) const
{
    if (IsZero() || v.IsZero())
        return 0;
    // Rounding can carry the cosine of (anti)parallel vectors just past 1.
    const double c = std::clamp(Dot(v) / (Length() * v.Length()), -1.0, 1.0);
    angle = std::acos(c);
    return 1;
}

int CVector3D::IsParallel(const CVector3D& v, double& factor) const
{
    if (IsZero())
        return 0;
    // The factor from the coordinate of the largest magnitude, so that a
    // coordinate just above the tolerance does not magnify rounding.
    const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    double f;
    if (ax >= ay && ax >= az)
        f = v.x / x;
    else if (ay >= az)
        f = v.y / y;
    else
        f = v.z / z;
    factor = f;
    return CPoint3D(x * f, y * f, z * f) == v ? 1 : 0;
}

bool CVector3D::IsAxisParallel() const
{
    return (Zero(x) ? 1 : 0) + (Zero(y) ? 1 : 0) + (Zero(z) ? 1 : 0) >= 2;
}

int CVector3D::DirectionAngle(double& angle, const CCoordSystem3D& system) const
{
    CPoint3D local;
    if (!system.GlobalToLocal(Pt(system.GetOrigin()) + *this, local))
        return 0;
    if (std::hypot(local.x, local.y) <= kTol)
        return 0;
    angle = DirectionAngleXY(local.x, local.y);
    return 1;
}

int CVector3D::TurnSide(const CVector3D& v, int& side, const CCoordSystem3D& system) const
{
    double a1, a2;
    if (!DirectionAngle(a1, system) || !v.DirectionAngle(a2, system))
        return 0;
    double d = a2 - a1;
    while (d < 0.0)
        d += kTwoPi;
    while (d >= kTwoPi)
        d -= kTwoPi;
    side = d <= kPi ? 0 : 2;
    return 1;
}

int CVector3D::Rotate(double angle, const CCoordSystem3D& system)
{
    // The vector is turned as a direction: its tip seen from the system's
    // origin, so that where the plane lies does not move the vector.
    const CPoint3D origin = Pt(system.GetOrigin());
    CPoint3D local;
    if (!system.GlobalToLocal(origin + *this, local))
        return 0;
    const double rho = std::hypot(local.x, local.y);
    if (rho <= kTol)
        return 1;  // along the normal: the rotation leaves it as it is
    const double alpha = DirectionAngleXY(local.x, local.y);
    local.x = rho * std::cos(alpha + angle);
    local.y = rho * std::sin(alpha + angle);
    CPoint3D global;
    if (!system.LocalToGlobal(local, global))
        return 0;
    Set(global.x - origin.x, global.y - origin.y, global.z - origin.z);
    return 1;
}

int CVector3D::Perpendicular(CVector3D& out, double length, const CCoordSystem3D& system) const
{
    double angle;
    if (!DirectionAngle(angle, system))
        return 0;
    CVector3D v(*this);
    if (!v.Rotate(length > 0.0 ? kPi / 2.0 : -kPi / 2.0, system))
        return 0;
    if (!v.SetLength(std::fabs(length)))
        return 0;
    out = v;
    return 1;
}

bool CVector3D::ReadRecord(CRecordReader& reader) { return CPoint3D::ReadRecord(reader); }
void CVector3D::WriteRecord(CRecordWriter& writer) const { CPoint3D::WriteRecord(writer); }

// ---------------------------------------------------------------- CMatrix4x4

CMatrix4x4::~CMatrix4x4() = default;

size_t CMatrix4x4::ReadFile(FILE* file)
{
    if (!file)
        return 0;
    CRecordReader reader(file);
    return ReadRecord(reader) ? reader.Last() : 0;
}

uint32_t CMatrix4x4::Read(CFile& file)
{
    CRecordReader reader(file);
    return ReadRecord(reader) ? static_cast<uint32_t>(reader.Last()) : 0;
}

size_t CMatrix4x4::WriteFile(FILE* file) const
{
    if (!file)
        return 0;
    CRecordWriter writer(file);
    WriteRecord(writer);
    return writer.Result();
}

void CMatrix4x4::Write(CFile& file) const
{
    CRecordWriter writer(file);
    WriteRecord(writer);
}

bool CMatrix4x4::ReadRecord(CRecordReader& reader)
{
    double v[4][4];
    for (auto& row : v)
        for (double& e : row)
            if (!reader.ReadDouble(e))
                return false;
    std::copy(&v[0][0], &v[0][0] + 16, &m[0][0]);
    return true;
}

void CMatrix4x4::WriteRecord(CRecordWriter& writer) const
{
    for (const auto& row : m)
        for (double e : row)
            writer.WriteDouble(e);
}

bool CMatrix4x4::IsEqual(const CMatrix4x4& o) const { return std::equal(&m[0][0], &m[0][0] + 16, &o.m[0][0]); }

void CMatrix4x4::SetIdentity()
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = r == c ? 1.0 : 0.0;
}

CMatrix4x4 CMatrix4x4::operator*(const CMatrix4x4& o) const
{
    CMatrix4x4 res;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k) {
            double s = 0.0;
            for (int j = 0; j < 4; ++j)
                s += m[i][j] * o.m[j][k];
            res.m[i][k] = s;
        }
    return res;
}

CPoint3D CMatrix4x4::Transform(const CPoint3D& p) const
{
    double r[3];
    for (int i = 0; i < 3; ++i) {
        r[i] = m[i][0] * p.x + m[i][1] * p.y + m[i][2] * p.z + m[i][3];
        if (std::fabs(r[i]) <= kMatrixTol)
            r[i] = 0.0;
    }
    return CPoint3D(r);
}

void CMatrix4x4::SetTranslation(double dx, double dy, double dz)
{
    SetIdentity();
    m[0][3] = dx;
    m[1][3] = dy;
    m[2][3] = dz;
}

void CMatrix4x4::SetTranslation(const CVector3D& v) { SetTranslation(v.x, v.y, v.z); }

void CMatrix4x4::SetScale(double sx, double sy, double sz)
{
    SetIdentity();
    if (!Zero(sx))
        m[0][0] = sx;
    if (!Zero(sy))
        m[1][1] = sy;
    if (!Zero(sz))
        m[2][2] = sz;
}

void CMatrix4x4::SetRotationX(double a)
{
    SetIdentity();
    m[1][1] = std::cos(a);
    m[1][2] = -std::sin(a);
    m[2][1] = std::sin(a);
    m[2][2] = std::cos(a);
}

void CMatrix4x4::SetRotationY(double a)
{
    SetIdentity();
    m[0][0] = std::cos(a);
    m[0][2] = std::sin(a);
    m[2][0] = -std::sin(a);
    m[2][2] = std::cos(a);
}

void CMatrix4x4::SetRotationZ(double a)
{
    SetIdentity();
    m[0][0] = std::cos(a);
    m[0][1] = -std::sin(a);
    m[1][0] = std::sin(a);
    m[1][1] = std::cos(a);
}

void CMatrix4x4::Translate(double dx, double dy, double dz)
{
    CMatrix4x4 t;
    t.SetTranslation(dx, dy, dz);
    *this = *this * t;
}

void CMatrix4x4::Translate(const CVector3D& v) { Translate(v.x, v.y, v.z); }

void CMatrix4x4::Scale(double sx, double sy, double sz)
{
    CMatrix4x4 s;
    s.SetScale(sx, sy, sz);
    *this = *this * s;
}

void CMatrix4x4::Rotate(double ax, double ay, double az)
{
    CMatrix4x4 r;
    if (!Zero(ax)) {
        r.SetRotationX(ax);
        *this = *this * r;
    }
    if (!Zero(ay)) {
        r.SetRotationY(ay);
        *this = *this * r;
    }
    if (!Zero(az)) {
        r.SetRotationZ(az);
        *this = *this * r;
    }
}

int CMatrix4x4::Invert(CMatrix4x4& out) const
{
    double a[4][4], r[4][4];
    std::copy(&m[0][0], &m[0][0] + 16, &a[0][0]);
    CMatrix4x4 id;
    std::copy(&id.m[0][0], &id.m[0][0] + 16, &r[0][0]);
    int swappedColumn[4] = {-1, -1, -1, -1};
    bool singular = false;

    for (int k = 0; k < 4; ++k) {
        int pr = k, pc = k;
        double best = 0.0;
        for (int i = k; i < 4; ++i)
            for (int j = k; j < 4; ++j)
                if (std::fabs(a[i][j]) > best) {
                    best = std::fabs(a[i][j]);
                    pr = i;
                    pc = j;
                }
        if (pr != k)
            for (int j = 0; j < 4; ++j) {
                std::swap(a[pr][j], a[k][j]);
                std::swap(r[pr][j], r[k][j]);
            }
        if (pc != k) {
            for (int i = 0; i < 4; ++i) {
                std::swap(a[i][pc], a[i][k]);
                std::swap(r[i][pc], r[i][k]);
            }
            swappedColumn[k] = pc;
        }
        const double pivot = a[k][k];
        if (std::fabs(pivot) > kMatrixTol) {
            for (int j = 0; j < 4; ++j) {
                a[k][j] /= pivot;
                r[k][j] /= pivot;
            }
        } else {
            singular = true;
        }
        for (int i = 0; i < 4; ++i) {
            if (i == k)
                continue;
            const double f = a[i][k];
            if (f == 0.0)
                continue;
            for (int j = 0; j < 4; ++j) {
                a[i][j] -= f * a[k][j];
                r[i][j] -= f * r[k][j];
            }
        }
    }
    // The column exchanges made the result (A Q)^-1 conjugated by Q: undo
    // them in reverse order on its rows and columns.
    for (int k = 3; k >= 0; --k) {
        const int c = swappedColumn[k];
        if (c < 0)
            continue;
        for (int j = 0; j < 4; ++j)
            std::swap(r[k][j], r[c][j]);
        for (int i = 0; i < 4; ++i)
            std::swap(r[i][k], r[i][c]);
    }
    for (int k = 0; k < 4; ++k)
        if (std::fabs(a[k][k]) <= kMatrixTol)
            singular = true;
    if (singular)
        return 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!std::isfinite(r[i][j]))
                return 0;
    std::copy(&r[0][0], &r[0][0] + 16, &out.m[0][0]);
    return 1;
}
