// Style storage: owning style arrays, the per-cell, per-row and per-column
// style store CGSData and the styles map of named and numbered base styles.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gridstyle/GSObject.h"
#include "gridstyle/GSStyle.h"

// Moves and removals of runs shared by both style arrays.
namespace GSRuns {
// Inserts count empty slots at the index (at most the array's size).
template <class T>
void InsertNull(std::vector<std::unique_ptr<T>>& v, size_t at, size_t count) {
  if (at > v.size() || count == 0) return;
  std::vector<std::unique_ptr<T>> empty(count);
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(empty.begin()),
           std::make_move_iterator(empty.end()));
}

// Destroys the elements of the run [first, first + count), clipped to the
// array's end, and removes their slots.
template <class T>
void RemoveRun(std::vector<std::unique_ptr<T>>& v, int64_t first, int64_t count) {
  if (first < 0 || count <= 0 || first >= static_cast<int64_t>(v.size())) return;
  int64_t end = std::min<int64_t>(first + count, static_cast<int64_t>(v.size()));
  v.erase(v.begin() + first, v.begin() + end);
}

// Moves the run [first, last] so that it starts at destination.
template <class T>
void MoveRun(std::vector<std::unique_ptr<T>>& v, int64_t first, int64_t last, int64_t dest) {
  const int64_t size = static_cast<int64_t>(v.size());
  const int64_t count = last - first + 1;
  if (first < 0 || dest < 0 || count <= 0 || dest == first) return;
  if (first >= size && dest >= size) return;
  const bool forward = dest > first;
  const int64_t at = forward ? dest + count : dest;
  if (at > size) v.resize(static_cast<size_t>(at));
  InsertNull(v, static_cast<size_t>(at), static_cast<size_t>(count));
  const int64_t runStart = forward ? first : first + count;
  const int64_t now = static_cast<int64_t>(v.size());
  for (int64_t i = 0; i < count; ++i) {
    int64_t src = runStart + i;
    if (src < now && v[static_cast<size_t>(src)]) v[static_cast<size_t>(at + i)] = std::move(v[static_cast<size_t>(src)]);
  }
  int64_t end = std::min(runStart + count, now);
  if (runStart < end) v.erase(v.begin() + runStart, v.begin() + end);
}
}  // namespace GSRuns

// Owned styles, null where nothing is stored.
class CGSStylePtrArray : public CObject {
  GS_DECLARE_CLASS(CGSStylePtrArray)
 public:
  CGSStylePtrArray() = default;
  CGSStylePtrArray(const CGSStylePtrArray& other) : CObject() { Assign(other); }
  CGSStylePtrArray& operator=(const CGSStylePtrArray& other) {
    Assign(other);
    return *this;
  }

  void FreeAll() { m_items.clear(); }
  void RemoveRun(int64_t first, int64_t count) { GSRuns::RemoveRun(m_items, first, count); }
  void MoveRun(int64_t first, int64_t last, int64_t dest) { GSRuns::MoveRun(m_items, first, last, dest); }
  // Deep copy: every style is cloned.
  void Assign(const CGSStylePtrArray& other);
  void Serialize(CArchive& ar) override;

  size_t GetSize() const { return m_items.size(); }
  CGSStyle* At(size_t i) const { return i < m_items.size() ? m_items[i].get() : nullptr; }
  std::unique_ptr<CGSStyle>& Slot(size_t i) {
    if (i >= m_items.size()) m_items.resize(i + 1);
    return m_items[i];
  }
  void InsertNull(size_t at, size_t count);
  void SetSize(size_t n) { m_items.resize(n); }

 private:
  std::vector<std::unique_ptr<CGSStyle>> m_items;
};

// Owned style arrays (the cell rows of a store).
class CGSStylePtrArrayPtrArray : public CObject {
  GS_DECLARE_CLASS(CGSStylePtrArrayPtrArray)
 public:
  CGSStylePtrArrayPtrArray() = default;
  CGSStylePtrArrayPtrArray(const CGSStylePtrArrayPtrArray& other) : CObject() { Assign(other); }
  CGSStylePtrArrayPtrArray& operator=(const CGSStylePtrArrayPtrArray& other) {
    Assign(other);
    return *this;
  }

  void FreeAll() { m_items.clear(); }
  void RemoveRun(int64_t first, int64_t count) { GSRuns::RemoveRun(m_items, first, count); }
  void MoveRun(int64_t first, int64_t last, int64_t dest) { GSRuns::MoveRun(m_items, first, last, dest); }
  void Assign(const CGSStylePtrArrayPtrArray& other);
  void Serialize(CArchive& ar) override;

  size_t GetSize() const { return m_items.size(); }
  CGSStylePtrArray* At(size_t i) const { return i < m_items.size() ? m_items[i].get() : nullptr; }
  std::unique_ptr<CGSStylePtrArray>& Slot(size_t i) {
    if (i >= m_items.size()) m_items.resize(i + 1);
    return m_items[i];
  }
  void InsertNull(size_t at, size_t count);

 private:
  std::vector<std::unique_ptr<CGSStylePtrArray>> m_items;
};

// Styles of a grid's cells, rows and columns.
class CGSData : public CObject {
  GS_DECLARE_CLASS(CGSData)
 public:
  // Kind of StoreStyle / GetStyle addressing a row or column base style.
  static constexpr int kBaseStyleKind = -1;
  // Highest row or column index the store accepts.
  static constexpr uint32_t kMaxIndex = 0x00FFFFFF;

  CGSData();
  CGSData(const CGSData& other);
  CGSData& operator=(const CGSData& other) {
    Assign(other);
    return *this;
  }
  ~CGSData() override;

  // Forwards to the serialisation implementation of the application data.
  void Serialize(CArchive& ar) override;
  virtual void FreeAll();
  virtual void Assign(const CGSData& other);
  virtual uint32_t GetRowCount() const { return m_nRows; }
  virtual uint32_t GetColCount() const { return m_nCols; }
  virtual void SetRowCount(uint32_t n);
  virtual void SetColCount(uint32_t n);
  virtual void InsertRows(uint32_t pos, uint32_t count);
  virtual void InsertCols(uint32_t pos, uint32_t count);
  virtual void RemoveRows(uint32_t first, uint32_t last);
  virtual void RemoveCols(uint32_t first, uint32_t last);
  virtual void MoveRows(uint32_t first, uint32_t last, uint32_t dest);
  virtual void MoveCols(uint32_t first, uint32_t last, uint32_t dest);
  // Stores (merges, clones, or with null removes) the style at the row and
  // column (kind -1: the row's base style, or for row 0 the column's);
  // 1, or 0 for an index beyond kMaxIndex (nothing changes then).
  virtual int StoreStyle(uint32_t row, uint32_t col, const CGSStyle* style, int mode, int kind);
  // Merges the stored style into the given one; 0 when nothing is stored there.
  virtual int GetStyle(uint32_t row, uint32_t col, CGSStyle& style, int mode, int kind) const;

  const CGSStylePtrArray& RowStyles() const { return m_rowStyles; }
  const CGSStylePtrArray& ColStyles() const { return m_colStyles; }
  const CGSStylePtrArrayPtrArray& CellStyles() const { return m_cellStyles; }

 private:
  const CGSStyle* Find(uint32_t row, uint32_t col, int kind) const;

  uint32_t m_nRows = 0;
  uint32_t m_nCols = 0;
  CGSStylePtrArray m_rowStyles;
  CGSStylePtrArray m_colStyles;
  CGSStylePtrArrayPtrArray m_cellStyles;
  CGSStyle m_style1;
  CGSStyle m_style2;
};

// One entry of the styles map: id, name and the owned style.
struct CGSStylesMapEntry {
  uint16_t id = 0;
  std::string name;
  std::unique_ptr<CGSStyle> style;
};

// Named and numbered base styles.
class CGSStylesMap : public CObject {
  GS_DECLARE_CLASS(CGSStylesMap)
 public:
  explicit CGSStylesMap(const CRuntimeClass* styleClass = &CGSStyle::classCGSStyle);
  ~CGSStylesMap() override;

  // Puts a base style in under its id and name (replacing one of that id).
  void AddBaseStyle(uint16_t id, const std::string& name, std::unique_ptr<CGSStyle> style);
  // The base style of the id, or null.
  const CGSStyle* LookupBaseStyle(uint16_t id) const;
  bool LookupBaseStyle(uint16_t id, const CGSStyle*& style) const {
    style = LookupBaseStyle(id);
    return style != nullptr;
  }
  const CGSStyle* LookupBaseStyle(const std::string& name) const;
  void FreeAll();
  // Forwards to the serialisation implementation of the application data.
  void Serialize(CArchive& ar) override;

  const CRuntimeClass* StyleClass() const { return m_styleClass; }
  const std::string& Name() const { return m_name; }

 private:
  const CRuntimeClass* m_styleClass;
  std::map<uint16_t, CGSStylesMapEntry> m_byId;
  std::map<std::string, uint16_t> m_byName;
  uint32_t m_counter = 0;
  std::string m_name = "Styles";
};
