// CProgressDlg: the modeless progress window of long runs (report writing,
// the editor's calculation). It keeps the range, step, position, percentage
// text and cancel flag itself; the window comes from the progress-window
// provider of the system layer, so the same logic runs without windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace winsys {
class ProgressWindow;
}

class CProgressDlg {
public:
    // The window's template and its controls.
    static constexpr int kTemplateId = 504;
    static constexpr int kCancelId = 2;
    static constexpr int kBarId = 11000;
    static constexpr int kPercentId = 11001;
    static constexpr int kTextId = 11002;
    static constexpr uint32_t kDefaultCaptionId = 505;
    // Caption strings in use.
    static constexpr uint32_t kReportCaptionId = 41004;     // "Fortschrittsanzeige"
    static constexpr uint32_t kCalculateCaptionId = 40051;  // "Berechne aktuelles Dokument"

    explicit CProgressDlg(uint32_t captionId = 0);
    virtual ~CProgressDlg();
    CProgressDlg(const CProgressDlg&) = delete;
    CProgressDlg& operator=(const CProgressDlg&) = delete;

    // Disables the parent's owner while the window lives and opens the
    // window. 1 on success (also when no windows can be shown: the logic
    // then runs alone), 0 when the window could not be made (the owner is
    // left as it was).
    int Create(std::uintptr_t parent = 0);
    // Enables the owner again when Create disabled it, closes the window.
    bool DestroyWindow();

    void SetRange(int32_t lower, int32_t upper);
    void SetStep(int32_t step);
    void SetText(const std::string& text);
    // Pumps the events, moves the bar by the step (it stops at the upper
    // end), writes the percentage of the new position; returns the previous
    // position.
    int32_t StepIt();
    // Handles the waiting events of the thread.
    void PumpMessages();
    // The cancel button: sets the flag only; the window stays open.
    void OnCancel();
    // Whether the user asked to stop (read back from the window).
    bool IsCancelled();

    // The texts of the window and the state of the bar.
    std::string PercentText() const { return percent_; }
    const std::string& Text() const { return text_; }
    std::string Caption() const;
    int32_t GetPos() const { return pos_; }
    int32_t Lower() const { return lower_; }
    int32_t Upper() const { return upper_; }
    int32_t Step() const { return step_; }
    uint32_t CaptionId() const { return captionId_; }
    bool HasWindow() const { return window_ != nullptr; }
    bool OwnerDisabled() const { return ownerDisabled_; }

    // The percentage text of a position: (pos - lower) * 100 / (upper - lower)
    // in integer division, modulo 100 unless exactly 100, as "%d%c" with '%'.
    // A range with equal ends shows "0%".
    static std::string PercentTextOf(int32_t pos, int32_t lower, int32_t upper);
    // The caption string of a string id ("" for an id without string).
    static std::string CaptionString(uint32_t id);

private:
    void ShowPercent();
    void SendRange();

    uint32_t captionId_;
    int32_t lower_ = 0;
    int32_t upper_ = 100;
    int32_t step_ = 10;
    int32_t pos_ = 0;
    bool cancelled_ = false;
    bool ownerDisabled_ = false;
    std::uintptr_t owner_ = 0;
    std::string percent_ = " 0 %";
    std::string text_;
    std::unique_ptr<winsys::ProgressWindow> window_;
};
