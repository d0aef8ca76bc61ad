#include "platform/zozudeda/zozudeda.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace {

using zozudeda::kInstructionLimit;
using zozudeda::kMemoryLimit;

constexpr int kHookStep = 1000;  // instructions between two checks of the count

const char* const kMemoryMessage = "Makro abgebrochen: Speichergrenze von 64 MiB je Sitzung überschritten";
const char* const kInstructionMessage = "Makro abgebrochen: mehr als 100000000 Anweisungen in einem Aufruf";

struct Session {
    lua_State* L = nullptr;
    std::size_t used = 0;        // bytes held by the interpreter
    bool memoryExceeded = false;  // an allocation was refused since the call began
    const char* abort = nullptr;  // the limit that stops the current call
    long long steps = 0;          // instructions of the current call
    std::string error;
    int errorLine = -1;
    std::string strResult;

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

void CountHook(lua_State* L, lua_Debug*) {
    Session* s = SessionOf(L);
    s->steps += kHookStep;
    // Once past the limit every further check raises again, so a macro that
    // catches the error with pcall is stopped anew at once.
    if (s->steps > kInstructionLimit) {
        s->abort = kInstructionMessage;
        luaL_error(L, "%s", kInstructionMessage);
    }
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

int LuaGuardedPcall(lua_State* L) {
    const int top = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, top, LUA_MULTRET);
    return RethrowLimit(L, lua_gettop(L));
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
    return true;
}

bool Open(Session& s) {
    s.Close();
    s.memoryExceeded = false;
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
        text = s.abort;
    } else if (status == LUA_ERRMEM || s.memoryExceeded) {
        text = kMemoryMessage;
    } else if (const char* m = lua_tostring(s.L, -1)) {
        text = m;
    } else {
        text = "Makrofehler";
    }
    lua_pop(s.L, 1);
    SetError(s, text, s.abort || status == LUA_ERRMEM ? -1 : LineOf(text));
    // Whatever the macro left behind is collected now, so that the next call
    // starts below the limit again.
    lua_gc(s.L, LUA_GCCOLLECT);
}

void BeginCall(Session& s) {
    ClearError(s);
    s.steps = 0;
    s.memoryExceeded = false;
    s.abort = nullptr;
}

// Compiles and runs a chunk of text in the session.
int RunChunk(Session& s, const std::string& text, const std::string& chunkName) {
    BeginCall(s);
    size_t skip = 0;
    if (text.size() >= 3 && std::memcmp(text.data(), "\xEF\xBB\xBF", 3) == 0) skip = 3;  // byte-order mark
    const std::string name = "=" + chunkName;
    int status = luaL_loadbufferx(s.L, text.data() + skip, text.size() - skip, name.c_str(), "t");
    if (status == LUA_OK) status = lua_pcall(s.L, 0, 0, 0);
    if (status != LUA_OK) {
        TakeError(s, status);
        return 0;
    }
    return 1;
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
    BeginCall(s);
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
    for (const Argument& a : call.args) {
        if (const double* d = std::get_if<double>(&a))
            lua_pushnumber(L, *d);
        else
            lua_pushlstring(L, std::get<std::string>(a).data(), std::get<std::string>(a).size());
    }
    const int status = lua_pcall(L, static_cast<int>(call.args.size()), LUA_MULTRET, 0);
    if (status != LUA_OK) {
        TakeError(s, status);
        lua_settop(L, base);
        return 0;
    }
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
    return RunChunk(*s, text, BaseName(file));
}

int ZOZUDEDA_AddMacro(int session, const std::string& text) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Session* s = Find(session);
    if (!s || !s->L) return 0;
    return RunChunk(*s, text, "Makro");
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
