// The module data of a position: defaults after Init, the input check, the
// load-case checks, the module variables and the norm settings.
#include <gtest/gtest.h>

#include <algorithm>

#include "moddata_fixture.h"
#include "module/CraneRoad.h"

namespace {

using namespace moddatatest;

class ModuleDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    std::vector<std::string> Texts(const CPlauMessageList& list) {
        std::vector<std::string> out;
        for (const CPlauMessage& m : list.m_messages) out.push_back(m.text);
        return out;
    }
    bool Contains(const CPlauMessageList& list, const std::string& part) {
        return std::any_of(list.m_messages.begin(), list.m_messages.end(),
                           [&](const CPlauMessage& m) { return m.text.find(part) != std::string::npos; });
    }
    winsys::ScopedRecordingSink sink;
};

TEST_F(ModuleDataTest, InitGivesOneFieldEntryAndNoSections) {
    CModuleData d;
    d.Init();
    EXPECT_EQ(d.m_fieldLengths.size(), 1u);
    EXPECT_EQ(d.m_supports.size(), 1u);
    EXPECT_TRUE(d.m_sections.empty());
    EXPECT_EQ(d.m_cranes.size(), 3u);
    EXPECT_EQ(d.m_rtfOptions.size(), 450u);
    EXPECT_EQ(d.m_rtfWizOptions.size(), 300u);
    EXPECT_EQ(d.m_craneRtfOptions, std::vector<int32_t>(55, 1));
    EXPECT_EQ(d.m_inputAnnotations.size(), 10u);
    EXPECT_EQ(d.m_supports[0].m_cx.GetValue(), -1.0);
    EXPECT_EQ(d.m_supports[0].m_cy.GetValue(), 0.0);
    EXPECT_EQ(d.m_supports[0].m_cz.GetValue(), -1.0);
    EXPECT_EQ(d.m_supports[0].m_cwoelb.GetValue(), -1.0);
    EXPECT_EQ(d.m_info.m_nNorm, 7);
    EXPECT_EQ(d.m_info.m_nLkNorm, 1);
}

TEST_F(ModuleDataTest, CheckInputOfAFreshPosition) {
    CModuleData d;
    d.Init();
    CPlauMessageList list;
    EXPECT_FALSE(d.CheckInput(list, 0));
    const std::vector<std::string> expected = {
        "Kapitel 'System': Es wurden keine Felder eingegeben",
        "Kapitel 'Lasten': Es wurden keine Lasten eingegeben",
        "Kapitel 'System', bzw. 'Federn/Bettungen': In Y-Richtung ist das System verschieblich!",
        "Kapitel 'System', bzw. 'Federn/Bettungen': Das System ist frei drehbar um die X-Achse!",
    };
    EXPECT_EQ(Texts(list), expected);
    for (const CPlauMessage& m : list.m_messages) EXPECT_EQ(m.type, PLAU_ERROR);
}

TEST_F(ModuleDataTest, CheckInputOfASoundBeamPasses) {
    CModuleData d;
    MakeBeam(d, {6.0}, 5.0, 10.0);
    CPlauMessageList list;
    EXPECT_TRUE(d.CheckInput(list, 0)) << ::testing::PrintToString(Texts(list));
    EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(ModuleDataTest, FreeTwistEndsTheCheck) {
    CModuleData d;
    MakeBeam(d, {6.0}, 5.0, 10.0);
    for (CSupport& s : d.m_supports) s.m_cmx.SetValue(0.0);
    d.m_loads[0].m_LCGen.m_strText = "0";  // would be reported, but the check ends first
    CPlauMessageList list;
    EXPECT_FALSE(d.CheckInput(list, 0));
    ASSERT_EQ(list.GetSize(), 1);
    EXPECT_EQ(list.GetAt(0).text,
              "Kapitel 'System', bzw. 'Federn/Bettungen': Das System ist frei drehbar um die X-Achse!");
}

TEST_F(ModuleDataTest, LoadCaseMessages) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> loads;  // action, load cases
        std::string checkInput;                          // "" none
        std::string checkLoadCases;
    } cases[] = {
        {"case 0", {{1, "0"}, {2, "2"}}, "Kapitel 'Lasten': Einer Last wurde kein Lastfall zugeordnet!",
         "Fehler! Lastfallnummer 0 ist unzulässig."},
        {"no case", {{1, ""}}, "Kapitel 'Lasten': Einer Last wurde kein Lastfall zugeordnet!",
         "Fehler! In der Lasteingabe fehlt die Lastfallnummer."},
        {"case 3 twice", {{1, "3"}, {2, "3"}}, "Kapitel 'Lasten': Ein Lastfall wurde mehreren Einwirkungen zugeordnet!",
         "Fehler! Lastfall '3' ist mehr als einer Einwirkung zugeordnet."},
        {"same action", {{1, "3"}, {1, "3,4"}}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CModuleData d;
        MakeBeam(d, {6.0}, 5.0, 10.0);
        d.m_loads.clear();
        for (const auto& [action, lc] : c.loads) d.m_loads.push_back(UniformLoad(action, lc, 1.0, 6.0));
        CPlauMessageList list;
        const bool ok = d.CheckInput(list, 0);
        if (c.checkInput.empty()) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(list.GetSize(), 0);
        } else {
            EXPECT_FALSE(ok);
            ASSERT_EQ(list.GetSize(), 1);
            EXPECT_EQ(list.GetAt(0).text, c.checkInput);
            EXPECT_EQ(list.GetAt(0).page, 6);
            EXPECT_EQ(list.GetAt(0).column, 2);
            EXPECT_GE(list.GetAt(0).row, 1);  // the load's row
        }
        std::string out = "x";
        d.CheckLoadCases(out);
        EXPECT_EQ(out, c.checkLoadCases);
    }
}

TEST_F(ModuleDataTest, SpringsAndLoadsOutsideTheMember) {
    struct Case {
        double springEnd;  // x of the spring's far end beyond the member end
        bool reported;
    } cases[] = {{0.005, false}, {0.02, true}};
    for (const Case& c : cases) {
        CModuleData d;
        MakeBeam(d, {6.0}, 5.0, 10.0);
        CSupport bedding;
        bedding.m_iNode = 0;
        bedding.m_posX.SetValue(3.0);
        bedding.m_length.SetValue(3.0 + c.springEnd);
        bedding.m_cz.SetValue(1000.0);
        d.m_springs = {bedding};
        CPlauMessageList list;
        d.CheckInput(list, 0);
        EXPECT_EQ(Contains(list, "Eine Feder/Bettung liegt ausserhalb des Systems!"), c.reported) << c.springEnd;
    }
    CModuleData d;
    MakeBeam(d, {6.0}, 5.0, 10.0);
    d.m_loads[1].m_length.SetValue(6.5);
    CPlauMessageList list;
    EXPECT_TRUE(d.CheckInput(list, 0));  // only a warning
    ASSERT_EQ(list.GetSize(), 1);
    EXPECT_EQ(list.GetAt(0).type, PLAU_WARNING);
    EXPECT_EQ(list.GetAt(0).text, "Kapitel 'Belastung': Eine Last liegt ausserhalb des Systems!");
}

TEST_F(ModuleDataTest, DefineVariablesGivesFieldLengthsAndTotal) {
    CModuleData d;
    MakeBeam(d, {2.5, 3.5}, 5.0, 10.0);
    d.DefineVariables();
    std::vector<std::string> paths, descriptions, units;
    std::vector<double> values;
    d.m_moduleVars.CollectVariables(paths, descriptions, units, values);
    auto find = [&](const std::string& path) -> int {
        auto it = std::find(paths.begin(), paths.end(), path);
        return it == paths.end() ? -1 : static_cast<int>(it - paths.begin());
    };
    struct Expect {
        const char* path;
        const char* desc;
        double value;
    } expected[] = {{"System\\l1", "Länge Feld 1", 2.5},
                    {"System\\l2", "Länge Feld 2", 3.5},
                    {"System\\tl", "Gesamtlänge", 6.0}};
    for (const Expect& e : expected) {
        const int i = find(e.path);
        ASSERT_GE(i, 0) << e.path;
        EXPECT_EQ(descriptions[static_cast<size_t>(i)], e.desc);
        EXPECT_EQ(units[static_cast<size_t>(i)], "m");
        EXPECT_DOUBLE_EQ(values[static_cast<size_t>(i)], e.value);
    }
    // Rolled IPE 300 of the catalogue: 30 cm high, 15 cm wide.
    const int h = find("Profil Feld 1\\prof1H");
    ASSERT_GE(h, 0);
    EXPECT_NEAR(values[static_cast<size_t>(h)], 30.0, 0.01);
    EXPECT_EQ(units[static_cast<size_t>(h)], "cm");
    const int b = find("Profil Feld 2\\prof2B");
    ASSERT_GE(b, 0);
    EXPECT_NEAR(values[static_cast<size_t>(b)], 15.0, 0.01);
    // A formula of a load sees the module variables.
    d.m_loads[0].m_val[0].SetFromText("2*tl");
    EXPECT_DOUBLE_EQ(d.m_loads[0].m_val[0].GetValue(), 12.0);
}

TEST_F(ModuleDataTest, HaunchedSectionDefinesStartAndEndVariables) {
    CModuleData d;
    MakeBeam(d, {6.0}, 5.0, 10.0);
    CSection& s = d.m_sections[0];
    s.m_bVoute = 1;
    s.m_profName2 = "IPE 360";
    d.DefineVariables();
    auto value = [&](const char* name) {
        double v = -1.0;
        EXPECT_TRUE(d.m_moduleVars.Evaluate(name, v)) << name;
        return v;
    };
    EXPECT_NEAR(value("prof1Ha"), 30.0, 0.01);
    EXPECT_NEAR(value("prof1He"), 36.0, 0.01);
    EXPECT_NEAR(value("prof1Ba"), 15.0, 0.01);
    EXPECT_NEAR(value("prof1Be"), 17.0, 0.01);
    std::vector<std::string> paths, descriptions, units;
    std::vector<double> values;
    d.m_moduleVars.CollectVariables(paths, descriptions, units, values);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "Profil Feld 1\\prof1H"), 0);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "Profil Feld 1\\prof1Ha"), 1);
}

TEST_F(ModuleDataTest, NormAndMaterialClass) {
    CModuleData d;
    MakeBeam(d, {3.0, 3.0}, 5.0, 10.0);
    d.m_calcSettings.m_gebrNachweis = 2;
    d.SetNormAndMaterialClass(8, 3);
    EXPECT_EQ(d.m_info.m_nNorm, 8);
    EXPECT_EQ(d.m_info.m_nLkNorm, 3);
    for (const CSection& s : d.m_sections) {
        EXPECT_EQ(s.m_iNorm, 8);
        EXPECT_EQ(s.GetMaterialNorm(), "EC 3");
        EXPECT_FALSE(s.m_strMaterial.empty());
    }
    const CLKData& lk = d.LK();
    EXPECT_EQ(lk.GetNorm(), 3);
    EXPECT_EQ(lk.GetModus(), 3);
    EXPECT_FALSE(lk.m_bShowDurationClass);
    EXPECT_TRUE(lk.m_bShowCategory);
    EXPECT_TRUE(lk.m_bAltLoads);
    EXPECT_FALSE(lk.m_bRulesEditable);
    EXPECT_TRUE(lk.m_bWriteGammaPsiProtocol);
    EXPECT_TRUE(lk.m_bWriteRulesProtocol);
    EXPECT_TRUE(lk.m_bShowGInfOption);
    EXPECT_TRUE(lk.m_bChecks[0] && lk.m_bChecks[1] && lk.m_bChecks[14]);
    EXPECT_FALSE(lk.m_bChecks[3]);
    EXPECT_FALSE(lk.m_bChecks[4]);
    EXPECT_TRUE(lk.m_bChecks[5]);  // 3 + gebrNachweis
    EXPECT_FALSE(lk.m_bChecks[6]);

    d.SetNormAndMaterialClass(7, 1);
    EXPECT_FALSE(d.LK().m_bShowCategory);
    EXPECT_TRUE(d.LK().m_bChecks[3]);
    EXPECT_FALSE(d.LK().m_bChecks[5]);
    EXPECT_EQ(GetNormName(7, 0), "DIN 18800");
    EXPECT_EQ(GetNormName(8, 0), "EC 3");
    EXPECT_EQ(GetNormName(31, 0), "EC3 NA (DE)");
    EXPECT_EQ(GetNormName(8, 1), "Nachrechnung");
}

TEST_F(ModuleDataTest, LoadCaseActionTable) {
    CModuleData d;
    MakeBeam(d, {6.0}, 5.0, 10.0);
    d.m_loads[1].m_LCGen.m_strText = "4";
    d.BuildLoadCaseActionTable();
    const auto& cases = d.LK().m_loadCases;
    ASSERT_EQ(cases.size(), 4u);
    const int actions[4] = {1, 0, 0, 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(cases[static_cast<size_t>(i)].m_nLoadCase, i + 1);
        EXPECT_EQ(cases[static_cast<size_t>(i)].m_nAction, actions[i]);
    }
    d.m_loads.clear();
    d.BuildLoadCaseActionTable();
    EXPECT_TRUE(d.LK().m_loadCases.empty());
}

TEST_F(ModuleDataTest, FieldStartAndScaledImperfections) {
    CModuleData d;
    MakeBeam(d, {2.0, 3.0, 4.0}, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(d.GetFieldStart(0), 0.0);
    EXPECT_DOUBLE_EQ(d.GetFieldStart(2), 5.0);
    EXPECT_DOUBLE_EQ(d.GetFieldStart(3), 9.0);
    EXPECT_DOUBLE_EQ(d.GetFieldStart(4), 0.0);
    d.ScaleImperfections(1.5);
    EXPECT_DOUBLE_EQ(d.m_vorvSettings.m_v0, 3.0);
    EXPECT_DOUBLE_EQ(d.m_vorvSettings.m_w0, 3.0);
    EXPECT_DOUBLE_EQ(d.m_vorvSettings.m_wGlobal, 3.0);
    EXPECT_DOUBLE_EQ(d.m_vorvSettings.m_ausmitte, 2.25);
    EXPECT_DOUBLE_EQ(d.m_vorvSettings.m_ausmitteGlobal, 2.25);
}

TEST_F(ModuleDataTest, CranePositionsAlongTheRunway) {
    CModuleData d;
    MakeCraneRunway(d, 6.0);
    CCrane& crane = d.m_cranes[0];
    ASSERT_EQ(crane.m_numOfAxis, 2);
    for (int a = 0; a < 2; ++a) crane.AxisValue(a, 0)->SetValue(0.0);
    auto expectPositions = [&](const std::vector<double>& want) {
        ASSERT_EQ(d.m_cranePositions.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(d.m_cranePositions[i], want[i], 1e-9) << i;
    };
    // One crane without axle distances: supports, midspan and the ends, then
    // the crane train's placements not yet listed (the axles 0.15 beside the
    // supports, the quarter points).
    d.GenerateCranePositions();
    expectPositions({0.0, 3.0, 6.0, 0.15, 5.85, 1.5, 4.5});
    // Axles 2 m apart: the crane stays on the runway with both axles; the
    // train puts each axle on the supports, 0.15 beside them and midspan.
    crane.AxisValue(1, 0)->SetValue(2.0);
    d.GenerateCranePositions();
    expectPositions({3.0, 1.0, 1.15, 4.0, 2.0, 4.85, 5.0, 2.5, 3.5});
    crane.AxisValue(1, 0)->SetValue(0.0);
    // A finer spacing divides the gaps evenly: 0, 1, ..., 6 and the train's.
    d.m_craneSettings.m_craneMaxDist.SetValue(1.0);
    d.GenerateCranePositions();
    expectPositions({0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 0.15, 5.85, 1.5, 4.5});
    // The current position selects the crane's x, clamped to the list.
    d.m_nCurCranePos = 99;
    d.SetCurrentCranePosition();
    EXPECT_EQ(d.m_nCurCranePos, 10);
    double x = -1.0;
    ASSERT_TRUE(d.m_varTable.Evaluate("pos0", x));
    EXPECT_DOUBLE_EQ(x, 4.5);
    d.m_nCurCranePos = -4;
    d.SetCurrentCranePosition();
    ASSERT_TRUE(d.m_varTable.Evaluate("pos0", x));
    EXPECT_DOUBLE_EQ(x, 0.0);
    // No cranes: no positions (a stale list would be calculated with no
    // crane to place).
    d.m_cranes.clear();
    d.m_cranePositions = {1.0};
    d.GenerateCranePositions();
    d.SetCurrentCranePosition();
    EXPECT_TRUE(d.m_cranePositions.empty());
}

TEST_F(ModuleDataTest, CraneRunwayWithoutPositionsIsNotCalculated) {
    CModuleData d;
    MakeCraneRunway(d, 6.0);
    d.m_cranePositions.clear();
    d.m_hDoc = ZEVUD_CreateDoc("");
    const CRecalcResult r = d.Recalc(0, 0);
    ZEVUD_CloseDoc(d.m_hDoc);
    d.m_hDoc = 0;
    EXPECT_EQ(r.bCalculated, 0);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.back().text,
              "Es sind keine Kranstellungen vorhanden. Evtl. mit negativem Pufferabstand Fahrbereich erweitern.");
}

// The position data reaches the crane-runway calculation only through the
// registered crane road: without one, a crane runway is refused in the
// document (no result claimed), and its positions stay as they are.
TEST_F(ModuleDataTest, CraneRunwayWithoutCraneRoadIsRefused) {
    ICraneRoad* const road = GetCraneRoad();
    ASSERT_NE(road, nullptr);  // this program links the crane folder
    SetCraneRoad(nullptr);
    CModuleData d;
    MakeCraneRunway(d, 6.0);
    d.m_cranePositions = {1.0};
    d.GenerateCranePositions();
    EXPECT_EQ(d.m_cranePositions, std::vector<double>{1.0});
    d.m_hDoc = ZEVUD_CreateDoc("");
    const CRecalcResult r = d.Recalc(0, 0);
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d.m_hDoc), "result");
    ASSERT_NE(result, 0);
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 1);
    EXPECT_EQ(zevud::GetString(result, "errorMsg"), std::string("Die Kranbahnberechnung ist nicht verfügbar."));
    ZEVUD_CloseDoc(d.m_hDoc);
    d.m_hDoc = 0;
    SetCraneRoad(road);
    EXPECT_EQ(r.bCalculated, 0);
    EXPECT_EQ(r.bInputValid, 0);
}

TEST_F(ModuleDataTest, ResultSummaryOfTheKernel) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM result = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "result");
    ZEVUD_SetInt(result, "gebrKolOffset", 2);
    const int32_t trag[] = {0, 3};
    const int32_t gebr[] = {1};
    ZEVUD_SetBinData(result, "tragSVRelKol", sizeof trag, trag, 1);
    ZEVUD_SetBinData(result, "gebrRelKol", sizeof gebr, gebr, 1);
    ZEVUD_SetDouble(result, "dMaxAusGebr", 0.25);
    ZEVUD_SetDouble(result, "dMaxAusTragSV", 0.75);
    ZEVUD_SetInt(result, "iClass", 1);
    ZEVUD_SetString(result, "errorMsg", "");
    CModuleData d;
    d.ReadResults(doc);
    EXPECT_EQ(d.m_tragSVRelKol, (std::vector<int32_t>{1, 0, 0, 1}));
    EXPECT_EQ(d.m_gebrRelKol, (std::vector<int32_t>{0, 0, 0, 1}));
    EXPECT_DOUBLE_EQ(d.m_dMaxAusGebr, 0.25);
    EXPECT_DOUBLE_EQ(d.m_dMaxAusTragSV, 0.75);
    EXPECT_EQ(d.m_iClass, 1);
    ZEVUD_CloseDoc(doc);
}

}  // namespace
