// The kernel text input file: reading and writing the ".vk1" layout, the
// code page of its texts, the limits of the record, and the test calculation
// with its side files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "kernel/KernelPhases.h"
#include "kernel/KernelRun.h"
#include "kernel/ModelRecord.h"
#include "kernel/TextInput.h"
#include "testsupport/scratch.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;
using namespace tovik;

namespace {

class Vk1Test : public ::testing::Test {
protected:
    // A folder of this test, current while the test runs.
    test_support::ScratchDir scratch_{"vk1_input_" + std::to_string(::getpid()) + "_" +
                                      ::testing::UnitTest::GetInstance()->current_test_info()->name()};

    static void WriteBytes(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string ReadBytes(const std::string& name) {
        std::ifstream f(name, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // Reads the file into a fresh run.
    static std::unique_ptr<RunState> Read(const std::string& name, int32_t* rc = nullptr) {
        auto run = std::make_unique<RunState>();
        run->RunBaseName = "probe";
        std::FILE* f = std::fopen(name.c_str(), "r");
        EXPECT_NE(f, nullptr);
        const int32_t r = ReadWriteVk1(f, 1, *run);
        if (f) std::fclose(f);
        if (rc) *rc = r;
        return run;
    }
    static void Write(RunState& run, const std::string& name, int32_t version) {
        std::FILE* f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(WriteVk1(f, run, version), 0);
        std::fclose(f);
    }

    // A two-field beam with a hinge, two sections, one support type, loads of
    // every kind, two load cases and one combination of each kind.
    static std::unique_ptr<RunState> Sample() {
        auto run = std::make_unique<RunState>();
        ModelRecord& r = run->cdltr;
        r.Titel = "Träger über 2 Felder";
        r.nFeld = 2;
        r.SysFlag = 0;
        r.OhneGelenke = 0;
        r.profOrientation = 1;
        r.Kn_Lager = {1, 1, 1};
        r.Feld_L = {4.5f, 3.25f};
        r.nTeilung = {8, 6};
        r.Feld_QsA = {1, 2};
        r.Feld_QsE = {1, 2};
        r.Feld_GelA = {0, 1};
        r.Feld_GelE = {0, 0};
        r.nGelenkTyp = 1;
        r.GelenkTyp[0] = {0, 0, 0, 0, 1, 0, 1};
        r.nQs = 2;
        r.Qs_Name[0] = "HE 200 B";
        r.Qs_Name[1] = "IPE 300";
        r.Mat = {1, 2};
        r.Qs_GammaM = {1.1f, 1.0f};
        r.Qs_Spiegel = {0, 2};
        r.Qs_Dreh = {0.0f, 90.0f};
        r.nLagerTyp = 1;
        r.LagerTyp[0] = {-1, -1, -1, -1, 0, 0, 0};
        r.nBettung = 1;
        r.Bettung[0] = {0, 0.5f, 2.0f, 0, 100, 0, 200, 0, 0, 0, 0};
        r.nFeder = 1;
        r.Feder[0] = {1, 0.25f, 5.0f, -5.0f, 1000.0f, 0.0f};
        r.Gamma = 78.5f;
        r.GammaOpt = 0;
        r.EinzelF.Append({1, 1, 2.0f, 0, 10.0f, 0, 0, 25.5f});
        r.EinzelM.Append({2, 2, 1.0f, 0, 3.0f, 0});
        r.Zwang.Append({1, 3, 0, 0, -1.0f, 0, 0, 0});
        r.StreckenL.Append({1, 1, 0, 4.5f, 0, 0, 0, 0, 0, 0, 5.0f, 7.5f, 0, 0});
        r.TempL.Append({2, 2, 0, 3.25f, 20, 30, 10, 0, 5});
        r.nLf = 2;
        r.nRegelLk = 1;
        r.nKnickLk = 1;
        r.vorvType = 2;
        r.psiDirekt = 1;
        r.psiGlobal = 0.005f;
        r.ausmitte = 1.5f;
        r.ausmitteKnoten = 1;
        r.printFlags.fill(1);
        r.printFlags[19] = 0;
        r.DruckFak = 5.0f;
        r.DruckOpt = 2;
        r.StahlTab = 1;
        r.nEinw = 2;
        r.nEinwGr = 1;
        r.Lf_Einw[0] = 1;
        r.Lf_Einw[1] = 2;
        r.Einw_A[0] = 0;
        r.Einw_A[1] = 1;
        r.Einw_Opt = {1, 1, 1};
        r.Einw_F1[0] = 1.0f;
        r.Einw_F2[0] = 1.35f;
        r.Einw_F1[1] = 1.0f;
        r.Einw_F2[1] = 1.5f;
        r.nLkName = 2;
        run->combos.LkArt = {"KNSW", "Gebr."};
        run->combos.LkRegel = {"1.35*(1)+1.5*(2)", "1.0*(1)+1.0*(2)"};
        // Old-form terms (written only in files of version 1).
        r.Lf_Kz = {1, 2};
        r.Lf_Typ = {0, 1};
        r.nRegelTerm = 2;
        r.RegelTerm = {{1, 0, 1.0f}, {1, 1, 1.0f}};
        r.nKnickTerm = 2;
        r.KnickTerm = {{1, 0, 1.35f}, {1, 1, 1.5f}};
        return run;
    }

};

TEST_F(Vk1Test, WrittenFileReadsBackEveryGroup) {
    auto src = Sample();
    Write(*src, "m.vk1", 2);
    const std::string bytes = ReadBytes("m.vk1");
    EXPECT_EQ(bytes.rfind("    1    2    1    5  8.00 'VK-TOVIK'\n", 0), 0u);
    // Texts in the single-byte code page between their delimiters.
    EXPECT_NE(bytes.find("\xAETr\xE4ger \xFC" "ber 2 Felder\xAF"), std::string::npos);

    winsys::ScopedRecordingSink sink;
    int32_t rc = -1;
    auto run = Read("m.vk1", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_FALSE(run->stopped);
    EXPECT_TRUE(sink.messages.empty());
    const ModelRecord& a = src->cdltr;
    const ModelRecord& b = run->cdltr;
    EXPECT_EQ(b.Titel, a.Titel);
    EXPECT_EQ(b.QsDatei, "probe.skw");
    EXPECT_EQ(b.nFeld, 2);
    EXPECT_EQ(b.profOrientation, 1);
    EXPECT_EQ(b.Kn_Lager, a.Kn_Lager);
    EXPECT_EQ(b.Feld_L, a.Feld_L);
    EXPECT_EQ(b.nTeilung, a.nTeilung);
    EXPECT_EQ(b.Feld_GelA, a.Feld_GelA);
    EXPECT_EQ(b.nGelenkTyp, 1);
    EXPECT_EQ(b.GelenkTyp[0].My, 1);
    EXPECT_EQ(b.GelenkTyp[0].Mw, 1);
    EXPECT_EQ(b.Qs_Name[0], "HE 200 B");
    EXPECT_EQ(b.Qs_Name[1], "IPE 300");
    EXPECT_EQ(b.Mat, a.Mat);
    EXPECT_EQ(b.Qs_GammaM, a.Qs_GammaM);
    EXPECT_EQ(b.Qs_Spiegel, a.Qs_Spiegel);
    EXPECT_EQ(b.Qs_Dreh, a.Qs_Dreh);
    EXPECT_EQ(b.LagerTyp[0].cx, -1.0f);
    EXPECT_EQ(b.Bettung[0].cz, 200.0f);
    EXPECT_EQ(b.Feder[0].cy, 1000.0f);
    EXPECT_EQ(b.Gamma, 78.5f);
    ASSERT_EQ(b.EinzelF.count, 1);
    EXPECT_EQ(b.EinzelF[0].Pz, 25.5f);
    EXPECT_EQ(b.EinzelF[0].ez, 10.0f);
    EXPECT_EQ(b.EinzelM[0].My, 3.0f);
    EXPECT_EQ(b.Zwang[0].dw, -1.0f);
    EXPECT_EQ(b.StreckenL[0].pz1, 7.5f);
    EXPECT_EQ(b.TempL[0].dT2, 5.0f);
    EXPECT_EQ(b.nLf, 2);
    EXPECT_EQ(b.psiGlobal, 0.005f);
    EXPECT_EQ(b.ausmitte, 1.5f);
    EXPECT_EQ(b.printFlags, a.printFlags);
    EXPECT_EQ(b.DruckOpt, 2);
    // Derived values.
    EXPECT_DOUBLE_EQ(b.KnotenPos[1], 4.5);
    EXPECT_DOUBLE_EQ(b.GesamtLaenge, 7.75);
    // Version 2: the action block and the combinations, turned into terms.
    EXPECT_EQ(b.StahlTab, 1);
    EXPECT_EQ(run->reader.StahlTab, 1);
    EXPECT_EQ(b.Lf_Einw[1], 2);
    EXPECT_EQ(b.Einw_A[1], 1);
    EXPECT_EQ(b.Einw_A[2], -1);
    EXPECT_EQ(b.Einw_F2[1], 1.5f);
    ASSERT_EQ(b.nLkName, 2);
    EXPECT_EQ(run->combos.LkRegel[0], "1.35*(1)+1.5*(2)");
    EXPECT_EQ(b.nKnickLk, 1);
    EXPECT_EQ(b.nRegelLk, 1);
    EXPECT_EQ(b.nKnickTerm, 2);
}

TEST_F(Vk1Test, WithoutHingesNoHingeBlockIsReadAndEveryFieldEndIsRigid) {
    // Hinge numbers in the field lines, but no hinge block: the section count
    // follows the field lines directly.
    const std::string file = "    1    2    1    5  8.00 'VK-TOVIK'\n \xAE \xAF\n"
                             " 1 0 1 0\n 1\n 6.0 1 8 1 1 3 4\n"
                             " 1\n 2 1.1 0 0.0 \xAEIPE 300\xAF\n"
                             " 0\n 0\n 0\n 0 0\n 0\n 0\n 0\n 0\n 0\n 0 0 0\n"
                             " 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
                             " 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n 5 2\n"
                             " 0\n 0 0\n\n\n\n\n 0 0 0\n 0\n";
    WriteBytes("h.vk1", file);
    int32_t rc = -1;
    auto run = Read("h.vk1", &rc);
    EXPECT_EQ(rc, 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.Feld_GelA[0], 0);
    EXPECT_EQ(r.Feld_GelE[0], 0);
    EXPECT_EQ(r.nGelenkTyp, 0);
    // A section line: four numbers, then the delimited name with its blank.
    ASSERT_EQ(r.nQs, 1);
    EXPECT_EQ(r.Mat[0], 2);
    EXPECT_FLOAT_EQ(r.Qs_GammaM[0], 1.1f);
    EXPECT_EQ(r.Qs_Name[0], "IPE 300");
    // An empty title (0xAE, blank, 0xAF) reads as one blank.
    EXPECT_EQ(r.Titel, " ");
    EXPECT_EQ(r.DruckFak, 5.0f);
}

TEST_F(Vk1Test, EmptyTitleIsWrittenAsOneBlankBetweenDelimiters) {
    auto src = Sample();
    src->cdltr.Titel.clear();
    Write(*src, "e.vk1", 2);
    EXPECT_NE(ReadBytes("e.vk1").find("\n \xAE \xAF\n"), std::string::npos);
    EXPECT_EQ(Read("e.vk1")->cdltr.Titel, " ");
}

TEST_F(Vk1Test, VersionOneEndsAfterTheReportSwitchesAndShowsItsNoticeOnce) {
    auto src = Sample();
    Write(*src, "v1.vk1", 1);
    const std::string bytes = ReadBytes("v1.vk1");
    EXPECT_EQ(bytes.rfind("    1    1    1    5", 0), 0u);
    // The last line is the one of DruckFak and DruckOpt.
    EXPECT_EQ(bytes.substr(bytes.size() - 5), " 5 2\n");

    winsys::ScopedRecordingSink sink;
    int32_t rc = -1;
    auto run = Read("v1.vk1", &rc);
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              "Daten sind aus der Version 1\nSie müssen das Kapitel Lastkollektive\n"
              "nachbearbeiten (Einwirkungen + neue Lastkollektive bilden\n");
    const ModelRecord& r = run->cdltr;
    // The old terms are read, the action block stays cleared.
    EXPECT_EQ(r.nRegelTerm, 2);
    EXPECT_EQ(r.nKnickTerm, 2);
    EXPECT_FLOAT_EQ(r.KnickTerm[1].Fak, 1.5f);
    EXPECT_EQ(r.Lf_Typ[1], 1);
    EXPECT_EQ(r.nRegelLk, 1);
    EXPECT_EQ(r.nKnickLk, 1);
    EXPECT_EQ(r.StahlTab, 0);
    EXPECT_EQ(r.Lf_Einw[0], 0);
    EXPECT_EQ(r.Einw_A[0], -1);
    EXPECT_EQ(r.Einw_C[2499], -1);
    EXPECT_EQ(r.nLkName, 0);
}

TEST_F(Vk1Test, UnicodeTextsTravelThroughTheCodePage) {
    EXPECT_EQ(Cp1252ToUtf8("Gr\xF6\xDF" "e \x80"), "Größe €");
    EXPECT_EQ(Utf8ToCp1252("Größe €"), "Gr\xF6\xDF" "e \x80");
    EXPECT_EQ(Utf8ToCp1252("日"), "?");
    // "¯" (U+00AF) is the end byte in the code page: it never ends a text
    // early, and UTF-8 bytes of other characters are never delimiters.
    auto src = Sample();
    src->cdltr.Titel = "a¯b ®c";
    src->cdltr.Qs_Name[0] = "Ą";  // UTF-8 C4 84: no character of the code page
    Write(*src, "u.vk1", 2);
    auto run = Read("u.vk1");
    EXPECT_FALSE(run->stopped);
    EXPECT_EQ(run->cdltr.Titel, "a-b ®c");
    EXPECT_EQ(run->cdltr.Qs_Name[0], "?");
    EXPECT_EQ(run->cdltr.Qs_Name[1], "IPE 300");
}

// Counts beyond the record's limits are refused; texts longer than their
// fields are cut with a warning.
TEST_F(Vk1Test, CountsBeyondTheLimitsAreRefused) {
    struct Case {
        const char* what;
        void (*change)(ModelRecord&);
        const char* expected;
    };
    const Case cases[] = {
        {"fields", [](ModelRecord& r) { r.nFeld = 31; }, "Anzahl der Felder = 31"},
        {"sections", [](ModelRecord& r) { r.nQs = 36; }, "Anzahl der Querschnitte = 36"},
        {"support types", [](ModelRecord& r) { r.nLagerTyp = 36; }, "Anzahl der Lagertypen = 36"},
        {"beddings", [](ModelRecord& r) { r.nBettung = 31; }, "Anzahl der Bettungen = 31"},
        {"load cases", [](ModelRecord& r) { r.nLf = 501; }, "Anzahl der Lastfälle = 501"},
        {"actions", [](ModelRecord& r) { r.nEinw = 2501; }, "Anzahl der Einwirkungen = 2501"},
        {"mirror", [](ModelRecord& r) { r.Qs_Spiegel[1] = 3; }, "Spiegelung 3 des Querschnitts 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto src = Sample();
        Write(*src, "ok.vk1", 2);
        // Edit the count in the written text: write a model with the wrong
        // count by hand where the writer would bound it.
        std::string bytes = ReadBytes("ok.vk1");
        ModelRecord probe = src->cdltr;
        c.change(probe);
        auto patch = [&](const std::string& from, const std::string& to) {
            const size_t p = bytes.find(from);
            ASSERT_NE(p, std::string::npos) << from;
            bytes.replace(p, from.size(), to);
        };
        if (probe.nFeld != src->cdltr.nFeld) patch("\n 2 0 0 1\n", "\n 31 0 0 1\n");
        if (probe.nQs != src->cdltr.nQs) patch("\n 2\n 1 1.1", "\n 36\n 1 1.1");
        if (probe.nLagerTyp != src->cdltr.nLagerTyp) patch("\n 1\n -1 -1 -1", "\n 36\n -1 -1 -1");
        if (probe.nBettung != src->cdltr.nBettung) patch("\n 1\n 0 0.5 2", "\n 31\n 0 0.5 2");
        if (probe.nLf != src->cdltr.nLf) patch("\n 2 1 1\n", "\n 501 1 1\n");
        if (probe.nEinw != src->cdltr.nEinw) patch("\n 2 1\n 1 2\n", "\n 2501 1\n 1 2\n");
        if (probe.Qs_Spiegel[1] != src->cdltr.Qs_Spiegel[1]) patch(" 2 1 2 90 ", " 2 1 3 90 ");
        WriteBytes("bad.vk1", bytes);
        int32_t rc = 0;
        auto run = Read("bad.vk1", &rc);
        EXPECT_NE(rc, 0);
        EXPECT_TRUE(run->stopped);
        EXPECT_NE(run->ErrorLines.find(c.expected), std::string::npos) << run->ErrorLines;
        EXPECT_LE(run->cdltr.nFeld, limits::kMaxFields);
        EXPECT_LE(run->cdltr.nQs, limits::kMaxSections);
    }
}

TEST_F(Vk1Test, LongTextsAreCutToTheirFields) {
    auto src = Sample();
    src->cdltr.Titel = std::string(90, 'T');
    src->cdltr.Qs_Name[0] = std::string(60, 'Q');
    Write(*src, "long.vk1", 2);
    auto run = Read("long.vk1");
    EXPECT_FALSE(run->stopped);
    EXPECT_EQ(run->cdltr.Titel, std::string(72, 'T'));
    EXPECT_EQ(run->cdltr.Qs_Name[0], std::string(49, 'Q'));
    // What follows the long texts is still read in place.
    EXPECT_EQ(run->cdltr.Qs_Name[1], "IPE 300");
    EXPECT_EQ(run->ErrorCount, 2);
    EXPECT_NE(run->ErrorLines.find("WARNUNG: Eingabedatei: der Titel ist länger als 72 Zeichen"), std::string::npos);
}

TEST_F(Vk1Test, ShortOrDamagedFileStopsTheRun) {
    auto src = Sample();
    Write(*src, "full.vk1", 2);
    const std::string bytes = ReadBytes("full.vk1");
    for (const std::string& cut : {bytes.substr(0, bytes.size() / 2), bytes.substr(0, 40),
                                   std::string("    1    2    1    5  8.00 'VK-TOVIK'\n \xAEohne Ende")}) {
        WriteBytes("short.vk1", cut);
        int32_t rc = 0;
        auto run = Read("short.vk1", &rc);
        EXPECT_NE(rc, 0);
        EXPECT_TRUE(run->stopped);
        EXPECT_NE(run->ErrorLines.find("endet vorzeitig oder ist fehlerhaft"), std::string::npos);
    }
    RunState run;
    EXPECT_EQ(ReadWriteVk1(nullptr, 1, run), 2);
    EXPECT_EQ(ReadVk1String(nullptr, &run.cdltr.Titel), -1);
}

// ---- the test calculation -------------------------------------------------------

class TestCalcTest : public Vk1Test {
protected:
    void SetUp() override {
        Vk1Test::SetUp();
        KernelPhases& p = phases_;
        p.PrepareSystemData = [](RunState&) { return 0; };
        p.ApplyLoads = [](RunState&) { return 0; };
        p.SetzeQuer = [](RunState&) { return 0; };
        p.BuildEnvelopes = [](RunState&, int32_t) { return 0; };
        p.SetImperfection = [](RunState&, int32_t) { return 0; };
        p.RechneDltr3D = [this](RunState&, int32_t modus, int32_t) { return modus == 0 ? code_ : 0; };
        p.PrintReport = [this](RunState& run) {
            ++reports_;
            // The analysis leaves the debug print file open here.
            return run.DebugPrintFile ? 0 : 1;
        };
    }
    KernelPhases phases_;
    int32_t code_ = 0;
    int reports_ = 0;
};

TEST_F(TestCalcTest, RunWithoutErrorsLeavesNoSideFileAndWritesTheReport) {
    auto src = Sample();
    Write(*src, "pos.vk1", 2);
    winsys::ScopedRecordingSink sink;
    RunState run;
    CalcTestCase(run, phases_, "pos");
    EXPECT_EQ(reports_, 1);
    EXPECT_FALSE(fs::exists("pos.err"));
    EXPECT_FALSE(fs::exists("pos.dru"));
    EXPECT_EQ(run.ErrorFile, nullptr);
    EXPECT_EQ(run.DebugPrintFile, nullptr);
}

TEST_F(TestCalcTest, RunWithErrorsKeepsTheErrorFile) {
    code_ = 2;  // the serviceability analysis fails
    auto src = Sample();
    Write(*src, "pos.vk1", 2);
    winsys::ScopedRecordingSink sink;
    RunState run;
    CalcTestCase(run, phases_, "pos");
    ASSERT_TRUE(fs::exists("pos.err"));
    EXPECT_NE(ReadBytes("pos.err").find("FEHLER:  Gleichungssystem instabil im LK 1"), std::string::npos);
    EXPECT_FALSE(fs::exists("pos.dru"));
    EXPECT_EQ(run.ErrorCount, 0);
}

TEST_F(TestCalcTest, DamagedFileKeepsItsReasonInTheErrorFileAndIsNotCalculated) {
    WriteBytes("bad.vk1", "    1    2    1    5  8.00 'VK-TOVIK'\n \xAEx\xAF\n 99 0 1 0\n");
    winsys::ScopedRecordingSink sink;
    RunState run;
    CalcTestCase(run, phases_, "bad");
    EXPECT_EQ(reports_, 0);
    ASSERT_TRUE(fs::exists("bad.err"));
    EXPECT_NE(ReadBytes("bad.err").find("Anzahl der Felder = 99"), std::string::npos);
}

TEST_F(TestCalcTest, MissingInputFileSaysSoAndMakesNoSideFiles) {
    winsys::ScopedRecordingSink sink;
    RunState run;
    CalcTestCase(run, phases_, "fehlt");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Eingabedatei kann nicht geöffnet werden");
    EXPECT_FALSE(fs::exists("fehlt.err"));
    EXPECT_FALSE(fs::exists("fehlt.dru"));
    EXPECT_EQ(reports_, 0);
}

}  // namespace
