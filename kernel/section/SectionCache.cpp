// Profiles per element end, their section values, stress points and unit
// stresses.
#include "kernel/KernelUtil.h"
#include "kernel/section/SectionCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <set>

#include "kernel/KernelErrors.h"
#include "kernel/fe/FeSolver.h"
#include "platform/ferrum/rail_composite.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace tovik::section {

namespace {
constexpr double kG3u[3] = {0.5 - 0.3872983346207417, 0.5, 0.5 + 0.3872983346207417};
constexpr double kG3w[3] = {5.0 / 18.0, 8.0 / 18.0, 5.0 / 18.0};

// Interval count of the stress points along a wall element.
constexpr int32_t kIntervals = 5;
}  // namespace

SectionCache& Sections(RunState& run) {
    SectionCache& c = run.Cache<SectionCache>();
    c.Bind(run);
    return c;
}

std::string MakeProfileKey(const std::string& a, const std::string& b, double t, double phi, int32_t m) {
    if (winsys::EqualsNoCase(a, b)) return winsys::FormatC("%s_%.2lf_%ld", a.c_str(), phi, static_cast<long>(m));
    return winsys::FormatC("%s_%s_%.2lf_%.3lf_%ld", a.c_str(), b.c_str(), t, phi, static_cast<long>(m));
}

SectionCache::~SectionCache() {
    std::set<int32_t> handles;
    for (const auto& [key, h] : profiles_) handles.insert(h);
    for (int32_t h : scratch_) handles.insert(h);
    for (int32_t h : handles)
        if (h > 0) SEKT_PRO_Delete(h);
}

int32_t SectionCache::FindProfile(int32_t& out, const std::string& a, const std::string& b, double t, double phi,
                                  int32_t m) const {
    auto it = profiles_.find(MakeProfileKey(a, b, t, phi, m));
    if (it == profiles_.end()) {
        out = -1;
        return 0;
    }
    out = it->second;
    return 1;
}

void SectionCache::RegisterProfile(int32_t handle, const std::string& a, const std::string& b, double t, double phi,
                                   int32_t m) {
    profiles_.emplace(MakeProfileKey(a, b, t, phi, m), handle);
}

int32_t SectionCache::Load(int32_t db, const std::string& name) {
    const int32_t h = SEKT_PRO_Create();
    if (h < 0) return -1;
    if (db < 0 || SEKT_DB_GetProject(db, ("\\" + name).c_str(), h) < 0 || SEKT_PRO_GetnWLine(h) <= 0) {
        SEKT_PRO_Delete(h);
        return -1;
    }
    return h;
}

// A new profile of the lines of a and b interpolated at t, mirrored (1: z
// negated, 2: y negated) and turned by phi degrees. Lines whose types differ
// are left out. a and b are kept.
int32_t SectionCache::Interpolate(int32_t a, int32_t b, double t, double phi, int32_t m, bool copyGroups) {
    const double rad = std::numbers::pi * phi / 180.0;
    const double s = std::sin(rad), c = std::cos(rad);
    const int32_t r = SEKT_PRO_Create();
    if (r < 0) return -1;
    SEKT_PRO_Init(r, 0);
    const int32_t n = SEKT_PRO_GetnWLine(a);
    for (int32_t i = 0; i < n; ++i) {
        SektWLine la{}, lb{};
        SektWLineGroup g{};
        SektWLineParam p{};
        SEKT_PRO_GetWLine(a, i, &la);
        SEKT_PRO_GetWLineGroup(a, i, &g);
        SEKT_PRO_GetWLineParam(a, i, &p);
        SEKT_PRO_GetWLine(b, i, &lb);
        if (la.type != lb.type) continue;
        SektWLine w = la;
        w.ya = la.ya + t * (lb.ya - la.ya);
        w.za = la.za + t * (lb.za - la.za);
        w.ye = la.ye + t * (lb.ye - la.ye);
        w.ze = la.ze + t * (lb.ze - la.ze);
        w.ta = la.ta + t * (lb.ta - la.ta);
        w.te = la.te + t * (lb.te - la.te);
        if (m == 1) {
            w.za = -w.za;
            w.ze = -w.ze;
        } else if (m == 2) {
            w.ya = -w.ya;
            w.ye = -w.ye;
        }
        const double ya = w.ya * c - w.za * s, za = w.ya * s + w.za * c;
        const double ye = w.ye * c - w.ze * s, ze = w.ye * s + w.ze * c;
        w.ya = ya;
        w.za = za;
        w.ye = ye;
        w.ze = ze;
        const int32_t k = SEKT_PRO_AddWLine(r, w);
        if (copyGroups && k >= 0) {
            SEKT_PRO_SetWLineGroup(r, k, k, &g);
            SEKT_PRO_SetWLineParam(r, k, &p);
        }
    }
    return r;
}

int32_t SectionCache::GetOrCreateProfile(int32_t db, const std::string& a, const std::string& b, double t,
                                         double phi, int32_t m, int32_t& out) {
    out = -1;
    int32_t found = -1;
    if (FindProfile(found, a, b, t, phi, m)) {
        out = found;
        return 0;
    }
    const bool prismatic = winsys::EqualsNoCase(a, b);
    const int32_t pa = Load(db, a);
    if (pa < 0) return -2;
    int32_t pb = pa;
    if (!prismatic) {
        pb = Load(db, b);
        if (pb < 0) {
            SEKT_PRO_Delete(pa);
            return -2;
        }
        // Sections that do not match: the start section alone.
        if (SEKT_PRO_GetnWLine(pa) != SEKT_PRO_GetnWLine(pb)) {
            SEKT_PRO_Delete(pb);
            pb = pa;
        }
    }
    // The profile stands for its key, whose t has two decimals.
    const double tKey = std::round(t * 100.0) / 100.0;
    const int32_t r = Interpolate(pa, pb, pb == pa ? 0.0 : tKey, phi, m, true);
    if (pb != pa) SEKT_PRO_Delete(pb);
    SEKT_PRO_Delete(pa);
    if (r < 0) return -2;
    if (SEKT_PRO_Calculate(r) > 0) {
        SektGqs g{};
        SEKT_PRO_GetResultGqs(r, &g);
        SEKT_PRO_Move(r, -g.y0, -g.z0);
        SEKT_PRO_Calculate(r);
    }
    out = r;
    RegisterProfile(r, a, b, t, phi, m);
    return 0;
}

int32_t SectionCache::SectionNumberAt(int32_t b, double x) const {
    const ModelRecord& m = run_->cdltr;
    const double L = m.GesamtLaenge;
    double X = x + m.BoundaryX(b);
    if (X >= L) X = L - 0.001;
    for (int32_t i = 0; i < m.nFeld && i < limits::kMaxFields; ++i)
        if (m.KnotenPos[Z(i)] <= X && X <= m.KnotenPos[Z(i + 1)]) return m.Feld_QsA[Z(i)];
    return 1;
}

int32_t SectionCache::GetSectionAtX(int32_t b, double x) {
    ModelRecord& m = run_->cdltr;
    const double L = m.GesamtLaenge;
    double X = x + m.BoundaryX(b);
    if (X >= L) X = L - 0.001;
    int32_t qa = 1, qb = 1;
    double s = 0, e = L;
    bool found = false;
    for (int32_t i = 0; i < m.nFeld && i < limits::kMaxFields; ++i) {
        if (m.KnotenPos[Z(i)] <= X && X <= m.KnotenPos[Z(i + 1)]) {
            qa = m.Feld_QsA[Z(i)];
            qb = m.Feld_QsE[Z(i)];
            s = m.KnotenPos[Z(i)];
            e = m.KnotenPos[Z(i + 1)];
            found = true;
            break;
        }
    }
    if (!found) X = L;
    const int32_t ia = m.SectionIndex(qa), ib = m.SectionIndex(qb);
    if (ia < 0 || ib < 0) {
        WriteErrLine(*run_, kErrLineError, winsys::FormatC("Querschnittsnummer %d ist nicht definiert", ia < 0 ? qa : qb));
        return -1;
    }
    const double t = e > s ? (X - s) / (e - s) : 0.0;
    const double phi = m.Qs_Dreh[Z(ia)];
    const int32_t mirror = m.Qs_Spiegel[Z(ia)];
    int32_t h = -1;
    const int32_t rc = GetOrCreateProfile(m.m_IndDBS, m.Qs_Name[Z(ia)], m.Qs_Name[Z(ib)], t, phi, mirror, h);
    if (rc != 0 || h < 0) {
        const std::string key = "missing:" + m.Qs_Name[Z(ia)] + "|" + m.Qs_Name[Z(ib)];
        if (!profiles_.count(key)) {
            profiles_.emplace(key, -1);
            WriteErrLine(*run_, kErrLineError,
                         m.m_IndDBS < 0 ? "Die Querschnittsdatei '" + m.QsDatei + "' ist nicht geöffnet; Querschnitt '" +
                                              m.Qs_Name[Z(ia)] + "' fehlt"
                         : winsys::EqualsNoCase(m.Qs_Name[Z(ia)], m.Qs_Name[Z(ib)])
                             ? "Querschnitt '" + m.Qs_Name[Z(ia)] + "' ist in der Querschnittsdatei nicht vorhanden"
                             : "Querschnitte '" + m.Qs_Name[Z(ia)] + "' und '" + m.Qs_Name[Z(ib)] +
                                   "' sind in der Querschnittsdatei nicht vorhanden");
        }
        return -1;
    }
    return h;
}

// ---- values of a profile ------------------------------------------------------

namespace {

// Positions along an element: 0 and 1, the user positions, then evenly
// filled (n positions in all).
std::vector<double> PositionList(const std::vector<double>& user, int32_t n) {
    std::vector<double> list{0.0, 1.0};
    for (double p : user) {
        if (p > list.back() + 0.0001) {
            list.push_back(p);
            continue;
        }
        bool near = false;
        for (double q : list) near = near || std::fabs(q - p) < 0.0001;
        if (near) continue;
        list.insert(std::upper_bound(list.begin(), list.end(), p), p);
    }
    if (user.empty()) {
        for (int32_t k = n - 2; k >= 1; --k) list.insert(list.begin() + 1, static_cast<double>(k) / (n - 1));
        return list;
    }
    while (static_cast<int32_t>(list.size()) < n) {
        size_t best = 0;
        for (size_t i = 1; i + 1 < list.size(); ++i)
            if (list[i + 1] - list[i] > list[best + 1] - list[best]) best = i;
        list.insert(list.begin() + static_cast<long>(best) + 1, 0.5 * (list[best] + list[best + 1]));
    }
    std::vector<size_t> freeIdx;
    for (size_t i = 1; i + 1 < list.size(); ++i) {
        bool isUser = false;
        for (double p : user) isUser = isUser || std::fabs(list[i] - p) < 0.0001;
        if (!isUser) freeIdx.push_back(i);
    }
    for (size_t sweep = 0; sweep < freeIdx.size(); ++sweep)
        for (size_t i : freeIdx) list[i] = list[i - 1] + list[i + 1] - list[i];
    return list;
}

}  // namespace

void SectionCache::Compute(int32_t handle, ProfileValues& v) {
    v = ProfileValues{};
    if (handle < 0 || SEKT_PRO_GetType(handle) != 0) return;
    const int32_t nT = SEKT_PRO_GetnTqs(handle);
    if (nT < 1) return;
    const ReaderValues& rv = run_->reader;
    const bool rail = rv.bVadu == 1 && rv.bVaduTyp == 0 && rv.Schiene_Typ > 0 && rv.Schiene_Rechnen != 0;

    SektTqs last{};
    for (int32_t i = 0; i < nT; ++i) {
        SektTqs T{};
        if (SEKT_PRO_GetResultTqs(handle, i, &T) != 0) continue;
        double dy = 0, dz = 0;
        if (rail) {
            // Rail on top of the girder: composite values about the common
            // centroid, with the helper that the module's rail values use;
            // the rail centroid lies e1 above the top face.
            ferrum::SectionPart g;
            g.A = T.A;
            g.y0 = T.y0;
            g.z0 = T.z0;
            g.Iyy = T.Ayy;
            g.Izz = T.Azz;
            g.Iyz = T.Ayz;
            const ferrum::SectionPart r =
                ferrum::RailPart(rv.Schiene_A, rv.Schiene_Iy, rv.Schiene_Iz, rv.Schiene_e1, T.zmi);
            if (g.A + r.A > 0) {
                ferrum::AddPartToSection(g, r, &dy, &dz);
                T.A = g.A;
                T.y0 = g.y0;
                T.z0 = g.z0;
                T.Ayy = g.Iyy;
                T.Azz = g.Izz;
                T.Ayz = g.Iyz;
                T.Ito += rv.Schiene_It;  // the closed-cell part stays in Itg, counted once
            }
        }
        const double det = T.Azz * T.Ayy - T.Ayz * T.Ayz;
        const double D = det != 0 ? 1.0 / det : 0.0;
        const int32_t nE = SEKT_PRO_GetnTqe(handle, i);
        for (int32_t k = 0; k < nE; ++k) {
            SektTqe E{};
            if (SEKT_PRO_GetResultTqe(handle, i, k, &E) != 0 || E.exclude != 0) continue;
            std::vector<double> user;
            for (const UserPoint& u : rv.UserPoints)
                if (u.tqe == k && u.idx >= 0 && u.idx <= 1) user.push_back(u.idx);
            std::sort(user.begin(), user.end());
            const std::vector<double> pos = PositionList(user, kIntervals + 1);
            const double f = (E.ta < 0.05 && E.te < 0.05) ? 0.0 : 1.0;
            const double dY = E.ye - E.ya, dZ = E.ze - E.za, dW = E.we - E.wa;
            for (int32_t j = 0; j <= kIntervals; ++j) {
                const double s = Z(j) < pos.size() ? pos[Z(j)] : 0.0;
                const double ts = E.ta + (E.te - E.ta) * s;
                const double ys = E.ya + dY * s, zs = E.za + dZ * s, ws = E.wa + dW * s;
                // Static moments at s (start values plus the part along the element).
                const double a = E.L * s / 6.0;
                const double Sy = E.ya * E.fa + (2 * E.ta + ts) * E.ya * a + (2 * ts + E.ta) * ys * a + E.Sya;
                const double Sz = E.za * E.fa + (2 * E.ta + ts) * E.za * a + (2 * ts + E.ta) * zs * a + E.Sza;
                const double Sw = E.wa * E.fa + (2 * E.ta + ts) * E.wa * a + (2 * ts + E.ta) * ws * a + E.Swa;
                for (int32_t side : {0, 1, -1}) {
                    const double e = side * ts;
                    // Point relative to the (composite) centroid.
                    const double y = ys + (E.L > 0 ? e * dZ * 0.5 / E.L : 0.0) - dy;
                    const double z = zs - (E.L > 0 ? e * dY * 0.5 / E.L : 0.0) - dz;
                    double u[8] = {0, 0, 0, 0, 0, 0, 0, 0};
                    u[0] = T.A > 0 ? 1.0 / T.A : 0.0;
                    u[1] = (z * T.Azz - y * T.Ayz) * D;
                    u[2] = (z * T.Ayz - y * T.Ayy) * D;
                    if (T.Bww >= 1) u[3] = ((zs * T.ym - ys * T.zm) - ws) / T.Bww;
                    if (ts > 0) {
                        if (T.Itg != 0)
                            u[4] = E.qT / ts;
                        else if (T.Ito > 0)
                            u[4] = e / T.Ito;
                        u[5] = (Sz * T.Ayz - Sy * T.Ayy) * D / ts;
                        u[6] = (Sy * T.Ayz - Sz * T.Azz) * D / ts;
                        if (T.Bww >= 1) u[7] = ((Sz * T.ym - Sy * T.zm) - Sw) / T.Bww / ts;
                    }
                    for (double& x : u) x *= f;
                    for (int q = 0; q < 8; ++q) v.unit[q].push_back(u[q]);
                    fe::FeStressPoint p;
                    p.sN = u[0];
                    p.sMy = u[1];
                    p.sMz = u[2];
                    p.sMw = u[3];
                    p.tMx = u[4];
                    p.tVy = u[5];
                    p.tVz = u[6];
                    v.points.push_back(p);
                    v.plate.push_back(k);
                    // User points are keyed by element and position with two decimals.
                    std::vector<int32_t> served;
                    const std::string key = winsys::FormatC("<%ld><%.2lf>", static_cast<long>(k), s);
                    for (size_t ui = 0; ui < rv.UserPoints.size(); ++ui) {
                        const UserPoint& up = rv.UserPoints[ui];
                        if (up.tqe >= 0 && winsys::FormatC("<%ld><%.2lf>", static_cast<long>(up.tqe), up.idx) == key)
                            served.push_back(static_cast<int32_t>(ui));
                    }
                    v.users.push_back(std::move(served));
                    if (side == 0) {
                        v.y.push_back(y);
                        v.z.push_back(z);
                        v.ta.push_back(E.ta);
                        v.te.push_back(E.te);
                    } else {
                        // The seven unit stresses of a face point, in the order the
                        // crane superposition reads them: N, My, Mz, Mw, Mx, Vy, Vz.
                        for (int q = 0; q < 7; ++q) v.esp.push_back(u[q]);
                    }
                }
                ++v.positions;
            }
        }
        last = T;
    }

    // Wagner radii from partial section 0, in the principal axes.
    const SektTqs& T = last;
    double ry = 0, rz = 0, rw = 0;
    {
        SektTqs T0{};
        SEKT_PRO_GetResultTqs(handle, 0, &T0);
        fe::FeSectionValues tmp;
        tmp.A = T0.A;
        tmp.Ayy = T0.Ayy;
        tmp.Azz = T0.Azz;
        tmp.Ayz = T0.Ayz;
        const double alpha = fe::ToPrincipalAxes(tmp).alpha;
        const double c = std::cos(alpha), s = std::sin(alpha);
        const double Iy1 = T0.Ayy * c * c - 2 * T0.Ayz * s * c + T0.Azz * s * s;
        const double Iz1 = T0.Azz * c * c + 2 * T0.Ayz * s * c + T0.Ayy * s * s;
        const double ymr = T0.ym - T0.y0, zmr = T0.zm - T0.z0;
        const double yM1 = c * ymr + s * zmr, zM1 = c * zmr - s * ymr;
        double Sy = 0, Sz = 0, Sw = 0;
        const int32_t nE = SEKT_PRO_GetnTqe(handle, 0);
        for (int32_t k = 0; k < nE; ++k) {
            SektTqe E{};
            if (SEKT_PRO_GetResultTqe(handle, 0, k, &E) != 0 || E.exclude != 0) continue;
            for (int q = 0; q < 3; ++q) {
                const double u = kG3u[q];
                const double dA = kG3w[q] * (E.ta + (E.te - E.ta) * u) * E.L;
                const double y = E.ya + (E.ye - E.ya) * u, z = E.za + (E.ze - E.za) * u;
                const double w = E.wa + (E.we - E.wa) * u;
                const double wM = w - (z * T0.ym - y * T0.zm);
                const double yr = y - T0.y0, zr = z - T0.z0;
                const double y1 = c * yr + s * zr, z1 = c * zr - s * yr;
                const double r2 = y1 * y1 + z1 * z1;
                Sy += y1 * r2 * dA;
                Sz += z1 * r2 * dA;
                Sw += wM * r2 * dA;
            }
        }
        if (Iz1 > 0) ry = Sy / Iz1 - 2 * yM1;
        if (Iy1 > 0) rz = Sz / Iy1 - 2 * zM1;
        rw = T0.Bww > 1 ? Sw / T0.Bww : 0.0;
        if (T0.Bww < 10) rw = 0.0;
    }

    auto& q = v.qwerte;
    const double yMraw = T.ym - T.y0, zMraw = T.zm - T.z0;
    const double yM = std::fabs(yMraw) < 1e-5 ? 0.0 : yMraw;
    const double zM = std::fabs(zMraw) < 1e-5 ? 0.0 : zMraw;
    q[0] = 0;
    q[3] = T.A * 1e-4;
    q[4] = T.Ayy * 1e-8;
    q[5] = T.Azz * 1e-8;
    q[6] = (T.Ito + T.Itg) * 1e-8;
    q[7] = std::max(0.0, T.Bww) * 1e-12;  // no artificial floor: small sections keep their small Iw
    q[8] = yM * 0.01;
    q[9] = zM * 0.01;
    q[10] = T.A > 0 ? std::sqrt(std::max(0.0, T.Ayy / T.A)) * 0.01 : 0.0;
    q[11] = T.A > 0 ? std::sqrt(std::max(0.0, T.Azz / T.A)) * 0.01 : 0.0;
    q[12] = T.A > 0 ? ((T.Azz + T.Ayy) / T.A + yMraw * yMraw + zMraw * zMraw) * 1e-4 : 0.0;
    q[13] = ry * 0.01;
    q[14] = rz * 0.01;
    q[15] = rw;  // dimensionless
    q[16] = (T.yma - T.ymi) * 0.01;
    q[17] = (T.zma - T.zmi) * 0.01;
    q[18] = T.nCells;

    fe::FeSectionValues& s = v.fe;
    s.A = q[3];
    s.Ayy = q[4];
    s.Azz = q[5];
    s.Ayz = T.Ayz * 1e-8;
    s.IT = q[6];
    s.Iw = q[7];
    s.yM = q[8];
    s.zM = q[9];
    s.ip2 = q[12];
    s.ry = q[13];
    s.rz = q[14];
    s.rw = q[15];
    s.hy = q[16];
    s.hz = q[17];
    v.valid = T.A > 0;
}

const ProfileValues& SectionCache::Values(int32_t handle) {
    auto it = values_.find(handle);
    if (it != values_.end()) return it->second;
    ProfileValues& v = values_[handle];
    Compute(handle, v);
    return v;
}

void SectionCache::MaterialOf(int32_t sectionNumber, SteelRecord& rec, double& gammaM) const {
    const ModelRecord& m = run_->cdltr;
    const int32_t k = m.SectionIndex(sectionNumber);
    const int32_t idx = k >= 0 ? k : 0;
    GetSteelGradeValues(rec, m.Mat[Z(idx)], run_->reader.StahlTab);
    gammaM = m.Qs_GammaM[Z(idx)];
    if (Z(idx) < run_->materials.Size()) {
        MaterialRecord mr;
        double g1 = 0, ga = 0, ms = 0;
        if (LookupMaterialValues(*run_, idx, mr, g1, ga, ms)) {
            rec.fyk = mr.fy;
            rec.fuk = mr.fu;
            rec.fykt = mr.fyt;
            rec.E = mr.E;
            rec.G = mr.G;
            rec.gamma = mr.gamma;
            rec.name = mr.name;
            gammaM = g1;
        }
    }
}

fe::FeSectionValues SectionCache::WithMaterial(int32_t handle, int32_t sectionNumber) const {
    auto* self = const_cast<SectionCache*>(this);
    fe::FeSectionValues s = handle > 0 ? self->Values(handle).fe : fe::FeSectionValues{};
    SteelRecord rec;
    double gm = 0;
    MaterialOf(sectionNumber, rec, gm);
    s.E = rec.E * 10000.0;
    s.G = rec.G * 10000.0;
    return s;
}

int32_t SectionCache::SetzeQuer() {
    ModelRecord& m = run_->cdltr;
    FILE* dru = run_->DebugPrintFile;
    if (dru) std::fputs("$$$$$ in SetzeQuer() $$$$$$$$$ \n", dru);
    m.QWERTE.fill(0.0);
    blocks_.clear();
    elementEnd_.clear();
    elementSection_.clear();
    const int32_t ne = m.fe.nStab;
    int32_t rcAll = 0;

    auto strengths = [&](int32_t sectionNumber) {
        SteelRecord rec;
        double gammaM = 0;
        MaterialOf(sectionNumber, rec, gammaM);
        if (!(gammaM > 0)) gammaM = 1.0;
        double fd = 0, taud = 0, fw = 0;
        CalcDesignStrengths(rec.fyk, gammaM, fd, taud, fw);
        if (dru) std::fprintf(dru, " stahl fyk = %f\n", rec.fyk);
        m.QWERTE[1] = rec.E * 10000.0;
        m.QWERTE[2] = rec.G * 10000.0;
        m.QWERTE[29] = gammaM;
        m.QWERTE[30] = fd;
        m.QWERTE[31] = taud;
        m.QWERTE[32] = fw;
        m.QWERTE[33] = fd * gammaM;
        if (dru)
            for (int i = 29; i <= 33; ++i) std::fprintf(dru, "ckr->QWERTE[%d] = %.2f\n", i, m.QWERTE[Z(i)]);
    };
    auto store = [&](int32_t handle) {
        const ProfileValues& v = Values(handle);
        if (!v.valid) rcAll = -1;
        m.QWERTE[0] = v.qwerte[0];
        for (int i = 3; i <= 18; ++i) m.QWERTE[Z(i)] = v.qwerte[Z(i)];
        m.QWERTE[34] = 3.0 * v.positions;
        blocks_.push_back(m.QWERTE);
    };

    if (m.SysFlag == 1) {
        strengths(1);
        const int32_t h = GetSectionAtX(1, 0.0);
        for (int32_t key = 0; key < 2 * ne; ++key) {
            elementEnd_[key] = h;
            elementSection_[key] = 1;
        }
        store(h);
        return Finish(rcAll);
    }
    int32_t counter = 0;
    for (int32_t j = 0; j < ne; ++j) {
        if (run_->progress) {
            const std::string t = lingo::Translate("VKT Eingabe", "velor_i_rigel", "Calc",
                                                   "Generierung der Querschnitte für Stab %ld");
            run_->progress->SetText(lingo::FormatTranslated("Generierung der Querschnitte für Stab %ld", t,
                                                            static_cast<long>(j + 1)));
            run_->progress->StepIt();
        }
        const int32_t e = m.fe.StabFeld[Z(j)];
        if (e < 0 || e >= m.nFeld) {
            rcAll = -1;
            continue;
        }
        const int32_t k = m.Feld_QsA[Z(e)];
        if (dru) {
            std::fprintf(dru, " &&&&& querschnitt[%d] am Stab %d\n", counter, j);
            std::fprintf(dru, " ------------ qtyp  =  %d\n", k);
        }
        for (int end = 0; end < 2; ++end) {
            strengths(k);
            const double xq = (end == 0 ? m.fe.KnotenX[Z(j)] + 0.0001 : m.fe.KnotenX[Z(j + 1)] - 0.0001) -
                              m.KnotenPos[Z(e)];
            if (dru) std::fprintf(dru, " &&&&& querschnitt[%d] vom knoten %d xq = %f\n", counter, j + end, xq);
            const int32_t h = GetSectionAtX(e + 1, xq);
            elementEnd_[2 * j + end] = h;
            elementSection_[2 * j + end] = k;
            store(h);
            ++counter;
        }
    }
    return Finish(rcAll);
}

// A member with an element end without section values cannot be analysed:
// the run stops instead of computing with a zero section.
int32_t SectionCache::Finish(int32_t rc) {
    if (rc != 0 && !run_->stopped)
        run_->Stop(codes::kBadValue, "Die Querschnittswerte konnten nicht für alle Stäbe ermittelt werden.");
    return rc;
}

int32_t SectionCache::ElementEndProfile(int32_t key) const {
    auto it = elementEnd_.find(key);
    return it == elementEnd_.end() ? -1 : it->second;
}

int32_t SectionCache::CheckSectionSimilarity(int32_t db, const std::string& a, const std::string& b, double t,
                                             double phi, int32_t m, int32_t& out) {
    out = -1;
    const int32_t pa = Load(db, a);
    if (pa < 0) return -2;
    const int32_t pb = Load(db, b);
    if (pb < 0) {
        SEKT_PRO_Delete(pa);
        return -2;
    }
    bool similar = SEKT_PRO_GetnWLine(pa) == SEKT_PRO_GetnWLine(pb);
    for (int32_t i = 0; similar && i < SEKT_PRO_GetnWLine(pa); ++i) {
        SektWLine la{}, lb{};
        SEKT_PRO_GetWLine(pa, i, &la);
        SEKT_PRO_GetWLine(pb, i, &lb);
        similar = la.type == lb.type;
    }
    if (!similar) {
        winsys::MessageBox(winsys::FormatC("Querschnitte %s und %s sind nicht aehnlich !", a.c_str(), b.c_str()));
        SEKT_PRO_Delete(pa);
        SEKT_PRO_Delete(pb);
        return -1;
    }
    const int32_t r = Interpolate(pa, pb, t, phi, m, false);
    SEKT_PRO_Delete(pa);
    SEKT_PRO_Delete(pb);
    if (r < 0) return -2;
    // Kept in memory for the report; the section file is never written.
    scratch_.push_back(r);
    if (db >= 0) {
        SEKT_DB_DeleteProject(db, "\\YYY");
        SEKT_DB_AddProject(db, "\\YYY", r);
    }
    SEKT_PRO_Calculate(r);
    out = r;
    return 0;
}

int32_t SectionCache::GetSectionOutline(int32_t handle, Outline& o) {
    o = Outline{};
    if (handle < 0 || SEKT_PRO_GetType(handle) != 0) return -1;
    const int32_t nT = SEKT_PRO_GetnTqs(handle);
    SektTqs T{};
    for (int32_t i = 0; i < nT; ++i) {
        SEKT_PRO_GetResultTqs(handle, i, &T);
        const int32_t nE = SEKT_PRO_GetnTqe(handle, i);
        for (int32_t k = 0; k < nE; ++k) {
            SektTqe E{};
            if (SEKT_PRO_GetResultTqe(handle, i, k, &E) != 0 || E.exclude != 0) continue;
            o.ta.push_back(E.ta);
            o.te.push_back(E.te);
            o.ya.push_back(E.ya);
            o.ye.push_back(E.ye);
            o.za.push_back(E.za);
            o.ze.push_back(E.ze);
        }
    }
    o.ymRel = T.ym - T.y0;
    o.zmRel = T.zm - T.z0;
    o.ym = T.ym;
    o.zm = T.zm;
    o.y0 = T.y0;
    o.z0 = T.z0;
    o.area = T.A * 1e-4;
    o.nCells = T.nCells;
    return 0;
}

int32_t SectionCache::GetSectionElementsYZ(int32_t db, const std::string& name, Outline& out) {
    out = Outline{};
    if (db < 0) return -1;
    const int32_t h = Load(db, name);
    if (h < 0) return -1;
    int32_t rc = -3;
    if (SEKT_PRO_Calculate(h) >= 1) rc = GetSectionOutline(h, out);
    SEKT_PRO_Delete(h);
    return rc;
}

int32_t SectionCache::SEKTEinheitsSpgn3D(int32_t db, const std::string& name, ProfileValues& out) {
    out = ProfileValues{};
    if (db < 0) return -1;
    const int32_t h = Load(db, name);
    if (h < 0) return -2;
    int32_t rc = -3;
    if (SEKT_PRO_Calculate(h) > 0) {
        // Unit stresses need coordinates about the centroid.
        SektGqs g{};
        SEKT_PRO_GetResultGqs(h, &g);
        SEKT_PRO_Move(h, -g.y0, -g.z0);
        if (SEKT_PRO_Calculate(h) > 0) {
            Compute(h, out);
            rc = out.valid ? 0 : -1;
        }
    }
    SEKT_PRO_Delete(h);
    return rc;
}

void SectionCache::UpdateUserPointExtremes(int32_t handle, int32_t p, int32_t lc, int32_t end, double sigma,
                                           double tau) {
    auto it = values_.find(handle);
    if (it == values_.end() || p < 0 || Z(p) >= it->second.users.size()) return;
    const int32_t ends = run_->cdltr.fe.nKnoten > 1 ? 2 * (run_->cdltr.fe.nKnoten - 1) : 0;
    if (lc < 0 || end < 0 || end >= ends) return;
    const size_t idx = Z(lc) * Z(ends) + Z(end);
    for (int32_t ui : it->second.users[Z(p)]) {
        UserPoint& up = run_->reader.UserPoints[Z(ui)];
        if (idx < up.sigX.size() && std::fabs(sigma) > std::fabs(up.sigX[idx])) up.sigX[idx] = sigma;
        if (idx < up.tau.size() && std::fabs(tau) > std::fabs(up.tau[idx])) up.tau[idx] = tau;
    }
}

void SectionCache::SizePlateStressStore(int64_t doubles, int32_t plates) {
    plateStress_.assign(doubles > 0 ? static_cast<size_t>(doubles) : 0, 0.0);
    plates_ = plates > 0 ? plates : 0;
}

void SectionCache::UpdatePlateStress(int32_t k, int32_t lc, int32_t end, double sigma, double tau) {
    const int32_t ends = run_->cdltr.fe.nKnoten > 1 ? 2 * (run_->cdltr.fe.nKnoten - 1) : 0;
    if (k < 0 || k >= plates_ || lc < 0 || end < 0 || end >= ends) return;
    const size_t idx = ((Z(lc) * Z(ends) + Z(end)) * Z(plates_) + Z(k)) * 2;
    if (idx + 1 >= plateStress_.size()) return;
    plateStress_[idx] = std::min(plateStress_[idx], sigma);
    plateStress_[idx + 1] = std::max(plateStress_[idx + 1], std::fabs(tau));
}

void SectionCache::StoreEsp(ZVELEM node) {
    const ModelRecord& m = run_->cdltr;
    const int32_t nn = m.fe.nKnoten;
    ZEVUD_SetInt(node, "numOfNodes", nn);
    std::vector<unsigned char> bytes;
    bool first = true;
    for (int32_t i = 0; i < nn; ++i) {
        const int32_t key = i < m.fe.nStab ? 2 * i : 2 * (m.fe.nStab - 1) + 1;
        const int32_t h = ElementEndProfile(key);
        auto it = values_.find(h);
        if (h < 0 || it == values_.end() || it->second.esp.empty()) {
            winsys::MessageBox("Error: (StoreEsp) No esp array for idxPro!");
            continue;
        }
        const std::vector<double>& list = it->second.esp;
        if (first) {
            ZEVUD_SetInt(node, "numOfValues", static_cast<int32_t>(list.size()));
            first = false;
        }
        for (double d : list) {
            uint64_t u;
            std::memcpy(&u, &d, 8);
            for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<unsigned char>(u >> (8 * b)));
        }
    }
    ZEVUD_SetBinData(node, "esp", static_cast<int>(bytes.size()), bytes.data(), 0);
}

// ---- section provider of the finite-element solver ----------------------------

bool SectionCache::Constant() const {
    const ModelRecord& m = run_->cdltr;
    if (m.SysFlag == 1) return true;
    const int32_t i0 = m.SectionIndex(m.Feld_QsA[0]);
    if (i0 < 0) return false;
    for (int32_t f = 0; f < m.nFeld && f < limits::kMaxFields; ++f) {
        for (int32_t q : {m.Feld_QsA[Z(f)], m.Feld_QsE[Z(f)]}) {
            const int32_t i = m.SectionIndex(q);
            if (i < 0) return false;
            if (!winsys::EqualsNoCase(m.Qs_Name[Z(i)], m.Qs_Name[Z(i0)]) || m.Qs_Dreh[Z(i)] != m.Qs_Dreh[Z(i0)] ||
                m.Qs_Spiegel[Z(i)] != m.Qs_Spiegel[Z(i0)] || m.Mat[Z(i)] != m.Mat[Z(i0)])
                return false;
        }
    }
    return true;
}

fe::FeSectionValues SectionCache::AtElementEnd(int32_t e, int32_t end) const {
    const ModelRecord& m = run_->cdltr;
    const int32_t key = 2 * e + (end ? 1 : 0);
    const int32_t h = ElementEndProfile(key);
    if (h >= 0) {
        auto it = elementSection_.find(key);
        return WithMaterial(h, it == elementSection_.end() ? 1 : it->second);
    }
    if (e < 0 || e >= m.fe.nStab) return {};
    // Before the sections phase: the section just inside the element.
    const double x = end ? m.fe.KnotenX[Z(e + 1)] - 0.0001 : m.fe.KnotenX[Z(e)] + 0.0001;
    return AtInputNode(1, x);
}

fe::FeSectionValues SectionCache::AtNode(int32_t k) const {
    const ModelRecord& m = run_->cdltr;
    if (m.fe.nStab <= 0) return AtInputNode(1, 0.0);
    if (k < m.fe.nStab) return AtElementEnd(std::max(k, 0), 0);
    return AtElementEnd(m.fe.nStab - 1, 1);
}

fe::FeSectionValues SectionCache::AtInputNode(int32_t b, double d) const {
    auto* self = const_cast<SectionCache*>(this);
    const int32_t h = self->GetSectionAtX(b, d);
    return WithMaterial(h, SectionNumberAt(b, d));
}

std::vector<fe::FeStressPoint> SectionCache::StressPoints(int32_t e) const {
    const int32_t h = ElementEndProfile(2 * e);
    if (h < 0) return {};
    return const_cast<SectionCache*>(this)->Values(h).points;
}

void SectionCache::PointStress(int32_t e, int32_t end, int32_t point, int32_t k, double sigma, double tau) const {
    if (run_->reader.UserPoints.empty()) return;
    // The points of element e are those of its start profile at both ends
    // (StressPoints); the user points count element ends 2e and 2e + 1.
    const int32_t h = ElementEndProfile(2 * e);
    if (h < 0) return;
    const_cast<SectionCache*>(this)->UpdateUserPointExtremes(h, point, k, 2 * e + (end ? 1 : 0), sigma, tau);
}

fe::FeMaterial SectionCache::Material() const {
    fe::FeMaterial mat;
    SteelRecord rec;
    double gm = 0;
    MaterialOf(1, rec, gm);
    mat.fy = rec.fyk;
    mat.gammaM = gm > 0 ? gm : 1.1;
    mat.sigmaVLimit = rec.fyk;
    if (run_->materials.Size() > 0) {
        MaterialRecord mr;
        double g1 = 0, ga = 0, ms = 0;
        if (LookupMaterialValues(*run_, 0, mr, g1, ga, ms)) {
            if (ga > 0) mat.gammaMA = ga;
            mat.interaction = ms;
        }
    }
    return mat;
}

// ---- steps of the run driver ------------------------------------------------------

int32_t SetzeQuer(RunState& run) {
    // The solver's element values and stiffness follow the new sections.
    fe::State(run).ModelChanged();
    return Sections(run).SetzeQuer();
}

int32_t MaxPlateElements(RunState& run) {
    SectionCache& c = Sections(run);
    int32_t mx = 0;
    for (const auto& [key, h] : c.ElementEndMap())
        if (h > 0) mx = std::max(mx, SEKT_PRO_GetnTqe(h, 0));
    return mx;
}

void SizePlateStressStore(RunState& run, int64_t doubles) {
    Sections(run).SizePlateStressStore(doubles, MaxPlateElements(run));
}

}  // namespace tovik::section
