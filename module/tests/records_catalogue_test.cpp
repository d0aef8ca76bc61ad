// Cross-sections taken from the installed standard-profile catalogue: the
// default profile's indices, the outline of a rolled section with mirroring
// and rotation, and its profile reference.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "RecordDocFixture.h"
#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "module/Section.h"
#include "platform/winsys/winsys.h"
#include "platform/zarida/zarida.h"

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class CatalogueSection : public recordtest::RecordDoc {
protected:
    void SetUp() override
    {
        RecordDoc::SetUp();
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        DestroyStdProfile();
    }
    void TearDown() override
    {
        DestroyStdProfile();
        RecordDoc::TearDown();
    }
    winsys::ScopedRecordingSink sink_;
};

TEST_F(CatalogueSection, DefaultProfileIsFoundInTheCatalogue)
{
    CSection s;
    s.SetDefault();
    int series = -1, profile = -1;
    GetStdProfile().FindProfile("HEA", "HEA 200", series, profile);
    ASSERT_GE(series, 0);
    EXPECT_EQ(s.m_iFamily, series);
    EXPECT_EQ(s.m_iProfile, profile);
    EXPECT_EQ(s.m_iProfile2, 0);
    EXPECT_EQ(s.m_strMaterial, "St37-2");
    EXPECT_EQ(s.m_gamma_mf, 1.15);
}

TEST_F(CatalogueSection, OutlineOfARolledSectionTurnedAndMirrored)
{
    // HEA 200: h = 190 mm, b = 200 mm; turned by 90 degrees the extents swap.
    struct Case {
        double angle;
        int mirrorY, mirrorZ;
        double width, height;
    } cases[] = {{0, 0, 0, 20.0, 19.0}, {90, 0, 0, 19.0, 20.0}, {0, 1, 1, 20.0, 19.0}, {90, 1, 0, 19.0, 20.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << " mirror " << c.mirrorY << c.mirrorZ);
        ZVELEM e = Add("section");
        ZEVUD_SetString(e, "profFamily", "HEA");
        ZEVUD_SetString(e, "profName", "HEA 200");
        ZEVUD_SetDouble(e, "rotAngle", c.angle);
        ZEVUD_SetInt(e, "bMirrorY", c.mirrorY);
        ZEVUD_SetInt(e, "bMirrorZ", c.mirrorZ);
        CSection s;
        s.ReadData(e);
        double y1, z1, y2, z2;
        s.ComputeGeometry(0, y1, z1, y2, z2);
        EXPECT_NEAR(std::fabs(y2 - y1), c.width, 1e-6);
        EXPECT_NEAR(std::fabs(z2 - z1), c.height, 1e-6);
        EXPECT_EQ(s.m_ptyp, 0);  // an I-section
        EXPECT_FALSE(s.m_contourX.empty());
    }
    for (const auto& m : sink_.messages) ADD_FAILURE() << m.text;
}

TEST_F(CatalogueSection, ProfileReferenceNamesTheProfile)
{
    CSection s;
    s.m_profName = "HEA 200";
    s.m_profName2 = "HEA 300";
    s.m_bVoute = 1;
    ZVELEM e = Add("section");
    s.WriteData(e);
    ZVELEM ref = ZEVUD_FindFirstChild(e, "sectlib");
    ZVELEM ref2 = ZEVUD_FindFirstChild(e, "sectlib2");
    ASSERT_NE(ref, 0u);
    ASSERT_NE(ref2, 0u);
    EXPECT_EQ(zevud::GetString(ref, "profName"), "HEA 200");
    EXPECT_EQ(zevud::GetString(ref2, "profName"), "HEA 300");
    EXPECT_EQ(ZEVUD_GetInt(ref, "Ptyp"), 0);
}

TEST_F(CatalogueSection, MaterialFromTheCatalogueIsStoredAndReadBack)
{
    DestroyMateHandler();
    const std::string user = std::string(RIGEL_TEST_TMP) + "/records_section_user_" + std::to_string(getpid()) + ".dat";
    ZARIDA_SetFiles((std::string(RIGEL_BUILD_ROOT) + "/material/standard.material.dat").c_str(), user.c_str());
    // S235 after DIN 18800 has fyk 240; after EC 3, 235 with gamma_M1 1.0.
    struct Case {
        int norm;
        double strength, gamma_m1;
    } cases[] = {{7, 240.0, 1.1}, {8, 235.0, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.norm);
        CSection s;
        s.m_iNorm = c.norm;
        s.m_strMaterial = "S235";
        s.m_strength = 0;
        ZVELEM e = Add("section");
        s.WriteData(e);
        ZVELEM mate = ZEVUD_FindFirstChild(e, "mate");
        ASSERT_NE(mate, 0u);
        EXPECT_EQ(ZEVUD_FindNextChild(mate, "mate"), 0u);
        EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChild(mate, "Objekt"), "Name"), "S235");
        CSection back;
        back.ReadData(e);
        EXPECT_EQ(back.m_strength, c.strength);
        EXPECT_EQ(back.m_gamma_m1, c.gamma_m1);
        EXPECT_EQ(back.m_gamma, 78.5);
    }
    DestroyMateHandler();
    ZARIDA_SetFiles(nullptr, nullptr);
}

}  // namespace
