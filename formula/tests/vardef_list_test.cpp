// Variable definitions of a position: the order in which rows see each
// other, running sums, the document forms, and the refresh of imported
// values with the question about lost ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formula/VarDef.h"
#include "formula/tests/support/FormulaTestSupport.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

CVarDefVariable* AddVariable(CVarDefList& list, const std::string& name, const char* formula,
                             const std::string& desc = "", bool exported = false)
{
    auto v = std::make_unique<CVarDefVariable>();
    v->m_strVarName = name;
    v->m_strDescription = desc.empty() ? "Wert " + name : desc;
    v->m_strUnit = "kN";
    v->m_value.SetFromText(formula);
    v->m_bExported = exported;
    CVarDefVariable* raw = v.get();
    list.Add(std::move(v));
    return raw;
}

CVarDefValue* AddCalc(CVarDefList& list, const char* formula)
{
    auto v = std::make_unique<CVarDefValue>();
    v->m_strDescription = std::string("Berechnung ") + formula;
    v->m_value.SetFromText(formula);
    CVarDefValue* raw = v.get();
    list.Add(std::move(v));
    return raw;
}

CVarDefSum* AddSum(CVarDefList& list, const std::string& name, bool exported = false)
{
    auto s = std::make_unique<CVarDefSum>();
    s->m_strVarName = name;
    s->m_strDescription = "Summe " + name;
    s->m_strUnit = "kN";
    s->m_bExported = exported;
    CVarDefSum* raw = s.get();
    list.Add(std::move(s));
    return raw;
}

void AddTitle(CVarDefList& list, const std::string& title)
{
    auto t = std::make_unique<CVarDefTitle>();
    t->m_strTitle = title;
    list.Add(std::move(t));
}

CVarDefImport* AddImport(CVarDefList& list, const std::string& path, const std::string& name, double value)
{
    auto i = std::make_unique<CVarDefImport>();
    i->m_import.m_strSourcePath = path;
    i->m_import.m_strVarName = name;
    i->m_import.m_strDescription = "übernommen";
    i->m_import.m_strUnit = "kN";
    i->m_import.m_dValue = value;
    CVarDefImport* raw = i.get();
    list.Add(std::move(i));
    return raw;
}

TEST(VarDefOrder, TitleRowsStartANewSumAndLaterSumsIncludeEarlierRows)
{
    CVarDefList list;
    AddVariable(list, "a", "2");
    AddCalc(list, "a*3");
    CVarDefSum* s0 = AddSum(list, "s0");  // 2 + 6
    AddTitle(list, "Lasten");
    AddCalc(list, "4");
    AddImport(list, "12B\\A", "P_12B_A", 1.5);
    AddVariable(list, "b", "a+1");
    CVarDefSum* s1 = AddSum(list, "s1");  // 4 + 1.5 + 3
    AddCalc(list, "s1*2");
    CVarDefSum* s2 = AddSum(list, "s2");  // 8.5 + 17: the second sum goes on from the first
    list.DefineVariables();
    EXPECT_DOUBLE_EQ(s0->m_dValue, 8.0);
    EXPECT_DOUBLE_EQ(s1->m_dValue, 8.5);
    EXPECT_DOUBLE_EQ(s2->m_dValue, 25.5);

    // A sum is itself a variable for the rows below.
    AddVariable(list, "c", "s2-s0");
    list.DefineVariables();
    EXPECT_DOUBLE_EQ(static_cast<CVarDefVariable*>(list.GetAt(list.GetSize() - 1))->m_value.GetValue(), 17.5);
}

TEST(VarDefOrder, ARowSeesTheRowsAboveTheImportsAndTheGlobalsButNotTheRowsBelow)
{
    GetGlobalVariableTable().Define("gamma", "", "", 1.35);
    CVarDefList list;
    CVarDefVariable* early = AddVariable(list, "early", "late+1");
    AddVariable(list, "a", "2");
    CVarDefVariable* b = AddVariable(list, "b", "a*P_12B_M_max*gamma");
    AddImport(list, "12B\\Extremal\\M", "P_12B_M_max", 10);
    CVarDefVariable* late = AddVariable(list, "late", "5");
    list.DefineVariables();

    EXPECT_DOUBLE_EQ(b->m_value.GetValue(), 2 * 10 * 1.35);
    EXPECT_DOUBLE_EQ(late->m_value.GetValue(), 5);
    // "late" lies below: to the row above it is not defined (it reads as 0
    // with the message "'late' nicht definiert").
    EXPECT_DOUBLE_EQ(early->m_value.GetValue(), 1);
    const auto& messages = early->m_value.GetVariableTable()->GetMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].m_nCode, 32);
    double seen = -1;
    early->m_table.Evaluate("late", seen);
    EXPECT_EQ(early->m_table.GetMessages().size(), 1u);
    late->m_table.Evaluate("early", seen);
    EXPECT_TRUE(late->m_table.GetMessages().empty());
    EXPECT_DOUBLE_EQ(seen, 1);

    // The chain of tables ends in the list's table and the global table.
    double imported = 0;
    ASSERT_NE(list.GetVariableTable().Evaluate("P_12B_M_max + gamma", imported), 0);
    EXPECT_DOUBLE_EQ(imported, 11.35);
    GetGlobalVariableTable().RemoveAll();
}

TEST(VarDefOrder, RemovingARowLeavesNoRowPointingAtItsTable)
{
    CVarDefList list;
    AddVariable(list, "a", "2");
    AddVariable(list, "b", "3");
    CVarDefVariable* c = AddVariable(list, "c", "a+b");
    CVarDefValue* calc = AddCalc(list, "c*2");
    list.DefineVariables();
    EXPECT_DOUBLE_EQ(calc->m_value.GetValue(), 10);

    // The row "b" goes; the rows below are read before the next definition.
    list.RemoveAt(1);
    EXPECT_DOUBLE_EQ(c->m_value.GetValue(), 2);  // "b" is no longer defined
    list.SetEntryType(0, VARDEF_TITLE);
    EXPECT_DOUBLE_EQ(calc->m_value.GetValue(), 10);  // "c" as last defined
    list.DefineVariables();
    EXPECT_DOUBLE_EQ(c->m_value.GetValue(), 0);
    EXPECT_DOUBLE_EQ(calc->m_value.GetValue(), 0);

    // A copy made from a row and the row deleted: the copy stands alone.
    auto copy = std::make_unique<CVarDefVariable>();
    copy->CopyFrom(*c);
    list.RemoveAt(1);  // c
    EXPECT_EQ(copy->m_strVarName, "c");
    EXPECT_EQ(copy->m_value.GetFormula(), "a+b");
    copy->m_value.GetValue();
}

TEST(VarDefEntries, FactoryAndCopiesKeepTheirKind)
{
    for (int type = 0; type <= 7; ++type) {
        std::unique_ptr<CVarDefEntry> e = CreateVarDefEntry(type);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->m_nType, type);
        EXPECT_EQ(e->m_nDigits, 2);
        EXPECT_EQ(e->m_nFormat, 0);
        EXPECT_EQ(e->m_nTextHeight, 0);
        EXPECT_EQ(e->GetImportMessage() != nullptr, type == VARDEF_IMPORT);
    }
    EXPECT_EQ(CreateVarDefEntry(-1), nullptr);
    EXPECT_EQ(CreateVarDefEntry(8), nullptr);

    CVarDefTitle title;
    title.m_strTitle = "Auflager";
    title.m_nFormat = VARDEF_BOLD;
    CVarDefText text;
    text.CopyFrom(title);  // another kind: nothing
    EXPECT_EQ(text.m_nFormat, 0);
    CVarDefTitle copy;
    copy.CopyFrom(title);
    EXPECT_EQ(copy.m_strTitle, "Auflager");
    EXPECT_EQ(copy.m_nFormat, VARDEF_BOLD);
}

TEST(VarDefEntries, SlotsResizeAndChangeKind)
{
    CVarDefList list;
    list.SetSize(3);
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.GetAt(1), nullptr);
    list.SetEntryType(1, VARDEF_SUM);
    CVarDefEntry* sum = list.GetAt(1);
    ASSERT_NE(sum, nullptr);
    list.SetEntryType(1, VARDEF_SUM);  // same kind: the entry stays
    EXPECT_EQ(list.GetAt(1), sum);
    list.SetEntryType(1, VARDEF_TEXT);
    EXPECT_EQ(list.GetAt(1)->m_nType, VARDEF_TEXT);
    list.SetEntryType(5, VARDEF_TEXT);  // outside: nothing
    list.SetEntryType(-1, VARDEF_TEXT);
    EXPECT_EQ(list.GetSize(), 3);
    list.SetSize(1);
    EXPECT_EQ(list.GetSize(), 1);
    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0);
}

// A fresh document with its "input" element; closed at the end.
class VarDefDocument : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = ZEVUD_CreateDoc("");
        input = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "input");
    }
    void TearDown() override { ZEVUD_CloseDoc(doc); }
    int Count(ZVELEM parent, const char* name) const
    {
        int n = 0;
        for (ZVELEM c = ZEVUD_FindFirstChild(parent, name); c; c = ZEVUD_FindNextChild(c, name)) ++n;
        return n;
    }
    ZVDOC doc = 0;
    ZVELEM input = 0;
};

TEST_F(VarDefDocument, EveryKindReadsBackAsWritten)
{
    CVarDefList list;
    CVarDefVariable* v = AddVariable(list, "a", "2*3", "Länge", true);
    v->m_nFormat = VARDEF_BOLD | VARDEF_CENTER;
    v->m_nDigits = 4;
    v->m_nTextHeight = 14;
    AddTitle(list, "Überschrift");
    AddCalc(list, "a/4");
    auto text = std::make_unique<CVarDefText>();
    text->m_strText = "frei {mit} \\ Zeichen";
    list.Add(std::move(text));
    auto file = std::make_unique<CVarDefPictureFile>();
    file->m_strFileName = "bild.png";
    file->m_fileBuffer = {0, 1, 2, 255, 0};
    file->m_dWidth = 8.5;
    file->m_dHeight = 4.25;
    list.Add(std::move(file));
    auto pic = std::make_unique<CVarDefPicture>();
    pic->m_fileBuffer = {7, 7};
    pic->m_dWidth = 3;
    list.Add(std::move(pic));
    AddImport(list, "12B\\M", "P_12B_M", 2.5);
    list.SetSize(list.GetSize() + 1);  // an empty slot
    AddSum(list, "s", true);
    list.m_bPageBreak = 1;
    list.DefineVariables();
    list.WriteData(input);

    ZVELEM vardef = ZEVUD_FindFirstChild(input, "vardef");
    ASSERT_NE(vardef, 0u);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(vardef, "version"), 1.1);
    EXPECT_EQ(ZEVUD_GetInt(vardef, "numOfEntries"), 9);
    EXPECT_EQ(Count(vardef, "entry"), 8);
    EXPECT_EQ(ZEVUD_GetInt(vardef, "bPageBreak"), 1);

    CVarDefList back;
    back.ReadData(input);
    ASSERT_EQ(back.GetSize(), 9);
    EXPECT_EQ(back.GetAt(7), nullptr);
    EXPECT_EQ(back.m_bPageBreak, 1);
    auto* v2 = dynamic_cast<CVarDefVariable*>(back.GetAt(0));
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(v2->m_strDescription, "Länge");
    EXPECT_EQ(v2->m_value.GetFormula(), "2*3");
    EXPECT_EQ(v2->m_nFormat, VARDEF_BOLD | VARDEF_CENTER);
    EXPECT_EQ(v2->m_nDigits, 4);
    EXPECT_EQ(v2->m_nTextHeight, 14);
    EXPECT_EQ(v2->m_bExported, 1);
    EXPECT_EQ(dynamic_cast<CVarDefTitle*>(back.GetAt(1))->m_strTitle, "Überschrift");
    EXPECT_EQ(dynamic_cast<CVarDefValue*>(back.GetAt(2))->m_value.GetFormula(), "a/4");
    EXPECT_EQ(dynamic_cast<CVarDefText*>(back.GetAt(3))->m_strText, "frei {mit} \\ Zeichen");
    auto* f2 = dynamic_cast<CVarDefPictureFile*>(back.GetAt(4));
    ASSERT_NE(f2, nullptr);
    EXPECT_EQ(f2->m_fileBuffer, (std::vector<unsigned char>{0, 1, 2, 255, 0}));
    EXPECT_EQ(f2->m_strFileName, "bild.png");
    EXPECT_DOUBLE_EQ(f2->m_dHeight, 4.25);
    EXPECT_EQ(dynamic_cast<CVarDefPicture*>(back.GetAt(5))->m_fileBuffer, (std::vector<unsigned char>{7, 7}));
    EXPECT_EQ(dynamic_cast<CVarDefImport*>(back.GetAt(6))->m_import.m_strSourcePath, "12B\\M");
    auto* s2 = dynamic_cast<CVarDefSum*>(back.GetAt(8));
    ASSERT_NE(s2, nullptr);
    EXPECT_DOUBLE_EQ(s2->m_dValue, 2.5);  // the sum after the imported value, as last defined
    back.DefineVariables();
    EXPECT_DOUBLE_EQ(dynamic_cast<CVarDefValue*>(back.GetAt(2))->m_value.GetValue(), 1.5);

    // Writing again replaces the element.
    back.WriteData(input);
    EXPECT_EQ(Count(input, "vardef"), 1);
}

TEST_F(VarDefDocument, TheOldFormGivesTitlesAndVariables)
{
    ZVELEM vardef = ZEVUD_AddChildElement(input, "vardef");
    ZEVUD_SetInt(vardef, "numOfVars", 3);
    ZVELEM head = ZEVUD_AddChildElement(vardef, "var");
    ZEVUD_SetInt(head, "idx", 0);
    ZEVUD_SetInt(head, "bHeader", 1);
    ZEVUD_SetString(head, "name", "Geometrie");
    ZVELEM var = ZEVUD_AddChildElement(vardef, "var");
    ZEVUD_SetInt(var, "idx", 2);
    ZEVUD_SetString(var, "name", "Spannweite");
    ZEVUD_SetString(var, "shortName", "L");
    ZEVUD_SetDouble(var, "val", 6.5);
    ZEVUD_SetString(var, "unit", "m");

    CVarDefList list;
    list.ReadData(input);
    ASSERT_EQ(list.GetSize(), 3);
    auto* title = dynamic_cast<CVarDefTitle*>(list.GetAt(0));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->m_strTitle, "Geometrie");
    EXPECT_EQ(list.GetAt(1), nullptr);
    auto* v = dynamic_cast<CVarDefVariable*>(list.GetAt(2));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_strDescription, "Spannweite");
    EXPECT_EQ(v->m_strVarName, "L");
    EXPECT_DOUBLE_EQ(v->m_value.GetValue(), 6.5);
    EXPECT_EQ(v->m_strUnit, "m");
}

TEST_F(VarDefDocument, TwoListsOrNoneLeaveTheListUnchanged)
{
    CVarDefList list;
    AddTitle(list, "bleibt");
    list.ReadData(input);  // no "vardef"
    EXPECT_EQ(list.GetSize(), 1);

    CVarDefList other;
    AddVariable(other, "x", "1");
    other.WriteData(input);
    ZEVUD_AddChildElement(input, "vardef");
    list.ReadData(input);
    ASSERT_EQ(list.GetSize(), 1);
    EXPECT_EQ(list.GetAt(0)->m_nType, VARDEF_TITLE);
}

TEST_F(VarDefDocument, WritingAnEmptyListRemovesTheElement)
{
    CVarDefList list;
    AddTitle(list, "weg");
    list.WriteData(input);
    ZEVUD_AddChildElement(input, "vardef");
    ASSERT_EQ(Count(input, "vardef"), 2);
    list.RemoveAll();
    list.WriteData(input);
    EXPECT_EQ(Count(input, "vardef"), 0);
}

TEST_F(VarDefDocument, DamagedEntriesAreSkippedAndSaid)
{
    winsys::ScopedRecordingSink sink;
    ZVELEM vardef = ZEVUD_AddChildElement(input, "vardef");
    ZEVUD_SetDouble(vardef, "version", 1.1);
    ZEVUD_SetInt(vardef, "numOfEntries", 2);
    struct Raw {
        int idx, type;
    };
    const Raw raws[] = {{0, VARDEF_TITLE}, {2, VARDEF_TITLE}, {-1, VARDEF_TEXT}, {1, 9}, {1, VARDEF_TEXT}};
    for (const Raw& r : raws) {
        ZVELEM e = ZEVUD_AddChildElement(vardef, "entry");
        ZEVUD_SetInt(e, "idx", r.idx);
        ZEVUD_SetInt(e, "type", r.type);
    }
    CVarDefList list;
    list.ReadData(input);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.GetAt(0)->m_nType, VARDEF_TITLE);
    EXPECT_EQ(list.GetAt(1)->m_nType, VARDEF_TEXT);
    ASSERT_EQ(sink.messages.size(), 1u);  // the two entries outside the slots
    EXPECT_NE(sink.messages[0].text.find("2 Einträge"), std::string::npos) << sink.messages[0].text;

    // A count beyond reason does not allocate it.
    sink.Clear();
    ZEVUD_SetInt(vardef, "numOfEntries", 2000000000);
    list.ReadData(input);
    EXPECT_EQ(list.GetSize(), kMaxVarDefSlots);
    EXPECT_EQ(sink.messages.size(), 1u);
    ZEVUD_SetInt(vardef, "numOfEntries", -5);
    list.ReadData(input);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(VarDefDocument, PictureBytesAreReadAsFarAsTheDocumentHoldsThem)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;  // stored as binary data; empty: a text attribute
        const char* text;
    };
    const Case cases[] = {
        {"bytes", {1, 2, 3}, nullptr},
        {"missing", {}, nullptr},
        {"text", {}, "kein Binärwert"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZVELEM e = ZEVUD_AddChildElement(input, "entry");
        ZEVUD_SetInt(e, "type", VARDEF_PICTURE);
        if (!c.bytes.empty()) ZEVUD_SetBinData(e, "fileBuffer", static_cast<int>(c.bytes.size()), c.bytes.data(), 1);
        if (c.text) ZEVUD_SetString(e, "fileBuffer", c.text);
        CVarDefPicture pic;
        pic.m_fileBuffer = {9, 9, 9, 9};
        pic.ReadData(e);
        if (c.text) {
            EXPECT_LE(pic.m_fileBuffer.size(), static_cast<size_t>(ZEVUD_GetBinDataLength(e, "fileBuffer")));
        } else {
            EXPECT_EQ(pic.m_fileBuffer, c.bytes);
        }
    }
}

TEST_F(VarDefDocument, AWrongTypeIsSaidAndReadingGoesOn)
{
    winsys::ScopedRecordingSink sink;
    ZVELEM e = ZEVUD_AddChildElement(input, "entry");
    ZEVUD_SetInt(e, "type", VARDEF_TEXT);
    ZEVUD_SetString(e, "title", "gelesen");
    ZEVUD_SetInt(e, "format", VARDEF_ITALIC);
    CVarDefTitle title;
    title.ReadData(e);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Wrong class type in CVarDefEntry::ReadData");
    EXPECT_EQ(title.m_strTitle, "gelesen");
    EXPECT_EQ(title.m_nFormat, VARDEF_ITALIC);
    EXPECT_EQ(title.m_nDigits, 2);  // "digits" absent: 2
}

TEST(VarDefCollect, VariablesSumsAndImportsInListOrder)
{
    CVarDefList list;
    AddVariable(list, "a", "2", "A", true);
    AddVariable(list, "b", "a*5", "B", false);
    AddImport(list, "12B\\Lager\\A", "P_12B_A", 4);
    AddSum(list, "s", true);
    std::vector<std::string> names, descs, units;
    std::vector<double> values;
    list.CollectVariables(names, descs, units, values, false);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "12B\\Lager\\P_12B_A", "s"}));
    EXPECT_EQ(values, (std::vector<double>{2, 10, 4, 16}));
    EXPECT_EQ(descs[2], "übernommen");
    list.CollectVariables(names, descs, units, values, true);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "12B\\Lager\\P_12B_A", "s"}));

    std::vector<CImportValue> imports{CImportValue()};
    list.GetImportedValues(imports);
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_EQ(imports[0].m_strVarName, "P_12B_A");
}

// A prompt that records the lines and answers as told.
class ScriptedPrompt : public CLostImportPrompt {
public:
    int Ask(std::vector<std::string>& lines) override
    {
        asked.push_back(lines);
        for (size_t i = 0; i < lines.size() && i < clear.size(); ++i)
            if (clear[i]) lines[i].clear();
        return answer;
    }
    std::vector<std::vector<std::string>> asked;
    std::vector<bool> clear;
    int answer = winsys::IdOk;
};

class VarDefRefresh : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        fs::current_path(formula_test::ScratchFolder("vardef_refresh"));
        ZVDOC src = ZEVUD_CreateDoc("Q1.vkx");
        ZVELEM exports = ZEVUD_AddChildElement(ZEVUD_GetRootElement(src), "exports");
        ZVELEM v = ZEVUD_AddChildElement(exports, "value");
        ZEVUD_SetString(v, "desc", "A");
        ZEVUD_SetDouble(v, "val", 42);
        ZEVUD_SetString(v, "unit", "kN");
        ZEVUD_SaveDoc(src);
        ZEVUD_CloseDoc(src);
        oldPrompt = SetLostImportPrompt(&prompt);
        SetVarDefSettingReader([this](const std::string& name, int def) {
            return name == "bLTWarning" ? warning : def;
        });
    }
    void TearDown() override
    {
        SetLostImportPrompt(oldPrompt);
        SetVarDefSettingReader(nullptr);
        fs::current_path(previous);
    }
    // Kept: Q1\A; lost: Q1\B (value gone) and Q9\A (file gone).
    void Fill(CVarDefList& list)
    {
        AddImport(list, "Q1\\A", "P_Q1_A", 1);
        AddImport(list, "Q1\\B", "P_Q1_B", 2.5);
        AddVariable(list, "x", "P_Q1_A + P_Q1_B");
        AddImport(list, "Q9\\A", "P_Q9_A", 3);
    }
    fs::path previous;
    ScriptedPrompt prompt;
    CLostImportPrompt* oldPrompt = nullptr;
    int warning = 1;
};

TEST_F(VarDefRefresh, LostValuesAreListedOnceAndRemovedWhenTheUserSaysSo)
{
    CVarDefList list;
    Fill(list);
    prompt.clear = {true, false};  // the first lost value is removed, the second kept
    list.RefreshImportedValues();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], (std::vector<std::string>{"Q1\\B [kN] = 2.50", "Q9\\A [kN] = 3.00"}));
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(static_cast<CVarDefImport*>(list.GetAt(0))->m_import.m_dValue, 42);
    EXPECT_EQ(static_cast<CVarDefImport*>(list.GetAt(2))->m_import.m_strSourcePath, "Q9\\A");
    // The variables are defined afresh: the removed value is no longer there.
    auto* x = static_cast<CVarDefVariable*>(list.GetAt(1));
    EXPECT_DOUBLE_EQ(x->m_value.GetValue(), 42.0) << "P_Q1_B is gone and reads as 0";

    // Once per list.
    list.RefreshImportedValues();
    EXPECT_EQ(prompt.asked.size(), 1u);
}

TEST_F(VarDefRefresh, CancelOrTheSwitchOffKeepsEveryValue)
{
    CVarDefList list;
    Fill(list);
    prompt.clear = {true, true};
    prompt.answer = winsys::IdCancel;
    list.RefreshImportedValues();
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_DOUBLE_EQ(static_cast<CVarDefVariable*>(list.GetAt(2))->m_value.GetValue(), 44.5);

    warning = 0;
    CVarDefList quiet;
    Fill(quiet);
    quiet.RefreshImportedValues();
    EXPECT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(quiet.GetSize(), 4);
}

TEST_F(VarDefRefresh, TheDefaultQuestionGoesThroughTheMessageSink)
{
    SetLostImportPrompt(nullptr);
    winsys::ScopedRecordingSink sink;
    sink.scriptedAnswers = {winsys::IdNo};
    CVarDefList keep;
    Fill(keep);
    keep.RefreshImportedValues();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].buttons, winsys::Buttons::YesNo);
    EXPECT_NE(sink.messages[0].text.find("Q9\\A [kN] = 3.00"), std::string::npos);
    EXPECT_NE(sink.messages[0].text.find("nicht mehr verfügbar"), std::string::npos);
    EXPECT_EQ(keep.GetSize(), 4);

    sink.scriptedAnswers = {winsys::IdYes};
    CVarDefList removeAll;
    Fill(removeAll);
    removeAll.RefreshImportedValues();
    ASSERT_EQ(removeAll.GetSize(), 2);
    EXPECT_EQ(removeAll.GetAt(0)->m_nType, VARDEF_IMPORT);
    EXPECT_EQ(removeAll.GetAt(1)->m_nType, VARDEF_VARIABLE);
}

}  // namespace

namespace {

TEST(VarDefSettings, TheWarningSwitchIsReadFromTheUsersRegistry)
{
    formula_test::UsePrivateRegistry("vardef_settings");
    SetVarDefSettingReader(nullptr);
    const std::string key = "software\\VKT\\velor2005";
    EXPECT_EQ(GetVarDefSetting("bLTWarning", 1), 1);  // absent: the default
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {{"0", 0}, {"1", 1}, {" 7", 7}, {"kein", 1}, {"99999999999", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, key, "bLTWarning", c.text));
        EXPECT_EQ(GetVarDefSetting("bLTWarning", 1), c.expected);
    }
    // The module may put its own settings in place of the registry.
    SetVarDefSettingReader([](const std::string&, int) { return 5; });
    EXPECT_EQ(GetVarDefSetting("bLTWarning", 1), 5);
    SetVarDefSettingReader(nullptr);
}

}  // namespace
