// "velor2005 edit": the application object, the services of a program with
// windows, the module and the main window over one position.
#pragma once

#include <ostream>

#include "host/Host.h"

namespace host {

// Runs the window mode for a position that opens (the command line checked
// it) and a display. Ends when the main window closes; with a screenshot
// file, once the window is shown and laid out.
int RunEdit(const EditRequest& request, std::ostream& out, std::ostream& err);

// Installs RunEdit as the command line's window mode.
void InstallWindowMode();

}  // namespace host
