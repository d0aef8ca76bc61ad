// The beam document reader: generated nodes into fields, supports in the
// document's axes, loads, imperfection defaults and combinations.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kernel/BeamReader.h"
#include "kernel/KernelPhases.h"
#include "kernel/MemberDesignReader.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/BeamElement.h"
#include "kernel/fe/FeSolver.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;
using namespace tovik;

namespace {

TEST(BeamSubdivision, CountFollowsTheLength) {
    const struct {
        double length;
        int32_t expected;
    } cases[] = {{0.5, 6}, {1.9, 6}, {2.0, 6}, {2.8, 8}, {3.0, 8}, {3.9, 10}, {4.9, 12}, {5.0, 12}, {20.0, 12}};
    for (const auto& c : cases) EXPECT_EQ(SubdivisionCount(c.length), c.expected) << c.length;
}

struct Node {
    double pos;
    int32_t support;  // 0-based, -1 none
    int32_t hinge;    // 0-based, -1 none
};

class BeamReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("beam_reader_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        old_ = fs::current_path();
        fs::current_path(dir_);
        doc_ = ZEVUD_CreateDoc((dir_ / "Stab.VKX").string().c_str());
        root_ = ZEVUD_GetRootElement(doc_);
        ZEVUD_SetString(root_, "progname", "VOVI");
        input_ = ZEVUD_AddChildElement(root_, "input");
        system_ = ZEVUD_AddChildElement(input_, "system");
        ZVELEM f1 = ZEVUD_AddChildElement(system_, "field");
        ZEVUD_SetString(f1, "fieldNr", "1");
        ZVELEM lib = ZEVUD_AddChildElement(f1, "Sectlib");
        ZEVUD_SetDouble(lib, "A", 53.8);
        ZEVUD_SetDouble(lib, "phi", 0.0);
    }
    void TearDown() override {
        ZEVUD_CloseDoc(doc_);
        fs::current_path(old_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Supports as (cx, cy, cz, cmx, cmy, cmz); nodes with support and hinge.
    void Nodes(const std::vector<std::array<double, 6>>& supports, const std::vector<Node>& nodes,
               const std::string& profile = "IPE 300") {
        ZVELEM gen = ZEVUD_AddChildElement(input_, "genNode");
        ZEVUD_SetInt(gen, "numOfSupports", static_cast<int>(supports.size()));
        static const char* const names[6] = {"cx", "cy", "cz", "cmx", "cmy", "cmz"};
        for (size_t i = 0; i < supports.size(); ++i) {
            ZVELEM s = ZEVUD_AddChildElement(gen, "support");
            ZEVUD_SetString(s, "supportNr", std::to_string(i).c_str());
            for (int k = 0; k < 6; ++k) ZEVUD_SetDouble(s, names[k], supports[i][static_cast<size_t>(k)]);
        }
        ZEVUD_SetInt(gen, "numOfGenNodes", static_cast<int>(nodes.size()));
        for (size_t i = 0; i < nodes.size(); ++i) {
            ZVELEM n = ZEVUD_AddChildElement(gen, "node");
            ZEVUD_SetString(n, "genNodeNr", std::to_string(i).c_str());
            ZEVUD_SetDouble(n, "pos", nodes[i].pos);
            ZEVUD_SetInt(n, "iSupport", nodes[i].support);
            ZEVUD_SetInt(n, "iGelenk", nodes[i].hinge);
            ZEVUD_SetString(n, "strProfile", profile.c_str());
        }
    }
    ZVELEM Load(int ltype, int lc, int direction, double val0, double val1 = 0, int node = 0) {
        ZVELEM gen = ZEVUD_FindFirstChild(input_, "genimpact");
        if (!gen) gen = ZEVUD_AddChildElement(input_, "genimpact");
        ZVELEM l = ZEVUD_AddChildElement(gen, "load");
        ZEVUD_SetInt(l, "ltype", ltype);
        ZEVUD_SetInt(l, "lc", lc);
        ZEVUD_SetInt(l, "node", node);
        ZEVUD_SetInt(l, "direction", direction);
        ZEVUD_SetDouble(l, "offset", 1.0);
        ZEVUD_SetDouble(l, "length", 2.0);
        ZEVUD_SetDouble(l, "val0", val0);
        ZEVUD_SetDouble(l, "val1", val1);
        return l;
    }
    void Combination(const char* art, const char* regel) {
        ZVELEM lu = ZEVUD_FindFirstChild(input_, "lastUeberlagerung");
        if (!lu) lu = ZEVUD_AddChildElement(input_, "lastUeberlagerung");
        ZVELEM res = ZEVUD_FindFirstChild(lu, "results");
        if (!res) res = ZEVUD_AddChildElement(lu, "results");
        ZVELEM r = ZEVUD_AddChildElement(res, "result");
        ZEVUD_SetString(r, "art", art);
        ZEVUD_SetString(r, "regel", regel);
    }
    std::unique_ptr<RunState> Read() {
        auto run = std::make_unique<RunState>();
        EXPECT_EQ(ReadStabDom(*run, doc_, 1), 0);
        return run;
    }

    static constexpr std::array<double, 6> kPinned{-1, -1, -1, -1, 0, 0};
    static constexpr std::array<double, 6> kFree{0, 0, 0, 0, 0, 0};

    fs::path dir_, old_;
    ZVDOC doc_ = 0;
    ZVELEM root_ = 0, input_ = 0, system_ = 0;
};

TEST_F(BeamReaderTest, ThreeNodesFillTheFirstTwoFields) {
    ZVELEM gel = ZEVUD_AddChildElement(input_, "gelenke");
    ZVELEM g = ZEVUD_AddChildElement(gel, "gelenk");
    ZEVUD_SetInt(g, "My", 1);
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {3.0, -1, -1}, {4.9, 1, 0}});
    winsys::ScopedRecordingSink sink;
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    EXPECT_FALSE(run->stopped);
    EXPECT_EQ(r.nFeld, 2);
    EXPECT_FLOAT_EQ(r.Feld_L[0], 3.0f);
    EXPECT_FLOAT_EQ(r.Feld_L[1], 1.9f);
    EXPECT_EQ(r.Feld_L[2], 0.0f);  // one past the last field stays untouched
    EXPECT_EQ(r.nTeilung[0], 8);
    EXPECT_EQ(r.nTeilung[1], 6);
    EXPECT_EQ(r.nTeilung[2], 0);
    EXPECT_EQ(r.Feld_QsA[0], 1);
    EXPECT_EQ(r.Feld_QsE[1], 1);
    EXPECT_EQ(r.Feld_GelE[0], 0);
    EXPECT_EQ(r.Feld_GelE[1], 1);  // the hinge of the last node ends the last field
    EXPECT_EQ(r.Kn_Lager[0], 1);
    EXPECT_EQ(r.Kn_Lager[1], 0);
    EXPECT_EQ(r.Kn_Lager[2], 2);
    EXPECT_EQ(r.nGelenkTyp, 1);
    EXPECT_EQ(r.GelenkTyp[0].My, 1);
    EXPECT_EQ(r.OhneGelenke, 0);
    EXPECT_EQ(r.SysFlag, 1);
    EXPECT_DOUBLE_EQ(r.GesamtLaenge, static_cast<double>(3.0f) + static_cast<double>(1.9f));
    EXPECT_EQ(r.nQs, 1);
    EXPECT_EQ(r.Qs_Name[0], "IPE 300");
    EXPECT_EQ(r.QsDatei, (dir_ / "Stab.temp.skw").string());
    EXPECT_EQ(r.Titel, "Vorbelegung VK-TOVIK");
    // Both end supports hold: no free end, bow imperfection type 2.
    EXPECT_EQ(r.vorvType, 2);
}

TEST_F(BeamReaderTest, OtherProgramsTurnTheAxesOfSupportsAndLoads) {
    ZEVUD_SetString(root_, "progname", "VOVX");
    Nodes({{1, 2, 3, 4, 5, 6}, kPinned}, {{0.0, 0, -1}, {6.0, 1, -1}});
    Load(0, 1, 0, 7.0);   // document x -> kernel y
    Load(0, 1, 2, 9.0);   // document z -> kernel x
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    const SupportType& s = r.LagerTyp[0];
    EXPECT_EQ(s.cx, 3.0f);
    EXPECT_EQ(s.cy, 1.0f);
    EXPECT_EQ(s.cz, 2.0f);
    EXPECT_EQ(s.cmx, 6.0f);
    EXPECT_EQ(s.cmy, 4.0f);
    EXPECT_EQ(s.cmz, 5.0f);
    EXPECT_EQ(s.cwoelb, 0.0f);
    ASSERT_EQ(r.StreckenL.count, 2);
    EXPECT_EQ(r.StreckenL[0].py0, 7.0f);
    EXPECT_EQ(r.StreckenL[0].py1, 7.0f);
    EXPECT_EQ(r.StreckenL[0].px0, 0.0f);
    EXPECT_EQ(r.StreckenL[1].px0, 9.0f);
    EXPECT_EQ(r.StreckenL[1].node, 1);
}

TEST_F(BeamReaderTest, LoadsByKind) {
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {6.0, 1, -1}});
    Load(1, 1, 2, 2.0, 4.0);      // linear line load in z
    Load(4, 2, 2, 10.0, 25.0);    // temperature difference in z keeps its sign
    Load(5, 2, 1, 0.5);           // settlement in y
    Load(10, 3, 2, 12.0, 0.0);    // point force in z
    Load(10, 3, 1, 0.0, 8.0);     // point moment about y of the document: Mz
    Load(10, 7, 0, 0.0, 0.0);     // nothing stored, raises the load-case count
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    ASSERT_EQ(r.StreckenL.count, 1);
    EXPECT_EQ(r.StreckenL[0].pz0, 2.0f);
    EXPECT_EQ(r.StreckenL[0].pz1, 4.0f);
    ASSERT_EQ(r.TempL.count, 1);
    EXPECT_EQ(r.TempL[0].dT2, 15.0f);
    ASSERT_EQ(r.Zwang.count, 1);
    EXPECT_EQ(r.Zwang[0].dv, 0.5f);
    EXPECT_EQ(r.Zwang[0].dw, 0.0f);
    ASSERT_EQ(r.EinzelF.count, 1);
    EXPECT_EQ(r.EinzelF[0].Pz, 12.0f);
    EXPECT_EQ(r.EinzelF[0].offset, 1.0f);
    ASSERT_EQ(r.EinzelM.count, 1);
    EXPECT_EQ(r.EinzelM[0].Mz, 8.0f);
    EXPECT_EQ(r.nLf, 7);
    for (int32_t c = 0; c < 7; ++c) EXPECT_EQ(r.Lf_Einw[static_cast<size_t>(c)], 1);
}

TEST_F(BeamReaderTest, SelfWeightOfABeamDocumentIsALineLoadOverTheMember) {
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {2.5, -1, -1}, {6.0, 1, -1}});
    Load(11, 1, 2, 78.5);
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    ASSERT_EQ(r.StreckenL.count, 1);
    EXPECT_EQ(r.StreckenL[0].node, 1);
    EXPECT_EQ(r.StreckenL[0].offset, 0.0f);
    EXPECT_FLOAT_EQ(r.StreckenL[0].length, 6.0f);
    // 78.5 kN/m³ · 53.8 cm² = 0.42233 kN/m
    EXPECT_NEAR(r.StreckenL[0].pz0, 78.5 * 53.8e-4, 1e-6);
    EXPECT_EQ(r.Gamma, 0.0f);
}

TEST_F(BeamReaderTest, FreeEndAndImperfections) {
    // A cantilever: the last support is free and only one support holds.
    Nodes({{-1, -1, -1, -1, -1, -1}, kFree}, {{0.0, 0, -1}, {3.0, 1, -1}});
    ZVELEM imp = ZEVUD_AddChildElement(input_, "imperfection");
    ZEVUD_SetDouble(imp, "phi0_0", 0.005);
    ZEVUD_SetDouble(imp, "w0_0", 0.012);
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    EXPECT_EQ(r.vorvType, 0);
    EXPECT_FLOAT_EQ(r.psiGlobal, 0.005f);
    EXPECT_FLOAT_EQ(r.ausmitte, 1.2f);
    EXPECT_EQ(r.ausmitteKnoten, 1);
    EXPECT_EQ(r.OhneGelenke, 1);
}

TEST_F(BeamReaderTest, MiddleSupportWithoutSpringsIsNoFreeEnd) {
    Nodes({kPinned, kFree, kPinned}, {{0.0, 0, -1}, {3.0, 1, -1}, {6.0, 2, -1}});
    EXPECT_EQ(Read()->cdltr.vorvType, 2);
}

TEST_F(BeamReaderTest, DesignedProfileWithoutDesignKeepsTheNameEmpty) {
    ZVELEM ctrl = ZEVUD_AddChildElement(input_, "ctrl");
    ZEVUD_SetInt(ctrl, "calcIdx", 1);
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {6.0, 1, -1}});
    EXPECT_EQ(Read()->cdltr.Qs_Name[0], "");
    ZVELEM bem = ZEVUD_AddChildElement(root_, "bemessung");
    ZEVUD_SetString(bem, "strProfile", "HEA 200");
    EXPECT_EQ(Read()->cdltr.Qs_Name[0], "HEA 200");
}

TEST_F(BeamReaderTest, CombinationsUltimateFirstServiceabilityAfter) {
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {6.0, 1, -1}});
    Load(0, 1, 2, 1.0);
    Load(0, 2, 2, 1.0);
    Combination("Ed,perm", "1.0*(1)");
    Combination("AK", "1.0*(1)+1.0*(2)");
    Combination("Ed", "1.35*(1)+1.5*(2)");
    Combination("XY", "1.0*(1)");
    auto run = Read();
    const CombinationTables& t = run->combos;
    ASSERT_EQ(run->cdltr.nLkName, 3);
    EXPECT_EQ(t.LkArt, (std::vector<std::string>{"KNSW", "Gebr.", "Gebr."}));
    EXPECT_EQ(t.LkKat, (std::vector<std::string>{"Ed", "Ed,perm", "AK"}));
    EXPECT_EQ(t.LkRegel[2], "1.0*(1)+1.0*(2)");
    EXPECT_EQ(run->cdltr.nKnickLk, 1);
    EXPECT_EQ(run->cdltr.nRegelLk, 2);
}

TEST_F(BeamReaderTest, ModelsBeyondTheLimitsAreRefused) {
    std::vector<Node> nodes;
    for (int i = 0; i < 32; ++i) nodes.push_back({i * 1.0, -1, -1});
    nodes.front().support = 0;
    nodes.back().support = 1;
    Nodes({kPinned, kPinned}, nodes);
    auto run = Read();
    EXPECT_TRUE(run->stopped);
    EXPECT_NE(run->ErrorLines.find("31 Stababschnitte"), std::string::npos) << run->ErrorLines;
    EXPECT_EQ(run->cdltr.nFeld, 0);
}

TEST_F(BeamReaderTest, DocumentWithoutInputIsLeftAlone) {
    ZEVUD_DeleteElement(input_);
    auto run = Read();
    EXPECT_FALSE(run->stopped);
    EXPECT_EQ(run->cdltr.nFeld, 0);
    EXPECT_EQ(run->cdltr.m_IndDBS, -1);
}

}  // namespace

namespace {

TEST_F(BeamReaderTest, LineSupportsAreMeasuredFromTheMemberStart) {
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {2.0, -1, -1}, {6.0, 1, -1}});
    ZVELEM ls = ZEVUD_AddChildElement(input_, "lineSupport");
    ZVELEM s = ZEVUD_AddChildElement(ls, "support");
    ZEVUD_SetDouble(s, "posX", 1.5);
    ZEVUD_SetDouble(s, "length", 3.0);
    ZEVUD_SetDouble(s, "cz", 500.0);
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    ASSERT_EQ(r.nBettung, 1);
    // Node 0 is the member start: the bedding starts at x = 1.5 m.
    EXPECT_DOUBLE_EQ(r.KnotenPos[static_cast<size_t>(r.Bettung[0].node)] + r.Bettung[0].posX, 1.5);
    EXPECT_EQ(r.Bettung[0].cz, 500.0f);
    EXPECT_EQ(r.Bettung[0].ey2, 0.0f);
    EXPECT_EQ(r.nFeder, 0);
}

TEST_F(BeamReaderTest, DoubledPartsAreIgnored) {
    Nodes({kPinned, kPinned}, {{0.0, 0, -1}, {6.0, 1, -1}});
    Load(0, 1, 2, 5.0);
    ZEVUD_AddChildElement(input_, "genimpact");  // a second load list
    for (int i = 0; i < 2; ++i) ZEVUD_AddChildElement(ZEVUD_AddChildElement(input_, "lineSupport"), "support");
    auto run = Read();
    EXPECT_EQ(run->cdltr.StreckenL.count, 0);
    EXPECT_EQ(run->cdltr.nLf, 0);
    EXPECT_EQ(run->cdltr.nBettung, 0);
    EXPECT_EQ(run->cdltr.nFeld, 1);
}

}  // namespace

namespace {

// Beam documents calculated through data preparation and the first-order
// analysis, against the principal-axis decomposition by hand.

constexpr double kE = 2.1e8;  // kN/m²
constexpr double kDeg = M_PI / 180.0;

// Section values in reference axes, handed to the solver directly.
class OneSection : public fe::IFeSectionProvider {
public:
    fe::FeSectionValues values;
    bool Constant() const override { return true; }
    fe::FeSectionValues AtNode(int32_t) const override { return values; }
    fe::FeSectionValues AtInputNode(int32_t, double) const override { return values; }
    std::vector<fe::FeStressPoint> StressPoints(int32_t) const override { return {}; }
    fe::FeMaterial Material() const override { return {}; }
};

// A section of principal second moments I1 (about the principal y axis) and
// I2 (cm⁴) whose principal y axis lies at angle a from its reference y axis
// (y' = cos a y + sin a z): Ayy = c² I1 + s² I2, Azz = s² I1 + c² I2,
// Ayz = c s (I2 - I1).
fe::FeSectionValues TurnedSection(double I1, double I2, double a, double Acm2, double ITcm4, double Iwcm6) {
    const double c = std::cos(a), s = std::sin(a);
    fe::FeSectionValues v;
    v.E = kE;
    v.G = 8.1e7;
    v.A = Acm2 * 1e-4;
    v.Ayy = (c * c * I1 + s * s * I2) * 1e-8;
    v.Azz = (s * s * I1 + c * c * I2) * 1e-8;
    v.Ayz = c * s * (I2 - I1) * 1e-8;
    v.IT = ITcm4 * 1e-8;
    v.Iw = Iwcm6 * 1e-12;
    v.ip2 = (I1 + I2) * 1e-8 / v.A;
    v.hy = v.hz = 0.3;
    return v;
}

struct TurnRow {
    const char* what;
    const char* progname;
    int32_t direction;         // the document's load direction
    std::array<double, 6> support;  // the document's spring values at both ends
    double I1, I2, a;          // principal values (cm⁴) and angle (rad) of the section
    double A, IT, Iw;          // cm², cm⁴, cm⁶
    double phi;                // the document's principal-axis angle, rad
    double wProfilDeg;         // the document's profile rotation
    bool point;                // point force at midspan instead of the line load
};

class BeamLoadAxesTest : public BeamReaderTest {
protected:
    // Reads the document, places the loads on a 6 m span and solves load
    // case 1; returns the principal displacements (v', w') at midspan in m.
    std::array<double, 2> Midspan(const TurnRow& row) {
        ZEVUD_SetString(root_, "progname", row.progname);
        ZEVUD_SetDouble(system_, "wProfil", row.wProfilDeg);
        ZVELEM lib = ZEVUD_FindFirstChild(ZEVUD_FindFirstChildWithAttr(system_, "fieldNr", "1"), "Sectlib");
        ZEVUD_SetDouble(lib, "phi", row.phi);
        ZEVUD_SetDouble(lib, "A", row.A);
        Nodes({row.support, row.support}, {{0.0, 0, -1}, {kL, 1, -1}});
        ZVELEM l = row.point ? Load(10, 1, row.direction, kP) : Load(0, 1, row.direction, kQ);
        ZEVUD_SetDouble(l, "offset", row.point ? kL / 2 : 0.0);
        ZEVUD_SetDouble(l, "length", row.point ? 0.0 : kL);
        run_ = Read();
        EXPECT_FALSE(run_->stopped) << run_->ErrorLines;
        // One combination of each kind: load case 1 with factor 1.
        ModelRecord& m = run_->cdltr;
        EXPECT_EQ(m.nLf, 1);
        m.nRegelLk = m.nKnickLk = 1;
        m.nRegelTerm = m.nKnickTerm = 1;
        m.RegelTerm = {CombinationTerm{1, 0, 1.0f}};
        m.KnickTerm = {CombinationTerm{1, 0, 1.0f}};
        sections_.values = TurnedSection(row.I1, row.I2, row.a, row.A, row.IT, row.Iw);
        fe::State(*run_).sections = &sections_;
        EXPECT_EQ(fe::PrepareSystemData(*run_), 0);
        EXPECT_EQ(fe::ApplyLoads(*run_), 0);
        EXPECT_EQ(fe::RechneDltr3D(*run_, 0, 0), 0) << run_->ErrorLines;
        const int32_t n = fe::FindNodeAtX(*run_, kL / 2);
        EXPECT_GE(n, 0);
        const std::vector<double>& d = fe::State(*run_).results.service.at(0).displacements;
        return {d.at(static_cast<size_t>(7 * n + fe::kV)), d.at(static_cast<size_t>(7 * n + fe::kW))};
    }

    static constexpr double kL = 6.0, kQ = 10.0, kP = 20.0;
    static constexpr std::array<double, 6> kFork{-1, -1, -1, -1, 0, 0};
    // In other programs' axes the kernel's cx, cy, cz, cmx are the
    // document's cz, cx, cy, cmz.
    static constexpr std::array<double, 6> kForkTurned{-1, -1, -1, 0, 0, -1};
    OneSection sections_;
    std::unique_ptr<RunState> run_;
};

TEST_F(BeamLoadAxesTest, LoadsAreTurnedOnceIntoThePrincipalAxes) {
    // IPE 300 and a thin-walled unequal angle L 150x100x10 (legs along z
    // and y, corner at the origin, centroid at y0 = 2, z0 = 4.5 cm):
    // Ayy = 15³/3 + 10/12 - 25·4.5², Azz = 10³/3 + 15/12 - 25·2², Ayz = -25·2·4.5;
    // principal values mean ± R at a = atan(2 Ayz / (Azz - Ayy)) / 2.
    const double Ayy = 1125.0 + 10.0 / 12 - 25 * 4.5 * 4.5, Azz = 1000.0 / 3 + 15.0 / 12 - 25 * 4.0, Ayz = -225.0;
    const double mean = (Ayy + Azz) / 2, R = std::hypot((Ayy - Azz) / 2, Ayz);
    const double aL = 0.5 * std::atan(2 * Ayz / (Azz - Ayy));
    const double Iy = 8356, Iz = 603.8;
    const TurnRow rows[] = {
        {"IPE 300, unturned", "VOVI", 2, kFork, Iy, Iz, 0.0, 53.81, 20.12, 125900, 0.0, 0.0, false},
        {"IPE 300, point force", "VOVI", 2, kFork, Iy, Iz, 0.0, 53.81, 20.12, 125900, 0.0, 0.0, true},
        {"IPE 300, other program's axes", "VOVX", 1, kForkTurned, Iy, Iz, 0.0, 53.81, 20.12, 125900, 0.0, 0.0, false},
        {"IPE 300 with reference axes turned by 30 deg", "VOVI", 2, kFork, Iy, Iz, 30 * kDeg, 53.81, 20.12, 125900,
         30 * kDeg, 0.0, false},
        {"IPE 300 turned by -20 deg, point force", "VOVI", 2, kFork, Iy, Iz, -20 * kDeg, 53.81, 20.12, 125900,
         -20 * kDeg, 0.0, true},
        {"unequal angle", "VOVI", 2, kFork, mean + R, mean - R, aL, 25, 25 / 3.0, 0, aL, 0.0, false},
        {"IPE 300, profile rotated by 30 deg", "VOVI", 2, kFork, Iy, Iz, 0.0, 53.81, 20.12, 125900, 0.0, 30.0, false},
        {"unequal angle, profile rotated by 90 deg", "VOVI", 2, kFork, mean + R, mean - R, aL, 25, 25 / 3.0, 0, aL,
         90.0, false},
    };
    for (const TurnRow& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        SetUp();
        const std::array<double, 2> vw = Midspan(row);
        // The document's load (0, q) turned by the profile rotation w into
        // the section's reference axes is (-q sin w, q cos w); in the
        // principal axes it is q (sin(a - w), cos(a - w)). Each part bends
        // about its own principal axis: 5 q L⁴ / (384 E I) for the line
        // load, P L³ / (48 E I) for the point force.
        const double w = row.wProfilDeg * kDeg;
        const double k = row.point ? kP * std::pow(kL, 3) / (48 * kE) : 5 * kQ * std::pow(kL, 4) / (384 * kE);
        const double v1 = k * std::sin(row.a - w) / (row.I2 * 1e-8);
        const double w1 = k * std::cos(row.a - w) / (row.I1 * 1e-8);
        const double scale = std::hypot(v1, w1);
        EXPECT_NEAR(vw[0], v1, 1e-6 * scale);
        EXPECT_NEAR(vw[1], w1, 1e-6 * scale);
        // The deflection in the direction of the load, after the profile
        // rotation: k (cos² t / I1 + sin² t / I2) with t = a - w.
        const double t = row.a - w;
        const double along = std::sin(t) * vw[0] + std::cos(t) * vw[1];
        EXPECT_NEAR(along, k * (std::pow(std::cos(t), 2) / (row.I1 * 1e-8) + std::pow(std::sin(t), 2) / (row.I2 * 1e-8)),
                    1e-6 * scale);
    }
}

TEST_F(BeamLoadAxesTest, UnturnedBeamGivesTheTextbookDeflection) {
    // 5 q L⁴ / (384 E I) = 5·10·6⁴ / (384·2.1e8·8356e-8) m = 9.6167 mm.
    const TurnRow row{"IPE 300", "VOVI", 2, kFork, 8356, 603.8, 0.0, 53.81, 20.12, 125900, 0.0, 0.0, false};
    const std::array<double, 2> vw = Midspan(row);
    EXPECT_NEAR(vw[1] * 1000, 9.6167, 1e-4);
    EXPECT_NEAR(vw[0], 0.0, 1e-12);
}

TEST_F(BeamLoadAxesTest, ReaderLeavesThePrincipalAngleToDataPreparation) {
    // The principal-axis angle of the document turns no load in the reader;
    // the profile rotation does (RotateVector: (0, q) by 90 deg is (-q, 0)).
    ZVELEM lib = ZEVUD_FindFirstChild(ZEVUD_FindFirstChildWithAttr(system_, "fieldNr", "1"), "Sectlib");
    ZEVUD_SetDouble(lib, "phi", 0.4);
    Nodes({kFork, kFork}, {{0.0, 0, -1}, {6.0, 1, -1}});
    Load(0, 1, 2, 10.0);
    ZVELEM p = Load(10, 1, 2, 20.0);
    ZEVUD_SetDouble(p, "ey", 3.0);
    EXPECT_EQ(Read()->cdltr.StreckenL[0].pz0, 10.0f);
    EXPECT_EQ(Read()->cdltr.EinzelF[0].Pz, 20.0f);
    EXPECT_EQ(Read()->cdltr.EinzelF[0].ey, 3.0f);
    ZEVUD_SetDouble(system_, "wProfil", 90.0);
    auto run = Read();
    const ModelRecord& r = run->cdltr;
    EXPECT_NEAR(r.StreckenL[0].py0, -10.0, 1e-5);
    EXPECT_NEAR(r.StreckenL[0].pz0, 0.0, 1e-5);
    EXPECT_NEAR(r.StreckenL[0].py1, -10.0, 1e-5);
    EXPECT_NEAR(r.EinzelF[0].Py, -20.0, 1e-5);
    EXPECT_NEAR(r.EinzelF[0].ey, 0.0, 1e-5);
    EXPECT_NEAR(r.EinzelF[0].ez, 3.0, 1e-5);
}

}  // namespace
