// The kernel library's exported routines and the phase table they run with.
#pragma once

#include <cstdint>

#include "kernel/KernelPhases.h"

#define TOVIK_EXPORT extern "C" __attribute__((visibility("default")))

// Calculates a member-design or crane-runway position document; the flag
// asks for the calculation report.
TOVIK_EXPORT void RIREZ_Aver(uint32_t doc, int32_t flag);
// One crane position of a crane-runway document on a worker thread (the
// flag is not used); a run that wrote any line leaves "abbruch" 1 only.
TOVIK_EXPORT void RIREZ_AverPosition(uint32_t doc, int32_t flag);
// Calculates a position document of the program "VOVI"; a nonzero flag
// writes the calculation report.
TOVIK_EXPORT void DADAD_Urev(uint32_t doc, int32_t flag);
// Calculates the model of the text file "<name>.vk1".
TOVIK_EXPORT void REZIR_IdadOzov(char* name);

namespace tovik {

// The phases of this library, in the order the driver runs them.
const KernelPhases& StandardPhases();

}  // namespace tovik
