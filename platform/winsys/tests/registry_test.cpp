// The registry store: names without regard to case, typed values,
// enumeration, deletion, persistence across reloads and processes, a
// damaged store file, the read-only machine hive.
#include "platform/winsys/winsys.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace winsys;
namespace fs = std::filesystem;

namespace {

const std::string kBase = "Software\\VKT\\velor2005";

// Each test gets a registry folder of its own.
class Registry : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(RIGEL_TEST_TMP) / ("winsys_registry_" + std::to_string(getpid()) + "_" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        setenv("VELOR_REGISTRY_DIR", dir_.c_str(), 1);
        RegistryReload();
    }
    void TearDown() override {
        RegistryReload();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path StoreFile() const { return dir_ / "user.reg"; }
    std::string ReadStore() const {
        std::ifstream in(StoreFile(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void WriteStore(const std::string& text) const {
        std::ofstream out(StoreFile(), std::ios::binary | std::ios::trunc);
        out << text;
    }
    fs::path dir_;
};

RegValue Dword(uint32_t v) {
    RegValue r;
    r.type = RegType::Dword;
    r.dword = v;
    return r;
}

RegValue Multi(std::vector<std::string> v) {
    RegValue r;
    r.type = RegType::MultiString;
    r.multi = std::move(v);
    return r;
}

RegValue Binary(std::vector<unsigned char> v) {
    RegValue r;
    r.type = RegType::Binary;
    r.bin = std::move(v);
    return r;
}

}  // namespace

TEST_F(Registry, KeyAndValueNamesCompareWithoutRegardToCase) {
    EXPECT_EQ(RegistryFolder(), dir_);
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, "Software\\VKT\\velor2005", "bQuill", "1"));
    EXPECT_TRUE(RegKeyExists(Hive::CurrentUser, "software\\VKT\\velor2005"));
    EXPECT_TRUE(RegKeyExists(Hive::CurrentUser, "SOFTWARE\\vkt\\VELOR2005"));
    EXPECT_EQ(RegGetString(Hive::CurrentUser, "software\\VKT\\velor2005", "BQUILL"), "1");

    // Writing through the other spelling changes the same value; names keep the case first used.
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, "software\\vkt\\Velor2005", "bquill", "0"));
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "bQuill"), "0");
    EXPECT_EQ(RegEnumKeys(Hive::CurrentUser, ""), std::vector<std::string>{"Software"});
    EXPECT_EQ(RegEnumKeys(Hive::CurrentUser, "software"), std::vector<std::string>{"VKT"});
    EXPECT_EQ(RegEnumValues(Hive::CurrentUser, kBase), std::vector<std::string>{"bQuill"});

    // German names fold as well.
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase + "\\LINGO", "Sprache", "französisch"));
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase + "\\lingo", "SPRACHE"), "französisch");
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "Größe", "1"));
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "GRÖSSE"), std::nullopt);  // no ß folding
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "GRÖßE"), "1");
}

TEST_F(Registry, TypedValuesRoundTripThroughTheFile) {
    const std::string awkward = "Zeile 1\nZeile\t2 \\ C:\\Pfad\r";
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "", "Standardwert"));
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "text", awkward));
    ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase, "dispFlags", Dword(4294967295u)));
    ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase, "projectLRU", Multi({"C:\\a.vkx", "", "b\tc"})));
    ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase, "leer", Multi({})));
    ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase, "einLeeres", Multi({""})));
    ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase, "bin", Binary({0x00, 0xff, 0x10, 0x0a})));
    EXPECT_FALSE(RegSetValue(Hive::CurrentUser, kBase, "none", RegValue()));

    RegistryReload();  // everything below comes from the file

    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, ""), "Standardwert");
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "text"), awkward);
    auto d = RegGetValue(Hive::CurrentUser, kBase, "DISPFLAGS");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->type, RegType::Dword);
    EXPECT_EQ(d->dword, 4294967295u);
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "dispFlags"), std::nullopt);  // not a string value
    auto m = RegGetValue(Hive::CurrentUser, kBase, "projectLRU");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->type, RegType::MultiString);
    EXPECT_EQ(m->multi, (std::vector<std::string>{"C:\\a.vkx", "", "b\tc"}));
    EXPECT_EQ(RegGetValue(Hive::CurrentUser, kBase, "leer")->multi.size(), 0u);
    EXPECT_EQ(RegGetValue(Hive::CurrentUser, kBase, "einLeeres")->multi, std::vector<std::string>{""});
    auto b = RegGetValue(Hive::CurrentUser, kBase, "bin");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->type, RegType::Binary);
    EXPECT_EQ(b->bin, (std::vector<unsigned char>{0x00, 0xff, 0x10, 0x0a}));
    EXPECT_EQ(RegGetValue(Hive::CurrentUser, kBase, "none"), std::nullopt);

    // A value may change its type.
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "dispFlags", "127"));
    EXPECT_EQ(RegGetValue(Hive::CurrentUser, kBase, "dispFlags")->type, RegType::String);
}

TEST_F(Registry, EnumerationAndDeletion) {
    for (const char* k : {"software\\VKT\\Ostrel", "software\\VKT\\velor2005\\Quill", "software\\VKT\\velor2005\\LINGO",
                          "software\\VKT\\alpha"})
        ASSERT_TRUE(RegCreateKey(Hive::CurrentUser, k));
    ASSERT_TRUE(RegCreateKey(Hive::CurrentUser, "software\\VKT\\Ostrel"));  // existing: fine
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "b", "2"));
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "A", "1"));
    ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase + "\\Quill", "iZoom", Dword(9)));

    EXPECT_EQ(RegEnumKeys(Hive::CurrentUser, "software\\vkt"), (std::vector<std::string>{"alpha", "Ostrel", "velor2005"}));
    EXPECT_EQ(RegEnumKeys(Hive::CurrentUser, kBase), (std::vector<std::string>{"LINGO", "Quill"}));
    EXPECT_EQ(RegEnumValues(Hive::CurrentUser, kBase), (std::vector<std::string>{"A", "b"}));
    EXPECT_TRUE(RegEnumKeys(Hive::CurrentUser, "software\\nothing").empty());

    EXPECT_TRUE(RegDeleteValue(Hive::CurrentUser, kBase, "B"));
    EXPECT_FALSE(RegDeleteValue(Hive::CurrentUser, kBase, "b"));  // gone already
    EXPECT_EQ(RegEnumValues(Hive::CurrentUser, kBase), std::vector<std::string>{"A"});

    // Deleting a key takes its sub keys and values along; a three-part path
    // deletes the third part under the first two.
    EXPECT_TRUE(RegDeleteKey(Hive::CurrentUser, "SOFTWARE\\vkt\\VELOR2005"));
    EXPECT_FALSE(RegKeyExists(Hive::CurrentUser, kBase + "\\Quill"));
    EXPECT_EQ(RegGetValue(Hive::CurrentUser, kBase + "\\Quill", "iZoom"), std::nullopt);
    EXPECT_TRUE(RegKeyExists(Hive::CurrentUser, "software\\VKT\\Ostrel"));
    EXPECT_FALSE(RegDeleteKey(Hive::CurrentUser, kBase));
    EXPECT_FALSE(RegDeleteKey(Hive::CurrentUser, ""));

    RegistryReload();
    EXPECT_EQ(RegEnumKeys(Hive::CurrentUser, "software\\VKT"), (std::vector<std::string>{"alpha", "Ostrel"}));
}

TEST_F(Registry, ChangesAreSeenByAnotherReaderOfTheFile) {
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "Name", "erster"));
    // Another process replaces the file (as this library does: new file, rename).
    const fs::path other = dir_ / "other.reg";
    {
        std::ofstream out(other, std::ios::binary);
        out << "VELOR-REGISTRY 1\nS\tSoftware\\\\VKT\\\\velor2005\tName\tzweiter\n";  // backslashes escaped
    }
    fs::rename(other, StoreFile());
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "name"), "zweiter");
    // and the next change keeps what the other wrote.
    ASSERT_TRUE(RegSetString(Hive::CurrentUser, kBase, "x", "1"));
    RegistryReload();
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "Name"), "zweiter");
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "x"), "1");
}

TEST_F(Registry, WritesLeaveNoTemporaryFiles) {
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(RegSetValue(Hive::CurrentUser, kBase, "n", Dword(static_cast<uint32_t>(i))));
    for (const auto& e : fs::directory_iterator(dir_)) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "user.reg" || name == "user.reg.lock") << name;
    }
    EXPECT_EQ(ReadStore().rfind("VELOR-REGISTRY 1\n", 0), 0u);
}

TEST_F(Registry, ADamagedStoreIsReportedOnceKeptAsideAndReadAsEmpty) {
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"no header", "S\tSoftware\tx\ty\n"},
        {"unknown record", "VELOR-REGISTRY 1\nQ\tSoftware\n"},
        {"bad escape", "VELOR-REGISTRY 1\nS\tSoftware\tx\tC:\\q\n"},
        {"bad dword", "VELOR-REGISTRY 1\nD\tSoftware\tx\t12abc\n"},
        {"dword too big", "VELOR-REGISTRY 1\nD\tSoftware\tx\t4294967296\n"},
        {"odd hex", "VELOR-REGISTRY 1\nB\tSoftware\tx\tabc\n"},
        {"missing field", "VELOR-REGISTRY 1\nS\tSoftware\tx\n"},
        {"binary garbage", std::string("\x7f" "ELF\0\0\x01\x02", 8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        WriteStore(c.text);
        RegistryReload();
        ScopedRecordingSink sink;
        EXPECT_EQ(RegGetString(Hive::CurrentUser, "Software", "x"), std::nullopt);
        EXPECT_FALSE(RegKeyExists(Hive::CurrentUser, "Software"));
        EXPECT_TRUE(RegEnumKeys(Hive::CurrentUser, "").empty());
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].text.find("beschädigt"), std::string::npos);
        EXPECT_NE(sink.messages[0].text.find("user.reg"), std::string::npos);
        // The damaged text is kept beside the store before anything overwrites it.
        std::ifstream kept(dir_ / "user.reg.damaged", std::ios::binary);
        std::stringstream ss;
        ss << kept.rdbuf();
        EXPECT_EQ(ss.str(), c.text);
        // Writing makes a sound store again.
        ASSERT_TRUE(RegSetString(Hive::CurrentUser, "Software", "x", "neu"));
        RegistryReload();
        EXPECT_EQ(RegGetString(Hive::CurrentUser, "software", "X"), "neu");
        EXPECT_EQ(sink.messages.size(), 1u);
    }
}

TEST_F(Registry, AStoreThatCannotBeReadIsNeverOverwritten) {
    // A folder in the store's place: it opens, but no read succeeds (even
    // for the superuser, whom file permissions would not stop).
    fs::create_directories(StoreFile());
    { std::ofstream(StoreFile() / "inhalt") << "bleibt"; }
    RegistryReload();
    ScopedRecordingSink sink;
    EXPECT_EQ(RegGetString(Hive::CurrentUser, "Software", "x"), std::nullopt);
    EXPECT_FALSE(RegSetString(Hive::CurrentUser, "Software", "y", "neu"));
    EXPECT_FALSE(RegCreateKey(Hive::CurrentUser, "Software"));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("kann nicht gelesen werden"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(StoreFile()));
    EXPECT_TRUE(fs::exists(StoreFile() / "inhalt"));
}

TEST_F(Registry, ADamagedStoreThatCannotBeKeptAsideIsNeverOverwritten) {
    const std::string damaged = "VELOR-REGISTRY 1\nkaputt\n";
    WriteStore(damaged);
    // Every name for the copy is taken.
    fs::create_directories(dir_ / "user.reg.damaged");
    for (int i = 1; i < 1000; ++i) fs::create_directories(dir_ / ("user.reg.damaged." + std::to_string(i)));
    RegistryReload();
    ScopedRecordingSink sink;
    EXPECT_FALSE(RegKeyExists(Hive::CurrentUser, "Software"));
    EXPECT_FALSE(RegSetString(Hive::CurrentUser, "Software", "x", "neu"));
    RegistryReload();
    EXPECT_FALSE(RegSetString(Hive::CurrentUser, "Software", "x", "neu"));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("nicht gesichert"), std::string::npos);
    EXPECT_EQ(ReadStore(), damaged);
}

TEST_F(Registry, AnEmptyOrMissingStoreIsEmptyWithoutComplaint) {
    ScopedRecordingSink sink;
    EXPECT_FALSE(RegKeyExists(Hive::CurrentUser, kBase));
    WriteStore("");
    RegistryReload();
    EXPECT_FALSE(RegKeyExists(Hive::CurrentUser, kBase));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(Registry, AFolderThatCannotBeWrittenFailsTheChange) {
    const fs::path blocker = dir_ / "file-not-folder";
    { std::ofstream(blocker) << "x"; }
    setenv("VELOR_REGISTRY_DIR", (blocker / "sub").c_str(), 1);
    EXPECT_FALSE(RegSetString(Hive::CurrentUser, kBase, "a", "b"));
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "a"), std::nullopt);  // nothing half-kept in memory
    setenv("VELOR_REGISTRY_DIR", dir_.c_str(), 1);
}

TEST_F(Registry, TheMachineHiveIsReadFromTheInstallationAndIsReadOnly) {
    const fs::path root = dir_ / "install";
    fs::create_directories(root / "registry");
    {
        std::ofstream out(root / "registry" / "machine.reg", std::ios::binary);
        out << "VELOR-REGISTRY 1\nS\tSOFTWARE\\\\X\tInstallDir\tD:\\\\App\n";
    }
    SetHostExecutablePath(root / "bin" / "velor2005");
    RegistryReload();
    EXPECT_EQ(RegGetString(Hive::LocalMachine, "software\\x", "installdir"), "D:\\App");
    EXPECT_TRUE(RegCreateKey(Hive::LocalMachine, "SOFTWARE\\X"));  // opens what is there
    EXPECT_FALSE(RegCreateKey(Hive::LocalMachine, "SOFTWARE\\Y"));
    EXPECT_FALSE(RegSetString(Hive::LocalMachine, "SOFTWARE\\X", "InstallDir", "E:\\"));
    EXPECT_FALSE(RegDeleteKey(Hive::LocalMachine, "SOFTWARE\\X"));
    EXPECT_FALSE(RegDeleteValue(Hive::LocalMachine, "SOFTWARE\\X", "InstallDir"));
    EXPECT_EQ(RegGetString(Hive::LocalMachine, "SOFTWARE\\X", "InstallDir"), "D:\\App");
    // The two hives are apart.
    EXPECT_EQ(RegGetString(Hive::CurrentUser, "SOFTWARE\\X", "InstallDir"), std::nullopt);
    SetHostExecutablePath({});
    RegistryReload();
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    std::vector<long> pids;
    for (const char* who : {"a", "b", "c"}) {
        setenv("WINSYS_TEST_REGISTRY_WRITER", who, 1);
        pids.push_back(StartProcess({self.string(), "--gtest_filter=None"}));
    }
    unsetenv("WINSYS_TEST_REGISTRY_WRITER");
    for (long pid : pids) {
        ASSERT_GT(pid, 0);
        EXPECT_EQ(WaitProcess(pid), 0);
    }
    EXPECT_EQ(RegEnumValues(Hive::CurrentUser, kBase).size(), 3u * 20u);
    EXPECT_EQ(RegGetString(Hive::CurrentUser, kBase, "b19"), "b");
}

TEST_F(Registry, ValuesWrittenByAnotherProcessAreRead) {
    // The child is this very test program, told by the environment to write
    // one value and leave (see the start-up hook below).
    const fs::path self = fs::read_symlink("/proc/self/exe");
    setenv("WINSYS_TEST_REGISTRY_CHILD", "1", 1);
    long pid = StartProcess({self.string(), "--gtest_filter=None"});
    unsetenv("WINSYS_TEST_REGISTRY_CHILD");
    ASSERT_GT(pid, 0);
    ASSERT_EQ(WaitProcess(pid), 0);
    EXPECT_EQ(RegGetString(Hive::CurrentUser, "software\\vkt\\velor2005", "vonKind"), "geschrieben");
    auto d = RegGetValue(Hive::CurrentUser, kBase, "zahl");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->dword, 42u);
}

namespace {
// Runs before main in the child process of the test above.
const bool g_child = [] {
    if (!std::getenv("WINSYS_TEST_REGISTRY_CHILD")) return false;
    bool ok = RegSetString(Hive::CurrentUser, kBase, "vonKind", "geschrieben") &&
              RegSetValue(Hive::CurrentUser, kBase, "zahl", Dword(42));
    std::exit(ok ? 0 : 3);
}();
}  // namespace

namespace {
// Child of the concurrent test: writes twenty values named after it.
const bool g_writer = [] {
    const char* who = std::getenv("WINSYS_TEST_REGISTRY_WRITER");
    if (!who) return false;
    for (int i = 0; i < 20; ++i)
        if (!RegSetString(Hive::CurrentUser, kBase, who + std::to_string(i), who)) std::exit(3);
    std::exit(0);
}();
}  // namespace
