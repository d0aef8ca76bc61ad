// Standard-profile catalogue: series and profiles of the standard, user and
// further database files, values computed or taken from a value file, the
// value table through the profile-data library, reloading on a changed user
// file, copies and the editor question.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "input/StdProfile.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

// Reaches the catalogue's series for checks of its state.
class TestCatalogue : public CStdProfile {
public:
    using CStdProfile::CStdProfile;
    std::vector<std::vector<CStdProfileEntry>>& Series() { return m_series; }
};

// A database file holding a plate girder under each of the given paths.
void MakeDatabase(const fs::path& file, const std::vector<std::string>& paths) {
    fs::remove(file);
    const int db = SEKT_DB_Open(file.c_str(), 3);
    ASSERT_GE(db, 0);
    const int p = SEKT_PRO_Create();
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-10, -24, 10, -24, 2));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-10, 24, 10, 24, 2));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -24, 0, 24, 1));
    for (const auto& path : paths) ASSERT_EQ(SEKT_DB_AddProject(db, path.c_str(), p), 0);
    ASSERT_EQ(SEKT_DB_Save(db, nullptr), 0);
    SEKT_DB_Close(db);
    SEKT_PRO_Delete(p);
}

class StdProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        dir = fs::path(RIGEL_TEST_TMP) / ("stdprofile_" + std::to_string(getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        standard = std::string(RIGEL_BUILD_ROOT) + "/profil.skw";
        cat = std::make_unique<TestCatalogue>(standard, dir.string());
    }
    void TearDown() override {
        cat.reset();
        fs::remove_all(dir);
    }
    fs::path dir;
    std::string standard;
    std::unique_ptr<TestCatalogue> cat;
    winsys::ScopedRecordingSink sink;
};

TEST_F(StdProfileTest, RolledProfileHasTheTableValuesAndTheTorsionFormula) {
    int s, p;
    cat->FindProfile("ipe", "ipe 300", s, p);
    ASSERT_GE(s, 0);
    ASSERT_GE(p, 0);
    EXPECT_EQ(cat->GetSeriesName(s), "IPE");
    EXPECT_TRUE(cat->ProfileExists("IPE", "IPE 300"));
    EXPECT_FALSE(cat->ProfileExists("IPE", "IPE 301"));
    SektGqs g{};
    SektSqs d{};
    std::vector<PlateRadii> plates;
    ASSERT_TRUE(cat->GetValues(s, p, g, d, &plates));
    EXPECT_NEAR(g.A, 53.81, 0.005 * 53.81);
    EXPECT_NEAR(g.Ayy, 8356, 0.005 * 8356);
    EXPECT_NEAR(g.Ito, 20.12, 0.005 * 20.12);  // published It of IPE 300
    EXPECT_EQ(g.y0, 0);
    EXPECT_EQ(g.z0, 0);
    EXPECT_EQ(d.Ptyp, 0);
    EXPECT_FALSE(plates.empty());
    std::string path;
    EXPECT_EQ(cat->GetProfileType(s, p, &path), 0);
    EXPECT_EQ(path, standard);
    std::vector<std::string> names;
    EXPECT_EQ(cat->GetProfileNames(s, names, -1), 18);
    EXPECT_EQ(names.front(), "IPE 80");
    EXPECT_EQ(cat->GetProfileNamesOfSeries("IPE", names, 0), 18);
    EXPECT_EQ(cat->GetProfileNamesOfSeries("IPE", names, 3), 0);
    EXPECT_EQ(cat->GetProfileType(s, 999, nullptr), -1);
    EXPECT_FALSE(cat->GetValues(s, 999, g, d, nullptr));
}

TEST_F(StdProfileTest, ValueTableThroughTheProfileDataLibrary) {
    int s, p;
    cat->FindProfile("IPE", "IPE 300", s, p);
    std::vector<std::string> names, symbols, units;
    std::vector<double> values;
    cat->GetSectionValueTable(s, p, names, symbols, values, units);
    ASSERT_EQ(values.size(), 17u);
    ASSERT_EQ(names.size(), 17u);
    EXPECT_EQ(names[0], "Querschnittsfläche");
    EXPECT_EQ(names[7], "Höhe");
    EXPECT_EQ(names[16], "Plastische Querkraft z");
    EXPECT_EQ(symbols[1], "I\\sub y\\nosupersub ");
    EXPECT_EQ(symbols[12], "M\\sub ply\\nosupersub ");
    EXPECT_EQ(units[0], "cm\\super 2\\nosupersub ");
    EXPECT_EQ(units[3], "cm\\super 3\\nosupersub ");
    EXPECT_EQ(units[7], "mm");
    EXPECT_EQ(units[12], "kNm");
    EXPECT_EQ(units[14], "kN");
    // Published: A = 53.81 cm², Wy = 557 cm³, Wpl,y = 628 cm³ (S235: 235 N/mm²).
    EXPECT_NEAR(values[0], 53.81, 0.005 * 53.81);
    EXPECT_NEAR(values[3], 557.1, 0.005 * 557.1);
    EXPECT_NEAR(values[12], 628.4 * 23.5 / 100, 0.005 * 628.4 * 0.235);
    EXPECT_DOUBLE_EQ(values[7], 300);
    // Out of range: nothing appended.
    cat->GetSectionValueTable(s, 999, names, symbols, values, units);
    EXPECT_EQ(values.size(), 17u);
}

TEST_F(StdProfileTest, FurtherFilesGiveSeriesNamedAfterTheirFoldersOrTheFile) {
    const fs::path extra = dir / "Extra.skw";
    MakeDatabase(extra, {"\\P1", "\\P2", "\\Sub\\Q1", "\\Sub\\Deep\\R1"});
    const int db = cat->AddDatabaseFile(extra.string(), 1);
    ASSERT_GE(db, 0);
    const int top = cat->FindSeries((dir / "Extra").string());
    ASSERT_GE(top, 0);
    std::vector<std::string> names;
    cat->GetProfileNames(top, names, -1);
    EXPECT_EQ(names, (std::vector<std::string>{"P1", "P2"}));
    EXPECT_GE(cat->FindSeries("Sub"), 0);
    EXPECT_GE(cat->FindSeries("Sub\\Deep"), 0);
    // Without the load flag the top level's profiles are left out.
    const fs::path more = dir / "More.skw";
    MakeDatabase(more, {"\\T1", "\\Other\\U1"});
    cat->AddDatabaseFile(more.string(), 0);
    EXPECT_EQ(cat->FindSeries((dir / "More").string()), -1);
    EXPECT_GE(cat->FindSeries("Other"), 0);
    // Same path in other letters: the handle it has.
    std::string upper = extra.string();
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(cat->AddDatabaseFile(upper, 1), db);
    // Removing needs the exact path.
    EXPECT_EQ(cat->RemoveDatabaseFile(upper), 0);
    EXPECT_GE(cat->FindSeries("Sub"), 0);
    EXPECT_EQ(cat->RemoveDatabaseFile(extra.string()), 1);
    EXPECT_EQ(cat->FindSeries("Sub"), -1);
    EXPECT_GE(cat->FindSeries("Other"), 0);
}

TEST_F(StdProfileTest, FindProfileReturnsTheLaterOfTwoEqualNames) {
    const int s = cat->FindSeries("HEB");
    ASSERT_GE(s, 0);
    CStdProfileEntry twin = cat->Series()[static_cast<size_t>(s)][2];
    twin.name = "heb 100";
    cat->Series()[static_cast<size_t>(s)].push_back(twin);
    int si, pi;
    cat->FindProfile("HEB", "HEB 100", si, pi);
    EXPECT_EQ(si, s);
    EXPECT_EQ(pi, static_cast<int>(cat->Series()[static_cast<size_t>(s)].size()) - 1);
}

TEST_F(StdProfileTest, ChangedUserFileIsReadAgainAndAnUnchangedOneIsNot) {
    const fs::path user = dir / "userProfil.skw";
    MakeDatabase(user, {"\\Mine\\P1"});
    const int s = cat->FindSeries("Mine");
    ASSERT_GE(s, 0);
    SektGqs g{};
    SektSqs d{};
    ASSERT_TRUE(cat->GetValues(s, 0, g, d, nullptr));
    EXPECT_NEAR(g.A, 126, 1e-9);
    ASSERT_TRUE(cat->Series()[static_cast<size_t>(s)][0].computed);
    // Unchanged: the catalogue (with its computed entry) stays.
    EXPECT_EQ(cat->FindSeries("Mine"), s);
    EXPECT_TRUE(cat->Series()[static_cast<size_t>(s)][0].computed);
    // Saved anew with another profile: the next query reads everything again.
    MakeDatabase(user, {"\\Mine\\P1", "\\Mine\\P2"});
    std::vector<std::string> names;
    EXPECT_EQ(cat->GetProfileNamesOfSeries("Mine", names, -1), 2);
    const int s2 = cat->FindSeries("Mine");
    EXPECT_FALSE(cat->Series()[static_cast<size_t>(s2)][0].computed);
    // The reference names the user file for its profiles.
    const ZVDOC doc = ZEVUD_CreateDoc("");
    const ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "profile");
    cat->WriteReference(s2, 1, e);
    EXPECT_EQ(zevud::GetString(e, "DBPath"), user.string());
    EXPECT_EQ(zevud::GetString(e, "folder"), "\\Mine");
    EXPECT_EQ(zevud::GetString(e, "profName"), "P2");
    ZEVUD_CloseDoc(doc);
}

// Once the user file has stood unchanged for a while, a look-up does not
// read it again; still every change is seen: the file written over in place
// with as many bytes, and a file whose name differs only in case put there
// in its place.
TEST_F(StdProfileTest, SettledUserFileIsNotReadAgainYetEveryChangeIsSeen) {
    const fs::path user = dir / "userProfil.skw";
    MakeDatabase(user, {"\\Mine\\P1"});
    const fs::path other = dir / "other.skw";
    MakeDatabase(other, {"\\Mine\\P3"});
    ASSERT_EQ(fs::file_size(other), fs::file_size(user));
    std::vector<std::string> names;
    ASSERT_EQ(cat->GetProfileNamesOfSeries("Mine", names, -1), 1);
    // A change time two seconds old counts as settled.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    const int s = cat->FindSeries("Mine");
    SektGqs g{};
    SektSqs d{};
    ASSERT_TRUE(cat->GetValues(s, 0, g, d, nullptr));
    EXPECT_TRUE(cat->Series()[static_cast<size_t>(s)][0].computed);
    EXPECT_EQ(cat->FindSeries("Mine"), s);
    EXPECT_TRUE(cat->Series()[static_cast<size_t>(s)][0].computed) << "an unchanged file was read again";
    {
        std::ifstream in(other, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fstream out(user, std::ios::binary | std::ios::in | std::ios::out);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    names.clear();
    ASSERT_EQ(cat->GetProfileNamesOfSeries("Mine", names, -1), 1);
    EXPECT_EQ(names, std::vector<std::string>{"P3"});

    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    ASSERT_GE(cat->FindSeries("Mine"), 0);
    fs::remove(user);
    MakeDatabase(dir / "USERPROFIL.SKW", {"\\Mine\\P1", "\\Mine\\P2"});
    names.clear();
    EXPECT_EQ(cat->GetProfileNamesOfSeries("Mine", names, -1), 2);
}

// Value-file records, written field by field.
void PutD(std::vector<unsigned char>& b, size_t off, double v) { std::memcpy(&b[off], &v, 8); }
void PutI(std::vector<unsigned char>& b, size_t off, int32_t v) {
    for (int i = 0; i < 4; ++i) b[off + static_cast<size_t>(i)] = static_cast<unsigned char>((v >> (8 * i)) & 0xff);
}

TEST_F(StdProfileTest, ValueFileValuesAreUsedForItsOwnDatabaseOnly) {
    const fs::path withValues = dir / "vf.skw", without = dir / "other.skw";
    MakeDatabase(withValues, {"\\VF\\Q1"});
    MakeDatabase(without, {"\\VF\\Q1"});
    {
        const ZVDOC v = ZEVUD_CreateDoc((dir / "vf.v2.skb").c_str());
        const ZVELEM root = ZEVUD_GetRootElement(v);
        const ZVELEM info = ZEVUD_AddChildElement(root, "info");
        ZEVUD_SetDouble(info, "dblversion", 2.5);
        ZEVUD_SetString(info, "modulename", "Profile");
        const ZVELEM folder = ZEVUD_AddChildElement(root, zevud::MakeValidElementName("VF").c_str());
        const ZVELEM prof = ZEVUD_AddChildElement(folder, zevud::MakeValidElementName("Q1").c_str());
        ZEVUD_SetString(prof, "profName", "q1");
        std::vector<unsigned char> gqs(136, 0), sqs(336, 0), pts(3 * 24, 0), plates(32, 0);
        PutD(gqs, 0, 999);    // A
        PutD(gqs, 24, 1);     // y0
        PutD(gqs, 32, 2);     // z0
        PutD(gqs, 96, 3);     // ym
        PutD(gqs, 104, 5);    // zm
        PutI(sqs, 0, -1);     // no recognised shape
        for (int i = 0; i < 3; ++i) {
            PutD(pts, static_cast<size_t>(i) * 24, 10.0 + i);
            PutD(pts, static_cast<size_t>(i) * 24 + 8, 20.0 + i);
            PutI(pts, static_cast<size_t>(i) * 24 + 16, i == 0 ? -1 : 0);
        }
        PutD(plates, 8, 1.5);
        ZEVUD_SetBinData(prof, "Gqs", 136, gqs.data(), 0);
        ZEVUD_SetBinData(prof, "Sqs", 336, sqs.data(), 0);
        ZEVUD_SetBinData(prof, "drawingPoints", 72, pts.data(), 0);
        ZEVUD_SetBinData(prof, "blechradien", 32, plates.data(), 0);
        ASSERT_EQ(ZEVUD_SaveDoc(v), 1);
        ZEVUD_CloseDoc(v);
    }
    cat->AddDatabaseFile(withValues.string(), 1);
    const int s1 = cat->FindSeries("VF");
    ASSERT_GE(s1, 0);
    SektGqs g{};
    SektSqs d{};
    std::vector<PlateRadii> plates;
    ASSERT_TRUE(cat->GetValues(s1, 0, g, d, &plates));
    EXPECT_EQ(g.A, 999);
    EXPECT_EQ(g.ym, 2);  // moved to the reference point (1, 2)
    EXPECT_EQ(g.zm, 3);
    EXPECT_EQ(g.y0, 0);
    ASSERT_EQ(plates.size(), 1u);
    EXPECT_EQ(plates[0][1], 1.5);
    std::vector<double> x, y;
    std::vector<int> kinds;
    cat->GetContourPoints(s1, 0, x, y, kinds);
    EXPECT_EQ(x, (std::vector<double>{9, 10, 11}));
    EXPECT_EQ(y, (std::vector<double>{18, 19, 20}));
    EXPECT_EQ(kinds, (std::vector<int>{-1, 0, 0}));
    ASSERT_NE(cat->ValueFileInfo(withValues.string()), nullptr);
    EXPECT_EQ(cat->ValueFileInfo(withValues.string())->modulename, "Profile");
    // The same folder and profile in a file without a value file: computed.
    cat->AddDatabaseFile(without.string(), 1);
    int found = 0;
    for (int s = 0; s < cat->GetSeriesCount(); ++s) {
        if (cat->GetSeriesName(s) != "VF" || s == s1) continue;
        ASSERT_TRUE(cat->GetValues(s, 0, g, d, nullptr));
        EXPECT_NEAR(g.A, 126, 1e-9);
        ++found;
        const ZVDOC doc = ZEVUD_CreateDoc("");
        const ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "profile");
        cat->WriteReference(s, 0, e);
        EXPECT_EQ(zevud::GetString(e, "DBPath"), without.string());
        ZEVUD_CloseDoc(doc);
    }
    EXPECT_EQ(found, 1);
}

TEST_F(StdProfileTest, ContourPolygonOfARolledProfileKeepsItsFillets) {
    int s, p;
    cat->FindProfile("HEB", "HEB 200", s, p);
    std::vector<double> x, y;
    cat->GetContourPolygon(s, p, x, y, 4);
    ASSERT_FALSE(x.empty());
    for (size_t i = 0; i < x.size(); ++i) {
        EXPECT_LE(std::fabs(x[i]), 10 + 1e-9);
        EXPECT_LE(std::fabs(y[i]), 10 + 1e-9);
    }
}

// Whether the segments p1-p2 and q1-q2 meet (crossing or touching).
bool SegmentsMeet(double p1x, double p1y, double p2x, double p2y, double q1x, double q1y, double q2x, double q2y) {
    auto side = [](double ax, double ay, double bx, double by, double cx, double cy) {
        const double c = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        return c > 1e-12 ? 1 : c < -1e-12 ? -1 : 0;
    };
    auto within = [](double a, double b, double c) { return std::min(a, b) - 1e-12 <= c && c <= std::max(a, b) + 1e-12; };
    const int d1 = side(q1x, q1y, q2x, q2y, p1x, p1y), d2 = side(q1x, q1y, q2x, q2y, p2x, p2y);
    const int d3 = side(p1x, p1y, p2x, p2y, q1x, q1y), d4 = side(p1x, p1y, p2x, p2y, q2x, q2y);
    if (d1 * d2 < 0 && d3 * d4 < 0) return true;
    auto on = [&](int d, double ax, double ay, double bx, double by, double cx, double cy) {
        return d == 0 && within(ax, bx, cx) && within(ay, by, cy);
    };
    return on(d1, q1x, q1y, q2x, q2y, p1x, p1y) || on(d2, q1x, q1y, q2x, q2y, p2x, p2y) ||
           on(d3, p1x, p1y, p2x, p2y, q1x, q1y) || on(d4, p1x, p1y, p2x, p2y, q2x, q2y);
}

// The preview outline of rolled I-sections: one closed polygon without
// self-intersection around flanges, web and root fillets, its area the
// tabulated A (cm²; with four or more points per arc its chords add a few
// hundredths per fillet).
TEST_F(StdProfileTest, ContourPolygonOfRolledISectionsIsOneSimpleOutline) {
    struct Case {
        const char *series, *name;
        double A, h, b;  // published A in cm², h and b in cm
    } cases[] = {{"HEA", "HEA 200", 53.8, 19.0, 20.0}, {"IPE", "IPE 300", 53.8, 30.0, 15.0},
                 {"HEB", "HEB 300", 149.0, 30.0, 30.0}};
    for (const Case& c : cases) {
        for (int steps : {1, 4, 8}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(steps) + " arc steps");
            int s, p;
            cat->FindProfile(c.series, c.name, s, p);
            ASSERT_GE(p, 0);
            std::vector<double> x, y;
            cat->GetContourPolygon(s, p, x, y, steps);
            ASSERT_EQ(x.size(), y.size());
            ASSERT_GE(x.size(), 17u);
            EXPECT_EQ(x.front(), x.back());
            EXPECT_EQ(y.front(), y.back());
            const size_t n = x.size() - 1;  // edges
            // The flanges' eight corners and, per fillet, its two ends and
            // the points between them on the arc.
            EXPECT_EQ(n, 8u + 4u * (2u + static_cast<size_t>(steps))) << "points";
            double area = 0, x1 = x[0], x2 = x[0], y1 = y[0], y2 = y[0];
            for (size_t i = 0; i < n; ++i) {
                area += x[i] * y[i + 1] - x[i + 1] * y[i];
                x1 = std::min(x1, x[i]);
                x2 = std::max(x2, x[i]);
                y1 = std::min(y1, y[i]);
                y2 = std::max(y2, y[i]);
                for (size_t j = i + 2; j < n; ++j) {
                    if (i == 0 && j == n - 1) continue;  // neighbours through the closing point
                    EXPECT_FALSE(SegmentsMeet(x[i], y[i], x[i + 1], y[i + 1], x[j], y[j], x[j + 1], y[j + 1]))
                        << "edges " << i << " and " << j;
                }
            }
            // One step per arc cuts the fillets too coarsely to weigh them.
            if (steps >= 4) EXPECT_NEAR(std::fabs(area) / 2, c.A, 0.01 * c.A);
            EXPECT_NEAR(x2 - x1, c.b, 1e-9);
            EXPECT_NEAR(y2 - y1, c.h, 1e-9);
        }
    }
}

TEST_F(StdProfileTest, MissingOrDamagedStandardFileGivesNoSeries) {
    const fs::path damaged = dir / "damaged.skw";
    std::ofstream(damaged) << "<root><skwdb";
    for (const fs::path& file : {dir / "missing.skw", damaged}) {
        TestCatalogue c(file.string(), dir.string());
        EXPECT_EQ(c.GetSeriesCount(), 0) << file;
        int s = 0, p = 0;
        c.FindProfile("IPE", "IPE 300", s, p);
        EXPECT_EQ(s, -1);
        EXPECT_EQ(p, -1);
        SektGqs g{};
        SektSqs d{};
        EXPECT_FALSE(c.GetValues(0, 0, g, d, nullptr));
        std::vector<std::string> names, symbols, units;
        std::vector<double> values;
        c.GetSectionValueTable(0, 0, names, symbols, values, units);
        EXPECT_TRUE(values.empty());
        std::vector<double> x, y;
        c.GetContourPolygon(0, 0, x, y, 4);
        EXPECT_TRUE(x.empty());
    }
}

TEST_F(StdProfileTest, CopyToAnotherDatabase) {
    int s, p;
    cat->FindProfile("IPE", "IPE 200", s, p);
    const fs::path target = dir / "copy.skw";
    EXPECT_NE(cat->CopyProfileToDatabase(s, p, target.string(), "\\Kopie", 0), 0);  // mode 2: no file yet
    EXPECT_EQ(cat->CopyProfileToDatabase(s, p, target.string(), "\\Kopie", 1), 0);
    const int db = SEKT_DB_Open(target.c_str(), 0);
    ASSERT_GE(db, 0);
    const int pro = SEKT_PRO_Create();
    EXPECT_GE(SEKT_DB_GetProject(db, "\\Kopie\\IPE 200", pro), 0);
    EXPECT_EQ(SEKT_PRO_GetnWLine(pro), 3);
    SEKT_PRO_Delete(pro);
    SEKT_DB_Close(db);
}

TEST_F(StdProfileTest, CancelInTheEditorQuestionNeitherCopiesNorStartsTheEditor) {
    int s, p;
    cat->FindProfile("IPE", "IPE 200", s, p);
    sink.scriptedAnswers = {winsys::IdCancel};
    cat->EditInSectionEditor(s, p, true, false, "");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("'IPE 200' aus\nder Reihe 'IPE'"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "userProfil.skw"));
    EXPECT_GE(cat->FindSeries("IPE"), 0);
}

// The user profile folder from the registry, in a registry of this test's own.
TEST(UserProfileFolder, RegistryValueNamesTheFolderOrTheFile) {
    const fs::path reg = fs::path(RIGEL_TEST_TMP) / ("stdprofile_reg_" + std::to_string(getpid()));
    fs::remove_all(reg);
    fs::create_directories(reg);
    const std::string old = winsys::GetEnv("VELOR_REGISTRY_DIR").value_or("");
    setenv("VELOR_REGISTRY_DIR", reg.c_str(), 1);
    winsys::RegistryReload();
    winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    struct Case {
        const char* value;
        std::string folder;
    };
    const Case cases[] = {{"", GetInstallRoot()},
                          {"/data/profiles", "/data/profiles"},
                          {"/data/profiles/userProfil.skw", "/data/profiles"},
                          {"D:\\Daten\\userProfil.skw", "D:/Daten"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, "software\\VKT\\Ostrel", "userProfil", c.value));
        EXPECT_EQ(GetUserProfileFolder(), c.folder) << c.value;
        CStdProfile cat;
        EXPECT_EQ(cat.UserFile(), c.folder + "/userProfil.skw") << c.value;
        EXPECT_EQ(cat.StandardFile(), GetInstallRoot() + "/profil.skw");
    }
    setenv("VELOR_REGISTRY_DIR", old.c_str(), 1);
    winsys::RegistryReload();
    fs::remove_all(reg);
}

}  // namespace

TEST_F(StdProfileTest, MissingSectionEditorIsToldAndTheCatalogueStays) {
    int s, p;
    cat->FindProfile("IPE", "IPE 200", s, p);
    cat->EditInSectionEditor(s, p, false, false, "");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Der Querschnittseditor 'profed2' ist nicht installiert.");
    EXPECT_GE(cat->FindSeries("IPE"), 0);
}
