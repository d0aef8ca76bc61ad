// The choice of one exported value: the project's positions, the value tree
// of a position, OK with and without a value, the position and value offered
// again, and their end with the module's teardown.
#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>
#include <fstream>

#include "dialogs/SimpleImportDlg.h"
#include "module/frame/ModuleState.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"
#include "support/import_project.h"

namespace {

using wl::guitest::ScriptedUi;

// The project folder of the shared fixture as the current directory.
using SimpleImport = dialogtest::ImportProject;
using dialogtest::ChooseItem;
using dialogtest::ChooseRow;

// The position's folder "Auflager".
wl::TreeCtrl::Item Folder(CDlgSimpleImportVal& d) {
    return dialogtest::FindItem(d.Values(), d.Values().GetRootItem(), "Auflager");
}

}  // namespace

TEST_F(SimpleImport, PositionsAndTheirValues) {
    CDlgSimpleImportVal dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dialogtest::ExpectProjectPositions(dlg);
    if (HasFatalFailure()) return;
    EXPECT_EQ(dlg.Values().GetCount(), 0);

    ChooseRow(dlg, 0);
    wl::TreeCtrl& tree = dlg.Values();
    // The position's own values before its folders.
    const auto first = tree.GetRootItem();
    EXPECT_EQ(tree.GetItemText(first), "M-max [kNm] =  12.50");
    const auto folder = Folder(dlg);
    ASSERT_NE(folder, 0);
    EXPECT_EQ(tree.GetItemData(folder), 0);
    EXPECT_EQ(tree.GetItemText(tree.GetChildItem(folder)), "A [kN] =   3.00");
    EXPECT_EQ(CDlgSimpleImportVal::RememberedPosition(), "12B");

    ChooseRow(dlg, 1);
    ASSERT_EQ(tree.GetCount(), 1);
    EXPECT_EQ(tree.GetItemText(tree.GetRootItem()), "Die Datei 'Pos2.vkx' exportiert keine Ergebnisse!");
    EXPECT_EQ(tree.GetItemData(tree.GetRootItem()), 0);
}

TEST_F(SimpleImport, OkTakesAValueOnlyAndTheChoiceIsOfferedAgain) {
    ScriptedUi ui;
    ui.OnModal(IDD_SIMPLE_IMPORT, [](wl::Dialog& d) {
        auto& dlg = static_cast<CDlgSimpleImportVal&>(d);
        wl::guitest::Click(dlg, wl::IDOK);  // no position, no value
        EXPECT_FALSE(dlg.ModalEnded());
        ChooseRow(dlg, 1);
        wl::guitest::Click(dlg, wl::IDOK);  // the message item is no value
        EXPECT_FALSE(dlg.ModalEnded());
        ChooseRow(dlg, 0);
        ChooseItem(dlg, Folder(dlg));
        wl::guitest::Click(dlg, wl::IDOK);  // a folder is no value
        EXPECT_FALSE(dlg.ModalEnded());
        ChooseItem(dlg, dlg.Values().GetChildItem(Folder(dlg)));
        wl::guitest::Click(dlg, wl::IDOK);
    });
    CDlgSimpleImportVal first;
    ASSERT_EQ(first.DoModal(), wl::IDOK);
    EXPECT_EQ(first.m_result.m_strSourcePath, "12B\\Auflager\\A");
    EXPECT_EQ(first.m_strChosenPath, "12B\\Auflager\\A");
    EXPECT_EQ(first.m_result.m_strVarName, "P_12B_A");
    EXPECT_DOUBLE_EQ(first.m_result.m_dValue, 3.0);
    EXPECT_EQ(first.m_result.m_strUnit, "kN");

    // Reopened: the position and the value are selected; a double click on
    // another value takes that one.
    ui.OnModal(IDD_SIMPLE_IMPORT, [](wl::Dialog& d) {
        auto& dlg = static_cast<CDlgSimpleImportVal&>(d);
        EXPECT_EQ(dlg.Positions().GetSelectedItem(), 0);
        const auto sel = dlg.Values().GetSelectedItem();
        EXPECT_EQ(dlg.Values().GetItemText(sel), "A [kN] =   3.00");
        auto* w = static_cast<QTreeWidget*>(dlg.Values().Widget());
        const auto mmax = dlg.Values().GetRootItem();
        w->setCurrentItem(dlg.Values().ItemOf(mmax));
        emit w->itemDoubleClicked(dlg.Values().ItemOf(mmax), 0);
    });
    CDlgSimpleImportVal second;
    ASSERT_EQ(second.DoModal(), wl::IDOK);
    EXPECT_EQ(second.m_result.m_strVarName, "P_12B_M_max");
    EXPECT_DOUBLE_EQ(second.m_result.m_dValue, 12.5);

    // Cancel keeps the position chosen while the dialog was open.
    ui.OnModal(IDD_SIMPLE_IMPORT, [](wl::Dialog& d) {
        ChooseRow(static_cast<CDlgSimpleImportVal&>(d), 1);
        wl::guitest::Click(d, wl::IDCANCEL);
    });
    CDlgSimpleImportVal third;
    EXPECT_EQ(third.DoModal(), wl::IDCANCEL);
    EXPECT_EQ(CDlgSimpleImportVal::RememberedPosition(), "Pos2");
    EXPECT_EQ(CDlgSimpleImportVal::RememberedPath(), "M-max [kNm] =  12.50");

    // The module's teardown forgets both.
    ModuleTeardown();
    EXPECT_EQ(CDlgSimpleImportVal::RememberedPosition(), "");
    EXPECT_EQ(CDlgSimpleImportVal::RememberedPath(), "");
}

TEST_F(SimpleImport, AFileThatDoesNotOpenGivesAnEmptyTreeWithoutAMessage) {
    std::ofstream(dir() / "Kaputt.vkx") << "<root progname=\"TESTK\" modulename=\"modul\" version=\"1\"><exports";
    winsys::ScopedRecordingSink sink;
    CDlgSimpleImportVal dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    ASSERT_EQ(dlg.Positions().GetItemCount(), 3);
    ASSERT_EQ(dlg.Positions().GetItemText(1, 0), "Kaputt");
    ChooseRow(dlg, 1);
    EXPECT_EQ(dlg.Values().GetCount(), 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(SimpleImport, Screenshot) {
    CDlgSimpleImportVal dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    ChooseRow(dlg, 0);
    dlg.Values().Expand(Folder(dlg));
    const QImage img = wl::guitest::GrabToPng(dlg, "dialogs_simple_import");
    ASSERT_FALSE(img.isNull());
    // The position column takes 60 % of the list less its frame and
    // scroll bar (the list is 110 dialog units = 165 pixels wide).
    const int a = dlg.Positions().GetColumnWidth(0);
    EXPECT_EQ(dlg.Positions().Widget()->width(), 165);
    EXPECT_GT(a, 165 * 0.5);
    EXPECT_LT(a, 165 * 0.6);
    const QRect tree = wl::guitest::RectIn(dlg.Values().Widget(), dlg.Widget());
    EXPECT_GT(wl::guitest::CountInk(img, tree.adjusted(2, 2, -2, -2), qRgb(255, 255, 255)), 100);
}
