// The 3-D picture: faces, lines and texts in space, seen through an
// orthographic camera, sorted back to front and shaded flat.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/kurvo/checks.h"
#include "platform/kurvo/kurvo.h"

namespace kurvo {

namespace {

constexpr double kPi = std::numbers::pi;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Len(Vec3 a) { return std::sqrt(Dot(a, a)); }

struct Face {
    std::vector<Vec3> pts;
    COLORREF colour = 0;
    bool filled = true;
};
struct Edge {
    std::vector<Vec3> pts;
    COLORREF colour = 0;
    int width = 1;
};
struct Label {
    Vec3 at;
    std::string text;
    COLORREF colour = 0;
    double size = 12;
};

COLORREF Shade(COLORREF c, double f) {
    auto ch = [&](int shift) {
        return static_cast<COLORREF>(std::clamp(static_cast<int>(((c >> shift) & 0xFF) * f + 0.5), 0, 255)) << shift;
    };
    return ch(0) | ch(8) | ch(16);
}

// A text's box on the surface: the left end of its base line, its width and
// height in pixels.
struct TextBox {
    double left = 0, baseline = 0, width = 0, height = 0;
    bool Overlaps(const TextBox& o) const {
        return left < o.left + o.width + 2 && o.left < left + width + 2 && baseline - height < o.baseline + 1 &&
               o.baseline - o.height < baseline + 1;
    }
};

// The place of a text wanted at (left, baseline): moved inside the surface
// of width × height, then up a line at a time (down once it reaches the top)
// until it covers no text placed before it.
TextBox PlaceText(PointF wanted, double w, double h, int width, int height, const std::vector<TextBox>& placed) {
    auto inside = [&](TextBox b) {
        b.left = std::clamp(b.left, 2.0, std::max(2.0, width - 2.0 - b.width));
        b.baseline = std::clamp(b.baseline, b.height + 1.0, std::max(b.height + 1.0, height - 3.0));
        return b;
    };
    auto free = [&](const TextBox& b) {
        return std::none_of(placed.begin(), placed.end(), [&](const TextBox& o) { return b.Overlaps(o); });
    };
    const TextBox start = inside({wanted.x, wanted.y, w, h});
    const double step = h + 2;
    for (int dir : {-1, 1}) {
        TextBox b = start;
        for (int i = 0; i < 200; ++i) {
            if (free(b)) return b;
            const TextBox next = inside({b.left, b.baseline + dir * step, w, h});
            if (next.baseline == b.baseline) break;  // at the edge
            b = next;
        }
    }
    return start;
}

double Luminance(COLORREF c) {
    return (0.299 * (c & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * ((c >> 16) & 0xFF)) / 255.0;
}

// A text colour that reads on the background: a light colour on a light
// background is darkened (the same hue) until it stands 0.3 in luminance
// below it, a dark one on a dark background lightened likewise.
COLORREF Legible(COLORREF c, COLORREF background) {
    const double lc = Luminance(c), lb = Luminance(background);
    if (lb >= 0.5 && lc > lb - 0.55) {
        const double target = std::max(0.0, lb - 0.55);
        return lc > 0 ? Shade(c, target / lc) : c;
    }
    if (lb < 0.5 && lc < lb + 0.55) {
        const double target = std::min(1.0, lb + 0.55);
        return lc > 0 ? Shade(c, target / lc) : 0xFFFFFF;
    }
    return c;
}

}  // namespace

struct Graph3D::Impl {
    std::map<int32_t, std::vector<std::pair<double, double>>> contours;
    int32_t nextHandle = 1;
    std::vector<Face> faces;
    std::vector<Edge> edges;
    std::vector<Label> labels;
    COLORREF background = 0xFFFFFF, colour = 0x876E3A, edgeColour = 0;
    double textSize = 12;
    int edgeWidth = 1;
    bool showEdges = true, shading = true, autoFit = true;
    // Camera: dimetric start view.
    double azimuth = -30, elevation = 20, zoom = 1;

    // Projection: x right, y up on screen, depth away from the viewer.
    Vec3 View(Vec3 p) const {
        const double a = azimuth * kPi / 180, e = elevation * kPi / 180;
        const double x1 = p.x * std::cos(a) - p.y * std::sin(a);
        const double y1 = p.x * std::sin(a) + p.y * std::cos(a);
        return {x1, p.z * std::cos(e) - y1 * std::sin(e), y1 * std::cos(e) + p.z * std::sin(e)};
    }
    void Arrow(Vec3 a, Vec3 b, double head) {
        edges.push_back({{a, b}, colour, 1});
        const Vec3 d = b - a;
        const double l = Len(d);
        if (l <= 0) return;
        const Vec3 u = (1 / l) * d;
        Vec3 side = Cross(u, {0, 0, 1});
        if (Len(side) < 1e-9) side = Cross(u, {0, 1, 0});
        side = (1 / Len(side)) * side;
        const double h = std::min(head, l);
        faces.push_back({{b, b - h * u + 0.35 * h * side, b - h * u - 0.35 * h * side}, colour, true});
    }
};

Graph3D::Graph3D() : impl_(std::make_unique<Impl>()) {}
Graph3D::~Graph3D() = default;

void Graph3D::SetSize(int width, int height) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
}

size_t Graph3D::FaceCount() const { return impl_->faces.size(); }

void Graph3D::Changed() {
    if (events_) events_->OnEvent(1, EventArgs{});
    if (repaint_) repaint_();
}

void Graph3D::Rotate(double dAz, double dEl) {
    impl_->azimuth = std::fmod(impl_->azimuth + dAz, 360.0);
    impl_->elevation = std::clamp(impl_->elevation + dEl, -89.0, 89.0);
    Changed();
}

void Graph3D::Zoom(double factor) {
    if (!(factor > 0) || !std::isfinite(factor)) return;
    impl_->zoom = std::clamp(impl_->zoom * factor, 0.05, 50.0);
    Changed();
}

void Graph3D::Fit() {
    impl_->zoom = 1;
    Changed();
}

namespace {

// Point argument i (three floats).
std::optional<Vec3> P(const Args& a, size_t i) {
    if (i >= a.size() || a[i].values.size() < 3) return std::nullopt;
    return Vec3{a[i].values[0], a[i].values[1], a[i].values[2]};
}

double N(const Args& a, size_t i, double def = 0) {
    return i < a.size() && a[i].kind != Arg::Text ? a[i].num : def;
}
std::string T(const Args& a, size_t i) { return i < a.size() ? a[i].text : std::string(); }

}  // namespace

int32_t Graph3D::Invoke(int id, const Args& args) {
    Impl& m = *impl_;
    if (!AllFinite(args)) return 0;
    switch (id) {
        case 3: {
            if (args.size() < 2 || args[0].num <= 0) return 0;
            const size_t n = static_cast<size_t>(args[0].num);
            if (n < 3 || args[1].values.size() < 3 * n) return 0;
            Face f;
            for (size_t i = 0; i < n; ++i)
                f.pts.push_back({args[1].values[3 * i], args[1].values[3 * i + 1], args[1].values[3 * i + 2]});
            f.colour = m.colour;
            f.filled = N(args, 2, 1) != 0;
            m.faces.push_back(std::move(f));
            return 0;
        }
        case 5: {
            if (args.size() < 2 || args[0].num < 3) return 0;
            const size_t n = static_cast<size_t>(args[0].num);
            if (args[1].values.size() < 2 * n) return 0;
            std::vector<std::pair<double, double>> c;
            for (size_t i = 0; i < n; ++i) c.emplace_back(args[1].values[2 * i], args[1].values[2 * i + 1]);
            const int32_t h = m.nextHandle++;
            m.contours[h] = std::move(c);
            return h;
        }
        case 6: {
            const auto p1 = P(args, 0), p2 = P(args, 1);
            if (!p1 || !p2 || args.size() < 4) return 0;
            auto c1 = m.contours.find(static_cast<int32_t>(args[2].num));
            auto c2 = m.contours.find(static_cast<int32_t>(args[3].num));
            if (c1 == m.contours.end() || c2 == m.contours.end()) return 0;
            const Vec3 d = *p2 - *p1;
            if (Len(d) <= 0) return 0;
            const Vec3 e1 = (1 / Len(d)) * d;
            Vec3 e2 = Cross({0, 0, 1}, e1);
            if (Len(e2) < 1e-9) e2 = {0, 1, 0};
            e2 = (1 / Len(e2)) * e2;
            Vec3 e3 = Cross(e1, e2);
            const Vec3 r2 = e2, r3 = e3;
            const auto& a = c1->second;
            const auto& b = c2->second.size() == a.size() ? c2->second : a;
            auto at = [&](Vec3 base, std::pair<double, double> q) { return base + q.first * r2 + (-q.second) * r3; };
            Face s, e;
            for (size_t i = 0; i < a.size(); ++i) {
                const size_t j = (i + 1) % a.size();
                m.faces.push_back({{at(*p1, a[i]), at(*p1, a[j]), at(*p2, b[j]), at(*p2, b[i])}, m.colour, true});
                s.pts.push_back(at(*p1, a[i]));
                e.pts.push_back(at(*p2, b[i]));
            }
            s.colour = e.colour = m.colour;
            m.faces.push_back(std::move(s));
            m.faces.push_back(std::move(e));
            return 0;
        }
        case 7:
            if (args.size() >= 4 && move_)
                move_(static_cast<int>(args[0].num), static_cast<int>(args[1].num), static_cast<int>(args[2].num),
                      static_cast<int>(args[3].num));
            return 0;
        case 12:
            if (!args.empty()) m.background = static_cast<COLORREF>(static_cast<int64_t>(args[0].num) & 0xFFFFFF);
            return 0;
        case 13: {
            const auto p1 = P(args, 0), p2 = P(args, 1);
            if (!p1 || !p2) return 0;
            m.edges.push_back({{*p1, *p2}, m.colour, 2});
            m.labels.push_back({0.5 * (*p1 + *p2), T(args, 4), m.colour, m.textSize});
            return 0;
        }
        case 14: {
            const auto p1 = P(args, 0), p2 = P(args, 1), p3 = P(args, 2);
            if (!p1 || !p2 || !p3) return 0;
            m.faces.push_back({{*p1, *p2, *p3}, m.colour, true});
            m.labels.push_back({*p2, T(args, 7), m.colour, m.textSize});
            m.labels.push_back({*p3, T(args, 8), m.colour, m.textSize});
            return 0;
        }
        case 16:
            if (!args.empty()) m.colour = static_cast<COLORREF>(static_cast<int64_t>(args[0].num) & 0xFFFFFF);
            if (args.size() > 3 && args[3].num > 0) m.textSize = std::min(args[3].num, 200.0);
            return 0;
        case 18: {
            const auto p1 = P(args, 0), p2 = P(args, 1), p3 = P(args, 2), p4 = P(args, 3);
            if (!p1 || !p2 || !p3 || !p4) return 0;
            m.faces.push_back({{*p1, *p2, *p3, *p4}, m.colour, true});
            m.labels.push_back({0.25 * (*p1 + *p2 + *p3 + *p4), T(args, 4), m.colour, m.textSize});
            return 0;
        }
        case 19:
            if (!args.empty()) m.edgeColour = static_cast<COLORREF>(static_cast<int64_t>(args[0].num) & 0xFFFFFF);
            if (args.size() > 1) m.showEdges = args[1].num != 0;
            if (args.size() > 2) m.edgeWidth = std::clamp(static_cast<int>(args[2].num), 1, 10);
            return 0;
        case 21: {
            const auto p1 = P(args, 0), p2 = P(args, 1);
            if (!p1 || !p2) return 0;
            m.Arrow(*p1, *p2, std::fabs(N(args, 2)));
            std::string text = T(args, 3);
            for (size_t i : {4u, 5u})
                if (!T(args, i).empty()) text += (text.empty() ? "" : " ") + T(args, i);
            m.labels.push_back({*p1, text, m.colour, m.textSize});
            return 0;
        }
        case 22: {
            const auto p1 = P(args, 0), p2 = P(args, 1), p3 = P(args, 2);
            if (!p1 || !p2 || !p3) return 0;
            m.faces.push_back({{*p1, *p2, *p3}, m.colour, N(args, 4, 1) != 0});
            return 0;
        }
        case 23:
            if (args.size() > 0) m.autoFit = args[0].num != 0;
            if (args.size() > 1) m.showEdges = args[1].num != 0;
            if (args.size() > 2) m.shading = args[2].num != 0;
            return 0;
        case 37: {
            const auto p1 = P(args, 0), v = P(args, 1);
            const double r = std::fabs(N(args, 2));
            if (!p1 || !v || !(r > 0) || !(Len(*v) > 0)) return 0;
            const Vec3 e1 = (1 / Len(*v)) * *v;
            Vec3 e2 = Cross({0, 0, 1}, e1);
            if (Len(e2) < 1e-9) e2 = {0, 1, 0};
            e2 = (1 / Len(e2)) * e2;
            const Vec3 e3 = Cross(e1, e2);
            const int n = 12;
            Face s0, s1;
            for (int i = 0; i < n; ++i) {
                const double a0 = 2 * kPi * i / n, a1 = 2 * kPi * (i + 1) / n;
                const Vec3 q0 = *p1 + r * std::cos(a0) * e2 + r * std::sin(a0) * e3;
                const Vec3 q1 = *p1 + r * std::cos(a1) * e2 + r * std::sin(a1) * e3;
                m.faces.push_back({{q0, q1, q1 + *v, q0 + *v}, m.colour, true});
                s0.pts.push_back(q0);
                s1.pts.push_back(q0 + *v);
            }
            s0.colour = s1.colour = m.colour;
            m.faces.push_back(std::move(s0));
            m.faces.push_back(std::move(s1));
            return 0;
        }
        case 41: {
            const auto p1 = P(args, 0), p2 = P(args, 1);
            if (!p1 || !p2) return 0;
            m.Arrow(*p1, *p2, std::fabs(N(args, 2)));
            m.labels.push_back({*p2, T(args, 3), m.colour, m.textSize});
            return 0;
        }
        default: return 0;
    }
}

void Graph3D::Render(Canvas& canvas) const {
    const Impl& m = *impl_;
    canvas.Clear(m.background);
    // Fit the projected content into the surface.
    double x1 = 1e300, x2 = -1e300, y1 = 1e300, y2 = -1e300;
    auto widen = [&](Vec3 p) {
        const Vec3 v = m.View(p);
        x1 = std::min(x1, v.x);
        x2 = std::max(x2, v.x);
        y1 = std::min(y1, v.y);
        y2 = std::max(y2, v.y);
    };
    for (const auto& f : m.faces)
        for (auto p : f.pts) widen(p);
    for (const auto& e : m.edges)
        for (auto p : e.pts) widen(p);
    if (x1 > x2) return;
    const double w = std::max(x2 - x1, 1e-9), h = std::max(y2 - y1, 1e-9);
    const double scale = std::min((width_ - 24.0) / (w * 1.1), (height_ - 24.0) / (h * 1.1)) * m.zoom;
    const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    auto screen = [&](Vec3 p) {
        const Vec3 v = m.View(p);
        return PointF{width_ / 2.0 + (v.x - cx) * scale, height_ / 2.0 - (v.y - cy) * scale};
    };
    struct Item {
        double depth;
        const Face* face;
        const Edge* edge;
        const Label* label;
    };
    std::vector<Item> items;
    auto depthOf = [&](const std::vector<Vec3>& pts) {
        double d = 0;
        for (auto p : pts) d += m.View(p).z;
        return d / static_cast<double>(pts.size());
    };
    for (const auto& f : m.faces) items.push_back({depthOf(f.pts), &f, nullptr, nullptr});
    for (const auto& e : m.edges) items.push_back({depthOf(e.pts), nullptr, &e, nullptr});
    for (const auto& l : m.labels) items.push_back({-1e300, nullptr, nullptr, &l});
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.depth > b.depth; });
    std::vector<const Label*> labels;
    for (const auto& it : items) {
        if (it.face) {
            std::vector<PointF> pts;
            for (auto p : it.face->pts) pts.push_back(screen(p));
            COLORREF c = it.face->colour;
            if (m.shading && it.face->pts.size() >= 3) {
                const Vec3 a = m.View(it.face->pts[0]), b = m.View(it.face->pts[1]), d = m.View(it.face->pts[2]);
                const Vec3 n = Cross(b - a, d - a);
                const double l = Len(n);
                const double f = l > 0 ? std::fabs(n.z) / l : 1;
                c = Shade(c, 0.45 + 0.75 * f);
            }
            const Pen pen{m.edgeColour, m.showEdges ? m.edgeWidth : 0, 0};
            canvas.Polygon(pts, pen, it.face->filled ? std::optional<COLORREF>(c) : std::nullopt);
        } else if (it.edge) {
            std::vector<PointF> pts;
            for (auto p : it.edge->pts) pts.push_back(screen(p));
            canvas.Polyline(pts, Pen{it.edge->colour, it.edge->width, 0});
        } else if (it.label && !it.label->text.empty()) {
            labels.push_back(it.label);
        }
    }
    // The texts last, over the picture: each beside its point, moved off the
    // texts placed before it and kept inside the surface, in a colour that
    // stands out from the background.
    std::vector<TextBox> placed;
    for (const Label* l : labels) {
        const PointF p = screen(l->at);
        const double w = canvas.TextWidth(l->size, l->text);
        const TextBox box = PlaceText({p.x + 3, p.y - 3}, w, l->size, width_, height_, placed);
        placed.push_back(box);
        canvas.Text({box.left, box.baseline}, 0, l->size, l->text, Legible(l->colour, m.background), 0, false);
    }
}

}  // namespace kurvo
