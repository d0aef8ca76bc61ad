// The pictures of the member-design report as they are drawn into the
// report's hidden graph: a result diagram and the elevation of the system,
// rendered as the metafile shows them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/tests/example_position.h"
#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zevud/zevud.h"

namespace guitest = wl::guitest;
namespace fs = std::filesystem;

namespace {

// A member of one 6 m field, a 30 x 45 cm box, pinned and on rollers.
void MakeMember(CModuleData& d) {
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0)};
    d.m_sections.resize(1);
    d.m_sections[0].m_bVoute = 0;
    d.m_sections[0].m_contourX = {-15, 15, 15, -15};
    d.m_sections[0].m_contourY = {0, 0, -45, -45};
    d.m_supports.assign(2, CSupport());
    for (CSupport& s : d.m_supports) {
        for (int i = 0; i < 7; ++i) s.SetValueByIdx(i, CFormulaValue(0.0), 0);
        s.SetValueByIdx(2, CFormulaValue(-1.0), 0);
        s.SetValueByIdx(1, CFormulaValue(-1.0), 0);
    }
    d.m_supports[0].SetValueByIdx(0, CFormulaValue(-1.0), 0);
}

// Runs body into a scratch report and renders the report graph afterwards.
QImage DrawAndRender(const std::function<void(CKurvo2D*)>& body, const std::string& name) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("report_picture_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    zadevoz::RtfResetReport();
    zadevoz::RtfOpenDocument((dir / "r.rtf").string(), 0, 0, 1, "nologo\0\0");
    Pictor_Create2D(640, 480, 1);
    CKurvo2D* graph = Pictor_GetKurvo2DPtr();
    body(graph);
    zadevoz::RtfCloseDocument(0);
    auto* g = dynamic_cast<kurvo::Graph2D*>(graph->GetControl());
    QImage img = g ? kurvoqt::Render(*g, 640, 480) : QImage();
    Pictor_Destroy();
    fs::remove_all(dir);
    if (!img.isNull()) img.save(QString::fromStdString((guitest::ScreenshotFolder() / (name + ".png")).string()));
    return img;
}

bool Near(QRgb c, int r, int g, int b) { return guitest::Near(c, qRgb(r, g, b), 20); }

}  // namespace

TEST(ReportPictureScreen, BendingMomentDiagramOfASimpleBeam) {
    CModuleData d;
    MakeMember(d);
    // My = q x (L - x) / 2 with q = 7 kN/m: 31.5 kNm at mid-span.
    CResultSet s;
    s.m_strTitle = "Gebrauchstauglichkeit\\Extremal\\Schnittgrößen\\Biegemoment My";
    s.m_strUnit = "kNm";
    s.m_nDigits = 2;
    for (int i = 0; i <= 12; ++i) {
        const float x = 0.5f * static_cast<float>(i);
        s.m_data.push_back(x);
        s.m_data.push_back(7.0f * x * (6.0f - x) / 2.0f);
    }
    s.FindExtremes();
    d.m_resultSets = {s};
    d.m_resultIndex[s.m_strTitle] = 0;
    const QImage img = DrawAndRender([&](CKurvo2D* g) { d.InsertGraphPicture(g, s.m_strTitle, 0, 0, 0, 0, 1, 0); },
                                     "report_diagram_my");
    ASSERT_FALSE(img.isNull());
    // The positive moment is filled in the diagram's light blue (0xFFDAB5),
    // a good part of the picture, and the values are labelled in black ink.
    const int fill = guitest::CountPixels(img, img.rect(), [](QRgb c) { return Near(c, 0xB5, 0xDA, 0xFF); });
    EXPECT_GT(fill, 640 * 480 / 20);
    const int ink = guitest::CountPixels(img, img.rect(), [](QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; });
    EXPECT_GT(ink, 200);
    // The fill spans the member: its box is wider than it is high.
    const QRect box = guitest::BoundingBox(img, [](QRgb c) { return Near(c, 0xB5, 0xDA, 0xFF); });
    EXPECT_GT(box.width(), box.height());
}

TEST(ReportPictureScreen, ElevationOfTheSystem) {
    CModuleData d;
    MakeMember(d);
    const QImage img =
        DrawAndRender([&](CKurvo2D* g) { d.WriteRtfSystemPictures(g, 0, 0, 0, 0); }, "report_system_xz");
    ASSERT_FALSE(img.isNull());
    // The member band in the report's grey 0xD4D4D4 across the picture,
    // much longer than deep (6 m against 0.45 m); the section label and the
    // dimensions below it.
    auto grey = [](QRgb c) { return Near(c, 0xD4, 0xD4, 0xD4); };
    int top = 0;
    while (top < 479 && !grey(img.pixel(320, top))) ++top;
    ASSERT_LT(top, 479);
    int bottom = top, left = 320, right = 320;
    while (bottom < 479 && grey(img.pixel(320, bottom + 1))) ++bottom;
    const int mid = (top + bottom) / 2;
    while (left > 0 && grey(img.pixel(left - 1, mid))) --left;
    while (right < 639 && grey(img.pixel(right + 1, mid))) ++right;
    EXPECT_GT(right - left, 640 / 2);
    EXPECT_GT(right - left, 8 * (bottom - top + 1));
    EXPECT_GT(guitest::CountInk(img, QRect(0, bottom + 4, 640, 480 - bottom - 4), qRgb(255, 255, 255)), 100);
}

namespace {

// Passes every call on to a picture and renders the picture whenever it is
// saved as a metafile, as that metafile shows it.
struct RenderingControl : kurvo::Control {
    explicit RenderingControl(std::string stem) : stem(std::move(stem)) { graph.SetSize(900, 480); }
    int32_t Invoke(int dispid, const kurvo::Args& args) override {
        const int32_t r = graph.Invoke(dispid, args);
        if (dispid == 38) {
            QImage img = kurvoqt::Render(graph, 900, 480);
            img.save(QString::fromStdString(
                (guitest::ScreenshotFolder() / (stem + "_" + std::to_string(images.size()) + ".png")).string()));
            images.push_back(img);
        }
        return r;
    }
    kurvo::Graph2D graph;
    std::string stem;
    std::vector<QImage> images;
};

// Pixels of a colour given as 0x00BBGGRR.
int Pixels(const QImage& img, uint32_t bgr) {
    return guitest::CountPixels(img, img.rect(), [&](QRgb c) {
        return Near(c, static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                    static_cast<int>((bgr >> 16) & 0xFF));
    });
}

class ReportPictureExamples : public ExamplePosition {
protected:
    ReportPictureExamples() : ExamplePosition("report_picture_examples_") {}
    void SetUp() override {
        ExamplePosition::SetUp();
        zadevoz::RtfResetReport();
        zadevoz::RtfOpenDocument((dir / "r.rtf").string(), 0, 0, 1, "nologo\0\0");
    }
    void TearDown() override {
        zadevoz::RtfCloseDocument(0);
        ExamplePosition::TearDown();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

}  // namespace

// The system pictures of the example positions as the reports embed them:
// the grey member band with the section labels below it, the supports and
// the loads (the cranes of a crane runway) in their colours; a crane runway
// adds the outlines of its profiles (filled 0xFFD0C0) and the numbered
// plates (0xA2834B).
TEST_P(ReportPictureExamples, SystemAndSectionPictures) {
    RenderingControl control(std::string("report_picture_") + GetParam());
    CKurvo2D graph(&control);
    if (d.IsCraneRunway()) {
        d.WriteCraneSystemPicture(&graph, 0, 0, 0, 0, 0);
    } else {
        // The first load acting sideways: the plan comes first.
        ASSERT_FALSE(d.m_loads.empty());
        d.m_loads[0].m_iDirection = 1;
        d.WriteRtfSystemPictures(&graph, 0, 0, 0, 0);
        ASSERT_EQ(control.images.size(), 2u);
        EXPECT_GT(Pixels(control.images[0], 0xD4D4D4), 900 * 480 / 200);
        EXPECT_GT(Pixels(control.images[0], 0xFF5A5A), 50);
    }
    ASSERT_FALSE(control.images.empty());
    const QImage& elevation = control.images.back();
    // The band: the grey run in the middle column.
    auto grey = [](QRgb c) { return Near(c, 0xD4, 0xD4, 0xD4); };
    int top = 0;
    while (top < 479 && !grey(elevation.pixel(450, top))) ++top;
    ASSERT_LT(top, 479);
    int bottom = top;
    while (bottom < 479 && grey(elevation.pixel(450, bottom + 1))) ++bottom;
    EXPECT_GT(Pixels(elevation, 0xD4D4D4), 900 * 480 / 200);
    // Above it the loads (member design, in 0xFF5A5A) or the crane with its
    // wheel loads (black); below it the section labels and dimensions.
    const QRect above(0, 0, 900, top - 2), below(0, bottom + 4, 900, 480 - bottom - 4);
    if (d.IsCraneRunway())
        EXPECT_GT(guitest::CountInk(elevation, above, qRgb(255, 255, 255)), 100);
    else
        EXPECT_GT(Pixels(elevation, 0xFF5A5A), 50);
    EXPECT_GT(guitest::CountInk(elevation, below, qRgb(255, 255, 255)), 100);
    if (!d.IsCraneRunway()) return;
    const size_t before = control.images.size();
    d.WriteCraneSectionPictures(&graph, 0, 0, 0, 0);
    ASSERT_EQ(control.images.size(), before + 1);
    const QImage& sections = control.images.back();
    // One symmetric I: as much fill left of its middle as right of it.
    auto fill = [](QRgb c) { return Near(c, 0xC0, 0xD0, 0xFF); };
    const QRect box = guitest::BoundingBox(sections, fill);
    ASSERT_FALSE(box.isEmpty());
    const int leftFill = guitest::CountPixels(sections, QRect(box.left(), box.top(), box.width() / 2, box.height()), fill);
    const int rightFill = guitest::CountPixels(
        sections, QRect(box.left() + box.width() / 2, box.top(), box.width() - box.width() / 2, box.height()), fill);
    EXPECT_GT(leftFill, 500);
    EXPECT_NEAR(leftFill, rightFill, 0.1 * rightFill);
}

INSTANTIATE_TEST_SUITE_P(Examples, ReportPictureExamples,
                         ::testing::Values("Einfeldtraeger", "Durchlauftraeger_Kragarm", "Kranbahntraeger"));
