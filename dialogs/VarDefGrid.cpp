#include "dialogs/VarDefGrid.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

#include "dialogs/ImportValDlg.h"
#include "formula/VarDef.h"
#include "module/BaseData.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/ui.h"

namespace {

constexpr int kKindCol = 0, kTextCol = 1, kNameCol = 2, kValueCol = 3, kUnitCol = 4, kLastCol = 5;
constexpr const char* kArea = "VarDefGrid";
// The largest picture file an entry takes in.
constexpr std::uintmax_t kMaxPictureBytes = 32u * 1024 * 1024;

std::string Tr(const std::string& text) { return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, kArea, text); }

std::vector<std::string> KindNames() {
    std::vector<std::string> names = {"Variable",  "Überschrift", "Berechnung",     "Freier Text",
                                      "Abbildung", "Skizze",      "Wert Übernahme", "Summe Tabelle"};
    for (std::string& n : names) n = Tr(n);
    return names;
}

// The whole content of a picture file; false (with a message naming the
// file) when it cannot be read or exceeds the bound.
bool ReadPicture(const std::string& file, std::vector<unsigned char>& bytes) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (!ec && size > kMaxPictureBytes) {
        rigel::ShowCommonMessage(kArea, "Die Datei '%s' ist größer als %d MB und wird nicht übernommen.", file.c_str(),
                                 int(kMaxPictureBytes / (1024 * 1024)));
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (ec || !in) {
        rigel::ShowCommonMessage(kArea, "Die Datei '%s' kann nicht gelesen werden.", file.c_str());
        return false;
    }
    std::vector<unsigned char> data(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size))) {
        rigel::ShowCommonMessage(kArea, "Die Datei '%s' kann nicht gelesen werden.", file.c_str());
        return false;
    }
    bytes = std::move(data);
    return true;
}

const std::vector<std::string>& UnitChoices() {
    static const std::vector<std::string> units = {"m",     "cm",     "mm",     "m²",  "m³", "kN",
                                                   "kN/cm²", "kN/m", "kN/m²", "kN/m³", "kNm", "°"};
    return units;
}

std::string DigitsFormat(int digits) {
    if (digits < 0 || digits > 6) digits = 2;
    return "%." + std::to_string(digits) + "lf";
}

// A source path as the row shows it: " - " in place of each backslash.
std::string ShownSourcePath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\')
            out += " - ";
        else
            out += c;
    }
    return out;
}

bool SameFormula(const CFormulaValue& a, const CFormulaValue& b) {
    return a.GetText() == b.GetText() && a.GetValue() == b.GetValue();
}

}  // namespace

CVarDefList* CVarDefGrid::List() const { return m_pBaseData ? &m_pBaseData->m_varDefs : nullptr; }

int CVarDefGrid::EntryCount() const { return List() ? List()->GetSize() : 0; }

void CVarDefGrid::InitGrid() {
    Setup(2, kColumns, 1, 0);
    static const int widths[kColumns] = {14, 37, 10, 10, 6, 8};
    for (int c = 0; c < kColumns; ++c) SetColumnRelWidth(c, widths[c]);
    SetHeaderTexts(-1);
    FitColumnsToWidth();
}

void CVarDefGrid::SetHeaderTexts(int kind) {
    static const char* const kDesc = "Beschreibung (Rechte Maustaste für Formatierungen)";
    const char* texts[kColumns] = {"Typ", kDesc, "Variable", "Wert/Formel", "Einheit", "Export"};
    switch (kind) {
    case VARDEF_TITLE:
        texts[1] = "Überschrift (Rechte Maustaste für Formatierungen)";
        texts[2] = texts[3] = texts[4] = texts[5] = "-";
        break;
    case VARDEF_VALUE:
        texts[2] = "-";
        texts[3] = "Formel";
        texts[4] = texts[5] = "-";
        break;
    case VARDEF_TEXT:
        texts[1] = "Text (Rechte Maustaste für Formatierungen)";
        texts[2] = texts[3] = texts[4] = texts[5] = "-";
        break;
    case VARDEF_PICTUREFILE:
    case VARDEF_PICTURE:
        texts[1] = kind == VARDEF_PICTUREFILE ? "Dateiname" : "-";
        texts[2] = "-";
        texts[3] = "Breite";
        texts[4] = "Höhe";
        texts[5] = "-";
        break;
    case VARDEF_IMPORT:
    case VARDEF_SUM:
        texts[3] = "Wert";
        texts[5] = "Auswahl";
        break;
    default: break;
    }
    for (int c = 0; c < kColumns; ++c) SetCenteredText(0, c, Tr(texts[c]));
}

void CVarDefGrid::InitRow(int row) {
    SetRowCells(row, -1);
    SetComboCellIndex(row, kKindCol, -1);
}

void CVarDefGrid::SetRowCells(int row, int kind) {
    if (row >= int(m_cellKinds.size())) m_cellKinds.resize(size_t(row) + 1, -1);
    m_cellKinds[size_t(row)] = kind;
    SetCellType(row, kKindCol, KIND_COMBO_INDEX);
    SetComboCellChoices(row, kKindCol, KindNames());
    const int layout = kind < 0 ? VARDEF_VARIABLE : kind;
    auto cell = [&](int col, int cellKind, bool enabled) {
        SetCellType(row, col, cellKind);
        EnableCell(row, col, true);
        SetItemText(row, col, {});
        if (!enabled) EnableCell(row, col, false);
    };
    auto unit = [&](int col) {
        cell(col, KIND_COMBO_TEXT, true);
        SetComboCellChoices(row, col, UnitChoices());
    };
    auto size = [&](int col) {
        cell(col, KIND_DOUBLE, true);
        SetNumberCellFormat(row, col, "%lf", "%.1lf cm", 1.0);
    };
    switch (layout) {
    case VARDEF_VARIABLE:
    case VARDEF_SUM:
        cell(kTextCol, KIND_TEXT, true);
        cell(kNameCol, KIND_TEXT, true);
        if (layout == VARDEF_VARIABLE) {
            cell(kValueCol, KIND_FORMULA, true);
        } else {
            cell(kValueCol, KIND_DOUBLE, false);
        }
        unit(kUnitCol);
        cell(kLastCol, KIND_CHECK, true);
        break;
    case VARDEF_TITLE:
    case VARDEF_TEXT:
        cell(kTextCol, KIND_TEXT, true);
        for (int c = kNameCol; c <= kLastCol; ++c) cell(c, KIND_TEXT, false);
        break;
    case VARDEF_VALUE:
        cell(kTextCol, KIND_TEXT, true);
        cell(kNameCol, KIND_TEXT, false);
        cell(kValueCol, KIND_FORMULA, true);
        unit(kUnitCol);
        cell(kLastCol, KIND_TEXT, false);
        break;
    case VARDEF_PICTUREFILE:
    case VARDEF_PICTURE:
        cell(kTextCol, KIND_TEXT, false);
        cell(kNameCol, KIND_BUTTON, true);
        SetButtonCellText(row, kNameCol, Tr(layout == VARDEF_PICTUREFILE ? "Datei wählen" : "Erstellen"));
        size(kValueCol);
        size(kUnitCol);
        cell(kLastCol, KIND_TEXT, false);
        break;
    case VARDEF_IMPORT:
        cell(kTextCol, KIND_TEXT, false);
        cell(kNameCol, KIND_TEXT, false);
        cell(kValueCol, KIND_DOUBLE, false);
        cell(kUnitCol, KIND_TEXT, false);
        cell(kLastCol, KIND_BUTTON, true);
        SetButtonCellText(row, kLastCol, Tr("Auswahl"));
        break;
    default: break;
    }
    const bool bold = layout == VARDEF_TITLE;
    SetCellFont(row, kTextCol, "Arial", false, false, -1, bold ? 700 : 400);
}

void CVarDefGrid::FillRow(int row) {
    CVarDefEntry* e = List() ? List()->GetAt(row - 1) : nullptr;
    if (!e) {
        InitRow(row);
        return;
    }
    SetRowCells(row, e->m_nType);
    SetComboCellIndex(row, kKindCol, e->m_nType);
    switch (e->m_nType) {
    case VARDEF_VARIABLE: {
        auto* v = static_cast<CVarDefVariable*>(e);
        SetTextCell(row, kTextCol, v->m_strDescription);
        SetTextCell(row, kNameCol, v->m_strVarName);
        SetNumberCellFormat(row, kValueCol, "%lf", DigitsFormat(v->m_nDigits), 1.0);
        SetFormulaCell(row, kValueCol, v->m_value);
        SetComboCellTextRaw(row, kUnitCol, v->m_strUnit);
        SetCheckCell(row, kLastCol, v->m_bExported);
        break;
    }
    case VARDEF_TITLE: SetTextCell(row, kTextCol, static_cast<CVarDefTitle*>(e)->m_strTitle); break;
    case VARDEF_VALUE: {
        auto* v = static_cast<CVarDefValue*>(e);
        SetTextCell(row, kTextCol, v->m_strDescription);
        SetNumberCellFormat(row, kValueCol, "%lf", DigitsFormat(v->m_nDigits), 1.0);
        SetFormulaCell(row, kValueCol, v->m_value);
        SetComboCellTextRaw(row, kUnitCol, v->m_strUnit);
        break;
    }
    case VARDEF_TEXT: SetTextCell(row, kTextCol, static_cast<CVarDefText*>(e)->m_strText); break;
    case VARDEF_PICTUREFILE: {
        auto* p = static_cast<CVarDefPictureFile*>(e);
        SetTextCell(row, kTextCol, p->m_strFileName);
        SetDoubleCell(row, kValueCol, p->m_dWidth);
        SetDoubleCell(row, kUnitCol, p->m_dHeight);
        break;
    }
    case VARDEF_PICTURE: {
        auto* p = static_cast<CVarDefPicture*>(e);
        SetDoubleCell(row, kValueCol, p->m_dWidth);
        SetDoubleCell(row, kUnitCol, p->m_dHeight);
        break;
    }
    case VARDEF_IMPORT: {
        const CImportValue& v = static_cast<CVarDefImport*>(e)->m_import;
        SetTextCell(row, kTextCol, ShownSourcePath(v.m_strSourcePath));
        SetTextCell(row, kNameCol, v.m_strVarName);
        SetNumberCellFormat(row, kValueCol, "%lf", DigitsFormat(e->m_nDigits), 1.0);
        SetDoubleCell(row, kValueCol, v.m_dValue);
        SetTextCell(row, kUnitCol, v.m_strUnit);
        break;
    }
    case VARDEF_SUM: {
        auto* s = static_cast<CVarDefSum*>(e);
        SetTextCell(row, kTextCol, s->m_strDescription);
        SetTextCell(row, kNameCol, s->m_strVarName);
        SetNumberCellFormat(row, kValueCol, "%lf", DigitsFormat(s->m_nDigits), 1.0);
        SetDoubleCell(row, kValueCol, s->m_dValue);
        SetComboCellTextRaw(row, kUnitCol, s->m_strUnit);
        SetCheckCell(row, kLastCol, s->m_bExported);
        break;
    }
    default: break;
    }
}

void CVarDefGrid::StoreRow(int row) {
    CVarDefEntry* e = List() ? List()->GetAt(row - 1) : nullptr;
    if (!e) return;
    // A row whose kind was just changed still shows the cells of its old
    // kind: its new entry starts empty.
    const int shown = row < int(m_cellKinds.size()) ? m_cellKinds[size_t(row)] : -1;
    if ((shown < 0 ? VARDEF_VARIABLE : shown) != e->m_nType) return;
    switch (e->m_nType) {
    case VARDEF_VARIABLE: {
        auto* v = static_cast<CVarDefVariable*>(e);
        v->m_strDescription = GetTextCell(row, kTextCol);
        v->m_strVarName = GetTextCell(row, kNameCol);
        v->m_value = GetFormulaCell(row, kValueCol);
        v->m_strUnit = GetComboCellText(row, kUnitCol);
        v->m_bExported = GetCheckCell(row, kLastCol);
        break;
    }
    case VARDEF_TITLE: static_cast<CVarDefTitle*>(e)->m_strTitle = GetTextCell(row, kTextCol); break;
    case VARDEF_VALUE: {
        auto* v = static_cast<CVarDefValue*>(e);
        v->m_strDescription = GetTextCell(row, kTextCol);
        v->m_value = GetFormulaCell(row, kValueCol);
        v->m_strUnit = GetComboCellText(row, kUnitCol);
        break;
    }
    case VARDEF_TEXT: static_cast<CVarDefText*>(e)->m_strText = GetTextCell(row, kTextCol); break;
    case VARDEF_PICTUREFILE: {
        auto* p = static_cast<CVarDefPictureFile*>(e);
        p->m_dWidth = GetDoubleCell(row, kValueCol);
        p->m_dHeight = GetDoubleCell(row, kUnitCol);
        break;
    }
    case VARDEF_PICTURE: {
        auto* p = static_cast<CVarDefPicture*>(e);
        p->m_dWidth = GetDoubleCell(row, kValueCol);
        p->m_dHeight = GetDoubleCell(row, kUnitCol);
        break;
    }
    case VARDEF_SUM: {
        auto* s = static_cast<CVarDefSum*>(e);
        s->m_strDescription = GetTextCell(row, kTextCol);
        s->m_strVarName = GetTextCell(row, kNameCol);
        s->m_strUnit = GetComboCellText(row, kUnitCol);
        s->m_bExported = GetCheckCell(row, kLastCol);
        break;
    }
    default: break;  // taken-over values are read-only
    }
}

bool CVarDefGrid::RowDiffers(int row, int col) {
    CVarDefEntry* e = List() ? List()->GetAt(row - 1) : nullptr;
    if (!e) return false;
    switch (e->m_nType) {
    case VARDEF_VARIABLE: {
        auto* v = static_cast<CVarDefVariable*>(e);
        if (col == kTextCol) return GetTextCell(row, col) != v->m_strDescription;
        if (col == kNameCol) return GetTextCell(row, col) != v->m_strVarName;
        if (col == kValueCol) return !SameFormula(GetFormulaCell(row, col), v->m_value);
        if (col == kUnitCol) return GetComboCellText(row, col) != v->m_strUnit;
        if (col == kLastCol) return GetCheckCell(row, col) != v->m_bExported;
        return false;
    }
    case VARDEF_TITLE: return col == kTextCol && GetTextCell(row, col) != static_cast<CVarDefTitle*>(e)->m_strTitle;
    case VARDEF_VALUE: {
        auto* v = static_cast<CVarDefValue*>(e);
        if (col == kTextCol) return GetTextCell(row, col) != v->m_strDescription;
        if (col == kValueCol) return !SameFormula(GetFormulaCell(row, col), v->m_value);
        if (col == kUnitCol) return GetComboCellText(row, col) != v->m_strUnit;
        return false;
    }
    case VARDEF_TEXT: return col == kTextCol && GetTextCell(row, col) != static_cast<CVarDefText*>(e)->m_strText;
    case VARDEF_PICTUREFILE:
    case VARDEF_PICTURE: {
        const double w = e->m_nType == VARDEF_PICTURE ? static_cast<CVarDefPicture*>(e)->m_dWidth
                                                      : static_cast<CVarDefPictureFile*>(e)->m_dWidth;
        const double h = e->m_nType == VARDEF_PICTURE ? static_cast<CVarDefPicture*>(e)->m_dHeight
                                                      : static_cast<CVarDefPictureFile*>(e)->m_dHeight;
        if (col == kValueCol) return GetDoubleCell(row, col) != w;
        if (col == kUnitCol) return GetDoubleCell(row, col) != h;
        return false;
    }
    case VARDEF_SUM: {
        auto* s = static_cast<CVarDefSum*>(e);
        if (col == kTextCol) return GetTextCell(row, col) != s->m_strDescription;
        if (col == kNameCol) return GetTextCell(row, col) != s->m_strVarName;
        if (col == kUnitCol) return GetComboCellText(row, col) != s->m_strUnit;
        if (col == kLastCol) return GetCheckCell(row, col) != s->m_bExported;
        return false;
    }
    default: return false;
    }
}

void CVarDefGrid::ExchangeData(bool save) {
    CVarDefList* list = List();
    if (!list) return;
    if (!save) {
        const int n = list->GetSize();
        SetRowCount(n + 2);
        list->DefineVariables();
        for (int row = 1; row <= n; ++row) FillRow(row);
        InitRow(n + 1);
        ClearContextMenuItems();
        for (int row = 1; row <= n; ++row) BuildContextMenu(row);
        Refresh();
        return;
    }
    const int last = GetRowCount() - 1;
    if (last < 1) return;
    int count = last - 1;
    if (GetComboCellIndex(last, kKindCol) >= 0) ++count;
    list->SetSize(count);
    for (int i = 0; i < count; ++i) list->SetEntryType(i, GetComboCellIndex(i + 1, kKindCol));
    for (int row = 1; row <= count; ++row) StoreRow(row);
    list->DefineVariables();
}

void CVarDefGrid::Recalculate() {
    ExchangeData(true);
    CVarDefList* list = List();
    if (!list) return;
    for (int i = 0; i < list->GetSize() && i + 1 < GetRowCount(); ++i) {
        CVarDefEntry* e = list->GetAt(i);
        if (!e) continue;
        const int row = i + 1;
        if (e->m_nType == VARDEF_VARIABLE && m_cellKinds[size_t(row)] == VARDEF_VARIABLE)
            SetFormulaCell(row, kValueCol, static_cast<CVarDefVariable*>(e)->m_value);
        else if (e->m_nType == VARDEF_VALUE && m_cellKinds[size_t(row)] == VARDEF_VALUE)
            SetFormulaCell(row, kValueCol, static_cast<CVarDefValue*>(e)->m_value);
        else if (e->m_nType == VARDEF_SUM && m_cellKinds[size_t(row)] == VARDEF_SUM)
            SetDoubleCell(row, kValueCol, static_cast<CVarDefSum*>(e)->m_dValue);
    }
    m_pBaseData->DefineVariables();
    m_pBaseData->UpdateViews(0);
    Refresh();
}

void CVarDefGrid::Refill() {
    ExchangeData(false);
    Recalculate();
}

void CVarDefGrid::AddEmptyRow() {
    const int rows = GetRowCount();
    SetRowCount(rows + 1);
    InitRow(rows);
}

void CVarDefGrid::BuildContextMenu(int row) {
    CVarDefEntry* e = List() ? List()->GetAt(row - 1) : nullptr;
    if (!e) return;
    const CGridCellRange range(row, 0, row, kColumns - 1);
    auto item = [&](const std::string& text, int id, int checked = 0) {
        AddContextMenuItem(range, id == 0 ? text : Tr(text), id, checked);
    };
    item("Zeile löschen", CMD_DELETE);
    item("Zeile kopieren", CMD_COPY);
    item("Separator", 0);
    item("Zeile nach oben schieben", CMD_UP);
    item("Zeile an den Anfang schieben", CMD_TOP);
    item("Zeile nach unten schieben", CMD_DOWN);
    item("Zeile ans Ende schieben", CMD_BOTTOM);
    item("Separator", 0);
    static const char* const formats[] = {"Format\\Fett",     "Format\\Kursiv",        "Format\\Unterstrichen",
                                          "Format\\Zentriert", "Format\\Rechtsbündig", "Format\\Blocksatz"};
    for (int k = 0; k < 6; ++k)
        item(formats[k], CMD_FORMAT_FIRST + k, (e->m_nFormat & (1 << k)) != 0);
    item("Separator", 0);
    item("Schriftgrad\\Standard", CMD_HEIGHT_DEFAULT, e->m_nTextHeight == 0);
    for (int h : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22})
        item("Schriftgrad\\" + std::to_string(h), h + CMD_HEIGHT_OFFSET, e->m_nTextHeight == h);
    const int t = e->m_nType;
    if (t == VARDEF_VARIABLE || t == VARDEF_VALUE || t == VARDEF_IMPORT || t == VARDEF_SUM) {
        item("Separator", 0);
        item("Nachkommastellen\\Keine", CMD_DIGITS_FIRST, e->m_nDigits == 0);
        for (int d = 1; d <= 6; ++d)
            item("Nachkommastellen\\" + std::to_string(d), CMD_DIGITS_FIRST + d,
                               e->m_nDigits == d);
    }
}

void CVarDefGrid::OnCellSelected(int row, int col) {
    CExtGridCtrl::OnCellSelected(row, col);
    CVarDefEntry* e = (row >= 1 && List()) ? List()->GetAt(row - 1) : nullptr;
    SetHeaderTexts(e ? e->m_nType : -1);
}

void CVarDefGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    if (m_bBusy || col == kKindCol || row < 1 || row > EntryCount()) return;
    if (RowDiffers(row, col)) Recalculate();
}

void CVarDefGrid::OnCheckCellClicked(int row, int col) { OnCellValueChanged(row, col, KIND_CHECK); }

void CVarDefGrid::OnComboCellSelChanged(int row, int col, int index) {
    if (m_bBusy || !List() || row < 1) return;
    if (col != kKindCol) {
        OnCellValueChanged(row, col, KIND_COMBO_TEXT);
        return;
    }
    m_bBusy = true;
    const bool lastRow = row == GetRowCount() - 1;
    if (lastRow) {
        if (index >= 0) {
            AddEmptyRow();
            Recalculate();
            ExchangeData(false);
        }
    } else {
        Recalculate();
        ExchangeData(false);
        SelectCell(row, kKindCol);
    }
    m_bBusy = false;
}

void CVarDefGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    CVarDefList* list = List();
    const int n = EntryCount();
    if (!list || row < 1 || row > n) return;
    ExchangeData(true);
    const int i = row - 1;
    CVarDefEntry* e = list->GetAt(i);
    if (!e) return;
    auto move = [&](int to) {
        std::unique_ptr<CVarDefEntry> copy = CreateVarDefEntry(e->m_nType);
        if (!copy) return;
        copy->CopyFrom(*e);
        list->RemoveAt(i);
        list->InsertAt(to, std::move(copy));
    };
    if (id == CMD_DELETE) {
        list->RemoveAt(i);
    } else if (id == CMD_COPY) {
        std::unique_ptr<CVarDefEntry> copy = CreateVarDefEntry(e->m_nType);
        if (!copy) return;
        copy->CopyFrom(*e);
        list->InsertAt(i + 1, std::move(copy));
    } else if (id == CMD_UP || id == CMD_TOP) {
        if (i == 0) return;
        move(id == CMD_UP ? i - 1 : 0);
    } else if (id == CMD_DOWN || id == CMD_BOTTOM) {
        if (i == n - 1) return;
        move(id == CMD_DOWN ? i + 1 : n - 1);
    } else if (id >= CMD_FORMAT_FIRST && id < CMD_FORMAT_FIRST + 6) {
        e->m_nFormat ^= 1 << (id - CMD_FORMAT_FIRST);
    } else if (id == CMD_HEIGHT_DEFAULT || (id >= 21 && id <= 35)) {
        e->m_nTextHeight = id - CMD_HEIGHT_OFFSET;
    } else if (id >= CMD_DIGITS_FIRST && id <= CMD_DIGITS_FIRST + 6) {
        e->m_nDigits = id - CMD_DIGITS_FIRST;
    } else {
        return;
    }
    m_bBusy = true;
    Refill();
    m_bBusy = false;
}

// ---- the button cells ------------------------------------------------------------------------

std::string CVarDefGrid::PictureFolder() {
    static const std::string folder = (std::filesystem::path(GetInstallRoot()) / "Abbildungen").string();
    return folder;
}

void CVarDefGrid::OnButtonCellClicked(int row, int col) {
    CVarDefList* list = List();
    if (!list || m_bBusy || row < 1) return;
    if (row == GetRowCount() - 1) AddEmptyRow();
    CVarDefEntry* e = list->GetAt(row - 1);
    if (!e) return;
    if (e->m_nType == VARDEF_PICTUREFILE && col == kNameCol) {
        ChoosePictureFile(row);
    } else if (e->m_nType == VARDEF_PICTURE && col == kNameCol) {
        CreateSketch(row);
    } else if (e->m_nType == VARDEF_IMPORT && col == kLastCol) {
        ChooseImports();
    }
}

bool CVarDefGrid::ChoosePictureFile(int row) {
    auto* e = dynamic_cast<CVarDefPictureFile*>(List() ? List()->GetAt(row - 1) : nullptr);
    if (!e) return false;
    wl::FileRequest request;
    request.folder = PictureFolder();
    request.defaultExt = "*.emf";
    request.filter = Tr("emf Dateien (*.emf)|*.emf|Bitmap Dateien (*.bmp)|*.bmp|Alle Dateien (*.*)|*.*||");
    // The dialog leaves the current folder as it is.
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    const std::optional<std::string> file = wl::GetUi().GetOpenFileName(request, nullptr);
    if (!ec) std::filesystem::current_path(current, ec);
    if (!file) return false;
    std::vector<unsigned char> bytes;
    if (!ReadPicture(*file, bytes)) return false;  // the entry stays as it was
    ExchangeData(true);
    e->m_strFileName = std::filesystem::path(*file).filename().string();
    e->m_fileBuffer = std::move(bytes);
    SetTextCell(row, kTextCol, e->m_strFileName);
    Recalculate();
    return true;
}

bool CVarDefGrid::CreateSketch(int row) {
    auto* e = dynamic_cast<CVarDefPicture*>(List() ? List()->GetAt(row - 1) : nullptr);
    if (!e) return false;
    const std::filesystem::path program = winsys::FindProgram("skizze.exe");
    if (program.empty()) {
        rigel::ShowCommonMessage(kArea, "Das Skizzenprogramm '%s' ist nicht installiert.", "skizze");
        return false;
    }
    if (RunProcessWait({program.string()}) < 0) return false;
    std::error_code ec;
    if (!std::filesystem::exists("xxxx.emf", ec)) return false;
    std::vector<unsigned char> bytes;
    const bool read = ReadPicture("xxxx.emf", bytes);
    std::filesystem::remove("xxxx.emf", ec);
    std::filesystem::remove(".rtf", ec);
    if (!read) return false;
    ExchangeData(true);
    e->m_fileBuffer = std::move(bytes);
    Recalculate();
    return true;
}

bool CVarDefGrid::ChooseImports() {
    if (!m_pBaseData) return false;
    ExchangeData(true);
    CDlgImportVal dlg;
    dlg.SetBaseData(m_pBaseData);
    if (dlg.DoModal() != wl::IDOK) return false;
    m_bBusy = true;
    Refill();
    m_bBusy = false;
    return true;
}
