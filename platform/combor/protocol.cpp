// Protocol files of a session, written through the RTF report writer: the
// partial and combination factors of the norm, and the list of combinations.
#include "internal.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"

namespace combor_impl {

namespace {

std::string Num(double v) { return winsys::FormatC("%.2f", v); }

// RTF-safe text: braces and backslashes of names are escaped.
std::string Escape(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '\\' || c == '{' || c == '}') r += '\\';
        r += c;
    }
    return r;
}

void WriteGammaPsi(const Session& s) {
    // The protocol is appended below the report's heading of the actions:
    // its own headings are one level lower, and the norm is named by its
    // title, not by its internal name.
    zadevoz::RtfWriteText(-4, "Teilsicherheitsbeiwerte und Kombinationsbeiwerte nach " + Escape(NormTitle(s.norm.name)));
    if (s.noGammaPsi) zadevoz::RtfWriteText(0, "Alle Teilsicherheits- und Kombinationsbeiwerte sind 1.0.");
    zadevoz::RtfBeginTable({6.0, 3.0, 3.0, 3.0, 3.0});
    zadevoz::RtfBeginRow(1);
    for (const char* t : {"Lastgruppe", "gamma ungünstig", "gamma günstig", "gamma_A ungünstig",
                          "gamma_A günstig"})
        zadevoz::RtfWriteCell(t);
    zadevoz::RtfBeginRow(0);
    for (size_t a = 0; a < s.norm.groups.size(); ++a) {
        double fund[2], acc[2];
        EffectiveGamma(s, static_cast<int>(a), 0, fund);
        EffectiveGamma(s, static_cast<int>(a), 1, acc);
        zadevoz::RtfWriteCell(Escape(s.norm.groups[a].name));
        zadevoz::RtfWriteCell(Num(fund[1]));
        zadevoz::RtfWriteCell(Num(fund[0]));
        zadevoz::RtfWriteCell(Num(acc[1]));
        zadevoz::RtfWriteCell(Num(acc[0]));
    }
    zadevoz::RtfEndTable();

    const Group* variable = nullptr;
    for (const auto& g : s.norm.groups)
        if (g.type == kVariableAdditive) {
            variable = &g;
            break;
        }
    if (!variable) return;
    zadevoz::RtfWriteText(-4, "Kombinationsbeiwerte der veränderlichen Einwirkungen");
    zadevoz::RtfBeginTable({9.0, 2.0, 2.0, 2.0, 2.0});
    zadevoz::RtfBeginRow(1);
    for (const char* t : {"Kategorie", "gamma_Q", "psi0", "psi1", "psi2"})
        zadevoz::RtfWriteCell(t);
    zadevoz::RtfBeginRow(0);
    for (const auto& c : variable->categories) {
        double psi[3];
        EffectivePsi(s, c, psi);
        zadevoz::RtfWriteCell(Escape(c.name));
        zadevoz::RtfWriteCell(Num(EffectiveGammaQ(s, c)));
        for (double p : psi) zadevoz::RtfWriteCell(Num(p));
    }
    zadevoz::RtfEndTable();
}

void WriteRules(const Session& s) {
    // The report heads the list ("Lastfallkombinationen"); the protocol
    // brings no heading of its own.
    if (s.combinations.empty()) {
        zadevoz::RtfWriteText(0, "Es sind keine Kombinationen vorhanden.");
        return;
    }
    zadevoz::RtfBeginTable({1.5, 2.5, 13.0});
    zadevoz::RtfBeginRow(1);
    zadevoz::RtfWriteCell("Nr");
    zadevoz::RtfWriteCell("Art");
    zadevoz::RtfWriteCell("Kombinationsregel");
    zadevoz::RtfBeginRow(0);
    int k = 1;
    for (const auto& c : s.combinations) {
        zadevoz::RtfWriteIntCell("@0", k++);
        zadevoz::RtfWriteCell(Escape(c.type));
        zadevoz::RtfWriteCell(Escape(c.rule));
    }
    zadevoz::RtfEndTable();
}

}  // namespace

bool WriteProtocol(const Session& s, bool gammaPsi, bool rules, const std::string& fileName) {
    if (!zadevoz::RtfOpenDocument(fileName, 1, 0, 1, "nologo\0\0")) return false;
    if (s.norm.id == kNone) zadevoz::RtfWriteText(0, "Es ist keine Norm eingestellt.");
    if (gammaPsi && s.norm.id != kNone) WriteGammaPsi(s);
    if (rules) WriteRules(s);
    return zadevoz::RtfCloseDocument() == 1;
}

}  // namespace combor_impl
