#include "gridstyle/GSStyle.h"

#include <bitset>

#include "gridstyle/GSData.h"
#include "gridstyle/GSImplementations.h"

GS_IMPLEMENT_SERIAL(CGSStyle, CObject::classCObject, 0);

const std::array<const char*, 28> CGSStyle::kAttributeNames = {
    "HorizontalAlignment", "VerticalAlignment", "ReadOnly", "ControlId", "Interior", "TextColor", "WrapText",
    "AllowEnter", "Font", "Borders", "Top", "Left", "Bottom", "Right", "Value", "MaxLength", "VerticalScrollbar",
    "ChoicesList", "Enabled", "TriState", "Draw3dFrame", "AutoSize", "BaseStyle", "FloatCell", "FloodCell",
    "MergeCell", "Format", "Places"};

namespace {

// Bits of the attribute word that belong to each include bit (0 where the
// attribute lives elsewhere).
constexpr std::array<uint32_t, CGSStyle::kAttributeCount> kAttrMask = {
    3u << 14, 3u << 16, 1u << 2, 0, 0, 3u << 18, 1u << 4, 1u << 5, 0, 0, 7u << 20, 0, 1u << 3,
    0,        0,        1u << 6, 1u << 7, 3u, 0, 1u << 8, 0, 1u << 9, 1u << 10, 7u << 11, 0, 0};

// Bits of the format word for include bits 24 and 25.
constexpr uint32_t kFormatMask24 = 0x1F;
constexpr uint32_t kFormatMask25 = 0x1E0;

bool IsFlagBit(int bit) {
  switch (bit) {
    case 2: case 7: case 12: case 15: case 16: case 19: case 21: case 22:
      return true;
    default:
      return false;
  }
}

int FieldShift(int bit) {
  switch (bit) {
    case 17: return 0;
    case 23: return 11;
    case 24: return 0;
    case 25: return 5;
    default: return -1;
  }
}

}  // namespace

void CGSBrush::SetColor(uint32_t colourRef) {
  uint32_t kind = 0, value = 0;
  GSColourRef::Split(colourRef, kind, value);
  w0 = (w0 & 0xCF & 0xFF) | (kind << 4) | (value << 8);
}

void CGSPen::SetColor(uint32_t colourRef) {
  uint32_t kind = 0, value = 0;
  GSColourRef::Split(colourRef, kind, value);
  w1 = (w1 & 0xFC000000u) | (kind << 24) | value;
}

CGSStyle::CGSStyle() = default;

CGSStyle::CGSStyle(const CGSStyle& other) : CObject() { Assign(other); }

CGSStyle::~CGSStyle() = default;

void CGSStyle::Serialize(CArchive& ar) { GSForwardSerialize(*this, ar); }

std::unique_ptr<CGSStyle> CGSStyle::Clone() const { return std::make_unique<CGSStyle>(*this); }

void CGSStyle::Free() {
  m_borders.reset();
  m_font.reset();
  m_userAttributes.reset();
  m_value.clear();
  m_choiceList.clear();
  m_itemData = 0;
  m_include &= ~kIncludeMask;
}

void CGSStyle::SetDefault() {
  Free();
  SetHorizontalAlignment(0);
  SetVerticalAlignment(0);
  SetFlag(incFlag2, false);
  SetControl(kDefaultControl);
  CGSBrush brush;
  brush.Reset();
  brush.SetColor(GSColourRef::System(5));
  SetInterior(brush);
  SetTextColor(GSColourRef::System(8));
  SetWrapText(true);
  SetFlag(incFlag7, false);
  // The system's GUI font on a double-byte platform, else an "Arial" font.
  CGSLogFont lf;
  lf.faceName = "Arial";
  if (GSServices::Display().DoubleByteCharSet()) {
    if (auto gui = GSServices::Display().DefaultGuiFont()) lf = *gui;
  }
  CGSFont font;
  font.SetLogFont(lf);
  SetFont(font, gsCopy);
  SetValue("", 0);
  SetChoiceList("");
  SetFlag(incFlag12, false);
  SetSmallValue(0);
  SetFlag(incFlag15, true);
  SetFlag(incFlag16, false);
  SetSmallField(incValue2Bit, 0);
  SetFlag(incFlag19, false);
  SetItemData(0);
  SetFlag(incFlag21, true);
  SetFlag(incFlag22, true);
  SetSmallField(incValue3Bit, 0);
  SetSmallField(incFormat5Bit, 0);
  SetSmallField(incFormat4Bit, 13);
}

void CGSStyle::SetHorizontalAlignment(int align) {
  uint32_t v = (align == 1 || align == 2) ? static_cast<uint32_t>(align) : 0;
  SetAttrBits(incHorzAlign, 3u << 14, v << 14);
}

void CGSStyle::SetVerticalAlignment(int align) {
  uint32_t v = align == 4 ? 1u : align == 8 ? 2u : 0u;
  SetAttrBits(incVertAlign, 3u << 16, v << 16);
}

int CGSStyle::GetVerticalAlignment() const {
  uint32_t v = (m_attr >> 16) & 3;
  return (v & 1) ? 4 : (v & 2) ? 8 : 0;
}

void CGSStyle::SetInterior(uint32_t colourRef) {
  m_interior.SetColor(colourRef);
  Include(incInterior);
}

void CGSStyle::SetTextColor(uint32_t colourRef) {
  uint32_t kind = 0, value = 0;
  GSColourRef::Split(colourRef, kind, value);
  m_attr = (m_attr & ~(3u << 18)) | (kind << 18);
  m_textColor = (m_textColor & 0xFF000000u) | value;
  Include(incTextColor);
}

uint32_t CGSStyle::GetTextColor() const { return GSColourRef::Join((m_attr >> 18) & 3, m_textColor & 0xFFFFFF); }

void CGSStyle::SetFlag(int includeBit, bool on) {
  if (includeBit < 0 || includeBit >= kAttributeCount || !IsFlagBit(includeBit)) return;
  uint32_t mask = kAttrMask[static_cast<size_t>(includeBit)];
  SetAttrBits(includeBit, mask, on ? mask : 0);
}

bool CGSStyle::GetFlag(int includeBit) const {
  if (includeBit < 0 || includeBit >= kAttributeCount || !IsFlagBit(includeBit)) return false;
  return (m_attr & kAttrMask[static_cast<size_t>(includeBit)]) != 0;
}

void CGSStyle::SetSmallField(int includeBit, uint32_t value) {
  int shift = FieldShift(includeBit);
  if (shift < 0) return;
  if (includeBit == incFormat5Bit || includeBit == incFormat4Bit) {
    uint32_t mask = includeBit == incFormat5Bit ? kFormatMask24 : kFormatMask25;
    m_format = (m_format & ~mask) | ((value << shift) & mask);
    Include(includeBit);
    return;
  }
  uint32_t mask = kAttrMask[static_cast<size_t>(includeBit)];
  SetAttrBits(includeBit, mask, value << shift);
}

uint32_t CGSStyle::GetSmallField(int includeBit) const {
  int shift = FieldShift(includeBit);
  if (shift < 0) return 0;
  if (includeBit == incFormat5Bit) return m_format & kFormatMask24;
  if (includeBit == incFormat4Bit) return (m_format & kFormatMask25) >> 5;
  return (m_attr & kAttrMask[static_cast<size_t>(includeBit)]) >> shift;
}

void CGSStyle::SetBaseStyle(uint8_t id) {
  m_textColor = (m_textColor & 0x00FFFFFFu) | (static_cast<uint32_t>(id) << 24);
  Include(incBaseStyle);
}

void CGSStyle::SetValue(const std::string& text, uint32_t valueType) {
  m_value = text;
  m_attr = (m_attr & ~(7u << 20)) | ((valueType & 7) << 20);
  Include(incValue);
}

void CGSStyle::SetBorders(const CGSPen* fourSides) {
  if (fourSides == nullptr) {
    m_borders.reset();
    Exclude(incBorders);
    return;
  }
  m_borders = std::make_unique<std::array<CGSPen, 4>>();
  for (size_t i = 0; i < 4; ++i) (*m_borders)[i] = fourSides[i];
  Include(incBorders);
}

void CGSStyle::SetBorder(int side, const CGSPen& pen) {
  if (side < -1 || side > 3) return;
  if (!m_borders) m_borders = std::make_unique<std::array<CGSPen, 4>>();
  for (int i = 0; i < 4; ++i) {
    if (side != -1 && side != i) continue;
    CGSPen& p = (*m_borders)[static_cast<size_t>(i)];
    p = pen;
    p.MarkSet();
  }
  Include(incBorders);
}

void CGSStyle::UnsetBorder(int side) {
  if (side < -1 || side > 3 || !m_borders) return;
  for (int i = 0; i < 4; ++i)
    if (side == -1 || side == i) (*m_borders)[static_cast<size_t>(i)].MarkUnset();
}

const CGSPen* CGSStyle::GetBorder(int side) const {
  if (!m_borders || side < 0 || side > 3) return nullptr;
  return &(*m_borders)[static_cast<size_t>(side)];
}

void CGSStyle::SetFont(const CGSFont& font, int mode) {
  if (m_font) {
    m_font->Merge(font, mode);
  } else {
    if (mode == gsRemove) return;
    m_font = std::make_unique<CGSFont>(font);
  }
  Include(incFont);
}

void CGSStyle::SetUserAttributes(std::unique_ptr<CGSUserAttributeMap> map) {
  m_userAttributes = std::move(map);
  if (m_userAttributes)
    Include(incUserAttributes);
  else
    Exclude(incUserAttributes);
}

const CGSAbstractUserAttribute& CGSStyle::GetUserAttribute(uint16_t id) const {
  if (m_userAttributes) {
    if (const CGSAbstractUserAttribute* a = m_userAttributes->Get(id)) return *a;
  }
  return GSEmptyUserAttribute();
}

bool CGSStyle::HasUserAttribute(uint16_t id) const {
  return m_userAttributes && m_userAttributes->Get(id) != nullptr;
}

void CGSStyle::Assign(const CGSStyle& other) {
  if (&other == this) return;
  if (other.IsEmpty()) {
    Free();
    return;
  }
  m_include = (m_include & ~kIncludeMask) | (other.m_include & kIncludeMask);
  m_interior = other.m_interior;
  m_smallValue = other.m_smallValue;
  m_control = other.m_control;
  m_itemData = other.m_itemData;
  m_attr = other.m_attr;
  m_textColor = other.m_textColor;
  m_format = other.m_format;
  m_value = other.IsIncluded(incValue) ? other.m_value : std::string();
  m_choiceList = other.IsIncluded(incChoiceList) ? other.m_choiceList : std::string();
  if (other.IsIncluded(incBorders) && other.m_borders)
    m_borders = std::make_unique<std::array<CGSPen, 4>>(*other.m_borders);
  else
    m_borders.reset();
  if (other.IsIncluded(incFont) && other.m_font)
    m_font = std::make_unique<CGSFont>(*other.m_font);
  else
    m_font.reset();
  m_userAttributes = other.m_userAttributes ? other.m_userAttributes->Clone() : nullptr;
}

void CGSStyle::TakeAttribute(const CGSStyle& other, int bit, int mode) {
  const size_t b = static_cast<size_t>(bit);
  // A composite attribute that is not included starts afresh.
  if (!IsIncluded(bit)) {
    if (bit == incBorders) m_borders.reset();
    if (bit == incFont) m_font.reset();
    if (bit == incUserAttributes) m_userAttributes.reset();
  }
  switch (bit) {
    case incControl:
      m_control = other.m_control;
      break;
    case incInterior:
      m_interior = other.m_interior;
      break;
    case incTextColor:
      m_attr = (m_attr & ~kAttrMask[b]) | (other.m_attr & kAttrMask[b]);
      m_textColor = (m_textColor & 0xFF000000u) | (other.m_textColor & 0x00FFFFFFu);
      break;
    case incBorders: {
      if (!other.m_borders) break;
      if (!m_borders) m_borders = std::make_unique<std::array<CGSPen, 4>>();
      for (size_t i = 0; i < 4; ++i) {
        const CGSPen& theirs = (*other.m_borders)[i];
        if (!theirs.IsSet()) continue;
        if (mode == gsFillIn && IsIncluded(incBorders) && (*m_borders)[i].IsSet()) continue;
        (*m_borders)[i] = theirs;
      }
      break;
    }
    case incFont:
      if (!other.m_font) break;
      if (m_font)
        m_font->Merge(*other.m_font, mode);
      else
        m_font = std::make_unique<CGSFont>(*other.m_font);
      break;
    case incValue:
      m_value = other.m_value;
      m_attr = (m_attr & ~kAttrMask[b]) | (other.m_attr & kAttrMask[b]);
      break;
    case incChoiceList:
      m_choiceList = other.m_choiceList;
      break;
    case incSmallValue:
      m_smallValue = other.m_smallValue;
      break;
    case incBaseStyle:
      m_textColor = (m_textColor & 0x00FFFFFFu) | (other.m_textColor & 0xFF000000u);
      break;
    case incUserAttributes:
      if (!other.m_userAttributes) break;
      if (!m_userAttributes) m_userAttributes = std::make_unique<CGSUserAttributeMap>();
      m_userAttributes->Merge(*other.m_userAttributes, mode);
      break;
    case incItemData:
      m_itemData = other.m_itemData;
      break;
    case incFormat5Bit:
      m_format = (m_format & ~kFormatMask24) | (other.m_format & kFormatMask24);
      break;
    case incFormat4Bit:
      m_format = (m_format & ~kFormatMask25) | (other.m_format & kFormatMask25);
      break;
    default:
      m_attr = (m_attr & ~kAttrMask[b]) | (other.m_attr & kAttrMask[b]);
      break;
  }
  Include(bit);
}

void CGSStyle::RemoveAttribute(const CGSStyle& other, int bit) {
  switch (bit) {
    case incBorders:
      if (m_borders && other.m_borders)
        for (size_t i = 0; i < 4; ++i)
          if ((*other.m_borders)[i].IsSet()) (*m_borders)[i].MarkUnset();
      break;
    case incFont:
      if (m_font && other.m_font) m_font->Merge(*other.m_font, gsRemove);
      break;
    case incValue:
      m_value.clear();
      break;
    case incUserAttributes:
      if (m_userAttributes && other.m_userAttributes && !other.m_userAttributes->IsEmpty())
        m_userAttributes->Merge(*other.m_userAttributes, gsRemove);
      break;
    default:
      break;
  }
  Exclude(bit);
}

void CGSStyle::Merge(const CGSStyle& other, int mode) {
  if (&other == this || mode < gsOverride || mode > gsRemove) return;
  if (mode == gsCopy || IsEmpty()) {
    Assign(other);
    return;
  }
  if (other.IsEmpty()) return;
  for (int bit = 0; bit < kAttributeCount; ++bit) {
    if (!other.IsIncluded(bit)) continue;
    if (mode == gsRemove) {
      RemoveAttribute(other, bit);
      continue;
    }
    const bool composite = bit == incBorders || bit == incFont || bit == incUserAttributes;
    if (mode == gsOverride || !IsIncluded(bit) || composite) TakeAttribute(other, bit, mode);
  }
}

const CGSStyle* CGSStyle::ResolveBaseStyles(const CGSStylesMap& map) {
  std::bitset<256> seen;
  const CGSStyle* current = this;
  while (current->IsIncluded(incBaseStyle)) {
    uint8_t id = current->GetBaseStyle();
    if (seen.test(id)) break;
    seen.set(id);
    const CGSStyle* base = map.LookupBaseStyle(id);
    if (base == nullptr) break;
    Merge(*base, gsFillIn);
    current = base;
  }
  return current;
}
