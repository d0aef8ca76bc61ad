#include "platform/zozudeda/zozudeda.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace {

using zozudeda::kCallSeconds;
using zozudeda::kInstructionLimit;
using zozudeda::kMemoryLimit;
using zozudeda::kPatternSteps;
using zozudeda::kPatternSubjectLimit;
using zozudeda::kSessionSeconds;
using Clock = std::chrono::steady_clock;

constexpr int kHookStep = 1000;  // instructions between two checks of the count

// The reasons a call is stopped; the report puts the macro's name in front.
const char* const kMemoryMessage = "Speichergrenze von 64 MiB je Sitzung überschritten";
const char* const kInstructionMessage = "mehr als 100000000 Anweisungen in einem Aufruf";
const char* const kTimeMessage = "länger als 10 Sekunden gelaufen";
const char* const kSessionTimeMessage = "die Makros dieser Sitzung liefen zusammen länger als 15 Sekunden";
const char* const kPatternMessage = "Suchmuster braucht mehr als 10000000 Vergleichsschritte";
const char* const kSubjectMessage = "Suchmuster auf einen Text von mehr als 1000000 Zeichen angewandt";
const char* const kFinalizerMessage = "__gc-Metamethoden sind in Makros nicht erlaubt";

struct Session {
    lua_State* L = nullptr;
    std::size_t used = 0;        // bytes held by the interpreter
    bool memoryExceeded = false;  // an allocation was refused since the call began
    const char* abort = nullptr;  // the limit that stops the current call
    long long steps = 0;          // instructions of the current call
    std::string error;
    int errorLine = -1;
    std::string strResult;
    std::string callName;             // the function or macro text of the current call
    Clock::time_point deadline{};     // the current call stops here
    Clock::duration spent{};          // time of all calls since the session was (re)started
    std::atomic<bool> timedOut{false};  // set by the watchdog when the deadline passed

    ~Session() { Close(); }
    void Close() {
        if (L) lua_close(L);
        L = nullptr;
        used = 0;
    }
};

std::mutex g_mutex;
std::map<int, std::unique_ptr<Session>>& Sessions() {
    static std::map<int, std::unique_ptr<Session>> sessions;
    return sessions;
}
int g_nextHandle = 1;
zozudeda::MacroEditor& Editor() {
    static zozudeda::MacroEditor editor;
    return editor;
}

Session* Find(int handle) {
    auto it = Sessions().find(handle);
    return it == Sessions().end() ? nullptr : it->second.get();
}

// ---- the watchdog ------------------------------------------------------------------
//
// A call may be stuck where the interpreter's own count does not reach (a C
// function of the libraries running long). A thread of its own watches the
// clock of the running call and, once its deadline is past, makes the
// interpreter stop at its next instruction: lua_sethook may be called from
// outside the running interpreter.

struct Watch {
    std::mutex mutex;
    std::condition_variable wake;
    Session* running = nullptr;  // the session whose call runs (calls are serialised by g_mutex)
    bool started = false;
};

Watch& TheWatch() {
    static Watch* watch = new Watch;  // lives as long as the process: the thread may outlive statics
    return *watch;
}

void CountHook(lua_State* L, lua_Debug*);

void WatchLoop() {
    Watch& w = TheWatch();
    std::unique_lock<std::mutex> lock(w.mutex);
    for (;;) {
        if (!w.running) {
            w.wake.wait(lock);
            continue;
        }
        Session* s = w.running;
        const Clock::time_point deadline = s->deadline;  // the session may end while this waits
        if (Clock::now() >= deadline) {
            if (!s->timedOut.exchange(true) && s->L) lua_sethook(s->L, CountHook, LUA_MASKCOUNT, 1);
            w.wake.wait(lock, [&] { return w.running != s; });
            continue;
        }
        w.wake.wait_until(lock, deadline);
    }
}

void WatchCall(Session* s) {
    Watch& w = TheWatch();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.started) {
        std::thread(WatchLoop).detach();
        w.started = true;
    }
    w.running = s;
    w.wake.notify_all();
}

void UnwatchCall() {
    Watch& w = TheWatch();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.running = nullptr;
    w.wake.notify_all();
}

// ---- interpreter with limits -----------------------------------------------------

void* LimitedAlloc(void* ud, void* ptr, size_t osize, size_t nsize) {
    auto* s = static_cast<Session*>(ud);
    const std::size_t old = ptr ? osize : 0;
    if (nsize == 0) {
        std::free(ptr);
        s->used -= old;
        return nullptr;
    }
    if (nsize > old && s->used - old + nsize > kMemoryLimit) {
        s->memoryExceeded = true;
        return nullptr;
    }
    void* p = std::realloc(ptr, nsize);
    if (!p) return nullptr;
    s->used = s->used - old + nsize;
    return p;
}

Session* SessionOf(lua_State* L) {
    void* ud = nullptr;
    lua_getallocf(L, &ud);
    return static_cast<Session*>(ud);
}

// Stops the running call when its time is up; true when it must stop.
bool PastDeadline(Session* s) {
    if (s->abort) return true;
    if (s->timedOut || Clock::now() >= s->deadline) {
        s->timedOut = true;
        s->abort = s->spent >= std::chrono::seconds(kSessionSeconds) ? kSessionTimeMessage : kTimeMessage;
        return true;
    }
    return false;
}

void CountHook(lua_State* L, lua_Debug*) {
    Session* s = SessionOf(L);
    s->steps += kHookStep;
    // Once past the limit every further check raises again, so a macro that
    // catches the error with pcall is stopped anew at once.
    if (s->steps > kInstructionLimit && !s->abort) s->abort = kInstructionMessage;
    if (s->abort || PastDeadline(s)) luaL_error(L, "%s", s->abort);
}

// pcall and xpcall that cannot swallow a limit: after the protected call the
// stop is raised again, up to the session's own call.
int RethrowLimit(lua_State* L, int results) {
    Session* s = SessionOf(L);
    // A protected call that failed for want of memory ends the whole call.
    if (s->memoryExceeded && !s->abort && lua_gettop(L) >= 1 && lua_isboolean(L, 1) && !lua_toboolean(L, 1))
        s->abort = kMemoryMessage;
    if (s->abort) return luaL_error(L, "%s", s->abort);
    return results;
}

// Calls the function a guard wraps (upvalue 1) with all the guard's
// arguments; returns the number of its results, which stand on the stack.
int CallWrapped(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

int LuaGuardedPcall(lua_State* L) { return RethrowLimit(L, CallWrapped(L)); }

// setmetatable without finalisers: Lua runs a __gc metamethod with the
// instruction count switched off, so a finaliser could run for ever.
int LuaSetMetatable(lua_State* L) {
    if (lua_type(L, 2) == LUA_TTABLE) {
        lua_pushliteral(L, "__gc");
        if (lua_rawget(L, 2) != LUA_TNIL) return luaL_error(L, "%s", kFinalizerMessage);
        lua_pop(L, 1);
    }
    return CallWrapped(L);
}

// print of a macro: never on standard output, where the program's own
// results stand; on standard error, each line marked as the macro's.
int LuaPrint(lua_State* L) {
    Session* s = SessionOf(L);
    std::string line;
    const int n = lua_gettop(L);
    for (int i = 1; i <= n; ++i) {
        size_t len = 0;
        const char* text = luaL_tolstring(L, i, &len);
        if (i > 1) line += '\t';
        line.append(text, len);
        lua_pop(L, 1);
    }
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find('\n', start);
        out += "Makro '" + s->callName + "' (Ausgabe): " + line.substr(start, end - start) + "\n";
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
    return 0;
}

// ---- bounded pattern functions ------------------------------------------------------
//
// Lua's pattern matcher runs in C, outside the instruction count, and a
// backtracking pattern takes time exponential in its length. Before the
// library's find, match, gmatch or gsub runs, the same search is walked here
// with a count of its steps: past kPatternSteps (or past the call's deadline)
// the call stops. The walk follows the matcher of Lua 5.4 step for step, so
// the library's own run that follows costs no more than the walk did.

class PatternWalk {
public:
    PatternWalk(Session* session, const char* s, size_t ls, const char* p, size_t lp)
        : session_(session), srcInit_(s), srcEnd_(s + ls), pEnd_(p + lp) {}

    // The end of a match of p at s, or null.
    const char* Match(const char* s, const char* p) {
        level_ = 0;
        depth_ = 0;
        return Do(s, p);
    }
    bool Stopped() const { return exceeded_ || malformed_; }
    bool Exceeded() const { return exceeded_; }

private:
    static constexpr int kMaxCaptures = 32;   // LUA_MAXCAPTURES
    static constexpr int kMaxCalls = 200;     // MAXCCALLS of the library
    static constexpr long kUnfinished = -1, kPosition = -2;

    bool Step() {
        if (Stopped()) return false;
        if (++steps_ > kPatternSteps) {
            exceeded_ = true;
            return false;
        }
        if ((steps_ & 0xFFFF) == 0 && PastDeadline(session_)) {
            exceeded_ = true;
            return false;
        }
        return true;
    }

    const char* ClassEnd(const char* p) {
        if (p >= pEnd_) {
            malformed_ = true;
            return pEnd_;
        }
        const char c = *p++;
        if (c == '%') {
            if (p >= pEnd_) {
                malformed_ = true;
                return pEnd_;
            }
            return p + 1;
        }
        if (c == '[') {
            if (p < pEnd_ && *p == '^') p++;
            do {
                if (p >= pEnd_) {
                    malformed_ = true;
                    return pEnd_;
                }
                if (*(p++) == '%' && p < pEnd_) p++;
            } while (p >= pEnd_ || *p != ']');
            return p + 1;
        }
        return p;
    }

    static bool MatchClass(int c, int cl) {
        bool res;
        switch (std::tolower(cl)) {
        case 'a': res = std::isalpha(c); break;
        case 'c': res = std::iscntrl(c); break;
        case 'd': res = std::isdigit(c); break;
        case 'g': res = std::isgraph(c); break;
        case 'l': res = std::islower(c); break;
        case 'p': res = std::ispunct(c); break;
        case 's': res = std::isspace(c); break;
        case 'u': res = std::isupper(c); break;
        case 'w': res = std::isalnum(c); break;
        case 'x': res = std::isxdigit(c); break;
        default: return cl == c;
        }
        if (std::isupper(cl)) res = !res;
        return res;
    }

    static bool MatchBracket(int c, const char* p, const char* ec) {
        bool sig = true;
        if (*(p + 1) == '^') {
            sig = false;
            p++;
        }
        while (++p < ec) {
            if (*p == '%') {
                p++;
                if (MatchClass(c, static_cast<unsigned char>(*p))) return sig;
            } else if (*(p + 1) == '-' && p + 2 < ec) {
                p += 2;
                if (static_cast<unsigned char>(*(p - 2)) <= c && c <= static_cast<unsigned char>(*p)) return sig;
            } else if (static_cast<unsigned char>(*p) == c) {
                return sig;
            }
        }
        return !sig;
    }

    bool Single(const char* s, const char* p, const char* ep) const {
        if (s >= srcEnd_) return false;
        const int c = static_cast<unsigned char>(*s);
        switch (*p) {
        case '.': return true;
        case '%': return MatchClass(c, static_cast<unsigned char>(*(p + 1)));
        case '[': return MatchBracket(c, p, ep - 1);
        default: return static_cast<unsigned char>(*p) == c;
        }
    }

    const char* Balance(const char* s, const char* p) {
        if (p + 1 >= pEnd_) {
            malformed_ = true;
            return nullptr;
        }
        if (s >= srcEnd_ || *s != *p) return nullptr;
        const char b = *p, e = *(p + 1);
        int cont = 1;
        while (++s < srcEnd_) {
            if (!Step()) return nullptr;
            if (*s == e) {
                if (--cont == 0) return s + 1;
            } else if (*s == b) {
                cont++;
            }
        }
        return nullptr;
    }

    const char* MaxExpand(const char* s, const char* p, const char* ep) {
        long i = 0;
        while (Single(s + i, p, ep)) {
            if (!Step()) return nullptr;
            i++;
        }
        while (i >= 0) {
            const char* res = Do(s + i, ep + 1);
            if (res) return res;
            if (Stopped()) return nullptr;
            i--;
        }
        return nullptr;
    }

    const char* MinExpand(const char* s, const char* p, const char* ep) {
        for (;;) {
            const char* res = Do(s, ep + 1);
            if (res) return res;
            if (Stopped()) return nullptr;
            if (!Single(s, p, ep)) return nullptr;
            s++;
        }
    }

    const char* StartCapture(const char* s, const char* p, long what) {
        if (level_ >= kMaxCaptures) {
            malformed_ = true;
            return nullptr;
        }
        capture_[level_].init = s;
        capture_[level_].len = what;
        level_++;
        const char* res = Do(s, p);
        if (!res) level_--;
        return res;
    }

    const char* EndCapture(const char* s, const char* p) {
        int l = -1;
        for (int k = level_ - 1; k >= 0; k--)
            if (capture_[k].len == kUnfinished) {
                l = k;
                break;
            }
        if (l < 0) {
            malformed_ = true;
            return nullptr;
        }
        capture_[l].len = s - capture_[l].init;
        const char* res = Do(s, p);
        if (!res) capture_[l].len = kUnfinished;
        return res;
    }

    const char* MatchCapture(const char* s, int l) {
        l -= '1';
        if (l < 0 || l >= level_ || capture_[l].len == kUnfinished) {
            malformed_ = true;
            return nullptr;
        }
        const long len = capture_[l].len;
        if (len < 0) return nullptr;  // a position capture matches no text
        if (srcEnd_ - s >= len && std::memcmp(capture_[l].init, s, static_cast<size_t>(len)) == 0) return s + len;
        return nullptr;
    }

    const char* Do(const char* s, const char* p) {
        if (!Step()) return nullptr;
        if (++depth_ > kMaxCalls) {
            malformed_ = true;  // the library says "pattern too complex"
            return nullptr;
        }
        for (;;) {
            if (Stopped()) {
                s = nullptr;
                break;
            }
            if (p == pEnd_) break;
            bool plain = false;
            switch (*p) {
            case '(':
                if (p + 1 < pEnd_ && *(p + 1) == ')')
                    s = StartCapture(s, p + 2, kPosition);
                else
                    s = StartCapture(s, p + 1, kUnfinished);
                break;
            case ')':
                s = EndCapture(s, p + 1);
                break;
            case '$':
                if (p + 1 != pEnd_) {
                    plain = true;
                    break;
                }
                s = (s == srcEnd_) ? s : nullptr;
                break;
            case '%':
                if (p + 1 >= pEnd_) {
                    malformed_ = true;
                    s = nullptr;
                    break;
                }
                switch (*(p + 1)) {
                case 'b':
                    s = Balance(s, p + 2);
                    if (s) {
                        p += 4;
                        if (!Step()) {
                            s = nullptr;
                            break;
                        }
                        continue;
                    }
                    break;
                case 'f': {
                    p += 2;
                    if (p >= pEnd_ || *p != '[') {
                        malformed_ = true;
                        s = nullptr;
                        break;
                    }
                    const char* ep = ClassEnd(p);
                    if (Stopped()) {
                        s = nullptr;
                        break;
                    }
                    const int previous = (s == srcInit_) ? 0 : static_cast<unsigned char>(*(s - 1));
                    const int current = s < srcEnd_ ? static_cast<unsigned char>(*s) : 0;
                    if (!MatchBracket(previous, p, ep - 1) && MatchBracket(current, p, ep - 1)) {
                        p = ep;
                        if (!Step()) {
                            s = nullptr;
                            break;
                        }
                        continue;
                    }
                    s = nullptr;
                    break;
                }
                case '0': case '1': case '2': case '3': case '4':
                case '5': case '6': case '7': case '8': case '9':
                    s = MatchCapture(s, static_cast<unsigned char>(*(p + 1)));
                    if (s) {
                        p += 2;
                        if (!Step()) {
                            s = nullptr;
                            break;
                        }
                        continue;
                    }
                    break;
                default:
                    plain = true;
                }
                break;
            default:
                plain = true;
            }
            if (!plain) break;
            const char* ep = ClassEnd(p);
            if (Stopped()) {
                s = nullptr;
                break;
            }
            if (!Single(s, p, ep)) {
                if (ep < pEnd_ && (*ep == '*' || *ep == '?' || *ep == '-')) {
                    p = ep + 1;
                    if (!Step()) {
                        s = nullptr;
                        break;
                    }
                    continue;
                }
                s = nullptr;
                break;
            }
            const char q = ep < pEnd_ ? *ep : '\0';
            if (q == '?') {
                const char* res = Do(s + 1, ep + 1);
                if (res) {
                    s = res;
                    break;
                }
                if (Stopped()) {
                    s = nullptr;
                    break;
                }
                p = ep + 1;
                continue;
            }
            if (q == '+') {
                s = MaxExpand(s + 1, p, ep);
                break;
            }
            if (q == '*') {
                s = MaxExpand(s, p, ep);
                break;
            }
            if (q == '-') {
                s = MinExpand(s, p, ep);
                break;
            }
            s++;
            p = ep;
            if (!Step()) {
                s = nullptr;
                break;
            }
        }
        depth_--;
        return s;
    }

    Session* session_;
    const char* srcInit_;
    const char* srcEnd_;
    const char* pEnd_;
    int level_ = 0;
    int depth_ = 0;
    long long steps_ = 0;
    bool exceeded_ = false;
    bool malformed_ = false;
    struct {
        const char* init;
        long len;
    } capture_[kMaxCaptures]{};
};

bool HasSpecials(const char* p, size_t lp) {
    for (size_t i = 0; i < lp; ++i)
        if (std::strchr("^$*+?.([%-", p[i]) && p[i] != '\0') return true;
    return false;
}

// Lua's relative string position: negative counts from the end.
size_t StartOffset(lua_Integer pos, size_t len) {
    if (pos > 0) return static_cast<size_t>(pos);
    if (pos == 0) return 1;
    if (pos < -static_cast<lua_Integer>(len)) return 1;
    return len + static_cast<size_t>(pos) + 1;
}

enum class PatternUse { Find, Match, GMatch, GSub };

// Walks the search the library function would make; false when it is too
// long (the reason in the session's abort).
bool WalkPattern(lua_State* L, PatternUse use) {
    Session* s = SessionOf(L);
    const int t1 = lua_type(L, 1), t2 = lua_type(L, 2);
    if ((t1 != LUA_TSTRING && t1 != LUA_TNUMBER) || (t2 != LUA_TSTRING && t2 != LUA_TNUMBER))
        return true;  // the library names the wrong argument itself
    size_t ls = 0, lp = 0;
    const char* subject = lua_tolstring(L, 1, &ls);
    const char* pattern = lua_tolstring(L, 2, &lp);
    if (ls > kPatternSubjectLimit) {
        s->abort = kSubjectMessage;
        return false;
    }
    PatternWalk walk(s, subject, ls, pattern, lp);
    const char* end = subject + ls;
    if (use == PatternUse::Find || use == PatternUse::Match) {
        const size_t init = StartOffset(lua_isinteger(L, 3) ? lua_tointeger(L, 3) : 1, ls) - 1;
        if (init > ls) return true;
        if (use == PatternUse::Find && (lua_toboolean(L, 4) || !HasSpecials(pattern, lp))) return true;  // plain search
        const char* p = pattern;
        const bool anchor = lp > 0 && *p == '^';
        if (anchor) {
            walk = PatternWalk(s, subject, ls, pattern + 1, lp - 1);
            p++;
        }
        const char* s1 = subject + init;
        do {
            if (walk.Match(s1, p) || walk.Stopped()) break;
        } while (s1++ < end && !anchor);
    } else if (use == PatternUse::GMatch) {
        const size_t init = StartOffset(lua_isinteger(L, 3) ? lua_tointeger(L, 3) : 1, ls) - 1;
        if (init > ls) return true;
        const char* last = nullptr;
        for (const char* src = subject + init; src <= end;) {
            const char* e = walk.Match(src, pattern);
            if (walk.Stopped()) break;
            if (e && e != last) {
                src = last = e;
            } else {
                src++;
            }
        }
    } else {
        const char* p = pattern;
        const bool anchor = lp > 0 && *p == '^';
        if (anchor) {
            walk = PatternWalk(s, subject, ls, pattern + 1, lp - 1);
            p++;
        }
        lua_Integer maxN = static_cast<lua_Integer>(ls) + 1;
        if (lua_isinteger(L, 4)) maxN = lua_tointeger(L, 4);
        const char* src = subject;
        const char* last = nullptr;
        for (lua_Integer n = 0; n < maxN;) {
            const char* e = walk.Match(src, p);
            if (walk.Stopped()) break;
            if (e && e != last) {
                n++;
                src = last = e;
            } else if (src < end) {
                src++;
            } else {
                break;
            }
            if (anchor) break;
        }
    }
    if (walk.Exceeded()) {
        if (!s->abort) s->abort = kPatternMessage;
        return false;
    }
    return true;
}

template <PatternUse use>
int LuaBoundedPattern(lua_State* L) {
    if (!WalkPattern(L, use)) return luaL_error(L, "%s", SessionOf(L)->abort);
    return CallWrapped(L);
}

int LuaSetStrResult(lua_State* L) {
    Session* s = SessionOf(L);
    size_t n = 0;
    const char* text = luaL_checklstring(L, 1, &n);
    s->strResult.assign(text, n);
    return 0;
}

// load(chunk [, chunkname [, mode [, env]]]) with the mode fixed to text, so
// that no precompiled code can be loaded.
int LuaTextLoad(lua_State* L) {
    const int top = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));  // the original load
    lua_pushvalue(L, 1);
    if (top >= 2) lua_pushvalue(L, 2); else lua_pushnil(L);
    lua_pushliteral(L, "t");
    int args = 3;
    if (top >= 4) {
        lua_pushvalue(L, 4);
        ++args;
    }
    lua_call(L, args, LUA_MULTRET);
    return lua_gettop(L) - top;
}

bool OpenSandbox(lua_State* L) {
    luaL_requiref(L, LUA_GNAME, luaopen_base, 1);
    lua_pop(L, 1);
    luaL_requiref(L, LUA_STRLIBNAME, luaopen_string, 1);
    lua_pop(L, 1);
    luaL_requiref(L, LUA_TABLIBNAME, luaopen_table, 1);
    lua_pop(L, 1);
    luaL_requiref(L, LUA_MATHLIBNAME, luaopen_math, 1);
    lua_pop(L, 1);
    luaL_requiref(L, LUA_UTF8LIBNAME, luaopen_utf8, 1);
    lua_pop(L, 1);

    // os: only the clock and the calendar.
    luaopen_os(L);
    lua_newtable(L);
    for (const char* name : {"time", "date", "clock"}) {
        lua_getfield(L, -2, name);
        lua_setfield(L, -2, name);
    }
    lua_setglobal(L, "os");
    lua_pop(L, 1);

    lua_pushnil(L);
    lua_setglobal(L, "dofile");
    lua_pushnil(L);
    lua_setglobal(L, "loadfile");
    lua_getglobal(L, "load");
    lua_pushcclosure(L, LuaTextLoad, 1);
    lua_setglobal(L, "load");
    for (const char* name : {"pcall", "xpcall"}) {
        lua_getglobal(L, name);
        lua_pushcclosure(L, LuaGuardedPcall, 1);
        lua_setglobal(L, name);
    }
    lua_pushcfunction(L, LuaSetStrResult);
    lua_setglobal(L, "SetStrResult");
    lua_getglobal(L, "setmetatable");
    lua_pushcclosure(L, LuaSetMetatable, 1);
    lua_setglobal(L, "setmetatable");
    lua_pushcfunction(L, LuaPrint);
    lua_setglobal(L, "print");
    // The string library's table is also the strings' method table, so
    // s:find(...) takes the bounded functions as well.
    lua_getglobal(L, "string");
    const std::pair<const char*, lua_CFunction> bounded[] = {
        {"find", LuaBoundedPattern<PatternUse::Find>},
        {"match", LuaBoundedPattern<PatternUse::Match>},
        {"gmatch", LuaBoundedPattern<PatternUse::GMatch>},
        {"gsub", LuaBoundedPattern<PatternUse::GSub>},
    };
    for (const auto& [name, function] : bounded) {
        lua_getfield(L, -1, name);
        lua_pushcclosure(L, function, 1);
        lua_setfield(L, -2, name);
    }
    lua_pop(L, 1);
    return true;
}

bool Open(Session& s) {
    s.Close();
    s.memoryExceeded = false;
    s.spent = Clock::duration{};
    s.L = lua_newstate(LimitedAlloc, &s);
    if (!s.L) return false;
    lua_sethook(s.L, CountHook, LUA_MASKCOUNT, kHookStep);
    // The libraries are opened under protection: a memory failure here leaves
    // no half-made session.
    lua_pushcfunction(s.L, [](lua_State* L) -> int {
        OpenSandbox(L);
        return 0;
    });
    if (lua_pcall(s.L, 0, 0, 0) != LUA_OK) {
        s.Close();
        return false;
    }
    return true;
}

// ---- errors ------------------------------------------------------------------------

void ClearError(Session& s) {
    s.error.clear();
    s.errorLine = -1;
}

// The line of a message "chunk:LINE: text" (Lua's own position prefix).
int LineOf(const std::string& message) {
    for (size_t p = message.find(':'); p != std::string::npos; p = message.find(':', p + 1)) {
        size_t q = p + 1;
        while (q < message.size() && message[q] >= '0' && message[q] <= '9') ++q;
        if (q > p + 1 && q < message.size() && message[q] == ':') return std::atoi(message.c_str() + p + 1);
    }
    return -1;
}

void SetError(Session& s, const std::string& text, int line) {
    s.error = text;
    s.errorLine = line;
}

// Takes the error of a failed protected call from the stack.
void TakeError(Session& s, int status) {
    std::string text;
    if (s.abort) {
        text = "Makro '" + s.callName + "' abgebrochen: " + s.abort;
    } else if (status == LUA_ERRMEM || s.memoryExceeded) {
        text = "Makro '" + s.callName + "' abgebrochen: " + kMemoryMessage;
    } else if (const char* m = lua_tostring(s.L, -1)) {
        text = "Makro '" + s.callName + "': " + m;
    } else {
        text = "Makro '" + s.callName + "': Makrofehler";
    }
    lua_pop(s.L, 1);
    SetError(s, text, s.abort || status == LUA_ERRMEM ? -1 : LineOf(text));
    // Whatever the macro left behind is collected now, so that the next call
    // starts below the limit again.
    lua_gc(s.L, LUA_GCCOLLECT);
}

// Starts a call under the session's limits and its watch; EndCall ends it.
void BeginCall(Session& s, const std::string& name) {
    ClearError(s);
    s.steps = 0;
    s.memoryExceeded = false;
    s.abort = nullptr;
    s.callName = name;
    s.timedOut = false;
    const Clock::time_point now = Clock::now();
    const Clock::duration left = std::chrono::seconds(kSessionSeconds) - s.spent;
    s.deadline = now + std::min<Clock::duration>(std::chrono::seconds(kCallSeconds), std::max(left, Clock::duration{}));
    lua_sethook(s.L, CountHook, LUA_MASKCOUNT, kHookStep);
    WatchCall(&s);
}

void EndCall(Session& s, Clock::time_point began) {
    UnwatchCall();
    s.spent += Clock::now() - began;
    if (s.L) lua_sethook(s.L, CountHook, LUA_MASKCOUNT, kHookStep);
}

// The session's time is used up: the call is refused at once.
bool RefuseSpent(Session& s, const std::string& name) {
    if (s.spent < std::chrono::seconds(kSessionSeconds)) return false;
    SetError(s, "Makro '" + name + "' nicht ausgeführt: " + kSessionTimeMessage, -1);
    return true;
}

// Compiles and runs a chunk of text in the session.
// name: how reports name the chunk (the file's name, or the position's macro text).
int RunChunk(Session& s, const std::string& text, const std::string& chunkName, const std::string& shownName) {
    ClearError(s);
    if (RefuseSpent(s, shownName)) return 0;
    const Clock::time_point began = Clock::now();
    BeginCall(s, shownName);
    size_t skip = 0;
    if (text.size() >= 3 && std::memcmp(text.data(), "\xEF\xBB\xBF", 3) == 0) skip = 3;  // byte-order mark
    const std::string name = "=" + chunkName;
    int status = luaL_loadbufferx(s.L, text.data() + skip, text.size() - skip, name.c_str(), "t");
    if (status == LUA_OK) status = lua_pcall(s.L, 0, 0, 0);
    if (status != LUA_OK) TakeError(s, status);
    EndCall(s, began);
    return status == LUA_OK ? 1 : 0;
}

std::string BaseName(const std::string& path) {
    const size_t p = path.find_last_of("/\\");
    return p == std::string::npos ? path : path.substr(p + 1);
}

// ---- the command parser ------------------------------------------------------------

using Argument = std::variant<double, std::string>;

struct Call {
    std::string name;
    std::vector<Argument> args;
};

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// "Name(arg, ...)" with number and text arguments; nothing else is taken.
std::optional<Call> ParseCall(const std::string& command, std::string& problem) {
    Call call;
    size_t p = 0;
    const size_t n = command.size();
    auto skip = [&] {
        while (p < n && IsBlank(command[p])) ++p;
    };
    skip();
    if (p >= n || !IsNameStart(command[p])) {
        problem = "Makroaufruf ohne Funktionsnamen: " + command;
        return std::nullopt;
    }
    while (p < n && IsNameChar(command[p])) call.name += command[p++];
    skip();
    if (p >= n) return call;  // a bare name calls without arguments
    if (command[p] != '(') {
        problem = "Makroaufruf nicht lesbar: " + command;
        return std::nullopt;
    }
    ++p;
    skip();
    if (p < n && command[p] == ')') {
        ++p;
    } else {
        for (;;) {
            skip();
            if (p >= n) break;
            if (command[p] == '"') {
                std::string text;
                ++p;
                bool closed = false;
                while (p < n) {
                    if (command[p] == '"') {
                        if (p + 1 < n && command[p + 1] == '"') {
                            text += '"';
                            p += 2;
                            continue;
                        }
                        ++p;
                        closed = true;
                        break;
                    }
                    text += command[p++];
                }
                if (!closed) break;
                call.args.emplace_back(std::move(text));
            } else {
                size_t q = p;
                if (q < n && (command[q] == '+' || command[q] == '-')) ++q;
                const bool negative = command[p] == '-';
                double v = 0;
                auto [end, ec] = std::from_chars(command.data() + q, command.data() + n, v);
                if (ec != std::errc() || end == command.data() + q) break;
                call.args.emplace_back(negative ? -v : v);
                p = static_cast<size_t>(end - command.data());
            }
            skip();
            if (p < n && command[p] == ',') {
                ++p;
                continue;
            }
            if (p < n && command[p] == ')') {
                ++p;
                skip();
                if (p == n) return call;
            }
            break;
        }
        problem = "Makroaufruf nicht lesbar (nur Zahlen und Texte in Anführungszeichen): " + command;
        return std::nullopt;
    }
    skip();
    if (p != n) {
        problem = "Makroaufruf nicht lesbar: " + command;
        return std::nullopt;
    }
    return call;
}

double RunCall(Session& s, const Call& call) {
    ClearError(s);
    s.strResult.clear();
    lua_State* L = s.L;
    const int base = lua_gettop(L);
    if (lua_getglobal(L, call.name.c_str()) != LUA_TFUNCTION) {
        lua_settop(L, base);
        SetError(s, "Unbekannte Makrofunktion '" + call.name + "'", -1);
        return 0;
    }
    if (!lua_checkstack(L, static_cast<int>(call.args.size()) + 1)) {
        lua_settop(L, base);
        SetError(s, "Zu viele Argumente für '" + call.name + "'", -1);
        return 0;
    }
    if (RefuseSpent(s, call.name)) {
        lua_settop(L, base);
        return 0;
    }
    for (const Argument& a : call.args) {
        if (const double* d = std::get_if<double>(&a))
            lua_pushnumber(L, *d);
        else
            lua_pushlstring(L, std::get<std::string>(a).data(), std::get<std::string>(a).size());
    }
    const Clock::time_point began = Clock::now();
    BeginCall(s, call.name);
    const int status = lua_pcall(L, static_cast<int>(call.args.size()), LUA_MULTRET, 0);
    if (status != LUA_OK) {
        TakeError(s, status);
        EndCall(s, began);
        lua_settop(L, base);
        return 0;
    }
    EndCall(s, began);
    double result = 0;
    bool haveNumber = false, haveText = false;
    for (int i = base + 1; i <= lua_gettop(L); ++i) {
        const int t = lua_type(L, i);
        if (t == LUA_TNUMBER && !haveNumber) {
            result = lua_tonumber(L, i);
            haveNumber = true;
        } else if (t == LUA_TSTRING && !haveText) {
            size_t len = 0;
            const char* text = lua_tolstring(L, i, &len);
            s.strResult.assign(text, len);
            haveText = true;
        }
    }
    lua_settop(L, base);
    return result;
}

}  // namespace

// ---- the calls ---------------------------------------------------------------------------

int ZOZUDEDA_StartSession() {
    auto s = std::make_unique<Session>();
    if (!Open(*s)) return 0;
    std::lock_guard<std::mutex> lock(g_mutex);
    const int handle = g_nextHandle++;
    Sessions()[handle] = std::move(s);
    return handle;
}

void ZOZUDEDA_EndSession(int session) {
    std::unique_ptr<Session> gone;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Sessions().find(session);
    if (it == Sessions().end()) return;
    gone = std::move(it->second);
    Sessions().erase(it);
}

void ZOZUDEDA_ClearSession(int session) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    if (!s) return;
    ClearError(*s);
    s->strResult.clear();
    if (!Open(*s)) SetError(*s, "Makrositzung konnte nicht neu gestartet werden", -1);
}

int ZOZUDEDA_LoadMacroFile(int session, const std::string& file) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    if (!s || !s->L) return 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        ClearError(*s);  // a missing macro file is an empty one
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return RunChunk(*s, text, BaseName(file), BaseName(file));
}

int ZOZUDEDA_AddMacro(int session, const std::string& text) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    if (!s || !s->L) return 0;
    return RunChunk(*s, text, "Makro", "Makrotext der Position");
}

double ZOZUDEDA_Execute(int session, const std::string& command) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    if (!s || !s->L) return 0;
    ClearError(*s);
    s->strResult.clear();
    bool empty = true;
    for (char c : command) empty = empty && IsBlank(c);
    if (empty) return 0;
    std::string problem;
    const std::optional<Call> call = ParseCall(command, problem);
    if (!call) {
        SetError(*s, problem, -1);
        return 0;
    }
    return RunCall(*s, *call);
}

std::string ZOZUDEDA_GetStrResult(int session) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    return s ? s->strResult : std::string();
}

std::string ZOZUDEDA_GetLastError(int session, int* line, int* column) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    if (line) *line = s ? s->errorLine : -1;
    if (column) *column = -1;
    if (!s) return "Ungültige Makrositzung";
    return s->error;
}

std::string ZOZUDEDA_EditMacro(int, const std::string& text, const std::string& errorText, int line, int column) {
    zozudeda::MacroEditor editor;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        editor = Editor();
    }
    return editor ? editor(text, errorText, line, column) : text;
}

zozudeda::MacroEditor ZOZUDEDA_SetMacroEditor(zozudeda::MacroEditor editor) {
    std::lock_guard<std::mutex> lock(g_mutex);
    zozudeda::MacroEditor previous = std::move(Editor());
    Editor() = std::move(editor);
    return previous;
}
