// Paths, the log writer, processes, the file finder and the small helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "ModuleSandbox.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

TEST(Paths, InstallRootIsTheHostDirectoryLessOneLevel) {
    moduletest::Sandbox box;
    winsys::SetHostExecutablePath("/opt/Suite/bin/velor2005");
    EXPECT_EQ(GetHostExeDir(), "/opt/Suite/bin");
    EXPECT_EQ(GetInstallRoot(), "/opt/Suite");
    winsys::SetHostExecutablePath(box.Bin() / "velor2005");
    EXPECT_EQ(GetInstallRoot(), box.Root().string());
    // No "vkt" folder in the common data folder: the installation root.
    EXPECT_EQ(GetDataDir(), box.Root().string());
}

TEST(Paths, CurrentDirectoryIsKeptAndRestored) {
    moduletest::Sandbox box;
    std::string before = GetCurrentDir();
    {
        CCurDirKeeper keep;
        ASSERT_TRUE(winsys::SetCurrentDirectory(box.Root()));
        EXPECT_EQ(GetCurrentDir(), box.Root().string());
    }
    EXPECT_EQ(GetCurrentDir(), before);
}

TEST(LogWriter, WritesTheStampAndText) {
    moduletest::Sandbox box;
    CLogFile log((box.Root() / "test.log").string());
    log.clock = [] { return winsys::SystemTime{2026, 2, 3, 7, 5, 9, 42}; };
    EXPECT_TRUE(WriteLogLine(log, "text"));
    EXPECT_TRUE(WriteLogLine(log, "zwei Ä"));
    EXPECT_EQ(box.ReadFile(log.Path()),
              "[03.02.2026 / 07:05:09:0042] text\n[03.02.2026 / 07:05:09:0042] zwei Ä\n");
}

TEST(LogWriter, UnwritableLogIsGivenUpSilentlyAfterTenTries) {
    moduletest::Sandbox box;
    winsys::ScopedRecordingSink sink;
    CLogFile log((box.Root() / "no" / "such" / "folder" / "x.log").string());
    int pauses = 0;
    log.sleep = [&](int ms) {
        EXPECT_EQ(ms, 20);
        ++pauses;
    };
    EXPECT_FALSE(WriteLogLine(log, "lost"));
    EXPECT_EQ(pauses, 9);  // ten attempts, 20 ms apart
    EXPECT_TRUE(sink.messages.empty());
}

TEST(Processes, ExitCodeAndLongArgument) {
    moduletest::Sandbox box;
    EXPECT_EQ(RunProcessWait({"/bin/sh", "-c", "exit 3"}), 3);
    EXPECT_EQ(RunProcessWait({"sh", "-c", "exit 0"}), 0);  // found on the search path

    std::string arg;
    for (int i = 0; i < 5000; ++i) arg += static_cast<char>('a' + i % 26);
    arg[100] = ' ';
    arg[200] = '"';
    fs::path out = box.Root() / "arg.txt";
    EXPECT_EQ(RunProcessWait({"/bin/sh", "-c", "printf '%s' \"$1\" > \"$2\"", "sh", arg, out.string()}), 0);
    EXPECT_EQ(box.ReadFile(out), arg);
}

TEST(Processes, StartFailureIsReported) {
    moduletest::Sandbox box;
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(RunProcess({(box.Root() / "missing-program").string()}), 0);
    EXPECT_EQ(RunProcessWait({"no-such-program-anywhere"}), -1);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].caption, "Error");
    EXPECT_EQ(sink.messages[0].icon, winsys::Icon::Information);
    EXPECT_FALSE(sink.messages[0].text.empty());
    EXPECT_EQ(RunProcess({}), 0);
}

TEST(Files, FinderListsMatchesWithTheirFolder) {
    moduletest::Sandbox box;
    box.WriteFile("pi/b.pi", "");
    box.WriteFile("pi/A.PI", "");
    box.WriteFile("pi/c.txt", "");
    fs::create_directories(box.Pi() / "d.pi");
    CFileFinder finder;
    std::vector<std::string> all = finder.FindFiles((box.Pi() / "*.pi").string());
    SortStringList(all, false);
    std::string dir = box.Pi().string() + "/";
    EXPECT_EQ(all, (std::vector<std::string>{dir + "A.PI", dir + "b.pi", dir + "d.pi"}));
    std::vector<std::string> dirs = finder.FindFiles((box.Pi() / "*.pi").string(), FILE_ATTR_DIRECTORY);
    EXPECT_EQ(dirs, std::vector<std::string>{dir + "d.pi"});
    EXPECT_TRUE(finder.FindFiles((box.Pi() / "*.none").string()).empty());
}

TEST(Files, ExtensionsDirectoriesAndExistence) {
    const struct {
        const char* path;
        const char* ext;
    } exts[] = {{"a.VKX", "vkx"}, {".profile", ""}, {"name.", ""}, {"dir.d/file", ""},
                {"/x/y.Tar.GZ", "gz"}, {"noext", ""}, {"dir/.hidden", ""}};
    for (const auto& c : exts) EXPECT_EQ(GetFileExtension(c.path), c.ext) << c.path;

    EXPECT_EQ(GetDirectoryPart("C:\\Prog\\a.txt", true), "C:\\Prog\\");
    EXPECT_EQ(GetDirectoryPart("C:\\Prog\\a.txt", false), "\\Prog\\");
    EXPECT_EQ(GetDirectoryPart("/opt/x/a.txt", false), "/opt/x/");
    EXPECT_EQ(GetDirectoryPart("a.txt", true), "");

    moduletest::Sandbox box;
    fs::path f = box.WriteFile("f.txt", "x");
    EXPECT_TRUE(FileExists(f.string()));
    EXPECT_TRUE(FileCanBeOpened(f.string()));
    std::time_t t = 0;
    EXPECT_TRUE(GetFileTime(f.string(), t));
    EXPECT_GT(t, 0);
    EXPECT_FALSE(FileExists((box.Root() / "none").string()));
    EXPECT_FALSE(FileCanBeOpened((box.Root() / "none").string()));
    EXPECT_FALSE(GetFileTime((box.Root() / "none").string(), t));
}

TEST(Helpers, SplitSortAndNumbers) {
    std::vector<std::string> parts = {"old"};
    SplitString("a, b ,c", ',', parts);
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b ", "c"}));
    SplitString(" x ;y", ';', parts);
    EXPECT_EQ(parts, (std::vector<std::string>{" x ", "y"}));
    SplitString("", ',', parts);
    EXPECT_TRUE(parts.empty());

    std::vector<std::string> list = {"Beta", "alpha", "Gamma", "beta"};
    SortStringList(list, false);
    EXPECT_EQ(list[0], "alpha");
    EXPECT_EQ(list[3], "Gamma");
    SortStringList(list, true);
    EXPECT_EQ(list, (std::vector<std::string>{"Beta", "Gamma", "alpha", "beta"}));

    const struct {
        int32_t v;
        int radix;
        const char* text;
    } ints[] = {{255, 16, "ff"}, {-5, 10, "-5"}, {5, 2, "101"}, {-1, 16, "ffffffff"}, {0, 10, "0"},
                {INT32_MIN, 10, "-2147483648"}};
    for (const auto& c : ints) EXPECT_EQ(IntToString(c.v, c.radix), c.text);

    EXPECT_EQ(SignOf(-3), -1);
    EXPECT_EQ(SignOf(0), 1);
    EXPECT_DOUBLE_EQ(PowInt(2, 10), 1024.0);
    EXPECT_DOUBLE_EQ(PowInt(2, -1), 0.5);
    EXPECT_DOUBLE_EQ(Atan2Int(1, 1), std::atan(1.0));
    EXPECT_EQ(MakeTextPair("a", "b"), std::make_pair(std::string("a"), std::string("b")));
}

struct Named {
    const char* ClassName() const { return "DIzevoViv"; }
};

TEST(Helpers, ClassNamesAndDeveloperSwitch) {
    Named n;
    EXPECT_TRUE(IsClassNamed(&n, "DIzevoViv"));
    EXPECT_FALSE(IsClassNamed(&n, "dizevoviv"));
    EXPECT_FALSE(IsClassNamed(static_cast<Named*>(nullptr), "DIzevoViv"));

    const struct {
        const char* value;
        bool on;
    } cases[] = {{"DEDUV", true}, {"Deduv", true}, {"deduv", false}, {"ENTWICKLER", false}, {"", false}};
    for (const auto& c : cases) {
        setenv("VKTUSER", c.value, 1);
        EXPECT_EQ(IsDeveloperDumpOn(), c.on) << c.value;
    }
    unsetenv("VKTUSER");
    EXPECT_FALSE(IsDeveloperDumpOn());
}

TEST(Fingerprint, OfElementsAndFiles) {
    moduletest::Sandbox box;
    CFingerprint empty;
    EXPECT_TRUE(empty.IsZero());

    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM input = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "input");
    ZEVUD_SetInt(input, "n", 1);
    CFingerprint a, b;
    EXPECT_TRUE(a.FromElement(input));
    EXPECT_FALSE(a.IsZero());
    b = a;
    EXPECT_EQ(a, b);
    ZEVUD_SetInt(input, "n", 2);
    b.FromElement(input);
    EXPECT_NE(a, b);
    ZEVUD_CloseDoc(doc);
    EXPECT_FALSE(b.FromElement(input));  // stale handle
    EXPECT_TRUE(b.IsZero());

    fs::path f = box.WriteFile("f.rtf", "{\\rtf1 x}");
    CFingerprint fa, fb;
    EXPECT_TRUE(fa.FromFile(f.string()));
    EXPECT_TRUE(fb.FromFile(f.string()));
    EXPECT_EQ(fa, fb);
    EXPECT_FALSE(fb.FromFile((box.Root() / "missing").string()));
    EXPECT_TRUE(fb.IsZero());
}

TEST(Help, MissingHelpFileIsReported) {
    moduletest::Sandbox box;
    winsys::ScopedRecordingSink sink;
    EXPECT_FALSE(OpenHelpTopic("rigel.chm", "topic"));
    EXPECT_FALSE(OpenProgramDocument("handbuch.pdf"));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("rigel.chm"), std::string::npos);
    // In German: no help is installed, and the README of the installation
    // describes the program.
    const std::string readme = (std::filesystem::path(GetInstallRoot()) / "README.md").string();
    for (const auto& m : sink.messages) {
        EXPECT_NE(m.text.find("keine Hilfe installiert"), std::string::npos) << m.text;
        EXPECT_NE(m.text.find("'" + readme + "'"), std::string::npos) << m.text;
    }
    EXPECT_NE(sink.messages[1].text.find("handbuch.pdf"), std::string::npos);
}

}  // namespace
