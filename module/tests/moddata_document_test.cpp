// The module part of the position document: what is written reads back,
// counts of a damaged document, report options, crane results by version,
// and the section file beside the document.
#include <gtest/gtest.h>

#include <fstream>

#include "moddata_fixture.h"

namespace {

using namespace moddatatest;

class ModuleDocumentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override { dir = Scratch(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override {
        for (ZVDOC d : docs) ZEVUD_CloseDoc(d);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    ZVDOC NewDoc(const std::string& name) {
        ZVDOC d = ZEVUD_CreateDoc((dir / name).string().c_str());
        docs.push_back(d);
        return d;
    }
    static ZVELEM Input(ZVDOC d) { return ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input"); }
    static zevud::Fingerprint InputPrint(ZVDOC d) { return zevud::FingerPrint(Input(d)); }

    // Writes the data into a document, reads it into a fresh object and
    // writes that into a new document of the same name; returns the two
    // fingerprints of "input".
    std::pair<zevud::Fingerprint, zevud::Fingerprint> RoundTrip(CModuleData& data, const std::string& name) {
        const std::string file = (dir / name).string();
        ZVDOC first = ZEVUD_CreateDoc(file.c_str());
        data.m_hDoc = first;
        data.WriteData(first);
        const zevud::Fingerprint a = InputPrint(first);
        CModuleData back;
        back.m_hDoc = first;
        back.ReadData(first);
        if (std::getenv("MODDATA_DUMP")) std::ofstream("/tmp/moddata_a.xml") << zevud::GetDocText(first);
        ZEVUD_CloseDoc(first);
        ZVDOC second = ZEVUD_CreateDoc(file.c_str());
        back.m_hDoc = second;
        back.WriteData(second);
        if (std::getenv("MODDATA_DUMP")) std::ofstream("/tmp/moddata_b.xml") << zevud::GetDocText(second);
        const zevud::Fingerprint b = InputPrint(second);
        ZEVUD_SaveDoc(second);
        ZEVUD_CloseDoc(second);
        return {a, b};
    }
    ZVDOC Open(const std::string& name) {
        ZVDOC d = ZEVUD_OpenDoc((dir / name).string().c_str());
        docs.push_back(d);
        return d;
    }

    fs::path dir;
    std::vector<ZVDOC> docs;
    winsys::ScopedRecordingSink sink;
};

TEST_F(ModuleDocumentTest, MemberDesignRoundTripKeepsTheInput) {
    CModuleData d;
    MakeBeam(d, {4.0, 5.0}, 3.0, 7.5, "IPE 240", true);
    CHinge h0, h1, h2;
    h0.m_iNode = 1;
    h0.m_release[4] = 1;
    h2.m_iNode = 2;
    h2.m_release[0] = 1;
    d.m_hinges = {h0, h1, h2};
    CSupport spring;
    spring.m_iNode = 1;
    spring.m_posX.SetValue(1.0);
    spring.m_cy.SetValue(250.0);
    d.m_springs = {spring};
    d.m_inputAnnotations[3] = "Notiz";
    d.m_rtfOptions[7] = 5;
    d.m_bRtfChapterCT = 0;
    const auto [printA, printB] = RoundTrip(d, "beam.vkx");
    EXPECT_EQ(printA, printB);
    ZVDOC a = Open("beam.vkx");
    ASSERT_NE(a, 0u);

    CModuleData back;
    back.m_hDoc = a;
    back.ReadData(a);
    ASSERT_EQ(back.m_fieldLengths.size(), 3u);
    EXPECT_DOUBLE_EQ(back.m_fieldLengths[1].GetValue(), 4.0);
    EXPECT_DOUBLE_EQ(back.m_fieldLengths[2].GetValue(), 5.0);
    ASSERT_EQ(back.m_sections.size(), 2u);
    EXPECT_EQ(back.m_sections[1].m_profName, "IPE 240");
    EXPECT_EQ(back.m_supports[0].m_cx.GetValue(), -1.0);
    EXPECT_EQ(back.m_supports[2].m_cz.GetValue(), 0.0);  // the cantilever's free end
    // Only released hinges are stored, numbered without a gap.
    ZVELEM gelenke = ZEVUD_FindFirstChild(Input(a), "gelenke");
    EXPECT_EQ(ZEVUD_GetInt(gelenke, "numOfGelenke"), 2);
    EXPECT_NE(ZEVUD_FindFirstChild(gelenke, "gelenk_1"), 0u);
    EXPECT_EQ(ZEVUD_FindFirstChild(gelenke, "gelenk_2"), 0u);
    ASSERT_EQ(back.m_hinges.size(), 2u);
    EXPECT_EQ(back.m_hinges[0].m_release[4], 1);
    EXPECT_EQ(back.m_hinges[1].m_release[0], 1);
    ASSERT_EQ(back.m_springs.size(), 1u);
    EXPECT_DOUBLE_EQ(back.m_springs[0].m_cy.GetValue(), 250.0);
    ASSERT_EQ(back.m_loads.size(), 2u);
    EXPECT_DOUBLE_EQ(back.m_loads[1].m_val[0].GetValue(), 7.5);
    EXPECT_EQ(back.m_loads[1].m_LCGen.m_strText, "2");
    EXPECT_EQ(back.m_inputAnnotations[3], "Notiz");
    EXPECT_EQ(back.m_rtfOptions[7], 5);
    EXPECT_EQ(back.m_bRtfChapterCT, 0);
    EXPECT_EQ(back.m_info.m_nNorm, 31);
    EXPECT_EQ(back.m_strProgName, "RIGEL");
}

// The profile catalogue is read when a position names a catalogue profile,
// not when a module data object is made.
TEST_F(ModuleDocumentTest, CatalogueIsLoadedWhenAPositionNeedsIt) {
    CModuleData d;
    MakeBeam(d, {6.0}, 3.0, 4.0);
    ZVDOC doc = NewDoc("katalog.vkx");
    d.WriteData(doc);
    DestroyStdProfile();
    CModuleData fresh;
    EXPECT_FALSE(GetStdProfile().IsLoaded());
    fresh.ReadData(doc);
    EXPECT_TRUE(GetStdProfile().IsLoaded());
    EXPECT_TRUE(GetStdProfile().ProfileExists("IPE", "IPE 300"));
}

TEST_F(ModuleDocumentTest, CraneRunwayRoundTripKeepsTheInput) {
    CModuleData d;
    MakeCraneRunway(d, 6.0);
    d.m_dorIzi.m_strText = "1,3";
    const auto [printA, printB] = RoundTrip(d, "crane.vkx");
    EXPECT_EQ(printA, printB);
    ZVDOC a = Open("crane.vkx");
    ASSERT_NE(a, 0u);
    CModuleData back;
    back.m_hDoc = a;
    back.ReadData(a);
    EXPECT_TRUE(back.IsCraneRunway());
    ASSERT_EQ(back.m_notchCases.size(), 1u);
    EXPECT_EQ(back.m_notchCases[0].m_strName, "Quersteife");
    ASSERT_EQ(back.m_cranes.size(), 1u);
    EXPECT_EQ(back.m_cranes[0].m_strDesc, "Brückenkran 10 t");
    EXPECT_EQ(back.m_dorIzi.m_numbers, (std::vector<int>{1, 3}));
    EXPECT_EQ(back.m_info.m_nNorm, 31);
    EXPECT_EQ(back.m_info.m_nLkNorm, 4);  // country code 0
    EXPECT_EQ(back.m_sections[0].m_nTeilung, 3);
    // A member-design document keeps no cranes of its own on reading.
    EXPECT_TRUE(back.m_loads.empty());
}

TEST_F(ModuleDocumentTest, ReportOptionsKeepAtLeastTheirDefaultCount) {
    ZVDOC doc = NewDoc("opts.vkx");
    CModuleData d;
    MakeBeam(d, {6.0}, 1.0, 1.0);
    d.m_hDoc = doc;
    d.WriteData(doc);
    ZVELEM output = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "output");
    std::vector<int32_t> hundred(100);
    for (int i = 0; i < 100; ++i) hundred[static_cast<size_t>(i)] = i + 1;
    ZEVUD_SetBinData(output, "rtfOptions", 400, hundred.data(), 1);

    CModuleData back;
    back.m_rtfOptions.assign(450, 0);
    back.m_rtfOptions[200] = 9;  // beyond the stored entries: kept
    back.m_hDoc = doc;
    back.ReadData(doc);
    ASSERT_EQ(back.m_rtfOptions.size(), 450u);
    EXPECT_EQ(back.m_rtfOptions[0], 1);
    EXPECT_EQ(back.m_rtfOptions[99], 100);
    EXPECT_EQ(back.m_rtfOptions[100], 0);
    EXPECT_EQ(back.m_rtfOptions[200], 9);
}

TEST_F(ModuleDocumentTest, CraneResultsAreReadFromVersion201306) {
    struct Case {
        const char* version;
        bool read;
    } cases[] = {{"2013.05", false}, {"2013.06", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ZVDOC doc = NewDoc(std::string("crane_") + c.version + ".vkx");
        CModuleData d;
        MakeCraneRunway(d, 8.0);
        d.m_hDoc = doc;
        d.m_strMessage = "Kranbahn gerechnet";
        d.m_cranePositions = {1.0, 2.5, 4.0};
        d.m_reactions.nAufl = 2;
        d.m_reactions.table[2][5] = 123.5;
        d.WriteData(doc);
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ZEVUD_SetString(root, "version", c.version);
        const zevud::Fingerprint before = InputPrint(doc);

        CModuleData back;
        back.m_hDoc = doc;
        back.ReadData(doc);
        EXPECT_EQ(back.m_fieldLengths.size(), 2u);
        EXPECT_DOUBLE_EQ(back.m_fieldLengths[1].GetValue(), 8.0);
        EXPECT_EQ(back.m_strMessage == "Kranbahn gerechnet", c.read);
        EXPECT_EQ(back.m_reactions.nAufl == 2, c.read);
        EXPECT_EQ(back.m_reactions.table[2][5] == 123.5, c.read);
        back.WriteData(doc);
        EXPECT_EQ(InputPrint(doc), before);
    }
}

TEST_F(ModuleDocumentTest, DamagedCountsKeepTheDataUsable) {
    struct Case {
        const char* element;
        const char* count;
        int32_t value;
        bool message;
    } cases[] = {
        {"system", "numOfFields", -3, false},  {"system", "numOfFields", 0, false},
        {"system", "numOfFields", 2000000000, true}, {"loads", "numOfLoads", -1, false},
        {"loads", "numOfLoads", 1 << 30, true},     {"springs", "numOfSprings", 99999999, true},
        {"gelenke", "numOfGelenke", -7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count) + "=" + std::to_string(c.value));
        ZVDOC doc = NewDoc(std::string("damaged_") + c.count + std::to_string(c.value) + ".vkx");
        CModuleData d;
        MakeBeam(d, {6.0}, 1.0, 1.0);
        d.m_hDoc = doc;
        d.WriteData(doc);
        ZEVUD_SetInt(ZEVUD_FindFirstChild(Input(doc), c.element), c.count, c.value);
        sink.Clear();
        CModuleData back;
        back.m_hDoc = doc;
        back.ReadData(doc);
        EXPECT_EQ(!sink.messages.empty(), c.message);
        // Everything keeps working on what was read.
        CPlauMessageList list;
        back.CheckInput(list, 0);
        back.DefineVariables();
        EXPECT_GE(back.GetFieldStart(1), 0.0);
        ZVDOC again = NewDoc(std::string("again_") + c.count + std::to_string(c.value) + ".vkx");
        back.m_hDoc = again;
        back.WriteData(again);
        if (std::string(c.count) == "numOfFields" && c.value <= 0) {
            EXPECT_TRUE(back.m_fieldLengths.empty());
            EXPECT_TRUE(back.m_sections.empty());
            EXPECT_EQ(list.GetAt(0).text, "Kapitel 'System': Es wurden keine Felder eingegeben");
        }
    }
}

TEST_F(ModuleDocumentTest, SectionFileKeepsTheCaseOfThePath) {
    const fs::path folder = dir / "Projekt A";
    fs::create_directories(folder);
    ZVDOC doc = ZEVUD_CreateDoc((folder / "Pos1.VKX").string().c_str());
    docs.push_back(doc);
    CModuleData d;
    MakeBeam(d, {6.0}, 1.0, 1.0);
    d.m_hDoc = doc;
    EXPECT_EQ(d.GetTempSectionFileName(), (folder / "Pos1.temp.skw").string());
    d.WriteData(doc);
    EXPECT_TRUE(fs::exists(folder / "Pos1.temp.skw"));
    EXPECT_GT(ZEVUD_GetBinDataLength(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "dataFile"), "skwFile"), 0);
}

TEST_F(ModuleDocumentTest, SectionFileIsSharedAndDeletedByItsLastUser) {
    ZVDOC doc = NewDoc("shared.vkx");
    const std::string file = (dir / "shared.temp.skw").string();
    {
        CModuleData d;
        MakeBeam(d, {6.0}, 1.0, 1.0);
        d.m_hDoc = doc;
        d.WriteData(doc);
        ZEVUD_SaveDoc(doc);
    }
    EXPECT_FALSE(fs::exists(file));  // the writer was its only user

    CModuleData dialog;
    dialog.m_hDoc = doc;
    dialog.ReadData(doc);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(GetSectionFileClaims(file), 1);
    {
        // A silent calculation or a report reads the same document.
        CModuleData silent;
        silent.m_hDoc = doc;
        silent.ReadData(doc);
        EXPECT_EQ(GetSectionFileClaims(file), 2);
    }
    EXPECT_TRUE(fs::exists(file));
    ZVELEM dataFile = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "dataFile");
    const int stored = ZEVUD_GetBinDataLength(dataFile, "skwFile");
    ASSERT_GT(stored, 0);
    // The next write keeps the sections, even when the file went missing.
    fs::remove(file);
    dialog.WriteData(doc);
    EXPECT_EQ(ZEVUD_GetBinDataLength(dataFile, "skwFile"), stored);
    dialog.RemoveTempSectionFile();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(GetSectionFileClaims(file), 0);
}

TEST_F(ModuleDocumentTest, TwoDataFilesExtractNothing) {
    ZVDOC doc = NewDoc("two.vkx");
    CModuleData d;
    MakeBeam(d, {6.0}, 1.0, 1.0);
    d.m_hDoc = doc;
    d.WriteData(doc);
    d.RemoveTempSectionFile();
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_AddChildElement(root, "dataFile");
    CModuleData back;
    back.m_hDoc = doc;
    back.ReadData(doc);
    EXPECT_FALSE(fs::exists(dir / "two.temp.skw"));
    EXPECT_TRUE(back.GetSectionFile().empty());
}

TEST_F(ModuleDocumentTest, UnknownCatalogueProfileIsReplacedAndReportedOnce) {
    ZVDOC doc = NewDoc("unknown.vkx");
    CModuleData d;
    MakeBeam(d, {3.0, 3.0}, 1.0, 1.0);
    d.m_hDoc = doc;
    d.WriteData(doc);
    ZVELEM system = ZEVUD_FindFirstChild(Input(doc), "system");
    for (const char* f : {"field_1", "field_2"})
        ZEVUD_SetString(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(system, f), "section"), "profName", "IPE 999");
    sink.Clear();
    CModuleData back;
    back.m_hDoc = doc;
    back.ReadData(doc);
    for (const CSection& s : back.m_sections) {
        EXPECT_EQ(s.m_profFamily, "HEB");
        EXPECT_EQ(s.m_profName, "HEB 300");
    }
    int replaced = 0;
    for (const auto& m : sink.messages)
        if (m.text == "Min. einer der gewählten Querschnitte existiert nicht, bitte überprüfen") ++replaced;
    EXPECT_EQ(replaced, 1);
}

TEST_F(ModuleDocumentTest, NormCodeOneReadsAsDin18800) {
    ZVDOC doc = NewDoc("norm.vkx");
    CModuleData d;
    MakeBeam(d, {6.0}, 1.0, 1.0);
    d.m_hDoc = doc;
    d.WriteData(doc);
    ZEVUD_SetInt(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "info"), "norm", 1);
    CModuleData back;
    back.m_hDoc = doc;
    back.ReadData(doc);
    EXPECT_EQ(back.m_info.m_nNorm, 7);
    ASSERT_EQ(back.m_sections.size(), 1u);
    EXPECT_EQ(back.m_sections[0].m_iNorm, 7);
    EXPECT_EQ(back.m_sections[0].GetMaterialNorm(), "DIN 18800");
}

}  // namespace
