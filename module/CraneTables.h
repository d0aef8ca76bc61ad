// Crane-runway result tables kept with the position: the plate-buckling and
// stress table ("bucklRes"), the fatigue detail table ("fatDetailResult") and
// the rail-weld table ("railWeldingResult"). Binary lists are stored as
// little-endian arrays of doubles (8 bytes) or 32-bit ints.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/zevud/zevud.h"

class CPlateBucklingTable {
public:
    void Clear();
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int32_t m_numOfPlates = 0;
    int32_t m_numOfChecks = 0;
    int32_t m_numOfFields = 0;
    std::vector<double> m_minSx, m_valSx, m_maxTau, m_valTau, m_util, m_utilFib, m_utilFy, m_field;
    std::vector<int32_t> m_infoSx, m_infoTau, m_maxFrom, m_plateEnabled;
};

class CFatigueDetailTable {
public:
    static constexpr int kRecordValues = 25;
    static constexpr int kGoverning = 23;

    // Sizes 0.
    void Clear();
    // numOfCranes x numOfPOIs x 2 records of 25 values, all 0 and unused.
    // Negative counts, or a product too large for a table, give sizes 0.
    bool SetSize(int numOfCranes, int numOfPOIs);
    // Stores the record of (notch case, crane, side) unless it is used and
    // its governing value is not below the new one; further holds 22 values.
    // Returns false for a record outside the table.
    bool UpdateFatigueResult(int poi, int crane, double first, int side, const double* further, double governing,
                             double last);
    // The 25 values of a record; nullptr outside the table.
    const double* Record(int poi, int crane, int side) const;
    bool IsUsed(int poi, int crane, int side) const;

    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int32_t m_numOfCranes = 0;
    int32_t m_numOfPOIs = 0;
    std::vector<double> m_val;
    std::vector<int32_t> m_bUsed;

private:
    long RecordIndex(int poi, int crane, int side) const;
};

class CRailWeldTable {
public:
    static constexpr int kRecordValues = 15;

    void Clear();
    // numOfGroupe x numOfCranes x numOfxPos x numOfAxis x 15 values and flags.
    bool SetSize(int numOfGroupe, int numOfCranes, int numOfxPos, int numOfAxis);
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int32_t m_numOfGroupe = 0;
    int32_t m_numOfCranes = 0;
    int32_t m_numOfxPos = 0;
    int32_t m_numOfAxis = 0;
    std::vector<double> m_val;
    std::vector<int32_t> m_bUsed;
};
