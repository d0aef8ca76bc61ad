// Steel-design library Ferrum: the engineering rules of crane runways and
// steel members that the module and the kernel call.
//
// The header is organised by function group; each group keeps its records
// and functions together:
//   - crane wheel loads (FER_GenerateVaduLoad), source vadu_load.cpp
//   - composite girder and rail section values (header-only, rail_composite.h)
// Further groups (sections built on the fly, c/t classification, the crane
// checks) each get a block of their own below and their own source files.
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

// =====================================================================
// Cross-section classification (c/t checks)
// =====================================================================
//
// A steel-check handle binds a calculated profile of the section library
// (ZideZaz) with the design code and the partial factor. FER_iCalcElastic
// classifies the plates of the section under one set of internal forces by
// EN 1993-1-1 Table 5.2 (codes "EC", "SIA"; with epsilon = sqrt(235/fy)) or
// for any other code with the b/t limit of DIN 18800-1 for the
// elastic-elastic method in the class-3 slot, 305 sqrt(k_sigma / fy), and the
// Table 5.2 forms with epsilon = sqrt(240/fy) in the other slots.
//
// Plate roles: 1 top flange, 2 bottom flange, 3 web (left), 4 web (right),
// 5 top flange plate, 6 bottom flange plate, 0 a plate without a role.
// A class without a limit for a plate (e.g. a plate entirely in tension)
// has the limit FER_CT_NO_LIMIT.

#define FER_CT_NO_LIMIT 999999.0
#define FER_CT_MAX_PLATES 51

// One plate (or the decisive part of it), 144 bytes.
struct FER_CtPlate {
    int32_t kind;          // 0   plate role (see above)
    int32_t index;         // 4   index of the plate in the section's wall elements
    double c;              // 8   width c (b for DIN) of the part, section units
    double t;              // 16  thickness
    double sigma1;         // 24  largest compressive stress of the part, N/mm² (compression > 0)
    double psi;            // 32  stress ratio sigma2/sigma1 (1 without compression)
    double tieValue;       // 40  -sigma1: on equal limits the more compressed position decides
    double alpha;          // 48  compressed share of c (plastic distribution for webs)
    double sigma2;         // 56  stress at the other end of the part, N/mm²
    int32_t outstand;      // 64  1 outstand flange, 0 internal part
    int32_t plateClass;    // 68  class 1 .. 4 of the part
    double reserve[3];     // 72
    double ctRatio;        // 96  c/t
    double limitClass1;    // 104
    double limitClass2;    // 112
    double limitClass3;    // 120
    double limitClass3Raised;  // 128 class-3 limit raised by sqrt(fy/(gammaM0 * sigma1)), 5.5.2(9)
    double reserve2;       // 136
};

// The result block, 7416 bytes.
struct FER_CtResult {
    int32_t nPlates;       // 0
    int32_t reserved[3];   // 4
    int32_t sectionClass;  // 16 largest class of the plates (1 when nothing is compressed)
    int32_t pad;           // 20
    FER_CtPlate plate[FER_CT_MAX_PLATES];  // 24
    char tail[48];
};

#ifdef __cplusplus
static_assert(sizeof(FER_CtPlate) == 144);
static_assert(offsetof(FER_CtPlate, tieValue) == 40 && offsetof(FER_CtPlate, ctRatio) == 96 &&
              offsetof(FER_CtPlate, limitClass1) == 104 && offsetof(FER_CtPlate, limitClass2) == 112 &&
              offsetof(FER_CtPlate, limitClass3) == 120 && offsetof(FER_CtPlate, limitClass3Raised) == 128);
static_assert(offsetof(FER_CtResult, sectionClass) == 16 && offsetof(FER_CtResult, plate) == 24);
static_assert(sizeof(FER_CtResult) == 7416, "c/t result block is 7416 bytes");
#endif

// Starts a steel check for profile pro (a ZideZaz profile handle) with the
// design code name ("EC", "SIA", "DIN" ...) and gammaM0. flags, f1 and f2 are
// accepted for the callers (0, 1.0, 1.0). Returns the handle (>= 1), or -1
// when the profile has no values.
FERRUM_API int FER_iStart(int pro, const char* code, int flags, double gammaM, double f1, double f2);
// Ends a steel check. 0 ok, -1 unknown handle.
FERRUM_API int FER_iClose(int handle);
// Classifies the section of the handle under the forces (eight doubles:
// N, Vy, Vz [kN], Mx, My, Mz [kNm], 0, Mw [kNm²]; tension and sagging My
// positive) with the yield strength fy [N/mm²]. The result block is filled
// (it is zeroed first). Returns the section class, or -1 for an unknown
// handle, missing records or fy <= 0 (the block then holds no plates).
FERRUM_API int FER_iCalcElastic(int handle, double fy, const double* forces, int flags, FER_CtResult* result);

#ifdef __cplusplus
namespace ferrum {
// The limits of EN 1993-1-1 Table 5.2 for one part, epsilon given.
struct CtLimits {
    double c1 = FER_CT_NO_LIMIT, c2 = FER_CT_NO_LIMIT, c3 = FER_CT_NO_LIMIT;
};
// Internal part: alpha (plastic compressed share), psi (elastic stress ratio).
FERRUM_API CtLimits InternalPartLimits(double eps, double alpha, double psi);
// Outstand: alpha, psi; tipCompressed = the larger compression lies at the free edge.
FERRUM_API CtLimits OutstandLimits(double eps, double alpha, double psi, bool tipCompressed);
// Buckling factors k_sigma of EN 1993-1-5 Table 4.1 / 4.2 (DIN 18800-3 Table 1).
FERRUM_API double BucklingFactorInternal(double psi);
FERRUM_API double BucklingFactorOutstand(double psi, bool tipCompressed);
// DIN 18800-1 limit of the elastic-elastic method, 305 sqrt(k_sigma / fy).
FERRUM_API double DinElasticLimit(double ksigma, double fy);
}  // namespace ferrum
#endif
