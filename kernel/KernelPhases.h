// The calculation phases that the run driver calls, as a table of slots.
//
// The driver itself lives in this folder; the phases (data preparation and
// loads, sections, finite-element analyses, envelopes, result writer, report,
// the beam and text-file paths) are built in their own folders and enter
// their routine into this table from a static initialiser, e.g.
//     static const bool reg = (tovik::Phases().ApplyLoads = &MyApplyLoads, true);
// An empty slot means that the phase is not part of this build: the driver
// then says so with an error line instead of pretending the phase ran.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/zevud/zevud.h"

namespace tovik {

class RunState;

struct KernelPhases {
    // Data preparation: girder length and support fields. Result 0 = ok.
    std::function<int32_t(RunState&)> PrepareSystemData;
    // Nodes, element data, load placement and the result layout. 0 = ok.
    std::function<int32_t(RunState&)> ApplyLoads;
    // Sections per element ("Querschnitte"). 0 = ok.
    std::function<int32_t(RunState&)> SetzeQuer;
    // Largest number of plate elements of any partial section of any section
    // of the run (sizes the plate-stress store); negative when unknown.
    std::function<int32_t(RunState&)> MaxPlateElements;
    // Sizes the plate-stress store to the given number of doubles.
    std::function<void(RunState&, int64_t)> SizePlateStressStore;
    // One analysis: modus 0 first order, 1 buckling eigenvalues, 2 second
    // order; lk = 0-based combination of that list. Returns the analysis code.
    std::function<int32_t(RunState&, int32_t modus, int32_t lk)> RechneDltr3D;
    // Imperfection for ultimate combination lk (0-based).
    std::function<int32_t(RunState&, int32_t lk)> SetImperfection;
    // Envelopes: 1 from the serviceability results, 0 from second order.
    std::function<int32_t(RunState&, int32_t which)> BuildEnvelopes;
    // Writes the calculation report.
    std::function<int32_t(RunState&)> PrintReport;
    // Writes the result tree, exports, proofs and c/t checks into the document.
    std::function<void(RunState&, ZVDOC, const std::string& errorText)> WriteResultsToDom;
    // Opens (1) or closes (-1) the run's cross-section database.
    std::function<int32_t(RunState&, int32_t mode)> OpenSectionDatabase;
    // The whole "VOVI" path of DADAD_Urev.
    std::function<void(RunState&, ZVDOC, int32_t flag)> CalcStabDocument;
    // The whole text-file path of REZIR_IdadOzov.
    std::function<void(RunState&, const std::string& baseName)> CalcTestCase;
    // Drawing objects of the report.
    std::function<void(RunState&)> CreateGdiObjects;
    std::function<void(RunState&)> DeleteGdiObjects;
    // RTF writer library: reset, and read a setting (name, buffer, size) ->
    // length copied, 0 or less = no value.
    std::function<void()> RtfReset;
    std::function<int32_t(const char*, char*, int32_t)> RtfReadSetting;
};

// The one table of the library.
KernelPhases& Phases();

}  // namespace tovik
