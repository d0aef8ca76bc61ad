#include "dialogs/StabSysGrid.h"

#include <cmath>
#include <cstdio>

#include "dialogs/SpringValDlg.h"
#include "module/frame/ModuleState.h"

namespace {

double ValueOf(const CSupport& s, int d) {
    CFormulaValue v;
    int kind = 0;
    s.GetValueByIdx(d, v, kind);
    return v.GetValue();
}

bool IsSpring(double v) { return v != 0.0 && v != kRigidSpring; }

template <class T>
void EraseAt(std::vector<T>& v, int i) {
    if (i >= 0 && i < int(v.size())) v.erase(v.begin() + i);
}
template <class T>
void CopyAfter(std::vector<T>& v, int i) {
    if (i >= 0 && i < int(v.size())) v.insert(v.begin() + i + 1, T(v[size_t(i)]));
}

}  // namespace

CStabSysGrid::CStabSysGrid() : m_KindNames{"Mauerwerk", "Beton direkt", "Beton indirekt"} {
    SetGroupHeaderStrip(true);
}

CStabSysGrid::~CStabSysGrid() = default;

void CStabSysGrid::InitGrid() {
    Setup(2, kColumns, 1, 1);
    const int widths[kColumns] = {5, 5, 10, 10, 10, 10, 6, 6, 10, 4, 4, 4, 4, 4, 4, 4, 10, 10, 12};
    const char* titles[kColumns] = {"",   "Feld", "Länge", "Summe", "Querschnitt", "Querschnittsinfo", "Stabtlg.",
                                    "Beulfelder.", "Bettung", "Cx", "Cy", "Cz", "CMx", "CMy", "CMz", "CWölb",
                                    "Federwerte", "Breite", "Art"};
    for (int c = 0; c < kColumns; ++c) {
        SetColumnRelWidth(c, widths[c]);
        SetCenteredText(0, c, titles[c]);
    }
    SetColumnGroupTitle(0, "Felddefinitionen");
    SetColumnGroupTitle(COL_FIRST_FIXITY, "Auflagerdefinitionen");
    for (int c : {int(COL_SECTION), int(COL_SECTION_INFO), int(COL_DIVISIONS), int(COL_BUCKLING), COL_FIRST_FIXITY + 6})
        SetColumnVisible(c, false, false);
    FitColumnsToWidth();
}

void CStabSysGrid::InitRow(int row) {
    SetCellType(row, COL_FIELD, KIND_INT);
    SetCellReadOnly(row, COL_FIELD, true);
    SetItemFormat(row, COL_FIELD, kCentred);
    SetIntCell(row, COL_FIELD, row);
    SetCellType(row, COL_LENGTH, KIND_FORMULA);
    SetNumberCellFormat(row, COL_LENGTH, "%lf", "%.2lf m", 1.0);
    SetItemFormat(row, COL_LENGTH, kCentred);
    SetFormulaCell(row, COL_LENGTH, CFormulaValue(0.0));
    SetItemText(row, COL_LENGTH, {});
    SetCellType(row, COL_SUM, KIND_DOUBLE);
    SetNumberCellFormat(row, COL_SUM, "%lf", "%.2lf m", 1.0);
    SetCellReadOnly(row, COL_SUM, true);
    SetItemFormat(row, COL_SUM, kCentred);
    SetItemText(row, COL_SUM, {});
    SetCellType(row, COL_SECTION, KIND_BUTTON);
    SetButtonCellText(row, COL_SECTION, "Querschnitt");
    SetCellType(row, COL_SECTION_INFO, KIND_TEXT);
    SetCellReadOnly(row, COL_SECTION_INFO, true);
    for (int c : {int(COL_DIVISIONS), int(COL_BUCKLING)}) {
        SetCellType(row, c, KIND_INT);
        SetItemFormat(row, c, kCentred);
    }
    SetCellType(row, COL_BEDDING, KIND_FORMULA);
    SetNumberCellFormat(row, COL_BEDDING, "%lf", "%.2lf kN/m³", 1.0);
    for (int d = 0; d < 7; ++d) {
        const int c = COL_FIRST_FIXITY + d;
        const int above = row > 1 ? GetCheckCell(row - 1, c) : 0;
        SetCellType(row, c, KIND_CHECK);
        SetCheckCell(row, c, above);
    }
    SetCellType(row, COL_SPRINGS, KIND_BUTTON);
    SetButtonCellText(row, COL_SPRINGS, "Federwerte");
    SetCellType(row, COL_WIDTH, KIND_FORMULA);
    SetNumberCellFormat(row, COL_WIDTH, "%lf", "%.1lf cm", 1.0);
    SetCellType(row, COL_KIND, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_KIND, m_KindNames);
    // The first support has no span.
    if (row == 1)
        for (int c : {int(COL_FIELD), int(COL_LENGTH), int(COL_SUM), int(COL_SECTION), int(COL_BEDDING)}) EnableCell(row, c, false);
    BuildContextMenu();
    FitColumnsToWidth();
}

void CStabSysGrid::SetData(int n) {
    if (n < 0) return;
    const int oldSupports = int(m_Supports.size());
    m_Lengths.resize(size_t(n));
    m_Bedding.resize(size_t(n));
    m_SectionInfo.resize(size_t(n));
    m_Divisions.resize(size_t(n), 0);
    m_Buckling.resize(size_t(n), 0);
    m_Supports.resize(size_t(n + 1));
    m_Widths.resize(size_t(n + 1));
    m_Kinds.resize(size_t(n + 1), 0);
    m_Presets.resize(size_t(n + 1), 0);
    for (int k = oldSupports; k < n + 1; ++k) {
        const int row = k + 1;
        CSupport& s = m_Supports[size_t(k)];
        for (int d = 0; d < 7; ++d)
            s.SetValueByIdx(d, CFormulaValue(row < GetRowCount() && GetCheckCell(row, COL_FIRST_FIXITY + d) ? -1.0 : 0.0), 0);
        if (row < GetRowCount()) {
            m_Widths[size_t(k)] = GetFormulaCell(row, COL_WIDTH);
            m_Kinds[size_t(k)] = std::max(0, GetComboCellIndex(row, COL_KIND));
        }
    }
}

void CStabSysGrid::UpdateSpringCells(int row) {
    const int k = row - 1;
    if (k < 0 || k >= int(m_Supports.size())) return;
    bool any = false;
    for (int d = 0; d < 6; ++d) {
        const bool spring = IsSpring(ValueOf(m_Supports[size_t(k)], d));
        any |= spring;
        // A spring is set in the spring dialog only.
        SetCellReadOnly(row, COL_FIRST_FIXITY + d, spring);
    }
    SetButtonCellText(row, COL_SPRINGS, any ? "-> Federwerte <-" : "Federwerte");
}

std::string CStabSysGrid::GetCellInfo(int row, int col) const {
    const int k = row - 1;
    if (k < 0 || k >= int(m_Supports.size()) || col < COL_FIRST_FIXITY || col > COL_FIRST_FIXITY + 5) return {};
    const int d = col - COL_FIRST_FIXITY;
    const double v = ValueOf(m_Supports[size_t(k)], d);
    if (!IsSpring(v)) return {};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, d < 3 ? "%.4e kN/m" : "%.4e kN/rad", v);
    return buffer;
}

std::string CStabSysGrid::GetCellInfoFile(int row, int col) {
    const char* snippet = col == COL_LENGTH               ? "common_stabSysGrid_fieldLength.rtf"
                          : col == COL_FIRST_FIXITY + 2 ? "common_stabSysGrid_cz.rtf"
                          : col == COL_FIRST_FIXITY + 4 ? "common_stabSysGrid_cmy.rtf"
                                                        : nullptr;
    if (snippet)
        if (ShowRtfTipProc tip = GetShowRtfTipFunc()) tip(snippet);
    return GetCellInfo(row, col);
}

bool CStabSysGrid::ExchangeData(bool save) {
    const int n = FieldCount();
    if (!save) {
        SetRowCount(n + 2);
        double sum = 0.0;
        for (int row = 1; row <= n + 1; ++row) {
            const int k = row - 1;
            SetIntCell(row, COL_FIELD, row);
            if (row >= 2) {
                const CFormulaValue& length = m_Lengths[size_t(k - 1)];
                sum += length.GetValue();
                SetFormulaCell(row, COL_LENGTH, length);
                SetDoubleCell(row, COL_SUM, sum);
                SetTextCell(row, COL_SECTION_INFO, m_SectionInfo[size_t(k - 1)]);
                SetIntCellOrBlank(row, COL_DIVISIONS, m_Divisions[size_t(k - 1)], true);
                SetIntCellOrBlank(row, COL_BUCKLING, m_Buckling[size_t(k - 1)], true);
                SetFormulaCell(row, COL_BEDDING, m_Bedding[size_t(k - 1)]);
            }
            for (int d = 0; d < 7; ++d)
                SetCheckCell(row, COL_FIRST_FIXITY + d, ValueOf(m_Supports[size_t(k)], d) != 0.0 ? 1 : 0);
            SetFormulaCell(row, COL_WIDTH, m_Widths[size_t(k)]);
            SetComboCellIndex(row, COL_KIND, m_Kinds[size_t(k)]);
            UpdateSpringCells(row);
        }
        SetRowCount(n + 3);  // the entry row
        BuildContextMenu();
        Refresh();
        return true;
    }
    int row = -1, col = -1;
    if (GetFocusRowCol(row, col) && row >= 1 && row <= n + 1 && col >= COL_LENGTH && col <= COL_KIND) {
        const int k = row - 1;
        bool changed = false, rewrite = false;
        auto takeFormula = [&](CFormulaValue& field) {
            const CFormulaValue value = GetFormulaCell(row, col);
            if (std::fabs(value.GetValue() - field.GetValue()) >= 0.0001 || value.GetText() != field.GetText()) {
                CVariableTable* table = field.GetVariableTable();
                field = value;
                if (table && !field.GetVariableTable()) field.SetVariableTable(table);
                changed = true;
            }
        };
        if (col == COL_LENGTH && row >= 2) {
            takeFormula(m_Lengths[size_t(k - 1)]);
            rewrite = changed;
        } else if (col == COL_BEDDING && row >= 2) {
            takeFormula(m_Bedding[size_t(k - 1)]);
            rewrite = changed;
        } else if ((col == COL_DIVISIONS || col == COL_BUCKLING) && row >= 2) {
            int& field = col == COL_DIVISIONS ? m_Divisions[size_t(k - 1)] : m_Buckling[size_t(k - 1)];
            const int before = field;
            GetIntCellIfEnabled(row, col, field, true);
            changed = before != field;
        } else if (col >= COL_FIRST_FIXITY && col < COL_FIRST_FIXITY + 7) {
            const int d = col - COL_FIRST_FIXITY;
            const double value = GetCheckCell(row, col) ? kRigidSpring : 0.0;
            if (ValueOf(m_Supports[size_t(k)], d) != value) {
                m_Supports[size_t(k)].SetValueByIdx(d, CFormulaValue(value), 0);
                changed = true;
            }
        } else if (col == COL_WIDTH) {
            takeFormula(m_Widths[size_t(k)]);
        } else if (col == COL_KIND) {
            m_Kinds[size_t(k)] = std::max(0, GetComboCellIndex(row, col));
        }
        if (changed) {
            OnAfterChange();
            OnAfterCellChange(row, col);
        }
        if (rewrite) {
            ExchangeData(false);
            SetFocusCell(row, col);
        }
    }
    BuildContextMenu();
    return true;
}

void CStabSysGrid::OnCheckCellClicked(int row, int col) { OnCellValueChanged(row, col, KIND_CHECK); }

void CStabSysGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    const int n = FieldCount();
    if (col == COL_LENGTH && row == n + 2) {
        const CFormulaValue typed = GetFormulaCell(row, col);
        if (typed.GetValue() != 0.0) {
            SetData(n + 1);
            m_Lengths[size_t(n)] = typed;
            ExchangeData(false);
            OnAfterChange();
            return;
        }
    }
    if (col == COL_LENGTH && row == n + 1 && row >= 2 && GetFormulaCell(row, col).GetValue() == 0.0) {
        if (n >= 2) {
            // The last span goes (never the only one).
            SetData(n - 1);
            ExchangeData(false);
            OnAfterChange();
        } else {
            ExchangeData(false);  // the only span keeps its length
        }
        return;
    }
    ExchangeData(true);
}

void CStabSysGrid::BuildContextMenu() {
    ClearContextMenuItems();
    const int n = FieldCount();
    if (n < 1) return;
    const CGridCellRange range(2, 0, n + 1, GetColumnCount() - 1);
    AddContextMenuItem(range, "Feld löschen", CMD_DELETE);
    AddContextMenuItem(range, "Feld kopieren", CMD_COPY);
}

void CStabSysGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    const int n = FieldCount();
    if (row < 2 || row > n + 1) return;
    const int span = row - 2, support = row - 1;
    if (id == CMD_DELETE) {
        EraseAt(m_Lengths, span);
        EraseAt(m_Bedding, span);
        EraseAt(m_SectionInfo, span);
        EraseAt(m_Divisions, span);
        EraseAt(m_Buckling, span);
        EraseAt(m_Supports, support);
        EraseAt(m_Widths, support);
        EraseAt(m_Kinds, support);
        EraseAt(m_Presets, support);
    } else if (id == CMD_COPY) {
        CopyAfter(m_Lengths, span);
        CopyAfter(m_Bedding, span);
        CopyAfter(m_SectionInfo, span);
        CopyAfter(m_Divisions, span);
        CopyAfter(m_Buckling, span);
        CopyAfter(m_Supports, support);
        CopyAfter(m_Widths, support);
        CopyAfter(m_Kinds, support);
        CopyAfter(m_Presets, support);
    } else {
        return;
    }
    ExchangeData(false);
    OnAfterChange();
}

void CStabSysGrid::OnButtonCellClicked(int row, int col) {
    const int k = row - 1;
    if (col != COL_SPRINGS || k < 0 || k >= int(m_Supports.size())) return;
    int mask = 0;
    for (int d = 0; d < 6; ++d)
        if (IsColumnVisible(COL_FIRST_FIXITY + d)) mask |= 1 << d;
    const bool endSupport = k == 0 || k == int(m_Supports.size()) - 1;
    CSpringValDlg dlg(m_Supports[size_t(k)], mask, endSupport, m_Presets[size_t(k)], m_bShowFixity, m_bShowComputed);
    if (dlg.DoModal() != wl::IDOK) return;
    m_Supports[size_t(k)] = dlg.GetSupport();
    m_Presets[size_t(k)] = dlg.GetPreset();
    OnAfterChange();
    UpdateSpringCells(row);
    ExchangeData(false);
}
