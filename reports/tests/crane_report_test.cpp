// The crane-runway report: the export with its files, the chapter order, the
// appendix, and the result tables by position, read back from the written
// report.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "graphics/core/Kurvo.h"
#include "module/frame/SideFiles.h"
#include "module/tests/moddata_fixture.h"
#include "reports/CraneReport.h"
#include "support/report_capture.h"
#include "support/system_picture_axes.h"

namespace {

using namespace moddatatest;
using rtftest::Document;

std::vector<std::string> Texts(const Document& doc) {
    std::vector<std::string> out;
    for (const auto& p : doc.paragraphs)
        if (!p.text.empty()) out.push_back(p.text);
    return out;
}

size_t Count(const Document& doc, const std::string& text) {
    const std::vector<std::string> t = Texts(doc);
    return static_cast<size_t>(std::count(t.begin(), t.end(), text));
}

// Index of the first paragraph that is text, or -1.
long IndexOf(const Document& doc, const std::string& text) {
    const std::vector<std::string> t = Texts(doc);
    const auto at = std::find(t.begin(), t.end(), text);
    return at == t.end() ? -1 : static_cast<long>(at - t.begin());
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CraneReport : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        MakeCraneRunway(d, 6.0);
        d.DefineVariables();
        for (int c = 0; c < 5; ++c) d.m_craneSettings.m_checkEnabled[c] = 0;
        d.m_craneSettings.m_LTBEnabled = 0;
        dir = Scratch(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        d.RemoveTempSectionFile();
        if (doc) ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // The position as a document file in the scratch folder, as a
    // calculation leaves it: its results (the "result" the writer writes)
    // belong to its input.
    void SaveAs(const std::string& name) {
        doc = ZEVUD_CreateDoc((dir / name).string().c_str());
        ASSERT_NE(doc, 0u);
        d.m_hDoc = doc;
        d.WriteData(doc);
        d.StoreInputFingerprint();
        ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    CModuleData d;
    fs::path dir;
    ZVDOC doc = 0;
    winsys::ScopedRecordingSink sink;
};

// ---- the export --------------------------------------------------------------------

TEST_F(CraneReport, HeaderFieldsEndInTwoNuls) {
    using namespace std::string_literals;
    EXPECT_EQ(CraneReportHeader("Kranbahnträger 1", "Kranbahnträger", "V 1.0", "frei", false),
              "Name=Kranbahnträger 1\0Titel=Kranbahnträger\0Version=V 1.0\0@T=frei\0\0"s);
    EXPECT_EQ(CraneReportHeader("Kranbahnträger 1", "Kranbahnträger", "V 1.0", "", true),
              "Name=Kranbahnträger 1\0nologo\0Version=V 1.0\0@T=\0\0"s);
}

TEST_F(CraneReport, AppendixFilesPerChosenPosition) {
    EXPECT_EQ(CraneAppendixFileName("/a/P1.rtf", 3), "/a/P1.KS003.rtf");
    EXPECT_EQ(CraneAppendixFileName("/a/P1.rtf", 12), "/a/P1.KS012.rtf");
    struct Case {
        int flag;
        const char* list;
        std::vector<std::string> files;
    } cases[] = {
        {0, "3,12", {"P1.vkx"}},
        // The supports file goes with every report.
        {1, "", {"P1.rtf", "P1.supports.csv", "P1.vkx"}},
        {1, "3,12", {"P1.KS003.rtf", "P1.KS012.rtf", "P1.rtf", "P1.supports.csv", "P1.vkx"}},
    };
    for (const Case& c : cases) {
        for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
        if (doc) ZEVUD_CloseDoc(doc);
        d.m_dorIzi.m_strText = c.list;
        d.m_dorIzi.Parse();
        SaveAs("P1.vkx");
        DEZADododaROV(doc, c.flag);
        std::vector<std::string> files = Files();
        // The section file of the module data beside the position is its own.
        files.erase(std::remove_if(files.begin(), files.end(),
                                   [](const std::string& f) { return f.find(".temp.skw") != std::string::npos; }),
                    files.end());
        EXPECT_EQ(files, c.files) << c.flag << " " << c.list;
        if (c.flag == 0) continue;
        const Document report = rtftest::ParseRtfFile(dir / "P1.rtf");
        ASSERT_TRUE(report.ok) << report.error;
        EXPECT_GE(IndexOf(report, "System und Lasten"), 0);
        if (*c.list) {
            const Document appendix = rtftest::ParseRtfFile(dir / "P1.KS012.rtf");
            ASSERT_TRUE(appendix.ok) << appendix.error;
            EXPECT_EQ(IndexOf(appendix, "Anhang KS012"), 0);
            EXPECT_GE(IndexOf(appendix, "Protokoll aller Einzelergebnisse aus Kranstellung 12"), 0);
        }
    }
}

// The export never writes a report from results that belong to other input
// than the position holds: the old report stays and a message says that the
// position must be calculated again. Results computed from the input it
// holds are reported.
TEST_F(CraneReport, NoReportFromResultsOfOtherInput) {
    struct Case {
        const char* name;
        bool changeInput;
        bool written;
    } cases[] = {{"results of the input", false, true}, {"input changed after the calculation", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (doc) ZEVUD_CloseDoc(doc);
        doc = 0;
        sink.Clear();
        SaveAs("P1.vkx");
        const ZVELEM root = ZEVUD_GetRootElement(doc);
        const ZVELEM input = ZEVUD_FindFirstChild(root, "input");
        ASSERT_NE(input, 0u);
        ASSERT_NE(ZEVUD_FindFirstChild(root, "result"), 0u);
        if (c.changeInput) ZEVUD_SetDouble(ZEVUD_AddChildElement(input, "field_9"), "length", 7.0);
        std::ofstream(dir / "P1.rtf", std::ios::trunc) << "alt";
        DEZADododaROV(doc, 1);
        const std::string report = ReadText(dir / "P1.rtf");
        bool said = false;
        for (const auto& m : sink.messages) said = said || m.text.find("muss neu berechnet werden") != std::string::npos;
        if (c.written) {
            EXPECT_EQ(report.rfind("{\\rtf", 0), 0u);
            EXPECT_FALSE(said);
        } else {
            EXPECT_EQ(report, "alt");
            EXPECT_TRUE(said);
        }
    }
}

// While the document's side files are held (a calculation whose position is
// saved afterwards), the report and its appendix go to staged files and
// replace the old ones only on the commit. A report that cannot be written
// (a file-size limit) stages nothing, and the old files stay.
TEST_F(CraneReport, HeldReportFilesAreStagedUntilTheCommit) {
    struct Case {
        const char* name;
        rlim_t fileLimit;  // 0: none
    } cases[] = {{"written", 0}, {"report larger than the file-size limit", 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (doc) ZEVUD_CloseDoc(doc);
        doc = 0;
        sink.Clear();
        d.m_dorIzi.m_strText = "2";
        d.m_dorIzi.Parse();
        SaveAs("P1.vkx");
        for (const char* name : {"P1.rtf", "P1.KS002.rtf"}) std::ofstream(dir / name, std::ios::trunc) << "alt";
        const std::string report = (dir / "P1.rtf").string(), appendix = (dir / "P1.KS002.rtf").string();
        sidefiles::SetHeld(doc, true);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.fileLimit) {
            const rlimit limit{c.fileLimit, old.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        DEZADododaROV(doc, 1);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(ReadText(report), "alt") << "nothing replaced before the commit";
        EXPECT_EQ(ReadText(appendix), "alt");
        const std::string staged = sidefiles::StagedFile(doc, report);
        const std::string stagedAppendix = sidefiles::StagedFile(doc, appendix);
        if (c.fileLimit == 0) {
            ASSERT_FALSE(staged.empty());
            ASSERT_FALSE(stagedAppendix.empty());
            EXPECT_EQ(ReadText(staged).rfind("{\\rtf", 0), 0u);
        } else {
            EXPECT_TRUE(staged.empty());
            EXPECT_TRUE(stagedAppendix.empty());
            bool named = false;
            for (const auto& m : sink.messages) named = named || m.text.find("kann nicht geschrieben werden") != std::string::npos;
            EXPECT_TRUE(named);
        }
        std::string why;
        EXPECT_TRUE(sidefiles::Commit(doc, why)) << why;
        sidefiles::SetHeld(doc, false);
        const bool written = c.fileLimit == 0;
        EXPECT_EQ(ReadText(report).rfind("{\\rtf", 0) == 0, written);
        EXPECT_EQ(ReadText(appendix).rfind("{\\rtf", 0) == 0, written);
        if (written) {
            const Document a = rtftest::ParseRtfFile(appendix);
            ASSERT_TRUE(a.ok) << a.error;
            EXPECT_EQ(IndexOf(a, "Anhang KS002"), 0);
        }
        for (const std::string& f : Files()) EXPECT_NE(f.rfind(".~vk", 0), 0u) << "left behind: " << f;
    }
}

// Without a check: the input chapters, "Ergebnisse", "Zusammenfassung" and
// no chapter of a check.
TEST_F(CraneReport, ChapterOrderWithoutChecks) {
    Document doc = report_test::WriteAndRead([&] { d.WriteCraneReportBody(nullptr, nullptr); });
    ASSERT_TRUE(doc.ok) << doc.error;
    const long system = IndexOf(doc, "System und Lasten");
    const long supports = IndexOf(doc, "Auflagerbedingungen");
    const long notches = IndexOf(doc, "Ermüdung und lokale Effekte");
    const long results = IndexOf(doc, "Ergebnisse");
    const long summary = IndexOf(doc, "Zusammenfassung");
    EXPECT_EQ(IndexOf(doc, "Berechnung eines Brückenlaufkrans"), 0);
    EXPECT_LT(system, supports);
    EXPECT_LT(supports, notches);
    EXPECT_LT(notches, results);
    EXPECT_EQ(summary, results + 1);
    for (const std::string& t : Texts(doc)) EXPECT_EQ(t.find("Ergebnisse für Nachweis"), std::string::npos) << t;
}

// The crane passes of the fatigue check: one for all cranes, and one per
// crane only with more than one crane; a cross-section point below kind 2
// is listed only in the fatigue check.
TEST_F(CraneReport, CranePassesAndCrossSectionPoints) {
    d.m_craneSettings.m_checkEnabled[0] = 1;
    d.m_craneSettings.m_checkEnabled[4] = 1;
    d.m_notchCases[0].m_iPlace = 1;
    d.m_notchCases[0].m_bActiv = 1;
    for (size_t cranes : {1u, 2u}) {
        d.m_cranes.resize(cranes);
        for (CCrane& c : d.m_cranes) c.m_pOwner = &d;
        Document doc = report_test::WriteAndRead([&] { d.WriteCraneReportBody(nullptr, nullptr); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(Count(doc, "Ergebnisse für Nachweis 'Tragsicherheit S/V'"), 1u);
        EXPECT_EQ(Count(doc, "Ergebnisse für Nachweis 'Ermüdung'"), 1u);
        EXPECT_EQ(Count(doc, "Extremale Schnittgrößen aus Kranstellungen"), 2u) << cranes;
        EXPECT_EQ(Count(doc, "Extremale Schnittgrößen für Vadu Nr. 1"), cranes > 1 ? 1u : 0u);
        EXPECT_EQ(Count(doc, "Extremale Schnittgrößen für Vadu Nr. 2"), cranes > 1 ? 1u : 0u);
        // The point's table heading: in the fatigue check's passes only.
        EXPECT_EQ(Count(doc, "Quersteife"), cranes > 1 ? 3u : 1u) << cranes;
    }
}

// The appendix of position 3: the sets of position 3 only (not 31), each
// path's levels from the first one that differs from the path before.
TEST_F(CraneReport, AppendixHoldsOnlyItsPositionsSets) {
    EXPECT_TRUE(IsPathOfCranePosition("Tragsicherheit S/V\\Kranstellung\\3 @\\Lastfall G\\N", 3));
    EXPECT_TRUE(IsPathOfCranePosition("Tragsicherheit S/V\\Kranstellung\\3\\Lastfall G\\N", 3));
    EXPECT_FALSE(IsPathOfCranePosition("Tragsicherheit S/V\\Kranstellung\\31 @\\Lastfall G\\N", 3));
    EXPECT_FALSE(IsPathOfCranePosition("Tragsicherheit S/V\\Kranstellung\\300 @\\Lastfall G\\N", 3));
    EXPECT_FALSE(IsPathOfCranePosition("Tragsicherheit S/V\\N", 3));
    for (const char* title : {"Tragsicherheit S/V\\Kranstellung\\3 (81 %)\\Lastfall G\\N",
                              "Tragsicherheit S/V\\Kranstellung\\31 (20 %)\\Lastfall G\\N",
                              "Tragsicherheit S/V\\Kranstellung\\3 (81 %)\\Lastfall G\\Vy",
                              "Tragsicherheit S/V\\Kranstellung\\3 (81 %)\\Lastfall K1.ULS1\\N",
                              "Ermüdung\\Kranstellung\\3\\Lastfall K1.FAT\\N"}) {
        CResultSet set;
        set.m_strTitle = title;
        d.m_resultSets.push_back(set);
    }
    Document doc = report_test::WriteAndRead([&] { d.WriteCraneAppendix(nullptr, 3); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"Anhang KS003", "Protokoll aller Einzelergebnisse aus Kranstellung 3",
                                                    "Tragsicherheit S/V", "Kranstellung", "3 (81 %)", "Lastfall G",
                                                    "N", "Vy", "Lastfall K1.ULS1", "N", "Ermüdung", "Kranstellung",
                                                    "3", "Lastfall K1.FAT", "N"}));
}

// ---- tables by x position --------------------------------------------------------------

TEST_F(CraneReport, TablePositions) {
    const std::vector<double> bounds{0.0, 6.0};
    const std::vector<double> x{0.0, 1.0, 2.0, 2.00005, 3.0, 6.0};
    struct Case {
        const char* name;
        std::vector<std::vector<double>> curves;
        std::vector<double> chosen;
    } cases[] = {
        {"zero everywhere", {{0, 0, 0, 0, 0, 0}}, {}},
        {"extremes inside, zero at the ends", {{0, -1.0, 0, 0, 4.0, 0}}, {1.0, 3.0}},
        // Largest at the start; the smallest is a 0 (not chosen).
        {"value at the start", {{2.0, 1.0, 0, 0, 0.5, 0}}, {0.0}},
        {"two positions 0.00005 m apart", {{0, 0, 5.0, 0, 0, 0}, {0, 0, 0, 5.0, 0, 0}}, {2.00005}},
    };
    for (const Case& c : cases) {
        const std::vector<double> got = ChooseCraneTablePositions(bounds, x, c.curves);
        ASSERT_EQ(got.size(), c.chosen.size()) << c.name;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.chosen[i], 1e-9) << c.name;
    }
}

// An envelope table of three nodes: N with a negative extreme, Vy 0
// everywhere (hidden), one or two series.
TEST_F(CraneReport, TableByXRowsBoldAndHiddenColumns) {
    CResultTable env;
    ASSERT_TRUE(env.Init(2, 3, 30));
    const double xs[3] = {0.0, 3.0, 6.0};
    env.SetXPositions(xs, 0, 1);
    const double minN[3] = {-8.0, -2.0, -1.0}, maxN[3] = {1.0, 5.0, 0.5};
    env.SetRow(0, 11, minN, 0, 1);
    env.SetRow(1, 11, maxN, 0, 1);
    using Cells = std::vector<std::string>;
    struct Case {
        std::vector<int> series;
        std::vector<Cells> rows;  // after the two header rows
    } cases[] = {
        // The smallest value at 0 and the largest at 6 (both ends not 0).
        {{0}, {{"0.00", "-8.00"}, {"6.00", "-1.00"}}},
        // The second series adds its largest value at 3; each x two rows.
        {{0, 1},
         {{"0.00", "-8.00"}, {"", "1.00"}, {"3.00", "-2.00"}, {"", "5.00"}, {"6.00", "-1.00"}, {"", "0.50"}}},
    };
    for (const Case& c : cases) {
        Document doc = report_test::WriteAndRead([&] { d.WriteCraneInternalForceTable(env, c.series); });
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 1u);
        const auto& rows = doc.tables[0];
        // "Bei x=" and N: the other columns are 0 everywhere.
        EXPECT_EQ(rows[0].cells, (Cells{"Bei x=", "N"}));
        EXPECT_EQ(rows[1].cells, (Cells{"[m]", "[kN]"}));
        ASSERT_EQ(rows.size(), 2 + c.rows.size());
        for (size_t r = 0; r < c.rows.size(); ++r) {
            EXPECT_EQ(rows[2 + r].cells, c.rows[r]) << r;
            // Only the largest magnitude, a negative value, is bold.
            EXPECT_EQ(rows[2 + r].bold[1], r == 0) << r;
        }
    }
}

TEST_F(CraneReport, ServiceabilityLimits) {
    EXPECT_EQ(CraneLimitDivisor(499.6), 500);
    EXPECT_EQ(CraneLimitDivisor(499.4), 499);
    d.m_craneSettings.m_maxRelDefY.SetValue(499.6);
    d.m_craneSettings.m_maxAbsDefZ.SetValue(25.0);
    d.m_craneSettings.m_maxRelDefZ.SetValue(500.0);
    for (int bridge : {0, 1}) {
        for (bool cantilever : {false, true}) {
            d.m_craneSettings.m_bSecondBeam = bridge;
            d.m_supports[1] = cantilever ? CSupport() : ForkSupport(false);
            Document doc = report_test::WriteAndRead([&] { d.WriteServiceabilityLimits(); });
            ASSERT_TRUE(doc.ok) << doc.error;
            ASSERT_EQ(doc.tables.size(), 1u);
            const auto& rows = doc.tables[0];
            ASSERT_EQ(rows.size(), bridge ? 8u : 5u);
            EXPECT_EQ(rows[3].cells[2], "l/500");
            EXPECT_EQ(rows[bridge ? 5 : 4].cells[2], "25.0 mm und l/500");
            // The differences of deflection are not checked: said beside
            // their limits (EN 1993-6 7.3, Tables 7.1 and 7.2).
            if (bridge) {
                EXPECT_EQ(rows[4].cells[2], "10.0 mm (nicht nachgewiesen)");
                EXPECT_EQ(rows[6].cells[2], "l/500 (nicht nachgewiesen)");
                EXPECT_EQ(rows[7].cells[2], "s/600 (nicht nachgewiesen)");
            }
            const bool note = IndexOf(doc,
                                      "Abminderungsfaktor für die Ausnutzung aus Verformungen an Kragarmen: 0.50 "
                                      "(nicht nachgewiesen)") >= 0;
            EXPECT_EQ(note, cantilever);
        }
    }
}

// Two supports: twelve rows each, the row's own extreme in bold; the crane
// texts from their fourth character on (empty for a shorter text); the
// comma-separated side file line by line, headed by the check's name;
// "Auflager.txt" only with the developer switch.
TEST_F(CraneReport, SupportReactionsByCranePosition) {
    SaveAs("Pos.vkx");
    CCraneReactions& r = d.m_checkReactions[0];
    r.Clear();
    r.nAufl = 2;
    r.xCoords[0] = 0.0;
    r.xCoords[1] = 6.0;
    for (int s = 0; s < 2; ++s)
        for (int e = 0; e < 12; ++e) {
            const int i = (12 * s + e) * 4;
            for (int c = 0; c < 6; ++c) r.table[c][i] = (s + 1) * 10.0 + c;
            r.pos[12 * s + e] = 4;
            std::snprintf(r.labels[i + 1], CCraneReactions::kLabelBytes, "%s", "K1.ULS1");
            std::snprintf(r.labels[i + 2], CCraneReactions::kLabelBytes, "%s", "K2.");
        }
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    unsetenv("VKTUSER");
    Document doc = report_test::WriteAndRead([&] { d.WriteSupportReactionsByPosition(d.m_akResults[0], {0, 1}, 1, 0); });
    const bool dumpWithout = fs::exists(dir / "Auflager.txt");
    setenv("VKTUSER", "DEDUV", 1);
    report_test::WriteAndRead([&] { d.WriteSupportReactionsByPosition(d.m_akResults[0], {0, 1}, 0, 0); });
    unsetenv("VKTUSER");
    const std::string dump = ReadText(dir / "Auflager.txt");
    fs::current_path(cwd);
    EXPECT_FALSE(dumpWithout);
    EXPECT_EQ(dump.rfind("m_nAufl=2\nAuflager 0, iCrane=0\nmax Ax: Lf=", 0), 0u) << dump;

    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    const auto& rows = doc.tables[0];
    ASSERT_EQ(rows.size(), 2u + 24u);
    EXPECT_EQ(rows[2].cells[0], "0.00");
    EXPECT_EQ(rows[3].cells[0], "");
    EXPECT_EQ(rows[14].cells[0], "6.00");
    EXPECT_EQ(rows[4].cells[2], "max Az");
    EXPECT_EQ(rows[4].cells[5], "  12.00");
    for (int c = 3; c <= 8; ++c) EXPECT_EQ(rows[4].bold[static_cast<size_t>(c)], c == 5) << c;
    EXPECT_TRUE(rows[25].bold[8]) << "min Mz";
    EXPECT_EQ(rows[4].cells[9], "5");
    EXPECT_EQ(rows[4].cells[10], "ULS1");
    EXPECT_EQ(rows[4].cells[11], "") << "a text of three characters";
    EXPECT_GE(IndexOf(doc, "Die charakteristischen Auflagerkräfte wurden mit um 0.1 abgeminderten "
                           "Schwingbeiwerten ermittelt."),
              0);
    EXPECT_GE(IndexOf(doc, "Pos = Kranstellungen siehe Tabelle 'Kranstellungen bez. Achse 1'"), 0);

    EXPECT_FALSE(fs::exists(dir / "Pos.supports.csv")) << "the table writes no side file";
    // Each check prints its own reactions: check 1 holds none.
    Document other =
        report_test::WriteAndRead([&] { d.WriteSupportReactionsByPosition(d.m_akResults[1], {0, 1}, 0, 1); });
    ASSERT_EQ(other.tables.size(), 1u);
    EXPECT_EQ(other.tables[0].size(), 2u);
    d.WriteSupportsFile();
    const std::string csv = ReadText(dir / "Pos.supports.csv");
    const std::string head = "// x, due, Ax, Ay, Az, Mx, My, Mz, Pos, Crane1, Crane2, Crane3\n// Tragsicherheit S/V\n";
    const std::string first = "  0.00, maxAx,    10.00,    11.00,    12.00,    13.00,    14.00,    15.00,   5,     ULS1,"
                              "         ,         \n";
    EXPECT_EQ(csv.substr(0, head.size() + first.size()), head + first);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 26);
    EXPECT_NE(csv.find("\n  6.00, minMz,    20.00,"), std::string::npos);
}

// Support reactions per load group: each group's table shows the extremes of
// the group's own load case (the check's load cases begin with the self
// weight, so the group list and the load cases are not in step).
TEST_F(CraneReport, SupportReactionsPerLoadGroupFromTheGroupsLoadCase) {
    d.m_craneSettings.m_checkEnabled[0] = 1;
    d.m_craneSettings.m_bDetailedReactions = 1;
    d.m_craneRtfOptions.assign(CModuleData::kCraneReportOptions, 0);
    d.m_craneRtfOptions[3] = 1;
    // Both axles of the crane carry a wheel load in groups 0 and 1.
    CCrane& crane = d.m_cranes[0];
    for (size_t a = 0; a < 2; ++a)
        for (size_t g = 0; g < 2; ++g)
            crane.m_wheelLoads[(a * CCrane::kGroups + g) * CCrane::kWheelValues + 2].SetValue(100.0);
    std::vector<std::string> names;
    int next = 1;
    PrepareLoadCases(d, 0, next, names);
    ASSERT_GE(names.size(), 2u);
    ASSERT_EQ(names[0], "G");
    CResultTable& ak = d.m_akResults[0];
    const int cases = static_cast<int>(names.size());
    ASSERT_TRUE(ak.Init(2 + 2 * cases, 2, 30));
    const double xs[2] = {0.0, 6.0};
    ak.SetXPositions(xs, 0, 1);
    for (int l = 0; l < cases; ++l) {
        ak.SetValue(2 * l + 2, 0, 20, -(100.0 + l));
        ak.SetValue(2 * l + 3, 0, 20, 100.0 + l);
    }
    Document doc = report_test::WriteAndRead([&] { d.WriteUltimateCheckExtras(0, nullptr); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_GE(IndexOf(doc, "Auflagerkräfte Lastgruppe " + names[1]), 0);
    EXPECT_EQ(IndexOf(doc, "Auflagerkräfte Lastgruppe G"), -1);
    // The support table, the table by crane position, then one per group.
    ASSERT_EQ(doc.tables.size(), 2u + (names.size() - 1));
    const auto& first = doc.tables[2];
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(first[2].cells, (std::vector<std::string>{"0.00", "-101.00"}));
    EXPECT_EQ(first[3].cells, (std::vector<std::string>{"", "101.00"}));
}

// A side file that cannot be written is named in a message; the table is
// written all the same.
TEST_F(CraneReport, UnwritableSupportsFileIsNamed) {
    SaveAs("Pos.vkx");
    fs::create_directories(dir / "Pos.supports.csv");  // a folder in the file's place
    d.m_checkReactions[0].Clear();
    d.m_checkReactions[0].nAufl = 1;
    Document doc = report_test::WriteAndRead([&] {
        d.WriteSupportReactionsByPosition(d.m_akResults[0], {0, 1}, 0, 0);
        d.WriteSupportsFile();
    });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0].size(), 14u);
    bool named = false;
    for (const auto& m : sink.messages) named = named || m.text.find("Pos.supports.csv") != std::string::npos;
    EXPECT_TRUE(named);
}

// While the position's side files are held the supports file is staged:
// the old file keeps its bytes until the position is saved and the files
// are committed, and a run that is not accepted leaves it untouched and
// nothing temporary beside it.
TEST_F(CraneReport, SupportsFileReplacesTheOldOneOnlyOnCommit) {
    SaveAs("Pos.vkx");
    const fs::path csv = dir / "Pos.supports.csv";
    CCraneReactions& r = d.m_checkReactions[3];
    r.Clear();
    r.nAufl = 1;
    r.table[2][(12 * 0 + 2) * 4] = 83.87;  // max Az
    for (bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "committed" : "dropped");
        std::ofstream(csv, std::ios::binary | std::ios::trunc) << "alt\r\n";
        const std::vector<std::string> before = Files();
        sidefiles::SetHeld(doc, true);
        d.WriteSupportsFile();
        EXPECT_EQ(ReadText(csv), "alt\r\n") << "nothing replaced before the commit";
        std::string why;
        if (commit) EXPECT_TRUE(sidefiles::Commit(doc, why)) << why;
        sidefiles::SetHeld(doc, false);
        const std::string now = ReadText(csv);
        if (commit) {
            EXPECT_EQ(now.rfind("// x, due, Ax, Ay, Az, Mx, My, Mz, Pos, Crane1, Crane2, Crane3\n"
                                "// Gebrauchstauglichkeit\n",
                                0),
                      0u)
                << now;
            EXPECT_NE(now.find("\n  0.00, maxAz,     0.00,     0.00,    83.87,"), std::string::npos) << now;
        } else {
            EXPECT_EQ(now, "alt\r\n");
        }
        EXPECT_EQ(Files(), before) << "no temporary file stays";
    }
}

TEST_F(CraneReport, NotchCasesHideTheWeldColumnsWithoutWelds) {
    CNotchCase weld = d.m_notchCases[0];
    weld.m_strName = "Schienenanschluss";
    weld.m_geomType = 2;
    weld.m_iKerbGruppe = 13;
    weld.m_iKerbGruppeW = 0;
    weld.m_tWeld.SetValue(4.0);
    for (bool withWeld : {false, true}) {
        if (withWeld) d.m_notchCases.push_back(weld);
        Document doc = report_test::WriteAndRead([&] { d.WriteNotchCases(); });
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 1u);
        const auto& rows = doc.tables[0];
        ASSERT_EQ(rows.size(), withWeld ? 4u : 3u);
        EXPECT_EQ(rows[0].cells.size(), withWeld ? 11u : 9u);
        EXPECT_EQ(rows[2].cells[0], "Quersteife");
        if (withWeld) {
            EXPECT_EQ(rows[3].cells[1], "160");
            EXPECT_EQ(rows[3].cells[3], "Schweißnaht");
            EXPECT_EQ(rows[3].cells[9], "4.0");
            EXPECT_EQ(rows[3].cells[10], "36");
            EXPECT_EQ(rows[2].cells[9], "---");
        }
    }
}

TEST_F(CraneReport, BeddingsAndSpringsOnlyWithRows) {
    Document none = report_test::WriteAndRead([&] { d.WriteBeddingsAndSprings(); });
    EXPECT_TRUE(none.tables.empty());
    CSupport spring;
    spring.m_iNode = 0;
    spring.m_posX.SetValue(2.0);
    spring.m_cz.SetValue(1500.0);
    d.m_springs = {spring};
    Document doc = report_test::WriteAndRead([&] { d.WriteBeddingsAndSprings(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), std::vector<std::string>{"Einzelfedern"});
    ASSERT_EQ(doc.tables.size(), 1u);
    ASSERT_EQ(doc.tables[0].size(), 3u);
    EXPECT_EQ(doc.tables[0][2].cells[0], "2.00");
    EXPECT_EQ(doc.tables[0][2].cells[3], "-");
    EXPECT_EQ(doc.tables[0][2].cells[4], "1.500\xC2\xB7" "103");
}

// ---- diagrams ---------------------------------------------------------------------------

class CraneDiagrams : public CraneReport {
protected:
    void SetUp() override {
        CraneReport::SetUp();
        d.m_craneRtfOptions.assign(CModuleData::kCraneReportOptions, 0);
        ASSERT_TRUE(Pictor_Create2D(640, 480, 1));
        graph = Pictor_GetKurvo2DPtr();
    }
    void TearDown() override {
        Pictor_Destroy();
        CraneReport::TearDown();
    }
    void AddSeries(const std::string& path) {
        CResultSet s;
        s.m_strTitle = path;
        s.m_data = {0, -5, 3, 2, 6, -1};
        s.FindExtremes();
        d.m_resultSets.push_back(s);
        d.m_resultIndex[path] = static_cast<int>(d.m_resultSets.size()) - 1;
    }
    CKurvo2D* graph = nullptr;
};

// Both normal-stress diagrams follow the first option; with every option
// off nothing is drawn at all.
TEST_F(CraneDiagrams, StressDiagramsByOption) {
    for (const char* name : {"Min SigmaX", "Max SigmaX", "TauXZ", "SigmaV", "Ausnutzung"})
        AddSeries(std::string("Tragsicherheit S/V\\Spannungen\\") + name);
    CKurvoRecorder recorder;
    CKurvo2D recorded(&recorder);
    Document off = report_test::WriteAndRead([&] { d.InsertCraneStressDiagrams("Tragsicherheit S/V", &recorded, 11); });
    EXPECT_TRUE(off.pictures.empty());
    EXPECT_TRUE(recorder.calls.empty());
    struct Case {
        int option;
        size_t pictures;
    } cases[] = {{11, 2}, {12, 1}, {14, 1}, {15, 0}};
    for (const Case& c : cases) {
        d.m_craneRtfOptions.assign(CModuleData::kCraneReportOptions, 0);
        d.m_craneRtfOptions[static_cast<size_t>(c.option)] = 1;
        Document doc = report_test::WriteAndRead([&] { d.InsertCraneStressDiagrams("Tragsicherheit S/V", graph, 11); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(doc.pictures.size(), c.pictures) << c.option;
    }
}

// The appendix draws each set of its position, without the set's title.
TEST_F(CraneDiagrams, AppendixDrawsItsSets) {
    AddSeries("Tragsicherheit S/V\\Kranstellung\\2 @\\Lastfall G\\N");
    AddSeries("Tragsicherheit S/V\\Kranstellung\\21 @\\Lastfall G\\N");
    Document doc = report_test::WriteAndRead([&] { d.WriteCraneAppendix(graph, 2); });
    ASSERT_TRUE(doc.ok) << doc.error;
    // The system with the cranes at position 2, then the one set.
    EXPECT_EQ(doc.pictures.size(), 2u);
    EXPECT_EQ(IndexOf(doc, "Ansicht XZ-Ebene"), 2);
    EXPECT_EQ(d.m_nCurCranePos, 1);
    EXPECT_EQ(Texts(doc).back(), "N");
}

// The system picture: only the elevation unless the supports' lateral and
// vertical conditions differ or a spring has a lateral constant; the axes
// "Y" across the plan and "Z" across the elevation; position -1 shows the
// cranes where the utilisation (id 33) is largest.
TEST_F(CraneDiagrams, SystemPictureViews) {
    struct Case {
        const char* what;
        std::function<void(CModuleData&)> change;
        std::vector<std::string> headings;
    } cases[] = {
        {"equal conditions", [](CModuleData&) {}, {"Ansicht XZ-Ebene"}},
        {"a support held only vertically", [](CModuleData& m) { m.m_supports[1].m_cy.SetValue(0.0); },
         {"Ansicht XY-Ebene", "Ansicht XZ-Ebene"}},
        {"a lateral spring",
         [](CModuleData& m) {
             CSupport s;
             s.m_posX.SetValue(3.0);
             s.m_cy.SetValue(100.0);
             m.m_springs.push_back(s);
         },
         {"Ansicht XY-Ebene", "Ansicht XZ-Ebene"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeCraneRunway(d, 6.0);
        d.DefineVariables();
        c.change(d);
        const Document doc = report_test::WriteAndRead([&] { d.WriteCraneSystemPicture(graph, 0, 0, 0, 0, 0); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(Texts(doc), c.headings);
        EXPECT_EQ(doc.pictures.size(), c.headings.size());
        EXPECT_EQ(report_test::RecordedAxes([&](CKurvo2D* g) { d.WriteCraneSystemPicture(g, 0, 0, 0, 0, 0); }),
                  report_test::AxesOfViews(c.headings));
    }
    // Check 0's utilisation is largest at position 3 (from 0).
    d.m_craneSettings.m_checkEnabled[0] = 1;
    d.m_summaries[0].SetSize(40);
    d.m_summaries[0].m_value[1][33] = 0.8;
    d.m_summaries[0].m_cranePos[1][33] = 3;
    report_test::WriteAndRead([&] { d.WriteCraneSystemPicture(graph, 0, 0, 0, 0, -1); });
    EXPECT_EQ(d.m_nCurCranePos, 3);
    report_test::WriteAndRead([&] { d.WriteCraneSystemPicture(graph, 0, 0, 0, 0, 1); });
    EXPECT_EQ(d.m_nCurCranePos, 1);
}

// Six distinct profiles: two pictures of four and two; a profile met again
// in a later field is not drawn again.
TEST_F(CraneDiagrams, SectionPicturesFourProfilesEach) {
    d.m_craneSettings.m_craneTyp = 1;  // no rail on top
    const std::vector<std::string> names{"HEB 200", "HEB 220", "HEB 240", "HEB 260", "HEB 280", "HEB 300", "HEB 220"};
    d.m_fieldLengths.assign(1, CFormulaValue(0.0));
    d.m_sections.clear();
    for (const std::string& n : names) {
        d.m_fieldLengths.emplace_back(6.0);
        d.m_sections.push_back(RolledSection(d, "HEB", n));
    }
    d.m_supports.assign(names.size() + 1, ForkSupport(false));
    const Document doc = report_test::WriteAndRead([&] { d.WriteCraneSectionPictures(graph, 0, 0, 0, 0); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"Profil: 'HEB 200' 'HEB 220' 'HEB 240' 'HEB 260'",
                                                    "Profil: 'HEB 280' 'HEB 300'"}));
    EXPECT_EQ(doc.pictures.size(), 2u);
}

}  // namespace
