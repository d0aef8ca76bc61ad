// "Allgemeine Einstellungen": four report settings of a position (the free
// text line, the first page number, a page break after the pre-text tables
// and heavier lines in graphics), edited on the position's data.
#pragma once

#include <string>

#include "module/BaseData.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

class CGeneralSettingsDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 517;
    enum {
        IDC_FREE_TEXT = 11071,
        IDC_FIRST_PAGE = 11072,
        IDC_FIRST_PAGE_SPIN = 11073,
        IDC_PAGE_BREAK = 11075,
        IDC_THICK_LINES = 11138,
    };
    // The largest first page number the spin reaches.
    static constexpr int kMaxFirstPage = 16960;

    CGeneralSettingsDlg() : wl::Dialog(kTemplateId) {}
    // The dialog run modally on a position's data (the control pages'
    // "Allgemeines"); returns the dialog's result.
    static int RunOn(CBaseData* data);
    const char* ClassName() const override { return "CGeneralSettingsDlg"; }

    // Set by the caller before the dialog runs; without data the dialog
    // shows empty fields and OK changes nothing.
    CBaseData* m_pData = nullptr;
    // Shows the check box "Höhere Strichstärke bei Grafiken"; while it is
    // hidden, OK clears the data's switch.
    int m_bShowThickLines = 0;

    std::string m_strFreeText;
    int m_nFirstPage = 0;
    int m_bPageBreak = 0;
    int m_bThickLines = 0;

    wl::SpinButtonCtrl& Spin() { return m_spin; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    void OnHelp();
    wl::SpinButtonCtrl m_spin;
};
