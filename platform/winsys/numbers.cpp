// Numbers and printf formats independent of the process's locale.
#include "platform/winsys/winsys.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace winsys {

namespace {

// The "C" locale, made once and never freed (it lives as long as the process).
locale_t CLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Switches the calling thread to the "C" locale for its lifetime.
class CLocaleGuard {
public:
    CLocaleGuard() {
        locale_t c = CLocale();
        previous_ = c ? uselocale(c) : static_cast<locale_t>(nullptr);
    }
    ~CLocaleGuard() {
        if (previous_) uselocale(previous_);
    }
    CLocaleGuard(const CLocaleGuard&) = delete;
    CLocaleGuard& operator=(const CLocaleGuard&) = delete;

private:
    locale_t previous_;
};

std::string VFormat(const char* fmt, va_list ap) {
    if (!fmt) return {};
    CLocaleGuard guard;
    char small[256];
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    if (n < 0) {
        va_end(ap2);
        return {};
    }
    if (static_cast<size_t>(n) < sizeof small) {
        va_end(ap2);
        return std::string(small, static_cast<size_t>(n));
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, ap2);
    va_end(ap2);
    out.resize(static_cast<size_t>(n));
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FormatDouble(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string FormatC(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string s = VFormat(fmt, ap);
    va_end(ap);
    return s;
}

std::string FormatDoubleC(const char* fmt, double v) {
    // The format must take exactly one double; anything else would read an
    // argument that is not there, so it falls back to the shortest form.
    auto convs = fmt ? ParsePrintfFormat(fmt) : std::nullopt;
    if (!convs) return FormatDouble(v);
    int doubles = 0, others = 0;
    for (const auto& c : *convs) {
        if (c.conversion == '%') continue;
        if (c.Kind() == PrintfArgKind::Double && !c.starWidth && !c.starPrecision)
            ++doubles;
        else
            ++others;
    }
    if (doubles != 1 || others != 0) return FormatDouble(v);
    return FormatC(fmt, v);
}

std::optional<double> ParseDouble(std::string_view s, size_t* consumed) {
    if (consumed) *consumed = 0;
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Only decimal numbers: digits, an optional point and exponent.
    // "inf" and "nan" are refused: they never stand for an input value.
    if (i >= s.size() || !(IsDigit(s[i]) || (s[i] == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))))
        return std::nullopt;
    double value = 0.0;
    auto r = std::from_chars(s.data() + i, s.data() + s.size(), value, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // Tell overflow from underflow with the C library's reading of the same text.
        std::string text(s.substr(i, static_cast<size_t>(r.ptr - (s.data() + i))));
        double v = strtod_l(text.c_str(), nullptr, CLocale());
        if (std::isinf(v)) return std::nullopt;
        value = v;
    }
    if (consumed) *consumed = static_cast<size_t>(r.ptr - s.data());
    return negative ? -value : value;
}

std::optional<long long> ParseInt(std::string_view s, size_t* consumed) {
    if (consumed) *consumed = 0;
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size() || !IsDigit(s[i])) return std::nullopt;
    unsigned long long mag = 0;
    auto r = std::from_chars(s.data() + i, s.data() + s.size(), mag, 10);
    if (r.ec != std::errc()) return std::nullopt;
    constexpr unsigned long long maxPos = 9223372036854775807ULL;
    long long value;
    if (negative) {
        if (mag > maxPos + 1) return std::nullopt;
        value = mag == maxPos + 1 ? (-9223372036854775807LL - 1) : -static_cast<long long>(mag);
    } else {
        if (mag > maxPos) return std::nullopt;
        value = static_cast<long long>(mag);
    }
    if (consumed) *consumed = static_cast<size_t>(r.ptr - s.data());
    return value;
}

// ----- printf formats -----------------------------------------------------

PrintfArgKind PrintfConversion::Kind() const {
    switch (conversion) {
        case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'c':
            if (length == "ll" || length == "j" || length == "q") return PrintfArgKind::LongLong;
            if (length == "l" || length == "z" || length == "t") return PrintfArgKind::Long;
            return PrintfArgKind::Int;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
            return length == "L" ? PrintfArgKind::LongDouble : PrintfArgKind::Double;
        case 's': return PrintfArgKind::String;
        case 'p': return PrintfArgKind::Pointer;
        default: return PrintfArgKind::None;
    }
}

std::optional<std::vector<PrintfConversion>> ParsePrintfFormat(std::string_view fmt) {
    std::vector<PrintfConversion> out;
    size_t i = 0;
    while (i < fmt.size()) {
        if (fmt[i] != '%') {
            ++i;
            continue;
        }
        PrintfConversion c;
        c.begin = i;
        ++i;
        if (i < fmt.size() && fmt[i] == '%') {
            c.conversion = '%';
            c.end = ++i;
            out.push_back(c);
            continue;
        }
        while (i < fmt.size() && std::string_view("-+ #0'").find(fmt[i]) != std::string_view::npos)
            c.flags += fmt[i++];
        if (i < fmt.size() && fmt[i] == '*') {
            c.starWidth = true;
            ++i;
        } else {
            while (i < fmt.size() && IsDigit(fmt[i])) ++i;
        }
        if (i < fmt.size() && fmt[i] == '$') return std::nullopt;  // numbered arguments
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            if (i < fmt.size() && fmt[i] == '*') {
                c.starPrecision = true;
                ++i;
            } else {
                while (i < fmt.size() && IsDigit(fmt[i])) ++i;
            }
        }
        size_t lenStart = i;
        while (i < fmt.size() && std::string_view("hlLqjzt").find(fmt[i]) != std::string_view::npos) ++i;
        c.length = std::string(fmt.substr(lenStart, i - lenStart));
        if (c.length.size() > 2) return std::nullopt;
        if (c.length.size() == 2 && c.length != "ll" && c.length != "hh") return std::nullopt;
        if (i >= fmt.size()) return std::nullopt;
        c.conversion = fmt[i++];
        c.end = i;
        if (c.Kind() == PrintfArgKind::None) return std::nullopt;  // %n and unknown letters
        if (c.length == "L" && c.Kind() != PrintfArgKind::LongDouble) return std::nullopt;
        if ((c.conversion == 's' || c.conversion == 'p' || c.conversion == 'c') && !c.length.empty()) return std::nullopt;
        out.push_back(c);
    }
    return out;
}

}  // namespace winsys
