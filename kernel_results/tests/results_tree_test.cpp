// The series shape of the result tree: load case components, the title path
// of nested "node" elements, the threshold below which a series is absent and
// the byte layout of its data.
#include <gtest/gtest.h>

#include "kernel_results/ResultTree.h"
#include "testsupport/position_doc.h"

namespace {

using namespace tovik::results;
using results_test::Series;

TEST(ResultTree, CaseComponentIsRightAlignedInThreeCharacters) {
    const struct { int32_t n; const char* text; } cases[] = {
        {1, "LK   1"}, {7, "LK   7"}, {12, "LK  12"}, {123, "LK 123"}, {1234, "LK 1234"}};
    for (const auto& c : cases) EXPECT_EQ(CaseComponent(c.n), c.text) << c.n;
}

class SeriesTree : public ::testing::Test {
protected:
    SeriesTree() {
        doc = ZEVUD_CreateDoc("");
        result = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "result");
    }
    ~SeriesTree() override { ZEVUD_CloseDoc(doc); }
    int ChildCount(ZVELEM e) {
        int n = 0;
        for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) ++n;
        return n;
    }
    ZVDOC doc = 0;
    ZVELEM result = 0;
};

TEST_F(SeriesTree, SeriesWithinTheThresholdAndItsPathAreAbsent) {
    // (x, value) pairs: x may be large, only the values count.
    EXPECT_EQ(WriteResultSeries(result, "A\\B\\C", {5.0f, 0.0001f, 6.0f, -0.0001f}, 0, 3, 9, "mm"), 0u);
    EXPECT_EQ(WriteResultSeries(result, "A\\B\\D", {1.0f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f}, 2, -1, -1, "mm"), 0u);
    EXPECT_EQ(ChildCount(result), 0);
    // Just above the threshold in the third value of a point is written.
    EXPECT_NE(WriteResultSeries(result, "A\\B\\D", {1.0f, 0.0f, -0.00011f}, 3, -1, -1, "mm"), 0u);
}

TEST_F(SeriesTree, SharedComponentsShareElementsAndTheLaterSeriesWins) {
    ZVELEM a = WriteResultSeries(result, "G\\LK   1\\Verformungen\\Verformung Z", {0.0f, 1.5f}, 0, 4, 0x2001, "mm");
    ZVELEM b = WriteResultSeries(result, "G\\LK   1\\Verformungen\\Verformung Y", {0.0f, 2.5f}, 0, 4, 0x1001, "mm");
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(ChildCount(result), 1);
    EXPECT_EQ(ChildCount(Series(result, {"G", "LK   1", "Verformungen"})), 2);
    EXPECT_EQ(zevud::GetElementName(a), "node");
    EXPECT_EQ(zevud::GetString(Series(result, {"G"}), "title"), "G");
    // Intermediate elements carry only their title.
    EXPECT_EQ(ZEVUD_GetAttrCount(Series(result, {"G", "LK   1"})), 1);

    // Same path again: data, type, unit replaced; lkNr written earlier stays.
    ZVELEM again = WriteResultSeries(result, "G\\LK   1\\Verformungen\\Verformung Z", {0.0f, 7.0f, 3.0f, 1.0f, 8.0f, 2.0f},
                                     3, -1, -1, "kN");
    EXPECT_EQ(again, a);
    EXPECT_EQ(ChildCount(Series(result, {"G", "LK   1", "Verformungen"})), 2);
    EXPECT_EQ(ZEVUD_GetInt(a, "type"), 3);
    EXPECT_EQ(ZEVUD_GetInt(a, "dataLength"), 2);
    EXPECT_EQ(zevud::GetString(a, "unit"), "kN");
    EXPECT_EQ(ZEVUD_GetInt(a, "lkNr"), 4);
    EXPECT_EQ(ZEVUD_GetInt(a, "resType"), 0x2001);
    EXPECT_EQ(ReadSeriesData(a), (std::vector<float>{0.0f, 7.0f, 3.0f, 1.0f, 8.0f, 2.0f}));
}

TEST_F(SeriesTree, LeafAttributesAndLittleEndianData) {
    ZVELEM leaf = WriteResultSeries(result, "T\\Extremal\\Spannungen\\Ausnutzung", {0.5f, 1.0f, -2.0f}, 2, -1, 0xc, "");
    ASSERT_NE(leaf, 0u);
    EXPECT_EQ(ZEVUD_GetInt(leaf, "nDigits"), 2);
    EXPECT_EQ(ZEVUD_GetInt(leaf, "dataLength"), 1);
    EXPECT_FALSE(ZEVUD_HasAttr(leaf, "lkNr"));
    EXPECT_EQ(ZEVUD_GetInt(leaf, "resType"), 0xc);
    const std::vector<unsigned char> bytes = zevud::GetBinData(leaf, "data");
    // 0.5f = 0x3f000000, 1.0f = 0x3f800000, -2.0f = 0xc0000000, low byte first.
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0, 0, 0, 0x3f, 0, 0, 0x80, 0x3f, 0, 0, 0, 0xc0}));
    EXPECT_EQ(DecodeInts(EncodeInts({-1, 0, 0x01020304})), (std::vector<int32_t>{-1, 0, 0x01020304}));
    EXPECT_EQ(EncodeInts({0x01020304}), (std::vector<unsigned char>{4, 3, 2, 1}));
}

TEST_F(SeriesTree, NameWithABackslashAddsALevel) {
    ASSERT_NE(WriteResultSeries(result, "G\\Extremal\\Spannungen\\Steg\\oben\\sigX", {0.0f, 1.0f}, 0, -1, -1, ""), 0u);
    EXPECT_NE(Series(result, {"G", "Extremal", "Spannungen", "Steg", "oben", "sigX"}), 0u);
}

}  // namespace
