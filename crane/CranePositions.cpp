// Crane positions along the runway and the crane-position variables.
#include "crane/CraneOperations.h"
#include "crane/CranePositions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "module/ModuleData.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr double kTol = 0.0001;

// Two cranes (or a merged pair and a crane): the gap between the centres is
// widened to (s0 + s1)/2 + g1, each crane moving by the other's weight share.
void SeparatePair(double& x0, double& x1, double s0, double s1, double g1, double w0, double w1) {
    const double needed = (s0 + s1) / 2.0 + g1;
    if (x1 - x0 >= needed) return;
    const double o = needed - (x1 - x0);
    const double w = w0 + w1;
    // Without weights both cranes move by half.
    const double f0 = std::fabs(w) > 1e-12 ? w1 / w : 0.5;
    const double f1 = std::fabs(w) > 1e-12 ? w0 / w : 0.5;
    x0 -= f0 * o;
    x1 += f1 * o;
}

}  // namespace

void InsertSorted(double v, std::vector<double>& list) {
    for (double p : list)
        if (std::fabs(p - v) < kTol) return;
    list.insert(std::upper_bound(list.begin(), list.end(), v), v);
}

std::vector<double> RefinePoints(double start, double end, const std::vector<double>& inner, double maxDist) {
    std::vector<double> pts{start, end};
    for (double v : inner) {
        if (pts.back() + kTol < v) {
            pts.push_back(v);
            continue;
        }
        InsertSorted(v, pts);
    }
    if (!(maxDist > kTol)) return pts;  // 0, negative or no number: no refinement
    std::vector<double> out{pts.front()};
    for (size_t i = 1; i < pts.size(); ++i) {
        const double a = out.back();
        const double gap = pts[i] - a;
        if (gap > 1.001 * maxDist) {
            // Even parts; where trunc(gap/d + 0.99) would leave parts longer
            // than 1.001 d (and so never finish), as many parts as needed.
            int n = static_cast<int>(gap / maxDist + 0.99);
            if (n < 2 || gap / n > 1.001 * maxDist) n = std::max(2, static_cast<int>(std::ceil(gap / maxDist)));
            for (int k = 1; k < n; ++k) out.push_back(a + gap * k / n);
        }
        out.push_back(pts[i]);
    }
    return out;
}

double RefinedPointCount(const std::vector<double>& raw, double maxDist) {
    if (raw.empty()) return 0;
    // The distinct points first (as RefinePoints keeps them), then the parts
    // each gap is divided into, counted without making them.
    std::vector<double> pts{raw.front(), raw.back()};
    for (size_t i = 1; i + 1 < raw.size(); ++i) {
        if (pts.back() + kTol < raw[i]) {
            pts.push_back(raw[i]);
            continue;
        }
        InsertSorted(raw[i], pts);
    }
    if (!(maxDist > kTol)) return static_cast<double>(pts.size());
    double count = 1;
    for (size_t i = 1; i < pts.size(); ++i) {
        const double gap = pts[i] - pts[i - 1];
        if (gap > 1.001 * maxDist) count += std::max(2.0, std::ceil(gap / maxDist)) - 1;
        count += 1;
    }
    return count;
}

void CEvalPoints::Build(const std::vector<double>& raw, int cranes, double maxDist) {
    m_nCranes = std::max(0, cranes);
    m_raw = raw;
    m_maxDist = maxDist;
    m_points.clear();
    if (!raw.empty()) {
        const std::vector<double> inner(raw.size() > 2 ? raw.begin() + 1 : raw.end(),
                                        raw.size() > 2 ? raw.end() - 1 : raw.end());
        m_points = RefinePoints(raw.front(), raw.back(), inner, maxDist);
    }
    m_indices.assign(static_cast<size_t>(m_nCranes), 0);
    m_values.assign(static_cast<size_t>(m_nCranes), m_points.empty() ? 0.0 : m_points.front());
    m_first = 1;
}

int CEvalPoints::Next(double* out) {
    const int P = static_cast<int>(m_points.size());
    const int n = m_nCranes;
    if (P == 0 || n == 0) return 0;
    if (m_first) {
        m_first = 0;
    } else if (n == 1) {
        if (m_indices[0] == P - 1) return 0;
        ++m_indices[0];
    } else if (m_indices[static_cast<size_t>(n - 1)] < P - 1) {
        ++m_indices[static_cast<size_t>(n - 1)];
    } else {
        int j = n - 1;
        while (j >= 0 && m_indices[static_cast<size_t>(j)] >= P - 1) --j;
        if (j < 0) return 0;
        const int v = m_indices[static_cast<size_t>(j)] + 1;
        for (int c = j; c < n; ++c) m_indices[static_cast<size_t>(c)] = v;
    }
    for (int c = 0; c < n; ++c) {
        m_values[static_cast<size_t>(c)] = m_points[static_cast<size_t>(m_indices[static_cast<size_t>(c)])];
        out[c] = m_values[static_cast<size_t>(c)];
    }
    return 1;
}

std::string MakePositionKey(const double* x, int count) {
    std::string key;
    char buf[64];
    for (int i = 0; i < count; ++i) {
        const double v = std::trunc(x[i] * 20.0) * 0.05;
        std::snprintf(buf, sizeof buf, i == 0 ? "%.2lf" : "|%.2lf", v);
        key += buf;
    }
    return key;
}

void SeparateCranes(double* x, const double* s, const double* g, const double* w, int count) {
    if (count == 2) {
        SeparatePair(x[0], x[1], s[0], s[1], g[1], w[0], w[1]);
        return;
    }
    if (count != 3) return;
    if (x[2] - x[1] < x[1] - x[0]) {
        // The back pair first, then the pair as one crane at its first
        // crane's x behind crane 0, apart by the gap of the pair's first crane.
        SeparatePair(x[1], x[2], s[1], s[2], g[2], w[1], w[2]);
        double m = x[1];
        const double before = m;
        SeparatePair(x[0], m, s[0], s[1] + s[2] + g[2], g[1], w[0], w[1] + w[2]);
        x[1] += m - before;
        x[2] += m - before;
    } else {
        // The front pair first, then the pair as one crane ahead of crane 2.
        SeparatePair(x[0], x[1], s[0], s[1], g[1], w[0], w[1]);
        double m = x[0];
        const double before = m;
        SeparatePair(m, x[2], s[0] + s[1] + g[1], s[2], g[2], w[0] + w[1], w[2]);
        x[0] += m - before;
        x[1] += m - before;
    }
}

void ShiftIntoRange(double* x, const double* s, const double* g, double minimum, double maximum, int count) {
    if (count <= 0) return;
    if (x[0] < minimum) {
        x[0] = minimum;
        for (int i = 1; i < count; ++i) x[i] = std::max(x[i], x[i - 1] + (s[i - 1] + s[i]) / 2.0 + g[i]);
    }
    if (x[count - 1] > maximum) {
        x[count - 1] = maximum;
        for (int i = count - 2; i >= 0; --i) x[i] = std::min(x[i], x[i + 1] - (s[i] + s[i + 1]) / 2.0 - g[i + 1]);
    }
}

namespace {

double FrontGap(const CCrane& c) { return c.m_numOfAxis > 0 ? c.GetAxisValue(0, 0) : 0.0; }

// Whether neighbouring cranes keep their distance: crane c + 1's first axle
// at least g_c+1 behind crane c's last one, so the centres at least
// (s_c + s_c+1) / 2 + g_c+1 apart. A closed-up train stands exactly at that
// distance (up to rounding) and is kept.
bool KeepsDistance(const double* x, const double* s, const double* g, int n) {
    constexpr double kRounding = 1e-6;
    for (int c = 0; c + 1 < n; ++c)
        if (std::fabs(x[c] - x[c + 1]) < (s[c] + s[c + 1]) / 2.0 + g[c + 1] - kRounding) return false;
    return true;
}

// The closed crane train: spans, gaps, each crane's offset C_c and every
// axle's offset, measured from the train's rightmost axle to the left.
struct Train {
    std::vector<double> s, g, C, axleOffsets;
    explicit Train(const std::vector<CCrane>& cranes) {
        const int n = static_cast<int>(cranes.size());
        s.resize(static_cast<size_t>(n));
        g.resize(static_cast<size_t>(n));
        C.resize(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) {
            s[static_cast<size_t>(c)] = cranes[static_cast<size_t>(c)].GetAxisSpan();
            g[static_cast<size_t>(c)] = FrontGap(cranes[static_cast<size_t>(c)]);
        }
        // The last crane first.
        double t = 0.0;
        for (int c = n - 1; c >= 0; --c) {
            const CCrane& k = cranes[static_cast<size_t>(c)];
            double fromFirst = 0.0;
            for (int a = 0; a < k.m_numOfAxis; ++a) {
                if (a > 0) fromFirst += k.GetAxisValue(a, 0);
                axleOffsets.push_back(t + s[static_cast<size_t>(c)] - fromFirst);
            }
            C[static_cast<size_t>(c)] = t;
            t += s[static_cast<size_t>(c)] + (c > 0 ? g[static_cast<size_t>(c)] : 0.0);
        }
    }
    // Appends the positions that put each axle of the train on each target.
    void AppendAxlesOn(std::vector<double>& work, const std::vector<double>& targets) const {
        const int n = static_cast<int>(s.size());
        std::vector<double> X(static_cast<size_t>(n));
        for (double target : targets)
            for (double A : axleOffsets) {
                for (int c = 0; c < n; ++c)
                    X[static_cast<size_t>(c)] =
                        target - C[static_cast<size_t>(c)] + A - s[static_cast<size_t>(c)] / 2.0;
                if (KeepsDistance(X.data(), s.data(), g.data(), n)) work.insert(work.end(), X.begin(), X.end());
            }
    }
};

}  // namespace

void AddAxleOverPointPositions(std::vector<double>& work, const std::vector<double>& points,
                               const std::vector<CCrane>& cranes) {
    if (cranes.empty()) return;
    Train(cranes).AppendAxlesOn(work, points);
}

void AddTrainPositions(std::vector<double>& work, const std::vector<double>& fields, const std::vector<CCrane>& cranes) {
    const int n = static_cast<int>(cranes.size());
    if (n == 0 || fields.empty()) return;
    const Train train(cranes);
    const std::vector<double>& s = train.s;
    const std::vector<double>& g = train.g;
    const std::vector<double>& C = train.C;
    std::vector<double> X(static_cast<size_t>(n));
    auto append = [&]() {
        if (KeepsDistance(X.data(), s.data(), g.data(), n)) work.insert(work.end(), X.begin(), X.end());
    };
    // Field ends, 0.15 either side of them and the field middles.
    std::vector<double> targets;
    double x = 0.0;
    for (size_t k = 0; k < fields.size(); ++k) {
        x += fields[k];
        targets.insert(targets.end(), {x - 0.15, x, x + 0.15});
        if (k + 1 < fields.size()) targets.push_back(x + fields[k + 1] / 2.0);
    }
    train.AppendAxlesOn(work, targets);
    // Quarter and three-quarter points of every field.
    x = 0.0;
    for (size_t k = 0; k + 1 < fields.size(); ++k) {
        x += fields[k];
        const double q1 = x + 0.25 * fields[k + 1], q3 = x + 0.75 * fields[k + 1];
        for (int c = 0; c < n; ++c)
            X[static_cast<size_t>(c)] = q1 - C[static_cast<size_t>(c)] + s[static_cast<size_t>(c)] / 2.0;
        append();
        for (int c = 0; c < n; ++c)
            X[static_cast<size_t>(c)] = q3 - C[static_cast<size_t>(c)] - s[static_cast<size_t>(c)] / 2.0;
        append();
    }
}

void CCoordSet::Add(double x, double y) {
    InsertSorted(x, m_x);
    InsertSorted(y, m_y);
}

void CCoordSet::GetBounds(double& xMin, double& yMin, double& xMax, double& yMax) const {
    xMin = yMin = xMax = yMax = 0.0;
    if (m_x.empty()) return;
    xMin = m_x.front();
    xMax = m_x.back();
    if (!m_y.empty()) {
        yMin = m_y.front();
        yMax = m_y.back();
    }
}

namespace {

// The nodes of the girder and the places of its check points, ascending.
std::vector<double> GirderNodesAndCheckPoints(const CModuleData& d) {
    std::vector<double> points;
    // The nodes of the calculation: each field divided into (division & ~1)
    // + 2 equal elements, as the kernel divides it.
    double start = d.m_fieldLengths.empty() ? 0.0 : d.m_fieldLengths[0].GetValue();
    for (size_t k = 1; k < d.m_fieldLengths.size(); ++k) {
        const double length = d.m_fieldLengths[k].GetValue();
        const int division = k - 1 < d.m_sections.size() ? std::max(0, d.m_sections[k - 1].m_nTeilung) : 0;
        const int elements = (division & ~1) + 2;
        for (int j = 0; j <= elements; ++j) InsertSorted(start + length * j / elements, points);
        start += length;
    }
    for (const CNotchCase& p : d.m_notchCases) {
        const double x = p.m_xPos.GetValue();
        if (std::isfinite(x)) InsertSorted(x, points);
    }
    return points;
}

}  // namespace

void GenerateCranePositions(CModuleData& d) {
    const int n = static_cast<int>(d.m_cranes.size());
    // No crane, or more cranes than the position rules know (one to three):
    // no positions, so no calculation stands on a stale list.
    if (n == 0 || n > 3 || d.m_fieldLengths.size() < 2) {
        d.m_cranePositions.clear();
        return;
    }
    std::vector<double> fields;
    for (const CFormulaValue& f : d.m_fieldLengths) fields.push_back(f.GetValue());
    const double left = d.m_craneSettings.m_craneLeftOffset.GetValue();
    const double right = d.GetFieldStart(static_cast<int>(fields.size()) - 1) - d.m_craneSettings.m_craneRightOffset.GetValue();

    std::vector<double> raw{left};
    double x = 0.0;
    for (size_t k = 0; k < fields.size(); ++k) {
        x += fields[k];
        if (left < x && x < right) raw.push_back(x);
        if (k >= 1) {
            const double mid = x - fields[k] / 2.0;
            if (left < mid && mid < right) raw.push_back(mid);
        }
    }
    raw.push_back(right);
    d.m_craneTooMany = 0;
    // The number of candidates is known before the refinement makes them:
    // a long runway with a short distance would otherwise hold the program
    // for hours (or take all memory) here and in the kernel runs.
    const double maxDist = d.m_craneSettings.m_craneMaxDist.GetValue();
    const double count = RefinedPointCount(raw, maxDist);
    double candidates = count;
    if (n >= 2) candidates = candidates * (count + 1) / 2;
    if (n >= 3) candidates = candidates * (count + 2) / 3;
    if (!(candidates <= static_cast<double>(CModuleData::kMaxCraneCandidates))) {
        d.m_cranePositions.clear();
        d.m_craneTooMany = candidates < 9e18 ? static_cast<long long>(candidates) : static_cast<long long>(9e18);
        d.m_nCurCranePos = 0;
        return;
    }
    CEvalPoints points;
    points.Build(raw, n, maxDist);

    std::vector<double> s(static_cast<size_t>(n)), g(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        s[static_cast<size_t>(c)] = d.m_cranes[static_cast<size_t>(c)].GetAxisSpan();
        g[static_cast<size_t>(c)] = FrontGap(d.m_cranes[static_cast<size_t>(c)]);
    }
    const int fieldCount = static_cast<int>(fields.size()) - 1;

    // Every position is filtered and compared by its key as it comes, so
    // only the kept positions take memory; the first of equal keys stays.
    d.m_cranePositions.clear();
    std::unordered_set<std::string> seen(10000);
    auto keep = [&](const double* X) {
        for (int c = 0; c < n; ++c)
            if (X[c] - s[static_cast<size_t>(c)] / 2.0 < left || X[c] + s[static_cast<size_t>(c)] / 2.0 > right)
                return;
        if (!KeepsDistance(X, s.data(), g.data(), n)) return;
        if (!seen.insert(MakePositionKey(X, n)).second) return;
        d.m_cranePositions.insert(d.m_cranePositions.end(), X, X + n);
    };
    double X[3];
    while (points.Next(X)) {
        for (int c = 0; c < n; ++c) X[c] = d.m_cranes[static_cast<size_t>(c)].ShiftToResultant(X[c], fieldCount);
        SeparateCranes(X, s.data(), g.data(), s.data(), n);
        ShiftIntoRange(X, s.data(), g.data(), left, right, n);
        keep(X);
    }
    std::vector<double> train;
    AddTrainPositions(train, fields, d.m_cranes);
    // Without refinement the candidate points are few: the positions that
    // put each axle over each node of the girder and each check point
    // follow. The extreme moment and shear of a girder under moving point
    // loads lies with a load over the section (influence lines of
    // statically determinate and continuous beams), so every node finds its
    // extremes, and the governing position is found to within the node
    // spacing.
    if (!(d.m_craneSettings.m_craneMaxDist.GetValue() > kTol))
        AddAxleOverPointPositions(train, GirderNodesAndCheckPoints(d), d.m_cranes);
    for (size_t i = 0; i + static_cast<size_t>(n) <= train.size(); i += static_cast<size_t>(n)) keep(&train[i]);

    const int positions = static_cast<int>(d.m_cranePositions.size() / static_cast<size_t>(n));
    if (d.m_nCurCranePos >= positions) d.m_nCurCranePos = std::max(0, positions - 1);
    d.SetCurrentCranePosition();
}
