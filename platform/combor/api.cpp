// The exported calls: a handle table of sessions and thin wrappers over the
// session state, the norm tables and the generation run.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "combor.h"
#include "internal.h"

using namespace combor_impl;

namespace {

constexpr int kMaxLoadCase = 100000;

std::mutex g_mutex;
std::map<int32_t, std::unique_ptr<Session>> g_sessions;
int32_t g_next = 1;

Session* Get(COMBOR_HANDLE h) {
    auto it = g_sessions.find(h);
    return it == g_sessions.end() ? nullptr : it->second.get();
}

int Copy(const std::string& s, char* buf, int bufSize) {
    if (buf && bufSize > 0) {
        size_t n = std::min(s.size(), static_cast<size_t>(bufSize - 1));
        // Cut at a character boundary of UTF-8.
        while (n > 0 && n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
        std::memcpy(buf, s.data(), n);
        buf[n] = '\0';
    }
    return static_cast<int>(s.size());
}

const Group* SelectedGroup(const Session& s) {
    if (s.selectedGroup < 0 || s.selectedGroup >= static_cast<int>(s.norm.groups.size())) return nullptr;
    return &s.norm.groups[static_cast<size_t>(s.selectedGroup)];
}

}  // namespace

#define LOCKED_SESSION(h, fail)                  \
    std::lock_guard<std::mutex> lock_(g_mutex); \
    Session* s = Get(h);                        \
    if (!s) return fail

COMBOR_API COMBOR_HANDLE COMBOR_StartSession(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    // Handles are never reused while the process lives (wrapping far beyond
    // any real use skips handles still open).
    for (;;) {
        int32_t h = g_next;
        g_next = g_next == INT32_MAX ? 1 : g_next + 1;
        if (!g_sessions.count(h)) {
            g_sessions.emplace(h, std::make_unique<Session>());
            return h;
        }
    }
}

COMBOR_API int COMBOR_CloseSession(COMBOR_HANDLE h) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_sessions.erase(h) ? 1 : 0;
}

COMBOR_API int COMBOR_GetNumOfSessions(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return static_cast<int>(g_sessions.size());
}

COMBOR_API int COMBOR_SetNorm(COMBOR_HANDLE h, const char* norm) {
    LOCKED_SESSION(h, 0);
    s->norm = MakeNorm(norm ? norm : "");
    s->selectedGroup = 0;
    return s->norm.id == kNone ? 0 : 1;
}

COMBOR_API int COMBOR_GetNorm(COMBOR_HANDLE h, char* buf, int bufSize) {
    LOCKED_SESSION(h, Copy("", buf, bufSize));
    return Copy(s->norm.name, buf, bufSize);
}

COMBOR_API int COMBOR_GetNormTitle(const char* norm, char* buf, int bufSize) {
    return Copy(NormTitle(norm ? norm : ""), buf, bufSize);
}

COMBOR_API int COMBOR_GetNumOfLastGruppen(COMBOR_HANDLE h) {
    LOCKED_SESSION(h, 0);
    return static_cast<int>(s->norm.groups.size());
}

COMBOR_API int COMBOR_GetLastGruppe(COMBOR_HANDLE h, int index, char* buf, int bufSize) {
    LOCKED_SESSION(h, Copy("", buf, bufSize));
    if (index < 0 || index >= static_cast<int>(s->norm.groups.size())) return Copy("", buf, bufSize);
    return Copy(s->norm.groups[static_cast<size_t>(index)].name, buf, bufSize);
}

COMBOR_API int COMBOR_GetLastGruppeType(COMBOR_HANDLE h, int index) {
    LOCKED_SESSION(h, -1);
    if (index < 0 || index >= static_cast<int>(s->norm.groups.size())) return -1;
    return s->norm.groups[static_cast<size_t>(index)].type;
}

COMBOR_API int COMBOR_SetLastGruppe(COMBOR_HANDLE h, const char* name) {
    LOCKED_SESSION(h, -1);
    for (size_t i = 0; i < s->norm.groups.size(); ++i)
        if (name && s->norm.groups[i].name == name) {
            s->selectedGroup = static_cast<int>(i);
            return static_cast<int>(i);
        }
    return -1;
}

COMBOR_API int COMBOR_GetNumOfLastKat(COMBOR_HANDLE h) {
    LOCKED_SESSION(h, 0);
    const Group* g = SelectedGroup(*s);
    return g ? static_cast<int>(g->categories.size()) : 0;
}

COMBOR_API int COMBOR_GetLastKat(COMBOR_HANDLE h, int index, char* buf, int bufSize) {
    LOCKED_SESSION(h, Copy("", buf, bufSize));
    const Group* g = SelectedGroup(*s);
    if (!g || index < 0 || index >= static_cast<int>(g->categories.size())) return Copy("", buf, bufSize);
    return Copy(g->categories[static_cast<size_t>(index)].name, buf, bufSize);
}

COMBOR_API int COMBOR_GetPsi(COMBOR_HANDLE h, int group, int category, double psi[3]) {
    if (psi) psi[0] = psi[1] = psi[2] = 0.0;
    LOCKED_SESSION(h, 0);
    if (!psi || group < 0 || group >= static_cast<int>(s->norm.groups.size())) return 0;
    const Group& g = s->norm.groups[static_cast<size_t>(group)];
    if (category < 0 || category >= static_cast<int>(g.categories.size())) return 0;
    if (g.type != kVariableAdditive && g.type != kVariableAlternative) {
        psi[0] = psi[1] = psi[2] = 1.0;
        return 1;
    }
    EffectivePsi(*s, g.categories[static_cast<size_t>(category)], psi);
    return 1;
}

COMBOR_API int COMBOR_GetGamma(COMBOR_HANDLE h, int a, int b, double gamma[2]) {
    if (gamma) gamma[0] = gamma[1] = 0.0;
    LOCKED_SESSION(h, 0);
    if (!gamma) return 0;
    return EffectiveGamma(*s, a, b, gamma) ? 1 : 0;
}

COMBOR_API int COMBOR_SetVariable(COMBOR_HANDLE h, const char* name, double value) {
    LOCKED_SESSION(h, 0);
    const std::string n = name ? name : "";
    if (n == "h") {
        s->vars.h = value;
    } else if (n == "psi2_vadu") {
        s->vars.psi2Crane = value;
    } else if (n == "GInfFactor") {
        s->vars.gSupFactor = value;
    } else {
        return 0;
    }
    return 1;
}

COMBOR_API int COMBOR_SetNoGammaPsi(COMBOR_HANDLE h, int flag) {
    LOCKED_SESSION(h, 0);
    s->noGammaPsi = flag != 0;
    return 1;
}

COMBOR_API int COMBOR_ClearLFEW(COMBOR_HANDLE h) {
    LOCKED_SESSION(h, 0);
    s->loadCases.clear();
    s->actions.clear();
    s->spanShares.clear();
    s->spanWise.clear();
    s->combinations.clear();
    s->factorCount = 0;
    s->lastError.clear();
    return 1;
}

COMBOR_API int COMBOR_SetLastfall(COMBOR_HANDLE h, int lf, int einw) {
    LOCKED_SESSION(h, 0);
    // Load cases are numbered from 1; the factor arrays are as long as the
    // highest number, so absurd numbers are refused.
    if (lf < 1 || lf > kMaxLoadCase) return 0;
    s->loadCases[lf] = einw;
    return 1;
}

COMBOR_API int COMBOR_DefEinw(COMBOR_HANDLE h, int einw, int group, int category, int favourable) {
    LOCKED_SESSION(h, 0);
    s->actions[einw] = ActionDef{group, category, favourable != 0};
    return 1;
}

COMBOR_API int COMBOR_SetFeldanteil(COMBOR_HANDLE h, int lfShare, int lf, int span) {
    LOCKED_SESSION(h, 0);
    if (lfShare < 1 || lfShare > kMaxLoadCase || lf < 1 || lf > kMaxLoadCase || span < 1 || lfShare == lf) return 0;
    s->spanShares[lfShare] = {lf, span};
    return 1;
}

COMBOR_API int COMBOR_SetEinwFeldweise(COMBOR_HANDLE h, int einw, int flag) {
    LOCKED_SESSION(h, 0);
    if (flag)
        s->spanWise.insert(einw);
    else
        s->spanWise.erase(einw);
    return 1;
}

COMBOR_API int COMBOR_EnableNachweis(COMBOR_HANDLE h, int check, int flag) {
    LOCKED_SESSION(h, 0);
    if (check < 0 || check >= 32) return 0;
    s->checks[check] = flag != 0;
    return 1;
}

COMBOR_API int COMBOR_Calc(COMBOR_HANDLE h) {
    LOCKED_SESSION(h, 0);
    return Generate(*s) ? 1 : 0;
}

COMBOR_API int COMBOR_GetLastError(COMBOR_HANDLE h, char* buf, int bufSize) {
    LOCKED_SESSION(h, Copy("", buf, bufSize));
    return Copy(s->lastError, buf, bufSize);
}

COMBOR_API int COMBOR_GetNumOfKombi(COMBOR_HANDLE h) {
    LOCKED_SESSION(h, 0);
    return static_cast<int>(s->combinations.size());
}

COMBOR_API int COMBOR_GetKombiTypStr(COMBOR_HANDLE h, int k, char* buf, int bufSize) {
    LOCKED_SESSION(h, Copy("", buf, bufSize));
    if (k < 0 || k >= static_cast<int>(s->combinations.size())) return Copy("", buf, bufSize);
    return Copy(s->combinations[static_cast<size_t>(k)].type, buf, bufSize);
}

COMBOR_API int COMBOR_GetKombiStr(COMBOR_HANDLE h, int k, char* buf, int bufSize) {
    LOCKED_SESSION(h, Copy("", buf, bufSize));
    if (k < 0 || k >= static_cast<int>(s->combinations.size())) return Copy("", buf, bufSize);
    return Copy(s->combinations[static_cast<size_t>(k)].rule, buf, bufSize);
}

COMBOR_API int COMBOR_GetNumOfFaktoren(COMBOR_HANDLE h, int /*k*/) {
    LOCKED_SESSION(h, 0);
    return s->factorCount;
}

COMBOR_API int COMBOR_GetKombi(COMBOR_HANDLE h, int k, double* factors, int count) {
    LOCKED_SESSION(h, 0);
    if (!factors || count <= 0 || k < 0 || k >= static_cast<int>(s->combinations.size())) return 0;
    const auto& f = s->combinations[static_cast<size_t>(k)].factors;
    int written = 0;
    for (int j = 0; j < count && j < s->factorCount; ++j, ++written)
        factors[j] = static_cast<size_t>(j) < f.size() ? f[static_cast<size_t>(j)] : 0.0;
    return written;
}

COMBOR_API int COMBOR_SetNumOfKombi(COMBOR_HANDLE h, int n) {
    LOCKED_SESSION(h, 0);
    if (n < 0 || n > 1000000) return 0;
    s->combinations.resize(static_cast<size_t>(n));
    return 1;
}

COMBOR_API int COMBOR_SetKombiStr(COMBOR_HANDLE h, int k, const char* rule) {
    LOCKED_SESSION(h, 0);
    if (k < 0 || k >= static_cast<int>(s->combinations.size())) return 0;
    auto& c = s->combinations[static_cast<size_t>(k)];
    c.rule = rule ? rule : "";
    c.factors = ParseRule(c.rule);
    if (static_cast<int>(c.factors.size()) > s->factorCount) s->factorCount = static_cast<int>(c.factors.size());
    return 1;
}

COMBOR_API int COMBOR_SetKombiTypStr(COMBOR_HANDLE h, int k, const char* type) {
    LOCKED_SESSION(h, 0);
    if (k < 0 || k >= static_cast<int>(s->combinations.size())) return 0;
    s->combinations[static_cast<size_t>(k)].type = type ? type : "";
    return 1;
}

COMBOR_API int COMBOR_Protokoll(COMBOR_HANDLE h, int gammaPsi, int rules, const char* fileName) {
    Session copy;
    {
        LOCKED_SESSION(h, 0);
        copy = *s;
    }
    if (!fileName || !*fileName) return 0;
    return WriteProtocol(copy, gammaPsi != 0, rules != 0, fileName) ? 1 : 0;
}

COMBOR_API int COMBOR_InitResultSuperpositioning(COMBOR_HANDLE h, int columns, int nodes) {
    LOCKED_SESSION(h, 0);
    s->results.clear();
    s->supColumns = s->supNodes = 0;
    // Blocks beyond 2^26 doubles (512 MB) are refused.
    if (columns <= 0 || nodes <= 0 || static_cast<long long>(columns) * nodes > (1LL << 26)) return 0;
    s->supColumns = columns;
    s->supNodes = nodes;
    return 1;
}

COMBOR_API int COMBOR_SetLastfallResult(COMBOR_HANDLE h, int lf, const double* block) {
    LOCKED_SESSION(h, 0);
    if (!block || lf < 1 || s->supColumns <= 0) return 0;
    const size_t n = static_cast<size_t>(s->supColumns) * static_cast<size_t>(s->supNodes);
    s->results[lf].assign(block, block + n);
    return 1;
}

COMBOR_API int COMBOR_GetResultSuperposition(COMBOR_HANDLE h, int k, double* block) {
    LOCKED_SESSION(h, 0);
    if (!block || s->supColumns <= 0 || k < 0 || k >= static_cast<int>(s->combinations.size())) return 0;
    const size_t n = static_cast<size_t>(s->supColumns) * static_cast<size_t>(s->supNodes);
    std::vector<double> sum(n, 0.0);
    bool complete = true;
    const auto& f = s->combinations[static_cast<size_t>(k)].factors;
    for (size_t j = 0; j < f.size(); ++j) {
        if (f[j] == 0.0) continue;
        auto it = s->results.find(static_cast<int>(j + 1));
        if (it == s->results.end()) {
            complete = false;
            continue;
        }
        for (size_t i = 0; i < n; ++i) sum[i] += f[j] * it->second[i];
    }
    std::copy(sum.begin(), sum.end(), block);
    return complete ? 1 : 0;
}
