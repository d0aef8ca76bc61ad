// Crane positions along the runway: candidate points, their enumeration, the
// moves that keep cranes apart and on the runway, the crane train and the
// position list of the module.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "crane/CraneOperations.h"
#include "crane/CranePositions.h"
#include "module/CraneRoad.h"
#include "crane_fixture.h"

namespace {

void ExpectList(const std::vector<double>& got, const std::vector<double>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << what << " [" << i << "]";
}

TEST(CranePositions, TuplesAreEveryNonDecreasingIndexTupleInOrder) {
    // Points 0, 1, 2, 3 (P = 4): P, P(P+1)/2, P(P+1)(P+2)/6 tuples.
    for (int n = 1; n <= 3; ++n) {
        CEvalPoints e;
        e.Build({0.0, 1.0, 2.0, 3.0}, n, 0.0);
        std::vector<std::vector<double>> got;
        double x[3];
        while (e.Next(x)) got.emplace_back(x, x + n);
        std::vector<std::vector<double>> want;
        for (int i = 0; i < 4; ++i)
            for (int j = (n > 1 ? i : 3); j < 4; ++j)
                for (int k = (n > 2 ? j : 3); k < 4; ++k) {
                    std::vector<double> t{double(i), double(j), double(k)};
                    want.emplace_back(t.begin(), t.begin() + n);
                }
        EXPECT_EQ(got.size(), (std::vector<size_t>{4, 10, 20})[static_cast<size_t>(n - 1)]);
        EXPECT_EQ(got, want) << n << " cranes";
        EXPECT_EQ(e.Next(x), 0);
    }
}

TEST(CranePositions, CandidatePointsAreSortedAndRefined) {
    struct Case {
        const char* name;
        double start, end;
        std::vector<double> inner;
        double d;
        std::vector<double> want;
    };
    const Case cases[] = {
        {"unrefined, sorted, near points dropped", 0.0, 10.0, {5.0, 2.0, 5.00005}, 0.0, {0.0, 2.0, 5.0, 10.0}},
        {"point beyond the end appended", 0.0, 10.0, {12.0}, 0.0, {0.0, 10.0, 12.0}},
        {"d = 1.5 on [0, 5]", 0.0, 5.0, {}, 1.5, {0.0, 1.25, 2.5, 3.75, 5.0}},
        {"d = 2 on [0, 5]", 0.0, 5.0, {}, 2.0, {0.0, 5.0 / 3.0, 10.0 / 3.0, 5.0}},
        {"gap within 1.001 d stays", 0.0, 2.0, {}, 1.9985, {0.0, 2.0}},
        {"2.001 d: two parts of 1.0005 d", 0.0, 2.001, {}, 1.0, {0.0, 1.0005, 2.001}},
        {"negative d: no refinement", 0.0, 5.0, {2.0}, -1.0, {0.0, 2.0, 5.0}},
        {"d = 0.0001: no refinement", 0.0, 1.0, {}, 0.0001, {0.0, 1.0}},
    };
    for (const Case& k : cases) ExpectList(RefinePoints(k.start, k.end, k.inner, k.d), k.want, k.name);
}

TEST(CranePositions, RefinementOfASlightlyLongGapEnds) {
    // trunc(gap/d + 0.99) gives one part for 1.005 d and two parts of
    // 1.0025 d for 2.005 d; both are divided until no part exceeds 1.001 d.
    for (double gap : {1.005, 2.005, 7.009}) {
        const std::vector<double> p = RefinePoints(0.0, gap, {}, 1.0);
        ASSERT_GE(p.size(), 3u) << gap;
        for (size_t i = 1; i < p.size(); ++i) EXPECT_LE(p[i] - p[i - 1], 1.001) << gap;
        EXPECT_DOUBLE_EQ(p.back(), gap);
    }
}

TEST(CranePositions, PositionKeysCutToFiveCentimetres) {
    const double a[] = {7.23, 9.98}, b[] = {12.37, 18.61}, c[] = {12.349}, d[] = {12.301};
    EXPECT_EQ(MakePositionKey(a, 2), "7.20|9.95");
    EXPECT_EQ(MakePositionKey(b, 2), "12.35|18.60");
    EXPECT_EQ(MakePositionKey(c, 1), MakePositionKey(d, 1));
    EXPECT_EQ(MakePositionKey(c, 1), "12.30");
}

TEST(CranePositions, SeparationSharesTheMoveByWeights) {
    struct Case {
        const char* name;
        std::vector<double> x, s, g, want;
    };
    // Two cranes: needed = (s0 + s1)/2 + g1, o = needed - (x1 - x0); crane 0
    // moves left by w1/(w0+w1) o, crane 1 right by w0/(w0+w1) o.
    // Three cranes: the closer pair first, then the pair as one crane at its
    // first crane's x with span s_k + s_k+1 + g_k+1 and the summed weight.
    const Case cases[] = {
        // needed 3, o 1.5: 3 - 1.5/4 and 4.5 + 1.5 x 3/4.
        {"two cranes", {3.0, 4.5}, {3.0, 1.0}, {0.0, 1.0}, {2.625, 5.625}},
        // needed 3.5, o 2.5: shares 2/6 and 4/6.
        {"two cranes 1.0 apart", {0.0, 1.0}, {4.0, 2.0}, {0.0, 0.5}, {-2.5 * 2 / 6, 1.0 + 2.5 * 4 / 6}},
        {"two cranes far enough", {0.0, 9.0}, {4.0, 2.0}, {0.0, 0.5}, {0.0, 9.0}},
        // Single-axle cranes weigh nothing: each moves by half (no 0/0).
        {"two cranes without span", {0.0, 0.5}, {0.0, 0.0}, {0.0, 1.0}, {-0.25, 0.75}},
        // Front pair: (0, 1) -> (-1, 2); merged at -1, span 5, weight 4; to
        // crane 2 at 3 needed 4.5, o 0.5: merged -1/6, crane 2 +1/3.
        {"three cranes, front pair closer", {0.0, 1.0, 3.0}, {2.0, 2.0, 2.0}, {0.0, 1.0, 1.0},
         {-1.0 - 1.0 / 6, 2.0 - 1.0 / 6, 3.0 + 1.0 / 3}},
        // Back pair: (3, 3.5) -> (1.75, 4.75); merged at 1.75, span 5,
        // weight 4, from crane 0 by g1 = 0.5: needed 4, o 2.25: crane 0
        // -1.5, merged +0.75.
        {"three cranes, back pair closer", {0.0, 3.0, 3.5}, {2.0, 2.0, 2.0}, {0.0, 0.5, 1.0}, {-1.5, 2.5, 5.5}},
    };
    for (const Case& k : cases) {
        std::vector<double> x = k.x;
        SeparateCranes(x.data(), k.s.data(), k.g.data(), k.s.data(), static_cast<int>(x.size()));
        ExpectList(x, k.want, k.name);
    }
}

TEST(CranePositions, ShiftIntoRangeKeepsTheDistances) {
    const double s[] = {2.0, 2.0}, g[] = {0.0, 1.0};
    double a[] = {-1.0, 0.5};
    ShiftIntoRange(a, s, g, 0.0, 10.0, 2);
    EXPECT_DOUBLE_EQ(a[0], 0.0);
    EXPECT_DOUBLE_EQ(a[1], 3.0);
    double b[] = {8.0, 11.0};
    ShiftIntoRange(b, s, g, 0.0, 10.0, 2);
    EXPECT_DOUBLE_EQ(b[0], 7.0);
    EXPECT_DOUBLE_EQ(b[1], 10.0);
}

TEST(CranePositions, CoordinateSetBounds) {
    CCoordSet c;
    double a, b, e, f;
    c.GetBounds(a, b, e, f);
    EXPECT_EQ(std::vector<double>({a, b, e, f}), std::vector<double>(4, 0.0));
    c.Add(3.0, -1.0);
    c.Add(-2.0, 5.0);
    c.Add(1.0, 0.0);
    c.GetBounds(a, b, e, f);
    EXPECT_EQ(std::vector<double>({a, b, e, f}), std::vector<double>({-2.0, -1.0, 3.0, 5.0}));
}

// One field of `span` with one crane of the given axle spacings (axle 0's
// value is the gap to the crane in front) and equal wheel loads.
void OneField(CModuleData& d, double span, const std::vector<double>& axles) {
    cranetest::MakeGirder(d, span);
    CCrane& c = d.m_cranes[0];
    c.m_numOfAxis = static_cast<int>(axles.size());
    c.SetAxisCount();
    for (size_t a = 0; a < axles.size(); ++a) {
        c.AxisValue(static_cast<int>(a), 0)->SetValue(axles[a]);
        c.AxisValue(static_cast<int>(a), 1)->SetValue(100.0);
        c.AxisValue(static_cast<int>(a), 3)->SetValue(50.0);
    }
}

TEST(CranePositions, OneCraneOnOneField) {
    CModuleData d;
    // One axle on 8 m: candidate points 0, 4, 8; the train puts the axle on
    // -0.15, 0, 0.15, 4 (middle), 7.85, 8, 8.15 and the quarter points 2 and
    // 6; -0.15 and 8.15 leave the runway, 0, 4 and 8 come twice. Then,
    // without refinement ("craneMaxDist" 0), the axle over every node of
    // the girder: the field in (10 & ~1) + 2 = 12 elements of 2/3 m; the
    // nodes 0, 2, 4, 6, 8 are there already.
    OneField(d, 8.0, {0.0});
    GenerateCranePositions(d);
    const double t = 2.0 / 3.0;
    ExpectList(d.m_cranePositions,
               {0.0, 4.0, 8.0, 0.15, 7.85, 2.0, 6.0, t, 2 * t, 4 * t, 5 * t, 7 * t, 8 * t, 10 * t, 11 * t},
               "one axle");
    // Two axles 2 m apart, equal wheel loads (no move to the resultant):
    // centres 4 from the points; the train puts either axle on each target
    // (centre target + 1 or target - 1); quarter points 2 + 1, 6 - 1. Then
    // either axle over each node (centre node + 1, node - 1), where the
    // crane stays on the runway and the position is new.
    OneField(d, 8.0, {0.0, 2.0});
    GenerateCranePositions(d);
    ExpectList(d.m_cranePositions,
               {4.0, 1.0, 1.15, 5.0, 3.0, 6.85, 7.0, t + 1, 2 * t + 1, 4 * t + 1, 5 * t + 1, 7 * t + 1, 8 * t + 1},
               "two axles");
    // A check point adds its place: the axle over 4.4.
    OneField(d, 8.0, {0.0});
    CNotchCase p;
    p.m_xPos.SetValue(4.4);
    d.m_notchCases = {p};
    GenerateCranePositions(d);
    ASSERT_EQ(d.m_cranePositions.size(), 16u);
    EXPECT_NEAR(d.m_cranePositions[11], 4.4, 1e-9);
    // With refinement the refined points serve: no positions over nodes.
    OneField(d, 8.0, {0.0});
    d.m_craneSettings.m_craneMaxDist.SetValue(4.0);
    GenerateCranePositions(d);
    ExpectList(d.m_cranePositions, {0.0, 4.0, 8.0, 0.15, 7.85, 2.0, 6.0}, "refined");
}

// Two cranes of spans 4 and 2 m, the second 0.5 m behind the first: closed
// up, their centres stand (4 + 2) / 2 + 0.5 = 3.5 m apart, less than the
// first span plus the gap (4.5 m). Such positions of the closed train are
// kept, and no position puts the cranes closer.
TEST(CranePositions, ClosedUpCranesOfUnequalSpansAreKept) {
    CModuleData d;
    OneField(d, 20.0, {1.0, 4.0});
    d.m_cranes.resize(2, d.m_cranes[0]);
    d.m_cranes[1].AxisValue(0, 0)->SetValue(0.5);
    d.m_cranes[1].AxisValue(1, 0)->SetValue(2.0);
    for (double maxDist : {0.0, 2.0}) {
        SCOPED_TRACE(maxDist);
        d.m_craneSettings.m_craneMaxDist.SetValue(maxDist);
        GenerateCranePositions(d);
        ASSERT_FALSE(d.m_cranePositions.empty());
        int closed = 0;
        for (size_t i = 0; i + 1 < d.m_cranePositions.size(); i += 2) {
            const double gap = d.m_cranePositions[i + 1] - d.m_cranePositions[i];
            EXPECT_GE(gap, 3.5 - 1e-9) << i;
            if (std::fabs(gap - 3.5) < 1e-9) ++closed;
        }
        // The train on every target (field ends and middle, the ends
        // +-0.15, the quarter points) that leaves it on the runway.
        EXPECT_GE(closed, 5);
    }
}

TEST(CranePositions, MoveTowardsTheResultantOfTheWheelLoads) {
    // Two axles 4 m apart, R1 = 100 + 50, R2 = 30 + 20: the crane's x moves
    // by (a/2 - a/2 R2/R1) f = 4/3 f, f = 1 for one field, 1/3 for two.
    struct Case {
        const char* name;
        std::vector<double> fields;
        double r1a, r1b;
        double firstKept;
    };
    const Case cases[] = {
        // Points 0, 6, 12: 1.33 leaves the runway with its axles, 7.33 stays.
        {"one field", {12.0}, 100.0, 50.0, 6.0 + 4.0 / 3.0},
        // Points 0, 3, 6, 9, 12: 0.44 out, 3.44 stays.
        {"two fields", {6.0, 6.0}, 100.0, 50.0, 3.0 + 4.0 / 9.0},
        // No load on the first axle: no move.
        {"first axle without load", {12.0}, 0.0, 0.0, 6.0},
    };
    for (const Case& k : cases) {
        CModuleData d;
        OneField(d, k.fields[0], {1.0, 4.0});
        for (size_t f = 1; f < k.fields.size(); ++f) d.m_fieldLengths.emplace_back(k.fields[f]);
        CCrane& c = d.m_cranes[0];
        c.AxisValue(0, 1)->SetValue(k.r1a);
        c.AxisValue(0, 3)->SetValue(k.r1b);
        c.AxisValue(1, 1)->SetValue(30.0);
        c.AxisValue(1, 3)->SetValue(20.0);
        GenerateCranePositions(d);
        ASSERT_FALSE(d.m_cranePositions.empty()) << k.name;
        EXPECT_NEAR(d.m_cranePositions[0], k.firstKept, 1e-9) << k.name;
    }
}

TEST(CranePositions, RunwaysWithoutRoomOrWithUnsupportedCranesGiveNoPositions) {
    CModuleData d;
    OneField(d, 8.0, {0.0, 2.0});
    struct Case {
        const char* name;
        void (*change)(CModuleData&);
    };
    const Case cases[] = {
        {"no crane", [](CModuleData& m) { m.m_cranes.clear(); }},
        {"four cranes", [](CModuleData& m) { m.m_cranes.resize(4, m.m_cranes[0]); }},
        {"offsets leave no room",
         [](CModuleData& m) {
             m.m_craneSettings.m_craneLeftOffset.SetValue(5.0);
             m.m_craneSettings.m_craneRightOffset.SetValue(5.0);
         }},
        {"axles longer than the range", [](CModuleData& m) { m.m_cranes[0].AxisValue(1, 0)->SetValue(9.0); }},
        {"no field", [](CModuleData& m) { m.m_fieldLengths.resize(1); }},
    };
    for (const Case& k : cases) {
        OneField(d, 8.0, {0.0, 2.0});
        d.m_cranePositions = {1.0, 2.0, 3.0};  // a stale list
        k.change(d);
        GenerateCranePositions(d);
        EXPECT_TRUE(d.m_cranePositions.empty()) << k.name;
    }
}

TEST(CranePositions, CurrentPositionPastTheEndSelectsTheLast) {
    CModuleData d;
    OneField(d, 8.0, {0.0});
    d.m_nCurCranePos = 50;
    GenerateCranePositions(d);
    // The 15 positions of one axle on 8 m (OneCraneOnOneField).
    ASSERT_EQ(d.m_cranePositions.size(), 15u);
    EXPECT_EQ(d.m_nCurCranePos, 14);
    double x = 0.0;
    ASSERT_TRUE(d.m_varTable.Evaluate("pos0", x));
    EXPECT_DOUBLE_EQ(x, 22.0 / 3.0);
}

// The whole work list first (every tuple, then the train), then the filters
// and the first of every key: the positions the generator keeps while
// enumerating must be exactly these.
std::vector<double> ReferencePositions(CModuleData& d) {
    const int n = static_cast<int>(d.m_cranes.size());
    std::vector<double> fields;
    for (const CFormulaValue& f : d.m_fieldLengths) fields.push_back(f.GetValue());
    const double L = d.m_craneSettings.m_craneLeftOffset.GetValue();
    const double R = d.GetFieldStart(static_cast<int>(fields.size()) - 1) - d.m_craneSettings.m_craneRightOffset.GetValue();
    std::vector<double> inner;
    double x = 0.0;
    for (size_t k = 0; k < fields.size(); ++k) {
        x += fields[k];
        if (L < x && x < R) inner.push_back(x);
        if (k >= 1 && L < x - fields[k] / 2 && x - fields[k] / 2 < R) inner.push_back(x - fields[k] / 2);
    }
    const std::vector<double> p = RefinePoints(L, R, inner, d.m_craneSettings.m_craneMaxDist.GetValue());
    const int P = static_cast<int>(p.size());
    std::vector<double> s(3), g(3);
    for (int c = 0; c < n; ++c) {
        s[c] = d.m_cranes[c].GetAxisSpan();
        g[c] = d.m_cranes[c].GetAxisValue(0, 0);
    }
    std::vector<double> work;
    for (int i = 0; i < P; ++i)
        for (int j = i; j < P; ++j)
            for (int k = j; k < P; ++k) {
                double X[3] = {p[i], p[j], p[k]};
                for (int c = 0; c < n; ++c) X[c] = d.m_cranes[c].ShiftToResultant(X[c], static_cast<int>(fields.size()) - 1);
                SeparateCranes(X, s.data(), g.data(), s.data(), n);
                ShiftIntoRange(X, s.data(), g.data(), L, R, n);
                work.insert(work.end(), X, X + n);
            }
    EXPECT_EQ(work.size(), static_cast<size_t>(P * (P + 1) * (P + 2) / 6 * n));
    AddTrainPositions(work, fields, d.m_cranes);
    std::map<std::string, size_t> first;
    std::vector<size_t> kept;
    for (size_t i = 0; i < work.size(); i += n) {
        bool ok = true;
        for (int c = 0; c < n; ++c)
            if (work[i + c] - s[c] / 2 < L || work[i + c] + s[c] / 2 > R) ok = false;
        for (int c = 0; c + 1 < n; ++c)
            if (std::fabs(work[i + c] - work[i + c + 1]) < (s[c] + s[c + 1]) / 2 + g[c + 1] - 1e-6) ok = false;
        if (ok && first.emplace(MakePositionKey(&work[i], n), i).second) kept.push_back(i);
    }
    std::vector<double> out;
    for (size_t i : kept) out.insert(out.end(), work.begin() + i, work.begin() + i + n);
    return out;
}

TEST(CranePositions, ThreeCranesOnSixtyPointsKeepOnlyTheDistinctPositions) {
    CModuleData d;
    OneField(d, 59.0, {1.0, 2.0});
    d.m_cranes.resize(3, d.m_cranes[0]);
    d.m_cranes[1].AxisValue(1, 0)->SetValue(3.0);
    d.m_cranes[2].AxisValue(0, 0)->SetValue(0.5);
    // Range [0.5, 59], refined to 1 m: 29 + 30 parts of [0.5, 29.5, 59].
    d.m_craneSettings.m_craneLeftOffset.SetValue(0.5);
    d.m_craneSettings.m_craneMaxDist.SetValue(1.0);
    EXPECT_EQ(RefinePoints(0.5, 59.0, {29.5}, 1.0).size(), 60u);
    GenerateCranePositions(d);
    const std::vector<double> want = ReferencePositions(d);
    ASSERT_GT(want.size(), 300u);
    EXPECT_EQ(d.m_cranePositions, want);
}

}  // namespace

// Every program that links the crane folder has its crane road registered
// with the position data: the data's own positions are the crane folder's.
TEST(CraneRoad, RegisteredWhereverTheCraneFolderIsLinked) {
    ASSERT_NE(GetCraneRoad(), nullptr);
    CModuleData viaData, direct;
    for (CModuleData* d : {&viaData, &direct}) OneField(*d, 6.0, {1.0, 4.0});
    viaData.GenerateCranePositions();
    GenerateCranePositions(direct);
    EXPECT_FALSE(viaData.m_cranePositions.empty());
    EXPECT_EQ(viaData.m_cranePositions, direct.m_cranePositions);
}

namespace {

// The count of the refinement is known without making the points: never
// fewer than RefinePoints makes (the bound before the enumeration rests on it).
TEST(CranePositions, RefinedPointCountIsAtLeastThePointsMade) {
    struct Case {
        std::vector<double> raw;
        double maxDist;
    } cases[] = {
        {{0.0, 3.0, 6.0}, 0.5},  {{0.0, 3.0, 6.0}, 0.0},      {{0.5, 29.5, 59.0}, 1.0},
        {{0.0, 1.7, 10.0}, 0.3}, {{0.0, 0.00005, 5.0}, 0.7}, {{2.0, 1.0, 3.0, 2.0, 9.0}, 1.1},
    };
    for (const Case& c : cases) {
        const std::vector<double> inner(c.raw.begin() + 1, c.raw.end() - 1);
        const size_t made = RefinePoints(c.raw.front(), c.raw.back(), inner, c.maxDist).size();
        const double counted = RefinedPointCount(c.raw, c.maxDist);
        EXPECT_GE(counted, static_cast<double>(made)) << c.maxDist;
        EXPECT_LE(counted, static_cast<double>(made) + c.raw.size()) << c.maxDist;
    }
}

// A runway of 1000 km at 0.5 m would give two million candidate points (four
// million million pairs for two cranes): they are counted, not made, and the
// runway keeps no positions, so that the calculation refuses it.
TEST(CranePositions, AHugeRunwayIsCountedNotEnumerated) {
    for (int cranes : {1, 2}) {
        CModuleData d;
        OneField(d, 1.0e6, {1.0, 2.0});
        if (cranes == 2) d.m_cranes.resize(2, d.m_cranes[0]);
        d.m_craneSettings.m_craneMaxDist.SetValue(0.5);
        GenerateCranePositions(d);
        EXPECT_TRUE(d.m_cranePositions.empty());
        // 1e6 / 0.5 = 2e6 points; for two cranes 2e6 * (2e6 + 1) / 2 pairs.
        EXPECT_GE(static_cast<double>(d.m_craneTooMany), cranes == 1 ? 2.0e6 : 2.0e12) << cranes;
    }
    // Within the bound nothing is said.
    CModuleData d;
    OneField(d, 6.0, {1.0, 2.0});
    d.m_craneSettings.m_craneMaxDist.SetValue(0.5);
    GenerateCranePositions(d);
    EXPECT_FALSE(d.m_cranePositions.empty());
    EXPECT_EQ(d.m_craneTooMany, 0);
}

}  // namespace
