// Helpers shared by the formula tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "formula/VariableTable.h"

namespace formula_test {

// The outcome of one evaluation through a variable table.
struct Outcome {
    bool ok = false;
    double value = 0;
    std::vector<CFormulaMessage> messages;
};

// Evaluates text through the table; value starts as a sentinel so that a
// failed evaluation shows that it left the value alone.
Outcome Eval(CVariableTable& table, const std::string& text);
Outcome Eval(const std::string& text);  // through an empty table

constexpr double kUntouched = -12345.678;

// A scratch folder of this test process under RIGEL_TEST_TMP (created anew).
std::filesystem::path ScratchFolder(const std::string& name);

// Points the registry at a folder of this test process, so that settings
// written by a test touch no other test.
void UsePrivateRegistry(const std::string& name);

}  // namespace formula_test
