#include "gridstyle/GSUserAttribute.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>

#include "gridstyle/GSArchive.h"

GS_IMPLEMENT_SERIAL(CGSAbstractUserAttribute, CObject::classCObject, 0);
GS_IMPLEMENT_SERIAL(CGSUserAttributeMap, classCObArray, 0);

namespace {

// Skips leading white space and a plus sign, as the C conversions do.
const char* NumberStart(const std::string& s) {
  const char* p = s.c_str();
  while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (*p == '+' && p[1] != '-') ++p;
  return p;
}

}  // namespace

void CGSAbstractUserAttribute::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    ar.WriteString(GetValue());
  else
    SetValue(ar.ReadString());
}

CGSAbstractUserAttribute& CGSAbstractUserAttribute::SetValue(const std::string&) { return *this; }

const std::string& CGSAbstractUserAttribute::GetValue() const {
  static const std::string empty;
  return empty;
}

int32_t CGSAbstractUserAttribute::GetLong() const {
  const std::string& s = GetValue();
  const char* p = NumberStart(s);
  long long v = 0;
  auto r = std::from_chars(p, s.c_str() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) return *p == '-' ? INT32_MIN : INT32_MAX;
  if (r.ec != std::errc()) return 0;
  return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

double CGSAbstractUserAttribute::GetDouble() const {
  const std::string& s = GetValue();
  const char* p = NumberStart(s);
  double v = 0;
  auto r = std::from_chars(p, s.c_str() + s.size(), v);
  return r.ec == std::errc() ? v : 0.0;
}

std::unique_ptr<CGSUserAttributeMap> CGSUserAttributeMap::Clone() const {
  auto copy = std::make_unique<CGSUserAttributeMap>();
  for (const auto& a : m_items) {
    if (auto c = a->Clone()) {
      c->m_nId = a->m_nId;
      copy->m_items.push_back(std::move(c));
    }
  }
  return copy;
}

int CGSUserAttributeMap::FindIndex(uint16_t id) const {
  auto it = std::lower_bound(m_items.begin(), m_items.end(), id,
                             [](const auto& a, uint16_t v) { return a->m_nId < v; });
  if (it == m_items.end() || (*it)->m_nId != id) return -1;
  return static_cast<int>(it - m_items.begin());
}

CGSAbstractUserAttribute* CGSUserAttributeMap::Get(uint16_t id) const {
  int i = FindIndex(id);
  return i < 0 ? nullptr : m_items[static_cast<size_t>(i)].get();
}

void CGSUserAttributeMap::Set(std::unique_ptr<CGSAbstractUserAttribute> attr) {
  if (!attr) return;
  int i = FindIndex(attr->m_nId);
  if (i >= 0) {
    m_items[static_cast<size_t>(i)] = std::move(attr);
    return;
  }
  m_items.push_back(std::move(attr));
  SortById();
}

bool CGSUserAttributeMap::Remove(uint16_t id) {
  int i = FindIndex(id);
  if (i < 0) return false;
  m_items.erase(m_items.begin() + i);
  return true;
}

void CGSUserAttributeMap::SortById() {
  std::stable_sort(m_items.begin(), m_items.end(), [](const auto& a, const auto& b) { return a->m_nId < b->m_nId; });
}

void CGSUserAttributeMap::Merge(const CGSUserAttributeMap& other, int mode) {
  if (&other == this || mode < 0 || mode > 3) return;
  if (mode == 3) {
    for (const auto& a : other.m_items) Remove(a->m_nId);
    return;
  }
  if (mode == 2) {
    m_items.clear();
    mode = 0;
  }
  std::vector<std::unique_ptr<CGSAbstractUserAttribute>> added;
  for (const auto& a : other.m_items) {
    int i = FindIndex(a->m_nId);
    if (mode == 1 && i >= 0) continue;
    auto c = a->Clone();
    if (!c) continue;  // an attribute that cannot be copied is not taken
    c->m_nId = a->m_nId;
    if (i >= 0)
      m_items[static_cast<size_t>(i)] = std::move(c);
    else
      added.push_back(std::move(c));
  }
  for (auto& c : added) m_items.push_back(std::move(c));
  SortById();
}

void CGSUserAttributeMap::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    if (m_items.size() > 0xFFFF)
      CArchive::Throw(CArchiveException::genericException,
                      "a user attribute map of " + std::to_string(m_items.size()) +
                          " entries cannot be archived (at most 65535)");
    ar.WriteU16(static_cast<uint16_t>(m_items.size()));
    for (const auto& a : m_items) {
      ar.WriteObject(a.get());
      ar.WriteU16(a->m_nId);
    }
    return;
  }
  uint16_t count = ar.ReadU16();
  ar.CheckCount(count, 4);  // at least an object's name length and the id
  std::vector<std::unique_ptr<CGSAbstractUserAttribute>> read;
  read.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    std::unique_ptr<CObject> obj = ar.ReadObject(&CGSAbstractUserAttribute::classCGSAbstractUserAttribute);
    if (!obj) CArchive::Throw(CArchiveException::badClass, "a user attribute map holds a null attribute");
    std::unique_ptr<CGSAbstractUserAttribute> attr(static_cast<CGSAbstractUserAttribute*>(obj.release()));
    attr->m_nId = ar.ReadU16();
    read.push_back(std::move(attr));
  }
  // Sorted by id; of a repeated id the later one is kept.
  std::stable_sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a->m_nId < b->m_nId; });
  std::vector<std::unique_ptr<CGSAbstractUserAttribute>> unique;
  for (auto& a : read) {
    if (!unique.empty() && unique.back()->m_nId == a->m_nId)
      unique.back() = std::move(a);
    else
      unique.push_back(std::move(a));
  }
  m_items = std::move(unique);
}
