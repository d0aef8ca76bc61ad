#include "host/HostCommand.h"

#include "platform/zevud/command.h"

namespace host {

HostCommand::HostCommand(const std::string& action, bool notImplementedWarning)
    : doc_(zevud::command::Create(action, notImplementedWarning)) {}

HostCommand::~HostCommand() {
    if (doc_) ZEVUD_CloseDoc(doc_);
}

void HostCommand::AddParam(const std::string& type, int64_t value) { zevud::command::AddParam(doc_, type, value); }

}  // namespace host
