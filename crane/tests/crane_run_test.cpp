// The crane-runway calculation's driver: refusals before any run, the order
// and choice of kernel runs (position loop, lateral-torsional buckling loop),
// cancel and kernel failure, the result selection and the unchanged input.
// The kernel run and the result steps are replaced by recording stand-ins,
// so that the driver's own decisions are what is checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "crane/CraneRun.h"
#include "crane/VaduProgress.h"
#include "crane/tests/crane_fixture.h"
#include "module/tests/moddata_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "platform/zevud/holds.h"

namespace {

using namespace moddatatest;

struct Call {
    int check, mode, position;
};

// A window whose cancel button counts as pressed.
struct PressedWindow : winsys::ProgressWindow {
    void SetCaption(const std::string&) override {}
    void SetItemText(int, const std::string&) override {}
    std::string GetItemText(int) const override { return {}; }
    void SetBar(int, int32_t, int32_t, int32_t) override {}
    bool CancelPressed() const override { return true; }
    void Pump() override {}
};

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CraneRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override {
        dir = Scratch("crane_run");
        file = dir / "kran.vkx";
        MakeCraneRunway(d, 6.0);
        d.DefineVariables();
        d.m_cranePositions = {1.0, 2.0, 3.0, 4.0, 5.0};
        for (int c = 0; c < 5; ++c) d.m_craneSettings.m_checkEnabled[c] = 0;
        doc = ZEVUD_CreateDoc(file.string().c_str());
        ASSERT_NE(doc, 0);
        d.m_hDoc = doc;
        d.WriteData(doc);
        ASSERT_TRUE(ZEVUD_SaveDoc(doc));
        Install();
    }
    void TearDown() override {
        GetCraneRunSteps() = DefaultCraneRunSteps();
        d.m_steelSections.Reset();
        d.RemoveTempSectionFile();
        if (doc) ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Stand-ins that record what the driver asks for.
    void Install() {
        CCraneRunSteps& s = GetCraneRunSteps();
        s.kernelRun = [this](CModuleData& m) {
            ++kernelRuns;
            // As the base run does: the document written and saved first.
            m.WriteData(m.m_hDoc);
            ZVELEM root = ZEVUD_GetRootElement(m.m_hDoc);
            ZVELEM result = ZEVUD_FindFirstChild(root, "result");
            if (!result) result = ZEVUD_AddChildElement(root, "result");
            ZEVUD_SetString(result, "errorMsg", kernelRuns == failAtRun ? kernelError.c_str() : "");
            ZEVUD_SaveDoc(m.m_hDoc);
            return CRecalcResult{1, 1, 0, 0};
        };
        s.superpose = [this](CModuleData& m, int check, int mode, int, int p, const std::vector<std::string>&,
                             std::FILE*) {
            if (mode == 0) return;
            calls.push_back({check, mode, p});
            if (mode == 1) {
                CResultSet set;
                set.m_strTitle = "Check\\Kranstellung\\" + std::to_string(p + 1) + " @\\My";
                m.m_craneResultSets[check].push_back(set);
            }
            if (mode == 3 && cancelAtBucklingRun-- == 1) GetCraneRunProgress()->SetWindow(std::make_unique<PressedWindow>());
        };
        s.ratings = [this](const CModuleData&, int) { return ratings; };
        s.envelope = [](CModuleData&, int) {};
        s.exportExtremes = [](CModuleData&, ZVELEM, int, int, const CResultSet&) {};
        s.fatigue = [](CModuleData&) { return true; };
        s.plateBuckling = [](CModuleData&) {};
        s.railWeld = [](CModuleData&) {};
        s.report = [this](CModuleData&) { ++reports; };
    }
    std::vector<int> Runs(int mode) const {
        std::vector<int> p;
        for (const Call& c : calls)
            if (c.mode == mode) p.push_back(c.position);
        return p;
    }

    fs::path dir, file;
    CModuleData d;
    ZVDOC doc = 0;
    winsys::ScopedRecordingSink sink;
    std::vector<Call> calls;
    std::map<int, double> ratings;
    int kernelRuns = 0;
    int failAtRun = -1;
    std::string kernelError;
    int cancelAtBucklingRun = -1;
    int reports = 0;
};

// Refused before any run: the message, status 0, the file as it was and no
// result that claims a calculation.
TEST_F(CraneRun, RefusalsBeforeAnyRun) {
    struct Case {
        const char* what;
        std::function<void(CModuleData&)> change;
        const char* message;
    } cases[] = {
        {"plate counts 3 and 4",
         [](CModuleData& m) {
             // A welded I (three plates) and one with a stiffener on its web (four).
             m.m_sections = {cranetest::WeldedSection(60, 30, 2, 1), cranetest::WeldedSection(60, 30, 2, 1)};
             SEKT_PRO_AddWLine(m.m_sections[1].m_profile.GetHandle(), zidezaz::MakeWLine(0, 30, 10, 30, 1.0));
         },
         "Die gewählten Querschnitte müssen gleichförmig sein"},
        {"one crane, one position", [](CModuleData& m) { m.m_cranePositions = {2.0}; },
         "Es sind keine Kranstellungen vorhanden"},
        {"no crane, stale positions", [](CModuleData& m) { m.m_cranes.clear(); },
         "Es sind keine Kranstellungen vorhanden"},
        {"four cranes",
         [](CModuleData& m) {
             m.m_cranes.resize(4);
             m.m_cranePositions.assign(8, 1.0);
         },
         "höchstens drei Krane"},
    };
    const std::string before = ReadFile(file);
    for (const Case& c : cases) {
        SetUp();
        d.m_craneSettings.m_checkEnabled[3] = 1;
        c.change(d);
        sink.Clear();
        const CRecalcResult r = d.Recalc(1, 1);
        EXPECT_EQ(r.bCalculated, 0) << c.what;
        ASSERT_EQ(sink.messages.size(), 1u) << c.what;
        EXPECT_NE(sink.messages[0].text.find(c.message), std::string::npos) << sink.messages[0].text;
        EXPECT_EQ(kernelRuns, 0) << c.what;
        EXPECT_EQ(ReadFile(file), before) << c.what;
        ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
        ASSERT_NE(result, 0) << c.what;
        EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 1) << c.what;
        TearDown();
    }
}

// Without the superposition of the runs the position is not calculated.
TEST_F(CraneRun, AStepThatIsMissingRefusesTheCalculation) {
    d.m_craneSettings.m_checkEnabled[3] = 1;
    GetCraneRunSteps().superpose = nullptr;
    const CRecalcResult r = d.Recalc(0, 0);
    EXPECT_EQ(r.bCalculated, 0);
    EXPECT_EQ(kernelRuns, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("nicht verfügbar"), std::string::npos);
}

// A second calculation asked for from inside a run returns at once with
// status 1 and does not touch the running one.
TEST_F(CraneRun, ASecondCalculationDuringARunReturnsAtOnce) {
    d.m_craneSettings.m_checkEnabled[3] = 1;
    CRecalcResult inner{};
    int runsBefore = -1;
    auto kernel = GetCraneRunSteps().kernelRun;
    GetCraneRunSteps().kernelRun = [&](CModuleData& m) {
        if (runsBefore < 0) {
            runsBefore = kernelRuns;
            inner = m.Recalc(1, 1);
            EXPECT_EQ(kernelRuns, runsBefore);
        }
        return kernel(m);
    };
    const CRecalcResult r = d.Recalc(0, 0);
    EXPECT_EQ(inner.bCalculated, 1);
    EXPECT_EQ(r.bCalculated, 1);
    EXPECT_EQ(Runs(1), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_FALSE(IsCraneRunActive());
}

// The buckling loop: T = (iMinUtilForLTB x M) / 100; a position runs when
// its percentage exceeds T or reaches M - 1; in ascending position.
TEST_F(CraneRun, BucklingLoopRunsTheMostUtilisedPositionsInOrder) {
    struct Case {
        int check;
        int minUtil;
        std::map<int, double> ratings;
        std::vector<int> expected;
    } cases[] = {
        {0, 80, {{4, 1.00}, {0, 0.81}, {2, 0.80}, {1, 0.99}, {3, 0.10}}, {0, 1, 4}},
        {1, 100, {{0, 0.50}, {1, 0.49}, {2, 0.48}, {3, 0.30}}, {0, 1}},
        {2, 80, {{3, 0.994}, {1, 0.996}}, {1, 3}},  // 99 and 100 percent
        {3, 0, {{0, 1.0}}, {}},                      // serviceability: never
        {4, 0, {{0, 1.0}}, {}},                      // fatigue: never
    };
    for (const Case& c : cases) {
        SetUp();
        d.m_craneSettings.m_checkEnabled[c.check] = 1;
        d.m_craneSettings.m_LTBEnabled = 1;
        d.m_craneSettings.m_iMinUtilForLTB = c.minUtil;
        ratings = c.ratings;
        calls.clear();
        const CRecalcResult r = d.Recalc(0, 0);
        EXPECT_EQ(r.bCalculated, 1) << c.check;
        EXPECT_EQ(Runs(1), (std::vector<int>{0, 1, 2, 3, 4})) << c.check;
        EXPECT_EQ(Runs(3), c.expected) << c.check;
        TearDown();
    }
}

TEST_F(CraneRun, ResultSelectionAndPercentMarker) {
    auto titles = [](const std::vector<CResultSet>& sets) {
        std::vector<std::string> t;
        for (const CResultSet& s : sets) t.push_back(s.m_strTitle);
        return t;
    };
    auto make = [] {
        std::vector<CResultSet> sets(5);
        for (int p = 0; p < 5; ++p) sets[p].m_strTitle = "C\\Kranstellung\\" + std::to_string(p + 1) + " @\\My";
        return sets;
    };
    const std::map<int, int> percents = {{0, 81}, {3, 95}};
    {
        auto sets = make();
        SelectCheckResults(sets, 0, percents, 80, ParsePositionList("2,5"));
        EXPECT_EQ(titles(sets), (std::vector<std::string>{"C\\Kranstellung\\2\\My", "C\\Kranstellung\\5\\My"}));
    }
    {
        auto sets = make();
        SelectCheckResults(sets, 2, percents, 90, {});
        EXPECT_EQ(titles(sets),
                  (std::vector<std::string>{"C\\Kranstellung\\1 (81 %)\\My", "C\\Kranstellung\\4 (95 %)\\My"}));
    }
    {
        auto sets = make();
        SelectCheckResults(sets, 3, percents, 90, {});
        EXPECT_EQ(titles(sets), (std::vector<std::string>{"C\\Kranstellung\\4 (95 %)\\My"}));
    }
    {
        auto sets = make();
        SelectCheckResults(sets, 1, {}, 0, {});
        EXPECT_EQ(sets.size(), 5u);
    }
    EXPECT_EQ(ParsePositionList("2, 5,x,0,-3"), (std::vector<bool>{false, true, false, false, true}));
}

// Unchanged input: the second calculation runs nothing and writes the report only.
TEST_F(CraneRun, UnchangedInputWritesOnlyTheReport) {
    d.m_craneSettings.m_checkEnabled[3] = 1;
    EXPECT_EQ(d.Recalc(1, 1).bCalculated, 1);
    EXPECT_EQ(reports, 1);
    const int runs = kernelRuns;
    EXPECT_EQ(d.Recalc(1, 1).bCalculated, 0);
    EXPECT_EQ(kernelRuns, runs);
    EXPECT_EQ(reports, 2);
}

// Results of a version that kept no extreme support reactions per check are
// calculated again, though the input is unchanged.
TEST_F(CraneRun, ResultsWithoutReactionsPerCheckAreCalculatedAgain) {
    d.m_craneSettings.m_checkEnabled[3] = 1;
    EXPECT_EQ(d.Recalc(1, 1).bCalculated, 1);
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d.m_hDoc), "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZEVUD_GetInt(result, "auflagerJeNachweis"), 1);
    ZEVUD_SetInt(result, "auflagerJeNachweis", 0);  // as an older version left it
    const int runs = kernelRuns;
    EXPECT_EQ(d.Recalc(1, 1).bCalculated, 1);
    EXPECT_GT(kernelRuns, runs);
    EXPECT_EQ(d.Recalc(1, 1).bCalculated, 0) << "then unchanged again";
}

// The fatigue check with two cranes: besides the check's own curves, a band
// (maximum, minimum) with its difference per crane from the crane's fatigue
// table, and the resultant pass of the cranes together from load case 2 of
// the check's table (only what it holds); one crane gets neither.
TEST_F(CraneRun, FatigueCurvesPerCraneAndOfTheCranesTogether) {
    constexpr int kSigma = 34, kUtil = 39;
    d.m_craneSettings.m_checkEnabled[4] = 1;
    GetCraneRunSteps().fatigue = [](CModuleData& m) {
        m.m_userPointNames = {"A"};
        auto size = [](CResultTable& t, int cases) {
            t = CResultTable();
            t.Init(cases, 2, 42);
            const double xs[2] = {0.0, 6.0};
            t.SetXPositions(xs, 0, 1);
        };
        for (int k = 0; k < 2; ++k) {
            size(m.m_fatResults[k], 3);
            for (int n = 0; n < 2; ++n) {
                m.m_fatResults[k].SetValue(1, n, kSigma, 80.0 + 10 * k);
                m.m_fatResults[k].SetValue(0, n, kSigma, 20.0);
                m.m_fatResults[k].SetValue(1, n, kUtil, 0.5);
            }
        }
        size(m.m_craneResults[4], 4);
        for (int n = 0; n < 2; ++n) m.m_craneResults[4].SetValue(2, n, kUtil, 0.25);
        return true;
    };
    auto find = [this](const std::string& title) -> const CResultSet* {
        for (const CResultSet& s : d.m_resultSets)
            if (s.m_strTitle == title) return &s;
        return nullptr;
    };

    d.m_cranePositions = {1.0, 2.0};
    ASSERT_EQ(d.Recalc(0, 0).bCalculated, 1) << d.m_strMessage;
    EXPECT_NE(find("Ermüdung\\Spannungen\\A\\SigmaX"), nullptr);
    EXPECT_EQ(find("Ermüdung\\Vadu 1\\Spannungen\\A\\SigmaX"), nullptr);

    d.m_cranes.resize(2, d.m_cranes[0]);
    for (CCrane& c : d.m_cranes) c.m_pOwner = &d;
    d.m_cranePositions = {1.0, 4.0, 2.0, 5.0};
    d.ClearInputFingerprint();
    ASSERT_EQ(d.Recalc(0, 0).bCalculated, 1) << d.m_strMessage;
    for (int k = 0; k < 2; ++k) {
        const std::string crane = "Ermüdung\\Vadu " + std::to_string(k + 1) + "\\Spannungen\\A\\";
        const CResultSet* band = find(crane + "SigmaX");
        ASSERT_NE(band, nullptr) << crane;
        ASSERT_GE(band->m_data.size(), 3u);
        EXPECT_EQ(band->m_data[1], static_cast<float>(80.0 + 10 * k));  // maximum
        EXPECT_EQ(band->m_data[2], 20.0f);                              // minimum
        const CResultSet* delta = find(crane + "SigmaX(delta)");
        ASSERT_NE(delta, nullptr);
        EXPECT_EQ(delta->m_data[1], static_cast<float>(60.0 + 10 * k));
        EXPECT_NE(find(crane + "Ausnutzung"), nullptr);
    }
    const CResultSet* dup = find("Ermüdung\\dDup\\Spannungen\\A\\Ausnutzung");
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(dup->m_type, 0);
    EXPECT_EQ(dup->m_data[1], 0.25f);
    EXPECT_EQ(find("Ermüdung\\dDup\\Spannungen\\A\\SigmaX"), nullptr);  // nothing of the resultant
    EXPECT_EQ(find("Ermüdung\\dDup\\Spannungen\\A\\Ausnutzung(delta)"), nullptr);
}

// Cancel confirmed in the buckling loop: nothing of the run stays, the
// fingerprint is cleared (the next calculation runs in full), and the file
// holds the user's imperfections although the buckling runs negated them.
TEST_F(CraneRun, CancelInTheBucklingLoopRestoresTheUsersInput) {
    d.m_craneSettings.m_checkEnabled[0] = 1;
    d.m_craneSettings.m_LTBEnabled = 1;
    d.m_craneSettings.m_iMinUtilForLTB = 0;
    d.m_craneSettings.m_craneTyp = 1;
    d.m_vorvSettings.m_v0 = 3.0;
    d.m_vorvSettings.m_w0 = 4.0;
    ratings = {{0, 0.9}, {1, 1.0}, {2, 0.95}};
    cancelAtBucklingRun = 2;
    sink.scriptedAnswers = {winsys::IdYes};
    const CRecalcResult r = d.Recalc(0, 0);
    EXPECT_EQ(r.bCalculated, 0);
    EXPECT_EQ(Runs(3), (std::vector<int>{0, 1}));
    EXPECT_EQ(d.m_strMessage, "Berechnung abgebrochen");
    EXPECT_TRUE(d.m_resultSets.empty());
    EXPECT_TRUE(d.m_craneResultSets[0].empty());
    EXPECT_TRUE(d.IsInputChanged());
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.back().text, "Berechnung wirklich abbrechen?");
    // The saved file holds the user's imperfections.
    ZVDOC saved = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(saved, 0);
    CModuleData reread;
    reread.ReadData(saved);
    EXPECT_EQ(reread.m_vorvSettings.m_v0, 3.0);
    EXPECT_EQ(reread.m_vorvSettings.m_w0, 4.0);
    EXPECT_EQ(d.m_vorvSettings.m_v0, 3.0);
    ZEVUD_CloseDoc(saved);
    reread.RemoveTempSectionFile();
}

// The kernel runs' saves are held: during the runs and after a finished
// calculation the file is the user's (the document's owner saves the
// result); a stopped run saves the user's input, unless the caller holds the
// saves itself, whose hold stays.
TEST_F(CraneRun, KernelRunsLeaveTheFileToTheDocumentsOwner) {
    d.m_craneSettings.m_checkEnabled[3] = 1;
    const std::string before = ReadFile(file);
    std::string onDisk = before;  // the file as it stood before the calculation
    std::vector<int> heldInRuns;
    auto kernel = GetCraneRunSteps().kernelRun;
    GetCraneRunSteps().kernelRun = [&](CModuleData& m) {
        const CRecalcResult r = kernel(m);  // saves the document
        heldInRuns.push_back(ZEVUD_SavesHeld(m.m_hDoc));
        EXPECT_TRUE(ReadFile(file) == onDisk);
        return r;
    };
    EXPECT_EQ(d.Recalc(0, 0).bCalculated, 1);
    EXPECT_EQ(heldInRuns, (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_TRUE(ReadFile(file) == before);
    EXPECT_EQ(ZEVUD_SavesHeld(doc), 0);

    // Stopped by a kernel failure: the user's input saved once.
    d.ClearInputFingerprint();
    failAtRun = kernelRuns + 2;
    kernelError = "Fehler";
    EXPECT_EQ(d.Recalc(0, 0).bCalculated, 0);
    EXPECT_FALSE(ReadFile(file) == before);
    EXPECT_EQ(ZEVUD_SavesHeld(doc), 0);

    // The same with the caller's hold: the file stays, the hold too.
    onDisk = ReadFile(file);
    d.ClearInputFingerprint();
    failAtRun = kernelRuns + 2;
    ASSERT_EQ(ZEVUD_HoldSaves(doc, 1), 1);
    EXPECT_EQ(d.Recalc(0, 0).bCalculated, 0);
    EXPECT_TRUE(ReadFile(file) == onDisk);
    EXPECT_EQ(ZEVUD_SavesHeld(doc), 1);
    ZEVUD_HoldSaves(doc, 0);
}

// A kernel failure: its message with "\r\n" line ends, no result, status 0.
TEST_F(CraneRun, KernelFailureStopsWithItsMessage) {
    d.m_craneSettings.m_checkEnabled[3] = 1;
    failAtRun = 3;
    kernelError = "Steifigkeitsmatrix singulär\nKnoten 4{\\par \\pard}Ende";
    const CRecalcResult r = d.Recalc(0, 0);
    EXPECT_EQ(r.bCalculated, 0);
    EXPECT_EQ(kernelRuns, 3);
    EXPECT_EQ(d.m_strMessage, "Steifigkeitsmatrix singulär\r\nKnoten 4\r\nEnde");
    EXPECT_TRUE(d.m_resultSets.empty());
    EXPECT_TRUE(d.IsInputChanged());
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
    ASSERT_NE(result, 0);
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 1);
}

TEST(CraneRunProgress, BarsAndCancel) {
    CVaduDlgProgress p;
    p.SetTotalRange(4);
    p.StepTotal();
    p.SetPartRange(3);
    p.StepPart();
    p.StepPart();
    p.StepPart();  // stays at the end
    EXPECT_EQ(p.TotalPos(), 2);
    EXPECT_EQ(p.PartPos(), 3);
    p.StepTotal();
    EXPECT_EQ(p.PartPos(), 1);
    EXPECT_FALSE(p.IsCancelPressed());
    p.SetWindow(std::make_unique<PressedWindow>());
    EXPECT_TRUE(p.IsCancelPressed());
    p.ResetCancel();
    EXPECT_FALSE(p.IsCancelPressed());  // one press, one cancel
}

}  // namespace
