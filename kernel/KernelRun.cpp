#include "kernel/KernelRun.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "kernel/CalcProgress.h"
#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/MemberDesignReader.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"

namespace tovik {

namespace {

std::atomic<bool> g_running{false};

// Marks one export call as running; a second, overlapping call is refused.
class RunGuard {
public:
    RunGuard() : owns_(!g_running.exchange(true)) {}
    ~RunGuard() {
        if (owns_) g_running.store(false);
    }
    bool Owns() const { return owns_; }

private:
    bool owns_;
};

constexpr const char* kBusyText = "Es läuft bereits eine Berechnung; dieser Aufruf wird nicht ausgeführt.";

std::string CalcText(const std::string& text) {
    return lingo::Translate("VKT Eingabe", "velor_i_rigel", "Calc", text);
}

void ProgressText(RunState& run, const std::string& text) {
    if (!run.progress) return;
    run.progress->SetText(text);
    run.progress->StepIt();
}

// A preparing phase that answers a fault without having stopped the run:
// the analyses must not work on a half-built model.
void FailedPhase(RunState& run, const char* label, int32_t rc) {
    if (rc != 0 && !run.stopped)
        run.Stop(rc, winsys::FormatC("Der Rechenschritt '%s' ist mit dem Fehler %d abgebrochen.", label, rc));
}

void SizeResultStores(RunState& run) {
    const ModelRecord& r = run.cdltr;
    const int64_t ends = r.fe.nKnoten > 1 ? 2LL * (r.fe.nKnoten - 1) : 0;
    const int64_t n = ends * (r.nRegelLk > 0 ? r.nRegelLk : 0);
    for (UserPoint& up : run.reader.UserPoints) {
        up.sigX.assign(static_cast<size_t>(n), 0.0);
        up.tau.assign(static_cast<size_t>(n), 0.0);
    }
    const int32_t m = section::MaxPlateElements(run);
    section::SizePlateStressStore(run, m > 0 ? static_cast<int64_t>(m) * n * 2 : 0);
}

// Common set-up of an export call: RTF writer reset and check, drawing objects.
void BeginExport(RunState& run, const KernelPhases& phases) {
    zadevoz::RtfResetReport();
    CheckRtfLibVersion(phases);
    phases.CreateGdiObjects(run);
}

void EndExport(RunState& run, const KernelPhases& phases) {
    phases.DeleteGdiObjects(run);
    run.work.Close();
}

void ReportException(const char* what) {
    winsys::MessageBox(winsys::FormatC("Interner Fehler in der Rechenroutine: %s", what));
}

}  // namespace

bool CalculationRunning() { return g_running.load(); }

int32_t CheckRtfLibVersion(const KernelPhases& phases) {
    int32_t version = 0;
    char buf[256] = {};
    const int32_t n = phases.RtfReadSetting("VK-Version/zadevoz", buf, static_cast<int32_t>(sizeof buf));
    if (n > 1) {
        const std::string reply(buf, static_cast<size_t>(n < 256 ? n : 255));
        const auto v = winsys::ParseInt(std::string_view(reply).substr(1));
        if (v && *v > 0 && *v < 1000000) version = static_cast<int32_t>(*v);
    }
    if (version < 2) winsys::MessageBox("ZADEVOZ.DLL nicht korrekt");
    return version;
}

void OpenErrorFile(RunState& run) {
    run.ErrorCount = 0;
    run.ErrorLines.clear();
    if (run.ErrorFile) std::fclose(run.ErrorFile);
    run.ErrorFile = std::fopen((run.RunBaseName + ".err").c_str(), "w+");
}

std::string CollectErrorText(RunState& run, bool keepLines) {
    const std::string name = run.RunBaseName + ".err";
    std::string text;
    if (run.ErrorCount != 0) {
        if (run.ErrorFile) {
            std::fclose(run.ErrorFile);
            run.ErrorFile = nullptr;
        }
        std::string content;
        bool read = false;
        if (std::FILE* f = std::fopen(name.c_str(), "rt")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
            std::fclose(f);
            read = true;
        }
        if (read) {
            text = ErrorTextHeading() + content + " ";
        } else if (!run.ErrorLines.empty()) {
            // The file could not be made or read: the lines kept in memory
            // take its place, so that no error is lost.
            text = ErrorTextHeading() + run.ErrorLines + " ";
        }
        run.ErrorCount = 0;
        if (!keepLines || !read) std::remove(name.c_str());
    } else if (run.ErrorFile) {
        std::fclose(run.ErrorFile);
        run.ErrorFile = nullptr;
        std::remove(name.c_str());
    }
    return text;
}

void WriteStoppedResult(ZVDOC doc, const std::string& errorText) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    if (ZVELEM old = ZEVUD_FindFirstChild(root, "result")) ZEVUD_DeleteElement(old);
    if (ZVELEM old = ZEVUD_FindFirstChild(root, "exports")) ZEVUD_DeleteElement(old);
    ZVELEM result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_SetInt(result, "nNode", 0);
    ZEVUD_SetInt(result, "nElem", 0);
    ZEVUD_SetInt(result, "abbruch", 1);
    ZEVUD_SetString(result, "errorMsg", errorText.c_str());
    ZEVUD_AddChildElement(root, "exports");
}

int32_t RunCalculation(RunState& run, const KernelPhases& ph, int32_t printFlag) {
    ModelRecord& r = run.cdltr;
    // Lines that the reader has written before stay counted, so that they
    // reach the error text.
    ProgressText(run, CalcText("Aufbau des numerischen Systems"));

    run.MessageText = "Datenaufbereitung";
    FailedPhase(run, "Datenaufbereitung", ph.PrepareSystemData(run));
    if (run.stopped) return 0;

    run.MessageText = "Belastung";
    FailedPhase(run, "Belastung", ph.ApplyLoads(run));
    if (run.stopped) return 0;

    run.MessageText = "Querschnitte";
    ProgressText(run, CalcText("Generierung der Querschnitte"));
    ph.SetzeQuer(run);
    if (run.stopped) return 0;

    SizeResultStores(run);

    auto writeLines = [&run](const std::vector<fe::DeferredLine>& lines) {
        for (const fe::DeferredLine& l : lines) fe::FeErrorLine(run, l.kind, l.text);
    };
    auto serviceProgress = [&](int32_t i) {
        run.MessageText = winsys::FormatC("Regel-Lf: %d", i);
        if (run.progress) {
            const std::string f = "Berechnung LK %ld (Gebrauchstauglichkeit)";
            ProgressText(run, lingo::FormatTranslated(f, CalcText(f), static_cast<long>(r.nKnickLk + i)));
        }
    };
    auto serviceDone = [&](int32_t lk, const fe::ServiceOutcome& o) {
        const int32_t i = lk + 1;
        serviceProgress(i);
        writeLines(o.lines);
        ReportCalcError(run, i, o.code);
        return !run.stopped;
    };
    auto serviceEnvelopes = [&] {
        run.MessageText = "ExtremWerte aus Regellf.";
        ph.BuildEnvelopes(run, 1);
        return !run.stopped;
    };
    auto ultimateProgress = [&](int32_t k) {
        run.MessageText = winsys::FormatC("Knickfigur Lf: %d", k);
        if (run.progress) {
            const std::string f = "Berechnung LK %ld (Tragsicherheit)";
            ProgressText(run, lingo::FormatTranslated(f, CalcText(f), static_cast<long>(k)));
        }
    };
    auto ultimateDone = [&](int32_t lk, const fe::UltimateOutcome& o) {
        const int32_t k = lk + 1;
        ultimateProgress(k);
        writeLines(o.bucklingLines);
        ReportCalcError(run, k, o.bucklingCode);
        if (run.stopped) return false;
        run.MessageText = winsys::FormatC("Vorverformungen Lf: %d", k);
        writeLines(o.imperfectionLines);
        if (run.stopped) return false;
        run.MessageText = winsys::FormatC("Spannungsnachweis (II) Lf: %d", k);
        writeLines(o.secondOrderLines);
        ReportCalcError(run, k, o.secondOrderCode);
        return !run.stopped;
    };

    if (ph.Combinations) {
        // All combinations run side by side; their texts, lines and codes
        // follow here in the order of a run one after the other: the
        // serviceability combinations, their envelopes, the ultimate ones.
        ph.Combinations(run, serviceDone, serviceEnvelopes, ultimateDone);
        if (run.stopped) return 0;
    } else {
        for (int32_t i = 1; i <= r.nRegelLk; ++i) {
            serviceProgress(i);
            ReportCalcError(run, i, ph.RechneDltr3D(run, fe::kFirstOrder, i - 1));
            if (run.stopped) return 0;
        }
        if (!serviceEnvelopes()) return 0;
        if (ph.UltimateCombinations) {
            // The ultimate combinations run side by side; their lines, codes
            // and texts follow here in the order of the combinations.
            ph.UltimateCombinations(run, ultimateDone);
            if (run.stopped) return 0;
        } else {
            for (int32_t k = 1; k <= r.nKnickLk; ++k) {
                ultimateProgress(k);
                ReportCalcError(run, k, ph.RechneDltr3D(run, fe::kBuckling, k - 1));
                if (run.stopped) return 0;
                run.MessageText = winsys::FormatC("Vorverformungen Lf: %d", k);
                ph.SetImperfection(run, k - 1);
                if (run.stopped) return 0;
                run.MessageText = winsys::FormatC("Spannungsnachweis (II) Lf: %d", k);
                ReportCalcError(run, k, ph.RechneDltr3D(run, fe::kSecondOrder, k - 1));
                if (run.stopped) return 0;
            }
        }
    }

    run.MessageText = "ExtremWerte aus II";
    ph.BuildEnvelopes(run, 0);
    if (run.stopped) return 0;

    run.MessageText = "Druckausgabe";
    const int reports = (printFlag != 0 ? 1 : 0) + IsDeveloperSwitchOn();
    for (int i = 0; i < reports; ++i) ph.PrintReport(run);
    return 0;
}

void CalcMemberDocument(RunState& run, const KernelPhases& phases, ZVDOC doc, int32_t printFlag) {
    // Base name and error file come first, so that the reader's faults are
    // written into the error file as well.
    if (!ZEVUD_GetRootElement(doc)) {
        // Without a document nothing can carry the error text: say it here.
        winsys::MessageBox("Das Dokument der Position kann nicht gelesen werden; die Berechnung wurde nicht ausgeführt.");
        return;
    }
    const std::string docPath = zevud::GetCompleteFileName(doc);
    run.RunBaseName = RunBaseNameFromPath(docPath);
    // Asked for the report, the kernel writes the position's own report file
    // (beside the document, as the module looks for it); the developer's
    // extra print keeps the run's "_XXX" name.
    if (printFlag != 0 && !docPath.empty()) run.ReportBaseName = winsys::SideFileName(docPath, "");
    OpenErrorFile(run);
    run.DebugPrintFile = nullptr;

    ReadMemberDesignDom(run, doc, 1);
    if (!run.stopped) RunCalculation(run, phases, printFlag);

    // The error protocol stays beside the position when it holds lines.
    const std::string errorText = CollectErrorText(run, true);
    section::OpenSectionDatabase(run, -1);

    if (run.stopped)
        WriteStoppedResult(doc, errorText);
    else
        phases.WriteResultsToDom(run, doc, errorText);

    // The document is saved under its own name; a copy under the fixed name
    // "rigel.vkx" is written only for the developer.
    ZEVUD_SaveDoc(doc);
    if (IsDeveloperSwitchOn()) ZEVUD_SaveCopyAs(doc, "rigel.vkx");
}

// The flag asks for the calculation report: the module passes 1 when its
// program record names no report routine of its own.
void CalcPositionEntry(const KernelPhases& phases, uint32_t doc, int32_t flag) {
    RunGuard guard;
    if (!guard.Owns()) {
        winsys::MessageBox(kBusyText);
        return;
    }
    try {
        auto run = std::make_unique<RunState>();
        const std::string progname = zevud::GetString(ZEVUD_GetRootElement(doc), "progname");
        run->work.Open();
        std::unique_ptr<CCalcProgressDlg> dlg;
        if (progname != "VADU") {
            dlg = std::make_unique<CCalcProgressDlg>();
            if (dlg->Create()) run->progress = dlg.get();
        }
        BeginExport(*run, phases);
        CalcMemberDocument(*run, phases, doc, progname == "VADU" ? 0 : flag);
        EndExport(*run, phases);
        run->progress = nullptr;
        if (dlg) dlg->DestroyWindow();
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("unbekannt");
    }
}

void CalcPositionOnWorker(const KernelPhases& phases, uint32_t doc) {
    if (!ZEVUD_GetRootElement(doc)) return;
    bool written = false;
    try {
        auto run = std::make_unique<RunState>();
        run->work.Open();
        run->RunBaseName = RunBaseNameFromPath(zevud::GetCompleteFileName(doc));
        // Without an error file the lines are counted (and kept in memory).
        run->ErrorFile = nullptr;
        run->ErrorCount = 0;
        run->DebugPrintFile = nullptr;
        ReadMemberDesignDom(*run, doc, 1);
        // The positions run side by side: the combinations of one run stay
        // on its thread.
        fe::State(*run).threads = 1;
        if (!run->stopped) RunCalculation(*run, phases, 0);
        section::OpenSectionDatabase(*run, -1);
        if (!run->stopped && run->ErrorCount == 0) {
            phases.WriteResultsToDom(*run, doc, "");
            written = true;
        }
        run->work.Close();
    } catch (...) {
        written = false;
    }
    if (!written) WriteStoppedResult(doc, "");
}

void CalcStabEntry(const KernelPhases& phases, uint32_t doc, int32_t flag) {
    RunGuard guard;
    if (!guard.Owns()) {
        winsys::MessageBox(kBusyText);
        return;
    }
    try {
        auto run = std::make_unique<RunState>();
        run->work.Open();
        BeginExport(*run, phases);
        phases.CalcStabDocument(*run, phases, doc, flag);
        EndExport(*run, phases);
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("unbekannt");
    }
}

void CalcTextFileEntry(const KernelPhases& phases, char* name) {
    RunGuard guard;
    if (!guard.Owns()) {
        winsys::MessageBox(kBusyText);
        return;
    }
    if (!name) {
        winsys::MessageBox("Berechnen: kein Dateiname angegeben");
        return;
    }
    try {
        winsys::MessageBox(winsys::FormatC("Berechnen von %s", name));
        auto run = std::make_unique<RunState>();
        run->RunBaseName = CutUtf8(name, static_cast<size_t>(limits::kMaxRunBaseName));
        run->work.Open();
        BeginExport(*run, phases);
        phases.CalcTestCase(*run, phases, run->RunBaseName);
        EndExport(*run, phases);
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("unbekannt");
    }
}

}  // namespace tovik
