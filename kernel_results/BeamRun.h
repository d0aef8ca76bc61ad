// The calculation of beam documents (export DADAD_Urev): reader, side files,
// the phases, and the "result" tree of its own shape with the serviceability
// group "gebr" (deflections, 3-D deformation, deflection utilisation,
// support reactions per action with their exported values) and the
// load-bearing group "trag" (internal forces and stresses), the c/t proof
// and the utilisation summary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/KernelPhases.h"
#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik::results {

// The whole path of a beam document; the flag writes the calculation
// report. Registered as the run driver's CalcStabDocument. The document is
// not saved here: its owner saves it.
void CalcStabDocument(RunState& run, const KernelPhases& phases, ZVDOC doc, int32_t flag);

// Writes the result tree of a finished run into the document (steps after
// the calculation; also used by the tests over hand-made results).
void WriteStabResults(RunState& run, ZVDOC doc, const std::string& errorText);

// Reaction records of one component over a set of columns, as the beam
// result tree holds them: (x0, 0, 0), one (x, -lo, -hi) per node with a
// value beyond 0.0001, and (xLast, 0, 0). A node without any column adds no
// record.
struct ReactionSeries {
    std::vector<float> data;
    std::vector<float> lo, hi;    // per node, over the columns (start +1e10 / -1e10)
    std::vector<bool> hasRecord;  // per node
};
ReactionSeries BuildReactionSeries(const std::vector<float>& nodeX,
                                   const std::vector<std::vector<double>>& reactionsPerColumn, int32_t component);

}  // namespace tovik::results
