// Report drawings: rounding, font height, system scales, section labels,
// diagrams and the metafile they leave.
#include <gtest/gtest.h>

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
