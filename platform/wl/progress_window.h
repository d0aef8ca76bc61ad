// The progress windows of a program with windows: the provider through
// which the progress logic of the module (report writing, the editor's
// calculation, the crane runway) and of the calculation kernel opens its
// window. Any registered dialog template can be opened; its button 2 only
// marks the wish to stop, Enter does nothing. The window host installs it
// beside the message service's dialog; without it nothing is shown.
//
// The kernel's own window, template 1007, is registered here: the kernel
// library carries no window code.
#pragma once

#include "platform/winsys/winsys.h"
#include "platform/wl/api.h"

namespace wl {

// The kernel's calculation window: status line, bar, percentage and cancel
// button; its caption is string 1008.
inline constexpr int kCalcProgressTemplate = 1007;
inline constexpr int kCalcProgressCaptionId = 1008;

class WL_API QtProgressProvider : public winsys::ProgressWindowProvider {
public:
    std::uintptr_t SafeOwner(std::uintptr_t parent) override;
    bool IsWindowEnabled(std::uintptr_t window) override;
    void EnableWindow(std::uintptr_t window, bool enable) override;
    std::unique_ptr<winsys::ProgressWindow> Open(int templateId, std::uintptr_t owner,
                                                 const winsys::TranslationNames& names) override;
};

// The one provider of the process.
WL_API QtProgressProvider& ProgressProvider();
// Installs it as the system layer's provider (once; later calls keep it).
WL_API void InstallProgressWindows();
// Removes it again when it is the installed one.
WL_API void RemoveProgressWindows();

}  // namespace wl
