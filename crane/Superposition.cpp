// The superposition of one kernel run of a crane-runway check: the load-case
// results that the kernel left in the position's "result" element are
// combined through the load-combination library into the check's
// combinations; the design combinations give stresses and the envelopes, the
// characteristic ones the second table; support reactions, fatigue tables
// and the plate stresses per field are kept on the way.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "crane/CraneOperations.h"
#include "crane/CraneResults.h"
#include "crane/RunPreparation.h"
#include "module/ModuleData.h"
#include "module/frame/ModuleMessages.h"
#include "platform/combor/combor.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"

using namespace crane_ids;

namespace {

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kArea = "RigelData";

std::string Tr(const char* text) { return lingo::Translate(kApp, kSection, kArea, text); }

// One series of the kernel's result tree as stored: floats per point by its
// layout type, the value being the second float of each point. Its data are
// decoded when first asked for: a run leaves many more series in the tree
// than a check reads (other checks' values, the envelopes of the run).
struct Series {
    ZVELEM element = 0;
    int32_t type = 0;
    int Stride() const { return type == 0 ? 2 : 3; }
    const std::vector<float>& Data() const {
        if (!decoded) {
            decoded = true;
            data = zevud::GetFloats(element, "data");
            data.resize(data.size() - data.size() % static_cast<size_t>(Stride()));
        }
        return data;
    }
    int Points() const { return static_cast<int>(Data().size()) / Stride(); }

private:
    mutable bool decoded = false;
    mutable std::vector<float> data;
};

// Series by a key; of several with one key the first in the tree counts.
// Filled in tree order, then ordered once (a run holds some hundred series).
class SeriesIndex {
public:
    void Add(int64_t key, Series&& s) { entries_.emplace_back(key, std::move(s)); }
    void Order() {
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        entries_.erase(std::unique(entries_.begin(), entries_.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       entries_.end());
    }
    const Series* Find(int64_t key) const {
        auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                                   [](const auto& e, int64_t k) { return e.first < k; });
        return it != entries_.end() && it->first == key ? &it->second : nullptr;
    }

private:
    std::vector<std::pair<int64_t, Series>> entries_;
};

// The series of the tree below e that carry a result code: by (lkNr << 16) +
// resType for those of a load case (lkNr > 0), by resType for those without
// (lkNr -1). The first series of a key counts (SeriesIndex::Order).
void CollectSeries(ZVELEM e, SeriesIndex& ofCases, SeriesIndex& envelopes) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        if (ZEVUD_HasAttr(c, "resType") && ZEVUD_HasAttr(c, "data")) {
            Series s;
            s.element = c;
            s.type = ZEVUD_GetInt(c, "type");
            if (s.type == 0 || s.type == 2 || s.type == 3) {
                const int32_t resType = ZEVUD_GetInt(c, "resType");
                const int32_t lkNr = ZEVUD_GetIntWithDefault(c, "lkNr", -1);
                if (lkNr > 0) ofCases.Add((static_cast<int64_t>(lkNr) << 16) + resType, std::move(s));
                else if (lkNr == -1 && s.type != 0) envelopes.Add(resType, std::move(s));
            }
        }
        CollectSeries(c, ofCases, envelopes);
    }
}

// The node count of the work table: the largest point count of the series
// found (element ends); a series at the nodes has (count + 2) / 2 points.
int WorkNodes(const std::vector<const Series*>& found) {
    int n = 0;
    for (const Series* s : found) n = std::max(n, s->Points());
    return n;
}

// Copies column k (1: the value, 2: the minimum of a triple) of a series
// into row (slot, id): directly when it has a point per node, spread by
// pairs when it has a point per node of the member (2 points - 2 = nodes);
// any other count leaves the row as it is. Returns whether it was copied.
bool CopySeries(CResultTable& t, int slot, int32_t id, const Series& s, int k) {
    const int nodes = t.GetNumNodes();
    if (s.Points() == nodes) t.SetRowFloat(slot, id, s.Data().data(), k, s.Stride());
    else if (2 * s.Points() - 2 == nodes) t.SetRowFloatPairs(slot, id, s.Data().data(), k, s.Stride());
    else return false;
    return true;
}

// The x of the nodes from the first series with a point per node.
void TakePositions(CResultTable& t, const std::vector<const Series*>& found) {
    for (const Series* s : found)
        if (s->Points() == t.GetNumNodes()) {
            t.SetXPositionsFloat(s->Data().data(), 0, s->Stride());
            return;
        }
}

// A table of `slots` load cases over the nodes, positions and values of w,
// every slot holding w's slot `from`.
CResultTable Seeded(const CResultTable& w, int slots, int from) {
    CResultTable t;
    t.m_valIdx = w.m_valIdx;
    t.Init(slots, w.GetNumNodes(), w.GetNumValues());
    t.m_xPos = w.m_xPos;
    for (int s = 0; s < slots; ++s) t.SetBlock(s, w.GetBlock(from));
    return t;
}

// The titles of a position's curves, "%s ... %ld ... %s" (check name,
// position counted from 1, label), as FormatTranslated forms them: without a
// translation of the format (translated as it stands, the usual case) its
// parts are joined directly as printf joins them, the format read once
// rather than for every curve of every run.
class PositionTitle {
public:
    PositionTitle(const char* format, const std::string& translated) : format_(format), translated_(translated) {
        direct_ = translated_ == format_;
        const char* const conversions[3] = {"%s", "%ld", "%s"};
        size_t at = 0;
        for (int k = 0; direct_ && k < 3; ++k) {
            const size_t found = format_.find(conversions[k], at);
            if (found == std::string::npos) {
                direct_ = false;
                break;
            }
            parts_[k] = format_.substr(at, found - at);
            at = found + std::strlen(conversions[k]);
        }
        if (direct_) parts_[3] = format_.substr(at);
        for (const std::string& part : parts_) direct_ = direct_ && part.find('%') == std::string::npos;
    }
    std::string operator()(const std::string& check, long position, const std::string& label) const {
        if (!direct_) return lingo::FormatTranslated(format_, translated_, check, position, label);
        std::string out = parts_[0];
        out += check.c_str();
        out += parts_[1];
        out += std::to_string(position);
        out += parts_[2];
        out += label.c_str();
        out += parts_[3];
        return out;
    }

private:
    std::string format_, translated_;
    std::string parts_[4];
    bool direct_ = false;
};

// A result set of the work table's row (slot, id) as (x, value) pairs, or
// with a second slot as triples (x, value of slot, value of second); false
// when every value is zero.
bool MakeSet(const CResultTable& w, int slot, int second, int32_t id, CResultSet& set) {
    const int nodes = w.GetNumNodes();
    const std::vector<double>& x = w.GetXData();
    set.m_type = second < 0 ? 0 : 2;
    set.m_data.clear();
    for (int i = 0; i < nodes; ++i) {
        set.m_data.push_back(static_cast<float>(x[static_cast<size_t>(i)]));
        set.m_data.push_back(static_cast<float>(w.GetValue(slot, i, id)));
        if (second >= 0) set.m_data.push_back(static_cast<float>(w.GetValue(second, i, id)));
    }
    return !set.IsAllZero();
}

// Group of each load case by its name: 1, 2 or 3 for the load cases of
// cranes 1 to 3 (the last prefix found counts), else 0.
std::vector<int> ReactionGroups(const std::vector<std::string>& names) {
    std::string prefixes[3];
    for (int c = 1; c <= 3; ++c)
        prefixes[c - 1] = lingo::FormatTranslated("K%ld.", Tr("K%ld."), static_cast<long>(c));
    std::vector<int> groups;
    groups.reserve(names.size());
    for (const std::string& name : names) {
        int group = 0;
        for (int c = 1; c <= 3; ++c)
            if (name.find(prefixes[c - 1]) != std::string::npos) group = c;
        groups.push_back(group);
    }
    return groups;
}

// The fatigue values of the check points: sigma_x, tau and the two local
// wheel-load stresses of every evaluation point.
bool IsFatiguePointValue(int32_t id, int points) {
    return id >= kFixedIds && id < PlateValue(points, 0) && (id - kFixedIds) % kIdsPerPoint < 4;
}

// Widens the extremes of the check points' fatigue values in slots lo (the
// minimum) and hi (the maximum) of t by the state `unloaded` of the girder
// without the cranes' fatigue loads (a block of t's layout; null: all
// values zero). The stress range of a crane passage runs from the girder
// without that crane to the extremes with it (EN 1991-3 2.12.1,
// EN 1993-6 9.3; EN 1993-1-9 1.3.2: the stress range is the algebraic difference
// of the extremes of a stress history), so that state belongs to each
// point's extremes before the range is formed.
void IncludeUnloadedState(CResultTable& t, int lo, int hi, int points, const double* unloaded) {
    const int32_t columns = t.GetNumColumns();
    for (int32_t v = 0; v < t.GetNumValues(); ++v) {
        if (!t.HasValue(v) || !IsFatiguePointValue(v, points)) continue;
        const int32_t c = t.GetColumn(v);
        for (int i = 0; i < t.GetNumNodes(); ++i) {
            const double u = unloaded ? unloaded[static_cast<size_t>(i) * columns + c] : 0.0;
            t.SetValue(lo, i, v, std::min(t.GetValue(lo, i, v), u));
            t.SetValue(hi, i, v, std::max(t.GetValue(hi, i, v), u));
        }
    }
}

}  // namespace

void StoreReaction(CModuleData& d, int support, int extreme, int group, const double* values, const std::string& name,
                   int position) {
    if (support < 0 || support >= CCraneReactions::kSupports || extreme < 0 || extreme >= 12 || group < 0 ||
        group > 3 || !values)
        return;
    const int i = (12 * support + extreme) * 4 + group;
    for (int c = 0; c < 6; ++c) d.m_reactions.table[c][i] = values[c];
    char* label = d.m_reactions.labels[i];
    std::memset(label, 0, CCraneReactions::kLabelBytes);
    std::memcpy(label, name.data(), std::min<size_t>(name.size(), CCraneReactions::kLabelBytes - 1));
    d.m_reactions.pos[12 * support + extreme] = position;
}

namespace {

// The reactions of characteristic combination k (slot n of the work table)
// at every support node against the check's extremes over the crane
// positions: a beaten extreme (maximum strictly greater, minimum strictly
// smaller; the first state of a support sets all twelve) keeps in group 0
// the combination's six reactions, its label and the crane position, and in
// group 1..3 the name of crane 1..3's load case of the largest factor in the
// combination (none when the crane takes no part).
void StoreCombinationReactions(CCraneReactions& r, const CResultTable& w, int n, int k, const std::string& type,
                               const std::vector<double>& factors, const std::vector<std::string>& names,
                               const std::vector<int>& groups, const std::vector<int>& nodeSupport,
                               const std::vector<double>& supportX, int position) {
    char label[32];
    std::snprintf(label, sizeof label, "%s %d", type.c_str(), k + 1);
    std::string texts[4] = {label, "", "", ""};
    double largest[4] = {0, 0, 0, 0};
    const int cases = std::min<int>({n, static_cast<int>(factors.size()), static_cast<int>(names.size())});
    for (int l = 0; l < cases; ++l) {
        const int g = groups[static_cast<size_t>(l)];
        const double f = std::fabs(factors[static_cast<size_t>(l)]);
        if (g > 0 && f > 0.01 && f > largest[g]) {
            largest[g] = f;
            texts[g] = names[static_cast<size_t>(l)];
        }
    }
    auto at = [](int support, int extreme, int group) { return (12 * support + extreme) * 4 + group; };
    for (int i = 0; i < static_cast<int>(nodeSupport.size()); ++i) {
        const int support = nodeSupport[static_cast<size_t>(i)];
        if (support < 0 || support >= CCraneReactions::kSupports) continue;
        double reaction[6];
        for (int c = 0; c < 6; ++c) reaction[c] = w.GetValue(n, i, kReactionAx + c);
        const bool first = !r.seen[support];
        r.seen[support] = true;
        r.xCoords[support] = supportX[static_cast<size_t>(support)];
        r.nAufl = std::max(r.nAufl, support + 1);
        for (int e = 0; e < 12; ++e) {
            const int c = e % 6;
            const double stored = r.table[c][at(support, e, 0)];
            if (!first && !(e < 6 ? reaction[c] > stored : reaction[c] < stored)) continue;
            for (int g = 0; g < 4; ++g) {
                const int idx = at(support, e, g);
                for (int q = 0; q < 6; ++q) r.table[q][idx] = g == 0 ? reaction[q] : 0.0;
                std::memset(r.labels[idx], 0, CCraneReactions::kLabelBytes);
                std::memcpy(r.labels[idx], texts[g].data(),
                            std::min<size_t>(texts[g].size(), CCraneReactions::kLabelBytes - 1));
            }
            r.pos[12 * support + e] = position;
        }
    }
}

// The kernel's stress-point block into the module; a block whose size
// disagrees with its counts is refused with a message and the block kept.
void ReadStressPointBlock(CModuleData& d, ZVELEM esp) {
    const int32_t values = ZEVUD_GetInt(esp, "numOfValues");
    const int32_t nodes = ZEVUD_GetInt(esp, "numOfNodes");
    // Decoded once: the count checked is the count read.
    const std::vector<unsigned char> raw = zevud::GetBinData(esp, "esp");
    const int64_t bytes = static_cast<int64_t>(raw.size());
    if (values < 0 || nodes < 0 || static_cast<int64_t>(values) * nodes * 8 != bytes || values % kEspGroup != 0) {
        rigel::ShowCommonMessage(kArea,
                                 "Die Spannungspunkte des Ergebnisses sind beschädigt (%d Werte, %d Knoten, %ld "
                                 "Bytes) und werden nicht gelesen.",
                                 values, nodes, static_cast<long>(bytes));
        return;
    }
    d.m_stressPoints = CResultTable();
    if (!d.m_stressPoints.Init(1, nodes, values)) return;
    if (double* block = d.m_stressPoints.GetBlock(0)) std::memcpy(block, raw.data(), raw.size());
}

// Spreads the stress-point block from the member's nodes onto the element
// ends of a work table of `nodes` nodes (2 x member nodes - 2).
void SpreadStressPoints(CModuleData& d, int nodes) {
    CResultTable& sp = d.m_stressPoints;
    const int32_t m = sp.GetNumNodes();
    if (m == nodes || 2 * m - 2 != nodes || m < 2) return;
    CResultTable t;
    const int32_t values = sp.GetNumColumns();
    t.Init(1, nodes, values);
    const double* from = sp.GetBlock(0);
    double* to = t.GetBlock(0);
    for (int32_t n = 0; n < nodes; ++n)
        std::copy(from + static_cast<size_t>((n + 1) / 2) * values, from + static_cast<size_t>((n + 1) / 2 + 1) * values,
                  to + static_cast<size_t>(n) * values);
    sp = std::move(t);
}

void DeriveCombinationStresses(CModuleData& d, CResultTable& w, int slot, int points,
                               const std::vector<int>& pointEntry, double fd, int check);
void BucklingRun(CModuleData& d, int check, int position, const std::vector<int32_t>& codes,
                 const std::vector<char>& kept, const SeriesIndex& envelopes,
                 const std::vector<std::string>& pointNames);

}  // namespace

void SuperposeCraneResults(CModuleData& d, int check, int mode, int loadCases, int position,
                           const std::vector<std::string>& names, std::FILE* log) {
    if ((mode != 1 && mode != 3) || check < 0 || check >= CModuleData::kCraneChecks) {
        d.m_superposition = CResultTable();
        return;
    }
    const ZVELEM root = d.m_hDoc ? ZEVUD_GetRootElement(d.m_hDoc) : 0;
    const ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    if (!result) return;

    // The kernel's evaluation points, each the module's point of its name
    // (the last one of that name); a name no point carries is none (-1).
    std::vector<int> pointEntry;
    std::vector<std::string> pointNames;
    if (ZVELEM up = ZEVUD_FindFirstChild(result, "userPoints")) {
        const int32_t n = std::clamp(ZEVUD_GetInt(up, "numOfUserPoints"), 0, CModuleData::kMaxListCount);
        for (int32_t i = 0; i < n; ++i) {
            const std::string name = zevud::GetString(up, winsys::FormatC("userPoint-%ld", static_cast<long>(i)));
            int entry = -1;
            for (size_t k = 0; k < d.m_notchCases.size(); ++k)
                if (d.m_notchCases[k].m_strName == name) entry = static_cast<int>(k);
            pointEntry.push_back(entry);
            pointNames.push_back(name);
        }
    }
    const int points = static_cast<int>(pointEntry.size());
    d.m_userPointNames.assign(pointNames.begin(), pointNames.end());
    int32_t plates = 0;
    if (ZVELEM ps = ZEVUD_FindFirstChild(result, "plateStress"))
        plates = std::clamp(ZEVUD_GetInt(ps, "numOfPlates"), 0, CModuleData::kMaxListCount);
    d.m_numOfPlates = plates;
    if (ZVELEM esp = ZEVUD_FindFirstChild(result, "esp")) ReadStressPointBlock(d, esp);

    // The value ids of the run and those this check processes.
    const std::vector<int32_t> codes = ResultCodes(points, plates);
    const int32_t ids = static_cast<int32_t>(codes.size());
    std::vector<char> kept(static_cast<size_t>(ids), 0);
    for (int32_t v = 0; v < ids; ++v) {
        const bool point = v >= kFixedIds && v < PlateValue(points, 0);
        const int k = point ? (v - kFixedIds) % kIdsPerPoint : -1;
        switch (check) {
        case 0: case 1: case 2: kept[static_cast<size_t>(v)] = v >= kNormalForce; break;
        case 3: kept[static_cast<size_t>(v)] = v < kFixedIds || point; break;
        case 4: kept[static_cast<size_t>(v)] = (v >= kNormalForce && v <= kMw) || (point && k < 4); break;
        default: break;
        }
    }

    SeriesIndex ofCases, envelopes;
    CollectSeries(result, ofCases, envelopes);
    ofCases.Order();
    envelopes.Order();

    if (mode == 3) {
        BucklingRun(d, check, position, codes, kept, envelopes, pointNames);
        return;
    }

    // 1. The work table: the load cases, one combination and the position's
    // minimum and maximum over the design combinations.
    const int n = std::max(loadCases, 0);
    std::vector<const Series*> found;
    std::vector<int32_t> valIdx(static_cast<size_t>(ids), -1);
    for (int32_t v = 0; v < ids; ++v) {
        if (!kept[static_cast<size_t>(v)]) continue;
        for (int l = 0; l < n; ++l) {
            const Series* it = ofCases.Find((static_cast<int64_t>(l + 1) << 16) + codes[static_cast<size_t>(v)]);
            if (codes[static_cast<size_t>(v)] == 0 || !it) continue;
            found.push_back(it);
            valIdx[static_cast<size_t>(v)] = 0;
        }
    }
    // The section forces of a run are there even where the kernel wrote no
    // series (it leaves out series that are zero throughout): the stresses
    // are formed from all of them.
    for (int32_t v = kNormalForce; v <= kMw; ++v)
        if (kept[static_cast<size_t>(v)]) valIdx[static_cast<size_t>(v)] = 0;
    // Derived values: stresses, the evaluation points' values and, in the
    // serviceability check, the deflection utilisations.
    for (int32_t v : {kMinSigma, kMaxSigma, kMaxTau, kEquivalent, kUtilisation})
        if (kept[static_cast<size_t>(v)]) valIdx[static_cast<size_t>(v)] = 0;
    for (int u = 0; u < points; ++u)
        for (int k = 0; k < kIdsPerPoint; ++k)
            if (kept[static_cast<size_t>(PointValue(u, k))]) valIdx[static_cast<size_t>(PointValue(u, k))] = 0;
    if (check == 3)
        for (int32_t v : {2, 6})
            if (valIdx[static_cast<size_t>(v == 2 ? 0 : kDisplacementY)] == 0) valIdx[static_cast<size_t>(v)] = 0;
    const int nodes = WorkNodes(found);
    CResultTable& w = d.m_superposition;
    w = CResultTable();
    w.m_valIdx = valIdx;
    if (nodes < 1 || !w.Init(n + 3, nodes, ids)) return;
    TakePositions(w, found);
    for (int l = 0; l < n; ++l)
        for (int32_t v = 0; v < ids; ++v) {
            if (!w.HasValue(v) || codes[static_cast<size_t>(v)] == 0) continue;
            const Series* it = ofCases.Find((static_cast<int64_t>(l + 1) << 16) + codes[static_cast<size_t>(v)]);
            if (it) CopySeries(w, l, v, *it, 1);
        }
    SpreadStressPoints(d, nodes);
    const std::vector<double> x = w.GetXData();

    // 2. Local wheel-load effects at the evaluation points. A crane's
    // effects at the nodes for a load case are the same for every point
    // (each point takes its slot of them): worked out once, when first
    // needed.
    const int cranes = static_cast<int>(d.m_cranes.size());
    struct LocalEffects {
        bool done = false;
        std::vector<double> local;
        std::vector<int> slotIds, slotKinds;
    };
    std::vector<LocalEffects> effects(static_cast<size_t>(n) * static_cast<size_t>(std::max(cranes, 0)));
    for (int u = 0; u < points; ++u) {
        const int entry = pointEntry[static_cast<size_t>(u)];
        if (entry < 0 || !w.HasValue(PointValue(u, 2))) continue;
        const CNotchCase& p = d.m_notchCases[static_cast<size_t>(entry)];
        if (!((p.m_iPlace == 2 && p.m_bActiv) || (p.m_iPlace == 1 && check == 4))) continue;
        for (int l = 0; l < n; ++l) {
            std::vector<double> sum(static_cast<size_t>(nodes) * 2, 0.0);
            for (int c = 0; c < cranes; ++c) {
                const size_t at = static_cast<size_t>(position) * cranes + c;
                if (at >= d.m_cranePositions.size()) continue;
                LocalEffects& e = effects[static_cast<size_t>(l) * cranes + c];
                if (!e.done) {
                    e.done = true;
                    CalcLocalWheelLoadEffects(d.m_cranes[static_cast<size_t>(c)], d, d.m_cranePositions[at], l + 1, x,
                                              e.local, &e.slotIds, &e.slotKinds);
                }
                const std::vector<double>& local = e.local;
                const std::vector<int>& slotIds = e.slotIds;
                const size_t stride = d.m_craneSettings.m_craneTyp == 0 ? 2 : 12;
                // Wheels on the bottom flange: the slot of the point's plate,
                // else the first slot of its kind.
                size_t slot = 0;
                if (stride == 12) {
                    int best = -1;
                    for (int s = 0; s < 6 && best < 0; ++s)
                        if (static_cast<size_t>(s) < slotIds.size() && slotIds[static_cast<size_t>(s)] == p.m_tqe)
                            best = s;
                    if (best < 0) best = p.m_iPlace <= 3 ? 0 : p.m_iPlace == 4 ? 2 : 4;
                    slot = static_cast<size_t>(best);
                }
                for (int i = 0; i < nodes && (static_cast<size_t>(i) + 1) * stride <= local.size(); ++i) {
                    sum[2 * static_cast<size_t>(i)] += local[static_cast<size_t>(i) * stride + 2 * slot];
                    sum[2 * static_cast<size_t>(i) + 1] += local[static_cast<size_t>(i) * stride + 2 * slot + 1];
                }
            }
            w.SetRow(l, PointValue(u, 2), sum.data(), 0, 2);
            w.SetRow(l, PointValue(u, 3), sum.data(), 1, 2);
        }
    }

    // 3. - 5. Supports, the load cases to the combination library, fatigue.
    const COMBOR_HANDLE h = d.LK().GetSession();
    const int32_t columns = w.GetNumColumns();
    COMBOR_InitResultSuperpositioning(h, columns, nodes);
    COMBOR_Calc(h);
    const std::vector<double> supportX = [&] {
        std::vector<double> xs;
        double at = 0.0;
        for (size_t k = 0; k < d.m_fieldLengths.size(); ++k) xs.push_back(at += d.m_fieldLengths[k].GetValue());
        return xs;
    }();
    const std::vector<double> restrained = GetRestrainedSupportX(d);
    // The support each node lies at (-1: none); of two supports within
    // 0.001 of a node the later counts.
    std::vector<int> nodeSupport(static_cast<size_t>(nodes), -1);
    for (int i = 0; i < nodes; ++i)
        for (size_t k = 0; k < d.m_supports.size() && k < supportX.size(); ++k)
            if (std::fabs(x[static_cast<size_t>(i)] - supportX[k]) < 0.001 &&
                std::find(restrained.begin(), restrained.end(), supportX[k]) != restrained.end())
                nodeSupport[static_cast<size_t>(i)] = static_cast<int>(k);
    const std::string fatigue = Tr("FAT");
    // The reaction group of every load case (one without a name counts as
    // named "").
    std::vector<std::string> caseNames(names);
    caseNames.resize(std::max(caseNames.size(), static_cast<size_t>(n)));
    const std::vector<int> groups = ReactionGroups(caseNames);
    std::string checkName;
    GetCheckName(check, checkName);
    for (int l = 0; l < n; ++l) {
        const std::string name = static_cast<size_t>(l) < names.size() ? names[static_cast<size_t>(l)] : std::string();
        if (check <= 3) {
            const int group = groups[static_cast<size_t>(l)];
            double r6[6] = {1, 1, 1, 1, 1, 1};
            if (static_cast<size_t>(6 * l + 6) <= d.m_loadCaseRatios.size())
                std::copy_n(d.m_loadCaseRatios.begin() + 6 * l, 6, r6);
            const double springFactors[5] = {r6[1], r6[2], r6[3], r6[1], r6[2]};
            for (int i = 0; i < nodes; ++i) {
                double reaction[6];
                for (int c = 0; c < 6; ++c) {
                    reaction[c] = w.GetValue(l, i, kReactionAx + c) * r6[c];
                    w.SetValue(l, i, kReactionAx + c, reaction[c]);
                }
                for (int c = 0; c < 5; ++c)
                    w.SetValue(l, i, kSpringFirst + c, w.GetValue(l, i, kSpringFirst + c) * springFactors[c]);
                if (log)
                    std::fprintf(log, "iCheck=%d, iLC=%2d, iPos=%2d, i=%2d, iNode=%2d, Ax=%7.2lf, Ay=%7.2lf, Az=%7.2lf\n",
                                 check, loadCases, position, l, i, reaction[0], reaction[1], reaction[2]);
                const int support = nodeSupport[static_cast<size_t>(i)];
                // The table holds the first supports only.
                if (support < 0 || support >= CCraneReactions::kSupports) continue;
                d.m_reactions.xCoords[support] = supportX[static_cast<size_t>(support)];
                d.m_reactions.nAufl = std::max(d.m_reactions.nAufl, support + 1);
                for (int e = 0; e < 12; ++e) {
                    const int c = e % 6;
                    const double stored = d.m_reactions.table[c][(12 * support + e) * 4 + group];
                    if (e < 6 ? reaction[c] > stored : reaction[c] < stored)
                        StoreReaction(d, support, e, group, reaction, name, position);
                }
            }
        }
        COMBOR_SetLastfallResult(h, l + 1, w.GetBlock(l));
        if (d.m_craneSettings.m_bOutputLC[check]) {
            const char* format = "%s\\Kranstellung\\%ld @\\Lastfall %s";
            const std::string folder =
                lingo::FormatTranslated(format, Tr(format), checkName, static_cast<long>(position + 1), name);
            for (int32_t v = 0; v < ids; ++v) {
                if (!w.HasValue(v) || codes[static_cast<size_t>(v)] == 0) continue;
                CResultSet set;
                if (!MakeSet(w, l, -1, v, set)) continue;
                std::string label, unit;
                GetResultLabel(d, v, check, label, unit, pointNames);
                set.m_strTitle = folder + "\\" + label;
                set.m_strUnit = unit;
                set.m_lkNr = l + 1;
                set.m_resType = codes[static_cast<size_t>(v)];
                set.FindExtremes();
                set.InsertZeroCrossings();
                d.m_checkResultSets[check].push_back(std::move(set));
            }
        }
        if (check == 4 && name.size() > 2 && name.substr(3) == fatigue && name[1] >= '1' && name[1] <= '3') {
            CResultTable& f = d.m_fatResults[name[1] - '1'];
            if (!f.IsValid()) {
                f = Seeded(w, 3, l);
                // Without its fatigue load the crane gives no stress.
                IncludeUnloadedState(f, 0, 1, points, nullptr);
            } else {
                f.MergeRowsFrom(w, ids, {{l, 0, 0}, {l, 1, 1}});
            }
        }
    }

    // 7. The combinations.
    const int factorCount = COMBOR_GetNumOfFaktoren(h, -1);
    const int combinations = COMBOR_GetNumOfKombi(h);
    const double fd = d.m_sections.empty() || !(d.m_sections.front().m_gamma_m > 0)
                          ? 0.0
                          : d.m_sections.front().m_strength / d.m_sections.front().m_gamma_m;
    const bool detailed = d.m_craneSettings.m_bDetailedReactions != 0 && check <= 2;
    CResultTable& ak = d.m_akResults[check];
    bool anyDesign = false;
    std::vector<double> factors(static_cast<size_t>(std::max(factorCount, 0)), 0.0);
    for (int k = 0; k < combinations; ++k) {
        const std::string type = combor::GetKombiTypStr(h, k);
        const bool characteristic = type.rfind("AK", 0) == 0;
        // The extreme reactions are those of whole states: in the ultimate
        // checks the characteristic combinations of all actions ("AK"; the
        // per-action ones "AK1", "AK2", ... hold one action alone, without
        // the self weight), in the serviceability check its characteristic
        // (rare) combinations (EN 1990 6.5.3 (2) a, eq. 6.14b).
        const bool reactionState = check <= 2 ? type == "AK" : check == 3;
        if (check == 3 || reactionState) {
            std::fill(factors.begin(), factors.end(), 0.0);
            if (factorCount > 0) COMBOR_GetKombi(h, k, factors.data(), factorCount);
        }
        if (check == 3) {
            bool everyCrane = true;
            for (const CCrane& c : d.m_cranes) {
                bool acts = false;
                for (int g = 10; g <= 17; ++g) {
                    const int lc = c.m_loadCaseNr[g];
                    if (lc >= 1 && lc <= factorCount && factors[static_cast<size_t>(lc - 1)] > 0.01) acts = true;
                }
                everyCrane = everyCrane && acts;
            }
            if (!everyCrane) continue;
        }
        COMBOR_GetResultSuperposition(h, k, w.GetBlock(n));
        if (reactionState)
            StoreCombinationReactions(d.m_checkReactions[static_cast<size_t>(check)], w, n, k, type, factors, names,
                                      groups, nodeSupport, supportX, position);
        if (characteristic) {
            // Characteristic values: the second table.
            const int slots = detailed ? 2 + 2 * n : 2;
            if (!ak.IsValid()) {
                ak = Seeded(w, slots, n);
                for (int l = 0; detailed && l < n; ++l) {
                    ak.SetBlock(2 + 2 * l, w.GetBlock(l));
                    ak.SetBlock(3 + 2 * l, w.GetBlock(l));
                }
            } else {
                std::vector<CResultTable::RowMerge> merges{{n, 0, 0}, {n, 1, 1}};
                for (int l = 0; detailed && l < n && 3 + 2 * l < ak.GetNumLoadCases(); ++l) {
                    merges.push_back({l, 2 + 2 * l, 0});
                    merges.push_back({l, 3 + 2 * l, 1});
                }
                ak.MergeRowsFrom(w, ids, merges);
            }
            continue;
        }
        DeriveCombinationStresses(d, w, n, points, pointEntry, fd, check);
        w.StoreBlockMin(n + 1, w.GetBlock(n), !anyDesign);
        w.StoreBlockMax(n + 2, w.GetBlock(n), !anyDesign);
        anyDesign = true;
    }
    if (!anyDesign) return;
    // The fatigue check: the girder under its permanent loads alone (every
    // load case of no crane, with gamma_Ff = 1.0 as in the fatigue
    // combinations, EN 1993-6 9.2) is the state before and after the cranes'
    // passage; the check points' extremes of the cranes acting together
    // include it, so that the resultant's range holds the cranes' stresses
    // only (the permanent part cancels).
    if (check == 4) {
        std::vector<double> permanent(static_cast<size_t>(nodes) * columns, 0.0);
        for (int l = 0; l < n; ++l) {
            const std::string name = static_cast<size_t>(l) < names.size() ? names[static_cast<size_t>(l)] : "";
            if (groups[static_cast<size_t>(l)] != 0) continue;
            const double* block = w.GetBlock(l);
            for (size_t k = 0; k < permanent.size(); ++k) permanent[k] += block[k];
        }
        IncludeUnloadedState(w, n + 1, n + 2, points, permanent.data());
    }

    // 8. Deflection utilisations of the serviceability check.
    if (check == 3) {
        const double ratioZ = d.m_craneSettings.m_maxRelDefZ.GetValue(), absZ = d.m_craneSettings.m_maxAbsDefZ.GetValue();
        const double ratioY = d.m_craneSettings.m_maxRelDefY.GetValue();
        for (int i = 0; i < nodes; ++i) {
            const int field = d.FindFieldAtX(x[static_cast<size_t>(i)]);
            const double spanZ = d.GetSpanBetweenRestraints(field, false), spanY = d.GetSpanBetweenRestraints(field, true);
            double uz = 0, uy = 0;
            for (int slot : {n + 1, n + 2}) {
                uz = std::max(uz, CalcUtilisation(w.GetValue(slot, i, kDisplacementY), ratioZ, absZ, 0, spanZ));
                uy = std::max(uy, CalcUtilisation(w.GetValue(slot, i, 0), ratioY, 0, 0, spanY));
            }
            for (int slot : {n + 1, n + 2}) {
                w.SetValue(slot, i, 6, uz);
                w.SetValue(slot, i, 2, uy);
            }
        }
    }

    // 9. The check's envelopes over the crane positions.
    CResultTable& env = d.m_craneResults[check];
    if (!env.IsValid()) {
        env = Seeded(w, 4, n + 1);
        env.SetBlock(1, w.GetBlock(n + 2));
        std::fill(env.GetBlock(2), env.GetBlock(2) + static_cast<size_t>(nodes) * columns * 2, 0.0);
    } else {
        env.MergeRowsFrom(w, ids, {{n + 1, 0, 0}, {n + 2, 1, 1}});
    }
    CEnvelope& summary = d.m_summaries[check];
    if (summary.GetSize() < ids) summary.SetSize(ids);
    double rating = 0.0;
    std::vector<double> lo(static_cast<size_t>(nodes)), hi(static_cast<size_t>(nodes));
    for (int32_t v = 0; v < ids; ++v) {
        if (!w.HasValue(v)) continue;
        w.GetRow(n + 1, v, lo.data(), 0, 1);
        w.GetRow(n + 2, v, hi.data(), 0, 1);
        summary.Update(0, v, position, nodes, 0, 1, lo, x, position);
        summary.Update(1, v, position, nodes, 0, 1, hi, x, position);
        if (v == kUtilisation)
            for (double u : hi) rating = std::max(rating, u);
    }
    if (check <= 2 && w.HasValue(kUtilisation)) d.m_positionRatings[check][position] = rating;

    // 10. The position's envelope curves (x, maximum, minimum).
    const char* format = "%s\\Kranstellung\\%ld @\\%s";
    const PositionTitle title(format, Tr(format));
    for (int32_t v = 0; v < ids; ++v) {
        if (!w.HasValue(v)) continue;
        CResultSet set;
        if (!MakeSet(w, n + 2, n + 1, v, set)) continue;
        std::string label, unit;
        GetResultLabel(d, v, check, label, unit, pointNames);
        set.m_strTitle = title(checkName, static_cast<long>(position + 1), label);
        set.m_strUnit = unit;
        set.m_resType = codes[static_cast<size_t>(v)];
        set.FindExtremes();
        set.InsertZeroCrossings();
        d.m_checkResultSets[check].push_back(std::move(set));
    }
}

namespace {

void DeriveCombinationStresses(CModuleData& d, CResultTable& w, int slot, int points,
                               const std::vector<int>& pointEntry, double fd, int check) {
    const int nodes = w.GetNumNodes();
    const std::vector<double>& x = w.GetXData();
    CalcNodeStresses(d, w, slot);
    if (w.HasValue(kMaxTau) && w.HasValue(kEquivalent)) {
        std::vector<double> tau(static_cast<size_t>(nodes));
        w.GetRow(slot, kMaxTau, tau.data(), 0, 1);
        for (int i = 0; i < nodes; ++i) {
            // The shear stress of a node and of its twin (the other element
            // end at the same x).
            double t = tau[static_cast<size_t>(i)];
            for (int j : {i - 1, i + 1})
                if (j >= 0 && j < nodes && std::fabs(x[static_cast<size_t>(j)] - x[static_cast<size_t>(i)]) < 0.01)
                    t = std::max(t, tau[static_cast<size_t>(j)]);
            const double eq = std::max(CalcEquivalentStress(w.GetValue(slot, i, kMinSigma), 0, 0, t, 0, 0),
                                       CalcEquivalentStress(w.GetValue(slot, i, kMaxSigma), 0, 0, t, 0, 0));
            w.SetValue(slot, i, kEquivalent, eq);
            // Without a design strength there is no utilisation.
            if (fd > 0) w.SetValue(slot, i, kUtilisation, eq / fd);
        }
    }
    // The evaluation points: their stresses with the local wheel-load
    // stresses (compression of the wheel), against the design strength.
    const bool bottomFlange = d.m_craneSettings.m_craneTyp != 0;
    for (int u = 0; u < points; ++u) {
        const int32_t sv = PointValue(u, 4), ut = PointValue(u, 5);
        if (!w.HasValue(sv) || pointEntry[static_cast<size_t>(u)] < 0) continue;
        for (int i = 0; i < nodes; ++i) {
            const double sx = w.GetValue(slot, i, PointValue(u, 0)), tau = w.GetValue(slot, i, PointValue(u, 1));
            const double l2 = w.GetValue(slot, i, PointValue(u, 2)), l3 = w.GetValue(slot, i, PointValue(u, 3));
            // The point's shear stress is signed; the wheel's adds to its
            // magnitude.
            const double eq = bottomFlange
                                  ? CalcEquivalentStress(sx + l3, l2, 0, tau, 0, 0)
                                  : CalcEquivalentStress(sx, 0, -std::fabs(l2), std::fabs(tau) + std::fabs(l3), 0, 0);
            w.SetValue(slot, i, sv, eq);
            if (w.HasValue(ut) && fd > 0 && check != 4) w.SetValue(slot, i, ut, CalcUtilisation(eq, 0, fd, 0, 0));
        }
    }
    // The governing plate stresses per field.
    if (!d.m_craneSettings.m_bBuckling || check > 2 || d.m_numOfPlates < 1) return;
    if (!d.m_bucklRes.HasData()) {
        std::vector<double> lengths;
        for (size_t k = 1; k < d.m_fieldLengths.size(); ++k) lengths.push_back(d.m_fieldLengths[k].GetValue());
        d.m_bucklRes.Init(d.m_numOfPlates, 3, lengths);
    }
    for (int p = 0; p < d.m_numOfPlates; ++p) {
        const int32_t sid = PlateValue(points, p), tid = sid + 1;
        if (!w.HasValue(sid) || !w.HasValue(tid)) continue;
        for (int i = 0; i < nodes; ++i) {
            const double xi = x[static_cast<size_t>(i)];
            const int field = d.m_bucklRes.FieldAt(xi);
            const double sigma = w.GetValue(slot, i, sid), tau = std::fabs(w.GetValue(slot, i, tid));
            const size_t bucklEntry = static_cast<size_t>(field) + 1;
            const int panels = bucklEntry < d.m_bucklFields.size() ? std::max(1, d.m_bucklFields[bucklEntry]) : 1;
            const double fieldEnd = d.m_bucklRes.m_field[static_cast<size_t>(field)];
            const double length = field == 0 ? fieldEnd : fieldEnd - d.m_bucklRes.m_field[static_cast<size_t>(field - 1)];
            // The state: plate, sigma_x at both ends, tau, panel length (cm).
            const double state[7] = {static_cast<double>(p), sigma, sigma, tau, 100.0 * length / panels, 0, 0};
            if (sigma < d.m_bucklRes.GetSigma(field, p, check))
                d.m_bucklRes.StoreSigma(p, sigma, xi, state, check, d.m_nCurCranePos);
            if (tau > d.m_bucklRes.GetTau(field, p, check))
                d.m_bucklRes.StoreTau(p, tau, xi, state, check, d.m_nCurCranePos);
        }
    }
}

void BucklingRun(CModuleData& d, int check, int position, const std::vector<int32_t>& codes,
                 const std::vector<char>& kept, const SeriesIndex& envelopes,
                 const std::vector<std::string>& pointNames) {
    if (check > 2) return;
    const int32_t ids = static_cast<int32_t>(codes.size());
    std::vector<const Series*> found(static_cast<size_t>(ids), nullptr);
    std::vector<const Series*> all;
    std::vector<int32_t> valIdx(static_cast<size_t>(ids), -1);
    for (int32_t v = 0; v < ids; ++v) {
        const int32_t code = codes[static_cast<size_t>(v)];
        const Series* it = envelopes.Find(code);
        if (!kept[static_cast<size_t>(v)] || code == 0 || !it) continue;
        found[static_cast<size_t>(v)] = it;
        all.push_back(it);
        valIdx[static_cast<size_t>(v)] = 0;
    }
    const int nodes = WorkNodes(all);
    CResultTable w;
    w.m_valIdx = valIdx;
    if (nodes < 1 || !w.Init(2, nodes, ids)) return;
    TakePositions(w, all);
    for (int32_t v = 0; v < ids; ++v) {
        if (!found[static_cast<size_t>(v)]) continue;
        CopySeries(w, 0, v, *found[static_cast<size_t>(v)], 2);  // minimum
        CopySeries(w, 1, v, *found[static_cast<size_t>(v)], 1);  // maximum
    }
    // Slots 2 and 3 of the check's envelope table.
    CResultTable& env = d.m_craneResults[check];
    if (!env.IsValid()) {
        env = Seeded(w, 4, 0);
        env.SetBlock(3, w.GetBlock(1));
        for (int s : {0, 1})
            std::fill(env.GetBlock(s), env.GetBlock(s) + static_cast<size_t>(nodes) * env.GetNumColumns(), 0.0);
    } else {
        env.MergeRowsFrom(w, ids, {{0, 2, 0}, {1, 3, 1}});
    }
    CEnvelope& summary = d.m_summaries[5 + check];
    if (summary.GetSize() < ids) summary.SetSize(ids);
    const std::vector<double>& x = w.GetXData();
    std::vector<double> lo(static_cast<size_t>(nodes)), hi(static_cast<size_t>(nodes));
    for (int32_t v = 0; v < ids; ++v) {
        if (!w.HasValue(v)) continue;
        w.GetRow(0, v, lo.data(), 0, 1);
        w.GetRow(1, v, hi.data(), 0, 1);
        summary.Update(0, v, position, nodes, 0, 1, lo, x, position);
        summary.Update(1, v, position, nodes, 0, 1, hi, x, position);
    }
    // The run's curves (x, maximum, minimum).
    std::string checkName;
    GetCheckName(check, checkName);
    const char* format = "%s\\Kranstellung\\%ld @\\Biegedrillknicken\\%s";
    const PositionTitle title(format, Tr(format));
    for (int32_t v = 0; v < ids; ++v) {
        if (!w.HasValue(v)) continue;
        CResultSet set;
        if (!MakeSet(w, 1, 0, v, set)) continue;
        std::string label, unit;
        GetResultLabel(d, v, check, label, unit, pointNames);
        set.m_strTitle = title(checkName, static_cast<long>(position + 1), label);
        set.m_strUnit = unit;
        set.m_resType = codes[static_cast<size_t>(v)];
        set.FindExtremes();
        set.ReducePoints();
        set.InsertZeroCrossings();
        d.m_checkResultSets[check].push_back(std::move(set));
    }
}

}  // namespace
