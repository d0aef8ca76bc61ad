// The first page of the module dialog: the position's variable definitions
// as a grid, or, with the user setting "bQuill" on, the position's editor
// document in its place. The editor window lives in a later folder; the page
// holds it through CVarDefEditorPane, made by the factory that the editor
// installs (none: the page has only its grid).
#pragma once

#include <functional>
#include <memory>

#include "dialogs/MainPages.h"
#include "dialogs/VarDefGrid.h"

class CBaseData;

// What the page needs of the editor's window.
class CVarDefEditorPane {
public:
    virtual ~CVarDefEditorPane() = default;
    // Makes the window as a child of the page, bound to the position.
    virtual bool Create(wl::Window* page, CBaseData* data) = 0;
    // Fills the window from the document (false) or takes its text back (true).
    virtual void TransferData(bool save) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Places the window (page client coordinates).
    virtual void Move(const wl::Rect& r) = 0;
};

using VarDefEditorFactory = std::function<std::unique_ptr<CVarDefEditorPane>()>;
// Installs the maker of the editor's window (nullptr: none); returns the
// previous one.
VarDefEditorFactory SetVarDefEditorFactory(VarDefEditorFactory factory);

// The page of the main dialog's first tab (page id 0).
class CDlgVarDef : public CMainPage {
public:
    static constexpr int kTemplateId = 509;
    enum { IDC_GRID = 11050 };
    static constexpr int kMargin = 5;

    CDlgVarDef();
    ~CDlgVarDef() override;
    const char* ClassName() const override { return "CDlgVarDef"; }

    // Binds the page, its grid and its editor window to the position.
    void SetBaseData(CBaseData* data);
    void SetModuleData(CModuleData* data) override;
    // Exchanges through the editor ("bQuill" on) or the grid; filling shows
    // the one in use and hides the other. Nothing before the page's window
    // exists.
    void TransferData(bool save);
    void ExchangeData(bool save) override { TransferData(save); }
    // Whether the page works with the editor document.
    static bool QuillInUse();

    CVarDefGrid& Grid() { return m_grid; }
    CVarDefEditorPane* Editor() const { return m_editor.get(); }

protected:
    bool OnInitDialog() override;
    void OnSize(unsigned type, int cx, int cy) override;
    void OnShowWindow(bool show) override;

private:
    void Layout();

    CVarDefGrid m_grid;
    std::unique_ptr<CVarDefEditorPane> m_editor;
    CBaseData* m_pBaseData = nullptr;
};
