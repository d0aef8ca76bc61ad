// Fatigue check of a crane-runway detail: damage-equivalent stress ranges
// and their verification. The rules with their clauses are listed in
// vadu_fatigue.h.
#include "platform/ferrum/vadu_fatigue.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/ferrum/onfly_section.h"
#include "platform/ferrum/vadu_local_rules.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGammaFf = 1.0;  // EN 1993-6 9.2(1)

// The last values per handle (handle 0 included).
std::map<int, FER_VaduFatLastValues>& LastValues() {
    static std::map<int, FER_VaduFatLastValues> values;
    return values;
}

// The local stresses of the detail.
struct LocalStresses {
    double sigmaX = 0, sigmaY = 0;          // bottom flange, 5.8
    double sigmaZWheel = 0, sigmaZWeb = 0;  // rail on the top flange, 5.7.1, 5.7.3
    double tau = 0;                         // 5.7.2
    double leffCm = 0, wheelLoad = 0;
    int wheels = 1;
};

// Rail on the top flange: the local check's sigma_oz, tau_oxz at the
// detail, leff and, at the web top, the web bending of 5.7.3.
bool TopFlangeStresses(int h, const ferrum::OnTheFlySection& s, int place, const FER_VaduLocalInput& in,
                       const FER_VaduLocalSection& points, bool useGiven, LocalStresses& out) {
    const ferrum::LocalGeometry g = ferrum::FindLocalGeometry(s, 1);
    if (!g.ok) return false;
    FER_VaduLocalSection r = points;
    if (FER_hCalcVaduLocal(h, &in, &r, useGiven ? 1 : 0) != 0) return false;
    const double leff = ferrum::EffectiveLoadedLength(in, g);  // mm
    out.leffCm = 0.1 * leff;
    const bool neighbour = in.nAxles > 1 && in.Fneighbour != 0.0 && in.spacing > 0.0 && 1000.0 * in.spacing < leff;
    out.wheelLoad = in.F + (neighbour ? in.Fneighbour : 0.0);
    if (place == 3) place = 2;
    if (place == 4) place = 1;
    if (place != 1 && place != 2) return true;
    out.sigmaZWheel = std::fabs(r.sigmaOz);
    out.tau = std::fabs(r.tauOxz);
    if (place == 2) {
        const double tw = 10.0 * g.tw, tf = 10.0 * g.tf, b = 10.0 * (g.yMax - g.yMin);
        const double hw = 10.0 * (g.zWebBottom - g.zWebTop);
        const double ey = 0.25 * 10.0 * in.railKOrLoadDist;  // EN 1991-3 2.5.2.1(2)
        const double It = b * tf * tf * tf / 3.0;
        double additional[FER_H_MAX_ADDITIONAL] = {};
        FER_hGetAdditionalValues(h, additional);
        out.sigmaZWeb = ferrum::WebBendingStress(in.F, ey, 1000.0 * additional[2], hw, tw, It);
    }
    return true;
}

// Wheels on the bottom flange: sigma_ox, sigma_oy of the detail's slots,
// the larger magnitude of the two sides.
bool BottomFlangeStresses(int h, const ferrum::OnTheFlySection& s, int place, const FER_VaduLocalInput& in,
                          const FER_VaduLocalSection& points, bool useGiven, LocalStresses& out) {
    const ferrum::LocalGeometry g = ferrum::FindLocalGeometry(s, 2);
    if (!g.ok) return false;
    FER_VaduLocalSection r = points;
    if (FER_hCalcVaduLocal(h, &in, &r, useGiven ? 1 : 0) != 0) return false;
    const bool neighbour = in.nAxles > 1 && in.spacing > 0.0 && 100.0 * in.spacing < 1.5 * (g.yMax - g.yMin);
    out.wheelLoad = in.F + (neighbour ? in.Fneighbour : 0.0);
    int slot;
    switch (place) {
    case 2:
    case 3: slot = 0; break;
    case 1:
    case 4: slot = 2; break;
    case 5: slot = 4; break;
    default: return true;
    }
    out.sigmaX = std::max(std::fabs(r.A[slot]), std::fabs(r.A[slot + 1]));
    out.sigmaY = std::max(std::fabs(r.B[slot]), std::fabs(r.B[slot + 1]));
    return true;
}

double Cube(double u) { return u * u * u; }

}  // namespace

namespace ferrum {

bool FatigueLambda(int craneClass, double& lambdaSigma, double& lambdaTau) {
    // EN 1991-3 Table 2.12, classes S0 .. S9.
    static const double kSigma[FER_FAT_CLASSES] = {0.198, 0.250, 0.315, 0.397, 0.500,
                                                   0.630, 0.794, 1.000, 1.260, 1.587};
    static const double kTau[FER_FAT_CLASSES] = {0.379, 0.436, 0.500, 0.575, 0.660,
                                                 0.758, 0.871, 1.000, 1.149, 1.320};
    if (craneClass < 0 || craneClass >= FER_FAT_CLASSES) {
        lambdaSigma = lambdaTau = 0.0;
        return false;
    }
    lambdaSigma = kSigma[craneClass];
    lambdaTau = kTau[craneClass];
    return true;
}

double WebBendingStress(double F, double ey, double a, double hw, double tw, double It) {
    // EN 1993-6 5.7.3.
    if (!(hw > 0) || !(tw > 0) || !(It > 0)) return 0.0;
    const double T = 1000.0 * F * ey;  // N mm
    if (!(a > 0)) {
        // a -> infinity: eta tanh(eta) / a -> sqrt(0.75 tw³ / It x 3 / (4 pi hw)).
        return std::fabs(6.0 * T / (tw * tw) * std::sqrt(0.5625 * tw * tw * tw / (It * kPi * hw)));
    }
    const double x = kPi * hw / a;
    double ratio;  // sinh²(x) / (sinh(2x) - 2x)
    if (x > 20.0) ratio = 0.5;
    else if (x < 1.0e-3) ratio = 0.75 / x;
    else ratio = std::sinh(x) * std::sinh(x) / (std::sinh(2.0 * x) - 2.0 * x);
    const double eta = std::sqrt(0.75 * a * tw * tw * tw / It * ratio);
    return std::fabs(6.0 * T / (a * tw * tw) * eta * std::tanh(eta));
}

}  // namespace ferrum

int FER_hCalcVaduFat(int h, double sigma1, double sigma2, double tau1, double tau2, double gammaMf, int place,
                     int craneClass, int category, int stressType, double tPlate, double tWeld,
                     const FER_VaduLocalInput* local, const FER_VaduLocalSection* section,
                     FER_VaduFatResult* result) {
    FER_VaduFatLastValues& last = LastValues()[h];
    last = FER_VaduFatLastValues{};
    if (!result) return -1;
    *result = FER_VaduFatResult{};
    double lambdaSigma, lambdaTau;
    if (!ferrum::FatigueLambda(craneClass, lambdaSigma, lambdaTau) || !(category > 0) || !(gammaMf > 0) ||
        stressType < 0 || stressType > 2 || place < 0 || place > 5 ||
        !std::isfinite(sigma1 + sigma2 + tau1 + tau2 + tPlate + tWeld))
        return -1;

    int rc = 0;
    LocalStresses loc;
    if (local && place != 0) {
        const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
        const FER_VaduLocalSection points = section ? *section : FER_VaduLocalSection{};
        bool ok = s && s->profile > 0;
        if (ok && local->craneType == 0) ok = TopFlangeStresses(h, *s, place, *local, points, section != nullptr, loc);
        else if (ok) ok = BottomFlangeStresses(h, *s, place, *local, points, section != nullptr, loc);
        if (!ok) {
            loc = LocalStresses{};
            rc = -1;
        }
        loc.wheels = std::max(1, local->nAxles);
    }
    // Local stresses: one cycle per wheel passage, never below the global lambda.
    const double lambdaSigmaWheel = std::max(lambdaSigma, lambdaSigma * std::cbrt(loc.wheels));
    const double lambdaTauWheel = std::max(lambdaTau, lambdaTau * std::pow(loc.wheels, 0.2));

    // A weld detail: the stresses that cross the weld in the throats.
    const double throat = tPlate > 0 && tWeld > 0 ? std::max(1.0, tPlate / (2.0 * tWeld)) : 1.0;

    const double dSigmaX = std::fabs(sigma1 - sigma2);
    const double dTau = std::fabs(tau1 - tau2) * throat;
    const double sigmaZWheel = loc.sigmaZWheel * throat, sigmaZWeb = loc.sigmaZWeb * throat;
    const double sigmaZ = sigmaZWheel + sigmaZWeb;
    const double tauWheel = loc.tau * throat;

    last.lambdaSigma = lambdaSigma;
    last.lambdaTau = lambdaTau;
    last.lambdaSigmaWheel = lambdaSigmaWheel;
    last.lambdaTauWheel = lambdaTauWheel;
    last.leff = loc.leffCm;
    last.wheelLoad = loc.wheelLoad;
    last.sigmaX = dSigmaX + loc.sigmaX;
    last.sigmaY = loc.sigmaY;
    last.tau = dTau;
    last.tauWheel = tauWheel;
    last.sigmaZWheel = sigmaZWheel;
    last.sigmaZWeb = sigmaZWeb;
    last.sigmaZ = sigmaZ;

    last.rangeX = lambdaSigma * dSigmaX + lambdaSigmaWheel * loc.sigmaX;
    last.rangeY = lambdaSigmaWheel * loc.sigmaY;
    last.rangeZ = lambdaSigmaWheel * sigmaZ;
    last.rangeTau = lambdaTau * dTau + lambdaTauWheel * tauWheel;
    const double centre = 0.5 * (last.rangeX + last.rangeZ), half = 0.5 * (last.rangeX - last.rangeZ);
    last.rangeRes = centre + std::sqrt(half * half + last.rangeTau * last.rangeTau);

    // EN 1993-1-9 8(2), eq. (8.2), and 8(3), eq. (8.3).
    const double resistance = category / gammaMf;
    auto util = [&](double range) { return kGammaFf * range / resistance; };
    result->resistance = resistance;
    switch (stressType) {
    case 0:
        result->utilX = last.utilX = util(last.rangeX);
        result->utilY = last.utilY = util(last.rangeY);
        result->utilZ = last.utilZ = util(last.rangeZ);
        last.utilisation = std::max({last.utilX, last.utilY, last.utilZ});
        last.interaction = Cube(last.utilX) + Cube(last.utilY) + Cube(last.utilZ);
        break;
    case 1:
        result->utilTau = last.utilTau = util(last.rangeTau);
        last.utilisation = last.utilTau;
        last.interaction = std::pow(last.utilTau, 5.0);
        break;
    default:
        result->utilRes = util(last.rangeRes);
        last.utilisation = result->utilRes;
        last.interaction = Cube(result->utilRes);
        break;
    }
    result->utilisation = last.utilisation;
    result->interaction = last.interaction;
    return rc;
}

int FER_hGetLastValues(int h, FER_VaduFatLastValues* values) {
    if (!values) return -1;
    const auto& all = LastValues();
    const auto it = all.find(h);
    *values = it == all.end() ? FER_VaduFatLastValues{} : it->second;
    return 0;
}
