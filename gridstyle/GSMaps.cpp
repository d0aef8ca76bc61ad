#include "gridstyle/GSMaps.h"

#include "gridstyle/GSArchive.h"

GS_IMPLEMENT_SERIAL(CGSCollMapDWordToLong, CObject::classCObject, 0);
GS_IMPLEMENT_SERIAL(CGSMapDWordToLong, CGSCollMapDWordToLong::classCGSCollMapDWordToLong, 0);
GS_IMPLEMENT_SERIAL(CMapNdxToOb, CObject::classCObject, 0);
GS_IMPLEMENT_SERIAL(CGSMapCellToOb, CMapNdxToOb::classCMapNdxToOb, 0);
GS_IMPLEMENT_CLASS(CGSMapFontData, CObject::classCObject, 0);

// Two records without operations of their own.
const CRuntimeClass classCGSMapByte8ToPtr = {"CGSMapByte8ToPtr", &CObject::classCObject, 0, nullptr};
const CRuntimeClass classCGSPtrArrayPtrArray = {"CGSPtrArrayPtrArray", &classCPtrArray, 0, nullptr};
namespace {
const CClassRegistration regByte8ToPtr(&classCGSMapByte8ToPtr);
const CClassRegistration regPtrArrayPtrArray(&classCGSPtrArrayPtrArray);

constexpr size_t kMaxArchivedPairs = 0xFFFF;

void CheckStorableCount(size_t count) {
  if (count > kMaxArchivedPairs)
    CArchive::Throw(CArchiveException::genericException,
                    "a map of " + std::to_string(count) + " entries cannot be archived (at most 65535)");
}
}  // namespace

bool CGSCollMapDWordToLong::Lookup(uint32_t key, int32_t& value) const {
  const int32_t* v = m_table.Find(key);
  if (v == nullptr) return false;
  value = *v;
  return true;
}

std::vector<std::pair<uint32_t, int32_t>> CGSCollMapDWordToLong::Pairs() const {
  std::vector<std::pair<uint32_t, int32_t>> pairs;
  pairs.reserve(m_table.Count());
  m_table.ForEach([&](uint32_t k, int32_t v) { pairs.emplace_back(k, v); });
  return pairs;
}

void CGSCollMapDWordToLong::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    CheckStorableCount(m_table.Count());
    ar.WriteU16(static_cast<uint16_t>(m_table.Count()));
    m_table.ForEach([&](uint32_t k, int32_t v) {
      ar.WriteU32(k);
      ar.WriteI32(v);
    });
    return;
  }
  uint16_t count = ar.ReadU16();
  ar.CheckCount(count, 8);
  std::vector<std::pair<uint32_t, int32_t>> read;
  read.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    uint32_t k = ar.ReadU32();
    int32_t v = ar.ReadI32();
    read.emplace_back(k, v);
  }
  for (const auto& [k, v] : read) m_table.At(k) = v;
}

void CGSMapDWordToLong::Assign(const CGSCollMapDWordToLong& other) {
  if (&other == this) return;
  auto pairs = other.Pairs();
  m_table.Clear();
  for (const auto& [k, v] : pairs) m_table.At(k) = v;
}

CObject* CMapNdxToOb::Lookup(uint32_t row, uint32_t col) const {
  const std::unique_ptr<CObject>* v = m_table.Find({row, col});
  return v == nullptr ? nullptr : v->get();
}

std::vector<std::pair<GSCellIndex, CObject*>> CMapNdxToOb::Entries() const {
  std::vector<std::pair<GSCellIndex, CObject*>> entries;
  m_table.ForEach([&](const GSCellIndex& k, const std::unique_ptr<CObject>& v) { entries.emplace_back(k, v.get()); });
  return entries;
}

void CMapNdxToOb::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    CheckStorableCount(m_table.Count());
    ar.WriteU16(static_cast<uint16_t>(m_table.Count()));
    m_table.ForEach([&](const GSCellIndex& k, const std::unique_ptr<CObject>& v) {
      ar.WriteU32(k.row);
      ar.WriteU32(k.col);
      ar.WriteObject(v.get());
    });
    return;
  }
  uint16_t count = ar.ReadU16();
  ar.CheckCount(count, 10);
  std::vector<std::pair<GSCellIndex, std::unique_ptr<CObject>>> read;
  read.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    GSCellIndex k;
    k.row = ar.ReadU32();
    k.col = ar.ReadU32();
    read.emplace_back(k, ar.ReadObject(&CObject::classCObject));
  }
  for (auto& [k, v] : read) m_table.At(k) = std::move(v);
}

GSFontEntry& CGSMapFontData::FindOrInsert(uint64_t key) {
  std::unique_ptr<GSFontEntry>& e = m_table.At(key);
  if (!e) e = std::make_unique<GSFontEntry>();
  return *e;
}

GSFontEntry* CGSMapFontData::Find(uint64_t key) const {
  const std::unique_ptr<GSFontEntry>* e = m_table.Find(key);
  return e == nullptr ? nullptr : e->get();
}

bool CGSMapFontData::Remove(uint64_t key) {
  bool found = m_table.Remove(key);
  if (found && m_table.Count() == 0) m_table.Clear();
  return found;
}
