// The member view of the sketch: section band values, the member band, the
// node supports and the order of the drawing, as calls on a recording
// control.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"

namespace {

// A rectangle outline b x h in cm, its top at z = 0.
void Rect(std::vector<double>& y, std::vector<double>& z, double b, double h) {
    y = {-b / 2, b / 2, b / 2, -b / 2};
    z = {0, 0, -h, -h};
}

// Fields of 5 m and 3 m: field 1 a 20 x 40 cm box, field 2 haunched from
// 30 x 40 cm to 30 x 60 cm. Node 0 pinned (cz rigid), node 1 a vertical
// spring and a degree of fixity, node 2 free vertically.
void Member(CModuleData& d) {
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(5.0), CFormulaValue(3.0)};
    d.m_sections.resize(2);
    Rect(d.m_sections[0].m_contourX, d.m_sections[0].m_contourY, 20, 40);
    d.m_sections[0].m_bVoute = 0;
    Rect(d.m_sections[1].m_contourX, d.m_sections[1].m_contourY, 30, 40);
    Rect(d.m_sections[1].m_contourX2, d.m_sections[1].m_contourY2, 30, 60);
    d.m_sections[1].m_bVoute = 1;
    d.m_supports.assign(3, CSupport());
    for (CSupport& s : d.m_supports)
        for (int i = 0; i < 7; ++i) s.SetValueByIdx(i, CFormulaValue(0.0), 0);
    d.m_supports[0].SetValueByIdx(2, CFormulaValue(-1.0), 0);
    d.m_supports[0].SetValueByIdx(0, CFormulaValue(-1.0), 0);
    d.m_supports[1].SetValueByIdx(2, CFormulaValue(5000.0), 0);
    d.m_supports[1].SetValueByIdx(4, CFormulaValue(50.0), 1);
    d.m_supports[1].SetValueByIdx(1, CFormulaValue(-1.0), 0);
    d.m_supports[1].SetValueByIdx(5, CFormulaValue(200.0), 0);
}

// The numbers of recorded call n.
std::vector<double> Nums(const CKurvoRecorder& rec, size_t n) {
    std::vector<double> v;
    for (const kurvo::Arg& a : rec.raw.at(n).second) v.push_back(a.num);
    return v;
}

}  // namespace

TEST(SketchMemberView, ExtentsAndBandByAlignment) {
    CModuleData d;
    Member(d);
    double B = 0, H = 0;
    d.GetMaxSectionExtents(B, H);
    EXPECT_DOUBLE_EQ(B, 0.30);
    EXPECT_DOUBLE_EQ(H, 0.60) << "the haunch's end counts";

    // Middle of the haunch (x = 6.5 m): h = 0.40 + 0.5 (0.60 - 0.40) = 0.50 m.
    struct Case {
        int axis;
        bool crane;
        double offset;
    } cases[] = {
        {0, false, 0.25},         // tops on the axis: h/2
        {1, false, 0.30},         // centres aligned: H/2
        {2, false, 0.60 - 0.25},  // bottoms aligned: H - h/2
        {1, true, 0.60 - 0.25},   // the crane runway: 2 x its 0/1 setting
        {0, true, 0.25},
    };
    for (const Case& c : cases) {
        d.m_nProfileAxis = c.axis;
        d.m_strModuleName = c.crane ? "VADU" : "";
        double halfB = 0, offset = 0, b = 0, h = 0;
        d.GetSectionBandAt(6.5, halfB, offset, b, h);
        EXPECT_DOUBLE_EQ(halfB, 0.15);
        EXPECT_DOUBLE_EQ(b, 0.30);
        EXPECT_DOUBLE_EQ(h, 0.50);
        EXPECT_NEAR(offset, c.offset, 1e-12) << c.axis << " " << c.crane;
    }

    CModuleData none;
    none.Init();
    none.m_sections.clear();
    none.GetMaxSectionExtents(B, H);
    EXPECT_EQ(B, 0.0);
    EXPECT_EQ(H, 0.0);
}

TEST(SketchMemberView, BandPolygonsFilledThenOutlined) {
    CModuleData d;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSystemFields(g, 0, 0xA2834B);
    const std::vector<std::string> order = {"Method21(0,3)", "Method35(0xA2834B,4,0,0)", "Method5", "Method5",
                                            "Method35(0x000000,0,3,0)", "Method5", "Method5"};
    ASSERT_EQ(rec.calls.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(rec.calls[i].rfind(order[i], 0), 0u) << rec.calls[i];

    // Field 1: the 0.40 m box hangs below the axis; field 2 grows from 0.40 m
    // to 0.60 m deep, its depth taken 0.01 m inside the field.
    const auto& f1 = rec.raw[2].second;
    EXPECT_EQ(f1[1].values, (std::vector<double>{0, 5, 5, 0}));
    EXPECT_EQ(f1[2].values, (std::vector<double>{0, 0, -0.4, -0.4}));
    const auto& f2 = rec.raw[3].second;
    EXPECT_EQ(f2[1].values, (std::vector<double>{5, 8, 8, 5}));
    const double h0 = 0.40 + 0.20 * 0.01 / 3, h1 = 0.40 + 0.20 * 2.99 / 3;
    const std::vector<double> y2 = {0, 0, -h1, -h0};
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(f2[2].values[i], y2[i], 1e-12) << i;

    // In the plan the band is centred on half the largest width.
    rec.raw.clear();
    d.DrawSystemFields(g, 1, 0xA2834B);
    const std::vector<double> plan = {-(0.15 - 0.10), -(0.15 - 0.10), -(0.15 + 0.10), -(0.15 + 0.10)};
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(rec.raw[2].second[2].values[i], plan[i], 1e-12);
}

TEST(SketchMemberView, SupportSymbolsPerNode) {
    CModuleData d;
    Member(d);
    d.m_nProfileAxis = 1;  // centres at H/2 = 0.30 m below the axis
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    const double L = 8.0;
    d.DrawSystemSupports(g, 0, L);
    // Per node: group, look, symbol; then group 0 and the plain look.
    ASSERT_EQ(rec.calls.size(), 11u);
    EXPECT_EQ(rec.calls[0], "Method21(2,3)");
    EXPECT_EQ(rec.calls[3], "Method21(5,3)");
    EXPECT_EQ(rec.calls[6], "Method21(8,3)");
    EXPECT_EQ(rec.calls[1], "Method35(0x000000,0,3,1)");
    EXPECT_EQ(rec.calls[9], "Method21(0,3)");
    EXPECT_EQ(rec.calls[10], "Method35(0x000000,0,3,0)");
    // (x, y, 0, L/64, translation, cx, rotation, TRUE); a degree of fixity of
    // 50 % is passed as -0.5.
    struct Case {
        size_t call;
        std::vector<double> args;
    } cases[] = {
        {2, {0.0, -0.30, 0, L / 64, -1.0, -1.0, 0.0, 1}},
        {5, {5.0, -0.30, 0, L / 64, 5000.0, 0.0, -0.5, 1}},
        {8, {8.0, -0.30, 0, L / 64, 0.0, 0.0, 0.0, 1}},
    };
    for (const Case& c : cases) {
        const std::vector<double> got = Nums(rec, c.call);
        ASSERT_EQ(got.size(), c.args.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.args[i], 1e-12) << c.call << " " << i;
    }

    // The plan takes "cy" and "cmz" and the band's half largest width.
    rec.raw.clear();
    d.DrawSystemSupports(g, 1, L);
    const std::vector<double> plan = {5.0, -0.15, 0, L / 64, -1.0, 0.0, 200.0, 1};
    const std::vector<double> got = Nums(rec, 5);
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], plan[i], 1e-12) << i;

    // An inner node takes the deeper of the two bands it joins (tops on the axis).
    d.m_nProfileAxis = 0;
    d.m_sections[0].m_contourY = {0, 0, -80, -80};
    rec.raw.clear();
    d.DrawSystemSupports(g, 0, L);
    EXPECT_NEAR(Nums(rec, 5)[1], -0.40, 1e-9);
}

TEST(SketchMemberView, DrawingOrderAndAxisNames) {
    CModuleData d;
    Member(d);
    CKurvoRecorder first, second;
    CKurvo2D g1(&first), g2(&second);
    d.m_Sketch2DList = {&g1, &g2};

    d.DrawSystem2D(0);
    EXPECT_TRUE(first.calls.empty()) << "nothing without the preview";

    int preview = 0;
    d.m_pPreviewDlg = &preview;
    struct Case {
        int view;
        const char* axes;
    } cases[] = {{0, "Method54(1,0,\"X\",0,\"Z\")"}, {1, "Method54(1,0,\"X\",0,\"Y\")"}};
    for (const Case& c : cases) {
        // A member of one element: the axis names only.
        CModuleData one;
        Member(one);
        one.m_fieldLengths.resize(1);
        one.m_Sketch2DList = {&g1, &g2};
        one.m_pPreviewDlg = &preview;
        one.m_nSketchView = c.view;
        first.calls.clear();
        second.calls.clear();
        one.DrawSystem2D(0);
        EXPECT_EQ(first.calls, (std::vector<std::string>{"Method1()", "Method17(1)", c.axes}));
        EXPECT_TRUE(second.calls.empty());
    }

    d.m_dCutX = 2.0;
    first.calls.clear();
    first.raw.clear();
    second.calls.clear();
    d.DrawSystem2D(0);
    ASSERT_GE(first.calls.size(), 14u);
    const std::vector<std::string> head = {"Method1()",
                                           "Method17(1)",
                                           "Method54(1,0,\"X\",0,\"Z\")",
                                           "Method21(1,3)",
                                           "Method35(0x808080,2,3,1)"};
    EXPECT_EQ(std::vector<std::string>(first.calls.begin(), first.calls.begin() + 5), head);
    EXPECT_EQ(first.calls[first.calls.size() - 2], "Method17(1)");
    EXPECT_EQ(first.calls.back(), "Method15()");
    // The cut marker from -L/8 to L/4 at x = 2 m with arrow strokes L/80 long.
    const std::vector<double> cut = Nums(first, 5);
    EXPECT_EQ(cut, (std::vector<double>{2.0, -1.0, 2.0, 2.0}));
    EXPECT_EQ(Nums(first, 7), (std::vector<double>{2.0, -1.0, 2.1, -0.9}));
    EXPECT_EQ(first.Matching("Method45(").size(), 3u);
    // The second graph shows the section at the cut, from a fresh picture on.
    const std::vector<std::string> sectionHead = {"Method1()", "Method17(1)", "Method54(1,0,\"Y\",0,\"Z\")",
                                                  "Method1()", "Method17(1)", "Method54(1,0,\"Y\",0,\"Z\")"};
    ASSERT_GT(second.calls.size(), sectionHead.size());
    EXPECT_EQ(std::vector<std::string>(second.calls.begin(), second.calls.begin() + 6), sectionHead);
    EXPECT_EQ(second.calls.back(), "Method15()");

    // A field length that is no number draws no band.
    d.m_fieldLengths[1] = CFormulaValue(std::nan(""));
    first.calls.clear();
    d.DrawSystem2D(0);
    EXPECT_EQ(first.calls.size(), 3u);
}

namespace {

// The calls of one kind, by their numbers.
std::vector<std::vector<double>> Args(const CKurvoRecorder& rec, int dispid) {
    std::vector<std::vector<double>> all;
    for (const auto& [id, args] : rec.raw) {
        if (id != dispid) continue;
        std::vector<double> v;
        for (const kurvo::Arg& a : args) v.push_back(a.num);
        all.push_back(v);
    }
    return all;
}

std::vector<std::string> Texts(const CKurvoRecorder& rec, int dispid) {
    std::vector<std::string> all;
    for (const auto& [id, args] : rec.raw)
        if (id == dispid)
            for (const kurvo::Arg& a : args)
                if (a.kind == kurvo::Arg::Text) all.push_back(a.text);
    return all;
}

}  // namespace

TEST(SketchMemberView, SectionLabelsAndDimensions) {
    CModuleData d;
    Member(d);
    d.m_sections[0].m_profName = "HEA 200";
    d.m_sections[1].m_profName = "IPE 300";
    d.m_sections[1].m_profName2 = "IPE 400";
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    const double L = 8.0, H = 0.6;
    d.DrawSystemSections(g, H, L);
    // Field k: label (group 3k + 4) and dimension (group 3k + 3) at the
    // default height -H - L/8; the overall dimension in group 0.
    EXPECT_EQ(rec.Matching("Method21("), (std::vector<std::string>{"Method21(7,2)", "Method21(6,2)", "Method21(10,2)",
                                                                    "Method21(9,2)", "Method21(0,3)"}));
    EXPECT_EQ(Texts(rec, 12), (std::vector<std::string>{"HEA 200", "", "IPE 300...IPE 400", "", ""}));
    const double y = -H - L / 8;
    const std::vector<std::vector<double>> dims = Args(rec, 12);
    const std::vector<std::vector<double>> want = {
        {0, y, 5, y, 0, -L / 24, 14, L / 96, 0, 2, 0, 0}, {0, y, 5, y, 0, -L / 12, 14, L / 96, 0, 2, 0, 0},
        {5, y, 8, y, 0, -L / 24, 14, L / 96, 0, 2, 0, 0}, {5, y, 8, y, 0, -L / 12, 14, L / 96, 0, 2, 0, 0},
        {0, y, 8, y, 0, -L / 8, 14, L / 96, 0, 2, 0, 0}};
    ASSERT_EQ(dims.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        for (size_t k = 0; k < want[i].size(); ++k) EXPECT_NEAR(dims[i][k], want[i][k], 1e-12) << i << " " << k;

    // A given height; one field has no overall dimension; a shown result
    // set leaves the labels out.
    rec.raw.clear();
    d.m_fieldLengths.resize(2);
    d.DrawSystemSections(g, H, 5.0, -2.0);
    ASSERT_EQ(Args(rec, 12).size(), 2u);
    EXPECT_EQ(Args(rec, 12)[0][1], -2.0);
    rec.raw.clear();
    d.m_resultSets.resize(1);
    d.m_nCurrentIndex = 0;
    d.DrawSystemSections(g, H, 5.0);
    EXPECT_TRUE(rec.raw.empty());
}

TEST(SketchMemberView, HingeSymbolsByRelease) {
    CModuleData d;
    Member(d);
    CHinge h;
    h.m_iNode = 0;
    h.m_offset.SetValue(2.0);  // in the 0.40 m box: s = 0.20, centre 0.20 below the axis
    d.m_hinges = {h};
    struct Case {
        int view;
        std::vector<int> released;  // 3 Mx, 4 My, 5 Mz
        size_t rectangles, arcs;
    } cases[] = {
        {0, {4}, 0, 2},        // the view's own bending release: a circle (two arcs)
        {0, {5}, 1, 0},        // the other one: a rectangle across the band
        {1, {4}, 1, 0},        {1, {5}, 0, 2},
        {0, {3}, 1, 0},        // torsion: a small rectangle in any view
        {2, {3, 4, 5}, 1, 0},  // the section plane draws no circle
    };
    for (const Case& c : cases) {
        for (int& r : d.m_hinges[0].m_release) r = 0;
        for (int r : c.released) d.m_hinges[0].m_release[r] = 1;
        CKurvoRecorder rec;
        CKurvo2D g(&rec);
        d.DrawSystemHinges(g, c.view);
        // Filled grey, then outlined: every shape twice.
        EXPECT_EQ(rec.calls.front(), "Method21(14,3)") << "3 nodes, no springs: hinge 0 is 3*3+5+0";
        EXPECT_EQ(rec.Matching("Method6(").size(), 2 * c.rectangles) << c.view;
        EXPECT_EQ(rec.Matching("Method24(").size(), 2 * c.arcs) << c.view;
        EXPECT_EQ(rec.Matching("Method35("), (std::vector<std::string>{"Method35(0xC0C0C0,0,0,0)", "Method35(0x000000,0,3,0)"}));
        EXPECT_EQ(rec.calls.back(), "Method55()");
    }
    // The circle in the XZ view: 1.25 s across from the band's top edge down.
    d.m_hinges[0].m_release[4] = 1;
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSystemHinges(g, 0);
    const std::vector<double> arc = Args(rec, 24)[0];
    EXPECT_NEAR(arc[0], 2.0, 1e-12);
    EXPECT_NEAR(arc[1], 0.0, 1e-12);
    EXPECT_NEAR(arc[5], -0.25, 1e-12);
}

TEST(SketchMemberView, SpringsAndBeddings) {
    CModuleData d;
    Member(d);
    CSupport cxOnly, point, bedding, none;
    cxOnly.m_posX.SetValue(1.0);
    cxOnly.m_cx.SetValue(300.0);
    point.m_iNode = 1;
    point.m_posX.SetValue(1.0);
    point.m_cz.SetValue(5000.0);
    point.m_ez.SetValue(-10.0);
    bedding.m_posX.SetValue(1.0);
    bedding.m_length.SetValue(2.0);
    bedding.m_cz.SetValue(120.0);
    bedding.m_cx.SetValue(40.0);
    none.m_cy.SetValue(77.0);  // only sideways: not in the elevation
    d.m_springs = {cxOnly, point, bedding, none};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    const double L = 8.0;
    d.DrawSystemSprings(g, 0, L, -1);
    EXPECT_EQ(rec.Matching("Method21("),
              (std::vector<std::string>{"Method21(14,3)", "Method21(15,3)", "Method21(16,3)", "Method21(0,3)"}));
    EXPECT_EQ(Texts(rec, 57), (std::vector<std::string>{"", "CZ=5000 kN/m", "", "CZ=120 kN/m/m CX=40 kN/m/m", ""}));
    const std::vector<std::vector<double>> springs = Args(rec, 57);
    // The point spring at 6 m, 0.10 m above the band's centre (the haunch
    // is 0.40 + 0.20/3 m deep there, tops on the axis), pointing up:
    // a = -1 x L x (-1/96).
    EXPECT_NEAR(springs[1][0], 6.0, 1e-12);
    EXPECT_NEAR(springs[1][1], -(-0.10 + (0.40 + 0.20 / 3) / 2), 1e-12);
    EXPECT_NEAR(springs[1][3], L / 96, 1e-12);
    EXPECT_NEAR(springs[1][4], L / 48, 1e-12);
    // The bedding: a light green strip from 1 m to 3 m and three springs.
    EXPECT_EQ(rec.Matching("Method35(0x80FF80,0,0,0)").size(), 1u);
    const std::vector<double> strip = Args(rec, 6)[0];
    const double a = -L / 96, y = -0.20;
    EXPECT_NEAR(strip[0], 1.0, 1e-12);
    EXPECT_NEAR(strip[1], y + 0.5 * a, 1e-12);
    EXPECT_NEAR(strip[2], 3.0, 1e-12);
    EXPECT_NEAR(strip[3], y + 1.85 * a, 1e-12);
    EXPECT_NEAR(springs[3][0], 2.0, 1e-12);

    // A given colour: the strip grey, the symbols in that colour; the plan
    // shows the sideways spring.
    rec.raw.clear();
    rec.calls.clear();
    d.DrawSystemSprings(g, 1, L, 0x123456);
    EXPECT_EQ(rec.Matching("Method35(0xC0C0C0,0,0,0)").size(), 1u);
    EXPECT_EQ(rec.Matching("Method35(0x123456,0,3,1)").size(), 4u);
    EXPECT_EQ(Texts(rec, 57).back(), "CY=77 kN/m");
}

TEST(SketchMemberView, TitleAndResultDiagram) {
    CModuleData d;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    int preview = 0;
    d.m_pPreviewDlg = &preview;
    d.m_Sketch2DList = {&g};
    std::string title;
    d.GetProgramTitle(title);
    d.DrawSystem2D(0);
    EXPECT_EQ(rec.Matching("Method30("), (std::vector<std::string>{"Method30(\"" + title + "\",9,15)"}));
    EXPECT_EQ(rec.Matching("Method35(0x000000,4,3,0)").size(), 1u);

    // A selected result set: its diagram hangs at -L/2, scaled to L/4 over
    // its range; its title names the load combination after "LK ".
    CResultSet set;
    set.m_type = 0;
    set.m_data = {0.0f, 0.0f, 8.0f, 4.0f};
    set.m_min = 0.0f;
    set.m_max = 4.0f;
    set.m_strTitle = "Schnittgrößen\\LK 2\\My";
    d.m_resultSets = {set};
    d.m_nCurrentIndex = 0;
    rec.calls.clear();
    d.DrawSystem2D(0);
    EXPECT_FLOAT_EQ(d.m_resultSets[0].m_yOffset, -4.0f);
    EXPECT_FLOAT_EQ(d.m_resultSets[0].m_factor, 2.0f / 4.0f);
    EXPECT_EQ(rec.calls.back(), "Method15()");
    EXPECT_EQ(rec.Matching("Method30(").back(), "Method30(\"Lastkollektiv 2\",9,15)");
    const size_t withDiagram = rec.calls.size();

    // A flat set: no diagram, the title still; no "LK ": no title.
    d.m_resultSets[0].m_max = 0.00005f;
    rec.calls.clear();
    d.DrawSystem2D(0);
    EXPECT_LT(rec.calls.size(), withDiagram);
    EXPECT_EQ(rec.Matching("Method30(").back(), "Method30(\"Lastkollektiv 2\",9,15)");
    d.m_resultSets[0].m_strTitle = "Schnittgrößen\\Extremal\\My";
    rec.calls.clear();
    d.DrawSystem2D(0);
    EXPECT_EQ(rec.Matching("Method30(").size(), 1u);
}
