// A binary archive held in memory (optionally read from or written to a
// file): little-endian fixed-width fields, texts as a 32-bit byte count and
// the bytes, objects as their class name and schema followed by their own
// fields. Every failure throws CArchiveException.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gridstyle/GSObject.h"

class CArchiveException : public std::runtime_error {
 public:
  enum Cause {
    none = 0,
    genericException = 1,
    readOnly = 2,
    endOfFile = 3,
    writeOnly = 4,
    badIndex = 5,
    badClass = 6,
    badSchema = 7,
  };
  CArchiveException(int cause, const std::string& what) : std::runtime_error(what), m_cause(cause) {}
  int m_cause;
};

class CArchive {
 public:
  enum Mode { store = 0, load = 1 };

  // An archive that stores into memory.
  CArchive();
  // An archive that loads from the given bytes.
  explicit CArchive(std::vector<uint8_t> bytes);
  // Loads the whole file (throws when it cannot be read).
  static CArchive FromFile(const std::filesystem::path& path);
  // Writes the stored bytes to a file (throws when it cannot be written).
  void WriteToFile(const std::filesystem::path& path) const;

  bool IsStoring() const { return m_mode == store; }
  bool IsLoading() const { return m_mode == load; }
  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  size_t BytesLeft() const { return m_bytes.size() - m_pos; }

  void WriteU8(uint8_t v);
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteString(const std::string& s);
  // Class name and schema of the object, then its fields; null is stored as
  // an empty class name.
  void WriteObject(const CObject* obj);

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  std::string ReadString();
  // Reads an object stored by WriteObject; the object must be of the given
  // class or derived from it (else badClass), its stored schema must be the
  // class's schema (else badSchema). Null when a null object was stored.
  std::unique_ptr<CObject> ReadObject(const CRuntimeClass* required);

  // Throws when count items of at least minItemBytes each cannot fit in the
  // bytes left, so that a damaged count never leads to a large allocation.
  void CheckCount(uint64_t count, size_t minItemBytes) const;

  [[noreturn]] static void Throw(int cause, const std::string& what);

  // Objects nested deeper than this in an archive are refused (a hostile
  // archive must not exhaust the stack).
  static constexpr int kMaxObjectDepth = 256;

 private:
  void NeedBytes(size_t n) const;
  void NeedStoring() const;
  void NeedLoading() const;

  Mode m_mode;
  std::vector<uint8_t> m_bytes;
  size_t m_pos = 0;
  int m_depth = 0;
};
