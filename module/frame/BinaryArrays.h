// Binary attributes of the position document holding arrays of doubles or
// 32-bit ints, little-endian, written and read value by value.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

namespace binarray {

inline void PutDoubles(ZVELEM e, const char* key, const std::vector<double>& v)
{
    std::vector<unsigned char> bytes(v.size() * 8);
    for (size_t i = 0; i < v.size(); ++i) {
        uint64_t u;
        std::memcpy(&u, &v[i], 8);
        for (int b = 0; b < 8; ++b) bytes[i * 8 + b] = static_cast<unsigned char>(u >> (8 * b));
    }
    ZEVUD_SetBinData(e, key, static_cast<int>(bytes.size()), bytes.data(), 1);
}

inline void PutInts(ZVELEM e, const char* key, const std::vector<int32_t>& v)
{
    std::vector<unsigned char> bytes(v.size() * 4);
    for (size_t i = 0; i < v.size(); ++i) {
        const uint32_t u = static_cast<uint32_t>(v[i]);
        for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<unsigned char>(u >> (8 * b));
    }
    ZEVUD_SetBinData(e, key, static_cast<int>(bytes.size()), bytes.data(), 1);
}

// The stored values; at most maxCount of them when maxCount is not negative.
inline std::vector<double> GetDoubles(ZVELEM e, const char* key, long maxCount = -1)
{
    const std::vector<unsigned char> bytes = zevud::GetBinData(e, key);
    size_t n = bytes.size() / 8;
    if (maxCount >= 0 && n > static_cast<size_t>(maxCount)) n = static_cast<size_t>(maxCount);
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) {
        uint64_t u = 0;
        for (int b = 0; b < 8; ++b) u |= static_cast<uint64_t>(bytes[i * 8 + b]) << (8 * b);
        std::memcpy(&v[i], &u, 8);
    }
    return v;
}

inline std::vector<int32_t> GetInts(ZVELEM e, const char* key, long maxCount = -1)
{
    const std::vector<unsigned char> bytes = zevud::GetBinData(e, key);
    size_t n = bytes.size() / 4;
    if (maxCount >= 0 && n > static_cast<size_t>(maxCount)) n = static_cast<size_t>(maxCount);
    std::vector<int32_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t u = 0;
        for (int b = 0; b < 4; ++b) u |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        v[i] = static_cast<int32_t>(u);
    }
    return v;
}

// Copies the stored values into the front of a list sized by its owner;
// longer stored data is cut, shorter leaves the rest as it is.
template <class T>
void CopyInto(std::vector<T>& target, const std::vector<T>& stored)
{
    const size_t n = stored.size() < target.size() ? stored.size() : target.size();
    std::copy(stored.begin(), stored.begin() + static_cast<long>(n), target.begin());
}

}  // namespace binarray

namespace binarray {

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
    PutInts(e, "data", v);
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
    return GetInts(e, "data", n);
}

}  // namespace binarray
