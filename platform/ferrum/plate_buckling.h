// Steel-design library Ferrum: plate buckling of the plates of a section
// built on the fly (FER_h* handles), after EN 1993-1-5, with the local
// wheel load of a crane runway (EN 1993-6).
//
// The plate is one wall line of the section; its width b is the length of
// the wall line, its thickness the mean of ta and te. Stresses in N/mm²,
// compression negative (as the kernel writes them); lengths in cm; forces
// in kN. E is the section's first additional value (210000 N/mm² unless
// set), nu = 0.3, gamma_M1 the section's second partial factor.
//
// Reduced stress method, EN 1993-1-5 section 10:
//   1/alpha_ult,k^2 = (sx/fy)^2 + (sz/fy)^2 - (sx/fy)(sz/fy) + 3 (t/fy)^2     (10.3)
//   1/alpha_cr = (1+psi_x)/(4 a_x) + (1+psi_z)/(4 a_z)
//                + sqrt[ ((1+psi_x)/(4 a_x) + (1+psi_z)/(4 a_z))^2
//                        + (1-psi_x)/(2 a_x^2) + (1-psi_z)/(2 a_z^2) + 1/a_t^2 ]  (10.6)
//   lambda_p = sqrt(alpha_ult,k / alpha_cr)                                   (10.2)
//   u^2 = (sx/(rho_x fy/gM1))^2 + (sz/(rho_z fy/gM1))^2
//         - V (sx/(rho_x fy/gM1))(sz/(rho_z fy/gM1)) + 3 (t/(chi_w fy/gM1))^2     (10.5)
//   with V = rho_x rho_z when sx and sz are both compression, else 1; the
//   returned utilisation is u = sqrt of the left side (gM1/(rho alpha_ult,k)
//   for a single stress).
// Elastic critical stresses:
//   sigma_E = pi^2 E t^2 / (12 (1 - nu^2) b^2)                                (A.1)
//   sigma_cr,x = k_sigma sigma_E, k_sigma of Table 4.1 by psi (internal
//   element) or Table 4.2 (outstand, psi = 1: 0.43)
//   tau_cr = k_tau sigma_E, k_tau = 5.34 + 4 (b/a)^2 for a/b >= 1,
//   4 + 5.34 (b/a)^2 else                                                     (A.3)
//   alpha_cr,z = Fcr / Fz,Ed, Fcr = 0.9 kF E tw^3 / hw, kF = 6 + 2 (hw/a)^2    (6.4, 6.5)
// Reduction factors, each for lambda_p:
//   rho internal element: 1 for lambda_p <= 0.5 + sqrt(0.085 - 0.055 psi),
//   else (lambda_p - 0.055 (3 + psi)) / lambda_p^2 <= 1; outstand: 1 for
//   lambda_p <= 0.748, else (lambda_p - 0.188) / lambda_p^2 <= 1             (4.4(2))
//   column-like behaviour: rho_c = (rho - chi_c) xi (2 - xi) + chi_c with
//   xi = sigma_cr,p / sigma_cr,c - 1 in [0, 1], sigma_cr,c = sigma_E of the
//   column length (a for sx, hw for sz), chi_c of buckling curve a
//   (alpha = 0.21) for lambda_c = sqrt(fy / sigma_cr,c)                       (4.5.3, 4.5.4)
//   chi_w: eta = 1.2, non-rigid end post: eta for lambda_p < 0.83/eta,
//   else 0.83 / lambda_p                                                      (5.3, Table 5.1)
// Transverse stress from the wheel (rail on the top flange only, the web
// plate only): sz = Fz,Ed / (leff tw), leff of EN 1993-6 Table 5.1 as the
// local wheel-load check forms it (the rigid form when the rail is counted
// in the section)                                                           (EN 1993-6 5.7.1)
// Flange-induced buckling (web plate only), EN 1993-1-5 section 8:
//   utilFib = (hw/tw) / (k E/fyf sqrt(Aw/Afc)), k = 0.55, Afc the flange at
//   the more compressed end of the web                                       (8.1)
// Resistance to the wheel load (web plate, rail on the top flange), EN
// 1993-1-5 section 6, type (a):
//   ly = ss + 2 tf (1 + sqrt(m1 + m2)) <= a, m1 = fyf bf / (fyw tw),
//   m2 = 0.02 (hw/tf)^2 when lambda_F > 0.5, else 0                          (6.10, 6.8, 6.9)
//   lambda_F = sqrt(ly tw fyw / Fcr), chi_F = 0.5/lambda_F <= 1,
//   Leff = chi_F ly, FRd = fyw Leff tw / gM1                                 (6.4, 6.3, 6.2, 6.1)
//   ss = leff - 2 tf >= 0 (EN 1993-6 6.5(2)); utilFy = Fz,Ed / FRd
// Plates are told apart by the roles of the section: the web (3) is an
// internal element loaded by sx, sz and tau; flanges and flange plates
// (1, 2, 5, 6) are outstands of the width from the web's face to the tip,
// loaded by sx (tau counts in alpha_ult,k only); a plate without a role is
// an internal element loaded by sx and tau.
#pragma once

#include "platform/ferrum/ferrum.h"

// The stress state of a plate, eight doubles.
struct FER_PlateBucklingState {
    double x;          // 0  place along the girder, m (not used by the check)
    double plate;      // 1  plate index: the wall line of the section
    double sigmaStart; // 2  sigma_x at the plate's start, N/mm²
    double sigmaEnd;   // 3  sigma_x at the plate's end, N/mm²
    double tau;        // 4  shear stress, N/mm²
    double a;          // 5  panel length, cm (0: field length / number of panels)
    double spare[2];   // 6
};

// The result record.
struct FER_PlateBucklingResult {
    double utilisation;  // sqrt of the left side of (10.5)
    double utilFib;      // flange-induced buckling, section 8
    double utilFy;       // wheel load against the resistance of section 6
    double alphaUltK;
    double alphaCr;
    double lambdaP;
    double rhoX;
    double rhoZ;
    double chiW;
};

#ifdef __cplusplus
static_assert(sizeof(FER_PlateBucklingState) == 64, "plate state is eight doubles");
static_assert(sizeof(FER_PlateBucklingResult) == 72, "plate-buckling result is nine doubles");
#endif

// Plate buckling of plate state[1] of section h.
//   nPanels       number of buckling panels of the field ("numOfBucklField")
//   fy            yield strength, N/mm²
//   state         the stress state (eight doubles, FER_PlateBucklingState)
//   fieldLength   length of the field, cm
//   bottomFlange  1: the wheels run on the bottom flange (no transverse
//                 stress on the plate's compressed edge)
//   railInSection 1: the rail is counted in the section (rigidly fixed)
//   local         the wheel of the local check (F, rail), or null: no wheel
//   points        the points of the local check, or null (accepted, not read)
// The result record is zeroed first. Returns 0 when the check ran; -1 for a
// bad handle, a section without the plate, fy <= 0 or a missing record.
FERRUM_API int FER_hCalc_PlateBuckling_RedStress(int h, double nPanels, double fy, const double* state,
                                                double fieldLength, int bottomFlange, int railInSection,
                                                const FER_VaduLocalInput* local, const FER_VaduLocalSection* points,
                                                FER_PlateBucklingResult* result);

#ifdef __cplusplus
namespace ferrum {
// rho of EN 1993-1-5 4.4(2) for the slenderness lambda_p.
FERRUM_API double PlateReduction(double lambdaP, double psi, bool outstand);
// chi_c of a column of buckling curve a (alpha 0.21) for lambda_c.
FERRUM_API double ColumnReductionCurveA(double lambdaC);
// chi_w of EN 1993-1-5 Table 5.1, non-rigid end post, eta 1.2.
FERRUM_API double ShearReduction(double lambdaW);
// k_tau of EN 1993-1-5 A.3 without stiffeners, panel a x b.
FERRUM_API double ShearBucklingFactor(double a, double b);
}  // namespace ferrum
#endif
