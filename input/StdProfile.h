// The module's catalogue of standard and user profiles: the series (folders)
// and profiles of the standard profile database, of the user's profile
// database and of further database files, each profile's values computed on
// first use (through the cross-section library or from a precomputed value
// file beside its database).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "input/SectProfile.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"

struct CStdProfileEntry {
    std::string name;
    std::string folder;  // "\\IPE", empty for the top level
    int db = -1;
    bool computed = false;
    SektGqs gross{};
    SektSqs dims{};
    SektTqs part{};
    std::vector<double> cx, cy;
    std::vector<int> ckind;
    std::vector<PlateRadii> plates;
};

// What a value file's "info" element says about the program that made it.
struct CValueFileInfo {
    double dblversion = 0;
    std::string modulename;
    int moduletype = 0, moduleversion = 0, modulerevision = 0;
};

class CStdProfile {
public:
    // Standard file <install root>/profil.skw; user file in the folder of
    // the registry value "userProfil" (or the installation root).
    CStdProfile();
    // With given paths (the user folder holds "userProfil.skw").
    CStdProfile(std::string standardFile, std::string userFolder);
    ~CStdProfile();
    CStdProfile(const CStdProfile&) = delete;
    CStdProfile& operator=(const CStdProfile&) = delete;

    // Every query loads the catalogue on first use.
    void EnsureLoaded();
    void Unload();
    bool IsLoaded() const { return m_loaded; }

    void FindProfile(const std::string& series, const std::string& profile, int& seriesIndex, int& profileIndex);
    bool ProfileExists(const std::string& series, const std::string& profile);
    int FindSeries(const std::string& series);
    int GetSeriesCount();
    std::string GetSeriesName(int series);
    int GetProfileNames(int series, std::vector<std::string>& names, int type);
    int GetProfileNamesOfSeries(const std::string& series, std::vector<std::string>& names, int type);
    int GetProfileType(int series, int profile, std::string* path);
    bool GetValues(int series, int profile, SektGqs& gross, SektSqs& dims, std::vector<PlateRadii>* plates);
    void WriteReference(int series, int profile, ZVELEM element);
    void GetContourPoints(int series, int profile, std::vector<double>& x, std::vector<double>& y,
                          std::vector<int>& kinds);
    void GetContourPolygon(int series, int profile, std::vector<double>& x, std::vector<double>& y, int arcSteps);
    int CopyProfileToDatabase(int series, int profile, const std::string& targetPath,
                              const std::string& targetFolder, int modeFlag);
    void GetSectionValueTable(int series, int profile, std::vector<std::string>& names,
                              std::vector<std::string>& symbols, std::vector<double>& values,
                              std::vector<std::string>& units);
    void EditInSectionEditor(int series, int profile, bool offerCopy, bool offerCopyOutsideUser,
                             const std::string& file);
    int AddDatabaseFile(const std::string& path, int loadFlag);
    int RemoveDatabaseFile(const std::string& path);

    const std::string& StandardFile() const { return m_standardFile; }
    const std::string& UserFile() const { return m_userFile; }
    const std::string& UserFolder() const { return m_userFolder; }
    int StandardDb() const { return m_stdDb; }
    int UserDb() const { return m_userDb; }
    // Info of the value file of a database file ("" path: none read yet).
    const CValueFileInfo* ValueFileInfo(const std::string& dbFilePath) const;

protected:
    struct FurtherFile {
        int db = -1;
        std::string path;
    };
    struct ValueDoc {
        ZVDOC doc = 0;
        ZVELEM root = 0;
        ZVELEM info = 0;
        CValueFileInfo infoValues;
    };

    void Read(bool loadFlag);
    void ReadDatabase(int db, bool loadFlag);
    CStdProfileEntry* Entry(int series, int profile);
    void Compute(CStdProfileEntry& e);
    bool FromValueFile(CStdProfileEntry& e);
    std::string DbFilePath(int db) const;

    CLogFile m_log;
    bool m_loaded = false;
    // Series and their names, parallel.
    std::vector<std::vector<CStdProfileEntry>> m_series;
    std::vector<std::string> m_seriesNames;
    std::string m_standardFile;
    std::string m_userFolder;
    std::string m_userFile;
    int m_stdDb = -1;
    int m_userDb = -1;
    CFingerprint m_userPrint;
    // The user's file as it stood when m_userPrint was taken: the file the
    // name resolved to (also one differing in case), that file, and when
    // this was seen. While both are unchanged the file is not read again.
    struct UserFileState {
        winsys::FileIdentity file;
        std::string resolved;
        std::int64_t seen = 0;  // seconds of the real-time clock
    };
    UserFileState m_userState;
    UserFileState UserFileNow() const;
    // Whether the user's file may differ from the one last read (its state
    // is updated).
    bool UserFileMayHaveChanged();
    std::vector<FurtherFile> m_further;
    // One value document per database file, by the file's path.
    std::map<std::string, ValueDoc> m_valueDocs;
};

// The user profile folder: the registry value "userProfil" under
// "software\VKT\Ostrel" less any "\userProfil.skw", else the installation root.
std::string GetUserProfileFolder();

// The module's one catalogue, built on first use.
CStdProfile& GetStdProfile();
void DestroyStdProfile();
