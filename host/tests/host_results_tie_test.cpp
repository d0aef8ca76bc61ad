// Results that belong to their input, run through the host program as a
// user runs it (a process of its own, in the position's folder): a
// calculation the plausibility check stops, an unknown steel grade, a text
// input whose analysis fails, a report that cannot be written and the order
// in which the position and its report reach the disk. Each case checks the
// exit code, the message and the bytes of the files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/zevud/results_tie.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// Replaces every occurrence of from; the test fails when there is none.
std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    for (; at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
    return text;
}

struct HostRun {
    int code = -1;
    std::string out, err;
    std::string all() const { return out + err; }
};

// A file event seen while the host ran: the name and whether it was created
// (written under its own name) or moved there (renamed over it).
struct FileEvent {
    std::string name;
    bool movedTo = false;
};

// Runs "velor2005 calc <name>" in folder as a process of its own. fileLimit:
// the largest file the process may write (RLIMIT_FSIZE), 0 for none. events:
// when given, the files created in or moved into folder while it ran, in
// order.
HostRun RunCalc(const fs::path& folder, const std::string& name, rlim_t fileLimit = 0,
                std::vector<FileEvent>* events = nullptr) {
    const fs::path io = folder.parent_path() / "io";
    fs::create_directories(io);
    const fs::path out = io / "out", err = io / "err";
    const std::string host = (fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005").string();
    int watch = -1;
    if (events) {
        watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        EXPECT_GE(watch, 0);
        EXPECT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(120);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0) ::_exit(121);
        ::dup2(o, 1);
        ::dup2(e, 2);
        if (fileLimit > 0) {
            const rlimit limit{fileLimit, fileLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execl(host.c_str(), host.c_str(), "calc", name.c_str(), static_cast<char*>(nullptr));
        ::_exit(122);
    }
    auto drain = [&] {
        alignas(inotify_event) char buf[8192];
        for (;;) {
            const ssize_t n = ::read(watch, buf, sizeof buf);
            if (n <= 0) return;
            for (char* p = buf; p < buf + n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(p);
                if (ev->len > 0) events->push_back({ev->name, (ev->mask & IN_MOVED_TO) != 0});
                p += sizeof(inotify_event) + ev->len;
            }
        }
    };
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, events ? WNOHANG : 0);
        if (events) drain();
        if (done == pid) break;
        if (events) {
            pollfd p{watch, POLLIN, 0};
            ::poll(&p, 1, 20);
        }
    }
    if (events) {
        drain();
        ::close(watch);
    }
    HostRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
}

// The temporary files of a folder ("~vk" pattern), which no finished run
// may leave behind.
std::vector<std::string> Litter(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string n = e.path().filename().string();
        if (n.rfind(".~vk", 0) == 0 && n.size() > 4 && n.substr(n.size() - 4) == ".tmp") names.push_back(n);
    }
    return names;
}

bool TiedOnDisk(const fs::path& file) {
    const ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    if (!d) return false;
    const bool tied = zevud::ResultsBelongToInput(d);
    ZEVUD_CloseDoc(d);
    return tied;
}

class HostResultsTie : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("host_tie_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(work());
        example_ = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx");
        ASSERT_FALSE(example_.empty());
    }
    void TearDown() override {
        std::error_code ec;
        if (!HasFailure()) fs::remove_all(dir_, ec);
    }
    fs::path work() const { return dir_ / "work"; }

    // The example calculated once: the position with its results and report.
    void Calculated() {
        WriteAll(work() / "Pos.vkx", example_);
        const HostRun r = RunCalc(work(), "Pos.vkx");
        ASSERT_EQ(r.code, 0) << r.all();
        ASSERT_TRUE(fs::exists(work() / "Pos.rtf"));
        ASSERT_TRUE(TiedOnDisk(work() / "Pos.vkx"));
    }

    fs::path dir_;
    std::string example_;  // single span IPE 300, 6 m, S235, g = 3 kN/m, q = 4 kN/m
};

// Without lateral supports (cy and cmx 0 at both ends) and with three times
// the imposed load.
std::string Unsupported(std::string t) {
    t = ReplacedAll(t, "cy=\"-1\" cz=\"-1\" cmx=\"-1\"", "cy=\"0\" cz=\"-1\" cmx=\"0\"");
    return ReplacedAll(t, "desc=\"Nutzlast\" ltype=\"0\" node=\"0\" direction=\"2\" bHasDirection=\"0\" offset=\"0\" "
                          "length=\"6\" ey=\"0\" ez=\"0\" val0=\"4\"",
                       "desc=\"Nutzlast\" ltype=\"0\" node=\"0\" direction=\"2\" bHasDirection=\"0\" offset=\"0\" "
                       "length=\"6\" ey=\"0\" ez=\"0\" val0=\"12\"");
}

TEST_F(HostResultsTie, PositionsThatAreNotCalculatedKeepTheirFilesAndSayWhy) {
    struct Case {
        const char* name;
        std::function<std::string(std::string)> edit;  // applied to the calculated position
        int code;
        std::vector<const char*> says;
        std::vector<const char*> neverSays;
    } cases[] = {
        // The old results are not the results of the changed input.
        {"plausibility errors after a calculation", Unsupported, 1,
         {"In Y-Richtung ist das System verschieblich!", "Das System ist frei drehbar um die X-Achse!",
          "nicht ausgeführt", "bleibt unverändert"},
         {"Berechnung abgeschlossen", "max. Ausnutzung", "erfüllt\n"}},
        // A grade of the position's own, not of the material database.
        {"unknown grade S999 carried by the position",
         [](std::string t) {
             t = ReplacedAll(t, "strMaterial=\"S235\"", "strMaterial=\"S999\"");
             return ReplacedAll(t, "<Objekt Name=\"S235\">", "<Objekt Name=\"S999\">");
         },
         1, {"Feld 1, Stahlgüte: 'S999'", "Materialdatenbank", "bleibt unverändert"},
         {"Berechnung abgeschlossen", "max. Ausnutzung"}},
        {"unknown grade S999", [](std::string t) { return ReplacedAll(t, "strMaterial=\"S235\"", "strMaterial=\"S999\""); },
         1, {"Feld 1, Stahlgüte: 'S999'", "bleibt unverändert"}, {"Berechnung abgeschlossen"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Calculated();
        const std::string report = ReadAll(work() / "Pos.rtf");
        const std::string before = c.edit(ReadAll(work() / "Pos.vkx"));
        WriteAll(work() / "Pos.vkx", before);
        const HostRun r = RunCalc(work(), "Pos.vkx");
        EXPECT_EQ(r.code, c.code) << r.all();
        for (const char* part : c.says) EXPECT_NE(r.all().find(part), std::string::npos) << part << "\n" << r.all();
        for (const char* part : c.neverSays) EXPECT_EQ(r.all().find(part), std::string::npos) << part << "\n" << r.all();
        EXPECT_EQ(ReadAll(work() / "Pos.vkx"), before) << "the position keeps its bytes";
        EXPECT_EQ(ReadAll(work() / "Pos.rtf"), report) << "the report of the saved position stays";
        EXPECT_TRUE(Litter(work()).empty());
        // A second run says the same: nothing was taken as calculated.
        const HostRun again = RunCalc(work(), "Pos.vkx");
        EXPECT_EQ(again.code, c.code) << again.all();
        EXPECT_EQ(ReadAll(work() / "Pos.vkx"), before);
    }
}

// A kernel text input whose analysis fails (a load of 1e30 kN/m), and the
// example itself, calculated from the caller's folder: the report is named
// as the input was.
TEST_F(HostResultsTie, TextInputExitCodesAndReportNamedRelativeToTheCaller) {
    const std::string input = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vk1");
    const std::string sections = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.skw");
    ASSERT_FALSE(input.empty());
    struct Case {
        const char* name;
        std::string text;
        int code;
        std::vector<const char*> says;
    } cases[] = {
        {"example", input, 0, {"Bericht: sub/Stab_XXX.rtf", "Ergebnis: alle Nachweise erfüllt"}},
        {"load of 1e30", ReplacedAll(input, " 1 1 0 6 0 0 0 0 0 0 5 5 0 0", " 1 1 0 6 0 0 0 0 0 0 1e30 1e30 0 0"), 4,
         {"FEHLER", "Nachweis nicht erfüllt", "Bericht: sub/Stab_XXX.rtf", "Fehlerprotokoll: sub/Stab.err"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directories(work() / "sub");
        WriteAll(work() / "sub" / "Stab.vk1", c.text);
        WriteAll(work() / "sub" / "Stab.skw", sections);
        std::error_code ec;
        fs::remove(work() / "sub" / "Stab_XXX.rtf", ec);
        fs::remove(work() / "sub" / "Stab.err", ec);
        const HostRun r = RunCalc(work(), "sub/Stab.vk1");
        EXPECT_EQ(r.code, c.code) << r.all();
        for (const char* part : c.says) EXPECT_NE(r.all().find(part), std::string::npos) << part << "\n" << r.all();
        EXPECT_EQ(r.all().find(work().string()), std::string::npos) << "no full path\n" << r.all();
        EXPECT_EQ(ReadAll(work() / "sub" / "Stab.vk1"), c.text);
        EXPECT_EQ(ReadAll(work() / "sub" / "Stab_XXX.rtf").rfind("{\\rtf", 0), 0u);
    }
}

// The report cannot be written (a file-size limit smaller than the report):
// the old report and the position stay as they were, the console says so and
// the exit code is 2. Without the limit the same input is calculated.
TEST_F(HostResultsTie, ReportThatCannotBeWrittenKeepsTheOldOneAndFails) {
    Calculated();
    const std::string report = ReadAll(work() / "Pos.rtf");
    // Another imposed load: the position must be calculated again.
    const std::string before = ReplacedAll(ReadAll(work() / "Pos.vkx"), "val0=\"4\"", "val0=\"5\"");
    WriteAll(work() / "Pos.vkx", before);
    // Room for the position, not for the report.
    const rlim_t limit = before.size() * 2;
    ASSERT_GT(report.size(), limit) << "the report is larger than the limit";
    const HostRun r = RunCalc(work(), "Pos.vkx", limit);
    EXPECT_EQ(r.code, 2) << r.all();
    EXPECT_NE(r.all().find("Der Bericht 'Pos.rtf' konnte nicht geschrieben werden"), std::string::npos) << r.all();
    EXPECT_NE(r.all().find("bisherige Bericht bleibt erhalten"), std::string::npos) << r.all();
    EXPECT_EQ(r.all().find("Bericht: keiner geschrieben"), std::string::npos) << r.all();
    EXPECT_EQ(ReadAll(work() / "Pos.vkx"), before);
    EXPECT_EQ(ReadAll(work() / "Pos.rtf"), report);
    EXPECT_TRUE(Litter(work()).empty());

    const HostRun free = RunCalc(work(), "Pos.vkx");
    EXPECT_EQ(free.code, 0) << free.all();
    EXPECT_NE(ReadAll(work() / "Pos.rtf"), report);
    EXPECT_TRUE(TiedOnDisk(work() / "Pos.vkx"));
}

// The position reaches the disk before its report: the report is written
// under a temporary name and renamed over the old one after the position is
// saved, never written under its own name. A run killed in between leaves a
// new position beside the old report; the position knows its report's
// fingerprint, so the next run writes the report again.
TEST_F(HostResultsTie, PositionIsSavedBeforeItsReportReplacesTheOldOne) {
    Calculated();
    const std::string oldReport = ReadAll(work() / "Pos.rtf");
    WriteAll(work() / "Pos.vkx", ReplacedAll(ReadAll(work() / "Pos.vkx"), "val0=\"4\"", "val0=\"5\""));
    std::vector<FileEvent> events;
    const HostRun r = RunCalc(work(), "Pos.vkx", 0, &events);
    ASSERT_EQ(r.code, 0) << r.all();
    int position = -1, report = -1;
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].name == "Pos.vkx" && events[i].movedTo) position = static_cast<int>(i);
        if (events[i].name == "Pos.rtf") {
            EXPECT_TRUE(events[i].movedTo) << "the report is never written under its own name";
            report = static_cast<int>(i);
        }
    }
    ASSERT_GE(position, 0);
    ASSERT_GE(report, 0);
    EXPECT_LT(position, report) << "the position is saved first";
    const std::string newReport = ReadAll(work() / "Pos.rtf");
    EXPECT_NE(newReport, oldReport);

    // What a kill between the two renames leaves: the new position beside
    // the old report. The next run does not take that report as current.
    WriteAll(work() / "Pos.rtf", oldReport);
    const HostRun next = RunCalc(work(), "Pos.vkx");
    EXPECT_EQ(next.code, 0) << next.all();
    EXPECT_NE(ReadAll(work() / "Pos.rtf"), oldReport);
    EXPECT_TRUE(Litter(work()).empty());
}

// The crane runway's supports file goes with its saved position: it is
// renamed into place after the position is saved, never written under its
// own name, and a calculation whose position cannot be saved (a file-size
// limit below the position and its report) leaves the old file byte for
// byte and nothing temporary.
TEST_F(HostResultsTie, CraneSupportsFileOnlyBesideTheSavedPosition) {
    const std::string crane = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx");
    ASSERT_FALSE(crane.empty());
    WriteAll(work() / "Kran.vkx", crane);
    std::vector<FileEvent> events;
    const HostRun r = RunCalc(work(), "Kran.vkx", 0, &events);
    ASSERT_TRUE(r.code == 0 || r.code == 4) << r.all();
    int position = -1, table = -1;
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].name == "Kran.vkx" && events[i].movedTo && position < 0) position = static_cast<int>(i);
        if (events[i].name == "Kran.supports.csv") {
            EXPECT_TRUE(events[i].movedTo) << "the supports file is never written under its own name";
            table = static_cast<int>(i);
        }
    }
    ASSERT_GE(position, 0);
    ASSERT_GE(table, 0);
    EXPECT_LT(position, table) << "the position is saved first";
    const std::string first = ReadAll(work() / "Kran.supports.csv");
    EXPECT_NE(first.find("\n// Tragsicherheit S/V\n"), std::string::npos) << first;

    // Another place of the stiffener: the position is calculated again, but
    // neither it nor its report fits under the limit.
    const std::string before = ReplacedAll(ReadAll(work() / "Kran.vkx"), "name=\"Quersteife\" tqe=\"4\" idx=\"1\" xPos=\"3\"",
                                           "name=\"Quersteife\" tqe=\"4\" idx=\"1\" xPos=\"2.5\"");
    WriteAll(work() / "Kran.vkx", before);
    // A file of other bytes in its place shows whether anything wrote it.
    const std::string old = "// alt\r\n";
    WriteAll(work() / "Kran.supports.csv", old);
    const HostRun limited = RunCalc(work(), "Kran.vkx", 1u << 20);
    EXPECT_NE(limited.code, 0) << limited.all();
    EXPECT_EQ(ReadAll(work() / "Kran.vkx"), before);
    EXPECT_EQ(ReadAll(work() / "Kran.supports.csv"), old) << "the old supports file keeps its bytes";
    EXPECT_TRUE(Litter(work()).empty());
}

// ---- the crane runway's report ----------------------------------------------------

// The crane runway example (one crane, 6 m, the appendix of crane position
// 1 chosen) calculated once: the position, its report and its appendix.
class HostCraneReport : public HostResultsTie {
protected:
    void SetUp() override {
        HostResultsTie::SetUp();
        crane_ = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx");
        ASSERT_FALSE(crane_.empty());
    }
    // Calculated by the host once; later cases start from its files.
    void CraneCalculated() {
        static std::vector<std::string> calculated;  // position, report, appendix
        const char* names[] = {"Pos.vkx", "Pos.rtf", "Pos.KS001.rtf"};
        if (calculated.empty()) {
            WriteAll(work() / "Pos.vkx", crane_);
            const HostRun r = RunCalc(work(), "Pos.vkx");
            ASSERT_EQ(r.code, 0) << r.all();
            for (const char* name : names) {
                ASSERT_TRUE(fs::exists(work() / name)) << name;
                calculated.push_back(ReadAll(work() / name));
            }
        }
        for (size_t i = 0; i < 3; ++i) WriteAll(work() / names[i], calculated[i]);
        ASSERT_TRUE(TiedOnDisk(work() / "Pos.vkx"));
    }
    std::string crane_;
};

// The second axle 2.0 m behind the first instead of 2.5 m: other input the
// crane runway can calculate.
std::string ShorterAxleSpacing(const std::string& t) {
    return ReplacedAll(t, "axisVal_1_0=\"2.5\"", "axisVal_1_0=\"2.0\"");
}

// A calculation that fails, is refused or cannot write its report leaves the
// position, its report and its appendix byte for byte as they were, says why
// and never claims a report. Among them a position whose stored results
// belong to other input (changed and saved without a calculation, as the
// window leaves it) and whose new input is refused: nothing is written from
// the old results.
TEST_F(HostCraneReport, CalculationsThatDoNotSucceedLeaveTheReportAsItWas) {
    struct Case {
        const char* name;
        std::function<std::string(std::string)> edit;  // applied to the calculated position
        rlim_t fileLimit;
        int code;
        std::vector<const char*> says;
    } cases[] = {
        // Room for the position (about 2.4 MB), not for the report (about 9 MB).
        {"report larger than the file-size limit", ShorterAxleSpacing, 5u << 20, 2,
         {"Der Bericht 'Pos.rtf' konnte nicht geschrieben werden", "bisherige Bericht bleibt erhalten"}},
        {"kernel run fails (a wheel load of 1e30 kN)",
         [](std::string t) { return ReplacedAll(t, "axisVal_0_1=\"11.25\"", "axisVal_0_1=\"1e30\""); }, 0, 1,
         {"Die Berechnung wurde abgebrochen", "FEHLER", "bleibt unverändert"}},
        {"stale results, new input refused (an axle behind the first)",
         [](std::string t) { return ReplacedAll(t, "axisVal_1_0=\"2.5\"", "axisVal_1_0=\"-2.5\""); }, 0, 1,
         {"Achse 2 steht hinter der ersten Achse", "bleibt unverändert"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CraneCalculated();
        const std::string report = ReadAll(work() / "Pos.rtf");
        const std::string appendix = ReadAll(work() / "Pos.KS001.rtf");
        const std::string before = c.edit(ReadAll(work() / "Pos.vkx"));
        WriteAll(work() / "Pos.vkx", before);
        ASSERT_FALSE(TiedOnDisk(work() / "Pos.vkx")) << "the stored results belong to other input";
        const HostRun r = RunCalc(work(), "Pos.vkx", c.fileLimit);
        EXPECT_EQ(r.code, c.code) << r.all();
        for (const char* part : c.says) EXPECT_NE(r.all().find(part), std::string::npos) << part << "\n" << r.all();
        for (const char* part : {"Berechnung abgeschlossen", "Bericht: Pos.rtf", "Anhang: ", "max. Ausnutzung"})
            EXPECT_EQ(r.all().find(part), std::string::npos) << part << "\n" << r.all();
        EXPECT_EQ(ReadAll(work() / "Pos.vkx"), before) << "the position keeps its bytes";
        EXPECT_EQ(ReadAll(work() / "Pos.rtf"), report) << "the report of the saved position stays";
        EXPECT_EQ(ReadAll(work() / "Pos.KS001.rtf"), appendix) << "and so does its appendix";
        EXPECT_TRUE(Litter(work()).empty());
    }
}

// The crane runway's report and appendix reach the disk after the position,
// each renamed over its old file, never written under its own name; the
// report is that of the new input.
TEST_F(HostCraneReport, PositionIsSavedBeforeTheReportAndItsAppendix) {
    CraneCalculated();
    const std::string oldReport = ReadAll(work() / "Pos.rtf");
    const std::string oldAppendix = ReadAll(work() / "Pos.KS001.rtf");
    WriteAll(work() / "Pos.vkx", ShorterAxleSpacing(ReadAll(work() / "Pos.vkx")));
    std::vector<FileEvent> events;
    const HostRun r = RunCalc(work(), "Pos.vkx", 0, &events);
    ASSERT_EQ(r.code, 0) << r.all();
    EXPECT_NE(r.out.find("Bericht: Pos.rtf"), std::string::npos) << r.all();
    int position = -1;
    std::vector<int> reports;
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].name == "Pos.vkx" && events[i].movedTo) position = static_cast<int>(i);
        if (events[i].name == "Pos.rtf" || events[i].name == "Pos.KS001.rtf") {
            EXPECT_TRUE(events[i].movedTo) << events[i].name << " is never written under its own name";
            reports.push_back(static_cast<int>(i));
        }
    }
    ASSERT_GE(position, 0);
    ASSERT_EQ(reports.size(), 2u);
    for (int at : reports) EXPECT_LT(position, at) << "the position is saved first";
    EXPECT_NE(ReadAll(work() / "Pos.rtf"), oldReport);
    EXPECT_NE(ReadAll(work() / "Pos.KS001.rtf"), oldAppendix);
    EXPECT_TRUE(TiedOnDisk(work() / "Pos.vkx"));
    EXPECT_TRUE(Litter(work()).empty());
}

}  // namespace
