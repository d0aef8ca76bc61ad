// The module's entry export: the host hands over a command document and gets
// an integer back (pointer-sized, since some answers are objects).
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "input/MateHandler.h"
#include "input/SectProfile.h"
#include "input/StdProfile.h"
#include "module/frame/CommandDocument.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"
#include "module/frame/HostRoutines.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/SideFiles.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"
#include "platform/zarida/zarida.h"
#include "platform/zevud/zevud.h"

#define RIGEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The parameter values of a command whose count and types were checked.
using Params = std::vector<int64_t>;
using Handler = int64_t (*)(const Params&);

// "SilentCalc" calculated, but the report could not be written: the old
// report stays, and the caller does not save the position.
constexpr int64_t kAnswerReportFailed = 2;

int64_t RegisterShowRtfTip(const Params& p) {
    SetShowRtfTipFunc(reinterpret_cast<ShowRtfTipProc>(static_cast<uintptr_t>(p[0])));
    return 1;
}

// The main dialogs this library created and that still live. A window
// value from the host is used only when it is one of them, so a foreign or
// stale pointer is never followed.
std::set<CMainDialogBase*>& Dialogs() {
    static auto* dialogs = new std::set<CMainDialogBase*>();  // emptied by the teardown
    return *dialogs;
}

CMainDialogBase* MainDialog(int64_t value) {
    auto* dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(value));
    if (!Dialogs().count(dlg)) return nullptr;
    return IsClassNamed(dlg, "DIzevoViv") ? dlg : nullptr;
}

std::string* Text(int64_t value) { return reinterpret_cast<std::string*>(static_cast<uintptr_t>(value)); }

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The member-design programs a position can be converted between: this
// module and its sibling.
constexpr const char* kThisProgram = "RIGEL";
constexpr const char* kSiblingProgram = "DENEB";

int64_t PreTranslateMessage(const Params&) {
    // No message loop of its own: nothing is handled here.
    return 0;
}

int64_t CreateInputDlg(const Params& p) {
    CMainDialogBase* dlg = MakeMainDialog(p[0]);
    Dialogs().insert(dlg);
    return static_cast<int64_t>(reinterpret_cast<uintptr_t>(dlg));
}

// The previews this library created, each owned by its main dialog's entry here.
std::set<CPreviewDialogBase*>& Previews() {
    static auto* previews = new std::set<CPreviewDialogBase*>();  // emptied by the teardown
    return *previews;
}

int64_t CreatePreviewDlg(const Params& p) {
    // The third parameter is read and not used.
    CMainDialogBase* dlg = MainDialog(p[1]);
    CPreviewDialogBase* preview = MakePreviewDialog(p[0]);
    Previews().insert(preview);
    if (dlg) {
        preview->m_pMainDlg = dlg;
        preview->m_pModuleData = &dlg->m_data;
        dlg->m_pPreview = preview;
        dlg->m_data.m_pPreviewDlg = preview;
    }
    preview->m_views &= ~static_cast<uint32_t>(CPreviewDialogBase::VIEW_YZ);
    preview->CreateModeless();
    preview->SetParentWindow(p[0]);
    preview->Show();
    return static_cast<int64_t>(reinterpret_cast<uintptr_t>(preview));
}

int64_t SetData(const Params& p) {
    CMainDialogBase* dlg = MainDialog(p[0]);
    if (!dlg) return 1;
    const ZVDOC doc = static_cast<ZVDOC>(p[1]);
    if (doc != dlg->m_hDoc) {
        dlg->m_data.RemoveTempSectionFile();
        dlg->m_hDoc = doc;
        dlg->m_data.m_hDoc = doc;
        if (doc) {
            dlg->m_data.ReadData(doc);
            dlg->SetupTabs();
            dlg->ExchangeData(0);
            dlg->SelectPage(dlg->m_data.GetStartPage(2));
            dlg->ShowPage();
        }
    }
    dlg->m_data.m_varDefs.RefreshImportedValues();
    dlg->TransferVarDefs(0);
    dlg->ShowPage();
    return 1;
}

int64_t GetData(const Params& p) {
    CMainDialogBase* dlg = MainDialog(p[0]);
    if (!dlg) return 1;
    const ZVDOC doc = static_cast<ZVDOC>(p[1]);
    if (doc != dlg->m_hDoc) return 1;
    dlg->ExchangeData(1);
    dlg->m_data.WriteData(doc);
    dlg->m_data.SetLastPage(dlg->GetCurPage());
    return 1;
}

int64_t CreateEmptyDoc(const Params& p) {
    CMainDialogBase* dlg = MainDialog(p[0]);
    if (!dlg) return 0;
    dlg->m_data.RemoveTempSectionFile();
    dlg->m_data.Init();
    const ZVDOC doc = ZEVUD_CreateDoc("");
    if (!doc) return 0;
    dlg->m_hDoc = doc;
    dlg->m_data.m_hDoc = doc;
    dlg->m_data.WriteData(doc);
    return static_cast<int64_t>(doc);
}

// What the installation lacks for a calculation: the program-information
// folder and its files, the material database (with every value a number)
// and the profile catalogue. Empty when all are there and readable.
std::string MissingInstallationPart() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path root = GetInstallRoot();
    const fs::path pi = winsys::ResolveCaseInsensitive(root / "pi");
    if (!fs::is_directory(pi, ec)) return "Der Ordner der Programminformationen '" + pi.string() + "' fehlt.";
    const std::vector<fs::path> piFiles = winsys::FindFiles(pi, "*.pi");
    if (piFiles.empty()) return "Im Ordner '" + pi.string() + "' fehlen die Programminformationen (*.pi).";
    for (const fs::path& f : piFiles) {
        ZVDOC doc = ZEVUD_OpenDocQuiet(f.string().c_str());
        const bool sound = doc && ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "interface") != 0;
        if (doc) ZEVUD_CloseDoc(doc);
        if (!sound) return "Die Programminformation '" + f.string() + "' ist beschädigt.";
    }

    char buf[4096];
    const int n = ZARIDA_GetFile(0, buf, sizeof buf);
    std::string material(buf, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
    if (n >= static_cast<int>(sizeof buf)) {
        material.resize(static_cast<size_t>(n) + 1);
        ZARIDA_GetFile(0, material.data(), n + 1);
        material.resize(static_cast<size_t>(n));
    }
    const fs::path materialFile = winsys::ResolveCaseInsensitive(material);
    if (!fs::is_regular_file(materialFile, ec)) return "Die Materialdatenbank '" + material + "' fehlt.";
    ZVDOC doc = ZEVUD_OpenDocQuiet(materialFile.string().c_str());
    if (!doc) return "Die Materialdatenbank '" + material + "' ist beschädigt.";
    // Every stated property value must be a number, except the section
    // folder of a crane rail ("skwdir"), which names a folder.
    std::vector<ZVELEM> stack{ZEVUD_GetRootElement(doc)};
    while (!stack.empty()) {
        const ZVELEM e = stack.back();
        stack.pop_back();
        if (zevud::GetElementName(e) == "Eigenschaft" && !zevud::GetString(e, "Wert01").empty() &&
            zevud::GetString(e, "Kurzname") != "skwdir")
            (void)ZEVUD_GetDouble(e, "Wert01");
        for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) stack.push_back(c);
    }
    const std::string numberError = zevud::GetNumberError(doc);
    ZEVUD_CloseDoc(doc);
    if (!numberError.empty()) return "Die Materialdatenbank ist beschädigt: " + numberError;

    const fs::path catalogue = winsys::ResolveCaseInsensitive(root / "profil.skw");
    if (!fs::is_regular_file(catalogue, ec)) return "Der Profilkatalog '" + catalogue.string() + "' fehlt.";
    return {};
}

// Says which number of the position did not read; true when one did not.
bool RefuseUnreadNumbers(ZVDOC doc) {
    const std::string error = zevud::GetNumberError(doc);
    if (error.empty()) return false;
    rigel::ShowCommonMessage("interfaceFunc", "%s Die Position wird nicht berechnet.", error.c_str());
    return true;
}

int64_t SilentCalc(const Params& p) {
    const ZVDOC doc = static_cast<ZVDOC>(p[0]);
    auto data = std::make_unique<CModuleData>();
    // A calculation with a part of the installation missing would take other
    // values in its place, and its reading would drop what it cannot resolve.
    if (const std::string missing = MissingInstallationPart(); !missing.empty()) {
        rigel::ShowCommonMessage("interfaceFunc", "%s Die Position wird nicht berechnet.", missing.c_str());
        return 0;
    }
    data->m_hDoc = doc;
    data->ReadData(doc);
    // A number that did not read is never calculated as a zero; the kernel
    // reads the position as well, so its reading is checked after the run.
    if (RefuseUnreadNumbers(doc)) return 0;
    // The caller saves the position after a run it accepts; the side files
    // (the report) replace the old ones only then (RigelCommitSideFiles).
    sidefiles::SetHeld(doc, true);
    data->SilentCalc();
    if (RefuseUnreadNumbers(doc)) return 0;
    if (const std::string& failure = data->GetReportFailure(); !failure.empty()) {
        winsys::MessageBox(failure, "", winsys::Buttons::Ok, winsys::Icon::Error);
        return kAnswerReportFailed;
    }
    return 1;
}

int64_t Annotation(const Params& p, bool position) {
    CMainDialogBase* dlg = MainDialog(p[0]);
    std::string* text = Text(p[1]);
    if (!dlg || !text) return 1;
    if (position) {
        if (p[2]) dlg->m_posAnnotation = *text;
        else *text = dlg->m_posAnnotation;
        return 1;
    }
    const int page = dlg->GetCurPage();
    if (page < 0) return 1;
    if (static_cast<size_t>(page) >= dlg->m_annotations.size()) dlg->m_annotations.resize(static_cast<size_t>(page) + 1);
    if (p[2]) dlg->m_annotations[static_cast<size_t>(page)] = *text;
    else *text = dlg->m_annotations[static_cast<size_t>(page)];
    return 1;
}
int64_t TabAnnotation(const Params& p) { return Annotation(p, false); }
int64_t PosAnnotation(const Params& p) { return Annotation(p, true); }

int64_t CanExportTo(const Params& p) {
    auto* list = reinterpret_cast<vecExportToStruct*>(static_cast<uintptr_t>(p[0]));
    std::string* variant = Text(p[1]);
    if (!list) return 1;
    list->clear();
    if (!variant) return 1;
    *variant = Upper(*variant);
    if (variant->empty() || *variant == kThisProgram || *variant == kSiblingProgram) {
        list->emplace_back(kThisProgram, "");
        list->emplace_back(kSiblingProgram, "");
    }
    return 1;
}

int64_t Export(const Params& p) {
    const ZVDOC doc = static_cast<ZVDOC>(p[0]);
    std::string* program = Text(p[1]);
    std::string* variant = Text(p[2]);
    std::string* file = Text(p[3]);
    if (!program || !variant || !file) return 1;
    auto data = std::make_unique<CModuleData>();
    // A calculation with a part of the installation missing would take other
    // values in its place, and its reading would drop what it cannot resolve.
    if (const std::string missing = MissingInstallationPart(); !missing.empty()) {
        rigel::ShowCommonMessage("interfaceFunc", "%s Die Position wird nicht berechnet.", missing.c_str());
        return 0;
    }
    data->m_hDoc = doc;
    data->ReadData(doc);
    const std::string source = Upper(data->m_strProgName + data->m_strModuleName);
    const std::string target = Upper(*program + *variant);
    const ZVDOC out = ZEVUD_CreateDoc(file->c_str());
    if (!out) {
        winsys::MessageBox(rigel::TranslateFormat(rigel::kSectionCommon, "interfaceFunc",
                                                  "Die Datei '%s' konnte nicht angelegt werden.", file->c_str()));
        return 1;
    }
    double factor = 1.0;
    if (source == kThisProgram && target == kSiblingProgram) factor = 2.0 / 3.0;
    if (source == kSiblingProgram && target == kThisProgram) factor = 1.5;
    // The converted position belongs to the target program.
    data->m_strProgName = *program;
    data->m_strModuleName = Upper(*variant);
    data->ScaleImperfections(factor);
    data->m_hDoc = out;
    data->WriteData(out);
    ZEVUD_SaveDoc(out);
    data.reset();
    ZEVUD_CloseDoc(out);
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
        {"PreTranslateMessage", {"MSG*"}, &PreTranslateMessage},
        {"CreateInputDlg", {"CWnd*"}, &CreateInputDlg},
        {"CreatePreviewDlg", {"CWnd*", "CWnd*", "BOOL"}, &CreatePreviewDlg},
        {"SetData", {"CWnd*", "int"}, &SetData},
        {"GetData", {"CWnd*", "int"}, &GetData},
        {"CreateEmptyDoc", {"CWnd*"}, &CreateEmptyDoc},
        {"SilentCalc", {"int"}, &SilentCalc},
        {"Annotation", {"CWnd*", "CString*", "BOOL"}, &TabAnnotation},
        {"PosAnnotation", {"CWnd*", "CString*", "BOOL"}, &PosAnnotation},
        {"RegisterShowRtfTip", {"TYPE_SHOWRTFTIP"}, &RegisterShowRtfTip},
        {"CanExportTo", {"vecExportToStruct*", "CString*"}, &CanExportTo},
        {"Export", {"int", "CString*", "CString*", "CString*"}, &Export},
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

// After "SilentCalc": the caller has saved the position (commit 1) and the
// side files written by the calculation (the report) replace the old ones,
// in the order written; or the run is not accepted (commit 0) and they are
// removed. Either way the side files are no longer held. Returns 1 when done,
// 0 when a file could not be put in place (said in a message; the files not
// yet in place are removed).
RIGEL_EXPORT int32_t RigelCommitSideFiles(uint32_t doc, int32_t commit) {
    std::string why;
    bool ok = true;
    if (commit != 0) ok = sidefiles::Commit(doc, why);
    sidefiles::SetHeld(doc, false);
    if (!ok)
        winsys::MessageBox(rigel::TranslateFormat(rigel::kSectionCommon, "interfaceFunc",
                                                  "Der Bericht konnte nicht an seinen Platz gebracht werden: %s",
                                                  why.c_str()),
                           "", winsys::Buttons::Ok, winsys::Icon::Error);
    return ok ? 1 : 0;
}

// Switches the module to runs without a user (1) or back to the window mode
// (0); see SetBatchRun.
RIGEL_EXPORT void RigelSetBatchRun(int32_t on) { SetBatchRun(on != 0); }

// Tears down the module's global objects; the host calls it before it
// unloads the library.
RIGEL_EXPORT void RigelModuleTeardown() {
    for (CPreviewDialogBase* preview : Previews()) {
        // The main dialog and its data outlive the preview by a moment here.
        if (CMainDialogBase* dlg = preview->m_pMainDlg; dlg && dlg->m_pPreview == preview) {
            dlg->m_pPreview = nullptr;
            dlg->m_data.m_pPreviewDlg = nullptr;
        }
        delete preview;
    }
    Previews().clear();
    for (CMainDialogBase* dlg : Dialogs()) delete dlg;
    Dialogs().clear();
    DestroyStdProfile();
    DestroyMateHandler();
    DestroySectionDbCache();
    ModuleTeardown();
}
