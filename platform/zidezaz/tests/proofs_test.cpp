// Plastic utilisation and elastic stress tables of the section extension,
// against closed-form values.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "platform/zadevoz/zadevoz.h"
#include "platform/zidezaz/proofs.h"

namespace {

int MakeI(double h, double b, double tf, double tw, double r) {
    const double hs = h - tf;
    const int p = SEKT_PRO_Create();
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-b / 2, -hs / 2, b / 2, -hs / 2, tf));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-b / 2, hs / 2, b / 2, hs / 2, tf));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -hs / 2, 0, hs / 2, tw, r, r));
    SEKT_PRO_Calculate(p);
    return p;
}

struct Profile {
    int h;
    explicit Profile(int p) : h(p) {}
    ~Profile() { SEKT_PRO_Delete(h); }
};

double U(int pro, double fd, std::initializer_list<double> f8) {
    double f[8] = {};
    int i = 0;
    for (double v : f8) f[i++] = v;
    return ZAZUZER_PlasticUtilisation(pro, fd, f);
}

// IPE 300, S235: A = 53.81 cm², Wpl,y = 628 cm³.
TEST(PlasticUtilisation, Ipe300PureCasesReachOne) {
    Profile p(MakeI(30.0, 15.0, 1.07, 0.71, 1.5));
    const zidezaz::PlasticCapacities c = zidezaz::PlasticCapacitiesOf(p.h, 235.0);
    ASSERT_TRUE(c.iSection);
    EXPECT_NEAR(c.Wply, 628.0, 1.0);
    EXPECT_NEAR(c.Mply, 147.6, 0.2);
    const double A = 2 * 15.0 * 1.07 + (30.0 - 2 * 1.07) * 0.71 + 4 * (1 - M_PI / 4) * 1.5 * 1.5;
    const double Npl = A * 23.5;
    const double Vpl = (30.0 - 1.07) * 0.71 * 23.5 / std::sqrt(3.0);
    struct Case {
        const char* name;
        std::initializer_list<double> f;
    };
    const Case cases[] = {
        {"N compression", {-Npl}},
        {"N tension", {Npl}},
        {"My", {0, 0, 0, 0, 628.4 * 0.235}},
        {"My negative", {0, 0, 0, 0, -628.4 * 0.235}},
        {"Vz", {0, 0, Vpl}},
    };
    for (const Case& k : cases) EXPECT_NEAR(U(p.h, 235.0, k.f), 1.0, 2e-3) << k.name;
    EXPECT_NEAR(U(p.h, 235.0, {0, 0, 0, 0, 147.6}), 1.0, 2e-3);
}

TEST(PlasticUtilisation, HomogeneousMonotoneAndBetweenElasticAndSimpleSum) {
    Profile p(MakeI(30.0, 15.0, 1.07, 0.71, 1.5));
    const double u1 = U(p.h, 235.0, {-300, 10, 40, 1, 60, 5, 0, 0.5});
    EXPECT_NEAR(U(p.h, 235.0, {-600, 20, 80, 2, 120, 10, 0, 1.0}), 2 * u1, 1e-6);
    double last = 0;
    for (int i = 0; i <= 10; ++i) {
        const double u = U(p.h, 235.0, {-100.0 * i, 0, 0, 0, 80, 0, 0, 0});
        EXPECT_GE(u, last - 1e-9);
        last = u;
    }
    // Never below the plastic bound of either force alone, never above the
    // linear sum of the pure-case utilisations.
    const zidezaz::PlasticCapacities c = zidezaz::PlasticCapacitiesOf(p.h, 235.0);
    const double u = U(p.h, 235.0, {-400, 0, 0, 0, 70, 0, 0, 0});
    EXPECT_GE(u, std::max(400 / c.Npl, 70 / c.Mply));
    EXPECT_LE(u, 400 / c.Npl + 70 / c.Mply + 1e-9);
}

TEST(PlasticUtilisation, WeldedIUnderNAndMyMatchesClosedForm) {
    // Flanges 200 x 12, web 400 x 8 (no fillets): while the neutral axis
    // lies in the web, Mpl,N = Mpl - N^2 / (4 tw fy).
    Profile p(MakeI(42.4, 20.0, 1.2, 0.8, 0.0));
    const double fy = 23.5, tw = 0.8, hw = 40.0;
    const double Mpl = (20.0 * 1.2 * 41.2 + tw * hw * hw / 4) * fy;  // kNcm
    for (double N : {0.0, 100.0, 300.0, 600.0}) {
        ASSERT_LE(N, tw * hw * fy);
        const double MN = (Mpl - N * N / (4 * tw * fy)) / 100.0;
        EXPECT_NEAR(U(p.h, 235.0, {-N, 0, 0, 0, MN}), 1.0, 2e-3) << N;
    }
}

TEST(PlasticUtilisation, BadInput) {
    EXPECT_EQ(U(-7, 235.0, {1}), -1.0);
    Profile p(MakeI(30.0, 15.0, 1.07, 0.71, 1.5));
    EXPECT_EQ(U(p.h, 0.0, {1}), -1.0);
    EXPECT_EQ(U(p.h, 235.0, {}), 0.0);
}

class ProofRtf : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::path(RIGEL_TEST_TMP) / ("proofs_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        zadevoz::RtfResetReport();
        ASSERT_EQ(zadevoz::RtfOpenDocument((dir / "p.rtf").string(), 0, 1, 0, "nologo\0\0"), 1);
    }
    std::string Close() {
        zadevoz::RtfCloseDocument(0);
        std::ifstream in(dir / "p.rtf");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(ProofRtf, ElasticStressAtTheYieldStressGivesOne) {
    Profile p(MakeI(30.0, 15.0, 1.07, 0.71, 1.5));
    SektGqs g{};
    SEKT_PRO_GetResultGqs(p.h, &g);
    // Outermost stress points lie on the flange centre lines, z = 14.465 cm.
    const double My = 23.5 * g.Ayy / 14.465 / 100.0;
    const double f[8] = {0, 0, 0, 0, My, 0, 0, 0};
    const double s[5] = {235.0, 0, 0, 0, 0};
    EXPECT_NEAR(ZAZUZER_StressTable(p.h, 210, 5.0, s, f, "Normalspannungen", "Ausnutzung"), 1.0, 1e-9);
    EXPECT_NEAR(ZAZUZER_StressTable(p.h, 110, 5.0, s, f, "Normalspannungen", "Ausnutzung"), 1.0, 1e-9);
    // Pure torsion-free shear: web centre tau = Vz S / (I t), S of the half
    // section with its two root fillets (area r² (1 - pi/4) each, centroid
    // r (10 - 3 pi) / (3 (4 - pi)) from the corner): 314.2 cm³, half of
    // Wpl,y = 628.4 cm³.
    const double f2[8] = {0, 0, 100.0, 0, 0, 0, 0, 0};
    const double e = 1.5 * (10 - 3 * M_PI) / (3 * (4 - M_PI));
    const double S = 15.0 * 1.07 * 14.465 + 0.71 * 13.93 * 13.93 / 2 + 2 * 1.5 * 1.5 * (1 - M_PI / 4) * (13.93 - e);
    EXPECT_NEAR(S, 628.4 / 2, 0.001 * 628.4 / 2);
    const double tau = 100.0 * S / (g.Ayy * 0.71) * 10.0;
    EXPECT_NEAR(ZAZUZER_StressTable(p.h, 211, 5.0, s, f2, "Schub", "Ausnutzung"), tau / (235.0 / std::sqrt(3.0)),
                0.03 * tau / 135.7);
    double u = 0;
    EXPECT_EQ(ZAZUZER_WritePlasticProof(p.h, &u, 235.0, f, "Querschnittswerte und Schnittgrößen", "Plastische Ausnutzung"), 0);
    EXPECT_GT(u, 0.8);
    EXPECT_LT(u, 1.0);
    const std::string rtf = Close();
    EXPECT_NE(rtf.find("Normalspannungen"), std::string::npos);
    EXPECT_NE(rtf.find("Plastische Ausnutzung"), std::string::npos);
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
}

}  // namespace

namespace {

// Welded I with flange plates: flanges 200 x 12, plates 160 x 10 on them,
// web 400 x 8 (cm: centre lines at 20.6 and 21.7 from the axis).
int MakeIWithPlates() {
    const int p = SEKT_PRO_Create();
    for (double s : {-1.0, 1.0}) {
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-10, s * 20.6, 10, s * 20.6, 1.2));
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-8, s * 21.7, 8, s * 21.7, 1.0));
    }
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -20.6, 0, 20.6, 0.8));
    SEKT_PRO_Calculate(p);
    return p;
}

TEST(PlasticUtilisation, IWithFlangePlatesPureCases) {
    Profile p(MakeIWithPlates());
    SektGqs g{};
    SEKT_PRO_GetResultGqs(p.h, &g);
    ASSERT_NEAR(g.A, 2 * 24.0 + 2 * 16.0 + 0.8 * 40.0, 1e-6);
    const double Wpl = 2 * 24.0 * 20.6 + 2 * 16.0 * 21.7 + 0.8 * 40.0 * 40.0 / 4;
    const zidezaz::PlasticCapacities c = zidezaz::PlasticCapacitiesOf(p.h, 235.0);
    ASSERT_TRUE(c.iSection);
    EXPECT_NEAR(c.Wply, Wpl, 0.5);
    EXPECT_NEAR(U(p.h, 235.0, {0, 0, 0, 0, Wpl * 0.235}), 1.0, 2e-3);
    EXPECT_NEAR(U(p.h, 235.0, {-g.A * 23.5}), 1.0, 2e-3);
    EXPECT_NEAR(U(p.h, 235.0, {0, 0, 41.2 * 0.8 * 23.5 / std::sqrt(3.0)}), 1.0, 2e-3);
}

}  // namespace

namespace {

TEST(PlasticUtilisation, BimomentBendsTheFlangesInOppositeSenses) {
    Profile p(MakeI(30.0, 15.0, 1.07, 0.71, 1.5));
    // Flange moment Mw / hf against t b^2 / 4 fy of one flange.
    const double hf = 30.0 - 1.07, Mplf = 1.07 * 15.0 * 15.0 / 4 * 23.5;  // kNcm
    const double Mw = Mplf * hf / 10000.0;                                 // kNm²
    EXPECT_NEAR(U(p.h, 235.0, {0, 0, 0, 0, 0, 0, 0, Mw}), 1.0, 2e-3);
    EXPECT_NEAR(U(p.h, 235.0, {0, 0, 0, 0, 0, 0, 0, -Mw}), 1.0, 2e-3);
    // Mz shares equally; with a bimoment one flange takes the sum: the same
    // utilisation for either sign of the bimoment.
    const double a = U(p.h, 235.0, {0, 0, 0, 0, 0, 10.0, 0, 0.5 * Mw}), b = U(p.h, 235.0, {0, 0, 0, 0, 0, 10.0, 0, -0.5 * Mw});
    EXPECT_NEAR(a, b, 1e-6);
    EXPECT_GT(a, U(p.h, 235.0, {0, 0, 0, 0, 0, 10.0, 0, 0}));
    // Elastic: the stresses of Mz and of the bimoment add at the same tips.
    SektGqs g{};
    SEKT_PRO_GetResultGqs(p.h, &g);
    const double s[5] = {235.0, 0, 0, 0, 0};
    const double fz[8] = {0, 0, 0, 0, 0, 10.0, 0, 0}, fw[8] = {0, 0, 0, 0, 0, 0, 0, 0.5 * Mw},
                 fzw[8] = {0, 0, 0, 0, 0, 10.0, 0, 0.5 * Mw};
    zadevoz::RtfResetReport();
    const double uz = ZAZUZER_StressTable(p.h, 210, 5, s, fz, "", ""), uw = ZAZUZER_StressTable(p.h, 210, 5, s, fw, "", ""),
                 uzw = ZAZUZER_StressTable(p.h, 210, 5, s, fzw, "", "");
    EXPECT_NEAR(uzw, uz + uw, 1e-9);
    EXPECT_NEAR(uw * 235.0, 0.5 * Mw * 1e4 * (hf / 2) * 7.5 / g.Bww * 10.0, 1e-6 * uw * 235.0);
}

}  // namespace
