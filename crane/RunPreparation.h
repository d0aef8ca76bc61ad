// What a crane-runway run is prepared with besides the loads: the names of
// the five crane checks, the layout of the result value table (the rows
// under which results are stored and summarised) and the conversion of the
// kernel's result triples into pairs.
//
// The operations on the position (actions, self weights, load cases, result
// labels, masked rows) are members of CModuleData (module/ModuleData.h).
#pragma once

#include <string>
#include <vector>

namespace crane_rows {

// Rows 0..33: values of the girder.
constexpr int kGirderRows = 34;
// Rows 34..41 repeat for every stress point (eight rows each).
constexpr int kPointRowsStart = 34;
constexpr int kRowsPerPoint = 8;
// Rows 42..43 repeat for every plate (two rows each).
constexpr int kPlateRowsStart = 42;
constexpr int kRowsPerPlate = 2;
// The rows of the table itself.
constexpr int kTableRows = 44;

// The first plate row of a run with `points` stress points.
constexpr int FirstPlateRow(int points) { return kPointRowsStart + kRowsPerPoint * points; }

}  // namespace crane_rows

// The translated name of crane check 0..4 ("Tragsicherheit S/V",
// "Tragsicherheit A", "Tragsicherheit Prüflast", "Gebrauchstauglichkeit",
// "Ermüdung"); empty for any other index.
void GetCheckName(int check, std::string& name);

// A list of single-precision triples (a, b, c) becomes the list of pairs
// (a, b - c), the difference formed in double precision; a trailing
// incomplete triple is dropped.
void ConvertTriplesToPairs(std::vector<float>& words);
