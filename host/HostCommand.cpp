#include "host/HostCommand.h"

namespace host {

HostCommand::HostCommand(const std::string& action, bool notImplementedWarning) {
    doc_ = ZEVUD_CreateDoc("dummy");
    ZVELEM root = ZEVUD_GetRootElement(doc_);
    if (!root) return;
    ZEVUD_SetString(root, "action", action.c_str());
    if (notImplementedWarning) ZEVUD_SetInt(root, "NotImplementedWarning", 1);
}

HostCommand::~HostCommand() {
    if (doc_) ZEVUD_CloseDoc(doc_);
}

void HostCommand::AddParam(const std::string& type, int64_t value) {
    ZVELEM root = ZEVUD_GetRootElement(doc_);
    if (!root) return;
    int32_t n = ZEVUD_GetInt(root, "numOfParams");
    ZVELEM p = ZEVUD_AddChildElement(root, "param");
    if (!p) return;
    ZEVUD_SetInt(p, "num", n);
    ZEVUD_SetString(p, "type", type.c_str());
    ZEVUD_SetInt64(p, "value", value);
    ZEVUD_SetInt(root, "numOfParams", n + 1);
}

}  // namespace host
