// The registry: a file-backed key/value store per user (see winsys.h for the
// file format). Key and value names compare without regard to case and keep
// the case they were first written with.
#include "platform/winsys/winsys.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <type_traits>
#include <cerrno>

namespace fs = std::filesystem;

namespace winsys {

namespace {

constexpr const char* kHeader = "VELOR-REGISTRY 1";

struct Value {
    std::string name;  // as first written
    RegValue v;
};

struct Key {
    std::string name;  // as first written
    std::map<std::string, std::unique_ptr<Key>> sub;  // by folded name
    std::map<std::string, Value> values;               // by folded name
};

// Identity of the store file on disk; a rename by a writer changes the inode.
struct Stamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    bool operator==(const Stamp& o) const {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size && mtimeNs == o.mtimeNs;
    }
};

Stamp StampOf(const fs::path& p) {
    Stamp s;
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0) {
        s.exists = true;
        s.dev = st.st_dev;
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    }
    return s;
}

struct HiveState {
    fs::path file;
    bool loaded = false;
    Stamp stamp;
    Key root;
    bool writable = true;  // false while a damaged file could not be kept aside
    // The damaged file last reported, so that it is reported once.
    fs::path damagedFile;
    Stamp damagedStamp;
    bool damagedKept = false;
    fs::path damagedCopy;
};

std::mutex g_mutex;
HiveState g_user, g_machine;
// A message found while the lock was held; shown after it is released, so
// that a sink that itself reads settings cannot dead-lock.
std::vector<std::string> g_pending;

// Runs f under the registry's lock, then shows what it left to be said.
template <class F>
auto Locked(F&& f) {
    std::vector<std::string> pending;
    auto finish = [&] {
        for (const auto& text : pending) MessageBox(text, "Registrierung", Buttons::Ok, Icon::Warning);
    };
    if constexpr (std::is_void_v<decltype(f())>) {
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            f();
            pending.swap(g_pending);
        }
        finish();
    } else {
        decltype(f()) result;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            result = f();
            pending.swap(g_pending);
        }
        finish();
        return result;
    }
}

// ----- text fields -----------------------------------------------------------

std::string Escape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view s, std::string& out) {
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i >= s.size()) return false;
        switch (s[i]) {
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: return false;
        }
    }
    return true;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

Key* FindKey(Key& root, const std::string& path) {
    Key* k = &root;
    for (const auto& part : SplitKeyPath(path)) {
        auto it = k->sub.find(FoldCase(part));
        if (it == k->sub.end()) return nullptr;
        k = it->second.get();
    }
    return k;
}

Key* MakeKey(Key& root, const std::string& path) {
    Key* k = &root;
    for (const auto& part : SplitKeyPath(path)) {
        auto& slot = k->sub[FoldCase(part)];
        if (!slot) {
            slot = std::make_unique<Key>();
            slot->name = part;
        }
        k = slot.get();
    }
    return k;
}

// ----- reading and writing the file ---------------------------------------------

bool ParseHex(std::string_view s, std::vector<unsigned char>& out) {
    if (s.size() % 2) return false;
    out.clear();
    auto nib = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < s.size(); i += 2) {
        int hi = nib(s[i]), lo = nib(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

// Parses the whole text; on a damaged line returns false with its number.
bool ParseStore(const std::string& text, Key& root, int& badLine) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        badLine = lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 1) {
            if (line != kHeader) return false;
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::string> fields;
        size_t pos = 0;
        while (true) {
            size_t tab = line.find('\t', pos);
            std::string f;
            if (!Unescape(std::string_view(line).substr(pos, tab == std::string::npos ? std::string::npos : tab - pos), f))
                return false;
            fields.push_back(std::move(f));
            if (tab == std::string::npos) break;
            pos = tab + 1;
        }
        const std::string& kind = fields[0];
        if (kind == "K") {
            if (fields.size() != 2) return false;
            MakeKey(root, fields[1]);
            continue;
        }
        if (kind.size() != 1 || std::string_view("SDMB").find(kind[0]) == std::string_view::npos) return false;
        if (fields.size() < 3) return false;
        RegValue v;
        switch (kind[0]) {
            case 'S':
                if (fields.size() != 4) return false;
                v.type = RegType::String;
                v.str = fields[3];
                break;
            case 'D': {
                if (fields.size() != 4) return false;
                size_t used = 0;
                auto n = ParseInt(fields[3], &used);
                if (!n || used != fields[3].size() || *n < 0 || *n > 0xFFFFFFFFLL) return false;
                v.type = RegType::Dword;
                v.dword = static_cast<uint32_t>(*n);
                break;
            }
            case 'M':
                v.type = RegType::MultiString;
                v.multi.assign(fields.begin() + 3, fields.end());
                break;
            case 'B':
                if (fields.size() != 4) return false;
                v.type = RegType::Binary;
                if (!ParseHex(fields[3], v.bin)) return false;
                break;
        }
        Key* k = MakeKey(root, fields[1]);
        auto& slot = k->values[FoldCase(fields[2])];
        slot.name = fields[2];
        slot.v = std::move(v);
    }
    if (lineNo == 0) {  // an empty file is an empty store
        badLine = 0;
        return true;
    }
    return true;
}

void WriteKey(std::string& out, const Key& k, const std::string& path) {
    static const char* hex = "0123456789abcdef";
    if (!path.empty()) out += "K\t" + Escape(path) + "\n";
    for (const auto& [folded, val] : k.values) {
        const std::string head = "\t" + Escape(path) + "\t" + Escape(val.name) + "\t";
        switch (val.v.type) {
            case RegType::String: out += "S" + head + Escape(val.v.str) + "\n"; break;
            case RegType::Dword: out += "D" + head + std::to_string(val.v.dword) + "\n"; break;
            case RegType::MultiString: {
                out += "M\t" + Escape(path) + "\t" + Escape(val.name);
                for (const auto& s : val.v.multi) out += "\t" + Escape(s);
                out += "\n";
                break;
            }
            case RegType::Binary: {
                out += "B" + head;
                for (unsigned char b : val.v.bin) {
                    out += hex[b >> 4];
                    out += hex[b & 15];
                }
                out += "\n";
                break;
            }
            case RegType::None: break;
        }
    }
    for (const auto& [folded, sub] : k.sub) WriteKey(out, *sub, path.empty() ? sub->name : path + "\\" + sub->name);
}

// Reads a whole file; false when it cannot be opened or read (a folder,
// no permission, an input/output error).
bool ReadWhole(const fs::path& file, std::string& out) {
    out.clear();
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[65536];
    bool ok = true;
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

// Keeps a copy of a damaged store beside it, under a name not yet taken.
fs::path KeepDamagedCopy(const fs::path& file) {
    std::error_code ec;
    fs::path target = file;
    target += ".damaged";
    for (int i = 1; fs::exists(target, ec) && i < 1000; ++i) {
        target = file;
        target += ".damaged." + std::to_string(i);
    }
    fs::copy_file(file, target, fs::copy_options::none, ec);
    return ec ? fs::path() : target;
}

fs::path HiveFile(Hive hive) {
    if (hive == Hive::LocalMachine) return InstallRoot() / "registry" / "machine.reg";
    return RegistryFolder() / "user.reg";
}

HiveState& State(Hive hive) { return hive == Hive::LocalMachine ? g_machine : g_user; }

void Load(HiveState& h, const fs::path& file, bool user) {
    h.file = file;
    h.loaded = true;
    h.writable = true;
    h.root = Key();
    h.stamp = StampOf(file);
    if (!h.stamp.exists) return;
    std::string content;
    const bool readable = ReadWhole(file, content);
    Key parsed;
    int badLine = 0;
    if (readable && ParseStore(content, parsed, badLine)) {
        h.root = std::move(parsed);
        return;
    }
    const bool reported = h.damagedFile == file && h.damagedStamp == h.stamp;
    if (!reported) {
        h.damagedFile = file;
        h.damagedStamp = h.stamp;
        h.damagedCopy = (readable && user) ? KeepDamagedCopy(file) : fs::path();
        h.damagedKept = !h.damagedCopy.empty();
    }
    // What cannot be read, or is damaged and could not be kept aside, is
    // never overwritten: the hive stays read-only until the file is mended.
    h.writable = user && h.damagedKept;
    if (reported) return;
    std::string text;
    if (!readable) {
        text = "Die Registrierungsdatei '" + file.string() + "' kann nicht gelesen werden.";
        if (user) text += " Einstellungen werden nicht gespeichert.";
    } else {
        text = "Die Registrierungsdatei '" + file.string() + "' ist beschädigt (Zeile " + std::to_string(badLine) +
               ") und wird als leer behandelt.";
        if (h.damagedKept)
            text += " Eine Kopie liegt in '" + h.damagedCopy.string() + "'.";
        else if (user)
            text += " Sie kann nicht gesichert werden; Einstellungen werden nicht gespeichert.";
    }
    g_pending.push_back(std::move(text));
}

// Brings the in-memory hive up to date with its file.
HiveState& Current(Hive hive) {
    HiveState& h = State(hive);
    fs::path file = HiveFile(hive);
    if (!h.loaded || h.file != file || !(StampOf(file) == h.stamp)) Load(h, file, hive == Hive::CurrentUser);
    return h;
}

// Holds an exclusive lock beside the store while a change is read, made and
// written, so that two processes do not lose each other's changes.
class FileLock {
public:
    explicit FileLock(const fs::path& file) {
        fs::path lock = file;
        lock += ".lock";
        fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

bool Save(HiveState& h) {
    std::string text = std::string(kHeader) + "\n";
    WriteKey(text, h.root, "");
    std::error_code ec;
    // A file that already holds this very text is left as it is: storing a
    // setting unchanged costs no write and no wait for the disk.
    {
        std::ifstream in(h.file, std::ios::binary);
        if (in) {
            std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (in.good() || in.eof())
                if (old == text) return true;
        }
    }
    fs::path tmp = h.file;
    tmp += ".tmp." + std::to_string(::getpid());
    bool ok = false;
    {
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            size_t done = 0;
            ok = true;
            while (done < text.size()) {
                ssize_t n = ::write(fd, text.data() + done, text.size() - done);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    ok = false;
                    break;
                }
                done += static_cast<size_t>(n);
            }
            if (ok && ::fsync(fd) != 0) ok = false;
            if (::close(fd) != 0) ok = false;
        }
    }
    if (ok) ok = ::rename(tmp.c_str(), h.file.c_str()) == 0;
    if (!ok) {
        fs::remove(tmp, ec);
        h.loaded = false;  // memory may hold a change the file lacks: read again
        return false;
    }
    h.stamp = StampOf(h.file);
    return true;
}

// Runs a change on the user's hive: lock, bring up to date, change, write.
template <class F>
bool Change(Hive hive, F&& change) {
    if (hive != Hive::CurrentUser) return false;  // the machine hive is read-only
    return Locked([&]() -> bool {
        fs::path file = HiveFile(hive);
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        FileLock fileLock(file);
        HiveState& h = Current(hive);
        if (!h.writable) return false;
        bool changed = false;
        if (!change(h.root, changed)) return false;
        if (!changed) return true;
        return Save(h);
    });
}

}  // namespace

fs::path RegistryFolder() {
    if (auto d = GetEnv("VELOR_REGISTRY_DIR"); d && !d->empty()) return fs::path(*d);
    if (auto x = GetEnv("XDG_CONFIG_HOME"); x && !x->empty()) return fs::path(*x) / "velor2005";
    if (auto home = GetEnv("HOME"); home && !home->empty()) return fs::path(*home) / ".config" / "velor2005";
    return TempDirectory() / "velor2005-config";
}

fs::path StateFolder() {
    if (auto x = GetEnv("XDG_STATE_HOME"); x && !x->empty()) return fs::path(*x) / "velor2005";
    if (auto home = GetEnv("HOME"); home && !home->empty()) return fs::path(*home) / ".local" / "state" / "velor2005";
    return TempDirectory() / "velor2005-state";
}

void RegistryReload() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_user.loaded = false;
    g_machine.loaded = false;
}

bool RegKeyExists(Hive hive, const std::string& key) {
    return Locked([&] { return FindKey(Current(hive).root, key) != nullptr; });
}

bool RegCreateKey(Hive hive, const std::string& key) {
    if (hive != Hive::CurrentUser) {
        // Opening an existing machine key for reading is fine; creating is not.
        return RegKeyExists(hive, key);
    }
    return Change(hive, [&](Key& root, bool& changed) {
        if (!FindKey(root, key)) {
            MakeKey(root, key);
            changed = true;
        }
        return true;
    });
}

bool RegDeleteKey(Hive hive, const std::string& key) {
    auto parts = SplitKeyPath(key);
    if (parts.empty()) return false;  // the hive's root stays
    return Change(hive, [&](Key& root, bool& changed) {
        Key* k = &root;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            auto it = k->sub.find(FoldCase(parts[i]));
            if (it == k->sub.end()) return false;
            k = it->second.get();
        }
        if (k->sub.erase(FoldCase(parts.back())) == 0) return false;
        changed = true;
        return true;
    });
}

std::optional<RegValue> RegGetValue(Hive hive, const std::string& key, const std::string& name) {
    return Locked([&]() -> std::optional<RegValue> {
        Key* k = FindKey(Current(hive).root, key);
        if (!k) return std::nullopt;
        auto it = k->values.find(FoldCase(name));
        if (it == k->values.end()) return std::nullopt;
        return it->second.v;
    });
}

bool RegSetValue(Hive hive, const std::string& key, const std::string& name, const RegValue& v) {
    if (v.type == RegType::None) return false;
    return Change(hive, [&](Key& root, bool& changed) {
        Key* k = MakeKey(root, key);
        auto& slot = k->values[FoldCase(name)];
        if (slot.name.empty()) slot.name = name;
        slot.v = RegValue();
        slot.v.type = v.type;
        switch (v.type) {  // only the part of the value's own type is kept
            case RegType::String: slot.v.str = v.str; break;
            case RegType::Dword: slot.v.dword = v.dword; break;
            case RegType::MultiString: slot.v.multi = v.multi; break;
            case RegType::Binary: slot.v.bin = v.bin; break;
            case RegType::None: break;
        }
        changed = true;
        return true;
    });
}

bool RegDeleteValue(Hive hive, const std::string& key, const std::string& name) {
    return Change(hive, [&](Key& root, bool& changed) {
        Key* k = FindKey(root, key);
        if (!k || k->values.erase(FoldCase(name)) == 0) return false;
        changed = true;
        return true;
    });
}

std::vector<std::string> RegEnumKeys(Hive hive, const std::string& key) {
    return Locked([&] {
        std::vector<std::string> names;
        if (Key* k = FindKey(Current(hive).root, key))
            for (const auto& [folded, sub] : k->sub) names.push_back(sub->name);
        return names;
    });
}

std::vector<std::string> RegEnumValues(Hive hive, const std::string& key) {
    return Locked([&] {
        std::vector<std::string> names;
        if (Key* k = FindKey(Current(hive).root, key))
            for (const auto& [folded, val] : k->values) names.push_back(val.name);
        return names;
    });
}

std::optional<std::string> RegGetString(Hive hive, const std::string& key, const std::string& name) {
    auto v = RegGetValue(hive, key, name);
    if (!v || v->type != RegType::String) return std::nullopt;
    return v->str;
}

bool RegSetString(Hive hive, const std::string& key, const std::string& name, const std::string& v) {
    RegValue rv;
    rv.type = RegType::String;
    rv.str = v;
    return RegSetValue(hive, key, name, rv);
}

}  // namespace winsys
