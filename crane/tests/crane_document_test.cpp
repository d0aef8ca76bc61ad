// The crane-runway example read from its document: the crane positions the
// reader makes, the loads of a crane position and the local wheel-load
// stresses on the catalogue girder (HEB 300).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "crane/CraneOperations.h"
#include "module/ModuleData.h"
#include "platform/ferrum/ferrum.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

namespace fs = std::filesystem;

class CraneDocument : public ::testing::Test {
protected:
    // The catalogues of the build's installation root, before any position
    // data is made.
    static void SetUpTestSuite() {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    }
    void SetUp() override {
        // A copy in a scratch folder, so that nothing can land beside the example.
        dir = fs::path(RIGEL_TEST_TMP) / ("crane_document_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path file = dir / "Kranbahntraeger.vkx";
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file);
        doc = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(doc, 0);
        d.ReadData(doc);
    }
    void TearDown() override {
        d.m_steelSections.Reset();
        if (doc) ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    winsys::ScopedRecordingSink sink;
    ZVDOC doc = 0;
    CModuleData d;
};

// HEB 300 (b 300, tf 19, tw 11 mm), a flat rail 80 x 40 mm worn to 80 x 30 mm,
// fixed rigidly (EN 1993-6, 5.7.1 and Table 5.1):
//   beff = 80 + 30 + 19 = 129 mm, If,eff = 129 x 19³/12 = 73 734 mm⁴;
//   common centroid of flange (2451 mm²) and rail (2400 mm², 15 mm above the
//   flange): 2.62 mm above the flange's top face; Irf = 73 734 + 2451 x 12.12²
//   + 180 000 + 2400 x 12.38² = 981 607 mm⁴; leff = 3.25 (981 607/11)^(1/3) = 145.2 mm.
// Wheel load of group 1 (EN 1991-3, Table 2.2): phi1 Qc + phi2 Qh
//   = 1.1 x 11.25 + 1.17 x 23.75 = 40.16 kN; sigma_oz = 40 162/(145.2 x 11) = 25.1 N/mm².
TEST_F(CraneDocument, LocalStressesAtTheAxlesOfACranePosition) {
    ASSERT_EQ(d.m_cranes.size(), 1u);
    ASSERT_GE(d.m_cranePositions.size(), 3u);
    d.m_rail.m_iTyp = 1;
    d.m_rail.m_b.SetValue(80.0);
    d.m_rail.m_h.SetValue(40.0);
    d.m_rail.m_bRigid = 1;
    d.m_rail.m_connection = 1;
    std::vector<CLoadDef> loads;
    std::vector<std::string> names;
    std::vector<double> ratios;
    int next = 1;
    AppendCraneLoads(d, 0, loads, CCrane::CLASS_ULS, 3, next, names, ratios, 0.0, 0.0);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "K1.ULS1");
    ASSERT_EQ(d.m_cranes[0].m_loadCaseNr[0], 1);
    // Group 1's wheel loads on both axles, 2.5 m apart: at the first axle
    // the lateral mass force phi5 HT = 1.5 x 7.95 = 11.925 kN (EN 1991-3
    // Table 2.2; the example's girder is one of two, and its lateral force
    // is entered as the associated one), then the vertical wheel load.
    ASSERT_GE(loads.size(), 2u);
    EXPECT_EQ(loads[0].m_offset.GetFormula(), "pos0+-1.250");
    EXPECT_EQ(loads[0].m_iDirection, 1);
    EXPECT_NEAR(loads[0].m_val[0].GetValue(), 1.5 * 7.95, 1e-9);
    EXPECT_EQ(loads[1].m_offset.GetFormula(), "pos0+-1.250");
    EXPECT_EQ(loads[1].m_iDirection, 2);
    EXPECT_NEAR(loads[1].m_val[0].GetValue(), 40.1625, 1e-9);

    PrepareSteelCheckSections(d);
    const double x = d.m_cranePositions[1];
    const std::vector<double> points{x - 1.25, x, x + 1.25};
    std::vector<double> results;
    CalcLocalWheelLoadEffects(d.m_cranes[0], d, x, 1, points, results, nullptr, nullptr);
    ASSERT_EQ(results.size(), 6u);
    EXPECT_NEAR(results[0], 25.14, 0.03);
    EXPECT_NEAR(results[1], 0.2 * 25.14, 0.01);
    EXPECT_EQ(results[2], 0.0);
    EXPECT_NEAR(results[4], 25.14, 0.03);
    // The catalogue profile's plates (flanges and web) went to the library.
    ASSERT_EQ(SEKT_PRO_GetnWLine(d.m_sections[0].m_profile.GetHandle()), 3);
    const int h = d.m_steelSections.GetSteelCheckSectionHandle(x);
    EXPECT_EQ(FER_hGetPlateRole(h, 0) + FER_hGetPlateRole(h, 1) + FER_hGetPlateRole(h, 2), 1 + 2 + 3);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(CraneDocument, SystemPointsArePlacedWithoutTouchingTheDocument) {
    const zevud::Fingerprint before = zevud::FingerPrint(ZEVUD_GetRootElement(doc));
    d.m_craneSettings.m_autoPOI = 1;
    CalcCraneLocalEffects(d);
    int system = 0;
    for (const CNotchCase& p : d.m_notchCases) system += p.m_bSystem;
    EXPECT_EQ(system, 4);
    EXPECT_TRUE(zevud::FingerPrint(ZEVUD_GetRootElement(doc)) == before);
}

}  // namespace
