// A result series drawn as a diagram into a 2-D graph control, and the
// values of its value grid.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ResultTable.h"

void GenerateTicks(double low, double high, int count, std::vector<double>& list) {
    list.clear();
    if (!std::isfinite(low) || !std::isfinite(high) || low > high || std::fabs(high - low) < 1e-8) {
        list.push_back(low);
        return;
    }
    const double range = high - low;
    double step = std::pow(10.0, std::trunc(std::log10(range)));
    // Halve until the range holds count intervals; 60 halvings reach far
    // below any sensible count.
    for (int i = 0; i < 60 && std::trunc(range / step) < count; ++i) step /= 2;
    const double first = std::trunc(low / step - 0.5), last = std::trunc(high / step + 0.5);
    for (double i = first; i <= last && list.size() < kMaxTicks; i += 1) list.push_back(i * step);
}

namespace {

constexpr int32_t kPositive = 0xFFDAB5;
constexpr int32_t kNegative = 0x5A5AFF;
constexpr int32_t kGrid = 0xC0C0C0;

std::string Format(const char* format, int digits, double value, const std::string& unit = {}) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, std::clamp(digits, 0, 15), value, unit.c_str());
    return buf;
}

void Polygon4(CKurvo2D& g, double xa, double ya, double xb, double yb, double xc, double yc, double xd, double yd) {
    const double x[4] = {xa, xb, xc, xd}, y[4] = {ya, yb, yc, yd};
    g.Method5(4, x, y);
}

}  // namespace

void CResultSet::DrawDiagram(CKurvo2D& g) {
    if (m_type != 0 && m_type != 2 && m_type != 3) return;
    const int per = FloatsPerPoint(m_type);
    const int n = NumPoints();
    if (n < 1) return;
    // A value or scale that is not finite (a constant series has an infinite
    // scale) would reach the control: such a set draws nothing.
    const double mn = m_min, mx = m_max, factor = m_factor, offset = m_yOffset;
    if (!std::isfinite(mn) || !std::isfinite(mx) || !std::isfinite(factor) || !std::isfinite(offset)) return;
    for (float v : m_data)
        if (!std::isfinite(v)) return;
    for (float v : m_extremes)
        if (!std::isfinite(v)) return;
    auto X = [&](int i) { return static_cast<double>(m_data[static_cast<size_t>(i * per)]); };
    auto V = [&](int i, int k) { return static_cast<double>(m_data[static_cast<size_t>(i * per + k)]); };
    auto Y = [&](double v) { return (mx - v) * factor + offset; };
    if (!std::isfinite(Y(mn)) || !std::isfinite(Y(0.0))) return;
    const double x0 = X(0), x1 = X(n - 1), R = x1 - x0;
    const double s = m_labelAngle != 0 ? -1.0 : 1.0;
    const double labelAngle = m_labelAngle != 0 ? 180.0 : 0.0;

    // Value grid.
    std::vector<double> grid;
    if (m_nGrid > 0) {
        if (m_nDigits < 1) {
            for (double t = std::trunc(mn + 0.5); t < std::trunc(mx) + 0.5 && grid.size() < kMaxTicks; t += 1)
                grid.push_back(t);
        } else {
            GenerateTicks(mn, mx, m_nGrid, grid);
            std::erase_if(grid, [&](double t) { return t < mn || t > mx; });
        }
    }

    // Extremes list from the marked points.
    if (!m_poi.empty()) {
        m_extremes.clear();
        for (int i = 0; i < n && i < static_cast<int>(m_poi.size()); ++i)
            if (m_poi[static_cast<size_t>(i)] != 0) m_extremes.push_back(static_cast<float>(X(i)));
    }

    if (m_type == 0) {
        const double base = (mn <= 0 && 0 <= mx) ? Y(0) : (mx < 0 ? offset : Y(mn));
        for (int i = 0; i + 1 < n; ++i) {
            const double v0 = V(i, 1), v1 = V(i + 1, 1);
            g.Method35((v0 + v1) / 2 > 0 ? kPositive : kNegative, 0, 0, 0);
            Polygon4(g, X(i), base, X(i), Y(v0), X(i + 1), Y(v1), X(i + 1), base);
            g.Method35(0, 0, 0, 0);
            g.Method3(X(i), Y(v0), X(i + 1), Y(v1));
        }
    } else if (m_type == 2) {
        for (int i = 0; i + 1 < n; ++i) {
            const double a0 = V(i, 1), b0 = V(i, 2), a1 = V(i + 1, 1), b1 = V(i + 1, 2);
            g.Method35(kPositive, 0, 0, 0);
            Polygon4(g, X(i), Y(a0), X(i), Y(b0), X(i + 1), Y(b1), X(i + 1), Y(a1));
            g.Method35(0, 0, 0, 0);
            g.Method3(X(i), Y(b0), X(i + 1), Y(b1));
            g.Method3(X(i), Y(a0), X(i + 1), Y(a1));
        }
    } else {
        for (int i = 0; i < n; ++i) {
            const double x = X(i), a = V(i, 1), b = V(i, 2);
            if (std::fabs(a) <= 0.0001 && std::fabs(b) <= 0.0001) continue;
            const double xl = x - 0.0125 * R, xr = x + 0.0125 * R;
            std::vector<double> breaks;
            if (b > 0.0001) breaks.push_back(0);
            breaks.push_back(b);
            if (a > 0.0001 && b < -0.0001) breaks.push_back(0);
            if (std::fabs(a - b) > 0.0001) breaks.push_back(a);
            if (a < -0.0001) breaks.push_back(0);
            for (size_t k = 0; k + 1 < breaks.size(); ++k) {
                const double p = breaks[k], q = breaks[k + 1], mid = (p + q) / 2;
                const int style = (b <= mid && mid <= a) ? 0 : 3;
                g.Method35(mid > 0 ? kPositive : kNegative, 0, style, 0);
                Polygon4(g, xl, Y(p), xr, Y(p), xr, Y(q), xl, Y(q));
                g.Method35(0, 0, 3, 0);
                Polygon4(g, xl, Y(p), xr, Y(p), xr, Y(q), xl, Y(q));
            }
            const bool two = std::fabs(a - b) > 0.0001;
            g.Method35(0, 0, 0, 0);
            const std::string first = Format(two ? "Max=%.*lf %s" : "%.*lf %s", m_nDigits, a, m_strUnit);
            g.Method9(x, Y(a), x + 0.06 * R * s, Y(a) - 0.02 * R, labelAngle, 0.02 * R, first.c_str());
            if (two) {
                const std::string second = Format("Min=%.*lf %s", m_nDigits, b, m_strUnit);
                g.Method9(x, Y(b), x + 0.06 * R * s, Y(b) + 0.02 * R, labelAngle, 0.02 * R, second.c_str());
            }
        }
    }

    // Text height.
    double h = m_textHeight;
    if (!m_bFixedTextHeight) {
        h = R / 48;
        m_textHeight = static_cast<float>(h);
    }

    // Vertical grid lines at the extremes.
    g.Method35(kGrid, 2, 0, 0);
    for (float xf : m_extremes) {
        const double x = xf;
        if (m_bLabelsBelow)
            g.Method3(x, Y(mx), x, Y(mn) + 2 * h);
        else
            g.Method3(x, Y(mx) - 2 * h, x, Y(mn));
    }
    g.Method55();

    // Value grid lines and their values.
    for (double t : grid) {
        g.Method35(0, 2, 0, 0);
        const std::string text = Format("%.*lf", m_nDigits, m_bAbsolut ? std::fabs(t) : t);
        double tx = -4 * h, ty = Y(t) - 0.5 * h;
        if (m_bLabelsBelow)
            ty = Y(t) + 0.5 * h;
        else if (m_textAngle != 0)
            tx = -h;
        g.Method7(tx, ty, m_textAngle, h, text.c_str());
        g.Method35(kGrid, 2, 0, 0);
        g.Method3(-h, Y(t), x1, Y(t));
    }

    // Zero line.
    if (mn < 0.0001 && mx > -0.0001) {
        g.Method35(0, 1, 3, 0);
        g.Method3(x0 - h, Y(0), x1, Y(0));
    }

    // Value labels of curves and bands.
    if (m_type == 0 || m_type == 2) {
        std::vector<std::pair<double, double>> labels;  // x, value
        if (!m_poi.empty()) {
            for (int i = 0; i < n && i < static_cast<int>(m_poi.size()); ++i) {
                if (m_poi[static_cast<size_t>(i)] == 0) continue;
                double v = V(i, 1);
                if (m_type == 2) v = std::fabs(V(i, 1)) > std::fabs(V(i, 2)) ? V(i, 1) : V(i, 2);
                auto same = std::find_if(labels.begin(), labels.end(), [&](const auto& l) { return l.first == X(i); });
                if (same == labels.end())
                    labels.emplace_back(X(i), v);
                else if (std::fabs(v) >= std::fabs(same->second))
                    same->second = v;
            }
        } else {
            labels.emplace_back(m_xMin, mn);
            labels.emplace_back(m_xMax, mx);
        }
        for (const auto& [x, v] : labels) {
            g.Method35(0, 0, 0, 0);
            const std::string text = Format("%.*lf %s", m_nDigits, m_bAbsolut ? std::fabs(v) : v, m_strUnit);
            g.Method9(x, Y(v), x + 3 * h, Y(v) + s * h, m_labelAngle, h, text.c_str());
        }
    }

    // Title.
    if (m_flag) {
        const std::string title = m_strTitle + (m_strUnit.empty() ? "" : " (" + m_strUnit + ")");
        const double start = m_textAngle != 0 ? x1 : x0;
        if (m_bLabelsBelow && !m_bTitleBeside)
            g.Method7(x0, Y(mx) - 2 * h, m_textAngle, 1.5 * h, title.c_str());
        else if (m_bTitleBeside && !m_bLabelsBelow)
            g.Method7(start - 2 * h, Y(mn) + 2 * h, m_textAngle, 1.5 * h, title.c_str());
        else
            g.Method7(start, Y(mn) + 2 * h, m_textAngle, 1.5 * h, title.c_str());
    }

    // X labels.
    g.Method35(0, 0, 0, 0);
    for (float xf : m_extremes) {
        const double x = xf;
        const std::string text = Format("%.*lf", m_nDigits, x);
        if (m_bLabelsBelow)
            g.Method7(x - 0.5 * h, Y(mn) + 4 * h, m_textAngle + 90, h, text.c_str());
        else
            g.Method7(x + 0.5 * h, Y(mx) - 4 * h, m_textAngle + 90, h, text.c_str());
    }
}
