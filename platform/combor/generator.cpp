// The generation run: from the load cases, the actions and the switched-on
// checks to the combinations with their factors and rule texts.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <set>
#include <unordered_map>

#include "internal.h"
#include "platform/winsys/winsys.h"

namespace combor_impl {

namespace {

// Limits that keep a run bounded: candidates looked at per check, and
// combinations handed out (the calculation kernel takes at most 10 000).
constexpr double kMaxCandidates = 2.0e6;
constexpr size_t kMaxCombinations = 10000;
constexpr size_t kMaxAdditiveLoadCases = 12;
constexpr size_t kMaxFavourablePermanent = 12;

enum class Check { None, Fundamental, Accidental, Characteristic, Frequent, QuasiPermanent, AllActions, PerAction };

Check CheckOf(NormId norm, int index) {
    switch (index) {
        case 0: return Check::Fundamental;
        case 1: return Check::Accidental;
        case 2: return Check::Characteristic;
        default: break;
    }
    if (norm == kDin18800) {
        if (index == 3) return Check::AllActions;
        if (index == 4) return Check::PerAction;
        return Check::None;
    }
    if (index == 3) return Check::Frequent;
    if (index == 4) return Check::QuasiPermanent;
    // The crane runway's fatigue and serviceability switch: the
    // characteristic combination of the fatigue load cases (gamma_Ff = 1.0,
    // psi0 of crane actions 1.0, EN 1993-6 9).
    if (index == 5 && (norm == kDin1055 || norm == kEcNad || norm == kEcNaf)) return Check::Characteristic;
    const int ak = (norm == kEc || norm == kSia260) ? 12 : 13;
    if (index == ak) return Check::AllActions;
    if (index == ak + 1) return Check::PerAction;
    return Check::None;
}

struct Act {
    int number = 0;
    int type = 0;
    const Category* category = nullptr;
    bool favourable = true;
    std::vector<std::vector<int>> variants;  // load-case sets that can act
};

struct Input {
    std::vector<Act> permanent, prestress, variable, accidental;
    std::vector<const Act*> all;  // in action-number order
};

// --- reduction: duplicates and combinations lying between two others ---------

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t Term(size_t j, int64_t q) {
    if (q == 0) return 0;
    return Mix(Mix(static_cast<uint64_t>(j) + 1) ^ static_cast<uint64_t>(q));
}

int64_t Quantize(double f) { return std::llround(f * 1.0e6); }

class Reducer {
public:
    explicit Reducer(std::vector<std::vector<double>>& cands) : cands_(cands) {
        q_.reserve(cands.size());
        for (const auto& c : cands) {
            std::vector<int64_t> q(c.size());
            uint64_t h = 0;
            for (size_t j = 0; j < c.size(); ++j) {
                q[j] = Quantize(c[j]);
                h += Term(j, q[j]);
            }
            q_.push_back(std::move(q));
            h_.push_back(h);
        }
        alive_.assign(cands.size(), false);
    }

    // Indices kept, in their order.
    std::vector<size_t> Run() {
        for (size_t i = 0; i < q_.size(); ++i) {
            if (Find(h_[i], i, SIZE_MAX, 0) != SIZE_MAX) continue;  // duplicate
            alive_[i] = true;
            index_.emplace(h_[i], i);
        }
        const size_t n = q_.empty() ? 0 : q_[0].size();
        std::vector<std::set<int64_t>> values(n);
        for (size_t i = 0; i < q_.size(); ++i)
            if (alive_[i])
                for (size_t j = 0; j < n; ++j)
                    if (q_[i][j] != 0) values[j].insert(q_[i][j]);
        for (size_t i = 0; i < q_.size(); ++i) {
            if (!alive_[i]) continue;
            if (Dominated(i, values)) {
                alive_[i] = false;
                auto range = index_.equal_range(h_[i]);
                for (auto it = range.first; it != range.second; ++it)
                    if (it->second == i) {
                        index_.erase(it);
                        break;
                    }
            }
        }
        std::vector<size_t> kept;
        for (size_t i = 0; i < q_.size(); ++i)
            if (alive_[i]) kept.push_back(i);
        return kept;
    }

private:
    // An alive combination equal to i with coordinate j replaced by v
    // (j == SIZE_MAX: i itself); SIZE_MAX when there is none.
    size_t Find(uint64_t h, size_t i, size_t j, int64_t v) const {
        auto range = index_.equal_range(h);
        for (auto it = range.first; it != range.second; ++it) {
            const size_t k = it->second;
            if (k == i || !alive_[k]) continue;
            const auto& a = q_[k];
            const auto& b = q_[i];
            bool same = true;
            for (size_t m = 0; m < a.size() && same; ++m) same = a[m] == (m == j ? v : b[m]);
            if (same) return k;
        }
        return SIZE_MAX;
    }

    bool Dominated(size_t i, const std::vector<std::set<int64_t>>& values) const {
        const auto& b = q_[i];
        for (size_t j = 0; j < b.size(); ++j) {
            const int64_t f = b[j];
            if (f == 0) continue;
            const uint64_t h0 = h_[i] - Term(j, f);
            if (Find(h0, i, j, 0) == SIZE_MAX) continue;
            for (int64_t v : values[j]) {
                if ((v > 0) != (f > 0) || std::llabs(v) <= std::llabs(f)) continue;
                if (Find(h0 + Term(j, v), i, j, v) != SIZE_MAX) return true;
            }
        }
        return false;
    }

    std::vector<std::vector<double>>& cands_;
    std::vector<std::vector<int64_t>> q_;
    std::vector<uint64_t> h_;
    std::vector<bool> alive_;
    std::unordered_multimap<uint64_t, size_t> index_;
};

// --- enumeration ----------------------------------------------------------------

struct Builder {
    const Session& s;
    const Input& in;
    size_t n;  // load cases
    std::vector<std::vector<double>> out;

    void Add(std::vector<double>& f, const std::vector<int>& lcs, double factor) const {
        for (int lc : lcs) f[static_cast<size_t>(lc - 1)] += factor;
    }

    double Psi(const Act& a, int k) const {
        double psi[3];
        EffectivePsi(s, *a.category, psi);
        return psi[k];
    }

    // Calls fn(state) for every combination of variable-action states
    // (-1 = absent, else the variant index).
    void ForEachState(const std::function<void(const std::vector<int>&)>& fn) const {
        std::vector<int> state(in.variable.size(), -1);
        std::function<void(size_t)> rec = [&](size_t i) {
            if (i == in.variable.size()) {
                fn(state);
                return;
            }
            const Act& a = in.variable[i];
            if (a.favourable) {
                state[i] = -1;
                rec(i + 1);
            }
            for (size_t v = 0; v < a.variants.size(); ++v) {
                state[i] = static_cast<int>(v);
                rec(i + 1);
            }
        };
        rec(0);
    }

    // Calls fn(factors) for each choice of the permanent factors: gamma_sup,
    // or gamma_inf for those that may act favourably.
    void ForEachPermanent(double sup, double inf, bool split,
                          const std::function<void(std::vector<double>&)>& fn) const {
        std::vector<size_t> fav;
        for (size_t i = 0; i < in.permanent.size(); ++i)
            if (split && in.permanent[i].favourable && inf != sup) fav.push_back(i);
        const size_t masks = size_t{1} << fav.size();
        for (size_t m = 0; m < masks; ++m) {
            std::vector<double> f(n, 0.0);
            for (size_t i = 0; i < in.permanent.size(); ++i) {
                double g = sup;
                for (size_t b = 0; b < fav.size(); ++b)
                    if (fav[b] == i && (m >> b & 1)) g = inf;
                for (const auto& v : in.permanent[i].variants) Add(f, v, g);
            }
            for (const auto& p : in.prestress)
                for (const auto& v : p.variants) Add(f, v, 1.0);
            fn(f);
        }
    }

    double Estimate(bool permSplit, bool leading, size_t accidentalChoices) const {
        double c = 1.0;
        for (const auto& a : in.variable) c *= static_cast<double>(a.variants.size() + (a.favourable ? 1 : 0));
        if (leading) c *= static_cast<double>(in.variable.size() + 1);
        if (permSplit)
            for (const auto& p : in.permanent)
                if (p.favourable) c *= 2.0;
        c *= static_cast<double>(std::max<size_t>(1, accidentalChoices));
        return c;
    }

    // Leading-and-accompanying rule: the leading action with lead(a), the
    // other present ones with rest(a); once without leading when none acts.
    void LeadingRule(const std::vector<double>& base, const std::function<double(const Act&)>& lead,
                     const std::function<double(const Act&)>& rest) {
        ForEachState([&](const std::vector<int>& st) {
            std::vector<size_t> present;
            for (size_t i = 0; i < st.size(); ++i)
                if (st[i] >= 0) present.push_back(i);
            if (present.empty()) {
                out.push_back(base);
                return;
            }
            for (size_t l : present) {
                std::vector<double> f = base;
                for (size_t i : present) {
                    const Act& a = in.variable[i];
                    Add(f, a.variants[static_cast<size_t>(st[i])], i == l ? lead(a) : rest(a));
                }
                out.push_back(std::move(f));
            }
        });
    }

    // Every present variable action with the same rule.
    void AllRule(const std::vector<double>& base, const std::function<double(const Act&, size_t present)>& fac) {
        ForEachState([&](const std::vector<int>& st) {
            size_t count = 0;
            for (int v : st) count += v >= 0 ? 1 : 0;
            std::vector<double> f = base;
            for (size_t i = 0; i < st.size(); ++i)
                if (st[i] >= 0) Add(f, in.variable[i].variants[static_cast<size_t>(st[i])], fac(in.variable[i], count));
            out.push_back(std::move(f));
        });
    }
};

std::string CheckType(Check c, int action) {
    switch (c) {
        case Check::Fundamental: return "Ed";
        case Check::Accidental: return "Ed,A";
        case Check::Characteristic: return "Ed,rare";
        case Check::Frequent: return "Ed,frequ";
        case Check::QuasiPermanent: return "Ed,perm";
        case Check::AllActions: return "AK";
        case Check::PerAction: return "AK" + std::to_string(action);
        default: return {};
    }
}

}  // namespace

std::string FormatFactor(double f) {
    std::string t = winsys::FormatC("%.4f", f);
    const size_t dot = t.find('.');
    if (dot != std::string::npos)
        while (t.size() > dot + 3 && t.back() == '0') t.pop_back();
    if (t == "-0.00") t = "0.00";
    return t;
}

std::string RuleText(const std::vector<double>& factors) {
    std::string r;
    for (size_t j = 0; j < factors.size(); ++j) {
        const double f = factors[j];
        if (Quantize(f) == 0) continue;
        if (!r.empty() && f > 0) r += "+";
        r += FormatFactor(f) + "*(" + std::to_string(j + 1) + ")";
    }
    return r;
}

std::vector<double> ParseRule(const std::string& rule) {
    std::vector<double> out;
    std::string num;
    double sign = 1.0, factor = 0.0;
    bool inBracket = false;
    auto takeLc = [&]() {
        auto v = winsys::ParseInt(num);
        num.clear();
        if (!v || *v < 1 || *v > 100000) return;
        const size_t j = static_cast<size_t>(*v - 1);
        if (out.size() <= j) out.resize(j + 1, 0.0);
        out[j] = factor;
    };
    for (char ch : rule) {
        if ((ch >= '0' && ch <= '9') || ch == '.' || ch == ',') {
            num += ch == ',' ? '.' : ch;
        } else if (ch == '*') {
            factor = sign * winsys::ParseDouble(num).value_or(0.0);
            num.clear();
        } else if (ch == '(') {
            inBracket = true;
            num.clear();
        } else if (ch == '+' && inBracket) {
            takeLc();
        } else if (ch == ')') {
            takeLc();
            inBracket = false;
            sign = 1.0;
        } else if (ch == '-' && !inBracket) {
            sign = -1.0;
        }
    }
    return out;
}

bool Generate(Session& s) {
    s.combinations.clear();
    s.factorCount = 0;
    s.lastError.clear();
    if (s.norm.id == kNone) {
        s.lastError = "Es ist keine Norm eingestellt.";
        return false;
    }
    // Load cases per action; every load case must belong to a defined action.
    std::map<int, std::vector<int>> lcsOf;
    int maxLc = 0;
    for (const auto& [lc, einw] : s.loadCases) {
        if (lc < 1) continue;
        if (!s.actions.count(einw)) {
            s.lastError = winsys::FormatC("Lastfall %d gehört zur Einwirkung %d, die nicht definiert ist.", lc, einw);
            return false;
        }
        lcsOf[einw].push_back(lc);
        maxLc = std::max(maxLc, lc);
    }
    // Span shares per load case, in the order of their spans.
    std::map<int, std::vector<std::pair<int, int>>> sharesOf;  // load case -> (span, share)
    for (const auto& [share, of] : s.spanShares) {
        if (s.loadCases.count(share)) {
            s.lastError = winsys::FormatC("Lastfall %d ist zugleich Feldanteil des Lastfalls %d.", share, of.loadCase);
            return false;
        }
        if (!s.loadCases.count(of.loadCase)) {
            s.lastError = winsys::FormatC("Feldanteil %d gehört zum Lastfall %d, der nicht vergeben ist.", share,
                                          of.loadCase);
            return false;
        }
        sharesOf[of.loadCase].push_back({of.span, share});
    }
    for (auto& [lc, list] : sharesOf) std::sort(list.begin(), list.end());
    // Every non-empty selection of the units.
    auto selections = [](const std::vector<int>& units) {
        std::vector<std::vector<int>> out;
        for (size_t m = 1; m < (size_t{1} << units.size()); ++m) {
            std::vector<int> v;
            for (size_t b = 0; b < units.size(); ++b)
                if (m >> b & 1) v.push_back(units[b]);
            out.push_back(std::move(v));
        }
        return out;
    };
    Input in;
    for (const auto& [number, def] : s.actions) {
        auto it = lcsOf.find(number);
        if (it == lcsOf.end()) continue;  // an action without load cases takes no part
        if (def.group < 0 || def.group >= static_cast<int>(s.norm.groups.size())) {
            s.lastError = winsys::FormatC("Einwirkung %d: unzulässige Lastgruppe %d.", number, def.group);
            return false;
        }
        const Group& g = s.norm.groups[static_cast<size_t>(def.group)];
        Act a;
        a.number = number;
        a.type = g.type;
        a.favourable = def.favourable;
        if (def.category < 0 || def.category >= static_cast<int>(g.categories.size())) {
            s.lastError = winsys::FormatC("Einwirkung %d: unzulässige Lastkategorie %d.", number, def.category);
            return false;
        }
        a.category = &g.categories[static_cast<size_t>(def.category)];
        const std::vector<int>& lcs = it->second;
        // A variable action arranged span by span acts with its load cases'
        // span shares in place of the whole load cases that have them.
        const bool spanWise = s.spanWise.count(number) > 0;
        auto unitsOf = [&](int lc) {
            std::vector<int> u;
            auto sh = sharesOf.find(lc);
            if (!spanWise || sh == sharesOf.end()) return std::vector<int>{lc};
            for (const auto& [span, share] : sh->second) {
                u.push_back(share);
                maxLc = std::max(maxLc, share);
            }
            return u;
        };
        auto tooManyUnits = [&](size_t count) {
            if (count <= kMaxAdditiveLoadCases) return false;
            s.lastError = spanWise ? winsys::FormatC("Einwirkung %d hat feldweise angeordnet %d Lastfälle und Feldanteile, "
                                                     "die zusammen wirken können; höchstens %d sind möglich.",
                                                     number, static_cast<int>(count),
                                                     static_cast<int>(kMaxAdditiveLoadCases))
                                   : winsys::FormatC("Einwirkung %d hat %d additive Lastfälle; höchstens %d sind möglich.",
                                                     number, static_cast<int>(count),
                                                     static_cast<int>(kMaxAdditiveLoadCases));
            return true;
        };
        if (g.type == kVariableAlternative) {
            for (int lc : lcs) {
                const std::vector<int> units = unitsOf(lc);
                if (tooManyUnits(units.size())) return false;
                for (auto& v : selections(units)) a.variants.push_back(std::move(v));
            }
        } else if (g.type == kVariableAdditive) {
            std::vector<int> units;
            for (int lc : lcs)
                for (int u : unitsOf(lc)) units.push_back(u);
            if (tooManyUnits(units.size())) return false;
            a.variants = selections(units);
        } else {
            a.variants.push_back(lcs);
        }
        switch (g.type) {
            case kPermanent: in.permanent.push_back(std::move(a)); break;
            case kPrestress: in.prestress.push_back(std::move(a)); break;
            case kAccidental: in.accidental.push_back(std::move(a)); break;
            default: in.variable.push_back(std::move(a)); break;
        }
    }
    size_t favourablePermanent = 0;
    for (const auto& p : in.permanent) favourablePermanent += p.favourable ? 1 : 0;
    if (favourablePermanent > kMaxFavourablePermanent) {
        s.lastError = winsys::FormatC("Zu viele ständige Einwirkungen mit günstiger Wirkung (%d); höchstens %d.",
                                      static_cast<int>(favourablePermanent),
                                      static_cast<int>(kMaxFavourablePermanent));
        return false;
    }
    for (const auto* v : {&in.permanent, &in.prestress, &in.variable, &in.accidental})
        for (const auto& a : *v) in.all.push_back(&a);
    std::sort(in.all.begin(), in.all.end(), [](const Act* x, const Act* y) { return x->number < y->number; });

    const size_t n = static_cast<size_t>(maxLc);
    const bool din18800 = s.norm.id == kDin18800;
    const bool sia = s.norm.id == kSia260;
    const bool ngp = s.noGammaPsi;
    double gFund[2];
    {
        double g[2];
        EffectiveGamma(s, 0, 0, g);
        gFund[0] = g[0];
        gFund[1] = g[1];
    }
    std::vector<Combination> result;
    auto tooMany = [&](double estimate) {
        if (estimate <= kMaxCandidates) return false;
        s.lastError = winsys::FormatC(
            "Mit %d veränderlichen Einwirkungen entstehen zu viele Kombinationen; bitte Einwirkungen "
            "zusammenfassen oder weniger Nachweise wählen.",
            static_cast<int>(in.variable.size()));
        return true;
    };

    for (int idx = 0; idx < 32; ++idx) {
        if (!s.checks[idx]) continue;
        const Check check = CheckOf(s.norm.id, idx);
        if (check == Check::None) continue;
        Builder b{s, in, n, {}};
        const double din18800Psi = ngp ? 1.0 : 0.9;
        switch (check) {
            case Check::Fundamental:
                if (tooMany(b.Estimate(true, !din18800, 1))) return false;
                b.ForEachPermanent(gFund[1], gFund[0], true, [&](std::vector<double>& base) {
                    if (din18800) {
                        // One variable action with gamma_F, or all with psi * gamma_F.
                        b.AllRule(base, [&](const Act& a, size_t count) {
                            const double g = EffectiveGammaQ(s, *a.category);
                            return count == 1 ? g : g * din18800Psi;
                        });
                    } else {
                        b.LeadingRule(
                            base, [&](const Act& a) { return EffectiveGammaQ(s, *a.category); },
                            [&](const Act& a) { return EffectiveGammaQ(s, *a.category) * b.Psi(a, 0); });
                    }
                });
                break;
            case Check::Accidental: {
                if (tooMany(b.Estimate(false, !din18800 && !sia, in.accidental.size()))) return false;
                std::vector<const Act*> events;
                for (const auto& a : in.accidental) events.push_back(&a);
                if (events.empty()) events.push_back(nullptr);
                for (const Act* ev : events) {
                    b.ForEachPermanent(1.0, 1.0, false, [&](std::vector<double>& base) {
                        if (ev)
                            for (const auto& v : ev->variants) b.Add(base, v, 1.0);
                        if (din18800)
                            b.AllRule(base, [](const Act&, size_t) { return 1.0; });
                        else if (sia)
                            b.AllRule(base, [&](const Act& a, size_t) { return b.Psi(a, 2); });
                        else
                            b.LeadingRule(
                                base, [&](const Act& a) { return b.Psi(a, 1); },
                                [&](const Act& a) { return b.Psi(a, 2); });
                    });
                }
                break;
            }
            case Check::Characteristic:
                if (tooMany(b.Estimate(false, !din18800, 1))) return false;
                b.ForEachPermanent(1.0, 1.0, false, [&](std::vector<double>& base) {
                    if (din18800)
                        b.AllRule(base, [&](const Act&, size_t count) { return count == 1 ? 1.0 : din18800Psi; });
                    else
                        b.LeadingRule(
                            base, [](const Act&) { return 1.0; }, [&](const Act& a) { return b.Psi(a, 0); });
                });
                break;
            case Check::Frequent:
                if (tooMany(b.Estimate(false, true, 1))) return false;
                b.ForEachPermanent(1.0, 1.0, false, [&](std::vector<double>& base) {
                    b.LeadingRule(
                        base, [&](const Act& a) { return b.Psi(a, 1); }, [&](const Act& a) { return b.Psi(a, 2); });
                });
                break;
            case Check::QuasiPermanent:
                if (tooMany(b.Estimate(false, false, 1))) return false;
                b.ForEachPermanent(1.0, 1.0, false, [&](std::vector<double>& base) {
                    b.AllRule(base, [&](const Act& a, size_t) { return b.Psi(a, 2); });
                });
                break;
            case Check::AllActions: {
                if (tooMany(b.Estimate(false, false, in.accidental.size() + 1))) return false;
                std::vector<const Act*> events{nullptr};
                for (const auto& a : in.accidental) events.push_back(&a);
                for (const Act* ev : events) {
                    b.ForEachPermanent(1.0, 1.0, false, [&](std::vector<double>& base) {
                        if (ev)
                            for (const auto& v : ev->variants) b.Add(base, v, 1.0);
                        b.AllRule(base, [](const Act&, size_t) { return 1.0; });
                    });
                }
                break;
            }
            case Check::PerAction:
                for (const Act* a : in.all) {
                    std::vector<std::vector<double>> one;
                    for (const auto& v : a->variants) {
                        std::vector<double> f(n, 0.0);
                        b.Add(f, v, 1.0);
                        one.push_back(std::move(f));
                    }
                    Reducer r(one);
                    for (size_t k : r.Run()) {
                        result.push_back({CheckType(check, a->number), RuleText(one[k]), one[k]});
                        if (result.size() > kMaxCombinations) break;
                    }
                }
                break;
            default: break;
        }
        if (check != Check::PerAction) {
            // Drop combinations without any load (nothing acts).
            std::vector<std::vector<double>> cands;
            for (auto& f : b.out)
                if (std::any_of(f.begin(), f.end(), [](double x) { return Quantize(x) != 0; }))
                    cands.push_back(std::move(f));
            Reducer r(cands);
            for (size_t k : r.Run()) result.push_back({CheckType(check, 0), RuleText(cands[k]), cands[k]});
        }
        if (result.size() > kMaxCombinations) {
            s.lastError = winsys::FormatC("Es entstehen mehr als %d Kombinationen; bitte Einwirkungen zusammenfassen "
                                          "oder weniger Nachweise wählen.",
                                          static_cast<int>(kMaxCombinations));
            return false;
        }
    }
    s.combinations = std::move(result);
    s.factorCount = maxLc;
    return true;
}

}  // namespace combor_impl
