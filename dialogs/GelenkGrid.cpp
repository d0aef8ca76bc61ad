#include "dialogs/GelenkGrid.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kNodeCol = 1, kDistanceCol = 2, kTextCol = 3, kFirstRelease = 4, kReleaseCount = 7;

// A node text from a format with an integer and a floating conversion, in
// this order; any other format falls back to the usual one.
std::string NodeText(const std::string& format, int number, double x) {
    int conversions = 0;
    bool intFirst = false, floatSecond = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < format.size() && std::string("-+ #0123456789.l").find(format[j]) != std::string::npos) ++j;
        if (j >= format.size()) break;
        const char c = format[j];
        if (conversions == 0) intFirst = c == 'd' || c == 'i';
        if (conversions == 1) floatSecond = c == 'f' || c == 'g' || c == 'e';
        ++conversions;
        i = j;
    }
    const bool usable = conversions == 2 && intFirst && floatSecond && format.find("%l") != 0;
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, usable ? format.c_str() : "%d (x=%.2lf m)", number, x);
    return buffer;
}

}  // namespace

CGelenkGrid::CGelenkGrid() {
    SetGroupHeaderStrip(true);
    SetRowHighlighting(true);
}

CGelenkGrid::~CGelenkGrid() = default;

void CGelenkGrid::InitGrid() {
    Setup(2, kColumns, 1, 1);
    static const int widths[kColumns] = {0, 15, 10, 20, 5, 5, 5, 5, 5, 5, 5};
    for (int c = 0; c < kColumns; ++c) SetColumnRelWidth(c, widths[c]);
    SetCenteredText(0, kNodeCol, "Knoten");
    SetCenteredText(0, kDistanceCol, "Abstand");
    SetCenteredText(0, kTextCol, "Beschreibung");
    for (int k = 0; k < kReleaseCount; ++k) SetCenteredText(0, kFirstRelease + k, GetHingeReleaseName(k));
    SetColumnGroupTitle(0, "Lage der Gelenke");
    SetColumnGroupTitle(kFirstRelease, "Freiheitsgrade");
    FitColumnsToWidth();
    BuildContextMenu();
}

void CGelenkGrid::InitRow(int row) {
    SetItemText(row, 0, std::to_string(row));
    SetCellType(row, kNodeCol, KIND_COMBO_INDEX);
    SetComboCellChoices(row, kNodeCol, m_NodeTexts);
    SetComboCellIndex(row, kNodeCol, -1);
    SetCellType(row, kDistanceCol, KIND_FORMULA);
    SetNumberCellFormat(row, kDistanceCol, "%lf", "%.2lf m", 1.0);
    SetFormulaCell(row, kDistanceCol, CFormulaValue(0.0));
    SetItemText(row, kDistanceCol, {});
    SetCellType(row, kTextCol, KIND_TEXT);
    SetItemText(row, kTextCol, {});
    for (int k = 0; k < kReleaseCount; ++k) {
        SetCellType(row, kFirstRelease + k, KIND_CHECK);
        SetCheckCell(row, kFirstRelease + k, 0);
    }
    FitColumnsToWidth();
}

void CGelenkGrid::SetNodeChoices(const std::string& format, const std::vector<double>& positions) {
    m_NodeFormat = format;
    m_NodePositions = positions;
    m_NodeTexts.clear();
    for (size_t i = 0; i < positions.size(); ++i) m_NodeTexts.push_back(NodeText(format, int(i) + 1, positions[i]));
    for (int row = 1; row <= HingeCount() + 1 && row < GetRowCount(); ++row)
        SetComboCellChoices(row, kNodeCol, m_NodeTexts);
}

void CGelenkGrid::SetHingeCount(int n) {
    if (n < 0) return;
    const int old = HingeCount();
    m_Hinges.resize(size_t(n));
    for (int i = old; i < n; ++i) InitNewRecord(m_Hinges[size_t(i)]);
    SetRowCount(n + 2);
    BuildContextMenu();
}

void CGelenkGrid::BuildContextMenu() {
    ClearContextMenuItems();
    if (HingeCount() == 0) return;
    // The rows of the hinges over the grid's columns.
    const CGridCellRange range(1, 0, HingeCount(), GetColumnCount() - 1);
    AddContextMenuItem(range, "Gelenk löschen", CMD_DELETE);
    AddContextMenuItem(range, "Gelenk kopieren", CMD_COPY);
}

bool CGelenkGrid::ExchangeData(bool save) {
    if (!save) {
        const int n = HingeCount();
        SetRowCount(n + 2);
        for (int i = 0; i < n; ++i) {
            const CHinge& h = m_Hinges[size_t(i)];
            const int row = i + 1;
            SetComboCellIndex(row, kNodeCol, h.m_iNode);
            SetFormulaCell(row, kDistanceCol, h.m_offset);
            SetTextCell(row, kTextCol, h.m_strDesc);
            for (int k = 0; k < kReleaseCount; ++k) SetCheckCell(row, kFirstRelease + k, h.m_release[k]);
        }
        InitRow(n + 1);
        BuildContextMenu();
        Refresh();
        return true;
    }
    int row = -1, col = -1;
    if (GetFocusRowCol(row, col) && row >= 1 && row <= HingeCount() && col >= kNodeCol &&
        col < kFirstRelease + kReleaseCount) {
        CHinge& h = m_Hinges[size_t(row - 1)];
        bool changed = false;
        if (col == kNodeCol) {
            const int node = GetComboCellIndex(row, col);
            changed = node != h.m_iNode;
            h.m_iNode = node;
        } else if (col == kDistanceCol) {
            const CFormulaValue value = GetFormulaCell(row, col);
            if (std::fabs(value.GetValue() - h.m_offset.GetValue()) >= 0.0001 || value.GetText() != h.m_offset.GetText()) {
                CVariableTable* table = h.m_offset.GetVariableTable();
                h.m_offset = value;
                if (table && !h.m_offset.GetVariableTable()) h.m_offset.SetVariableTable(table);
                changed = true;
            }
        } else if (col == kTextCol) {
            const std::string text = GetItemText(row, col);
            changed = text != h.m_strDesc;
            h.m_strDesc = text;
        } else {
            const int state = GetCheckCell(row, col);
            changed = state != h.m_release[col - kFirstRelease];
            h.m_release[col - kFirstRelease] = state;
        }
        if (changed) OnAfterChange();
    }
    BuildContextMenu();
    return true;
}

void CGelenkGrid::OnCheckCellClicked(int row, int col) { OnCellValueChanged(row, col, KIND_CHECK); }

void CGelenkGrid::OnComboCellSelChanged(int /*row*/, int /*col*/, int /*index*/) { ExchangeData(true); }

void CGelenkGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    const int n = HingeCount();
    if (row == n + 1) {
        bool add = false;
        if (col == kNodeCol) add = GetComboCellIndex(row, col) != -1;
        if (col == kDistanceCol) add = GetFormulaCell(row, col).GetValue() != 0.0;
        if (col == kTextCol) add = !GetItemText(row, col).empty();
        if (add) {
            SetHingeCount(n + 1);
            SetNodeChoices(m_NodeFormat, m_NodePositions);
        }
    }
    ExchangeData(true);
}

void CGelenkGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    const int n = HingeCount();
    if (row < 1 || row > n) return;
    SetFocusCell(row, kTextCol);
    if (id == CMD_DELETE) {
        m_Hinges.erase(m_Hinges.begin() + (row - 1));
    } else if (id == CMD_COPY) {
        const CHinge copy = m_Hinges[size_t(row - 1)];
        m_Hinges.insert(m_Hinges.begin() + row, copy);
    } else {
        return;
    }
    ExchangeData(false);
    OnAfterChange();
}
