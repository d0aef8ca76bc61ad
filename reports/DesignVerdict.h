// The verdict of a calculated position, read from its "result": per limit
// state the decisive utilisation with "erfüllt" or "nicht erfüllt", the
// ultimate combinations that could not be proven, and the overall verdict.
// The host prints these lines after a calculation and the reports write the
// same lines into their summaries, so the console and the page say the same.
// Header-only: the host uses it without linking the report writers.
#pragma once

#include <string>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"
#include "platform/zevud/zevud.h"

namespace design_verdict {

// One line of the verdict, without its line feed.
struct Line {
    std::string text;
    bool fulfilled = true;
};

struct Verdict {
    std::vector<Line> lines;      // per limit state, in the console's order
    bool fulfilled = true;        // every limit state fulfilled
    std::string overall;          // "Ergebnis: ..."
    std::vector<int> unproven;    // 1-based ultimate combinations without a proof
    bool hasUltimate = false;     // the result holds an ultimate verdict
    double ultimateOthers = 0.0;  // with unproven combinations: the others' utilisation
    bool hasUltimateOthers = false;
};

// A utilisation at or below 1 fulfils its limit state.
inline Line UtilisationLine(const char* name, double utilisation) {
    Line l;
    l.fulfilled = utilisation <= 1.0;
    l.text = std::string(name) + ": max. Ausnutzung " + winsys::FormatDoubleC("%.3f", utilisation) + " - " +
             (l.fulfilled ? "erfüllt" : "nicht erfüllt");
    return l;
}

// The combination numbers of "tragSVFailedLK" (separated by blanks).
inline std::vector<int> ParseNumbers(const std::string& text) {
    std::vector<int> out;
    int value = 0;
    bool in = false;
    for (char c : text + " ") {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            in = true;
        } else if (in) {
            out.push_back(value);
            value = 0;
            in = false;
        }
    }
    return out;
}

// The verdict of the "result" element of a calculated position (root is the
// document's root; crane runways are told by the program name "VADU"). A
// position without a result, or whose calculation was cancelled or refused,
// has no limit-state lines and is not fulfilled.
inline Verdict Read(ZVELEM root) {
    Verdict v;
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    if (!result || ZEVUD_GetInt(result, "abbruch") != 0) {
        v.fulfilled = false;
        v.overall = "Ergebnis: nicht berechnet - Nachweis nicht erbracht";
        return v;
    }
    auto add = [&v](Line l) {
        v.fulfilled = v.fulfilled && l.fulfilled;
        v.lines.push_back(std::move(l));
    };
    if (zevud::GetString(root, "progname") == "VADU") {
        if (ZEVUD_HasAttr(result, "dMaxAusKran")) add(UtilisationLine("Kranbahn", ZEVUD_GetDouble(result, "dMaxAusKran")));
        if (ZEVUD_GetInt(result, "kranErmNichtNachgewiesen") != 0) {
            // The calculation stores why the fatigue check could not be made.
            std::string why = zevud::GetString(result, "kranErmGrund");
            if (why.empty()) why = "für Nachweispunkte fehlen die Spannungen aus der Berechnung";
            add({"Ermüdung: nicht erfüllt - nicht nachgewiesen (" + why + ")", false});
        }
    }
    if (ZEVUD_HasAttr(result, "dMaxAusGebr"))
        add(UtilisationLine("Gebrauchstauglichkeit", ZEVUD_GetDouble(result, "dMaxAusGebr")));
    if (ZEVUD_GetInt(result, "tragSVFailed") != 0) {
        // A combination without a proof (unstable, not converged, critical
        // load factor at or below 1) fails the design whatever the others give.
        const std::string numbers = zevud::GetString(result, "tragSVFailedLK");
        v.unproven = ParseNumbers(numbers);
        v.hasUltimate = true;
        Line l{"Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK " + numbers, false};
        if (ZEVUD_HasAttr(result, "dMaxAusTragSVOhne")) {
            v.hasUltimateOthers = true;
            v.ultimateOthers = ZEVUD_GetDouble(result, "dMaxAusTragSVOhne");
            l.text += " (max. Ausnutzung der übrigen LK " + winsys::FormatDoubleC("%.3f", v.ultimateOthers) + ")";
        }
        add(l);
    } else if (ZEVUD_HasAttr(result, "dMaxAusTragSV")) {
        v.hasUltimate = true;
        add(UtilisationLine("Tragsicherheit", ZEVUD_GetDouble(result, "dMaxAusTragSV")));
    }
    // An analysis that reported an error ("FEHLER:" in the calculation's
    // message: a load its element cannot take, a system it cannot build ...)
    // proves nothing of its combinations, and the utilisations above come
    // from the others only. Said here unless a line above already fails.
    if (v.fulfilled && zevud::GetString(result, "errorMsg").find("FEHLER:") != std::string::npos)
        add({"Berechnung: nicht erfüllt - die Berechnung hat Fehler gemeldet", false});
    v.overall = v.fulfilled ? "Ergebnis: alle Nachweise erfüllt" : "Ergebnis: Nachweis nicht erfüllt";
    return v;
}

}  // namespace design_verdict
