// The load-case analysis: first order (modus 0), buckling eigenvalue
// (modus 1) and second order with imperfection (modus 2).
#include <algorithm>
#include <cmath>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"
#include "platform/winsys/winsys.h"

namespace tovik::fe {

namespace {

// Element that takes the load-height term of a point load at node k: the
// first element that has the node as its start or end.
int32_t HostElement(int32_t node, int32_t ne) {
    if (node < 0 || ne < 1) return -1;
    return node >= 1 ? std::min(node - 1, ne - 1) : 0;
}

// Adds the load-height terms of the point loads hosted by element e into
// its matrix (second order).
void AddPointLoadHeight(const FeState& st, int32_t e, int32_t ne, Mat14& K) {
    for (const PlacedRecord& r : st.points) {
        const double f = r.v[0];
        if (std::fabs(f) <= 0.001 || r.where < 0) continue;
        if (HostElement(r.where, ne) != e) continue;
        const double term = (r.v[slot::kPtEy] * r.v[slot::kPtPy] + r.v[slot::kPtEz] * r.v[slot::kPtPz]) * f;
        const int32_t local = (r.where == e) ? kTheta : 7 + kTheta;
        At(K, local, local) += term;
    }
}

void AddSpringsToSkyline(const FeState& st, std::vector<double>& K, const std::vector<int32_t>& maxa,
                         int32_t N) {
    for (const PlacedRecord& r : st.springs) {
        if (r.where < 0) continue;
        const double cy = std::max(0.0, r.v[slot::kSprCy]);
        const double cz = std::max(0.0, r.v[slot::kSprCz]);
        const double ey = r.v[slot::kSprEy], ez = r.v[slot::kSprEz];
        // Spring matrix on (v, w, twist) in the reference axes ...
        double S[3][3] = {{cy, 0, -cy * ez}, {0, cz, cz * ey}, {-cy * ez, cz * ey, cy * ez * ez + cz * ey * ey}};
        // ... turned into the principal axes once: v_ref = c v - s w, w_ref = s v + c w.
        const double a = r.v[slot::kSprAlpha];
        const double c = std::cos(a), s = std::sin(a);
        const double T[3][3] = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
        double P[3][3] = {};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                double sum = 0;
                for (int p = 0; p < 3; ++p)
                    for (int q = 0; q < 3; ++q) sum += T[p][i] * S[p][q] * T[q][j];
                P[i][j] = sum;
            }
        const int32_t base = r.where * kDofPerNode;
        const int32_t eq[3] = {base + 2, base + 3, base + 4};
        for (int i = 0; i < 3; ++i)
            for (int j = i; j < 3; ++j) {
                if (eq[i] < 1 || eq[j] > N) continue;
                const int32_t col = std::max(eq[i], eq[j]), row = std::min(eq[i], eq[j]);
                K[Z(maxa[Z(col)] + col - row)] += P[i][j];
            }
    }
}

void ZeroResults(FeCaseResult& res, int32_t nn, int32_t ne) {
    res.displacements.assign(Z(7 * nn), 0.0);
    res.reactions.assign(Z(7 * nn), 0.0);
    res.endForces.assign(Z(14 * ne), 0.0);
    res.stresses.assign(Z(10 * ne), 0.0);
}

}  // namespace

void TransformEndForces(double* f, const double* da, const double* db, int32_t modus) {
    if (modus != kSecondOrder) return;
    for (int end = 0; end < 2; ++end) {
        const double* d = end == 0 ? da : db;
        double* s = f + 7 * end;
        const double th = d[kTheta], py = d[kPhiY], pz = d[kPhiZ];
        // Rows: the deformed element axes x' = (1, phi_z, -phi_y),
        // y' = (-phi_z, 1, theta), z' = (phi_y, -theta, 1) in the member's
        // axes; a force or moment vector is projected onto them. (Applying
        // the rotation itself instead of its transpose would turn the twist
        // term of Mz' = Mz - theta My the wrong way and double it.)
        const double T[3][3] = {{1, pz, -py}, {-pz, 1 - th * th / 2, th}, {py, -th, 1 - th * th / 2}};
        for (int part = 0; part < 2; ++part) {
            double* x = s + 3 * part;
            const double x0 = x[0], x1 = x[1], x2 = x[2];
            for (int i = 0; i < 3; ++i) x[i] = T[i][0] * x0 + T[i][1] * x1 + T[i][2] * x2;
        }
    }
}

void CalcStresses(RunState& run, const std::vector<double>& endForces, int32_t elements, int32_t modus,
                  int32_t k, std::vector<double>& stresses) {
    FeState& st = State(run);
    stresses.assign(Z(10 * elements), 0.0);
    if (!st.sections) return;
    const FeMaterial mat = st.sections->Material();
    double gammaM = mat.gammaM;
    if (modus == kSecondOrder && k >= 0 && Z(k) < run.combos.LkKat.size() && run.combos.LkKat[Z(k)] == "Ed,A")
        gammaM = mat.gammaMA;
    if (gammaM <= 0) gammaM = 1.0;
    const double fyd = mat.fy / gammaM;
    const double tauRd = fyd / 1.7320508075688772;
    const double svLimit = (mat.sigmaVLimit > 0 ? mat.sigmaVLimit : mat.fy) / gammaM;
    for (int32_t e = 0; e < elements; ++e) {
        const std::vector<FeStressPoint> pts = st.sections->StressPoints(e);
        if (pts.empty() || fyd <= 0) continue;
        ElementValues ev;
        Vec14 hinges;
        GetElementValues(run, ev, hinges, e);
        for (int end = 0; end < 2; ++end) {
            const double* f = endForces.data() + 14 * e + 7 * end;
            double N = f[0], Vy = f[1], Vz = f[2], Mx = f[3] * 100, My = f[4] * 100, Mz = f[5] * 100;
            const double Mw = f[6] * 10000;
            // The unit stresses refer to the reference axes: turn shear
            // forces and moments back from the principal axes.
            if (ev.alpha != 0.0) {
                const double c = std::cos(ev.alpha), s = std::sin(ev.alpha);
                const double vy = c * Vy - s * Vz, vz = s * Vy + c * Vz;
                const double my = c * My - s * Mz, mz = s * My + c * Mz;
                Vy = vy;
                Vz = vz;
                My = my;
                Mz = mz;
            }
            double smax = -1e300, smin = 1e300, tmax = -1e300, tmin = 1e300, svmax = 0, eta = 0;
            for (size_t ip = 0; ip < pts.size(); ++ip) {
                const FeStressPoint& p = pts[ip];
                const double sig = N * p.sN + My * p.sMy + Mz * p.sMz + Mw * p.sMw;
                const double tau = Vy * p.tVy + Mx * p.tMx + Vz * p.tVz;
                if (modus == kFirstOrder) st.sections->PointStress(e, end, static_cast<int32_t>(ip), k, sig, tau);
                const double sv = std::sqrt(sig * sig + 3 * tau * tau);
                smax = std::max(smax, sig);
                smin = std::min(smin, sig);
                tmax = std::max(tmax, tau);
                tmin = std::min(tmin, tau);
                svmax = std::max(svmax, sv);
                const double es = std::fabs(sig) / fyd, et = std::fabs(tau) / tauRd;
                eta = std::max({eta, es, et});
                if (es > mat.interaction && et > mat.interaction && svLimit > 0) eta = std::max(eta, sv / svLimit);
            }
            double* out = stresses.data() + 10 * e + 5 * end;
            out[0] = smax;
            out[1] = smin;
            out[2] = std::max(std::fabs(tmax), std::fabs(tmin));
            out[3] = svmax;
            out[4] = eta;
        }
    }
}

int32_t RechneDltr3D(RunState& run, int32_t modus, int32_t k) {
    FeState& st = State(run);
    ModelRecord& m = run.cdltr;
    if (!st.prepared) {
        FeErrorLine(run, kErrLineError, "Das System ist nicht aufbereitet; keine Berechnung möglich");
        return codes::kUnstable;
    }
    std::vector<FeCaseResult>& cases = modus == kFirstOrder ? st.results.service : st.results.ultimate;
    if (k < 0 || Z(k) >= cases.size()) {
        FeErrorLine(run, kErrLineError, winsys::FormatC("Lastkombination %d ist nicht vorhanden", k + 1));
        return codes::kUnstable;
    }
    FeCaseResult& res = cases[Z(k)];
    if (AktLast(run, modus == kFirstOrder ? 0 : 1, k) < 0) {
        res.computed = false;
        res.code = 0;
        return 0;
    }
    res.computed = true;
    const int32_t nn = m.fe.nKnoten, ne = m.fe.nStab;
    const int32_t N = kDofPerNode * nn;

    std::vector<int32_t> mht(Z(N) + 1, 0), maxa;
    std::vector<LmVector> lms(Z(ne));
    for (int32_t e = 0; e < ne; ++e) {
        lms[Z(e)] = ElementDofNumbers(e, e + 1);
        ColumnHeights(mht, lms[Z(e)]);
    }
    int32_t nband = 0, nwk = 0;
    SkylineAddresses(maxa, mht, N, nband, nwk);

    static const std::vector<double> kNoImperfection;
    const std::vector<double>& imperfection = modus == kSecondOrder ? res.imperfection : kNoImperfection;

    std::vector<double> ef(Z(14 * ne), 0.0), efNew(Z(14 * ne), 0.0);
    std::vector<double> K, G, Kcopy, u, p, pLoads, u0, tmp;
    std::vector<LinePieceRecord> list;
    list.reserve(Z(kMaxLinePiecesPerElement));
    Mat14 Ke, Kge;
    Vec14 hinges, fixedEnd;
    ElementValues ev;
    const ErrorLineFn errorLine = [&run](const std::string& t) { FeErrorLine(run, kErrLineError, t); };
    auto fail = [&](int32_t code) {
        ZeroResults(res, nn, ne);
        res.code = code;
        if (res.failCode == 0) res.failCode = code;
        st.lastEndForces.assign(Z(14 * ne), 0.0);
        return code;
    };
    auto elementLoads = [&](int32_t e) {
        const int32_t n = ElementLoads(run, ev, e, fixedEnd, list);
        if (n < 0) {
            FeErrorLine(run, kErrLineError,
                        winsys::FormatC("Zu viele Streckenlasten am Element %d (höchstens %d)", e + 1,
                                        kMaxLinePiecesPerElement));
            return false;
        }
        return true;
    };

    res.code = 0;
    for (int32_t pass = 1;; ++pass) {
        res.passes = pass;
        const bool haveEndForces = modus == kSecondOrder || (modus == kBuckling && pass >= 2);
        const bool buckling = modus == kBuckling && pass >= 2;
        Vec14 efe{};
        K.assign(Z(nwk) + 1, 0.0);
        if (buckling) G.assign(Z(nwk) + 1, 0.0);
        std::vector<double> p0(Z(N) + 1, 0.0);
        for (int32_t e = 0; e < ne; ++e) {
            GetElementValues(run, ev, hinges, e);
            if (!elementLoads(e)) return fail(codes::kElementMatrix);
            std::copy_n(ef.begin() + 14 * e, 14, efe.begin());
            CalcElementMatrices(modus, ev, hinges, Ke, Kge, haveEndForces ? &efe : nullptr, modus != kBuckling, list,
                                &fixedEnd, errorLine);
            if (modus == kSecondOrder) AddPointLoadHeight(st, e, ne, Ke);
            const LmVector& lm = lms[Z(e)];
            for (int32_t i = 0; i < 14; ++i) p0[Z(lm[Z(i)])] += fixedEnd[Z(i)];
            AddElementToSkyline(K, maxa, PackUpperTriangle(Ke.data(), 14), lm);
            if (buckling) {
                Mat14 neg;
                for (size_t i = 0; i < neg.size(); ++i) neg[i] = -Kge[i];
                AddElementToSkyline(G, maxa, PackUpperTriangle(neg.data(), 14), lm);
            }
        }
        // The assembled stiffness before springs and supports, for the
        // reactions.
        Kcopy = K;
        AddSpringsToSkyline(st, K, maxa, N);

        // Prescribed displacements.
        u0.assign(Z(N) + 1, 0.0);
        bool haveU0 = false;
        for (const PlacedRecord& r : st.zwang) {
            if (std::fabs(r.v[0]) <= 0.001 || r.where < 0) continue;
            for (int32_t j = 0; j < 6; ++j) {
                const double val = r.v[0] * r.v[Z(slot::kZw + j)];
                if (val == 0.0) continue;
                u0[Z(r.where * kDofPerNode + j + 1)] += val;
                haveU0 = true;
            }
        }
        std::vector<double> Ku0;
        if (haveU0) SkylineMultiply(K, u0, Ku0, maxa, N, nwk);

        ApplySupports(K, st.lager, maxa, N);

        if (buckling) {
            // Load height of point loads: a load above the shear centre
            // destabilises.
            for (const PlacedRecord& r : st.points) {
                const double f = r.v[0];
                if (std::fabs(f) <= 0.001 || r.where < 0) continue;
                const double term = (r.v[slot::kPtEy] * r.v[slot::kPtPy] + r.v[slot::kPtEz] * r.v[slot::kPtPz]) * f;
                const int32_t eq = r.where * kDofPerNode + kTheta + 1;
                G[Z(maxa[Z(eq)])] -= term;
            }
            ApplySupports(G, st.lager, maxa, -N);
            std::vector<double> out;
            int32_t steps = 0;
            const int32_t rc = SolveEigen(K, G, maxa, N, nwk, out, &steps);
            res.eigenSteps = steps;
            res.eigenVectors.assign(Z(2 * 7 * nn), 0.0);
            res.eigenValues.fill(0.0);
            res.eigenFound = false;
            if (rc != 0) return fail(codes::kNoEigenform);
            res.eigenFound = true;
            for (int32_t sl = 0; sl < 2; ++sl) {
                double* vec = out.data() + Z(sl) * Z(N);
                const int32_t iv = FindExtreme(vec + kV, 7, nn, 0);
                const int32_t iw = FindExtreme(vec + kW, 7, nn, 0);
                const int32_t it = FindExtreme(vec + kTheta, 7, nn, 0);
                double mx = std::max({std::fabs(vec[kV + iv]), std::fabs(vec[kW + iw]), std::fabs(vec[kTheta + it])});
                if (mx < 1e-10) mx = 1.0;
                for (int32_t i = 0; i < N; ++i) vec[i] /= mx;
                res.eigenValues[Z(3 * sl)] = out[Z(2 * N + sl)];
                res.eigenValues[Z(3 * sl + 1)] = vec[kV + iv];
                res.eigenValues[Z(3 * sl + 2)] = vec[kW + iw];
                std::copy(vec, vec + N, res.eigenVectors.begin() + Z(sl) * Z(N));
            }
            return 0;
        }

        // Load vector.
        p.assign(Z(N) + 1, 0.0);
        for (const PlacedRecord& r : st.points) {
            const double f = r.v[0];
            if (std::fabs(f) <= 0.001 || r.where < 0) continue;
            const int32_t b = r.where * kDofPerNode;
            const double Fx = r.v[slot::kPtPx], Fy = r.v[slot::kPtPy], Fz = r.v[slot::kPtPz];
            p[Z(b + 1)] += Fx * f;
            p[Z(b + 2)] += Fy * f;
            p[Z(b + 3)] += Fz * f;
            p[Z(b + 4)] += (r.v[slot::kPtEy] * Fz - r.v[slot::kPtEz] * Fy) * f;
            p[Z(b + 5)] += r.v[slot::kPtEzc] * Fx * f;
            p[Z(b + 6)] += -r.v[slot::kPtEyc] * Fx * f;
        }
        for (const PlacedRecord& r : st.moments) {
            const double f = r.v[0];
            if (std::fabs(f) <= 0.001 || r.where < 0) continue;
            const int32_t b = r.where * kDofPerNode;
            p[Z(b + 4)] += r.v[slot::kMomMx] * f;
            p[Z(b + 5)] += r.v[slot::kMomMy] * f;
            p[Z(b + 6)] += r.v[slot::kMomMz] * f;
        }
        for (int32_t i = 1; i <= N; ++i) p[Z(i)] += p0[Z(i)];
        if (modus == kSecondOrder) SwayImperfectionLoads(run, imperfection, p, ef);
        pLoads = p;
        if (haveU0)
            for (int32_t i = 1; i <= N; ++i) p[Z(i)] -= Ku0[Z(i)];

        if (SolveSkyline(K, maxa, p, N, 1) > 0) return fail(codes::kUnstable);
        u = p;
        if (haveU0)
            for (int32_t i = 1; i <= N; ++i) u[Z(i)] += u0[Z(i)];

        // End forces: internal forces of every element, fixed-end forces
        // included, so that the geometric stiffness of the next pass sees
        // the true moments.
        for (int32_t e = 0; e < ne; ++e) {
            GetElementValues(run, ev, hinges, e);
            if (!elementLoads(e)) return fail(codes::kElementMatrix);
            std::copy_n(ef.begin() + 14 * e, 14, efe.begin());
            CalcElementMatrices(modus, ev, hinges, Ke, Kge, haveEndForces ? &efe : nullptr, true, list,
                                &fixedEnd, errorLine);
            if (modus == kSecondOrder) AddPointLoadHeight(st, e, ne, Ke);
            const LmVector& lm = lms[Z(e)];
            for (int32_t i = 0; i < 14; ++i) {
                double s = 0;
                for (int32_t j = 0; j < 14; ++j) s += At(Ke, i, j) * u[Z(lm[Z(j)])];
                s -= fixedEnd[Z(i)];
                efNew[Z(14 * e + i)] = i < 7 ? -s : s;
            }
            if (modus == kBuckling && e == ne - 1) {
                st.firstOrder.signYM = ev.yM >= 0 ? 1.0 : -1.0;
                st.firstOrder.signZM = ev.zM >= 0 ? 1.0 : -1.0;
            }
        }

        bool settled = true;
        if (modus == kSecondOrder) {
            // Each component against the largest magnitude of its kind over
            // the member. A kind that is zero in theory (the lateral shear
            // of a plane load case) carries only round-off, which grows
            // with the number of elements: its reference is at least a
            // small share of the largest value of its group (forces N, Vy,
            // Vz; moments Mx, My, Mz), and never below an absolute floor.
            std::array<double, 7> scale{};
            for (int32_t i = 0; i < 14 * ne; ++i) {
                const size_t c = Z(i % 7);
                scale[c] = std::max({scale[c], std::fabs(efNew[Z(i)]), std::fabs(ef[Z(i)])});
            }
            const double forces = std::max({scale[0], scale[1], scale[2]});
            const double moments = std::max({scale[3], scale[4], scale[5]});
            std::array<double, 7> ref{};
            for (size_t c = 0; c < 7; ++c) {
                const double group = c < 3 ? forces : c < 6 ? moments : 0.0;
                ref[c] = std::max({scale[c], 1e-4 * group, 1e-6});
            }
            const double tol = st.convergenceThreshold / 100.0;
            for (int32_t i = 0; i < 14 * ne && settled; ++i) {
                if (std::fabs(efNew[Z(i)] - ef[Z(i)]) > tol * ref[Z(i % 7)]) settled = false;
            }
        }
        ef = efNew;
        if (pass < 4) settled = false;

        if (modus == kFirstOrder) break;
        if (modus == kBuckling) {
            // First-order record for the imperfection, then the eigen pass.
            const int32_t iv = FindExtreme(u.data() + 1 + kV, 7, nn, 0);
            const int32_t iw = FindExtreme(u.data() + 1 + kW, 7, nn, 0);
            const int32_t it = FindExtreme(u.data() + 1 + kTheta, 7, nn, 0);
            st.firstOrder.vL = u[Z(1 + kV + iv)];
            st.firstOrder.wL = u[Z(1 + kW + iw)];
            st.firstOrder.thetaL = u[Z(1 + kTheta + it)];
            continue;
        }
        if (settled) break;
        if (pass >= 3 * st.iterationCount) return fail(codes::kNoConvergence);
    }

    // Final steps.
    res.displacements.assign(u.begin() + 1, u.end());
    if (modus == kSecondOrder)
        for (int32_t e = 0; e < ne; ++e)
            TransformEndForces(ef.data() + 14 * e, u.data() + 1 + 7 * e, u.data() + 1 + 7 * (e + 1), modus);
    res.endForces = ef;
    st.lastEndForces = ef;
    std::vector<double> r;
    SkylineMultiply(Kcopy, u, r, maxa, N, nwk);
    res.reactions.assign(Z(N), 0.0);
    for (int32_t i = 1; i <= N; ++i) res.reactions[Z(i - 1)] = r[Z(i)] - pLoads[Z(i)];
    CalcStresses(run, res.endForces, ne, modus, k, res.stresses);
    res.code = 0;
    return 0;
}

}  // namespace tovik::fe
