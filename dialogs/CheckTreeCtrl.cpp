#include "dialogs/CheckTreeCtrl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// An item's row: a small lead, the check zone, then the text.
constexpr int kLead = 2;
constexpr int kBox = 11;  // the box drawn inside the zone

int TextLeft(const QRect& item) { return item.left() + kLead + CCheckTreeCtrl::kCheckZone; }

// Draws the boxes in the check zone and keeps the view from toggling them
// itself: only the tree's own click handling toggles a box.
class CheckZoneDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const bool hasBox = (opt.features & QStyleOptionViewItem::HasCheckIndicator) != 0;
        const Qt::CheckState state = opt.checkState;
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        const QRect item = opt.rect;
        opt.rect.setLeft(TextLeft(item));
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        if (!hasBox) return;
        QStyleOptionViewItem box;
        box.initFrom(opt.widget);
        box.rect = QRect(item.left() + kLead, item.top() + (item.height() - kBox) / 2, kBox, kBox);
        box.state = (option.state & QStyle::State_Enabled) | QStyle::State_Enabled;
        box.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        box.features = QStyleOptionViewItem::HasCheckIndicator;
        box.checkState = state;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, opt.widget);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        QSize s = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), opt.widget);
        return {s.width() + kLead + CCheckTreeCtrl::kCheckZone, std::max(s.height(), kBox + 4)};
    }

protected:
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&) override {
        return false;
    }
};

}  // namespace

// Lets the tree take each left-button press first, then hands the point on.
class CCheckTreeCtrl::Hook : public QObject {
public:
    explicit Hook(CCheckTreeCtrl& owner) : m_owner(owner) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress || m_inside) return false;
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton) return false;
        auto* viewport = qobject_cast<QWidget*>(watched);
        auto* tree = viewport ? qobject_cast<QTreeWidget*>(viewport->parentWidget()) : nullptr;
        if (!tree) return false;
        const QPoint p = viewport->mapTo(tree, me->position().toPoint());
        m_inside = true;
        QCoreApplication::sendEvent(viewport, event);
        m_inside = false;
        m_owner.OnLButtonDown({p.x(), p.y()});
        return true;
    }

private:
    CCheckTreeCtrl& m_owner;
    bool m_inside = false;
};

CCheckTreeCtrl::CCheckTreeCtrl() = default;

CCheckTreeCtrl::~CCheckTreeCtrl() = default;

bool CCheckTreeCtrl::SubclassDlgItem(int id, wl::Dialog& parent) {
    if (m_hook) return true;
    wl::DataExchange dx(parent, false);
    wl::DDX_Control(dx, id, *this);
    auto* tree = qobject_cast<QTreeWidget*>(Widget());
    if (dx.Failed() || !tree) return false;
    m_hook = std::make_unique<Hook>(*this);
    tree->setItemDelegate(new CheckZoneDelegate(tree));
    tree->viewport()->installEventFilter(m_hook.get());
    return true;
}

bool CCheckTreeCtrl::GetItemTextRect(Item item, wl::Rect& r) const {
    auto* tree = qobject_cast<QTreeWidget*>(Widget());
    QTreeWidgetItem* it = ItemOf(item);
    if (!tree || !it) return false;
    const QRect v = tree->visualItemRect(it);
    if (v.isEmpty()) return false;
    const QPoint tl = tree->viewport()->mapTo(tree, QPoint(TextLeft(v), v.top()));
    r = {tl.x(), tl.y(), tl.x() + v.right() + 1 - TextLeft(v), tl.y() + v.height()};
    return true;
}

bool CCheckTreeCtrl::GetItemCheckRect(Item item, wl::Rect& r) const {
    wl::Rect text;
    if (!GetItemTextRect(item, text)) return false;
    r = {text.left - kCheckZone, text.top, text.left, text.bottom};
    return true;
}

void CCheckTreeCtrl::OnLButtonDown(wl::Point p) {
    const Item item = HitTest(p);
    wl::Rect zone;
    if (!item || !GetItemCheckRect(item, zone) || !zone.Contains(p)) return;
    const bool state = !GetCheck(item);
    SetCheck(item, state);
    OnCheckToggled(item, state ? 1 : 0);
}

void CCheckTreeCtrl::OnCheckToggled(Item, int) {}
