// "velor2005 edit": the application object, the services of a program with
// windows, the module and the main window over one position.
#pragma once

#include <ostream>
#include <string>

#include "host/Host.h"

namespace host {

// The services of a program with windows, for the length of a window
// session: the progress windows of the module and the kernel, and the
// printing of report files through the print dialog (which stays for the
// rest of the process). Made once the application object exists.
class WindowServices {
public:
    WindowServices();
    ~WindowServices();
    WindowServices(const WindowServices&) = delete;
    WindowServices& operator=(const WindowServices&) = delete;
};

// Whether the X server the toolkit would use can be reached (tried before
// the application object is made, whose toolkit would abort on a server it
// cannot reach); why not in why. Reachable, with nothing said, when the
// toolkit runs on another platform (offscreen, Wayland) or when the X
// client library is not installed, so that the toolkit decides.
bool DisplayReachable(std::string& why);

// Runs the window mode for a position that opens (the command line checked
// it) and a display. Ends when the main window closes; with a screenshot
// file, once the window is shown and laid out.
int RunEdit(const EditRequest& request, std::ostream& out, std::ostream& err);

// Installs RunEdit as the command line's window mode.
void InstallWindowMode();

}  // namespace host
