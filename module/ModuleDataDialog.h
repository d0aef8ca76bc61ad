// What the host interface and the module data ask of the main input
// dialog: its data object, the document it shows, its tab pages with their
// annotations, and the exchange between data and pages. The window version
// of the dialog derives from it; without windows the plain object stands
// in, so that the host can create positions.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "module/ModuleData.h"
#include "module/PlauMessage.h"
#include "platform/zevud/zevud.h"

// The host's list of the programs a position can be converted to: pairs of
// program name and variant text.
using vecExportToStruct = std::vector<std::pair<std::string, std::string>>;

class CMainDialogBase;

// The preview beside the main dialog: the views it shows (one bit per view)
// and the data it shows them of. This plain object stands in while no
// window system runs; the window version derives from it.
class CPreviewDialogBase {
public:
    // The views, one bit each.
    enum : uint32_t {
        VIEW_3D = 1u << 0,       // "3D - Ansicht"
        VIEW_XZ = 1u << 1,       // "XZ - Ansicht"
        VIEW_XY = 1u << 2,       // "XY - Ansicht"
        VIEW_YZ = 1u << 3,       // "YZ - Ansicht"
        VIEW_SECTION = 1u << 4,  // "Querschnitt", beside the plane views
        VIEW_REPORT = 1u << 5,   // "Vorschau Ausgabe"
        VIEW_ALL = (1u << 6) - 1,
    };
    virtual ~CPreviewDialogBase() = default;
    virtual const char* ClassName() const { return "CPreviewDlg"; }
    // Makes the window from its template, without a parent yet; the plain
    // object has none to make.
    virtual bool CreateModeless() { return true; }
    virtual void SetParentWindow(int64_t parent) { m_parent = parent; }
    virtual void Show() { m_bVisible = true; }
    // Which program's views it offers (member design, else crane runway).
    virtual void SetMemberDesign(bool memberDesign) { m_bMemberDesign = memberDesign; }
    // Selects a tab of its own tab row by index (1: the second tab).
    virtual void SelectTab(int index) { m_nCurTab = index; }
    // Shows the view of the selected tab again.
    virtual void ShowSelectedView() {}

    CModuleData* m_pModuleData = nullptr;
    CMainDialogBase* m_pMainDlg = nullptr;
    uint32_t m_views = VIEW_ALL;
    int64_t m_parent = 0;
    bool m_bVisible = false;
    bool m_bMemberDesign = true;
    int m_nCurTab = 0;
};

// The places of the main dialog that plausibility messages lead to; all
// null while no window shows the data.
struct CPlauTargets {
    CPlauMainDialog* mainDlg = nullptr;
    CPlauTabCtrl* tabCtrl = nullptr;
    CPlauGrid* systemGrid = nullptr;
    CPlauGrid* loadGrid = nullptr;
    CPlauGrid* springGrid = nullptr;
    // Control 26013 of the calculation-settings page.
    CPlauControl* settingsControl = nullptr;
};

class CMainDialogBase {
public:
    CMainDialogBase();
    virtual ~CMainDialogBase();
    CMainDialogBase(const CMainDialogBase&) = delete;
    CMainDialogBase& operator=(const CMainDialogBase&) = delete;

    // The run-time class name by which the host interface recognises it.
    virtual const char* ClassName() const { return "DIzevoViv"; }
    // FALSE: data to pages; TRUE: pages to data.
    virtual void ExchangeData(int bSaveAndValidate) { (void)bSaveAndValidate; }
    // Shows the page of the selected tab.
    virtual void ShowPage() {}
    // Rebuilds the tabs for the module name and variant.
    virtual void SetupTabs() {}
    // Refreshes the variable-definition page (FALSE: data to controls).
    virtual void TransferVarDefs(int bSaveAndValidate) { (void)bSaveAndValidate; }
    // The page of the selected tab; -1 when none is selected.
    virtual int GetCurPage() const { return m_nCurPage; }
    virtual void SelectPage(int page) { m_nCurPage = page; }
    // The parent window the host gave.
    virtual void SetParentWindow(int64_t parent) { m_parent = parent; }
    // Where the plausibility messages of the data lead to.
    virtual CPlauTargets GetPlauTargets() { return {}; }

    // ---- what a click, drag or drop in the member sketch asks of the dialog -----
    // Pages are named by their page id (2 System, 3 beddings and springs, 5
    // hinges, 6 loads, 7 the crane runway's points of interest); where both
    // programs have a page of that id, the dialog takes the one of the
    // position's program (the crane system page for "VADU"). The windowless
    // dialog has no tabs nor grids: no tab is current and nothing happens.
    // The tab index that shows page pageId (the last when several do); 1 when
    // no tab does, in the input dialog as in the windowless one.
    virtual int GetTabIndexOfPage(int pageId) const {
        (void)pageId;
        return 1;
    }
    // The index of the selected tab; -1 when none is selected.
    virtual int GetCurrentTab() const { return -1; }
    // Selects tab `tab` and shows its page.
    virtual void SelectTabAndShowPage(int tab) { (void)tab; }
    // Highlights row `row` of the grid of page pageId.
    virtual void HighlightGridRow(int pageId, int row) {
        (void)pageId;
        (void)row;
    }
    // Selects cell (row, col) of the grid of page pageId.
    virtual void SelectGridCell(int pageId, int row, int col) {
        (void)pageId;
        (void)row;
        (void)col;
    }
    // The action of the section column's button in the System grid of page
    // pageId at (row, col): the section of that field opens.
    virtual void OnSystemSectionButton(int pageId, int row, int col) {
        (void)pageId;
        (void)row;
        (void)col;
    }
    // Fills the grid of page pageId again from the data.
    virtual void ReloadPageGrid(int pageId) { (void)pageId; }

    CModuleData m_data;
    ZVDOC m_hDoc = 0;
    std::vector<std::string> m_annotations;  // one per tab page
    std::string m_posAnnotation;
    CPreviewDialogBase* m_pPreview = nullptr;
    int m_nCurPage = -1;
    int64_t m_parent = 0;
};

// Makes the main dialog of "CreateInputDlg" for the host's window value. The
// dialogs library registers a maker for the window version; it answers null
// when no windows run or the value names no live window, and the windowless
// object stands in then.
using MainDialogMaker = CMainDialogBase* (*)(int64_t parentWindow);
void SetMainDialogMaker(MainDialogMaker maker);
CMainDialogBase* MakeMainDialog(int64_t parentWindow);

// Makes the preview of "CreatePreviewDlg" for the host's window value. The
// window library registers a maker for the window version; it answers null
// when no windows run or the value names no live window, and the plain
// object stands in then.
using PreviewDialogMaker = CPreviewDialogBase* (*)(int64_t parentWindow);
void SetPreviewDialogMaker(PreviewDialogMaker maker);
CPreviewDialogBase* MakePreviewDialog(int64_t parentWindow);
