#include "grid/GridTipWnd.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "grid/GridCtrl.h"

namespace {

class TipWidget : public QWidget {
public:
    TipWidget(CGridTipWnd* tip, QWidget* parent)
        : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), tip_(tip) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
        setMouseTracking(true);
        setObjectName(QStringLiteral("ZTitleTip"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (tip_) tip_->Paint(this);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (tip_) tip_->OnMouseMove(e->position().toPoint(), e->buttons(), e->modifiers());
    }
    void leaveEvent(QEvent*) override {
        if (tip_) tip_->Hide();
    }

private:
    CGridTipWnd* tip_;
};

}  // namespace

CGridTipWnd::CGridTipWnd() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        m_dwDblClickSpeed = QApplication::doubleClickInterval();
}

CGridTipWnd::~CGridTipWnd() { DestroyWindow(); }

bool CGridTipWnd::Create(QWidget* parent) {
    if (m_bCreated && m_pWidget) return true;
    if (!parent) return false;
    m_pParentWnd = parent;
    m_pWidget = new TipWidget(this, parent);
    m_pWidget->hide();
    m_bCreated = !m_pWidget.isNull();
    return m_bCreated;
}

void CGridTipWnd::DestroyWindow() {
    if (m_bFiltering) {
        qApp->removeEventFilter(this);
        m_bFiltering = false;
    }
    delete m_pWidget.data();
    m_bCreated = false;
}

bool CGridTipWnd::IsVisible() const { return m_pWidget && m_pWidget->isVisible(); }

void CGridTipWnd::Show(wl::Rect titleRect, const std::string& text, int xOffset, const wl::Rect* hover,
                       const QFont* font, COLORREF textClr, COLORREF backClr) {
    if (!m_pWidget && !Create(m_pParentWnd)) return;
    if (titleRect.right <= titleRect.left || titleRect.bottom <= titleRect.top || IsVisible()) return;

    wl::Rect h = hover ? *hover : titleRect;
    h.right += 1;
    h.bottom += 1;

    // Only while a window of the program has the keyboard focus.
    if (!QApplication::focusWidget()) return;

    m_strText = " " + text + " ";
    m_font = font ? *font : (m_pParentWnd ? m_pParentWnd->font() : QApplication::font());
    const QFontMetrics fm(m_font);
    const int textWidth = fm.horizontalAdvance(QString::fromUtf8(m_strText.data(), qsizetype(m_strText.size())));
    wl::Rect display{titleRect.left + xOffset, titleRect.top, 0, titleRect.bottom};
    display.right = display.left + textWidth + xOffset;
    if (display.right + xOffset <= titleRect.right - xOffset) return;  // the text fits

    m_rectHover = {h.left - display.left, h.top - display.top, h.right - display.left, h.bottom - display.top};
    m_crText = textClr;
    m_crBack = backClr;
    const QPoint global = m_pParentWnd ? m_pParentWnd->mapToGlobal(QPoint(display.left, display.top))
                                       : QPoint(display.left, display.top);
    m_pWidget->setGeometry(global.x(), global.y(), display.right - display.left, display.bottom - display.top);
    m_pWidget->show();
    if (!m_bFiltering) {
        qApp->installEventFilter(this);
        m_bFiltering = true;
    }
}

void CGridTipWnd::Hide() {
    if (!m_pWidget) return;
    if (m_bFiltering) {
        qApp->removeEventFilter(this);
        m_bFiltering = false;
    }
    m_pWidget->hide();
}

void CGridTipWnd::Paint(QWidget* w) {
    QPainter p(w);
    const COLORREF back = m_crBack == CLR_DEFAULT ? GetSysColor(wl::COLOR_INFOBK) : m_crBack;
    p.fillRect(w->rect(), ToQColor(back));
    p.setPen(ToQColor(m_crText == CLR_DEFAULT ? GetSysColor(wl::COLOR_INFOTEXT) : m_crText));
    p.setFont(m_font);
    const QFontMetrics fm(m_font);
    const int y = std::max(0, (w->height() - fm.height()) / 2) + fm.ascent();
    p.drawText(0, y, QString::fromUtf8(m_strText.data(), qsizetype(m_strText.size())));
}

QWidget* CGridTipWnd::TargetAt(QPoint global) const {
    QWidget* target = QApplication::widgetAt(global);
    if (!target || target == m_pWidget) target = m_pParentWnd;
    return target;
}

void CGridTipWnd::OnMouseMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    if (m_rectHover.Contains(wl::Point{pos.x(), pos.y()})) return;
    const QPoint global = m_pWidget ? m_pWidget->mapToGlobal(pos) : pos;
    Hide();
    if (QWidget* target = TargetAt(global)) {
        const QPoint local = target->mapFromGlobal(global);
        QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseMove, QPointF(local), QPointF(global),
                                                            Qt::NoButton, buttons, mods));
    }
}

void CGridTipWnd::ForwardPress(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons,
                               Qt::KeyboardModifiers mods) {
    Hide();
    QWidget* target = TargetAt(global);
    if (!target) return;
    const QPoint local = target->mapFromGlobal(global);
    QCoreApplication::postEvent(target, new QMouseEvent(type, QPointF(local), QPointF(global), button, buttons, mods));
}

bool CGridTipWnd::eventFilter(QObject* watched, QEvent* e) {
    if (!IsVisible()) return false;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (watched != m_pWidget) {
            // A press elsewhere just ends the tip.
            Hide();
            return false;
        }
        QEvent::Type type = QEvent::MouseButtonPress;
        if (m->button() == Qt::LeftButton) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            if (m_dwLastLButtonDown >= 0 && now - m_dwLastLButtonDown <= m_dwDblClickSpeed)
                type = QEvent::MouseButtonDblClick;
            m_dwLastLButtonDown = now;
        }
        ForwardPress(type, m->globalPosition().toPoint(), m->button(), m->buttons(), m->modifiers());
        return true;
    }
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        Hide();
        if (QWidget* parent = m_pParentWnd)
            QCoreApplication::postEvent(parent, new QKeyEvent(QEvent::KeyPress, k->key(), k->modifiers(), k->text(),
                                                              k->isAutoRepeat(), ushort(k->count())));
        return true;
    }
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
        if (!QApplication::focusWidget()) Hide();
        return false;
    default: return false;
    }
}

// ---- the grid's use of its tip --------------------------------------------------------------

void CGridCtrl::HideTitleTip() {
    if (m_pTitleTip) m_pTitleTip->Hide();
}

void CGridCtrl::ShowTitleTipAt(wl::Point p) {
    if (!m_bTitleTips || m_bRMouseButtonDown) return;
    const CGridCellId id = GetCellFromPoint(p);
    CGridCellBase* cell = GetCell(id.row, id.col);
    if (!cell) return;
    std::string text = GetCellInfoFile(id.row, id.col);
    if (text.empty()) text = cell->GetTipText();
    wl::Rect cellRect;
    if (text.empty() || cell->IsEditing() || !GetCellRect(id.row, id.col, cellRect)) return;
    wl::Rect textRect = cellRect;
    if (!cell->GetTipTextRect(textRect)) return;
    if (!m_pTitleTip) m_pTitleTip = std::make_unique<CGridTipWnd>();
    if (!m_pTitleTip->GetWidget() && !m_pTitleTip->Create(GetClientWidget())) return;
    const QFont font = cell->GetFontObject();
    m_pTitleTip->Show(textRect, text, 0, &cellRect, &font, m_crTTipTextClr, m_crTTipBackClr);
}
