// Internal helpers of the RTF writer: text escaping and the merging of whole
// RTF documents into the report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zadevoz::detail {

// RTF text from a caller: control words, groups and escapes pass unchanged;
// UTF-8 characters outside ASCII become \uN escapes (with a Windows-1252
// fallback character), bytes that are not UTF-8 are taken as Windows-1252;
// a closing brace without its opening one is written as a literal brace and
// groups left open are closed, so that the text can never unbalance the
// document. Tabs become \tab, NUL bytes are dropped.
//
// symbolFonts names the font numbers that stand for the Symbol encoding
// (letters for Greek letters and signs, "{\f2 s}" for sigma). Text in such a
// font is written as the Unicode characters it stands for, in the font around
// it, and the font switch itself is left out: readers whose "Symbol" font has
// no glyphs at those bytes (LibreOffice on Linux) show the letters as well.
std::string EscapeRtf(std::string_view rtf, const std::vector<int>& symbolFonts = {});

// Plain text (settings, file names): backslashes and braces are escaped as
// well, so the text shows exactly as given.
std::string EscapePlain(std::string_view text);

struct Font {
    std::string name;
    int charset = 0;
    std::string family = "fnil";
};

struct Color {
    int r = 0, g = 0, b = 0;
    bool autoColor = false;  // the empty first entry
    bool operator==(const Color& o) const {
        return r == o.r && g == o.g && b == o.b && autoColor == o.autoColor;
    }
};

// The font and colour tables of the report; whole documents merged into it
// add what they use.
struct Tables {
    std::vector<Font> fonts;
    std::vector<Color> colors;  // index 0 is the automatic colour
    int FontIndex(const Font& f);
    int ColorIndex(const Color& c);
    // The numbers of the fonts in the Symbol encoding.
    std::vector<int> SymbolFonts() const;
};

// Whether a text is a whole RTF document ("{\rtf1 ...").
bool IsRtfDocument(std::string_view text);

// The body of a whole RTF document, ready to be inserted into the report as
// one group: its font and colour tables are mapped onto the report's
// (entries added as needed), its own tables, style sheet, information, page
// header and footer and document settings are left out. Returns false (and
// leaves out empty) when the text is not a readable RTF document.
bool MergeDocument(std::string_view doc, Tables& tables, std::string& out);

}  // namespace zadevoz::detail
