#include "kernel/CombinationRules.h"

#include <memory>
#include <vector>

#include "kernel/KernelErrors.h"
#include "platform/winsys/winsys.h"

namespace tovik {

int32_t BuildActionTexts(RunState& run) {
    ModelRecord& r = run.cdltr;
    if (r.nLf < 0 || r.nLf > limits::kMaxLoadCases) {
        run.Stop(codes::kModelTooLarge,
                 winsys::FormatC("Anzahl der Lastfälle %d außerhalb 0..%d", r.nLf, limits::kMaxLoadCases));
        return codes::kModelTooLarge;
    }
    int32_t n = 0;
    for (int32_t c = 0; c < r.nLf; ++c) {
        const int32_t a = r.Lf_Einw[static_cast<size_t>(c)];
        if (a < 0 || a > limits::kMaxActions) {
            run.Stop(codes::kBadValue, winsys::FormatC("Einwirkung %d des Lastfalls %d außerhalb 0..%d", a,
                                                       c + 1, limits::kMaxActions));
            return codes::kBadValue;
        }
        if (a > n) n = a;
    }
    r.nEinw = n;
    run.combos.EinwText.clear();
    if (n < 1) return 0;
    run.combos.EinwText.assign(static_cast<size_t>(n), std::string());
    for (int32_t a = 1; a <= n; ++a) {
        std::string text;
        for (int32_t c = 0; c < r.nLf; ++c) {
            if (r.Lf_Einw[static_cast<size_t>(c)] != a) continue;
            text += winsys::FormatC(text.empty() ? "%d" : ",%d", c + 1);
        }
        run.combos.EinwText[static_cast<size_t>(a - 1)] = text;
    }
    return 0;
}

namespace {

struct Group {
    double factor = 0;
    std::vector<int32_t> items;
};

// The value of the number buffer; a buffer that holds no number gives 0.
double BufferValue(const std::string& buf) { return winsys::ParseDouble(buf).value_or(0.0); }
// The leading integer of the buffer (digits before any '.'); 0 without
// digits. Large values are capped, so that they are refused rather than
// wrapped.
long long BufferInt(const std::string& buf) {
    long long v = 0;
    size_t i = buf.find_first_not_of(' ');
    for (; i < buf.size() && buf[i] >= '0' && buf[i] <= '9'; ++i) {
        v = v * 10 + (buf[i] - '0');
        if (v > 1000000000LL) v = 1000000000LL;
    }
    return v;
}

}  // namespace

int32_t ParseCombinationRule(const std::string& rule, RuleResult& out, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return -1;
    };
    out = RuleResult{};
    if (rule.size() > static_cast<size_t>(limits::kMaxRuleLength))
        return fail(winsys::FormatC("Kombinationsregel länger als %d Zeichen", limits::kMaxRuleLength));

    std::string buf = " ";
    double sign = 1.0;
    bool inBracket = false;
    std::vector<Group> groups(1);
    size_t k = 0;

    auto bufferHoldsNumber = [&]() { return buf.find_first_not_of(' ') != std::string::npos; };
    // Stores the buffer as item k of the current group.
    auto storeItem = [&]() -> bool {
        const long long n = BufferInt(buf);
        if (n > limits::kMaxLoadCases) {
            fail(winsys::FormatC("Lastfall %lld in der Kombinationsregel größer als %d", n, limits::kMaxLoadCases));
            return false;
        }
        if (k >= static_cast<size_t>(limits::kMaxRuleItems)) {
            fail(winsys::FormatC("mehr als %d Lastfälle in einer Klammer", limits::kMaxRuleItems));
            return false;
        }
        Group& g = groups.back();
        if (g.items.size() <= k) g.items.resize(k + 1, 0);
        g.items[k] = static_cast<int32_t>(n);
        return true;
    };

    for (char ch : rule) {
        if ((ch >= '0' && ch <= '9') || ch == '.' || ch == ',') {
            if (buf.size() >= static_cast<size_t>(limits::kMaxRuleNumber))
                return fail(winsys::FormatC("Zahl in der Kombinationsregel länger als %d Zeichen",
                                            limits::kMaxRuleNumber - 1));
            buf += (ch == ',') ? '.' : ch;
        } else if (ch == '*') {
            groups.back().factor = BufferValue(buf) * sign;
            buf = " ";
        } else if (ch == '+' || (ch == '-' && (k > 0 || inBracket))) {
            if (ch == '-')
                winsys::MessageBox("in der Klammer sind keine negativen Vorzeichen erlaubt!\nKombinationen nachbearbeiten!");
            if (bufferHoldsNumber()) {
                if (!storeItem()) return -1;
                buf = " ";
                ++k;
            }
        } else if (ch == '-') {
            sign = -1.0;
        } else if (ch == '(') {
            inBracket = true;
        } else if (ch == ')') {
            if (!storeItem()) return -1;
            buf = " ";
            if (groups.size() >= static_cast<size_t>(limits::kMaxRuleGroups))
                return fail(winsys::FormatC("mehr als %d Klammern in der Kombinationsregel", limits::kMaxRuleGroups));
            groups.emplace_back();
            k = 0;
            sign = 1.0;
            inBracket = false;
        }
    }

    int32_t count = 0;
    for (const Group& g : groups) {
        if (g.factor == 0.0) break;
        for (int32_t n : g.items) {
            if (n == 0) continue;
            out.factor[static_cast<size_t>(n - 1)] = g.factor;
            out.loadCase[static_cast<size_t>(n - 1)] = n;
            ++count;
        }
    }
    return count;
}

int32_t LkKindCode(const std::string& kind) {
    if (kind == "Gebr.") return 1;
    if (kind == "KNSW") return 0;
    return -1;
}

bool IsServiceabilityCategory(const std::string& text) {
    return text == "Ed,perm" || text == "Ed,frequ" || text == "Ed,inf r" || text == "Ed,rare";
}

int32_t ParseAllCombinations(RunState& run) {
    ModelRecord& r = run.cdltr;
    const CombinationTables& t = run.combos;
    if (r.nLkName < 0 || r.nLkName > limits::kMaxCombinations ||
        static_cast<size_t>(r.nLkName) > t.LkArt.size() || static_cast<size_t>(r.nLkName) > t.LkRegel.size()) {
        run.Stop(codes::kModelTooLarge, winsys::FormatC("Anzahl der Lastkombinationen %d außerhalb 0..%d",
                                                        r.nLkName, limits::kMaxCombinations));
        return codes::kModelTooLarge;
    }
    auto rule = std::make_unique<RuleResult>();
    auto build = [&](int32_t kind, std::vector<CombinationTerm>& terms, int32_t& nTerm, int32_t& nLk) -> int32_t {
        terms.clear();
        nTerm = 0;
        nLk = 0;
        for (int32_t k = 0; k < r.nLkName; ++k) {
            if (LkKindCode(t.LkArt[static_cast<size_t>(k)]) != kind) continue;
            std::string why;
            const std::string& text = t.LkRegel[static_cast<size_t>(k)];
            if (ParseCombinationRule(text, *rule, &why) < 0) {
                run.Stop(codes::kBadValue, winsys::FormatC("Kombination %d \"%s\": %s", k + 1, text.c_str(), why.c_str()));
                return codes::kBadValue;
            }
            for (int32_t i = 0; i < limits::kMaxLoadCases; ++i) {
                if (rule->loadCase[static_cast<size_t>(i)] <= 0) continue;
                if (nTerm >= limits::kMaxTerms) {
                    run.Stop(codes::kModelTooLarge,
                             winsys::FormatC("mehr als %d Kombinationsglieder", limits::kMaxTerms));
                    return codes::kModelTooLarge;
                }
                terms.push_back({nLk + 1, rule->loadCase[static_cast<size_t>(i)] - 1,
                                 static_cast<float>(rule->factor[static_cast<size_t>(i)])});
                ++nTerm;
            }
            ++nLk;
        }
        return 0;
    };
    if (int32_t rc = build(1, r.RegelTerm, r.nRegelTerm, r.nRegelLk)) return rc;
    return build(0, r.KnickTerm, r.nKnickTerm, r.nKnickLk);
}

}  // namespace tovik
