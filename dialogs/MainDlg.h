// The main input dialog of both design programs: one tab per page, the
// pages as child windows over one placeholder, the two buttons of the loads
// tab, and the position's data. The host embeds it in its window; the host
// interface sees it as CMainDialogBase.
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/CranePages.h"
#include "dialogs/DlgVarDef.h"
#include "dialogs/MainPages.h"
#include "dialogs/ResultsPage.h"
#include "dialogs/RigelCtrlDlg.h"
#include "dialogs/RigelOutputDlg.h"
#include "dialogs/VorvDlg.h"
#include "graphics/DlgResizer.h"
#include "module/ModuleDataDialog.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

inline constexpr int IDD_MAIN_DIALOG = 26000;
inline constexpr int IDC_MAIN_TAB = 26000;
inline constexpr int IDC_MAIN_PLACEHOLDER = 26006;
inline constexpr int IDC_EINWIRKUNGEN = 26029;
inline constexpr int IDC_LASTUEBERNAHME = 26030;

// A dialog embedded in the host's window: it remembers its first size and
// never closes itself on Enter or Escape.
class CMainDlgBase : public wl::Dialog {
public:
    explicit CMainDlgBase(int templateId) : wl::Dialog(templateId) {}
    int InitialWidth() const { return m_nInitialWidth; }
    int InitialHeight() const { return m_nInitialHeight; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    int m_nInitialWidth = 0;
    int m_nInitialHeight = 0;
};

class DIzevoViv : public CMainDlgBase, public CMainDialogBase, private CPlauMainDialog, private CPlauTabCtrl {
public:
    DIzevoViv();
    ~DIzevoViv() override;
    const char* ClassName() const override { return "DIzevoViv"; }

    // ---- what the host interface and the data ask of it ------------------------------
    void ExchangeData(int bSave) override;
    void ShowPage() override;
    void SetupTabs() override;
    void TransferVarDefs(int bSave) override { m_varDefPage.TransferData(bSave != 0); }
    int GetCurPage() const override;
    void SelectPage(int tabIndex) override;
    CPlauTargets GetPlauTargets() override;

    // The tab index of a page id (the last that matches); 1 when none does.
    int GetTabIndexOfPage(int pageId) const override;
    // The page id of a tab; -1 outside the tabs.
    int GetPageIdOfTab(int tabIndex) const;
    // Every page of the program exchanges its data: the selected one loads,
    // all others save.
    void SyncPages(int selectedId);
    // "Lastübernahme": the value import (CDlgImportVal), then the pages
    // filled again.
    void OnValueImport();

    const std::vector<int32_t>& TabPages() const { return m_tabPages; }
    wl::TabCtrl& Tab() { return m_tab; }
    // The page of an id in the current program (null for none).
    CMainPage* PageOfId(int pageId);
    CSystemPage& SystemPage() { return m_systemPage; }
    CSupportsPage& SupportsPage() { return m_supportsPage; }
    CHingesPage& HingesPage() { return m_hingesPage; }
    CLoadsPage& LoadsPage() { return m_loadsPage; }
    CDlgVarDef& VarDefPage() { return m_varDefPage; }
    CRigelCtrlDlg& RigelCtrlPage() { return m_rigelCtrlDlg; }
    CVorvDlg& VorvPage() { return m_vorvDlg; }
    CVaduCtrlDlg& VaduCtrlPage() { return m_vaduCtrlDlg; }
    CVaduSysDlg& VaduSysPage() { return m_vaduSysDlg; }
    CKranloadDlg& KranloadPage() { return m_kranloadDlg; }
    CVaduIntegrityGrid& PointsPage() { return m_vaduIntegrityGrid; }
    CVaduResultDlg& VaduResultPage() { return m_vaduResultDlg; }
    CVaduOutputDlg& VaduOutputPage() { return m_vaduOutputDlg; }
    CResultsPage& ResultsPage() { return m_resultsPage; }
    CRigelOutputDlg& OutputPage() { return m_rigelOutputDlg; }

    // ---- what the member sketch asks of the dialog ------------------------------------
    int GetCurrentTab() const override { return GetCurPage(); }
    void SelectTabAndShowPage(int tab) override;
    // The grid of a page of the position's program (null for a page without one).
    CExtGridCtrl* GridOfPage(int pageId);
    void HighlightGridRow(int pageId, int row) override;
    void SelectGridCell(int pageId, int row, int col) override;
    // The section button of the system grid at (row, col).
    void OnSystemSectionButton(int pageId, int row, int col) override;
    // The page's grid filled again from the data.
    void ReloadPageGrid(int pageId) override;

    // Puts a dialog into the host's window, sized to its client area.
    bool EmbedIn(wl::Window* host);

protected:
    bool OnInitDialog() override;
    void OnSize(unsigned type, int cx, int cy) override;
    bool OnHelpInfo() override;
    // One page's exchange (the order is the caller's).
    virtual void ExchangePage(CMainPage& page, bool save);
    // The calculation run of the results and output tabs.
    virtual void RunCalculation();
    // The sketch drawn again after a tab change.
    virtual void RedrawSketch();

private:
    bool IsCrane() const;
    bool IsCraneWithBedding() const;
    // The pages of the program in the order of ExchangeData and SyncPages.
    std::vector<CMainPage*> ExchangeOrder();
    std::vector<CMainPage*> SyncOrder();
    std::vector<CMainPage*> AllPages();
    void Layout();
    // Places "Einwirkungen" and "Lastübernahme" in the tab row beside the
    // tabs, or in a strip at the top of the page place when the tabs leave no
    // room; returns the top of the loads page.
    int LayoutLoadButtons(const wl::Rect& page);

    // CPlauMainDialog and CPlauTabCtrl: the plausibility jump.
    void ShowPage(int page) override;
    void Redraw() override;
    bool IsVKTTabCtrl() const override { return true; }
    int GetCurPageId() const override;
    int GetCurSel() const override { return GetCurPage(); }
    void SetCurSel(int page) override;

    std::vector<int32_t> m_tabPages;
    CDlgVarDef m_varDefPage;
    CSupportsPage m_supportsPage;
    CHingesPage m_hingesPage;
    CRigelCtrlDlg m_rigelCtrlDlg;
    CSystemPage m_systemPage;
    CVorvDlg m_vorvDlg;
    CLoadsPage m_loadsPage;
    CResultsPage m_resultsPage;
    CRigelOutputDlg m_rigelOutputDlg;
    CVaduCtrlDlg m_vaduCtrlDlg;
    CVaduSysDlg m_vaduSysDlg;
    CKranloadDlg m_kranloadDlg;
    CVaduIntegrityGrid m_vaduIntegrityGrid;
    CVaduResultDlg m_vaduResultDlg;
    CVaduOutputDlg m_vaduOutputDlg;
    wl::TabCtrl m_tab;
    CDlgResizer m_resizer;
    int m_nMargin = 0;
    wl::Rect m_buttonSize[2] = {};  // "Einwirkungen", "Lastübernahme" as the template has them
    bool m_bButtonsBelowTabs = false;
};

// Registers the window version of the main dialog with the host interface.
void RegisterMainDialogMaker();
