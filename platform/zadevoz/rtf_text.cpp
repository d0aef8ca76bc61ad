#include "platform/zadevoz/rtf_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <unordered_set>

#include "platform/winsys/winsys.h"

namespace zadevoz::detail {
namespace {

// Windows-1252 bytes 0x80..0x9F as Unicode (0 where the code page has none).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t Cp1252ToUnicode(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80]) return kCp1252High[c - 0x80];
    return c;
}

// The Windows-1252 byte of a character, 0 when it has none.
unsigned char UnicodeToCp1252(uint32_t cp) {
    if (cp >= 0xA0 && cp <= 0xFF) return static_cast<unsigned char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp && cp) return static_cast<unsigned char>(0x80 + i);
    return 0;
}

void AppendHex(std::string& out, unsigned char b) {
    static const char* hex = "0123456789abcdef";
    out += "\\'";
    out += hex[b >> 4];
    out += hex[b & 15];
}

void AppendUnit(std::string& out, uint32_t unit, unsigned char fallback) {
    int v = unit > 32767 ? static_cast<int>(unit) - 65536 : static_cast<int>(unit);
    out += "\\u" + std::to_string(v);
    if (fallback >= 0x80) AppendHex(out, fallback);
    else out += '?';
}

// Appends one character outside ASCII as an escape.
void AppendCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    if (cp >= 0x10000) {
        cp -= 0x10000;
        AppendUnit(out, 0xD800 + (cp >> 10), 0);
        AppendUnit(out, 0xDC00 + (cp & 0x3FF), 0);
        return;
    }
    AppendUnit(out, cp, UnicodeToCp1252(cp));
}

// Decodes one UTF-8 character at s[i] (i is moved past it); a byte that does
// not start a valid sequence is taken as Windows-1252.
uint32_t DecodeChar(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
    bool ok = len > 0 && i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) ok = false;
        else cp = (cp << 6) | (cc & 0x3F);
    }
    if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
               (cp >= 0xD800 && cp <= 0xDFFF)))
        ok = false;
    if (!ok) {
        ++i;
        return Cp1252ToUnicode(c);
    }
    i += len;
    return cp;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Length of the control word at s[i] == '\\' (letters, optional signed
// number, optional blank), with its name and parameter.
size_t ControlWord(std::string_view s, size_t i, std::string& name, bool& hasParam, long& param) {
    size_t j = i + 1;
    while (j < s.size() && IsLetter(s[j])) ++j;
    name.assign(s.substr(i + 1, j - i - 1));
    hasParam = false;
    param = 0;
    size_t k = j;
    if (k < s.size() && s[k] == '-' && k + 1 < s.size() && IsDigit(s[k + 1])) ++k;
    if (k < s.size() && IsDigit(s[k])) {
        while (k < s.size() && IsDigit(s[k])) ++k;
        auto [p, ec] = std::from_chars(s.data() + j, s.data() + k, param);
        (void)p;
        hasParam = ec == std::errc();
        if (!hasParam) param = 0;
        j = k;
    }
    if (j < s.size() && s[j] == ' ') ++j;
    return j - i;
}

}  // namespace

std::string EscapeRtf(std::string_view s, const std::vector<int>& symbolFonts) {
    std::string out;
    out.reserve(s.size() + 16);
    int depth = 0;
    // The font in effect, per open group (-1: not known to be a Symbol font),
    // to write the text of Symbol runs as the characters it stands for.
    std::vector<long> fontStack;
    long font = -1;
    auto isSymbol = [&](long f) {
        return f >= 0 && std::find(symbolFonts.begin(), symbolFonts.end(), static_cast<int>(f)) != symbolFonts.end();
    };
    // Where the last control word written without a delimiting blank ends: a
    // word left out right after it must not glue it to the following text.
    size_t bareWordEnd = std::string::npos;
    auto symbolChar = [&](uint32_t byte) {
        const uint32_t cp = byte <= 0xFF ? winsys::SymbolToUnicode(static_cast<unsigned char>(byte)) : byte;
        if (cp == '{' || cp == '}' || cp == '\\') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            AppendCodePoint(out, cp);
        }
    };
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        const bool inSymbol = isSymbol(font);
        if (c == '\\') {
            if (i + 1 >= s.size()) {  // a lone backslash at the end
                out += "\\\\";
                ++i;
                continue;
            }
            char d = s[i + 1];
            if (IsLetter(d)) {
                std::string name;
                bool hasParam;
                long param;
                size_t len = ControlWord(s, i, name, hasParam, param);
                if (name == "f" && hasParam) {
                    font = param;
                    if (isSymbol(font)) {  // the switch into the Symbol font is left out
                        if (out.size() == bareWordEnd) out += ' ';
                        i += len;
                        continue;
                    }
                } else if (name == "plain") {
                    font = -1;
                }
                const long unit = param < 0 ? param + 65536 : param;
                const bool privateSymbol = name == "u" && hasParam && inSymbol && unit >= 0xF020 && unit <= 0xF0FF;
                if (privateSymbol) {
                    // a private-use code of the Symbol font: its character,
                    // with a fallback of its own
                    symbolChar(static_cast<uint32_t>(unit - 0xF000));
                } else {
                    out.append(s.substr(i, len));
                    if (s[i + len - 1] != ' ') bareWordEnd = out.size();
                }
                i += len;
                if (name == "bin" && hasParam && param > 0) {
                    size_t n = std::min(static_cast<size_t>(param), s.size() - i);
                    out.append(s.substr(i, n));
                    i += n;
                } else if (name == "u" && hasParam && i < s.size()) {
                    // the fallback character after a Unicode escape is taken
                    // as it is (or dropped where the escape was replaced)
                    size_t n = 0;
                    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == '\'' && IsHex(s[i + 2]) && IsHex(s[i + 3]))
                        n = 4;
                    else if (static_cast<unsigned char>(s[i]) >= 0x20 && static_cast<unsigned char>(s[i]) < 0x80 &&
                             s[i] != '\\' && s[i] != '{' && s[i] != '}')
                        n = 1;
                    if (!privateSymbol) out.append(s.substr(i, n));
                    i += n;
                }
                continue;
            }
            if (d == '\'') {
                if (i + 3 < s.size() + 0 && IsHex(s[i + 2]) && IsHex(s[i + 3])) {
                    if (inSymbol) {
                        unsigned byte = 0;
                        std::from_chars(s.data() + i + 2, s.data() + i + 4, byte, 16);
                        symbolChar(byte);
                    } else {
                        out.append(s.substr(i, 4));
                    }
                    i += 4;
                } else {  // a broken hex escape: shown as text
                    out += "\\\\'";
                    i += 2;
                }
                continue;
            }
            if (static_cast<unsigned char>(d) >= 0x80 || d == '\0') {
                out += "\\\\";  // a backslash before a character that cannot follow it
                ++i;
                continue;
            }
            out.append(s.substr(i, 2));  // control symbol (\{ \} \\ \~ \* ...)
            i += 2;
            continue;
        }
        if (c == '{') {
            ++depth;
            fontStack.push_back(font);
            out += c;
        } else if (c == '}') {
            if (depth > 0) {
                --depth;
                font = fontStack.back();
                fontStack.pop_back();
                out += c;
            } else {
                out += "\\}";
            }
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\0') {
            // dropped
        } else if (static_cast<unsigned char>(c) < 0x80) {
            if (inSymbol && static_cast<unsigned char>(c) >= 0x20) symbolChar(static_cast<unsigned char>(c));
            else out += c;
        } else {
            // In a Symbol run a character of the first 256 stands for the
            // font's byte (a text written in Windows-1252 for the font).
            const uint32_t cp = DecodeChar(s, i);
            if (inSymbol && cp <= 0xFF) symbolChar(cp);
            else AppendCodePoint(out, cp);
            continue;
        }
        ++i;
    }
    out.append(static_cast<size_t>(depth), '}');
    return out;
}

std::string EscapePlain(std::string_view s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c == '\0' || c == '\r') {
        } else if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
        } else {
            AppendCodePoint(out, DecodeChar(s, i));
            continue;
        }
        ++i;
    }
    return out;
}

int Tables::FontIndex(const Font& f) {
    for (size_t i = 0; i < fonts.size(); ++i)
        if (winsys::EqualsNoCase(fonts[i].name, f.name) && fonts[i].charset == f.charset) return static_cast<int>(i);
    fonts.push_back(f);
    return static_cast<int>(fonts.size() - 1);
}

std::vector<int> Tables::SymbolFonts() const {
    std::vector<int> out;
    for (size_t i = 0; i < fonts.size(); ++i)
        if (winsys::EqualsNoCase(fonts[i].name, "Symbol")) out.push_back(static_cast<int>(i));
    return out;
}

int Tables::ColorIndex(const Color& c) {
    if (c.autoColor) return 0;
    for (size_t i = 1; i < colors.size(); ++i)
        if (colors[i] == c) return static_cast<int>(i);
    colors.push_back(c);
    return static_cast<int>(colors.size() - 1);
}

bool IsRtfDocument(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    return text.substr(i, 5) == "{\\rtf";
}

namespace {

enum class TokKind { Open, Close, Word, Symbol, Text, Bin };

struct Token {
    TokKind kind;
    std::string raw;    // the token as written
    std::string name;   // control word
    bool hasParam = false;
    long param = 0;
    Token(TokKind k, std::string r = {}) : kind(k), raw(std::move(r)) {}
};

bool Tokenize(std::string_view s, std::vector<Token>& toks) {
    size_t i = 0;
    int depth = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '{') {
            toks.push_back({TokKind::Open, "{"});
            ++depth;
            ++i;
        } else if (c == '}') {
            toks.push_back({TokKind::Close, "}"});
            if (--depth < 0) return false;
            ++i;
            if (depth == 0) break;  // end of the document
        } else if (c == '\\') {
            if (i + 1 >= s.size()) return false;
            char d = s[i + 1];
            if (IsLetter(d)) {
                Token t(TokKind::Word);
                size_t len = ControlWord(s, i, t.name, t.hasParam, t.param);
                // Always delimited by a blank: the line end that may have
                // delimited it is dropped below.
                t.raw = "\\" + t.name + (t.hasParam ? std::to_string(t.param) : std::string()) + " ";
                i += len;
                if (t.name == "bin" && t.hasParam && t.param > 0) {
                    size_t n = std::min(static_cast<size_t>(t.param), s.size() - i);
                    toks.push_back(t);
                    toks.push_back({TokKind::Bin, std::string(s.substr(i, n))});
                    i += n;
                    continue;
                }
                toks.push_back(std::move(t));
            } else if (d == '\'' && i + 3 < s.size() + 0 && IsHex(s[i + 2]) && IsHex(s[i + 3])) {
                toks.push_back({TokKind::Symbol, std::string(s.substr(i, 4))});
                i += 4;
            } else {
                toks.push_back({TokKind::Symbol, std::string(s.substr(i, 2))});
                i += 2;
            }
        } else if (c == '\r' || c == '\n') {
            ++i;  // line ends carry no meaning in RTF
        } else {
            size_t j = i;
            while (j < s.size() && s[j] != '{' && s[j] != '}' && s[j] != '\\' && s[j] != '\r' && s[j] != '\n') ++j;
            toks.push_back({TokKind::Text, std::string(s.substr(i, j - i))});
            i = j;
        }
    }
    return depth == 0;
}

// Index just past the group that opens at toks[i].
size_t SkipGroup(const std::vector<Token>& toks, size_t i) {
    int depth = 0;
    for (; i < toks.size(); ++i) {
        if (toks[i].kind == TokKind::Open) ++depth;
        else if (toks[i].kind == TokKind::Close && --depth == 0) return i + 1;
    }
    return toks.size();
}

// Name of the destination of the group opening at toks[i] ("" for none).
std::string GroupName(const std::vector<Token>& toks, size_t i) {
    size_t k = i + 1;
    if (k < toks.size() && toks[k].kind == TokKind::Symbol && toks[k].raw == "\\*") ++k;
    if (k < toks.size() && toks[k].kind == TokKind::Word) return toks[k].name;
    return {};
}

void ParseFontTable(const std::vector<Token>& toks, size_t begin, size_t end, std::map<long, Font>& fonts) {
    long current = -1;
    Font font;
    std::string name;
    for (size_t i = begin + 1; i + 1 < end; ++i) {
        const Token& t = toks[i];
        if (t.kind == TokKind::Open) {
            std::string g = GroupName(toks, i);
            if (i + 1 < toks.size() && toks[i + 1].kind == TokKind::Symbol && toks[i + 1].raw == "\\*") {
                i = SkipGroup(toks, i) - 1;  // panose, alternative names
            }
            (void)g;
            continue;
        }
        if (t.kind == TokKind::Word) {
            if (t.name == "f" && t.hasParam) {
                current = t.param;
                font = Font{};
                name.clear();
            } else if (t.name == "fcharset") {
                font.charset = static_cast<int>(t.param);
            } else if (t.name.size() > 1 && t.name[0] == 'f' &&
                       (t.name == "fnil" || t.name == "froman" || t.name == "fswiss" || t.name == "fmodern" ||
                        t.name == "fscript" || t.name == "fdecor" || t.name == "ftech" || t.name == "fbidi")) {
                font.family = t.name;
            }
            continue;
        }
        if (t.kind == TokKind::Text) {
            for (char c : t.raw) {
                if (c == ';') {
                    if (current >= 0) {
                        size_t a = name.find_first_not_of(' ');
                        font.name = a == std::string::npos ? std::string("Arial") : name.substr(a);
                        fonts[current] = font;
                    }
                    name.clear();
                } else {
                    name += c;
                }
            }
        }
    }
}

void ParseColorTable(const std::vector<Token>& toks, size_t begin, size_t end, std::vector<Color>& colors) {
    Color c;
    bool any = false;
    for (size_t i = begin + 1; i + 1 < end; ++i) {
        const Token& t = toks[i];
        if (t.kind == TokKind::Word) {
            int v = static_cast<int>(std::clamp(t.param, 0L, 255L));
            if (t.name == "red") c.r = v, any = true;
            else if (t.name == "green") c.g = v, any = true;
            else if (t.name == "blue") c.b = v, any = true;
        } else if (t.kind == TokKind::Text) {
            for (char ch : t.raw) {
                if (ch != ';') continue;
                c.autoColor = !any;
                colors.push_back(c);
                c = Color{};
                any = false;
            }
        }
    }
}

const std::unordered_set<std::string_view>& DroppedGroups() {
    static const std::unordered_set<std::string_view> s = {
        "fonttbl", "colortbl", "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer",
        "footerl", "footerr", "footerf", "listtable", "listoverridetable", "generator", "xmlnstbl",
        "themedata", "colorschememapping", "latentstyles", "datastore", "rsidtbl", "pgdsctbl", "defchp",
        "defpap", "filetbl", "revtbl", "mmathPr", "wgrffmtfilter", "private", "userprops", "docvar"};
    return s;
}

const std::unordered_set<std::string_view>& DroppedDocumentWords() {
    static const std::unordered_set<std::string_view> s = {
        "ansi", "mac", "pc", "pca", "ansicpg", "deff", "adeff", "deflang", "deflangfe", "stshfdbch",
        "stshfloch", "stshfhich", "stshfbi", "paperw", "paperh", "margl", "margr", "margt", "margb", "gutter",
        "viewkind", "viewscale", "viewzk", "facingp", "landscape", "headery", "footery", "titlepg", "sectd",
        "pgnstarts", "pgnrestart", "pgncont", "pgndec", "pgnucrm", "pgnlcrm", "pgnucltr", "pgnlcltr"};
    return s;
}

const std::unordered_set<std::string_view>& FontWords() {
    static const std::unordered_set<std::string_view> s = {"f", "af"};
    return s;
}

const std::unordered_set<std::string_view>& ColorWords() {
    static const std::unordered_set<std::string_view> s = {"cf", "cb", "highlight", "chcbpat", "chcfpat", "clcbpat", "clcfpat",
                                            "cbpat", "cfpat", "brdrcf", "trcbpat", "trcfpat", "ulc", "clcbpatraw",
                                            "clcfpatraw"};
    return s;
}

const std::unordered_set<std::string_view>& StyleWords() {
    static const std::unordered_set<std::string_view> s = {"s", "cs", "ds", "ts", "ls", "ilvl"};
    return s;
}

}  // namespace

bool MergeDocument(std::string_view doc, Tables& tables, std::string& out) {
    out.clear();
    size_t start = 0;
    while (start < doc.size() && std::isspace(static_cast<unsigned char>(doc[start]))) ++start;
    std::vector<Token> toks;
    if (!Tokenize(doc.substr(start), toks)) return false;
    if (toks.size() < 3 || toks[0].kind != TokKind::Open || toks[1].kind != TokKind::Word || toks[1].name != "rtf")
        return false;

    std::map<long, Font> srcFonts;
    std::vector<Color> srcColors;
    long deff = 0;
    // First pass: the tables and the default font.
    for (size_t i = 2; i < toks.size();) {
        const Token& t = toks[i];
        if (t.kind == TokKind::Open) {
            std::string g = GroupName(toks, i);
            size_t end = SkipGroup(toks, i);
            if (g == "fonttbl") ParseFontTable(toks, i, end, srcFonts);
            else if (g == "colortbl") ParseColorTable(toks, i, end, srcColors);
            i = end;
            continue;
        }
        if (t.kind == TokKind::Word && t.name == "deff") deff = t.param;
        ++i;
    }
    std::map<long, int> fontMap;
    for (auto& [n, f] : srcFonts) fontMap[n] = tables.FontIndex(f);
    std::vector<int> colorMap;
    for (const Color& c : srcColors) colorMap.push_back(tables.ColorIndex(c));

    std::string body;
    auto mapWord = [&](const Token& t) -> std::string {
        if (StyleWords().count(t.name)) return {};
        if (t.hasParam && FontWords().count(t.name)) {
            auto it = fontMap.find(t.param);
            return "\\" + t.name + std::to_string(it == fontMap.end() ? 1 : it->second) + " ";
        }
        if (t.hasParam && ColorWords().count(t.name)) {
            int idx = (t.param >= 0 && static_cast<size_t>(t.param) < colorMap.size()) ? colorMap[t.param] : 0;
            return "\\" + t.name + std::to_string(idx) + " ";
        }
        return t.raw;
    };
    size_t last = toks.size() - 1;  // the closing brace of the document
    int depth = 1;
    for (size_t i = 2; i < last; ++i) {
        const Token& t = toks[i];
        if (t.kind == TokKind::Open) {
            if (depth == 1 && DroppedGroups().count(GroupName(toks, i))) {
                i = SkipGroup(toks, i) - 1;
                continue;
            }
            ++depth;
            body += '{';
        } else if (t.kind == TokKind::Close) {
            --depth;
            body += '}';
        } else if (t.kind == TokKind::Word) {
            if (depth == 1 && DroppedDocumentWords().count(t.name)) continue;
            body += mapWord(t);
        } else if (t.kind == TokKind::Bin) {
            body += t.raw;
        } else {
            body += t.raw;
        }
    }
    auto f = fontMap.find(deff);
    out = "{" +
          EscapeRtf("\\pard\\plain\\f" + std::to_string(f == fontMap.end() ? 1 : f->second) + " " + body,
                    tables.SymbolFonts()) +
          "}";
    return true;
}

}  // namespace zadevoz::detail
