// Calculating positions through the host program: the exit code says whether
// the design was calculated and fulfilled, input the program would have to
// replace refuses the calculation, and a position that was not calculated
// keeps its file byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/Host.h"
#include "host/tests/host_run.h"
#include "platform/winsys/winsys.h"
#include "testsupport/rtf_reader.h"

namespace fs = std::filesystem;

namespace {

using host_test::HostRun;
using host_test::ReadAll;
using host_test::RunHost;

// Replaces the first occurrence of `what`; the test fails when it is absent.
std::string Replace(std::string text, const std::string& what, const std::string& by) {
    const size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    if (at != std::string::npos) text.replace(at, what.size(), by);
    return text;
}

class HostPosition : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("host_position_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        example_ = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx");
        ASSERT_FALSE(example_.empty());
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
    std::string example_;  // single span IPE 300, 6 m, S235, g = 3 kN/m, q = 4 kN/m
};

TEST_F(HostPosition, ExitCodeVerdictAndFileBytesPerPosition) {
    // The span of 8 m: the imposed-load combinations reach the buckling load
    // of the unrestrained beam (lateral-torsional buckling), which the other
    // combinations do not.
    auto span8 = [](std::string t) {
        t = Replace(t, "<field_1 length=\"6\">", "<field_1 length=\"8\">");
        t = Replace(t, "length=\"6\" ey", "length=\"8\" ey");
        return Replace(t, "length=\"6\" ey", "length=\"8\" ey");
    };
    struct Case {
        const char* name;
        std::function<std::string(std::string)> edit;
        int code;
        std::vector<const char*> says;  // in standard output or error
        bool saved;                     // false: the file keeps its bytes
        const char* inReport = nullptr; // a text the report must hold
        const char* notSaid = nullptr;  // a text neither output may hold
    } cases[] = {
        {"example", [](std::string t) { return t; }, host::ExitOk,
         {"Gebrauchstauglichkeit: max. Ausnutzung", "Tragsicherheit: max. Ausnutzung 0.5", "- erfüllt",
          "Ergebnis: alle Nachweise erfüllt"},
         true},
        {"span 8 m", span8, host::ExitNotFulfilled,
         {"Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK 2", "(max. Ausnutzung der übrigen LK 0.",
          "Ergebnis: Nachweis nicht erfüllt", "Fehlerprotokoll:"},
         true, "LK 2 nicht nachgewiesen"},  // the calculation's message closes the report's summary
        // A span of 20 m: no ultimate combination is proven, so there is no
        // utilisation of other combinations to state.
        {"span 20 m",
         [](std::string t) {
             t = Replace(t, "<field_1 length=\"6\">", "<field_1 length=\"20\">");
             return t;
         },
         host::ExitNotFulfilled,
         {"Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK 1 2 3 4", "Ergebnis: Nachweis nicht erfüllt"}, true,
         nullptr, "übrigen LK"},
        // More line loads on an element than an analysis takes: every
        // combination with the imposed load fails, and the others' small
        // utilisations prove nothing of it.
        {"too many line loads",
         [](std::string t) {
             std::string extra;
             for (int i = 2; i < 262; ++i)
                 extra += "<load_" + std::to_string(i) +
                          " lc=\"2\" LCGen=\"2\" desc=\"x\" ltype=\"0\" node=\"0\" direction=\"2\" "
                          "bHasDirection=\"0\" offset=\"0\" length=\"6\" ey=\"0\" ez=\"0\" val0=\"0.01\" val1=\"0\" "
                          "val2=\"0\" val3=\"0\" val4=\"0\" val5=\"0\" />";
             t = Replace(t, "<loads numOfLoads=\"2\">", "<loads numOfLoads=\"262\">" + extra);
             return t;
         },
         host::ExitNotFulfilled,
         {"Zu viele Streckenlasten am Element 1", "Berechnung: nicht erfüllt - die Berechnung hat Fehler gemeldet",
          "Ergebnis: Nachweis nicht erfüllt", "Fehlerprotokoll:"},
         true, "die Berechnung hat Fehler gemeldet", "alle Nachweise erfüllt"},
        {"utilisation 1.2", [](std::string t) { return Replace(t, "val0=\"4\"", "val0=\"8\""); },
         host::ExitNotFulfilled, {"Tragsicherheit: max. Ausnutzung 1.20", "- nicht erfüllt"}, true},
        // The catalogue profile was changed after the section file was
        // stored in the position: the file is completed before the run.
        {"changed profile, stale section file",
         [](std::string t) { return Replace(t, "profName=\"IPE 300\" strMaterial", "profName=\"IPE 400\" strMaterial"); },
         host::ExitOk, {"Tragsicherheit: max. Ausnutzung 0.", "Ergebnis: alle Nachweise erfüllt"}, true},
        {"unknown profile",
         [](std::string t) { return Replace(t, "profName=\"IPE 300\" strMaterial", "profName=\"IPE 301\" strMaterial"); },
         host::ExitCalcFailed, {"Feld 1, Querschnitt: 'IPE / IPE 301'", "bleibt unverändert"}, false},
        {"unknown grade", [](std::string t) { return Replace(t, "strMaterial=\"S235\"", "strMaterial=\"S999\""); },
         host::ExitCalcFailed, {"Feld 1, Stahlgüte: 'S999'", "bleibt unverändert"}, false},
        {"undefined variable",
         [](std::string t) {
             return Replace(t, "val0=\"4\" val1=\"0\" val2=\"0\" val3=\"0\" val4=\"0\" val5=\"0\" />",
                            "val0=\"4\" val1=\"0\" val2=\"0\" val3=\"0\" val4=\"0\" val5=\"0\"><val0 exp=\"vier\"/>"
                            "</load_1>");
         },
         host::ExitCalcFailed, {"loads\\load_1\\val0: 'vier'", "nicht definiert", "bleibt unverändert"}, false},
        // A long formula is echoed shortened, the refusal stays.
        {"long undefined formula",
         [](std::string t) {
             return Replace(t, "val0=\"4\" val1=\"0\" val2=\"0\" val3=\"0\" val4=\"0\" val5=\"0\" />",
                            "val0=\"4\" val1=\"0\" val2=\"0\" val3=\"0\" val4=\"0\" val5=\"0\"><val0 exp=\""
                            "vierundvierzig+fuenfundfuenfzig+sechsundsechzig+siebenundsiebzig\"/></load_1>");
         },
         host::ExitCalcFailed, {"loads\\load_1\\val0: 'vierundvierzig+fuenfundfuenfzig+sechsund...'", "bleibt unverändert"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir_ / "Pos.vkx";
        const std::string before = c.edit(example_);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << before;
        const HostRun r = RunHost({"calc", file.string()});
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        for (const char* part : c.says) EXPECT_NE((r.out + r.err).find(part), std::string::npos) << part << "\n" << r.out << r.err;
        if (c.saved)
            EXPECT_NE(ReadAll(file), before) << "a calculated position keeps its results";
        else
            EXPECT_EQ(ReadAll(file), before);
        if (c.notSaid) EXPECT_EQ((r.out + r.err).find(c.notSaid), std::string::npos) << r.out << r.err;
        if (c.inReport)
            EXPECT_NE(ReadAll(winsys::SideFileName(file.string(), ".rtf")).find(c.inReport), std::string::npos);
        // Plain text on the console: no RTF codes.
        EXPECT_EQ((r.out + r.err).find("\\par"), std::string::npos) << r.out << r.err;
        std::error_code ec;
        for (const char* ext : {".rtf", ".err"}) fs::remove(winsys::SideFileName(file.string(), ext), ec);
    }
}

TEST_F(HostPosition, ReportNamesTheMaterialCalculatedWithAndTheLoadValues) {
    struct Case {
        const char* grade;
        const char* fyk;  // N/mm², EN 10025-2 for t <= 40 mm
    } cases[] = {{"S235", "235.0"}, {"S355", "355.0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grade);
        const fs::path file = dir_ / (std::string("Pos") + c.grade + ".vkx");
        std::ofstream(file, std::ios::binary)
            << Replace(example_, "strMaterial=\"S235\"", std::string("strMaterial=\"") + c.grade + "\"");
        const HostRun r = RunHost({"calc", file.string()});
        ASSERT_EQ(r.code, host::ExitOk) << r.out << r.err;
        const std::string rtf = ReadAll(winsys::SideFileName(file.string(), ".rtf"));
        const rtftest::Document doc = rtftest::ParseRtf(rtf);
        ASSERT_TRUE(doc.ok) << doc.error;
        // The material values: E, G and fy,k of the grade, gamma_M1 = 1.10 (EC3 NA (DE)).
        const rtftest::Row* material = nullptr;
        const rtftest::Row* load[2] = {nullptr, nullptr};
        for (const auto& t : doc.tables)
            for (const auto& row : t) {
                if (!row.cells.empty() && row.cells[0] == c.grade) material = &row;
                // The line loads of the input: g = 3 kN/m (load case 1), q = 4 kN/m (load case 2).
                if (row.cells.size() >= 8 && (row.cells[0] == "1" || row.cells[0] == "2") && row.cells[3] == "6.00")
                    load[row.cells[0] == "1" ? 0 : 1] = &row;
            }
        ASSERT_NE(material, nullptr) << rtf.substr(0, 2000);
        ASSERT_GE(material->cells.size(), 6u);
        EXPECT_EQ(material->cells[1], "210000.0");
        EXPECT_EQ(material->cells[2], "81000.0");
        EXPECT_EQ(material->cells[3], c.fyk);
        EXPECT_EQ(material->cells[5], "1.10");
        EXPECT_EQ(rtf.find("St37"), std::string::npos);
        ASSERT_NE(load[0], nullptr);
        ASSERT_NE(load[1], nullptr);
        EXPECT_EQ(load[0]->cells[6], "3.00");
        EXPECT_EQ(load[1]->cells[6], "4.00");
    }
}

TEST_F(HostPosition, ReadOnlyPositionIsCalculatedButNotOverwritten) {
    const fs::path file = dir_ / "Pos.vkx";
    std::ofstream(file, std::ios::binary) << example_;
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const HostRun r = RunHost({"calc", file.string()});
    EXPECT_EQ(r.code, host::ExitBadInput) << r.out << r.err;
    EXPECT_NE(r.err.find("nicht gespeichert werden"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(file), example_);
}

TEST_F(HostPosition, NewAcceptsCatalogueProgramsOnlyAndVersionIsPrinted) {
    struct Case {
        const char* file;
        const char* program;
        int code;
        const char* says;
    } cases[] = {
        {"a.vkx", "rigel", host::ExitOk, "Neue Position angelegt"},
        {"b.vkx", "VADU", host::ExitOk, "Neue Position angelegt"},
        {"c.vkx", "XYZ", host::ExitBadInput, "Bekannte Programme: RIGEL VADU"},
        {"d.txt", "RIGEL", host::ExitBadInput, "'.vkx'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const HostRun r = RunHost({"new", (dir_ / c.file).string(), c.program});
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
        EXPECT_EQ(fs::exists(dir_ / c.file), c.code == host::ExitOk);
    }
    EXPECT_NE(ReadAll(dir_ / "a.vkx").find("progname=\"RIGEL\""), std::string::npos);
    EXPECT_NE(ReadAll(dir_ / "b.vkx").find("progname=\"VADU\""), std::string::npos);
    const HostRun v = RunHost({"--version"});
    EXPECT_EQ(v.code, host::ExitOk);
    EXPECT_EQ(v.out.rfind("velor2005 ", 0), 0u) << v.out;
    const HostRun h = RunHost({"--help"});
    for (const char* part : {"RIGEL", "VADU", "--version", "4  berechnet, ein Nachweis nicht erfüllt"})
        EXPECT_NE(h.out.find(part), std::string::npos) << part;
}

TEST_F(HostPosition, ReportSummaryStatesTheConsolesVerdict) {
    // The verdict lines the console prints after a calculation stand, word
    // for word, in the report's summary; a combination that could not be
    // proven is named there, and the 999 that marks the failure in the
    // document is no utilisation the summary shows.
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> edits;
        std::vector<const char*> verdict;  // console line beginnings, in order
        const char* unprovenCell;          // the summary's cell naming unproven combinations
    } cases[] = {
        {"example", {}, {"Gebrauchstauglichkeit: max. Ausnutzung", "Tragsicherheit: max. Ausnutzung",
                         "Ergebnis: alle Nachweise erfüllt"}, nullptr},
        {"utilisation 1.2", {{"val0=\"4\"", "val0=\"8\""}},
         {"Gebrauchstauglichkeit: max. Ausnutzung", "Tragsicherheit: max. Ausnutzung 1.2",
          "Ergebnis: Nachweis nicht erfüllt"}, nullptr},
        // 8 m: the imposed-load combination reaches the buckling load of the
        // unrestrained beam (lateral-torsional buckling), the others do not.
        {"span 8 m",
         {{"<field_1 length=\"6\">", "<field_1 length=\"8\">"}, {"length=\"6\" ey", "length=\"8\" ey"},
          {"length=\"6\" ey", "length=\"8\" ey"}},
         {"Gebrauchstauglichkeit: max. Ausnutzung", "Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK 2",
          "Ergebnis: Nachweis nicht erfüllt"}, "LK 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = example_;
        for (const auto& [what, by] : c.edits) text = Replace(text, what, by);
        const fs::path file = dir_ / "Pos.vkx";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        const HostRun r = RunHost({"calc", file.string()});
        ASSERT_NE(r.code, host::ExitCalcFailed) << r.out << r.err;
        std::vector<std::string> console;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("Gebrauchstauglichkeit:", 0) == 0 || line.rfind("Tragsicherheit:", 0) == 0 ||
                line.rfind("Ergebnis:", 0) == 0)
                console.push_back(line);
        ASSERT_EQ(console.size(), c.verdict.size()) << r.out;
        for (size_t i = 0; i < console.size(); ++i) EXPECT_EQ(console[i].rfind(c.verdict[i], 0), 0u) << console[i];

        const rtftest::Document doc = rtftest::ParseRtfFile(winsys::SideFileName(file.string(), ".rtf"));
        ASSERT_TRUE(doc.ok) << doc.error;
        std::vector<std::string> summary;
        bool in = false;
        for (const auto& p : doc.paragraphs) {
            if (p.style == 12) in = p.text == "Zusammenfassung";
            else if (in) summary.push_back(p.text);
        }
        for (const std::string& line : console)
            EXPECT_NE(std::find(summary.begin(), summary.end(), line), summary.end()) << line;
        ASSERT_FALSE(doc.tables.empty());
        bool named = false;
        for (const auto& row : doc.tables.back()) {
            for (const std::string& cell : row.cells) {
                EXPECT_EQ(cell.find("999"), std::string::npos) << cell;
                if (c.unprovenCell && cell.rfind(c.unprovenCell, 0) == 0) named = true;
            }
        }
        EXPECT_EQ(named, c.unprovenCell != nullptr);
        std::error_code ec;
        for (const char* ext : {".rtf", ".err"}) fs::remove(winsys::SideFileName(file.string(), ext), ec);
    }
}

TEST(HostPlainText, RtfCodesOfMessagesBecomePlainText) {
    EXPECT_EQ(host::PlainText("Fehler:{\\par \\pard}{\\par \\pard}FEHLER:  a\nb\\par c\\tab d \\{x\\} "),
              "Fehler:\n\nFEHLER:  a\nb\nc\td {x}");
}

}  // namespace
