// Metafiles written by the layer are read back record by record with an
// independent reader that follows the published record layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <iterator>

#include "platform/emf/emf.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;
using namespace emf;

namespace {

struct Record {
    uint32_t type = 0;
    std::vector<uint8_t> data;  // the whole record
    int32_t I(size_t off) const {
        int32_t v;
        std::memcpy(&v, data.data() + off, 4);
        return v;
    }
    uint32_t U(size_t off) const { return static_cast<uint32_t>(I(off)); }
};

struct Rect {
    int32_t l, t, r, b;
    bool Contains(int32_t x, int32_t y) const { return x >= l && x <= r && y >= t && y <= b; }
};

struct Parsed {
    std::vector<Record> records;
    uint64_t fileSize = 0;
    std::string error;
    Rect bounds() const { return {records[0].I(8), records[0].I(12), records[0].I(16), records[0].I(20)}; }
    Rect frame() const { return {records[0].I(24), records[0].I(28), records[0].I(32), records[0].I(36)}; }
};

Parsed Parse(const fs::path& p) {
    Parsed out;
    std::ifstream f(p, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    out.fileSize = bytes.size();
    size_t pos = 0;
    while (pos + 8 <= bytes.size()) {
        uint32_t type, size;
        std::memcpy(&type, &bytes[pos], 4);
        std::memcpy(&size, &bytes[pos + 4], 4);
        if (size < 8 || size % 4 != 0 || pos + size > bytes.size()) {
            out.error = "bad record size at " + std::to_string(pos);
            return out;
        }
        Record r;
        r.type = type;
        r.data.assign(bytes.begin() + pos, bytes.begin() + pos + size);
        out.records.push_back(std::move(r));
        pos += size;
    }
    if (pos != bytes.size()) out.error = "trailing bytes";
    return out;
}

// Checks the structure every metafile must have and returns the points that
// were drawn (for the bounds check).
void CheckStructure(const Parsed& p, std::vector<std::pair<int32_t, int32_t>>* drawn = nullptr) {
    ASSERT_TRUE(p.error.empty()) << p.error;
    ASSERT_GE(p.records.size(), 2u);
    const Record& h = p.records.front();
    ASSERT_EQ(h.type, 1u);
    EXPECT_EQ(h.U(40), 0x464D4520u);                // " EMF"
    EXPECT_EQ(h.U(48), p.fileSize);                 // nBytes
    EXPECT_EQ(h.U(52), p.records.size());           // nRecords
    uint16_t nHandles;
    std::memcpy(&nHandles, h.data.data() + 56, 2);
    EXPECT_EQ(p.records.back().type, 14u);          // EMR_EOF last
    for (size_t i = 1; i + 1 < p.records.size(); ++i) {
        EXPECT_NE(p.records[i].type, 1u);
        EXPECT_NE(p.records[i].type, 14u);
    }

    std::set<uint32_t> live;                        // created, not deleted
    std::map<int, uint32_t> selected;               // kind (0 pen, 1 brush, 2 font) -> handle
    std::map<uint32_t, int> kindOf;
    for (const Record& r : p.records) {
        switch (r.type) {
        case 38: case 39: case 82: {
            uint32_t ih = r.U(8);
            EXPECT_GT(ih, 0u);
            EXPECT_LT(ih, nHandles);
            EXPECT_FALSE(live.count(ih)) << "slot reused while alive";
            live.insert(ih);
            kindOf[ih] = r.type == 38 ? 0 : r.type == 39 ? 1 : 2;
            break;
        }
        case 37: {
            uint32_t ih = r.U(8);
            if (ih & 0x80000000u) {
                uint32_t idx = ih & 0x7FFFFFFFu;
                selected[idx <= 5 ? 1 : idx <= 8 ? 0 : 2] = ih;
            } else {
                EXPECT_TRUE(live.count(ih)) << "selecting an object not created";
                selected[kindOf[ih]] = ih;
            }
            break;
        }
        case 40: {
            uint32_t ih = r.U(8);
            EXPECT_TRUE(live.count(ih)) << "deleting an object not created";
            for (auto& [k, s] : selected) EXPECT_NE(s, ih) << "deleting a selected object";
            live.erase(ih);
            break;
        }
        case 27: case 54:
            if (drawn && r.type == 54) drawn->push_back({r.I(8), r.I(12)});
            break;
        case 3:
            if (drawn)
                for (uint32_t i = 0; i < r.U(24); ++i) drawn->push_back({r.I(28 + 8 * i), r.I(32 + 8 * i)});
            break;
        case 42:
            if (drawn) {
                drawn->push_back({r.I(8), r.I(12)});
                drawn->push_back({r.I(16) - 1, r.I(20) - 1});
            }
            break;
        case 84:
            if (drawn) drawn->push_back({r.I(36), r.I(40)});
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(live.empty()) << live.size() << " objects left undeleted";
    for (auto& [k, s] : selected) EXPECT_TRUE(s & 0x80000000u) << "object left selected, kind " << k;
}

class EmfTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("emf_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        baseline_ = LiveObjectCount();
    }
    void TearDown() override {
        EXPECT_EQ(LiveObjectCount(), baseline_) << "objects leaked by the test";
        fs::remove_all(dir_);
    }
    fs::path dir_;
    int baseline_ = 0;
};

// A picture drawn the way the report drawings draw: a global object set,
// temporary objects per primitive, corner marks, polygons, an ellipse, text
// in two directions.
TEST_F(EmfTest, ReportPictureParsesBackRecordByRecord) {
    HGDIOBJ thin = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    HGDIOBJ thick = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    HGDIOBJ blue = CreateSolidBrush(RGB(0, 128, 255));
    HGDIOBJ text = CreateFont(4, 0, 0, 0, "Arial");
    HGDIOBJ vertical = CreateFont(4, 900, 900, 0, "Arial");

    fs::path file = dir_ / "HHHH.EMF";
    HDC dc = CreateEnhMetaFile(file.string(), 159, 46);
    ASSERT_NE(dc, 0u);
    HGDIOBJ oldPen = SelectObject(dc, thin);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    // corner marks
    MoveToEx(dc, 0, 0); LineTo(dc, 1, 0);
    MoveToEx(dc, 158, 46); LineTo(dc, 159, 46);
    // a filled polygon with a temporary brush
    HGDIOBJ tmpBrush = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, tmpBrush);
    POINT pts[5] = {{15, 23}, {15, 10}, {40, 12}, {40, 23}, {15, 23}};
    EXPECT_TRUE(Polygon(dc, pts, 5));
    SelectObject(dc, oldBrush);
    EXPECT_TRUE(DeleteObject(tmpBrush));
    SelectObject(dc, blue);
    SelectObject(dc, thick);
    EXPECT_TRUE(Ellipse(dc, 60, 20, 66, 26));
    SelectObject(dc, text);
    SetTextColor(dc, RGB(255, 0, 0));
    SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    EXPECT_TRUE(TextOut(dc, 80, 30, "2.50"));
    SelectObject(dc, vertical);
    EXPECT_TRUE(TextOut(dc, 100, 40, "Länge in m"));
    // the caller leaves its objects selected: closing must clean up
    HENHMETAFILE mf = CloseEnhMetaFile(dc);
    ASSERT_NE(mf, 0u);
    EXPECT_TRUE(DeleteEnhMetaFile(mf));

    Parsed p = Parse(file);
    std::vector<std::pair<int32_t, int32_t>> drawn;
    CheckStructure(p, &drawn);
    Rect b = p.bounds();
    for (auto [x, y] : drawn) EXPECT_TRUE(b.Contains(x, y)) << x << "," << y;
    EXPECT_LE(b.l, 0);
    EXPECT_LE(b.t, 0);
    EXPECT_GE(b.r, 159);
    EXPECT_GE(b.b, 46);
    // Frame: the given size in 0.01 mm at one millimetre per unit.
    Rect f = p.frame();
    EXPECT_EQ(f.l, 0);
    EXPECT_EQ(f.t, 0);
    EXPECT_EQ(f.r, 15900);
    EXPECT_EQ(f.b, 4600);

    // The vertical text record holds the UTF-16 text and a bounds box that
    // is taller than wide (turned by 90 degrees).
    const Record* vtext = nullptr;
    for (const Record& r : p.records)
        if (r.type == 84) vtext = &r;
    ASSERT_NE(vtext, nullptr);
    uint32_t n = vtext->U(44), off = vtext->U(48);
    ASSERT_EQ(n, 10u);
    std::u16string s(n, u'\0');
    std::memcpy(s.data(), vtext->data.data() + off, 2 * n);
    EXPECT_EQ(s, u"Länge in m");
    int32_t w = vtext->I(16) - vtext->I(8), h = vtext->I(20) - vtext->I(12);
    EXPECT_GT(h, w);

    // The global objects survive the metafile and can be used again.
    for (HGDIOBJ o : {thin, thick, blue, text, vertical}) EXPECT_TRUE(DeleteObject(o));
}

// Objects shared by two metafiles are recorded in each; deleting an object
// while it is selected is refused, afterwards it is deleted in the open file.
TEST_F(EmfTest, SharedObjectsAndDeletionRules) {
    HGDIOBJ pen = CreatePen(PS_SOLID, 2, RGB(160, 160, 160));
    HDC a = CreateEnhMetaFile((dir_ / "a.emf").string(), 0, 0);
    HDC b = CreateEnhMetaFile((dir_ / "b.emf").string(), 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    SelectObject(a, pen);
    SelectObject(b, pen);
    EXPECT_FALSE(DeleteObject(pen));  // selected in a and b
    SelectObject(a, GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen));  // still selected in b
    MoveToEx(b, 10, 10);
    LineTo(b, 20, 30);
    SelectObject(b, GetStockObject(NULL_PEN));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));  // gone
    EXPECT_FALSE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    ASSERT_NE(CloseEnhMetaFile(a), 0u);
    ASSERT_NE(CloseEnhMetaFile(b), 0u);

    Parsed pa = Parse(dir_ / "a.emf");
    Parsed pb = Parse(dir_ / "b.emf");
    CheckStructure(pa);
    CheckStructure(pb);
    // Nothing drawn in a: empty bounds and frame.
    EXPECT_GT(pa.bounds().l, pa.bounds().r);
    // b: frame from the bounds (pen width 2 widens by one unit).
    Rect bb = pb.bounds();
    EXPECT_EQ(bb.l, 9);
    EXPECT_EQ(bb.t, 9);
    EXPECT_EQ(bb.r, 21);
    EXPECT_EQ(bb.b, 31);
    EXPECT_EQ(pb.frame().r, 2100);
    EXPECT_EQ(pb.frame().b, 3100);
}

// Calls on a closed or unknown metafile, bad arguments and an unwritable path
// fail cleanly; the unwritable path is reported through the message sink.
TEST_F(EmfTest, InvalidUseFailsCleanly) {
    struct Case {
        const char* what;
        bool result;
    };
    HDC dc = CreateEnhMetaFile((dir_ / "c.emf").string(), 10, 10);
    ASSERT_NE(CloseEnhMetaFile(dc), 0u);
    POINT pts[1] = {{1, 1}};
    HDC live = CreateEnhMetaFile((dir_ / "d.emf").string(), 10, 10);
    const Case cases[] = {
        {"LineTo on a closed dc", LineTo(dc, 1, 1)},
        {"MoveToEx on dc 0", MoveToEx(0, 1, 1)},
        {"Ellipse on a closed dc", Ellipse(dc, 0, 0, 1, 1)},
        {"TextOut on a closed dc", TextOut(dc, 0, 0, "x")},
        {"Polygon with one point", Polygon(live, pts, 1)},
        {"Polygon without points", Polygon(live, nullptr, 3)},
        {"SelectObject of an unknown object", SelectObject(live, 0x7777) != 0},
        {"second close", CloseEnhMetaFile(dc) != 0},
    };
    for (const Case& c : cases) EXPECT_FALSE(c.result) << c.what;
    EXPECT_NE(CloseEnhMetaFile(live), 0u);
    EXPECT_EQ(CreateEnhMetaFile("", 10, 10), 0u);
    EXPECT_EQ(CreateEnhMetaFile((dir_ / "e.emf").string(), -1, 10), 0u);

    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(CreateEnhMetaFile((dir_ / "missing" / "f.emf").string(), 10, 10), 0u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("f.emf"), std::string::npos);
}

// Text bounds follow the alignment: centred text straddles its reference
// point, right-aligned text ends at it; bottom alignment puts the box above.
TEST_F(EmfTest, TextBoundsFollowAlignment) {
    struct Case {
        unsigned align;
        bool leftOfX, rightOfX, aboveY, belowY;
    };
    const Case cases[] = {
        {TA_LEFT | TA_TOP, false, true, false, true},
        {TA_CENTER | TA_BOTTOM, true, true, true, false},
        {TA_RIGHT | TA_BASELINE, true, false, true, true},
    };
    HGDIOBJ font = CreateFont(-10, 0, 0, FW_NORMAL, "Arial");
    for (const Case& c : cases) {
        fs::path file = dir_ / ("t" + std::to_string(c.align) + ".emf");
        HDC dc = CreateEnhMetaFile(file.string(), 0, 0);
        SelectObject(dc, font);
        SetTextAlign(dc, c.align);
        TextOut(dc, 100, 100, "Test");
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        ASSERT_NE(CloseEnhMetaFile(dc), 0u);
        Parsed p = Parse(file);
        CheckStructure(p);
        Rect b = p.bounds();
        EXPECT_EQ(b.l < 100, c.leftOfX) << c.align;
        EXPECT_EQ(b.r > 100, c.rightOfX) << c.align;
        EXPECT_EQ(b.t < 100, c.aboveY) << c.align;
        EXPECT_EQ(b.b > 100, c.belowY) << c.align;
        // "Test" in 10-unit Arial: 611 + 556 + 500 + 278 thousandths of the em.
        EXPECT_NEAR(b.r - b.l, 19.45, 1.5);
    }
    EXPECT_TRUE(DeleteObject(font));
}

// A metafile kept in memory holds the very bytes that the same drawing
// writes to a file; its bytes live until the handle is released, and a file
// metafile has none.
TEST_F(EmfTest, MemoryMetafileHoldsTheBytesOfTheFile) {
    HGDIOBJ font = CreateFont(5, 900, 900, 0, "Arial");
    auto draw = [&](HDC dc) {
        MoveToEx(dc, 0, 0);
        LineTo(dc, 1, 0);
        HGDIOBJ brush = CreateSolidBrush(RGB(0, 155, 0));
        HGDIOBJ old = SelectObject(dc, brush);
        POINT pts[5] = {{15, 23}, {15, 10}, {40, 12}, {40, 23}, {15, 23}};
        Polygon(dc, pts, 5);
        SelectObject(dc, old);
        DeleteObject(brush);
        SelectObject(dc, font);
        TextOut(dc, 30, 40, "0.25");
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
    };
    const fs::path file = dir_ / "bild.emf";
    HDC fdc = CreateEnhMetaFile(file.string(), 159, 46);
    ASSERT_NE(fdc, 0u);
    draw(fdc);
    HENHMETAFILE fmf = CloseEnhMetaFile(fdc);
    ASSERT_NE(fmf, 0u);
    std::vector<uint8_t> bits{1, 2, 3};
    EXPECT_FALSE(GetEnhMetaFileBits(fmf, bits));
    EXPECT_TRUE(bits.empty());
    EXPECT_TRUE(DeleteEnhMetaFile(fmf));

    HDC mdc = CreateMemoryEnhMetaFile(159, 46);
    ASSERT_NE(mdc, 0u);
    draw(mdc);
    HENHMETAFILE mmf = CloseEnhMetaFile(mdc);
    ASSERT_NE(mmf, 0u);
    ASSERT_TRUE(GetEnhMetaFileBits(mmf, bits));
    std::ifstream f(file, std::ios::binary);
    const std::vector<uint8_t> onDisk((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_GT(onDisk.size(), 100u);
    EXPECT_EQ(bits, onDisk);
    EXPECT_TRUE(DeleteEnhMetaFile(mmf));
    EXPECT_FALSE(GetEnhMetaFileBits(mmf, bits));
    EXPECT_FALSE(DeleteEnhMetaFile(mmf));
    EXPECT_EQ(CreateMemoryEnhMetaFile(-1, 46), 0u);
    EXPECT_TRUE(DeleteObject(font));
}

}  // namespace

// Replacing a picture: the old file stays whole until the new one is
// complete, and a write that fails (here: the file-size limit) leaves it as
// it was, with a message.
TEST_F(EmfTest, AFailedWriteLeavesTheOldPictureWhole) {
    const fs::path target = dir_ / "result.emf";
    const std::string old = "old picture";
    {
        std::ofstream(target, std::ios::binary) << old;
    }
    auto content = [&] {
        std::ifstream f(target, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    };
    auto drawLines = [](HDC dc) {
        for (int i = 0; i < 200; ++i) {
            MoveToEx(dc, i, 0);
            LineTo(dc, i, 100);
        }
    };
    HDC dc = CreateEnhMetaFile(target.string(), 200, 100);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(content(), old) << "creating the metafile must not cut the old file";
    drawLines(dc);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    winsys::ScopedRecordingSink sink;
    const HENHMETAFILE mf = CloseEnhMetaFile(dc);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(mf, 0u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("result.emf"), std::string::npos);
    EXPECT_EQ(content(), old);
    size_t files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1u) << "no temporary file left behind";

    dc = CreateEnhMetaFile(target.string(), 200, 100);
    drawLines(dc);
    const HENHMETAFILE ok = CloseEnhMetaFile(dc);
    EXPECT_NE(ok, 0u);
    DeleteEnhMetaFile(ok);
    EXPECT_GT(fs::file_size(target), 1000u);
}

// A metafile gives an object the lowest free slot of its table when it is
// first selected, and when the metafile is closed the objects still in it are
// deleted in the order they were created, whatever their slots.
TEST_F(EmfTest, SlotsAreReusedLowestFirstAndFreedInCreationOrder) {
    HDC dc = CreateEnhMetaFile((dir_ / "slots.emf").string(), 0, 0);
    ASSERT_NE(dc, 0u);
    const HGDIOBJ p1 = CreatePen(PS_SOLID, 1, RGB(1, 0, 0));
    const HGDIOBJ b1 = CreateSolidBrush(RGB(2, 0, 0));
    const HGDIOBJ p2 = CreatePen(PS_SOLID, 1, RGB(3, 0, 0));
    const HGDIOBJ p3 = CreatePen(PS_SOLID, 1, RGB(4, 0, 0));  // made before b2, selected after it
    const HGDIOBJ b2 = CreateSolidBrush(RGB(5, 0, 0));
    SelectObject(dc, p1);               // slot 1
    SelectObject(dc, b1);               // slot 2
    SelectObject(dc, p2);               // slot 3
    EXPECT_TRUE(DeleteObject(p1));      // frees 1
    SelectObject(dc, b2);               // slot 1 again
    EXPECT_TRUE(DeleteObject(b1));      // frees 2
    SelectObject(dc, p3);               // slot 2 again
    EXPECT_TRUE(DeleteObject(p2));      // frees 3
    ASSERT_NE(CloseEnhMetaFile(dc), 0u);
    EXPECT_TRUE(DeleteObject(p3));
    EXPECT_TRUE(DeleteObject(b2));

    const Parsed p = Parse(dir_ / "slots.emf");
    CheckStructure(p);
    std::vector<std::pair<uint32_t, uint32_t>> got;  // (record type, slot)
    for (const Record& r : p.records)
        if (r.type == 37 || r.type == 38 || r.type == 39 || r.type == 40) got.push_back({r.type, r.U(8)});
    const uint32_t stockPen = got.size() > 2 ? got[got.size() - 4].second : 0;
    const uint32_t stockBrush = got.size() > 2 ? got[got.size() - 3].second : 0;
    EXPECT_TRUE(stockPen & 0x80000000u);
    EXPECT_TRUE(stockBrush & 0x80000000u);
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {38, 1}, {37, 1}, {39, 2}, {37, 2}, {38, 3}, {37, 3}, {40, 1}, {39, 1}, {37, 1}, {40, 2},
        {38, 2}, {37, 2}, {40, 3},
        {37, stockPen}, {37, stockBrush},  // the default objects back in
        {40, 2}, {40, 1},                  // p3 (made first), then b2
    };
    EXPECT_EQ(got, expected);
}
