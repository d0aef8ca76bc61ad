// Documents that could hang, fool or damage the program, each run through
// the host program as a process of its own under a time limit: a run that
// does not end is killed and the test fails, instead of hanging with it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/tests/host_scratch.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

using host_test::Example;
using host_test::Quoted;
using host_test::ReadAll;
using host_test::Replaced;
using host_test::WriteAll;

struct HostRun {
    int code = -1;
    bool killed = false;  // ran past its time limit
    double seconds = 0;
    std::string out, err;
};

class HostileDocument : public host_test::HostScratch {
protected:
    void SetUp() override { SetUpScratch("host_hostile"); }

    // "velor2005 calc <file>" in the file's folder, killed after limit seconds.
    HostRun Calc(const fs::path& file, int limit, const std::string& name = "") {
        const fs::path out = dir_ / "io" / "out", err = dir_ / "io" / "err";
        const std::string cmd = "cd " + Quoted(file.parent_path().string()) + " && VELOR_REGISTRY_DIR=" +
                                Quoted((dir_ / "registry").string()) + " timeout -s KILL " + std::to_string(limit) +
                                " " + Quoted((fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005").string()) +
                                " calc " + Quoted(name.empty() ? file.filename().string() : name) + " >" +
                                Quoted(out.string()) + " 2>" + Quoted(err.string());
        const auto t0 = std::chrono::steady_clock::now();
        const int status = std::system(cmd.c_str());
        HostRun r;
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.killed = r.code == 137 || r.code == 124;
        r.out = ReadAll(out);
        r.err = ReadAll(err);
        return r;
    }

    // The settings the host program of this test reads.
    void Setting(const std::string& name, const std::string& value) {
        setenv("VELOR_REGISTRY_DIR", (dir_ / "registry").string().c_str(), 1);
        winsys::RegistryReload();
        ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, "software\\VKT\\velor2005", name, value));
    }

    // The example with an editor element: a page of text and macro code.
    fs::path WithEditor(const std::string& name, const std::string& page, const std::string& macro) {
        const fs::path file = Work(name);
        WriteAll(file, Example("Einfeldtraeger.vkx"));
        ZVDOC d = ZEVUD_OpenDocQuiet(file.c_str());
        EXPECT_NE(d, 0u);
        ZVELEM input = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input");
        ZVELEM quill = ZEVUD_FindFirstChild(input, "Quill");
        if (!quill) quill = ZEVUD_AddChildElement(input, "Quill");
        const std::string data = page + '\0';
        ZEVUD_SetBinData(quill, "rtfData", static_cast<int>(data.size()), data.data(), 0);
        const std::string code = macro + '\0';
        if (!macro.empty()) ZEVUD_SetBinData(quill, "VBScript", static_cast<int>(code.size()), code.data(), 0);
        ZEVUD_SetInt(quill, "isEmpty", 0);
        EXPECT_EQ(ZEVUD_SaveDoc(d), 1);
        ZEVUD_CloseDoc(d);
        return file;
    }
};

std::string Page(const std::string& lines) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
           "{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}\r\n"
           "\\viewkind4\\uc1\\pard\\f0\\fs20\\cf1 Vortext\\par\r\n\\cf2 " +
           lines + "\\cf1\\par\r\n}";
}

std::string StoredPage(const fs::path& file) {
    ZVDOC d = ZEVUD_OpenDocQuiet(file.c_str());
    if (!d) return "(does not open)";
    ZVELEM quill = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input"), "Quill");
    const int n = ZEVUD_GetBinDataLength(quill, "rtfData");
    std::string data(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) ZEVUD_GetBinData(quill, "rtfData", data.data(), n);
    ZEVUD_CloseDoc(d);
    return data.c_str();
}

}  // namespace

// Macros that never end: a finaliser (run by Lua with its instruction count
// off), a backtracking pattern (the C matcher is not counted) and a loop of
// long C calls (only the clock stops it). Each is stopped and named, and the
// position is calculated without it.
TEST_F(HostileDocument, MacrosThatNeverEndAreStoppedAndTheCalculationGoesOn) {
    struct Case {
        const char* name;
        const char* macro;
        const char* reason;
    } cases[] = {
        {"finaliser", "setmetatable({}, {__gc = function() while true do end end})\ncollectgarbage()\n", "__gc"},
        {"muster", "string.find(string.rep('a', 60), string.rep('a*', 30) .. 'b')\n", "Vergleichsschritte"},
        {"uhr",
         "function OnInitDocument(name, folder)\n"
         "  local t = {} for i = 1, 300000 do t[i] = (i * 7919) % 300007 end\n"
         "  while true do table.sort(t, nil) end\n"
         "end\n",
         "10 Sekunden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = WithEditor(std::string(c.name) + ".vkx", Page("b = 20"), c.macro);
        const HostRun r = Calc(file, 240);
        ASSERT_FALSE(r.killed) << "the macro hung the program";
        EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Makro '"), std::string::npos) << "the macro is named: " << r.err;
        EXPECT_NE(r.out.find("erfüllt"), std::string::npos) << r.out;
    }
}

// A macro's print is no line of the program's: it goes to standard error,
// marked; the verdict on standard output is the program's own.
TEST_F(HostileDocument, MacroPrintIsMarkedAndNeverOnStandardOutput) {
    const fs::path file =
        WithEditor("druck.vkx", Page("b = 20"), "print('Tragsicherheit: max. Ausnutzung 0.100 - erf\\195\\188llt')\n"
                                                "function OnInitDocument(n, f) error('kaputt') end\n");
    const HostRun r = Calc(file, 240);
    ASSERT_FALSE(r.killed);
    EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
    EXPECT_EQ(r.out.find("0.100"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Makro 'Makrotext der Position' (Ausgabe): Tragsicherheit: max. Ausnutzung 0.100"),
              std::string::npos)
        << r.err;
    // The failing event is said with its name.
    EXPECT_NE(r.err.find("Makro 'OnInitDocument': "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kaputt"), std::string::npos) << r.err;
}

// A formula whose value is no finite number is an error at the formula and
// on standard error; no "inf", "nan" or stand-in number reaches the text.
TEST_F(HostileDocument, NonFiniteFormulaResultsAreErrorsNotNumbers) {
    Setting("bQuill", "1");
    const fs::path file = WithEditor("unendlich.vkx",
                                     Page("u = 1e308*1e308 = #.##\\par\r\nw = 1e308*1e308\\par\r\nd = w-w = #.##\\par\r\n"
                                          "q = 1/0 = #.##\\par\r\nk = 2*3 = #.##"),
                                     "");
    const HostRun r = Calc(file, 240);
    ASSERT_FALSE(r.killed);
    const std::string page = StoredPage(file);
    for (const char* bad : {"inf", "nan", "1.00"}) EXPECT_EQ(page.find(bad), std::string::npos) << bad << "\n" << page;
    // The overflowing name stays undefined: what uses it says so, and an
    // input field using it would be refused, never calculated with it.
    EXPECT_NE(page.find("'w' nicht definiert"), std::string::npos) << page;
    EXPECT_NE(page.find("k = 2*3 = 6.00"), std::string::npos) << page;
    // The line keeps a mask of its decimals for the next calculation.
    EXPECT_NE(page.find("u = 1e308*1e308 = #.##[(Das Ergebnis ist keine endliche Zahl.)]"), std::string::npos) << page;
    EXPECT_NE(page.find("q = 1/0 = #.##[(Division durch Null.)]"), std::string::npos) << page;
    EXPECT_NE(r.err.find("Formel 'u = 1e308*1e308 = #.##': Das Ergebnis ist keine endliche Zahl."), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Formel 'q = 1/0 = #.##': Division durch Null."), std::string::npos) << r.err;
    // The report carries the text as calculated.
    const std::string report = ReadAll(Work("unendlich.rtf"));
    EXPECT_EQ(report.find("-nan"), std::string::npos);
    EXPECT_EQ(report.find("= inf"), std::string::npos);
}

// A character XML does not allow, as a reference or raw: refused with the
// attribute named, and the file stays as it was.
TEST_F(HostileDocument, ControlCharactersAreRefusedWithTheAttributeNamed) {
    for (const char* given : {"&#17;", "\x11"}) {
        SCOPED_TRACE(given[0] == '&' ? "reference" : "raw");
        const std::string text =
            Replaced(Example("Einfeldtraeger.vkx"), "<info ", std::string("<info steuer=\"a") + given + "b\" ");
        const fs::path file = Work("steuer.vkx");
        WriteAll(file, text);
        const HostRun r = Calc(file, 120);
        ASSERT_FALSE(r.killed);
        EXPECT_EQ(r.code, host::ExitBadInput) << r.out << r.err;
        EXPECT_NE(r.err.find("Attribut \"steuer\""), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("0x11"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(file), text);
    }
}

// The lock belongs to the file: a calculation through a symbolic link and
// one through the file's own name exclude each other.
TEST_F(HostileDocument, ALinkAndItsFileShareOneLock) {
    const std::string example = Example("Einfeldtraeger.vkx");
    const fs::path file = Work("pos.vkx"), link = Work("verweis.vkx");
    WriteAll(file, example);
    fs::create_symlink("pos.vkx", link);
    for (const bool lockLink : {false, true}) {
        SCOPED_TRACE(lockLink ? "link locked, file calculated" : "file locked, link calculated");
        winsys::FileLock held;
        std::string why;
        ASSERT_TRUE(held.Acquire(lockLink ? link : file, why)) << why;
        const HostRun r = Calc(lockLink ? file : link, 120);
        ASSERT_FALSE(r.killed);
        EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
        EXPECT_NE(r.err.find("anderen Programm"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(file), example);
        EXPECT_TRUE(fs::is_symlink(link));
    }
    const HostRun r = Calc(link, 240);
    EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
    EXPECT_TRUE(fs::is_symlink(link)) << "the save went to the file the link names";
    EXPECT_NE(ReadAll(file), example);
}

// A position whose name takes all 255 bytes a file name may have: its
// scratch files get names that fit, and nothing of them is left.
TEST_F(HostileDocument, APositionNamedWith255BytesCalculates) {
    const std::string stem(251, 'p');
    const fs::path file = Work(stem + ".vkx");
    WriteAll(file, Example("Einfeldtraeger.vkx"));
    const HostRun r = Calc(file, 240);
    ASSERT_FALSE(r.killed);
    EXPECT_EQ(r.code, host::ExitOk) << r.out << r.err;
    EXPECT_TRUE(fs::exists(Work(stem + ".rtf"))) << r.out << r.err;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir_ / "work")) {
        const std::string n = e.path().filename().string();
        if (n != stem + ".vkx" && n != stem + ".rtf") left.push_back(n);
    }
    EXPECT_TRUE(left.empty()) << left.front();
}

// Crane runways the program cannot calculate in reasonable time or as
// entered are refused before any kernel run, with the reason; the file stays.
TEST_F(HostileDocument, CraneRunwaysBeyondTheLimitsAreRefusedAtOnce) {
    const std::string example = Example("Kranbahntraeger.vkx");
    std::string axles = Replaced(example, "numOfAxis=\"2\"", "numOfAxis=\"1000\"");
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> said;
    } cases[] = {
        {"spanne", Replaced(example, "<field_1 length=\"6\"", "<field_1 length=\"1000000\""),
         {"Kranstellungen", "höchstens 1000"}},
        {"spanne600", Replaced(example, "<field_1 length=\"6\"", "<field_1 length=\"600\""),
         {"Kranstellungen", "höchstens 1000"}},
        {"achsen", axles, {"1000 Achsen", "höchstens 64"}},
        {"rueckwaerts", Replaced(example, "axisVal_1_0=\"2.5\"", "axisVal_1_0=\"-2.5\""),
         {"Achse 2 steht hinter der ersten Achse", "-2.5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = Work(std::string(c.name) + ".vkx");
        WriteAll(file, c.text);
        const HostRun r = Calc(file, 240);
        ASSERT_FALSE(r.killed) << "ran without bound";
        EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
        for (const std::string& part : c.said) EXPECT_NE(r.err.find(part), std::string::npos) << part << "\n" << r.err;
        EXPECT_EQ(ReadAll(file), c.text);
        EXPECT_LT(r.seconds, 60.0) << "refused before the kernel runs";
    }
}

// A member of 1000 fields is refused by the plausibility check at once, not
// by the kernel after the load preparation.
TEST_F(HostileDocument, AThousandFieldsAreRefusedByThePlausibilityCheck) {
    const std::string example = Example("Einfeldtraeger.vkx");
    const size_t from = example.find("<field_1 "), to = example.find("</field_1>");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    const std::string field = example.substr(from, to + 10 - from);
    std::string fields;
    for (int k = 1; k <= 1000; ++k) {
        std::string f = Replaced(field, "<field_1 length=\"6\"", "<field_" + std::to_string(k) + " length=\"0.006\"");
        f = Replaced(f, "</field_1>", "</field_" + std::to_string(k) + ">");
        fields += f + "\n";
    }
    std::string text = example;
    text.replace(from, to + 10 - from, fields);
    text = Replaced(text, "numOfFields=\"2\"", "numOfFields=\"1001\"");
    const fs::path file = Work("felder.vkx");
    WriteAll(file, text);
    const HostRun r = Calc(file, 240);
    ASSERT_FALSE(r.killed);
    EXPECT_EQ(r.code, host::ExitCalcFailed) << r.out << r.err;
    EXPECT_NE(r.err.find("1000 Felder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("höchstens 30"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(file), text);
}
