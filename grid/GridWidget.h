// The widget of a grid window (internal to the grid): a scroll area whose
// viewport shows the cells and hands paint, mouse, key, wheel and size
// events to its CGridCtrl.
#pragma once

#include <QAbstractScrollArea>

class CGridCtrl;

namespace gridimpl {

class GridWidget : public QAbstractScrollArea {
public:
    GridWidget(CGridCtrl* grid, QWidget* parent);
    ~GridWidget() override;

    CGridCtrl* grid = nullptr;  // null once the grid is gone
    bool settingBars = false;   // scroll bar values set by the grid, not the user

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void scrollContentsBy(int, int) override {}

private:
    unsigned Flags(const QMouseEvent* e) const;
};

}  // namespace gridimpl
