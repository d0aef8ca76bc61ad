#include "geometry/GeoStream.h"

#include <bit>
#include <cmath>

#include "geometry/GeoFile.h"

bool CRecordReader::ReadBlock(unsigned char* bytes, unsigned size)
{
    if (m_pFile) {
        m_last = std::fread(bytes, size, 1, m_pFile);
        return m_last == 1;
    }
    if (m_pCFile) {
        m_last = m_pCFile->Read(bytes, size);
        return m_last == size;
    }
    m_last = 0;
    return false;
}

bool CRecordReader::ReadDouble(double& value)
{
    unsigned char b[8];
    if (!ReadBlock(b, 8))
        return false;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | b[i];
    const double d = std::bit_cast<double>(bits);
    if (!std::isfinite(d))
        return false;
    value = d;
    return true;
}

bool CRecordReader::ReadInt32(int32_t& value)
{
    unsigned char b[4];
    if (!ReadBlock(b, 4))
        return false;
    const uint32_t bits = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                          (uint32_t(b[3]) << 24);
    value = static_cast<int32_t>(bits);
    return true;
}

bool CRecordReader::Remaining(uint64_t& bytes) const
{
    if (m_pCFile) {
        const uint64_t len = m_pCFile->GetLength();
        const uint64_t pos = m_pCFile->GetPosition();
        bytes = pos < len ? len - pos : 0;
        return true;
    }
    if (m_pFile) {
        const long pos = std::ftell(m_pFile);
        if (pos < 0 || std::fseek(m_pFile, 0, SEEK_END) != 0)
            return false;
        const long end = std::ftell(m_pFile);
        if (std::fseek(m_pFile, pos, SEEK_SET) != 0 || end < 0)
            return false;
        bytes = end > pos ? static_cast<uint64_t>(end - pos) : 0;
        return true;
    }
    return false;
}

void CRecordWriter::WriteBlock(const unsigned char* bytes, unsigned size)
{
    if (m_pFile) {
        m_last = std::fwrite(bytes, size, 1, m_pFile);
        if (m_last != 1)
            m_failed = true;
    } else if (m_pCFile) {
        m_pCFile->Write(bytes, size);
        m_last = 1;
    } else {
        m_failed = true;
    }
}

void CRecordWriter::WriteDouble(double value)
{
    uint64_t bits = std::bit_cast<uint64_t>(value);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i) {
        b[i] = static_cast<unsigned char>(bits & 0xFF);
        bits >>= 8;
    }
    WriteBlock(b, 8);
}

void CRecordWriter::WriteInt32(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    WriteBlock(b, 4);
}
