#include "gridstyle/GSServices.h"

#include <algorithm>
#include <array>

GSRect GSRect::Intersect(const GSRect& o) const {
  GSRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
  if (r.IsEmpty()) return GSRect{};
  return r;
}

int32_t GSMulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  int64_t q = c;
  bool neg = (p < 0) != (q < 0);
  if (p < 0) p = -p;
  if (q < 0) q = -q;
  int64_t r = (p + q / 2) / q;
  return static_cast<int32_t>(neg ? -r : r);
}

namespace {

uint32_t GetLE32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
         (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void PutLE32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

CGSPackedDIB::CGSPackedDIB(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {
  constexpr size_t kHeader = 40;
  if (m_bytes.size() < kHeader || GetLE32(m_bytes, 0) < kHeader) return;
  int32_t w = static_cast<int32_t>(GetLE32(m_bytes, 4));
  int32_t h = static_cast<int32_t>(GetLE32(m_bytes, 8));
  uint32_t bits = GetLE32(m_bytes, 12) >> 16;
  uint32_t used = GetLE32(m_bytes, 32);
  if (w < 0 || h == INT32_MIN || w > 65535 || h > 65535 || h < -65535) return;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return;
  uint32_t colours = used;
  if (colours == 0) colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
  if (colours > 256) return;
  uint64_t rowBytes = ((static_cast<uint64_t>(w) * bits + 31) / 32) * 4;
  uint64_t pixels = rowBytes * static_cast<uint64_t>(h < 0 ? -h : h);
  uint64_t offset = GetLE32(m_bytes, 0) + 4ull * colours;
  if (offset + pixels > m_bytes.size()) return;
  m_width = w;
  m_height = h < 0 ? -h : h;
  m_bitCount = static_cast<int>(bits);
  m_colours = colours;
  m_pixelOffset = static_cast<size_t>(offset);
  m_valid = true;
}

std::vector<uint8_t> CGSPackedDIB::Make(int width, int height, int bitCount, uint32_t usedColours) {
  uint32_t colours = usedColours;
  if (colours == 0) colours = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
  uint64_t rowBytes = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
  std::vector<uint8_t> b(40 + 4 * colours + rowBytes * static_cast<uint64_t>(height), 0);
  PutLE32(b, 0, 40);
  PutLE32(b, 4, static_cast<uint32_t>(width));
  PutLE32(b, 8, static_cast<uint32_t>(height));
  PutLE32(b, 12, 1u | (static_cast<uint32_t>(bitCount) << 16));
  PutLE32(b, 32, usedColours);
  return b;
}

std::vector<GSFontFace> CGSFontFaces::Faces() const {
  std::vector<GSFontFace> faces;
  for (const char* name : {"Arial", "Courier New", "Symbol", "Tahoma", "Times New Roman", "Verdana"})
    faces.push_back(GSFontFace{name, 0, 0, 4, "Western"});
  return faces;
}

uint32_t CGSSystemColours::SysColor(int index) const {
  // The classic scheme, 0x00BBGGRR.
  static constexpr std::array<uint32_t, 31> kClassic = {
      0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
      0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
      0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xC56A31, 0xD8E9EC};
  if (index < 0 || index >= static_cast<int>(kClassic.size())) return 0;
  return kClassic[static_cast<size_t>(index)];
}

namespace GSServices {
namespace {

template <class T>
std::unique_ptr<T>& Slot() {
  static std::unique_ptr<T> slot;
  return slot;
}

template <class T>
const T& Get() {
  static const T fallback;
  const auto& s = Slot<T>();
  return s ? *s : fallback;
}

}  // namespace

const CGSDisplayMetrics& Display() { return Get<CGSDisplayMetrics>(); }
const CGSFontFaces& FontFaces() { return Get<CGSFontFaces>(); }
const CGSSystemColours& SystemColours() { return Get<CGSSystemColours>(); }
const CGSResources& Resources() { return Get<CGSResources>(); }
void SetDisplay(std::unique_ptr<CGSDisplayMetrics> s) { Slot<CGSDisplayMetrics>() = std::move(s); }
void SetFontFaces(std::unique_ptr<CGSFontFaces> s) { Slot<CGSFontFaces>() = std::move(s); }
void SetSystemColours(std::unique_ptr<CGSSystemColours> s) { Slot<CGSSystemColours>() = std::move(s); }
void SetResources(std::unique_ptr<CGSResources> s) { Slot<CGSResources>() = std::move(s); }

}  // namespace GSServices
