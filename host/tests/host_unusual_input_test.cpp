// Small reproducers of unusual and hostile input, each run through the host
// program as a user runs it: the exit code, a message that names the cause,
// the input left byte for byte as it was after a refusal, and for legal
// input a saved document that opens again.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/tests/host_scratch.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

using host_test::Quoted;
using host_test::ReadAll;
using host_test::Replaced;
using host_test::WriteAll;

struct HostRun {
    int code = -1;
    std::string out, err;
};

// An installation of its own: the host program copied, everything else of
// the build's installation linked or copied, so that a part can be taken
// away or damaged.
fs::path MakeInstallation(const fs::path& root) {
    const fs::path built(RIGEL_BUILD_ROOT);
    fs::create_directories(root / "bin");
    for (const auto& e : fs::directory_iterator(built / "bin")) {
        if (e.path().filename() == "velor2005")
            fs::copy_file(e.path(), root / "bin" / "velor2005");
        else
            fs::create_symlink(e.path(), root / "bin" / e.path().filename());
    }
    fs::copy(built / "pi", root / "pi", fs::copy_options::recursive);
    fs::copy(built / "material", root / "material", fs::copy_options::recursive);
    fs::copy_file(built / "profil.skw", root / "profil.skw");
    return root;
}

class HostUnusualInput : public host_test::HostScratch {
protected:
    void SetUp() override { SetUpScratch("host_unusual"); }

    // Runs "velor2005 calc <file>" of the given installation in the file's folder.
    HostRun Calc(const fs::path& file, const fs::path& installation = fs::path(RIGEL_BUILD_ROOT)) {
        const fs::path out = dir_ / "io" / "out", err = dir_ / "io" / "err";
        const std::string cmd = "cd " + Quoted(file.parent_path().string()) + " && " +
                                Quoted((installation / "bin" / "velor2005").string()) + " calc " +
                                Quoted(file.filename().string()) + " >" + Quoted(out.string()) + " 2>" +
                                Quoted(err.string());
        const int status = std::system(cmd.c_str());
        HostRun r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadAll(out);
        r.err = ReadAll(err);
        return r;
    }

    static std::string Example(const std::string& name) { return host_test::Example(name); }
};

// Opens a saved position again; empty when it does not open.
std::string ReopenedRootAttr(const fs::path& file, const std::string& path, const std::string& attr) {
    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    if (!d) return "(does not open)";
    ZVELEM e = ZEVUD_GetRootElement(d);
    std::string rest = path;
    while (e && !rest.empty()) {
        const size_t cut = rest.find('\\');
        e = ZEVUD_FindFirstChild(e, rest.substr(0, cut).c_str());
        rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
    }
    std::string v = e ? zevud::GetString(e, attr) : "(missing)";
    ZEVUD_CloseDoc(d);
    return v;
}

}  // namespace

// Positions whose input is refused: exit 1, the cause named, the file as it was.
TEST_F(HostUnusualInput, RefusedPositionsAreNamedAndLeftAsTheyWere) {
    const std::string example = Example("Einfeldtraeger.vkx");
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> named;
    } cases[] = {
        {"field length no number", Replaced(example, "<field_1 length=\"6\"", "<field_1 length=\"x6\""),
         {"\"x6\"", "\"length\"", "field_1"}},
        {"field length with a tail", Replaced(example, "<field_1 length=\"6\"", "<field_1 length=\"6abc\""),
         {"\"6abc\"", "\"length\""}},
        {"load value nan", Replaced(example, "val0=\"3\"", "val0=\"nan\""), {"\"nan\"", "\"val0\"", "load_0"}},
        {"load value inf", Replaced(example, "val0=\"3\"", "val0=\"inf\""), {"\"inf\"", "\"val0\""}},
        {"load value absurd", Replaced(example, "val0=\"3\"", "val0=\"1e308\""), {"val0 = 1e+308", "Last 1"}},
        {"field length absurd", Replaced(example, "<field_1 length=\"6\"", "<field_1 length=\"6e9\""),
         {"Feldlänge 6e+09"}},
        {"load case no number", Replaced(example, "<load_0 lc=\"1\"", "<load_0 lc=\"eins\""), {"\"eins\"", "\"lc\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = Work("pos.vkx");
        WriteAll(file, c.bytes);
        const HostRun r = Calc(file);
        EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
        for (const std::string& part : c.named) EXPECT_NE(r.err.find(part), std::string::npos) << part << "\n" << r.err;
        EXPECT_EQ(ReadAll(file), c.bytes) << "the position is left byte for byte";
        EXPECT_EQ(r.out.find("Max. Ausnutzung"), std::string::npos);
    }
}

// Positions with nothing to calculate are refused and left as they were.
TEST_F(HostUnusualInput, EmptyPositionsAreLeftAsTheyWere) {
    for (const std::string bytes : {std::string("<root/>"), std::string("<root progname=\"RIGEL\"/>"),
                                    std::string("<?xml version=\"1.0\"?>\n<root><input/></root>\n")}) {
        SCOPED_TRACE(bytes);
        const fs::path file = Work("leer.vkx");
        WriteAll(file, bytes);
        const HostRun r = Calc(file);
        EXPECT_NE(r.code, host::ExitOk) << r.out << r.err;
        EXPECT_NE(r.code, host::ExitNotFulfilled) << r.out << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(ReadAll(file), bytes);
    }
}

// Legal but unusual positions calculate and save a document that opens again.
TEST_F(HostUnusualInput, LegalUnusualPositionsCalculateAndOpenAgain) {
    const std::string example = Example("Einfeldtraeger.vkx");
    const std::string longFolder = std::string(120, 'o') + "/" + std::string(120, 'r') + "/" + std::string(80, 'd');
    struct Case {
        const char* what;
        std::string name;  // relative to the work folder
        std::string bytes;
        std::string path, attr, expected;  // a value of the saved document
    } cases[] = {
        {"text not UTF-8", "pos.vkx",
         Replaced(example, "desc=\"Eigengewicht und Ausbau\"", "desc=\"Eigengewicht \xe4 \xc3\x28\""),
         "input\\loads\\load_0", "desc", "Eigengewicht ä Ã("},
        {"backslash in the file name", "Halle\\Achse 3.vkx", example, "", "progname", "RIGEL"},
        {"raw byte in the file name", "Tr\xe4ger \xff.vkx", example, "", "progname", "RIGEL"},
        {"name of 250 bytes", std::string(246, 'n') + ".vkx", example, "", "progname", "RIGEL"},
        {"folder path over 300 characters", longFolder + "/pos.vkx", example, "", "progname", "RIGEL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = Work(c.name);
        fs::create_directories(file.parent_path());
        WriteAll(file, c.bytes);
        const HostRun r = Calc(file);
        EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
        EXPECT_NE(r.out.find("Tragsicherheit: max. Ausnutzung 0.565"), std::string::npos) << r.out << r.err;
        EXPECT_EQ(r.out.find("Bericht: keiner"), std::string::npos) << r.out << r.err;
        EXPECT_EQ(ReopenedRootAttr(file, c.path, c.attr), c.expected);
        std::vector<std::string> litter;
        for (const auto& e : fs::directory_iterator(file.parent_path()))
            if (e.path().filename().string().find(".tmp") != std::string::npos) litter.push_back(e.path().string());
        EXPECT_TRUE(litter.empty()) << litter.front();
        fs::remove_all(dir_ / "work");
        fs::create_directories(dir_ / "work");
    }
}

// Kernel text inputs: a section file that does not read, a missing one.
TEST_F(HostUnusualInput, TextInputsWithBrokenSectionFilesSayWhy) {
    const std::string vk1 = Example("Einfeldtraeger.vk1");
    const std::string skw = Example("Einfeldtraeger.skw");
    struct Case {
        const char* what;
        std::string section;  // empty: no section file
        std::vector<std::string> named;
    } cases[] = {
        {"wall thickness no number", Replaced(skw, "te=\"1.0699999999999998\"", "te=\"x1.07\""),
         {"\"x1.07\"", "\"te\"", "E.skw"}},
        {"wall thickness with a tail", Replaced(skw, "te=\"1.0699999999999998\"", "te=\"1.07abc\""), {"\"1.07abc\""}},
        {"wall thickness absurd", Replaced(skw, "te=\"1.0699999999999998\"", "te=\"1e308\""), {"te", "1e308"}},
        {"no section file", "", {"E.skw"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = Work("E.vk1");
        WriteAll(file, vk1);
        fs::remove(Work("E.skw"));
        if (!c.section.empty()) WriteAll(Work("E.skw"), c.section);
        const HostRun r = Calc(file);
        EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
        for (const std::string& part : c.named) EXPECT_NE(r.err.find(part), std::string::npos) << part << "\n" << r.err;
        EXPECT_EQ(r.err.find("\\par"), std::string::npos) << "no RTF codes on the console";
        EXPECT_FALSE(fs::exists(Work("E_XXX.rtf")));
        if (!c.section.empty()) EXPECT_EQ(ReadAll(Work("E.skw")), c.section);
    }
    // The sound pair calculates.
    WriteAll(Work("E.skw"), skw);
    const HostRun ok = Calc(Work("E.vk1"));
    EXPECT_EQ(ok.code, host::ExitOk) << ok.out << ok.err;
}

// An installation that lacks a part says which one, calculates nothing and
// leaves the position as it was.
TEST_F(HostUnusualInput, DamagedInstallationIsNamedAndChangesNothing) {
    const std::string example = Example("Einfeldtraeger.vkx");
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> damage;
        std::string named;
    } cases[] = {
        {"material database missing", [](const fs::path& r) { fs::remove(r / "material" / "standard.material.dat"); },
         "Materialdatenbank"},
        {"material database damaged",
         [](const fs::path& r) {
             const fs::path f = r / "material" / "standard.material.dat";
             WriteAll(f, Replaced(ReadAll(f), "Wert01=\"210000\"", "Wert01=\"21O000\""));
         },
         "\"21O000\""},
        {"material database truncated",
         [](const fs::path& r) {
             const fs::path f = r / "material" / "standard.material.dat";
             const std::string b = ReadAll(f);
             WriteAll(f, b.substr(0, b.size() / 2));
         },
         "Materialdatenbank"},
        {"program information missing", [](const fs::path& r) { fs::remove_all(r / "pi"); }, "pi"},
        {"program information damaged",
         [](const fs::path& r) {
             const fs::path f = r / "pi" / "Rigel.pi";
             const std::string b = ReadAll(f);
             WriteAll(f, b.substr(0, b.size() / 3));
         },
         "Rigel.pi"},
        {"profile catalogue missing", [](const fs::path& r) { fs::remove(r / "profil.skw"); }, "profil.skw"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path installation = MakeInstallation(dir_ / ("inst" + std::to_string(n++)));
        c.damage(installation);
        const fs::path file = Work("pos.vkx");
        WriteAll(file, example);
        const HostRun r = Calc(file, installation);
        EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(file), example) << "the position is left byte for byte";
        fs::remove_all(installation);
    }
}

// A calculation from the command line loads the module's build without
// windows and with it no toolkit; the whole module, put in its place,
// writes every file and line alike, byte for byte (a crane runway
// included, whose module calls its own report routines by the module's
// stored name).
TEST_F(HostUnusualInput, CalculationsLoadNoToolkitAndMatchTheWholeModule) {
    const fs::path whole = MakeInstallation(dir_ / "whole");
    fs::remove(whole / "bin" / "libDlgRigelBatch.so");
    fs::create_symlink(fs::path(RIGEL_BUILD_ROOT) / "bin" / "libDlgRigel.so", whole / "bin" / "libDlgRigelBatch.so");

    // The files the loader opened during a run, from its own record.
    auto loaded = [&](const fs::path& record) {
        std::string all;
        for (const auto& e : fs::directory_iterator(record.parent_path()))
            if (e.path().filename().string().rfind(record.filename().string() + ".", 0) == 0) all += ReadAll(e.path());
        return all;
    };
    for (const char* example : {"Einfeldtraeger.vkx", "Durchlauftraeger_Kragarm.vkx", "Kranbahntraeger.vkx"}) {
        SCOPED_TRACE(example);
        struct Outcome {
            HostRun run;
            std::map<std::string, std::string> files;
            std::string loaded;
        };
        auto calc = [&](const std::string& side, const fs::path& installation) {
            const fs::path folder = dir_ / side / fs::path(example).stem();
            fs::create_directories(folder);
            WriteAll(folder / "pos.vkx", Example(example));
            const fs::path record = dir_ / "io" / (side + "_" + fs::path(example).stem().string());
            ::setenv("LD_DEBUG", "files", 1);
            ::setenv("LD_DEBUG_OUTPUT", record.c_str(), 1);
            Outcome o{Calc(folder / "pos.vkx", installation), {}, {}};
            ::unsetenv("LD_DEBUG");
            ::unsetenv("LD_DEBUG_OUTPUT");
            for (const auto& e : fs::directory_iterator(folder)) o.files[e.path().filename().string()] = ReadAll(e.path());
            o.loaded = loaded(record);
            return o;
        };
        const Outcome batch = calc("batch", fs::path(RIGEL_BUILD_ROOT));
        const Outcome full = calc("whole", whole);

        ASSERT_NE(batch.loaded.find("libDlgRigelBatch.so"), std::string::npos) << "the loader's record is there";
        EXPECT_EQ(batch.loaded.find("/libDlgRigel.so"), std::string::npos) << "no second copy of the module";
        EXPECT_EQ(batch.loaded.find("libQt6"), std::string::npos) << "no toolkit";
        EXPECT_NE(full.loaded.find("libQt6"), std::string::npos) << "the whole module was the one compared";

        EXPECT_EQ(batch.run.code, full.run.code);
        EXPECT_EQ(batch.run.out, full.run.out);
        EXPECT_EQ(batch.run.err, full.run.err);
        ASSERT_EQ(batch.files.size(), full.files.size());
        EXPECT_GE(batch.files.size(), 2u) << "the position and its report";
        for (const auto& [name, bytes] : batch.files) {
            ASSERT_TRUE(full.files.count(name)) << name;
            EXPECT_TRUE(full.files.at(name) == bytes) << name << " differs";
        }
    }
}

// A position that cannot be written is said once, before the calculation.
TEST_F(HostUnusualInput, ReadOnlyPositionIsReportedBeforeTheCalculation) {
    const std::string example = Example("Einfeldtraeger.vkx");
    const fs::path file = Work("pos.vkx");
    WriteAll(file, example);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const HostRun r = Calc(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(r.code, host::ExitBadInput) << r.out << r.err;
    EXPECT_NE(r.err.find("schreibgeschützt"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("schreibgeschützt"), r.err.rfind("schreibgeschützt")) << "said once: " << r.err;
    EXPECT_EQ(r.out.find("Ausnutzung"), std::string::npos) << "nothing calculated: " << r.out;
    EXPECT_EQ(ReadAll(file), example);
}

// While another program holds the position, a second calculation refuses
// with a message and leaves everything as it was; afterwards the lock is gone.
TEST_F(HostUnusualInput, SecondCalculationOfAPositionIsRefusedWhileTheFirstRuns) {
    const std::string example = Example("Einfeldtraeger.vkx");
    const fs::path file = Work("pos.vkx");
    WriteAll(file, example);
    {
        winsys::FileLock first;
        std::string why;
        ASSERT_TRUE(first.Acquire(file, why)) << why;
        const HostRun r = Calc(file);
        EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
        EXPECT_NE(r.err.find("anderen Programm"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(file), example);
    }
    const HostRun r = Calc(file);
    EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
    EXPECT_FALSE(fs::exists(winsys::FileLock::LockFileOf(file))) << "released on the way out";
}

// A calculation killed at random moments leaves the position as it was or
// complete, never truncated; the next run clears what the killed one left.
TEST_F(HostUnusualInput, KilledCalculationsLeaveTheOldOrTheNewPositionAndNoLitter) {
    const std::string example = Example("Einfeldtraeger.vkx");
    const fs::path file = Work("pos.vkx");
    const std::string exe = (fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005").string();
    // A killed run cannot remove its scratch files: the runs get a temporary
    // folder of their own, so that nothing is left in the machine's.
    const fs::path tmp = file.parent_path().parent_path() / "killed-tmp";
    fs::create_directories(tmp);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("TMPDIR=", 0) != 0) envText.emplace_back(*e);
    envText.push_back("TMPDIR=" + tmp.string());
    std::vector<char*> env;
    for (std::string& e : envText) env.push_back(e.data());
    env.push_back(nullptr);
    auto start = [&]() {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addchdir_np(&actions, file.parent_path().c_str());
        std::string calc = "calc", name = file.filename().string();
        char* argv[] = {const_cast<char*>(exe.c_str()), calc.data(), name.data(), nullptr};
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, env.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    };
    // One whole run sets the span over which the kills are spread.
    WriteAll(file, example);
    const auto t0 = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(start(), &status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::mt19937 rng(53);
    int unchanged = 0, complete = 0;
    for (int trial = 0; trial < 24; ++trial) {
        WriteAll(file, example);
        const pid_t pid = start();
        std::this_thread::sleep_for(std::chrono::milliseconds(rng() % (whole.count() + 50)));
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        const std::string now = ReadAll(file);
        if (now == example) {
            ++unchanged;
            continue;
        }
        ++complete;
        ZVDOC d = ZEVUD_OpenDocQuiet(file.c_str());
        EXPECT_NE(d, 0u) << "trial " << trial << ": the position no longer opens";
        if (d) {
            EXPECT_NE(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result"), 0u) << "trial " << trial;
            ZEVUD_CloseDoc(d);
        }
    }
    EXPECT_GT(unchanged, 0);
    // A last whole run removes what killed runs left beside the position.
    WriteAll(file, example);
    waitpid(start(), &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::vector<std::string> litter;
    for (const auto& e : fs::directory_iterator(file.parent_path())) {
        const std::string n = e.path().filename().string();
        if (n != "pos.vkx" && n != "pos.rtf") litter.push_back(n);
    }
    EXPECT_TRUE(litter.empty()) << litter.front() << " and " << litter.size() - 1 << " more";
    std::error_code ec;
    fs::remove_all(tmp, ec);
}
