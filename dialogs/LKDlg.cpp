#include "dialogs/LKDlg.h"

#include <algorithm>

#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/controls.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kDialogName = "LKDlg";

const wl::TemplateRegistrar kTemplates({
    {CLKDlg::kTemplateId, "Einwirkungen definieren", 430, 214, 0,
     {
         {CLKDlg::IDC_GRID, Kind::Custom, "Einwirkungen", 7, 7, 416, 140, 0, {}, "RigelGridCtrl"},
         {CLKDlg::IDC_GINF, Kind::CheckBox, "Ständige Einwirkungen auch mit gamma_G,inf berechnen", 7, 153, 260, 10},
         {CLKDlg::IDC_GSUP, Kind::CheckBox, "Ständige Einwirkungen mit gamma_G,sup=1.5 berechnen (DIN EN 12811)", 7,
          166, 260, 10},
         {CLKDlg::IDC_SNOW_LABEL, Kind::Static, "Höhe über NN [m]", 290, 155, 70, 10},
         {CLKDlg::IDC_SNOW, Kind::Edit, "", 363, 153, 60, 12, wl::kRight},
         {CLKDlg::IDC_SHOW_RULES, Kind::Button, "Kombinationsregeln ansehen", 7, 193, 110, 14},
         {CLKDlg::IDC_CREATE_RULES, Kind::Button, "Kombinationsregeln erzeugen", 122, 193, 110, 14},
         {wl::IDOK, Kind::Button, "OK", 318, 193, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 373, 193, 50, 14},
     }},
    {CLKRulesDlg::kTemplateId, "erzeugte Lastkollektive", 400, 220, 0,
     {
         {CLKRulesDlg::IDC_GRID, Kind::Custom, "", 7, 7, 386, 180, 0, {}, "RigelGridCtrl"},
         {wl::IDOK, Kind::Button, "OK", 288, 199, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 343, 199, 50, 14},
     }},
});

void ShowItem(wl::Window& w, int id, bool show) {
    if (QWidget* c = w.GetDlgItemWidget(id)) c->setVisible(show);
}

std::string Tr(const std::string& text) {
    return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, kDialogName, text);
}

std::vector<std::string> Translated(std::vector<std::string> list) {
    for (std::string& s : list) s = Tr(s);
    return list;
}

}  // namespace

// ---- the grid of actions -----------------------------------------------------------------------

CEinwGrid::CEinwGrid() {
    m_altGroupNames.push_back(Tr("keine"));
    for (int i = 1; i <= 9; ++i) m_altGroupNames.push_back(Tr(winsys::FormatC("Alternativgruppe %d", i)));
}

CEinwGrid::~CEinwGrid() = default;

std::vector<std::string> CEinwGrid::AltGroupNames() const {
    const int count = m_pData ? std::clamp(m_pData->m_nAltGroupCount + 1, 1, int(m_altGroupNames.size()))
                              : int(m_altGroupNames.size());
    return {m_altGroupNames.begin(), m_altGroupNames.begin() + count};
}

void CEinwGrid::InitGrid() {
    Setup(15, kColumns, 1, 1);
    const int widths[kColumns] = {0, 5, 10, 15, 15, 15, 22, 17, 15};
    const char* titles[kColumns] = {"", "Einw", "Lastfälle", "Lastgruppe", "Lastkategorie", "KLED",
                                    "Last nicht feldweise aufteilen", "Alternativgruppe", "Beiwerte"};
    for (int c = 0; c < kColumns; ++c) {
        SetColumnRelWidth(c, widths[c]);
        if (c > 0) SetCenteredText(0, c, Tr(titles[c]));
    }
    const CLKData* d = m_pData;
    SetColumnVisible(COL_LOADCASES, d && d->m_bSyncActions, false);
    SetColumnVisible(COL_CATEGORY, d && d->m_bShowCategory, false);
    SetColumnVisible(COL_KLED, d && d->m_bShowDurationClass, false);
    SetColumnVisible(COL_NOTSPLIT, d && d->m_bShowNotSplit, false);
    SetColumnVisible(COL_ALTGROUP, d && d->m_bAltGroups, false);
    SetColumnVisible(COL_FACTORS, false, false);
    FitColumnsToWidth();
}

void CEinwGrid::FillGroupChoices() {
    m_groupNames.clear();
    m_categoryNames.clear();
    if (!m_pData) return;
    m_pData->GetGroupNames(m_groupNames);
    // The categories of the first visible group, until a row chooses its own.
    if (!m_groupNames.empty()) m_pData->GetCategoryNames(m_groupNames.front(), m_categoryNames);
    CLKData::GetDurationClassNames(m_durationNames);
    m_groupNames = Translated(m_groupNames);
    m_categoryNames = Translated(m_categoryNames);
    m_durationNames = Translated(m_durationNames);
}

void CEinwGrid::InitRow(int row) {
    FillGroupChoices();
    SetCellType(row, COL_NUMBER, KIND_INT);
    SetCellType(row, COL_LOADCASES, KIND_TEXT);
    SetCellType(row, COL_GROUP, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_GROUP, m_groupNames);
    SetCellType(row, COL_CATEGORY, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_CATEGORY, m_categoryNames);
    SetCellType(row, COL_KLED, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_KLED, m_durationNames);
    SetCellType(row, COL_NOTSPLIT, KIND_CHECK);
    SetCellType(row, COL_ALTGROUP, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_ALTGROUP, AltGroupNames());
    SetCellType(row, COL_FACTORS, KIND_BUTTON);
    SetButtonCellText(row, COL_FACTORS, Tr("ansehen"));
    SetCellReadOnly(row, COL_LOADCASES, true);
    ClearContextMenuItems();
    AddContextMenuItem(CGridCellRange(1, 0, GetRowCount(), kColumns - 1), Tr("Einwirkung löschen"), CMD_DELETE);
    FitColumnsToWidth();
}

void CEinwGrid::SetRowLocks(int row, bool readOnly, int fullGroup) {
    for (int c = COL_NUMBER; c <= COL_GROUP; ++c) SetCellReadOnly(row, c, readOnly || c == COL_LOADCASES);
    // A permanent action has no category, duration class, not-split or
    // alternative group.
    for (int c = COL_CATEGORY; c <= COL_ALTGROUP; ++c) SetCellReadOnly(row, c, readOnly || fullGroup == 0);
}

bool CEinwGrid::ExchangeData(bool save) {
    if (!m_pData) return false;
    std::vector<CActionRecord>& actions = m_pData->m_actions;
    if (save) {
        const std::vector<CActionRecord> old = actions;
        actions.clear();
        for (int r = 1; r < GetRowCount(); ++r) {
            // Fields the grid does not show come from the record at that place.
            CActionRecord a = size_t(r - 1) < old.size() ? old[size_t(r - 1)] : CActionRecord{};
            a.m_nNumber = GetIntCell(r, COL_NUMBER);
            a.m_strLoadCases = GetItemText(r, COL_LOADCASES);
            a.m_nGroup = GetComboCellIndex(r, COL_GROUP);
            a.m_nCategory = GetComboCellIndex(r, COL_CATEGORY);
            a.m_nDurationClass = GetComboCellIndex(r, COL_KLED);
            a.m_bNotSplit = GetCheckCell(r, COL_NOTSPLIT) != 0;
            a.m_nAltGroup = GetComboCellIndex(r, COL_ALTGROUP);
            a.m_nFullGroup = m_pData->GetFullGroupIndex(a.m_nGroup);
            if (a.m_nNumber > 0) actions.push_back(a);
        }
        Refresh();
        return true;
    }
    if (m_pData->m_bSyncActions) m_pData->UpdateActionsFromLoadCases();
    const int n = int(actions.size());
    SetRowCount(n + 2);
    for (int i = 0; i < n; ++i) {
        const CActionRecord a = actions[size_t(i)];
        const int row = i + 1;
        m_bLoading = true;
        OnComboCellSelChanged(row, COL_GROUP, a.m_nGroup);
        m_bLoading = false;
        SetIntCell(row, COL_NUMBER, a.m_nNumber);
        SetTextCell(row, COL_LOADCASES, a.m_strLoadCases);
        SetComboCellIndex(row, COL_GROUP, a.m_nGroup);
        SetComboCellIndex(row, COL_CATEGORY, a.m_nCategory);
        SetComboCellIndex(row, COL_KLED, a.m_nDurationClass);
        SetCheckCell(row, COL_NOTSPLIT, a.m_bNotSplit ? 1 : 0);
        SetComboCellIndex(row, COL_ALTGROUP, a.m_nAltGroup);
        SetRowLocks(row, a.m_bReadOnly, a.m_nFullGroup);
    }
    // The empty row for a new action.
    const int last = n + 1;
    InitRow(last);
    SetRowLocks(last, false, -1);
    SetItemText(last, COL_NUMBER, "");
    SetItemText(last, COL_LOADCASES, "");
    for (int c : {COL_GROUP, COL_CATEGORY, COL_KLED, COL_ALTGROUP}) SetComboCellIndex(last, c, -1);
    SetCheckCell(last, COL_NOTSPLIT, 0);
    Refresh();
    return true;
}

void CEinwGrid::ApplyGroupChoice(int row, int index) {
    const int g = m_pData->GetFullGroupIndex(index);
    // The session knows the groups by their own (untranslated) names.
    std::vector<std::string> groups, categories;
    m_pData->GetGroupNames(groups);
    m_pData->GetCategoryNames(size_t(index) < groups.size() ? groups[size_t(index)] : std::string(), categories);
    SetComboCellChoices(row, COL_CATEGORY, Translated(categories));
    for (int c = COL_CATEGORY; c <= COL_ALTGROUP; ++c) SetCellReadOnly(row, c, g == 0);
    if (g != 1 && g != 2) {
        SetComboCellIndex(row, COL_CATEGORY, 0);
        SetComboCellIndex(row, COL_KLED, m_pData->GetDefaultDurationClass(g, 0));
    } else if (!m_bLoading) {
        if (GetComboCellIndex(row, COL_CATEGORY) < 0) SetComboCellIndex(row, COL_CATEGORY, 0);
        SetComboCellIndex(row, COL_KLED, m_pData->GetDefaultDurationClass(g, 1));
    }
}

void CEinwGrid::OnComboCellSelChanged(int row, int col, int index) {
    if (!m_pData || index < 0) return;
    if (col == COL_GROUP) {
        ApplyGroupChoice(row, index);
        Refresh();
    } else if (col == COL_CATEGORY) {
        const int g = m_pData->GetFullGroupIndex(GetComboCellIndex(row, COL_GROUP));
        SetComboCellIndex(row, COL_KLED, m_pData->GetDefaultDurationClass(g, index));
        SetCheckCell(row, COL_NOTSPLIT, m_pData->IsNotSplitCategory(index) ? 1 : 0);
        Refresh();
    }
}

void CEinwGrid::OnCheckCellClicked(int row, int col) { OnCellValueChanged(row, col, KIND_CHECK); }

void CEinwGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    if (!m_pData) return;
    if (col == COL_NUMBER && GetIntCell(row, COL_NUMBER) == 0) SetIntCell(row, COL_NUMBER, 1);
    if (row == LastRow()) {
        bool add = false;
        switch (col) {
        case COL_NUMBER: add = GetIntCell(row, col) != 0; break;
        case COL_LOADCASES: add = !GetItemText(row, col).empty(); break;
        case COL_GROUP:
        case COL_CATEGORY:
        case COL_KLED: add = GetComboCellIndex(row, col) >= 0; break;
        case COL_NOTSPLIT: add = true; break;
        default: break;  // an alternative group alone makes no action
        }
        if (add) {
            AddRow();
            m_pData->m_actions.emplace_back();
        }
    }
    if (col == COL_NUMBER) {
        const int n = GetIntCell(row, COL_NUMBER);
        if (n != 0) {
            ExchangeData(true);
            if (row >= 1 && size_t(row - 1) < m_pData->m_actions.size())
                m_pData->m_actions[size_t(row - 1)].m_strLoadCases = m_pData->GetLoadCaseText(n);
            ExchangeData(false);
        }
    }
    ExchangeData(true);
}

void CEinwGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    if (!m_pData || row < 1 || size_t(row - 1) >= m_pData->m_actions.size()) return;
    if (GetIntCell(row, COL_NUMBER) < 1) return;
    ExchangeData(true);
    std::vector<CActionRecord>& actions = m_pData->m_actions;
    if (size_t(row - 1) >= actions.size()) return;
    if (id == CMD_DELETE) {
        actions.erase(actions.begin() + (row - 1));
    } else if (id == CMD_COPY) {
        const CActionRecord copy = actions[size_t(row - 1)];
        actions.insert(actions.begin() + row, copy);
    } else {
        return;
    }
    ExchangeData(false);
}

// ---- the grid of combinations -------------------------------------------------------------------

CKombiGrid::CKombiGrid() = default;
CKombiGrid::~CKombiGrid() = default;

void CKombiGrid::InitGrid() {
    Setup(2, kColumns, 1, 1);
    const int widths[kColumns] = {0, 10, 15, 60};
    for (int c = 0; c < kColumns; ++c) SetColumnRelWidth(c, widths[c]);
    SetCenteredText(0, COL_NUMBER, Tr("Kollektiv"));
    SetCenteredText(0, COL_TYPE, Tr("Nachweis"));
    SetCenteredText(0, COL_RULE, Tr("Bildungsvorschrift"));
    FitColumnsToWidth();
}

void CKombiGrid::InitRow(int row) {
    SetCellType(row, COL_NUMBER, KIND_INT);
    SetCellType(row, COL_TYPE, KIND_TEXT);
    SetCellType(row, COL_RULE, KIND_TEXT);
    for (int c = COL_NUMBER; c <= COL_RULE; ++c) SetCellReadOnly(row, c, !Editable());
    FitColumnsToWidth();
    ClearContextMenuItems();
    if (Editable()) {
        const CGridCellRange range(1, 0, GetRowCount(), kColumns - 1);
        AddContextMenuItem(range, Tr("Einwirkung löschen"), CMD_DELETE);
        AddContextMenuItem(range, Tr("Einwirkung kopieren"), CMD_COPY);
    }
}

bool CKombiGrid::ExchangeData(bool save) {
    if (!m_pData) return false;
    std::vector<CCombinationRecord>& list = m_pData->m_combinations;
    if (save) {
        if (!Editable()) return false;
        list.clear();
        for (int r = 1; r < GetRowCount(); ++r) {
            const std::string type = GetItemText(r, COL_TYPE);
            if (type.empty()) continue;
            CCombinationRecord c;
            c.m_strType = type;
            c.m_strRule = c.m_strRuleUser = GetItemText(r, COL_RULE);
            list.push_back(c);
        }
        return true;
    }
    const int n = int(list.size());
    SetRowCount(n + 2);
    for (int i = 0; i < n; ++i) {
        SetIntCell(i + 1, COL_NUMBER, i + 1);
        SetTextCell(i + 1, COL_TYPE, list[size_t(i)].m_strType);
        SetTextCell(i + 1, COL_RULE, list[size_t(i)].m_strRuleUser);
    }
    for (int c = COL_NUMBER; c <= COL_RULE; ++c) SetItemText(n + 1, c, "");
    InitRow(n + 1);
    Refresh();
    return true;
}

void CKombiGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    if (!m_pData) return;
    if (row == GetRowCount() - 1) {
        const bool entry = col == COL_NUMBER ? GetIntCell(row, col) != 0 : !GetItemText(row, col).empty();
        // The typed row stays as typed; a new empty row comes below it.
        if (entry) AddRow();
    }
    ExchangeData(true);
}

void CKombiGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    if (!Editable() || row < 1 || size_t(row - 1) >= m_pData->m_combinations.size()) return;
    ExchangeData(true);
    std::vector<CCombinationRecord>& list = m_pData->m_combinations;
    if (size_t(row - 1) >= list.size()) return;
    if (id == CMD_DELETE) {
        list.erase(list.begin() + (row - 1));
    } else if (id == CMD_COPY) {
        const CCombinationRecord copy = list[size_t(row - 1)];
        list.insert(list.begin() + row, copy);
    } else {
        return;
    }
    ExchangeData(false);
}

// ---- "erzeugte Lastkollektive" ---------------------------------------------------------------------

CLKRulesDlg::CLKRulesDlg(CLKData* data) : wl::Dialog(kTemplateId), m_pData(data) {}
CLKRulesDlg::~CLKRulesDlg() = default;

bool CLKRulesDlg::OnInitDialog() {
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_Grid);
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, kDialogName);
    m_Grid.SetData(m_pData);
    m_Grid.InitGrid();
    m_Grid.ExchangeData(false);
    return true;
}

void CLKRulesDlg::OnOK() {
    if (m_pData && m_pData->m_bRulesEditable) m_Grid.ExchangeData(true);
    EndDialog(wl::IDOK);
}

// ---- "Einwirkungen definieren" ------------------------------------------------------------------------

CLKDlg::CLKDlg() : wl::Dialog(kTemplateId) {}
CLKDlg::~CLKDlg() = default;

int CLKDlg::Run(CLKData& data) {
    CLKDlg dlg;
    dlg.SetData(&data);
    dlg.Backup() = data;
    data.m_bRulesEditable = false;
    dlg.SuppressGeneration(false);
    return dlg.DoModal();
}

bool CLKDlg::OnInitDialog() {
    if (!m_pData) return false;
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_Grid);
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, kDialogName);
    m_bGInf = m_pData->m_bCheckWithGInf ? 1 : 0;
    m_bGSup = std::abs(m_pData->m_dGInfFactor - 1.0) > 0.0001 ? 1 : 0;
    m_strSnowHeight = winsys::FormatC("%8.0lf", m_pData->m_dSnowHeight);
    UpdateData(false);
    ShowItem(*this, IDC_GINF, m_pData->m_bShowGInfOption);
    m_Grid.SetData(m_pData);
    m_Grid.InitGrid();
    m_Grid.ExchangeData(false);
    ShowItem(*this, IDC_SHOW_RULES, m_pData->m_bShowRulesButton);
    ShowItem(*this, IDC_CREATE_RULES, m_bNoGeneration);
    const bool snow = m_pData->GetNorm() == 2;  // "SIA 260:2003"
    ShowItem(*this, IDC_SNOW_LABEL, snow);
    ShowItem(*this, IDC_SNOW, snow);
    MapCommand(IDC_SHOW_RULES, [this] { OnShowRules(); });
    MapCommand(IDC_CREATE_RULES, [this] { OnCreateRules(); });
    return true;
}

void CLKDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Check(dx, IDC_GINF, m_bGInf);
    wl::DDX_Check(dx, IDC_GSUP, m_bGSup);
    wl::DDX_Text(dx, IDC_SNOW, m_strSnowHeight);
}

void CLKDlg::TakeOptions() {
    UpdateData(true);
    m_pData->m_bCheckWithGInf = m_bGInf != 0;
    m_pData->m_dGInfFactor = m_bGSup ? kGSupFactor : 1.0;
    // A decimal number with a point; text that is no number gives 0.
    size_t start = m_strSnowHeight.find_first_not_of(' ');
    std::optional<double> v;
    if (start != std::string::npos) v = winsys::ParseDouble(std::string_view(m_strSnowHeight).substr(start));
    m_pData->m_dSnowHeight = v ? *v : 0.0;
}

void CLKDlg::OnOK() {
    if (!m_pData) return EndDialog(wl::IDOK);
    m_Grid.ExchangeData(true);
    TakeOptions();
    if (!m_pData->CheckDuplicateActions()) return;  // its message is shown; the dialog stays
    if (!m_bNoGeneration && !m_bGenerated) m_pData->Generate();
    EndDialog(wl::IDOK);
}

void CLKDlg::OnCancel() {
    if (m_pData) *m_pData = m_Backup;
    EndDialog(wl::IDCANCEL);
}

void CLKDlg::OnShowRules() {
    if (!m_pData) return;
    TakeOptions();
    if (!m_bNoGeneration && !m_pData->Generate()) return;
    m_bGenerated = true;
    CLKRulesDlg rules(m_pData);
    rules.DoModal();
}

void CLKDlg::OnCreateRules() {
    if (!m_pData) return;
    TakeOptions();
    m_pData->Generate();
    OnShowRules();
}

bool CLKDlg::OnHelpInfo() {
    OpenProgramDocument("help/Einwirkungen definieren.pdf");
    return false;
}
