// The formula overview and its grid.
#include "editor/controls/DlgFormula.h"

#include "grid/GridCtrl.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

const wl::TemplateRegistrar kTemplate({
    {CDlgFormula::kTemplateId, "Übersicht Formeln", 420, 220, 0,
     {
         {CDlgFormula::kGridId, Kind::Custom, "", 7, 7, 406, 184, 0, {}, CGridCtrl::kClassName},
         {wl::IDOK, Kind::Button, "OK", 304, 199, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 363, 199, 50, 14},
     }},
});

}  // namespace

void CFormulaGrid::InitGrid() {
    Setup(1, kColumns, 1, 0);
    static const int widths[kColumns] = {20, 10, 20, 5, 5, 5, 5};
    static const char* const headers[kColumns] = {"Bezeichnung", "Variable", "Ausdruck", "Ergebnis",
                                                  "Einheit",     "Export",   "Eingabe"};
    for (int c = 0; c < kColumns; ++c) {
        SetColumnRelWidth(c, widths[c]);
        SetItemText(0, c, lingo::Translate("VKT Eingabe", "velor_i_Quill", "FormulaGrid", headers[c]));
    }
    FitColumnsToWidth();
}

void CFormulaGrid::EnableTexts(int row) {
    const bool on = GetCheckCell(row, kExport) != 0 || GetCheckCell(row, kInput) != 0;
    SetCellReadOnly(row, kDesc, !on);
    SetCellReadOnly(row, kUnit, !on);
}

void CFormulaGrid::TransferData(bool save) {
    if (!records || !exportValues || !inputValues) return;
    if (save) {
        exportValues->clear();
        inputValues->clear();
        for (int r = 1; r < GetRowCount(); ++r) {
            const CNamedValue v{GetTextCell(r, kDesc), GetTextCell(r, kVariable), GetTextCell(r, kUnit),
                                GetDoubleCell(r, kResult)};
            if (GetCheckCell(r, kExport)) exportValues->push_back(v);
            if (GetCheckCell(r, kInput)) inputValues->push_back(v);
        }
        return;
    }
    SetRowCount(static_cast<int>(records->size()) + 1);
    for (size_t i = 0; i < records->size(); ++i) {
        const CFormulaRecord& rec = (*records)[i];
        const int r = static_cast<int>(i) + 1;
        for (int c : {kVariable, kExpression}) SetCellType(r, c, KIND_TEXT);
        SetCellType(r, kResult, KIND_DOUBLE);
        for (int c : {kVariable, kExpression, kResult}) SetCellReadOnly(r, c, true);
        SetCellType(r, kExport, KIND_CHECK);
        SetCellType(r, kInput, KIND_CHECK);
        if (rec.kind != CFormulaRecord::Evaluation) {
            SetTextCell(r, kVariable, rec.name);
            // The input value's texts win over the export value's.
            for (const std::vector<CNamedValue>* list : {exportValues, inputValues}) {
                for (const CNamedValue& v : *list) {
                    if (v.varName != rec.name) continue;
                    SetCheckCell(r, list == exportValues ? kExport : kInput, 1);
                    SetTextCell(r, kDesc, v.desc);
                    SetTextCell(r, kUnit, v.unit);
                }
            }
            EnableTexts(r);
        } else {
            for (int c : {kExport, kDesc, kUnit}) SetCellReadOnly(r, c, true);
        }
        SetTextCell(r, kExpression, rec.expression);
        SetDoubleCell(r, kResult, winsys::ParseDouble(rec.result).value_or(0.0));
    }
    Refresh();
}

void CFormulaGrid::OnCheckCellClicked(int row, int /*col*/) {
    if (row < 1 || row >= GetRowCount()) return;
    EnableTexts(row);
    Refresh();
}

CDlgFormula::CDlgFormula(wl::Window*) : wl::Dialog(kTemplateId) {}

void CDlgFormula::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Control(dx, kGridId, grid); }

bool CDlgFormula::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgFormula");
    UpdateData(false);
    grid.InitGrid();
    grid.TransferData(false);
    return true;
}

void CDlgFormula::OnOK() {
    grid.TransferData(true);
    EndDialog(wl::IDOK);
}
