#include "kernel_results/KernelEntry.h"

#include "kernel/KernelRun.h"
#include "kernel/TextInput.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "kernel_results/BeamRun.h"
#include "kernel_results/Report.h"
#include "kernel_results/ReportDrawing.h"
#include "kernel_results/ResultWriter.h"

namespace tovik {

const KernelPhases& StandardPhases() {
    static const KernelPhases table{
        .PrepareSystemData = &fe::PrepareSystemData,
        .ApplyLoads = &fe::ApplyLoads,
        .SetzeQuer = &section::SetzeQuer,
        .RechneDltr3D = &fe::RechneDltr3D,
        .SetImperfection =
            [](RunState& run, int32_t lk) {
                fe::SetImperfection(run, lk);
                return 0;
            },
        .Combinations =
            [](RunState& run, const fe::ServiceDone& service, const std::function<bool()>& between,
               const fe::UltimateDone& ultimate) { fe::RunCombinations(run, 0, service, between, ultimate); },
        .UltimateCombinations =
            [](RunState& run, const fe::UltimateDone& done) { fe::RunUltimateCombinations(run, 0, done); },
        .BuildEnvelopes = &fe::BuildEnvelopes,
        .PrintReport = &report::PrintReport,
        .WriteResultsToDom = [](RunState& run, ZVDOC doc,
                                const std::string& errorText) { results::WriteResultsToDom(run, doc, errorText); },
        .CalcStabDocument = &results::CalcStabDocument,
        .CalcTestCase = &CalcTestCase,
        .CreateGdiObjects = [](RunState&) { report::CreateGdiObjects(); },
        .DeleteGdiObjects = [](RunState&) { report::DeleteGdiObjects(); },
        .RtfReadSetting = &ReadRtfSetting,
    };
    return table;
}

}  // namespace tovik

TOVIK_EXPORT void RIREZ_Aver(uint32_t doc, int32_t flag) { tovik::CalcPositionEntry(tovik::StandardPhases(), doc, flag); }

TOVIK_EXPORT void RIREZ_AverPosition(uint32_t doc, int32_t) {
    tovik::CalcPositionOnWorker(tovik::StandardPhases(), doc);
}

TOVIK_EXPORT void DADAD_Urev(uint32_t doc, int32_t flag) { tovik::CalcStabEntry(tovik::StandardPhases(), doc, flag); }

TOVIK_EXPORT void REZIR_IdadOzov(char* name) { tovik::CalcTextFileEntry(tovik::StandardPhases(), name); }
