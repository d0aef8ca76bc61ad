// The member sketch of the example positions on screen: the elevation (XZ),
// the plan (XY), the section at a cut and the 3-D view drawn by the position
// data into the graph-control widgets and grabbed as pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/tests/example_position.h"
#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;
namespace guitest = wl::guitest;

namespace {

QPoint Px(kurvo::Graph2D& g, double x, double y) {
    const kurvo::PointF p = g.ToPixel({x, y});
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

const QRgb kBand = qRgb(0x4B, 0x83, 0xA2);

int Ink(const QImage& img, const QRect& r) {
    return guitest::CountPixels(img, r, [](QRgb c) {
        return c != kBand && !guitest::Near(c, qRgb(255, 255, 255), 30);
    });
}

class SketchExamples : public ExamplePosition {
protected:
    SketchExamples() : ExamplePosition("sketch_examples_") {}
    void SetUp() override {
        ExamplePosition::SetUp();
        d.m_pPreviewDlg = &preview;
    }
    std::string Name(const char* view) const { return std::string("sketch_example_") + GetParam() + "_" + view; }

    int preview = 0;
};

TEST_P(SketchExamples, ElevationPlanSectionAnd3D) {
    const int fields = static_cast<int>(d.m_fieldLengths.size()) - 1;
    ASSERT_GE(fields, 1);
    const double L = d.GetFieldStart(fields);
    ASSERT_GT(L, 0);

    for (int view : {0, 1}) {
        kurvoqt::Graph2DWindow w;
        ASSERT_TRUE(w.Create(nullptr, 900, 420));
        w.Widget()->show();
        CKurvo2D graph(&w.Graph());
        d.m_Sketch2DList = {&graph};
        d.m_nSketchView = view;
        d.m_dCutX = L / 3;
        d.DrawSystem2D(0);
        const QImage img = guitest::GrabToPng(w.Widget(), Name(view == 0 ? "xz" : "xy"));
        ASSERT_FALSE(img.isNull());
        kurvo::Graph2D& g = w.Graph();
        // The band in every field's middle (well inside any hinge or label).
        for (int k = 1; k <= fields; ++k) {
            const double x = (d.GetFieldStart(k - 1) + d.GetFieldStart(k)) / 2 + 0.05 * d.m_fieldLengths[k].GetValue();
            double halfB = 0, centre = 0, b = 0, h = 0;
            d.GetSectionBandAt(x, halfB, centre, b, h);
            const QPoint p = Px(g, x, -(view == 1 ? halfB : centre));
            const int band = guitest::CountPixels(img, QRect(p.x() - 2, p.y() - 1, 5, 3),
                                                  [](QRgb c) { return guitest::Near(c, kBand, 8); });
            EXPECT_GT(band, 0) << GetParam() << " view " << view << " field " << k;
        }
        // Support symbols at every node, spring symbols at every spring.
        for (int k = 0; k <= fields; ++k) {
            double halfB = 0, centre = 0, b = 0, h = 0;
            d.GetSectionBandAt(d.GetFieldStart(k), halfB, centre, b, h);
            const QPoint p = Px(g, d.GetFieldStart(k), -(view == 1 ? halfB : centre));
            EXPECT_GT(Ink(img, QRect(p.x() - 12, p.y() - 40, 25, 80)), 15) << GetParam() << " node " << k;
        }
        for (const CSupport& sp : d.m_springs) {
            if ((view == 1 ? sp.m_cy.GetValue() : sp.m_cz.GetValue()) == 0) continue;
            const double x = d.GetFieldStart(sp.m_iNode) + sp.m_posX.GetValue();
            double halfB = 0, centre = 0, b = 0, h = 0;
            d.GetSectionBandAt(x, halfB, centre, b, h);
            const QPoint p = Px(g, x, -(view == 1 ? halfB : centre));
            const int green = guitest::CountPixels(img, QRect(p.x() - 15, p.y() - 60, 31, 120),
                                                   [](QRgb c) { return guitest::Near(c, qRgb(0x40, 0xC0, 0x40), 60); });
            EXPECT_GT(green, 0) << GetParam() << " spring at " << x;
        }
    }

    // The section at the cut.
    {
        kurvoqt::Graph2DWindow w;
        ASSERT_TRUE(w.Create(nullptr, 420, 420));
        w.Widget()->show();
        CKurvo2D graph(&w.Graph());
        d.m_Sketch2DList = {&graph};
        d.m_nSketchView = 2;
        d.m_dCutX = L / 3;
        d.DrawSystem2D(0);
        const QImage img = guitest::GrabToPng(w.Widget(), Name("section"));
        ASSERT_FALSE(img.isNull());
        const int band = guitest::CountPixels(img, img.rect(), [](QRgb c) { return guitest::Near(c, kBand, 8); });
        EXPECT_GT(band, 200) << GetParam();
    }

    // The 3-D view: the extruded member is not all white.
    {
        kurvoqt::Graph3DWindow w;
        ASSERT_TRUE(w.Create(nullptr, 700, 420));
        w.Widget()->show();
        CKurvo3D graph(&w.Graph());
        d.m_Sketch3DList = {&graph};
        d.DrawSystem3D(0);
        const QImage img = guitest::GrabToPng(w.Widget(), Name("3d"));
        ASSERT_FALSE(img.isNull());
        const int ink = guitest::CountPixels(img, img.rect(),
                                             [](QRgb c) { return !guitest::Near(c, qRgb(255, 255, 255), 20); });
        EXPECT_GT(ink, img.width() * img.height() / 50) << GetParam();
        // The labels are drawn whole inside the view: nothing touches its
        // right and left edges.
        for (int x : {0, 1, img.width() - 2, img.width() - 1}) {
            const int edge = guitest::CountPixels(img, QRect(x, 0, 1, img.height()),
                                                  [](QRgb c) { return !guitest::Near(c, qRgb(255, 255, 255), 20); });
            EXPECT_EQ(edge, 0) << GetParam() << " column " << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, SketchExamples,
                         ::testing::Values("Einfeldtraeger", "Durchlauftraeger_Kragarm", "Kranbahntraeger"));

}  // namespace
