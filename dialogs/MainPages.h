// The tab pages of the main input dialog: the system, bedding and single
// spring, hinges and loads pages with their grids, and the empty pages that hold the places of pages still to come.
//
// Every page moves its values with ExchangeData: save = true takes the
// controls into the position's data, false fills them from it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialogs/GelenkGrid.h"
#include "dialogs/LoadGrid.h"
#include "dialogs/StabSysGrid.h"
#include "graphics/DlgResizer.h"
#include "grid/ExtGridCtrl.h"
#include "module/ModuleData.h"
#include "module/PlauMessage.h"
#include "platform/wl/dialog.h"

// Page ids, one numbering for both programs.
enum MainPageId {
    PAGE_VARDEF = 0,
    PAGE_CONTROL = 1,
    PAGE_SYSTEM = 2,
    PAGE_SUPPORTS = 3,
    PAGE_IMPERFECTION = 4,
    PAGE_HINGES = 5,
    PAGE_LOADS = 6,
    PAGE_POINTS = 7,
    PAGE_RESULTS = 8,
    PAGE_OUTPUT = 9,
};

// Templates of the pages built here.
inline constexpr int IDD_SYSTEM_PAGE = 26001;
inline constexpr int IDD_SUPPORTS_PAGE = 26006;
inline constexpr int IDD_HINGES_PAGE = 26008;
inline constexpr int IDD_LOADS_PAGE = 26009;
// Their grids.
inline constexpr int IDC_SYSTEM_GRID = 26001;
inline constexpr int IDC_SUPPORTS_GRID = 26016;
inline constexpr int IDC_HINGES_GRID = 26017;
inline constexpr int IDC_LOADS_GRID = 26021;

// A page of the main dialog, bound to the position's data.
class CMainPage : public wl::Dialog {
public:
    CMainPage(int templateId, int pageId) : wl::Dialog(templateId), m_nPageId(pageId) {}
    const char* ClassName() const override { return "CMainPage"; }
    virtual void ExchangeData(bool save) { (void)save; }
    virtual void SetModuleData(CModuleData* data) { m_pData = data; }
    int PageId() const { return m_nPageId; }

protected:
    CModuleData* m_pData = nullptr;
    int m_nPageId;
};

// The place of a page that a later part of the program fills: an empty child
// window whose exchanges do nothing.
class CSlotPage : public CMainPage {
public:
    CSlotPage(int templateId, int pageId, const char* className)
        : CMainPage(templateId, pageId), m_className(className) {}
    const char* ClassName() const override { return m_className; }

protected:
    QWidget* MakeWidget(QWidget* parent, bool child, bool modal) override;

private:
    const char* m_className;
};

// A grid of a page as the plausibility jump reaches it.
class CPageGridTarget : public CPlauGrid {
public:
    CPageGridTarget(CExtGridCtrl& grid, int pageId) : m_grid(grid), m_nPageId(pageId) {}
    void SelectCell(int row, int column) override { m_grid.SelectCell(row, column); }
    int GetPageId() const override { return m_nPageId; }

private:
    CExtGridCtrl& m_grid;
    int m_nPageId;
};

// A page that holds one grid, anchored to all sides below the grid's strip of
// group titles.
class CGridPage : public CMainPage {
public:
    CGridPage(int templateId, int pageId, int gridId, CExtGridCtrl& grid)
        : CMainPage(templateId, pageId), m_nGridId(gridId), m_gridRef(grid), m_target(grid, pageId) {}
    CPlauGrid* PlauTarget() { return &m_target; }

protected:
    bool OnInitDialog() override;
    void OnSize(unsigned type, int cx, int cy) override;
    // The grid's set-up and first fill.
    virtual void InitPageGrid() = 0;

    CDlgResizer m_resizer;

private:
    int m_nGridId;
    CExtGridCtrl& m_gridRef;
    CPageGridTarget m_target;
};

// A page over a grid that fills itself from the position's data
// (LoadFromData) and stores into it (ExchangeData(true)).
template <class GridT>
class CDataGridPage : public CGridPage {
public:
    CDataGridPage(int templateId, int pageId, int gridId) : CGridPage(templateId, pageId, gridId, m_grid) {}
    void ExchangeData(bool save) override {
        if (!IsWindow()) return;
        if (save)
            m_grid.ExchangeData(true);
        else
            m_grid.LoadFromData();
        UpdateData(save);
    }
    void SetModuleData(CModuleData* data) override {
        CMainPage::SetModuleData(data);
        m_grid.SetModuleData(data);
    }
    GridT& Grid() { return m_grid; }

protected:
    void InitPageGrid() override {
        m_grid.InitGrid();
        m_grid.LoadFromData();
    }

    GridT m_grid;
};

// ---- system ---------------------------------------------------------------------------

// The member system: spans with their sections and the supports at the nodes.
class CRigelSysGrid : public CStabSysGrid {
public:
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    void InitRow(int row) override;
    // save: the focus cell taken, then the grid's spans, supports and
    // sections into the data (and the variables defined anew); else the
    // grid's own lists into its cells.
    bool ExchangeData(bool save) override;
    // The data's spans, supports and sections into the grid.
    void LoadFromData();
    // n spans; a section added is a copy of the one before it.
    void SetData(int n) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    void OnButtonCellClicked(int row, int col) override;
    // After span edits: the grid into the data, the sketch redrawn.
    void OnAfterChange() override;
    std::vector<CSection>& Sections() { return m_Sections; }

private:
    void NumberSections();
    CModuleData* m_pData = nullptr;
    std::vector<CSection> m_Sections;
};

class CSystemPage : public CDataGridPage<CRigelSysGrid> {
public:
    CSystemPage() : CDataGridPage(IDD_SYSTEM_PAGE, PAGE_SYSTEM, IDC_SYSTEM_GRID) {}
    const char* ClassName() const override { return "CSystemPage"; }
};

// ---- bedding and single springs ---------------------------------------------------------

class CRigelSupportGrid : public CExtGridCtrl {
public:
    enum { CMD_DELETE = 1, CMD_COPY = 2 };
    enum { COL_KIND = 0, COL_NODE = 1, COL_DISTANCE = 2, COL_LENGTH = 3, COL_EY = 4, COL_EZ = 5, COL_CX = 6,
           COL_CMX = 7, COL_CY = 8, COL_CZ = 9 };
    static constexpr int kColumns = 10;

    CRigelSupportGrid();
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    void InitRow(int row) override;
    bool ExchangeData(bool save);
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    std::vector<CSupport>& Springs() { return m_Springs; }
    const std::vector<int>& Kinds() const { return m_Kinds; }
    const std::vector<std::string>& NodeTexts() const { return m_NodeTexts; }

private:
    void BuildContextMenu();
    void WriteRow(int row);
    // The unit formats of a row by its kind (0 bedding, 1 single spring).
    void SetRowFormats(int row, int kind);
    // Takes the focus cell into its record; true when it changed.
    bool TakeFocusCell();
    void StoreIntoData();
    // Fills the grid again and keeps the kinds chosen in it.
    void ExchangeDataKeepingKinds();
    void UpdateViews();
    CFormulaValue* FieldOf(CSupport& s, int col);

    CModuleData* m_pData = nullptr;
    std::vector<CSupport> m_Springs;
    // Per record 0 bedding, 1 single spring; the document knows a single
    // spring by its length 0.
    std::vector<int> m_Kinds;
    std::vector<std::string> m_NodeTexts;
};

class CSupportsPage : public CGridPage {
public:
    CSupportsPage() : CGridPage(IDD_SUPPORTS_PAGE, PAGE_SUPPORTS, IDC_SUPPORTS_GRID, m_grid) {}
    const char* ClassName() const override { return "CSupportsPage"; }
    void ExchangeData(bool save) override;
    void SetModuleData(CModuleData* data) override;
    CRigelSupportGrid& Grid() { return m_grid; }

protected:
    void InitPageGrid() override;

private:
    CRigelSupportGrid m_grid;
};

// ---- hinges ----------------------------------------------------------------------------

class CRigelGelenkGrid : public CGelenkGrid {
public:
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    void InitRow(int row) override;
    // A new hinge takes node, distance and description of the one above it.
    void InitNewRecord(CHinge& hinge) override;
    // save: the focus cell taken, then the hinges into the data.
    bool ExchangeData(bool save) override;
    // The node choices and the hinges of the data into the grid.
    void LoadFromData();
    // After each edit: the grid into the data, the sketch redrawn.
    void OnAfterChange() override;

private:
    CModuleData* m_pData = nullptr;
};

class CHingesPage : public CDataGridPage<CRigelGelenkGrid> {
public:
    CHingesPage() : CDataGridPage(IDD_HINGES_PAGE, PAGE_HINGES, IDC_HINGES_GRID) {}
    const char* ClassName() const override { return "CHingesPage"; }
};

// ---- loads -----------------------------------------------------------------------------

class CRigelLoadGrid : public CLoadGrid {
public:
    static constexpr double kSpecificWeight = 78.5;  // kN/m³
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    // A new load: the action and load cases of the load above (1 and "1"
    // for the first), the text "tl", the value of the load above (1.0 for
    // the first), and the length of the field it starts in.
    void InitNewRecord(CLoadDef& load) override;
    // The calculation takes every load of a member in its stored direction
    // ("direction"; the values in "val0", "val1"): the grid shows it so.
    bool ShowsDirection(const CLoadDef& /*load*/) const override { return true; }
    // A load made by choosing its action in the entry row takes the load
    // cases of that action (those of a load of it, else a new load case);
    // one made by choosing its node spans the field from that node.
    void InitTypedNewLoad(CLoadDef& load, int col) override;
    // save: the focus cell taken, then the loads into the data.
    bool ExchangeData(bool save) override;
    // Node choices, action names and the loads of the data into the grid.
    void LoadFromData();
    // After each edit: the grid into the data, the views updated, the grid
    // filled again.
    void OnAfterChange() override;
    bool IsChanged() const { return m_bChanged; }

private:
    // The length of the field that starts at a node (0 at the last node).
    double FieldLengthFrom(int node) const;

    CModuleData* m_pData = nullptr;
    bool m_bChanged = false;
};

// Runs the actions dialog on the position's load-combination settings (the
// caller's settings are edited in place; the dialog restores them on
// Cancel) and answers its result.
using ActionsDialogRunner = std::function<int(CLKData& settings, wl::Window* owner)>;
// Replaces the actions dialog (nullptr: CLKDlg).
void SetActionsDialogRunner(ActionsDialogRunner runner);

class CLoadsPage : public CDataGridPage<CRigelLoadGrid> {
public:
    CLoadsPage() : CDataGridPage(IDD_LOADS_PAGE, PAGE_LOADS, IDC_LOADS_GRID) {}
    const char* ClassName() const override { return "CLoadsPage"; }
    // "Einwirkungen": the actions of the position, after the loads were
    // checked for their load cases.
    void OnEinwirkungen();

protected:
    // The columns follow the page's width with room for the values.
    void OnSize(unsigned type, int cx, int cy) override {
        CDataGridPage::OnSize(type, cx, cy);
        if (m_grid.IsWindow()) m_grid.FitColumnsToTexts();
    }
};

// The node positions of the data: the running sums of its span lengths (node
// 0 at 0); none without spans.
std::vector<double> NodePositions(const CModuleData& data);
