// Macro sessions: calls, results and errors, and the confinement of macro
// code (no files, no processes, memory and instruction limits).
#include "platform/zozudeda/zozudeda.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* const kMakerMacros =
    "-- called from formulas as @Flaeche(b; h)\n"
    "function Flaeche(b, h) return b * h end\n"
    "function Guete(fy) if fy >= 35.5 then return fy, \"S355\" end return fy, \"S235\" end\n"
    "function Text(t) SetStrResult(t .. \"!\") return #t end\n"
    "function Kaputt(x)\n"
    "  local y = nil\n"
    "  return y.feld\n"
    "end\n"
    "function Lesen() return io.open(\"/etc/passwd\") end\n"
    "function Starten() return os.execute(\"true\") end\n"
    "function Endlos() while true do end end\n"
    "function Zaeh() while true do pcall(function() while true do end end) end end\n"
    "function Fressen() local t = {} for i = 1, 1e9 do t[i] = string.rep(\"x\", 1024) .. i end end\n"
    "function Laden(s) local f, e = load(s) if f then return 1 end return 0, e end\n"
    "function Dateien() return (dofile or loadfile) and 1 or 0 end\n"
    "function Zeit() return os.time() > 0 and 1 or 0 end\n"
    "last = \"\"\n"
    "function OnInitDocument(name, folder) last = name .. \"|\" .. folder end\n"
    "function Letzter() return 0, last end\n";

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        handle = ZOZUDEDA_StartSession();
        ASSERT_NE(handle, 0);
        ASSERT_EQ(ZOZUDEDA_AddMacro(handle, kMakerMacros), 1) << ZOZUDEDA_GetLastError(handle);
    }
    void TearDown() override { ZOZUDEDA_EndSession(handle); }
    std::string Error() { return ZOZUDEDA_GetLastError(handle); }
    int handle = 0;
};

TEST_F(Session, CallsGiveNumberTextOrError) {
    struct Case {
        const char* command;
        double value;
        const char* text;
        const char* errorPart;  // "" = no error
    } cases[] = {
        {"Flaeche( 2, 3)", 6, "", ""},
        {"Guete( 23.5)", 23.5, "S235", ""},
        {"Guete(-40)", -40, "S235", ""},
        {"Guete( 36)", 36, "S355", ""},
        {"Text( \"ab\")", 2, "ab!", ""},
        {"Zeit()", 1, "", ""},
        {"", 0, "", ""},
        {"Unbekannt( 1)", 0, "", "Unbekannt"},
        {"Flaeche( 2, x)", 0, "", "nicht lesbar"},
        {"Flaeche( 2, 3); os.exit(1)", 0, "", "nicht lesbar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(handle, c.command), c.value);
        EXPECT_EQ(ZOZUDEDA_GetStrResult(handle), c.text);
        if (*c.errorPart)
            EXPECT_NE(Error().find(c.errorPart), std::string::npos) << Error();
        else
            EXPECT_EQ(Error(), "");
    }
}

TEST_F(Session, ErrorsCarryTheirLine) {
    int line = 0, column = 0;
    EXPECT_EQ(ZOZUDEDA_Execute(handle, "Kaputt( 1)"), 0);
    EXPECT_FALSE(ZOZUDEDA_GetLastError(handle, &line, &column).empty());
    EXPECT_EQ(line, 7);  // the line of the failing statement in the macro text

    const int other = ZOZUDEDA_StartSession();
    EXPECT_EQ(ZOZUDEDA_AddMacro(other, "function A() return 1 end\n\nfunction B( return 2 end\n"), 0);
    const std::string error = ZOZUDEDA_GetLastError(other, &line, &column);
    EXPECT_EQ(line, 3) << error;
    EXPECT_NE(error.find(":3:"), std::string::npos) << error;
    // A later successful call clears the error.
    EXPECT_EQ(ZOZUDEDA_AddMacro(other, "function C() return 3 end"), 1);
    EXPECT_EQ(ZOZUDEDA_GetLastError(other, &line, &column), "");
    EXPECT_EQ(line, -1);
    ZOZUDEDA_EndSession(other);
}

TEST_F(Session, MacrosReachNoFilesProcessesOrCompiledCode) {
    for (const char* command : {"Lesen()", "Starten()"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(ZOZUDEDA_Execute(handle, command), 0);
        EXPECT_FALSE(Error().empty());
    }
    EXPECT_EQ(ZOZUDEDA_Execute(handle, "Dateien()"), 0);
    EXPECT_EQ(ZOZUDEDA_Execute(handle, "Laden(\"return 1\")"), 1);
    // Precompiled chunks are refused.
    EXPECT_EQ(ZOZUDEDA_AddMacro(handle, "bin = string.dump(function() return 1 end)"), 1);
    EXPECT_EQ(ZOZUDEDA_AddMacro(handle, "assert(load(bin))"), 0);
    EXPECT_NE(Error().find("binary"), std::string::npos) << Error();
    // No package library, no require, no debug library.
    EXPECT_EQ(ZOZUDEDA_AddMacro(handle, "require('os')"), 0);
    EXPECT_EQ(ZOZUDEDA_AddMacro(handle, "debug.sethook()"), 0);
}

TEST_F(Session, LimitsStopTheCallWithTheirMessage) {
    struct Case {
        const char* command;
        const char* limit;
    } cases[] = {
        {"Endlos()", "100000000 Anweisungen"},
        {"Zaeh()", "100000000 Anweisungen"},
        {"Fressen()", "64 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(ZOZUDEDA_Execute(handle, c.command), 0);
        EXPECT_NE(Error().find(c.limit), std::string::npos) << Error();
        // The session goes on working after the stop.
        EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(handle, "Flaeche( 4, 5)"), 20);
    }
}

// Macros that would run for ever where the instruction count does not
// reach: a finaliser (run with the count off), a backtracking pattern (C
// code), a loop of long C calls (stopped by the clock).
TEST_F(Session, MacrosOutsideTheInstructionCountAreStoppedWithTheirName) {
    ASSERT_EQ(ZOZUDEDA_AddMacro(handle,
                                "function Finalisierer()\n"
                                "  setmetatable({}, {__gc = function() while true do end end})\n"
                                "  return 1\n"
                                "end\n"
                                "function Muster() return string.find(string.rep('a', 60), string.rep('a*', 30) .. 'b') end\n"
                                "function Methode() local s = string.rep('a', 60) return s:match(string.rep('a-', 30) .. 'b') end\n"
                                "function Riesig() return string.find(string.rep('x', 2000000), 'y') end\n"
                                "function Sortieren()\n"
                                "  local t = {} for i = 1, 300000 do t[i] = (i * 7919) % 300007 end\n"
                                "  while true do table.sort(t, nil) end\n"
                                "end\n"),
              1)
        << Error();
    struct Case {
        const char* command;
        const char* reason;
    } cases[] = {
        {"Finalisierer()", "__gc"},
        {"Muster()", "Vergleichsschritte"},
        {"Methode()", "Vergleichsschritte"},
        {"Riesig()", "1000000 Zeichen"},
        {"Sortieren()", "10 Sekunden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(ZOZUDEDA_Execute(handle, c.command), 0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_NE(Error().find(c.reason), std::string::npos) << Error();
        const std::string name = std::string(c.command).substr(0, std::string(c.command).find('('));
        EXPECT_NE(Error().find("Makro '" + name + "'"), std::string::npos) << Error();
        EXPECT_LT(seconds, 30.0) << "stopped, not run to its end";
        EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(handle, "Flaeche( 4, 5)"), 20);
    }
    // A macro text that hangs while it is loaded is stopped as well.
    EXPECT_EQ(ZOZUDEDA_AddMacro(handle, "string.find(string.rep('a', 60), string.rep('a*', 30) .. 'b')"), 0);
    EXPECT_NE(Error().find("Vergleichsschritte"), std::string::npos) << Error();
}

// The bound walk refuses no ordinary search: the library's results come back.
TEST_F(Session, OrdinaryPatternsGiveTheLibrarysResults) {
    ASSERT_EQ(ZOZUDEDA_AddMacro(handle, "function Probe(i)\n"
                                        "  local r = {\n"
                                        "    select(2, ('Hallo Welt'):gsub('o', '0')),\n"
                                        "    ('  IPE 300  '):match('^%s*(.-)%s*$') == 'IPE 300' and 1 or 0,\n"
                                        "    ('f(a(b)c)d'):find('%b()'),\n"
                                        "    ('THE (quick) fox'):find('%f[%a]%a+', 5),\n"
                                        "    ('abcabc'):find('(abc)%1'),\n"
                                        "    select(2, ('a,b,,c'):gsub('[^,]*', 'x')),\n"
                                        "    #('HEB 300; S235'):gsub('%d+', function(d) return d * 2 end),\n"
                                        "    (('x = 12.5'):match('()=()')),\n"
                                        "  }\n"
                                        "  local n = 0 for w in ('a bb ccc'):gmatch('%a+') do n = n + #w end\n"
                                        "  r[#r + 1] = n\n"
                                        "  return r[i]\n"
                                        "end\n"),
              1)
        << Error();
    // Independent values: counted by hand on the subjects above.
    const double expected[] = {1, 1, 2, 6, 1, 4, 13, 3, 6};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(handle, "Probe( " + std::to_string(i + 1) + ")"), expected[i]);
        EXPECT_EQ(Error(), "");
    }
}

// print never reaches standard output, where the program's results stand.
TEST_F(Session, PrintGoesToStandardErrorMarkedAsTheMacros) {
    ASSERT_EQ(ZOZUDEDA_AddMacro(handle, "function Sagen() print('Tragsicherheit: erfüllt', 1) return 1 end"), 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ZOZUDEDA_Execute(handle, "Sagen()"), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("Makro 'Sagen' (Ausgabe): Tragsicherheit: erfüllt\t1\n"), std::string::npos) << err;
}

TEST_F(Session, QuotesInTextArgumentsStayText) {
    // A position named a", os.exit(1), "b: its quotes are doubled by the
    // caller, so the name arrives whole; raw, the command is refused.
    ZOZUDEDA_Execute(handle, "OnInitDocument( \"a\"\", os.exit(1), \"\"b\", \"/d/pos\")");
    EXPECT_EQ(Error(), "");
    ZOZUDEDA_Execute(handle, "Letzter()");
    EXPECT_EQ(ZOZUDEDA_GetStrResult(handle), "a\", os.exit(1), \"b|/d/pos");

    ZOZUDEDA_Execute(handle, "OnInitDocument( \"a\", os.exit(1), \"b\", \"/d/pos\")");
    EXPECT_NE(Error().find("nicht lesbar"), std::string::npos);
    SUCCEED() << "the process goes on";
}

TEST(SessionFiles, MissingFileLoadsEmptyAndClearForgets) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / "zozudeda";
    fs::create_directories(dir);
    const fs::path file = dir / "VBScriptUSER.bas";
    {
        std::ofstream out(file, std::ios::binary);
        out << "\xEF\xBB\xBF-- Größe\nfunction Doppelt(x) return 2 * x end\n";
    }
    const int s = ZOZUDEDA_StartSession();
    EXPECT_EQ(ZOZUDEDA_LoadMacroFile(s, (dir / "fehlt.bas").string()), 1);
    EXPECT_EQ(ZOZUDEDA_GetLastError(s), "");
    EXPECT_EQ(ZOZUDEDA_LoadMacroFile(s, file.string()), 1);
    EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(s, "Doppelt( 21)"), 42);
    ZOZUDEDA_ClearSession(s);
    EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(s, "Doppelt( 21)"), 0);
    EXPECT_NE(ZOZUDEDA_GetLastError(s).find("Doppelt"), std::string::npos);
    ZOZUDEDA_EndSession(s);
    // An ended or unknown session answers without effect.
    EXPECT_DOUBLE_EQ(ZOZUDEDA_Execute(s, "Doppelt( 21)"), 0);
    EXPECT_FALSE(ZOZUDEDA_GetLastError(s).empty());
}

TEST(SessionEditor, EditMacroUsesTheRegisteredEditor) {
    const int s = ZOZUDEDA_StartSession();
    EXPECT_EQ(ZOZUDEDA_EditMacro(s, "x = 1", "Fehler", 1, -1), "x = 1");
    auto previous = ZOZUDEDA_SetMacroEditor([](const std::string& text, const std::string& error, int line, int) {
        return text + " -- " + error + " " + std::to_string(line);
    });
    EXPECT_EQ(ZOZUDEDA_EditMacro(s, "x = 1", "Fehler", 3, -1), "x = 1 -- Fehler 3");
    ZOZUDEDA_SetMacroEditor(previous);
    ZOZUDEDA_EndSession(s);
}

}  // namespace
