// The load-case analysis: first order (modus 0), buckling eigenvalue
// (modus 1) and second order with imperfection (modus 2).
#include <algorithm>
#include <cmath>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"
#include "platform/common/thread_count.h"
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
    if (st.points.empty()) return;
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
    CalcStresses(run, State(run), endForces, elements, modus, k, stresses);
}

void CalcStresses(RunState& run, FeState& st, const std::vector<double>& endForces, int32_t elements, int32_t modus,
                  int32_t k, std::vector<double>& stresses) {
    stresses.assign(Z(10 * elements), 0.0);
    if (!st.sections) return;
    const FeRunConstants& c = RunConstants(run, st);
    const FeMaterial& mat = c.material;
    double gammaM = mat.gammaM;
    if (modus == kSecondOrder && k >= 0 && Z(k) < run.combos.LkKat.size() && run.combos.LkKat[Z(k)] == "Ed,A")
        gammaM = mat.gammaMA;
    if (gammaM <= 0) gammaM = 1.0;
    const double fyd = mat.fy / gammaM;
    const double tauRd = fyd / 1.7320508075688772;
    const double svLimit = (mat.sigmaVLimit > 0 ? mat.sigmaVLimit : mat.fy) / gammaM;
    for (int32_t e = 0; e < elements; ++e) {
        if (Z(e) >= c.stressPoints.size()) break;
        const std::vector<FeStressPoint>& pts = c.stressPoints[Z(e)];
        if (pts.empty() || fyd <= 0) continue;
        const ElementValues& ev = c.values[Z(e)];
        for (int end = 0; end < 2; ++end) {
            const double* f = endForces.data() + 14 * e + 7 * end;
            double N = f[0], Vy = f[1], Vz = f[2], Mx = f[3] * 100, My = f[4] * 100, Mz = f[5] * 100;
            const double Mw = f[6] * 10000;
            // The unit stresses refer to the reference axes: turn shear
            // forces and moments back from the principal axes.
            if (ev.alpha != 0.0) {
                const double co = std::cos(ev.alpha), si = std::sin(ev.alpha);
                const double vy = co * Vy - si * Vz, vz = si * Vy + co * Vz;
                const double my = co * My - si * Mz, mz = si * My + co * Mz;
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

namespace {

// The stiffness of the system without geometric terms: variant 0 as the
// first-order analysis assembles it, 1 as the buckling analysis does.
void BuildSystem(const FeState& st, FeRunConstants& c, int32_t variant) {
    FeRunConstants::System& s = c.system[variant];
    const bool notBuckling = variant == 0;
    std::vector<double> K(Z(c.nwk) + 1, 0.0);
    Mat14 Ke, Kge;
    Vec14 fixedEnd{};
    static const std::vector<LinePieceRecord> kNoLoads;
    for (int32_t e = 0; e < c.ne; ++e) {
        // The stiffness does not depend on the loads; a released entry is
        // condensed out as the analyses do it.
        CalcElementMatrices(variant, c.values[Z(e)], c.hinges[Z(e)], Ke, Kge, nullptr, notBuckling, kNoLoads,
                            &fixedEnd);
        AddElementToSkyline(K, c.maxa, Ke.data(), 1.0, c.lms[Z(e)]);
    }
    s.assembled = K;
    AddSpringsToSkyline(st, K, c.maxa, c.N);
    s.withSprings = K;
    ApplySupports(K, st.lager, c.maxa, c.N);
    s.supported = K;
    s.factorError = FactorizeSkyline(K, c.maxa, c.N, false);
    s.factor = std::move(K);
    s.built = true;
}

std::shared_ptr<FeRunConstants> BuildConstants(RunState& run, const FeState& st) {
    const ModelRecord& m = run.cdltr;
    auto c = std::make_shared<FeRunConstants>();
    c->nn = m.fe.nKnoten;
    c->ne = m.fe.nStab;
    c->N = kDofPerNode * c->nn;
    std::vector<int32_t> mht(Z(c->N) + 1, 0);
    c->lms.resize(Z(std::max(0, c->ne)));
    for (int32_t e = 0; e < c->ne; ++e) {
        c->lms[Z(e)] = ElementDofNumbers(e, e + 1);
        ColumnHeights(mht, c->lms[Z(e)]);
    }
    SkylineAddresses(c->maxa, mht, c->N, c->nband, c->nwk);
    c->positions.resize(c->lms.size());
    for (size_t e = 0; e < c->lms.size(); ++e) c->positions[e] = SkylinePositions(c->maxa, c->lms[e]);
    c->values.resize(c->lms.size());
    c->hinges.resize(c->lms.size());
    c->hinged.assign(c->lms.size(), 0);
    c->elastic.resize(c->lms.size());
    for (int32_t e = 0; e < c->ne; ++e) {
        GetElementValues(run, c->values[Z(e)], c->hinges[Z(e)], e);
        for (double h : c->hinges[Z(e)]) c->hinged[Z(e)] = c->hinged[Z(e)] || h != 0.0;
        ElasticStiffness(c->values[Z(e)], true, c->elastic[Z(e)]);
        AddBeddingStiffness(c->values[Z(e)], c->elastic[Z(e)]);
    }
    c->haveSections = st.sections != nullptr;
    c->stressPoints.resize(c->lms.size());
    if (st.sections) {
        c->material = st.sections->Material();
        for (int32_t e = 0; e < c->ne; ++e) c->stressPoints[Z(e)] = st.sections->StressPoints(e);
    }
    return c;
}

FeWorkspace& Workspace(FeState& st) {
    if (!st.workspace) st.workspace = std::make_unique<FeWorkspace>();
    return *st.workspace;
}

}  // namespace

const FeRunConstants& RunConstants(RunState& run, FeState& st, int32_t variant) {
    if (!st.constants) st.constants = BuildConstants(run, st);
    if (variant >= 0 && variant <= 1 && !st.constants->system[variant].built)
        BuildSystem(st, *st.constants, variant);
    return *st.constants;
}

namespace {

int32_t Analyse(RunState& run, FeState& st, FeResults& results, int32_t modus, int32_t k) {
    if (!st.prepared) {
        FeErrorLine(run, st, kErrLineError, "Das System ist nicht aufbereitet; keine Berechnung möglich");
        return codes::kUnstable;
    }
    std::vector<FeCaseResult>& cases = modus == kFirstOrder ? results.service : results.ultimate;
    if (k < 0 || Z(k) >= cases.size()) {
        FeErrorLine(run, st, kErrLineError, winsys::FormatC("Lastkombination %d ist nicht vorhanden", k + 1));
        return codes::kUnstable;
    }
    FeCaseResult& res = cases[Z(k)];
    if (AktLast(run, st, modus == kFirstOrder ? 0 : 1, k) < 0) {
        res.computed = false;
        res.code = 0;
        return 0;
    }
    res.computed = true;
    // The stiffness without geometric terms serves the first-order pass of
    // modus 0 and 1 and the eigen solution; modus 2 assembles its own.
    const int32_t variant = modus == kFirstOrder ? 0 : modus == kBuckling ? 1 : -1;
    const FeRunConstants& c = RunConstants(run, st, variant);
    const int32_t nn = c.nn, ne = c.ne, N = c.N, nwk = c.nwk;
    const std::vector<int32_t>& maxa = c.maxa;
    FeWorkspace& ws = Workspace(st);

    static const std::vector<double> kNoImperfection;
    const std::vector<double>& imperfection = modus == kSecondOrder ? res.imperfection : kNoImperfection;

    std::vector<double>& ef = ws.ef;
    std::vector<double>& efNew = ws.efNew;
    ef.assign(Z(14 * ne), 0.0);
    efNew.assign(Z(14 * ne), 0.0);
    std::vector<double>& K = ws.K;
    std::vector<double>& G = ws.G;
    std::vector<double>& Kcopy = ws.Kcopy;
    std::vector<double>& u = ws.u;
    std::vector<double>& p = ws.p;
    std::vector<double>& pLoads = ws.pLoads;
    std::vector<double>& u0 = ws.u0;
    std::vector<double>& Ku0 = ws.Ku0;
    std::vector<double>& p0 = ws.p0;
    std::vector<LinePieceRecord>& list = ws.list;
    list.reserve(Z(kMaxLinePiecesPerElement));
    ws.Ke.resize(Z(ne));
    ws.fixedEnd.resize(Z(ne));
    Mat14 Ke, Kge;
    Vec14 hingesScratch;
    const ErrorLineFn errorLine = [&run, &st](const std::string& t) { FeErrorLine(run, st, kErrLineError, t); };
    auto fail = [&](int32_t code) {
        ZeroResults(res, nn, ne);
        res.code = code;
        if (res.failCode == 0) res.failCode = code;
        st.lastEndForces.assign(Z(14 * ne), 0.0);
        return code;
    };
    auto elementLoads = [&](int32_t e, Vec14& fixedEnd) {
        const int32_t n = ElementLoads(run, st, c.values[Z(e)], e, fixedEnd, list);
        if (n < 0) {
            FeErrorLine(run, st, kErrLineError,
                        winsys::FormatC("Zu viele Streckenlasten am Element %d (höchstens %d)", e + 1,
                                        kMaxLinePiecesPerElement));
            return false;
        }
        return true;
    };
    (void)hingesScratch;

    res.code = 0;
    for (int32_t pass = 1;; ++pass) {
        res.passes = pass;
        const bool haveEndForces = modus == kSecondOrder || (modus == kBuckling && pass >= 2);
        const bool buckling = modus == kBuckling && pass >= 2;
        const bool assemble = modus == kSecondOrder;
        Vec14 efe{};
        if (assemble) K.assign(Z(nwk) + 1, 0.0);
        if (buckling) G.assign(Z(nwk) + 1, 0.0);
        p0.assign(Z(N) + 1, 0.0);
        for (int32_t e = 0; e < ne; ++e) {
            const ElementValues& ev = c.values[Z(e)];
            Vec14& fixedEnd = ws.fixedEnd[Z(e)];
            if (!elementLoads(e, fixedEnd)) return fail(codes::kElementMatrix);
            std::copy_n(ef.begin() + 14 * e, 14, efe.begin());
            Mat14& Kpass = ws.Ke[Z(e)];
            if (c.hinged[Z(e)]) {
                CalcElementMatrices(modus, ev, c.hinges[Z(e)], Kpass, Kge, haveEndForces ? &efe : nullptr,
                                    modus != kBuckling, list, &fixedEnd, errorLine);
            } else if (modus == kSecondOrder) {
                // Elastic and bedding stiffness of the run plus the
                // geometric stiffness of this pass.
                GeometricStiffness(ev, efe, list, Kge);
                const Mat14& el = c.elastic[Z(e)];
                for (size_t i = 0; i < Kpass.size(); ++i) Kpass[i] = el[i] + Kge[i];
            } else if (buckling) {
                GeometricStiffness(ev, efe, list, Kge);
            }
            if (modus == kSecondOrder) AddPointLoadHeight(st, e, ne, Kpass);
            const LmVector& lm = c.lms[Z(e)];
            for (int32_t i = 0; i < 14; ++i) p0[Z(lm[Z(i)])] += fixedEnd[Z(i)];
            if (assemble) AddElementAt(K, c.positions[Z(e)], Kpass.data(), 1.0);
            if (buckling) AddElementAt(G, c.positions[Z(e)], Kge.data(), -1.0);
        }
        const FeRunConstants::System* sys = variant >= 0 ? &c.system[variant] : nullptr;
        if (assemble) {
            // The assembled stiffness before springs and supports, for the
            // reactions.
            Kcopy = K;
            AddSpringsToSkyline(st, K, maxa, N);
        }

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
        if (haveU0) SkylineMultiply(assemble ? K : sys->withSprings, u0, Ku0, maxa, N, nwk);

        if (assemble) ApplySupports(K, st.lager, maxa, N);

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
            std::vector<double>& out = ws.eigenOut;
            int32_t steps = 0;
            const int32_t rc = SolveEigenFactored(sys->factor, sys->supported, G, maxa, N, nwk, out, &steps, ws);
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
        if (modus == kSecondOrder) SwayImperfectionLoads(run, st, imperfection, p, ef);
        pLoads = p;
        if (haveU0)
            for (int32_t i = 1; i <= N; ++i) p[Z(i)] -= Ku0[Z(i)];

        if (assemble) {
            if (SolveSkyline(K, maxa, p, N, 1) > 0) return fail(codes::kUnstable);
        } else {
            // The factor of the run: the same matrix as every first pass.
            if (sys->factorError > 0) return fail(codes::kUnstable);
            ForwardReduce(sys->factor, maxa, p, N);
            BackSubstitute(sys->factor, maxa, p, N);
        }
        u = p;
        if (haveU0)
            for (int32_t i = 1; i <= N; ++i) u[Z(i)] += u0[Z(i)];

        // End forces: internal forces of every element, fixed-end forces
        // included, so that the geometric stiffness of the next pass sees
        // the true moments. The matrices are those of the assembly (the
        // first order takes them without the buckling analysis's
        // separation of equal principal moments).
        for (int32_t e = 0; e < ne; ++e) {
            const ElementValues& ev = c.values[Z(e)];
            const Mat14* Kuse;
            Vec14* fixedEnd = &ws.fixedEnd[Z(e)];
            if (c.hinged[Z(e)]) {
                if (!elementLoads(e, *fixedEnd)) return fail(codes::kElementMatrix);
                std::copy_n(ef.begin() + 14 * e, 14, efe.begin());
                CalcElementMatrices(modus, ev, c.hinges[Z(e)], Ke, Kge, haveEndForces ? &efe : nullptr, true, list,
                                    fixedEnd, errorLine);
                if (modus == kSecondOrder) AddPointLoadHeight(st, e, ne, Ke);
                Kuse = &Ke;
            } else {
                Kuse = modus == kSecondOrder ? &ws.Ke[Z(e)] : &c.elastic[Z(e)];
            }
            const LmVector& lm = c.lms[Z(e)];
            double ue[14];
            for (int32_t j = 0; j < 14; ++j) ue[j] = u[Z(lm[Z(j)])];
            for (int32_t i = 0; i < 14; ++i) {
                double s = 0;
                for (int32_t j = 0; j < 14; ++j) s += At(*Kuse, i, j) * ue[j];
                s -= (*fixedEnd)[Z(i)];
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
                const size_t cc = Z(i % 7);
                scale[cc] = std::max({scale[cc], std::fabs(efNew[Z(i)]), std::fabs(ef[Z(i)])});
            }
            const double forces = std::max({scale[0], scale[1], scale[2]});
            const double moments = std::max({scale[3], scale[4], scale[5]});
            std::array<double, 7> ref{};
            for (size_t cc = 0; cc < 7; ++cc) {
                const double group = cc < 3 ? forces : cc < 6 ? moments : 0.0;
                ref[cc] = std::max({scale[cc], 1e-4 * group, 1e-6});
            }
            const double tol = st.convergenceThreshold / 100.0;
            for (int32_t i = 0; i < 14 * ne && settled; ++i) {
                if (std::fabs(efNew[Z(i)] - ef[Z(i)]) > tol * ref[Z(i % 7)]) settled = false;
            }
        }
        ef.swap(efNew);
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
    std::vector<double>& r = ws.r;
    SkylineMultiply(modus == kSecondOrder ? Kcopy : c.system[0].assembled, u, r, maxa, N, nwk);
    res.reactions.assign(Z(N), 0.0);
    for (int32_t i = 1; i <= N; ++i) res.reactions[Z(i - 1)] = r[Z(i)] - pLoads[Z(i)];
    CalcStresses(run, st, res.endForces, ne, modus, k, res.stresses);
    res.code = 0;
    return 0;
}

}  // namespace

int32_t RechneDltr3D(RunState& run, int32_t modus, int32_t k) {
    FeState& st = State(run);
    return Analyse(run, st, st.results, modus, k);
}

namespace {

// A state of its own for a worker: the placed lists (whose factors each
// combination sets), the support vector and the settings of the run's
// state, its run constants shared, its own work space and first-order
// record.
std::unique_ptr<FeState> WorkerState(const FeState& st) {
    auto w = std::make_unique<FeState>();
    w->sections = st.sections;
    w->beddings = st.beddings;
    w->springs = st.springs;
    w->points = st.points;
    w->moments = st.moments;
    w->lines = st.lines;
    w->temps = st.temps;
    w->zwang = st.zwang;
    w->linesOfElement = st.linesOfElement;
    w->tempsOfElement = st.tempsOfElement;
    w->beddingsOfElement = st.beddingsOfElement;
    w->lager = st.lager;
    w->prepared = st.prepared;
    w->firstOrder = st.firstOrder;
    w->iterationCount = st.iterationCount;
    w->convergenceThreshold = st.convergenceThreshold;
    w->threads = 1;
    w->constants = st.constants;
    return w;
}

// The three steps of ultimate combination k on the state w, its lines
// collected per step.
void UltimateCombination(RunState& run, FeState& w, FeResults& results, int32_t k, UltimateOutcome& out) {
    w.deferred = &out.bucklingLines;
    out.bucklingCode = Analyse(run, w, results, kBuckling, k);
    w.deferred = &out.imperfectionLines;
    SetImperfection(run, w, results, k);
    w.deferred = &out.secondOrderLines;
    out.secondOrderCode = Analyse(run, w, results, kSecondOrder, k);
    w.deferred = nullptr;
}

// The first-order analysis of serviceability combination k on the state w,
// its lines collected.
void ServiceCombination(RunState& run, FeState& w, FeResults& results, int32_t k, ServiceOutcome& out) {
    w.deferred = &out.lines;
    out.code = Analyse(run, w, results, kFirstOrder, k);
    w.deferred = nullptr;
}

int32_t WorkerCount(const FeState& st, int32_t threads, int32_t n) {
    return threads > 1 ? std::min(threads, n) : threads == 1 ? 1 : platform_common::ThreadCount(st.threads, n);
}

// Runs compute(w, j) for the jobs j = 0 .. n - 1 on `workers` threads (at
// least 2), each thread with its own copy w of the run's state st, taking
// the jobs in the order of j, and calls handOn(j) on the calling thread in
// the order of j, each as soon as its job and all before it are finished. A
// false from handOn leaves the jobs not yet started undone. afterEach(w, j)
// runs on the worker under the pool's lock once job j is finished. An
// exception of a worker stops the others and is thrown again here.
template <class Compute, class AfterEach, class HandOn>
void RunOnWorkers(const FeState& st, int32_t n, int32_t workers, const Compute& compute, const AfterEach& afterEach,
                  const HandOn& handOn) {
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<char> finished(Z(n), 0);
    std::atomic<int32_t> next{0};
    std::atomic<bool> cancel{false};
    std::exception_ptr failure;
    // The workers' states are copied before any worker runs: a worker may
    // write into the run's state (afterEach).
    std::vector<std::unique_ptr<FeState>> states;
    for (int32_t i = 0; i < workers; ++i) states.push_back(WorkerState(st));
    auto work = [&](FeState* w) {
        try {
            for (;;) {
                const int32_t j = next.fetch_add(1);
                if (j >= n || cancel.load()) break;
                compute(*w, j);
                std::lock_guard<std::mutex> lock(mutex);
                afterEach(*w, j);
                finished[Z(j)] = 1;
                ready.notify_all();
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex);
            if (!failure) failure = std::current_exception();
            cancel.store(true);
            ready.notify_all();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(Z(workers));
    for (int32_t i = 0; i < workers; ++i) pool.emplace_back(work, states[Z(i)].get());
    for (int32_t j = 0; j < n; ++j) {
        std::unique_lock<std::mutex> lock(mutex);
        ready.wait(lock, [&] { return finished[Z(j)] != 0 || cancel.load(); });
        if (!finished[Z(j)]) break;
        lock.unlock();
        if (!handOn(j)) {
            cancel.store(true);
            break;
        }
    }
    for (std::thread& th : pool) th.join();
    if (failure) std::rethrow_exception(failure);
}

// Leaves the run's state as the first-order analyses one after the other
// up to serviceability combination `handed` (0-based; -1 none) leave it:
// the load factors of the last combination analysed, and the end forces of
// the last one that had loads (which its result holds, zero when it failed).
void FinishServiceCombinations(RunState& run, FeState& st, int32_t handed) {
    const int32_t last = std::min(handed, static_cast<int32_t>(st.results.service.size()) - 1);
    if (!st.prepared || last < 0) return;
    AktLast(run, st, 0, last);
    for (int32_t k = last; k >= 0; --k) {
        const FeCaseResult& res = st.results.service[Z(k)];
        if (res.computed) {
            st.lastEndForces = res.endForces;
            break;
        }
    }
}

}  // namespace

int32_t UltimateThreadCount(const FeState& st, int32_t n) { return platform_common::ThreadCount(st.threads, n); }

void RunUltimateCombinations(RunState& run, int32_t threads, const UltimateDone& done) {
    FeState& st = State(run);
    const int32_t n = run.cdltr.nKnickLk;
    if (n <= 0) return;
    // The shared constants are complete before any worker reads them.
    if (st.prepared) RunConstants(run, st, 1);
    const int32_t workers = WorkerCount(st, threads, n);

    std::vector<UltimateOutcome> outcomes(Z(n));
    auto finishLast = [&](const FeState& w) {
        st.firstOrder = w.firstOrder;
        st.lastEndForces = w.lastEndForces;
    };
    if (workers <= 1) {
        std::unique_ptr<FeState> w = WorkerState(st);
        for (int32_t k = 0; k < n; ++k) {
            UltimateCombination(run, *w, st.results, k, outcomes[Z(k)]);
            if (k == n - 1) finishLast(*w);
            const bool more = done(k, outcomes[Z(k)]);
            outcomes[Z(k)] = UltimateOutcome{};
            if (!more) break;
        }
        return;
    }
    RunOnWorkers(
        st, n, workers, [&](FeState& w, int32_t k) { UltimateCombination(run, w, st.results, k, outcomes[Z(k)]); },
        [&](const FeState& w, int32_t k) {
            if (k == n - 1) finishLast(w);
        },
        [&](int32_t k) {
            const bool more = done(k, outcomes[Z(k)]);
            outcomes[Z(k)] = UltimateOutcome{};
            return more;
        });
}

void RunCombinations(RunState& run, int32_t threads, const ServiceDone& service, const std::function<bool()>& between,
                     const UltimateDone& ultimate) {
    FeState& st = State(run);
    const int32_t ns = std::max(run.cdltr.nRegelLk, 0);
    const int32_t nu = std::max(run.cdltr.nKnickLk, 0);
    const int32_t workers = WorkerCount(st, threads, ns + nu);
    if (workers <= 1 || ns + nu <= 1) {
        // One after the other: the first-order analyses on the run's own
        // state, as single analyses, then the ultimate combinations.
        ServiceOutcome o;
        for (int32_t k = 0; k < ns; ++k) {
            ServiceCombination(run, st, st.results, k, o);
            const bool more = service(k, o);
            o = ServiceOutcome{};
            if (!more) return;
        }
        if (!between()) return;
        RunUltimateCombinations(run, 1, ultimate);
        return;
    }
    if (ns == 0 && !between()) return;
    // Every first-order analysis solves with the one factored stiffness of
    // the run, every buckling analysis with its own: both are complete
    // before any worker reads them.
    if (st.prepared) {
        if (ns > 0) RunConstants(run, st, 0);
        if (nu > 0) RunConstants(run, st, 1);
    }
    // Jobs 0 .. ns - 1 are the serviceability combinations, ns .. ns + nu - 1
    // the ultimate ones: a worker takes the next job of either kind, the
    // calling thread hands the serviceability outcomes on first.
    std::vector<ServiceOutcome> serviceOut(Z(ns));
    std::vector<UltimateOutcome> ultimateOut(Z(nu));
    // The last ultimate combination's first-order record and end forces,
    // for the run's state once the workers are done.
    bool lastUltimateDone = false, ultimatesHandedOn = ns == 0;
    FirstOrderRecord lastFirstOrder;
    std::vector<double> lastEndForces;
    RunOnWorkers(
        st, ns + nu, workers,
        [&](FeState& w, int32_t j) {
            if (j < ns) ServiceCombination(run, w, st.results, j, serviceOut[Z(j)]);
            else UltimateCombination(run, w, st.results, j - ns, ultimateOut[Z(j - ns)]);
        },
        [&](const FeState& w, int32_t j) {
            if (j != ns + nu - 1 || j < ns) return;
            lastUltimateDone = true;
            lastFirstOrder = w.firstOrder;
            lastEndForces = w.lastEndForces;
        },
        [&](int32_t j) {
            if (j < ns) {
                const bool more = service(j, serviceOut[Z(j)]);
                serviceOut[Z(j)] = ServiceOutcome{};
                if (!more || j == ns - 1) FinishServiceCombinations(run, st, j);
                if (!more) return false;
                if (j == ns - 1) {
                    if (!between()) return false;
                    ultimatesHandedOn = true;
                }
                return true;
            }
            const bool more = ultimate(j - ns, ultimateOut[Z(j - ns)]);
            ultimateOut[Z(j - ns)] = UltimateOutcome{};
            return more;
        });
    if (ultimatesHandedOn && lastUltimateDone) {
        st.firstOrder = lastFirstOrder;
        st.lastEndForces = std::move(lastEndForces);
    }
}

}  // namespace tovik::fe
