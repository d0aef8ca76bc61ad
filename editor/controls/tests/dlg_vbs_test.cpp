// The macro dialog, the macro files edited through the macro layer's editor,
// the editor settings and the macro editor itself; how they look.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/controls/DlgVBS.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zozudeda/zozudeda.h"
#include "testsupport/scratch.h"

namespace {

namespace fs = std::filesystem;
namespace gt = wl::guitest;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A macro editor for the test: records what it was given, answers in turn.
struct FakeEditor {
    FakeEditor() {
        previous = ZOZUDEDA_SetMacroEditor([this](const std::string& text, const std::string& error, int, int) {
            given.push_back(text);
            errors.push_back(error);
            if (answers.empty()) return text;
            std::string a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
    }
    ~FakeEditor() { ZOZUDEDA_SetMacroEditor(previous); }
    std::vector<std::string> given, errors, answers;
    zozudeda::MacroEditor previous;
};

TEST(DlgVBS, EditMacroFileKeepsTheOldFileUnlessANewTextIsWritten) {
    test_support::ScratchDir dir("dlg_vbs_files");
    const int session = ZOZUDEDA_StartSession();
    FakeEditor editor;
    winsys::ScopedRecordingSink sink;
    // A missing file: the editor starts empty and the file is made.
    const fs::path missing = dir.path() / "neu.bas";
    editor.answers = {"function F() return 1 end\n"};
    EXPECT_TRUE(EditMacroFile(session, missing.string()));
    EXPECT_EQ(editor.given.back(), "");
    EXPECT_EQ(ReadAll(missing), "function F() return 1 end\n");
    // Cancelled (the text comes back as it went): the file is untouched.
    const fs::file_time_type stamp = fs::last_write_time(missing);
    EXPECT_TRUE(EditMacroFile(session, missing.string()));
    EXPECT_EQ(editor.given.back(), "function F() return 1 end\n");
    EXPECT_EQ(ReadAll(missing), "function F() return 1 end\n");
    EXPECT_EQ(fs::last_write_time(missing), stamp);
    // A file that cannot be replaced: a message, the old file byte for byte.
    const fs::path locked = dir.path() / "gesperrt.bas";
    { std::ofstream(locked, std::ios::binary) << "-- alt\r\nfunction G() return 2 end"; }
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    editor.answers = {"function G() return 3 end"};
    EXPECT_FALSE(EditMacroFile(session, locked.string()));
    EXPECT_EQ(ReadAll(locked), "-- alt\r\nfunction G() return 2 end");
    EXPECT_EQ(sink.messages.size(), 1u);
    fs::permissions(locked, fs::perms::owner_all);
    ZOZUDEDA_EndSession(session);
}

TEST(DlgVBS, MacroTextThatFailsToLoadReopensTheDialog) {
    editortest::Editor e;
    e.Fill("");
    FakeEditor editor;  // after the editor registered its own
    winsys::ScopedRecordingSink sink;
    gt::ScriptedUi ui;
    std::vector<std::string> shownVkt;
    int round = 0;
    ui.OnModal(CDlgVBS::kTemplateId, [&](wl::Dialog& d) {
        shownVkt.push_back(d.GetDlgItemText(CDlgVBS::kVktFileId));
        ++round;
        // First a text that does not load, then one that does; the error
        // editor of the failed load leaves the text as it is.
        editor.answers = round == 1 ? std::vector<std::string>{"function Kaputt(", "function Kaputt("}
                                    : std::vector<std::string>{"function Heil() return 1 end"};
        gt::Click(d, CDlgVBS::kEditDocumentId);
        gt::Click(d, wl::IDOK);
    });
    e.dlg.SendCommand(40003);
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{CDlgVBS::kTemplateId, CDlgVBS::kTemplateId}));
    EXPECT_EQ(e.doc.macroText, "function Heil() return 1 end");
    ASSERT_EQ(shownVkt.size(), 2u);
    EXPECT_NE(shownVkt[0].find("VBScriptVKT.bas"), std::string::npos);
    EXPECT_EQ(GetRegSettings().GetString("Quill", "vktMacroFile", ""), shownVkt[0]);
    // The failed load showed its error to the editor.
    EXPECT_FALSE(editor.errors[1].empty());
    // Abbrechen ends the loop and keeps the document's text.
    ui.OnModal(CDlgVBS::kTemplateId, [&](wl::Dialog& d) {
        editor.answers = {"function Anders() end"};
        gt::Click(d, CDlgVBS::kEditDocumentId);
        gt::Click(d, wl::IDCANCEL);
    });
    e.dlg.SendCommand(40003);
    EXPECT_EQ(e.doc.macroText, "function Heil() return 1 end");
}

TEST(DlgSettings, SwitchesAndStartPage) {
    CRegSettings& reg = GetRegSettings();
    for (const char* key : {"bGenErrors", "bVariableOverwritten", "bUnknownVar"}) reg.SetInt("Quill", key, 1);
    for (const char* key : {"ltCmd", "ltHide"}) reg.SetInt("Quill", key, 0);
    editortest::Editor e;
    e.doc.iPage = 3;
    gt::ScriptedUi ui;
    std::vector<bool> enabled;
    std::string page;
    ui.OnModal(CDlgSettings::kTemplateId, [&](wl::Dialog& d) {
        page = d.GetDlgItemText(CDlgSettings::kStartPageId);
        enabled.push_back(d.GetDlgItem(CDlgSettings::kOverwrittenId)->IsWindowEnabled());
        gt::Click(d, CDlgSettings::kUnknownVarId);  // off
        gt::Click(d, CDlgSettings::kGenErrorsId);   // off: the two below greyed
        enabled.push_back(d.GetDlgItem(CDlgSettings::kOverwrittenId)->IsWindowEnabled());
        enabled.push_back(d.GetDlgItem(CDlgSettings::kUnknownVarId)->IsWindowEnabled());
        gt::Click(d, CDlgSettings::kLtCmdId);
        gt::TypeText(d, CDlgSettings::kStartPageId, "7");
        gt::Click(d, wl::IDOK);
    });
    e.dlg.SendCommand(40011);
    EXPECT_EQ(page, "3");
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(e.doc.iPage, 7);
    EXPECT_EQ(reg.GetInt("Quill", "bGenErrors", -1), 0);
    EXPECT_EQ(reg.GetInt("Quill", "bVariableOverwritten", -1), 1);  // greyed, kept
    EXPECT_EQ(reg.GetInt("Quill", "bUnknownVar", -1), 0);           // greyed, stored as set
    EXPECT_EQ(reg.GetInt("Quill", "ltCmd", -1), 1);
    EXPECT_EQ(reg.GetInt("Quill", "ltHide", -1), 0);
    // Abbrechen stores nothing.
    ui.OnModal(CDlgSettings::kTemplateId, [&](wl::Dialog& d) {
        gt::Click(d, CDlgSettings::kLtHideId);
        gt::TypeText(d, CDlgSettings::kStartPageId, "9");
        gt::Click(d, wl::IDCANCEL);
    });
    e.dlg.SendCommand(40011);
    EXPECT_EQ(e.doc.iPage, 7);
    EXPECT_EQ(reg.GetInt("Quill", "ltHide", -1), 0);
}

TEST(DlgMacroEdit, ShowsTheErrorAndPlacesTheCursor) {
    gt::ScriptedUi ui;
    int line = -1, column = -1;
    std::string error;
    ui.OnModal(CDlgMacroEdit::kTemplateId, [&](wl::Dialog& d) {
        auto* edit = qobject_cast<QPlainTextEdit*>(d.GetDlgItemWidget(CDlgMacroEdit::kTextId));
        ASSERT_NE(edit, nullptr);
        line = edit->textCursor().blockNumber() + 1;
        column = edit->textCursor().positionInBlock() + 1;
        error = d.GetDlgItemText(CDlgMacroEdit::kErrorId);
        edit->setPlainText("function F() return 2 end");
        gt::Click(d, wl::IDOK);
    });
    EXPECT_EQ(CDlgMacroEdit::Edit("-- a\nfunction F(\nend", "Zeile 2: Fehler", 2, 11), "function F() return 2 end");
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 11);
    EXPECT_EQ(error, "Zeile 2: Fehler");
    ui.OnModal(CDlgMacroEdit::kTemplateId, [&](wl::Dialog& d) { gt::Click(d, wl::IDCANCEL); });
    EXPECT_EQ(CDlgMacroEdit::Edit("x = 1", "", -1, -1), "x = 1");
}

TEST(DlgVBS, Screenshots) {
    CDlgVBS vbs;
    vbs.vktMacroFile = "/opt/velor/VBScriptVKT.bas";
    vbs.userMacroFile = "/opt/velor/VBScriptUSER.bas";
    CDlgSettings settings;
    CDlgMacroEdit edit;
    edit.text = "function Flaeche(b, h)\n  return b * h\nend\n";
    edit.errorText = "Zeile 2: unerwartetes Symbol";
    const std::vector<std::pair<wl::Dialog*, const char*>> dialogs = {
        {&vbs, "editor_macro_dialog"}, {&settings, "editor_settings_dialog"}, {&edit, "editor_macro_editor"}};
    for (const auto& [dlg, name] : dialogs) {
        ASSERT_TRUE(dlg->Create(nullptr));
        dlg->Widget()->show();
        const QImage img = gt::GrabToPng(*dlg, name);
        ASSERT_FALSE(img.isNull()) << name;
        const QRect ok = gt::RectIn(dlg->GetDlgItemWidget(wl::IDOK), dlg->Widget());
        EXPECT_TRUE(img.rect().contains(ok)) << name;
    }
    // The long switch of the settings fits its line.
    const QWidget* lt = settings.GetDlgItemWidget(CDlgSettings::kLtCmdId);
    EXPECT_GE(lt->width(), lt->sizeHint().width());
}

}  // namespace
