// The form in which a position's take-over loads reach the calculation: each
// force and moment component of a generated load becomes a load the kernel
// reads (point loads with their direction, uniform line loads, torsional line
// moments), in a load case of its action above the user's load cases.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "input/LoadTakeOver.h"
#include "moddata_fixture.h"

namespace {

using namespace moddatatest;

// A generated take-over load: type, action number, xa, xl and six values.
CLoadDef Generated(int type, int action, double xa, double xl, std::array<double, 6> v) {
    CLoadDef l;
    l.m_iLoadType = type;
    l.m_iLoadCase = action;
    l.m_offset.SetValue(xa);
    l.m_length.SetValue(xl);
    for (int i = 0; i < 6; ++i) l.m_val[i].SetValue(v[static_cast<size_t>(i)]);
    l.m_strDesc = "infolge Einw. 1: ständig";
    return l;
}

struct Expected {
    int type;
    int direction;
    int slot;  // the value that carries the number
    double value;
    double length;
};

struct Case {
    const char* name;
    CLoadDef generated;
    std::vector<Expected> loads;
};

class TakeOverLoadForms : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    // The user's loads use load cases 1 and 2 (actions 1 and 2); the
    // take-over adds loads to action 2 and to an action 3 of its own.
    void SetUp() override {
        MakeBeam(d, {6.0}, 3.0, 4.0);
        CActionRecord own;
        own.m_nNumber = 3;
        own.m_nFullGroup = 1;
        own.m_nLudaIndex = 1;
        d.LK().m_actions.push_back(own);
    }
    LUData& Record(std::vector<CLoadDef> loads) {
        auto rec = std::make_unique<LUData>();
        rec->m_strPosition = "dach";
        rec->m_loads = std::move(loads);
        d.TakeOvers().m_records.push_back(std::move(rec));
        return *d.TakeOvers().m_records.back();
    }
    CModuleData d;
    winsys::ScopedRecordingSink sink;
};

TEST_F(TakeOverLoadForms, EachComponentBecomesALoadTheCalculationReads) {
    const Case cases[] = {
        {"point force and moment",
         Generated(LOAD_POINT_FORCE_MOMENT, 2, 2.0, 0.0, {1.5, -2.0, 7.5, 0.25, 0.5, -0.75}),
         {{10, 0, 0, 1.5, 0.0},
          {10, 1, 0, -2.0, 0.0},
          {10, 2, 0, 7.5, 0.0},
          {10, 0, 1, 0.25, 0.0},    // Mx: torsion
          {10, 2, 1, 0.5, 0.0},     // My goes with the load in z
          {10, 1, 1, -0.75, 0.0}}},  // Mz goes with the load in y
        {"line force and torsional line moment",
         Generated(LOAD_LINE_FORCE_MOMENT, 2, 1.0, 4.0, {0.0, 0.0, 2.5, 0.3, 0.0, 0.0}),
         {{0, 2, 0, 2.5, 4.0}, {6, 0, 0, 0.3, 4.0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d.TakeOvers().m_records.clear();
        Record({c.generated});
        const std::vector<CLoadDef> loads = d.GetTakeOverLoads();
        ASSERT_EQ(loads.size(), c.loads.size());
        for (size_t i = 0; i < loads.size(); ++i) {
            const CLoadDef& l = loads[i];
            const Expected& e = c.loads[i];
            EXPECT_EQ(l.m_iLoadType, e.type) << i;
            EXPECT_EQ(l.m_iDirection, e.direction) << i;
            EXPECT_EQ(l.m_bHasDirection, 1) << i;
            EXPECT_EQ(l.m_iNode, 0) << i;
            EXPECT_DOUBLE_EQ(l.m_offset.GetValue(), c.generated.m_offset.GetValue()) << i;
            EXPECT_DOUBLE_EQ(l.m_length.GetValue(), e.length) << i;
            for (int k = 0; k < 6; ++k)
                EXPECT_DOUBLE_EQ(l.m_val[k].GetValue(), k == e.slot ? e.value : 0.0) << i << " value " << k;
            EXPECT_EQ(l.m_iLoadCase, 2) << "the action's index";
            EXPECT_EQ(l.m_LCGen.m_strText, "3") << "the first load case above the user's";
            EXPECT_EQ(l.m_strDesc, c.generated.m_strDesc);
        }
    }
}

TEST_F(TakeOverLoadForms, ActionsGetLoadCasesInTheOrderOfTheirNumbers) {
    Record({Generated(LOAD_POINT_FORCE_MOMENT, 3, 1.0, 0.0, {0, 0, 4.0, 0, 0, 0})});
    Record({Generated(LOAD_POINT_FORCE_MOMENT, 1, 2.0, 0.0, {0, 0, 5.0, 0, 0, 0}),
            Generated(LOAD_POINT_FORCE_MOMENT, 3, 3.0, 0.0, {0, 0, 6.0, 0, 0, 0})});
    const std::vector<CLoadDef> loads = d.GetTakeOverLoads();
    ASSERT_EQ(loads.size(), 3u);
    EXPECT_EQ(loads[0].m_LCGen.m_strText, "4");  // action 3
    EXPECT_EQ(loads[1].m_LCGen.m_strText, "3");  // action 1
    EXPECT_EQ(loads[2].m_LCGen.m_strText, "4");  // action 3 again
    d.BuildLoadCaseActionTable();
    ASSERT_EQ(d.LK().m_loadCases.size(), 4u);
    const int actionOfCase[4] = {1, 2, 1, 3};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(d.LK().m_loadCases[static_cast<size_t>(c)].m_nLoadCase, c + 1);
        EXPECT_EQ(d.LK().m_loadCases[static_cast<size_t>(c)].m_nAction, actionOfCase[c]) << c;
    }
}

TEST_F(TakeOverLoadForms, InactiveRecordsAndLoadsThatCannotBeCalculatedStayOut) {
    Record({Generated(LOAD_POINT_FORCE_MOMENT, 2, 1.0, 0.0, {0, 0, 4.0, 0, 0, 0})}).m_bAktiv = false;
    EXPECT_TRUE(d.GetTakeOverLoads().empty());

    // An action that no longer exists, and line moments about y and z, which
    // the calculation has no load for: left out, and the check says so.
    d.TakeOvers().m_records.clear();
    Record({Generated(LOAD_POINT_FORCE_MOMENT, 9, 1.0, 0.0, {0, 0, 4.0, 0, 0, 0}),
            Generated(LOAD_LINE_FORCE_MOMENT, 2, 0.0, 6.0, {0, 0, 1.0, 0, 0.5, 0})});
    const std::vector<CLoadDef> loads = d.GetTakeOverLoads();
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0].m_iLoadType, LOAD_UNIFORM);
    CPlauMessageList list;
    d.CheckInput(list, 0);
    EXPECT_EQ(list.CountWarnings(), 2);

    // Take-over loads alone are loads of the member.
    d.m_loads.clear();
    list.RemoveAll();
    d.CheckInput(list, 0);
    for (int i = 0; i < list.GetSize(); ++i)
        EXPECT_EQ(list.GetAt(i).text.find("keine Lasten"), std::string::npos);
}

}  // namespace
