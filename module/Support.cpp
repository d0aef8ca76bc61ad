#include "module/Support.h"

#include <cmath>

#include "platform/winsys/winsys.h"

namespace {

const char* const kKindKeys[7] = {"cxTyp", "cyTyp", "czTyp", "cmxTyp", "cmyTyp", "cmzTyp", "cwTyp"};
const char* const kSpringDataKeys[7] = {"SDcx", "SDcy", "SDcz", "SDcmx", "SDcmy", "SDcmz", "SDcw"};

void ReadDouble(ZVELEM e, const char* key, double& v) { v = ZEVUD_GetDoubleWithDefault(e, key, v); }
void ReadInt(ZVELEM e, const char* key, int& v) { v = ZEVUD_GetIntWithDefault(e, key, v); }
void ReadText(ZVELEM e, const char* key, std::string& v)
{
    if (ZEVUD_HasAttr(e, key)) v = zevud::GetString(e, key);
}

}  // namespace

// ---- CSpringData -------------------------------------------------------

void CSpringData::ReadData(ZVELEM e)
{
    ReadInt(e, "bDrehfeder", m_bDrehfeder);
    ReadInt(e, "bEnableOben", m_bEnableOben);
    if (m_bEnableOben) {
        ReadDouble(e, "oemod", m_oemod);
        ReadDouble(e, "ograd", m_ograd);
        ReadDouble(e, "oh", m_oh);
        ReadDouble(e, "oqkd", m_oqkd);
        ReadDouble(e, "oqrb", m_oqrb);
        ReadDouble(e, "oqrd", m_oqrd);
        ReadInt(e, "oqtyp", m_oqtyp);
        ReadInt(e, "olage", m_olage);
        ReadText(e, "oProfFamily", m_oProfFamily);
        ReadText(e, "oProfile", m_oProfile);
        ReadDouble(e, "oIy", m_oIy);
    }
    ReadInt(e, "bEnableUnten", m_bEnableUnten);
    if (m_bEnableUnten) {
        ReadDouble(e, "uemod", m_uemod);
        ReadDouble(e, "ugrad", m_ugrad);
        ReadDouble(e, "uh", m_uh);
        ReadDouble(e, "uqkd", m_uqkd);
        ReadDouble(e, "uqrb", m_uqrb);
        ReadDouble(e, "uqrd", m_uqrd);
        ReadInt(e, "uqtyp", m_uqtyp);
        ReadInt(e, "ulage", m_ulage);
        ReadText(e, "uProfFamily", m_uProfFamily);
        ReadText(e, "uProfile", m_uProfile);
        ReadDouble(e, "uIy", m_uIy);
    }
}

void CSpringData::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "bDrehfeder", m_bDrehfeder);
    ZEVUD_SetInt(e, "bEnableOben", m_bEnableOben);
    if (m_bEnableOben) {
        ZEVUD_SetDouble(e, "oemod", m_oemod);
        ZEVUD_SetDouble(e, "ograd", m_ograd);
        ZEVUD_SetDouble(e, "oh", m_oh);
        ZEVUD_SetDouble(e, "oqkd", m_oqkd);
        ZEVUD_SetDouble(e, "oqrb", m_oqrb);
        ZEVUD_SetDouble(e, "oqrd", m_oqrd);
        ZEVUD_SetInt(e, "oqtyp", m_oqtyp);
        ZEVUD_SetInt(e, "olage", m_olage);
        ZEVUD_SetString(e, "oProfFamily", m_oProfFamily.c_str());
        ZEVUD_SetString(e, "oProfile", m_oProfile.c_str());
        ZEVUD_SetDouble(e, "oIy", m_oIy);
    }
    ZEVUD_SetInt(e, "bEnableUnten", m_bEnableUnten);
    if (m_bEnableUnten) {
        ZEVUD_SetDouble(e, "uemod", m_uemod);
        ZEVUD_SetDouble(e, "ugrad", m_ugrad);
        ZEVUD_SetDouble(e, "uh", m_uh);
        ZEVUD_SetDouble(e, "uqkd", m_uqkd);
        ZEVUD_SetDouble(e, "uqrb", m_uqrb);
        ZEVUD_SetDouble(e, "uqrd", m_uqrd);
        ZEVUD_SetInt(e, "uqtyp", m_uqtyp);
        ZEVUD_SetInt(e, "ulage", m_ulage);
        ZEVUD_SetString(e, "uProfFamily", m_uProfFamily.c_str());
        ZEVUD_SetString(e, "uProfile", m_uProfile.c_str());
        ZEVUD_SetDouble(e, "uIy", m_uIy);
    }
}

// ---- CSupport ----------------------------------------------------------

CFormulaValue* CSupport::Value(int index)
{
    CFormulaValue* values[7] = {&m_cx, &m_cy, &m_cz, &m_cmx, &m_cmy, &m_cmz, &m_cwoelb};
    if (index < 0 || index >= 7) return nullptr;
    return values[index];
}

void CSupport::ReadData(ZVELEM e)
{
    m_cx.ReadFromDom(e, "cx");
    m_cy.ReadFromDom(e, "cy");
    m_cz.ReadFromDom(e, "cz");
    m_cmx.ReadFromDom(e, "cmx");
    m_cmy.ReadFromDom(e, "cmy");
    m_cmz.ReadFromDom(e, "cmz");
    m_cwoelb.ReadFromDom(e, "cwoelb");
    m_iNode = ZEVUD_GetInt(e, "node");
    m_posX.ReadFromDom(e, "posX");
    m_length.ReadFromDom(e, "length");
    m_ey.ReadFromDom(e, "ey");
    m_ez.ReadFromDom(e, "ez");
    for (int i = 0; i < 7; ++i) m_kind[i] = ZEVUD_GetIntWithDefault(e, kKindKeys[i], -1);
    for (int i = 0; i < 7; ++i) {
        m_springData[i] = CSpringData();
        if (ZVELEM child = ZEVUD_FindFirstChild(e, kSpringDataKeys[i])) m_springData[i].ReadData(child);
    }
}

void CSupport::ConvertPercentSprings()
{
    if (m_dL == 0.0) return;
    struct Rot {
        int index;
        double I;
    } rots[3] = {{3, m_dI1}, {4, m_dI2}, {5, m_dI1}};
    for (const Rot& r : rots) {
        if (m_kind[r.index] != 1) continue;
        CFormulaValue* value = Value(r.index);
        const double v = value->GetValue();
        double c = kRigidSpring;
        if (v < 100.0) {
            c = v * m_dE * r.I * 0.03 / ((1.0 - v / 100.0) * m_dL * 100000.0);
            if (!std::isfinite(c)) c = kRigidSpring;
        }
        value->SetValue(c);
        m_kind[r.index] = 0;
    }
}

void CSupport::WriteData(ZVELEM e)
{
    ConvertPercentSprings();
    m_cx.WriteToDom(e, "cx");
    m_cy.WriteToDom(e, "cy");
    m_cz.WriteToDom(e, "cz");
    m_cmx.WriteToDom(e, "cmx");
    m_cmy.WriteToDom(e, "cmy");
    m_cmz.WriteToDom(e, "cmz");
    m_cwoelb.WriteToDom(e, "cwoelb");
    ZEVUD_SetInt(e, "node", m_iNode);
    m_posX.WriteToDom(e, "posX");
    m_length.WriteToDom(e, "length");
    m_ey.WriteToDom(e, "ey");
    m_ez.WriteToDom(e, "ez");
    for (int i = 0; i < 7; ++i) ZEVUD_SetInt(e, kKindKeys[i], m_kind[i]);
    for (int i = 0; i < 7; ++i) {
        // A fresh child each time: an element written before keeps one.
        for (ZVELEM old = ZEVUD_FindFirstChild(e, kSpringDataKeys[i]); old;
             old = ZEVUD_FindFirstChild(e, kSpringDataKeys[i]))
            if (!ZEVUD_DeleteElement(old)) break;
        m_springData[i].WriteData(ZEVUD_AddChildElement(e, kSpringDataKeys[i]));
    }
}

void CSupport::SetVariableTable(CVariableTable* table)
{
    for (CFormulaValue* v : {&m_cx, &m_cy, &m_cz, &m_cmx, &m_cmy, &m_cmz, &m_cwoelb, &m_posX, &m_length, &m_ey, &m_ez})
        v->SetVariableTable(table);
}

void CSupport::ClearPercentKinds()
{
    for (int& k : m_kind)
        if (k == 1) k = 0;
}

void CSupport::GetValueByIdx(int index, CFormulaValue& value, int& kind) const
{
    if (index < 0 || index >= 7) {
        winsys::MessageBox("CSupport::GetValueByIdx: Wrong idx!");
        return;
    }
    value = *const_cast<CSupport*>(this)->Value(index);
    kind = m_kind[index];
}

void CSupport::SetValueByIdx(int index, const CFormulaValue& value, int kind)
{
    if (index < 0 || index >= 7) {
        winsys::MessageBox("CSupport::SetValueByIdx: Wrong idx!");
        return;
    }
    *Value(index) = value;
    m_kind[index] = kind;
}

CSpringData CSupport::GetSpringDataByIdx(int index) const
{
    if (index < 0 || index >= 7) {
        winsys::MessageBox("CSupport::GetSpringDataByIdx: Wrong idx!");
        return CSpringData();
    }
    return m_springData[index];
}

void CSupport::SetSpringDataByIdx(int index, const CSpringData& data)
{
    if (index < 0 || index >= 7) {
        winsys::MessageBox("CSupport::SetSpringDataByIdx: Wrong idx!");
        return;
    }
    m_springData[index] = data;
}
