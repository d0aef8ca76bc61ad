#include "geometry/GeoFile.h"

#include <algorithm>
#include <cstring>

CFile::~CFile() = default;

uint32_t CMemFile::Read(void* buffer, uint32_t count)
{
    const size_t avail = m_pos < m_data.size() ? m_data.size() - m_pos : 0;
    const size_t n = std::min<size_t>(avail, count);
    if (n > 0) {
        std::memcpy(buffer, m_data.data() + m_pos, n);
        m_pos += n;
    }
    return static_cast<uint32_t>(n);
}

void CMemFile::Write(const void* buffer, uint32_t count)
{
    if (count == 0)
        return;
    if (m_pos + count > m_data.size())
        m_data.resize(m_pos + count);
    std::memcpy(m_data.data() + m_pos, buffer, count);
    m_pos += count;
}
