// Steel-design library Ferrum: the engineering rules of crane runways and
// steel members that the module and the kernel call.
//
// The header is organised by function group; each group keeps its records
// and functions together:
//   - crane wheel loads (FER_GenerateVaduLoad)
//   - composite girder and rail section values (header-only, rail_composite.h)
//
// Records passed by address have a fixed binary layout (little-endian,
// 8-byte doubles, 4-byte ints); the static_asserts below hold it.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef __cplusplus
#define FERRUM_API extern "C" __attribute__((visibility("default")))
#else
#define FERRUM_API __attribute__((visibility("default")))
#endif

// =====================================================================
// Crane wheel loads
// =====================================================================
//
// One axle of a crane, one group of loads: the characteristic wheel forces of
// the axle and the crane's dynamic factors go in; the design wheel forces of
// the group come out.
//
// Kinds (groups of loads of EN 1991-3, Table 2.2):
//   1 .. 7   ultimate limit state, normal service
//   8        test load
//   9        buffer forces
//   10       tilting force
//   12       serviceability, skewing (characteristic values)
//   13       serviceability, acceleration (characteristic values)
//   14       fatigue wheel load, phi_fat,1 = (1 + phi1)/2, phi_fat,2 = (1 + phi2)/2
//   15       as 14, with the horizontal forces of acceleration
// Any other kind gives zero forces and the result 0.

// Column inputs, characteristic values of the axle in kN.
enum FER_VaduColumn : int32_t {
    FER_VADU_QC = 0,       // vertical wheel load from the crane's self weight
    FER_VADU_QH = 1,       // vertical wheel load from the hoist load
    FER_VADU_HL = 2,       // drive force along the girder
    FER_VADU_HT = 3,       // drive force across the girder
    FER_VADU_HS = 4,       // guide force from skewing (across)
    FER_VADU_HT3 = 5,      // acceleration or braking of the crab (across)
    FER_VADU_WIND = 6,     // in-service wind (across)
    FER_VADU_QT = 7,       // test load (vertical)
    FER_VADU_HB_X = 8,     // buffer force along the girder
    FER_VADU_HB_Y = 9,     // buffer force across the girder
    FER_VADU_HTA = 10,     // tilting force (across)
    FER_VADU_COLUMNS = 11
};

// Dynamic factors: phi[k] is phi(k + 1) of EN 1991-3, i.e. phi[0] = phi1
// (self weight), phi[1] = phi2 (hoisting), phi[2] = phi3 (sudden release),
// phi[3] = phi4 (travelling on rail), phi[4] = phi5 (drive forces),
// phi[5] = phi6 (test load), phi[6] = phi7 (buffer forces); phi[7], phi[8]
// are carried but not used by these groups.
struct FER_VaduLoadInput {
    int32_t kind;                       // 0
    int32_t reserved;                   // 4, not used
    double column[FER_VADU_COLUMNS];    // 8
    double phi[9];                      // 96
    double eta;                         // 168, share of the hoist load left without payload (group 7)
};

// Output: [0] vertical wheel load, [1] Hx along the girder, [2] Hy across it.
struct FER_VaduLoadOutput {
    double value[3];
};

#ifdef __cplusplus
static_assert(sizeof(FER_VaduLoadInput) == 176, "crane-load input record is 176 bytes");
static_assert(offsetof(FER_VaduLoadInput, kind) == 0);
static_assert(offsetof(FER_VaduLoadInput, column) == 8);
static_assert(offsetof(FER_VaduLoadInput, phi) == 96);
static_assert(offsetof(FER_VaduLoadInput, eta) == 168);
static_assert(sizeof(FER_VaduLoadOutput) == 24);
#endif

// Fills out (all three values; zeros for an unknown kind). Returns 1 for a
// known kind, 0 otherwise or when a record is missing.
FERRUM_API int FER_GenerateVaduLoad(const FER_VaduLoadInput* input, FER_VaduLoadOutput* output);
