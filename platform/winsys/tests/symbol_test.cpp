// Text in the Symbol font: bytes and the characters they stand for.
#include <gtest/gtest.h>

#include "platform/winsys/winsys.h"

using namespace winsys;

TEST(SymbolText, BytesAndCharactersMapBothWays) {
    struct Pair {
        unsigned char byte;
        char32_t c;
    };
    // The font's table: Latin letters stand for the Greek ones of like sound,
    // the upper half for signs.
    const Pair pairs[] = {
        {'a', U'α'}, {'b', U'β'}, {'c', U'χ'}, {'d', U'δ'}, {'f', U'φ'}, {'j', U'ϕ'}, {'l', U'λ'},
        {'m', U'μ'}, {'p', U'π'}, {'q', U'θ'}, {'s', U'σ'}, {'t', U'τ'}, {'w', U'ω'}, {'D', U'Δ'},
        {'F', U'Φ'}, {'S', U'Σ'}, {'W', U'Ω'}, {0xC6, U'∅'}, {0xB0, U'°'}, {0xA3, U'≤'}, {0xB3, U'≥'},
        {0xB1, U'±'}, {0xB4, U'×'}, {0xA5, U'∞'}, {0xD6, U'√'}, {0xE5, U'∑'}, {0xF2, U'∫'}, {'1', U'1'},
        {'+', U'+'}, {'-', U'−'},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(SymbolToUnicode(p.byte), p.c) << int(p.byte);
        EXPECT_EQ(UnicodeToSymbol(p.c), std::optional<unsigned char>(p.byte)) << int(p.byte);
    }
    // Every byte with a glyph comes back from its character; twins give the first byte.
    for (int b = 0x20; b <= 0xFE; ++b) {
        auto back = UnicodeToSymbol(SymbolToUnicode(static_cast<unsigned char>(b)));
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(SymbolToUnicode(*back), SymbolToUnicode(static_cast<unsigned char>(b))) << b;
    }
    EXPECT_EQ(UnicodeToSymbol(U'ß'), std::nullopt);
}

TEST(SymbolText, WholeTextsKeepTheirBytes) {
    const std::string bytes = "s = a\xB0 \xA3 q";
    EXPECT_EQ(SymbolToUtf8(bytes), "σ = α° ≤ θ");
    bool complete = false;
    EXPECT_EQ(Utf8ToSymbol("σ = α° ≤ θ", &complete), bytes);
    EXPECT_TRUE(complete);
    EXPECT_EQ(Utf8ToSymbol("αß", &complete), "a?");
    EXPECT_FALSE(complete);
    EXPECT_EQ(Utf8ToSymbol("\xC3", &complete), "?");  // cut UTF-8
    EXPECT_FALSE(complete);
}
