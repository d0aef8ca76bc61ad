// The result writer over hand-made analysis results: counts, selection of
// the per-case series, deflection utilisation, crane-runway and stress-point
// runs, empty load case ranges and the mapping of result kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "kernel/fe/FeSolver.h"
#include "kernel_results/ResultTree.h"
#include "kernel_results/ResultWriter.h"
#include "platform/winsys/winsys.h"
#include "testsupport/position_doc.h"

namespace {

using namespace tovik;
using namespace tovik::results;
using results_test::PositionDoc;
using results_test::ScratchDir;
using results_test::Series;

class Writer : public ::testing::Test {
protected:
    Writer() : run(std::make_unique<RunState>()) {}

    // n nodes evenly over one span of length L; the given service and
    // ultimate case counts with zero results.
    void Model(PositionDoc& d, int32_t n, double L, int32_t nSvc, int32_t nUlt) {
        ModelRecord& m = run->cdltr;
        m.nFeld = 1;
        m.Feld_L[0] = static_cast<float>(L);
        m.ComputeNodePositions();
        m.fe.nKnoten = n;
        m.fe.nStab = n - 1;
        for (int32_t i = 0; i < n; ++i) m.fe.KnotenX[static_cast<size_t>(i)] = L * i / (n - 1);
        m.nRegelLk = nSvc;
        m.nKnickLk = nUlt;
        fe::FeResults& r = fe::State(*run).results;
        auto sized = [n] {
            fe::FeCaseResult c;
            c.displacements.assign(static_cast<size_t>(7 * n), 0.0);
            c.reactions.assign(static_cast<size_t>(7 * n), 0.0);
            c.endForces.assign(static_cast<size_t>(14 * (n - 1)), 0.0);
            c.stresses.assign(static_cast<size_t>(10 * (n - 1)), 0.0);
            c.eigenVectors.assign(static_cast<size_t>(14 * n), 0.0);
            c.imperfection.assign(static_cast<size_t>(4 * n), 0.0);
            return c;
        };
        r.service.assign(static_cast<size_t>(nSvc), sized());
        r.ultimate.assign(static_cast<size_t>(nUlt), sized());
        d.AddField(L, "IPE 300", 53.8);
    }
    fe::FeCaseResult& Svc(int32_t k) { return fe::State(*run).results.service.at(static_cast<size_t>(k)); }
    fe::FeCaseResult& Ult(int32_t k) { return fe::State(*run).results.ultimate.at(static_cast<size_t>(k)); }
    ZVELEM Write(PositionDoc& d, const std::string& errors = "") {
        WriteResultsToDom(*run, d.doc, errors, proofs);
        return ZEVUD_FindFirstChild(d.root, "result");
    }

    ScratchDir dir{"writer"};
    winsys::ScopedRecordingSink sink;
    std::unique_ptr<RunState> run;
    // The writer's proofs and checks: none unless a test hands some in.
    ResultProofs proofs;
};

bool Has(ZVELEM result, const std::vector<std::string>& path) { return Series(result, path) != 0; }

TEST_F(Writer, ElementEndCountIsTwicePerElement) {
    const struct { int32_t nodes, ends; } cases[] = {{2, 2}, {3, 4}, {13, 24}};
    for (const auto& c : cases) {
        run = std::make_unique<RunState>();
        PositionDoc d("pos.vkx");
        Model(d, c.nodes, 6.0, 1, 0);
        d.AddCombination("Ed,perm", "1.0*(1)");
        Svc(0).endForces[4] = 3.0;  // My at the first element's start
        ZVELEM r = Write(d);
        EXPECT_EQ(ZEVUD_GetInt(r, "nNode"), c.nodes);
        EXPECT_EQ(ZEVUD_GetInt(r, "nElem"), c.ends);
        ZVELEM my = Series(r, {"Gebrauchstauglichkeit", "Extremal", "Schnittgrößen", "Biegemoment My"});
        ASSERT_NE(my, 0u);
        EXPECT_EQ(ZEVUD_GetInt(my, "dataLength"), c.ends);
        // Element-end points: an inner node appears as end and as start.
        const std::vector<float> data = ReadSeriesData(my);
        EXPECT_EQ(data[3], 6.0f * 1 / (c.nodes - 1));
        if (c.nodes > 2) EXPECT_EQ(data[6], data[3]);
    }
}

// Deflections in z of five serviceability cases over a span of 4 m (limit
// L/300): case 1 governs node 1, case 4 nodes 2 and 3; nodes 0 and 4 never
// exceed 0.01 and fall to the overall maximum's case.
class Selection : public Writer {
protected:
    void Build(PositionDoc& d, int32_t mode) {
        Model(d, 5, 4.0, 5, 2);
        for (int i = 0; i < 2; ++i) d.AddCombination("Ed", "1.35*(1)");
        for (int i = 0; i < 5; ++i) d.AddCombination("Ed,perm", "1.0*(1)");
        ZEVUD_SetInt(d.calc, "resultGebrLK", mode);
        auto w = [&](int32_t k, int32_t node, double v) { Svc(k).displacements[static_cast<size_t>(7 * node + 2)] = v; };
        w(1, 1, 0.010);
        w(4, 1, 0.005);
        w(4, 2, 0.012);
        w(4, 3, 0.011);
        w(2, 3, -0.002);
    }
};

TEST_F(Selection, GoverningCasesDecideThePerCaseSeries) {
    const struct { int32_t mode; std::vector<const char*> present, absent; } cases[] = {
        {0, {"LK   7"}, {"LK   3", "LK   4", "LK   5", "LK   6"}},
        {1, {"LK   4", "LK   7"}, {"LK   3", "LK   5", "LK   6"}},
        {2, {"LK   4", "LK   5", "LK   7"}, {"LK   3", "LK   6"}},  // 3 and 6 have no deflection
        {3, {}, {"LK   3", "LK   4", "LK   5", "LK   6", "LK   7"}},
    };
    for (const auto& c : cases) {
        run = std::make_unique<RunState>();
        PositionDoc d("pos.vkx");
        Build(d, c.mode);
        ZVELEM r = Write(d);
        for (const char* lk : c.present) {
            ZVELEM s = Series(r, {"Gebrauchstauglichkeit", lk, "Verformungen", "Verformung Z"});
            ASSERT_NE(s, 0u) << c.mode << " " << lk;
            EXPECT_EQ(ZEVUD_GetInt(s, "lkNr"), std::atoi(lk + 2));
            EXPECT_EQ(ZEVUD_GetInt(s, "type"), 0);
            EXPECT_EQ(ZEVUD_GetInt(s, "resType"), 0x2001);
        }
        for (const char* lk : c.absent) EXPECT_FALSE(Has(r, {"Gebrauchstauglichkeit", lk})) << c.mode << " " << lk;
        EXPECT_TRUE(Has(r, {"Gebrauchstauglichkeit", "Extremal", "Verformungen", "Verformung Z"})) << c.mode;
    }
}

TEST_F(Selection, DeflectionUtilisationSummary) {
    PositionDoc d("pos.vkx");
    Build(d, 2);
    ZVELEM r = Write(d);
    EXPECT_EQ(DecodeInts(zevud::GetBinData(r, "gebrRelKol")), (std::vector<int32_t>{4, 1, 4, 4, 4}));
    EXPECT_EQ(ZEVUD_GetInt(r, "gebrMaxLK"), 4);
    EXPECT_EQ(ZEVUD_GetInt(r, "gebrKolOffset"), 2);
    EXPECT_NEAR(ZEVUD_GetDouble(r, "dMaxAusGebr"), 0.012 / 4.0 * 300, 1e-6);
    ZVELEM u = Series(r, {"Gebrauchstauglichkeit", "Extremal", "Verformungen", "Max. Ausnutzung"});
    ASSERT_NE(u, 0u);
    EXPECT_EQ(ZEVUD_GetInt(u, "type"), 2);
    // Node 1 (x = 1 m): maximum 0.75 from case 1; minimum 0 from the others.
    const std::vector<float> data = ReadSeriesData(u);
    EXPECT_FLOAT_EQ(data[3], 1.0f);
    EXPECT_NEAR(data[4], 0.75, 1e-6);
    EXPECT_EQ(data[5], 0.0f);
    // Deflection in mm.
    const std::vector<float> z = ReadSeriesData(Series(r, {"Gebrauchstauglichkeit", "LK   7", "Verformungen", "Verformung Z"}));
    EXPECT_NEAR(z[5], 12.0, 1e-4);
    EXPECT_EQ(ZEVUD_GetInt(Series(r, {"userPoints"}), "numOfUserPoints"), 0);
    EXPECT_EQ(ZEVUD_GetInt(ZEVUD_FindFirstChild(r, "userPoints"), "numOfUserPoints"), 0);
    EXPECT_EQ(ZEVUD_GetAttrCount(ZEVUD_FindFirstChild(r, "userPoints")), 1);
    EXPECT_EQ(ZEVUD_GetInt(ZEVUD_FindFirstChild(r, "plateStress"), "numOfPlates"), 0);
}

TEST_F(Writer, DeflectionSpansFollowTheSupportsOfTheDirection) {
    // Spans 4 m and a 2 m cantilever; the middle support holds only in y.
    PositionDoc d("pos.vkx");
    d.AddField(2.0, "IPE 300", 53.8);
    d.AddField(2.0, "IPE 300", 53.8);
    ZVELEM f3 = ZEVUD_AddChildElement(d.system, "field_3");
    ZEVUD_SetDouble(f3, "length", 2.0);
    PositionDoc::Support(f3, 0, 0, 0, 0);
    ZEVUD_SetInt(d.system, "numOfFields", 4);
    ZVELEM mid = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(d.system, "field_1"), "support");
    ZEVUD_SetDouble(mid, "cz", 0.0);
    ZEVUD_SetInt(d.calc, "zulDefField", 250);
    ZEVUD_SetInt(d.calc, "zulDefKrag", 125);
    SeriesDefinition def;
    ReadDeflectionSpans(d.doc, def, 2);
    ReadDeflectionSpans(d.doc, def, 4);
    EXPECT_EQ(def.spanEnds[0], (std::vector<float>{0, 2, 4, 6}));
    EXPECT_EQ(def.spanLimits[0], (std::vector<int32_t>{250, 250, 125}));
    EXPECT_EQ(def.spanEnds[1], (std::vector<float>{0, 4, 6}));
    EXPECT_EQ(def.spanLimits[1], (std::vector<int32_t>{250, 125}));

    // Utilisation at x = 4 m belongs to the span on its left; at 6 m to the
    // cantilever.
    ModelRecord& m = run->cdltr;
    m.fe.nKnoten = 4;
    for (int i = 0; i < 4; ++i) m.fe.KnotenX[static_cast<size_t>(i)] = 2.0 * i;
    fe::FeCaseResult c;
    c.displacements.assign(28, 0.0);
    c.displacements[7 * 2 + 2] = 0.008;   // w at 4 m
    c.displacements[7 * 3 + 2] = -0.004;  // w at 6 m
    c.displacements[7 * 3 + 1] = 0.016;   // v at 6 m
    fe::State(*run).results.service.push_back(c);
    WriterContext ctx(*run);
    EXPECT_NEAR(ctx.DeflectionUtilisation(def, 0, 2, 1), 0.008 / 4 * 250, 1e-9);
    EXPECT_NEAR(ctx.DeflectionUtilisation(def, 0, 3, 1), 0.004 / 2 * 125, 1e-9);
    EXPECT_NEAR(ctx.DeflectionUtilisation(def, 0, 3, 2), 0.016 / 2 * 125, 1e-9);
    EXPECT_EQ(ctx.DeflectionUtilisation(def, 0, 0, 2), 0.0);
}

TEST_F(Writer, CraneRunwayDocumentHasNoCharacteristicEnvelopesEigenvaluesOrClass) {
    proofs.WriteCtCheckReport = [](RunState&, int32_t, const std::string& f, int32_t) {
        std::ofstream(f) << "{\\rtf1}";
        return 2;
    };
    for (const char* prog : {"VADU", "RIGEL"}) {
        run = std::make_unique<RunState>();
        PositionDoc d("pos.vkx", prog);
        Model(d, 3, 6.0, 2, 1);
        d.AddCombination("Ed", "1.35*(1)");
        d.AddCombination("Ed,perm", "1.0*(1)");
        d.AddCombination("AK", "1.0*(1)");
        Svc(0).reactions[2] = -30.0;
        Svc(1).reactions[2] = -30.0;
        Ult(0).reactions[2] = -40.5;
        Ult(0).stresses[4] = 0.5;
        Ult(0).eigenValues = {2.5, 0.1, 1.0, 0, 0, 0};
        Ult(0).eigenVectors[7 + 2] = 1.0;
        Ult(0).imperfection[4 + 1] = 0.01;
        Ult(0).displacements[7 + 2] = 0.02;
        ZVELEM r = Write(d);
        const bool crane = std::string(prog) == "VADU";
        EXPECT_EQ(Has(r, {"Gebrauchstauglichkeit", "Char. Auflagerkraft"}), !crane) << prog;
        EXPECT_EQ(ZEVUD_FindFirstChild(r, "Eigenwerte") != 0, !crane) << prog;
        EXPECT_EQ(Has(r, {"Tragsicherheit", "LK   1", "Knickfigur", "Verschiebung Z(normiert)"}), !crane) << prog;
        EXPECT_EQ(ZEVUD_HasAttr(r, "iClass") != 0, !crane) << prog;
        EXPECT_EQ(ZEVUD_HasAttr(r, "ctnachweis.tmp.rtf") != 0, !crane) << prog;
        EXPECT_EQ(Has(r, {"Tragsicherheit", "LK   1", "Vorverformungen", "Vorverformung Z"}), !crane) << prog;
        EXPECT_EQ(Has(r, {"Tragsicherheit", "Extremal", "Auflagerkraft (design)", "Az"}), !crane) << prog;
        EXPECT_EQ(Has(r, {"Tragsicherheit", "Extremal", "Verformungen", "Verformung Z"}), !crane) << prog;
        EXPECT_EQ(ZEVUD_GetFirstChild(ZEVUD_FindFirstChild(d.root, "exports")) != 0, !crane) << prog;
        EXPECT_EQ(ZEVUD_HasAttr(r, "tragSVRelKol") != 0, !crane) << prog;
        // Crane documents get the per-case support forces instead.
        ZVELEM az = Series(r, {"Gebrauchstauglichkeit", "LK   2", "Auflagerkraft", "Az"});
        EXPECT_EQ(az != 0, crane) << prog;
        if (crane) {
            EXPECT_EQ(ZEVUD_GetInt(az, "resType"), 0x2005);
            EXPECT_FLOAT_EQ(ReadSeriesData(az)[1], 30.0f);
        } else {
            EXPECT_EQ(ZEVUD_GetInt(r, "iClass"), 2);
            EXPECT_FALSE(std::filesystem::exists("ctnachweis.tmp.rtf"));
            EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChild(r, "Eigenwerte"), "ew1_LK1"),
                      "1. Eigenwert 2.500 (max. dy  1.000e-01, max. dz  1.000e+00)");
        }
        EXPECT_NEAR(ZEVUD_GetDouble(r, "dMaxAusTragSV"), 0.5, 1e-6);
    }
}

TEST_F(Writer, StressPointRunLeavesOutTheUnevaluatedSummary) {
    PositionDoc d("pos.vkx", "VADU");
    Model(d, 3, 6.0, 1, 0);
    d.AddCombination("Ed,perm", "1.0*(1)");
    ZEVUD_SetInt(d.calc, "resultGebrLK", 2);
    Svc(0).displacements[7 + 2] = 0.01;
    ZVELEM r = Write(d);
    EXPECT_NE(ZEVUD_FindFirstChild(r, "esp"), 0u);
    for (const char* a : {"gebrRelKol", "gebrMaxLK", "dMaxAusGebr", "dMaxAusTragSV", "iClass"})
        EXPECT_FALSE(ZEVUD_HasAttr(r, a)) << a;
    // Series with a result type are written, those without are skipped.
    EXPECT_TRUE(Has(r, {"Gebrauchstauglichkeit", "LK   1", "Verformungen", "Verformung Z"}));
    EXPECT_FALSE(Has(r, {"Gebrauchstauglichkeit", "Extremal", "Verformungen", "Max. Ausnutzung"}));
    EXPECT_FALSE(Has(r, {"Gebrauchstauglichkeit", "LK   1", "Verformungen", "Ausnutzung Z"}));
}

TEST_F(Writer, EmptyCaseRangesWriteNeitherSeriesNorExports) {
    // Only ultimate combinations: no serviceability combination and no
    // characteristic results.
    PositionDoc d("pos.vkx");
    Model(d, 3, 6.0, 0, 1);
    d.AddCombination("Ed", "1.35*(1)");
    Ult(0).reactions[2] = -40.5;
    Ult(0).stresses[4] = 0.25;
    ZVELEM r = Write(d);
    EXPECT_FALSE(Has(r, {"Gebrauchstauglichkeit"}));
    EXPECT_FALSE(ZEVUD_HasAttr(r, "gebrRelKol"));
    EXPECT_EQ(ZEVUD_GetDouble(r, "dMaxAusGebr"), 0.0);
    EXPECT_NEAR(ZEVUD_GetDouble(r, "dMaxAusTragSV"), 0.25, 1e-6);
    ZVELEM exports = ZEVUD_FindFirstChild(d.root, "exports");
    int n = 0;
    std::function<void(ZVELEM)> walk = [&](ZVELEM e) {
        for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
            if (zevud::GetElementName(c) == "value") {
                ++n;
                const std::string v = zevud::GetString(c, "varName");
                EXPECT_EQ(v.substr(v.size() - 2), "_d") << v;
                EXPECT_LT(std::fabs(ZEVUD_GetDouble(c, "val")), 1e9) << v;
            }
            walk(c);
        }
    };
    walk(exports);
    EXPECT_EQ(n, 2);  // A1_Az_LK1_d and A1_Az_extr_d
}

TEST_F(Writer, ResultKindsAreMappedByTheirOwnArt) {
    // The characteristic result comes first in the document, the combination
    // second, the action's result third.
    PositionDoc d("pos.vkx");
    Model(d, 3, 6.0, 3, 0);
    d.AddCombination("AK", "1.0*(1)");
    d.AddCombination("Ed,perm", "1.0*(1)");
    d.AddCombination("AK1", "1.0*(1)");
    ZEVUD_AddChildElement(d.einwirkungen, "einwirkung");
    Svc(0).reactions[2] = -5.0;
    Svc(1).reactions[2] = -7.0;
    Svc(1).displacements[7 + 2] = 0.001;
    Svc(2).reactions[2] = -3.0;
    ZVELEM r = Write(d);
    ZVELEM env = Series(r, {"Gebrauchstauglichkeit", "Char. Auflagerkraft", "Extremal", "Az"});
    ASSERT_NE(env, 0u);
    EXPECT_EQ(ZEVUD_GetInt(env, "type"), 3);
    EXPECT_EQ(ReadSeriesData(env)[1], 5.0f);
    EXPECT_EQ(ReadSeriesData(Series(r, {"Gebrauchstauglichkeit", "Char. Auflagerkraft", "EW 1", "Az"}))[1], 3.0f);
    EXPECT_TRUE(Has(r, {"Gebrauchstauglichkeit", "LK   2", "Verformungen", "Verformung Z"}));
    EXPECT_FALSE(Has(r, {"Gebrauchstauglichkeit", "LK   1"}));
    EXPECT_FALSE(Has(r, {"Gebrauchstauglichkeit", "LK   3"}));
    EXPECT_EQ(DecodeInts(zevud::GetBinData(r, "gebrRelKol")), (std::vector<int32_t>{1, 1, 1}));
}

TEST_F(Writer, UltimatePartSummaryAndBucklingModes) {
    PositionDoc d("pos.vkx");
    Model(d, 3, 6.0, 0, 2);
    d.AddCombination("Ed", "1.35*(1)");
    d.AddCombination("Ed,A", "1.0*(1)");
    ZEVUD_SetInt(d.calc, "resultTragSVLK", 0);
    Ult(0).stresses[4] = 0.3;       // element 0, start
    Ult(1).stresses[10 + 5 + 4] = 0.8;  // element 1, end
    Ult(1).eigenVectors[7 + 2] = 1.0;
    Ult(1).eigenValues = {3.25, 0, 1.0, 0, 0, 0};
    ZVELEM r = Write(d);
    EXPECT_EQ(DecodeInts(zevud::GetBinData(r, "tragSVRelKol")), (std::vector<int32_t>{0, 1, 1, 1}));
    EXPECT_EQ(ZEVUD_GetInt(r, "tragSVMaxLK"), 1);
    EXPECT_NEAR(ZEVUD_GetDouble(r, "dMaxAusTragSV"), 0.8, 1e-6);
    ZVELEM util = Series(r, {"Tragsicherheit", "Extremal", "Spannungen", "Ausnutzung"});
    ASSERT_NE(util, 0u);
    EXPECT_EQ(ZEVUD_GetInt(util, "default"), 1);
    EXPECT_EQ(ZEVUD_GetInt(util, "resType"), 0xc);
    // Only the governing case gets its eigenvalue and buckling mode.
    ZVELEM ew = ZEVUD_FindFirstChild(r, "Eigenwerte");
    EXPECT_FALSE(ZEVUD_HasAttr(ew, "ew1_LK1"));
    EXPECT_NE(zevud::GetString(ew, "ew1_LK2").find("3.250"), std::string::npos);
    ZVELEM mode = Series(r, {"Tragsicherheit", "LK   2", "Knickfigur", "Verschiebung Z(normiert)"});
    ASSERT_NE(mode, 0u);
    EXPECT_EQ(ZEVUD_GetInt(mode, "lkNr"), 1);
    EXPECT_FALSE(Has(r, {"Tragsicherheit", "LK   1"}));
    EXPECT_EQ(ZEVUD_GetInt(Series(r, {"Tragsicherheit", "LK   2", "Spannungen", "Ausnutzung"}), "type"), 0);
}

TEST_F(Writer, PlasticVariantTakesThePlasticUtilisationOrSaysItIsMissing) {
    for (bool withProof : {true, false}) {
        run = std::make_unique<RunState>();
        proofs = ResultProofs{};
        std::vector<std::pair<int32_t, int32_t>> asked;
        if (withProof)
            proofs.WritePlasticProofRtf = [&](RunState&, const SeriesDefinition&, int32_t lk, int32_t p, ZVELEM e) {
                if (!e) asked.push_back({p, lk});
                return 0.1 * (p + 1);
            };
        PositionDoc d("pos.vkx");
        ZEVUD_SetString(d.root, "modulename", "DENEB");
        Model(d, 3, 6.0, 0, 1);
        d.AddCombination("Ed", "1.35*(1)");
        Ult(0).stresses[0] = 10.0;
        ZVELEM r = Write(d);
        // No elastic stress or stress-utilisation series.
        EXPECT_FALSE(Has(r, {"Tragsicherheit", "Extremal", "Spannungen"}));
        if (withProof) {
            EXPECT_EQ(asked.size(), 4u);
            ZVELEM u = Series(r, {"Tragsicherheit", "Extremal", "Schnittgrößen", "Ausnutzung"});
            ASSERT_NE(u, 0u);
            EXPECT_EQ(ZEVUD_GetInt(u, "default"), 1);
            EXPECT_EQ(ZEVUD_GetInt(u, "type"), 0);
            EXPECT_NEAR(ZEVUD_GetDouble(r, "dMaxAusTragSV"), 0.4, 1e-6);
            EXPECT_EQ(ZEVUD_GetInt(r, "tragSVMaxLK"), 0);
            EXPECT_EQ(zevud::GetString(r, "errorMsg"), "");
        } else {
            EXPECT_FALSE(ZEVUD_HasAttr(r, "tragSVRelKol"));
            EXPECT_NE(zevud::GetString(r, "errorMsg").find("FEHLER:  Der plastische Querschnittsnachweis"),
                      std::string::npos);
        }
    }
}

TEST_F(Writer, SpringAndBeddingForcesFollowTheDisplacements) {
    // A spring in z (1000 kN/m, 5 cm beside the shear centre) at the middle
    // node and a bedding in z (2000 kN/m²) on the second element.
    PositionDoc d("pos.vkx");
    Model(d, 3, 6.0, 1, 1);
    d.AddCombination("Ed", "1.35*(1)");
    d.AddCombination("AK", "1.0*(1)");
    ModelRecord& m = run->cdltr;
    m.nFeder = 1;
    m.Feder[0].node = 0;
    m.Feder[0].posX = 3.0f;
    fe::FeState& st = fe::State(*run);
    fe::PlacedRecord spring;
    spring.where = 1;
    spring.v[fe::slot::kSprCz] = 1000.0;
    spring.v[fe::slot::kSprEy] = 0.05;
    st.springs.push_back(spring);
    fe::PlacedRecord bed;
    bed.where = 1;
    bed.v[fe::slot::kBedCz] = bed.v[fe::slot::kBedCz + 1] = 2000.0;
    st.beddings.push_back(bed);
    st.beddingsOfElement = {{}, {0}};
    // Serviceability: w = 10 mm and a twist of 0.02 rad at the middle node,
    // w = 4 mm at the end node. Ultimate: w = 20 mm at the middle node.
    Svc(0).displacements[7 + 2] = 0.010;
    Svc(0).displacements[7 + 3] = 0.02;
    Svc(0).displacements[14 + 2] = 0.004;
    Ult(0).displacements[7 + 2] = 0.020;
    ZVELEM r = Write(d);
    // Spring: (w + ey·theta)·c = (0.010 + 0.05·0.02)·1000 = 11 kN, pressing on the spring.
    ZVELEM fz = Series(r, {"Gebrauchstauglichkeit", "Char. Federkräfte", "Extremal", "Az"});
    ASSERT_NE(fz, 0u);
    EXPECT_NEAR(ReadSeriesData(fz)[3 * 1 + 1], 11.0, 1e-4);
    ZVELEM fd = Series(r, {"Tragsicherheit", "LK   1", "Federkräfte (design)", "Az"});
    ASSERT_NE(fd, 0u);
    EXPECT_NEAR(ReadSeriesData(fd)[3 * 1 + 1], 20.0, 1e-4);
    // Bedding per length at the second element's ends: w·c.
    ZVELEM bz = Series(r, {"Gebrauchstauglichkeit", "Char. Bettungskräfte", "Extremal", "Az"});
    ASSERT_NE(bz, 0u);
    const std::vector<float> b = ReadSeriesData(bz);
    ASSERT_EQ(b.size(), 12u);
    EXPECT_NEAR(b[3 * 2 + 1], 0.010 * 2000, 1e-3);  // element 1, start
    EXPECT_NEAR(b[3 * 3 + 1], 0.004 * 2000, 1e-3);  // element 1, end
    EXPECT_EQ(b[1], 0.0f);                          // element 0 has no bedding
    // The spring's values are exported under its number, the design ones as AMz.
    int found = 0;
    std::function<void(ZVELEM)> walk = [&](ZVELEM e) {
        for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
            const std::string v = zevud::GetString(c, "varName");
            if (v == "F1_Az_extr_c") {
                ++found;
                EXPECT_NEAR(ZEVUD_GetDouble(c, "val"), 11.0, 1e-4);
            }
            if (v == "F1_AMz_LK1_d") {
                ++found;
                EXPECT_EQ(zevud::GetString(c, "desc"), " Az");
            }
            walk(c);
        }
    };
    walk(ZEVUD_FindFirstChild(d.root, "exports"));
    EXPECT_EQ(found, 2);
}

TEST_F(Writer, DocumentWithoutInputAndShortResultsIsWrittenWithoutFault) {
    // No "input" element, results shorter than the model says: every value
    // outside what the analysis holds counts as 0.
    ZVDOC doc = ZEVUD_CreateDoc("bare.vkx");
    ModelRecord& m = run->cdltr;
    m.fe.nKnoten = 4;
    m.fe.nStab = 3;
    for (int i = 0; i < 4; ++i) m.fe.KnotenX[static_cast<size_t>(i)] = i;
    fe::FeCaseResult c;
    c.displacements = {0, 0, 0.5};
    fe::State(*run).results.service.push_back(c);
    WriteResultsToDom(*run, doc, "FEHLER:  x", proofs);
    ZVELEM r = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
    EXPECT_EQ(ZEVUD_GetInt(r, "nElem"), 6);
    EXPECT_EQ(zevud::GetString(r, "errorMsg"), "FEHLER:  x");
    EXPECT_EQ(ZEVUD_GetDouble(r, "dMaxAusGebr"), 0.0);
    EXPECT_FALSE(ZEVUD_HasAttr(r, "gebrRelKol"));
    EXPECT_NE(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "exports"), 0u);
    ZEVUD_CloseDoc(doc);
}

TEST_F(Writer, SpringForcesAreTakenInTheSpringsAxes) {
    // The displacements are in the section's principal axes; a section
    // turned by alpha moves the spring by the turned displacement.
    const double pi = std::acos(-1.0);
    const struct { double alpha, v, w, fy, fz; } cases[] = {
        {0.0, 0.01, 0.02, -10.0, -40.0},
        {pi / 2, 0.01, 0.0, 0.0, -20.0},   // principal v lies along reference z
        {pi / 2, 0.0, 0.01, 10.0, 0.0},    // principal w lies against reference y
    };
    ModelRecord& m = run->cdltr;
    m.fe.nKnoten = 2;
    m.fe.nStab = 1;
    m.fe.KnotenX[1] = 1.0;
    fe::FeState& st = fe::State(*run);
    fe::PlacedRecord spring;
    spring.where = 1;
    spring.v[fe::slot::kSprCy] = 1000.0;
    spring.v[fe::slot::kSprCz] = 2000.0;
    st.springs = {spring, spring};
    st.springs[1].v[fe::slot::kSprCy] = -5.0;  // a negative stiffness holds nothing
    st.springs[1].v[fe::slot::kSprCz] = -5.0;
    fe::FeCaseResult c;
    c.displacements.assign(14, 0.0);
    st.results.service = {c};
    for (const auto& t : cases) {
        st.springs[0].v[fe::slot::kSprAlpha] = t.alpha;
        st.results.service[0].displacements[7 + 1] = t.v;
        st.results.service[0].displacements[7 + 2] = t.w;
        WriterContext ctx(*run);
        EXPECT_NEAR(ctx.SpringForce(false, 0, 1, 0), t.fy, 1e-9) << t.alpha;
        EXPECT_NEAR(ctx.SpringForce(false, 0, 1, 1), t.fz, 1e-9) << t.alpha;
        EXPECT_EQ(ctx.SpringForce(false, 0, 0, 1), 0.0);  // no spring at node 0
    }
}

TEST_F(Writer, SecondWriteReplacesResultAndExports) {
    PositionDoc d("pos.vkx");
    Model(d, 3, 6.0, 1, 0);
    d.AddCombination("AK", "1.0*(1)");
    Svc(0).reactions[2] = -5.0;
    Write(d);
    const std::string first = zevud::GetDocText(d.doc);
    Write(d);
    EXPECT_EQ(zevud::GetDocText(d.doc), first);
    int n = 0;
    for (ZVELEM e = ZEVUD_GetFirstChild(d.root); e; e = ZEVUD_GetNextChild(e))
        n += zevud::GetElementName(e) == "result" || zevud::GetElementName(e) == "exports";
    EXPECT_EQ(n, 2);
}

}  // namespace
