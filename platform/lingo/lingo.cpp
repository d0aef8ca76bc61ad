// Translation catalogue and the formatting of translated printf formats.
#include "platform/lingo/lingo.h"

#include "platform/winsys/winsys.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <tuple>

namespace lingo {

namespace {

using CatalogueKey = std::tuple<std::string, std::string, std::string, std::string>;
using Catalogue = std::map<CatalogueKey, std::string>;

std::shared_mutex g_mutex;
Catalogue g_catalogue;
bool g_initialised = false;  // the environment's catalogue has been looked at

// Splits a catalogue line into its four key fields and the translation;
// false for a damaged line.
bool ParseLine(std::string_view line, CatalogueKey& key, std::string& translation) {
    std::string fields[4];
    int field = 0;
    bool inTranslation = false;
    std::string* cur = &fields[0];
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\') {
            if (++i >= line.size()) return false;
            switch (line[i]) {
                case 'n': *cur += '\n'; break;
                case 't': *cur += '\t'; break;
                case '\\': *cur += '\\'; break;
                case '|': *cur += '|'; break;
                case '=': *cur += '='; break;
                default: return false;
            }
        } else if (!inTranslation && c == '|') {
            if (++field > 3) return false;
            cur = &fields[field];
        } else if (!inTranslation && c == '=') {
            if (field != 3) return false;
            inTranslation = true;
            cur = &translation;
        } else {
            *cur += c;
        }
    }
    if (!inTranslation) return false;
    key = CatalogueKey(fields[0], fields[1], fields[2], fields[3]);
    return true;
}

bool LoadLocked(const std::string& path, std::string& complaint) {
    if (path.empty()) {
        g_catalogue.clear();
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    std::string text = ss.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    Catalogue cat;
    int lineNo = 0, bad = 0, firstBad = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        CatalogueKey key;
        std::string translation;
        if (!ParseLine(line, key, translation)) {
            if (bad++ == 0) firstBad = lineNo;
            continue;
        }
        cat[key] = translation;
    }
    g_catalogue = std::move(cat);
    if (bad)
        complaint = "Die Übersetzungsdatei '" + path + "' enthält " + std::to_string(bad) +
                    " fehlerhafte Zeile(n), zuerst Zeile " + std::to_string(firstBad) +
                    "; diese Zeilen werden nicht übersetzt.";
    return true;
}

void EnsureInitialised() {
    {
        std::shared_lock<std::shared_mutex> lock(g_mutex);
        if (g_initialised) return;
    }
    std::string complaint;
    {
        std::unique_lock<std::shared_mutex> lock(g_mutex);
        if (g_initialised) return;
        g_initialised = true;
        if (auto env = winsys::GetEnv("VELOR_LINGO_CATALOGUE"); env && !env->empty()) {
            if (!LoadLocked(*env, complaint))
                complaint = "Die Übersetzungsdatei '" + *env + "' kann nicht gelesen werden.";
        }
    }
    if (!complaint.empty()) winsys::MessageBox(complaint, "Übersetzung", winsys::Buttons::Ok, winsys::Icon::Warning);
}

// ----- formatting -----------------------------------------------------------

enum class Group { Integer, Floating, String, Pointer };

Group GroupOf(winsys::PrintfArgKind k) {
    switch (k) {
        case winsys::PrintfArgKind::Double:
        case winsys::PrintfArgKind::LongDouble: return Group::Floating;
        case winsys::PrintfArgKind::String: return Group::String;
        case winsys::PrintfArgKind::Pointer: return Group::Pointer;
        default: return Group::Integer;
    }
}

// What the arguments of a format must be, in order: star widths and
// precisions are integers of their own.
// "%c" prints a character and "%d" a number: both take an int but are not
// interchangeable, so a character has a class of its own.
std::vector<int> Signature(const std::vector<winsys::PrintfConversion>& convs) {
    constexpr int kCharacter = 100;
    std::vector<int> sig;
    for (const auto& c : convs) {
        if (c.conversion == '%') continue;
        if (c.starWidth) sig.push_back(static_cast<int>(Group::Integer));
        if (c.starPrecision) sig.push_back(static_cast<int>(Group::Integer));
        sig.push_back(c.conversion == 'c' ? kCharacter : static_cast<int>(GroupOf(c.Kind())));
    }
    return sig;
}

bool IsIntegerArg(detail::ArgKind k) {
    using K = detail::ArgKind;
    return k == K::Int || k == K::UInt || k == K::Long || k == K::ULong || k == K::LongLong || k == K::ULongLong;
}

long long IntValue(const detail::Arg& a) {
    using K = detail::ArgKind;
    return (a.kind == K::UInt || a.kind == K::ULong || a.kind == K::ULongLong) ? static_cast<long long>(a.u) : a.i;
}

// snprintf of one conversion with one value, in the "C" locale.
template <class... V>
std::string One(const std::string& spec, V... v) {
    return winsys::FormatC(spec.c_str(), v...);
}

}  // namespace

std::string Translate(const std::string& application, const std::string& section, const std::string& area,
                      const std::string& text) {
    EnsureInitialised();
    std::shared_lock<std::shared_mutex> lock(g_mutex);
    if (g_catalogue.empty()) return text;
    auto it = g_catalogue.find(CatalogueKey(application, section, area, text));
    return it == g_catalogue.end() ? text : it->second;
}

bool LoadCatalogue(const std::string& path) {
    std::string complaint;
    bool ok;
    {
        std::unique_lock<std::shared_mutex> lock(g_mutex);
        g_initialised = true;
        ok = LoadLocked(path, complaint);
    }
    if (!complaint.empty()) winsys::MessageBox(complaint, "Übersetzung", winsys::Buttons::Ok, winsys::Icon::Warning);
    return ok;
}

namespace detail {

std::string FormatArgs(const std::string& original, const std::string& translated, const Arg* args,
                       std::size_t count) {
    auto origConvs = winsys::ParsePrintfFormat(original);
    if (!origConvs) return original;  // a malformed format is shown as it stands
    const std::string* fmt = &original;
    const std::vector<winsys::PrintfConversion>* convs = &*origConvs;
    auto trConvs = winsys::ParsePrintfFormat(translated);
    if (trConvs && Signature(*trConvs) == Signature(*origConvs)) {
        fmt = &translated;
        convs = &*trConvs;
    }

    std::string out;
    size_t pos = 0, next = 0;
    for (const auto& c : *convs) {
        out.append(*fmt, pos, c.begin - pos);
        pos = c.end;
        const std::string text = fmt->substr(c.begin, c.end - c.begin);
        if (c.conversion == '%') {
            out += '%';
            continue;
        }
        // Gather the arguments this conversion takes; leave it as it stands
        // when they are missing or of the wrong kind.
        const size_t needed = 1 + (c.starWidth ? 1 : 0) + (c.starPrecision ? 1 : 0);
        if (next + needed > count) {
            out += text;
            next = count;
            continue;
        }
        const Arg* a = args + next;
        next += needed;
        bool fits = true;
        for (size_t k = 0; k + 1 < needed; ++k) fits = fits && IsIntegerArg(a[k].kind);
        const Arg& v = a[needed - 1];
        const auto kind = c.Kind();
        switch (GroupOf(kind)) {
            case Group::Integer: fits = fits && IsIntegerArg(v.kind); break;
            case Group::Floating: fits = fits && (v.kind == ArgKind::Double || v.kind == ArgKind::LongDouble); break;
            case Group::String: fits = fits && v.kind == ArgKind::String; break;
            case Group::Pointer: fits = fits && (v.kind == ArgKind::Pointer || v.kind == ArgKind::String); break;
        }
        if (!fits) {
            out += text;
            continue;
        }
        // The conversion without its length modifier; the argument's own
        // type decides it.
        std::string spec = "%" + c.flags;
        {
            size_t i = c.begin + 1 + c.flags.size();
            size_t lenAt = c.end - 1 - c.length.size();
            spec += fmt->substr(i, lenAt - i);  // width and precision as written
        }
        const int w = c.starWidth ? static_cast<int>(IntValue(a[0])) : 0;
        const int p = c.starPrecision ? static_cast<int>(IntValue(a[c.starWidth ? 1 : 0])) : 0;
        auto emit = [&](const std::string& s, auto value) {
            if (c.starWidth && c.starPrecision)
                out += One(s, w, p, value);
            else if (c.starWidth)
                out += One(s, w, value);
            else if (c.starPrecision)
                out += One(s, p, value);
            else
                out += One(s, value);
        };
        const char conv = c.conversion;
        switch (GroupOf(kind)) {
            case Group::Integer: {
                if (conv == 'c') {
                    emit(spec + "c", static_cast<int>(IntValue(v)));
                } else if (c.length == "hh" || c.length == "h") {
                    emit(spec + c.length + conv, static_cast<int>(IntValue(v)));
                } else if (v.kind == ArgKind::Int) {
                    emit(spec + conv, static_cast<int>(v.i));
                } else if (v.kind == ArgKind::UInt) {
                    emit(spec + conv, static_cast<unsigned>(v.u));
                } else if (v.kind == ArgKind::Long || v.kind == ArgKind::LongLong) {
                    emit(spec + "ll" + conv, v.i);
                } else {
                    emit(spec + "ll" + conv, v.u);
                }
                break;
            }
            case Group::Floating:
                if (v.kind == ArgKind::LongDouble)
                    emit(spec + "L" + conv, v.d);
                else
                    emit(spec + conv, static_cast<double>(v.d));
                break;
            case Group::String:
                emit(spec + "s", v.p ? static_cast<const char*>(v.p) : "(null)");
                break;
            case Group::Pointer:
                emit(spec + "p", v.p);
                break;
        }
    }
    out.append(*fmt, pos, std::string::npos);
    return out;
}

}  // namespace detail
}  // namespace lingo

int LINGO_Translate(const char* application, const char* section, const char* area, const char* text, char* buf,
                    int bufSize) {
    auto s = [](const char* p) { return p ? std::string(p) : std::string(); };
    const std::string result = lingo::Translate(s(application), s(section), s(area), s(text));
    if (buf && bufSize > 0) {
        size_t n = result.size();
        if (n > static_cast<size_t>(bufSize - 1)) {
            n = static_cast<size_t>(bufSize - 1);
            // Never cut a UTF-8 character in two: step back over continuation bytes.
            while (n > 0 && (static_cast<unsigned char>(result[n]) & 0xC0) == 0x80) --n;
        }
        std::memcpy(buf, result.data(), n);
        buf[n] = '\0';
    }
    return static_cast<int>(result.size());
}
