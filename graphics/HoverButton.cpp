#include "graphics/HoverButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "graphics/OwnerDrawMenu.h"
#include "graphics/SysColors.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/draw.h"
#include "platform/wl/resources.h"
#include "platform/wl/ui.h"

using namespace graphics;

namespace graphics {

namespace {
SoundPlayer& Player() {
    static SoundPlayer player;
    return player;
}
}  // namespace

SoundPlayer SetSoundPlayer(SoundPlayer player) {
    SoundPlayer previous = std::move(Player());
    Player() = std::move(player);
    return previous;
}

}  // namespace graphics

namespace {

// The button's widget: paints through its window and reports the mouse.
class HoverButtonWidget : public QAbstractButton {
public:
    HoverButtonWidget(CHoverButton* owner, QWidget* parent) : QAbstractButton(parent), owner_(owner) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
        connect(this, &QAbstractButton::clicked, this, [this] { owner_->OnClicked(); });
    }
    QPixmap background;  // the parent's pixels under a transparent button

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        unsigned state = 0;
        if (isDown()) state |= CHoverButton::ODS_SELECTED;
        if (hasFocus()) state |= CHoverButton::ODS_FOCUS;
        if (!isEnabled()) state |= CHoverButton::ODS_DISABLED;
        owner_->DrawItem(p, rect(), state);
    }
    void enterEvent(QEnterEvent* e) override {
        QAbstractButton::enterEvent(e);
        owner_->OnMouseEnter();
    }
    void leaveEvent(QEvent* e) override {
        QAbstractButton::leaveEvent(e);
        owner_->OnMouseLeave();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QAbstractButton::focusOutEvent(e);
        owner_->OnMouseLeave();
    }
    // A double click is a second press.
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void changeEvent(QEvent* e) override {
        QAbstractButton::changeEvent(e);
        if (e->type() == QEvent::EnabledChange && !isEnabled()) owner_->OnDisabled();
        if (e->type() == QEvent::PaletteChange) owner_->OnSysColorChange();
    }

private:
    CHoverButton* owner_;
};

HoverButtonWidget* ButtonOf(const wl::Window* w) { return dynamic_cast<HoverButtonWidget*>(w->Widget()); }

// Pixels from one point to the other, the end point left out (axis-parallel lines).
void LineTo(QPainter& p, uint32_t color, int x1, int y1, int x2, int y2) {
    p.setPen(ToQColor(color));
    const int dx = (x2 > x1) - (x2 < x1);
    const int dy = (y2 > y1) - (y2 < y1);
    for (int x = x1, y = y1; x != x2 || y != y2; x += dx, y += dy) p.drawPoint(x, y);
}

// A bitmap and its transparent colour made into an image with alpha.
QImage Masked(const QImage& src, uint32_t transparent) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(transparent).rgb() & 0xFFFFFFu;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFFu) == key) img.setPixel(x, y, 0);
    return img;
}

}  // namespace

struct CHoverButton::Bitmaps {
    QImage in;   // mouse inside or pressed
    QImage out;  // every other state (null: the first one)
};

CHoverButton::CHoverButton() { ResetColors(); }

CHoverButton::~CHoverButton() = default;

void CHoverButton::ResetColors() {
    for (int i = 0; i < BTNST_MAX_COLORS; ++i) colors_[i] = GetSysColor(i % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT);
}

QWidget* CHoverButton::CreateControlWidget(QWidget* parent) { return new HoverButtonWidget(this, parent); }

bool CHoverButton::SubclassDlgItem(int id, wl::Window* parent) {
    if (!parent || Widget()) return false;
    QWidget* old = parent->GetDlgItemWidget(id);
    if (!old) return false;
    auto* w = new HoverButtonWidget(this, old->parentWidget());
    if (auto* push = qobject_cast<QPushButton*>(old)) default_ = push->isDefault();
    checkBox_ = qobject_cast<QCheckBox*>(old) != nullptr;
    if (auto* b = qobject_cast<QAbstractButton*>(old)) {
        w->setText(b->text());
        checked_ = checkBox_ && b->isChecked();
    }
    w->setGeometry(old->geometry());
    w->setEnabled(old->isEnabled());
    w->setVisible(!old->isHidden());
    w->stackUnder(old);
    QWidget::setTabOrder(old, w);
    delete old;
    AttachOwned(w);
    SetDlgCtrlID(id);
    return true;
}

void CHoverButton::Repaint(bool repaint) {
    if (repaint && Widget()) Widget()->update();
}

int CHoverButton::SetBitmaps(int idIn, uint32_t transparentIn, int idOut, uint32_t transparentOut) {
    bitmaps_.reset();
    const QImage in = wl::FindBitmap(idIn);
    const QImage out = idOut != 0 ? wl::FindBitmap(idOut) : QImage();
    if (in.isNull() || (idOut != 0 && out.isNull())) {
        Repaint(true);
        return BTNST_INVALIDRESOURCE;
    }
    auto b = std::make_unique<Bitmaps>();
    b->in = Masked(in, transparentIn);
    if (!out.isNull()) b->out = Masked(out, transparentOut);
    if (b->in.isNull()) return BTNST_FAILEDMASK;
    bitmaps_ = std::move(b);
    Repaint(true);
    return BTNST_OK;
}

void CHoverButton::SetDrawFlag(bool flat, bool repaint) {
    flat_ = flat;
    Repaint(repaint);
}

int CHoverButton::SetPressedStyle(int mode, bool repaint) {
    switch (mode) {
    case 0:
        pressedOffset_ = {1, 1};
        break;
    case 1:
        pressedOffset_ = {0, 2};
        break;
    default:
        return BTNST_INVALIDPRESSEDSTYLE;
    }
    Repaint(repaint);
    return BTNST_OK;
}

void CHoverButton::SetCheck(int check, bool repaint) {
    if (!checkBox_) return;
    checked_ = check == 1 || check == 2;
    Repaint(repaint);
}

int CHoverButton::GetCheck() const { return checkBox_ && checked_ ? 1 : 0; }

int CHoverButton::SetColor(int index, uint32_t color, bool repaint) {
    if (index < 0 || index >= BTNST_MAX_COLORS) return BTNST_INVALIDINDEX;
    colors_[index] = color;
    Repaint(repaint);
    return BTNST_OK;
}

uint32_t CHoverButton::GetColor(int index) const {
    return index >= 0 && index < BTNST_MAX_COLORS ? colors_[index] : 0;
}

void CHoverButton::SetLinkLook(bool on, bool repaint) {
    linkLook_ = on;
    if (on) {
        colors_[BTNST_COLOR_FG_IN] = 0xFF0000;
        frameWhenInside_ = false;
    }
    if (Widget()) {
        QFont f = Widget()->font();
        f.setUnderline(on && inside_);
        Widget()->setFont(f);
    }
    Repaint(repaint);
}

void CHoverButton::SetTooltipText(const std::string& text, bool activate) {
    tooltip_ = text;
    tooltipActive_ = activate;
    if (Widget()) Widget()->setToolTip(activate ? QString::fromUtf8(text.c_str()) : QString());
}

void CHoverButton::FreeBackground(bool repaint) {
    transparent_ = true;
    if (auto* w = ButtonOf(this)) w->background = QPixmap();
    Repaint(repaint);
}

void CHoverButton::SetURL(const char* address) { url_ = address ? address : ""; }

bool CHoverButton::SetMenu(int menuId, wl::Window* receiver) {
    auto m = std::make_unique<COwnerDrawMenu>();
    if (!m->LoadMenu(menuId)) {
        menu_.reset();
        return false;
    }
    menu_ = std::move(m);
    menuReceiver_ = receiver ? receiver->GetSafeHwnd() : 0;
    return true;
}

void CHoverButton::SetMenuCallback(wl::Window* notify, int id, int code) {
    menuNotify_ = notify ? notify->GetSafeHwnd() : 0;
    menuNotifyId_ = id;
    menuNotifyCode_ = code;
}

void CHoverButton::SetSound(bool hover, const Sound& sound) { (hover ? hoverSound_ : clickSound_) = sound; }

void CHoverButton::PlaySoundOf(const Sound& s) {
    if (!s.name.empty() && graphics::Player()) graphics::Player()(s);
}

// ---- events ---------------------------------------------------------------------

void CHoverButton::OnMouseEnter() {
    if (!trackWhenInactive_ && !QApplication::activeWindow()) return;
    if (inside_ || !Widget() || !Widget()->isEnabled()) return;
    inside_ = true;
    if (linkLook_) {
        QFont f = Widget()->font();
        f.setUnderline(true);
        Widget()->setFont(f);
        Widget()->setCursor(Qt::PointingHandCursor);
    }
    Repaint(true);
    PlaySoundOf(hoverSound_);
}

void CHoverButton::OnMouseLeave() {
    if (!inside_) return;
    inside_ = false;
    if (Widget()) {
        if (linkLook_) {
            QFont f = Widget()->font();
            f.setUnderline(false);
            Widget()->setFont(f);
        }
        Widget()->unsetCursor();
    }
    Repaint(true);
}

void CHoverButton::OnSysColorChange() {
    ResetColors();
    Repaint(true);
}

void CHoverButton::OnDisabled() {
    OnMouseLeave();
    QWidget* w = Widget();
    if (!w) return;
    // The focus moves on to the next tab stop of the parent, or to the parent.
    QWidget* parent = w->parentWidget();
    if (parent && (w->hasFocus() || QApplication::focusWidget() == nullptr)) {
        QWidget* next = w->nextInFocusChain();
        while (next && next != w && (!next->isEnabled() || !next->isVisible() || !(next->focusPolicy() & Qt::TabFocus) ||
                                     !parent->isAncestorOf(next)))
            next = next->nextInFocusChain();
        if (next && next != w) next->setFocus(Qt::TabFocusReason);
        else parent->setFocus();
    }
}

void CHoverButton::OnClicked() {
    if (Widget()) Widget()->setFocus();
    PlaySoundOf(clickSound_);
    if (checkBox_) {
        checked_ = !checked_;
        Repaint(true);
        return;
    }
    if (menu_) {
        COwnerDrawMenu* sub = menu_->GetSubMenu(0);
        menuOpen_ = true;
        Repaint(true);
        if (wl::Window* n = wl::Window::FromHandle(menuNotify_)) n->SendCommand(menuNotifyId_, menuNotifyCode_);
        int chosen = 0;
        if (sub) {
            const wl::Rect r = GetWindowRect();
            const wl::Point at = GetParent() ? GetParent()->ClientToScreen({r.left, r.bottom}) : wl::Point{r.left, r.bottom};
            chosen = wl::GetUi().TrackPopupMenu(sub->ToMenu(), at, this);
        }
        menuOpen_ = false;
        Repaint(true);
        if (chosen != 0)
            if (wl::Window* receiver = wl::Window::FromHandle(menuReceiver_)) receiver->PostCommand(chosen);
        return;
    }
    if (!url_.empty()) {
        // The whole address as one argument of the shell.
        winsys::ShellOpen(url_);
        return;
    }
    NotifyParent(wl::BN_CLICKED);
}

// ---- drawing ----------------------------------------------------------------------

void CHoverButton::DrawItem(QPainter& p, const QRect& item, unsigned state) {
    const bool pressed = (state & ODS_SELECTED) || (checkBox_ && checked_) || menuOpen_;
    const bool focused = (state & ODS_FOCUS) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    QRect r = item;
    if (!flat_ && (focused || default_)) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    // Background.
    if (transparent_) {
        auto* w = ButtonOf(this);
        if (w && w->background.isNull() && w->parentWidget()) {
            w->background = QPixmap(w->size());
            w->background.fill(Qt::transparent);
            w->parentWidget()->render(&w->background, QPoint(), QRegion(w->geometry()), QWidget::DrawWindowBackground);
        }
        if (w) p.drawPixmap(r, w->background, r);
    } else {
        const uint32_t bk = inside_ || pressed ? colors_[BTNST_COLOR_BK_IN]
                            : focused          ? colors_[BTNST_COLOR_BK_FOCUS]
                                               : colors_[BTNST_COLOR_BK_OUT];
        DrawBackground(p, r, bk);
    }
    // Edge.
    const int l = r.x(), t = r.y(), rr = r.x() + r.width(), b = r.y() + r.height();
    if (pressed) {
        if (!flat_) {
            p.setPen(SysQColor(COLOR_3DSHADOW));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        } else if (frameWhenInside_) {
            DrawBorder(p, r, true);
        }
    } else if (!flat_) {
        LineTo(p, GetSysColor(COLOR_3DHILIGHT), l, b - 1, l, t);
        LineTo(p, GetSysColor(COLOR_3DHILIGHT), l, t, rr, t);
        LineTo(p, GetSysColor(COLOR_3DLIGHT), l + 1, b - 2, l + 1, t + 1);
        LineTo(p, GetSysColor(COLOR_3DLIGHT), l + 1, t + 1, rr - 1, t + 1);
        LineTo(p, GetSysColor(COLOR_3DDKSHADOW), l, b - 1, rr - 1, b - 1);
        LineTo(p, GetSysColor(COLOR_3DDKSHADOW), rr - 1, b - 1, rr - 1, t - 1);
        LineTo(p, GetSysColor(COLOR_3DSHADOW), l + 1, b - 2, rr - 2, b - 2);
        LineTo(p, GetSysColor(COLOR_3DSHADOW), rr - 2, b - 2, rr - 2, t);
    } else if (inside_ && frameWhenInside_) {
        DrawBorder(p, r, false);
    }
    // Bitmap and text.
    QRect caption = item;
    const std::string text = GetWindowText();
    const bool hasText = !text.empty();
    if (bitmaps_) DrawImage(p, hasText, item, caption, pressed, disabled);
    if (hasText) DrawCaption(p, hasText, item, caption, pressed, disabled);
    // Focus frame.
    if (focused && (!flat_ || flatFocus_)) {
        const QRect f = r.adjusted(3, 3, -3, -3);
        wl::DrawFocusRect(p, wl::Rect{f.x(), f.y(), f.x() + f.width(), f.y() + f.height()});
    }
}

void CHoverButton::DrawBackground(QPainter& p, const QRect& r, uint32_t color) { p.fillRect(r, ToQColor(color)); }

void CHoverButton::DrawBorder(QPainter& p, const QRect& r, bool pressed) {
    const uint32_t hi = GetSysColor(COLOR_3DHILIGHT);
    const uint32_t sh = GetSysColor(COLOR_3DSHADOW);
    const uint32_t tl = pressed ? sh : hi;
    const uint32_t br = pressed ? hi : sh;
    const int l = r.x(), t = r.y(), rr = r.x() + r.width() - 1, b = r.y() + r.height() - 1;
    p.setPen(ToQColor(tl));
    p.drawLine(l, t, rr - 1, t);
    p.drawLine(l, t, l, b - 1);
    p.setPen(ToQColor(br));
    p.drawLine(l, b, rr, b);
    p.drawLine(rr, t, rr, b);
}

QRect CHoverButton::PlaceImage(bool hasText, const QRect& item, QRect& caption, bool pressed) const {
    if (!bitmaps_) return {};
    const QImage& img = bitmaps_->in;
    const int w = hasText ? static_cast<int>(img.width() * 1.5) : img.width();
    const int h = img.height();
    int x = 0;
    if (hasText) {
        x = item.x() + kImageMargin;
        caption.setLeft(caption.left() + kImageMargin + w);
    } else {
        x = item.x() + (item.width() - w) / 2;
    }
    int y = item.y() + (item.height() - h) / 2;
    if (pressed && !checkBox_) {
        x += pressedOffset_.x;
        y += pressedOffset_.y;
    }
    return QRect(x, y, img.width(), img.height());
}

void CHoverButton::DrawImage(QPainter& p, bool hasText, const QRect& item, QRect& caption, bool pressed, bool disabled) {
    const QRect at = PlaceImage(hasText, item, caption, pressed);
    const bool first = checkBox_ ? (pressed || checked_) : (inside_ || pressed);
    const QImage& img = first || bitmaps_->out.isNull() ? bitmaps_->in : bitmaps_->out;
    if (disabled && greyedWhenDisabled_) {
        // The masked bitmap over the button face, embossed.
        QImage flatImg(img.size(), QImage::Format_ARGB32);
        flatImg.fill(SysQColor(COLOR_BTNFACE));
        {
            QPainter ip(&flatImg);
            ip.drawImage(0, 0, img);
        }
        QImage out(img.size(), QImage::Format_ARGB32);
        out.fill(Qt::transparent);
        QPainter op(&out);
        DrawEmbossedImage(op, flatImg, 0, 0, GetSysColor(COLOR_BTNFACE));
        op.end();
        // Only the ink: the face around it stays the button's background.
        const QRgb face = SysQColor(COLOR_BTNFACE).rgb();
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                if ((out.pixel(x, y) | 0xFF000000u) == (face | 0xFF000000u)) out.setPixel(x, y, 0);
        p.drawImage(at.topLeft(), out);
        return;
    }
    p.drawImage(at.topLeft(), img);
}

void CHoverButton::DrawCaption(QPainter& p, bool, const QRect&, QRect& caption, bool pressed, bool disabled) {
    if (pressed && !checkBox_) caption.translate(pressedOffset_.x, pressedOffset_.y);
    const QString text = QString::fromUtf8(GetWindowText().c_str());
    const QFont font = Widget() ? Widget()->font() : QApplication::font();
    p.setFont(font);
    const QRect measured = QFontMetrics(font).boundingRect(caption, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    QRect at = caption;
    at.translate(0, (caption.height() - measured.height()) / 2);
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic;
    if (disabled) {
        // Plain pixels, so that the two copies stay one pixel apart.
        QFont plain = font;
        plain.setStyleStrategy(QFont::NoAntialias);
        p.setFont(plain);
        p.setPen(SysQColor(COLOR_3DHILIGHT));
        p.drawText(at.translated(1, 1), flags, text);
        p.setPen(SysQColor(COLOR_3DSHADOW));
        p.drawText(at, flags, text);
        return;
    }
    const bool focused = Widget() && Widget()->hasFocus();
    const uint32_t fg = inside_ || pressed ? colors_[BTNST_COLOR_FG_IN]
                        : focused          ? colors_[BTNST_COLOR_FG_FOCUS]
                                           : colors_[BTNST_COLOR_FG_OUT];
    p.setPen(ToQColor(fg));
    p.drawText(at, flags, text);
}
