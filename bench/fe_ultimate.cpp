// One ultimate load case of a two-span IPE 300 girder (load on the top
// flange, lateral and axial point loads): the linear pass with the
// buckling eigenvalue, the imperfection affine to the mode, and the
// second-order iteration; for 10, 100 and 496 elements (the model holds at
// most 500 nodes). Reports the eigen steps and the second-order passes.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "testsupport/ipe300.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"

using namespace tovik;
using namespace tovik::fe;

namespace {

void BM_UltimateCase(benchmark::State& state) {
    ipe300::Sections sections;
    const int32_t elements = static_cast<int32_t>(state.range(0));
    auto run = ipe300::TwoSpanGirder(elements, sections);
    const ModelRecord& m = run->cdltr;
    const FeState& st = State(*run);
    int32_t rc1 = 0, rc2 = 0;
    for (auto _ : state) {
        rc1 = RechneDltr3D(*run, 1, 0);
        SetImperfection(*run, 0);
        rc2 = RechneDltr3D(*run, 2, 0);
    }
    const FeCaseResult& r = st.results.ultimate[0];
    state.counters["elements"] = m.fe.nStab;
    state.counters["eigen_steps"] = r.eigenSteps;
    state.counters["passes"] = r.passes;
    state.counters["critical_factor"] = r.eigenValues[0];
    state.counters["codes"] = rc1 * 100 + rc2;
}
BENCHMARK(BM_UltimateCase)->Arg(10)->Arg(100)->Arg(496)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
