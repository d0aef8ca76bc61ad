#include "module/CraneReactions.h"

#include <algorithm>

#include "module/BinaryArrays.h"

namespace {
const char* const kComponents[6] = {"Ax", "Ay", "Az", "Mx", "My", "Mz"};
}

CCraneReactions::CCraneReactions() { Clear(); }

void CCraneReactions::Clear()
{
    m_nAufl = 0;
    m_xCoords.assign(kMaxSupports, 0.0);
    for (auto& c : m_component) c.assign(kValues, 0.0);
    m_LF.assign(static_cast<size_t>(kValues) * kLabelBytes, '\0');
    m_Pos.assign(kPositions, 0);
}

void CCraneReactions::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "nAufl", m_nAufl);
    binarray::PutDoubles(e, "xCoords", m_xCoords);
    for (int i = 0; i < 6; ++i) binarray::PutDoubles(e, kComponents[i], m_component[i]);
    ZEVUD_SetBinData(e, "LF", static_cast<int>(m_LF.size()), m_LF.data(), 1);
    binarray::PutInts(e, "Pos", m_Pos);
}

void CCraneReactions::ReadData(ZVELEM e)
{
    Clear();
    m_nAufl = std::clamp<int32_t>(ZEVUD_GetInt(e, "nAufl"), 0, kMaxSupports);
    binarray::CopyInto(m_xCoords, binarray::GetDoubles(e, "xCoords", kMaxSupports));
    for (int i = 0; i < 6; ++i) binarray::CopyInto(m_component[i], binarray::GetDoubles(e, kComponents[i], kValues));
    const std::vector<unsigned char> lf = zevud::GetBinData(e, "LF");
    std::copy_n(lf.begin(), std::min(lf.size(), m_LF.size()), m_LF.begin());
    // Every label ends in a NUL, whatever the document held.
    for (size_t i = kLabelBytes - 1; i < m_LF.size(); i += kLabelBytes) m_LF[i] = '\0';
    binarray::CopyInto(m_Pos, binarray::GetInts(e, "Pos", kPositions));
}

std::string CCraneReactions::GetLabel(int i) const
{
    if (i < 0 || i >= kValues) return {};
    const char* p = m_LF.data() + static_cast<size_t>(i) * kLabelBytes;
    return std::string(p, std::find(p, p + kLabelBytes, '\0'));
}

void CCraneReactions::SetLabel(int i, const std::string& text)
{
    if (i < 0 || i >= kValues) return;
    char* p = m_LF.data() + static_cast<size_t>(i) * kLabelBytes;
    std::fill(p, p + kLabelBytes, '\0');
    std::copy_n(text.begin(), std::min<size_t>(text.size(), kLabelBytes - 1), p);
}
