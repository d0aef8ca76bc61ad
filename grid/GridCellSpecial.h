// The special cells of the typed grids: push button, check box, radio
// button, drop-down list and rich text. They report clicks and choices to
// the grid through its OnButtonCellClicked, OnCheckCellClicked and
// OnComboCellSelChanged.
#pragma once

#include <string>
#include <vector>

#include <QComboBox>
#include <QPointer>

#include "grid/GridCell.h"

// Width of a vertical and height of a horizontal scroll bar; also the side
// of the box of check and radio cells.
int GridScrollBarExtent();

class CGridCellButton : public CGridCell {
    GRID_DECLARE_CELL(CGridCellButton)
public:
    bool IsEditable() const override { return true; }
    bool Activate() override;
    bool Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase = true) override;
    bool GetTextRect(wl::Rect& rect) override;
    void OnClick(wl::Point pointCellRelative) override;

private:
    wl::Rect m_rect;
};

// A check box cell; the radio cell below only draws another box.
class CGridCellCheck : public CGridCell {
    GRID_DECLARE_CELL(CGridCellCheck)
public:
    bool SetCheck(bool checked = true);
    bool GetCheck() const { return m_bChecked; }
    void SetDisabled(bool disabled);
    bool IsDisabled() const { return m_bDisabled; }

    bool IsEditable() const override { return !m_bDisabled; }
    bool Activate() override;
    bool Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase = true) override;
    bool GetTextRect(wl::Rect& rect) override;
    wl::Size GetCellExtent(QPainter* dc) override;
    void OnClick(wl::Point pointCellRelative) override;

    // The box of a cell drawn in rect.
    wl::Rect BoxRect(const wl::Rect& rect) const;

protected:
    virtual unsigned BoxStyle() const { return wl::DFCS_BUTTONCHECK; }
    void InvalidateLast();

    bool m_bChecked = false;
    bool m_bDisabled = false;
    wl::Rect m_rect;
};

class CVKTGridCellRadio : public CGridCellCheck {
    GRID_DECLARE_CELL(CVKTGridCellRadio)

protected:
    unsigned BoxStyle() const override { return wl::DFCS_BUTTONRADIO; }
};

class CGridComboWnd;

class CGridCellCombo : public CGridCell {
    GRID_DECLARE_CELL(CGridCellCombo)
public:
    static constexpr unsigned CBS_DROPDOWN = 2;      // with an edit field
    static constexpr unsigned CBS_DROPDOWNLIST = 3;  // choices only

    CGridCellCombo();
    ~CGridCellCombo() override;

    void SetOptions(const std::vector<std::string>& choices) { m_Strings = choices; }
    const std::vector<std::string>& GetOptions() const { return m_Strings; }
    void SetStyle(unsigned style) { m_dwStyle = style; }
    unsigned GetStyle() const { return m_dwStyle; }

    bool Edit(int row, int col, wl::Rect rect, wl::Point point, int id, int ch) override;
    void EndEdit() override;
    void OnEndEdit() override;
    bool Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase = true) override;
    wl::Size GetCellExtent(QPainter* dc) override;
    // The open drop-down list (nullptr when not editing).
    CGridComboWnd* GetComboWnd() const { return m_pCombo.data(); }

private:
    std::vector<std::string> m_Strings;
    unsigned m_dwStyle = CBS_DROPDOWN;
    QPointer<CGridComboWnd> m_pCombo;
};

// The in-place drop-down list of a combo cell. It ends with the text shown
// and the key that closed it, reported to the grid like the text editor's.
class CGridComboWnd : public QComboBox {
public:
    CGridComboWnd(CGridCtrl* grid, wl::Rect rect, unsigned style, int id, int row, int col,
                  const std::vector<std::string>& choices, const std::string& initText, int firstChar);
    ~CGridComboWnd() override;

    void EndEdit();
    int GetLastKey() const { return m_nLastChar; }
    // Items the open list shows at once (4 to 15).
    int GetVisibleItems() const { return m_nNumLines; }
    // Width of the dropped list (widest choice and a "0", at most 200 px).
    int DroppedWidth() const;

    void showPopup() override;
    void hidePopup() override;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool HandleKey(QKeyEvent* e);

    CGridCtrl* m_pGrid;
    int m_nNumLines;
    std::string m_sInitText;
    int m_nRow;
    int m_nCol;
    int m_nLastChar = 0;
    int m_nId;
    bool m_bEnded = false;
};

// Builds the rich-text document a rich cell shows for its text: the cell's
// markup words become RTF, with font 0 the grid's face, colour 1 the text
// and colour 2 the background (white for a default background).
std::string BuildRichCellRtf(const std::string& text, const std::string& face, COLORREF textClr, COLORREF backClr,
                             unsigned format);

class CVKTGridCellRich : public CGridCell {
    GRID_DECLARE_CELL(CVKTGridCellRich)
public:
    bool Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase = true) override;
    bool IsShown() const { return m_bShown; }
    // The grid takes the rich view away before it redraws.
    void HideRich() { m_bShown = false; }

private:
    bool m_bShown = false;
};
