#include "grid/ParamGridCtrl.h"

CParamGridCtrl::CParamGridCtrl() = default;
CParamGridCtrl::~CParamGridCtrl() = default;

int CParamGridCtrl::Add(const std::string& name, int kind, void* variable, const std::string& printFormat,
                        double factor, const std::vector<std::string>* choices) {
    Field f;
    f.name = name;
    f.kind = kind;
    f.variable = variable;
    f.printFormat = printFormat;
    f.factor = factor;
    if (choices) f.choices = std::make_unique<std::vector<std::string>>(*choices);
    m_Fields.push_back(std::move(f));
    return int(m_Fields.size()) - 1;
}

int CParamGridCtrl::AddTextField(const std::string& name, std::string* variable) {
    return Add(name, KIND_TEXT, variable);
}
int CParamGridCtrl::AddIntField(const std::string& name, int* variable) { return Add(name, KIND_INT, variable); }
int CParamGridCtrl::AddDoubleField(const std::string& name, double* variable, const std::string& printFormat,
                                   double factor) {
    return Add(name, KIND_DOUBLE, variable, printFormat, factor);
}
int CParamGridCtrl::AddCheckField(const std::string& name, int* variable) { return Add(name, KIND_CHECK, variable); }
int CParamGridCtrl::AddComboField(const std::string& name, int* variable, const std::vector<std::string>& choices) {
    return Add(name, KIND_COMBO_INDEX, variable, {}, 0.0, &choices);
}
int CParamGridCtrl::AddDisplayField(const std::string& name, std::string* variable) {
    return Add(name, KIND_BUTTON, variable);
}
int CParamGridCtrl::AddFormulaField(const std::string& name, CFormulaValue* variable, const std::string& printFormat) {
    return Add(name, KIND_FORMULA, variable, printFormat);
}
int CParamGridCtrl::AddHeaderField(const std::string& title) { return Add(title, KIND_HEADER, nullptr); }

CGridCellId CParamGridCtrl::NameCell(int field) const {
    return m_nLayout == LAYOUT_HORIZONTAL ? CGridCellId(0, field) : CGridCellId(field, 0);
}

CGridCellId CParamGridCtrl::ValueCell(int field) const {
    return m_nLayout == LAYOUT_HORIZONTAL ? CGridCellId(1, field) : CGridCellId(field, 1);
}

void CParamGridCtrl::InitGrid() {
    const int n = int(m_Fields.size());
    if (m_nLayout == LAYOUT_HORIZONTAL) {
        Setup(2, n, 0, 0);
        for (int c = 0; c < n; ++c) SetColumnRelWidth(c, 100);
    } else {
        Setup(n, 2, 0, 0);
        SetColumnRelWidth(0, 100);
        SetColumnRelWidth(1, 100);
    }
    for (int i = 0; i < n; ++i) {
        const Field& f = m_Fields[size_t(i)];
        const CGridCellId name = NameCell(i);
        const CGridCellId value = ValueCell(i);
        SetItemText(name.row, name.col, f.name);
        SetCellReadOnly(name.row, name.col, true);
        if (f.kind == KIND_HEADER) {
            SetCellFont(name.row, name.col, "Arial", false, false, -1, 700);
            SetCellType(value.row, value.col, KIND_TEXT);
            SetItemText(value.row, value.col, {});
            SetCellReadOnly(value.row, value.col, true);
            continue;
        }
        SetCellType(value.row, value.col, f.kind);
        if (f.kind == KIND_DOUBLE) SetNumberCellFormat(value.row, value.col, "%lf", f.printFormat, f.factor);
        if ((f.kind == KIND_COMBO_TEXT || f.kind == KIND_COMBO_INDEX) && f.choices)
            SetComboCellChoices(value.row, value.col, *f.choices);
    }
    if (!m_strTitle.empty()) SetColumnGroupTitle(0, m_strTitle);
    FitColumnsToWidth();
}

bool CParamGridCtrl::ExchangeData(bool save) {
    for (int i = 0; i < int(m_Fields.size()); ++i) {
        const Field& f = m_Fields[size_t(i)];
        if (!f.variable) continue;
        const CGridCellId v = ValueCell(i);
        switch (f.kind) {
        case KIND_TEXT:
            if (save)
                *static_cast<std::string*>(f.variable) = GetTextCell(v.row, v.col);
            else
                SetTextCell(v.row, v.col, *static_cast<std::string*>(f.variable));
            break;
        case KIND_INT:
            if (save)
                *static_cast<int*>(f.variable) = GetIntCell(v.row, v.col);
            else
                SetIntCell(v.row, v.col, *static_cast<int*>(f.variable));
            break;
        case KIND_DOUBLE:
            if (save) {
                *static_cast<double*>(f.variable) = GetDoubleCell(v.row, v.col);
            } else {
                SetNumberCellFormat(v.row, v.col, "%lf", f.printFormat, f.factor);
                SetDoubleCell(v.row, v.col, *static_cast<double*>(f.variable));
            }
            break;
        case KIND_CHECK:
            if (save)
                *static_cast<int*>(f.variable) = GetCheckCell(v.row, v.col);
            else
                SetCheckCell(v.row, v.col, *static_cast<int*>(f.variable));
            break;
        case KIND_COMBO_TEXT:
            if (save)
                *static_cast<std::string*>(f.variable) = GetComboCellText(v.row, v.col);
            else
                SetComboCellTextRaw(v.row, v.col, *static_cast<std::string*>(f.variable));
            break;
        case KIND_COMBO_INDEX:
            if (save)
                *static_cast<int*>(f.variable) = GetComboCellIndex(v.row, v.col);
            else
                SetComboCellIndex(v.row, v.col, *static_cast<int*>(f.variable));
            break;
        case KIND_BUTTON:
            // A display field only shows its text.
            if (!save) SetTextCell(v.row, v.col, *static_cast<std::string*>(f.variable));
            break;
        case KIND_FORMULA:
            if (save) {
                *static_cast<CFormulaValue*>(f.variable) = GetFormulaCell(v.row, v.col);
            } else {
                // The formula keeps its own units.
                SetNumberCellFormat(v.row, v.col, "%lf", f.printFormat, 1.0);
                SetFormulaCell(v.row, v.col, *static_cast<CFormulaValue*>(f.variable));
            }
            break;
        default: break;
        }
    }
    return true;
}
