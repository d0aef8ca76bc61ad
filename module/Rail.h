// The crane rail on the runway girder: a flat bar given by its dimensions or
// a rail from the material catalogue, its worn section values, and the
// girder's section values with the worn rail added.
#pragma once

#include <string>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"
#include "platform/zidezaz/zidezaz.h"

class CVariableTable;

// Section values of a rail in cm units; the "75" values are those of the
// rail worn to 75 % of its head height.
struct CRailValues {
    double A = 0, A75 = 0, h = 0, h75 = 0, b1 = 0, k = 0, Iy75 = 0, Iz75 = 0, It75 = 0, e175 = 0;
};

class CRail {
public:
    CRail() { Init(); }

    void Init();
    void ReadData(ZVELEM element);
    // Sets the weld lengths to 0.0 unless the rail is welded, then writes.
    void WriteData(ZVELEM element);
    void SetVariableTable(CVariableTable* table);

    // The rail's values; false (values unchanged) when a catalogue rail is
    // not found or the rail kind is not set.
    bool GetRailValues(CRailValues& v) const;
    // Adds the worn rail, standing centrally on the girder's upper edge, to
    // the girder's part-section values (area, centroid, second moments about
    // the common centroid, torsion constant of the open parts). zTop is the z
    // of the upper edge (z counts downward). Returns false, changing nothing,
    // when the rail has no values.
    bool AddRailToSection(SektTqs& part, double zTop) const;
    // The same with the rail on the section's upper extent (zmi).
    bool AddRailToSection(SektTqs& part) const { return AddRailToSection(part, part.zmi); }

    int m_bCalculation = 0;
    int m_bRigid = 1;
    int m_connection = 2;
    std::string m_sTyp, m_sNorm, m_sObj;
    int m_iTyp = 2;
    int m_iNorm = 0;
    int m_iObj = 0;
    CFormulaValue m_b{220.0};
    CFormulaValue m_h{12.0};
    CFormulaValue m_d{5.0};
    CFormulaValue m_dBolt{0.0};
    double m_xpos = 0.0;
    CFormulaValue m_SchweissnahtL{0.0};
    CFormulaValue m_SchweissnahtUnterbrochenL{0.0};
    // The catalogue directory ("skwdir") of a catalogue rail; not stored.
    std::string m_strSkwDir;
};
