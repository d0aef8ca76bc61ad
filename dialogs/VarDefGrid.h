// The grid of a position's variable definitions: one row per entry (kind
// combo, description, variable name, value or formula, unit, export) and an
// empty last row for a new entry. Every change is stored into the entries at
// once and the variables are defined anew.
#pragma once

#include <string>
#include <vector>

#include "grid/ExtGridCtrl.h"

class CBaseData;
class CVarDefList;

class CVarDefGrid : public CExtGridCtrl {
public:
    static constexpr int kColumns = 6;
    enum {
        CMD_DELETE = 1,
        CMD_COPY = 2,
        CMD_UP = 3,
        CMD_DOWN = 4,
        CMD_TOP = 5,
        CMD_BOTTOM = 6,
        CMD_FORMAT_FIRST = 7,   // to 12: format bits 1 .. 32
        CMD_HEIGHT_DEFAULT = 13,
        CMD_HEIGHT_OFFSET = 13,  // ids 21 .. 35: height = id - 13
        CMD_DIGITS_FIRST = 50,   // to 56: digits = id - 50
    };

    CVarDefGrid() = default;
    ~CVarDefGrid() override = default;

    void SetBaseData(CBaseData* data) { m_pBaseData = data; }
    CBaseData* GetBaseData() const { return m_pBaseData; }

    void InitGrid() override;
    void InitRow(int row) override;
    // Fills the grid from the entries, or (save) stores the grid into them;
    // both define the variables.
    void ExchangeData(bool save);
    // Stores the grid, refreshes the value cells and lets the position
    // define its variables and update its views.
    void Recalculate();
    // The header texts for a row kind (-1: the empty row).
    void SetHeaderTexts(int kind);

    void OnCellSelected(int row, int col) override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCheckCellClicked(int row, int col) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    void OnButtonCellClicked(int row, int col) override;

    // The button cells' actions: a picture file chosen in the picture folder,
    // a sketch made by the sketch program, the values taken over from other
    // positions. True when the entry changed.
    bool ChoosePictureFile(int row);
    bool CreateSketch(int row);
    bool ChooseImports();
    // The folder of pictures: "Abbildungen" in the installation root.
    static std::string PictureFolder();

private:
    CVarDefList* List() const;
    int EntryCount() const;
    // The cells of a row for its kind, and the entry's values in them.
    void SetRowCells(int row, int kind);
    void FillRow(int row);
    void StoreRow(int row);
    bool RowDiffers(int row, int col);
    void AddEmptyRow();
    void BuildContextMenu(int row);
    void Refill();

    CBaseData* m_pBaseData = nullptr;
    bool m_bBusy = false;
    std::vector<int> m_cellKinds;  // the kind whose cells each row shows (-1: empty row)
};
