#include "gridstyle/GSRangeList.h"

#include <algorithm>

#include "gridstyle/GSArchive.h"

GS_IMPLEMENT_SERIAL(CGSRangeList, classCPtrList, 1);

CGSRange::CGSRange(uint32_t r1, uint32_t c1, uint32_t r2, uint32_t c2)
    : kind(0),
      top(std::min(r1, r2)),
      left(std::min(c1, c2)),
      bottom(std::max(r1, r2)),
      right(std::max(c1, c2)),
      valid(1) {}

void CGSRangeList::DropInvalid() {
  m_list.remove_if([](const CGSRange& r) { return r.valid == 0; });
}

void CGSRangeList::Assign(const CGSRangeList& other) {
  if (&other == this) return;
  m_list.clear();
  for (const CGSRange& r : other.m_list) {
    if (r.valid != 0) m_list.push_front(r);
  }
}

void CGSRangeList::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteU16(kVersion);
    DropInvalid();
    ar.WriteU32(static_cast<uint32_t>(m_list.size()));
    for (const CGSRange& r : m_list) {
      ar.WriteU32(r.top);
      ar.WriteU32(r.left);
      ar.WriteU32(r.bottom);
      ar.WriteU32(r.right);
      ar.WriteU8(static_cast<uint8_t>(r.kind));
      ar.WriteU8(static_cast<uint8_t>(r.valid));
    }
    return;
  }
  uint16_t version = ar.ReadU16();
  if (version != kVersion)
    CArchive::Throw(CArchiveException::badSchema, "range list of version " + std::to_string(version));
  uint32_t count = ar.ReadU32();
  ar.CheckCount(count, kStoredRangeBytes);
  // Read everything first: a damaged archive leaves the list as it was.
  List read;
  for (uint32_t i = 0; i < count; ++i) {
    CGSRange r;
    r.top = ar.ReadU32();
    r.left = ar.ReadU32();
    r.bottom = ar.ReadU32();
    r.right = ar.ReadU32();
    r.kind = ar.ReadU8();
    r.valid = ar.ReadU8();
    read.push_back(r);
  }
  m_list.splice(m_list.end(), read);
}
