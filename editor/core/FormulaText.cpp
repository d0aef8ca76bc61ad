#include "editor/core/FormulaText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "editor/core/RtfHeaderTables.h"
#include "formula/ExpressionParser.h"
#include "formula/FormulaValue.h"
#include "formula/VariableTable.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zozudeda/zozudeda.h"

namespace {

// ---- character classes --------------------------------------------------------------

bool IsNameClass(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsExpressionClass(char c) {
    return IsNameClass(c) || std::string_view("_.,;+*-/^() <>!&|@").find(c) != std::string_view::npos;
}
bool IsResultClass(char c) { return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '#' || c == '-'; }
bool IsNumberClass(char c) { return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-'; }

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

template <class Pred>
std::string Run(const std::string& text, Pred in) {
    size_t n = 0;
    while (n < text.size() && in(text[n])) ++n;
    return text.substr(0, n);
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsName(const std::string& raw, std::string& name) {
    const std::string text = Trim(raw);
    if (Upper(text).find("SUMME") != std::string::npos) return false;
    const std::string expr = Run(text, IsExpressionClass);
    const std::string nm = Run(text, IsNameClass);
    if (expr != nm || nm.empty() || std::isdigit(static_cast<unsigned char>(nm[0]))) return false;
    name = nm;
    return true;
}

bool IsExpression(const std::string& raw, std::string& expression) {
    const std::string run = Run(Trim(raw), IsExpressionClass);
    if (run.empty()) return false;
    expression = run;
    return true;
}

bool IsResult(const std::string& raw, std::string& result) {
    const std::string text = Trim(raw);
    const std::string run = Run(text, IsResultClass);
    if (run.empty() || run.size() < Run(text, IsExpressionClass).size()) return false;
    result = run;
    return true;
}

bool IsNumber(const std::string& raw, std::string& number) {
    const std::string text = Trim(raw);
    if (text.find('=') != std::string::npos) return false;
    const std::string run = Run(text, IsNumberClass);
    if (run.empty()) return false;
    number = run;
    return true;
}

// Decimals of a result text: the digits behind the point of a number, else
// the "#" behind "#." of a mask, else 2.
int DecimalsOf(std::string result) {
    std::replace(result.begin(), result.end(), ',', '.');
    size_t used = 0;
    const std::string t = Trim(result);
    if (auto v = winsys::ParseDouble(t, &used); v && used == t.size()) {
        const size_t point = t.find('.');
        if (point == std::string::npos) return 0;
        int n = 0;
        for (size_t i = point + 1; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) ++n;
        return n;
    }
    const size_t mask = result.find("#.");
    if (mask == std::string::npos) return 2;
    int n = 0;
    for (size_t i = mask + 2; i < result.size() && result[i] == '#'; ++i) ++n;
    return n;
}

double NumberOf(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    size_t used = 0;
    const auto v = winsys::ParseDouble(Trim(text), &used);
    return v ? *v : 0.0;
}

std::string Fixed(double v, int decimals) {
    return winsys::FormatDoubleC(("%." + std::to_string(std::clamp(decimals, 0, 15)) + "lf").c_str(), v);
}
std::string General(double v) { return winsys::FormatDoubleC("%lg", v); }

// A label: the translated format with its directives ("%ld", "%c", "%.1lf",
// "%.*lf" ...) replaced in order by the given texts, so that a translation
// can never make the formatting read what is not there.
std::string Label(const char* format, const std::vector<std::string>& args) {
    const std::string f = EscapeRtfNonAscii(lingo::Translate("VKT Eingabe", "velor_i_Quill", "RichEditCtrl", format));
    std::string out;
    size_t k = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%' || i + 1 >= f.size()) {
            out += f[i];
            continue;
        }
        if (f[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t e = i + 1;
        while (e < f.size() && std::string_view(".*0123456789lh").find(f[e]) != std::string_view::npos) ++e;
        if (e < f.size()) {
            if (k < args.size()) out += args[k];
            ++k;
            i = e;
        } else {
            out += f[i];
        }
    }
    return out;
}

int Setting(const char* name) { return GetRegSettings().GetInt("Quill", name, 1); }

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
}

// ---- Greek names of the Symbol font ------------------------------------------------------

const char* GreekName(unsigned char c) {
    static const char* const upper[26] = {"ALPHA", "BETA",  "CHI",   "DELTA",   "EPSILON", "PHI",   "GAMMA",
                                          "ETA",   "IOTA",  "THETA", "KAPPA",   "LAMBDA",  "MU",    "NU",
                                          "OMICRON", "PI",  "THETA", "RHO",     "SIGMA",   "TAU",   "UPSILON",
                                          "sigma", "OMEGA", "XI",    "PSI",     "ZETA"};
    static const char* const lower[26] = {"alpha", "beta",  "chi", "delta",   "epsilon", "phi",   "gamma",
                                          "eta",   "iota",  "phi", "kappa",   "lambda",  "mu",    "nu",
                                          "omicron", "pi",  "theta", "rho",   "sigma",   "tau",   "upsilon",
                                          "pi",    "omega", "xi",  "psi",     "zeta"};
    if (c >= 'A' && c <= 'Z') return upper[c - 'A'];
    if (c >= 'a' && c <= 'z') return lower[c - 'a'];
    return nullptr;
}

// Whether the page position lies in a Symbol run: the last boundary at or
// before it is negative.
bool InSymbolRun(const std::vector<int>& runs, int position) {
    bool inside = false;
    for (int b : runs) {
        if (std::abs(b) > position) break;
        inside = b < 0;
    }
    return inside;
}

// A copy of the RTF in which control words and groups are blanked, so that
// only text characters remain in place.
std::string BlankControls(const std::string& rtf) {
    std::string copy = rtf;
    int depth = 0;
    for (size_t i = 0; i < copy.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') ++depth;
        if (c == '}') depth = std::max(0, depth - 1);
        if (c == '\\') {
            size_t j = i + 1;
            while (j < rtf.size() && rtf[j] != ' ' && rtf[j] != '\\' && rtf[j] != '{' && rtf[j] != '}' &&
                   rtf[j] != '\r' && rtf[j] != '\n')
                ++j;
            if (j < rtf.size() && rtf[j] == ' ') ++j;
            for (size_t k = i; k < j; ++k) copy[k] = ' ';
            i = j - 1;
            continue;
        }
        if (depth > 0 || c == '{' || c == '}') copy[i] = ' ';
    }
    return copy;
}

// ---- the bracketed label of a line -------------------------------------------------------

// Replaces the text from the last "[" through the following "]" of the line's
// RTF by the label (appended when there is no "["); keeps resultPos in step.
void PutLabel(CFormulaRecord& r, const std::string& label) {
    const size_t open = r.rtf.rfind('[');
    size_t from = r.rtf.size(), to = r.rtf.size();
    if (open != std::string::npos) {
        const size_t close = r.rtf.find(']', open);
        from = open;
        to = close == std::string::npos ? r.rtf.size() : close + 1;
    }
    r.rtf.replace(from, to - from, label);
    if (r.resultPos >= 0 && static_cast<size_t>(r.resultPos) >= to)
        r.resultPos += static_cast<int>(label.size()) - static_cast<int>(to - from);
}

// Splits "name(a; b(c; d); e)" at the first level.
bool SplitCall(const std::string& text, size_t at, std::string& name, std::vector<std::string>& args, size_t& end) {
    const size_t open = text.find('(', at + 1);
    if (open == std::string::npos) return false;
    name = Trim(text.substr(at + 1, open - at - 1));
    args.clear();
    int depth = 0;
    std::string current;
    for (size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(') {
            if (depth++ > 0) current += c;
            continue;
        }
        if (c == ')') {
            if (--depth == 0) {
                if (!Trim(current).empty() || !args.empty()) args.push_back(Trim(current));
                end = i + 1;
                return true;
            }
            current += c;
            continue;
        }
        if (c == ';' && depth == 1) {
            args.push_back(Trim(current));
            current.clear();
            continue;
        }
        current += c;
    }
    return false;
}

void TakeTableMessage(CFormulaRecord& r, const CVariableTable& table) {
    if (!r.messageText.empty() || table.GetMessages().empty()) return;
    r.messageCode = table.GetMessages().front().m_nCode;
    r.messageText = table.GetMessages().front().m_strText;
}

double EvaluateText(const std::string& text, CVariableTable& table) {
    CFormulaValue value;
    value.SetVariableTable(&table);
    value.SetFromText(text.c_str());
    return value.GetValue();
}

void ClearTableMessages(CVariableTable& table) {
    double dummy = 0;
    table.Evaluate("0", dummy);
}

}  // namespace

// ---- escapes ---------------------------------------------------------------------------

namespace {
// Escapes one UTF-8 sequence starting at i; moves i past it. A byte that
// starts no valid sequence is taken as a Latin-1 character.
void EscapeUtf8(const std::string& text, size_t& i, std::string& out) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned cp = 0;
    int extra = -1;
    if ((c & 0xE0) == 0xC0) cp = c & 0x1Fu, extra = 1;
    else if ((c & 0xF0) == 0xE0) cp = c & 0x0Fu, extra = 2;
    else if ((c & 0xF8) == 0xF0) cp = c & 0x07u, extra = 3;
    bool valid = extra > 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
        const unsigned char d = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
        valid = (d & 0xC0) == 0x80;
        cp = (cp << 6) | (d & 0x3Fu);
    }
    char buf[24];
    if (!valid) {
        std::snprintf(buf, sizeof buf, "\\'%02x", c);
        out += buf;
        ++i;
        return;
    }
    i += static_cast<size_t>(extra) + 1;
    if (cp >= 0xA0 && cp <= 0xFF) {
        std::snprintf(buf, sizeof buf, "\\'%02x", cp);
    } else {
        // \uN takes a signed 16-bit number; beyond the basic plane a '?'.
        const int n = cp > 0xFFFF ? '?' : static_cast<int>(static_cast<int16_t>(cp));
        std::snprintf(buf, sizeof buf, "\\u%d?", n);
    }
    out += buf;
}
}  // namespace

std::string EscapeRtfNonAscii(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out += text[i++];
        } else {
            EscapeUtf8(text, i, out);
        }
    }
    return out;
}

std::string EscapeRtfMessage(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
            ++i;
        } else if (c == '\r' || c == '\n') {
            out += ' ';
            ++i;
        } else if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
            ++i;
        } else {
            EscapeUtf8(text, i, out);
        }
    }
    return out;
}

// ---- colours and plain text ---------------------------------------------------------------

int GetColourIndex(const CPageBufferList& pages, uint32_t colour) {
    std::vector<uint32_t> list;
    ReadColorList(pages, list);
    for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i)
        if (list[static_cast<size_t>(i)] == colour) return i;
    return -1;
}

void RtfToPlainText(std::string& out, const std::string& rtf, int offset, const std::vector<int>& symbolRuns) {
    std::string text = rtf;
    if (!symbolRuns.empty() && rtf.size() < 10000) {
        const std::string blanked = BlankControls(rtf);
        std::string named;
        for (size_t i = 0; i < rtf.size(); ++i) {
            const char* greek = blanked[i] != ' ' ? GreekName(static_cast<unsigned char>(rtf[i])) : nullptr;
            if (greek && InSymbolRun(symbolRuns, offset + static_cast<int>(i)))
                named += greek;
            else
                named += rtf[i];
        }
        text = named;
    }
    for (size_t p = text.find("\\cell "); p != std::string::npos; p = text.find("\\cell ", p + 1)) text[p + 4] = ' ';
    text = StripControlWords(text);
    // Labels in brackets are no part of the formula.
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[', open)) {
        const size_t close = text.find(']', open);
        text.erase(open, close == std::string::npos ? std::string::npos : close + 1 - open);
    }
    // Hidden text, the sum-range markers among it, is left out.
    for (size_t open = text.find("/*"); open != std::string::npos; open = text.find("/*", open)) {
        const size_t close = text.find("*/", open + 2);
        text.erase(open, close == std::string::npos ? 2 : close + 2 - open);
    }
    ReplaceAll(text, "*/", "");
    out = text;
}

// ---- cutting ----------------------------------------------------------------------------------

void SplitRtfIntoRecords(const CPageBufferList& pages, std::vector<CFormulaRecord>& records, uint32_t formulaColour) {
    records.clear();
    const int colourIndex = GetColourIndex(pages, formulaColour);
    // Without the formula colour in the page nothing is formula text.
    if (colourIndex < 0) return;
    const std::string text = pages.GetText(0);
    const std::string code = "\\cf" + std::to_string(colourIndex);

    CRtfFontTable fonts;
    int fs = -1, fe = -1;
    fonts.Read(pages, fs, fe);
    int symbolFont = -1, arialFont = -1;
    std::vector<bool> isSymbol;
    for (int i = 0; i < fonts.GetSize(); ++i) {
        std::string name = fonts.GetName(i);
        name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
        name = Lower(name);
        const int number = fonts.GetNumber(i);
        if (name == "symbol" && symbolFont < 0) symbolFont = number;
        if (name == "arial" && arialFont < 0) arialFont = number;
        if (number >= 0) {
            if (static_cast<size_t>(number) >= isSymbol.size()) isSymbol.resize(static_cast<size_t>(number) + 1);
            if (name == "symbol") isSymbol[static_cast<size_t>(number)] = true;
        }
    }

    // Symbol-font boundaries.
    std::vector<int> runs{0};
    bool currentSymbol = false;
    for (size_t p = text.find("\\f"); p != std::string::npos; p = text.find("\\f", p + 2)) {
        if (p > 0 && text[p - 1] == '\\') continue;
        size_t e = p + 2;
        while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) ++e;
        if (e == p + 2 || e - p - 2 > 9) continue;
        const int f = std::atoi(text.c_str() + p + 2);
        if (f >= fonts.GetSize()) continue;
        const bool symbol = static_cast<size_t>(f) < isSymbol.size() && isSymbol[static_cast<size_t>(f)];
        if (symbol && !currentSymbol) runs.push_back(-static_cast<int>(e));
        if (!symbol && currentSymbol) runs.push_back(static_cast<int>(e));
        currentSymbol = symbol;
    }
    runs.push_back(static_cast<int>(text.size()) - 1);

    // Sum ranges.
    std::vector<size_t> opens, closes;
    for (size_t p = text.find("/*S+*/"); p != std::string::npos; p = text.find("/*S+*/", p + 1)) opens.push_back(p);
    for (size_t p = text.find("/*S-*/"); p != std::string::npos; p = text.find("/*S-*/", p + 1)) closes.push_back(p);
    if (opens.size() != closes.size()) opens.clear(), closes.clear();

    auto addLine = [&](size_t start, size_t end) {
        CFormulaRecord r;
        r.start = static_cast<int>(start);
        r.end = static_cast<int>(end);
        r.rtf = text.substr(start, end - start);
        r.arialFont = arialFont;
        r.symbolFont = symbolFont;
        // The boundaries from the one before the start to the one after the end.
        size_t first = 0, last = runs.size() - 1;
        for (size_t k = 0; k < runs.size(); ++k)
            if (std::abs(runs[k]) <= r.start) first = k;
        for (size_t k = runs.size(); k-- > 0;)
            if (std::abs(runs[k]) >= r.end) last = k;
        r.symbolRuns.assign(runs.begin() + static_cast<long>(first), runs.begin() + static_cast<long>(std::max(first, last)) + 1);
        RtfToPlainText(r.plain, r.rtf, r.start, r.symbolRuns);
        if (Trim(r.plain).empty()) return;
        const size_t open = r.rtf.rfind('['), close = r.rtf.rfind(']');
        if (open != std::string::npos && close != std::string::npos && close > open)
            RtfToPlainText(r.unit, r.rtf.substr(open + 1, close - open - 1), r.start + static_cast<int>(open) + 1, {});
        for (size_t k = 0; k < opens.size(); ++k)
            if (start > opens[k] && start < closes[k]) r.inSumRange = 1;
        records.push_back(std::move(r));
    };

    size_t pos = 0;
    while (pos < text.size()) {
        size_t at = text.find(code, pos);
        if (at == std::string::npos) break;
        const size_t after = at + code.size();
        // "\cf2" must not be the start of "\cf21", nor an escaped backslash's text.
        if ((at > 0 && text[at - 1] == '\\') ||
            (after < text.size() && std::isdigit(static_cast<unsigned char>(text[after])))) {
            pos = at + 1;
            continue;
        }
        size_t stretchEnd = text.find("\\cf", after);
        if (stretchEnd == std::string::npos) stretchEnd = text.size();
        // An error mark set in front of the colour code belongs to the line,
        // so that a later run can take it away again.
        size_t lineStart = at;
        if (at >= 7 && text.compare(at - 7, 7, "\\ulwave") == 0) lineStart = at - 7;
        while (lineStart < stretchEnd) {
            size_t lineEnd, next;
            const size_t par = text.find("\\par\r\n", lineStart);
            const size_t row = text.find("\\row", lineStart);
            if (par != std::string::npos && par < stretchEnd) {
                lineEnd = par;
                next = par + 6;
            } else if (row != std::string::npos && row < stretchEnd) {
                lineEnd = row;
                next = row + 4;
            } else {
                lineEnd = stretchEnd;
                next = stretchEnd + 1;
            }
            addLine(lineStart, lineEnd);
            lineStart = next;
        }
        pos = std::max(stretchEnd, at + 1);
    }
}

// ---- parsing ---------------------------------------------------------------------------------

int ParseFormulaRecord(CFormulaRecord& r) {
    r.kind = CFormulaRecord::None;
    r.name.clear();
    r.expression.clear();
    r.result.clear();
    r.resultPos = r.resultLen = -1;
    const std::string& text = r.plain;
    std::string number;
    std::vector<size_t> eq;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '=') eq.push_back(i);
    bool hasResult = false;
    if (IsNumber(text, number)) {
        r.kind = CFormulaRecord::Number;
        r.result = number;
    } else if (eq.empty() || eq.size() >= 3) {
        r.kind = CFormulaRecord::None;
    } else if (eq.size() == 1) {
        const std::string left = text.substr(0, eq[0]), right = text.substr(eq[0] + 1);
        std::string name, expr, result;
        if (IsName(left, name) && IsResult(right, result)) {
            r.kind = CFormulaRecord::Definition;
            r.name = name;
            r.expression = result;
            r.result = result;
            hasResult = true;
        } else if (IsName(left, name) && IsExpression(right, expr)) {
            r.kind = CFormulaRecord::Definition;
            r.name = name;
            r.expression = expr;
        } else if (IsExpression(left, expr) && IsResult(right, result)) {
            r.kind = CFormulaRecord::Evaluation;
            r.expression = expr;
            r.result = result;
            hasResult = true;
        }
    } else {
        const std::string p = text.substr(0, eq[0]), q = text.substr(eq[0] + 1, eq[1] - eq[0] - 1),
                          rest = text.substr(eq[1] + 1);
        std::string name, expr, result;
        if (eq[1] == eq[0] + 1) {
            if (IsExpression(p, expr) && IsResult(rest, result)) {
                r.kind = CFormulaRecord::Evaluation;
                r.expression = expr;
                r.result = result;
                hasResult = true;
            }
        } else if (IsName(p, name) && IsExpression(q, expr) && IsResult(rest, result)) {
            r.kind = CFormulaRecord::DefinitionWithResult;
            r.name = name;
            r.expression = expr;
            r.result = result;
            hasResult = true;
        }
    }
    if (!r.result.empty()) r.decimals = DecimalsOf(r.result);
    if (hasResult) {
        const size_t lastEq = r.rtf.rfind('=');
        const size_t at = lastEq == std::string::npos ? std::string::npos : r.rtf.find(r.result, lastEq);
        if (at != std::string::npos) {
            r.resultPos = static_cast<int>(at);
            r.resultLen = static_cast<int>(r.result.size());
        }
    }
    return r.kind;
}

// ---- text functions ----------------------------------------------------------------------------

void EvaluateTextFunctions(std::vector<CFormulaRecord>& records, int index, int session, CVariableTable& table) {
    CFormulaRecord& r = records[static_cast<size_t>(index)];
    // Sums.
    for (const char* keyword : {"SUMME", "Summe", "summe"}) {
        const size_t at = r.expression.find(keyword);
        if (at == std::string::npos) continue;
        const size_t kl = std::char_traits<char>::length(keyword);
        long count = 0;
        bool withCount = false;
        {
            size_t p = at + kl;
            if (p < r.expression.size() && r.expression[p] == '(') {
                char* end = nullptr;
                count = std::strtol(r.expression.c_str() + p + 1, &end, 10);
                withCount = end != r.expression.c_str() + p + 1;
            }
        }
        double sum = 0;
        if (withCount) {
            for (long k = index - count; k < index; ++k)
                if (k >= 0) sum += NumberOf(records[static_cast<size_t>(k)].result);
        } else {
            int j = index;
            while (j >= 0 && !records[static_cast<size_t>(j)].inSumRange) --j;
            while (j >= 0 && records[static_cast<size_t>(j)].inSumRange) {
                sum += NumberOf(records[static_cast<size_t>(j)].result);
                --j;
            }
        }
        size_t end = at + kl;
        if (withCount) {
            const size_t close = r.expression.find(')', at);
            end = close == std::string::npos ? r.expression.size() : close + 1;
        }
        r.expression.replace(at, end - at, winsys::FormatDoubleC("%lf", sum));
    }

    // Calls.
    // The last call first, so that a call inside another call's argument has
    // become its value before the outer call is evaluated.
    for (size_t at = r.expression.rfind('@'); at != std::string::npos; at = r.expression.rfind('@')) {
        std::string name;
        std::vector<std::string> args;
        size_t end = 0;
        if (!SplitCall(r.expression, at, name, args, end)) {
            if (r.messageText.empty()) {
                r.messageCode = 0;
                r.messageText = "Funktionsaufruf unvollständig: " + r.expression.substr(at);
            }
            r.expression.erase(at, 1);  // the search for "@" must end
            continue;
        }
        std::vector<double> values;
        for (const std::string& a : args) {
            values.push_back(EvaluateText(a, table));
            TakeTableMessage(r, table);
        }
        auto arg = [&](size_t k, double def) { return k < values.size() ? values[k] : def; };
        const std::string lname = Lower(name);
        std::string value;
        if (lname == "checkmax" || lname == "checkmin") {
            const double a = arg(0, 0), b = arg(1, 1.0);
            const double tolerance = 0.5 * std::pow(10.0, -r.decimals);
            const bool max = lname == "checkmax";
            const bool ok = max ? a < b + tolerance : !(a <= b - tolerance);
            const char* format = max ? (ok ? "[<%.*lf]" : "[<%.*lf Nicht erfüllt!]")
                                     : (ok ? "[>%.*lf]" : "[>%.*lf Nicht erfüllt!]");
            PutLabel(r, Label(format, {Fixed(b, r.decimals)}));
            value = General(a);
        } else if (lname == "druckeas" || lname == "druckeasb") {
            const bool stirrups = lname == "druckeasb";
            const long n = static_cast<long>(arg(0, 0) + 0.5);
            const double d = arg(1, 0), s = arg(2, 0);
            const double radius = d * 0.1 * 0.5;
            // Bar area n * pi * (d/2)^2 in cm^2 (d in mm); stirrups per metre at spacing s cm.
            const double area = stirrups ? n * 314.15927 * radius * radius / s : n * 3.1415927 * radius * radius;
            value = General(area);
            const std::string sn = std::to_string(n), sd = std::to_string(static_cast<long>(d));
            const std::string ss = winsys::FormatDoubleC("%.1lf", s);
            const bool fonts = r.symbolFont >= 0 && r.arialFont >= 0;
            const std::string sf = std::to_string(r.symbolFont), af = std::to_string(r.arialFont);
            std::string label;
            if (stirrups)
                label = fonts ? Label("[%ld-schnittig, \\f%ld %c\\f%ld  %ld alle %.1lf cm]", {sn, sf, "\\'c6", af, sd, ss})
                              : Label("[%ld-schnittig, $SYMBOL_D$ %ld alle %.1lf cm]", {sn, sd, ss});
            else
                label = fonts ? Label("[gewählt: %ld \\f%ld %c\\f%ld  %ld]", {sn, sf, "\\'c6", af, sd})
                              : Label("[gewählt: %ld $SYMBOL_D$ %ld]", {sn, sd});
            PutLabel(r, label);
        } else if (lname == "max" || lname == "min") {
            double v = lname == "max" ? -1e10 : 1e10;
            for (double x : values) v = lname == "max" ? std::max(v, x) : std::min(v, x);
            value = General(v);
        } else {
            std::string command = name;
            for (size_t k = 0; k < values.size(); ++k) command += std::string(k == 0 ? "(" : ",") + " " + General(values[k]);
            command += values.empty() ? "()" : ")";
            const double v = ZOZUDEDA_Execute(session, command);
            value = winsys::FormatDoubleC("%lf", v);
            const std::string error = ZOZUDEDA_GetLastError(session);
            if (!error.empty() && r.messageText.empty()) {
                r.messageCode = 0;
                r.messageText = error;
            }
            const std::string text = ZOZUDEDA_GetStrResult(session);
            if (!text.empty()) PutLabel(r, "[" + EscapeRtfMessage(text) + "]");
        }
        r.expression.replace(at, end - at, value);
    }
}

// ---- evaluation ---------------------------------------------------------------------------------

void EvaluateFormulaRecord(std::vector<CFormulaRecord>& records, int index, int session, CVariableTable& table,
                           const std::string& pathPrefix) {
    CFormulaRecord& r = records[static_cast<size_t>(index)];
    r.messageCode = 0;
    r.messageText.clear();
    ClearTableMessages(table);
    EvaluateTextFunctions(records, index, session, table);
    if (r.kind != CFormulaRecord::Definition && r.kind != CFormulaRecord::Evaluation &&
        r.kind != CFormulaRecord::DefinitionWithResult)
        return;
    const std::string defined = pathPrefix.empty() ? r.name : pathPrefix + "\\" + r.name;
    ClearTableMessages(table);
    const double value = EvaluateText(r.expression, table);
    TakeTableMessage(r, table);
    // A value that is no finite number (an overflow, inf - inf, a division
    // by zero) is an error at the formula: no number goes into the text, and
    // the name stays undefined, so that later lines say so instead of
    // calculating on with it.
    const bool noNumber = !std::isfinite(value) || r.messageCode == kFormulaDivideByZero;
    if (noNumber && r.messageText.empty()) {
        r.messageCode = kFormulaBadNumber;
        r.messageText = "Das Ergebnis ist keine endliche Zahl.";
    }
    if (r.kind != CFormulaRecord::Evaluation && !noNumber) {
        table.Define(defined, r.name, r.unit, value);
        TakeTableMessage(r, table);
    }
    // Without a number the line keeps a mask of its decimals, so that it
    // stays a formula with a place for its result in the next calculation.
    r.result = noNumber ? (r.decimals > 0 ? "#." + std::string(static_cast<size_t>(r.decimals), '#') : "#")
                        : Fixed(value, r.decimals);
    r.noNumber = noNumber;

    if (r.resultPos >= 0 && static_cast<size_t>(r.resultPos + r.resultLen) <= r.rtf.size())
        r.rtf.replace(static_cast<size_t>(r.resultPos), static_cast<size_t>(r.resultLen), "$$RESULT$$");
    // The mark of an earlier run goes.
    std::string& t = r.rtf;
    if (t.compare(0, 8, "\\ulwave ") == 0) t.erase(0, 8);
    if (t.size() >= 8 && t.compare(t.size() - 8, 8, "\\ulnone ") == 0) t.erase(t.size() - 8);
    ReplaceAll(t, "\\ulwave \\", "\\");
    ReplaceAll(t, "\\ulnone \\", "\\");
    ReplaceAll(t, "\\ulwave", "");
    ReplaceAll(t, "\\ulnone ", "");
    ReplaceAll(t, "\\ulnone", "");
    for (size_t open = t.find("[("); open != std::string::npos; open = t.find("[(", open)) {
        const size_t close = t.find(")]", open);
        if (close == std::string::npos) break;
        t.erase(open, close + 2 - open);
    }

    if (!r.messageText.empty()) {
        // A line without a number always shows why.
        bool shown = Setting("bGenErrors") != 0 || noNumber;
        if (r.messageCode == 1) shown = shown && Setting("bVariableOverwritten") != 0;
        if (r.messageCode == 32) shown = shown && Setting("bUnknownVar") != 0;
        if (shown && t.find("\\ulwave") == std::string::npos) {
            t.insert(0, !t.empty() && t[0] == '\\' ? "\\ulwave" : "\\ulwave ");
            t += "\\ulnone ";
            r.result += "[(" + r.messageText + ")]";
            ReplaceAll(t, "$$RESULT$$", r.result.substr(0, r.result.size() - r.messageText.size() - 4) + "[(" +
                                            EscapeRtfMessage(r.messageText) + ")]");
        }
    }
    ReplaceAll(t, "$$RESULT$$", r.result);
}

// ---- reassembly and the pipeline ------------------------------------------------------------------

void ReassembleRtf(CPageBufferList& pages, const std::vector<CFormulaRecord>& records) {
    std::string text = pages.GetText(0);
    for (size_t k = records.size(); k-- > 0;) {
        const CFormulaRecord& r = records[k];
        if (r.start < 0 || r.end < r.start || static_cast<size_t>(r.end) > text.size()) continue;
        text.replace(static_cast<size_t>(r.start), static_cast<size_t>(r.end - r.start), r.rtf);
    }
    pages.SetOnlyText(text);
}

void CalculateRtfFormulas(CPageBufferList& pages, uint32_t formulaColour, std::vector<CFormulaRecord>& records,
                          int session, CVariableTable* parentTable, CVariableTable* table,
                          const std::string& pathPrefix) {
    std::unique_ptr<CVariableTable> own;
    if (!table) {
        own = std::make_unique<CVariableTable>();
        table = own.get();
    }
    if (parentTable) table->SetParent(parentTable);
    SplitRtfIntoRecords(pages, records, formulaColour);
    if (records.empty()) return;  // nothing to do: the page stays byte for byte
    for (int i = 0; i < static_cast<int>(records.size()); ++i) {
        ParseFormulaRecord(records[static_cast<size_t>(i)]);
        EvaluateFormulaRecord(records, i, session, *table, pathPrefix);
    }
    ReassembleRtf(pages, records);
}
