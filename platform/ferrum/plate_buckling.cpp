// Plate buckling of one plate of a section built on the fly, after EN
// 1993-1-5 (reduced stress method of section 10) with the crane wheel as a
// patch load. The formulas with their clauses are listed in
// plate_buckling.h.
#include "platform/ferrum/plate_buckling.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ferrum/onfly_section.h"
#include "platform/ferrum/vadu_local_rules.h"

namespace {

constexpr double kNu = 0.3;
constexpr double kEta = 1.2;         // EN 1993-1-5 5.1(2), steel up to S460
constexpr double kFibK = 0.55;       // 8(1), elastic moment resistance used
constexpr double kCurveA = 0.21;     // imperfection factor of buckling curve a
constexpr double kOutstandPsi1 = 0.43;  // k_sigma of Table 4.2, psi = 1

enum Role { kNoRole = 0, kTopFlange = 1, kBottomFlange = 2, kWeb = 3, kTopPlate = 5, kBottomPlate = 6 };

double Thickness(const SektWLine& w) { return 0.5 * (w.ta + w.te); }
double Length(const SektWLine& w) { return std::hypot(w.ye - w.ya, w.ze - w.za); }

// sigma_E of EN 1993-1-5 A.1 for a plate t x b (any length unit), N/mm².
double EulerStress(double E, double t, double b) {
    if (!(b > 0)) return 0.0;
    return std::numbers::pi * std::numbers::pi * E / (12.0 * (1.0 - kNu * kNu)) * (t / b) * (t / b);
}

// Column-like interpolation of EN 1993-1-5 4.5.4(1): rho of the plate, its
// elastic critical stress and the column's (length l), in N/mm².
double ColumnLike(double rho, double sigmaCrP, double E, double t, double l, double fy) {
    const double sigmaCrC = EulerStress(E, t, l);
    if (!(sigmaCrC > 0)) return rho;
    const double xi = std::clamp(sigmaCrP / sigmaCrC - 1.0, 0.0, 1.0);
    const double chiC = ferrum::ColumnReductionCurveA(std::sqrt(fy / sigmaCrC));
    return (rho - chiC) * xi * (2.0 - xi) + chiC;
}

// The plates of the section that the web's checks need.
struct Flanges {
    bool web = false;
    double tw = 0, hw = 0;
    double yWeb = 0;
    bool startIsTop = true;      // the web's start point is its upper end (z grows downwards)
    double areaTop = 0, areaBottom = 0;  // flange and flange plates, cm²
    double tfTop = 0, bfTop = 0;         // the top flange, cm
};

Flanges FindFlanges(const ferrum::OnTheFlySection& s) {
    Flanges f;
    double yMin = 1e300, yMax = -1e300;
    for (size_t k = 0; k < s.lines.size() && k < s.roles.size(); ++k) {
        const SektWLine& w = s.lines[k];
        const double area = Length(w) * Thickness(w);
        switch (s.roles[k]) {
        case kWeb:
            f.web = true;
            f.tw = Thickness(w);
            f.hw = Length(w);
            f.yWeb = 0.5 * (w.ya + w.ye);
            f.startIsTop = w.za <= w.ze;
            break;
        case kTopFlange:
            if (f.tfTop == 0) f.tfTop = Thickness(w);
            yMin = std::min({yMin, w.ya, w.ye});
            yMax = std::max({yMax, w.ya, w.ye});
            f.areaTop += area;
            break;
        case kTopPlate: f.areaTop += area; break;
        case kBottomFlange:
        case kBottomPlate: f.areaBottom += area; break;
        default: break;
        }
    }
    if (yMax > yMin) f.bfTop = yMax - yMin;
    return f;
}

}  // namespace

namespace ferrum {

double PlateReduction(double lambdaP, double psi, bool outstand) {
    if (!(lambdaP > 0)) return 1.0;
    if (outstand) {
        if (lambdaP <= 0.748) return 1.0;
        return std::clamp((lambdaP - 0.188) / (lambdaP * lambdaP), 0.0, 1.0);
    }
    psi = std::clamp(psi, -3.0, 1.0);
    if (lambdaP <= 0.5 + std::sqrt(0.085 - 0.055 * psi)) return 1.0;
    return std::clamp((lambdaP - 0.055 * (3.0 + psi)) / (lambdaP * lambdaP), 0.0, 1.0);
}

double ColumnReductionCurveA(double lambdaC) {
    if (!(lambdaC > 0.2)) return 1.0;
    const double phi = 0.5 * (1.0 + kCurveA * (lambdaC - 0.2) + lambdaC * lambdaC);
    return std::min(1.0, 1.0 / (phi + std::sqrt(phi * phi - lambdaC * lambdaC)));
}

double ShearReduction(double lambdaW) {
    if (!(lambdaW > 0) || lambdaW < 0.83 / kEta) return kEta;
    return 0.83 / lambdaW;
}

double ShearBucklingFactor(double a, double b) {
    if (!(a > 0) || !(b > 0)) return 0.0;
    const double r = b / a;
    return a >= b ? 5.34 + 4.0 * r * r : 4.0 + 5.34 * r * r;
}

}  // namespace ferrum

int FER_hCalc_PlateBuckling_RedStress(int h, double nPanels, double fy, const double* stateValues,
                                      double fieldLength, int bottomFlange, int railInSection,
                                      const FER_VaduLocalInput* local, const FER_VaduLocalSection* /*points*/,
                                      FER_PlateBucklingResult* result) {
    if (!result) return -1;
    *result = FER_PlateBucklingResult{};
    const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s || !stateValues || !(fy > 0) || s->roles.size() != s->lines.size()) return -1;
    FER_PlateBucklingState state{};
    std::copy(stateValues, stateValues + 8, &state.x);
    const double plateIndex = std::floor(state.plate + 0.5);
    if (!(plateIndex >= 0) || plateIndex >= static_cast<double>(s->lines.size())) return -1;
    const size_t p = static_cast<size_t>(plateIndex);
    const SektWLine& line = s->lines[p];
    const int role = s->roles[p];
    const double t = Thickness(line);
    const double E = s->additional[0] > 0 ? s->additional[0] : 210000.0;
    const double gM1 = s->gM1 > 0 ? s->gM1 : 1.0;
    const Flanges fl = FindFlanges(*s);
    const bool web = role == kWeb;
    const bool outstand = fl.web && (role == kTopFlange || role == kBottomFlange || role == kTopPlate ||
                                     role == kBottomPlate);
    // Width of the plate, cm: an outstand from the web's face to its tip.
    double b = Length(line);
    if (outstand)
        b = std::max(std::fabs(line.ya - fl.yWeb), std::fabs(line.ye - fl.yWeb)) - 0.5 * fl.tw;
    if (!(t > 0) || !(b > 0)) return -1;
    double a = state.a;
    if (!(a > 0)) a = nPanels >= 1 ? fieldLength / std::floor(nPanels) : fieldLength;
    if (!(a > 0)) return -1;

    const double sigmaE = EulerStress(E, t, b);

    // Longitudinal stress, compression positive from here on.
    const double c1 = -state.sigmaStart, c2 = -state.sigmaEnd;
    const double compression = std::max(c1, c2);
    double sx = 0, psiX = 1, kSigma = 0;
    const bool compressed = compression > 0;
    if (compressed) {
        sx = compression;
        psiX = outstand ? 1.0 : std::max(std::min(c1, c2) / compression, -3.0);
        kSigma = outstand ? kOutstandPsi1 : ferrum::BucklingFactorInternal(psiX);
    } else {
        sx = -std::max(std::fabs(c1), std::fabs(c2));  // tension: yielding only
    }
    const double tau = std::fabs(state.tau);

    // Transverse stress of a wheel on the rail over the web.
    double sz = 0, Fz = 0, leff = 0, Fcr = 0;
    const double twMm = 10.0 * t, hwMm = 10.0 * b, aMm = 10.0 * a;
    const ferrum::LocalGeometry top = ferrum::FindLocalGeometry(*s, 1);
    if (web && local && !bottomFlange && local->F > 0 && top.ok) {
        Fz = 1000.0 * local->F;  // N
        FER_VaduLocalInput rail = *local;
        if (railInSection) rail.bRigid = 1;  // a rail counted in the section is fixed rigidly
        leff = ferrum::EffectiveLoadedLength(rail, top);
        if (leff > 0) sz = Fz / (leff * twMm);
        const double kF = 6.0 + 2.0 * (hwMm / aMm) * (hwMm / aMm);  // 6.4, type (a)
        Fcr = 0.9 * kF * E * twMm * twMm * twMm / hwMm;             // 6.5
    }

    // alpha_ult,k (10.3).
    const double ux = sx / fy, uz = sz / fy, ut = tau / fy;
    const double inv2 = ux * ux + uz * uz - ux * uz + 3.0 * ut * ut;
    if (inv2 > 0) {
        // Inverse critical factors; 0 where the stress is absent.
        const double ix = compressed && sigmaE > 0 ? sx / (kSigma * sigmaE) : 0.0;
        const double iz = sz > 0 && Fcr > 0 ? Fz / Fcr : 0.0;
        const double kTau = outstand ? 0.0 : ferrum::ShearBucklingFactor(a, b);
        const double it = tau > 0 && kTau > 0 ? tau / (kTau * sigmaE) : 0.0;
        const double psiZ = 1.0;
        const double lin = (1.0 + psiX) / 4.0 * ix + (1.0 + psiZ) / 4.0 * iz;
        const double invCr = lin + std::sqrt(lin * lin + (1.0 - psiX) / 2.0 * ix * ix +
                                              (1.0 - psiZ) / 2.0 * iz * iz + it * it);  // (10.6)
        const double alphaUlt = 1.0 / std::sqrt(inv2);
        result->alphaUltK = alphaUlt;
        result->alphaCr = invCr > 0 ? 1.0 / invCr : 0.0;
        const double lambdaP = std::sqrt(alphaUlt * std::max(invCr, 0.0));  // (10.2)
        result->lambdaP = lambdaP;

        double rhoX = 1.0, rhoZ = 1.0;
        if (compressed)
            rhoX = ColumnLike(ferrum::PlateReduction(lambdaP, psiX, outstand), kSigma * sigmaE, E, t, a, fy);
        if (sz > 0 && leff > 0)
            rhoZ = ColumnLike(ferrum::PlateReduction(lambdaP, 1.0, false), Fcr / (leff * twMm), E, t, b, fy);
        const double chiW = ferrum::ShearReduction(lambdaP);
        result->rhoX = rhoX;
        result->rhoZ = rhoZ;
        result->chiW = chiW;

        // (10.5).
        const double fd = fy / gM1;
        const double vx = sx / (rhoX * fd), vz = sz / (rhoZ * fd), vt = tau / (chiW * fd);
        const double V = compressed && sz > 0 ? rhoX * rhoZ : 1.0;
        result->utilisation = std::sqrt(std::max(0.0, vx * vx + vz * vz - V * vx * vz + 3.0 * vt * vt));
    }

    if (web) {
        // Flange-induced buckling (8): the flange at the more compressed end.
        const bool topCompressed = fl.startIsTop ? c1 >= c2 : c2 >= c1;
        const double Afc = topCompressed ? fl.areaTop : fl.areaBottom;
        const double Aw = b * t;
        if (Afc > 0)
            result->utilFib = (b / t) / (kFibK * E / fy * std::sqrt(Aw / Afc));
        // Resistance to the wheel load (6).
        if (Fz > 0 && Fcr > 0 && leff > 0) {
            const double tfMm = 10.0 * fl.tfTop, bfMm = 10.0 * fl.bfTop;
            const double ss = std::max(0.0, leff - 2.0 * tfMm);  // EN 1993-6 6.5(2)
            const double m1 = bfMm / twMm;                         // (6.8), fyf = fyw
            auto effectiveLength = [&](double m2) { return std::min(ss + 2.0 * tfMm * (1.0 + std::sqrt(m1 + m2)), aMm); };
            double ly = effectiveLength(0.02 * (hwMm / tfMm) * (hwMm / tfMm));  // (6.9), lambda_F > 0.5
            double lambdaF = std::sqrt(ly * twMm * fy / Fcr);
            if (lambdaF <= 0.5) {
                ly = effectiveLength(0.0);
                lambdaF = std::sqrt(ly * twMm * fy / Fcr);
            }
            const double chiF = lambdaF > 0 ? std::min(1.0, 0.5 / lambdaF) : 1.0;  // (6.3)
            const double FRd = fy * chiF * ly * twMm / gM1;                          // (6.1), (6.2)
            if (FRd > 0) result->utilFy = Fz / FRd;
        }
    }
    return 0;
}
