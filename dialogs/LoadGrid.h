// The input grid of the member's loads: one row per load (action, load
// cases, text, type, node, position, eccentricities, direction, up to six
// values whose columns open and are headed by the load's type) and an empty
// entry row below them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formula/ImportValue.h"
#include "grid/ExtGridCtrl.h"
#include "input/LoadDef.h"

// The value take-over: asks for a value to import and answers the variable
// text to put into the cell and the import to keep (nullopt: cancelled).
struct LoadValueImport {
    std::string variableText;
    CImportValue import;
};
using LoadValueImportRunner = std::function<std::optional<LoadValueImport>(wl::Window* owner)>;
// Replaces the take-over's dialog (nullptr: the simple value-import dialog,
// whose OK answers the chosen value's generated variable name).
void SetLoadValueImportRunner(LoadValueImportRunner runner);
std::optional<LoadValueImport> RunLoadValueImport(wl::Window* owner);

class CLoadGrid : public CExtGridCtrl {
public:
    enum { CMD_DELETE = 1, CMD_COPY = 2, CMD_TAKE_OVER = 3 };
    static constexpr int kColumns = 17;
    static constexpr double kSelfWeightDefault = 12.34;

    CLoadGrid();
    ~CLoadGrid() override;

    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCellSelected(int row, int col) override;
    void InitGrid() override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void InitRow(int row) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    virtual void OnAfterChange() {}
    virtual std::string GetValueFormat(int loadType, int valueIndex, const std::string& format) {
        (void)loadType;
        (void)valueIndex;
        return format;
    }
    virtual void OnAfterChange2() {}
    virtual void InitNewRecord(CLoadDef& /*load*/) {}
    virtual void UpdateHeader(int loadIndex);
    virtual void OnRowCellsMade(int /*row*/) {}
    virtual void InitRowCells(int row);
    virtual bool ExchangeData(bool save);
    // Whether a load is shown with one direction (its "Richtung" chosen, the
    // value columns headed and opened for it) or by components.
    virtual bool ShowsDirection(const CLoadDef& load) const { return load.m_bHasDirection != 0; }
    // A load just made by a value typed into the entry row (col: the column
    // typed into), after the value went into it.
    virtual void InitTypedNewLoad(CLoadDef& /*load*/, int /*col*/) {}

    void WriteRow(int row);
    // The columns fitted to the grid's width, the value columns wide enough
    // for their texts ("5.00 kN/m"): they take the room from the other
    // columns, which keep at least their titles' width.
    void FitColumnsToTexts();
    void SetLoadCount(int n);
    void SetActionNames(const std::vector<std::string>& names);
    void SetNodeChoices(const std::string& format, const std::vector<double>& positions);
    void EnableLoadType(int type, bool enable);
    void EnableDirection(int direction, bool enable);
    void SetActionsAsNumbers(bool b) { m_bActionsAsNumbers = b; }
    void SetEditableLoadCases(bool b) { m_bEditableLoadCases = b; }
    // The position's imported values (not owned); the take-over command is
    // offered only while a list is set.
    void SetImportValues(std::vector<CImportValue>* list);
    void SetSelfWeightDefault(double v) { m_dSelfWeight = v; }
    // The table of the position's variables (not owned): the formulas typed
    // into the entry row are calculated with it.
    void SetFormulaTable(CVariableTable* table) { m_pFormulaTable = table; }

    std::vector<CLoadDef>& Loads() { return m_Loads; }
    // The load types offered, in the order of the type column's choices.
    std::vector<int> EnabledTypes() const;
    std::vector<int> EnabledDirections() const;

protected:
    int LoadCount() const { return int(m_Loads.size()); }

private:
    void BuildContextMenu();

    std::vector<CLoadDef> m_Loads;
    bool m_bTypeEnabled[LOAD_TYPE_COUNT] = {};
    bool m_bDirectionEnabled[3] = {true, true, true};
    std::vector<double> m_NodePositions;
    std::string m_NodeFormat = "%d (x=%.2lf m)";
    std::vector<std::string> m_NodeTexts;
    std::vector<std::string> m_ActionNames;
    bool m_bActionsAsNumbers = false;
    bool m_bEditableLoadCases = false;
    std::vector<CImportValue>* m_pImportValues = nullptr;
    double m_dSelfWeight = kSelfWeightDefault;
    CVariableTable* m_pFormulaTable = nullptr;
};
