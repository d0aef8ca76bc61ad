// Device-independent bitmaps, the bitmap pool and the drawing-and-formatting
// service of grid cells (text layout, frames, bitmap drawing).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gridstyle/GSAppData.h"
#include "gridstyle/GSObject.h"
#include "gridstyle/GSServices.h"

class CGSStyle;

// Text drawing flags.
enum : unsigned {
  gsAlignLeft = 0x0,
  gsAlignCenter = 0x1,
  gsAlignRight = 0x2,
  gsAlignVCenter = 0x4,
  gsAlignBottom = 0x8,
  gsWordBreak = 0x10,
  gsSingleLine = 0x20,
  gsNoPrefix = 0x800,
};

// Edge kinds and flags of the 3-D edge.
enum : unsigned {
  gsEdgeRaisedFlat = 3,
  gsEdgeSunken = 10,
  gsEdgeEtchedFlat = 12,
  gsEdgeRect = 0x0F,
  gsEdgeAdjust = 0x2000,
  gsEdgeFlat = 0x4000,
  gsEdgeMono = 0x8000,
};

// A bitmap handle: a bitmap object, or (flag clear) a packed bitmap in memory.
class CGSDIB : public CObject {
  GS_DECLARE_CLASS(CGSDIB)
 public:
  CGSDIB() = default;
  std::shared_ptr<const CGSPackedDIB> m_handle;
  bool m_bIsBitmap = true;
  void Release() { m_handle.reset(); }
};

// A parsed bitmap reference text.
struct GSBitmapReference {
  bool isReference = false;
  uint16_t id = 0;           // 0 for a reference by name
  std::string resourceName;  // "#12" for id 12, else the quoted name
};

// Bitmaps loaded from resources, pooled by resource name.
class CGSDIBPool : public CObject {
  GS_DECLARE_CLASS(CGSDIBPool)
 public:
  CGSDIBPool() = default;
  // The bitmap a reference text names, loaded and pooled on first use; null
  // when the text is no reference or the resource is missing.
  virtual std::shared_ptr<const CGSPackedDIB> GetBitmap(std::string_view text);
  // "#BMP(" (any case) followed by a decimal id and ")", or by a name between
  // double quotes; the id 0 or a missing number is no reference.
  static GSBitmapReference ParseReference(std::string_view text);
  // The resource's bitmap, or null when it is missing or unusable.
  virtual std::shared_ptr<const CGSPackedDIB> Load(const std::string& resourceName);
  static std::string FormatReference(const std::string& name);
  static std::string FormatReference(uint16_t id);
  size_t GetCount() const { return m_pool.size(); }
  void FreeAll() { m_pool.clear(); }

 private:
  std::map<std::string, std::shared_ptr<const CGSPackedDIB>> m_pool;
};

// One laid-out line: byte offset and byte length in the text.
struct GSTextLine {
  size_t start = 0;
  size_t length = 0;
  bool operator==(const GSTextLine&) const = default;
};

// What the static text cell drawing asks of the grid and the cell's control.
class CGSCellControl {
 public:
  virtual ~CGSCellControl() = default;
  virtual std::string GetControlText(uint32_t row, uint32_t col, const CGSStyle& style) = 0;
  // The text rectangle of the cell (borders and grid lines taken off).
  virtual GSRect GetTextRect(const GSRect& cell, uint32_t row, uint32_t col, const CGSStyle& style) {
    (void)row, (void)col, (void)style;
    return cell;
  }
  virtual void DrawFrameAndBackground(CGSDeviceContext& dc, const GSRect& rect, uint32_t row, uint32_t col,
                                      const CGSStyle& style) {
    (void)dc, (void)rect, (void)row, (void)col, (void)style;
  }
  virtual void DrawChildControls(CGSDeviceContext& dc, const GSRect& rect, uint32_t row, uint32_t col,
                                 const CGSStyle& style) {
    (void)dc, (void)rect, (void)row, (void)col, (void)style;
  }
  // Black text on white (the properties' sixth display and eighth print switch).
  virtual bool BlackAndWhite() const { return false; }
};

class CGSDrawingAndFormatting {
 public:
  static constexpr size_t kMaxLines = 32;
  // User attribute holding the draw mode of the multi-line text drawing.
  static constexpr uint16_t kDrawModeAttribute = 52792;

  virtual ~CGSDrawingAndFormatting() = default;
  virtual const CGSPatternBitmap* PatternBitmap(int n) { return GSPatternBitmap(n); }
  // Laid out and drawn line by line; draw mode 1 shortens the closing line
  // with "...", draw mode 2 with gsSingleLine shows "#" for a line that more
  // text follows.
  virtual void DrawMultiLineText(CGSDeviceContext& dc, std::string_view text, const GSRect& rect, unsigned flags,
                                 int drawMode);
  virtual void DrawPlainMultiLineText(CGSDeviceContext& dc, std::string_view text, const GSRect& rect,
                                      unsigned flags);
  // Forwarded to the drawing implementation (0 without one).
  virtual int DrawRotatedText(CGSDeviceContext& dc, const std::string& text, const GSRect& rect, unsigned flags);
  // Byte index of the character under the point, or -1.
  virtual int HitTest(CGSDeviceContext& dc, std::string_view text, const GSRect& rect, unsigned flags,
                      GSPoint point);
  // Word-wrap layout: at most maxLines lines, none when the rectangle is
  // lower than one and a third lines.
  virtual std::vector<GSTextLine> LayoutWordWrap(CGSDeviceContext& dc, std::string_view text, const GSRect& rect,
                                                 unsigned flags, size_t maxLines = kMaxLines);
  virtual std::string GetDisplayText(const CGSStyle& style, const std::string& text);
  // Forwarded to the formatting implementation (0 without one).
  virtual int ParseValue(CGSStyle& style, const std::string& text);
  // w rings from the outside in: top and left edges in the first colour,
  // bottom and right in the second.
  virtual void DrawFrame(CGSDeviceContext& dc, const GSRect& rect, int width, uint32_t first, uint32_t second);
  virtual void Draw3dEdge(CGSDeviceContext& dc, const GSRect& rect, bool outer, bool sunken);
  virtual void DrawButtonFace(CGSDeviceContext& dc, const GSRect& rect, const std::string& text, bool focus,
                              unsigned flags);
  virtual void DrawStaticTextCell(CGSCellControl& control, CGSDeviceContext& dc, const GSRect& rect, uint32_t row,
                                  uint32_t col, const CGSStyle& style);

  // Mode 0 natural size, 1 stretched, 2 scaled keeping the aspect ratio;
  // flags place the picture (1 centre, 2 right, 4 middle, 8 bottom).
  static void DrawBitmap(CGSDeviceContext& dc, const CGSPackedDIB& dib, const GSRect& target, int mode,
                         unsigned flags, const GSRect* source = nullptr);

 protected:
  static int LineHeight(const GSTextMetrics& tm);
  static int PlaceLine(CGSDeviceContext& dc, std::string_view line, const GSRect& rect, unsigned flags);
  static std::string ShortenWithEllipsis(CGSDeviceContext& dc, std::string_view line, int width);
};

// The byte length of the (UTF-8) character starting at text[i], at least 1.
size_t GSCharLength(std::string_view text, size_t i);

extern const CRuntimeClass classCGSPluginComponent;
