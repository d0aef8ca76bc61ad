#include "formula/FormulaValue.h"

#include <algorithm>
#include <optional>

#include "formula/VariableTable.h"
#include "platform/winsys/winsys.h"

CFormulaValue::CFormulaValue() : m_pVarTable(&GetGlobalVariableTable()) {}

CFormulaValue::CFormulaValue(double value) : m_dValue(value), m_pVarTable(&GetGlobalVariableTable()) {}

CFormulaValue::CFormulaValue(const CFormulaValue& other) : m_pVarTable(&GetGlobalVariableTable())
{
    *this = other;
}

CFormulaValue::~CFormulaValue() = default;

CFormulaValue& CFormulaValue::operator=(const CFormulaValue& other)
{
    m_bPlain = other.m_bPlain;
    m_strFormula = other.m_strFormula;
    m_dValue = other.m_dValue;
    m_pVarTable = other.m_pVarTable;
    return *this;
}

void CFormulaValue::Reset()
{
    m_bPlain = 1;
    m_strFormula.clear();
    m_dValue = 0;
}

CFormulaValue& CFormulaValue::SetValue(double value)
{
    Reset();
    m_dValue = value;
    return *this;
}

CFormulaValue& CFormulaValue::SetValue(int value)
{
    return SetValue(static_cast<double>(value));
}

CFormulaValue& CFormulaValue::SetFromText(const char* text)
{
    Reset();
    const std::string original = text ? text : "";
    std::string copy = original;
    std::replace(copy.begin(), copy.end(), ',', '.');

    std::optional<double> scanned = winsys::ParseDouble(copy);
    if (!scanned) {
        m_bPlain = 0;
        m_strFormula = copy;
        return *this;
    }

    // Without a table of its own, a numeric text is still evaluated (with
    // the constants only), so that the number typed is never lost.
    CVariableTable constantsOnly;
    CVariableTable* table = m_pVarTable ? m_pVarTable : &constantsOnly;
    double result = 0;
    if (table->Evaluate(copy, result)) {
        m_dValue = result;
        if (result != *scanned) {
            m_bPlain = 0;
            m_strFormula = original;
        }
    } else {
        m_dValue = *scanned;
    }
    return *this;
}

double CFormulaValue::GetValue() const
{
    if (!m_bPlain && m_pVarTable) {
        double result = 0;
        if (m_pVarTable->Evaluate(m_strFormula, result)) m_dValue = result;
    }
    return m_dValue;
}

std::string CFormulaValue::GetText() const
{
    if (m_bPlain) m_strFormula = winsys::FormatDoubleC("%lg", m_dValue);
    return m_strFormula;
}

void CFormulaValue::ReadFromDom(ZVELEM element, const std::string& key)
{
    m_dValue = ZEVUD_GetDouble(element, key.c_str());
    ZVELEM child = ZEVUD_FindFirstChild(element, key.c_str());
    if (child) {
        m_bPlain = 0;
        m_strFormula = zevud::GetString(child, "exp");
        // Stored formulas use "." for decimals; a "," there separates arguments.
        std::replace(m_strFormula.begin(), m_strFormula.end(), ',', ';');
    } else {
        m_bPlain = 1;
        m_strFormula.clear();
    }
}

void CFormulaValue::WriteToDom(ZVELEM element, const std::string& key) const
{
    double value = GetValue();
    ZEVUD_SetDouble(element, key.c_str(), value);
    // Remove every child of this name; guard against a library that will
    // not delete one, so that the loop always ends.
    for (ZVELEM child = ZEVUD_FindFirstChild(element, key.c_str()); child;
         child = ZEVUD_FindFirstChild(element, key.c_str())) {
        if (!ZEVUD_DeleteElement(child)) break;
    }
    if (m_bPlain) return;
    std::replace(m_strFormula.begin(), m_strFormula.end(), ',', '.');
    ZVELEM child = ZEVUD_AddChildElement(element, key.c_str());
    ZEVUD_SetString(child, "exp", m_strFormula.c_str());
}

double CFormulaValue::operator+(const CFormulaValue& other) const { return GetValue() + other.GetValue(); }
double CFormulaValue::operator-(const CFormulaValue& other) const { return GetValue() - other.GetValue(); }
double CFormulaValue::operator*(const CFormulaValue& other) const { return GetValue() * other.GetValue(); }
double CFormulaValue::operator+(double x) const { return GetValue() + x; }
double CFormulaValue::operator-(double x) const { return GetValue() - x; }
double CFormulaValue::operator*(double x) const { return GetValue() * x; }
double CFormulaValue::operator/(double x) const { return GetValue() / x; }
double CFormulaValue::operator/(int x) const { return GetValue() / x; }

CFormulaValue& CFormulaValue::operator-=(double x)
{
    return SetValue(GetValue() - x);
}

CFormulaValue& CFormulaValue::operator*=(double x)
{
    return SetValue(GetValue() * x);
}

bool CFormulaValue::operator==(double x) const { return GetValue() == x; }
bool CFormulaValue::operator!=(double x) const { return GetValue() != x; }
bool CFormulaValue::operator<(double x) const { return GetValue() < x; }
bool CFormulaValue::operator>(double x) const { return GetValue() > x; }
bool CFormulaValue::operator<=(double x) const { return GetValue() <= x; }
bool CFormulaValue::operator>=(double x) const { return GetValue() >= x; }
bool CFormulaValue::operator<(int x) const { return GetValue() < x; }
bool CFormulaValue::operator<(const CFormulaValue& other) const { return GetValue() < other.m_dValue; }
bool CFormulaValue::operator>(const CFormulaValue& other) const { return GetValue() > other.m_dValue; }
bool CFormulaValue::operator>=(const CFormulaValue& other) const { return GetValue() >= other.m_dValue; }

bool CFormulaValue::operator!=(const CFormulaValue& other) const
{
    return GetValue() != other.m_dValue || m_bPlain != other.m_bPlain || m_strFormula != other.m_strFormula;
}

void WriteFormulaValue(ZVELEM element, const std::string& key, const CFormulaValue& value)
{
    value.WriteToDom(element, key);
}

CFormulaValue ReadFormulaValue(ZVELEM element, const std::string& key)
{
    CFormulaValue value;
    value.ReadFromDom(element, key);
    return value;
}

CFormulaValue ReadFormulaValueWithDefault(ZVELEM element, const std::string& key, CFormulaValue def,
                                          bool keepZero)
{
    CFormulaValue value;
    value.ReadFromDom(element, key);
    double stored = ZEVUD_GetDoubleWithDefault(element, key.c_str(), kFormulaValueMissing);
    if (stored == kFormulaValueMissing) return def;
    if (!keepZero && value.GetValue() == 0) return def;
    return value;
}
