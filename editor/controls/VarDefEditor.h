// The editor's main dialog as the editor window of the variable-definition
// page: with "bQuill" on, the page shows CSubDlg on the position's editor
// document in place of its grid.
#pragma once

#include "dialogs/DlgVarDef.h"
#include "editor/controls/SubDlg.h"

class CSubDlgPane : public CVarDefEditorPane {
public:
    bool Create(wl::Window* page, CBaseData* data) override;
    void TransferData(bool save) override;
    void Show() override;
    void Hide() override;
    void Move(const wl::Rect& r) override;

    CSubDlg& Dialog() { return m_dlg; }

private:
    // The position's editor document (it lives as long as the position).
    void BindDocument();

    CSubDlg m_dlg;
    CBaseData* m_pData = nullptr;
};

// Makes the variable-definition page hold CSubDlg (done when the module
// loads; tests call it themselves).
void InstallVarDefEditor();
