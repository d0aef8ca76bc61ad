// Painting of the owner-drawn menus in the flat and the classic look, and
// the toolkit menu that uses it.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <map>

#include "graphics/OwnerDrawMenu.h"
#include "graphics/SysColors.h"

using namespace graphics;

namespace {

QString ToQ(const std::wstring& s) { return QString::fromStdWString(s); }

bool Disabled(unsigned f) { return (f & (MF_GRAYED | MF_DISABLED)) != 0; }

void Line(QPainter& p, uint32_t color, int x1, int y1, int x2, int y2) {
    p.setPen(ToQColor(color));
    p.drawLine(x1, y1, x2, y2);
}

// A one-pixel frame: top-left in one colour, bottom-right in the other.
void Frame3D(QPainter& p, const QRect& r, uint32_t topLeft, uint32_t bottomRight) {
    Line(p, topLeft, r.left(), r.top(), r.right(), r.top());
    Line(p, topLeft, r.left(), r.top(), r.left(), r.bottom());
    Line(p, bottomRight, r.left(), r.bottom(), r.right(), r.bottom());
    Line(p, bottomRight, r.right(), r.top(), r.right(), r.bottom());
}

void DrawCheck(QPainter& p, int x, int y, uint32_t color) {
    p.setPen(ToQColor(color));
    for (const wl::Point& pt : CheckMarkPixels(x, y)) p.drawPoint(pt.x, pt.y);
}

void DrawTexts(QPainter& p, const QRect& r, const std::wstring& text, const QColor& color, bool rightMargin) {
    const QString t = ToQ(text);
    const int tab = t.indexOf(QLatin1Char('\t'));
    p.setPen(color);
    p.setFont(QApplication::font("QMenu"));
    const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
    p.drawText(r, flags | Qt::AlignLeft, tab < 0 ? t : t.left(tab));
    if (tab >= 0) p.drawText(r.adjusted(0, 0, rightMargin ? -4 : 0, 0), flags | Qt::AlignRight, t.mid(tab + 1));
}

void DrawSubmenuArrow(QPainter& p, const QRect& r, const QColor& color) {
    const int cx = r.right() - 8;
    const int cy = r.center().y();
    p.setPen(color);
    for (int i = 0; i < 4; ++i) p.drawLine(cx + i, cy - 3 + i, cx + i, cy + 3 - i);
}

}  // namespace

void COwnerDrawMenu::DrawItem(QPainter& painter, const QRect& rect, const CMenuItemData& item, bool selected,
                              const MenuLook& look) const {
    // Off screen first, then copied in one piece.
    QImage buf(rect.size(), QImage::Format_ARGB32);
    QPainter p(&buf);
    const int w = rect.width();
    const int h = rect.height();
    const bool separator = (item.flags & MF_SEPARATOR) && !(item.flags & MF_POPUP);
    const bool popup = (item.flags & MF_POPUP) != 0;
    const bool disabled = Disabled(item.flags);
    const bool checked = (item.flags & MF_CHECKED) != 0;
    const int spacing = MenuSpacing(look.flat, look.wideSpacing);
    const QImage image = popup || separator ? QImage() : GlobalImage(item.imageIndex);
    const bool group = item.imageIndex >= 0 && item.imageIndex + 2 < GlobalImageCount();
    const uint32_t textColor = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT);

    if (look.flat) {
        const int col = imageWidth_ + 8;
        const uint32_t face = look.xp ? GetSysColor(COLOR_BTNFACE) : LightenColor(GetSysColor(COLOR_BTNFACE), 0.25);
        p.fillRect(0, 0, col, h, ToQColor(face));
        p.fillRect(col, 0, w - col, h, SysQColor(COLOR_WINDOW));
        if (separator) {
            Line(p, GetSysColor(COLOR_3DSHADOW), col + spacing, h / 2, w - 1, h / 2);
        } else {
            if (selected) {
                p.fillRect(0, 0, w, h, ToQColor(LightenColor(GetSysColor(COLOR_HIGHLIGHT), look.xp ? 0.7 : 0.85)));
                p.setPen(QPen(SysQColor(COLOR_HIGHLIGHT), 1, Qt::SolidLine));
                p.drawRect(0, 0, w - 1, h - 1);
            }
            const int x0 = (col - 16) / 2;
            const int y0 = (h - 16) / 2;
            if (checked && image.isNull()) {
                const int bx = std::max(0, (col - 16 + 1) / 2);
                const int by = std::max(0, (h - 16 + 1) / 2);
                p.fillRect(bx, by, 16, 16, ToQColor(LightenColor(GetSysColor(COLOR_HIGHLIGHT), 0.85)));
                p.setPen(SysQColor(COLOR_HIGHLIGHT));
                p.drawRect(bx, by, 15, 15);
                DrawCheck(p, bx + 5, by + 4, GetSysColor(COLOR_MENUTEXT));
            } else if (!image.isNull()) {
                if (disabled) {
                    DrawEmbossedImage(p, image, x0, y0, selected ? LightenColor(GetSysColor(COLOR_HIGHLIGHT), look.xp ? 0.7 : 0.85) : face);
                } else if (selected && !checked) {
                    p.drawImage(x0 + 1, y0 + 1, group ? GlobalImage(item.imageIndex + 2) : image);
                    p.drawImage(x0 - 1, y0 - 1, image);
                } else {
                    p.drawImage(x0, y0, group && !selected ? GlobalImage(item.imageIndex + 1) : image);
                }
            }
            DrawTexts(p, QRect(col + spacing, 0, w - col - spacing - 12, h), item.text, ToQColor(textColor), true);
            if (popup) DrawSubmenuArrow(p, QRect(0, 0, w, h), ToQColor(textColor));
        }
    } else {
        const int cell = imageWidth_ + 3;
        p.fillRect(0, 0, w, h, SysQColor(COLOR_MENU));
        if (separator) {
            // An etched line at half the height.
            Line(p, GetSysColor(COLOR_3DSHADOW), 1, h / 2, w - 2, h / 2);
            Line(p, GetSysColor(COLOR_3DHILIGHT), 1, h / 2 + 1, w - 2, h / 2 + 1);
        } else {
            uint32_t text = textColor;
            const int textLeft = image.isNull() && !checked ? cell + 1 : cell + 1;
            if (selected) {
                p.fillRect(textLeft, 0, w - textLeft, h, SysQColor(COLOR_HIGHLIGHT));
                if (!disabled) text = GetSysColor(COLOR_HIGHLIGHTTEXT);
            }
            const QRect cellRect(0, 0, cell, h);
            if (checked && image.isNull()) {
                const uint32_t base = GetSysColor(look.xp ? COLOR_BTNFACE : COLOR_MENU);
                p.fillRect(cellRect, ToQColor(selected ? base : LightenColor(base, 0.6)));
                if (WindowsVersionCode() >= 2)
                    Frame3D(p, cellRect, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
                DrawCheck(p, cellRect.left() + 4, cellRect.top() + 4, GetSysColor(COLOR_MENUTEXT));
            } else if (!image.isNull()) {
                const int x0 = (cell - 16) / 2 + 1;
                const int y0 = (h - 16) / 2;
                if (disabled) DrawEmbossedImage(p, image, x0, y0, GetSysColor(COLOR_MENU));
                else p.drawImage(x0, y0, image);
                if (checked) Frame3D(p, cellRect, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
                else if (selected && !disabled) Frame3D(p, cellRect, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
            }
            DrawTexts(p, QRect(cell + 3, 0, w - cell - 3 - imageWidth_ + 3, h), item.text, ToQColor(text), false);
            if (popup) DrawSubmenuArrow(p, QRect(0, 0, w, h), ToQColor(text));
        }
    }
    p.end();
    painter.drawImage(rect.topLeft(), buf);
}

namespace {

// Sizes of the items as the owner-drawn menu measures them.
class OwnerDrawStyle : public QProxyStyle {
public:
    OwnerDrawStyle(const COwnerDrawMenu* menu, MenuLook look) : QProxyStyle(QStringLiteral("Fusion")), menu_(menu), look_(look) {}
    std::map<QString, const CMenuItemData*> byText;

    QSize sizeFromContents(ContentsType type, const QStyleOption* opt, const QSize& size,
                           const QWidget* w) const override {
        if (type == CT_MenuItem) {
            if (const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(opt)) {
                CMenuItemData probe;
                if (mi->menuItemType == QStyleOptionMenuItem::Separator) {
                    probe.flags = MF_SEPARATOR;
                } else {
                    auto it = byText.find(mi->text);
                    if (it != byText.end()) probe = *it->second;
                    else probe.text = mi->text.toStdWString();
                }
                const wl::Size s = menu_->MeasureItem(probe, look_);
                return QSize(s.cx, s.cy);
            }
        }
        return QProxyStyle::sizeFromContents(type, opt, size, w);
    }
    int pixelMetric(PixelMetric m, const QStyleOption* opt, const QWidget* w) const override {
        switch (m) {
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 2;
        default:
            return QProxyStyle::pixelMetric(m, opt, w);
        }
    }

private:
    const COwnerDrawMenu* menu_;
    MenuLook look_;
};

class OwnerDrawQMenu : public QMenu {
public:
    OwnerDrawQMenu(QWidget* parent, const COwnerDrawMenu* menu, MenuLook look)
        : QMenu(parent), menu_(menu), look_(look), style_(new OwnerDrawStyle(menu, look)) {
        style_->setParent(this);
        setStyle(style_);
        for (int pos = 0; pos < menu->GetMenuItemCount(); ++pos) {
            const CMenuItemData* d = menu->ItemData().size() > static_cast<size_t>(pos) ? menu->ItemData()[pos].get() : nullptr;
            // Plain string items (a menu bar) are drawn from a record of their own.
            auto own = std::make_unique<CMenuItemData>();
            if (!d) {
                own->text = menu->GetMenuString(pos);
                own->flags = menu->GetMenuState(pos);
                own->id = menu->GetMenuItemID(pos);
                d = own.get();
                plain_.push_back(std::move(own));
            }
            QAction* a = nullptr;
            if (d->flags & MF_POPUP) {
                auto* sub = new OwnerDrawQMenu(this, menu->GetSubMenu(pos), look);
                sub->setTitle(QString::fromStdWString(d->text));
                a = addMenu(sub);
            } else if (d->flags & MF_SEPARATOR) {
                a = addSeparator();
            } else {
                a = addAction(QString::fromStdWString(d->text));
                a->setData(QVariant::fromValue<qlonglong>(d->id));
                a->setEnabled(!Disabled(d->flags));
            }
            style_->byText[a->text()] = d;
            data_[a] = d;
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), look_.flat ? SysQColor(COLOR_WINDOW) : SysQColor(COLOR_MENU));
        p.setPen(SysQColor(look_.flat ? COLOR_3DSHADOW : COLOR_3DDKSHADOW));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        for (QAction* a : actions()) {
            auto it = data_.find(a);
            if (it == data_.end()) continue;
            menu_->DrawItem(p, actionGeometry(a), *it->second, a == activeAction() && !a->isSeparator(), look_);
        }
    }

private:
    const COwnerDrawMenu* menu_;
    MenuLook look_;
    OwnerDrawStyle* style_;
    std::map<const QAction*, const CMenuItemData*> data_;
    std::vector<std::unique_ptr<CMenuItemData>> plain_;
};

void AppendTo(std::vector<wl::MenuItem>& out, const COwnerDrawMenu& menu) {
    for (int pos = 0; pos < menu.GetMenuItemCount(); ++pos) {
        const CMenuItemData* d = static_cast<size_t>(pos) < menu.ItemData().size() ? menu.ItemData()[pos].get() : nullptr;
        const unsigned flags = d ? d->flags : menu.GetMenuState(pos);
        const std::wstring text = d ? d->text : menu.GetMenuString(pos);
        wl::MenuItem item;
        if (flags & MF_POPUP) {
            item.text = QString::fromStdWString(text).toUtf8().toStdString();
            if (const COwnerDrawMenu* sub = menu.GetSubMenu(pos)) AppendTo(item.items, *sub);
        } else if (!(flags & MF_SEPARATOR)) {
            item.id = static_cast<int>(d ? d->id : menu.GetMenuItemID(pos));
            item.text = QString::fromStdWString(text).toUtf8().toStdString();
            item.checked = (flags & MF_CHECKED) != 0;
            item.disabled = Disabled(flags);
        }
        out.push_back(std::move(item));
    }
}

}  // namespace

QMenu* COwnerDrawMenu::CreateQMenu(QWidget* parent, const MenuLook& look) const {
    return new OwnerDrawQMenu(parent, this, look);
}

wl::Menu COwnerDrawMenu::ToMenu() const {
    wl::Menu m;
    AppendTo(m.items, *this);
    return m;
}
