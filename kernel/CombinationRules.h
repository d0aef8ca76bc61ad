// Load cases, actions and combination rules: action texts, the rule parser
// ("1.35*(1+2)+1.5*(3)") and the two term lists of the model record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kernel/ModelRecord.h"

namespace tovik {

// Result of one rule, indexed by load-case number - 1.
struct RuleResult {
    std::array<double, limits::kMaxLoadCases> factor{};
    std::array<int32_t, limits::kMaxLoadCases> loadCase{};  // 0 = the load case does not occur
};

// Fills EinwText and nEinw from Lf_Einw and nLf. Returns 0, or a fault code
// (after an error line and stopping the run) when an action number is out of
// range.
int32_t BuildActionTexts(RunState& run);

// Parses one rule. Returns the number of (load case, factor) pairs set (a
// load case counted once per group it occurs in), or -1 when the rule breaks
// a limit (length, number length, groups, items, load case above 500); then
// *error holds the reason. A minus sign inside a bracket shows its message
// once per sign and counts as a separator.
int32_t ParseCombinationRule(const std::string& rule, RuleResult& out, std::string* error);

// Builds both term lists from the combination tables. Returns 0, or a fault
// code after an error line and stopping the run when a rule or a list breaks
// a limit.
int32_t ParseAllCombinations(RunState& run);

// 1 for "Gebr.", 0 for "KNSW", -1 for any other text.
int32_t LkKindCode(const std::string& kind);

// True for "Ed,perm", "Ed,frequ", "Ed,inf r" and "Ed,rare".
bool IsServiceabilityCategory(const std::string& text);

}  // namespace tovik
