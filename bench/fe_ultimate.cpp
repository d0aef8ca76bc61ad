// One ultimate load case of a two-span IPE 300 girder (load on the top
// flange, lateral and axial point loads): the linear pass with the
// buckling eigenvalue, the imperfection affine to the mode, and the
// second-order iteration; for 10, 100 and 496 elements (the model holds at
// most 500 nodes). Reports the eigen steps and the second-order passes.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"

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

void BM_UltimateCase(benchmark::State& state) {
    Ipe300 sections;
    auto run = std::make_unique<RunState>();
    ModelRecord& m = run->cdltr;
    const int32_t elements = static_cast<int32_t>(state.range(0));
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
    FeState& st = State(*run);
    st.sections = &sections;
    PrepareSystemData(*run);
    ApplyLoads(*run);
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
