// Values taken over from other positions: the record's document form, the
// refresh from the source position's exports, and the generated names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formula/ImportValue.h"
#include "formula/tests/support/FormulaTestSupport.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

// Works in a project folder of its own: the source positions lie in the
// current directory.
class ImportProject : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        folder = formula_test::ScratchFolder("import_value");
        fs::current_path(folder);
    }
    void TearDown() override { fs::current_path(previous); }

    // Writes a source position "<name>.vkx" whose exports hold the value
    // "M-max" = 12.5 kNm in the folder "Extremal\Trag" and the value "N" =
    // 3 kN directly, and the exports element's own "val" 7.
    void WriteSource(const std::string& name, const std::string& unit = "kNm", double value = 12.5)
    {
        ZVDOC doc = ZEVUD_CreateDoc((name + ".vkx").c_str());
        ASSERT_NE(doc, 0u);
        ZVELEM exports = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "exports");
        ZEVUD_SetDouble(exports, "val", 7);
        ZEVUD_SetString(exports, "unit", "-");
        ZVELEM n = ZEVUD_AddChildElement(exports, "value");
        ZEVUD_SetString(n, "desc", "N");
        ZEVUD_SetDouble(n, "val", 3);
        ZEVUD_SetString(n, "unit", "kN");
        ZVELEM f1 = ZEVUD_AddChildElement(exports, "folder");
        ZEVUD_SetString(f1, "desc", "Extremal");
        ZVELEM f2 = ZEVUD_AddChildElement(f1, "folder");
        ZEVUD_SetString(f2, "desc", "Trag");
        ZVELEM v = ZEVUD_AddChildElement(f2, "value");
        ZEVUD_SetString(v, "desc", "M-max");
        ZEVUD_SetString(v, "varName", "M_max");
        ZEVUD_SetDouble(v, "val", value);
        ZEVUD_SetString(v, "unit", unit.c_str());
        ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
        ZEVUD_CloseDoc(doc);
    }

    static CImportValue Record(const std::string& path, double old = 99, const std::string& unit = "alt")
    {
        CImportValue v;
        v.m_strSourcePath = path;
        v.m_strVarName = "P_12B_M_max";
        v.m_dValue = old;
        v.m_strUnit = unit;
        return v;
    }

    fs::path previous, folder;
};

TEST(ImportValueRecord, DocumentFormKeepsTheFiveFieldsAndCopiesLeaveTheMessage)
{
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "importValue");
    CImportValue a;
    a.m_strSourcePath = "12B\\Extremal\\M-max";
    a.m_strDescription = "Größtmoment";
    a.m_strVarName = "P_12B_M_max";
    a.m_dValue = -2.75;
    a.m_strUnit = "kNm";
    a.m_strMessage = "not stored";
    a.WriteData(e);
    EXPECT_EQ(zevud::GetString(e, "varPath"), "12B\\Extremal\\M-max");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(e, "value"), -2.75);
    EXPECT_EQ(ZEVUD_GetAttrCount(e), 5);

    CImportValue b;
    b.ReadData(e);
    EXPECT_EQ(b.m_strSourcePath, a.m_strSourcePath);
    EXPECT_EQ(b.m_strDescription, "Größtmoment");
    EXPECT_EQ(b.m_strVarName, a.m_strVarName);
    EXPECT_DOUBLE_EQ(b.m_dValue, -2.75);
    EXPECT_EQ(b.m_strUnit, "kNm");
    EXPECT_TRUE(b.m_strMessage.empty());

    CImportValue c;
    c.m_strMessage = "own";
    c = a;
    EXPECT_EQ(c.m_strMessage, "own");
    EXPECT_EQ(c.m_strSourcePath, a.m_strSourcePath);
    ZEVUD_CloseDoc(doc);
}

TEST(ImportValueRecord, SplitsThePathIntoFileAndDescriptions)
{
    CImportPath p = SplitImportPath("12B\\Extremal\\Trag\\M-max");
    EXPECT_EQ(p.fileName, "12B.vkx");
    EXPECT_EQ(p.descriptions, (std::vector<std::string>{"Extremal", "Trag", "M-max"}));
    EXPECT_TRUE(SplitImportPath("12B").descriptions.empty());
    EXPECT_TRUE(SplitImportPath("").fileName.empty());
    EXPECT_TRUE(SplitImportPath("\\x").fileName.empty());
}

struct RefreshCase {
    const char* path;
    int result;
    double value;
    const char* unit;
};

TEST_F(ImportProject, RefreshFollowsTheFoldersToTheValue)
{
    WriteSource("12B");
    const RefreshCase cases[] = {
        {"12B\\Extremal\\Trag\\M-max", 0, 12.5, "kNm"},
        {"12B\\N", 0, 3, "kN"},
        {"12b\\N", 0, 3, "kN"},  // the file name is found without regard to case
        {"12B", 0, 7, "-"},      // only a file name: the exports element's own value
        {"12B\\Extremal", 2, 99, "alt"},              // a folder is no value
        {"12B\\Trag\\M-max", 2, 99, "alt"},           // the first step is missing
        {"12B\\Extremal\\Trag\\M-Max", 2, 99, "alt"}, // names compare exactly
        {"12B\\N\\x", 2, 99, "alt"},                  // a value is no folder
        {"13C\\N", 1, 99, "alt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CImportValue v = Record(c.path);
        EXPECT_EQ(v.ImportData(), c.result);
        EXPECT_DOUBLE_EQ(v.m_dValue, c.value);
        EXPECT_EQ(v.m_strUnit, c.unit);
        EXPECT_EQ(v.m_strMessage.empty(), c.result == 0);
    }
}

TEST_F(ImportProject, FailuresSayWhatIsMissingAndKeepTheOldValue)
{
    WriteSource("12B");
    winsys::ScopedRecordingSink sink;

    CImportValue missingValue = Record("12B\\Extremal\\Trag\\M-min", 4.5, "kNm");
    EXPECT_EQ(missingValue.ImportData(), 2);
    EXPECT_EQ(missingValue.m_strMessage, "Datei '12B.vkx': Variable 'M-min' nicht gefunden (alter Wert:4.50 kNm).");
    EXPECT_DOUBLE_EQ(missingValue.m_dValue, 4.5);

    CImportValue missingFile = Record("13C\\N", 1.234, "kN");
    EXPECT_EQ(missingFile.ImportData(), 1);
    EXPECT_EQ(missingFile.m_strMessage, "Datei '13C.vkx' nicht gefunden (alter Wert P_12B_M_max=1.23 kN).");

    // A file that is no document reads as one that does not open.
    { std::ofstream("14D.vkx") << "not a document"; }
    CImportValue damaged = Record("14D\\N", 2, "kN");
    EXPECT_EQ(damaged.ImportData(), 1);
    EXPECT_DOUBLE_EQ(damaged.m_dValue, 2);

    // A later success clears the message.
    CImportValue again = Record("12B\\N");
    again.m_strMessage = "old";
    EXPECT_EQ(again.ImportData(), 0);
    EXPECT_TRUE(again.m_strMessage.empty());

    // The refresh itself shows nothing; its caller lists the failures.
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ImportProject, AnEmptyFileNameChangesNothing)
{
    CImportValue v = Record("", 5, "m");
    v.m_strMessage = "old";
    EXPECT_EQ(v.ImportData(), 0);
    EXPECT_DOUBLE_EQ(v.m_dValue, 5);
    EXPECT_EQ(v.m_strUnit, "m");
    EXPECT_TRUE(v.m_strMessage.empty());
}

TEST_F(ImportProject, AChangedUnitIsTakenOver)
{
    WriteSource("12B", "kNm", 12.5);
    CImportValue v = Record("12B\\Extremal\\Trag\\M-max");
    ASSERT_EQ(v.ImportData(), 0);
    EXPECT_EQ(v.m_strUnit, "kNm");
    WriteSource("12B", "MNm", 0.0125);
    ASSERT_EQ(v.ImportData(), 0);
    EXPECT_EQ(v.m_strUnit, "MNm");
    EXPECT_DOUBLE_EQ(v.m_dValue, 0.0125);
}

// The highest handle slot among n documents alive at once.
uint32_t HighestSlot(int n)
{
    std::vector<ZVDOC> docs;
    uint32_t highest = 0;
    for (int i = 0; i < n; ++i) {
        docs.push_back(ZEVUD_CreateDoc(""));
        highest = std::max(highest, docs.back() & 0xFFFFFFu);
    }
    for (ZVDOC d : docs) ZEVUD_CloseDoc(d);
    return highest;
}

TEST_F(ImportProject, TheSourceIsClosedOnEveryPath)
{
    WriteSource("12B");
    // Closed documents give their handle slots back; documents left open
    // would make the handle table grow by at least one slot per refresh.
    const uint32_t before = HighestSlot(64);
    const char* paths[] = {"12B\\N", "12B\\Extremal\\Trag\\M-min", "12B\\Nix\\N", "13C\\N", "12B"};
    constexpr int kRounds = 100;
    for (int round = 0; round < kRounds; ++round) {
        for (const char* p : paths) {
            CImportValue v = Record(p);
            v.ImportData();
        }
    }
    const uint32_t after = HighestSlot(64);
    EXPECT_LT(after, before + kRounds) << "documents left open by the refresh";
}

struct NameCase {
    const char* file;
    const char* varName;
    const char* expected;
};

TEST(ImportVariableName, IsMadeOfFileAndVariableName)
{
    const NameCase cases[] = {
        {"12B.vkx", "M-max", "P_12B_M_max"},
        {"/proj/12B.VKX", "M-max", "P_12B_M_max"},
        {"C:\\Projekt\\Pos 3.vkx", "M max", "Pos_3_M_max"},
        {"Träger.vkx", "Mä", "Tr_ger_M_"},  // one '_' per character, umlauts too
        {"Dach", "A_1", "Dach_A_1"},
        {"9.vkx", "", "P_9_"},
        {"x.vkx", "a€b", "x_a_b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(MakeImportVariableName(c.file, c.varName), c.expected);
    }
}

}  // namespace

// A source position holding results of other input than it holds now (its
// input changed after the calculation, or a calculation was stopped): the
// calculation's values (those in folders) are taken over as from a position
// without results, not at all; its own exported values (no folder) still are.
TEST_F(ImportProject, ResultsOfOtherInputAreNotTakenOver)
{
    struct Case {
        const char* name;
        bool tied;
        int result;
        double value;
    } cases[] = {{"results of its input", true, 0, 12.5}, {"results of other input", false, 2, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSource("12B");
        ZVDOC doc = ZEVUD_OpenDoc("12B.vkx");
        ASSERT_NE(doc, 0u);
        const ZVELEM root = ZEVUD_GetRootElement(doc);
        const ZVELEM input = ZEVUD_AddChildElement(root, "input");
        ZEVUD_SetDouble(input, "length", 6.0);
        ZEVUD_AddChildElement(root, "result");
        const zevud::Fingerprint fp = zevud::FingerPrint(input);
        ZEVUD_SetBinData(ZEVUD_AddChildElement(root, "info"), "input_fingerprint", 16, fp.bytes, 1);
        if (!c.tied) ZEVUD_SetDouble(input, "length", 8.0);  // changed after the calculation
        ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
        ZEVUD_CloseDoc(doc);

        CImportValue result = Record("12B\\Extremal\\Trag\\M-max");
        EXPECT_EQ(result.ImportData(), c.result);
        EXPECT_DOUBLE_EQ(result.m_dValue, c.value);
        if (c.result == 2)
            EXPECT_EQ(result.m_strMessage, "Datei '12B.vkx': Variable 'M-max' nicht gefunden (alter Wert:99.00 alt).");
        CImportValue own = Record("12B\\N");
        EXPECT_EQ(own.ImportData(), 0);
        EXPECT_DOUBLE_EQ(own.m_dValue, 3);
    }
}
