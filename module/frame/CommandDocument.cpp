#include "module/frame/CommandDocument.h"

#include "module/frame/HostRoutines.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ProgDB.h"
#include "platform/winsys/winsys.h"

ZVDOC CreateCommand(const std::string& action, int warning) {
    ZVDOC doc = ZEVUD_CreateDoc("dummy");
    if (!doc) return 0;
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return doc;
    ZEVUD_SetString(root, "action", action.c_str());
    if (warning) ZEVUD_SetInt(root, "NotImplementedWarning", 1);
    return doc;
}

void AddCommandParam(ZVDOC doc, const std::string& type, int64_t value) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    int32_t count = ZEVUD_GetInt(root, "numOfParams");
    ZVELEM param = ZEVUD_AddChildElement(root, "param");
    if (!param) return;
    ZEVUD_SetInt(param, "num", count);
    ZEVUD_SetString(param, "type", type.c_str());
    ZEVUD_SetInt64(param, "value", value);
    ZEVUD_SetInt(root, "numOfParams", count + 1);
}

std::string GetCommandAction(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return root ? zevud::GetString(root, "action") : std::string();
}

int32_t GetCommandParamCount(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return root ? ZEVUD_GetInt(root, "numOfParams") : 0;
}

bool GetCommandParam(ZVDOC doc, int32_t index, std::string& type, int64_t& value) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return false;
    ZVELEM param = ZEVUD_FindFirstChildWithAttr(root, "num", std::to_string(index).c_str());
    if (!param) return false;
    type = zevud::GetString(param, "type");
    value = ZEVUD_GetInt64(param, "value");
    return true;
}

bool GetCommandWantsWarning(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return root && ZEVUD_GetInt(root, "NotImplementedWarning") != 0;
}

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
