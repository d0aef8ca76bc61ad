// The whole program at work: `velor2005 calc` of a single-span IPE 300 of
// 6 m divided into 100 elements, with two permanent and two variable actions
// (20 ultimate combinations, each with buckling eigenvalue, imperfection and
// second-order analysis, and 13 serviceability combinations), the position's
// report written. Each iteration is one process, from start to exit; the time
// is wall-clock time and peak_MiB the process's peak resident memory.
//
// The position is bench/data/single_span_100.vkx: examples/Einfeldtraeger.vkx
// with the division raised from 10 to 100, a second permanent action (lf 2,
// 1 kN/m) and a second variable action (lf 4, 2 kN/m). Its report options are
// the example's (input tables with system pictures and section values, tables
// and diagrams of the results, envelopes) except that every ultimate
// collective gets its own block ("rtfLKTragSV" 3), so the report holds all 20.
//
// Eleven runs give the median. Another build of the program is measured with
// VELOR2005=<path to velor2005> (its libraries are found beside it).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// Each of the collectives 1..n has one block headed "Lastkollektiv i: " in the
// ultimate chapter (the serviceability chapter adds the block of its own
// largest utilisation).
bool EveryUltimateBlock(const std::string& report, int n) {
    const size_t chapter = report.find("Ergebnisse Tragsicherheit");
    if (chapter == std::string::npos) return false;
    const std::string ultimate = report.substr(chapter);
    for (int i = 1; i <= n; ++i)
        if (Count(ultimate, "Lastkollektiv " + std::to_string(i) + ": ") != 1) return false;
    return Count(ultimate, "Lastkollektiv " + std::to_string(n + 1) + ": ") == 0;
}

struct Outcome {
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;
    std::string error;
};

// Runs "<exe> calc pos.vkx" in folder and waits for it.
Outcome RunCalc(const fs::path& exe, const fs::path& folder) {
    Outcome o;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        o.error = "fork failed";
        return o;
    }
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execl(exe.c_str(), exe.c_str(), "calc", "pos.vkx", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        o.error = "wait failed";
        return o;
    }
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    o.peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        o.error = "velor2005 calc ended with status " + std::to_string(status);
        return o;
    }
    o.ok = true;
    return o;
}

void WholeProcessCalc(benchmark::State& state) {
    const char* other = std::getenv("VELOR2005");
    const fs::path exe = other && *other ? fs::path(other) : fs::path(RIGEL_BIN_DIR) / "velor2005";
    const fs::path position = fs::path(RIGEL_SOURCE_DIR) / "bench" / "data" / "single_span_100.vkx";
    const fs::path folder = fs::temp_directory_path() / ("velor_bench_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);

    // The member divided into state.range(0) elements.
    std::string input = ReadAll(position);
    const std::string division = "nTeilung=\"100\"";
    const size_t at = input.find(division);
    if (at == std::string::npos || input.find(division, at + 1) != std::string::npos) {
        state.SkipWithError("the position's division is not the one expected");
        fs::remove_all(folder);
        return;
    }
    input.replace(at, division.size(), "nTeilung=\"" + std::to_string(state.range(0)) + "\"");

    long peakKiB = 0;
    for (auto _ : state) {
        {
            std::ofstream out(folder / "pos.vkx", std::ios::binary | std::ios::trunc);
            out << input;
        }
        fs::remove(folder / "pos.rtf");
        const Outcome o = RunCalc(exe, folder);
        if (!o.ok) {
            state.SkipWithError(o.error.c_str());
            break;
        }
        state.SetIterationTime(o.seconds);
        peakKiB = std::max(peakKiB, o.peakKiB);
    }
    if (!state.error_occurred()) {
        // The run did what is measured: 20 ultimate and 13 serviceability
        // combinations, every ultimate one with its block in the report
        // ("Lastkollektiv n: <combination>").
        const std::string doc = ReadAll(folder / "pos.vkx");
        const size_t ultimate = Count(doc, "<result art=\"Ed\"");
        const size_t all = Count(doc, "<result art=\"");
        const std::string report = ReadAll(folder / "pos.rtf");
        if (ultimate != 20 || all != 33 || !EveryUltimateBlock(report, 20))
            state.SkipWithError("the position did not give 20 ultimate and 13 serviceability combinations");
        state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
        state.counters["report_MB"] = static_cast<double>(report.size()) / 1e6;
        state.counters["elements"] = static_cast<double>(state.range(0));
    }
    fs::remove_all(folder);
}
// 100 elements is the measured case; 200, 400 and 497 (the largest division
// within the model's 500 nodes) show how the time grows with the division.
BENCHMARK(WholeProcessCalc)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Arg(497)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
