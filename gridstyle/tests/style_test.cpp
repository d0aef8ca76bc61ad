// Cell styles: defaults, bit fields, colour references, merging, borders,
// fonts, the font table and cache, and the base-style walk.
#include <gtest/gtest.h>

#include "gridstyle/GSAppData.h"
#include "gridstyle/GSArchive.h"
#include "gridstyle/GSData.h"
#include "gridstyle/GSStyle.h"
#include "support/test_attribute.h"

namespace {

// Every observable field of two styles.
void ExpectSameStyle(const CGSStyle& a, const CGSStyle& b) {
  EXPECT_EQ(a.GetIncludeWord(), b.GetIncludeWord());
  EXPECT_EQ(a.GetAttributeWord(), b.GetAttributeWord());
  EXPECT_EQ(a.GetTextColorWord(), b.GetTextColorWord());
  EXPECT_EQ(a.GetFormatWord(), b.GetFormatWord());
  EXPECT_EQ(a.GetInterior(), b.GetInterior());
  EXPECT_EQ(a.GetControl(), b.GetControl());
  EXPECT_EQ(a.GetSmallValue(), b.GetSmallValue());
  EXPECT_EQ(a.GetItemData(), b.GetItemData());
  EXPECT_EQ(a.GetValue(), b.GetValue());
  EXPECT_EQ(a.GetChoiceList(), b.GetChoiceList());
  ASSERT_EQ(a.GetFont() != nullptr, b.GetFont() != nullptr);
  if (a.GetFont() != nullptr) {
    EXPECT_EQ(a.GetFont()->WordA() & ~1u, b.GetFont()->WordA() & ~1u);
    EXPECT_EQ(a.GetFont()->WordB(), b.GetFont()->WordB());
  }
  for (int side = 0; side < 4; ++side) {
    ASSERT_EQ(a.GetBorder(side) != nullptr, b.GetBorder(side) != nullptr);
    if (a.GetBorder(side) != nullptr) {
      EXPECT_EQ(*a.GetBorder(side), *b.GetBorder(side));
    }
  }
  ASSERT_EQ(a.GetUserAttributes() != nullptr, b.GetUserAttributes() != nullptr);
  if (a.GetUserAttributes() != nullptr) {
    ASSERT_EQ(a.GetUserAttributes()->GetSize(), b.GetUserAttributes()->GetSize());
    for (size_t i = 0; i < a.GetUserAttributes()->GetSize(); ++i) {
      EXPECT_TRUE(a.GetUserAttributes()->At(i).IsEqual(b.GetUserAttributes()->At(i)));
    }
  }
}

CGSStyle RichStyle() {
  CGSStyle s;
  s.SetHorizontalAlignment(2);
  s.SetVerticalAlignment(8);
  s.SetTextColor(0x00123456);
  s.SetInterior(GSColourRef::System(15));
  s.SetValue("12.5", 3);
  s.SetChoiceList("a\nb");
  s.SetFlag(CGSStyle::incFlag12, true);
  s.SetSmallField(CGSStyle::incFormat4Bit, 9);
  s.SetBaseStyle(4);
  s.SetItemData(77);
  CGSPen pen;
  pen.SetColor(0x0000FF);
  s.SetBorder(1, pen);
  CGSFont f;
  f.SetWeight(700);
  f.SetFaceName("Tahoma");
  s.SetFont(f);
  s.SetUserAttributes(MakeAttributes({{7, "x"}, {52792, "1"}}));
  return s;
}

TEST(Style, DefaultStyle) {
  CGSStyle s;
  EXPECT_TRUE(s.IsEmpty());
  s.SetDefault();
  EXPECT_EQ(s.GetIncludeWord(), 0x03FBBEFFu);
  EXPECT_EQ(s.GetControl(), 52512);
  EXPECT_TRUE(s.GetWrapText());
  EXPECT_EQ((s.GetFormatWord() >> 5) & 0xF, 13u);
  EXPECT_EQ(s.GetSmallField(CGSStyle::incFormat4Bit), 13u);
  EXPECT_TRUE(s.GetFlag(CGSStyle::incFlag15));
  EXPECT_TRUE(s.GetFlag(CGSStyle::incFlag21));
  EXPECT_TRUE(s.GetFlag(CGSStyle::incFlag22));
  EXPECT_FALSE(s.GetFlag(CGSStyle::incFlag2));
  EXPECT_EQ(s.GetTextColor() >> 24, 0xF6u);  // system colour 8
  EXPECT_EQ(s.GetInterior().GetColor() >> 24, 0xF9u);  // system colour 5
  EXPECT_EQ(s.GetInterior().w1, 0x3FFFFFFFu);
  ASSERT_NE(s.GetFont(), nullptr);
  EXPECT_EQ(s.GetFont()->GetFaceName(), "Arial");
  EXPECT_EQ(s.GetValue(), "");
  EXPECT_EQ(CGSStyle::kAttributeNames[9], std::string("Borders"));
}

TEST(Style, AlignmentStorage) {
  struct Row {
    int given, read;
  };
  for (Row r : {Row{1, 1}, Row{2, 2}, Row{0, 0}, Row{7, 0}}) {
    CGSStyle s;
    s.SetHorizontalAlignment(r.given);
    EXPECT_EQ(s.GetHorizontalAlignment(), r.read) << r.given;
    EXPECT_TRUE(s.IsIncluded(CGSStyle::incHorzAlign));
  }
  for (Row r : {Row{4, 4}, Row{8, 8}, Row{2, 0}}) {
    CGSStyle s;
    s.SetVerticalAlignment(r.given);
    EXPECT_EQ(s.GetVerticalAlignment(), r.read) << r.given;
  }
  CGSStyle s;
  s.SetVerticalAlignment(4);
  EXPECT_EQ(s.GetAttributeWord(), 1u << 16);
  s.SetHorizontalAlignment(2);
  EXPECT_EQ(s.GetAttributeWord(), (1u << 16) | (2u << 14));
}

TEST(Style, ColourReferences) {
  CGSStyle s;
  s.SetTextColor(0xF9ABCDEF);  // system colour 5
  EXPECT_EQ(s.GetTextColor(), 0xF9000000u | GSServices::SystemColours().SysColor(5));
  EXPECT_EQ((s.GetAttributeWord() >> 18) & 3, 3u);
  EXPECT_EQ(s.GetTextColorWord() & 0xFFFFFF, 5u);
  s.SetTextColor(0x01000010);  // palette index
  EXPECT_EQ(s.GetTextColor(), 0x01000010u);
  s.SetTextColor(0x00336699);
  EXPECT_EQ(s.GetTextColor(), 0x00336699u);

  // The colour table overrides system colours by number.
  CGSColorTable* table = GSColorTable();
  ASSERT_NE(table, nullptr);
  table->m_colors.assign(9, 0);
  table->m_colors[8] = 0x00112233;
  s.SetTextColor(GSColourRef::System(8));
  EXPECT_EQ(s.GetTextColor(), 0xF6112233u);
  EXPECT_EQ(GSLookupColor(8), 0x00112233u);
  EXPECT_EQ(GSLookupColor(15), GSServices::SystemColours().SysColor(15));
  table->m_colors.clear();
  EXPECT_EQ(s.GetTextColor(), 0xF6000000u | GSServices::SystemColours().SysColor(8));
}

TEST(Style, MergeModes) {
  CGSStyle mine;
  mine.SetHorizontalAlignment(1);
  mine.SetValue("mine");
  mine.SetTextColor(0x00010203);
  const CGSStyle other = RichStyle();

  CGSStyle fill = mine;
  fill.Merge(other, gsFillIn);
  EXPECT_EQ(fill.GetHorizontalAlignment(), 1);
  EXPECT_EQ(fill.GetValue(), "mine");
  EXPECT_EQ(fill.GetValueType(), 0u);
  EXPECT_EQ(fill.GetTextColor(), 0x00010203u);
  EXPECT_EQ(fill.GetVerticalAlignment(), 8);  // not included before: taken
  EXPECT_EQ(fill.GetBaseStyle(), 4);
  EXPECT_EQ(fill.GetItemData(), 77u);

  CGSStyle over = mine;
  over.Merge(other, gsOverride);
  EXPECT_EQ(over.GetHorizontalAlignment(), 2);
  EXPECT_EQ(over.GetValue(), "12.5");
  EXPECT_EQ(over.GetValueType(), 3u);
  EXPECT_EQ(over.GetTextColor(), 0x00123456u);
  EXPECT_EQ(over.GetIncludeWord(), other.GetIncludeWord() | mine.GetIncludeWord());

  CGSStyle empty;
  empty.Merge(other, gsFillIn);
  ExpectSameStyle(empty, other);

  CGSStyle removed = RichStyle();
  removed.SetBorder(3, CGSPen());
  CGSStyle what;
  what.SetValue("");
  what.SetBorder(3, CGSPen());
  what.SetHorizontalAlignment(0);
  removed.Merge(what, gsRemove);
  EXPECT_FALSE(removed.IsIncluded(CGSStyle::incValue));
  EXPECT_FALSE(removed.IsIncluded(CGSStyle::incHorzAlign));
  EXPECT_EQ(removed.GetValue(), "");
  EXPECT_FALSE(removed.GetBorder(3)->IsSet());
  EXPECT_TRUE(removed.GetBorder(1)->IsSet());
  EXPECT_TRUE(removed.IsIncluded(CGSStyle::incVertAlign));

  CGSStyle copy = mine;
  copy.Merge(other, gsCopy);
  ExpectSameStyle(copy, other);

  // Assigning a style that includes nothing frees.
  copy.Assign(CGSStyle());
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_EQ(copy.GetFont(), nullptr);
  EXPECT_EQ(copy.GetUserAttributes(), nullptr);
}

TEST(Style, FontMergesAttributeWise) {
  CGSStyle a;
  CGSFont fa;
  fa.SetWeight(400);
  a.SetFont(fa);
  CGSStyle b;
  CGSFont fb;
  fb.SetWeight(700);
  fb.SetItalic(true);
  b.SetFont(fb);
  a.Merge(b, gsFillIn);
  EXPECT_EQ(a.GetFont()->GetWeight(), 400);
  EXPECT_TRUE(a.GetFont()->GetItalic());
  a.Merge(b, gsOverride);
  EXPECT_EQ(a.GetFont()->GetWeight(), 700);
  a.Merge(b, gsRemove);
  EXPECT_FALSE(a.GetFont()->IsWeightSet());
  EXPECT_FALSE(a.GetFont()->IsItalicSet());
  EXPECT_TRUE(a.GetFont()->GetItalic());  // the value bit stays
  // Mode 3 only merges into an existing font.
  CGSStyle none;
  none.SetFont(fb, gsRemove);
  EXPECT_EQ(none.GetFont(), nullptr);
}

TEST(Style, Borders) {
  CGSStyle s;
  CGSPen pen;
  pen.SetStyle(2);
  s.SetBorder(-1, pen);
  for (int side = 0; side < 4; ++side) EXPECT_EQ(s.GetBorder(side)->GetStyle(), 2u) << side;
  s.SetBorder(7, CGSPen());  // out of range: nothing
  EXPECT_EQ(s.GetBorder(7), nullptr);
  CGSStyle t;
  t.SetBorder(2, CGSPen());
  EXPECT_EQ(t.GetBorder(2)->GetStyle(), 0u);
  EXPECT_FALSE(t.GetBorder(0)->IsSet());
  EXPECT_EQ(t.GetBorder(0)->w0 & 0x7FFFF, 15u);
  t.UnsetBorder(2);
  EXPECT_EQ(t.GetBorder(2)->GetStyle(), 7u);
  t.SetBorder(2, *t.GetBorder(2));
  EXPECT_EQ(t.GetBorder(2)->GetStyle(), 0u);
  t.SetBorders(nullptr);
  EXPECT_FALSE(t.IsIncluded(CGSStyle::incBorders));

  // Fill in keeps a side this style sets, takes the others.
  CGSStyle mine;
  CGSPen dotted;
  dotted.SetStyle(2);
  mine.SetBorder(0, dotted);
  CGSStyle other;
  CGSPen dashed;
  dashed.SetStyle(1);
  other.SetBorder(-1, dashed);
  mine.Merge(other, gsFillIn);
  EXPECT_EQ(mine.GetBorder(0)->GetStyle(), 2u);
  EXPECT_EQ(mine.GetBorder(3)->GetStyle(), 1u);
}

TEST(Font, FieldsAndConversions) {
  CGSFont f;
  EXPECT_FALSE(f.IsWeightSet());
  EXPECT_FALSE(f.IsOrientationSet());
  EXPECT_EQ(f.GetFaceIndex(), kGSNoFace);
  struct WeightRow {
    int given;
    bool set;
    int read;
  };
  for (WeightRow r : {WeightRow{700, true, 700}, WeightRow{1500, false, 0}, WeightRow{0, true, 0}}) {
    f.SetWeight(r.given);
    EXPECT_EQ(f.IsWeightSet(), r.set) << r.given;
    EXPECT_EQ(f.GetWeight(), r.read) << r.given;
  }
  struct SizeRow {
    double points;
    uint32_t quarters;
  };
  for (SizeRow r : {SizeRow{10.3, 41}, SizeRow{300, 1023}, SizeRow{-12, 48}, SizeRow{0.1, 0}}) {
    f.SetSize(r.points);
    EXPECT_EQ(f.GetQuarterPoints(), r.quarters) << r.points;
  }

  // 12 pt is 16 pixels at 96 pixels per inch.
  CGSFont twelve;
  twelve.SetSize(12);
  EXPECT_EQ(twelve.MakeLogFont().height, -16);
  CGSLogFont lf;
  lf.height = -16;
  lf.escapement = 900;
  lf.weight = 700;
  lf.italic = 1;
  lf.faceName = "Verdana";
  CGSFont g;
  g.SetLogFont(lf);
  EXPECT_EQ(g.GetQuarterPoints(), 48u);
  EXPECT_EQ(g.GetOrientation(), 90u);
  EXPECT_EQ(g.GetWeight(), 700);
  EXPECT_TRUE(g.GetItalic());
  EXPECT_EQ(g.GetFaceName(), "Verdana");
  CGSLogFont back = g.MakeLogFont();
  EXPECT_EQ(back.height, -16);
  EXPECT_EQ(back.escapement, 900);
  EXPECT_EQ(back.orientation, 900);
  EXPECT_EQ(back.faceName, "Verdana");
  EXPECT_EQ(back.pitchAndFamily & 4, 4);
  lf.escapement = -900;
  g.SetLogFont(lf);
  EXPECT_EQ(g.GetOrientation(), 270u);
}

TEST(FontTable, FacesAndLookup) {
  CGSFontTable* table = GSFontTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->PixelsPerInchY(), 96);
  // Six faces, each under its plain name and as "%s (%s)".
  ASSERT_GE(table->FaceCount(), 12u);
  EXPECT_EQ(table->Face(0)->name, "Arial");
  EXPECT_EQ(table->Face(1)->name, "Arial (Western)");
  EXPECT_EQ(table->Face(1)->plainNameLength, 5);
  EXPECT_EQ(table->FindFace(""), kGSNoFace);
  EXPECT_EQ(table->FindFace("Courier New"), 2u);
  const size_t before = table->FaceCount();
  uint32_t added = table->FindFace("Zzz Test Face");
  EXPECT_EQ(added, before);
  EXPECT_EQ(table->FaceCount(), before + 1);
  EXPECT_EQ(table->FindFace("Zzz Test Face"), added);
  EXPECT_EQ(table->Face(added)->name, "Zzz Test Face");
  EXPECT_EQ(table->Face(5000), nullptr);
  // The table never grows beyond 1023 faces.
  for (int i = 0; table->FaceCount() < kGSNoFace; ++i) table->FindFace("Face " + std::to_string(i));
  EXPECT_EQ(table->FindFace("One Too Many"), kGSNoFace);
  EXPECT_EQ(table->FaceCount(), kGSNoFace);
  EXPECT_EQ(table->FindFace("Zzz Test Face"), added);
}

class TwoScriptFaces : public CGSFontFaces {
 public:
  std::vector<GSFontFace> Faces() const override {
    return {GSFontFace{"Tahoma", 0, 34, 4, "Western"}, GSFontFace{"Tahoma", 238, 34, 4, "Central European"},
            GSFontFace{"Arial", 0, 34, 4, "Western"}};
  }
};

class DoubleByteDisplay : public CGSDisplayMetrics {
 public:
  int PixelsPerInchX() const override { return 120; }
  int PixelsPerInchY() const override { return 120; }
  bool DoubleByteCharSet() const override { return true; }
  std::optional<CGSLogFont> DefaultGuiFont() const override {
    CGSLogFont lf;
    lf.height = -12;
    lf.faceName = "Tahoma";
    return lf;
  }
};

TEST(FontTable, BuiltFromTheFaceService) {
  GSServices::SetFontFaces(std::make_unique<TwoScriptFaces>());
  GSServices::SetDisplay(std::make_unique<DoubleByteDisplay>());
  CGSFontTable table;
  GSServices::SetFontFaces(nullptr);
  GSServices::SetDisplay(nullptr);
  EXPECT_EQ(table.PixelsPerInchY(), 120);
  // A face gets its plain entry once while the callbacks repeat its name;
  // every callback adds "%s (%s)"; the whole table is sorted by name.
  std::vector<std::string> names;
  for (uint32_t i = 0; i < table.FaceCount(); ++i) names.push_back(table.Face(i)->name);
  EXPECT_EQ(names, (std::vector<std::string>{"Arial", "Arial (Western)", "Tahoma", "Tahoma (Central European)",
                                             "Tahoma (Western)"}));
  EXPECT_EQ(table.Face(3)->plainNameLength, 6);
  EXPECT_EQ(table.Face(3)->charSet, 238);
  EXPECT_EQ(table.ScriptName(238), "Central European");
}

TEST(Style, DefaultFontOnADoubleBytePlatform) {
  GSServices::SetDisplay(std::make_unique<DoubleByteDisplay>());
  CGSStyle s;
  s.SetDefault();
  GSServices::SetDisplay(nullptr);
  ASSERT_NE(s.GetFont(), nullptr);
  EXPECT_EQ(s.GetFont()->GetFaceName(), "Tahoma");
}

TEST(FontCache, SharedEntries) {
  CGSMapFontData& cache = GSFontTable()->Cache();
  const size_t before = cache.GetCount();
  auto a = std::make_unique<CGSFont>();
  a->SetSize(11);
  a->SetWeight(600);
  auto b = std::make_unique<CGSFont>(*a);
  const CGSLogFont& la = a->GetLogFont();
  const CGSLogFont& lb = b->GetLogFont();
  EXPECT_EQ(&la, &lb);
  EXPECT_EQ(la.weight, 600);
  EXPECT_EQ(cache.GetCount(), before + 1);
  GSFontEntry* e = cache.Find(a->CacheKey());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->refs.load(), 2);
  a.reset();
  EXPECT_EQ(e->refs.load(), 1);
  b->SetItalic(true);  // a change drops the reference
  EXPECT_FALSE(b->HoldsCacheReference());
  EXPECT_EQ(cache.GetCount(), before);
}

TEST(Style, BaseStyleWalkEndsOnACycle) {
  CGSStylesMap map;
  auto s3 = std::make_unique<CGSStyle>();
  s3->SetBaseStyle(5);
  s3->SetValue("three");
  auto s5 = std::make_unique<CGSStyle>();
  s5->SetBaseStyle(3);
  s5->SetHorizontalAlignment(2);
  const CGSStyle* five = s5.get();
  map.AddBaseStyle(3, "Three", std::move(s3));
  map.AddBaseStyle(5, "Five", std::move(s5));
  CGSStyle cell;
  cell.SetBaseStyle(3);
  EXPECT_EQ(cell.ResolveBaseStyles(map), five);
  EXPECT_EQ(cell.GetValue(), "three");
  EXPECT_EQ(cell.GetHorizontalAlignment(), 2);
  EXPECT_EQ(cell.GetBaseStyle(), 3);

  CGSStyle missing;
  missing.SetBaseStyle(9);
  EXPECT_EQ(missing.ResolveBaseStyles(map), &missing);
  EXPECT_EQ(map.LookupBaseStyle("Five"), five);
  EXPECT_EQ(map.Name(), "Styles");
}

TEST(Style, UserAttributeLookupAndForwardedSerialisation) {
  CGSStyle s;
  EXPECT_EQ(&s.GetUserAttribute(3), &GSEmptyUserAttribute());
  s.SetUserAttributes(MakeAttributes({{3, "42"}}));
  EXPECT_TRUE(s.HasUserAttribute(3));
  EXPECT_EQ(s.GetUserAttribute(3).GetLong(), 42);
  EXPECT_FALSE(s.HasUserAttribute(4));
  // No serialisation implementation is installed: a style archives as its
  // class record only.
  CArchive ar;
  ar.WriteObject(&s);
  EXPECT_EQ(ar.Bytes().size(), 2u + 8u + 2u);
  CArchive in(ar.Bytes());
  auto obj = in.ReadObject(&CGSStyle::classCGSStyle);
  ASSERT_NE(dynamic_cast<CGSStyle*>(obj.get()), nullptr);
  EXPECT_TRUE(static_cast<CGSStyle&>(*obj).IsEmpty());
}

}  // namespace
