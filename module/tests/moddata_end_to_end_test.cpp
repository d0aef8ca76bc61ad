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
#include <iterator>
#include <map>

#include "crane/CraneOperations.h"
#include "testsupport/host_process.h"
#include "moddata_fixture.h"

namespace {

using namespace moddatatest;

// The example single-span beam: IPE 300, 6 m, S235, g = 3 kN/m, q = 4 kN/m.
constexpr double kL = 6.0, kG = 3.0, kQ = 4.0;

using HostRun = test_support::HostProcessRun;

HostRun RunHost(const std::vector<std::string>& args) { return test_support::RunHostProcess(args); }

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

// The report the member examples write: the input tables with the system
// pictures and the section values, the collective of the largest
// utilisation of each limit state and the envelopes ("Extremal") of both,
// each with its tables and diagrams.
void SelectExampleReport(CModuleData& d) {
    d.m_rtfOptions.assign(CModuleData::kReportOptions, 0);
    auto on = [&](int a, int b) {
        for (int k = a; k <= b; ++k) d.m_rtfOptions[static_cast<size_t>(k)] = 1;
    };
    on(0, 10);     // supports, sections, materials, springs, beddings, hinges, actions, loads, combinations
    on(20, 20);    // system pictures
    on(22, 22);    // section values
    on(40, 46);    // serviceability, envelope: internal forces (table)
    on(70, 76);    //   and their diagrams
    on(90, 96);    //   deformations (table)
    on(110, 116);  //   and their diagrams
    on(130, 135);  //   support forces (table)
    on(170, 175);  //   and their diagrams
    on(100, 106);  // serviceability, per collective: deformations
    on(120, 126);
    on(210, 211);  // ultimate, per collective: pre-deformations
    on(220, 221);
    on(230, 232);  //   buckling mode
    on(240, 242);
    on(270, 281);  //   internal forces and stresses (tables)
    on(310, 321);  //   and their diagrams
    on(250, 261);  // ultimate, envelope: internal forces and stresses (tables)
    on(290, 301);  //   and their diagrams
    on(330, 333);  //   deformations
    on(350, 353);
    on(370, 375);  //   support forces
    on(410, 415);
    d.m_rtfLKgebr = 1;
    d.m_rtfLKTragSV = 1;
}

const std::vector<std::pair<std::string, std::function<void(CModuleData&)>>>& Examples() {
    static const std::vector<std::pair<std::string, std::function<void(CModuleData&)>>> examples = {
        {"Einfeldtraeger.vkx",
         [](CModuleData& d) {
             MakeBeam(d, {kL}, kG, kQ);
             d.m_calcSettings.m_resultGebrLK = 2;  // serviceability results of every combination
             SelectExampleReport(d);
         }},
        // Two spans of 5 m and a cantilever of 1.5 m, IPE 270.
        {"Durchlauftraeger_Kragarm.vkx",
         [](CModuleData& d) {
             MakeBeam(d, {5.0, 5.0, 1.5}, 4.0, 6.0, "IPE 270", true);
             SelectExampleReport(d);
         }},
        // The crane runway: a flat rail from the catalogue welded on with
        // intermittent fillet welds of 5 mm, the system points placed by the
        // local wheel-load check, a transverse stiffener's weld at the foot
        // of the web (detail category 80, EN 1993-1-9 Table 8.4), crane
        // positions refined to 0.5 m, every check on, the appendix of crane
        // position 1.
        {"Kranbahntraeger.vkx",
         [](CModuleData& d) {
             MakeCraneRunway(d, 6.0);
             d.m_rail.m_iTyp = 2;
             d.m_rail.m_sTyp = "Flachstahlschienen";
             d.m_rail.m_sNorm = "DIN EN 10058";
             d.m_rail.m_sObj = "Fl 60x40";
             d.m_rail.m_connection = 1;
             d.m_rail.m_SchweissnahtL.SetValue(10.0);
             d.m_rail.m_SchweissnahtUnterbrochenL.SetValue(5.0);
             d.m_craneSettings.m_craneMaxDist.SetValue(0.5);
             d.m_craneSettings.m_autoPOI = 1;
             for (int c = 0; c < 5; ++c) d.m_craneSettings.m_checkEnabled[c] = 1;
             // The report's appendix: every result of crane position 1.
             d.m_dorIzi.m_strText = "1";
             d.m_dorIzi.Parse();
             d.DefineVariables();
             d.GenerateCranePositions();
             CalcCraneLocalEffects(d);
             for (CNotchCase& p : d.m_notchCases) {
                 if (p.m_iPlace == 1) p.m_tWeld.SetValue(5.0);  // the rail's welds
                 if (p.m_strName != "Quersteife") continue;
                 p.m_tqe = 4;  // the web (wall element 4), at its lower end
                 p.m_idx.SetValue(1.0);
                 p.m_iKerbGruppe = 7;
             }
             d.m_steelSections.Reset();
         }},
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

std::string ReadFileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Largest magnitude of a moment envelope (both columns) at its points
// between x0 and x1, and the largest of hand(x) at the same points.
std::pair<double, double> EnvelopePeak(const CModuleData& d, const std::string& title, double x0, double x1,
                                       const std::function<double(double)>& hand) {
    double peak = 0.0, expected = 0.0;
    for (const CResultSet& s : d.m_resultSets) {
        if (s.m_strTitle != title || s.m_type != 2) continue;
        for (size_t i = 0; i + 2 < s.m_data.size(); i += 3)
            if (s.m_data[i] >= x0 && s.m_data[i] <= x1) {
                peak = std::max({peak, std::fabs(double{s.m_data[i + 1]}), std::fabs(double{s.m_data[i + 2]})});
                expected = std::max(expected, hand(s.m_data[i]));
            }
    }
    return {peak, expected};
}

// Two equal spans L under g on both and an imposed load q that may be
// arranged span by span. By hand (three-moment equation) with w1 on span 1
// and w2 on span 2: M_B = -(w1 + w2) L^2/16, A = w1 L/2 + M_B/L, span moment
// M(x) = A x - w1 x^2/2 with its largest value A^2/(2 w1). With q on one span
// only (g = 0) that is 49/512 q L^2 = 0.0957 q L^2; with q on both spans only
// 9/128 = 0.0703 q L^2.
TEST_F(EndToEnd, ImposedLoadOnAContinuousBeamIsArrangedSpanBySpan) {
    constexpr double L = 5.0;
    // Span moment at x of span 1 under w1 on span 1 and w2 on span 2.
    auto moment = [&](double w1, double w2, double x) {
        const double a = w1 * L / 2 - (w1 + w2) * L / 16;
        return a * x - w1 * x * x / 2;
    };
    struct Case {
        bool keepWhole;
        // (w1, w2) of the arrangements that can govern the span moment.
        std::vector<std::pair<double, double>> characteristic, design;
    };
    // EN 1990 6.14b (characteristic) and 6.10 with gamma_G 1.35 or 1.0 and gamma_Q 1.5.
    const std::vector<Case> cases = {
        {false, {{kG + kQ, kG}}, {{1.35 * kG + 1.5 * kQ, 1.35 * kG}, {kG + 1.5 * kQ, kG}}},
        {true, {{kG + kQ, kG + kQ}}, {{1.35 * kG + 1.5 * kQ, 1.35 * kG + 1.5 * kQ}, {kG + 1.5 * kQ, kG + 1.5 * kQ}}},
    };
    // The pattern matters: with q on one span the largest span moment is
    // well above that of both spans loaded.
    EXPECT_GT(moment(kG + kQ, kG, 2.05) / moment(kG + kQ, kG + kQ, 1.875), 1.19);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keepWhole ? "kept whole" : "span by span");
        const fs::path file = dir / (c.keepWhole ? "whole.vkx" : "spans.vkx");
        WritePosition(file, [&](CModuleData& d) {
            MakeBeam(d, {L, L}, kG, kQ);
            d.m_calcSettings.m_resultGebrLK = 2;
            d.LK().m_actions[1].m_bNotSplit = c.keepWhole;
        });
        const HostRun r = RunHost({"calc", file.string()});
        ASSERT_TRUE(r.code == 0 || r.code == 4) << r.out;
        ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(doc, 0u);
        CModuleData d;
        d.m_hDoc = doc;
        d.ReadData(doc);
        // The user's loads stay as they were; the shares are the calculation's.
        EXPECT_EQ(d.m_loads.size(), 2u);
        EXPECT_EQ(d.m_spanShareLoads.size(), c.keepWhole ? 0u : 2u);
        auto governing = [&](const std::vector<std::pair<double, double>>& patterns) {
            return [&, patterns](double x) {
                double m = 0.0;
                for (const auto& [w1, w2] : patterns) m = std::max(m, moment(w1, w2, x));
                return m;
            };
        };
        // First order: exact at the envelope's points.
        const auto [mChar, handChar] = EnvelopePeak(d, "Gebrauchstauglichkeit\\Extremal\\Schnittgrößen\\Biegemoment My",
                                                    0.5, 3.5, governing(c.characteristic));
        EXPECT_NEAR(mChar, handChar, 1e-3 * handChar);
        // Second order with the imperfection raises the design moment a little.
        const auto [mDesign, handDesign] =
            EnvelopePeak(d, "Tragsicherheit\\Extremal\\Schnittgrößen\\Biegemoment My", 0.5, 3.5, governing(c.design));
        EXPECT_GE(mDesign, handDesign * 0.999);
        EXPECT_LE(mDesign, handDesign * 1.03);
        d.RemoveTempSectionFile();
        ZEVUD_CloseDoc(doc);
    }
}

// Thirteen loaded spans are more shares than one action can combine: the
// calculation is refused with the reason, never run with old combinations.
TEST_F(EndToEnd, TooManySpansToArrangeRefuseTheCalculation) {
    const fs::path file = dir / "spans13.vkx";
    WritePosition(file, [](CModuleData& d) { MakeBeam(d, std::vector<double>(13, 1.0), kG, kQ); });
    const std::string before = ReadFileBytes(file);
    const HostRun r = RunHost({"calc", file.string()});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("feldweise"), std::string::npos) << r.out;
    EXPECT_EQ(ReadFileBytes(file), before);
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

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A crane runway calculated through the host: the check summary is printed,
// the largest utilisation judged, the file saved; a second run with the same
// input calculates nothing and keeps the results.
TEST_F(EndToEnd, CraneRunwayIsCalculatedWithItsCheckSummary) {
    const fs::path file = dir / "Kranbahntraeger.vkx";
    WritePosition(file, Examples()[2].second);
    const HostRun r = RunHost({"calc", file.string()});
    // Every check fulfilled, the fatigue check on the stresses of its points
    // included: exit 0.
    EXPECT_EQ(r.code, 0) << r.out;
    for (const char* part : {"Tragsicherheit S/V", "Gebrauchstauglichkeit", "Ermüdung", "Quersteife",
                             "-------------------------------------------------------", "Kranbahn: max. Ausnutzung",
                             "Ergebnis: alle Nachweise erfüllt"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    EXPECT_EQ(r.out.find("nicht nachgewiesen"), std::string::npos) << r.out;
    const HostRun again = RunHost({"calc", file.string()});
    EXPECT_EQ(again.code, 0) << again.out;
    EXPECT_NE(again.out.find("Ergebnis: alle Nachweise erfüllt"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("Tragsicherheit S/V"), std::string::npos) << again.out;
}

// A check point that lies on no wall element of the section has no
// stresses: the fatigue check is not proven, said and exit 4.
TEST_F(EndToEnd, CraneRunwayWithACheckPointWithoutStressesIsNotProven) {
    const fs::path file = dir / "Kranbahntraeger.vkx";
    WritePosition(file, [](CModuleData& d) {
        Examples()[2].second(d);
        for (CNotchCase& p : d.m_notchCases)
            if (p.m_strName == "Quersteife") p.m_tqe = -1;
    });
    const HostRun r = RunHost({"calc", file.string()});
    EXPECT_EQ(r.code, 4) << r.out;
    for (const char* part : {"Für die Nachweispunkte 'Quersteife' liegen Schnittgrößen, aber keine Spannungen",
                             "Ermüdung: nicht erfüllt - nicht nachgewiesen", "Ergebnis: Nachweis nicht erfüllt"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
}

// Input the crane calculation refuses: exit 1, the message, the file as it was.
TEST_F(EndToEnd, CraneRunwayRefusalsLeaveTheFileAlone) {
    struct Case {
        const char* name;
        std::function<void(CModuleData&)> change;
        const char* message;
    } cases[] = {
        {"vier Krane",
         [](CModuleData& d) {
             d.m_cranes.resize(4);
             for (CCrane& c : d.m_cranes) c.m_pOwner = &d;
         },
         "Es können höchstens drei Krane berechnet werden."},
        {"keine Kranstellung", [](CModuleData& d) { d.m_craneSettings.m_craneLeftOffset.SetValue(50.0); },
         "Es sind keine Kranstellungen vorhanden."},
    };
    for (const Case& c : cases) {
        const fs::path file = dir / "Kran.vkx";
        fs::remove(file);
        WritePosition(file, [&](CModuleData& d) {
            Examples()[2].second(d);
            c.change(d);
        });
        const std::string before = ReadBytes(file);
        const HostRun r = RunHost({"calc", file.string()});
        EXPECT_EQ(r.code, 1) << c.name << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.name << "\n" << r.out;
        EXPECT_EQ(ReadBytes(file), before) << c.name;
    }
}

}  // namespace
