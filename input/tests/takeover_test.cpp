// Load take-over: directions, load types, separation of forces and moments,
// actions made in the destination, the document form and the source reading.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "input/LoadTakeOver.h"
#include "input/tests/support/test_destination.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/results_tie.h"

namespace fs = std::filesystem;

namespace {

using DestData = TestDestination;

CActionRecord Action(int number, int full, int category = 0, int alt = 0, const char* desc = "") {
    CActionRecord a;
    a.m_nNumber = number;
    a.m_nGroup = full;
    a.m_nFullGroup = full;
    a.m_nCategory = category;
    a.m_nAltGroup = alt;
    a.m_strDesc = desc;
    return a;
}

struct Value {
    const char* desc;
    const char* unit;
    double val;
};

// Adds a folder path "a\b\c" below a parent (existing folders reused) and
// the values into its last folder.
void AddValues(ZVELEM parent, const std::vector<std::string>& path, const std::vector<Value>& values) {
    ZVELEM cur = parent;
    for (const std::string& p : path) {
        ZVELEM found = 0;
        for (ZVELEM f = ZEVUD_FindFirstChild(cur, "folder"); f; f = ZEVUD_FindNextChild(f, "folder"))
            if (zevud::GetString(f, "desc") == p) found = f;
        if (!found) {
            found = ZEVUD_AddChildElement(cur, "folder");
            ZEVUD_SetString(found, "desc", p.c_str());
        }
        cur = found;
    }
    for (const Value& v : values) {
        ZVELEM e = ZEVUD_AddChildElement(cur, "value");
        ZEVUD_SetString(e, "desc", v.desc);
        ZEVUD_SetString(e, "unit", v.unit);
        ZEVUD_SetDouble(e, "val", v.val);
    }
}

// A project folder with a destination position and source positions.
class TakeOver : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) /
               ("takeover_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        prevSink_ = winsys::SetMessageSink(&sink_);
        dest_.m_hDoc = ZEVUD_CreateDoc((dir_ / "main.vkx").c_str());
        ZVELEM root = ZEVUD_GetRootElement(dest_.m_hDoc);
        ZEVUD_SetString(root, "progname", "RIGEL");
        ZEVUD_SetString(root, "modulename", "");
        destInput_ = ZEVUD_AddChildElement(root, "input");
        destLK_.SetNorm(3);
        destLK_.m_actions = {Action(1, 0, 0, 0, "1: ständig")};
        destLK_.WriteData(destInput_);
        list_.SetDestinationSettings(&destLK_);
        list_.SetOwner(&dest_);
    }
    void TearDown() override {
        ZEVUD_CloseDoc(dest_.m_hDoc);
        dest_.m_hDoc = 0;
        winsys::SetMessageSink(prevSink_);
        fs::remove_all(dir_);
    }

    // Writes a source position; returns its document (to add exports), saved
    // by Save().
    ZVDOC Source(const std::string& name, const char* prog, const char* module,
                 const std::vector<CActionRecord>& actions, const char* actionsParent = "input") {
        ZVDOC doc = ZEVUD_CreateDoc((dir_ / (name + ".vkx")).c_str());
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ZEVUD_SetString(root, "progname", prog);
        ZEVUD_SetString(root, "modulename", module);
        ZVELEM input = ZEVUD_AddChildElement(root, "input");
        if (!actions.empty()) {
            ZVELEM parent = std::string(actionsParent) == "input" ? input : ZEVUD_AddChildElement(root, actionsParent);
            CLKData lk;
            lk.SetNorm(3);
            lk.SetModus(3);
            lk.m_actions = actions;
            lk.WriteData(parent);
        }
        ZEVUD_AddChildElement(root, "exports");
        return doc;
    }
    static ZVELEM Exports(ZVDOC doc) { return ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "exports"); }
    static void Save(ZVDOC doc) {
        ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
        ZEVUD_CloseDoc(doc);
    }
    LUData& Record(const std::string& position, const std::string& support, int mode = 1) {
        auto r = std::make_unique<LUData>();
        r->m_strPosition = position;
        r->m_strAuflager = support;
        r->m_iEinwModus = mode;
        list_.m_records.push_back(std::move(r));
        list_.SetOwner(&dest_);
        return *list_.m_records.back();
    }
    int TakeOverActions() const {
        int n = 0;
        for (const CActionRecord& a : destLK_.m_actions)
            if (a.m_nLudaIndex > 0) ++n;
        return n;
    }

    fs::path dir_;
    winsys::RecordingSink sink_;
    winsys::MessageSink* prevSink_ = nullptr;
    DestData dest_;
    ZVELEM destInput_ = 0;
    CLKData destLK_;
    LUDataList list_;
};

CTakeOverLoad Load(int direction, double fMax, double fMin, double mMax = 0, double mMin = 0) {
    CTakeOverLoad l;
    l.m_iDirection = direction;
    l.SetV(CTakeOverLoad::kFMax, fMax);
    l.SetV(CTakeOverLoad::kFMin, fMin);
    l.SetV(CTakeOverLoad::kMMax, mMax);
    l.SetV(CTakeOverLoad::kMMin, mMin);
    return l;
}

// ---- directions -----------------------------------------------------------------

TEST(TakeOverDirection, RoofReactionZOverColumnActsInZForEveryOption) {
    for (int option = 0; option < 4; ++option) {
        LUData r;
        r.SetModuleKeys("dachp", "stue");
        r.m_iRichtung = option;
        CTakeOverLoad l = Load(2, 5, -2);
        r.AdjustDirection(l);
        EXPECT_EQ(l.m_iDirection, 2) << option;
        EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kFMax), 5) << option;
        EXPECT_EQ(r.m_optionTexts.size(), 4u);
    }
}

TEST(TakeOverDirection, SignsAndDirectionsByFamilies) {
    struct Case {
        const char* src;
        const char* dest;
        int option, direction;
        int fDir, mDir;
        double fMax, fMin, mMax, mMin;
    } cases[] = {
        // beam "x-x" over beam, option 2: direction 0, force reversed (5/-2 -> 2/-5)
        {"traex", "rigel", 2, 0, 0, 0, 2, -5, -1, -3},
        // beam over beam: option 1 gives -11 (force and moment about y reversed),
        // option 3 gives 11
        {"traex", "rigel", 1, 0, 1, 1, 2, -5, -1, -3},
        {"traex", "rigel", 3, 0, 1, 1, 5, -2, 3, 1},
        // column "x-x" over beam, option 2: force reversed, moment (about y) not
        {"stue", "rigel", 2, 0, 0, 1, 2, -5, 3, 1},
        // column "y-y" over beam, option 1: F 10, M -11; the moment keeps its sign
        // since the force acts in x
        {"stue", "rigel", 1, 1, 0, 1, 5, -2, 3, 1},
        // wall over column, option 0 from "y-y": F 11, M 10
        {"wand", "stue", 0, 1, 1, 0, 5, -2, 3, 1},
        // roof "x-x" over beam, option 1: -11, reversed into y
        {"dachp", "rigel", 1, 0, 1, -1, 2, -5, 3, 1},
        // families without a rule keep everything
        {"plat", "rigel", 2, 0, 0, -1, 5, -2, 3, 1},
    };
    for (const Case& c : cases) {
        LUData r;
        r.SetModuleKeys(c.src, c.dest);
        r.m_iRichtung = c.option;
        CTakeOverLoad l = Load(c.direction, 5, -2, 3, 1);
        r.AdjustDirection(l);
        SCOPED_TRACE(std::string(c.src) + " over " + c.dest + " option " + std::to_string(c.option));
        EXPECT_EQ(l.m_iDirection, c.fDir);
        EXPECT_EQ(l.m_iMomentDirection, c.mDir);
        EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kFMax), c.fMax);
        EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kFMin), c.fMin);
        EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kMMax), c.mMax);
        EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kMMin), c.mMin);
    }
}

TEST(TakeOverDirection, NegativeMomentCodeReversesWhenForceAndMomentShareTheDirection) {
    LUData r;
    r.SetModuleKeys("traex", "rigel");
    r.m_iRichtung = 2;  // F -10, M -10
    CTakeOverLoad l = Load(0, 0, 0, 4, -1);
    r.AdjustDirection(l);
    EXPECT_EQ(l.m_iMomentDirection, 0);
    EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kMMax), 1);
    EXPECT_DOUBLE_EQ(l.V(CTakeOverLoad::kMMin), -4);
}

// ---- load values -----------------------------------------------------------------------

TEST(TakeOverValues, FillLoadValuesByType) {
    struct Case {
        int type, d, m;
        double expect[6];
    } cases[] = {
        {0, 1, -1, {0, 3, 0, 0, 0, 0}},  {6, 2, -1, {0, 0, 0, 0, 0, 4}}, {6, 2, 0, {0, 0, 0, 4, 0, 0}},
        {10, 0, -1, {3, 0, 0, 0, 4, 0}}, {10, 1, -1, {0, 3, 0, 4, 0, 0}}, {13, 2, -1, {0, 0, 3, 0, 0, 4}},
        {13, 0, 1, {3, 0, 0, 0, 4, 0}},  {4, 0, -1, {0, 0, 0, 0, 0, 0}},  {10, 3, -1, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        double v[6];
        FillLoadValues(c.type, c.d, c.m, v, 3.0, 4.0);
        for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(v[i], c.expect[i]) << "type " << c.type << " value " << i;
    }
}

TEST(TakeOverValues, ForceAndMomentAreSeparated) {
    LUData r;
    r.SetModuleKeys("traex", "rigel");
    r.m_takeOverLoads = {Load(2, 3, 0, 4, 0), Load(1, 2, 0)};
    r.SplitForceAndMoment();
    ASSERT_EQ(r.m_takeOverLoads.size(), 3u);
    // the original keeps only the moment, the copy at the end only the force
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[0].V(CTakeOverLoad::kFMax), 0);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[0].V(CTakeOverLoad::kMMax), 4);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[1].V(CTakeOverLoad::kFMax), 2);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[2].V(CTakeOverLoad::kFMax), 3);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[2].V(CTakeOverLoad::kMMax), 0);
    EXPECT_EQ(r.m_takeOverLoads[2].m_iDirection, 2);
}

TEST(TakeOverValues, AxialBeamMomentLoadsActAboutZ) {
    LUData r;
    r.SetModuleKeys("traez1", "rigel");
    r.m_takeOverLoads = {Load(0, 3, 0, 4, 0)};
    r.SplitForceAndMoment();
    ASSERT_EQ(r.m_takeOverLoads.size(), 2u);
    EXPECT_EQ(r.m_takeOverLoads[0].m_iDirection, 2);
    EXPECT_EQ(r.m_takeOverLoads[1].m_iDirection, 0);
}

// ---- calculation from source documents ---------------------------------------------------

TEST_F(TakeOver, RoofOverBeamAsLineLoadKeepsLengthAsPointLoadScalesByE) {
    const std::vector<CActionRecord> actions = {Action(1, 0, 0, 0, "1: ständig"), Action(2, 1, 9, 0, "2: Schnee")};
    ZVDOC src = Source("dach", "DACH", "P", actions, "export_einw");
    ZVELEM quer = ZEVUD_AddChildElement(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(src), "input"), "quer");
    ZEVUD_SetDouble(quer, "e", 2.5);
    AddValues(Exports(src), {"A1", "z-z", "1: ständig"}, {{"max Az", "kN/m", 4.0}});
    AddValues(Exports(src), {"A1", "z-z", "2: Schnee"}, {{"max Az", "kN/m", 2.0}});
    Save(src);

    for (int point = 0; point < 2; ++point) {
        SCOPED_TRACE(point);
        list_.m_records.clear();
        LUData& r = Record("dach", "a1", 1);
        r.m_bEinzelLast = point;
        r.m_xa.SetValue(1.0);
        r.m_xl.SetValue(3.0);
        list_.Recalc();
        EXPECT_DOUBLE_EQ(r.m_e, 2.5);
        ASSERT_EQ(r.m_loads.size(), 2u);
        const double scale = point ? 2.5 : 1.0;
        EXPECT_EQ(r.m_loads[0].m_iLoadType, point ? 10 : 13);
        EXPECT_DOUBLE_EQ(r.m_loads[0].m_length.GetValue(), point ? 0.0 : 3.0);
        EXPECT_DOUBLE_EQ(r.m_loads[0].m_offset.GetValue(), 1.0);
        EXPECT_EQ(r.m_loads[0].m_iDirection, 2);
        EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 4.0 * scale);
        EXPECT_DOUBLE_EQ(r.m_loads[1].m_val[2].GetValue(), 2.0 * scale);
        EXPECT_EQ(r.m_loads[1].m_strDesc, "infolge Einw. " + std::string(list_.m_records[0]->m_pSrcLK->m_actions[1].m_strDesc));
    }
}

TEST_F(TakeOver, BeamOverBeamWithLineLoadDividesBySpacing) {
    ZVDOC src = Source("traeger", "TRAE", "L", {Action(1, 0), Action(2, 1)});
    AddValues(Exports(src), {"B", "z-z", "2: Nutzlast"}, {{"max Az", "kN", 8.0}});
    Save(src);
    LUData& r = Record("traeger", "B", 1);
    r.m_bStreckenLast = 1;
    r.m_bEModByUser = true;
    r.m_e = 2.0;
    r.m_xl.SetValue(4.0);
    list_.Recalc();
    ASSERT_EQ(r.m_loads.size(), 1u);
    EXPECT_EQ(r.m_loads[0].m_iLoadType, 13);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 4.0);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_length.GetValue(), 4.0);

    r.m_bStreckenLast = 0;
    list_.Recalc();
    ASSERT_EQ(r.m_loads.size(), 1u);
    EXPECT_EQ(r.m_loads[0].m_iLoadType, 10);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 8.0);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_length.GetValue(), 0.0);
}

TEST_F(TakeOver, ModesFactorAndTinyMinimum) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1, 9, 0, "2: Wind")});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"},
              {{"MAX N", "kN", 6.0}, {"min N", "kN", -0.0005}});
    Save(src);
    struct Case {
        int mode;
        double factor;
        size_t loads;
        double first;
    } cases[] = {{2, 1.0, 1, 6.0}, {2, 1.5, 1, 9.0}, {1, 1.0, 1, 6.0}, {3, 1.0, 1, 6.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        list_.m_records.clear();
        LUData& r = Record("col", "s", c.mode);
        r.m_dFaktor = c.factor;
        list_.Recalc();
        ASSERT_EQ(r.m_loads.size(), c.loads);
        EXPECT_EQ(r.m_loads[0].m_iLoadType, 10);
        EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), c.first);
        // a column over a beam acts as a point load
        EXPECT_DOUBLE_EQ(r.m_loads[0].m_length.GetValue(), 0.0);
    }
}

TEST_F(TakeOver, FactorScalesAllSixValues) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1, 9, 0, "2: Wind")});
    AddValues(Exports(src), {"S", "x-x", "2: Wind"}, {{"max H", "kN", 3.0}, {"max M", "kNm", 4.0}});
    Save(src);
    std::vector<std::vector<double>> values;
    for (double factor : {1.0, 1.5}) {
        list_.m_records.clear();
        LUData& r = Record("col", "S", 1);
        r.m_dFaktor = factor;
        list_.Recalc();
        std::vector<double> v;
        for (const CLoadDef& l : r.m_loads)
            for (const CFormulaValue& x : l.m_val) v.push_back(x.GetValue());
        values.push_back(v);
    }
    ASSERT_EQ(values[0].size(), 12u);  // moment and force loads
    for (size_t i = 0; i < values[0].size(); ++i) EXPECT_DOUBLE_EQ(values[1][i], 1.5 * values[0][i]) << i;
    double sum = 0;
    for (double v : values[0]) sum += std::fabs(v);
    EXPECT_DOUBLE_EQ(sum, 7.0);
}

TEST_F(TakeOver, ModeTwoNegativeMinimumMakesAlternativeActions) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1, 9, 0, "2: Wind")});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}, {"min N", "kN", -2.0}});
    Save(src);
    LUData& r = Record("col", "S", 2);
    list_.Recalc();
    ASSERT_EQ(r.m_loads.size(), 2u);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 6.0);
    EXPECT_DOUBLE_EQ(r.m_loads[1].m_val[2].GetValue(), -2.0);
    const CActionRecord a = destLK_.GetActionByNumber(r.m_loads[0].m_iLoadCase);
    const CActionRecord b = destLK_.GetActionByNumber(r.m_loads[1].m_iLoadCase);
    EXPECT_NE(a.m_nNumber, b.m_nNumber);
    EXPECT_GE(a.m_nAltGroup, 1);
    EXPECT_EQ(a.m_nAltGroup, b.m_nAltGroup);
    EXPECT_EQ(a.m_nFullGroup, 1);
    EXPECT_EQ(a.m_nCategory, 9);
    EXPECT_EQ(a.m_nLudaIndex, 1);
}

TEST_F(TakeOver, TwoRecordsCreateActionsThatARecalculationRebuildsDensely) {
    destLK_.m_actions.push_back(Action(2, 1, 0, 0, "2: Nutzer"));
    ZVDOC a = Source("posa", "STUE", "A", {Action(1, 0), Action(2, 1, 9)});
    AddValues(Exports(a), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}});
    Save(a);
    ZVDOC b = Source("posb", "STUE", "A", {Action(1, 0), Action(2, 1, 10)});
    AddValues(Exports(b), {"S", "z-z", "2: Temp"}, {{"max N", "kN", 3.0}});
    Save(b);
    Record("posa", "S", 1);
    Record("posb", "S", 1);
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        list_.Recalc();
        ASSERT_EQ(destLK_.m_actions.size(), 4u);
        EXPECT_EQ(TakeOverActions(), 2);
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(destLK_.m_actions[i].m_nNumber, static_cast<int>(i) + 1);
        EXPECT_EQ(destLK_.m_actions[1].m_strDesc, "2: Nutzer");  // the user's action stays
        EXPECT_EQ(destLK_.m_actions[2].m_nLudaIndex, 1);
        EXPECT_EQ(destLK_.m_actions[3].m_nLudaIndex, 2);
        EXPECT_EQ(list_.m_records[1]->m_loads.at(0).m_iLoadCase, 4);
    }
}

TEST_F(TakeOver, SourceWithoutActionsIsToldAndTheStoredLoadsStay) {
    ZVDOC src = Source("leer", "STUE", "A", {});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}});
    Save(src);
    LUData& r = Record("leer", "S", 1);
    r.m_loads.resize(1);
    r.m_loads[0].m_val[2].SetValue(7.0);
    list_.Recalc();
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].text,
              "LUData: Lasten von Pos. leer können nicht übernommen werden, da in Pos. leer keine Einwirkungen "
              "definiert sind");
    ASSERT_EQ(r.m_loads.size(), 1u);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 7.0);
}

TEST_F(TakeOver, MissingSourceOrSupportKeepsTheStoredLoads) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1)});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}});
    Save(src);
    LUData& missing = Record("nirgends", "S", 1);
    LUData& noSupport = Record("col", "T", 1);
    missing.m_loads.resize(1);
    noSupport.m_loads.resize(2);
    list_.Recalc();
    EXPECT_EQ(missing.m_loads.size(), 1u);
    EXPECT_EQ(noSupport.m_loads.size(), 2u);
    // both are said: the file that could not be opened, the support not found
    ASSERT_EQ(sink_.messages.size(), 2u);
    EXPECT_NE(sink_.messages[0].text.find("nirgends.vkx"), std::string::npos);
    EXPECT_EQ(sink_.messages[1].text, "Lastübernahme: Auflagerung T wurde nicht in Pos. col gefunden");
}

TEST_F(TakeOver, LoadsFollowTheSourceAtTheNextCalculation) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1)});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}});
    Save(src);
    LUData& r = Record("col", "S", 1);
    list_.Recalc();
    ASSERT_EQ(r.m_loads.size(), 1u);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 6.0);
    // the source is calculated again with another reaction
    ZVDOC again = ZEVUD_OpenDoc((dir_ / "col.vkx").c_str());
    ASSERT_NE(again, 0u);
    ZVELEM root = ZEVUD_GetRootElement(again);
    ZEVUD_DeleteElement(ZEVUD_FindFirstChild(root, "exports"));
    AddValues(ZEVUD_AddChildElement(root, "exports"), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 9.0}});
    Save(again);
    list_.Recalc();
    ASSERT_EQ(r.m_loads.size(), 1u);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 9.0);
}

TEST_F(TakeOver, MemberDesignSourceReadsActionFoldersOfTheKernel) {
    ZVDOC src = Source("dach", "RIGEL", "", {Action(1, 0), Action(2, 1), Action(3, 1)});
    ZVELEM ex = Exports(src);
    AddValues(ex, {"Auflager 1", "z-z", "Extremal(Char.)"}, {{"Min Az", "kN", 2.0}, {"Max Az", "kN", 10.0}});
    AddValues(ex, {"Auflager 1", "z-z", "EW 12"}, {{" Az", "kN", 5.0}});
    AddValues(ex, {"Auflager 1", "z-z", "design", "LK 1"}, {{" Az", "kN", 99.0}, {" AMx", "kNm", 50.0}});
    AddValues(ex, {"Auflager 1", "z-z", "design", "Extremal"}, {{" Az", "kN", 13.5}});
    AddValues(ex, {"Auflager 1", "y-y", "EW 2"}, {{" Ay", "kN", 1.0}});
    Save(src);
    LUData& r = Record("dach", "Auflager 1", 0);
    list_.Recalc();
    ASSERT_EQ(r.m_takeOverLoads.size(), 3u);
    EXPECT_EQ(r.m_takeOverLoads[0].m_iAction, 0);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[0].V(CTakeOverLoad::kFMax), 10.0);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[0].V(CTakeOverLoad::kFMin), 2.0);
    EXPECT_EQ(r.m_takeOverLoads[1].m_iAction, 12);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[1].V(CTakeOverLoad::kFMax), 5.0);
    // the design values ("LK 1", their own "Extremal") are not taken over and
    // do not leak into the next folder
    EXPECT_EQ(r.m_takeOverLoads[2].m_iAction, 2);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[2].V(CTakeOverLoad::kFMax), 1.0);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[2].V(CTakeOverLoad::kMMax), 0.0);
    // mode 0: the extremal maximum as a variable load in action 2
    ASSERT_EQ(r.m_loads.size(), 1u);
    EXPECT_EQ(r.m_loads[0].m_iLoadCase, 2);
    EXPECT_EQ(r.m_loads[0].m_strDesc, "extremal");
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 10.0);
}

TEST_F(TakeOver, EqualActionsKeepTheirOrder) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1)});
    AddValues(Exports(src), {"S", "x-x", "2: Wind"}, {{"max H", "kN", 1.0}});
    AddValues(Exports(src), {"S", "y-y", "2: Wind"}, {{"max H", "kN", 2.0}});
    AddValues(Exports(src), {"S", "z-z", "1: G"}, {{"max N", "kN", 3.0}});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 4.0}});
    Save(src);
    LUData& r = Record("col", "S", 1);
    list_.Recalc();
    ASSERT_EQ(r.m_loads.size(), 4u);
    EXPECT_LT(r.m_loads[0].m_iLoadCase, r.m_loads[1].m_iLoadCase);
    const double expect[] = {1.0, 2.0, 4.0};
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(r.m_loads[1 + i].GetMaxAbsValue(), expect[i]) << i;
}


TEST_F(TakeOver, OneComponentAlternativeGroupGivesEnvelopeLoads) {
    ZVDOC src = Source("col", "STUE", "A",
                       {Action(1, 0), Action(2, 1, 9, 1, "2: Wind links"), Action(3, 1, 9, 1, "3: Wind rechts")});
    AddValues(Exports(src), {"S", "z-z", "2: Wind links"}, {{"max N", "kN", 5.0}});
    AddValues(Exports(src), {"S", "z-z", "3: Wind rechts"}, {{"max N", "kN", 3.0}, {"min N", "kN", -4.0}});
    Save(src);
    LUData& r = Record("col", "S", 3);
    list_.Recalc();
    ASSERT_EQ(r.m_groups.size(), 2u);
    EXPECT_TRUE(r.m_groups[1].oneComponent);
    EXPECT_DOUBLE_EQ(r.m_groups[1].fMax[2], 5.0);
    EXPECT_DOUBLE_EQ(r.m_groups[1].fMin[2], -4.0);
    // the envelope instead of the two actions: maximum and minimum
    ASSERT_EQ(r.m_loads.size(), 2u);
    EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), 5.0);
    EXPECT_DOUBLE_EQ(r.m_loads[1].m_val[2].GetValue(), -4.0);
    EXPECT_EQ(r.m_loads[0].m_strDesc, "infolge Einw. " + r.m_pSrcLK->m_actions[1].m_strDesc);
    const CActionRecord a = destLK_.GetActionByNumber(r.m_loads[0].m_iLoadCase);
    const CActionRecord b = destLK_.GetActionByNumber(r.m_loads[1].m_iLoadCase);
    EXPECT_NE(a.m_nNumber, b.m_nNumber);
    EXPECT_EQ(a.m_nAltGroup, 1);
    EXPECT_EQ(b.m_nAltGroup, 1);
}

TEST(TakeOverReading, StageColumnActionNumbersAreMapped) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM exports = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "exports");
    AddValues(exports, {"S", "z-z", "1: G"}, {{"max N", "kN", 1.0}});
    AddValues(exports, {"S", "z-z", "3: Q"}, {{"max N", "kN", 3.0}});
    AddValues(exports, {"S", "z-z", "7: S"}, {{"max N", "kN", 7.0}});
    AddValues(exports, {"S", "z-z", "14: A"}, {{"max N", "kN", 14.0}});
    AddValues(exports, {"S", "z-z", "6: leer"}, {{"max N", "kN", 6.0}});
    LUData r;
    r.SetModuleKeys("stueb", "rigel");
    r.m_strAuflager = "s";
    r.m_pSrcLK = std::make_unique<CLKData>();
    r.m_pSrcLK->m_actions = {Action(1, 0), Action(2, 1), Action(3, 2), Action(4, 1), Action(5, 3)};
    ASSERT_TRUE(r.ReadExports(exports));
    ZEVUD_CloseDoc(doc);
    // "6" has no fifth action of group 1: -1, and its values are not taken over
    ASSERT_EQ(r.m_takeOverLoads.size(), 4u);
    const int expect[] = {1, 4, 3, 5};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.m_takeOverLoads[static_cast<size_t>(i)].m_iAction, expect[i]) << i;
    EXPECT_EQ(r.m_takeOverLoads[3].m_iLoadType, 10);
    EXPECT_DOUBLE_EQ(r.m_takeOverLoads[3].V(CTakeOverLoad::kFMax), 14.0);
}

TEST(TakeOverReading, SourcesOutsideCategoryOneGiveNoValues) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM exports = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "exports");
    AddValues(exports, {"S", "z-z", "1: G"}, {{"max N", "kN", 1.0}});
    for (const char* key : {"platte", "vadu", "unbekannt"}) {
        LUData r;
        r.SetModuleKeys(key, "rigel");
        r.m_strAuflager = "S";
        EXPECT_TRUE(r.ReadExports(exports));
        EXPECT_TRUE(r.m_takeOverLoads.empty()) << key;
    }
    ZEVUD_CloseDoc(doc);
}


// ---- document ------------------------------------------------------------------------

TEST_F(TakeOver, DocumentRoundTripAndDamagedValues) {
    LUData& r = Record("pos", "A", 3);
    r.m_dFaktor = 1.25;
    r.m_einwSrc2DestMax = {-1, 4, 5};
    r.m_loads.resize(2);
    r.m_loads[1].m_val[2].SetValue(3.5);
    LUData& off = Record("pos2", "B", 1);
    off.m_bAktiv = false;
    off.m_loads.resize(1);
    list_.WriteData(destInput_);
    ZVELEM element = ZEVUD_FindFirstChild(destInput_, "lastUebernahme");
    ASSERT_NE(element, 0u);
    ZVELEM lu1 = ZEVUD_FindFirstChild(element, "lu");
    ZVELEM lu2 = ZEVUD_FindNextChild(lu1, "lu");
    EXPECT_EQ(ZEVUD_FindFirstChild(lu2, "load"), 0u);  // inactive: no loads
    EXPECT_EQ(ZEVUD_FindFirstChild(lu1, "EinwSrc2DestMin"), 0u);
    EXPECT_EQ(ZEVUD_GetInt(ZEVUD_FindFirstChild(lu1, "EinwSrc2DestMax"), "dataLength"), 3);
    ZEVUD_SetDouble(lu2, "e", 0.0);
    ZEVUD_SetDouble(lu2, "Faktor", -0.0005);

    LUDataList back;
    back.ReadData(destInput_);
    ASSERT_EQ(back.m_records.size(), 2u);
    const LUData& b = *back.m_records[0];
    EXPECT_EQ(b.m_strPosition, "pos");
    EXPECT_EQ(b.m_iEinwModus, 3);
    EXPECT_DOUBLE_EQ(b.m_dFaktor, 1.25);
    EXPECT_EQ(b.m_einwSrc2DestMax, (std::vector<int32_t>{-1, 4, 5}));
    EXPECT_TRUE(b.m_einwSrc2DestMin.empty());
    ASSERT_EQ(b.m_loads.size(), 2u);
    EXPECT_DOUBLE_EQ(b.m_loads[1].m_val[2].GetValue(), 3.5);
    EXPECT_EQ(b.m_loads[0].m_iLoadType, 13);  // no destination key yet: a line load
    EXPECT_FALSE(back.m_records[1]->m_bAktiv);
    EXPECT_DOUBLE_EQ(back.m_records[1]->m_e, 1.0);
    EXPECT_DOUBLE_EQ(back.m_records[1]->m_dFaktor, 1.0);
    EXPECT_TRUE(back.m_records[1]->m_loads.empty());
}

TEST_F(TakeOver, DamagedMapsReadWithoutOverrun) {
    LUData& r = Record("pos", "A", 1);
    r.m_einwSrc2DestMax = {1, 2};
    list_.WriteData(destInput_);
    ZVELEM map = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(destInput_, "lastUebernahme"), "lu"),
                                      "EinwSrc2DestMax");
    ZEVUD_SetInt(map, "dataLength", 5);  // more than the data holds
    LUDataList back;
    back.ReadData(destInput_);
    ASSERT_EQ(back.m_records.size(), 1u);
    EXPECT_EQ(back.m_records[0]->m_einwSrc2DestMax, (std::vector<int32_t>{1, 2, 0, 0, 0}));
    ZEVUD_SetInt(map, "dataLength", -7);
    back.ReadData(destInput_);
    EXPECT_TRUE(back.m_records[0]->m_einwSrc2DestMax.empty());
}

TEST_F(TakeOver, RemovingTheLastRecordRemovesTheElement) {
    Record("pos", "A", 1);
    list_.WriteData(destInput_);
    ASSERT_NE(ZEVUD_FindFirstChild(destInput_, "lastUebernahme"), 0u);
    list_.Reset();
    EXPECT_EQ(list_.m_bFlag, 1);
    list_.WriteData(destInput_);
    EXPECT_EQ(ZEVUD_FindFirstChild(destInput_, "lastUebernahme"), 0u);
    LUDataList back;
    back.ReadData(destInput_);
    EXPECT_TRUE(back.m_records.empty());
}

// ---- developer dumps -------------------------------------------------------------------

std::string FirstLine(const fs::path& p) {
    std::ifstream in(p);
    std::string line;
    std::getline(in, line);
    return line;
}

TEST_F(TakeOver, DumpFilesOnlyWithTheDeveloperSwitch) {
    ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1)});
    AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}});
    Save(src);
    Record("col", "S", 1);
    const fs::path work = dir_ / "cwd";
    fs::create_directories(work);
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    unsetenv("VKTUSER");
    list_.Recalc();
    EXPECT_TRUE(fs::is_empty(work));
    setenv("VKTUSER", "DEDUV", 1);
    list_.Recalc();
    unsetenv("VKTUSER");
    fs::current_path(previous);
    EXPECT_EQ(FirstLine(work / "LuData_2.log"), "Calc() Anfang");  // the second calculation
    EXPECT_EQ(FirstLine(work / "Lasten.log"), "Lasten angelesen");
    EXPECT_EQ(FirstLine(work / "LastenGetrenntt.log"), "Lasten angelesen und getrennt");
    std::ifstream in(work / "LuData_2.log");
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_NE(all.str().find("PosName=col,  AuflName=S\n"), std::string::npos);
    EXPECT_NE(all.str().find("Calc() Ende\n"), std::string::npos);
    EXPECT_NE(all.str().find("Einw= 2, Typ=10, Richtung=2, xa=  0.00, xl=  0.00, val0=   0.00, val1=   0.00, "
                             "val2=   6.00, val3=   0.00, val4=   0.00, val5=   0.00\n"),
              std::string::npos);
}

}  // namespace

// A source whose results belong to other input than it holds (its input
// changed after the calculation, or a calculation was stopped) is taken over
// as a source without results: said, and the stored loads stay.
TEST_F(TakeOver, SourceWithResultsOfOtherInputIsToldAndTheStoredLoadsStay) {
    struct Case {
        const char* name;
        bool tied;
        size_t messages;
        double load;
    } cases[] = {{"results of other input", false, 1, 7.0}, {"results of its input", true, 0, 6.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.messages.clear();
        list_.m_records.clear();
        ZVDOC src = Source("col", "STUE", "A", {Action(1, 0), Action(2, 1)});
        AddValues(Exports(src), {"S", "z-z", "2: Wind"}, {{"max N", "kN", 6.0}});
        const ZVELEM root = ZEVUD_GetRootElement(src);
        const ZVELEM input = ZEVUD_FindFirstChild(root, "input");
        ZEVUD_AddChildElement(root, "result");
        const zevud::Fingerprint fp = zevud::FingerPrint(input);
        ZEVUD_SetBinData(ZEVUD_AddChildElement(root, "info"), "input_fingerprint", 16, fp.bytes, 1);
        if (!c.tied) ZEVUD_SetString(input, "posDesc", "geändert");
        Save(src);
        {
            const ZVDOC saved = ZEVUD_OpenDoc((dir_ / "col.vkx").c_str());
            EXPECT_EQ(zevud::ResultsBelongToInput(saved), c.tied);
            ZEVUD_CloseDoc(saved);
        }
        LUData& r = Record("col", "S", 1);
        r.m_loads.resize(1);
        r.m_loads[0].m_val[2].SetValue(7.0);
        list_.Recalc();
        ASSERT_EQ(sink_.messages.size(), c.messages);
        if (c.messages) EXPECT_EQ(sink_.messages[0].text, "Lastübernahme: Auflagerung S wurde nicht in Pos. col gefunden");
        ASSERT_EQ(r.m_loads.size(), 1u);
        EXPECT_DOUBLE_EQ(r.m_loads[0].m_val[2].GetValue(), c.load);
    }
}
