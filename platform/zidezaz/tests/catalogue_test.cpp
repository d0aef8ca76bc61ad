// The generated standard catalogue against published section tables.
#include <gtest/gtest.h>

#include <string>

#include "platform/zidezaz/zidezaz.h"

namespace {

const std::string kCatalogue = std::string(RIGEL_BUILD_ROOT) + "/profil.skw";

struct Published {
    const char* path;
    double A, Iy, Iz, It, Iw;  // cm², cm⁴, cm⁴, cm⁴, cm⁶
};
class Catalogue : public ::testing::TestWithParam<Published> {};

TEST_P(Catalogue, MatchesPublishedTables) {
    const auto p = GetParam();
    const int db = SEKT_DB_Open(kCatalogue.c_str(), 0);
    ASSERT_GE(db, 0) << kCatalogue;
    const int h = SEKT_PRO_Create();
    ASSERT_GE(SEKT_DB_GetProject(db, p.path, h), 0) << p.path;
    ASSERT_EQ(SEKT_PRO_Calculate(h), 1);
    SektGqs g{};
    ASSERT_EQ(SEKT_PRO_GetResultGqs(h, &g), 0);
    EXPECT_NEAR(g.A, p.A, 0.005 * p.A) << p.path;
    EXPECT_NEAR(g.Ayy, p.Iy, 0.005 * p.Iy) << p.path;
    EXPECT_NEAR(g.Azz, p.Iz, 0.005 * p.Iz) << p.path;
    EXPECT_NEAR(g.Ito + g.Itg, p.It, 0.005 * p.It) << p.path;
    EXPECT_NEAR(g.Bww, p.Iw, 0.005 * p.Iw) << p.path;
    // Doubly symmetric: shear centre at the centroid.
    EXPECT_NEAR(g.ym, g.y0, 1e-9);
    EXPECT_NEAR(g.zm, g.z0, 1e-9);
    SEKT_PRO_Delete(h);
    SEKT_DB_Close(db);
}
INSTANTIATE_TEST_SUITE_P(
    Rolled, Catalogue,
    ::testing::Values(Published{"\\IPE\\IPE 300", 53.81, 8356, 603.8, 20.12, 125.9e3},
                      Published{"IPE\\IPE 200", 28.48, 1943, 142.4, 6.98, 12.99e3},
                      Published{"\\HEB\\HEB 300", 149.1, 25170, 8563, 185.0, 1688e3},
                      Published{"\\HEA\\HEA 300", 112.5, 18260, 6310, 85.17, 1200e3},
                      Published{"\\HEM\\HEM 300", 303.1, 59200, 19400, 1408, 4386e3},
                      Published{"\\IPE\\IPE 100", 10.32, 171.0, 15.92, 1.20, 0.351e3},
                      Published{"\\IPE\\IPE 400", 84.46, 23130, 1318, 51.08, 490.0e3},
                      Published{"\\IPE\\IPE 600", 156.0, 92080, 3387, 165.4, 2846e3},
                      Published{"\\HEA\\HEA 200", 53.83, 3692, 1336, 20.98, 108.0e3},
                      Published{"\\HEB\\HEB 500", 238.6, 107200, 12620, 538.4, 7018e3},
                      Published{"\\HEM\\HEM 200", 131.3, 10640, 3651, 259.4, 346.3e3},
                      Published{"\\HEB\\HEB 1000", 400.0, 644700, 16280, 1254, 37640e3}));

TEST(CatalogueContents, SeriesAndWeldedGirders) {
    const int db = SEKT_DB_Open(kCatalogue.c_str(), 0);
    ASSERT_GE(db, 0);
    const auto top = zidezaz::ListFolder(db, "");
    std::vector<std::string> names;
    for (const auto& m : top) {
        EXPECT_EQ(m.kind, 1);
        names.push_back(m.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"IPE", "HEA", "HEB", "HEM", "Kranbahnträger"}));
    EXPECT_EQ(zidezaz::ListFolder(db, "\\IPE").size(), 18u);
    const auto girders = zidezaz::ListFolder(db, "\\Kranbahnträger");
    ASSERT_FALSE(girders.empty());
    const int h = SEKT_PRO_Create();
    ASSERT_GE(SEKT_DB_GetProject(db, ("\\Kranbahnträger\\" + girders[0].name).c_str(), h), 0);
    SektSqs s{};
    ASSERT_EQ(SEKT_PRO_GetResultSqs(h, &s), 0);
    EXPECT_EQ(s.Ptyp, 0);
    EXPECT_EQ(s.Ptyp2, 1);  // welded: the rolled torsion formula does not apply
    SektGqs g{};
    SEKT_PRO_GetResultGqs(h, &g);
    // Monosymmetric with the larger flange on top (smaller z): shear centre above the centroid.
    EXPECT_LT(g.zm, g.z0);
    SEKT_PRO_Delete(h);
    SEKT_DB_Close(db);
}

}  // namespace
