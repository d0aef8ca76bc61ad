// The general report settings of a position: without data, with the
// heavier-lines box hidden or shown, the spin's bound, and the picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "dialogs/GeneralSettingsDlg.h"
#include "module/ModuleData.h"
#include "platform/wl/testing/gui_test.h"

namespace gt = wl::guitest;
using G = CGeneralSettingsDlg;

TEST(GeneralSettingsDlg, WithoutDataEmptyFieldsAndOkChangesNothing) {
    gt::ScriptedUi ui;
    G dlg;
    ui.OnModal(G::kTemplateId, [](wl::Dialog& d) {
        EXPECT_EQ(d.GetDlgItemText(G::IDC_FREE_TEXT), "");
        EXPECT_EQ(d.GetDlgItemText(G::IDC_FIRST_PAGE), "");
        gt::Click(d, wl::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), wl::IDOK);
}

TEST(GeneralSettingsDlg, OkWritesTheFourValues) {
    gt::ScriptedUi ui;
    struct Case {
        int showThick;
        bool tick;
        bool expectedThick;
    };
    for (const Case c : {Case{0, false, false}, Case{1, false, true}, Case{1, true, false}}) {
        CModuleData d;
        d.m_strFreeText = "alt";
        d.m_nPage = 3;
        d.m_bDickeLinie = true;
        G dlg;
        dlg.m_pData = &d;
        dlg.m_bShowThickLines = c.showThick;
        ui.OnModal(G::kTemplateId, [&](wl::Dialog& w) {
            EXPECT_EQ(w.GetDlgItemText(G::IDC_FREE_TEXT), "alt");
            EXPECT_EQ(w.GetDlgItemText(G::IDC_FIRST_PAGE), "3");
            EXPECT_EQ(w.GetDlgItemWidget(G::IDC_THICK_LINES)->isVisibleTo(w.Widget()), c.showThick != 0);
            gt::TypeText(w, G::IDC_FREE_TEXT, "Projekt Nord");
            gt::TypeText(w, G::IDC_FIRST_PAGE, "12");
            gt::Click(w, G::IDC_PAGE_BREAK);
            if (c.tick) gt::Click(w, G::IDC_THICK_LINES);
            gt::Click(w, wl::IDOK);
        });
        ASSERT_EQ(dlg.DoModal(), wl::IDOK);
        EXPECT_EQ(d.m_strFreeText, "Projekt Nord");
        EXPECT_EQ(d.m_nPage, 12);
        EXPECT_EQ(d.m_varDefs.m_bPageBreak, 1);
        // Hidden: cleared although it was set; shown: as ticked.
        EXPECT_EQ(d.m_bDickeLinie, c.expectedThick) << c.showThick << c.tick;
    }
}

TEST(GeneralSettingsDlg, SpinStopsAt16960AndPicture) {
    CModuleData d;
    d.m_nPage = 16959;
    G dlg;
    dlg.m_pData = &d;
    dlg.m_bShowThickLines = 1;
    ASSERT_TRUE(dlg.Create(nullptr));
    int lo = -1, hi = -1;
    dlg.Spin().GetRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 16960);
    dlg.Spin().SetPos(20000);
    EXPECT_EQ(dlg.Spin().GetPos(), 16960);
    const QImage img = gt::GrabToPng(dlg, "general_settings_dlg");
    ASSERT_FALSE(img.isNull());
}
