// The program catalogue: one entry per program and module of the suite, read
// from the program-information files "<installation root>/pi/*.pi", plus the
// built-in entries. It tells which library and routine hold a program's
// interface, calculation and report, which program a position file belongs
// to, and which icon shows a program.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "module/frame/HostRoutines.h"

// A window that a user of the catalogue leaves with an entry; the catalogue
// destroys it at its end unless the entry says never to.
class CProgDBWindow {
public:
    virtual ~CProgDBWindow() = default;
    virtual void DestroyWindow() = 0;
};

class CProgDBEntry {
public:
    CProgDBEntry();
    virtual ~CProgDBEntry() = default;
    CProgDBEntry(const CProgDBEntry&) = default;
    CProgDBEntry& operator=(const CProgDBEntry&) = default;

    // Whether the program's files are present beside the host executable.
    bool IsInstalled() const;
    // Sends "GetData" with a window and an integer to the program's module.
    int64_t SendGetData(const void* window, int32_t value);

    std::string m_strShortProgName;
    std::string m_strProgNameTrans;
    std::string m_strProgName;
    std::string m_strShortModuleName;
    std::string m_strModuleNameTrans;
    std::string m_strProgGroupTrans;
    std::string m_strProgGroupNewTrans;
    std::string m_strProgGroupNet;
    std::string m_strMaterialGroup;
    std::string m_strDefaultTemplate;
    std::string m_strPlugInExt;
    std::string m_strPlugInExe;
    std::string m_strPlugInTemplate;
    std::string m_strProjectPath;
    std::string m_strVersionDoc;
    std::vector<std::string> m_masks;
    std::vector<std::string> m_contextMenuDesc;
    std::vector<std::string> m_contextMenuCommand;
    std::string m_strCalcDLLName, m_strCalcProcName;
    std::string m_strRtfDLLName, m_strRtfProcName;
    std::string m_strDLLName, m_strProcName;
    int32_t m_icon = 0;
    int32_t m_progType = 0;
    int32_t m_bNeverDeleteWnds = 0;
    int32_t m_bInvisiblePos = 0;
    int32_t m_bModularisieren = 0;
    int32_t m_bUserPlugIn = 0;
    int32_t m_bNoQuotation = 0;
    int32_t m_bIncSubDir = 0;
    int32_t m_bOnlyForUpdate = 0;
    double m_progVersion = 0.01;
    std::time_t m_fileTime = 0;
    CProgDBWindow* m_pWnd = nullptr;
    // The interface library and routine, cached by CallModuleInterface.
    void* m_hLib = nullptr;
    ModuleInterfaceProc m_pProc = nullptr;
};

// One icon of the catalogue's icon list: a resource of this library, or the
// first large icon of a plug-in executable. The list index is the position.
struct CProgIcon {
    int32_t resourceId = -1;
    std::string executable;
};

// The icon list, kept free of any window toolkit: it names the icons in
// index order; a window layer draws them.
struct CProgIconList {
    std::vector<CProgIcon> icons;
};

// Converts position files of older program versions in place before they
// are classified.
class CPositionConverterHook {
public:
    virtual ~CPositionConverterHook() = default;
    // Whether a converter is registered for a module key.
    virtual bool HasConverter(const std::string& moduleKey) const = 0;
    // Converts the file; true when it was rewritten.
    virtual bool Convert(const std::string& path, const std::string& version) = 0;
};

class CProgDB {
public:
    // Reads "<installation root>/pi/*.pi" and adds the built-in entries.
    CProgDB();
    // The same with the program-information files of another folder.
    explicit CProgDB(const std::string& piFolder);
    ~CProgDB();
    CProgDB(const CProgDB&) = delete;
    CProgDB& operator=(const CProgDB&) = delete;

    void ReadPiFiles(const std::string& piFolder);
    void AddBuiltInEntries();
    // Stores a copy under the joined key, replacing an entry already there.
    void AddEntry(const std::string& shortProgName, const std::string& shortModuleName, const CProgDBEntry& entry);
    CProgDBEntry* FindProgram(const std::string& shortProgName, const std::string& shortModuleName) const;
    CProgDBEntry* FindProgramByFile(const std::string& path) const;
    int32_t GetIconIndex(int32_t iconId);
    const CProgIconList& CreateIconList();
    const std::map<std::string, std::unique_ptr<CProgDBEntry>>& Entries() const { return m_entries; }

    // The converter of older position files (none until one is set).
    void SetPositionConverter(CPositionConverterHook* converter) { m_converter = converter; }

    // The program names of the four model types of zipped exchange files.
    static const char* ZipModuleProgram(int moduleType);

private:
    std::map<std::string, std::unique_ptr<CProgDBEntry>> m_entries;
    std::unique_ptr<CProgIconList> m_iconList;
    std::map<int32_t, int32_t> m_iconIndex;
    CPositionConverterHook* m_converter = nullptr;
};

// The icon resource id of one of the suite's icon names; 101 for an unknown name.
int32_t GetIconIdByName(const std::string& name);
// The module type code of a zipped model-exchange file; 0 when none is found.
int ReadZipModuleType(const std::string& path);
// Reads program name, module name and (when asked) version from the head of a
// position file. A file that does not open leaves the outputs unchanged.
void ReadVkxHead(const std::string& path, std::string& progName, std::string& moduleName,
                 std::string* version = nullptr);
// The program code from the first line of a kernel text input file, in the
// catalogue's form ("VK-" removed); empty when the line holds none.
std::string ReadVk1ProgramCode(const std::string& path);
// The module key of a position: program and module name, each without
// trailing blanks and lower-cased, joined.
std::string MakeModuleKey(const std::string& progName, const std::string& moduleName);
