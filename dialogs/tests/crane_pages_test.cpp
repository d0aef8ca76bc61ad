// The crane-runway pages and their dialogs in the main dialog on the crane
// example: control values and the calculation-control editors, system and
// rail, cranes with the player and the load dialogs, notch cases, results,
// output, the progress window, a whole scripted session and the pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "crane/VaduProgress.h"
#include "dialogs/CraneDialogs.h"
#include "dialogs/GeneralSettingsDlg.h"
#include "dialogs/MainDlg.h"
#include "dialogs/VorvWiz.h"
#include "graphics/PreviewDlg.h"
#include "graphics/TreePaths.h"
#include "module/frame/CommandDocument.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"
#include "platform/wl/progress_window.h"
#include "platform/wl/testing/gui_test.h"
#include "support/main_dlg_session.h"

namespace {

namespace fs = std::filesystem;
using wl::guitest::ScriptedUi;
using namespace cranepages;

using dialogtest::Edit;
using dialogtest::Send;
using dialogtest::Value;

std::vector<unsigned char> Fingerprint(ZVDOC doc) {
    return zevud::GetBinData(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "info"), "input_fingerprint");
}

bool Shown(wl::Window& page, int id) {
    wl::Window* w = page.GetDlgItem(id);
    return w && w->IsWindowVisible();
}

// The crane example and a host window of 1000 x 640.
class CranePages : public dialogtest::MainDlgSession {
protected:
    CranePages() : dialogtest::MainDlgSession("Kranbahntraeger.vkx", "cranepages_", 1000, 640) {}
    void TearDown() override {
        dialogtest::MainDlgSession::TearDown();
        wl::SetMainWindow(nullptr);
    }
    void Choose(DIzevoViv* dlg, int pageId) {
        dialogtest::MainDlgSession::Choose(dlg, pageId);
        QApplication::processEvents();
    }
    // The example opened in a new dialog.
    DIzevoViv* Opened() {
        DIzevoViv* dlg = Create();
        doc = Open();
        SetData(dlg, doc);
        QApplication::processEvents();
        return dlg;
    }
    // The preview with the sketch beside the dialog, as the host makes it.
    CPreviewDlg* Preview(DIzevoViv* dlg) {
        sketchHost.Widget()->show();
        const int64_t v = Send("CreatePreviewDlg", {{"CWnd*", static_cast<int64_t>(sketchHost.GetSafeHwnd())},
                                                    {"CWnd*", Value(dlg)},
                                                    {"BOOL", 1}});
        auto* preview = dynamic_cast<CPreviewDlg*>(reinterpret_cast<CPreviewDialogBase*>(static_cast<uintptr_t>(v)));
        if (preview) preview->MoveWindow(0, 0, 700, 500);
        QApplication::processEvents();
        return preview;
    }
    void Shot(const std::string& name) {
        QApplication::processEvents();
        const QImage img = wl::guitest::GrabToPng(host.Widget(), name);
        EXPECT_FALSE(img.isNull()) << name;
    }

    ZVDOC doc = 0;
    dialogtest::Parent sketchHost{700, 500};
};

// ---- control values ----------------------------------------------------------------------------

TEST_F(CranePages, SettingsEditorsRowsAndOk) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    ASSERT_EQ(d.m_info.m_nNorm, kCodeEN1993);
    ScriptedUi ui;
    struct Case {
        int mode, annex;
        int rows;
        bool reduceShown;
    };
    const Case cases[] = {{MODE_ULS, 1, 14, false}, {MODE_ULS, 0, 14, true}, {MODE_SLS, 0, 17, true},
                          {MODE_FATIGUE, 0, 6, true}};
    for (const Case& c : cases) {
        d.m_info.m_nCountryCode = c.annex;
        d.m_craneSettings.m_resultType[0] = 3;
        d.m_craneSettings.m_sResultPos[0] = "2,5";
        d.m_craneSettings.m_bOutputLC[0] = 1;
        d.m_craneSettings.m_resultType[1] = d.m_craneSettings.m_resultType[2] = 0;
        bool ran = false;
        ui.OnModal(CCraneSettingsDlg::kTemplateId, [&](wl::Dialog& w) {
            auto& s = dynamic_cast<CCraneSettingsDlg&>(w);
            EXPECT_EQ(s.Grid().GetRowCount(), c.rows);
            if (c.mode == MODE_ULS) {
                EXPECT_EQ(s.Grid().GetItemText(4, 0), "Auflagerreaktionen abmindern(phi-0.1)");
                EXPECT_EQ(s.Grid().IsRowShown(4), c.reduceShown);
            }
            wl::guitest::GrabToPng(s.Widget(), "crane_settings_mode_" + std::to_string(c.mode));
            ran = true;
            wl::guitest::Click(s, wl::IDOK);
        });
        dlg->VaduCtrlPage().OnSettings(c.mode);
        EXPECT_TRUE(ran);
        // OK in every mode copies check 0's display to checks 1 and 2.
        for (int k : {1, 2}) {
            EXPECT_EQ(d.m_craneSettings.m_resultType[k], 3) << c.mode;
            EXPECT_EQ(d.m_craneSettings.m_sResultPos[k], "2,5") << c.mode;
        }
    }
    ZEVUD_CloseDoc(doc);
}

TEST_F(CranePages, ControlPageAutoPointsAnnexAndBitmaps) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_CONTROL);
    CVaduCtrlDlg& page = dlg->VaduCtrlPage();
    EXPECT_FALSE(page.GetDlgItem(CVaduCtrlDlg::IDC_CODE_EN)->IsWindowEnabled());
    EXPECT_TRUE(Shown(page, CVaduCtrlDlg::IDC_ANNEX_DE_BITMAP));
    EXPECT_FALSE(Shown(page, CVaduCtrlDlg::IDC_ANNEX_FR_BITMAP));
    Shot("crane_page_control");

    // Clearing the automatic points: the message, the points stay.
    const size_t points = d.m_notchCases.size();
    d.m_notchCases.push_back(CNotchCase());
    sink.messages.clear();
    wl::guitest::Click(page, CVaduCtrlDlg::IDC_AUTO_POINTS);
    EXPECT_EQ(d.m_craneSettings.m_autoPOI, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Prüfen Sie bitte die Lage der Systempunkte im Kapitel 'Ermüdung'.");
    EXPECT_EQ(d.m_notchCases.size(), points + 1);
    // Setting it places the points anew: the extra user point without a
    // name is dropped or kept by the placement, the generated ones return.
    d.m_notchCases.erase(d.m_notchCases.begin(), d.m_notchCases.end());
    wl::guitest::Click(page, CVaduCtrlDlg::IDC_AUTO_POINTS);
    EXPECT_EQ(d.m_craneSettings.m_autoPOI, 1);
    EXPECT_FALSE(d.m_notchCases.empty());

    // An annex change (also to the same entry) clears the fingerprint.
    const std::vector<unsigned char> zero(16, 0);
    for (int annex : {1, 1, 0}) {
        d.StoreInputFingerprint();
        ASSERT_NE(Fingerprint(doc), zero);
        if (wl::guitest::ChooseComboItem(page, CVaduCtrlDlg::IDC_ANNEX, annex) && annex == d.m_info.m_nCountryCode)
            page.OnAnnexChanged();  // the same entry chosen again
        EXPECT_EQ(Fingerprint(doc), zero) << annex;
        EXPECT_EQ(d.m_info.m_nCountryCode, annex);
        EXPECT_EQ(Shown(page, CVaduCtrlDlg::IDC_ANNEX_DE_BITMAP), annex == 0);
        EXPECT_EQ(Shown(page, CVaduCtrlDlg::IDC_ANNEX_FR_BITMAP), annex == 1);
    }
    ZEVUD_CloseDoc(doc);
}

// "Allgemeines" edits the position's report settings, "Vorverformung" on
// the loads page runs the imperfection aid for a bow affine to the buckling
// mode; Cancel changes nothing in either.
TEST_F(CranePages, GeneralSettingsAndImperfectionAidReachTheData) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    ScriptedUi ui;
    Choose(dlg, PAGE_CONTROL);
    for (int button : {wl::IDCANCEL, wl::IDOK}) {
        ui.OnModal(CGeneralSettingsDlg::kTemplateId, [&](wl::Dialog& w) {
            wl::guitest::TypeText(w, CGeneralSettingsDlg::IDC_FREE_TEXT, "Halle 3, Achse B");
            wl::guitest::Click(w, button);
        });
        const std::string before = d.m_strFreeText;
        wl::guitest::Click(dlg->VaduCtrlPage(), CVaduCtrlDlg::IDC_GENERAL);
        EXPECT_EQ(d.m_strFreeText, button == wl::IDOK ? "Halle 3, Achse B" : before) << button;
    }

    Choose(dlg, PAGE_LOADS);
    CKranloadGeneralGrid& g = dlg->KranloadPage().GeneralGrid();
    const CGridCellId cell = g.ValueCell(3);
    // The example's bow affine to the buckling mode: 1.5 cm.
    EXPECT_EQ(g.GetItemText(cell.row, cell.col), "1.5 cm");
    ASSERT_EQ(d.m_info.m_nNorm, kCodeEN1993);
    // DIN EN 1993-1-1/NA, elastic-elastic, flexural buckling, curve c:
    // e0 = L / 250 = 5.5 m / 250 = 2.2 cm.
    for (int button : {wl::IDCANCEL, wl::IDOK}) {
        bool ran = false;
        ui.OnModal(CVorvWiz::kTemplateId, [&](wl::Dialog& w) {
            auto& wiz = dynamic_cast<CVorvWiz&>(w);
            EXPECT_TRUE(wiz.m_bBowOnly);
            EXPECT_FALSE(Shown(wiz, CVorvWiz::IDC_KIND_SWAY));
            EXPECT_FALSE(Shown(wiz, CVorvWiz::IDC_FIELDWISE));
            wl::guitest::TypeText(w, CVorvWiz::IDC_LENGTH, "5.5");
            wl::guitest::ChooseComboItem(w, CVorvWiz::IDC_CURVE, 2);
            if (button == wl::IDOK) wl::guitest::GrabToPng(w.Widget(), "crane_imperfection_aid");
            ran = true;
            wl::guitest::Click(w, button);
        });
        const CImperfectionSettings before = d.m_vorvSettings;
        g.OnButtonCellClicked(cell.row, cell.col);
        EXPECT_TRUE(ran);
        const CImperfectionSettings& v = d.m_vorvSettings;
        if (button == wl::IDCANCEL) {
            EXPECT_EQ(v.m_ausmitte, before.m_ausmitte);
            EXPECT_EQ(v.m_vw_len, before.m_vw_len);
            EXPECT_EQ(v.m_vw_ksl, before.m_vw_ksl);
            EXPECT_EQ(g.GetItemText(cell.row, cell.col), "1.5 cm");
            continue;
        }
        EXPECT_EQ(v.m_vorvType, 2);
        EXPECT_EQ(v.m_ausmitteDirekt, 0);
        EXPECT_NEAR(v.m_ausmitte, 2.2, 1e-9);
        EXPECT_EQ(v.m_vw_len, 5.5);
        EXPECT_EQ(v.m_vw_ksl, 2);
        EXPECT_EQ(v.m_vw_typ, 1);
        EXPECT_EQ(v.m_vw_ktyp, 0);
        EXPECT_EQ(g.GetItemText(cell.row, cell.col), "2.2 cm");
    }
    ZEVUD_CloseDoc(doc);
}

// ---- system and rail -------------------------------------------------------------------------

TEST_F(CranePages, CraneSystemRowsFollowTypeCheckAndPoints) {
    DIzevoViv* dlg = Opened();
    Choose(dlg, PAGE_SYSTEM);
    CVaduSysGrid& g = dlg->VaduSysPage().CraneGrid();
    auto shown = [&] {
        std::array<bool, kSysRows> s{};
        for (int r = 0; r < kSysRows; ++r) s[size_t(r)] = g.IsRowShown(r);
        return s;
    };
    // "Laufkran": check set and hidden, spacing and rail shown.
    EXPECT_EQ(shown(), (std::array<bool, kSysRows>{true, false, true, false, true, true, true}));
    g.SetComboCellIndex(0, 1, 1);
    g.SetCheckCell(1, 1, 0);
    g.OnComboCellSelChanged(0, 1, 1);
    EXPECT_EQ(shown(), (std::array<bool, kSysRows>{true, true, false, true, true, true, false}));
    g.SetCheckCell(1, 1, 1);
    g.OnCheckCellClicked(1, 1);
    EXPECT_TRUE(g.IsRowShown(SYS_SPACING));
    g.SetComboCellIndex(0, 1, 0);
    g.SetCheckCell(1, 1, 0);
    g.OnComboCellSelChanged(0, 1, 0);
    EXPECT_EQ(g.GetCheckCell(1, 1), 1);
    Shot("crane_page_system");
    ZEVUD_CloseDoc(doc);
}

TEST_F(CranePages, RailDialogFlatBarSingleNormCancelAndReopening) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_SYSTEM);
    CVaduSysGrid& g = dlg->VaduSysPage().CraneGrid();
    ScriptedUi ui;
    // The stored rail (a catalogue flat bar, name index 3) reopens with its
    // norm and name; the only norm is read-only. Cancel.
    d.m_rail.m_iObj = 3;
    d.m_rail.m_sObj = "Fl 60x40";
    bool ran = false;
    ui.OnModal(CVaduRailDlg::kTemplateId, [&](wl::Dialog& w) {
        auto& r = dynamic_cast<CVaduRailDlg&>(w);
        CVaduRailGrid& rg = r.Grid();
        EXPECT_EQ(rg.TypeIndex(), 1);
        EXPECT_EQ(rg.NormIndex(), 0);
        EXPECT_EQ(rg.NameIndex(), 3);
        EXPECT_EQ(rg.GetComboCellText(RAIL_NAME, 1), "Fl 60x40");
        EXPECT_FALSE(rg.IsCellEnabled(RAIL_NORM, 1));
        EXPECT_FALSE(rg.IsRowShown(RAIL_WIDTH));
        wl::guitest::GrabToPng(r.Widget(), "crane_rail_dialog");
        ran = true;
        wl::guitest::Click(r, wl::IDCANCEL);
    });
    d.m_rail.m_sObj = "geändert";  // Cancel still reloads the grid from the data
    g.OnButtonCellClicked(SYS_RAIL, 1);
    EXPECT_TRUE(ran);
    EXPECT_EQ(g.GetItemText(SYS_RAIL, 1), "geändert");

    // OK unchanged writes the same rail back; a flat bar 40 x 20 mm.
    d.m_rail.m_sObj = "Fl 60x40";
    ui.OnModal(CVaduRailDlg::kTemplateId, [&](wl::Dialog& w) { wl::guitest::Click(w, wl::IDOK); });
    g.OnButtonCellClicked(SYS_RAIL, 1);
    EXPECT_EQ(d.m_rail.m_iTyp, 2);
    EXPECT_EQ(d.m_rail.m_iObj, 3);
    EXPECT_EQ(d.m_rail.m_sObj, "Fl 60x40");
    EXPECT_EQ(d.m_rail.m_strSkwDir, "\\Kranschienen\\Flachstahlschienen");
    ui.OnModal(CVaduRailDlg::kTemplateId, [&](wl::Dialog& w) {
        auto& rg = dynamic_cast<CVaduRailDlg&>(w).Grid();
        rg.SetComboCellIndex(RAIL_TYPE, 1, 0);
        rg.OnComboCellSelChanged(RAIL_TYPE, 1, 0);
        EXPECT_TRUE(rg.IsRowShown(RAIL_WIDTH));
        EXPECT_FALSE(rg.IsRowShown(RAIL_NORM));
        Edit(rg, RAIL_WIDTH, 1, "40");
        Edit(rg, RAIL_HEIGHT, 1, "20");
        wl::guitest::Click(w, wl::IDOK);
    });
    g.OnButtonCellClicked(SYS_RAIL, 1);
    EXPECT_EQ(d.m_rail.m_iTyp, 1);
    EXPECT_EQ(g.GetItemText(SYS_RAIL, 1), "FL 40.0x20.0");
    ZEVUD_CloseDoc(doc);
}

// ---- loads -----------------------------------------------------------------------------------

TEST_F(CranePages, PlayerShowsStepsAndStops) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_LOADS);
    CKranloadDlg& page = dlg->KranloadPage();
    const int n = int(d.m_cranePositions.size() / d.m_cranes.size());
    ASSERT_GE(n, 3);
    EXPECT_EQ(page.SliderMax(), n - 1);
    EXPECT_EQ(page.GetDlgItem(CKranloadDlg::IDC_STOP)->GetWindowText(), "[1]");
    Shot("crane_page_loads_position_0");
    // The sketch follows the player: positions 0 and 1 draw the crane at
    // different places.
    ASSERT_NE(Preview(dlg), nullptr);
    const QImage at0 = wl::guitest::GrabToPng(sketchHost.Widget(), "crane_sketch_position_0");
    page.OnStep(1);
    QApplication::processEvents();
    const QImage at1 = wl::guitest::GrabToPng(sketchHost.Widget(), "crane_sketch_position_1");
    ASSERT_EQ(at0.size(), at1.size());
    int changed = 0;
    for (int y = 0; y < at0.height(); ++y)
        for (int x = 0; x < at0.width(); ++x) changed += at0.pixel(x, y) != at1.pixel(x, y);
    EXPECT_GT(changed, 50);
    page.OnStep(-1);
    // Play starts at 0 without drawing it; the first tick shows position 1.
    page.OnStep(2);
    page.OnPlay();
    EXPECT_TRUE(page.IsPlaying());
    EXPECT_EQ(d.m_nCurCranePos, 0);
    page.OnPlayerTimer();
    EXPECT_EQ(d.m_nCurCranePos, 1);
    EXPECT_EQ(page.GetDlgItem(CKranloadDlg::IDC_STOP)->GetWindowText(), "[2]");
    Shot("crane_page_loads_position_1");
    for (int i = 0; i < n + 2 && page.IsPlaying(); ++i) page.OnPlayerTimer();
    EXPECT_FALSE(page.IsPlaying());
    EXPECT_EQ(d.m_nCurCranePos, n - 1);
    // ">>" at the end stays at the end; "[X]" stops a running player.
    page.OnStep(1);
    EXPECT_EQ(d.m_nCurCranePos, n - 1);
    page.OnPlay();
    page.OnStopButton();
    EXPECT_FALSE(page.IsPlaying());
    ZEVUD_CloseDoc(doc);
}

TEST_F(CranePages, CraneCountAxlesSpacingAndAxleCopy) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_LOADS);
    CKranloadDlg& page = dlg->KranloadPage();
    CKranloadGeneralGrid& g = page.GeneralGrid();
    ASSERT_EQ(d.m_cranes.size(), 1u);
    g.SetComboCellIndex(0, 1, 2);
    g.OnComboCellSelChanged(0, 1, 2);
    ASSERT_EQ(d.m_cranes.size(), 3u);
    EXPECT_EQ(d.m_cranes[2].GetAxisValue(1, 1), d.m_cranes[0].GetAxisValue(1, 1));
    EXPECT_EQ(page.CraneGrid().GetRowCount(), 4);
    g.SetComboCellIndex(0, 1, 0);
    g.OnComboCellSelChanged(0, 1, 0);
    EXPECT_EQ(d.m_cranes.size(), 1u);

    // One axle entered: two.
    Edit(page.CraneGrid(), 1, CKranloadGrid::COL_AXLES, "1");
    page.ExchangeData(true);
    EXPECT_EQ(d.m_cranes[0].m_numOfAxis, 2);

    // The same spacing (value and text) does not regenerate the positions.
    d.m_cranePositions.push_back(-7.0);
    const size_t marked = d.m_cranePositions.size();
    const CFormulaValue spacing = d.m_craneSettings.m_craneMaxDist;
    g.SetFormulaCell(1, 1, spacing);
    g.OnCellValueChanged(1, 1, CExtGridCtrl::KIND_FORMULA);
    EXPECT_EQ(d.m_cranePositions.size(), marked);
    Edit(g, 1, 1, "0,75");
    EXPECT_DOUBLE_EQ(d.m_craneSettings.m_craneMaxDist.GetValue(), 0.75);
    EXPECT_NE(d.m_cranePositions.back(), -7.0);

    // "Lastwerte setzen wie Achse 2" on axle 1 in the wheel-load editor.
    ScriptedUi ui;
    CCrane& crane = d.m_cranes[0];
    crane.AxisValue(1, 10)->SetValue(12.5);
    const double spacing0 = crane.GetAxisValue(0, 0);
    ui.OnModal(CVaduEditDlg::kTemplateId, [&](wl::Dialog& w) {
        auto& e = dynamic_cast<CVaduEditDlg&>(w);
        EXPECT_FALSE(e.GetDlgItem(CVaduEditDlg::IDC_COPY)->IsWindowVisible());  // the only crane
        e.LoadGrid().OnContextMenuCommand(1, 3, AxleCopyCommand(0, 1));
        wl::guitest::GrabToPng(e.Widget(), "crane_wheel_load_dialog");
        wl::guitest::Click(e, wl::IDOK);
    });
    page.CraneGrid().OnButtonCellClicked(1, CKranloadGrid::COL_LOADS);
    EXPECT_DOUBLE_EQ(d.m_cranes[0].GetAxisValue(0, 10), 12.5);
    EXPECT_DOUBLE_EQ(d.m_cranes[0].GetAxisValue(0, 0), spacing0);
    ZEVUD_CloseDoc(doc);
}

TEST_F(CranePages, LoadGroupsDialogShowsDashes) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_LOADS);
    d.m_craneSettings.m_bSecondBeam = 0;
    ScriptedUi ui;
    bool ran = false;
    ui.OnModal(CKranloadGroupsDlg::kTemplateId, [&](wl::Dialog& w) {
        auto& gd = dynamic_cast<CKranloadGroupsDlg&>(w);
        CKranloadGroupsGrid& g = gd.Grid();
        const CCrane& c = gd.Crane();
        for (int group = 0; group < CCrane::kGroups; ++group) {
            const bool dashes = g.GetItemText(group + 1, 1) == "---";
            EXPECT_EQ(dashes, !IsLoadGroupShown(c, d, 0, group)) << group;
        }
        for (int group : {12, 13, 16, 17}) EXPECT_EQ(g.GetItemText(group + 1, 2), "---") << group;
        EXPECT_EQ(gd.Tree().GetCount(), c.m_numOfAxis);
        wl::guitest::GrabToPng(gd.Widget(), "crane_load_groups_dialog");
        ran = true;
        wl::guitest::Click(gd, wl::IDOK);
    });
    dlg->KranloadPage().CraneGrid().OnButtonCellClicked(1, CKranloadGrid::COL_GROUPS);
    EXPECT_TRUE(ran);
    ZEVUD_CloseDoc(doc);
}

// ---- notch cases -----------------------------------------------------------------------------

TEST_F(CranePages, NotchGridRowsEnablingAndThickness) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_POINTS);
    CKerbfallGrid& g = dlg->PointsPage().Grid();
    const int count = int(d.m_notchCases.size());
    ASSERT_EQ(g.GetRowCount(), count + 2);
    EXPECT_EQ(g.GetItemText(count + 1, CKerbfallGrid::COL_NAME), "");
    // A name typed into the last row appends a copy of the last record.
    Edit(g, count + 1, CKerbfallGrid::COL_NAME, "Naht oben");
    ASSERT_EQ(int(d.m_notchCases.size()), count + 1);
    EXPECT_EQ(d.m_notchCases.back().m_strName, "Naht oben");
    EXPECT_EQ(d.m_notchCases.back().m_bSystem, 0);
    EXPECT_EQ(g.GetRowCount(), count + 3);
    const int row = count + 1;
    // Geometry "Durchgängig": x, weld thickness and weld category blank and disabled.
    g.SetComboCellIndex(row, CKerbfallGrid::COL_GEOMETRY, GEOM_CONTINUOUS);
    g.OnComboCellSelChanged(row, CKerbfallGrid::COL_GEOMETRY, GEOM_CONTINUOUS);
    for (int col : {int(CKerbfallGrid::COL_X), int(CKerbfallGrid::COL_WELD), int(CKerbfallGrid::COL_WELD_CATEGORY)}) {
        EXPECT_FALSE(g.IsCellEnabled(row, col)) << col;
        EXPECT_EQ(g.GetItemText(row, col), "") << col;
    }
    g.SetComboCellIndex(row, CKerbfallGrid::COL_GEOMETRY, GEOM_WELD);
    g.OnComboCellSelChanged(row, CKerbfallGrid::COL_GEOMETRY, GEOM_WELD);
    EXPECT_TRUE(g.IsCellEnabled(row, CKerbfallGrid::COL_WELD));
    // A generated point keeps its name and geometry.
    d.m_notchCases.back().m_bSystem = 1;
    g.ExchangeData(false);
    EXPECT_FALSE(g.IsCellEnabled(row, CKerbfallGrid::COL_NAME));
    EXPECT_FALSE(g.IsCellEnabled(row, CKerbfallGrid::COL_GEOMETRY));
    // A plate beyond the section's plates keeps the stored thickness.
    d.m_notchCases.back().m_tqe = 99;
    d.m_notchCases.back().m_thickness.SetValue(7.0);
    g.ExchangeData(false);
    EXPECT_EQ(g.GetItemText(row, CKerbfallGrid::COL_THICKNESS), "7.0 mm");
    Shot("crane_page_points");
    ZEVUD_CloseDoc(doc);
}

// ---- results, output, progress ----------------------------------------------------------------

TEST_F(CranePages, ResultTreeSelectsPositionAndResult) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    CVaduResultDlg& page = dlg->VaduResultPage();
    d.StoreInputFingerprint();  // the results belong to the input, as after a calculation
    d.m_resultSets.resize(2);
    d.m_resultSets[0].m_strTitle = "Tragsicherheit\\Kranstellung\\4 @\\My";
    d.m_resultSets[0].m_strName = "My";
    d.m_resultSets[1].m_strTitle = "Tragsicherheit\\Extremal\\Mz";
    d.m_strMessage = "Tragsicherheit S/V\t0.53\terfüllt";
    page.ExchangeData(false);
    wl::TreeCtrl& tree = page.Tree();
    // By check and crane position: the check, its position and the extremes, the two records.
    ASSERT_EQ(tree.GetCount(), 5);
    HTREEITEM first = 0;
    ASSERT_TRUE(TreeFindPath(first, 0, "Tragsicherheit\\Kranstellung 4 @\\My", &tree, false));
    EXPECT_EQ(tree.GetItemData(first), 3 * 65536 + 1);
    EXPECT_EQ(tree.GetItemText(first), "My");
    HTREEITEM extremes = 0;
    ASSERT_TRUE(TreeFindPath(extremes, 0, "Tragsicherheit\\Extremal\\Mz", &tree, false));
    EXPECT_EQ(tree.GetItemData(extremes), 0 * 65536 + 2);
    tree.SelectItem(first);
    page.OnSelectionChanged();
    EXPECT_EQ(d.m_nCurrentIndex, 0);
    EXPECT_EQ(d.m_nCurCranePos, 3);
    tree.SelectItem(0);
    page.OnSelectionChanged();
    EXPECT_EQ(d.m_nCurrentIndex, -1);
    // The summary's cells two blanks apart.
    EXPECT_EQ(page.MessageText(), "Tragsicherheit S/V  0.53  erfüllt\r\n");
    EXPECT_EQ(page.GetDlgItemText(CVaduResultDlg::IDC_MESSAGE).rfind("Tragsicherheit S/V  0.53  erfüllt", 0), 0u);
    ZEVUD_CloseDoc(doc);
}

// The crane example calculated through its results tab: the records as a
// tree by check and crane position with readable names (no level holds a
// backslash path, the crane position reads "Kranstellung n (p %)"), the
// console's verdict above the check summary, whose columns line up in a
// fixed-pitch font; the picture of the page.
TEST_F(CranePages, ResultsOfTheExampleByCheckAndCranePosition) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    Choose(dlg, PAGE_RESULTS);
    ASSERT_FALSE(d.m_resultSets.empty()) << d.m_strMessage;
    CVaduResultDlg& page = dlg->VaduResultPage();
    wl::TreeCtrl& tree = page.Tree();
    std::vector<std::string> checks;
    for (HTREEITEM c = tree.GetRootItem(); c; c = tree.GetNextSiblingItem(c)) checks.push_back(tree.GetItemText(c));
    // One top item per check, in the order of the calculation.
    ASSERT_FALSE(checks.empty());
    EXPECT_LE(checks.size(), 8u);
    EXPECT_EQ(checks.front(), "Tragsicherheit S/V");
    // Every record is a leaf of its path; the positions read as one level.
    size_t leaves = 0, positions = 0;
    std::vector<std::intptr_t> items;
    for (HTREEITEM c = tree.GetRootItem(); c; c = tree.GetNextSiblingItem(c)) TreeCollectItems(c, &tree, items, true);
    for (std::intptr_t i : items) {
        const HTREEITEM item = HTREEITEM(i);
        const std::string text = tree.GetItemText(item);
        EXPECT_EQ(text.find('\\'), std::string::npos) << text;
        EXPECT_NE(text, "Kranstellung");
        if (text.rfind("Kranstellung ", 0) == 0) ++positions;
        const long data = long(tree.GetItemData(item));
        if (data == 0) continue;
        ++leaves;
        int position = -1, index = -1;
        DecodeResultItem(data, int(d.m_resultSets.size()), position, index);
        ASSERT_GE(index, 0);
        EXPECT_EQ(position, ResultCranePosition(d.m_resultSets[size_t(index)].m_strTitle));
    }
    EXPECT_EQ(leaves, d.m_resultSets.size());
    EXPECT_GT(positions, 0u);
    // The verdict first, then the table: "Wert" ends where the values end.
    const std::string& text = page.MessageText();
    EXPECT_EQ(text.rfind("Ergebnis: alle Nachweise erfüllt\r\nKranbahn: max. Ausnutzung 0.", 0), 0u) << text;
    EXPECT_EQ(text.find('\t'), std::string::npos);
    const size_t header = text.find("Tragsicherheit S/V ");
    ASSERT_NE(header, std::string::npos);
    const size_t headerEnd = text.find("\r\n", header);
    const size_t wert = text.find("Wert", header) + 4 - header;
    const size_t row = headerEnd + 2, rowEnd = text.find("\r\n", row);
    const std::string firstRow = text.substr(row, rowEnd - row);  // "Auflagerreaktion  Ay max  18.94  kN ..."
    const size_t value = firstRow.find_first_of("0123456789");
    ASSERT_NE(value, std::string::npos) << firstRow;
    EXPECT_EQ(firstRow.find(' ', value), wert) << firstRow;
    QWidget* message = page.GetDlgItemWidget(CVaduResultDlg::IDC_MESSAGE);
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(QFontInfo(message->font()).fixedPitch());
    // Every row of the table stays on one line of the box, however narrow
    // the page: a wrapped row would put its crane position under the name.
    message->resize(300, message->height());
    QApplication::processEvents();
    auto* plain = qobject_cast<QPlainTextEdit*>(message);
    ASSERT_NE(plain, nullptr);
    for (QTextBlock b = plain->document()->begin(); b.isValid(); b = b.next())
        EXPECT_LE(b.layout()->lineCount(), 1) << b.text().toStdString();

    Shot("crane_page_results");
    const QImage img = wl::guitest::GrabToPng(page.Widget(), "crane_page_results_tab");
    ASSERT_FALSE(img.isNull());
    // Tree and text side by side inside the page, both with ink; nothing in
    // red where every check is fulfilled.
    const QRect t = wl::guitest::RectIn(tree.Widget(), page.Widget());
    const QRect m = wl::guitest::RectIn(message, page.Widget());
    EXPECT_TRUE(img.rect().contains(t)) << t.x() << "," << t.y() << " " << t.width() << "x" << t.height();
    EXPECT_TRUE(img.rect().contains(m));
    EXPECT_LE(t.right(), m.left());
    EXPECT_GT(wl::guitest::CountInk(img, t, qRgb(255, 255, 255)), 200);
    EXPECT_GT(wl::guitest::CountInk(img, m, qRgb(255, 255, 255)), 500);
    EXPECT_EQ(wl::guitest::CountPixels(img, m, [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; }), 0);
    ZEVUD_CloseDoc(doc);
}

// The results tab of a calculated crane runway lists its records and the
// check summary. Once the input differs from the input the results were
// computed from (the crane-position spacing changed and taken into the
// document, the position saved that way and opened again, or the
// calculation stopped), the page says only that the position must be
// calculated again, with the reason of a stopped calculation below it; no
// record is listed and none is drawn.
TEST_F(CranePages, ResultsOfOtherInputAreNotShown) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    CVaduResultDlg& page = dlg->VaduResultPage();
    Choose(dlg, PAGE_RESULTS);  // calculates
    ASSERT_FALSE(page.ShowsStaleResults());
    ASSERT_GT(page.Tree().GetCount(), 0);
    EXPECT_NE(page.GetDlgItemText(CVaduResultDlg::IDC_MESSAGE).find("Tragsicherheit S/V"), std::string::npos);
    // A record (a leaf of the tree) chosen: it is drawn.
    HTREEITEM record = page.Tree().GetRootItem();
    while (page.Tree().GetChildItem(record)) record = page.Tree().GetChildItem(record);
    page.Tree().SelectItem(record);
    page.OnSelectionChanged();
    EXPECT_GE(d.m_nCurrentIndex, 0);

    auto expectStale = [](CVaduResultDlg& p, const CModuleData& data) {
        EXPECT_TRUE(p.ShowsStaleResults());
        EXPECT_EQ(p.Tree().GetCount(), 0);
        const std::string text = p.GetDlgItemText(CVaduResultDlg::IDC_MESSAGE);
        EXPECT_EQ(text.rfind(CBaseData::StaleResultsText(), 0), 0u) << text;
        EXPECT_NE(text.find("muss neu berechnet werden"), std::string::npos);
        for (const char* result : {"Ausn.", "Tragsicherheit S/V", "kN"})
            EXPECT_EQ(text.find(result), std::string::npos) << result << "\n" << text;
        EXPECT_EQ(data.m_nCurrentIndex, -1);
    };
    {
        SCOPED_TRACE("input changed and taken into the document");
        Choose(dlg, PAGE_LOADS);
        Edit(dlg->KranloadPage().GeneralGrid(), 1, 1, "0,75");
        GetData(dlg, doc);
        page.ExchangeData(false);
        expectStale(page, d);
    }
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);

    DIzevoViv* again = Opened();
    CVaduResultDlg& reopened = again->VaduResultPage();
    {
        SCOPED_TRACE("the position saved that way and opened again");
        reopened.ExchangeData(false);
        expectStale(reopened, again->m_data);
    }
    {
        SCOPED_TRACE("the calculation stopped");
        wl::InstallProgressWindows();
        sink.scriptedAnswers = {winsys::IdYes};
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!w->isVisible() || w->windowTitle() != "VK-VADU Berechnung: Fortschrittsanzeige") continue;
                if (wl::Window* wnd = wl::Window::FromWidget(w)) wl::guitest::Click(*wnd, wl::IDCANCEL);
            }
        });
        timer.start(5);
        Choose(again, PAGE_RESULTS);
        timer.stop();
        wl::RemoveProgressWindows();
        expectStale(reopened, again->m_data);
        EXPECT_NE(reopened.GetDlgItemText(CVaduResultDlg::IDC_MESSAGE).find("Berechnung abgebrochen"),
                  std::string::npos);
    }

    // The tab as the user sees it: an empty tree and the text at the top of
    // its box.
    QApplication::processEvents();
    const QImage img = wl::guitest::GrabToPng(host.Widget(), "crane_results_stale");
    ASSERT_FALSE(img.isNull());
    ASSERT_TRUE(reopened.IsWindowVisible());
    const QRect tree = wl::guitest::RectIn(reopened.Tree().Widget(), host.Widget());
    const QRect box = wl::guitest::RectIn(reopened.GetDlgItemWidget(CVaduResultDlg::IDC_MESSAGE), host.Widget());
    auto ink = [&](const QRect& area) {
        const QRect inner = area.adjusted(4, 4, -4, -4);
        const QRgb bg = img.pixel(inner.right() - 1, inner.bottom() - 1);
        return wl::guitest::BoundingBox(img.copy(inner), [&](QRgb c) { return qGray(c) < qGray(bg) - 80; });
    };
    EXPECT_TRUE(ink(tree).isEmpty()) << "the tree is empty";
    const QRect text = ink(box);
    EXPECT_FALSE(text.isEmpty()) << "the box says why";
    EXPECT_LT(text.top(), 40) << "at the top of the box";
    ZEVUD_CloseDoc(doc);
}

TEST_F(CranePages, OutputSwitchesListAndHostCommand) {
    DIzevoViv* dlg = Opened();
    CModuleData& d = dlg->m_data;
    CVaduOutputDlg& page = dlg->VaduOutputPage();
    d.m_craneRtfOptions.assign(55, 1);
    d.m_craneRtfOptions[3] = 0;
    d.m_craneRtfOptions[54] = 0;
    d.m_dorIzi.m_strText = "1,3";
    page.ExchangeData(false);
    const auto& controls = ReportSwitchControls();
    for (size_t i = 0; i < 55; ++i)
        EXPECT_EQ(wl::guitest::Click(page, controls[i]), true) << i;  // every switch has its box
    page.ExchangeData(true);
    EXPECT_EQ(d.m_craneRtfOptions[3], 1);
    EXPECT_EQ(d.m_craneRtfOptions[0], 0);
    EXPECT_EQ(d.m_craneRtfOptions[54], 1);
    wl::guitest::TypeText(page, CVaduOutputDlg::IDC_LIST, "");
    page.ExchangeData(true);
    EXPECT_TRUE(d.m_dorIzi.m_numbers.empty());
    EXPECT_EQ(d.m_dorIzi.m_strText, "");
    // "Einstellungen": nothing without a main window, else 40055 to it.
    int sent = 0;
    host.MapCommand(40055, [&] { ++sent; });
    wl::guitest::Click(page, CVaduOutputDlg::IDC_SETTINGS);
    EXPECT_EQ(sent, 0);
    wl::SetMainWindow(&host);
    wl::guitest::Click(page, CVaduOutputDlg::IDC_SETTINGS);
    EXPECT_EQ(sent, 1);
    Choose(dlg, PAGE_CONTROL);
    page.ShowWindow(wl::SW_SHOW);
    Shot("crane_page_output");
    ZEVUD_CloseDoc(doc);
}

TEST_F(CranePages, ProgressWindowCancelTwiceKeepsItOpen) {
    wl::InstallProgressWindows();
    {
        CVaduDlgProgress progress;
        progress.Create(host.GetSafeHwnd());
        progress.SetTotalRange(5);
        progress.SetPartRange(4);
        progress.StepPart();
        progress.StepPart();
        EXPECT_EQ(progress.PartPos(), 3);
        progress.StepTotal();
        EXPECT_EQ(progress.PartPos(), 1);  // a total step starts the part bar again
        progress.SetText("Ermüdung");
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "VK-VADU Berechnung: Fortschrittsanzeige") window = w;
        ASSERT_NE(window, nullptr);
        wl::guitest::GrabToPng(window, "crane_progress");
        wl::Window* wnd = wl::Window::FromWidget(window);
        ASSERT_NE(wnd, nullptr);
        for (int i = 0; i < 2; ++i) {
            wl::guitest::Click(*wnd, wl::IDCANCEL);
            EXPECT_TRUE(progress.IsCancelPressed()) << i;
            EXPECT_TRUE(window->isVisible()) << i;
        }
    }
    wl::RemoveProgressWindows();
}

// The results tab calculates; the progress window shows, "Berechnung
// abbrechen" asks, and "Ja" stops the run with nothing calculated.
TEST_F(CranePages, CalculationShowsProgressAndStopsOnCancel) {
    DIzevoViv* dlg = Opened();
    wl::InstallProgressWindows();
    sink.scriptedAnswers = {winsys::IdYes};
    bool seen = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowTitle() != "VK-VADU Berechnung: Fortschrittsanzeige") continue;
            if (!seen) wl::guitest::GrabToPng(w, "crane_progress_running");
            seen = true;
            if (wl::Window* wnd = wl::Window::FromWidget(w)) wl::guitest::Click(*wnd, wl::IDCANCEL);
        }
    });
    timer.start(5);
    Choose(dlg, PAGE_RESULTS);
    timer.stop();
    wl::RemoveProgressWindows();
    EXPECT_TRUE(seen);
    bool asked = false;
    for (const auto& m : sink.messages) asked = asked || m.text == "Berechnung wirklich abbrechen?";
    EXPECT_TRUE(asked);
    EXPECT_EQ(dlg->m_data.m_strMessage, "Berechnung abgebrochen");
    EXPECT_TRUE(dlg->m_data.m_resultSets.empty());
    ZEVUD_CloseDoc(doc);
}

// ---- a whole session -------------------------------------------------------------------------

TEST_F(CranePages, ScriptedSessionKeepsTheEditsInTheDocument) {
    DIzevoViv* dlg = Opened();
    ScriptedUi ui;
    // Rail: A rail, bolted.
    Choose(dlg, PAGE_SYSTEM);
    ui.OnModal(CVaduRailDlg::kTemplateId, [&](wl::Dialog& w) {
        auto& rg = dynamic_cast<CVaduRailDlg&>(w).Grid();
        rg.SetComboCellIndex(RAIL_TYPE, 1, 2);
        rg.OnComboCellSelChanged(RAIL_TYPE, 1, 2);
        rg.SetComboCellIndex(RAIL_FASTENING, 1, FASTEN_BOLTED);
        rg.OnComboCellSelChanged(RAIL_FASTENING, 1, FASTEN_BOLTED);
        EXPECT_TRUE(rg.IsRowShown(RAIL_BOLT));
        wl::guitest::Click(w, wl::IDOK);
    });
    dlg->VaduSysPage().CraneGrid().OnButtonCellClicked(SYS_RAIL, 1);
    // A second crane.
    Choose(dlg, PAGE_LOADS);
    CKranloadGeneralGrid& g = dlg->KranloadPage().GeneralGrid();
    g.SetComboCellIndex(0, 1, 1);
    g.OnComboCellSelChanged(0, 1, 1);
    Edit(dlg->KranloadPage().CraneGrid(), 2, CKranloadGrid::COL_NAME, "Kran 2");
    // A notch case.
    Choose(dlg, PAGE_POINTS);
    CKerbfallGrid& k = dlg->PointsPage().Grid();
    const int last = k.GetRowCount() - 1;
    Edit(k, last, CKerbfallGrid::COL_NAME, "Punkt A");
    Choose(dlg, PAGE_CONTROL);
    GetData(dlg, doc);
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);

    DIzevoViv* second = Opened();
    const CModuleData& d = second->m_data;
    EXPECT_EQ(d.m_rail.m_iTyp, 3);
    EXPECT_EQ(d.m_rail.m_sTyp, "A-Schienen");
    EXPECT_EQ(d.m_rail.m_connection, FASTEN_BOLTED);
    ASSERT_EQ(d.m_cranes.size(), 2u);
    EXPECT_EQ(d.m_cranes[1].m_strDesc, "Kran 2");
    bool found = false;
    for (const CNotchCase& n : d.m_notchCases) found = found || n.m_strName == "Punkt A";
    EXPECT_TRUE(found);
    EXPECT_EQ(second->KranloadPage().CraneGrid().GetItemText(2, CKranloadGrid::COL_NAME), "Kran 2");
    Choose(second, PAGE_SYSTEM);
    EXPECT_EQ(second->VaduSysPage().CraneGrid().GetItemText(SYS_RAIL, 1), d.m_rail.m_sObj);
    Shot("crane_session_system");
    ZEVUD_CloseDoc(doc);
}

}  // namespace
