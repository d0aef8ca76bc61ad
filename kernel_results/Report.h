// The kernel's calculation report: an RTF file with the input data of the
// member, the results of every load collective and the envelopes, with
// metafile pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"

namespace tovik::report {

// Writes the whole report "<base>_XXX.rtf" into the current directory.
// 0, or 1 when the document cannot be opened.
int32_t PrintReport(RunState& run);

// Arguments of the open call for a page switch: a (no page numbers) and c
// (first page).
struct OpenArgs {
    int32_t a = 0, c = 1;
};
OpenArgs OpenArgsOf(int32_t pageSwitch);
// Opens "<name>.rtf" with the project and position header. 0 open, 1 failed
// (after the message "W Bitte erst Word Schließen!").
int32_t OpenReportRtf(const std::string& name, int32_t pageSwitch, int32_t b);
// parent 0: text after the last backslash (or slash); 1: text between the
// last two. 1 ok, 0 when the path has no such part (out empty).
int32_t GetPathPart(const std::string& path, std::string& out, int32_t parent);

void WriteBlankLines(int32_t n);
void WriteNumberCell(double width, double value);
// Decimals of a fitted number cell: one character per 0.2 cm of width.
int32_t FittedDecimals(double width, double value);
void WriteFittedNumberCell(double width, double value);
// Text of a support value: "fest" below 0, "frei" at 0, else the value.
std::string SupportValueText(double v);
// Rows of the combination table: entries (combination, load case index,
// factor) into rows of texts, five pairs a row.
struct CombinationEntry {
    int32_t ko = 0, lf = 0;
    double fak = 0;
};
std::vector<std::vector<std::string>> CombinationRows(const std::vector<CombinationEntry>& entries);

// Forces of an eccentric spring or bedding at a node from its displacements
// u, v, w (m) and twist th (rad), stiffnesses cx, cy, cz, ct and the
// eccentricities ey, ez (m) of its point from the shear centre: the twist
// moves the point by -ez*th in y and +ey*th in z, as in the stiffness.
// out: x, y, z, torsion.
void EccentricSupportForces(double u, double v, double w, double th, double cx, double cy, double cz, double ct,
                            double ey, double ez, double out[4]);

// Chapters.
void PrintInputData(RunState& run, std::string& text);
void PrintCollective(RunState& run, std::string& text, int32_t lk);
void PrintEnvelopes(RunState& run, std::string& text, bool forces, bool stresses);

}  // namespace tovik::report
