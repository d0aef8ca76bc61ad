// The output options of the member-design report: the tree path of each
// option id, the rebuild from the assistant's selection, the assistant's
// boxes, and the selection templates with their file names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "dialogs/core/OutputOptions.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"
#include "testsupport/scratch.h"

namespace {

namespace fs = std::filesystem;

std::set<int> SetOptions(const std::vector<int32_t>& options) {
    std::set<int> out;
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i]) out.insert(int(i));
    return out;
}

std::set<int> Span(int first, int last) {
    std::set<int> out;
    for (int i = first; i <= last; ++i) out.insert(i);
    return out;
}

}  // namespace

// ---- ids and paths ------------------------------------------------------------------------------

TEST(OutputChapterPaths, SamplesOfEveryGroup) {
    const std::vector<std::string>& p = OutputChapterPaths();
    ASSERT_EQ(p.size(), 450u);
    const std::pair<int, const char*> samples[] = {
        {0, "Eingabe\\Tabellen\\Auflager"},
        {9, "Eingabe\\Tabellen\\Lastkollektive"},
        {20, "Eingabe\\Grafiken\\System XZ-Ebene"},
        {31, "Eingabe\\Grafiken\\Lasten XY-Ebene"},
        {40, "Gebrauchstauglichkeit\\Tabellen\\Extremal\\Schnittgrößen\\Normalkraft N"},
        {45, "Gebrauchstauglichkeit\\Tabellen\\Extremal\\Schnittgrößen\\Biegemoment Mz"},
        {96, "Gebrauchstauglichkeit\\Tabellen\\Extremal\\Verformungen\\Max. Ausnutzung"},
        {105, "Gebrauchstauglichkeit\\Tabellen\\LK\\Verformungen\\Ausnutzung Z"},
        {155, "Gebrauchstauglichkeit\\Tabellen\\Einwirkungsweise\\Reaktionen\\AMz"},
        {210, "Tragsicherheit\\Tabellen\\LK\\Vorverformungen\\dy"},
        {242, "Tragsicherheit\\Grafiken\\LK\\Knickfigur\\phiX"},
        {256, "Tragsicherheit\\Tabellen\\Extremal\\Schnittgrößen/Spannungen\\Wölbmoment Mw"},
        {261, "Tragsicherheit\\Tabellen\\Extremal\\Schnittgrößen/Spannungen\\Ausnutzung"},
        {363, "Tragsicherheit\\Grafiken\\LK\\Verformungen\\phiX"},
        {435, "Tragsicherheit\\Grafiken\\LK\\Reaktionen\\AMz"},
    };
    for (auto [id, path] : samples) EXPECT_EQ(p[size_t(id)], path) << id;
}

TEST(OutputChapterPaths, IdsWithoutItem) {
    const std::vector<std::string>& p = OutputChapterPaths();
    // Between and after the groups, and the ids 10-19 and 32-39.
    const std::pair<int, int> gaps[] = {{10, 19},   {32, 39},   {46, 49},   {56, 69},   {97, 99},
                                        {106, 109}, {126, 129}, {136, 149}, {213, 219}, {262, 269},
                                        {334, 339}, {416, 429}, {436, 449}};
    for (auto [a, b] : gaps)
        for (int id = a; id <= b; ++id) EXPECT_TRUE(p[size_t(id)].empty()) << id;
    // 22 input items, 174 result leaves, every path once.
    std::set<std::string> distinct;
    for (const std::string& s : p)
        if (!s.empty()) distinct.insert(s);
    EXPECT_EQ(distinct.size(), 196u);
}

// ---- the rebuild from the assistant ---------------------------------------------------------------

TEST(RebuildChapterOptions, AssistantSelectionReplacesTheMarks) {
    std::vector<int32_t> chapter(450, 1);  // every item marked by hand
    std::vector<int32_t> assistant(300, 0);
    assistant[32] = 1;                      // serviceability forces, envelope table
    const int pattern[] = {1, 0, 1, 0, 1, 0};
    for (int k = 0; k < 6; ++k) assistant[size_t(62 + k)] = pattern[k];
    assistant[4] = 1;                       // springs and bedding
    RebuildChapterOptions(chapter, assistant);
    ASSERT_EQ(chapter.size(), 450u);
    std::set<int> expected = Span(40, 45);
    for (int id : {70, 72, 74, 4, 5}) expected.insert(id);
    EXPECT_EQ(SetOptions(chapter), expected);
}

TEST(RebuildChapterOptions, OneBoxEach) {
    struct Case {
        int box;
        std::set<int> options;
    };
    const Case cases[] = {
        {34, Span(90, 96)},            // one box for the whole group
        {153, Span(270, 281)},
        {156, Span(210, 212)},
        {100, {115}},                  // "Uz" of the deformation diagrams
        {104, {126}},
        {9, {10}},                     // "Relevante Lastkollektive"
        {20, {20, 21, 30, 31}},        // system pictures in both planes
        {22, Span(23, 28)},
        {246, {240}},
        {248, {242}},
        {231, {317}},
        {7, {7}},
        {6, {8}},
        {10, {}},                      // a number no row reads
    };
    for (const Case& c : cases) {
        std::vector<int32_t> assistant(300, 0), chapter(450, 0);
        assistant[size_t(c.box)] = 1;
        RebuildChapterOptions(chapter, assistant);
        EXPECT_EQ(SetOptions(chapter), c.options) << c.box;
    }
    // A short assistant list reads its missing entries as 0.
    std::vector<int32_t> chapter(450, 1);
    RebuildChapterOptions(chapter, {0, 1});
    EXPECT_EQ(SetOptions(chapter), std::set<int>{1});
}

// ---- the assistant's boxes ------------------------------------------------------------------------

TEST(AssistantBoxes, ControlsAndOptionsOfThePages) {
    struct Case {
        int page, control, option;
        bool perCombination;
    };
    const Case cases[] = {
        {1, 26041, 0, false},  {1, 26050, 9, false},   {1, 26051, 20, false},  {1, 26054, 23, false},
        {1, 26055, -1, false}, {2, 26055, 30, false},  {2, 26058, 33, true},   {2, 26060, 35, true},
        {2, 26061, -1, false}, {2, 26063, 50, false},  {2, 26069, 56, false},  {2, 26080, 67, false},
        {2, 26081, -1, false}, {2, 26087, 74, true},   {2, 26093, -1, false},  {2, 26099, 86, false},
        {2, 26102, -1, false}, {2, 26105, 92, true},   {2, 26112, 99, false},  {2, 26117, 104, true},
        {3, 26056, 151, true}, {3, 26057, 152, false}, {3, 26062, 157, true},  {3, 26069, 206, true},
        {3, 26081, 218, false}, {3, 26086, 223, false}, {3, 26098, 235, true}, {3, 26102, 239, false},
        {3, 26108, 245, true}, {3, 26111, 248, true},  {3, 26112, -1, false},  {4, 26041, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.page) + "/" + std::to_string(c.control));
        EXPECT_EQ(AssistantOptionOf(c.page, c.control), c.option);
        EXPECT_EQ(IsPerCombinationBox(c.page, c.control), c.perCombination);
    }
    EXPECT_EQ(AssistantBoxes(1).size(), 14u);
    EXPECT_EQ(AssistantBoxes(2).size(), 42u);
    EXPECT_EQ(AssistantBoxes(3).size(), 57u);
}

// ---- templates ------------------------------------------------------------------------------------

TEST(OutputTemplatePath, FileNameCutBeforeItsFirstDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"/t/Sel.a.b", "/t/Sel.RIGEL.vor"},
        {"/t/Sel", "/t/Sel"},
        {"/h/a.b/Sel.x", "/h/a.b/Sel.RIGEL.vor"},  // the folder keeps its dot
        {"/h/a.b/Sel", "/h/a.b/Sel"},
        {"/t/.x", "/t/.x"},
        {"/t/Ausgabe.RIGEL.vor", "/t/Ausgabe.RIGEL.vor"},
        {"Sel.vor", "Sel.RIGEL.vor"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(OutputTemplatePath(in), out) << in;
}

class OutputTemplate : public ::testing::Test {
protected:
    OutputTemplate() : scratch("output_template_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) {}
    static void Fill(CModuleData& d, int seed) {
        for (size_t i = 0; i < d.m_rtfOptions.size(); ++i) d.m_rtfOptions[i] = int32_t((i * 7 + seed) % 3);
        for (size_t i = 0; i < d.m_rtfWizOptions.size(); ++i) d.m_rtfWizOptions[i] = int32_t((i * 5 + seed) % 2);
        d.m_rtfLKgebr = 2;
        d.m_rtfLKTragSV = 3;
        d.m_bRtfChapterInput = 0;
        d.m_bRtfChapterGebr = 1;
        d.m_bRtfChapterTragSV = 0;
        d.m_bRtfChapterCT = 0;
    }
    test_support::ScratchDir scratch;
    winsys::ScopedRecordingSink sink;
};

TEST_F(OutputTemplate, RoundTripOfOptionsAndSwitches) {
    CModuleData out;
    out.Init();
    Fill(out, 1);
    const std::string file = (scratch.path() / "Sel.RIGEL.vor").string();
    ASSERT_TRUE(SaveOutputTemplate(file, out));

    ZVDOC doc = ZEVUD_OpenDoc(file.c_str());
    ASSERT_NE(doc, 0u);
    ZVELEM e = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "rtfOptions");
    ASSERT_NE(e, 0u);
    EXPECT_EQ(ZEVUD_GetBinDataLength(e, "rtfOptions"), 450 * 4);
    EXPECT_EQ(ZEVUD_GetBinDataLength(e, "rtfWizOptions"), 300 * 4);
    EXPECT_EQ(ZEVUD_GetInt(e, "rtfLKTragSV"), 3);
    ZEVUD_CloseDoc(doc);

    CModuleData in;
    in.Init();
    in.m_bRtfCalcSinglePoint = 1;  // not part of a template
    ASSERT_TRUE(LoadOutputTemplate(file, in));
    EXPECT_EQ(in.m_rtfOptions, out.m_rtfOptions);
    EXPECT_EQ(in.m_rtfWizOptions, out.m_rtfWizOptions);
    EXPECT_EQ(in.m_rtfLKgebr, 2);
    EXPECT_EQ(in.m_rtfLKTragSV, 3);
    EXPECT_EQ(in.m_bRtfChapterInput, 0);
    EXPECT_EQ(in.m_bRtfChapterGebr, 1);
    EXPECT_EQ(in.m_bRtfChapterTragSV, 0);
    EXPECT_EQ(in.m_bRtfChapterCT, 0);
    EXPECT_EQ(in.m_bRtfCalcSinglePoint, 1);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(OutputTemplate, ShortAndLongArraysKeepTheirSizes) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "rtfOptions");
    zevud::SetInts(e, "rtfOptions", std::vector<int32_t>(100, 1));    // short
    zevud::SetInts(e, "rtfWizOptions", std::vector<int32_t>(500, 1)); // long
    CModuleData d;
    d.Init();
    Fill(d, 2);
    ASSERT_TRUE(ReadOutputTemplate(doc, d));
    ASSERT_EQ(d.m_rtfOptions.size(), 450u);
    EXPECT_EQ(SetOptions(d.m_rtfOptions), Span(0, 99));
    EXPECT_EQ(d.m_rtfWizOptions, std::vector<int32_t>(300, 1));
    ZEVUD_CloseDoc(doc);
}

TEST_F(OutputTemplate, AFileWithoutOptionsOrNoDocumentChangesNothing) {
    CModuleData d;
    d.Init();
    Fill(d, 0);
    const std::vector<int32_t> options = d.m_rtfOptions;

    const fs::path empty = scratch.path() / "leer.RIGEL.vor";
    ZVDOC doc = ZEVUD_CreateDoc(empty.string().c_str());
    ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "andere");
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);
    EXPECT_FALSE(LoadOutputTemplate(empty.string(), d));
    EXPECT_TRUE(sink.messages.empty());

    const fs::path damaged = scratch.path() / "kaputt.RIGEL.vor";
    std::ofstream(damaged) << "<root><rtfOptions rtfLKgebr=";
    sink.Clear();
    EXPECT_FALSE(LoadOutputTemplate(damaged.string(), d));
    EXPECT_EQ(sink.messages.size(), 1u);  // the document layer says so
    EXPECT_FALSE(LoadOutputTemplate((scratch.path() / "fehlt.RIGEL.vor").string(), d));

    EXPECT_EQ(d.m_rtfOptions, options);
    EXPECT_EQ(d.m_rtfLKgebr, 2);
    EXPECT_EQ(d.m_bRtfChapterInput, 0);
}

TEST_F(OutputTemplate, AFolderWithADotKeepsTheTemplateInIt) {
    fs::create_directories(scratch.path() / "a.b");
    CModuleData d;
    d.Init();
    Fill(d, 1);
    const std::string file = OutputTemplatePath((scratch.path() / "a.b" / "Sel.x").string());
    ASSERT_TRUE(SaveOutputTemplate(file, d));
    EXPECT_TRUE(fs::exists(scratch.path() / "a.b" / "Sel.RIGEL.vor"));
    EXPECT_FALSE(fs::exists(scratch.path() / "a.RIGEL.vor"));
}
