// Member records: load-case lists, loads, hinges, supports and spring data,
// their document forms and the degree-of-fixity conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RecordDocFixture.h"
#include "module/Hinge.h"
#include "input/LoadDef.h"
#include "module/Support.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace {

using Doc = recordtest::RecordDoc;

TEST(NumberList, ParsesCommaListsWithOrWithoutBlanks)
{
    struct Case {
        const char* text;
        std::vector<int> numbers;
        const char* formatted;
    } cases[] = {
        {"1, 3,5", {1, 3, 5}, "1,3,5"},
        {"1,3,5", {1, 3, 5}, "1,3,5"},
        {"  7 ", {7}, "7"},
        {"", {}, ""},
        {"2,,4", {2, 0, 4}, "2,0,4"},
        {"-1, 12 ,x", {-1, 12, 0}, "-1,12,0"},
    };
    for (const Case& c : cases) {
        CNumberList list;
        list.m_strText = c.text;
        list.Parse();
        EXPECT_EQ(list.m_numbers, c.numbers) << c.text;
        list.Format();
        EXPECT_EQ(list.m_strText, c.formatted) << c.text;
    }
}

TEST_F(Doc, LoadReadsItsLoadCasesAndEmptyTextGivesNone)
{
    ZVELEM e = Add("load");
    ZEVUD_SetString(e, "LCGen", "1, 3,5");
    CLoadDef load;
    load.ReadData(e);
    EXPECT_EQ(load.m_LCGen.m_numbers, (std::vector<int>{1, 3, 5}));

    ZVELEM empty = Add("load");
    ZEVUD_SetString(empty, "LCGen", "");
    CLoadDef none;
    none.m_LCGen.m_numbers = {9};
    none.ReadData(empty);
    EXPECT_TRUE(none.m_LCGen.m_numbers.empty());
}

TEST(LoadDef, RangeByLoadType)
{
    // Node 1 at x = 2.0, offset 0.5, length 3, value 0 = 1, value 1 = 0.25.
    const std::vector<double> nodes = {0.0, 2.0};
    struct Case {
        int type;
        double start, end;
    } cases[] = {
        {0, 2.5, 5.5}, {1, 2.5, 5.5}, {4, 2.5, 5.5},  {6, 2.5, 5.5},   {7, 2.5, 5.5},
        {2, 2.5, 6.5}, {3, 2.5, 6.75}, {5, 2.5, 2.5}, {8, 2.5, 2.5},   {9, 2.5, 2.5},
        {10, 2.5, 2.5}, {13, 2.5, 2.5}, {11, 0, 0},   {12, 0, 0},      {14, -7, -7},
    };
    for (const Case& c : cases) {
        CLoadDef load;
        load.m_iLoadType = c.type;
        load.m_iNode = 1;
        load.m_offset.SetValue(0.5);
        load.m_length.SetValue(3.0);
        load.m_val[0].SetValue(1.0);
        load.m_val[1].SetValue(0.25);
        double start = -7, end = -7;
        load.GetRange(nodes, start, end);
        EXPECT_DOUBLE_EQ(start, c.start) << "type " << c.type;
        EXPECT_DOUBLE_EQ(end, c.end) << "type " << c.type;
    }
    // A node outside the system leaves the range untouched.
    CLoadDef far;
    far.m_iLoadType = 8;
    far.m_iNode = 5;
    double s = -1, e = -1;
    far.GetRange(nodes, s, e);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(e, -1);
}

TEST(LoadDef, MaxAbsValueStartsFarBelowZero)
{
    CLoadDef load;
    EXPECT_EQ(load.GetMaxAbsValue(), 0.0);
    load.m_val[3].SetValue(-4.5);
    load.m_val[5].SetValue(2.0);
    EXPECT_EQ(load.GetMaxAbsValue(), 4.5);
}

TEST(LoadDef, NamesOutsideTheTablesAreEmpty)
{
    EXPECT_EQ(GetLoadTypeName(0), "Gleichlast");
    EXPECT_EQ(GetLoadTypeName(12), "Flächenlast");
    EXPECT_EQ(GetLoadTypeName(13), "Linienlast/Moment");
    EXPECT_EQ(GetLoadDirectionName(2), "Z-Richtung");
    for (int bad : {-1, 14, 1000}) EXPECT_EQ(GetLoadTypeName(bad), "") << bad;
    for (int bad : {-1, 3, 99}) EXPECT_EQ(GetLoadDirectionName(bad), "") << bad;
    EXPECT_EQ(GetHingeReleaseName(6), "Mw");
    EXPECT_EQ(GetHingeReleaseName(7), "");
}

// ---- supports ------------------------------------------------------------

struct FixityCase {
    int index;     // 3 cmx, 4 cmy, 5 cmz
    double v;      // degree of fixity, %
    double L;      // member length
    double value;  // stored value expected
    int kind;      // stored kind expected
};

TEST_F(Doc, DegreeOfFixityBecomesAStiffness)
{
    // v E I 0.03 / ((1 - v/100) L 1e5): 50 * 21000 * 1000 * 0.03 / (0.5 * 5 * 1e5) = 126;
    // cmy takes the second axis (I2 = 2000): 252.
    const FixityCase cases[] = {
        {3, 50, 5, 126.0, 0},
        {5, 50, 5, 126.0, 0},
        {4, 50, 5, 252.0, 0},
        {3, 100, 5, kRigidSpring, 0},
        {3, 150, 5, kRigidSpring, 0},
        {3, 50, 0, 50.0, 1},  // no member length: written unchanged
    };
    const char* keys[7] = {"cx", "cy", "cz", "cmx", "cmy", "cmz", "cwoelb"};
    const char* kinds[7] = {"cxTyp", "cyTyp", "czTyp", "cmxTyp", "cmyTyp", "cmzTyp", "cwTyp"};
    for (const FixityCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " v " << c.v << " L " << c.L);
        CSupport s;
        s.m_dE = 21000;
        s.m_dI1 = 1000;
        s.m_dI2 = 2000;
        s.m_dL = c.L;
        s.SetValueByIdx(c.index, CFormulaValue(c.v), 1);
        ZVELEM e = Add("support");
        s.WriteData(e);
        const double stored = ZEVUD_GetDouble(e, keys[c.index]);
        EXPECT_TRUE(std::isfinite(stored));
        EXPECT_NEAR(stored, c.value, 1e-9);
        EXPECT_EQ(ZEVUD_GetInt(e, kinds[c.index]), c.kind);
    }
}

TEST_F(Doc, SpringDataWithoutMemberAboveWritesNoneOfItsValues)
{
    CSpringData d;
    d.m_bEnableOben = 0;
    d.m_oemod = 1.0;  // not written
    ZVELEM e = Add("sd");
    d.WriteData(e);
    for (const char* key : {"oemod", "ograd", "oh", "oqkd", "oqrb", "oqrd", "oqtyp", "olage", "oProfFamily",
                            "oProfile", "oIy"})
        EXPECT_FALSE(ZEVUD_HasAttr(e, key)) << key;
    EXPECT_TRUE(ZEVUD_HasAttr(e, "bEnableOben"));
    EXPECT_TRUE(ZEVUD_HasAttr(e, "uemod"));
    CSpringData back;
    back.ReadData(e);
    EXPECT_EQ(back.m_bEnableOben, 0);
    EXPECT_EQ(back.m_oemod, 29900.0);
    EXPECT_EQ(back.m_oProfile, "HEA 120");
}

TEST(Support, WrongIndexIsReportedAndChangesNothing)
{
    winsys::ScopedRecordingSink sink;
    CSupport s;
    CFormulaValue v(3.0);
    int kind = 7;
    s.GetValueByIdx(7, v, kind);
    s.SetValueByIdx(-1, CFormulaValue(9.0), 2);
    s.GetSpringDataByIdx(7);
    s.SetSpringDataByIdx(8, CSpringData());
    ASSERT_EQ(sink.messages.size(), 4u);
    EXPECT_EQ(sink.messages[0].text, "CSupport::GetValueByIdx: Wrong idx!");
    EXPECT_EQ(sink.messages[1].text, "CSupport::SetValueByIdx: Wrong idx!");
    EXPECT_EQ(sink.messages[2].text, "CSupport::GetSpringDataByIdx: Wrong idx!");
    EXPECT_EQ(sink.messages[3].text, "CSupport::SetSpringDataByIdx: Wrong idx!");
    EXPECT_EQ(v.GetValue(), 3.0);
    EXPECT_EQ(kind, 7);
}

TEST(Support, ClearPercentKindsLeavesOtherKinds)
{
    CSupport s;
    const int kinds[7] = {1, 0, -1, 1, 2, 1, 1};
    std::copy(kinds, kinds + 7, s.m_kind);
    s.ClearPercentKinds();
    const int expected[7] = {0, 0, -1, 0, 2, 0, 0};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(s.m_kind[i], expected[i]) << i;
}

// ---- write, read, write ----------------------------------------------------

TEST_F(Doc, LoadRoundTrip)
{
    CLoadDef load;
    load.m_iLoadCase = 3;
    load.m_iLoadType = 2;
    load.m_iNode = 1;
    load.m_iDirection = 2;
    load.m_bHasDirection = 1;
    load.m_offset.SetFromText("l1/2");
    load.m_length.SetValue(2.5);
    load.m_ez.SetValue(-0.1);
    for (int i = 0; i < 6; ++i) load.m_val[i].SetValue(i * 1.5);
    load.m_LCGen.m_strText = "1,4";
    load.m_strDesc = "Schnee über Öffnung";
    ExpectRoundTrip(load);
}

TEST_F(Doc, HingeRoundTrip)
{
    CHinge h;
    h.m_iNode = 2;
    h.m_offset.SetValue(0.75);
    h.m_release[1] = h.m_release[6] = 1;
    h.m_strDesc = "Gelenk";
    ExpectRoundTrip(h);
    ZVELEM e = Add("h");
    h.WriteData(e);
    CHinge back;
    back.ReadData(e);
    EXPECT_EQ(back.m_release[6], 1);
    EXPECT_EQ(back.m_release[0], 0);
}

TEST_F(Doc, SupportRoundTrip)
{
    CSupport s;
    s.m_cz.SetValue(-1.0);
    s.m_cmy.SetFromText("c0*2");
    s.m_iNode = 1;
    s.m_posX.SetValue(6.0);
    s.m_kind[2] = 0;
    s.m_springData[3].m_bEnableUnten = 0;
    s.m_springData[4].m_oProfile = "IPE 300";
    ExpectRoundTrip(s);
    ZVELEM e = Add("s");
    s.WriteData(e);
    CSupport back;
    back.ReadData(e);
    EXPECT_EQ(back.m_springData[4].m_oProfile, "IPE 300");
    EXPECT_EQ(back.m_springData[3].m_bEnableUnten, 0);
    EXPECT_EQ(back.m_cmy.GetFormula(), "c0*2");
}

}  // namespace
