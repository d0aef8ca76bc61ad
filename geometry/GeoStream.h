// Little-endian record blocks of the geometry elements over either channel
// (a standard I/O stream or a CFile). Every double is one 8-byte block and
// every count one 4-byte block; the reader remembers what its last read call
// returned, as the stream operations hand that on to their callers.
#pragma once

#include <cstdint>
#include <cstdio>

class CFile;

class CRecordReader {
public:
    explicit CRecordReader(FILE* file) : m_pFile(file) {}
    explicit CRecordReader(CFile& file) : m_pCFile(&file) {}

    // False on a short read or on a number that is not finite (a damaged
    // record); the value is then left alone.
    bool ReadDouble(double& value);
    bool ReadInt32(int32_t& value);
    // Bytes left in the stream when the channel can tell; false otherwise.
    bool Remaining(uint64_t& bytes) const;
    // What the last fread (items) or CFile::Read (bytes) call returned.
    size_t Last() const { return m_last; }

private:
    bool ReadBlock(unsigned char* bytes, unsigned size);

    FILE* m_pFile = nullptr;
    CFile* m_pCFile = nullptr;
    size_t m_last = 0;
};

class CRecordWriter {
public:
    explicit CRecordWriter(FILE* file) : m_pFile(file) {}
    explicit CRecordWriter(CFile& file) : m_pCFile(&file) {}

    void WriteDouble(double value);
    void WriteInt32(int32_t value);
    // What the last fwrite returned, or 0 once any fwrite fell short.
    size_t Result() const { return m_failed ? 0 : m_last; }

private:
    void WriteBlock(const unsigned char* bytes, unsigned size);

    FILE* m_pFile = nullptr;
    CFile* m_pCFile = nullptr;
    size_t m_last = 0;
    bool m_failed = false;
};
