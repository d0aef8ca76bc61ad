// The kernel library as the module loads it, and the section file that the
// module extracts beside a position document before a calculation, made
// here from the installed catalogue. Header-only, so that end-to-end tests
// in other folders can include it by its path from the source root.
#pragma once

#include <dlfcn.h>

#include <string>

#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

namespace kernel_library_test {

// libTovik.so from the build's installation, open while the object lives.
struct Library {
    void* handle = dlopen(RIGEL_BUILD_ROOT "/bin/libTovik.so", RTLD_NOW | RTLD_LOCAL);
    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() {
        if (handle) dlclose(handle);
    }
};

// Writes "<doc>.temp.skw" holding the catalogue section catalogPath under the
// name "\<name>"; false when the catalogue or the section is missing or the
// file cannot be written.
inline bool MakeSectionFile(const std::string& docPath, const std::string& name, const std::string& catalogPath) {
    const int cat = SEKT_DB_Open((std::string(RIGEL_BUILD_ROOT) + "/profil.skw").c_str(), 0);
    if (cat < 0) return false;
    const int pro = SEKT_PRO_Create();
    const bool found = SEKT_DB_GetProject(cat, catalogPath.c_str(), pro) >= 0;
    SEKT_DB_Close(cat);
    if (!found) return SEKT_PRO_Delete(pro), false;
    const std::string file = winsys::SideFileName(docPath, ".temp.skw");
    const int db = SEKT_DB_Open(file.c_str(), 3);
    const bool ok = db >= 0 && SEKT_DB_AddProject(db, ("\\" + name).c_str(), pro) == 0 && SEKT_DB_Save(db, nullptr) == 0;
    if (db >= 0) SEKT_DB_Close(db);
    SEKT_PRO_Delete(pro);
    return ok;
}

}  // namespace kernel_library_test
