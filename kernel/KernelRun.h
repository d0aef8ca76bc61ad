// The run driver of the kernel: the member-design path, the phase driver
// shared by every path, the error text, the check of the RTF writer library
// and the three exported entry points.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

#define TOVIK_EXPORT extern "C" __attribute__((visibility("default")))

// Calculates a member-design or crane-runway position document. The flag is
// accepted and not used.
TOVIK_EXPORT void RIREZ_Aver(uint32_t doc, int32_t flag);
// Calculates a position document of the program "VOVI"; a nonzero flag
// writes the calculation report.
TOVIK_EXPORT void DADAD_Urev(uint32_t doc, int32_t flag);
// Calculates the model of the text file "<name>.vk1".
TOVIK_EXPORT void REZIR_IdadOzov(char* name);

namespace tovik {

// The member-design driver: reader, side files, phases, error text, results,
// saving. The print flag writes the calculation report.
void CalcMemberDocument(RunState& run, ZVDOC doc, int32_t printFlag);

// The phase driver. Always 0; a fault that stops the run ends it early.
int32_t RunCalculation(RunState& run, int32_t printFlag);

// Closes the error file and returns the error text of the run: empty when
// no line was counted, else the heading, the lines and one blank. The file
// is deleted in either case.
std::string CollectErrorText(RunState& run);

// Opens the run's error file "<base>.err" ("w+") in the current directory.
void OpenErrorFile(RunState& run);

// Writes the "result" element of a run that produced no results: the error
// text, "abbruch" 1 and an empty "exports".
void WriteStoppedResult(ZVDOC doc, const std::string& errorText);

// Asks the RTF writer library for its version; below 2 (or no answer) shows
// "ZADEVOZ.DLL nicht korrekt". Returns the version read (0 when none).
int32_t CheckRtfLibVersion();

// True while an export call is running (overlapping calls are refused).
bool CalculationRunning();

}  // namespace tovik
