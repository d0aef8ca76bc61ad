#include "gridstyle/GSDrawing.h"

#include <algorithm>
#include <cctype>

#include "gridstyle/GSStyle.h"

GS_IMPLEMENT_SERIAL(CGSDIB, CObject::classCObject, 0xFFFF);
GS_IMPLEMENT_SERIAL(CGSDIBPool, CObject::classCObject, 0xFFFF);

// A window class record; no object of it is created by the kernel library.
const CRuntimeClass classCGSPluginComponent = {"CGSPluginComponent", &classCWnd, 0xFFFF, nullptr};
namespace {
const CClassRegistration regPluginComponent(&classCGSPluginComponent);

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// A colour reference as a plain 0x00BBGGRR value for the device context.
uint32_t PlainColour(uint32_t ref) { return (ref >> 24) >= 3 ? ref & 0xFFFFFF : ref; }

}  // namespace

size_t GSCharLength(std::string_view text, size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return std::min(n, text.size() - i);
}

// ---------------------------------------------------------------------------
// Bitmap pool

GSBitmapReference CGSDIBPool::ParseReference(std::string_view text) {
  GSBitmapReference ref;
  constexpr std::string_view prefix = "#BMP(";
  if (text.size() < prefix.size()) return ref;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return ref;
  std::string_view rest = text.substr(prefix.size());
  size_t q = rest.find('"');
  if (q != std::string_view::npos) {
    size_t end = rest.find('"', q + 1);
    if (end == std::string_view::npos || end == q + 1) return ref;
    ref.isReference = true;
    ref.resourceName = std::string(rest.substr(q + 1, end - q - 1));
    return ref;
  }
  uint32_t id = 0;
  size_t i = 0;
  while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])) && id <= 0xFFFF)
    id = id * 10 + static_cast<uint32_t>(rest[i++] - '0');
  if (id == 0 || id > 0xFFFF) return ref;
  ref.isReference = true;
  ref.id = static_cast<uint16_t>(id);
  ref.resourceName = "#" + std::to_string(id);
  return ref;
}

std::string CGSDIBPool::FormatReference(const std::string& name) { return "#BMP(\"" + name + "\")"; }

std::string CGSDIBPool::FormatReference(uint16_t id) { return "#BMP(" + std::to_string(id) + ")"; }

std::shared_ptr<const CGSPackedDIB> CGSDIBPool::Load(const std::string& resourceName) {
  std::vector<uint8_t> bytes = GSServices::Resources().Bitmap(resourceName);
  if (bytes.empty()) return nullptr;
  auto dib = std::make_shared<const CGSPackedDIB>(std::move(bytes));
  return dib->IsValid() ? dib : nullptr;
}

std::shared_ptr<const CGSPackedDIB> CGSDIBPool::GetBitmap(std::string_view text) {
  GSBitmapReference ref = ParseReference(text);
  if (!ref.isReference) return nullptr;
  auto it = m_pool.find(ref.resourceName);
  if (it != m_pool.end()) return it->second;
  auto dib = Load(ref.resourceName);
  if (dib) m_pool.emplace(ref.resourceName, dib);
  return dib;
}

// ---------------------------------------------------------------------------
// Text layout

int CGSDrawingAndFormatting::LineHeight(const GSTextMetrics& tm) {
  int lh = tm.height + tm.externalLeading;
  if (lh >= 20) --lh;
  return std::max(lh, 1);
}

std::vector<GSTextLine> CGSDrawingAndFormatting::LayoutWordWrap(CGSDeviceContext& dc, std::string_view text,
                                                                const GSRect& rect, unsigned flags,
                                                                size_t maxLines) {
  (void)flags;
  std::vector<GSTextLine> lines;
  GSTextMetrics tm = dc.GetTextMetrics();
  const int lh = std::max(tm.height + tm.externalLeading, 1);
  const int h = rect.Height();
  // Lines fit only when the rectangle is taller than one and a third lines.
  const size_t fit = static_cast<int64_t>(h) * 3 > static_cast<int64_t>(lh) * 4 ? static_cast<size_t>(h / lh) : 0;
  maxLines = std::min(maxLines, fit);
  const size_t end = text.size();
  const int maxWidth = rect.Width() + 1;
  size_t pos = 0;
  while (lines.size() < maxLines) {
    while (pos < end && text[pos] == ' ') ++pos;
    const size_t lineStart = pos;
    size_t lineEnd = pos;
    bool broke = false;
    while (pos < end) {
      if (IsLineBreak(text[pos])) {
        if (text[pos] == '\r' && pos + 1 < end && text[pos + 1] == '\n') ++pos;
        ++pos;
        broke = true;
        break;
      }
      size_t wordEnd = pos;
      while (wordEnd < end && text[wordEnd] != ' ' && !IsLineBreak(text[wordEnd]))
        wordEnd += GSCharLength(text, wordEnd);
      size_t spaceEnd = wordEnd;
      while (spaceEnd < end && text[spaceEnd] == ' ') ++spaceEnd;
      const int width = dc.GetTextExtent(text.substr(lineStart, wordEnd - lineStart)).cx;
      if (width > maxWidth && lineEnd > lineStart) break;  // the word starts the next line
      lineEnd = spaceEnd;
      pos = spaceEnd;
      if (width > maxWidth) break;  // a single word wider than the line stands alone
    }
    lines.push_back(GSTextLine{lineStart, lineEnd - lineStart});
    if (pos >= end) {
      if (broke && lines.size() < maxLines) lines.push_back(GSTextLine{end, 0});
      break;
    }
  }
  return lines;
}

int CGSDrawingAndFormatting::PlaceLine(CGSDeviceContext& dc, std::string_view line, const GSRect& rect,
                                       unsigned flags) {
  int x = rect.left;
  if (flags & (gsAlignRight | gsAlignCenter)) {
    int w = dc.GetTextExtent(line).cx;
    x = (flags & gsAlignRight) ? rect.right - w : rect.left + (rect.Width() - w) / 2;
  }
  return std::max(x, rect.left);
}

std::string CGSDrawingAndFormatting::ShortenWithEllipsis(CGSDeviceContext& dc, std::string_view line, int width) {
  std::vector<size_t> ends;  // byte end of each character
  for (size_t i = 0; i < line.size(); i += GSCharLength(line, i)) ends.push_back(i + GSCharLength(line, i));
  size_t keep = ends.size();
  while (keep > 1) {
    std::string s = std::string(line.substr(0, ends[keep - 1])) + "...";
    if (dc.GetTextExtent(s).cx <= width) return s;
    --keep;
  }
  std::string first(line.substr(0, ends.empty() ? 0 : ends[0]));
  for (const char* ending : {"...", "..", "."}) {
    std::string s = first + ending;
    if (dc.GetTextExtent(s).cx <= width) return s;
  }
  return first;
}

void CGSDrawingAndFormatting::DrawMultiLineText(CGSDeviceContext& dc, std::string_view text, const GSRect& rect,
                                                unsigned flags, int drawMode) {
  std::vector<GSTextLine> lines = LayoutWordWrap(dc, text, rect, flags, kMaxLines);
  GSTextMetrics tm = dc.GetTextMetrics();
  const int lh = LineHeight(tm);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int y = rect.top + static_cast<int>(i) * lh;
    std::string line(text.substr(lines[i].start, lines[i].length));
    const bool moreFollows = lines[i].start + lines[i].length < text.size();
    const bool closing = i + 1 == lines.size() || tm.ascent * 3 / 4 + lh > rect.bottom - y;
    if (drawMode == 1 && closing && moreFollows) {
      size_t chars = 0;
      for (size_t k = 0; k < line.size(); k += GSCharLength(line, k)) ++chars;
      if (chars >= 2) line = ShortenWithEllipsis(dc, line, rect.Width());
    } else if (drawMode == 2 && (flags & gsSingleLine) && moreFollows) {
      int hashWidth = std::max(dc.GetTextExtent("#").cx, 1);
      line.assign(static_cast<size_t>(std::max(rect.Width() / hashWidth, 0)), '#');
    }
    dc.TextOut(PlaceLine(dc, line, rect, flags), y, &rect, false, line);
  }
}

void CGSDrawingAndFormatting::DrawPlainMultiLineText(CGSDeviceContext& dc, std::string_view text,
                                                     const GSRect& rect, unsigned flags) {
  std::vector<GSTextLine> lines = LayoutWordWrap(dc, text, rect, flags, kMaxLines);
  const int lh = LineHeight(dc.GetTextMetrics());
  const bool mayClip = !(dc.IsMetafile() && !dc.HasAttributeContext());
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = text.substr(lines[i].start, lines[i].length);
    const int y = rect.top + static_cast<int>(i) * lh;
    const bool single = !line.empty() && GSCharLength(line, 0) == line.size();
    const bool clip = mayClip && single && dc.GetTextExtent(line).cx > rect.Width();
    dc.TextOut(PlaceLine(dc, line, rect, flags), y, clip ? &rect : nullptr, false, line);
  }
}

int CGSDrawingAndFormatting::DrawRotatedText(CGSDeviceContext& dc, const std::string& text, const GSRect& rect,
                                             unsigned flags) {
  CGSImplementations* impl = GSImplementations();
  if (impl == nullptr || !impl->drawing) return 0;
  return impl->drawing->DrawRotatedText(dc, text, rect, flags);
}

int CGSDrawingAndFormatting::HitTest(CGSDeviceContext& dc, std::string_view text, const GSRect& rect,
                                     unsigned flags, GSPoint point) {
  std::vector<GSTextLine> lines = LayoutWordWrap(dc, text, rect, flags, kMaxLines);
  GSTextMetrics tm = dc.GetTextMetrics();
  const int lh = LineHeight(tm);
  if (lines.empty() || point.y < rect.top) return -1;
  const size_t index = static_cast<size_t>((point.y - rect.top) / lh);
  if (index >= lines.size()) return -1;
  std::string_view line = text.substr(lines[index].start, lines[index].length);
  const int x = PlaceLine(dc, line, rect, flags);
  const int slack = tm.maxCharWidth / 3;
  if (point.x < x - slack || point.x > x + dc.GetTextExtent(line).cx + slack) return -1;
  size_t last = 0;
  for (size_t k = 0; k < line.size(); k += GSCharLength(line, k)) {
    last = k;
    if (x + dc.GetTextExtent(line.substr(0, k + GSCharLength(line, k))).cx > point.x)
      return static_cast<int>(lines[index].start + k);
  }
  return static_cast<int>(lines[index].start + last);  // past the end: the last character
}

std::string CGSDrawingAndFormatting::GetDisplayText(const CGSStyle& style, const std::string& text) {
  CGSImplementations* impl = GSImplementations();
  if (impl != nullptr && impl->formatting) {
    std::string out = text;
    if (impl->formatting->GetDisplayText(style, out)) return out;
  }
  if (!text.empty()) return text;
  if (style.IsIncluded(CGSStyle::incValue)) return style.GetValue();
  return std::string();
}

int CGSDrawingAndFormatting::ParseValue(CGSStyle& style, const std::string& text) {
  CGSImplementations* impl = GSImplementations();
  if (impl == nullptr || !impl->formatting) return 0;
  return impl->formatting->ParseValue(style, text);
}

void CGSDrawingAndFormatting::DrawFrame(CGSDeviceContext& dc, const GSRect& rect, int width, uint32_t first,
                                        uint32_t second) {
  const uint32_t background = dc.GetBkColor();
  for (int k = 0; k < width; ++k) {
    GSRect r{rect.left + k, rect.top + k, rect.right - k, rect.bottom - k};
    if (r.IsEmpty()) break;
    dc.FillSolidRect(GSRect{r.left, r.top, r.right, r.top + 1}, first);
    dc.FillSolidRect(GSRect{r.left, r.top, r.left + 1, r.bottom}, first);
    dc.FillSolidRect(GSRect{r.left, r.bottom - 1, r.right, r.bottom}, second);
    dc.FillSolidRect(GSRect{r.right - 1, r.top, r.right, r.bottom}, second);
  }
  dc.SetBkColor(background);
}

void CGSDrawingAndFormatting::Draw3dEdge(CGSDeviceContext& dc, const GSRect& rect, bool outer, bool sunken) {
  GSRect r = rect;
  if (outer) {
    if (sunken)
      dc.DrawEdge(r, gsEdgeEtchedFlat, gsEdgeRect | gsEdgeAdjust | gsEdgeFlat);
    else
      dc.DrawEdge(r, gsEdgeRaisedFlat, gsEdgeRect | gsEdgeAdjust | gsEdgeMono);
  }
  if (sunken) dc.DrawEdge(r, gsEdgeSunken, gsEdgeRect | gsEdgeAdjust);
}

void CGSDrawingAndFormatting::DrawButtonFace(CGSDeviceContext& dc, const GSRect& rect, const std::string& text,
                                             bool focus, unsigned flags) {
  (void)flags;
  dc.SetBkMode(1);
  const std::string shown = text.empty() ? std::string("--") : text;
  GSSize size = dc.GetTextExtent(shown);
  const int w = size.cx + 6;
  const int h = size.cy + 6;
  GSRect tr{rect.left + (rect.Width() - w) / 2, rect.top + (rect.Height() - h) / 2, 0, 0};
  tr.right = tr.left + w;
  tr.bottom = tr.top + h;
  tr = tr.Intersect(rect);
  if (tr.IsEmpty()) return;
  dc.TextOut(tr.left + 3, tr.top + 3, &tr, false, text);
  if (focus) {
    const uint32_t c = GSLookupColor(16);
    dc.FillSolidRect(GSRect{tr.left + 2, tr.top, tr.right - 2, tr.top + 1}, c);
    dc.FillSolidRect(GSRect{tr.left + 2, tr.bottom - 1, tr.right - 2, tr.bottom}, c);
    dc.FillSolidRect(GSRect{tr.left, tr.top + 2, tr.left + 1, tr.bottom - 2}, c);
    dc.FillSolidRect(GSRect{tr.right - 1, tr.top + 2, tr.right, tr.bottom - 2}, c);
  }
}

void CGSDrawingAndFormatting::DrawStaticTextCell(CGSCellControl& control, CGSDeviceContext& dc, const GSRect& rect,
                                                 uint32_t row, uint32_t col, const CGSStyle& style) {
  if (rect.Width() < 2 || rect.Height() < 2) return;
  const std::string text = control.GetControlText(row, col, style);
  if (text.empty()) {
    control.DrawChildControls(dc, rect, row, col, style);
    return;
  }
  const GSRect textRect = control.GetTextRect(rect, row, col, style);
  const unsigned align =
      static_cast<unsigned>(style.GetHorizontalAlignment()) | static_cast<unsigned>(style.GetVerticalAlignment());
  std::shared_ptr<const CGSPackedDIB> dib;
  if (!dc.IsMetafile()) {
    if (CGSDIBPool* pool = GSDIBPool()) dib = pool->GetBitmap(text);
  }
  if (dib) {
    DrawBitmap(dc, *dib, textRect, 0, align);
  } else {
    CGSFont font;
    if (const CGSFont* f = style.GetFont()) font = *f;
    const CGSLogFont previous = dc.SelectFont(font.GetLogFont());
    const bool bw = control.BlackAndWhite();
    dc.SetTextColor(bw ? 0x000000 : PlainColour(style.GetTextColor()));
    dc.SetBkColor(bw ? 0xFFFFFF : PlainColour(style.GetInterior().GetColor()));
    dc.SetBkMode(1);
    const unsigned flags = align | gsNoPrefix | (style.GetWrapText() ? gsWordBreak : gsSingleLine);
    if (font.IsOrientationSet() && font.GetOrientation() != 0)
      DrawRotatedText(dc, text, textRect, flags);
    else if (style.HasUserAttribute(kDrawModeAttribute))
      DrawMultiLineText(dc, text, textRect, flags, style.GetUserAttribute(kDrawModeAttribute).GetLong());
    else
      DrawPlainMultiLineText(dc, text, textRect, flags);
    dc.SelectFont(previous);
  }
  control.DrawFrameAndBackground(dc, rect, row, col, style);
  control.DrawChildControls(dc, rect, row, col, style);
}

// ---------------------------------------------------------------------------
// Bitmap drawing

namespace {

// Start of an extent of the given size in [lo, hi) by the flags.
int Place(int lo, int hi, int size, bool centre, bool far) {
  if (centre) return lo + (hi - lo - size) / 2;
  if (far) return hi - size;
  return lo;
}

}  // namespace

void CGSDrawingAndFormatting::DrawBitmap(CGSDeviceContext& dc, const CGSPackedDIB& dib, const GSRect& target,
                                         int mode, unsigned flags, const GSRect* source) {
  if (!dib.IsValid() || target.IsEmpty()) return;
  GSRect src = source != nullptr ? *source : GSRect{0, 0, dib.Width(), dib.Height()};
  const int sw = src.Width();
  const int sh = src.Height();
  if (sw <= 0 || sh <= 0) return;  // nothing to copy (and no aspect ratio)
  const int tw = target.Width();
  const int th = target.Height();
  const bool hCentre = flags & gsAlignCenter, right = flags & gsAlignRight;
  const bool vCentre = flags & gsAlignVCenter, bottom = flags & gsAlignBottom;
  GSRect dest = target;
  if (mode == 0) {
    if (sw < tw) {
      dest.left = Place(target.left, target.right, sw, hCentre, right);
      dest.right = dest.left + sw;
    } else if (sw > tw) {
      src.right = src.left + tw;  // its left part shows
    }
    if (sh < th) {
      dest.top = Place(target.top, target.bottom, sh, vCentre, bottom);
      dest.bottom = dest.top + sh;
    } else if (sh > th) {
      if (bottom)
        src.top = src.bottom - th;
      else
        src.bottom = src.top + th;
    }
  } else if (mode == 2) {
    const int64_t fx = static_cast<int64_t>(tw) * 1000 / sw;
    const int64_t fy = static_cast<int64_t>(th) * 1000 / sh;
    const int64_t f = std::min(fx, fy);
    const int w = static_cast<int>(sw * f / 1000);
    const int h = static_cast<int>(sh * f / 1000);
    if (w <= 0 || h <= 0) return;
    dest.left = Place(target.left, target.right, w, hCentre, right);
    dest.right = dest.left + w;
    dest.top = Place(target.top, target.bottom, h, vCentre, bottom);
    dest.bottom = dest.top + h;
  }
  dc.DrawDIB(dest, src, dib);
}
