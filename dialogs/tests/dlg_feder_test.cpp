// The spring computed from the members at a support, through its dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>

#include "dialogs/DlgFeder.h"
#include "dialogs/SpringValDlg.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

using wl::guitest::Click;
using wl::guitest::TypeText;

void EnsureChecked(wl::Dialog& d, int id) {
    auto* b = dynamic_cast<QAbstractButton*>(d.GetDlgItemWidget(id));
    if (b && !b->isChecked()) Click(d, id);
}

// Fills the member below as a rectangle 20 x 30 cm, E 25000, h as given.
void FillRectangleBelow(wl::Dialog& d, const std::string& height) {
    const int b = CDlgFeder::kBelow;
    EnsureChecked(d, b + CDlgFeder::ENABLE);
    EnsureChecked(d, b + CDlgFeder::RECT);
    TypeText(d, b + CDlgFeder::WIDTH, "20,0");
    TypeText(d, b + CDlgFeder::DEPTH, "30.0");
    TypeText(d, b + CDlgFeder::EMOD, "25000");
    TypeText(d, b + CDlgFeder::HEIGHT, height);
    TypeText(d, b + CDlgFeder::FIXITY, "100");
}

}  // namespace

TEST(DlgFeder, ComputeFromTheSpringValuesGrid) {
    // 4 * (0.2 * 0.3^3 / 12) * 25000 * 1000 / 3.0 = 15000 kNm/rad (hand calculation).
    wl::guitest::ScriptedUi ui;
    ui.OnModal(CDlgFeder::kTemplateId, [](wl::Dialog& d) {
        FillRectangleBelow(d, "3.0");
        // The record's member above is ticked: off, so that only the one below counts.
        auto* above = dynamic_cast<QAbstractButton*>(d.GetDlgItemWidget(CDlgFeder::kAbove + CDlgFeder::ENABLE));
        if (above && above->isChecked()) Click(d, CDlgFeder::kAbove + CDlgFeder::ENABLE);
        Click(d, wl::IDOK);
    });
    CSupport s;
    for (int d = 0; d < 7; ++d) s.SetValueByIdx(d, CFormulaValue(0.0), 0);
    s.SetValueByIdx(3, CFormulaValue(0.0), CSpringValGrid::KIND_COMPUTED);
    CSpringValDlg dlg(s, 0x7F, true, 0);
    ASSERT_TRUE(dlg.Create(nullptr));
    CSpringValGrid& g = dlg.Grid();
    g.OnButtonCellClicked(g.RowOf(3), CSpringValGrid::COL_BUTTON);
    ASSERT_EQ(ui.modalRuns.size(), 1u);
    CFormulaValue v;
    int kind = -1;
    g.GetSupport().GetValueByIdx(3, v, kind);
    EXPECT_EQ(kind, CSpringValGrid::KIND_COMPUTED);
    EXPECT_NEAR(v.GetValue(), 15000.0, 1e-6);
    EXPECT_EQ(g.GetItemText(g.RowOf(3), CSpringValGrid::COL_VALUE), "1.5e+04 kNm/rad");
    EXPECT_EQ(g.GetSupport().GetSpringDataByIdx(3).m_uqtyp, 0);
    EXPECT_NEAR(g.GetSupport().GetSpringDataByIdx(3).m_uIy, 4.5e-4, 1e-12);
}

TEST(DlgFeder, MemberWithoutHeightIsRefusedAndNothingStored) {
    wl::guitest::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    ui.OnModal(CDlgFeder::kTemplateId, [](wl::Dialog& d) {
        FillRectangleBelow(d, "0");
        Click(d, wl::IDOK);      // refused: the dialog stays open
        Click(d, wl::IDCANCEL);  // so the script leaves it
    });
    CDlgFeder dlg;
    CSpringData data;
    data.m_uh = 2.5;
    dlg.SetData(data);
    EXPECT_EQ(dlg.DoModal(), wl::IDCANCEL);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("Höhe"), std::string::npos);
    EXPECT_EQ(dlg.GetResult(), 0.0);
    EXPECT_DOUBLE_EQ(dlg.GetData().m_uh, 2.5);
}

TEST(Screenshot, DlgFeder) {
    CDlgFeder dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(dlg, "dialogs_dlg_feder");
    const QRect edit = wl::guitest::RectIn(dlg.GetDlgItemWidget(CDlgFeder::kBelow + CDlgFeder::EMOD), dlg.Widget());
    EXPECT_GT(wl::guitest::CountInk(img, edit, img.pixel(edit.left() + 2, edit.top() + 2)), 5);
    EXPECT_EQ(dlg.GetDlgItemText(CDlgFeder::kBelow + CDlgFeder::EMOD), "25000");
    EXPECT_EQ(dlg.GetDlgItemText(CDlgFeder::kAbove + CDlgFeder::HEIGHT), "3.00");
    EXPECT_EQ(dlg.GetDlgItemText(CDlgFeder::kBelow + CDlgFeder::HEIGHT), "3.0");
}
