// Thin-walled section calculator.
//
// The wall lines are turned into a graph: nodes where lines meet (end to end,
// or an end on the interior of another line), edges the pieces between them.
// A plate end that butts into the interior of another plate (T junction) is
// cut back to that plate's face: the piece inside the other plate becomes a
// connector edge without area, so that the plates are counted once while
// the centre-line paths for warping and shear flow stay connected.
//
// Gross values integrate the plates as solid rectangles (including their
// own thickness terms) plus the fillets of root radii. The thin-walled values
// integrate along the centre lines (dA = t ds). Closed cells are the
// fundamental cycles of a spanning tree; their St Venant flows and the
// circulating parts of the shear flows follow from the cell compatibility
// equations.
#include "platform/zidezaz/section_calc.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace zidezaz {

double RolledISectionTorsion(double h, double b, double tw, double tf, double r) {
    if (!(tf > 0) || !(b > 0) || !(2 * r + tf > 0)) return 0.0;
    const double D = ((tf + r) * (tf + r) + tw * (r + tw / 4.0)) / (2.0 * r + tf);
    const double alpha = (0.1 * r / tf + 0.145) * tw / tf;
    const double flange = b * tf * tf * tf / 3.0 * (1.0 - 0.63 * tf / b);
    const double web = (h - 2.0 * tf) * tw * tw * tw / 3.0;
    return 2.0 * (alpha * D * D * D * D + flange) + web;
}

}  // namespace zidezaz

namespace zidezaz::detail {
namespace {

constexpr double kPi = std::numbers::pi;

struct V2 {
    double y = 0, z = 0;
};
V2 operator+(V2 a, V2 b) { return {a.y + b.y, a.z + b.z}; }
V2 operator-(V2 a, V2 b) { return {a.y - b.y, a.z - b.z}; }
V2 operator*(double s, V2 a) { return {s * a.y, s * a.z}; }
double Dot(V2 a, V2 b) { return a.y * b.y + a.z * b.z; }
double Cross(V2 a, V2 b) { return a.y * b.z - a.z * b.y; }
double Norm(V2 a) { return std::sqrt(Dot(a, a)); }

// Gauss-Legendre points on [0, 1].
constexpr double kG3u[3] = {0.5 - 0.3872983346207417, 0.5, 0.5 + 0.3872983346207417};
constexpr double kG3w[3] = {5.0 / 18.0, 8.0 / 18.0, 5.0 / 18.0};
constexpr double kG5u[5] = {0.5 - 0.4530899229693320, 0.5 - 0.2692346550528415, 0.5,
                            0.5 + 0.2692346550528415, 0.5 + 0.4530899229693320};
constexpr double kG5w[5] = {0.1184634425280945, 0.2393143352496832, 0.2844444444444444,
                            0.2393143352496832, 0.1184634425280945};

struct Edge {
    int n0 = 0, n1 = 0;
    V2 p0, p1;
    double t0 = 0, t1 = 0;    // thickness counted for area (0: connector)
    double tf0 = 0, tf1 = 0;  // thickness of the shear-flow path
    int line = 0;
    int8_t type = 0;
    bool real = false;       // a plate piece with area
    bool torsionOpen = true; // counts for the open torsion part when not in a cell
    double r[4] = {0, 0, 0, 0};
    double L = 0;
    // results
    bool inCell = false;
    double psi = 0;    // St Venant circulating flow (G*theta' = 1), edge direction
    double flex = 0;   // integral ds / tf
    double w0 = 0, w1 = 0;  // warping ordinate at n0, n1 (pole at the origin)
};

struct Fillet {
    V2 c, d, m;
    double r = 0;
    V2 foot;  // where the stem's plate piece starts at the face it butts into
};

struct Moments {  // integrals of 1, y, z, y^2, z^2, yz
    double A = 0, Sy = 0, Sz = 0, Iyy = 0, Izz = 0, Iyz = 0;  // Iyy = int y^2 (raw)
};

void AddFillet(const Fillet& f, Moments& m) {
    const double r = f.r;
    const double A = r * r * (1.0 - kPi / 4.0);
    const double Iu = r * r * r * (5.0 / 6.0 - kPi / 4.0);
    const double Iuu = r * r * r * r * (1.0 - 5.0 * kPi / 16.0);
    const double Iuv = r * r * r * r * (19.0 / 24.0 - kPi / 4.0);
    const double Iv = Iu, Ivv = Iuu;
    const double cy = f.c.y, cz = f.c.z;
    const double fy = f.d.y * Iu + f.m.y * Iv;  // int (y - cy)
    const double fz = f.d.z * Iu + f.m.z * Iv;
    m.A += A;
    m.Sy += cy * A + fy;
    m.Sz += cz * A + fz;
    m.Iyy += cy * cy * A + 2 * cy * fy + f.d.y * f.d.y * Iuu + 2 * f.d.y * f.m.y * Iuv + f.m.y * f.m.y * Ivv;
    m.Izz += cz * cz * A + 2 * cz * fz + f.d.z * f.d.z * Iuu + 2 * f.d.z * f.m.z * Iuv + f.m.z * f.m.z * Ivv;
    m.Iyz += cy * cz * A + cy * fz + cz * fy + f.d.y * f.d.z * Iuu + (f.d.y * f.m.z + f.d.z * f.m.y) * Iuv +
             f.m.y * f.m.z * Ivv;
}

// Solves a small dense system in place (partial pivoting). False when singular.
bool Solve(std::vector<double> M, std::vector<double>& x, size_t n) {
    for (size_t c = 0; c < n; ++c) {
        size_t p = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::fabs(M[r * n + c]) > std::fabs(M[p * n + c])) p = r;
        if (std::fabs(M[p * n + c]) < 1e-300) return false;
        if (p != c) {
            for (size_t k = 0; k < n; ++k) std::swap(M[p * n + k], M[c * n + k]);
            std::swap(x[p], x[c]);
        }
        for (size_t r = c + 1; r < n; ++r) {
            const double f = M[r * n + c] / M[c * n + c];
            if (f == 0) continue;
            for (size_t k = c; k < n; ++k) M[r * n + k] -= f * M[c * n + k];
            x[r] -= f * x[c];
        }
    }
    for (size_t c = n; c-- > 0;) {
        double s = x[c];
        for (size_t k = c + 1; k < n; ++k) s -= M[c * n + k] * x[k];
        x[c] = s / M[c * n + c];
    }
    return true;
}

// integral of ds / t along an edge with linear thickness.
double Flex(double L, double ta, double tb) {
    if (!(ta > 0) || !(tb > 0)) return 1e30;
    if (std::fabs(ta - tb) <= 1e-12 * (ta + tb)) return L / ta;
    return L * std::log(tb / ta) / (tb - ta);
}

struct Builder {
    const std::vector<SektWLine>& lines;
    SectionResults& out;
    std::vector<V2> nodes;
    std::vector<Edge> edges;
    std::vector<Fillet> fillets;
    double tol = 1e-9;
    double maxT = 0;

    Builder(const std::vector<SektWLine>& l, SectionResults& o) : lines(l), out(o) {}

    int NodeOf(V2 p) {
        for (size_t i = 0; i < nodes.size(); ++i)
            if (Norm(nodes[i] - p) <= tol) return static_cast<int>(i);
        nodes.push_back(p);
        return static_cast<int>(nodes.size() - 1);
    }

    static bool Usable(const SektWLine& w) {
        const double v[] = {w.ya, w.za, w.ye, w.ze, w.ta, w.te};
        for (double x : v)
            if (!std::isfinite(x)) return false;
        return w.type == SEKT_WLINE_PLATE || w.type == SEKT_WLINE_CONNECTOR;
    }

    void Build();
};

void Builder::Build() {
    // Tolerance from the extent of the section.
    double ext = 0;
    for (const auto& w : lines) {
        if (!Usable(w)) continue;
        ext = std::max({ext, std::fabs(w.ya), std::fabs(w.za), std::fabs(w.ye), std::fabs(w.ze)});
        if (w.type == SEKT_WLINE_PLATE) maxT = std::max({maxT, std::fabs(w.ta), std::fabs(w.te)});
    }
    tol = std::max(1e-7 * ext, 1e-10);

    struct LineInfo {
        bool use = false;
        V2 a, b, dir;
        double L = 0;
        int na = -1, nb = -1;
        std::vector<std::pair<double, int>> splits;  // (u, node)
        double trim[2] = {0, 0};
    };
    std::vector<LineInfo> info(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto& w = lines[i];
        if (!Usable(w)) continue;
        LineInfo& li = info[i];
        li.a = {w.ya, w.za};
        li.b = {w.ye, w.ze};
        li.L = Norm(li.b - li.a);
        if (li.L <= tol) continue;
        if (w.type == SEKT_WLINE_PLATE && !(w.ta >= 0 && w.te >= 0)) continue;
        li.use = true;
        li.dir = (1.0 / li.L) * (li.b - li.a);
        li.na = NodeOf(li.a);
        li.nb = NodeOf(li.b);
    }
    // Ends on the interior of other lines.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!info[i].use) continue;
        for (int end = 0; end < 2; ++end) {
            const int node = end == 0 ? info[i].na : info[i].nb;
            const V2 p = nodes[static_cast<size_t>(node)];
            for (size_t j = 0; j < lines.size(); ++j) {
                if (j == i || !info[j].use) continue;
                LineInfo& lj = info[j];
                if (lj.na == node || lj.nb == node) continue;
                const double u = Dot(p - lj.a, lj.dir) / lj.L;
                const double eps = tol / lj.L;
                if (u <= eps || u >= 1.0 - eps) continue;
                const V2 q = lj.a + (u * lj.L) * lj.dir;
                if (Norm(p - q) > tol) continue;
                lj.splits.push_back({u, node});
                // Cut back a plate that butts into another plate.
                if (lines[i].type == SEKT_WLINE_PLATE && lines[j].type == SEKT_WLINE_PLATE) {
                    const double sinT = std::fabs(Cross(info[i].dir, lj.dir));
                    const double tj = lines[j].ta + (lines[j].te - lines[j].ta) * u;
                    if (sinT > 0.01 && tj > 0) {
                        const double d = 0.5 * tj / sinT;
                        info[i].trim[end] = d;
                        const double r = end == 0 ? lines[i].ra : lines[i].re;
                        const double ts = end == 0 ? lines[i].ta : lines[i].te;
                        if (r > 0 && sinT > 0.999 && d + r < info[i].L) {
                            const V2 into = end == 0 ? info[i].dir : -1.0 * info[i].dir;
                            const V2 n{-into.z, into.y};
                            for (double s : {1.0, -1.0}) {
                                Fillet f;
                                f.r = r;
                                f.d = into;
                                f.m = s * n;
                                f.c = p + (0.5 * tj) * into + (0.5 * ts) * f.m;
                                f.foot = p + d * into;
                                fillets.push_back(f);
                            }
                        }
                    }
                }
                break;
            }
        }
    }
    // Pieces.
    for (size_t i = 0; i < lines.size(); ++i) {
        LineInfo& li = info[i];
        if (!li.use) continue;
        const auto& w = lines[i];
        auto& sp = li.splits;
        sp.push_back({0.0, li.na});
        sp.push_back({1.0, li.nb});
        std::sort(sp.begin(), sp.end());
        const bool plate = w.type == SEKT_WLINE_PLATE;
        auto thick = [&](double u) { return w.ta + (w.te - w.ta) * u; };
        auto pointAt = [&](double u) { return li.a + (u * li.L) * li.dir; };
        auto addEdge = [&](int n0, int n1, double u0, double u1, bool real) {
            Edge e;
            e.n0 = n0;
            e.n1 = n1;
            e.p0 = nodes[static_cast<size_t>(n0)];
            e.p1 = nodes[static_cast<size_t>(n1)];
            e.L = Norm(e.p1 - e.p0);
            e.line = static_cast<int>(i);
            e.type = w.type;
            if (plate) {
                e.tf0 = thick(u0);
                e.tf1 = thick(u1);
                e.t0 = real ? e.tf0 : 0;
                e.t1 = real ? e.tf1 : 0;
                e.real = real;
                e.torsionOpen = true;
            } else {
                const double big = (maxT > 0 ? maxT : 1.0) * 1e3;
                e.tf0 = e.tf1 = big;
                e.real = false;
                e.torsionOpen = false;
            }
            e.r[0] = e.r[1] = (u0 == 0.0) ? w.ra : 0.0;
            e.r[2] = e.r[3] = (u1 == 1.0) ? w.re : 0.0;
            edges.push_back(e);
        };
        for (size_t k = 0; k + 1 < sp.size(); ++k) {
            double u0 = sp[k].first, u1 = sp[k + 1].first;
            int n0 = sp[k].second, n1 = sp[k + 1].second;
            if (n0 == n1 || (u1 - u0) * li.L <= tol) continue;
            // Cut-back ends: connector inside the other plate, then the plate.
            const double c0 = (k == 0 && plate) ? li.trim[0] / li.L : 0.0;
            const double c1 = (k + 2 == sp.size() && plate) ? li.trim[1] / li.L : 0.0;
            if (c0 + c1 >= 0.95 * (u1 - u0)) {
                addEdge(n0, n1, u0, u1, plate);
                continue;
            }
            int a = n0, b = n1;
            double ua = u0, ub = u1;
            if (c0 > 0) {
                ua = u0 + c0;
                a = NodeOf(pointAt(ua));
                addEdge(n0, a, u0, ua, false);
                edges.back().tf0 = edges.back().tf1 = thick(u0);  // flow path through the stem's width
            }
            if (c1 > 0) {
                ub = u1 - c1;
                b = NodeOf(pointAt(ub));
            }
            addEdge(a, b, ua, ub, plate);
            if (c0 > 0) { edges.back().r[0] = edges.back().r[1] = w.ra; }
            if (c1 > 0) {
                edges.back().r[2] = edges.back().r[3] = w.re;
                addEdge(b, n1, ub, u1, false);
                edges.back().tf0 = edges.back().tf1 = thick(u1);
            }
        }
    }
}

// Recognises an I-section of three plates in any orientation (two parallel
// flanges, a web square to them between their middles) and fills the
// dimension record. "Top" is the flange on the side of smaller z (smaller y
// when the web lies along y).
void Recognise(const std::vector<SektWLine>& lines, double tol, SektSqs& s) {
    std::memset(&s, 0, sizeof s);
    s.Ptyp = -1;
    std::vector<const SektWLine*> plates;
    for (const auto& w : lines)
        if (w.type == SEKT_WLINE_PLATE && w.ta > 0) plates.push_back(&w);
    if (plates.size() != 3) return;
    for (const auto* w : plates)
        if (std::fabs(w->ta - w->te) > tol) return;
    auto dir = [](const SektWLine* w) {
        const V2 d{w->ye - w->ya, w->ze - w->za};
        const double L = Norm(d);
        return L > 0 ? (1.0 / L) * d : V2{};
    };
    auto mid = [](const SektWLine* w) { return V2{0.5 * (w->ya + w->ye), 0.5 * (w->za + w->ze)}; };
    for (int wi = 0; wi < 3; ++wi) {
        const SektWLine* web = plates[static_cast<size_t>(wi)];
        const SektWLine* fl[2] = {plates[static_cast<size_t>((wi + 1) % 3)], plates[static_cast<size_t>((wi + 2) % 3)]};
        const V2 dw = dir(web), d0 = dir(fl[0]), d1 = dir(fl[1]);
        if (std::fabs(Cross(d0, d1)) > 1e-9 || std::fabs(Dot(dw, d0)) > 1e-9) continue;
        const V2 wa{web->ya, web->za}, we{web->ye, web->ze};
        // Each web end at the middle of one flange.
        const V2 m0 = mid(fl[0]), m1 = mid(fl[1]);
        if (Norm(wa - m0) <= tol && Norm(we - m1) <= tol) {
        } else if (Norm(wa - m1) <= tol && Norm(we - m0) <= tol) {
            std::swap(fl[0], fl[1]);
        } else {
            continue;
        }
        // fl[0] at the web's start, fl[1] at its end; the web's start side is
        // "top" when it lies towards smaller z (or smaller y).
        const bool startTop = (std::fabs(dw.z) > 1e-9) ? dw.z > 0 : dw.y > 0;
        const SektWLine* top = startTop ? fl[0] : fl[1];
        const SektWLine* bot = startTop ? fl[1] : fl[0];
        s.Ptyp = 0;
        s.bo = Norm(V2{top->ye - top->ya, top->ze - top->za});
        s.to = top->ta;
        s.bu = Norm(V2{bot->ye - bot->ya, bot->ze - bot->za});
        s.tu = bot->ta;
        s.ts = web->ta;
        s.hs = Norm(we - wa) + 0.5 * (s.to + s.tu);
        s.ro = startTop ? web->ra : web->re;
        s.ru = startTop ? web->re : web->ra;
        s.Ptyp2 = (s.ro > 0 || s.ru > 0) ? 0 : 1;
        // Outer fibre points: flange tips and web ends on the outer faces.
        const V2 up = startTop ? -1.0 * dw : dw;  // from the web towards the top flange
        const V2 mt = startTop ? wa : we, mb = startTop ? we : wa;
        const V2 ot = mt + (0.5 * s.to) * up, ob = mb - (0.5 * s.tu) * up;
        const V2 along = d0;
        const V2 pts[] = {ot - (0.5 * s.bo) * along, ot + (0.5 * s.bo) * along, ob - (0.5 * s.bu) * along,
                          ob + (0.5 * s.bu) * along, ot, ob};
        s.nPoints = 6;
        for (int i = 0; i < 6; ++i) s.pt[i] = {pts[i].y, pts[i].z};
        return;
    }
}

// Three-point Gauss rule along the centre lines of the real walls: calls
// f(edge, u, y, z, wdA) at each point, u the position along the edge (0..1),
// (y, z) the point and wdA its weight times the wall thickness and length.
template <class F>
void ForEachWallPoint(const std::vector<Edge>& edges, F f) {
    for (const auto& e : edges) {
        if (!e.real) continue;
        for (int k = 0; k < 3; ++k) {
            const double u = kG3u[k];
            const double wdA = kG3w[k] * (e.t0 + (e.t1 - e.t0) * u) * e.L;
            const double y = e.p0.y + (e.p1.y - e.p0.y) * u, z = e.p0.z + (e.p1.z - e.p0.z) * u;
            f(e, u, y, z, wdA);
        }
    }
}

}  // namespace

int CalculateSection(const std::vector<SektWLine>& lines, SectionResults& out) {
    out = SectionResults{};
    out.sqs.Ptyp = -1;
    Builder b(lines, out);
    b.Build();
    auto& edges = b.edges;
    const auto& nodes = b.nodes;

    // ---- gross values: solid plates and fillets --------------------------
    Moments g;
    for (const auto& e : edges) {
        if (!e.real) continue;
        const V2 d = e.p1 - e.p0;
        const V2 n{-d.z / e.L, d.y / e.L};
        double own = 0;
        for (int k = 0; k < 3; ++k) {
            const double u = kG3u[k];
            const double t = e.t0 + (e.t1 - e.t0) * u;
            const double y = e.p0.y + d.y * u, z = e.p0.z + d.z * u;
            const double wdA = kG3w[k] * t * e.L;
            g.A += wdA;
            g.Sy += y * wdA;
            g.Sz += z * wdA;
            g.Iyy += y * y * wdA;
            g.Izz += z * z * wdA;
            g.Iyz += y * z * wdA;
            own += kG3w[k] * t * t * t / 12.0 * e.L;
        }
        g.Iyy += n.y * n.y * own;
        g.Izz += n.z * n.z * own;
        g.Iyz += n.y * n.z * own;
    }
    for (const auto& f : b.fillets) AddFillet(f, g);
    if (!(g.A > 0)) return 0;

    const double y0 = g.Sy / g.A, z0 = g.Sz / g.A;
    const double Iz = g.Iyy - g.A * y0 * y0;  // int y^2 about the centroid
    const double Iy = g.Izz - g.A * z0 * z0;  // int z^2
    const double Iyz = g.Iyz - g.A * y0 * z0;

    // ---- centre-line model ------------------------------------------------
    double Al = 0, Sly = 0, Slz = 0;
    ForEachWallPoint(edges, [&](const Edge&, double, double y, double z, double wdA) {
        Al += wdA;
        Sly += y * wdA;
        Slz += z * wdA;
    });
    const double yl = Sly / Al, zl = Slz / Al;
    double IYY = 0, IZZ = 0, IYZ = 0;  // IYY = int Z^2, IZZ = int Y^2 about (yl, zl)
    double Byy = 0, Bzz = 0;
    ForEachWallPoint(edges, [&](const Edge&, double, double y, double z, double wdA) {
        IYY += (z - zl) * (z - zl) * wdA;
        IZZ += (y - yl) * (y - yl) * wdA;
        IYZ += (y - yl) * (z - zl) * wdA;
        const double yc = y - y0, zc = z - z0;
        Byy += zc * (yc * yc + zc * zc) * wdA;
        Bzz += yc * (yc * yc + zc * zc) * wdA;
    });

    // ---- graph: components, spanning trees, cells -------------------------
    const size_t nn = nodes.size(), ne = edges.size();
    std::vector<std::vector<int>> adj(nn);
    for (size_t i = 0; i < ne; ++i) {
        adj[static_cast<size_t>(edges[i].n0)].push_back(static_cast<int>(i));
        adj[static_cast<size_t>(edges[i].n1)].push_back(static_cast<int>(i));
    }
    std::vector<int> parentEdge(nn, -1), parent(nn, -1), comp(nn, -1), depth(nn, 0), order;
    std::vector<char> treeEdge(ne, 0);
    std::vector<int> roots;
    for (size_t s = 0; s < nn; ++s) {
        if (comp[s] >= 0 || adj[s].empty()) continue;
        const int c = static_cast<int>(roots.size());
        roots.push_back(static_cast<int>(s));
        comp[s] = c;
        std::vector<int> queue{static_cast<int>(s)};
        for (size_t q = 0; q < queue.size(); ++q) {
            const int v = queue[q];
            order.push_back(v);
            for (int ei : adj[static_cast<size_t>(v)]) {
                const Edge& e = edges[static_cast<size_t>(ei)];
                const int w = e.n0 == v ? e.n1 : e.n0;
                if (comp[static_cast<size_t>(w)] >= 0) continue;
                comp[static_cast<size_t>(w)] = c;
                parent[static_cast<size_t>(w)] = v;
                parentEdge[static_cast<size_t>(w)] = ei;
                depth[static_cast<size_t>(w)] = depth[static_cast<size_t>(v)] + 1;
                treeEdge[static_cast<size_t>(ei)] = 1;
                queue.push_back(w);
            }
        }
    }
    for (auto& e : edges) e.flex = Flex(e.L, e.tf0, e.tf1);
    // Fundamental cycles: edge list with orientation signs.
    std::vector<std::vector<std::pair<int, int>>> cells;
    for (size_t i = 0; i < ne; ++i) {
        if (treeEdge[i]) continue;
        const Edge& e = edges[i];
        // Cycle: n0 -> n1 along e, then from n1 back to n0 through the tree.
        std::vector<std::pair<int, int>> cyc{{static_cast<int>(i), +1}};
        int a = e.n1, bnode = e.n0;
        std::vector<std::pair<int, int>> tail;  // from n0 side, reversed later
        while (a != bnode) {
            if (depth[static_cast<size_t>(a)] >= depth[static_cast<size_t>(bnode)]) {
                const int pe = parentEdge[static_cast<size_t>(a)];
                const Edge& t = edges[static_cast<size_t>(pe)];
                cyc.push_back({pe, t.n0 == a ? +1 : -1});  // walking a -> parent
                a = parent[static_cast<size_t>(a)];
            } else {
                const int pe = parentEdge[static_cast<size_t>(bnode)];
                const Edge& t = edges[static_cast<size_t>(pe)];
                tail.push_back({pe, t.n1 == bnode ? +1 : -1});  // walking parent -> bnode
                bnode = parent[static_cast<size_t>(bnode)];
            }
        }
        for (auto it = tail.rbegin(); it != tail.rend(); ++it) cyc.push_back(*it);
        cells.push_back(std::move(cyc));
    }
    const size_t nc = cells.size();
    std::vector<double> F(nc * nc, 0.0), cellArea(nc, 0.0);
    {
        std::vector<std::vector<int>> signOf(nc, std::vector<int>(ne, 0));
        for (size_t c = 0; c < nc; ++c)
            for (auto [ei, s] : cells[c]) {
                signOf[c][static_cast<size_t>(ei)] += s;
                edges[static_cast<size_t>(ei)].inCell = true;
                const Edge& e = edges[static_cast<size_t>(ei)];
                cellArea[c] += 0.5 * s * Cross(e.p0, e.p1);
            }
        for (size_t c = 0; c < nc; ++c)
            for (size_t d = 0; d < nc; ++d) {
                double f = 0;
                for (size_t i = 0; i < ne; ++i)
                    if (signOf[c][i] && signOf[d][i]) f += signOf[c][i] * signOf[d][i] * edges[i].flex;
                F[c * nc + d] = f;
            }
    }
    double Itg = 0;
    std::vector<double> psiCell(nc, 0.0);
    if (nc > 0) {
        std::vector<double> rhs(nc);
        for (size_t c = 0; c < nc; ++c) rhs[c] = 2.0 * cellArea[c];
        if (Solve(F, rhs, nc)) psiCell = rhs;
        for (size_t c = 0; c < nc; ++c) Itg += 2.0 * cellArea[c] * psiCell[c];
        for (size_t c = 0; c < nc; ++c)
            for (auto [ei, s] : cells[c]) edges[static_cast<size_t>(ei)].psi += s * psiCell[c];
    }

    // ---- St Venant torsion of the open parts --------------------------------
    double Ito = 0;
    for (const auto& e : edges) {
        if (e.inCell || !e.torsionOpen) continue;
        for (int k = 0; k < 3; ++k) {
            const double t = e.tf0 + (e.tf1 - e.tf0) * kG3u[k];
            Ito += kG3w[k] * t * t * t / 3.0 * e.L;
        }
    }
    Recognise(lines, b.tol, out.sqs);
    const SektSqs& sq = out.sqs;
    if (sq.Ptyp == 0 && sq.Ptyp2 == 0 && std::fabs(sq.bo - sq.bu) < 1e-5 && std::fabs(sq.to - sq.tu) < 1e-5)
        Ito = RolledISectionTorsion(sq.hs, sq.bo, sq.ts, sq.to, sq.ro);

    // ---- warping ordinates about the origin ----------------------------------
    std::vector<double> wn(nn, 0.0);
    auto edgeDw = [](const Edge& e) {  // increment n0 -> n1
        const V2 d = e.p1 - e.p0;
        return (e.p0.y * d.z - e.p0.z * d.y) - e.psi * e.flex * (e.inCell ? 1.0 : 0.0);
    };
    for (int v : order) {
        const int pe = parentEdge[static_cast<size_t>(v)];
        if (pe < 0) {
            wn[static_cast<size_t>(v)] = 0;
            continue;
        }
        const Edge& e = edges[static_cast<size_t>(pe)];
        const int p = parent[static_cast<size_t>(v)];
        wn[static_cast<size_t>(v)] = wn[static_cast<size_t>(p)] + (e.n1 == v ? edgeDw(e) : -edgeDw(e));
    }
    for (auto& e : edges) {
        e.w0 = wn[static_cast<size_t>(e.n0)];
        e.w1 = wn[static_cast<size_t>(e.n1)];
    }
    // Shear centre from the orthogonality of the ordinates to y and z.
    double IwY = 0, IwZ = 0;
    ForEachWallPoint(edges, [&](const Edge& e, double u, double y, double z, double wdA) {
        const double w = e.w0 + (e.w1 - e.w0) * u;
        IwY += w * (y - yl) * wdA;
        IwZ += w * (z - zl) * wdA;
    });
    double ym = yl, zm = zl;
    const double det = IZZ * IYY - IYZ * IYZ;
    if (det > 1e-10 * (IZZ + IYY) * (IZZ + IYY) && det > 0) {
        ym = (IwZ * IZZ - IwY * IYZ) / det;
        zm = (IwZ * IYZ - IwY * IYY) / det;
    }
    // Normalisation: w_M = w + c - ym*z + zm*y has zero mean.
    double sumM = 0;
    ForEachWallPoint(edges, [&](const Edge& e, double u, double y, double z, double wdA) {
        sumM += (e.w0 + (e.w1 - e.w0) * u - ym * z + zm * y) * wdA;
    });
    const double cw = -sumM / Al;
    for (auto& e : edges) {
        e.w0 += cw;
        e.w1 += cw;
    }
    double Iw = 0, Ayw = 0, Azw = 0, Aww = 0, meanW = 0;
    ForEachWallPoint(edges, [&](const Edge& e, double u, double y, double z, double wdA) {
        const double w = e.w0 + (e.w1 - e.w0) * u;
        const double wM = w - ym * z + zm * y;
        Iw += wM * wM * wdA;
        Ayw += (y - y0) * w * wdA;
        Azw += (z - z0) * w * wdA;
        Aww += w * w * wdA;
        meanW += w * wdA;
    });
    meanW /= Al;

    // ---- static moments along the walls --------------------------------------
    // Root fillets carry shear as part of the stem they widen: the area of
    // each one joins the flow where the stem's plate piece starts at the
    // face of the plate it butts into, so that a stem point beyond the
    // fillets has the static moment of the full section, fillets included
    // (tau = V S / (I t); for a point within a fillet's length the fillet
    // counts whole and t is the stem's own thickness: on the safe side).
    // The moments refer to the centroid of the walls and the fillets, about
    // which their sum vanishes.
    std::vector<double> lumpA(nn, 0.0), lumpY(nn, 0.0), lumpZ(nn, 0.0);
    double Af = 0, Sfy = 0, Sfz = 0;
    for (const auto& f : b.fillets) {
        size_t at = 0;
        double best = 1e300;
        for (size_t v = 0; v < nn; ++v)
            if (const double dist = Norm(nodes[v] - f.foot); dist < best) {
                best = dist;
                at = v;
            }
        if (nn == 0 || adj[at].empty()) continue;
        Moments m;
        AddFillet(f, m);
        lumpA[at] += m.A;
        lumpY[at] += m.Sy;
        lumpZ[at] += m.Sz;
        Af += m.A;
        Sfy += m.Sy;
        Sfz += m.Sz;
    }
    const double yr = (Sly + Sfy) / (Al + Af), zr = (Slz + Sfz) / (Al + Af);
    std::vector<double> lumpSy(nn), lumpSz(nn);
    for (size_t v = 0; v < nn; ++v) {
        lumpSy[v] = lumpY[v] - yr * lumpA[v];
        lumpSz[v] = lumpZ[v] - zr * lumpA[v];
    }
    // f per edge: linear values at both ends; F_e = integral f t ds; lumps
    // per node (or none).
    auto staticMoments = [&](auto fAt, const std::vector<double>& lumps) {
        // fAt(edge, u) -> f value
        std::vector<double> Fe(ne, 0.0);
        for (size_t i = 0; i < ne; ++i) {
            const Edge& e = edges[i];
            if (!e.real) continue;
            for (int k = 0; k < 3; ++k) {
                const double u = kG3u[k];
                Fe[i] += kG3w[k] * fAt(e, u) * (e.t0 + (e.t1 - e.t0) * u) * e.L;
            }
        }
        std::vector<double> inflow(nn, 0.0), sub(nn, 0.0), start(ne, 0.0);
        for (size_t i = 0; i < ne; ++i)
            if (!treeEdge[i]) inflow[static_cast<size_t>(edges[i].n1)] += Fe[i];  // cut at its start
        for (size_t v = 0; v < lumps.size() && v < nn; ++v) inflow[v] += lumps[v];
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            const int v = *it;
            sub[static_cast<size_t>(v)] += inflow[static_cast<size_t>(v)];
            const int pe = parentEdge[static_cast<size_t>(v)];
            if (pe < 0) continue;
            const Edge& e = edges[static_cast<size_t>(pe)];
            const double s = sub[static_cast<size_t>(v)];
            start[static_cast<size_t>(pe)] = (e.n0 == v) ? s : -(s + Fe[static_cast<size_t>(pe)]);
            sub[static_cast<size_t>(parent[static_cast<size_t>(v)])] += s + Fe[static_cast<size_t>(pe)];
        }
        if (nc > 0) {
            // Circulating parts: no twist of any cell from the shear flows.
            std::vector<double> g(nc, 0.0);
            for (size_t c = 0; c < nc; ++c)
                for (auto [ei, s] : cells[c]) {
                    const Edge& e = edges[static_cast<size_t>(ei)];
                    // integral S(u)/tf ds with S(u) = start + int_0^u f t ds
                    double f0 = 0, f1 = 0;
                    if (e.real) {
                        f0 = fAt(e, 0.0);
                        f1 = fAt(e, 1.0);
                    }
                    const double df = f1 - f0, dt = e.t1 - e.t0;
                    double I = 0;
                    for (int k = 0; k < 5; ++k) {
                        const double u = kG5u[k];
                        const double S = start[static_cast<size_t>(ei)] +
                                         e.L * (f0 * e.t0 * u + (f0 * dt + e.t0 * df) * u * u / 2 + df * dt * u * u * u / 3);
                        const double tf = e.tf0 + (e.tf1 - e.tf0) * u;
                        I += kG5w[k] * S / tf * e.L;
                    }
                    g[c] += s * I;
                }
            std::vector<double> X(nc);
            for (size_t c = 0; c < nc; ++c) X[c] = -g[c];
            if (Solve(F, X, nc))
                for (size_t c = 0; c < nc; ++c)
                    for (auto [ei, s] : cells[c]) start[static_cast<size_t>(ei)] += s * X[c];
        }
        return std::make_pair(start, Fe);
    };
    auto lin = [](double a, double b2, double u) { return a + (b2 - a) * u; };
    auto [Sy0, FeY] = staticMoments([&](const Edge& e, double u) { return lin(e.p0.y, e.p1.y, u) - yr; }, lumpSy);
    auto [Sz0, FeZ] = staticMoments([&](const Edge& e, double u) { return lin(e.p0.z, e.p1.z, u) - zr; }, lumpSz);
    auto [Sw0, FeW] = staticMoments([&](const Edge& e, double u) { return lin(e.w0, e.w1, u) - meanW; },
                                    std::vector<double>());

    // ---- results ----------------------------------------------------------------
    double ymi = 1e300, yma = -1e300, zmi = 1e300, zma = -1e300;
    auto extend = [&](V2 p) {
        ymi = std::min(ymi, p.y);
        yma = std::max(yma, p.y);
        zmi = std::min(zmi, p.z);
        zma = std::max(zma, p.z);
    };
    const double It = Ito + Itg;
    for (size_t i = 0; i < ne; ++i) {
        const Edge& e = edges[i];
        if (!e.real) continue;
        const V2 d = e.p1 - e.p0;
        const V2 n{-d.z / e.L, d.y / e.L};
        extend(e.p0 + (0.5 * e.t0) * n);
        extend(e.p0 - (0.5 * e.t0) * n);
        extend(e.p1 + (0.5 * e.t1) * n);
        extend(e.p1 - (0.5 * e.t1) * n);
        SektTqe q{};
        q.type = e.type;
        q.line = e.line;
        q.ta = e.t0;
        q.te = e.t1;
        q.fa = 0;
        q.area = 0.5 * (e.t0 + e.t1) * e.L;
        q.ya = e.p0.y;
        q.ye = e.p1.y;
        q.za = e.p0.z;
        q.ze = e.p1.z;
        q.wa = e.w0;
        q.we = e.w1;
        q.Sya = Sy0[i];
        q.Sye = Sy0[i] + FeY[i];
        q.Sza = Sz0[i];
        q.Sze = Sz0[i] + FeZ[i];
        q.Swa = Sw0[i];
        q.Swe = Sw0[i] + FeW[i];
        q.qT = (e.inCell && It > 0) ? e.psi / It : 0.0;
        q.L = e.L;
        q.exclude = 0;
        for (int k = 0; k < 4; ++k) q.r[k] = e.r[k];
        out.tqe.push_back(q);

        // Plate outline.
        const V2 c[4] = {e.p0 + (0.5 * e.t0) * n, e.p1 + (0.5 * e.t1) * n, e.p1 - (0.5 * e.t1) * n,
                         e.p0 - (0.5 * e.t0) * n};
        for (int k = 0; k < 5; ++k) out.drawing.push_back({c[k % 4].y, c[k % 4].z, k == 0 ? -1 : 0, 0});
    }
    for (const auto& f : b.fillets) {
        const V2 a = f.c + f.r * f.d, cc = f.c + f.r * f.d + f.r * f.m, bb = f.c + f.r * f.m;
        out.drawing.push_back({f.c.y, f.c.z, -1, 0});
        out.drawing.push_back({a.y, a.z, 0, 0});
        // The fillet's quarter arc from a to bb: kind 2 turns positively
        // (from y towards z), -2 negatively.
        const double turn = (a.y - cc.y) * (bb.z - cc.z) - (a.z - cc.z) * (bb.y - cc.y);
        out.drawing.push_back({cc.y, cc.z, turn >= 0 ? 2 : -2, 0});
        out.drawing.push_back({bb.y, bb.z, 0, 0});
        out.drawing.push_back({f.c.y, f.c.z, 0, 0});
    }

    // Axes turned by phi (y' = y cos + z sin) carry no product moment; y' is the major axis.
    const double phi = 0.5 * std::atan2(-2.0 * Iyz, Iy - Iz);
    SektGqs& G = out.gqs;
    G.A = g.A;
    G.Ito = Ito;
    G.Itg = Itg;
    G.y0 = y0;
    G.z0 = z0;
    G.Ayy = Iy;
    G.Ayz = Iyz;
    G.Azz = Iz;
    G.Ayw = Ayw;
    G.Azw = Azw;
    G.Aww = Aww;
    G.phi = std::fabs(phi) < 1e-12 ? 0.0 : phi;
    G.ym = ym;
    G.zm = zm;
    G.Byy = Byy;
    G.Bzz = Bzz;
    G.Bww = Iw;

    SektTqs& T = out.tqs;
    T.ymi = ymi;
    T.yma = yma;
    T.zmi = zmi;
    T.zma = zma;
    T.y0 = y0;
    T.z0 = z0;
    T.w0 = cw;
    T.nCells = static_cast<double>(nc);
    T.ym = ym;
    T.zm = zm;
    T.A = g.A;
    T.Ito = Ito;
    T.Itg = Itg;
    T.Azz = Iz;
    T.Ayy = Iy;
    T.phi = G.phi;
    T.Ayz = Iyz;
    T.Ayw = Ayw;
    T.Azw = Azw;
    T.Aww = Aww;
    T.Aline = Al;
    T.Bww = Iw;
    T.It = It;
    return 1;
}

}  // namespace zidezaz::detail
