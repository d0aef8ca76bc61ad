// The host program's work: load the module, open or create position
// documents, send command documents, report the answers.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace host {

enum ExitCode {
    ExitOk = 0,
    ExitCalcFailed = 1,  // the module or the kernel could not calculate
    ExitBadInput = 2,    // usage error, missing or damaged file
    ExitNoModule = 3,    // the module library or its entry is missing
};

// Runs one command line (args without the program name).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace host
