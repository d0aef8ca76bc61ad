#include "platform/wl/translate.h"

#include <QComboBox>

#include "platform/lingo/lingo.h"
#include "platform/wl/internal.h"

using wl::detail::FromQt;
using wl::detail::ToQt;

bool LINGO_HWNDTranslate(wl::Window* window, const char* application, const char* section, const char* dialog) {
    QWidget* w = window ? window->Widget() : nullptr;
    if (!w) return false;
    std::string app = application ? application : "";
    std::string sec = section ? section : "";
    std::string dlg = dialog ? dialog : "";
    auto tr = [&](const std::string& text) { return lingo::Translate(app, sec, dlg, text); };
    if (w->isWindow() || wl::detail::ControlKind(w) < 0) {
        std::string caption = FromQt(w->windowTitle());
        if (!caption.empty()) w->setWindowTitle(ToQt(tr(caption)));
    }
    using wl::Kind;
    for (QObject* o : w->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        if (!c || !c->property(wl::detail::kIdProperty).isValid()) continue;
        auto kind = static_cast<Kind>(wl::detail::ControlKind(c));
        switch (kind) {
        case Kind::Static:
        case Kind::Button:
        case Kind::CheckBox:
        case Kind::Radio:
        case Kind::GroupBox: {
            std::string text = wl::detail::GetText(c);
            if (!text.empty()) wl::detail::SetText(c, tr(text));
            break;
        }
        case Kind::Combo:
            if (wl::detail::ControlStyle(c) & wl::kTranslatable) {
                auto* cb = static_cast<QComboBox*>(c);
                for (int i = 0; i < cb->count(); ++i) cb->setItemText(i, ToQt(tr(FromQt(cb->itemText(i)))));
            }
            break;
        default:
            break;
        }
    }
    return true;
}
