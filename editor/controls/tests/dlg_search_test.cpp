// Find and replace through their dialogs, F3 and Alt+F3: the settings kept in
// the document, "Gesamter Text", Cancel; how the dialogs look.
#include <gtest/gtest.h>

#include <QWidget>

#include "editor/controls/DlgSearch.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;
using editortest::Editor;
using editortest::Page;

TEST(DlgSearch, FindRunsOverTheWholeTextDownwardsAndKeepsTheSettings) {
    Editor e;
    e.Fill(Page({"eins zwei drei zwei"}));
    e.doc.bDirection = 0;
    e.doc.searchStr = "alt";
    gt::ScriptedUi ui;
    bool directionEnabled = true;
    std::string preset;
    ui.OnModal(CDlgSearch::kTemplateId, [&](wl::Dialog& d) {
        preset = d.GetDlgItemText(CDlgSearch::kSearchTextId);
        // "Gesamter Text" is on by default: no direction to choose.
        directionEnabled = d.GetDlgItem(CDlgSearch::kUpId)->IsWindowEnabled();
        gt::TypeText(d, CDlgSearch::kSearchTextId, "zwei");
        gt::Click(d, CDlgSearch::kCaseId);
        gt::Click(d, wl::IDOK);
    });
    e.dlg.Text().SetSel(12, 12);  // behind the first "zwei"
    e.dlg.SendCommand(11539);
    EXPECT_EQ(preset, "alt");
    EXPECT_FALSE(directionEnabled);
    EXPECT_EQ(e.Sel(), std::make_pair(5, 9));  // from the start
    EXPECT_EQ(e.doc.searchStr, "zwei");
    EXPECT_EQ(e.doc.bCase, 1);
    EXPECT_EQ(e.doc.bDirection, 1);
    // F3 goes on from the match with the stored settings.
    e.dlg.SendCommand(40035);
    EXPECT_EQ(e.Sel(), std::make_pair(15, 19));
    // Without "Gesamter Text" the search starts at the caret, the chosen
    // direction is stored; the direction buttons follow the box.
    ui.OnModal(CDlgSearch::kTemplateId, [&](wl::Dialog& d) {
        gt::Click(d, CDlgSearch::kWholeTextId);
        directionEnabled = d.GetDlgItem(CDlgSearch::kUpId)->IsWindowEnabled();
        gt::Click(d, CDlgSearch::kUpId);
        gt::Click(d, wl::IDOK);
    });
    e.dlg.Text().SetSel(12, 12);
    e.dlg.SendCommand(11539);
    EXPECT_TRUE(directionEnabled);
    EXPECT_EQ(e.Sel(), std::make_pair(15, 19));
    EXPECT_EQ(e.doc.bDirection, 0);
}

TEST(DlgSearch, CancelKeepsTheStoredSettings) {
    for (int templ : {CDlgSearch::kTemplateId, CDlgReplace::kTemplateId}) {
        Editor e;
        e.Fill(Page({"ab ab"}));
        e.doc.searchStr = "ab";
        e.doc.replaceStr = "X";
        gt::ScriptedUi ui;
        ui.OnModal(templ, [&](wl::Dialog& d) {
            gt::TypeText(d, CDlgSearch::kSearchTextId, "neu");
            gt::Click(d, CDlgSearch::kWordId);
            gt::Click(d, wl::IDCANCEL);
        });
        e.dlg.Text().SetSel(0, 0);
        e.dlg.SendCommand(templ == CDlgSearch::kTemplateId ? 11539 : 11540);
        EXPECT_EQ(ui.modalRuns, std::vector<int>{templ});
        EXPECT_EQ(e.doc.searchStr, "ab");
        EXPECT_EQ(e.doc.replaceStr, "X");
        EXPECT_EQ(e.doc.bWord, 0);
        EXPECT_EQ(e.Text(), "ab ab");
        EXPECT_EQ(e.Sel(), std::make_pair(0, 0));
    }
}

TEST(DlgSearch, ReplaceAsChosenAndAgainAlwaysAskingForOne) {
    Editor e;
    e.Fill(Page({"ab ab ab ab"}));
    gt::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    std::string presetReplace;
    e.doc.replaceStr = "vorher";
    ui.OnModal(CDlgReplace::kTemplateId, [&](wl::Dialog& d) {
        presetReplace = d.GetDlgItemText(CDlgReplace::kReplaceTextId);
        gt::TypeText(d, CDlgSearch::kSearchTextId, "ab");
        gt::TypeText(d, CDlgReplace::kReplaceTextId, "X");
        gt::Click(d, CDlgReplace::kAllId);  // all, without asking
        gt::Click(d, wl::IDOK);
    });
    e.dlg.Text().SetSel(3, 3);
    e.dlg.SendCommand(11540);
    EXPECT_EQ(presetReplace, "vorher");
    EXPECT_EQ(e.Text(), "X X X X");
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(e.doc.searchStr, "ab");
    EXPECT_EQ(e.doc.replaceStr, "X");
    // Alt+F3: asking and replace-all are not kept, one occurrence is asked for.
    e.Fill(Page({"ab ab ab"}));
    e.dlg.Text().SetSel(0, 0);
    sink.scriptedAnswers = {winsys::IdYes};
    e.dlg.SendCommand(40042);
    EXPECT_EQ(e.Text(), "X ab ab");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Diesen Text ersetzen?");
}

TEST(DlgSearch, Screenshots) {
    for (int templ : {CDlgSearch::kTemplateId, CDlgReplace::kTemplateId}) {
        std::unique_ptr<CDlgSearchBase> dlg;
        if (templ == CDlgSearch::kTemplateId)
            dlg = std::make_unique<CDlgSearch>();
        else
            dlg = std::make_unique<CDlgReplace>();
        dlg->searchText = "Suchtext";
        ASSERT_TRUE(dlg->Create(nullptr));
        dlg->Widget()->show();
        const QImage img = gt::GrabToPng(*dlg, templ == CDlgSearch::kTemplateId ? "editor_search_dialog" : "editor_replace_dialog");
        ASSERT_FALSE(img.isNull());
        // Every control lies inside the window, the edit shows its text.
        for (int id : {CDlgSearch::kSearchTextId, CDlgSearch::kCaseId, CDlgSearch::kWholeTextId, CDlgSearch::kDownId,
                       int(wl::IDOK), int(wl::IDCANCEL)}) {
            const QRect r = gt::RectIn(dlg->GetDlgItemWidget(id), dlg->Widget());
            EXPECT_TRUE(img.rect().contains(r)) << id;
        }
        const QRect edit = gt::RectIn(dlg->GetDlgItemWidget(CDlgSearch::kSearchTextId), dlg->Widget());
        EXPECT_GT(gt::CountInk(img, edit.adjusted(3, 3, -3, -3), qRgb(255, 255, 255)), 20);
    }
}

}  // namespace
