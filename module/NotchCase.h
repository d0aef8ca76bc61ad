// A fatigue notch case (detail) of the crane runway, element "POI".
#pragma once

#include <string>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"

class CVariableTable;

class CNotchCase {
public:
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;
    // A new notch case: the detail's code and position cleared; the name and
    // the two thicknesses kept.
    void Reset();
    void SetVariableTable(CVariableTable* table);

    std::string m_strName;
    int m_tqe = -1;
    CFormulaValue m_idx;
    CFormulaValue m_xPos;
    CFormulaValue m_tWeld;
    CFormulaValue m_thickness;
    int m_iPlace = 0;
    int m_iKerbGruppe = 0;
    int m_iKerbGruppeW = 0;
    int m_iSpTyp = 0;
    int m_bActiv = 1;
    int m_bSystem = 0;
    int m_geomType = 0;
};
