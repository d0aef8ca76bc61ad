// The ultimate combinations of a member side by side on worker threads:
// the results are those of the analyses one after the other, bit for bit,
// whatever order the combinations run in; the combinations are handed on
// in their order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "kernel/KernelErrors.h"
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

}  // namespace
