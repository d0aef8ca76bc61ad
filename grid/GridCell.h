// The ordinary text cell and the default cell of the grid control.
#pragma once

#include <memory>
#include <string>

#include <QFont>
#include <QPointer>

#include "grid/GridCellBase.h"
#include "grid/GridEditWnd.h"

// A text cell: holds its own attributes and falls back to its default cell
// for any it leaves unset (format and margin -1, colours CLR_DEFAULT, no font).
class CGridCell : public CGridCellBase {
    GRID_DECLARE_CELL(CGridCell)
public:
    CGridCell();
    ~CGridCell() override;

    void SetText(const std::string& text) override { m_strText = text; }
    void SetImage(int image) override { m_nImage = image; }
    void SetData(std::intptr_t data) override { m_lParam = data; }
    void SetFormat(unsigned format) override { m_nFormat = format; }
    void SetTextClr(COLORREF c) override { m_crFgClr = c; }
    void SetBackClr(COLORREF c) override { m_crBkClr = c; }
    void SetFont(const QFont* font) override;
    void SetMargin(unsigned margin) override { m_nMargin = margin; }
    void SetGrid(CGridCtrl* grid) override { m_pGrid = grid; }
    void SetCoords(int row, int col) override {
        m_nRow = row;
        m_nCol = col;
    }

    std::string GetText() const override { return m_strText; }
    int GetImage() const override { return m_nImage; }
    std::intptr_t GetData() const override { return m_lParam; }
    unsigned GetFormat() const override;
    COLORREF GetTextClr() const override { return m_crFgClr; }
    COLORREF GetBackClr() const override { return m_crBkClr; }
    const QFont* GetFont() const override;
    QFont GetFontObject() const override;
    CGridCtrl* GetGrid() const override { return m_pGrid; }
    CGridEditWnd* GetEditWnd() const override { return m_pEditWnd.data(); }
    unsigned GetMargin() const override;

    bool IsDefaultFont() const override { return !m_plfFont; }
    bool IsEditing() const override { return m_bEditing; }

    void Reset() override;

    bool Edit(int row, int col, wl::Rect rect, wl::Point point, int id, int ch) override;
    void EndEdit() override;
    void OnEndEdit() override;

    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nCol; }

protected:
    std::string m_strText;
    std::intptr_t m_lParam = 0;
    int m_nImage = -1;
    unsigned m_nFormat = unsigned(-1);
    COLORREF m_crFgClr = CLR_DEFAULT;
    COLORREF m_crBkClr = CLR_DEFAULT;
    std::unique_ptr<QFont> m_plfFont;
    unsigned m_nMargin = unsigned(-1);
    int m_nRow = -1;
    int m_nCol = -1;
    bool m_bEditing = false;
    CGridCtrl* m_pGrid = nullptr;
    QPointer<CGridEditWnd> m_pEditWnd;
};

// The default cell of one kind of cell position: default colours, font,
// format and margin, and the default width and height of cells.
class CGridDefaultCell : public CGridCell {
    GRID_DECLARE_CELL(CGridDefaultCell)
public:
    CGridDefaultCell();

    int GetWidth() const { return m_Size.cx; }
    int GetHeight() const { return m_Size.cy; }
    void SetWidth(int width) { m_Size.cx = width; }
    void SetHeight(int height) { m_Size.cy = height; }
    unsigned GetStyle() const { return m_dwStyle; }
    void SetStyle(unsigned style) { m_dwStyle = style; }

    unsigned GetState() const override { return CGridCell::GetState() | GIS_READONLY; }
    void SetData(std::intptr_t) override {}
    void SetState(unsigned) override {}
    void SetCoords(int, int) override {}
    // Takes the font and measures the margin, width and height with it.
    void SetFont(const QFont* font) override;
    const QFont* GetFont() const override;
    QFont GetFontObject() const override;
    unsigned GetFormat() const override { return m_nFormat; }
    unsigned GetMargin() const override { return m_nMargin; }

private:
    wl::Size m_Size{30, 10};
    QFont m_Font;
    unsigned m_dwStyle = 0;
};
