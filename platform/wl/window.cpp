#include "platform/wl/window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <unordered_map>
#include <vector>

#include "platform/wl/dialog.h"
#include "platform/wl/internal.h"

namespace wl {

namespace {

// Live windows by handle value and by widget.
std::unordered_map<std::uintptr_t, Window*>& Live() {
    static std::unordered_map<std::uintptr_t, Window*> m;
    return m;
}
std::unordered_map<const QWidget*, Window*>& ByWidget() {
    static std::unordered_map<const QWidget*, Window*> m;
    return m;
}
// Plain windows made for widgets that had none; kept until the widget goes.
std::unordered_map<const QWidget*, std::unique_ptr<Window>>& Plain() {
    static std::unordered_map<const QWidget*, std::unique_ptr<Window>> m;
    return m;
}
// Plain windows whose widget went; freed outside the signal that told so.
std::vector<std::unique_ptr<Window>>& Gone() {
    static std::vector<std::unique_ptr<Window>> v;
    return v;
}

Window* g_mainWindow = nullptr;

std::uintptr_t HandleOf(const Window* w) { return reinterpret_cast<std::uintptr_t>(w); }

}  // namespace

namespace detail {

// Watches a window's widget: events become the window's handlers; the
// widget's end clears the window.
class EventHook : public QObject {
public:
    explicit EventHook(Window* w) : window_(w) {}
    QPointer<QWidget> widget;
    std::map<unsigned, QTimer*> timers;

    void Watch(QWidget* w) {
        widget = w;
        w->installEventFilter(this);
        QObject::connect(w, &QObject::destroyed, this, [this] { window_->WidgetGone(); });
    }
    void Unwatch() {
        for (auto& [id, t] : timers) delete t;
        timers.clear();
        if (widget) {
            widget->removeEventFilter(this);
            QObject::disconnect(widget, nullptr, this, nullptr);
        }
        widget = nullptr;
    }

    bool eventFilter(QObject* o, QEvent* e) override {
        if (o != widget) return false;
        switch (e->type()) {
        case QEvent::Resize: {
            auto* r = static_cast<QResizeEvent*>(e);
            window_->OnSize(SIZE_RESTORED, r->size().width(), r->size().height());
            break;
        }
        case QEvent::Show:
            window_->OnShowWindow(true);
            break;
        case QEvent::Hide:
            window_->OnShowWindow(false);
            break;
        case QEvent::ContextMenu: {
            auto* c = static_cast<QContextMenuEvent*>(e);
            QWidget* target = widget->childAt(c->pos());
            Window* w = Window::FromWidgetPermanent(target ? target : widget.data());
            window_->OnContextMenu(w, Point{c->globalPos().x(), c->globalPos().y()});
            return true;
        }
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_F1) return window_->OnHelpInfo();
            if (auto* d = dynamic_cast<Dialog*>(window_)) {
                if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                    d->SendCommand(IDOK, BN_CLICKED);
                    return true;
                }
                if (k->key() == Qt::Key_Escape) {
                    d->SendCommand(IDCANCEL, BN_CLICKED);
                    return true;
                }
            }
            break;
        }
        case QEvent::Close:
            if (auto* d = dynamic_cast<Dialog*>(window_)) {
                // The close box is Cancel; the dialog decides whether it closes.
                e->ignore();
                d->SendCommand(IDCANCEL, BN_CLICKED);
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    Window* window_;
};

}  // namespace detail

Window::Window() : hook_(std::make_unique<detail::EventHook>(this)) {}

Window::~Window() {
    QWidget* w = hook_->widget;
    hook_->Unwatch();
    Live().erase(HandleOf(this));
    if (w) {
        auto it = ByWidget().find(w);
        if (it != ByWidget().end() && it->second == this) ByWidget().erase(it);
        if (owned_) delete w;
    }
    if (g_mainWindow == this) g_mainWindow = nullptr;
}

QWidget* Window::Widget() const { return hook_->widget; }

QWidget* Window::CreateControlWidget(QWidget* parent) { return new QWidget(parent); }

void Window::Register(QWidget* w, bool owned) {
    // A widget has one window: a plain one made earlier gives way.
    if (Window* old = FromWidget(w); old && old != this) {
        auto p = Plain().find(w);
        if (p != Plain().end()) {
            p->second->hook_->Unwatch();
            Gone().push_back(std::move(p->second));
            Plain().erase(p);
        } else {
            old->Detach();
        }
    }
    hook_->Watch(w);
    owned_ = owned;
    Live()[HandleOf(this)] = this;
    ByWidget()[w] = this;
}

bool Window::Attach(QWidget* w) {
    if (!w || Widget()) return false;
    Register(w, false);
    return true;
}

bool Window::AttachOwned(QWidget* w) {
    if (!w || Widget()) return false;
    Register(w, true);
    return true;
}

QWidget* Window::Detach() {
    QWidget* w = hook_->widget;
    if (!w) return nullptr;
    hook_->Unwatch();
    Live().erase(HandleOf(this));
    auto it = ByWidget().find(w);
    if (it != ByWidget().end() && it->second == this) ByWidget().erase(it);
    owned_ = false;
    return w;
}

void Window::WidgetGone() {
    const QWidget* w = hook_->widget.data();
    // QPointer is already null inside destroyed(); find the widget by window.
    for (auto it = ByWidget().begin(); it != ByWidget().end(); ++it) {
        if (it->second == this) {
            w = it->first;
            ByWidget().erase(it);
            break;
        }
    }
    OnDestroy();
    hook_->Unwatch();
    Live().erase(HandleOf(this));
    owned_ = false;
    if (w) {
        auto p = Plain().find(w);
        if (p != Plain().end()) {
            Gone().push_back(std::move(p->second));
            Plain().erase(p);
        }
    }
}

bool Window::DestroyWindow() {
    QWidget* w = hook_->widget;
    if (!w) return false;
    OnDestroy();
    Detach();
    delete w;
    return true;
}

std::uintptr_t Window::GetSafeHwnd() const { return IsWindow() ? HandleOf(this) : 0; }

Window* Window::FromHandle(std::uintptr_t handle) {
    if (handle == 0) return nullptr;
    auto it = Live().find(handle);
    return it == Live().end() ? nullptr : it->second;
}

Window* Window::FromWidget(const QWidget* w) {
    if (!w) return nullptr;
    auto it = ByWidget().find(w);
    return it == ByWidget().end() ? nullptr : it->second;
}

Window* Window::FromWidgetPermanent(QWidget* w) {
    if (!w) return nullptr;
    if (Window* found = FromWidget(w)) return found;
    auto win = std::make_unique<Window>();
    win->Attach(w);
    Window* raw = win.get();
    Plain()[w] = std::move(win);
    return raw;
}

int Window::GetDlgCtrlID() const { return detail::ControlId(Widget()); }
void Window::SetDlgCtrlID(int id) { detail::SetControlId(Widget(), id); }

QWidget* Window::GetDlgItemWidget(int id) const { return detail::FindControl(Widget(), id); }

Window* Window::GetDlgItem(int id) const { return FromWidgetPermanent(GetDlgItemWidget(id)); }

Window* Window::GetParent() const {
    QWidget* w = Widget();
    return w ? FromWidgetPermanent(w->parentWidget()) : nullptr;
}

bool Window::SetParent(Window* parent) {
    QWidget* w = Widget();
    if (!w) return false;
    bool hidden = w->isHidden();
    if (parent && parent->Widget()) {
        w->setParent(parent->Widget(), Qt::Widget);
    } else {
        w->setParent(nullptr, Qt::Window);
    }
    if (!hidden) w->show();
    return true;
}

bool Window::ShowWindow(int cmd) {
    QWidget* w = Widget();
    if (!w) return false;
    bool was = !w->isHidden();
    if (cmd == SW_HIDE)
        w->hide();
    else
        w->show();
    return was;
}

bool Window::IsWindowVisible() const { return Widget() && Widget()->isVisible(); }

bool Window::EnableWindow(bool enable) {
    QWidget* w = Widget();
    if (!w) return false;
    bool wasDisabled = !w->isEnabled();
    w->setEnabled(enable);
    return wasDisabled;
}

bool Window::IsWindowEnabled() const { return Widget() && Widget()->isEnabled(); }

void Window::SetFocus() {
    if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
}

Rect Window::GetWindowRect() const {
    QWidget* w = Widget();
    if (!w) return {};
    QRect g = w->isWindow() ? w->frameGeometry() : w->geometry();
    return Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

Rect Window::GetClientRect() const {
    QWidget* w = Widget();
    return w ? Rect{0, 0, w->width(), w->height()} : Rect{};
}

void Window::MoveWindow(const Rect& r, bool repaint) { MoveWindow(r.left, r.top, r.Width(), r.Height(), repaint); }

void Window::MoveWindow(int x, int y, int cx, int cy, bool repaint) {
    QWidget* w = Widget();
    if (!w) return;
    w->setGeometry(x, y, std::max(0, cx), std::max(0, cy));
    if (repaint) w->update();
}

bool Window::SetWindowPos(const Window* insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    QWidget* w = Widget();
    if (!w) return false;
    if (!(flags & SWP_NOMOVE)) w->move(x, y);
    if (!(flags & SWP_NOSIZE)) w->resize(std::max(0, cx), std::max(0, cy));
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter && insertAfter->Widget() && insertAfter->Widget()->parentWidget() == w->parentWidget())
            w->stackUnder(insertAfter->Widget());
        else if (!insertAfter)
            w->raise();
    }
    if (flags & SWP_SHOWWINDOW) w->show();
    if (flags & SWP_HIDEWINDOW) w->hide();
    return true;
}

bool Window::SetWindowPos(ZOrder z, int x, int y, int cx, int cy, unsigned flags) {
    QWidget* w = Widget();
    if (!w) return false;
    if (!SetWindowPos(static_cast<const Window*>(this), x, y, cx, cy, flags | SWP_NOZORDER)) return false;
    if (!(flags & SWP_NOZORDER)) {
        if (z == ZOrder::Top)
            w->raise();
        else
            w->lower();
    }
    return true;
}

Point Window::ClientToScreen(Point p) const {
    QWidget* w = Widget();
    if (!w) return p;
    QPoint g = w->mapToGlobal(QPoint(p.x, p.y));
    return Point{g.x(), g.y()};
}

Point Window::ScreenToClient(Point p) const {
    QWidget* w = Widget();
    if (!w) return p;
    QPoint c = w->mapFromGlobal(QPoint(p.x, p.y));
    return Point{c.x(), c.y()};
}

void Window::SetWindowText(const std::string& text) { detail::SetText(Widget(), text); }
std::string Window::GetWindowText() const { return detail::GetText(Widget()); }
void Window::SetDlgItemText(int id, const std::string& text) { detail::SetText(GetDlgItemWidget(id), text); }
std::string Window::GetDlgItemText(int id) const { return detail::GetText(GetDlgItemWidget(id)); }

void Window::SetFont(const QFont& font) {
    if (QWidget* w = Widget()) w->setFont(font);
}
QFont Window::GetFont() const { return Widget() ? Widget()->font() : QFont(); }

void Window::Invalidate() {
    if (QWidget* w = Widget()) w->update();
}
void Window::UpdateWindow() {
    if (QWidget* w = Widget()) w->repaint();
}

unsigned Window::SetTimer(unsigned id, unsigned milliseconds) {
    if (!Widget()) return 0;
    KillTimer(id);
    auto* t = new QTimer(hook_.get());
    t->setInterval(static_cast<int>(milliseconds));
    QObject::connect(t, &QTimer::timeout, hook_.get(), [this, id] { OnTimer(id); });
    hook_->timers[id] = t;
    t->start();
    return id;
}

bool Window::KillTimer(unsigned id) {
    auto it = hook_->timers.find(id);
    if (it == hook_->timers.end()) return false;
    delete it->second;
    hook_->timers.erase(it);
    return true;
}

void Window::MapCommand(int id, CommandHandler handler) { commands_[id] = std::move(handler); }
void Window::MapNotify(int id, int code, NotifyHandler handler) { notifies_[{id, code}] = std::move(handler); }

std::intptr_t Window::SendNotify(const Notify& n) {
    if (auto it = notifies_.find({n.id, n.code}); it != notifies_.end()) return it->second(n);
    if (n.code == BN_CLICKED) {
        if (auto it = commands_.find(n.id); it != commands_.end()) {
            it->second();
            return 0;
        }
    }
    std::intptr_t result = 0;
    if (OnNotify(n, result)) return result;
    OnCommand(n.id, n.code);
    return 0;
}

std::intptr_t Window::SendCommand(int id, int code) {
    Notify n;
    n.id = id;
    n.code = code;
    return SendNotify(n);
}

void Window::PostCommand(int id, int code) {
    QPointer<QWidget> alive = Widget();
    if (!alive) return;
    QTimer::singleShot(0, hook_.get(), [this, id, code] { SendCommand(id, code); });
}

std::intptr_t Window::NotifyParent(int code) {
    Notify n;
    n.code = code;
    return NotifyParent(n);
}

std::intptr_t Window::NotifyParent(Notify n) {
    QWidget* w = Widget();
    if (!w) return 0;
    n.id = GetDlgCtrlID();
    n.from = this;
    Window* parent = FromWidget(w->parentWidget());
    return parent ? parent->SendNotify(n) : 0;
}

bool Window::OnNotify(const Notify&, std::intptr_t&) { return false; }
bool Window::OnCommand(int, int) { return false; }
void Window::OnSize(unsigned, int, int) {}
void Window::OnTimer(unsigned) {}
bool Window::OnHelpInfo() { return false; }
void Window::OnShowWindow(bool) {}
void Window::OnDestroy() {}
void Window::OnContextMenu(Window*, Point) {}

bool HasWindowSystem() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void SetMainWindow(Window* w) { g_mainWindow = w; }
Window* GetMainWindow() { return g_mainWindow; }

void PumpMessages() {
    Gone().clear();
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    Gone().clear();
}

}  // namespace wl
