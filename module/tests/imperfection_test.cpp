// The imperfection of the calculation aid against the rules' own values:
// DIN 18800 Teil 2 (205) and Tabelle 3, DIN EN 1993-1-1 5.3.2(3) and
// Tabelle 5.1, and the national annex's NDPs to 5.3.2(3) and 5.3.4(3).
#include <gtest/gtest.h>

#include <cmath>

#include "module/Imperfection.h"

namespace {

struct Case {
    const char* name;
    CImperfectionInput in;
    double expected;  // % for a sway, cm for a bow
};

CImperfectionInput Sway(int norm, double L) {
    CImperfectionInput in;
    in.norm = norm;
    in.kind = 0;
    in.length = L;
    return in;
}

CImperfectionInput Bow(int norm, int curve, double L, int el = 0, int ltb = 0) {
    CImperfectionInput in;
    in.norm = norm;
    in.kind = 1;
    in.curve = curve;
    in.length = L;
    in.elastic = el;
    in.ltb = ltb;
    return in;
}

CImperfectionInput AnnexIProfile(int welded, double hb, int el, int lambda) {
    CImperfectionInput in = Bow(31, 1, 5.0, el, 1);
    in.iProfile = 1;
    in.welded = welded;
    in.hb = hb;
    in.lambdaRange = lambda;
    return in;
}

}  // namespace

TEST(Imperfection, ResultsAgainstTheRules) {
    CImperfectionInput noIProfileLtb = Bow(31, 1, 5.0, 1, 1);
    noIProfileLtb.iProfile = 0;
    CImperfectionInput plastic = Bow(31, 1, 5.0, 0, 0);
    plastic.mplMel = 1.2;
    CImperfectionInput france = AnnexIProfile(0, 4.0, 1, 0);
    france.annexIndex = 1;
    const Case cases[] = {
        // sway: 1/200 * sqrt(5/L) <= 1/200; EC alpha_h = 2/sqrt(L) in 2/3 .. 1
        {"DIN sway L5", Sway(7, 5.0), 0.5},
        {"DIN sway L20", Sway(7, 20.0), 0.25},
        {"EC sway L5", Sway(8, 5.0), 0.5 * 2.0 / std::sqrt(5.0)},
        {"EC sway L1", Sway(8, 1.0), 0.5},
        {"EC sway L16", Sway(8, 16.0), 0.5 * 2.0 / 3.0},
        {"NA sway L9", Sway(31, 9.0), 0.5 * 2.0 / 3.0},
        // DIN bow: L/200 for curve c, 2/3 elastic-elastic, half with LTB
        {"DIN bow c", Bow(7, 2, 5.0), 2.5},
        {"DIN bow c el", Bow(7, 2, 5.0, 1), 2.5 * 2.0 / 3.0},
        {"DIN bow c LTB", Bow(7, 2, 5.0, 0, 1), 1.25},
        // EC bow: curve b elastic L/250, plastic L/200
        {"EC bow b el", Bow(8, 1, 5.0, 1), 2.0},
        {"EC bow b pl", Bow(8, 1, 5.0, 0), 2.5},
        {"EC bow b el LTB", Bow(8, 1, 5.0, 1, 1), 1.0},
        // NA bow: curve b L/350; elastic-plastic times Mpl/Mel
        {"NA bow b el", Bow(31, 1, 5.0, 1, 0), 500.0 / 350.0},
        {"NA bow b pl", plastic, 500.0 / 350.0 * 1.2},
        {"NA bow LTB no I-profile", noIProfileLtb, 0.5 * 500.0 / 350.0},
        // NA, LTB of I-profiles: rolled h/b <= 2 L/500 (el), doubled in 0.7..1.3
        {"NA I rolled hb2 el", AnnexIProfile(0, 2.0, 1, 0), 1.0},
        {"NA I rolled hb2 el lambda", AnnexIProfile(0, 2.0, 1, 1), 2.0},
        {"NA I rolled hb3 pl", AnnexIProfile(0, 3.0, 0, 0), 500.0 / 300.0},
        {"NA I welded hb2 pl", AnnexIProfile(1, 2.0, 0, 0), 500.0 / 300.0},
        {"NA I welded hb3 el", AnnexIProfile(1, 3.0, 1, 0), 500.0 / 300.0},
        // France: times 2 max(0.5, 1 - 0.5/(h/b)); h/b 4 -> 1.75; rolled h/b > 2 el L/400
        {"NA France", france, 500.0 / 400.0 * 1.75},
        // no curve: entry 0 (DIN L/300, EC elastic L/350)
        {"DIN no curve", Bow(7, -1, 6.0), 2.0},
        {"EC no curve el", Bow(8, -1, 7.0, 1), 2.0},
        {"curve past d", Bow(7, 9, 3.0), 2.0},
    };
    for (const Case& c : cases) {
        double r = -1.0;
        std::string error;
        ASSERT_TRUE(CalcImperfection(c.in, r, error)) << c.name;
        EXPECT_NEAR(r, c.expected, 1e-6) << c.name;
    }
}

TEST(Imperfection, LengthNotAboveZeroIsRefused) {
    for (int norm : {7, 8, 31})
        for (int kind : {0, 1})
            for (double L : {0.0, -1.0, std::nan("")}) {
                CImperfectionInput in = kind ? Bow(norm, 1, L) : Sway(norm, L);
                double r = 42.0;
                std::string error;
                EXPECT_FALSE(CalcImperfection(in, r, error)) << norm << " " << kind << " " << L;
                EXPECT_EQ(r, 42.0);
                EXPECT_FALSE(error.empty());
            }
}

TEST(Imperfection, NoteNamesTheRuleAndTheFactorCalculatedWith) {
    EXPECT_EQ(ImperfectionNoteText(Bow(7, 1, 5.0, 1)),
              "Die Berechnung erfolgt gemäß DIN 18800 \r\n(Teil 2, Kapitel 2.2 (Tabelle 3), bzw. Kapitel 2.3) \r\n"
              "für einen Nachweis elastisch-elastisch.");
    EXPECT_EQ(ImperfectionNoteText(Sway(8, 5.0)),
              "Die Berechnung erfolgt gemäß DIN EN 1993-1-1 \r\n(Kapitel 5.3.2 (3a) und (3b), bzw. Kapitel 5.3.4 (3)) "
              "\r\nfür einen Nachweis elastisch-plastisch.");
    CImperfectionInput plastic = Bow(31, 1, 5.0);
    plastic.mplMel = 1.16;
    EXPECT_EQ(ImperfectionNoteText(plastic),
              "Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.2(3) Anmerkung) \r\nmit Mpl/Mel=1.16 "
              "\r\nfür einen Nachweis elastisch-plastisch");
    EXPECT_EQ(ImperfectionNoteText(AnnexIProfile(0, 2.5, 1, 1)),
              "Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.4(3) Anmerkung) für I-Profile \r\n"
              "mit 0.7<=lambda_LT<=1.3 und h/b=2.50 \r\nfür einen Nachweis elastisch-elastisch");
    EXPECT_EQ(ImperfectionNoteText(AnnexIProfile(0, 1.0, 0, 0)),
              "Die Berechnung erfolgt gemäß DIN EN 1993-1-1/NA \r\n(NDP zu 5.3.4(3) Anmerkung) für I-Profile \r\n"
              "mit 0.7>lambda_LT, lambda_LT>1.3 und h/b=1.00 \r\nfür einen Nachweis elastisch-plastisch");
}
