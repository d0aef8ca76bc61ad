#include "platform/richedit/rtf_format.h"

#include "platform/winsys/winsys.h"

namespace richedit {

char16_t Cp1252ToUnicode(unsigned char byte) { return static_cast<char16_t>(winsys::Cp1252ToUnicode(byte)); }

int UnicodeToCp1252(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return ch;
    // The free bytes of 0x80..0x9F keep their own code point and take no character.
    for (int b = 0x80; b < 0xA0; ++b) {
        const char32_t c = winsys::Cp1252ToUnicode(static_cast<unsigned char>(b));
        if (c != static_cast<char32_t>(b) && c == ch) return b;
    }
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

QStringList DisplayFamilies(const QString& name) {
    if (IsSymbolFont(name)) return {name, QStringLiteral("DejaVu Sans")};
    return {name};
}

}  // namespace richedit
