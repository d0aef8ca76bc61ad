// The member-design report written by its exported routine from a position
// document, read back: chapters by the output options, collectives by the
// modes, the summary and the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ResultTable.h"
#include "module/tests/moddata_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"
#include "reports/MemberReport.h"
#include "support/report_capture.h"
#include "support/system_picture_axes.h"

namespace {

using namespace moddatatest;
using rtftest::Document;
namespace fs = std::filesystem;

// Heading styles of the report library: -2 chapter ... -5.
constexpr int kChapter = 12, kSection = 13, kSubSection = 14;

class MemberReport : public ::testing::Test {
public:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        dir = Scratch(::testing::UnitTest::GetInstance()->current_test_info()->name());
        MakeBeam(d, {6.0}, 3.0, 4.0);
        d.m_rtfOptions.assign(CModuleData::kReportOptions, 0);
        d.m_bRtfChapterInput = d.m_bRtfChapterGebr = d.m_bRtfChapterTragSV = d.m_bRtfChapterCT = 0;
        // Four collectives: two ultimate, one accidental-crane, one characteristic.
        d.LK().m_combinations.clear();
        for (const auto& [type, desc] : std::vector<std::pair<std::string, std::string>>{
                 {"Ed", "1.35*G"}, {"Ed,A", "G+A"}, {"AK1", "Kran"}, {"Ed,char", "G+Q"}}) {
            CCombinationRecord k;
            k.m_strType = type;
            k.m_strRule = desc;
            d.LK().m_combinations.push_back(k);
        }
    }
    void TearDown() override {
        d.RemoveTempSectionFile();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // A stored series (x, value) under path.
    void AddSeries(const std::string& path, std::vector<float> xv) {
        CResultSet s;
        s.m_strTitle = path;
        s.m_data = std::move(xv);
        series.push_back(s);
    }

    // Writes the position into a document "Pos.vkx", with the result summary
    // and the series, calls the export with flag and reads the report back.
    Document Report(int flag = 1) {
        const fs::path file = dir / "Pos.vkx";
        rtf = dir / "Pos.rtf";
        fs::remove(rtf);
        ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
        EXPECT_NE(doc, 0u);
        d.m_hDoc = doc;
        d.WriteData(doc);
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ZVELEM result = ZEVUD_AddChildElement(root, "result");
        ZEVUD_SetInt(result, "gebrMaxLK", gebrMaxLK);
        ZEVUD_SetInt(result, "gebrKolOffset", gebrKolOffset);
        ZEVUD_SetInt(result, "tragSVMaxLK", tragSVMaxLK);
        ZEVUD_SetDouble(result, "dMaxAusGebr", 0.25);
        ZEVUD_SetDouble(result, "dMaxAusTragSV", 0.75);
        zevud::SetInts(result, "tragSVRelKol", tragSVRelKol);
        zevud::SetInts(result, "gebrRelKol", gebrRelKol);
        ZVELEM ew = ZEVUD_AddChildElement(result, "Eigenwerte");
        for (const auto& [key, text] : eigen) ZEVUD_SetString(ew, key.c_str(), text.c_str());
        for (const CResultSet& s : series) WriteResultSet(s, result);
        if (before) before(root);
        // The results were computed from this input, as a calculation leaves them.
        d.StoreInputFingerprint();
        if (afterCalculation) afterCalculation(root);
        REVUVUvarudIVA(doc, flag);
        ZEVUD_CloseDoc(doc);
        written = fs::exists(rtf);
        return written ? rtftest::ParseRtfFile(rtf) : Document{};
    }

    // Paragraph texts of a style, in order.
    static std::vector<std::string> Styled(const Document& doc, int style) {
        std::vector<std::string> out;
        for (const auto& p : doc.paragraphs)
            if (p.style == style) out.push_back(p.text);
        return out;
    }
    // The texts of the paragraphs (not empty) of the chapter whose heading
    // begins with prefix.
    static std::vector<std::string> Chapter(const Document& doc, const std::string& prefix) {
        std::vector<std::string> out;
        bool in = false;
        for (const auto& p : doc.paragraphs) {
            if (p.style == kChapter) in = p.text.rfind(prefix, 0) == 0;
            else if (in && !p.text.empty()) out.push_back(p.text);
        }
        return out;
    }
    static bool Has(const std::vector<std::string>& v, const std::string& t) {
        return std::find(v.begin(), v.end(), t) != v.end();
    }
    static int Count(const std::vector<std::string>& v, const std::string& prefix) {
        return static_cast<int>(std::count_if(v.begin(), v.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
    }
    void On(int a, int b) {
        for (int k = a; k <= b; ++k) d.m_rtfOptions[static_cast<size_t>(k)] = 1;
    }

    fs::path dir, rtf;
    bool written = false;
    CModuleData d;
    std::vector<CResultSet> series;
    int gebrMaxLK = 3, gebrKolOffset = 0, tragSVMaxLK = 0;
    std::vector<int32_t> tragSVRelKol{0, 1}, gebrRelKol{3};
    std::vector<std::pair<std::string, std::string>> eigen;
    std::function<void(ZVELEM)> before;
    std::function<void(ZVELEM)> afterCalculation;  // e.g. the input changed after the results
};

TEST_F(MemberReport, FlagZeroWritesNothingAndInputAloneHasNoSummary) {
    d.m_bRtfChapterInput = 1;
    Report(0);
    EXPECT_FALSE(written);

    d.m_inputAnnotations[0] = "{\\b Vorspann}\\par ";
    const Document doc = Report();
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Styled(doc, kChapter), std::vector<std::string>{"Eingabe"});
    ASSERT_FALSE(doc.paragraphs.empty());
    EXPECT_EQ(doc.paragraphs.front().text, "Vorspann");  // report text slot 0 first
    EXPECT_TRUE(Has(Styled(doc, kSection), "Art der Vorverformungen"));  // always in the input chapter
    EXPECT_NE(doc.header.find("Stahlträger mit veränderl. Querschnitten und Biegetorsion"), std::string::npos) << doc.header;
    // No temporary file is left beside the position (the section file
    // belongs to this test's own position data).
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        EXPECT_TRUE(ext == ".vkx" || ext == ".rtf" || ext == ".skw") << e.path();
    }
}

TEST_F(MemberReport, ChaptersFollowTheSwitchesAndOptions) {
    struct Case {
        const char* what;
        std::function<void(MemberReport&)> set;
        std::vector<std::string> chapters;
        std::function<void(const Document&)> check;
    };
    const std::vector<Case> cases = {
        {"serviceability without options: only its summary row",
         [](MemberReport& t) { t.d.m_bRtfChapterGebr = 1; },
         {"Zusammenfassung"},
         [](const Document& doc) {
             ASSERT_EQ(doc.tables.size(), 1u);
             ASSERT_EQ(doc.tables[0].size(), 1u);
             EXPECT_EQ(doc.tables[0][0].cells[0], "Maximale Ausnutzung aus Verformungen:");
             EXPECT_EQ(doc.tables[0][0].cells[1], "0.25");
             EXPECT_EQ(doc.tables[0][0].cells[2], "(LK 4)");
         }},
        {"collective numbers count from 1 over the offset",
         [](MemberReport& t) {
             t.d.m_bRtfChapterGebr = t.d.m_bRtfChapterTragSV = 1;
             t.gebrMaxLK = 2;
             t.gebrKolOffset = 5;
         },
         {"Zusammenfassung"},
         [](const Document& doc) {
             ASSERT_EQ(doc.tables.size(), 1u);
             ASSERT_EQ(doc.tables[0].size(), 2u);
             EXPECT_EQ(doc.tables[0][0].cells[2], "(LK 8)");
             EXPECT_EQ(doc.tables[0][1].cells[0], "Maximale Ausnutzung aus Spannungen:");
             EXPECT_EQ(doc.tables[0][1].cells[1], "0.75");
             EXPECT_EQ(doc.tables[0][1].cells[2], "(LK 1)");
         }},
        {"norm 7: b/t check without the class sentence",
         [](MemberReport& t) {
             t.d.m_bRtfChapterCT = 1;
             t.d.m_info.m_nNorm = 7;
         },
         {"b/t - Nachweis"},
         [](const Document& doc) { EXPECT_TRUE(Chapter(doc, "b/t - Nachweis").empty()); }},
        {"other norms: c/t check with class 3",
         [](MemberReport& t) { t.d.m_bRtfChapterCT = 1; },
         {"c/t - Nachweis"},
         [](const Document& doc) {
             EXPECT_EQ(Chapter(doc, "c/t - Nachweis"),
                       std::vector<std::string>{"Nachweis: Elastisch-Elastisch, Querschnittsklasse 3 erforderlich!"});
         }},
        {"elastic-plastic variant: class 2",
         [](MemberReport& t) {
             t.d.m_bRtfChapterCT = 1;
             t.d.m_strModuleName = kPlasticVariantName;
         },
         {"c/t - Nachweis"},
         [](const Document& doc) {
             EXPECT_EQ(Chapter(doc, "c/t - Nachweis"),
                       std::vector<std::string>{"Nachweis: Elastisch-plastisch, Querschnittsklasse 2 erforderlich!"});
             EXPECT_NE(doc.header.find("3D Stahlträger mit elastisch-plastischen Nachweisen"), std::string::npos);
         }},
        {"norm 34: aluminium title and empty norm titles",
         [](MemberReport& t) {
             t.d.m_bRtfChapterGebr = t.d.m_bRtfChapterTragSV = 1;
             t.d.m_info.m_nNorm = 34;
             t.On(40, 40);
             t.On(250, 250);
         },
         {"Ergebnisse Gebrauchstauglichkeit ()", "Ergebnisse Tragsicherheit ()", "Zusammenfassung"},
         [](const Document& doc) { EXPECT_NE(doc.header.find("Aluträger"), std::string::npos) << doc.header; }},
        {"norm 31 in the chapter headings",
         [](MemberReport& t) {
             t.d.m_bRtfChapterTragSV = 1;
             t.On(250, 250);
         },
         {"Ergebnisse Tragsicherheit (DIN EN 1993-1-1/NA:2010-12)", "Zusammenfassung"},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.set(*this);
        const Document doc = Report();
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(Styled(doc, kChapter), c.chapters);
        if (c.check) c.check(doc);
        TearDown();
    }
}

TEST_F(MemberReport, SummaryStatesTheVerdictAndNamesUnprovenCollectives) {
    // A utilisation up to 1 fulfils its limit state; a collective that could
    // not be proven fails the design whatever the others give, and the 999
    // that marks it in the document is no utilisation of the summary.
    struct Case {
        const char* what;
        double gebr, trag;
        const char* failed;  // "tragSVFailedLK", nullptr: none
        double others;       // "dMaxAusTragSVOhne"
        std::vector<std::vector<std::string>> rows;
        std::vector<std::string> verdict;
    } cases[] = {
        {"fulfilled", 0.25, 0.75, nullptr, 0.0,
         {{"Maximale Ausnutzung aus Verformungen:", "0.25", "(LK 4)"},
          {"Maximale Ausnutzung aus Spannungen:", "0.75", "(LK 1)"}},
         {"Gebrauchstauglichkeit: max. Ausnutzung 0.250 - erfüllt", "Tragsicherheit: max. Ausnutzung 0.750 - erfüllt",
          "Ergebnis: alle Nachweise erfüllt"}},
        {"exactly 1.0 still fulfils", 1.0, 1.0, nullptr, 0.0,
         {{"Maximale Ausnutzung aus Verformungen:", "1.00", "(LK 4)"},
          {"Maximale Ausnutzung aus Spannungen:", "1.00", "(LK 1)"}},
         {"Gebrauchstauglichkeit: max. Ausnutzung 1.000 - erfüllt", "Tragsicherheit: max. Ausnutzung 1.000 - erfüllt",
          "Ergebnis: alle Nachweise erfüllt"}},
        {"over-utilised", 0.25, 1.2, nullptr, 0.0,
         {{"Maximale Ausnutzung aus Verformungen:", "0.25", "(LK 4)"},
          {"Maximale Ausnutzung aus Spannungen:", "1.20", "(LK 1)"}},
         {"Gebrauchstauglichkeit: max. Ausnutzung 0.250 - erfüllt",
          "Tragsicherheit: max. Ausnutzung 1.200 - nicht erfüllt", "Ergebnis: Nachweis nicht erfüllt"}},
        {"unstable in LK 2 and 4, LK 1 passes", 0.25, 999.0, "2 4", 0.5,
         {{"Maximale Ausnutzung aus Verformungen:", "0.25", "(LK 4)"},
          {"Nicht nachgewiesen (instabil, nicht konvergiert oder kritischer Lastfaktor <= 1):", "", "LK 2, 4"},
          {"Maximale Ausnutzung aus Spannungen (übrige LK):", "0.50", "(LK 1)"}},
         {"Gebrauchstauglichkeit: max. Ausnutzung 0.250 - erfüllt",
          "Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK 2 4 (max. Ausnutzung der übrigen LK 0.500)",
          "Ergebnis: Nachweis nicht erfüllt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        d.m_bRtfChapterGebr = d.m_bRtfChapterTragSV = 1;
        before = [&c](ZVELEM root) {
            ZVELEM result = ZEVUD_FindFirstChild(root, "result");
            ZEVUD_SetDouble(result, "dMaxAusGebr", c.gebr);
            ZEVUD_SetDouble(result, "dMaxAusTragSV", c.trag);
            if (c.failed) {
                ZEVUD_SetInt(result, "tragSVFailed", 1);
                ZEVUD_SetString(result, "tragSVFailedLK", c.failed);
                ZEVUD_SetDouble(result, "dMaxAusTragSVOhne", c.others);
            }
        };
        const Document doc = Report();
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 1u);
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : doc.tables[0]) rows.push_back(row.cells);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(Chapter(doc, "Zusammenfassung"), c.verdict);
        TearDown();
    }
}

TEST_F(MemberReport, CollectivesByMode) {
    // Collectives: 1 "Ed", 2 "Ed,A", 3 "AK1", 4 "Ed,char"; relevant: ultimate
    // 1 and 2, serviceability 4; largest: ultimate 1, serviceability 4.
    struct Case {
        int gebrMode, tragMode;
        std::vector<int> gebr, trag;  // collective numbers written
    } cases[] = {
        {1, 1, {4}, {1}},
        {2, 2, {4}, {1, 2}},
        {3, 3, {4}, {1, 2}},
        {0, 4, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gebrMode << "/" << c.tragMode);
        SetUp();
        d.m_bRtfChapterGebr = d.m_bRtfChapterTragSV = 1;
        d.m_rtfLKgebr = c.gebrMode;
        d.m_rtfLKTragSV = c.tragMode;
        On(50, 50);
        On(270, 270);
        const Document doc = Report();
        ASSERT_TRUE(doc.ok) << doc.error;
        auto numbers = [&](const std::string& chapter) {
            std::vector<int> out;
            for (const std::string& t : Chapter(doc, chapter))
                if (t.rfind("Lastkollektiv ", 0) == 0) out.push_back(std::stoi(t.substr(14)));
            return out;
        };
        EXPECT_EQ(numbers("Ergebnisse Gebrauchstauglichkeit"), c.gebr);
        EXPECT_EQ(numbers("Ergebnisse Tragsicherheit"), c.trag);
        TearDown();
    }
    // The notes of the largest and of a relevant collective.
    SetUp();
    d.m_bRtfChapterTragSV = 1;
    d.m_rtfLKTragSV = 2;
    On(270, 270);
    const Document doc = Report();
    const auto trag = Chapter(doc, "Ergebnisse Tragsicherheit");
    const auto first = std::find(trag.begin(), trag.end(), "Lastkollektiv 1: 1.35*G");
    ASSERT_NE(first, trag.end());
    EXPECT_EQ(*(first + 1), "Dieses Lastkollektiv bewirkt die maximale Ausnutzung aus Spannungen.");
    const auto second = std::find(trag.begin(), trag.end(), "Lastkollektiv 2: G+A");
    ASSERT_NE(second, trag.end());
    EXPECT_EQ(*(second + 1), "Dieses Lastkollektiv ist relevant, d.h. es liefert an mindestens einer Stelle die "
                             "maximale Ausnutzung aus Spannungen.");
}

TEST_F(MemberReport, BlocksOfTheUltimateAndServiceabilityChapters) {
    d.m_bRtfChapterGebr = d.m_bRtfChapterTragSV = 1;
    d.m_rtfLKgebr = d.m_rtfLKTragSV = 1;
    // Option 360 alone (a diagram option of the ultimate deformations): the
    // collective's heading and note, no deformation block.
    On(360, 360);
    // Option 120 alone (serviceability deformation diagrams): the heading
    // "Verformungen" and the diagrams, no table.
    On(120, 124);
    AddSeries("Gebrauchstauglichkeit\\LK   4\\Verformungen\\Verformung Z", {0.0f, 0.0f, 3.0f, 12.5f, 6.0f, 0.0f});
    AddSeries("Tragsicherheit\\LK   1\\Verformungen\\Verformung Z", {0.0f, 0.0f, 3.0f, 17.0f, 6.0f, 0.0f});
    Document doc = Report();
    ASSERT_TRUE(doc.ok) << doc.error;
    const auto gebr = Chapter(doc, "Ergebnisse Gebrauchstauglichkeit");
    EXPECT_TRUE(Has(gebr, "Lastkollektiv 4: G+Q"));
    EXPECT_TRUE(Has(gebr, "Verformungen"));
    const auto trag = Chapter(doc, "Ergebnisse Tragsicherheit");
    EXPECT_TRUE(Has(trag, "Lastkollektiv 1: 1.35*G"));
    EXPECT_TRUE(Has(trag, "Dieses Lastkollektiv bewirkt die maximale Ausnutzung aus Spannungen."));
    EXPECT_FALSE(Has(trag, "Verformungen"));
    // One diagram: the stored serviceability deflection (option 122), titled
    // with its path.
    ASSERT_EQ(doc.pictures.size(), 1u);
    EXPECT_EQ(doc.pictures[0].blip, "emfblip");
    EXPECT_TRUE(Has(gebr, "Gebrauchstauglichkeit\\LK   4\\Verformungen\\Verformung Z"));

    // Option 277 alone in the elastic-plastic variant is past the
    // per-collective range there (it ends at 276): no collective, no stresses.
    SetUp();
    d.m_bRtfChapterTragSV = 1;
    d.m_rtfLKTragSV = 1;
    d.m_strModuleName = kPlasticVariantName;
    On(277, 277);
    doc = Report();
    ASSERT_TRUE(doc.ok) << doc.error;
    const auto plastic = Chapter(doc, "Ergebnisse Tragsicherheit");
    EXPECT_EQ(Count(plastic, "Lastkollektiv"), 0);
    EXPECT_FALSE(Has(plastic, "Spannungen"));
    EXPECT_TRUE(Has(Styled(doc, kSection), "Berechnungsverfahren"));
}

TEST_F(MemberReport, BucklingModeCarriesTheEigenvalueOfItsOwnCollective) {
    d.m_bRtfChapterTragSV = 1;
    d.m_rtfLKTragSV = 2;
    On(230, 230);
    On(270, 270);
    // The kernel numbers the texts by load case from 1.
    eigen = {{"ew1_LK1", "1. Eigenwert 5.123"}, {"ew1_LK2", "1. Eigenwert 7.000"}};
    const Document doc = Report();
    ASSERT_TRUE(doc.ok) << doc.error;
    const auto trag = Chapter(doc, "Ergebnisse Tragsicherheit");
    std::vector<std::string> values;
    for (size_t i = 0; i + 1 < trag.size(); ++i)
        if (trag[i] == "Niedrigster Eigenwert > 0 als Laststeigerungsfaktor") values.push_back(trag[i + 1]);
    EXPECT_EQ(values, (std::vector<std::string>{"1. Eigenwert 5.123", "1. Eigenwert 7.000"}));
}

TEST_F(MemberReport, StoredPartsAreAppendedOnlyWhenTheyHoldSomething) {
    d.m_bRtfChapterTragSV = d.m_bRtfChapterCT = 1;
    d.m_bRtfCalcSinglePoint = 1;
    d.m_bRtfSinglePointLayout = 2;
    // A leftover file of the old fixed name beside the position must not enter.
    std::ofstream(dir / "ctnachweis.tmp.rtf") << "{\\rtf1 Fremder Nachweis\\par}";
    before = [&](ZVELEM root) {
        ZVELEM result = ZEVUD_FindFirstChild(root, "result");
        const fs::path part = dir / "part.rtf";
        std::ofstream(part) << "{\\rtf1 Einzelpunktnachweis 2\\par}";
        ZEVUD_StoreFileInAttr(result, "rtfFile_2", part.string().c_str(), 1);
        fs::remove(part);
    };
    // The report is written with the position's folder as working folder,
    // as the host does.
    const fs::path cwd = winsys::CurrentDirectory();
    winsys::SetCurrentDirectory(dir);
    const Document doc = Report();
    winsys::SetCurrentDirectory(cwd);
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_TRUE(fs::exists(dir / "ctnachweis.tmp.rtf"));  // not ours: left alone
    std::string all;
    for (const auto& p : doc.paragraphs) all += p.text + "\n";
    EXPECT_NE(all.find("Einzelpunktnachweis 2"), std::string::npos) << all;
    EXPECT_EQ(all.find("Fremder Nachweis"), std::string::npos) << all;
}

TEST_F(MemberReport, AReportThatCannotBeWrittenIsSaid) {
    d.m_bRtfChapterInput = 1;
    winsys::ScopedRecordingSink sink;
    // The position's folder is gone by the time the report is written.
    before = [&](ZVELEM) { fs::remove_all(dir); };
    Report();
    EXPECT_FALSE(written);
    int said = 0;
    for (const auto& m : sink.messages)
        if (m.text.find("Pos.rtf") != std::string::npos && m.text.find("kann nicht geschrieben werden") != std::string::npos)
            ++said;
    EXPECT_EQ(said, 1);
}

TEST(MemberReportHeader, FieldsEndInNulsForBothVariants) {
    UseBuildRoot();
    CModuleData d;
    MakeBeam(d, {6.0}, 3.0, 4.0);
    d.m_strFreeText = "Halle 3";
    using namespace std::string_literals;
    EXPECT_EQ(MemberReportHeader(d, "1.00"),
              "Name=Einfeld- und Durchlaufträger\0Titel=Stahlträger mit veränderl. Querschnitten und Biegetorsion\0"
              "Version=V 1.00\0@T=Halle 3\0\0"s);
    d.m_strModuleName = kPlasticVariantName;
    d.m_info.m_nNorm = 34;
    EXPECT_EQ(MemberReportHeader(d, "2.50"),
              "Name=Einfeld- und Durchlaufträger Deneb\0Titel=3D Aluträger mit elastisch-plastischen Nachweisen\0"
              "Version=V 2.50\0@T=Halle 3\0\0"s);
    d.RemoveTempSectionFile();
}

// ---- diagrams and pictures ---------------------------------------------------------

class MemberDiagrams : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        MakeBeam(d, {6.0}, 3.0, 4.0);
        d.m_rtfOptions.assign(CModuleData::kReportOptions, 0);
        ASSERT_TRUE(Pictor_Create2D(640, 480, 1));
        graph = Pictor_GetKurvo2DPtr();
    }
    void TearDown() override {
        Pictor_Destroy();
        d.RemoveTempSectionFile();
    }
    void AddSeries(const std::string& path, const std::vector<float>& xv) {
        CResultSet s;
        s.m_strTitle = path;
        s.m_data = xv;
        s.FindExtremes();
        d.m_resultSets.push_back(s);
        d.m_resultIndex[path] = static_cast<int>(d.m_resultSets.size()) - 1;
    }
    static std::vector<std::string> Texts(const Document& doc) {
        std::vector<std::string> out;
        for (const auto& p : doc.paragraphs)
            if (!p.text.empty()) out.push_back(p.text);
        return out;
    }
    CModuleData d;
    CKurvo2D* graph = nullptr;
    winsys::ScopedRecordingSink sink;
};

TEST_F(MemberDiagrams, InternalForceUtilisationFollowsTheStressOption) {
    AddSeries("T\\Normalkraft N", {0, -5, 6, -5});
    AddSeries("T\\Ausnutzung", {0, 0.2f, 3, 0.6f, 6, 0.2f});
    struct Case {
        int option;
        std::vector<std::string> titles;
    } cases[] = {{7, {}}, {11, {"T\\Ausnutzung"}}, {0, {"T\\Normalkraft N"}}, {1, {}}};
    const int b = 310;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        d.m_rtfOptions.assign(CModuleData::kReportOptions, 0);
        d.m_rtfOptions[static_cast<size_t>(b + c.option)] = 1;
        const Document doc = report_test::WriteAndRead([&] { d.InsertInternalForceDiagrams(graph, "T", b, {-1}); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(Texts(doc), c.titles);
        EXPECT_EQ(doc.pictures.size(), c.titles.size());
    }
}

TEST_F(MemberDiagrams, PictureTitleByFlagAndLevel) {
    AddSeries("A\\B", {0, 1, 6, 2});
    const Document doc = report_test::WriteAndRead([&] {
        zadevoz::RtfWriteText(-5, "reference");
        d.InsertGraphPicture(graph, "A\\B", 0, 0, 0, 0, 1, 0);  // no title
        d.InsertGraphPicture(graph, "A\\B", 0, 0, 0, 0, 0, 0);
        d.InsertGraphPicture(graph, "A\\missing", 0, 0, 0, 0, 0, 0);
        d.InsertGraphPicture(nullptr, "A\\B", 0, 0, 0, 0, 0, 0);
    });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"reference", "A\\B"}));
    EXPECT_EQ(doc.pictures.size(), 2u);
    int refStyle = -1, titleStyle = -2;
    for (const auto& p : doc.paragraphs) {
        if (p.text == "reference") refStyle = p.style;
        if (p.text == "A\\B") titleStyle = p.style;
    }
    EXPECT_EQ(titleStyle, refStyle);  // style -5 - level
    // The stored set keeps its point indices and scale.
    EXPECT_TRUE(d.m_resultSets[0].m_poi.empty());
    EXPECT_FLOAT_EQ(d.m_resultSets[0].m_factor, 1.0f);
}

// The report's own picture control hands its metafile over in memory: the
// picture embedded is the metafile the control writes as a file, at the
// size asked for. Another control is asked for a file of its own, which is
// embedded and removed.
TEST_F(MemberDiagrams, OwnPictureFromMemoryAnotherControlsThroughAFile) {
    AddSeries("A\\B", {0, 1, 6, 2});
    const Document doc = report_test::WriteAndRead([&] { d.InsertGraphPicture(graph, "A\\B", 8, 0, 0, 0, 1, 0); });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.pictures.size(), 1u);
    const fs::path file = fs::path(RIGEL_TEST_TMP) / ("own_picture_" + std::to_string(::getpid()) + ".emf");
    graph->Method38(file.string().c_str());  // the drawing stays in the control
    std::ifstream in(file, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(file);
    EXPECT_GT(written.size(), 200u);
    EXPECT_EQ(doc.pictures[0].bytes, written);
    EXPECT_EQ(doc.pictures[0].goalW, std::lround(8 * 1440 / 2.54));  // 8 cm wide
    EXPECT_TRUE(sink.messages.empty());

    CKurvoRecorder rec;
    CKurvo2D other(&rec);
    const Document viaFile = report_test::WriteAndRead([&] { d.InsertGraphPicture(&other, "A\\B", 0, 0, 0, 0, 1, 0); });
    std::vector<std::string> asked;
    for (const auto& [dispid, args] : rec.raw)
        if (dispid == 38 && !args.empty()) asked.push_back(args[0].text);
    ASSERT_EQ(asked.size(), 1u);
    const std::string& name = asked[0];
    EXPECT_NE(name.find("result"), std::string::npos);
    EXPECT_FALSE(fs::exists(name));
    EXPECT_TRUE(viaFile.pictures.empty());  // the recorder writes no file: nothing to embed, and it is said
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(MemberDiagrams, DisplayFactorIsFiniteForEverySeries) {
    struct Case {
        const char* what;
        float min, max;
        bool allZero;
        double factor;  // member length 6 m: a sixth is 1 m
    } cases[] = {
        {"range", -2.0f, 3.0f, false, 1.0 / 5.0},
        {"constant", 4.0f, 4.0f, false, 1.0 / 4.0},
        {"constant negative", -0.5f, -0.5f, false, 1.0 / 0.5},
        {"all zero", 0.0f, 0.0f, true, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CResultSet s;
        s.m_data = {0.0f, c.min, 6.0f, c.max};
        if (c.allZero) s.m_data = {0.0f, 0.0f, 6.0f, 0.0f};
        s.m_min = c.min;
        s.m_max = c.max;
        const double f = CModuleData::DiagramFactor(s, 6.0);
        EXPECT_TRUE(std::isfinite(f));
        EXPECT_NEAR(f, c.factor, 1e-9);
    }
    // A constant series is drawn.
    AddSeries("C\\konstant", {0, 4, 6, 4});
    d.m_resultSets[0].m_min = d.m_resultSets[0].m_max = 4.0f;
    const Document doc = report_test::WriteAndRead([&] { d.InsertGraphPicture(graph, "C\\konstant", 0, 0, 0, 0, 1, 0); });
    ASSERT_EQ(doc.pictures.size(), 1u);
    EXPECT_GT(doc.pictures[0].bytes.size(), 200u);
}

TEST_F(MemberDiagrams, SystemPicturesPlanOnlyWhenSomethingActsSideways) {
    struct Case {
        const char* what;
        std::function<void(CModuleData&)> change;
        std::vector<std::string> headings;
    };
    const std::vector<Case> cases = {
        {"vertical loads, equal springs", [](CModuleData&) {}, {"Ansicht XZ-Ebene"}},
        {"a lateral load",
         [](CModuleData& m) { m.m_loads[1].m_iDirection = 1; },
         {"Ansicht XY-Ebene", "Ansicht XZ-Ebene"}},
        {"a support held only vertically",
         [](CModuleData& m) { m.m_supports[1].m_cy.SetValue(0.0); },
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
        MakeBeam(d, {6.0}, 3.0, 4.0);
        c.change(d);
        const Document doc = report_test::WriteAndRead([&] { d.WriteRtfSystemPictures(graph, 0, 0, 0, 0); });
        ASSERT_TRUE(doc.ok) << doc.error;
        EXPECT_EQ(Texts(doc), c.headings);
        EXPECT_EQ(doc.pictures.size(), c.headings.size());
        EXPECT_EQ(report_test::RecordedAxes([&](CKurvo2D* g) { d.WriteRtfSystemPictures(g, 0, 0, 0, 0); }),
                  report_test::AxesOfViews(c.headings));
    }
}

// The elevation shows more than the band: the section labels below the
// deepest section (IPE 300: 0.30 m) by a sixteenth of the member length,
// then hinges, springs, supports and loads in that order.
TEST_F(MemberDiagrams, SystemPictureDrawsSectionsHingesSpringsSupportsAndLoads) {
    MakeBeam(d, {4.0, 5.0}, 3.0, 4.0);
    CHinge hinge;
    hinge.m_iNode = 1;
    hinge.m_release[4] = 1;  // My
    d.m_hinges = {hinge};
    CSupport spring;
    spring.m_iNode = 0;
    spring.m_posX.SetValue(2.0);
    spring.m_cz.SetValue(500.0);
    d.m_springs = {spring};
    CKurvoRecorder rec;
    CKurvo2D recorded(&rec);
    const Document doc = report_test::WriteAndRead([&] { d.WriteRtfSystemPictures(&recorded, 0, 0, 0, 0); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), std::vector<std::string>{"Ansicht XZ-Ebene"});
    auto firstGroup = [&](int kind, int index) {
        const std::string call = "Method21(" + std::to_string(d.GetSketchItemId(kind, index)) + ",";
        for (size_t i = 0; i < rec.calls.size(); ++i)
            if (rec.calls[i].compare(0, call.size(), call) == 0) return static_cast<long>(i);
        return -1L;
    };
    const long section = firstGroup(2, 1), hingeAt = firstGroup(5, 0), springAt = firstGroup(4, 0),
               support = firstGroup(3, 0), load = firstGroup(6, 0);
    ASSERT_GE(section, 0);
    EXPECT_LT(section, hingeAt);
    EXPECT_LT(hingeAt, springAt);
    EXPECT_LT(springAt, support);
    EXPECT_LT(support, load);
    // The label of field 1 carries the profile key on the line y = -(0.30 + 9/16).
    bool labelled = false;
    for (const auto& [id, args] : rec.raw) {
        if (id != 12 || args.size() < 9 || args[8].text.find("IPE 300") == std::string::npos) continue;
        labelled = true;
        EXPECT_NEAR(args[1].num, -(0.30 + 9.0 / 16.0), 0.005);
        EXPECT_NEAR(args[3].num, -(0.30 + 9.0 / 16.0), 0.005);
    }
    EXPECT_TRUE(labelled);
    ASSERT_FALSE(rec.calls.empty());
    EXPECT_EQ(rec.Matching("Method34(").back(), "Method34(0,0,0,0)");
}

TEST_F(MemberDiagrams, SectionValuesListEachProfileOnce) {
    MakeBeam(d, {4.0, 5.0, 3.0}, 3.0, 4.0);
    d.m_sections[1] = RolledSection(d, "IPE", "IPE 240");
    const Document doc = report_test::WriteAndRead([&] { d.WriteRtfSectionValues(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"Querschnittswerte", "IPE 300", "IPE 240"}));
    ASSERT_EQ(doc.tables.size(), 2u);
    // IPE 300 (catalogue): A = 53.8 cm², Iy = 8356 cm⁴ (rolled-section tables).
    const auto& rows = doc.tables[0];
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].cells[0], "A");
    EXPECT_NEAR(std::stod(rows[0].cells[1]), 53.8, 0.3);
    EXPECT_EQ(rows[2].cells[0], "Iy");
    EXPECT_NEAR(std::stod(rows[2].cells[1]), 8356.0, 40.0);
}

}  // namespace

// Results computed from other input than the position holds (the input
// changed afterwards, or a stopped calculation zeroed the fingerprint): no
// report is written from them, and the user is told why.
TEST_F(MemberReport, ResultsOfOtherInputGiveNoReport) {
    struct Case {
        const char* name;
        std::function<void(ZVELEM)> change;
    } cases[] = {
        {"input changed", [](ZVELEM root) { ZEVUD_SetString(ZEVUD_FindFirstChild(root, "input"), "posDesc", "neu"); }},
        {"calculation stopped",
         [](ZVELEM root) {
             const unsigned char zero[16] = {};
             ZEVUD_SetBinData(ZEVUD_FindFirstChild(root, "info"), "input_fingerprint", 16, zero, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsys::ScopedRecordingSink sink;
        afterCalculation = c.change;
        Report();
        EXPECT_FALSE(written);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].text.find("muss neu berechnet werden"), std::string::npos) << sink.messages[0].text;
        EXPECT_NE(sink.messages[0].text.find("kein Bericht"), std::string::npos) << sink.messages[0].text;
    }
    afterCalculation = nullptr;
    Report();
    EXPECT_TRUE(written);
}
