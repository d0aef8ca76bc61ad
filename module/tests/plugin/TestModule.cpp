// A stand-in for another module of the suite and for a calculation library:
// exports an interface routine and calculation routines that the tests bind.
#include <cstdint>
#include <stdexcept>

#include "platform/zevud/zevud.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
uint32_t g_lastDoc = 0;
int32_t g_lastFlag = -1;
}  // namespace

// Answers the number of parameters times 1000 plus the action's length, so
// that a test sees the document arrived intact.
EXPORT int64_t interfaceFunc(uint32_t doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return static_cast<int64_t>(ZEVUD_GetInt(root, "numOfParams")) * 1000 + zevud::GetString(root, "action").size();
}

EXPORT void TestCalc(uint32_t doc, int32_t flag) {
    g_lastDoc = doc;
    g_lastFlag = flag;
}

EXPORT void TestThrow(uint32_t, int32_t) { throw std::runtime_error("calculation failed"); }

EXPORT uint32_t TestLastDoc() { return g_lastDoc; }
EXPORT int32_t TestLastFlag() { return g_lastFlag; }
