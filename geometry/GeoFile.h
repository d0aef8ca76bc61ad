// Byte channel of the geometry elements' stream records: an abstract file
// that reads and writes blocks of bytes, and an in-memory file over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CFile {
public:
    virtual ~CFile();
    // Reads up to count bytes; returns the number read (fewer at the end).
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual void Write(const void* buffer, uint32_t count) = 0;
    virtual uint64_t GetPosition() const = 0;
    virtual uint64_t GetLength() const = 0;
};

// A file held in memory: writes append at the position (growing the data),
// reads stop at the end.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    explicit CMemFile(std::vector<unsigned char> data) : m_data(std::move(data)) {}

    uint32_t Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    uint64_t GetPosition() const override { return m_pos; }
    uint64_t GetLength() const override { return m_data.size(); }

    void SeekToBegin() { m_pos = 0; }
    void Seek(size_t pos) { m_pos = pos < m_data.size() ? pos : m_data.size(); }
    const std::vector<unsigned char>& Data() const { return m_data; }

private:
    std::vector<unsigned char> m_data;
    size_t m_pos = 0;
};
