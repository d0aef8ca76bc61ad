// The variable-definition page: the grid or, with "bQuill" on, the editor
// window (a recording stand-in) in use; the grid's picture and sketch
// buttons (file dialog, unreadable and oversized files, the sketch program
// as a stand-in script, the program missing); a screenshot of the page.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "dialogs/DlgVarDef.h"
#include "formula/VarDef.h"
#include "module/BaseData.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"
#include "support/editor_pane_double.h"
#include "testsupport/scratch.h"

namespace fs = std::filesystem;

namespace {

class Position : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>&, int) override { return true; }
};

using dialogtest::EditorCalls;
using dialogtest::EditorDouble;
using dialogtest::QuillSetting;

struct Page {
    explicit Page(Position& data) {
        dlg.SetBaseData(&data);
        created = dlg.Create(nullptr);
    }
    CDlgVarDef dlg;
    bool created = false;
};

std::vector<unsigned char> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(VarDefPage, QuillSwitchChoosesGridOrEditor) {
    for (int quill : {0, 1}) {
        SCOPED_TRACE(quill);
        QuillSetting setting(quill);
        EditorCalls calls;
        SetVarDefEditorFactory([&] { return std::make_unique<EditorDouble>(calls); });
        Position data;
        auto v = std::make_unique<CVarDefVariable>();
        v->m_strVarName = "a";
        data.m_varDefs.Add(std::move(v));
        {
            Page page(data);
            ASSERT_TRUE(page.created);
            page.dlg.Widget()->show();
            page.dlg.TransferData(false);
            EXPECT_EQ(page.dlg.Grid().Widget()->isVisibleTo(page.dlg.Widget()), quill == 0);
            // The grid filled only when it is in use.
            EXPECT_EQ(page.dlg.Grid().GetRowCount(), quill ? 2 : 3);
            page.dlg.TransferData(true);
        }
        SetVarDefEditorFactory(nullptr);
        // Shown with the page, then filled and shown by the exchange.
        const std::vector<std::string> expected = quill ? std::vector<std::string>{"create", "show", "fill", "show", "save"}
                                                        : std::vector<std::string>{"create", "hide"};
        EXPECT_EQ(calls.calls, expected);
        EXPECT_EQ(data.m_varDefs.GetSize(), 1);
    }
}

TEST(VarDefPage, WithoutEditorTheGridServesEvenUnderQuill) {
    QuillSetting setting(1);
    Position data;
    Page page(data);
    ASSERT_TRUE(page.created);
    page.dlg.Widget()->show();
    page.dlg.TransferData(false);
    EXPECT_TRUE(page.dlg.Grid().Widget()->isVisibleTo(page.dlg.Widget()));
}

TEST(VarDefPage, PictureFileButton) {
    test_support::ScratchDir dir("vardef_picture");
    const fs::path good = dir.path() / "bild.emf", big = dir.path() / "riesig.emf";
    std::ofstream(good, std::ios::binary) << "EMF-DATEN";
    {
        std::ofstream out(big, std::ios::binary);
        out.seekp(33 * 1024 * 1024);
        out.put('x');
    }
    const struct {
        const char* name;
        std::optional<std::string> answer;
        std::string fileName;  // of the entry afterwards
        std::string bytes;
        size_t messages;
    } cases[] = {
        {"a file chosen", good.string(), "bild.emf", "EMF-DATEN", 0},
        {"cancelled", std::nullopt, "alt.emf", "ALT", 0},
        {"a file that does not read", (dir.path() / "fehlt.emf").string(), "alt.emf", "ALT", 1},
        {"a file beyond the bound", big.string(), "alt.emf", "ALT", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Position data;
        auto p = std::make_unique<CVarDefPictureFile>();
        p->m_strFileName = "alt.emf";
        p->m_fileBuffer = Bytes("ALT");
        data.m_varDefs.Add(std::move(p));
        Page page(data);
        ASSERT_TRUE(page.created);
        page.dlg.TransferData(false);
        wl::guitest::ScriptedUi ui;
        ui.fileAnswers.push_back(c.answer);
        winsys::ScopedRecordingSink sink;
        const fs::path before = fs::current_path();
        page.dlg.Grid().OnButtonCellClicked(1, 2);
        EXPECT_EQ(fs::current_path(), before);
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        EXPECT_EQ(ui.fileRequests[0].folder, CVarDefGrid::PictureFolder());
        EXPECT_EQ(fs::path(ui.fileRequests[0].folder).filename(), "Abbildungen");
        EXPECT_EQ(ui.fileRequests[0].filter,
                  "emf Dateien (*.emf)|*.emf|Bitmap Dateien (*.bmp)|*.bmp|Alle Dateien (*.*)|*.*||");
        auto* e = static_cast<CVarDefPictureFile*>(data.m_varDefs.GetAt(0));
        EXPECT_EQ(e->m_strFileName, c.fileName);
        EXPECT_EQ(e->m_fileBuffer, Bytes(c.bytes));
        ASSERT_EQ(sink.messages.size(), c.messages);
        if (c.messages) EXPECT_NE(sink.messages[0].text.find(".emf'"), std::string::npos) << sink.messages[0].text;
        EXPECT_EQ(page.dlg.Grid().GetItemText(1, 1), c.fileName);
    }
}

TEST(VarDefPage, SketchButtonRunsTheSketchProgram) {
    test_support::ScratchDir dir("vardef_sketch");
    const fs::path bin = dir.path() / "bin";
    fs::create_directories(bin);
    test_support::EnvGuard path("PATH", bin.string().c_str());
    for (bool installed : {false, true}) {
        SCOPED_TRACE(installed);
        if (installed) {
            // The stand-in leaves its picture and a ".rtf" in the current folder.
            std::ofstream(bin / "skizze") << "#!/bin/sh\nprintf SKIZZE > xxxx.emf\n: > .rtf\n";
            ::chmod((bin / "skizze").c_str(), 0755);
        }
        Position data;
        auto p = std::make_unique<CVarDefPicture>();
        p->m_fileBuffer = Bytes("ALT");
        data.m_varDefs.Add(std::move(p));
        Page page(data);
        ASSERT_TRUE(page.created);
        page.dlg.TransferData(false);
        winsys::ScopedRecordingSink sink;
        page.dlg.Grid().OnButtonCellClicked(1, 2);
        auto* e = static_cast<CVarDefPicture*>(data.m_varDefs.GetAt(0));
        EXPECT_EQ(e->m_fileBuffer, Bytes(installed ? "SKIZZE" : "ALT"));
        EXPECT_EQ(sink.messages.size(), installed ? 0u : 1u);
        if (!installed) EXPECT_EQ(sink.messages[0].text, "Das Skizzenprogramm 'skizze' ist nicht installiert.");
        EXPECT_FALSE(fs::exists(dir.path() / "xxxx.emf"));
        EXPECT_FALSE(fs::exists(dir.path() / ".rtf"));
    }
}

TEST(Screenshot, VarDefPage) {
    Position data;
    auto t = std::make_unique<CVarDefTitle>();
    t->m_strTitle = "Abmessungen";
    data.m_varDefs.Add(std::move(t));
    auto v = std::make_unique<CVarDefVariable>();
    v->m_strDescription = "Länge";
    v->m_strVarName = "L";
    v->m_value = CFormulaValue(6.0);
    v->m_strUnit = "m";
    data.m_varDefs.Add(std::move(v));
    Page page(data);
    ASSERT_TRUE(page.created);
    page.dlg.Widget()->resize(700, 300);
    page.dlg.Widget()->show();
    page.dlg.TransferData(false);
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(page.dlg, "dialogs_vardef_page");
    ASSERT_FALSE(img.isNull());
    // The grid fills the page but for the margin of 5.
    const QRect g = wl::guitest::RectIn(page.dlg.Grid().Widget(), page.dlg.Widget());
    EXPECT_EQ(g.left(), CDlgVarDef::kMargin);
    EXPECT_EQ(g.top(), CDlgVarDef::kMargin);
    EXPECT_EQ(g.right(), 700 - CDlgVarDef::kMargin - 1);
    EXPECT_EQ(g.bottom(), 300 - CDlgVarDef::kMargin - 1);
}
