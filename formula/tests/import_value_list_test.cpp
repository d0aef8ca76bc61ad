// A single taken-over value added to a position's variable definitions:
// overwriting by source path, the title in front of the first one, and the
// variables defined afresh.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "formula/ImportValueList.h"

namespace {

CImportValue Value(const std::string& path, const std::string& varName, double v) {
    CImportValue iv;
    iv.m_strSourcePath = path;
    iv.m_strDescription = path.substr(path.rfind('\\') + 1);
    iv.m_strVarName = varName;
    iv.m_dValue = v;
    iv.m_strUnit = "kN";
    return iv;
}

// Builds a list from kinds: 'T' title, 'X' text, 'I' an imported value
// "Pos1\Auflager A" (variable "Pos1_A", 1.0), 'J' "Pos2\Auflager B".
void Fill(CVarDefList& list, const std::string& kinds) {
    for (char k : kinds) {
        if (k == 'T') {
            auto t = std::make_unique<CVarDefTitle>();
            t->m_strTitle = "Eingabe";
            list.Add(std::move(t));
        } else if (k == 'X') {
            auto t = std::make_unique<CVarDefText>();
            t->m_strText = "Hinweis";
            list.Add(std::move(t));
        } else {
            auto e = std::make_unique<CVarDefImport>();
            e->m_import = k == 'I' ? Value("Pos1\\Auflager A", "Pos1_A", 1.0) : Value("Pos2\\Auflager B", "Pos2_B", 2.0);
            list.Add(std::move(e));
        }
    }
}

// The list as kinds again ('T' also for the new title, whose text is
// checked apart), with the imported values' paths and values.
std::string Kinds(const CVarDefList& list) {
    std::string s;
    for (int i = 0; i < list.GetSize(); ++i) {
        const CVarDefEntry* e = list.GetAt(i);
        switch (e->m_nType) {
        case VARDEF_TITLE: s += 'T'; break;
        case VARDEF_TEXT: s += 'X'; break;
        case VARDEF_IMPORT: {
            const CImportValue& iv = static_cast<const CVarDefImport*>(e)->m_import;
            s += "[" + iv.m_strSourcePath + "=" + std::to_string(int(iv.m_dValue)) + "]";
            break;
        }
        default: s += '?';
        }
    }
    return s;
}

}  // namespace

TEST(AddImportValueToList, OverwritesByPathOrAppendsBehindATitle) {
    struct Case {
        const char* name;
        std::string before;
        std::string path;
        std::string after;
        int newTitleAt;  // index of the new "Lastübernahmen" title, -1 none
    };
    const Case cases[] = {
        {"same path in other letter case overwrites", "XI", "POS1\\auflager a", "X[POS1\\auflager a=7]", -1},
        {"every entry of that path is overwritten", "IJI", "pos1\\Auflager A",
         "[pos1\\Auflager A=7][Pos2\\Auflager B=2][pos1\\Auflager A=7]", -1},
        {"an empty list gets the entry only", "", "Pos3\\M", "[Pos3\\M=7]", -1},
        {"other entries without a title: title, then the entry", "XX", "Pos3\\M", "XXT[Pos3\\M=7]", 2},
        {"a list beginning with a title: the entry only", "TX", "Pos3\\M", "TX[Pos3\\M=7]", -1},
        {"a new path always goes to the end", "XIX", "Pos3\\M", "X[Pos1\\Auflager A=1]X[Pos3\\M=7]", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVarDefList list;
        Fill(list, c.before);
        AddImportValueToList(list, Value(c.path, "M", 7.0));
        EXPECT_EQ(Kinds(list), c.after);
        if (c.newTitleAt >= 0)
            EXPECT_EQ(static_cast<CVarDefTitle*>(list.GetAt(c.newTitleAt))->m_strTitle, "Lastübernahmen");
    }
}

TEST(AddImportValueToList, NotifyDefinesTheVariablesWithTheNewValue) {
    CVarDefList list;
    Fill(list, "X");
    const CImportValue v = Value("12B\\Auflager\\M-max", MakeImportVariableName("12B.vkx", "M-max"), 12.5);
    ASSERT_EQ(v.m_strVarName, "P_12B_M_max");
    int calls = 0;
    AddImportValueToListAndNotify(v, list, [&] {
        ++calls;
        EXPECT_EQ(list.GetSize(), 3);  // title and entry are in before
        list.DefineVariables();
    });
    EXPECT_EQ(calls, 1);
    double result = 0;
    ASSERT_NE(list.GetVariableTable().Evaluate("P_12B_M_max * 2", result), 0);
    EXPECT_DOUBLE_EQ(result, 25.0);
}
