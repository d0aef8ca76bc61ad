// The formula language: normalisation of a formula text and the recursive
// descent parser that evaluates it while it reads it.
#pragma once

#include <map>
#include <string>
#include <vector>

// Message codes of formula evaluation (single bits, so that a caller may
// combine them). kFormulaOverwritten belongs to the variable table.
enum FormulaMessageCode : int {
    kFormulaOverwritten = 1,       // a variable was defined again with another value
    kFormulaUnexpectedEnd = 2,     // "Unerwartetes Ende der Formel"
    kFormulaBadNumber = 4,         // bad number, function domain error, other stop
    kFormulaBadCharacter = 8,      // a character the language does not know
    kFormulaUnknownFunction = 16,  // "'f' nicht implementiert."
    kFormulaUndefined = 32,        // "'x' nicht definiert" (evaluation goes on)
    kFormulaDivideByZero = 64,     // "Division durch Null."
    kFormulaUnexpectedToken = 128, // "Unerwartetes Symbol: ..."
    kFormulaUnexpectedText = 256,  // "Unerwartete Zeichen: ..."
    kFormulaExpected = 512,        // "';' erwartet." / "')' erwartet."
};

// Rewrites a formula text in place into the form the parser reads: the
// FORTRAN-style words (".LT." / ".lt." ...) become operators, a decimal comma
// becomes a point, "+" and "-" get a blank on each side, and a "." that does
// not follow a digit becomes "0." (".5" reads as 0.5).
void NormaliseFormulaText(std::string& text);

// Evaluates one normalised formula text against a name-to-value map. One
// object serves one evaluation. Evaluate returns the value, or records a
// German message with its code and throws a std::runtime_error with an
// English text. Functions may throw their own std::runtime_error (domain
// errors) without a recorded message.
class ExpressionParser {
public:
    // Token kinds; single-character operators use their character code.
    enum TokenKind : int {
        kName = 1,
        kNumber = 2,
        kEnd = 3,
        kLessEqual = 63,
        kGreaterEqual = 64,
        kEqual = 65,
        kNotEqual = 66,
        kAnd = 67,
        kOr = 68,
        kAddAssign = 69,
        kSubAssign = 70,
        kMulAssign = 71,
        kDivAssign = 72,
    };

    // Deepest nesting of parentheses, prefix operators, function arguments
    // and assignments that one formula may have.
    static constexpr int kMaxNesting = 1000;

    ExpressionParser(std::string normalisedText, std::map<std::string, double> variables);

    double Evaluate();
    void NextToken();

    double List(bool get);
    double Logical(bool get);
    double Comparison(bool get);
    double Additive(bool get);
    double Multiplicative(bool get);
    double Power(bool get);
    double Primary(bool get);

    const std::vector<std::string>& MessageTexts() const { return m_messageTexts; }
    const std::vector<int>& MessageCodes() const { return m_messageCodes; }
    const std::map<std::string, double>& Variables() const { return m_variables; }

private:
    void Record(int code, const std::string& text);
    [[noreturn]] void Fail(int code, const std::string& german, const std::string& english);
    void Expect(char c);
    void ReadNumber();
    [[noreturn]] void BadCharacter();
    double CallFunction(const std::string& name);

    std::string m_text;
    size_t m_pos = 0;
    size_t m_tokenStart = 0;
    int m_kind = 0;
    std::string m_tokenText;
    double m_number = 0;
    std::vector<std::string> m_messageTexts;
    std::vector<int> m_messageCodes;
    std::map<std::string, double> m_variables;
    int m_depth = 0;
};
