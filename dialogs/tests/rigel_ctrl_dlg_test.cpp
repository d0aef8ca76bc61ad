// "Steuerwerte": the codes behind the radios both ways, the page on the
// position's data, the pictures and the annex combo, and the calculation
// settings in their two modes.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "dialogs/MainDlg.h"
#include "dialogs/RigelCtrlDlg.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;
using R = CRigelCtrlDlg;
using S = CCalcSettingsDlg;

bool Shown(wl::Window& w, int id) { return w.GetDlgItemWidget(id)->isVisibleTo(w.Widget()); }

}  // namespace

TEST(RigelCtrlDlg, CodesOfTheRadiosBothWays) {
    const int norms[5] = {7, 8, 8, 31, 34};
    const int reloaded[5] = {0, 2, 2, 3, 4};  // "SIA 263:2003" comes back as "DIN EN 1993"
    const int combinations[5] = {1, 0, 3, 4, 2};
    const int following[5] = {0, 1, 2, 3, 1};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(R::NormOfRadio(r), norms[r]) << r;
        EXPECT_EQ(R::RadioOfNorm(R::NormOfRadio(r)), reloaded[r]) << r;
        EXPECT_EQ(R::CombinationOfRadio(r), combinations[r]) << r;
        EXPECT_EQ(R::RadioOfCombination(combinations[r]), r) << r;
        EXPECT_EQ(R::CombinationRadioForDesign(r), following[r]) << r;
    }
    EXPECT_EQ(R::RadioOfNorm(13), -1);
    EXPECT_EQ(R::NormOfRadio(-1), -1);
}

TEST(RigelCtrlDlg, DesignClicksStoreCodesAndMoveTheCombination) {
    DIzevoViv dlg;
    dlg.m_data.m_info.m_nNorm = 7;
    dlg.m_data.m_info.m_nLkNorm = 1;
    ASSERT_TRUE(dlg.Create(nullptr));
    R& page = dlg.RigelCtrlPage();
    page.ExchangeData(false);
    EXPECT_EQ(page.m_nDesign, 0);
    EXPECT_EQ(page.m_nCombination, 0);
    EXPECT_TRUE(Shown(page, R::IDC_PICTURE_DIN));
    EXPECT_FALSE(Shown(page, R::IDC_PICTURE_EN));
    EXPECT_FALSE(page.GetDlgItem(R::IDC_ANNEX)->IsWindowEnabled());

    struct Case {
        int radioId;
        int norm;          // stored
        int reload;        // design radio after reloading
        int combination;   // the radio that follows
        bool din, en, na;  // pictures
    };
    const Case cases[] = {
        {R::IDC_SIA263, 8, 2, 1, false, false, false},
        {R::IDC_EC3, 8, 2, 2, false, true, false},
        {R::IDC_EC3_NA, 31, 3, 3, false, false, true},
        {R::IDC_ALU, 34, 4, 1, false, true, false},
        {R::IDC_DIN18800, 7, 0, 0, true, false, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(gt::Click(page, c.radioId)) << c.radioId;
        EXPECT_EQ(dlg.m_data.m_info.m_nNorm, c.norm) << c.radioId;
        EXPECT_EQ(page.m_nCombination, c.combination) << c.radioId;
        EXPECT_EQ(Shown(page, R::IDC_PICTURE_DIN), c.din) << c.radioId;
        EXPECT_EQ(Shown(page, R::IDC_PICTURE_EN), c.en) << c.radioId;
        EXPECT_EQ(Shown(page, R::IDC_PICTURE_NA), c.na) << c.radioId;
        EXPECT_EQ(page.GetDlgItem(R::IDC_ANNEX)->IsWindowEnabled(), c.radioId == R::IDC_EC3_NA);
        // The radio that followed is stored with the next save.
        page.ExchangeData(true);
        EXPECT_EQ(dlg.m_data.m_info.m_nLkNorm, R::CombinationOfRadio(c.combination)) << c.radioId;
        page.ExchangeData(false);
        EXPECT_EQ(page.m_nDesign, c.reload) << c.radioId;
        if (c.radioId == R::IDC_EC3_NA) {
            const QImage img = gt::GrabToPng(page, "rigel_ctrl_dlg_na");
            ASSERT_FALSE(img.isNull());
            // The annex picture has drawn pixels where it stands.
            const QRect pic = gt::RectIn(page.GetDlgItemWidget(R::IDC_PICTURE_NA), page.Widget());
            EXPECT_GT(gt::CountInk(img, pic, img.pixel(pic.right() + 20, pic.top())), 100);
        }
    }
    // Materials for existing structures: the recalculation switch.
    ASSERT_TRUE(gt::Click(page, R::IDC_EXISTING_MATERIALS));
    page.ExchangeData(true);
    EXPECT_EQ(dlg.m_data.m_matBB, 1);
}

TEST(CalcSettingsDlg, ModesShowTheirRows) {
    struct Case {
        int mode;
        bool notDin;
        std::vector<int> shown;
    };
    const Case cases[] = {
        {S::MODE_SERVICEABILITY, true, {0, 1, 2, 3}},
        {S::MODE_SERVICEABILITY, false, {0, 2, 3}},
        {S::MODE_COMBINATION, false, {4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        CCalcSettings settings;
        S dlg(c.mode, &settings, c.notDin);
        ASSERT_TRUE(dlg.Create(nullptr));
        std::vector<int> shown;
        for (int row = 0; row < dlg.Grid().GetRowCount(); ++row)
            if (dlg.Grid().IsRowShown(row)) shown.push_back(row);
        EXPECT_EQ(shown, c.shown) << c.mode << c.notDin;
        if (c.mode == S::MODE_SERVICEABILITY && c.notDin) ASSERT_FALSE(gt::GrabToPng(dlg, "calc_settings_sls").isNull());
        if (c.mode == S::MODE_COMBINATION) ASSERT_FALSE(gt::GrabToPng(dlg, "calc_settings_lk").isNull());
    }
}

TEST(CalcSettingsDlg, ServiceabilityOkSetsTheFourFlags) {
    gt::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    DIzevoViv dlg;
    dlg.m_data.m_info.m_nNorm = 31;
    dlg.m_data.m_info.m_nLkNorm = 3;
    ASSERT_TRUE(dlg.Create(nullptr));
    R& page = dlg.RigelCtrlPage();
    page.ExchangeData(false);
    ui.OnModal(S::kTemplateId, [](wl::Dialog& d) {
        auto& grid = static_cast<S&>(d).Grid();
        grid.SetComboCellIndex(S::ROW_SLS_KIND, 1, 1);  // "Häufig"
        gt::Click(d, wl::IDOK);
    });
    ASSERT_TRUE(gt::Click(page, R::IDC_SERVICEABILITY));
    EXPECT_EQ(dlg.m_data.m_calcSettings.m_gebrNachweis, 1);
    const CLKData& lk = dlg.m_data.LK();
    EXPECT_EQ((std::vector<bool>{lk.m_bChecks[3], lk.m_bChecks[4], lk.m_bChecks[5], lk.m_bChecks[6]}),
              (std::vector<bool>{false, true, false, false}));

    // Cancel in the combination mode leaves the record.
    dlg.m_data.m_calcSettings.m_bNoGammaPsi = 0;
    ui.OnModal(S::kTemplateId, [](wl::Dialog& d) {
        static_cast<S&>(d).Grid().SetCheckCell(S::ROW_NO_GAMMA_PSI, 1, 1);
        gt::Click(d, wl::IDCANCEL);
    });
    ASSERT_TRUE(gt::Click(page, R::IDC_COMBINATION));
    EXPECT_EQ(dlg.m_data.m_calcSettings.m_bNoGammaPsi, 0);
    ui.OnModal(S::kTemplateId, [](wl::Dialog& d) {
        static_cast<S&>(d).Grid().SetCheckCell(S::ROW_NO_GAMMA_PSI, 1, 1);
        gt::Click(d, wl::IDOK);
    });
    ASSERT_TRUE(gt::Click(page, R::IDC_COMBINATION));
    EXPECT_EQ(dlg.m_data.m_calcSettings.m_bNoGammaPsi, 1);
}
