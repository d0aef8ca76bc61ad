// The C++ layer over the document functions: child ranges, reads with
// defaults, arrays in binary attributes (little-endian, value by value),
// replacing a child, the command protocol and documents from XML text.
#include "platform/zevud/conveniences.h"

#include "platform/zevud/command.h"
#include "platform/zevud/testing.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zevud_test::ScratchDir;

namespace {

class Conveniences : public ::testing::Test {
protected:
    void SetUp() override {
        doc_ = zevud::DocumentFromXml(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<root><load lf=\"3\" q=\"2.5\" desc=\"Schnee\"/><support/><load/><load lf=\"7\"/></root>\n",
            dir_.file("doc.vkx"));
        ASSERT_NE(doc_, 0u);
        root_ = ZEVUD_GetRootElement(doc_);
    }
    void TearDown() override {
        if (doc_) ZEVUD_CloseDoc(doc_);
    }
    ScratchDir dir_;
    ZVDOC doc_ = 0;
    ZVELEM root_ = 0;
};

TEST_F(Conveniences, ChildrenOfOneNameOrOfAnyInDocumentOrder) {
    std::vector<int32_t> lf;
    for (ZVELEM load : zevud::Children(root_, "load")) lf.push_back(zevud::Int(load, "lf", -1));
    EXPECT_EQ(lf, (std::vector<int32_t>{3, -1, 7}));
    std::vector<std::string> names;
    for (ZVELEM c : zevud::Children(root_)) names.push_back(zevud::GetElementName(c));
    EXPECT_EQ(names, (std::vector<std::string>{"load", "support", "load", "load"}));
    int none = 0;
    for (ZVELEM c : zevud::Children(root_, "missing")) none += c != 0;
    for (ZVELEM c : zevud::Children(0)) none += c != 0;
    EXPECT_EQ(none, 0);
}

TEST_F(Conveniences, ReadsGiveTheDefaultOnlyForAnAbsentAttribute) {
    ZVELEM load = ZEVUD_FindFirstChild(root_, "load");
    EXPECT_EQ(zevud::Int(load, "lf", 9), 3);
    EXPECT_EQ(zevud::Int(load, "nope", 9), 9);
    EXPECT_EQ(zevud::Double(load, "q", 1.0), 2.5);
    EXPECT_EQ(zevud::Double(load, "nope", 1.0), 1.0);
    EXPECT_EQ(zevud::String(load, "desc", "x"), "Schnee");
    EXPECT_EQ(zevud::String(load, "nope", "x"), "x");
    ZEVUD_SetString(load, "empty", "");
    EXPECT_EQ(zevud::String(load, "empty", "x"), "");
}

TEST_F(Conveniences, ArraysAreStoredLittleEndianValueByValue) {
    EXPECT_EQ(zevud::EncodeArray(std::vector<int32_t>{0x01020304, -1}),
              (std::vector<unsigned char>{4, 3, 2, 1, 0xff, 0xff, 0xff, 0xff}));
    // 1.0f = 0x3f800000, 1.0 = 0x3ff0000000000000 (IEEE 754)
    EXPECT_EQ(zevud::EncodeArray(std::vector<float>{1.0f}), (std::vector<unsigned char>{0, 0, 0x80, 0x3f}));
    EXPECT_EQ(zevud::EncodeArray(std::vector<double>{1.0}), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0xf0, 0x3f}));
    // A trailing part of a value is not read; the count limits the values.
    EXPECT_EQ(zevud::DecodeArray<int32_t>({4, 3, 2, 1, 9}), (std::vector<int32_t>{0x01020304}));
    EXPECT_EQ(zevud::DecodeArray<int32_t>({1, 0, 0, 0, 2, 0, 0, 0}, 1), (std::vector<int32_t>{1}));

    ZVELEM e = ZEVUD_FindFirstChild(root_, "support");
    zevud::SetInts(e, "i", {1, -2, 3});
    zevud::SetFloats(e, "f", {0.5f, -1.25f});
    zevud::SetDoubles(e, "d", {1e-300, -7.0});
    ASSERT_EQ(ZEVUD_SaveDoc(doc_), 1);
    ZEVUD_CloseDoc(doc_);
    doc_ = ZEVUD_OpenDoc(dir_.file("doc.vkx").c_str());
    e = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc_), "support");
    EXPECT_EQ(zevud::GetInts(e, "i"), (std::vector<int32_t>{1, -2, 3}));
    EXPECT_EQ(zevud::GetInts(e, "i", 2), (std::vector<int32_t>{1, -2}));
    EXPECT_EQ(zevud::GetFloats(e, "f"), (std::vector<float>{0.5f, -1.25f}));
    EXPECT_EQ(zevud::GetDoubles(e, "d"), (std::vector<double>{1e-300, -7.0}));
    EXPECT_TRUE(zevud::GetDoubles(e, "missing").empty());
}

TEST_F(Conveniences, ReplaceChildLeavesOneFreshChildOfThatName) {
    ZVELEM fresh = zevud::ReplaceChild(root_, "load");
    ASSERT_NE(fresh, 0u);
    int loads = 0;
    for (ZVELEM c : zevud::Children(root_, "load")) {
        ++loads;
        EXPECT_EQ(c, fresh);
    }
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(ZEVUD_GetAttrCount(fresh), 0);
    EXPECT_EQ(zevud::ReplaceChild(0, "load"), 0u);
}

TEST_F(Conveniences, TextThatIsNoDocumentGivesNone) {
    EXPECT_EQ(zevud::DocumentFromXml("<root><open></root>", dir_.file("bad.vkx")), 0u);
}

TEST(CommandDocument, ParametersAreNumberedInOrderAndReadBack) {
    ZVDOC doc = zevud::command::Create("Calc", true);
    ASSERT_NE(doc, 0u);
    zevud::command::AddParam(doc, "HWND", 0x7fffffff12345678LL);
    zevud::command::AddParam(doc, "int", -3);
    EXPECT_EQ(zevud::command::Action(doc), "Calc");
    EXPECT_TRUE(zevud::command::WantsWarning(doc));
    EXPECT_EQ(zevud::command::ParamCount(doc), 2);
    std::string type = "unchanged";
    int64_t value = 42;
    ASSERT_TRUE(zevud::command::Param(doc, 0, type, value));
    EXPECT_EQ(type, "HWND");
    EXPECT_EQ(value, 0x7fffffff12345678LL);
    ASSERT_TRUE(zevud::command::Param(doc, 1, type, value));
    EXPECT_EQ(value, -3);
    type = "unchanged";
    EXPECT_FALSE(zevud::command::Param(doc, 2, type, value));
    EXPECT_EQ(type, "unchanged");
    ZEVUD_CloseDoc(doc);
    ZVDOC quiet = zevud::command::Create("Open", false);
    EXPECT_FALSE(zevud::command::WantsWarning(quiet));
    ZEVUD_CloseDoc(quiet);
    EXPECT_EQ(zevud::command::Action(0), "");
    EXPECT_EQ(zevud::command::ParamCount(0), 0);
}

}  // namespace
