// CPreviewDlg: the window beside the input dialog with the member in 3-D and
// in its plane views, the cross-section and a preview of the report. It
// draws nothing itself: it tells the position data which graph windows are
// shown, has the data draw into them, and passes the clicks, drags, drops
// and menu commands of the 2-D views on to the data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/DlgResizer.h"
#include "graphics/HoverButton.h"
#include "graphics/RichText.h"
#include "graphics/core/Kurvo.h"
#include "module/ModuleDataDialog.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

inline constexpr int IDD_PREVIEW = 500;
inline constexpr int IDC_PREVIEW_REPORT = 10002;
inline constexpr int IDC_PREVIEW_XZ = 11010;
inline constexpr int IDC_PREVIEW_3D = 11011;
inline constexpr int IDC_PREVIEW_SECTION = 11012;
inline constexpr int IDC_PREVIEW_XY = 11013;
inline constexpr int IDC_PREVIEW_TAB = 11014;
inline constexpr int IDC_PREVIEW_RASTER = 11015;
inline constexpr int IDC_PREVIEW_YZ = 11016;
inline constexpr int IDC_PREVIEW_EDIT = 11051;
inline constexpr int IDC_PREVIEW_PRINT = 11052;
inline constexpr int IDC_PREVIEW_RASTER_LABEL = 11053;
// The bitmaps of the edit and print buttons (transparent colour 0x00FF00).
inline constexpr int IDB_PREVIEW_EDIT = 180;
inline constexpr int IDB_PREVIEW_PRINT = 181;

class CPreviewDlg : public wl::Dialog, public CPreviewDialogBase {
public:
    // The view code of a tab.
    enum : int { CODE_3D = 0, CODE_XZ = 1, CODE_XY = 2, CODE_YZ = 3, CODE_REPORT = 5 };

    CPreviewDlg();
    ~CPreviewDlg() override;
    const char* ClassName() const override { return "CPreviewDlg"; }

    // ---- what the host interface and the input dialog ask ---------------
    bool CreateModeless() override;
    void SetParentWindow(int64_t parent) override;
    void Show() override;
    void SelectTab(int index) override;
    // Shows the view of the selected tab: the buttons and the raster edit
    // for it, the data's lists of graph windows and its view, then the
    // drawing (or the report on the report tab).
    void ShowSelectedView() override;

    // One tab per view of the set (the combined mode: one for all drawings
    // and the report's); selects the second (combined: the first).
    void FillTabs();
    // Anchors of all views, measured once from the template, then laid out
    // in the client area; the graph controls are told their new places.
    void LayoutViews();

    // ---- state ------------------------------------------------------------
    double m_dRaster = 5.0;               // cm, the step of a drag
    bool m_bShowRaster = true;            // the raster edit on the drawing tabs
    bool m_bCombined = false;             // all drawings side by side under one tab
    int32_t m_nLastDrawingView = -1;      // view code of the last drawing shown
    std::vector<int32_t> m_tabViews;      // view code of each tab
    std::array<int32_t, 6> m_widths{25, 25, 0, 25, 25, 0};  // % for 3-D, XZ, XY, YZ, section, report
    std::vector<std::string> m_titles;    // the six translated view titles
    bool m_bDragArmed = false;            // the last press hit the current item
    int32_t m_nCurrentItem = 0;           // sketch item of the last press; 0: none

    // ---- windows --------------------------------------------------------
    CHoverButton m_btnPrint;
    CHoverButton m_btnEdit;
    wl::TabCtrl m_tab;
    kurvoqt::Graph2DWindow m_wndSection, m_wndXY, m_wndXZ, m_wndYZ;
    kurvoqt::Graph3DWindow m_wnd3D;
    CRichText m_richText;
    CDlgResizer m_layout;
    // The graph wrappers the data draws into, bound to the windows' pictures.
    CKurvo2D m_section, m_xy, m_xz, m_yz;
    CKurvo3D m_3d;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}      // Enter does not close the preview
    void OnCancel() override {}  // nor does Escape
    void DoDataExchange(wl::DataExchange& dx) override;
    void OnSize(unsigned type, int cx, int cy) override;
    bool OnHelpInfo() override;

private:
    // The events of one 2-D view, with the drag mode of that view.
    struct ViewEvents : kurvo::Events {
        CPreviewDlg* dlg = nullptr;
        CKurvo2D* graph = nullptr;
        int mode = 0;
        void OnEvent(int code, const kurvo::EventArgs& a) override;
    };
    void OnPress(CKurvo2D* graph, int32_t item);
    void OnMove(CKurvo2D* graph, int mode, double x, double y);
    void OnRelease();
    void OnCommand(CKurvo2D* graph, int32_t command);
    // The raster edit's number; text that is no number keeps the last one.
    void ReadRaster();
    void ShowReport();
    void ShowTip(const char* file) const;
    std::string Tr(const char* text) const;

    std::array<ViewEvents, 4> m_events;
    // The displacement the control reported since the press (it reports
    // from the press point; the data moves step by step).
    double m_dMovedX = 0.0, m_dMovedY = 0.0;
};
