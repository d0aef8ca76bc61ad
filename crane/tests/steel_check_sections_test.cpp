// Steel-check sections: spans, the cache of library sections, haunches and
// the sorts.
#include <gtest/gtest.h>

#include <cmath>

#include "crane_fixture.h"
#include "platform/ferrum/ferrum.h"
#include "platform/winsys/winsys.h"

namespace {

using cranetest::WeldedI;

struct Sections {
    CSteelCheckSections s;
    winsys::ScopedRecordingSink sink;
    std::vector<int> profiles;
    int Profile(int pro) {
        profiles.push_back(pro);
        return pro;
    }
    ~Sections() {
        s.Reset();
        for (int p : profiles) SEKT_PRO_Delete(p);
    }
};

TEST(SteelCheckSections, FindSpanAlongSpans6_8_1) {
    CSteelCheckSections s;
    s.SetSpanCount(3);
    s.SetSpan(0, 6.0, 0, 0);
    s.SetSpan(1, 8.0, 0, 0);
    s.SetSpan(2, 1.0, 0, 0);
    EXPECT_DOUBLE_EQ(s.m_dTotalLength, 15.0);
    EXPECT_EQ(s.m_spanStarts, (std::vector<double>{0.0, 6.0, 14.0}));
    struct Case {
        double x;
        int span;
        double local;
    };
    const Case cases[] = {
        {0.0, 0, 0.0}, {6.0, 0, 6.0},   // a span's end belongs to it
        {7.5, 1, 1.5}, {14.0, 1, 8.0},
        {14.5, 2, 0.5}, {16.0, 2, 2.0},  // beyond the girder: the last span
    };
    for (const Case& c : cases) {
        double local = -1;
        EXPECT_EQ(s.FindSpan(c.x, local), c.span) << c.x;
        EXPECT_DOUBLE_EQ(local, c.local) << c.x;
    }
    CSteelCheckSections empty;
    double local = 5;
    EXPECT_EQ(empty.FindSpan(1.0, local), -1);
    EXPECT_EQ(empty.GetSteelCheckSectionHandle(1.0), 0);
}

TEST(SteelCheckSections, HandlesSharedPerSpanAndPerTenthInAHaunch) {
    Sections t;
    const int a = t.Profile(WeldedI(60, 30, 2.5, 1.2)), b = t.Profile(WeldedI(80, 30, 2.5, 1.2));
    const int open = FER_hOpenCount();
    t.s.SetSpanCount(2);
    t.s.SetSpan(0, 6.0, a, a);
    t.s.SetSpan(1, 8.0, a, b);  // haunch from 60 to 80 cm
    const int h1 = t.s.GetSteelCheckSectionHandle(1.0);
    EXPECT_GT(h1, 0);
    EXPECT_EQ(t.s.GetSteelCheckSectionHandle(3.0), h1);
    // x = 7.21 and 7.26: trunc(72.1) = trunc(72.6) = 72; 7.35: 73.
    const int h2 = t.s.GetSteelCheckSectionHandle(7.21);
    EXPECT_EQ(t.s.GetSteelCheckSectionHandle(7.26), h2);
    EXPECT_NE(t.s.GetSteelCheckSectionHandle(7.35), h2);
    // Interpolated at local 4 of 8: the web ends at z = 70.
    const int mid = t.s.GetSteelCheckSectionHandle(10.0);
    SektWLine web{};
    ASSERT_EQ(SEKT_PRO_GetWLine(FER_hGetProfile(mid), 2, &web), 0);
    EXPECT_DOUBLE_EQ(web.ze, 70.0);
    EXPECT_EQ(FER_hGetPlateRole(mid, 2), 3);
    EXPECT_EQ(FER_hOpenCount(), open + 4);
    // Far beyond the girder: the haunch's end section (80 cm), not one
    // extrapolated; no number at all: no section.
    const int far = t.s.GetSteelCheckSectionHandle(1.0e12);
    ASSERT_EQ(SEKT_PRO_GetWLine(FER_hGetProfile(far), 2, &web), 0);
    EXPECT_DOUBLE_EQ(web.ze, 80.0);
    EXPECT_EQ(t.s.GetSteelCheckSectionHandle(std::nan("")), 0);
    EXPECT_EQ(FER_hOpenCount(), open + 5);
    t.s.Reset();  // closes them all
    EXPECT_EQ(FER_hOpenCount(), open);
    EXPECT_EQ(t.s.GetSpanCount(), 0);
    EXPECT_TRUE(t.sink.messages.empty());
}

TEST(SteelCheckSections, HaunchEndAndStraightSpanStartAtTheSameXGetTwoSections) {
    Sections t;
    const int a = t.Profile(WeldedI(60, 30, 2.5, 1.2)), b = t.Profile(WeldedI(80, 30, 2.5, 1.2));
    t.s.SetSpanCount(2);
    t.s.SetSpan(0, 6.0, a, b);  // haunch ending at 6.0 with 80 cm: trunc(6.0 x 10) = 60
    t.s.SetSpan(1, 4.0, a, a);  // straight from 6.0: trunc((6.0 + 0.01) x 10) = 60
    const int end = t.s.GetSteelCheckSectionHandle(6.0);
    const int straight = t.s.GetSteelCheckSectionHandle(8.0);
    ASSERT_GT(end, 0);
    ASSERT_GT(straight, 0);
    EXPECT_NE(end, straight);
    SektWLine web{};
    ASSERT_EQ(SEKT_PRO_GetWLine(FER_hGetProfile(straight), 2, &web), 0);
    EXPECT_DOUBLE_EQ(web.ze, 60.0);
    ASSERT_EQ(SEKT_PRO_GetWLine(FER_hGetProfile(end), 2, &web), 0);
    EXPECT_DOUBLE_EQ(web.ze, 80.0);
}

TEST(SteelCheckSections, ShortSpanIsBuiltFromItsStartProfile) {
    Sections t;
    const int a = t.Profile(WeldedI(60, 30, 2.5, 1.2)), b = t.Profile(WeldedI(80, 30, 2.5, 1.2));
    t.s.SetSpanCount(1);
    t.s.SetSpan(0, 0.05, a, b);
    const int h = t.s.GetSteelCheckSectionHandle(0.05);
    SektWLine web{};
    ASSERT_EQ(SEKT_PRO_GetWLine(FER_hGetProfile(h), 2, &web), 0);
    EXPECT_DOUBLE_EQ(web.ze, 60.0);
}

// A profile of n plates: a chain of short flat plates.
int Chain(int n) {
    const int p = SEKT_PRO_Create();
    for (int i = 0; i < n; ++i) SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(i, 0, i + 1, 0, 0.5));
    return p;
}

TEST(SteelCheckSections, BadProfilesGiveOneMessageAndHandleZero) {
    struct Case {
        const char* name;
        int plates, platesEnd;  // end -1: no haunch
        const char* message;    // empty: built
    };
    const Case cases[] = {
        {"49 plates", 49, -1, ""},
        {"50 plates", 50, -1, "SetFerrumSection: Anzahl Bleche > MAX_WALLS"},
        {"haunch 3 to 4 plates", 3, 4, "SetFerrumSection: Vouten-Profile passen nicht zusammen"},
        {"no plates", 0, -1, "SetFerrumSection: Profil ohne lesbare Wandlinien"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sections t;
        const int a = t.Profile(Chain(c.plates));
        const int b = c.platesEnd < 0 ? a : t.Profile(Chain(c.platesEnd));
        t.s.SetSpanCount(1);
        t.s.SetSpan(0, 6.0, a, b);
        const int h = t.s.GetSteelCheckSectionHandle(2.0);
        if (*c.message == 0) {
            EXPECT_GT(h, 0);
            EXPECT_TRUE(t.sink.messages.empty());
            continue;
        }
        EXPECT_EQ(h, 0);
        EXPECT_EQ(t.s.GetSteelCheckSectionHandle(2.01), 0);  // the same key: no second message
        ASSERT_EQ(t.sink.messages.size(), 1u);
        EXPECT_EQ(t.sink.messages[0].text, c.message);
    }
    // An unknown profile handle.
    Sections t;
    t.s.SetSpanCount(1);
    t.s.SetSpan(0, 6.0, 987654, 987654);
    EXPECT_EQ(t.s.GetSteelCheckSectionHandle(1.0), 0);
    EXPECT_EQ(t.sink.messages.size(), 1u);
}

TEST(SteelCheckSections, SortsGiveAscendingOrderForTheCallersFlags) {
    std::vector<double> d{3.0, -1.0, 2.5, 2.5, 0.0};
    CSteelCheckSections::SortDoubleArray(d, 0);
    EXPECT_EQ(d, (std::vector<double>{-1.0, 0.0, 2.5, 2.5, 3.0}));
    CSteelCheckSections::SortDoubleArray(d, 1);
    EXPECT_EQ(d, (std::vector<double>{3.0, 2.5, 2.5, 0.0, -1.0}));
    std::vector<std::string> s{"b", "a", "Ab", "\xc3\xa4", "A"};
    CSteelCheckSections::SortStringArray(s, 1);
    EXPECT_EQ(s, (std::vector<std::string>{"A", "Ab", "a", "b", "\xc3\xa4"}));  // bytes as unsigned
    CSteelCheckSections::SortStringArray(s, 0);
    EXPECT_EQ(s.front(), "\xc3\xa4");
}

}  // namespace
