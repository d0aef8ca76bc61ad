// One first-order analysis of a two-span IPE 300 girder under a uniform
// load and a point load, for members of 10, 100, 200 and 496 elements (the
// model holds at most 500 nodes). The solve is banded (half bandwidth 13),
// so the time should grow linearly with the element count. A second
// benchmark assembles and solves the skyline system of chains of up to 1,000
// elements directly, beyond the model's node limit.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "testsupport/ipe300.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"

using namespace tovik;
using namespace tovik::fe;

namespace {

void BM_FirstOrderPass(benchmark::State& state) {
    ipe300::Sections sections;
    auto run = ipe300::TwoSpanGirder(static_cast<int32_t>(state.range(0)), sections);
    for (auto _ : state) {
        const int32_t rc = RechneDltr3D(*run, 0, 0);
        benchmark::DoNotOptimize(rc);
    }
    state.counters["elements"] = run->cdltr.fe.nStab;
    state.counters["us_per_element"] = benchmark::Counter(
        static_cast<double>(run->cdltr.fe.nStab), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FirstOrderPass)->Arg(10)->Arg(100)->Arg(200)->Arg(496)->Unit(benchmark::kMicrosecond);

// Assembly and solution of the skyline system of a chain of beam elements.
void BM_SkylineChain(benchmark::State& state) {
    const int32_t ne = static_cast<int32_t>(state.range(0));
    const int32_t N = 7 * (ne + 1);
    const ElementValues ev = ipe300::Element(0.01);
    Mat14 K, Kg;
    CalcElementMatrices(0, ev, Vec14{}, K, Kg, nullptr, true, {}, nullptr);
    const std::vector<double> packed = PackUpperTriangle(K.data(), 14);
    std::vector<double> lager(static_cast<size_t>(N) + 1, 0.0);
    for (int j = 1; j <= 7; ++j) lager[static_cast<size_t>(j)] = -1;  // clamped start
    for (auto _ : state) {
        std::vector<int32_t> mht(static_cast<size_t>(N) + 1, 0), maxa;
        for (int32_t e = 0; e < ne; ++e) ColumnHeights(mht, ElementDofNumbers(e, e + 1));
        int32_t nband, nwk;
        SkylineAddresses(maxa, mht, N, nband, nwk);
        std::vector<double> a(static_cast<size_t>(nwk) + 1, 0.0), p(static_cast<size_t>(N) + 1, 1.0);
        for (int32_t e = 0; e < ne; ++e) AddElementToSkyline(a, maxa, packed, ElementDofNumbers(e, e + 1));
        ApplySupports(a, lager, maxa, N);
        benchmark::DoNotOptimize(SolveSkyline(a, maxa, p, N, 1));
    }
    state.counters["elements"] = ne;
}
BENCHMARK(BM_SkylineChain)->Arg(10)->Arg(100)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
