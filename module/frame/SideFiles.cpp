#include "module/frame/SideFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace sidefiles {
namespace {

struct Staged {
    std::string target;
    std::string temp;
};

struct DocFiles {
    bool held = false;
    std::vector<Staged> staged;                     // in the order staged
    std::map<std::string, std::string> redirects;  // name -> path while a writer runs
};

std::mutex& Lock() {
    static std::mutex m;
    return m;
}
std::map<ZVDOC, DocFiles>& Files() {
    static auto* files = new std::map<ZVDOC, DocFiles>();  // lives as long as the library
    return *files;
}

void Remove(const std::string& file) {
    std::error_code ec;
    if (!file.empty()) fs::remove(file, ec);
}

void DropLocked(ZVDOC doc) {
    auto it = Files().find(doc);
    if (it == Files().end()) return;
    for (const Staged& s : it->second.staged) Remove(s.temp);
    it->second.staged.clear();
}

}  // namespace

void SetHeld(ZVDOC doc, bool on) {
    std::lock_guard lock(Lock());
    if (on) {
        Files()[doc].held = true;
        return;
    }
    DropLocked(doc);
    Files().erase(doc);
}

bool IsHeld(ZVDOC doc) {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc);
    return it != Files().end() && it->second.held;
}

std::string StageFile(ZVDOC doc, const std::string& target) {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc);
    if (it == Files().end() || !it->second.held || target.empty()) return target;
    // Numbers of their own, apart from the temporary files of the document
    // saves and of the report writer, which share the pattern.
    static std::atomic<unsigned> serial{3u << 20};
    const fs::path folder = fs::path(target).parent_path();
    std::string temp;
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = winsys::TempFileBeside(folder, serial++).string();
        if (!fs::exists(temp, ec)) break;
    }
    std::vector<Staged>& staged = it->second.staged;
    for (auto s = staged.begin(); s != staged.end(); ++s)
        if (s->target == target) {
            Remove(s->temp);
            staged.erase(s);
            break;
        }
    staged.push_back({target, temp});
    return temp;
}

std::string StagedFile(ZVDOC doc, const std::string& target) {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc);
    if (it == Files().end()) return {};
    for (const Staged& s : it->second.staged)
        if (s.target == target) return s.temp;
    return {};
}

void DropFile(ZVDOC doc, const std::string& target) {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc);
    if (it == Files().end()) return;
    std::vector<Staged>& staged = it->second.staged;
    for (auto s = staged.begin(); s != staged.end(); ++s)
        if (s->target == target) {
            Remove(s->temp);
            staged.erase(s);
            return;
        }
}

Redirect::Redirect(ZVDOC doc, std::string target, std::string path) : doc_(doc), target_(std::move(target)) {
    std::lock_guard lock(Lock());
    Files()[doc_].redirects[target_] = std::move(path);
}

Redirect::~Redirect() {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc_);
    if (it == Files().end()) return;
    it->second.redirects.erase(target_);
    if (!it->second.held && it->second.staged.empty() && it->second.redirects.empty()) Files().erase(it);
}

std::string RedirectedName(ZVDOC doc, const std::string& name) {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc);
    if (it == Files().end()) return name;
    auto r = it->second.redirects.find(name);
    return r == it->second.redirects.end() ? name : r->second;
}

bool Commit(ZVDOC doc, std::string& why) {
    std::lock_guard lock(Lock());
    auto it = Files().find(doc);
    if (it == Files().end()) return true;
    std::vector<Staged> staged = std::move(it->second.staged);
    it->second.staged.clear();
    bool ok = true;
    std::error_code ec;
    for (const Staged& s : staged) {
        if (!ok) {
            Remove(s.temp);
            continue;
        }
        if (!fs::exists(s.temp, ec)) continue;  // never written
        if (std::rename(s.temp.c_str(), s.target.c_str()) != 0) {
            why = "'" + s.target + "': " + winsys::FileErrorText(errno);
            Remove(s.temp);
            ok = false;
        }
    }
    return ok;
}

void Drop(ZVDOC doc) {
    std::lock_guard lock(Lock());
    DropLocked(doc);
}

}  // namespace sidefiles
