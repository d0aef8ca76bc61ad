#include "module/frame/CommandDocument.h"

#include "module/frame/HostRoutines.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ProgDB.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/command.h"

ZVDOC CreateCommand(const std::string& action, int warning) { return zevud::command::Create(action, warning != 0); }

void AddCommandParam(ZVDOC doc, const std::string& type, int64_t value) { zevud::command::AddParam(doc, type, value); }

std::string GetCommandAction(ZVDOC doc) { return zevud::command::Action(doc); }

int32_t GetCommandParamCount(ZVDOC doc) { return zevud::command::ParamCount(doc); }

bool GetCommandParam(ZVDOC doc, int32_t index, std::string& type, int64_t& value) {
    return zevud::command::Param(doc, index, type, value);
}

bool GetCommandWantsWarning(ZVDOC doc) { return zevud::command::WantsWarning(doc); }

namespace {

int64_t Deliver(CProgDBEntry& entry, ZVDOC doc) {
    if (entry.m_strDLLName == kHostProgramName) {
        // A routine of the host: only an address the host registered for
        // this use is ever called.
        uintptr_t address = FindHostRoutine(HostRoutineKind::ModuleInterface, entry.m_strProcName);
        if (!address) {
            rigel::ShowCommonMessage("ProgDB", "Interface im Modul %s nicht gefunden", entry.m_strDLLName.c_str());
            return 0;
        }
        return reinterpret_cast<ModuleInterfaceProc>(address)(doc);
    }
    if (!entry.m_hLib) entry.m_hLib = winsys::LoadLibrary(entry.m_strDLLName);  // a failure is not cached
    if (!entry.m_hLib) {
        rigel::ShowCommonMessage("ProgDB", "Modul %s nicht gefunden", entry.m_strDLLName.c_str());
        return 0;
    }
    entry.m_pProc = reinterpret_cast<ModuleInterfaceProc>(winsys::GetProcAddress(entry.m_hLib, entry.m_strProcName));
    if (!entry.m_pProc) {
        rigel::ShowCommonMessage("ProgDB", "Interface im Modul %s nicht gefunden", entry.m_strDLLName.c_str());
        return 0;
    }
    return entry.m_pProc(doc);
}

}  // namespace

int64_t CallModuleInterface(CProgDBEntry& entry, ZVDOC doc) {
    // The document is closed on every way out, an exception included.
    struct Closer {
        ZVDOC doc;
        ~Closer() {
            if (doc) ZEVUD_CloseDoc(doc);
        }
    } closer{doc};
    return Deliver(entry, doc);
}
