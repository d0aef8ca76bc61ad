#include "grid/GridEditWnd.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTimer>

#include "grid/GridCtrl.h"

namespace {
// One end of an edit at a time: the report can open the next editor, whose
// focus change must not end it again.
bool g_endingEdit = false;
}  // namespace

CGridEditWnd::CGridEditWnd(CGridCtrl* grid, wl::Rect rect, unsigned align, int id, int row, int col,
                           const std::string& initText, int firstChar)
    : QLineEdit(grid->GetClientWidget()),
      m_nRow(row),
      m_nColumn(col),
      m_pGrid(grid),
      m_sInitText(initText),
      m_Rect(rect) {
    setObjectName(QStringLiteral("GridInPlaceEdit"));
    setProperty("controlId", id);
    setAttribute(Qt::WA_DeleteOnClose);
    setFrame(true);
    setAlignment(align == DT_RIGHT ? Qt::AlignRight | Qt::AlignVCenter
                 : align == DT_CENTER ? Qt::AlignHCenter | Qt::AlignVCenter
                                      : Qt::AlignLeft | Qt::AlignVCenter);
    if (CGridDefaultCell* def = grid->GetDefaultCell(false, false)) setFont(def->GetFontObject());
    setGeometry(rect.left, rect.top, std::max(1, rect.right - rect.left + 1), std::max(1, rect.bottom - rect.top + 1));
    setText(QString::fromStdString(initText));
    show();
    setFocus(Qt::OtherFocusReason);

    switch (firstChar) {
    case VK_LBUTTON:
    case VK_RETURN:
        deselect();
        setCursorPosition(int(text().size()));
        break;
    case VK_BACK:
        deselect();
        setCursorPosition(int(text().size()));
        backspace();
        break;
    case VK_TAB:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        selectAll();
        break;
    default:
        selectAll();
        if (firstChar > 0) TypeChar(firstChar);
        break;
    }
}

CGridEditWnd::~CGridEditWnd() { m_bEnded = true; }

void CGridEditWnd::TypeChar(int ch) {
    insert(QString(QChar(char16_t(ch))));
    FitToText();
}

void CGridEditWnd::FitToText() {
    // Widen to the text plus two blanks, up to the right edge of the grid.
    const QFontMetrics fm(font());
    const int wanted = fm.horizontalAdvance(text() + QStringLiteral("  ")) + 8;
    int limit = width();
    if (QWidget* client = m_pGrid ? m_pGrid->GetClientWidget() : nullptr) limit = client->width() - x();
    const int w = std::min(std::max(width(), wanted), std::max(width(), limit));
    if (w != width()) resize(w, height());
}

bool CGridEditWnd::event(QEvent* e) {
    // Tab ends the edit instead of moving the focus.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();  // every key belongs to the editor
        return true;
    }
    return QLineEdit::event(e);
}

void CGridEditWnd::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & Qt::AltModifier) return;  // system keys are swallowed
    const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
    const int vk = VirtualKeyFromQt(e->key());
    switch (vk) {
    case VK_UP:
    case VK_DOWN:
        m_nLastChar = vk;
        if (m_pGrid && m_pGrid->GetClientWidget()) m_pGrid->GetClientWidget()->setFocus();
        EndEdit();
        return;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl) {
            m_nLastChar = vk;
            if (m_pGrid && m_pGrid->GetClientWidget()) m_pGrid->GetClientWidget()->setFocus();
            EndEdit();
            return;
        }
        break;
    case VK_TAB:
    case VK_RETURN:
        m_nLastChar = vk;
        EndEdit();
        return;
    case VK_ESCAPE:
        setText(QString::fromStdString(m_sInitText));
        m_nLastChar = VK_ESCAPE;
        EndEdit();
        return;
    default:
        break;
    }
    if (vk == 0 && e->key() == 0 && !e->text().isEmpty()) {
        // A character handed on by the cell while editing.
        const QChar c = e->text().at(0);
        if (c.unicode() == VK_BACK) {
            backspace();
        } else if (c.unicode() == VK_TAB || c.unicode() == VK_RETURN || c.unicode() == VK_ESCAPE) {
            QKeyEvent k(QEvent::KeyPress, c.unicode() == VK_TAB ? Qt::Key_Tab
                                           : c.unicode() == VK_RETURN ? Qt::Key_Return : Qt::Key_Escape,
                        Qt::NoModifier);
            keyPressEvent(&k);
            return;
        } else {
            TypeChar(c.unicode());
        }
        FitToText();
        return;
    }
    QLineEdit::keyPressEvent(e);
    FitToText();
}

void CGridEditWnd::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) EndEdit();
}

void CGridEditWnd::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && m_pGrid && m_pGrid->GetClientWidget()) {
        const QPoint p = mapTo(m_pGrid->GetClientWidget(), e->position().toPoint());
        m_pGrid->OnRButtonUp(0, {p.x(), p.y()});
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void CGridEditWnd::EndEdit() {
    if (m_bEnded || g_endingEdit) return;
    m_bEnded = true;
    g_endingEdit = true;
    GRIDDISPINFO info;
    info.hdr.id = property("controlId").toInt();
    info.hdr.code = GN_ENDLABELEDIT;
    info.hdr.item = reinterpret_cast<std::intptr_t>(&info);
    info.item.row = m_nRow;
    info.item.col = m_nColumn;
    info.item.mask = 5;  // text and data
    info.item.strText = text().toStdString();
    info.item.lParam = m_nLastChar;
    // Closed after its last message: hidden now, deleted by the event loop.
    QPointer<CGridEditWnd> self(this);
    if (m_pGrid) m_pGrid->SendNotify(info.hdr);
    g_endingEdit = false;
    if (self) {
        if (hasFocus() && m_pGrid && m_pGrid->GetClientWidget()) m_pGrid->GetClientWidget()->setFocus();
        hide();
        deleteLater();
    }
}
