// One first-order analysis of a two-span IPE 300 girder under a uniform
// load and a point load, for members of 10, 100 and 496 elements (the
// model holds at most 500 nodes). The solve is banded (half bandwidth 13),
// so the time should grow linearly with the element count. A second
// benchmark assembles and solves the skyline system of a chain of 1,000
// elements directly, beyond the model's node limit.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"

using namespace tovik;
using namespace tovik::fe;

namespace {

class Ipe300 : public IFeSectionProvider {
public:
    FeSectionValues v;
    Ipe300() {
        v.E = 2.1e8;
        v.G = 8.1e7;
        v.A = 53.81e-4;
        v.Ayy = 8356e-8;
        v.Azz = 603.8e-8;
        v.IT = 20.12e-8;
        v.Iw = 125900e-12;
        v.ip2 = (v.Ayy + v.Azz) / v.A;
        v.hy = 0.15;
        v.hz = 0.3;
    }
    bool Constant() const override { return true; }
    FeSectionValues AtNode(int32_t) const override { return v; }
    FeSectionValues AtInputNode(int32_t, double) const override { return v; }
    std::vector<FeStressPoint> StressPoints(int32_t) const override { return {}; }
    FeMaterial Material() const override { return {}; }
};

std::unique_ptr<RunState> TwoSpanGirder(int32_t elements, const Ipe300& sections) {
    auto run = std::make_unique<RunState>();
    ModelRecord& m = run->cdltr;
    m.nFeld = 2;
    m.Feld_L[0] = m.Feld_L[1] = 6.0f;
    m.nTeilung[0] = elements / 2;
    m.nTeilung[1] = elements - elements / 2;
    SupportType fork{-1, -1, -1, -1, 0, 0, 0};
    m.LagerTyp[0] = fork;
    fork.cx = 0;
    m.LagerTyp[1] = fork;
    m.nLagerTyp = 2;
    m.Kn_Lager[0] = 1;
    m.Kn_Lager[1] = m.Kn_Lager[2] = 2;
    LineLoad q;
    q.LCGen = 1;
    q.node = 1;
    q.length = 12;
    q.pz0 = q.pz1 = 10;
    q.ez0 = q.ez1 = -15;
    m.StreckenL.Append(q);
    PointForce p;
    p.LCGen = 1;
    p.node = 1;
    p.offset = 3;
    p.Px = -50;
    p.Py = 2;
    p.Pz = 20;
    m.EinzelF.Append(p);
    m.nLf = 1;
    m.nRegelLk = m.nKnickLk = 1;
    m.nRegelTerm = m.nKnickTerm = 1;
    m.RegelTerm = {CombinationTerm{1, 0, 1.0f}};
    m.KnickTerm = {CombinationTerm{1, 0, 1.35f}};
    m.vorvType = 2;
    m.ausmitte = 2;
    State(*run).sections = &sections;
    PrepareSystemData(*run);
    ApplyLoads(*run);
    return run;
}

void BM_FirstOrderPass(benchmark::State& state) {
    Ipe300 sections;
    auto run = TwoSpanGirder(static_cast<int32_t>(state.range(0)), sections);
    for (auto _ : state) {
        const int32_t rc = RechneDltr3D(*run, 0, 0);
        benchmark::DoNotOptimize(rc);
    }
    state.counters["elements"] = run->cdltr.fe.nStab;
    state.counters["us_per_element"] = benchmark::Counter(
        static_cast<double>(run->cdltr.fe.nStab), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FirstOrderPass)->Arg(10)->Arg(100)->Arg(496)->Unit(benchmark::kMicrosecond);

// Assembly and solution of the skyline system of a chain of beam elements.
void BM_SkylineChain(benchmark::State& state) {
    const int32_t ne = static_cast<int32_t>(state.range(0));
    const int32_t N = 7 * (ne + 1);
    ElementValues ev;
    ev.l = 0.01;
    ev.E = 2.1e8;
    ev.G = 8.1e7;
    ev.A = 53.81e-4;
    ev.Iy = 8356e-8;
    ev.Iz = 603.8e-8;
    ev.IT = 20.12e-8;
    ev.Iw = 125900e-12;
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
BENCHMARK(BM_SkylineChain)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
