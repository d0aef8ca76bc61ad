// The common part of a position: its document form, and the calculation run
// with fingerprints, plausibility check, kernel and report routines (a
// stand-in kernel library exports RIREZ_Aver and a report routine).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ModuleSandbox.h"
#include "module/BaseData.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

// A position whose plausibility check answers as the test says.
class TestData : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>& messages, int) override {
        ++checks;
        messages = listMessages;
        if (reenter) inner = Recalc(1, 1);
        return listValid;
    }
    bool CheckInput(CPlauMessageList& messages, int) override {
        ++checks;
        messages.m_pMainDlg = mainDlg;
        messages.m_pTabCtrl = tab;
        for (int32_t type : recordTypes) messages.AddGridMessage(type, "Kapitel 'System': Meldung", 1, grid, 2, 3);
        return recordValid;
    }
    std::vector<std::string> listMessages;
    bool listValid = true;
    std::vector<int32_t> recordTypes;
    bool recordValid = true;
    bool reenter = false;
    CRecalcResult inner{9, 9, 9, 9};
    int checks = 0;
    CPlauMainDialog* mainDlg = nullptr;
    CPlauTabCtrl* tab = nullptr;
    CPlauGrid* grid = nullptr;
};

class ScriptedDialogs : public CPlauDialogs {
public:
    int ShowPlauCtrlV2(const CPlauMessageList& list, CPlauMessage& selected) override {
        ++v2Calls;
        state = MakePlauCtrlV2State(list);
        selected = list.GetAt(0);
        return answer;
    }
    void ShowPlauCtrlDlg(const std::vector<std::string>& messages) override {
        ++listCalls;
        listed = messages;
    }
    int answer = PLAU_RESULT_START;
    int v2Calls = 0, listCalls = 0;
    CPlauCtrlV2State state;
    std::vector<std::string> listed;
};

struct Jump : CPlauGrid, CPlauTabCtrl, CPlauMainDialog {
    void SelectCell(int row, int column) override { cells.push_back(row * 10 + column); }
    bool IsVKTTabCtrl() const override { return false; }
    int GetCurPageId() const override { return 0; }
    int GetCurSel() const override { return 0; }
    void SetCurSel(int page) override { pages.push_back(page); }
    void ShowPage(int) override {}
    void Redraw() override {}
    std::vector<int> cells, pages;
};

// Load-combination settings that store a protocol file into "rtfFiles", as
// the real ones do during a run.
class FakeLoadCombination : public CBaseLoadCombination {
public:
    explicit FakeLoadCombination(ZVDOC doc) : doc_(doc) {}
    void ReadData(ZVELEM input) override { read = ZEVUD_GetInt(ZEVUD_FindFirstChild(input, "lastUeberlagerung"), "x"); }
    void WriteData(ZVELEM input) override {
        ZVELEM e = ZEVUD_FindFirstChild(input, "lastUeberlagerung");
        if (!e) e = ZEVUD_AddChildElement(input, "lastUeberlagerung");
        ZEVUD_SetInt(e, "x", 42);
    }
    void SetNorm(int32_t n) override { norm = n; }
    void StoreProtocolFiles() override {
        ZVELEM root = ZEVUD_GetRootElement(doc_);
        ZVELEM files = ZEVUD_AddChildElement(root, "rtfFiles");
        ZEVUD_SetString(files, "protokoll", "x");
        ++stored;
    }
    int read = 0, norm = -1, stored = 0;

private:
    ZVDOC doc_;
};

class BaseDataTest : public testing::Test {
protected:
    void SetUp() override {
        ModuleTeardown();
        fs::copy_file(moduletest::PluginDir() / "libRigelTestKernel.so", box_.Bin() / "libRigelTestKernel.so");
        CProgDBEntry plain;
        plain.m_strCalcDLLName = "RigelTestKernel.dll";
        plain.m_strCalcProcName = "RIREZ_Aver";
        plain.m_progVersion = 2.5;
        plain.m_strProgName = "Testprogramm";
        GetProgDB().AddEntry("TESTK", "modul", plain);
        CProgDBEntry withReport = plain;
        withReport.m_strRtfDLLName = "RigelTestKernel.dll";
        withReport.m_strRtfProcName = "TestReport";
        GetProgDB().AddEntry("TESTR", "modul", withReport);
        path_ = (box_.Root() / "Träger.VKX").string();
        doc_ = ZEVUD_CreateDoc(path_.c_str());
        data_.m_hDoc = doc_;
        data_.m_strProgName = "TESTK";
        data_.m_strModuleName = "modul";
        SetPlauDialogs(&dialogs_);
    }
    void TearDown() override {
        SetPlauDialogs(nullptr);
        ZEVUD_CloseDoc(doc_);
        ModuleTeardown();
    }
    ZVELEM Root() const { return ZEVUD_GetRootElement(doc_); }
    ZVELEM Child(const char* name) const { return ZEVUD_FindFirstChild(Root(), name); }
    int RootInt(const char* name) const { return ZEVUD_GetInt(Root(), name); }
    std::string Rtf() const { return (box_.Root() / "Träger.rtf").string(); }
    std::vector<unsigned char> Stored(const char* name) const {
        return zevud::GetBinData(Child("info"), name);
    }
    bool InputFingerprintIsZero() const {
        std::vector<unsigned char> fp = Stored("input_fingerprint");
        return fp.size() == 16 && fp == std::vector<unsigned char>(16, 0);
    }
    void SetInputMode(int mode) {
        ZVELEM input = Child("input");
        if (!input) input = ZEVUD_AddChildElement(Root(), "input");
        ZEVUD_SetInt(input, "testMode", mode);
    }
    static void SetSetting(const char* name, const char* value) {
        winsys::RegSetString(winsys::Hive::CurrentUser, "software\\VKT\\velor2005", name, value);
    }

    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
    ScriptedDialogs dialogs_;
    std::string path_;
    ZVDOC doc_ = 0;
    TestData data_;
};

void ExpectResult(const CRecalcResult& r, int calculated, int valid, int noResult, int cancelled,
                  const std::string& what = {}) {
    EXPECT_EQ(r.bCalculated, calculated) << what;
    EXPECT_EQ(r.bInputValid, valid) << what;
    EXPECT_EQ(r.bNoResult, noResult) << what;
    EXPECT_EQ(r.bCancelled, cancelled) << what;
}

}  // namespace

// ---- the common part of the document ------------------------------------------------

TEST_F(BaseDataTest, VersionIsStoredWithTwoDecimalsAndReadUnderAGermanLocale) {
    data_.WriteData(doc_);
    EXPECT_EQ(zevud::GetString(Root(), "version"), "2.50");
    EXPECT_EQ(zevud::GetString(Child("info"), "progDesc"), "Testprogramm");

    // Build a German locale into the scratch folder (none may be installed).
    const fs::path dir = box_.Root() / "locale";
    fs::create_directories(dir);
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !fs::exists(dir / "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
    setenv("LOCPATH", dir.c_str(), 1);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "German locale not available";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 2.5);
    ASSERT_STREQ(probe, "2,50");

    TestData back;
    back.ReadData(doc_);
    data_.m_dVersion = 0;
    data_.WriteData(doc_);
    std::string stored = zevud::GetString(Root(), "version");
    std::setlocale(LC_ALL, "C");
    EXPECT_DOUBLE_EQ(back.m_dVersion, 2.5);
    EXPECT_EQ(stored, "2.50");
}

TEST_F(BaseDataTest, WritingTwiceGivesTheSameTree) {
    data_.m_info.m_strComment = "Kommentar äöü";
    data_.m_info.m_nNorm = 8;
    data_.m_strPosDesc = "Träger Achse A";
    data_.m_nPage = 3;
    data_.m_bDickeLinie = true;
    data_.m_annotations = {{0, "bearbeiter", "M. Müller"}};
    data_.SetLoadCombination(std::make_unique<FakeLoadCombination>(doc_));
    data_.WriteData(doc_);
    const std::string first = zevud::GetDocText(doc_);
    const zevud::Fingerprint fp = zevud::FingerPrint(Root());
    data_.WriteData(doc_);
    EXPECT_EQ(zevud::GetDocText(doc_), first);
    EXPECT_EQ(zevud::FingerPrint(Root()), fp);

    TestData back;
    back.m_annotations = {{0, "bearbeiter", ""}, {1, "fehlt", "alt"}};
    auto lk = std::make_unique<FakeLoadCombination>(doc_);
    FakeLoadCombination* lkp = lk.get();
    back.SetLoadCombination(std::move(lk));
    back.ReadData(doc_);
    EXPECT_EQ(back.m_info.m_strComment, "Kommentar äöü");
    EXPECT_EQ(back.m_info.m_nNorm, 8);
    EXPECT_EQ(back.m_strPosDesc, "Träger Achse A");
    EXPECT_EQ(back.m_nPage, 3);
    EXPECT_TRUE(back.m_bDickeLinie);
    EXPECT_EQ(ZEVUD_GetInt(Child("info"), "bModularisieren"), 1);
    ASSERT_EQ(back.m_annotations.size(), 2u);  // reading creates no annotations
    EXPECT_EQ(back.m_annotations[0].m_strValue, "M. Müller");
    EXPECT_EQ(back.m_annotations[1].m_strValue, "");
    EXPECT_EQ(lkp->read, 42);
    EXPECT_EQ(lkp->norm, 0);
}

TEST_F(BaseDataTest, ATemplateIsSavedAsNoTemplate) {
    ZVELEM info = ZEVUD_AddChildElement(Root(), "info");
    ZEVUD_SetInt(info, "bIsTemplate", 1);
    ZEVUD_SetInt(info, "ModelHub", 1);
    ZEVUD_SetInt(info, "norm", 8);
    data_.ReadData(doc_);
    EXPECT_EQ(data_.m_info.m_bIsTemplate, 1);
    EXPECT_TRUE(data_.m_info.m_bModelHub);
    // The settings' default norm "DIN" applies to a template only.
    EXPECT_TRUE(data_.ApplyDefaultNorm(7, 8, 9, 10));
    EXPECT_EQ(data_.m_info.m_nNorm, 7);
    EXPECT_FALSE(data_.ApplyDefaultNorm(7, 8, 9, 10));
    data_.WriteData(doc_);
    EXPECT_EQ(ZEVUD_GetInt(Child("info"), "bIsTemplate"), 0);
    EXPECT_EQ(ZEVUD_GetInt(Child("info"), "ModelHub"), 0);
    EXPECT_FALSE(data_.m_info.m_bModelHub);
    data_.m_info.m_bIsTemplate = 0;
    EXPECT_FALSE(data_.ApplyDefaultLkNorm(1, 2, 3, 4));
}

TEST_F(BaseDataTest, NewerProgramVersionWarnsOnceAndReadsInFull) {
    struct Case {
        const char* version;
        size_t messages;
    };
    for (const Case& c : {Case{"3.10", 1u}, Case{"2.50", 0u}, Case{"1.00", 0u}}) {
        sink_.Clear();
        ZEVUD_SetString(Root(), "progname", "TESTK");
        ZEVUD_SetString(Root(), "modulename", "modul");
        ZEVUD_SetString(Root(), "version", c.version);
        ZVELEM info = ZEVUD_FindFirstChild(Root(), "info");
        if (!info) info = ZEVUD_AddChildElement(Root(), "info");
        ZEVUD_SetString(info, "owner", "Büro Nord");
        ZVELEM input = ZEVUD_FindFirstChild(Root(), "input");
        if (!input) input = ZEVUD_AddChildElement(Root(), "input");
        ZEVUD_SetInt(input, "nPage", 4);
        TestData back;
        back.ReadData(doc_);
        ASSERT_EQ(sink_.messages.size(), c.messages) << c.version;
        if (c.messages) {
            EXPECT_NE(sink_.messages[0].text.find("Version 3.10\ndes Programms VK-TESTK"), std::string::npos);
            EXPECT_NE(sink_.messages[0].text.find("in Version 2.50 vor"), std::string::npos);
        }
        EXPECT_EQ(back.m_info.m_strOwner, "Büro Nord");
        EXPECT_EQ(back.m_nPage, 4);
    }
}

TEST_F(BaseDataTest, ADocumentWithoutInfoYieldsOnlyNamesAndVersion) {
    ZEVUD_SetString(Root(), "progname", "XYZ");
    ZEVUD_SetString(Root(), "modulename", "m");
    ZEVUD_SetString(Root(), "version", "1.25");
    ZEVUD_SetInt(ZEVUD_AddChildElement(Root(), "input"), "nPage", 5);
    data_.ReadData(doc_);
    EXPECT_EQ(data_.m_strProgName, "XYZ");
    EXPECT_EQ(data_.m_strModuleName, "m");
    EXPECT_DOUBLE_EQ(data_.m_dVersion, 1.25);
    EXPECT_EQ(data_.m_nPage, 1);
    EXPECT_TRUE(sink_.messages.empty());
}

// ---- the calculation run ---------------------------------------------------------------

TEST_F(BaseDataTest, FirstRunCallsTheRoutineAndStoresFingerprints) {
    struct Case {
        const char* prog;
        int flag, reportCalls;
    };
    for (const Case& c : {Case{"TESTK", 1, 0}, Case{"TESTR", 0, 1}}) {
        TestData data;
        ZVDOC doc = ZEVUD_CreateDoc(path_.c_str());
        data.m_hDoc = doc;
        data.m_strProgName = c.prog;
        data.m_strModuleName = "modul";
        std::error_code ec;
        fs::remove(Rtf(), ec);
        ExpectResult(data.Recalc(1, 1), 1, 1, 0, 0, c.prog);
        ZVELEM root = ZEVUD_GetRootElement(doc);
        EXPECT_EQ(ZEVUD_GetInt(root, "testCalcCalls"), 1);
        EXPECT_EQ(ZEVUD_GetInt(root, "testCalcFlag"), c.flag);
        EXPECT_EQ(ZEVUD_GetInt(root, "testReportCalls"), c.reportCalls);
        if (c.reportCalls) EXPECT_EQ(ZEVUD_GetInt(root, "testReportFlag"), 1);
        // The report file beside the document keeps the folder's and name's case.
        EXPECT_TRUE(fs::exists(Rtf()));
        ZVELEM info = ZEVUD_FindFirstChild(root, "info");
        std::vector<unsigned char> in = zevud::GetBinData(info, "input_fingerprint");
        CFingerprint expect = data.GetInputFingerprint();
        ASSERT_EQ(in.size(), 16u);
        EXPECT_TRUE(std::equal(in.begin(), in.end(), expect.Bytes()));
        EXPECT_FALSE(expect.IsZero());
        zevud::Fingerprint file = zevud::FingerPrintOfFile(Rtf());
        std::vector<unsigned char> out = zevud::GetBinData(info, "output_fingerprint");
        ASSERT_EQ(out.size(), 16u);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), file.bytes));
        // The series of the result element, with the zero crossing inserted.
        EXPECT_EQ(data.m_strResultMessage, "ok");
        ASSERT_EQ(data.m_resultSets.size(), 2u);
        EXPECT_EQ(data.m_resultSets[0].m_strTitle, "LF 1\\My");
        EXPECT_EQ(data.m_resultSets[0].m_strUnit, "kNm");
        EXPECT_EQ(data.m_resultSets[0].m_data, (std::vector<float>{0, -2, 1, -1, 1.5f, 0, 2, 1, 3, 2}));
        EXPECT_EQ(data.m_resultSets[1].m_strTitle, "LF 1\\Vz");
        EXPECT_EQ(data.m_resultSets[1].m_strUnit, "");
        EXPECT_EQ(ZEVUD_FindFirstChild(root, "rtfFiles"), 0u);
        ZEVUD_CloseDoc(doc);
    }
}

TEST_F(BaseDataTest, UnchangedInputAndReportCallNeitherRoutine) {
    for (const char* prog : {"TESTK", "TESTR"}) {
        data_.m_strProgName = prog;
        ZEVUD_DeleteElement(Child("result"));
        ExpectResult(data_.Recalc(1, 1), 1, 1, 0, 0, prog);
        const int calc = RootInt("testCalcCalls"), report = RootInt("testReportCalls");
        ExpectResult(data_.Recalc(1, 1), 0, 0, 0, 0, prog);
        EXPECT_EQ(RootInt("testCalcCalls"), calc) << prog;
        EXPECT_EQ(RootInt("testReportCalls"), report) << prog;
        EXPECT_EQ(data_.m_resultSets.size(), 2u);  // the old results are read again
    }
}

TEST_F(BaseDataTest, ADeletedReportIsWrittenAgain) {
    struct Case {
        const char* prog;
        int calcCalls, reportCalls, lastFlag;
    };
    // With a report routine only the report runs; without one the
    // calculation runs again with the report flag.
    for (const Case& c : {Case{"TESTR", 1, 2, 0}, Case{"TESTK", 2, 0, 1}}) {
        ZVDOC doc = ZEVUD_CreateDoc(path_.c_str());
        TestData data;
        data.m_hDoc = doc;
        data.m_strProgName = c.prog;
        data.m_strModuleName = "modul";
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ExpectResult(data.Recalc(1, 1), 1, 1, 0, 0, c.prog);
        ASSERT_TRUE(fs::remove(Rtf()));
        data.Recalc(1, 1);
        EXPECT_EQ(ZEVUD_GetInt(root, "testCalcCalls"), c.calcCalls) << c.prog;
        EXPECT_EQ(ZEVUD_GetInt(root, "testReportCalls"), c.reportCalls) << c.prog;
        EXPECT_EQ(ZEVUD_GetInt(root, "testCalcFlag"), c.lastFlag) << c.prog;
        EXPECT_TRUE(fs::exists(Rtf()));
        // A report altered outside counts as changed as well.
        { std::ofstream(Rtf(), std::ios::app) << "x"; }
        data.Recalc(1, 1);
        EXPECT_EQ(ZEVUD_GetInt(root, "testReportCalls") + ZEVUD_GetInt(root, "testCalcCalls"),
                  c.reportCalls + c.calcCalls + 1);
        ZEVUD_CloseDoc(doc);
    }
}

TEST_F(BaseDataTest, ChangedInputCalculatesAgainAndWithoutReportClearsTheOutputFingerprint) {
    data_.Recalc(1, 1);
    data_.m_strPosDesc = "geändert";
    ExpectResult(data_.Recalc(0, 0), 1, 1, 0, 0);
    EXPECT_EQ(RootInt("testCalcCalls"), 2);
    EXPECT_EQ(RootInt("testCalcFlag"), 0);
    EXPECT_EQ(Stored("output_fingerprint"), std::vector<unsigned char>(16, 0));
}

TEST_F(BaseDataTest, ReportPartsNeverRemainInTheDocument) {
    auto lk = std::make_unique<FakeLoadCombination>(doc_);
    FakeLoadCombination* lkp = lk.get();
    data_.SetLoadCombination(std::move(lk));
    data_.Recalc(1, 1);
    EXPECT_EQ(lkp->stored, 1);
    EXPECT_EQ(RootInt("testSawRtfFiles"), 1);  // the kernel found the protocol files
    EXPECT_EQ(Child("rtfFiles"), 0u);
    // A report written again stores the protocol files again, and they go
    // again at the end of the run.
    fs::remove(Rtf());
    data_.Recalc(1, 1);
    EXPECT_EQ(lkp->stored, 2);
    EXPECT_EQ(RootInt("testCalcCalls"), 2);
    EXPECT_EQ(Child("rtfFiles"), 0u);
}

TEST_F(BaseDataTest, VariableDefinitionsAreDefinedListedAndExported) {
    auto v = std::make_unique<CVarDefVariable>();
    v->m_strDescription = "Höhe";
    v->m_strVarName = "h";
    v->m_strUnit = "m";
    v->m_value.SetFromText("0.25*2");
    v->m_bExported = 1;
    data_.m_varDefs.Add(std::move(v));
    data_.SilentCalc();
    double h = 0;
    ASSERT_NE(data_.m_varTable.Evaluate("h*2", h), 0);
    EXPECT_DOUBLE_EQ(h, 1.0);
    // The listing went to the kernel as a report part and is gone again.
    EXPECT_EQ(RootInt("testSawVardef"), 1);
    EXPECT_EQ(Child("rtfFiles"), 0u);
    EXPECT_FALSE(fs::exists(box_.Root() / "Träger.tmp.rtf"));
    ZVELEM value = ZEVUD_FindFirstChild(Child("exports"), "value");
    ASSERT_NE(value, 0u);
    EXPECT_EQ(zevud::GetString(value, "varName"), "h");
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(value, "val"), 0.5);
}

TEST_F(BaseDataTest, AReentrantRunReturnsAtOnce) {
    data_.reenter = true;
    ExpectResult(data_.Recalc(1, 1), 1, 1, 0, 0);
    ExpectResult(data_.inner, 0, 1, 0, 0);
    EXPECT_EQ(data_.checks, 1);
    EXPECT_EQ(RootInt("testCalcCalls"), 1);
    EXPECT_EQ(data_.m_bCalculating, 0);
}

TEST_F(BaseDataTest, WithoutDocumentOrProgramRecordNothingRuns) {
    data_.m_hDoc = 0;
    ExpectResult(data_.Recalc(1, 1), 0, 1, 0, 0);
    data_.m_hDoc = doc_;
    data_.m_strProgName = "NIX";
    data_.m_strModuleName = "da";
    ExpectResult(data_.Recalc(1, 1), 0, 0, 0, 0);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].text, "Unbekannte Programm-Kennung NIX/da");
    EXPECT_EQ(RootInt("testCalcCalls"), 0);
    EXPECT_EQ(data_.m_bCalculating, 0);
}

TEST_F(BaseDataTest, AStoppedKernelOrAMissingResult) {
    struct Case {
        int mode;
        int calculated, noResult;
    };
    for (const Case& c : {Case{1, 0, 0}, Case{2, 0, 1}, Case{0, 1, 0}}) {
        SetInputMode(c.mode);
        ExpectResult(data_.Recalc(0, 0), c.calculated, 1, c.noResult, 0, std::to_string(c.mode));
    }
    EXPECT_EQ(RootInt("testCalcCalls"), 3);
}

// ---- plausibility check in the run --------------------------------------------------------

TEST_F(BaseDataTest, RecordRoutePlausibilityDecisions) {
    struct Case {
        const char* name;
        std::vector<int32_t> types;
        bool checkValid;
        int answer;
        bool dialog, calculates, cancelled, jumped;
    };
    const Case cases[] = {
        {"warnings, start", {PLAU_WARNING}, true, PLAU_RESULT_START, true, true, false, false},
        {"warnings, closed", {PLAU_WARNING, PLAU_WARNING}, true, PLAU_RESULT_CANCEL, true, false, true, false},
        {"warnings, jump", {PLAU_WARNING}, true, PLAU_RESULT_JUMP, true, false, false, true},
        {"errors, cancel", {PLAU_ERROR, PLAU_WARNING}, false, PLAU_RESULT_CANCEL, true, false, true, false},
        {"errors, jump", {PLAU_ERROR}, false, PLAU_RESULT_JUMP, true, false, false, true},
        {"nothing to say", {}, true, PLAU_RESULT_CANCEL, false, true, false, false},
    };
    for (const Case& c : cases) {
        ZVDOC doc = ZEVUD_CreateDoc(path_.c_str());
        Jump jump;
        TestData data;
        data.m_hDoc = doc;
        data.m_strProgName = "TESTR";  // with a report routine of its own
        data.m_strModuleName = "modul";
        data.m_bPlauRecordRoute = true;
        data.recordTypes = c.types;
        data.recordValid = c.checkValid;
        data.mainDlg = &jump;
        data.tab = &jump;
        data.grid = &jump;
        ScriptedDialogs dialogs;
        dialogs.answer = c.answer;
        SetPlauDialogs(&dialogs);
        std::error_code ec;
        fs::remove(Rtf(), ec);
        const CRecalcResult r = data.Recalc(1, 1);
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ExpectResult(r, c.calculates, c.calculates, 0, c.cancelled, c.name);
        EXPECT_EQ(dialogs.v2Calls, c.dialog ? 1 : 0) << c.name;
        EXPECT_EQ(ZEVUD_GetInt(root, "testCalcCalls"), c.calculates ? 1 : 0) << c.name;
        // No report of old results when the check stopped the calculation.
        EXPECT_EQ(ZEVUD_GetInt(root, "testReportCalls"), c.calculates ? 1 : 0) << c.name;
        EXPECT_EQ(fs::exists(Rtf()), c.calculates) << c.name;
        EXPECT_EQ(jump.cells, c.jumped ? std::vector<int>{23} : std::vector<int>{}) << c.name;
        std::vector<unsigned char> fp = zevud::GetBinData(ZEVUD_FindFirstChild(root, "info"), "input_fingerprint");
        ASSERT_EQ(fp.size(), 16u) << c.name;
        EXPECT_EQ(fp == std::vector<unsigned char>(16, 0), !c.calculates) << c.name;
        if (c.dialog && c.types.size() == 1 && c.types[0] == PLAU_WARNING) {
            EXPECT_FALSE(dialogs.state.showCancel);
            EXPECT_TRUE(dialogs.state.showStart);
        }
        if (!c.checkValid) {
            EXPECT_TRUE(dialogs.state.showCancel);
            EXPECT_FALSE(dialogs.state.showStart);
        }
        SetPlauDialogs(&dialogs_);
        ZEVUD_CloseDoc(doc);
    }
}

TEST_F(BaseDataTest, AStoppedRunCalculatesNextTime) {
    data_.m_bPlauRecordRoute = true;
    data_.recordTypes = {PLAU_ERROR};
    data_.recordValid = false;
    dialogs_.answer = PLAU_RESULT_CANCEL;
    data_.Recalc(1, 1);
    EXPECT_EQ(RootInt("testCalcCalls"), 0);
    data_.recordTypes.clear();
    data_.recordValid = true;
    ExpectResult(data_.Recalc(1, 1), 1, 1, 0, 0);
    EXPECT_EQ(RootInt("testCalcCalls"), 1);
    EXPECT_FALSE(InputFingerprintIsZero());
}

TEST_F(BaseDataTest, MessageListRoute) {
    data_.listValid = false;
    data_.listMessages = {"Keine Lasten", "Kein Querschnitt"};
    ExpectResult(data_.Recalc(1, 1), 0, 0, 0, 0);
    EXPECT_EQ(dialogs_.listCalls, 1);
    EXPECT_EQ(dialogs_.listed, data_.listMessages);
    EXPECT_EQ(RootInt("testCalcCalls"), 0);
    EXPECT_FALSE(fs::exists(Rtf()));
    EXPECT_TRUE(InputFingerprintIsZero());

    data_.listMessages.clear();  // an invalid check without texts shows nothing
    data_.Recalc(1, 1);
    EXPECT_EQ(dialogs_.listCalls, 1);

    data_.listValid = true;
    ExpectResult(data_.Recalc(1, 1), 1, 1, 0, 0);
    EXPECT_EQ(dialogs_.listCalls, 1);
    EXPECT_EQ(dialogs_.v2Calls, 0);
}

// ---- output -----------------------------------------------------------------------------------

namespace {
struct Window : CBaseOutputWindow {
    void ShowRtfFile(const std::string& file) override { shown = file; }
    void SetText(const std::string& t) override { text = t; }
    std::string shown, text;
};
std::vector<std::string> g_opened;
bool RecordOpen(const std::string& file) {
    g_opened.push_back(file);
    return true;
}
}  // namespace

TEST_F(BaseDataTest, OutputWindowAndDocumentTool) {
    data_.ShowOutput(nullptr);
    EXPECT_EQ(RootInt("testCalcCalls"), 0);
    Window w;
    data_.ShowOutput(&w);
    EXPECT_EQ(w.shown, Rtf());

    SetInputMode(2);  // the kernel writes nothing, not even the report
    fs::remove(Rtf());
    Window missing;
    data_.ShowOutput(&missing);
    EXPECT_EQ(missing.text, "\n\nAusgabedatei nicht vorhanden!");

    DocumentToolOpener previous = SetDocumentToolOpener(&RecordOpen);
    g_opened.clear();
    SetInputMode(0);
    data_.RecalcAndEditOutput();
    EXPECT_EQ(g_opened, std::vector<std::string>{Rtf()});
    SetDocumentToolOpener(previous);
}

// A report the calculation could not write is not opened in its place: the
// old report beside the position is not this input's, and the user is told.
TEST_F(BaseDataTest, EditOutputOpensNoReportThatWasNotWritten) {
    data_.m_strProgName = "TESTR";  // with a report routine of its own
    data_.RecalcAndEditOutput();
    ASSERT_TRUE(fs::exists(Rtf()));
    DocumentToolOpener previous = SetDocumentToolOpener(&RecordOpen);
    g_opened.clear();
    sink_.messages.clear();
    SetInputMode(3);  // the report routine writes nothing
    data_.RecalcAndEditOutput();
    EXPECT_FALSE(data_.GetReportFailure().empty());
    EXPECT_TRUE(g_opened.empty());
    ASSERT_FALSE(sink_.messages.empty());
    EXPECT_NE(sink_.messages.back().text.find("konnte nicht geschrieben werden"), std::string::npos)
        << sink_.messages.back().text;
    SetDocumentToolOpener(previous);
}

// The report lister gets the path as one argument of its own, whatever
// blanks, quotes or shell characters it holds; a file that cannot be read
// is said and starts nothing.
TEST(DocumentTool, PathIsOneArgumentAndAMissingFileIsSaid) {
    winsys::ScopedRecordingSink sink;
    const fs::path dir = fs::temp_directory_path() / ("rigel_doctool_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path lister = dir / "lister.sh";
    const fs::path out = dir / "args.txt";
    std::ofstream(lister) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" << out.string() << "'\n";
    fs::permissions(lister, fs::perms::owner_all);
    const fs::path report = dir / "Pos 1 \"Träger\"; $(touch x) & y.rtf";
    std::ofstream(report) << "{\\rtf1 x}";
    std::string& setting = GetRegSettings().m_strLister;
    const std::string saved = setting;
    setting = lister.string();

    ASSERT_TRUE(OpenWithDocumentTool(report.string()));
    int status = 0;
    ASSERT_GT(::waitpid(-1, &status, 0), 0);  // the lister has ended
    std::ifstream in(out);
    const std::string args{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(args, "1\n" + report.string() + "\n");
    EXPECT_TRUE(sink.messages.empty());

    fs::remove(out);
    EXPECT_FALSE(OpenWithDocumentTool((dir / "fehlt.rtf").string()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Fehler beim Öffnen der Datei " + (dir / "fehlt.rtf").string());
    EXPECT_FALSE(fs::exists(out));
    setting = saved;
    fs::remove_all(dir);
}

// Without a report program that is there, the report opens with the
// desktop's application for RTF files; where the desktop has no opener, the
// message says that the report was written and where it is.
TEST(DocumentTool, WithoutAListerTheDesktopOpensOrTheReportIsNamed) {
    winsys::ScopedRecordingSink sink;
    const fs::path dir = fs::temp_directory_path() / ("rigel_desktop_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "leer");
    const fs::path report = dir / "Pos.rtf";
    std::ofstream(report) << "{\\rtf1 x}";
    std::string& setting = GetRegSettings().m_strLister;
    const std::string saved = setting;
    setting = (dir / "bin" / "Plexdoc.exe").string();  // the suite's word processor, not installed
    {
        winsys::RecordingShell shell;
        EXPECT_TRUE(OpenWithDocumentTool(report.string()));
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0].first, "open");
        EXPECT_EQ(shell.calls[0].second, report);
    }
    // The desktop's shell alone, and no opener on the path.
    const char* path = std::getenv("PATH");
    const std::string oldPath = path ? path : "";
    ::setenv("PATH", (dir / "leer").c_str(), 1);
    EXPECT_FALSE(OpenWithDocumentTool(report.string()));
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Der Bericht wurde geschrieben: " + report.string() +
                                         "\nEs ist kein Programm zum Öffnen von RTF-Dateien eingerichtet; öffnen Sie "
                                         "den Bericht mit einer Textverarbeitung.");
    setting = saved;
    fs::remove_all(dir);
}

TEST_F(BaseDataTest, SilentCalcWritesExportsAndSavesWhenAsked) {
    SetSetting("bSaveAlways", "1");
    data_.SilentCalc();
    EXPECT_EQ(RootInt("testCalcCalls"), 1);
    EXPECT_NE(Child("exports"), 0u);
    EXPECT_TRUE(fs::exists(path_));
}

TEST_F(BaseDataTest, StartPageMemory) {
    EXPECT_EQ(data_.GetStartPage(2), 2);
    data_.SetLastPage(5);
    EXPECT_EQ(data_.GetStartPage(2), 5);
    ZEVUD_SetInt(Root(), "bJustLoaded", 1);
    EXPECT_EQ(data_.GetStartPage(2), 2);
    EXPECT_EQ(ZEVUD_HasAttr(Root(), "bJustLoaded"), 0);
    EXPECT_EQ(data_.GetStartPage(2), 5);
    SetSetting("bAlwaysQuillTab", "1");
    EXPECT_EQ(data_.GetStartPage(2), 0);
    EXPECT_EQ(data_.GetVortextCaption(), "Vortexttabelle");
}
