// The host program's work: load the module, open or create position
// documents, send command documents, report the answers.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

namespace host {

enum ExitCode {
    ExitOk = 0,            // calculated, every check fulfilled
    ExitCalcFailed = 1,    // not calculated (refused input, the module or the kernel could not calculate)
    ExitBadInput = 2,      // usage error, missing, damaged or unwritable file
    ExitNoModule = 3,      // the module library or its entry is missing
    ExitNotFulfilled = 4,  // calculated, but a check is not fulfilled
};

// Plain text of a message that carries RTF paragraph codes ("{\par \pard}",
// "\par", "\tab"): paragraphs become line breaks, other groups and
// control words are dropped.
std::string PlainText(const std::string& rtf);

// Runs one command line (args without the program name).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The position file a command names, found without regard to case; empty
// (with the message on err) when there is none.
std::filesystem::path FindPositionFile(const std::filesystem::path& given, std::ostream& err);
// Opens a position document; 0 (with the message on err) for a damaged
// file or one that is no position.
ZVDOC OpenPositionDocument(const std::filesystem::path& file, std::ostream& err);
class Module;

// Has the module calculate a position document ("SilentCalc") as "calc"
// does, in the position's folder (file: the position's path): the module
// calculates when the input changed since the last calculation and writes
// the report when it is missing or out of date. The document is not saved
// on the way (the caller saves it); the module's answer (0: not done).
int64_t CalculatePosition(const Module& module, ZVDOC doc, const std::filesystem::path& file);
// The module's answer to "SilentCalc" when it calculated but could not write
// the report: the old report stays, and the position is not saved.
constexpr int64_t kAnswerReportFailed = 2;
// After CalculatePosition: the caller has saved the position (commit true)
// and the side files the run wrote (the report) replace the old ones; or the
// run is not accepted (commit false) and they are removed. False when a file
// could not be put in place (the module says why).
bool CommitSideFiles(const Module& module, ZVDOC doc, bool commit);

// Whether a window can be shown: a display (DISPLAY, WAYLAND_DISPLAY) or a
// platform chosen for the toolkit (QT_QPA_PLATFORM, e.g. "offscreen").
bool HasDisplay();

// "edit": the window mode. Its runner lives in the program's window part;
// the command line hands it a position that opens and a display.
struct EditRequest {
    std::filesystem::path file;  // absolute
    std::string screenshot;      // PNG to write once shown; empty: a session with the user
};
using EditRunner = int (*)(const EditRequest& request, std::ostream& out, std::ostream& err);
void SetEditRunner(EditRunner runner);
// Makes "edit" run the window mode of the library VelorWindow beside the
// program, loaded when "edit" is asked for (exported as VelorRunEdit).
void InstallWindowLibrary();

}  // namespace host
