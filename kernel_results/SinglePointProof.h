// Single-point proofs of the decisive point of the ultimate-limit-state
// check: the plastic proof (and, without an element, the plastic utilisation
// at any point) and the elastic stress proof, written by the section
// extension into short RTF documents stored in the "result" element.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/ModelRecord.h"
#include "kernel_results/ResultWriter.h"
#include "platform/zevud/zevud.h"

namespace tovik::checks {

// Design strength fd (N/mm²) of ultimate case lk: fy / gammaM1, or
// fy / gammaMA1 when the case's kind is "Ed,A". 0 when no material is found.
double DesignStrength(RunState& run, int32_t lk);

// Plastic utilisation at (lk, point); with an element the proof document is
// stored under "rtfFile".
double WritePlasticProofRtf(RunState& run, const results::SeriesDefinition& d, int32_t lk, int32_t point,
                            ZVELEM element);

// Elastic proof of (lk, point): two documents, "rtfFile_0" (codes 210..212)
// and "rtfFile_1" (codes 110..112). Without an element nothing happens.
void WriteElasticProofRtf(RunState& run, const results::SeriesDefinition& d, int32_t lk, int32_t point,
                          ZVELEM element);

// The proofs for a given section handle, design strength and forces (the
// parts of the two routines above after the look-ups). ElasticProofAt
// returns the number of stress tables written into the first document.
double PlasticProofAt(int32_t handle, double fd, const double forces[8], double x, ZVELEM element);
int32_t ElasticProofAt(int32_t handle, double fd, const double forces[8], double minStress, double x, ZVELEM element);

}  // namespace tovik::checks
