// A position with editor text calculated through the installed host program:
// the calculated text stays in the position, its exported value reaches
// "exports", and a second position takes that value over into its own text.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "testsupport/host_process.h"
#include "editor/core/EditorDocument.h"
#include "formula/VarDef.h"
#include "moddata_fixture.h"

namespace {

using namespace moddatatest;

std::string Page(const std::string& lines) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
           "{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}\r\n"
           "{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\pard\\f0\\fs20\\cf1 Vortext\\par\r\n\\cf2 " +
           lines + "\\cf1\\par\r\n}";
}

int RunHostCalc(const fs::path& file, std::string& out) {
    const test_support::HostProcessRun r = test_support::RunHostProcess({"calc", file.string()});
    out += r.out;
    return r.code;
}

void WritePosition(const fs::path& file, const std::string& page, const std::vector<CNamedValue>& exports,
                   const std::string& importFrom) {
    ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    {
        CModuleData d;
        d.m_hDoc = doc;
        MakeBeam(d, {5.0}, 2.0, 3.0);
        auto* editor = dynamic_cast<CEditorDocument*>(d.GetEditorDocument());
        ASSERT_NE(editor, nullptr);
        editor->pages.AddText(page);
        editor->isEmpty = 0;
        editor->exportValues = exports;
        if (!importFrom.empty()) {
            auto entry = std::make_unique<CVarDefImport>();
            entry->m_import.m_strSourcePath = importFrom;
            entry->m_import.m_strDescription = "Fläche";
            entry->m_import.m_strVarName = "A";
            d.m_varDefs.Add(std::move(entry));
        }
        d.WriteData(doc);
    }
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);
}

// The stored editor page and the exported values of a position.
struct Stored {
    std::string page;
    std::map<std::string, double> exports;
};

Stored Read(const fs::path& file) {
    Stored s;
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    if (!doc) return s;
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM quill = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(root, "input"), "Quill");
    const int n = ZEVUD_GetBinDataLength(quill, "rtfData");
    std::string data(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) ZEVUD_GetBinData(quill, "rtfData", data.data(), n);
    s.page = data.c_str();
    ZVELEM exports = ZEVUD_FindFirstChild(root, "exports");
    for (ZVELEM v = ZEVUD_FindFirstChild(exports, "value"); v; v = ZEVUD_FindNextChild(v, "value"))
        s.exports[zevud::GetString(v, "varName")] = ZEVUD_GetDouble(v, "val");
    ZEVUD_CloseDoc(doc);
    return s;
}

class EditorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        UseBuildRoot();
        dir = Scratch("editor_e2e");
        // A registry of this test's own with the editor switched on; the host
        // program started below inherits it.
        setenv("VELOR_REGISTRY_DIR", (dir / "registry").string().c_str(), 1);
        winsys::RegistryReload();
        ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, "software\\VKT\\velor2005", "bQuill", "1"));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    winsys::ScopedRecordingSink sink;
};

TEST_F(EditorEndToEnd, CalculatedTextAndExportedValueReachTheDocumentAndAnotherPosition) {
    const fs::path source = dir / "quill.vkx", target = dir / "ziel.vkx";
    WritePosition(source, Page("b = 20\\par\r\nh = 30\\par\r\nA = b*h = #.##"), {{"Fläche", "A", "cm2", 0}}, "");
    std::string out;
    ASSERT_EQ(RunHostCalc(source, out), 0) << out;
    const Stored s = Read(source);
    EXPECT_NE(s.page.find("A = b*h = 600.00"), std::string::npos) << s.page;
    ASSERT_EQ(s.exports.count("A"), 1u);
    EXPECT_DOUBLE_EQ(s.exports.at("A"), 600.0);  // b*h = 20*30

    // The report part of the text: calculated as the report is prepared.
    {
        ZVDOC doc = ZEVUD_OpenDoc(source.string().c_str());
        CModuleData d;
        d.ReadData(doc);
        d.m_hDoc = doc;
        d.StoreRtfParts();
        ZVELEM rtfFiles = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "rtfFiles");
        const int n = ZEVUD_GetBinDataLength(rtfFiles, "vardef");
        std::string part(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0) ZEVUD_GetBinData(rtfFiles, "vardef", part.data(), n);
        EXPECT_NE(part.find("A = b*h = 600.00"), std::string::npos) << part;
        ZEVUD_CloseDoc(doc);
    }

    // A second position takes A over: "<file without extension>\<description>".
    const std::string from = (dir / "quill").string() + "\\Fläche";
    WritePosition(target, Page("C = A*2 = #.##"), {}, from);
    out.clear();
    ASSERT_EQ(RunHostCalc(target, out), 0) << out;
    const Stored t = Read(target);
    EXPECT_NE(t.page.find("C = A*2 = 1200.00"), std::string::npos) << t.page;
}

}  // namespace
