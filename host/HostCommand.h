// Command documents as the host sends them to a module: a throw-away
// document "dummy" whose root names the action and carries numbered, typed
// parameters. Values are 64-bit so that pointers survive the trip.
#pragma once

#include <cstdint>
#include <string>

#include "platform/zevud/zevud.h"

namespace host {

class HostCommand {
public:
    HostCommand(const std::string& action, bool notImplementedWarning);
    ~HostCommand();
    HostCommand(const HostCommand&) = delete;
    HostCommand& operator=(const HostCommand&) = delete;

    void AddParam(const std::string& type, int64_t value);
    ZVDOC Handle() const { return doc_; }

private:
    ZVDOC doc_ = 0;
};

}  // namespace host
