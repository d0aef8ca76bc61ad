#include "host/Host.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <system_error>
#include <utility>
#include <vector>

#include "host/HostCommand.h"
#include "host/Module.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/holds.h"
#include "platform/zevud/results_tie.h"
#include "platform/zevud/zevud.h"
#include "reports/DesignVerdict.h"

namespace fs = std::filesystem;

namespace host {
namespace {

const char* kVersion = "velor2005 1.0\n";

const char* kUsage =
    "velor2005 - Stahlbauteile: Biegeträger, Durchlaufträger und Kranbahnträger\n"
    "\n"
    "Aufruf:\n"
    "  velor2005 calc <position.vkx>            Position berechnen und Bericht schreiben\n"
    "  velor2005 calc <stab.vk1>                Stab aus einer Textdatei berechnen und Bericht schreiben\n"
    "  velor2005 new <position.vkx> <programm>  leere Position anlegen und speichern;\n"
    "                                           Programme: RIGEL (Stahlträger), VADU (Kranbahnträger)\n"
    "  velor2005 edit <position.vkx> [--screenshot <bild.png>]\n"
    "                                           Position im Fenster mit den Dialogen des Moduls\n"
    "                                           bearbeiten (Menü \"Datei\": \"Speichern\", \"Beenden\");\n"
    "                                           --screenshot: das Hauptfenster nach dem Aufbau als\n"
    "                                           PNG schreiben und ohne Speichern schließen\n"
    "                                           (ohne Bildschirm: QT_QPA_PLATFORM=offscreen)\n"
    "  velor2005 --help                          diese Hilfe\n"
    "  velor2005 --version                       Programmversion\n"
    "\n"
    "Nach einer Berechnung steht je Nachweisart die maßgebende Ausnutzung mit \"erfüllt\"\n"
    "oder \"nicht erfüllt\". Nur eine ausgeführte Berechnung speichert die Position; sonst\n"
    "bleibt die Datei unverändert.\n"
    "\n"
    "Rückgabewerte:\n"
    "  0  berechnet, alle Nachweise erfüllt\n"
    "  4  berechnet, ein Nachweis nicht erfüllt (Ausnutzung über 1 oder eine\n"
    "     Lastkombination ohne Nachweis, z. B. instabil)\n"
    "  1  nicht berechnet (unbrauchbare Eingabe, Berechnung abgebrochen)\n"
    "  2  fehlerhafter Aufruf, Datei fehlt, ist beschädigt oder nicht beschreibbar\n"
    "  3  Modul oder Rechenbibliothek nicht gefunden\n";

// A program of the installed catalogue ("pi/*.pi"): its "shortProgName",
// "shortModuleName" (in the catalogue's spelling) and "defaultTemplate".
struct CatalogueEntry {
    std::string program, module, templateName;
};

// The installed catalogue's programs, ordered by program and module.
std::vector<CatalogueEntry> CatalogueEntries() {
    std::vector<CatalogueEntry> entries;
    std::error_code ec;
    const fs::path folder = winsys::InstallRoot() / "pi";
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!winsys::EqualsNoCase(entry.path().extension().string(), ".pi")) continue;
        ZVDOC d = ZEVUD_OpenDocQuiet(entry.path().string().c_str());
        if (!d) continue;
        ZVELEM root = ZEVUD_GetRootElement(d);
        CatalogueEntry e{zevud::GetString(root, "shortProgName"), zevud::GetString(root, "shortModuleName"),
                         zevud::GetString(root, "defaultTemplate")};
        ZEVUD_CloseDoc(d);
        if (!e.program.empty()) entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const CatalogueEntry& x, const CatalogueEntry& y) {
        return std::tie(x.program, x.module) < std::tie(y.program, y.module);
    });
    return entries;
}

// The template document of a program: the catalogue's "defaultTemplate",
// a path below the installation root ("Vorlagen\\Vorlage RIGEL.vkx"). Empty
// when the catalogue names none.
fs::path ProgramTemplate(const std::string& program) {
    for (CatalogueEntry& e : CatalogueEntries()) {
        if (e.program != program || e.templateName.empty()) continue;
        std::replace(e.templateName.begin(), e.templateName.end(), '\\', '/');
        return winsys::ResolveCaseInsensitive(winsys::InstallRoot() / e.templateName);
    }
    return {};
}

// The program keys of the installed catalogue.
std::vector<std::string> CatalogueProgramKeys() {
    std::vector<std::string> keys;
    for (const auto& e : CatalogueEntries()) keys.push_back(e.program);
    return keys;
}

// Whether the catalogue has the program and module, compared exactly as the
// module's catalogue compares them.
bool CatalogueKnows(const std::string& program, const std::string& module) {
    for (const auto& e : CatalogueEntries())
        if (e.program + e.module == program + module) return true;
    return false;
}

// The window mode, installed by the program that carries the window part.
EditRunner g_editRunner = nullptr;

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

// Reads what the calculation left in the document and tells the user:
// ExitOk when calculated and every check is fulfilled, ExitNotFulfilled when
// calculated with a check not fulfilled, ExitCalcFailed when not calculated.
int SummariseResult(ZVDOC doc, const fs::path& file, std::ostream& out, std::ostream& err) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    if (!result) {
        err << "Die Position enthält nach der Berechnung keine Ergebnisse.\n";
        return ExitCalcFailed;
    }
    const std::string msg = PlainText(zevud::GetString(result, "errorMsg"));
    if (ZEVUD_GetInt(result, "abbruch") != 0) {
        if (ZEVUD_GetInt(result, "refused") != 0)
            // The module's own plain text: field paths keep their backslashes.
            err << zevud::GetString(result, "errorMsg") << "\n";
        else
            err << "Die Berechnung wurde abgebrochen" << (msg.empty() ? "" : ": ") << msg << "\n";
        return ExitCalcFailed;
    }
    // Results computed from other input (a calculation stopped before it
    // ran leaves the old ones in the document) are never shown as current.
    if (!zevud::ResultsBelongToInput(doc)) {
        err << "Die Position wurde nicht berechnet: die gespeicherten Ergebnisse gehören nicht zur aktuellen "
               "Eingabe.\n";
        return ExitCalcFailed;
    }
    out << "Berechnung abgeschlossen: " << file.string() << "\n";
    if (!msg.empty()) out << "Hinweise: " << msg << "\n";
    out << "Ergebnisse: in der Position (Ergebnisse unter \"result\", exportierte Werte unter \"exports\")\n";
    if (zevud::GetString(root, "progname") == "VADU") {
        // The crane runway's check summary, then its verdict.
        std::string message = zevud::GetString(result, "message");
        message.erase(std::remove(message.begin(), message.end(), '\r'), message.end());
        if (!message.empty()) out << message << (message.back() == '\n' ? "" : "\n");
    }
    // Per limit state the decisive utilisation and "erfüllt" or "nicht
    // erfüllt", the same lines the report's summary states.
    const design_verdict::Verdict verdict = design_verdict::Read(root);
    for (const design_verdict::Line& line : verdict.lines) out << line.text << "\n";
    out << verdict.overall << "\n";
    return verdict.fulfilled ? ExitOk : ExitNotFulfilled;
}

// The files beside a saved position: its report, a crane runway's appendix
// files and the error protocol.
void ListSideFiles(ZVDOC doc, const fs::path& file, std::ostream& out) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    std::string rtf = winsys::SideFileName(file.string(), ".rtf");
    if (fs::exists(rtf))
        out << "Bericht: " << rtf << "\n";
    else
        out << "Bericht: keiner geschrieben (" << rtf << " fehlt)\n";
    // A crane runway's appendix files: one per crane position chosen for it.
    ZVELEM output = ZEVUD_FindFirstChild(root, "output");
    if (zevud::GetString(root, "progname") == "VADU" && output && rtf.size() > 4) {
        std::stringstream list(zevud::GetString(output, "dorIzi"));
        for (std::string part; std::getline(list, part, ',');) {
            const long n = std::strtol(part.c_str(), nullptr, 10);
            if (n < 1) continue;
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, ".KS%03ld.rtf", n);
            const std::string appendix = rtf.substr(0, rtf.size() - 4) + suffix;
            if (fs::exists(appendix)) out << "Anhang: " << appendix << "\n";
        }
    }
    std::string errFile = winsys::SideFileName(file.string(), ".err");
    if (fs::exists(errFile)) out << "Fehlerprotokoll: " << errFile << "\n";
}

// The error lines ("FEHLER: ...") of a kernel error protocol, as plain text.
std::vector<std::string> ErrorLines(const fs::path& errFile) {
    std::vector<std::string> lines;
    std::ifstream in(errFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line) && lines.size() < 20) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("FEHLER", 0) == 0) lines.push_back(PlainText(line));
    }
    return lines;
}

// Calculates a kernel text input file through the kernel's text entry. The
// kernel writes its side files and the report ("<name>_XXX.rtf") in the
// current directory, so the call runs in the file's own folder. The exit
// codes are those of a position: 0 calculated and proven, 4 calculated with
// an analysis that proves nothing (the kernel's "FEHLER" lines: unstable, not
// converged ...), 1 not calculated, 2 the report could not be written.
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
    // Named as the caller named the input: relative to where it was called.
    const fs::path reportShown = file.parent_path() / report.filename();
    const fs::path errShown = file.parent_path() / errFile.filename();
    // The old report stays until the kernel's writer replaces it whole.
    const winsys::FileIdentity before = winsys::IdentityOf(report);
    {
        WorkInFolder inFolder(folder);
        std::string name = stem;
        entry(name.data());
    }
    winsys::FreeLibrary(lib);

    const winsys::FileIdentity after = winsys::IdentityOf(report);
    const bool written = after.exists && !(after == before);
    const std::vector<std::string> errors = ErrorLines(errFile);
    int code = ExitOk;
    if (written) {
        out << "Berechnung abgeschlossen: " << file.string() << "\n";
        if (errors.empty()) {
            out << "Ergebnis: alle Nachweise erfüllt\n";
        } else {
            // A load case the analysis could not solve proves nothing.
            out << "Ergebnis: Nachweis nicht erfüllt - die Berechnung hat Fehler gemeldet:\n";
            for (const std::string& line : errors) out << line << "\n";
            code = ExitNotFulfilled;
        }
        out << "Bericht: " << reportShown.string() << "\n";
    } else if (!errors.empty()) {
        err << "Die Berechnung wurde nicht ausgeführt:\n";
        // The reason stands in the error protocol.
        for (const std::string& line : errors) err << line << "\n";
        // A report of earlier input does not stay beside input that fails.
        if (before.exists) fs::remove(report, ec);
        code = ExitCalcFailed;
    } else {
        err << "Fehler: Der Bericht '" << reportShown.string() << "' konnte nicht geschrieben werden"
            << (before.exists ? "; der bisherige Bericht bleibt erhalten" : "") << ".\n";
        code = ExitBadInput;
    }
    if (fs::exists(errFile, ec)) (code == ExitOk ? out : err) << "Fehlerprotokoll: " << errShown.string() << "\n";
    return code;
}

int Calc(const fs::path& given, std::ostream& out, std::ostream& err) {
    // A file-size limit makes a write fail with an error the writers report,
    // instead of ending the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    const fs::path file = FindPositionFile(given, err);
    if (file.empty()) return ExitBadInput;
    if (winsys::EqualsNoCase(file.extension().string(), ".vk1")) return CalcTextFile(file, out, err);
    // Said once, before any work: a position that cannot be saved is not calculated.
    if (const std::string why = winsys::WhyNotWritable(fs::absolute(file)); !why.empty()) {
        err << "Fehler: Die Position '" << file.string() << "' kann nicht gespeichert werden (" << why
            << "); sie wird daher nicht berechnet und bleibt unverändert.\n";
        return ExitBadInput;
    }
    // Two calculations of one position would interleave their writes.
    winsys::FileLock lock;
    if (std::string why; !lock.Acquire(fs::absolute(file), why)) {
        err << "Fehler: Die Position '" << file.string() << "' wird nicht berechnet: " << why << ".\n";
        return ExitCalcFailed;
    }
    Module module;
    if (!module.Load(err, /*batch=*/true, /*windows=*/false)) return ExitNoModule;

    ZVDOC doc = OpenPositionDocument(file, err);
    if (!doc) return ExitBadInput;

    // Only a calculation that ran is saved: the run saves nothing, so a
    // refused or failed run leaves the file byte for byte as it was. The
    // report the run wrote waits beside the position and replaces the old
    // one only after the position is saved, so that a report never claims
    // results the position beside it does not hold.
    const int64_t answer = CalculatePosition(module, doc, file);
    if (answer == 0) {
        CommitSideFiles(module, doc, false);
        err << "Das Modul hat die Berechnung nicht ausgeführt (Antwort 0); die Datei bleibt unverändert.\n";
        ZEVUD_CloseDoc(doc);
        return ExitCalcFailed;
    }
    if (answer == kAnswerReportFailed) {
        CommitSideFiles(module, doc, false);
        const std::string rtf = winsys::SideFileName(file.string(), ".rtf");
        err << "Fehler: Der Bericht '" << rtf << "' konnte nicht geschrieben werden; die Position bleibt unverändert"
            << (fs::exists(rtf) ? ", ihr bisheriger Bericht bleibt erhalten" : "") << ".\n";
        ZEVUD_CloseDoc(doc);
        return ExitBadInput;
    }

    int code = SummariseResult(doc, file, out, err);
    if (code == ExitOk || code == ExitNotFulfilled) {
        if (!ZEVUD_SaveDoc(doc)) {
            CommitSideFiles(module, doc, false);
            err << "Fehler: Die Position konnte nicht gespeichert werden; die Datei und ihr Bericht bleiben "
                   "unverändert.\n";
            code = ExitBadInput;
        } else if (!CommitSideFiles(module, doc, true)) {
            // The position knows the report it was saved with; the next
            // calculation writes it again.
            err << "Fehler: Die Position ist gespeichert, ihr neuer Bericht konnte aber nicht an seinen Platz "
                   "gebracht werden.\n";
            code = ExitBadInput;
        } else {
            ListSideFiles(doc, file, out);
        }
    } else {
        CommitSideFiles(module, doc, false);
        err << "Die Positionsdatei bleibt unverändert.\n";
    }
    ZEVUD_CloseDoc(doc);
    return code;
}

int New(const fs::path& file, const std::string& given, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    if (!winsys::EqualsNoCase(file.extension().string(), ".vkx")) {
        err << "Fehler: Eine Position wird als '.vkx'-Datei angelegt: " << file.string() << "\n";
        return ExitBadInput;
    }
    const std::vector<std::string> keys = CatalogueProgramKeys();
    std::string program;
    for (const std::string& k : keys)
        if (winsys::EqualsNoCase(k, given)) program = k;
    if (program.empty()) {
        err << "Fehler: Das Programm '" << given << "' ist nicht bekannt. Bekannte Programme:";
        for (const std::string& k : keys) err << " " << k;
        err << "\n";
        return ExitBadInput;
    }
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
    // The position is made from the program's template document, as the
    // suite makes new positions: the template is copied to the new file, the
    // module reads it (a template takes the user's default norm) and writes
    // it back as a position of its own, with its side files beside it.
    const fs::path tmpl = ProgramTemplate(program);
    if (tmpl.empty() || !fs::is_regular_file(tmpl, ec)) {
        err << "Fehler: Die Vorlage für neue Positionen des Programms " << program << " fehlt: '"
            << (tmpl.empty() ? std::string("im Programmkatalog nicht genannt") : tmpl.string())
            << "'. Es wurde keine Position angelegt.\n";
        return ExitNoModule;
    }
    const fs::path target = fs::absolute(file, ec);
    if (!fs::copy_file(tmpl, target, ec)) {
        err << "Fehler: Die Position konnte nicht unter '" << file.string() << "' angelegt werden: " << ec.message()
            << "\n";
        return ExitBadInput;
    }
    ZVDOC d = ZEVUD_OpenDocQuiet(target.string().c_str());
    if (!d) {
        fs::remove(target, ec);
        err << "Fehler: Die Vorlage '" << tmpl.string() << "' ist beschädigt. Es wurde keine Position angelegt.\n";
        return ExitNoModule;
    }
    {
        HostCommand set("SetData", true);
        set.AddParam("CWnd*", dialog);
        set.AddParam("int", d);
        module.Send(set);
        HostCommand get("GetData", true);
        get.AddParam("CWnd*", dialog);
        get.AddParam("int", d);
        module.Send(get);
    }
    // The position belongs to the program asked for.
    ZEVUD_SetString(ZEVUD_GetRootElement(d), "progname", program.c_str());
    if (!ZEVUD_SaveDoc(d)) {
        ZEVUD_CloseDoc(d);
        fs::remove(target, ec);
        err << "Fehler: Die Position konnte nicht unter '" << file.string() << "' gespeichert werden.\n";
        return ExitBadInput;
    }
    ZEVUD_CloseDoc(d);
    out << "Neue Position angelegt: " << file.string() << "\n";
    return ExitOk;
}

// Opens a position in the window mode. Everything that can be said without
// a window is said first: a missing, damaged or foreign file, no display.
int Edit(const fs::path& given, const std::string& screenshot, std::ostream& out, std::ostream& err) {
    const fs::path file = FindPositionFile(given, err);
    if (file.empty()) return ExitBadInput;
    const ZVDOC doc = OpenPositionDocument(file, err);
    if (!doc) return ExitBadInput;
    ZVELEM root = ZEVUD_GetRootElement(doc);
    const std::string program = zevud::GetString(root, "progname");
    const std::string module = zevud::GetString(root, "modulename");
    ZEVUD_CloseDoc(doc);
    // The module shows only positions of its catalogue's programs; it says
    // so in these words when it is asked to calculate another.
    if (!CatalogueKnows(program, module)) {
        err << "Fehler: Unbekannte Programm-Kennung " << program << "/" << module
            << " (kein Programm des Katalogs); die Position wird nicht geöffnet.\n";
        return ExitBadInput;
    }
    if (!HasDisplay()) {
        err << "Fehler: Für 'edit' wird eine grafische Oberfläche gebraucht, es ist aber keine da (weder DISPLAY "
               "noch WAYLAND_DISPLAY ist gesetzt). Ohne Bildschirm, etwa für --screenshot: "
               "QT_QPA_PLATFORM=offscreen velor2005 edit ...\n";
        return ExitBadInput;
    }
    if (!g_editRunner) {
        err << "Fehler: Dieses Programm hat keinen Fenstermodus.\n";
        return ExitBadInput;
    }
    return g_editRunner({fs::absolute(file), screenshot}, out, err);
}

}  // namespace

int64_t CalculatePosition(const Module& module, ZVDOC doc, const fs::path& file) {
    // Every save of the module and the kernel during the run is held back
    // (and a hold of the caller's stays).
    const int held = ZEVUD_SavesHeld(doc);
    ZEVUD_HoldSaves(doc, 1);
    HostCommand cmd("SilentCalc", true);
    cmd.AddParam("int", static_cast<int64_t>(doc));
    int64_t answer = 0;
    {
        WorkInFolder inFolder(fs::absolute(file).parent_path());
        answer = module.Send(cmd);
    }
    ZEVUD_HoldSaves(doc, held);
    return answer;
}

bool CommitSideFiles(const Module& module, ZVDOC doc, bool commit) {
    using CommitFunc = int32_t (*)(uint32_t, int32_t);
    auto fn = reinterpret_cast<CommitFunc>(module.Symbol("RigelCommitSideFiles"));
    if (!fn) return true;  // a module that writes its side files in place
    return fn(static_cast<uint32_t>(doc), commit ? 1 : 0) == 1;
}

fs::path FindPositionFile(const fs::path& given, std::ostream& err) {
    fs::path file = winsys::ResolveCaseInsensitive(given);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        err << "Fehler: Die Positionsdatei '" << given.string() << "' wurde nicht gefunden.\n";
        return {};
    }
    return file;
}

ZVDOC OpenPositionDocument(const fs::path& file, std::ostream& err) {
    ZVDOC doc = ZEVUD_OpenDoc(fs::absolute(file).string().c_str());
    if (!doc) {
        err << "Fehler: Die Positionsdatei '" << file.string()
            << "' ist beschädigt oder kann nicht gelesen werden.\n";
        return 0;
    }
    // Every position names its program; a document without one is some
    // other file.
    if (zevud::GetString(ZEVUD_GetRootElement(doc), "progname").empty()) {
        err << "Fehler: Die Datei '" << file.string()
            << "' ist keine Position (ihr fehlt der Programmname \"progname\").\n";
        ZEVUD_CloseDoc(doc);
        return 0;
    }
    return doc;
}

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

void SetEditRunner(EditRunner runner) { g_editRunner = runner; }

namespace {
int RunEditOfLibrary(const EditRequest& request, std::ostream& out, std::ostream& err) {
    // Loaded once and kept: the toolkit does not take being unloaded.
    std::string why;
    void* lib = winsys::LoadLibrary("VelorWindow", &why);
    if (!lib) {
        err << "Fehler: Der Fenstermodus (VelorWindow) wurde nicht gefunden (" << why << ").\n";
        return ExitNoModule;
    }
    using Runner = int (*)(const EditRequest*, std::ostream*, std::ostream*);
    auto run = reinterpret_cast<Runner>(winsys::GetProcAddress(lib, "VelorRunEdit"));
    if (!run) {
        err << "Fehler: Der Fenstermodus (VelorWindow) hat keinen Einstieg 'VelorRunEdit'.\n";
        return ExitNoModule;
    }
    return run(&request, &out, &err);
}
}  // namespace

void InstallWindowLibrary() { SetEditRunner(&RunEditOfLibrary); }

std::string PlainText(const std::string& rtf) {
    std::string out;
    for (size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < rtf.size() && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
            out += rtf[i + 1];
            i += 2;
            continue;
        }
        size_t j = i + 1;
        while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
        const std::string word = rtf.substr(i + 1, j - i - 1);
        if (j < rtf.size() && rtf[j] == '-') ++j;
        while (j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
        if (j < rtf.size() && rtf[j] == ' ') ++j;  // the delimiter belongs to the control word
        if (word == "par" || word == "line") out += '\n';
        else if (word == "tab") out += '\t';
        i = j == i + 1 ? j + 1 : j;
    }
    // A paragraph mark in a group of its own, "{\\par \\pard}", leaves one
    // line break; runs of blank lines shrink to one.
    std::string tidy;
    for (char ch : out) {
        if (ch == '\n' && tidy.size() >= 2 && tidy[tidy.size() - 1] == '\n' && tidy[tidy.size() - 2] == '\n') continue;
        tidy += ch;
    }
    while (!tidy.empty() && (tidy.back() == ' ' || tidy.back() == '\n')) tidy.pop_back();
    return tidy;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err : out) << kUsage;
        return args.empty() ? ExitBadInput : ExitOk;
    }
    if (args[0] == "--version" && args.size() == 1) {
        out << kVersion;
        return ExitOk;
    }
    const std::string& verb = args[0];
    if (verb == "calc" && args.size() == 2) return Calc(args[1], out, err);
    if (verb == "new" && args.size() == 3) return New(args[1], args[2], out, err);
    if (verb == "edit" && args.size() == 2) return Edit(args[1], "", out, err);
    if (verb == "edit" && args.size() == 4 && args[2] == "--screenshot" && !args[3].empty())
        return Edit(args[1], args[3], out, err);
    err << "Fehler: unbekannter Aufruf.\n\n" << kUsage;
    return ExitBadInput;
}

}  // namespace host
