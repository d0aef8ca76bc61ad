// Command documents: the small throw-away documents "dummy" through which
// the host calls this module and the module calls other modules. The root
// names the action; each parameter is a child "param" with its number, its
// type text and its value. Values are 64-bit so that pointers survive.
#pragma once

#include <cstdint>
#include <string>

#include "platform/zevud/zevud.h"

class CProgDBEntry;

// Creates the document; "NotImplementedWarning" = 1 only with a nonzero flag.
// 0 when the document cannot be created.
ZVDOC CreateCommand(const std::string& action, int warning);
// Appends a parameter numbered by the current count and counts it.
void AddCommandParam(ZVDOC doc, const std::string& type, int64_t value);
std::string GetCommandAction(ZVDOC doc);
int32_t GetCommandParamCount(ZVDOC doc);
// Type and value of the parameter with that number; the outputs stay as they
// were (and the result is false) when there is none.
bool GetCommandParam(ZVDOC doc, int32_t index, std::string& type, int64_t& value);
// Whether the command asks the receiver to complain about an unknown action.
bool GetCommandWantsWarning(ZVDOC doc);
// Delivers the document to the interface routine of a program record and
// returns its result (0 on failure, with a message). Always closes the document.
int64_t CallModuleInterface(CProgDBEntry& entry, ZVDOC doc);
