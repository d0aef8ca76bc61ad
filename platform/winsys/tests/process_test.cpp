// Processes from an argument vector, program lookup, library loading.
#include "platform/winsys/winsys.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace winsys;
namespace fs = std::filesystem;

namespace {

// The child of these tests is this program itself: with
// WINSYS_TEST_ECHO_CHILD set it writes its arguments (NUL-separated) and
// its working directory into that file and ends with exit code 37.
const bool g_echoChild = [] {
    const char* out = std::getenv("WINSYS_TEST_ECHO_CHILD");
    if (!out) return false;
    std::ifstream cmd("/proc/self/cmdline", std::ios::binary);
    std::stringstream ss;
    ss << cmd.rdbuf();
    std::string all = ss.str();
    std::ofstream f(out, std::ios::binary);
    f << fs::current_path().string() << '\n' << all.substr(all.find('\0') + 1);
    f.close();
    std::_Exit(37);
}();

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class Process : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(RIGEL_TEST_TMP) / ("winsys_process_" + std::to_string(getpid()) + "_" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        SetHostExecutablePath({});
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
};

}  // namespace

TEST_F(Process, LongArgumentsArriveIntactAndTheExitCodeComesBack) {
    std::string longArg;
    for (int i = 0; i < 5000; ++i) longArg += static_cast<char>('a' + i % 26);
    longArg[100] = ' ';
    longArg[200] = '"';
    longArg[300] = '\\';
    longArg[400] = '$';
    longArg[500] = '*';
    longArg += "ä";
    const fs::path out = dir_ / "echo.txt";
    setenv("WINSYS_TEST_ECHO_CHILD", out.c_str(), 1);
    const std::vector<std::string> argv = {fs::read_symlink("/proc/self/exe").string(), longArg, "", "zwei Worte"};
    std::string error = "old";
    long pid = StartProcess(argv, dir_, &error);
    unsetenv("WINSYS_TEST_ECHO_CHILD");
    ASSERT_GT(pid, 0) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(WaitProcess(pid), 37);
    const std::string expected = dir_.string() + "\n" + longArg + std::string(1, '\0') + std::string(1, '\0') +
                                 "zwei Worte" + std::string(1, '\0');
    EXPECT_EQ(ReadFile(out), expected);
}

TEST_F(Process, ExitCodesAndFailures) {
    struct Case {
        std::vector<std::string> argv;
        int exitCode;
    };
    const Case cases[] = {
        {{"true"}, 0},
        {{"false"}, 1},
        {{"sh", "-c", "exit 201"}, 201},
        {{"sh", "-c", "kill -9 $$"}, -1},  // ended by a signal
    };
    for (const auto& c : cases) {
        long pid = StartProcess(c.argv);
        ASSERT_GT(pid, 0) << c.argv.back();
        EXPECT_EQ(WaitProcess(pid), c.exitCode) << c.argv.back();
    }
    std::string error;
    EXPECT_EQ(StartProcess({"/no/such/program"}, {}, &error), -1);
    EXPECT_NE(error.find("/no/such/program"), std::string::npos);
    EXPECT_EQ(StartProcess({}, {}, &error), -1);
    EXPECT_EQ(StartProcess({"true"}, dir_ / "missing-folder", &error), -1);
    EXPECT_EQ(WaitProcess(-1), -1);
    EXPECT_EQ(WaitProcess(0), -1);
}

TEST_F(Process, ProgramsAreFoundInTheHostsFolderThenOnThePath) {
    fs::create_directories(dir_ / "bin");
    const fs::path skizze = dir_ / "bin" / "skizze";
    { std::ofstream(skizze) << "#!/bin/sh\nexit 5\n"; }
    fs::permissions(skizze, fs::perms::owner_all);
    { std::ofstream(dir_ / "bin" / "notexec") << "x"; }
    SetHostExecutablePath(dir_ / "bin" / "velor2005");

    EXPECT_EQ(FindProgram("skizze.exe"), skizze);
    EXPECT_EQ(FindProgram("SKIZZE.EXE"), skizze);
    EXPECT_EQ(FindProgram("skizze"), skizze);
    EXPECT_TRUE(FindProgram("notexec").empty());
    EXPECT_TRUE(FindProgram("no-such-program-anywhere.exe").empty());
    EXPECT_TRUE(FindProgram("").empty());
    const fs::path sh = FindProgram("sh.exe");
    ASSERT_FALSE(sh.empty());
    EXPECT_EQ(sh.filename(), "sh");
    EXPECT_EQ(FindProgram((dir_ / "bin" / "Skizze.exe").string()), skizze);
    EXPECT_EQ(FindProgram("C:\\Programme\\VKT\\skizze.exe"), skizze);  // a Windows folder: the bare name
    EXPECT_EQ(FindProgram((dir_ / "other" / "skizze.exe").string()), skizze);  // missing folder: the bare name

    long pid = StartProcess({FindProgram("skizze.exe").string()});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitProcess(pid), 5);
}

TEST_F(Process, LibrariesAreMappedFromTheirStoredNames) {
    SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    const std::string inRoot = (fs::path(RIGEL_BUILD_ROOT) / "bin" / "Lingo.dll").string();
    for (const std::string& name : std::vector<std::string>{"Lingo.dll", "LINGO.DLL", "lingo", "liblingo.so", "C:\\Prog\\Lingo.dll", inRoot}) {
        std::string error;
        void* lib = LoadLibrary(name, &error);
        ASSERT_NE(lib, nullptr) << name << ": " << error;
        using TranslateFn = int (*)(const char*, const char*, const char*, const char*, char*, int);
        auto fn = reinterpret_cast<TranslateFn>(GetProcAddress(lib, "LINGO_Translate"));
        ASSERT_NE(fn, nullptr) << name;
        char buf[16];
        EXPECT_EQ(fn("VKT Eingabe", "velor_i_common", "Test", "Größe", buf, sizeof buf), 7);
        EXPECT_STREQ(buf, "Größe");
        EXPECT_EQ(GetProcAddress(lib, "NoSuchExport"), nullptr);
        FreeLibrary(lib);
    }
    std::string error;
    EXPECT_EQ(LoadLibrary("Missing.dll", &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(LoadLibrary("", &error), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
    FreeLibrary(nullptr);
}

// A library loaded as another name answers for that name: the module's
// build without windows, loaded for a calculation, is what the module's own
// calls by its stored name reach, never a second copy of the module.
TEST_F(Process, ALibraryLoadedAsAnotherNameAnswersForIt) {
    SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    std::string error;
    // No file of that name: before it stands for it, nothing answers.
    EXPECT_EQ(LoadLibrary("StandInModule.dll", &error), nullptr);

    void* lingo = LoadLibraryAs("Lingo.dll", "StandInModule.dll", &error);
    ASSERT_NE(lingo, nullptr) << error;
    for (const std::string& name : std::vector<std::string>{"StandInModule.dll", "STANDINMODULE.DLL", "standinmodule",
                                                            "C:\\Prog\\StandInModule.dll"}) {
        void* lib = LoadLibrary(name, &error);
        EXPECT_EQ(lib, lingo) << name << ": " << error;
        EXPECT_NE(GetProcAddress(lib, "LINGO_Translate"), nullptr) << name;
        FreeLibrary(lib);
    }
    // Another library loaded for the name takes its place; its own file name
    // is still its own.
    void* winsys = LoadLibraryAs("winsys", "StandInModule", &error);
    ASSERT_NE(winsys, nullptr) << error;
    EXPECT_NE(winsys, lingo);
    void* now = LoadLibrary("StandInModule.dll", &error);
    EXPECT_EQ(now, winsys);
    EXPECT_EQ(GetProcAddress(now, "LINGO_Translate"), nullptr);
    void* lingoAgain = LoadLibrary("Lingo.dll", &error);
    EXPECT_EQ(lingoAgain, lingo);
    for (void* h : {now, lingoAgain, winsys, lingo}) FreeLibrary(h);

    // A file that does not load stands for nothing, and says why.
    error.clear();
    EXPECT_EQ(LoadLibraryAs("Missing.dll", "OtherStandIn.dll", &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(LoadLibrary("OtherStandIn.dll", &error), nullptr);
}

TEST_F(Process, ShellOpenSaysWhatIsMissing) {
    ScopedRecordingSink sink;
    EXPECT_FALSE(ShellOpen(dir_ / "missing.rtf"));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("missing.rtf"), std::string::npos);

    // Without an opener on the path, the user is told so.
    { std::ofstream(dir_ / "report.rtf") << "{\\rtf1}"; }
    const std::string path = GetEnv("PATH").value_or("");
    setenv("PATH", dir_.c_str(), 1);
    SetHostExecutablePath(dir_ / "bin" / "velor2005");
    EXPECT_FALSE(ShellOpen(dir_ / "report.rtf"));
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[1].text.find("xdg-open"), std::string::npos);

    // With one, it is started with the file.
    fs::create_directories(dir_ / "opener");
    const fs::path opener = dir_ / "opener" / "xdg-open";
    { std::ofstream(opener) << "#!/bin/sh\necho \"$1\" > '" << (dir_ / "opener" / "opened.txt").string() << "'\n"; }
    fs::permissions(opener, fs::perms::owner_all);
    setenv("PATH", (dir_ / "opener").c_str(), 1);
    EXPECT_TRUE(ShellOpen(dir_ / "report.rtf"));
    setenv("PATH", path.c_str(), 1);
    for (int i = 0; i < 500 && ReadFile(dir_ / "opener" / "opened.txt").empty(); ++i) Sleep(10);
    EXPECT_EQ(ReadFile(dir_ / "opener" / "opened.txt"), (dir_ / "report.rtf").string() + "\n");
    EXPECT_EQ(sink.messages.size(), 2u);
}

TEST_F(Process, ShellCallsGoThroughTheInstalledServiceAndPrintingIsNotSetUpByDefault) {
    {
        RecordingShell shell;
        shell.answer = false;
        EXPECT_FALSE(ShellOpen(dir_ / "a.rtf"));
        EXPECT_FALSE(ShellPrint(dir_ / "b.rtf"));
        ASSERT_EQ(shell.calls.size(), 2u);
        EXPECT_EQ(shell.calls[0], (std::pair<std::string, fs::path>{"open", dir_ / "a.rtf"}));
        EXPECT_EQ(shell.calls[1], (std::pair<std::string, fs::path>{"print", dir_ / "b.rtf"}));
    }
    // The desktop's service again: printing says it is not set up, and fails.
    ScopedRecordingSink sink;
    { std::ofstream(dir_ / "c.rtf") << "{\\rtf1}"; }
    EXPECT_FALSE(ShellPrint(dir_ / "c.rtf"));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("nicht eingerichtet"), std::string::npos);
    EXPECT_NE(sink.messages[0].text.find("c.rtf"), std::string::npos);
}
