#include "crane/VaduProgress.h"

CVaduDlgProgress::~CVaduDlgProgress() { Close(); }

void CVaduDlgProgress::Create(std::uintptr_t parent) {
    winsys::ProgressWindowProvider* provider = winsys::GetProgressWindowProvider();
    if (!provider) return;
    const std::uintptr_t owner = provider->SafeOwner(parent);
    m_window = provider->Open(kTemplate, owner, {"VKT Eingabe", "velor_i_rigel", "VaduDlgProgress"});
    m_fromProvider = m_window != nullptr;
    m_parent = parent;
    m_windowCancelSeen = false;
    if (m_window) {
        m_window->SetItemText(kText, m_text);
        ShowBars();
    }
}

void CVaduDlgProgress::SetWindow(std::unique_ptr<winsys::ProgressWindow> window) {
    m_window = std::move(window);
    m_fromProvider = false;
    m_windowCancelSeen = false;
    if (m_window) ShowBars();
}

void CVaduDlgProgress::Close() {
    m_window.reset();
    m_fromProvider = false;
}

void CVaduDlgProgress::ShowBars() {
    if (!m_window) return;
    m_window->SetBar(kTotalBar, 1, m_totalUpper, m_totalPos);
    m_window->SetBar(kPartBar, 1, m_partUpper, m_partPos);
}

void CVaduDlgProgress::Pump() {
    if (!m_window) return;
    m_window->Pump();
    if (m_window->CancelPressed() && !m_windowCancelSeen) {
        m_windowCancelSeen = true;
        m_cancel = true;
    }
}

void CVaduDlgProgress::SetTotalRange(int n) {
    m_totalUpper = n < 1 ? 1 : n;
    m_totalPos = 1;
    ShowBars();
    Pump();
}

void CVaduDlgProgress::SetPartRange(int n) {
    m_partUpper = n < 1 ? 1 : n;
    m_partPos = 1;
    ShowBars();
}

void CVaduDlgProgress::StepTotal() {
    if (m_totalPos < m_totalUpper) ++m_totalPos;
    m_partPos = 1;
    ShowBars();
    Pump();
}

void CVaduDlgProgress::StepPart() {
    if (m_partPos < m_partUpper) ++m_partPos;
    ShowBars();
    Pump();
}

void CVaduDlgProgress::SetText(const std::string& text) {
    m_text = text;
    if (m_window) m_window->SetItemText(kText, text);
    Pump();
}

bool CVaduDlgProgress::IsCancelPressed() {
    Pump();
    return m_cancel;
}

void CVaduDlgProgress::ResetCancel() {
    m_cancel = false;
    // A window only reports that cancel was pressed since it opened: a new
    // window lets the next press count again.
    if (m_fromProvider && m_windowCancelSeen) {
        Close();
        Create(m_parent);
    }
}
