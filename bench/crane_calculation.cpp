// The whole crane-runway calculation through the kernel: the example
// position (all five checks, buckling runs, fatigue and rail weld) and the
// example's girder continued over two fields of 10 m with crane positions
// about 0.1 m apart (at least 200 positions, five checks). Goal: the
// 200-position runway under 5 s. Reported per case: the kernel runs and the
// time per kernel run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "crane/CraneRun.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace {

namespace fs = std::filesystem;

struct Position {
    fs::path dir;
    ZVDOC doc = 0;
    CModuleData d;

    explicit Position(bool longRunway) {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BIN_DIR) / "velor2005");
        dir = fs::temp_directory_path() / ("rigel_bench_crane_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const fs::path file = dir / "Kranbahntraeger.vkx";
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file,
                      fs::copy_options::overwrite_existing);
        doc = ZEVUD_OpenDoc(file.string().c_str());
        d.m_hDoc = doc;
        d.ReadData(doc);
        if (longRunway) {
            d.m_fieldLengths.assign(1, CFormulaValue(0.0));
            d.m_fieldLengths.emplace_back(10.0);
            d.m_fieldLengths.emplace_back(10.0);
            d.m_supports.resize(3, d.m_supports.back());
            d.m_sections.resize(2, d.m_sections.front());
            // The largest spacing that gives at least 200 positions.
            const size_t cranes = d.m_cranes.empty() ? 1 : d.m_cranes.size();
            for (double step = 0.1; step > 0.02; step -= 0.0025) {
                d.m_craneSettings.m_craneMaxDist.SetValue(step);
                d.GenerateCranePositions();
                if (d.m_cranePositions.size() / cranes >= 200) break;
            }
        }
        for (int c = 0; c < CModuleData::kCraneChecks; ++c) d.m_craneSettings.m_checkEnabled[c] = 1;
    }
    ~Position() {
        d.m_steelSections.Reset();
        d.RemoveTempSectionFile();
        if (doc) ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void Calculate(benchmark::State& state, bool longRunway) {
    Position p(longRunway);
    CCraneRunSteps& steps = GetCraneRunSteps();
    steps = DefaultCraneRunSteps();
    long runs = 0;
    double kernelSeconds = 0.0;
    auto kernel = steps.kernelRun;
    steps.kernelRun = [&](CModuleData& m) {
        const auto t0 = std::chrono::steady_clock::now();
        const CRecalcResult r = kernel(m);
        kernelSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++runs;
        return r;
    };
    int calculated = 0;
    for (auto _ : state) {
        p.d.ClearInputFingerprint();
        calculated += p.d.Recalc(0, 0).bCalculated;
    }
    steps = DefaultCraneRunSteps();
    if (calculated != static_cast<int>(state.iterations()))
        state.SkipWithError(("the calculation did not run: " + p.d.m_strMessage).c_str());
    const double n = static_cast<double>(state.iterations());
    const size_t cranes = p.d.m_cranes.empty() ? 1 : p.d.m_cranes.size();
    state.counters["positions"] = static_cast<double>(p.d.m_cranePositions.size() / cranes);
    state.counters["kernel runs"] = static_cast<double>(runs) / n;
    state.counters["ms per kernel run"] = runs > 0 ? 1000.0 * kernelSeconds / static_cast<double>(runs) : 0.0;
}

void BM_CraneExample(benchmark::State& state) { Calculate(state, false); }
void BM_CraneRunway200Positions(benchmark::State& state) { Calculate(state, true); }

BENCHMARK(BM_CraneExample)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CraneRunway200Positions)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
