// The section values of the reports and their block in the open report
// (ordinal 16), against closed-form values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/zadevoz/zadevoz.h"
#include "platform/zidezaz/proofs.h"

namespace {

struct Profile {
    int h = SEKT_PRO_Create();
    ~Profile() { SEKT_PRO_Delete(h); }
};

TEST(SectionValues, RectangleAndWeldedIAgainstClosedForm) {
    // A plate 20 cm deep and 1 cm thick along z: A = 20, Iy = t h³/12,
    // Iz = h t³/12, Wy = t h²/6, Wz = h t²/6, It = h t³/3 (thin-walled).
    Profile plate;
    SEKT_PRO_AddWLine(plate.h, zidezaz::MakeWLine(0, -10, 0, 10, 1.0));
    zidezaz::SectionValues v;
    ASSERT_TRUE(zidezaz::SectionValuesOf(plate.h, v));
    EXPECT_NEAR(v.A, 20.0, 1e-9);
    EXPECT_NEAR(v.Iy, 8000.0 / 12.0, 1e-6);
    EXPECT_NEAR(v.Iz, 20.0 / 12.0, 1e-6);
    EXPECT_NEAR(v.Wy, 8000.0 / 12.0 / 10.0, 1e-6);
    EXPECT_NEAR(v.Wz, 20.0 / 12.0 / 0.5, 1e-6);
    EXPECT_NEAR(v.It, 20.0 / 3.0, 1e-6);
    EXPECT_NEAR(v.iy, std::sqrt(8000.0 / 12.0 / 20.0), 1e-9);

    // A welded doubly symmetric I: flanges 20 x 1, web 28 x 0.8 between
    // them (centre lines 29 cm apart, h = 30 cm). Iy = 2 (b tf³/12 + b tf
    // 14.5²) + tw 28³/12; Wy = Iy / 15; shear centre in the centroid;
    // Iw = Iz,flange h_s² / 2 = (tf b³/12) 29² / 2.
    Profile i;
    SEKT_PRO_AddWLine(i.h, zidezaz::MakeWLine(-10, -14.5, 10, -14.5, 1.0));
    SEKT_PRO_AddWLine(i.h, zidezaz::MakeWLine(-10, 14.5, 10, 14.5, 1.0));
    SEKT_PRO_AddWLine(i.h, zidezaz::MakeWLine(0, -14.5, 0, 14.5, 0.8));
    ASSERT_TRUE(zidezaz::SectionValuesOf(i.h, v));
    const double Iy = 2 * (20.0 / 12.0 + 20.0 * 14.5 * 14.5) + 0.8 * 28.0 * 28.0 * 28.0 / 12.0;
    EXPECT_NEAR(v.A, 40.0 + 0.8 * 28.0, 1e-6);
    EXPECT_NEAR(v.Iy, Iy, 1e-6 * Iy);
    EXPECT_NEAR(v.Wy, Iy / 15.0, 1e-6 * Iy);
    EXPECT_NEAR(v.Wz, v.Iz / 10.0, 1e-9);
    EXPECT_NEAR(v.yM, 0.0, 1e-9);
    EXPECT_NEAR(v.zM, 0.0, 1e-9);
    EXPECT_NEAR(v.Iw, 8000.0 / 12.0 * 29.0 * 29.0 / 2.0, 1e-3 * v.Iw);
    EXPECT_NEAR(v.rz, 0.0, 1e-6);  // symmetric: no asymmetry value
}

TEST(SectionValues, BlockIsWrittenIntoTheOpenReport) {
    Profile plate;
    SEKT_PRO_AddWLine(plate.h, zidezaz::MakeWLine(0, -10, 0, 10, 1.0));
    const auto dir = std::filesystem::path(RIGEL_TEST_TMP) / ("zaz_values_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "r.rtf").string();
    zadevoz::RtfResetReport();
    zadevoz::RtfOpenDocument(file, 0, 0, 1, "nologo\0\0");
    double work[ZAZ_SECTION_VALUE_COUNT] = {};
    EXPECT_EQ(ZAZUZER_WriteSectionValues(plate.h, -1, "\\b Blech 200x10\\b0", 0, 0, work), 0);
    // Refused: another kind, a bad handle; nothing written.
    EXPECT_EQ(ZAZUZER_WriteSectionValues(plate.h, 0, "nicht", 0, 0, nullptr), -1);
    EXPECT_EQ(ZAZUZER_WriteSectionValues(99999, -1, "nicht", 0, 0, nullptr), -1);
    zadevoz::RtfCloseDocument(0);
    EXPECT_NEAR(work[0], 20.0, 1e-9);             // A
    EXPECT_NEAR(work[3], 8000.0 / 12.0, 1e-6);   // Iy
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string rtf = text.str();
    EXPECT_NE(rtf.find("Blech 200x10"), std::string::npos);
    EXPECT_NE(rtf.find("666.67"), std::string::npos);  // Iy and Wy·10
    EXPECT_NE(rtf.find("W{\\sub y}"), std::string::npos);
    EXPECT_EQ(rtf.find("nicht"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
