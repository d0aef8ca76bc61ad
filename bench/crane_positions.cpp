// Crane positions of one to three cranes on a runway refined to 200
// candidate points: three cranes run through 1,353,400 point tuples, each
// turned into a position, filtered and compared by its key.
#include <benchmark/benchmark.h>

#include "module/ModuleData.h"

namespace {

void Runway(CModuleData& d, int cranes) {
    d.Init();
    d.m_fieldLengths.assign(1, CFormulaValue(0.0));
    d.m_fieldLengths.emplace_back(99.0);
    d.m_fieldLengths.emplace_back(100.0);
    // Range [0, 199] in steps of 1 m: 200 points.
    d.m_craneSettings.m_craneMaxDist.SetValue(1.0);
    d.m_cranes.resize(static_cast<size_t>(cranes));
    for (CCrane& c : d.m_cranes) {
        c.m_pOwner = &d;
        c.m_numOfAxis = 2;
        c.SetAxisCount();
        c.AxisValue(0, 0)->SetValue(1.0);
        c.AxisValue(1, 0)->SetValue(3.5);
        for (int a = 0; a < 2; ++a) {
            c.AxisValue(a, 1)->SetValue(a == 0 ? 120.0 : 90.0);
            c.AxisValue(a, 3)->SetValue(40.0);
        }
    }
}

void BM_CranePositions(benchmark::State& state) {
    CModuleData d;
    Runway(d, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        d.GenerateCranePositions();
        benchmark::DoNotOptimize(d.m_cranePositions.data());
    }
    state.counters["positions"] = static_cast<double>(d.m_cranePositions.size()) / static_cast<double>(state.range(0));
}
BENCHMARK(BM_CranePositions)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
