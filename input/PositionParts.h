// The parts of a position that the input layer provides, as the position's
// common data sees them, and what a load take-over needs of the position it
// writes into.
#pragma once

#include <cstdint>

#include "platform/zevud/zevud.h"

class CVariableTable;
class CLoadDestination;

// The load-combination settings of a position.
class CBaseLoadCombination {
public:
    virtual ~CBaseLoadCombination() = default;
    virtual void ReadData(ZVELEM input) = 0;
    virtual void WriteData(ZVELEM input) = 0;
    virtual void SetNorm(int32_t norm) = 0;
    // Stores the protocol files of the last generation in the document.
    virtual void StoreProtocolFiles() = 0;
};

// The load take-overs of a position.
class CBaseLoadTakeOver {
public:
    virtual ~CBaseLoadTakeOver() = default;
    virtual void ReadData(ZVELEM input) = 0;
    virtual void WriteData(ZVELEM input) = 0;
    virtual void SetOwner(CLoadDestination* owner) = 0;
    // Takes the loads over again from the source positions.
    virtual void Recalc() = 0;
};

// The position that takes loads over: its document, the variable table its
// formula values are read with, and its load-combination part (where the
// take-over creates actions).
class CLoadDestination {
public:
    virtual ~CLoadDestination() = default;
    virtual ZVDOC GetDocument() const = 0;
    virtual CVariableTable& GetVariableTable() = 0;
    virtual CBaseLoadCombination* GetLoadCombination() const = 0;
};
