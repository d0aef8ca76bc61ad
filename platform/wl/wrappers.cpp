#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTextCursor>
#include <QTreeWidget>

#include "platform/wl/controls.h"
#include "platform/wl/internal.h"

namespace wl {

using detail::FromQt;
using detail::Programmatic;
using detail::ToQt;

namespace {
template <class T>
T* As(const Window* w) {
    return w ? qobject_cast<T*>(w->Widget()) : nullptr;
}
QTabBar* BarOf(const Window* w) {
    QWidget* t = w ? w->Widget() : nullptr;
    return t ? t->findChild<QTabBar*>() : nullptr;
}
int Short(int v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)); }
}  // namespace

// ---- TabCtrl ---------------------------------------------------------------
int TabCtrl::InsertItem(int index, const std::string& text) {
    QTabBar* b = BarOf(this);
    if (!b || index < 0) return -1;
    Programmatic quiet;
    return b->insertTab(std::min(index, b->count()), ToQt(text));
}

bool TabCtrl::DeleteItem(int index) {
    QTabBar* b = BarOf(this);
    if (!b || index < 0 || index >= b->count()) return false;
    Programmatic quiet;
    b->removeTab(index);
    return true;
}

bool TabCtrl::DeleteAllItems() {
    QTabBar* b = BarOf(this);
    if (!b) return false;
    Programmatic quiet;
    while (b->count() > 0) b->removeTab(b->count() - 1);
    return true;
}

int TabCtrl::GetItemCount() const {
    QTabBar* b = BarOf(this);
    return b ? b->count() : 0;
}

std::string TabCtrl::GetItemText(int index) const {
    QTabBar* b = BarOf(this);
    return b && index >= 0 && index < b->count() ? FromQt(b->tabText(index)) : std::string();
}

int TabCtrl::GetCurSel() const {
    QTabBar* b = BarOf(this);
    return b ? b->currentIndex() : -1;
}

int TabCtrl::SetCurSel(int index) {
    QTabBar* b = BarOf(this);
    if (!b || index < 0 || index >= b->count()) return -1;
    int previous = b->currentIndex();
    Programmatic quiet;
    b->setCurrentIndex(index);
    return previous;
}

void TabCtrl::AdjustRect(bool larger, Rect& r) const {
    QTabBar* b = BarOf(this);
    int top = b ? b->sizeHint().height() : 0;
    const int m = 2;  // frame
    if (larger) {
        r = Rect{r.left - m, r.top - top - m, r.right + m, r.bottom + m};
    } else {
        r = Rect{r.left + m, r.top + top + m, r.right - m, r.bottom - m};
    }
}

bool TabCtrl::GetItemRect(int index, Rect& r) const {
    QTabBar* b = BarOf(this);
    if (!b || index < 0 || index >= b->count()) return false;
    const QRect t = b->tabRect(index).translated(b->pos());
    r = Rect{t.left(), t.top(), t.left() + t.width(), t.top() + t.height()};
    return true;
}

int TabCtrl::GetNaturalItemsWidth() const {
    auto* b = dynamic_cast<detail::RowTabBar*>(BarOf(this));
    return b ? b->NaturalWidth() : 0;
}

// ---- TreeCtrl --------------------------------------------------------------
QTreeWidgetItem* TreeCtrl::ItemOf(Item item) const {
    auto it = items_.find(item);
    return it == items_.end() ? nullptr : it->second;
}

TreeCtrl::Item TreeCtrl::HandleOf(const QTreeWidgetItem* item) const {
    return item ? static_cast<Item>(item->data(0, detail::kHandleRole).toLongLong()) : 0;
}

TreeCtrl::Item TreeCtrl::InsertItem(const std::string& text, Item parent, Item after) {
    auto* tree = As<QTreeWidget>(this);
    if (!tree) return 0;
    QTreeWidgetItem* p = parent == kRoot ? nullptr : ItemOf(parent);
    if (parent != kRoot && !p) return 0;
    auto* item = new QTreeWidgetItem(QStringList{ToQt(text)});
    Item h = next_++;
    item->setData(0, detail::kHandleRole, static_cast<qlonglong>(h));
    if (detail::ControlStyle(tree) & kCheckBoxes) item->setCheckState(0, Qt::Unchecked);
    int count = p ? p->childCount() : tree->topLevelItemCount();
    int pos = count;
    if (after == kFirst) {
        pos = 0;
    } else if (after != kLast) {
        QTreeWidgetItem* a = ItemOf(after);
        int i = a ? (p ? p->indexOfChild(a) : tree->indexOfTopLevelItem(a)) : -1;
        if (i >= 0) pos = i + 1;
    }
    Programmatic quiet;
    if (p)
        p->insertChild(pos, item);
    else
        tree->insertTopLevelItem(pos, item);
    items_[h] = item;
    return h;
}

void TreeCtrl::Forget(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) Forget(item->child(i));
    items_.erase(HandleOf(item));
}

bool TreeCtrl::DeleteItem(Item item) {
    QTreeWidgetItem* it = ItemOf(item);
    if (!it) return false;
    Programmatic quiet;
    Forget(it);
    delete it;
    return true;
}

bool TreeCtrl::DeleteAllItems() {
    auto* tree = As<QTreeWidget>(this);
    if (!tree) return false;
    Programmatic quiet;
    tree->clear();
    items_.clear();
    return true;
}

int TreeCtrl::GetCount() const { return static_cast<int>(items_.size()); }

std::string TreeCtrl::GetItemText(Item item) const {
    QTreeWidgetItem* it = ItemOf(item);
    return it ? FromQt(it->text(0)) : std::string();
}

bool TreeCtrl::SetItemText(Item item, const std::string& text) {
    QTreeWidgetItem* it = ItemOf(item);
    if (!it) return false;
    it->setText(0, ToQt(text));
    return true;
}

bool TreeCtrl::SetItemData(Item item, std::intptr_t data) {
    QTreeWidgetItem* it = ItemOf(item);
    if (!it) return false;
    it->setData(0, Qt::UserRole, static_cast<qlonglong>(data));
    return true;
}

std::intptr_t TreeCtrl::GetItemData(Item item) const {
    QTreeWidgetItem* it = ItemOf(item);
    return it ? static_cast<std::intptr_t>(it->data(0, Qt::UserRole).toLongLong()) : 0;
}

bool TreeCtrl::SetCheck(Item item, bool check) {
    QTreeWidgetItem* it = ItemOf(item);
    if (!it) return false;
    Programmatic quiet;
    it->setCheckState(0, check ? Qt::Checked : Qt::Unchecked);
    return true;
}

bool TreeCtrl::GetCheck(Item item) const {
    QTreeWidgetItem* it = ItemOf(item);
    return it && it->checkState(0) == Qt::Checked;
}

bool TreeCtrl::SetItemBold(Item item, bool bold) {
    QTreeWidgetItem* it = ItemOf(item);
    if (!it) return false;
    QFont f = it->font(0);
    f.setBold(bold);
    it->setFont(0, f);
    return true;
}

bool TreeCtrl::IsItemBold(Item item) const {
    QTreeWidgetItem* it = ItemOf(item);
    return it && it->font(0).bold();
}

bool TreeCtrl::Expand(Item item, bool expand) {
    QTreeWidgetItem* it = ItemOf(item);
    if (!it) return false;
    it->setExpanded(expand);
    return true;
}

bool TreeCtrl::EnsureVisible(Item item) {
    auto* tree = As<QTreeWidget>(this);
    QTreeWidgetItem* it = ItemOf(item);
    if (!tree || !it) return false;
    for (QTreeWidgetItem* p = it->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->scrollToItem(it);
    return true;
}

bool TreeCtrl::SelectItem(Item item) {
    auto* tree = As<QTreeWidget>(this);
    if (!tree) return false;
    QTreeWidgetItem* it = item ? ItemOf(item) : nullptr;
    if (item && !it) return false;
    Programmatic quiet;
    tree->setCurrentItem(it);
    return true;
}

TreeCtrl::Item TreeCtrl::GetSelectedItem() const {
    auto* tree = As<QTreeWidget>(this);
    return tree ? HandleOf(tree->currentItem()) : 0;
}

TreeCtrl::Item TreeCtrl::GetRootItem() const {
    auto* tree = As<QTreeWidget>(this);
    return tree && tree->topLevelItemCount() > 0 ? HandleOf(tree->topLevelItem(0)) : 0;
}

TreeCtrl::Item TreeCtrl::GetChildItem(Item item) const {
    QTreeWidgetItem* it = ItemOf(item);
    return it && it->childCount() > 0 ? HandleOf(it->child(0)) : 0;
}

TreeCtrl::Item TreeCtrl::GetNextSiblingItem(Item item) const {
    auto* tree = As<QTreeWidget>(this);
    QTreeWidgetItem* it = ItemOf(item);
    if (!tree || !it) return 0;
    QTreeWidgetItem* p = it->parent();
    int i = p ? p->indexOfChild(it) : tree->indexOfTopLevelItem(it);
    int n = p ? p->childCount() : tree->topLevelItemCount();
    if (i + 1 >= n) return 0;
    return HandleOf(p ? p->child(i + 1) : tree->topLevelItem(i + 1));
}

TreeCtrl::Item TreeCtrl::GetParentItem(Item item) const {
    QTreeWidgetItem* it = ItemOf(item);
    return it ? HandleOf(it->parent()) : 0;
}

TreeCtrl::Item TreeCtrl::HitTest(Point p, unsigned* flags) const {
    auto* tree = As<QTreeWidget>(this);
    if (flags) *flags = kNowhere;
    if (!tree) return 0;
    // Client coordinates of the tree include its frame; items live in the viewport.
    QPoint vp = tree->viewport()->mapFrom(tree, QPoint(p.x, p.y));
    QTreeWidgetItem* it = tree->itemAt(vp);
    if (!it) return 0;
    if (flags) {
        QRect r = tree->visualItemRect(it);
        unsigned f = kOnItemLabel;
        if (vp.x() < r.left()) f = kOnItemIndent;
        if (it->flags() & Qt::ItemIsUserCheckable) {
            QStyleOptionViewItem opt;
            opt.initFrom(tree->viewport());
            opt.rect = r;
            opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
            opt.text = it->text(0);
            QRect check = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, tree);
            if (check.adjusted(-1, -1, 1, 1).contains(vp)) f = kOnItemStateIcon;
        }
        *flags = f;
    }
    return HandleOf(it);
}

bool TreeCtrl::GetItemRect(Item item, Rect& r) const {
    auto* tree = As<QTreeWidget>(this);
    QTreeWidgetItem* it = ItemOf(item);
    if (!tree || !it) return false;
    QRect v = tree->visualItemRect(it);
    if (v.isEmpty()) return false;
    QPoint tl = tree->viewport()->mapTo(tree, v.topLeft());
    r = Rect{tl.x(), tl.y(), tl.x() + v.width(), tl.y() + v.height()};
    return true;
}

void TreeCtrl::SetRedraw(bool redraw) {
    if (QWidget* w = Widget()) {
        w->setUpdatesEnabled(redraw);
        if (redraw) w->update();
    }
}

// ---- SpinButtonCtrl --------------------------------------------------------
void SpinButtonCtrl::SetRange(int lower, int upper) { SetRange32(Short(lower), Short(upper)); }

void SpinButtonCtrl::SetRange32(int lower, int upper) {
    if (auto* u = dynamic_cast<detail::UpDownWidget*>(Widget())) u->SetRange(lower, upper);
}

void SpinButtonCtrl::GetRange(int& lower, int& upper) const {
    auto* u = dynamic_cast<detail::UpDownWidget*>(Widget());
    lower = u ? u->Lower() : 0;
    upper = u ? u->Upper() : 0;
}

int SpinButtonCtrl::SetPos(int pos) {
    auto* u = dynamic_cast<detail::UpDownWidget*>(Widget());
    if (!u) return 0;
    int previous = u->Pos();
    u->SetPos(pos);
    return previous;
}

int SpinButtonCtrl::GetPos() const {
    auto* u = dynamic_cast<detail::UpDownWidget*>(Widget());
    return u ? u->Pos() : 0;
}

Window* SpinButtonCtrl::GetBuddy() const {
    auto* u = dynamic_cast<detail::UpDownWidget*>(Widget());
    return u ? Window::FromWidgetPermanent(u->Buddy()) : nullptr;
}

// ---- ProgressCtrl ----------------------------------------------------------
void ProgressCtrl::SetRange(int lower, int upper) { SetRange32(Short(lower), Short(upper)); }

void ProgressCtrl::SetRange32(int lower, int upper) {
    if (auto* p = As<QProgressBar>(this)) p->setRange(lower, std::max(lower, upper));
}

void ProgressCtrl::GetRange(int& lower, int& upper) const {
    auto* p = As<QProgressBar>(this);
    lower = p ? p->minimum() : 0;
    upper = p ? p->maximum() : 0;
}

int ProgressCtrl::SetPos(int pos) {
    auto* p = As<QProgressBar>(this);
    if (!p) return 0;
    int previous = p->value();
    p->setValue(std::clamp(pos, p->minimum(), p->maximum()));
    return previous;
}

int ProgressCtrl::GetPos() const {
    auto* p = As<QProgressBar>(this);
    return p ? p->value() : 0;
}

int ProgressCtrl::OffsetPos(int delta) { return SetPos(GetPos() + delta); }

int ProgressCtrl::SetStep(int step) {
    int previous = step_;
    step_ = step;
    return previous;
}

int ProgressCtrl::StepIt() { return SetPos(GetPos() + step_); }

// ---- ComboBox --------------------------------------------------------------
int ComboBox::AddString(const std::string& text) {
    auto* c = As<QComboBox>(this);
    if (!c) return -1;
    Programmatic quiet;
    int index = c->currentIndex();
    c->addItem(ToQt(text));
    c->setCurrentIndex(index);
    return c->count() - 1;
}

int ComboBox::InsertString(int index, const std::string& text) {
    auto* c = As<QComboBox>(this);
    if (!c) return -1;
    if (index < 0 || index > c->count()) index = c->count();
    Programmatic quiet;
    int cur = c->currentIndex();
    c->insertItem(index, ToQt(text));
    c->setCurrentIndex(cur >= index && cur >= 0 ? cur + 1 : cur);
    return index;
}

int ComboBox::DeleteString(int index) {
    auto* c = As<QComboBox>(this);
    if (!c || index < 0 || index >= c->count()) return -1;
    Programmatic quiet;
    c->removeItem(index);
    return c->count();
}

void ComboBox::ResetContent() {
    if (auto* c = As<QComboBox>(this)) {
        Programmatic quiet;
        c->clear();
        if (c->isEditable()) c->setEditText(QString());
    }
}

int ComboBox::GetCount() const {
    auto* c = As<QComboBox>(this);
    return c ? c->count() : 0;
}

int ComboBox::GetCurSel() const {
    auto* c = As<QComboBox>(this);
    return c ? c->currentIndex() : -1;
}

int ComboBox::SetCurSel(int index) {
    auto* c = As<QComboBox>(this);
    if (!c) return -1;
    Programmatic quiet;
    if (index < 0 || index >= c->count()) {
        c->setCurrentIndex(-1);
        return -1;
    }
    c->setCurrentIndex(index);
    return index;
}

std::string ComboBox::GetLBText(int index) const {
    auto* c = As<QComboBox>(this);
    return c && index >= 0 && index < c->count() ? FromQt(c->itemText(index)) : std::string();
}

int ComboBox::FindStringExact(int start, const std::string& text) const {
    auto* c = As<QComboBox>(this);
    if (!c) return -1;
    QString t = ToQt(text);
    int n = c->count();
    // Searches after start, round to the beginning; case does not matter.
    for (int k = 1; k <= n; ++k) {
        int i = (start < 0 ? k - 1 : (start + k) % n);
        if (c->itemText(i).compare(t, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

int ComboBox::SelectString(int start, const std::string& prefix) {
    auto* c = As<QComboBox>(this);
    if (!c) return -1;
    QString t = ToQt(prefix);
    int n = c->count();
    for (int k = 1; k <= n; ++k) {
        int i = (start < 0 ? k - 1 : (start + k) % n);
        if (c->itemText(i).startsWith(t, Qt::CaseInsensitive)) return SetCurSel(i);
    }
    return -1;
}

bool ComboBox::SetItemData(int index, std::intptr_t data) {
    auto* c = As<QComboBox>(this);
    if (!c || index < 0 || index >= c->count()) return false;
    c->setItemData(index, static_cast<qlonglong>(data));
    return true;
}

std::intptr_t ComboBox::GetItemData(int index) const {
    auto* c = As<QComboBox>(this);
    if (!c || index < 0 || index >= c->count()) return 0;
    return static_cast<std::intptr_t>(c->itemData(index).toLongLong());
}

// ---- Edit ------------------------------------------------------------------
void Edit::SetSel(int start, int end) {
    if (auto* e = As<QLineEdit>(this)) {
        int len = static_cast<int>(e->text().size());
        if (end < 0 || end > len) end = len;
        start = std::clamp(start, 0, len);
        e->setSelection(start, end - start);
    } else if (auto* p = As<QPlainTextEdit>(this)) {
        QTextCursor c = p->textCursor();
        int len = static_cast<int>(p->toPlainText().size());
        if (end < 0 || end > len) end = len;
        c.setPosition(std::clamp(start, 0, len));
        c.setPosition(end, QTextCursor::KeepAnchor);
        p->setTextCursor(c);
    }
}

void Edit::GetSel(int& start, int& end) const {
    start = end = 0;
    if (auto* e = As<QLineEdit>(this)) {
        if (e->hasSelectedText()) {
            start = e->selectionStart();
            end = start + static_cast<int>(e->selectedText().size());
        } else {
            start = end = e->cursorPosition();
        }
    } else if (auto* p = As<QPlainTextEdit>(this)) {
        start = p->textCursor().selectionStart();
        end = p->textCursor().selectionEnd();
    }
}

void Edit::ReplaceSel(const std::string& text) {
    if (auto* e = As<QLineEdit>(this))
        e->insert(ToQt(text));
    else if (auto* p = As<QPlainTextEdit>(this))
        p->insertPlainText(ToQt(text));
}

void Edit::SetReadOnly(bool readOnly) {
    if (auto* e = As<QLineEdit>(this))
        e->setReadOnly(readOnly);
    else if (auto* p = As<QPlainTextEdit>(this))
        p->setReadOnly(readOnly);
}

void Edit::LimitText(int chars) {
    if (auto* e = As<QLineEdit>(this)) e->setMaxLength(chars > 0 ? chars : 32767);
}

// ---- ListCtrl --------------------------------------------------------------
namespace {
// A fresh list view has one unnamed column; the first InsertColumn takes it.
bool Unused(QTreeWidget* t) { return t->property("wl_columns").toInt() == 0; }
}  // namespace

int ListCtrl::InsertColumn(int index, const std::string& heading, int format, int width) {
    auto* t = As<QTreeWidget>(this);
    if (!t || index < 0) return -1;
    int used = t->property("wl_columns").toInt();
    index = std::min(index, used);
    QTreeWidgetItem* header = t->headerItem();
    if (Unused(t)) {
        header->setText(0, ToQt(heading));
    } else {
        t->setColumnCount(used + 1);
        // Move the columns right of index one step on, in the header and the rows.
        for (int c = used; c > index; --c) header->setText(c, header->text(c - 1));
        for (int r = 0; r < t->topLevelItemCount(); ++r) {
            QTreeWidgetItem* row = t->topLevelItem(r);
            for (int c = used; c > index; --c) row->setText(c, row->text(c - 1));
            row->setText(index, QString());
        }
        header->setText(index, ToQt(heading));
    }
    Qt::Alignment a = format == Right ? Qt::AlignRight : format == Center ? Qt::AlignHCenter : Qt::AlignLeft;
    header->setTextAlignment(index, a | Qt::AlignVCenter);
    t->setProperty("wl_columns", used + 1);
    if (width >= 0) t->setColumnWidth(index, width);
    return index;
}

bool ListCtrl::DeleteColumn(int index) {
    auto* t = As<QTreeWidget>(this);
    int used = t ? t->property("wl_columns").toInt() : 0;
    if (!t || index < 0 || index >= used) return false;
    QTreeWidgetItem* header = t->headerItem();
    for (int c = index; c + 1 < used; ++c) header->setText(c, header->text(c + 1));
    for (int r = 0; r < t->topLevelItemCount(); ++r) {
        QTreeWidgetItem* row = t->topLevelItem(r);
        for (int c = index; c + 1 < used; ++c) row->setText(c, row->text(c + 1));
    }
    t->setColumnCount(std::max(1, used - 1));
    if (used == 1) header->setText(0, QString());
    t->setProperty("wl_columns", used - 1);
    return true;
}

int ListCtrl::GetColumnCount() const {
    auto* t = As<QTreeWidget>(this);
    return t ? t->property("wl_columns").toInt() : 0;
}

bool ListCtrl::SetColumnWidth(int index, int width) {
    auto* t = As<QTreeWidget>(this);
    if (!t || index < 0 || index >= GetColumnCount()) return false;
    t->setColumnWidth(index, width);
    return true;
}

int ListCtrl::GetColumnWidth(int index) const {
    auto* t = As<QTreeWidget>(this);
    return t && index >= 0 && index < GetColumnCount() ? t->columnWidth(index) : 0;
}

int ListCtrl::InsertItem(int index, const std::string& text) {
    auto* t = As<QTreeWidget>(this);
    if (!t || index < 0) return -1;
    index = std::min(index, t->topLevelItemCount());
    auto* row = new QTreeWidgetItem(QStringList{ToQt(text)});
    Programmatic quiet;
    t->insertTopLevelItem(index, row);
    return index;
}

bool ListCtrl::SetItemText(int item, int column, const std::string& text) {
    auto* t = As<QTreeWidget>(this);
    if (!t || item < 0 || item >= t->topLevelItemCount() || column < 0 || column >= std::max(1, GetColumnCount()))
        return false;
    t->topLevelItem(item)->setText(column, ToQt(text));
    return true;
}

std::string ListCtrl::GetItemText(int item, int column) const {
    auto* t = As<QTreeWidget>(this);
    if (!t || item < 0 || item >= t->topLevelItemCount() || column < 0) return {};
    return FromQt(t->topLevelItem(item)->text(column));
}

bool ListCtrl::DeleteItem(int item) {
    auto* t = As<QTreeWidget>(this);
    if (!t || item < 0 || item >= t->topLevelItemCount()) return false;
    Programmatic quiet;
    delete t->takeTopLevelItem(item);
    return true;
}

bool ListCtrl::DeleteAllItems() {
    auto* t = As<QTreeWidget>(this);
    if (!t) return false;
    Programmatic quiet;
    while (t->topLevelItemCount() > 0) delete t->takeTopLevelItem(0);
    return true;
}

int ListCtrl::GetItemCount() const {
    auto* t = As<QTreeWidget>(this);
    return t ? t->topLevelItemCount() : 0;
}

bool ListCtrl::SetItemData(int item, std::intptr_t data) {
    auto* t = As<QTreeWidget>(this);
    if (!t || item < 0 || item >= t->topLevelItemCount()) return false;
    t->topLevelItem(item)->setData(0, Qt::UserRole, static_cast<qlonglong>(data));
    return true;
}

std::intptr_t ListCtrl::GetItemData(int item) const {
    auto* t = As<QTreeWidget>(this);
    if (!t || item < 0 || item >= t->topLevelItemCount()) return 0;
    return static_cast<std::intptr_t>(t->topLevelItem(item)->data(0, Qt::UserRole).toLongLong());
}

int ListCtrl::GetSelectedItem() const {
    auto* t = As<QTreeWidget>(this);
    return t && t->currentItem() ? t->indexOfTopLevelItem(t->currentItem()) : -1;
}

bool ListCtrl::SelectItem(int item) {
    auto* t = As<QTreeWidget>(this);
    if (!t || item >= t->topLevelItemCount()) return false;
    Programmatic quiet;
    t->setCurrentItem(item < 0 ? nullptr : t->topLevelItem(item));
    return true;
}

bool ListCtrl::EnsureVisible(int item) {
    auto* t = As<QTreeWidget>(this);
    if (!t || item < 0 || item >= t->topLevelItemCount()) return false;
    t->scrollToItem(t->topLevelItem(item));
    return true;
}

// ---- ListBox ---------------------------------------------------------------
int ListBox::AddString(const std::string& text) {
    auto* l = As<QListWidget>(this);
    if (!l) return -1;
    Programmatic quiet;
    l->addItem(ToQt(text));
    return l->count() - 1;
}

int ListBox::GetCount() const {
    auto* l = As<QListWidget>(this);
    return l ? l->count() : 0;
}

int ListBox::GetCurSel() const {
    auto* l = As<QListWidget>(this);
    return l ? l->currentRow() : -1;
}

int ListBox::SetCurSel(int index) {
    auto* l = As<QListWidget>(this);
    if (!l) return -1;
    Programmatic quiet;
    if (index < 0 || index >= l->count()) {
        l->setCurrentRow(-1);
        return -1;
    }
    l->setCurrentRow(index);
    return index;
}

std::string ListBox::GetText(int index) const {
    auto* l = As<QListWidget>(this);
    return l && index >= 0 && index < l->count() ? FromQt(l->item(index)->text()) : std::string();
}

void ListBox::ResetContent() {
    if (auto* l = As<QListWidget>(this)) {
        Programmatic quiet;
        l->clear();
    }
}

}  // namespace wl
