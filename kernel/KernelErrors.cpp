#include "kernel/KernelErrors.h"

#include "kernel/ModelRecord.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace tovik {

int32_t WriteErrLine(RunState& run, int32_t kind, const std::string& text) {
    ++run.ErrorCount;
    if (kind < 0) return kind;
    const std::string line = (kind > 0 ? "FEHLER:  " : "WARNUNG: ") + text + "\n";
    run.ErrorLines += line;
    if (run.ErrorFile) {
        std::fputs(line.c_str(), run.ErrorFile);
        std::fflush(run.ErrorFile);
    }
    return kind;
}

std::optional<std::string> CalcErrorMessage(int32_t code, int32_t n) {
    switch (code) {
    case codes::kNoEigenform:
        return winsys::FormatC(
            "Ermittlung der Eigenform (Knickfigur) nicht möglich im LK %d!\n\tEvtl. ausschließlich neg. Normalkraft?", n);
    case codes::kElementMatrix:
        return std::string("Fehler in der Elementmatrix");
    case codes::kUnstable:
        return winsys::FormatC(
            "Gleichungssystem instabil im LK %d\n\t(vermutlich Stabilitätsversagen, bzw. System verschieblich)", n);
    case codes::kNoConvergence:
        return winsys::FormatC("mehr als %d Iterationen im LK %d", kBaseIterationCount, n);
    case codes::kLoadExceeded:
        return winsys::FormatC("Knick- und/oder Kipplast überschritten im LK %d", n);
    default:
        return std::nullopt;
    }
}

void ReportCalcError(RunState& run, int32_t n, int32_t code) {
    if (code == 0) return;
    auto msg = CalcErrorMessage(code, n);
    run.MessageText = msg ? *msg : winsys::FormatC("Unbekannter Fehler %d im LK %d", code, n);
    WriteErrLine(run, kErrLineError, run.MessageText);
}

std::string ErrorTextHeading() {
    return lingo::Translate("VKT Eingabe", "velor_i_rigel", "calc",
                            "Bei der Berechnung sind Fehler aufgetreten:{\\par \\pard}{\\par \\pard}");
}

}  // namespace tovik
