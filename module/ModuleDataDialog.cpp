#include "module/ModuleDataDialog.h"

namespace {
constexpr int kTabPages = 16;

MainDialogMaker& Maker() {
    static MainDialogMaker maker = nullptr;
    return maker;
}

PreviewDialogMaker& PreviewMaker() {
    static PreviewDialogMaker maker = nullptr;
    return maker;
}
}  // namespace

void SetMainDialogMaker(MainDialogMaker maker) { Maker() = maker; }

CMainDialogBase* MakeMainDialog(int64_t parentWindow) {
    if (Maker())
        if (CMainDialogBase* dlg = Maker()(parentWindow)) return dlg;
    auto* dlg = new CMainDialogBase();
    dlg->SetParentWindow(parentWindow);
    return dlg;
}

void SetPreviewDialogMaker(PreviewDialogMaker maker) { PreviewMaker() = maker; }

CPreviewDialogBase* MakePreviewDialog(int64_t parentWindow) {
    if (PreviewMaker())
        if (CPreviewDialogBase* preview = PreviewMaker()(parentWindow)) return preview;
    return new CPreviewDialogBase();
}

CMainDialogBase::CMainDialogBase() {
    m_annotations.assign(kTabPages, std::string());
    m_data.m_pDialog = this;
}

CMainDialogBase::~CMainDialogBase() { m_data.m_pDialog = nullptr; }
