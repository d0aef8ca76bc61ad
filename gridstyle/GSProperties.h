// Records that describe a whole grid: its properties (display and print
// settings, colours, user properties, page header and footer) and its
// parameter block.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gridstyle/GSAppData.h"
#include "gridstyle/GSData.h"
#include "gridstyle/GSMaps.h"
#include "gridstyle/GSObject.h"
#include "gridstyle/GSRangeList.h"
#include "gridstyle/GSStyle.h"

// A user-defined property: id, name and its owned style.
struct CGSUserPropertyEntry {
  uint16_t id = 0;
  std::string name;
  std::unique_ptr<CGSStyle> style;
};

class CGSProperties : public CObject {
  GS_DECLARE_CLASS(CGSProperties)
 public:
  // Resource ids of the five texts the properties load.
  static constexpr std::array<uint32_t, 5> kTextIds = {51006, 51007, 51008, 51009, 20059};
  static constexpr uint16_t kChoiceProperty = 51005;
  static constexpr uint16_t kChoiceControl = 52529;
  // The property names of the class; only "Grid" is used, as the name.
  static const std::array<const char*, 20> kPropertyNames;

  CGSProperties();
  ~CGSProperties() override;

  // Forwards to the serialisation implementation of the application data.
  void Serialize(CArchive& ar) override;
  // Defines user property 51005: a choice control whose value is the first
  // loaded text and whose choice list is the five texts, one a line.
  virtual void DefineUserProperties();

  // The colour's index: an existing name keeps its index and value, a new
  // one is appended. The name is the resource string or "COLOR%u".
  int AddColor(uint32_t nameId, uint32_t colourRef);
  // Stores a copy of the style under the id (replacing the style of an
  // existing entry); a new entry is named by the resource string or "USERPROP%u".
  void AddUserProperty(uint16_t id, const CGSStyle& style);
  const CGSUserPropertyEntry* GetUserProperty(uint16_t id) const;
  // Appends a page token and returns its index.
  int AddPageToken(const std::string& token);
  // Empties the colour arrays and destroys every user property.
  void Free();
  // Black text on white: the sixth display switch and the eighth print switch.
  bool BlackAndWhite() const { return m_display[5] && m_print[7]; }

  CGSAppData* m_pAppData;
  std::array<std::string, 5> m_texts;
  CGSStyle m_style;
  std::vector<std::string> m_pageTokens;
  std::vector<std::string> m_texts2;
  std::map<uint16_t, CGSUserPropertyEntry> m_userProperties;
  std::array<bool, 6> m_display = {true, true, true, true, true, false};
  std::string m_name;
  std::vector<std::string> m_colorNames;
  std::vector<uint32_t> m_colorValues;
  int32_t m_nValue100 = 100;
  std::array<int32_t, 4> m_margins{};
  std::array<bool, 9> m_print = {true, false, true, true, true, true, false, true, true};
  std::array<int32_t, 2> m_distances{};
  int32_t m_nFirstPage = -1;
  CGSData m_header;
  CGSData m_footer;
  std::vector<uint32_t> m_array1;
  std::vector<uint32_t> m_array2;
};

// An owned object with a flag telling whether it is owned.
struct CGSFlaggedObject {
  CObject* object = nullptr;
  bool owned = false;
  CGSFlaggedObject() = default;
  CGSFlaggedObject(const CGSFlaggedObject&) = delete;
  CGSFlaggedObject& operator=(const CGSFlaggedObject&) = delete;
  ~CGSFlaggedObject() {
    if (owned) delete object;
  }
};

// The grid's parameter block (archive schema 1).
class CGSGridParam : public CObject {
  GS_DECLARE_CLASS(CGSGridParam)
 public:
  CGSGridParam();
  ~CGSGridParam() override;
  // Forwards to the serialisation implementation of the application data.
  void Serialize(CArchive& ar) override;

  CGSAppData* m_pAppData;
  std::string m_text;
  std::array<CGSRangeList, 4> m_ranges;
  std::list<std::unique_ptr<CObject>> m_objectList1;
  std::list<std::unique_ptr<CObject>> m_objectList2;
  std::vector<uint8_t> m_bytes1;
  std::vector<uint8_t> m_bytes2;
  // Per-index values with their defaults.
  CGSMapDWordToLong m_map1;
  int32_t m_nDefault1 = 1200;
  CGSMapDWordToLong m_map2;
  int32_t m_nDefault2 = 10000;
  std::vector<std::unique_ptr<CObject>> m_pointers1;
  std::vector<std::unique_ptr<CObject>> m_pointers2;
  std::map<const void*, std::unique_ptr<CObject>> m_pointerMap;
  std::array<std::unique_ptr<CObject>, 8> m_owned;
  std::array<CGSFlaggedObject, 4> m_flagged;
  // Small values whose meaning no operation of the library fixes.
  uint16_t m_wValue255 = 255;
  uint16_t m_wValue178a = 178;
  uint16_t m_wValue178b = 178;
  uint16_t m_wValue3a = 3;
  uint16_t m_wValue3b = 3;
  uint16_t m_wValue2 = 2;
  uint16_t m_wValue4 = 4;
  int32_t m_nValue512 = 512;
  int32_t m_nValue100 = 100;
  int32_t m_nMinus1a = -1;
  int32_t m_nMinus1b = -1;
};
