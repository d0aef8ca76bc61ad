// The choice of many values that other positions of the project export:
// the positions in a list, the shown position's exported values as a tree
// (chosen values bold), and the grid of the chosen values, whose variable
// names can be edited. OK rewrites the position's imported-value entries.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "formula/ImportValue.h"
#include "graphics/HoverButton.h"
#include "grid/ExtGridCtrl.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

class CBaseData;

// The chosen values, one row each: source path, variable name (the only
// editable column), value and unit.
class CImportValGrid : public CExtGridCtrl {
public:
    enum { COL_PATH = 0, COL_VARIABLE = 1, COL_VALUE = 2 };
    enum { CMD_DELETE = 1 };

    CImportValGrid();
    ~CImportValGrid() override;

    void InitGrid() override;
    void InitRow(int row) override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnContextMenuCommand(int row, int col, int id) override;

    // A record with the same source path (exact) is replaced, else appended.
    void AddRecord(const CImportValue& record);
    // Removes every record with this source path (exact).
    void RemoveRecords(const std::string& sourcePath);
    void RemoveAll();
    bool HasRecord(const std::string& sourcePath) const;
    // The records with the variable names as edited.
    const std::vector<CImportValue>& Records();
    // Runs after a row was removed from the menu.
    std::function<void()> onRemoved;

private:
    void Fill();
    std::vector<CImportValue> m_records;
};

class CDlgImportVal : public wl::Dialog {
public:
    static constexpr int kTemplateId = 522;
    enum {
        IDC_POSITIONS = 11076,
        IDC_VALUES = 11077,
        IDC_GRID = 11079,
        IDC_TAKE = 11080,        // "Markierte Werte übernehmen"
        IDC_RELEASE = 11081,     // "Markierte Werte nicht mehr übernehmen"
        IDC_RELEASE_ALL = 11082, // "Alle Werte nicht mehr übernehmen"
        IDC_HELP = 9,
    };

    CDlgImportVal();
    ~CDlgImportVal() override;
    const char* ClassName() const override { return "CDlgImportVal"; }

    void SetBaseData(CBaseData* data) { m_pBaseData = data; }

    // With true the grid's records become the chosen ones; with false the
    // chosen ones go into the grid.
    void UpdateImports(bool save);

    // The actions of the buttons and of a double click in the tree.
    void TakeSelected();
    void ReleaseSelected();
    void ReleaseAll();
    void RenewSelected();

    wl::ListCtrl& Positions() { return m_positions; }
    wl::TreeCtrl& Values() { return m_values; }
    CImportValGrid& Grid() { return m_grid; }
    const std::string& ShownFile() const { return m_shownFile; }
    const std::vector<CImportValue>& Chosen() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    void OnOK() override;

private:
    void OnPositionChanged();
    void FillValues(const std::string& fileName);
    void Take(wl::TreeCtrl::Item item);
    void Release(wl::TreeCtrl::Item item);
    const CImportValue* RecordOf(wl::TreeCtrl::Item item) const;

    CHoverButton m_releaseAll, m_release, m_take;
    wl::TreeCtrl m_values;
    wl::ListCtrl m_positions;
    CImportValGrid m_grid;
    std::map<std::string, wl::TreeCtrl::Item> m_items;  // source path -> tree item
    std::string m_shownFile;
    std::vector<CImportValue> m_chosen;
    std::vector<CImportValue> m_records;  // of the shown position; item data = index + 1
    CBaseData* m_pBaseData = nullptr;
};
