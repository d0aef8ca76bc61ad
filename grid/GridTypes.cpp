#include "grid/GridTypes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QStringList>

QColor ToQColor(COLORREF c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

COLORREF FromQColor(const QColor& c) { return RGBColor(c.red(), c.green(), c.blue()); }

COLORREF GetSysColor(int index) {
    const QPalette pal = QApplication::palette();
    switch (index) {
    case COLOR_WINDOW: return FromQColor(pal.color(QPalette::Active, QPalette::Base));
    case COLOR_WINDOWTEXT: return FromQColor(pal.color(QPalette::Active, QPalette::Text));
    case COLOR_HIGHLIGHT: return FromQColor(pal.color(QPalette::Active, QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT: return FromQColor(pal.color(QPalette::Active, QPalette::HighlightedText));
    case COLOR_BTNFACE: return FromQColor(pal.color(QPalette::Active, QPalette::Button));
    case COLOR_BTNSHADOW: return FromQColor(pal.color(QPalette::Active, QPalette::Dark));
    case COLOR_3DHIGHLIGHT: return FromQColor(pal.color(QPalette::Active, QPalette::Light));
    default: return 0;
    }
}

void FillSolidRect(QPainter& p, const wl::Rect& r, COLORREF c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    p.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(c));
}

void DrawGridText(QPainter& p, const std::string& text, const wl::Rect& r, unsigned format) {
    if (r.right <= r.left || r.bottom <= r.top || text.empty()) return;
    QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const QRect box(r.left, r.top, r.Width(), r.Height());
    int align = (format & DT_RIGHT) ? Qt::AlignRight : (format & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    const bool single = (format & DT_SINGLELINE) != 0;
    if (single) {
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
        align |= (format & DT_BOTTOM) ? Qt::AlignBottom : (format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
        if (format & DT_END_ELLIPSIS) s = p.fontMetrics().elidedText(s, Qt::ElideRight, box.width());
    } else {
        align |= Qt::AlignTop;
        if (format & DT_WORDBREAK) align |= Qt::TextWordWrap;
    }
    p.save();
    p.setClipRect(box, Qt::IntersectClip);
    p.drawText(box, align, s);
    p.restore();
}

void DrawGridEdge(QPainter& p, const wl::Rect& r, bool raised) {
    if (r.Width() < 2 || r.Height() < 2) return;
    const QColor light = ToQColor(GetSysColor(COLOR_3DHIGHLIGHT));
    const QColor dark = ToQColor(GetSysColor(COLOR_3DSHADOW));
    const QColor tl = raised ? light : dark;
    const QColor br = raised ? dark : light;
    const int x0 = r.left, y0 = r.top, x1 = r.right - 1, y1 = r.bottom - 1;
    p.fillRect(QRect(x0, y0, x1 - x0 + 1, 1), tl);
    p.fillRect(QRect(x0, y0, 1, y1 - y0 + 1), tl);
    p.fillRect(QRect(x0, y1, x1 - x0 + 1, 1), br);
    p.fillRect(QRect(x1, y0, 1, y1 - y0 + 1), br);
}

int VirtualKeyFromQt(int k) {
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_F2: return VK_F2;
    default: break;
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    return 0;
}
