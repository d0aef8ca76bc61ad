// Material database: the standard catalogue shipped with the installation and
// the user's own catalogue, each a document of the document library.
//
// The tree below the root element:
//   "Kategorie" (Name, Prioritaet) -> "Unterkategorie" (Name, Prioritaet)
//     -> "Norm" (Name, Prioritaet) -> "Objekt" (Name, Prioritaet, default)
// with "Eigenschaft" (Kurzname, Wert01, Formel, and Name, Einheit for the
// dialogs) at any level.
//
// Files: the standard catalogue is <install root>/material/standard.material.dat,
// the user catalogue "user.material.dat" in the user's configuration folder
// (the registry folder). ZARIDA_SetFiles replaces either path.
#pragma once

#include <stdint.h>

#include "platform/zevud/zevud.h"

#ifdef __cplusplus
#define ZARIDA_API extern "C" __attribute__((visibility("default")))
#else
#define ZARIDA_API __attribute__((visibility("default")))
#endif

// Opens the standard catalogue read-only in memory and returns its root
// element; 0 when the file is missing or damaged (the user is told once per
// opening attempt).
ZARIDA_API ZVELEM ZARIDA_OpenStandard(void);
// Opens the user catalogue and returns its root element. A file that does
// not exist yet gives an empty catalogue under that file name, written only
// when its owner saves it (ZEVUD_SaveDoc); a damaged file gives 0 and is
// left untouched on disk.
ZARIDA_API ZVELEM ZARIDA_OpenUser(void);
// Closes the catalogue of a root element returned above (without saving).
// 1 = closed, 0 = not an open catalogue.
ZARIDA_API int ZARIDA_Close(ZVELEM root);
// Replaces the file paths used by the next opening; a null or empty path
// restores the default of that catalogue.
ZARIDA_API void ZARIDA_SetFiles(const char* standardFile, const char* userFile);
// The path of the standard (user = 0) or user catalogue (user != 0) into buf;
// returns the full length.
ZARIDA_API int ZARIDA_GetFile(int user, char* buf, int bufSize);
