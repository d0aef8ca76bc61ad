// The run driver of the kernel: the member-design path, the phase driver
// shared by every path, the error text, the check of the RTF writer library
// and the bodies of the three exported entry points (the routines themselves
// are exported beside the library's phase table, kernel_results/KernelEntry).
#pragma once

#include <cstdint>
#include <string>

#include "kernel/KernelPhases.h"
#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik {

// ---- the exported entry points, with the phase table of the run ----------------
// Each refuses a call that overlaps a running one, sets up the run (RTF
// writer, drawing objects) and turns an exception into a message.

// RIREZ_Aver: calculates a member-design or crane-runway position document;
// the flag asks for the calculation report.
void CalcPositionEntry(const KernelPhases& phases, uint32_t doc, int32_t flag);
// RIREZ_AverPosition: one crane position of a crane-runway document on a
// worker thread, beside other such runs: the analysis on this thread alone,
// no error file, no report, no progress and no save. A run that wrote any
// line, or stopped, leaves only "abbruch" 1 in the document: the caller
// calculates that position once more the usual way, which writes its error
// protocol and messages.
void CalcPositionOnWorker(const KernelPhases& phases, uint32_t doc);
// DADAD_Urev: calculates a position document of the program "VOVI"; a
// nonzero flag writes the calculation report.
void CalcStabEntry(const KernelPhases& phases, uint32_t doc, int32_t flag);
// REZIR_IdadOzov: calculates the model of the text file "<name>.vk1".
void CalcTextFileEntry(const KernelPhases& phases, char* name);

// The member-design driver: reader, side files, phases, error text, results,
// saving. The print flag writes the calculation report.
void CalcMemberDocument(RunState& run, const KernelPhases& phases, ZVDOC doc, int32_t printFlag);

// The phase driver. Always 0; a fault that stops the run ends it early.
int32_t RunCalculation(RunState& run, const KernelPhases& phases, int32_t printFlag);

// Closes the error file and returns the error text of the run: empty when
// no line was counted, else the heading, the lines and one blank. A file
// without lines is deleted; one with lines is deleted too unless keepLines
// (the position's run keeps its error protocol beside the document).
std::string CollectErrorText(RunState& run, bool keepLines = false);

// Opens the run's error file "<base>.err" ("w+") in the current directory.
void OpenErrorFile(RunState& run);

// Writes the "result" element of a run that produced no results: the error
// text, "abbruch" 1 and an empty "exports".
void WriteStoppedResult(ZVDOC doc, const std::string& errorText);

// Asks the RTF writer library for its version; below 2 (or no answer) shows
// "ZADEVOZ.DLL nicht korrekt". Returns the version read (0 when none).
int32_t CheckRtfLibVersion(const KernelPhases& phases);

// True while an export call is running (overlapping calls are refused).
bool CalculationRunning();

}  // namespace tovik
