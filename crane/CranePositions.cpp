// Crane positions along the runway and the crane-position variables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "module/ModuleData.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

// A crane's length over its axles and its distance to the crane in front
// (the distance value of its first axle record).
double AxleSpan(const CCrane& c) {
    double s = 0.0;
    for (int a = 1; a < c.m_numOfAxis; ++a) s += c.GetAxisValue(a, 0);
    return s;
}
double FrontGap(const CCrane& c) { return c.m_numOfAxis > 0 ? c.GetAxisValue(0, 0) : 0.0; }

// Sorted points from start to end with the inner points, every gap larger
// than the maximum distance divided evenly.
std::vector<double> RefinePoints(const std::vector<double>& raw, double maxDist) {
    std::vector<double> pts;
    if (raw.empty()) return pts;
    pts = {raw.front(), raw.back()};
    if (pts[1] < pts[0]) std::swap(pts[0], pts[1]);
    for (size_t i = 1; i + 1 < raw.size(); ++i) {
        const double x = raw[i];
        if (std::any_of(pts.begin(), pts.end(), [&](double p) { return std::fabs(p - x) < 0.0001; })) continue;
        pts.insert(std::upper_bound(pts.begin(), pts.end(), x), x);
    }
    if (std::fabs(maxDist) > 0.0001) {
        std::vector<double> out{pts.front()};
        for (size_t i = 1; i < pts.size(); ++i) {
            const double gap = pts[i] - out.back();
            if (gap > 1.001 * maxDist) {
                const int n = static_cast<int>(gap / maxDist + 0.99);
                const double start = out.back();
                for (int k = 1; k < n; ++k) out.push_back(start + gap * k / n);
            }
            out.push_back(pts[i]);
        }
        pts = out;
    }
    return pts;
}

std::string PositionKey(const std::vector<double>& xs) {
    std::string key;
    char buf[64];
    for (size_t i = 0; i < xs.size(); ++i) {
        const double x = std::trunc(xs[i] * 20.0) * 0.05;
        std::snprintf(buf, sizeof buf, i == 0 ? "%.2lf" : "|%.2lf", x);
        key += buf;
    }
    return key;
}

}  // namespace

void CModuleData::GenerateCranePositions() {
    const size_t n = m_cranes.size();
    if (n == 0) return;
    double runwayEnd = 0.0;
    for (size_t k = 1; k < m_fieldLengths.size(); ++k) runwayEnd += m_fieldLengths[k].GetValue();
    const double left = m_craneSettings.m_craneLeftOffset.GetValue();
    const double right = runwayEnd - m_craneSettings.m_craneRightOffset.GetValue();

    std::vector<double> raw{left};
    double x = 0.0;
    for (size_t k = 0; k < m_fieldLengths.size(); ++k) {
        x += k == 0 ? 0.0 : m_fieldLengths[k].GetValue();
        if (left < x && x < right) raw.push_back(x);
        if (k >= 1) {
            const double mid = x - m_fieldLengths[k].GetValue() / 2.0;
            if (left < mid && mid < right) raw.push_back(mid);
        }
    }
    raw.push_back(right);
    const std::vector<double> points = RefinePoints(raw, m_craneSettings.m_craneMaxDist.GetValue());
    const size_t count = points.size();

    std::vector<double> span(n), gap(n);
    for (size_t c = 0; c < n; ++c) {
        span[c] = AxleSpan(m_cranes[c]);
        gap[c] = FrontGap(m_cranes[c]);
    }

    std::vector<std::vector<double>> work;
    // Non-decreasing index tuples over the points, one index per crane.
    std::vector<size_t> idx(n, 0);
    const size_t kMaxPositions = 200000;
    while (count > 0 && work.size() < kMaxPositions) {
        std::vector<double> X(n);
        for (size_t c = 0; c < n; ++c) X[c] = points[idx[c]];
        // Into the range, every crane with its whole axle span: from the
        // left, then from the right.
        if (X[0] - span[0] / 2.0 < left) X[0] = left + span[0] / 2.0;
        for (size_t c = 1; c < n; ++c)
            X[c] = std::max(X[c], X[c - 1] + (span[c - 1] + span[c]) / 2.0 + gap[c]);
        if (X[n - 1] + span[n - 1] / 2.0 > right) X[n - 1] = right - span[n - 1] / 2.0;
        for (size_t c = n - 1; c-- > 0;)
            X[c] = std::min(X[c], X[c + 1] - (span[c] + span[c + 1]) / 2.0 - gap[c + 1]);
        work.push_back(X);

        size_t j = n;
        while (j-- > 0)
            if (idx[j] < count - 1) break;
        if (j == static_cast<size_t>(-1)) break;
        const size_t v = idx[j] + 1;
        for (size_t c = j; c < n; ++c) idx[c] = v;
    }

    m_cranePositions.clear();
    std::set<std::string> seen;
    for (const std::vector<double>& X : work) {
        bool ok = true;
        for (size_t c = 0; c < n && ok; ++c)
            if (X[c] - span[c] / 2.0 < left - 1e-9 || X[c] + span[c] / 2.0 > right + 1e-9) ok = false;
        for (size_t c = 0; c + 1 < n && ok; ++c)
            if (std::fabs(X[c] - X[c + 1]) < span[c] + gap[c + 1] - 1e-9) ok = false;
        if (!ok || !seen.insert(PositionKey(X)).second) continue;
        m_cranePositions.insert(m_cranePositions.end(), X.begin(), X.end());
    }
    const int positions = static_cast<int>(m_cranePositions.size() / n);
    if (m_nCurCranePos >= positions) m_nCurCranePos = positions - 1;
    SetCurrentCranePosition();
}

void CModuleData::SetCurrentCranePosition() {
    const size_t n = m_cranes.size();
    if (n == 0 || m_cranePositions.empty()) return;
    const int positions = static_cast<int>(m_cranePositions.size() / n);
    if (positions == 0) return;
    if (m_nCurCranePos >= positions) m_nCurCranePos = positions - 1;
    if (m_nCurCranePos < 0) m_nCurCranePos = 0;
    const std::string desc = lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", "Kranposition");
    for (size_t i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "pos%ld", static_cast<long>(i));
        m_varTable.Define(name, desc, "m", m_cranePositions[static_cast<size_t>(m_nCurCranePos) * n + i]);
    }
}
