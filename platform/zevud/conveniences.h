// A small C++ layer over the document library's C functions, header-only:
//   for (ZVELEM load : zevud::Children(lu, "load")) ...       child elements
//   zevud::Int(e, "lf", 1), zevud::Double(...), zevud::String(...)  reads with defaults
//   zevud::SetInts(e, "data", v), zevud::GetDoubles(e, "value_0")  arrays
//   ZVELEM fresh = zevud::ReplaceChild(parent, "EinwSrc2DestMax")
// Arrays are stored as binary attributes, value by value little-endian
// (32-bit ints, 32-bit floats, 64-bit doubles), whatever the machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/zevud/zevud.h"

namespace zevud {

// ---- child elements ------------------------------------------------------------

// The children of an element in document order: those of one name, or all
// with a null name. The next child is looked up from the current one, so the
// body must not delete the element it is at.
class Children {
public:
    explicit Children(ZVELEM parent, const char* name = nullptr) : parent_(parent), named_(name != nullptr) {
        if (name) name_ = name;
    }

    class iterator {
    public:
        ZVELEM operator*() const { return at_; }
        iterator& operator++() {
            at_ = range_->named_ ? ZEVUD_FindNextChild(at_, range_->name_.c_str()) : ZEVUD_GetNextChild(at_);
            return *this;
        }
        bool operator==(const iterator& o) const { return at_ == o.at_; }
        bool operator!=(const iterator& o) const { return at_ != o.at_; }

    private:
        friend class Children;
        iterator(const Children* range, ZVELEM at) : range_(range), at_(at) {}
        const Children* range_;
        ZVELEM at_;
    };

    iterator begin() const {
        return iterator(this, named_ ? ZEVUD_FindFirstChild(parent_, name_.c_str()) : ZEVUD_GetFirstChild(parent_));
    }
    iterator end() const { return iterator(this, 0); }

private:
    ZVELEM parent_;
    bool named_;
    std::string name_;
};

// Deletes every child of that name and adds one new, empty child in its
// place (at the end). 0 when the parent is bad.
inline ZVELEM ReplaceChild(ZVELEM parent, const char* name) {
    for (ZVELEM old = ZEVUD_FindFirstChild(parent, name); old; old = ZEVUD_FindFirstChild(parent, name))
        if (!ZEVUD_DeleteElement(old)) break;
    return ZEVUD_AddChildElement(parent, name);
}

// ---- attributes with defaults -----------------------------------------------------

// The stored value, or the default when the attribute is absent.
inline int32_t Int(ZVELEM e, const char* attr, int32_t def = 0) { return ZEVUD_GetIntWithDefault(e, attr, def); }
inline double Double(ZVELEM e, const char* attr, double def = 0.0) {
    return ZEVUD_GetDoubleWithDefault(e, attr, def);
}
inline std::string String(ZVELEM e, const char* attr, const std::string& def = std::string()) {
    return ZEVUD_HasAttr(e, attr) ? GetString(e, attr) : def;
}

// ---- arrays in binary attributes ----------------------------------------------------

// The bytes of the values, each little-endian (T: int32_t, float or double).
template <class T>
std::vector<unsigned char> EncodeArray(const std::vector<T>& values) {
    static_assert(std::is_same_v<T, int32_t> || std::is_same_v<T, float> || std::is_same_v<T, double>);
    using U = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
    std::vector<unsigned char> bytes(values.size() * sizeof(T));
    for (size_t i = 0; i < values.size(); ++i) {
        U u;
        std::memcpy(&u, &values[i], sizeof(T));
        for (size_t b = 0; b < sizeof(T); ++b) bytes[i * sizeof(T) + b] = static_cast<unsigned char>(u >> (8 * b));
    }
    return bytes;
}

// The values of little-endian bytes: as many whole values as the bytes hold,
// at most maxCount of them.
template <class T>
std::vector<T> DecodeArray(const std::vector<unsigned char>& bytes, size_t maxCount = SIZE_MAX) {
    static_assert(std::is_same_v<T, int32_t> || std::is_same_v<T, float> || std::is_same_v<T, double>);
    using U = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
    size_t n = bytes.size() / sizeof(T);
    if (n > maxCount) n = maxCount;
    std::vector<T> values(n);
    for (size_t i = 0; i < n; ++i) {
        U u = 0;
        for (size_t b = 0; b < sizeof(T); ++b) u |= static_cast<U>(bytes[i * sizeof(T) + b]) << (8 * b);
        std::memcpy(&values[i], &u, sizeof(T));
    }
    return values;
}

template <class T>
void SetArray(ZVELEM e, const char* attr, const std::vector<T>& values) {
    const std::vector<unsigned char> bytes = EncodeArray(values);
    ZEVUD_SetBinData(e, attr, static_cast<int>(bytes.size()), bytes.data(), 1);
}

// The stored values; at most maxCount of them when maxCount is not negative.
template <class T>
std::vector<T> GetArray(ZVELEM e, const char* attr, long maxCount = -1) {
    return DecodeArray<T>(GetBinData(e, attr), maxCount < 0 ? SIZE_MAX : static_cast<size_t>(maxCount));
}

inline void SetInts(ZVELEM e, const char* attr, const std::vector<int32_t>& v) { SetArray(e, attr, v); }
inline void SetFloats(ZVELEM e, const char* attr, const std::vector<float>& v) { SetArray(e, attr, v); }
inline void SetDoubles(ZVELEM e, const char* attr, const std::vector<double>& v) { SetArray(e, attr, v); }
inline std::vector<int32_t> GetInts(ZVELEM e, const char* attr, long maxCount = -1) {
    return GetArray<int32_t>(e, attr, maxCount);
}
inline std::vector<float> GetFloats(ZVELEM e, const char* attr, long maxCount = -1) {
    return GetArray<float>(e, attr, maxCount);
}
inline std::vector<double> GetDoubles(ZVELEM e, const char* attr, long maxCount = -1) {
    return GetArray<double>(e, attr, maxCount);
}

}  // namespace zevud
