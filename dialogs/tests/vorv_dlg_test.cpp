// "Vorverformung": the sub-dialog of the kind, the direct values' enabling,
// the values both ways and the calculation aid from the page.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "dialogs/MainDlg.h"
#include "dialogs/VorvDlg.h"
#include "dialogs/VorvWiz.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;
using P = CVorvDlg;

bool Shown(wl::Window& w) { return w.Widget()->isVisibleTo(w.Widget()->parentWidget()); }
bool Enabled(wl::Window& w, int id) { return w.GetDlgItem(id)->IsWindowEnabled(); }

}  // namespace

TEST(VorvDlg, KindShowsItsSubDialogAndValuesGoBothWays) {
    DIzevoViv dlg;
    CImperfectionSettings& v = dlg.m_data.m_vorvSettings;
    v.m_vorvType = 1;
    v.m_v0 = 1.25;
    v.m_w0Direkt = 1;
    ASSERT_TRUE(dlg.Create(nullptr));
    P& page = dlg.VorvPage();
    page.ExchangeData(false);
    EXPECT_FALSE(Shown(page.Sway()));
    EXPECT_TRUE(Shown(page.Bow()));
    EXPECT_FALSE(Shown(page.Ecc()));
    EXPECT_EQ(page.Bow().GetDlgItemText(CVorvBowDlg::IDC_V0), "1.25");
    // The direct value's check: its edit on, the others off.
    EXPECT_TRUE(Enabled(page.Bow(), CVorvBowDlg::IDC_DIRECT_VALUE));
    EXPECT_FALSE(Enabled(page.Bow(), CVorvBowDlg::IDC_V0));
    ASSERT_TRUE(gt::Click(page.Bow(), CVorvBowDlg::IDC_DIRECT));
    EXPECT_FALSE(Enabled(page.Bow(), CVorvBowDlg::IDC_DIRECT_VALUE));
    EXPECT_TRUE(Enabled(page.Bow(), CVorvBowDlg::IDC_W0));
    ASSERT_TRUE(gt::TypeText(page.Bow(), CVorvBowDlg::IDC_W0, "3.5"));
    // Another kind: the page saves, then shows its sub-dialog.
    ASSERT_TRUE(gt::Click(page, P::IDC_ECC));
    EXPECT_EQ(v.m_vorvType, 2);
    EXPECT_EQ(v.m_w0Direkt, 0);
    EXPECT_DOUBLE_EQ(v.m_w0, 3.5);
    EXPECT_TRUE(Shown(page.Ecc()));
    EXPECT_FALSE(Shown(page.Bow()));
    EXPECT_FALSE(Enabled(page.Ecc(), CVorvEccDlg::IDC_NODE));
    ASSERT_TRUE(gt::Click(page.Ecc(), CVorvEccDlg::IDC_DIRECT));
    EXPECT_TRUE(Enabled(page.Ecc(), CVorvEccDlg::IDC_NODE));
    EXPECT_FALSE(Enabled(page.Ecc(), CVorvEccDlg::IDC_ECC));
    dlg.Widget()->resize(900, 560);
    page.ShowWindow(wl::SW_SHOW);
    ASSERT_FALSE(gt::GrabToPng(page, "vorv_dlg_ecc").isNull());
    page.ExchangeData(true);
    EXPECT_EQ(v.m_ausmitteDirekt, 1);
}

TEST(VorvDlg, AidResultReachesThePage) {
    gt::ScriptedUi ui;
    DIzevoViv dlg;
    dlg.m_data.m_info.m_nNorm = 7;
    ASSERT_TRUE(dlg.Create(nullptr));
    P& page = dlg.VorvPage();
    page.ExchangeData(false);
    ui.OnModal(CVorvWiz::kTemplateId, [](wl::Dialog& d) {
        gt::Click(d, CVorvWiz::IDC_KIND_SWAY);
        gt::TypeText(d, CVorvWiz::IDC_LENGTH, "20");
        gt::Click(d, wl::IDOK);
    });
    ASSERT_TRUE(gt::Click(page, P::IDC_AID));
    // DIN 18800: 1/200 * sqrt(5/20) = 0.25 %, elastic-elastic 2/3 of it.
    EXPECT_EQ(page.m_nKind, 0);
    EXPECT_TRUE(Shown(page.Sway()));
    EXPECT_EQ(page.Sway().GetDlgItemText(CVorvSwayDlg::IDC_PSI_Y), "0.166667");
    EXPECT_EQ(page.Sway().GetDlgItemText(CVorvSwayDlg::IDC_PSI_Z), "0.166667");
}
