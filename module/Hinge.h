// A hinge of the member system with its document form.
#pragma once

#include <string>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"

class CVariableTable;

class CHinge {
public:
    CHinge() = default;
    CHinge(const CHinge&) = default;
    CHinge& operator=(const CHinge&) = default;
    virtual ~CHinge() = default;

    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;
    void SetVariableTable(CVariableTable* table) { m_offset.SetVariableTable(table); }

    int m_iNode = 0;
    CFormulaValue m_offset;
    // Releases Vx, Vy, Vz, Mx, My, Mz, Mw.
    int m_release[7] = {0, 0, 0, 0, 0, 0, 0};
    std::string m_strDesc;
};

// The document key of release 0..6 ("Vx" .. "Mw"); empty otherwise.
std::string GetHingeReleaseName(int index);
