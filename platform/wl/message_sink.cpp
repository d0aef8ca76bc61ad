#include "platform/wl/message_sink.h"

#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "platform/wl/internal.h"
#include "platform/wl/window.h"

namespace wl {

int QtMessageSink::Show(const winsys::Message& m) {
    using winsys::Buttons;
    using winsys::Icon;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (m.icon) {
    case Icon::Information: icon = QMessageBox::Information; break;
    case Icon::Warning: icon = QMessageBox::Warning; break;
    case Icon::Error: icon = QMessageBox::Critical; break;
    case Icon::Question: icon = QMessageBox::Question; break;
    case Icon::None: break;
    }
    Window* main = GetMainWindow();
    QMessageBox box(icon, detail::ToQt(m.caption), detail::ToQt(m.text), QMessageBox::NoButton,
                    main ? main->Widget() : nullptr);
    struct B {
        const char* text;
        QMessageBox::ButtonRole role;
        int answer;
    };
    std::vector<B> buttons;
    switch (m.buttons) {
    case Buttons::Ok: buttons = {{"OK", QMessageBox::AcceptRole, winsys::IdOk}}; break;
    case Buttons::OkCancel:
        buttons = {{"OK", QMessageBox::AcceptRole, winsys::IdOk}, {"Abbrechen", QMessageBox::RejectRole, winsys::IdCancel}};
        break;
    case Buttons::YesNo:
        buttons = {{"Ja", QMessageBox::YesRole, winsys::IdYes}, {"Nein", QMessageBox::NoRole, winsys::IdNo}};
        break;
    case Buttons::YesNoCancel:
        buttons = {{"Ja", QMessageBox::YesRole, winsys::IdYes},
                   {"Nein", QMessageBox::NoRole, winsys::IdNo},
                   {"Abbrechen", QMessageBox::RejectRole, winsys::IdCancel}};
        break;
    case Buttons::RetryCancel:
        buttons = {{"Wiederholen", QMessageBox::AcceptRole, winsys::IdRetry},
                   {"Abbrechen", QMessageBox::RejectRole, winsys::IdCancel}};
        break;
    }
    std::vector<std::pair<QPushButton*, int>> made;
    for (const B& b : buttons) made.emplace_back(box.addButton(QString::fromUtf8(b.text), b.role), b.answer);
    box.setDefaultButton(made.front().first);
    // Escape (and the close box) answer with the cancelling button, or the
    // only one.
    box.setEscapeButton(made.back().first);
    box.exec();
    for (auto& [button, answer] : made)
        if (box.clickedButton() == button) return answer;
    return made.back().second;
}

}  // namespace wl
