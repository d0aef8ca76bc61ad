// The member sketch under the user's hand: what a click asks of the input
// dialog (through a spy in its place), how drag steps change the data
// (rounded to the step or snapped in the section plane) and what the drop
// writes; the graphs are recording controls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"

namespace {

// The input dialog as the sketch sees it: page p sits on tab p + 10, the
// current tab is remembered, every request is written down.
struct SpyDialog : CMainDialogBase {
    int GetTabIndexOfPage(int page) const override { return page + 10; }
    int GetCurrentTab() const override { return tab; }
    void SelectTabAndShowPage(int t) override {
        tab = t;
        log.push_back("tab " + std::to_string(t));
    }
    void HighlightGridRow(int page, int row) override {
        log.push_back("row " + std::to_string(page) + " " + std::to_string(row));
    }
    void SelectGridCell(int page, int row, int col) override {
        log.push_back("cell " + std::to_string(page) + " " + std::to_string(row) + " " + std::to_string(col));
    }
    void OnSystemSectionButton(int page, int row, int col) override {
        log.push_back("section " + std::to_string(page) + " " + std::to_string(row) + " " + std::to_string(col));
    }
    void ReloadPageGrid(int page) override { log.push_back("reload " + std::to_string(page)); }
    void ExchangeData(int save) override { log.push_back("exchange " + std::to_string(save)); }
    int tab = -1;
    std::vector<std::string> log;
};

// Fields of 6 m and 5 m with a 30 x 40 cm box (outline about its middle, z
// down), one point spring at 2 m, one hinge on node 1, two loads.
void Member(CModuleData& d) {
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0), CFormulaValue(5.0)};
    d.m_sections.resize(2);
    for (CSection& s : d.m_sections) {
        s.m_bVoute = 0;
        s.m_contourX = {-15, 15, 15, -15};
        s.m_contourY = {-20, -20, 20, 20};
    }
    d.m_supports.assign(3, CSupport());
    CSupport spring;
    spring.m_iNode = 0;
    spring.m_posX.SetValue(2.0);
    spring.m_cz.SetValue(100.0);
    d.m_springs = {spring};
    CHinge hinge;
    hinge.m_iNode = 1;
    hinge.m_offset.SetValue(0.5);
    d.m_hinges = {hinge};
    CLoadDef load;
    load.m_iLoadType = LOAD_POINT_FORCE_MOMENT;
    load.m_iNode = 1;
    load.m_offset.SetValue(1.0);
    load.m_val[0].SetValue(10.0);
    load.m_LCGen.m_numbers = {1};
    d.m_loads = {load, load};
}

// Item identifiers of this member: 3 nodes, so springs from 14.
constexpr int kSupport1 = 5, kField1 = 6, kLabel1 = 7, kSpring = 14, kHinge = 15, kLoad0 = 16, kLoad1 = 17;

bool AllFinite(const CModuleData& d) {
    for (const CFormulaValue& v : d.m_fieldLengths)
        if (!std::isfinite(v.GetValue())) return false;
    return true;
}

}  // namespace

TEST(SketchEvents, ClickBringsThePageToTheFront) {
    SpyDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);

    // Empty space: the pages go into the data, the views are redrawn, nothing chosen.
    d.m_bSketchDragged = 1;
    d.m_nSelectedItem = kHinge;
    d.OnSketchClick(&g, 0);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"exchange 1"}));
    EXPECT_EQ(d.m_bSketchDragged, 0);
    EXPECT_EQ(d.m_nSelectedItem, kHinge) << "the selection stays";
    EXPECT_TRUE(rec.calls.empty());

    struct Case {
        int id;
        std::vector<std::string> log;
    } cases[] = {
        {kHinge, {"tab 15", "row 5 1"}},
        {kField1, {"tab 12", "row 2 2", "cell 2 2 2"}},
        {kLabel1, {"row 2 2", "cell 2 2 4", "section 2 2 4"}},  // the System tab is in front already
        {kSupport1, {"row 2 2", "cell 2 2 9"}},
        {kSpring, {"tab 13", "row 3 1"}},
        {kLoad1, {"tab 16", "row 6 2"}},
        {1, {}},  // the cut marker has no page
    };
    for (const Case& c : cases) {
        dlg.log.clear();
        d.OnSketchClick(&g, c.id);
        EXPECT_EQ(dlg.log, c.log) << c.id;
        EXPECT_EQ(d.m_nSelectedItem, c.id);
    }
    // The support click keeps the field lengths for the drag.
    EXPECT_EQ(d.m_DragFieldLengths, (std::vector<double>{0.0, 6.0, 5.0}));

    // The item clicked before gets its plain look, the clicked one the
    // selected look, each with its kind's line and fill.
    rec.calls.clear();
    d.OnSketchClick(&g, kSpring);
    d.OnSketchClick(&g, kLoad0);
    const std::vector<std::string> looks = rec.Matching("Method37(");
    EXPECT_EQ(looks, (std::vector<std::string>{"Method37(1,0x000000,2,3)", "Method37(14,0x4040C0,0,3)",
                                               "Method37(14,0x40C040,0,3)", "Method37(16,0x4040C0,0,0)"}));
    // A load click moves the cut to the load (node 1 at 6 m + 1 m).
    EXPECT_DOUBLE_EQ(d.m_dCutX, 7.0);
    EXPECT_DOUBLE_EQ(d.m_dDragLoadX, 7.0);
}

TEST(SketchEvents, NodeSupportDragOnTheStep) {
    SpyDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    auto lengths = [&] {
        std::vector<double> v;
        for (const CFormulaValue& f : d.m_fieldLengths) v.push_back(f.GetValue());
        return v;
    };
    d.OnSketchClick(&g, kSupport1);
    dlg.log.clear();
    d.OnSketchDrag(&g, kSupport1, 0.12, 0.0, 0.05, 0);
    EXPECT_NEAR(lengths()[1], 6.10, 1e-12);
    EXPECT_NEAR(lengths()[2], 4.90, 1e-12) << "node 2 stays where it was";
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"reload 2"}));
    EXPECT_EQ(d.m_bSketchDragged, 1);
    EXPECT_EQ(rec.calls.back(), "Method15()");
    EXPECT_EQ(rec.Matching("Method18(").back(), "Method18(5,0.12,0)");
    d.OnSketchDrag(&g, kSupport1, 0.02, 0.0, 0.05, 0);
    EXPECT_NEAR(lengths()[1], 6.15, 1e-12) << "running sum 6.14";

    // Node 0 never moves; the last node changes only the last field.
    d.OnSketchClick(&g, 2);
    d.OnSketchDrag(&g, 2, 0.5, 0.0, 0.05, 0);
    EXPECT_NEAR(lengths()[1], 6.15, 1e-12);
    EXPECT_EQ(d.m_bSketchDragged, 0);
    d.OnSketchClick(&g, 8);
    d.OnSketchDrag(&g, 8, -0.31, 0.0, 0.05, 0);
    EXPECT_NEAR(lengths()[1], 6.15, 1e-12);
    EXPECT_NEAR(lengths()[2], 4.55, 1e-12);

    // A step of 0 does not round (and writes no NaN).
    d.OnSketchClick(&g, kSupport1);
    d.OnSketchDrag(&g, kSupport1, 0.123, 0.0, 0.0, 0);
    EXPECT_TRUE(AllFinite(d));
    EXPECT_NEAR(lengths()[1], 6.273, 1e-12);
    EXPECT_NEAR(lengths()[2], 4.427, 1e-12);

    // A step that would leave the next field with no length is refused:
    // the data, the graphics and the drag flag stay.
    d.OnSketchClick(&g, kSupport1);
    rec.calls.clear();
    dlg.log.clear();
    d.OnSketchDrag(&g, kSupport1, 5.0, 0.0, 0.0, 0);
    EXPECT_NEAR(lengths()[1], 6.273, 1e-12);
    EXPECT_NEAR(lengths()[2], 4.427, 1e-12);
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_TRUE(dlg.log.empty());
    EXPECT_EQ(d.OnSketchDrop(kSupport1), 0) << "nothing changed: no redraw";

    // A drag that changed something: the drop redraws from the data.
    d.OnSketchDrag(&g, kSupport1, -0.073, 0.0, 0.05, 0);
    EXPECT_NEAR(lengths()[1], 6.20, 1e-12);
    dlg.log.clear();
    EXPECT_EQ(d.OnSketchDrop(kSupport1), 1);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"exchange 1"}));
}

TEST(SketchEvents, CraneRunwaySupportDragReloadsItsSystemPage) {
    // The crane runway's System page (page id 2 of its tab set) is the one
    // the click brought to the front; the drag reloads that page's grid.
    SpyDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    d.m_strModuleName = "VADU";
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.OnSketchClick(&g, kSupport1);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"tab 12", "row 2 2", "cell 2 2 9"}));
    dlg.log.clear();
    d.OnSketchDrag(&g, kSupport1, 0.5, 0.0, 0.05, 0);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"reload 2"}));
    EXPECT_NEAR(d.m_fieldLengths[1].GetValue(), 6.5, 1e-12);
}

TEST(SketchEvents, HingeAndLoadAlongTheMember) {
    SpyDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    // The hinge at 6.5 m dragged by 0.33 m lands on 6.85 m: offset 0.85 m from node 1.
    d.OnSketchClick(&g, kHinge);
    dlg.log.clear();
    d.OnSketchDrag(&g, kHinge, 0.33, 0.0, 0.05, 0);
    EXPECT_NEAR(d.m_hinges[0].m_offset.GetValue(), 0.85, 1e-12);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"reload 5"}));
    // A load dragged along (mode 1): dy is dropped, ey/ez stay.
    d.OnSketchClick(&g, kLoad0);
    rec.calls.clear();
    d.OnSketchDrag(&g, kLoad0, -2.26, 0.4, 0.05, 1);
    EXPECT_NEAR(d.m_loads[0].m_offset.GetValue(), -1.25, 1e-12) << "7 - 2.26 = 4.74 -> 4.75, node 1 at 6";
    EXPECT_EQ(d.m_loads[0].m_ez.GetValue(), 0.0);
    EXPECT_EQ(rec.Matching("Method18(").back(), "Method18(16,-2.26,0)");
    EXPECT_EQ(rec.calls.back(), "Method25(0,0,0)");
}

TEST(SketchEvents, SectionPlaneDragSnapsOrStays) {
    SpyDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.OnSketchClick(&g, kLoad0);
    // The cut at the load (7 m): origin at half the width and the band's
    // centre, 0.20 m below the axis (tops on the axis).
    ASSERT_DOUBLE_EQ(d.m_dSectionOriginY, 0.15);
    ASSERT_DOUBLE_EQ(d.m_dSectionOriginZ, 0.20);
    ASSERT_DOUBLE_EQ(d.m_dDragLoadY, 0.15);
    ASSERT_DOUBLE_EQ(d.m_dDragLoadZ, 0.20);
    d.m_SectionSnap.Clear();
    d.m_SectionSnap.AddPoint(0.20, -0.25, 3);

    // The candidate (0.45, -0.20) is 0.255 m from the point: the graphics
    // move, the stores and the data stay, and so does the drop.
    rec.calls.clear();
    d.OnSketchDrag(&g, kLoad0, 0.3, 0.0, 0.05, 2);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"Method18(16,0.3,0)", "Method15()", "Method25(0,0,0)"}));
    EXPECT_DOUBLE_EQ(d.m_dDragLoadY, 0.15);
    EXPECT_DOUBLE_EQ(d.m_dDragLoadZ, 0.20);
    EXPECT_EQ(d.m_loads[0].m_ey.GetValue(), 0.0);
    EXPECT_EQ(d.m_loads[0].m_ez.GetValue(), 0.0);
    d.OnSketchDrop(kLoad0);
    EXPECT_EQ(d.m_loads[0].m_ey.GetValue(), 0.0);
    EXPECT_EQ(d.m_loads[0].m_ez.GetValue(), 0.0);

    // The candidate (0.21, -0.24) lies 0.014 m from it: the stores move,
    // "ey"/"ez" follow the store, the drop writes the snapped point.
    dlg.log.clear();
    rec.calls.clear();
    d.OnSketchDrag(&g, kLoad0, 0.06, 0.04, 0.05, 2);
    EXPECT_EQ(d.m_nSnapId, 3);
    EXPECT_NEAR(d.m_loads[0].m_ey.GetValue(), 6.0, 1e-9);
    EXPECT_NEAR(d.m_loads[0].m_ez.GetValue(), -4.0, 1e-9);
    EXPECT_EQ(rec.calls.back(), "Method25(0.2,0.25,3)");
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"reload 6"}));
    EXPECT_EQ(d.OnSketchDrop(kLoad0), 1);
    EXPECT_NEAR(d.m_loads[0].m_ey.GetValue(), 5.0, 1e-9);
    EXPECT_NEAR(d.m_loads[0].m_ez.GetValue(), -5.0, 1e-9);
    EXPECT_EQ(dlg.log.back(), "exchange 1");
}

TEST(SketchEvents, IdentifiersOutOfRangeDoNothing) {
    SpyDialog dlg;
    CModuleData& d = dlg.m_data;
    Member(d);
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    const double before = d.m_fieldLengths[1].GetValue();
    for (int id : {-3, 18, 1000}) {
        d.OnSketchDrag(&g, id, 1.0, 1.0, 0.05, 0);
        EXPECT_EQ(d.OnSketchDrop(id), 0);
    }
    // Numbers that are not finite never reach the data nor the graph.
    d.OnSketchClick(&g, kSupport1);
    rec.calls.clear();
    d.OnSketchDrag(&g, kSupport1, std::nan(""), 0.0, 0.05, 0);
    d.OnSketchDrag(&g, 1, INFINITY, 0.0, 0.05, 0);
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(d.m_fieldLengths[1].GetValue(), before);
    EXPECT_TRUE(std::isfinite(d.m_dCutX));
    // Item ids and their x: a kind without one gives 0.
    EXPECT_EQ(d.GetSketchItemId(6, 1), kLoad1);
    EXPECT_EQ(d.GetSketchItemId(6, 2), 0);
    EXPECT_DOUBLE_EQ(d.GetSketchItemX(4, 0), 2.0);
    EXPECT_DOUBLE_EQ(d.GetSketchItemX(5, 0), 6.5);
    EXPECT_DOUBLE_EQ(d.GetSketchItemX(3, 0), 0.0);
    EXPECT_DOUBLE_EQ(d.GetSketchItemX(6, 5), 0.0);
}
