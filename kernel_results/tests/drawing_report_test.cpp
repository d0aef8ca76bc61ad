// Report drawings: rounding, font height, system scales, section labels,
// diagrams and the metafile they leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "kernel_results/ReportDrawing.h"
#include "platform/emf/emf.h"
#include "testsupport/position_doc.h"

namespace {

using namespace tovik::report;

TEST(ReportDrawing, RoundingRules) {
    struct Case {
        double v;
        int r;
    };
    for (const Case& c : {Case{2.499, 2}, Case{2.4991, 3}, Case{-2.5, -3}, Case{0.0, 0}, Case{-2.499, -2}, Case{7.0, 7}})
        EXPECT_EQ(RoundToInt(c.v), c.r) << c.v;
    EXPECT_EQ(RoundToIntF(2.75f), 3);
    EXPECT_EQ(RoundHalfAway(2.5), 2);
    EXPECT_EQ(RoundHalfAway(2.5000002), 3);
    EXPECT_EQ(RoundHalfAway(-2.6), -3);
}

TEST(ReportDrawing, FontHeightFromTheAvailableHeight) {
    for (auto [h, f] : {std::pair{26, 4}, std::pair{112, 11}, std::pair{200, 12}, std::pair{0, 4}}) {
        SetDrawingFontHeight(h);
        EXPECT_EQ(DrawingFontHeight(), f) << h;
    }
}

TEST(ReportDrawing, FiveMetreMemberWith30cmSectionScales) {
    const SystemFrame f = SystemScales(PageRect{0, 0, 159, 46}, 500.0, 30.0, 30.0);
    EXPECT_EQ(f.x0, 10);
    EXPECT_DOUBLE_EQ(f.sx, 129.0 / 500.0);
    EXPECT_DOUBLE_EQ(f.sz, 16.0 / 52.5);
    EXPECT_EQ(f.label, "1.2-fach überhöht");
    EXPECT_EQ(f.axisY, RoundToInt(16.0 / 52.5 * 30.0 * 0.5) + 23);
}

TEST(ReportDrawing, CentroidOnTheShearCentreIsLabelledOnce) {
    EXPECT_EQ(SectionPointLabels(0, 0, 0.0005, -0.0009), (std::vector<std::string>{"S=M", ""}));
    EXPECT_EQ(SectionPointLabels(0, 0, 0.0, 2.5), (std::vector<std::string>{"S", "M"}));
}

TEST(ReportDrawing, DiagramLabelFormats) {
    EXPECT_STREQ(DiagramLabelFormat(1500, -3), "%.0f");
    EXPECT_STREQ(DiagramLabelFormat(150, -3), "%.1f");
    EXPECT_STREQ(DiagramLabelFormat(50, 0), "%.3f");
    EXPECT_STREQ(DiagramLabelFormat(50, -3), "%.2f");
}

// Records of an enhanced metafile: (type, size) in order.
std::vector<std::pair<uint32_t, uint32_t>> Records(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (size_t pos = 0; pos + 8 <= b.size();) {
        uint32_t t, s;
        std::memcpy(&t, b.data() + pos, 4);
        std::memcpy(&s, b.data() + pos + 4, 4);
        if (s < 8 || pos + s > b.size()) return {};
        out.push_back({t, s});
        pos += s;
    }
    return out;
}

TEST(ReportDrawing, DiagramIsWrittenAsAMetafileThatParsesBack) {
    results_test::ScratchDir dir("draw");
    tovik::RunState run;
    auto& fm = run.cdltr.fe;
    fm.nKnoten = 3;
    fm.nStab = 2;
    fm.KnotenX[1] = 2.5;
    fm.KnotenX[2] = 5.0;
    run.cdltr.GesamtLaenge = 5.0;
    const int before = emf::LiveObjectCount();
    CreateGdiObjects();
    EXPECT_EQ(GdiObjectCount(), 19);
    const PageRect r{0, 0, 159, 46};
    // All values below 1e-5: nothing drawn.
    {
        const HDC dc = emf::CreateEnhMetaFile((dir.path() / "zero.emf").string(), 159, 46);
        EXPECT_EQ(DrawDiagram(run, dc, r, {{0, 1e-6, -1e-6, 0}}), -1);
        emf::DeleteEnhMetaFile(emf::CloseEnhMetaFile(dc));
    }
    const auto file = dir.path() / "m.emf";
    const HDC dc = emf::CreateEnhMetaFile(file.string(), 159, 46);
    MarkPictureCorners(dc, r);
    EXPECT_EQ(DrawDiagram(run, dc, r, {{0, 30, 30, 0}, {0, -5, -5, 0}}), 0);
    const emf::HENHMETAFILE mf = emf::CloseEnhMetaFile(dc);
    ASSERT_NE(mf, 0u);
    emf::DeleteEnhMetaFile(mf);
    const auto rec = Records(file);
    ASSERT_GT(rec.size(), 10u);
    EXPECT_EQ(rec.front().first, 1u);   // header
    EXPECT_EQ(rec.back().first, 14u);   // end of file
    int polygons = 0, texts = 0;
    for (const auto& [t, s] : rec) {
        polygons += (t == 3 || t == 86);   // polygon records
        texts += (t == 84);                // text records
    }
    EXPECT_EQ(polygons, 4);                // two curves of two elements
    EXPECT_EQ(texts, 9 + 3);               // eight steps (nine labels) and the three node positions
    DeleteGdiObjects();
    EXPECT_EQ(GdiObjectCount(), 0);
    EXPECT_EQ(emf::LiveObjectCount(), before);
}

}  // namespace

namespace {

// Load symbols of a 6 m member on the report's 159 x 46 page (origin x 10,
// axis line at 30, sx = 129 / 600 page units per cm, font height 4).
constexpr double kSx = 129.0 / 600.0;
const PageRect kPage{0, 0, 159, 46};

int Top(const LoadGlyph& g) { return std::min({g.area[0].y, g.area[1].y, g.area[2].y, g.area[3].y}); }
int Bottom(const LoadGlyph& g) { return std::max({g.area[0].y, g.area[1].y, g.area[2].y, g.area[3].y}); }

TEST(ReportDrawing, TwoLineLoadsOverTheSameStretchAreStackedAndLabelled) {
    // g = 3 kN/m (load case 1) and q = 5 kN/m (load case 2) over the whole member.
    const std::vector<LoadSymbol> loads = {{0, 129, 3.0, 3.0, 1, 2, "pz"}, {0, 129, 5.0, 5.0, 2, 2, "pz"}};
    const auto g = LayoutLoadSymbols(loads, 10, 30, kSx, kPage, 4, false);
    ASSERT_EQ(g.size(), 2u);
    // Ordinates d = s * value * sx with s = 0.35 * 46 / 5 (the largest value).
    const double s = 0.35 * 46.0 / 5.0;
    EXPECT_EQ(g[0].area[0].y, 30);                              // on the member line
    EXPECT_EQ(Bottom(g[0]) - Top(g[0]), RoundHalfAway(s * 3.0 * kSx));
    // The second load's base: the first one's ordinate and a label's room (font height + 1).
    const double base = s * 3.0 * kSx + 5.0;
    EXPECT_EQ(Bottom(g[1]) - Top(g[1]), RoundHalfAway(base + s * 5.0 * kSx) - RoundHalfAway(base));
    // The second stands on the first and its label: no area hides another.
    EXPECT_LT(Bottom(g[1]), Top(g[0]) - 4);
    EXPECT_EQ(g[0].area[0].x, 10);
    EXPECT_EQ(g[0].area[1].x, 10 + 129);
    EXPECT_EQ(g[0].label, "Lf 1: pz = 3.00");
    EXPECT_EQ(g[1].label, "Lf 2: pz = 5.00");
    // Each label sits above its own area, below the next one.
    EXPECT_LE(g[0].labelAt.y, Top(g[0]));
    EXPECT_GE(g[0].labelAt.y - 4, Bottom(g[1]));
    for (const auto& x : g) EXPECT_EQ(x.colour, colour::kBlue);
}

TEST(ReportDrawing, LoadSymbolsApartSideBySideNegativeBelowAndVaryingLabelled) {
    // Span 1 only, span 2 only (no stacking), a negative load and a varying one.
    const std::vector<LoadSymbol> loads = {{0, 60, 4.0, 4.0, 2, 2, "pz"},
                                           {69, 129, 4.0, 4.0, 3, 2, "pz"},
                                           {0, 129, -2.0, -2.0, 4, 2, "pz"},
                                           {0, 129, 0.0, 0.0, 5, 0, "px"}};
    const auto g = LayoutLoadSymbols(loads, 10, 30, kSx, kPage, 4, false);
    ASSERT_EQ(g.size(), 3u);  // the load without value draws nothing
    EXPECT_EQ(Bottom(g[0]), 30);
    EXPECT_EQ(Bottom(g[1]), 30);
    EXPECT_EQ(g[2].area[0].y, 30);
    EXPECT_GT(Bottom(g[2]), 30);  // below the member
    EXPECT_EQ(g[2].colour, colour::kRed);
    EXPECT_GT(g[2].labelAt.y, Bottom(g[2]));
    const LoadSymbol varying{0, 60, 2.0, 4.5, 7, 1, "py"};
    EXPECT_EQ(LoadLabel(varying), "Lf 7: py = 2.00 / 4.50");
}

TEST(ReportDrawing, ManyStackedLoadsStayOnThePage) {
    std::vector<LoadSymbol> loads;
    for (int lc = 1; lc <= 6; ++lc) loads.push_back({0, 129, 10.0 * lc, 10.0 * lc, lc, 2, "pz"});
    const auto g = LayoutLoadSymbols(loads, 10, 40, 129.0 / 100.0, kPage, 4, false);
    ASSERT_EQ(g.size(), 6u);
    for (const auto& x : g) {
        EXPECT_GE(x.labelAt.y - 4, kPage.top) << x.label;
        EXPECT_LE(Bottom(x), 40);
    }
    for (size_t i = 1; i < g.size(); ++i) EXPECT_LT(Bottom(g[i]), Top(g[i - 1])) << i;
}

}  // namespace
