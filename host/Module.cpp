#include "host/Module.h"

#include <string>

#include "platform/winsys/winsys.h"

namespace host {

bool Module::Load(std::ostream& err, bool batch, bool windows) {
    std::string why;
    // A calculation alone takes the module's build without windows: it
    // loads no toolkit, which such a run never needs. Where it is not
    // installed, the whole module does the same work. Either build stands
    // for "DlgRigel", the name by which the program record and the module
    // itself call the module's routines, so that the module reaches itself
    // and never a second copy (also in a process that has loaded the other
    // build before).
    if (!windows) lib_ = winsys::LoadLibraryAs("DlgRigelBatch", "DlgRigel");
    if (!lib_) lib_ = winsys::LoadLibraryAs("DlgRigel", "DlgRigel", &why);
    if (!lib_) {
        err << "Fehler: Das Modul DlgRigel wurde nicht gefunden (" << why << ").\n";
        return false;
    }
    entry_ = reinterpret_cast<InterfaceFunc>(winsys::GetProcAddress(lib_, "interfaceFunc"));
    if (!entry_) {
        err << "Fehler: Das Modul DlgRigel hat keine Schnittstelle 'interfaceFunc'.\n";
        return false;
    }
    // The command line has no user to confirm replaced input: the module
    // refuses such a calculation instead. The window mode has one.
    using BatchSwitch = void (*)(int32_t);
    if (auto sw = reinterpret_cast<BatchSwitch>(winsys::GetProcAddress(lib_, "RigelSetBatchRun"))) sw(batch ? 1 : 0);
    return true;
}

void* Module::Symbol(const char* name) const { return lib_ ? winsys::GetProcAddress(lib_, name) : nullptr; }

void Module::Teardown() {
    if (!lib_ || tornDown_) return;
    tornDown_ = true;
    using TeardownFunc = void (*)();
    if (auto teardown = reinterpret_cast<TeardownFunc>(winsys::GetProcAddress(lib_, "RigelModuleTeardown")))
        teardown();
}

}  // namespace host
