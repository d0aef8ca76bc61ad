// CDlgFormula ("Übersicht Formeln"): every formula of the editor text in a
// grid, where the user chooses which variables the position exports and
// which it asks for as input values.
#pragma once

#include <vector>

#include "editor/core/EditorDocument.h"
#include "grid/ExtGridCtrl.h"
#include "platform/wl/dialog.h"

class CFormulaGrid : public CExtGridCtrl {
public:
    enum Column { kDesc = 0, kVariable = 1, kExpression = 2, kResult = 3, kUnit = 4, kExport = 5, kInput = 6 };
    static constexpr int kColumns = 7;

    // Not owned; set before the grid is filled.
    const std::vector<CFormulaRecord>* records = nullptr;
    std::vector<CNamedValue>* exportValues = nullptr;
    std::vector<CNamedValue>* inputValues = nullptr;

    // One header row and the seven columns fitted to the width.
    void InitGrid() override;
    // Fills the grid from the records and the two value lists (false), or
    // stores the ticked rows into the lists (true).
    void TransferData(bool save);
    // Description and unit are editable while the row is exported or an input.
    void OnCheckCellClicked(int row, int col) override;

private:
    void EnableTexts(int row);
};

class CDlgFormula : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11505;
    static constexpr int kGridId = 11556;

    explicit CDlgFormula(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgFormula"; }

    CFormulaGrid grid;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;
};
