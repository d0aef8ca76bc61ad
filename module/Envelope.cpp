#include "module/Envelope.h"

#include "module/frame/BinaryArrays.h"

void CEnvelope::Clear()
{
    for (int s = 0; s < 2; ++s) {
        m_cranePos[s].clear();
        m_value[s].clear();
        m_xpos[s].clear();
        m_info[s].clear();
    }
}

void CEnvelope::SetSize(int n)
{
    const size_t size = n > 0 ? static_cast<size_t>(n) : 0;
    for (int s = 0; s < 2; ++s) {
        m_cranePos[s].assign(size, 0);
        m_value[s].assign(size, 0.0);
        m_xpos[s].assign(size, 0.0);
        m_info[s].assign(size, 0);
    }
}

void CEnvelope::Update(int side, int index, int cranePos, int count, int start, int stride,
                       const std::vector<double>& values, const std::vector<double>& xs, int info)
{
    if (side < 0 || side > 1 || index < 0 || index >= GetSize() || count < 1) return;
    double& stored = m_value[side][static_cast<size_t>(index)];
    bool taken = false;
    double x = 0;
    for (long j = 0; j < count; ++j) {
        const long i = static_cast<long>(start) + j * static_cast<long>(stride);
        if (i < 0 || static_cast<size_t>(i) >= values.size()) continue;
        const double v = values[static_cast<size_t>(i)];
        if (side == 0 ? v < stored : v > stored) {
            stored = v;
            x = static_cast<size_t>(i) < xs.size() ? xs[static_cast<size_t>(i)] : 0.0;
            taken = true;
        }
    }
    if (!taken) return;
    m_cranePos[side][static_cast<size_t>(index)] = cranePos;
    m_xpos[side][static_cast<size_t>(index)] = x;
    m_info[side][static_cast<size_t>(index)] = info;
}

bool CEnvelope::GetAt(int side, int index, int& cranePos, double& value, double& x, int& info) const
{
    if (side < 0 || side > 1 || index < 0 || index >= GetSize()) return false;
    const size_t i = static_cast<size_t>(index);
    cranePos = m_cranePos[side][i];
    value = m_value[side][i];
    x = m_xpos[side][i];
    info = m_info[side][i];
    return true;
}

void CEnvelope::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "numOfValues", GetSize());
    zevud::SetInts(e, "cranePos_0", m_cranePos[0]);
    zevud::SetInts(e, "cranePos_1", m_cranePos[1]);
    zevud::SetDoubles(e, "value_0", m_value[0]);
    zevud::SetDoubles(e, "value_1", m_value[1]);
    zevud::SetDoubles(e, "xpos_0", m_xpos[0]);
    zevud::SetDoubles(e, "xpos_1", m_xpos[1]);
    zevud::SetInts(e, "iInfo_0", m_info[0]);
    zevud::SetInts(e, "iInfo_1", m_info[1]);
}

void CEnvelope::ReadData(ZVELEM e)
{
    // The count sizes every list; it is bounded by what the document holds.
    long n = ZEVUD_GetInt(e, "numOfValues");
    const long stored = ZEVUD_GetBinDataLength(e, "value_0") / 8;
    if (n < 0) n = 0;
    if (n > stored) n = stored;
    SetSize(static_cast<int>(n));
    const char* const pos[2] = {"cranePos_0", "cranePos_1"};
    const char* const val[2] = {"value_0", "value_1"};
    const char* const xs[2] = {"xpos_0", "xpos_1"};
    const char* const inf[2] = {"iInfo_0", "iInfo_1"};
    for (int s = 0; s < 2; ++s) {
        binarray::CopyInto(m_cranePos[s], zevud::GetInts(e, pos[s], n));
        binarray::CopyInto(m_value[s], zevud::GetDoubles(e, val[s], n));
        binarray::CopyInto(m_xpos[s], zevud::GetDoubles(e, xs[s], n));
        binarray::CopyInto(m_info[s], zevud::GetInts(e, inf[s], n));
    }
}
