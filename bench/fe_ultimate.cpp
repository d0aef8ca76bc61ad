// The ultimate analyses of a two-span IPE 300 girder (load on the top
// flange, lateral and axial point loads; the model holds at most 500
// nodes):
// - one buckling analysis (linear pass and the eigenvalue);
// - one ultimate case: the buckling analysis, the imperfection affine to
//   the mode and the second-order iteration, for 10 to 496 elements, with
//   the cost per element;
// - all ultimate combinations of a 100-element member, 1 to 40 of them,
//   with the cost per combination, on one thread and on worker threads
//   (wall-clock time);
// - the 13 serviceability and 20 ultimate combinations of a 100-element
//   member as a calculation runs them: all on one pool of worker threads,
//   the serviceability ones one after the other before the ultimate ones
//   on worker threads, and all on one thread (wall-clock time).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "testsupport/ipe300.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"

using namespace tovik;
using namespace tovik::fe;

namespace {

void PerElement(benchmark::State& state, int32_t elements) {
    state.counters["elements"] = elements;
    state.counters["us_per_element"] = benchmark::Counter(
        static_cast<double>(elements) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_BucklingAnalysis(benchmark::State& state) {
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(static_cast<int32_t>(state.range(0)), sections);
    const FeState& st = State(*run);
    int32_t rc = 0;
    for (auto _ : state) rc = RechneDltr3D(*run, kBuckling, 0);
    state.counters["eigen_steps"] = st.results.ultimate[0].eigenSteps;
    state.counters["critical_factor"] = st.results.ultimate[0].eigenValues[0];
    state.counters["code"] = rc;
    PerElement(state, run->cdltr.fe.nStab);
}
BENCHMARK(BM_BucklingAnalysis)->Arg(10)->Arg(100)->Arg(496)->Unit(benchmark::kMillisecond);

void BM_UltimateCase(benchmark::State& state) {
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(static_cast<int32_t>(state.range(0)), sections);
    const FeState& st = State(*run);
    int32_t rc1 = 0, rc2 = 0;
    for (auto _ : state) {
        rc1 = RechneDltr3D(*run, kBuckling, 0);
        SetImperfection(*run, 0);
        rc2 = RechneDltr3D(*run, kSecondOrder, 0);
    }
    const FeCaseResult& r = st.results.ultimate[0];
    state.counters["eigen_steps"] = r.eigenSteps;
    state.counters["passes"] = r.passes;
    state.counters["critical_factor"] = r.eigenValues[0];
    state.counters["codes"] = rc1 * 100 + rc2;
    PerElement(state, run->cdltr.fe.nStab);
}
BENCHMARK(BM_UltimateCase)->Arg(10)->Arg(50)->Arg(100)->Arg(200)->Arg(300)->Arg(400)->Arg(496)
    ->Unit(benchmark::kMillisecond);

// All ultimate combinations (buckling, imperfection, second order each),
// on one thread and on as many as the hardware offers (second argument 0).
void BM_UltimateCombinations(benchmark::State& state) {
    ipe300::Sections sections;
    const int32_t combos = static_cast<int32_t>(state.range(0));
    const int32_t threads = static_cast<int32_t>(state.range(1));
    auto run = ipe300::TwoSpanGirder(100, sections, combos);
    int32_t failed = 0;
    for (auto _ : state) {
        RunUltimateCombinations(*run, threads, [&](int32_t, const UltimateOutcome& o) {
            failed += o.bucklingCode != 0 || o.secondOrderCode != 0;
            return true;
        });
    }
    state.counters["combinations"] = combos;
    state.counters["threads"] = threads == 1 ? 1 : UltimateThreadCount(State(*run), combos);
    state.counters["failed"] = failed;
    state.counters["ms_per_combination"] = benchmark::Counter(
        static_cast<double>(combos) * 1e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UltimateCombinations)
    ->ArgsProduct({{1, 5, 10, 20, 40}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The serviceability and ultimate combinations of a calculation: 0 all on
// one pool, 1 the serviceability combinations one after the other on the
// calling thread and then the ultimate ones on worker threads, 2 all on the
// calling thread.
void BM_AllCombinations(benchmark::State& state) {
    ipe300::Sections sections;
    const int32_t how = static_cast<int32_t>(state.range(0));
    constexpr int32_t kService = 13, kUltimate = 20;
    auto run = ipe300::TwoSpanGirder(100, sections, kUltimate, kService);
    int32_t failed = 0;
    auto service = [&](int32_t, const ServiceOutcome& o) {
        failed += o.code != 0;
        return true;
    };
    auto ultimate = [&](int32_t, const UltimateOutcome& o) {
        failed += o.bucklingCode != 0 || o.secondOrderCode != 0;
        return true;
    };
    for (auto _ : state) {
        if (how == 1) {
            for (int32_t k = 0; k < kService; ++k) failed += RechneDltr3D(*run, kFirstOrder, k) != 0;
            RunUltimateCombinations(*run, 0, ultimate);
        } else {
            RunCombinations(*run, how == 0 ? 0 : 1, service, [] { return true; }, ultimate);
        }
    }
    state.counters["threads"] = how == 2 ? 1 : UltimateThreadCount(State(*run), kService + kUltimate);
    state.counters["failed"] = failed;
}
BENCHMARK(BM_AllCombinations)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
