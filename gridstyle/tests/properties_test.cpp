// Grid properties and the grid parameter block with their defaults.
#include <gtest/gtest.h>

#include "gridstyle/GSProperties.h"

namespace {

std::string CellValue(const CGSData& d, uint32_t row, uint32_t col, CGSStyle* out = nullptr) {
  CGSStyle s;
  if (d.GetStyle(row, col, s, gsCopy, 0) == 0) return "-";
  if (out != nullptr) *out = s;
  return s.GetValue();
}

TEST(Properties, Defaults) {
  CGSProperties p;
  EXPECT_EQ(p.m_pAppData, GSAppData());
  EXPECT_EQ(p.m_margins, (std::array<int32_t, 4>{144, 96, 144, 96}));
  EXPECT_EQ(p.m_distances, (std::array<int32_t, 2>{38, 38}));
  EXPECT_EQ(p.m_nFirstPage, -1);
  EXPECT_EQ(p.m_nValue100, 100);
  EXPECT_EQ(p.m_name, "Grid");
  EXPECT_EQ(p.m_display, (std::array<bool, 6>{true, true, true, true, true, false}));
  EXPECT_EQ(p.m_print, (std::array<bool, 9>{true, false, true, true, true, true, false, true, true}));
  EXPECT_FALSE(p.BlackAndWhite());
  EXPECT_EQ(p.m_pageTokens, (std::vector<std::string>{"$F", "$A", "$P", "$N", "$D", "$R"}));
  EXPECT_EQ(p.m_texts, (std::array<std::string, 5>{}));
  EXPECT_TRUE(p.m_style.IsEmpty());

  EXPECT_EQ(p.m_header.GetRowCount(), 3u);
  EXPECT_EQ(p.m_header.GetColCount(), 10u);
  EXPECT_EQ(p.m_footer.GetRowCount(), 3u);
  EXPECT_EQ(p.m_footer.GetColCount(), 10u);
  EXPECT_EQ(CellValue(p.m_header, 1, 1), "$D");
  EXPECT_EQ(CellValue(p.m_header, 1, 3), "$P/$N");
  EXPECT_EQ(CellValue(p.m_header, 1, 2), "-");
  CGSStyle footer;
  EXPECT_EQ(CellValue(p.m_footer, 1, 2, &footer), "$R");
  ASSERT_NE(footer.GetFont(), nullptr);
  EXPECT_EQ(footer.GetFont()->GetWeight(), 700);
  EXPECT_EQ(footer.GetFont()->GetQuarterPoints(), 64u);
}

TEST(Properties, Colours) {
  CGSProperties p;
  EXPECT_EQ(p.m_colorNames,
            (std::vector<std::string>{"COLOR52232", "COLOR52233", "COLOR52234", "COLOR52236", "COLOR52235"}));
  EXPECT_EQ(p.m_colorValues, (std::vector<uint32_t>{0xED000000, 0xFC000000, 0x0000FF, 0x0000FF, 0xEF000000}));
  // An existing name keeps its index and value.
  EXPECT_EQ(p.AddColor(52234, 0x00FF00), 2);
  EXPECT_EQ(p.m_colorValues[2], 0x0000FFu);
  EXPECT_EQ(p.AddColor(60000, 0x00FF00), 5);
  p.Free();
  EXPECT_TRUE(p.m_colorNames.empty());
  EXPECT_TRUE(p.m_colorValues.empty());
}

class NamedResources : public CGSResources {
 public:
  std::optional<std::string> String(uint32_t id) const override {
    switch (id) {
      case 51006: return "Eins";
      case 51007: return "Zwei";
      case 51008: return "Drei";
      case 51009: return "Vier";
      case 20059: return "F\xC3\xBCnf";
      case 52232: return "Hintergrund";
      case 700: return "Eigenschaft";
      default: return std::nullopt;
    }
  }
};

TEST(Properties, UserPropertiesAndResourceTexts) {
  CGSProperties p;
  CGSStyle s;
  s.SetValue("a");
  p.AddUserProperty(12, s);
  ASSERT_NE(p.GetUserProperty(12), nullptr);
  EXPECT_EQ(p.GetUserProperty(12)->name, "USERPROP12");
  s.SetValue("b");
  p.AddUserProperty(12, s);
  EXPECT_EQ(p.GetUserProperty(12)->style->GetValue(), "b");
  p.DefineUserProperties();
  const CGSUserPropertyEntry* choice = p.GetUserProperty(51005);
  ASSERT_NE(choice, nullptr);
  EXPECT_EQ(choice->style->GetControl(), 52529);
  EXPECT_EQ(choice->style->GetChoiceList(), "\n\n\n\n");

  GSServices::SetResources(std::make_unique<NamedResources>());
  CGSProperties named;
  named.DefineUserProperties();
  named.AddUserProperty(700, s);
  GSServices::SetResources(nullptr);
  EXPECT_EQ(named.m_colorNames[0], "Hintergrund");
  EXPECT_EQ(named.GetUserProperty(700)->name, "Eigenschaft");
  const CGSStyle& cs = *named.GetUserProperty(51005)->style;
  EXPECT_EQ(cs.GetValue(), "Eins");
  EXPECT_EQ(cs.GetChoiceList(), "Eins\nZwei\nDrei\nVier\nF\xC3\xBCnf");
  p.Free();
  EXPECT_EQ(p.GetUserProperty(12), nullptr);
}

TEST(GridParam, Defaults) {
  CGSGridParam g;
  EXPECT_EQ(g.GetRuntimeClass()->m_wSchema, 1u);
  EXPECT_EQ(g.m_map1.GetHashTableSize(), 1021u);
  EXPECT_EQ(g.m_map2.GetHashTableSize(), 257u);
  int32_t v = 0;
  ASSERT_TRUE(g.m_map1.Lookup(0, v));
  EXPECT_EQ(v, 1400);
  ASSERT_TRUE(g.m_map2.Lookup(0, v));
  EXPECT_EQ(v, 6000);
  EXPECT_EQ(g.m_map1.GetCount(), 1u);
  EXPECT_EQ(g.m_nDefault1, 1200);
  EXPECT_EQ(g.m_nDefault2, 10000);
  EXPECT_EQ(g.m_owned[0], nullptr);  // no factory installed
  EXPECT_EQ(g.m_ranges[0].GetCount(), 0u);
  EXPECT_EQ(g.m_pAppData, GSAppData());
}

}  // namespace
