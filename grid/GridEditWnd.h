// The in-place editor of a text cell: a line edit over the cell that hands
// its text and the key that ended it back to the grid (GN_ENDLABELEDIT from
// control id ID_INPLACE_EDITOR) and then closes itself.
#pragma once

#include <string>

#include <QLineEdit>

#include "grid/GridTypes.h"

class CGridCtrl;

class CGridEditWnd : public QLineEdit {
public:
    // Opens over rect (client coordinates of the grid) with the cell's text;
    // the first character decides caret, selection and what is typed.
    // align is DT_LEFT, DT_CENTER or DT_RIGHT.
    CGridEditWnd(CGridCtrl* grid, wl::Rect rect, unsigned align, int id, int row, int col,
                 const std::string& initText, int firstChar);
    ~CGridEditWnd() override;

    // Ends editing: reports the text and the last key to the grid once, then
    // closes (the window deletes itself when events are next processed).
    void EndEdit();

    int GetLastKey() const { return m_nLastChar; }
    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void TypeChar(int ch);
    void FitToText();

    int m_nRow;
    int m_nColumn;
    CGridCtrl* m_pGrid;
    std::string m_sInitText;
    int m_nLastChar = 0;
    wl::Rect m_Rect;
    bool m_bEnded = false;
};
