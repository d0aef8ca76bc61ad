// Colour references, the font descriptor CGSFont, the application-wide font
// table and its font cache.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gridstyle/GSMaps.h"
#include "gridstyle/GSObject.h"
#include "gridstyle/GSServices.h"

// Merge modes of styles, fonts and user attributes.
enum GSMergeMode : int {
  gsOverride = 0,  // the other's attributes always win
  gsFillIn = 1,    // only attributes this one lacks are taken
  gsCopy = 2,      // this becomes a copy of the other
  gsRemove = 3,    // attributes the other has are removed from this
};

// A 32-bit colour reference: the top byte selects the kind (0 RGB,
// 1 palette index, 2 palette RGB); a top byte from 65 to 254 names system
// colour number (254 - top byte).
namespace GSColourRef {
// Kind (0 to 3) and value (24 bits) as stored; kind 3 is a system colour
// whose number is the value.
void Split(uint32_t ref, uint32_t& kind, uint32_t& value);
// The reference read back from a stored kind and value: a system colour
// yields its current value with the top byte (254 - number).
uint32_t Join(uint32_t kind, uint32_t value);
// The reference that names system colour n.
constexpr uint32_t System(uint32_t n) { return ((254u - n) & 0xFFu) << 24; }
}  // namespace GSColourRef

// The current value of system colour n: the colour table's entry when n is
// below its size, else the platform's system colour.
uint32_t GSGetSysColor(int n);

// Highest face index; also the value meaning "no face".
inline constexpr uint32_t kGSNoFace = 1023;

// One face of the font table.
struct GSFontTableEntry {
  std::string name;
  uint8_t plainNameLength = 0;  // for "%s (%s)" entries: length of the plain face name
  uint8_t pitchAndFamily = 0;
  uint8_t charSet = 0;
  uint32_t fontType = 0;
};

// The application-wide table of font faces and the font cache.
class CGSFontTable {
 public:
  CGSFontTable();
  int PixelsPerInchX() const { return m_ppiX; }
  int PixelsPerInchY() const { return m_ppiY; }
  // Index of the face, added to the table when it is unknown and the table
  // holds fewer than 1023 faces; 1023 for an empty name or a full table.
  uint32_t FindFace(const std::string& name, uint8_t pitchAndFamily = 0, uint8_t charSet = 0);
  // The face of an index, or null when the index is beyond the table.
  const GSFontTableEntry* Face(uint32_t index) const;
  size_t FaceCount() const { return m_enumerated.size() + m_added.size(); }
  const std::string& ScriptName(uint8_t charSet) const { return m_scripts[charSet]; }
  CGSMapFontData& Cache() { return m_cache; }

  static constexpr size_t kBlockEntries = 256;
  static constexpr size_t kMaxBlocks = 256;

 private:
  int m_ppiX;
  int m_ppiY;
  std::vector<GSFontTableEntry> m_enumerated;  // sorted by name
  std::vector<GSFontTableEntry> m_added;       // in the order added (indexes stay)
  std::vector<uint32_t> m_addedSorted;         // positions in m_added, sorted by name
  std::array<std::string, 256> m_scripts;
  CGSMapFontData m_cache;
};

// The application-wide font table (null after the library's process-wide
// objects have been destroyed).
CGSFontTable* GSFontTable();

// A 64-bit font descriptor.
class CGSFont : public CObject {
  GS_DECLARE_CLASS(CGSFont)
 public:
  CGSFont() = default;
  CGSFont(const CGSFont& other) : CObject() { Assign(other); }
  CGSFont& operator=(const CGSFont& other) {
    Assign(other);
    return *this;
  }
  ~CGSFont() override;

  // Weight in font weight units (stored as weight / 100; 1500 and above read as unset).
  void SetWeight(int weight);
  bool IsWeightSet() const { return WeightField() != kUnsetWeight; }
  int GetWeight() const { return IsWeightSet() ? static_cast<int>(WeightField()) * 100 : 0; }
  // Size in points, stored as |size x 4| quarter points truncated, at most 1023.
  void SetSize(double points);
  uint32_t GetQuarterPoints() const { return (m_a >> 8) & 0x3FF; }
  double GetSize() const { return GetQuarterPoints() / 4.0; }
  void SetItalic(bool on) { SetStyleBit(1, 18, on); }
  void SetUnderline(bool on) { SetStyleBit(2, 19, on); }
  void SetStrikeOut(bool on) { SetStyleBit(3, 20, on); }
  bool IsItalicSet() const { return (m_a >> 1) & 1; }
  bool IsUnderlineSet() const { return (m_a >> 2) & 1; }
  bool IsStrikeOutSet() const { return (m_a >> 3) & 1; }
  bool GetItalic() const { return (m_a >> 18) & 1; }
  bool GetUnderline() const { return (m_a >> 19) & 1; }
  bool GetStrikeOut() const { return (m_a >> 20) & 1; }
  // Orientation in degrees (0 to 510); 511 reads as unset.
  uint32_t GetOrientation() const { return (m_a >> 21) & 0x1FF; }
  bool IsOrientationSet() const { return GetOrientation() != kUnsetOrientation; }
  // The face by name, looked up (or added) in the font table.
  void SetFaceName(const std::string& name);
  uint32_t GetFaceIndex() const { return m_b & 0x3FF; }
  std::string GetFaceName() const;
  // Whether any attribute is set.
  bool IsEmpty() const;

  // Takes size, weight, orientation, styles and face from a logical font.
  void SetLogFont(const CGSLogFont& lf);
  // The logical font of the descriptor, computed now.
  CGSLogFont MakeLogFont() const;
  // The logical font through the shared font cache (takes a cache reference).
  const CGSLogFont& GetLogFont();
  bool HoldsCacheReference() const { return m_a & 1; }

  void Assign(const CGSFont& other);
  void Merge(const CGSFont& other, int mode);

  uint32_t WordA() const { return m_a; }
  uint32_t WordB() const { return m_b; }
  uint64_t CacheKey() const { return ((static_cast<uint64_t>(m_b) << 32) | m_a) >> 1; }

  static constexpr uint32_t kUnsetWeight = 15;
  static constexpr uint32_t kUnsetOrientation = 511;

 private:
  uint32_t WeightField() const { return (m_a >> 4) & 0xF; }
  void SetField(uint32_t& word, int shift, uint32_t mask, uint32_t v) {
    ReleaseCache();
    word = (word & ~(mask << shift)) | ((v & mask) << shift);
  }
  void SetStyleBit(int includeBit, int valueBit, bool on);
  void SetOrientation(uint32_t degrees) { SetField(m_a, 21, 0x1FF, degrees); }
  void SetFaceIndex(uint32_t index) { SetField(m_b, 0, 0x3FF, index); }
  void ReleaseCache();

  uint32_t m_a = (kUnsetWeight << 4) | (kUnsetOrientation << 21);
  uint32_t m_b = kGSNoFace;
};
