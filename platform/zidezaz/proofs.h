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

// Ordinal 16: the section-value block of a profile into the open RTF
// document: the title (when not empty) as a body paragraph, then a table of
// the values of SectionValuesOf below, two quantities a row: A, centroid
// yS/zS, Iy/Iz about the principal axes and the principal angle, shear
// centre yM/zM (from the centroid), It and Iw, radii of gyration iy/iz and
// iM², the elastic moduli Wy/Wz (extreme fibres of the plates) and the
// asymmetry values ry, rz, rw of lateral-torsional buckling. The profile is
// calculated first when it has no values yet. kind -1 asks for the values
// of the whole section (the only kind the layer has; other values are
// refused); reserved1 and reserved2 are kept for the callers and have no
// effect. work, when not null, receives ZAZ_SECTION_VALUE_COUNT values in
// the order of SectionValues. 0 ok; -1 for a bad handle, a section without
// area or another kind (nothing is written).
#define ZAZ_SECTION_VALUE_COUNT 20
ZIDEZAZ_API int ZAZUZER_WriteSectionValues(int pro, int kind, const char* title, int reserved1, int reserved2,
                                           double* work);

#ifdef __cplusplus
namespace zidezaz {
// Capacities of the pure cases (kN, kNm) as the plastic utilisation sees them.
struct PlasticCapacities {
    bool iSection = false;
    double Npl = 0, Vplz = 0, Vply = 0, Mply = 0, Mplz = 0;
    double Wply = 0;  // cm³
};
ZIDEZAZ_API PlasticCapacities PlasticCapacitiesOf(int pro, double fd);

// The values of a calculated section (cm, degrees), about the centroid and
// the principal axes. ry = (integral over A of y'(y'^2 + z'^2)) / Iz - 2 yM,
// rz likewise with z' and Iy, rw = (integral of omega (y'^2 + z'^2) dA) / Iw
// with omega about the shear centre (Simpson over each wall, exact for walls
// of linear thickness).
struct SectionValues {
    double A = 0, y0 = 0, z0 = 0, Iy = 0, Iz = 0, phiDeg = 0, yM = 0, zM = 0, It = 0, Iw = 0;
    double iy = 0, iz = 0, iM2 = 0, Wy = 0, Wz = 0, ry = 0, rz = 0, rw = 0;
    double zExtreme = 0, yExtreme = 0;  // largest distances of the plates' corners from the principal axes
};
static_assert(sizeof(SectionValues) == ZAZ_SECTION_VALUE_COUNT * sizeof(double), "section values are doubles");
// False for a bad handle or a section without area (out stays as it was).
ZIDEZAZ_API bool SectionValuesOf(int pro, SectionValues& out);
}  // namespace zidezaz
#endif
