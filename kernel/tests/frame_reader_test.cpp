// The member-design document reader: system, sections, hinges, springs,
// loads, combinations and the refusal of documents that do not fit.
#include <gtest/gtest.h>

#include <cmath>

#include "frame_fixture.h"
#include "kernel/KernelErrors.h"
#include "kernel/MemberDesignReader.h"

using namespace tovik;
using frame_test::PositionDoc;

namespace {

struct FrameReaderTest : ::testing::Test {
    frame_test::ScratchDir dir{"reader"};
    winsys::ScopedRecordingSink sink;
    std::unique_ptr<RunState> run = std::make_unique<RunState>();

    int32_t Read(PositionDoc& d) { return ReadMemberDesignDom(*run, d.doc, 1); }
};

TEST_F(FrameReaderTest, ThreeFieldElementsGiveTwoSpansWithSupportsAndNodeNumbers) {
    PositionDoc d((dir.path() / "Pos1.vkx").string());
    d.AddField(4.0);
    d.AddField(5.0);
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.nFeld, 2);
    EXPECT_EQ(r.nLagerTyp, 4);
    EXPECT_EQ(r.Kn_Lager[0], 1);
    EXPECT_EQ(r.Kn_Lager[1], 2);
    EXPECT_EQ(r.Kn_Lager[2], 3);
    // Field element 0 gives only support type 1.
    EXPECT_FLOAT_EQ(r.LagerTyp[0].cx, -1.0f);
    EXPECT_FLOAT_EQ(r.LagerTyp[1].cx, 0.0f);
    EXPECT_DOUBLE_EQ(r.KnotenPos[1], 4.0);
    EXPECT_DOUBLE_EQ(r.GesamtLaenge, 9.0);
    EXPECT_EQ(r.Titel, "Vorbelegung VK-TOVIK");
    EXPECT_EQ(r.QsDatei, (dir.path() / "Pos1.temp.skw").string());
    EXPECT_EQ(run->reader.NormName, "EC");
    EXPECT_FALSE(run->stopped);
}

TEST_F(FrameReaderTest, TaperedFieldBetweenPrismaticOnesTakesTwoSectionNumbers) {
    PositionDoc d("Pos1.vkx");
    d.AddField(3.0, "HEA 200");
    d.AddField(3.0, "HEA 240");
    ZVELEM s = d.AddField(3.0, "HEA 300");
    PositionDoc::MakeTapered(s, "HEA 400", 159.0);
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.nQs, 4);
    EXPECT_EQ(r.Feld_QsA[0], 1);
    EXPECT_EQ(r.Feld_QsE[0], 1);
    EXPECT_EQ(r.Feld_QsA[1], 2);
    EXPECT_EQ(r.Feld_QsE[1], 2);
    EXPECT_EQ(r.Feld_QsA[2], 3);
    EXPECT_EQ(r.Feld_QsE[2], 4);
    // Section number k names index k-1.
    EXPECT_EQ(r.Qs_Name[static_cast<size_t>(r.SectionIndex(3))], "HEA 300");
    EXPECT_EQ(r.Qs_Name[static_cast<size_t>(r.SectionIndex(4))], "HEA 400");
    EXPECT_EQ(r.SectionIndex(5), -1);
    EXPECT_EQ(r.SectionIndex(0), -1);
    EXPECT_DOUBLE_EQ(run->reader.SectionArea[3], 159.0);
}

TEST_F(FrameReaderTest, TheSectionDatabaseKeyOfTheProfileReferenceNamesTheSection) {
    PositionDoc d("Pos1.vkx");
    // A user-defined section: shown as "Mein Blechträger", stored under its
    // key "PS1A" (start) and "PS1E" (end of the haunch).
    ZVELEM s = d.AddField(3.0, "Mein Blechträger");
    ZEVUD_SetString(ZEVUD_FindFirstChild(s, "sectlib"), "profName", "PS1A");
    PositionDoc::MakeTapered(s, "Mein Blechträger Ende", 60.0);
    ZEVUD_SetString(ZEVUD_FindFirstChild(s, "sectlib2"), "profName", "PS1E");
    // A catalogue section whose reference carries no key keeps its name.
    d.AddField(3.0, "HEA 240");
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.Qs_Name[0], "PS1A");
    EXPECT_EQ(r.Qs_Name[1], "PS1E");
    EXPECT_EQ(r.Qs_Name[2], "HEA 240");
}

TEST_F(FrameReaderTest, SubdivisionsAreEvenAndAtLeastTwo) {
    const struct { int in, out; } cases[] = {{5, 6}, {0, 2}, {4, 6}, {1, 2}, {10, 12}};
    for (const auto& c : cases) {
        auto fresh = std::make_unique<RunState>();
        PositionDoc d("Pos1.vkx");
        d.AddField(4.0, "HEA 200", c.in);
        ASSERT_EQ(ReadMemberDesignDom(*fresh, d.doc, 1), 0);
        EXPECT_EQ(fresh->cdltr.nTeilung[0], c.out) << "nTeilung " << c.in;
    }
}

TEST_F(FrameReaderTest, MirrorFlagsGiveMirrorCodes) {
    const struct { int y, z, code; } cases[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 2}};
    for (const auto& c : cases) {
        auto fresh = std::make_unique<RunState>();
        PositionDoc d("Pos1.vkx");
        ZVELEM s = d.AddField(4.0);
        ZEVUD_SetInt(s, "bMirrorY", c.y);
        ZEVUD_SetInt(s, "bMirrorZ", c.z);
        ASSERT_EQ(ReadMemberDesignDom(*fresh, d.doc, 1), 0);
        EXPECT_EQ(fresh->cdltr.Qs_Spiegel[0], c.code) << c.y << c.z;
    }
}

TEST_F(FrameReaderTest, HingeSetsOnlyTheFieldEndAtItsNode) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    d.AddField(4.0);
    d.AddField(4.0);
    d.AddHinge(0, 1);  // start of field 0
    d.AddHinge(1, 1);  // end of field 0: the start hinge stays
    d.AddHinge(2, 1);  // end of field 1
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.nGelenkTyp, 3);
    EXPECT_EQ(r.Feld_GelA[0], 1);
    EXPECT_EQ(r.Feld_GelE[0], 2);
    EXPECT_EQ(r.Feld_GelA[1], 0);
    EXPECT_EQ(r.Feld_GelE[1], 3);
    EXPECT_EQ(r.GelenkTyp[0].My, 1);
    EXPECT_EQ(r.OhneGelenke, 0);
}

TEST_F(FrameReaderTest, SpringLengthDecidesBetweenSingleSpringAndBedding) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    d.AddSpring(0, 1.0, 0.0001);
    d.AddSpring(0, 1.0, 0.00011);
    ASSERT_EQ(Read(d), 0);
    EXPECT_EQ(run->cdltr.nFeder, 1);
    EXPECT_EQ(run->cdltr.nBettung, 1);
    EXPECT_FLOAT_EQ(run->cdltr.Feder[0].cz, 1000.0f);
    EXPECT_FLOAT_EQ(run->cdltr.Bettung[0].length, 0.00011f);
}

TEST_F(FrameReaderTest, SelfWeightOfHundredSquareCentimetresIsPointSevenEightFive) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0, "HEA 200", 4, 100.0);
    d.AddLoad(11, "1", 0, 0, 0.0, 0.0, 0.0, 0.0);
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    ASSERT_EQ(r.nStreckenL(), 1);
    const LineLoad& l = r.StreckenL[0];
    // 78.5 kN/m³ · 100 cm² · 1e-4 m²/cm² = 0.785 kN/m
    EXPECT_NEAR(l.pz0, 0.785, 1e-6);
    EXPECT_NEAR(l.pz1, 0.785, 1e-6);
    EXPECT_FLOAT_EQ(l.px0, 0.0f);
    EXPECT_FLOAT_EQ(l.py0, 0.0f);
    EXPECT_FLOAT_EQ(l.length, 4.0f);
    EXPECT_EQ(l.node, 1);
    EXPECT_EQ(l.LCGen, 1);
}

TEST_F(FrameReaderTest, LoadWithSeveralLoadCasesIsFiledUnderEach) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    d.AddLoad(10, "1,3,5", 0, 2, 10.0, 0.0, 0, 0, 2.0);
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    ASSERT_EQ(r.nEinzelF(), 3);
    EXPECT_EQ(r.EinzelF[0].LCGen, 1);
    EXPECT_EQ(r.EinzelF[1].LCGen, 3);
    EXPECT_EQ(r.EinzelF[2].LCGen, 5);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(r.EinzelF[i].Pz, 10.0f);
    EXPECT_EQ(r.nLf, 5);
}

TEST_F(FrameReaderTest, LoadKindsFillTheirTables) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    d.AddLoad(0, "1", 0, 1, 2.0, 0, 0, 0, 0.5, 1.0);    // constant line load in y
    d.AddLoad(1, "1", 0, 2, 2.0, 3.0, 0, 0, 0.0, 4.0);  // linear line load in z
    d.AddLoad(5, "2", 1, 2, 1.5);                       // settlement in z
    d.AddLoad(10, "2", 0, 0, 0.0, 5.0);                 // point moment only, Mx
    d.AddLoad(10, "4", 0, 1, 0.0, 0.0);                 // nothing, but load case 4
    d.AddLoad(4, "2", 0, 2, 10.0, 30.0, 0, 0, 0, 4.0);  // temperature gradient z
    d.AddLoad(7, "2", 0, 0, 1.0, 2.0, 0, 0, 0, 4.0);    // linear line moment
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    ASSERT_EQ(r.nStreckenL(), 2);
    EXPECT_FLOAT_EQ(r.StreckenL[0].py0, 2.0f);
    EXPECT_FLOAT_EQ(r.StreckenL[0].py1, 2.0f);
    EXPECT_FLOAT_EQ(r.StreckenL[0].pz0, 0.0f);
    EXPECT_FLOAT_EQ(r.StreckenL[0].offset, 0.5f);
    EXPECT_FLOAT_EQ(r.StreckenL[1].pz0, 2.0f);
    EXPECT_FLOAT_EQ(r.StreckenL[1].pz1, 3.0f);
    ASSERT_EQ(r.nZwang(), 1);
    EXPECT_FLOAT_EQ(r.Zwang[0].dw, 1.5f);
    EXPECT_FLOAT_EQ(r.Zwang[0].dv, 0.0f);
    EXPECT_EQ(r.Zwang[0].node, 2);
    EXPECT_EQ(r.nEinzelF(), 0);
    ASSERT_EQ(r.nEinzelM(), 1);
    EXPECT_FLOAT_EQ(r.EinzelM[0].Mx, 5.0f);
    ASSERT_EQ(r.nTempL(), 2);
    EXPECT_FLOAT_EQ(r.TempL[0].dT2, -20.0f);
    EXPECT_FLOAT_EQ(r.TempL[1].TempA, 1.0f);
    EXPECT_FLOAT_EQ(r.TempL[1].TempB, 2.0f);
    EXPECT_EQ(r.nLf, 4);
}

TEST_F(FrameReaderTest, LoadsStayInTheDocumentsAxes) {
    // The section's principal angle does not turn the loads here: data
    // preparation turns each load once, with the section at its position.
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0, "L 100x50", 4, 10.0, M_PI / 2);
    d.AddLoad(10, "1", 0, 2, 10.0);
    d.AddLoad(0, "1", 0, 1, 3.0);
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.EinzelF[0].Py, 0.0f);
    EXPECT_EQ(r.EinzelF[0].Pz, 10.0f);
    EXPECT_EQ(r.StreckenL[0].py0, 3.0f);
    EXPECT_EQ(r.StreckenL[0].pz0, 0.0f);
}

TEST_F(FrameReaderTest, SwayAnglesOfTheModuleAreReadInTheirUnits) {
    // The module writes the sway values in per cent: psiY and psiZ stay per
    // cent, the common angle psiGlobal is kept in radians (0.5 % = 1/200).
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    ZEVUD_SetInt(d.vorv, "vorvType", 0);
    ZEVUD_SetInt(d.vorv, "psiDirekt", 1);
    ZEVUD_SetDouble(d.vorv, "psiGlobal", 0.5);
    ZEVUD_SetDouble(d.vorv, "psiY", 0.25);
    ZEVUD_SetDouble(d.vorv, "psiZ", 0.4);
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.vorvType, 0);
    EXPECT_EQ(r.psiDirekt, 1);
    EXPECT_NEAR(r.psiGlobal, 1.0 / 200.0, 1e-9);
    EXPECT_FLOAT_EQ(r.psiY, 0.25f);
    EXPECT_FLOAT_EQ(r.psiZ, 0.4f);
}

TEST_F(FrameReaderTest, CombinationsUltimateFirstThenServiceability) {
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    d.AddLoad(10, "1,2,3", 0, 2, 10.0);
    d.AddCombination("Ed,perm", "1.0*(1+2)", "G+Q");
    d.AddCombination("Ed", "1.35*(1+2)+1.5*(3)", "ULS");
    d.AddCombination("Ed,A", "1.0*(3)", "ACC");
    ASSERT_EQ(Read(d), 0);
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.nLkName, 3);
    ASSERT_EQ(run->combos.LkArt.size(), 3u);
    EXPECT_EQ(run->combos.LkArt[0], "KNSW");
    EXPECT_EQ(run->combos.LkKat[1], "Ed,A");
    EXPECT_EQ(run->combos.LkArt[2], "Gebr.");
    EXPECT_EQ(run->combos.LkDesc[2], "G+Q");
    EXPECT_EQ(r.nKnickLk, 2);
    EXPECT_EQ(r.nRegelLk, 1);
    EXPECT_EQ(r.nKnickTerm, 4);
    EXPECT_EQ(r.nRegelTerm, 2);
    EXPECT_EQ(r.Lf_Einw[0], 1);
    EXPECT_EQ(r.Lf_Einw[2], 1);
    EXPECT_EQ(run->combos.EinwText[0], "1,2,3");
}

TEST_F(FrameReaderTest, UserPointsAreIndexedByTheirKey) {
    PositionDoc d("Pos1.vkx", "VADU");
    d.AddField(4.0);
    ZVELEM p = ZEVUD_AddChildElement(d.system, "POI");
    ZEVUD_SetInt(p, "bActiv", 1);
    ZEVUD_SetDouble(p, "idx", 2.5);
    ZEVUD_SetInt(p, "tqe", 3);
    ZEVUD_SetString(p, "name", "Obergurt");
    ZVELEM q = ZEVUD_AddChildElement(d.system, "POI");
    ZEVUD_SetInt(q, "bActiv", 0);
    ZEVUD_SetString(q, "name", "aus");
    ASSERT_EQ(Read(d), 0);
    EXPECT_EQ(run->reader.bVadu, 1);
    ASSERT_EQ(run->reader.UserPoints.size(), 2u);
    EXPECT_EQ(run->reader.UserPointIndex.at("<3><2.50>"), std::vector<int32_t>{0});
    EXPECT_EQ(run->reader.UserPointIndex.at("<-1><0.00>"), std::vector<int32_t>{1});
}

// Documents that cannot be calculated: each stops the run with its code and
// an error line that names the fault.
struct Refusal {
    const char* name;
    std::function<void(PositionDoc&)> damage;
    int32_t code;
    const char* textPart;
};

TEST_F(FrameReaderTest, DocumentsOutsideTheModelAreRefusedWithCodeAndText) {
    const Refusal cases[] = {
        {"no input", [](PositionDoc& d) { ZEVUD_DeleteElement(d.input); }, codes::kNoInput, "'input'"},
        {"two inputs", [](PositionDoc& d) { ZEVUD_AddChildElement(d.root, "input"); }, codes::kNoInput, "mehr als einen"},
        {"no loads part", [](PositionDoc& d) { ZEVUD_DeleteElement(d.loads); }, codes::kMissingInputPart, "input\\loads"},
        {"no combinations part", [](PositionDoc& d) { ZEVUD_DeleteElement(d.lastUeb); }, codes::kMissingInputPart,
         "lastUeberlagerung"},
        {"missing field element", [](PositionDoc& d) { ZEVUD_SetInt(d.system, "numOfFields", 4); },
         codes::kMissingInputPart, "field_3"},
        {"no fields", [](PositionDoc& d) { ZEVUD_SetInt(d.system, "numOfFields", 1); }, codes::kModelTooLarge,
         "Felder"},
        {"load case 501", [](PositionDoc& d) { d.AddLoad(10, "501", 0, 2, 1.0); }, codes::kBadValue, "501"},
        {"load case 0", [](PositionDoc& d) { d.AddLoad(10, "0", 0, 2, 1.0); }, codes::kBadValue, "Lastfall"},
        {"load case text", [](PositionDoc& d) { d.AddLoad(10, "1,x", 0, 2, 1.0); }, codes::kBadValue, "1,x"},
        {"load node beyond the member", [](PositionDoc& d) { d.AddLoad(10, "1", 7, 2, 1.0); }, codes::kBadValue,
         "Knoten 7"},
        {"bad direction", [](PositionDoc& d) { d.AddLoad(0, "1", 0, 3, 1.0); }, codes::kBadValue, "Richtung"},
        {"missing load element", [](PositionDoc& d) { ZEVUD_SetInt(d.loads, "numOfLoads", 1); },
         codes::kMissingInputPart, "load_0"},
        {"hinge beyond the member", [](PositionDoc& d) { d.AddHinge(9, 1); }, codes::kBadValue, "Gelenk"},
        {"too many hinges", [](PositionDoc& d) { ZEVUD_SetInt(d.gelenke, "numOfGelenke", 36); },
         codes::kModelTooLarge, "Gelenke"},
        {"rule naming case 501", [](PositionDoc& d) { d.AddCombination("Ed", "1.35*(1+501)"); }, codes::kBadValue,
         "501"},
        {"long section name", [](PositionDoc& d) {
             ZEVUD_SetString(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(d.system, "field_1"), "section"), "profName",
                             std::string(50, 'X').c_str());
         }, codes::kBadValue, "49"},
        {"zero length", [](PositionDoc& d) {
             ZEVUD_SetDouble(ZEVUD_FindFirstChild(d.system, "field_1"), "length", 0.0);
         }, codes::kBadValue, "Feldlänge"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        auto fresh = std::make_unique<RunState>();
        PositionDoc d("Pos1.vkx");
        d.AddField(4.0);
        d.AddField(4.0);
        c.damage(d);
        EXPECT_EQ(ReadMemberDesignDom(*fresh, d.doc, 1), c.code);
        EXPECT_TRUE(fresh->stopped);
        EXPECT_EQ(fresh->stopCode, c.code);
        EXPECT_NE(fresh->ErrorLines.find("FEHLER:  "), std::string::npos);
        EXPECT_NE(fresh->ErrorLines.find(c.textPart), std::string::npos) << fresh->ErrorLines;
    }
}

TEST_F(FrameReaderTest, EighteenTaperedFieldsNeedMoreSectionsThanTheModelHolds) {
    PositionDoc d("Pos1.vkx");
    for (int i = 0; i < 18; ++i) PositionDoc::MakeTapered(d.AddField(1.0), "HEA 300", 112.0);
    EXPECT_EQ(Read(d), codes::kModelTooLarge);
    EXPECT_NE(run->ErrorLines.find("mehr als 35 Querschnitte"), std::string::npos) << run->ErrorLines;
}

TEST_F(FrameReaderTest, SectionValuesAreReadInTheModulesSpelling) {
    PositionDoc d("Pos1.vkx");
    ZVELEM s = d.AddField(4.0, "HEA 200", 4, 0.0);
    // The old spelling alone does not count.
    ZEVUD_DeleteElement(ZEVUD_FindFirstChild(s, "sectlib"));
    ZVELEM old = ZEVUD_AddChildElement(s, "Sectlib");
    ZEVUD_SetDouble(old, "A", 99.0);
    ASSERT_EQ(Read(d), 0);
    EXPECT_DOUBLE_EQ(run->reader.SectionArea[0], 0.0);

    auto fresh = std::make_unique<RunState>();
    PositionDoc e("Pos2.vkx");
    e.AddField(4.0, "HEA 200", 4, 77.0);
    ASSERT_EQ(ReadMemberDesignDom(*fresh, e.doc, 1), 0);
    EXPECT_DOUBLE_EQ(fresh->reader.SectionArea[0], 77.0);
}

TEST_F(FrameReaderTest, FullPointForceListAsksOnceAndRefusesTheModel) {
    SetOverflowWarning(true);
    PositionDoc d("Pos1.vkx");
    d.AddField(4.0);
    for (int i = 0; i < limits::kLoadListCapacity; ++i) d.AddLoad(10, "1", 0, 2, 1.0);
    sink.defaultAnswer = winsys::IdNo;
    EXPECT_EQ(Read(d), codes::kModelTooLarge);
    EXPECT_EQ(run->cdltr.nEinzelF(), limits::kMaxLoadsPerList);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Überlauf #Einzellasten > 400\nWeitere Meldungen ignorieren?");
    EXPECT_EQ(sink.messages[0].buttons, winsys::Buttons::YesNo);
}

TEST(FrameReaderHelpers, SubdivisionCountByLength) {
    const struct { double l; int n; } cases[] = {{1.99, 6}, {2.0, 6}, {2.9, 8}, {3.0, 8}, {4.0, 10}, {4.9, 12}, {5.0, 12}, {20.0, 12}};
    for (const auto& c : cases) EXPECT_EQ(SubdivisionCount(c.l), c.n) << c.l;
}

TEST(FrameReaderHelpers, RotateVectorTurnsByTheAngle) {
    float a = 3.0f, b = 4.0f;
    RotateVector(a, b, static_cast<float>(M_PI));
    EXPECT_NEAR(a, -3.0f, 1e-5);
    EXPECT_NEAR(b, -4.0f, 1e-5);
}

TEST(FrameReaderHelpers, LoadCaseListsParseOrRefuse) {
    EXPECT_EQ(ParseLoadCaseList("1,3,5"), (std::vector<int32_t>{1, 3, 5}));
    EXPECT_EQ(ParseLoadCaseList(" 2 , 7"), (std::vector<int32_t>{2, 7}));
    EXPECT_EQ(ParseLoadCaseList("4,4"), (std::vector<int32_t>{4}));
    EXPECT_TRUE(ParseLoadCaseList("").empty());
    EXPECT_TRUE(ParseLoadCaseList("1,,2").empty());
    EXPECT_TRUE(ParseLoadCaseList("-1").empty());
    EXPECT_TRUE(ParseLoadCaseList("1.5").empty());
}

TEST(FrameReaderHelpers, OverflowWarningYesSwitchesItOff) {
    winsys::ScopedRecordingSink sink;
    SetOverflowWarning(true);
    sink.scriptedAnswers = {winsys::IdYes};
    int32_t count = 399;
    EXPECT_TRUE(CountListEntry(count, 400, "Linienlasten"));
    EXPECT_EQ(count, 399);
    EXPECT_FALSE(OverflowWarning());
    EXPECT_TRUE(CountListEntry(count, 400, "Linienlasten"));
    EXPECT_EQ(sink.messages.size(), 1u);
    count = 5;
    EXPECT_FALSE(CountListEntry(count, 400, "Linienlasten"));
    EXPECT_EQ(count, 6);
    SetOverflowWarning(true);
}

}  // namespace
