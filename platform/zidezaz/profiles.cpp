// Profile handles and their wall lines; results through the calculator.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/zidezaz/section_calc.h"
#include "platform/zidezaz/store.h"

namespace zidezaz::detail {

std::map<int, Profile>& Profiles() {
    static std::map<int, Profile> table;
    return table;
}

// Calculations on worker threads make and delete their own profiles side by
// side: the table is guarded, while each profile is used by the one
// calculation that made it.
std::mutex& ProfilesMutex() {
    static std::mutex m;
    return m;
}

Profile* FindProfile(int pro) {
    std::lock_guard<std::mutex> lock(ProfilesMutex());
    auto& t = Profiles();
    auto it = t.find(pro);
    return it == t.end() ? nullptr : &it->second;
}

namespace {
int g_nextHandle = 1;

// Calculates when the wall lines changed since the last calculation.
Profile* Calculated(int pro) {
    Profile* p = FindProfile(pro);
    if (!p) return nullptr;
    if (!p->calculated) {
        p->status = CalculateSection(p->lines, p->results);
        p->calculated = true;
    }
    return p;
}
}  // namespace

}  // namespace zidezaz::detail

using namespace zidezaz::detail;

int SEKT_PRO_Create(void) {
    std::lock_guard<std::mutex> lock(ProfilesMutex());
    if (g_nextHandle >= 0x7ffffff0) return -1;
    const int h = g_nextHandle++;
    Profiles()[h];
    return h;
}

int SEKT_PRO_Init(int pro, int /*flag*/) {
    Profile* p = FindProfile(pro);
    if (!p) return -1;
    *p = Profile{};
    return 0;
}

int SEKT_PRO_Delete(int pro) {
    std::lock_guard<std::mutex> lock(ProfilesMutex());
    return Profiles().erase(pro) ? 0 : -1;
}

int SEKT_PRO_GetType(int pro) { return FindProfile(pro) ? 0 : -1; }

int SEKT_PRO_GetnWLine(int pro) {
    Profile* p = FindProfile(pro);
    return p ? static_cast<int>(p->lines.size()) : -1;
}

int SEKT_PRO_GetWLine(int pro, int i, SektWLine* line) {
    Profile* p = FindProfile(pro);
    if (!p || !line || i < 0 || static_cast<size_t>(i) >= p->lines.size()) return -1;
    *line = p->lines[static_cast<size_t>(i)];
    return 0;
}

int SEKT_PRO_AddWLine(int pro, SektWLine line) {
    Profile* p = FindProfile(pro);
    if (!p) return -1;
    p->lines.push_back(line);
    p->groups.push_back(SektWLineGroup{});
    p->params.push_back(SektWLineParam{});
    p->calculated = false;
    return static_cast<int>(p->lines.size() - 1);
}

int SEKT_PRO_GetWLineGroup(int pro, int i, SektWLineGroup* g) {
    Profile* p = FindProfile(pro);
    if (!p || !g || i < 0 || static_cast<size_t>(i) >= p->groups.size()) return -1;
    *g = p->groups[static_cast<size_t>(i)];
    return 0;
}

int SEKT_PRO_SetWLineGroup(int pro, int first, int last, const SektWLineGroup* g) {
    Profile* p = FindProfile(pro);
    if (!p || !g || first < 0 || last < first || static_cast<size_t>(last) >= p->groups.size()) return -1;
    for (int i = first; i <= last; ++i) p->groups[static_cast<size_t>(i)] = *g;
    return 0;
}

int SEKT_PRO_GetWLineParam(int pro, int i, SektWLineParam* par) {
    Profile* p = FindProfile(pro);
    if (!p || !par || i < 0 || static_cast<size_t>(i) >= p->params.size()) return -1;
    *par = p->params[static_cast<size_t>(i)];
    return 0;
}

int SEKT_PRO_SetWLineParam(int pro, int i, const SektWLineParam* par) {
    Profile* p = FindProfile(pro);
    if (!p || !par || i < 0 || static_cast<size_t>(i) >= p->params.size()) return -1;
    p->params[static_cast<size_t>(i)] = *par;
    return 0;
}

int SEKT_PRO_Move(int pro, double dy, double dz) {
    Profile* p = FindProfile(pro);
    if (!p || !std::isfinite(dy) || !std::isfinite(dz)) return -1;
    for (auto& l : p->lines) {
        l.ya += dy;
        l.ye += dy;
        l.za += dz;
        l.ze += dz;
    }
    p->calculated = false;
    return 0;
}

int SEKT_PRO_Calculate(int pro) {
    Profile* p = FindProfile(pro);
    if (!p) return -1;
    p->calculated = false;
    return Calculated(pro)->status;
}

int SEKT_PRO_GetResultGqs(int pro, SektGqs* out) {
    if (!out) return -1;
    std::memset(out, 0, sizeof *out);
    Profile* p = Calculated(pro);
    if (!p || p->status <= 0) return -1;
    *out = p->results.gqs;
    return 0;
}

int SEKT_PRO_GetResultSqs(int pro, SektSqs* out) {
    if (!out) return -1;
    std::memset(out, 0, sizeof *out);
    out->Ptyp = -1;
    Profile* p = Calculated(pro);
    if (!p || p->status <= 0) return -1;
    *out = p->results.sqs;
    return 0;
}

int SEKT_PRO_GetnTqs(int pro) {
    Profile* p = Calculated(pro);
    if (!p) return -1;
    return p->status > 0 ? 1 : 0;
}

int SEKT_PRO_GetResultTqs(int pro, int i, SektTqs* out) {
    if (!out) return -1;
    std::memset(out, 0, sizeof *out);
    Profile* p = Calculated(pro);
    if (!p || p->status <= 0 || i != 0) return -1;
    *out = p->results.tqs;
    return 0;
}

int SEKT_PRO_GetnTqe(int pro, int i) {
    Profile* p = Calculated(pro);
    if (!p) return -1;
    if (p->status <= 0 || i != 0) return 0;
    return static_cast<int>(p->results.tqe.size());
}

int SEKT_PRO_GetResultTqe(int pro, int i, int k, SektTqe* out) {
    if (!out) return -1;
    std::memset(out, 0, sizeof *out);
    Profile* p = Calculated(pro);
    if (!p || p->status <= 0 || i != 0 || k < 0 || static_cast<size_t>(k) >= p->results.tqe.size()) return -1;
    *out = p->results.tqe[static_cast<size_t>(k)];
    return 0;
}

int SEKT_PRO_GetDrawingPoints(int pro, SektDrawPoint* pts, int* count) {
    if (!count) return -1;
    Profile* p = Calculated(pro);
    if (!p) {
        *count = 0;
        return -1;
    }
    const auto& d = p->results.drawing;
    if (!pts) {
        *count = static_cast<int>(d.size());
        return 0;
    }
    const int n = std::max(0, std::min(*count, static_cast<int>(d.size())));
    for (int i = 0; i < n; ++i) pts[i] = d[static_cast<size_t>(i)];
    *count = n;
    return 0;
}

int ZAZUZER_RefPoint(int pro, ZazRefPoint* out) {
    if (!out) return -1;
    out->y = out->z = 0;
    Profile* p = Calculated(pro);
    if (!p) return -1;
    if (p->status > 0) {
        out->y = p->results.gqs.y0;
        out->z = p->results.gqs.z0;
    }
    return 0;
}
