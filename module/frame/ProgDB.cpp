#include "module/frame/ProgDB.h"

#include <unzip.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "module/frame/CommandDocument.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

// ---- the suite's tables -------------------------------------------------------

// Icon names of the program-information files and their resource ids.
struct IconName {
    const char* name;
    int32_t id;
};
constexpr IconName kIconNames[] = {
    {"Rigel", 110},      {"Vadu", 111},       {"Deneb", 112},       {"Dorizi", 113},     {"Vorrtf", 114},
    {"Dach", 115},       {"Pfette", 116},     {"Sparren", 117},     {"Balken", 118},     {"Stuetze", 119},
    {"Fundament", 120},  {"Wand", 121},       {"Decke", 122},       {"Platte", 123},     {"Treppe", 124},
    {"Kranbahn", 125},   {"Anschluss", 126},  {"Stoss", 127},       {"Fachwerk", 128},   {"Rahmen", 129},
    {"Holz", 130},       {"Beton", 131},      {"Mauerwerk", 132},   {"Stahl", 133},      {"Aluminium", 134},
    {"Verbund", 135},    {"Glas", 136},       {"Lager", 137},       {"Duebel", 138},     {"Schweissnaht", 139},
    {"Schraube", 140},   {"Wind", 141},       {"Schnee", 142},      {"Erdbeben", 143},   {"Brand", 144},
    {"Boden", 145},      {"Pfahl", 146},      {"Spundwand", 147},   {"Stuetzwand", 148}, {"Bruecke", 149},
    {"Mast", 150},       {"Silo", 151},       {"Behaelter", 152},   {"Sonstige", 153},
};
static_assert(std::size(kIconNames) == 44);

// Older program codes written with a slash and their four-letter file forms.
struct SlashCode {
    const char* slash;
    const char* fourLetter;
};
constexpr SlashCode kSlashCodes[] = {
    {"ST/1", "STA1"}, {"ST/2", "STA2"}, {"HO/1", "HOL1"}, {"HO/2", "HOL2"},
    {"BE/T", "BETO"}, {"FU/N", "FUND"}, {"DA/C", "DACH"},
};
// The one older program whose executable ends in "W" instead of "DW".
constexpr const char* kSingleWCode = "DACH";

// The suite's older stand-alone programs.
struct OlderProgram {
    const char* code;
    const char* description;
    int32_t icon;
};
constexpr OlderProgram kOlderPrograms[] = {
    {"ST/1", "Stahlträger Einfeld", 118},     {"ST/2", "Stahlträger Durchlauf", 118},
    {"HO/1", "Holzbalken Einfeld", 130},      {"HO/2", "Holzbalken Durchlauf", 130},
    {"BE/T", "Stahlbetonbalken", 131},        {"FU/N", "Einzelfundament", 120},
    {"DA/C", "Pfettendach", 115},             {"1010", "Sparrendach", 117},
    {"1020", "Kehlbalkendach", 115},          {"1030", "Pfette", 116},
    {"1040", "Stahlstütze", 119},             {"1050", "Holzstütze", 119},
    {"1060", "Stahlbetonstütze", 119},        {"1070", "Streifenfundament", 120},
    {"1080", "Stahlbetonplatte", 123},        {"1090", "Durchlaufplatte", 123},
    {"1100", "Mauerwerkswand", 132},          {"1110", "Kellerwand", 121},
    {"1120", "Treppe", 124},                  {"1130", "Fachwerkträger", 128},
    {"1140", "Zweigelenkrahmen", 129},        {"1150", "Stirnplattenstoß", 127},
    {"1160", "Trägeranschluss", 126},         {"1170", "Schweißnähte", 139},
    {"1180", "Schraubenverbindung", 140},     {"1190", "Windlasten", 141},
    {"1200", "Schneelasten", 142},            {"1210", "Lagerpressung", 137},
    {"1220", "Dübelverbindung", 138},         {"1230", "Verbundträger", 135},
    {"1240", "Stützwand", 148},               {"1250", "Pfahlgründung", 146},
    {"1260", "Spundwand", 147},               {"1270", "Holzrahmen", 129},
    {"1280", "Kranbahn klassisch", 125},
};
static_assert(std::size(kOlderPrograms) == 35);

// Program names of the model types of zipped exchange files.
constexpr int kZipTypes[] = {100, 101, 102, 200};
constexpr const char* kZipPrograms[] = {"FUNDAMENT", "TRAEGER", "STUETZE", "ANSCHLUSS"};

std::string Translate(const std::string& text) {
    return lingo::Translate("VKT Eingabe", "velor_i_common", "ProgDB", text);
}

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}

bool FileExistsNoCase(const fs::path& p) {
    std::error_code ec;
    return fs::exists(winsys::ResolveCaseInsensitive(p), ec);
}

// A library name of the suite ("Tovik.dll") as this platform names it
// beside the host: the name itself, lib<stem>.so or <stem>.so.
bool LibraryFileExists(const fs::path& dir, const std::string& name) {
    if (FileExistsNoCase(dir / name)) return true;
    std::string stem = name;
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.erase(dot);
    return FileExistsNoCase(dir / ("lib" + stem + ".so")) || FileExistsNoCase(dir / (stem + ".so"));
}

std::string GetStr(ZVELEM e, const char* attr) { return zevud::GetString(e, attr); }

}  // namespace

int32_t GetIconIdByName(const std::string& name) {
    for (const IconName& n : kIconNames)
        if (name == n.name) return n.id;
    return 101;
}

const char* CProgDB::ZipModuleProgram(int moduleType) {
    for (size_t i = 0; i < std::size(kZipTypes); ++i)
        if (kZipTypes[i] == moduleType) return kZipPrograms[i];
    return nullptr;
}

std::string MakeModuleKey(const std::string& progName, const std::string& moduleName) {
    return winsys::ToLowerAscii(TrimRight(progName)) + winsys::ToLowerAscii(TrimRight(moduleName));
}

// ---- CProgDBEntry ---------------------------------------------------------------

CProgDBEntry::CProgDBEntry() : m_masks{"%s.rtf"} {}

bool CProgDBEntry::IsInstalled() const {
    fs::path dir = GetHostExeDir();
    switch (m_progType) {
        case 0: return m_strDLLName.empty() || LibraryFileExists(dir, m_strDLLName);
        case 2: {
            std::string code = m_strShortProgName;
            for (const SlashCode& s : kSlashCodes)
                if (code == s.slash) code = s.fourLetter;
            // The last four characters; a shorter name is taken whole.
            std::string stem = code.size() > 4 ? code.substr(code.size() - 4) : code;
            std::string exe = stem + (code == kSingleWCode ? "W" : "DW") + ".EXE";
            return FileExistsNoCase(dir / exe);
        }
        case 6: {
            if (m_strPlugInExe.empty()) return false;
            if ((m_strPlugInExe.size() > 1 && m_strPlugInExe[1] == ':') || m_strPlugInExe[0] == '/')
                return FileExistsNoCase(winsys::ToSlashPath(m_strPlugInExe));
            return FileExistsNoCase(dir / winsys::ToSlashPath(m_strPlugInExe));
        }
        default: return true;
    }
}

int64_t CProgDBEntry::SendGetData(const void* window, int32_t value) {
    ZVDOC doc = CreateCommand("GetData", 1);
    AddCommandParam(doc, "CWnd*", static_cast<int64_t>(reinterpret_cast<uintptr_t>(window)));
    AddCommandParam(doc, "int", value);
    return CallModuleInterface(*this, doc);
}

// ---- CProgDB --------------------------------------------------------------------

CProgDB::CProgDB() : CProgDB((fs::path(GetInstallRoot()) / "pi").string()) {}

CProgDB::CProgDB(const std::string& piFolder) {
    ReadPiFiles(piFolder);
    AddBuiltInEntries();
}

CProgDB::~CProgDB() {
    std::set<CProgDBWindow*> destroyed;
    for (auto& [key, entry] : m_entries) {
        CProgDBWindow* w = entry->m_pWnd;
        if (w && entry->m_bNeverDeleteWnds == 0 && destroyed.insert(w).second) w->DestroyWindow();
    }
}

void CProgDB::ReadPiFiles(const std::string& piFolder) {
    // The settings are read (and the start-up log written) for the length of
    // the reading; this object never writes them back.
    CRegSettings settings;

    CFileFinder finder;
    for (const std::string& file : finder.FindFiles((fs::path(piFolder) / "*.pi").string())) {
        std::time_t mtime = 0;
        GetFileTime(file, mtime);
        ZVDOC doc = ZEVUD_OpenDocQuiet(file.c_str());
        if (!doc) continue;
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ZVELEM iface = root ? ZEVUD_FindFirstChild(root, "interface") : 0;
        ZVELEM icon = root ? ZEVUD_FindFirstChild(root, "icon") : 0;
        ZVELEM files = root ? ZEVUD_FindFirstChild(root, "additionalFiles") : 0;
        if (!root || !iface || !icon || !files) {
            ZEVUD_CloseDoc(doc);
            continue;
        }
        auto e = std::make_unique<CProgDBEntry>();
        e->m_fileTime = mtime;
        e->m_strShortProgName = GetStr(root, "shortProgName");
        e->m_strProgName = GetStr(root, "progName");
        e->m_strProgNameTrans = Translate(e->m_strProgName);
        e->m_strShortModuleName = GetStr(root, "shortModuleName");
        e->m_strModuleNameTrans = Translate(GetStr(root, "moduleName"));
        e->m_strProgGroupTrans = Translate(GetStr(root, "progGroup"));
        e->m_strProgGroupNewTrans = Translate(GetStr(root, "progGroupNew"));
        e->m_strMaterialGroup = GetStr(root, "materialGroup");
        e->m_strDefaultTemplate = GetStr(root, "defaultTemplate");
        e->m_progType = ZEVUD_GetInt(root, "progType");
        e->m_bNeverDeleteWnds = ZEVUD_GetInt(root, "bNeverDeleteWnds");
        e->m_bOnlyForUpdate = ZEVUD_GetInt(root, "bOnlyForUpdate");
        e->m_bInvisiblePos = ZEVUD_GetInt(root, "bInvisiblePos");
        e->m_bModularisieren = ZEVUD_GetInt(root, "bModularisieren");
        e->m_bUserPlugIn = ZEVUD_GetInt(root, "bUserPlugIn");
        e->m_progVersion = ZEVUD_GetDouble(root, "progVersion");
        e->m_strVersionDoc = GetStr(root, "versionDoc");
        e->m_strDLLName = GetStr(iface, "DLLName");
        e->m_strProcName = GetStr(iface, "ProcName");
        e->m_strCalcDLLName = GetStr(iface, "calcDLLName");
        e->m_strCalcProcName = GetStr(iface, "calcProcName");
        e->m_strRtfDLLName = GetStr(iface, "rtfDLLName");
        e->m_strRtfProcName = GetStr(iface, "rtfProcName");
        e->m_strProgGroupNet = GetStr(iface, "progGroupNet");
        std::string iconName = GetStr(root, "iconName");
        e->m_icon = iconName == "-1" ? -1 : GetIconIdByName(iconName);
        if (e->m_progType == 6) {
            e->m_strPlugInExe = ExpandRegistryReference(GetStr(iface, "plugInExe"));
            e->m_strPlugInExt = GetStr(iface, "plugInExt");
            e->m_strPlugInTemplate = ExpandRegistryReference(GetStr(iface, "plugInTemplate"));
            e->m_strProjectPath = GetStr(iface, "projectPath");
            e->m_bNoQuotation = ZEVUD_GetInt(iface, "bNoQuotation");
            e->m_bIncSubDir = ZEVUD_GetInt(iface, "bIncSubDir");
        }
        for (ZVELEM m = ZEVUD_FindFirstChild(root, "contextmenue"); m; m = ZEVUD_FindNextChild(m, "contextmenue")) {
            e->m_contextMenuDesc.push_back(GetStr(m, "desc"));
            e->m_contextMenuCommand.push_back(GetStr(m, "command"));
        }
        // A damaged count never reaches beyond the attributes the element holds.
        int32_t num = ZEVUD_GetInt(files, "num");
        num = std::clamp<int32_t>(num, 0, std::max<int32_t>(0, ZEVUD_GetAttrCount(files)));
        e->m_masks.assign(static_cast<size_t>(num), std::string());
        for (int32_t i = 0; i < num; ++i)
            e->m_masks[static_cast<size_t>(i)] = GetStr(files, ("mask_" + std::to_string(i)).c_str());
        ZEVUD_CloseDoc(doc);

        if (!e->IsInstalled() || e->m_bModularisieren == 0) continue;
        std::string key = e->m_strShortProgName + e->m_strShortModuleName;
        auto it = m_entries.find(key);
        if (it != m_entries.end()) {
            // The higher version stays; on equal versions the one read first.
            if (e->m_progVersion > it->second->m_progVersion) it->second = std::move(e);
            continue;
        }
        m_entries.emplace(key, std::move(e));
    }
}

void CProgDB::AddEntry(const std::string& shortProgName, const std::string& shortModuleName,
                       const CProgDBEntry& entry) {
    m_entries[shortProgName + shortModuleName] = std::make_unique<CProgDBEntry>(entry);
}

void CProgDB::AddBuiltInEntries() {
    struct Free {
        const char* code;
        const char* name;
        int32_t type;
    };
    for (const Free& f : {Free{"DORIZI", "Freie Textposition", 1}, Free{"VORRTF", "Freier Text", 4}}) {
        CProgDBEntry e;
        e.m_strShortProgName = f.code;
        e.m_strProgName = f.name;
        e.m_strProgNameTrans = Translate(f.name);
        e.m_progVersion = 1.0;
        e.m_icon = 106;
        e.m_progType = f.type;
        e.m_masks.clear();
        AddEntry(f.code, "", e);
    }
    for (const OlderProgram& p : kOlderPrograms) {
        CProgDBEntry e;
        e.m_strShortProgName = p.code;
        e.m_strShortModuleName = "classic";
        e.m_strModuleNameTrans = "classic";
        e.m_strProgName = p.description;
        e.m_strProgNameTrans = Translate(p.description);
        e.m_progType = 2;
        e.m_progVersion = 1.0;
        e.m_icon = p.icon;
        e.m_masks = {"%s.rtf", "%s.skw", "%s.sdb"};
        if (e.IsInstalled()) AddEntry(p.code, "classic", e);
    }
}

CProgDBEntry* CProgDB::FindProgram(const std::string& shortProgName, const std::string& shortModuleName) const {
    auto it = m_entries.find(shortProgName + shortModuleName);
    return it == m_entries.end() ? nullptr : it->second.get();
}

CProgDBEntry* CProgDB::FindProgramByFile(const std::string& path) const {
    std::string ext = GetFileExtension(path);
    std::string program, module;
    if (ext == "vkx") {
        std::string version;
        ReadVkxHead(path, program, module, &version);
        if (m_converter && m_converter->HasConverter(MakeModuleKey(program, module))) {
            if (m_converter->Convert(path, version)) ReadVkxHead(path, program, module, &version);
        }
    } else if (ext == "vk1") {
        program = ReadVk1ProgramCode(path);
        module = "classic";
    } else if (ext == "rtf") {
        program = "DORIZI";
    } else if (ext == "trfx") {
        const char* name = ZipModuleProgram(ReadZipModuleType(path));
        if (name) program = name;
    }
    if (ext != "trfx") {
        for (const auto& [key, entry] : m_entries) {
            if (entry->m_progType != 6) continue;
            std::string plugExt = entry->m_strPlugInExt;
            if (!plugExt.empty() && plugExt[0] == '.') plugExt.erase(0, 1);
            if (winsys::EqualsNoCase(plugExt, ext)) program = entry->m_strShortProgName;
        }
    }
    return FindProgram(program, module);
}

const CProgIconList& CProgDB::CreateIconList() {
    if (m_iconList) return *m_iconList;
    m_iconList = std::make_unique<CProgIconList>();
    auto addResource = [this](int32_t id) {
        m_iconIndex[id] = static_cast<int32_t>(m_iconList->icons.size());
        m_iconList->icons.push_back(CProgIcon{id, {}});
    };
    for (int32_t id : {104, 105, 106, 107, 163, 165, 169, 174}) addResource(id);
    for (auto& [key, entry] : m_entries) {
        if (entry->m_icon == -1) {
            entry->m_icon = static_cast<int32_t>(m_iconList->icons.size());
            m_iconList->icons.push_back(CProgIcon{-1, entry->m_strPlugInExe});
        } else if (!m_iconIndex.count(entry->m_icon)) {
            addResource(entry->m_icon);
        }
    }
    for (int32_t id : {521, 519, 520, 530}) addResource(id);
    return *m_iconList;
}

int32_t CProgDB::GetIconIndex(int32_t iconId) {
    CreateIconList();
    auto it = m_iconIndex.find(iconId);
    return it == m_iconIndex.end() ? iconId : it->second;
}

// ---- file heads -------------------------------------------------------------------

void ReadVkxHead(const std::string& path, std::string& progName, std::string& moduleName, std::string* version) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    char buf[128] = {};
    in.read(buf, sizeof buf);
    size_t got = static_cast<size_t>(in.gcount());
    std::string head(buf, std::min<size_t>(got, 127));
    size_t rootPos = head.find("root");
    size_t from = rootPos == std::string::npos ? head.size() : rootPos;
    // The value begins behind the name, its equals sign and opening quote and
    // ends before the next double quote; without one there is no value.
    auto value = [&](const char* name) -> std::string {
        size_t p = head.find(name, from);
        if (p == std::string::npos) return {};
        size_t start = p + std::strlen(name) + 2;
        if (start > head.size()) return {};
        size_t end = head.find('"', start);
        if (end == std::string::npos) return {};
        return head.substr(start, end - start);
    };
    progName = value("progname");
    moduleName = value("modulename");
    if (version) *version = value("version");
}

std::string ReadVk1ProgramCode(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    char buf[88] = {};
    in.read(buf, sizeof buf);
    std::string line(buf, static_cast<size_t>(in.gcount()));
    size_t eol = line.find_first_of("\r\n");
    if (eol != std::string::npos) line.erase(eol);
    std::string code;
    size_t apo = line.find('\'');
    if (apo != std::string::npos) {
        code = line.substr(apo + 1, 7);
    } else {
        size_t hyphen = line.find('-');
        if (hyphen == std::string::npos) return {};
        size_t start = hyphen >= 2 ? hyphen - 2 : 0;  // a hyphen near the start reads from the start
        code = line.substr(start, 7);
    }
    for (const SlashCode& s : kSlashCodes) {
        size_t n = std::strlen(s.fourLetter);
        if (code.size() >= n && code.compare(code.size() - n, n, s.fourLetter) == 0) {
            code = code.substr(0, code.size() - n) + s.slash;
            break;
        }
    }
    if (code.rfind("VK-", 0) == 0) code.erase(0, 3);
    return code;
}

int ReadZipModuleType(const std::string& path) {
    unzFile zip = unzOpen(path.c_str());
    if (!zip) return 0;
    int type = 0;
    bool found = false;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info info{};
        char name[1024] = {};
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        if (std::strlen(name) >= 10 && std::strncmp(name, "ZBim", 4) == 0) {
            found = true;
            break;
        }
    }
    if (found && unzOpenCurrentFile(zip) == UNZ_OK) {
        std::string text(8192, '\0');
        int n = unzReadCurrentFile(zip, text.data(), static_cast<unsigned>(text.size()));
        text.resize(n > 0 ? static_cast<size_t>(n) : 0);
        unzCloseCurrentFile(zip);
        size_t p = text.find("ModuleType");
        if (p != std::string::npos && p + 12 < text.size()) {
            // At most three characters behind the name, its equals sign and quote.
            std::string digits = text.substr(p + 12, 3);
            std::optional<long long> v = winsys::ParseInt(digits);
            if (v) type = static_cast<int>(*v);
        }
    }
    unzClose(zip);
    return type;
}
