// The module library DlgRigel as the host holds it: loaded from the host's
// own directory, called through its entry with command documents, and torn
// down explicitly before the host ends.
#pragma once

#include <cstdint>
#include <ostream>

#include "host/HostCommand.h"

namespace host {

class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    // Tears the module's objects down when that has not been done yet.
    ~Module() { Teardown(); }

    // Loads the library and finds its entry; says why not on err. batch:
    // runs without a user (the command line); false for the window mode,
    // where the user answers the module's questions. windows: the module
    // makes dialogs (a new position, the window mode); false for a
    // calculation alone, which takes the module's build without windows.
    bool Load(std::ostream& err, bool batch = true, bool windows = true);
    int64_t Send(const HostCommand& cmd) const { return entry_(cmd.Handle()); }
    // Another export of the module; null when it has none.
    void* Symbol(const char* name) const;
    // The module's teardown export: deletes its dialogs and global objects.
    // Once only; later calls do nothing.
    void Teardown();

private:
    using InterfaceFunc = int64_t (*)(uint32_t);
    void* lib_ = nullptr;
    InterfaceFunc entry_ = nullptr;
    bool tornDown_ = false;
};

}  // namespace host
