// The editor document in the position document: storage, macros and
// events, calculation with export values and the report export.
#include "editor/core/EditorDocument.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "formula/VarDef.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "platform/zozudeda/zozudeda.h"

namespace fs = std::filesystem;

namespace {

class Position : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>&, int) override { return true; }
};

// A folder of this process: the tests write macro files and settings of their own.
const fs::path kDir = fs::path(RIGEL_TEST_TMP) / ("editor_document_" + std::to_string(::getpid()));

const std::string kPage =
    "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}"
    "{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\pard\\f0\\fs20\\cf2 b = 20\\par\r\n"
    "h = 30\\par\r\nA = b*h = #.##\\cf1\\par\r\n}";

void WriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int CountChildren(ZVELEM parent, const char* name) {
    int n = 0;
    for (ZVELEM c = ZEVUD_FindFirstChild(parent, name); c; c = ZEVUD_FindNextChild(c, name)) ++n;
    return n;
}

class EditorDocument : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(kDir);
        // Settings of this process only.
        setenv("VELOR_REGISTRY_DIR", (kDir / "registry").string().c_str(), 1);
        winsys::RegistryReload();
        // Macro files of this test only.
        WriteFile(kDir / "vkt.bas",
                  "events = {}\n"
                  "function Flaeche(b, h) return b * h end\n"
                  "function OnInitDocument(n, f) events[#events + 1] = 'init|' .. n .. '|' .. f end\n"
                  "function OnExitDocument(n, f) events[#events + 1] = 'exit|' .. n .. '|' .. f end\n"
                  "function OnStartCalculation(n, f) events[#events + 1] = 'start' end\n"
                  "function OnEndCalculation(n, f) events[#events + 1] = 'end' end\n"
                  "function Events() return 0, table.concat(events, ';') end\n");
        WriteFile(kDir / "user.bas", "function Doppelt(x) return 2 * x end\n");
        GetRegSettings().SetString("Quill", "vktMacroFile", (kDir / "vkt.bas").string());
        GetRegSettings().SetString("Quill", "userMacroFile", (kDir / "user.bas").string());
        doc = ZEVUD_CreateDoc((kDir / "Träger 1.vkx").string().c_str());
        root = ZEVUD_GetRootElement(doc);
        position.m_hDoc = doc;
    }
    void TearDown() override {
        ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(kDir, ec);
    }
    std::string Events(CEditorDocument& d) {
        ZOZUDEDA_Execute(d.GetSession(), "Events()");
        return ZOZUDEDA_GetStrResult(d.GetSession());
    }
    Position position;
    ZVDOC doc = 0;
    ZVELEM root = 0;
};

TEST_F(EditorDocument, StorageRoundTripOfEveryField) {
    CEditorDocument a(&position);
    a.pages.AddText(kPage);
    a.macroText = "function Eigen() return 7 end";
    a.isEmpty = 0;
    a.iPage = 3;
    a.tableDefaults.nRow = 4;
    a.tableDefaults.nWidth = 150;
    a.tableDefaults.colWidths.push_back(500);  // beyond nCol
    a.tableDefaults.defaultTexts = {"Pos.", "Text"};
    a.searchStr = "such";
    a.replaceStr = "ersetz";
    a.bWord = 1;
    a.bCase = 1;
    a.bDirection = 0;
    a.lastPath = "/db";
    a.lastObj = "S235";
    a.pathChecks = {{"/a", 1}, {"/b", 0}};
    a.exportValues = {{"Fläche", "A", "cm2", 1.5}, {"", "b", "cm", 20}};
    a.inputValues = {{"Länge", "L", "m", 6}};

    ZVELEM input = ZEVUD_AddChildElement(root, "input");
    ZVELEM quill = ZEVUD_AddChildElement(input, "Quill");
    ZVELEM exports = ZEVUD_AddChildElement(root, "exports");
    a.Save(quill, exports);
    a.Save(quill, exports);  // twice: one of each child
    for (const char* child : {"tableProp", "searchReplaceSettings", "matImportSettings", "exportValues", "inputValues"})
        EXPECT_EQ(CountChildren(quill, child), 1) << child;
    ZVELEM tableProp = ZEVUD_FindFirstChild(quill, "tableProp");
    EXPECT_EQ(ZEVUD_GetInt(tableProp, "nCol"), 7);
    EXPECT_EQ(ZEVUD_GetInt(tableProp, "colWidth_7"), 500);
    // The value without description is stored under its variable name.
    ZVELEM byName = ZEVUD_FindFirstChildWithAttr(exports, "desc", "b");
    ASSERT_NE(byName, 0u);
    EXPECT_EQ(zevud::GetString(byName, "varName"), "b");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(byName, "val"), 20);
    EXPECT_NE(ZEVUD_FindFirstChildWithAttr(exports, "desc", "Fläche"), 0u);

    CEditorDocument b(&position);
    b.Load(quill);
    b.Load(quill);  // a second load still gives one page
    ASSERT_EQ(b.GetPageCount(), 1);
    EXPECT_EQ(b.pages.GetText(0), kPage);
    EXPECT_EQ(b.pages.GetBufferSize(0), static_cast<int>(kPage.size()) + 1);
    EXPECT_EQ(b.macroText, a.macroText);
    EXPECT_EQ(b.isEmpty, 0);
    EXPECT_EQ(b.iPage, 3);
    EXPECT_EQ(b.tableDefaults.colWidths, (std::vector<int>{2835, 850, 283, 2948, 397, 964, 737}));
    EXPECT_EQ(b.tableDefaults.nCol, 7);
    EXPECT_EQ(b.tableDefaults.nRow, 4);
    EXPECT_EQ(b.tableDefaults.nWidth, 150);
    EXPECT_EQ(b.tableDefaults.defaultTexts, a.tableDefaults.defaultTexts);
    EXPECT_EQ(b.searchStr, "such");
    EXPECT_EQ(b.replaceStr, "ersetz");
    EXPECT_EQ(b.bWord + b.bCase + b.bDirection, 2);
    EXPECT_EQ(b.lastPath, "/db");
    EXPECT_EQ(b.lastObj, "S235");
    EXPECT_EQ(b.pathChecks, a.pathChecks);
    // Loaded twice: the value lists were read twice (the page list alone is replaced).
    ASSERT_EQ(b.inputValues.size(), 2u);
    EXPECT_EQ(b.inputValues[0].desc, "Länge");
    EXPECT_DOUBLE_EQ(b.inputValues[0].value, 6);
    EXPECT_EQ(b.exportValues.size(), 4u);
    EXPECT_EQ(b.exportValues[0].unit, "cm2");

    // The own macro text is live after loading.
    EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(b.GetSession(), "Eigen()"), 7);
}

TEST_F(EditorDocument, LoadDefaultsAndRepairs) {
    ZVELEM quill = ZEVUD_AddChildElement(root, "Quill");
    const std::string text = "{\\rtf1 ohne Null}";
    ZEVUD_SetBinData(quill, "rtfData", static_cast<int>(text.size()), text.data(), 1);
    CEditorDocument d(&position);
    d.Load(quill);
    EXPECT_EQ(d.iPage, 1);
    ASSERT_EQ(d.GetPageCount(), 1);
    EXPECT_EQ(d.pages.GetBufferSize(0), static_cast<int>(text.size()) + 1);
    EXPECT_EQ(d.pages.GetBuffer(0)[text.size()], '\0');
    EXPECT_EQ(d.pages.GetText(0), text);
    EXPECT_EQ(d.tableDefaults.nCol, 7);
    EXPECT_EQ(d.bDirection, 1);
}

TEST_F(EditorDocument, EventsAndMacroFiles) {
    CEditorDocument d(&position);
    d.pages.AddText(kPage);
    ZVELEM quill = ZEVUD_AddChildElement(root, "Quill");
    d.Save(quill, 0);
    CEditorDocument e(&position);
    e.Load(quill);
    const std::string folder = kDir.string();
    EXPECT_EQ(Events(e), "init|Träger 1|" + folder);
    e.Save(quill, 0);
    EXPECT_EQ(Events(e), "init|Träger 1|" + folder + ";exit|Träger 1|" + folder);
    EXPECT_EQ(e.CalcEditorDocument(e.pages, kFormulaColour), 1);
    EXPECT_EQ(Events(e), "init|Träger 1|" + folder + ";exit|Träger 1|" + folder + ";start;end");
    EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(e.GetSession(), "Doppelt( 4)"), 8);

    // An error in the maker's file stops before the user's file.
    WriteFile(kDir / "vkt.bas", "function Kaputt(\n");
    EXPECT_EQ(e.LoadMacros(1), 1);  // silent: success whatever happened
    EXPECT_EQ(e.LoadMacros(0), 0);
    ZOZUDEDA_Execute(e.GetSession(), "Doppelt( 4)");
    EXPECT_NE(ZOZUDEDA_GetLastError(e.GetSession()).find("Doppelt"), std::string::npos);

    // A position name with quotes stays a text.
    WriteFile(kDir / "vkt.bas", "last = ''\nfunction OnInitDocument(n, f) last = n end\nfunction Last() return 0, last end\n");
    ZVDOC odd = ZEVUD_CreateDoc((kDir / "a\", os.exit(1), \"b.vkx").string().c_str());
    Position other;
    other.m_hDoc = odd;
    CEditorDocument q(&other);
    q.Load(quill);
    ZOZUDEDA_Execute(q.GetSession(), "Last()");
    EXPECT_EQ(ZOZUDEDA_GetStrResult(q.GetSession()), "a\", os.exit(1), \"b");
    ZEVUD_CloseDoc(odd);
}

TEST_F(EditorDocument, DefaultMacroFilesLieInTheInstallationRoot) {
    GetRegSettings().SetString("Quill", "vktMacroFile", "");
    GetRegSettings().SetString("Quill", "userMacroFile", "");
    const fs::path saved = winsys::HostExecutablePath();
    for (const std::string& root : {kDir.string() + "/inst", kDir.string() + "/inst/"}) {
        winsys::SetHostExecutablePath(fs::path(root) / "bin" / "velor2005");
        std::string vkt, user;
        SetupMacroFiles(vkt, user);
        EXPECT_EQ(vkt, kDir.string() + "/inst/VBScriptVKT.bas") << root;
        EXPECT_EQ(user, kDir.string() + "/inst/VBScriptUSER.bas") << root;
    }
    winsys::SetHostExecutablePath(saved);
}

TEST_F(EditorDocument, CalculationKeepsExportValuesThatEvaluateAndWritesTheReport) {
    CEditorDocument d(&position);
    d.pages.AddText(kPage);
    d.exportValues = {{"Fläche", "A", "cm2", 0}, {"weg", "gibtesnicht", "", 1}};
    const fs::path report = kDir / "quill.rtf";
    fs::remove(report);
    EXPECT_EQ(d.CalcEditorDocument(kFormulaColour, report.string()), 0);
    EXPECT_TRUE(d.pages.GetText(0).find("A = b*h = 600.00") != std::string::npos) << d.pages.GetText(0);
    ASSERT_EQ(d.exportValues.size(), 1u);
    EXPECT_DOUBLE_EQ(d.exportValues[0].value, 600);
    const std::string rtf = ReadFile(report);
    EXPECT_NE(rtf.find("A = b*h = 600.00"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("Quill"), std::string::npos);
    EXPECT_EQ(rtf.find("{\\rtf1", 1), std::string::npos) << "no nested document";
}

TEST_F(EditorDocument, ReadingHandsTheListingOnlyToAPositionWithoutText) {
    ASSERT_TRUE(GetRegSettings().SetInt("", "bQuill", 1));
    auto writePosition = [&](ZVDOC d, bool withText) {
        Position p;
        p.m_hDoc = d;
        p.m_strProgName = "RIGEL";
        auto v = CreateVarDefEntry(VARDEF_TITLE);
        p.m_varDefs.Add(std::move(v));
        if (withText) dynamic_cast<CEditorDocument*>(p.GetEditorDocument())->pages.AddText(kPage);
        p.WriteData(d);
    };
    writePosition(doc, true);
    Position withText;
    withText.m_hDoc = doc;
    withText.ReadData(doc);
    auto* e = dynamic_cast<CEditorDocument*>(withText.GetEditorDocument());
    ASSERT_EQ(e->GetPageCount(), 1);
    EXPECT_EQ(e->pages.GetText(0), kPage);  // the user's text stays
    EXPECT_EQ(e->bConvertedText, 0);

    ZVDOC bare = ZEVUD_CreateDoc((kDir / "ohne.vkx").string().c_str());
    writePosition(bare, false);
    Position without;
    without.m_hDoc = bare;
    without.ReadData(bare);
    auto* f = dynamic_cast<CEditorDocument*>(without.GetEditorDocument());
    EXPECT_EQ(f->GetPageCount(), 1);  // the listing became its text
    EXPECT_EQ(f->bConvertedText, 1);
    ZEVUD_CloseDoc(bare);
}

TEST_F(EditorDocument, FactoryGivesEveryPositionADocument) {
    Position p;
    ASSERT_NE(p.GetEditorDocument(), nullptr);
    auto* d = dynamic_cast<CEditorDocument*>(p.GetEditorDocument());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetOwner(), &p);
    EXPECT_FALSE(d->HasPages());
}

}  // namespace
