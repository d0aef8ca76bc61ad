#include "module/frame/HostRoutines.h"

#include <mutex>
#include <set>
#include <utility>

namespace {

struct Registry {
    std::mutex mutex;
    std::set<std::pair<int32_t, uintptr_t>> routines;
};

Registry& TheRegistry() {
    static Registry r;  // holds plain values only; nothing to tear down in order
    return r;
}

}  // namespace

void RegisterHostRoutine(HostRoutineKind kind, uintptr_t address) {
    if (address == 0) return;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.routines.emplace(static_cast<int32_t>(kind), address);
}

void UnregisterHostRoutine(HostRoutineKind kind, uintptr_t address) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.routines.erase({static_cast<int32_t>(kind), address});
}

bool IsHostRoutineRegistered(HostRoutineKind kind, uintptr_t address) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.routines.count({static_cast<int32_t>(kind), address}) != 0;
}

bool ParseHostRoutineAddress(const std::string& text, uintptr_t& address) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    std::string s = text.substr(b, e - b + 1);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.erase(0, 2);
    if (s.empty() || s.size() > sizeof(uintptr_t) * 2) return false;
    uintptr_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = (v << 4) | static_cast<uintptr_t>(d);
    }
    address = v;
    return true;
}

uintptr_t FindHostRoutine(HostRoutineKind kind, const std::string& addressText) {
    uintptr_t address = 0;
    if (!ParseHostRoutineAddress(addressText, address)) return 0;
    return IsHostRoutineRegistered(kind, address) ? address : 0;
}
