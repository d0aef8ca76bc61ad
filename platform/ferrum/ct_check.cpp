// c/t classification of the plates of a thin-walled section.
//
// The plates come from the wall elements of the section library. Each plate
// is cut at the points where other plates join it; a part between two
// supports is an internal part, a part with one free edge an outstand. The
// width c of a part is its centre-line length less, at each supported end,
// the part of the supporting plate that lies inside it and the root radius.
// Stresses are the elastic stresses of N, My, Mz and the bimoment in the
// principal axes, linear along every straight plate.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ferrum/ferrum.h"
#include "platform/ferrum/plate_roles.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

struct Geometry;

struct CheckHandle {
    int pro = -1;
    std::string code;
    double gammaM = 1.0;
    // The plates of the profile, found at the first check and kept for the
    // handle's life: they do not depend on the forces.
    std::shared_ptr<const Geometry> geometry;
};

// The open checks by handle; calculations on worker threads open and close
// their own checks side by side, so the table is guarded.
std::mutex& HandlesMutex() {
    static std::mutex m;
    return m;
}

std::map<int, CheckHandle>& Handles() {
    static std::map<int, CheckHandle> handles;
    return handles;
}

int& NextHandle() {
    static int next = 1;
    return next;
}

struct Pt {
    double y = 0, z = 0;
};

double DistanceToSegment(const Pt& p, const Pt& a, const Pt& b, double& s) {
    const double dy = b.y - a.y, dz = b.z - a.z;
    const double L2 = dy * dy + dz * dz;
    s = L2 > 0 ? ((p.y - a.y) * dy + (p.z - a.z) * dz) / L2 : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    const double qy = a.y + s * dy - p.y, qz = a.z + s * dz - p.z;
    return std::sqrt(qy * qy + qz * qz);
}

// Elastic stress (N/mm², tension positive) from the forces at a point.
struct StressField {
    double A = 0, y0 = 0, z0 = 0, c = 1, s = 0, Iy = 0, Iz = 0, Iw = 0, ym = 0, zm = 0;
    double N = 0, My = 0, Mz = 0, Mw = 0;
    double At(double y, double z, double w) const {
        const double eta = (y - y0) * c + (z - z0) * s;
        const double zeta = -(y - y0) * s + (z - z0) * c;
        double sig = A > 0 ? N / A : 0.0;  // kN/cm²
        if (Iy > 0) sig += My * 100.0 * zeta / Iy;
        if (Iz > 0) sig -= Mz * 100.0 * eta / Iz;
        // Bimoment: sigma = -Mw * omega / Iw with omega about the shear centre,
        // as the kernel's unit stresses give it.
        if (Iw > 0) sig -= Mw * 10000.0 * w / Iw;
        return sig * 10.0;
    }
};

struct Element {
    Pt a, b;
    double t = 0, wa = 0, wb = 0, ra = 0, rb = 0, L = 0;
    int role = 0;
};

int ClassOf(double ct, const ferrum::CtLimits& l) {
    if (ct <= l.c1) return 1;
    if (ct <= l.c2) return 2;
    if (ct <= l.c3) return 3;
    return 4;
}

// A point along a plate where a part of it ends: its parameter, whether the
// plate is held there, and what the holding plate takes of its width.
struct Bp {
    double s;
    bool supported;
    double cut;
};

// What the checks of one profile share: its section values and its plates
// with their roles, and for every plate that is not a flange plate the
// points along it where its parts end, in order.
struct Geometry {
    StressField section;  // no forces
    std::vector<Element> el;
    double tol = 0;
    std::vector<std::vector<Bp>> breakpoints;  // by plate
};

// The geometry of a profile; false when the section library has no values
// for it.
bool BuildGeometry(int pro, Geometry& geo) {
    SektGqs g{};
    SektTqs tq{};
    if (SEKT_PRO_GetResultGqs(pro, &g) != 0 || SEKT_PRO_GetResultTqs(pro, 0, &tq) != 0) return false;

    StressField& f = geo.section;
    f.A = g.A;
    f.y0 = g.y0;
    f.z0 = g.z0;
    f.c = std::cos(g.phi);
    f.s = std::sin(g.phi);
    f.Iy = g.Azz * f.s * f.s - 2 * g.Ayz * f.s * f.c + g.Ayy * f.c * f.c;
    f.Iz = g.Azz * f.c * f.c + 2 * g.Ayz * f.s * f.c + g.Ayy * f.s * f.s;
    f.Iw = g.Bww;

    // Plates.
    std::vector<Element>& el = geo.el;
    const int n = SEKT_PRO_GetnTqe(pro, 0);
    double size = 0;
    for (int k = 0; k < n; ++k) {
        SektTqe e{};
        if (SEKT_PRO_GetResultTqe(pro, 0, k, &e) != 0 || e.exclude || e.type != SEKT_WLINE_PLATE) continue;
        Element x;
        x.a = {e.ya, e.za};
        x.b = {e.ye, e.ze};
        x.t = 0.5 * (e.ta + e.te);
        x.wa = e.wa - (e.za * tq.ym - e.ya * tq.zm);
        x.wb = e.we - (e.ze * tq.ym - e.ye * tq.zm);
        x.ra = std::max(e.r[0], e.r[1]);
        x.rb = std::max(e.r[2], e.r[3]);
        x.L = std::hypot(e.ye - e.ya, e.ze - e.za);
        if (x.L <= 0 || x.t <= 0) continue;
        size = std::max(size, x.L);
        el.push_back(x);
    }
    const double tol = geo.tol = 1e-6 * std::max(size, 1.0);

    // Plate roles of an I-section (the same finder as the sections built on
    // the fly).
    {
        std::vector<ferrum::PlateLine> lines;
        for (const Element& x : el) lines.push_back({x.a.y, x.a.z, x.b.y, x.b.z});
        const std::vector<int> roles = ferrum::FindPlateRoles(lines, tol);
        for (size_t k = 0; k < el.size(); ++k) el[k].role = roles[k];
    }

    geo.breakpoints.resize(el.size());
    for (size_t k = 0; k < el.size(); ++k) {
        const Element& x = el[k];
        if (x.role == 5 || x.role == 6) continue;  // a flange plate is cut by its flange's edges
        std::vector<Bp>& bps = geo.breakpoints[k];
        auto endSupport = [&](const Pt& p, double ownR, double& cut) {
            bool sup = false;
            cut = 0;
            const double ux = (x.b.y - x.a.y) / x.L, uz = (x.b.z - x.a.z) / x.L;
            for (size_t j = 0; j < el.size(); ++j) {
                if (j == k) continue;
                const double vy = (el[j].b.y - el[j].a.y) / el[j].L, vz = (el[j].b.z - el[j].a.z) / el[j].L;
                if (std::fabs(ux * vz - uz * vy) < 1e-6) continue;  // a continuation in line, no support
                double s;
                const double d = DistanceToSegment(p, el[j].a, el[j].b, s);
                if (d > 0.5 * el[j].t + 0.5 * x.t + tol) continue;
                sup = true;
                // Distance of the end from the supporting plate's centre line.
                const double perp = std::fabs((p.y - el[j].a.y) * vz - (p.z - el[j].a.z) * vy);
                double r = ownR;
                if (std::hypot(p.y - el[j].a.y, p.z - el[j].a.z) <= 0.5 * el[j].t + x.t + tol) r = std::max(r, el[j].ra);
                if (std::hypot(p.y - el[j].b.y, p.z - el[j].b.z) <= 0.5 * el[j].t + x.t + tol) r = std::max(r, el[j].rb);
                cut = std::max(cut, std::max(0.0, 0.5 * el[j].t - perp) + r);
            }
            return sup;
        };
        double cutA = 0, cutB = 0;
        const bool supA = endSupport(x.a, x.ra, cutA);
        const bool supB = endSupport(x.b, x.rb, cutB);
        bps.push_back({0.0, supA, cutA});
        bps.push_back({1.0, supB, cutB});
        // Plates that butt into this one.
        for (size_t j = 0; j < el.size(); ++j) {
            if (j == k) continue;
            for (int end = 0; end < 2; ++end) {
                const Pt& p = end ? el[j].b : el[j].a;
                const double r = end ? el[j].rb : el[j].ra;
                double s;
                const double d = DistanceToSegment(p, x.a, x.b, s);
                if (d > 0.5 * x.t + tol) continue;
                const double along = s * x.L;
                if (along <= 0.5 * el[j].t + tol || along >= x.L - 0.5 * el[j].t - tol) continue;
                bps.push_back({s, true, 0.5 * el[j].t + r});
            }
        }
        std::sort(bps.begin(), bps.end(), [](const Bp& l, const Bp& r) { return l.s < r.s; });
    }
    return true;
}

}  // namespace

namespace ferrum {

double BucklingFactorInternal(double psi) {
    psi = std::clamp(psi, -3.0, 1.0);
    if (psi >= 0) return 8.2 / (psi + 1.05);
    if (psi > -1) return 7.81 - 6.29 * psi + 9.78 * psi * psi;
    return 5.98 * (1 - psi) * (1 - psi);
}

double BucklingFactorOutstand(double psi, bool tipCompressed) {
    psi = std::min(psi, 1.0);
    if (tipCompressed) {
        const double p = std::max(psi, -3.0);
        return 0.57 - 0.21 * p + 0.07 * p * p;
    }
    if (psi >= 0) return 0.578 / (psi + 0.34);
    const double p = std::max(psi, -1.0);
    return 1.7 - 5.0 * p + 17.1 * p * p;
}

double DinElasticLimit(double ksigma, double fy) { return fy > 0 && ksigma > 0 ? 305.0 * std::sqrt(ksigma / fy) : FER_CT_NO_LIMIT; }

CtLimits InternalPartLimits(double eps, double alpha, double psi) {
    CtLimits l;
    if (alpha <= 0) return l;
    alpha = std::min(alpha, 1.0);
    if (alpha > 0.5) {
        l.c1 = 396.0 * eps / (13.0 * alpha - 1.0);
        l.c2 = 456.0 * eps / (13.0 * alpha - 1.0);
    } else {
        l.c1 = 36.0 * eps / alpha;
        l.c2 = 41.5 * eps / alpha;
    }
    psi = std::min(psi, 1.0);
    if (psi > -1.0) l.c3 = 42.0 * eps / (0.67 + 0.33 * psi);
    else l.c3 = 62.0 * eps * (1.0 - psi) * std::sqrt(-psi);
    return l;
}

CtLimits OutstandLimits(double eps, double alpha, double psi, bool tipCompressed) {
    CtLimits l;
    if (alpha <= 0) return l;
    alpha = std::min(alpha, 1.0);
    const double k = tipCompressed ? alpha : alpha * std::sqrt(alpha);
    l.c1 = 9.0 * eps / k;
    l.c2 = 10.0 * eps / k;
    psi = std::min(psi, 1.0);
    if (psi >= 1.0) {
        l.c3 = 14.0 * eps;  // uniform compression
        return l;
    }
    l.c3 = 21.0 * eps * std::sqrt(BucklingFactorOutstand(psi, tipCompressed));
    return l;
}

}  // namespace ferrum

int FER_iStart(int pro, const char* code, int /*flags*/, double gammaM, double /*f1*/, double /*f2*/) {
    SektGqs g{};
    if (SEKT_PRO_GetResultGqs(pro, &g) != 0 || g.A <= 0) return -1;
    CheckHandle h;
    h.pro = pro;
    h.code = code ? code : "";
    h.gammaM = gammaM > 0 ? gammaM : 1.0;
    std::lock_guard<std::mutex> lock(HandlesMutex());
    const int id = NextHandle()++;
    Handles()[id] = h;
    return id;
}

int FER_iClose(int handle) {
    std::lock_guard<std::mutex> lock(HandlesMutex());
    return Handles().erase(handle) ? 0 : -1;
}

int FER_iCalcElastic(int handle, double fy, const double* forces, int /*flags*/, FER_CtResult* result) {
    if (!result) return -1;
    std::memset(result, 0, sizeof(FER_CtResult));
    CheckHandle h;
    {
        std::lock_guard<std::mutex> lock(HandlesMutex());
        auto it = Handles().find(handle);
        if (it == Handles().end() || !forces || !(fy > 0)) return -1;
        h = it->second;
    }
    const bool ec = h.code == "EC" || h.code == "SIA";
    const double eps = std::sqrt((ec ? 235.0 : 240.0) / fy);

    if (!h.geometry) {
        auto built = std::make_shared<Geometry>();
        if (!BuildGeometry(h.pro, *built)) return -1;
        std::lock_guard<std::mutex> lock(HandlesMutex());
        auto it = Handles().find(handle);
        if (it != Handles().end() && !it->second.geometry) it->second.geometry = built;
        h.geometry = std::move(built);
    }
    const Geometry& geo = *h.geometry;
    const std::vector<Element>& el = geo.el;
    const double tol = geo.tol;

    StressField f = geo.section;
    f.N = forces[0];
    f.My = forces[4];
    f.Mz = forces[5];
    f.Mw = forces[7];

    int sectionClass = 1;
    int count = 0;
    // One part's limits from its stresses at the root (supported) and tip.
    auto classify = [&](FER_CtPlate& e, double cRoot, double cTip, bool outstand, bool webPart) {
        const double s1 = std::max(cRoot, cTip), s2 = std::min(cRoot, cTip);
        e.sigma1 = s1;
        e.sigma2 = s2;
        e.tieValue = -s1;
        e.outstand = outstand ? 1 : 0;
        ferrum::CtLimits lim;
        double raised = FER_CT_NO_LIMIT;
        if (s1 > 1e-9) {
            e.psi = s2 / s1;
            double alpha = s2 >= 0 ? 1.0 : s1 / (s1 - s2);
            if (webPart) {
                // Web of an I-section: plastic neutral axis from the axial force the web carries.
                const double npl = e.c * e.t * fy / 10.0;
                if (npl > 0) alpha = std::clamp(0.5 * (1.0 - f.N / npl), 0.0, 1.0);
            }
            e.alpha = alpha;
            lim = outstand ? ferrum::OutstandLimits(eps, alpha, e.psi, cTip >= cRoot)
                           : ferrum::InternalPartLimits(eps, alpha, e.psi);
            if (!ec) {
                // DIN 18800-1, elastic-elastic: grenz b/t = 305 sqrt(k_sigma / (sigma1 gammaM)),
                // with sigma1 gammaM = fy (fully used).
                const double ks = outstand ? ferrum::BucklingFactorOutstand(e.psi, cTip >= cRoot)
                                           : ferrum::BucklingFactorInternal(e.psi);
                lim.c3 = ferrum::DinElasticLimit(ks, fy);
            }
            if (lim.c3 < FER_CT_NO_LIMIT) raised = lim.c3 * std::sqrt(fy / (h.gammaM * s1));
        } else {
            e.psi = 1.0;
            e.alpha = 0.0;
        }
        e.limitClass1 = lim.c1;
        e.limitClass2 = lim.c2;
        e.limitClass3 = lim.c3;
        e.limitClass3Raised = raised;
        e.plateClass = ClassOf(e.ctRatio, lim);
    };
    for (size_t k = 0; k < el.size(); ++k) {
        const Element& x = el[k];
        if (x.role == 5 || x.role == 6) {
            // A flange plate lies on its flange: only what stands out beyond
            // the flange's edges is an outstand.
            double fmin = 1e300, fmax = -1e300;
            for (const Element& g : el)
                if (g.role == x.role - 4) fmin = std::min({fmin, g.a.y, g.b.y}), fmax = std::max({fmax, g.a.y, g.b.y});
            const double cmin = std::min(x.a.y, x.b.y), cmax = std::max(x.a.y, x.b.y);
            bool any = false;
            for (int side = 0; side < 2; ++side) {
                const double root = side ? fmax : fmin, tip = side ? cmax : cmin;
                const double c = side ? cmax - fmax : fmin - cmin;
                if (c <= tol || fmin > fmax) continue;
                any = true;
                FER_CtPlate e{};
                e.kind = x.role;
                e.index = static_cast<int32_t>(k);
                e.c = c;
                e.t = x.t;
                e.ctRatio = c / x.t;
                const double wr = x.wa + (x.wb - x.wa) * ((root - x.a.y) / (x.b.y - x.a.y));
                const double wt = x.wa + (x.wb - x.wa) * ((tip - x.a.y) / (x.b.y - x.a.y));
                classify(e, -f.At(root, x.a.z, wr), -f.At(tip, x.a.z, wt), true, false);
                sectionClass = std::max(sectionClass, static_cast<int>(e.plateClass));
                if (count < FER_CT_MAX_PLATES) result->plate[count++] = e;
            }
            if (!any && count < FER_CT_MAX_PLATES) {
                FER_CtPlate e{};
                e.kind = x.role;
                e.index = static_cast<int32_t>(k);
                e.t = x.t;
                classify(e, 0.0, 0.0, true, false);  // held by its flange over its whole width
                result->plate[count++] = e;
            }
            continue;
        }
        const std::vector<Bp>& bps = geo.breakpoints[k];
        auto stressAt = [&](double s) {
            const double y = x.a.y + s * (x.b.y - x.a.y), z = x.a.z + s * (x.b.z - x.a.z);
            return f.At(y, z, x.wa + s * (x.wb - x.wa));
        };
        for (size_t i = 0; i + 1 < bps.size(); ++i) {
            const Bp& p = bps[i];
            const Bp& q = bps[i + 1];
            if ((q.s - p.s) * x.L <= tol) continue;
            if (!p.supported && !q.supported) continue;  // a loose plate is no part of the section's walls
            const bool outstand = !(p.supported && q.supported);
            double c = (q.s - p.s) * x.L - (p.supported ? p.cut : 0.0) - (q.supported ? q.cut : 0.0);
            if (c <= 0) continue;
            // Stresses (compression positive) at the ends of the part c.
            const double sp = p.s + (p.supported ? p.cut / x.L : 0.0), sq = q.s - (q.supported ? q.cut / x.L : 0.0);
            const double cp = -stressAt(sp), cq = -stressAt(sq);
            FER_CtPlate e{};
            e.kind = x.role;
            e.index = static_cast<int32_t>(k);
            e.c = c;
            e.t = x.t;
            e.ctRatio = c / x.t;
            // Root (supported end) and tip (free end) of an outstand; an
            // internal part is given its two ends.
            const bool tipIsP = outstand && !p.supported;
            classify(e, tipIsP ? cq : cp, tipIsP ? cp : cq, outstand, x.role == 3 && !outstand);
            sectionClass = std::max(sectionClass, static_cast<int>(e.plateClass));
            if (count < FER_CT_MAX_PLATES) result->plate[count++] = e;
        }
    }
    result->nPlates = count;
    result->sectionClass = sectionClass;
    return sectionClass;
}
