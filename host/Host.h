// The host program's work: load the module, open or create position
// documents, send command documents, report the answers.
#pragma once

#include <ostream>
#include <string>
#include <vector>

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

}  // namespace host
