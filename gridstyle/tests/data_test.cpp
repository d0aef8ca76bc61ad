// Style stores, style arrays and user attribute maps.
#include <gtest/gtest.h>

#include "gridstyle/GSArchive.h"
#include "gridstyle/GSData.h"
#include "gridstyle/GSRangeList.h"
#include "support/test_attribute.h"

namespace {

CGSStyle ValueStyle(const std::string& v) {
  CGSStyle s;
  s.SetValue(v);
  return s;
}

std::string ValueAt(const CGSData& d, uint32_t row, uint32_t col, int kind = 0) {
  CGSStyle s;
  if (d.GetStyle(row, col, s, gsCopy, kind) == 0) return "-";
  return s.GetValue();
}

std::string Values(const CGSStylePtrArray& a) {
  std::string out;
  for (size_t i = 0; i < a.GetSize(); ++i) out += a.At(i) ? a.At(i)->GetValue() : std::string("_");
  return out;
}

CGSStylePtrArray Letters(const std::string& letters) {
  CGSStylePtrArray a;
  for (size_t i = 0; i < letters.size(); ++i)
    if (letters[i] != '_') a.Slot(i) = std::make_unique<CGSStyle>(ValueStyle(std::string(1, letters[i])));
  a.SetSize(letters.size());
  return a;
}

TEST(StyleStore, StoreRaisesCountsAndAddresses) {
  CGSData d;
  CGSStyle a = ValueStyle("a");
  EXPECT_EQ(d.StoreStyle(5, 7, &a, gsCopy, 0), 1);
  EXPECT_EQ(d.GetRowCount(), 5u);
  EXPECT_EQ(d.GetColCount(), 7u);
  EXPECT_EQ(ValueAt(d, 5, 7), "a");
  EXPECT_EQ(ValueAt(d, 6, 1), "-");  // row 6 of 5 rows
  EXPECT_EQ(ValueAt(d, 4, 7), "-");  // nothing stored

  CGSStyle b = ValueStyle("b");
  EXPECT_EQ(d.StoreStyle(3, 3, &b, gsRemove, 0), 1);  // mode 3 where nothing is stored
  EXPECT_EQ(ValueAt(d, 3, 3), "-");

  // Kind -1: row style of a row other than 0, else the column style.
  CGSStyle col = ValueStyle("col");
  CGSStyle row = ValueStyle("row");
  d.StoreStyle(0, 4, &col, gsCopy, CGSData::kBaseStyleKind);
  d.StoreStyle(2, 4, &row, gsCopy, CGSData::kBaseStyleKind);
  ASSERT_NE(d.ColStyles().At(4), nullptr);
  EXPECT_EQ(d.ColStyles().At(4)->GetValue(), "col");
  ASSERT_NE(d.RowStyles().At(2), nullptr);
  EXPECT_EQ(d.RowStyles().At(2)->GetValue(), "row");
  EXPECT_EQ(ValueAt(d, 0, 4, -1), "col");
  EXPECT_EQ(ValueAt(d, 2, 9, -1), "-");  // column 9 of 7

  // A stored style is merged with the given one; null removes it.
  CGSStyle al;
  al.SetHorizontalAlignment(2);
  d.StoreStyle(5, 7, &al, gsOverride, 0);
  CGSStyle got;
  ASSERT_EQ(d.GetStyle(5, 7, got, gsCopy, 0), 1);
  EXPECT_EQ(got.GetValue(), "a");
  EXPECT_EQ(got.GetHorizontalAlignment(), 2);
  d.StoreStyle(5, 7, nullptr, gsCopy, 0);
  EXPECT_EQ(ValueAt(d, 5, 7), "-");

  // An index out of range changes nothing.
  EXPECT_EQ(d.StoreStyle(0xFFFFFFFF, 1, &a, gsCopy, 0), 0);
  EXPECT_EQ(d.GetRowCount(), 5u);
}

TEST(StyleStore, RowAndColumnCounts) {
  CGSData d;
  for (uint32_t r = 1; r <= 5; ++r) {
    CGSStyle s = ValueStyle(std::to_string(r));
    d.StoreStyle(r, 1, &s, gsCopy, 0);
  }
  d.RemoveRows(9, 12);  // beyond the count
  EXPECT_EQ(d.GetRowCount(), 5u);
  d.SetRowCount(5);
  EXPECT_EQ(d.GetRowCount(), 5u);
  EXPECT_EQ(ValueAt(d, 5, 1), "5");

  d.InsertRows(2, 1);
  EXPECT_EQ(d.GetRowCount(), 6u);
  EXPECT_EQ(ValueAt(d, 2, 1), "-");
  EXPECT_EQ(ValueAt(d, 3, 1), "2");
  d.RemoveRows(2, 2);
  EXPECT_EQ(ValueAt(d, 2, 1), "2");
  // A run reaching past the last row removes up to the last row only.
  d.RemoveRows(4, 9);
  EXPECT_EQ(d.GetRowCount(), 3u);
  EXPECT_EQ(ValueAt(d, 3, 1), "3");
  d.SetRowCount(1);
  EXPECT_EQ(d.GetRowCount(), 1u);
  EXPECT_EQ(ValueAt(d, 1, 1), "1");

  CGSStyle x = ValueStyle("x");
  d.StoreStyle(1, 3, &x, gsCopy, 0);
  d.InsertCols(1, 2);
  EXPECT_EQ(d.GetColCount(), 5u);
  EXPECT_EQ(ValueAt(d, 1, 3), "1");
  EXPECT_EQ(ValueAt(d, 1, 5), "x");
  d.RemoveCols(1, 2);
  EXPECT_EQ(ValueAt(d, 1, 3), "x");
  d.MoveCols(1, 1, 3);
  EXPECT_EQ(ValueAt(d, 1, 2), "x");
  EXPECT_EQ(ValueAt(d, 1, 3), "1");

  CGSData copy(d);
  d.FreeAll();
  EXPECT_EQ(d.GetRowCount(), 0u);
  EXPECT_EQ(ValueAt(copy, 1, 3), "1");
}

TEST(StyleArray, MoveAndRemoveRuns) {
  struct Case {
    int64_t first, last, dest;
    const char* result;
  };
  for (const Case& c : {Case{0, 0, 2, "BCAD"}, Case{2, 2, 0, "CABD"}, Case{1, 2, 1, "ABCD"},
                        Case{0, 1, 2, "CDAB"}, Case{2, 1, 0, "ABCD"}, Case{7, 7, 9, "ABCD"}}) {
    CGSStylePtrArray a = Letters("ABCD");
    a.MoveRun(c.first, c.last, c.dest);
    EXPECT_EQ(Values(a), c.result) << c.first << " " << c.last << " " << c.dest;
  }
  CGSStylePtrArray a = Letters("ABCD");
  a.RemoveRun(2, 10);
  EXPECT_EQ(Values(a), "AB");
  CGSStylePtrArray b;
  b.Assign(Letters("A_C"));
  EXPECT_EQ(Values(b), "A_C");
}

TEST(UserAttributes, MergeModes) {
  struct Case {
    int mode;
    const char* result;
  };
  for (const Case& c : {Case{0, "1=a 2=Y 3=Z"}, Case{1, "1=a 2=b 3=Z"}, Case{2, "2=Y 3=Z"}, Case{3, "1=a"}}) {
    auto mine = MakeAttributes({{2, "b"}, {1, "a"}});
    auto other = MakeAttributes({{3, "Z"}, {2, "Y"}});
    mine->Merge(*other, c.mode);
    std::string got;
    for (size_t i = 0; i < mine->GetSize(); ++i)
      got += (got.empty() ? "" : " ") + std::to_string(mine->At(i).m_nId) + "=" + mine->At(i).GetValue();
    EXPECT_EQ(got, c.result) << "mode " << c.mode;
  }
  // Ids compare as unsigned 16-bit numbers.
  auto map = MakeAttributes({{0xFFFF, "high"}, {1, "low"}});
  EXPECT_EQ(map->At(0).m_nId, 1);
  EXPECT_EQ(map->At(1).m_nId, 0xFFFF);
  EXPECT_EQ(map->FindIndex(0xFFFF), 1);
  EXPECT_EQ(map->FindIndex(2), -1);
  EXPECT_TRUE(map->Remove(1));
  EXPECT_FALSE(map->Remove(1));
}

TEST(UserAttributes, ValueConversions) {
  CTestTextAttribute a(1, "  -42xyz");
  EXPECT_EQ(a.GetLong(), -42);
  EXPECT_EQ(CTestTextAttribute(1, "2.5e1").GetDouble(), 25.0);
  EXPECT_EQ(CTestTextAttribute(1, "abc").GetLong(), 0);
  EXPECT_EQ(CTestTextAttribute(1, "99999999999").GetLong(), INT32_MAX);
  EXPECT_TRUE(CTestTextAttribute(1, "").IsEmpty());
  EXPECT_TRUE(CTestTextAttribute(4, "v").IsEqual(CTestTextAttribute(4, "v")));
  EXPECT_FALSE(CTestTextAttribute(4, "v").IsEqual(CTestTextAttribute(5, "v")));
  CGSAbstractUserAttribute base;
  EXPECT_EQ(base.Clone(), nullptr);
  EXPECT_EQ(base.GetValue(), "");
}

TEST(UserAttributes, Archive) {
  auto map = MakeAttributes({{9, "nine"}, {0xFFFF, "last"}});
  CArchive out;
  map->Serialize(out);
  CGSUserAttributeMap back;
  CArchive in(out.Bytes());
  back.Serialize(in);
  ASSERT_EQ(back.GetSize(), 2u);
  EXPECT_EQ(back.Get(9)->GetValue(), "nine");
  EXPECT_EQ(back.Get(0xFFFF)->GetValue(), "last");
  EXPECT_EQ(back.Get(9)->ClassName(), std::string("CTestTextAttribute"));

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int cause;
  };
  CArchive foreign;
  foreign.WriteU16(1);
  CGSRangeList list;
  foreign.WriteObject(&list);
  foreign.WriteU16(3);
  CArchive huge;
  huge.WriteU16(60000);
  huge.WriteU16(0);
  std::vector<uint8_t> cut(out.Bytes().begin(), out.Bytes().end() - 3);
  for (const Case& c : {Case{"foreign object", foreign.Bytes(), CArchiveException::badClass},
                        Case{"count beyond the data", huge.Bytes(), CArchiveException::endOfFile},
                        Case{"truncated", cut, CArchiveException::endOfFile}}) {
    auto target = MakeAttributes({{1, "kept"}});
    try {
      CArchive ar(c.bytes);
      target->Serialize(ar);
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const CArchiveException& e) {
      EXPECT_EQ(e.m_cause, c.cause) << c.what;
    }
    ASSERT_EQ(target->GetSize(), 1u) << c.what;
    EXPECT_EQ(target->Get(1)->GetValue(), "kept") << c.what;
  }
}

}  // namespace
