// The plausibility dialogs: what they show for a message list, the results
// of their buttons, the plain text list, and the run's questions answered by
// them (in a batch run by the message sink).
#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>

#include "dialogs/PlauCtrl.h"
#include "module/frame/ModuleState.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"

namespace {

using wl::guitest::ScriptedUi;

struct Target : CPlauGrid {
    void SelectCell(int, int) override {}
};

// A list of messages: 'E' error, 'W' warning; lower case without a target.
CPlauMessageList MakeList(const std::string& kinds, Target* grid) {
    CPlauMessageList list;
    for (size_t i = 0; i < kinds.size(); ++i) {
        const char k = kinds[i];
        const int type = (k == 'E' || k == 'e') ? PLAU_ERROR : PLAU_WARNING;
        const std::string text = "Meldung " + std::to_string(i + 1);
        if (k == 'E' || k == 'W')
            list.AddGridMessage(type, text, 1, grid, int(i) + 2, 3);
        else
            list.AddGridMessage(type, text, -1, nullptr, -1, -1);
    }
    return list;
}

bool Shown(wl::Window& dlg, int id) { return !dlg.GetDlgItemWidget(id)->isHidden(); }
bool Enabled(wl::Window& dlg, int id) { return dlg.GetDlgItemWidget(id)->isEnabled(); }
std::string Text(wl::Window& dlg, int id) { return dlg.GetDlgItem(id)->GetWindowText(); }

// Selects a tree item as the user's click does (the selection notifies).
void UserSelect(wl::TreeCtrl& tree, wl::TreeCtrl::Item item) {
    auto* w = static_cast<QTreeWidget*>(tree.Widget());
    w->setCurrentItem(tree.ItemOf(item));
}

class PlauInstalled : public testing::Test {
protected:
    void SetUp() override { previous_ = InstallPlauWindows(); }
    void TearDown() override {
        RemovePlauWindows();
        SetPlauDialogs(previous_);
        SetBatchRun(false);
    }
    Target grid;
    CPlauDialogs* previous_ = nullptr;
};

}  // namespace

TEST(PlauCtrlV2, OpeningShowsButtonsCountersAndJump) {
    struct Case {
        const char* name;
        std::string kinds;
        bool cancel, start, jump;
        const char *errors, *warnings;
    };
    const Case cases[] = {
        {"only warnings", "WW", false, true, true, "0", "2"},
        {"errors and a warning", "EW", true, false, true, "1", "1"},
        {"first message without a target", "eW", true, false, false, "1", "1"},
        {"empty list", "", false, true, false, "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target grid;
        const CPlauMessageList list = MakeList(c.kinds, &grid);
        CPlauCtrlV2 dlg;
        dlg.SetMessages(list);
        ASSERT_TRUE(dlg.Create(nullptr));
        EXPECT_EQ(Shown(dlg, wl::IDCANCEL), c.cancel);
        EXPECT_EQ(Shown(dlg, IDC_PLAU_START), c.start);
        EXPECT_FALSE(Shown(dlg, wl::IDOK));
        EXPECT_TRUE(Shown(dlg, IDC_PLAU_JUMP));
        EXPECT_EQ(Enabled(dlg, IDC_PLAU_JUMP), c.jump);
        for (int id : {IDC_PLAU_ERRORS, IDC_PLAU_WARNINGS, IDC_PLAU_ERRORS_LABEL, IDC_PLAU_WARNINGS_LABEL})
            EXPECT_TRUE(Shown(dlg, id)) << id;
        EXPECT_EQ(Text(dlg, IDC_PLAU_ERRORS), c.errors);
        EXPECT_EQ(Text(dlg, IDC_PLAU_WARNINGS), c.warnings);
        EXPECT_EQ(dlg.Tree().GetCount(), int(c.kinds.size()));
        EXPECT_EQ(dlg.MessageOfItem(dlg.Tree().GetSelectedItem()), c.kinds.empty() ? -1 : 0);
        EXPECT_EQ(dlg.GetWindowText(), "Plausibilitätskontrolle v.2.0");
        EXPECT_TRUE(dlg.GetDlgItemWidget(IDC_PLAU_MESSAGES_LABEL)->font().bold());
    }
}

TEST(PlauCtrlV2, SelectionEnablesTheJumpAndPathsNestTheMessages) {
    Target grid;
    CPlauMessageList list;
    list.AddGridMessage(PLAU_ERROR, "Kapitel 'Lasten'\\Es wurden keine Lasten eingegeben", 2, &grid, 1, 1);
    list.AddGridMessage(PLAU_WARNING, "Kapitel 'Lasten'\\Lastfall 3 ist leer", -1, nullptr, -1, -1);
    CPlauCtrlV2 dlg;
    dlg.SetMessages(list);
    ASSERT_TRUE(dlg.Create(nullptr));
    wl::TreeCtrl& tree = dlg.Tree();
    const auto chapter = tree.GetRootItem();
    ASSERT_NE(chapter, 0);
    EXPECT_EQ(tree.GetItemText(chapter), "Kapitel 'Lasten'");
    const auto first = tree.GetChildItem(chapter);
    const auto second = tree.GetNextSiblingItem(first);
    EXPECT_EQ(tree.GetSelectedItem(), first);
    EXPECT_TRUE(Enabled(dlg, IDC_PLAU_JUMP));
    UserSelect(tree, second);
    EXPECT_EQ(dlg.MessageOfItem(second), 1);
    EXPECT_FALSE(Enabled(dlg, IDC_PLAU_JUMP));
    // The chapter item only groups its messages: it names no field.
    UserSelect(tree, first);
    EXPECT_TRUE(Enabled(dlg, IDC_PLAU_JUMP));
    UserSelect(tree, chapter);
    EXPECT_EQ(dlg.MessageOfItem(chapter), -1);
    EXPECT_FALSE(Enabled(dlg, IDC_PLAU_JUMP));
}

TEST_F(PlauInstalled, ResultsOfTheRunsDialog) {
    struct Case {
        const char* name;
        std::string kinds;
        std::function<void(CPlauCtrlV2&)> act;
        int result;
        int selectedRow;  // row of the chosen message, -1 none
    };
    const Case cases[] = {
        {"start after warnings", "WW", [](CPlauCtrlV2& d) { wl::guitest::Click(d, IDC_PLAU_START); },
         PLAU_RESULT_START, -1},
        {"cancel after errors", "EW", [](CPlauCtrlV2& d) { wl::guitest::Click(d, wl::IDCANCEL); },
         PLAU_RESULT_CANCEL, -1},
        {"close box after warnings", "WW", [](CPlauCtrlV2& d) { wl::guitest::CloseBox(d); },
         PLAU_RESULT_CANCEL, -1},
        {"Escape after warnings", "W", [](CPlauCtrlV2& d) { wl::guitest::PressKey(d, Qt::Key_Escape); },
         PLAU_RESULT_CANCEL, -1},
        {"jump to the second message", "EW",
         [](CPlauCtrlV2& d) {
             UserSelect(d.Tree(), d.Tree().GetNextSiblingItem(d.Tree().GetRootItem()));
             wl::guitest::Click(d, IDC_PLAU_JUMP);
         },
         PLAU_RESULT_JUMP, 3},
        {"Enter jumps to the selected message", "WE",
         [](CPlauCtrlV2& d) { wl::guitest::PressKey(d, Qt::Key_Return); }, PLAU_RESULT_JUMP, 2},
        {"double click on a message without a target", "e",
         [](CPlauCtrlV2& d) {
             auto* w = static_cast<QTreeWidget*>(d.Tree().Widget());
             emit w->itemDoubleClicked(d.Tree().ItemOf(d.Tree().GetRootItem()), 0);
         },
         PLAU_RESULT_JUMP, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CPlauMessageList list = MakeList(c.kinds, &grid);
        ScriptedUi ui;
        ui.OnModal(IDD_PLAU_CTRL, [&c](wl::Dialog& d) { c.act(static_cast<CPlauCtrlV2&>(d)); });
        CPlauMessage selected;
        selected.text = "unverändert";
        EXPECT_EQ(GetPlauDialogs().ShowPlauCtrlV2(list, selected), c.result);
        EXPECT_EQ(ui.modalRuns, std::vector<int>{IDD_PLAU_CTRL});
        if (c.result != PLAU_RESULT_JUMP) {
            EXPECT_EQ(selected.text, "unverändert");
            continue;
        }
        EXPECT_EQ(selected.row, c.selectedRow);
        EXPECT_EQ(selected.HasTarget(), c.selectedRow >= 0);
    }
}

TEST_F(PlauInstalled, PlainListShowsTheTextsAndOnlyClosesWithOkOrCancel) {
    const std::vector<std::string> texts = {"Keine Lasten", "Stützweite 0", "Kein Profil gewählt"};
    ScriptedUi ui;
    ui.OnModal(IDD_PLAU_CTRL, [&texts](wl::Dialog& d) {
        auto& dlg = static_cast<CPlauCtrlDlg&>(d);
        wl::TreeCtrl& tree = dlg.Tree();
        std::vector<std::string> shown;
        for (auto i = tree.GetRootItem(); i; i = tree.GetNextSiblingItem(i)) {
            EXPECT_EQ(tree.GetItemData(i), std::intptr_t(shown.size()));
            shown.push_back(tree.GetItemText(i));
        }
        EXPECT_EQ(shown, texts);
        EXPECT_FALSE(Shown(dlg, IDC_PLAU_JUMP));
        EXPECT_FALSE(Shown(dlg, IDC_PLAU_ERRORS));
        EXPECT_TRUE(Shown(dlg, wl::IDOK));
        wl::guitest::Click(dlg, IDC_PLAU_START);  // does nothing
        EXPECT_FALSE(dlg.ModalEnded());
        wl::guitest::Click(dlg, wl::IDOK);
    });
    GetPlauDialogs().ShowPlauCtrlDlg(texts);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{IDD_PLAU_CTRL});
}

TEST_F(PlauInstalled, BatchRunsLeaveTheQuestionToTheSink) {
    SetBatchRun(true);
    ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    sink.scriptedAnswers = {winsys::IdCancel};
    const CPlauMessageList list = MakeList("W", &grid);
    CPlauMessage selected;
    EXPECT_EQ(GetPlauDialogs().ShowPlauCtrlV2(list, selected), PLAU_RESULT_CANCEL);
    GetPlauDialogs().ShowPlauCtrlDlg({"Keine Lasten"});
    EXPECT_TRUE(ui.modalRuns.empty());
    EXPECT_EQ(sink.messages.size(), 2u);
}

TEST(PlauCtrlScreenshot, TypedMessages) {
    Target grid;
    CPlauMessageList list;
    list.AddGridMessage(PLAU_ERROR, "Kapitel 'Lasten': Es wurden keine Lasten eingegeben", 2, &grid, 1, 1);
    list.AddGridMessage(PLAU_WARNING, "Kapitel 'System': Die Stützweite ist größer als 30 m", 1, &grid, 1, 2);
    CPlauCtrlV2 dlg;
    dlg.SetMessages(list);
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    const QImage img = wl::guitest::GrabToPng(dlg, "dialogs_plau_ctrl_v2");
    ASSERT_FALSE(img.isNull());
    // The error icon (red) fills the 24 x 24 cell before the first text.
    auto* tree = static_cast<QTreeWidget*>(dlg.Tree().Widget());
    const QRect row = tree->visualItemRect(dlg.Tree().ItemOf(dlg.Tree().GetRootItem()));
    const QRect inTree = wl::guitest::RectIn(tree->viewport(), dlg.Widget());
    const QRect rowRect = row.translated(inTree.topLeft());
    EXPECT_GE(rowRect.height(), 24);
    const QImage part = img.copy(rowRect);
    const QRect red = wl::guitest::BoundingBox(
        part, [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110; });
    EXPECT_GE(red.width(), 18);
    EXPECT_LE(red.width(), 24);
    EXPECT_GE(red.height(), 18);
    EXPECT_LE(red.height(), 24);
    // The caption band is darker at the right than at the left.
    EXPECT_GT(qGray(img.pixel(3, 3)), qGray(img.pixel(img.width() - 4, 3)) + 40);
}

TEST(PlauCtrlScreenshot, PlainTexts) {
    CPlauCtrlDlg dlg;
    dlg.SetMessages({"Es wurden keine Lasten eingegeben", "Kein Profil gewählt"});
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    const QImage img = wl::guitest::GrabToPng(dlg, "dialogs_plau_ctrl_dlg");
    ASSERT_FALSE(img.isNull());
    const QRect tree = wl::guitest::RectIn(dlg.GetDlgItemWidget(IDC_PLAU_TREE), dlg.Widget());
    const QRect red = wl::guitest::BoundingBox(img.copy(tree), [](QRgb c) {
        return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110;
    });
    // Two small error icons, one above the other.
    EXPECT_LE(red.width(), 16);
    EXPECT_GT(red.height(), 16);
}
