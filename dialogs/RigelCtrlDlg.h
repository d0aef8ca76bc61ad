// "Steuerwerte" of the member design: the design code, the load-combination
// code, the national annex and the materials of existing structures, with
// the general settings and the calculation settings ("Steuerung der
// Berechnung") in its serviceability and its load-combination mode.
#pragma once

#include <string>
#include <vector>

#include "dialogs/MainPages.h"
#include "grid/ParamGridCtrl.h"
#include "module/ModuleData.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

class CCalcSettingsDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26012;
    enum { IDC_GRID = 26024 };
    enum { MODE_SERVICEABILITY = 1, MODE_COMBINATION = 2 };
    // Rows of the grid.
    enum { ROW_SLS_HEADER = 0, ROW_SLS_KIND, ROW_DEFL_FIELD, ROW_DEFL_CANTILEVER, ROW_RESULTS_HEADER,
           ROW_RESULTS_SLS, ROW_RESULTS_ULS, ROW_COMBINATION_HEADER, ROW_NO_GAMMA_PSI };

    // notDin18800: the combination code is not DIN 18800 (only then the
    // serviceability combination can be chosen).
    CCalcSettingsDlg(int mode, CCalcSettings* settings, bool notDin18800);
    const char* ClassName() const override { return "CCalcSettingsDlg"; }
    CParamGridCtrl& Grid() { return m_grid; }
    void ExchangeData(bool save);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CParamGridCtrl m_grid;
    int m_nMode;
    CCalcSettings* m_pSettings;
    bool m_bNotDin18800;
    std::vector<std::string> m_kinds;
    std::vector<std::string> m_results;
};

class CRigelCtrlDlg : public CMainPage {
public:
    static constexpr int kTemplateId = 26005;
    enum {
        IDC_DIN18800 = 26007,
        IDC_EC3 = 26008,
        IDC_SIA263 = 26009,
        IDC_LK_DIN18800 = 26010,
        IDC_LK_DIN1055 = 26011,
        IDC_GENERAL = 26012,
        IDC_SERVICEABILITY = 26013,
        IDC_EC3_NA = 26014,
        IDC_COMBINATION = 26015,
        IDC_LK_EN1990 = 26016,
        IDC_ALU = 26017,
        IDC_LK_EN1990_NA = 26018,
        IDC_LK_SIA260 = 26019,
        IDC_PICTURE_NA = 26133,
        IDC_PICTURE_DIN = 26134,
        IDC_PICTURE_EN = 26135,
        IDC_ANNEX = 26136,
        IDC_TEST = 26140,
        IDC_EXISTING_MATERIALS = 26236,
    };

    CRigelCtrlDlg() : CMainPage(kTemplateId, PAGE_CONTROL) {}
    const char* ClassName() const override { return "CRigelCtrlDlg"; }
    void ExchangeData(bool save) override;
    // The target of the plausibility jump to the serviceability settings.
    CPlauControl* PlauTarget() { return &m_target; }

    // ---- the codes behind the radios ------------------------------------------------
    // Design radio 0..4 -> norm code 7, 8, 8, 31, 34 ("SIA 263:2003" is kept as 8).
    static int NormOfRadio(int radio);
    // Norm code -> design radio (7 0, 8 2, 31 3, 34 4; -1 for any other).
    static int RadioOfNorm(int norm);
    // Combination radio 0..4 -> combination code 1, 0, 3, 4, 2, and back.
    static int CombinationOfRadio(int radio);
    static int RadioOfCombination(int code);
    // The combination radio that follows a design radio: 0 -> 0, 2 -> 2, 3 -> 3, other -> 1.
    static int CombinationRadioForDesign(int designRadio);

    // The button handlers (public for the main dialog's plausibility jump).
    void OnDesignRadio();
    void OnGeneral();
    void OnServiceability();
    void OnCombination();

    int m_nDesign = -1;
    int m_nCombination = -1;
    int m_nAnnex = 0;
    int m_bExistingMaterials = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    // The code pictures are registered before the controls are made.
    QWidget* MakeWidget(QWidget* parent, bool child, bool modal) override;

private:
    // The code pictures and the annex combo after the design radio.
    void UpdatePictures();

    class Target : public CPlauControl {
    public:
        explicit Target(CRigelCtrlDlg& page) : m_page(page) {}
        void SetFocus() override;
        int GetDlgCtrlID() const override { return IDC_SERVICEABILITY; }
        void SendParentCommand(int id) override;

    private:
        CRigelCtrlDlg& m_page;
    };
    Target m_target{*this};
};
