#include "editor/controls/VarDefEditor.h"

#include <memory>

#include "editor/core/EditorDocument.h"
#include "module/BaseData.h"

bool CSubDlgPane::Create(wl::Window* page, CBaseData* data) {
    m_pData = data;
    BindDocument();
    if (!m_dlg.CreateChild(page)) return false;
    m_dlg.ShowWindow(wl::SW_HIDE);
    return true;
}

void CSubDlgPane::BindDocument() {
    m_dlg.SetDocument(m_pData ? dynamic_cast<CEditorDocument*>(m_pData->GetEditorDocument()) : nullptr);
}

void CSubDlgPane::TransferData(bool save) {
    BindDocument();
    m_dlg.TransferData(save);
}

void CSubDlgPane::Show() { m_dlg.ShowWindow(wl::SW_SHOW); }

void CSubDlgPane::Hide() { m_dlg.ShowWindow(wl::SW_HIDE); }

void CSubDlgPane::Move(const wl::Rect& r) { m_dlg.MoveWindow(r); }

void InstallVarDefEditor() {
    SetVarDefEditorFactory([] { return std::make_unique<CSubDlgPane>(); });
}

namespace {
// Loaded with the module, the editor library puts its window into the page.
const bool g_installed = [] {
    InstallVarDefEditor();
    return true;
}();
}  // namespace
