// Arrays of the position document beyond the plain binary attributes of the
// document layer (zevud::SetInts, zevud::GetDoubles ...): copying into lists
// sized by their owner, and counted int arrays in an element of their own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/zevud/conveniences.h"
#include "platform/zevud/zevud.h"

namespace binarray {

// Copies the stored values into the front of a list sized by its owner;
// longer stored data is cut, shorter leaves the rest as it is.
template <class T>
void CopyInto(std::vector<T>& target, const std::vector<T>& stored)
{
    const size_t n = stored.size() < target.size() ? stored.size() : target.size();
    std::copy(stored.begin(), stored.begin() + static_cast<long>(n), target.begin());
}

// A counted array of 32-bit ints in its own element: int "dataLength" and
// binary "data". Nothing is written for an empty array (an existing element
// of that name is deleted first).
inline void WriteCountedInts(ZVELEM parent, const char* name, const std::vector<int32_t>& v)
{
    for (ZVELEM old = ZEVUD_FindFirstChild(parent, name); old; old = ZEVUD_FindFirstChild(parent, name))
        if (!ZEVUD_DeleteElement(old)) break;
    if (v.empty()) return;
    ZVELEM e = ZEVUD_AddChildElement(parent, name);
    ZEVUD_SetInt(e, "dataLength", static_cast<int32_t>(v.size()));
    zevud::SetInts(e, "data", v);
}

// The array of such an element: as many entries as "dataLength" says, but
// never more than the stored data holds; empty without the element or for a
// negative count.
inline std::vector<int32_t> ReadCountedInts(ZVELEM parent, const char* name)
{
    ZVELEM e = ZEVUD_FindFirstChild(parent, name);
    if (!e) return {};
    const int32_t n = ZEVUD_GetInt(e, "dataLength");
    if (n <= 0) return {};
    return zevud::GetInts(e, "data", n);
}

}  // namespace binarray
