// The cell style: optional cell attributes, each included or absent, that
// are layered by merging.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "gridstyle/GSFont.h"
#include "gridstyle/GSObject.h"
#include "gridstyle/GSUserAttribute.h"

class CGSStylesMap;

// Brush descriptor (8 bytes): first word bits 4-5 colour kind, bits 8-31
// colour value.
struct CGSBrush {
  uint32_t w0 = 0;
  uint32_t w1 = 0;
  void Reset() {
    w0 &= 0x8;
    w1 = 0x3FFFFFFF;
  }
  void SetColor(uint32_t colourRef);
  uint32_t GetColor() const { return GSColourRef::Join((w0 >> 4) & 3, w0 >> 8); }
  bool operator==(const CGSBrush&) const = default;
};

// Pen descriptor of one border side (8 bytes): first word bits 0-2 pen
// style, 7 meaning the side is not set; second word bits 0-23 colour value,
// bits 24-25 colour kind.
struct CGSPen {
  uint32_t w0 = 15;  // style 7 (not set), bit 3 set
  uint32_t w1 = 0;
  uint32_t GetStyle() const { return w0 & 7; }
  void SetStyle(uint32_t style) { w0 = (w0 & ~7u) | (style & 7); }
  bool IsSet() const { return GetStyle() != 7; }
  // Marks the side set (a style of 7 becomes 0) or unset (7 or-ed in).
  void MarkSet() {
    if (GetStyle() == 7) SetStyle(0);
  }
  void MarkUnset() { w0 |= 7; }
  void SetColor(uint32_t colourRef);
  uint32_t GetColor() const { return GSColourRef::Join((w1 >> 24) & 3, w1 & 0xFFFFFF); }
  bool operator==(const CGSPen&) const = default;
};

class CGSStyle : public CObject {
  GS_DECLARE_CLASS(CGSStyle)
 public:
  // Include bits, one per attribute.
  enum Include : int {
    incHorzAlign = 0,
    incVertAlign = 1,
    incFlag2 = 2,
    incControl = 3,
    incInterior = 4,
    incTextColor = 5,
    incWrapText = 6,
    incFlag7 = 7,
    incBorders = 8,
    incFont = 9,
    incValue = 10,
    incChoiceList = 11,
    incFlag12 = 12,
    incSmallValue = 13,
    incBaseStyle = 14,
    incFlag15 = 15,
    incFlag16 = 16,
    incValue2Bit = 17,
    incUserAttributes = 18,
    incFlag19 = 19,
    incItemData = 20,
    incFlag21 = 21,
    incFlag22 = 22,
    incValue3Bit = 23,
    incFormat5Bit = 24,
    incFormat4Bit = 25,
    kAttributeCount = 26,
  };
  static constexpr uint32_t kIncludeMask = (1u << kAttributeCount) - 1;
  static constexpr uint16_t kDefaultControl = 52512;
  // The attribute names of the class (not read by any operation).
  static const std::array<const char*, 28> kAttributeNames;

  CGSStyle();
  CGSStyle(const CGSStyle& other);
  CGSStyle& operator=(const CGSStyle& other) {
    Assign(other);
    return *this;
  }
  ~CGSStyle() override;

  // Forwards to the serialisation implementation of the application data
  // (none is installed: nothing is read or written).
  void Serialize(CArchive& ar) override;
  virtual std::unique_ptr<CGSStyle> Clone() const;
  // Value := text, value type 0.
  virtual void SetValueFromText(const std::string& text) { SetValue(text, 0); }
  virtual void Assign(const CGSStyle& other);
  // Frees the style and includes every attribute except borders, base style
  // and user attributes, with their defaults.
  virtual void SetDefault();
  // Merges the base styles of the chain into this style (fill in) and
  // returns the last style reached; every id is visited once, so a cycle in
  // the map ends the walk.
  virtual const CGSStyle* ResolveBaseStyles(const CGSStylesMap& map);
  virtual void Merge(const CGSStyle& other, int mode);
  // Releases borders, font and user attributes, empties both texts, item
  // data 0, no attribute included.
  virtual void Free();

  uint32_t GetIncludeWord() const { return m_include; }
  bool IsIncluded(int bit) const { return (m_include >> bit) & 1; }
  bool IsEmpty() const { return (m_include & kIncludeMask) == 0; }
  // Drops one attribute from the style.
  void Exclude(int bit) { m_include &= ~(1u << bit); }
  uint32_t GetAttributeWord() const { return m_attr; }
  uint32_t GetTextColorWord() const { return m_textColor; }
  uint32_t GetFormatWord() const { return m_format; }

  // 0 left, 1 centre, 2 right (anything else is stored as left).
  void SetHorizontalAlignment(int align);
  int GetHorizontalAlignment() const { return static_cast<int>((m_attr >> 14) & 3); }
  // 0 top, 4 centre, 8 bottom (anything else is stored as top).
  void SetVerticalAlignment(int align);
  int GetVerticalAlignment() const;
  void SetControl(uint16_t id) { m_control = id, Include(incControl); }
  uint16_t GetControl() const { return m_control; }
  void SetInterior(uint32_t colourRef);
  void SetInterior(const CGSBrush& brush) { m_interior = brush, Include(incInterior); }
  const CGSBrush& GetInterior() const { return m_interior; }
  void SetTextColor(uint32_t colourRef);
  // The text colour as a colour reference (a system colour with its current value).
  uint32_t GetTextColor() const;
  void SetWrapText(bool on) { SetAttrBits(incWrapText, 1u << 4, on ? 1u << 4 : 0); }
  bool GetWrapText() const { return (m_attr >> 4) & 1; }
  // The flag attributes (include bits 2, 7, 12, 15, 16, 19, 21, 22); other bits are ignored.
  void SetFlag(int includeBit, bool on);
  bool GetFlag(int includeBit) const;
  // The 2-, 3-, 5- and 4-bit values (include bits 17, 23, 24, 25).
  void SetSmallField(int includeBit, uint32_t value);
  uint32_t GetSmallField(int includeBit) const;
  void SetSmallValue(uint16_t v) { m_smallValue = v, Include(incSmallValue); }
  uint16_t GetSmallValue() const { return m_smallValue; }
  void SetBaseStyle(uint8_t id);
  uint8_t GetBaseStyle() const { return static_cast<uint8_t>(m_textColor >> 24); }
  void SetItemData(uint32_t v) { m_itemData = v, Include(incItemData); }
  uint32_t GetItemData() const { return m_itemData; }

  void SetValue(const std::string& text, uint32_t valueType = 0);
  const std::string& GetValue() const { return m_value; }
  uint32_t GetValueType() const { return (m_attr >> 20) & 7; }
  void SetChoiceList(const std::string& text) { m_choiceList = text, Include(incChoiceList); }
  const std::string& GetChoiceList() const { return m_choiceList; }

  // Four sides, or null to clear the borders.
  void SetBorders(const CGSPen* fourSides);
  // One side 0 to 3, or all four with -1; other indexes do nothing. The side
  // is marked set.
  void SetBorder(int side, const CGSPen& pen);
  // Marks one side (or all with -1) unset.
  void UnsetBorder(int side);
  // The side, or null without borders or for an index out of range.
  const CGSPen* GetBorder(int side) const;

  // Without a font the style takes a copy (except in mode 3); with one the
  // given font is merged in the given mode.
  void SetFont(const CGSFont& font, int mode = gsOverride);
  const CGSFont* GetFont() const { return m_font.get(); }
  CGSFont* GetFont() { return m_font.get(); }

  void SetUserAttributes(std::unique_ptr<CGSUserAttributeMap> map);
  const CGSUserAttributeMap* GetUserAttributes() const { return m_userAttributes.get(); }
  // The attribute of the id, or the shared empty attribute.
  const CGSAbstractUserAttribute& GetUserAttribute(uint16_t id) const;
  bool HasUserAttribute(uint16_t id) const;

 private:
  void Include(int bit) { m_include |= 1u << bit; }
  void SetAttrBits(int includeBit, uint32_t mask, uint32_t bits) {
    m_attr = (m_attr & ~mask) | (bits & mask);
    Include(includeBit);
  }
  void TakeAttribute(const CGSStyle& other, int bit, int mode);
  void RemoveAttribute(const CGSStyle& other, int bit);

  uint32_t m_include = 0;
  uint16_t m_smallValue = 0;
  CGSBrush m_interior;
  uint16_t m_control = kDefaultControl;
  uint32_t m_attr = 0;
  uint32_t m_textColor = 0;
  uint32_t m_format = 0;
  std::unique_ptr<std::array<CGSPen, 4>> m_borders;
  std::unique_ptr<CGSFont> m_font;
  std::string m_value;
  std::string m_choiceList;
  std::unique_ptr<CGSUserAttributeMap> m_userAttributes;
  uint32_t m_itemData = 0;
};
