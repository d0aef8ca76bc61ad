// Single-point proofs: design strength by the kind of the load case, the
// documents stored for the plastic and the elastic proof, and the table
// count against the material threshold.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "kernel_results/SinglePointProof.h"
#include "testsupport/rtf_reader.h"
#include "platform/zidezaz/proofs.h"
#include "testsupport/position_doc.h"

namespace {

int MakeIpe300() {
    const double hs = 30.0 - 1.07;
    const int p = SEKT_PRO_Create();
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-7.5, -hs / 2, 7.5, -hs / 2, 1.07));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-7.5, hs / 2, 7.5, hs / 2, 1.07));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -hs / 2, 0, hs / 2, 0.71, 1.5, 1.5));
    SEKT_PRO_Calculate(p);
    return p;
}

struct Fixture : ::testing::Test {
    results_test::ScratchDir dir{"proof"};
    int pro = MakeIpe300();
    ZVDOC doc = ZEVUD_CreateDoc((dir.path() / "p.vkx").string().c_str());
    ZVELEM result = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "result");
    ~Fixture() override {
        ZEVUD_CloseDoc(doc);
        SEKT_PRO_Delete(pro);
    }
    rtftest::Document Stored(const char* attr) {
        const auto f = dir.path() / (std::string(attr) + ".rtf");
        if (ZEVUD_LoadFileFromAttr(result, attr, f.string().c_str()) != 1) return {};
        return rtftest::ParseRtfFile(f);
    }
};

TEST_F(Fixture, DesignStrengthUsesGammaMA1ForAccidentalCases) {
    tovik::RunState run;
    auto& m = run.materials;
    m.fyk = {235};
    m.fuk = {360};
    m.fykt = {215};
    m.E = {210000};
    m.G = {81000};
    m.gamma = {78.5};
    m.gamma_m1 = {1.1};
    m.gamma_ma1 = {1.0};
    m.minStressSigV = {0};
    run.combos.LkKat = {"Ed", "Ed,A"};
    EXPECT_NEAR(tovik::checks::DesignStrength(run, 0), 235.0 / 1.1, 1e-9);
    EXPECT_NEAR(tovik::checks::DesignStrength(run, 1), 235.0, 1e-9);
    // A missing gamma_M1 is defaulted with an error line, never divided by.
    m.gamma_m1 = {0};
    EXPECT_NEAR(tovik::checks::DesignStrength(run, 0), 235.0 / 1.1, 1e-9);
    EXPECT_EQ(run.ErrorCount, 1);
    tovik::checks::DesignStrength(run, 1);
    EXPECT_EQ(run.ErrorCount, 1);  // said once per run
}

TEST_F(Fixture, GradeOutsideTheTableIsRefused) {
    tovik::RunState run;
    run.cdltr.nQs = 1;
    run.cdltr.Mat[0] = 9;
    EXPECT_EQ(tovik::checks::DesignStrength(run, 0), 0.0);
    EXPECT_GE(run.ErrorCount, 1);
    run.cdltr.Mat[0] = 1;
    run.cdltr.StahlTab = 0;
    EXPECT_GT(tovik::checks::DesignStrength(run, 0), 0.0);
}

TEST_F(Fixture, PlasticProofWithoutElementOnlyReturnsTheUtilisation) {
    const double f[8] = {0, 0, 0, 0, 147.6 / 2, 0, 0, 0};
    EXPECT_NEAR(tovik::checks::PlasticProofAt(pro, 235.0, f, 1.5, 0), 0.5, 2e-3);
    EXPECT_EQ(ZEVUD_GetBinDataLength(result, "rtfFile"), 0);
    EXPECT_NEAR(tovik::checks::PlasticProofAt(pro, 235.0, f, 1.5, result), 0.5, 2e-3);
    const auto d = Stored("rtfFile");
    ASSERT_TRUE(d.ok);
    bool title = false;
    for (const auto& p : d.paragraphs) title = title || p.text.find("bei x=1.50m") != std::string::npos;
    EXPECT_TRUE(title);
}

TEST_F(Fixture, ElasticProofWritesThreeTablesOnlyWhenBothResultsReachTheThreshold) {
    struct Case {
        double My, Vz, minStress;
        int tables;
    };
    const Case cases[] = {
        {60, 100, 0.2, 3},    // both utilisations above 0.2
        {5, 100, 0.2, 2},     // normal stresses below
        {60, 1, 0.2, 2},      // shear below
        {5, 1, 0.0, 3},       // no threshold: always three
    };
    for (const Case& c : cases) {
        const double f[8] = {0, 0, c.Vz, 0, c.My, 0, 0, 0};
        EXPECT_EQ(tovik::checks::ElasticProofAt(pro, 213.6, f, c.minStress, 3.0, result), c.tables) << c.My << " " << c.Vz;
        const auto d0 = Stored("rtfFile_0");
        const auto d1 = Stored("rtfFile_1");
        ASSERT_TRUE(d0.ok && d1.ok);
        EXPECT_EQ(static_cast<int>(d0.tables.size()), c.tables);
        EXPECT_EQ(static_cast<int>(d1.tables.size()), c.tables);
        // Codes 21x list every stress point (3 per wall element; the flanges
        // are two elements each, cut at the web), 11x the decisive one of each.
        EXPECT_EQ(d0.tables[0].size(), 1u + 15u);
        EXPECT_EQ(d1.tables[0].size(), 1u + 5u);
    }
    const double none[8] = {};
    EXPECT_EQ(tovik::checks::ElasticProofAt(pro, 213.6, none, 0, 0, 0), 0);  // no element: nothing
}

}  // namespace
