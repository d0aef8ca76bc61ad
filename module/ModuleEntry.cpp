// The module's entry export: the host hands over a command document and gets
// an integer back (pointer-sized, since some answers are objects).
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "module/CommandDocument.h"
#include "module/HostRoutines.h"
#include "module/ModuleMessages.h"
#include "module/ModuleState.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

#define RIGEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The parameter values of a command whose count and types were checked.
using Params = std::vector<int64_t>;
using Handler = int64_t (*)(const Params&);

int64_t RegisterShowRtfTip(const Params& p) {
    SetShowRtfTipFunc(reinterpret_cast<ShowRtfTipProc>(static_cast<uintptr_t>(p[0])));
    return 1;
}

struct CommandSpec {
    const char* action;
    std::vector<const char*> types;
    // The work of the command; none while that part of the module is not
    // built, and the command is then answered like an unknown one.
    Handler handler;
};

const std::vector<CommandSpec>& Commands() {
    static const std::vector<CommandSpec> commands = {
        {"PreTranslateMessage", {"MSG*"}, nullptr},
        {"CreateInputDlg", {"CWnd*"}, nullptr},
        {"CreatePreviewDlg", {"CWnd*", "CWnd*", "BOOL"}, nullptr},
        {"SetData", {"CWnd*", "int"}, nullptr},
        {"GetData", {"CWnd*", "int"}, nullptr},
        {"CreateEmptyDoc", {"CWnd*"}, nullptr},
        {"SilentCalc", {"int"}, nullptr},
        {"Annotation", {"CWnd*", "CString*", "BOOL"}, nullptr},
        {"PosAnnotation", {"CWnd*", "CString*", "BOOL"}, nullptr},
        {"RegisterShowRtfTip", {"TYPE_SHOWRTFTIP"}, &RegisterShowRtfTip},
        {"CanExportTo", {"vecExportToStruct*", "CString*"}, nullptr},
        {"Export", {"int", "CString*", "CString*", "CString*"}, nullptr},
    };
    return commands;
}

int64_t AnswerUnknown(ZVDOC doc, const std::string& action) {
    if (GetCommandWantsWarning(doc))
        winsys::MessageBox(
            rigel::TranslateFormat(rigel::kSectionCommon, "interfaceFunc", "Funktion '%s' nicht implementiert!",
                                   action.c_str()),
            "", winsys::Buttons::Ok, winsys::Icon::None);
    return 0;
}

int64_t Dispatch(ZVDOC doc) {
    std::string action = GetCommandAction(doc);
    for (const CommandSpec& spec : Commands()) {
        if (action != spec.action) continue;
        // The two complaints are shown as they stand, untranslated.
        if (GetCommandParamCount(doc) != static_cast<int32_t>(spec.types.size())) {
            winsys::MessageBox("Wrong number of parameters!", "", winsys::Buttons::Ok, winsys::Icon::None);
            return 0;
        }
        Params values;
        for (size_t i = 0; i < spec.types.size(); ++i) {
            std::string type;
            int64_t value = 0;
            if (!GetCommandParam(doc, static_cast<int32_t>(i), type, value) || type != spec.types[i]) {
                winsys::MessageBox("Type mismatch!", "", winsys::Buttons::Ok, winsys::Icon::None);
                return 0;
            }
            values.push_back(value);
        }
        if (!spec.handler) return AnswerUnknown(doc, action);
        ModuleStart();
        return spec.handler(values);
    }
    return AnswerUnknown(doc, action);
}

}  // namespace

RIGEL_EXPORT int64_t interfaceFunc(uint32_t commandDoc) {
    try {
        return Dispatch(commandDoc);
    } catch (const std::exception& e) {
        // Nothing may leave the library towards the host.
        winsys::MessageBox(e.what(), "DlgRigel", winsys::Buttons::Ok, winsys::Icon::Error);
    } catch (...) {
        winsys::MessageBox("Unbekannter Fehler im Modul.", "DlgRigel", winsys::Buttons::Ok, winsys::Icon::Error);
    }
    return 0;
}

// Lets the host name one of its own routines by address in a program record
// or a calculation binding ("velor2005.exe" as library name, the address as
// hexadecimal text). kind: 1 an interface routine (int64_t (uint32_t)),
// 2 a calculation routine (void (uint32_t, int32_t)). Returns 1 when taken.
RIGEL_EXPORT int32_t RigelRegisterHostRoutine(int32_t kind, uint64_t address) {
    if (kind != static_cast<int32_t>(HostRoutineKind::ModuleInterface) &&
        kind != static_cast<int32_t>(HostRoutineKind::Calculation))
        return 0;
    if (address == 0) return 0;
    RegisterHostRoutine(static_cast<HostRoutineKind>(kind), static_cast<uintptr_t>(address));
    return 1;
}

// Tears down the module's global objects; the host calls it before it
// unloads the library.
RIGEL_EXPORT void RigelModuleTeardown() { ModuleTeardown(); }
