#include "kernel/KernelPhases.h"

#include <cstring>

#include "platform/zadevoz/zadevoz.h"

namespace tovik {

int32_t ReadRtfSetting(const char* name, char* buf, int32_t size) {
    if (!name || !buf || size <= 0) return 0;
    const std::string value = zadevoz::RtfSettings(std::string("gets/") + name);
    const size_t n = value.size() < static_cast<size_t>(size - 1) ? value.size() : static_cast<size_t>(size - 1);
    std::memcpy(buf, value.data(), n);
    buf[n] = '\0';
    return static_cast<int32_t>(n);
}

}  // namespace tovik
