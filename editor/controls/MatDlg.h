// CMatDlg ("Datenbank Import"): a material of the material databases or a
// standard profile of the section catalogue picked in a tree, the values
// wanted ticked in a grid (CMatGrid); the ticks are remembered per database
// entry in the document.
#pragma once

#include <string>
#include <vector>

#include "editor/core/EditorDocument.h"
#include "grid/ExtGridCtrl.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

class CMatGrid : public CExtGridCtrl {
public:
    enum Column { kActive = 0, kName = 1, kVariable = 2, kValue = 3, kUnit = 4 };
    static constexpr int kColumns = 5;
    struct Row {
        int active = 0;
        std::string name, variable, value, unit;
    };
    std::vector<Row> rows;

    void InitGrid() override;
    // Fills the grid from the rows (false) or reads the ticks back (true).
    void TransferData(bool save);
};

class CMatDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11512;
    static constexpr int kTreeId = 11561, kGridId = 11562;
    // Ticks of the rows beyond this many are not remembered.
    static constexpr int kRememberedRows = 32;

    explicit CMatDlg(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CMatDlg"; }

    wl::TreeCtrl tree;
    CMatGrid grid;
    CEditorDocument* document = nullptr;  // set by the caller
    std::string title;                    // heading of the inserted table
    wl::TreeCtrl::Item current = 0;

    // Shows an item of the tree in the grid (its selection).
    void ShowItem(wl::TreeCtrl::Item item);
    // Stores the ticks of the shown entry in the document (true).
    void TransferData(bool save);
    // The database path a leaf stands for ("" for a branch).
    std::string PathOf(wl::TreeCtrl::Item item) const;
    // The item of a tree path (texts joined by "\"), 0 when none.
    wl::TreeCtrl::Item FindItem(const std::string& path) const;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override;

private:
    void FillTree();
    wl::TreeCtrl::Item Branch(const std::vector<std::string>& texts);
    void AddLeaf(const std::vector<std::string>& branch, const std::string& leaf, const std::string& path);
    std::vector<std::string> paths_;  // a leaf's data is its index + 1
};
