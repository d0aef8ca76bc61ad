#include "formula/ExpressionParser.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <stdexcept>

#include "formula/FormulaFunctions.h"

namespace {

// Character classes on unsigned bytes, independent of the locale.
bool IsSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty()) return;
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    for (;;) {
        size_t hit = text.find(from, start);
        if (hit == std::string::npos) break;
        out.append(text, start, hit - start);
        out += to;
        start = hit + from.size();
    }
    out.append(text, start, std::string::npos);
    text.swap(out);
}

// Converts a number token in the "C" locale; true when the whole text is a number.
bool ConvertNumber(const std::string& text, double& value)
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (text.empty() || !cLocale) return false;
    char* end = nullptr;
    value = strtod_l(text.c_str(), &end, cLocale);
    return end == text.c_str() + text.size();
}

// Length of a well-formed UTF-8 character starting at text[pos], or 0.
size_t Utf8Length(const std::string& text, size_t pos)
{
    auto byte = [&](size_t i) -> unsigned {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    unsigned c = byte(pos);
    size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (pos + len > text.size()) return 0;
    if (byte(pos + 1) < lo || byte(pos + 1) > hi) return 0;
    for (size_t i = 2; i < len; ++i)
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
    return len;
}

}  // namespace

void NormaliseFormulaText(std::string& text)
{
    static const char* const words[][2] = {
        {".LT.", "<"},  {".LE.", "<="},   {".EQ.", "=="},   {".NE.", "!="},    {".GT.", ">"},
        {".GE.", ">="}, {".AND.", "&&"}, {".OR.", "||"}, {".FALSE.", "0"}, {".TRUE.", "1"},
    };
    for (const auto& w : words) {
        std::string upper = w[0];
        std::string lower = upper;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        ReplaceAll(text, upper, w[1]);
        ReplaceAll(text, lower, w[1]);
    }
    ReplaceAll(text, ",", ".");
    ReplaceAll(text, "-", " - ");
    ReplaceAll(text, "+", " + ");
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.' && (i == 0 || !IsDigit(static_cast<unsigned char>(text[i - 1]))))
            text[i] = '#';
    }
    ReplaceAll(text, "#", "0.");
}

ExpressionParser::ExpressionParser(std::string normalisedText, std::map<std::string, double> variables)
    : m_text(std::move(normalisedText)), m_variables(std::move(variables))
{
}

void ExpressionParser::Record(int code, const std::string& text)
{
    m_messageTexts.push_back(text);
    m_messageCodes.push_back(code);
}

void ExpressionParser::Fail(int code, const std::string& german, const std::string& english)
{
    Record(code, german);
    throw std::runtime_error(english);
}

void ExpressionParser::Expect(char c)
{
    if (m_kind != static_cast<unsigned char>(c)) {
        std::string ch(1, c);
        Fail(kFormulaExpected, "'" + ch + "' erwartet.", "'" + ch + "' expected.");
    }
}

double ExpressionParser::Evaluate()
{
    NextToken();
    double value = List(false);
    if (m_kind != kEnd) {
        std::string rest = m_text.substr(m_tokenStart);
        Fail(kFormulaUnexpectedText, "Unerwartete Zeichen: " + rest,
             "Unexpected text at end of expression: " + rest);
    }
    return value;
}

void ExpressionParser::NextToken()
{
    const size_t n = m_text.size();
    while (m_pos < n && IsSpace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    m_tokenStart = m_pos;

    if (m_pos >= n) {
        if (m_kind == kEnd)
            Fail(kFormulaUnexpectedEnd, "Unerwartetes Ende der Formel", "Unexpected end of expression.");
        m_kind = kEnd;
        m_tokenText = "<end of expression>";
        return;
    }

    const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
    const unsigned char next = m_pos + 1 < n ? static_cast<unsigned char>(m_text[m_pos + 1]) : 0;

    if (next == '=') {
        int kind = 0;
        switch (c) {
        case '!': kind = kNotEqual; break;
        case '*': kind = kMulAssign; break;
        case '+': kind = kAddAssign; break;
        case '-': kind = kSubAssign; break;
        case '/': kind = kDivAssign; break;
        case '<': kind = kLessEqual; break;
        case '=': kind = kEqual; break;
        case '>': kind = kGreaterEqual; break;
        default: break;
        }
        if (kind) {
            m_kind = kind;
            m_tokenText = m_text.substr(m_pos, 2);
            m_pos += 2;
            return;
        }
    }

    switch (c) {
    case '!': case '(': case ')': case '*': case '+': case '-':
    case '/': case ';': case '<': case '=': case '>': case '^':
        m_kind = c;
        m_tokenText = std::string(1, static_cast<char>(c));
        ++m_pos;
        return;
    default:
        break;
    }

    if ((c == '&' && next == '&') || (c == '|' && next == '|')) {
        m_kind = c == '&' ? kAnd : kOr;
        m_tokenText = m_text.substr(m_pos, 2);
        m_pos += 2;
        return;
    }

    if (IsLetter(c)) {
        size_t end = m_pos + 1;
        while (end < n) {
            unsigned char d = static_cast<unsigned char>(m_text[end]);
            if (!IsLetter(d) && !IsDigit(d) && d != '_') break;
            ++end;
        }
        m_kind = kName;
        m_tokenText = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        return;
    }

    if (IsDigit(c)) {
        ReadNumber();
        return;
    }

    BadCharacter();
}

void ExpressionParser::ReadNumber()
{
    const size_t n = m_text.size();
    auto at = [&](size_t i) { return i < n ? static_cast<unsigned char>(m_text[i]) : 0u; };
    size_t end = m_pos;
    while (end < n && (IsDigit(at(end)) || at(end) == '.')) ++end;
    if (at(end) == 'e' || at(end) == 'E') {
        ++end;
        if (at(end) == '+' || at(end) == '-') ++end;
        while (end < n && IsDigit(at(end))) ++end;
    }
    m_tokenText = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    if (!ConvertNumber(m_tokenText, m_number)) {
        Fail(kFormulaBadNumber, "Fehlerhaftes Zahlenformat: '" + m_tokenText + "'",
             "Bad numeric literal: " + m_tokenText);
    }
    m_kind = kNumber;
}

void ExpressionParser::BadCharacter()
{
    const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
    size_t len = c < 0x80 ? 1 : Utf8Length(m_text, m_pos);
    if (c < 32 || len == 0) {
        // Control characters, and bytes that do not form a UTF-8 character,
        // are named by their number.
        std::string code = std::to_string(static_cast<int>(c));
        Fail(kFormulaBadCharacter, "Unerlaubtes Zeichen (ASCII " + code + ")",
             "Unexpected character (decimal " + code + ")");
    }
    std::string ch = m_text.substr(m_pos, len);
    Fail(kFormulaBadCharacter, "Unerlaubtes Zeichen ('" + ch + "')", "Unexpected character: " + ch);
}

double ExpressionParser::List(bool get)
{
    double value = Logical(get);
    while (m_kind == ';') value = Logical(true);
    return value;
}

double ExpressionParser::Logical(bool get)
{
    double left = Comparison(get);
    for (;;) {
        if (m_kind == kAnd) {
            double right = Comparison(true);
            left = (left != 0 && right != 0) ? 1.0 : 0.0;
        } else if (m_kind == kOr) {
            double right = Comparison(true);
            left = (left == 0 && right == 0) ? 0.0 : 1.0;
        } else {
            return left;
        }
    }
}

double ExpressionParser::Comparison(bool get)
{
    double left = Additive(get);
    for (;;) {
        const int op = m_kind;
        if (op != '<' && op != '>' && op != kLessEqual && op != kGreaterEqual && op != kEqual &&
            op != kNotEqual)
            return left;
        double right = Additive(true);
        bool r = false;
        switch (op) {
        case '<': r = left < right; break;
        case '>': r = left > right; break;
        case kLessEqual: r = left <= right; break;
        case kGreaterEqual: r = left >= right; break;
        case kEqual: r = left == right; break;
        default: r = left != right; break;
        }
        left = r ? 1.0 : 0.0;
    }
}

double ExpressionParser::Additive(bool get)
{
    double left = Multiplicative(get);
    for (;;) {
        if (m_kind == '+')
            left += Multiplicative(true);
        else if (m_kind == '-')
            left -= Multiplicative(true);
        else
            return left;
    }
}

double ExpressionParser::Multiplicative(bool get)
{
    double left = Power(get);
    for (;;) {
        if (m_kind == '*') {
            left *= Power(true);
        } else if (m_kind == '/') {
            double divisor = Power(true);
            if (divisor == 0) Fail(kFormulaDivideByZero, "Division durch Null.", "Divide by zero");
            left /= divisor;
        } else {
            return left;
        }
    }
}

double ExpressionParser::Power(bool get)
{
    double left = Primary(get);
    while (m_kind == '^') left = std::pow(left, Primary(true));
    return left;
}

double ExpressionParser::Primary(bool get)
{
    // Every nesting (parentheses, prefix operators, function arguments,
    // assignments) passes through here; a limit keeps the stack bounded.
    if (m_depth >= kMaxNesting)
        Fail(kFormulaBadNumber, "Formel zu tief verschachtelt", "Expression nested too deeply.");
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(m_depth);

    if (get) NextToken();

    switch (m_kind) {
    case kNumber: {
        double value = m_number;
        NextToken();
        return value;
    }
    case kName: {
        std::string name = m_tokenText;
        NextToken();
        if (m_kind == '(') return CallFunction(name);

        auto it = m_variables.find(name);
        if (it == m_variables.end()) {
            Record(kFormulaUndefined, "'" + name + "' nicht definiert");
            it = m_variables.emplace(name, 0.0).first;
        }
        switch (m_kind) {
        case '=': it->second = Logical(true); break;
        case kAddAssign: it->second += Logical(true); break;
        case kSubAssign: it->second -= Logical(true); break;
        case kMulAssign: it->second *= Logical(true); break;
        case kDivAssign: {
            double divisor = Logical(true);
            if (divisor == 0) Fail(kFormulaDivideByZero, "Division durch Null.", "Divide by zero");
            it->second /= divisor;
            break;
        }
        default: break;
        }
        return it->second;
    }
    case '(': {
        double value = List(true);
        Expect(')');
        NextToken();
        return value;
    }
    case '-':
        return -Power(true);
    case '!':
        return Primary(true) == 0 ? 1.0 : 0.0;
    default:
        Fail(kFormulaUnexpectedToken, "Unerwartetes Symbol: " + m_tokenText,
             "Unexpected token: " + m_tokenText);
    }
}

double ExpressionParser::CallFunction(const std::string& name)
{
    // The current token is the "(" after the name.
    const auto& t1 = FormulaFunctions1();
    if (auto f = t1.find(name); f != t1.end()) {
        double a = Logical(true);
        Expect(')');
        NextToken();
        return f->second(a);
    }
    const auto& t2 = FormulaFunctions2();
    if (auto f = t2.find(name); f != t2.end()) {
        double a = Logical(true);
        Expect(';');
        double b = Logical(true);
        Expect(')');
        NextToken();
        return f->second(a, b);
    }
    const auto& t3 = FormulaFunctions3();
    if (auto f = t3.find(name); f != t3.end()) {
        double a = Logical(true);
        Expect(';');
        double b = Logical(true);
        Expect(';');
        double c = Logical(true);
        Expect(')');
        NextToken();
        return f->second(a, b, c);
    }
    Fail(kFormulaUnknownFunction, "'" + name + "' nicht implementiert.",
         "Function '" + name + "' not implemented.");
}
