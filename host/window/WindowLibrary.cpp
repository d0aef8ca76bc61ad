// The window mode as a library of its own (libVelorWindow.so): the program
// loads it only for "edit", so that a calculation from the command line
// starts without the toolkit.
#include <ostream>

#include "host/Host.h"
#include "host/window/EditMode.h"

extern "C" __attribute__((visibility("default"))) int VelorRunEdit(const host::EditRequest* request,
                                                                   std::ostream* out, std::ostream* err) {
    if (!request || !out || !err) return host::ExitBadInput;
    return host::RunEdit(*request, *out, *err);
}
