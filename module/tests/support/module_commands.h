// The module's commands sent as the host sends them: one command document
// to the exported entry, its answer. Header-only; for the tests of every
// folder that drives the module through its entry.
#pragma once

#include <cstdint>
#include <vector>

#include "module/frame/CommandDocument.h"
#include "platform/zevud/zevud.h"

extern "C" int64_t interfaceFunc(uint32_t commandDoc);
extern "C" void RigelModuleTeardown();

namespace moduletest {

// A parameter of a command: its type name and value.
struct Param {
    const char* type;
    int64_t value;
};

// warning: the command document's switch that the module says its errors.
inline int64_t Send(const char* action, const std::vector<Param>& params, int warning = 1) {
    ZVDOC doc = CreateCommand(action, warning);
    for (const Param& p : params) AddCommandParam(doc, p.type, p.value);
    const int64_t r = interfaceFunc(doc);
    ZEVUD_CloseDoc(doc);
    return r;
}

// An object's address as a command carries it.
template <class T>
int64_t Value(T* p) {
    return static_cast<int64_t>(reinterpret_cast<uintptr_t>(p));
}

}  // namespace moduletest
