// The library's phase table: every step the run driver calls is there, so a
// run never meets an empty step.
#include <gtest/gtest.h>

#include "kernel_results/KernelEntry.h"
#include "kernel_results/ResultWriter.h"

namespace {

TEST(KernelEntry, StandardPhasesFillEveryStep) {
    const tovik::KernelPhases& p = tovik::StandardPhases();
    const struct {
        const char* name;
        bool set;
    } steps[] = {
        {"PrepareSystemData", bool(p.PrepareSystemData)}, {"ApplyLoads", bool(p.ApplyLoads)},
        {"SetzeQuer", bool(p.SetzeQuer)},                 {"RechneDltr3D", bool(p.RechneDltr3D)},
        {"SetImperfection", bool(p.SetImperfection)},     {"Combinations", bool(p.Combinations)},
        {"UltimateCombinations", bool(p.UltimateCombinations)}, {"BuildEnvelopes", bool(p.BuildEnvelopes)},
        {"PrintReport", bool(p.PrintReport)},             {"WriteResultsToDom", bool(p.WriteResultsToDom)},
        {"CalcStabDocument", bool(p.CalcStabDocument)},   {"CalcTestCase", bool(p.CalcTestCase)},
        {"CreateGdiObjects", bool(p.CreateGdiObjects)},   {"DeleteGdiObjects", bool(p.DeleteGdiObjects)},
        {"RtfReadSetting", bool(p.RtfReadSetting)},
    };
    for (const auto& s : steps) EXPECT_TRUE(s.set) << s.name;
    static_assert(sizeof(tovik::KernelPhases) == 15 * sizeof(std::function<void()>),
                  "a new step of the table belongs in this list");
}

TEST(KernelEntry, StandardProofsHoldBothProofsAndTheClassCheck) {
    const tovik::results::ResultProofs p = tovik::results::StandardProofs();
    EXPECT_TRUE(p.WriteElasticProofRtf);
    EXPECT_TRUE(p.WritePlasticProofRtf);
    EXPECT_TRUE(p.WriteCtCheckReport);
}

}  // namespace
