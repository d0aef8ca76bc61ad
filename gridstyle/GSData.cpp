#include "gridstyle/GSData.h"

#include <algorithm>

#include "gridstyle/GSImplementations.h"

GS_IMPLEMENT_CLASS(CGSStylePtrArray, classCPtrArray, 0);
GS_IMPLEMENT_CLASS(CGSStylePtrArrayPtrArray, classCPtrArray, 0);
GS_IMPLEMENT_SERIAL(CGSData, CObject::classCObject, 0);
GS_IMPLEMENT_SERIAL(CGSStylesMap, CObject::classCObject, 0);

// ---------------------------------------------------------------------------
// Style arrays

void CGSStylePtrArray::Assign(const CGSStylePtrArray& other) {
  if (&other == this) return;
  std::vector<std::unique_ptr<CGSStyle>> copy(other.m_items.size());
  for (size_t i = 0; i < copy.size(); ++i)
    if (other.m_items[i]) copy[i] = other.m_items[i]->Clone();
  m_items = std::move(copy);
}

void CGSStylePtrArray::InsertNull(size_t at, size_t count) { GSRuns::InsertNull(m_items, at, count); }

void CGSStylePtrArray::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }

void CGSStylePtrArrayPtrArray::Assign(const CGSStylePtrArrayPtrArray& other) {
  if (&other == this) return;
  std::vector<std::unique_ptr<CGSStylePtrArray>> copy(other.m_items.size());
  for (size_t i = 0; i < copy.size(); ++i)
    if (other.m_items[i]) copy[i] = std::make_unique<CGSStylePtrArray>(*other.m_items[i]);
  m_items = std::move(copy);
}

void CGSStylePtrArrayPtrArray::InsertNull(size_t at, size_t count) { GSRuns::InsertNull(m_items, at, count); }

void CGSStylePtrArrayPtrArray::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }

// ---------------------------------------------------------------------------
// Style store

CGSData::CGSData() = default;

CGSData::CGSData(const CGSData& other) : CObject() { Assign(other); }

CGSData::~CGSData() = default;

void CGSData::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }

void CGSData::FreeAll() {
  m_rowStyles.FreeAll();
  m_colStyles.FreeAll();
  m_cellStyles.FreeAll();
  m_style1.Free();
  m_style2.Free();
  m_nRows = m_nCols = 0;
}

void CGSData::Assign(const CGSData& other) {
  if (&other == this) return;
  m_nRows = other.m_nRows;
  m_nCols = other.m_nCols;
  m_rowStyles.Assign(other.m_rowStyles);
  m_colStyles.Assign(other.m_colStyles);
  m_cellStyles.Assign(other.m_cellStyles);
  m_style1.Assign(other.m_style1);
  m_style2.Assign(other.m_style2);
}

void CGSData::SetRowCount(uint32_t n) {
  if (n < m_nRows) RemoveRows(n + 1, m_nRows);
  else if (n > m_nRows) InsertRows(m_nRows + 1, n - m_nRows);
}

void CGSData::SetColCount(uint32_t n) {
  if (n < m_nCols) RemoveCols(n + 1, m_nCols);
  else if (n > m_nCols) InsertCols(m_nCols + 1, n - m_nCols);
}

void CGSData::InsertRows(uint32_t pos, uint32_t count) {
  if (count == 0 || count > kMaxIndex - m_nRows) return;
  m_rowStyles.InsertNull(pos, count);
  m_cellStyles.InsertNull(pos, count);
  m_nRows += count;
}

void CGSData::InsertCols(uint32_t pos, uint32_t count) {
  if (count == 0 || count > kMaxIndex - m_nCols) return;
  m_colStyles.InsertNull(pos, count);
  for (size_t r = 0; r < m_cellStyles.GetSize(); ++r)
    if (CGSStylePtrArray* row = m_cellStyles.At(r)) row->InsertNull(pos, count);
  m_nCols += count;
}

void CGSData::RemoveRows(uint32_t first, uint32_t last) {
  if (first > m_nRows || last < first) return;
  // Rows beyond the count do not exist: the run ends at the last row.
  int64_t count = static_cast<int64_t>(std::min(last, m_nRows)) - first + 1;
  m_rowStyles.RemoveRun(first, count);
  m_cellStyles.RemoveRun(first, count);
  m_nRows -= static_cast<uint32_t>(std::min<int64_t>(count, m_nRows));
}

void CGSData::RemoveCols(uint32_t first, uint32_t last) {
  if (first > m_nCols || last < first) return;
  int64_t count = static_cast<int64_t>(std::min(last, m_nCols)) - first + 1;
  m_colStyles.RemoveRun(first, count);
  for (size_t r = 0; r < m_cellStyles.GetSize(); ++r)
    if (CGSStylePtrArray* row = m_cellStyles.At(r)) row->RemoveRun(first, count);
  m_nCols -= static_cast<uint32_t>(std::min<int64_t>(count, m_nCols));
}

void CGSData::MoveRows(uint32_t first, uint32_t last, uint32_t dest) {
  m_rowStyles.MoveRun(first, last, dest);
  m_cellStyles.MoveRun(first, last, dest);
}

void CGSData::MoveCols(uint32_t first, uint32_t last, uint32_t dest) {
  m_colStyles.MoveRun(first, last, dest);
  for (size_t r = 0; r < m_cellStyles.GetSize(); ++r)
    if (CGSStylePtrArray* row = m_cellStyles.At(r)) row->MoveRun(first, last, dest);
}

int CGSData::StoreStyle(uint32_t row, uint32_t col, const CGSStyle* style, int mode, int kind) {
  if (row > kMaxIndex || col > kMaxIndex) return 0;
  m_nRows = std::max(m_nRows, row);
  m_nCols = std::max(m_nCols, col);
  std::unique_ptr<CGSStyle>* slot = nullptr;
  if (kind == kBaseStyleKind) {
    slot = row != 0 ? &m_rowStyles.Slot(row) : &m_colStyles.Slot(col);
  } else {
    m_cellStyles.Slot(m_nRows);
    std::unique_ptr<CGSStylePtrArray>& inner = m_cellStyles.Slot(row);
    if (!inner) inner = std::make_unique<CGSStylePtrArray>();
    inner->Slot(m_nCols);
    slot = &inner->Slot(col);
  }
  if (style != nullptr) {
    if (*slot)
      (*slot)->Merge(*style, mode);
    else if (mode != gsRemove)
      *slot = style->Clone();
  } else {
    slot->reset();
  }
  CGSImplementations* impl = GSImplementations();
  if (impl != nullptr && impl->valueParser && mode != gsRemove && kind == 1 && *slot &&
      (*slot)->GetValueType() != 1 && impl->valueParser->Accept(**slot))
    (*slot)->SetValue((*slot)->GetValue(), 1);
  return 1;
}

const CGSStyle* CGSData::Find(uint32_t row, uint32_t col, int kind) const {
  if (kind == kBaseStyleKind) return row != 0 ? m_rowStyles.At(row) : m_colStyles.At(col);
  const CGSStylePtrArray* inner = m_cellStyles.At(row);
  return inner == nullptr ? nullptr : inner->At(col);
}

int CGSData::GetStyle(uint32_t row, uint32_t col, CGSStyle& style, int mode, int kind) const {
  if (row > m_nRows || col > m_nCols) return 0;
  const CGSStyle* found = Find(row, col, kind);
  if (found == nullptr) return 0;
  style.Merge(*found, mode);
  return 1;
}

// ---------------------------------------------------------------------------
// Styles map

CGSStylesMap::CGSStylesMap(const CRuntimeClass* styleClass)
    : m_styleClass(styleClass != nullptr ? styleClass : &CGSStyle::classCGSStyle) {}

CGSStylesMap::~CGSStylesMap() = default;

void CGSStylesMap::AddBaseStyle(uint16_t id, const std::string& name, std::unique_ptr<CGSStyle> style) {
  auto old = m_byId.find(id);
  if (old != m_byId.end()) m_byName.erase(old->second.name);
  CGSStylesMapEntry& e = m_byId[id];
  e.id = id;
  e.name = name;
  e.style = std::move(style);
  if (!name.empty()) m_byName[name] = id;
}

const CGSStyle* CGSStylesMap::LookupBaseStyle(uint16_t id) const {
  auto it = m_byId.find(id);
  return it == m_byId.end() ? nullptr : it->second.style.get();
}

const CGSStyle* CGSStylesMap::LookupBaseStyle(const std::string& name) const {
  auto it = m_byName.find(name);
  return it == m_byName.end() ? nullptr : LookupBaseStyle(it->second);
}

void CGSStylesMap::FreeAll() {
  m_byId.clear();
  m_byName.clear();
}

void CGSStylesMap::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }
