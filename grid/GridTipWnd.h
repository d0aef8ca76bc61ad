// The title tip of a grid: a small frameless window without focus that shows
// a cell's whole text over the cell when the cell is too narrow for it.
// While it shows, a press or a key hides it and goes on to the window under
// the cursor (keys to the grid), so the tip never stands in the way.
#pragma once

#include <string>

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "grid/GridTypes.h"

class CGridTipWnd : public QObject {
public:
    CGridTipWnd();
    ~CGridTipWnd() override;

    // Makes the window for parent (the widget whose client coordinates the
    // rectangles of Show use); true when it exists.
    bool Create(QWidget* parent);
    void DestroyWindow();

    // Shows text over titleRect when it does not fit there; hover is the
    // rectangle the mouse may move in (titleRect when null). Colours
    // CLR_DEFAULT keep the tip's own.
    void Show(wl::Rect titleRect, const std::string& text, int xOffset = 0, const wl::Rect* hover = nullptr,
              const QFont* font = nullptr, COLORREF textClr = CLR_DEFAULT, COLORREF backClr = CLR_DEFAULT);
    void Hide();

    bool IsVisible() const;
    QWidget* GetWidget() const { return m_pWidget.data(); }
    QWidget* GetParentWidget() const { return m_pParentWnd.data(); }
    // The text the tip shows (with its leading and trailing blank).
    std::string GetText() const { return m_strText; }
    // The hover rectangle in the tip's client coordinates.
    wl::Rect GetHoverRect() const { return m_rectHover; }

    // The window's mouse moves (client coordinates of the tip).
    void OnMouseMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void Paint(QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void ForwardPress(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers mods);
    QWidget* TargetAt(QPoint global) const;

    QPointer<QWidget> m_pParentWnd;
    wl::Rect m_rectHover;
    qint64 m_dwLastLButtonDown = -1;
    int m_dwDblClickSpeed = 400;
    bool m_bCreated = false;
    QPointer<QWidget> m_pWidget;
    std::string m_strText;
    QFont m_font;
    COLORREF m_crText = CLR_DEFAULT;
    COLORREF m_crBack = CLR_DEFAULT;
    bool m_bFiltering = false;
};
