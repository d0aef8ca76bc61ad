#include "graphics/core/ProgressDlg.h"

#include <algorithm>
#include <cstdio>

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

const char* const kApplication = "VKT Eingabe";
const char* const kSection = "velor_i_common";
const char* const kDialog = "ProgressDlg";

}  // namespace

CProgressDlg::CProgressDlg(uint32_t captionId) : captionId_(captionId != 0 ? captionId : kDefaultCaptionId) {}

CProgressDlg::~CProgressDlg() {
    if (window_ || ownerDisabled_) DestroyWindow();
}

std::string CProgressDlg::CaptionString(uint32_t id) {
    switch (id) {
    case kReportCaptionId:
        return "Fortschrittsanzeige";
    case kCalculateCaptionId:
        return "Berechne aktuelles Dokument";
    default:
        return {};
    }
}

std::string CProgressDlg::Caption() const {
    return lingo::Translate(kApplication, kSection, kDialog, CaptionString(captionId_));
}

std::string CProgressDlg::PercentTextOf(int32_t pos, int32_t lower, int32_t upper) {
    // Computed in 64 bits: the full 32-bit range must not overflow.
    const int64_t span = int64_t{upper} - lower;
    int64_t percent = 0;
    if (span != 0) {
        percent = (int64_t{pos} - lower) * 100 / span;
        if (percent != 100) percent %= 100;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d%c", static_cast<int>(percent), '%');
    return buf;
}

int CProgressDlg::Create(std::uintptr_t parent) {
    if (window_) return 0;
    winsys::ProgressWindowProvider* provider = winsys::GetProgressWindowProvider();
    if (!provider) return 1;  // no windows: the logic runs alone
    owner_ = provider->SafeOwner(parent);
    if (owner_ != 0 && provider->IsWindowEnabled(owner_)) {
        provider->EnableWindow(owner_, false);
        ownerDisabled_ = true;
    }
    window_ = provider->Open(kTemplateId, owner_, {kApplication, kSection, kDialog});
    if (!window_) {
        if (ownerDisabled_) provider->EnableWindow(owner_, true);
        ownerDisabled_ = false;
        return 0;
    }
    // What the dialog's initialisation sets: range, step, position, caption.
    pos_ = lower_;
    SendRange();
    window_->SetCaption(Caption());
    if (!text_.empty()) window_->SetItemText(kTextId, text_);
    return 1;
}

bool CProgressDlg::DestroyWindow() {
    winsys::ProgressWindowProvider* provider = winsys::GetProgressWindowProvider();
    if (ownerDisabled_) {
        if (provider) provider->EnableWindow(owner_, true);
        ownerDisabled_ = false;
    }
    const bool had = window_ != nullptr;
    window_.reset();
    return had;
}

void CProgressDlg::SendRange() {
    if (window_) window_->SetBar(kBarId, lower_, upper_, pos_);
}

void CProgressDlg::SetRange(int32_t lower, int32_t upper) {
    lower_ = lower;
    upper_ = upper;
    // The bar keeps its position inside the range.
    pos_ = lower_ <= upper_ ? std::clamp(pos_, lower_, upper_) : lower_;
    SendRange();
}

void CProgressDlg::SetStep(int32_t step) { step_ = step; }

void CProgressDlg::SetText(const std::string& text) {
    text_ = text;
    if (window_) window_->SetItemText(kTextId, text);
}

void CProgressDlg::PumpMessages() {
    if (!window_) return;
    window_->Pump();
    if (window_ && window_->CancelPressed()) cancelled_ = true;
}

int32_t CProgressDlg::StepIt() {
    PumpMessages();
    const int32_t previous = pos_;
    const int64_t next = int64_t{pos_} + step_;
    // The bar stops at its ends; the percentage follows the unclamped step.
    if (lower_ <= upper_)
        pos_ = static_cast<int32_t>(std::clamp<int64_t>(next, lower_, upper_));
    if (window_) window_->SetBar(kBarId, lower_, upper_, pos_);
    const std::string text = PercentTextOf(static_cast<int32_t>(std::clamp<int64_t>(next, INT32_MIN, INT32_MAX)),
                                           lower_, upper_);
    if (text != percent_) {
        percent_ = text;
        if (window_) window_->SetItemText(kPercentId, text);
    }
    return previous;
}

void CProgressDlg::OnCancel() { cancelled_ = true; }

bool CProgressDlg::IsCancelled() {
    if (window_ && window_->CancelPressed()) cancelled_ = true;
    return cancelled_;
}
