// Side files of a position written during a calculation without a window
// (the report; other tables beside the position may join them). While the
// document's owner holds them, each is written under a temporary name beside
// its target and renamed over the target only after the owner has saved the
// position: a file beside a position never claims results that the position
// does not hold, and a run that fails or is stopped half-way leaves the old
// files as they were. The temporary names follow the pattern of the system's
// temporary files, so that the litter of a killed run is removed by a later
// one.
//
// The sequence of a calculation that saves: hold (SetHeld on), calculate
// (writers call StageFile for each side file), save the position, Commit;
// on any failure Drop. This is the one place where side files are committed.
#pragma once

#include <string>

#include "platform/zevud/zevud.h"

namespace sidefiles {

// Holds (on) or releases (off) the side files of a document. Releasing
// drops what was staged and not committed.
void SetHeld(ZVDOC doc, bool on);
bool IsHeld(ZVDOC doc);

// Where to write a side file whose final name is target: while the
// document's side files are held, a new temporary name beside target,
// remembered for the commit (a second call for the same target replaces the
// first and removes its file); otherwise target itself.
std::string StageFile(ZVDOC doc, const std::string& target);
// The temporary file staged for target; empty when none.
std::string StagedFile(ZVDOC doc, const std::string& target);
// Forgets the file staged for target and removes it (its writing failed).
void DropFile(ZVDOC doc, const std::string& target);

// While a writer runs that asks the document for its file names, the name
// target stands for path: RedirectedName answers path for target, anything
// else unchanged.
class Redirect {
public:
    Redirect(ZVDOC doc, std::string target, std::string path);
    ~Redirect();
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

private:
    ZVDOC doc_;
    std::string target_;
};
std::string RedirectedName(ZVDOC doc, const std::string& name);

// Renames every staged file that was written over its target, in the order
// staged (files never written are forgotten). False, with the reason, when a
// rename fails; the files not yet renamed are removed then.
bool Commit(ZVDOC doc, std::string& why);
// Removes every staged file of the document.
void Drop(ZVDOC doc);

}  // namespace sidefiles
