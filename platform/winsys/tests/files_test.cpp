// Side-file naming, case-insensitive resolution, file search, paths, time.
#include "platform/winsys/winsys.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

using namespace winsys;
namespace fs = std::filesystem;

namespace {

class Folder : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(RIGEL_TEST_TMP) / ("winsys_files_" + std::to_string(getpid()) + "_" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void Touch(const std::string& name) const { std::ofstream(dir_ / name) << "x"; }
    std::vector<std::string> Names(const std::vector<fs::path>& paths) const {
        std::vector<std::string> names;
        for (const auto& p : paths) {
            EXPECT_EQ(p.parent_path(), dir_);
            names.push_back(p.filename().string());
        }
        return names;
    }
    fs::path dir_;
};

}  // namespace

TEST(SideFileName, ReplacesAFinalVkxOfAnyCaseAndKeepsTheRest) {
    struct Case {
        const char* doc;
        const char* ext;
        const char* expected;
    };
    const Case cases[] = {
        {"/a/B/Pos1.VKX", ".rtf", "/a/B/Pos1.rtf"},
        {"/a/B/Pos1.vkx", ".temp.skw", "/a/B/Pos1.temp.skw"},
        {"/a/B/Pos1.VkX", ".err", "/a/B/Pos1.err"},
        {"/a/B/Pos1", ".rtf", "/a/B/Pos1.rtf"},                // no extension: appended
        {"/a/B.vkx/Pos1.txt", ".rtf", "/a/B.vkx/Pos1.txt.rtf"},  // ".vkx" not final
        {"/a/B/Pos1.vkx.bak", ".rtf", "/a/B/Pos1.vkx.bak.rtf"},
        {"/a/Ä/Größe.vkx", ".rtf", "/a/Ä/Größe.rtf"},
        {"vkx", ".rtf", "vkx.rtf"},
        {"", ".rtf", ".rtf"},
    };
    for (const auto& c : cases) EXPECT_EQ(SideFileName(c.doc, c.ext), c.expected) << c.doc;
}

TEST(ToSlashPath, TurnsBackslashesIntoSlashes) {
    EXPECT_EQ(ToSlashPath("\\Vorlagen\\Freie Textvorlage.rtf"), "/Vorlagen/Freie Textvorlage.rtf");
    EXPECT_EQ(ToSlashPath("a/b"), "a/b");
}

TEST_F(Folder, ResolvesAFileNameWithoutRegardToCase) {
    Touch("Profil.SKW");
    Touch("Lastfälle.TXT");
    Touch("twice.txt");
    Touch("TWICE.txt");
    struct Case {
        const char* asked;
        const char* found;  // nullptr: the asked path unchanged
    };
    const Case cases[] = {
        {"Profil.SKW", "Profil.SKW"},  {"profil.skw", "Profil.SKW"}, {"PROFIL.skw", "Profil.SKW"},
        {"LASTFÄLLE.txt", "Lastfälle.TXT"}, {"missing.skw", nullptr},  {"twice.TXT", nullptr},  // two candidates: no guess
        {"twice.txt", "twice.txt"},  // the exact name wins
    };
    for (const auto& c : cases) {
        fs::path asked = dir_ / c.asked;
        EXPECT_EQ(ResolveCaseInsensitive(asked), c.found ? dir_ / c.found : asked) << c.asked;
    }
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "nofolder" / "x.txt"), dir_ / "nofolder" / "x.txt");
    EXPECT_EQ(ResolveCaseInsensitive(fs::path()), fs::path());
}

// A folder that has not changed for a while is read once for all the names
// looked up in it; a name added, renamed or removed later is seen at once,
// because the change gives the folder a newer time.
TEST_F(Folder, ResolvingInASettledFolderSeesEveryLaterChange) {
    Touch("Alpha.TXT");
    auto settle = [&](int secondsAgo) {
        const fs::file_time_type t = fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo);
        fs::last_write_time(dir_, t);
    };
    settle(3600);
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "alpha.txt"), dir_ / "Alpha.TXT");
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "ALPHA.txt"), dir_ / "Alpha.TXT");
    Touch("Beta.TXT");  // the folder's time is now
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "beta.txt"), dir_ / "Beta.TXT");
    settle(1800);
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "beta.txt"), dir_ / "Beta.TXT");
    fs::rename(dir_ / "Beta.TXT", dir_ / "Gamma.TXT");
    fs::remove(dir_ / "Alpha.TXT");
    settle(900);
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "beta.txt"), dir_ / "beta.txt");
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "alpha.txt"), dir_ / "alpha.txt");
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "gamma.txt"), dir_ / "Gamma.TXT");
    Touch("GAMMA.txt");  // two candidates now: no guess
    EXPECT_EQ(ResolveCaseInsensitive(dir_ / "gamma.txt"), dir_ / "gamma.txt");
}

// Replacing a file clears the temporary files of ended processes from its
// folder, also from a folder removed and made again under the same name.
TEST_F(Folder, ReplacingAFileClearsTheLitterOfEndedProcesses) {
    auto deadProcess = [] {
        const pid_t child = fork();
        if (child == 0) _exit(0);
        int status = 0;
        waitpid(child, &status, 0);
        return child;
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const fs::path stale = TempFileBeside(dir_, 3).parent_path() /
                               (".~vk" + std::to_string(deadProcess()) + "-3.tmp");
        std::ofstream(stale) << "x";
        std::string why;
        ASSERT_TRUE(WriteFileReplacing((dir_ / "target.txt").string(), "new", why)) << why;
        EXPECT_FALSE(fs::exists(stale));
        EXPECT_TRUE(fs::exists(dir_ / "target.txt"));
    }
}

TEST_F(Folder, FindFilesMatchesPatternsWithTheExtensionWithoutRegardToCase) {
    for (const char* n : {"a.pi", "B.PI", "c.Pi", "d.pix", "e.vkx", "Pos1.VKX", "pos2.vkx", "noext", "x.y.pi",
                          "RIGEL.vor", "rigel.VOR", "Muster.RIGEL.vor"})
        Touch(n);
    fs::create_directories(dir_ / "sub.pi");  // folders are not listed
    struct Case {
        const char* pattern;
        std::vector<std::string> expected;  // sorted by name
    };
    const Case cases[] = {
        {"*.pi", {"B.PI", "a.pi", "c.Pi", "x.y.pi"}},
        {"*.PI", {"B.PI", "a.pi", "c.Pi", "x.y.pi"}},
        {"?.pi", {"B.PI", "a.pi", "c.Pi"}},
        {"pos?.vkx", {"pos2.vkx"}},  // the name part keeps its case
        {"*.vkx", {"Pos1.VKX", "e.vkx", "pos2.vkx"}},
        {"*.RIGEL.vor", {"Muster.RIGEL.vor"}},
        {"*.vor", {"Muster.RIGEL.vor", "RIGEL.vor", "rigel.VOR"}},
        {"noext", {"noext"}},
        {"*.*", {"B.PI", "Muster.RIGEL.vor", "Pos1.VKX", "RIGEL.vor", "a.pi", "c.Pi", "d.pix", "e.vkx", "noext",
                 "pos2.vkx", "rigel.VOR", "x.y.pi"}},
        {"*", {"B.PI", "Muster.RIGEL.vor", "Pos1.VKX", "RIGEL.vor", "a.pi", "c.Pi", "d.pix", "e.vkx", "noext",
               "pos2.vkx", "rigel.VOR", "x.y.pi"}},
        {"*.zzz", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Names(FindFiles(dir_, c.pattern)), c.expected) << c.pattern;
    EXPECT_TRUE(FindFiles(dir_ / "missing", "*").empty());
}

TEST_F(Folder, FileTimesAndUniqueTempFiles) {
    Touch("t.txt");
    auto t = FileTime(dir_ / "t.txt");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, fs::last_write_time(dir_ / "t.txt"));
    EXPECT_FALSE(FileTime(dir_ / "missing.txt"));

    fs::path a = UniqueTempFile("winsys_test_", ".tmp");
    fs::path b = UniqueTempFile("winsys_test_", "tmp");
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::exists(a));  // created, so that no one else takes the name
    EXPECT_EQ(a.extension(), ".tmp");
    EXPECT_EQ(b.extension(), ".tmp");
    EXPECT_EQ(a.parent_path(), TempDirectory());
    fs::path c = UniqueTempFile("../etc/x", "");  // no way out of the temporary folder
    EXPECT_EQ(c.parent_path(), TempDirectory());
    for (const auto& p : {a, b, c}) fs::remove(p);
}

// A reader that must not take a file it did not write tells the file it
// wrote from one renamed over it or written in place, and a missing one.
TEST_F(Folder, FileIdentityTellsAReplacedOrRewrittenFile) {
    const fs::path f = dir_ / "report.rtf";
    EXPECT_FALSE(IdentityOf(f).exists);
    EXPECT_FALSE(IdentityOf(fs::path()).exists);
    Touch("report.rtf");
    const FileIdentity first = IdentityOf(f);
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(IdentityOf(f), first);
    // Renamed over it: another file, even with the same size.
    Touch("other.rtf");
    fs::rename(dir_ / "other.rtf", f);
    const FileIdentity renamed = IdentityOf(f);
    EXPECT_NE(renamed, first);
    // Written in place with more bytes.
    std::ofstream(f, std::ios::app) << "more";
    EXPECT_NE(IdentityOf(f), renamed);
}

TEST(Paths, HostExecutableAndInstallRoot) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(HostExecutablePath(), self);  // nothing registered: the process itself
    SetHostExecutablePath("/opt/Suite/bin/velor2005");
    EXPECT_EQ(HostExecutablePath(), fs::path("/opt/Suite/bin/velor2005"));
    EXPECT_EQ(InstallRoot(), fs::path("/opt/Suite"));
    unsetenv("VELOR_DATA_DIR");
    EXPECT_EQ(CommonDataFolder(), fs::path("/opt/Suite/data"));
    setenv("VELOR_DATA_DIR", "/srv/daten", 1);
    EXPECT_EQ(CommonDataFolder(), fs::path("/srv/daten"));
    unsetenv("VELOR_DATA_DIR");
    SetHostExecutablePath({});
    EXPECT_EQ(HostExecutablePath(), self);
}

TEST(Paths, CurrentDirectoryCanBeSetAndRead) {
    const fs::path before = CurrentDirectory();
    ASSERT_FALSE(before.empty());
    fs::create_directories(RIGEL_TEST_TMP);
    ASSERT_TRUE(SetCurrentDirectory(RIGEL_TEST_TMP));
    EXPECT_EQ(CurrentDirectory(), fs::canonical(RIGEL_TEST_TMP));
    EXPECT_FALSE(SetCurrentDirectory("/no/such/folder"));
    ASSERT_TRUE(SetCurrentDirectory(before));
}

TEST(Time, UtcNowAgreesWithTheSystemClock) {
    const std::time_t before = std::time(nullptr);
    SystemTime t = UtcNow();
    const std::time_t after = std::time(nullptr);
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    const std::time_t back = timegm(&tm);
    EXPECT_GE(back, before);
    EXPECT_LE(back, after);
    EXPECT_GE(t.millisecond, 0);
    EXPECT_LE(t.millisecond, 999);
}

TEST(Environment, GetEnv) {
    setenv("WINSYS_TEST_VALUE", "Wert ä", 1);
    EXPECT_EQ(GetEnv("WINSYS_TEST_VALUE"), "Wert ä");
    unsetenv("WINSYS_TEST_VALUE");
    EXPECT_EQ(GetEnv("WINSYS_TEST_VALUE"), std::nullopt);
}
