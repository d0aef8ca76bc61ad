#include "platform/wl/toolbar.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "platform/winsys/winsys.h"
#include "platform/wl/internal.h"

namespace wl {

struct ToolBar::Impl {
    std::map<int, QAction*> actions;
    std::vector<std::unique_ptr<ComboBox>> combos;
};

ToolBar::ToolBar() : impl_(std::make_unique<Impl>()) {}
ToolBar::~ToolBar() = default;

bool ToolBar::Create(Window* parent, int id) {
    if (IsWindow() || !parent || !parent->Widget()) return false;
    auto* bar = new QToolBar(parent->Widget());
    bar->setFont(detail::DialogFont());
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    detail::SetControlId(bar, id);
    bar->setGeometry(0, 0, parent->Widget()->width(), bar->sizeHint().height());
    bar->show();
    return AttachOwned(bar);
}

void ToolBar::Fit() {
    auto* bar = qobject_cast<QToolBar*>(Widget());
    QWidget* parent = bar ? bar->parentWidget() : nullptr;
    if (bar && parent) bar->setGeometry(bar->x(), bar->y(), parent->width(), bar->sizeHint().height());
}

bool ToolBar::AddButton(int commandId, const QImage& image, const std::string& toolTip, bool check,
                        COLORREF transparent) {
    auto* bar = qobject_cast<QToolBar*>(Widget());
    if (!bar || impl_->actions.count(commandId)) return false;
    QIcon icon;
    if (!image.isNull()) {
        icon.addPixmap(QPixmap::fromImage(MaskedImage(image, transparent)), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(EmbossedImage(image, transparent)), QIcon::Disabled);
    }
    QAction* a = bar->addAction(icon, detail::ToQt(toolTip));
    a->setToolTip(detail::ToQt(toolTip));
    a->setCheckable(check);
    // triggered() comes from the user (and PressButton), not from setChecked.
    QObject::connect(a, &QAction::triggered, bar, [this, commandId] {
        Window* owner = GetParent();
        if (owner) owner->SendCommand(commandId, BN_CLICKED);
    });
    impl_->actions[commandId] = a;
    Fit();
    return true;
}

void ToolBar::AddSeparator() {
    if (auto* bar = qobject_cast<QToolBar*>(Widget())) bar->addSeparator();
    Fit();
}

ComboBox* ToolBar::AddCombo(int id, int width, const std::vector<std::string>& items) {
    auto* bar = qobject_cast<QToolBar*>(Widget());
    if (!bar) return nullptr;
    ControlTemplate spec;
    spec.id = id;
    spec.kind = Kind::Combo;
    spec.items = items;
    QWidget* c = detail::CreateControl(spec, bar);
    c->setFixedWidth(width);
    bar->addWidget(c);
    auto combo = std::make_unique<ComboBox>();
    combo->Attach(c);
    impl_->combos.push_back(std::move(combo));
    Fit();
    return impl_->combos.back().get();
}

bool ToolBar::CheckButton(int commandId, bool check) {
    auto it = impl_->actions.find(commandId);
    if (it == impl_->actions.end() || !it->second->isCheckable()) return false;
    it->second->setChecked(check);
    return true;
}

bool ToolBar::IsButtonChecked(int commandId) const {
    auto it = impl_->actions.find(commandId);
    return it != impl_->actions.end() && it->second->isChecked();
}

bool ToolBar::EnableButton(int commandId, bool enable) {
    auto it = impl_->actions.find(commandId);
    if (it == impl_->actions.end()) return false;
    it->second->setEnabled(enable);
    return true;
}

bool ToolBar::IsButtonEnabled(int commandId) const {
    auto it = impl_->actions.find(commandId);
    return it != impl_->actions.end() && it->second->isEnabled();
}

std::string ToolBar::GetToolTip(int commandId) const {
    auto it = impl_->actions.find(commandId);
    return it == impl_->actions.end() ? std::string() : detail::FromQt(it->second->toolTip());
}

Rect ToolBar::GetItemRect(int commandId) const {
    auto* bar = qobject_cast<QToolBar*>(Widget());
    auto it = impl_->actions.find(commandId);
    if (!bar || it == impl_->actions.end()) return {};
    QRect r = bar->actionGeometry(it->second);
    return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool ToolBar::PressButton(int commandId) {
    auto* bar = qobject_cast<QToolBar*>(Widget());
    auto it = impl_->actions.find(commandId);
    if (!bar || it == impl_->actions.end() || !it->second->isEnabled()) return false;
    if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(it->second))) {
        b->click();
        return true;
    }
    it->second->trigger();
    return true;
}

bool ToolBar::OnNotify(const Notify& n, std::intptr_t& result) {
    // The combos' notifications belong to the bar's owner.
    Window* owner = GetParent();
    result = owner ? owner->SendNotify(n) : 0;
    return true;
}

// ---------------------------------------------------------------------------
namespace {

class AcceleratorFilter : public QObject {
public:
    AcceleratorFilter(Window& target, std::vector<std::pair<QKeySequence, int>> keys, QObject* parent)
        : QObject(parent), target_(target), keys_(std::move(keys)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        QKeySequence pressed(k->keyCombination());
        for (auto& [seq, command] : keys_) {
            if (seq.matches(pressed) == QKeySequence::ExactMatch) {
                target_.SendCommand(command, 0);
                return true;
            }
        }
        return false;
    }

private:
    Window& target_;
    std::vector<std::pair<QKeySequence, int>> keys_;
};

}  // namespace

bool SetAccelerators(Window& target, const std::vector<Accelerator>& table) {
    QWidget* w = target.Widget();
    if (!w) return false;
    std::vector<std::pair<QKeySequence, int>> keys;
    for (const Accelerator& a : table) {
        QKeySequence seq = QKeySequence::fromString(detail::ToQt(a.keys), QKeySequence::PortableText);
        if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown || seq[0].key() == 0) {
            winsys::MessageBox("Die Tastenkombination '" + a.keys + "' ist unbekannt; die Tastenkürzel bleiben, wie "
                               "sie waren.",
                               "Fehler", winsys::Buttons::Ok, winsys::Icon::Error);
            return false;
        }
        keys.emplace_back(seq, a.command);
    }
    static const QString kName = QStringLiteral("wl_accelerators");
    if (QObject* old = w->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly)) {
        w->removeEventFilter(old);
        delete old;
    }
    auto* f = new AcceleratorFilter(target, std::move(keys), w);
    f->setObjectName(kName);
    w->installEventFilter(f);
    return true;
}

}  // namespace wl
