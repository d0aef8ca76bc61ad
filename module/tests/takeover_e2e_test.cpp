// Two positions calculated through the installed host program: a roof beam,
// and a main beam that takes the roof beam's support reaction over as a
// point load. The main beam's support reactions are checked against hand
// calculation, before and after the roof load changes; the take-over loads
// are written for the calculation without entering the user's load list.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

#include "testsupport/host_process.h"
#include "input/LoadTakeOver.h"
#include "moddata_fixture.h"

namespace {

using namespace moddatatest;

// Roof beam: one span L1 under g1 (action 1) and q1 (action 2).
constexpr double kL1 = 5.0, kG1 = 2.0, kQ1 = 3.0;
// Main beam: one span L2 under g2 and q2; the roof beam's end support stands on it at a.
constexpr double kL2 = 6.0, kG2 = 3.0, kQ2 = 4.0, kA = 2.0;

int RunHostCalc(const fs::path& file, std::string& out) {
    const test_support::HostProcessRun r = test_support::RunHostProcess({"calc", file.string()});
    out += r.out;
    return r.code;
}

void WritePosition(const fs::path& file, const std::function<void(CModuleData&)>& make) {
    std::error_code ec;
    fs::remove(file, ec);
    ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    {
        CModuleData d;
        d.m_hDoc = doc;
        make(d);
        d.WriteData(doc);
    }
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);
}

void CollectExports(ZVELEM e, std::map<std::string, double>& out) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        if (zevud::GetElementName(c) == "value") out[zevud::GetString(c, "varName")] = ZEVUD_GetDouble(c, "val");
        CollectExports(c, out);
    }
}

std::map<std::string, double> Exports(const fs::path& file) {
    std::map<std::string, double> ex;
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    if (!doc) return ex;
    CollectExports(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "exports"), ex);
    ZEVUD_CloseDoc(doc);
    return ex;
}

void MakeRoof(CModuleData& d, double q1) { MakeBeam(d, {kL1}, kG1, q1); }

// The main beam takes support 2 of the roof beam over, each source action
// into an action of its own kind (the maximum loads of each action).
void MakeMain(CModuleData& d) {
    MakeBeam(d, {kL2}, kG2, kQ2);
    auto rec = std::make_unique<LUData>();
    rec->m_strPosition = "dach";
    rec->m_strAuflager = "Auflager 2";
    rec->m_iEinwModus = 1;
    rec->m_xa.SetValue(kA);
    d.TakeOvers().m_records.push_back(std::move(rec));
    d.TakeOvers().SetOwner(&d);
    d.TakeOvers().Recalc();
}

// The "load_%d" elements of input/loads: count and how many carry the take-over mark.
void CountLoadElements(ZVDOC doc, int& total, int& marked) {
    ZVELEM loads = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "input"), "loads");
    total = ZEVUD_GetInt(loads, "numOfLoads");
    marked = 0;
    for (int i = 0; i < total; ++i) {
        ZVELEM e = ZEVUD_FindFirstChild(loads, ("load_" + std::to_string(i)).c_str());
        if (e && ZEVUD_GetIntWithDefault(e, "indexLuda", 0) > 0) ++marked;
    }
}

class TakeOverEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override { dir = Scratch(std::string("takeover_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    winsys::ScopedRecordingSink sink;
};

TEST_F(TakeOverEndToEnd, MainBeamCarriesTheRoofBeamsReactionThroughTheHostProgram) {
    const fs::path roof = dir / "dach.vkx", main = dir / "haupt.vkx";
    std::string out;
    WritePosition(roof, [](CModuleData& d) { MakeRoof(d, kQ1); });
    ASSERT_EQ(RunHostCalc(roof, out), 0) << out;
    WritePosition(main, MakeMain);
    ASSERT_EQ(RunHostCalc(main, out), 0) << out;

    // Hand calculation: the roof's reactions R = w L1 / 2 act at a on the
    // main beam, whose supports take w L2 / 2 of its own loads and
    // R (L2 - a) / L2 at the start, R a / L2 at the end.
    auto check = [&](double q1) {
        const std::map<std::string, double> ex = Exports(main);
        if (std::getenv("MODDATA_DUMP"))
            for (const auto& [n, v] : ex) std::printf("export %s = %g\n", n.c_str(), v);
        const double rg = kG1 * kL1 / 2, rq = q1 * kL1 / 2;
        struct Case {
            const char* name;
            double value;
        } cases[] = {
            {"A1_Az_EW1_c", kG2 * kL2 / 2 + rg * (kL2 - kA) / kL2},
            {"A2_Az_EW1_c", kG2 * kL2 / 2 + rg * kA / kL2},
            {"A1_maxAz_extr_c", (kG2 + kQ2) * kL2 / 2 + (rg + rq) * (kL2 - kA) / kL2},
            {"A2_maxAz_extr_c", (kG2 + kQ2) * kL2 / 2 + (rg + rq) * kA / kL2},
        };
        for (const Case& c : cases) {
            auto it = ex.find(c.name);
            ASSERT_NE(it, ex.end()) << c.name << "\n" << out;
            EXPECT_NEAR(std::fabs(it->second), c.value, 1e-3 * c.value) << c.name << " q1 = " << q1;
        }
    };
    check(kQ1);

    // The roof load changes: the roof is calculated again, and the main
    // beam's next calculation takes the new reaction over.
    const double q1New = 2 * kQ1;
    WritePosition(roof, [&](CModuleData& d) { MakeRoof(d, q1New); });
    ASSERT_EQ(RunHostCalc(roof, out), 0) << out;
    // The doubled roof load over-utilises the main beam: it is calculated
    // and saved, and the host says that a check is not fulfilled.
    ASSERT_EQ(RunHostCalc(main, out), 4) << out;
    EXPECT_NE(out.find("Tragsicherheit: max. Ausnutzung"), std::string::npos) << out;
    EXPECT_NE(out.find("nicht erfüllt"), std::string::npos) << out;
    check(q1New);

    // The user's list never holds the take-over loads.
    ZVDOC doc = ZEVUD_OpenDoc(main.string().c_str());
    ASSERT_NE(doc, 0u);
    CModuleData d;
    d.m_hDoc = doc;
    d.ReadData(doc);
    EXPECT_EQ(d.m_loads.size(), 2u);
    d.RemoveTempSectionFile();
    ZEVUD_CloseDoc(doc);
}

TEST_F(TakeOverEndToEnd, TakeOverLoadsAreWrittenOnceAndLeaveWithTheirTakeOver) {
    const fs::path roof = dir / "dach.vkx", main = dir / "haupt.vkx";
    std::string out;
    WritePosition(roof, [](CModuleData& d) { MakeRoof(d, kQ1); });
    ASSERT_EQ(RunHostCalc(roof, out), 0) << out;
    WritePosition(main, MakeMain);

    ZVDOC doc = ZEVUD_OpenDoc(main.string().c_str());
    ASSERT_NE(doc, 0u);
    CModuleData d;
    d.m_hDoc = doc;
    d.ReadData(doc);
    ASSERT_EQ(d.m_loads.size(), 2u);
    // Support 2 of the roof: g and q, each a point load in z in its own load case.
    const std::vector<CLoadDef> taken = d.GetTakeOverLoads();
    ASSERT_EQ(taken.size(), 2u) << (sink.messages.empty() ? "" : sink.messages[0].text);
    std::map<int, double> byAction;
    for (const CLoadDef& l : taken) {
        EXPECT_EQ(l.m_iLoadType, LOAD_POINT_FORCE_MOMENT);
        EXPECT_EQ(l.m_iDirection, 2);
        EXPECT_EQ(l.m_bHasDirection, 1);
        EXPECT_DOUBLE_EQ(l.m_offset.GetValue(), kA);
        ASSERT_EQ(l.m_LCGen.m_numbers.size(), 1u);
        EXPECT_GT(l.m_LCGen.m_numbers[0], 2) << "above the user's load cases";
        byAction[l.m_iLoadCase] = std::fabs(l.m_val[0].GetValue());
    }
    EXPECT_NEAR(byAction[1], kG1 * kL1 / 2, 1e-3);
    EXPECT_NEAR(byAction[2], kQ1 * kL1 / 2, 1e-3);
    // The load-case table sends them to their actions.
    d.BuildLoadCaseActionTable();
    for (const CLoadDef& l : taken) {
        const int lc = l.m_LCGen.m_numbers[0];
        ASSERT_LE(lc, static_cast<int>(d.LK().m_loadCases.size()));
        EXPECT_EQ(d.LK().m_loadCases[static_cast<size_t>(lc - 1)].m_nAction, l.m_iLoadCase);
    }

    // Writing twice gives the same tree; the loads stand once behind the user's.
    d.WriteData(doc);
    int total = 0, marked = 0;
    CountLoadElements(doc, total, marked);
    EXPECT_EQ(total, 4);
    EXPECT_EQ(marked, 2);
    const zevud::Fingerprint first = zevud::FingerPrint(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "input"));
    d.ReadData(doc);
    EXPECT_EQ(d.m_loads.size(), 2u);
    d.WriteData(doc);
    EXPECT_TRUE(first == zevud::FingerPrint(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "input")));

    // Without the take-over its loads are gone.
    d.TakeOvers().m_records.clear();
    d.WriteData(doc);
    CountLoadElements(doc, total, marked);
    EXPECT_EQ(total, 2);
    EXPECT_EQ(marked, 0);
    d.ReadData(doc);
    EXPECT_TRUE(d.TakeOvers().m_records.empty());
    EXPECT_TRUE(d.GetTakeOverLoads().empty());
    d.RemoveTempSectionFile();
    ZEVUD_CloseDoc(doc);
}

}  // namespace
