// The result tree of beam documents over hand-made analysis results:
// reaction series and their exported values, deflection utilisation, the
// failure message without internal forces.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kernel/KernelPhases.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "kernel_results/BeamPostProcess.h"
#include "kernel_results/BeamRun.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;
using namespace tovik;
using namespace tovik::results;

namespace {

struct Export {
    std::string path, desc, varName, unit;
    double val;
};

void Collect(ZVELEM e, const std::string& path, std::vector<Export>& out) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        const std::string kind = zevud::GetElementName(c), desc = zevud::GetString(c, "desc");
        if (kind == "folder")
            Collect(c, path.empty() ? desc : path + "\\" + desc, out);
        else
            out.push_back({path, desc, zevud::GetString(c, "varName"), zevud::GetString(c, "unit"),
                           ZEVUD_GetDouble(c, "val")});
    }
}

class BeamRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("beam_run_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        old_ = fs::current_path();
        fs::current_path(dir_);
        doc_ = ZEVUD_CreateDoc("");
        root_ = ZEVUD_GetRootElement(doc_);
        ZEVUD_SetString(root_, "progname", "VOVI");
        input_ = ZEVUD_AddChildElement(root_, "input");
        ZVELEM system = ZEVUD_AddChildElement(input_, "system");
        // A single span of 6 m, held in z at both ends.
        ZEVUD_SetInt(system, "numOfFields", 2);
        for (int i = 0; i < 2; ++i) {
            ZVELEM f = ZEVUD_AddChildElement(system, "field");
            ZEVUD_SetString(f, "fieldNr", std::to_string(i).c_str());
            ZEVUD_SetDouble(f, "length", i == 0 ? 0.0 : 6.0);
            ZVELEM s = ZEVUD_AddChildElement(f, "support");
            ZEVUD_SetDouble(s, "cz", -1.0);
        }
        lu_ = ZEVUD_AddChildElement(input_, "lastUeberlagerung");
        results_ = ZEVUD_AddChildElement(lu_, "results");
        run_ = std::make_unique<RunState>();
        FeModel& fm = run_->cdltr.fe;
        fm.nKnoten = 3;
        fm.nStab = 2;
        fm.KnotenX[0] = 0.0;
        fm.KnotenX[1] = 3.0;
        fm.KnotenX[2] = 6.0;
        // Internal forces reached at every element end.
        fe::FeEnvelope& env = fe::State(*run_).results.ultimateEnvelope;
        env.present = true;
        env.endMax.assign(7 * 4, 1.0);
        env.endMin.assign(7 * 4, -1.0);
        env.stressMax.assign(5 * 4, 0.5);
        env.stressMin.assign(5 * 4, -0.5);
    }
    void TearDown() override {
        ZEVUD_CloseDoc(doc_);
        fs::current_path(old_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void Combination(const char* art) {
        ZVELEM r = ZEVUD_AddChildElement(results_, "result");
        ZEVUD_SetString(r, "art", art);
        ZEVUD_SetString(r, "regel", "1.0*(1)");
    }
    // One serviceability case: kernel z reactions and z displacements per node.
    void Case(std::array<double, 3> rz, std::array<double, 3> w = {0, 0, 0}) {
        fe::FeCaseResult c;
        c.reactions.assign(21, 0.0);
        c.displacements.assign(21, 0.0);
        for (size_t i = 0; i < 3; ++i) {
            c.reactions[7 * i + 2] = rz[i];
            c.displacements[7 * i + 2] = w[i];
        }
        fe::State(*run_).results.service.push_back(c);
    }
    ZVELEM Find(const char* path) {
        ZVELEM e = ZEVUD_FindFirstChild(root_, "result");
        std::string p = path;
        size_t pos = 0;
        while (e && pos <= p.size()) {
            const size_t slash = p.find('/', pos);
            const std::string name = p.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
            e = ZEVUD_FindFirstChild(e, name.c_str());
            if (slash == std::string::npos) break;
            pos = slash + 1;
        }
        return e;
    }
    std::vector<Export> Exports() {
        std::vector<Export> out;
        Collect(ZEVUD_FindFirstChild(root_, "exports"), "", out);
        return out;
    }
    static const Export* Var(const std::vector<Export>& list, const std::string& name) {
        for (const Export& e : list)
            if (e.varName == name) return &e;
        return nullptr;
    }

    fs::path dir_, old_;
    ZVDOC doc_ = 0;
    ZVELEM root_ = 0, input_ = 0, lu_ = 0, results_ = 0;
    std::unique_ptr<RunState> run_;
};

TEST_F(BeamRunTest, TwoSupportSpanGivesFourReactionRecordsAndItsExtremes) {
    Combination("AK");
    Combination("AK");
    Combination("AK1");
    ZVELEM einw = ZEVUD_AddChildElement(lu_, "einwirkungen");
    ZVELEM a1 = ZEVUD_AddChildElement(einw, "einwirkung");
    ZEVUD_SetString(a1, "einw", "1");
    ZEVUD_SetString(a1, "title", "  Ständig ");
    // Kernel reactions are the nodal values: the support reaction is their negative.
    Case({-10, 0, -20});
    Case({-30, 0, -25});
    Case({-12, 0, -15});  // action 1
    WriteStabResults(*run_, doc_, "");

    ZVELEM rz = Find("gebr/reaction/reaction_zA");
    ASSERT_NE(rz, 0u);
    EXPECT_EQ(ZEVUD_GetInt(rz, "type"), 3);
    EXPECT_EQ(zevud::GetString(rz, "unit"), "kN");
    EXPECT_EQ(zevud::GetString(rz, "title"), "Auflagerkraft Az");
    EXPECT_EQ(ZEVUD_GetInt(rz, "dataLength"), 4);
    EXPECT_EQ(ReadFloats(rz, "data"), (std::vector<float>{0, 0, 0, 0, 30, 10, 6, 25, 20, 6, 0, 0}));
    // Components without values hold only the two zero records.
    EXPECT_EQ(ZEVUD_GetInt(Find("gebr/reaction/reaction_xA"), "dataLength"), 2);
    EXPECT_EQ(ZEVUD_GetInt(Find("gebr/reaction/reaction_yAM"), "dataLength"), 2);

    const std::vector<Export> ex = Exports();
    struct Expected {
        const char* var;
        double value;
        const char* path;
    };
    const Expected expected[] = {
        {"minAz", 10, "Auflager A\\z-z\\Extremal"}, {"maxAz", 30, "Auflager A\\z-z\\Extremal"},
        {"Az_g", 12, "Auflager A\\z-z\\Extremal"},  {"Az_min_g", -2, "Auflager A\\z-z\\Extremal"},
        {"Az_max_g", 18, "Auflager A\\z-z\\Extremal"}, {"minBz", 20, "Auflager B\\z-z\\Extremal"},
        {"maxBz", 25, "Auflager B\\z-z\\Extremal"},   {"minAz_1", 12, "Auflager A\\z-z\\Ständig"},
        {"maxBz_1", 15, "Auflager B\\z-z\\Ständig"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.var);
        const Export* v = Var(ex, e.var);
        ASSERT_NE(v, nullptr);
        EXPECT_NEAR(v->val, e.value, 1e-4);
        EXPECT_EQ(v->path, e.path);
        EXPECT_EQ(v->unit, "kN");
    }
    EXPECT_EQ(Var(ex, "minAz")->desc, "min Az");
    EXPECT_EQ(Var(ex, "Az_min_g")->desc, "Az(min-g)");
    // Nothing for components without values.
    EXPECT_EQ(Var(ex, "minAx"), nullptr);
    // The action's group carries its own six series.
    ZVELEM ew = Find("gebr/reaction/einwirkung");
    ASSERT_NE(ew, 0u);
    EXPECT_EQ(zevud::GetString(ew, "title"), "EW 1");
    EXPECT_EQ(ReadFloats(ZEVUD_FindFirstChild(ew, "reaction_zA"), "data"),
              (std::vector<float>{0, 0, 0, 0, 12, 12, 6, 15, 15, 6, 0, 0}));
}

TEST_F(BeamRunTest, NoReactionCombinationWritesNoHugeRecords) {
    Combination("Ed,perm");
    Case({-10, 0, -10});
    WriteStabResults(*run_, doc_, "");
    ZVELEM rz = Find("gebr/reaction/reaction_zA");
    ASSERT_NE(rz, 0u);
    EXPECT_EQ(ReadFloats(rz, "data"), (std::vector<float>{0, 0, 0, 6, 0, 0}));
    EXPECT_TRUE(Exports().empty());
}

TEST_F(BeamRunTest, DeflectionUtilisationAgainstTheSpanRatio) {
    struct Case_ {
        double w;
        int ignoreNeg;
        double expected;
    };
    // 12 mm in a span of 6 m with the ratio 300: 0.012 · 300 / 6 = 0.6.
    const Case_ cases[] = {{0.012, 0, 0.6}, {-0.012, 0, 0.6}, {-0.012, 1, 0.0}, {0.0000005, 0, 0.0}};
    for (const Case_& c : cases) {
        SCOPED_TRACE(c.w);
        if (ZVELEM ctrl = ZEVUD_FindFirstChild(input_, "ctrl")) ZEVUD_DeleteElement(ctrl);
        ZVELEM ctrl = ZEVUD_AddChildElement(input_, "ctrl");
        ZEVUD_SetInt(ctrl, "zulDefField", 300);
        ZEVUD_SetInt(ctrl, "zulDefKrag", 150);
        ZEVUD_SetInt(ctrl, "bIgnoreNegDef", c.ignoreNeg);
        fe::State(*run_).results.service.clear();
        if (!ZEVUD_FindFirstChild(results_, "result")) Combination("Ed,perm");
        Case({0, 0, 0}, {0, c.w, 0});
        WriteStabResults(*run_, doc_, "");
        ZVELEM u = Find("gebr/deformation/max_utilisation_deformation");
        ASSERT_NE(u, 0u);
        const std::vector<float> d = ReadFloats(u, "data");
        ASSERT_EQ(d.size(), 6u);
        EXPECT_NEAR(d[3], c.expected, 1e-5);
        EXPECT_NEAR(ZEVUD_GetDouble(ZEVUD_FindFirstChild(root_, "result"), "dMaxAusVer"), c.expected, 1e-5);
        // Deflection series in mm.
        const std::vector<float> vz = ReadFloats(Find("gebr/deformation/deformation_Vz"), "data");
        EXPECT_NEAR(vz[4], c.w * 1000.0, 1e-3);
    }
}

TEST_F(BeamRunTest, WithoutInternalForcesTheMessageSaysSoAndErrorIsSet) {
    fe::State(*run_).results.ultimateEnvelope = fe::FeEnvelope{};
    WriteStabResults(*run_, doc_, "");
    ZVELEM result = ZEVUD_FindFirstChild(root_, "result");
    EXPECT_EQ(ZEVUD_GetInt(result, "error"), 1);
    EXPECT_NE(zevud::GetString(result, "message").find("Fehler in der Berechnung!"), std::string::npos);
    ZVELEM n = Find("trag/forces/normal_force_N");
    ASSERT_NE(n, 0u);
    EXPECT_EQ(ZEVUD_GetInt(n, "dataLength"), 4);
}

TEST_F(BeamRunTest, SummaryAndStressSeries) {
    WriteStabResults(*run_, doc_, "");
    ZVELEM result = ZEVUD_FindFirstChild(root_, "result");
    EXPECT_EQ(ZEVUD_GetInt(result, "error"), 0);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(result, "dMaxAusSp"), 0.5);
    EXPECT_NE(zevud::GetString(result, "message").find("Maximale Ausnutzung aus Spannungen:\t\t0.50"), std::string::npos);
    ZVELEM sig = Find("trag/tensions/min_progress_of_stress_Phi");
    ASSERT_NE(sig, 0u);
    EXPECT_FALSE(ZEVUD_HasAttr(sig, "type"));
    // Element-end points: 0, 3 | 3, 6; coincident x pulled apart.
    const std::vector<float> d = ReadFloats(sig, "data");
    ASSERT_EQ(d.size(), 8u);
    EXPECT_FLOAT_EQ(d[1], -5.0f);
    EXPECT_FLOAT_EQ(d[2], 2.99995f);
    EXPECT_FLOAT_EQ(d[4], 3.00005f);
    EXPECT_EQ(ZEVUD_GetInt(Find("trag/tensions/max_utilisation_V"), "default"), 1);
    EXPECT_EQ(zevud::GetString(Find("trag/forces/shearing_force_Qz"), "title"), "Querkraft Qz");
}

}  // namespace

namespace {

TEST_F(BeamRunTest, NodeAwayFromTheSupportsTakesTheNextLetterAndTouchesNoExtremes) {
    Combination("AK");
    Combination("AK1");
    ZVELEM einw = ZEVUD_AddChildElement(lu_, "einwirkungen");
    ZVELEM a1 = ZEVUD_AddChildElement(einw, "einwirkung");
    ZEVUD_SetString(a1, "einw", "1");
    ZEVUD_SetString(a1, "title", "G");
    // A second action without any "AK2" combination keeps only its title.
    ZVELEM a2 = ZEVUD_AddChildElement(einw, "einwirkung");
    ZEVUD_SetString(a2, "einw", "2");
    ZEVUD_SetString(a2, "title", "Q");
    // Support A stays within 0.01 kN: no extremal entry, not even the first action's.
    Case({-0.005, 0, 0});
    Case({-0.005, -4, 0});
    WriteStabResults(*run_, doc_, "");
    const std::vector<Export> ex = Exports();
    const Export* c = Var(ex, "minCz_1");
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(c->val, 4.0, 1e-5);
    EXPECT_EQ(c->path, "Auflager C\\z-z\\G");
    EXPECT_EQ(Var(ex, "Az_g"), nullptr);
    EXPECT_EQ(Var(ex, "minAz"), nullptr);
    EXPECT_EQ(Var(ex, "minCz"), nullptr);
    ZVELEM reaction = Find("gebr/reaction");
    ZVELEM ew1 = ZEVUD_FindFirstChild(reaction, "einwirkung");
    ZVELEM ew2 = ZEVUD_FindNextChild(ew1, "einwirkung");
    ASSERT_NE(ew2, 0u);
    EXPECT_EQ(zevud::GetString(ew2, "title"), "EW 2");
    EXPECT_EQ(ZEVUD_GetFirstChild(ew2), 0u);
}

TEST_F(BeamRunTest, ClassLineOnlyForTheEurocode) {
    for (const char* norm : {"EC", "DIN"}) {
        run_->reader.NormName = norm;
        WriteStabResults(*run_, doc_, "");
        const std::string msg = zevud::GetString(ZEVUD_FindFirstChild(root_, "result"), "message");
        EXPECT_EQ(msg.find("Querschnittsklassifizierung") != std::string::npos, std::string(norm) == "EC") << msg;
    }
}

TEST_F(BeamRunTest, OtherProgramsGetNoUtilisationAlongTheirMemberAxis) {
    ZEVUD_SetString(root_, "progname", "VOVX");
    Combination("Ed,perm");
    // Kernel x is the document's z: a "deflection" along the member axis.
    fe::FeCaseResult c;
    c.reactions.assign(21, 0.0);
    c.displacements.assign(21, 0.0);
    c.displacements[7 * 1 + 0] = 0.012;
    fe::State(*run_).results.service.push_back(c);
    WriteStabResults(*run_, doc_, "");
    const std::vector<float> u = ReadFloats(Find("gebr/deformation/max_utilisation_deformation"), "data");
    EXPECT_EQ(u[3], 0.0f);
    // The document's z series holds the kernel's x component.
    const std::vector<float> vz = ReadFloats(Find("gebr/deformation/deformation_Vz"), "data");
    EXPECT_NEAR(vz[4], 12.0, 1e-4);
    EXPECT_NE(Find("trag/forces/shearing_force_Vx"), 0u);
}

}  // namespace
