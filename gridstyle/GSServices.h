// Services that the grid classes take from their surroundings: display
// metrics, the font faces of the font table, system colours, resource
// strings and bitmaps, and the device context that cells are drawn into.
// Each service is replaceable; the defaults need nothing installed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct GSPoint {
  int x = 0;
  int y = 0;
  bool operator==(const GSPoint&) const = default;
};

struct GSSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const GSSize&) const = default;
};

struct GSRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  GSRect Intersect(const GSRect& o) const;
  bool operator==(const GSRect&) const = default;
};

// A logical font as the drawing side needs it.
struct CGSLogFont {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName;
  bool operator==(const CGSLogFont&) const = default;
};

struct GSTextMetrics {
  int height = 0;
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
};

// One face the font table offers.
struct GSFontFace {
  std::string name;
  uint8_t charSet = 0;
  uint8_t pitchAndFamily = 0;
  uint32_t fontType = 0;
  std::string scriptName;  // the character set's script, e.g. "Western"
};

// A packed device-independent bitmap: a 40-byte header, the colour table and
// the pixel rows (bottom-up), checked on construction.
class CGSPackedDIB {
 public:
  // Parses the bytes; an unusable bitmap gives IsValid() == false.
  explicit CGSPackedDIB(std::vector<uint8_t> bytes);
  bool IsValid() const { return m_valid; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int BitsPerPixel() const { return m_bitCount; }
  // Used colours of the header, else 2, 16, 256 for 1, 4, 8 bits per pixel, else 0.
  uint32_t ColourCount() const { return m_colours; }
  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  size_t PixelOffset() const { return m_pixelOffset; }
  // Builds a packed bitmap from its header values (pixels zero) for tests and
  // resources made in code.
  static std::vector<uint8_t> Make(int width, int height, int bitCount, uint32_t usedColours = 0);

 private:
  std::vector<uint8_t> m_bytes;
  bool m_valid = false;
  int m_width = 0;
  int m_height = 0;
  int m_bitCount = 0;
  uint32_t m_colours = 0;
  size_t m_pixelOffset = 0;
};

// The device context cells are drawn into.
class CGSDeviceContext {
 public:
  virtual ~CGSDeviceContext() = default;
  virtual GSSize GetTextExtent(std::string_view text) = 0;
  virtual GSTextMetrics GetTextMetrics() = 0;
  // Text at (x, y); with a clip rectangle the output is clipped to it, and
  // with opaque the rectangle is first filled with the background colour.
  virtual void TextOut(int x, int y, const GSRect* clip, bool opaque, std::string_view text) = 0;
  virtual void FillSolidRect(const GSRect& r, uint32_t colour) = 0;
  virtual void DrawEdge(const GSRect& r, unsigned edge, unsigned flags) = 0;
  // Copies the source rectangle (top-down image coordinates) of the bitmap
  // into the destination rectangle, stretching as needed.
  virtual void DrawDIB(const GSRect& dest, const GSRect& source, const CGSPackedDIB& dib) = 0;
  // Selects a font and returns the one selected before.
  virtual CGSLogFont SelectFont(const CGSLogFont& font) = 0;
  virtual uint32_t SetTextColor(uint32_t colour) = 0;
  virtual uint32_t SetBkColor(uint32_t colour) = 0;
  virtual uint32_t GetBkColor() const = 0;
  virtual int SetBkMode(int mode) = 0;  // 1 transparent, 2 opaque
  virtual bool IsMetafile() const { return false; }
  virtual bool HasAttributeContext() const { return true; }
};

// Screen resolution in pixels per inch.
class CGSDisplayMetrics {
 public:
  virtual ~CGSDisplayMetrics() = default;
  virtual int PixelsPerInchX() const { return 96; }
  virtual int PixelsPerInchY() const { return 96; }
  // Whether the platform uses a double-byte character set.
  virtual bool DoubleByteCharSet() const { return false; }
  // The system's default GUI font, when the platform has one; the default
  // style takes it on double-byte platforms.
  virtual std::optional<CGSLogFont> DefaultGuiFont() const { return std::nullopt; }
};

// The font faces the font table is built from.
class CGSFontFaces {
 public:
  virtual ~CGSFontFaces() = default;
  // The default: "Arial", "Courier New", "Symbol", "Tahoma",
  // "Times New Roman", "Verdana", character set 0 ("Western").
  virtual std::vector<GSFontFace> Faces() const;
};

// System colours by number (0x00BBGGRR); 0 for an unknown number.
class CGSSystemColours {
 public:
  virtual ~CGSSystemColours() = default;
  // The default: the classic Windows scheme, numbers 0 to 30.
  virtual uint32_t SysColor(int index) const;
};

// Resource strings and bitmaps. The default has none.
class CGSResources {
 public:
  virtual ~CGSResources() = default;
  virtual std::optional<std::string> String(uint32_t id) const {
    (void)id;
    return std::nullopt;
  }
  // The packed bitmap of a resource name ("#12" for id 12), or empty.
  virtual std::vector<uint8_t> Bitmap(const std::string& name) const {
    (void)name;
    return {};
  }
};

// The installed services. A set function takes ownership; null restores the
// default.
namespace GSServices {
const CGSDisplayMetrics& Display();
const CGSFontFaces& FontFaces();
const CGSSystemColours& SystemColours();
const CGSResources& Resources();
void SetDisplay(std::unique_ptr<CGSDisplayMetrics> s);
void SetFontFaces(std::unique_ptr<CGSFontFaces> s);
void SetSystemColours(std::unique_ptr<CGSSystemColours> s);
void SetResources(std::unique_ptr<CGSResources> s);
}  // namespace GSServices

// Multiplies and divides with rounding half away from zero (as the display
// arithmetic of fonts does).
int32_t GSMulDiv(int32_t a, int32_t b, int32_t c);
