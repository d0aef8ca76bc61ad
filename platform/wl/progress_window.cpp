#include "platform/wl/progress_window.h"

#include <QProgressBar>
#include <QWindow>

#include "platform/lingo/lingo.h"
#include "platform/wl/dialog.h"
#include "platform/wl/templates.h"

namespace wl {

namespace {

constexpr int kCancelId = 2;

// The kernel's calculation window (186 x 79 dialog units): status line,
// percentage above the bar, the default button "Abbrechen".
const TemplateRegistrar kTemplates({
    {kCalcProgressTemplate, "", 186, 79, 0,
     {
         {1005, Kind::Static, "", 13, 7, 158, 8},
         {1004, Kind::Static, " 0 %", 85, 23, 18, 8},
         {1003, Kind::Progress, "", 15, 34, 154, 13},
         {kCancelId, Kind::Button, "Abbrechen", 67, 58, 50, 14, kDefault},
     }},
});

// The window: its cancel button (and Escape, and the close box) only marks
// the wish to stop; Enter does nothing.
class ProgressDialog : public Dialog {
public:
    explicit ProgressDialog(int templateId) : Dialog(templateId) {}
    const char* ClassName() const override { return "ProgressDialog"; }
    bool cancelled = false;

protected:
    void OnOK() override {}
    void OnCancel() override { cancelled = true; }
};

class QtProgressWindow : public winsys::ProgressWindow {
public:
    explicit QtProgressWindow(std::unique_ptr<ProgressDialog> dlg) : dlg_(std::move(dlg)) {}
    ~QtProgressWindow() override { dlg_->DestroyWindow(); }
    void SetCaption(const std::string& text) override { dlg_->SetWindowText(text); }
    void SetItemText(int id, const std::string& text) override { dlg_->SetDlgItemText(id, text); }
    std::string GetItemText(int id) const override { return dlg_->GetDlgItemText(id); }
    void SetBar(int id, int32_t lower, int32_t upper, int32_t pos) override {
        if (auto* bar = qobject_cast<QProgressBar*>(dlg_->GetDlgItemWidget(id))) {
            bar->setRange(lower, upper);
            bar->setValue(pos);
        }
    }
    bool CancelPressed() const override { return dlg_->cancelled; }
    void Pump() override { PumpMessages(); }

private:
    std::unique_ptr<ProgressDialog> dlg_;
};

}  // namespace

std::uintptr_t QtProgressProvider::SafeOwner(std::uintptr_t parent) {
    Window* w = Window::FromHandle(parent);
    if (w && w->Widget()) {
        if (Window* top = Window::FromWidget(w->Widget()->window())) return top->GetSafeHwnd();
        return w->GetSafeHwnd();
    }
    Window* main = GetMainWindow();
    return main ? main->GetSafeHwnd() : 0;
}

bool QtProgressProvider::IsWindowEnabled(std::uintptr_t window) {
    Window* w = Window::FromHandle(window);
    return w && w->IsWindowEnabled();
}

void QtProgressProvider::EnableWindow(std::uintptr_t window, bool enable) {
    if (Window* w = Window::FromHandle(window)) w->EnableWindow(enable);
}

std::unique_ptr<winsys::ProgressWindow> QtProgressProvider::Open(int templateId, std::uintptr_t owner,
                                                                 const winsys::TranslationNames& names) {
    const DialogTemplate* t = FindTemplate(templateId);
    if (!HasWindowSystem() || !t) return nullptr;
    auto dlg = std::make_unique<ProgressDialog>(templateId);
    // Not a child of the owner: the owner is disabled while the window
    // lives, and a disabled parent would disable its cancel button too.
    if (!dlg->Create(nullptr)) return nullptr;
    Window* ownerWin = Window::FromHandle(owner);
    if (ownerWin && ownerWin->Widget() && ownerWin->Widget()->window()->windowHandle()) {
        dlg->Widget()->winId();
        if (QWindow* handle = dlg->Widget()->windowHandle())
            handle->setTransientParent(ownerWin->Widget()->window()->windowHandle());
    }
    // The whole window is translated: the texts of its controls (the caption
    // comes from the progress logic, translated there).
    for (const ControlTemplate& c : t->controls) {
        const std::string text = dlg->GetDlgItemText(c.id);
        if (!text.empty()) dlg->SetDlgItemText(c.id, lingo::Translate(names.application, names.section, names.dialog, text));
    }
    dlg->ShowWindow(SW_SHOW);
    return std::make_unique<QtProgressWindow>(std::move(dlg));
}

QtProgressProvider& ProgressProvider() {
    static QtProgressProvider provider;
    return provider;
}

void InstallProgressWindows() { winsys::SetProgressWindowProvider(&ProgressProvider()); }

void RemoveProgressWindows() {
    if (winsys::GetProgressWindowProvider() == &ProgressProvider()) winsys::SetProgressWindowProvider(nullptr);
}

}  // namespace wl
