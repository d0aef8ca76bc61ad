// Plastic utilisation and elastic stress proofs of a calculated section.
#include "platform/zidezaz/proofs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/zadevoz/zadevoz.h"

namespace {

constexpr double kSqrt3 = 1.7320508075688772;
constexpr double kPi = 3.14159265358979323846;

std::string Fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

// Section values in the principal axes.
struct Section {
    bool ok = false;
    SektGqs g{};
    SektSqs sq{};
    SektTqs tq{};
    std::vector<SektTqe> tqe;
    double c = 1, s = 0, Iy = 0, Iz = 0, It = 0;
};

Section Load(int pro) {
    Section x;
    if (SEKT_PRO_GetResultGqs(pro, &x.g) != 0 || x.g.A <= 0) return x;
    SEKT_PRO_GetResultSqs(pro, &x.sq);
    SEKT_PRO_GetResultTqs(pro, 0, &x.tq);
    const int n = SEKT_PRO_GetnTqe(pro, 0);
    for (int k = 0; k < n; ++k) {
        SektTqe e{};
        if (SEKT_PRO_GetResultTqe(pro, 0, k, &e) == 0 && !e.exclude && e.type == SEKT_WLINE_PLATE) x.tqe.push_back(e);
    }
    x.c = std::cos(x.g.phi);
    x.s = std::sin(x.g.phi);
    x.Iy = x.g.Azz * x.s * x.s - 2 * x.g.Ayz * x.s * x.c + x.g.Ayy * x.c * x.c;
    x.Iz = x.g.Azz * x.c * x.c + 2 * x.g.Ayz * x.s * x.c + x.g.Ayy * x.s * x.s;
    x.It = x.g.Ito + x.g.Itg;
    x.ok = true;
    return x;
}

// One stress point: plate, position and stresses (N/mm²).
struct StressPoint {
    int plate = 0;
    double y = 0, z = 0, sigma = 0, tau = 0, sigV = 0;
};

std::vector<StressPoint> StressPoints(const Section& x, const double* f) {
    std::vector<StressPoint> pts;
    const double N = f[0], Vy = f[1], Vz = f[2], Mx = f[3], My = f[4], Mz = f[5], Mw = f[7];
    for (size_t k = 0; k < x.tqe.size(); ++k) {
        const SektTqe& e = x.tqe[k];
        for (int j = 0; j < 3; ++j) {
            const double r = 0.5 * j;
            const double y = e.ya + r * (e.ye - e.ya), z = e.za + r * (e.ze - e.za);
            const double t = e.ta + r * (e.te - e.ta);
            const double w = (e.wa + r * (e.we - e.wa)) - (z * x.tq.ym - y * x.tq.zm);
            const double eta = (y - x.g.y0) * x.c + (z - x.g.z0) * x.s;
            const double zeta = -(y - x.g.y0) * x.s + (z - x.g.z0) * x.c;
            double sig = N / x.g.A;
            if (x.Iy > 0) sig += My * 100.0 * zeta / x.Iy;
            if (x.Iz > 0) sig -= Mz * 100.0 * eta / x.Iz;
            if (x.g.Bww > 0) sig -= Mw * 10000.0 * w / x.g.Bww;  // as the kernel's unit stresses
            // Static moments along the wall: at the ends as stored, in the
            // middle with the first half of the element added.
            double Sy = j == 0 ? e.Sya : (j == 2 ? e.Sye : 0), Sz = j == 0 ? e.Sza : (j == 2 ? e.Sze : 0);
            if (j == 1) {
                const double L = e.L > 0 ? e.L : std::hypot(e.ye - e.ya, e.ze - e.za);
                const double yq = e.ya + 0.25 * (e.ye - e.ya), zq = e.za + 0.25 * (e.ze - e.za);
                Sy = e.Sya + e.ta * 0.5 * L * (yq - x.tq.y0);
                Sz = e.Sza + e.ta * 0.5 * L * (zq - x.tq.z0);
            }
            const double Seta = Sy * x.c + Sz * x.s, Szeta = -Sy * x.s + Sz * x.c;
            double tau = 0;
            if (t > 0) {
                double q = 0;
                if (x.Iy > 0) q += Vz * Szeta / x.Iy;
                if (x.Iz > 0) q += Vy * Seta / x.Iz;
                tau = std::fabs(q) / t;
                if (x.It > 0) tau += std::fabs(Mx) * 100.0 * t / x.It;
            }
            StressPoint p;
            p.plate = static_cast<int>(k);
            p.y = y;
            p.z = z;
            p.sigma = sig * 10.0;
            p.tau = tau * 10.0;
            p.sigV = std::sqrt(p.sigma * p.sigma + 3.0 * p.tau * p.tau);
            pts.push_back(p);
        }
    }
    return pts;
}

double ElasticUtilisation(const Section& x, double fd, const double* f) {
    double u = 0;
    for (const StressPoint& p : StressPoints(x, f)) u = std::max(u, p.sigV / fd);
    return u;
}

// The I-section model of the partial internal forces method (cm, kN/cm²):
// a web and, above and below it, a flange made of one or more plates
// centred on the web (a flange with its flange plates).
struct IModel {
    bool ok = false;
    double Ao = 0, Au = 0, Aw = 0;      // flange and web areas (web with fillets)
    double Wfo = 0, Wfu = 0;            // plastic moduli of the flanges about the web axis
    double to = 0, tu = 0, tw = 0;      // largest plate thickness of each part
    double zo = 0, zu = 0, zw = 0;      // centres from the centroid, z downwards
    double Wweb = 0;                    // plastic modulus of the web part about its centre
    double Avz = 0;                     // shear area of the web (between the adjacent flange centres)
    double It = 0;
    double ko = 0.5, ku = 0.5;          // shares of Mz
};

IModel MakeIModel(const Section& x) {
    IModel m;
    if (std::fabs(x.g.phi) > 1e-6 || x.tqe.empty()) return m;
    const SektTqe* web = nullptr;
    double size = 0;
    for (const SektTqe& e : x.tqe) size = std::max(size, std::hypot(e.ye - e.ya, e.ze - e.za));
    const double tol = 1e-6 * std::max(size, 1.0);
    for (const SektTqe& e : x.tqe) {
        if (std::fabs(e.za - e.ze) <= tol) continue;
        if (std::fabs(e.ya - e.ye) > tol || web) return m;  // one vertical web, nothing else
        web = &e;
    }
    if (!web) return m;
    const double yw = web->ya, zTopW = std::min(web->za, web->ze), zBotW = std::max(web->za, web->ze);
    // Horizontal plates by level: extent and thickness.
    struct Level {
        double z = 0, ymin = 1e300, ymax = -1e300, t = 0;
    };
    std::vector<Level> levels;
    for (const SektTqe& e : x.tqe) {
        if (&e == web) continue;
        Level* l = nullptr;
        for (Level& c : levels)
            if (std::fabs(c.z - e.za) <= tol) l = &c;
        if (!l) {
            levels.push_back({e.za});
            l = &levels.back();
        }
        l->ymin = std::min({l->ymin, e.ya, e.ye});
        l->ymax = std::max({l->ymax, e.ya, e.ye});
        l->t = std::max(l->t, 0.5 * (e.ta + e.te));
    }
    double sumO = 0, sumU = 0, zAdjO = -1e300, zAdjU = 1e300, tAdjO = 0, tAdjU = 0, IzO = 0, IzU = 0;
    for (const Level& l : levels) {
        const double b = l.ymax - l.ymin;
        if (b <= 0 || std::fabs(0.5 * (l.ymin + l.ymax) - yw) > 1e-6 * b + tol) return m;  // not centred on the web
        const double A = b * l.t;
        if (l.z < zTopW) {
            m.Ao += A;
            sumO += A * l.z;
            m.Wfo += l.t * b * b / 4.0;
            IzO += l.t * b * b * b;
            m.to = std::max(m.to, l.t);
            if (l.z > zAdjO) zAdjO = l.z, tAdjO = l.t;
        } else if (l.z > zBotW) {
            m.Au += A;
            sumU += A * l.z;
            m.Wfu += l.t * b * b / 4.0;
            IzU += l.t * b * b * b;
            m.tu = std::max(m.tu, l.t);
            if (l.z < zAdjU) zAdjU = l.z, tAdjU = l.t;
        } else {
            return m;  // a plate across the web's height: no I-section
        }
    }
    if (m.Ao <= 0 || m.Au <= 0) return m;
    m.zo = sumO / m.Ao - x.g.z0;
    m.zu = sumU / m.Au - x.g.z0;
    m.tw = 0.5 * (web->ta + web->te);
    const double faceO = zAdjO + tAdjO / 2 - x.g.z0, faceU = zAdjU - tAdjU / 2 - x.g.z0;
    const double hw = faceU - faceO;
    if (hw <= 0 || m.tw <= 0) return m;
    m.zw = 0.5 * (faceO + faceU);
    m.Aw = x.g.A - m.Ao - m.Au;
    if (m.Aw <= 0) return m;
    const double k = 1.0 - kPi / 4.0;
    const double ro = x.sq.Ptyp == 0 ? x.sq.ro : 0.0, ru = x.sq.Ptyp == 0 ? x.sq.ru : 0.0;
    m.Wweb = m.tw * hw * hw / 4.0 + 2.0 * k * ro * ro * (hw / 2 - 0.2234 * ro) + 2.0 * k * ru * ru * (hw / 2 - 0.2234 * ru);
    m.Avz = (zAdjU - zAdjO) * m.tw;
    m.It = x.It;
    m.ko = IzO / (IzO + IzU);
    m.ku = IzU / (IzO + IzU);
    m.ok = true;
    return m;
}

// True when the forces f (scaled by lambda) can be carried by the model.
bool Admissible(const IModel& m, double fy, const double* f, double lambda) {
    const double N = lambda * f[0], Vy = lambda * f[1], Vz = lambda * f[2], Mx = lambda * f[3] * 100.0,
                 My = lambda * f[4] * 100.0, Mz = lambda * f[5] * 100.0, Mw = lambda * f[7] * 10000.0;
    const double tauR = fy / kSqrt3;
    auto reduced = [&](double tau) { return tau >= tauR ? -1.0 : fy * std::sqrt(1.0 - (tau / tauR) * (tau / tauR)); };
    const double tTors = m.It > 0 ? std::fabs(Mx) / m.It : 0.0;  // times the plate thickness
    const double fw = reduced(std::fabs(Vz) / m.Avz + tTors * m.tw);
    const double fo = reduced(std::fabs(Vy) * m.ko / m.Ao + tTors * m.to);
    const double fu = reduced(std::fabs(Vy) * m.ku / m.Au + tTors * m.tu);
    if (fw < 0 || fo < 0 || fu < 0) return false;
    // Flange moments from Mz and the bimoment.
    const double hf = m.zu - m.zo;
    // The bimoment bends the flanges in opposite senses (top flange like
    // +Mw/hf about the web axis, with sigma = -Mw omega / Iw).
    const double Mo = Mz * m.ko + Mw / hf, Mu = Mz * m.ku - Mw / hf;
    const double Mplo = m.Wfo * fo, Mplu = m.Wfu * fu;
    if (std::fabs(Mo) > Mplo || std::fabs(Mu) > Mplu) return false;
    const double Fo = m.Ao * fo * std::sqrt(1.0 - std::fabs(Mo) / Mplo);
    const double Fu = m.Au * fu * std::sqrt(1.0 - std::fabs(Mu) / Mplu);
    const double Nwp = m.Aw * fw, Mwp = m.Wweb * fw;
    auto fits = [&](double Nw) {
        if (std::fabs(Nw) > Nwp) return false;
        const double mm = Mwp * (1.0 - (Nw / Nwp) * (Nw / Nwp));
        const double S = N - Nw, R0 = My - Nw * m.zw;
        double lo = std::max(-Fu, S - Fo), hi = std::min(Fu, S + Fo);
        lo = std::max(lo, (R0 - mm - S * m.zo) / hf);
        hi = std::min(hi, (R0 + mm - S * m.zo) / hf);
        return lo <= hi + 1e-9 * (Fo + Fu + Nwp);
    };
    const double Npl = Fo + Fu + Nwp;
    const double cand[] = {0.0, Npl > 0 ? N * Nwp / Npl : 0.0, Nwp, -Nwp, N - Fo - Fu, N + Fo + Fu};
    for (double c : cand)
        if (fits(std::clamp(c, -Nwp, Nwp))) return true;
    const int steps = 400;
    for (int i = 0; i <= steps; ++i)
        if (fits(-Nwp + 2.0 * Nwp * i / steps)) return true;
    return false;
}

double PlasticIUtilisation(const IModel& m, double fy, const double* f) {
    bool any = false;
    for (int i = 0; i < 8; ++i) any = any || std::fabs(f[i]) > 0;
    if (!any) return 0.0;
    double lo = 0, hi = 1;
    int guard = 0;
    while (Admissible(m, fy, f, hi) && guard++ < 80) {
        lo = hi;
        hi *= 2;
    }
    if (guard >= 80) return 0.0;
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (Admissible(m, fy, f, mid)) lo = mid;
        else hi = mid;
    }
    return lo > 0 ? 1.0 / lo : 1e10;
}

}  // namespace

double ZAZUZER_PlasticUtilisation(int pro, double fd, const double* forces) {
    if (!forces || !(fd > 0)) return -1;
    const Section x = Load(pro);
    if (!x.ok) return -1;
    const IModel m = MakeIModel(x);
    if (m.ok) return PlasticIUtilisation(m, fd / 10.0, forces);
    return ElasticUtilisation(x, fd, forces);
}

namespace zidezaz {
PlasticCapacities PlasticCapacitiesOf(int pro, double fd) {
    PlasticCapacities c;
    const Section x = Load(pro);
    if (!x.ok || !(fd > 0)) return c;
    const double fy = fd / 10.0;
    c.Npl = x.g.A * fy;
    const IModel m = MakeIModel(x);
    if (!m.ok) return c;
    c.iSection = true;
    // Singly symmetric: the equal-area axis, found by the method itself.
    const double unit[8] = {0, 0, 0, 0, 1.0, 0, 0, 0};
    c.Mply = 1.0 / PlasticIUtilisation(m, fy, unit);
    c.Wply = c.Mply * 100.0 / fy;
    const double unitZ[8] = {0, 0, 0, 0, 0, 1.0, 0, 0};
    c.Mplz = 1.0 / PlasticIUtilisation(m, fy, unitZ);
    c.Vplz = m.Avz * fy / kSqrt3;
    c.Vply = (m.Ao + m.Au) * fy / kSqrt3;
    return c;
}
}  // namespace zidezaz

double ZAZUZER_StressTable(int pro, int code, double labelWidth, const double* strength, const double* forces,
                           const char* heading, const char* utilText) {
    if (!strength || !forces || !(strength[0] > 0)) return -1;
    const Section x = Load(pro);
    if (!x.ok) return -1;
    const double fd = strength[0];
    const int kind = code % 10;
    const bool all = (code / 100) == 2;
    const double limit = kind == 1 ? fd / kSqrt3 : fd;
    std::vector<StressPoint> pts = StressPoints(x, forces);
    auto value = [&](const StressPoint& p) { return kind == 0 ? p.sigma : (kind == 1 ? p.tau : p.sigV); };
    std::vector<size_t> rows;
    if (all) {
        for (size_t i = 0; i < pts.size(); ++i) rows.push_back(i);
    } else {
        for (size_t i = 0; i < pts.size(); i += 3) {
            size_t best = i;
            for (size_t j = i; j < i + 3 && j < pts.size(); ++j)
                if (std::fabs(value(pts[j])) > std::fabs(value(pts[best]))) best = j;
            rows.push_back(best);
        }
    }
    double u = 0;
    for (size_t i : rows) u = std::max(u, std::fabs(value(pts[i])) / limit);

    const char* sym = kind == 0 ? "{\\f2 s}{\\sub x}" : (kind == 1 ? "{\\f2 t}" : "{\\f2 s}{\\sub v}");
    zadevoz::RtfWriteText(0, std::string("\\b ") + (heading ? heading : "") + "\\b0");
    const double w = labelWidth > 0 ? labelWidth : 2.0;
    zadevoz::RtfBeginTable({w * 0.5, 2.0, 2.0, 2.5, 2.5, 2.5});
    zadevoz::RtfBeginRow(1);
    for (const char* h : {"\\qc Blech", "\\qc y [cm]", "\\qc z [cm]"}) zadevoz::RtfWriteCell(h);
    zadevoz::RtfWriteCell(std::string("\\qc ") + sym + " [N/mm{\\super 2}]");
    zadevoz::RtfWriteCell(std::string("\\qc zul. ") + sym + " [N/mm{\\super 2}]");
    zadevoz::RtfWriteCell(std::string("\\qc ") + (utilText ? utilText : ""));
    zadevoz::RtfBeginRow(0);
    for (size_t i : rows) {
        const StressPoint& p = pts[i];
        zadevoz::RtfWriteIntCell("\\qc @0", p.plate + 1);
        zadevoz::RtfWriteNumberCell("\\qr @2", p.y);
        zadevoz::RtfWriteNumberCell("\\qr @2", p.z);
        zadevoz::RtfWriteNumberCell("\\qr @2", value(p));
        zadevoz::RtfWriteNumberCell("\\qr @2", limit);
        zadevoz::RtfWriteNumberCell("\\qr @3", std::fabs(value(p)) / limit);
    }
    zadevoz::RtfEndTable();
    zadevoz::RtfWriteText(0, std::string(utilText ? utilText : "") + " max = " + Fmt("%.3f", u));
    return u;
}

int ZAZUZER_WritePlasticProof(int pro, double* utilisation, double fd, const double* forces, const char* valuesHeading,
                              const char* utilHeading) {
    if (!forces || !(fd > 0)) return -1;
    const Section x = Load(pro);
    if (!x.ok) return -1;
    const double u = ZAZUZER_PlasticUtilisation(pro, fd, forces);
    if (utilisation) *utilisation = u;
    const zidezaz::PlasticCapacities cap = zidezaz::PlasticCapacitiesOf(pro, fd);

    zadevoz::RtfWriteText(0, std::string("\\b ") + (valuesHeading ? valuesHeading : "") + "\\b0");
    zadevoz::RtfBeginTable({3.5, 3.0, 3.5, 3.0});
    zadevoz::RtfBeginRow(0);
    auto pair = [](const char* name, double v, const char* f) {
        zadevoz::RtfWriteCell(name);
        zadevoz::RtfWriteNumberCell(f, v);
    };
    pair("A [cm{\\super 2}]", x.g.A, "\\qr @2");
    pair("N [kN]", forces[0], "\\qr @2");
    pair("I{\\sub y} [cm{\\super 4}]", x.Iy, "\\qr @1");
    pair("V{\\sub y} [kN]", forces[1], "\\qr @2");
    pair("I{\\sub z} [cm{\\super 4}]", x.Iz, "\\qr @1");
    pair("V{\\sub z} [kN]", forces[2], "\\qr @2");
    pair("I{\\sub T} [cm{\\super 4}]", x.It, "\\qr @2");
    pair("M{\\sub x} [kNm]", forces[3], "\\qr @2");
    pair("I{\\sub \\f2 w\\f1 } [cm{\\super 6}]", x.g.Bww, "\\qr @0");
    pair("M{\\sub y} [kNm]", forces[4], "\\qr @2");
    pair("f{\\sub d} [N/mm{\\super 2}]", fd, "\\qr @1");
    pair("M{\\sub z} [kNm]", forces[5], "\\qr @2");
    zadevoz::RtfWriteCell("");
    zadevoz::RtfWriteCell("");
    pair("M{\\sub \\f2 w\\f1 } [kNm{\\super 2}]", forces[7], "\\qr @3");
    zadevoz::RtfEndTable();

    zadevoz::RtfWriteText(0, std::string("\\b ") + (utilHeading ? utilHeading : "") + "\\b0");
    if (cap.iSection) {
        zadevoz::RtfWriteText(0, "Teilschnittgrößenverfahren (Flansche und Steg)");
        zadevoz::RtfBeginTable({3.5, 3.0, 3.5, 3.0});
        zadevoz::RtfBeginRow(0);
        pair("N{\\sub pl} [kN]", cap.Npl, "\\qr @1");
        pair("V{\\sub pl,z} [kN]", cap.Vplz, "\\qr @1");
        pair("M{\\sub pl,y} [kNm]", cap.Mply, "\\qr @2");
        pair("M{\\sub pl,z} [kNm]", cap.Mplz, "\\qr @2");
        zadevoz::RtfEndTable();
    } else {
        zadevoz::RtfWriteText(0, "Elastische Grenztragfähigkeit (Vergleichsspannung)");
    }
    zadevoz::RtfWriteText(0, std::string("\\b ") + (utilHeading ? utilHeading : "") + " = " + Fmt("%.3f", u) + "\\b0");
    return 0;
}
