// Imperfections of the ultimate load cases: a sway per support field
// (kind 0), a bow per support field (kind 1), or the first buckling mode
// scaled at a reference node (kind 2); and the equivalent sway loads.
#include <algorithm>
#include <cmath>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "platform/winsys/winsys.h"

namespace tovik::fe {

namespace {

// Walks the support fields to the one containing x: index, start and
// signed length; false outside all fields.
bool FieldAt(const std::vector<double>& fields, double x, int32_t& k, double& xk, double& lk) {
    double start = 0.0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const double len = std::fabs(fields[i]);
        if (x >= start - 1e-9 && x <= start + len + 1e-9) {
            k = static_cast<int32_t>(i);
            xk = start;
            lk = fields[i];
            return true;
        }
        start += len;
    }
    return false;
}

// True when the member's first input node is held in y (or z).
bool StartHeld(const RunState& run, bool inY) {
    const ModelRecord& m = run.cdltr;
    const int32_t t = m.Kn_Lager[0];
    if (t < 1 || t > m.nLagerTyp || t > limits::kMaxSupportTypes) return false;
    const SupportType& s = m.LagerTyp[Z(t - 1)];
    return (inY ? s.cy : s.cz) < 0;
}

// Distance of x from the supported end of its field: a cantilever at the
// start of the member has its support at the field's end.
bool DistanceFromSupport(const RunState& run, bool inY, double x, int32_t& k, double& len, double& d) {
    const std::vector<double>& fields = inY ? run.cdltr.fe.StuetzFelderY : run.cdltr.fe.StuetzFelderZ;
    double xk, lk;
    if (!FieldAt(fields, x, k, xk, lk) || lk == 0.0) return false;
    len = std::fabs(lk);
    const bool leftCantilever = lk < 0 && k == 0 && !StartHeld(run, inY);
    d = leftCantilever ? x - (xk + len) : x - xk;
    return true;
}

// Bow shape in one direction: a sine half-wave between supports, 1 - cos
// over a cantilever (zero at its support, largest at its free end); every
// other field takes the opposite sign.
double BowShape(const RunState& run, bool inY, double x) {
    const std::vector<double>& fields = inY ? run.cdltr.fe.StuetzFelderY : run.cdltr.fe.StuetzFelderZ;
    int32_t k;
    double len, d;
    if (!DistanceFromSupport(run, inY, x, k, len, d)) return 0.0;
    const double value = fields[Z(k)] > 0 ? std::sin(d * M_PI / len) : 1.0 - std::cos(std::fabs(d) * M_PI / len / 2.0);
    return (k % 2 == 1) ? -value : value;
}

// Sway shape of unit angle: the signed distance from the supported end of
// the field.
double SwayShape(const RunState& run, bool inY, double x) {
    int32_t k;
    double len, d;
    if (!DistanceFromSupport(run, inY, x, k, len, d)) return 0.0;
    return d;
}

double Sg(double x) { return x >= 0 ? 1.0 : -1.0; }

}  // namespace

void ImperfectionShape(const RunState& run, double x, double& y, double& z) {
    y = BowShape(run, true, x);
    z = BowShape(run, false, x);
}

void SetImperfection(RunState& run, int32_t k) {
    FeState& st = State(run);
    SetImperfection(run, st, st.results, k);
}

void SetImperfection(RunState& run, FeState& st, FeResults& results, int32_t k) {
    const ModelRecord& m = run.cdltr;
    if (k < 0 || Z(k) >= results.ultimate.size()) return;
    FeCaseResult& res = results.ultimate[Z(k)];
    const int32_t nn = m.fe.nKnoten;
    std::vector<double>& imp = res.imperfection;
    imp.assign(Z(4 * nn), 0.0);
    auto X = [&](int32_t i) { return m.fe.KnotenX[Z(i)]; };

    if (m.vorvType == 0) {
        // Sway: a sway angle per support field; the shape value of a node is
        // its distance from the field's supported end (m), so the initial
        // deflection is angle x distance: 1/200 gives L/200 at the top of a
        // cantilever column of height L.
        // psiY, psiZ (psiDirekt 0): angles in per cent about y and about z
        // (psiZ sways the axis in y, psiY in z).
        // psiGlobal (psiDirekt 1): one angle in radians, applied in full in
        // the direction of the resultant deformation: the lateral direction
        // of this case's first buckling mode at its largest deflection,
        // signed like the mode imperfection (towards the linear deflection);
        // without a mode that of the linear deflection. Only when neither
        // gives a direction is the angle split evenly, 1/sqrt 2 in each
        // direction; splitting it always would leave the decisive direction
        // with only 71 % of the sway.
        double vy, wz;  // factors of the shape values in y and z
        if (m.psiDirekt) {
            const double psi = m.psiGlobal;
            double dy = 0.0, dz = 0.0;
            const std::vector<double>& ev = res.eigenVectors;
            double best = 0.0;
            int32_t at = -1;
            for (int32_t i = 0; i < nn && Z(7 * i + 2) < ev.size(); ++i) {
                const double d = std::hypot(ev[Z(7 * i + 1)], ev[Z(7 * i + 2)]);
                if (d > best) {
                    best = d;
                    at = i;
                }
            }
            const FirstOrderRecord& fo = st.firstOrder;
            if (at >= 0 && best > 1e-8) {
                const double vref = ev[Z(7 * at + 1)], wref = ev[Z(7 * at + 2)];
                double sy, sz;
                if (std::fabs(fo.thetaL) > 1e-4) {
                    sy = Sg(vref) * Sg(fo.thetaL);
                    sz = Sg(wref) * Sg(fo.thetaL);
                } else {
                    sy = std::fabs(fo.vL) > 1e-5 ? Sg(vref) * Sg(fo.vL) : -Sg(vref) * fo.signYM;
                    sz = std::fabs(fo.wL) > 1e-5 ? Sg(wref) * Sg(fo.wL) : -Sg(wref) * fo.signZM;
                }
                dy = sy * vref / best;
                dz = sz * wref / best;
            } else if (std::hypot(fo.vL, fo.wL) > 1e-12) {
                const double r = std::hypot(fo.vL, fo.wL);
                dy = fo.vL / r;
                dz = fo.wL / r;
            } else {
                dy = M_SQRT1_2;
                dz = -M_SQRT1_2;
            }
            vy = psi * dy;
            wz = psi * dz;
        } else {
            vy = m.psiZ * 0.01;
            wz = -m.psiY * 0.01;
        }
        for (int32_t i = 0; i < nn; ++i) {
            imp[Z(4 * i)] = vy * SwayShape(run, true, X(i));
            imp[Z(4 * i + 1)] = wz * SwayShape(run, false, X(i));
        }
    } else if (m.vorvType == 1) {
        // Bow: w0Direkt = one amplitude (wGlobal) in the direction of the
        // resultant, else v0 and w0 in y and z.
        for (int32_t i = 0; i < nn; ++i) {
            double a, b;
            ImperfectionShape(run, X(i), a, b);
            if (m.w0Direkt) {
                double r = std::sqrt(a * a + b * b);
                const double big = std::max(std::fabs(a), std::fabs(b));
                if ((std::fabs(a) < 1e-8 && std::fabs(b) < 1e-8) || big == 0.0) r = 1.0;
                else r /= big;
                imp[Z(4 * i)] = m.wGlobal * a * 0.01 / r;
                imp[Z(4 * i + 1)] = m.wGlobal * b * 0.01 / r;
            } else {
                imp[Z(4 * i)] = m.v0 * a * 0.01;
                imp[Z(4 * i + 1)] = m.w0 * b * 0.01;
            }
        }
    } else if (m.vorvType == 2) {
        // Affine to the first buckling mode: ausmitteDirekt = a reference
        // node (ausmitteKnoten, 1-based input node) with the amplitude
        // ausmitteGlobal there, else the amplitude ausmitte at the mode's
        // largest deflection.
        const std::vector<double>& ev = res.eigenVectors;
        auto v = [&](int32_t i) { return Z(7 * i + 1) < ev.size() ? ev[Z(7 * i + 1)] : 0.0; };
        auto w = [&](int32_t i) { return Z(7 * i + 2) < ev.size() ? ev[Z(7 * i + 2)] : 0.0; };
        auto largest = [&](int32_t& at) {
            double best = 0.0;
            at = 0;
            for (int32_t i = 0; i < nn; ++i) {
                const double d = std::hypot(v(i), w(i));
                if (d > best) {
                    best = d;
                    at = i;
                }
            }
            return best;
        };
        double e, ref;
        int32_t at = 0;
        if (m.ausmitteDirekt) {
            e = m.ausmitteGlobal * 0.01;
            int32_t node = -1;
            if (m.ausmitteKnoten >= 1 && m.ausmitteKnoten <= m.nFeld + 1)
                node = FindNodeAtX(run, m.KnotenPos[Z(m.ausmitteKnoten - 1)]);
            ref = node >= 0 ? std::hypot(v(node), w(node)) : 0.0;
            at = node;
            if (ref < 1e-4) {
                FeErrorLine(run, st, kErrLineWarning,
                            "im Bezugsknoten result. Verformung = 0!\n Wird umgesetzt in max. Verformung der Eigenform!");
                ref = largest(at);
            }
        } else {
            e = m.ausmitte * 0.01;
            ref = largest(at);
        }
        if (ref < 1e-5) ref = 1.0;
        if (at < 0) at = 0;
        const FirstOrderRecord& fo = st.firstOrder;
        const double vref = v(at), wref = w(at);
        double sy, sz;
        if (std::fabs(fo.thetaL) > 1e-4) {
            sy = Sg(vref) * Sg(fo.thetaL);
            sz = Sg(wref) * Sg(fo.thetaL);
        } else {
            sy = std::fabs(fo.vL) > 1e-5 ? Sg(vref) * Sg(fo.vL) : -Sg(vref) * fo.signYM;
            sz = std::fabs(fo.wL) > 1e-5 ? Sg(wref) * Sg(fo.wL) : -Sg(wref) * fo.signZM;
        }
        for (int32_t i = 0; i < nn; ++i) {
            imp[Z(4 * i)] = sy * v(i) * e / ref;
            imp[Z(4 * i + 1)] = sz * w(i) * e / ref;
        }
    }
    // Sway angles: the slope of the initial deformation towards the next node.
    for (int32_t i = 0; i + 1 < nn; ++i) {
        const double dx = X(i + 1) - X(i);
        if (dx == 0.0) continue;
        imp[Z(4 * i + 2)] = -(imp[Z(4 * (i + 1) + 1)] - imp[Z(4 * i + 1)]) / dx;
        imp[Z(4 * i + 3)] = (imp[Z(4 * (i + 1))] - imp[Z(4 * i)]) / dx;
    }
}

Vec14 InitialDeformation(const RunState& run, const std::vector<double>& imp, int32_t e) {
    const FeModel& fe = run.cdltr.fe;
    const int32_t nn = fe.nKnoten;
    Vec14 d{};
    if (imp.size() < Z(4 * nn) || e < 0 || e + 1 >= nn) return d;
    auto x = [&](int32_t k) { return fe.KnotenX[Z(k)]; };
    // Slope of the initial deformation at node k: the derivative of the
    // parabola through the node and its neighbours (one-sided at the ends).
    auto slope = [&](int32_t k, int32_t comp) {
        auto val = [&](int32_t i) { return imp[Z(4 * i + comp)]; };
        if (nn < 2) return 0.0;
        if (k == 0) return (val(1) - val(0)) / (x(1) - x(0));
        if (k == nn - 1) return (val(k) - val(k - 1)) / (x(k) - x(k - 1));
        const double h1 = x(k) - x(k - 1), h2 = x(k + 1) - x(k);
        return (h1 * h1 * (val(k + 1) - val(k)) + h2 * h2 * (val(k) - val(k - 1))) / (h1 * h2 * (h1 + h2));
    };
    for (int32_t end = 0; end < 2; ++end) {
        const int32_t k = e + end;
        const size_t o = Z(7 * end);
        d[o + kV] = imp[Z(4 * k)];
        d[o + kW] = imp[Z(4 * k + 1)];
        d[o + kPhiZ] = slope(k, 0);   // v'
        d[o + kPhiY] = -slope(k, 1);  // -w'
    }
    return d;
}

void SwayImperfectionLoads(RunState& run, const std::vector<double>& imp, std::vector<double>& p,
                           const std::vector<double>& endForces) {
    SwayImperfectionLoads(run, State(run), imp, p, endForces);
}

void SwayImperfectionLoads(RunState& run, FeState& st, const std::vector<double>& imp, std::vector<double>& p,
                           const std::vector<double>& endForces) {
    const int32_t ne = run.cdltr.fe.nStab;
    if (imp.size() < Z(4 * (ne + 1)) || endForces.size() < Z(14 * ne)) return;
    const FeRunConstants& c = RunConstants(run, st);
    Vec14 f;
    Mat14 K, Kg;
    static const std::vector<LinePieceRecord> kNoLoads;
    for (int32_t e = 0; e < ne; ++e) {
        std::copy_n(endForces.begin() + 14 * e, 14, f.begin());
        bool any = false;
        for (double v : f) any = any || v != 0.0;
        if (!any) continue;
        const Vec14 d = InitialDeformation(run, imp, e);
        const ElementValues& ev = c.values[Z(e)];
        // Without released entries the condensation leaves Kg as it is.
        if (c.hinged[Z(e)]) CalcElementMatrices(2, ev, c.hinges[Z(e)], K, Kg, &f, false, kNoLoads, nullptr);
        else GeometricStiffness(ev, f, kNoLoads, Kg);
        for (int32_t i = 0; i < 14; ++i) {
            double s = 0;
            for (int32_t j = 0; j < 14; ++j) s += At(Kg, i, j) * d[Z(j)];
            p[Z(7 * e + i + 1)] -= s;
        }
    }
}

}  // namespace tovik::fe
