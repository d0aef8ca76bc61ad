// Cell ranges, range lists and the keyed maps with their archive layouts.
#include <gtest/gtest.h>

#include <cstring>

#include "gridstyle/GSArchive.h"
#include "gridstyle/GSMaps.h"
#include "gridstyle/GSRangeList.h"

namespace {

std::vector<uint8_t> Store(CObject& obj) {
  CArchive ar;
  obj.Serialize(ar);
  return ar.Bytes();
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (uint32_t{U16(b, at + 2)} << 16); }

int CauseOf(CObject& obj, std::vector<uint8_t> bytes) {
  try {
    CArchive ar(std::move(bytes));
    obj.Serialize(ar);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return -1;
}

TEST(CellRange, CornersInAnyOrder) {
  CGSRange r(5, 7, 2, 3);
  EXPECT_EQ(r.top, 2u);
  EXPECT_EQ(r.left, 3u);
  EXPECT_EQ(r.bottom, 5u);
  EXPECT_EQ(r.right, 7u);
  EXPECT_EQ(r.kind, 0);
  EXPECT_EQ(r.valid, 1);
  EXPECT_EQ(CGSRange(), (CGSRange{}));
  EXPECT_EQ(CGSRange().valid, 0);
}

TEST(RangeList, ArchiveDropsInvalidRangesAndRoundTrips) {
  CGSRangeList list;
  list.AddTail(CGSRange(1, 2, 3, 4));
  list.AddTail(CGSRange());  // invalid
  CGSRange odd(10, 20, 30, 40);
  odd.kind = 0x1203;  // only the low byte is archived
  list.AddTail(odd);
  auto bytes = Store(list);
  EXPECT_EQ(list.GetCount(), 2u);  // the invalid range left the list itself
  ASSERT_EQ(bytes.size(), 2u + 4u + 2 * 18u);
  EXPECT_EQ(U16(bytes, 0), 1);
  EXPECT_EQ(U32(bytes, 2), 2u);
  EXPECT_EQ(U32(bytes, 6), 1u);    // top
  EXPECT_EQ(U32(bytes, 10), 2u);   // left
  EXPECT_EQ(U32(bytes, 14), 3u);   // bottom
  EXPECT_EQ(U32(bytes, 18), 4u);   // right
  EXPECT_EQ(bytes[22], 0);         // kind
  EXPECT_EQ(bytes[23], 1);         // valid
  EXPECT_EQ(bytes[24 + 16], 0x03); // low byte of the second kind

  CGSRangeList back;
  back.AddTail(CGSRange(9, 9, 9, 9));  // loading appends at the tail
  CArchive ar(bytes);
  back.Serialize(ar);
  ASSERT_EQ(back.GetCount(), 3u);
  auto it = back.Ranges().begin();
  EXPECT_EQ(*it, CGSRange(9, 9, 9, 9));
  EXPECT_EQ(*++it, CGSRange(1, 2, 3, 4));
  EXPECT_EQ((++it)->kind, 3);
}

TEST(RangeList, DamagedArchivesThrowAndLeaveTheListAsItWas) {
  CGSRangeList list;
  list.AddTail(CGSRange(1, 1, 2, 2));
  auto good = Store(list);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int cause;
  };
  std::vector<uint8_t> version2 = good;
  version2[0] = 2;
  std::vector<uint8_t> huge = good;
  huge[2] = huge[3] = huge[4] = huge[5] = 0xFF;  // count 4294967295
  std::vector<uint8_t> cut(good.begin(), good.end() - 1);
  for (const Case& c : {Case{"version 2", version2, CArchiveException::badSchema},
                        Case{"count beyond the data", huge, CArchiveException::endOfFile},
                        Case{"truncated range", cut, CArchiveException::endOfFile}}) {
    CGSRangeList target;
    target.AddTail(CGSRange(7, 7, 7, 7));
    EXPECT_EQ(CauseOf(target, c.bytes), c.cause) << c.what;
    ASSERT_EQ(target.GetCount(), 1u) << c.what;
    EXPECT_EQ(target.Ranges().front(), CGSRange(7, 7, 7, 7)) << c.what;
  }
}

TEST(RangeList, AssignmentReversesAndKeepsValidRanges) {
  CGSRange a(1, 1, 1, 1), b(2, 2, 2, 2), c(3, 3, 3, 3);
  CGSRangeList src;
  src.AddTail(a);
  src.AddTail(b);
  src.AddTail(CGSRange());
  src.AddTail(c);
  CGSRangeList dst;
  dst.AddTail(CGSRange(8, 8, 8, 8));
  dst.Assign(src);
  std::vector<CGSRange> got(dst.Ranges().begin(), dst.Ranges().end());
  EXPECT_EQ(got, (std::vector<CGSRange>{c, b, a}));
}

TEST(DWordMap, ArchiveLayout) {
  CGSMapDWordToLong empty;
  EXPECT_EQ(Store(empty), (std::vector<uint8_t>{0, 0}));

  CGSMapDWordToLong m;
  m[1] = 10;
  m[2] = 20;
  auto bytes = Store(m);
  ASSERT_EQ(bytes.size(), 2u + 16u);
  EXPECT_EQ(U16(bytes, 0), 2);
  // Keys 1 and 2 hash to bucket 0; the later insertion heads the chain.
  EXPECT_EQ(U32(bytes, 2), 2u);
  EXPECT_EQ(U32(bytes, 6), 20u);
  EXPECT_EQ(U32(bytes, 10), 1u);
  EXPECT_EQ(U32(bytes, 14), 10u);
}

TEST(DWordMap, BucketOrderAndOrderWithinABucket) {
  CGSCollMapDWordToLong m;
  // (key >> 4) mod 17: 0x10 -> 1, 0x00 -> 0, 0x110 -> 0, 0x05 -> 0.
  m[0x10] = 1;
  m[0x00] = 2;
  m[0x110] = 3;
  m[0x05] = 4;
  EXPECT_EQ(m.Pairs(), (std::vector<std::pair<uint32_t, int32_t>>{{0x05, 4}, {0x110, 3}, {0x00, 2}, {0x10, 1}}));
}

TEST(DWordMap, LoadingKeepsTheLaterValueAndValueReferenceInsertsZero) {
  CArchive out;
  out.WriteU16(3);
  for (auto [k, v] : {std::pair{7u, 1}, std::pair{8u, 2}, std::pair{7u, 3}}) {
    out.WriteU32(k);
    out.WriteI32(v);
  }
  CGSMapDWordToLong m;
  CArchive in(out.Bytes());
  m.Serialize(in);
  int32_t v = 0;
  ASSERT_TRUE(m.Lookup(7, v));
  EXPECT_EQ(v, 3);
  EXPECT_EQ(m.GetCount(), 2u);

  EXPECT_FALSE(m.Lookup(99, v));
  EXPECT_EQ(m[99], 0);
  EXPECT_EQ(m.GetCount(), 3u);
}

TEST(DWordMap, MoreThan65535EntriesCannotBeStored) {
  CGSMapDWordToLong m;
  m.InitHashTable(4099);
  for (uint32_t k = 0; k < 65536; ++k) m[k] = static_cast<int32_t>(k);
  CArchive ar;
  EXPECT_THROW(m.Serialize(ar), CArchiveException);
  EXPECT_TRUE(ar.Bytes().empty());
  m.RemoveAll();
  for (uint32_t k = 0; k < 65535; ++k) m[k] = 1;
  CArchive ok;
  m.Serialize(ok);
  EXPECT_EQ(ok.Bytes().size(), 2u + 65535u * 8u);
}

TEST(DWordMap, DamagedCountThrowsAndLeavesTheMapAsItWas) {
  CGSMapDWordToLong m;
  m[4] = 44;
  std::vector<uint8_t> bytes{0xFF, 0xFF, 1, 0, 0, 0, 2, 0, 0, 0};
  EXPECT_EQ(CauseOf(m, bytes), CArchiveException::endOfFile);
  EXPECT_EQ(m.Pairs(), (std::vector<std::pair<uint32_t, int32_t>>{{4, 44}}));
}

TEST(DWordMap, HashSizeAndAssignment) {
  CGSMapDWordToLong a;
  a.InitHashTable(1021);
  EXPECT_EQ(a.GetHashTableSize(), 1021u);
  a[0] = 1400;
  a[33] = 5;
  a.InitHashTable(257);  // keys present are kept
  int32_t v = 0;
  EXPECT_TRUE(a.Lookup(33, v));
  EXPECT_EQ(v, 5);
  CGSMapDWordToLong b;
  b[77] = 7;
  b.Assign(a);
  EXPECT_EQ(b.GetCount(), 2u);
  EXPECT_FALSE(b.Lookup(77, v));
  EXPECT_TRUE(b.Lookup(0, v));
  EXPECT_EQ(v, 1400);
}

TEST(IndexMap, HashArchiveAndWrongClass) {
  EXPECT_EQ(GSCellIndexHash{}({0x25, 0x3}), (0x3u << 12) | 0x2u);
  CGSMapCellToOb m;
  m.SetAt(2, 3, std::make_unique<CGSRangeList>());
  static_cast<CGSRangeList*>(m.Lookup(2, 3))->AddTail(CGSRange(1, 2, 3, 4));
  m.SetAt(4, 5, nullptr);
  auto bytes = Store(m);
  CGSMapCellToOb back;
  CArchive in(bytes);
  back.Serialize(in);
  ASSERT_EQ(back.GetCount(), 2u);
  auto* list = dynamic_cast<CGSRangeList*>(back.Lookup(2, 3));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Ranges().front(), CGSRange(1, 2, 3, 4));
  EXPECT_EQ(back.Lookup(4, 5), nullptr);

  // An unknown class name in place of the object.
  CArchive bad;
  bad.WriteU16(1);
  bad.WriteU32(0);
  bad.WriteU32(0);
  bad.WriteU16(5);
  for (char ch : std::string("CNone")) bad.WriteU8(static_cast<uint8_t>(ch));
  bad.WriteU16(0);
  CGSMapCellToOb target;
  EXPECT_EQ(CauseOf(target, bad.Bytes()), CArchiveException::badClass);
  EXPECT_EQ(target.GetCount(), 0u);
}

TEST(IndexMap, DeeplyNestedArchiveIsRefused) {
  // Maps holding maps, nested far deeper than any real archive.
  CArchive out;
  const std::string name = "CGSMapCellToOb";
  for (int i = 0; i < 5000; ++i) {
    out.WriteU16(1);
    out.WriteU32(0);
    out.WriteU32(0);
    out.WriteU16(static_cast<uint16_t>(name.size()));
    for (char ch : name) out.WriteU8(static_cast<uint8_t>(ch));
    out.WriteU16(0);
  }
  out.WriteU16(0);
  CGSMapCellToOb target;
  EXPECT_EQ(CauseOf(target, out.Bytes()), CArchiveException::genericException);
  EXPECT_EQ(target.GetCount(), 0u);
}

TEST(FontDataMap, EntriesAndRelease) {
  CGSMapFontData m;
  EXPECT_FALSE(m.HasStorage());
  GSFontEntry& e = m.FindOrInsert(0x1234567800000001ull);
  EXPECT_EQ(e.refs.load(), 0);
  EXPECT_FALSE(e.filled);
  EXPECT_EQ(&m.FindOrInsert(0x1234567800000001ull), &e);
  m.FindOrInsert(258);  // same bucket as key 1 (258 mod 257)
  EXPECT_TRUE(m.Remove(0x1234567800000001ull));
  EXPECT_FALSE(m.Remove(0x1234567800000001ull));
  EXPECT_TRUE(m.HasStorage());
  EXPECT_TRUE(m.Remove(258));
  EXPECT_FALSE(m.HasStorage());
}

TEST(ClassRecords, RegisteredWithBasesAndSchemas) {
  struct Row {
    const char* name;
    const char* base;
    uint32_t schema;
    bool creatable;
  };
  for (const Row& r : {Row{"CGSRangeList", "CPtrList", 1, true}, Row{"CGSCollMapDWordToLong", "CObject", 0, true},
                       Row{"CGSMapDWordToLong", "CGSCollMapDWordToLong", 0, true},
                       Row{"CMapNdxToOb", "CObject", 0, true}, Row{"CGSMapCellToOb", "CMapNdxToOb", 0, true},
                       Row{"CGSMapFontData", "CObject", 0, false}, Row{"CGSMapByte8ToPtr", "CObject", 0, false},
                       Row{"CGSPtrArrayPtrArray", "CPtrArray", 0, false}}) {
    const CRuntimeClass* rc = CRuntimeClass::FromName(r.name);
    ASSERT_NE(rc, nullptr) << r.name;
    EXPECT_STREQ(rc->m_pBaseClass->m_lpszClassName, r.base) << r.name;
    EXPECT_EQ(rc->m_wSchema, r.schema) << r.name;
    EXPECT_EQ(rc->CreateObject() != nullptr, r.creatable) << r.name;
  }
  CGSMapCellToOb m;
  EXPECT_STREQ(m.ClassName(), "CGSMapCellToOb");
}

TEST(Archive, WrongSchemaOfAnObjectAndFileRoundTrip) {
  CArchive out;
  CGSRangeList list;
  list.AddTail(CGSRange(1, 1, 1, 1));
  out.WriteObject(&list);
  auto bytes = out.Bytes();
  bytes[2 + std::strlen("CGSRangeList")] = 9;  // schema field
  CArchive in(bytes);
  try {
    in.ReadObject(&CGSRangeList::classCGSRangeList);
    FAIL() << "no exception";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::badSchema);
  }
  // A list where a map is required: wrong class.
  CArchive in2(out.Bytes());
  try {
    in2.ReadObject(&CGSCollMapDWordToLong::classCGSCollMapDWordToLong);
    FAIL() << "no exception";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::badClass);
  }

  std::filesystem::create_directories(RIGEL_TEST_TMP);
  auto path = std::filesystem::path(RIGEL_TEST_TMP) / "gridstyle_archive.bin";
  out.WriteToFile(path);
  CArchive file = CArchive::FromFile(path);
  auto obj = file.ReadObject(&CGSRangeList::classCGSRangeList);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(static_cast<CGSRangeList&>(*obj).GetCount(), 1u);
  EXPECT_THROW(CArchive::FromFile(path.string() + ".missing"), CArchiveException);
}

}  // namespace
