// The input grid of the member's hinges: one row per hinge (node, distance
// from the node, description, seven releases) and an empty entry row below
// them that makes a new hinge as soon as it gets a node, a distance or a
// text.
#pragma once

#include <string>
#include <vector>

#include "grid/ExtGridCtrl.h"
#include "module/Hinge.h"

class CGelenkGrid : public CExtGridCtrl {
public:
    enum { CMD_DELETE = 1, CMD_COPY = 2 };
    static constexpr int kColumns = 11;

    CGelenkGrid();
    ~CGelenkGrid() override;

    void OnCheckCellClicked(int row, int col) override;
    void OnComboCellSelChanged(int row, int col, int index) override;
    void InitGrid() override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void InitRow(int row) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    // Runs after a hinge changed, was added, removed or copied.
    virtual void OnAfterChange() {}
    // Gives a new hinge record its first values.
    virtual void InitNewRecord(CHinge& /*hinge*/) {}
    // save: the focus cell into its hinge; else all hinges into the grid.
    virtual bool ExchangeData(bool save);

    // The node texts: format with the node number (from 1) and its x.
    void SetNodeChoices(const std::string& format, const std::vector<double>& positions);
    void SetHingeCount(int n);
    std::vector<CHinge>& Hinges() { return m_Hinges; }
    const std::vector<CHinge>& Hinges() const { return m_Hinges; }
    const std::vector<std::string>& NodeTexts() const { return m_NodeTexts; }

private:
    void BuildContextMenu();
    int HingeCount() const { return int(m_Hinges.size()); }

    std::vector<CHinge> m_Hinges;
    std::vector<double> m_NodePositions;
    std::string m_NodeFormat = "%d (x=%.2lf m)";
    std::vector<std::string> m_NodeTexts;
};
