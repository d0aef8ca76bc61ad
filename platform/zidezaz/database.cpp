// Section databases: folders and profiles held in memory, read from and
// written to a document of the document library.
//
// Stored form: the root holds "skwdb" (int "version") with nested "folder"
// elements (string "name") and "profile" elements (string "name"), each
// profile with one "wline" child per wall line.
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "platform/zidezaz/store.h"

namespace zidezaz::detail {
namespace {

struct StoredProfile {
    std::vector<SektWLine> lines;
    std::vector<SektWLineGroup> groups;
    std::vector<SektWLineParam> params;
};

struct Folder;
struct Member {
    int kind = 0;  // 0 profile, 1 folder
    std::string name;
    StoredProfile profile;
    std::unique_ptr<Folder> folder;
};
struct Folder {
    std::vector<Member> members;
    Member* Find(const std::string& name, int kind) {
        for (auto& m : members)
            if (m.kind == kind && winsys::EqualsNoCase(m.name, name)) return &m;
        return nullptr;
    }
};

struct Database {
    std::string path;
    Folder root;
    // folder listing in progress
    Folder* listFolder = nullptr;
    size_t listPos = 0;
};

// The open databases by handle. Calculations on worker threads open and
// close their own databases side by side: the table is guarded, while each
// database is used by the one calculation that opened it.
std::map<int, std::unique_ptr<Database>>& Databases() {
    static std::map<int, std::unique_ptr<Database>> table;
    return table;
}
std::mutex g_tableMutex;
int g_nextDb = 0;

Database* FindDb(int db) {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto& t = Databases();
    auto it = t.find(db);
    return it == t.end() ? nullptr : it->second.get();
}

// "\a\b\name" and "a\b\name" alike; empty components dropped. Only the
// backslash separates: profile names may hold '/'.
std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    if (!path) return parts;
    std::string cur;
    for (const char* c = path; *c; ++c) {
        if (*c == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += *c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

// The folder that holds the last component; created when asked.
Folder* ParentFolder(Database& db, const std::vector<std::string>& parts, bool create) {
    Folder* f = &db.root;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        Member* m = f->Find(parts[i], 1);
        if (!m) {
            if (!create) return nullptr;
            Member nm;
            nm.kind = 1;
            nm.name = parts[i];
            nm.folder = std::make_unique<Folder>();
            f->members.push_back(std::move(nm));
            m = &f->members.back();
        }
        f = m->folder.get();
    }
    return f;
}

const char* kLineDoubles[] = {"ya", "za", "ye", "ze", "ta", "te", "ra", "re", "x0", "x1"};

void WriteFolder(const Folder& f, ZVELEM parent) {
    for (const auto& m : f.members) {
        if (m.kind == 1) {
            ZVELEM e = ZEVUD_AddChildElement(parent, "folder");
            ZEVUD_SetString(e, "name", m.name.c_str());
            WriteFolder(*m.folder, e);
            continue;
        }
        ZVELEM e = ZEVUD_AddChildElement(parent, "profile");
        ZEVUD_SetString(e, "name", m.name.c_str());
        const auto& p = m.profile;
        for (size_t i = 0; i < p.lines.size(); ++i) {
            const SektWLine& w = p.lines[i];
            ZVELEM l = ZEVUD_AddChildElement(e, "wline");
            ZEVUD_SetInt(l, "typ", w.type);
            const double v[] = {w.ya, w.za, w.ye, w.ze, w.ta, w.te, w.ra, w.re, w.reserve[0], w.reserve[1]};
            for (size_t k = 0; k < 10; ++k) ZEVUD_SetDouble(l, kLineDoubles[k], v[k]);
            const SektWLineGroup& g = p.groups[i];
            ZEVUD_SetInt(l, "grp", g.group);
            ZEVUD_SetInt(l, "grpFlags", g.flags);
            ZEVUD_SetDouble(l, "grp0", g.reserve[0]);
            ZEVUD_SetDouble(l, "grp1", g.reserve[1]);
            const SektWLineParam& q = p.params[i];
            ZEVUD_SetInt(l, "mat", q.material);
            ZEVUD_SetInt(l, "parFlags", q.flags);
            ZEVUD_SetDouble(l, "par0", q.reserve[0]);
            ZEVUD_SetDouble(l, "par1", q.reserve[1]);
        }
    }
}

// Largest coordinate, thickness or radius of a wall line (in cm) that is
// taken as a dimension of a real section.
constexpr double kLargestDimension = 1e6;

// Reads folders and profiles; the first wall-line value beyond any real
// section's size is named in tooLarge.
void ReadFolder(Folder& f, ZVELEM parent, int depth, std::string& tooLarge) {
    if (depth > 64) return;
    for (ZVELEM e = ZEVUD_GetFirstChild(parent); e; e = ZEVUD_GetNextChild(e)) {
        const std::string kind = zevud::GetElementName(e);
        const std::string name = zevud::GetString(e, "name");
        if (name.empty() || name.find('\\') != std::string::npos) continue;
        if (kind == "folder") {
            Member* m = f.Find(name, 1);
            if (!m) {
                Member nm;
                nm.kind = 1;
                nm.name = name;
                nm.folder = std::make_unique<Folder>();
                f.members.push_back(std::move(nm));
                m = &f.members.back();
            }
            ReadFolder(*m->folder, e, depth + 1, tooLarge);
        } else if (kind == "profile") {
            Member m;
            m.kind = 0;
            m.name = name;
            for (ZVELEM l = ZEVUD_FindFirstChild(e, "wline"); l; l = ZEVUD_FindNextChild(l, "wline")) {
                SektWLine w{};
                w.type = static_cast<int8_t>(ZEVUD_GetInt(l, "typ"));
                double* v[] = {&w.ya, &w.za, &w.ye, &w.ze, &w.ta, &w.te, &w.ra, &w.re, &w.reserve[0], &w.reserve[1]};
                for (size_t k = 0; k < 10; ++k) {
                    *v[k] = ZEVUD_GetDouble(l, kLineDoubles[k]);
                    if (k < 8 && std::fabs(*v[k]) > kLargestDimension && tooLarge.empty())
                        tooLarge = "Im Querschnitt \"" + name + "\" ist der Wert " + kLineDoubles[k] + " = " +
                                   zevud::GetString(l, kLineDoubles[k]) + " einer Wandlinie unsinnig groß.";
                }
                SektWLineGroup g{};
                g.group = ZEVUD_GetInt(l, "grp");
                g.flags = ZEVUD_GetInt(l, "grpFlags");
                g.reserve[0] = ZEVUD_GetDouble(l, "grp0");
                g.reserve[1] = ZEVUD_GetDouble(l, "grp1");
                SektWLineParam q{};
                q.material = ZEVUD_GetInt(l, "mat");
                q.flags = ZEVUD_GetInt(l, "parFlags");
                q.reserve[0] = ZEVUD_GetDouble(l, "par0");
                q.reserve[1] = ZEVUD_GetDouble(l, "par1");
                m.profile.lines.push_back(w);
                m.profile.groups.push_back(g);
                m.profile.params.push_back(q);
            }
            if (Member* old = f.Find(name, 0))
                old->profile = std::move(m.profile);
            else
                f.members.push_back(std::move(m));
        }
    }
}

int Store(int db, const char* path, int pro) {
    Database* d = FindDb(db);
    Profile* p = FindProfile(pro);
    const auto parts = SplitPath(path);
    if (!d || !p || parts.empty()) return -1;
    Folder* f = ParentFolder(*d, parts, true);
    if (!f) return -1;
    Member* m = f->Find(parts.back(), 0);
    if (!m) {
        if (f->Find(parts.back(), 1)) return -1;  // a folder of that name
        Member nm;
        nm.kind = 0;
        nm.name = parts.back();
        f->members.push_back(std::move(nm));
        m = &f->members.back();
    }
    m->profile.lines = p->lines;
    m->profile.groups = p->groups;
    m->profile.params = p->params;
    return 0;
}

}  // namespace
}  // namespace zidezaz::detail

using namespace zidezaz::detail;

int SEKT_DB_Open(const char* fileName, int mode) {
    if (!fileName || !*fileName) return -1;
    const std::filesystem::path resolved = winsys::ResolveCaseInsensitive(winsys::RealFilePath(fileName));
    std::error_code ec;
    const bool exists = std::filesystem::is_regular_file(resolved, ec);
    auto db = std::make_unique<Database>();
    db->path = resolved.string();
    if (exists) {
        ZVDOC doc = ZEVUD_OpenDocQuiet(db->path.c_str());
        if (!doc) {
            winsys::MessageBox("Die Querschnittsdatei '" + db->path + "' ist beschädigt und kann nicht gelesen werden.",
                               "Querschnitte", winsys::Buttons::Ok, winsys::Icon::Error);
            return -1;
        }
        ZVELEM top = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "skwdb");
        if (!top) {
            ZEVUD_CloseDoc(doc);
            winsys::MessageBox("Die Datei '" + db->path + "' ist keine Querschnittsdatei.", "Querschnitte",
                               winsys::Buttons::Ok, winsys::Icon::Error);
            return -1;
        }
        std::string tooLarge;
        ReadFolder(db->root, top, 0, tooLarge);
        // A number that does not read, or one beyond any real section, is
        // never taken as a zero or carried into the calculation.
        std::string error = zevud::GetNumberError(doc);
        if (error.empty() && !tooLarge.empty()) error = "Die Querschnittsdatei '" + db->path + "': " + tooLarge;
        ZEVUD_CloseDoc(doc);
        if (!error.empty()) {
            winsys::MessageBox(error + " Die Querschnittsdatei wird nicht gelesen.", "Querschnitte", winsys::Buttons::Ok,
                               winsys::Icon::Error);
            return -1;
        }
    } else if (mode != 3) {
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (g_nextDb >= 0x7ffffff0) return -1;
    const int h = g_nextDb++;
    Databases()[h] = std::move(db);
    return h;
}

int SEKT_DB_Close(int db) {
    std::unique_ptr<Database> closed;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = Databases().find(db);
    if (it == Databases().end()) return -1;
    closed = std::move(it->second);
    Databases().erase(it);
    return 0;
}

int SEKT_DB_GetProject(int db, const char* path, int pro) {
    Database* d = FindDb(db);
    Profile* p = FindProfile(pro);
    if (!d || !p) return -1;
    const auto parts = SplitPath(path);
    if (parts.empty()) return -2;
    Folder* f = ParentFolder(*d, parts, false);
    Member* m = f ? f->Find(parts.back(), 0) : nullptr;
    if (!m) return -2;
    *p = Profile{};
    p->lines = m->profile.lines;
    p->groups = m->profile.groups;
    p->params = m->profile.params;
    p->groups.resize(p->lines.size());
    p->params.resize(p->lines.size());
    return 0;
}

int SEKT_DB_AddProject(int db, const char* path, int pro) { return Store(db, path, pro); }

int SEKT_DB_SetProject(int db, const char* path, int pro) { return Store(db, path, pro); }

int SEKT_DB_DeleteProject(int db, const char* path) {
    Database* d = FindDb(db);
    if (!d) return -1;
    const auto parts = SplitPath(path);
    if (parts.empty()) return -2;
    Folder* f = ParentFolder(*d, parts, false);
    if (!f) return -2;
    for (auto it = f->members.begin(); it != f->members.end(); ++it)
        if (it->kind == 0 && winsys::EqualsNoCase(it->name, parts.back())) {
            if (d->listFolder == f) d->listFolder = nullptr;  // a listing in progress ends
            f->members.erase(it);
            return 0;
        }
    return -2;
}

int SEKT_DB_Save(int db, const char* fileName) {
    Database* d = FindDb(db);
    if (!d) return -1;
    const std::string target = (fileName && *fileName) ? winsys::RealFilePath(fileName) : d->path;
    ZVDOC doc = ZEVUD_CreateDoc(target.c_str());
    if (!doc) return -1;
    ZVELEM top = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "skwdb");
    ZEVUD_SetInt(top, "version", 1);
    WriteFolder(d->root, top);
    const int ok = ZEVUD_SaveDoc(doc);
    ZEVUD_CloseDoc(doc);
    if (ok != 1) {
        winsys::MessageBox("Die Querschnittsdatei '" + target + "' konnte nicht geschrieben werden.", "Querschnitte",
                           winsys::Buttons::Ok, winsys::Icon::Error);
        return -1;
    }
    return 0;
}

int SEKT_DB_GetFilePath(int db, char* buf, int bufSize) {
    Database* d = FindDb(db);
    if (!d) return -1;
    const int n = static_cast<int>(d->path.size());
    if (buf && bufSize > 0) {
        const int m = std::min(n, bufSize - 1);
        d->path.copy(buf, static_cast<size_t>(m));
        buf[m] = '\0';
    }
    return n;
}

namespace {
int NextMember(Database& d, char* buf, int bufSize) {
    if (!d.listFolder || d.listPos >= d.listFolder->members.size()) {
        d.listFolder = nullptr;
        return -1;
    }
    const Member& m = d.listFolder->members[d.listPos++];
    if (buf && bufSize > 0) {
        const int k = std::min(static_cast<int>(m.name.size()), bufSize - 1);
        m.name.copy(buf, static_cast<size_t>(k));
        buf[k] = '\0';
    }
    return m.kind;
}
}  // namespace

int SEKT_DB_GetFirstFolderMember(int db, const char* folder, char* buf, int bufSize) {
    Database* d = FindDb(db);
    if (!d) return -1;
    auto parts = SplitPath(folder);
    parts.push_back("x");  // ParentFolder walks all but the last component
    d->listFolder = ParentFolder(*d, parts, false);
    d->listPos = 0;
    return NextMember(*d, buf, bufSize);
}

int SEKT_DB_GetNextFolderMember(int db, char* buf, int bufSize) {
    Database* d = FindDb(db);
    if (!d) return -1;
    return NextMember(*d, buf, bufSize);
}
