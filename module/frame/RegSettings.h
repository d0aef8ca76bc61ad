// The module's settings: the current user's registry keys
// "software\VKT\velor2005" and "software\VKT\Ostrel" and the report-header
// settings kept by the report library.
#pragma once

#include <memory>
#include <string>
#include <vector>

// The report library's settings channel: one stored text per setting name.
class CSettingsChannel {
public:
    virtual ~CSettingsChannel() = default;
    // The stored text of a setting, or def when there is none.
    virtual std::string Get(const std::string& name, const std::string& def) = 0;
    virtual void Set(const std::string& name, const std::string& value) = 0;
};

// The channel of the report library (a channel that keeps nothing when that
// library is not part of the build).
CSettingsChannel& ReportSettingsChannel();

class CRegSettings {
public:
    // Reads every setting (see the constructor's steps in the source). The
    // channel defaults to the report library's; it must outlive the object.
    explicit CRegSettings(CSettingsChannel* channel = nullptr);
    // Writes the fields back only when the save flag is set.
    ~CRegSettings();
    CRegSettings(const CRegSettings&) = delete;
    CRegSettings& operator=(const CRegSettings&) = delete;

    // Integer settings are string values holding decimal text; the default
    // when the key or value does not read or holds no number.
    void GetInt(const std::string& subKey, const std::string& name, int& out, int def) const;
    int GetInt(const std::string& subKey, const std::string& name, int def) const;
    void GetString(const std::string& subKey, const std::string& name, std::string& out, const std::string& def,
                   const char* otherBaseKey = nullptr) const;
    std::string GetString(const std::string& subKey, const std::string& name, const std::string& def) const;
    // Write a string value, creating the key when needed; a key that can be
    // neither opened nor created is reported. False then.
    bool SetString(const std::string& subKey, const std::string& name, const std::string& value,
                   const char* otherBaseKey = nullptr);
    bool SetInt(const std::string& subKey, const std::string& name, int value);
    // Writes the fields back.
    void Save();

    // The fields, with their defaults.
    int m_bSave = 0;
    std::string m_strProjectDir = "C:";
    std::string m_strBaseKey = "software\\VKT\\velor2005";
    std::string m_strLister;
    std::string m_strDocumentTool;
    std::string m_strVorlage;
    std::string m_strCustomer[5];
    std::string m_strLastProject;
    std::string m_strName = "unbekannt";
    std::string m_strUserMatDoc = "user.material.dat";
    std::string m_strDefaultNorm = "DIN";
    std::vector<std::string> m_projectLRU;
    int m_mainWinRectX1 = 0, m_mainWinRectY1 = 0, m_mainWinRectX2 = 0, m_mainWinRectY2 = 0;
    int m_mainSplitterPos = 200;
    int m_leftSplitterPos = 540;
    int m_leftTopSplitterPos = 210;
    int m_dispFlags = 127;
    int m_animFlag = 0;
    int m_posListCol = 31;
    int m_createPosWithVText = 0;
    bool m_bShowInfoScreen = true;
    double m_progVersion = 2.42;

    static constexpr const char* kOstrelKey = "software\\VKT\\Ostrel";
    static const char* const kDefaultCustomer[5];

private:
    std::string KeyPath(const std::string& subKey, const char* otherBaseKey = nullptr) const;
    CSettingsChannel* m_channel;
};

// Replaces one reference "[$HLM\key\value]" or "[$HCU\key\value]" in a text
// by the string value it names (empty when it does not read). A text without
// a reference, or whose reference is not closed by ']', stays as it is.
std::string ExpandRegistryReference(const std::string& text);
