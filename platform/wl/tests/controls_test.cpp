// Control wrappers: tab, tree, up-down, progress, combo and list view.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTabBar>
#include <QTreeWidget>

#include "platform/winsys/winsys.h"
#include "platform/wl/controls.h"
#include "platform/wl/testing/gui_test.h"
#include "support/test_dialog.h"

using namespace wl;
using namespace wltest;

namespace {

class Bound : public TestDialog {
public:
    TabCtrl tab;
    TreeCtrl tree;
    SpinButtonCtrl spin;
    ProgressCtrl progress;
    ComboBox combo;
    ListCtrl list;
    std::vector<Notify> got;

protected:
    void DoDataExchange(DataExchange& dx) override {
        DDX_Control(dx, IDC_TABS, tab);
        DDX_Control(dx, IDC_TREE, tree);
        DDX_Control(dx, IDC_COUNT_SPIN, spin);
        DDX_Control(dx, IDC_PROGRESS, progress);
        DDX_Control(dx, IDC_COUNTRY, combo);
        DDX_Control(dx, IDC_LIST, list);
        TestDialog::DoDataExchange(dx);
    }
    bool OnNotify(const Notify& n, std::intptr_t& result) override {
        if (n.code == EN_CHANGE || n.code == EN_SETFOCUS || n.code == EN_KILLFOCUS) return false;
        got.push_back(n);
        result = 0;
        return true;
    }
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestTemplates();
        ASSERT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->show();
        dlg.got.clear();
    }
    winsys::ScopedRecordingSink messages;
    Bound dlg;
};

}  // namespace

TEST_F(ControlsTest, TabSelectionBySetCurSelIsSilentAClickNotifies) {
    EXPECT_STREQ(dlg.tab.ClassName(), "TabCtrl");
    EXPECT_EQ(dlg.GetDlgItem(IDC_TABS), &dlg.tab);
    EXPECT_EQ(dlg.tab.GetCurSel(), -1);
    EXPECT_EQ(dlg.tab.SetCurSel(0), -1);  // no tabs yet
    for (const char* t : {"System", "Lasten", "Ausgabe"}) dlg.tab.InsertItem(dlg.tab.GetItemCount(), t);
    EXPECT_EQ(dlg.tab.GetItemCount(), 3);
    EXPECT_EQ(dlg.tab.SetCurSel(2), 0);
    EXPECT_EQ(dlg.tab.SetCurSel(1), 2);
    EXPECT_EQ(dlg.tab.SetCurSel(7), -1);
    EXPECT_EQ(dlg.tab.GetCurSel(), 1);
    EXPECT_TRUE(dlg.got.empty());
    guitest::ClickTab(dlg, IDC_TABS, 2);
    ASSERT_EQ(dlg.got.size(), 1u);
    EXPECT_EQ(dlg.got[0].id, IDC_TABS);
    EXPECT_EQ(dlg.got[0].code, TCN_SELCHANGE);
    EXPECT_EQ(dlg.tab.GetCurSel(), 2);
    EXPECT_EQ(dlg.tab.GetItemText(1), "Lasten");
    // The display area lies inside the control, below the tabs.
    Rect r = dlg.tab.GetWindowRect();
    Rect inner = r;
    dlg.tab.AdjustRect(false, inner);
    EXPECT_TRUE(r.Contains(inner));
    EXPECT_GT(inner.top, r.top + 15);
    dlg.tab.AdjustRect(true, inner);
    EXPECT_EQ(inner, r);
}

TEST_F(ControlsTest, TreeItemsDataChecksAndHitTest) {
    using Item = TreeCtrl::Item;
    Item root = dlg.tree.InsertItem("Ausgabe");
    Item a = dlg.tree.InsertItem("Lasten", root);
    Item b = dlg.tree.InsertItem("System", root, TreeCtrl::kFirst);
    int payload = 42;
    ASSERT_TRUE(dlg.tree.SetItemData(a, reinterpret_cast<std::intptr_t>(&payload)));
    EXPECT_EQ(reinterpret_cast<int*>(dlg.tree.GetItemData(a)), &payload);
    EXPECT_EQ(dlg.tree.GetChildItem(root), b);
    EXPECT_EQ(dlg.tree.GetNextSiblingItem(b), a);
    EXPECT_EQ(dlg.tree.GetParentItem(a), root);
    EXPECT_EQ(dlg.tree.GetCount(), 3);
    EXPECT_TRUE(dlg.tree.SetCheck(a, true));
    EXPECT_TRUE(dlg.tree.GetCheck(a));
    EXPECT_FALSE(dlg.tree.GetCheck(b));
    EXPECT_TRUE(dlg.tree.SetItemBold(root, true));
    EXPECT_TRUE(dlg.tree.IsItemBold(root));
    EXPECT_TRUE(dlg.tree.EnsureVisible(a));
    EXPECT_TRUE(dlg.tree.SelectItem(a));
    EXPECT_EQ(dlg.tree.GetSelectedItem(), a);
    EXPECT_TRUE(dlg.got.empty());  // programmatic: silent

    // Hit test: the check box zone and the label.
    Rect r;
    ASSERT_TRUE(dlg.tree.GetItemRect(a, r));
    unsigned flags = 0;
    EXPECT_EQ(dlg.tree.HitTest(Point{r.right - 3, r.top + r.Height() / 2}, &flags), a);
    EXPECT_EQ(flags, TreeCtrl::kOnItemLabel);
    auto* qt = qobject_cast<QTreeWidget*>(dlg.tree.Widget());
    bool foundCheck = false;
    for (int x = r.left; x < r.left + 30 && !foundCheck; ++x) {
        if (dlg.tree.HitTest(Point{x, r.top + r.Height() / 2}, &flags) == a && flags == TreeCtrl::kOnItemStateIcon)
            foundCheck = true;
    }
    EXPECT_TRUE(foundCheck);
    EXPECT_EQ(dlg.tree.HitTest(Point{2, qt->height() - 3}, &flags), 0);
    EXPECT_EQ(flags, TreeCtrl::kNowhere);

    // Unknown and deleted items are refused.
    EXPECT_TRUE(dlg.tree.DeleteItem(root));
    EXPECT_EQ(dlg.tree.GetCount(), 0);
    EXPECT_FALSE(dlg.tree.SetCheck(a, true));
    EXPECT_EQ(dlg.tree.GetItemData(a), 0);
    EXPECT_EQ(dlg.tree.InsertItem("x", a), 0);
    EXPECT_FALSE(dlg.tree.DeleteItem(123456));
}

TEST_F(ControlsTest, UpDownTakesSixteenBitRangesAndStopsAtTheEnd) {
    // 1,000,000 as a 16-bit value is 16960.
    dlg.spin.SetRange(0, 1000000);
    int lo = -1, hi = -1;
    dlg.spin.GetRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 16960);
    EXPECT_EQ(dlg.GetDlgItem(IDC_COUNT_SPIN), &dlg.spin);
    EXPECT_EQ(dlg.spin.GetBuddy(), dlg.GetDlgItem(IDC_COUNT));
    dlg.spin.SetPos(16958);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COUNT), "16958");
    auto* up = dlg.spin.Widget()->findChildren<QAbstractButton*>().value(0);
    ASSERT_NE(up, nullptr);
    for (int i = 0; i < 5; ++i) up->click();
    EXPECT_EQ(dlg.spin.GetPos(), 16960);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COUNT), "16960");
    ASSERT_EQ(dlg.got.size(), 5u);
    EXPECT_EQ(dlg.got[0].code, UDN_DELTAPOS);
    EXPECT_EQ(dlg.got[0].delta, 1);
    // The 32-bit range keeps its values.
    dlg.spin.SetRange32(0, 1000000);
    dlg.spin.GetRange(lo, hi);
    EXPECT_EQ(hi, 1000000);
}

TEST_F(ControlsTest, ProgressStepsReturnThePreviousPositionAndStopAtTheEnd) {
    dlg.progress.SetRange(0, 100);
    EXPECT_EQ(dlg.progress.SetStep(40), 10);
    EXPECT_EQ(dlg.progress.StepIt(), 0);
    EXPECT_EQ(dlg.progress.StepIt(), 40);
    EXPECT_EQ(dlg.progress.StepIt(), 80);
    EXPECT_EQ(dlg.progress.GetPos(), 100);
    EXPECT_EQ(dlg.progress.SetPos(30), 100);
    dlg.progress.SetRange(0, 1000000);  // 16 bits
    int lo, hi;
    dlg.progress.GetRange(lo, hi);
    EXPECT_EQ(hi, 16960);
}

TEST_F(ControlsTest, ComboAndListView) {
    EXPECT_EQ(dlg.combo.GetCount(), 2);
    EXPECT_EQ(dlg.combo.AddString("Schweiz"), 2);
    EXPECT_EQ(dlg.combo.FindStringExact(-1, "frankreich"), 1);
    EXPECT_EQ(dlg.combo.SelectString(-1, "Sch"), 2);
    EXPECT_EQ(dlg.combo.GetCurSel(), 2);
    EXPECT_EQ(dlg.combo.SetCurSel(9), -1);
    EXPECT_EQ(dlg.combo.GetCurSel(), -1);
    EXPECT_TRUE(dlg.combo.SetItemData(0, 77));
    EXPECT_EQ(dlg.combo.GetItemData(0), 77);
    EXPECT_EQ(dlg.combo.DeleteString(5), -1);
    EXPECT_TRUE(dlg.got.empty());

    EXPECT_EQ(dlg.list.InsertColumn(0, "Feld", ListCtrl::Left, 60), 0);
    EXPECT_EQ(dlg.list.InsertColumn(1, "Länge", ListCtrl::Right, 60), 1);
    EXPECT_EQ(dlg.list.InsertItem(0, "1"), 0);
    EXPECT_EQ(dlg.list.InsertItem(5, "2"), 1);
    EXPECT_TRUE(dlg.list.SetItemText(1, 1, "4.50"));
    EXPECT_EQ(dlg.list.GetItemText(1, 1), "4.50");
    EXPECT_FALSE(dlg.list.SetItemText(4, 0, "x"));
    EXPECT_EQ(dlg.list.InsertColumn(0, "Nr", ListCtrl::Left, 30), 0);
    EXPECT_EQ(dlg.list.GetItemText(1, 2), "4.50");
    EXPECT_TRUE(dlg.list.DeleteColumn(0));
    EXPECT_EQ(dlg.list.GetItemText(1, 1), "4.50");
    EXPECT_TRUE(dlg.list.SelectItem(1));
    EXPECT_EQ(dlg.list.GetSelectedItem(), 1);
    EXPECT_TRUE(dlg.got.empty());
    EXPECT_TRUE(messages.messages.empty());
}
