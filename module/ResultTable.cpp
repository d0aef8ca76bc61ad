#include "module/ResultTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstring>

#include "module/frame/ModuleMessages.h"
#include "platform/zevud/conveniences.h"

namespace {

// Largest number of doubles a table may hold (a larger count in a document
// means a damaged document).
constexpr int64_t kMaxTableValues = 32 * 1024 * 1024;
constexpr double kSamePosition = 0.01;

bool SamePosition(double a, double b) { return std::fabs(a - b) < kSamePosition; }

// Whether the ascending positions p[0..m) bring a position that the
// ascending list x[0..n) lacks (the walk of a merge of the two lists).
bool AddsPositions(const double* x, int32_t n, const double* p, int32_t m) {
    int32_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && SamePosition(x[i], p[j])) {
            ++i;
            ++j;
        } else if (i < n && (j >= m || x[i] < p[j])) {
            ++i;
        } else {
            return true;
        }
    }
    return false;
}

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }
float Finite(float v) { return std::isfinite(v) ? v : 0.0f; }

// Reads a binary attribute into an array already sized by its count: at
// most what both the stored bytes and the array allow is copied, the rest
// is zero.
template <class T>
void ReadBinArray(ZVELEM element, const char* attr, std::vector<T>& out) {
    const std::vector<T> stored = zevud::GetArray<T>(element, attr, static_cast<long>(out.size()));
    const size_t count = stored.size();
    std::copy(stored.begin(), stored.end(), out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(count), out.end(), T{});
}

// The values as they are stored: non-finite numbers as 0.
template <class T>
std::vector<T> FiniteValues(const std::vector<T>& values) {
    std::vector<T> out(values);
    if constexpr (std::is_floating_point_v<T>)
        for (T& v : out) v = Finite(v);
    return out;
}

template <class T>
void WriteBinArray(ZVELEM element, const char* attr, const std::vector<T>& values) {
    zevud::SetArray(element, attr, FiniteValues(values));
}

}  // namespace

// ===========================================================================
// CResultTable
// ===========================================================================

bool CResultTable::Init(int32_t loadCases, int32_t nodes, int32_t values) {
    if (loadCases < 0 || nodes < 0 || values < 0 ||
        static_cast<int64_t>(loadCases) * nodes * std::max<int64_t>(values, 1) > kMaxTableValues ||
        values > kMaxTableValues) {
        *this = CResultTable();
        return false;
    }
    m_nLoadCases = loadCases;
    m_nNodes = nodes;
    m_nValues = values;
    m_xPos.resize(static_cast<size_t>(nodes), 0.0);
    m_tags.assign(static_cast<size_t>(nodes), -1);
    m_valIdx.resize(static_cast<size_t>(values), 0);
    Renumber();
    return true;
}

void CResultTable::Renumber() {
    int32_t column = 0;
    for (int32_t& idx : m_valIdx) idx = (idx < 0) ? -1 : column++;
    m_nColumns = column;
    m_values.assign(static_cast<size_t>(m_nColumns) * m_nLoadCases * m_nNodes, 0.0);
    m_noInterpolation.resize(static_cast<size_t>(m_nValues), 0);
    m_bValid = static_cast<int64_t>(m_nLoadCases) * m_nNodes * m_nValues > 0;
}

void CResultTable::ReadData(ZVELEM element) {
    int32_t loadCases = ZEVUD_GetInt(element, "numOfLoadCases");
    int32_t nodes = ZEVUD_GetInt(element, "numOfNodes");
    int32_t values = ZEVUD_GetInt(element, "numOfValues");
    *this = CResultTable();
    if (loadCases < 0 || nodes < 0 || values < 0 || values > kMaxTableValues ||
        static_cast<int64_t>(loadCases) * nodes * std::max<int64_t>(values, 1) > kMaxTableValues) {
        rigel::ShowCommonMessage("ResultTable",
                                 "Die Ergebnistabelle ist beschädigt (%d Lastfälle, %d Knoten, %d Werte) "
                                 "und wird nicht gelesen.",
                                 loadCases, nodes, values);
        return;
    }
    m_nLoadCases = loadCases;
    m_nNodes = nodes;
    m_nValues = values;
    m_valIdx.assign(static_cast<size_t>(values), -1);
    ReadBinArray(element, "valIdx", m_valIdx);
    m_xPos.assign(static_cast<size_t>(nodes), 0.0);
    m_tags.assign(static_cast<size_t>(nodes), -1);
    Renumber();
    ReadBinArray(element, "val", m_values);
    ReadBinArray(element, "xpos", m_xPos);
    // Tags that the document does not hold stay "none".
    std::vector<int32_t> tags(m_tags.size(), -1);
    const std::vector<int32_t> stored = zevud::GetInts(element, "maxTag", static_cast<long>(tags.size()));
    std::copy(stored.begin(), stored.end(), tags.begin());
    m_tags = std::move(tags);
    ReadBinArray(element, "noInterpolation", m_noInterpolation);
}

void CResultTable::WriteData(ZVELEM element) const {
    ZEVUD_SetInt(element, "numOfLoadCases", m_nLoadCases);
    ZEVUD_SetInt(element, "numOfNodes", m_nNodes);
    ZEVUD_SetInt(element, "numOfValues", m_nValues);
    WriteBinArray(element, "valIdx", m_valIdx);
    WriteBinArray(element, "val", m_values);
    WriteBinArray(element, "xpos", m_xPos);
    WriteBinArray(element, "maxTag", m_tags);
    WriteBinArray(element, "noInterpolation", m_noInterpolation);
}

int32_t CResultTable::GetColumn(int32_t valueId) const {
    if (valueId < 0 || valueId >= static_cast<int32_t>(m_valIdx.size())) return -1;
    return m_valIdx[static_cast<size_t>(valueId)];
}

void CResultTable::SetValueUsed(int32_t valueId) {
    if (valueId >= 0 && valueId < static_cast<int32_t>(m_noInterpolation.size()))
        m_noInterpolation[static_cast<size_t>(valueId)] = 1;
}

bool CResultTable::NoInterpolation(int32_t valueId) const {
    return valueId >= 0 && valueId < static_cast<int32_t>(m_noInterpolation.size()) &&
           m_noInterpolation[static_cast<size_t>(valueId)] != 0;
}

int64_t CResultTable::Index(int32_t loadCase, int32_t node, int32_t valueId) const {
    int32_t column = GetColumn(valueId);
    if (column < 0 || column >= m_nColumns || loadCase < 0 || loadCase >= m_nLoadCases || node < 0 ||
        node >= m_nNodes)
        return -1;
    int64_t i = (static_cast<int64_t>(m_nNodes) * loadCase + node) * m_nColumns + column;
    return i < static_cast<int64_t>(m_values.size()) ? i : -1;
}

void CResultTable::SetRow(int32_t loadCase, int32_t valueId, const double* source, int start, int stride) {
    if (!source || Index(loadCase, 0, valueId) < 0) return;
    for (int32_t n = 0; n < m_nNodes; ++n)
        m_values[static_cast<size_t>(Index(loadCase, n, valueId))] = source[start + static_cast<int64_t>(n) * stride];
}

void CResultTable::SetRowFloat(int32_t loadCase, int32_t valueId, const float* source, int start, int stride) {
    if (!source || Index(loadCase, 0, valueId) < 0) return;
    for (int32_t n = 0; n < m_nNodes; ++n)
        m_values[static_cast<size_t>(Index(loadCase, n, valueId))] = source[start + static_cast<int64_t>(n) * stride];
}

void CResultTable::SetRowFloatPairs(int32_t loadCase, int32_t valueId, const float* source, int start,
                                    int stride) {
    if (!source || Index(loadCase, 0, valueId) < 0) return;
    for (int32_t n = 0; n < m_nNodes; ++n)
        m_values[static_cast<size_t>(Index(loadCase, n, valueId))] =
            source[start + static_cast<int64_t>((n + 1) / 2) * stride];
}

void CResultTable::GetRow(int32_t loadCase, int32_t valueId, double* target, int start, int stride) const {
    if (!target) return;
    for (int32_t n = 0; n < m_nNodes; ++n) {
        int64_t i = Index(loadCase, n, valueId);
        target[start + static_cast<int64_t>(n) * stride] = i < 0 ? 0.0 : m_values[static_cast<size_t>(i)];
    }
}

void CResultTable::GetRowFloat(int32_t loadCase, int32_t valueId, float* target, int start, int stride) const {
    if (!target) return;
    for (int32_t n = 0; n < m_nNodes; ++n) {
        int64_t i = Index(loadCase, n, valueId);
        target[start + static_cast<int64_t>(n) * stride] =
            i < 0 ? 0.0f : static_cast<float>(m_values[static_cast<size_t>(i)]);
    }
}

void CResultTable::SetXPositions(const double* source, int start, int stride) {
    if (!source) return;
    for (int32_t n = 0; n < m_nNodes; ++n) m_xPos[static_cast<size_t>(n)] = source[start + static_cast<int64_t>(n) * stride];
}

void CResultTable::SetXPositionsFloat(const float* source, int start, int stride) {
    if (!source) return;
    for (int32_t n = 0; n < m_nNodes; ++n) m_xPos[static_cast<size_t>(n)] = source[start + static_cast<int64_t>(n) * stride];
}

void CResultTable::GetXPositions(float* target, int start, int stride) const {
    if (!target) return;
    for (int32_t n = 0; n < m_nNodes; ++n)
        target[start + static_cast<int64_t>(n) * stride] = static_cast<float>(m_xPos[static_cast<size_t>(n)]);
}

void CResultTable::SetValue(int32_t loadCase, int32_t node, int32_t valueId, double value) {
    int64_t i = Index(loadCase, node, valueId);
    if (i >= 0) m_values[static_cast<size_t>(i)] = value;
}

double CResultTable::GetValue(int32_t loadCase, int32_t node, int32_t valueId) const {
    int64_t i = Index(loadCase, node, valueId);
    return i < 0 ? 0.0 : m_values[static_cast<size_t>(i)];
}

double* CResultTable::GetBlock(int32_t loadCase) {
    if (loadCase < 0 || loadCase >= m_nLoadCases || m_values.empty()) return nullptr;
    return m_values.data() + static_cast<size_t>(loadCase) * m_nNodes * m_nColumns;
}

const double* CResultTable::GetBlock(int32_t loadCase) const {
    return const_cast<CResultTable*>(this)->GetBlock(loadCase);
}

void CResultTable::SetBlock(int32_t loadCase, const double* source) { StoreBlock(loadCase, source, true, true); }

void CResultTable::StoreBlockMax(int32_t loadCase, const double* block, bool replace) {
    StoreBlock(loadCase, block, replace, true);
}

void CResultTable::StoreBlockMin(int32_t loadCase, const double* block, bool replace) {
    StoreBlock(loadCase, block, replace, false);
}

void CResultTable::StoreBlock(int32_t loadCase, const double* block, bool replace, bool maximum) {
    double* target = GetBlock(loadCase);
    if (!target || !block) return;
    size_t n = static_cast<size_t>(m_nNodes) * m_nColumns;
    if (replace) {
        std::copy(block, block + n, target);
        if (loadCase == m_nTagLoadCase) std::fill(m_tags.begin(), m_tags.end(), m_nTagValue);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (maximum ? target[i] < block[i] : target[i] > block[i]) target[i] = block[i];
    }
}

void CResultTable::SetTag(int32_t tagLoadCase, int32_t textIndex, int32_t tagValue) {
    m_nTagLoadCase = tagLoadCase;
    m_nTagTextIndex = textIndex;
    m_nTagValue = tagValue;
}

int32_t CResultTable::GetTag(int32_t node) const {
    return node >= 0 && node < static_cast<int32_t>(m_tags.size()) ? m_tags[static_cast<size_t>(node)] : -1;
}

void CResultTable::MergeRowsOneByOne(const CResultTable& a, int32_t ids, const std::vector<RowMerge>& merges) {
    const int32_t m = a.m_nNodes;
    std::vector<double> w(static_cast<size_t>(m));
    for (int32_t v = 0; v < ids; ++v) {
        if (!a.HasValue(v) || !HasValue(v)) continue;
        for (const RowMerge& r : merges) {
            a.GetRow(r.from, v, w.data(), 0, 1);
            Resample(r.to, v, m, a.m_xPos.data(), w.data(), r.mode);
        }
    }
}

namespace {

// Whether the value index numbers its present entries 0, 1, 2 ... in
// value-id order (as Init and Renumber leave it) and the values fill
// exactly the counts.
bool WellFormed(const CResultTable& t) {
    int32_t column = 0;
    for (int32_t idx : t.m_valIdx) {
        if (idx < 0) {
            if (idx != -1) return false;
            continue;
        }
        if (idx != column++) return false;
    }
    return column == t.m_nColumns && t.m_nValues == static_cast<int32_t>(t.m_valIdx.size()) &&
           t.m_xPos.size() == static_cast<size_t>(t.m_nNodes) && t.m_tags.size() == static_cast<size_t>(t.m_nNodes) &&
           t.m_values.size() == static_cast<size_t>(t.m_nLoadCases) * t.m_nNodes * t.m_nColumns;
}

// Where a node of the merged table stands to the curve: at its point j
// (kAt), between its points j - 1 and j (kBetween), or beside it (kNone).
enum Relation : int8_t { kNone, kAt, kBetween };
struct NodeToCurve {
    Relation rel;
    int32_t j;
};

// The old table's part of a merged node: an old node (old = its index), or
// a new one between old nodes jo - 1 and jo (jo = 0: before the first,
// jo = N: after the last).
struct NodeSource {
    int32_t old;  // -1 for a new node
    int32_t jo;
};

// The buffers of a merge, kept from one merge to the next (a crane run
// merges every crane position into the same few tables).
struct MergeScratch {
    std::vector<double> x;
    std::vector<int32_t> tags;
    std::vector<NodeSource> source;
    std::vector<NodeToCurve> first, rest;
    // The walk of the last call that did not grow its table: the table's
    // and the curve's positions and where each node stands to the curve.
    // The crane superposition merges every characteristic combination of a
    // run into the same table at the same positions.
    std::vector<double> walkX, walkP;
    bool walkSame = false;
};
thread_local MergeScratch scratch;

// One row of the table at one node, merged with the curve: Combine, or
// Resample's element-wise rule (a tie keeps the stored value), with the
// curve's value at a point, or with its line between two points:
// Combine(row[c], Interpolate(x, x0, x1, w0[c], w1[c])) given dx = x - x0
// and den = x1 - x0 (flat: x1 == x0, the line is w0). The operations of
// Interpolate and Combine in their order, so the same bits whatever the
// instruction set (nothing here is fused into a multiply-add).
template <int Mode>
inline __attribute__((always_inline)) double CombineT(double a, double b) {
    return Mode == 0 ? (a < b ? a : b) : Mode == 1 ? (a > b ? a : b) : a + b;
}
template <int Mode>
inline __attribute__((always_inline)) double ElementWiseT(double t, double w) {
    return Mode == 0 ? (w < t ? w : t) : Mode == 1 ? (t < w ? w : t) : t + w;
}
template <int Mode>
inline __attribute__((always_inline)) void MergeAtT(double* row, const double* w, int32_t n, bool elementWise) {
    if (elementWise)
        for (int32_t c = 0; c < n; ++c) row[c] = ElementWiseT<Mode>(row[c], w[c]);
    else
        for (int32_t c = 0; c < n; ++c) row[c] = CombineT<Mode>(row[c], w[c]);
}
template <int Mode>
inline __attribute__((always_inline)) void MergeLineT(double* row, const double* w0, const double* w1, int32_t n,
                                                      double dx, double den, bool flat) {
    if (flat) {
        for (int32_t c = 0; c < n; ++c) row[c] = CombineT<Mode>(row[c], w0[c]);
        return;
    }
    for (int32_t c = 0; c < n; ++c) row[c] = CombineT<Mode>(row[c], dx * (w1[c] - w0[c]) / den + w0[c]);
}

// The merges of a call whose two tables have the same columns, all of them
// interpolated: node by node (the node's rows stay in the cache for all
// merges), each node's row of every merge in the merges' order.
struct MergePlan {
    double* values;  // this table, nodes N, columns C
    int32_t N, C;
    const double* curve;  // the other table's values, nodes m, same columns
    int32_t m;
    const double* x;  // this table's positions
    const double* p;  // the curve's positions
    const NodeToCurve* at;
    const CResultTable::RowMerge* merges;
    size_t count;
    bool elementWise;  // later calls at exactly the curve's nodes
    // The first call, when it grew the table: its rule at the nodes where it
    // differs from the later calls' (column `firstColumn` of the first merge).
    bool fixFirst;
    const NodeSource* source;
    const NodeToCurve* first;
    int32_t firstColumn;
};

inline __attribute__((always_inline)) void RunMergePlanBody(const MergePlan& q) {
    const size_t C = static_cast<size_t>(q.C);
    for (int32_t k = 0; k < q.N; ++k) {
        const NodeToCurve at = q.at[k];
        if (at.rel == kNone) continue;
        double dx = 0.0, den = 0.0;
        bool flat = false;
        if (at.rel == kBetween) {
            const double x0 = q.p[at.j - 1], x1 = q.p[at.j];
            dx = q.x[k] - x0;
            den = x1 - x0;
            flat = x1 == x0;
        }
        for (size_t mi = 0; mi < q.count; ++mi) {
            const CResultTable::RowMerge r = q.merges[mi];
            double* row = q.values + (static_cast<size_t>(r.to) * q.N + k) * C;
            const double* w1 = q.curve + (static_cast<size_t>(r.from) * q.m + at.j) * C;
            if (at.rel == kAt) {
                if (r.mode == 0) MergeAtT<0>(row, w1, q.C, q.elementWise);
                else if (r.mode == 1) MergeAtT<1>(row, w1, q.C, q.elementWise);
                else MergeAtT<2>(row, w1, q.C, q.elementWise);
            } else {
                const double* w0 = w1 - C;
                if (r.mode == 0) MergeLineT<0>(row, w0, w1, q.C, dx, den, flat);
                else if (r.mode == 1) MergeLineT<1>(row, w0, w1, q.C, dx, den, flat);
                else MergeLineT<2>(row, w0, w1, q.C, dx, den, flat);
            }
            if (mi != 0 || !q.fixFirst || at.rel != kAt) continue;
            // The first call walked the union of both lists: at a new node
            // without old neighbours on both sides it takes the curve's
            // value alone; where the later calls take the element-wise rule
            // it takes Combine's (Combine of the element-wise result and the
            // curve's value is Combine's result for minimum and maximum; a
            // sum is the same in both).
            double& t = row[q.firstColumn];
            const double w = w1[q.firstColumn];
            if (q.source[k].old < 0 && q.first[k].rel == kNone) t = w;
            else if (q.elementWise && r.mode != 2) t = r.mode == 0 ? CombineT<0>(t, w) : CombineT<1>(t, w);
        }
    }
}

void RunMergePlanPlain(const MergePlan& q) { RunMergePlanBody(q); }

#if defined(__x86_64__) && defined(__GNUC__)
// With four lanes where the processor has them (AVX2 divides four at a
// time, each correctly rounded like any IEEE division; the target enables
// no FMA, so nothing is fused).
__attribute__((target("avx2"))) void RunMergePlanAvx2(const MergePlan& q) { RunMergePlanBody(q); }
#endif

void RunMergePlan(const MergePlan& q) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return RunMergePlanAvx2(q);
#endif
    RunMergePlanPlain(q);
}

}  // namespace

// Merges rows of a into rows of this table with the results of
// MergeRowsOneByOne (Resample after Resample) but with one walk over both
// position lists and one pass over the values:
//  - Resample's first call (the first value id present in both with the
//    first merge) decides the node list: the union of both position lists
//    when the curve brings positions the table lacks (every other row is
//    carried over, interpolated between the old nodes at a new one), else
//    the table's own; every later call finds that list and merges in place.
//  - Each element takes the merges of its row in their order; elements do
//    not depend on each other (an interpolation reads the old table or the
//    curve, never a merged value), so the order of the loops is free.
//  - Resample's element-wise rule for a curve at exactly the table's nodes
//    keeps the stored value on a tie, its walk takes the curve's (Combine):
//    the two differ for zeros of opposite sign, so each call's rule is kept.
// Cases off this road (tag rows, rows outside either table, a table whose
// index is not in order, a list that grows again) go row by row.
void CResultTable::MergeRowsFrom(const CResultTable& a, int32_t ids, const std::vector<RowMerge>& merges) {
    const int32_t m = a.m_nNodes;
    if (m <= 0 || merges.empty() || a.m_xPos.size() < static_cast<size_t>(m)) return;
    // The value ids of the merge: present in both, below ids.
    struct Col {
        int32_t t, a;
        bool interpolated;
    };
    std::vector<Col> cols;
    const int32_t top = std::min({ids, m_nValues, a.m_nValues});
    for (int32_t v = 0; v < top; ++v)
        if (a.HasValue(v) && HasValue(v)) cols.push_back({GetColumn(v), a.GetColumn(v), !NoInterpolation(v)});
    if (cols.empty()) return;
    bool plain = WellFormed(*this) && WellFormed(a) && m_nNodes > 0;
    for (const RowMerge& r : merges)
        plain = plain && r.to >= 0 && r.to < m_nLoadCases && r.to != m_nTagLoadCase && r.from >= 0 &&
                r.from < a.m_nLoadCases && r.mode >= 0 && r.mode <= 2;
    if (!plain) {
        MergeRowsOneByOne(a, ids, merges);
        return;
    }

    const int32_t N = m_nNodes;
    const double* x = m_xPos.data();
    const double* p = a.m_xPos.data();
    auto samePositions = [&](const double* xs, int32_t n) {
        if (n != m) return false;
        for (int32_t i = 0; i < n; ++i)
            if (!SamePosition(xs[i], p[i])) return false;
        return true;
    };
    MergeScratch& s = scratch;
    auto equalBits = [](const std::vector<double>& a, const double* b, int32_t n) {
        return a.size() == static_cast<size_t>(n) && (n == 0 || std::memcmp(a.data(), b, a.size() * sizeof(double)) == 0);
    };

    // The first call's walk; a table and a curve at the positions of the
    // last call's that did not grow: the same walk.
    const bool cached = equalBits(s.walkX, x, N) && equalBits(s.walkP, p, m);
    const bool sameFirst = cached ? s.walkSame : samePositions(x, N);
    const bool grows = !cached && !sameFirst && AddsPositions(x, N, p, m);
    int32_t newN = N;
    if (grows) {
        // Resample's union walk: per merged node its position, its source in
        // the old table, the tag it takes, and where it stands to the curve
        // for the first call.
        s.x.clear();
        s.tags.clear();
        s.source.clear();
        s.first.clear();
        int32_t i = 0, j = 0;
        while (i < N || j < m) {
            const double xi = i < N ? x[i] : 0.0;
            if (i < N && j < m && SamePosition(xi, p[j])) {
                s.x.push_back(xi);
                s.tags.push_back(m_tags[static_cast<size_t>(i)]);
                s.source.push_back({i, i});
                s.first.push_back({kAt, j});
                ++i;
                ++j;
            } else if (i < N && (j >= m || xi < p[j])) {
                s.x.push_back(xi);
                s.tags.push_back(m_tags[static_cast<size_t>(i)]);
                s.source.push_back({i, i});
                s.first.push_back({j > 0 && j < m ? kBetween : kNone, j});
                ++i;
            } else {
                s.x.push_back(p[j]);
                s.tags.push_back(i > 0 ? m_tags[static_cast<size_t>(i - 1)] : -1);
                // The first call takes the curve's value where the old
                // table has no node on both sides (kNone marks that here).
                s.source.push_back({-1, i});
                s.first.push_back({i > 0 && i < N ? kAt : kNone, j});
                ++j;
            }
        }
        newN = static_cast<int32_t>(s.x.size());
        // A table too large to grow, or a merged list that Resample would
        // grow again for the next row: row by row (Resample knows what to do).
        if (static_cast<int64_t>(m_nLoadCases) * newN * std::max(m_nColumns, 1) > kMaxTableValues ||
            AddsPositions(s.x.data(), newN, p, m)) {
            MergeRowsOneByOne(a, ids, merges);
            return;
        }
    }

    // Every later call: where each node of the (merged) list stands to the
    // curve, by Resample's walk in place.
    const double* xs = grows ? s.x.data() : x;
    bool sameRest = sameFirst;
    if (!cached) {
        sameRest = grows ? samePositions(xs, newN) : sameFirst;
        s.rest.resize(static_cast<size_t>(newN));
        int32_t j = 0;
        for (int32_t k = 0; k < newN; ++k) {
            if (j < m && SamePosition(xs[k], p[j])) s.rest[static_cast<size_t>(k)] = {kAt, j++};
            else if (j > 0 && j < m) s.rest[static_cast<size_t>(k)] = {kBetween, j};
            else s.rest[static_cast<size_t>(k)] = {kNone, j};
        }
    }
    if (grows) {
        // The first call's walk must meet every old node as the later ones
        // do (it does for ascending positions); otherwise row by row.
        for (int32_t k = 0; k < newN; ++k) {
            const NodeToCurve f = s.first[static_cast<size_t>(k)], r = s.rest[static_cast<size_t>(k)];
            const bool isNew = s.source[static_cast<size_t>(k)].old < 0;
            if (isNew ? !(r.rel == kAt && r.j == f.j) : (f.rel != r.rel || (f.rel != kNone && f.j != r.j))) {
                s.walkX.clear();
                MergeRowsOneByOne(a, ids, merges);
                return;
            }
        }
    }

    // The old table carried over onto the merged list, in place: an old node
    // keeps its values (runs of old nodes moved at once), a new one takes the
    // line between its old neighbours (the end value beyond them; 0 for a
    // value without interpolation). Every node's new place lies at or after
    // its old one, so the load cases are moved from the last and the nodes
    // from the last: when merged node k of load case l is written, all that
    // was written lies from (l * newN + k + 1) columns on, and all that is
    // still to be read (old nodes up to k of load case l, a new node's old
    // neighbours among them, and the load cases before) before
    // (l * N + k + 1) columns. (A new node may be written over the old node
    // it reads, value by value, each read before it is written.)
    const int32_t C = m_nColumns;
    if (grows) {
        std::vector<char> interpolated(static_cast<size_t>(C), 1);
        for (int32_t v = 0; v < m_nValues; ++v)
            if (GetColumn(v) >= 0 && NoInterpolation(v)) interpolated[static_cast<size_t>(GetColumn(v))] = 0;
        m_values.resize(static_cast<size_t>(m_nLoadCases) * newN * C);
        double* values = m_values.data();
        for (int32_t l = m_nLoadCases - 1; l >= 0; --l) {
            double* ob = values + static_cast<size_t>(l) * N * C;
            double* nb = values + static_cast<size_t>(l) * newN * C;
            for (int32_t k = newN - 1; k >= 0;) {
                const NodeSource src = s.source[static_cast<size_t>(k)];
                if (src.old >= 0) {
                    int32_t run = 1;
                    while (k - run >= 0 && src.old - run >= 0 &&
                           s.source[static_cast<size_t>(k - run)].old == src.old - run)
                        ++run;
                    const int32_t k0 = k - run + 1, o0 = src.old - run + 1;
                    std::memmove(nb + static_cast<size_t>(k0) * C, ob + static_cast<size_t>(o0) * C,
                                 sizeof(double) * C * static_cast<size_t>(run));
                    k = k0 - 1;
                    continue;
                }
                double* to = nb + static_cast<size_t>(k) * C;
                if (src.jo == 0 || src.jo >= N) {
                    const double* from = ob + static_cast<size_t>(src.jo == 0 ? 0 : N - 1) * C;
                    for (int32_t c = 0; c < C; ++c) to[c] = interpolated[static_cast<size_t>(c)] ? from[c] : 0.0;
                } else {
                    const double xp = s.x[static_cast<size_t>(k)], x0 = x[src.jo - 1], x1 = x[src.jo];
                    const double* y0 = ob + static_cast<size_t>(src.jo - 1) * C;
                    const double* y1 = ob + static_cast<size_t>(src.jo) * C;
                    for (int32_t c = 0; c < C; ++c)
                        to[c] = interpolated[static_cast<size_t>(c)] ? Interpolate(xp, x0, x1, y0[c], y1[c]) : 0.0;
                }
                --k;
            }
        }
        m_xPos.swap(s.x);
        m_tags.swap(s.tags);
        m_nNodes = newN;
        m_bValid = static_cast<int64_t>(m_nLoadCases) * m_nNodes * m_nValues > 0;
    }
    if (!cached) {
        // Remembered for the next call on these positions (this table's
        // positions after growing).
        s.walkX.assign(m_xPos.begin(), m_xPos.end());
        s.walkP.assign(p, p + m);
        s.walkSame = sameRest;
    }

    // The merges. The first merge of the first value id is Resample's first
    // call: when it grew the table it took, at a new node, the curve's value
    // alone where the old table gave none (no neighbour on one side, or no
    // interpolation).
    const int32_t Ca = a.m_nColumns;
    const Col firstCol = cols.front();
    bool identity = static_cast<int32_t>(cols.size()) == C && Ca == C;
    for (int32_t c = 0; identity && c < C; ++c)
        identity = cols[static_cast<size_t>(c)].t == c && cols[static_cast<size_t>(c)].a == c &&
                   cols[static_cast<size_t>(c)].interpolated;
    if (identity) {
        // The same columns, all interpolated: whole rows at once.
        const MergePlan plan{m_values.data(), newN,          C,        a.m_values.data(), m,     m_xPos.data(),
                             p,               s.rest.data(), merges.data(), merges.size(), sameRest, grows,
                             s.source.data(), s.first.data(), firstCol.t};
        RunMergePlan(plan);
        return;
    }
    const double* pv = a.m_values.data();
    const double* xn = m_xPos.data();
    for (size_t mi = 0; mi < merges.size(); ++mi) {
        const RowMerge r = merges[mi];
        const int mode = r.mode;
        const double* wb = pv + static_cast<size_t>(r.from) * m * Ca;
        double* tb = m_values.data() + static_cast<size_t>(r.to) * newN * C;
        for (int32_t k = 0; k < newN; ++k) {
            const NodeToCurve at = s.rest[static_cast<size_t>(k)];
            if (at.rel == kNone) continue;
            double* row = tb + static_cast<size_t>(k) * C;
            const double* w1 = wb + static_cast<size_t>(at.j) * Ca;
            if (at.rel == kAt) {
                for (const Col& c : cols) {
                    double& t = row[c.t];
                    const double w = w1[c.a];
                    if (!sameRest) t = Combine(t, w, mode);
                    else if (mode == 0) { if (w < t) t = w; }
                    else if (mode == 1) { if (t < w) t = w; }
                    else t += w;
                }
            } else {
                const double* w0 = w1 - Ca;
                const double x0 = p[at.j - 1], x1 = p[at.j];
                const double dx = xn[k] - x0, den = x1 - x0;
                for (const Col& c : cols)
                    if (c.interpolated)
                        row[c.t] = Combine(row[c.t], x1 == x0 ? w0[c.a] : dx * (w1[c.a] - w0[c.a]) / den + w0[c.a], mode);
            }
        }
        if (mi != 0 || !grows) continue;
        // The first call's rule where it differs from the later calls' (see
        // the merge plan).
        for (int32_t k = 0; k < newN; ++k) {
            const NodeToCurve at = s.rest[static_cast<size_t>(k)];
            if (at.rel != kAt) continue;
            double& t = tb[static_cast<size_t>(k) * C + firstCol.t];
            const double w = wb[static_cast<size_t>(at.j) * Ca + firstCol.a];
            if (s.source[static_cast<size_t>(k)].old < 0 &&
                (!firstCol.interpolated || s.first[static_cast<size_t>(k)].rel == kNone))
                t = w;
            else if (sameRest && mode != 2)
                t = Combine(t, w, mode);
        }
    }
}

double CResultTable::Interpolate(double x, double x0, double x1, double y0, double y1) {
    if (x1 == x0) return y0;
    return (x - x0) * (y1 - y0) / (x1 - x0) + y0;
}

double CResultTable::Combine(double a, double b, int mode) {
    switch (mode) {
        case 0: return a < b ? a : b;
        case 1: return a > b ? a : b;
        case 2: return a + b;
        default: return a;
    }
}

void CResultTable::ResampleMin(int32_t loadCase, int32_t valueId, int count, const double* positions,
                               const double* values) {
    Resample(loadCase, valueId, count, positions, values, 0);
}

void CResultTable::ResampleMax(int32_t loadCase, int32_t valueId, int count, const double* positions,
                               const double* values) {
    Resample(loadCase, valueId, count, positions, values, 1);
}

void CResultTable::ResampleSum(int32_t loadCase, int32_t valueId, int count, const double* positions,
                               const double* values) {
    Resample(loadCase, valueId, count, positions, values, 2);
}

void CResultTable::Resample(int32_t l, int32_t v, int m, const double* p, const double* w, int mode) {
    if (m <= 0 || !p || !w || Index(l, 0, v) < 0) return;
    const int32_t N = m_nNodes;
    const bool tagRow = (l == m_nTagLoadCase);
    auto value = [&](int32_t node) -> double& { return m_values[static_cast<size_t>(Index(l, node, v))]; };

    // 1. The same positions: element by element.
    bool same = (m == N);
    for (int32_t i = 0; same && i < N; ++i) same = SamePosition(m_xPos[static_cast<size_t>(i)], p[i]);
    if (same) {
        for (int32_t i = 0; i < N; ++i) {
            double& s = value(i);
            if (mode == 1) {
                int32_t& tag = m_tags[static_cast<size_t>(i)];
                if (tagRow && (tag == -1 || (v == m_nTagValueId && s < w[i]))) tag = m_nTagValue;
                if (s < w[i]) s = w[i];
            } else if (mode == 0) {
                if (w[i] < s) s = w[i];
            } else if (mode == 2) {
                s += w[i];
            }
        }
        return;
    }

    // 2. The union of both position lists, walked in ascending order. A point
    // of one list that has no neighbour in the other (before its start or
    // after its end) keeps its own value, so nothing outside either list is
    // read and no position is dropped.
    const bool interpolated = !NoInterpolation(v);
    const bool tagging = mode == 1 && tagRow && v == m_nTagValueId;
    const double* x = m_xPos.data();

    // Every curve position one of the table's (the usual case: a table that
    // has taken a curve once takes every further row of that curve's
    // positions so): the union is the table's own list, and the row and the
    // tags are merged in place, node by node, as the walk below would.
    // (Rebuilding the table for every row made a run's merge quadratic.)
    const bool adds = AddsPositions(x, N, p, m);
    if (!adds) {
        const size_t stride = static_cast<size_t>(m_nColumns);
        double* row = &value(0);
        int32_t j = 0;
        for (int32_t i = 0; i < N; ++i) {
            double& s = row[static_cast<size_t>(i) * stride];
            int32_t& tag = m_tags[static_cast<size_t>(i)];
            bool hasCurve = true;
            double curve = 0.0;
            if (j < m && SamePosition(x[i], p[j])) {
                curve = w[j];
                s = Combine(s, curve, mode);
                ++j;
            } else if (interpolated && j > 0 && j < m) {
                curve = Interpolate(x[i], p[j - 1], p[j], w[j - 1], w[j]);
                s = Combine(s, curve, mode);
            } else {
                hasCurve = false;
            }
            if (tagging && hasCurve && std::fabs(s - curve) < kSamePosition) tag = m_nTagValue;
        }
        return;
    }

    std::vector<double> mergedPos, mergedVal;
    std::vector<int32_t> mergedTag;
    mergedPos.reserve(static_cast<size_t>(N + m));
    mergedVal.reserve(static_cast<size_t>(N + m));
    mergedTag.reserve(static_cast<size_t>(N + m));
    auto push = [&](double pos, double val, int32_t tag, bool hasCurve, double curve) {
        if (tagging && hasCurve && std::fabs(val - curve) < kSamePosition) tag = m_nTagValue;
        mergedPos.push_back(pos);
        mergedVal.push_back(val);
        mergedTag.push_back(tag);
    };
    int32_t i = 0, j = 0;
    while (i < N || j < m) {
        double xi = i < N ? m_xPos[static_cast<size_t>(i)] : 0.0;
        if (i < N && j < m && SamePosition(xi, p[j])) {
            push(xi, Combine(value(i), w[j], mode), m_tags[static_cast<size_t>(i)], true, w[j]);
            ++i;
            ++j;
        } else if (i < N && (j >= m || xi < p[j])) {
            double s = value(i);
            if (interpolated && j > 0 && j < m) {
                double c = Interpolate(xi, p[j - 1], p[j], w[j - 1], w[j]);
                push(xi, Combine(s, c, mode), m_tags[static_cast<size_t>(i)], true, c);
            } else {
                push(xi, s, m_tags[static_cast<size_t>(i)], false, 0.0);
            }
            ++i;
        } else {
            int32_t tagBefore = i > 0 ? m_tags[static_cast<size_t>(i - 1)] : -1;
            if (interpolated && i > 0 && i < N) {
                double s = Interpolate(p[j], m_xPos[static_cast<size_t>(i - 1)], xi, value(i - 1), value(i));
                push(p[j], Combine(s, w[j], mode), tagBefore, true, w[j]);
            } else {
                push(p[j], w[j], tagBefore, true, w[j]);
            }
            ++j;
        }
    }

    // 3. The table rebuilt on the merged positions: every other row keeps its
    // value at an old position and is interpolated (or 0 without
    // interpolation) at a new one; the row of the curve takes the merged values.
    const int32_t newN = static_cast<int32_t>(mergedPos.size());
    if (static_cast<int64_t>(m_nLoadCases) * newN * std::max(m_nColumns, 1) > kMaxTableValues) return;
    const int32_t oldN = N;
    const std::vector<double> oldX = std::move(m_xPos);
    const std::vector<double> oldValues = std::move(m_values);
    const std::vector<int32_t> noInterpolation = m_noInterpolation;
    m_nNodes = newN;
    m_xPos = mergedPos;
    m_tags = std::move(mergedTag);
    Renumber();
    m_noInterpolation = noInterpolation;
    // The present value ids with their columns (the same before and after).
    struct Present {
        int32_t column;
        bool interpolated;
    };
    std::vector<Present> present;
    for (int32_t vid = 0; vid < m_nValues; ++vid) {
        const int32_t column = GetColumn(vid);
        if (column >= 0 && column < m_nColumns) present.push_back({column, !NoInterpolation(vid)});
    }
    const int32_t curveColumn = GetColumn(v);
    const int32_t columns = m_nColumns;
    auto old = [&](int32_t lc, int32_t node, int32_t column) {
        const size_t at = (static_cast<size_t>(oldN) * lc + node) * columns + column;
        return node >= 0 && node < oldN && at < oldValues.size() ? oldValues[at] : 0.0;
    };
    bool reported = false;
    int32_t jo = 0;
    for (int32_t k = 0; k < newN; ++k) {
        const double xp = mergedPos[static_cast<size_t>(k)];
        while (jo < oldN && oldX[static_cast<size_t>(jo)] < xp && !SamePosition(oldX[static_cast<size_t>(jo)], xp)) {
            // A merged position passed an old one without taking it: the
            // curve's positions were out of order.
            if (!reported) {
                winsys::MessageBox("Error: newPos[i]>oldPos[j]");
                reported = true;
            }
            ++jo;
        }
        const bool equal = jo < oldN && SamePosition(oldX[static_cast<size_t>(jo)], xp);
        for (int32_t lc = 0; lc < m_nLoadCases; ++lc) {
            double* row = m_values.data() + (static_cast<size_t>(newN) * lc + k) * columns;
            for (const Present& c : present) {
                double val;
                if (lc == l && c.column == curveColumn) {
                    val = mergedVal[static_cast<size_t>(k)];
                } else if (equal) {
                    val = old(lc, jo, c.column);
                } else if (!c.interpolated) {
                    val = 0.0;
                } else if (jo == 0) {
                    val = old(lc, 0, c.column);
                } else if (jo >= oldN) {
                    val = old(lc, oldN - 1, c.column);
                } else {
                    val = Interpolate(xp, oldX[static_cast<size_t>(jo - 1)], oldX[static_cast<size_t>(jo)],
                                      old(lc, jo - 1, c.column), old(lc, jo, c.column));
                }
                row[c.column] = val;
            }
        }
        if (equal) ++jo;
    }
}

// ===========================================================================
// CResultSet
// ===========================================================================

int CResultSet::FloatsPerPoint(int32_t type) {
    switch (type) {
        case 0: return 2;
        case 1: return 7;
        default: return 3;
    }
}

int CResultSet::NumPoints() const { return static_cast<int>(m_data.size()) / FloatsPerPoint(m_type); }

void CResultSet::FindExtremes() {
    if (m_type != 0 && m_type != 2 && m_type != 3) return;
    const int fpp = FloatsPerPoint(m_type);
    const int n = NumPoints();
    if (n <= 0) return;
    float mn = 1e10f, mx = -1e10f, xmn = 0.0f, xmx = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float x = m_data[static_cast<size_t>(i * fpp)];
        for (int k = 1; k < fpp; ++k) {
            const float val = m_data[static_cast<size_t>(i * fpp + k)];
            if (val < mn) { mn = val; xmn = x; }
            if (val > mx) { mx = val; xmx = x; }
        }
    }
    m_min = mn;
    m_max = mx;
    m_xMin = xmn;
    m_xMax = xmx;
    m_extremes.push_back(xmn);
    m_extremes.push_back(xmx);
    const bool spansZero = (m_max - m_min >= 0.0001f) && (m_min * m_max <= 0.0f);
    if (!spansZero) {
        if (m_max < 0.0f)
            m_max = 0.0f;
        else
            m_min = 0.0f;
    }
}

void CResultSet::RemovePoint(int point) {
    const int fpp = FloatsPerPoint(m_type);
    const int n = NumPoints();
    if (point < 0 || point >= n) return;
    auto first = m_data.begin() + static_cast<std::ptrdiff_t>(point) * fpp;
    m_data.erase(first, first + fpp);
    if (static_cast<int>(m_poi.size()) == n) m_poi.erase(m_poi.begin() + point);
}

void CResultSet::ReducePoints() {
    if (m_type != 0 && m_type != 2) return;
    const int fpp = FloatsPerPoint(m_type);
    if (NumPoints() < 3) return;
    auto at = [&](int point, int k) { return static_cast<double>(m_data[static_cast<size_t>(point * fpp + k)]); };
    const double X = at(NumPoints() - 1, 0) - at(0, 0);
    const double V = static_cast<double>(m_max) - static_cast<double>(m_min);
    // Both criteria are relative to the ranges; a curve without an x range or
    // without a value range is left as it is.
    if (!(X >= 1e-12) || !(V >= 1e-12)) return;
    int i = 1;
    while (i < NumPoints() - 1) {
        const double x0 = at(i - 1, 0), x = at(i, 0), x1 = at(i + 1, 0);
        const double rdx = std::fabs(x1 - x) / X;
        bool remove = true;
        for (int k = 1; k < fpp && remove; ++k) {
            const double line = (x1 != x0) ? CResultTable::Interpolate(x, x0, x1, at(i - 1, k), at(i + 1, k)) : at(i - 1, k);
            const double rd = std::fabs(at(i, k) - line) / V;
            const bool tiny = std::fabs(rdx) < 1e-6 && rd < 1e-6;
            remove = tiny || rd < 0.1 * std::fabs(rdx);
        }
        if (remove)
            RemovePoint(i);
        else
            ++i;
    }
}

void CResultSet::InsertZeroCrossings() {
    if (m_type == 0) {
        for (int i = 0; i + 1 < NumPoints(); ++i) {
            const float x0 = m_data[static_cast<size_t>(2 * i)], v0 = m_data[static_cast<size_t>(2 * i + 1)];
            const float x1 = m_data[static_cast<size_t>(2 * i + 2)], v1 = m_data[static_cast<size_t>(2 * i + 3)];
            const bool opposite = (v0 < -0.0001f && v1 > 0.0001f) || (v0 > 0.0001f && v1 < -0.0001f);
            if (!opposite) continue;
            const float x = x0 + std::fabs(v0) * (x1 - x0) / std::fabs(v1 - v0);
            const bool parallel = static_cast<int>(m_poi.size()) == NumPoints();
            m_data.insert(m_data.begin() + 2 * (i + 1), {x, 0.0f});
            if (parallel) m_poi.insert(m_poi.begin() + (i + 1), 0);
            ++i;  // the new point lies between i and the next one
        }
    } else if (m_type == 2 && m_data.size() >= 4) {
        const int n = static_cast<int>(m_data.size()) / 3;
        double sumDiff = 0.0, largest = 0.0;
        for (int i = 0; i < n; ++i) {
            const double a = m_data[static_cast<size_t>(3 * i + 1)], b = m_data[static_cast<size_t>(3 * i + 2)];
            sumDiff += std::fabs(a - b);
            largest = std::max({largest, std::fabs(a), std::fabs(b)});
        }
        if (n > 0 && sumDiff / n < 0.01 * largest) {
            for (int i = 0; i < n; ++i) {
                float& a = m_data[static_cast<size_t>(3 * i + 1)];
                float& b = m_data[static_cast<size_t>(3 * i + 2)];
                if (a >= 0.0f)
                    a = 0.0f;
                else
                    b = 0.0f;
            }
        }
    }
}

bool CResultSet::IsAllZero() const {
    for (size_t i = 0; i < m_data.size(); ++i) {
        bool tested = false;
        if (m_type == 0)
            tested = (i % 2) == 1;
        else if (m_type == 2 || m_type == 3)
            tested = (i % 3) != 0;
        if (tested && std::fabs(m_data[i]) >= 1e-6f) return false;
    }
    return true;
}

// ===========================================================================
// Result series in the document
// ===========================================================================

void ReadResultSeries(ZVELEM element, const std::string& path, int32_t nodes, int32_t elements,
                      std::vector<CResultSet>& sets) {
    if (!element) return;
    CResultSet set;
    set.m_type = ZEVUD_GetInt(element, "type");
    if (set.m_type == -1) return;
    const int fpp = CResultSet::FloatsPerPoint(set.m_type);
    set.m_default = ZEVUD_GetInt(element, "default");
    set.m_nDigits = ZEVUD_GetIntWithDefault(element, "nDigits", 2);
    set.m_bRead = 1;
    std::string title;
    int64_t dataLength = -1;
    bool hasData = false, hasPoi = false;
    const int attrs = ZEVUD_GetAttrCount(element);
    for (int a = 0; a < attrs; ++a) {
        const std::string name = zevud::GetAttrName(element, a);
        if (name == "title") {
            title = zevud::GetString(element, "title");
        } else if (name == "unit") {
            set.m_strUnit = zevud::GetString(element, "unit");
            if (set.m_strUnit == "-") set.m_strUnit.clear();
        } else if (name == "bAbsolut") {
            set.m_bAbsolut = ZEVUD_GetInt(element, "bAbsolut");
        } else if (name == "dataLength") {
            dataLength = ZEVUD_GetInt(element, "dataLength");
        } else if (name == "data") {
            hasData = true;
        } else if (name == "poi") {
            hasPoi = true;
        } else if (name == "lkNr") {
            set.m_lkNr = ZEVUD_GetInt(element, "lkNr");
        } else if (name == "resType") {
            set.m_resType = ZEVUD_GetInt(element, "resType");
        }
    }
    // The point count says how many floats the set holds; the stored bytes
    // may hold fewer (zero-filled) or more (cut). A count that is negative or
    // absent, or beyond reason, gives way to the bytes actually stored.
    if (hasData) {
        const int64_t storedFloats = ZEVUD_GetBinDataLength(element, "data") / 4;
        int64_t floats = dataLength >= 0 ? dataLength * fpp : storedFloats;
        if (floats > kMaxResultFloats) floats = std::min(storedFloats, kMaxResultFloats);
        floats -= floats % fpp;
        set.m_data.assign(static_cast<size_t>(floats), 0.0f);
        ReadBinArray(element, "data", set.m_data);
        for (float& f : set.m_data) f = Finite(f);
    }
    if (hasPoi) {
        set.m_poi.assign(static_cast<size_t>(set.NumPoints()), 0);
        ReadBinArray(element, "poi", set.m_poi);
    }
    const std::string newPath = path.empty() ? title : path + "\\" + title;
    set.m_strTitle = newPath;
    if (!set.m_data.empty()) {
        set.FindExtremes();
        set.InsertZeroCrossings();
        sets.push_back(std::move(set));
    }
    for (ZVELEM child = ZEVUD_GetFirstChild(element); child; child = ZEVUD_GetNextChild(child))
        ReadResultSeries(child, newPath, nodes, elements, sets);
}

ZVELEM EnsureResultPath(ZVELEM parent, const std::string& path, CResultPathMemo* memo) {
    if (!parent || path.empty()) return parent;
    if (memo && memo->parent != parent) {
        memo->parent = parent;
        memo->levels.clear();
    }
    ZVELEM element = parent;
    size_t level = 0;  // non-empty parts so far
    for (size_t start = 0;;) {
        const size_t cut = path.find('\\', start);
        const std::string head = path.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (!head.empty()) {
            if (memo && level < memo->levels.size() && memo->levels[level].first == head) {
                // The element this part found last time: still the first
                // child of that name (children are only ever appended), its
                // title the same.
                element = memo->levels[level].second;
            } else {
                const std::string name = zevud::MakeValidElementName(head);
                ZVELEM child = ZEVUD_FindFirstChild(element, name.c_str());
                if (!child) child = ZEVUD_AddChildElement(element, name.c_str());
                if (!child) {
                    if (memo) memo->levels.resize(std::min(memo->levels.size(), level));
                    return 0;
                }
                ZEVUD_SetString(child, "title", head.c_str());
                element = child;
                if (memo) {
                    memo->levels.resize(level);
                    memo->levels.emplace_back(head, element);
                }
            }
            ++level;
        }
        if (cut == std::string::npos) break;
        start = cut + 1;
    }
    return element;
}

ZVELEM WriteResultSet(const CResultSet& set, ZVELEM parent, CResultPathMemo* memo) {
    ZVELEM element = EnsureResultPath(parent, set.m_strTitle, memo);
    if (!element) return 0;
    ZEVUD_SetString(element, "unit", set.m_strUnit.c_str());
    ZEVUD_SetInt(element, "nDigits", set.m_nDigits);
    const int divisor = set.m_type == 0 ? 2 : 3;
    ZEVUD_SetInt(element, "dataLength", static_cast<int32_t>(set.m_data.size() / static_cast<size_t>(divisor)));
    WriteBinArray(element, "data", set.m_data);
    ZEVUD_SetInt(element, "type", set.m_type);
    ZEVUD_SetInt(element, "resType", set.m_resType);
    return element;
}
