#include "dialogs/DlgVarDef.h"

#include <QWidget>

#include "module/ModuleData.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

const wl::TemplateRegistrar kTemplates({
    {CDlgVarDef::kTemplateId, "", 400, 240, wl::kDlgChild,
     {
         {CDlgVarDef::IDC_GRID, wl::Kind::Custom, "", 3, 3, 394, 234, 0, {}, "RigelGridCtrl"},
     }},
});

VarDefEditorFactory& Factory() {
    static VarDefEditorFactory factory;
    return factory;
}

}  // namespace

VarDefEditorFactory SetVarDefEditorFactory(VarDefEditorFactory factory) {
    VarDefEditorFactory previous = std::move(Factory());
    Factory() = std::move(factory);
    return previous;
}

CDlgVarDef::CDlgVarDef() : CMainPage(kTemplateId, PAGE_VARDEF) {}
CDlgVarDef::~CDlgVarDef() = default;

bool CDlgVarDef::QuillInUse() { return GetRegSettings().GetInt("", "bQuill", 0) != 0; }

void CDlgVarDef::SetBaseData(CBaseData* data) {
    m_pBaseData = data;
    m_grid.SetBaseData(data);
}

void CDlgVarDef::SetModuleData(CModuleData* data) {
    CMainPage::SetModuleData(data);
    SetBaseData(data);
}

bool CDlgVarDef::OnInitDialog() {
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, "DlgVarDef");
    m_grid.InitGrid();
    if (Factory()) {
        m_editor = Factory()();
        if (m_editor && !m_editor->Create(this, m_pBaseData)) m_editor.reset();
    }
    Layout();
    return true;
}

void CDlgVarDef::TransferData(bool save) {
    if (!IsWindow()) return;
    const bool quill = QuillInUse() && m_editor;
    if (quill)
        m_editor->TransferData(save);
    else
        m_grid.ExchangeData(save);
    // The variables as the page leaves them are those of the position's
    // formulas: every value cell of the other pages calculates with them.
    if (save && m_pBaseData) m_pBaseData->DefineVariables();
    if (!save) {
        if (QWidget* g = m_grid.Widget()) g->setVisible(!quill);
        if (m_editor) quill ? m_editor->Show() : m_editor->Hide();
    }
    UpdateData(save);
}

void CDlgVarDef::Layout() {
    const wl::Rect c = GetClientRect();
    const int w = c.right - c.left, h = c.bottom - c.top;
    if (w <= 2 * kMargin || h <= 2 * kMargin) return;
    if (m_grid.Widget()) {
        m_grid.MoveWindow(kMargin, kMargin, w - 2 * kMargin, h - 2 * kMargin);
        // The columns follow the page's width now, not first when a row is
        // added under the pointer.
        m_grid.FitColumnsToWidth();
    }
    if (m_editor) m_editor->Move({kMargin, 1, w - kMargin, h - kMargin});
}

void CDlgVarDef::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    Layout();
}

void CDlgVarDef::OnShowWindow(bool show) {
    wl::Dialog::OnShowWindow(show);
    if (show && m_editor && QuillInUse()) m_editor->Show();
}
