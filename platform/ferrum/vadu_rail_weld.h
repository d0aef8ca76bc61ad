// The weld between a crane rail and the top flange (Ferrum).
//
// Two fillet welds of throat a_w run along the edges of the rail foot. A
// wheel's forces spread over the length l of EN 1993-6 Table 5.1, case (b)
// (rail not rigidly fixed), taken with the rail alone (If,eff = 0):
//   l = 3.25 (Ir / tw)^(1/3)        Ir of the worn rail, tw of the web
// Per weld over l (forces in N, lengths in mm):
//   Hx along the rail:        tau_par = Hx / (2 a_w l)
//   Qz, Qy (design shear of the girder, given only when the rail counts in
//   the section): the composite shear flow between rail and girder,
//     v = Qz S_r / I_y,   S_r = A_r (z_c - z_r)
//   of the girder (partial section 0 of the handle's profile) with the worn
//   rail standing centrally on its top edge (parallel-axis theorem); the
//   flow v (per unit length) adds tau_par += v / (2 a_w). A centrally standing rail has
//   no first moment about the vertical axis: Qy gives no shear flow through
//   the welds.
//   Hy at the rail head and the wheel's eccentricity e:
//     M = Hy h75 + Pz e
//   a couple over the foot width b1 plus Hy/2 on each weld,
//     F_perp = |M| / b1 + |Hy| / 2,
//   resolved on the 45° throat plane:
//     sigma_perp = tau_perp = F_perp / (sqrt(2) a_w l)
//   Intermittent welds (weld length L, gap g): all stresses x (L + g) / L.
// Directional method, EN 1993-1-8 4.5.3.2(6), eq. (4.1):
//   sigma_v = sqrt(sigma_perp² + 3 (tau_perp² + tau_par²)) <= fu / (beta_w gamma_M2)
//   sigma_perp <= 0.9 fu / gamma_M2
//   utilisation = the larger of the two ratios; gamma_M2 of the section.
// fu by grade from fy (EN 1993-1-1 Table 3.1) and beta_w (EN 1993-1-8
// Table 4.1): 235 -> 360 / 0.8, 275 -> 430 / 0.85, 355 -> 510 / 0.9,
// 420 -> 520 / 1.0, 460 -> 540 / 1.0; another fy: the fu of the next lower
// grade with beta_w 1.0.
//
// Additional values of the handle (FER_hSetAdditionalValues): 0 E, 1 G,
// 2 the panel length (m), 3 1.0 for an intermittent weld, 4 its weld
// length L, 5 its gap g (L and g in one unit), 6 the eccentricity e in cm.
#pragma once

#include "platform/ferrum/ferrum.h"

// The output block, 16 doubles. Stresses in N/mm², Pz in kN.
struct FER_VaduRailWeldResult {
    double utilisation;  // 0
    double sigmaV;       // 1 Gv
    double sigmaPerp;    // 2 Gz
    double tauPerp;      // 3 Ts
    double tauPar;       // 4 Tp
    double Pz;           // 5 the wheel load
    double length;       // 6 l, mm
    double limitV;       // 7 fu / (beta_w gamma_M2)
    double limitPerp;    // 8 0.9 fu / gamma_M2
    double reserved[7];  // 9 .. 15
};

#ifdef __cplusplus
static_assert(sizeof(FER_VaduRailWeldResult) == 128, "rail-weld output block is 16 doubles");
static_assert(offsetof(FER_VaduRailWeldResult, Pz) == 5 * 8 && offsetof(FER_VaduRailWeldResult, tauPar) == 4 * 8);
#endif

// Rail-weld check of section h under the wheel of the local input record
// (F = Pz, rail values, fy). aw the throat in mm; Hy, Hx, Qz, Qy in kN.
// points, when given, receives the local check of the wheel (the library's
// own points). The output block is filled; with aw <= 0 (no weld) it is
// zero and the call returns 0. Returns -1 (block zero) for a missing record,
// a section without web, a rail without Iy75 or b1, fy below 235 or an
// intermittent weld without length.
FERRUM_API int FER_hCalcVaduSchieneSchweissnaht(int h, double aw, double Hy, double Hx, double Qz, double Qy,
                                                const FER_VaduLocalInput* local, FER_VaduLocalSection* points,
                                                FER_VaduRailWeldResult* result);

#ifdef __cplusplus
namespace ferrum {
// fu (N/mm²) and beta_w of the grade of fy; false (zeros) below 235.
FERRUM_API bool WeldStrength(double fy, double& fu, double& betaW);
}  // namespace ferrum
#endif
