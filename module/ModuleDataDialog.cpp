#include "module/ModuleDataDialog.h"

namespace {
constexpr int kTabPages = 16;

MainDialogMaker& Maker() {
    static MainDialogMaker maker = nullptr;
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

CMainDialogBase::CMainDialogBase() {
    m_annotations.assign(kTabPages, std::string());
    m_data.m_pDialog = this;
}

CMainDialogBase::~CMainDialogBase() { m_data.m_pDialog = nullptr; }
