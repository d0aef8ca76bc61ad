#include "module/Imperfection.h"

#include <algorithm>
#include <cmath>

#include "module/frame/ModuleMessages.h"
#include "platform/lingo/lingo.h"

namespace {

constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kArea = "VorvWiz";

std::string Tr(const char* text) { return lingo::Translate(rigel::kAppInput, kSection, kArea, text); }

template <class... A>
std::string TrF(const char* format, A... args) {
    return lingo::FormatTranslated(format, Tr(format), args...);
}

// Sway after DIN EN 1993-1-1, 5.3.2(3)a: phi = phi0 * alpha_h * alpha_m with
// phi0 = 1/200, alpha_h = 2/sqrt(L) within 2/3 .. 1, alpha_m = 1; in %.
double SwayEc(double L) {
    const double alphaH = std::clamp(2.0 / std::sqrt(L), 2.0 / 3.0, 1.0);
    return 0.5 * alphaH;
}

// The divisor L/d of the national annex for lateral-torsional buckling of
// I-profiles (NDP to 5.3.4(3)): by section type and h/b, elastic-elastic or
// elastic-plastic.
double AnnexLtbDivisor(bool welded, double hb, bool elastic) {
    if (!welded) return hb <= 2.0 ? (elastic ? 500.0 : 400.0) : (elastic ? 400.0 : 300.0);
    return hb <= 2.0 ? (elastic ? 400.0 : 300.0) : (elastic ? 300.0 : 200.0);
}

}  // namespace

bool CalcImperfection(const CImperfectionInput& in, double& result, std::string& error) {
    const double L = in.length;
    if (!std::isfinite(L) || L <= 0.0) {
        error = Tr("Die Länge muss größer als 0 sein.");
        return false;
    }
    // Table entry 0 is the curve a0; the combo starts at curve a.
    const int i = std::clamp(in.curve + 1, 0, 4);
    const bool el = in.elastic != 0;
    const bool ltb = in.ltb != 0;
    const bool sway = in.kind == 0;
    const double hb = in.hb > 0.0 && std::isfinite(in.hb) ? in.hb : 1.0;
    double r = 0.0;
    if (in.norm == 7) {
        if (sway) {
            // DIN 18800 Teil 2, (205): psi0 = 1/200 * r1, r1 = sqrt(5/L) <= 1;
            // elastic-elastic with 2/3 of it.
            r = 0.5 * std::min(1.0, std::sqrt(5.0 / L));
            if (el) r /= 1.5;
        } else {
            // DIN 18800 Teil 2, Tabelle 3: w0 = L/300 .. L/150 by curve;
            // elastic-elastic 2/3 of it; half with lateral-torsional buckling (El. 202).
            static const double t[5] = {300, 300, 250, 200, 150};
            r = 100.0 * L / t[i];
            if (el) r *= 2.0 / 3.0;
            if (ltb) r *= 0.5;
        }
    } else if (in.norm == 8) {
        if (sway) {
            r = SwayEc(L);
        } else {
            // DIN EN 1993-1-1, Tabelle 5.1: e0/L elastic 1/350 .. 1/150, plastic 1/300 .. 1/100;
            // 5.3.4(3): k = 0.5 for lateral-torsional buckling.
            static const double tEl[5] = {350, 300, 250, 200, 150};
            static const double tPl[5] = {300, 250, 200, 150, 100};
            r = 100.0 * L / (el ? tEl[i] : tPl[i]);
            if (ltb) r *= 0.5;
        }
    } else {
        if (sway) {
            r = SwayEc(L);
        } else {
            double e0 = 0.0;
            if (ltb && in.iProfile) {
                // DIN EN 1993-1-1/NA, NDP to 5.3.4(3): L/500 .. L/200, doubled
                // for 0.7 <= lambda_LT <= 1.3.
                e0 = L / AnnexLtbDivisor(in.welded != 0, hb, el);
                if (in.lambdaRange) e0 *= 2.0;
            } else {
                // DIN EN 1993-1-1/NA, NDP to 5.3.2(3): L/900 .. L/150, elastic-plastic
                // times Mpl/Mel; half of it for lateral-torsional buckling
                // of other sections.
                static const double t[5] = {900, 550, 350, 250, 150};
                e0 = L / t[i];
                if (!el) e0 *= in.mplMel;
                if (ltb) e0 *= 0.5;
            }
            r = e0 * 100.0;
            if (in.annexIndex == 1 && ltb) r *= 2.0 * std::max(0.5, 1.0 - 0.5 / hb);
        }
    }
    result = r;
    return true;
}

std::string ImperfectionNoteText(const CImperfectionInput& in) {
    const bool el = in.elastic != 0;
    const char* proof = el ? "elastisch-elastisch" : "elastisch-plastisch";
    if (in.norm == 7)
        return TrF("Die Berechnung erfolgt gemäß DIN 18800 \r\n(Teil 2, Kapitel 2.2 (Tabelle 3), bzw. Kapitel 2.3) "
                   "\r\nfür einen Nachweis %s.",
                   Tr(proof).c_str());
    if (in.norm == 8)
        return TrF("Die Berechnung erfolgt gemäß DIN EN 1993-1-1 \r\n(Kapitel 5.3.2 (3a) und (3b), bzw. Kapitel 5.3.4 "
                   "(3)) \r\nfür einen Nachweis %s.",
                   Tr(proof).c_str());
    if (in.kind != 0 && in.ltb && in.iProfile) {
        const std::string range = Tr(in.lambdaRange ? "0.7<=lambda_LT<=1.3" : "0.7>lambda_LT, lambda_LT>1.3");
        const double hb = in.hb > 0.0 && std::isfinite(in.hb) ? in.hb : 1.0;
        if (el)
            return TrF("Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.4(3) Anmerkung) für I-Profile "
                       "\r\nmit %s und h/b=%.2lf \r\nfür einen Nachweis elastisch-elastisch",
                       range.c_str(), hb);
        return TrF("Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.4(3) Anmerkung) für I-Profile "
                   "\r\nmit %s und h/b=%.2lf \r\nfür einen Nachweis elastisch-plastisch",
                   range.c_str(), hb);
    }
    if (el)
        return Tr("Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.2(3) Anmerkung) \r\nfür einen "
                  "Nachweis elastisch-elastisch");
    return TrF("Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.2(3) Anmerkung) \r\nmit Mpl/Mel=%.2lf "
               "\r\nfür einen Nachweis elastisch-plastisch",
               in.mplMel);
}
