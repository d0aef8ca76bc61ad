#include "platform/wl/draw.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOption>

#include "platform/winsys/winsys.h"
#include "platform/wl/internal.h"

namespace wl {

QColor ToQColor(COLORREF c, const QColor& fallback) {
    if (c == kDefaultColor) return fallback;
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

COLORREF GetSysColor(int index) {
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(48, 140, 198);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(239, 239, 239);
    case COLOR_BTNSHADOW: return RGB(159, 159, 159);
    case COLOR_GRAYTEXT: return RGB(190, 190, 190);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(118, 118, 118);
    case COLOR_3DLIGHT: return RGB(247, 247, 247);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 220);
    default: return RGB(239, 239, 239);
    }
}

std::string ResolveFace(const std::string& face) {
    std::string f = winsys::ToLowerAscii(face);
    // The installed families themselves (a font read back from a widget).
    if (f == "liberation sans") return "Liberation Sans";
    if (f == "liberation serif") return "Liberation Serif";
    if (f == "dejavu sans mono") return "DejaVu Sans Mono";
    if (f == "dejavu serif") return "DejaVu Serif";
    if (f == "arial" || f == "ms shell dlg" || f == "ms sans serif" || f == "helvetica") return "Liberation Sans";
    if (f == "times new roman" || f == "times") return "Liberation Serif";
    if (f == "courier new" || f == "courier") return "DejaVu Sans Mono";
    return "DejaVu Sans";
}

bool IsSymbolFace(const std::string& face) { return winsys::EqualsNoCase(face, "Symbol"); }

QFont ToQFont(const LogFont& lf) {
    QFont f(detail::ToQt(ResolveFace(lf.faceName)));
    // A negative height is the character height; a positive one the cell
    // height, of which the character takes about 8/9 with these faces.
    int px = lf.height < 0 ? -lf.height : lf.height > 0 ? std::max(1, lf.height * 8 / 9) : 11;
    f.setPixelSize(px);
    f.setWeight(lf.weight >= 600 ? QFont::Bold : lf.weight <= 300 ? QFont::Light : QFont::Normal);
    f.setItalic(lf.italic);
    f.setUnderline(lf.underline);
    f.setStrikeOut(lf.strikeOut);
    if (lf.width > 0) {
        QFontMetrics fm(f);
        int natural = std::max(1, fm.averageCharWidth());
        f.setStretch(std::clamp(lf.width * 100 / natural, 1, 4000));
    }
    return f;
}

LogFont FromQFont(const QFont& f) {
    LogFont lf;
    lf.height = -(f.pixelSize() > 0 ? f.pixelSize() : static_cast<int>(f.pointSizeF() * 96.0 / 72.0 + 0.5));
    lf.weight = f.bold() ? 700 : 400;
    lf.italic = f.italic();
    lf.underline = f.underline();
    lf.strikeOut = f.strikeOut();
    std::string fam = detail::FromQt(f.family());
    lf.faceName = fam == "Liberation Sans" ? "Arial" : fam == "Liberation Serif" ? "Times New Roman" : fam;
    return lf;
}

std::string DisplayText(const LogFont& lf, const std::string& text) {
    return IsSymbolFace(lf.faceName) ? winsys::SymbolToUtf8(text) : text;
}

int DrawText(QPainter& p, const std::string& text, Rect& r, unsigned format) {
    QString t = detail::ToQt(text);
    int flags = 0;
    flags |= (format & DT_RIGHT) ? Qt::AlignRight : (format & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        flags |= (format & DT_BOTTOM) ? Qt::AlignBottom : (format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
    }
    flags |= (format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
    QFontMetrics fm(p.font());
    QRect box(r.left, r.top, r.Width(), r.Height());
    if ((format & DT_END_ELLIPSIS) && !(flags & Qt::TextWordWrap)) t = fm.elidedText(t, Qt::ElideRight, box.width());
    if (format & DT_CALCRECT) {
        QRect limit = (flags & Qt::TextWordWrap) ? QRect(r.left, r.top, std::max(1, r.Width()), 100000)
                                                 : QRect(r.left, r.top, 100000, 100000);
        QRect b = fm.boundingRect(limit, flags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter |
                                                   Qt::AlignBottom),
                                  t);
        r.right = r.left + b.width();
        r.bottom = r.top + b.height();
        return b.height();
    }
    QRect used;
    p.drawText(box, flags, t, &used);
    return used.height();
}

int DrawText(QPainter& p, const LogFont& font, const std::string& text, Rect& r, unsigned format) {
    p.save();
    p.setFont(ToQFont(font));
    int h = DrawText(p, DisplayText(font, text), r, format);
    p.restore();
    return h;
}

Size GetTextExtent(const QFont& font, const std::string& text) {
    QFontMetrics fm(font);
    return Size{fm.horizontalAdvance(detail::ToQt(text)), fm.height()};
}

void Draw3dRect(QPainter& p, const Rect& r, COLORREF topLeft, COLORREF bottomRight) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QColor tl = ToQColor(topLeft), br = ToQColor(bottomRight);
    p.fillRect(r.left, r.top, r.Width() - 1, 1, tl);
    p.fillRect(r.left, r.top, 1, r.Height() - 1, tl);
    p.fillRect(r.right - 1, r.top, 1, r.Height(), br);
    p.fillRect(r.left, r.bottom - 1, r.Width(), 1, br);
    p.restore();
}

void DrawEdge(QPainter& p, const Rect& r, unsigned edge, unsigned flags) {
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF dark = GetSysColor(COLOR_3DDKSHADOW), face = GetSysColor(COLOR_3DLIGHT);
    auto ring = [&](const Rect& rr, COLORREF tl, COLORREF br) {
        p.save();
        QColor a = ToQColor(tl), b = ToQColor(br);
        if (flags & BF_TOP) p.fillRect(rr.left, rr.top, rr.Width(), 1, a);
        if (flags & BF_LEFT) p.fillRect(rr.left, rr.top, 1, rr.Height(), a);
        if (flags & BF_BOTTOM) p.fillRect(rr.left, rr.bottom - 1, rr.Width(), 1, b);
        if (flags & BF_RIGHT) p.fillRect(rr.right - 1, rr.top, 1, rr.Height(), b);
        p.restore();
    };
    Rect outer = r, inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    if (edge & BDR_RAISEDOUTER) ring(outer, face, dark);
    if (edge & BDR_SUNKENOUTER) ring(outer, shadow, light);
    if (edge & BDR_RAISEDINNER) ring(inner, light, shadow);
    if (edge & BDR_SUNKENINNER) ring(inner, dark, face);
}

void DrawFrameControl(QPainter& p, const Rect& rr, unsigned type, unsigned state) {
    QStyle* style = QApplication::style();
    if (!style) return;
    QRect r(rr.left, rr.top, rr.Width(), rr.Height());
    QStyle::State st = QStyle::State_None;
    if (!(state & DFCS_INACTIVE)) st |= QStyle::State_Enabled;
    if (state & DFCS_PUSHED) st |= QStyle::State_Sunken;
    if (type == DFC_BUTTON) {
        QStyleOptionButton opt;
        opt.rect = r;
        opt.palette = style->standardPalette();
        // An inactive control takes the greyed colours.
        if (state & DFCS_INACTIVE) opt.palette.setCurrentColorGroup(QPalette::Disabled);
        opt.state = st | ((state & DFCS_CHECKED) ? QStyle::State_On : QStyle::State_Off);
        if ((state & 0x1F) == DFCS_BUTTONPUSH) {
            opt.state |= (state & DFCS_PUSHED) ? QStyle::State_Sunken : QStyle::State_Raised;
            style->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, nullptr);
        } else if ((state & 0x1F) == DFCS_BUTTONRADIO) {
            style->drawPrimitive(QStyle::PE_IndicatorRadioButton, &opt, &p, nullptr);
        } else {
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, nullptr);
        }
    } else if (type == DFC_SCROLL) {
        QStyleOption opt;
        opt.rect = r;
        opt.palette = style->standardPalette();
        opt.state = st | ((state & DFCS_PUSHED) ? QStyle::State_Sunken : QStyle::State_Raised);
        style->drawPrimitive(QStyle::PE_PanelButtonTool, &opt, &p, nullptr);
        QStyle::PrimitiveElement arrow = QStyle::PE_IndicatorArrowUp;
        switch (state & 0xF) {
        case DFCS_SCROLLDOWN: arrow = QStyle::PE_IndicatorArrowDown; break;
        case DFCS_SCROLLLEFT: arrow = QStyle::PE_IndicatorArrowLeft; break;
        case DFCS_SCROLLRIGHT: arrow = QStyle::PE_IndicatorArrowRight; break;
        default: break;
        }
        style->drawPrimitive(arrow, &opt, &p, nullptr);
    }
}

void DrawFocusRect(QPainter& p, const Rect& r) {
    QStyle* style = QApplication::style();
    if (!style) return;
    QStyleOptionFocusRect opt;
    opt.rect = QRect(r.left, r.top, r.Width(), r.Height());
    opt.palette = style->standardPalette();
    opt.state = QStyle::State_Enabled | QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, nullptr);
}

QImage MaskedImage(const QImage& img, COLORREF transparent) {
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    QRgb key = qRgb(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent));
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF)) line[x] = 0;
    }
    return out;
}

void DrawMaskedBitmap(QPainter& p, Point at, const QImage& img, COLORREF transparent) {
    p.drawImage(QPoint(at.x, at.y), MaskedImage(img, transparent));
}

QImage EmbossedImage(const QImage& img, COLORREF transparent) {
    QImage shape = MaskedImage(img, transparent);
    QImage out(shape.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QRgb light = ToQColor(GetSysColor(COLOR_BTNHIGHLIGHT)).rgb();
    QRgb dark = ToQColor(GetSysColor(COLOR_BTNSHADOW)).rgb();
    // Highlight one pixel down and right, the shadow over it in place.
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x)
            if (qAlpha(shape.pixel(x, y)) && x + 1 < out.width() && y + 1 < out.height()) out.setPixel(x + 1, y + 1, light);
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x)
            if (qAlpha(shape.pixel(x, y))) out.setPixel(x, y, dark);
    return out;
}

}  // namespace wl
