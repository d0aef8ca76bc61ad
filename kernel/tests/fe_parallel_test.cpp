// The ultimate combinations of a member side by side on worker threads:
// the results are those of the analyses one after the other, bit for bit,
// whatever order the combinations run in; the combinations are handed on
// in their order. The same for the serviceability and the ultimate
// combinations together on one pool.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "testsupport/ipe300.h"

using namespace tovik;
using namespace tovik::fe;

namespace {

constexpr int32_t kCombinations = 7;

// Every stored value of the ultimate results, exactly.
void ExpectSameResults(const std::vector<FeCaseResult>& a, const std::vector<FeCaseResult>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
        SCOPED_TRACE("combination " + std::to_string(k + 1));
        EXPECT_EQ(a[k].code, b[k].code);
        EXPECT_EQ(a[k].passes, b[k].passes);
        EXPECT_EQ(a[k].eigenSteps, b[k].eigenSteps);
        EXPECT_EQ(a[k].eigenValues, b[k].eigenValues);
        EXPECT_EQ(a[k].eigenVectors, b[k].eigenVectors);
        EXPECT_EQ(a[k].imperfection, b[k].imperfection);
        EXPECT_EQ(a[k].displacements, b[k].displacements);
        EXPECT_EQ(a[k].reactions, b[k].reactions);
        EXPECT_EQ(a[k].endForces, b[k].endForces);
        EXPECT_EQ(a[k].stresses, b[k].stresses);
    }
}

std::vector<FeCaseResult> OneAfterTheOther(const std::vector<int32_t>& order) {
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(60, sections, kCombinations);
    for (int32_t k : order) {
        EXPECT_EQ(RechneDltr3D(*run, kBuckling, k), 0);
        SetImperfection(*run, k);
        EXPECT_EQ(RechneDltr3D(*run, kSecondOrder, k), 0);
    }
    return State(*run).results.ultimate;
}

TEST(FeParallel, WorkersGiveTheResultsOfTheSerialRunBitForBit) {
    std::vector<int32_t> forward, backward;
    for (int32_t k = 0; k < kCombinations; ++k) {
        forward.push_back(k);
        backward.insert(backward.begin(), k);
    }
    const std::vector<FeCaseResult> serial = OneAfterTheOther(forward);
    // The eigen solver starts every combination from the same vector, so the
    // order of the combinations does not matter.
    ExpectSameResults(OneAfterTheOther(backward), serial);
    for (int32_t threads : {1, 3, kCombinations}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        ipe300::Sections sections;
        auto run = ipe300::TwoSpanGirder(60, sections, kCombinations);
        std::vector<int32_t> handed;
        RunUltimateCombinations(*run, threads, [&](int32_t k, const UltimateOutcome& o) {
            handed.push_back(k);
            EXPECT_EQ(o.bucklingCode, 0);
            EXPECT_EQ(o.secondOrderCode, 0);
            return true;
        });
        EXPECT_EQ(handed, forward);
        ExpectSameResults(State(*run).results.ultimate, serial);
        EXPECT_EQ(State(*run).lastEndForces, serial.back().endForces);
    }
}

TEST(FeParallel, LinesAndCodesAreHandedOnPerCombinationAndStep) {
    // The reference node of the imperfection lies where the mode does not
    // move (the middle support): each combination warns in its imperfection
    // step. Combination numbers beyond the results fail with code 2 and a
    // line in their buckling and second-order steps.
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(40, sections, 3);
    ModelRecord& m = run->cdltr;
    m.ausmitteDirekt = 1;
    m.ausmitteKnoten = 2;
    m.ausmitteGlobal = 1;
    m.nKnickLk = 4;
    std::vector<int32_t> handed;
    RunUltimateCombinations(*run, 2, [&](int32_t k, const UltimateOutcome& o) -> bool {
        handed.push_back(k);
        if (k < 3) {
            EXPECT_TRUE(o.bucklingLines.empty());
            EXPECT_EQ(o.imperfectionLines.size(), 1u);
            for (const DeferredLine& l : o.imperfectionLines) {
                EXPECT_EQ(l.kind, kErrLineWarning);
                EXPECT_NE(l.text.find("im Bezugsknoten"), std::string::npos);
            }
            EXPECT_EQ(o.bucklingCode, 0);
        } else {
            EXPECT_EQ(o.bucklingCode, codes::kUnstable);
            EXPECT_EQ(o.secondOrderCode, codes::kUnstable);
            EXPECT_EQ(o.bucklingLines.size(), 1u);
            for (const DeferredLine& l : o.bucklingLines) EXPECT_EQ(l.text, "Lastkombination 4 ist nicht vorhanden");
            EXPECT_EQ(o.secondOrderLines.size(), 1u);
        }
        return true;
    });
    EXPECT_EQ(handed, (std::vector<int32_t>{0, 1, 2, 3}));
    // Nothing was written while the workers ran: the caller writes the lines.
    EXPECT_TRUE(State(*run).errorLines.empty());
    EXPECT_EQ(run->ErrorCount, 0);
}

TEST(FeParallel, TheCallerStopsTheCombinationsNotYetHandedOn) {
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(20, sections, 5);
    std::vector<int32_t> handed;
    RunUltimateCombinations(*run, 2, [&](int32_t k, const UltimateOutcome&) {
        handed.push_back(k);
        return k < 1;
    });
    EXPECT_EQ(handed, (std::vector<int32_t>{0, 1}));
}

TEST(FeParallel, ThreadCountFromTheSettingTheEnvironmentOrTheHardware) {
    FeState st;
    const char* saved = std::getenv("TOVIK_THREADS");
    const std::string keep = saved ? saved : "";
    ::setenv("TOVIK_THREADS", "1", 1);
    EXPECT_EQ(UltimateThreadCount(st, 20), 1);
    ::setenv("TOVIK_THREADS", "3", 1);
    EXPECT_EQ(UltimateThreadCount(st, 20), 3);
    EXPECT_EQ(UltimateThreadCount(st, 2), 2);  // never more than combinations
    ::setenv("TOVIK_THREADS", "drei", 1);
    EXPECT_GE(UltimateThreadCount(st, 20), 1);
    st.threads = 1;
    ::setenv("TOVIK_THREADS", "4", 1);
    EXPECT_EQ(UltimateThreadCount(st, 20), 1);  // the setting comes first
    st.threads = 0;
    EXPECT_EQ(UltimateThreadCount(st, 0), 1);
    if (saved) ::setenv("TOVIK_THREADS", keep.c_str(), 1);
    else ::unsetenv("TOVIK_THREADS");
}

// ---- serviceability and ultimate combinations on one pool ----------------------

// The IPE 300 with two stress points (bottom flange edge, web at the
// centroid) in S 235; the stresses of every serviceability combination are
// kept per combination, element end and point, each slot written by one
// analysis only.
class KeepingSections : public ipe300::Sections {
public:
    size_t slotsPerCombination = 0;  // element ends x points
    mutable std::vector<double> kept;  // sigma, tau per slot
    std::vector<FeStressPoint> StressPoints(int32_t) const override {
        FeStressPoint flange;
        flange.sN = 1 / 53.81;
        flange.sMy = 15.0 / 8356;
        flange.sMz = 7.5 / 603.8;
        FeStressPoint web;
        web.sN = 1 / 53.81;
        web.tVz = 1 / (0.71 * 27.86);
        web.tMx = 0.71 / 20.12;
        return {flange, web};
    }
    FeMaterial Material() const override {
        FeMaterial m;
        m.fy = 23.5;
        m.gammaM = 1.1;
        return m;
    }
    void PointStress(int32_t e, int32_t end, int32_t point, int32_t k, double sigma, double tau) const override {
        const size_t i = 2 * (Z(k) * slotsPerCombination + Z(4 * e + 2 * end + point));
        if (i + 1 < kept.size()) {
            kept[i] = sigma;
            kept[i + 1] = tau;
        }
    }
};

constexpr int32_t kService = 9, kUltimate = 5;

// The two-span girder with three load cases: 1 the vertical load on the top
// flange and the point load, 2 a lateral line load, 3 more line-load pieces
// on every element than an element takes (a combination holding it fails
// with its line). Serviceability combination 3 is twice combination 1, 4
// holds load case 3, 5 has no load; ultimate combination 3 holds load
// case 3.
std::unique_ptr<RunState> ThreeLoadCaseGirder(int32_t elements, KeepingSections& sections) {
    auto run = std::make_unique<RunState>();
    ModelRecord& m = run->cdltr;
    ipe300::TwoSpanGirderSystem(m, elements);
    auto line = [&](int32_t lc, float py, float pz, float ez) {
        LineLoad q;
        q.LCGen = lc;
        q.node = 1;
        q.length = 12;
        q.py0 = q.py1 = py;
        q.pz0 = q.pz1 = pz;
        q.ez0 = q.ez1 = ez;
        m.StreckenL.Append(q);
    };
    ipe300::TwoSpanGirderLoadCase1(m);
    line(2, 1.5f, 0, 0);
    for (int32_t i = 0; i <= kMaxLinePiecesPerElement; ++i) line(3, 0, 0.01f, 0);
    m.nLf = 3;
    m.RegelTerm = {{1, 0, 1.0f}, {2, 0, 1.0f}, {2, 1, 1.0f},  {3, 0, 2.0f},  {4, 0, 1.0f},  {4, 2, 1.0f},
                   {6, 1, 0.7f}, {7, 0, 1.35f}, {7, 1, 1.5f}, {8, 0, 0.5f}, {8, 1, 1.0f}, {9, 0, 1.0f},
                   {9, 1, 1.0f}};
    m.nRegelTerm = static_cast<int32_t>(m.RegelTerm.size());
    m.nRegelLk = kService;
    m.KnickTerm = {{1, 0, 1.35f}, {2, 0, 1.35f}, {2, 1, 1.5f}, {3, 0, 1.35f},
                   {3, 2, 1.0f},  {4, 0, 1.0f},  {4, 1, 0.5f}, {5, 0, 1.5f}};
    m.nKnickTerm = static_cast<int32_t>(m.KnickTerm.size());
    m.nKnickLk = kUltimate;
    m.vorvType = 2;
    m.ausmitte = 2;
    State(*run).sections = &sections;
    EXPECT_EQ(PrepareSystemData(*run), 0);
    EXPECT_EQ(ApplyLoads(*run), 0);
    sections.slotsPerCombination = Z(4 * m.fe.nStab);
    sections.kept.assign(2 * kService * sections.slotsPerCombination, 0.0);
    return run;
}

// The load factors of every placed load of the run's state.
std::vector<double> Factors(RunState& run) {
    const FeState& st = State(run);
    std::vector<double> f;
    for (const auto* l : {&st.points, &st.moments, &st.lines, &st.temps, &st.zwang})
        for (const PlacedRecord& r : *l) f.push_back(r.v[0]);
    return f;
}

// What a run of the combinations hands on and leaves behind.
struct Trace {
    std::vector<std::string> events;  // "s<k>", "between", "u<k>", in the order handed on
    std::vector<int32_t> codes;       // per serviceability, then per ultimate combination (two each)
    std::vector<std::string> lines;   // "<event>: <kind> <text>"
    std::vector<double> factorsAfterService, endForcesAfterService, factorsAtEnd;
    std::vector<FeCaseResult> service, ultimate;
    std::vector<double> kept;
    FirstOrderRecord firstOrder;
    std::vector<double> lastEndForces;
};

void Keep(Trace& t, const std::string& event, const std::vector<DeferredLine>& lines) {
    for (const DeferredLine& l : lines) t.lines.push_back(event + ": " + std::to_string(l.kind) + " " + l.text);
}

void Finish(Trace& t, RunState& run, const KeepingSections& sections) {
    const FeState& st = State(run);
    t.factorsAtEnd = Factors(run);
    t.service = st.results.service;
    t.ultimate = st.results.ultimate;
    t.kept = sections.kept;
    t.firstOrder = st.firstOrder;
    t.lastEndForces = st.lastEndForces;
}

// The analyses one after the other, single calls as a driver without
// workers makes them.
Trace OneByOne(int32_t elements) {
    KeepingSections sections;
    auto run = ThreeLoadCaseGirder(elements, sections);
    FeState& st = State(*run);
    Trace t;
    size_t seen = 0;
    auto linesOf = [&](const std::string& event) {
        std::vector<DeferredLine> lines;
        for (; seen < st.errorLines.size(); ++seen) lines.push_back({kErrLineError, st.errorLines[seen]});
        Keep(t, event, lines);
    };
    for (int32_t k = 0; k < kService; ++k) {
        const std::string ev = "s" + std::to_string(k);
        t.events.push_back(ev);
        t.codes.push_back(RechneDltr3D(*run, kFirstOrder, k));
        linesOf(ev);
    }
    t.events.push_back("between");
    t.factorsAfterService = Factors(*run);
    t.endForcesAfterService = st.lastEndForces;
    for (int32_t k = 0; k < kUltimate; ++k) {
        const std::string ev = "u" + std::to_string(k);
        t.events.push_back(ev);
        t.codes.push_back(RechneDltr3D(*run, kBuckling, k));
        linesOf(ev);
        SetImperfection(*run, k);
        linesOf(ev);
        t.codes.push_back(RechneDltr3D(*run, kSecondOrder, k));
        linesOf(ev);
    }
    Finish(t, *run, sections);
    return t;
}

// The same through the pool; the callbacks stop after the event `stopAt`
// (empty: never).
Trace OnePool(int32_t elements, int32_t threads, const std::string& stopAt = "") {
    KeepingSections sections;
    auto run = ThreeLoadCaseGirder(elements, sections);
    FeState& st = State(*run);
    Trace t;
    RunCombinations(
        *run, threads,
        [&](int32_t k, const ServiceOutcome& o) {
            const std::string ev = "s" + std::to_string(k);
            t.events.push_back(ev);
            t.codes.push_back(o.code);
            Keep(t, ev, o.lines);
            return ev != stopAt;
        },
        [&] {
            t.events.push_back("between");
            t.factorsAfterService = Factors(*run);
            t.endForcesAfterService = st.lastEndForces;
            return stopAt != "between";
        },
        [&](int32_t k, const UltimateOutcome& o) {
            const std::string ev = "u" + std::to_string(k);
            t.events.push_back(ev);
            t.codes.push_back(o.bucklingCode);
            t.codes.push_back(o.secondOrderCode);
            Keep(t, ev, o.bucklingLines);
            Keep(t, ev, o.imperfectionLines);
            Keep(t, ev, o.secondOrderLines);
            return ev != stopAt;
        });
    // Nothing was written while the workers ran: the caller writes the lines.
    EXPECT_TRUE(st.errorLines.empty());
    EXPECT_EQ(run->ErrorCount, 0);
    Finish(t, *run, sections);
    return t;
}

void ExpectSameServiceResults(const std::vector<FeCaseResult>& a, const std::vector<FeCaseResult>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
        SCOPED_TRACE("serviceability combination " + std::to_string(k + 1));
        EXPECT_EQ(a[k].computed, b[k].computed);
        EXPECT_EQ(a[k].code, b[k].code);
        EXPECT_EQ(a[k].failCode, b[k].failCode);
        EXPECT_EQ(a[k].passes, b[k].passes);
        EXPECT_EQ(a[k].displacements, b[k].displacements);
        EXPECT_EQ(a[k].reactions, b[k].reactions);
        EXPECT_EQ(a[k].endForces, b[k].endForces);
        EXPECT_EQ(a[k].stresses, b[k].stresses);
    }
}

// The parts of a trace that the analyses one after the other also give
// (their lines carry no kind: single calls write them at once).
void ExpectSameTrace(const Trace& pool, const Trace& serial) {
    EXPECT_EQ(pool.events, serial.events);
    EXPECT_EQ(pool.codes, serial.codes);
    ASSERT_EQ(pool.lines.size(), serial.lines.size());
    for (size_t i = 0; i < pool.lines.size(); ++i) {
        const std::string& a = pool.lines[i];
        const std::string& b = serial.lines[i];
        EXPECT_EQ(a.substr(0, a.find(':')), b.substr(0, b.find(':')));
        EXPECT_EQ(a.substr(a.find(' ', a.find(':') + 2) + 1), b.substr(b.find(' ', b.find(':') + 2) + 1));
    }
    EXPECT_EQ(pool.factorsAfterService, serial.factorsAfterService);
    EXPECT_EQ(pool.endForcesAfterService, serial.endForcesAfterService);
    // The ultimate combinations set their factors in the workers' states:
    // the run's state keeps those of the last serviceability combination.
    EXPECT_EQ(pool.factorsAtEnd, serial.factorsAfterService);
    ExpectSameServiceResults(pool.service, serial.service);
    ExpectSameResults(pool.ultimate, serial.ultimate);
    EXPECT_EQ(pool.kept, serial.kept);
    EXPECT_EQ(pool.firstOrder.vL, serial.firstOrder.vL);
    EXPECT_EQ(pool.firstOrder.wL, serial.firstOrder.wL);
    EXPECT_EQ(pool.firstOrder.thetaL, serial.firstOrder.thetaL);
    EXPECT_EQ(pool.firstOrder.signYM, serial.firstOrder.signYM);
    EXPECT_EQ(pool.firstOrder.signZM, serial.firstOrder.signZM);
    EXPECT_EQ(pool.lastEndForces, serial.lastEndForces);
}

TEST(FeParallel, OnePoolGivesTheResultsLinesAndOrderOfTheSerialRunBitForBit) {
    const Trace serial = OneByOne(40);
    // The model does what it is meant to: combination 4 fails with its
    // line, 5 has no load, ultimate combination 3 fails; the others pass.
    ASSERT_EQ(serial.codes.size(), Z(kService + 2 * kUltimate));
    for (int32_t k = 0; k < kService; ++k)
        EXPECT_EQ(serial.codes[Z(k)], k == 3 ? codes::kElementMatrix : 0) << "combination " << k + 1;
    EXPECT_FALSE(serial.service[4].computed);
    EXPECT_EQ(serial.codes[Z(kService + 4)], codes::kElementMatrix);
    EXPECT_EQ(serial.codes[Z(kService + 5)], codes::kElementMatrix);
    ASSERT_FALSE(serial.lines.empty());
    EXPECT_EQ(serial.lines[0].substr(0, 4), "s3: ");
    EXPECT_NE(serial.lines[0].find("Zu viele Streckenlasten am Element 1 "), std::string::npos);
    // The stresses of the points were kept for the combinations computed
    // (sigma of combination 1 at the flange point of the first element).
    EXPECT_NE(serial.kept[0], 0.0);
    // First order is linear: combination 3 (twice combination 1) moves and
    // holds twice as much, up to round-off.
    const FeCaseResult &one = serial.service[0], &two = serial.service[2];
    ASSERT_EQ(one.displacements.size(), two.displacements.size());
    double peak = 0;
    for (double d : one.displacements) peak = std::max(peak, std::fabs(d));
    ASSERT_GT(peak, 0.0);
    for (size_t i = 0; i < one.displacements.size(); ++i)
        EXPECT_NEAR(two.displacements[i], 2 * one.displacements[i], 1e-12 * peak) << i;
    for (size_t i = 0; i < one.reactions.size(); ++i)
        EXPECT_NEAR(two.reactions[i], 2 * one.reactions[i], 1e-9 * (1 + std::fabs(one.reactions[i]))) << i;

    for (int32_t threads : {1, 2, 3, 8}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        ExpectSameTrace(OnePool(40, threads), serial);
    }
}

TEST(FeParallel, OnePoolStopsWhereTheCallerSaysSo) {
    const Trace serial = OneByOne(20);
    const struct {
        const char* stopAt;
        size_t events;  // handed on up to and including the stop
    } cases[] = {{"s1", 2}, {"s3", 4}, {"s8", 9}, {"between", 10}, {"u0", 11}, {"u4", 15}};
    for (const auto& c : cases) {
        for (int32_t threads : {1, 3}) {
            SCOPED_TRACE(std::string("stop at ") + c.stopAt + ", threads " + std::to_string(threads));
            const Trace t = OnePool(20, threads, c.stopAt);
            EXPECT_EQ(t.events, std::vector<std::string>(serial.events.begin(),
                                                         serial.events.begin() + static_cast<long>(c.events)));
            // The serviceability combinations handed on leave the load
            // factors of the last of them, as the calls one after the other.
            if (c.events < Z(kService)) {
                KeepingSections sections;
                auto run = ThreeLoadCaseGirder(20, sections);
                for (int32_t k = 0; k < static_cast<int32_t>(c.events); ++k) RechneDltr3D(*run, kFirstOrder, k);
                EXPECT_EQ(t.factorsAtEnd, Factors(*run));
                EXPECT_EQ(t.lastEndForces, State(*run).lastEndForces);
            }
        }
    }
}

}  // namespace
