// The graph widgets on screen: colours, restyling, mouse and menu events,
// moves, the 3-D view, and reference pictures of the symbols.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <cmath>
#include <vector>

#include "platform/kurvoqt/kurvoqt.h"
#include "platform/wl/testing/gui_test.h"

using kurvo::Arg;
using kurvo::Args;
namespace guitest = wl::guitest;

namespace {

QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }

Args Poly(std::vector<double> x, std::vector<double> y) {
    const auto n = static_cast<int32_t>(x.size());
    return {Arg::L(n), Arg::Ds(std::move(x)), Arg::Ds(std::move(y))};
}

Args Style(int32_t colour, int line = 0, int fill = 0) {
    return {Arg::C(colour), Arg::L(line), Arg::L(fill), Arg::B(false)};
}

void Finish(kurvo::Graph2D& g) {
    g.Invoke(34, {Arg::D(0), Arg::D(0), Arg::D(0), Arg::D(0)});
    g.Invoke(15, {});
}

struct Events : kurvo::Events {
    std::vector<std::pair<int, kurvo::EventArgs>> got;
    void OnEvent(int code, const kurvo::EventArgs& a) override { got.emplace_back(code, a); }
};

// A 6 m x 0.3 m band in group 5 filled 0xA2834B, outlined in black.
void DrawBand(kurvo::Graph2D& g) {
    g.Invoke(1, {});
    g.Invoke(17, {Arg::B(true)});
    g.Invoke(21, {Arg::L(5), Arg::L(0)});
    g.Invoke(35, Style(0xA2834B));
    g.Invoke(5, Poly({0, 6, 6, 0}, {0, 0, 0.3, 0.3}));
    g.Invoke(35, Style(0, 0, 3));
    g.Invoke(5, Poly({0, 6, 6, 0}, {0, 0, 0.3, 0.3}));
    Finish(g);
}

QPoint Px(kurvo::Graph2D& g, double x, double y) {
    const kurvo::PointF p = g.ToPixel({x, y});
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

}  // namespace

TEST(GraphWidget, FillRestyleAndClear) {
    kurvoqt::Graph2DWindow w;
    ASSERT_TRUE(w.Create(nullptr, 400, 300));
    w.Widget()->show();
    kurvo::Graph2D& g = w.Graph();
    DrawBand(g);
    QImage img = guitest::GrabToPng(w.Widget(), "kurvo_band");
    const QPoint mid = Px(g, 3, 0.15);
    EXPECT_EQ(img.pixel(mid), Rgb(0x4B, 0x83, 0xA2));

    g.Invoke(37, {Arg::L(5), Arg::C(0x4040C0), Arg::L(1), Arg::L(1)});
    img = guitest::GrabToPng(w.Widget(), "kurvo_band_marked");
    EXPECT_EQ(img.pixel(mid), Rgb(192, 64, 64));

    g.Invoke(1, {});
    g.Invoke(15, {});
    img = guitest::GrabToPng(w.Widget(), "kurvo_cleared");
    EXPECT_EQ(guitest::CountInk(img, img.rect(), qRgb(255, 255, 255)), 0);
}

TEST(GraphWidget, MouseAndMenuEventsMoveAndMarker) {
    guitest::ScriptedUi ui;
    kurvoqt::Graph2DWindow w;
    ASSERT_TRUE(w.Create(nullptr, 400, 300));
    w.Widget()->show();
    kurvo::Graph2D& g = w.Graph();
    DrawBand(g);
    g.Invoke(53, {Arg::T("Feld löschen"), Arg::L(1000), Arg::B(true), Arg::B(false)});
    g.Invoke(53, {Arg::T("Feld einfügen"), Arg::L(2000), Arg::B(true), Arg::B(false)});
    Events ev;
    g.SetEvents(&ev);
    QWidget* wid = w.Widget();
    const QPoint mid = Px(g, 3, 0.15);
    QTest::mousePress(wid, Qt::LeftButton, {}, mid);
    QTest::mouseMove(wid, mid + QPoint(20, 0));
    QMouseEvent move(QEvent::MouseMove, QPointF(mid + QPoint(20, 0)), QPointF(wid->mapToGlobal(mid + QPoint(20, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(wid, &move);
    QTest::mouseRelease(wid, Qt::LeftButton, {}, mid + QPoint(20, 0));
    QTest::mouseClick(wid, Qt::LeftButton, {}, QPoint(5, 5));
    ui.menuAnswers.push_back(2000);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, mid, wid->mapToGlobal(mid));
    QApplication::sendEvent(wid, &menu);

    std::vector<int> codes;
    for (const auto& e : ev.got) codes.push_back(e.first);
    ASSERT_GE(codes.size(), 6u);
    EXPECT_EQ(codes.front(), 3);
    EXPECT_EQ(ev.got[0].second.item, 5);
    const auto drag = std::find(codes.begin(), codes.end(), 2);
    ASSERT_NE(drag, codes.end());
    EXPECT_NEAR(ev.got[static_cast<size_t>(drag - codes.begin())].second.x, 20 / g.Scale(), 1e-9);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 4), 2);
    const auto second = std::find(codes.begin() + 1, codes.end(), 3);
    ASSERT_NE(second, codes.end());
    EXPECT_EQ(ev.got[static_cast<size_t>(second - codes.begin())].second.item, 0) << "empty space";
    EXPECT_EQ(codes.back(), 7);
    EXPECT_EQ(ev.got.back().second.command, 2000);
    ASSERT_EQ(ui.menus.size(), 1u);
    EXPECT_EQ(ui.menus[0].items.size(), 2u);

    // Method18 moves the group's box; the marker shows and hides.
    const kurvo::BoxF before = g.GroupBox(5);
    g.Invoke(18, {Arg::L(5), Arg::D(0), Arg::D(-0.5)});
    EXPECT_NEAR(g.GroupBox(5).y1, before.y1 - 0.5, 1e-12);
    g.Invoke(25, {Arg::D(6), Arg::D(0), Arg::S(1)});
    QImage img = guitest::GrabToPng(w.Widget(), "kurvo_marker");
    const QPoint end = Px(g, 6, 0);
    const QRect around(end - QPoint(8, 8), QSize(17, 17));
    EXPECT_GT(guitest::CountPixels(img, around, [](QRgb c) { return c == qRgb(255, 0, 0); }), 10);
    g.Invoke(25, {Arg::D(0), Arg::D(0), Arg::S(0)});
    img = guitest::GrabToPng(w.Widget(), "kurvo_marker_hidden");
    EXPECT_EQ(guitest::CountPixels(img, around, [](QRgb c) { return c == qRgb(255, 0, 0); }), 0);
}

namespace {

// IPE 300 outline in mm (no root radii): y across, z downwards.
std::vector<std::pair<double, double>> Ipe300() {
    const double h = 300, b = 150, tw = 7.1, tf = 10.7;
    return {{-b / 2, -h / 2},       {b / 2, -h / 2},       {b / 2, -h / 2 + tf},  {tw / 2, -h / 2 + tf},
            {tw / 2, h / 2 - tf},   {b / 2, h / 2 - tf},   {b / 2, h / 2},        {-b / 2, h / 2},
            {-b / 2, h / 2 - tf},   {-tw / 2, h / 2 - tf}, {-tw / 2, -h / 2 + tf}, {-b / 2, -h / 2 + tf}};
}

}  // namespace

TEST(GraphWidget3D, ExtrusionBackgroundUnknownHandleAndMove) {
    kurvoqt::Graph3DWindow w;
    ASSERT_TRUE(w.Create(nullptr, 400, 300));
    w.Widget()->show();
    kurvo::Graph3D& g = w.Graph();
    g.Invoke(23, {Arg::B(true), Arg::B(true), Arg::B(true)});
    g.Invoke(12, {Arg::C(0xFFFFFF)});
    QImage img = guitest::GrabToPng(w.Widget(), "kurvo3d_empty");
    EXPECT_EQ(guitest::CountInk(img, img.rect(), qRgb(255, 255, 255)), 0);

    std::vector<double> yz;
    for (auto [y, z] : Ipe300()) {
        yz.push_back(y / 1000);
        yz.push_back(-z / 1000);
    }
    const int32_t h1 = g.Invoke(5, {Arg::L(12), Arg::Fs(yz)});
    const int32_t h2 = g.Invoke(5, {Arg::L(12), Arg::Fs(yz)});
    EXPECT_GT(h1, 0);
    EXPECT_NE(h1, h2);
    g.Invoke(6, {Arg::Fs({0, 0, 0}), Arg::Fs({6, 0, 0}), Arg::L(h1), Arg::L(999), Arg::F(0)});
    img = guitest::GrabToPng(w.Widget(), "kurvo3d_unknown");
    EXPECT_EQ(guitest::CountInk(img, img.rect(), qRgb(255, 255, 255)), 0);

    g.Invoke(16, {Arg::C(0x876E3A), Arg::B(true), Arg::T("Arial"), Arg::S(15), Arg::F(0.1f)});
    g.Invoke(19, {Arg::C(0xC0C0C0), Arg::B(true), Arg::S(1), Arg::F(1)});
    g.Invoke(6, {Arg::Fs({0, 0, 0}), Arg::Fs({6, 0, 0}), Arg::L(h1), Arg::L(h2), Arg::F(0)});
    img = guitest::GrabToPng(w.Widget(), "kurvo3d_ipe");
    // The member runs through the middle of the fitted view.
    const QRect centre(190, 140, 20, 20);
    EXPECT_GT(guitest::CountInk(img, centre, qRgb(255, 255, 255)), 300);
    const QRect ink = guitest::BoundingBox(img, [](QRgb c) { return c != qRgb(255, 255, 255); });
    EXPECT_GT(ink.width(), 300) << "a long member fills the width";

    g.Invoke(7, {Arg::S(10), Arg::S(20), Arg::S(200), Arg::S(100)});
    EXPECT_EQ(w.Widget()->geometry(), QRect(10, 20, 200, 100));
}

// Reference pictures: each symbol once, with one geometry check.
TEST(GraphWidget, ReferencePictures) {
    kurvo::Graph2D g;
    auto shot = [&](const char* name) {
        Finish(g);
        QImage img = kurvoqt::Render(g, 480, 240);
        img.save(QString::fromStdString(std::string(std::getenv("RIGEL_SCREENSHOTS")) + "/" + name + ".png"));
        return img;
    };
    const QRgb white = qRgb(255, 255, 255);
    // Band of 6 m with a dimension line below, pinned support at its start,
    // sliding support at its end, hinge circle at 2 m, spring at 4 m.
    g.Invoke(1, {});
    g.Invoke(21, {Arg::L(1), Arg::L(0)});
    g.Invoke(35, Style(0xA2834B));
    g.Invoke(5, Poly({0, 6, 6, 0}, {0, 0, 0.2, 0.2}));
    g.Invoke(21, {Arg::L(2), Arg::L(0)});
    g.Invoke(35, Style(0));
    g.Invoke(12, {Arg::D(0), Arg::D(0), Arg::D(6), Arg::D(0), Arg::D(0), Arg::D(-1.2), Arg::S(14), Arg::D(0.2),
                  Arg::T("6.00 m"), Arg::S(2), Arg::B(false), Arg::S(0)});
    // Pinned at the start (held along the member), sliding at the end.
    g.Invoke(45, {Arg::D(0), Arg::D(0), Arg::D(0), Arg::D(0.5), Arg::D(-1), Arg::D(-1), Arg::D(0), Arg::B(true)});
    g.Invoke(45, {Arg::D(6), Arg::D(0), Arg::D(0), Arg::D(0.5), Arg::D(-1), Arg::D(0), Arg::D(0), Arg::B(true)});
    g.Invoke(8, {Arg::D(2), Arg::D(0.1), Arg::D(0.25), Arg::S(0), Arg::T("G1")});
    g.Invoke(57, {Arg::D(4), Arg::D(0), Arg::D(0), Arg::D(-0.1), Arg::D(0.6), Arg::T("CZ=5000")});
    QImage img = shot("kurvo_ref_system");
    // The support lies under the band's start.
    const QPoint start = Px(g, 0, 0);
    EXPECT_GT(guitest::CountInk(img, QRect(start.x() - 10, start.y() + 3, 20, 20), white), 10);
    EXPECT_EQ(img.pixel(Px(g, 3, 0.1)), qRgb(0x4B, 0x83, 0xA2));

    // Loads: arrow, load band, moment.
    g.Invoke(1, {});
    g.Invoke(21, {Arg::L(1), Arg::L(0)});
    g.Invoke(35, Style(0));
    g.Invoke(3, {Arg::D(0), Arg::D(0), Arg::D(6), Arg::D(0)});
    g.Invoke(35, Style(0x0000C0, 0, 3));
    g.Invoke(22, {Arg::F(1), Arg::F(0), Arg::F(0.3f), Arg::F(1), Arg::F(0.2f), Arg::T("F=10 kN")});
    g.Invoke(35, Style(0xFFDAB5));
    g.Invoke(23, {Arg::F(2), Arg::F(0), Arg::F(5), Arg::F(0), Arg::F(0), Arg::F(-0.4f), Arg::F(0.6f), Arg::F(1.0f),
                  Arg::T("q=2.0"), Arg::T("q=3.3")});
    g.Invoke(35, Style(0x008000));
    g.Invoke(40, {Arg::D(5.5), Arg::D(0), Arg::D(0.3), Arg::D(0), Arg::D(0.2), Arg::T("M=5")});
    img = shot("kurvo_ref_loads");
    // The arrow's tip touches the line at x = 1 from above.
    const QPoint tip = Px(g, 1, 0);
    EXPECT_GT(guitest::CountInk(img, QRect(tip.x() - 3, tip.y() - 20, 7, 18), white), 5);
    EXPECT_EQ(guitest::CountInk(img, QRect(tip.x() - 3, tip.y() + 4, 7, 18), white), 0);

    // A parabola as a diagram: filled trapezoids under q x (L - x) / 2.
    g.Invoke(1, {});
    g.Invoke(21, {Arg::L(1), Arg::L(0)});
    for (int i = 0; i < 12; ++i) {
        const double x0 = i * 0.5, x1 = x0 + 0.5;
        auto m = [](double x) { return -x * (6 - x) / 8; };
        g.Invoke(35, Style(0xFFDAB5));
        g.Invoke(5, Poly({x0, x0, x1, x1}, {0, m(x0), m(x1), 0}));
        g.Invoke(35, Style(0));
        g.Invoke(3, {Arg::D(x0), Arg::D(m(x0)), Arg::D(x1), Arg::D(m(x1))});
    }
    g.Invoke(9, {Arg::D(3), Arg::D(-1.125), Arg::D(3.3), Arg::D(-1.3), Arg::D(0), Arg::D(0.15), Arg::T("11.25 kNm")});
    img = shot("kurvo_ref_parabola");
    // Deepest at mid-span: the fill reaches lower at x = 3 than at x = 1.
    auto lowest = [&](double x) {
        const int col = Px(g, x, 0).x();
        int y = -1;
        for (int r = 0; r < img.height(); ++r)
            if (img.pixel(col, r) == qRgb(0xB5, 0xDA, 0xFF)) y = r;
        return y;
    };
    EXPECT_GT(lowest(3), lowest(1));

    // IPE 300 outline with its centroid mark and a fillet arc.
    g.Invoke(1, {});
    g.Invoke(21, {Arg::L(1), Arg::L(0)});
    std::vector<double> x, y;
    for (auto [py, pz] : Ipe300()) {
        x.push_back(py);
        y.push_back(-pz);
    }
    g.Invoke(35, Style(0xFFD0C0));
    g.Invoke(5, Poly(x, y));
    g.Invoke(35, Style(0, 0, 3));
    g.Invoke(5, Poly(x, y));
    g.Invoke(29, {Arg::D(0), Arg::D(0), Arg::D(12)});
    g.Invoke(24, {Arg::D(3.55), Arg::D(-139.3), Arg::D(8), Arg::D(-135), Arg::D(18.55), Arg::D(-124.3)});
    img = shot("kurvo_ref_ipe");
    const QRect box = guitest::BoundingBox(img, [&](QRgb c) { return c != white; });
    EXPECT_NEAR(static_cast<double>(box.height()) / box.width(), 2.0, 0.1) << "300 high, 150 wide";
}
