// Registry access and the global settings object.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "ModuleSandbox.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Registry.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;
using winsys::Hive;

namespace {

const std::string kBase = "software\\VKT\\velor2005";
const std::string kOstrel = "software\\VKT\\Ostrel";

// A report-library channel that keeps its settings in memory and counts writes.
class FakeChannel : public CSettingsChannel {
public:
    std::string Get(const std::string& name, const std::string& def) override {
        auto it = values.find(name);
        return it == values.end() ? def : it->second;
    }
    void Set(const std::string& name, const std::string& value) override {
        values[name] = value;
        ++writes;
    }
    std::map<std::string, std::string> values;
    int writes = 0;
};

class Settings : public testing::Test {
protected:
    std::optional<std::string> Str(const std::string& key, const std::string& name) {
        return winsys::RegGetString(Hive::CurrentUser, key, name);
    }
    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
    FakeChannel channel_;
};

TEST_F(Settings, FreshRegistryGivesTheDefaults) {
    CRegSettings s(&channel_);
    EXPECT_TRUE(winsys::RegKeyExists(Hive::CurrentUser, kBase));
    EXPECT_TRUE(winsys::RegKeyExists(Hive::CurrentUser, kOstrel));
    EXPECT_EQ(s.m_mainSplitterPos, 200);
    EXPECT_EQ(s.m_leftSplitterPos, 540);
    EXPECT_EQ(s.m_leftTopSplitterPos, 210);
    std::optional<winsys::RegValue> v = winsys::RegGetValue(Hive::CurrentUser, kBase, "bLeftSplitterVertical");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, winsys::RegType::String);
    EXPECT_EQ(v->str, "0");

    EXPECT_EQ(s.m_strProjectDir, "C:");
    EXPECT_EQ(s.m_strName, "unbekannt");
    EXPECT_EQ(s.m_strUserMatDoc, "user.material.dat");
    EXPECT_EQ(s.m_strDefaultNorm, "DIN");
    EXPECT_EQ(s.m_dispFlags, 127);
    EXPECT_EQ(s.m_posListCol, 31);
    EXPECT_EQ(s.m_animFlag, 0);
    EXPECT_TRUE(s.m_bShowInfoScreen);
    EXPECT_DOUBLE_EQ(s.m_progVersion, 2.42);
    EXPECT_EQ(s.m_strDocumentTool, (box_.Bin() / "Plexdoc.exe").string());
    EXPECT_EQ(s.m_strLister, (box_.Bin() / "Plexdoc.exe").string());
    EXPECT_EQ(s.m_strVorlage, box_.Root().string() + "/Standard Vorlage.rtf");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.m_strCustomer[i], CRegSettings::kDefaultCustomer[i]);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(Settings, DefaultNormFromTheUserElseFromTheInstallation) {
    // The installation's machine-wide settings name the default norm of new
    // positions; the user's own setting, where there is one, wins.
    box_.WriteFile("registry/machine.reg",
                   "VELOR-REGISTRY 1\nK\tSoftware\\\\VKT\\\\Ostrel\n"
                   "S\tSoftware\\\\VKT\\\\Ostrel\tdefaultNorm\tECNA\n");
    winsys::RegistryReload();
    struct Case {
        const char* user;  // nullptr: the user has none
        const char* norm;
    } cases[] = {{nullptr, "ECNA"}, {"EC", "EC"}, {"", "DIN"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user ? c.user : "(none)");
        winsys::RegCreateKey(Hive::CurrentUser, kOstrel);
        if (c.user)
            winsys::RegSetString(Hive::CurrentUser, kOstrel, "defaultNorm", c.user);
        else
            winsys::RegDeleteValue(Hive::CurrentUser, kOstrel, "defaultNorm");
        CRegSettings s(&channel_);
        EXPECT_EQ(s.m_strDefaultNorm, c.norm);
    }
}

TEST_F(Settings, StoredValuesAreRead) {
    winsys::RegCreateKey(Hive::CurrentUser, kBase);
    winsys::RegCreateKey(Hive::CurrentUser, kOstrel);
    winsys::RegSetString(Hive::CurrentUser, kOstrel, "Name", "Meier");
    winsys::RegSetString(Hive::CurrentUser, kOstrel, "defaultNorm", "");
    winsys::RegValue dw;
    dw.type = winsys::RegType::Dword;
    dw.dword = 333;
    winsys::RegSetValue(Hive::CurrentUser, kBase, "leftTopSplitterPos", dw);
    dw.dword = 5;
    winsys::RegSetValue(Hive::CurrentUser, kBase, "dispFlags", dw);
    winsys::RegSetString(Hive::CurrentUser, kBase, "bShowInfoScreen", "0");
    channel_.values["Lister"] = "/usr/bin/lister";
    channel_.values["Customer2"] = "Zeile 3";

    CRegSettings s(&channel_);
    EXPECT_EQ(s.m_strName, "Meier");
    EXPECT_EQ(s.m_strDefaultNorm, "DIN");  // stored empty
    EXPECT_EQ(s.m_leftTopSplitterPos, 333);
    EXPECT_EQ(s.m_dispFlags, 5);
    EXPECT_FALSE(s.m_bShowInfoScreen);
    EXPECT_EQ(s.m_strLister, "/usr/bin/lister");
    EXPECT_EQ(s.m_strCustomer[2], "Zeile 3");
    EXPECT_FALSE(winsys::RegGetValue(Hive::CurrentUser, kBase, "bLeftSplitterVertical"));
}

TEST_F(Settings, IntegerSettingsAreDecimalTexts) {
    CRegSettings s(&channel_);
    const struct {
        const char* stored;
        int expected;
    } cases[] = {{"abc", 7}, {"", 7}, {"42", 42}, {"-3", -3}, {"99999999999", 7}};
    for (const auto& c : cases) {
        winsys::RegSetString(Hive::CurrentUser, kBase + "\\Quill", "iZoom", c.stored);
        EXPECT_EQ(s.GetInt("Quill", "iZoom", 7), c.expected) << c.stored;
    }
    EXPECT_EQ(s.GetInt("NoSuchKey", "iZoom", 9), 9);
    EXPECT_TRUE(s.SetInt("Quill", "bGenErrors", 12));
    EXPECT_EQ(Str(kBase + "\\Quill", "bGenErrors"), "12");
    EXPECT_EQ(s.GetString("LINGO", "VKT Eingabe", "deutsch"), "deutsch");
    EXPECT_TRUE(s.SetString("LINGO", "VKT Eingabe", "französisch"));
    EXPECT_EQ(s.GetString("LINGO", "VKT Eingabe", "deutsch"), "französisch");
}

TEST_F(Settings, DestructionWritesNothingWithoutTheSaveFlag) {
    {
        CRegSettings s(&channel_);
        s.m_strName = "Geändert";
        s.m_dispFlags = 1;
    }
    EXPECT_FALSE(Str(kOstrel, "Name"));
    EXPECT_FALSE(winsys::RegGetValue(Hive::CurrentUser, kBase, "dispFlags"));
    EXPECT_EQ(channel_.writes, 0);

    {
        CRegSettings s(&channel_);
        s.m_strName = "Geändert";
        s.m_bSave = 1;
    }
    EXPECT_EQ(Str(kOstrel, "Name"), "Geändert");
    EXPECT_EQ(channel_.values["Vorlage"], box_.Root().string() + "/Standard Vorlage.rtf");
}

// Points the user's state folder at the sandbox for one test.
struct StateFolderInSandbox {
    explicit StateFolderInSandbox(const std::filesystem::path& dir) {
        if (const char* old = std::getenv("XDG_STATE_HOME")) previous = old, had = true;
        setenv("XDG_STATE_HOME", dir.string().c_str(), 1);
    }
    ~StateFolderInSandbox() {
        if (had)
            setenv("XDG_STATE_HOME", previous.c_str(), 1);
        else
            unsetenv("XDG_STATE_HOME");
    }
    std::string previous;
    bool had = false;
};

TEST_F(Settings, StartupLogLinesInOrder) {
    StateFolderInSandbox state(box_.Root() / "state");
    { CRegSettings s(&channel_); }
    // The log lies in the user's state folder, never in the installation root.
    EXPECT_FALSE(std::filesystem::exists(box_.Root() / "startup.log"));
    std::string log = box_.ReadFile(box_.Root() / "state" / "velor2005" / "startup.log");
    size_t pos = 0;
    for (const char* line : {"CRegSettings():29", "CRegSettings():50", "CRegSettings():66", "CRegSettings():86",
                             "CRegSettings():121"}) {
        size_t p = log.find(line, pos);
        ASSERT_NE(p, std::string::npos) << line;
        pos = p;
    }
}

TEST_F(Settings, StartupLogIsBoundedToTwoGenerations) {
    StateFolderInSandbox state(box_.Root() / "state");
    const std::filesystem::path folder = box_.Root() / "state" / "velor2005";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "startup.log") << std::string(kMaxStartupLogBytes + 1, 'x');
    WriteStartupLog("neu");
    EXPECT_EQ(std::filesystem::file_size(folder / "startup.log.1"), kMaxStartupLogBytes + 1);
    EXPECT_LT(std::filesystem::file_size(folder / "startup.log"), 100u);
}

TEST_F(Settings, ProjectCentreVersionFromItsProgramFile) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZEVUD_SetDouble(ZEVUD_GetRootElement(doc), "progVersion", 3.5);
    ASSERT_EQ(ZEVUD_SaveDocAs(doc, (box_.Pi() / "Varnhold.pi").c_str()), 1);
    ZEVUD_CloseDoc(doc);
    CRegSettings s(&channel_);
    EXPECT_DOUBLE_EQ(s.m_progVersion, 3.5);
}

TEST_F(Settings, RegistryPathsIgnoreCase) {
    CRegistry reg;
    ASSERT_TRUE(reg.Create("Software\\VKT\\velor2005\\Test"));
    ASSERT_TRUE(reg.SetStringValue("Wert", "eins"));
    CRegistry other;
    ASSERT_TRUE(other.Open("SOFTWARE\\vkt\\VELOR2005\\test", KEY_READ));
    std::string v;
    EXPECT_TRUE(other.GetStringValue("wert", v));
    EXPECT_EQ(v, "eins");
}

TEST_F(Settings, ExpandRegistryReference) {
    winsys::RegSetString(Hive::CurrentUser, "SOFTWARE\\X", "InstallDir", "D:\\App");
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"[$HCU\\SOFTWARE\\X\\InstallDir]\\bin", "D:\\App\\bin"},
        {"[$SOFTWARE\\X\\InstallDir]\\bin", "D:\\App\\bin"},
        {"[$HCU\\SOFTWARE\\X\\Missing]\\bin", "\\bin"},
        {"[$HLM\\SOFTWARE\\X\\InstallDir]\\bin", "\\bin"},  // not in the machine hive
        {"vor [$HCU\\SOFTWARE\\X\\InstallDir] nach", "vor D:\\App nach"},
        {"[$HCU\\SOFTWARE\\X\\InstallDir", "[$HCU\\SOFTWARE\\X\\InstallDir"},  // no closing bracket
        {"plain\\text", "plain\\text"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandRegistryReference(c.text), c.expected) << c.text;
}

TEST_F(Settings, ExpandReadsTheMachineHive) {
    // The machine hive has the store's format: make one from a user store.
    winsys::RegSetString(Hive::CurrentUser, "SOFTWARE\\X", "InstallDir", "D:\\App");
    fs::create_directories(box_.Root() / "registry");
    fs::copy_file(box_.RegistryDir() / "user.reg", box_.Root() / "registry" / "machine.reg");
    winsys::RegDeleteKey(Hive::CurrentUser, "SOFTWARE\\X");
    winsys::RegistryReload();
    EXPECT_EQ(ExpandRegistryReference("[$HLM\\SOFTWARE\\X\\InstallDir]\\bin"), "D:\\App\\bin");
    EXPECT_EQ(ExpandRegistryReference("[$HCU\\SOFTWARE\\X\\InstallDir]\\bin"), "\\bin");
}

TEST_F(Settings, RegistryClassOperations) {
    CRegistry reg;
    EXPECT_EQ(reg.GetRootKeyName(), "HKEY_CURRENT_USER");
    EXPECT_FALSE(reg.Connect(HKEY_CURRENT_USER, "REMOTE"));
    EXPECT_EQ(reg.GetErrorCode(), 6);
    EXPECT_FALSE(reg.Connect(HKEY_CLASSES_ROOT, "REMOTE"));
    EXPECT_EQ(reg.GetErrorCode(), 6);
    ASSERT_TRUE(reg.Connect(HKEY_CURRENT_USER));
    EXPECT_FALSE(reg.Open(nullptr));
    EXPECT_EQ(reg.GetErrorCode(), 87);

    ASSERT_TRUE(reg.Create("A\\B\\C"));
    ASSERT_TRUE(reg.SetDWordValue("n", 17));
    ASSERT_TRUE(reg.SetMultiStringValue("list", {"eins", "zwei"}));
    ASSERT_TRUE(reg.SetBinaryValue("bin", {1, 2, 0, 3}));
    uint32_t n = 0;
    EXPECT_TRUE(reg.GetDWordValue("n", n));
    EXPECT_EQ(n, 17u);
    std::vector<std::string> list;
    EXPECT_TRUE(reg.GetMultiStringValue("list", list));
    EXPECT_EQ(list, (std::vector<std::string>{"eins", "zwei"}));
    std::vector<unsigned char> bin;
    EXPECT_TRUE(reg.GetBinaryValue("bin", bin));
    EXPECT_EQ(bin, (std::vector<unsigned char>{1, 2, 0, 3}));
    ASSERT_TRUE(reg.QueryInfo());
    EXPECT_EQ(reg.GetValueCount(), 3u);

    // Three parts: the key of the first two is opened and the third deleted under it.
    EXPECT_TRUE(reg.DeleteKey("A\\B\\C"));
    EXPECT_EQ(reg.GetKeyName(), "A\\B");
    EXPECT_TRUE(winsys::RegKeyExists(Hive::CurrentUser, "A\\B"));
    EXPECT_FALSE(winsys::RegKeyExists(Hive::CurrentUser, "A\\B\\C"));
    EXPECT_FALSE(reg.DeleteKey("Q\\R\\S"));
    EXPECT_EQ(reg.GetKeyName(), "A\\B");  // restored

    EXPECT_FALSE(reg.Save("/tmp/x"));
    EXPECT_EQ(reg.GetErrorCode(), REG_ERROR_NOT_SUPPORTED);
}

TEST_F(Settings, MachineHiveIsReadOnly) {
    CRegistry reg;
    ASSERT_TRUE(reg.Connect(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(reg.Create("SOFTWARE\\New"));
    EXPECT_EQ(reg.GetErrorCode(), REG_ERROR_ACCESS_DENIED);
}

}  // namespace

namespace {

TEST(SettingsWrite, KeyThatCannotBeCreatedIsReported) {
    moduletest::Sandbox box;
    winsys::ScopedRecordingSink sink;
    FakeChannel channel;
    CRegSettings s(&channel);
    // From here on the store cannot be written: its folder is a plain file.
    fs::path blocked = box.WriteFile("blocked", "x");
    setenv("VELOR_REGISTRY_DIR", (blocked / "reg").c_str(), 1);
    winsys::RegistryReload();
    sink.Clear();
    EXPECT_FALSE(s.SetInt("Neu", "wert", 1));
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.back().text,
              "Fehler beim Anlegen des Registry-Schlüssels 'Neu' in 'software\\VKT\\velor2005\\Neu'");
}

}  // namespace

namespace {

TEST(ReportChannel, KeepsTextsOfAnyLength) {
    moduletest::Sandbox box;
    CSettingsChannel& channel = ReportSettingsChannel();
    EXPECT_EQ(channel.Get("Customer4", "Vorgabe"), "Vorgabe");
    std::string longText(600, 'x');  // longer than the report library's old 255-character buffer
    channel.Set("Customer4", longText);
    EXPECT_EQ(channel.Get("Customer4", "Vorgabe"), longText);
    CRegSettings s;
    EXPECT_EQ(s.m_strCustomer[4], longText);
}

}  // namespace
