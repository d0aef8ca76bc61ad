// The graph controls without a window: metafile output, fitting, groups,
// hit testing and the mouse protocol, bad input, the 3-D contours.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/emf/emf.h"
#include "platform/kurvo/kurvo.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;
using kurvo::Arg;
using kurvo::Args;

namespace {

fs::path Scratch(const std::string& name) {
    const fs::path p = fs::path(RIGEL_TEST_TMP) / ("kurvo_" + std::to_string(::getpid())) / name;
    fs::create_directories(p.parent_path());
    return p;
}

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

Args Band(double x1, double y1, double x2, double y2) {
    return {Arg::L(4), Arg::Ds({x1, x2, x2, x1}), Arg::Ds({y1, y1, y2, y2})};
}

struct Events : kurvo::Events {
    struct Got {
        int code;
        kurvo::EventArgs args;
    };
    std::vector<Got> got;
    void OnEvent(int code, const kurvo::EventArgs& a) override { got.push_back({code, a}); }
};

// A picture of a 6 m x 0.3 m band in group 5 on a 400 x 300 surface.
struct BandPicture : ::testing::Test {
    kurvo::Graph2D g;
    void SetUp() override {
        g.SetSize(400, 300);
        g.Invoke(1, {});
        g.Invoke(21, {Arg::L(5), Arg::L(0)});
        g.Invoke(35, {Arg::C(0xA2834B), Arg::L(0), Arg::L(0), Arg::B(false)});
        g.Invoke(5, Band(0, 0, 6, 0.3));
        g.Invoke(34, {Arg::D(0), Arg::D(0), Arg::D(0), Arg::D(0)});
        g.Invoke(15, {});
    }
};

}  // namespace

// The metafile's header and records agree with the file: type 1 first with
// the signature at byte 40, the byte count and record count of the header,
// EMR_EOF (14) last.
TEST_F(BandPicture, MetafileRecordsMatchTheFile) {
    const fs::path file = Scratch("band.emf");
    EXPECT_EQ(g.Invoke(38, {Arg::T(file.string())}), 1);
    std::ifstream f(file, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_GT(b.size(), 108u);
    EXPECT_EQ(U32(b, 0), 1u);
    EXPECT_EQ(b.substr(40, 4), " EMF");
    EXPECT_EQ(U32(b, 48), b.size());
    size_t at = 0, records = 0, last = 0;
    while (at + 8 <= b.size()) {
        const uint32_t size = U32(b, at + 4);
        ASSERT_GE(size, 8u);
        ASSERT_EQ(size % 4, 0u);
        last = at;
        at += size;
        ++records;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(U32(b, 52), records);
    EXPECT_EQ(U32(b, last), 14u);
}

TEST_F(BandPicture, MetafileToAFolderThatDoesNotExistSaysSo) {
    winsys::ScopedRecordingSink sink;
    const fs::path file = Scratch("missing") / "x.emf";
    EXPECT_EQ(g.Invoke(38, {Arg::T(file.string())}), 0);
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("x.emf"), std::string::npos);
}

// The metafile keeps what is drawn, not the whole surface: its frame
// (0.01 mm, a pixel being 0.25 mm) is the band's extent in pixels with a
// margin of 1 mm on each side and the outline's half width, so a report can
// place several such pictures on a page; the axis cross and the title make
// room for themselves below and above the drawing.
TEST_F(BandPicture, MetafileIsTrimmedToTheDrawing) {
    auto frameOf = [](const fs::path& file) {
        std::ifstream f(file, std::ios::binary);
        const std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        EXPECT_GT(b.size(), 40u);
        auto i32 = [&](size_t at) { return static_cast<int32_t>(U32(b, at)); };
        return std::array<double, 2>{(i32(32) - i32(24)) / 25.0, (i32(36) - i32(28)) / 25.0};  // pixels
    };
    const kurvo::PointF a = g.ToPixel({0, 0}), b = g.ToPixel({6, 0.3});
    const double bandW = b.x - a.x, bandH = a.y - b.y;
    ASSERT_GT(bandW, 300);  // the band fills the 400 pixels' width
    const double pen = 1, margin = 4;
    const fs::path plain = Scratch("trim.emf");
    ASSERT_EQ(g.Invoke(38, {Arg::T(plain.string())}), 1);
    const auto f = frameOf(plain);
    EXPECT_NEAR(f[0], bandW + pen + 2 * margin, 1.5);
    EXPECT_NEAR(f[1], bandH + pen + 2 * margin, 1.5);
    EXPECT_LT(f[1], 300 / 4) << "a strip, not the surface's 300 pixels";

    // With the axis cross (30 pixels an arm) and a title of 15 pixels.
    g.Invoke(54, {Arg::B(true), Arg::B(false), Arg::T("XZ"), Arg::B(false), Arg::T("Z")});
    g.Invoke(30, {Arg::T("Band"), Arg::L(8), Arg::L(15)});
    g.Invoke(34, {Arg::D(0), Arg::D(0), Arg::D(0), Arg::D(0)});
    const kurvo::PointF a2 = g.ToPixel({0, 0}), b2 = g.ToPixel({6, 0.3});
    const fs::path decorated = Scratch("trim_axes.emf");
    ASSERT_EQ(g.Invoke(38, {Arg::T(decorated.string())}), 1);
    const auto d = frameOf(decorated);
    EXPECT_NEAR(d[0], (b2.x - a2.x) + pen + 2 * margin, 1.5);
    EXPECT_NEAR(d[1], (a2.y - b2.y) + pen + 2 * margin + (30 + 26) + (15 + 8), 1.5);
    EXPECT_LT(d[1], 300);
}

// The metafile in memory holds exactly the bytes of the file, with and
// without the axis cross and the title, and leaves no file behind.
TEST_F(BandPicture, MetafileInMemoryEqualsTheFile) {
    auto fileBytes = [](const fs::path& file) {
        std::ifstream f(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    };
    for (bool decorated : {false, true}) {
        SCOPED_TRACE(decorated);
        if (decorated) {
            g.Invoke(54, {Arg::B(true), Arg::B(false), Arg::T("XZ"), Arg::B(false), Arg::T("Z")});
            g.Invoke(30, {Arg::T("Band"), Arg::L(8), Arg::L(15)});
        }
        const int liveBefore = emf::LiveObjectCount();
        const fs::path file = Scratch(decorated ? "memory_axes.emf" : "memory.emf");
        ASSERT_EQ(g.Invoke(38, {Arg::T(file.string())}), 1);
        std::vector<uint8_t> bytes{1, 2, 3};
        ASSERT_TRUE(g.MetafileBytes(bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), fileBytes(file));
        EXPECT_EQ(emf::LiveObjectCount(), liveBefore);
    }
}

// A canvas that keeps the labels drawn on it.
struct LabelCanvas : kurvo::Canvas {
    std::vector<std::string> texts;
    void Clear(kurvo::COLORREF) override {}
    void Polygon(const std::vector<kurvo::PointF>&, const kurvo::Pen&, std::optional<kurvo::COLORREF>) override {}
    void Polyline(const std::vector<kurvo::PointF>&, const kurvo::Pen&) override {}
    void Text(kurvo::PointF, double, double, std::string_view t, kurvo::COLORREF, int, bool) override {
        texts.emplace_back(t);
    }
};

// A dimension without a text of its own carries its length (the field
// dimensions of the system sketch and of the report's system picture); one
// with a text shows that text.
TEST(Graph2DDimension, EmptyTextShowsTheLength) {
    struct Case {
        double x1, y1, x2, y2;
        std::string text, shown;
    };
    const std::vector<Case> cases = {
        {0, 0, 6, 0, "", "6.00"},          // a field of 6 m
        {6, 0, 8.5, 0, "", "2.50"},        // the next field
        {0, 0, 3, 4, "", "5.00"},          // oblique: its true length
        {0, 0, 6, 0, "IPE 300", "IPE 300"},  // a section label
    };
    for (const Case& c : cases) {
        kurvo::Graph2D g;
        g.Invoke(1, {});
        g.Invoke(12, {Arg::D(c.x1), Arg::D(c.y1), Arg::D(c.x2), Arg::D(c.y2), Arg::D(0), Arg::D(-0.5), Arg::S(14),
                      Arg::D(0.1), Arg::T(c.text), Arg::S(2), Arg::B(false), Arg::S(0)});
        g.Invoke(34, {Arg::D(0), Arg::D(0), Arg::D(0), Arg::D(0)});
        LabelCanvas canvas;
        g.Render(canvas);
        ASSERT_EQ(canvas.texts.size(), 1u) << c.text;
        EXPECT_EQ(canvas.texts[0], c.shown);
    }
}

// Fitting keeps the aspect and leaves a margin; y points up.
TEST_F(BandPicture, FitShowsTheBandInsideWithAMargin) {
    const kurvo::PointF a = g.ToPixel({0, 0}), b = g.ToPixel({6, 0.3});
    EXPECT_GT(a.x, 5);
    EXPECT_LT(b.x, 395);
    EXPECT_GT(b.y, 5);
    EXPECT_LT(a.y, 295);
    EXPECT_GT(b.x - a.x, 10 * (a.y - b.y)) << "aspect kept: 6 m wide, 0.3 m high";
    EXPECT_LT(b.y, a.y) << "y up";
    EXPECT_NEAR(b.x - a.x, 6 * g.Scale(), 1e-9);
}

// Press on the band names its group, on empty space 0; a drag of 20 pixels
// reports 20 pixels in drawing units; release; a menu command.
TEST_F(BandPicture, MouseProtocolReportsGroupsAndDisplacements) {
    Events ev;
    g.SetEvents(&ev);
    const kurvo::PointF mid = g.ToPixel({3, 0.15});
    g.MousePress(mid, false, false);
    g.MouseMove({mid.x + 20, mid.y});
    g.MouseRelease({mid.x + 20, mid.y});
    g.MousePress({mid.x, mid.y + 100}, false, false);
    g.MouseRelease({mid.x, mid.y + 100});
    g.MenuCommand(2001);
    ASSERT_EQ(ev.got.size(), 6u);
    EXPECT_EQ(ev.got[0].code, 3);
    EXPECT_EQ(ev.got[0].args.item, 5);
    EXPECT_NEAR(ev.got[0].args.x, 3, 0.02);
    EXPECT_EQ(ev.got[1].code, 2);
    EXPECT_NEAR(ev.got[1].args.x, 20 / g.Scale(), 1e-9);
    EXPECT_NEAR(ev.got[1].args.y, 0, 1e-12);
    EXPECT_EQ(ev.got[2].code, 4);
    EXPECT_EQ(ev.got[3].code, 3);
    EXPECT_EQ(ev.got[3].args.item, 0);
    EXPECT_EQ(ev.got[5].code, 7);
    EXPECT_EQ(ev.got[5].args.command, 2001);
}

TEST_F(BandPicture, MoveShiftsTheGroupAndUnknownGroupsAreIgnored) {
    const kurvo::BoxF before = g.GroupBox(5);
    g.Invoke(18, {Arg::L(5), Arg::D(1.5), Arg::D(-0.5)});
    const kurvo::BoxF after = g.GroupBox(5);
    EXPECT_NEAR(after.x1 - before.x1, 1.5, 1e-12);
    EXPECT_NEAR(after.y2 - before.y2, -0.5, 1e-12);
    g.Invoke(18, {Arg::L(5), Arg::D(1.5), Arg::D(-0.5)});
    EXPECT_NEAR(g.GroupBox(5).x1, after.x1, 1e-12) << "the shift is from where the group was drawn";
    g.Invoke(18, {Arg::L(77), Arg::D(1), Arg::D(1)});
    g.Invoke(37, {Arg::L(77), Arg::C(0x4040C0), Arg::L(1), Arg::L(1)});
    EXPECT_FALSE(g.HasGroup(77));
}

// Bad input: non-finite numbers, counts of 0 or less, short arrays draw
// nothing; Method1 empties the picture.
TEST(Graph2D, BadElementsAreSkipped) {
    kurvo::Graph2D g;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::pair<int, Args> bad[] = {
        {3, {Arg::D(0), Arg::D(nan), Arg::D(1), Arg::D(1)}},
        {3, {Arg::D(0), Arg::D(0)}},
        {5, {Arg::L(0), Arg::Ds({}), Arg::Ds({})}},
        {5, {Arg::L(-3), Arg::Ds({0, 1, 1}), Arg::Ds({0, 0, 1})}},
        {5, {Arg::L(4), Arg::Ds({0, 1, 1}), Arg::Ds({0, 0, 1})}},
        {5, {Arg::L(3), Arg::Ds({0, inf, 1}), Arg::Ds({0, 0, 1})}},
        {7, {Arg::D(0), Arg::D(0), Arg::D(0), Arg::D(inf), Arg::T("x")}},
        {45, {Arg::D(0), Arg::D(0), Arg::D(nan), Arg::D(0), Arg::D(0)}},
    };
    for (const auto& [id, args] : bad) g.Invoke(id, args);
    EXPECT_EQ(g.ElementCount(), 0u);
    g.Invoke(3, {Arg::D(0), Arg::D(0), Arg::D(1), Arg::D(1)});
    EXPECT_EQ(g.ElementCount(), 1u);
    g.Invoke(1, {});
    EXPECT_EQ(g.ElementCount(), 0u);
}

// Group 0 is drawn but never picked; a later group lies on top.
TEST(Graph2D, TopmostPickableGroupIsHit) {
    kurvo::Graph2D g;
    g.SetSize(200, 200);
    g.Invoke(21, {Arg::L(0), Arg::L(0)});
    g.Invoke(5, Band(0, 0, 10, 10));
    g.Invoke(21, {Arg::L(2), Arg::L(0)});
    g.Invoke(5, Band(2, 2, 8, 8));
    g.Invoke(21, {Arg::L(3), Arg::L(0)});
    g.Invoke(5, Band(4, 4, 6, 6));
    EXPECT_EQ(g.HitTest(g.ToPixel({5, 5})), 3);
    EXPECT_EQ(g.HitTest(g.ToPixel({3, 3})), 2);
    EXPECT_EQ(g.HitTest(g.ToPixel({0.5, 0.5})), 0);
}

TEST(Graph3D, ContoursHaveHandlesAndExtrusionsNeedKnownOnes) {
    kurvo::Graph3D g;
    const Args square = {Arg::L(4), Arg::Fs({-1, -1, 1, -1, 1, 1, -1, 1})};
    const int32_t h1 = g.Invoke(5, square), h2 = g.Invoke(5, square);
    EXPECT_GT(h1, 0);
    EXPECT_GT(h2, 0);
    EXPECT_NE(h1, h2);
    EXPECT_EQ(g.Invoke(5, {Arg::L(0), Arg::Fs({})}), 0);
    const Arg p1 = Arg::Fs({0, 0, 0}), p2 = Arg::Fs({10, 0, 0});
    g.Invoke(6, {p1, p2, Arg::L(h1), Arg::L(999), Arg::F(0)});
    EXPECT_EQ(g.FaceCount(), 0u);
    g.Invoke(6, {p1, p2, Arg::L(h1), Arg::L(h2), Arg::F(0)});
    EXPECT_EQ(g.FaceCount(), 4u + 2u) << "four sides and two ends";
}

namespace {
// A canvas that keeps the texts drawn.
struct TextCanvas : kurvo::Canvas {
    std::vector<std::string> texts;
    double titleHeight = 0;
    void Clear(kurvo::COLORREF) override {}
    void Polygon(const std::vector<kurvo::PointF>&, const kurvo::Pen&, std::optional<kurvo::COLORREF>) override {}
    void Polyline(const std::vector<kurvo::PointF>&, const kurvo::Pen&) override {}
    void Text(kurvo::PointF, double, double h, std::string_view t, kurvo::COLORREF, int, bool) override {
        texts.emplace_back(t);
        if (t == "Lastkollektiv 1") titleHeight = h;
    }
};
}  // namespace

// Method30 carries the picture's title (callers pass the text, not a font).
TEST(Graph2D, TitleIsDrawnAtItsSize) {
    kurvo::Graph2D g;
    g.Invoke(3, {Arg::D(0), Arg::D(0), Arg::D(6), Arg::D(0)});
    g.Invoke(30, {Arg::T("Lastkollektiv 1"), Arg::S(9), Arg::S(15)});
    TextCanvas c;
    g.Render(c);
    ASSERT_EQ(c.texts, std::vector<std::string>{"Lastkollektiv 1"});
    EXPECT_EQ(c.titleHeight, 15);
}

namespace {
// A canvas that keeps the texts' places, sizes and colours (width 0.6 h per
// character, the estimate of a surface without fonts).
struct PlacedTextCanvas : kurvo::Canvas {
    struct Placed {
        std::string text;
        double left, baseline, height, width;
        kurvo::COLORREF colour;
    };
    std::vector<Placed> texts;
    void Clear(kurvo::COLORREF) override {}
    void Polygon(const std::vector<kurvo::PointF>&, const kurvo::Pen&, std::optional<kurvo::COLORREF>) override {}
    void Polyline(const std::vector<kurvo::PointF>&, const kurvo::Pen&) override {}
    void Text(kurvo::PointF p, double, double h, std::string_view t, kurvo::COLORREF c, int, bool) override {
        texts.push_back({std::string(t), p.x, p.y, h, TextWidth(h, t), c});
    }
};
}  // namespace

// The 3-D picture's texts: two labels of the same place at the right end of
// the member are both drawn whole inside the surface and apart; a light
// grey text on white is darkened so that it reads, a dark one stays.
TEST(Graph3D, LabelsApartInsideAndLegible) {
    kurvo::Graph3D g;
    g.SetSize(400, 300);
    const Arg a = Arg::Fs({0, 0, 0}), b = Arg::Fs({10, 0, 0}), c = Arg::Fs({10, 0, 1});
    g.Invoke(16, {Arg::L(0x40C040), Arg::L(1), Arg::T("Arial"), Arg::F(15), Arg::F(0.1f)});
    g.Invoke(14, {a, b, c, Arg::F(0.3f), Arg::F(0.1f), Arg::F(0), Arg::S(5), Arg::T("3.0 kN/m"), Arg::T("")});
    g.Invoke(14, {a, b, c, Arg::F(0.3f), Arg::F(0.1f), Arg::F(0), Arg::S(5), Arg::T("4.0 kN/m"), Arg::T("")});
    g.Invoke(16, {Arg::L(0xC0C0C0), Arg::L(1), Arg::T("Arial"), Arg::F(15), Arg::F(0.1f)});
    const Arg q = Arg::Fs({4, 0, 0}), r = Arg::Fs({6, 0, 0}), s = Arg::Fs({6, 0, -0.3f}), t = Arg::Fs({4, 0, -0.3f});
    g.Invoke(18, {q, r, s, t, Arg::T("IPE 300")});
    g.Invoke(16, {Arg::L(0x000000), Arg::L(1), Arg::T("Arial"), Arg::F(15), Arg::F(0.1f)});
    g.Invoke(18, {q, r, s, t, Arg::T("HEB 200")});
    PlacedTextCanvas canvas;
    g.Render(canvas);
    ASSERT_EQ(canvas.texts.size(), 4u);
    for (const auto& p : canvas.texts) {
        SCOPED_TRACE(p.text);
        EXPECT_GE(p.left, 0);
        EXPECT_LE(p.left + p.width, 400);
        EXPECT_GE(p.baseline - p.height, 0);
        EXPECT_LE(p.baseline, 300);
    }
    auto apart = [](const PlacedTextCanvas::Placed& x, const PlacedTextCanvas::Placed& y) {
        return x.left + x.width <= y.left || y.left + y.width <= x.left || x.baseline <= y.baseline - y.height ||
               y.baseline <= x.baseline - x.height;
    };
    for (size_t i = 0; i < canvas.texts.size(); ++i)
        for (size_t j = i + 1; j < canvas.texts.size(); ++j)
            EXPECT_TRUE(apart(canvas.texts[i], canvas.texts[j])) << canvas.texts[i].text << " / " << canvas.texts[j].text;
    auto luminance = [](kurvo::COLORREF col) {
        return (0.299 * (col & 0xFF) + 0.587 * ((col >> 8) & 0xFF) + 0.114 * ((col >> 16) & 0xFF)) / 255.0;
    };
    const auto& ipe = canvas.texts[2];
    EXPECT_EQ(ipe.text, "IPE 300");
    EXPECT_LE(luminance(ipe.colour), 0.46) << std::hex << ipe.colour;
    EXPECT_EQ(ipe.colour & 0xFF, (ipe.colour >> 8) & 0xFF) << "still a grey";
    EXPECT_EQ(canvas.texts[3].colour, 0u) << "black stays black";
}
