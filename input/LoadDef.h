// Loads of a member-design position: the load-case list of a load and the
// load record with its document form.
#pragma once

#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"

class CVariableTable;

// A list of load-case numbers kept together with its text ("1,3,5").
class CNumberList {
public:
    // Reads the numbers from the text: comma-separated parts, each trimmed,
    // read like atoi. The text stays as it is.
    void Parse();
    // The text from the numbers: "1,3,5", empty for no numbers.
    void Format();

    std::string m_strText;
    std::vector<int> m_numbers;
};

// Load types (field "ltype").
enum ELoadType {
    LOAD_UNIFORM = 0,
    LOAD_TRAPEZOID = 1,
    LOAD_TRIANGLE = 2,
    LOAD_TRAPEZOID2 = 3,
    LOAD_TEMPERATURE = 4,
    LOAD_IMPOSED_DEFORMATION = 5,
    LOAD_LINE_MOMENT = 6,
    LOAD_LINE_MOMENT_TRAPEZOID = 7,
    LOAD_POINT = 8,
    LOAD_POINT_MOMENT = 9,
    LOAD_POINT_FORCE_MOMENT = 10,
    LOAD_SELF_WEIGHT = 11,
    LOAD_AREA = 12,
    LOAD_LINE_FORCE_MOMENT = 13,
    LOAD_TYPE_COUNT = 14
};

class CLoadDef {
public:
    CLoadDef() = default;
    CLoadDef(const CLoadDef&) = default;
    CLoadDef& operator=(const CLoadDef&) = default;
    virtual ~CLoadDef() = default;

    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;
    // The table of the ten formula values.
    void SetVariableTable(CVariableTable* table);
    // The largest magnitude of the six values (-1e10 to start with).
    double GetMaxAbsValue() const;
    // Range of the load along the member; nodePositions gives the x of each
    // node. Start and end stay unchanged for an unknown type or a node
    // outside the list.
    void GetRange(const std::vector<double>& nodePositions, double& start, double& end) const;

    int m_iLoadCase = 0;
    int m_iLoadType = 0;
    int m_iNode = 0;
    int m_iDirection = 0;
    int m_bHasDirection = 0;
    CFormulaValue m_offset;
    CFormulaValue m_length;
    CFormulaValue m_ey;
    CFormulaValue m_ez;
    CFormulaValue m_val[6];
    CNumberList m_LCGen;
    std::string m_strDesc;
};

// Translated names; an index outside the table gives an empty text.
std::string GetLoadTypeName(int index);
std::string GetLoadDirectionName(int index);
