// The pictures of the member-design report as they are drawn into the
// report's hidden graph: a result diagram and the elevation of the system,
// rendered as the metafile shows them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zadevoz/zadevoz.h"

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
    // much longer than deep (6 m against 0.45 m), in the middle of it.
    auto grey = [](QRgb c) { return Near(c, 0xD4, 0xD4, 0xD4); };
    EXPECT_TRUE(grey(img.pixel(320, 240)));
    int left = 320, right = 320, top = 240, bottom = 240;
    while (left > 0 && grey(img.pixel(left - 1, 240))) --left;
    while (right < 639 && grey(img.pixel(right + 1, 240))) ++right;
    while (top > 0 && grey(img.pixel(320, top - 1))) --top;
    while (bottom < 479 && grey(img.pixel(320, bottom + 1))) ++bottom;
    EXPECT_GT(right - left, 640 / 2);
    EXPECT_GT(right - left, 8 * (bottom - top));
}
