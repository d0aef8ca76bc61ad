// The input grid of the member system: one row per support with the span
// that ends at it (length, running sum, section, divisions, buckling
// fields, bedding) and the support itself (seven fixities, springs, bearing
// width and kind); an entry row below adds a span.
#pragma once

#include <string>
#include <vector>

#include "grid/ExtGridCtrl.h"
#include "module/Support.h"

class CStabSysGrid : public CExtGridCtrl {
public:
    enum { CMD_DELETE = 1, CMD_COPY = 2 };
    enum {
        COL_FIELD = 1, COL_LENGTH = 2, COL_SUM = 3, COL_SECTION = 4, COL_SECTION_INFO = 5, COL_DIVISIONS = 6,
        COL_BUCKLING = 7, COL_BEDDING = 8, COL_FIRST_FIXITY = 9, COL_SPRINGS = 16, COL_WIDTH = 17, COL_KIND = 18,
    };
    static constexpr int kColumns = 19;

    CStabSysGrid();
    ~CStabSysGrid() override;

    void OnCheckCellClicked(int row, int col) override;
    void OnButtonCellClicked(int row, int col) override;
    std::string GetCellInfoFile(int row, int col) override;
    void InitGrid() override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void InitRow(int row) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    virtual void OnAfterChange() {}
    virtual bool ExchangeData(bool save);
    // n fields (spans) and n + 1 supports; new supports take their fixities
    // from the boxes of their row, their width and kind from its cells.
    virtual void SetData(int n);
    virtual void BuildContextMenu();
    virtual void OnHook1() {}
    virtual void OnHook2() {}
    virtual void OnAfterCellChange(int /*row*/, int /*col*/) {}

    void UpdateSpringCells(int row);
    // The spring value of a support cell as text ("" for fixed or free).
    std::string GetCellInfo(int row, int col) const;

    int FieldCount() const { return int(m_Lengths.size()); }
    std::vector<CFormulaValue>& Lengths() { return m_Lengths; }
    std::vector<CFormulaValue>& Beddings() { return m_Bedding; }
    std::vector<int>& Buckling() { return m_Buckling; }
    std::vector<CSupport>& Supports() { return m_Supports; }
    std::vector<CFormulaValue>& Widths() { return m_Widths; }
    std::vector<int>& BearingKinds() { return m_Kinds; }

private:
    std::vector<CFormulaValue> m_Lengths, m_Bedding;
    std::vector<std::string> m_SectionInfo;
    std::vector<int> m_Divisions, m_Buckling;
    std::vector<CSupport> m_Supports;
    std::vector<CFormulaValue> m_Widths;
    std::vector<int> m_Kinds, m_Presets;
    std::vector<std::string> m_KindNames;
    bool m_bShowFixity = true;
    bool m_bShowComputed = true;
};
