// Progress of a member-design run: status line, bar and percentage.
//
// CCalcProgressDlg keeps the logic of the progress window (range, step,
// position, percentage text, cancel mark); the window itself is a
// ProgressWindow: by default one opened through the system layer's
// progress-window provider (template 1007 over the application's main
// window). Without a provider (batch runs, tests) the logic runs alone and
// nothing is shown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kernel/ModelRecord.h"

namespace tovik {

// What the window layer offers: a status line (control 1005), a bar
// (control 1003), a percentage text (control 1004), the message pump and
// the owner's enabling.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual bool Create() = 0;  // disables the owner while the window exists
    virtual void Destroy() = 0; // enables the owner again
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetBar(int32_t lower, int32_t upper, int32_t step, int32_t pos) = 0;
    virtual void SetPercentText(const std::string& text) = 0;
    virtual void PumpMessages() = 0;
};

// Installs a maker of progress windows in place of the provider's (nullptr:
// the provider's again).
void SetProgressWindowFactory(std::function<std::unique_ptr<ProgressWindow>()> factory);

class CCalcProgressDlg : public IProgress {
public:
    // Resources of the window: template 1007 (186 x 79 dialog units) with the
    // cancel button "Abbrechen" (id 2), the bar (1003), the percentage (1004,
    // " 0 %" at first) and the status line (1005); caption string 1008.
    static constexpr int32_t kTemplateId = 1007;
    static constexpr int32_t kBarId = 1003;
    static constexpr int32_t kPercentId = 1004;
    static constexpr int32_t kStatusId = 1005;
    static constexpr int32_t kDefaultCaptionId = 1008;
    static constexpr const char* kCaption = "Einen Moment bitte...";
    static constexpr const char* kCancelText = "Abbrechen";

    explicit CCalcProgressDlg(int32_t captionId = 0);
    ~CCalcProgressDlg() override;

    bool Create();
    void DestroyWindow();

    void SetText(const std::string& text) override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override;
    int32_t StepIt() override;
    void OnCancel() { cancelled_ = true; }  // the run does not stop on it

    int32_t Lower() const { return lower_; }
    int32_t Upper() const { return upper_; }
    int32_t Position() const { return pos_; }
    bool Cancelled() const { return cancelled_; }
    const std::string& Text() const { return text_; }
    const std::string& PercentText() const { return percent_; }
    int32_t CaptionId() const { return captionId_; }

    // Percentage shown for a bar position: (pos - lower)*100/(upper - lower),
    // taken modulo 100 unless it is exactly 100; 0 for an empty range.
    static int32_t Percent(int32_t pos, int32_t lower, int32_t upper);

private:
    int32_t captionId_;
    int32_t lower_ = 0;
    int32_t upper_ = 100;
    int32_t step_ = 10;
    int32_t pos_ = 0;
    bool cancelled_ = false;
    std::string text_;
    std::string percent_ = " 0 %";
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace tovik
