// Cell ranges and the range list.
#pragma once

#include <cstdint>
#include <list>

#include "gridstyle/GSObject.h"

// A rectangular block of cells (24 bytes of plain value).
struct CGSRange {
  int32_t kind = 0;  // 0 for an ordinary cell range; only the low byte is archived
  uint32_t top = 0;
  uint32_t left = 0;
  uint32_t bottom = 0;
  uint32_t right = 0;
  int32_t valid = 0;  // only the low byte is archived

  CGSRange() = default;
  // From two corners in any order: an ordinary, valid range.
  CGSRange(uint32_t r1, uint32_t c1, uint32_t r2, uint32_t c2);
  bool operator==(const CGSRange&) const = default;
};

// A list of owned cell ranges (archive schema 1).
class CGSRangeList : public CObject {
  GS_DECLARE_CLASS(CGSRangeList)
 public:
  using List = std::list<CGSRange>;

  CGSRangeList() = default;
  CGSRangeList(const CGSRangeList& other) : CObject() { Assign(other); }
  CGSRangeList& operator=(const CGSRangeList& other) {
    Assign(other);
    return *this;
  }

  void FreeAll() { m_list.clear(); }
  void AddHead(const CGSRange& r) { m_list.push_front(r); }
  void AddTail(const CGSRange& r) { m_list.push_back(r); }
  // Removes one node (its range is destroyed with it).
  List::iterator RemoveAt(List::const_iterator pos) { return m_list.erase(pos); }
  // Removes every range whose valid flag is 0.
  void DropInvalid();
  // This list becomes a copy of the other's valid ranges, each added at the
  // head, so in reverse order.
  void Assign(const CGSRangeList& other);
  void Serialize(CArchive& ar) override;

  const List& Ranges() const { return m_list; }
  size_t GetCount() const { return m_list.size(); }

  static constexpr uint16_t kVersion = 1;
  static constexpr size_t kStoredRangeBytes = 18;

 private:
  List m_list;
};
