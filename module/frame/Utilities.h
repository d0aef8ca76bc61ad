// Services the module leans on for files, folders, processes and logs:
// installation paths, the log writer, the process launcher, the file finder,
// fingerprints and a few small text and number helpers.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

// ---- paths ---------------------------------------------------------------
// All without a closing separator.
std::string GetHostExeDir();     // directory of the host executable
std::string GetInstallRoot();    // the host executable's directory less one level
std::string GetCurrentDir();     // the current directory ("/" when it cannot be read)
std::string GetCommonAppDataDir();  // the common data folder ("" when there is none)
// The common data folder with "/vkt" appended when that path is longer than
// four characters; that path when it exists, otherwise the installation root.
std::string GetDataDir();

// Remembers the current directory and sets it back at destruction.
class CCurDirKeeper {
public:
    CCurDirKeeper();
    ~CCurDirKeeper();
    CCurDirKeeper(const CCurDirKeeper&) = delete;
    CCurDirKeeper& operator=(const CCurDirKeeper&) = delete;

private:
    std::filesystem::path m_dir;
};

// ---- help and documents ----------------------------------------------------
// Opens a help file in the host executable's directory with the desktop's
// default program. The topic is kept for the caller's record; a desktop
// viewer opens the file at its start. False when the file is missing or no
// program could be started (the user is told in both cases).
bool OpenHelpTopic(const std::string& helpFile, const std::string& topic = {});
// Opens a file of the installation root with the desktop's default program.
bool OpenProgramDocument(const std::string& fileName);

// ---- log -----------------------------------------------------------------
// One log file; each WriteLogLine appends one line
// "[dd.mm.yyyy / hh:mm:ss:mmmm] text". The clock and the pause between
// attempts can be replaced (tests).
class CLogFile {
public:
    explicit CLogFile(std::string path);
    const std::string& Path() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }

    std::function<winsys::SystemTime()> clock;  // UTC now by default
    std::function<void(int)> sleep;             // pause in milliseconds

private:
    std::string m_path;
};

// Appends one line; the file is opened up to ten times, 20 ms apart, and the
// line is given up silently after that. Returns whether it was written.
bool WriteLogLine(CLogFile& log, const std::string& text);
// The stamp of a log line for the given time.
std::string FormatLogStamp(const winsys::SystemTime& t);
// The start-up log "startup.log" in the user's state folder
// (winsys::StateFolder), bounded to about kMaxStartupLogBytes plus one older
// generation "startup.log.1".
inline constexpr std::uintmax_t kMaxStartupLogBytes = 256 * 1024;
CLogFile& StartupLog();
void WriteStartupLog(const std::string& text);

// ---- processes -------------------------------------------------------------
// Processes start from an argument vector (program first); no shell is
// involved and no length limit applies. The show-window value is accepted
// for the callers' sake; this platform has no use for it.
// Waits for the end of the process and returns its exit code; -1 when it
// could not be started (the user is told).
int RunProcessWait(const std::vector<std::string>& argv, int showWindow = 1);
// Starts the process without waiting; nonzero on success.
int RunProcess(const std::vector<std::string>& argv, int showWindow = 1);

// ---- files -----------------------------------------------------------------
// File attributes as the finder's mask uses them.
enum : uint32_t {
    FILE_ATTR_READONLY = 0x01,
    FILE_ATTR_HIDDEN = 0x02,
    FILE_ATTR_DIRECTORY = 0x10,
    FILE_ATTR_ARCHIVE = 0x20,
    FILE_ATTR_NORMAL = 0x80,
};

class CFileFinder {
public:
    virtual ~CFileFinder() = default;
    // All matches of a pattern with a directory part ("dir/*.pi"), as full
    // paths. A mask (0 = any) skips matches whose attributes share no bit
    // with it.
    std::vector<std::string> FindFiles(const std::string& pattern, uint32_t attrMask = 0);
};

// Sorts ascending in place; without the case flag the comparison ignores
// the case of ASCII letters.
void SortStringList(std::vector<std::string>& list, bool caseSensitive);
// The text after the last '.', lower-cased; empty when the dot is the first
// or the last character of the name or there is none.
std::string GetFileExtension(const std::string& path);
// Everything up to and including the last '/' or '\'; without keepDrive the
// part up to and including ':' is removed as well.
std::string GetDirectoryPart(const std::string& path, bool keepDrive);
// The file's modification time (seconds since the epoch); false when there
// is none.
bool GetFileTime(const std::string& path, std::time_t& out);
bool FileExists(const std::string& path);
bool FileCanBeOpened(const std::string& path);

// ---- small utilities ----------------------------------------------------------
int SignOf(int v);
double Atan2Int(int y, int x);
double PowInt(int base, int exponent);
// The integer in radix 2..36 (lower-case digits); negative numbers carry a
// '-' in radix 10 and are taken as unsigned 32-bit values otherwise.
std::string IntToString(int32_t value, int radix);
// Splits at a separator: the first part is kept as it stands, the rest is
// trimmed on both sides before each further split.
void SplitString(const std::string& text, char separator, std::vector<std::string>& out);
// Whether an object's run-time class name (its virtual ClassName()) equals a text.
template <class T>
bool IsClassNamed(const T* object, std::string_view name) {
    return object != nullptr && name == object->ClassName();
}
std::pair<std::string, std::string> MakeTextPair(const std::string& a, const std::string& b);
// The developer switch: the environment variable "VKTUSER" set to the
// developer value.
bool IsDeveloperDumpOn();

// ---- fingerprints ------------------------------------------------------------
class CFingerprint {
public:
    CFingerprint() = default;
    virtual ~CFingerprint() = default;
    CFingerprint(const CFingerprint&) = default;
    CFingerprint& operator=(const CFingerprint&) = default;

    // Fills from a document element or a file; all zero when that fails.
    bool FromElement(ZVELEM elem);
    bool FromFile(const std::string& path);
    bool IsZero() const;
    void Clear();
    const unsigned char* Bytes() const { return m_bytes; }
    unsigned char* Bytes() { return m_bytes; }
    bool operator==(const CFingerprint& o) const;
    bool operator!=(const CFingerprint& o) const { return !(*this == o); }

private:
    unsigned char m_bytes[16] = {};
};
