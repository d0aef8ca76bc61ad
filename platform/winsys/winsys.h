// System services used throughout the program: message boxes and questions,
// the per-user registry, paths and files, processes, time, library loading,
// and the locale-independent number and file-name helpers.
//
// One shared library, so that the host, DlgRigel and Tovik share one state
// (one message sink, one registry, one host path).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define WINSYS_API __attribute__((visibility("default")))

namespace winsys {

// ===================================================================
// Messages and questions: every message box of the system goes here.
// ===================================================================
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Icon { None, Information, Warning, Error, Question };
// Answers, with the values of the classic dialog results.
enum Answer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7, IdRetry = 4 };

struct Message {
    std::string text;
    std::string caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    // The answer a run without a user takes (0: the default of the buttons).
    // A question names the answer that changes nothing outside the position.
    int batchAnswer = 0;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual int Show(const Message& m) = 0;
};

// Shows a message through the installed sink and returns the answer.
// batchAnswer: the answer of a run without a user (see Message).
WINSYS_API int MessageBox(const std::string& text, const std::string& caption = "",
                          Buttons buttons = Buttons::Ok, Icon icon = Icon::None, int batchAnswer = 0);
// The answer a run without a user gives to a message: its batchAnswer when
// that is one of its buttons, else the default for the buttons (Ok, Yes,
// Yes, Retry).
WINSYS_API int BatchAnswer(const Message& m);
// The German name of an answer ("Ja", "Nein", "OK", "Abbrechen", "Wiederholen").
WINSYS_API std::string AnswerName(int answer);
// Installs a sink (nullptr restores the default standard-error sink).
// Returns the previous one; the caller keeps ownership of what it installs.
WINSYS_API MessageSink* SetMessageSink(MessageSink* sink);
WINSYS_API MessageSink* GetMessageSink();
// Installs a sink for the messages of the calling thread only (nullptr: the
// thread's messages go to the process's sink again). A calculation on a
// worker thread collects its messages so, where no window can be shown.
// Returns the thread's previous sink.
WINSYS_API MessageSink* SetThreadMessageSink(MessageSink* sink);

// Default sink for batch runs: writes "caption: text" to standard error and
// answers with BatchAnswer; a question also gets the line
// "-> ohne Rückfrage beantwortet: <answer>", so the log says what was chosen.
class WINSYS_API StderrSink : public MessageSink {
public:
    int Show(const Message& m) override;
};

// Test sink: records every message; answers from a script, then a default.
class WINSYS_API RecordingSink : public MessageSink {
public:
    int Show(const Message& m) override;
    std::vector<Message> messages;
    std::vector<int> scriptedAnswers;  // consumed front to back
    int defaultAnswer = IdOk;
    void Clear() { messages.clear(); scriptedAnswers.clear(); }
};

// Installs a RecordingSink for the lifetime of the object (tests).
class WINSYS_API ScopedRecordingSink : public RecordingSink {
public:
    ScopedRecordingSink();
    ~ScopedRecordingSink() override;
    ScopedRecordingSink(const ScopedRecordingSink&) = delete;
    ScopedRecordingSink& operator=(const ScopedRecordingSink&) = delete;
private:
    MessageSink* previous_;
};

// ===================================================================
// Registry: a file-backed key/value store per user. Key paths use '\';
// key and value names compare without regard to case.
// ===================================================================
enum class Hive { CurrentUser, LocalMachine };
enum class RegType { None, String, Dword, MultiString, Binary };

struct RegValue {
    RegType type = RegType::None;
    std::string str;                 // String
    uint32_t dword = 0;              // Dword
    std::vector<std::string> multi;  // MultiString
    std::vector<unsigned char> bin;  // Binary
};

// The folder of the store: $VELOR_REGISTRY_DIR when set, else
// $XDG_CONFIG_HOME/velor2005 or ~/.config/velor2005. The user's hive is the
// file "user.reg" in it. The machine-wide hive is read from
// <install root>/registry/machine.reg (read-only: every change fails).
//
// File format (UTF-8 text, one record a line, fields separated by TAB;
// TAB, newline, carriage return and backslash inside a field are written
// as \t, \n, \r and \\):
//   VELOR-REGISTRY 1                  first line
//   K <key path>                      a key; "Software\VKT" is written
//                                     "Software\\VKT" (backslash escaped)
//   S <key path> <name> <text>        string value
//   D <key path> <name> <decimal>     32-bit value
//   M <key path> <name> <text>...     multi-string value (any count of texts)
//   B <key path> <name> <hex bytes>   binary value
// Every change rewrites the file through a temporary file and a rename; a
// file changed by another process is read again before the next access. A
// damaged file is reported once through the message sink, copied aside
// ("user.reg.damaged") and treated as empty. A file that cannot be read, or
// a damaged one that cannot be copied aside, is reported once and never
// overwritten: changes fail until it is mended.
WINSYS_API std::filesystem::path RegistryFolder();
// The folder of the user's state files (logs): $XDG_STATE_HOME/velor2005,
// else ~/.local/state/velor2005 (a temporary folder without a home). Not
// created here.
WINSYS_API std::filesystem::path StateFolder();
// Re-reads the store from disk (tests that switch the folder call this).
WINSYS_API void RegistryReload();

WINSYS_API bool RegKeyExists(Hive hive, const std::string& key);
// Creates a key with its parents (true when it exists afterwards). On the
// read-only machine hive it only opens: true when the key exists.
WINSYS_API bool RegCreateKey(Hive hive, const std::string& key);
WINSYS_API bool RegDeleteKey(Hive hive, const std::string& key);  // with subkeys
WINSYS_API std::optional<RegValue> RegGetValue(Hive hive, const std::string& key, const std::string& name);
WINSYS_API bool RegSetValue(Hive hive, const std::string& key, const std::string& name, const RegValue& v);
WINSYS_API bool RegDeleteValue(Hive hive, const std::string& key, const std::string& name);
WINSYS_API std::vector<std::string> RegEnumKeys(Hive hive, const std::string& key);
WINSYS_API std::vector<std::string> RegEnumValues(Hive hive, const std::string& key);
// Conveniences.
WINSYS_API std::optional<std::string> RegGetString(Hive hive, const std::string& key, const std::string& name);
WINSYS_API bool RegSetString(Hive hive, const std::string& key, const std::string& name, const std::string& v);

// ===================================================================
// Paths, files and folders
// ===================================================================
// The host executable's path: what the host registered, else /proc/self/exe.
WINSYS_API void SetHostExecutablePath(const std::filesystem::path& p);
WINSYS_API std::filesystem::path HostExecutablePath();
// The installation root: the directory above the host executable's directory.
WINSYS_API std::filesystem::path InstallRoot();
// The current directory; empty when it cannot be read.
WINSYS_API std::filesystem::path CurrentDirectory();
WINSYS_API bool SetCurrentDirectory(const std::filesystem::path& p);
// Common data folder: $VELOR_DATA_DIR, else <install root>/data.
WINSYS_API std::filesystem::path CommonDataFolder();
WINSYS_API std::filesystem::path TempDirectory();
// A unique, not yet existing file name in the temporary directory; the file
// is created empty so that no other run can take the name. Slashes in stem
// or ext are replaced; empty when no file can be made.
WINSYS_API std::filesystem::path UniqueTempFile(const std::string& stem, const std::string& ext);

// A file name as the program was given it or found it in stored data: taken
// as it is when that file (or its folder, for a new file) exists, since a
// backslash is a legal character of a file name here; otherwise a name of
// stored data whose backslashes read as '/'.
WINSYS_API std::string RealFilePath(const std::string& name);

// A file name kept as a text in a document. A name that is not UTF-8 (a raw
// byte of the file system) is written with each such byte as "%XX" and '%'
// as "%25", so that the document stays valid; PathFromText undoes it when
// the text does not name an existing file as it is.
WINSYS_API std::string PathToText(const std::string& path);
WINSYS_API std::string PathFromText(const std::string& text);

// Temporary files beside a file that is being replaced: a short name of a
// fixed pattern (".~vk<process id>-<counter>.tmp") in the same folder, so
// that a target name of any legal length still leaves room, and so that a
// later run recognises the litter of a process that died.
WINSYS_API std::filesystem::path TempFileBeside(const std::filesystem::path& folder, unsigned counter);
// Writes data to a temporary file beside path and renames it over path, so
// that path is either the old file or the complete new one. A read-only file
// is not replaced; a replaced file keeps its permissions; a symbolic link is
// followed. On failure reason says why (German) and path is untouched.
WINSYS_API bool WriteFileAtomic(std::string path, std::string_view data, std::string& reason);
// The same without forcing the data onto the disk before the rename: for
// files the program derives for itself and can make again (pictures and
// extracts of a report, the section file taken from a position), where a
// crash may lose the new file but never leaves a half-written one. A file
// of the user's (a saved position, the settings) takes WriteFileAtomic.
WINSYS_API bool WriteFileReplacing(std::string path, std::string_view data, std::string& reason);
// A short German text for a file-system error number.
WINSYS_API std::string FileErrorText(int errnoValue);
// Removes the temporary files of that pattern in the folder whose process no
// longer runs. Returns the number removed.
WINSYS_API int RemoveStaleTempFiles(const std::filesystem::path& folder);

// A lock beside a file against a second program working on it at the same
// time: an exclusive lock on "<name>.lck" (the final ".vkx" replaced), held
// until the object ends (and by the system until the process ends, however
// it ends); the lock file is removed on release, and one left by a killed
// process is taken over by the next run.
class WINSYS_API FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    // False with the reason when the lock is held by another process or
    // cannot be made.
    bool Acquire(const std::filesystem::path& file, std::string& why);
    void Release();
    static std::filesystem::path LockFileOf(const std::filesystem::path& file);

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

// Why a file cannot be replaced in place: empty when the file and its folder
// are writable, else a short reason ("die Datei ist schreibgeschützt",
// "der Ordner ist schreibgeschützt").
WINSYS_API std::string WhyNotWritable(const std::filesystem::path& file);

// Files in a folder matching a pattern with '*' and '?'; the extension part is
// matched without regard to case, the rest exactly. Sorted by name. Folders
// are not listed; "*.*" also matches names without a point. A missing
// folder gives an empty list.
WINSYS_API std::vector<std::filesystem::path> FindFiles(const std::filesystem::path& folder,
                                                        const std::string& pattern);
WINSYS_API std::optional<std::filesystem::file_time_type> FileTime(const std::filesystem::path& p);

// Resolves a path whose file name may differ in case from the file on disk:
// the exact name when it exists, else the single case-insensitive match in
// its folder, else the path unchanged.
WINSYS_API std::filesystem::path ResolveCaseInsensitive(const std::filesystem::path& p);

// What tells a file replaced by a new one (renamed over it) from the old one;
// a file written in place changes its change time and maybe its size. A
// missing file (or an empty name) has exists == false.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t changed = 0;
    long changedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
WINSYS_API FileIdentity IdentityOf(const std::filesystem::path& file);

// Side-file naming: replaces a final ".vkx" (any case) by newExt (e.g.
// ".rtf", ".temp.skw"); without one, appends newExt. The rest keeps its case.
WINSYS_API std::string SideFileName(const std::string& docPath, const std::string& newExt);
// Converts a backslash path of stored data to '/'.
WINSYS_API std::string ToSlashPath(std::string p);

// ===================================================================
// Time, environment
// ===================================================================
struct SystemTime {
    int year, month, day, hour, minute, second, millisecond;
};
WINSYS_API SystemTime UtcNow();
WINSYS_API void Sleep(int milliseconds);
WINSYS_API std::optional<std::string> GetEnv(const std::string& name);

// ===================================================================
// Libraries and processes
// ===================================================================
// Maps a library name of the stored data ("Tovik.dll", "Sectlib") to this
// platform: without the extension, as lib<name>.so or <name>.so in the host's
// directory (file name matched without regard to case), then on the loader
// path. A name with a folder that exists here is looked for in that folder
// only; a Windows folder ("C:\Prog\Tovik.dll") counts as the bare name.
WINSYS_API void* LoadLibrary(const std::string& name, std::string* error = nullptr);
// Loads the library file (named as LoadLibrary takes it) and lets it stand
// for name from then on: every later LoadLibrary of name in this process
// (with or without ".dll", any case, a Windows folder ignored) returns this
// library, never the file of that name. A library that calls its own
// routines by its stored name (a program record's "DlgRigel.dll") so
// reaches itself when it was loaded from a file of another name.
WINSYS_API void* LoadLibraryAs(const std::string& file, const std::string& name, std::string* error = nullptr);
WINSYS_API void* GetProcAddress(void* lib, const std::string& symbol);
WINSYS_API void FreeLibrary(void* lib);
// Program names ("skizze.exe") map to the host's directory, then PATH; a
// name with a folder is taken as LoadLibrary takes it. Empty when not found.
WINSYS_API std::filesystem::path FindProgram(const std::string& name);

// Starts a process from an argument vector (no shell). argv[0] is the
// program: a path, or a name looked up on PATH. The child inherits standard
// input, output and error only. Returns the pid or -1; on failure *error
// (when given) says why.
WINSYS_API long StartProcess(const std::vector<std::string>& argv,
                             const std::filesystem::path& workDir = {},
                             std::string* error = nullptr);
// Waits for a process started above; returns its exit code (-1 on failure).
WINSYS_API int WaitProcess(long pid);
// Opening and printing documents go through one replaceable shell service.
class ShellService {
public:
    virtual ~ShellService() = default;
    virtual bool Open(const std::filesystem::path& file) = 0;
    virtual bool Print(const std::filesystem::path& file) = 0;
};
// The desktop's shell: Open starts the default program (xdg-open) and, when
// there is none, says so through the message sink; Print says that printing
// is not set up (a host with printing installs a service of its own).
class WINSYS_API DesktopShell : public ShellService {
public:
    bool Open(const std::filesystem::path& file) override;
    bool Print(const std::filesystem::path& file) override;
};
// Test shell: records the calls ("open" or "print", file) and answers.
class WINSYS_API RecordingShell : public ShellService {
public:
    RecordingShell();  // installs itself
    ~RecordingShell() override;
    RecordingShell(const RecordingShell&) = delete;
    RecordingShell& operator=(const RecordingShell&) = delete;
    bool Open(const std::filesystem::path& file) override;
    bool Print(const std::filesystem::path& file) override;
    std::vector<std::pair<std::string, std::filesystem::path>> calls;
    bool answer = true;
private:
    ShellService* previous_;
};
// Installs a service (nullptr: the desktop's); returns the previous one. The
// caller keeps ownership.
WINSYS_API ShellService* SetShellService(ShellService* shell);
WINSYS_API ShellService* GetShellService();
// Opens or prints a file through the installed service; true when started.
WINSYS_API bool ShellOpen(const std::filesystem::path& file);
WINSYS_API bool ShellPrint(const std::filesystem::path& file);

// ===================================================================
// Numbers, independent of the locale
// ===================================================================
// Shortest text that reads back to exactly the same double.
WINSYS_API std::string FormatDouble(double v);
// printf-style formatting of one double with a "C" locale ("%.2lf", "%16.16le").
// A format that does not take exactly one double gives FormatDouble(v).
WINSYS_API std::string FormatDoubleC(const char* fmt, double v);
// printf-style formatting in the "C" locale for any arguments.
WINSYS_API std::string FormatC(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Parses a leading number ("2.50" -> 2.5, " 3abc" -> 3); nullopt without one.
// Accepts leading blanks and a sign; never depends on the locale. "inf",
// "nan" and values beyond the range of the type give nullopt; consumed
// counts the characters read, blanks included.
WINSYS_API std::optional<double> ParseDouble(std::string_view s, size_t* consumed = nullptr);
WINSYS_API std::optional<long long> ParseInt(std::string_view s, size_t* consumed = nullptr);

// One conversion of a printf format, as ParsePrintfFormat finds it.
enum class PrintfArgKind { None, Int, Long, LongLong, Double, LongDouble, String, Pointer };
struct WINSYS_API PrintfConversion {
    size_t begin = 0, end = 0;   // the conversion's text is fmt[begin, end)
    std::string flags;           // "-+ #0'"
    bool starWidth = false;      // '*' width: takes an int argument first
    bool starPrecision = false;  // '.*' precision: takes an int argument first
    std::string length;          // "", "hh", "h", "l", "ll", "L", "j", "z", "t", "q"
    char conversion = 0;         // 'd', 'f', 's' ... or '%' for "%%"
    // The kind of argument the conversion reads (None for "%%").
    PrintfArgKind Kind() const;
};
// The conversions of a printf format in order ("%%" included, with
// conversion '%'); nullopt for a format that is malformed or that uses
// numbered arguments ("%1$s"), "%n" or an unknown conversion.
WINSYS_API std::optional<std::vector<PrintfConversion>> ParsePrintfFormat(std::string_view fmt);

// Text helpers.
WINSYS_API std::string ToLowerAscii(std::string s);
// Compares without regard to case: ASCII letters and the Latin-1 letters
// of UTF-8 ("Ä" equals "ä").
WINSYS_API bool EqualsNoCase(std::string_view a, std::string_view b);
// Folds a UTF-8 text for case-insensitive comparison (ASCII and Latin-1
// letters to lower case); other bytes stay.
WINSYS_API std::string FoldCase(std::string_view s);
// A user's text echoed in a message: at most maxBytes bytes of whole UTF-8
// characters, followed by "..." when it was cut.
WINSYS_API std::string ShortenForMessage(std::string_view text, size_t maxBytes = 40);
// Appends the UTF-8 form of one code point.
WINSYS_API void AppendUtf8(std::string& out, char32_t c);
// The character of one byte of code page 1252; the five bytes the code page
// leaves free keep their own (C1) code point.
WINSYS_API char32_t Cp1252ToUnicode(unsigned char byte);

// ===================================================================
// Text in the "Symbol" font: its bytes stand for Greek letters and signs
// (a -> alpha, c -> chi, j -> phi, q -> theta, 0xC6 -> empty set, 0xB0 ->
// degree, 0xA3 -> less or equal ...). Data keeps the bytes; what is shown
// is their Unicode character.
// ===================================================================
// The character of a byte; bytes the font leaves empty stand for themselves.
WINSYS_API char32_t SymbolToUnicode(unsigned char byte);
// The byte of a character, or nullopt when the font has none.
WINSYS_API std::optional<unsigned char> UnicodeToSymbol(char32_t c);
// Whole texts: bytes -> UTF-8, and UTF-8 -> bytes (characters the font
// lacks are given as '?'; *complete, when given, says whether all were there).
WINSYS_API std::string SymbolToUtf8(std::string_view bytes);
WINSYS_API std::string Utf8ToSymbol(std::string_view utf8, bool* complete = nullptr);

// ===================================================================
// Progress windows: the window of a long run comes from one replaceable
// provider (the window layer's, when windows can be made). Without one the
// run's progress logic works alone and nothing is shown.
// ===================================================================
// One open progress window, made from a dialog template.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetItemText(int id, const std::string& text) = 0;
    virtual std::string GetItemText(int id) const = 0;
    // The bar of control id: full 32-bit range and position.
    virtual void SetBar(int id, int32_t lower, int32_t upper, int32_t pos) = 0;
    // Whether the cancel button was pressed since the window was opened.
    virtual bool CancelPressed() const = 0;
    // Handles the waiting events of the thread (the user interface stays alive).
    virtual void Pump() = 0;
};
// Names under which a whole window is translated.
struct TranslationNames {
    std::string application;
    std::string section;
    std::string dialog;
};
class ProgressWindowProvider {
public:
    virtual ~ProgressWindowProvider() = default;
    // The owner a progress window of a parent window takes (the parent's
    // top-level window, else the main window); 0 for none. Windows are
    // handles of the window layer.
    virtual std::uintptr_t SafeOwner(std::uintptr_t parent) = 0;
    virtual bool IsWindowEnabled(std::uintptr_t window) = 0;
    virtual void EnableWindow(std::uintptr_t window, bool enable) = 0;
    // Opens and shows the window of a template over the owner, its texts
    // translated under names; nullptr when it cannot be made.
    virtual std::unique_ptr<ProgressWindow> Open(int templateId, std::uintptr_t owner,
                                                 const TranslationNames& names) = 0;
};
// Installs a provider (nullptr: none); returns the previous one. The caller
// keeps ownership.
WINSYS_API ProgressWindowProvider* SetProgressWindowProvider(ProgressWindowProvider* provider);
WINSYS_API ProgressWindowProvider* GetProgressWindowProvider();

}  // namespace winsys
