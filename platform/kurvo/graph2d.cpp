// The 2-D picture: method calls turned into elements of groups, the view,
// rendering, hit testing and the mouse protocol.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "platform/kurvo/kurvo.h"
#include "platform/kurvo/metafile_canvas.h"
#include "platform/kurvo/checks.h"

namespace kurvo {

Control::~Control() = default;
Canvas::~Canvas() = default;

double Canvas::TextWidth(double heightPx, std::string_view text) {
    size_t characters = 0;
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
    return 0.6 * heightPx * static_cast<double>(characters);
}
Events::~Events() = default;

namespace {

constexpr double kPi = std::numbers::pi;

std::string Num(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string FormatCall(int dispid, const Args& args) {
    std::string s = "Method" + std::to_string(dispid) + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        const Arg& a = args[i];
        if (i) s += ',';
        switch (a.kind) {
            case Arg::Colour: {
                char buf[16];
                std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(a.num));
                s += buf;
                break;
            }
            case Arg::Text: s += '"' + a.text + '"'; break;
            case Arg::Doubles:
            case Arg::Floats:
                s += '[';
                for (size_t k = 0; k < a.values.size(); ++k) s += (k ? "," : "") + Num(a.values[k]);
                s += ']';
                break;
            default: s += Num(a.num); break;
        }
    }
    return s + ")";
}

void BoxF::Add(double x, double y) {
    if (empty) {
        x1 = x2 = x;
        y1 = y2 = y;
        empty = false;
        return;
    }
    x1 = std::min(x1, x);
    x2 = std::max(x2, x);
    y1 = std::min(y1, y);
    y2 = std::max(y2, y);
}

// ---- elements ----------------------------------------------------------------

namespace {

struct Style {
    COLORREF colour = 0;
    int line = 0;
    int fill = 0;
    bool bold = false;
};

struct Element {
    enum Kind { Line, Polygon, Text } kind = Line;
    std::vector<PointF> pts;  // line: polyline; polygon: closed
    bool filled = false;      // polygon filled regardless of the style (arrow heads, marks)
    bool outlineOnly = false; // polygon never filled (frames, open markers)
    Style style;
    double angle = 0, height = 0;  // text
    int align = 0;
    std::string text;
};

struct Group {
    int32_t id = 0;
    int32_t kind = 0;
    std::vector<Element> elements;
    double dx = 0, dy = 0;
};

struct Affine {
    double dx = 0, dy = 0, a11 = 1, a12 = 0, a21 = 0, a22 = 1;
    PointF operator()(PointF p) const { return {a11 * p.x + a12 * p.y + dx, a21 * p.x + a22 * p.y + dy}; }
    double Angle() const { return std::atan2(a21, a11) * 180 / kPi; }
    double Stretch() const { return std::sqrt(std::fabs(a11 * a22 - a12 * a21)); }
};

PointF Turn(PointF p, double deg) {
    const double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180);
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

PointF Add(PointF a, PointF b) { return {a.x + b.x, a.y + b.y}; }

// The unit normal to the left of the direction a -> b and the length of ab;
// false for a zero length.
bool LeftNormal(PointF a, PointF b, PointF& n, double& len) {
    len = std::hypot(b.x - a.x, b.y - a.y);
    if (!(len > 0)) return false;
    n = {-(b.y - a.y) / len, (b.x - a.x) / len};
    return true;
}

std::vector<PointF> Circle(PointF c, double r, double from = 0, double sweep = 360, int steps = 36) {
    std::vector<PointF> v;
    for (int i = 0; i <= steps; ++i) {
        const double a = (from + sweep * i / steps) * kPi / 180;
        v.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return v;
}

Pen PenOf(const Style& s) {
    Pen p;
    p.colour = s.colour;
    switch (s.line) {
        case 1: p.width = 2; break;
        case 2: p.dash = 2; break;
        case 3: p.dash = 1; break;
        case 4: p.width = 3; break;
        default: break;
    }
    return p;
}

double DistToSegment(PointF p, PointF a, PointF b) {
    const double vx = b.x - a.x, vy = b.y - a.y;
    const double l2 = vx * vx + vy * vy;
    double t = l2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / l2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

bool Inside(PointF p, const std::vector<PointF>& poly) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        if ((poly[i].y > p.y) != (poly[j].y > p.y) &&
            p.x < (poly[j].x - poly[i].x) * (p.y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
            in = !in;
    }
    return in;
}

}  // namespace

struct Graph2D::Impl {
    std::vector<Group> groups;
    Style style;
    Affine transform;
    std::string title;
    int minText = 8, titleSize = 0;
    bool axes = false, secondDown = false;
    std::string xName, yName;
    std::optional<PointF> marker;
    int markerKind = 0;
    BoxF window;  // Method34; empty: fit

    Group& Current() {
        if (groups.empty()) groups.push_back({});
        return groups.back();
    }
    Group* Find(int32_t id) {
        for (auto& g : groups)
            if (g.id == id) return &g;
        return nullptr;
    }
    const Group* Find(int32_t id) const { return const_cast<Impl*>(this)->Find(id); }

    void AddElement(Element e) {
        for (auto& p : e.pts) p = transform(p);
        if (e.kind == Element::Text) {
            e.angle += transform.Angle();
            e.height *= transform.Stretch();
        }
        e.style = style;
        Current().elements.push_back(std::move(e));
    }
    static Element Make(Element::Kind kind, std::vector<PointF> pts) {
        Element e;
        e.kind = kind;
        e.pts = std::move(pts);
        return e;
    }
    void Line(std::vector<PointF> pts) { AddElement(Make(Element::Line, std::move(pts))); }
    void Poly(std::vector<PointF> pts, bool forceFill = false, bool outlineOnly = false) {
        Element e = Make(Element::Polygon, std::move(pts));
        e.filled = forceFill;
        e.outlineOnly = outlineOnly;
        AddElement(std::move(e));
    }
    void Text(PointF p, double angle, double height, std::string text, int align = 0) {
        if (text.empty() || !(height > 0)) return;
        Element e = Make(Element::Text, {p});
        e.angle = angle;
        e.height = height;
        e.text = std::move(text);
        e.align = align;
        AddElement(std::move(e));
    }
    // An arrow head with its tip at p pointing along direction deg.
    void Head(PointF tip, double deg, double len) {
        const PointF a = Add(tip, Turn({-len, 0.35 * len}, deg));
        const PointF b = Add(tip, Turn({-len, -0.35 * len}, deg));
        Poly({tip, a, b}, true);
    }

    BoxF Content() const;
};

namespace {

// Rough extent of a text for fitting and hit testing.
void AddTextBox(BoxF& box, const Element& e, double dx, double dy) {
    const double w = 0.6 * e.height * static_cast<double>(e.text.size());
    PointF p = e.pts[0];
    const double shift = e.align == 1 ? -w : (e.align == 2 ? -w / 2 : 0);
    for (PointF c : {PointF{shift, 0}, PointF{shift + w, 0}, PointF{shift, e.height}, PointF{shift + w, e.height}}) {
        const PointF q = Add(p, Turn(c, e.angle));
        box.Add(q.x + dx, q.y + dy);
    }
}

BoxF GroupBoxOf(const Group& g) {
    BoxF b;
    for (const auto& e : g.elements) {
        if (e.kind == Element::Text)
            AddTextBox(b, e, g.dx, g.dy);
        else
            for (const auto& p : e.pts) b.Add(p.x + g.dx, p.y + g.dy);
    }
    return b;
}

}  // namespace

BoxF Graph2D::Impl::Content() const {
    BoxF b;
    for (const auto& g : groups) {
        BoxF gb = GroupBoxOf(g);
        if (!gb.empty) {
            b.Add(gb.x1, gb.y1);
            b.Add(gb.x2, gb.y2);
        }
    }
    return b;
}

Graph2D::Graph2D() : impl_(std::make_unique<Impl>()) {}
Graph2D::~Graph2D() = default;

void Graph2D::SetSize(int width, int height) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
}

size_t Graph2D::ElementCount() const {
    size_t n = 0;
    for (const auto& g : impl_->groups) n += g.elements.size();
    return n;
}

bool Graph2D::HasGroup(int32_t group) const { return impl_->Find(group) != nullptr; }

BoxF Graph2D::GroupBox(int32_t group) const {
    const Group* g = impl_->Find(group);
    return g ? GroupBoxOf(*g) : BoxF{};
}

// ---- view --------------------------------------------------------------------

namespace {
struct View {
    double scale = 1, ox = 0, oy = 0;
};

View ViewOf(const Graph2D::Impl& m, int width, int height) {
    BoxF b = m.window;
    if (b.empty) b = m.Content();
    const double top = m.titleSize > 0 ? m.titleSize + 8 : 0;
    const double margin = 12;
    const double aw = std::max(1.0, width - 2 * margin), ah = std::max(1.0, height - 2 * margin - top);
    View v;
    if (b.empty) {
        v.ox = width / 2.0;
        v.oy = height / 2.0;
        return v;
    }
    double w = b.x2 - b.x1, h = b.y2 - b.y1;
    if (w <= 0 && h <= 0) w = h = 1;
    // A margin of 5 % of the content on every side.
    const double fw = w * 1.1, fh = h * 1.1;
    v.scale = std::min(fw > 0 ? aw / fw : 1e300, fh > 0 ? ah / fh : 1e300);
    const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
    v.ox = width / 2.0 - cx * v.scale;
    v.oy = top + margin + ah / 2 + cy * v.scale;
    return v;
}
}  // namespace

double Graph2D::Scale() const { return ViewOf(*impl_, width_, height_).scale; }

PointF Graph2D::ToPixel(PointF p) const {
    const View v = ViewOf(*impl_, width_, height_);
    return {v.ox + p.x * v.scale, v.oy - p.y * v.scale};
}

PointF Graph2D::ToDrawing(PointF px) const {
    const View v = ViewOf(*impl_, width_, height_);
    return {(px.x - v.ox) / v.scale, (v.oy - px.y) / v.scale};
}

// ---- methods -------------------------------------------------------------------

namespace {

// The numbers of the first n arguments, or nothing when there are fewer or
// one is not a number.
// The first numbers of a call (at most eight; no method takes more), held
// without an allocation: a report diagram makes tens of thousands of calls.
struct NumList {
    std::array<double, 8> v{};
    double operator[](size_t i) const { return v[i]; }
};

std::optional<NumList> Nums(const Args& a, size_t n) {
    if (a.size() < n || n > NumList{}.v.size()) return std::nullopt;
    NumList v;
    for (size_t i = 0; i < n; ++i) {
        if (a[i].kind == Arg::Text || a[i].kind == Arg::Doubles || a[i].kind == Arg::Floats) return std::nullopt;
        v.v[i] = a[i].num;
    }
    return v;
}

std::string TextAt(const Args& a, size_t i) { return i < a.size() ? a[i].text : std::string(); }

}  // namespace

int32_t Graph2D::Invoke(int id, const Args& args) {
    Impl& m = *impl_;
    if (!AllFinite(args)) return 0;
    auto need = [&](size_t n) { return Nums(args, n); };
    switch (id) {
        case 1:
            *impl_ = Impl{};
            menu_.clear();
            return 0;
        case 3:
            if (auto v = need(4)) m.Line({{(*v)[0], (*v)[1]}, {(*v)[2], (*v)[3]}});
            return 0;
        case 5: {
            if (args.size() < 3 || args[0].num <= 0) return 0;
            const size_t n = static_cast<size_t>(args[0].num);
            if (args[1].values.size() < n || args[2].values.size() < n || n < 2) return 0;
            std::vector<PointF> pts;
            for (size_t i = 0; i < n; ++i) pts.push_back({args[1].values[i], args[2].values[i]});
            m.Poly(std::move(pts));
            return 0;
        }
        case 6:
            if (auto v = need(4)) {
                const auto& d = *v;
                m.Poly({{d[0], d[1]}, {d[2], d[1]}, {d[2], d[3]}, {d[0], d[3]}});
            }
            return 0;
        case 7:
            if (auto v = need(4)) m.Text({(*v)[0], (*v)[1]}, (*v)[2], (*v)[3], TextAt(args, 4));
            return 0;
        case 8:
            if (auto v = need(4)) {
                const PointF c{(*v)[0], (*v)[1]};
                const double r = std::fabs((*v)[2]) / 2;
                const int kind = static_cast<int>((*v)[3]);
                if (r <= 0) return 0;
                if (kind == 0)
                    m.Poly(Circle(c, r), false, true);
                else if (kind == 1)
                    m.Poly(Circle(c, r), true);
                else if (kind == 2)
                    m.Poly({{c.x - r, c.y - r}, {c.x + r, c.y - r}, {c.x + r, c.y + r}, {c.x - r, c.y + r}}, false,
                           true);
                else {
                    m.Line({{c.x - r, c.y - r}, {c.x + r, c.y + r}});
                    m.Line({{c.x - r, c.y + r}, {c.x + r, c.y - r}});
                }
                m.Text({c.x + 1.5 * r, c.y - r}, 0, 2 * r, TextAt(args, 4));
            }
            return 0;
        case 9:
            if (auto v = need(6)) {
                const auto& d = *v;
                m.Line({{d[0], d[1]}, {d[2], d[3]}});
                m.Text({d[2], d[3]}, d[4], d[5], TextAt(args, 6));
            }
            return 0;
        case 11:
            if (auto v = need(8)) {
                const auto& d = *v;
                const int align = args.size() > 9 ? static_cast<int>(args[9].num) : 0;
                const PointF c{(d[0] + d[2]) / 2 + d[4] * d[7], (d[1] + d[3]) / 2 + d[5] * d[7]};
                if (args.size() > 10 && args[10].num != 0)
                    m.Poly({{d[0], d[1]}, {d[2], d[1]}, {d[2], d[3]}, {d[0], d[3]}}, false, true);
                m.Text(c, d[6], d[7], TextAt(args, 8), align == 1 ? 1 : (align == 2 ? 2 : 0));
            }
            return 0;
        case 12:
            if (auto v = need(8)) {
                const auto& d = *v;
                const PointF a{d[0], d[1]}, b{d[2], d[3]};
                double len = 0;
                PointF n;
                if (!LeftNormal(a, b, n, len)) return 0;
                const double off = d[5], th = std::max(d[7], 0.0), ext = th * 0.5;
                const PointF a2{a.x + n.x * off, a.y + n.y * off}, b2{b.x + n.x * off, b.y + n.y * off};
                const double sgn = off >= 0 ? 1 : -1;
                m.Line({a, {a2.x + sgn * n.x * ext, a2.y + sgn * n.y * ext}});
                m.Line({b, {b2.x + sgn * n.x * ext, b2.y + sgn * n.y * ext}});
                m.Line({a2, b2});
                // Oblique ticks at both ends, as long as the text is high.
                const PointF t{(n.x + (b.x - a.x) / len) * th * 0.35, (n.y + (b.y - a.y) / len) * th * 0.35};
                m.Line({{a2.x - t.x, a2.y - t.y}, {a2.x + t.x, a2.y + t.y}});
                m.Line({{b2.x - t.x, b2.y - t.y}, {b2.x + t.x, b2.y + t.y}});
                double ang = std::atan2(b.y - a.y, b.x - a.x) * 180 / kPi;
                if (ang > 90.001 || ang < -90.001) ang += 180;
                // The text on the side away from the points.
                const double side = off >= 0 ? 0.3 * th : -1.3 * th;
                const PointF mid{(a2.x + b2.x) / 2 + n.x * side, (a2.y + b2.y) / 2 + n.y * side};
                // Without a text of its own a dimension carries its length,
                // in the drawing's units with two decimals.
                std::string text = TextAt(args, 8);
                if (text.empty()) {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "%.2f", len);
                    text = buf;
                }
                m.Text(mid, ang, th, text, 2);
            }
            return 0;
        case 15:
            if (repaint_) repaint_();
            return 0;
        case 16:
            if (auto v = need(4))
                if (move_) move_(static_cast<int>((*v)[0]), static_cast<int>((*v)[1]), static_cast<int>((*v)[2]),
                                 static_cast<int>((*v)[3]));
            return 0;
        case 17:
        case 55:
            return 0;
        case 18:
            if (auto v = need(3)) {
                if (Group* g = m.Find(static_cast<int32_t>((*v)[0]))) {
                    g->dx = (*v)[1];
                    g->dy = (*v)[2];
                    if (repaint_) repaint_();
                }
            }
            return 0;
        case 21:
            if (auto v = need(1)) {
                Group g;
                g.id = static_cast<int32_t>((*v)[0]);
                g.kind = args.size() > 1 ? static_cast<int32_t>(args[1].num) : 0;
                m.groups.push_back(std::move(g));
            }
            return 0;
        case 22:
            if (auto v = need(5)) {
                const auto& d = *v;
                const PointF tip{d[0], d[1]};
                const double len = d[3], head = std::min(std::fabs(d[2]), std::fabs(len)), width = std::fabs(d[4]);
                if (len == 0) return 0;
                const double dir = len > 0 ? 1 : -1;  // 1: the arrow points down onto its tip
                const PointF tail{tip.x, tip.y + len};
                m.Line({tail, tip});
                if (head > 0)
                    m.Poly({tip, {tip.x - width / 2, tip.y + dir * head}, {tip.x + width / 2, tip.y + dir * head}}, true);
                m.Text({tail.x + width * 0.6, tail.y - dir * width}, 0, std::max(width, head) * 0.8, TextAt(args, 5));
            }
            return 0;
        case 23:
            if (auto v = need(8)) {
                const auto& d = *v;
                const PointF a{d[0], d[1]}, b{d[2], d[3]};
                const double dl = std::hypot(d[4], d[5]);
                const double len = std::hypot(b.x - a.x, b.y - a.y);
                if (!(dl > 0) || !(len > 0)) return 0;
                const PointF u{d[4] / dl, d[5] / dl};  // the load's direction: arrows end on the base
                const PointF a2{a.x - u.x * d[6], a.y - u.y * d[6]}, b2{b.x - u.x * d[7], b.y - u.y * d[7]};
                m.Poly({a, a2, b2, b});
                const double qmax = std::max(std::fabs(d[6]), std::fabs(d[7]));
                const int count = std::clamp(2 + static_cast<int>(len / std::max(1e-9, qmax)), 2, 12);
                // Outline, arrows and texts in the band's colour at half brightness.
                const Style keep = m.style;
                m.style.colour = (keep.colour >> 1) & 0x7F7F7F;
                m.style.fill = 3;
                m.Poly({a, a2, b2, b}, false, true);
                m.style.fill = 0;
                for (int i = 0; i < count; ++i) {
                    const double t = static_cast<double>(i) / (count - 1);
                    const PointF base{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
                    const double q = d[6] + t * (d[7] - d[6]);
                    if (std::fabs(q) <= 0) continue;
                    const PointF outer{base.x - u.x * q, base.y - u.y * q};
                    m.Line({outer, base});
                    const double dir = std::atan2(base.y - outer.y, base.x - outer.x) * 180 / kPi;
                    m.Head(base, dir, std::min(std::fabs(q) * 0.25, qmax * 0.15));
                }
                const double th = 0.5 * dl;
                m.Text({a2.x, a2.y - u.y * 0.2 * th}, 0, th, TextAt(args, 8));
                m.Text({b2.x, b2.y - u.y * 0.2 * th}, 0, th, TextAt(args, 9), 1);
                m.style = keep;
            }
            return 0;
        case 24:
            if (auto v = need(6)) {
                const auto& d = *v;
                const PointF p1{d[0], d[1]}, p2{d[2], d[3]}, p3{d[4], d[5]};
                const double den = 2 * (p1.x * (p2.y - p3.y) + p2.x * (p3.y - p1.y) + p3.x * (p1.y - p2.y));
                if (std::fabs(den) < 1e-12) {
                    m.Line({p1, p2, p3});
                    return 0;
                }
                auto sq = [](PointF p) { return p.x * p.x + p.y * p.y; };
                const PointF c{(sq(p1) * (p2.y - p3.y) + sq(p2) * (p3.y - p1.y) + sq(p3) * (p1.y - p2.y)) / den,
                               (sq(p1) * (p3.x - p2.x) + sq(p2) * (p1.x - p3.x) + sq(p3) * (p2.x - p1.x)) / den};
                const double r = std::hypot(p1.x - c.x, p1.y - c.y);
                auto ang = [&](PointF p) { return std::atan2(p.y - c.y, p.x - c.x) * 180 / kPi; };
                const double a1 = ang(p1), a2 = ang(p2), a3 = ang(p3);
                auto ccw = [](double from, double to) { double s = std::fmod(to - from + 720, 360.0); return s; };
                double sweep = ccw(a1, a3);
                if (ccw(a1, a2) > sweep) sweep -= 360;  // P2 lies on the clockwise arc
                m.Line(Circle(c, r, a1, sweep, 36));
            }
            return 0;
        case 25:
            if (auto v = need(3)) {
                m.markerKind = static_cast<int>((*v)[2]);
                if (m.markerKind == 0)
                    m.marker.reset();
                else
                    m.marker = PointF{(*v)[0], (*v)[1]};
                if (repaint_) repaint_();
            }
            return 0;
        case 29:
            if (auto v = need(3)) {
                const PointF c{(*v)[0], (*v)[1]};
                const double r = std::fabs((*v)[2]);
                if (r <= 0) return 0;
                m.Poly(Circle(c, r), false, true);
                auto q = Circle(c, r, 0, 90, 9);
                q.insert(q.begin(), c);
                m.Poly(q, true);
                q = Circle(c, r, 180, 90, 9);
                q.insert(q.begin(), c);
                m.Poly(q, true);
            }
            return 0;
        case 30:
            m.title = TextAt(args, 0);
            if (args.size() > 1) m.minText = std::clamp(static_cast<int>(args[1].num), 1, 200);
            if (args.size() > 2) m.titleSize = std::clamp(static_cast<int>(args[2].num), 0, 200);
            if (m.titleSize == 0 && !m.title.empty()) m.titleSize = 15;
            return 0;
        case 34:
            if (auto v = need(4)) {
                const auto& d = *v;
                m.window = {};
                if (d[0] != d[2] && d[1] != d[3]) {
                    m.window.Add(d[0], d[1]);
                    m.window.Add(d[2], d[3]);
                }
            }
            return 0;
        case 35:
            if (auto v = need(3)) {
                m.style.colour = static_cast<COLORREF>(static_cast<int64_t>((*v)[0]) & 0xFFFFFF);
                m.style.line = static_cast<int>((*v)[1]);
                m.style.fill = static_cast<int>((*v)[2]);
                m.style.bold = args.size() > 3 && args[3].num != 0;
            }
            return 0;
        case 37:
            if (auto v = need(4)) {
                if (Group* g = m.Find(static_cast<int32_t>((*v)[0]))) {
                    for (auto& e : g->elements) {
                        e.style.colour = static_cast<COLORREF>(static_cast<int64_t>((*v)[1]) & 0xFFFFFF);
                        e.style.line = static_cast<int>((*v)[2]);
                        e.style.fill = static_cast<int>((*v)[3]);
                    }
                    if (repaint_) repaint_();
                }
            }
            return 0;
        case 38:
            if (!args.empty() && !args[0].text.empty()) return WriteMetafile(args[0].text) ? 1 : 0;
            return 0;
        case 39:
            if (auto v = need(6)) {
                const auto& d = *v;
                m.transform = {d[0], d[1], d[2], d[3], d[4], d[5]};
            }
            return 0;
        case 40:
            if (auto v = need(5)) {
                const auto& d = *v;
                const PointF c{d[0], d[1]};
                const double r = std::fabs(d[2]);
                if (r <= 0) return 0;
                const bool ccw = d[2] > 0;
                const double from = ccw ? -135 : 135, sweep = ccw ? 270 : -270;
                m.Line(Circle(c, r, from, sweep, 27));
                const double end = from + sweep;
                const PointF tip{c.x + r * std::cos(end * kPi / 180), c.y + r * std::sin(end * kPi / 180)};
                m.Head(tip, end + (ccw ? 90 : -90), r * 0.5);
                m.Text({c.x + r * 1.2, c.y + r * 0.8}, 0, d[4], TextAt(args, 5));
            }
            return 0;
        case 45:
            if (auto v = need(7)) {
                const auto& d = *v;
                const PointF p{d[0], d[1]};
                const double s = std::fabs(d[3]);
                if (s <= 0) return 0;
                const double trans = d[4], cx = d[5], rot = d[6];
                const bool hatched = args.size() > 7 && args[7].num != 0;
                auto at = [&](double x, double y) { return Add(p, Turn({x * s, y * s}, d[2])); };
                double ground = -0.87;
                if (rot != 0) {
                    // Clamped: a wall through the point.
                    ground = 0;
                    m.Line({at(-0.7, 0), at(0.7, 0)});
                } else if (trans != 0) {
                    m.Poly({at(0, 0), at(-0.5, -0.87), at(0.5, -0.87)}, false, true);
                    if (cx == 0) {
                        // Free to slide along the member: a second line.
                        m.Line({at(-0.7, -1.0), at(0.7, -1.0)});
                        ground = -1.15;
                    }
                    m.Line({at(-0.7, ground), at(0.7, ground)});
                } else if (cx != 0) {
                    // Held along the member only.
                    m.Line({at(0, 0), at(-0.8, 0)});
                    m.Line({at(-0.8, -0.5), at(-0.8, 0.5)});
                    return 0;
                } else {
                    m.Poly(Circle(p, 0.15 * s), false, true);
                    return 0;
                }
                if (hatched)
                    for (int i = 0; i < 5; ++i) {
                        const double x = -0.6 + 0.3 * i;
                        m.Line({at(x, ground), at(x - 0.2, ground - 0.25)});
                    }
            }
            return 0;
        case 53:
            if (args.size() >= 2) {
                MenuEntry e;
                e.text = args[0].text;
                e.command = static_cast<int32_t>(args[1].num);
                e.enabled = args.size() < 3 || args[2].num != 0;
                e.checked = args.size() > 3 && args[3].num != 0;
                menu_.push_back(std::move(e));
            }
            return 0;
        case 54:
            m.axes = !args.empty() && args[0].num != 0;
            m.secondDown = args.size() > 1 && args[1].num != 0;
            m.xName = TextAt(args, 2);
            m.yName = TextAt(args, 4);
            return 0;
        case 57:
            if (auto v = need(5)) {
                const auto& d = *v;
                const PointF p{d[0], d[1]};
                const double w = std::fabs(d[3]), len = std::fabs(d[4]);
                if (w <= 0 || len <= 0) return 0;
                const double dir = d[3] < 0 ? -1 : 1;  // negative size: the spring hangs below the point
                auto at = [&](double x, double y) { return Add(p, Turn({x * w, dir * y * len}, d[2])); };
                std::vector<PointF> pts = {at(0, 0), at(0, 0.15)};
                for (int i = 0; i < 6; ++i) pts.push_back(at(i % 2 ? 1 : -1, 0.22 + 0.11 * i));
                pts.push_back(at(0, 0.85));
                pts.push_back(at(0, 1));
                m.Line(pts);
                m.Line({at(-1.6, 1), at(1.6, 1)});
                m.Text(at(1.8, 0.5), 0, 1.5 * w, TextAt(args, 5));
            }
            return 0;
        default: return 0;
    }
}

// ---- drawing -------------------------------------------------------------------

namespace {
constexpr double kAxisLength = 30;   // pixels, each arm of the axis cross
constexpr double kFrameMargin = 4;   // pixels (1 mm) kept around a trimmed metafile
}  // namespace

void Graph2D::RenderContent(Canvas& canvas) const {
    const Impl& m = *impl_;
    const View v = ViewOf(m, width_, height_);
    auto px = [&](PointF p, double dx, double dy) { return PointF{v.ox + (p.x + dx) * v.scale, v.oy - (p.y + dy) * v.scale}; };
    std::vector<PointF> pts;  // one buffer for all elements: a diagram has thousands
    for (const auto& g : m.groups) {
        for (const auto& e : g.elements) {
            const Pen pen = PenOf(e.style);
            switch (e.kind) {
                case Element::Line: {
                    pts.clear();
                    for (auto p : e.pts) pts.push_back(px(p, g.dx, g.dy));
                    canvas.Polyline(pts, pen);
                    break;
                }
                case Element::Polygon: {
                    pts.clear();
                    for (auto p : e.pts) pts.push_back(px(p, g.dx, g.dy));
                    std::optional<COLORREF> fill;
                    if (e.filled || (!e.outlineOnly && e.style.fill != 3)) fill = e.style.colour;
                    canvas.Polygon(pts, pen, fill);
                    break;
                }
                case Element::Text: {
                    const double h = std::max<double>(m.minText, e.height * v.scale);
                    canvas.Text(px(e.pts[0], g.dx, g.dy), e.angle, h, e.text, e.style.colour, e.align, e.style.bold);
                    break;
                }
            }
        }
    }
    if (m.marker) {
        const PointF c = px(*m.marker, 0, 0);
        const Pen pen{0x0000FF, 2, 0};
        const double r = 6;
        if (m.markerKind == 1)
            canvas.Polygon(Circle(c, r), pen, std::nullopt);
        else if (m.markerKind == 2)
            canvas.Polygon({{c.x - r, c.y - r}, {c.x + r, c.y - r}, {c.x + r, c.y + r}, {c.x - r, c.y + r}}, pen,
                           std::nullopt);
        else {
            canvas.Polyline({{c.x - r, c.y - r}, {c.x + r, c.y + r}}, pen);
            canvas.Polyline({{c.x - r, c.y + r}, {c.x + r, c.y - r}}, pen);
        }
    }
}

void Graph2D::RenderDecorations(Canvas& canvas, const BoxF& frame, PointF axesOrigin) const {
    const Impl& m = *impl_;
    if (m.axes) {
        const PointF o = axesOrigin;
        const Pen pen{0, 1, 0};
        const double len = kAxisLength, dir = m.secondDown ? 1 : -1;
        canvas.Polyline({o, {o.x + len, o.y}}, pen);
        canvas.Polygon({{o.x + len + 6, o.y}, {o.x + len, o.y - 3}, {o.x + len, o.y + 3}}, pen, COLORREF{0});
        canvas.Polyline({o, {o.x, o.y + dir * len}}, pen);
        canvas.Polygon({{o.x, o.y + dir * (len + 6)}, {o.x - 3, o.y + dir * len}, {o.x + 3, o.y + dir * len}}, pen,
                       COLORREF{0});
        canvas.Text({o.x + len + 8, o.y + 4}, 0, 11, m.xName, 0, 0, false);
        canvas.Text({o.x + 5, o.y + dir * (len + 2) + (m.secondDown ? 10 : 0)}, 0, 11, m.yName, 0, 0, false);
    }
    if (!m.title.empty())
        canvas.Text({(frame.x1 + frame.x2) / 2.0, frame.y1 + m.titleSize + 4.0}, 0, m.titleSize, m.title, 0, 2, true);
}

void Graph2D::Render(Canvas& canvas) const {
    canvas.Clear(background_);
    RenderContent(canvas);
    RenderDecorations(canvas, BoxF{0, 0, static_cast<double>(width_), static_cast<double>(height_), false},
                      {20, static_cast<double>(height_) - 20});
}

namespace {

// A canvas that only measures: the box of everything drawn on it, in pixels
// (lines with half their width, texts by an estimate of their extent at the
// proportions of a sans-serif face, turned with the text).
class ExtentCanvas : public Canvas {
public:
    BoxF box;
    void Clear(COLORREF) override {}
    void Polygon(const std::vector<PointF>& pts, const Pen& pen, std::optional<COLORREF>) override { Points(pts, pen); }
    void Polyline(const std::vector<PointF>& pts, const Pen& pen) override { Points(pts, pen); }
    void Text(PointF p, double angle, double heightPx, std::string_view text, COLORREF, int align, bool bold) override {
        if (text.empty()) return;
        size_t chars = 0;
        for (char c : text)
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;  // UTF-8 characters
        const double w = (bold ? 0.62 : 0.56) * heightPx * static_cast<double>(chars);
        const double x0 = align == 1 ? -w : (align == 2 ? -w / 2 : 0.0);
        const double a = angle * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
        // Ascent above the base line, descent below it; y points down.
        for (PointF q : {PointF{x0, -0.8 * heightPx}, PointF{x0 + w, -0.8 * heightPx}, PointF{x0, 0.25 * heightPx},
                         PointF{x0 + w, 0.25 * heightPx}})
            Add(p.x + q.x * c + q.y * s, p.y - q.x * s + q.y * c);
    }

private:
    void Points(const std::vector<PointF>& pts, const Pen& pen) {
        const double h = std::max(0, pen.width) / 2.0;
        for (const PointF& q : pts) {
            Add(q.x - h, q.y - h);
            Add(q.x + h, q.y + h);
        }
    }
    void Add(double x, double y) {
        if (std::isfinite(x) && std::isfinite(y)) box.Add(x, y);
    }
};

}  // namespace

BoxF Graph2D::MetafileFrame() const {
    const Impl& m = *impl_;
    const double w = width_, h = height_;
    ExtentCanvas measure;
    RenderContent(measure);
    BoxF f = measure.box;
    if (f.empty) return BoxF{0, 0, w, h, false};  // nothing drawn: the whole surface
    // What lies outside the surface is not shown on it either.
    f.x1 = std::clamp(f.x1, 0.0, w);
    f.x2 = std::clamp(f.x2, 0.0, w);
    f.y1 = std::clamp(f.y1, 0.0, h);
    f.y2 = std::clamp(f.y2, 0.0, h);
    f.x1 -= kFrameMargin;
    f.y1 -= kFrameMargin;
    f.x2 += kFrameMargin;
    f.y2 += kFrameMargin;
    if (m.axes) {
        // Room for the axis cross below the drawing, as wide as it needs.
        f.y2 += kAxisLength + 26;
        f.x2 = std::max(f.x2, f.x1 + 20 + kAxisLength + 8 + 0.56 * 11 * static_cast<double>(m.xName.size()) + 8);
    }
    if (!m.title.empty()) {
        f.y1 -= m.titleSize + 8.0;
        ExtentCanvas title;
        title.Text({(f.x1 + f.x2) / 2.0, 0}, 0, m.titleSize, m.title, 0, 2, true);
        if (!title.box.empty) {
            f.x1 = std::min(f.x1, title.box.x1 - kFrameMargin);
            f.x2 = std::max(f.x2, title.box.x2 + kFrameMargin);
        }
    }
    f.empty = false;
    return f;
}

bool Graph2D::WriteMetafile(const std::string& path) const {
    const BoxF frame = MetafileFrame();
    MetafileCanvas canvas(path, frame);
    if (!canvas.Ok()) return false;
    DrawMetafile(canvas, frame);
    return canvas.Finish();
}

bool Graph2D::MetafileBytes(std::vector<uint8_t>& out) const {
    out.clear();
    const BoxF frame = MetafileFrame();
    MetafileCanvas canvas(frame);
    if (!canvas.Ok()) return false;
    DrawMetafile(canvas, frame);
    return canvas.Finish(&out) && !out.empty();
}

std::unique_ptr<Graph2D> Graph2D::Snapshot() const {
    auto copy = std::make_unique<Graph2D>();
    *copy->impl_ = *impl_;
    copy->width_ = width_;
    copy->height_ = height_;
    copy->background_ = background_;
    return copy;
}

void Graph2D::DrawMetafile(Canvas& canvas, const BoxF& frame) const {
    canvas.Clear(background_);
    RenderContent(canvas);
    // The axis cross in the room kept for it below the drawing; pointing
    // down, its second axis starts at the top of that room.
    const double below = impl_->secondDown ? frame.y2 - (kAxisLength + 26) + 4 : frame.y2 - 20;
    RenderDecorations(canvas, frame, {frame.x1 + 20, below});
}

// ---- hit testing and mouse -------------------------------------------------------

int32_t Graph2D::HitTest(PointF p, double tol) const {
    const Impl& m = *impl_;
    const View v = ViewOf(m, width_, height_);
    auto px = [&](PointF q, const Group& g) { return PointF{v.ox + (q.x + g.dx) * v.scale, v.oy - (q.y + g.dy) * v.scale}; };
    for (auto g = m.groups.rbegin(); g != m.groups.rend(); ++g) {
        if (g->id == 0) continue;
        for (auto e = g->elements.rbegin(); e != g->elements.rend(); ++e) {
            std::vector<PointF> pts;
            for (auto q : e->pts) pts.push_back(px(q, *g));
            if (e->kind == Element::Text) {
                BoxF b;
                AddTextBox(b, *e, g->dx, g->dy);
                const PointF a = px({b.x1, b.y2}, Group{}), c = px({b.x2, b.y1}, Group{});
                if (p.x >= a.x - tol && p.x <= c.x + tol && p.y >= a.y - tol && p.y <= c.y + tol) return g->id;
                continue;
            }
            if (e->kind == Element::Polygon && pts.size() >= 3 && Inside(p, pts)) return g->id;
            const size_t n = pts.size();
            for (size_t i = 0; i + 1 < n + (e->kind == Element::Polygon ? 1 : 0); ++i)
                if (DistToSegment(p, pts[i], pts[(i + 1) % n]) <= tol) return g->id;
            if (n == 1 && std::hypot(p.x - pts[0].x, p.y - pts[0].y) <= tol) return g->id;
        }
    }
    return 0;
}

void Graph2D::MousePress(PointF p, bool shift, bool right) {
    pressed_ = true;
    pressAt_ = p;
    pressItem_ = HitTest(p);
    if (!events_) return;
    const PointF d = ToDrawing(p);
    EventArgs a;
    a.item = pressItem_;
    a.x = d.x;
    a.y = d.y;
    a.flag1 = shift ? 1 : 0;
    a.flag2 = right ? 1 : 0;
    events_->OnEvent(3, a);
}

void Graph2D::MouseMove(PointF p) {
    if (!pressed_ || !events_) return;
    const double s = Scale();
    EventArgs a;
    a.item = pressItem_;
    a.x = (p.x - pressAt_.x) / s;
    a.y = -(p.y - pressAt_.y) / s;
    events_->OnEvent(2, a);
}

void Graph2D::MouseRelease(PointF p) {
    if (!pressed_) return;
    pressed_ = false;
    if (!events_) return;
    const PointF d = ToDrawing(p);
    EventArgs a;
    a.item = pressItem_;
    a.x = d.x;
    a.y = d.y;
    events_->OnEvent(4, a);
}

void Graph2D::MenuCommand(int32_t command) {
    if (!events_) return;
    EventArgs a;
    a.command = command;
    a.item = command;
    events_->OnEvent(7, a);
}

}  // namespace kurvo
