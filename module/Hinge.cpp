#include "module/Hinge.h"

std::string GetHingeReleaseName(int index)
{
    static const char* const names[7] = {"Vx", "Vy", "Vz", "Mx", "My", "Mz", "Mw"};
    if (index < 0 || index >= 7) return {};
    return names[index];
}

void CHinge::ReadData(ZVELEM element)
{
    m_strDesc = zevud::GetString(element, "desc");
    m_iNode = ZEVUD_GetInt(element, "node");
    m_offset.ReadFromDom(element, "offset");
    for (int i = 0; i < 7; ++i) m_release[i] = ZEVUD_GetInt(element, GetHingeReleaseName(i).c_str());
}

void CHinge::WriteData(ZVELEM element) const
{
    ZEVUD_SetString(element, "desc", m_strDesc.c_str());
    ZEVUD_SetInt(element, "node", m_iNode);
    m_offset.WriteToDom(element, "offset");
    for (int i = 0; i < 7; ++i) ZEVUD_SetInt(element, GetHingeReleaseName(i).c_str(), m_release[i]);
}
