// Error codes of the kernel, their message texts and the error-line writer.
//
// Codes of the analysis (RechneDltr3D): 0 success, -1 no buckling eigenform,
// 1 element matrix, 2 equation system not positive definite, 99 second-order
// iteration did not converge; 4809 stands in the message table although no
// analysis returns it. The frame adds the fault codes below, each of which
// stops a run (RunState::Stop) with its own text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovik {

class RunState;

namespace codes {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kNoEigenform = -1;
inline constexpr int32_t kElementMatrix = 1;
inline constexpr int32_t kUnstable = 2;
inline constexpr int32_t kNoConvergence = 99;
inline constexpr int32_t kLoadExceeded = 4809;

// Faults of the frame and the readers (a run that meets one stops).
inline constexpr int32_t kMemoryOverflow = 4901;    // a work-array region does not fit
inline constexpr int32_t kNoDocument = 4902;        // no root element / unreadable document
inline constexpr int32_t kNoInput = 4903;           // "input" missing or given twice
inline constexpr int32_t kMissingInputPart = 4904;  // a required child of "input" is missing
inline constexpr int32_t kModelTooLarge = 4905;     // a count exceeds the model's limits
inline constexpr int32_t kBadValue = 4906;          // a number or text out of range
inline constexpr int32_t kPhaseMissing = 4907;      // a calculation phase is not available
inline constexpr int32_t kBusy = 4908;              // another calculation is running
}  // namespace codes

// Line kinds of WriteErrLine.
inline constexpr int32_t kErrLineError = 1;    // "FEHLER:  %s"
inline constexpr int32_t kErrLineWarning = 0;  // "WARNUNG: %s"
inline constexpr int32_t kErrLineCountOnly = -1;

// The iteration count that the code-99 message names (the analysis itself
// stops after three times as many).
inline constexpr int32_t kBaseIterationCount = 20;

// Counts one line and writes it into the run's error file when one is open:
// kind > 0 "FEHLER:  %s\n", kind == 0 "WARNUNG: %s\n", kind < 0 nothing.
// Returns kind.
int32_t WriteErrLine(RunState& run, int32_t kind, const std::string& text);

// The message of an analysis code for load case n (nullopt for 0 and for
// codes outside the table).
std::optional<std::string> CalcErrorMessage(int32_t code, int32_t n);

// Turns a nonzero analysis code into its message and writes it as an error
// line (code 0 does nothing). A code outside the table is written with its
// number so that it is never lost.
void ReportCalcError(RunState& run, int32_t n, int32_t code);

// The heading that stands in front of the collected error lines in "errorMsg".
std::string ErrorTextHeading();

}  // namespace tovik
