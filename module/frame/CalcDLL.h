// Binding of a calculation or report routine by library and export name
// (or a routine the host registered), called with two 32-bit arguments.
#pragma once

#include <cstdint>
#include <string>

#include "module/frame/HostRoutines.h"

class CCalcDLL {
public:
    // Binds the routine; a missing library or export is reported at once.
    CCalcDLL(const std::string& libraryName, const std::string& routineName);
    // Frees the library when one was loaded.
    virtual ~CCalcDLL();
    CCalcDLL(const CCalcDLL&) = delete;
    CCalcDLL& operator=(const CCalcDLL&) = delete;

    // Calls the bound routine; any exception leaving a library routine is
    // caught and reported. Without a routine the general message is shown.
    // True when the routine ran to its end.
    bool Call(uint32_t first, int32_t second);
    bool IsBound() const { return m_pProc != nullptr; }

private:
    void* m_hLib = nullptr;
    CalcProc m_pProc = nullptr;
};

// Loads "Sectlib.dll", binds its export "Sectlib" and calls it with the value
// and 0. 1 after the call, 0 (silently) when the library or export is missing.
// The library stays loaded.
int LoadSectlibProc(uint32_t value);
