#include "grid/ExtGridCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

#include "formula/ExpressionParser.h"
#include "formula/VariableTable.h"
#include "platform/winsys/winsys.h"
#include "graphics/PopupMenuBuilder.h"

namespace {

// Why a formula typed into a cell cannot be calculated: the messages of its
// evaluation (a name no variable defines, a syntax error, a division by
// zero), joined; empty when it can be, or when it is a plain number.
std::string WhyNotCalculable(const CFormulaValue& value) {
    CVariableTable* table = value.GetVariableTable();
    if (value.IsPlain() || !table) return {};
    double result = 0;
    const bool evaluated = table->Evaluate(value.GetFormula(), result) != 0;
    std::string why;
    for (const CFormulaMessage& m : table->GetMessages()) {
        if (m.m_nCode == kFormulaOverwritten) continue;
        if (!why.empty()) why += "; ";
        why += m.m_strText;
    }
    if (why.empty() && (!evaluated || !std::isfinite(result))) why = "kein Zahlenwert";
    return why;
}

constexpr unsigned kAlignFlags = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

// The conversion character of a one-number format ("%ld", "%.2lf"), 0 when
// the format holds none or more than one.
char Conversion(const std::string& format) {
    char conv = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        if (conv) return 0;
        size_t j = i + 1;
        while (j < format.size() && std::string("-+ #0123456789.lhLqjzt").find(format[j]) != std::string::npos) ++j;
        if (j >= format.size()) return 0;
        conv = format[j];
        if (std::string("diufFeEgG").find(conv) == std::string::npos) return 0;
        i = j;
    }
    return conv;
}

bool IsIntegerConversion(char c) { return c == 'd' || c == 'i' || c == 'u'; }

}  // namespace

// ---- construction ----------------------------------------------------------------------------

CExtGridCtrl::CExtGridCtrl() {
    SetTabHook(true);
    SetSingleClickEdit(true);
}

CExtGridCtrl::~CExtGridCtrl() = default;

// ---- records ------------------------------------------------------------------------------------

CExtGridCtrl::CellRecord* CExtGridCtrl::Record(int row, int col) {
    auto it = m_KindMap.find(CellKey(row, col));
    return it == m_KindMap.end() ? nullptr : it->second.get();
}

const CExtGridCtrl::CellRecord* CExtGridCtrl::Record(int row, int col) const {
    auto it = m_KindMap.find(CellKey(row, col));
    return it == m_KindMap.end() ? nullptr : it->second.get();
}

const CExtGridCtrl::CellRecord* CExtGridCtrl::GetCellRecord(int row, int col) const { return Record(row, col); }

CExtGridCtrl::CellRecord* CExtGridCtrl::RecordOfKind(int row, int col, std::initializer_list<int> kinds) {
    CellRecord* r = Record(row, col);
    if (!r) return nullptr;
    for (int k : kinds)
        if (r->kind == k) return r;
    return nullptr;
}

int CExtGridCtrl::GetCellKind(int row, int col) const {
    const CellRecord* r = Record(row, col);
    return r ? r->kind : KIND_TEXT;
}

std::string CExtGridCtrl::PrintNumber(const std::string& format, double value, bool integer) {
    const char conv = Conversion(format);
    char buffer[512];
    if (conv == 0) {
        std::snprintf(buffer, sizeof buffer, integer ? "%ld" : "%lg", integer ? long(std::lround(value)) : 0L);
        if (!integer) std::snprintf(buffer, sizeof buffer, "%lg", value);
        return buffer;
    }
    if (IsIntegerConversion(conv)) {
        // The argument follows the format's length: long with "l", else int.
        const long n = long(std::llround(std::clamp(value, -2147483648.0, 2147483647.0)));
        if (format.find('l') != std::string::npos)
            std::snprintf(buffer, sizeof buffer, format.c_str(), n);
        else
            std::snprintf(buffer, sizeof buffer, format.c_str(), int(n));
    } else {
        std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    }
    return buffer;
}

bool CExtGridCtrl::ScanNumber(const CellRecord& r, std::string text, double& value) {
    std::replace(text.begin(), text.end(), ',', '.');
    const char conv = Conversion(r.scanFormat.empty() ? std::string("%lf") : r.scanFormat);
    if (IsIntegerConversion(conv)) {
        long n = 0;
        if (std::sscanf(text.c_str(), "%ld", &n) != 1) return false;
        value = double(n);
        return true;
    }
    double d = 0;
    if (std::sscanf(text.c_str(), "%lf", &d) != 1) return false;
    value = d;
    return true;
}

int CExtGridCtrl::SetCellType(int row, int col, int kind) {
    if (!IsValidCell(row, col)) return KIND_TEXT;
    CGridCellBase* cell = GetCell(row, col);
    const CGridRuntimeClass* cls = cell ? cell->GetRuntimeClass() : nullptr;
    auto makeRecord = [&]() -> CellRecord& {
        auto& slot = m_KindMap[CellKey(row, col)];
        if (!slot) {
            slot = std::make_unique<CellRecord>();
            slot->row = row;
            slot->col = col;
        }
        slot->kind = kind;
        return *slot;
    };
    auto changeClass = [&](const CGridRuntimeClass* to) {
        if (cls == to) return false;
        SetCellClass(row, col, to);
        cell = GetCell(row, col);
        return true;
    };
    switch (kind) {
    case KIND_TEXT:
    case KIND_INT:
    case KIND_DOUBLE:
    case KIND_FORMULA: {
        changeClass(GRID_RUNTIME_CLASS(CGridCell));
        if (kind == KIND_TEXT) {
            m_KindMap.erase(CellKey(row, col));
            break;
        }
        CellRecord& r = makeRecord();
        if (kind == KIND_INT) r.scanFormat = r.printFormat = "%ld";
        if (kind == KIND_FORMULA && !r.formula) r.formula = std::make_unique<CFormulaValue>();
        if (kind == KIND_DOUBLE || kind == KIND_FORMULA) {
            if (r.printFormat.empty()) r.printFormat = "%lg";
            if (r.scanFormat.empty()) r.scanFormat = "%lf";
        }
        break;
    }
    case KIND_CHECK:
    case KIND_RADIO:
        if (changeClass(kind == KIND_CHECK ? GRID_RUNTIME_CLASS(CGridCellCheck) : GRID_RUNTIME_CLASS(CVKTGridCellRadio))) {
            SetItemState(row, col, GIS_READONLY);
            SetItemBackColor(row, col, kReadOnlyBack);
        }
        makeRecord();
        break;
    case KIND_COMBO_TEXT:
    case KIND_COMBO_INDEX:
        changeClass(GRID_RUNTIME_CLASS(CGridCellCombo));
        if (auto* combo = dynamic_cast<CGridCellCombo*>(cell))
            combo->SetStyle(kind == KIND_COMBO_TEXT ? CGridCellCombo::CBS_DROPDOWN : CGridCellCombo::CBS_DROPDOWNLIST);
        makeRecord();
        break;
    case KIND_BUTTON:
        if (changeClass(GRID_RUNTIME_CLASS(CGridCellButton))) {
            SetItemState(row, col, GIS_READONLY);
            SetItemFormat(row, col, kCentred);
            SetItemBackColor(row, col, CLR_DEFAULT);
        }
        makeRecord();
        break;
    case KIND_RICH:
        changeClass(GRID_RUNTIME_CLASS(CVKTGridCellRich));
        makeRecord();
        break;
    default: break;
    }
    return GetCellKind(row, col);
}

// ---- typed values ----------------------------------------------------------------------------------

std::string CExtGridCtrl::SetTextCell(int row, int col, const std::string& text) {
    const std::string old = GetItemText(row, col);
    SetItemText(row, col, text);
    return old;
}

std::string CExtGridCtrl::GetTextCell(int row, int col) {
    EndEditing();
    if (Record(row, col)) return {};
    return GetItemText(row, col);
}

int CExtGridCtrl::SetIntCell(int row, int col, int n) {
    CellRecord* r = RecordOfKind(row, col, {KIND_INT});
    if (!r) return 0;
    const int old = GetIntCell(row, col);
    SetItemText(row, col, PrintNumber(r->printFormat, double(n), true));
    return old;
}

int CExtGridCtrl::GetIntCell(int row, int col) {
    EndEditing();
    CellRecord* r = RecordOfKind(row, col, {KIND_INT});
    double value = 0;
    if (!r || !ScanNumber(*r, GetItemText(row, col), value)) return 0;
    return int(std::clamp(value, -2147483648.0, 2147483647.0));
}

double CExtGridCtrl::SetDoubleCell(int row, int col, double x) {
    CellRecord* r = RecordOfKind(row, col, {KIND_DOUBLE});
    if (!r) return 0.0;
    const double old = GetDoubleCell(row, col);
    SetItemText(row, col, PrintNumber(r->printFormat, x * Factor(*r), false));
    return old;
}

double CExtGridCtrl::GetDoubleCell(int row, int col) {
    EndEditing();
    CellRecord* r = RecordOfKind(row, col, {KIND_DOUBLE});
    double value = 0;
    if (!r || !ScanNumber(*r, GetItemText(row, col), value)) return 0.0;
    return value / Factor(*r);
}

CFormulaValue CExtGridCtrl::SetFormulaCell(int row, int col, const CFormulaValue& value) {
    CellRecord* r = RecordOfKind(row, col, {KIND_FORMULA});
    if (!r) return CFormulaValue(0.0);
    CFormulaValue old = r->formula ? *r->formula : CFormulaValue(0.0);
    if (r->formula)
        *r->formula = value;
    else
        r->formula = std::make_unique<CFormulaValue>(value);
    SetItemText(row, col, PrintNumber(r->printFormat, r->formula->GetValue(), false));
    QFont font = GetCell(row, col) ? GetCell(row, col)->GetFontObject() : QFont();
    font.setUnderline(!r->formula->IsPlain());
    SetItemFont(row, col, &font);
    return old;
}

CFormulaValue CExtGridCtrl::GetFormulaCell(int row, int col) {
    EndEditing();
    CellRecord* r = RecordOfKind(row, col, {KIND_FORMULA});
    if (!r) return CFormulaValue(0.0);
    if (r->formula) return *r->formula;
    double value = 0;
    ScanNumber(*r, GetItemText(row, col), value);
    return CFormulaValue(value);
}

int CExtGridCtrl::SetCheckCell(int row, int col, int state) {
    if (!RecordOfKind(row, col, {KIND_CHECK})) return 0;
    auto* cell = dynamic_cast<CGridCellCheck*>(GetCell(row, col));
    if (!cell) return 0;
    return cell->SetCheck(state != 0) ? 1 : 0;
}

int CExtGridCtrl::GetCheckCell(int row, int col) {
    EndEditing();
    if (!RecordOfKind(row, col, {KIND_CHECK})) return 0;
    auto* cell = dynamic_cast<CGridCellCheck*>(GetCell(row, col));
    return cell && cell->GetCheck() ? 1 : 0;
}

void CExtGridCtrl::SetComboCellChoices(int row, int col, const std::vector<std::string>& choices) {
    if (!RecordOfKind(row, col, {KIND_COMBO_TEXT, KIND_COMBO_INDEX})) return;
    if (auto* cell = dynamic_cast<CGridCellCombo*>(GetCell(row, col))) cell->SetOptions(choices);
}

int CExtGridCtrl::SetComboCellIndex(int row, int col, int index) {
    if (!RecordOfKind(row, col, {KIND_COMBO_TEXT, KIND_COMBO_INDEX})) return -1;
    auto* cell = dynamic_cast<CGridCellCombo*>(GetCell(row, col));
    if (!cell) return -1;
    const int old = GetComboCellIndex(row, col);
    const auto& choices = cell->GetOptions();
    if (index == -1)
        SetItemText(row, col, {});
    else if (index >= 0 && index < int(choices.size()))
        SetItemText(row, col, choices[size_t(index)]);
    return old;
}

std::string CExtGridCtrl::SetComboCellTextRaw(int row, int col, const std::string& text) {
    if (!RecordOfKind(row, col, {KIND_COMBO_TEXT, KIND_COMBO_INDEX})) return {};
    const std::string old = GetItemText(row, col);
    SetItemText(row, col, text);
    return old;
}

std::string CExtGridCtrl::GetComboCellText(int row, int col) {
    EndEditing();
    if (!RecordOfKind(row, col, {KIND_COMBO_TEXT, KIND_COMBO_INDEX})) return {};
    return GetItemText(row, col);
}

int CExtGridCtrl::GetComboCellIndex(int row, int col) {
    EndEditing();
    if (!RecordOfKind(row, col, {KIND_COMBO_TEXT, KIND_COMBO_INDEX})) return -1;
    auto* cell = dynamic_cast<CGridCellCombo*>(GetCell(row, col));
    if (!cell) return -1;
    const std::string text = GetItemText(row, col);
    int found = -1;
    const auto& choices = cell->GetOptions();
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i] == text) found = int(i);
    return found;
}

std::string CExtGridCtrl::SetButtonCellText(int row, int col, const std::string& caption) {
    if (!RecordOfKind(row, col, {KIND_BUTTON})) return {};
    const std::string old = GetItemText(row, col);
    SetItemText(row, col, caption);
    return old;
}

void CExtGridCtrl::SetNumberCellFormat(int row, int col, const std::string& scan, const std::string& print,
                                       double factor) {
    CellRecord* r = RecordOfKind(row, col, {KIND_INT, KIND_DOUBLE, KIND_FORMULA});
    if (!r) return;
    r->scanFormat = scan;
    r->printFormat = print;
    r->factor = factor;
}

void CExtGridCtrl::SetIntCellOrBlank(int row, int col, const int& n, bool check) {
    if (!RecordOfKind(row, col, {KIND_INT})) return;
    if (check && !IsCellEnabled(row, col))
        SetItemText(row, col, {});
    else
        SetIntCell(row, col, n);
}

void CExtGridCtrl::SetTextCellOrBlank(int row, int col, const std::string& text, bool check) {
    if (check && !IsCellEnabled(row, col))
        SetItemText(row, col, {});
    else
        SetTextCell(row, col, text);
}

void CExtGridCtrl::SetComboCellIndexIfEnabled(int row, int col, int index, bool check) {
    if (check && !IsCellEnabled(row, col)) return;
    SetComboCellIndex(row, col, index);
}

void CExtGridCtrl::GetIntCellIfEnabled(int row, int col, int& n, bool check) {
    if (!RecordOfKind(row, col, {KIND_INT})) return;
    if (check && !IsCellEnabled(row, col)) return;
    n = GetIntCell(row, col);
}

// ---- looks ---------------------------------------------------------------------------------------------

void CExtGridCtrl::SetCellFont(int row, int col, const std::string& face, bool italic, bool underline, int height,
                               int weight) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return;
    wl::LogFont lf = wl::FromQFont(cell->GetFontObject());
    lf.faceName = face;
    lf.italic = italic;
    lf.underline = underline;
    if (height != -1) lf.height = height;
    lf.weight = weight;
    const QFont font = wl::ToQFont(lf);
    SetItemFont(row, col, &font);
}

void CExtGridCtrl::SetCellAlignment(int row, int col, int align) {
    static const unsigned kAlign[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    if (align < 0 || align > 2) return;
    SetItemFormat(row, col, kAlign[align] | kAlignFlags);
}

void CExtGridCtrl::SetCenteredText(int row, int col, const std::string& text) {
    SetItemFormat(row, col, kCentred);
    SetItemText(row, col, text);
}

void CExtGridCtrl::SetSymbolTextCell(int row, int col, const std::string& text, bool symbol) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return;
    SetCellFont(row, col, symbol ? "Symbol" : "Verdana", false, false, -1, 400);
    SetItemText(row, col, text);
}

void CExtGridCtrl::SetCenteredSymbolText(int row, int col, const std::string& text, bool symbol) {
    SetItemFormat(row, col, kCentred);
    SetSymbolTextCell(row, col, text, symbol);
}

void CExtGridCtrl::SetCellReadOnly(int row, int col, bool readOnly) {
    if (!IsValidCell(row, col)) return;
    switch (GetCellKind(row, col)) {
    case KIND_CHECK:
    case KIND_RADIO:
        if (auto* cell = dynamic_cast<CGridCellCheck*>(GetCell(row, col))) cell->SetDisabled(readOnly);
        break;
    case KIND_BUTTON:
        SetItemBackColor(row, col, CLR_DEFAULT);
        SetItemTextColor(row, col, readOnly ? kDisabledText : 0);
        SetItemState(row, col, GIS_READONLY);  // a button is never edited as text
        break;
    default:
        SetItemBackColor(row, col, readOnly ? kReadOnlyBack : kWhite);
        SetItemState(row, col, readOnly ? GIS_READONLY : 0);
        break;
    }
}

void CExtGridCtrl::EnableCell(int row, int col, bool enable) {
    if (!IsValidCell(row, col)) return;
    const int kind = GetCellKind(row, col);
    if (kind == KIND_CHECK || kind == KIND_BUTTON || kind == KIND_RADIO) {
        SetCellReadOnly(row, col, !enable);
        return;
    }
    SetItemBackColor(row, col, enable ? kWhite : kReadOnlyBack);
    SetItemTextColor(row, col, enable ? 0 : kDisabledText);
    SetItemState(row, col, enable ? 0 : GIS_READONLY);
}

void CExtGridCtrl::EnableCellAndBlank(int row, int col, bool enable, bool blank) {
    EnableCell(row, col, enable);
    if (!enable && blank) SetItemText(row, col, {});
}

void CExtGridCtrl::EnableRow(int row, bool enable) {
    if (row < 0 || row >= GetRowCount()) return;
    for (int col = GetFixedColumnCount(); col < GetColumnCount(); ++col)
        if (Record(row, col)) EnableCell(row, col, enable);
    Refresh();
}

bool CExtGridCtrl::IsCellEnabled(int row, int col) const {
    const int kind = GetCellKind(row, col);
    if (kind == KIND_CHECK || kind == KIND_RADIO) {
        auto* cell = dynamic_cast<const CGridCellCheck*>(GetCell(row, col));
        return cell && !cell->IsDisabled();
    }
    return (GetItemState(row, col) & GIS_READONLY) == 0;
}

void CExtGridCtrl::SetColoursOfRow(int row, bool highlighted) {
    for (int col = GetFixedColumnCount(); col < GetColumnCount(); ++col) {
        const int kind = GetCellKind(row, col);
        if (kind == KIND_BUTTON) continue;
        const bool readOnly = (GetItemState(row, col) & GIS_READONLY) != 0;
        COLORREF back = kWhite;
        if (highlighted)
            back = readOnly ? kHighlightReadOnlyBack : kHighlightBack;
        else if (kind == KIND_CHECK || kind == KIND_RADIO || readOnly)
            back = kReadOnlyBack;
        SetItemBackColor(row, col, back);
    }
}

void CExtGridCtrl::HighlightRow(int row) {
    const int fixed = GetFixedRowCount();
    if (m_nHighlightedRow >= fixed && m_nHighlightedRow < GetRowCount()) SetColoursOfRow(m_nHighlightedRow, false);
    if (row >= fixed && row < GetRowCount()) SetColoursOfRow(row, true);
    m_nHighlightedRow = row;
    Refresh();
}

// ---- layout ----------------------------------------------------------------------------------------------

void CExtGridCtrl::Setup(int rows, int cols, int fixedRows, int fixedCols) {
    QWidget* w = Widget();
    if (w && w->parentWidget()) SetFont(w->parentWidget()->font());
    if (CGridDefaultCell* def = GetDefaultCell(false, false)) def->SetBackClr(kWhite);

    m_nSetupRows = rows;
    m_nSetupCols = cols;
    m_nSetupFixedRows = fixedRows;
    m_nSetupFixedCols = fixedCols;
    m_arRelWidths.assign(size_t(std::max(0, cols)), 0);
    m_arColVisible.assign(size_t(std::max(0, cols)), 1);
    // Records of cells that the new layout no longer has go.
    for (auto it = m_KindMap.begin(); it != m_KindMap.end();)
        it = it->second->row >= rows || it->second->col >= cols ? m_KindMap.erase(it) : std::next(it);

    CGridCtrl::SetRowCount(rows);
    CGridCtrl::SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
    SetHighlightFocusHeaders(false);
    EnableSelection(false);

    m_arRowHeights.assign(size_t(std::max(0, GetRowCount())), 0);
    for (int r = 0; r < GetRowCount(); ++r) {
        if (r < GetFixedRowCount()) SetRowHeight(r, GetRowHeight(r));
        m_arRowHeights[size_t(r)] = GetRowHeight(r);
    }
    for (int r = GetFixedRowCount(); r < GetRowCount(); ++r) InitRow(r);
    m_arGroupTitles.assign(size_t(std::max(0, cols)), std::string());

    if (m_bGroupHeader && w && w->parentWidget() && !m_pStrip) {
        wl::Window* parent = wl::Window::FromWidgetPermanent(w->parentWidget());
        const QRect g = w->geometry();
        int height = GetFixedRowHeight();
        if (height == 0)
            for (int r = 0; r < GetRowCount() && height == 0; ++r) height = GetRowHeight(r);
        m_pStrip = std::make_unique<CGridCtrl>();
        m_pStrip->Create({g.left(), g.top(), g.left() + g.width(), g.top() + height}, parent, 0);
        if (QWidget* sw = m_pStrip->Widget()) {
            sw->setFont(w->parentWidget()->font());
            sw->setFocusPolicy(Qt::NoFocus);
        }
        m_pStrip->SetGridBkColor(GetSysColor(COLOR_BTNFACE));
        m_pStrip->SetEditable(false);
        m_pStrip->EnableSelection(false);
        m_pStrip->SetHighlightFocusHeaders(false);
        m_rectStrip = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
        // The grid moves down below the strip; its bottom edge stays.
        w->setGeometry(g.left(), g.top() + height + 1, g.width(), std::max(0, g.height() - height - 1));
    }
    m_bSetup = true;
}

bool CExtGridCtrl::SetRowCount(int n) {
    const int old = GetRowCount();
    if (n < 0) return false;
    if (!CGridCtrl::SetRowCount(n)) return false;
    for (auto it = m_KindMap.begin(); it != m_KindMap.end();)
        it = it->second->row >= n ? m_KindMap.erase(it) : std::next(it);
    if (m_nSetupRows >= 0) m_nSetupRows = n;
    m_arRowHeights.resize(size_t(n), 0);
    for (int r = old; r < n; ++r) {
        m_arRowHeights[size_t(r)] = GetRowHeight(r);
        if (r >= GetFixedRowCount()) InitRow(r);
    }
    if (n != old) FitColumnsToWidth();
    return true;
}

void CExtGridCtrl::SetColumnRelWidth(int col, int width) {
    if (col >= 0 && col < int(m_arRelWidths.size())) m_arRelWidths[size_t(col)] = width;
}

void CExtGridCtrl::SetColumnVisible(int col, bool visible, bool refit) {
    if (col < 0 || col >= int(m_arColVisible.size())) return;
    const bool changed = (m_arColVisible[size_t(col)] != 0) != visible;
    m_arColVisible[size_t(col)] = visible ? 1 : 0;
    if (changed && refit) FitColumnsToWidth();
}

bool CExtGridCtrl::IsColumnVisible(int col) const {
    return col >= 0 && col < int(m_arColVisible.size()) && m_arColVisible[size_t(col)] != 0;
}

void CExtGridCtrl::ShowRow(int row, bool show) {
    if (row < 0 || row >= GetRowCount()) return;
    const int stored = row < int(m_arRowHeights.size()) ? m_arRowHeights[size_t(row)] : GetRowHeight(row);
    SetRowHeight(row, show ? stored : 0);
    UpdateScrollBars();
    Refresh();
}

void CExtGridCtrl::SetColumnGroupTitle(int col, const std::string& title) {
    if (col >= 0 && col < int(m_arGroupTitles.size())) m_arGroupTitles[size_t(col)] = title;
}

int CExtGridCtrl::GetGroupHeaderHeight() const {
    if (!m_bGroupHeader) return 0;
    if (GetFixedRowCount() > 0) return GetFixedRowHeight();
    for (int r = 0; r < GetRowCount(); ++r)
        if (GetRowHeight(r) != 0) return GetRowHeight(r);
    return 0;
}

void CExtGridCtrl::Refresh(bool /*erase*/) {
    if (QWidget* v = GetClientWidget()) v->update();
    if (m_pStrip)
        if (QWidget* sv = m_pStrip->GetClientWidget()) sv->update();
}

void CExtGridCtrl::SelectCell(int row, int col) {
    if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
    if (row != -1 && col != -1) EnsureVisible(row, col);
    SetFocusCell(row, col);
    OnCellSelected(row, col);
    if (IsValidCell(row, col)) RedrawCell(row, col);
}

bool CExtGridCtrl::GetFocusRowCol(int& row, int& col) const {
    const CGridCellId focus = GetFocusCell();
    if (!IsValidCell(focus)) return false;
    row = focus.row;
    col = focus.col;
    return true;
}

void CExtGridCtrl::FitColumnsToWidth() {
    if (!m_bSetup || GetRowCount() == 0) return;
    const int cols = GetColumnCount();
    long long total = 0;
    int visibleCount = 0;
    int lastVisible = -1;
    for (int c = 0; c < cols; ++c)
        if (IsColumnVisible(c)) {
            total += c < int(m_arRelWidths.size()) ? m_arRelWidths[size_t(c)] : 0;
            ++visibleCount;
            lastVisible = c;
        }
    int width = GetGridClientRect().Width();
    // A grid not shown yet has no laid-out client area: take its frame's.
    if (QWidget* w = Widget(); w && !w->isVisible()) width = w->contentsRect().width();
    for (int c = 0; c < cols; ++c) {
        if (!IsColumnVisible(c)) {
            SetColumnWidth(c, 0);
        } else if (c == lastVisible) {
            SetColumnWidth(c, 1);
        } else {
            // Relative widths that add up to nothing give equal shares.
            const double share = total > 0 ? double(m_arRelWidths[size_t(c)]) / double(total) : 1.0 / visibleCount;
            SetColumnWidth(c, int(share * width + 0.5));
        }
    }
    if (lastVisible >= 0) {
        long long used = 0;
        for (int c = 0; c < cols; ++c) used += GetColumnWidth(c);
        if (width - used > 0) SetColumnWidth(lastVisible, int(1 + width - used));
    }
    UpdateScrollBars();
    Refresh();
    if (m_pStrip) PlaceStrip();
}

void CExtGridCtrl::PlaceStrip() {
    QWidget* w = Widget();
    QWidget* sw = m_pStrip ? m_pStrip->Widget() : nullptr;
    if (!w || !sw) return;
    int height = GetFixedRowHeight();
    if (height == 0)
        for (int r = 0; r < GetRowCount() && height == 0; ++r) height = GetRowHeight(r);
    sw->setGeometry(w->x(), w->y() - height - 1, w->width(), height);

    // Groups: a titled column starts one, an untitled one widens the group on its left.
    struct Group {
        std::string title;
        int width = 0;
    };
    std::vector<Group> groups;
    for (int c = 0; c < GetColumnCount(); ++c) {
        const std::string& title = c < int(m_arGroupTitles.size()) ? m_arGroupTitles[size_t(c)] : std::string();
        if (!title.empty())
            groups.push_back({title, GetColumnWidth(c)});
        else if (!groups.empty())
            groups.back().width += GetColumnWidth(c);
    }
    if (m_pStrip->GetColumnCount() > 0) {
        for (int g = 0; g < int(groups.size()) && g < m_pStrip->GetColumnCount(); ++g)
            m_pStrip->SetColumnWidth(g, groups[size_t(g)].width);
    } else {
        m_pStrip->SetRowCount(1);
        m_pStrip->SetColumnCount(int(groups.size()));
        m_pStrip->SetFixedRowCount(1);
        m_pStrip->SetRowHeight(0, height);
        for (int g = 0; g < int(groups.size()); ++g) {
            m_pStrip->SetItemFormat(0, g, kCentred);
            m_pStrip->SetItemText(0, g, groups[size_t(g)].title);
            m_pStrip->SetColumnWidth(g, groups[size_t(g)].width);
        }
        if (groups.size() >= 2) {
            m_pStrip->SetColumnWidth(int(groups.size()) - 1, 1);
            m_pStrip->StretchLastColumn();
        }
    }
    m_pStrip->UpdateScrollBars();
    if (QWidget* sv = m_pStrip->GetClientWidget()) sv->update();
}

void CExtGridCtrl::OnShowWindow(bool show) {
    if (m_pStrip)
        if (QWidget* sw = m_pStrip->Widget()) sw->setVisible(show);
}

// ---- virtual operations ----------------------------------------------------------------------------------

void CExtGridCtrl::OnCellSelected(int row, int /*col*/) {
    if (m_bRowHighlight) HighlightRow(row);
}

void CExtGridCtrl::OnCellEditStarted(int row, int col, int /*kind*/) {
    SetFocusCell(row, col);
    m_bHasFocus = true;
}

void CExtGridCtrl::OnEditCell(int row, int col, wl::Point point, int key) {
    CellRecord* r = Record(row, col);
    const int kind = r ? r->kind : KIND_TEXT;
    if (r && (kind == KIND_DOUBLE || (kind == KIND_FORMULA && (!r->formula || r->formula->IsPlain())))) {
        // The editor shows the full number.
        double value = 0;
        if (ScanNumber(*r, GetItemText(row, col), value)) SetItemText(row, col, PrintNumber("%lg", value, false));
    }
    if (key == VK_TAB && (kind == KIND_COMBO_TEXT || kind == KIND_COMBO_INDEX || kind == KIND_RICH)) return;
    if (r && kind == KIND_FORMULA && r->formula && !r->formula->IsPlain())
        SetItemText(row, col, r->formula->GetFormula());
    CGridCtrl::OnEditCell(row, col, point, key);
    OnCellEditStarted(row, col, kind);
}

void CExtGridCtrl::OnEndEditCell(int row, int col, const std::string& typed) {
    if (m_bInEndEdit) return;
    m_bInEndEdit = true;
    std::string text = typed;
    CellRecord* r = Record(row, col);
    const int kind = r ? r->kind : KIND_TEXT;
    if (kind == KIND_DOUBLE) {
        std::string t = text;
        std::replace(t.begin(), t.end(), ',', '.');
        double value = 0;
        if (std::sscanf(t.c_str(), "%lf", &value) == 1) text = PrintNumber(r->printFormat, value, false);
    } else if (kind == KIND_FORMULA) {
        if (text.empty()) {
            if (r->formula) r->formula->SetValue(0.0);
        } else if (r->formula) {
            const CFormulaValue before = *r->formula;
            r->formula->SetFromText(text.c_str());
            if (const std::string why = WhyNotCalculable(*r->formula); !why.empty()) {
                // Refused at the cell: the cell keeps what it held, and the
                // record behind it is not told of any change.
                *r->formula = before;
                CGridCtrl::OnEndEditCell(row, col, PrintNumber(r->printFormat, before.GetValue(), false));
                m_bInEndEdit = false;
                winsys::MessageBox(winsys::FormatC("Die Eingabe '%s' kann nicht berechnet werden: %s. Der Wert "
                                                   "bleibt, wie er war.",
                                                   text.c_str(), why.c_str()),
                                   "", winsys::Buttons::Ok, winsys::Icon::Error);
                return;
            }
            const double value = r->formula->GetValue();
            QFont font = GetCell(row, col) ? GetCell(row, col)->GetFontObject() : QFont();
            font.setUnderline(!r->formula->IsPlain());
            SetItemFont(row, col, &font);
            text = PrintNumber(r->printFormat, value, false);
        } else {
            double value = 0;
            if (ScanNumber(*r, text, value)) text = PrintNumber(r->printFormat, value, false);
        }
    }
    CGridCtrl::OnEndEditCell(row, col, text);
    OnCellValueChanged(row, col, kind);
    m_bInEndEdit = false;
}

void CExtGridCtrl::OnDraw(QPainter* dc, const wl::Rect& clip) {
    for (int r = GetFixedRowCount(); r < GetRowCount(); ++r)
        for (int c = GetFixedColumnCount(); c < GetColumnCount(); ++c)
            if (auto* rich = dynamic_cast<CVKTGridCellRich*>(GetCell(r, c))) rich->HideRich();
    CGridCtrl::OnDraw(dc, clip);
}

void CExtGridCtrl::AddContextMenuItem(const CGridCellRange& range, const std::string& text, int id, int checked) {
    MenuItem item;
    item.range = range;
    item.text = text;
    item.id = id;
    item.checked = checked;
    m_MenuItems.push_back(item);
}

void CExtGridCtrl::OnRButtonUp(unsigned flags, wl::Point p) {
    const CGridCellId cell = GetCellFromPoint(p);
    if (!IsValidCell(cell)) return;
    CPopupMenuBuilder menu;
    int maxId = 0;
    bool added = false;
    for (const MenuItem& item : m_MenuItems) {
        if (!item.range.InRange(cell)) continue;
        const bool separator = item.text.find("Separator") != std::string::npos;
        menu.AddItem(item.text, item.id, separator, item.checked != 0);
        maxId = std::max(maxId, item.id);
        added = true;
    }
    std::map<int, std::string> variables;
    CellRecord* r = Record(cell.row, cell.col);
    if (r && r->kind == KIND_FORMULA && r->formula && r->formula->GetVariableTable()) {
        std::vector<std::string> lines, names;
        r->formula->GetVariableTable()->ListVariables(lines, names);
        if (added && !lines.empty()) menu.AddItem("Separator1", 0, true);
        for (size_t i = 0; i < lines.size() && i < names.size(); ++i) {
            const int id = maxId + 1 + int(i);
            menu.AddItem(lines[i], id);
            variables[id] = names[i];
        }
    }
    HighlightRow(cell.row);
    Refresh();
    if (menu.Items().empty()) return;
    QPoint screen(p.x, p.y);
    if (QWidget* v = GetClientWidget()) screen = v->mapToGlobal(screen);
    const int id = menu.Track(screen.x(), screen.y(), this);
    if (id == 0) return;
    if (auto it = variables.find(id); it != variables.end()) {
        ApplyVariable(cell.row, cell.col, it->second);
        return;
    }
    m_bMouseClick = true;
    CGridCtrl::OnRButtonUp(flags, p);
    m_bMouseClick = false;
    OnContextMenuCommand(cell.row, cell.col, id);
}

void CExtGridCtrl::ApplyVariable(int row, int col, const std::string& name) {
    CGridCellBase* cell = GetCell(row, col);
    const bool wasEditing = cell && cell->IsEditing();
    if (wasEditing) EndEditing();
    CFormulaValue value = GetFormulaCell(row, col);
    std::string text = value.GetText();
    const char last = text.empty() ? '\0' : text.back();
    if (last == '+' || last == '-' || last == '*' || last == '/' || last == '(')
        text += name;
    else
        text = name;
    value.SetFromText(text.c_str());
    SetFormulaCell(row, col, value);
    OnCellValueChanged(row, col, KIND_FORMULA);
    cell = GetCell(row, col);
    if (cell && !cell->IsEditing()) OnEditCell(row, col, {-1, -1}, VK_LBUTTON);
}

// ---- mouse -----------------------------------------------------------------------------------------------

void CExtGridCtrl::OnLButtonDown(unsigned flags, wl::Point p) {
    m_bMouseClick = true;
    CGridCtrl::OnLButtonDown(flags, p);
    m_bMouseClick = false;
}

void CExtGridCtrl::OnLButtonUp(unsigned flags, wl::Point p) {
    m_bMouseClick = true;
    CGridCtrl::OnLButtonUp(flags, p);
    m_bMouseClick = false;
    const CGridCellId cell = GetCellFromPoint(p);
    if (IsValidCell(cell)) OnCellClicked(cell.row, cell.col);
}

void CExtGridCtrl::OnRButtonDown(unsigned flags, wl::Point p) {
    m_bMouseClick = true;
    CGridCtrl::OnRButtonDown(flags, p);
    m_bMouseClick = false;
}

// ---- Tab and focus ---------------------------------------------------------------------------------------

CGridCellId CExtGridCtrl::FirstEditableCell() const {
    CGridCellId shown;
    for (int r = GetFixedRowCount(); r < GetRowCount(); ++r)
        for (int c = GetFixedColumnCount(); c < GetColumnCount(); ++c) {
            if (GetRowHeight(r) == 0 || GetColumnWidth(c) == 0) continue;
            if (!shown.IsValid()) shown = {r, c};
            CGridCellBase* cell = GetCell(r, c);
            if (cell && cell->IsEditable()) return {r, c};
        }
    return shown;
}

CGridCellId CExtGridCtrl::LastEditableCell() const {
    CGridCellId shown;
    for (int r = GetRowCount() - 1; r >= GetFixedRowCount(); --r)
        for (int c = GetColumnCount() - 1; c >= GetFixedColumnCount(); --c) {
            if (GetRowHeight(r) == 0 || GetColumnWidth(c) == 0) continue;
            if (!shown.IsValid()) shown = {r, c};
            CGridCellBase* cell = GetCell(r, c);
            if (cell && cell->IsEditable()) return {r, c};
        }
    return shown;
}

namespace {
bool HasEditable(const CGridCtrl& g) {
    for (int r = g.GetFixedRowCount(); r < g.GetRowCount(); ++r)
        for (int c = g.GetFixedColumnCount(); c < g.GetColumnCount(); ++c) {
            CGridCellBase* cell = g.GetCell(r, c);
            if (g.GetRowHeight(r) && g.GetColumnWidth(c) && cell && cell->IsEditable()) return true;
        }
    return false;
}

// A control that can take the focus by Tab.
bool TakesTabFocus(QWidget* w) {
    return w->isVisibleTo(w->window()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
           !w->focusProxy();
}
}  // namespace

bool CExtGridCtrl::TabOutOfGrid(int row, int col, bool backwards) {
    const CGridCellId here(row, col);
    const bool any = HasEditable(*this);
    if (any && !(backwards ? here == FirstEditableCell() : here == LastEditableCell())) return false;
    QWidget* self = Widget();
    if (!self) return false;
    // Walk the dialog's tab order; controls that cannot take the focus are
    // passed over (an empty edit can).
    QWidget* w = self;
    for (int guard = 0; guard < 10000; ++guard) {
        w = backwards ? w->previousInFocusChain() : w->nextInFocusChain();
        if (!w || w == self) return false;
        if (self->isAncestorOf(w) || w->window() != self->window()) continue;
        if (!TakesTabFocus(w)) continue;
        HighlightRow(-1);
        SetFocusCell(-1, -1);
        Refresh();
        if (backwards)
            if (auto* grid = dynamic_cast<CExtGridCtrl*>(wl::Window::FromWidget(w))) grid->SetEnteredBackwards(true);
        w->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }
    return false;
}

void CExtGridCtrl::OnSetFocus(int reason) {
    if (reason == Qt::MouseFocusReason || m_bMouseClick) {
        const CGridCellId focus = GetFocusCell();
        if (IsValidCell(focus)) SetFocusCell(focus);
        m_bHasFocus = true;
        return;
    }
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    if (!IsValidCell(GetFocusCell())) {
        const bool last = m_bEnteredBackwards || reason == Qt::BacktabFocusReason;
        const CGridCellId target = last ? LastEditableCell() : FirstEditableCell();
        if (target.IsValid()) {
            EnsureVisible(target.row, target.col);
            SetFocusCell(target);
            OnCellSelected(target.row, target.col);
            RedrawCell(target.row, target.col);
        }
    }
    m_bEnteredBackwards = false;
    m_bHasFocus = true;
}

void CExtGridCtrl::OnKillFocus(QWidget* next) {
    QWidget* self = Widget();
    if (!self || !next || self->isAncestorOf(next)) return;
    // Editors (the in-place one included) keep the grid's focus cell.
    if (qobject_cast<QLineEdit*>(next) || qobject_cast<QComboBox*>(next)) return;
    if (next->parentWidget() != self->parentWidget()) return;
    m_bHasFocus = false;
    HighlightRow(-1);
    SetFocusCell(-1, -1);
    Refresh();
}
