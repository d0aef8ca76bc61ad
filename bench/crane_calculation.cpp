// The whole crane-runway calculation through the kernel: the example
// position (all five checks, buckling runs, fatigue and rail weld) and the
// example's girder continued over two fields of 10 m with crane positions
// about 0.1 m apart (at least 200 positions, five checks), and the same
// runway at 50, 100 and 400 positions (400 on two fields of 12 m). Goals:
// the example under 150 ms, the 200-position runway under 2 s on 8 cores
// and under 6 s with TOVIK_THREADS=1. Reported per case: the kernel runs, the
// time per kernel run and per superposition, and what a kernel run spends
// on its analysis.
//
// With TOVIK_THREADS other than 1 the positions' kernel runs go side by side
// on worker threads; "ms per kernel run" is then a worker's time per run
// (the document written for the position and its copy not included). The
// split of a kernel run is sampled in the serial run (TOVIK_THREADS=1): after some of the runs (timing
// paused) a copy of the position's document, as the run left it, is
// calculated once more in this process by the kernel's own phases, each
// phase timed: the model (system data, loads, sections), the analysis
// (first-order runs, buckling, imperfections, second order), the result
// subtree (envelopes and the results written into the document) and the
// rest of the kernel (reading the document, saving it). "analysis share" is
// the sampled analysis time over the whole kernel-run step (module side
// included: writing the document, the input check, binding the kernel).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "crane/CraneRun.h"
#include "kernel/KernelRun.h"
#include "kernel_results/KernelEntry.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace {

namespace fs = std::filesystem;

struct Position {
    fs::path dir;
    ZVDOC doc = 0;
    CModuleData d;

    // positions 0: the example as it is; else the girder over two fields
    // of 10 m with at least that many crane positions.
    explicit Position(int positions) {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BIN_DIR) / "velor2005");
        dir = fs::temp_directory_path() / ("rigel_bench_crane_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const fs::path file = dir / "Kranbahntraeger.vkx";
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file,
                      fs::copy_options::overwrite_existing);
        doc = ZEVUD_OpenDoc(file.string().c_str());
        d.m_hDoc = doc;
        d.ReadData(doc);
        if (positions > 0) {
            // Positions closer than 5 cm count as one, so two fields of 10 m
            // hold no more than about 350: a runway of more than 200
            // positions gets fields of 12 m (same division, so the same
            // number of nodes; 20 m would no longer be stable).
            const double field = positions > 200 ? 12.0 : 10.0;
            d.m_fieldLengths.assign(1, CFormulaValue(0.0));
            d.m_fieldLengths.emplace_back(field);
            d.m_fieldLengths.emplace_back(field);
            d.m_supports.resize(3, d.m_supports.back());
            d.m_sections.resize(2, d.m_sections.front());
            // The largest spacing that gives at least that many positions
            // (0.1 m for 200).
            const size_t cranes = d.m_cranes.empty() ? 1 : d.m_cranes.size();
            const double scale = 200.0 / positions * field / 10.0;
            for (double step = 0.1 * scale; step > 0.005 * scale; step -= 0.0025 * scale) {
                d.m_craneSettings.m_craneMaxDist.SetValue(step);
                d.GenerateCranePositions();
                if (d.m_cranePositions.size() / cranes >= static_cast<size_t>(positions)) break;
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

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// Seconds spent per part of the sampled in-process kernel runs.
struct KernelSplit {
    int samples = 0, failed = 0;
    double total = 0, model = 0, analysis = 0, results = 0;

    // Calculates a copy of doc in this process with timed phases.
    void Sample(ZVDOC doc, const fs::path& dir) {
        // The copy keeps the document's name in a folder of its own, beside
        // the section files of the position (named after the document).
        const fs::path folder = dir / "sample";
        std::error_code ec;
        fs::create_directories(folder, ec);
        for (const auto& f : fs::directory_iterator(dir, ec))
            if (f.path().extension() == ".skw")
                fs::copy_file(f.path(), folder / f.path().filename(), fs::copy_options::overwrite_existing, ec);
        const fs::path copy = folder / fs::path(zevud::GetCompleteFileName(doc)).filename();
        const ZVDOC c = ZEVUD_SaveCopyAs(doc, copy.string().c_str()) == 1 ? ZEVUD_OpenDoc(copy.string().c_str()) : 0;
        if (!c) {
            ++failed;
            return;
        }
        const ZVELEM root = ZEVUD_GetRootElement(c);
        for (const char* name : {"result", "results", "exports"})
            if (ZVELEM e = ZEVUD_FindFirstChild(root, name)) ZEVUD_DeleteElement(e);
        // As in the crane run, the document is not saved by the kernel.
        ZEVUD_HoldSaves(c, 1);
        double m = 0, a = 0, r = 0;
        tovik::KernelPhases ph = tovik::StandardPhases();
        const tovik::KernelPhases base = ph;
        auto timed = [](double& into, auto f) {
            return [&into, f](auto&&... args) {
                const auto t0 = Clock::now();
                if constexpr (std::is_void_v<decltype(f(std::forward<decltype(args)>(args)...))>) {
                    f(std::forward<decltype(args)>(args)...);
                    into += Since(t0);
                } else {
                    auto rc = f(std::forward<decltype(args)>(args)...);
                    into += Since(t0);
                    return rc;
                }
            };
        };
        ph.PrepareSystemData = timed(m, base.PrepareSystemData);
        ph.ApplyLoads = timed(m, base.ApplyLoads);
        ph.SetzeQuer = timed(m, base.SetzeQuer);
        ph.RechneDltr3D = timed(a, base.RechneDltr3D);
        ph.SetImperfection = timed(a, base.SetImperfection);
        if (base.UltimateCombinations) ph.UltimateCombinations = timed(a, base.UltimateCombinations);
        ph.BuildEnvelopes = timed(r, base.BuildEnvelopes);
        ph.WriteResultsToDom = timed(r, base.WriteResultsToDom);
        const auto t0 = Clock::now();
        tovik::CalcPositionEntry(ph, c, 0);
        const double t = Since(t0);
        // Only a run that calculated counts.
        const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(c), "result");
        if (result && zevud::GetString(result, "errorMsg").empty()) {
            total += t;
            model += m;
            analysis += a;
            results += r;
            ++samples;
        } else {
            ++failed;
        }
        ZEVUD_CloseDoc(c);
    }
};

void Calculate(benchmark::State& state, int positions) {
    Position p(positions);
    CCraneRunSteps& steps = GetCraneRunSteps();
    steps = DefaultCraneRunSteps();
    long runs = 0, superpositions = 0;
    double kernelSeconds = 0.0, superposeSeconds = 0.0;
    KernelSplit split;
    // Side by side (TOVIK_THREADS not 1) the kernel runs of the workers are
    // timed each on its thread; the split is sampled in the serial run only,
    // whose kernel-run step it wraps (a wrapped step runs the positions one
    // after another).
    const int threads = CranePositionThreads(1000);
    std::atomic<long> workerRuns{0};
    std::atomic<long long> workerNanoseconds{0};
    if (threads > 1) {
        auto position = steps.positionRun;
        steps.positionRun = [&, position](ZVDOC doc) {
            const auto t0 = Clock::now();
            position(doc);
            workerNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t0).count();
            ++workerRuns;
        };
    } else {
        auto kernel = steps.kernelRun;
        steps.kernelRun = [&, kernel](CModuleData& m) {
            const auto t0 = Clock::now();
            const CRecalcResult r = kernel(m);
            kernelSeconds += Since(t0);
            ++runs;
            // Every 25th run is sampled, so that every check has its share.
            if (runs % 25 == 1) {
                state.PauseTiming();
                split.Sample(m.m_hDoc, p.dir);
                state.ResumeTiming();
            }
            return r;
        };
    }
    auto superpose = steps.superpose;
    steps.superpose = [&](CModuleData& m, int check, int mode, int cases, int pos,
                          const std::vector<std::string>& names, std::FILE* log) {
        const auto t0 = Clock::now();
        superpose(m, check, mode, cases, pos, names, log);
        superposeSeconds += Since(t0);
        ++superpositions;
    };
    int calculated = 0;
    for (auto _ : state) {
        p.d.ClearInputFingerprint();
        calculated += p.d.Recalc(0, 0).bCalculated;
    }
    steps = DefaultCraneRunSteps();
    if (calculated != static_cast<int>(state.iterations()))
        state.SkipWithError(("the calculation did not run: " + p.d.m_strMessage).c_str());
    if (threads > 1) {
        runs = workerRuns.load();
        kernelSeconds = 1e-9 * static_cast<double>(workerNanoseconds.load());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["threads"] = threads;
    const size_t cranes = p.d.m_cranes.empty() ? 1 : p.d.m_cranes.size();
    state.counters["positions"] = static_cast<double>(p.d.m_cranePositions.size() / cranes);
    state.counters["kernel runs"] = static_cast<double>(runs) / n;
    const double perRun = runs > 0 ? kernelSeconds / static_cast<double>(runs) : 0.0;
    state.counters["ms per kernel run"] = 1000.0 * perRun;
    state.counters["ms per superposition"] =
        superpositions > 0 ? 1000.0 * superposeSeconds / static_cast<double>(superpositions) : 0.0;
    if (split.samples > 0) {
        const double k = 1000.0 / split.samples;
        state.counters["sampled runs"] = split.samples;
        if (split.failed > 0) state.counters["failed samples"] = split.failed;
        state.counters["ms in-kernel"] = k * split.total;
        state.counters["ms model"] = k * split.model;
        state.counters["ms analysis"] = k * split.analysis;
        state.counters["ms result subtree"] = k * split.results;
        state.counters["ms doc read+save"] = k * (split.total - split.model - split.analysis - split.results);
        state.counters["analysis share"] = perRun > 0 ? split.analysis / split.samples / perRun : 0.0;
    }
}

void BM_CraneExample(benchmark::State& state) { Calculate(state, 0); }
void BM_CraneRunway200Positions(benchmark::State& state) { Calculate(state, 200); }
// The runway at 50 to 400 positions: the time should grow linearly.
void BM_CraneRunwayPositions(benchmark::State& state) { Calculate(state, static_cast<int>(state.range(0))); }

BENCHMARK(BM_CraneExample)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CraneRunway200Positions)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CraneRunwayPositions)->Arg(50)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
