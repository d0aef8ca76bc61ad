// Routines of the host program that a program record or a calculation
// binding may name by address. An address given as text is only ever called
// when the host registered it in this process for that use; any other text
// is refused, so a damaged or hostile file can never make the module jump
// to an arbitrary address.
#pragma once

#include <cstdint>
#include <string>

// The library name under which a record names a routine of the host.
inline constexpr const char* kHostProgramName = "velor2005.exe";

enum class HostRoutineKind : int32_t {
    ModuleInterface = 1,  // int64_t (uint32_t commandDoc), as interfaceFunc
    Calculation = 2,      // void (uint32_t doc, int32_t flag), as a calculation routine
};

using ModuleInterfaceProc = int64_t (*)(uint32_t);
using CalcProc = void (*)(uint32_t, int32_t);

void RegisterHostRoutine(HostRoutineKind kind, uintptr_t address);
void UnregisterHostRoutine(HostRoutineKind kind, uintptr_t address);
bool IsHostRoutineRegistered(HostRoutineKind kind, uintptr_t address);
// Reads a hexadecimal address text ("1A2B3C", "0x1a2b3c", blanks around
// allowed); false for anything else.
bool ParseHostRoutineAddress(const std::string& text, uintptr_t& address);
// The registered routine named by an address text, or 0.
uintptr_t FindHostRoutine(HostRoutineKind kind, const std::string& addressText);
