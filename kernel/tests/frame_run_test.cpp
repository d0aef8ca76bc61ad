// The run driver: base names, developer switch, error lines and error text,
// progress, the exports with a table of stand-in phases, and the refusal of
// damaged documents and overlapping calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frame_fixture.h"
#include "kernel/CalcProgress.h"
#include "kernel/KernelErrors.h"
#include "kernel/KernelRun.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "testsupport/recording_progress.h"

using namespace tovik;
using frame_test::PositionDoc;
namespace fs = std::filesystem;

namespace {

TEST(FrameBaseName, FolderAndVkxExtensionAreCut) {
    const struct { const char* path; const char* base; } cases[] = {
        {"/p/Pos1.VKX", "Pos1"},
        {"C:\\Projekte\\Halle\\Pos1.vkx", "Pos1"},
        {"/p/Pos1.abc", "Pos1.abc"},
        {"Pos1.vKx", "Pos1"},
        {"/p/q.vkx/Träger 2.vkx", "Träger 2"},
        {"", ""},
        {".vkx", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(RunBaseNameFromPath(c.path), c.base) << c.path;
    EXPECT_EQ(RunBaseNameFromPath("/p/" + std::string(300, 'a') + ".vkx").size(), 255u);
    // 254 bytes and then a two-byte character: the character is not split.
    EXPECT_EQ(RunBaseNameFromPath(std::string(254, 'a') + "ä" + "b.vkx"), std::string(254, 'a'));
}

TEST(FrameDeveloperSwitch, OnlyTheSwitchWordInUpperOrLowerCaseTurnsItOn) {
    const struct { const char* value; int on; } cases[] = {
        {nullptr, 0}, {"", 0}, {"Deduv", 0}, {"anders", 0}, {"DEDUV ", 0}, {"DEDUV", 1}, {"deduv", 1},
    };
    for (const auto& c : cases) {
        frame_test::EnvGuard env("VKTUSER", c.value);
        EXPECT_EQ(IsDeveloperSwitchOn(), c.on) << (c.value ? c.value : "(unset)");
    }
}

TEST(FrameErrors, MessagesOfTheAnalysisCodes) {
    const struct { int32_t code; const char* text; } cases[] = {
        {-1, "Ermittlung der Eigenform (Knickfigur) nicht möglich im LK 3!\n\tEvtl. ausschließlich neg. Normalkraft?"},
        {1, "Fehler in der Elementmatrix"},
        {2, "Gleichungssystem instabil im LK 3\n\t(vermutlich Stabilitätsversagen, bzw. System verschieblich)"},
        {99, "mehr als 20 Iterationen im LK 3"},
        {4809, "Knick- und/oder Kipplast überschritten im LK 3"},
    };
    for (const auto& c : cases) EXPECT_EQ(CalcErrorMessage(c.code, 3).value_or("-"), c.text) << c.code;
    EXPECT_FALSE(CalcErrorMessage(0, 3));
    EXPECT_FALSE(CalcErrorMessage(5, 3));
}

struct FrameErrorFileTest : ::testing::Test {
    frame_test::ScratchDir dir{"errfile"};
    std::unique_ptr<RunState> run = std::make_unique<RunState>();
    FrameErrorFileTest() { run->RunBaseName = "Pos1"; }
    static std::string Slurp(const fs::path& p) {
        std::ifstream f(p);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    }
};

TEST_F(FrameErrorFileTest, LineFormatsAndCounting) {
    OpenErrorFile(*run);
    EXPECT_EQ(WriteErrLine(*run, 1, "a"), 1);
    EXPECT_EQ(WriteErrLine(*run, 0, "b"), 0);
    EXPECT_EQ(WriteErrLine(*run, -1, "c"), -1);
    ReportCalcError(*run, 3, 0);
    ReportCalcError(*run, 3, 99);
    EXPECT_EQ(run->ErrorCount, 4);
    EXPECT_EQ(Slurp("Pos1.err"), "FEHLER:  a\nWARNUNG: b\nFEHLER:  mehr als 20 Iterationen im LK 3\n");
}

TEST_F(FrameErrorFileTest, NoCountedLineLeavesNoFileAndNoText) {
    OpenErrorFile(*run);
    ASSERT_TRUE(fs::exists("Pos1.err"));
    EXPECT_EQ(CollectErrorText(*run), "");
    EXPECT_FALSE(fs::exists("Pos1.err"));
}

TEST_F(FrameErrorFileTest, OneWarningGivesHeadingLineAndBlank) {
    OpenErrorFile(*run);
    WriteErrLine(*run, 0, "Achtung");
    EXPECT_EQ(CollectErrorText(*run),
              "Bei der Berechnung sind Fehler aufgetreten:{\\par \\pard}{\\par \\pard}WARNUNG: Achtung\n ");
    EXPECT_FALSE(fs::exists("Pos1.err"));
    EXPECT_EQ(run->ErrorCount, 0);
}

TEST_F(FrameErrorFileTest, ThePositionRunKeepsAProtocolWithLinesOnly) {
    OpenErrorFile(*run);
    WriteErrLine(*run, 1, "instabil");
    EXPECT_NE(CollectErrorText(*run, true).find("FEHLER:  instabil"), std::string::npos);
    EXPECT_EQ(Slurp("Pos1.err"), "FEHLER:  instabil\n");
    OpenErrorFile(*run);
    EXPECT_EQ(CollectErrorText(*run, true), "");
    EXPECT_FALSE(fs::exists("Pos1.err"));
}

TEST_F(FrameErrorFileTest, CountedLinesWithoutTextStillGiveTheHeading) {
    OpenErrorFile(*run);
    WriteErrLine(*run, -1, "nur gezählt");
    EXPECT_EQ(CollectErrorText(*run), "Bei der Berechnung sind Fehler aufgetreten:{\\par \\pard}{\\par \\pard} ");
}

TEST_F(FrameErrorFileTest, LinesAreKeptWhenTheErrorFileCannotBeCreated) {
    run->RunBaseName = "no/such/folder/Pos1";
    OpenErrorFile(*run);
    EXPECT_EQ(run->ErrorFile, nullptr);
    ReportCalcError(*run, 2, 2);
    const std::string text = CollectErrorText(*run);
    EXPECT_NE(text.find("FEHLER:  Gleichungssystem instabil im LK 2"), std::string::npos) << text;
}

TEST(FrameWorkStorage, RegionsBeyondTheArraysStopTheRun) {
    winsys::ScopedRecordingSink sink;
    auto run = std::make_unique<RunState>();
    EXPECT_FALSE(run->work.FitsDoubles(0, 1));  // no call running
    run->work.Open();
    EXPECT_EQ(run->work.Doubles(), limits::kWorkDoubles);
    EXPECT_EQ(run->work.Ints(), limits::kWorkInts);
    EXPECT_TRUE(run->RequireDoubles(limits::kWorkDoubles - 10, 10));
    EXPECT_TRUE(run->RequireInts(0, limits::kWorkInts));
    EXPECT_FALSE(run->stopped);
    EXPECT_FALSE(run->RequireDoubles(limits::kWorkDoubles - 10, 11));
    EXPECT_FALSE(run->RequireInts(-1, 2));
    EXPECT_TRUE(run->stopped);
    EXPECT_EQ(run->stopCode, codes::kMemoryOverflow);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Speicherüberlauf! Bitte vereinfachen Sie das System");
    EXPECT_NE(run->ErrorLines.find("FEHLER:  Speicherüberlauf!"), std::string::npos);
}

// A window that records what the progress logic shows.
struct RecordingWindow : ProgressWindow {
    std::vector<std::string>* percents;
    explicit RecordingWindow(std::vector<std::string>* p) : percents(p) {}
    bool Create() override { return true; }
    void Destroy() override {}
    void SetStatusText(const std::string&) override {}
    void SetBar(int32_t, int32_t, int32_t, int32_t) override {}
    void SetPercentText(const std::string& t) override { percents->push_back(t); }
    void PumpMessages() override {}
};

TEST(FrameProgress, PercentageWrapsAboveOneHundred) {
    const struct { int32_t pos, lower, upper, p; } cases[] = {
        {0, 0, 100, 0}, {50, 0, 100, 50}, {100, 0, 100, 100}, {150, 0, 100, 50}, {200, 0, 100, 0},
        {15, 10, 20, 50}, {5, 5, 5, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(CCalcProgressDlg::Percent(c.pos, c.lower, c.upper), c.p);
}

TEST(FrameProgress, StepsShowPercentOnlyWhenItChanges) {
    std::vector<std::string> shown;
    SetProgressWindowFactory([&] { return std::make_unique<RecordingWindow>(&shown); });
    {
        CCalcProgressDlg dlg;
        EXPECT_EQ(dlg.CaptionId(), 1008);
        ASSERT_TRUE(dlg.Create());
        dlg.SetRange(0, 4);
        dlg.SetStep(2);
        EXPECT_EQ(dlg.StepIt(), 0);
        EXPECT_EQ(dlg.StepIt(), 2);
        EXPECT_EQ(dlg.PercentText(), "100%");
        dlg.StepIt();  // 6 of 4: 150 % shows 50 %, the bar wraps
        EXPECT_EQ(dlg.PercentText(), "50%");
        EXPECT_EQ(dlg.Position(), 2);
        dlg.SetStep(0);
        dlg.StepIt();  // same text again: not set
        dlg.OnCancel();
        EXPECT_TRUE(dlg.Cancelled());
    }
    SetProgressWindowFactory(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"50%", "100%", "50%"}));
}

// Without a factory of its own the kernel opens template 1007 through the
// system layer's provider over the main window: the owner is disabled while
// the window lives and enabled again only when the window disabled it.
TEST(FrameProgress, ProviderWindowOverTheMainWindow) {
    using test_support::RecordingProgressProvider;
    const struct {
        const char* name;
        bool ownerEnabled, hasOwner, failOpen;
        bool created;
        std::vector<bool> ownerStates;
    } cases[] = {
        {"enabled owner", true, true, false, true, {false, true}},
        {"owner disabled already", false, true, false, true, {}},
        {"no main window", true, false, false, true, {}},
        {"window cannot be made", true, true, true, false, {false, true}},
    };
    for (const auto& c : cases) {
        RecordingProgressProvider provider;
        provider.ownerEnabled = c.ownerEnabled;
        provider.hasOwner = c.hasOwner;
        provider.failOpen = c.failOpen;
        {
            CCalcProgressDlg dlg;
            EXPECT_EQ(dlg.Create(), c.created) << c.name;
            dlg.SetRange(0, 0);
            dlg.SetText("Initialisierung...");
            dlg.StepIt();  // an empty range shows 0 %
            EXPECT_EQ(dlg.PercentText(), "0%") << c.name;
            if (c.created) {
                EXPECT_EQ(provider.open, 1) << c.name;
                EXPECT_EQ(provider.ownerEnabled, c.ownerEnabled && !c.hasOwner) << c.name;
            }
            dlg.DestroyWindow();
        }
        EXPECT_EQ(provider.opened, std::vector<int>{1007}) << c.name;
        EXPECT_EQ(provider.open, 0) << c.name;
        EXPECT_EQ(provider.ownerStates, c.ownerStates) << c.name;
        EXPECT_EQ(provider.ownerEnabled, c.ownerEnabled) << c.name;
        if (c.created) {
            EXPECT_EQ(provider.captions, std::vector<std::string>{"Einen Moment bitte..."}) << c.name;
            EXPECT_EQ(provider.TextsOf(1005), std::vector<std::string>{"Initialisierung..."}) << c.name;
            EXPECT_EQ(provider.TextsOf(1004), std::vector<std::string>{"0%"}) << c.name;
        }
    }
}

// A factory of its own takes the provider's place; nullptr gives it back.
TEST(FrameProgress, OwnFactoryTakesTheProvidersPlace) {
    test_support::RecordingProgressProvider provider;
    std::vector<std::string> shown;
    SetProgressWindowFactory([&] { return std::make_unique<RecordingWindow>(&shown); });
    {
        CCalcProgressDlg dlg;
        ASSERT_TRUE(dlg.Create());
    }
    EXPECT_TRUE(provider.opened.empty());
    SetProgressWindowFactory(nullptr);
    {
        CCalcProgressDlg dlg;
        ASSERT_TRUE(dlg.Create());
    }
    EXPECT_EQ(provider.opened, std::vector<int>{1007});
}

// Stand-in phases that record what the driver asks of them.
struct Recorder {
    std::vector<std::string> calls;
    std::string errorText = "(not written)";
    bool sawProgress = false;
    int32_t failCode = 0;
    int32_t failCase = -1;
};

struct FrameRunTest : ::testing::Test {
    frame_test::ScratchDir dir{"run"};
    frame_test::EnvGuard env{"VKTUSER", nullptr};
    winsys::ScopedRecordingSink sink;
    Recorder rec;

    KernelPhases phases;

    FrameRunTest() {
        KernelPhases& p = phases;
        p.CreateGdiObjects = [](RunState&) {};
        p.DeleteGdiObjects = [](RunState&) {};
        p.RtfReadSetting = &ReadRtfSetting;
        p.CalcStabDocument = [this](RunState&, const KernelPhases&, ZVDOC, int32_t flag) {
            rec.calls.push_back("stab:" + std::to_string(flag));
        };
        p.CalcTestCase = [this](RunState&, const KernelPhases&, const std::string& base) {
            rec.calls.push_back("text:" + base);
        };
        p.PrepareSystemData = [this](RunState& r) {
            rec.sawProgress = r.progress != nullptr;
            rec.calls.push_back("prep");
            r.cdltr.fe.nKnoten = 5;
            return 0;
        };
        p.ApplyLoads = [this](RunState&) { rec.calls.push_back("loads"); return 0; };
        p.SetzeQuer = [this](RunState&) { rec.calls.push_back("sections"); return 0; };
        p.RechneDltr3D = [this](RunState&, int32_t modus, int32_t lk) {
            rec.calls.push_back("calc" + std::to_string(modus) + ":" + std::to_string(lk));
            return (modus == 0 && lk == rec.failCase) ? rec.failCode : 0;
        };
        p.SetImperfection = [this](RunState&, int32_t lk) { rec.calls.push_back("imp:" + std::to_string(lk)); return 0; };
        p.BuildEnvelopes = [this](RunState&, int32_t w) { rec.calls.push_back("env" + std::to_string(w)); return 0; };
        p.PrintReport = [this](RunState&) { rec.calls.push_back("report"); return 0; };
        p.WriteResultsToDom = [this](RunState&, ZVDOC doc, const std::string& text) {
            rec.errorText = text;
            ZVELEM root = ZEVUD_GetRootElement(doc);
            ZEVUD_SetString(ZEVUD_AddChildElement(root, "result"), "errorMsg", text.c_str());
        };
    }

    static std::string ErrorMsg(ZVDOC doc) {
        return zevud::GetString(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result"), "errorMsg");
    }

    void Model(PositionDoc& d) {
        d.AddField(4.0);
        d.AddLoad(10, "1,2,3", 0, 2, 10.0);
        d.AddCombination("Ed", "1.35*(1+2)");
        for (int i = 0; i < 3; ++i) d.AddCombination("Ed,perm", "1.0*(" + std::to_string(i + 1) + ")");
    }
};

TEST_F(FrameRunTest, PhasesRunInOrderAndAFailedCaseGoesIntoTheErrorText) {
    PositionDoc d((dir.path() / "Pos1.vkx").string());
    Model(d);
    rec.failCode = 99;
    rec.failCase = 2;  // serviceability combination 3
    // Flag 1 asks for the report: it is the last phase.
    CalcPositionEntry(phases, d.doc, 1);
    const std::vector<std::string> expected = {"prep",  "loads", "sections", "calc0:0", "calc0:1", "calc0:2",
                                               "env1",  "calc1:0", "imp:0", "calc2:0", "env0", "report"};
    EXPECT_EQ(rec.calls, expected);
    EXPECT_EQ(rec.errorText,
              "Bei der Berechnung sind Fehler aufgetreten:{\\par \\pard}{\\par \\pard}"
              "FEHLER:  mehr als 20 Iterationen im LK 3\n ");
    EXPECT_TRUE(rec.sawProgress);
    // The position's error protocol stays beside it when it holds lines.
    std::ifstream err("Pos1.err");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>()),
              "FEHLER:  mehr als 20 Iterationen im LK 3\n");
    // Saved under its own name and path; no copy under a fixed name.
    EXPECT_EQ(zevud::GetCompleteFileName(d.doc), (dir.path() / "Pos1.vkx").string());
    EXPECT_TRUE(fs::exists(dir.path() / "Pos1.vkx"));
    EXPECT_FALSE(fs::exists("rigel.vkx"));
}

TEST_F(FrameRunTest, UltimateCombinationsRunTogetherAndReportInTheirOrder) {
    // The combinations hand on their lines and codes; the driver writes
    // them per combination in the order of its steps: buckling lines, its
    // code, imperfection lines, second-order lines, its code.
    PositionDoc d("Pos1.vkx");
    Model(d);
    phases.UltimateCombinations = [this](RunState&, const std::function<bool(int32_t, const fe::UltimateOutcome&)>& done) {
        rec.calls.push_back("ultimate");
        for (int32_t k = 0; k < 2; ++k) {
            const std::string n = std::to_string(k + 1);
            fe::UltimateOutcome o;
            o.bucklingLines = {{kErrLineError, "a" + n}};
            o.imperfectionLines = {{kErrLineWarning, "b" + n}};
            o.secondOrderLines = {{kErrLineError, "c" + n}};
            o.secondOrderCode = codes::kNoConvergence;
            if (!done(k, o)) break;
        }
    };
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"prep", "loads", "sections", "calc0:0", "calc0:1", "calc0:2", "env1",
                                                   "ultimate", "env0"}));
    EXPECT_EQ(rec.errorText,
              "Bei der Berechnung sind Fehler aufgetreten:{\\par \\pard}{\\par \\pard}"
              "FEHLER:  a1\nWARNUNG: b1\nFEHLER:  c1\nFEHLER:  mehr als 20 Iterationen im LK 1\n"
              "FEHLER:  a2\nWARNUNG: b2\nFEHLER:  c2\nFEHLER:  mehr als 20 Iterationen im LK 2\n ");
}

TEST_F(FrameRunTest, AllCombinationsOnOnePoolReportInTheOrderOfASerialRun) {
    // The pool hands on the serviceability combinations, asks for their
    // envelopes, then hands on the ultimate ones; the driver writes each
    // combination's lines and then its code, and builds the envelopes in
    // between.
    PositionDoc d("Pos1.vkx");
    Model(d);
    phases.Combinations = [this](RunState&, const std::function<bool(int32_t, const fe::ServiceOutcome&)>& service,
                                 const std::function<bool()>& between,
                                 const std::function<bool(int32_t, const fe::UltimateOutcome&)>& ultimate) {
        for (int32_t k = 0; k < 3; ++k) {
            fe::ServiceOutcome o;
            o.lines = {{kErrLineWarning, "s" + std::to_string(k + 1)}};
            o.code = k == 1 ? codes::kNoConvergence : 0;
            if (!service(k, o)) return;
        }
        rec.calls.push_back("service handed on");
        if (!between()) return;
        rec.calls.push_back("ultimate");
        fe::UltimateOutcome o;
        o.bucklingLines = {{kErrLineError, "a1"}};
        o.secondOrderCode = codes::kNoConvergence;
        ultimate(0, o);
    };
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"prep", "loads", "sections", "service handed on", "env1", "ultimate",
                                                   "env0"}));
    EXPECT_EQ(rec.errorText,
              "Bei der Berechnung sind Fehler aufgetreten:{\\par \\pard}{\\par \\pard}"
              "WARNUNG: s1\nWARNUNG: s2\nFEHLER:  mehr als 20 Iterationen im LK 2\nWARNUNG: s3\n"
              "FEHLER:  a1\nFEHLER:  mehr als 20 Iterationen im LK 1\n ");
}

TEST_F(FrameRunTest, CleanRunLeavesNoErrorFileAndAnEmptyErrorText) {
    PositionDoc d("Pos1.vkx");
    Model(d);
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_EQ(rec.errorText, "");
    EXPECT_EQ(ErrorMsg(d.doc), "");
    EXPECT_FALSE(fs::exists("Pos1.err"));
}

TEST_F(FrameRunTest, CraneRunwayDocumentsGetNoProgressOthersDo) {
    const struct { const char* progname; bool progress; } cases[] = {{"VADU", false}, {"vadu", true}, {"RIGEL", true}};
    for (const auto& c : cases) {
        PositionDoc d("Pos1.vkx", c.progname);
        Model(d);
        CalcPositionEntry(phases, d.doc, 0);
        EXPECT_EQ(rec.sawProgress, c.progress) << c.progname;
    }
}

TEST_F(FrameRunTest, ModelWithoutLoadCasesRunsTheFrameSteps) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    frame_test::EnvGuard on("VKTUSER", "DEDUV");
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"prep", "loads", "sections", "env1", "env0", "report"}));
    // The developer copy under the fixed name, the document keeps its name.
    EXPECT_TRUE(fs::exists("rigel.vkx"));
    EXPECT_EQ(fs::path(zevud::GetCompleteFileName(d.doc)).filename(), "Pos1.vkx");
}

TEST_F(FrameRunTest, ReportCountFollowsPrintFlagAndSwitch) {
    const struct { int32_t flag; const char* sw; int reports; } cases[] = {
        {0, nullptr, 0}, {1, nullptr, 1}, {0, "deduv", 1}, {1, "DEDUV", 2}};
    for (const auto& c : cases) {
        frame_test::EnvGuard sw("VKTUSER", c.sw);
        rec.calls.clear();
        auto run = std::make_unique<RunState>();
        EXPECT_EQ(RunCalculation(*run, phases, c.flag), 0);
        EXPECT_EQ(std::count(rec.calls.begin(), rec.calls.end(), "report"), c.reports) << c.flag;
    }
}

TEST_F(FrameRunTest, DamagedDocumentStopsWithItsCodeAndText) {
    PositionDoc d("Pos1.vkx");
    Model(d);
    ZEVUD_DeleteElement(d.springs);
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_TRUE(rec.calls.empty());
    ZVELEM result = ZEVUD_FindFirstChild(d.root, "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 1);
    EXPECT_NE(ErrorMsg(d.doc).find("FEHLER:  Im Eingabeteil fehlt das Element 'input\\springs'"), std::string::npos)
        << ErrorMsg(d.doc);
    EXPECT_NE(ZEVUD_FindFirstChild(d.root, "exports"), 0u);
}

TEST_F(FrameRunTest, EmptyDocumentAndUnknownHandleDoNotCrash) {
    ZVDOC empty = ZEVUD_CreateDoc("Leer.vkx");
    CalcPositionEntry(phases, empty, 0);
    EXPECT_NE(zevud::GetString(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(empty), "result"), "errorMsg").find("'input'"),
              std::string::npos);
    ZEVUD_CloseDoc(empty);
    sink.Clear();
    CalcPositionEntry(phases, 0, 0);
    CalcPositionEntry(phases, 0x7fffffff, 0);
    EXPECT_TRUE(rec.calls.empty());
    size_t said = 0;
    for (const auto& m : sink.messages) said += m.text.find("kann nicht gelesen werden") != std::string::npos;
    EXPECT_EQ(said, 2u);
}

TEST_F(FrameRunTest, PreparingPhaseFaultStopsTheRun) {
    phases.ApplyLoads = [this](RunState&) { rec.calls.push_back("loads"); return 7; };
    PositionDoc d("Pos1.vkx");
    Model(d);
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"prep", "loads"}));
    EXPECT_NE(ErrorMsg(d.doc).find("'Belastung' ist mit dem Fehler 7 abgebrochen"), std::string::npos);
}

TEST_F(FrameRunTest, OverlappingCallIsRefused) {
    PositionDoc inner("Inner.vkx");
    Model(inner);
    phases.SetzeQuer = [&](RunState&) {
        EXPECT_TRUE(CalculationRunning());
        CalcPositionEntry(phases, inner.doc, 0);
        CalcStabEntry(phases, inner.doc, 0);
        rec.calls.push_back("sections");
        return 0;
    };
    PositionDoc d("Pos1.vkx");
    Model(d);
    CalcPositionEntry(phases, d.doc, 0);
    EXPECT_FALSE(CalculationRunning());
    EXPECT_EQ(ZEVUD_FindFirstChild(inner.root, "result"), 0u);
    EXPECT_EQ(std::count(rec.calls.begin(), rec.calls.end(), "prep"), 1);
    size_t busy = 0;
    for (const auto& m : sink.messages) busy += m.text.find("bereits eine Berechnung") != std::string::npos;
    EXPECT_EQ(busy, 2u);
}

TEST_F(FrameRunTest, RtfLibraryVersionCheck) {
    // The report library of this build answers its version.
    EXPECT_EQ(CheckRtfLibVersion(phases), 2);
    EXPECT_TRUE(sink.messages.empty());
    const struct { const char* reply; bool message; } cases[] = {{"V2", false}, {"V10", false}, {"V1", true}, {"", true}, {"X", true}};
    for (const auto& c : cases) {
        sink.Clear();
        const std::string reply = c.reply;
        phases.RtfReadSetting = [reply](const char* name, char* buf, int32_t size) {
            EXPECT_STREQ(name, "VK-Version/zadevoz");
            EXPECT_EQ(size, 256);
            std::snprintf(buf, static_cast<size_t>(size), "%s", reply.c_str());
            return static_cast<int32_t>(reply.size());
        };
        CheckRtfLibVersion(phases);
        EXPECT_EQ(!sink.messages.empty(), c.message) << c.reply;
        if (c.message) {
            EXPECT_EQ(sink.messages[0].text, "ZADEVOZ.DLL nicht korrekt");
        }
    }
}

// The other two entries hand the run to their paths: the position document
// with its flag, the text file with its base name (announced first).
TEST_F(FrameRunTest, OtherEntriesRunTheirPaths) {
    PositionDoc d("Stab.vkx", "VOVI");
    CalcStabEntry(phases, d.doc, 1);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"stab:1"}));
    sink.Clear();
    char name[] = "Test1";
    CalcTextFileEntry(phases, name);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"stab:1", "text:Test1"}));
    ASSERT_GE(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Berechnen von Test1");
    CalcTextFileEntry(phases, nullptr);
    EXPECT_EQ(rec.calls.size(), 2u);
}

TEST(FrameUtil, SplitStringTrimsThePartsAfterTheFirst) {
    std::vector<std::string> out{"old"};
    SplitString("Gebrauchstauglichkeit\\ LK   3 \\Verformungen", '\\', out);
    // The rest is trimmed before it is cut, so a blank before a separator stays.
    EXPECT_EQ(out, (std::vector<std::string>{"Gebrauchstauglichkeit", "LK   3 ", "Verformungen"}));
    SplitString("", '\\', out);
    EXPECT_TRUE(out.empty());
    SplitString(" a ", '\\', out);
    EXPECT_EQ(out, (std::vector<std::string>{" a "}));
}

}  // namespace
