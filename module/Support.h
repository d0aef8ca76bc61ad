// Supports of a member-design position: the seven springs of a support, the
// spring data from which a spring is computed (members connected above and
// below), and their document forms.
#pragma once

#include <string>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"

class CVariableTable;

// Stored in place of a spring value for a rigid restraint.
constexpr double kRigidSpring = -1.0;

class CSpringData {
public:
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int m_bDrehfeder = 1;
    // Member above.
    int m_bEnableOben = 1;
    double m_oemod = 29900.0;
    double m_ograd = 100.0;
    double m_oh = 3.0;
    double m_oqkd = 30.0;
    double m_oqrb = 30.0;
    double m_oqrd = 20.0;
    int m_oqtyp = 0;
    int m_olage = 0;
    std::string m_oProfFamily = "HEA";
    std::string m_oProfile = "HEA 120";
    double m_oIy = 0.0;
    // Member below.
    int m_bEnableUnten = 1;
    double m_uemod = 29900.0;
    double m_ugrad = 100.0;
    double m_uh = 3.0;
    double m_uqkd = 30.0;
    double m_uqrb = 30.0;
    double m_uqrd = 20.0;
    int m_uqtyp = 0;
    int m_ulage = 0;
    std::string m_uProfFamily = "HEA";
    std::string m_uProfile = "HEA 120";
    double m_uIy = 0.0;
};

class CSupport {
public:
    CSupport() = default;
    CSupport(const CSupport&) = default;
    CSupport& operator=(const CSupport&) = default;
    virtual ~CSupport() = default;

    void ReadData(ZVELEM element);
    // Converts rotational springs given as a degree of fixity into
    // stiffnesses first (ConvertPercentSprings), then writes.
    void WriteData(ZVELEM element);
    void SetVariableTable(CVariableTable* table);

    // Rotational springs cmx, cmy, cmz of kind 1 (degree of fixity v in %)
    // become stiffnesses v E I 0.03 / ((1 - v/100) L 1e5) of kind 0; v of 100 %
    // or more is a rigid restraint (kRigidSpring). Nothing changes while the
    // member length is 0.
    void ConvertPercentSprings();
    // Every spring kind 1 becomes 0.
    void ClearPercentKinds();

    // Index 0..6: cx, cy, cz, cmx, cmy, cmz, cwoelb. A wrong index shows a
    // message and leaves the outputs (or the record) unchanged.
    void GetValueByIdx(int index, CFormulaValue& value, int& kind) const;
    void SetValueByIdx(int index, const CFormulaValue& value, int kind);
    CSpringData GetSpringDataByIdx(int index) const;
    void SetSpringDataByIdx(int index, const CSpringData& data);

    CFormulaValue m_cx, m_cy, m_cz, m_cmx, m_cmy, m_cmz, m_cwoelb;
    CFormulaValue m_posX, m_length, m_ey, m_ez;
    int m_iNode = 0;
    // Kinds of the seven springs in the order cx .. cw.
    int m_kind[7] = {-1, -1, -1, -1, -1, -1, -1};
    CSpringData m_springData[7];
    // Member values set by the owner (not stored): modulus, second moments
    // about the first and the second axis, length.
    double m_dE = 0.0;
    double m_dI1 = 0.0;
    double m_dI2 = 0.0;
    double m_dL = 0.0;

private:
    CFormulaValue* Value(int index);
};
