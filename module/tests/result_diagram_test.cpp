// Result diagrams and section outlines as the calls the graph control
// receives; value-grid values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/Rail.h"
#include "module/ResultTable.h"
#include "module/Section.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

CResultSet Set(int type, std::vector<float> data, float mn, float mx) {
    CResultSet s;
    s.m_type = type;
    s.m_data = std::move(data);
    s.m_min = mn;
    s.m_max = mx;
    s.m_yOffset = 0;
    s.m_factor = 1;
    s.m_strUnit = "kN";
    s.m_strTitle = "N";
    return s;
}

std::vector<std::string> Draw(CResultSet& s) {
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    s.DrawDiagram(g);
    return rec.calls;
}

size_t Count(const std::vector<std::string>& calls, const std::string& prefix) {
    return static_cast<size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

}  // namespace

TEST(GenerateTicks, Values) {
    struct Case {
        double low, high;
        int count;
        std::vector<double> want;
    };
    const Case cases[] = {
        // Step 10^0 = 1 gives 3 intervals (< 5), halved to 0.5.
        {0, 3, 5, {0, 0.5, 1, 1.5, 2, 2.5, 3}},
        {-3, 3, 5, {-3, -2, -1, 0, 1, 2, 3}},
        {2.5, 2.5, 5, {2.5}},
        {3, 0, 5, {3}},
        {0, kInf, 5, {0}},
        {-kInf, 0, 5, {-kInf}},
        {1, kNaN, 5, {1}},
    };
    for (const Case& c : cases) {
        std::vector<double> got = {99};
        GenerateTicks(c.low, c.high, c.count, got);
        ASSERT_EQ(got.size(), c.want.size()) << c.low << " .. " << c.high;
        for (size_t i = 0; i < got.size(); ++i) {
            if (std::isinf(c.want[i]))
                EXPECT_EQ(got[i], c.want[i]);
            else
                EXPECT_NEAR(got[i], c.want[i], 1e-12);
        }
    }
    std::vector<double> got;
    GenerateTicks(kNaN, 1, 5, got);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(std::isnan(got[0]));
    GenerateTicks(0, 1, 1000000000, got);
    EXPECT_LE(got.size(), kMaxTicks);
}

// Interval 2 .. -2: middle 0, filled as not positive; base at y(0) = 2.
TEST(ResultDiagram, CurveIntervalsAreFilledByTheirMiddleValue) {
    CResultSet s = Set(0, {0, 2, 1, -2}, -2, 2);
    const auto calls = Draw(s);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], "Method35(0x5A5AFF,0,0,0)");
    EXPECT_EQ(calls[1], "Method5(4,[0,0,1,1],[2,0,4,2])");
    EXPECT_EQ(calls[2], "Method35(0x000000,0,0,0)");
    EXPECT_EQ(calls[3], "Method3(0,0,1,4)");
    // Two value labels (minimum and maximum) with the unit.
    EXPECT_EQ(Count(calls, "Method9("), 2u);
}

TEST(ResultDiagram, BarWithEqualEndsHasOneStretchAndOneLabel) {
    // R = 10: bar 0.25 wide; breakpoints 0 and 5; y(v) = 5 - v.
    CResultSet s = Set(3, {0, 5, 5, 10, 0, 0}, 0, 5);
    const auto calls = Draw(s);
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(calls[0], "Method35(0xFFDAB5,0,3,0)");
    EXPECT_EQ(calls[1], "Method5(4,[-0.125,0.125,0.125,-0.125],[5,5,0,0])");
    EXPECT_EQ(calls[2], "Method35(0x000000,0,3,0)");
    EXPECT_EQ(calls[3], calls[1]);
    EXPECT_EQ(calls[4], "Method35(0x000000,0,0,0)");
    EXPECT_EQ(calls[5], "Method9(0,0,0.6,-0.2,0,0.2,\"5.000 kN\")");
    EXPECT_EQ(Count(calls, "Method9("), 1u);
    EXPECT_EQ(Count(calls, "Method5("), 2u);
}

TEST(ResultDiagram, GridLinesThenOneMethod55) {
    CResultSet s = Set(0, {0, 1, 2, 3, 4, 1}, 1, 3);
    s.m_extremes = {0, 2};
    const auto calls = Draw(s);
    const auto at = std::find(calls.begin(), calls.end(), "Method55()");
    ASSERT_NE(at, calls.end());
    EXPECT_EQ(Count(calls, "Method55("), 1u);
    // Before it: the grid colour and one vertical line per extreme.
    const size_t i = static_cast<size_t>(at - calls.begin());
    ASSERT_GE(i, 3u);
    EXPECT_EQ(calls[i - 3], "Method35(0xC0C0C0,2,0,0)");
    EXPECT_EQ(calls[i - 2].rfind("Method3(0,", 0), 0u);
    EXPECT_EQ(calls[i - 1].rfind("Method3(2,", 0), 0u);
}

TEST(ResultDiagram, WholeNumberGridWithoutDecimals) {
    CResultSet s = Set(0, {0, 0.4f, 4, 3.7f}, 0.4f, 3.7f);
    s.m_nDigits = 0;
    const auto calls = Draw(s);
    std::vector<std::string> values;
    for (const auto& c : calls)
        if (c.rfind("Method7(", 0) == 0 && c.find(",0,") != std::string::npos) {
            const auto q = c.find('"');
            values.push_back(c.substr(q + 1, c.size() - q - 3));
        }
    // Grid values first (whole numbers from trunc(0.4 + 0.5) below 3.5).
    ASSERT_GE(values.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(values.begin(), values.begin() + 4),
              (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST(ResultDiagram, NothingForOtherTypesOrNonFiniteScales) {
    CResultSet type1 = Set(1, std::vector<float>(14, 1.0f), 0, 1);
    EXPECT_TRUE(Draw(type1).empty());
    CResultSet constant = Set(0, {0, 1, 1, 1}, 1, 1);
    constant.m_factor = static_cast<float>(0.25 / (constant.m_max - constant.m_min));  // infinite
    EXPECT_TRUE(Draw(constant).empty());
    CResultSet nan = Set(0, {0, 1, 1, std::numeric_limits<float>::quiet_NaN()}, 0, 1);
    EXPECT_TRUE(Draw(nan).empty());
}

TEST(SectionOutline, FilledOutlineCentredInItsCellWithTheRailOnTop) {
    CSection sec;
    sec.m_contourX = {-5, 5, 5, -5};
    sec.m_contourY = {-10, -10, 10, 10};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    EXPECT_DOUBLE_EQ(sec.DrawOutline(g, 30), 30.0);
    ASSERT_EQ(rec.calls.size(), 4u);
    EXPECT_EQ(rec.calls[0], "Method35(0xFFD0C0,0,0,0)");
    EXPECT_EQ(rec.calls[1], "Method5(4,[10,20,20,10],[0,0,-20,-20])");
    EXPECT_EQ(rec.calls[3], rec.calls[1]);

    // A flat bar 50 x 30 mm on a crane runway of crane type 0; none for type 1.
    CRail rail;
    rail.m_iTyp = 1;
    rail.m_b = CFormulaValue{50.0};
    rail.m_h = CFormulaValue{30.0};
    rec.calls.clear();
    EXPECT_DOUBLE_EQ(sec.DrawOutline(g, 4, &rail, 0), 10.0);
    ASSERT_EQ(rec.calls.size(), 8u);
    EXPECT_EQ(rec.calls[5], "Method5(4,[2.5,7.5,7.5,2.5],[0,0,3,3])");
    rec.calls.clear();
    sec.DrawOutline(g, 4, &rail, 1);
    EXPECT_EQ(rec.calls.size(), 4u);

    // An outline of two closed parts (a flange over a web) is filled part by
    // part: no band across from the end of one part to the start of the next.
    CSection parts;
    parts.m_contourX = {-5, 5, 5, -5, -5, -1, 1, 1, -1, -1};
    parts.m_contourY = {0, 0, 2, 2, 0, 2, 2, 10, 10, 2};
    rec.calls.clear();
    parts.DrawOutline(g, 10);
    EXPECT_EQ(rec.Matching("Method5("),
              (std::vector<std::string>{"Method5(5,[0,10,10,0,0],[0,0,-2,-2,0])", "Method5(5,[4,6,6,4,4],[-2,-2,-10,-10,-2])",
                                        "Method5(5,[0,10,10,0,0],[0,0,-2,-2,0])",
                                        "Method5(5,[4,6,6,4,4],[-2,-2,-10,-10,-2])"}));

    CSection empty;
    empty.m_contourX.clear();
    empty.m_contourY.clear();
    rec.calls.clear();
    EXPECT_DOUBLE_EQ(empty.DrawOutline(g, 12), 12.0);
    EXPECT_TRUE(rec.calls.empty());
}
