// The number of worker threads for a number of independent tasks, shared by
// the kernel's ultimate combinations and the crane positions' kernel runs.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace platform_common {

// requested when it is positive, else TOVIK_THREADS when it is a positive
// number, else the machine's hardware threads; never more than the tasks,
// at least 1 (1: one after another on the calling thread).
inline int ThreadCount(long long requested, int tasks) {
    long long t = requested;
    if (t <= 0) {
        if (const char* env = std::getenv("TOVIK_THREADS")) {
            char* end = nullptr;
            const long v = std::strtol(env, &end, 10);
            if (end != env && *end == '\0' && v > 0) t = v;
        }
    }
    if (t <= 0) t = static_cast<long long>(std::thread::hardware_concurrency());
    return static_cast<int>(std::clamp<long long>(t, 1, std::max(1, tasks)));
}

}  // namespace platform_common
