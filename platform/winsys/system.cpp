// Paths, files, time, environment and library loading.
#include "platform/winsys/winsys.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace winsys {

namespace {

std::mutex g_pathMutex;
fs::path g_hostPath;

bool IsFile(const fs::path& p) {
    std::error_code ec;
    auto st = fs::status(p, ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

// Wildcard match; characters of the extension parts (behind the last '.' of
// the name and of the pattern) compare without regard to case.
bool MatchWild(std::string_view pat, std::string_view name) {
    const size_t patDot = pat.rfind('.');
    const size_t nameDot = name.rfind('.');
    auto same = [&](size_t pi, size_t ni) {
        char p = pat[pi], n = name[ni];
        if (p == n) return true;
        bool inExt = patDot != std::string_view::npos && pi > patDot &&
                     nameDot != std::string_view::npos && ni > nameDot;
        if (!inExt) return false;
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(p) == lower(n);
    };
    // Iterative matcher with back-tracking to the last '*'.
    size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
    while (ni < name.size()) {
        if (pi < pat.size() && pat[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < pat.size() && (pat[pi] == '?' || same(pi, ni))) {
            ++pi;
            ++ni;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < pat.size() && pat[pi] == '*') ++pi;
    return pi == pat.size();
}

}  // namespace

// ----- paths ---------------------------------------------------------------

void SetHostExecutablePath(const fs::path& p) {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    std::error_code ec;
    fs::path abs = p.empty() ? p : fs::absolute(p, ec);
    g_hostPath = ec ? p : abs.lexically_normal();
}

fs::path HostExecutablePath() {
    {
        std::lock_guard<std::mutex> lock(g_pathMutex);
        if (!g_hostPath.empty()) return g_hostPath;
    }
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
}

fs::path InstallRoot() {
    return HostExecutablePath().parent_path().parent_path();
}

fs::path CurrentDirectory() {
    std::error_code ec;
    fs::path p = fs::current_path(ec);
    return ec ? fs::path() : p;
}

bool SetCurrentDirectory(const fs::path& p) {
    std::error_code ec;
    fs::current_path(p, ec);
    return !ec;
}

fs::path CommonDataFolder() {
    if (auto d = GetEnv("VELOR_DATA_DIR"); d && !d->empty()) return fs::path(*d);
    return InstallRoot() / "data";
}

fs::path TempDirectory() {
    std::error_code ec;
    fs::path p = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : p;
}

fs::path UniqueTempFile(const std::string& stem, const std::string& ext) {
    std::string cleanStem = stem, cleanExt = ext;
    for (std::string* s : {&cleanStem, &cleanExt})
        for (char& c : *s)
            if (c == '/' || c == '\\' || c == '\0') c = '_';
    if (!cleanExt.empty() && cleanExt[0] != '.') cleanExt.insert(0, ".");
    std::string tmpl = (TempDirectory() / (cleanStem + "XXXXXX")).string() + cleanExt;
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = mkstemps(buf.data(), static_cast<int>(cleanExt.size()));
    if (fd < 0) return {};
    ::close(fd);
    return fs::path(buf.data());
}

std::string RealFilePath(const std::string& name) {
    if (name.find('\\') == std::string::npos) return name;
    std::error_code ec;
    const fs::path literal(name);
    if (fs::exists(literal, ec)) return name;
    const std::string slashed = ToSlashPath(name);
    if (fs::exists(slashed, ec)) return slashed;
    // A new file: where its folder exists as the name is written.
    auto folderOf = [](const fs::path& p) { return p.has_parent_path() ? p.parent_path() : fs::path("."); };
    const bool slashedFolder = fs::is_directory(folderOf(fs::path(slashed)), ec);
    if (fs::is_directory(folderOf(literal), ec) && !slashedFolder) return name;
    return slashed;
}

namespace {
// Length of the well-formed UTF-8 sequence at s[i]; 0 when none starts there.
size_t Utf8SequenceAt(const std::string& s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    size_t len = 0;
    uint32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceAt(s, i);
        if (!n) return false;
        i += n;
    }
    return true;
}
}  // namespace

std::string PathToText(const std::string& path) {
    if (IsUtf8(path)) return path;
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < path.size();) {
        const size_t n = Utf8SequenceAt(path, i);
        if (n && path[i] != '%') {
            out.append(path, i, n);
            i += n;
            continue;
        }
        const auto c = static_cast<unsigned char>(path[i++]);
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

std::string PathFromText(const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    std::error_code ec;
    if (fs::exists(RealFilePath(text), ec)) return text;
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && digit(text[i + 1]) >= 0 && digit(text[i + 2]) >= 0) {
            out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {
constexpr std::string_view kTempPrefix = ".~vk";
constexpr std::string_view kTempSuffix = ".tmp";

// The process id in a temporary file name of the pattern; 0 for any other name.
pid_t TempFileOwner(const std::string& name) {
    if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || name.compare(0, kTempPrefix.size(), kTempPrefix) != 0 ||
        name.compare(name.size() - kTempSuffix.size(), kTempSuffix.size(), kTempSuffix) != 0)
        return 0;
    std::string_view mid(name);
    mid = mid.substr(kTempPrefix.size(), mid.size() - kTempPrefix.size() - kTempSuffix.size());
    const std::size_t dash = mid.find('-');
    if (dash == 0 || dash == std::string_view::npos) return 0;
    long long pid = 0;
    for (char c : mid.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 100000000) return 0;
        pid = pid * 10 + (c - '0');
    }
    for (char c : mid.substr(dash + 1))
        if (c < '0' || c > '9') return 0;
    return static_cast<pid_t>(pid);
}
}  // namespace

std::string FileErrorText(int e) {
    switch (e) {
        case ENOENT: return "der Ordner existiert nicht";
        case EACCES:
        case EPERM: return "keine Berechtigung";
        case ENOSPC: return "der Datenträger ist voll";
        case EFBIG: return "die Datei wird größer, als erlaubt ist";
        case EDQUOT: return "das Speicherkontingent ist erschöpft";
        case EROFS: return "der Datenträger ist schreibgeschützt";
        case EISDIR: return "an dieser Stelle liegt ein Ordner";
        case ENAMETOOLONG: return "der Name ist zu lang";
        default: return std::strerror(e);
    }
}

// Writes to a temporary file beside the target and renames it over the
// target, so the target is either the old file or the complete new one.
// A file marked read-only is not replaced, and a replaced file keeps its
// permissions; a symbolic link is followed to the file it names.
namespace {

// The litter of dead processes is cleared from a folder the first time this
// process writes there: no process that ends later leaves any that a later
// write of this one would need to clear (the next process does), and reading
// a large folder for each file written (a temporary folder holds many) cost
// more than the writing itself. A folder made again is another folder.
void RemoveStaleTempFilesOnce(const fs::path& folder) {
    static std::mutex mutex;
    static std::set<std::tuple<uint64_t, uint64_t, int64_t, uint32_t>> cleared;
    struct statx sx {};
    // The folder's birth time tells a folder made again under a number of
    // an old one; without it every write clears.
    if (::statx(AT_FDCWD, folder.empty() ? "." : folder.c_str(), 0, STATX_INO | STATX_BTIME, &sx) == 0 &&
        (sx.stx_mask & STATX_BTIME)) {
        const auto key = std::make_tuple((static_cast<uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor,
                                         static_cast<uint64_t>(sx.stx_ino), static_cast<int64_t>(sx.stx_btime.tv_sec),
                                         sx.stx_btime.tv_nsec);
        std::lock_guard lock(mutex);
        if (!cleared.insert(key).second) return;
    }
    RemoveStaleTempFiles(folder);
}

bool WriteFileBeside(std::string path, std::string_view data, std::string& reason, bool sync) {
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        fs::path target = fs::weakly_canonical(path, ec);
        if (!ec) path = target.string();
    }
    struct stat old {};
    bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && ((old.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)) {
        reason = "die Datei ist schreibgeschützt";
        return false;
    }
    const fs::path folder = fs::path(path).parent_path();
    RemoveStaleTempFilesOnce(folder);
    std::string tmp = TempFileBeside(folder, counter++).string();
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = FileErrorText(errno);
        return false;
    }
    if (exists) (void)::fchmod(fd, old.st_mode & 07777);
    const char* p = data.data();
    std::size_t left = data.size();
    bool ok = true;
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    if (ok && sync && ::fsync(fd) != 0) ok = false;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        reason = FileErrorText(err);
    }
    return ok;
}

}  // namespace

bool WriteFileAtomic(std::string path, std::string_view data, std::string& reason) {
    return WriteFileBeside(std::move(path), data, reason, true);
}

bool WriteFileReplacing(std::string path, std::string_view data, std::string& reason) {
    return WriteFileBeside(std::move(path), data, reason, false);
}

fs::path TempFileBeside(const fs::path& folder, unsigned counter) {
    std::string name = std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(counter) +
                       std::string(kTempSuffix);
    return folder.empty() ? fs::path(name) : folder / name;
}

int RemoveStaleTempFiles(const fs::path& folder) {
    int removed = 0;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const pid_t pid = TempFileOwner(it->path().filename().string());
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to judge
        std::error_code ec2;
        if (it->is_regular_file(ec2) && fs::remove(it->path(), ec2)) ++removed;
    }
    return removed;
}

// The lock is taken beside the file the path resolves to.
fs::path FileLock::LockFileOf(const fs::path& given) {
    // The lock belongs to the file itself, not to the name it was reached
    // by: a symbolic link (or a folder reached through one) and the file's
    // own path give the same lock.
    std::error_code ec;
    fs::path file = fs::weakly_canonical(given, ec);
    if (ec || file.empty()) file = given;
    fs::path lock = SideFileName(file.string(), ".lck");
    if (lock.filename().string().size() > 255) {
        // A name without the ".vkx" ending at the limit: a short name of the
        // same folder made from the file's name.
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(std::hash<std::string>{}(file.filename().string())));
        lock = file.parent_path() / (std::string(".~vk") + hex + ".lck");
    }
    return lock;
}

bool FileLock::Acquire(const fs::path& file, std::string& why) {
    Release();
    const fs::path lock = LockFileOf(file);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            why = std::string("die Sperrdatei '") + lock.string() + "' kann nicht angelegt werden (" +
                  std::strerror(errno) + ")";
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            ::close(fd);
            why = e == EWOULDBLOCK ? "sie wird gerade von einem anderen Programm berechnet"
                                   : std::string("die Sperrdatei kann nicht gesperrt werden (") + std::strerror(e) + ")";
            return false;
        }
        // The file locked must still be the one of that name: a run that
        // ended in between removed it, and the lock belongs on the new one.
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(lock.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            fd_ = fd;
            path_ = lock;
            return true;
        }
        ::close(fd);
    }
    why = "die Sperrdatei '" + lock.string() + "' wechselt fortwährend";
    return false;
}

void FileLock::Release() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

std::string WhyNotWritable(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && ((st.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0))
        return "die Datei ist schreibgeschützt";
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (::access(folder.c_str(), W_OK) != 0) return "der Ordner ist schreibgeschützt";
    return {};
}

std::vector<fs::path> FindFiles(const fs::path& folder, const std::string& pattern) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
    // "*.*" matches names without a point as well, as the pattern always did.
    const bool dotStar = pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (it->is_directory(ec2)) continue;
        std::string name = it->path().filename().string();
        if (MatchWild(pattern, name) ||
            (dotStar && name.find('.') == std::string::npos && MatchWild(pattern, name + ".")))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return found;
}

std::optional<fs::file_time_type> FileTime(const fs::path& p) {
    std::error_code ec;
    auto t = fs::last_write_time(p, ec);
    if (ec) return std::nullopt;
    return t;
}

FileIdentity IdentityOf(const fs::path& file) {
    struct stat st {};
    if (file.empty() || ::stat(file.c_str(), &st) != 0) return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec};
}

namespace {

// The names of a folder, read once and kept while the folder stays as it
// was: a program looks up the same few names in its installation folders
// again and again (catalogue, programs, profiles), and each miss read the
// whole folder. A listing is kept only when the folder had not changed for
// a while when it was read; a folder changed later carries a newer change
// time (the file system's clock runs in steps, so a change within the step
// of the reading could keep the time, and such a listing is not kept).
struct FolderListing {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    std::vector<std::string> names;
};

std::mutex g_listingMutex;
std::map<std::string, FolderListing> g_listings;

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The names in dir that equal want without regard to case, counted, and
// the last of them (count 0 when the folder cannot be read).
int MatchInFolder(const fs::path& dir, const std::string& want, std::string& match) {
    int count = 0;
    auto look = [&](const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (EqualsNoCase(name, want)) {
                ++count;
                match = name;
            }
    };
    const fs::path folder = dir.empty() ? fs::path(".") : dir;
    struct stat st {};
    const bool known = ::stat(folder.c_str(), &st) == 0;
    if (known) {
        std::lock_guard lock(g_listingMutex);
        auto it = g_listings.find(folder.string());
        if (it != g_listings.end() && it->second.dev == st.st_dev && it->second.ino == st.st_ino &&
            SameTime(it->second.mtime, st.st_mtim)) {
            look(it->second.names);
            return count;
        }
    }
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) names.push_back(it->path().filename().string());
    look(names);
    if (ec || !known) return count;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    constexpr time_t kSettled = 2;  // seconds, far beyond any step of the file system's clock
    if (now.tv_sec - st.st_mtim.tv_sec > kSettled) {
        std::lock_guard lock(g_listingMutex);
        g_listings[folder.string()] = FolderListing{st.st_dev, st.st_ino, st.st_mtim, std::move(names)};
    }
    return count;
}

}  // namespace

fs::path ResolveCaseInsensitive(const fs::path& p) {
    std::error_code ec;
    if (p.empty() || fs::exists(p, ec)) return p;
    fs::path dir = p.parent_path();
    const std::string want = p.filename().string();
    if (want.empty()) return p;
    std::string match;
    // Two names that differ only in case: no guess.
    return MatchInFolder(dir, want, match) == 1 ? dir / match : p;
}

// ----- time and environment ------------------------------------------------

SystemTime UtcNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    time_t secs = ts.tv_sec;
    gmtime_r(&secs, &tm);
    return SystemTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                      tm.tm_min,         tm.tm_sec,     static_cast<int>(ts.tv_nsec / 1000000)};
}

void Sleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::optional<std::string> GetEnv(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    if (!v) return std::nullopt;
    return std::string(v);
}

// ----- libraries -------------------------------------------------------------

namespace {

// A stored name with a folder ("C:\\Prog\\Tovik.dll", "/opt/x/libA.so"): the
// folder counts only when it exists here; a Windows drive path or a folder
// that is not there leaves the bare name, found as any other.
fs::path UsableFolder(const fs::path& given) {
    if (!given.has_parent_path()) return {};
    const std::string s = given.string();
    if (s.size() >= 2 && s[1] == ':') return {};
    std::error_code ec;
    if (!fs::is_directory(given.parent_path(), ec)) return {};
    return given.parent_path();
}

// Removes a Windows extension (".dll", ".exe") from a stored name.
std::string WithoutExtension(const std::string& name, std::string_view ext) {
    if (name.size() > ext.size() && ToLowerAscii(name.substr(name.size() - ext.size())) == ext)
        return name.substr(0, name.size() - ext.size());
    return name;
}

// The libraries that stand for another name (LoadLibraryAs): the name's
// stem in lower case and the file that was opened for it.
struct StandIns {
    std::mutex mutex;
    std::map<std::string, std::string> files;
};
StandIns& LibraryStandIns() {
    static StandIns s;
    return s;
}

void* OpenLibrary(const std::string& name, std::string* error, bool standIns) {
    std::string errors;
    auto tryOpen = [&](const std::string& file) -> void* {
        dlerror();
        void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            const char* e = dlerror();
            if (!errors.empty()) errors += "; ";
            errors += e ? e : file;
        }
        return h;
    };
    if (name.empty()) {
        if (error) *error = "empty library name";
        return nullptr;
    }
    const fs::path given(ToSlashPath(name));
    const std::string stem = WithoutExtension(given.filename().string(), ".dll");
    const fs::path named = UsableFolder(given);
    const bool hasDir = !named.empty();
    // A library that stands for this name answers for it.
    if (standIns && !hasDir) {
        std::string standIn;
        {
            StandIns& s = LibraryStandIns();
            std::lock_guard<std::mutex> lock(s.mutex);
            if (auto it = s.files.find(ToLowerAscii(stem)); it != s.files.end()) standIn = it->second;
        }
        if (!standIn.empty()) {
            if (void* h = tryOpen(standIn)) return h;
            if (error) *error = errors;
            return nullptr;
        }
    }
    const fs::path dir = hasDir ? named : HostExecutablePath().parent_path();
    std::vector<std::string> names{"lib" + stem + ".so", stem + ".so"};
    if (stem != given.filename().string() || given.extension() == ".so") names.push_back(given.filename().string());
    // In the named folder (or the host's), with the file name's case resolved.
    for (const auto& n : names) {
        fs::path f = ResolveCaseInsensitive(dir / n);
        if (IsFile(f))
            if (void* h = tryOpen(f.string())) return h;
    }
    // Then the loader's search path.
    if (!hasDir)
        for (const auto& n : names)
            if (void* h = tryOpen(n)) return h;
    if (error) *error = errors.empty() ? "library '" + name + "' not found" : errors;
    return nullptr;
}

}  // namespace

void* LoadLibraryAs(const std::string& file, const std::string& name, std::string* error) {
    // The file itself, whatever stands for its name so far.
    void* h = OpenLibrary(file, error, false);
    if (!h || name.empty()) return h;
    // The file the loader opened, so that later loads take this very one.
    link_map* map = nullptr;
    if (dlinfo(h, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || !*map->l_name) return h;
    const fs::path given(ToSlashPath(name));
    const std::string stem = ToLowerAscii(WithoutExtension(given.filename().string(), ".dll"));
    StandIns& s = LibraryStandIns();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.files[stem] = map->l_name;
    return h;
}

void* LoadLibrary(const std::string& name, std::string* error) { return OpenLibrary(name, error, true); }

void* GetProcAddress(void* lib, const std::string& symbol) {
    if (!lib) return nullptr;
    dlerror();
    return dlsym(lib, symbol.c_str());
}

void FreeLibrary(void* lib) {
    if (lib) dlclose(lib);
}

fs::path FindProgram(const std::string& name) {
    if (name.empty()) return {};
    auto executable = [](const fs::path& p) { return IsFile(p) && ::access(p.c_str(), X_OK) == 0; };
    const fs::path given(ToSlashPath(name));
    const std::string stem = WithoutExtension(given.filename().string(), ".exe");
    if (const fs::path named = UsableFolder(given); !named.empty()) {
        for (const fs::path& c : {named / stem, given}) {
            fs::path r = ResolveCaseInsensitive(c);
            if (executable(r)) return r;
        }
        return {};
    }
    fs::path hostDir = HostExecutablePath().parent_path();
    if (!hostDir.empty()) {
        fs::path r = ResolveCaseInsensitive(hostDir / stem);
        if (executable(r)) return r;
    }
    std::string pathVar = GetEnv("PATH").value_or("/usr/local/bin:/usr/bin:/bin");
    size_t pos = 0;
    while (pos <= pathVar.size()) {
        size_t colon = pathVar.find(':', pos);
        if (colon == std::string::npos) colon = pathVar.size();
        fs::path d = pathVar.substr(pos, colon - pos);
        if (d.empty()) d = ".";
        if (executable(d / stem)) return d / stem;
        pos = colon + 1;
    }
    return {};
}

}  // namespace winsys
