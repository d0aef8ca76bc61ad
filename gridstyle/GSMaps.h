// The keyed maps of the grid classes: 32-bit key to 32-bit value, cell
// index pair to object, 64-bit font descriptor to shared font entry.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "gridstyle/GSHashTable.h"
#include "gridstyle/GSObject.h"
#include "gridstyle/GSServices.h"

struct GSDWordHash {
  uint32_t operator()(uint32_t key) const { return key >> 4; }
};

// 32-bit key to 32-bit signed value (17 buckets unless set otherwise).
class CGSCollMapDWordToLong : public CObject {
  GS_DECLARE_CLASS(CGSCollMapDWordToLong)
 public:
  explicit CGSCollMapDWordToLong(uint32_t blockSize = 10) : m_table(17, blockSize) {}

  bool Lookup(uint32_t key, int32_t& value) const;
  // The value of the key, inserted as 0 when absent.
  int32_t& operator[](uint32_t key) { return m_table.At(key); }
  void SetAt(uint32_t key, int32_t value) { m_table.At(key) = value; }
  void InitHashTable(uint32_t buckets) { m_table.SetHashSize(buckets); }
  uint32_t GetHashTableSize() const { return m_table.HashSize(); }
  size_t GetCount() const { return m_table.Count(); }
  bool IsEmpty() const { return m_table.Count() == 0; }
  void RemoveAll() { m_table.Clear(); }
  // The pairs in bucket order (the order of the archive).
  std::vector<std::pair<uint32_t, int32_t>> Pairs() const;
  // A 16-bit count, then each pair as key and value (32-bit each). A map of
  // more than 65535 pairs cannot be stored: nothing is written and the
  // archive exception is thrown.
  void Serialize(CArchive& ar) override;

 protected:
  GSHashTable<uint32_t, int32_t, GSDWordHash> m_table;
};

class CGSMapDWordToLong : public CGSCollMapDWordToLong {
  GS_DECLARE_CLASS(CGSMapDWordToLong)
 public:
  using CGSCollMapDWordToLong::CGSCollMapDWordToLong;
  CGSMapDWordToLong(const CGSMapDWordToLong& other) : CGSCollMapDWordToLong() { Assign(other); }
  CGSMapDWordToLong& operator=(const CGSMapDWordToLong& other) {
    Assign(other);
    return *this;
  }
  // This map is emptied and every pair of the other inserted.
  void Assign(const CGSCollMapDWordToLong& other);
};

// A row and column index pair.
struct GSCellIndex {
  uint32_t row = 0;
  uint32_t col = 0;
  bool operator==(const GSCellIndex&) const = default;
};

struct GSCellIndexHash {
  uint32_t operator()(const GSCellIndex& k) const { return ((k.col & 0xFFFF) << 12) | ((k.row & 0xFFFF) >> 4); }
};

// Cell index pair to an owned object.
class CMapNdxToOb : public CObject {
  GS_DECLARE_CLASS(CMapNdxToOb)
 public:
  explicit CMapNdxToOb(uint32_t blockSize = 10) : m_table(17, blockSize) {}

  CObject* Lookup(uint32_t row, uint32_t col) const;
  // The object slot of the index pair, inserted empty when absent.
  std::unique_ptr<CObject>& operator()(uint32_t row, uint32_t col) { return m_table.At({row, col}); }
  void SetAt(uint32_t row, uint32_t col, std::unique_ptr<CObject> obj) { m_table.At({row, col}) = std::move(obj); }
  void InitHashTable(uint32_t buckets) { m_table.SetHashSize(buckets); }
  uint32_t GetHashTableSize() const { return m_table.HashSize(); }
  size_t GetCount() const { return m_table.Count(); }
  void RemoveAll() { m_table.Clear(); }
  // The entries in bucket order.
  std::vector<std::pair<GSCellIndex, CObject*>> Entries() const;
  // A 16-bit count, then per entry row, column (32-bit each) and the object.
  void Serialize(CArchive& ar) override;

 protected:
  GSHashTable<GSCellIndex, std::unique_ptr<CObject>, GSCellIndexHash> m_table;
};

class CGSMapCellToOb : public CMapNdxToOb {
  GS_DECLARE_CLASS(CGSMapCellToOb)
 public:
  using CMapNdxToOb::CMapNdxToOb;
};

// A shared font cache entry: reference count, the logical font and whether
// the logical font has been filled.
struct GSFontEntry {
  std::atomic<int32_t> refs{0};
  CGSLogFont logFont;
  bool filled = false;
};

struct GSFontKeyHash {
  uint32_t operator()(uint64_t key) const { return static_cast<uint32_t>(key); }
};

// 64-bit font descriptor to shared font entry (257 buckets). Not archived.
class CGSMapFontData : public CObject {
  GS_DECLARE_CLASS(CGSMapFontData)
 public:
  explicit CGSMapFontData(uint32_t blockSize = 10) : m_table(257, blockSize) {}

  // The entry of the key; a new entry has count 0 and is not filled.
  GSFontEntry& FindOrInsert(uint64_t key);
  GSFontEntry* Find(uint64_t key) const;
  // True when the key was present. The last removal frees all node blocks
  // and the bucket array.
  bool Remove(uint64_t key);
  size_t GetCount() const { return m_table.Count(); }
  bool HasStorage() const { return m_table.HasBuckets() || m_table.BlockCount() != 0; }
  void InitHashTable(uint32_t buckets) { m_table.SetHashSize(buckets); }
  void RemoveAll() { m_table.Clear(); }

 private:
  GSHashTable<uint64_t, std::unique_ptr<GSFontEntry>, GSFontKeyHash> m_table;
};

// Run-time class records without operations of their own.
extern const CRuntimeClass classCGSMapByte8ToPtr;
extern const CRuntimeClass classCGSPtrArrayPtrArray;
