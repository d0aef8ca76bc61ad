#include "kernel/CalcProgress.h"

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace tovik {

namespace {

// The window from the system layer's progress-window provider (installed by
// a program with windows). Its owner is the application's main window: it
// is disabled while the window lives, and enabled again only when this
// window disabled it.
class ProviderWindow : public ProgressWindow {
public:
    explicit ProviderWindow(winsys::ProgressWindowProvider* provider) : provider_(provider) {}
    ~ProviderWindow() override { Destroy(); }

    bool Create() override {
        owner_ = provider_->SafeOwner(0);
        if (owner_ != 0 && provider_->IsWindowEnabled(owner_)) {
            provider_->EnableWindow(owner_, false);
            ownerDisabled_ = true;
        }
        window_ = provider_->Open(CCalcProgressDlg::kTemplateId, owner_, kNames);
        if (!window_) {
            EnableOwner();
            return false;
        }
        window_->SetCaption(lingo::Translate(kNames.application, kNames.section, kNames.dialog,
                                             CCalcProgressDlg::kCaption));
        return true;
    }
    void Destroy() override {
        EnableOwner();
        window_.reset();
    }
    void SetStatusText(const std::string& text) override {
        if (window_) window_->SetItemText(CCalcProgressDlg::kStatusId, text);
    }
    void SetBar(int32_t lower, int32_t upper, int32_t, int32_t pos) override {
        if (window_) window_->SetBar(CCalcProgressDlg::kBarId, lower, upper, pos);
    }
    void SetPercentText(const std::string& text) override {
        if (window_) window_->SetItemText(CCalcProgressDlg::kPercentId, text);
    }
    void PumpMessages() override {
        if (window_) window_->Pump();
    }

private:
    static inline const winsys::TranslationNames kNames{"VKT Eingabe", "velor_i_rigel", "CalcProgressDlg"};

    void EnableOwner() {
        if (ownerDisabled_) provider_->EnableWindow(owner_, true);
        ownerDisabled_ = false;
    }

    winsys::ProgressWindowProvider* provider_;
    std::uintptr_t owner_ = 0;
    bool ownerDisabled_ = false;
    std::unique_ptr<winsys::ProgressWindow> window_;
};

std::function<std::unique_ptr<ProgressWindow>()>& Factory() {
    static std::function<std::unique_ptr<ProgressWindow>()> f;
    return f;
}

// Without a factory of its own the kernel asks the installed provider; with
// none (batch runs, tests) there is no window.
std::unique_ptr<ProgressWindow> MakeWindow() {
    if (Factory()) return Factory()();
    winsys::ProgressWindowProvider* provider = winsys::GetProgressWindowProvider();
    if (!provider) return nullptr;
    return std::make_unique<ProviderWindow>(provider);
}

}  // namespace

void SetProgressWindowFactory(std::function<std::unique_ptr<ProgressWindow>()> factory) {
    Factory() = std::move(factory);
}

CCalcProgressDlg::CCalcProgressDlg(int32_t captionId)
    : captionId_(captionId == 0 ? kDefaultCaptionId : captionId) {}

CCalcProgressDlg::~CCalcProgressDlg() { DestroyWindow(); }

bool CCalcProgressDlg::Create() {
    window_ = MakeWindow();
    if (!window_) return true;  // no window layer: the logic runs alone
    if (!window_->Create()) {
        window_.reset();
        return false;
    }
    window_->SetBar(lower_, upper_, step_, lower_);
    pos_ = lower_;
    return true;
}

void CCalcProgressDlg::DestroyWindow() {
    if (window_) {
        window_->Destroy();
        window_.reset();
    }
}

void CCalcProgressDlg::SetText(const std::string& text) {
    text_ = text;
    if (window_) window_->SetStatusText(text);
}

void CCalcProgressDlg::SetRange(int32_t lower, int32_t upper) {
    lower_ = lower;
    upper_ = upper;
    if (window_) window_->SetBar(lower_, upper_, step_, pos_);
}

void CCalcProgressDlg::SetStep(int32_t step) {
    step_ = step;
    if (window_) window_->SetBar(lower_, upper_, step_, pos_);
}

int32_t CCalcProgressDlg::Percent(int32_t pos, int32_t lower, int32_t upper) {
    const int64_t span = static_cast<int64_t>(upper) - lower;
    if (span == 0) return 0;
    int64_t p = (static_cast<int64_t>(pos) - lower) * 100 / span;
    if (p != 100) p %= 100;
    return static_cast<int32_t>(p);
}

int32_t CCalcProgressDlg::StepIt() {
    if (window_) window_->PumpMessages();
    const int32_t previous = pos_;
    const int64_t next = static_cast<int64_t>(pos_) + step_;
    // The percentage follows the unwrapped position; the bar wraps to its
    // start when stepped past its end.
    const int32_t p = Percent(static_cast<int32_t>(next), lower_, upper_);
    const int64_t span = static_cast<int64_t>(upper_) - lower_;
    if (next > upper_ && span > 0)
        pos_ = static_cast<int32_t>(lower_ + (next - lower_) % span);
    else
        pos_ = static_cast<int32_t>(next);
    if (window_) window_->SetBar(lower_, upper_, step_, pos_);
    const std::string text = winsys::FormatC("%d%c", p, '%');
    if (text != percent_) {
        percent_ = text;
        if (window_) window_->SetPercentText(text);
    }
    return previous;
}

}  // namespace tovik
