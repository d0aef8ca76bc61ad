#include "gridstyle/GSFont.h"

#include <algorithm>
#include <cmath>

GS_IMPLEMENT_SERIAL(CGSFont, CObject::classCObject, 0);

void GSColourRef::Split(uint32_t ref, uint32_t& kind, uint32_t& value) {
  uint32_t top = ref >> 24;
  if (top >= 65 && top <= 254) {
    kind = 3;
    value = 254 - top;
  } else {
    kind = top & 3;
    value = ref & 0xFFFFFF;
  }
}

uint32_t GSColourRef::Join(uint32_t kind, uint32_t value) {
  if (kind == 3) return (GSGetSysColor(static_cast<int>(value)) & 0xFFFFFF) | System(value);
  return (kind << 24) | (value & 0xFFFFFF);
}

// ---------------------------------------------------------------------------
// Font table

CGSFontTable::CGSFontTable()
    : m_ppiX(GSServices::Display().PixelsPerInchX()), m_ppiY(GSServices::Display().PixelsPerInchY()) {
  if (m_ppiX <= 0) m_ppiX = 96;
  if (m_ppiY <= 0) m_ppiY = 96;
  const size_t capacity = kBlockEntries * kMaxBlocks;
  std::string previous;
  for (const GSFontFace& f : GSServices::FontFaces().Faces()) {
    if (m_enumerated.size() >= capacity) break;
    if (m_scripts[f.charSet].empty()) m_scripts[f.charSet] = f.scriptName.substr(0, 31);
    GSFontTableEntry e{f.name, 0, f.pitchAndFamily, f.charSet, f.fontType};
    if (f.name != previous) m_enumerated.push_back(e);
    previous = f.name;
    if (m_enumerated.size() >= capacity) break;
    e.name = f.name + " (" + f.scriptName + ")";
    e.plainNameLength = static_cast<uint8_t>(std::min<size_t>(f.name.size(), 255));
    m_enumerated.push_back(e);
  }
  std::stable_sort(m_enumerated.begin(), m_enumerated.end(),
                   [](const GSFontTableEntry& a, const GSFontTableEntry& b) { return a.name < b.name; });
}

uint32_t CGSFontTable::FindFace(const std::string& name, uint8_t pitchAndFamily, uint8_t charSet) {
  if (name.empty()) return kGSNoFace;
  auto it = std::lower_bound(m_enumerated.begin(), m_enumerated.end(), name,
                             [](const GSFontTableEntry& e, const std::string& n) { return e.name < n; });
  if (it != m_enumerated.end() && it->name == name) {
    size_t index = static_cast<size_t>(it - m_enumerated.begin());
    return index < kGSNoFace ? static_cast<uint32_t>(index) : kGSNoFace;
  }
  auto at = std::lower_bound(m_addedSorted.begin(), m_addedSorted.end(), name,
                             [&](uint32_t i, const std::string& n) { return m_added[i].name < n; });
  if (at != m_addedSorted.end() && m_added[*at].name == name) {
    size_t index = m_enumerated.size() + *at;
    return index < kGSNoFace ? static_cast<uint32_t>(index) : kGSNoFace;
  }
  if (FaceCount() >= kGSNoFace) return kGSNoFace;
  m_added.push_back(GSFontTableEntry{name, 0, pitchAndFamily, charSet, 0});
  m_addedSorted.insert(at, static_cast<uint32_t>(m_added.size() - 1));
  return static_cast<uint32_t>(FaceCount() - 1);
}

const GSFontTableEntry* CGSFontTable::Face(uint32_t index) const {
  if (index < m_enumerated.size()) return &m_enumerated[index];
  size_t i = index - m_enumerated.size();
  if (index >= m_enumerated.size() && i < m_added.size()) return &m_added[i];
  return nullptr;
}

// ---------------------------------------------------------------------------
// Font descriptor

CGSFont::~CGSFont() { ReleaseCache(); }

void CGSFont::ReleaseCache() {
  if ((m_a & 1) == 0) return;
  uint64_t key = CacheKey();
  m_a &= ~1u;
  CGSFontTable* table = GSFontTable();
  if (table == nullptr) return;
  GSFontEntry* e = table->Cache().Find(key);
  if (e != nullptr && e->refs.fetch_sub(1) - 1 <= 0) table->Cache().Remove(key);
}

const CGSLogFont& CGSFont::GetLogFont() {
  static const CGSLogFont none;
  CGSFontTable* table = GSFontTable();
  if (table == nullptr) return none;
  GSFontEntry& e = table->Cache().FindOrInsert(CacheKey());
  if ((m_a & 1) == 0) {
    e.refs.fetch_add(1);
    m_a |= 1;
  }
  if (!e.filled) {
    e.logFont = MakeLogFont();
    e.filled = true;
  }
  return e.logFont;
}

void CGSFont::SetWeight(int weight) {
  int v = std::clamp(weight / 100, 0, static_cast<int>(kUnsetWeight));
  SetField(m_a, 4, 0xF, static_cast<uint32_t>(v));
}

void CGSFont::SetSize(double points) {
  double q = std::fabs(points * 4.0);
  uint32_t qp = (std::isfinite(q) && q < 1023.0) ? static_cast<uint32_t>(q) : 1023u;
  SetField(m_a, 8, 0x3FF, qp);
}

void CGSFont::SetStyleBit(int includeBit, int valueBit, bool on) {
  ReleaseCache();
  m_a |= 1u << includeBit;
  if (on)
    m_a |= 1u << valueBit;
  else
    m_a &= ~(1u << valueBit);
}

void CGSFont::SetFaceName(const std::string& name) {
  CGSFontTable* table = GSFontTable();
  SetFaceIndex(table == nullptr ? kGSNoFace : table->FindFace(name));
}

std::string CGSFont::GetFaceName() const {
  CGSFontTable* table = GSFontTable();
  const GSFontTableEntry* e = table == nullptr ? nullptr : table->Face(GetFaceIndex());
  return e == nullptr ? std::string() : e->name;
}

bool CGSFont::IsEmpty() const {
  return !IsWeightSet() && GetQuarterPoints() == 0 && !IsItalicSet() && !IsUnderlineSet() && !IsStrikeOutSet() &&
         !IsOrientationSet() && GetFaceIndex() == kGSNoFace;
}

void CGSFont::SetLogFont(const CGSLogFont& lf) {
  CGSFontTable* table = GSFontTable();
  int ppi = table == nullptr ? 96 : table->PixelsPerInchY();
  int32_t height = lf.height < 0 ? -lf.height : lf.height;
  // Points = |height| x 288 / ppi x 0.25, kept as quarter points.
  SetSize(GSMulDiv(height, 288, ppi) * 0.25);
  SetWeight(lf.weight);
  int32_t esc = lf.escapement;
  if (esc < 0) esc += ((-esc + 3599) / 3600) * 3600;
  SetOrientation(static_cast<uint32_t>(std::min(esc / 10, 510)));
  SetItalic(lf.italic != 0);
  SetUnderline(lf.underline != 0);
  SetStrikeOut(lf.strikeOut != 0);
  std::string face = lf.faceName;
  if (lf.charSet != 0 && lf.charSet != 1 && table != nullptr && !face.empty())
    face += " (" + table->ScriptName(lf.charSet) + ")";
  SetFaceIndex(table == nullptr ? kGSNoFace : table->FindFace(face, lf.pitchAndFamily, lf.charSet));
}

CGSLogFont CGSFont::MakeLogFont() const {
  CGSFontTable* table = GSFontTable();
  int ppi = table == nullptr ? 96 : table->PixelsPerInchY();
  CGSLogFont lf;
  lf.height = -GSMulDiv(static_cast<int32_t>(GetQuarterPoints()), ppi, 288);
  lf.weight = GetWeight();
  uint32_t degrees = IsOrientationSet() ? GetOrientation() : 0;
  lf.escapement = lf.orientation = static_cast<int32_t>(degrees * 10);
  lf.italic = IsItalicSet() && GetItalic();
  lf.underline = IsUnderlineSet() && GetUnderline();
  lf.strikeOut = IsStrikeOutSet() && GetStrikeOut();
  lf.charSet = 1;
  const GSFontTableEntry* e = table == nullptr ? nullptr : table->Face(GetFaceIndex());
  if (e != nullptr) {
    lf.faceName = e->plainNameLength != 0 ? e->name.substr(0, e->plainNameLength) : e->name;
    lf.charSet = e->charSet;
    lf.pitchAndFamily = e->pitchAndFamily;
  }
  if (degrees >= 1) lf.pitchAndFamily |= 4;
  return lf;
}

void CGSFont::Assign(const CGSFont& other) {
  if (&other == this) return;
  ReleaseCache();
  m_a = other.m_a & ~1u;  // the copy holds no cache reference
  m_b = other.m_b;
}

void CGSFont::Merge(const CGSFont& other, int mode) {
  if (mode == gsCopy) {
    Assign(other);
    return;
  }
  if (&other == this) return;
  if (mode == gsRemove) {
    if (other.IsWeightSet()) SetField(m_a, 4, 0xF, kUnsetWeight);
    if (other.IsItalicSet()) SetField(m_a, 1, 1, 0);
    if (other.IsUnderlineSet()) SetField(m_a, 2, 1, 0);
    if (other.IsStrikeOutSet()) SetField(m_a, 3, 1, 0);
    if (other.GetQuarterPoints() != 0) SetField(m_a, 8, 0x3FF, 0);
    if (other.IsOrientationSet()) SetOrientation(kUnsetOrientation);
    if (other.GetFaceIndex() != kGSNoFace) SetFaceIndex(kGSNoFace);
    return;
  }
  const bool always = mode == gsOverride;
  if (other.IsWeightSet() && (always || !IsWeightSet())) SetField(m_a, 4, 0xF, other.WeightField());
  if (other.IsItalicSet() && (always || !IsItalicSet())) SetItalic(other.GetItalic());
  if (other.IsUnderlineSet() && (always || !IsUnderlineSet())) SetUnderline(other.GetUnderline());
  if (other.IsStrikeOutSet() && (always || !IsStrikeOutSet())) SetStrikeOut(other.GetStrikeOut());
  if (other.GetQuarterPoints() != 0 && (always || GetQuarterPoints() == 0))
    SetField(m_a, 8, 0x3FF, other.GetQuarterPoints());
  if (other.IsOrientationSet() && (always || !IsOrientationSet())) SetOrientation(other.GetOrientation());
  if (other.GetFaceIndex() != kGSNoFace && (always || GetFaceIndex() == kGSNoFace)) SetFaceIndex(other.GetFaceIndex());
}
