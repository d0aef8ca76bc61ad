// Proofs of the section extension (ZAZUZER): plastic utilisation of a section
// under a full set of internal forces, the elastic stress tables and the
// plastic proof, written into the RTF document that is open in the report
// writer (zadevoz).
//
// Forces are eight doubles: N, Vy, Vz [kN], Mx, My, Mz [kNm], 0, Mw [kNm²]
// (normal stress N/A + My z/Iy - Mz y/Iz - Mw omega/Iw),
// in the principal axes of the section; N in tension and My with tension on
// the side of positive z are positive. Strengths fd in N/mm²; the section in
// cm as the catalogue gives it.
#pragma once

#include "platform/zidezaz/zidezaz.h"

// Ordinal 7: plastic utilisation (1.0 = the plastic capacity is reached).
// I-sections (doubly or singly symmetric, rolled or welded, with flange
// plates centred on the web: one vertical web, horizontal plates) by the partial
// internal forces method: the web carries Vz, the flanges Vy, Mz and the
// bimoment as flange moments; shear and torsion reduce the yield strength of
// each plate (von Mises); N and My are shared between flanges and web
// (web as a rectangle carrying the fillets) so that the utilisation is the
// smallest the method allows. Other sections: the elastic limit, the largest
// von Mises stress of the stress points over fd. -1 for a bad handle or
// fd <= 0.
ZIDEZAZ_API double ZAZUZER_PlasticUtilisation(int pro, double fd, const double* forces);

// Ordinal 10: one stress table of the elastic proof into the open RTF
// document. code: the last digit selects the stress (0 normal stress, 1 shear
// stress, 2 von Mises equivalent stress); hundreds 2 list every stress point,
// 1 only the decisive point of each plate. labelWidth: width of the point
// column (cm). strength[0] = fd; the limits are fd for normal and equivalent
// stresses and fd/sqrt(3) for shear. Returns the largest utilisation of the
// table (-1 for a bad handle or fd <= 0; then nothing is written).
ZIDEZAZ_API double ZAZUZER_StressTable(int pro, int code, double labelWidth, const double* strength,
                                       const double* forces, const char* heading, const char* utilText);

// Ordinal 11: the plastic proof (section values and internal forces, the
// plastic capacities and the utilisation) into the open RTF document.
// *utilisation is set to the utilisation of ordinal 7. 0 ok, -1 bad handle.
ZIDEZAZ_API int ZAZUZER_WritePlasticProof(int pro, double* utilisation, double fd, const double* forces,
                                          const char* valuesHeading, const char* utilHeading);

#ifdef __cplusplus
namespace zidezaz {
// Capacities of the pure cases (kN, kNm) as the plastic utilisation sees them.
struct PlasticCapacities {
    bool iSection = false;
    double Npl = 0, Vplz = 0, Vply = 0, Mply = 0, Mplz = 0;
    double Wply = 0;  // cm³
};
ZIDEZAZ_API PlasticCapacities PlasticCapacitiesOf(int pro, double fd);
}  // namespace zidezaz
#endif
