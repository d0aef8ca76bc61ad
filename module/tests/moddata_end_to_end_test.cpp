// A position calculated end to end through the installed programs: the host
// program velor2005 loads DlgRigel, which reads the position, generates the
// load combinations and calls the kernel Tovik; the numbers of the single-
// span example are checked against hand calculation. Also writes the
// example positions (into examples/ when RIGEL_UPDATE_EXAMPLES is set).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

#include "moddata_fixture.h"

namespace {

using namespace moddatatest;

// The example single-span beam: IPE 300, 6 m, S235, g = 3 kN/m, q = 4 kN/m.
constexpr double kL = 6.0, kG = 3.0, kQ = 4.0;

struct HostRun {
    int code = -1;
    std::string out;
};

HostRun RunHost(const std::vector<std::string>& args) {
    std::string cmd = "'" + (fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005").string() + "'";
    for (const std::string& a : args) cmd += " '" + a + "'";
    cmd += " 2>&1";
    HostRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 512> buf{};
    while (fgets(buf.data(), static_cast<int>(buf.size()), p)) r.out += buf.data();
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Writes a position built by make into file through the module data.
void WritePosition(const fs::path& file, const std::function<void(CModuleData&)>& make) {
    ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    {
        CModuleData d;
        make(d);
        d.m_hDoc = doc;
        d.WriteData(doc);
    }
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);
}

const std::vector<std::pair<std::string, std::function<void(CModuleData&)>>>& Examples() {
    static const std::vector<std::pair<std::string, std::function<void(CModuleData&)>>> examples = {
        {"Einfeldtraeger.vkx",
         [](CModuleData& d) {
             MakeBeam(d, {kL}, kG, kQ);
             d.m_calcSettings.m_resultGebrLK = 2;  // serviceability results of every combination
         }},
        // Two spans of 5 m and a cantilever of 1.5 m, IPE 270.
        {"Durchlauftraeger_Kragarm.vkx", [](CModuleData& d) { MakeBeam(d, {5.0, 5.0, 1.5}, 4.0, 6.0, "IPE 270", true); }},
        {"Kranbahntraeger.vkx", [](CModuleData& d) { MakeCraneRunway(d, 6.0); }},
    };
    return examples;
}

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override { dir = Scratch(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    winsys::ScopedRecordingSink sink;
};

// Variables exported under "exports": name -> value.
void CollectExports(ZVELEM e, std::map<std::string, double>& out) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        if (zevud::GetElementName(c) == "value") out[zevud::GetString(c, "varName")] = ZEVUD_GetDouble(c, "val");
        CollectExports(c, out);
    }
}

TEST_F(EndToEnd, ExamplePositionsAreWrittenByTheModuleData) {
    const char* update = std::getenv("RIGEL_UPDATE_EXAMPLES");
    for (const auto& [name, make] : Examples()) {
        SCOPED_TRACE(name);
        const fs::path file = dir / name;
        WritePosition(file, make);
        ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(doc, 0u);
        CModuleData back;
        back.m_hDoc = doc;
        back.ReadData(doc);
        EXPECT_GE(back.m_fieldLengths.size(), 2u);
        EXPECT_EQ(back.m_sections.size(), back.m_fieldLengths.size() - 1);
        back.RemoveTempSectionFile();
        ZEVUD_CloseDoc(doc);
        if (update && *update) {
            // The example is written under its final name, so that the
            // document names itself as it will lie in examples/.
            const fs::path target = fs::path(RIGEL_SOURCE_DIR) / "examples" / name;
            fs::remove(target);
            WritePosition(target, make);
            fs::remove(winsys::SideFileName(target.string(), ".temp.skw"));
        }
    }
}

TEST_F(EndToEnd, CommittedSingleSpanExampleHoldsTheBeam) {
    const fs::path file = dir / "Einfeldtraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file);
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    CModuleData d;
    d.m_hDoc = doc;
    d.ReadData(doc);
    ASSERT_EQ(d.m_fieldLengths.size(), 2u);
    EXPECT_DOUBLE_EQ(d.m_fieldLengths[1].GetValue(), kL);
    ASSERT_EQ(d.m_sections.size(), 1u);
    EXPECT_EQ(d.m_sections[0].m_profName, "IPE 300");
    EXPECT_EQ(d.m_sections[0].m_strMaterial, "S235");
    EXPECT_EQ(d.m_info.m_nNorm, 31);  // EC3 NA (DE)
    ASSERT_EQ(d.m_loads.size(), 2u);
    EXPECT_DOUBLE_EQ(d.m_loads[0].m_val[0].GetValue(), kG);
    EXPECT_DOUBLE_EQ(d.m_loads[1].m_val[0].GetValue(), kQ);
    CPlauMessageList list;
    EXPECT_TRUE(d.CheckInput(list, 0));
    d.RemoveTempSectionFile();
    ZEVUD_CloseDoc(doc);
}

TEST_F(EndToEnd, SingleSpanBeamThroughTheHostProgram) {
    const fs::path file = dir / "Einfeldtraeger.vkx";
    WritePosition(file, Examples()[0].second);

    const HostRun first = RunHost({"calc", file.string()});
    ASSERT_EQ(first.code, 0) << first.out;
    EXPECT_NE(first.out.find("Berechnung abgeschlossen"), std::string::npos) << first.out;
    EXPECT_FALSE(fs::exists(dir / "Einfeldtraeger.temp.skw")) << "the section file is removed by its last user";

    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    ASSERT_NE(result, 0u) << first.out;
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 0);
    EXPECT_EQ(zevud::GetString(result, "errorMsg"), "") << first.out;

    // Utilisation: the serviceability deflection 5 (g+q) L^4 / (384 E I) of
    // L/300 with Iy = 8356 cm^4.
    const double w = 5 * (kG + kQ) * std::pow(kL, 4) / (384 * 2.1e8 * 8356e-8);
    EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusGebr"), w / kL * 300, 0.03 * w / kL * 300);
    // Ultimate: design moment 1.35 g L^2/8 + 1.5 q L^2/8 against Mpl,Rd =
    // Wpl fy / gamma_M0 = 628 cm^3 * 23.5 kN/cm^2 / 1.0; the lateral-torsional
    // buckling check of the unrestrained beam only raises it.
    const double mEd = (1.35 * kG + 1.5 * kQ) * kL * kL / 8;
    const double mPl = 628.4e-6 * 235e3;
    const double uMax = ZEVUD_GetDouble(result, "dMaxAusTragSV");
    EXPECT_GE(uMax, 0.97 * mEd / mPl);
    EXPECT_TRUE(std::isfinite(uMax));

    // Characteristic support reactions per action: g L/2 and q L/2.
    std::map<std::string, double> ex;
    CollectExports(ZEVUD_FindFirstChild(root, "exports"), ex);
    if (std::getenv("MODDATA_DUMP"))
        for (const auto& [n, v] : ex) std::printf("export %s = %g\n", n.c_str(), v);
    struct Reaction {
        const char* name;
        double value;
    } reactions[] = {{"A1_Az_EW1_c", kG * kL / 2}, {"A2_Az_EW1_c", kG * kL / 2},
                     {"A1_Az_EW2_c", kQ * kL / 2}, {"A2_Az_EW2_c", kQ * kL / 2},
                     {"A1_maxAz_extr_c", (kG + kQ) * kL / 2}, {"A2_minAz_extr_c", kG * kL / 2}};
    for (const Reaction& r : reactions) {
        ASSERT_TRUE(ex.count(r.name)) << r.name;
        EXPECT_NEAR(std::fabs(ex[r.name]), r.value, 1e-3 * r.value) << r.name;
    }

    // The largest design reaction among the ultimate combinations: (1.35 g + 1.5 q) L/2.
    double designMax = 0.0;
    for (const auto& [name, value] : ex)
        if (name.rfind("A1_Az_LK", 0) == 0 && name.size() > 2 && name.substr(name.size() - 2) == "_d")
            designMax = std::max(designMax, std::fabs(value));
    EXPECT_NEAR(designMax, (1.35 * kG + 1.5 * kQ) * kL / 2, 1e-3 * (1.35 * kG + 1.5 * kQ) * kL / 2);

    // Moment series: the characteristic envelope peaks at (g + q) L^2/8 at
    // midspan; the ultimate envelope at (1.35 g + 1.5 q) L^2/8, which the
    // second-order analysis of this stiff beam raises by well under 1 %.
    CModuleData d;
    d.m_hDoc = doc;
    d.ReadData(doc);
    auto peakOf = [&](const std::string& title, double& value, double& x) {
        for (const CResultSet& s : d.m_resultSets) {
            if (s.m_strTitle != title || s.m_type != 2) continue;
            value = 0.0;
            for (size_t i = 0; i + 2 < s.m_data.size(); i += 3)
                if (std::fabs(s.m_data[i + 1]) > std::fabs(value)) {
                    value = s.m_data[i + 1];
                    x = s.m_data[i];
                }
            return true;
        }
        return false;
    };
    double mChar = 0.0, xChar = -1.0, mDesign = 0.0, xDesign = -1.0;
    ASSERT_TRUE(peakOf("Gebrauchstauglichkeit\\Extremal\\Schnittgrößen\\Biegemoment My", mChar, xChar));
    EXPECT_NEAR(mChar, (kG + kQ) * kL * kL / 8, 1e-3 * (kG + kQ) * kL * kL / 8);
    EXPECT_NEAR(xChar, kL / 2, 1e-3);
    ASSERT_TRUE(peakOf("Tragsicherheit\\Extremal\\Schnittgrößen\\Biegemoment My", mDesign, xDesign));
    EXPECT_NEAR(mDesign, mEd, 0.01 * mEd);
    EXPECT_NEAR(xDesign, kL / 2, 1e-3);
    // A deflection series is there as well.
    EXPECT_TRUE(std::any_of(d.m_resultSets.begin(), d.m_resultSets.end(),
                            [](const CResultSet& s) { return s.m_strUnit == "mm" || s.m_strUnit == "cm"; }));
    d.RemoveTempSectionFile();

    // A mark in the result shows whether the kernel runs again.
    ZEVUD_SetInt(result, "unchangedMark", 1);
    ASSERT_TRUE(ZEVUD_SaveDoc(doc));
    ZEVUD_CloseDoc(doc);
    const HostRun second = RunHost({"calc", file.string()});
    EXPECT_EQ(second.code, 0) << second.out;
    doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZEVUD_GetInt(result, "unchangedMark"), 1) << "unchanged input calls no routine";
    ZEVUD_CloseDoc(doc);
}

TEST_F(EndToEnd, ContinuousBeamWithCantileverCalculates) {
    const fs::path file = dir / "Durchlauftraeger_Kragarm.vkx";
    WritePosition(file, Examples()[1].second);
    const HostRun r = RunHost({"calc", file.string()});
    ASSERT_EQ(r.code, 0) << r.out;
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    ZVELEM root = ZEVUD_GetRootElement(doc);
    std::map<std::string, double> ex;
    CollectExports(ZEVUD_FindFirstChild(root, "exports"), ex);
    // Equilibrium of the permanent action: the three reactions carry g (L1 + L2 + Lk).
    double sum = 0.0;
    for (const char* n : {"A1_Az_EW1_c", "A2_Az_EW1_c", "A3_Az_EW1_c"}) {
        ASSERT_TRUE(ex.count(n)) << n;
        sum += ex[n];
    }
    EXPECT_NEAR(std::fabs(sum), 4.0 * 11.5, 1e-3 * 4.0 * 11.5);
    ZEVUD_CloseDoc(doc);
}

TEST_F(EndToEnd, MissingOrDamagedPositionIsAClearError) {
    const HostRun missing = RunHost({"calc", (dir / "fehlt.vkx").string()});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.out.find("nicht gefunden"), std::string::npos) << missing.out;
    const fs::path damaged = dir / "kaputt.vkx";
    {
        std::ofstream(damaged) << "<root progname=\"RIGEL\"><input";
    }
    const HostRun bad = RunHost({"calc", damaged.string()});
    EXPECT_EQ(bad.code, 2) << bad.out;
    EXPECT_NE(bad.out.find("beschädigt"), std::string::npos) << bad.out;
}

TEST_F(EndToEnd, CraneRunwayIsNotTakenForCalculated) {
    const fs::path file = dir / "Kranbahntraeger.vkx";
    WritePosition(file, Examples()[2].second);
    const HostRun r = RunHost({"calc", file.string()});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Die Kranbahnberechnung ist in dieser Version nicht verfügbar."), std::string::npos) << r.out;
}

}  // namespace
