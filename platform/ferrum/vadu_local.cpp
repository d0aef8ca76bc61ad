// Local stresses of a crane-runway girder under one wheel load, after
// EN 1993-6, 5.7 (rail on the top flange) and 5.8 (wheels running on the
// bottom flange). The formulas with their clauses are listed in ferrum.h.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ferrum/ferrum.h"
#include "platform/ferrum/onfly_section.h"
#include "platform/ferrum/vadu_local_rules.h"

namespace {

using ferrum::LocalGeometry;

// Slots of the section record.
constexpr int kSlotWeb = 0;     // kind 2/3, sides 0 and 1
constexpr int kSlotWheel = 2;   // kind 1/4
constexpr int kSlotTip = 4;     // kind 5

double Thickness(const SektWLine& w) { return 0.5 * (w.ta + w.te); }

// The section library's wall elements of the profile (plates cut where
// others join them); the points of the slots name these elements.
std::vector<SektTqe> Elements(int pro) {
    std::vector<SektTqe> out;
    const int n = SEKT_PRO_GetnTqe(pro, 0);
    for (int k = 0; k < n; ++k) {
        SektTqe e{};
        if (SEKT_PRO_GetResultTqe(pro, 0, k, &e) != 0) break;
        out.push_back(e);
    }
    return out;
}

bool OnLineOfRole(const ferrum::OnTheFlySection& s, const SektTqe& e, int role) {
    return e.line >= 0 && static_cast<size_t>(e.line) < s.roles.size() && s.roles[static_cast<size_t>(e.line)] == role;
}

// The flange element at y and the relative place of y on it (the nearest
// end when y lies beyond the flange).
void PlaceOnFlange(const ferrum::OnTheFlySection& s, const std::vector<SektTqe>& elements, int role, double y, int& id,
                   double& idx, double& thickness) {
    double best = 1e300;
    for (size_t k = 0; k < elements.size(); ++k) {
        const SektTqe& e = elements[k];
        if (!OnLineOfRole(s, e, role)) continue;
        const double lo = std::min(e.ya, e.ye), hi = std::max(e.ya, e.ye);
        const double d = y < lo ? lo - y : y > hi ? y - hi : 0.0;
        if (d >= best) continue;
        best = d;
        id = static_cast<int>(k);
        const double yc = std::clamp(y, lo, hi);
        idx = e.ye != e.ya ? (yc - e.ya) / (e.ye - e.ya) : 0.0;
        thickness = 0.5 * (e.ta + e.te);
    }
}

void ClearSlot(FER_VaduLocalSection& r, int slot) {
    r.id[slot] = 0;
    r.idx[slot] = 0.0;
    r.thickness[slot] = 0.0;
}

// Rail on the top flange (EN 1993-6, 5.7).
void TopFlange(const ferrum::OnTheFlySection& s, const FER_VaduLocalInput& in, FER_VaduLocalSection& r,
               bool useGiven) {
    const LocalGeometry g = ferrum::FindLocalGeometry(s, 1);
    if (!g.ok) return;
    const std::vector<SektTqe> elements = Elements(s.profile);
    if (!useGiven) {
        // The web top, and the rail-foot edges on the flange (side 0: +y).
        double top = 1e300;
        for (size_t k = 0; k < elements.size(); ++k) {
            const SektTqe& e = elements[k];
            if (e.line != g.web || std::min(e.za, e.ze) >= top) continue;
            top = std::min(e.za, e.ze);
            r.id[kSlotWeb] = static_cast<int>(k);
            r.idx[kSlotWeb] = e.za <= e.ze ? 0.0 : 1.0;
            r.thickness[kSlotWeb] = 0.5 * (e.ta + e.te);
        }
        ClearSlot(r, kSlotWeb + 1);
        for (int side = 0; side < 2; ++side) {
            const double y = g.yWeb + (side == 0 ? 0.5 : -0.5) * in.railB1;
            PlaceOnFlange(s, elements, 1, y, r.id[kSlotWheel + side], r.idx[kSlotWheel + side],
                          r.thickness[kSlotWheel + side]);
        }
        ClearSlot(r, kSlotTip);
        ClearSlot(r, kSlotTip + 1);
    }

    const double tw = 10.0 * g.tw;
    const double leff = ferrum::EffectiveLoadedLength(in, g);

    // Depth of the web point below the flange's underside (45° spread, 5.7.1).
    double z = 0.0;
    const int webPoint = r.id[kSlotWeb];
    if (r.thickness[kSlotWeb] > 0 && webPoint >= 0 && static_cast<size_t>(webPoint) < elements.size() &&
        elements[static_cast<size_t>(webPoint)].line == g.web) {
        const SektTqe& web = elements[static_cast<size_t>(webPoint)];
        const double zp = web.za + r.idx[kSlotWeb] * (web.ze - web.za);
        z = std::max(0.0, 10.0 * (zp - (g.zFlange + 0.5 * g.tf)));
    }
    const double spread = leff + 2.0 * z;
    double sigma = 1000.0 * in.F / (spread * tw);  // eq. (5.1), kN -> N
    const double spacing = 1000.0 * in.spacing;     // m -> mm
    if (in.nAxles > 1 && in.Fneighbour != 0.0 && spacing > 0.0 && spacing < leff) {
        const double both = 1000.0 * (in.F + in.Fneighbour) / ((spread + spacing) * tw);
        if (std::fabs(both) > std::fabs(sigma)) sigma = both;
    }
    r.sigmaOz = sigma;
    r.tauOxz = 0.2 * sigma;  // 5.7.2
}

// Wheels on the bottom flange (EN 1993-6, 5.8, Table 5.2).
void BottomFlange(const ferrum::OnTheFlySection& s, const FER_VaduLocalInput& in, FER_VaduLocalSection& r,
                  bool useGiven) {
    const LocalGeometry g = ferrum::FindLocalGeometry(s, 2);
    if (!g.ok) return;
    const double b = g.yMax - g.yMin;  // cm
    const double n = in.railKOrLoadDist;
    const std::vector<SektTqe> elements = Elements(s.profile);
    if (!useGiven) {
        for (int side = 0; side < 2; ++side) {
            const double sign = side == 0 ? 1.0 : -1.0;
            const double tip = side == 0 ? g.yMax : g.yMin;
            PlaceOnFlange(s, elements, 2, g.yWeb + sign * 0.5 * g.tw, r.id[kSlotWeb + side], r.idx[kSlotWeb + side],
                          r.thickness[kSlotWeb + side]);
            PlaceOnFlange(s, elements, 2, tip - sign * n, r.id[kSlotWheel + side], r.idx[kSlotWheel + side],
                          r.thickness[kSlotWheel + side]);
            PlaceOnFlange(s, elements, 2, tip, r.id[kSlotTip + side], r.idx[kSlotTip + side],
                          r.thickness[kSlotTip + side]);
        }
    }
    if (!(b - g.tw > 0)) return;
    const double mu = 2.0 * n / (b - g.tw);
    double F = in.F;
    // Adjacent wheels closer than 1.5 b: their stresses are superposed (5.8).
    if (in.nAxles > 1 && in.spacing > 0.0 && 100.0 * in.spacing < 1.5 * b) F += in.Fneighbour;
    const double unit = 10.0 * F / (g.tf * g.tf);  // kN/cm² -> N/mm²
    for (int slot = 0; slot < 6; ++slot) {
        if (!(r.thickness[slot] > 0)) continue;
        double cx, cy;
        ferrum::BottomFlangeCoefficients(mu, slot / 2, cx, cy);
        r.A[slot] = cx * unit;
        r.B[slot] = cy * unit;
    }
}

}  // namespace

namespace ferrum {

LocalGeometry FindLocalGeometry(const OnTheFlySection& s, int flangeRole) {
    LocalGeometry g;
    if (s.roles.size() != s.lines.size()) return g;
    g.yMin = 1e300;
    g.yMax = -1e300;
    for (size_t k = 0; k < s.lines.size(); ++k) {
        const SektWLine& w = s.lines[k];
        if (s.roles[k] == 3) {
            g.web = static_cast<int>(k);
            g.tw = Thickness(w);
            g.yWeb = w.ya;
            g.zWebTop = std::min(w.za, w.ze);
            g.zWebBottom = std::max(w.za, w.ze);
        } else if (s.roles[k] == flangeRole) {
            if (g.flange.empty()) {
                g.tf = Thickness(w);
                g.zFlange = w.za;
            }
            g.flange.push_back(static_cast<int>(k));
            g.yMin = std::min({g.yMin, w.ya, w.ye});
            g.yMax = std::max({g.yMax, w.ya, w.ye});
        }
    }
    g.ok = g.web >= 0 && !g.flange.empty() && g.tw > 0 && g.tf > 0 && g.yMax > g.yMin;
    return g;
}

double EffectiveLoadedLength(const FER_VaduLocalInput& in, const LocalGeometry& g) {
    // In mm: the flange of width beff and the worn rail.
    const double tf = 10.0 * g.tf, b = 10.0 * (g.yMax - g.yMin), tw = 10.0 * g.tw;
    const double bfr = 10.0 * in.railB1, hr = 10.0 * in.railH75;
    const double Ir = 1.0e4 * in.railIy75, Ar = 100.0 * in.railA75, er = 10.0 * in.railE175;
    const double beff = std::min(bfr + hr + tf, b);  // 5.7.1(3), eq. (5.2)
    const double Af = beff * tf;
    const double If = beff * tf * tf * tf / 12.0;
    // Rail and flange about their common centroid (z downwards from the flange's top face).
    double Irf = If + Ir;
    if (Af + Ar > 0) {
        const double zc = (Af * 0.5 * tf - Ar * er) / (Af + Ar);
        Irf += Af * (0.5 * tf - zc) * (0.5 * tf - zc) + Ar * (er + zc) * (er + zc);
    }
    // Table 5.1.
    double leff;
    if (in.bRigid) leff = 3.25 * std::cbrt(Irf / tw);
    else if (in.railPad >= 6.0) leff = 4.25 * std::cbrt((Ir + If) / tw);
    else leff = 3.25 * std::cbrt((Ir + If) / tw);
    return leff;
}

void BottomFlangeCoefficients(double mu, int location, double& cx, double& cy) {
    switch (location) {
    case 0:  // web-to-flange
        cx = 0.050 - 0.580 * mu + 0.148 * std::exp(3.015 * mu);
        cy = -2.110 + 1.977 * mu + 0.0076 * std::exp(6.530 * mu);
        return;
    case 1:  // centre line of the wheel load
        cx = 2.230 - 1.490 * mu + 1.390 * std::exp(-18.33 * mu);
        cy = 10.108 - 7.408 * mu - 10.108 * std::exp(-1.364 * mu);
        return;
    case 2:  // flange tip
        cx = 0.730 - 1.580 * mu + 2.910 * std::exp(-6.000 * mu);
        cy = 0.0;
        return;
    default:
        cx = cy = 0.0;
    }
}

}  // namespace ferrum

int FER_hCalcVaduLocal(int h, const FER_VaduLocalInput* input, FER_VaduLocalSection* section, int useGiven) {
    if (!section) return -1;
    section->sigmaOz = section->tauOxz = 0.0;
    std::fill(std::begin(section->A), std::end(section->A), 0.0);
    std::fill(std::begin(section->B), std::end(section->B), 0.0);
    const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s || !input || s->profile <= 0) return -1;
    if (input->craneType == 0) TopFlange(*s, *input, *section, useGiven != 0);
    else BottomFlange(*s, *input, *section, useGiven != 0);
    return 0;
}
