#include "grid/GridWidget.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "grid/GridCtrl.h"
#include "grid/GridDropHandler.h"

namespace gridimpl {

GridWidget::GridWidget(CGridCtrl* g, QWidget* parent) : QAbstractScrollArea(parent), grid(g) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The thumb dragged by the user scrolls as the track position.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (!settingBars && grid) grid->OnScrollTrack(CGridCtrl::SB_VERT, v);
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (!settingBars && grid) grid->OnScrollTrack(CGridCtrl::SB_HORZ, v);
    });
}

GridWidget::~GridWidget() { grid = nullptr; }

unsigned GridWidget::Flags(const QMouseEvent* e) const {
    unsigned f = 0;
    if (e->buttons() & Qt::LeftButton) f |= CGridCtrl::MK_LBUTTON;
    if (e->buttons() & Qt::RightButton) f |= CGridCtrl::MK_RBUTTON;
    if (e->modifiers() & Qt::ShiftModifier) f |= CGridCtrl::MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier) f |= CGridCtrl::MK_CONTROL;
    return f;
}

bool GridWidget::event(QEvent* e) {
    if (grid && e->type() == QEvent::FontChange) grid->OnFontChange(font());
    if (grid && (e->type() == QEvent::UngrabMouse || e->type() == QEvent::WindowDeactivate ||
                 (e->type() == QEvent::FocusOut &&
                  static_cast<QFocusEvent*>(e)->reason() == Qt::ActiveWindowFocusReason)))
        grid->OnCaptureChanged();
    if (grid && (e->type() == QEvent::ApplicationPaletteChange || e->type() == QEvent::PaletteChange))
        grid->OnSysColorChange();
    if (grid && e->type() == QEvent::FocusIn) grid->OnSetFocus(int(static_cast<QFocusEvent*>(e)->reason()));
    if (grid && e->type() == QEvent::FocusOut) grid->OnKillFocus(QApplication::focusWidget());
    if (grid && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        // Tab moves inside the grid when the grid handles it.
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && grid->GetHandleTabKey() &&
            !(k->modifiers() & Qt::ControlModifier)) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

bool GridWidget::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(e));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void GridWidget::paintEvent(QPaintEvent* e) {
    if (!grid) return;
    QPainter p(viewport());
    const QRect r = e->rect();
    grid->Paint(p, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

void GridWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (grid) grid->OnSize();
}

void GridWidget::mousePressEvent(QMouseEvent* e) {
    if (!grid) return;
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) grid->OnLButtonDown(Flags(e), {p.x(), p.y()});
    if (e->button() == Qt::RightButton) grid->OnRButtonDown(Flags(e), {p.x(), p.y()});
}

void GridWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!grid) return;
    const QPoint p = e->position().toPoint();
    grid->OnMouseMove(Flags(e), {p.x(), p.y()});
}

void GridWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!grid) return;
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) grid->OnLButtonUp(Flags(e), {p.x(), p.y()});
    if (e->button() == Qt::RightButton) grid->OnRButtonUp(Flags(e), {p.x(), p.y()});
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!grid) return;
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) grid->OnLButtonDblClk(Flags(e), {p.x(), p.y()});
}

void GridWidget::wheelEvent(QWheelEvent* e) {
    if (!grid) return;
    grid->OnMouseWheel(e->angleDelta().y());
    e->accept();
}

void GridWidget::keyPressEvent(QKeyEvent* e) {
    if (!grid) return;
    grid->HandleKeyEvent(e);
}

namespace {
unsigned DropKeyState(const QDropEvent* e) {
    unsigned f = 0;
    if (e->buttons() & Qt::LeftButton) f |= CGridCtrl::MK_LBUTTON;
    if (e->modifiers() & Qt::ShiftModifier) f |= CGridCtrl::MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier) f |= CGridCtrl::MK_CONTROL;
    return f;
}
}  // namespace

// Drags reach the grid through its drop target while that is registered.
void GridWidget::dragEnterEvent(QDragEnterEvent* e) {
    CGridDropHandler* target = grid ? grid->GetDropTarget() : nullptr;
    const QPoint p = e->position().toPoint();
    const int effect =
        target && target->IsRegistered() ? target->OnDragEnter(grid, e->mimeData(), DropKeyState(e), {p.x(), p.y()}) : 0;
    if (effect) {
        e->setDropAction(Qt::DropAction(effect));
        e->accept();
    } else {
        e->ignore();
    }
}

void GridWidget::dragMoveEvent(QDragMoveEvent* e) {
    CGridDropHandler* target = grid ? grid->GetDropTarget() : nullptr;
    const QPoint p = e->position().toPoint();
    const int effect =
        target && target->IsRegistered() ? target->OnDragOver(grid, e->mimeData(), DropKeyState(e), {p.x(), p.y()}) : 0;
    if (effect) {
        e->setDropAction(Qt::DropAction(effect));
        e->accept();
    } else {
        e->ignore();
    }
}

void GridWidget::dragLeaveEvent(QDragLeaveEvent*) {
    if (CGridDropHandler* target = grid ? grid->GetDropTarget() : nullptr) target->OnDragLeave(grid);
}

void GridWidget::dropEvent(QDropEvent* e) {
    CGridDropHandler* target = grid ? grid->GetDropTarget() : nullptr;
    const QPoint p = e->position().toPoint();
    const int effect = (e->modifiers() & Qt::ControlModifier) ? CGridCtrl::DROPEFFECT_COPY : CGridCtrl::DROPEFFECT_MOVE;
    if (target && target->IsRegistered() && target->OnDrop(grid, e->mimeData(), effect, {p.x(), p.y()})) {
        e->setDropAction(Qt::DropAction(effect));
        e->accept();
    } else {
        e->ignore();
    }
}

}  // namespace gridimpl
