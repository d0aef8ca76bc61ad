// Load-combination generator: one session per settings object, holding a
// norm (partial safety factors, combination factors, load groups and their
// categories), the load cases with the actions they belong to, and the
// combinations generated for the design checks that are switched on.
//
// Sessions are addressed by 32-bit handles (0 = none) from a handle table.
// Texts come back through caller buffers: each call returns the full length
// in bytes, so a caller may ask with a null buffer first; the C++ helpers at
// the end of this header wrap that into std::string.
//
// Norm names: "DIN 1055-100", "DIN 18800", "SIA 260:2003", "EC" (EN 1990
// with the recommended values), "EC_NAD" (German national annex), "EC_NAF"
// (French national annex).
//
// Load groups of every norm (index, type):
//   0 "ständig"                  type 0  permanent; all load cases of an action
//                                        act together, with gamma_G,sup, or with
//                                        gamma_G,inf when the action may act
//                                        favourably
//   1 "veränderlich"             type 1  variable; the load cases of an action
//                                        are additive (any non-empty selection)
//   2 "veränderlich, alternativ" type 2  variable; the load cases of an action
//                                        exclude each other (one at a time)
//   3 "außergewöhnlich"          type 3  accidental; one accidental action per
//                                        accidental combination
//   4 "Vorspannung"              type 4  prestress, gamma_P = 1.0
// A variable action that may act favourably may also be absent (gamma_Q,inf
// = 0); one that may not always acts with one of its load cases.
//
// Design checks (COMBOR_EnableNachweis), by norm, with the type text of the
// combinations they give:
//   norms DIN 1055-100, EC_NAD, EC_NAF: 0 "Ed" fundamental, 1 "Ed,A"
//     accidental, 2 "Ed,rare" characteristic, 3 "Ed,frequ" frequent,
//     4 "Ed,perm" quasi-permanent, 5 "Ed,rare" characteristic (the crane
//     runway's fatigue and serviceability switch), 13 "AK" characteristic
//     values of all actions, 14 "AK<n>" characteristic values of action n
//     alone;
//   norms EC and SIA 260:2003: 0, 1, 2, 3, 4 as above, 12 "AK", 13 "AK<n>";
//   norm DIN 18800: 0 "Ed", 1 "Ed,A", 2 "Ed,rare" (serviceability with
//     gamma_F = 1.0), 3 "AK", 4 "AK<n>".
//   Other check indices give no combinations.
//
// Rule texts: a factor and the load case in brackets per term, e.g.
// "1.35*(1)+1.50*(2)+0.75*(3)"; load case j always stands as "(j)". Terms
// with the factor 0 are left out of the text (the factor array keeps them).
// Combinations of one check never repeat, and a combination that lies between
// two others of the same check (one load case's factor between 0 and a larger
// factor, the rest equal) is left out: its effects lie within theirs.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
#include <string>
#include <vector>

#include "platform/common/buffer_text.h"
#define COMBOR_API extern "C" __attribute__((visibility("default")))
#else
#define COMBOR_API __attribute__((visibility("default")))
#endif

typedef int32_t COMBOR_HANDLE;  // session handle, 0 = none

// ---- sessions ------------------------------------------------------------
COMBOR_API COMBOR_HANDLE COMBOR_StartSession(void);
// 1 = closed; 0 for an unknown handle.
COMBOR_API int COMBOR_CloseSession(COMBOR_HANDLE s);
// Number of open sessions (for leak checks).
COMBOR_API int COMBOR_GetNumOfSessions(void);

// ---- norm, groups and categories -----------------------------------------
// 1 = set; 0 for an unknown name (the session then has no norm).
COMBOR_API int COMBOR_SetNorm(COMBOR_HANDLE s, const char* norm);
// The norm's name ("" when none is set). Returns the length.
COMBOR_API int COMBOR_GetNorm(COMBOR_HANDLE s, char* buf, int bufSize);
// The title of a norm name as reports name it, with its national annex
// ("EC_NAD" -> "DIN EN 1990/NA:2010-12"); empty for an unknown name.
// Returns the length.
COMBOR_API int COMBOR_GetNormTitle(const char* norm, char* buf, int bufSize);
COMBOR_API int COMBOR_GetNumOfLastGruppen(COMBOR_HANDLE s);
// Name of group i; returns the length (0 out of range).
COMBOR_API int COMBOR_GetLastGruppe(COMBOR_HANDLE s, int index, char* buf, int bufSize);
// Type of group i (see above); -1 out of range.
COMBOR_API int COMBOR_GetLastGruppeType(COMBOR_HANDLE s, int index);
// Selects the group of that name for the category calls; returns its index,
// -1 when there is none (the selection then stays).
COMBOR_API int COMBOR_SetLastGruppe(COMBOR_HANDLE s, const char* name);
// Categories of the selected group.
COMBOR_API int COMBOR_GetNumOfLastKat(COMBOR_HANDLE s);
COMBOR_API int COMBOR_GetLastKat(COMBOR_HANDLE s, int index, char* buf, int bufSize);

// ---- factors ---------------------------------------------------------------
// psi0, psi1, psi2 of category k of group g (1.0 for groups without
// combination factors). 1 = ok, 0 out of range (psi set to 0).
COMBOR_API int COMBOR_GetPsi(COMBOR_HANDLE s, int group, int category, double psi[3]);
// Partial safety factors of group a in situation b: gamma[0] favourable,
// gamma[1] unfavourable. b: 0 fundamental, 1 accidental, 2 to 5
// serviceability, 6 to 8 equilibrium (stabilising / destabilising) in the
// situations persistent, transient, accidental, 9 to 11 structure and ground
// in the same three situations. 1 = ok, 0 out of range (both 0).
COMBOR_API int COMBOR_GetGamma(COMBOR_HANDLE s, int a, int b, double gamma[2]);
// Variables: "h" height above sea level in m (snow of SIA 260:2003),
// "psi2_vadu" psi2 of crane loads, "GInfFactor" factor on gamma_G,sup (1.0,
// or 10/9 for gamma_G,sup = 1.5). 1 = known name, 0 otherwise.
COMBOR_API int COMBOR_SetVariable(COMBOR_HANDLE s, const char* name, double value);
// All partial and combination factors 1.0.
COMBOR_API int COMBOR_SetNoGammaPsi(COMBOR_HANDLE s, int flag);

// ---- input -----------------------------------------------------------------
// Forgets the load cases, actions, span shares and combinations (not the
// norm, the variables and the check switches).
COMBOR_API int COMBOR_ClearLFEW(COMBOR_HANDLE s);
// Load case lf (1 to 100000) belongs to action einw (from 1). 1 = ok.
COMBOR_API int COMBOR_SetLastfall(COMBOR_HANDLE s, int lf, int einw);
// Defines action einw: group index, category index, and whether it may act
// favourably. A second definition of the same number replaces the first.
COMBOR_API int COMBOR_DefEinw(COMBOR_HANDLE s, int einw, int group, int category, int favourable);
COMBOR_API int COMBOR_EnableNachweis(COMBOR_HANDLE s, int check, int flag);

// ---- span-wise arrangement (pattern loading of continuous beams) -------------
// Load case lfShare holds the part of load case lf that lies in span `span`
// (from 1); the caller makes it a load case of its own (the part of every
// load of lf within that span). 1 = ok; 0 for invalid numbers.
COMBOR_API int COMBOR_SetFeldanteil(COMBOR_HANDLE s, int lfShare, int lf, int span);
// Whether variable action einw is arranged span by span (flag 1; default 0).
// Such an action acts, in place of each of its load cases that has span
// shares, with every non-empty selection of those shares: any set of loaded
// spans, so that the unfavourable arrangements for span and support moments
// are among the combinations. An additive action selects among the shares
// of all its load cases, an alternative action among the shares of one load
// case at a time. Permanent, accidental and prestress actions always act
// over their whole length; shares of load cases that are not arranged so
// take no part. Up to 12 load cases or shares per additive action (and per
// load case of an alternative one) can be arranged; beyond that the run is
// refused with its reason.
COMBOR_API int COMBOR_SetEinwFeldweise(COMBOR_HANDLE s, int einw, int flag);

// ---- generation and results -----------------------------------------------
// Generates the combinations. 1 = done; 0 = refused, with the reason in
// COMBOR_GetLastError (no norm, a load case of an undefined action, an
// invalid group or category, too many combinations); the combinations are
// then empty.
COMBOR_API int COMBOR_Calc(COMBOR_HANDLE s);
COMBOR_API int COMBOR_GetLastError(COMBOR_HANDLE s, char* buf, int bufSize);
COMBOR_API int COMBOR_GetNumOfKombi(COMBOR_HANDLE s);
COMBOR_API int COMBOR_GetKombiTypStr(COMBOR_HANDLE s, int k, char* buf, int bufSize);
COMBOR_API int COMBOR_GetKombiStr(COMBOR_HANDLE s, int k, char* buf, int bufSize);
// Length of every factor array: the highest load case number (k is not used;
// callers pass -1).
COMBOR_API int COMBOR_GetNumOfFaktoren(COMBOR_HANDLE s, int k);
// Factor of load case j of combination k into factors[j - 1]; writes at most
// count values. Returns the number written (0 for k out of range).
COMBOR_API int COMBOR_GetKombi(COMBOR_HANDLE s, int k, double* factors, int count);

// ---- combinations edited by the user (for the rules protocol) ---------------
// Resizes the list (new entries empty). A rule text set afterwards also gives
// the factors (read from its terms).
COMBOR_API int COMBOR_SetNumOfKombi(COMBOR_HANDLE s, int n);
COMBOR_API int COMBOR_SetKombiStr(COMBOR_HANDLE s, int k, const char* rule);
COMBOR_API int COMBOR_SetKombiTypStr(COMBOR_HANDLE s, int k, const char* type);

// ---- protocol ----------------------------------------------------------------
// Writes an RTF file: with gammaPsi the partial and combination factors of
// the norm, with rules the list of combinations. 1 = written.
COMBOR_API int COMBOR_Protokoll(COMBOR_HANDLE s, int gammaPsi, int rules, const char* fileName);

// ---- result superposition ---------------------------------------------------
// Sizes the result blocks: each load case's block holds nodes x columns
// doubles, node by node. Forgets results set before. 1 = ok.
COMBOR_API int COMBOR_InitResultSuperpositioning(COMBOR_HANDLE s, int columns, int nodes);
// The results of load case lf (from 1): a block of nodes x columns doubles.
COMBOR_API int COMBOR_SetLastfallResult(COMBOR_HANDLE s, int lf, const double* block);
// Fills block (nodes x columns doubles) with the results of combination k:
// the sum of each load case's block times its factor. 1 = every load case
// with a factor had results; 0 when one had none (its part is missing from
// the sum) or k is out of range (the block is then left unchanged).
COMBOR_API int COMBOR_GetResultSuperposition(COMBOR_HANDLE s, int k, double* block);

#ifdef __cplusplus
namespace combor {

inline std::string GetLastGruppe(COMBOR_HANDLE s, int i) {
    return platform_common::FetchText([&](char* b, int n) { return COMBOR_GetLastGruppe(s, i, b, n); });
}
inline std::string GetLastKat(COMBOR_HANDLE s, int i) {
    return platform_common::FetchText([&](char* b, int n) { return COMBOR_GetLastKat(s, i, b, n); });
}
inline std::string GetKombiTypStr(COMBOR_HANDLE s, int k) {
    return platform_common::FetchText([&](char* b, int n) { return COMBOR_GetKombiTypStr(s, k, b, n); });
}
inline std::string GetKombiStr(COMBOR_HANDLE s, int k) {
    return platform_common::FetchText([&](char* b, int n) { return COMBOR_GetKombiStr(s, k, b, n); });
}
inline std::string GetLastError(COMBOR_HANDLE s) {
    return platform_common::FetchText([&](char* b, int n) { return COMBOR_GetLastError(s, b, n); });
}
inline std::string GetNorm(COMBOR_HANDLE s) {
    return platform_common::FetchText([&](char* b, int n) { return COMBOR_GetNorm(s, b, n); });
}
inline std::vector<double> GetKombi(COMBOR_HANDLE s, int k) {
    int n = COMBOR_GetNumOfFaktoren(s, -1);
    std::vector<double> f(n > 0 ? static_cast<size_t>(n) : 0, 0.0);
    if (n > 0) COMBOR_GetKombi(s, k, f.data(), n);
    return f;
}

}  // namespace combor
#endif
