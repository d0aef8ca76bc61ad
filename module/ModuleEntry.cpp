// The module's entry export: the host hands over a command document and gets
// an integer back.
#include <cstdint>

#include "platform/zevud/zevud.h"

extern "C" __attribute__((visibility("default"))) int64_t interfaceFunc(uint32_t commandDoc) {
    // No command is implemented yet: every action is answered as unknown.
    (void)commandDoc;
    return 0;
}
