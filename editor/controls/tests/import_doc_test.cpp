// The document import: the preview of a chosen position's editor text, what
// goes on the clipboard and into the editor, the input values asked for, and
// the measures and looks of the dialog.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <algorithm>
#include <fstream>

#include "editor/controls/DlgInputVal.h"
#include "editor/controls/QuillDlgImportDoc.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"
#include "testsupport/scratch.h"

namespace {

namespace fs = std::filesystem;
namespace gt = wl::guitest;
using editortest::Page;

// A position whose editor text is the page, with input values.
void WritePosition(const fs::path& file, const std::string& page, const std::vector<CNamedValue>& inputs) {
    const ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
    const ZVELEM input = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "input");
    CEditorDocument src;
    src.pages.AddText(page);
    src.inputValues = inputs;
    src.Save(ZEVUD_AddChildElement(input, "Quill"), 0);
    ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
    ZEVUD_CloseDoc(doc);
}

// A position of the editor's own program before 2.099: the text in "input".
void WriteOldQuill(const fs::path& file, const std::string& page) {
    const ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
    const ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_SetString(root, "progname", "Quill");
    ZEVUD_SetDouble(root, "version", 2.0);
    const ZVELEM input = ZEVUD_AddChildElement(root, "input");
    std::string data = page;
    data.push_back('\0');
    ZEVUD_SetBinData(input, "rtfData", static_cast<int>(data.size()), data.data(), 1);
    ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
    ZEVUD_CloseDoc(doc);
}

struct ImportFixture : ::testing::Test {
    // A folder per test: the tests run side by side in processes of their own.
    ImportFixture()
        : dir(std::string("import_doc_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        WritePosition(dir.path() / "Vorlage.vkx", Page({"Vorlage", "L = 6", "M = L*2 = #.##"}, {false, true, true}),
                      {{"Spannweite", "L", "m", 6.0}});
        WriteOldQuill(dir.path() / "Alt.vkx", Page({"Alter Text"}));
        std::ofstream(dir.path() / "Notiz.txt") << "kein Dokument";
        e.Fill(Page({"Mein Text"}));
        ui.clipboardText = "vorher";
        ui.clipboardRtf.reset();
    }
    // Inserts a document through the editor's menu with a script on the dialog.
    void Insert(const std::function<void(CQuillDlgImportDoc&)>& script) {
        ui.OnModal(CQuillDlgImportDoc::kTemplateId, [&](wl::Dialog& d) {
            auto& dlg = static_cast<CQuillDlgImportDoc&>(d);
            script(dlg);
            if (!dlg.ModalEnded()) gt::Click(d, wl::IDOK);
        });
        fs::current_path(dir.path());
        e.CaretToEnd();
        // Insert menu, "Dokument\Aktuelles Projekt": the current folder.
        ui.menuAnswers.push_back(330);
        e.dlg.SendCommand(40050);
    }
    static void Choose(CQuillDlgImportDoc& d, const std::string& name) {
        d.SetDlgItemText(CQuillDlgImportDoc::kFileNameId, name);
        d.OnFileChanged((fs::path(d.folder) / name).string());
    }
    test_support::ScratchDir dir;
    gt::ScriptedUi ui;
    editortest::Editor e;
};

TEST_F(ImportFixture, ASelectionInThePreviewImportsOnlyThatPart) {
    std::vector<std::string> listed;
    Insert([&](CQuillDlgImportDoc& d) {
        for (const std::string& f : d.Files()) listed.push_back(fs::path(f).filename().string());
        Choose(d, "Vorlage.vkx");
        EXPECT_NE(d.preview.GetText().find("M = L*2"), std::string::npos);
        d.preview.SetSel(0, 7);  // "Vorlage"
    });
    // The folder's positions only (and the way up).
    ASSERT_GE(listed.size(), 2u);
    EXPECT_EQ((std::vector<std::string>(listed.end() - 2, listed.end())), (std::vector<std::string>{"Alt.vkx", "Vorlage.vkx"}));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "Notiz.txt"), 0);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{CQuillDlgImportDoc::kTemplateId});
    EXPECT_NE(e.Text().find("Mein Text"), std::string::npos);
    EXPECT_NE(e.Text().find("Vorlage"), std::string::npos);
    EXPECT_EQ(e.Text().find("L*2"), std::string::npos) << e.Text();
}

TEST_F(ImportFixture, WithoutSelectionTheInputValuesAreAskedAndAllIsImported) {
    ui.OnModal(CDlgInputVal::kTemplateId, [](wl::Dialog& d) {
        static_cast<CDlgInputVal&>(d).grid.OnEndEditCell(0, 1, "7.5");
        gt::Click(d, wl::IDOK);
    });
    std::string preview;
    Insert([&](CQuillDlgImportDoc& d) {
        Choose(d, "Vorlage.vkx");
        d.preview.SetSel(0, 0);
        ASSERT_TRUE(d.OnFileNameOK((fs::path(d.folder) / "Vorlage.vkx").string()));
        preview = d.preview.GetText();
        d.EndDialog(wl::IDOK);
    });
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{CQuillDlgImportDoc::kTemplateId, CDlgInputVal::kTemplateId}));
    // The definition takes the value with its own decimals.
    EXPECT_NE(preview.find("L = 8"), std::string::npos) << preview;  // 7.5 with no decimals rounds to 8
    EXPECT_NE(e.Text().find("Vorlage"), std::string::npos);
    EXPECT_NE(e.Text().find("L = 8"), std::string::npos) << e.Text();
}

TEST_F(ImportFixture, OldPositionsAndOtherFiles) {
    Insert([&](CQuillDlgImportDoc& d) {
        Choose(d, "Alt.vkx");
        EXPECT_EQ(d.preview.GetText(), "Alter Text");
    });
    EXPECT_NE(e.Text().find("Alter Text"), std::string::npos);
    // Another extension: an empty preview, nothing imported.
    e.Fill(Page({"Mein Text"}));
    ui.clipboardText = "vorher";
    ui.clipboardRtf.reset();
    Insert([&](CQuillDlgImportDoc& d) {
        Choose(d, "Notiz.txt");
        EXPECT_EQ(d.preview.GetText(), "");
    });
    EXPECT_EQ(e.Text(), "Mein Text");
    EXPECT_EQ(ui.clipboardText, "vorher");
    // Abbrechen: nothing.
    ui.OnModal(CQuillDlgImportDoc::kTemplateId, [](wl::Dialog& d) { gt::Click(d, wl::IDCANCEL); });
    ui.menuAnswers.push_back(330);
    e.dlg.SendCommand(40050);
    EXPECT_EQ(e.Text(), "Mein Text");
}

TEST_F(ImportFixture, MeasuresAndScreenshot) {
    CQuillDlgImportDoc dlg(true, "", "", 6, "VK-VELOR Positionen|*.vkx||");
    dlg.folder = dir.path().string();
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    Choose(dlg, "Vorlage.vkx");
    gt::ProcessEventsFor(30);
    // The file part as laid out by the template, grown by 100 x 500 pixels;
    // the preview at x 8, 50 above the file part's bottom, 77 wider than it.
    const int partWidth = 320 * 6 / 4, partHeight = (180 * 13 + 4) / 8;
    EXPECT_EQ(dlg.Widget()->width(), partWidth + 100);
    EXPECT_EQ(dlg.Widget()->height(), partHeight + 500);
    const QRect p = dlg.preview.Widget()->geometry();
    EXPECT_EQ(p, QRect(8, partHeight - 50, partWidth + 77, 510));
    EXPECT_EQ(dlg.GetDlgItemText(wl::IDOK), "Importieren");
    const QImage img = gt::GrabToPng(dlg, "editor_import_document");
    ASSERT_FALSE(img.isNull());
    const QRect shown = p.intersected(img.rect());
    EXPECT_GT(gt::CountInk(img, shown, qRgb(255, 255, 255)), 50);
    const QRect list = gt::RectIn(dlg.GetDlgItemWidget(CQuillDlgImportDoc::kFileListId), dlg.Widget());
    EXPECT_GT(gt::CountInk(img, list, qRgb(255, 255, 255)), 20);
}

}  // namespace
