// Process-wide objects, pattern bitmaps, the bitmap pool and the cell
// drawing service against a device context with fixed metrics.
#include <gtest/gtest.h>

#include "gridstyle/GSAppData.h"
#include "gridstyle/GSDrawing.h"
#include "gridstyle/GSStyle.h"
#include "support/fake_dc.h"
#include "support/test_attribute.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ProcessObjects, BuiltAndEmpty) {
  EXPECT_TRUE(GSProcessObjectsAlive());
  ASSERT_NE(GSAppData(), nullptr);
  const CGSImplementations& impl = GSAppData()->m_impl;
  EXPECT_FALSE(impl.serialization || impl.formatting || impl.drawing || impl.valueParser || impl.factory);
  EXPECT_TRUE(GSColorTable()->m_colors.empty());
  EXPECT_TRUE(GSColorTable()->m_version4);
  EXPECT_EQ(GSDIBPool(), GSDIBPool());
  EXPECT_EQ(GSDrawingAndFormatting(), GSDrawingAndFormatting());
  const CRuntimeClass* plugin = CRuntimeClass::FromName("CGSPluginComponent");
  ASSERT_NE(plugin, nullptr);
  EXPECT_STREQ(plugin->m_pBaseClass->m_lpszClassName, "CWnd");
  EXPECT_EQ(plugin->CreateObject(), nullptr);
}

TEST(PatternBitmaps, KnownRows) {
  struct Case {
    int n;
    std::array<uint16_t, 8> rows;
  };
  for (const Case& c : {Case{0, {0x44, 0x11, 0x44, 0x11, 0x44, 0x11, 0x44, 0x11}},
                        Case{1, {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}},
                        Case{3, {0xEE, 0xFF, 0xBB, 0xFF, 0xEE, 0xFF, 0xBB, 0xFF}}}) {
    const CGSPatternBitmap* p = GSPatternBitmap(c.n);
    ASSERT_NE(p, nullptr) << c.n;
    EXPECT_EQ(p->rows, c.rows) << c.n;
    EXPECT_EQ(GSPatternBitmap(c.n), p);  // built once
  }
  // Pattern 1 is the 50 % checkerboard.
  const CGSPatternBitmap* check = GSPatternBitmap(1);
  int on = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      on += check->Pixel(x, y);
      if (x > 0) {
        EXPECT_NE(check->Pixel(x, y), check->Pixel(x - 1, y));
      }
    }
  }
  EXPECT_EQ(on, 32);
  EXPECT_EQ(GSPatternBitmap(41), nullptr);
  EXPECT_EQ(GSPatternBitmap(-1), nullptr);
}

TEST(BitmapPool, References) {
  struct Case {
    const char* text;
    bool reference;
    uint16_t id;
    const char* name;
  };
  for (const Case& c : {Case{"#bmp(12)", true, 12, "#12"}, Case{"#BMP(0)", false, 0, ""},
                        Case{"BMP(3)", false, 0, ""}, Case{"#BMP(\"Logo\")", true, 0, "Logo"},
                        Case{"#BMP(", false, 0, ""}, Case{"#BMP(\"open", false, 0, ""},
                        Case{"#BMP(70000)", false, 0, ""}, Case{"text", false, 0, ""}}) {
    GSBitmapReference r = CGSDIBPool::ParseReference(c.text);
    EXPECT_EQ(r.isReference, c.reference) << c.text;
    EXPECT_EQ(r.id, c.id) << c.text;
    EXPECT_EQ(r.resourceName, c.name) << c.text;
  }
  EXPECT_EQ(CGSDIBPool::FormatReference(uint16_t{12}), "#BMP(12)");
  EXPECT_EQ(CGSDIBPool::FormatReference("Logo"), "#BMP(\"Logo\")");
  // This system has no bitmap resources: nothing is pooled.
  CGSDIBPool pool;
  EXPECT_EQ(pool.GetBitmap("#BMP(12)"), nullptr);
  EXPECT_EQ(pool.GetCount(), 0u);
}

class ResourceBitmaps : public CGSResources {
 public:
  std::vector<uint8_t> Bitmap(const std::string& name) const override {
    if (name == "#7") return CGSPackedDIB::Make(4, 2, 24);
    if (name == "Broken") return {1, 2, 3};
    return {};
  }
};

TEST(BitmapPool, LoadsAndPoolsResources) {
  GSServices::SetResources(std::make_unique<ResourceBitmaps>());
  CGSDIBPool pool;
  auto a = pool.GetBitmap("#BMP(7)");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Width(), 4);
  EXPECT_EQ(pool.GetBitmap("#bmp(7)"), a);
  EXPECT_EQ(pool.GetBitmap("#BMP(\"Broken\")"), nullptr);
  EXPECT_EQ(pool.GetCount(), 1u);
  GSServices::SetResources(nullptr);
}

TEST(PackedDIB, ColourCounts) {
  struct Case {
    int bits;
    uint32_t used;
    uint32_t colours;
  };
  for (Case c : {Case{1, 0, 2}, Case{4, 0, 16}, Case{8, 0, 256}, Case{24, 0, 0}, Case{8, 12, 12}}) {
    CGSPackedDIB dib(CGSPackedDIB::Make(3, 3, c.bits, c.used));
    ASSERT_TRUE(dib.IsValid()) << c.bits;
    EXPECT_EQ(dib.ColourCount(), c.colours) << c.bits;
  }
  auto bytes = CGSPackedDIB::Make(100, 100, 24);
  bytes.resize(bytes.size() - 1);  // pixels cut short
  EXPECT_FALSE(CGSPackedDIB(bytes).IsValid());
}

TEST(WordWrap, Layout) {
  CFakeDC dc;
  CGSDrawingAndFormatting& d = *GSDrawingAndFormatting();
  const GSRect tall{0, 0, 100, 100};
  EXPECT_EQ(d.LayoutWordWrap(dc, "a\r\nb", tall, 0).size(), 2u);
  auto lines = d.LayoutWordWrap(dc, "a\r\n", tall, 0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].length, 0u);
  EXPECT_EQ(d.LayoutWordWrap(dc, "a\nb\rc", tall, 0).size(), 3u);
  // Lower than one and a third lines (16 px lines): none.
  EXPECT_TRUE(d.LayoutWordWrap(dc, "a", GSRect{0, 0, 100, 21}, 0).empty());
  EXPECT_EQ(d.LayoutWordWrap(dc, "a", GSRect{0, 0, 100, 22}, 0).size(), 1u);
  // Words wrap where the line gets wider than the rectangle.
  lines = d.LayoutWordWrap(dc, "ab cd ef", GSRect{0, 0, 50, 100}, 0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (GSTextLine{0, 6}));
  EXPECT_EQ(lines[1], (GSTextLine{6, 2}));
  // Multi-byte characters count whole.
  lines = d.LayoutWordWrap(dc, "\xC3\xA4\xC3\xB6 \xC3\xBC", GSRect{0, 0, 25, 100}, 0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], (GSTextLine{5, 2}));
}

TEST(MultiLineText, DrawModes) {
  CGSDrawingAndFormatting& d = *GSDrawingAndFormatting();
  {
    CFakeDC dc;
    d.DrawMultiLineText(dc, "abcdefgh more", GSRect{0, 0, 45, 20 + 2}, gsSingleLine, 2);
    EXPECT_EQ(dc.Lines(), (Lines{"####"}));
  }
  {
    CFakeDC dc;
    d.DrawMultiLineText(dc, "abcdef ghi", GSRect{0, 0, 65, 22}, 0, 1);
    EXPECT_EQ(dc.Lines(), (Lines{"abc..."}));
  }
  {
    CFakeDC dc;  // one character left: shorter endings
    d.DrawMultiLineText(dc, "ab cd", GSRect{0, 0, 25, 22}, 0, 1);
    EXPECT_EQ(dc.Lines(), (Lines{"a."}));
  }
  {
    CFakeDC dc;  // everything fits: drawn as laid out, centred and right-aligned
    d.DrawMultiLineText(dc, "ab\ncd", GSRect{10, 0, 110, 40}, gsAlignCenter, 1);
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(dc.texts[0].x, 10 + 40);
    EXPECT_EQ(dc.texts[1].y, 16);
    CFakeDC right;
    d.DrawPlainMultiLineText(right, "abcdefghijkl", GSRect{10, 0, 60, 40}, gsAlignRight);
    ASSERT_EQ(right.texts.size(), 1u);
    EXPECT_EQ(right.texts[0].x, 10);  // never left of the left edge
  }
  {
    CFakeDC dc;  // a single character wider than the rectangle is clipped
    d.DrawPlainMultiLineText(dc, "W\nab", GSRect{0, 0, 8, 40}, 0);
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_TRUE(dc.texts[0].clipped);
    EXPECT_FALSE(dc.texts[1].clipped);
  }
}

TEST(HitTest, CharacterUnderThePoint) {
  CFakeDC dc;
  CGSDrawingAndFormatting& d = *GSDrawingAndFormatting();
  const GSRect r{0, 0, 100, 40};
  EXPECT_EQ(d.HitTest(dc, "abc\ndef", r, 0, GSPoint{15, 5}), 1);
  EXPECT_EQ(d.HitTest(dc, "abc\ndef", r, 0, GSPoint{5, 20}), 4);
  EXPECT_EQ(d.HitTest(dc, "abc\ndef", r, 0, GSPoint{32, 20}), 6);   // just past the end
  EXPECT_EQ(d.HitTest(dc, "abc\ndef", r, 0, GSPoint{60, 20}), -1);  // too far right
  EXPECT_EQ(d.HitTest(dc, "abc\ndef", r, 0, GSPoint{5, 35}), -1);   // below the last line
}

TEST(BitmapDrawing, Modes) {
  CGSPackedDIB square(CGSPackedDIB::Make(200, 200, 24));
  CGSPackedDIB small(CGSPackedDIB::Make(20, 10, 24));
  CGSPackedDIB empty(CGSPackedDIB::Make(0, 10, 24));
  struct Case {
    const CGSPackedDIB* dib;
    int mode;
    unsigned flags;
    GSRect dest, source;
  };
  const GSRect target{0, 0, 100, 50};
  for (const Case& c : {
           Case{&square, 2, gsAlignCenter, {25, 0, 75, 50}, {0, 0, 200, 200}},
           Case{&square, 2, gsAlignRight, {50, 0, 100, 50}, {0, 0, 200, 200}},
           Case{&square, 1, 0, {0, 0, 100, 50}, {0, 0, 200, 200}},
           Case{&square, 0, gsAlignBottom, {0, 0, 100, 50}, {0, 150, 100, 200}},
           Case{&square, 0, 0, {0, 0, 100, 50}, {0, 0, 100, 50}},
           Case{&small, 0, gsAlignCenter | gsAlignVCenter, {40, 20, 60, 30}, {0, 0, 20, 10}},
           Case{&small, 0, gsAlignRight | gsAlignBottom, {80, 40, 100, 50}, {0, 0, 20, 10}},
       }) {
    CFakeDC dc;
    CGSDrawingAndFormatting::DrawBitmap(dc, *c.dib, target, c.mode, c.flags);
    ASSERT_EQ(dc.blits.size(), 1u) << c.mode << " " << c.flags;
    EXPECT_EQ(dc.blits[0].dest, c.dest) << c.mode << " " << c.flags;
    EXPECT_EQ(dc.blits[0].source, c.source) << c.mode << " " << c.flags;
  }
  // A bitmap without width or height is not drawn (no aspect ratio).
  CFakeDC dc;
  CGSDrawingAndFormatting::DrawBitmap(dc, empty, target, 2, gsAlignCenter);
  GSRect flat{0, 0, 30, 0};
  CGSDrawingAndFormatting::DrawBitmap(dc, square, target, 2, 0, &flat);
  EXPECT_TRUE(dc.blits.empty());
}

TEST(Frames, TwoColoursEdgesAndButtonFace) {
  CGSDrawingAndFormatting& d = *GSDrawingAndFormatting();
  CFakeDC dc;
  dc.bk = 0x123456;
  d.DrawFrame(dc, GSRect{0, 0, 10, 10}, 2, 0x111111, 0x222222);
  ASSERT_EQ(dc.fills.size(), 8u);
  EXPECT_EQ(dc.fills[0].rect, (GSRect{0, 0, 10, 1}));
  EXPECT_EQ(dc.fills[0].colour, 0x111111u);
  EXPECT_EQ(dc.fills[3].rect, (GSRect{9, 0, 10, 10}));
  EXPECT_EQ(dc.fills[3].colour, 0x222222u);
  EXPECT_EQ(dc.fills[4].rect, (GSRect{1, 1, 9, 2}));
  EXPECT_EQ(dc.bk, 0x123456u);

  CFakeDC edges;
  d.Draw3dEdge(edges, GSRect{0, 0, 10, 10}, true, true);
  ASSERT_EQ(edges.edges.size(), 2u);
  EXPECT_EQ(edges.edges[0].edge, 12u);
  EXPECT_EQ(edges.edges[0].flags, 0x0Fu | 0x2000u | 0x4000u);
  EXPECT_EQ(edges.edges[1].edge, 10u);

  CFakeDC button;
  d.DrawButtonFace(button, GSRect{0, 0, 100, 40}, "OK", true, 0);
  ASSERT_EQ(button.texts.size(), 1u);
  EXPECT_EQ(button.texts[0].x, 37 + 3);
  EXPECT_EQ(button.bkMode, 1);
  ASSERT_EQ(button.fills.size(), 4u);
  EXPECT_EQ(button.fills[0].colour, GSLookupColor(16));
  EXPECT_EQ(button.fills[0].rect, (GSRect{39, 9, 61, 10}));
}

class TextControl : public CGSCellControl {
 public:
  explicit TextControl(std::string text) : m_text(std::move(text)) {}
  std::string GetControlText(uint32_t, uint32_t, const CGSStyle&) override { return m_text; }
  void DrawChildControls(CGSDeviceContext&, const GSRect&, uint32_t, uint32_t, const CGSStyle&) override {
    ++children;
  }
  int children = 0;

 private:
  std::string m_text;
};

TEST(StaticTextCell, DrawsTextWithTheStyle) {
  CGSDrawingAndFormatting& d = *GSDrawingAndFormatting();
  CGSStyle style;
  style.SetDefault();
  style.SetTextColor(0x000080);
  style.SetHorizontalAlignment(1);
  {
    TextControl control("ab");
    CFakeDC dc;
    d.DrawStaticTextCell(control, dc, GSRect{0, 0, 100, 40}, 1, 1, style);
    ASSERT_EQ(dc.Lines(), (Lines{"ab"}));
    EXPECT_EQ(dc.texts[0].x, 40);
    EXPECT_EQ(dc.textColour, 0x000080u);
    EXPECT_EQ(dc.bkMode, 1);
    EXPECT_EQ(control.children, 1);
  }
  {
    // The draw mode from user attribute 52792.
    CGSStyle withMode = style;
    withMode.SetUserAttributes(MakeAttributes({{52792, "1"}}));
    withMode.SetHorizontalAlignment(0);
    TextControl control("abcdef ghi");
    CFakeDC dc;
    d.DrawStaticTextCell(control, dc, GSRect{0, 0, 65, 22}, 1, 1, withMode);
    EXPECT_EQ(dc.Lines(), (Lines{"abc..."}));
  }
  {
    TextControl control("");
    CFakeDC dc;
    d.DrawStaticTextCell(control, dc, GSRect{0, 0, 100, 40}, 1, 1, style);
    EXPECT_TRUE(dc.texts.empty());
    EXPECT_EQ(control.children, 1);
    CFakeDC tiny;
    TextControl text("ab");
    d.DrawStaticTextCell(text, tiny, GSRect{0, 0, 1, 40}, 1, 1, style);
    EXPECT_TRUE(tiny.texts.empty());
    EXPECT_EQ(text.children, 0);
  }
  {
    // A bitmap reference that the pool resolves is drawn at natural size
    // with the style's alignment; a metafile context draws the text instead.
    GSServices::SetResources(std::make_unique<ResourceBitmaps>());
    CGSStyle centred = style;
    centred.SetVerticalAlignment(8);
    TextControl control("#BMP(7)");
    CFakeDC dc;
    d.DrawStaticTextCell(control, dc, GSRect{0, 0, 100, 40}, 1, 1, centred);
    ASSERT_EQ(dc.blits.size(), 1u);
    EXPECT_EQ(dc.blits[0].dest, (GSRect{48, 38, 52, 40}));
    EXPECT_TRUE(dc.texts.empty());
    class MetafileDC : public CFakeDC {
     public:
      bool IsMetafile() const override { return true; }
    } meta;
    d.DrawStaticTextCell(control, meta, GSRect{0, 0, 100, 40}, 1, 1, centred);
    GSServices::SetResources(nullptr);
    EXPECT_TRUE(meta.blits.empty());
    EXPECT_EQ(meta.Lines(), (Lines{"#BMP(7)"}));
  }
  {
    class PrintControl : public TextControl {
     public:
      PrintControl() : TextControl("ab") {}
      bool BlackAndWhite() const override { return true; }
    } control;
    CFakeDC dc;
    d.DrawStaticTextCell(control, dc, GSRect{0, 0, 100, 40}, 1, 1, style);
    EXPECT_EQ(dc.textColour, 0x000000u);
    EXPECT_EQ(dc.bk, 0xFFFFFFu);
    EXPECT_EQ(dc.current.faceName, "");  // the previous font is selected again
  }
  CGSStyle plain;
  EXPECT_EQ(d.GetDisplayText(plain, "x"), "x");
  plain.SetValue("v");
  EXPECT_EQ(d.GetDisplayText(plain, ""), "v");
  EXPECT_EQ(d.ParseValue(plain, "1"), 0);
  CFakeDC dc;
  EXPECT_EQ(d.DrawRotatedText(dc, "x", GSRect{0, 0, 10, 10}, 0), 0);
}

}  // namespace
