#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionTabWidgetFrame>
#include <QTreeWidget>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/wl/internal.h"
#include "platform/wl/resources.h"

namespace wl::detail {

namespace {
int g_programmatic = 0;

// Windows-style "&" prefixes: "&Datei" shows "Datei", "&&" shows "&".
QString WithoutPrefix(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += s[i];
    }
    return out;
}

// Focus changes of edits become EN_SETFOCUS and EN_KILLFOCUS.
class EditFocusFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
            auto* w = static_cast<QWidget*>(o);
            Notify n;
            n.code = e->type() == QEvent::FocusIn ? EN_SETFOCUS : EN_KILLFOCUS;
            NotifyFromControl(w, n);
        }
        return false;
    }
};

void Connect(QWidget* w, Kind kind) {
    switch (kind) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::Radio: {
        auto* b = static_cast<QAbstractButton*>(w);
        QObject::connect(b, &QAbstractButton::clicked, b, [b] {
            Notify n;
            n.code = BN_CLICKED;
            NotifyFromControl(b, n);
        });
        break;
    }
    case Kind::Edit:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QObject::connect(e, &QLineEdit::textChanged, e, [e] {
                Notify n;
                n.code = EN_CHANGE;
                NotifyFromControl(e, n);
            });
            e->installEventFilter(new EditFocusFilter(e));
        } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
            QObject::connect(p, &QPlainTextEdit::textChanged, p, [p] {
                Notify n;
                n.code = EN_CHANGE;
                NotifyFromControl(p, n);
            });
            p->installEventFilter(new EditFocusFilter(p));
        }
        break;
    case Kind::Combo: {
        auto* c = static_cast<QComboBox*>(w);
        QObject::connect(c, &QComboBox::activated, c, [c](int index) {
            Notify n;
            n.code = CBN_SELCHANGE;
            n.index = index;
            NotifyFromControl(c, n);
        });
        if (c->lineEdit()) {
            QObject::connect(c->lineEdit(), &QLineEdit::textEdited, c, [c] {
                Notify n;
                n.code = CBN_EDITCHANGE;
                NotifyFromControl(c, n);
            });
        }
        break;
    }
    case Kind::ListBox: {
        auto* l = static_cast<QListWidget*>(w);
        QObject::connect(l, &QListWidget::currentRowChanged, l, [l](int row) {
            if (Programmatic::Active()) return;
            Notify n;
            n.code = LBN_SELCHANGE;
            n.index = row;
            NotifyFromControl(l, n);
        });
        QObject::connect(l, &QListWidget::itemDoubleClicked, l, [l] {
            Notify n;
            n.code = LBN_DBLCLK;
            n.index = l->currentRow();
            NotifyFromControl(l, n);
        });
        break;
    }
    case Kind::Slider: {
        auto* s = static_cast<QSlider*>(w);
        QObject::connect(s, &QSlider::valueChanged, s, [s](int v) {
            if (Programmatic::Active()) return;
            Notify n;
            n.code = TRBN_THUMBPOSCHANGING;
            n.pos = v;
            NotifyFromControl(s, n);
        });
        break;
    }
    case Kind::Tab: {
        auto* t = static_cast<TabRowWidget*>(w);
        QObject::connect(t->Bar(), &QTabBar::currentChanged, t, [t](int index) {
            if (Programmatic::Active()) return;
            Notify n;
            n.code = TCN_SELCHANGE;
            n.index = index;
            NotifyFromControl(t, n);
        });
        break;
    }
    case Kind::Tree:
    case Kind::ListView: {
        auto* t = static_cast<QTreeWidget*>(w);
        int selCode = kind == Kind::Tree ? TVN_SELCHANGED : LVN_ITEMCHANGED;
        QObject::connect(t, &QTreeWidget::currentItemChanged, t, [t, selCode](QTreeWidgetItem* cur) {
            if (Programmatic::Active()) return;
            Notify n;
            n.code = selCode;
            n.item = cur ? static_cast<std::intptr_t>(cur->data(0, kHandleRole).toLongLong()) : 0;
            n.index = cur ? t->indexOfTopLevelItem(cur) : -1;
            NotifyFromControl(t, n);
        });
        auto click = [t](int code) {
            return [t, code](QTreeWidgetItem* item) {
                Notify n;
                n.code = code;
                n.item = item ? static_cast<std::intptr_t>(item->data(0, kHandleRole).toLongLong()) : 0;
                n.index = item ? t->indexOfTopLevelItem(item) : -1;
                QPoint p = t->viewport()->mapFromGlobal(QCursor::pos());
                n.point = Point{p.x(), p.y()};
                NotifyFromControl(t, n);
            };
        };
        QObject::connect(t, &QTreeWidget::itemClicked, t, click(NM_CLICK));
        QObject::connect(t, &QTreeWidget::itemDoubleClicked, t, click(NM_DBLCLK));
        break;
    }
    default:
        break;
    }
}

}  // namespace

Programmatic::Programmatic() { ++g_programmatic; }
Programmatic::~Programmatic() { --g_programmatic; }
bool Programmatic::Active() { return g_programmatic > 0; }

QFont DialogFont() {
    // The dialogs' 8-point sans serif at 96 dpi (11 pixels), Arial's metrics.
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    return f;
}

QString ToQt(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string FromQt(const QString& s) { return s.toUtf8().toStdString(); }

int ControlId(const QWidget* w) {
    QVariant v = w ? w->property(kIdProperty) : QVariant();
    return v.isValid() ? v.toInt() : 0;
}
void SetControlId(QWidget* w, int id) {
    if (w) w->setProperty(kIdProperty, id);
}
int ControlKind(const QWidget* w) {
    QVariant v = w ? w->property(kKindProperty) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}
unsigned ControlStyle(const QWidget* w) {
    QVariant v = w ? w->property(kStyleProperty) : QVariant();
    return v.isValid() ? v.toUInt() : 0u;
}

QWidget* FindControl(const QWidget* parent, int id) {
    if (!parent) return nullptr;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !w->isWindow() && w->property(kIdProperty).isValid() && ControlId(w) == id) return w;
    }
    return nullptr;
}

QWidget* CreateControl(const ControlTemplate& c, QWidget* parent) {
    QWidget* w = nullptr;
    QString text = ToQt(c.text);
    Qt::Alignment align = (c.style & kRight) ? Qt::AlignRight : (c.style & kCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
    Rect r = DluToPixels(c.x, c.y, c.cx, c.cy);
    switch (c.kind) {
    case Kind::Static: {
        auto* l = new QLabel(WithoutPrefix(text), parent);
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setAlignment(align | Qt::AlignTop);
        if (c.style & kSunken) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        w = l;
        break;
    }
    case Kind::GroupBox:
        w = new QGroupBox(text, parent);
        break;
    case Kind::Picture: {
        auto* l = new QLabel(parent);
        QImage img = FindBitmap(c.image);
        if (!img.isNull()) {
            l->setPixmap(QPixmap::fromImage(img));
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else {
            l->setFrameStyle(QFrame::Box | QFrame::Sunken);  // etched frame
        }
        if (c.style & kSunken) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        w = l;
        break;
    }
    case Kind::Button: {
        auto* b = new QPushButton(text, parent);
        b->setAutoDefault(false);
        b->setDefault((c.style & kDefault) != 0);
        w = b;
        break;
    }
    case Kind::CheckBox:
        w = new QCheckBox(text, parent);
        break;
    case Kind::Radio:
        w = new QRadioButton(text, parent);
        break;
    case Kind::Edit:
        if (c.style & kMultiLine) {
            auto* p = new QPlainTextEdit(parent);
            p->setPlainText(text);
            p->setReadOnly((c.style & kReadOnly) != 0);
            w = p;
        } else {
            auto* e = new QLineEdit(text, parent);
            e->setReadOnly((c.style & kReadOnly) != 0);
            e->setAlignment(align | Qt::AlignVCenter);
            e->setFrame(true);
            w = e;
        }
        break;
    case Kind::Combo: {
        auto* cb = new QComboBox(parent);
        cb->setEditable((c.style & kEditable) != 0);
        for (const std::string& s : c.items) cb->addItem(ToQt(s));
        cb->setCurrentIndex(-1);
        cb->setMaxVisibleItems(std::max(1, r.Height() / 16));
        // The template height is the height of the open list; the closed
        // box has the height of one line.
        r.bottom = r.top + std::min(r.Height(), 21);
        w = cb;
        break;
    }
    case Kind::ListBox: {
        auto* l = new QListWidget(parent);
        for (const std::string& s : c.items) l->addItem(ToQt(s));
        w = l;
        break;
    }
    case Kind::UpDown:
        w = new UpDownWidget(parent);
        break;
    case Kind::Slider: {
        auto* s = new QSlider((c.style & kVertical) ? Qt::Vertical : Qt::Horizontal, parent);
        s->setRange(0, 100);
        w = s;
        break;
    }
    case Kind::Progress: {
        auto* p = new QProgressBar(parent);
        p->setOrientation((c.style & kVertical) ? Qt::Vertical : Qt::Horizontal);
        p->setRange(0, 100);
        p->setValue(0);
        p->setTextVisible(false);
        w = p;
        break;
    }
    case Kind::Tab:
        w = new TabRowWidget(parent);
        break;
    case Kind::Tree: {
        auto* t = new QTreeWidget(parent);
        t->setHeaderHidden(true);
        t->setColumnCount(1);
        w = t;
        break;
    }
    case Kind::ListView: {
        auto* t = new QTreeWidget(parent);
        t->setRootIsDecorated(false);
        t->setColumnCount(1);
        t->setHeaderLabels({});
        t->setAllColumnsShowFocus(true);
        w = t;
        break;
    }
    case Kind::Custom:
        w = new QWidget(parent);
        w->setProperty(kClassProperty, ToQt(c.className));
        break;
    }
    if (!w) return nullptr;
    SetControlId(w, c.id);
    w->setProperty(kKindProperty, static_cast<int>(c.kind));
    w->setProperty(kStyleProperty, c.style);
    w->setProperty(kRawTextProperty, text);
    w->setGeometry(r.left, r.top, r.Width(), r.Height());
    if (c.style & kDisabled) w->setEnabled(false);
    if (c.style & kHidden)
        w->hide();
    else
        w->show();
    Connect(w, c.kind);
    return w;
}

void FinishControls(QWidget* dialog) {
    QList<QWidget*> controls;
    for (QObject* o : dialog->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && w->property(kIdProperty).isValid()) controls.push_back(w);
    QButtonGroup* group = nullptr;
    QWidget* previous = nullptr;
    for (QWidget* w : controls) {
        int kind = ControlKind(w);
        if (kind == static_cast<int>(Kind::Radio)) {
            if (!group || (ControlStyle(w) & kGroup)) {
                group = new QButtonGroup(dialog);
                group->setExclusive(true);
            }
            group->addButton(static_cast<QRadioButton*>(w));
        } else {
            group = nullptr;
        }
        if (kind == static_cast<int>(Kind::UpDown) && previous &&
            ControlKind(previous) == static_cast<int>(Kind::Edit)) {
            // The up-down stands at the right edge of its buddy, inside it.
            auto* ud = static_cast<UpDownWidget*>(w);
            ud->SetBuddy(previous);
            QRect b = previous->geometry();
            int width = w->width();
            b.setWidth(std::max(1, b.width() - width));
            previous->setGeometry(b);
            w->setGeometry(b.right() + 1, b.top(), width, b.height());
        }
        previous = w;
    }
    for (QWidget* w : controls)
        if (ControlKind(w) == static_cast<int>(Kind::GroupBox)) w->lower();
}

std::string GetText(const QWidget* w) {
    if (!w) return {};
    if (w->isWindow() || !w->property(kIdProperty).isValid()) {
        if (w->isWindow()) return FromQt(w->windowTitle());
    }
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        QVariant raw = l->property(kRawTextProperty);
        return raw.isValid() ? FromQt(raw.toString()) : FromQt(l->text());
    }
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return FromQt(e->text());
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return FromQt(p->toPlainText());
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return FromQt(b->text());
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return FromQt(g->title());
    if (auto* c = qobject_cast<const QComboBox*>(w)) return FromQt(c->currentText());
    if (auto* u = dynamic_cast<const UpDownWidget*>(w)) return std::to_string(u->Pos());
    return FromQt(w->windowTitle());
}

void SetText(QWidget* w, const std::string& text) {
    if (!w) return;
    QString t = ToQt(text);
    if (w->isWindow()) {
        w->setWindowTitle(t);
        return;
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setProperty(kRawTextProperty, t);
        l->setText(WithoutPrefix(t));
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(t);
        e->setCursorPosition(0);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        p->setPlainText(t);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(t);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(t);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable()) {
            c->setEditText(t);
        } else {
            Programmatic quiet;
            c->setCurrentIndex(c->findText(t));
        }
    } else {
        w->setWindowTitle(t);
    }
}

std::intptr_t NotifyFromControl(QWidget* c, Notify n) {
    Window* parent = Window::FromWidget(c->parentWidget());
    if (!parent) return 0;
    n.id = ControlId(c);
    n.from = Window::FromWidgetPermanent(c);
    return parent->SendNotify(n);
}

// ---------------------------------------------------------------------------
UpDownWidget::UpDownWidget(QWidget* parent) : QWidget(parent) {
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(7, 7));
    }
    QObject::connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    QObject::connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownWidget::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    SetPos(pos_);
}

void UpDownWidget::SetPos(int pos) {
    int lo = std::min(lower_, upper_), hi = std::max(lower_, upper_);
    pos_ = std::clamp(pos, lo, hi);
    if (buddy_) SetText(buddy_, std::to_string(pos_));
}

int UpDownWidget::Pos() const { return pos_; }

void UpDownWidget::Step(int direction) {
    // The buddy's number is the position the user sees.
    if (buddy_) {
        if (auto v = winsys::ParseInt(GetText(buddy_))) pos_ = static_cast<int>(std::clamp<long long>(*v, INT32_MIN, INT32_MAX));
    }
    int delta = upper_ >= lower_ ? direction : -direction;
    Notify n;
    n.code = UDN_DELTAPOS;
    n.pos = pos_;
    n.delta = delta;
    if (NotifyFromControl(this, n) != 0) return;  // the parent refused the change
    SetPos(pos_ + delta);
}

void UpDownWidget::resizeEvent(QResizeEvent*) {
    int h = height() / 2;
    up_->setGeometry(0, 0, width(), h);
    down_->setGeometry(0, h, width(), height() - h);
}

class RowTabBar::PaddingStyle : public QProxyStyle {
public:
    int padding = -1;  // the style's own below 0
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace && padding >= 0) return padding;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

RowTabBar::RowTabBar(QWidget* parent) : QTabBar(parent), style_(new PaddingStyle) {
    style_->setParent(this);
    setStyle(style_);
}

void RowTabBar::Fit(int width) {
    const int before = style_->padding;
    style_->padding = -1;
    int total = 0;
    for (int i = 0; i < count(); ++i) total += QTabBar::tabSizeHint(i).width();
    if (width > 0 && count() > 0 && total > width) {
        const int natural = style_->QProxyStyle::pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this);
        const int less = (total - width + count() - 1) / count();
        style_->padding = std::max(4, natural - less);
    }
    // A changed padding lays the tabs out anew.
    if (style_->padding != before) setIconSize(iconSize());
}

int RowTabBar::NaturalWidth() const {
    int total = 0;
    for (int i = 0; i < count(); ++i) total += QTabBar::tabSizeHint(i).width();
    if (style_->padding >= 0)
        total += count() * (style_->QProxyStyle::pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this) - style_->padding);
    return total;
}

void RowTabBar::tabInserted(int index) {
    QTabBar::tabInserted(index);
    Fit(width());
}

void RowTabBar::tabRemoved(int index) {
    QTabBar::tabRemoved(index);
    Fit(width());
}

TabRowWidget::TabRowWidget(QWidget* parent) : QWidget(parent) {
    bar_ = new RowTabBar(this);
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(true);
}

void TabRowWidget::resizeEvent(QResizeEvent*) {
    bar_->Fit(width());
    bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
}

void TabRowWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionTabWidgetFrame opt;
    opt.initFrom(this);
    int top = bar_->sizeHint().height();
    opt.rect = QRect(0, top - 1, width(), height() - top + 1);
    opt.shape = QTabBar::RoundedNorth;
    opt.tabBarSize = bar_->sizeHint();
    opt.tabBarRect = bar_->geometry();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, this);
}

}  // namespace wl::detail
