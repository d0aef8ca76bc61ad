// Text from a C call that fills a caller buffer and answers the full length
// of the text in bytes. Shared by the C++ conveniences of the platform
// layers' headers; header-only, so no layer links against another for it.
#pragma once

#include <cstddef>
#include <string>

namespace platform_common {

// f(buffer, size) -> full length; asked once with a null buffer for the
// length, then with a buffer of that length. Empty when the length is not
// positive; a shorter second answer shortens the text.
template <class F>
inline std::string FetchText(F f) {
    int n = f(nullptr, 0);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n) + 1, '\0');
    int m = f(s.data(), n + 1);
    s.resize(static_cast<size_t>(m < 0 ? 0 : (m > n ? n : m)));
    return s;
}

}  // namespace platform_common
