// Section databases with reference counts, section handles, centring,
// contours and the profile reference; the torsion constant of rolled
// I-sections.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "input/SectProfile.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

class SectProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(RIGEL_TEST_TMP) / ("sect_" + std::to_string(getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        for (CSectProfile* p : made) p->Release();
        GetSectionDbCache().CloseAll();
        fs::remove_all(dir);
    }
    // A plate girder: flanges b x tf, web between the flange centre lines,
    // moved by (dy, dz).
    CSectProfile Girder(double dy, double dz) {
        CSectProfile p;
        p.Create(0);
        const int h = p.GetHandle();
        SEKT_PRO_AddWLine(h, zidezaz::MakeWLine(-10 + dy, -24 + dz, 10 + dy, -24 + dz, 2));
        SEKT_PRO_AddWLine(h, zidezaz::MakeWLine(-10 + dy, 24 + dz, 10 + dy, 24 + dz, 2));
        SEKT_PRO_AddWLine(h, zidezaz::MakeWLine(dy, -24 + dz, dy, 24 + dz, 1));
        return p;
    }
    fs::path dir;
    std::vector<CSectProfile*> made;
    winsys::ScopedRecordingSink sink;
};

TEST_F(SectProfileTest, SamePathTwiceSharesTheHandleUntilTheLastClose) {
    CSectionDbCache cache;
    const std::string path = (dir / "a.skw").string();
    const int h = cache.Open(path, 3);
    ASSERT_GE(h, 0);
    EXPECT_EQ(cache.Open(path, 0), h);
    EXPECT_EQ(cache.RefCount(h), 2);
    EXPECT_EQ(cache.Close(h), 1);
    EXPECT_GE(SEKT_DB_GetFilePath(h, nullptr, 0), 0);  // still open
    EXPECT_EQ(cache.Close(h), 0);
    EXPECT_EQ(SEKT_DB_GetFilePath(h, nullptr, 0), -1);  // closed
    EXPECT_EQ(cache.Close(h), -1);
    EXPECT_EQ(cache.Open((dir / "missing.skw").string(), 0), -1);
}

TEST_F(SectProfileTest, StoredSectionIsFoundAgainWithAndWithoutFolder) {
    CSectProfile p = Girder(0, 0);
    made.push_back(&p);
    const std::string db = (dir / "g.skw").string();
    for (const char* folder : {"", "Träger"}) {
        ASSERT_EQ(p.SaveToDatabase(db.c_str(), folder, "G1"), 0) << folder;
        CSectProfile q;
        ASSERT_GE(q.LoadFromDatabase(db.c_str(), folder, "G1"), 0) << folder;
        SektGqs g{};
        q.GetGrossValues(g);
        EXPECT_NEAR(g.A, 2 * 40 + 46, 1e-9) << folder;
        q.Release();
    }
    EXPECT_EQ(GetSectionDbCache().RefCount(0), 0);  // every open matched by a close
    CSectProfile none;
    EXPECT_LT(none.LoadFromDatabase((dir / "missing.skw").c_str(), "", "G1"), 0);
    none.Release();
}

TEST_F(SectProfileTest, SectionOffTheOriginIsMovedAndOneWithinToleranceIsNot) {
    struct Case {
        double dy, dz;
        bool moved;
    };
    for (const Case& c : {Case{0.5, 0, true}, Case{0, -0.5, true}, Case{0.005, 0.009, false}}) {
        CSectProfile p = Girder(c.dy, c.dz);
        EXPECT_EQ(p.Calculate(), 1);
        SektWLine web{};
        SEKT_PRO_GetWLine(p.GetHandle(), 2, &web);
        SektGqs g{};
        p.GetGrossValues(g);
        if (c.moved) {
            EXPECT_NEAR(web.ya, 0, 1e-12) << c.dy;
            EXPECT_NEAR(g.y0, 0, 1e-9);
            EXPECT_NEAR(g.z0, 0, 1e-9);
        } else {
            EXPECT_EQ(web.ya, c.dy);
            EXPECT_EQ(web.za, -24 + c.dz);
        }
        p.Release();
    }
}

TEST_F(SectProfileTest, ValuesOfOnePartSection) {
    CSectProfile p = Girder(0, 0);
    made.push_back(&p);
    SektTqs t{};
    p.GetPartValues(t);
    EXPECT_NEAR(t.A, 126, 1e-9);
    // The flanges are split where the web meets them: five wall elements.
    const int n = p.GetEffValueCount();
    ASSERT_EQ(n, 5);
    std::vector<SektTqe> e(5);
    p.GetEffValues(e.data(), n);
    double area = 0;
    for (const SektTqe& x : e) area += x.area;
    EXPECT_NEAR(area, 126, 1e-9);
    // Iy = 2 (20 * 8 / 12 + 40 * 24²) + 46³ / 12, Iz = 2 * 2 * 20³ / 12 + 46 / 12,
    // It along the centre lines = (2 * 20 * 8 + 48) / 3.
    SektGqs g{};
    p.GetGrossValues(g);
    EXPECT_NEAR(g.Ayy, 2 * (20 * 8.0 / 12 + 40 * 576) + 46.0 * 46 * 46 / 12, 1e-5 * g.Ayy);
    EXPECT_EQ(p.GetSectionValues(),
              winsys::FormatC("A=126.00 Iy=%.2lf Iz=2670.50 It=122.67 ym=0.00 zm=0.00 phi=0.00", g.Ayy));
    CSectProfile empty;
    EXPECT_EQ(empty.GetEffValueCount(), -1);
    EXPECT_EQ(empty.GetSectionValues(), "");
    EXPECT_EQ(empty.Release(), -1);
}

TEST_F(SectProfileTest, CopyOfTheWallLinesHasTheSameValues) {
    CSectProfile p = Girder(0, 0);
    made.push_back(&p);
    CSectProfile c = p.CopyWeldLines();
    made.push_back(&c);
    ASSERT_NE(c.GetHandle(), p.GetHandle());
    EXPECT_EQ(c.GetSectionValues(), p.GetSectionValues());
    EXPECT_FALSE(CSectProfile().CopyWeldLines().IsValid());
}

TEST_F(SectProfileTest, ProfileReferenceHoldsStringsValuesAndPlates) {
    CSectProfile p = Girder(0, 0);
    made.push_back(&p);
    const ZVDOC doc = ZEVUD_CreateDoc("");
    const ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "profile");
    p.WriteToDom(e, "/db/x.skw", "Träger", "G1");
    const char* keys[] = {"profName", "DBPath", "folder", "A",   "Ito", "Itg", "y0", "z0", "Ayy", "Ayz",
                          "Azz",      "Ayw",    "Azw",    "Aww", "phi", "ym",  "zm", "Byy", "Bzz", "Bww",
                          "Ptyp",     "hs",     "ts",     "bo",  "to",  "bu",  "tu"};
    ASSERT_EQ(ZEVUD_GetAttrCount(e), 27);
    for (int i = 0; i < 27; ++i) EXPECT_EQ(zevud::GetAttrName(e, i), keys[i]);
    EXPECT_EQ(zevud::GetString(e, "folder"), "Träger");
    EXPECT_EQ(ZEVUD_GetInt(e, "Ptyp"), 0);
    EXPECT_NEAR(ZEVUD_GetDouble(e, "hs"), 50, 1e-12);
    int plates = 0;
    for (ZVELEM b = ZEVUD_FindFirstChild(e, "blech"); b; b = ZEVUD_FindNextChild(b, "blech")) ++plates;
    EXPECT_EQ(plates, p.GetEffValueCount());
    ZEVUD_CloseDoc(doc);
}

// Arcs: points between the previous and the next point, on the circle, in
// the sense of the kind; arcs across 0° and ±180° keep their shape.
struct ArcCase {
    const char* what;
    double from, to;  // degrees
    int kind;
    double sweep;     // expected signed sweep, degrees
};

class ArcContour : public ::testing::TestWithParam<ArcCase> {};

TEST_P(ArcContour, PointsLieOnTheArc) {
    const ArcCase& c = GetParam();
    const double r = 2, cx = 3, cy = -1;
    auto at = [&](double deg) {
        return SektDrawPoint{cx + r * std::cos(deg * kPi / 180), cy + r * std::sin(deg * kPi / 180), 0, 0};
    };
    std::vector<SektDrawPoint> pts{at(c.from), {cx, cy, c.kind, 0}, at(c.to)};
    pts[0].kind = -1;
    std::vector<double> x, y;
    const int steps = 8;
    ContourFromDrawingPoints(pts, steps, x, y);
    ASSERT_EQ(x.size(), static_cast<size_t>(steps + 2));
    for (int k = 1; k <= steps; ++k) {
        const double want = (c.from + c.sweep * k / (steps + 1)) * kPi / 180;
        EXPECT_NEAR(x[static_cast<size_t>(k)], cx + r * std::cos(want), 1e-12) << k;
        EXPECT_NEAR(y[static_cast<size_t>(k)], cy + r * std::sin(want), 1e-12) << k;
    }
    EXPECT_EQ(x.back(), pts[2].x);
}

INSTANTIATE_TEST_SUITE_P(Arcs, ArcContour,
                         ::testing::Values(ArcCase{"quarter_across_zero", -45, 45, 2, 90},
                                           ArcCase{"quarter_across_180", 135, -135, 2, 90},
                                           ArcCase{"negative_across_180", -135, 135, -2, -90},
                                           ArcCase{"negative_quarter", 45, -45, -2, -90},
                                           ArcCase{"three_quarters", 0, -90, 2, 270}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(ContourPoints, CentreWithoutNeighboursAndOtherKindsAreSkipped) {
    std::vector<double> x, y;
    ContourFromDrawingPoints({{0, 0, 2, 0}, {1, 1, -1, 0}, {5, 5, 7, 0}, {2, 2, 1, 0}, {0, 0, -2, 0}}, 4, x, y);
    EXPECT_EQ(x, (std::vector<double>{1, 2}));
    x.clear();
    y.clear();
    ContourFromDrawingPoints({{1, 0, -1, 0}, {0, 0, 2, 0}, {0, 1, 0, 0}}, 0, x, y);
    EXPECT_EQ(x.size(), 2u);  // no arc steps: only the two end points
}

TEST_F(SectProfileTest, ContourOfARolledSectionFollowsItsFillets) {
    CSectProfile p;
    made.push_back(&p);
    p.Create(0);
    // IPE 300 in cm: fillet radius 1.5 at both web ends.
    const double hs = 30 - 1.07;
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(-7.5, -hs / 2, 7.5, -hs / 2, 1.07));
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(-7.5, hs / 2, 7.5, hs / 2, 1.07));
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(0, -hs / 2, 0, hs / 2, 0.71, 1.5, 1.5));
    std::vector<double> x, y;
    p.GetContour(x, y, 6);
    ASSERT_FALSE(x.empty());
    // Every point lies within the section's outer box and none inside the
    // hollow beside the web beyond the fillets.
    for (size_t i = 0; i < x.size(); ++i) {
        EXPECT_LE(std::fabs(x[i]), 7.5 + 1e-9);
        EXPECT_LE(std::fabs(y[i]), 15 + 1e-9);
        const double fromWeb = std::fabs(x[i]) - 0.355, fromFlange = 15 - 1.07 - std::fabs(y[i]);
        if (fromWeb > 1e-9 && fromFlange > 1e-9) {
            // In a corner: on the fillet's quarter circle.
            EXPECT_LE(fromWeb, 1.5 + 1e-9);
            EXPECT_LE(fromFlange, 1.5 + 1e-9);
            EXPECT_NEAR(std::hypot(1.5 - fromWeb, 1.5 - fromFlange), 1.5, 1e-9);
        }
    }
}

struct TorsionCase {
    const char* what;
    int ptyp, ptyp2;
    double bo, to, bu, tu, tw, h, r;
    bool computed;
    double it;
};

class RolledTorsion : public ::testing::TestWithParam<TorsionCase> {};

TEST_P(RolledTorsion, FormulaOnlyForSymmetricRolledSections) {
    const TorsionCase& c = GetParam();
    double it = -1;
    EXPECT_EQ(CalcRolledISectionTorsion(c.ptyp, c.ptyp2, c.bo, c.to, c.bu, c.tu, c.tw, c.h, c.r, it), c.computed);
    if (c.computed)
        EXPECT_NEAR(it, c.it, 0.005 * c.it);
    else
        EXPECT_EQ(it, -1);
}

// Published St. Venant constants (cm⁴): IPE 300 20.12, HEB 200 59.28,
// IPE 500 89.29.
INSTANTIATE_TEST_SUITE_P(
    Sections, RolledTorsion,
    ::testing::Values(TorsionCase{"IPE300", 0, 0, 15, 1.07, 15, 1.07, 0.71, 30, 1.5, true, 20.12},
                      TorsionCase{"HEB200", 0, 0, 20, 1.5, 20, 1.5, 0.9, 20, 1.8, true, 59.28},
                      TorsionCase{"IPE500", 0, 0, 20, 1.6, 20, 1.6, 1.02, 50, 2.1, true, 89.29},
                      // No root radius: D = (tw²/4 + tf²)/tf = 9.422353; by hand
                      // It = 2(0.0955294·9.422353⁴ + 100·8.5³/3·(1 − 0.63·8.5/100))
                      //      + (200 − 17)·5.6³/3 = 50,967.7.
                      TorsionCase{"no_root_radius", 0, 0, 100, 8.5, 100, 8.5, 5.6, 200, 0, true, 50967.7},
                      TorsionCase{"negative_radius", 0, 0, 15, 1.07, 15, 1.07, 0.71, 30, -1, false, 0},
                      TorsionCase{"unequal_flanges", 0, 0, 15, 1.07, 14, 1.07, 0.71, 30, 1.5, false, 0},
                      TorsionCase{"welded", 0, 1, 15, 1.07, 15, 1.07, 0.71, 30, 1.5, false, 0},
                      TorsionCase{"not_an_I", -1, 0, 15, 1.07, 15, 1.07, 0.71, 30, 1.5, false, 0}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace

TEST(ProfileReference, ASectionFileBesideTheDocumentIsNamedWithoutItsFolder) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("sectref_" + std::to_string(getpid()));
    ZVDOC doc = ZEVUD_CreateDoc((dir / "Pos.vkx").string().c_str());
    ASSERT_NE(doc, 0u);
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM beside = ZEVUD_AddChildElement(root, "sectlib");
    ZVELEM elsewhere = ZEVUD_AddChildElement(root, "sectlib2");
    WriteProfileReference(beside, (dir / "Pos.temp.skw").string(), "", "IPE 300", SektGqs{}, SektSqs{}, {});
    WriteProfileReference(elsewhere, "/opt/profile/profil.skw", "", "IPE 300", SektGqs{}, SektSqs{}, {});
    // Copied to another folder, the position still names its own file.
    EXPECT_EQ(zevud::GetString(beside, "DBPath"), "Pos.temp.skw");
    EXPECT_EQ(zevud::GetString(elsewhere, "DBPath"), "/opt/profile/profil.skw");
    ZEVUD_CloseDoc(doc);
}
