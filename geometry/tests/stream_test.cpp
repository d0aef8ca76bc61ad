// Stream records of the geometry elements: byte layout, both channels,
// round trips, and truncated or damaged records refused without harm.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/Geometry.h"

namespace {
constexpr double kPi = std::numbers::pi;
using Bytes = std::vector<unsigned char>;

Bytes LittleEndian(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    Bytes b;
    for (int i = 0; i < 8; ++i)
        b.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    return b;
}

Bytes LittleEndian(int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    return Bytes{static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u >> 16),
                 static_cast<unsigned char>(u >> 24)};
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Doubles(std::initializer_list<double> values)
{
    Bytes all;
    for (double v : values) {
        const Bytes b = LittleEndian(v);
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

// A scratch file of this test process.
class StreamFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::path(RIGEL_TEST_TMP) / ("geometry_stream_" + std::to_string(getpid()) + "_" +
                                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Bytes that an element writes through the FILE* channel.
    template <class T>
    Bytes WrittenToFile(const T& e, size_t* result = nullptr)
    {
        const auto path = m_dir / "out.bin";
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        const size_t r = e.WriteFile(f);
        if (result)
            *result = r;
        std::fclose(f);
        return ReadAll(path);
    }

    // A FILE* open for reading over the given bytes.
    FILE* FileWith(const Bytes& bytes)
    {
        const auto path = m_dir / ("in" + std::to_string(m_files++) + ".bin");
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return std::fopen(path.c_str(), "rb");
    }

    static Bytes ReadAll(const std::filesystem::path& path)
    {
        Bytes b;
        FILE* f = std::fopen(path.c_str(), "rb");
        int c;
        while ((c = std::fgetc(f)) != EOF)
            b.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
        return b;
    }

    std::filesystem::path m_dir;
    int m_files = 0;
};

template <class T>
Bytes WrittenToCFile(const T& e)
{
    CMemFile f;
    e.Write(f);
    return f.Data();
}

// ---------------------------------------------------------------- samples

CPlanarPolyline SamplePolyline()
{
    CPlanarPolyline p(CVector3D(1, 2, 3), CVector3D(0, 1, 0), CVector3D(0, 0, 2));
    p.Add(CPolyVertex3D(0, 0, 0, 0.5));
    p.Add(CPolyVertex3D(4, 0, 0, 0));
    p.Add(CPolyVertex3D(4, 3, 0, -1));
    return p;
}

CPlanarArc SampleArc()
{
    CPlanarArc a;
    a.Set(CCoordSystem3D(CVector3D(1, 1, 1), CVector3D(1, 0, 0), CVector3D(0, 1, 1)), 2.5, 0.25, kPi / 3);
    return a;
}

CPlanarRegion SampleRegion()
{
    CPlanarRegion r;
    const double xs[] = {0, 1, 1, 0}, ys[] = {0, 0, 1, 1};
    r.Set(CCoordSystem3D(0, CPoint3D(5, 6, 7)), xs, ys, 4);
    return r;
}

CMatrix4x4 SampleMatrix()
{
    CMatrix4x4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m(r, c) = 1.5 * r - 0.25 * c + r * c;
    return m;
}

// ---------------------------------------------------------------- layout

TEST(StreamLayout, VertexRecordIsFourLittleEndianDoubles)
{
    const Bytes b = WrittenToCFile(CPolyVertex3D(1, 2, 3, 0.5));
    ASSERT_EQ(b.size(), 32u);
    EXPECT_EQ(Bytes(b.begin() + 24, b.end()), (Bytes{0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(b, Doubles({1, 2, 3, 0.5}));
}

TEST(StreamLayout, RecordSizesAndContents)
{
    const CCoordSystem3D sys(CVector3D(1, 2, 3), CVector3D(4, 5, 6), CVector3D(7, 8, 10));
    const Bytes sysBytes = Doubles({1, 2, 3, 4, 5, 6, 7, 8, 10});
    EXPECT_EQ(WrittenToCFile(CPoint3D(1, -2, 3.5)), Doubles({1, -2, 3.5}));
    EXPECT_EQ(WrittenToCFile(CVector3D(0.1, 0, -0.0)), Doubles({0.1, 0, -0.0}));
    EXPECT_EQ(WrittenToCFile(GeoLine(CPoint3D(1, 2, 3), CPoint3D(2, 4, 6))), Doubles({1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(WrittenToCFile(sys), sysBytes);
    EXPECT_EQ(WrittenToCFile(CPlanarElement()).size(), 72u);
    EXPECT_EQ(WrittenToCFile(SampleRegion()).size(), 72u);  // the corners are not part of it
    const CPlanarArc arc = SampleArc();
    EXPECT_EQ(WrittenToCFile(arc).size(), 96u);
    const Bytes arcBytes = WrittenToCFile(arc);
    EXPECT_EQ(Bytes(arcBytes.begin() + 72, arcBytes.end()), Doubles({2.5, 0.25, kPi / 3}));
    const CMatrix4x4 m = SampleMatrix();
    const Bytes mb = WrittenToCFile(m);
    ASSERT_EQ(mb.size(), 128u);
    EXPECT_EQ(Bytes(mb.begin() + 8, mb.begin() + 16), LittleEndian(m(0, 1)));  // row by row
    EXPECT_EQ(Bytes(mb.begin() + 32, mb.begin() + 40), LittleEndian(m(1, 0)));

    const CPlanarPolyline poly = SamplePolyline();
    const Bytes pb = WrittenToCFile(poly);
    ASSERT_EQ(pb.size(), 76u + 3 * 32u);
    EXPECT_EQ(Bytes(pb.begin() + 72, pb.begin() + 76), LittleEndian(int32_t{3}));
    EXPECT_EQ(Bytes(pb.begin() + 76, pb.begin() + 108), Doubles({0, 0, 0, 0.5}));
}

TEST(StreamLayout, EmptyPolylineWritesACountOfZero)
{
    const Bytes b = WrittenToCFile(CPlanarPolyline(0, CPoint3D(0, 0, 0)));
    ASSERT_EQ(b.size(), 76u);
    EXPECT_EQ(Bytes(b.end() - 4, b.end()), (Bytes{0, 0, 0, 0}));
}

TEST(StreamLayout, ArcWithSweepZeroStoresTheFullCircle)
{
    CPlanarArc a;
    a.Set(g_GeoPlaneXY, 2, 0, 0);
    EXPECT_EQ(a.GetSweep(), 2 * kPi);
    const Bytes b = WrittenToCFile(a);
    EXPECT_EQ(Bytes(b.end() - 8, b.end()), LittleEndian(2 * kPi));
}

TEST_F(StreamFiles, BothChannelsWriteTheSameBytes)
{
    size_t result = 0;
    EXPECT_EQ(WrittenToFile(SamplePolyline(), &result), WrittenToCFile(SamplePolyline()));
    EXPECT_EQ(result, 1u);  // what the last fwrite returned
    EXPECT_EQ(WrittenToFile(SampleArc()), WrittenToCFile(SampleArc()));
    EXPECT_EQ(WrittenToFile(SampleMatrix()), WrittenToCFile(SampleMatrix()));
    EXPECT_EQ(WrittenToFile(CPolyVertex3D(1, 2, 3, 0.5)), Doubles({1, 2, 3, 0.5}));
    EXPECT_EQ(CPoint3D(1, 2, 3).WriteFile(nullptr), 0u);
}

// ---------------------------------------------------------------- round trips

void ExpectSame(const CPoint3D& a, const CPoint3D& b)
{
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}

void ExpectSame(const CPolyVertex3D& a, const CPolyVertex3D& b)
{
    ExpectSame(static_cast<const CPoint3D&>(a), static_cast<const CPoint3D&>(b));
    EXPECT_EQ(a.bulge, b.bulge);
}

void ExpectSame(const GeoLine& a, const GeoLine& b)
{
    ExpectSame(a.GetBase(), b.GetBase());
    ExpectSame(a.GetDirection(), b.GetDirection());
}

void ExpectSame(const CCoordSystem3D& a, const CCoordSystem3D& b)
{
    ExpectSame(a.GetOrigin(), b.GetOrigin());
    ExpectSame(a.GetAxis1(), b.GetAxis1());
    ExpectSame(a.GetAxis2(), b.GetAxis2());
    EXPECT_TRUE(a.GetLocalToGlobal().IsEqual(b.GetLocalToGlobal()));
    EXPECT_TRUE(a.GetGlobalToLocal().IsEqual(b.GetGlobalToLocal()));
}

void ExpectSame(const CPlanarArc& a, const CPlanarArc& b)
{
    ExpectSame(static_cast<const CCoordSystem3D&>(a), static_cast<const CCoordSystem3D&>(b));
    EXPECT_EQ(a.GetRadius(), b.GetRadius());
    EXPECT_EQ(a.GetStart(), b.GetStart());
    EXPECT_EQ(a.GetSweep(), b.GetSweep());
}

void ExpectSame(const CPlanarPolyline& a, const CPlanarPolyline& b)
{
    ExpectSame(static_cast<const CCoordSystem3D&>(a), static_cast<const CCoordSystem3D&>(b));
    ASSERT_EQ(a.GetSize(), b.GetSize());
    for (int i = 0; i < a.GetSize(); ++i)
        ExpectSame(a[i], b[i]);
}

void ExpectSame(const CMatrix4x4& a, const CMatrix4x4& b) { EXPECT_TRUE(a.IsEqual(b)); }

// Writes through one channel, reads back through the same one into a fresh
// element.
template <class T>
void RoundTripMem(const T& e, uint32_t lastBlock)
{
    CMemFile f;
    e.Write(f);
    f.SeekToBegin();
    T back;
    EXPECT_EQ(back.Read(f), lastBlock);
    EXPECT_EQ(f.GetPosition(), f.GetLength());
    ExpectSame(back, e);
}

TEST(StreamRoundTrip, EveryElementReadsBackEqualThroughCFile)
{
    RoundTripMem(CPoint3D(1.25, -2e-300, 3e300), 8);
    RoundTripMem(CVector3D(0.1, 0.2, 0.3), 8);
    RoundTripMem(CPolyVertex3D(1, 2, 3, -0.75), 8);
    RoundTripMem(GeoLine(CPoint3D(1, 2, 3), CVector3D(-1, 0.5, 7)), 8);
    RoundTripMem(CCoordSystem3D(CVector3D(1, 2, 3), CVector3D(1, 1, 0), CVector3D(0, 2, 1)), 8);
    RoundTripMem(g_GeoNullSystem, 8);
    RoundTripMem(SampleArc(), 8);
    RoundTripMem(SamplePolyline(), 8);
    RoundTripMem(CPlanarPolyline(), 4);  // the last read is the count
    RoundTripMem(SampleMatrix(), 8);
}

TEST(StreamRoundTrip, RegionKeepsItsSystemAndIsRevalidated)
{
    const CPlanarRegion r = SampleRegion();
    ASSERT_TRUE(r.IsValid());
    CMemFile f;
    r.Write(f);
    f.SeekToBegin();
    CPlanarRegion back;
    EXPECT_EQ(back.Read(f), 8u);
    ExpectSame(static_cast<const CCoordSystem3D&>(back), static_cast<const CCoordSystem3D&>(r));
    EXPECT_FALSE(back.IsValid());  // no corners travel with the record
    CPlanarRegion copy = r;
    f.SeekToBegin();
    ASSERT_EQ(copy.Read(f), 8u);
    EXPECT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.GetCornerCount(), 4);
}

TEST_F(StreamFiles, ElementsReadBackInSequenceThroughFile)
{
    const auto path = m_dir / "seq.bin";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const CPoint3D p(1, 2, 3);
    const CPlanarPolyline poly = SamplePolyline();
    const CPlanarArc arc = SampleArc();
    const CMatrix4x4 m = SampleMatrix();
    const GeoLine l(CPoint3D(0, 0, 1), CPoint3D(1, 1, 1));
    EXPECT_EQ(p.WriteFile(f), 1u);
    EXPECT_EQ(poly.WriteFile(f), 1u);
    EXPECT_EQ(arc.WriteFile(f), 1u);
    EXPECT_EQ(m.WriteFile(f), 1u);
    EXPECT_EQ(l.WriteFile(f), 1u);
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    CPoint3D p2;
    CPlanarPolyline poly2;
    CPlanarArc arc2;
    CMatrix4x4 m2;
    GeoLine l2;
    EXPECT_EQ(p2.ReadFile(f), 1u);
    EXPECT_EQ(poly2.ReadFile(f), 1u);
    EXPECT_EQ(arc2.ReadFile(f), 1u);
    EXPECT_EQ(m2.ReadFile(f), 1u);
    EXPECT_EQ(l2.ReadFile(f), 1u);
    CPoint3D beyond(7, 7, 7);
    EXPECT_EQ(beyond.ReadFile(f), 0u);  // the stream is at its end
    std::fclose(f);
    ExpectSame(p2, p);
    ExpectSame(poly2, poly);
    ExpectSame(arc2, arc);
    ExpectSame(m2, m);
    ExpectSame(l2, l);
    ExpectSame(beyond, CPoint3D(7, 7, 7));
    EXPECT_EQ(p2.ReadFile(nullptr), 0u);
}

// ---------------------------------------------------------------- refusals

// Every element's record cut short at every length: refused, element unchanged.
struct TruncCase {
    const char* name;
    std::function<Bytes()> write;
    std::function<bool(CMemFile&)> readMem;   // true when refused and unchanged
    std::function<bool(FILE*)> readFile;
};

template <class T>
TruncCase MakeTrunc(const char* name, const T& written, const T& target)
{
    auto unchanged = [target](const T& e) {
        return WrittenToCFile(e) == WrittenToCFile(target);
    };
    return TruncCase{
        name, [written] { return WrittenToCFile(written); },
        [target, unchanged](CMemFile& f) {
            T e = target;
            return e.Read(f) == 0 && unchanged(e);
        },
        [target, unchanged](FILE* f) {
            T e = target;
            return e.ReadFile(f) == 0 && unchanged(e);
        }};
}

TEST_F(StreamFiles, TruncatedRecordsAreRefusedAndChangeNothing)
{
    CPlanarPolyline targetPoly(0, CPoint3D(9, 9, 9));
    targetPoly.Add(CPolyVertex3D(1, 1, 0, 0.25));
    CPlanarArc targetArc;
    targetArc.Set(g_GeoPlaneZX, 1, 1, 1);
    CMatrix4x4 targetMatrix;
    targetMatrix(0, 3) = 5;
    const TruncCase cases[] = {
        MakeTrunc("point", CPoint3D(1, 2, 3), CPoint3D(-1, -1, -1)),
        MakeTrunc("vertex", CPolyVertex3D(1, 2, 3, 4), CPolyVertex3D(5, 5, 5, 5)),
        MakeTrunc("vector", CVector3D(1, 2, 3), CVector3D(0, 0, 9)),
        MakeTrunc("line", GeoLine(CPoint3D(1, 2, 3), CVector3D(4, 5, 6)), GeoLine(CPoint3D(0, 0, 0), CVector3D(1, 0, 0))),
        MakeTrunc("system", CCoordSystem3D(CVector3D(1, 2, 3), CVector3D(1, 0, 0), CVector3D(0, 1, 0)), g_GeoPlaneYZ),
        MakeTrunc("arc", SampleArc(), targetArc),
        MakeTrunc("polyline", SamplePolyline(), targetPoly),
        MakeTrunc("matrix", SampleMatrix(), targetMatrix),
    };
    for (const TruncCase& c : cases) {
        const Bytes full = c.write();
        for (size_t len = 0; len < full.size(); ++len) {
            const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
            CMemFile mem(cut);
            EXPECT_TRUE(c.readMem(mem)) << c.name << " cut to " << len;
            FILE* f = FileWith(cut);
            ASSERT_NE(f, nullptr);
            EXPECT_TRUE(c.readFile(f)) << c.name << " cut to " << len << " (FILE*)";
            std::fclose(f);
        }
    }
}

TEST_F(StreamFiles, DamagedNumbersAreRefused)
{
    const double bad[] = {std::nan(""), INFINITY, -INFINITY};
    for (double v : bad) {
        CMemFile f(Doubles({1, v, 3}));
        CPoint3D p(4, 5, 6);
        EXPECT_EQ(p.Read(f), 0u);
        ExpectSame(p, CPoint3D(4, 5, 6));

        FILE* file = FileWith(Concat({Doubles({0, 0, 0, 1, 0, 0, 0, 1, 0}), LittleEndian(int32_t{1}), Doubles({0, 0, v, 0})}));
        CPlanarPolyline poly;
        EXPECT_EQ(poly.ReadFile(file), 0u);
        EXPECT_EQ(poly.GetSize(), 0);
        std::fclose(file);
    }
    // Radius and angles out of an arc's range cannot come from an arc.
    const double arcValues[][3] = {{-2, 0, 1}, {1, -0.5, 1}, {1, 7, 1}, {1, 0, -1}, {1, 0, 7}, {1, 0, 1e300}};
    for (const auto& v : arcValues) {
        CMemFile f(Concat({Doubles({0, 0, 0, 1, 0, 0, 0, 1, 0}), Doubles({v[0], v[1], v[2]})}));
        CPlanarArc arc = SampleArc();
        EXPECT_EQ(arc.Read(f), 0u) << v[0] << " " << v[1] << " " << v[2];
        ExpectSame(arc, SampleArc());
    }
    CMemFile full(Concat({Doubles({0, 0, 0, 1, 0, 0, 0, 1, 0}), Doubles({1, 0, 2 * kPi})}));
    CPlanarArc circle;
    ASSERT_EQ(circle.Read(full), 8u);
    EXPECT_TRUE(circle.IsFullCircle());
}

TEST_F(StreamFiles, PolylineCountsOutOfRangeAreRefused)
{
    const Bytes sys = Doubles({0, 0, 0, 1, 0, 0, 0, 1, 0});
    const Bytes twoVertices = Doubles({0, 0, 0, 0, 1, 1, 0, 0});
    const int32_t counts[] = {-1, INT32_MIN, 3, 1000, INT32_MAX};
    for (int32_t n : counts) {
        const Bytes record = Concat({sys, LittleEndian(n), twoVertices});
        CPlanarPolyline target = SamplePolyline();
        CMemFile mem(record);
        EXPECT_EQ(target.Read(mem), 0u) << n;
        ExpectSame(target, SamplePolyline());
        FILE* f = FileWith(record);
        EXPECT_EQ(target.ReadFile(f), 0u) << n;
        std::fclose(f);
        ExpectSame(target, SamplePolyline());
    }
    // The same record with its true count reads.
    CMemFile ok(Concat({sys, LittleEndian(int32_t{2}), twoVertices}));
    CPlanarPolyline p;
    ASSERT_EQ(p.Read(ok), 8u);
    ASSERT_EQ(p.GetSize(), 2);
    EXPECT_EQ(p[1].x, 1.0);
}

TEST(StreamRefusal, HugeCountFromAStreamThatCannotTellItsLength)
{
    // A pipe cannot seek: the reader must not size the array from the count.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const Bytes record = Concat({Doubles({0, 0, 0, 1, 0, 0, 0, 1, 0}), LittleEndian(INT32_MAX), Doubles({1, 2, 3, 0})});
    ASSERT_EQ(write(fds[1], record.data(), record.size()), static_cast<ssize_t>(record.size()));
    close(fds[1]);
    FILE* f = fdopen(fds[0], "rb");
    ASSERT_NE(f, nullptr);
    CPlanarPolyline p;
    EXPECT_EQ(p.ReadFile(f), 0u);
    EXPECT_EQ(p.GetSize(), 0);
    std::fclose(f);
}
}  // namespace
