#include "module/NotchCase.h"

void CNotchCase::ReadData(ZVELEM e)
{
    m_strName = zevud::GetString(e, "name");
    m_tqe = ZEVUD_GetInt(e, "tqe");
    m_idx.ReadFromDom(e, "idx");
    m_xPos.ReadFromDom(e, "xPos");
    m_tWeld.ReadFromDom(e, "tWeld");
    m_thickness.ReadFromDom(e, "thickness");
    m_iPlace = ZEVUD_GetInt(e, "iPlace");
    m_iKerbGruppe = ZEVUD_GetInt(e, "iKerbGruppe");
    m_iKerbGruppeW = ZEVUD_GetInt(e, "iKerbGruppeW");
    m_iSpTyp = ZEVUD_GetInt(e, "iSpTyp");
    m_bActiv = ZEVUD_GetInt(e, "bActiv");
    m_bSystem = ZEVUD_GetInt(e, "bSystem");
    m_geomType = ZEVUD_GetInt(e, "geomType");
}

void CNotchCase::WriteData(ZVELEM e) const
{
    ZEVUD_SetString(e, "name", m_strName.c_str());
    ZEVUD_SetInt(e, "tqe", m_tqe);
    m_idx.WriteToDom(e, "idx");
    m_xPos.WriteToDom(e, "xPos");
    m_tWeld.WriteToDom(e, "tWeld");
    m_thickness.WriteToDom(e, "thickness");
    ZEVUD_SetInt(e, "iPlace", m_iPlace);
    ZEVUD_SetInt(e, "iKerbGruppe", m_iKerbGruppe);
    ZEVUD_SetInt(e, "iKerbGruppeW", m_iKerbGruppeW);
    ZEVUD_SetInt(e, "iSpTyp", m_iSpTyp);
    ZEVUD_SetInt(e, "bActiv", m_bActiv);
    ZEVUD_SetInt(e, "bSystem", m_bSystem);
    ZEVUD_SetInt(e, "geomType", m_geomType);
}

void CNotchCase::Reset()
{
    m_tqe = -1;
    m_idx.SetValue(0.0);
    m_xPos.SetValue(0.0);
    m_iPlace = 0;
    m_iKerbGruppe = 0;
    m_iKerbGruppeW = 0;
    m_iSpTyp = 0;
    m_bActiv = 1;
    m_bSystem = 0;
    m_geomType = 0;
}

void CNotchCase::SetVariableTable(CVariableTable* table)
{
    for (CFormulaValue* v : {&m_idx, &m_xPos, &m_tWeld, &m_thickness}) v->SetVariableTable(table);
}
