// Command documents, the one protocol between the host and the modules and
// between modules: a throw-away document "dummy" whose root names the
// "action" (and asks with "NotImplementedWarning" = 1 for a complaint about
// an unknown one) and carries numbered, typed parameters: children "param"
// with "num", "type" and a 64-bit "value" (so that pointers survive).
// Header-only, over the document library's C functions.
#pragma once

#include <cstdint>
#include <string>

#include "platform/zevud/zevud.h"

namespace zevud::command {

// Creates the document; 0 when it cannot be created.
inline ZVDOC Create(const std::string& action, bool notImplementedWarning) {
    ZVDOC doc = ZEVUD_CreateDoc("dummy");
    if (!doc) return 0;
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return doc;
    ZEVUD_SetString(root, "action", action.c_str());
    if (notImplementedWarning) ZEVUD_SetInt(root, "NotImplementedWarning", 1);
    return doc;
}

// Appends a parameter numbered by the current count and counts it.
inline void AddParam(ZVDOC doc, const std::string& type, int64_t value) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    const int32_t count = ZEVUD_GetInt(root, "numOfParams");
    ZVELEM param = ZEVUD_AddChildElement(root, "param");
    if (!param) return;
    ZEVUD_SetInt(param, "num", count);
    ZEVUD_SetString(param, "type", type.c_str());
    ZEVUD_SetInt64(param, "value", value);
    ZEVUD_SetInt(root, "numOfParams", count + 1);
}

inline std::string Action(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return root ? GetString(root, "action") : std::string();
}

inline int32_t ParamCount(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return root ? ZEVUD_GetInt(root, "numOfParams") : 0;
}

// Type and value of the parameter with that number; the outputs stay as they
// were (and the result is false) when there is none.
inline bool Param(ZVDOC doc, int32_t index, std::string& type, int64_t& value) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return false;
    ZVELEM param = ZEVUD_FindFirstChildWithAttr(root, "num", std::to_string(index).c_str());
    if (!param) return false;
    type = GetString(param, "type");
    value = ZEVUD_GetInt64(param, "value");
    return true;
}

// Whether the command asks the receiver to complain about an unknown action.
inline bool WantsWarning(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    return root && ZEVUD_GetInt(root, "NotImplementedWarning") != 0;
}

}  // namespace zevud::command
