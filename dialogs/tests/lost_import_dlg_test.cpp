// The question about taken-over values whose source is gone: the lines as a
// tree, "Alle entfernen", the context menu's removal of an item and what is
// below it, and the list that takes out exactly the emptied values.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "dialogs/LostImportDlg.h"
#include "module/frame/ModuleState.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"

namespace {

using wl::guitest::ScriptedUi;

const std::vector<std::string> kLines = {
    "Pos1\\Auflager A [kN] = 1.00",
    "Pos1\\Auflager B [kN] = 2.00",
    "Pos2\\Moment [kNm] = 3.00",
};

// Right click on the item at the screen point of its centre.
void RightClick(CDlgLostImportVal& d, wl::TreeCtrl::Item item) {
    wl::Rect r;
    ASSERT_TRUE(d.Tree().GetItemRect(item, r));
    const QPoint screen = d.Tree().Widget()->mapToGlobal(QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    d.OnContextMenu(&d.Tree(), {screen.x(), screen.y()});
}

wl::TreeCtrl::Item Pos1(CDlgLostImportVal& d) { return d.Tree().GetRootItem(); }
wl::TreeCtrl::Item Pos2(CDlgLostImportVal& d) { return d.Tree().GetNextSiblingItem(Pos1(d)); }

class LostImportInstalled : public testing::Test {
protected:
    void SetUp() override { previous_ = InstallLostImportWindow(); }
    void TearDown() override {
        RemoveLostImportWindow();
        SetLostImportPrompt(previous_);
        SetBatchRun(false);
    }
    CLostImportPrompt* previous_ = nullptr;
};

}  // namespace

TEST(LostImportDialog, ShowsTheLinesAsPathsUnderTheirPositions) {
    CDlgLostImportVal dlg;
    dlg.SetTexts({kLines[0], "", kLines[1], kLines[2]});
    ASSERT_TRUE(dlg.Create(nullptr));
    wl::TreeCtrl& tree = dlg.Tree();
    EXPECT_EQ(tree.GetItemText(Pos1(dlg)), "Pos1");
    EXPECT_EQ(tree.GetItemText(Pos2(dlg)), "Pos2");
    EXPECT_EQ(tree.GetItemData(Pos1(dlg)), 0);
    const auto a = tree.GetChildItem(Pos1(dlg));
    const auto b = tree.GetNextSiblingItem(a);
    EXPECT_EQ(tree.GetItemText(a), "Auflager A [kN] = 1.00");
    EXPECT_EQ(tree.GetItemData(a), 1);
    EXPECT_EQ(tree.GetItemData(b), 3);  // the empty second line has no item
    EXPECT_EQ(tree.GetItemData(tree.GetChildItem(Pos2(dlg))), 4);
    EXPECT_EQ(tree.GetCount(), 5);
    // The top level is expanded: the children have a place on screen.
    wl::Rect r;
    EXPECT_TRUE(tree.GetItemRect(b, r));
}

TEST_F(LostImportInstalled, AnswersAndTheLinesLeftEmpty) {
    struct Case {
        const char* name;
        std::function<void(CDlgLostImportVal&, ScriptedUi&)> act;
        int answer;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"Alle entfernen", [](CDlgLostImportVal& d, ScriptedUi&) { wl::guitest::Click(d, IDC_LOST_REMOVE_ALL); },
         winsys::IdOk, {"", "", ""}},
        {"a position removed with what is below it",
         [](CDlgLostImportVal& d, ScriptedUi& ui) {
             ui.menuAnswers.push_back(CDlgLostImportVal::kCmdRemove);
             RightClick(d, Pos1(d));
             EXPECT_EQ(d.Tree().GetCount(), 2);  // rebuilt without Pos1
             wl::guitest::Click(d, wl::IDOK);
         },
         winsys::IdOk, {"", "", kLines[2]}},
        {"a single value removed",
         [](CDlgLostImportVal& d, ScriptedUi& ui) {
             ui.menuAnswers.push_back(CDlgLostImportVal::kCmdRemove);
             RightClick(d, d.Tree().GetNextSiblingItem(d.Tree().GetChildItem(Pos1(d))));
             wl::guitest::Click(d, wl::IDOK);
         },
         winsys::IdOk, {kLines[0], "", kLines[2]}},
        {"menu dismissed",
         [](CDlgLostImportVal& d, ScriptedUi& ui) {
             ui.menuAnswers.push_back(0);
             RightClick(d, Pos1(d));
             wl::guitest::Click(d, wl::IDOK);
         },
         winsys::IdOk, kLines},
        {"removed, then Abbrechen",
         [](CDlgLostImportVal& d, ScriptedUi& ui) {
             ui.menuAnswers.push_back(CDlgLostImportVal::kCmdRemove);
             RightClick(d, Pos2(d));
             wl::guitest::Click(d, wl::IDCANCEL);
         },
         winsys::IdCancel, kLines},
        {"close box", [](CDlgLostImportVal& d, ScriptedUi&) { wl::guitest::CloseBox(d); }, winsys::IdCancel,
         kLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUi ui;
        ui.OnModal(IDD_LOST_IMPORT, [&](wl::Dialog& d) { c.act(static_cast<CDlgLostImportVal&>(d), ui); });
        std::vector<std::string> lines = kLines;
        CLostImportPrompt* prompt = SetLostImportPrompt(nullptr);
        SetLostImportPrompt(prompt);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->Ask(lines), c.answer);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(ui.modalRuns, std::vector<int>{IDD_LOST_IMPORT});
    }
}

TEST_F(LostImportInstalled, TheListTakesOutExactlyTheValuesRemovedInTheDialog) {
    SetVarDefSettingReader([](const std::string&, int def) { return def; });
    CVarDefList list;
    auto text = std::make_unique<CVarDefText>();
    text->m_strText = "Hinweis";
    list.Add(std::move(text));
    const char* paths[] = {"Fehlt1\\Auflager A", "Fehlt1\\Auflager B", "Fehlt2\\Moment"};
    for (const char* p : paths) {
        auto e = std::make_unique<CVarDefImport>();
        e->m_import.m_strSourcePath = p;
        e->m_import.m_strVarName = "v";
        e->m_import.m_dValue = 1.0;
        list.Add(std::move(e));
    }
    ScriptedUi ui;
    ui.OnModal(IDD_LOST_IMPORT, [&](wl::Dialog& d) {
        auto& dlg = static_cast<CDlgLostImportVal&>(d);
        ASSERT_EQ(dlg.Tree().GetItemText(Pos1(dlg)), "Fehlt1");
        ui.menuAnswers.push_back(CDlgLostImportVal::kCmdRemove);
        RightClick(dlg, Pos1(dlg));
        wl::guitest::Click(dlg, wl::IDOK);
    });
    winsys::ScopedRecordingSink sink;  // the refresh's warnings of missing sources
    list.RefreshImportedValues();
    SetVarDefSettingReader(nullptr);
    ASSERT_EQ(ui.modalRuns, std::vector<int>{IDD_LOST_IMPORT});
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.GetAt(0)->m_nType, VARDEF_TEXT);
    ASSERT_EQ(list.GetAt(1)->m_nType, VARDEF_IMPORT);
    EXPECT_EQ(static_cast<CVarDefImport*>(list.GetAt(1))->m_import.m_strSourcePath, "Fehlt2\\Moment");
}

TEST_F(LostImportInstalled, BatchRunsLeaveTheQuestionToTheSink) {
    SetBatchRun(true);
    ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    std::vector<std::string> lines = kLines;
    CLostImportPrompt* prompt = SetLostImportPrompt(nullptr);
    SetLostImportPrompt(prompt);
    prompt->Ask(lines);
    EXPECT_TRUE(ui.modalRuns.empty());
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(LostImportScreenshot, Dialog) {
    CDlgLostImportVal dlg;
    dlg.SetTexts(kLines);
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    const QImage img = wl::guitest::GrabToPng(dlg, "dialogs_lost_import");
    ASSERT_FALSE(img.isNull());
    // A value sits indented below its position, and its text is drawn.
    wl::Rect parent, child;
    ASSERT_TRUE(dlg.Tree().GetItemRect(Pos1(dlg), parent));
    ASSERT_TRUE(dlg.Tree().GetItemRect(dlg.Tree().GetChildItem(Pos1(dlg)), child));
    EXPECT_GT(child.top, parent.top);
    const QRect treeRect = wl::guitest::RectIn(dlg.Tree().Widget(), dlg.Widget());
    const QRect childRow(treeRect.left() + child.left, treeRect.top() + child.top, child.right - child.left,
                         child.bottom - child.top);
    EXPECT_GT(wl::guitest::CountInk(img, childRow, qRgb(255, 255, 255)), 30);
}
