// The member-design report's input and result tables, read back from the
// written report.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "module/tests/moddata_fixture.h"
#include "reports/MemberReport.h"
#include "reports/RtfTable.h"
#include "support/report_capture.h"

namespace {

using namespace moddatatest;
using rtftest::Document;
using rtftest::Row;
namespace fs = std::filesystem;

class MemberTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        MakeBeam(d, {6.0}, 3.0, 4.0);
        d.m_rtfOptions.assign(CModuleData::kReportOptions, 1);
    }
    void TearDown() override { d.RemoveTempSectionFile(); }

    // The paragraph texts of a document (headings and body texts).
    static std::vector<std::string> Texts(const Document& doc) {
        std::vector<std::string> out;
        for (const auto& p : doc.paragraphs)
            if (!p.text.empty()) out.push_back(p.text);
        return out;
    }

    // A result series of type 0 (x, value) under a path.
    void AddSeries(const std::string& path, const std::vector<float>& xv, int type = 0) {
        CResultSet s;
        s.m_type = type;
        s.m_strTitle = path;
        s.m_data = xv;
        d.m_resultSets.push_back(s);
        d.m_resultIndex[path] = static_cast<int>(d.m_resultSets.size()) - 1;
    }

    CModuleData d;
};

TEST_F(MemberTables, SupportsSkipFreeOnesAndShowUnitsOnlyWithStiffness) {
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(4.0), CFormulaValue(3.0), CFormulaValue(2.0)};
    d.m_supports.assign(4, CSupport());
    d.m_supports[0] = ForkSupport(true);
    d.m_supports[2].m_cz.SetValue(5000.0);
    d.m_supports[3] = ForkSupport(false);
    Document doc = report_test::WriteAndRead([&] { d.WriteRtfSupportConditions(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    const auto& rows = doc.tables[0];
    ASSERT_EQ(rows.size(), 5u);  // titles, units, three supports
    EXPECT_EQ(rows[1].cells[5], "[kNm/rad]");
    EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"A", "0.00", "fest", "fest", "fest", "fest", "-", "-", "-"}));
    // The free support at 4 m has no row; the next one is B at 7 m.
    EXPECT_EQ(rows[3].cells[0], "B");
    EXPECT_EQ(rows[3].cells[1], "7.00");
    EXPECT_EQ(rows[3].cells[4], "5.000\xC2\xB7" "103");
    EXPECT_EQ(rows[3].super[4], "3");
    EXPECT_EQ(rows[4].cells[0], "C");
    EXPECT_EQ(rows[4].cells[1], "9.00");

    // Only fixed and free values: one header row.
    d.m_supports[2].m_cz.SetValue(kRigidSpring);
    doc = report_test::WriteAndRead([&] { d.WriteRtfSupportConditions(); });
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0].size(), 4u);
    EXPECT_TRUE(doc.tables[0][0].header);
    EXPECT_FALSE(doc.tables[0][1].header);
}

TEST_F(MemberTables, MaterialsOncePerNameWithTheFactorsOfTheNorm) {
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(3.0), CFormulaValue(3.0)};
    d.m_sections.push_back(d.m_sections[0]);  // the same material twice
    struct Case {
        int norm;
        const char* material;
        size_t columns;
        double strength;
    } cases[] = {{8, "S235", 8, 235.0}, {31, "S235", 8, 235.0}, {7, "S235", 7, 240.0}, {1, "S235", 7, 235.0},
                 {34, "EN AW-6060 T6 (t ≤ 3 mm)", 8, 150.0}};
    for (const Case& c : cases) {
        d.m_info.m_nNorm = c.norm;
        for (CSection& s : d.m_sections) s.m_strMaterial = c.material;
        Document doc = report_test::WriteAndRead([&] { d.WriteRtfSectionsAndMaterials(); });
        ASSERT_TRUE(doc.ok) << doc.error;
        ASSERT_EQ(doc.tables.size(), 2u) << c.norm;
        EXPECT_EQ(doc.tables[0].size(), 4u) << "a row per field";
        EXPECT_EQ(doc.tables[0][0].cells.size(), 5u) << "rotation and mirror columns hidden";
        const auto& mat = doc.tables[1];
        ASSERT_EQ(mat.size(), 3u) << c.norm;  // titles, units, one material
        EXPECT_EQ(mat[0].cells.size(), c.columns) << c.norm;
        if (c.columns == 8) {
            // The Symbol font's g is written as the letter gamma.
            EXPECT_EQ(mat[0].cells[5], "\xCE\xB3m1");
            EXPECT_EQ(mat[0].cells[6], "\xCE\xB3ma1");
        } else {
            EXPECT_EQ(mat[0].cells[5], "\xCE\xB3m");
        }
        EXPECT_EQ(mat[2].cells[0], c.material);
        EXPECT_EQ(mat[2].cells[3], FormatFixed(c.strength, 1)) << c.norm;
    }
}

TEST_F(MemberTables, NormTitles) {
    struct Case {
        int code;
        const char* title;
    } cases[] = {{0, "DIN 1055-100"}, {1, "DIN 18800"}, {3, "DIN EN 1990/NA:2010-12"}, {7, "DIN 18800"},
                 {8, "DIN EN 1993-1-1:2005-07"}, {31, "DIN EN 1993-1-1/NA:2010-12"}, {-1, ""}, {34, ""}};
    for (const Case& c : cases) EXPECT_STREQ(GetNormTitle(c.code), c.title) << c.code;
}

TEST_F(MemberTables, ActionLabelsLeaveOutTheSubTypeOfTypesZeroAndThree) {
    std::vector<std::string> groups;
    d.LK().GetGroupNames(groups);
    ASSERT_GE(groups.size(), 4u);
    std::vector<std::string> cats;
    d.LK().GetCategoryNames(groups[1], cats);
    ASSERT_GE(cats.size(), 2u);
    CActionRecord a;
    a.m_nNumber = 7;
    a.m_nCategory = 1;
    d.LK().m_actions.clear();
    for (int type : {0, 1, 3}) {
        a.m_nGroup = type;
        d.LK().m_actions.push_back(a);
    }
    EXPECT_EQ(d.GetActionLabel(0), "7: " + groups[0]);
    EXPECT_EQ(d.GetActionLabel(1), "7: " + groups[1] + ", " + cats[1]);
    EXPECT_EQ(d.GetActionLabel(2), "7: " + groups[3]);
    EXPECT_EQ(d.GetActionLabel(3), "");
}

TEST_F(MemberTables, LoadsByDirectionWithTheSelfWeightOfEachField) {
    d.m_loads.resize(1);  // g in z
    CLoadDef point;
    point.m_iLoadCase = 2;
    point.m_iLoadType = LOAD_POINT_FORCE_MOMENT;
    point.m_iDirection = 1;
    point.m_offset.SetValue(3.0);
    point.m_val[0].SetValue(2.5);
    point.m_strDesc = "Anprall";
    CLoadDef moment;
    moment.m_iLoadCase = 3;
    moment.m_iLoadType = LOAD_LINE_MOMENT;
    moment.m_iDirection = 2;  // line moments count for X only
    moment.m_length.SetValue(6.0);
    moment.m_val[0].SetValue(1.0);
    CLoadDef self;
    self.m_iLoadCase = 1;
    self.m_iLoadType = LOAD_SELF_WEIGHT;
    self.m_val[3].SetValue(1.0);
    d.m_loads.push_back(point);
    d.m_loads.push_back(moment);
    d.m_loads.push_back(self);
    Document doc = report_test::WriteAndRead([&] { d.WriteRtfLoads(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"Belastung in Z-Richtung", "Linienlasten", "Eigengewicht",
                                                   "Belastung in Y-Richtung", "Einzellasten und Momente",
                                                   "Belastung in X-Richtung", "Linienmomente"}));
    ASSERT_EQ(doc.tables.size(), 4u);
    EXPECT_EQ(doc.tables[0][2].cells,
              (std::vector<std::string>{"1", "Eigengewicht und Ausbau", "0.00", "6.00", "0.0", "0.0", "3.00", "3.00"}));
    // Self weight of the IPE 300 field: A = 53.8 cm^2 (catalogue), 78.5 kN/m^3.
    const Row& sw = doc.tables[1][2];
    EXPECT_EQ(sw.cells[1], "Feld 1 IPE 300 (\xCE\xB3=78.5)");  // gamma, the unit weight
    const double q = 53.81 * 78.5 * 1e-4;
    EXPECT_NEAR(std::stod(sw.cells[4]), q, 0.0006);
    EXPECT_NEAR(std::stod(sw.cells[6]), q * 6.0, 0.006);
    EXPECT_EQ(doc.tables[2][0].cells[5], "PY");
    EXPECT_EQ(doc.tables[2][2].cells[5], "2.50");
}

TEST_F(MemberTables, SpanSharesAreListedWithTheirOwnLoadCases) {
    // The combinations of a continuous beam use the span shares the
    // calculation made (load case 3 = the part of load case 2 in span 1):
    // the load table defines them below the user's loads.
    d.m_loads.resize(1);  // g in z, load case 1
    CLoadDef share = d.m_loads[0];
    share.m_iLoadCase = 2;
    share.m_LCGen.m_strText = "3";
    share.m_LCGen.Parse();
    share.m_length.SetValue(2.5);
    share.m_val[0].SetValue(4.0);
    share.m_strDesc = "Lastfall 2, Feld 1";
    d.m_spanShareLoads.push_back(share);
    Document doc = report_test::WriteAndRead([&] { d.WriteRtfLoads(); });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    ASSERT_EQ(doc.tables[0].size(), 4u);
    EXPECT_EQ(doc.tables[0][2].cells[0], "1");
    EXPECT_EQ(doc.tables[0][3].cells,
              (std::vector<std::string>{"3", "Feldanteil: Lastfall 2, Feld 1", "0.00", "2.50", "0.0", "0.0", "4.00", "4.00"}));
}

TEST_F(MemberTables, ResultTablePathsSamplesAndHiddenColumns) {
    const std::string base = "Tragsicherheit\\Extremal\\Schnittgrößen";
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(4.0), CFormulaValue(2.0)};
    // Left and right of the support at 4 m: -3.0 and 2.0.
    AddSeries(base + "\\Querkraft Vy", {0.f, 1.f, 4.f, -3.f, 4.f, 2.f, 6.f, 0.5f});
    AddSeries(base + "\\Querkraft Vz", {0.f, 9.f, 6.f, 9.f});
    AddSeries(base + "\\Biegemoment My", {0.f, 0.f, 2.f, 5.f, 4.f, -8.f, 6.f, 0.f});
    AddSeries("Tragsicherheit\\Extremal\\Auflagerkraft (design)\\Az", {0.f, -1.f, 0.f, -1.f, 4.f, -3.f, 4.f, 2.f});
    d.m_rtfOptions[0 + 2] = 0;  // Vz off
    Document doc = report_test::WriteAndRead([&] {
        d.WriteRtfInternalForceTable(base.c_str(), 0, {-1});
        d.WriteRtfSupportForceTable("Tragsicherheit\\Extremal\\Auflagerkraft (design)", 10, {-1});
        d.WriteRtfInternalForceTable("Tragsicherheit\\LK %3ld\\Schnittgrößen", 0, {1});  // no such series
    });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 3u);
    const auto& f = doc.tables[0];
    // Rows: field boundaries 0, 4, 6 and the extremes 2 (My max) and 4.
    ASSERT_EQ(f.size(), 2u + 4u);
    EXPECT_EQ(f[0].cells, (std::vector<std::string>{"Bei x=", "Vy", "My"}));
    EXPECT_EQ(f[4].cells, (std::vector<std::string>{"4.00", "-3.00", "-8.00"}));
    EXPECT_EQ(f[3].cells, (std::vector<std::string>{"2.00", "-1.00", "5.00"}));  // between samples: linear
    EXPECT_TRUE(f[4].bold[1]);
    EXPECT_TRUE(f[4].bold[2]);
    EXPECT_FALSE(f[2].bold[2]);
    // Hidden columns keep their share: every shown column is 1/10 of 16 cm.
    ASSERT_EQ(f[0].cellx.size(), 3u);
    for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(f[0].cellx[c], (c + 1) * 1.6 * 567.0, 2.0);

    const auto& a = doc.tables[1];
    ASSERT_EQ(a.size(), 2u + 3u);
    ASSERT_EQ(a[0].cells, (std::vector<std::string>{"Bei x=", "Az"}));
    EXPECT_EQ(a[3].cells[1], "-3.00\n2.00");
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"Auflagerkräfte"}));
    // A collective without series: an empty table of the header rows.
    EXPECT_EQ(doc.tables[2].size(), 2u);
}

TEST_F(MemberTables, StoredProtocolsAreAppendedThroughATemporaryFileThatIsDeleted) {
    const fs::path dir = Scratch("protocols");
    // A document whose path has upper-case letters: the protocol file must
    // not be made from the lower-cased path (another folder on Linux).
    const fs::path docFile = dir / "Pos" / "Träger.vkx";
    fs::create_directories(docFile.parent_path());
    ZVDOC doc = ZEVUD_CreateDoc(docFile.string().c_str());
    ASSERT_NE(doc, 0u);
    ZVELEM files = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "rtfFiles");
    const fs::path src = dir / "protocol.rtf";
    for (const char* attr : {"lastueberlagerung_gammaPsi", "lastueberlagerung_kombRegeln"}) {
        std::ofstream(src) << "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard " << attr << " Inhalt\\par}";
        ASSERT_TRUE(ZEVUD_StoreFileInAttr(files, attr, src.string().c_str(), 1));
    }
    fs::remove(src);
    d.LK().m_combinations.resize(3);
    d.LK().m_combinations[0].m_strType = "Ed";
    d.LK().m_combinations[0].m_strRuleUser = "1.35*G";
    d.LK().m_combinations[2].m_strType = "Ed,char";
    d.LK().m_combinations[2].m_strRuleUser = "G+Q";
    d.m_tragSVRelKol = {1, 0, 0};
    d.m_tragSVMaxLK = 0;
    d.m_gebrRelKol = {0, 0, 1};
    d.m_gebrMaxLK = 1;
    d.m_gebrKolOffset = 1;
    Document rtf = report_test::WriteAndRead([&] {
        d.WriteRtfActions(ZEVUD_GetRootElement(doc));
        d.WriteRtfCombinations(ZEVUD_GetRootElement(doc));
    });
    ZEVUD_CloseDoc(doc);
    ASSERT_TRUE(rtf.ok) << rtf.error;
    const std::vector<std::string> texts = Texts(rtf);
    ASSERT_EQ(texts.size(), 5u);
    // The combination norm of the position (index 4, EN 1990 with the German
    // national annex) by its title: the heading never ends in "gem.".
    ASSERT_EQ(d.LK().GetNorm(), 4);
    EXPECT_EQ(texts[0], "Einwirkungen gem. DIN EN 1990/NA:2010-12");
    EXPECT_EQ(texts[1], "lastueberlagerung_gammaPsi Inhalt");
    EXPECT_EQ(texts[2], "Lastfallkombinationen");
    EXPECT_EQ(texts[3], "lastueberlagerung_kombRegeln Inhalt");
    EXPECT_EQ(texts[4], "Relevante Lastfallkombinationen");
    ASSERT_EQ(rtf.tables.size(), 1u);
    const auto& rows = rtf.tables[0];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"1", "Ed", "1.35*G"}));
    EXPECT_TRUE(rows[1].bold[0]);  // the ultimate maximum
    EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"3", "Ed,char", "G+Q"}));
    EXPECT_TRUE(rows[2].bold[0]);  // gebrMaxLK + offset
    // Nothing is left in the document's folders.
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(dir)) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, (std::vector<std::string>{"Pos"}));
    fs::remove_all(dir);
}

TEST_F(MemberTables, ImperfectionsBeddingsAndSprings) {
    struct Case {
        int type, direct;
        const char* value;
    } cases[] = {{0, 0, "psi-Y = 0.50 %\npsi-Z = 0.50%"}, {1, 0, "dy0 = 2.00 cm\ndz0 = 2.00 cm"},
                 {2, 0, "Ausmitte = 1.50 cm"}, {2, 1, "Bei x = 6.00 m\nAusmitte = 1.50 cm"}};
    for (const Case& c : cases) {
        d.m_vorvSettings.m_vorvType = c.type;
        d.m_vorvSettings.m_ausmitteDirekt = c.direct;
        d.m_vorvSettings.m_ausmitteKnoten = 1;
        Document doc = report_test::WriteAndRead([&] { d.WriteRtfImperfections(); });
        ASSERT_EQ(doc.tables.size(), 1u);
        ASSERT_EQ(doc.tables[0].size(), 2u);
        EXPECT_EQ(doc.tables[0][1].cells[1], c.value) << c.type;
    }
    d.m_vorvSettings.m_vorvType = 5;  // unknown kind: no data row
    Document doc = report_test::WriteAndRead([&] { d.WriteRtfImperfections(); });
    EXPECT_EQ(doc.tables[0].size(), 1u);

    CSupport bedding;
    bedding.m_iNode = 0;
    bedding.m_posX.SetValue(1.0);
    bedding.m_length.SetValue(2.0);
    bedding.m_cz.SetValue(3000.0);
    CSupport spring;
    spring.m_posX.SetValue(4.0);
    spring.m_cy.SetValue(50.0);
    d.m_springs = {bedding, spring};
    doc = report_test::WriteAndRead([&] { d.WriteRtfBeddingsAndSprings(); });
    ASSERT_EQ(doc.tables.size(), 2u);
    EXPECT_EQ(doc.tables[0][2].cells, (std::vector<std::string>{"1.00", "2.00", "0.0", "0.0", "-", "-", "-",
                                                                "3.000\xC2\xB7" "103"}));
    EXPECT_EQ(doc.tables[1][2].cells, (std::vector<std::string>{"4.00", "0.0", "0.0", "50.000", "-"}));
    EXPECT_EQ(Texts(doc), (std::vector<std::string>{"Bettungen", "Einzelfedern"}));
}

TEST_F(MemberTables, UtilisationColumnsNameTheCollectiveOfEachPoint) {
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(6.0)};
    const std::string s = "Tragsicherheit\\Extremal\\Spannungen";
    AddSeries(s + "\\Spannung max. sigX", {0.f, 10.f, 3.f, 150.f, 6.f, 10.f});
    AddSeries(s + "\\Ausnutzung", {0.f, 0.1f, 3.f, 0.7f, 6.f, 0.2f});
    d.m_tragSVCaseOfPoint = {4, 1, 2};  // per point: collective index
    const std::string g = "Gebrauchstauglichkeit\\Extremal\\Verformungen";
    AddSeries(g + "\\Verformung Z", {0.f, 0.f, 3.f, 12.f, 6.f, 0.f});
    AddSeries(g + "\\Max. Ausnutzung", {0.f, 0.f, 3.f, 0.6f, 6.f, 0.f});
    d.m_gebrCaseOfPoint = {0, 0, 0};
    d.m_gebrKolOffset = 3;
    const std::string k = "Tragsicherheit\\LK   1\\Knickfigur";
    AddSeries(k + "\\Verschiebung Z(normiert)", {0.f, 0.f, 3.f, 1.f, 6.f, 0.f});
    Document doc = report_test::WriteAndRead([&] {
        d.WriteRtfStressTable(s.c_str(), 210, {-1});
        d.WriteRtfDeformationTable(g.c_str(), 90, {-1});
        d.WriteRtfBucklingModeTable("Tragsicherheit\\LK %3ld\\Knickfigur", 230, {1});
    });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 3u);
    const auto& st = doc.tables[0];
    EXPECT_EQ(st[0].cells, (std::vector<std::string>{"Bei x=", "max. sigX", "Ausn.", "Aus LK"}));
    ASSERT_EQ(st.size(), 5u);
    EXPECT_EQ(st[3].cells, (std::vector<std::string>{"3.00", "150.00", "0.70", "2"}));
    EXPECT_TRUE(st[3].bold[3]);
    EXPECT_EQ(st[2].cells[3], "5");
    const auto& df = doc.tables[1];
    EXPECT_EQ(df[0].cells, (std::vector<std::string>{"Bei x=", "dz", "Max.Ausn", "Aus LK"}));
    EXPECT_EQ(df[3].cells, (std::vector<std::string>{"3.00", "12.00", "0.60", "4"}));
    EXPECT_EQ(doc.tables[2][0].cells, (std::vector<std::string>{"Bei x=", "dz (normiert)"}));

    // Not in a collective's table, and not without its option.
    d.m_rtfOptions[214] = 0;
    doc = report_test::WriteAndRead([&] { d.WriteRtfStressTable(s.c_str(), 210, {-1}); });
    EXPECT_EQ(doc.tables[0][0].cells.size(), 2u) << "utilisation column and its collective off";
}

}  // namespace
