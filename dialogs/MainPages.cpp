#include "crane/CraneOperations.h"
#include "dialogs/MainPages.h"

#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dialogs/LKDlg.h"
#include "dialogs/PageTemplates.h"
#include "dialogs/SectionDlg.h"
#include "module/frame/ModuleMessages.h"
#include "module/ModuleDataDialog.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kSectionRigel = "velor_i_rigel";
constexpr const char* kNodeFormat = "%d (x=%.2lf m)";

// A page of one grid: the grid fills the page below its strip of group titles.
wl::DialogTemplate GridPageTemplate(int id, int gridId) {
    return page_templates::Page(id, {{gridId, Kind::Custom, "", 5, 17, 570, 308, 0, {}, "RigelGridCtrl"}});
}

const wl::TemplateRegistrar kTemplates({
    GridPageTemplate(IDD_SYSTEM_PAGE, IDC_SYSTEM_GRID),
    GridPageTemplate(IDD_SUPPORTS_PAGE, IDC_SUPPORTS_GRID),
    GridPageTemplate(IDD_HINGES_PAGE, IDC_HINGES_GRID),
    GridPageTemplate(IDD_LOADS_PAGE, IDC_LOADS_GRID),
});

ActionsDialogRunner& ActionsRunner() {
    static ActionsDialogRunner runner;
    return runner;
}

// A formula value of a record changes only when it differs by 0.0001 or
// more, or by its text; it keeps its variable table.
bool TakeFormula(CFormulaValue& field, const CFormulaValue& value) {
    if (std::fabs(value.GetValue() - field.GetValue()) < 0.0001 && value.GetText() == field.GetText()) return false;
    CVariableTable* table = field.GetVariableTable();
    field = value;
    if (table && !field.GetVariableTable()) field.SetVariableTable(table);
    return true;
}

void RedrawSketch(CModuleData* data) {
    if (!data) return;
    data->DrawSystem2D(0);
    data->DrawSystem3D(1);
}

}  // namespace

std::vector<double> NodePositions(const CModuleData& data) {
    std::vector<double> x;
    double sum = 0.0;
    for (size_t i = 0; i < data.m_fieldLengths.size(); ++i) {
        if (i > 0) sum += data.m_fieldLengths[i].GetValue();
        x.push_back(sum);
    }
    return x;
}

void SetActionsDialogRunner(ActionsDialogRunner runner) { ActionsRunner() = std::move(runner); }

// ---- pages ------------------------------------------------------------------------------------

QWidget* CSlotPage::MakeWidget(QWidget* parent, bool child, bool /*modal*/) {
    auto* w = new QWidget(parent, child || parent ? Qt::Widget : Qt::Dialog);
    w->setAutoFillBackground(true);
    return w;
}

bool CGridPage::OnInitDialog() {
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, m_nGridId, m_gridRef);
    InitPageGrid();
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    return true;
}

void CGridPage::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    if (!m_gridRef.IsWindow()) return;
    if (m_resizer.GetCount() == 0) {
        wl::Rect r;
        GetChildRectInParent(this, &m_gridRef, r);
        const int m = r.left;
        const int h = m_gridRef.GetGroupHeaderHeight();
        m_resizer.AddControl(&m_gridRef, 0, 0, 100, 100, m, m + h, -m, -m);
    }
    m_resizer.Layout(GetClientRect());
    m_gridRef.FitColumnsToWidth();
}

// ---- system -----------------------------------------------------------------------------------

void CRigelSysGrid::InitGrid() {
    CStabSysGrid::InitGrid();
    for (int c : {0, int(COL_BEDDING), int(COL_WIDTH), int(COL_KIND)}) SetColumnVisible(c, false, false);
    SetColumnVisible(COL_SECTION, true, false);
    SetColumnVisible(COL_BUCKLING, m_pData && m_pData->IsCraneRunway(), false);
    for (int c = COL_FIRST_FIXITY; c <= COL_SPRINGS; ++c) SetColumnVisible(c, true, false);
    FitColumnsToWidth();
}

void CRigelSysGrid::InitRow(int row) {
    CStabSysGrid::InitRow(row);
    CVariableTable* table = m_pData ? &m_pData->m_varTable : nullptr;
    for (int c : {int(COL_LENGTH), int(COL_WIDTH)}) {
        CFormulaValue empty;
        empty.SetVariableTable(table);
        SetFormulaCell(row, c, empty);
        SetItemText(row, c, {});
    }
}

void CRigelSysGrid::NumberSections() {
    for (size_t i = 0; i < m_Sections.size(); ++i) {
        m_Sections[i].m_pOwner = m_pData;
        m_Sections[i].m_iField = int(i);
    }
}

void CRigelSysGrid::SetData(int n) {
    CStabSysGrid::SetData(n);
    if (n < 0) return;
    const size_t old = m_Sections.size();
    if (size_t(n) < old) m_Sections.resize(size_t(n));
    while (m_Sections.size() < size_t(n)) {
        CSection s;
        if (!m_Sections.empty()) s = m_Sections.back();
        m_Sections.push_back(s);
    }
    NumberSections();
}

void CRigelSysGrid::LoadFromData() {
    if (!m_pData) return;
    CModuleData& d = *m_pData;
    {
        const int spans = std::max(0, int(d.m_fieldLengths.size()) - 1);
        SetData(spans);
        for (int i = 1; i <= spans; ++i) {
            Lengths()[size_t(i - 1)] = d.m_fieldLengths[size_t(i)];
            if (size_t(i - 1) < d.m_sections.size()) m_Sections[size_t(i - 1)] = d.m_sections[size_t(i - 1)];
            if (d.IsCraneRunway() && size_t(i) < d.m_bucklFields.size())
                Buckling()[size_t(i - 1)] = d.m_bucklFields[size_t(i)];
        }
        for (size_t k = 0; k < d.m_supports.size() && k < Supports().size(); ++k) Supports()[k] = d.m_supports[k];
        NumberSections();
        SetColumnVisible(COL_BUCKLING, d.IsCraneRunway() && d.m_craneSettings.m_bBuckling != 0, true);
        CStabSysGrid::ExchangeData(false);
    }
}

bool CRigelSysGrid::ExchangeData(bool save) {
    if (!save || !m_pData) return CStabSysGrid::ExchangeData(save);
    CModuleData& d = *m_pData;
    CStabSysGrid::ExchangeData(true);
    const int nodes = FieldCount() + 1;
    // A grid that was never filled holds no supports: nothing to take.
    if (int(Supports().size()) != nodes || int(m_Sections.size()) != nodes - 1) return false;
    d.m_fieldLengths.resize(size_t(nodes));
    if (d.IsCraneRunway()) d.m_bucklFields.resize(size_t(nodes));
    d.m_supports.resize(size_t(nodes));
    d.m_sections.resize(size_t(nodes - 1));
    for (int i = 0; i < nodes; ++i) {
        if (i == 0) {
            d.m_fieldLengths[0] = CFormulaValue(0.0);
            if (d.IsCraneRunway()) d.m_bucklFields[0] = 0;
        } else {
            d.m_fieldLengths[size_t(i)] = Lengths()[size_t(i - 1)];
            if (d.IsCraneRunway()) d.m_bucklFields[size_t(i)] = Buckling()[size_t(i - 1)];
            d.m_sections[size_t(i - 1)] = m_Sections[size_t(i - 1)];
        }
        d.m_supports[size_t(i)] = Supports()[size_t(i)];
    }
    d.DefineVariables();
    return true;
}

void CRigelSysGrid::OnContextMenuCommand(int row, int col, int id) {
    const int n = FieldCount();
    const int span = row - 2;
    if (row >= 2 && span < n && n >= 2) {
        if (id == CMD_DELETE) {
            m_Sections.erase(m_Sections.begin() + span);
        } else if (id == CMD_COPY) {
            const CSection copy = m_Sections[size_t(span)];
            m_Sections.insert(m_Sections.begin() + span + 1, copy);
        }
        NumberSections();
    } else if (row >= 2 && span < n) {
        return;  // a single span is neither deleted nor copied here
    }
    CStabSysGrid::OnContextMenuCommand(row, col, id);
}

void CRigelSysGrid::OnButtonCellClicked(int row, int col) {
    if (col != COL_SECTION || row < 2 || row - 2 >= FieldCount() || !m_pData) {
        CStabSysGrid::OnButtonCellClicked(row, col);
        return;
    }
    CModuleData& d = *m_pData;
    const size_t span = size_t(row - 2);
    while (m_Sections.size() <= span) m_Sections.push_back(m_Sections.empty() ? CSection() : m_Sections.back());
    NumberSections();
    CSection& section = m_Sections[span];
    // A section of another norm, or of an existing structure, starts with the
    // default material of the position's norm.
    UpdateSectionMaterialForNorm(section, d.m_info.m_nNorm, d.m_matBB);
    CSectionDlg dlg(&section, &d);
    if (dlg.DoModal() != wl::IDOK) return;
    if (d.m_bAllFieldsLikeThis)
        for (size_t i = 0; i < m_Sections.size(); ++i)
            if (i != span) m_Sections[i] = section;
    NumberSections();
    d.m_nProfileAxis = dlg.Grid().Axis();
    // The section file is built anew from the sections with the next save.
    d.RemoveTempSectionFile();
    OnAfterChange();
}

void CRigelSysGrid::OnAfterChange() {
    ExchangeData(true);
    if (m_pData && m_pData->IsCraneRunway()) CalcCraneLocalEffects(*m_pData);
    RedrawSketch(m_pData);
}

// ---- bedding and single springs -----------------------------------------------------------------

CRigelSupportGrid::CRigelSupportGrid() {
    SetGroupHeaderStrip(true);
    SetRowHighlighting(true);
}

void CRigelSupportGrid::InitGrid() {
    Setup(2, kColumns, 1, 0);
    const int widths[kColumns] = {15, 15, 10, 10, 10, 10, 15, 15, 15, 15};
    const char* titles[kColumns] = {"Typ", "Knoten", "Abstand", "Länge", "Ey", "Ez", "Cx", "CMx", "Cy", "Cz"};
    for (int c = 0; c < kColumns; ++c) {
        SetColumnRelWidth(c, widths[c]);
        SetCenteredText(0, c, lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", titles[c]));
    }
    SetColumnGroupTitle(0, lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Position X-Richtung"));
    SetColumnGroupTitle(COL_EY, lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Exzentrizität"));
    SetColumnGroupTitle(COL_CX, lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Federwerte"));
    FitColumnsToWidth();
}

void CRigelSupportGrid::SetRowFormats(int row, int kind) {
    const bool spring = kind == 1;
    SetNumberCellFormat(row, COL_DISTANCE, "%lf", "%.2lf m", 1.0);
    SetNumberCellFormat(row, COL_LENGTH, "%lf", "%.2lf m", 1.0);
    SetNumberCellFormat(row, COL_EY, "%lf", "%.1lf cm", 1.0);
    SetNumberCellFormat(row, COL_EZ, "%lf", "%.1lf cm", 1.0);
    for (int c : {int(COL_CX), int(COL_CY), int(COL_CZ)})
        SetNumberCellFormat(row, c, "%lf", spring ? "%.4g kN/m" : "%.4g kN/m/m", 1.0);
    SetNumberCellFormat(row, COL_CMX, "%lf", spring ? "%.4g kNm/rad" : "%.4g kNm/rad/m", 1.0);
}

void CRigelSupportGrid::InitRow(int row) {
    if (row < 1) return;
    SetCellType(row, COL_KIND, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_KIND,
                        {lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Bettung"),
                         lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Einzelfeder")});
    SetComboCellIndex(row, COL_KIND, -1);
    SetCellType(row, COL_NODE, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_NODE, m_NodeTexts);
    SetComboCellIndex(row, COL_NODE, -1);
    CVariableTable* table = m_pData ? &m_pData->m_varTable : nullptr;
    for (int c = COL_DISTANCE; c < kColumns; ++c) {
        SetCellType(row, c, KIND_FORMULA);
        CFormulaValue empty;
        empty.SetVariableTable(table);
        SetFormulaCell(row, c, empty);
        SetItemText(row, c, {});
        EnableCell(row, c, true);
    }
    SetRowFormats(row, 0);
    BuildContextMenu();
    Refresh();
}

CFormulaValue* CRigelSupportGrid::FieldOf(CSupport& s, int col) {
    switch (col) {
    case COL_DISTANCE: return &s.m_posX;
    case COL_LENGTH: return &s.m_length;
    case COL_EY: return &s.m_ey;
    case COL_EZ: return &s.m_ez;
    case COL_CX: return &s.m_cx;
    case COL_CMX: return &s.m_cmx;
    case COL_CY: return &s.m_cy;
    case COL_CZ: return &s.m_cz;
    default: return nullptr;
    }
}

void CRigelSupportGrid::WriteRow(int row) {
    CSupport& s = m_Springs[size_t(row - 1)];
    const int shownKind = m_Kinds[size_t(row - 1)];
    SetComboCellIndex(row, COL_KIND, shownKind);
    SetComboCellIndex(row, COL_NODE, s.m_iNode);
    SetRowFormats(row, shownKind);
    for (int c = COL_DISTANCE; c < kColumns; ++c) {
        const bool beddingOnly = c == COL_LENGTH || c == COL_CX || c == COL_CMX;
        EnableCell(row, c, !(beddingOnly && shownKind == 1));
        if (beddingOnly && shownKind == 1) {
            SetItemText(row, c, {});
            continue;
        }
        SetFormulaCell(row, c, *FieldOf(s, c));
    }
}

void CRigelSupportGrid::ExchangeDataKeepingKinds() {
    const std::vector<int> kinds = m_Kinds;
    ExchangeData(false);
    if (kinds.size() == m_Kinds.size()) {
        m_Kinds = kinds;
        for (int row = 1; row <= int(m_Springs.size()); ++row) WriteRow(row);
    }
}

bool CRigelSupportGrid::ExchangeData(bool save) {
    if (!save) {
        m_NodeTexts.clear();
        if (m_pData) {
            const std::vector<double> x = NodePositions(*m_pData);
            for (size_t i = 0; i < x.size(); ++i) {
                char buffer[64];
                std::snprintf(buffer, sizeof buffer, "%ld (x=%.2lf m)", long(i + 1), x[i]);
                m_NodeTexts.push_back(buffer);
            }
            m_Springs = m_pData->m_springs;
        }
        m_Kinds.clear();
        for (const CSupport& s : m_Springs) m_Kinds.push_back(s.m_length.GetValue() != 0.0 ? 0 : 1);
        const int n = int(m_Springs.size());
        SetRowCount(n + 2);
        for (int row = 1; row <= n + 1; ++row) InitRow(row);
        for (int row = 1; row <= n; ++row) WriteRow(row);
        BuildContextMenu();
        Refresh();
        return true;
    }
    TakeFocusCell();
    StoreIntoData();
    return true;
}

bool CRigelSupportGrid::TakeFocusCell() {
    int row = -1, col = -1;
    if (!GetFocusRowCol(row, col) || row < 1 || row > int(m_Springs.size())) return false;
    CSupport& s = m_Springs[size_t(row - 1)];
    if (col == COL_KIND) {
        const int kind = std::max(0, GetComboCellIndex(row, col));
        const bool changed = kind != m_Kinds[size_t(row - 1)];
        m_Kinds[size_t(row - 1)] = kind;
        return changed;
    }
    if (col == COL_NODE) {
        const int node = GetComboCellIndex(row, col);
        const bool changed = node != s.m_iNode;
        s.m_iNode = node;
        return changed;
    }
    CFormulaValue* field = FieldOf(s, col);
    if (!field || !IsCellEnabled(row, col)) return false;
    return TakeFormula(*field, GetFormulaCell(row, col));
}

void CRigelSupportGrid::StoreIntoData() {
    if (m_pData) m_pData->m_springs = m_Springs;
}

void CRigelSupportGrid::UpdateViews() {
    ExchangeData(true);
    if (m_pData) m_pData->UpdateViews(0);
}

void CRigelSupportGrid::OnComboCellSelChanged(int row, int col, int index) {
    if (col == COL_KIND && row >= 1 && row <= int(m_Springs.size())) {
        const bool bedding = index == 0;
        for (int c : {int(COL_LENGTH), int(COL_CX), int(COL_CMX)}) EnableCellAndBlank(row, c, bedding, true);
        CSupport& s = m_Springs[size_t(row - 1)];
        m_Kinds[size_t(row - 1)] = bedding ? 0 : 1;
        if (!bedding) {
            // A single spring has no length and no bedding values.
            for (CFormulaValue* v : {&s.m_length, &s.m_cx, &s.m_cmx}) {
                CVariableTable* table = v->GetVariableTable();
                *v = CFormulaValue(0.0);
                v->SetVariableTable(table);
            }
        }
        SetRowFormats(row, m_Kinds[size_t(row - 1)]);
        StoreIntoData();
        Refresh();
        return;
    }
    OnCellValueChanged(row, col, KIND_COMBO_INDEX);
}

void CRigelSupportGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    const int n = int(m_Springs.size());
    if (row == n + 1) {
        bool add = false;
        if (col == COL_KIND || col == COL_NODE)
            add = GetComboCellIndex(row, col) >= 0;
        else if (col > COL_NODE && col < kColumns)
            add = GetFormulaCell(row, col).GetValue() != 0.0;
        if (!add) return;
        CSupport s;
        const int kind = std::max(0, GetComboCellIndex(row, COL_KIND));
        s.m_iNode = std::max(0, GetComboCellIndex(row, COL_NODE));
        if (m_pData) s.SetVariableTable(&m_pData->m_varTable);
        if (CFormulaValue* field = FieldOf(s, col)) TakeFormula(*field, GetFormulaCell(row, col));
        m_Springs.push_back(s);
        m_Kinds.push_back(kind);
        StoreIntoData();
        if (m_pData) m_pData->DefineVariables();
        ExchangeDataKeepingKinds();
        SetFocusCell(row, col);
        UpdateViews();
        return;
    }
    if (row < 1 || row > n || col == COL_KIND) return;
    SetFocusCell(row, col);
    if (TakeFocusCell()) {
        StoreIntoData();
        UpdateViews();
    }
}

void CRigelSupportGrid::BuildContextMenu() {
    ClearContextMenuItems();
    const int n = int(m_Springs.size());
    if (n == 0) return;
    const CGridCellRange range(1, 0, n, kColumns - 1);
    AddContextMenuItem(range, lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Zeile löschen"),
                       CMD_DELETE);
    AddContextMenuItem(range, lingo::Translate(rigel::kAppInput, kSectionRigel, "RigelSupportGrid", "Zeile kopieren"),
                       CMD_COPY);
}

void CRigelSupportGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    const int n = int(m_Springs.size());
    if (row < 1 || row > n) return;
    ExchangeData(true);
    if (id == CMD_DELETE)
        m_Springs.erase(m_Springs.begin() + (row - 1));
    else if (id == CMD_COPY)
        m_Springs.insert(m_Springs.begin() + row, CSupport(m_Springs[size_t(row - 1)]));
    else
        return;
    if (id == CMD_DELETE)
        m_Kinds.erase(m_Kinds.begin() + (row - 1));
    else
        m_Kinds.insert(m_Kinds.begin() + row, m_Kinds[size_t(row - 1)]);
    StoreIntoData();
    ExchangeDataKeepingKinds();
    UpdateViews();
}

void CSupportsPage::SetModuleData(CModuleData* data) {
    CMainPage::SetModuleData(data);
    m_grid.SetModuleData(data);
}

void CSupportsPage::InitPageGrid() {
    m_grid.InitGrid();
    m_grid.ExchangeData(false);
}

void CSupportsPage::ExchangeData(bool save) {
    if (!IsWindow()) return;
    m_grid.ExchangeData(save);
    UpdateData(save);
}

// ---- hinges -------------------------------------------------------------------------------------

void CRigelGelenkGrid::InitGrid() {
    CGelenkGrid::InitGrid();
    SetColumnVisible(2, false, false);  // hinges sit at nodes
    FitColumnsToWidth();
}

void CRigelGelenkGrid::InitRow(int row) {
    CGelenkGrid::InitRow(row);
    CFormulaValue empty;
    if (m_pData) empty.SetVariableTable(&m_pData->m_varTable);
    SetFormulaCell(row, 2, empty);
    SetItemText(row, 2, {});
}

void CRigelGelenkGrid::InitNewRecord(CHinge& hinge) {
    const std::vector<CHinge>& all = Hinges();
    const ptrdiff_t index = &hinge - all.data();
    if (index > 0 && size_t(index) <= all.size()) {
        const CHinge& above = all[size_t(index - 1)];
        hinge.m_iNode = above.m_iNode;
        hinge.m_offset = above.m_offset;
        hinge.m_strDesc = above.m_strDesc;
    } else {
        hinge.m_iNode = 0;
        hinge.m_offset = CFormulaValue(0.0);
        hinge.m_strDesc.clear();
    }
    if (m_pData) hinge.SetVariableTable(&m_pData->m_varTable);
}

void CRigelGelenkGrid::LoadFromData() {
    if (!m_pData) return;
    SetNodeChoices(kNodeFormat, NodePositions(*m_pData));
    Hinges() = m_pData->m_hinges;
    CGelenkGrid::ExchangeData(false);
}

bool CRigelGelenkGrid::ExchangeData(bool save) {
    if (!save || !m_pData) return CGelenkGrid::ExchangeData(save);
    CGelenkGrid::ExchangeData(true);
    m_pData->m_hinges = Hinges();
    return true;
}

void CRigelGelenkGrid::OnAfterChange() {
    ExchangeData(true);
    RedrawSketch(m_pData);
}

// ---- loads --------------------------------------------------------------------------------------

void CRigelLoadGrid::InitGrid() {
    const bool types[12] = {true, true, false, false, true, true, true, true, false, false, true, true};
    for (int t = 0; t < 12; ++t) EnableLoadType(t, types[t]);
    SetEditableLoadCases(true);
    SetSelfWeightDefault(kSpecificWeight);
    CLoadGrid::InitGrid();
    SetColumnVisible(0, false, false);
    for (int c = 13; c <= 16; ++c) SetColumnVisible(c, false, false);
    for (int c = 8; c <= 10; ++c) SetColumnVisible(c, true, false);
    FitColumnsToWidth();
}

void CRigelLoadGrid::InitNewRecord(CLoadDef& load) {
    const std::vector<CLoadDef>& all = Loads();
    const ptrdiff_t index = &load - all.data();
    const CLoadDef* above = index > 0 && size_t(index) <= all.size() ? &all[size_t(index - 1)] : nullptr;
    load.m_iLoadType = LOAD_UNIFORM;
    load.m_iDirection = 2;
    load.m_bHasDirection = 0;
    load.m_offset = CFormulaValue(0.0);
    load.m_length = CFormulaValue(0.0);
    load.m_iLoadCase = above ? above->m_iLoadCase : 1;
    load.m_LCGen.m_strText = above ? above->m_LCGen.m_strText : "1";
    load.m_LCGen.Parse();
    load.m_strDesc = "tl";
    load.m_ey = CFormulaValue(0.0);
    load.m_ez = CFormulaValue(0.0);
    for (CFormulaValue& v : load.m_val) v = CFormulaValue(0.0);
    load.m_val[0] = !above || above->m_bHasDirection ? CFormulaValue(1.0) : above->m_val[0];
    load.m_length = CFormulaValue(FieldLengthFrom(load.m_iNode));
    if (m_pData) load.SetVariableTable(&m_pData->m_varTable);
}

double CRigelLoadGrid::FieldLengthFrom(int node) const {
    if (!m_pData || node < 0 || size_t(node) + 1 >= m_pData->m_fieldLengths.size()) return 0.0;
    return m_pData->m_fieldLengths[size_t(node) + 1].GetValue();
}

void CRigelLoadGrid::InitTypedNewLoad(CLoadDef& load, int col) {
    constexpr int kActionCol = 1, kNodeCol = 5;
    if (col == kNodeCol) {
        CVariableTable* table = load.m_length.GetVariableTable();
        load.m_length = CFormulaValue(FieldLengthFrom(load.m_iNode));
        load.m_length.SetVariableTable(table);
        return;
    }
    if (col != kActionCol) return;
    // The load cases of another load of the chosen action; an action no
    // load has yet gets the next load case.
    int next = 1;
    for (const CLoadDef& other : Loads()) {
        if (&other == &load) continue;
        if (other.m_iLoadCase == load.m_iLoadCase && !other.m_LCGen.m_strText.empty()) {
            load.m_LCGen.m_strText = other.m_LCGen.m_strText;
            load.m_LCGen.Parse();
            return;
        }
        for (int n : other.m_LCGen.m_numbers) next = std::max(next, n + 1);
    }
    load.m_LCGen.m_strText = std::to_string(next);
    load.m_LCGen.Parse();
}

void CRigelLoadGrid::LoadFromData() {
    if (!m_pData) return;
    SetFormulaTable(&m_pData->m_varTable);
    SetNodeChoices(kNodeFormat, NodePositions(*m_pData));
    std::vector<std::string> actions;
    m_pData->LK().GetActionTexts(actions);
    SetActionNames(actions);
    const std::vector<CLoadDef> loads = m_pData->m_loads;
    Loads() = loads;
    SetLoadCount(int(loads.size()));
    CLoadGrid::ExchangeData(false);
}

bool CRigelLoadGrid::ExchangeData(bool save) {
    if (!save || !m_pData) return CLoadGrid::ExchangeData(save);
    CLoadGrid::ExchangeData(true);
    m_pData->m_loads = Loads();
    return true;
}

void CRigelLoadGrid::OnAfterChange() {
    ExchangeData(true);
    m_bChanged = true;
    if (m_pData) m_pData->UpdateViews(0);
    LoadFromData();
}

void CLoadsPage::OnEinwirkungen() {
    if (!m_pData) return;
    ExchangeData(true);
    std::string error;
    m_pData->CheckLoadCases(error);
    if (!error.empty()) {
        winsys::MessageBox(error, "", winsys::Buttons::Ok, winsys::Icon::Error);
        return;
    }
    m_pData->BuildLoadCaseActionTable();
    // The dialog edits the position's settings in place, from a backup of
    // them that its Cancel puts back; the rules are not editable there.
    CLKData& settings = m_pData->LK();
    if (ActionsRunner())
        ActionsRunner()(settings, this);
    else
        CLKDlg::Run(settings);
    ExchangeData(false);
}
