// A number of a position's input that is either a plain value or a formula
// over variables, with its form in the position document.
#pragma once

#include <cstdint>
#include <string>

#include "platform/zevud/zevud.h"

class CVariableTable;

// Stored in place of a value that the document does not hold.
constexpr double kFormulaValueMissing = -99382822.0;

class CFormulaValue {
public:
    CFormulaValue();
    CFormulaValue(double value);  // NOLINT: implicit, a number is a plain formula value
    CFormulaValue(const CFormulaValue& other);
    virtual ~CFormulaValue();
    CFormulaValue& operator=(const CFormulaValue& other);

    // Plain, empty text, value 0; the table stays.
    void Reset();
    CFormulaValue& SetValue(double value);
    CFormulaValue& SetValue(int value);
    // Input as the user typed it: a number (decimal comma allowed) becomes a
    // plain value, anything else a formula.
    CFormulaValue& SetFromText(const char* text);

    // The value; a formula is evaluated through the table first. A failed
    // evaluation keeps the previous value (the reasons stand in the table's
    // messages).
    double GetValue() const;
    // The formula text, or for a plain value the value formatted "%lg".
    std::string GetText() const;
    std::string GetFormula() const { return m_strFormula; }
    bool IsPlain() const { return m_bPlain != 0; }

    void SetVariableTable(CVariableTable* table) { m_pVarTable = table; }
    CVariableTable* GetVariableTable() const { return m_pVarTable; }

    // The document form: a double attribute named key; a formula also as the
    // attribute "exp" of a child element named key.
    void ReadFromDom(ZVELEM element, const std::string& key);
    void WriteToDom(ZVELEM element, const std::string& key) const;

    double operator+(const CFormulaValue& other) const;
    double operator-(const CFormulaValue& other) const;
    double operator*(const CFormulaValue& other) const;
    double operator+(double x) const;
    double operator-(double x) const;
    double operator*(double x) const;
    double operator/(double x) const;
    double operator/(int x) const;
    CFormulaValue& operator-=(double x);
    CFormulaValue& operator*=(double x);

    bool operator==(double x) const;
    bool operator!=(double x) const;
    bool operator<(double x) const;
    bool operator>(double x) const;
    bool operator<=(double x) const;
    bool operator>=(double x) const;
    bool operator<(int x) const;
    // Against another formula value: the left side is evaluated, the right
    // side's stored value is taken as it stands.
    bool operator<(const CFormulaValue& other) const;
    bool operator>(const CFormulaValue& other) const;
    bool operator>=(const CFormulaValue& other) const;
    // True when the values, the kinds or the texts differ.
    bool operator!=(const CFormulaValue& other) const;
    bool Differs(const CFormulaValue& other) const { return *this != other; }

    // Nonzero: a plain number; zero: a formula.
    int32_t m_bPlain = 1;
    // The formula; empty for a plain number (or its cached display text).
    mutable std::string m_strFormula;
    // The plain number, or the result of the last successful evaluation.
    mutable double m_dValue = 0;
    // The table of the formula's variables (not owned).
    CVariableTable* m_pVarTable = nullptr;
};

void WriteFormulaValue(ZVELEM element, const std::string& key, const CFormulaValue& value);
CFormulaValue ReadFormulaValue(ZVELEM element, const std::string& key);
// The value read, or the default when the attribute is absent, or when the
// value is 0 and keepZero is false.
CFormulaValue ReadFormulaValueWithDefault(ZVELEM element, const std::string& key, CFormulaValue def,
                                          bool keepZero);
