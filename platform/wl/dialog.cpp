#include "platform/wl/dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <cmath>

#include "platform/winsys/winsys.h"
#include "platform/wl/internal.h"
#include "platform/wl/ui.h"

namespace wl {

using detail::FromQt;
using detail::ToQt;

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() = default;

bool Dialog::Create(Window* parent) { return Make(parent, false); }

bool Dialog::Create(int templateId, Window* parent) {
    templateId_ = templateId;
    return Make(parent, false);
}

bool Dialog::CreateChild(Window* parent) { return Make(parent, false, true); }

QWidget* Dialog::MakeWidget(QWidget* parent, bool child, bool modal) {
    const DialogTemplate* t = FindTemplate(templateId_);
    if (!t) {
        winsys::MessageBox(winsys::FormatC("Die Dialogvorlage %d ist nicht vorhanden; der Dialog kann nicht geöffnet "
                                           "werden.",
                                           templateId_),
                           "Fehler", winsys::Buttons::Ok, winsys::Icon::Error);
        return nullptr;
    }
    child = child || (!modal && (t->style & kDlgChild) && parent);
    auto* w = new QWidget(parent, child ? Qt::Widget : Qt::Dialog);
    w->setAutoFillBackground(true);
    w->setFont(detail::DialogFont());
    w->setWindowTitle(ToQt(t->caption));
    w->resize(DluToPixelX(t->cx), DluToPixelY(t->cy));
    for (const ControlTemplate& c : t->controls) detail::CreateControl(c, w);
    detail::FinishControls(w);
    return w;
}

bool Dialog::Make(Window* parent, bool modal, bool forceChild) {
    if (IsWindow()) {
        winsys::MessageBox(winsys::FormatC("Der Dialog %d ist bereits geöffnet.", templateId_), "Fehler",
                           winsys::Buttons::Ok, winsys::Icon::Error);
        return false;
    }
    if (!HasWindowSystem()) {
        winsys::MessageBox("Ohne Fenstersystem kann kein Dialog geöffnet werden.", "Fehler", winsys::Buttons::Ok,
                           winsys::Icon::Error);
        return false;
    }
    QWidget* pw = parent ? parent->Widget() : nullptr;
    QWidget* w = MakeWidget(pw, forceChild && pw && !modal, modal);
    if (!w) return false;
    if (modal) w->setWindowModality(Qt::ApplicationModal);
    AttachOwned(w);
    ended_ = false;
    result_ = 0;
    OnInitDialog();
    const DialogTemplate* t = FindTemplate(templateId_);
    bool visible = t && (t->style & kDlgVisible);
    if (!modal && IsWindow()) {
        // A child without the visible style stays hidden when its parent shows.
        if (visible && !ended_)
            w->show();
        else if (w->parentWidget())
            w->hide();
    }
    return IsWindow();
}

int Dialog::DoModal() { return GetUi().RunModal(*this); }

void Dialog::EndDialog(int result) {
    ended_ = true;
    result_ = result;
    if (!inModal_) ShowWindow(SW_HIDE);
}

bool Dialog::BeginModal(Window* owner) {
    inModal_ = true;
    if (!Make(owner, true)) {
        inModal_ = false;
        return false;
    }
    return true;
}

int Dialog::FinishModal() {
    DestroyWindow();
    inModal_ = false;
    return result_;
}

bool Dialog::UpdateData(bool save) {
    if (!IsWindow()) return false;
    DataExchange dx(*this, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Data exchange
// ---------------------------------------------------------------------------
QWidget* DataExchange::Control(int id) {
    if (failed_) return nullptr;
    QWidget* c = detail::FindControl(m_pDlgWnd->Widget(), id);
    if (!c) {
        Fail(0, winsys::FormatC("Das Steuerelement %d fehlt im Dialog %d; die Daten wurden nicht übertragen.", id,
                                m_pDlgWnd->TemplateId()));
    }
    return c;
}

void DataExchange::Fail(int id, const std::string& message) {
    failed_ = true;
    winsys::MessageBox(message, "Eingabe", winsys::Buttons::Ok, winsys::Icon::Warning);
    if (QWidget* c = id > 0 ? detail::FindControl(m_pDlgWnd->Widget(), id) : nullptr) {
        c->setFocus(Qt::OtherFocusReason);
        if (auto* e = qobject_cast<QLineEdit*>(c)) e->selectAll();
    }
}

namespace {

std::string Trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// A control of one of the expected kinds, else the exchange fails.
template <class T>
T* ControlAs(DataExchange& dx, int id, const char* what) {
    QWidget* c = dx.Control(id);
    if (!c) return nullptr;
    T* t = qobject_cast<T*>(c);
    if (!t) {
        dx.Fail(0, winsys::FormatC("Das Steuerelement %d im Dialog %d ist kein %s; die Daten wurden nicht "
                                   "übertragen.",
                                   id, dx.m_pDlgWnd->TemplateId(), what));
    }
    return t;
}

}  // namespace

void DDX_Text(DataExchange& dx, int id, std::string& value) {
    QWidget* c = dx.Control(id);
    if (!c) return;
    if (dx.m_bSaveAndValidate)
        value = detail::GetText(c);
    else
        detail::SetText(c, value);
}

void DDX_Text(DataExchange& dx, int id, int& value) {
    QWidget* c = dx.Control(id);
    if (!c) return;
    if (!dx.m_bSaveAndValidate) {
        detail::SetText(c, winsys::FormatC("%d", value));
        return;
    }
    std::string t = Trimmed(detail::GetText(c));
    size_t used = 0;
    auto v = winsys::ParseInt(t, &used);
    if (!v || used != t.size() || *v < INT32_MIN || *v > INT32_MAX) {
        dx.Fail(id, "Bitte geben Sie eine ganze Zahl ein.");
        return;
    }
    value = static_cast<int>(*v);
}

void DDX_Text(DataExchange& dx, int id, double& value) {
    QWidget* c = dx.Control(id);
    if (!c) return;
    if (!dx.m_bSaveAndValidate) {
        detail::SetText(c, winsys::FormatDoubleC("%lg", value));
        return;
    }
    std::string t = Trimmed(detail::GetText(c));
    for (char& ch : t)
        if (ch == ',') ch = '.';
    size_t used = 0;
    auto v = winsys::ParseDouble(t, &used);
    if (!v || used != t.size() || !std::isfinite(*v)) {
        dx.Fail(id, "Bitte geben Sie eine Zahl ein.");
        return;
    }
    value = *v;
}

void DDX_Check(DataExchange& dx, int id, int& value) {
    auto* b = ControlAs<QAbstractButton>(dx, id, "Kontrollkästchen");
    if (!b) return;
    auto* cb = qobject_cast<QCheckBox*>(b);
    if (dx.m_bSaveAndValidate) {
        if (cb)
            value = cb->checkState() == Qt::Checked ? 1 : cb->checkState() == Qt::PartiallyChecked ? 2 : 0;
        else
            value = b->isChecked() ? 1 : 0;
        return;
    }
    detail::Programmatic quiet;
    if (cb && value == 2) {
        cb->setTristate(true);
        cb->setCheckState(Qt::PartiallyChecked);
    } else {
        b->setChecked(value != 0);
    }
}

namespace {
// The radio buttons of the group that starts at first, in template order.
std::vector<QRadioButton*> RadioGroup(QWidget* first) {
    std::vector<QRadioButton*> group;
    QWidget* dlg = first->parentWidget();
    bool in = false;
    for (QObject* o : dlg->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !w->property(detail::kIdProperty).isValid()) continue;
        if (w == first) {
            in = true;
        } else if (in && (!qobject_cast<QRadioButton*>(w) || (detail::ControlStyle(w) & kGroup))) {
            break;
        }
        if (in) group.push_back(static_cast<QRadioButton*>(w));
    }
    return group;
}
}  // namespace

void DDX_Radio(DataExchange& dx, int id, int& value) {
    auto* first = ControlAs<QRadioButton>(dx, id, "Optionsfeld");
    if (!first) return;
    std::vector<QRadioButton*> group = RadioGroup(first);
    if (dx.m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (group[i]->isChecked()) value = static_cast<int>(i);
        return;
    }
    detail::Programmatic quiet;
    QButtonGroup* bg = first->group();
    if (bg) bg->setExclusive(false);
    for (size_t i = 0; i < group.size(); ++i) group[i]->setChecked(static_cast<int>(i) == value);
    if (bg) bg->setExclusive(true);
}

void DDX_CBIndex(DataExchange& dx, int id, int& value) {
    auto* c = ControlAs<QComboBox>(dx, id, "Kombinationsfeld");
    if (!c) return;
    if (dx.m_bSaveAndValidate) {
        value = c->currentIndex();
        return;
    }
    detail::Programmatic quiet;
    c->setCurrentIndex(value >= 0 && value < c->count() ? value : -1);
}

void DDX_CBString(DataExchange& dx, int id, std::string& value) {
    auto* c = ControlAs<QComboBox>(dx, id, "Kombinationsfeld");
    if (!c) return;
    if (dx.m_bSaveAndValidate) {
        value = FromQt(c->currentText());
        return;
    }
    detail::Programmatic quiet;
    QString v = ToQt(value);
    // The entry of that text, else the first that starts with it.
    int index = c->findText(v, Qt::MatchFixedString);
    if (index < 0) index = c->findText(v, Qt::MatchStartsWith);
    if (index >= 0)
        c->setCurrentIndex(index);
    else if (c->isEditable())
        c->setEditText(v);
}

void DDX_LBIndex(DataExchange& dx, int id, int& value) {
    auto* l = ControlAs<QListWidget>(dx, id, "Listenfeld");
    if (!l) return;
    if (dx.m_bSaveAndValidate) {
        value = l->currentRow();
        return;
    }
    detail::Programmatic quiet;
    l->setCurrentRow(value);
}

void DDX_Slider(DataExchange& dx, int id, int& value) {
    auto* s = ControlAs<QSlider>(dx, id, "Schieberegler");
    if (!s) return;
    if (dx.m_bSaveAndValidate) {
        value = s->value();
        return;
    }
    detail::Programmatic quiet;
    s->setValue(value);
}

void DDX_Control(DataExchange& dx, int id, Window& member) {
    QWidget* c = dx.Control(id);
    if (!c || member.Widget() == c) return;
    QVariant cls = c->property(detail::kClassProperty);
    if (!cls.isValid()) {
        if (member.Widget()) {
            dx.Fail(0, winsys::FormatC("Das Steuerelement %d im Dialog %d ist bereits an ein anderes Fenster "
                                       "gebunden.",
                                       id, dx.m_pDlgWnd->TemplateId()));
            return;
        }
        member.Attach(c);
        return;
    }
    // A custom control: the member's widget takes the placeholder's place.
    QWidget* dlg = c->parentWidget();
    QWidget* w = member.Widget();
    if (!w) {
        w = member.CreateControlWidget(dlg);
        if (!w) {
            dx.Fail(0, winsys::FormatC("Das Steuerelement %d (%s) im Dialog %d konnte nicht angelegt werden.", id,
                                       FromQt(cls.toString()).c_str(), dx.m_pDlgWnd->TemplateId()));
            return;
        }
        member.AttachOwned(w);
    }
    if (w->parentWidget() != dlg) w->setParent(dlg);
    detail::SetControlId(w, id);
    w->setProperty(detail::kClassProperty, cls);
    w->setProperty(detail::kKindProperty, static_cast<int>(Kind::Custom));
    w->setProperty(detail::kStyleProperty, c->property(detail::kStyleProperty));
    w->setGeometry(c->geometry());
    w->setEnabled(c->isEnabled());
    w->stackUnder(c);
    w->setVisible(!c->isHidden());
    QWidget::setTabOrder(c, w);
    delete c;
}

}  // namespace wl
