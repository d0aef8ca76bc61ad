// Enters the finite-element phases into the run driver's phase table.
#include "kernel/KernelPhases.h"
#include "kernel/fe/FeSolver.h"

namespace tovik {

namespace {
const bool kFePhasesRegistered = [] {
    KernelPhases& p = Phases();
    p.PrepareSystemData = [](RunState& run) { return fe::PrepareSystemData(run); };
    p.ApplyLoads = [](RunState& run) { return fe::ApplyLoads(run); };
    p.RechneDltr3D = [](RunState& run, int32_t modus, int32_t k) { return fe::RechneDltr3D(run, modus, k); };
    p.SetImperfection = [](RunState& run, int32_t k) {
        fe::SetImperfection(run, k);
        return 0;
    };
    p.BuildEnvelopes = [](RunState& run, int32_t kind) { return fe::BuildEnvelopes(run, kind); };
    return true;
}();
}  // namespace

}  // namespace tovik
