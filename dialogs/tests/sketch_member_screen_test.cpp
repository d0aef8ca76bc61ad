// The member sketch on screen: a two-field member drawn by the position data
// into the graph-control widget, grabbed as a picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/wl/testing/gui_test.h"

namespace guitest = wl::guitest;

namespace {

QPoint Px(kurvo::Graph2D& g, double x, double y) {
    const kurvo::PointF p = g.ToPixel({x, y});
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

}  // namespace

TEST(SketchMemberScreen, TwoFieldMemberInTheElevation) {
    // Fields of 6 m and 4 m, a 30 x 45 cm box section, pinned at the start
    // and on rollers at the other nodes.
    CModuleData d;
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0), CFormulaValue(4.0)};
    d.m_sections.resize(2);
    for (CSection& s : d.m_sections) {
        s.m_bVoute = 0;
        s.m_contourX = {-15, 15, 15, -15};
        s.m_contourY = {0, 0, -45, -45};
    }
    d.m_supports.assign(3, CSupport());
    for (CSupport& s : d.m_supports)
        for (int i = 0; i < 7; ++i) s.SetValueByIdx(i, CFormulaValue(0.0), 0);
    for (CSupport& s : d.m_supports) s.SetValueByIdx(2, CFormulaValue(-1.0), 0);
    d.m_supports[0].SetValueByIdx(0, CFormulaValue(-1.0), 0);

    kurvoqt::Graph2DWindow w;
    ASSERT_TRUE(w.Create(nullptr, 640, 360));
    w.Widget()->show();
    CKurvo2D graph(&w.Graph());
    int preview = 0;
    d.m_pPreviewDlg = &preview;
    d.m_Sketch2DList = {&graph};
    d.m_nSketchView = 0;
    d.m_dCutX = 2.0;
    d.DrawSystem2D(0);
    QImage img = guitest::GrabToPng(w.Widget(), "sketch_member_xz");
    ASSERT_FALSE(img.isNull());

    kurvo::Graph2D& g = w.Graph();
    const QRgb band = qRgb(0x4B, 0x83, 0xA2);
    // The band inside both fields, 0.225 m below the axis (tops on the axis).
    EXPECT_EQ(img.pixel(Px(g, 4.0, -0.225)), band);
    EXPECT_EQ(img.pixel(Px(g, 8.0, -0.225)), band);
    // A support symbol at each node's x: ink other than the band next to the node.
    for (double x : {0.0, 6.0, 10.0}) {
        const QPoint p = Px(g, x, -0.225);
        const QRect around(p.x() - 12, p.y() - 30, 25, 60);
        const int ink = guitest::CountPixels(img, around, [&](QRgb c) {
            return c != band && !guitest::Near(c, qRgb(255, 255, 255), 30);
        });
        EXPECT_GT(ink, 20) << "node at x = " << x;
    }
    // The grey section cut marker at x = 2 m above the member.
    const QPoint cut = Px(g, 2.0, -1.0);
    EXPECT_GT(guitest::CountPixels(img, QRect(cut.x() - 3, cut.y() - 3, 7, 7),
                                   [](QRgb c) { return guitest::Near(c, qRgb(0x80, 0x80, 0x80), 40); }),
              0);
}
