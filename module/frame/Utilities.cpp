#include "module/frame/Utilities.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "module/frame/ModuleMessages.h"

namespace fs = std::filesystem;

// ---- paths ---------------------------------------------------------------

namespace {

std::string WithoutClosingSeparator(std::string s) {
    while (s.size() > 1 && (s.back() == '/' || s.back() == '\\')) s.pop_back();
    return s;
}

}  // namespace

std::string GetHostExeDir() {
    return WithoutClosingSeparator(winsys::HostExecutablePath().parent_path().string());
}

std::string GetInstallRoot() {
    return WithoutClosingSeparator(winsys::HostExecutablePath().parent_path().parent_path().string());
}

std::string GetCurrentDir() {
    std::string d = winsys::CurrentDirectory().string();
    if (d.empty()) return "/";
    return WithoutClosingSeparator(d);
}

std::string GetCommonAppDataDir() {
    return WithoutClosingSeparator(winsys::CommonDataFolder().string());
}

std::string GetDataDir() {
    std::string dir = GetCommonAppDataDir();
    if (dir.size() > 4) dir += "/vkt";
    std::error_code ec;
    if (!dir.empty() && fs::exists(dir, ec)) return dir;
    return GetInstallRoot();
}

CCurDirKeeper::CCurDirKeeper() : m_dir(winsys::CurrentDirectory()) {}

CCurDirKeeper::~CCurDirKeeper() {
    if (!m_dir.empty()) winsys::SetCurrentDirectory(m_dir);
}

// ---- help and documents ----------------------------------------------------

namespace {

// No help files (compiled help, PDF manuals) are installed with the
// program: a help button that finds none says so and names the README of
// the installation, which describes the program.
bool OpenWithDesktop(const fs::path& file) {
    fs::path resolved = winsys::ResolveCaseInsensitive(file);
    std::error_code ec;
    if (!fs::exists(resolved, ec)) {
        const std::string readme = (fs::path(GetInstallRoot()) / "README.md").string();
        rigel::ShowCommonMessage("Help",
                                 "Zu diesem Programm ist keine Hilfe installiert ('%s' fehlt). Die Beschreibung "
                                 "des Programms steht in der Datei '%s'.",
                                 resolved.filename().string().c_str(), readme.c_str());
        return false;
    }
    return winsys::ShellOpen(resolved);
}

}  // namespace

bool OpenHelpTopic(const std::string& helpFile, const std::string& topic) {
    (void)topic;
    return OpenWithDesktop(fs::path(GetHostExeDir()) / helpFile);
}

bool OpenProgramDocument(const std::string& fileName) {
    return OpenWithDesktop(fs::path(GetInstallRoot()) / fileName);
}

// ---- log -----------------------------------------------------------------

CLogFile::CLogFile(std::string path) : m_path(std::move(path)) {}

std::string FormatLogStamp(const winsys::SystemTime& t) {
    return winsys::FormatC("[%02d.%02d.%04d / %02d:%02d:%02d:%04d]", t.day, t.month, t.year, t.hour,
                           t.minute, t.second, t.millisecond);
}

bool WriteLogLine(CLogFile& log, const std::string& text) {
    constexpr int kAttempts = 10;
    constexpr int kPauseMs = 20;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        f = std::fopen(log.Path().c_str(), "a");
        if (f) break;
        if (attempt + 1 < kAttempts) {
            if (log.sleep)
                log.sleep(kPauseMs);
            else
                winsys::Sleep(kPauseMs);
        }
    }
    if (!f) return false;  // given up silently
    winsys::SystemTime now = log.clock ? log.clock() : winsys::UtcNow();
    std::string line = FormatLogStamp(now) + " " + text + "\n";
    bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

CLogFile& StartupLog() {
    // Built on first use, so that it never depends on another unit's globals.
    // The log lies in the user's state folder (the installation may be
    // read-only) and is kept bounded: past kMaxStartupLogBytes the old lines
    // move to "startup.log.1", replacing the lines before them.
    static CLogFile log("");
    const fs::path folder = winsys::StateFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path file = folder / "startup.log";
    if (fs::file_size(file, ec) > kMaxStartupLogBytes && !ec) fs::rename(file, folder / "startup.log.1", ec);
    log.SetPath(file.string());
    return log;
}

void WriteStartupLog(const std::string& text) { WriteLogLine(StartupLog(), text); }

// ---- processes -------------------------------------------------------------

namespace {

// Whether the program of an argument vector can be started at all: a path
// must name an executable file, a bare name must be found on the search path.
int ProgramStartError(const std::string& program) {
    if (program.empty()) return ENOENT;
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0 ? 0 : errno;
    fs::path found = winsys::FindProgram(program);
    if (found.empty()) return ENOENT;
    return ::access(found.c_str(), X_OK) == 0 ? 0 : errno;
}

long StartChecked(const std::vector<std::string>& argv) {
    int err = argv.empty() ? ENOENT : ProgramStartError(argv.front());
    long pid = -1;
    if (err == 0) {
        errno = 0;
        pid = winsys::StartProcess(argv);
        if (pid < 0) err = errno != 0 ? errno : ENOEXEC;
    }
    if (pid < 0) winsys::MessageBox(std::strerror(err), "Error", winsys::Buttons::Ok, winsys::Icon::Information);
    return pid;
}

}  // namespace

int RunProcessWait(const std::vector<std::string>& argv, int showWindow) {
    (void)showWindow;
    long pid = StartChecked(argv);
    if (pid < 0) return -1;
    return winsys::WaitProcess(pid);
}

int RunProcess(const std::vector<std::string>& argv, int showWindow) {
    (void)showWindow;
    return StartChecked(argv) < 0 ? 0 : 1;
}

// ---- files -----------------------------------------------------------------

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' and '?' wildcards; letters compare without regard to case, as the
// file search of the original platform does.
bool MatchPattern(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<std::string> CFileFinder::FindFiles(const std::string& pattern, uint32_t attrMask) {
    std::vector<std::string> result;
    std::string dirPart = GetDirectoryPart(pattern, true);
    std::string namePattern = pattern.substr(dirPart.size());
    fs::path folder = dirPart.empty() ? fs::path(".") : fs::path(dirPart);
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name == "." || name == ".." || !MatchPattern(namePattern, name)) continue;
        if (attrMask != 0) {
            std::error_code sec;
            uint32_t attrs = 0;
            fs::file_status st = it->status(sec);
            if (fs::is_directory(st)) attrs |= FILE_ATTR_DIRECTORY;
            if (!sec && (st.permissions() & fs::perms::owner_write) == fs::perms::none) attrs |= FILE_ATTR_READONLY;
            if (name[0] == '.') attrs |= FILE_ATTR_HIDDEN;
            if (attrs == 0) attrs = FILE_ATTR_NORMAL;
            if ((attrs & attrMask) == 0) continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());  // a stable order, whatever the file system gives
    for (const std::string& name : names) result.push_back(dirPart + name);
    return result;
}

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

void SortStringList(std::vector<std::string>& list, bool caseSensitive) {
    // Exchange sort: each later element lower than the one at the position
    // is swapped into it.
    for (size_t i = 0; i < list.size(); ++i) {
        for (size_t j = i + 1; j < list.size(); ++j) {
            int c = caseSensitive ? list[j].compare(list[i]) : CompareNoCase(list[j], list[i]);
            if (c < 0) std::swap(list[i], list[j]);
        }
    }
}

std::string GetFileExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == path.size()) return {};
    // A dot inside a folder name is no extension; a name beginning with a dot has none.
    size_t sep = path.find_last_of("/\\");
    if (sep != std::string::npos && (dot < sep || dot == sep + 1)) return {};
    return winsys::ToLowerAscii(path.substr(dot + 1));
}

std::string GetDirectoryPart(const std::string& path, bool keepDrive) {
    size_t sep = path.find_last_of("/\\");
    std::string dir = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
    if (!keepDrive) {
        size_t colon = dir.find(':');
        if (colon != std::string::npos) dir.erase(0, colon + 1);
    }
    return dir;
}

bool GetFileTime(const std::string& path, std::time_t& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = st.st_mtime;
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool FileCanBeOpened(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// ---- small utilities ----------------------------------------------------------

int SignOf(int v) { return v < 0 ? -1 : 1; }

double Atan2Int(int y, int x) { return std::atan2(static_cast<double>(y), static_cast<double>(x)); }

double PowInt(int base, int exponent) { return std::pow(static_cast<double>(base), static_cast<double>(exponent)); }

std::string IntToString(int32_t value, int radix) {
    if (radix < 2 || radix > 36) return {};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    bool negative = radix == 10 && value < 0;
    uint64_t v = negative ? static_cast<uint64_t>(-static_cast<int64_t>(value)) : static_cast<uint32_t>(value);
    std::string s;
    do {
        s.insert(s.begin(), digits[v % static_cast<uint64_t>(radix)]);
        v /= static_cast<uint64_t>(radix);
    } while (v != 0);
    if (negative) s.insert(s.begin(), '-');
    return s;
}

namespace {

std::string Trim(const std::string& s) {
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

}  // namespace

void SplitString(const std::string& text, char separator, std::vector<std::string>& out) {
    out.clear();
    std::string rest = text;
    while (!rest.empty()) {
        size_t pos = rest.find(separator);
        if (pos == std::string::npos) {
            out.push_back(rest);
            rest.clear();
        } else {
            out.push_back(rest.substr(0, pos));
            rest = rest.substr(pos + 1);
        }
        rest = Trim(rest);
    }
}

std::pair<std::string, std::string> MakeTextPair(const std::string& a, const std::string& b) { return {a, b}; }

bool IsDeveloperDumpOn() {
    std::optional<std::string> v = winsys::GetEnv("VKTUSER");
    return v && (*v == "DEDUV" || *v == "Deduv");
}

// ---- fingerprints ------------------------------------------------------------

bool CFingerprint::FromElement(ZVELEM elem) {
    Clear();
    if (ZEVUD_GetFingerPrint(elem, m_bytes) == 1) return true;
    Clear();
    return false;
}

bool CFingerprint::FromFile(const std::string& path) {
    Clear();
    ZEVUD_GetFingerPrintOfFile(path.c_str(), m_bytes);
    return !IsZero();
}

bool CFingerprint::IsZero() const {
    for (unsigned char b : m_bytes)
        if (b != 0) return false;
    return true;
}

void CFingerprint::Clear() { std::memset(m_bytes, 0, sizeof m_bytes); }

bool CFingerprint::operator==(const CFingerprint& o) const { return std::memcmp(m_bytes, o.m_bytes, sizeof m_bytes) == 0; }
