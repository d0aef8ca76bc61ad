#include "module/frame/RegSettings.h"

#include <climits>
#include <filesystem>

#include "module/frame/ModuleMessages.h"
#include "module/frame/Registry.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

#if __has_include("platform/zadevoz/zadevoz.h")
#include "platform/zadevoz/zadevoz.h"
#define RIGEL_HAVE_ZADEVOZ 1
#endif

namespace fs = std::filesystem;

// ---- the report library's settings channel -------------------------------------

namespace {

#ifdef RIGEL_HAVE_ZADEVOZ
class ZadevozChannel : public CSettingsChannel {
public:
    std::string Get(const std::string& name, const std::string& def) override {
        return zadevoz::RtfSettings("gets/" + name, def);
    }
    void Set(const std::string& name, const std::string& value) override { zadevoz::RtfSettings("sets/" + name, value); }
};
using DefaultChannel = ZadevozChannel;
#else
class NullChannel : public CSettingsChannel {
public:
    std::string Get(const std::string&, const std::string& def) override { return def; }
    void Set(const std::string&, const std::string&) override {}
};
using DefaultChannel = NullChannel;
#endif

}  // namespace

CSettingsChannel& ReportSettingsChannel() {
    static DefaultChannel channel;
    return channel;
}

// ---- CRegSettings -----------------------------------------------------------

const char* const CRegSettings::kDefaultCustomer[5] = {
    "VKT Ingenieursoftware GmbH", "Hafenstraße 12", "20457 Hamburg", "Tel. 040 123456-0", "info@vkt-software.de",
};

namespace {

bool ReadDword(CRegistry& reg, const char* name, int& field) {
    uint32_t v = 0;
    if (!reg.GetDWordValue(name, v)) return false;
    field = static_cast<int32_t>(v);
    return true;
}

void ReadString(CRegistry& reg, const char* name, std::string& field) {
    std::string v;
    if (reg.GetStringValue(name, v)) field = v;
}

bool OpenOrCreate(CRegistry& reg, const std::string& key) {
    return reg.Open(key.c_str(), KEY_ALL_ACCESS) || reg.Create(key.c_str());
}

}  // namespace

CRegSettings::CRegSettings(CSettingsChannel* channel)
    : m_channel(channel ? channel : &ReportSettingsChannel()) {
    WriteStartupLog("CRegSettings():29");
    std::string hostDir = GetHostExeDir();
    m_strLister = hostDir + "/Plexdoc.exe";
    m_strDocumentTool = hostDir + "/Plexdoc.exe";
    m_strVorlage = GetDataDir() + "/Standard Vorlage.rtf";
    for (int i = 0; i < 5; ++i) m_strCustomer[i] = kDefaultCustomer[i];

    WriteStartupLog("CRegSettings():50");
    {
        CRegistry reg;
        if (OpenOrCreate(reg, kOstrelKey)) {
            ReadString(reg, "ProjectDir", m_strProjectDir);
            ReadString(reg, "LastProject2005", m_strLastProject);
            ReadString(reg, "Name", m_strName);
            ReadString(reg, "usermatdoc", m_strUserMatDoc);
            ReadDword(reg, "CreatePosWithVText", m_createPosWithVText);
            // The user's choice of the default norm, else the installation's
            // (the machine-wide settings shipped with the program).
            std::string norm;
            if (reg.GetStringValue("defaultNorm", norm))
                m_strDefaultNorm = norm;
            else if (auto installed = winsys::RegGetString(winsys::Hive::LocalMachine, kOstrelKey, "defaultNorm"))
                m_strDefaultNorm = *installed;
            if (m_strDefaultNorm.empty()) m_strDefaultNorm = "DIN";
        }
    }

    WriteStartupLog("CRegSettings():66");
    {
        CRegistry reg;
        if (OpenOrCreate(reg, m_strBaseKey)) {
            std::vector<std::string> lru;
            if (reg.GetMultiStringValue("projectLRU", lru)) m_projectLRU = lru;
            ReadDword(reg, "dispFlags", m_dispFlags);
            ReadDword(reg, "mainWinRectX1", m_mainWinRectX1);
            ReadDword(reg, "mainWinRectY1", m_mainWinRectY1);
            ReadDword(reg, "mainWinRectX2", m_mainWinRectX2);
            ReadDword(reg, "mainWinRectY2", m_mainWinRectY2);
            ReadDword(reg, "mainSplitterPos", m_mainSplitterPos);
            ReadDword(reg, "leftSplitterPos", m_leftSplitterPos);
            bool haveLeftTop = ReadDword(reg, "leftTopSplitterPos", m_leftTopSplitterPos);
            ReadDword(reg, "animFlag", m_animFlag);
            ReadDword(reg, "posListCol", m_posListCol);
            if (!haveLeftTop) {
                m_mainSplitterPos = 200;
                m_leftSplitterPos = 540;
                m_leftTopSplitterPos = 210;
                SetInt("", "bLeftSplitterVertical", 0);
            }
        }
        int show = 1;
        GetInt("", "bShowInfoScreen", show, 1);
        m_bShowInfoScreen = show != 0;
    }

    WriteStartupLog("CRegSettings():86");
    m_strLister = m_channel->Get("Lister", m_strLister);
    for (int i = 0; i < 5; ++i)
        m_strCustomer[i] = m_channel->Get("Customer" + std::to_string(i), m_strCustomer[i]);
    m_strVorlage = m_channel->Get("Vorlage", m_strVorlage);

    WriteStartupLog("CRegSettings():121");
    fs::path varnhold = winsys::ResolveCaseInsensitive(fs::path(GetInstallRoot()) / "pi" / "Varnhold.pi");
    std::error_code ec;
    if (fs::is_regular_file(varnhold, ec)) {
        if (ZVDOC doc = ZEVUD_OpenDocQuiet(varnhold.string().c_str())) {
            if (ZVELEM root = ZEVUD_GetRootElement(doc)) m_progVersion = ZEVUD_GetDouble(root, "progVersion");
            ZEVUD_CloseDoc(doc);
        }
    }
}

CRegSettings::~CRegSettings() {
    if (m_bSave) Save();
}

std::string CRegSettings::KeyPath(const std::string& subKey, const char* otherBaseKey) const {
    std::string base = otherBaseKey ? std::string(otherBaseKey) : m_strBaseKey;
    if (subKey.empty()) return base;
    return base + "\\" + subKey;
}

void CRegSettings::GetInt(const std::string& subKey, const std::string& name, int& out, int def) const {
    out = def;
    CRegistry reg;
    std::string text;
    if (!reg.Open(KeyPath(subKey).c_str(), KEY_ALL_ACCESS) || !reg.GetStringValue(name.c_str(), text)) return;
    std::optional<long long> v = winsys::ParseInt(text);
    if (v && *v >= INT32_MIN && *v <= INT32_MAX) out = static_cast<int>(*v);
}

int CRegSettings::GetInt(const std::string& subKey, const std::string& name, int def) const {
    int v = def;
    GetInt(subKey, name, v, def);
    return v;
}

void CRegSettings::GetString(const std::string& subKey, const std::string& name, std::string& out,
                             const std::string& def, const char* otherBaseKey) const {
    out = def;
    CRegistry reg;
    if (!reg.Open(KeyPath(subKey, otherBaseKey).c_str(), KEY_ALL_ACCESS)) return;
    if (!reg.GetStringValue(name.c_str(), out)) out = def;
}

std::string CRegSettings::GetString(const std::string& subKey, const std::string& name, const std::string& def) const {
    std::string v;
    GetString(subKey, name, v, def);
    return v;
}

bool CRegSettings::SetString(const std::string& subKey, const std::string& name, const std::string& value,
                             const char* otherBaseKey) {
    std::string key = KeyPath(subKey, otherBaseKey);
    CRegistry reg;
    if (!OpenOrCreate(reg, key)) {
        rigel::ShowCommonMessage("RegSettings", "Fehler beim Anlegen des Registry-Schlüssels '%s' in '%s'",
                                 subKey.c_str(), key.c_str());
        return false;
    }
    return reg.SetStringValue(name.c_str(), value);
}

bool CRegSettings::SetInt(const std::string& subKey, const std::string& name, int value) {
    return SetString(subKey, name, std::to_string(value));
}

void CRegSettings::Save() {
    {
        CRegistry reg;
        if (OpenOrCreate(reg, kOstrelKey)) {
            reg.SetStringValue("ProjectDir", m_strProjectDir);
            reg.SetStringValue("LastProject2005", m_strLastProject);
            reg.SetStringValue("Name", m_strName);
            reg.SetStringValue("defaultNorm", m_strDefaultNorm);
            reg.SetDWordValue("CreatePosWithVText", static_cast<uint32_t>(m_createPosWithVText));
        }
    }
    {
        CRegistry reg;
        if (OpenOrCreate(reg, m_strBaseKey)) {
            reg.SetDWordValue("dispFlags", static_cast<uint32_t>(m_dispFlags));
            reg.SetMultiStringValue("projectLRU", m_projectLRU);
            reg.SetDWordValue("mainWinRectX1", static_cast<uint32_t>(m_mainWinRectX1));
            reg.SetDWordValue("mainWinRectY1", static_cast<uint32_t>(m_mainWinRectY1));
            reg.SetDWordValue("mainWinRectX2", static_cast<uint32_t>(m_mainWinRectX2));
            reg.SetDWordValue("mainWinRectY2", static_cast<uint32_t>(m_mainWinRectY2));
            reg.SetDWordValue("mainSplitterPos", static_cast<uint32_t>(m_mainSplitterPos));
            reg.SetDWordValue("leftSplitterPos", static_cast<uint32_t>(m_leftSplitterPos));
            reg.SetDWordValue("leftTopSplitterPos", static_cast<uint32_t>(m_leftTopSplitterPos));
            reg.SetDWordValue("animFlag", static_cast<uint32_t>(m_animFlag));
            reg.SetDWordValue("posListCol", static_cast<uint32_t>(m_posListCol));
        }
    }
    SetInt("", "bShowInfoScreen", m_bShowInfoScreen ? 1 : 0);
    m_channel->Set("Lister", m_strLister);
    for (int i = 0; i < 5; ++i) m_channel->Set("Customer" + std::to_string(i), m_strCustomer[i]);
    m_channel->Set("Vorlage", m_strVorlage);
}

// ---- registry references ----------------------------------------------------------

std::string ExpandRegistryReference(const std::string& text) {
    size_t start = text.find("[$");
    if (start == std::string::npos) return text;
    size_t close = text.find(']', start + 2);
    if (close == std::string::npos) return text;  // no closing bracket: nothing to expand
    std::string ref = text.substr(start + 2, close - (start + 2));
    std::string result = text.substr(0, start + 2) + text.substr(close);  // leaves "[$]"

    HKEY root = ref.find("HLM\\") != std::string::npos ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    for (const char* prefix : {"HLM\\", "HCU\\"}) {
        size_t p = ref.find(prefix);
        if (p != std::string::npos) ref.erase(p, 4);
    }
    std::string value;
    size_t sep = ref.rfind('\\');
    if (sep != std::string::npos) {
        std::string keyPath = ref.substr(0, sep);
        std::string valueName = ref.substr(sep + 1);
        CRegistry reg;
        if (reg.Connect(root) && reg.Open(keyPath.c_str(), KEY_READ)) reg.GetStringValue(valueName.c_str(), value);
    }
    size_t marker = result.find("[$]");
    result.replace(marker, 3, value);
    return result;
}
