// Profile-data library (see sectlib.h).
#include "platform/sectlib/sectlib.h"

#include <algorithm>
#include <filesystem>
#include <cmath>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kArcSteps = 24;

struct Pt {
    double y, z;
};
using Polygon = std::vector<Pt>;

// The outline of a calculated section as closed polygons: each run of
// drawing points starts with kind -1; a point of kind 2 (-2) is the centre
// of an arc turning positively (negatively) from the previous point to the
// next one.
std::vector<Polygon> Outline(int pro) {
    std::vector<Polygon> out;
    int n = 0;
    if (SEKT_PRO_GetDrawingPoints(pro, nullptr, &n) != 0 || n <= 0) return out;
    std::vector<SektDrawPoint> p(static_cast<size_t>(n));
    if (SEKT_PRO_GetDrawingPoints(pro, p.data(), &n) != 0) return out;
    p.resize(static_cast<size_t>(std::max(0, n)));
    for (size_t i = 0; i < p.size(); ++i) {
        const SektDrawPoint& d = p[i];
        if (d.kind == -1 || out.empty()) out.emplace_back();
        if (d.kind == -1 || d.kind == 0 || d.kind == 1) {
            out.back().push_back({d.x, d.y});
        } else if ((d.kind == 2 || d.kind == -2) && i > 0 && i + 1 < p.size()) {
            const SektDrawPoint& a = p[i - 1];
            const SektDrawPoint& b = p[i + 1];
            const double r = std::hypot(a.x - d.x, a.y - d.y);
            const double a1 = std::atan2(a.y - d.y, a.x - d.x);
            const double a2 = std::atan2(b.y - d.y, b.x - d.x);
            double sweep = d.kind > 0 ? a2 - a1 : a1 - a2;
            while (sweep <= 0) sweep += 2 * kPi;
            while (sweep > 2 * kPi) sweep -= 2 * kPi;
            const double step = (d.kind > 0 ? sweep : -sweep) / (kArcSteps + 1);
            for (int k = 1; k <= kArcSteps; ++k) {
                const double t = a1 + k * step;
                out.back().push_back({d.x + r * std::cos(t), d.y + r * std::sin(t)});
            }
        }
    }
    // Closing points repeat the first one; drop them.
    for (auto& poly : out)
        while (poly.size() > 1 && std::fabs(poly.back().y - poly.front().y) < 1e-12 &&
               std::fabs(poly.back().z - poly.front().z) < 1e-12)
            poly.pop_back();
    out.erase(std::remove_if(out.begin(), out.end(), [](const Polygon& q) { return q.size() < 3; }), out.end());
    return out;
}

// Coordinate of a point along the axis (0: y, 1: z).
double Co(const Pt& p, int axis) { return axis == 0 ? p.y : p.z; }

// The part of a polygon on one side of the line coordinate(axis) = c.
Polygon Clip(const Polygon& poly, int axis, double c, bool below) {
    Polygon out;
    auto inside = [&](const Pt& p) { return below ? Co(p, axis) <= c : Co(p, axis) >= c; };
    for (size_t i = 0; i < poly.size(); ++i) {
        const Pt& a = poly[i];
        const Pt& b = poly[(i + 1) % poly.size()];
        const bool ia = inside(a), ib = inside(b);
        if (ia) out.push_back(a);
        if (ia != ib) {
            const double t = (c - Co(a, axis)) / (Co(b, axis) - Co(a, axis));
            out.push_back({a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)});
        }
    }
    return out;
}

// Area and first moment about coordinate(axis) = c, both taken positive for
// either orientation of the polygon.
void AreaMoment(const Polygon& poly, int axis, double c, double& area, double& moment) {
    double a2 = 0, m6 = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Pt& p = poly[i];
        const Pt& q = poly[(i + 1) % poly.size()];
        const double cr = p.y * q.z - q.y * p.z;
        a2 += cr;
        m6 += (Co(p, axis) + Co(q, axis)) * cr;
    }
    const double s = a2 < 0 ? -1.0 : 1.0;
    area = s * a2 / 2;
    moment = s * m6 / 6 - c * area;
}

// Plastic section modulus for bending that varies along the axis: the sum of
// the first moments of both halves about the area-halving line.
double PlasticModulus(const std::vector<Polygon>& polys, int axis) {
    double lo = 1e300, hi = -1e300, total = 0;
    for (const auto& poly : polys) {
        for (const Pt& p : poly) {
            lo = std::min(lo, Co(p, axis));
            hi = std::max(hi, Co(p, axis));
        }
        double a, m;
        AreaMoment(poly, axis, 0, a, m);
        total += a;
    }
    if (!(total > 0) || !(hi > lo)) return 0;
    auto part = [&](double c, bool below, double& area, double& moment) {
        area = moment = 0;
        for (const auto& poly : polys) {
            const Polygon q = Clip(poly, axis, c, below);
            if (q.size() < 3) continue;
            double a, m;
            AreaMoment(q, axis, c, a, m);
            area += a;
            moment += m;
        }
    };
    double a = lo, b = hi;
    for (int it = 0; it < 200 && b - a > 1e-12 * (hi - lo); ++it) {
        const double c = 0.5 * (a + b);
        double area, moment;
        part(c, true, area, moment);
        (area < 0.5 * total ? a : b) = c;
    }
    const double c = 0.5 * (a + b);
    double a1, m1, a2, m2;
    part(c, true, a1, m1);
    part(c, false, a2, m2);
    return std::fabs(m1) + std::fabs(m2);
}

struct Reference {
    std::string name, dbPath, folder;
    SektGqs g{};
    SektSqs s{};
    double rootRadius = 0;
    double fy = 235.0;  // N/mm²
};

Reference ReadReference(ZVELEM e) {
    Reference r;
    r.name = zevud::GetString(e, "profName");
    r.dbPath = winsys::PathFromText(zevud::GetString(e, "DBPath"));
    // A name without a folder lies beside the document; a full path that no
    // longer exists (the document was copied elsewhere) is looked for there too.
    const std::string doc = zevud::GetCompleteFileName(ZEVUD_GetDocument(e));
    if (!r.dbPath.empty() && !doc.empty()) {
        const std::filesystem::path p(winsys::ToSlashPath(r.dbPath));
        const std::filesystem::path beside = std::filesystem::path(doc).parent_path() / p.filename();
        std::error_code ec;
        if (!p.is_absolute() || (!std::filesystem::exists(p, ec) && std::filesystem::exists(beside, ec)))
            r.dbPath = (p.is_absolute() ? beside : std::filesystem::path(doc).parent_path() / p).string();
    }
    r.folder = zevud::GetString(e, "folder");
    const char* gk[] = {"A", "Ito", "Itg", "y0", "z0", "Ayy", "Ayz", "Azz", "Ayw",
                        "Azw", "Aww", "phi", "ym", "zm", "Byy", "Bzz", "Bww"};
    double* gv = &r.g.A;
    for (int i = 0; i < 17; ++i) gv[i] = ZEVUD_GetDouble(e, gk[i]);
    r.s.Ptyp = ZEVUD_HasAttr(e, "Ptyp") ? static_cast<int32_t>(std::lround(ZEVUD_GetDouble(e, "Ptyp"))) : -1;
    r.s.hs = ZEVUD_GetDouble(e, "hs");
    r.s.ts = ZEVUD_GetDouble(e, "ts");
    r.s.bo = ZEVUD_GetDouble(e, "bo");
    r.s.to = ZEVUD_GetDouble(e, "to");
    r.s.bu = ZEVUD_GetDouble(e, "bu");
    r.s.tu = ZEVUD_GetDouble(e, "tu");
    for (ZVELEM b = ZEVUD_FindFirstChild(e, "blech"); b; b = ZEVUD_FindNextChild(b, "blech"))
        for (const char* k : {"r0", "r1", "r2", "r3"}) r.rootRadius = std::max(r.rootRadius, ZEVUD_GetDouble(b, k));
    if (ZEVUD_HasAttr(e, "fy") && ZEVUD_GetDouble(e, "fy") > 0) r.fy = ZEVUD_GetDouble(e, "fy");
    return r;
}

// Loads the referenced profile into pro; false when it is not there.
bool LoadFromDatabase(const Reference& r, int pro) {
    if (r.dbPath.empty() || r.name.empty()) return false;
    const int db = SEKT_DB_Open(r.dbPath.c_str(), 0);
    if (db < 0) return false;
    const std::string path = r.folder.empty() ? "\\" + r.name : "\\" + r.folder + "\\" + r.name;
    const bool ok = SEKT_DB_GetProject(db, path.c_str(), pro) >= 0;
    SEKT_DB_Close(db);
    return ok;
}

// An I-section of three wall lines from the reference's dimensions.
bool RebuildI(const Reference& r, int pro) {
    const SektSqs& s = r.s;
    if (s.Ptyp != 0 || !(s.hs > 0 && s.ts > 0 && s.bo > 0 && s.to > 0 && s.bu > 0 && s.tu > 0)) return false;
    const double hs = s.hs - 0.5 * (s.to + s.tu);
    if (!(hs > 0)) return false;
    SEKT_PRO_Init(pro, 0);
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(-s.bo / 2, -hs / 2, s.bo / 2, -hs / 2, s.to));
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(-s.bu / 2, hs / 2, s.bu / 2, hs / 2, s.tu));
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(0, -hs / 2, 0, hs / 2, s.ts, r.rootRadius, r.rootRadius));
    return true;
}

struct Values {
    double A = 0, Iy = 0, Iz = 0, Wy = 0, Wz = 0, bo = 0, bu = 0, h = 0, to = 0, tu = 0, s = 0, It = 0;
    double Mply = 0, Mplz = 0, Npl = 0, Qply = 0, Qplz = 0;
};

void FromReference(const Reference& r, Values& v) {
    v.A = r.g.A;
    v.Iy = r.g.Ayy;
    v.Iz = r.g.Azz;
    v.It = r.g.Ito + r.g.Itg;
    v.bo = r.s.bo * 10;
    v.bu = r.s.bu * 10;
    v.h = r.s.hs * 10;
    v.to = r.s.to * 10;
    v.tu = r.s.tu * 10;
    v.s = r.s.ts * 10;
}

bool FromSection(const Reference& r, int pro, Values& v) {
    if (SEKT_PRO_Calculate(pro) != 1) return false;
    SektGqs g{};
    SektSqs s{};
    SEKT_PRO_GetResultGqs(pro, &g);
    SEKT_PRO_GetResultSqs(pro, &s);
    const auto polys = Outline(pro);
    if (polys.empty() || !(g.A > 0)) return false;
    v.A = g.A;
    v.Iy = g.Ayy;
    v.Iz = g.Azz;
    v.It = g.Ito + g.Itg;
    if (s.Ptyp == 0) {
        v.bo = s.bo * 10;
        v.bu = s.bu * 10;
        v.h = s.hs * 10;
        v.to = s.to * 10;
        v.tu = s.tu * 10;
        v.s = s.ts * 10;
    } else {
        FromReference(r, v);
        v.A = g.A;
        v.Iy = g.Ayy;
        v.Iz = g.Azz;
        v.It = g.Ito + g.Itg;
    }
    double ey = 0, ez = 0;
    for (const auto& poly : polys)
        for (const Pt& p : poly) {
            ey = std::max(ey, std::fabs(p.y - g.y0));
            ez = std::max(ez, std::fabs(p.z - g.z0));
        }
    v.Wy = ez > 0 ? g.Ayy / ez : 0;
    v.Wz = ey > 0 ? g.Azz / ey : 0;
    const double fy = r.fy / 10.0;  // kN/cm²
    v.Npl = g.A * fy;
    v.Mply = PlasticModulus(polys, 1) * fy / 100.0;
    v.Mplz = PlasticModulus(polys, 0) * fy / 100.0;
    // Shear areas from the plates: along z the webs, along y the flanges.
    double avY = 0, avZ = 0;
    const int ne = SEKT_PRO_GetnTqs(pro) == 1 ? SEKT_PRO_GetnTqe(pro, 0) : 0;
    for (int k = 0; k < ne; ++k) {
        SektTqe e{};
        if (SEKT_PRO_GetResultTqe(pro, 0, k, &e) != 0 || e.exclude) continue;
        (std::fabs(e.ze - e.za) > std::fabs(e.ye - e.ya) ? avZ : avY) += e.area;
    }
    if (s.Ptyp == 0 && s.Ptyp2 == 0) {
        const double tf = 0.5 * (s.to + s.tu);
        avZ = std::max(g.A - s.bo * s.to - s.bu * s.tu + (s.ts + s.ro + s.ru) * tf, avZ);
    }
    v.Qply = avY * fy / std::sqrt(3.0);
    v.Qplz = avZ * fy / std::sqrt(3.0);
    return true;
}

}  // namespace

void Sectlib(uint32_t document, int32_t /*flag*/) {
    const ZVELEM root = ZEVUD_GetRootElement(document);
    if (!root) return;
    const ZVELEM ref = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(root, "input"), "profile"), "sectlib");
    if (!ref) return;
    const Reference r = ReadReference(ref);
    Values v;
    const int pro = SEKT_PRO_Create();
    bool done = false;
    if (pro > 0) {
        if (LoadFromDatabase(r, pro)) done = FromSection(r, pro, v);
        if (!done && RebuildI(r, pro)) done = FromSection(r, pro, v);
        SEKT_PRO_Delete(pro);
    }
    if (!done) {
        v = Values{};
        FromReference(r, v);
    }
    for (ZVELEM old = ZEVUD_FindFirstChild(root, "result"); old; old = ZEVUD_FindFirstChild(root, "result"))
        ZEVUD_DeleteElement(old);
    const ZVELEM res = ZEVUD_AddChildElement(root, "result");
    const std::pair<const char*, double> out[] = {
        {"A", v.A},     {"Iy", v.Iy},     {"Iz", v.Iz},     {"Wy", v.Wy},   {"Wz", v.Wz},    {"bo", v.bo},
        {"bu", v.bu},   {"h", v.h},       {"to", v.to},     {"tu", v.tu},   {"s", v.s},      {"It", v.It},
        {"Mply", v.Mply}, {"Mplz", v.Mplz}, {"Npl", v.Npl}, {"Qply", v.Qply}, {"Qplz", v.Qplz}};
    for (const auto& [k, x] : out) ZEVUD_SetDouble(res, k, std::isfinite(x) ? x : 0.0);
}
