#include "input/LoadDef.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "platform/lingo/lingo.h"

namespace {

std::string Trim(const std::string& s)
{
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

std::string TranslateLoadText(const char* text)
{
    return lingo::Translate("VKT Eingabe", "velor_i_common", "Load", text);
}

const char* const kLoadTypeNames[LOAD_TYPE_COUNT] = {
    "Gleichlast",  "Trapezlast",           "Dreieckslast", "Trapezlast 2",      "Temperatur",
    "Zwangsverformung", "Linienmoment",    "Linienmoment(Trapez)", "Einzellast", "Einzelmoment",
    "Einzellast/Moment", "Eigengewicht",   "Flächenlast",  "Linienlast/Moment",
};

const char* const kDirectionNames[3] = {"X-Richtung", "Y-Richtung", "Z-Richtung"};

}  // namespace

void CNumberList::Parse()
{
    m_numbers.clear();
    std::string text = Trim(m_strText);
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string part = comma == std::string::npos ? text : text.substr(0, comma);
        m_numbers.push_back(std::atoi(part.c_str()));
        text = comma == std::string::npos ? std::string() : Trim(text.substr(comma + 1));
    }
}

void CNumberList::Format()
{
    m_strText.clear();
    for (size_t i = 0; i < m_numbers.size(); ++i) {
        if (i) m_strText += ',';
        m_strText += std::to_string(m_numbers[i]);
    }
}

void CLoadDef::ReadData(ZVELEM element)
{
    m_iLoadCase = ZEVUD_GetInt(element, "lc");
    m_LCGen.m_strText = zevud::GetString(element, "LCGen");
    m_LCGen.Parse();
    m_strDesc = zevud::GetString(element, "desc");
    m_iLoadType = ZEVUD_GetInt(element, "ltype");
    m_iNode = ZEVUD_GetInt(element, "node");
    m_iDirection = ZEVUD_GetInt(element, "direction");
    m_bHasDirection = ZEVUD_GetInt(element, "bHasDirection");
    m_offset.ReadFromDom(element, "offset");
    m_length.ReadFromDom(element, "length");
    m_ey.ReadFromDom(element, "ey");
    m_ez.ReadFromDom(element, "ez");
    for (int i = 0; i < 6; ++i) m_val[i].ReadFromDom(element, "val" + std::to_string(i));
}

void CLoadDef::WriteData(ZVELEM element) const
{
    ZEVUD_SetInt(element, "lc", m_iLoadCase);
    ZEVUD_SetString(element, "LCGen", m_LCGen.m_strText.c_str());
    ZEVUD_SetString(element, "desc", m_strDesc.c_str());
    ZEVUD_SetInt(element, "ltype", m_iLoadType);
    ZEVUD_SetInt(element, "node", m_iNode);
    ZEVUD_SetInt(element, "direction", m_iDirection);
    ZEVUD_SetInt(element, "bHasDirection", m_bHasDirection);
    m_offset.WriteToDom(element, "offset");
    m_length.WriteToDom(element, "length");
    m_ey.WriteToDom(element, "ey");
    m_ez.WriteToDom(element, "ez");
    for (int i = 0; i < 6; ++i) m_val[i].WriteToDom(element, "val" + std::to_string(i));
}

void CLoadDef::SetVariableTable(CVariableTable* table)
{
    m_offset.SetVariableTable(table);
    m_length.SetVariableTable(table);
    m_ey.SetVariableTable(table);
    m_ez.SetVariableTable(table);
    for (CFormulaValue& v : m_val) v.SetVariableTable(table);
}

double CLoadDef::GetMaxAbsValue() const
{
    double m = -1e10;
    for (const CFormulaValue& v : m_val) m = std::max(m, std::fabs(v.GetValue()));
    return m;
}

void CLoadDef::GetRange(const std::vector<double>& nodePositions, double& start, double& end) const
{
    auto nodeX = [&](double& x) {
        if (m_iNode < 0 || static_cast<size_t>(m_iNode) >= nodePositions.size()) return false;
        x = nodePositions[static_cast<size_t>(m_iNode)] + m_offset.GetValue();
        return true;
    };
    double x = 0;
    switch (m_iLoadType) {
    case 0: case 1: case 4: case 6: case 7:
        if (!nodeX(x)) return;
        start = x;
        end = x + m_length.GetValue();
        break;
    case 2:
        if (!nodeX(x)) return;
        start = x;
        end = x + m_length.GetValue() + m_val[0].GetValue();
        break;
    case 3:
        if (!nodeX(x)) return;
        start = x;
        end = x + m_length.GetValue() + m_val[0].GetValue() + m_val[1].GetValue();
        break;
    case 5: case 8: case 9: case 10: case 13:
        if (!nodeX(x)) return;
        start = end = x;
        break;
    case 11: case 12:
        start = end = 0;
        break;
    default:
        break;
    }
}

std::string GetLoadTypeName(int index)
{
    if (index < 0 || index >= LOAD_TYPE_COUNT) return {};
    return TranslateLoadText(kLoadTypeNames[index]);
}

std::string GetLoadDirectionName(int index)
{
    if (index < 0 || index >= 3) return {};
    return TranslateLoadText(kDirectionNames[index]);
}
