// Evaluation of one formula against a chain of variable tables: every call
// collects and sorts the whole chain, so the cost grows with the number of
// variables. Measured for chains of 0 to 1,000 variables.
#include <benchmark/benchmark.h>

#include <string>

#include "formula/FormulaValue.h"
#include "formula/VariableTable.h"

namespace {

const char* const kFormula = "q*l^2/8 + v17*sin(v42) - max(v100; v250)";

// A position table over a global table; the variables are split between them.
struct Chain {
    CVariableTable global, position;
    explicit Chain(int count)
    {
        position.SetParent(&global);
        for (int i = 0; i < count; ++i) {
            CVariableTable& t = i % 2 ? position : global;
            t.Define("Ordner " + std::to_string(i % 7) + "\\v" + std::to_string(i), "Wert " + std::to_string(i),
                     "kN", 0.5 * i);
        }
        position.Define("Last\\q", "Streckenlast", "kN/m", 12.5);
        position.Define("System\\l", "Spannweite", "m", 6);
    }
};

void BM_EvaluateChain(benchmark::State& state)
{
    Chain chain(static_cast<int>(state.range(0)));
    double value = 0;
    for (auto _ : state) {
        chain.position.Evaluate(kFormula, value);
        benchmark::DoNotOptimize(value);
    }
    state.counters["variables"] = static_cast<double>(state.range(0) + 2);
}
BENCHMARK(BM_EvaluateChain)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A formula value read as the records read theirs: one evaluation per read.
void BM_FormulaValueRead(benchmark::State& state)
{
    Chain chain(static_cast<int>(state.range(0)));
    CFormulaValue v;
    v.SetVariableTable(&chain.position);
    v.SetFromText(kFormula);
    for (auto _ : state) benchmark::DoNotOptimize(v.GetValue());
}
BENCHMARK(BM_FormulaValueRead)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
