// Result value tables (document form, rows and blocks, resampling onto other
// node positions) and result series (curve operations, document form).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "module/ResultTable.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace {

class Doc {
public:
    Doc() : doc_(ZEVUD_CreateDoc("")), root_(ZEVUD_GetRootElement(doc_)) {}
    ~Doc() { ZEVUD_CloseDoc(doc_); }
    ZVELEM Root() const { return root_; }
    ZVELEM Add(const char* name) const { return ZEVUD_AddChildElement(root_, name); }

private:
    ZVDOC doc_;
    ZVELEM root_;
};

template <class T>
void SetBin(ZVELEM e, const char* attr, const std::vector<T>& v) {
    ZEVUD_SetBinData(e, attr, static_cast<int>(v.size() * sizeof(T)), v.data(), 1);
}

template <class T>
std::vector<T> GetBin(ZVELEM e, const char* attr) {
    std::vector<unsigned char> bytes = zevud::GetBinData(e, attr);
    std::vector<T> v(bytes.size() / sizeof(T));
    if (!v.empty()) std::memcpy(v.data(), bytes.data(), v.size() * sizeof(T));
    return v;
}

// A table of one load case and one value id over the given nodes.
CResultTable OneRow(const std::vector<double>& x, const std::vector<double>& values) {
    CResultTable t;
    t.Init(1, static_cast<int32_t>(x.size()), 1);
    t.SetXPositions(x.data(), 0, 1);
    t.SetRow(0, 0, values.data(), 0, 1);
    return t;
}

std::vector<double> Row(const CResultTable& t, int32_t lc, int32_t v) {
    std::vector<double> out(static_cast<size_t>(t.GetNumNodes()));
    t.GetRow(lc, v, out.data(), 0, 1);
    return out;
}

}  // namespace

// ---- document form -------------------------------------------------------------

TEST(ResultTableDocument, ReadingRenumbersTheColumns) {
    Doc doc;
    ZVELEM e = doc.Add("table");
    ZEVUD_SetInt(e, "numOfLoadCases", 1);
    ZEVUD_SetInt(e, "numOfNodes", 2);
    ZEVUD_SetInt(e, "numOfValues", 3);
    SetBin<int32_t>(e, "valIdx", {0, -1, 5});
    SetBin<double>(e, "val", {1, 2, 3, 4});  // node 0: ids 0, 2; node 1: ids 0, 2
    SetBin<double>(e, "xpos", {0.0, 5.0});
    CResultTable t;
    t.ReadData(e);
    EXPECT_EQ(t.m_valIdx, (std::vector<int32_t>{0, -1, 1}));
    EXPECT_EQ(t.GetNumColumns(), 2);
    EXPECT_TRUE(t.IsValid());
    EXPECT_EQ(Row(t, 0, 2), (std::vector<double>{2, 4}));
    EXPECT_EQ(Row(t, 0, 1), (std::vector<double>{0, 0}));  // an absent value reads as zeros
    EXPECT_EQ(t.m_tags, (std::vector<int32_t>{-1, -1}));
}

TEST(ResultTableDocument, WriteAndReadBack) {
    CResultTable t = OneRow({0.0, 2.5, 5.0}, {1.5, -2.0, 3.25});
    t.m_tags = {4, -1, 2};
    t.m_noInterpolation = {1};
    Doc doc;
    ZVELEM e = doc.Add("table");
    t.WriteData(e);
    EXPECT_EQ(GetBin<double>(e, "val").size(), 3u);
    CResultTable back;
    back.ReadData(e);
    EXPECT_EQ(back.m_values, t.m_values);
    EXPECT_EQ(back.m_xPos, t.m_xPos);
    EXPECT_EQ(back.m_tags, t.m_tags);
    EXPECT_EQ(back.m_noInterpolation, t.m_noInterpolation);
}

// Stored arrays of another length than their counts say: what both allow is
// taken, the rest is zero (and no byte beyond the stored data is read).
TEST(ResultTableDocument, ShortAndLongBinaryDataReadWithoutOverrun) {
    struct Case {
        std::vector<double> val, xpos;
        std::vector<int32_t> valIdx;
        std::vector<double> expectVal, expectX;
        std::vector<int32_t> expectIdx;
    };
    const Case cases[] = {
        {{7.0}, {1.0}, {0}, {7.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, {0}},
        {{1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4}, {0, 3, 9}, {1, 2, 3}, {0, 1, 2}, {0}},
        {{}, {}, {}, {0, 0, 0}, {0, 0, 0}, {0}},  // nothing stored: zeros, so the value counts as present
        {{1, 2, 3}, {0, 1, 2}, {-7}, {}, {0, 1, 2}, {-1}},  // a negative index other than -1: absent
    };
    for (const Case& c : cases) {
        Doc doc;
        ZVELEM e = doc.Add("table");
        ZEVUD_SetInt(e, "numOfLoadCases", 1);
        ZEVUD_SetInt(e, "numOfNodes", 3);
        ZEVUD_SetInt(e, "numOfValues", 1);
        if (!c.valIdx.empty()) SetBin(e, "valIdx", c.valIdx);
        if (!c.val.empty()) SetBin(e, "val", c.val);
        if (!c.xpos.empty()) SetBin(e, "xpos", c.xpos);
        SetBin<int32_t>(e, "maxTag", {3});
        CResultTable t;
        t.ReadData(e);
        EXPECT_EQ(t.m_valIdx, c.expectIdx);
        EXPECT_EQ(t.m_values, c.expectVal);
        EXPECT_EQ(t.m_xPos, c.expectX);
        EXPECT_EQ(t.m_tags, (std::vector<int32_t>{3, -1, -1}));
    }
}

TEST(ResultTableDocument, AbsurdCountsGiveAnEmptyTableAndAMessage) {
    const int32_t counts[][3] = {{-1, 3, 1}, {1, -5, 1}, {1000000, 1000000, 1000}, {1, 1, 2000000000}};
    for (const auto& c : counts) {
        winsys::ScopedRecordingSink sink;
        Doc doc;
        ZVELEM e = doc.Add("table");
        ZEVUD_SetInt(e, "numOfLoadCases", c[0]);
        ZEVUD_SetInt(e, "numOfNodes", c[1]);
        ZEVUD_SetInt(e, "numOfValues", c[2]);
        CResultTable t;
        t.ReadData(e);
        EXPECT_FALSE(t.IsValid());
        EXPECT_EQ(t.GetNumNodes(), 0);
        EXPECT_TRUE(t.m_values.empty());
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].text.find("beschädigt"), std::string::npos);
    }
}

TEST(ResultTableDocument, NonFiniteValuesAreStoredAsZero) {
    CResultTable t = OneRow({0.0, 1.0}, {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL});
    Doc doc;
    ZVELEM e = doc.Add("table");
    t.WriteData(e);
    EXPECT_EQ(GetBin<double>(e, "val"), (std::vector<double>{0.0, 0.0}));
}

// ---- rows and blocks ---------------------------------------------------------------

TEST(ResultTableRows, StridesAndPairs) {
    CResultTable t;
    t.Init(2, 5, 2);
    const double src[] = {9, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5};
    t.SetRow(1, 1, src, 2, 2);
    EXPECT_EQ(Row(t, 1, 1), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Row(t, 0, 1), (std::vector<double>{0, 0, 0, 0, 0}));
    const float pairs[] = {10, 20, 30};
    t.SetRowFloatPairs(0, 0, pairs, 0, 1);  // nodes 1,2 and 3,4 share an entry
    EXPECT_EQ(Row(t, 0, 0), (std::vector<double>{10, 20, 20, 30, 30}));
    float out[10] = {};
    t.GetRowFloat(0, 0, out, 1, 2);
    EXPECT_FLOAT_EQ(out[1], 10.0f);
    EXPECT_FLOAT_EQ(out[9], 30.0f);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
}

TEST(ResultTableRows, StoreBlockMergesEveryElementAndReplaceSetsTags) {
    CResultTable t;
    t.Init(2, 2, 2);
    t.SetTag(1, 0, 7);
    const double first[] = {5, 5, 5, 5};
    t.StoreBlockMax(1, first, true);
    EXPECT_EQ(t.m_tags, (std::vector<int32_t>{7, 7}));
    t.m_tags = {-1, -1};
    const double block[] = {9, 1, 6, 2};
    t.StoreBlockMax(1, block, false);
    EXPECT_EQ(std::vector<double>(t.GetBlock(1), t.GetBlock(1) + 4), (std::vector<double>{9, 5, 6, 5}));
    t.StoreBlockMin(1, block, false);
    EXPECT_EQ(std::vector<double>(t.GetBlock(1), t.GetBlock(1) + 4), (std::vector<double>{9, 1, 6, 2}));
    EXPECT_EQ(t.m_tags, (std::vector<int32_t>{-1, -1}));
    EXPECT_EQ(t.GetBlock(2), nullptr);
}

TEST(ResultTableRows, InitRenumbersTheGivenMap) {
    CResultTable t;
    t.m_valIdx = {-1, 5, -1, 7};
    ASSERT_TRUE(t.Init(1, 3, 4));
    EXPECT_EQ(t.m_valIdx, (std::vector<int32_t>{-1, 0, -1, 1}));
    EXPECT_EQ(t.GetNumColumns(), 2);
    EXPECT_EQ(t.m_values.size(), 6u);
}

// ---- resampling -------------------------------------------------------------------

TEST(ResultTableResample, IdenticalPositionsKeepTheNodeCount) {
    struct Case {
        int mode;
        std::vector<double> expect;
    };
    const Case cases[] = {{0, {1, -4, 3}}, {1, {2, 5, 6}}, {2, {3, 1, 9}}};
    for (const Case& c : cases) {
        CResultTable t = OneRow({0.0, 1.0, 2.0}, {1, 5, 6});
        const double p[] = {0.005, 0.995, 2.0};  // equal within 0.01
        const double w[] = {2, -4, 3};
        t.Resample(0, 0, 3, p, w, c.mode);
        EXPECT_EQ(t.GetNumNodes(), 3) << c.mode;
        EXPECT_EQ(Row(t, 0, 0), c.expect) << c.mode;
        EXPECT_EQ(t.m_xPos, (std::vector<double>{0.0, 1.0, 2.0}));
    }
}

TEST(ResultTableResample, MaximumOnIdenticalPositionsSetsTags) {
    CResultTable t = OneRow({0.0, 1.0, 2.0}, {1, 5, 6});
    t.SetTag(0, 0, 3);
    t.SetTagValueId(0);
    t.m_tags = {-1, 2, 2};
    const double p[] = {0, 1, 2};
    const double w[] = {0, 7, 4};
    t.ResampleMax(0, 0, 3, p, w);
    EXPECT_EQ(t.m_tags, (std::vector<int32_t>{3, 3, 2}));  // untagged, and raised
    EXPECT_EQ(Row(t, 0, 0), (std::vector<double>{1, 7, 6}));
}

// Table at 0, 2, 4 with values 0, 2, 4 (a line), curve at 0, 1, 4 with
// values 1, 1, 1: merged positions 0, 1, 2, 4. At x=1 the table line gives 1,
// at x=2 the curve line between (1,1) and (4,1) gives 1.
TEST(ResultTableResample, OtherPositionsAreMergedAndInterpolated) {
    struct Case {
        int mode;
        std::vector<double> expect;
    };
    const Case cases[] = {{0, {0, 1, 1, 1}}, {1, {1, 1, 2, 4}}, {2, {1, 2, 3, 5}}};
    for (const Case& c : cases) {
        CResultTable t;
        t.Init(2, 3, 2);
        const double x[] = {0, 2, 4};
        t.SetXPositions(x, 0, 1);
        const double line[] = {0, 2, 4};
        const double other[] = {10, 20, 30};
        t.SetRow(0, 0, line, 0, 1);
        t.SetRow(1, 1, other, 0, 1);
        t.SetValueUsed(1);  // value id 1 is not interpolated
        const double p[] = {0, 1, 4};
        const double w[] = {1, 1, 1};
        t.Resample(0, 0, 3, p, w, c.mode);
        EXPECT_EQ(t.m_xPos, (std::vector<double>{0, 1, 2, 4}));
        EXPECT_EQ(Row(t, 0, 0), c.expect) << c.mode;
        // Other rows: old values at old positions; the new position 1 gets 0
        // for the value without interpolation, and the line value for the other.
        EXPECT_EQ(Row(t, 1, 1), (std::vector<double>{10, 0, 20, 30}));
        EXPECT_EQ(Row(t, 1, 0), (std::vector<double>{0, 0, 0, 0}));
    }
}

// In maximum mode the tag row's merged nodes governed by the curve get the
// tag value; nodes taken from the curve otherwise carry the tag before them.
TEST(ResultTableResample, MergedNodesTakeTheirTags) {
    CResultTable t = OneRow({0, 2, 4}, {5, 0, 5});
    t.m_tags = {1, 2, 1};
    t.SetTag(0, 0, 9);
    t.SetTagValueId(0);
    const double p[] = {0, 1, 3, 4};
    const double w[] = {0, 1, 4, 0};
    t.ResampleMax(0, 0, 4, p, w);
    EXPECT_EQ(t.m_xPos, (std::vector<double>{0, 1, 2, 3, 4}));
    // x=1: table line 2.5 beats 1 -> tag of the node before (1); x=2: the
    // curve line gives 2.5 > 0 -> 9; x=3: curve 4 beats 2.5 -> 9.
    EXPECT_EQ(Row(t, 0, 0), (std::vector<double>{5, 2.5, 2.5, 4, 5}));
    EXPECT_EQ(t.m_tags, (std::vector<int32_t>{1, 1, 9, 9, 1}));
}

// A curve at some of the table's positions (0, 2, 4 of 0 .. 4) is
// interpolated at the others; the table keeps its nodes, its other rows and,
// off the curve's governing nodes, its tags. By hand: at x=1 the curve gives
// 2 (max 5 stays), at x=3 it gives 4; the second row takes the minimum with
// 20, 10, 0, 0, 0.
TEST(ResultTableResample, CurveOnSomeOfTheTablesPositions) {
    CResultTable t;
    t.Init(2, 5, 2);
    const double x[] = {0, 1, 2, 3, 4};
    t.SetXPositions(x, 0, 1);
    const double a[] = {0, 5, 0, 0, 0}, b[] = {10, 11, 12, 13, 14}, c[] = {-1, -2, -3, -4, -5};
    t.SetRow(0, 0, a, 0, 1);
    t.SetRow(0, 1, b, 0, 1);
    t.SetRow(1, 0, c, 0, 1);
    t.SetTag(0, 0, 7);
    t.SetTagValueId(0);
    t.m_tags = {1, 1, 1, 1, 1};
    const double p[] = {0, 2, 4};
    const double w[] = {2, 2, 6}, w2[] = {20, 0, 0};
    t.ResampleMax(0, 0, 3, p, w);
    t.ResampleMin(0, 1, 3, p, w2);
    EXPECT_EQ(t.m_xPos, (std::vector<double>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Row(t, 0, 0), (std::vector<double>{2, 5, 2, 4, 6}));
    EXPECT_EQ(Row(t, 0, 1), (std::vector<double>{10, 10, 0, 0, 0}));
    EXPECT_EQ(Row(t, 1, 0), (std::vector<double>{-1, -2, -3, -4, -5}));
    EXPECT_EQ(Row(t, 1, 1), (std::vector<double>{0, 0, 0, 0, 0}));
    EXPECT_EQ(t.m_tags, (std::vector<int32_t>{7, 1, 7, 7, 7}));
}

TEST(ResultTableResample, OtherRowsAreInterpolatedAtNewPositions) {
    CResultTable t;
    t.Init(2, 2, 1);
    const double x[] = {0, 4};
    t.SetXPositions(x, 0, 1);
    const double a[] = {0, 8};
    t.SetRow(1, 0, a, 0, 1);
    const double p[] = {0, 1, 4};
    const double w[] = {0, 0, 0};
    t.ResampleSum(0, 0, 3, p, w);
    EXPECT_EQ(Row(t, 1, 0), (std::vector<double>{0, 2, 8}));
}

// Curves that do not cover the table's span keep every position of both
// lists and read nothing outside either of them.
TEST(ResultTableResample, CurvesBeyondTheTableSpan) {
    struct Case {
        std::vector<double> p, w;
        std::vector<double> expectX, expectV;
    };
    const Case cases[] = {
        {{-1, 0, 1}, {5, 5, 5}, {-1, 0, 1, 2}, {5, 5, 5, 2}},   // starts before, ends inside
        {{1, 3}, {9, 9}, {0, 1, 2, 3}, {0, 9, 9, 9}},            // starts inside, ends after
        {{5, 6}, {1, 1}, {0, 1, 2, 5, 6}, {0, 1, 2, 1, 1}},      // entirely after
    };
    for (const Case& c : cases) {
        CResultTable t = OneRow({0, 1, 2}, {0, 1, 2});
        t.ResampleMax(0, 0, static_cast<int>(c.p.size()), c.p.data(), c.w.data());
        EXPECT_EQ(t.m_xPos, c.expectX);
        EXPECT_EQ(Row(t, 0, 0), c.expectV);
    }
}

TEST(ResultTableResample, HelpersFollowTheirDefinitions) {
    EXPECT_DOUBLE_EQ(CResultTable::Interpolate(1.5, 1, 3, 10, 20), 12.5);
    EXPECT_EQ(CResultTable::Combine(1, 2, 0), 1);
    EXPECT_EQ(CResultTable::Combine(1, 2, 1), 2);
    EXPECT_EQ(CResultTable::Combine(1, 2, 2), 3);
    EXPECT_EQ(CResultTable::Combine(1, 2, 7), 1);
}

// ---- result sets ---------------------------------------------------------------------

TEST(ResultSet, FindExtremesWidensTheRangeToZero) {
    struct Case {
        int type;
        std::vector<float> data;
        float min, max, xMin, xMax;
    };
    const Case cases[] = {
        {0, {0, -2, 1, 3, 2, 3}, -2, 3, 0, 1},   // spans zero: kept; equal maxima: the first
        {0, {0, 2, 1, 5}, 0, 5, 0, 1},           // all positive: minimum becomes 0
        {0, {0, -2, 1, -5}, -5, 0, 1, 0},        // all negative: maximum becomes 0
        {2, {0, 1, -4, 1, 2, 3}, -4, 3, 0, 1},   // both rows take part
    };
    for (const Case& c : cases) {
        CResultSet s;
        s.m_type = c.type;
        s.m_data = c.data;
        s.FindExtremes();
        EXPECT_FLOAT_EQ(s.m_min, c.min);
        EXPECT_FLOAT_EQ(s.m_max, c.max);
        EXPECT_EQ(s.m_extremes, (std::vector<float>{c.xMin, c.xMax}));
    }
}

TEST(ResultSet, ZeroCrossings) {
    CResultSet s;
    s.m_type = 0;
    s.m_data = {0, -2, 4, 6, 5, 6};  // crossing where the line from (0,-2) to (4,6) meets zero: x=1
    s.m_poi = {1, 2, 3};
    s.InsertZeroCrossings();
    EXPECT_EQ(s.m_data, (std::vector<float>{0, -2, 1, 0, 4, 6, 5, 6}));
    EXPECT_EQ(s.m_poi, (std::vector<int32_t>{1, 0, 2, 3}));

    CResultSet band;
    band.m_type = 2;
    band.m_data = {1, 3, 3, 2, -2, -2};
    band.InsertZeroCrossings();
    EXPECT_EQ(band.m_data, (std::vector<float>{1, 0, 3, 2, -2, 0}));

    CResultSet wide;  // the rows differ: left as they are
    wide.m_type = 2;
    wide.m_data = {1, 3, -3, 2, 2, -2};
    wide.InsertZeroCrossings();
    EXPECT_EQ(wide.m_data, (std::vector<float>{1, 3, -3, 2, 2, -2}));
}

TEST(ResultSet, ReducePointsThinsStraightLinesAndNeverDividesByZero) {
    CResultSet line;
    line.m_type = 0;
    line.m_data = {0, 0, 1, 1, 2, 2, 3, 3, 4, 0};
    line.FindExtremes();
    line.ReducePoints();
    EXPECT_EQ(line.m_data, (std::vector<float>{0, 0, 3, 3, 4, 0}));

    for (const std::vector<float>& flat : {std::vector<float>{0, 2, 1, 2, 2, 2}, std::vector<float>{1, 0, 1, 1, 1, 2}}) {
        CResultSet s;  // no value range, or no x range
        s.m_type = 0;
        s.m_data = flat;
        s.m_min = 2;
        s.m_max = 2;
        if (flat[0] == 1) {
            s.m_min = 0;
            s.m_max = 2;
        }
        s.ReducePoints();
        EXPECT_EQ(s.m_data, flat);
        for (float f : s.m_data) EXPECT_TRUE(std::isfinite(f));
    }
}

TEST(ResultSet, ReducePointsLeavesACurveWithoutSearchedExtremes) {
    CResultSet s;  // minimum 1e10 and maximum -1e10: no value range yet
    s.m_data = {0, 0, 1, 1, 2, 2};
    s.ReducePoints();
    EXPECT_EQ(s.m_data, (std::vector<float>{0, 0, 1, 1, 2, 2}));
}

TEST(ResultSet, IsAllZeroTestsValuesOnly) {
    CResultSet s;
    s.m_data = {1000, 1e-7f, 2000, -1e-7f};
    EXPECT_TRUE(s.IsAllZero());
    s.m_data[3] = 1e-6f;
    EXPECT_FALSE(s.IsAllZero());
}

// ---- result series in the document ------------------------------------------------------

TEST(ResultSeries, TypeZeroSetOfTenFloatsIsWrittenWithFivePoints) {
    Doc doc;
    CResultSet s;
    s.m_type = 0;
    s.m_strTitle = "LF 1\\My";
    s.m_strUnit = "kNm";
    s.m_data = {0, 1, 1, 2, 2, 3, 3, 4, 4, std::numeric_limits<float>::infinity()};
    ZVELEM leaf = WriteResultSet(s, doc.Root());
    EXPECT_EQ(ZEVUD_GetInt(leaf, "dataLength"), 5);
    EXPECT_EQ(GetBin<float>(leaf, "data").back(), 0.0f);  // no non-finite number stored
    ZVELEM lf = ZEVUD_GetParentElement(leaf);
    EXPECT_EQ(zevud::GetString(lf, "title"), "LF 1");
    EXPECT_EQ(zevud::GetString(leaf, "title"), "My");
    // Writing again finds the same elements.
    EXPECT_EQ(WriteResultSet(s, doc.Root()), leaf);
    s.m_type = 2;
    s.m_data.resize(9);
    EXPECT_EQ(ZEVUD_GetInt(WriteResultSet(s, doc.Root()), "dataLength"), 3);
}

TEST(ResultSeries, ReadBackWithPathsUnitsAndSkippedTypes) {
    Doc doc;
    ZVELEM result = doc.Add("result");
    CResultSet s;
    s.m_strTitle = "LF 1\\My";
    s.m_strUnit = "-";
    s.m_data = {0, -1, 2, 1};
    s.m_resType = 4;
    WriteResultSet(s, result);
    ZVELEM skipped = ZEVUD_AddChildElement(result, "node");
    ZEVUD_SetInt(skipped, "type", -1);
    ZEVUD_SetString(skipped, "title", "weg");
    ZVELEM inner = ZEVUD_AddChildElement(skipped, "node");
    SetBin<float>(inner, "data", {0, 1});

    std::vector<CResultSet> sets;
    for (ZVELEM c = ZEVUD_GetFirstChild(result); c; c = ZEVUD_GetNextChild(c)) ReadResultSeries(c, "", 0, 0, sets);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].m_strTitle, "LF 1\\My");
    EXPECT_EQ(sets[0].m_strUnit, "");
    EXPECT_EQ(sets[0].m_resType, 4);
    EXPECT_EQ(sets[0].m_nDigits, 3);
    // The zero crossing at x=1 was inserted and the extremes found.
    EXPECT_EQ(sets[0].m_data, (std::vector<float>{0, -1, 1, 0, 2, 1}));
    EXPECT_FLOAT_EQ(sets[0].m_min, -1);
    EXPECT_FLOAT_EQ(sets[0].m_max, 1);
}

TEST(ResultSeries, ShortOrLongDataReadWithoutOverrun) {
    struct Case {
        int32_t dataLength;  // -1: not stored
        std::vector<float> data;
        std::vector<float> expect;
    };
    const Case cases[] = {
        {4, {0, 1, 1, 2}, {0, 1, 1, 2, 0, 0, 0, 0}},  // short: zero-filled
        {1, {0, 1, 1, 2, 2, 3}, {0, 1}},             // long: cut
        {-1, {0, 1, 1, 2, 9}, {0, 1, 1, 2}},         // no count: whole points of the data
        {2000000000, {0, 1}, {0, 1}},                // absurd count: the stored data
    };
    for (const Case& c : cases) {
        Doc doc;
        ZVELEM e = doc.Add("node");
        ZEVUD_SetString(e, "title", "s");
        if (c.dataLength >= 0) ZEVUD_SetInt(e, "dataLength", c.dataLength);
        SetBin(e, "data", c.data);
        SetBin<int32_t>(e, "poi", {1, 2, 3, 4, 5, 6, 7, 8, 9});
        std::vector<CResultSet> sets;
        ReadResultSeries(e, "Pfad", 0, 0, sets);
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_EQ(sets[0].m_strTitle, "Pfad\\s");
        EXPECT_EQ(sets[0].m_data, c.expect) << c.dataLength;
        EXPECT_EQ(sets[0].m_poi.size(), c.expect.size() / 2);
    }
}

// Rows merged together give the table that Resample gives row after row,
// to the last bit: the reference takes every value id present in both
// tables, ascending, and every merge in its order, one Resample each.
namespace {

void ResampleRowByRow(CResultTable& t, const CResultTable& curve, int32_t ids,
                      const std::vector<CResultTable::RowMerge>& merges) {
    std::vector<double> w(static_cast<size_t>(curve.GetNumNodes()));
    for (int32_t v = 0; v < ids; ++v) {
        if (!curve.HasValue(v) || !t.HasValue(v)) continue;
        for (const CResultTable::RowMerge& r : merges) {
            curve.GetRow(r.from, v, w.data(), 0, 1);
            t.Resample(r.to, v, curve.GetNumNodes(), curve.GetXData().data(), w.data(), r.mode);
        }
    }
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// Every field of the two tables equal, the values bit for bit (a signed
// zero or a NaN in another place counts as a difference).
void ExpectSameTable(const CResultTable& merged, const CResultTable& reference, const std::string& what) {
    EXPECT_EQ(merged.GetNumNodes(), reference.GetNumNodes()) << what;
    EXPECT_TRUE(SameBits(merged.m_xPos, reference.m_xPos)) << what;
    EXPECT_EQ(merged.m_valIdx, reference.m_valIdx) << what;
    EXPECT_EQ(merged.m_tags, reference.m_tags) << what;
    EXPECT_EQ(merged.m_noInterpolation, reference.m_noInterpolation) << what;
    EXPECT_EQ(merged.GetNumColumns(), reference.GetNumColumns()) << what;
    EXPECT_EQ(merged.IsValid(), reference.IsValid()) << what;
    ASSERT_EQ(merged.m_values.size(), reference.m_values.size()) << what;
    for (size_t k = 0; k < merged.m_values.size(); ++k)
        if (std::memcmp(&merged.m_values[k], &reference.m_values[k], sizeof(double)) != 0) {
            ADD_FAILURE() << what << ": value " << k << " is " << merged.m_values[k] << ", row by row "
                          << reference.m_values[k];
            return;
        }
}

// Values that make ties: zeros of both signs, equal values, and numbers.
double Tricky(int i, int v, int l, int seed) {
    switch ((i * 7 + v * 3 + l * 5 + seed) % 9) {
        case 0: return 0.0;
        case 1: return -0.0;
        case 2: return 1.5;
        case 3: return -1.5;
        default: return std::sin(1.3 * i + 0.7 * v + 0.3 * l + seed);
    }
}

CResultTable MakeTable(const std::vector<double>& x, const std::vector<int32_t>& valIdx, int32_t loadCases, int seed) {
    CResultTable t;
    t.m_valIdx = valIdx;
    t.Init(loadCases, static_cast<int32_t>(x.size()), static_cast<int32_t>(valIdx.size()));
    t.m_xPos = x;
    for (int32_t l = 0; l < loadCases; ++l)
        for (int32_t i = 0; i < t.GetNumNodes(); ++i)
            for (int32_t v = 0; v < t.GetNumValues(); ++v)
                if (t.HasValue(v)) t.SetValue(l, i, v, Tricky(i, v, l, seed));
    return t;
}

}  // namespace

// Positions added, interleaved, equal within 0.01, beyond the table,
// identical, a subset of the curve's, twin nodes at one x; values absent in
// one of the tables, a value without interpolation, two merges into one
// row, a sum, and a tag row (which is merged row by row).
TEST(ResultTableRows, MergedRowsEqualResampleRowByRow) {
    struct Case {
        const char* what;
        std::vector<double> tableX, curveX;
        std::vector<int32_t> tableIdx = {0, 0, -1, 0}, curveIdx = {0, 0, -1, 0};
        std::vector<CResultTable::RowMerge> merges = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
        std::vector<int32_t> noInterpolation = {0, 0, 0, 1};
        int32_t tagLoadCase = -1;
    } cases[] = {
        {"same positions", {0, 1, 2, 3}, {0, 1, 2, 3}},
        {"same within 0.01", {0, 1, 2, 3}, {0.004, 0.995, 2.009, 3}},
        {"part of them", {0, 0.5, 1, 1.5, 2, 3}, {0, 1, 2, 3}},
        {"new positions", {0, 1, 2, 3}, {0, 0.25, 1, 2.5, 3}},
        {"interleaved", {0, 0.5, 1.2, 2, 2.7, 3}, {0, 0.3, 1, 1.2, 1.9, 2.5, 3}},
        {"the table a part of the curve", {0, 1, 3}, {0, 1, 2, 3}},
        {"twin nodes", {0, 1, 1, 2, 2, 3}, {0, 0.5, 0.5, 1, 1, 2, 2, 2.5, 2.5, 3}},
        {"near a node, not within 0.01", {0, 1, 2, 3}, {0, 0.985, 1.02, 3}},
        {"wider than the table", {1, 2}, {0, 1.5, 2, 4}},
        {"narrower than the table", {0, 1, 2, 3}, {1, 1.5, 2}},
        {"values absent in one of them", {0, 1, 2, 3}, {0, 0.6, 3}, {0, -1, 0, 0}, {0, 0, 0, -1}},
        {"other columns", {0, 1, 2}, {0, 1.5, 2}, {-1, 0, 0, 0}, {0, 0, 0, 0}},
        {"two merges into one row", {0, 1, 2, 3}, {0, 0.5, 3}, {0, 0, -1, 0}, {0, 0, -1, 0},
         {{0, 1, 1}, {1, 1, 1}, {2, 1, 0}, {0, 0, 2}}},
        {"every value interpolated", {0, 1, 2, 3}, {0, 0.5, 2.5, 3}, {0, 0, -1, 0}, {0, 0, -1, 0},
         {{0, 0, 0}, {1, 1, 1}}, {0, 0, 0, 0}},
        {"first value without interpolation", {0, 1, 2, 3}, {-0.5, 0.5, 2.5, 3.5}, {-1, -1, -1, 0},
         {0, 0, -1, 0}, {{0, 0, 0}, {1, 1, 1}}, {0, 0, 0, 1}},
        {"a tag row", {0, 1, 2, 3}, {0, 0.5, 3}, {0, 0, -1, 0}, {0, 0, -1, 0}, {{0, 0, 0}, {1, 1, 1}},
         {0, 0, 0, 1}, 1},
    };
    for (const Case& c : cases) {
        for (int seed = 0; seed < 9; ++seed) {
            const CResultTable curve = MakeTable(c.curveX, c.curveIdx, 3, 7 * seed + 2);
            CResultTable one = MakeTable(c.tableX, c.tableIdx, 3, seed);
            one.m_noInterpolation = c.noInterpolation;
            if (c.tagLoadCase >= 0) {
                one.SetTag(c.tagLoadCase, 0, 5);
                one.SetTagValueId(1);
            }
            CResultTable together = one;
            ResampleRowByRow(one, curve, 4, c.merges);
            together.MergeRowsFrom(curve, 4, c.merges);
            ExpectSameTable(together, one, std::string(c.what) + " / " + std::to_string(seed));
            // The same curve once more: the table now holds its positions.
            ResampleRowByRow(one, curve, 4, c.merges);
            together.MergeRowsFrom(curve, 4, c.merges);
            ExpectSameTable(together, one, std::string(c.what) + ", again / " + std::to_string(seed));
        }
    }
}

// A runway's envelope: a table that takes run after run of a girder whose
// nodes are a fixed division plus the wheels (two element ends at each),
// moving along it, some of them within 0.01 of earlier ones; every run is
// merged as the crane superposition merges it (minimum and maximum of two
// slots, then other slots, then further combinations one call each; values
// that tie along the girder and zeros of either sign), the table compared
// with the one built row by row after each run.
TEST(ResultTableRows, RunAfterRunEqualsResampleRowByRow) {
    const std::vector<int32_t> idx = {0, -1, 0, 0, 0};
    CResultTable together, one;
    for (int run = 0; run < 40; ++run) {
        std::vector<double> x;
        for (int k = 0; k <= 8; ++k) x.push_back(2.5 * k);
        // Wheels 1.7 apart; every fifth run lands within 0.005 of a
        // wheel position of an earlier run.
        const double wheel = run % 5 == 4 ? 0.3 + 0.45 * (run - 2) + 0.004 : 0.3 + 0.45 * run;
        for (double at : {wheel, wheel + 1.7})
            if (at < 20.0 && std::fabs(at - 2.5 * std::round(at / 2.5)) > 0.02) {
                x.push_back(at);
                x.push_back(at);
            }
        std::sort(x.begin(), x.end());
        CResultTable curve = MakeTable(x, idx, 10, run);
        // Lines that tie: value 3 constant along the girder, equal in
        // several slots, each run beyond the runs before on both sides;
        // value 4 zero throughout, of either sign by slot and run.
        for (int32_t l = 0; l < 10; ++l)
            for (int32_t i = 0; i < curve.GetNumNodes(); ++i) {
                curve.SetValue(l, i, 3, (std::floor(l / 3.0) - 1.0) * (run + 1));
                curve.SetValue(l, i, 4, (l + run) % 2 ? -0.0 : 0.0);
            }
        const std::vector<CResultTable::RowMerge> merges = {{2, 0, 0}, {3, 1, 1}, {0, 2, 0}, {0, 3, 1}};
        if (run == 0) {
            together = curve;
            one = curve;
            continue;
        }
        ResampleRowByRow(one, curve, 5, merges);
        together.MergeRowsFrom(curve, 5, merges);
        ExpectSameTable(together, one, "run " + std::to_string(run));
        // More combinations of the run at the same positions, one call each
        // (as the characteristic combinations come).
        for (int32_t k = 1; k < 10; ++k) {
            const std::vector<CResultTable::RowMerge> more = {{k, 2, 0}, {k, 3, 1}};
            ResampleRowByRow(one, curve, 5, more);
            together.MergeRowsFrom(curve, 5, more);
        }
        ExpectSameTable(together, one, "combinations of run " + std::to_string(run));
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(together.GetNumNodes(), 100);
}
