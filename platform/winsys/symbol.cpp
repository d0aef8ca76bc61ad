#include <array>
#include <unordered_map>

#include "winsys.h"

namespace winsys {

namespace {

// Characters of the bytes 0x20..0xFF of the Symbol font; 0 = no glyph.
constexpr std::array<char32_t, 224> kSymbol = {
    // 0x20
    U' ', U'!', U'\u2200', U'#', U'\u2203', U'%', U'&', U'\u220B', U'(', U')', U'\u2217', U'+', U',', U'\u2212',
    U'.', U'/',
    // 0x30
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7', U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',
    // 0x40
    U'\u2245', U'\u0391', U'\u0392', U'\u03A7', U'\u0394', U'\u0395', U'\u03A6', U'\u0393', U'\u0397', U'\u0399',
    U'\u03D1', U'\u039A', U'\u039B', U'\u039C', U'\u039D', U'\u039F',
    // 0x50
    U'\u03A0', U'\u0398', U'\u03A1', U'\u03A3', U'\u03A4', U'\u03A5', U'\u03C2', U'\u03A9', U'\u039E', U'\u03A8',
    U'\u0396', U'[', U'\u2234', U']', U'\u22A5', U'_',
    // 0x60
    U'\u203E', U'\u03B1', U'\u03B2', U'\u03C7', U'\u03B4', U'\u03B5', U'\u03C6', U'\u03B3', U'\u03B7', U'\u03B9',
    U'\u03D5', U'\u03BA', U'\u03BB', U'\u03BC', U'\u03BD', U'\u03BF',
    // 0x70
    U'\u03C0', U'\u03B8', U'\u03C1', U'\u03C3', U'\u03C4', U'\u03C5', U'\u03D6', U'\u03C9', U'\u03BE', U'\u03C8',
    U'\u03B6', U'{', U'|', U'}', U'\u223C', 0,
    // 0x80 .. 0x9F: no glyphs
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    U'\u20AC', U'\u03D2', U'\u2032', U'\u2264', U'\u2044', U'\u221E', U'\u0192', U'\u2663', U'\u2666', U'\u2665',
    U'\u2660', U'\u2194', U'\u2190', U'\u2191', U'\u2192', U'\u2193',
    // 0xB0
    U'\u00B0', U'\u00B1', U'\u2033', U'\u2265', U'\u00D7', U'\u221D', U'\u2202', U'\u2022', U'\u00F7', U'\u2260',
    U'\u2261', U'\u2248', U'\u2026', U'\u23D0', U'\u23AF', U'\u21B5',
    // 0xC0
    U'\u2135', U'\u2111', U'\u211C', U'\u2118', U'\u2297', U'\u2295', U'\u2205', U'\u2229', U'\u222A', U'\u2283',
    U'\u2287', U'\u2284', U'\u2282', U'\u2286', U'\u2208', U'\u2209',
    // 0xD0
    U'\u2220', U'\u2207', U'\u00AE', U'\u00A9', U'\u2122', U'\u220F', U'\u221A', U'\u22C5', U'\u00AC', U'\u2227',
    U'\u2228', U'\u21D4', U'\u21D0', U'\u21D1', U'\u21D2', U'\u21D3',
    // 0xE0
    U'\u25CA', U'\u2329', U'\u00AE', U'\u00A9', U'\u2122', U'\u2211', U'\u239B', U'\u239C', U'\u239D', U'\u23A1',
    U'\u23A2', U'\u23A3', U'\u23A7', U'\u23A8', U'\u23A9', U'\u23AA',
    // 0xF0
    0, U'\u232A', U'\u222B', U'\u2320', U'\u23AE', U'\u2321', U'\u239E', U'\u239F', U'\u23A0', U'\u23A4',
    U'\u23A5', U'\u23A6', U'\u23AB', U'\u23AC', U'\u23AD', 0,
};

const std::unordered_map<char32_t, unsigned char>& Inverse() {
    static const std::unordered_map<char32_t, unsigned char> inv = [] {
        std::unordered_map<char32_t, unsigned char> m;
        for (int b = 0x20; b <= 0xFF; ++b) {
            char32_t c = kSymbol[static_cast<size_t>(b - 0x20)];
            if (c) m.emplace(c, static_cast<unsigned char>(b));  // the first byte of a character wins
        }
        // Other code points of the same signs.
        m.emplace(U'\u2206', 0x44);  // increment
        m.emplace(U'\u2126', 0x57);  // ohm
        m.emplace(U'\u00B5', 0x6D);  // micro
        m.emplace(U'\u27E8', 0xE1);
        m.emplace(U'\u27E9', 0xF1);
        return m;
    }();
    return inv;
}

}  // namespace

char32_t SymbolToUnicode(unsigned char byte) {
    if (byte < 0x20) return byte;
    char32_t c = kSymbol[static_cast<size_t>(byte - 0x20)];
    return c ? c : static_cast<char32_t>(byte);
}

std::optional<unsigned char> UnicodeToSymbol(char32_t c) {
    if (c < 0x20) return static_cast<unsigned char>(c);
    // Bytes the font leaves empty stand for themselves.
    if (c <= 0xFF && kSymbol[static_cast<size_t>(c - 0x20)] == 0) return static_cast<unsigned char>(c);
    auto it = Inverse().find(c);
    if (it == Inverse().end()) return std::nullopt;
    return it->second;
}

std::string SymbolToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) AppendUtf8(out, SymbolToUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::string Utf8ToSymbol(std::string_view utf8, bool* complete) {
    std::string out;
    bool all = true;
    size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        char32_t c;
        size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > utf8.size()) {
            all = false;
            out += '?';
            ++i;
            continue;
        }
        c = len == 1 ? b : (b & (0x7F >> len));
        for (size_t k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (auto s = UnicodeToSymbol(c)) {
            out += static_cast<char>(*s);
        } else {
            all = false;
            out += '?';
        }
    }
    if (complete) *complete = all;
    return out;
}

}  // namespace winsys
