// A grid of named fields bound to variables of its owner: the owner adds
// its fields once, the grid lays them out (one row per field, or one column
// per field) and copies all values between cells and variables in one call.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "grid/ExtGridCtrl.h"

class CParamGridCtrl : public CExtGridCtrl {
public:
    enum Layout { LAYOUT_VERTICAL = 0, LAYOUT_HORIZONTAL = 1 };

    CParamGridCtrl();
    ~CParamGridCtrl() override;

    // Each appends one field and returns its number (from 0). The variables
    // must outlive the grid's use of them.
    int AddTextField(const std::string& name, std::string* variable);
    int AddIntField(const std::string& name, int* variable);
    int AddDoubleField(const std::string& name, double* variable, const std::string& printFormat, double factor);
    int AddCheckField(const std::string& name, int* variable);
    int AddComboField(const std::string& name, int* variable, const std::vector<std::string>& choices);
    int AddDisplayField(const std::string& name, std::string* variable);
    int AddFormulaField(const std::string& name, CFormulaValue* variable, const std::string& printFormat);
    int AddHeaderField(const std::string& title);

    void SetLayout(int layout) { m_nLayout = layout; }
    int GetLayout() const { return m_nLayout; }
    void SetTitle(const std::string& title) { m_strTitle = title; }
    int GetFieldCount() const { return int(m_Fields.size()); }
    // Where field i's name and value stand.
    CGridCellId NameCell(int field) const;
    CGridCellId ValueCell(int field) const;

    void InitGrid() override;
    // save: grid to variables; else variables to grid. Always true.
    virtual bool ExchangeData(bool save);

private:
    struct Field {
        std::string name;
        int kind = KIND_TEXT;
        void* variable = nullptr;
        std::string printFormat;
        double factor = 0.0;
        std::unique_ptr<std::vector<std::string>> choices;
    };
    int Add(const std::string& name, int kind, void* variable, const std::string& printFormat = {},
            double factor = 0.0, const std::vector<std::string>* choices = nullptr);

    std::vector<Field> m_Fields;
    int m_nLayout = LAYOUT_VERTICAL;
    std::string m_strTitle;
};
