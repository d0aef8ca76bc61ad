// Exported values: the flat writer of the variable definitions and the
// folder writer, and how a refresh finds what they wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formula/Exports.h"
#include "formula/ImportValue.h"
#include "formula/VarDef.h"
#include "formula/tests/support/FormulaTestSupport.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

class ExportsTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = ZEVUD_CreateDoc("");
        exports = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "exports");
    }
    void TearDown() override { ZEVUD_CloseDoc(doc); }

    static std::vector<ZVELEM> Children(ZVELEM parent, const char* name)
    {
        std::vector<ZVELEM> out;
        for (ZVELEM c = ZEVUD_FindFirstChild(parent, name); c; c = ZEVUD_FindNextChild(c, name)) out.push_back(c);
        return out;
    }
    static int AllChildren(ZVELEM parent)
    {
        int n = 0;
        for (ZVELEM c = ZEVUD_GetFirstChild(parent); c; c = ZEVUD_GetNextChild(c)) ++n;
        return n;
    }

    // A list with an exported variable, a variable not exported and an
    // exported sum over both.
    static void Fill(CVarDefList& list, double a)
    {
        auto v = std::make_unique<CVarDefVariable>();
        v->m_strDescription = "Auflager A";
        v->m_strVarName = "A";
        v->m_strUnit = "kN";
        v->m_value.SetValue(a);
        v->m_bExported = 1;
        list.Add(std::move(v));
        auto hidden = std::make_unique<CVarDefVariable>();
        hidden->m_strDescription = "intern";
        hidden->m_strVarName = "h";
        hidden->m_value.SetFromText("A*2");
        list.Add(std::move(hidden));
        auto s = std::make_unique<CVarDefSum>();
        s->m_strDescription = "Summe";
        s->m_strVarName = "S";
        s->m_strUnit = "kN";
        s->m_bExported = 1;
        list.Add(std::move(s));
        list.DefineVariables();
    }

    ZVDOC doc = 0;
    ZVELEM exports = 0;
};

TEST_F(ExportsTree, OnlyExportedRowsArePublishedWithTheirValues)
{
    CVarDefList list;
    Fill(list, 12.5);
    list.WriteExports(exports);
    std::vector<ZVELEM> values = Children(exports, "value");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(zevud::GetString(values[0], "desc"), "Auflager A");
    EXPECT_EQ(zevud::GetString(values[0], "varName"), "A");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(values[0], "val"), 12.5);
    EXPECT_EQ(zevud::GetString(values[0], "unit"), "kN");
    EXPECT_EQ(zevud::GetString(values[1], "desc"), "Summe");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(values[1], "val"), 12.5 + 25.0);
    EXPECT_EQ(ZEVUD_FindFirstChildWithAttr(exports, "desc", "intern"), 0u);
}

TEST_F(ExportsTree, WritingTwiceLeavesOneCopyWithTheNewValueAndOtherWritersAlone)
{
    // The kernel's folder and a value of the same name in it are not touched.
    WriteExportToFolder(exports, "Extremal\\", "Auflager A", "Ax", 99, "kN");
    CVarDefList list;
    Fill(list, 1);
    list.WriteExports(exports);
    static_cast<CVarDefVariable*>(list.GetAt(0))->m_value.SetValue(4.0);
    list.DefineVariables();
    list.WriteExports(exports);

    std::vector<ZVELEM> values = Children(exports, "value");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(values[0], "val"), 4.0);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(values[1], "val"), 12.0);
    std::vector<ZVELEM> folders = Children(exports, "folder");
    ASSERT_EQ(folders.size(), 1u);
    ZVELEM kernelValue = ZEVUD_FindFirstChild(folders[0], "value");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(kernelValue, "val"), 99);
    EXPECT_EQ(AllChildren(exports), 3);

    // And the whole tree is the same after one more write.
    zevud::Fingerprint before = zevud::FingerPrint(exports);
    list.WriteExports(exports);
    EXPECT_EQ(zevud::FingerPrint(exports), before);
}

TEST_F(ExportsTree, FolderPathsCreateFoldersAndUpdateTheValue)
{
    WriteExportToFolder(exports, "A\\B\\", "M max", "M_max", 12.5, "kNm");
    std::vector<ZVELEM> a = Children(exports, "folder");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(zevud::GetString(a[0], "desc"), "A");
    std::vector<ZVELEM> b = Children(a[0], "folder");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(zevud::GetString(b[0], "desc"), "B");
    std::vector<ZVELEM> v = Children(b[0], "value");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(zevud::GetString(v[0], "varName"), "M_max");
    EXPECT_EQ(zevud::GetString(v[0], "unit"), "kNm");

    WriteExportToFolder(exports, "A\\B\\", "M max", "M_max2", -3, "kN");
    EXPECT_EQ(AllChildren(exports), 1);
    EXPECT_EQ(AllChildren(a[0]), 1);
    ASSERT_EQ(AllChildren(b[0]), 1);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(v[0], "val"), -3);
    EXPECT_EQ(zevud::GetString(v[0], "varName"), "M_max2");

    // Without a backslash the value goes straight under the element; text
    // after the last backslash names no folder.
    WriteExportToFolder(exports, "", "N", "N", 1, "kN");
    WriteExportToFolder(exports, "A\\rest", "N", "N", 2, "kN");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(Children(exports, "value")[0], "val"), 1);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(Children(a[0], "value")[0], "val"), 2);
}

TEST_F(ExportsTree, AFolderAndAValueOfTheSameNameStayApart)
{
    WriteExportToFolder(exports, "", "Lager", "L", 5, "kN");
    WriteExportToFolder(exports, "Lager\\", "Ax", "Ax", 7, "kN");
    ASSERT_EQ(Children(exports, "value").size(), 1u);
    ASSERT_EQ(Children(exports, "folder").size(), 1u);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(Children(exports, "value")[0], "val"), 5);
    EXPECT_EQ(AllChildren(Children(exports, "value")[0]), 0);

    WriteExportToFolder(exports, "", "Lager", "L", 6, "kN");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(Children(exports, "value")[0], "val"), 6);
    ZVELEM folder = Children(exports, "folder")[0];
    EXPECT_FALSE(ZEVUD_HasAttr(folder, "val"));
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(Children(folder, "value")[0], "val"), 7);
}

TEST_F(ExportsTree, WhatIsExportedCanBeImported)
{
    const fs::path previous = fs::current_path();
    fs::current_path(formula_test::ScratchFolder("exports_roundtrip"));
    ZVDOC src = ZEVUD_CreateDoc("12B.vkx");
    ZVELEM ex = ZEVUD_AddChildElement(ZEVUD_GetRootElement(src), "exports");
    WriteExportToFolder(ex, "Lager\\", "Ax", "Ax", 7, "kN");
    WriteExportToFolder(ex, "", "Lager", "L", 5, "kN");
    // A description with a backslash would name a folder on the way back.
    WriteExportToFolder(ex, "Lager\\", "Mx\\My", "M", 3, "kNm");
    EXPECT_EQ(ExportDescription("Mx\\My"), "Mx/My");
    CVarDefList list;
    auto v = std::make_unique<CVarDefVariable>();
    v->m_strDescription = "q\\g";
    v->m_strVarName = "q";
    v->m_value.SetValue(2.5);
    v->m_bExported = 1;
    list.Add(std::move(v));
    list.DefineVariables();
    list.WriteExports(ex);
    ASSERT_EQ(ZEVUD_SaveDoc(src), 1);
    ZEVUD_CloseDoc(src);

    struct Case {
        const char* path;
        double value;
    };
    const Case cases[] = {{"12B\\Lager\\Ax", 7}, {"12B\\Lager", 5}, {"12B\\Lager\\Mx/My", 3}, {"12B\\q/g", 2.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CImportValue record;
        record.m_strSourcePath = c.path;
        EXPECT_EQ(record.ImportData(), 0);
        EXPECT_DOUBLE_EQ(record.m_dValue, c.value);
    }
    fs::current_path(previous);
}

}  // namespace
