// Crane-runway result tables kept with the position: the plate-buckling and
// stress table ("bucklRes"), the fatigue detail table ("fatDetailResult") and
// the rail-weld table ("railWeldingResult"). Binary lists are stored as
// little-endian arrays of doubles (8 bytes) or 32-bit ints.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/zevud/zevud.h"

// Per field of the runway, per check and per plate of the section: the
// governing normal stress ("minSx", the most compressive) and shear stress
// ("maxTau", the largest in magnitude), each with the eight-double state
// that produced it, and the plate-buckling utilisations. An entry's index is
// (numOfChecks x field + check) x numOfPlates + plate; "utilFib" and
// "utilFy" are per (numOfChecks x field + check).
// The state ("valSx", "valTau"): x, plate index, sigma_x at the plate's two
// ends, tau, panel length in cm, two zeros (stresses in N/mm²).
class CPlateStressTable {
public:
    static constexpr int kStateValues = 8;

    void Clear();
    // Counts and zeroed lists; "field" = the end x of each field (running
    // sums of the lengths). Negative counts or a table beyond reason leave
    // the table empty (false).
    bool Init(int plates, int checks, const std::vector<double>& fieldLengths);
    bool HasData() const { return !m_minSx.empty(); }
    // The first field whose end x is at or beyond x; the last for an x
    // beyond the end; -1 without fields.
    int FieldAt(double x) const;
    // Stores the value and its state (x and seven further doubles) for the
    // field at x; the caller decides whether the value governs. Nothing
    // happens for a plate or check outside the table.
    void StoreSigma(int plate, double value, double x, const double* rest, int check, int info);
    void StoreTau(int plate, double value, double x, const double* rest, int check, int info);
    // The stored value; 0 outside the table.
    double GetSigma(int field, int plate, int check) const;
    double GetTau(int field, int plate, int check) const;
    // The entry index, -1 outside the table.
    long Entry(int field, int check, int plate) const;

    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int32_t m_numOfPlates = 0;
    int32_t m_numOfChecks = 0;
    int32_t m_numOfFields = 0;
    std::vector<double> m_minSx, m_valSx, m_maxTau, m_valTau, m_util, m_utilFib, m_utilFy, m_field;
    std::vector<int32_t> m_infoSx, m_infoTau, m_maxFrom, m_plateEnabled;

private:
    void Store(std::vector<double>& values, std::vector<double>& states, std::vector<int32_t>& infos, int plate,
               double value, double x, const double* rest, int check, int info);
};

// The equivalent stress sqrt(sx² + sy² + sz² - sx sy - sx sz - sy sz +
// 3 (txy² + txz² + tyz²)) (von Mises).
double CalcEquivalentStress(double sx, double sy, double sz, double txy, double txz, double tyz);
// The utilisation of a value s against a limit l/a scaled by c (|s| /
// (c x 1000 / a), only when |a| and |c| exceed 0.01) and against an
// absolute limit b (|s| / b, only when |b| exceeds 0.01): the larger of the
// two, 0 when neither applies. d is not read.
double CalcUtilisation(double s, double a, double b, double d, double c);

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
    // The index of the first value of the entry (group, crane, position,
    // axle); -1 outside the table.
    long RailWeldIndex(int group, int crane, int position, int axle) const;
    // Keeps the governing result of the entry: stored when the entry is not
    // set or utl is greater than the stored one (a tie keeps the first).
    // False outside the table.
    bool Update(int group, int crane, int position, int axle, double aw, double Pz, double Hx, double Hy, double Qz,
                double Qy, double utl, double Gv, double Gz, double Ts, double Tp);
    bool IsSet(int group, int crane, int position, int axle) const;
    // One line per set entry. With no file: "RailWeldingDump.txt" when the
    // developer switch is on, else nothing is written; a file that cannot
    // be opened is passed over. A given file stays open.
    void Dump(FILE* file = nullptr) const;
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int32_t m_numOfGroupe = 0;
    int32_t m_numOfCranes = 0;
    int32_t m_numOfxPos = 0;
    int32_t m_numOfAxis = 0;
    std::vector<double> m_val;
    std::vector<int32_t> m_bUsed;
};
