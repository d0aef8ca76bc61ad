// The progress of a crane-runway calculation: an overall bar (one step per
// check and per buckling loop), a part bar (one step per crane position) and
// a text line, with the cancel request of the user. The logic holds the
// state; a window, when the system layer's progress-window provider can make
// one, shows it. Batch runs and tests show nothing; tests can observe the
// steps through a window of their own (SetWindow).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/winsys/winsys.h"

class CVaduDlgProgress {
public:
    // Controls of the window (template 26132).
    static constexpr int kTemplate = 26132;
    static constexpr int kText = 26172;
    static constexpr int kTotalBar = 26173;
    static constexpr int kPartBar = 26174;

    CVaduDlgProgress() = default;
    ~CVaduDlgProgress();
    CVaduDlgProgress(const CVaduDlgProgress&) = delete;
    CVaduDlgProgress& operator=(const CVaduDlgProgress&) = delete;

    // Opens the window through the installed provider (none in a batch run:
    // then nothing is shown and the logic works alone).
    void Create(std::uintptr_t parent);
    // Uses the given window instead (tests); null shows nothing.
    void SetWindow(std::unique_ptr<winsys::ProgressWindow> window);
    void Close();

    // Range 1..n of the overall bar, position at the start; pumps.
    void SetTotalRange(int n);
    // Range 1..n of the part bar (no pumping).
    void SetPartRange(int n);
    // One overall step; the part bar goes back to its start; pumps.
    void StepTotal();
    // One part step; pumps.
    void StepPart();
    void SetText(const std::string& text);

    // Whether cancel was pressed since the last reset; reading does not reset.
    bool IsCancelPressed();
    void ResetCancel();

    int TotalPos() const { return m_totalPos; }
    int TotalUpper() const { return m_totalUpper; }
    int PartPos() const { return m_partPos; }
    int PartUpper() const { return m_partUpper; }
    const std::string& Text() const { return m_text; }

private:
    void ShowBars();
    void Pump();

    std::unique_ptr<winsys::ProgressWindow> m_window;
    int m_totalUpper = 1, m_totalPos = 1;
    int m_partUpper = 1, m_partPos = 1;
    std::string m_text;
    // Set by a press of the window's cancel button, cleared by ResetCancel.
    bool m_cancel = false;
    bool m_windowCancelSeen = false;
    bool m_fromProvider = false;
    std::uintptr_t m_parent = 0;
};
