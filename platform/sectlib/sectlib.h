// Profile-data library: the section values of one profile for the value
// table of the cross-section dialogs.
//
// Sectlib(document, 0) reads the profile reference below the document's root
// at "input" / "profile" / "sectlib" ("profName", "DBPath", "folder", the
// gross and dimension values and the "blech" children) and writes the root's
// child "result" with the doubles
//   "A", "Iy", "Iz" (cm², cm⁴), "Wy", "Wz" (elastic section moduli, cm³),
//   "bo", "bu", "h", "to", "tu", "s" (mm), "It" (cm⁴),
//   "Mply", "Mplz" (kNm), "Npl", "Qply", "Qplz" (kN).
// The section is loaded from its database (or, when it is not there, an
// I-section is rebuilt from the reference's dimensions) and calculated by
// the cross-section library; the elastic moduli come from the outline's
// extreme fibres, the plastic moduli from the area-halving axes of the exact
// outline (plates and root fillets). Section units are cm. The plastic
// values use the yield strength "fy" of the reference element in N/mm²
// (235 when it carries none); the plastic shear forces use the shear areas
// of EN 1993-1-1 6.2.6 (rolled I: A - 2 b tf + (tw + 2 r) tf, at least hw tw;
// otherwise the plates along the force) with fy / sqrt(3).
// Without geometry the reference's own values are written and the moduli and
// plastic values are 0.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
#define SECTLIB_API extern "C" __attribute__((visibility("default")))
#else
#define SECTLIB_API __attribute__((visibility("default")))
#endif

SECTLIB_API void Sectlib(uint32_t document, int32_t flag);
