// Whether a document's saves are held (ZEVUD_HoldSaves): a run that holds
// them for a while of its own asks first, so that it leaves an owner's hold
// in place.
#pragma once

#include "platform/zevud/zevud.h"

// 1 while the document's saves are held; 0 otherwise and for a stale handle.
ZEVUD_API int ZEVUD_SavesHeld(ZVDOC doc);
