// The loads of the member view as calls on a recording control: the scale
// of the load bands, the load-case filter's colours and menu, the load-case
// text of the labels, and the cranes of a crane runway at their positions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"

namespace {

// One field of 10 m, a 30 x 40 cm box about its middle (z down).
void Member(CModuleData& d) {
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(10.0)};
    d.m_sections.resize(1);
    d.m_sections[0].m_contourX = {-15, 15, 15, -15};
    d.m_sections[0].m_contourY = {-20, -20, 20, 20};
    d.m_supports.assign(2, CSupport());
}

CLoadDef Load(int type, double v0, double v1, std::vector<int> cases, int direction = 2) {
    CLoadDef l;
    l.m_iLoadType = type;
    l.m_iDirection = direction;
    l.m_offset.SetValue(1.0);
    l.m_length.SetValue(4.0);
    l.m_val[0].SetValue(v0);
    l.m_val[1].SetValue(v1);
    l.m_LCGen.m_numbers = std::move(cases);
    return l;
}

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

bool AllFinite(const CKurvoRecorder& rec) {
    for (const auto& [id, args] : rec.raw)
        for (const kurvo::Arg& a : args) {
            if (!std::isfinite(a.num)) return false;
            for (double v : a.values)
                if (!std::isfinite(v)) return false;
        }
    return true;
}

}  // namespace

TEST(SketchLoads, BandsScaledToTheLargestLoad) {
    CModuleData d;
    Member(d);
    d.m_loads = {Load(LOAD_UNIFORM, 8.0, 0.0, {1}), Load(LOAD_TRAPEZOID, -2.0, 4.0, {3})};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    const double L = 10.0, h = 0.06 * L;
    d.DrawSystemLoads(g, 0, L, 0xFF5A5A);
    // Each band filled, then outlined with its labels.
    const std::vector<std::vector<double>> bands = Args(rec, 23);
    ASSERT_EQ(bands.size(), 4u);
    // The 8 kN/m load is the largest: ordinate 0.25 h + 0.75 h; the base line
    // on the band's centre line (0.20 m below the axis: tops on the axis),
    // acting downwards with 0.25 h.
    const std::vector<double> first = {1, -0.2, 5, -0.2, 0, -0.25 * h, h, h};
    for (size_t k = 0; k < first.size(); ++k) EXPECT_NEAR(bands[0][k], first[k], 1e-6) << k;
    // The trapezoid: 0.25 h + 0.75 h x 2/8 and x 4/8, stacked above the
    // first (over the same stretch) by the label placer.
    EXPECT_NEAR(bands[2][6], 0.25 * h + 0.75 * h * 0.25, 1e-6);
    EXPECT_NEAR(bands[2][7], 0.25 * h + 0.75 * h * 0.5, 1e-6);
    EXPECT_GT(bands[2][1], bands[0][1]) << "stacked above the first";
    EXPECT_EQ(Texts(rec, 23), (std::vector<std::string>{"", "", "8.0 kN/m (1)", "", "", "", "-2.0 kN/m (3)",
                                                         "4.0 kN/m (3)"}));
    // A negative start value outlines in the label colour.
    EXPECT_EQ(rec.Matching("Method35(0x4040C0,0,3,0)").size(), 1u);
    // Groups: the loads' identifiers (2 nodes: loads from 3*2+5 = 11), then 0.
    EXPECT_EQ(rec.Matching("Method21("), (std::vector<std::string>{"Method21(11,3)", "Method21(12,3)", "Method21(0,3)"}));
}

TEST(SketchLoads, ShownLoadCaseAndMenu) {
    CModuleData d;
    Member(d);
    d.m_loads = {Load(LOAD_UNIFORM, 5.0, 0.0, {7}), Load(LOAD_UNIFORM, 5.0, 0.0, {1}),
                 Load(LOAD_UNIFORM, 5.0, 0.0, {3}), Load(LOAD_UNIFORM, 5.0, 0.0, {})};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSystemLoads(g, 0, 10.0, 0xFF5A5A);
    const std::vector<std::string> menu = rec.Matching("Method53(");
    ASSERT_EQ(menu.size(), 4u);
    const std::vector<int> ids = {1000, 1001, 1003, 1007};
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_NE(menu[i].find("," + std::to_string(ids[i]) + ","), std::string::npos) << menu[i];
    EXPECT_EQ(Texts(rec, 23)[14], "5.0 kN/m (?)") << "a load without load cases";
    EXPECT_EQ(rec.Matching("Method35(0xD4D4D4").size(), 0u);

    // Load case 3 chosen: the others are drawn in light grey, the load
    // without load cases too; only its entry is checked.
    int preview = 0;
    d.m_pPreviewDlg = &preview;
    d.m_Sketch2DList = {&g};
    rec.calls.clear();
    d.OnSketchCommand(&g, 1003);
    EXPECT_EQ(rec.Matching("Method35(0xD4D4D4,0,0,1)").size(), 3u);
    EXPECT_EQ(rec.Matching("Method35(0xFF5A5A,0,0,1)").size(), 1u);
    std::vector<std::string> checked;
    for (const std::string& m : rec.Matching("Method53("))
        if (m.substr(m.size() - 3) == ",1)") checked.push_back(m);
    EXPECT_EQ(checked, (std::vector<std::string>{"Method53(\"Anzeige Lastfälle\\Lastfall 3\",1003,1,1)"}));
}

TEST(SketchLoads, ScaleOfTemperatureAndOfLoadsThatAreAllZero) {
    CModuleData d;
    Member(d);
    const double L = 10.0, h = 0.06 * L;
    // A temperature load counts 1.0: a 0.5 kN/m load scales against it.
    d.m_loads = {Load(LOAD_TEMPERATURE, 20.0, -10.0, {1}), Load(LOAD_UNIFORM, 0.5, 0.0, {1})};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSystemLoads(g, 0, L, 0xFF5A5A);
    const std::vector<std::vector<double>> bands = Args(rec, 23);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_NEAR(bands[2][6], 0.25 * h + 0.75 * h * 0.5, 1e-6);
    EXPECT_NEAR(bands[0][5], -0.25 * h, 1e-6) << "temperature points downwards";
    EXPECT_EQ(Texts(rec, 23)[2], "20.0 °K / -10.0°K (1)");

    // Every load zero (no temperature, no self weight): finite numbers only.
    d.m_loads = {Load(LOAD_UNIFORM, 0.0, 0.0, {1}), Load(LOAD_TRAPEZOID, 0.0, 0.0, {2}),
                 Load(LOAD_POINT_FORCE_MOMENT, 0.0, 0.0, {2}), Load(LOAD_LINE_MOMENT, 0.0, 0.0, {2}, 1)};
    d.m_loads[0].m_iDirection = 0;  // along x, so that its band is drawn
    rec.raw.clear();
    d.DrawSystemLoads(g, 0, L, 0xFF5A5A);
    EXPECT_TRUE(AllFinite(rec));

    // Types the view does not draw open their group and draw nothing.
    d.m_loads = {Load(LOAD_TRIANGLE, 3.0, 0.0, {1}), Load(LOAD_AREA, 3.0, 0.0, {1})};
    rec.calls.clear();
    d.DrawSystemLoads(g, 0, L, 0xFF5A5A);
    EXPECT_EQ(rec.calls[0], "Method21(11,3)");
    EXPECT_EQ(rec.calls[1], "Method21(12,3)");
    EXPECT_EQ(rec.calls[2], "Method21(0,3)");
}

TEST(SketchLoads, PointLoadAndMoments) {
    CModuleData d;
    Member(d);
    CLoadDef p = Load(LOAD_POINT_FORCE_MOMENT, 12.0, 3.0, {2}, 2);
    CLoadDef m = Load(LOAD_LINE_MOMENT_TRAPEZOID, 1.0, 2.0, {2}, 1);
    d.m_loads = {p, m};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSystemLoads(g, 0, 10.0, 0xFF5A5A);
    EXPECT_EQ(Texts(rec, 22), (std::vector<std::string>{"12.0 kN (2)"}));
    // The point moment is seen about y only when its direction is y; the
    // line moment (about y) at both ends.
    EXPECT_EQ(Texts(rec, 40), (std::vector<std::string>{"1.0 kNm/m (2)", "2.0 kNm/m (2)"}));
    d.m_loads[0].m_iDirection = 1;
    rec.raw.clear();
    d.DrawSystemLoads(g, 0, 10.0, 0xFF5A5A);
    EXPECT_EQ(Texts(rec, 40).front(), "3.0 kNm (2)");
    EXPECT_TRUE(Texts(rec, 22).empty()) << "a force in y is not seen in the elevation";
}

TEST(SketchLoads, CranesAtTheirPositions) {
    CModuleData d;
    Member(d);
    d.m_strModuleName = "VADU";
    CCrane crane;
    crane.Init();
    crane.m_numOfAxis = 2;
    crane.SetAxisCount();
    for (int a = 0; a < 2; ++a)
        for (int k = 0; k < CCrane::kKinds; ++k) crane.AxisValue(a, k)->SetValue(0.0);
    crane.AxisValue(0, 0)->SetValue(0.0);
    crane.AxisValue(1, 0)->SetValue(3.0);
    for (int a = 0; a < 2; ++a) {
        crane.AxisValue(a, 3)->SetValue(55.0 + a);
        // Each axle carries the maximum or the associated value of a pair.
        crane.AxisValue(a, a == 0 ? 6 : 7)->SetValue(4.0);
        crane.AxisValue(a, a == 0 ? 9 : 8)->SetValue(6.5);
        crane.AxisValue(a, 4)->SetValue(1.0);  // smaller than the maximum
    }
    d.m_cranes = {crane};
    d.m_varTable.Define("pos0", "Kranposition", "m", 10.0);
    d.m_loads = {Load(LOAD_UNIFORM, 5.0, 0.0, {1})};  // not drawn for a crane runway
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    const double L = 20.0, s = L / 15;
    d.DrawSystemLoads(g, 0, L, 0xFF5A5A);
    const std::vector<std::vector<double>> wheels = Args(rec, 22);
    ASSERT_EQ(wheels.size(), 2u);
    EXPECT_NEAR(wheels[0][0], 8.5, 1e-6);
    EXPECT_NEAR(wheels[1][0], 11.5, 1e-6);
    const std::vector<double> sizes = {-0.15 * s, 0.3 * s, 1.1 * s, 0.2 * s};
    for (size_t k = 0; k < sizes.size(); ++k) EXPECT_NEAR(wheels[0][k + 1], sizes[k], 1e-6);
    EXPECT_EQ(Texts(rec, 7), (std::vector<std::string>{"Qh=55.0 kN", "Qh=56.0 kN", "K1"}));
    EXPECT_EQ(Args(rec, 7)[0][2], 90.0) << "wheel labels turned";
    EXPECT_NEAR(Args(rec, 7)[2][3], 0.4 * s, 1e-9);
    EXPECT_TRUE(rec.Matching("Method23(").empty());
    const std::vector<double> bridge = Args(rec, 3)[0];
    EXPECT_NEAR(bridge[0], 8.5, 1e-9);
    EXPECT_NEAR(bridge[2], 11.5, 1e-9);

    rec.raw.clear();
    d.DrawSystemLoads(g, 1, L, 0xFF5A5A);
    EXPECT_EQ(Texts(rec, 7)[0], "HT / HS = 4.0 / 6.5 kN");
    EXPECT_EQ(Texts(rec, 7)[1], "HT / HS = 4.0 / 6.5 kN");
}
