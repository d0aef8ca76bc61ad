#include "host/Host.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "host/HostCommand.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace host {
namespace {

using InterfaceFunc = int64_t (*)(uint32_t);
using ReportFunc = void (*)(uint32_t, int32_t);

const char* kUsage =
    "velor2005 - Stahlbauteile: Biegeträger, Durchlaufträger und Kranbahnträger\n"
    "\n"
    "Aufruf:\n"
    "  velor2005 calc <position.vkx>            Position berechnen und Bericht schreiben\n"
    "  velor2005 calc <stab.vk1>                Stab aus einer Textdatei berechnen und Bericht schreiben\n"
    "  velor2005 new <position.vkx> <programm>  leere Position anlegen und speichern\n"
    "  velor2005 --help                          diese Hilfe\n"
    "\n"
    "Rückgabewerte: 0 erfolgreich, 1 Berechnung nicht möglich, 2 fehlerhafte Eingabe\n"
    "oder Datei, 3 Modul nicht gefunden.\n";

// The module library, loaded from the host's own directory. The module's
// objects are torn down explicitly before the host ends.
class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module() {
        if (!lib_) return;
        using Teardown = void (*)();
        if (auto teardown = reinterpret_cast<Teardown>(winsys::GetProcAddress(lib_, "RigelModuleTeardown")))
            teardown();
    }

    bool Load(std::ostream& err) {
        std::string why;
        lib_ = winsys::LoadLibrary("DlgRigel", &why);
        if (!lib_) {
            err << "Fehler: Das Modul DlgRigel wurde nicht gefunden (" << why << ").\n";
            return false;
        }
        entry_ = reinterpret_cast<InterfaceFunc>(winsys::GetProcAddress(lib_, "interfaceFunc"));
        if (!entry_) {
            err << "Fehler: Das Modul DlgRigel hat keine Schnittstelle 'interfaceFunc'.\n";
            return false;
        }
        return true;
    }
    int64_t Send(const HostCommand& cmd) const { return entry_(cmd.Handle()); }
    ReportFunc Report(const char* name) const {
        return reinterpret_cast<ReportFunc>(winsys::GetProcAddress(lib_, name));
    }

private:
    void* lib_ = nullptr;
    InterfaceFunc entry_ = nullptr;
};

// Runs a calculation in the position's own folder: the kernel writes its side
// files (".err", ".dru") into the current directory, and they belong beside
// the position.
class WorkInFolder {
public:
    explicit WorkInFolder(const fs::path& folder) : old_(fs::current_path(ec_)) { fs::current_path(folder, ec_); }
    ~WorkInFolder() { fs::current_path(old_, ec_); }
    WorkInFolder(const WorkInFolder&) = delete;
    WorkInFolder& operator=(const WorkInFolder&) = delete;

private:
    std::error_code ec_;
    fs::path old_;
};

// Reads what the calculation left in the document and tells the user.
bool SummariseResult(ZVDOC doc, const fs::path& file, std::ostream& out, std::ostream& err) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    if (!result) {
        err << "Die Position enthält nach der Berechnung keine Ergebnisse.\n";
        return false;
    }
    int abbruch = ZEVUD_GetInt(result, "abbruch");
    std::string msg = zevud::GetString(result, "errorMsg");
    if (abbruch != 0) {
        err << "Die Berechnung wurde abgebrochen";
        if (!msg.empty()) err << ": " << msg;
        err << "\n";
        return false;
    }
    out << "Berechnung abgeschlossen: " << file.string() << "\n";
    if (!msg.empty()) out << "Hinweise: " << msg << "\n";
    out << "Ergebnisse: in der Position (Ergebnisse unter \"result\", exportierte Werte unter \"exports\")\n";
    if (ZEVUD_HasAttr(result, "dMaxAusGebr") || ZEVUD_HasAttr(result, "dMaxAusTragSV"))
        out << "Max. Ausnutzung: Gebrauchstauglichkeit "
            << winsys::FormatDoubleC("%.3f", ZEVUD_GetDouble(result, "dMaxAusGebr")) << ", Tragsicherheit "
            << winsys::FormatDoubleC("%.3f", ZEVUD_GetDouble(result, "dMaxAusTragSV")) << "\n";
    std::string rtf = winsys::SideFileName(file.string(), ".rtf");
    if (fs::exists(rtf))
        out << "Bericht: " << rtf << "\n";
    else
        out << "Bericht: keiner geschrieben (" << rtf << " fehlt)\n";
    std::string errFile = winsys::SideFileName(file.string(), ".err");
    if (fs::exists(errFile)) out << "Fehlerprotokoll: " << errFile << "\n";
    return true;
}

// Calculates a kernel text input file through the kernel's text entry. The
// kernel writes its side files and the report ("<name>_XXX.rtf") in the
// current directory, so the call runs in the file's own folder.
int CalcTextFile(const fs::path& file, std::ostream& out, std::ostream& err) {
    using TextEntry = void (*)(char*);
    std::string why;
    void* lib = winsys::LoadLibrary("Tovik", &why);
    if (!lib) {
        err << "Fehler: Die Rechenbibliothek Tovik wurde nicht gefunden (" << why << ").\n";
        return ExitNoModule;
    }
    auto entry = reinterpret_cast<TextEntry>(winsys::GetProcAddress(lib, "REZIR_IdadOzov"));
    if (!entry) {
        err << "Fehler: Die Rechenbibliothek Tovik hat keinen Einsprung 'REZIR_IdadOzov'.\n";
        winsys::FreeLibrary(lib);
        return ExitNoModule;
    }
    const fs::path folder = fs::absolute(file).parent_path();
    std::string stem = file.filename().string();
    stem.resize(stem.size() - 4);  // without ".vk1" (any case)
    // The kernel opens "<name>.vk1": a file found under another case of its
    // extension is reached through a name of its own.
    const fs::path given = folder / (stem + ".vk1");
    std::error_code ec;
    if (!fs::exists(given, ec)) {
        err << "Fehler: Die Eingabedatei muss die Endung '.vk1' in Kleinbuchstaben tragen: " << file.string()
            << "\n";
        winsys::FreeLibrary(lib);
        return ExitBadInput;
    }
    const fs::path report = folder / (stem + "_XXX.rtf");
    const fs::path errFile = folder / (stem + ".err");
    fs::remove(report, ec);
    {
        WorkInFolder inFolder(folder);
        std::string name = stem;
        entry(name.data());
    }
    winsys::FreeLibrary(lib);

    bool ok = fs::exists(report, ec);
    if (ok) {
        out << "Berechnung abgeschlossen: " << file.string() << "\n";
        out << "Bericht: " << report.string() << "\n";
    } else {
        err << "Die Berechnung hat keinen Bericht geschrieben.\n";
    }
    if (fs::exists(errFile, ec)) (ok ? out : err) << "Fehlerprotokoll: " << errFile.string() << "\n";
    return ok ? ExitOk : ExitCalcFailed;
}

int Calc(const fs::path& given, std::ostream& out, std::ostream& err) {
    fs::path file = winsys::ResolveCaseInsensitive(given);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        err << "Fehler: Die Positionsdatei '" << given.string() << "' wurde nicht gefunden.\n";
        return ExitBadInput;
    }
    if (winsys::EqualsNoCase(file.extension().string(), ".vk1")) return CalcTextFile(file, out, err);
    Module module;
    if (!module.Load(err)) return ExitNoModule;

    ZVDOC doc = ZEVUD_OpenDoc(fs::absolute(file).string().c_str());
    if (!doc) {
        err << "Fehler: Die Positionsdatei '" << file.string()
            << "' ist beschädigt oder kann nicht gelesen werden.\n";
        return ExitBadInput;
    }

    HostCommand cmd("SilentCalc", true);
    cmd.AddParam("int", static_cast<int64_t>(doc));
    int64_t answer = 0;
    {
        WorkInFolder inFolder(fs::absolute(file).parent_path());
        answer = module.Send(cmd);
    }
    if (answer == 0) {
        err << "Das Modul hat die Berechnung nicht ausgeführt (Antwort 0); die Datei bleibt unverändert.\n";
        ZEVUD_CloseDoc(doc);
        return ExitCalcFailed;
    }

    // The report of the position, when the module offers one.
    std::string prog = zevud::GetString(ZEVUD_GetRootElement(doc), "progname");
    const char* reportName = (prog == "VADU") ? "DEZADododaROV" : "REVUVUvarudIVA";
    if (ReportFunc report = module.Report(reportName)) report(doc, 1);

    bool ok = SummariseResult(doc, file, out, err);
    if (!ZEVUD_SaveDoc(doc)) {
        err << "Fehler: Die Position konnte nicht gespeichert werden.\n";
        ok = false;
    }
    ZEVUD_CloseDoc(doc);
    return ok ? ExitOk : ExitCalcFailed;
}

int New(const fs::path& file, const std::string& program, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    if (fs::exists(file, ec)) {
        err << "Fehler: Die Datei '" << file.string() << "' besteht bereits und wird nicht überschrieben.\n";
        return ExitBadInput;
    }
    Module module;
    if (!module.Load(err)) return ExitNoModule;

    // A new position is made by the module's main dialog.
    HostCommand create("CreateInputDlg", true);
    create.AddParam("CWnd*", 0);
    int64_t dialog = module.Send(create);
    if (dialog == 0) {
        err << "Das Modul hat keinen Eingabedialog angelegt (Antwort 0).\n";
        return ExitCalcFailed;
    }
    HostCommand empty("CreateEmptyDoc", true);
    empty.AddParam("CWnd*", dialog);
    int64_t doc = module.Send(empty);
    if (doc <= 0 || doc > UINT32_MAX) {
        err << "Das Modul hat kein neues Dokument angelegt (Antwort " << doc << ").\n";
        return ExitCalcFailed;
    }
    ZVDOC d = static_cast<ZVDOC>(doc);
    ZVELEM root = ZEVUD_GetRootElement(d);
    if (!program.empty() && zevud::GetString(root, "progname").empty())
        ZEVUD_SetString(root, "progname", program.c_str());
    if (!ZEVUD_SaveDocAs(d, fs::absolute(file).string().c_str())) {
        err << "Fehler: Die Position konnte nicht unter '" << file.string() << "' gespeichert werden.\n";
        ZEVUD_CloseDoc(d);
        return ExitBadInput;
    }
    ZEVUD_CloseDoc(d);
    out << "Neue Position angelegt: " << file.string() << "\n";
    return ExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err : out) << kUsage;
        return args.empty() ? ExitBadInput : ExitOk;
    }
    const std::string& verb = args[0];
    if (verb == "calc" && args.size() == 2) return Calc(args[1], out, err);
    if (verb == "new" && args.size() == 3) return New(args[1], args[2], out, err);
    err << "Fehler: unbekannter Aufruf.\n\n" << kUsage;
    return ExitBadInput;
}

}  // namespace host
