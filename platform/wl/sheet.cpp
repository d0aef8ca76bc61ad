#include "platform/wl/sheet.h"

#include <QPushButton>
#include <QTabBar>

#include "platform/wl/internal.h"

namespace wl {

PropertyPage::PropertyPage(int templateId, std::string title) : Dialog(templateId), title_(std::move(title)) {}

std::string PropertyPage::Title() const {
    if (!title_.empty()) return title_;
    const DialogTemplate* t = FindTemplate(TemplateId());
    return t ? t->caption : std::string();
}

bool PropertyPage::OnSetActive() { return true; }
bool PropertyPage::OnKillActive() { return UpdateData(true); }

bool PropertyPage::OnCommand(int id, int code) {
    if (code == BN_CLICKED && (id == IDOK || id == IDCANCEL) && sheet_) {
        sheet_->SendCommand(id, code);
        return true;
    }
    return Dialog::OnCommand(id, code);
}

PropertySheet::PropertySheet(std::string caption, int scriptId) : Dialog(scriptId), caption_(std::move(caption)) {}

void PropertySheet::AddPage(PropertyPage* page) {
    if (!page) return;
    page->sheet_ = this;
    pages_.push_back(page);
    if (tab_.IsWindow()) tab_.InsertItem(tab_.GetItemCount(), page->Title());
}

PropertyPage* PropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

int PropertySheet::GetActiveIndex() const { return active_; }

namespace {
const int kMargin = 7;      // pixels around the tab row
const int kButtonW = 75, kButtonH = 23, kGap = 6;
}  // namespace

QWidget* PropertySheet::MakeWidget(QWidget* parent, bool, bool) {
    // The page area is as large as the largest page.
    int w = 200, h = 100;
    for (PropertyPage* p : pages_) {
        if (const DialogTemplate* t = FindTemplate(p->TemplateId())) {
            w = std::max(w, DluToPixelX(t->cx));
            h = std::max(h, DluToPixelY(t->cy));
        }
    }
    auto* dlg = new QWidget(parent, Qt::Dialog);
    dlg->setAutoFillBackground(true);
    dlg->setFont(detail::DialogFont());
    dlg->setWindowTitle(detail::ToQt(caption_));
    ControlTemplate tabSpec;
    tabSpec.id = kTabId;
    tabSpec.kind = Kind::Tab;
    QWidget* tab = detail::CreateControl(tabSpec, dlg);
    auto* bar = tab->findChild<QTabBar*>();
    int barH = bar ? bar->sizeHint().height() : 20;
    for (PropertyPage* p : pages_) bar->addTab(detail::ToQt(p->Title()));
    tab->setGeometry(kMargin, kMargin, w + 4, h + barH + 4);
    int width = w + 4 + 2 * kMargin;
    int buttonsTop = kMargin + h + barH + 4 + kGap;
    struct B {
        int id;
        const char* text;
    };
    int x = width - kMargin - 2 * kButtonW - kGap;
    for (B b : {B{IDOK, "OK"}, B{IDCANCEL, "Abbrechen"}}) {
        ControlTemplate spec;
        spec.id = b.id;
        spec.kind = Kind::Button;
        spec.text = b.text;
        spec.style = b.id == IDOK ? kDefault : 0;
        QWidget* button = detail::CreateControl(spec, dlg);
        button->setGeometry(x, buttonsTop, kButtonW, kButtonH);
        x += kButtonW + kGap;
    }
    dlg->resize(width, buttonsTop + kButtonH + kMargin);
    tab_.Attach(tab);
    return dlg;
}

bool PropertySheet::OnInitDialog() {
    active_ = -1;
    if (!pages_.empty()) {
        tab_.SetCurSel(0);
        Activate(0);
    }
    return true;
}

bool PropertySheet::Activate(int index) {
    PropertyPage* page = GetPage(index);
    if (!page) return false;
    if (!page->IsWindow()) {
        // The page's window is made now, at the tab's display area.
        if (!page->CreateChild(this)) return false;
        Rect r = tab_.GetWindowRect();
        tab_.AdjustRect(false, r);
        page->MoveWindow(r);
    }
    if (PropertyPage* old = GetPage(active_); old && old != page && old->IsWindow()) old->ShowWindow(SW_HIDE);
    page->ShowWindow(SW_SHOW);
    active_ = index;
    page->OnSetActive();
    return true;
}

bool PropertySheet::SetActivePage(int index) {
    PropertyPage* old = GetPage(active_);
    if (!GetPage(index)) return false;
    if (old && old->IsWindow() && index != active_ && !old->OnKillActive()) return false;
    tab_.SetCurSel(index);
    return Activate(index);
}

bool PropertySheet::OnNotify(const Notify& n, std::intptr_t& result) {
    if (n.id != kTabId || n.code != TCN_SELCHANGE) return false;
    result = 0;
    int wanted = tab_.GetCurSel();
    PropertyPage* old = GetPage(active_);
    if (old && old->IsWindow() && !old->OnKillActive()) {
        tab_.SetCurSel(active_);  // the old page keeps the front
        return true;
    }
    Activate(wanted);
    return true;
}

void PropertySheet::OnOK() {
    for (int i = 0; i < GetPageCount(); ++i) {
        PropertyPage* p = GetPage(i);
        if (!p->IsWindow()) continue;
        if (!p->UpdateData(true)) {
            tab_.SetCurSel(i);
            Activate(i);
            return;
        }
    }
    EndDialog(IDOK);
}

}  // namespace wl
