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

// =====================================================================
// Sections built on the fly
// =====================================================================
//
// A section handle of this family holds plates given one by one (wall lines
// of the section library, lengths in cm) with the design code, the national
// annex and the partial factors; FER_hCalculate builds and calculates a
// section-library profile from them and finds the plate roles (as the c/t
// check does: 1 top flange, 2 bottom flange, 3 web, 5/6 flange plates).
//
// Handles are table slots with a generation count: a closed handle never
// names a later section. 0 is no section: every FER_h* function accepts it
// and does nothing (outputs zero). The family is separate from the c/t
// check's FER_iStart handles; closing one never touches the other.

#define FER_H_MAX_ADDITIONAL 7

// A new section for the design code ("EC") and national annex (1 Germany,
// 2 France); gM0, gM1, gM2 the partial factors. Returns the handle (> 0).
FERRUM_API int FER_hStartOnTheFly(const char* code, int annex, double gM0, double gM1, double gM2);
// Adds one plate: its line type (the wall line's type byte) and the ten
// doubles of the wall line (ya, za, ye, ze, ta, te, ra, re, two spares).
// Returns the plate's index, or -1 for handle 0 or a closed handle.
FERRUM_API int FER_hAddLine(int h, int type, double ya, double za, double ye, double ze, double ta, double te,
                            double ra, double re, double spare1, double spare2);
// Builds and calculates the profile from the plates. 0 ok; -1 for handle 0,
// a closed handle or a section without area.
FERRUM_API int FER_hCalculate(int h);
// Extra values for the next checks on the section, up to
// FER_H_MAX_ADDITIONAL; they stay until set again. Unset: E 210000 and
// G 81000 N/mm², length 0. Returns the number taken, -1 for a bad handle.
FERRUM_API int FER_hSetAdditionalValues(int h, const double* values, int count);
// The FER_H_MAX_ADDITIONAL extra values in force. 0 ok, -1 (zeros) for a
// bad handle.
FERRUM_API int FER_hGetAdditionalValues(int h, double* values);
// The calculated section-library profile (0 before FER_hCalculate or for a
// bad handle) and the role of plate i (0 without a role or for a bad handle).
FERRUM_API int FER_hGetProfile(int h);
FERRUM_API int FER_hGetPlateRole(int h, int i);
// Ends the section. Harmless for 0 and for a closed handle. 0 closed, -1 not.
FERRUM_API int FER_hClose(int h);
// The number of open sections of this family (for leak checks).
FERRUM_API int FER_hOpenCount(void);

// =====================================================================
// Local stresses under wheel loads (EN 1993-6, 5.7 and 5.8)
// =====================================================================
//
// Crane type 0, the rail on the top flange (EN 1993-6, 5.7):
//   sigma_oz,Ed = Fz,Ed / (leff tw)                            5.7.1(1), eq. (5.1)
//   leff (Table 5.1), Irf of rail and flange of width beff about their
//   common centroid, If,eff the flange of width beff about its own axis:
//     rail rigidly fixed               leff = 3.25 (Irf / tw)^(1/3)
//     rail on an elastomeric pad,
//     at least 6 mm thick              leff = 4.25 ((Ir + If,eff) / tw)^(1/3)
//     rail not rigidly fixed           leff = 3.25 ((Ir + If,eff) / tw)^(1/3)
//   beff = bfr + hr + tf <= b                                   5.7.1(3), eq. (5.2)
//   with the worn rail (5.6.2): hr = h75, Ir = Iy75, rail area A75 with its
//   centroid e175 above the rail foot, bfr = b1.
//   Lower in the web, at the depth z below the flange, the load spreads at
//   45 degrees: sigma_oz = Fz,Ed / ((leff + 2 z) tw)            5.7.1
//   tau_oxz,Ed = 0.2 sigma_oz,Ed                               5.7.2
//   A neighbour wheel closer than leff: the larger of the single-wheel
//   stress and (F + Fneighbour) / ((leff + spacing) tw).
// Crane type != 0, wheels on the bottom flange (EN 1993-6, 5.8, Table 5.2,
// parallel flanges), mu = 2 n / (b - tw), n the distance of the wheel load
// from the flange tip:
//   sigma_ox,Ed = cx Fz,Ed / tf^2, sigma_oy,Ed = cy Fz,Ed / tf^2   5.8
//   location 0 (web-to-flange)  cx0 = 0.050 - 0.580 mu + 0.148 e^(3.015 mu)
//                               cy0 = -2.110 + 1.977 mu + 0.0076 e^(6.530 mu)
//   location 1 (wheel line)     cx1 = 2.230 - 1.490 mu + 1.390 e^(-18.33 mu)
//                               cy1 = 10.108 - 7.408 mu - 10.108 e^(-1.364 mu)
//   location 2 (flange tip)     cx2 = 0.730 - 1.580 mu + 2.910 e^(-6.000 mu)
//                               cy2 = 0
//   (positive: tension at the underside of the flange). A neighbour wheel
//   closer than 1.5 b adds its own stresses (superposition, 5.8).
// Units: forces kN, rail and section lengths cm, spacing m; stresses N/mm².

// Input record, 136 bytes.
struct FER_VaduLocalInput {
    int32_t craneType;        // 0   0: rail on the top flange, else wheels on the bottom flange
    int32_t reserved0;        // 4
    double fy;                // 8   material strength, N/mm²
    double F;                 // 16  wheel load of the axle, kN
    double Fneighbour;        // 24  wheel load of the neighbour axle, kN (0: none)
    double spacing;           // 32  spacing of the two axles, m (0: none)
    int32_t nAxles;           // 40
    int32_t bRigid;           // 44  rail rigidly fixed (crane type 0)
    double railB1;            // 48  rail foot width bfr, cm
    double railH75;           // 56  worn rail height hr, cm
    double railPad;           // 64  thickness of an elastomeric pad under the rail, mm
    double railA75;           // 72  worn rail area, cm²
    double railIy75;          // 80  worn rail second moment of area, cm⁴
    double railE175;          // 88  centroid of the worn rail above its foot, cm
    int32_t reserved1;        // 96
    int32_t reserved2;        // 100
    double reserved3;         // 104
    double railKOrLoadDist;   // 112 crane type 0: rail head width k, cm; else n, cm
    double factor1;           // 120
    double factor2;           // 128
};

// Point-of-interest record, 264 bytes: six slots, in order kind 2/3 side
// 0, 1; kind 1/4 side 0, 1; kind 5 side 0, 1 (side 0 is the side of
// positive y). The slots name a wall element of the section library's
// calculated profile (id: its index, SEKT_PRO_GetResultTqe; plates are cut
// where others join them) and a relative place on it (idx, 0 at the
// element's start .. 1 at its end), with its thickness in cm; a slot of
// thickness 0 is empty.
struct FER_VaduLocalSection {
    double reserved0;         // 0
    double sigmaOz;           // 8   crane type 0: sigma_oz,Ed at the web point, N/mm²
    double tauOxz;            // 16  crane type 0: tau_oxz,Ed there, N/mm²
    double reserved1;         // 24
    double idx[6];            // 32
    int32_t id[6];            // 80
    double A[6];              // 104 crane type != 0: sigma_ox,Ed per slot, N/mm²
    double B[6];              // 152 crane type != 0: sigma_oy,Ed per slot, N/mm²
    double thickness[6];      // 200 cm
    double reserved2[2];      // 248
};

#ifdef __cplusplus
static_assert(sizeof(FER_VaduLocalInput) == 136, "local-check input record is 136 bytes");
static_assert(offsetof(FER_VaduLocalInput, fy) == 8 && offsetof(FER_VaduLocalInput, F) == 16 &&
              offsetof(FER_VaduLocalInput, Fneighbour) == 24 && offsetof(FER_VaduLocalInput, spacing) == 32 &&
              offsetof(FER_VaduLocalInput, nAxles) == 40 && offsetof(FER_VaduLocalInput, bRigid) == 44 &&
              offsetof(FER_VaduLocalInput, railB1) == 48 && offsetof(FER_VaduLocalInput, railH75) == 56 &&
              offsetof(FER_VaduLocalInput, railPad) == 64 && offsetof(FER_VaduLocalInput, railA75) == 72 &&
              offsetof(FER_VaduLocalInput, railIy75) == 80 && offsetof(FER_VaduLocalInput, railE175) == 88 &&
              offsetof(FER_VaduLocalInput, reserved1) == 96 && offsetof(FER_VaduLocalInput, railKOrLoadDist) == 112 &&
              offsetof(FER_VaduLocalInput, factor1) == 120 && offsetof(FER_VaduLocalInput, factor2) == 128);
static_assert(sizeof(FER_VaduLocalSection) == 264, "local-check section record is 264 bytes");
static_assert(offsetof(FER_VaduLocalSection, sigmaOz) == 8 && offsetof(FER_VaduLocalSection, tauOxz) == 16 &&
              offsetof(FER_VaduLocalSection, idx) == 32 && offsetof(FER_VaduLocalSection, id) == 80 &&
              offsetof(FER_VaduLocalSection, A) == 104 && offsetof(FER_VaduLocalSection, B) == 152 &&
              offsetof(FER_VaduLocalSection, thickness) == 200);
#endif

// Local check of section h under one wheel (records above). useGiven 1: the
// stresses at the points in the slots; 0: the library first writes its own
// points into the slots (crane type 0: the web top in slot 0, the rail-foot
// edges in slots 2 and 3; else web-to-flange, wheel line and flange tip on
// each side). The results are written into the section record; for handle
// 0, a section without the plates the check needs or a missing record the
// results are zero. Returns 0 when the check ran, -1 otherwise.
FERRUM_API int FER_hCalcVaduLocal(int h, const FER_VaduLocalInput* input, FER_VaduLocalSection* section,
                                  int useGiven);

#ifdef __cplusplus
namespace ferrum {
// Table 5.2 of EN 1993-6, parallel flanges: cx and cy at location 0, 1, 2.
FERRUM_API void BottomFlangeCoefficients(double mu, int location, double& cx, double& cy);
}  // namespace ferrum
#endif
