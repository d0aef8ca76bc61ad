#include "graphics/ProgressWindows.h"

#include <QProgressBar>
#include <QWindow>

#include "graphics/core/ProgressDlg.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/dialog.h"
#include "platform/wl/templates.h"

namespace graphics {

namespace {

using wl::Kind;

// The progress window's template: cancel button, bar, percentage and the
// line of text.
const wl::TemplateRegistrar kTemplates({
    {CProgressDlg::kTemplateId, "", 220, 62, 0,
     {
         {CProgressDlg::kTextId, Kind::Static, "", 7, 7, 206, 10},
         {CProgressDlg::kBarId, Kind::Progress, "", 7, 21, 170, 12},
         {CProgressDlg::kPercentId, Kind::Static, " 0 %", 182, 23, 31, 10, wl::kRight},
         {CProgressDlg::kCancelId, Kind::Button, "Abbrechen", 163, 41, 50, 14},
     }},
});

// The window: its cancel button (and Escape, and the close box) only marks
// the wish to stop; Enter does nothing.
class ProgressDialog : public wl::Dialog {
public:
    ProgressDialog() : wl::Dialog(CProgressDlg::kTemplateId) {}
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
    void Pump() override { wl::PumpMessages(); }

private:
    std::unique_ptr<ProgressDialog> dlg_;
};

class QtProgressProvider : public winsys::ProgressWindowProvider {
public:
    std::uintptr_t SafeOwner(std::uintptr_t parent) override {
        wl::Window* w = wl::Window::FromHandle(parent);
        if (w && w->Widget()) {
            if (wl::Window* top = wl::Window::FromWidget(w->Widget()->window())) return top->GetSafeHwnd();
            return w->GetSafeHwnd();
        }
        wl::Window* main = wl::GetMainWindow();
        return main ? main->GetSafeHwnd() : 0;
    }
    bool IsWindowEnabled(std::uintptr_t window) override {
        wl::Window* w = wl::Window::FromHandle(window);
        return w && w->IsWindowEnabled();
    }
    void EnableWindow(std::uintptr_t window, bool enable) override {
        if (wl::Window* w = wl::Window::FromHandle(window)) w->EnableWindow(enable);
    }
    std::unique_ptr<winsys::ProgressWindow> Open(int templateId, std::uintptr_t owner,
                                                 const winsys::TranslationNames& names) override {
        if (!wl::HasWindowSystem() || templateId != CProgressDlg::kTemplateId) return nullptr;
        auto dlg = std::make_unique<ProgressDialog>();
        // Not a child of the owner: the owner is disabled while the window
        // lives, and a disabled parent would disable its cancel button too.
        if (!dlg->Create(nullptr)) return nullptr;
        wl::Window* ownerWin = wl::Window::FromHandle(owner);
        if (ownerWin && ownerWin->Widget() && ownerWin->Widget()->window()->windowHandle()) {
            dlg->Widget()->winId();
            if (QWindow* handle = dlg->Widget()->windowHandle())
                handle->setTransientParent(ownerWin->Widget()->window()->windowHandle());
        }
        // The whole window is translated: caption and the texts of its controls.
        for (int id : {CProgressDlg::kCancelId, CProgressDlg::kPercentId, CProgressDlg::kTextId}) {
            const std::string text = dlg->GetDlgItemText(id);
            if (!text.empty())
                dlg->SetDlgItemText(id, lingo::Translate(names.application, names.section, names.dialog, text));
        }
        dlg->ShowWindow(wl::SW_SHOW);
        return std::make_unique<QtProgressWindow>(std::move(dlg));
    }
};

QtProgressProvider g_provider;

}  // namespace

void InstallProgressWindows() { winsys::SetProgressWindowProvider(&g_provider); }

void RemoveProgressWindows() {
    if (winsys::GetProgressWindowProvider() == &g_provider) winsys::SetProgressWindowProvider(nullptr);
}

}  // namespace graphics
