// The calculation phases that the run driver calls, as one table.
//
// The driver lives in this folder; the phases are built here (finite
// elements, sections) and in the results folder (result writer, report, the
// beam path). The library's table is made in one place, beside the exported
// routines (StandardPhases in kernel_results/KernelEntry.cpp), and handed to
// the run; tests hand in tables of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/zevud/zevud.h"

namespace tovik {

class RunState;
namespace fe {
struct UltimateOutcome;
struct ServiceOutcome;
}

struct KernelPhases {
    // Data preparation: girder length and support fields. Result 0 = ok.
    std::function<int32_t(RunState&)> PrepareSystemData;
    // Nodes, element data, load placement and the result layout. 0 = ok.
    std::function<int32_t(RunState&)> ApplyLoads;
    // Sections per element ("Querschnitte"). 0 = ok.
    std::function<int32_t(RunState&)> SetzeQuer;
    // One analysis: modus 0 first order, 1 buckling eigenvalues, 2 second
    // order; lk = 0-based combination of that list. Returns the analysis code.
    std::function<int32_t(RunState&, int32_t modus, int32_t lk)> RechneDltr3D;
    // Imperfection for ultimate combination lk (0-based).
    std::function<int32_t(RunState&, int32_t lk)> SetImperfection;
    // The first-order analysis of every serviceability combination and the
    // three steps of every ultimate combination at once (on worker threads):
    // each serviceability combination's code and lines are handed on in
    // order to the first callback, then the second is called once (the
    // serviceability envelopes), then each ultimate combination's codes and
    // lines in order to the third; a false from any stops the rest. Empty:
    // the driver takes the serviceability combinations one by one
    // (RechneDltr3D), then the ultimate ones (below).
    std::function<void(RunState&, const std::function<bool(int32_t lk, const fe::ServiceOutcome&)>&,
                       const std::function<bool()>&,
                       const std::function<bool(int32_t lk, const fe::UltimateOutcome&)>&)>
        Combinations;
    // Buckling analysis, imperfection and second order of every ultimate
    // combination at once (on worker threads), handing each combination's
    // codes and lines on in order to the callback (false: stop). Empty: the
    // driver calls the three steps above combination by combination.
    std::function<void(RunState&, const std::function<bool(int32_t lk, const fe::UltimateOutcome&)>&)>
        UltimateCombinations;
    // Envelopes: 1 from the serviceability results, 0 from second order.
    std::function<int32_t(RunState&, int32_t which)> BuildEnvelopes;
    // Writes the calculation report.
    std::function<int32_t(RunState&)> PrintReport;
    // Writes the result tree, exports, proofs and c/t checks into the document.
    std::function<void(RunState&, ZVDOC, const std::string& errorText)> WriteResultsToDom;
    // The whole "VOVI" path of DADAD_Urev.
    std::function<void(RunState&, const KernelPhases&, ZVDOC, int32_t flag)> CalcStabDocument;
    // The whole text-file path of REZIR_IdadOzov.
    std::function<void(RunState&, const KernelPhases&, const std::string& baseName)> CalcTestCase;
    // Drawing objects of the report.
    std::function<void(RunState&)> CreateGdiObjects;
    std::function<void(RunState&)> DeleteGdiObjects;
    // RTF writer library: read a setting (name, buffer, size) -> length
    // copied, 0 or less = no value.
    std::function<int32_t(const char*, char*, int32_t)> RtfReadSetting;
};

// Reads a setting of the RTF writer library into a caller buffer (the
// library's RtfReadSetting).
int32_t ReadRtfSetting(const char* name, char* buf, int32_t size);

}  // namespace tovik
