#include "dialogs/LoadGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dialogs/SimpleImportDlg.h"
#include "input/LoadGridTables.h"

namespace {

constexpr int kAction = 1, kCases = 2, kText = 3, kType = 4, kNode = 5, kOffset = 6, kLength = 7, kEy = 8, kEz = 9,
              kDirection = 10, kFirstValue = 11;

LoadValueImportRunner& Runner() {
    static LoadValueImportRunner runner;
    return runner;
}

std::string NodeText(const std::string& format, int number, double x) {
    // The page's format takes the node number and its x; any other shape
    // falls back to the usual one.
    const bool usable = format.find("%d") != std::string::npos && format.find("lf") != std::string::npos &&
                        format.find("%d") < format.find("lf") &&
                        std::count(format.begin(), format.end(), '%') == 2;
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, usable ? format.c_str() : "%d (x=%.2lf m)", number, x);
    return buffer;
}

CFormulaValue* FieldOf(CLoadDef& load, int col) {
    switch (col) {
    case kOffset: return &load.m_offset;
    case kLength: return &load.m_length;
    case kEy: return &load.m_ey;
    case kEz: return &load.m_ez;
    default: return col >= kFirstValue && col < kFirstValue + 6 ? &load.m_val[col - kFirstValue] : nullptr;
    }
}

}  // namespace

void SetLoadValueImportRunner(LoadValueImportRunner runner) { Runner() = std::move(runner); }

std::optional<LoadValueImport> RunLoadValueImport(wl::Window* owner) {
    if (Runner()) return Runner()(owner);
    // The choice of one value exported by a position of the project.
    CDlgSimpleImportVal dlg;
    if (dlg.DoModal() != wl::IDOK) return std::nullopt;
    return LoadValueImport{dlg.m_result.m_strVarName, dlg.m_result};
}

CLoadGrid::CLoadGrid() { SetRowHighlighting(true); }
CLoadGrid::~CLoadGrid() = default;

std::vector<int> CLoadGrid::EnabledTypes() const {
    std::vector<int> types;
    for (int t = 0; t < LOAD_TYPE_COUNT; ++t)
        if (m_bTypeEnabled[t]) types.push_back(t);
    return types;
}

std::vector<int> CLoadGrid::EnabledDirections() const {
    std::vector<int> dirs;
    for (int d = 0; d < 3; ++d)
        if (m_bDirectionEnabled[d]) dirs.push_back(d);
    return dirs;
}

void CLoadGrid::EnableLoadType(int type, bool enable) {
    if (type >= 0 && type < LOAD_TYPE_COUNT) m_bTypeEnabled[type] = enable;
}

void CLoadGrid::EnableDirection(int direction, bool enable) {
    if (direction >= 0 && direction < 3) m_bDirectionEnabled[direction] = enable;
}

void CLoadGrid::SetImportValues(std::vector<CImportValue>* list) {
    m_pImportValues = list;
    BuildContextMenu();
}

void CLoadGrid::InitGrid() {
    Setup(2, kColumns, 1, 1);
    const int widths[kColumns] = {0, m_bActionsAsNumbers ? 5 : 15, 10, 15, 15, 15, 10, 10, 10, 10, 15, 10, 10, 10, 10, 10, 10};
    for (int c = 0; c < kColumns; ++c) SetColumnRelWidth(c, widths[c]);
    const char* titles[kColumns] = {"", "Einwirkung", "Lastfälle", "Lasttext", "Typ", "Knoten", "dx", "Länge", "eY", "eZ",
                                    "Richtung", "", "", "", "", "", ""};
    for (int c = 0; c < kColumns; ++c) SetCenteredText(0, c, titles[c]);
    UpdateHeader(0);
    FitColumnsToTexts();
}

void CLoadGrid::UpdateHeader(int loadIndex) {
    int type = LOAD_UNIFORM, direction = -1;
    bool withDirection = false;
    if (loadIndex >= 0 && loadIndex < LoadCount()) {
        const CLoadDef& l = m_Loads[size_t(loadIndex)];
        type = l.m_iLoadType;
        withDirection = ShowsDirection(l);
        direction = l.m_iDirection;
    }
    const loadgrid::Header h = loadgrid::Headers(type, withDirection, direction);
    SetCenteredText(0, kLength, h.length);
    for (int i = 0; i < 6; ++i) SetCenteredText(0, kFirstValue + i, h.values[size_t(i)]);
    Refresh();
}

void CLoadGrid::InitRow(int row) {
    InitRowCells(row);
    FitColumnsToTexts();
}

void CLoadGrid::FitColumnsToTexts() {
    FitColumnsToWidth();
    const int cols = GetColumnCount(), rows = GetRowCount();
    if (cols != kColumns || rows < 1) return;
    // What each shown column needs for its title and its texts (a choice
    // also for its button); the value columns are served first.
    constexpr int kComboButton = 18;
    std::vector<int> need(size_t(cols), 0), title(size_t(cols), 0);
    std::vector<bool> shown(size_t(cols), false), value(size_t(cols), false);
    int total = 0, last = -1;
    for (int c = 0; c < cols; ++c) {
        total += GetColumnWidth(c);
        if (!IsColumnVisible(c) || GetColumnWidth(c) <= 0) continue;
        shown[size_t(c)] = true;
        last = c;
        value[size_t(c)] = (c >= kOffset && c <= kEz) || c >= kFirstValue;
        for (int r = 0; r < rows; ++r) {
            CGridCellBase* cell = GetCell(r, c);
            if (!cell) continue;
            int w = cell->GetTextExtent(GetItemText(r, c), nullptr).cx;
            const int kind = GetCellKind(r, c);
            if (r > 0 && (kind == KIND_COMBO_INDEX || kind == KIND_COMBO_TEXT)) w += kComboButton;
            need[size_t(c)] = std::max(need[size_t(c)], w);
            if (r == 0) title[size_t(c)] = w;
        }
    }
    if (last < 0 || total <= 0) return;
    long long sumNeed = 0, valueNeed = 0, textNeed = 0, textTitles = 0;
    for (int c = 0; c < cols; ++c) {
        if (!shown[size_t(c)]) continue;
        sumNeed += need[size_t(c)];
        if (value[size_t(c)]) {
            valueNeed += need[size_t(c)];
        } else {
            textNeed += need[size_t(c)];
            textTitles += title[size_t(c)];
        }
    }
    if (sumNeed <= 0) return;
    std::vector<int> width(size_t(cols), 0);
    const long long rest = total - valueNeed;
    for (int c = 0; c < cols; ++c) {
        if (!shown[size_t(c)]) continue;
        const double n = need[size_t(c)];
        double w = 0;
        if (sumNeed <= total) {
            // Room for everything: the spare width shared by need.
            w = n + double(total - sumNeed) * n / double(sumNeed);
        } else if (rest >= textTitles) {
            // The values in full; the other columns share the rest, each
            // keeping its title.
            const double t = title[size_t(c)];
            w = value[size_t(c)] ? n
                                 : t + (textNeed > textTitles ? double(rest - textTitles) * (n - t) /
                                                                    double(textNeed - textTitles)
                                                              : 0.0);
        } else {
            w = n * double(total) / double(sumNeed);
        }
        width[size_t(c)] = int(std::floor(w));
    }
    int used = 0;
    for (int w : width) used += w;
    width[size_t(last)] += total - used;
    for (int c = 0; c < cols; ++c) SetColumnWidth(c, width[size_t(c)]);
}

void CLoadGrid::InitRowCells(int row) {
    if (m_bActionsAsNumbers) {
        SetCellType(row, kAction, KIND_INT);
    } else {
        SetCellType(row, kAction, KIND_COMBO_INDEX);
        SetComboCellChoices(row, kAction, m_ActionNames);
    }
    SetCellType(row, kCases, KIND_TEXT);
    SetCellType(row, kText, KIND_TEXT);
    SetCellType(row, kType, KIND_COMBO_INDEX);
    std::vector<std::string> types;
    for (int t : EnabledTypes()) types.push_back(GetLoadTypeName(t));
    SetComboCellChoices(row, kType, types);
    SetCellType(row, kNode, KIND_COMBO_INDEX);
    SetComboCellChoices(row, kNode, m_NodeTexts);
    const char* formats[] = {"%.2lf m", "%.2lf m", "%.1lf cm", "%.1lf cm"};
    for (int c = kOffset; c <= kEz; ++c) {
        SetCellType(row, c, KIND_FORMULA);
        SetNumberCellFormat(row, c, "%lf", formats[c - kOffset], 1.0);
    }
    SetCellType(row, kDirection, KIND_COMBO_INDEX);
    std::vector<std::string> dirs;
    for (int d : EnabledDirections()) dirs.push_back(GetLoadDirectionName(d));
    SetComboCellChoices(row, kDirection, dirs);
    for (int c = kFirstValue; c < kColumns; ++c) {
        SetCellType(row, c, KIND_FORMULA);
        SetNumberCellFormat(row, c, "%lf", "%lg", 1.0);
    }
    OnRowCellsMade(row);
}

void CLoadGrid::WriteRow(int row) {
    if (row < 1 || row >= GetRowCount()) return;
    if (row == LoadCount() + 1) {
        for (int c = 0; c < kColumns; ++c) {
            const int kind = GetCellKind(row, c);
            if (kind == KIND_COMBO_INDEX || kind == KIND_COMBO_TEXT) SetComboCellIndex(row, c, -1);
            if (kind == KIND_FORMULA) {
                CFormulaValue empty(0.0);
                if (m_pFormulaTable) empty.SetVariableTable(m_pFormulaTable);
                SetFormulaCell(row, c, empty);
            }
            SetItemText(row, c, {});
            SetCellReadOnly(row, c, false);
        }
        SetCellReadOnly(row, kCases, !m_bEditableLoadCases);
        return;
    }
    const CLoadDef& l = m_Loads[size_t(row - 1)];
    SetItemText(row, 0, std::to_string(row));
    if (m_bActionsAsNumbers)
        SetIntCell(row, kAction, l.m_iLoadCase);
    else
        SetComboCellIndex(row, kAction, l.m_iLoadCase - 1);
    SetTextCell(row, kCases, l.m_LCGen.m_strText);
    SetTextCell(row, kText, l.m_strDesc);
    const std::vector<int> types = EnabledTypes();
    int typeIndex = -1;
    for (size_t i = 0; i < types.size(); ++i)
        if (types[i] == l.m_iLoadType) typeIndex = int(i);
    SetComboCellIndex(row, kType, typeIndex);
    SetComboCellIndex(row, kNode, l.m_iNode);
    for (int c = kOffset; c <= kEz; ++c) SetFormulaCell(row, c, *FieldOf(const_cast<CLoadDef&>(l), c));
    int dirIndex = -1;
    const bool withDirection = ShowsDirection(l);
    if (withDirection) {
        const std::vector<int> dirs = EnabledDirections();
        for (size_t i = 0; i < dirs.size(); ++i)
            if (dirs[i] == l.m_iDirection) dirIndex = int(i);
    }
    SetComboCellIndex(row, kDirection, dirIndex);
    const std::vector<std::string> formats = loadgrid::ValueFormats(l.m_iLoadType, withDirection);
    for (int i = 0; i < 6; ++i) {
        const std::string table = i < int(formats.size()) ? formats[size_t(i)] : std::string("%.2lf");
        SetNumberCellFormat(row, kFirstValue + i, "%lf", GetValueFormat(l.m_iLoadType, i, table), 1.0);
        SetFormulaCell(row, kFirstValue + i, l.m_val[i]);
    }
    const std::string mask = loadgrid::CellMask(l.m_iLoadType, withDirection);
    for (int c = 1; c < kColumns; ++c) {
        const bool open = mask[size_t(c)] == '1';
        SetCellReadOnly(row, c, !open);
        if (!open) SetItemText(row, c, {});
    }
    if (!m_bEditableLoadCases) SetCellReadOnly(row, kCases, true);
}

void CLoadGrid::SetLoadCount(int n) {
    if (n < 0) return;
    const int old = LoadCount();
    m_Loads.resize(size_t(n));
    for (int i = old; i < n; ++i) InitNewRecord(m_Loads[size_t(i)]);
    SetRowCount(n + 2);
    BuildContextMenu();
}

void CLoadGrid::SetActionNames(const std::vector<std::string>& names) {
    m_ActionNames = names;
    if (m_bActionsAsNumbers) return;
    for (int row = 1; row < GetRowCount(); ++row) SetComboCellChoices(row, kAction, names);
}

void CLoadGrid::SetNodeChoices(const std::string& format, const std::vector<double>& positions) {
    m_NodeFormat = format;
    m_NodePositions = positions;
    m_NodeTexts.clear();
    for (size_t i = 0; i < positions.size(); ++i) m_NodeTexts.push_back(NodeText(format, int(i) + 1, positions[i]));
    for (int row = 1; row < GetRowCount(); ++row) SetComboCellChoices(row, kNode, m_NodeTexts);
}

void CLoadGrid::BuildContextMenu() {
    ClearContextMenuItems();
    const int n = LoadCount();
    if (n == 0) return;
    const int lastCol = std::max(0, GetColumnCount() - 1);
    AddContextMenuItem(CGridCellRange(1, 0, n, lastCol), "Last löschen", CMD_DELETE);
    AddContextMenuItem(CGridCellRange(1, 0, n, lastCol), "Last kopieren", CMD_COPY);
    if (m_pImportValues) {
        AddContextMenuItem(CGridCellRange(1, kOffset, n, kEz), "Separator1", 0);
        AddContextMenuItem(CGridCellRange(1, kOffset, n, kEz), "Lastübernahme", CMD_TAKE_OVER);
        AddContextMenuItem(CGridCellRange(1, kFirstValue, n, lastCol), "Separator2", 0);
        AddContextMenuItem(CGridCellRange(1, kFirstValue, n, lastCol), "Lastübernahme", CMD_TAKE_OVER);
    }
}

bool CLoadGrid::ExchangeData(bool save) {
    if (!save) {
        SetRowCount(LoadCount() + 2);
        for (int row = 1; row <= LoadCount() + 1; ++row) WriteRow(row);
        BuildContextMenu();
        FitColumnsToTexts();
        Refresh();
        return true;
    }
    int row = -1, col = -1;
    if (GetFocusRowCol(row, col) && row >= 1 && row <= LoadCount() && col >= 1 && col < kColumns) {
        CLoadDef& l = m_Loads[size_t(row - 1)];
        bool changed = false;
        auto setInt = [&changed](int& field, int value) {
            changed |= field != value;
            field = value;
        };
        switch (col) {
        case kAction:
            setInt(l.m_iLoadCase, m_bActionsAsNumbers ? GetIntCell(row, col) : GetComboCellIndex(row, col) + 1);
            break;
        case kCases: {
            const std::string text = GetItemText(row, col);
            changed = text != l.m_LCGen.m_strText;
            l.m_LCGen.m_strText = text;
            l.m_LCGen.Parse();
            break;
        }
        case kText: {
            const std::string text = GetItemText(row, col);
            changed = text != l.m_strDesc;
            l.m_strDesc = text;
            break;
        }
        case kType: {
            const int index = GetComboCellIndex(row, col);
            const std::vector<int> types = EnabledTypes();
            if (index >= 0 && index < int(types.size()) && types[size_t(index)] != l.m_iLoadType) {
                l.m_iLoadType = types[size_t(index)];
                if (l.m_iLoadType == LOAD_SELF_WEIGHT) l.m_val[0] = CFormulaValue(m_dSelfWeight);
                changed = true;
            }
            break;
        }
        case kNode: setInt(l.m_iNode, GetComboCellIndex(row, col)); break;
        case kDirection: {
            const int index = GetComboCellIndex(row, col);
            const std::vector<int> dirs = EnabledDirections();
            if (index < 0 || index >= int(dirs.size())) {
                setInt(l.m_bHasDirection, 0);
            } else {
                setInt(l.m_bHasDirection, 1);
                setInt(l.m_iDirection, dirs[size_t(index)]);
            }
            break;
        }
        default:
            if (CFormulaValue* field = FieldOf(l, col)) {
                const CFormulaValue value = GetFormulaCell(row, col);
                if (std::fabs(value.GetValue() - field->GetValue()) >= 0.0001 || value.GetText() != field->GetText()) {
                    CVariableTable* table = field->GetVariableTable();
                    *field = value;
                    if (table && !field->GetVariableTable()) field->SetVariableTable(table);
                    changed = true;
                }
            }
            break;
        }
        if (changed) OnAfterChange();
        SetFocusCell(row, col);
    }
    BuildContextMenu();
    return true;
}

void CLoadGrid::OnComboCellSelChanged(int row, int /*col*/, int /*index*/) {
    ExchangeData(true);
    if (row >= 1 && row <= LoadCount()) WriteRow(row);
    Refresh();
}

void CLoadGrid::OnCellSelected(int row, int col) {
    if (row >= 1 && row <= LoadCount()) {
        InitRowCells(row);
        WriteRow(row);
        UpdateHeader(row - 1);
    }
    CExtGridCtrl::OnCellSelected(row, col);
}

void CLoadGrid::OnCellValueChanged(int row, int col, int kind) {
    const int n = LoadCount();
    if (row == n + 1 && col >= 1 && col < kColumns) {
        bool add = false;
        int chosen = -1;
        const std::string typed = GetItemText(row, col);
        if (kind == KIND_COMBO_INDEX || kind == KIND_COMBO_TEXT) {
            chosen = GetComboCellIndex(row, col);
            add = chosen != -1;
        } else if (kind == KIND_INT) {
            add = GetIntCell(row, col) != 0;
        } else if (kind == KIND_FORMULA) {
            add = GetFormulaCell(row, col).GetValue() != 0.0;
        } else {
            add = (col == kCases || col == kText) && !typed.empty();
        }
        if (add) {
            const CFormulaValue formula = kind == KIND_FORMULA ? GetFormulaCell(row, col) : CFormulaValue(0.0);
            SetLoadCount(n + 1);
            WriteRow(row);
            // The typed value back into its cell, then into the new load.
            if (kind == KIND_COMBO_INDEX || kind == KIND_COMBO_TEXT)
                SetComboCellIndex(row, col, chosen);
            else if (kind == KIND_FORMULA)
                SetFormulaCell(row, col, formula);
            else
                SetItemText(row, col, typed);
            SetFocusCell(row, col);
            ExchangeData(true);
            if (row >= 1 && row <= LoadCount()) InitTypedNewLoad(m_Loads[size_t(row - 1)], col);
            WriteRow(row);
            OnAfterChange();
            return;
        }
    }
    ExchangeData(true);
}

void CLoadGrid::OnContextMenuCommand(int row, int col, int id) {
    const int n = LoadCount();
    if (row < 1 || row > n) return;
    SetFocusCell(row, kText);
    switch (id) {
    case CMD_DELETE:
        m_Loads.erase(m_Loads.begin() + (row - 1));
        ExchangeData(false);
        OnAfterChange();
        break;
    case CMD_COPY: {
        const CLoadDef copy = m_Loads[size_t(row - 1)];
        m_Loads.insert(m_Loads.begin() + row, copy);
        ExchangeData(false);
        OnAfterChange();
        break;
    }
    case CMD_TAKE_OVER: {
        if (!m_pImportValues || !FieldOf(m_Loads[size_t(row - 1)], col)) return;
        const std::optional<LoadValueImport> answer = RunLoadValueImport(this);
        if (!answer) return;
        ExchangeData(true);
        m_pImportValues->push_back(answer->import);
        CFormulaValue value = GetFormulaCell(row, col);
        value.SetFromText(answer->variableText.c_str());
        *FieldOf(m_Loads[size_t(row - 1)], col) = value;
        WriteRow(row);
        SetFocusCell(row, col);
        OnAfterChange();
        break;
    }
    default: break;
    }
}
