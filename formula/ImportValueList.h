// A value taken over into a position's variable definitions one at a time
// (the single-value choice of the load grid and of the editor).
#pragma once

#include <functional>

#include "formula/ImportValue.h"
#include "formula/VarDef.h"

// Overwrites every imported-value entry of the list with the same source
// path (letter case aside) with the value; when there is none, appends a new
// entry at the end of the list, behind a new title "Lastübernahmen" when the
// list holds other entries but no imported value and does not begin with a
// title.
void AddImportValueToList(CVarDefList& list, const CImportValue& value);

// The same, then the position defines its variables anew.
void AddImportValueToListAndNotify(const CImportValue& value, CVarDefList& list,
                                   const std::function<void()>& defineVariables);
