#include "module/SnapPoints.h"

#include <algorithm>
#include <cmath>

void CSnapPoints::Clear() {
    m_X.clear();
    m_Y.clear();
    m_Ids.clear();
    m_dGrid = 0.0;
    m_dReserved = 0.0;
    m_dCatch = 0.1;
}

void CSnapPoints::AddPoint(double x, double y, int32_t id) {
    m_X.push_back(x);
    m_Y.push_back(y);
    m_Ids.push_back(id);
}

int32_t CSnapPoints::Snap(double x, double y, double& outX, double& outY) const {
    double best = m_dCatch;
    int taken = -1;
    for (size_t i = 0; i < m_X.size() && i < m_Y.size() && i < m_Ids.size(); ++i) {
        const double d = std::hypot(x - m_X[i], y - m_Y[i]);
        if (d < best) {
            best = d;
            taken = static_cast<int>(i);
        }
    }
    if (m_dGrid != 0 && !(taken >= 0 && best <= m_dGrid)) {
        auto grid = [&](double v) { return m_dGrid * std::trunc(v / m_dGrid + (v < 0 ? -0.5 : 0.5)); };
        outX = grid(x);
        outY = grid(y);
        return 1;
    }
    if (taken < 0) {
        outX = x;
        outY = y;
        return 0;
    }
    outX = m_X[static_cast<size_t>(taken)];
    outY = m_Y[static_cast<size_t>(taken)];
    return m_Ids[static_cast<size_t>(taken)];
}

int32_t GetSketchItemId(const SketchItemCounts& c, int kind, int index) {
    const int32_t base = 3 * c.nodes + 5;
    auto in = [&](int n) { return index >= 0 && index < n; };
    switch (kind) {
        case 0: return index == 0 ? 1 : 0;
        case 3: return in(c.nodes + 1) ? 3 * index + 2 : 0;
        case 1: return in(c.nodes + 1) ? 3 * index + 3 : 0;
        case 2: return in(c.nodes + 1) ? 3 * index + 4 : 0;
        case 4: return in(c.springs) ? base + index : 0;
        case 5: return in(c.hinges) ? base + c.springs + index : 0;
        case 6: return in(c.loads) ? base + c.springs + c.hinges + index : 0;
        default: return 0;
    }
}

bool ParseSketchItemId(const SketchItemCounts& c, int32_t id, int& kind, int& index) {
    const int32_t base = 3 * c.nodes + 5;
    if (id == 1) {
        kind = 0;
        index = 0;
        return true;
    }
    if (id >= 2 && id < base) {
        const int t = id - 2;
        index = t / 3;
        static constexpr int kKinds[3] = {3, 1, 2};
        kind = kKinds[t % 3];
        return true;
    }
    int32_t at = base;
    const std::pair<int, int32_t> ranges[] = {{4, c.springs}, {5, c.hinges}, {6, c.loads}};
    for (auto [k, n] : ranges) {
        if (id >= at && id < at + n) {
            kind = k;
            index = id - at;
            return true;
        }
        at += n;
    }
    return false;
}

double RoundToStep(double v, double step) {
    if (!(step > 0) || !std::isfinite(step)) return v;
    return std::trunc(v / step + 0.5) * step;
}

bool DragNodeSupportLengths(std::vector<double>& lengths, std::vector<double>& running, int k, double dx,
                            double step) {
    const int n = static_cast<int>(lengths.size());
    if (k <= 0 || k >= n || static_cast<int>(running.size()) != n || dx == 0 || !std::isfinite(dx)) return false;
    const double sum = running[static_cast<size_t>(k)] + dx;
    const double length = RoundToStep(sum, step);
    const double d = length - lengths[static_cast<size_t>(k)];
    const bool last = k == n - 1;
    const double next = last ? 1.0 : lengths[static_cast<size_t>(k + 1)] - d;
    if (!std::isfinite(length) || !(length > 0) || !std::isfinite(next) || !(next > 0)) return false;
    running[static_cast<size_t>(k)] = sum;
    lengths[static_cast<size_t>(k)] = length;
    if (!last) lengths[static_cast<size_t>(k + 1)] = next;
    return true;
}
