// Text codecs of the document library: XML names, numbers, base64.
#include "platform/zevud/internal.h"

#include "platform/winsys/winsys.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace zevud::impl {

// ---- UTF-8 -------------------------------------------------------------------
namespace {

// Decodes one code point at s[i]; returns its byte length, 0 for a byte that
// does not start a well-formed sequence (overlong forms and surrogates too).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, uint32_t& cp) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    std::size_t len;
    uint32_t min;
    if ((c & 0xE0) == 0xC0) {
        len = 2; cp = c & 0x1F; min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3; cp = c & 0x0F; min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4; cp = c & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char d = byte(i + k);
        if ((d & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// XML 1.0 name characters; ':' is left out on purpose (namespace prefix).
bool IsNameStart(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(uint32_t c) {
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendEscape(std::string& out, uint32_t cp) {
    static const char digits[] = "0123456789ABCDEF";
    char hex[8];
    int n = 0;
    do {
        hex[n++] = digits[cp & 0xF];
        cp >>= 4;
    } while (cp);
    while (n < 4) hex[n++] = '0';
    out += "_x";
    while (n) out += hex[--n];
    out += '_';
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
    uint32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {  // plain ASCII, the usual text
            ++i;
            continue;
        }
        std::size_t len = DecodeUtf8(s, i, cp);
        if (!len) return false;
        i += len;
    }
    return true;
}

std::optional<std::string> EncodeName(std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        uint32_t cp;
        std::size_t len = DecodeUtf8(name, i, cp);
        if (!len) return std::nullopt;
        bool ok = i == 0 ? IsNameStart(cp) : IsNameChar(cp);
        // A literal "_x" would read as the start of an escape.
        if (cp == '_' && i + 1 < name.size() && name[i + 1] == 'x') ok = false;
        if (ok)
            out.append(name.substr(i, len));
        else
            AppendEscape(out, cp);
        i += len;
    }
    return out;
}

std::string DecodeName(std::string_view x) {
    std::string out;
    out.reserve(x.size());
    for (std::size_t i = 0; i < x.size();) {
        if (x[i] == '_' && i + 1 < x.size() && x[i + 1] == 'x') {
            std::size_t k = i + 2;
            uint32_t cp = 0;
            int digits = 0;
            while (k < x.size() && digits < 6 && HexValue(x[k]) >= 0) {
                cp = cp * 16 + static_cast<uint32_t>(HexValue(x[k]));
                ++k;
                ++digits;
            }
            if (digits > 0 && k < x.size() && x[k] == '_' && cp != 0 && cp <= 0x10FFFF &&
                !(cp >= 0xD800 && cp <= 0xDFFF)) {
                winsys::AppendUtf8(out, cp);
                i = k + 1;
                continue;
            }
        }
        out += x[i++];
    }
    return out;
}

std::string MakeValidName(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    bool first = true;
    for (std::size_t i = 0; i < text.size();) {
        uint32_t cp;
        std::size_t len = DecodeUtf8(text, i, cp);
        if (!len) {
            out += '_';
            ++i;
            first = false;
            continue;
        }
        if (first && !IsNameStart(cp)) {
            out += '_';
            if (IsNameChar(cp)) out.append(text.substr(i, len));
        } else if (IsNameChar(cp)) {
            out.append(text.substr(i, len));
        } else {
            out += '_';
        }
        first = false;
        i += len;
    }
    if (out.empty()) out = "_";
    return out;
}

// ---- numbers -------------------------------------------------------------------
std::string FormatDouble(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string FormatInt(int64_t v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

namespace {

// Position of the number in s: blanks skipped, a '+' dropped (from_chars
// takes only '-').
std::string_view NumberStart(std::string_view s, bool& plus) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    plus = false;
    if (i < s.size() && s[i] == '+') {
        plus = true;
        ++i;
        if (i < s.size() && s[i] == '-') return {};  // "+-1" is no number
    }
    return s.substr(i);
}

// Out-of-range texts ("1e999", "1e-999"): the C library's reading in the
// "C" locale gives the right infinity or zero.
double ReadOutOfRange(std::string_view num) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    std::string copy(num);
    return strtod_l(copy.c_str(), nullptr, cLocale);
}

}  // namespace

std::optional<double> ParseDouble(std::string_view s) {
    bool plus;
    std::string_view t = NumberStart(s, plus);
    if (t.empty()) return std::nullopt;
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        return ReadOutOfRange(t.substr(0, static_cast<std::size_t>(r.ptr - t.data())));
    if (r.ec != std::errc()) return std::nullopt;
    return v;
}

std::optional<int64_t> ParseInt64(std::string_view s) {
    bool plus;
    std::string_view t = NumberStart(s, plus);
    if (t.empty()) return std::nullopt;
    const char* b = t.data();
    const char* e = t.data() + t.size();
    int64_t iv = 0;
    auto ri = std::from_chars(b, e, iv);
    double dv = 0;
    auto rd = std::from_chars(b, e, dv);
    if (rd.ec == std::errc::result_out_of_range)
        dv = ReadOutOfRange(t.substr(0, static_cast<std::size_t>(rd.ptr - b)));
    else if (rd.ec != std::errc())
        return ri.ec == std::errc() ? std::optional<int64_t>(iv) : std::nullopt;
    // An integer text that is the whole number: exact, also beyond 2^53.
    if (ri.ec == std::errc() && ri.ptr == rd.ptr) return iv;
    if (std::isnan(dv)) return std::nullopt;
    if (dv >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (dv <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(dv);  // truncates towards zero
}

int32_t ClampToInt32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// ---- base64 --------------------------------------------------------------------
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The class of every text byte: a symbol's value 0..63, a blank, the pad
// sign or anything else.
constexpr unsigned char kB64Blank = 64, kB64Pad = 65, kB64Bad = 255;

constexpr std::array<unsigned char, 256> MakeB64Classes() {
    std::array<unsigned char, 256> t{};
    for (auto& v : t) v = kB64Bad;
    for (unsigned char i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = i;
    t[' '] = t['\t'] = t['\n'] = t['\r'] = kB64Blank;
    t['='] = kB64Pad;
    return t;
}
constexpr std::array<unsigned char, 256> kB64Classes = MakeB64Classes();

// Walks a base64 text; calls put(byte) for every decoded byte. Returns the
// decoded length, nullopt when the text is not base64 (a foreign sign, data
// after the padding, a dangling symbol, too much or misplaced padding).
// Whole groups of four symbols, the form every stored binary value has, go
// three bytes at a time; blanks and the end go sign by sign.
template <class Put>
std::optional<std::size_t> Base64Walk(std::string_view s, Put put) {
    const auto* c = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t len = s.size();
    std::size_t i = 0, symbols = 0, pad = 0, n = 0;
    uint32_t acc = 0;
    int bits = 0;
    while (i < len) {
        if (bits == 0 && pad == 0) {
            while (i + 4 <= len) {
                const uint32_t a = kB64Classes[c[i]], b = kB64Classes[c[i + 1]], d = kB64Classes[c[i + 2]],
                               e = kB64Classes[c[i + 3]];
                if ((a | b | d | e) >= 64) break;
                const uint32_t v = (a << 18) | (b << 12) | (d << 6) | e;
                put(static_cast<unsigned char>(v >> 16));
                put(static_cast<unsigned char>((v >> 8) & 0xFF));
                put(static_cast<unsigned char>(v & 0xFF));
                n += 3;
                symbols += 4;
                i += 4;
            }
            if (i >= len) break;
        }
        const unsigned char t = kB64Classes[c[i++]];
        if (t == kB64Blank) continue;
        if (t == kB64Pad) {
            ++pad;
            continue;
        }
        if (pad || t == kB64Bad) return std::nullopt;  // data after padding, or no base64 sign
        ++symbols;
        acc = (acc << 6) | t;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            put(static_cast<unsigned char>((acc >> bits) & 0xFF));
            ++n;
        }
    }
    std::size_t rest = symbols % 4;
    if (rest == 1) return std::nullopt;
    if (pad && (symbols + pad) % 4 != 0) return std::nullopt;
    if (pad > 2) return std::nullopt;
    return n;
}

}  // namespace

std::string Base64Encode(const unsigned char* d, std::size_t n) {
    std::string out((n + 2) / 3 * 4, '=');
    char* w = out.data();
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t v = (uint32_t(d[i]) << 16) | (uint32_t(d[i + 1]) << 8) | d[i + 2];
        w[0] = kAlphabet[(v >> 18) & 63];
        w[1] = kAlphabet[(v >> 12) & 63];
        w[2] = kAlphabet[(v >> 6) & 63];
        w[3] = kAlphabet[v & 63];
        w += 4;
    }
    if (n - i >= 1) {  // one or two bytes left: two or three signs, the rest stays '='
        const uint32_t v = (uint32_t(d[i]) << 16) | (n - i == 2 ? uint32_t(d[i + 1]) << 8 : 0u);
        w[0] = kAlphabet[(v >> 18) & 63];
        w[1] = kAlphabet[(v >> 12) & 63];
        if (n - i == 2) w[2] = kAlphabet[(v >> 6) & 63];
    }
    return out;
}

std::optional<std::size_t> Base64DecodedLength(std::string_view s) {
    return Base64Walk(s, [](unsigned char) {});
}

bool Base64Decode(std::string_view s, std::vector<unsigned char>& out) {
    // One walk decodes and checks; a text that is no valid Base64 leaves
    // nothing. (Every stored binary attribute passes here, the results of a
    // crane runway's thousand kernel runs among them.)
    out.resize(s.size() / 4 * 3 + 3);
    unsigned char* w = out.data();
    const auto n = Base64Walk(s, [&](unsigned char b) { *w++ = b; });
    out.resize(n ? *n : 0);
    return n.has_value();
}


bool IsCompleteNumber(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    bool plus;
    std::string_view t = NumberStart(s, plus);
    if (t.empty()) return false;
    // from_chars reads "inf", "nan" and "infinity"; a stored number never is one.
    char c0 = t[0] == '-' ? (t.size() > 1 ? t[1] : '\0') : t[0];
    if (!((c0 >= '0' && c0 <= '9') || c0 == '.')) return false;
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ptr != t.data() + t.size()) return false;
    if (r.ec == std::errc::result_out_of_range) v = ReadOutOfRange(t);
    else if (r.ec != std::errc()) return false;
    return std::isfinite(v);
}

// ---- text encoding -------------------------------------------------------------
std::string ToUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    // Well-formed sequences stay; every byte that starts none is a
    // code-page character.
    for (std::size_t i = 0; i < s.size();) {
        uint32_t cp;
        if (std::size_t len = DecodeUtf8(s, i, cp)) {
            out.append(s.substr(i, len));
            i += len;
            continue;
        }
        auto b = static_cast<unsigned char>(s[i++]);
        winsys::AppendUtf8(out, winsys::Cp1252ToUnicode(b));
    }
    return out;
}

}  // namespace zevud::impl
