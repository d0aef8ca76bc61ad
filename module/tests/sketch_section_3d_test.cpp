// The section view at the cut and the 3-D view as calls on recording
// controls: springs near the cut, the selected load, the crane runway's
// plate outline, the notch positions on the plates; the extruded member.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

// Fields of 6 m and 4 m, 30 x 40 cm boxes (about their middle, z down); the
// second one haunched to 30 x 60 cm. A point spring at 5 m.
void Member(CModuleData& d) {
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0), CFormulaValue(4.0)};
    d.m_sections.resize(2);
    for (CSection& s : d.m_sections) {
        s.m_contourX = {-15, 15, 15, -15};
        s.m_contourY = {-20, -20, 20, 20};
    }
    d.m_sections[1].m_bVoute = 1;
    d.m_sections[1].m_contourX2 = {-15, 15, 15, -15};
    d.m_sections[1].m_contourY2 = {-30, -30, 30, 30};
    d.m_supports.assign(3, CSupport());
    CSupport spring;
    spring.m_posX.SetValue(5.0);
    spring.m_cz.SetValue(100.0);
    spring.m_ey.SetValue(5.0);
    d.m_springs = {spring};
    CLoadDef load;
    load.m_iLoadType = LOAD_POINT;
    load.m_iDirection = 2;
    load.m_offset.SetValue(2.0);
    load.m_val[0].SetValue(10.0);
    load.m_LCGen.m_numbers = {1};
    d.m_loads = {load};
}

struct TabDialog : CMainDialogBase {
    int GetTabIndexOfPage(int page) const override { return page == 7 ? 4 : 1; }
    int GetCurrentTab() const override { return tab; }
    int tab = 4;
};

bool HasGroup(const CKurvoRecorder& rec, int id) {
    const std::string g = "Method21(" + std::to_string(id) + ",3)";
    for (const std::string& c : rec.calls)
        if (c == g) return true;
    return false;
}

}  // namespace

TEST(SketchSectionView, OriginOutlineAndSnapPoints) {
    CModuleData d;
    Member(d);
    d.m_dCutX = 3.0;
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSectionView(&g);
    EXPECT_EQ(std::vector<std::string>(rec.calls.begin(), rec.calls.begin() + 3),
              (std::vector<std::string>{"Method1()", "Method17(1)", "Method54(1,0,\"Y\",0,\"Z\")"}));
    EXPECT_EQ(rec.calls.back(), "Method15()");
    // The origin: half the largest width, the band's centre (tops on the axis).
    EXPECT_DOUBLE_EQ(d.m_dSectionOriginY, 0.15);
    EXPECT_DOUBLE_EQ(d.m_dSectionOriginZ, 0.20);
    // The outline about the origin: from 0 to 0.30 across, 0 to -0.40 down.
    const auto& outline = rec.raw[5].second;
    ASSERT_EQ(rec.raw[5].first, 5);
    EXPECT_EQ(outline[1].values, (std::vector<double>{0.0, 0.30, 0.30, 0.0}));
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(outline[2].values[i], (std::vector<double>{0, 0, -0.4, -0.4})[i], 1e-12);
    // Snap points: the origin, 4 corners and 4 midpoints, centroid, shear
    // centre and the top's middle.
    EXPECT_EQ(d.m_SectionSnap.m_X.size(), 12u);
    EXPECT_EQ(d.m_SectionSnap.m_Ids[0], 2);
    EXPECT_EQ(d.m_SectionSnap.m_Ids[2], 3);
    EXPECT_DOUBLE_EQ(d.m_SectionSnap.m_Y[0], -0.20);
    EXPECT_EQ(rec.Matching("Method8(").size(), 2u);

    // A haunch at its middle (t = 0.5): the outline of the section there.
    d.m_dCutX = 8.0;
    rec.raw.clear();
    rec.calls.clear();
    d.DrawSectionView(&g);
    EXPECT_DOUBLE_EQ(d.m_dSectionOriginZ, 0.25) << "h = 0.50 m at mid-haunch";

    // An outline of parts, each closed by its first point (two flanges):
    // each part is a polygon of its own, filled and then outlined.
    d.m_sections[0].m_contourX = {-15, 15, 15, -15, -15, -15, 15, 15, -15, -15};
    d.m_sections[0].m_contourY = {-20, -20, -18, -18, -20, 18, 18, 20, 20, 18};
    d.m_dCutX = 3.0;
    rec.raw.clear();
    rec.calls.clear();
    d.DrawSectionView(&g);
    std::vector<size_t> sizes;
    for (const auto& [id, args] : rec.raw)
        if (id == 5) sizes.push_back(static_cast<size_t>(args[0].num));
    EXPECT_EQ(sizes, (std::vector<size_t>{5, 5, 5, 5}));
    // Snap points: the origin, per part 4 points and 4 edge middles, and 3.
    EXPECT_EQ(d.m_SectionSnap.m_X.size(), 1u + 16u + 3u);
}

TEST(SketchSectionView, SpringsNearTheCutAndTheSelectedLoad) {
    CModuleData d;
    Member(d);
    const int spring = d.GetSketchItemId(4, 0), load = d.GetSketchItemId(6, 0);
    struct Case {
        double cut;
        bool shown;
    } cases[] = {{4.9, true}, {4.89, false}, {5.1, true}, {5.11, false}};
    for (const Case& c : cases) {
        d.m_dCutX = c.cut;
        CKurvoRecorder rec;
        CKurvo2D g(&rec);
        d.DrawSectionView(&g);
        EXPECT_EQ(HasGroup(rec, spring), c.shown) << c.cut;
        if (c.shown) {
            // Across the section by ey = 5 cm, pointing to the right.
            const auto& args = rec.raw[static_cast<size_t>(std::find(rec.calls.begin(), rec.calls.end(),
                                                                     rec.Matching("Method57(")[0]) -
                                                           rec.calls.begin())]
                                   .second;
            EXPECT_NEAR(args[0].num, 0.15 + 0.05, 1e-12);
        }
    }
    // Only the selected load is drawn, and no load without a selection.
    d.m_dCutX = 2.0;
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSectionView(&g);
    EXPECT_FALSE(HasGroup(rec, load));
    d.m_nSelectedItem = load;
    rec.calls.clear();
    d.DrawSectionView(&g);
    EXPECT_TRUE(HasGroup(rec, load));
    bool label = false;
    for (const std::string& t : rec.Matching("Method7(")) label = label || t.find("10.0 kN") != std::string::npos;
    EXPECT_TRUE(label);
}

TEST(SketchSectionView, CraneRunwayPlatesWithThePointsOfInterestInFront) {
    TabDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    d.m_strModuleName = "VADU";
    CSection s;
    s.m_profSelType = 1;
    s.m_profile.Create(0);
    const int p = s.m_profile.GetHandle();
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-15, 0, 15, 0, 2.5));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-15, 62.5, 15, 62.5, 2.5));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, 0, 0, 62.5, 1.2));
    s.m_contourX = {-15, 15, 15, -15};
    s.m_contourY = {-31, -31, 31, 31};
    d.m_sections = {s, d.m_sections[1]};
    CNotchCase weld;
    weld.m_tqe = 0;
    weld.m_idx.SetValue(0.25);
    weld.m_geomType = 2;
    weld.m_bActiv = 1;
    d.m_notchCases = {weld};
    d.m_SectionSnap.AddPoint(1, 1, 2);
    d.m_dCutX = 1.0;
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSectionView(&g);
    const int count = d.m_sections[0].m_profile.GetEffValueCount();
    ASSERT_GT(count, 0);
    // The plates numbered, the weld's point marked; no outline, nothing to snap to.
    EXPECT_TRUE(rec.Matching("Method5(").empty());
    EXPECT_TRUE(d.m_SectionSnap.m_X.empty());
    const std::vector<std::string> numbers = rec.Matching("Method7(");
    EXPECT_FALSE(numbers.empty());
    EXPECT_NE(numbers[0].find("\"1\""), std::string::npos);
    EXPECT_EQ(rec.Matching("Method35(0x4040C0,0,0,1)").size(), 1u);

    // Another page in front: the section itself.
    dlg.tab = 1;
    rec.calls.clear();
    d.DrawSectionView(&g);
    EXPECT_FALSE(rec.Matching("Method5(").empty());
    EXPECT_FALSE(d.m_SectionSnap.m_X.empty());

    // The weld notch case's place on its plate: start + 0.25 (end - start).
    SektTqe e{};
    ASSERT_EQ(SEKT_PRO_GetResultTqe(p, 0, 0, &e), 0);
    d.m_dNotchPosition = -99;
    d.GetSectionPlates();
    EXPECT_DOUBLE_EQ(d.m_dNotchPosition, e.za + 0.25 * (e.ze - e.za));
    d.m_notchCases[0].m_geomType = 1;  // a single point: not a weld
    d.m_dNotchPosition = -99;
    d.GetSectionPlates();
    EXPECT_EQ(d.m_dNotchPosition, -99);
    d.m_sections[0].m_profile.Release();
}

TEST(SketchSectionView, FieldOfNoLengthShowsItsStart) {
    CModuleData d;
    Member(d);
    // The first field has no length: the cut at 0 lies in it.
    d.m_fieldLengths[1] = CFormulaValue(0.0);
    d.m_dCutX = 0.0;
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.DrawSectionView(&g);
    ASSERT_EQ(rec.Matching("Method5(").size(), 2u) << "its start outline, filled and outlined";
    for (const auto& [id, args] : rec.raw)
        for (const kurvo::Arg& a : args) {
            EXPECT_TRUE(std::isfinite(a.num)) << id;
            for (double v : a.values) EXPECT_TRUE(std::isfinite(v)) << id;
        }
}

TEST(Sketch3D, MemberExtrudedBetweenItsOutlines) {
    CModuleData d;
    Member(d);
    CKurvoRecorder rec;
    CKurvo3D g(&rec);
    d.m_Sketch3DList = {&g};
    d.DrawSystem3D(0);
    EXPECT_TRUE(rec.calls.empty()) << "nothing without the preview";
    int preview = 0;
    d.m_pPreviewDlg = &preview;

    // One element: the white background only.
    CModuleData one;
    Member(one);
    one.m_fieldLengths.resize(1);
    one.m_pPreviewDlg = &preview;
    one.m_Sketch3DList = {&g};
    one.DrawSystem3D(0);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"Method23(1,1,1)", "Method12(0xFFFFFF)"}));

    rec.calls.clear();
    rec.raw.clear();
    d.DrawSystem3D(0);
    ASSERT_GE(rec.calls.size(), 4u);
    EXPECT_EQ(rec.calls[2].rfind("Method16(0x876E3A,1,\"Arial\",15,", 0), 0u);
    EXPECT_EQ(rec.calls[3], "Method19(0xC0C0C0,1,2,1)");
    // Field 1: two equal outlines; field 2 (haunched): two different ones,
    // each closed (5 points), extruded between its handles 3 and 4.
    std::vector<std::vector<double>> contours;
    std::vector<std::vector<double>> extrusions;
    for (const auto& [id, args] : rec.raw) {
        if (id == 5) contours.push_back(args[1].values);
        if (id == 6) extrusions.push_back({args[0].values[0], args[1].values[0], args[2].num, args[3].num});
    }
    ASSERT_EQ(contours.size(), 4u);
    EXPECT_EQ(contours[0], contours[1]);
    EXPECT_NE(contours[2], contours[3]);
    EXPECT_EQ(contours[2].size(), 10u);
    EXPECT_EQ(contours[2][0], contours[2][8]) << "closed by its first point";
    ASSERT_EQ(extrusions.size(), 2u);
    EXPECT_EQ(extrusions[1], (std::vector<double>{6.0, 10.0, 3, 4}));
    EXPECT_FALSE(rec.Matching("Method41(").empty()) << "the point spring and the point load";
}

// Two uniform loads over the same field (3 and 4 kN/m, as the examples'
// permanent and variable loads): the second band is stacked one level out,
// a level being the largest load's height 0.06 L and a gap of 0.01 L, so
// neither the bands nor their labels at the band's base cover each other; a
// load of the adjoining field stays on the member.
TEST(Sketch3D, LoadsOverTheSameStretchAreStacked) {
    CModuleData d;
    Member(d);
    int preview = 0;
    d.m_pPreviewDlg = &preview;
    auto uniform = [](double from, double length, double q) {
        CLoadDef l;
        l.m_iLoadType = LOAD_UNIFORM;
        l.m_iDirection = 2;
        l.m_offset.SetValue(from);
        l.m_length.SetValue(length);
        l.m_val[0].SetValue(q);
        l.m_LCGen.m_numbers = {1};
        return l;
    };
    d.m_loads = {uniform(0, 6, 3.0), uniform(0, 6, 4.0), uniform(6, 4, 4.0)};
    CKurvoRecorder rec;
    CKurvo3D g(&rec);
    d.m_Sketch3DList = {&g};
    d.DrawSystem3D(0);
    // The labelled triangle of each band: base start, base end, top end.
    struct Band {
        double base, top;
        std::string text;
    };
    std::vector<Band> bands;
    for (const auto& [id, args] : rec.raw)
        if (id == 14 && !args[7].text.empty()) bands.push_back({args[1].values[2], args[2].values[2], args[7].text});
    ASSERT_EQ(bands.size(), 3u);
    const double L = 10.0, scale = 0.06 * L / 4.0;  // the largest load drawn 0.06 L high
    const double memberTop = bands[2].base;         // the adjoining field's load on the member
    EXPECT_EQ(bands[0].text, "3.0 kN/m");
    EXPECT_NEAR(bands[0].base, memberTop, 1e-5);
    EXPECT_NEAR(bands[0].top - bands[0].base, 3.0 * scale, 1e-5);
    EXPECT_EQ(bands[1].text, "4.0 kN/m");
    EXPECT_NEAR(bands[1].base, memberTop + 0.06 * L + 0.01 * L, 1e-4) << "one level out";
    EXPECT_GT(bands[1].base, bands[0].top) << "clear of the first band";
    EXPECT_NEAR(bands[1].top - bands[1].base, 4.0 * scale, 1e-5);
    EXPECT_NEAR(bands[2].top - bands[2].base, 4.0 * scale, 1e-5) << "the adjoining field";
}
