#include "platform/richedit/rtf_format.h"

#include <array>

#include "platform/winsys/winsys.h"

namespace richedit {

namespace {

// 0x80..0x9F of code page 1252 (0 where the code page leaves a byte unused).
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        char16_t c = kCp1252High[byte - 0x80];
        return c ? c : char16_t(byte);
    }
    return char16_t(byte);
}

int UnicodeToCp1252(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return ch;
    for (size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == ch) return static_cast<int>(0x80 + i);
    return -1;
}

char16_t SymbolToUnicode(unsigned char byte) {
    char32_t c = winsys::SymbolToUnicode(byte);
    return c <= 0xFFFF ? static_cast<char16_t>(c) : char16_t(byte);
}

int UnicodeToSymbol(char16_t ch) {
    if (auto b = winsys::UnicodeToSymbol(ch)) return *b;
    if (ch < 0x100) return ch;  // a plain character typed into a Symbol run
    return -1;
}

bool IsSymbolFont(const QString& name) {
    return name.trimmed().compare(QStringLiteral("Symbol"), Qt::CaseInsensitive) == 0;
}

}  // namespace richedit
