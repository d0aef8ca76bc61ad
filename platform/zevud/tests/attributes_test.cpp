// Attributes: every kind through a save and an open, the conversions on
// reading, insertion order, lossless names and texts, binary data and
// stored files.
#include "platform/zevud/zevud.h"

#include "platform/winsys/winsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using zevud_test::ReadFile;
using zevud_test::ScratchDir;
using zevud_test::WriteFile;

namespace {

// A document written by the test, saved and opened again: every check runs
// once on the document in memory and once on the one read back.
class SavedDoc : public ::testing::Test {
protected:
    void TearDown() override {
        if (doc_) ZEVUD_CloseDoc(doc_);
    }
    ZVELEM Root() {
        if (!doc_) doc_ = ZEVUD_CreateDoc(dir_.file("attr.vkx").c_str());
        return ZEVUD_GetRootElement(doc_);
    }
    ZVELEM Reopen() {
        EXPECT_EQ(ZEVUD_SaveDoc(doc_), 1);
        ZEVUD_CloseDoc(doc_);
        doc_ = ZEVUD_OpenDoc(dir_.file("attr.vkx").c_str());
        EXPECT_NE(doc_, 0u);
        return ZEVUD_GetRootElement(doc_);
    }
    ScratchDir dir_;
    ZVDOC doc_ = 0;
};

std::vector<std::string> AttrNames(ZVELEM e) {
    std::vector<std::string> names;
    for (int i = 0; i < ZEVUD_GetAttrCount(e); ++i) names.push_back(zevud::GetAttrName(e, i));
    return names;
}

}  // namespace

TEST_F(SavedDoc, EveryKindRoundTripsExactly) {
    const double doubles[] = {0.0, -0.0, 0.1, 2.5, 1.0 / 3.0, -1234.5678e-300, 6.02214076e23,
                              std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                              21000.0, 1e-7};
    const int32_t ints[] = {0, 1, -1, 2147483647, -2147483647 - 1};
    const int64_t int64s[] = {0, 0x7ffdf00dcafe1234LL, -5, std::numeric_limits<int64_t>::max(),
                              std::numeric_limits<int64_t>::min()};
    const std::string texts[] = {"", "Lastfälle ÄÖÜß µ ²", "a\"b'c&d<e>f", "tab\tnew\nline\rret",
                                 "  blanks  ", std::string("ctl\x01\x1f", 5), "\xe2\x82\xac 5,50"};
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "in memory" : "after save and open");
        ZVELEM r = pass == 0 ? Root() : Reopen();
        ZVELEM e = pass == 0 ? ZEVUD_AddChildElement(r, "values") : ZEVUD_FindFirstChild(r, "values");
        ASSERT_NE(e, 0u);
        for (size_t i = 0; i < std::size(doubles); ++i) {
            std::string k = "d" + std::to_string(i);
            if (pass == 0) {
                ASSERT_EQ(ZEVUD_SetDouble(e, k.c_str(), doubles[i]), 1);
            }
            double back = ZEVUD_GetDouble(e, k.c_str());
            EXPECT_EQ(std::memcmp(&back, &doubles[i], sizeof back), 0) << k << " " << doubles[i] << " -> " << back;
        }
        for (size_t i = 0; i < std::size(ints); ++i) {
            std::string k = "i" + std::to_string(i);
            if (pass == 0) {
                ASSERT_EQ(ZEVUD_SetInt(e, k.c_str(), ints[i]), 1);
            }
            EXPECT_EQ(ZEVUD_GetInt(e, k.c_str()), ints[i]) << k;
        }
        for (size_t i = 0; i < std::size(int64s); ++i) {
            std::string k = "l" + std::to_string(i);
            if (pass == 0) {
                ASSERT_EQ(ZEVUD_SetInt64(e, k.c_str(), int64s[i]), 1);
            }
            EXPECT_EQ(ZEVUD_GetInt64(e, k.c_str()), int64s[i]) << k;
        }
        for (size_t i = 0; i < std::size(texts); ++i) {
            std::string k = "s" + std::to_string(i);
            if (pass == 0) {
                ASSERT_EQ(ZEVUD_SetString(e, k.c_str(), texts[i].c_str()), 1);
            }
            EXPECT_EQ(zevud::GetString(e, k), texts[i]) << k;
        }
        std::vector<unsigned char> bin;
        for (int b = 0; b < 256; ++b) bin.push_back(static_cast<unsigned char>(b));
        for (int len : {0, 1, 2, 3, 4, 16, 256}) {
            std::string k = "b" + std::to_string(len);
            std::vector<unsigned char> part(bin.begin(), bin.begin() + len);
            if (pass == 0) {
                ASSERT_EQ(ZEVUD_SetBinData(e, k.c_str(), len, part.data(), 1), 1);
            }
            EXPECT_EQ(ZEVUD_HasAttr(e, k.c_str()), 1);
            EXPECT_EQ(ZEVUD_GetBinDataLength(e, k.c_str()), len);
            EXPECT_EQ(zevud::GetBinData(e, k), part) << k;
        }
    }
}

// Reads of a stored text as the other types.
TEST(Conversions, StoredTextsReadAsNumbers) {
    struct Case {
        const char* text;
        int32_t asInt;
        int64_t asInt64;
        double asDouble;
    } cases[] = {
        {"7", 7, 7, 7.0},
        {"2.50", 2, 2, 2.5},
        {"-3.99", -3, -3, -3.99},
        {"1,3,5", 1, 1, 1.0},
        {"  42  ", 42, 42, 42.0},
        {"+8", 8, 8, 8.0},
        {"1e3", 1000, 1000, 1000.0},
        {"0.5e1", 5, 5, 5.0},
        {"", 0, 0, 0.0},
        {"abc", 0, 0, 0.0},
        {"12abc", 12, 12, 12.0},
        {"nan", 0, 0, std::nan("")},
        {"1e300", 2147483647, 9223372036854775807LL, 1e300},
        {"-1e300", -2147483647 - 1, -9223372036854775807LL - 1, -1e300},
        {"1e999", 2147483647, 9223372036854775807LL, HUGE_VAL},
        {"1e-999", 0, 0, 0.0},
        {"3000000000", 2147483647, 3000000000LL, 3e9},
        {"9007199254740993", 2147483647, 9007199254740993LL, 9007199254740992.0},
        {"-0.7", 0, 0, -0.7},
    };
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_GetRootElement(d);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ZEVUD_SetString(e, "v", c.text);
        EXPECT_EQ(ZEVUD_GetInt(e, "v"), c.asInt);
        EXPECT_EQ(ZEVUD_GetIntWithDefault(e, "v", -99), c.asInt);
        EXPECT_EQ(ZEVUD_GetInt64(e, "v"), c.asInt64);
        if (std::isnan(c.asDouble))
            EXPECT_TRUE(std::isnan(ZEVUD_GetDouble(e, "v")));
        else
            EXPECT_EQ(ZEVUD_GetDouble(e, "v"), c.asDouble);
    }
    ZEVUD_CloseDoc(d);
}

TEST(Conversions, MissingGivesZeroOrTheDefaultOnlyWhenAbsent) {
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_GetRootElement(d);
    const double marker = -99382822.0;
    for (ZVELEM where : {e, ZVELEM(0)}) {
        EXPECT_EQ(ZEVUD_GetInt(where, "none"), 0);
        EXPECT_EQ(ZEVUD_GetInt64(where, "none"), 0);
        EXPECT_EQ(ZEVUD_GetDouble(where, "none"), 0.0);
        EXPECT_EQ(zevud::GetString(where, "none"), "");
        EXPECT_EQ(ZEVUD_GetBinDataLength(where, "none"), 0);
        EXPECT_EQ(ZEVUD_GetIntWithDefault(where, "none", -999999), -999999);
        EXPECT_EQ(ZEVUD_GetDoubleWithDefault(where, "none", marker), marker);
    }
    // Present, even empty or zero: the stored value, not the default.
    ZEVUD_SetString(e, "empty", "");
    ZEVUD_SetDouble(e, "zero", 0.0);
    EXPECT_EQ(ZEVUD_GetIntWithDefault(e, "empty", 5), 0);
    EXPECT_EQ(ZEVUD_GetDoubleWithDefault(e, "zero", marker), 0.0);
    EXPECT_EQ(ZEVUD_GetDoubleWithDefault(e, "empty", marker), 0.0);
    ZEVUD_CloseDoc(d);
}

TEST(Conversions, IntByPathBelowTheRoot) {
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZVELEM input = ZEVUD_AddChildElement(root, "input");
    ZVELEM sys = ZEVUD_AddChildElement(input, "system");
    ZEVUD_SetInt(sys, "nFelder", 3);
    ZEVUD_SetString(sys, "gleich", "4.9");
    ZEVUD_SetInt(root, "top", 11);
    struct Case {
        const char* path;
        const char* attr;
        int32_t expected;
    } cases[] = {
        {"input\\system", "nFelder", 3}, {"input\\system", "gleich", 4},   {"\\input\\system", "nFelder", 3},
        {"", "top", 11},                 {"input\\system", "nix", -999999}, {"input\\sys", "nFelder", -999999},
        {"input\\system\\more", "nFelder", -999999},
    };
    for (const Case& c : cases) EXPECT_EQ(ZEVUD_GetIntByPath(d, c.path, c.attr, -999999), c.expected) << c.path;
    ZEVUD_CloseDoc(d);
    EXPECT_EQ(ZEVUD_GetIntByPath(d, "input\\system", "nFelder", -1), -1) << "closed document";
}

TEST(Conversions, DoubleUnderNodeTakesValueAttributeElseText) {
    ScratchDir dir;
    std::string file = dir.file("under.xml");
    WriteFile(file, "<root><a value=\"1.25\">9</a><b> 3.5 </b><c/></root>");
    ZVDOC d = ZEVUD_OpenDoc(file.c_str());
    ASSERT_NE(d, 0u);
    ZVELEM r = ZEVUD_GetRootElement(d);
    EXPECT_EQ(ZEVUD_GetDoubleUnderNode(r, "a"), 1.25);
    EXPECT_EQ(ZEVUD_GetDoubleUnderNode(r, "b"), 3.5);
    EXPECT_EQ(ZEVUD_GetDoubleUnderNode(r, "c"), 0.0);
    EXPECT_EQ(ZEVUD_GetDoubleUnderNode(r, "missing"), 0.0);
    // Text content survives a save.
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZEVUD_CloseDoc(d);
    d = ZEVUD_OpenDoc(file.c_str());
    EXPECT_EQ(ZEVUD_GetDoubleUnderNode(ZEVUD_GetRootElement(d), "b"), 3.5);
    ZEVUD_CloseDoc(d);
}

TEST_F(SavedDoc, AttributesKeepInsertionOrderAndPlaceWhenSetAgain) {
    ZVELEM r = Root();
    for (const char* k : {"progname", "modulename", "version", "zeta", "alpha"}) ZEVUD_SetString(r, k, "1");
    ZEVUD_SetInt(r, "version", 2);
    ZEVUD_SetDouble(r, "progname", 3.5);
    std::vector<std::string> order{"progname", "modulename", "version", "zeta", "alpha"};
    EXPECT_EQ(AttrNames(r), order);
    EXPECT_EQ(ZEVUD_DeleteAttr(r, "modulename"), 1);
    EXPECT_EQ(ZEVUD_DeleteAttr(r, "modulename"), 0);
    ZEVUD_SetString(r, "modulename", "again");  // a new one goes to the end
    order = {"progname", "version", "zeta", "alpha", "modulename"};
    EXPECT_EQ(AttrNames(r), order);
    r = Reopen();
    EXPECT_EQ(AttrNames(r), order);
    EXPECT_EQ(ZEVUD_GetDouble(r, "progname"), 3.5);
    EXPECT_EQ(ZEVUD_GetAttrName(r, 5, nullptr, 0), -1);
    EXPECT_EQ(ZEVUD_GetAttrName(r, -1, nullptr, 0), -1);
}

// Annotation keys and other free texts are stored as attribute names.
TEST_F(SavedDoc, NamesThatAreNoXmlNamesAreKeptLosslessly) {
    const std::string names[] = {"Schnittgrößen", "Nachweis 1", "1. Feld", "a:b", "x/y\\z", "_x0041_",
                                 "_x",            "__xx__",    "q\"&<>'", "tab\there", "-lead", "µ",
                                 "€ Kosten",      "ok_name.1-2"};
    ZVELEM r = Root();
    ZVELEM ann = ZEVUD_AddChildElement(r, "annotations");
    for (size_t i = 0; i < std::size(names); ++i) {
        ASSERT_EQ(ZEVUD_SetInt(ann, names[i].c_str(), static_cast<int>(i)), 1) << names[i];
        ASSERT_NE(ZEVUD_AddChildElement(r, names[i].c_str()), 0u) << names[i];
    }
    r = Reopen();
    ann = ZEVUD_FindFirstChild(r, "annotations");
    std::vector<std::string> expected(std::begin(names), std::end(names));
    EXPECT_EQ(AttrNames(ann), expected);
    std::vector<std::string> elements;
    for (ZVELEM c = ZEVUD_GetNextChild(ann); c; c = ZEVUD_GetNextChild(c)) elements.push_back(zevud::GetElementName(c));
    EXPECT_EQ(elements, expected);
    for (size_t i = 0; i < std::size(names); ++i) EXPECT_EQ(ZEVUD_GetInt(ann, names[i].c_str()), static_cast<int>(i));
    // Bad names are refused, not stored.
    EXPECT_EQ(ZEVUD_SetInt(ann, "", 1), 0);
    EXPECT_EQ(ZEVUD_SetInt(ann, nullptr, 1), 0);
    EXPECT_EQ(ZEVUD_SetInt(ann, "\xff\xfe", 1), 0);
    EXPECT_EQ(ZEVUD_AddChildElement(r, ""), 0u);
    EXPECT_EQ(ZEVUD_SetString(ann, "k", nullptr), 0);
}

TEST(Names, MakeValidElementName) {
    struct Case {
        const char* text;
        const char* name;
    } cases[] = {
        {"input", "input"},          {"IPE 300", "IPE_300"},  {"1. Feld", "_1._Feld"}, {"Schnittgrößen", "Schnittgrößen"},
        {"a:b/c\\d", "a_b_c_d"},     {"", "_"},               {"-x", "_-x"},           {"HEA-200.1", "HEA-200.1"},
        {"(Ed)", "_Ed_"},            {"µm", "_m"},            {"€", "€"},
    };
    for (const Case& c : cases) {
        std::string n = zevud::MakeValidElementName(c.text);
        EXPECT_EQ(n, c.name) << c.text;
        EXPECT_EQ(zevud::MakeValidElementName(c.text), n) << "same text, same name";
        ZVDOC d = ZEVUD_CreateDoc("");
        ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(d), n.c_str());
        std::string xml = zevud::GetDocText(d);
        EXPECT_NE(xml.find("<" + n), std::string::npos) << "written as it is: " << xml;
        EXPECT_NE(e, 0u);
        ZEVUD_CloseDoc(d);
    }
}

TEST(BinaryData, CopiesAtMostTheBufferAndRefusesBadInput) {
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_GetRootElement(d);
    const unsigned char data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(ZEVUD_SetBinData(e, "fp", 10, data, 1), 1);
    unsigned char buf[16];
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(ZEVUD_GetBinData(e, "fp", buf, 4), 4);
    EXPECT_EQ(buf[3], 4);
    EXPECT_EQ(buf[4], 0xAA) << "nothing beyond the given size";
    EXPECT_EQ(ZEVUD_GetBinData(e, "fp", buf, 16), 10);
    EXPECT_EQ(ZEVUD_GetBinData(e, "fp", nullptr, 16), 0);
    EXPECT_EQ(ZEVUD_SetBinData(e, "neg", -1, data, 1), 0);
    EXPECT_EQ(ZEVUD_SetBinData(e, "null", 5, nullptr, 1), 0);
    EXPECT_EQ(ZEVUD_HasAttr(e, "neg") + ZEVUD_HasAttr(e, "null"), 0);
    // A text that is not base64 has no binary data.
    ZEVUD_SetString(e, "text", "1,3,5");
    EXPECT_EQ(ZEVUD_GetBinDataLength(e, "text"), 0);
    EXPECT_EQ(ZEVUD_GetBinData(e, "text", buf, 16), 0);
    ZEVUD_CloseDoc(d);
}

// Base64 texts written by hand (RFC 4648 examples and damaged forms): the
// decoded bytes, or no binary data at all.
TEST(BinaryData, HandWrittenBase64Texts) {
    struct Case {
        const char* text;
        const char* bytes;  // nullptr: not base64
    };
    const Case cases[] = {
        {"TWFu", "Man"},
        {"TWE=", "Ma"},
        {"TQ==", "M"},
        {"TWFuTQ", "ManM"},  // no padding at the end
        {"TWFu TQ==", "ManM"},
        {" T W\r\nF u\t", "Man"},  // blanks anywhere
        {"TWFuTWFuTWFuTWFu", "ManManManMan"},
        {"", ""},
        {"TQ==TWFu", nullptr},  // a whole group after the padding
        {"TWFu=A==", nullptr},
        {"TWFu=TWFu", nullptr},
        {"T", nullptr},         // a dangling sign
        {"TWFuT", nullptr},
        {"TQ===", nullptr},     // too much padding
        {"TQ=", nullptr},       // padding that does not fill the group
        {"TW!u", nullptr},      // a foreign sign
        {"TWFu-TWFu", nullptr},
    };
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_GetRootElement(d);
    for (const Case& c : cases) {
        ZEVUD_SetString(e, "b", c.text);
        const std::string want = c.bytes ? c.bytes : "";
        EXPECT_EQ(ZEVUD_GetBinDataLength(e, "b"), static_cast<int>(want.size())) << c.text;
        const std::vector<unsigned char> got = zevud::GetBinData(e, "b");
        EXPECT_EQ(std::string(got.begin(), got.end()), want) << c.text;
    }
    ZEVUD_CloseDoc(d);
}

TEST(StoredFiles, StoreAndLoadBackByteForByte) {
    ScratchDir dir;
    std::string content;
    for (int i = 0; i < 70000; ++i) content += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(dir.file("ctnachweis.tmp.rtf"), content);
    WriteFile(dir.file("empty.rtf"), "");
    ZVDOC d = ZEVUD_CreateDoc(dir.file("pos.vkx").c_str());
    ZVELEM r = ZEVUD_GetRootElement(d);
    ZVELEM res = ZEVUD_AddChildElement(r, "result");
    ASSERT_EQ(ZEVUD_StoreFileInAttr(res, "ctnachweis.tmp.rtf", dir.file("ctnachweis.tmp.rtf").c_str(), 1), 1);
    ASSERT_EQ(ZEVUD_StoreFileInAttr(res, "leer", dir.file("empty.rtf").c_str(), 1), 1);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZEVUD_CloseDoc(d);
    std::filesystem::remove(dir.file("ctnachweis.tmp.rtf"));

    d = ZEVUD_OpenDoc(dir.file("pos.vkx").c_str());
    res = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
    EXPECT_EQ(ZEVUD_GetBinDataLength(res, "ctnachweis.tmp.rtf"), 70000);
    ASSERT_EQ(ZEVUD_LoadFileFromAttr(res, "ctnachweis.tmp.rtf", dir.file("out.rtf").c_str()), 1);
    EXPECT_EQ(ReadFile(dir.file("out.rtf")), content);
    ASSERT_EQ(ZEVUD_LoadFileFromAttr(res, "leer", dir.file("out2.rtf").c_str()), 1);
    EXPECT_EQ(ReadFile(dir.file("out2.rtf")), "");

    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(ZEVUD_LoadFileFromAttr(res, "missing", dir.file("out3.rtf").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out3.rtf")));
    EXPECT_EQ(ZEVUD_StoreFileInAttr(res, "gone", dir.file("nichtda.rtf").c_str(), 1), 0);
    EXPECT_EQ(ZEVUD_HasAttr(res, "gone"), 0);
    ZEVUD_SetString(res, "kaputt", "@@@");
    WriteFile(dir.file("keep.rtf"), "old");
    EXPECT_EQ(ZEVUD_LoadFileFromAttr(res, "kaputt", dir.file("keep.rtf").c_str()), 0);
    EXPECT_EQ(ReadFile(dir.file("keep.rtf")), "old");
    EXPECT_EQ(sink.messages.size(), 2u) << "missing file and damaged data are said";
    ZEVUD_CloseDoc(d);
}
