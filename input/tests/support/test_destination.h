// A destination position for take-over tests: a document, a variable table
// below the global one, and the parts the position owns.
#pragma once

#include <memory>

#include "formula/VariableTable.h"
#include "input/PositionParts.h"

class TestDestination : public CLoadDestination {
public:
    TestDestination() { m_varTable.SetParent(&GetGlobalVariableTable()); }

    ZVDOC GetDocument() const override { return m_hDoc; }
    CVariableTable& GetVariableTable() override { return m_varTable; }
    CBaseLoadCombination* GetLoadCombination() const override { return m_lk.get(); }

    void SetLoadCombination(std::unique_ptr<CBaseLoadCombination> lk) { m_lk = std::move(lk); }
    // Owns the take-over list and makes itself its owner, as a position does.
    void SetLoadTakeOver(std::unique_ptr<CBaseLoadTakeOver> lu) {
        m_lu = std::move(lu);
        if (m_lu) m_lu->SetOwner(this);
    }

    ZVDOC m_hDoc = 0;
    CVariableTable m_varTable;

private:
    std::unique_ptr<CBaseLoadCombination> m_lk;
    std::unique_ptr<CBaseLoadTakeOver> m_lu;
};
