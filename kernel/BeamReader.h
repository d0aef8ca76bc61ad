// Reader of beam documents (program "VOVI", and documents of other programs
// of the suite in turned axes) into the model record: one straight member of
// generated nodes with point supports, elastic line supports, hinges, one
// cross-section and the document's loads and load combinations. Loads are
// turned by the profile rotation into the section's reference axes; the turn
// into its principal axes is left to data preparation.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik {

// Fills run.cdltr from the document. Returns 0 whether or not the document
// could be read: a document without root, "input" or "system" leaves the
// model with what was set before. A model beyond the record's limits stops
// the run with an error line that names the count.
int32_t ReadStabDom(RunState& run, ZVDOC doc, int32_t mode);

// Number of elements of a generated field of the given length in m: 6 below
// 2.0, 12 from 5.0 on, in between int(2·length + 0.5) made even, plus 2.
// (SubdivisionCount of MemberDesignReader.h.)

}  // namespace tovik
