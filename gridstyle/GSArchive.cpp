#include "gridstyle/GSArchive.h"

#include <fstream>
#include <iterator>

CArchive::CArchive() : m_mode(store) {}

CArchive::CArchive(std::vector<uint8_t> bytes) : m_mode(load), m_bytes(std::move(bytes)) {}

CArchive CArchive::FromFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Throw(CArchiveException::genericException, "cannot open archive file " + path.string());
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) Throw(CArchiveException::genericException, "cannot read archive file " + path.string());
  return CArchive(std::move(bytes));
}

void CArchive::WriteToFile(const std::filesystem::path& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
  out.close();
  if (!out) Throw(CArchiveException::genericException, "cannot write archive file " + path.string());
}

void CArchive::Throw(int cause, const std::string& what) { throw CArchiveException(cause, what); }

void CArchive::NeedStoring() const {
  if (m_mode != store) Throw(CArchiveException::readOnly, "archive is open for loading");
}

void CArchive::NeedLoading() const {
  if (m_mode != load) Throw(CArchiveException::writeOnly, "archive is open for storing");
}

void CArchive::NeedBytes(size_t n) const {
  NeedLoading();
  if (n > BytesLeft()) Throw(CArchiveException::endOfFile, "unexpected end of archive");
}

void CArchive::CheckCount(uint64_t count, size_t minItemBytes) const {
  NeedLoading();
  if (minItemBytes == 0) minItemBytes = 1;
  if (count > BytesLeft() / minItemBytes)
    Throw(CArchiveException::endOfFile, "archive count " + std::to_string(count) + " exceeds the data left");
}

void CArchive::WriteU8(uint8_t v) {
  NeedStoring();
  m_bytes.push_back(v);
}

void CArchive::WriteU16(uint16_t v) {
  WriteU8(static_cast<uint8_t>(v));
  WriteU8(static_cast<uint8_t>(v >> 8));
}

void CArchive::WriteU32(uint32_t v) {
  WriteU16(static_cast<uint16_t>(v));
  WriteU16(static_cast<uint16_t>(v >> 16));
}

void CArchive::WriteString(const std::string& s) {
  NeedStoring();
  if (s.size() > UINT32_MAX) Throw(CArchiveException::genericException, "text too long for the archive");
  WriteU32(static_cast<uint32_t>(s.size()));
  m_bytes.insert(m_bytes.end(), s.begin(), s.end());
}

void CArchive::WriteObject(const CObject* obj) {
  NeedStoring();
  if (obj == nullptr) {
    WriteU16(0);
    return;
  }
  const CRuntimeClass* rc = obj->GetRuntimeClass();
  std::string_view name = rc->m_lpszClassName;
  WriteU16(static_cast<uint16_t>(name.size()));
  m_bytes.insert(m_bytes.end(), name.begin(), name.end());
  WriteU16(static_cast<uint16_t>(rc->m_wSchema));
  const_cast<CObject*>(obj)->Serialize(*this);
}

uint8_t CArchive::ReadU8() {
  NeedBytes(1);
  return m_bytes[m_pos++];
}

uint16_t CArchive::ReadU16() {
  NeedBytes(2);
  uint16_t v = static_cast<uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
  m_pos += 2;
  return v;
}

uint32_t CArchive::ReadU32() {
  uint32_t lo = ReadU16();
  uint32_t hi = ReadU16();
  return lo | (hi << 16);
}

std::string CArchive::ReadString() {
  uint32_t n = ReadU32();
  NeedBytes(n);
  std::string s(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos),
                m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos + n));
  m_pos += n;
  return s;
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* required) {
  uint16_t len = ReadU16();
  if (len == 0) return nullptr;
  NeedBytes(len);
  std::string name(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos),
                   m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos + len));
  m_pos += len;
  uint16_t schema = ReadU16();
  const CRuntimeClass* rc = CRuntimeClass::FromName(name);
  if (rc == nullptr) Throw(CArchiveException::badClass, "unknown class '" + name + "' in archive");
  if (required != nullptr && !rc->IsDerivedFrom(required))
    Throw(CArchiveException::badClass,
          "class '" + name + "' in archive where '" + required->m_lpszClassName + "' is expected");
  if (schema != static_cast<uint16_t>(rc->m_wSchema))
    Throw(CArchiveException::badSchema, "class '" + name + "' has schema " + std::to_string(schema) +
                                            " in archive, expected " + std::to_string(rc->m_wSchema));
  std::unique_ptr<CObject> obj = rc->CreateObject();
  if (!obj) Throw(CArchiveException::badClass, "class '" + name + "' cannot be created from an archive");
  if (m_depth >= kMaxObjectDepth)
    Throw(CArchiveException::genericException, "objects nested too deeply in the archive");
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(m_depth);
  obj->Serialize(*this);
  return obj;
}
