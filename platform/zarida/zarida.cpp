// Material database layer over the document library.
#include "platform/zarida/zarida.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "platform/winsys/winsys.h"

namespace {

struct State {
    std::mutex lock;
    std::string standardFile;  // empty = default
    std::string userFile;
    std::set<ZVDOC> open;      // documents opened through this layer
};

State& S() {
    static State* s = new State;  // outlives every caller's static teardown
    return *s;
}

std::string DefaultStandard() {
    return (winsys::InstallRoot() / "material" / "standard.material.dat").string();
}
std::string DefaultUser() { return (winsys::RegistryFolder() / "user.material.dat").string(); }

std::string FileOf(bool user) {
    std::lock_guard<std::mutex> g(S().lock);
    const std::string& f = user ? S().userFile : S().standardFile;
    if (!f.empty()) return f;
    return user ? DefaultUser() : DefaultStandard();
}

ZVELEM Remember(ZVDOC doc) {
    if (!doc) return 0;
    std::lock_guard<std::mutex> g(S().lock);
    S().open.insert(doc);
    return ZEVUD_GetRootElement(doc);
}

}  // namespace

ZVELEM ZARIDA_OpenStandard(void) {
    const std::string file = FileOf(false);
    ZVDOC doc = ZEVUD_OpenDocQuiet(file.c_str());
    if (!doc) {
        winsys::MessageBox("Die Materialdatenbank '" + file + "' konnte nicht geöffnet werden.", "Materialdatenbank",
                           winsys::Buttons::Ok, winsys::Icon::Error);
        return 0;
    }
    return Remember(doc);
}

ZVELEM ZARIDA_OpenUser(void) {
    const std::string file = FileOf(true);
    std::error_code ec;
    const std::filesystem::path resolved = winsys::ResolveCaseInsensitive(file);
    if (!std::filesystem::exists(resolved, ec)) {
        // A new, empty catalogue; it reaches the disk only when saved.
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
        return Remember(ZEVUD_CreateDoc(file.c_str()));
    }
    // A damaged file is reported by the document library and stays as it is.
    return Remember(ZEVUD_OpenDoc(resolved.string().c_str()));
}

int ZARIDA_Close(ZVELEM root) {
    const ZVDOC doc = ZEVUD_GetDocument(root);
    if (!doc) return 0;
    {
        std::lock_guard<std::mutex> g(S().lock);
        if (!S().open.erase(doc)) return 0;
    }
    ZEVUD_CloseDoc(doc);
    return 1;
}

void ZARIDA_SetFiles(const char* standardFile, const char* userFile) {
    std::lock_guard<std::mutex> g(S().lock);
    S().standardFile = standardFile ? standardFile : "";
    S().userFile = userFile ? userFile : "";
}

int ZARIDA_GetFile(int user, char* buf, int bufSize) {
    const std::string f = FileOf(user != 0);
    const int n = static_cast<int>(f.size());
    if (buf && bufSize > 0) {
        const int m = std::min(n, bufSize - 1);
        f.copy(buf, static_cast<size_t>(m));
        buf[m] = '\0';
    }
    return n;
}
