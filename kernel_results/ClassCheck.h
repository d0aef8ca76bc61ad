// Cross-section classification and c/t checks of the member: per design load
// case and element end the steel-design library classifies the section's
// plates; per section and plate the decisive result over all positions is
// kept and written as an RTF proof (classification table for "EC"/"SIA",
// b/t table for other codes). Also the design material values shared with
// the single-point proofs.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"

namespace tovik::checks {

// The decisive check of one plate of one section.
struct CtCheckRecord {
    double limitClass1 = 1e10;
    double limitClass2 = 1e10;
    double limitClass3 = 1e10;
    double limitClass3Raised = 1e10;
    double ctRatio = 0;
    double x = 0;         // m
    double tieValue = 0;
};

inline constexpr double kNoLimit = 999999.0;

// Key = plate key + 256 * section (the profile handle of the element end).
std::map<int32_t, CtCheckRecord>& CtDecisiveRecords();

// Comparator of SortCtRecordsByX (qsort style), by x; the direction (0
// ascending, else descending) is the one SortCtRecordsByX was called with.
int CompareCtRecordsByX(const void* a, const void* b);
void SortCtRecordsByX(std::vector<CtCheckRecord>& records, int32_t direction);

// Updates the records with the result of the library for one plate entry
// (kind, limits ...) at x: the record with the smaller decisive limit wins;
// limits within 0.001 are decided by the smaller tieValue.
void MergeCtEntry(int32_t key, const CtCheckRecord& entry, bool plastic);

// Plate key of a library plate kind and its index in the plate list; -1
// when the plate is not recorded (kind 7 and above).
int32_t CtPlateKey(int32_t kind, int32_t index);

// Design material values of material 0: fy (N/mm²), gammaM1, gammaMA1 and
// minStressSigV. Falls back to the steel grade of section 1 when the store
// holds no material 0, and to gammaM = 1.1 when none is given, each time
// with an error line. false when no yield strength can be found.
bool DesignMaterial(RunState& run, double& fy, double& gammaM1, double& gammaMA1, double& minStress);

// The steel-check handle of a profile (started on first use with the run's
// design code and gammaM; closed with the run). -1 when none can be made.
int32_t GetSteelCheckHandle(RunState& run, int32_t profile);

// The eight forces (N, Vy, Vz, Mx, My, Mz, 0, Mw) of an element end of
// ultimate case lk; false when the case or point has no results.
bool EndForces(RunState& run, int32_t lk, int32_t point, double forces[8]);

// One design load case and element end; returns the section class (0 when
// nothing could be checked).
double CalcCtChecks(RunState& run, int32_t lk, int32_t point, int32_t plastic);

// Classifies every element end of every design case and writes the proof to
// fileName. Returns the largest class, or 4 when the b/t check failed.
int32_t WriteCtCheckReport(RunState& run, int32_t nEd, const std::string& fileName, int32_t plastic);

// Writes the report of the records held (the RTF part of WriteCtCheckReport;
// the document is opened and closed here). failed is set when a decisive
// ratio reaches 1.001. Returns the class as WriteCtCheckReport.
int32_t WriteCtTables(const std::string& normName, const std::string& fileName, int32_t cls, int32_t plastic);

}  // namespace tovik::checks
