// Fatigue of a crane-runway girder at one detail (Ferrum).
//
// Damage-equivalent stress ranges (EN 1993-6 section 9, EN 1991-3 2.12):
//   Global ranges from the extreme stresses of the fatigue load case at the
//   detail, in N/mm²:
//     Delta sigma_x = |sigma1 - sigma2|,  Delta tau = |tau1 - tau2|
//   The fatigue wheel loads already carry phi_fat (EN 1991-3 2.12.1, the
//   fatigue load Q_e = phi_fat lambda Q_max), so
//     Delta sigma_E,2 = lambda Delta sigma
//   lambda_sigma, lambda_tau by the crane's class S0 .. S9: EN 1991-3
//   2.12.1(4), Table 2.12 (S7 is the reference class, lambda = 1.0).
//   Local wheel stresses occur once per wheel passage (EN 1993-6 section 9):
//   a crane with n wheels per rail gives n cycles where the global stress
//   gives one, so with D ~ N Delta sigma^m
//     lambda_sigma,rad = lambda_sigma n^(1/3),  lambda_tau,rad = lambda_tau n^(1/5)
//   (m = 3 for normal, m = 5 for shear stresses, EN 1993-1-9 Figures 7.1,
//   7.2), never below lambda_sigma, lambda_tau.
//
// Local stresses (with a local input record; the section of the handle):
//   Rail on the top flange (crane type 0), EN 1993-6 5.7:
//     sigma_z,rad = sigma_oz,Ed and tau_rad = tau_oxz,Ed of the local check
//     (5.7.1 eq. (5.1), 5.7.2), at places 1 (rail connection) and 2 (web
//     top; 3 counts as 2, 4 as 1).
//     Web bending from the wheel's eccentricity ey = 0.25 br (br the rail
//     head width, EN 1991-3 2.5.2.1(2)), at place 2 only, EN 1993-6 5.7.3:
//       T_Ed = F_z,Ed ey
//       sigma_T,Ed = 6 T_Ed / (a tw²) eta tanh(eta)
//       eta = [0.75 a tw³ / It  sinh²(pi hw/a) / (sinh(2 pi hw/a) - 2 pi hw/a)]^0.5
//     with a the panel length (additional value 2, in m; none: a -> infinity,
//     the larger stress), It = b tf³/3 of the top flange alone (the rail's
//     share left out: a smaller It gives the larger stress), hw the web's
//     depth between the flanges.
//     sigma_z = sigma_z,rad + sigma_T,Ed
//   Wheels on the bottom flange (crane type != 0), EN 1993-6 5.8 Table 5.2:
//     sigma_x,rad = sigma_ox,Ed and sigma_y,rad = sigma_oy,Ed, the larger
//     magnitude of the two sides, at place 3 (web-to-flange; 2 counts as 3),
//     4 (wheel line; 1 counts as 4) and 5 (flange tip).
//   F_z,Res (last value 4): the wheel load, with the neighbour's when that
//   lies within the spread of the local check (leff, or 1.5 b below).
//   leff (last value 3, cm): EN 1993-6 Table 5.1 of the local check.
//
// Weld details (plate and weld thickness both above 0, one unit): the
// stresses that cross the weld, sigma_z and tau, are those in the throats of
// two fillet welds, times t / (2 a_w), not less than 1 (EN 1993-1-9
// Table 8.10, details 3 and 4: stress range in the weld throat).
//
// Damage-equivalent ranges per direction:
//   Delta sigma_E,x = lambda_sigma Delta sigma_x + lambda_sigma,rad sigma_x,rad
//   Delta sigma_E,y = lambda_sigma,rad sigma_y,rad
//   Delta sigma_E,z = lambda_sigma,rad sigma_z
//   Delta tau_E     = lambda_tau Delta tau + lambda_tau,rad tau_rad
//   principal ("res."): the largest principal stress of (Delta sigma_E,x,
//   Delta sigma_E,z, Delta tau_E), magnitudes
//
// Verification, EN 1993-1-9 8(2) eq. (8.2) with gamma_Ff = 1.0 (EN 1993-6
// 9.2(1)) and gamma_Mf of the call:
//   utilisation = gamma_Ff Delta sigma_E,2 / (Delta sigma_C / gamma_Mf)
//   The detail category Delta sigma_C applies by the stress type:
//     0 normal stresses: directions x, y and z are checked
//     1 shear: tau is checked
//     2 the principal-stress range is checked
//   total utilisation = the largest checked one
//   interaction = sum over the checked normal directions of utl³ + utl_tau⁵
//   (EN 1993-1-9 8(3) eq. (8.3))
#pragma once

#include "platform/ferrum/ferrum.h"

// The result record of the fatigue call, eight doubles.
struct FER_VaduFatResult {
    double utilX;        // 0
    double utilY;        // 1
    double utilZ;        // 2
    double utilTau;      // 3
    double utilRes;      // 4 principal-stress range (stress type 2)
    double interaction;  // 5
    double resistance;   // 6 Delta sigma_C / gamma_Mf, N/mm²
    double utilisation;  // 7 the largest checked utilisation
};

// The values of the last fatigue call on a handle, 100 doubles. Stresses
// and ranges in N/mm², wheel load in kN, leff in cm.
struct FER_VaduFatLastValues {
    double reserved0;         // 0
    double lambdaSigma;       // 1  lambda_sigma (Table 2.12)
    double lambdaTau;         // 2  lambda_tau
    double leff;              // 3  effective loaded length, cm
    double wheelLoad;         // 4  F_z,Res, kN
    double rangeX;            // 5  Delta sigma_E,2 x
    double rangeY;            // 6  Delta sigma_E,2 y
    double rangeZ;            // 7  Delta sigma_E,2 z
    double rangeRes;          // 8  principal-stress range
    double rangeTau;          // 9  Delta tau_E,2
    double utilX;             // 10
    double utilY;             // 11
    double utilZ;             // 12
    double utilTau;           // 13
    double utilisation;       // 14 total
    double sigmaZWheel;       // 15 sigma_z from the wheel load
    double sigmaZWeb;         // 16 sigma_z from the web bending
    double sigmaZ;            // 17 sigma_z total
    double lambdaSigmaWheel;  // 18 lambda_sigma,rad
    double lambdaTauWheel;    // 19 lambda_tau,rad
    double sigmaX;            // 20 Delta sigma_x (global) + sigma_x,rad
    double sigmaY;            // 21 sigma_y,rad
    double tau;               // 22 Delta tau (global)
    double tauWheel;          // 23 tau from the wheel load
    double interaction;       // 24
    double reserved[75];      // 25 .. 99
};

#ifdef __cplusplus
static_assert(sizeof(FER_VaduFatResult) == 64, "fatigue result record is eight doubles");
static_assert(offsetof(FER_VaduFatResult, utilisation) == 7 * 8);
static_assert(sizeof(FER_VaduFatLastValues) == 800, "fatigue last values are 100 doubles");
static_assert(offsetof(FER_VaduFatLastValues, lambdaSigma) == 1 * 8 && offsetof(FER_VaduFatLastValues, leff) == 3 * 8 &&
              offsetof(FER_VaduFatLastValues, rangeX) == 5 * 8 && offsetof(FER_VaduFatLastValues, utilX) == 10 * 8 &&
              offsetof(FER_VaduFatLastValues, utilisation) == 14 * 8 &&
              offsetof(FER_VaduFatLastValues, sigmaZWheel) == 15 * 8 &&
              offsetof(FER_VaduFatLastValues, lambdaSigmaWheel) == 18 * 8 &&
              offsetof(FER_VaduFatLastValues, sigmaX) == 20 * 8 && offsetof(FER_VaduFatLastValues, tauWheel) == 23 * 8 &&
              offsetof(FER_VaduFatLastValues, interaction) == 24 * 8);
#endif

// The number of crane classes S0 .. S9.
#define FER_FAT_CLASSES 10

// Fatigue check of one detail (see above). sigma1/sigma2 and tau1/tau2 the
// extreme stresses at the detail, N/mm²; place the detail's place in the
// section (0: no local stresses, 1 .. 5); craneClass 0 .. 9 for S0 .. S9;
// category Delta sigma_C (or Delta tau_C) in N/mm²; stressType 0, 1, 2;
// tPlate, tWeld the thicknesses of a weld detail (0: a plate detail), one
// unit; local the local input record of the wheel (none: no local
// stresses); section the points of the local check (none: the library's own
// points), not changed. The result record and the handle's last values are
// filled. Returns 0 when checked; -1 for input outside these ranges or a
// missing result record (result and last values then zero), and -1 also when
// local stresses were asked for but the section of the handle cannot give
// them (the global part is then checked and reported).
FERRUM_API int FER_hCalcVaduFat(int h, double sigma1, double sigma2, double tau1, double tau2, double gammaMf,
                                int place, int craneClass, int category, int stressType, double tPlate,
                                double tWeld, const FER_VaduLocalInput* local, const FER_VaduLocalSection* section,
                                FER_VaduFatResult* result);

// The last values of the fatigue call on handle h (zeros before the first).
// 0 ok, -1 for a missing buffer.
FERRUM_API int FER_hGetLastValues(int h, FER_VaduFatLastValues* values);

#ifdef __cplusplus
namespace ferrum {
// lambda_sigma and lambda_tau of EN 1991-3 Table 2.12 for class S0 .. S9;
// false (zeros) outside.
FERRUM_API bool FatigueLambda(int craneClass, double& lambdaSigma, double& lambdaTau);
// sigma_T,Ed of EN 1993-6 5.7.3 in N/mm²: wheel load F in kN, eccentricity
// ey, panel length a (<= 0: no stiffeners), web depth hw, web thickness tw
// in mm, torsion constant It of the flange in mm⁴.
FERRUM_API double WebBendingStress(double F, double ey, double a, double hw, double tw, double It);
}  // namespace ferrum
#endif
