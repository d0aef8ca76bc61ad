// Section databases, section handles and the profile reference.
#include "input/SectProfile.h"

#include "platform/shaper/shaper.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "platform/winsys/winsys.h"

// ============================================================================
// Open-database table
// ============================================================================

CSectionDbCache::~CSectionDbCache() { CloseAll(); }

int CSectionDbCache::Open(const std::string& path, int mode) {
    if (auto it = m_pathToHandle.find(path); it != m_pathToHandle.end()) {
        ++m_refCount[it->second];
        return it->second;
    }
    const int h = SEKT_DB_Open(path.c_str(), mode);
    if (h == -1) return -1;
    m_pathToHandle[path] = h;
    m_handleToPath[h] = path;
    m_refCount[h] = 1;
    return h;
}

int CSectionDbCache::Close(int handle) {
    auto it = m_refCount.find(handle);
    if (it == m_refCount.end()) return -1;
    if (--it->second > 0) return it->second;
    SEKT_DB_Close(handle);
    m_pathToHandle.erase(m_handleToPath[handle]);
    m_handleToPath.erase(handle);
    m_refCount.erase(it);
    return 0;
}

void CSectionDbCache::CloseAll() {
    for (const auto& [h, path] : m_handleToPath) SEKT_DB_Close(h);
    m_pathToHandle.clear();
    m_handleToPath.clear();
    m_refCount.clear();
}

int CSectionDbCache::RefCount(int handle) const {
    auto it = m_refCount.find(handle);
    return it == m_refCount.end() ? 0 : it->second;
}

std::string CSectionDbCache::PathOf(int handle) const {
    auto it = m_handleToPath.find(handle);
    return it == m_handleToPath.end() ? std::string() : it->second;
}

namespace {
std::unique_ptr<CSectionDbCache>& Cache() {
    static auto* c = new std::unique_ptr<CSectionDbCache>;  // closed explicitly, never at exit
    return *c;
}
}  // namespace

CSectionDbCache& GetSectionDbCache() {
    if (!Cache()) Cache() = std::make_unique<CSectionDbCache>();
    return *Cache();
}

void DestroySectionDbCache() { Cache().reset(); }

// ============================================================================
// Free helpers
// ============================================================================

void WriteProfileReference(ZVELEM element, const std::string& dbPath, const std::string& folder,
                           const std::string& profileName, const SektGqs& g, const SektSqs& s,
                           const std::vector<PlateRadii>& plates) {
    if (!element) return;
    ZEVUD_SetString(element, "profName", profileName.c_str());
    // A section file beside the document is named without its folder, so the
    // position calculates wherever it is copied.
    std::string stored = dbPath;
    const std::string doc = zevud::GetCompleteFileName(ZEVUD_GetDocument(element));
    if (!doc.empty() && !dbPath.empty()) {
        const std::filesystem::path p(dbPath);
        if (p.is_absolute() && p.parent_path() == std::filesystem::path(doc).parent_path()) stored = p.filename().string();
    }
    ZEVUD_SetString(element, "DBPath", winsys::PathToText(stored).c_str());
    ZEVUD_SetString(element, "folder", folder.c_str());
    const std::pair<const char*, double> gross[] = {
        {"A", g.A},     {"Ito", g.Ito}, {"Itg", g.Itg}, {"y0", g.y0},   {"z0", g.z0},   {"Ayy", g.Ayy},
        {"Ayz", g.Ayz}, {"Azz", g.Azz}, {"Ayw", g.Ayw}, {"Azw", g.Azw}, {"Aww", g.Aww}, {"phi", g.phi},
        {"ym", g.ym},   {"zm", g.zm},   {"Byy", g.Byy}, {"Bzz", g.Bzz}, {"Bww", g.Bww}};
    for (const auto& [k, v] : gross) ZEVUD_SetDouble(element, k, v);
    const std::pair<const char*, double> dims[] = {{"Ptyp", static_cast<double>(s.Ptyp)},
                                                   {"hs", s.hs}, {"ts", s.ts}, {"bo", s.bo},
                                                   {"to", s.to}, {"bu", s.bu}, {"tu", s.tu}};
    for (const auto& [k, v] : dims) ZEVUD_SetDouble(element, k, v);
    for (const PlateRadii& p : plates) {
        const ZVELEM b = ZEVUD_AddChildElement(element, "blech");
        ZEVUD_SetDouble(b, "r0", p[0]);
        ZEVUD_SetDouble(b, "r1", p[1]);
        ZEVUD_SetDouble(b, "r2", p[2]);
        ZEVUD_SetDouble(b, "r3", p[3]);
    }
}

void ContourFromDrawingPoints(const std::vector<SektDrawPoint>& pts, int arcSteps, std::vector<double>& x,
                              std::vector<double>& y) {
    constexpr double kPi = 3.14159265358979323846;
    for (size_t i = 0; i < pts.size(); ++i) {
        const SektDrawPoint& p = pts[i];
        if (p.kind == -1 || p.kind == 0 || p.kind == 1) {
            x.push_back(p.x);
            y.push_back(p.y);
            continue;
        }
        if (p.kind != 2 && p.kind != -2) continue;
        if (i == 0 || i + 1 >= pts.size() || arcSteps < 1) continue;
        const SektDrawPoint& a = pts[i - 1];
        const SektDrawPoint& b = pts[i + 1];
        const double r = std::hypot(a.x - p.x, a.y - p.y);
        const double a1 = std::atan2(a.y - p.y, a.x - p.x);
        const double a2 = std::atan2(b.y - p.y, b.x - p.x);
        // The sweep from a1 to a2 in the sense of the kind, within (0, 2 pi],
        // so that arcs across 0 or 180 degrees keep their shape.
        double sweep = p.kind > 0 ? a2 - a1 : a1 - a2;
        while (sweep <= 0) sweep += 2 * kPi;
        while (sweep > 2 * kPi) sweep -= 2 * kPi;
        const int n = ((arcSteps + 1) * p.kind) / 2;
        const double step = (p.kind > 0 ? sweep : -sweep) / std::abs(n);
        for (int k = 1; k <= arcSteps; ++k) {
            const double t = a1 + k * step;
            x.push_back(p.x + r * std::cos(t));
            y.push_back(p.y + r * std::sin(t));
        }
    }
}

namespace {

struct OutlinePoint {
    double x, y;
};

double RingArea(const std::vector<OutlinePoint>& ring) {
    double a = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const OutlinePoint& p = ring[i];
        const OutlinePoint& q = ring[(i + 1) % ring.size()];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

}  // namespace

void OutlineFromDrawingPoints(const std::vector<SektDrawPoint>& pts, int arcSteps, std::vector<double>& x,
                              std::vector<double>& y) {
    // The figures, their arcs broken, each without its closing point and
    // turned counter-clockwise.
    std::vector<std::vector<OutlinePoint>> rings;
    for (size_t i = 0; i < pts.size();) {
        size_t end = i + 1;
        while (end < pts.size() && pts[end].kind != -1) ++end;
        std::vector<double> fx, fy;
        ContourFromDrawingPoints(std::vector<SektDrawPoint>(pts.begin() + long(i), pts.begin() + long(end)), arcSteps,
                                 fx, fy);
        std::vector<OutlinePoint> ring;
        for (size_t k = 0; k < fx.size(); ++k)
            if (ring.empty() || fx[k] != ring.back().x || fy[k] != ring.back().y) ring.push_back({fx[k], fy[k]});
        while (ring.size() > 1 && ring.back().x == ring.front().x && ring.back().y == ring.front().y) ring.pop_back();
        if (ring.size() >= 3 && RingArea(ring) != 0) {
            if (RingArea(ring) < 0) std::reverse(ring.begin(), ring.end());
            rings.push_back(std::move(ring));
        }
        i = end;
    }
    if (rings.empty()) return;

    // One vertex for points that coincide within a tolerance relative to the
    // section's size.
    double x1 = rings[0][0].x, x2 = x1, y1 = rings[0][0].y, y2 = y1;
    for (const auto& r : rings)
        for (const OutlinePoint& p : r) {
            x1 = std::min(x1, p.x);
            x2 = std::max(x2, p.x);
            y1 = std::min(y1, p.y);
            y2 = std::max(y2, p.y);
        }
    const double tol = 1e-7 * std::max({x2 - x1, y2 - y1, 1e-12});
    std::vector<OutlinePoint> vertices;
    auto vertexOf = [&](const OutlinePoint& p) {
        for (size_t v = 0; v < vertices.size(); ++v)
            if (std::hypot(vertices[v].x - p.x, vertices[v].y - p.y) <= tol) return v;
        vertices.push_back(p);
        return vertices.size() - 1;
    };
    std::vector<std::vector<size_t>> ringVertices;
    for (const auto& r : rings) {
        ringVertices.emplace_back();
        for (const OutlinePoint& p : r) ringVertices.back().push_back(vertexOf(p));
    }

    // The figures' edges, split where a vertex of another figure lies on
    // them, so that a shared piece of edge is one edge in both figures.
    std::multiset<std::pair<size_t, size_t>> edges;
    for (const auto& rv : ringVertices)
        for (size_t i = 0; i < rv.size(); ++i) {
            const size_t a = rv[i], b = rv[(i + 1) % rv.size()];
            if (a == b) continue;
            const OutlinePoint pa = vertices[a], pb = vertices[b];
            const double dx = pb.x - pa.x, dy = pb.y - pa.y, len2 = dx * dx + dy * dy;
            std::vector<std::pair<double, size_t>> on;
            for (size_t v = 0; v < vertices.size(); ++v) {
                if (v == a || v == b) continue;
                const double t = ((vertices[v].x - pa.x) * dx + (vertices[v].y - pa.y) * dy) / len2;
                if (t <= 0 || t >= 1) continue;
                if (std::hypot(pa.x + t * dx - vertices[v].x, pa.y + t * dy - vertices[v].y) <= tol)
                    on.push_back({t, v});
            }
            std::sort(on.begin(), on.end());
            size_t from = a;
            for (const auto& [t, v] : on) {
                edges.insert({from, v});
                from = v;
            }
            edges.insert({from, b});
        }
    // An edge that two figures share in opposite senses lies inside.
    for (auto it = edges.begin(); it != edges.end();) {
        auto twin = edges.find({it->second, it->first});
        if (twin == edges.end()) {
            ++it;
            continue;
        }
        edges.erase(twin);
        it = edges.erase(it);
    }

    // The edges left joined into rings; where several leave one vertex, the
    // one turning most to the right keeps each ring to its own piece.
    std::vector<std::vector<size_t>> outline;
    while (!edges.empty()) {
        std::vector<size_t> ring{edges.begin()->first};
        size_t at = edges.begin()->second, prev = ring[0];
        edges.erase(edges.begin());
        while (at != ring[0]) {
            ring.push_back(at);
            auto best = edges.end();
            double bestTurn = 0;
            const double inX = vertices[at].x - vertices[prev].x, inY = vertices[at].y - vertices[prev].y;
            for (auto it = edges.lower_bound({at, 0}); it != edges.end() && it->first == at; ++it) {
                const double outX = vertices[it->second].x - vertices[at].x,
                             outY = vertices[it->second].y - vertices[at].y;
                const double turn = std::atan2(inX * outY - inY * outX, inX * outX + inY * outY);
                if (best == edges.end() || turn < bestTurn) {
                    best = it;
                    bestTurn = turn;
                }
            }
            if (best == edges.end()) break;  // figures that do not close: left open
            prev = at;
            at = best->second;
            edges.erase(best);
        }
        // Points in line with both neighbours add nothing.
        for (size_t i = 0; ring.size() > 3 && i < ring.size();) {
            const OutlinePoint p = vertices[ring[(i + ring.size() - 1) % ring.size()]], q = vertices[ring[i]],
                               r = vertices[ring[(i + 1) % ring.size()]];
            const double cross = (q.x - p.x) * (r.y - q.y) - (q.y - p.y) * (r.x - q.x);
            const double dot = (q.x - p.x) * (r.x - q.x) + (q.y - p.y) * (r.y - q.y);
            if (std::fabs(cross) <= tol * std::hypot(r.x - p.x, r.y - p.y) && dot > 0)
                ring.erase(ring.begin() + long(i));
            else
                ++i;
        }
        outline.push_back(std::move(ring));
    }
    // The largest ring first: the outer outline of the section (rings of
    // equal size keep their order).
    std::vector<std::pair<double, size_t>> bySize;
    for (size_t r = 0; r < outline.size(); ++r) {
        std::vector<OutlinePoint> p;
        for (size_t v : outline[r]) p.push_back(vertices[v]);
        bySize.push_back({-std::fabs(RingArea(p)), r});
    }
    std::sort(bySize.begin(), bySize.end());
    for (const auto& sized : bySize) {
        const std::vector<size_t>& ring = outline[sized.second];
        for (size_t v : ring) {
            x.push_back(vertices[v].x);
            y.push_back(vertices[v].y);
        }
        x.push_back(vertices[ring[0]].x);
        y.push_back(vertices[ring[0]].y);
    }
}

bool CalcRolledISectionTorsion(int ptyp, int ptyp2, double bo, double to, double bu, double tu, double tw, double h,
                               double r, double& it) {
    if (ptyp != 0 || ptyp2 != 0) return false;
    if (std::fabs(bo - bu) > 1e-5 || std::fabs(to - tu) > 1e-5) return false;
    if (!(r >= 0 && to > 0 && bo > 0 && tw > 0 && h > 2 * to)) return false;
    it = zidezaz::RolledISectionTorsion(h, bo, tw, to, r);
    return true;
}

// ============================================================================
// CSectProfile
// ============================================================================

int CSectProfile::Create(int flag) {
    m_handle = SEKT_PRO_Create();
    m_calculated = 0;
    if (m_handle <= 0) return -1;
    return SEKT_PRO_Init(m_handle, flag != 0);
}

int CSectProfile::Release() {
    if (m_handle <= 0) return -1;
    const int r = SEKT_PRO_Delete(m_handle);
    m_handle = -1;
    m_calculated = 0;
    return r;
}

int CSectProfile::LoadFromDatabase(const char* dbPath, const char* folder, const char* name) {
    if (m_handle <= 0) Create(0);
    if (m_handle <= 0 || !dbPath || !name) return -1;
    CSectionDbCache& cache = GetSectionDbCache();
    const int db = cache.Open(dbPath, 0);
    if (db == -1) return -1;
    const std::string path =
        (folder && *folder) ? std::string("\\") + folder + "\\" + name : std::string("\\") + name;
    const int r = SEKT_DB_GetProject(db, path.c_str(), m_handle);
    m_calculated = 0;
    cache.Close(db);
    return r;
}

int CSectProfile::SaveToDatabase(const char* dbPath, const char* folder, const char* name) {
    if (m_handle <= 0 || !dbPath || !name) return -1;
    CSectionDbCache& cache = GetSectionDbCache();
    int db = cache.Open(dbPath, 2);
    if (db == -1) db = cache.Open(dbPath, 3);
    if (db == -1) return -1;
    const std::string path = (folder && *folder) ? std::string(folder) + "\\" + name : std::string("\\") + name;
    SEKT_DB_DeleteProject(db, path.c_str());
    SEKT_DB_AddProject(db, path.c_str(), m_handle);
    SEKT_DB_SetProject(db, path.c_str(), m_handle);
    const int r = SEKT_DB_Save(db, dbPath);
    cache.Close(db);
    return r;
}

int CSectProfile::Calculate() {
    if (m_handle <= 0) return -1;
    int r = SEKT_PRO_Calculate(m_handle);
    // Centring: the reference point is moved to the origin.
    ZazRefPoint ref{};
    if (ZAZUZER_RefPoint(m_handle, &ref) == 0 && (std::fabs(ref.y) > 0.01 || std::fabs(ref.z) > 0.01)) {
        SEKT_PRO_Move(m_handle, -ref.y, -ref.z);
        r = SEKT_PRO_Calculate(m_handle);
    }
    m_calculated = 0;
    return r;
}

CSectProfile CSectProfile::CopyWeldLines() const {
    CSectProfile out;
    if (m_handle <= 0) return out;
    out.Create(0);
    const int n = SEKT_PRO_GetnWLine(m_handle);
    for (int i = 0; i < n; ++i) {
        SektWLine line{};
        if (SEKT_PRO_GetWLine(m_handle, i, &line) != 0) continue;
        const int k = SEKT_PRO_AddWLine(out.m_handle, line);
        SektWLineParam par{};
        if (SEKT_PRO_GetWLineParam(m_handle, i, &par) == 0) SEKT_PRO_SetWLineParam(out.m_handle, k, &par);
        SektWLineGroup grp{};
        if (SEKT_PRO_GetWLineGroup(m_handle, i, &grp) == 0) SEKT_PRO_SetWLineGroup(out.m_handle, k, k, &grp);
    }
    out.Calculate();
    return out;
}

void CSectProfile::GetGrossValues(SektGqs& out) {
    std::memset(&out, 0, sizeof out);
    if (m_handle <= 0) return;
    if (!m_calculated) Calculate();
    SEKT_PRO_GetResultGqs(m_handle, &out);
}

void CSectProfile::GetStressValues(SektSqs& out) {
    std::memset(&out, 0, sizeof out);
    out.Ptyp = -1;
    if (m_handle <= 0) return;
    if (!m_calculated) Calculate();
    SEKT_PRO_GetResultSqs(m_handle, &out);
}

void CSectProfile::GetPartValues(SektTqs& out) {
    std::memset(&out, 0, sizeof out);
    if (m_handle <= 0) return;
    if (!m_calculated) Calculate();
    if (SEKT_PRO_GetnTqs(m_handle) == 1) SEKT_PRO_GetResultTqs(m_handle, 0, &out);
}

int CSectProfile::GetEffValueCount() {
    if (m_handle <= 0) return -1;
    if (!m_calculated) Calculate();
    return SEKT_PRO_GetnTqs(m_handle) == 1 ? SEKT_PRO_GetnTqe(m_handle, 0) : 0;
}

void CSectProfile::GetEffValues(SektTqe* out, int count) {
    if (m_handle <= 0 || !out || count < 1) return;
    if (!m_calculated) Calculate();
    if (SEKT_PRO_GetnTqs(m_handle) != 1) return;
    for (int i = 0; i < count; ++i) SEKT_PRO_GetResultTqe(m_handle, 0, i, &out[i]);
}

std::string CSectProfile::GetSectionValues() {
    if (m_handle <= 0) return {};
    SektGqs g{};
    GetGrossValues(g);
    return winsys::FormatC("A=%.2lf Iy=%.2lf Iz=%.2lf It=%.2lf ym=%.2lf zm=%.2lf phi=%.2lf", g.A, g.Ayy, g.Azz,
                           g.Ito + g.Itg, g.ym, g.zm, g.phi);
}

void CSectProfile::GetContour(std::vector<double>& x, std::vector<double>& y, int arcSteps) {
    x.clear();
    y.clear();
    if (m_handle <= 0) return;
    int count = 0;
    if (SEKT_PRO_GetDrawingPoints(m_handle, nullptr, &count) != 0 || count < 0) {
        winsys::MessageBox("GetContour::GetDrawingPoints failed");
        return;
    }
    std::vector<SektDrawPoint> pts(static_cast<size_t>(count));
    if (count > 0 && SEKT_PRO_GetDrawingPoints(m_handle, pts.data(), &count) != 0) {
        winsys::MessageBox("GetContour::GetDrawingPoints failed");
        return;
    }
    pts.resize(static_cast<size_t>(count));
    OutlineFromDrawingPoints(pts, arcSteps, x, y);
}

void CSectProfile::WriteToDom(ZVELEM element, const std::string& dbPath, const std::string& folder,
                              const std::string& profileName) {
    if (m_handle <= 0) return;
    SektGqs g{};
    SektSqs s{};
    GetGrossValues(g);
    GetStressValues(s);
    std::vector<PlateRadii> plates;
    const int n = SEKT_PRO_GetnTqe(m_handle, 0);
    for (int i = 0; i < n; ++i) {
        SektTqe e{};
        SEKT_PRO_GetResultTqe(m_handle, 0, i, &e);
        plates.push_back({e.r[0], e.r[1], e.r[2], e.r[3]});
    }
    WriteProfileReference(element, dbPath, folder, profileName, g, s, plates);
}

int CSectProfile::Draw(kurvo::Control* graph, double factor) {
    if (!IsValid()) return -1;
    return Shaper_DrawSection(m_handle, graph, factor);
}
