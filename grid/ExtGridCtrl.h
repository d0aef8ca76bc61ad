// The base of the input grids: a grid control whose cells carry a kind
// (text, integer, double, check box, combo box by text or by index, button,
// formula, radio button, rich text) with print and scan formats and a scale
// factor, a layout made in one call with relative column widths, hidden
// rows and columns, an optional strip of column-group titles above it, the
// looks of enabled, read-only and highlighted cells, Tab into and out of the
// grid, and a right-click menu.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "formula/FormulaValue.h"
#include "grid/GridCellSpecial.h"
#include "grid/GridCtrl.h"

class CExtGridCtrl : public CGridCtrl {
public:
    // Cell kinds. KIND_HEADER is no cell kind (SetCellType ignores it); the
    // parameter grid uses it for its title fields.
    enum Kind {
        KIND_TEXT = 0,
        KIND_INT = 1,
        KIND_DOUBLE = 2,
        KIND_CHECK = 3,
        KIND_COMBO_TEXT = 4,
        KIND_COMBO_INDEX = 5,
        KIND_BUTTON = 6,
        KIND_FORMULA = 7,
        KIND_HEADER = 8,
        KIND_RADIO = 9,
        KIND_RICH = 10,
    };
    static constexpr COLORREF kWhite = 0xFFFFFF;
    static constexpr COLORREF kReadOnlyBack = 0xE0E0E0;
    static constexpr COLORREF kDisabledText = 0x808080;
    static constexpr COLORREF kHighlightBack = 0xFFC080;
    static constexpr COLORREF kHighlightReadOnlyBack = 0xC8A078;
    static constexpr unsigned kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 37

    // What a typed cell knows besides its text.
    struct CellRecord {
        int row = 0;
        int col = 0;
        int kind = KIND_TEXT;
        std::string scanFormat;
        std::string printFormat;
        double factor = 1.0;
        std::unique_ptr<CFormulaValue> formula;
    };
    struct MenuItem {
        CGridCellRange range{0, 0, 0x40000000, 0x40000000};
        std::string text;
        int id = 0;
        int checked = 0;
    };

    CExtGridCtrl();
    ~CExtGridCtrl() override;

    // ---- layout ----------------------------------------------------------------------
    void Setup(int rows, int cols, int fixedRows, int fixedCols);
    // Keeps the records and row heights in step; new rows get InitRow.
    bool SetRowCount(int n);
    bool AddRow() { return SetRowCount(GetRowCount() + 1); }
    bool RemoveLastRow() { return SetRowCount(GetRowCount() - 1); }
    void SetColumnRelWidth(int col, int width);
    void SetColumnVisible(int col, bool visible, bool refit = true);
    bool IsColumnVisible(int col) const;
    void ShowRow(int row, bool show);
    bool IsRowShown(int row) const { return GetRowHeight(row) != 0; }
    void SetColumnGroupTitle(int col, const std::string& title);
    int GetGroupHeaderHeight() const;
    void Refresh(bool erase = true);
    void SelectCell(int row, int col);
    bool GetFocusRowCol(int& row, int& col) const;
    // Shares the client width out by the relative widths of the shown
    // columns (equal shares when they are all 0); the last takes the rest.
    void FitColumnsToWidth();
    // Set by a derived grid before Setup.
    void SetGroupHeaderStrip(bool on) { m_bGroupHeader = on; }
    void SetRowHighlighting(bool on) { m_bRowHighlight = on; }
    CGridCtrl* GetHeaderStrip() const { return m_pStrip.get(); }
    int GetHighlightedRow() const { return m_nHighlightedRow; }

    // ---- typed cells -------------------------------------------------------------------
    int SetCellType(int row, int col, int kind);
    int GetCellKind(int row, int col) const;
    const CellRecord* GetCellRecord(int row, int col) const;
    std::string SetTextCell(int row, int col, const std::string& text);
    std::string GetTextCell(int row, int col);
    int SetIntCell(int row, int col, int n);
    int GetIntCell(int row, int col);
    double SetDoubleCell(int row, int col, double x);
    double GetDoubleCell(int row, int col);
    CFormulaValue SetFormulaCell(int row, int col, const CFormulaValue& value);
    CFormulaValue GetFormulaCell(int row, int col);
    int SetCheckCell(int row, int col, int state);
    int GetCheckCell(int row, int col);
    void SetComboCellChoices(int row, int col, const std::vector<std::string>& choices);
    int SetComboCellIndex(int row, int col, int index);
    std::string SetComboCellTextRaw(int row, int col, const std::string& text);
    std::string GetComboCellText(int row, int col);
    int GetComboCellIndex(int row, int col);
    std::string SetButtonCellText(int row, int col, const std::string& caption);
    void SetNumberCellFormat(int row, int col, const std::string& scan, const std::string& print, double factor);
    void SetIntCellOrBlank(int row, int col, const int& n, bool check);
    void SetTextCellOrBlank(int row, int col, const std::string& text, bool check);
    void SetComboCellIndexIfEnabled(int row, int col, int index, bool check);
    void GetIntCellIfEnabled(int row, int col, int& n, bool check);

    // ---- looks --------------------------------------------------------------------------
    void SetCellFont(int row, int col, const std::string& face, bool italic, bool underline, int height, int weight);
    void SetCellAlignment(int row, int col, int align);
    void SetCenteredText(int row, int col, const std::string& text);
    void SetSymbolTextCell(int row, int col, const std::string& text, bool symbol);
    void SetCenteredSymbolText(int row, int col, const std::string& text, bool symbol);
    void EnableCell(int row, int col, bool enable);
    void EnableCellAndBlank(int row, int col, bool enable, bool blank);
    void EnableRow(int row, bool enable);
    bool IsCellEnabled(int row, int col) const;
    void SetCellReadOnly(int row, int col, bool readOnly);
    void HighlightRow(int row);

    // ---- right-click menu ---------------------------------------------------------------
    void AddContextMenuItem(const CGridCellRange& range, const std::string& text, int id, int checked = 0);
    void ClearContextMenuItems() { m_MenuItems.clear(); }

    // ---- virtual operations --------------------------------------------------------------
    void OnCellSelected(int row, int col) override;
    void OnEditCell(int row, int col, wl::Point point, int key) override;
    void OnEndEditCell(int row, int col, const std::string& text) override;
    bool TabOutOfGrid(int row, int col, bool backwards) override;
    void OnDraw(QPainter* dc, const wl::Rect& clip) override;
    void OnRButtonUp(unsigned flags, wl::Point p) override;
    virtual void InitGrid() {}
    virtual void OnCellValueChanged(int /*row*/, int /*col*/, int /*kind*/) {}
    virtual void OnCellEditStarted(int row, int col, int kind);
    virtual void OnCellClicked(int /*row*/, int /*col*/) {}
    virtual void InitRow(int /*row*/) {}
    virtual void OnContextMenuCommand(int /*row*/, int /*col*/, int /*id*/) {}

    void OnLButtonDown(unsigned flags, wl::Point p) override;
    void OnLButtonUp(unsigned flags, wl::Point p) override;
    void OnRButtonDown(unsigned flags, wl::Point p) override;
    void OnSetFocus(int reason) override;
    void OnKillFocus(QWidget* next) override;
    // The strip of group titles shows and hides with the grid.
    void OnShowWindow(bool show) override;

    // The first and the last editable shown cell (invalid when none).
    CGridCellId FirstEditableCell() const;
    CGridCellId LastEditableCell() const;
    bool HasFocusFlag() const { return m_bHasFocus; }
    void SetEnteredBackwards(bool b) { m_bEnteredBackwards = b; }

    // The key of a cell in the kind map (64 bits, no two cells share one).
    static std::uint64_t CellKey(int row, int col) {
        return (std::uint64_t(std::uint32_t(row)) << 32) | std::uint32_t(col);
    }

protected:
    CellRecord* Record(int row, int col);
    const CellRecord* Record(int row, int col) const;
    CellRecord* RecordOfKind(int row, int col, std::initializer_list<int> kinds);
    // Number text of a record (scan format, decimal comma read as point).
    static bool ScanNumber(const CellRecord& r, std::string text, double& value);
    static std::string PrintNumber(const std::string& format, double value, bool integer);
    static double Factor(const CellRecord& r) { return r.factor == 0.0 ? 1.0 : r.factor; }
    void PlaceStrip();

    int m_nSetupRows = -1, m_nSetupCols = -1, m_nSetupFixedRows = -1, m_nSetupFixedCols = -1;

private:
    void SetColoursOfRow(int row, bool highlighted);
    void ApplyVariable(int row, int col, const std::string& name);

    std::unordered_map<std::uint64_t, std::unique_ptr<CellRecord>> m_KindMap;
    std::vector<MenuItem> m_MenuItems;
    int m_nHighlightedRow = -1;
    std::vector<int> m_arRelWidths;
    std::vector<int> m_arColVisible;
    std::vector<int> m_arRowHeights;
    std::unique_ptr<CGridCtrl> m_pStrip;
    std::vector<std::string> m_arGroupTitles;
    wl::Rect m_rectStrip;
    bool m_bSetup = false;
    bool m_bGroupHeader = false;
    bool m_bRowHighlight = false;
    bool m_bInEndEdit = false;
    bool m_bHasFocus = false;
    bool m_bEnteredBackwards = false;
    bool m_bMouseClick = false;
};
