// The grid control: a spreadsheet-like child window of fixed (header) rows and
// columns and scrollable cells, with per-row heights and per-column widths,
// a focus cell, a multi-cell selection and in-place editing.
//
// The window is a widget of our own with its own scroll bars; notifications
// go to the parent window through the window layer's routing (see the
// records in GridTypes.h). Drawing and scrolling live in GridCtrlView.cpp,
// mouse, keys, selection and editing in GridCtrlInput.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <QFont>

#include "grid/GridCell.h"
#include "grid/GridTypes.h"
#include "platform/wl/window.h"

class QPainter;
class QMimeData;
class QPagedPaintDevice;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class QScrollBar;

namespace gridimpl {
class GridWidget;
}
class CGridTipWnd;
class CGridDropHandler;

// What a print run tells the grid about the page it prints: the current and
// the last page (from 1) and the rectangle of the band being drawn.
struct CPrintInfo {
    int m_nCurPage = 1;
    int m_nMaxPage = 1;
    wl::Rect m_rectDraw;
};

using GRIDCALLBACK = bool (*)(GRIDDISPINFO* info, std::intptr_t data);
using PFNGRIDCOMPARE = int (*)(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t data);

class CGridCtrl : public wl::Window {
public:
    static constexpr const char* kClassName = "RigelGridCtrl";

    // Mouse modes.
    enum MouseMode {
        MOUSE_NOTHING = 0,
        MOUSE_SELECT_ALL = 1,
        MOUSE_SELECT_COL = 2,
        MOUSE_SELECT_ROW = 3,
        MOUSE_SELECT_CELLS = 4,
        MOUSE_OVER_ROW_DIVIDE = 6,
        MOUSE_SIZING_ROW = 7,
        MOUSE_OVER_COL_DIVIDE = 8,
        MOUSE_SIZING_COL = 9,
        MOUSE_PREPARE_EDIT = 10,
        MOUSE_PREPARE_DRAG = 11,
        MOUSE_DRAGGING = 12,
    };
    // Scroll codes and bars.
    enum { SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4,
           SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8 };
    enum { SB_LINELEFT = 0, SB_LINERIGHT = 1, SB_PAGELEFT = 2, SB_PAGERIGHT = 3, SB_LEFT = 6, SB_RIGHT = 7 };
    enum { SB_HORZ = 0, SB_VERT = 1, SB_BOTH = 3 };
    static constexpr unsigned kAutoScrollTimer = 513;
    static constexpr unsigned kWheelPageScroll = 0xFFFFFFFFu;

    CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    ~CGridCtrl() override;
    static CGridCtrl* CreateObject() { return new CGridCtrl; }
    const char* ClassName() const override { return kClassName; }

    // Makes the window as a child of parent at rect with the control id.
    bool Create(const wl::Rect& rect, wl::Window* parent, int id);
    // The widget for a template placeholder of class "RigelGridCtrl".
    QWidget* CreateControlWidget(QWidget* parent) override;
    // The widget that shows the cells (mouse and paint events arrive there).
    QWidget* GetClientWidget() const;
    // Client rectangle of the cell area (exclusive right and bottom).
    wl::Rect GetGridClientRect() const;

    // ---- rows, columns and cells -------------------------------------------
    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    int GetFixedRowCount() const { return m_nFixedRows; }
    int GetFixedColumnCount() const { return m_nFixedCols; }
    bool SetRowCount(int n);
    bool SetColumnCount(int n);
    bool SetFixedRowCount(int n);
    bool SetFixedColumnCount(int n);
    void RemoveAllCells();

    bool SetCellClass(int row, int col, const CGridRuntimeClass* cls);
    void SetDefaultCellClass(const CGridRuntimeClass* cls) { m_pRtcDefault = cls; }
    const CGridRuntimeClass* GetDefaultCellClass() const { return m_pRtcDefault; }
    CGridCellBase* GetCell(int row, int col) const;
    CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedCol) const;

    bool IsValidCell(int row, int col) const { return row >= 0 && row < m_nRows && col >= 0 && col < m_nCols; }
    bool IsValidCell(const CGridCellId& c) const { return IsValidCell(c.row, c.col); }
    bool IsValidRange(const CGridCellRange& r) const;
    bool IsCellFixed(int row, int col) const { return row < m_nFixedRows || col < m_nFixedCols; }

    // ---- items ---------------------------------------------------------------
    bool SetItemText(int row, int col, const std::string& text);
    std::string GetItemText(int row, int col) const;
    bool SetItemData(int row, int col, std::intptr_t data);
    std::intptr_t GetItemData(int row, int col) const;
    bool SetItemImage(int row, int col, int image);
    int GetItemImage(int row, int col) const;
    bool SetItemFormat(int row, int col, unsigned format);
    unsigned GetItemFormat(int row, int col) const;
    bool SetItemBackColor(int row, int col, COLORREF c);
    COLORREF GetItemBackColor(int row, int col) const;
    bool SetItemTextColor(int row, int col, COLORREF c);
    COLORREF GetItemTextColor(int row, int col) const;
    bool SetItemFont(int row, int col, const QFont* font);
    bool SetItemState(int row, int col, unsigned state);
    unsigned GetItemState(int row, int col) const;
    bool IsItemEditing(int row, int col) const;
    bool IsCellEditable(int row, int col) const;
    bool IsCellSelected(int row, int col) const;
    void SetModified(bool modified = true, int row = -1, int col = -1);
    bool GetModified(int row = -1, int col = -1) const;

    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    long long GetTotalHeight() const;
    long long GetTotalWidth() const;

    // The key of a cell in the selection maps (internal; 64 bits so that no
    // two cells share one).
    static std::uint64_t SelectionKey(int row, int col) {
        return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
    }

    // ---- settings ------------------------------------------------------------
    void SetEditable(bool b) { m_bEditable = b; }
    bool IsEditable() const { return m_bEditable; }
    void SetListMode(bool b) { m_bListMode = b; }
    bool GetListMode() const { return m_bListMode; }
    void EnableSelection(bool b) { m_bEnableSelection = b; }
    bool IsSelectionEnabled() const { return m_bEnableSelection; }
    void SetGridLines(int lines) { m_nGridLines = lines; }
    int GetGridLines() const { return m_nGridLines; }
    void SetGridLineColor(COLORREF c) { m_crGridLineColour = c; }
    COLORREF GetGridLineColor() const { return m_crGridLineColour; }
    void SetGridBkColor(COLORREF c) { m_crWindowColour = c; }
    COLORREF GetGridBkColor() const { return m_crWindowColour; }
    void SetVirtualMode(bool b);
    bool GetVirtualMode() const { return m_bVirtualMode; }
    void SetDisplayInfoCallback(GRIDCALLBACK fn, std::intptr_t data) {
        m_pfnCallback = fn;
        m_lParam = data;
    }
    // Drag and drop: the window takes drops while it is on.
    void EnableDragAndDrop(bool b);
    bool GetDragAndDrop() const { return m_bAllowDragAndDrop; }
    void EnableTitleTips(bool b) { m_bTitleTips = b; }
    bool GetTitleTips() const { return m_bTitleTips; }
    void SetTitleTipColors(COLORREF back, COLORREF text) {
        m_crTTipBackClr = back;
        m_crTTipTextClr = text;
    }
    void SetDoubleBuffering(bool b) { m_bDoubleBuffer = b; }
    bool GetDoubleBuffering() const { return m_bDoubleBuffer; }
    void SetHandleTabKey(bool b) { m_bHandleTabKey = b; }
    bool GetHandleTabKey() const { return m_bHandleTabKey; }
    void SetTabHook(bool b) { m_bTabHook = b; }
    bool GetTabHook() const { return m_bTabHook; }
    void SetSingleClickEdit(bool b) { m_bSingleClickEdit = b; }
    bool GetSingleClickEdit() const { return m_bSingleClickEdit; }
    void SetHighlightFocusHeaders(bool b) { m_bHighlightFocusHeaders = b; }
    bool GetHighlightFocusHeaders() const { return m_bHighlightFocusHeaders; }
    void SetRowResize(bool b) { m_bAllowRowResize = b; }
    bool GetRowResize() const { return m_bAllowRowResize; }
    void SetColumnResize(bool b) { m_bAllowColumnResize = b; }
    bool GetColumnResize() const { return m_bAllowColumnResize; }
    void SetSortOnClick(bool b) { m_bSortOnClick = b; }
    bool GetSortOnClick() const { return m_bSortOnClick; }
    void SetAutoSizeStyle(int style) { m_nAutoSizeColumnStyle = style; }
    int GetAutoSizeStyle() const { return m_nAutoSizeColumnStyle; }
    void SetEnterKeyAction(int key) { m_nEnterKeyAction = key; }
    int GetEnterKeyAction() const { return m_nEnterKeyAction; }
    void SetWysiwygPrinting(bool b) { m_bWysiwygPrinting = b; }
    bool GetWysiwygPrinting() const { return m_bWysiwygPrinting; }
    void SetFixedRowSelection(bool b) { m_bFixedRowSelection = b; }
    bool GetFixedRowSelection() const { return m_bFixedRowSelection; }
    void SetFixedColumnSelection(bool b) { m_bFixedColumnSelection = b; }
    bool GetFixedColumnSelection() const { return m_bFixedColumnSelection; }
    void SetSingleRowSelection(bool b) { m_bSingleRowSelection = b; }
    bool GetSingleRowSelection() const { return m_bSingleRowSelection; }
    void SetSingleColSelection(bool b) { m_bSingleColSelection = b; }
    bool GetSingleColSelection() const { return m_bSingleColSelection; }
    void SetHiddenColUnhide(bool b) { m_bHiddenColUnhide = b; }
    bool GetHiddenColUnhide() const { return m_bHiddenColUnhide; }
    void SetHiddenRowUnhide(bool b) { m_bHiddenRowUnhide = b; }
    bool GetHiddenRowUnhide() const { return m_bHiddenRowUnhide; }
    void EnableColumnHide(bool b) { m_bAllowColHide = b; }
    bool GetColumnHide() const { return m_bAllowColHide; }
    void EnableRowHide(bool b) { m_bAllowRowHide = b; }
    bool GetRowHide() const { return m_bAllowRowHide; }
    void SetDrawingAllowed(bool b) { m_bAllowDraw = b; }
    bool GetDrawingAllowed() const { return m_bAllowDraw; }
    void SetPrintCellFonts(bool b) { m_bPrintCellFonts = b; }
    bool GetPrintCellFonts() const { return m_bPrintCellFonts; }
    // Cell drawing options: a frame around the focus cell, 3-D fixed cells.
    void SetFrameFocusCell(bool b) { m_bFrameFocus = b; }
    bool GetFrameFocusCell() const { return m_bFrameFocus; }
    void SetFixed3D(bool b) { m_bFixed3D = b; }
    bool GetFixed3D() const { return m_bFixed3D; }
    // Lines per wheel notch (kWheelPageScroll scrolls pages).
    void SetMouseWheelLines(unsigned lines) { m_nWheelLines = lines; }
    unsigned GetMouseWheelLines() const { return m_nWheelLines; }
    int GetMouseMode() const { return m_MouseMode; }
    // Whether images can be drawn (no image list in this control).
    bool HasImageList() const { return false; }

    // ---- sorting and sizing ----------------------------------------------------
    void SetSortColumn(int col);
    int GetSortColumn() const { return m_nSortColumn; }
    void SetSortAscending(bool b) { m_bAscending = b; }
    bool GetSortAscending() const { return m_bAscending; }
    void SetCompareFunction(PFNGRIDCOMPARE fn) { m_pfnCompare = fn; }
    bool SortByText(int col, bool ascending, std::intptr_t data = 0);
    bool SortRows(PFNGRIDCOMPARE compare, int col, bool ascending, std::intptr_t data = 0);
    static int CompareByText(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t data);
    bool AutoSizeColumn(int col, int style = -1, bool resetScroll = true);
    bool AutoSizeRow(int row, bool resetScroll = true);
    void StretchLastColumn();

    // ---- geometry and drawing (GridCtrlView.cpp) --------------------------------
    bool GetCellOrigin(int row, int col, wl::Point& p) const;
    bool GetCellRect(int row, int col, wl::Rect& r) const;
    CGridCellId GetCellFromPoint(wl::Point p, bool allowFixed = true) const;
    CGridCellId GetTopLeftScrollCell(bool force = false) const;
    CGridCellRange GetVisibleCellRange(wl::Rect* rect = nullptr, bool force = false) const;
    bool IsCellVisible(int row, int col) const;
    bool InvalidateCell(int row, int col);
    bool RedrawCell(int row, int col, QPainter* dc = nullptr);
    void RepaintGrid();
    int GetScrollPosition(int bar, bool track = false) const;
    void SetScrollPosition(int bar, int pos, bool redraw = true);
    int GetScrollMax(int bar) const { return bar == SB_HORZ ? m_nHScrollMax : m_nVScrollMax; }
    unsigned GetScrollBarsShown() const { return m_nBarState; }
    void UpdateScrollBars();
    void ShowScrollBars(int bar, bool show);
    void EnsureVisible(int row, int col);
    void OnVScroll(int code);
    void OnHScroll(int code);
    // One wheel turn of delta (120 per notch): queues line or page scrolls.
    void OnMouseWheel(int delta);
    virtual void OnDraw(QPainter* dc, const wl::Rect& clip);

    // ---- selection, focus and editing (GridCtrlInput.cpp) -------------------------
    CGridCellId SetFocusCell(int row, int col);
    CGridCellId SetFocusCell(CGridCellId c) { return SetFocusCell(c.row, c.col); }
    CGridCellId GetFocusCell() const { return m_idCurrentCell; }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRedraw = false,
                          bool select = true);
    void SetSelectedRange(const CGridCellRange& r, bool forceRedraw = false, bool select = true) {
        SetSelectedRange(r.minRow, r.minCol, r.maxRow, r.maxCol, forceRedraw, select);
    }
    CGridCellRange GetSelectedCellRange() const;
    int GetSelectedCount() const { return int(m_SelectedCellMap.size()); }
    void SelectAllCells();
    void SelectColumns(CGridCellId cell, bool forceRedraw = false, bool select = true);
    void SelectRows(CGridCellId cell, bool forceRedraw = false, bool select = true);
    void SelectCells(CGridCellId cell, bool forceRedraw = false, bool select = true);
    void ExtendSelection(CGridCellId cell);
    void ClearSelection();
    virtual void OnRButtonDown(unsigned flags, wl::Point p);

    // Mouse and key handlers (flags: MK_* bits; Qt events arrive here).
    enum { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08 };
    virtual void OnLButtonDown(unsigned flags, wl::Point p);
    void OnMouseMove(unsigned flags, wl::Point p);
    virtual void OnLButtonUp(unsigned flags, wl::Point p);
    void OnLButtonDblClk(unsigned flags, wl::Point p);
    void OnKeyDown(int key);
    void OnChar(int ch);

    // ---- clipboard (GridCtrlClipboard.cpp) -----------------------------------------
    // The selected range as text: fields separated by tabs, rows by line
    // feeds; nullptr when nothing is selected. The caller owns the data.
    virtual std::unique_ptr<QMimeData> CopyTextFromGrid();
    // Pastes text lines and tab-separated fields from start on; false when
    // start is not an editable cell or the data holds no text.
    virtual bool PasteTextToGrid(CGridCellId start, const QMimeData* data, bool selectPasted = true);
    // Changes a cell's text as an edit would: the parent may refuse, the
    // cell validates; a refused text is taken back. True when it changed.
    virtual bool ReplaceCellText(int row, int col, const std::string& text);
    virtual void ClearSelectedCells();
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();

    // ---- drag and drop (GridCtrlClipboard.cpp) ----------------------------------------
    enum { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2 };
    virtual void OnBeginDrag();
    virtual int OnDragEnter(const QMimeData* data, unsigned keyState, wl::Point p);
    virtual int OnDragOver(const QMimeData* data, unsigned keyState, wl::Point p);
    virtual void OnDragLeave();
    virtual bool OnDrop(const QMimeData* data, int dropEffect, wl::Point p);
    // Runs the toolkit's drag loop with the data; the effect it ended with.
    virtual int RunDragLoop(std::unique_ptr<QMimeData> data);
    // The drop target of the window (registered while drag and drop is on).
    CGridDropHandler* GetDropTarget() const { return m_pDropTarget.get(); }
    CGridCellId GetDropCell() const { return m_LastDragOverCell; }

    // ---- printing (GridCtrlPrint.cpp) ----------------------------------------------------
    // Stores each margin (in characters) that is not below 0.
    virtual void SetPrintMargins(int header, int footer, int left, int right, int top, int bottom, int gap);
    virtual void OnBeginPrinting(QPainter* dc, CPrintInfo* info);
    virtual void OnPrint(QPainter* dc, CPrintInfo* info);
    virtual void OnEndPrinting(QPainter* dc, CPrintInfo* info);
    virtual void PrintHeader(QPainter* dc, CPrintInfo* info);
    virtual void PrintFooter(QPainter* dc, CPrintInfo* info);
    virtual void PrintRowCells(int firstCol, int endCol, int row, wl::Rect& rect, QPainter* dc, CPrintInfo* info);
    virtual void PrintHeaderRows(QPainter* dc, CPrintInfo* info);
    virtual void PrintFixedColumns(QPainter* dc, CPrintInfo* info);
    // Runs the whole print sequence on a paged device (a PDF writer or a
    // printer); false when nothing could be printed.
    bool Print(QPagedPaintDevice& device);
    // Pages a run of heights (or widths) fills when each page takes at most
    // room: a new page starts whenever the sum would exceed it.
    static int CountPages(const std::vector<int>& sizes, int room);
    int GetPrintPagesDown() const { return m_nNumPages; }
    int GetPrintPagesAcross() const { return m_nPageMultiplier; }
    int GetPrintRowRoom() const { return m_nPrintRowRoom; }
    // The right-hand footer text of a page.
    static std::string PrintPageText(int page, int maxPage);

    // ---- title tip (GridTipWnd.cpp) ---------------------------------------------------------
    CGridTipWnd* GetTitleTip() const { return m_pTitleTip.get(); }
    void HideTitleTip();
    // Shows the tip of the cell under p when its text does not fit.
    void ShowTitleTipAt(wl::Point p);

    // ---- virtual operations of derived grids ------------------------------------
    virtual void OnEditSelectAll();
    virtual void OnFixedColumnClick(CGridCellId cell);
    virtual void OnFixedRowClick(CGridCellId cell);
    virtual void OnCheckCellClicked(int /*row*/, int /*col*/) {}
    virtual void OnComboCellSelChanged(int /*row*/, int /*col*/, int /*index*/) {}
    virtual void OnButtonCellClicked(int /*row*/, int /*col*/) {}
    virtual void OnCellSelected(int /*row*/, int /*col*/) {}
    virtual void OnCellKeyDown(int /*row*/, int /*col*/, int /*key*/) {}
    virtual std::string GetCellInfoFile(int /*row*/, int /*col*/) { return {}; }
    virtual void OnEditCell(int row, int col, wl::Point point, int key);
    virtual void OnEndEditCell(int row, int col, const std::string& text);
    virtual bool ValidateEdit(int row, int col, const std::string& text);
    virtual void EndEditing();
    virtual bool TabOutOfGrid(int /*row*/, int /*col*/, bool /*backwards*/) { return true; }
    virtual CGridCellBase* CreateCell(int row, int col);
    virtual bool DestroyCell(int row, int col);
    virtual void OnRButtonUp(unsigned flags, wl::Point p);
    // The window got the keyboard focus (reason: Qt's focus reason) or
    // lost it to next (nullptr: outside the program).
    virtual void OnSetFocus(int /*reason*/) {}
    virtual void OnKillFocus(QWidget* /*next*/) {}

    // Sends a grid notification to the parent; its answer.
    std::intptr_t SendMessageToParent(int row, int col, int code);
    std::intptr_t SendCacheHintToParent(const CGridCellRange& range);

    // Edit commands the grid answers.
    static constexpr int ID_EDIT_COPY = 57634;
    static constexpr int ID_EDIT_CUT = 57635;
    static constexpr int ID_EDIT_PASTE = 57637;
    static constexpr int ID_EDIT_SELECT_ALL = 57642;

protected:
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override;
    bool OnCommand(int id, int code) override;
    void OnTimer(unsigned id) override;

private:
    friend class gridimpl::GridWidget;
    using GridRow = std::vector<CGridCellBase*>;

    void SetupDefaultCells();
    void ResetSelectedRange();
    void AfterCountChange();
    void ReportMemoryFailure();
    CGridCellBase* VirtualCell(int row, int col) const;
    void SwapRows(int a, int b);
    void QuickSort(PFNGRIDCOMPARE compare, int col, int low, int high, std::intptr_t data);
    bool MouseOverRowResizeArea(wl::Point p) const;
    bool MouseOverColumnResizeArea(wl::Point p) const;
    void ShowBand(bool vertical, int pos);
    bool PointOnText(CGridCellId cell, wl::Point p) const;
    wl::Point CellRelative(CGridCellId cell, wl::Point p) const;
    void PostClickCommand();
    CGridCellId NextCell(CGridCellId start, int dr, int dc, bool editableOnly) const;
    void ResetCursor();
    void OnAutoScroll();
    void OnSize();
    void OnFontChange(const QFont& font);
    void OnCaptureChanged();
    void OnSysColorChange();
    void Paint(QPainter& p, const wl::Rect& clip);
    void OnScrollTrack(int bar, int pos);
    void HandleKeyEvent(QKeyEvent* e);
    void DrawBlock(QPainter* dc, const wl::Rect& clip, int row0, int row1, int y0, int col0, int col1, int x0);
    int MaxScrollPos(int bar) const;
    bool IsCtrlDown() const;
    bool IsShiftDown() const;

    // ---- members ----
    COLORREF m_crWindowColour;
    COLORREF m_crGridLineColour = 0xC0C0C0;
    COLORREF m_crWindowText, m_crWindow, m_cr3DFace, m_crShadow;
    COLORREF m_crTTipBackClr = CLR_DEFAULT, m_crTTipTextClr = CLR_DEFAULT;
    bool m_bVirtualMode = false;
    std::intptr_t m_lParam = 0;
    GRIDCALLBACK m_pfnCallback = nullptr;
    int m_nGridLines = GRIDLINES_BOTH;
    bool m_bEditable = true;
    bool m_bModified = false;
    bool m_bAllowDragAndDrop = false;
    bool m_bListMode = false;
    bool m_bSingleRowSelection = false;
    bool m_bSingleColSelection = false;
    bool m_bAllowDraw = true;
    bool m_bEnableSelection = true;
    bool m_bFixedColumnSelection = true;
    bool m_bFixedRowSelection = true;
    bool m_bSortOnClick = false;
    bool m_bHandleTabKey = true;
    bool m_bDoubleBuffer = true;
    bool m_bTitleTips = true;
    unsigned m_nBarState = 0;
    bool m_bWysiwygPrinting = false;
    bool m_bHiddenColUnhide = true;
    bool m_bHiddenRowUnhide = true;
    bool m_bAllowColHide = true;
    bool m_bAllowRowHide = true;
    bool m_bHighlightFocusHeaders = true;
    int m_nAutoSizeColumnStyle = GVS_BOTH;
    bool m_bTabHook = true;
    bool m_bFrameFocus = false;
    bool m_bFixed3D = true;
    int m_nRows = 0, m_nFixedRows = 0, m_nCols = 0, m_nFixedCols = 0;
    std::vector<int> m_arRowHeights, m_arColWidths;
    int m_nVScrollMax = 0, m_nHScrollMax = 0;
    int m_nVScrollPos = 0, m_nHScrollPos = 0;
    int m_nVPage = 0, m_nHPage = 0;
    int m_nVTrackPos = 0, m_nHTrackPos = 0;
    int m_nEnterKeyAction = VK_TAB;
    bool m_bSingleClickEdit = false;
    const CGridRuntimeClass* m_pRtcDefault;
    std::unique_ptr<CGridDefaultCell> m_cellDefault, m_cellFixedColDef, m_cellFixedRowDef, m_cellFixedRowColDef;
    QFont m_PrinterFont;
    std::vector<std::unique_ptr<GridRow>> m_RowData;
    int m_MouseMode = MOUSE_NOTHING;
    bool m_bLMouseButtonDown = false, m_bRMouseButtonDown = false;
    wl::Point m_LeftClickDownPoint, m_LastMousePoint;
    wl::Point m_CursorPoint;  // last position of the mouse, also outside the client area
    CGridCellId m_LeftClickDownCell, m_SelectionStartCell, m_idCurrentCell;
    mutable CGridCellId m_idTopLeftCell;
    unsigned m_nTimerID = 0;
    int m_nTimerInterval = 25;
    int m_nResizeCaptureRange = 3;
    bool m_bAllowRowResize = true, m_bAllowColumnResize = true;
    unsigned m_nWheelLines = 3;
    std::unordered_map<std::uint64_t, CGridCellId> m_SelectedCellMap, m_PrevSelectedCellMap;
    bool m_bAscending = true;
    int m_nSortColumn = -1;
    PFNGRIDCOMPARE m_pfnCompare = nullptr;
    bool m_bPrintCellFonts = true;
    int m_nHeaderHeight = 2, m_nFooterHeight = 2, m_nLeftMargin = 4, m_nRightMargin = 4, m_nTopMargin = 1,
        m_nBottomMargin = 1, m_nGap = 1;

    // The display cell and record of virtual mode (per grid).
    mutable std::unique_ptr<CGridCell> m_pVirtualCell;
    mutable GRIDDISPINFO m_DispInfo;

    // Drag and drop, title tip and printing state.
    std::unique_ptr<CGridDropHandler> m_pDropTarget;
    std::unique_ptr<CGridTipWnd> m_pTitleTip;
    CGridCellId m_LastDragOverCell;
    int m_nPrinterCharWidth = 0, m_nPrinterCharHeight = 0;
    int m_nPageWidth = 0, m_nPageHeight = 0;
    int m_nPrintHorzRes = 0, m_nPrintVertRes = 0;
    int m_nPrintRowRoom = 0, m_nPrintColRoom = 0;
    int m_nNumPages = 0, m_nPageMultiplier = 1;
    int m_nPrintFirstRow = 0, m_nPrintFirstCol = 0;
    bool m_bPrinterFont = false;

    bool m_bInOnSize = false;
    unsigned m_nKeyModifiers = 0;  // MK_SHIFT / MK_CONTROL of the event being handled
    int m_nBandPos = -1;           // divider band shown while sizing (-1 none)
    bool m_bBandVertical = true;
    gridimpl::GridWidget* m_pWidget = nullptr;
};
