// Translation of user-visible texts. Without an installed catalogue every
// text is returned as it stands (the German original).
//
// Catalogue file (UTF-8, one entry a line):
//   application|section|area|text=translation
// e.g. "VKT Eingabe|velor_i_common|RegSettings|Fehler=Error". Inside the
// fields "\n" stands for a line break, "\t" for a tab, "\\" for a
// backslash, "\|" for '|' and "\=" for '='; the first '=' that is not
// escaped ends the text. Empty lines and lines starting with '#' are
// skipped; a line break "\r\n" and a byte-order mark are accepted. Damaged
// lines are reported once through the message sink and left out; the other
// lines are used.
//
// The catalogue in use at start is the file named by the environment
// variable VELOR_LINGO_CATALOGUE, when it is set; else there is none.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

#ifdef __cplusplus
#define LINGO_API extern "C" __attribute__((visibility("default")))
#else
#define LINGO_API __attribute__((visibility("default")))
#endif

// Translates a text; writes the result into buf (NUL-terminated, cut to
// bufSize at a character boundary) and returns its full length in bytes.
// A null text counts as empty; a null buf or a bufSize <= 0 writes nothing.
LINGO_API int LINGO_Translate(const char* application, const char* section, const char* area,
                              const char* text, char* buf, int bufSize);

#ifdef __cplusplus
namespace lingo {

// The translated text (or the text itself).
__attribute__((visibility("default"))) std::string Translate(const std::string& application,
                                                             const std::string& section,
                                                             const std::string& area,
                                                             const std::string& text);

// Loads a catalogue file (format above). Replaces the catalogue in use.
// false when the file cannot be read; the catalogue in use then stays. An
// empty path unloads.
__attribute__((visibility("default"))) bool LoadCatalogue(const std::string& path);

namespace detail {

// One argument of FormatTranslated, with its kind as the caller passed it.
enum class ArgKind { Int, UInt, Long, ULong, LongLong, ULongLong, Double, LongDouble, String, Pointer };
struct Arg {
    ArgKind kind;
    long long i = 0;
    unsigned long long u = 0;
    long double d = 0;
    const void* p = nullptr;
};

template <class T>
Arg MakeArg(const T& v) {
    using D = std::decay_t<T>;
    Arg a{ArgKind::Int};
    if constexpr (std::is_same_v<D, std::string>) {
        a.kind = ArgKind::String;
        a.p = v.c_str();
    } else if constexpr (std::is_same_v<D, char*> || std::is_same_v<D, const char*>) {
        a.kind = ArgKind::String;
        a.p = v;
    } else if constexpr (std::is_pointer_v<D> || std::is_null_pointer_v<D>) {
        a.kind = ArgKind::Pointer;
        a.p = static_cast<const void*>(v);
    } else if constexpr (std::is_floating_point_v<D>) {
        a.kind = std::is_same_v<D, long double> ? ArgKind::LongDouble : ArgKind::Double;
        a.d = v;
    } else if constexpr (std::is_enum_v<D>) {
        a.kind = ArgKind::Int;
        a.i = static_cast<long long>(v);
    } else {
        static_assert(std::is_integral_v<D>, "FormatTranslated takes numbers, texts and pointers");
        if constexpr (sizeof(D) <= sizeof(int)) {
            // Promoted as printf's arguments are: to int, or unsigned int.
            if constexpr (std::is_unsigned_v<D> && sizeof(D) == sizeof(int)) {
                a.kind = ArgKind::UInt;
                a.u = v;
            } else {
                a.kind = ArgKind::Int;
                a.i = v;
            }
        } else if constexpr (std::is_same_v<D, long> || std::is_same_v<D, unsigned long>) {
            a.kind = std::is_unsigned_v<D> ? ArgKind::ULong : ArgKind::Long;
            if constexpr (std::is_unsigned_v<D>) a.u = v; else a.i = v;
        } else {
            a.kind = std::is_unsigned_v<D> ? ArgKind::ULongLong : ArgKind::LongLong;
            if constexpr (std::is_unsigned_v<D>) a.u = v; else a.i = v;
        }
    }
    return a;
}

__attribute__((visibility("default"))) std::string FormatArgs(const std::string& original,
                                                              const std::string& translated,
                                                              const Arg* args, std::size_t count);

}  // namespace detail

// Fills a printf format after translation, in the "C" locale. When the
// translation changed the conversion specifiers (count, order or kind), the
// original format is used instead so that the arguments always match what
// the format expects. Each argument is formatted as the type it has: an
// integer given to "%ld" (a 32-bit value in stored formats) or to "%d" is
// printed with its own width; a conversion that does not fit its argument
// (a number for "%s", a missing argument) is left in the text as it stands,
// never read from memory that is not there. Texts may be given as
// std::string or const char* (a null pointer prints "(null)").
template <class... Args>
std::string FormatTranslated(const std::string& original, const std::string& translated, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return detail::FormatArgs(original, translated, nullptr, 0);
    } else {
        const detail::Arg list[] = {detail::MakeArg(args)...};
        return detail::FormatArgs(original, translated, list, sizeof...(Args));
    }
}

}  // namespace lingo
#endif
