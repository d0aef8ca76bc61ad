// Crane wheel loads by the groups of loads of EN 1991-3, Table 2.2, against
// hand calculations.
#include "platform/ferrum/ferrum.h"
#include "platform/ferrum/rail_composite.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One axle with distinct characteristic values, so that each term of a
// group shows in the sums.
FER_VaduLoadInput Axle(int kind)
{
    FER_VaduLoadInput in{};
    in.kind = kind;
    in.column[FER_VADU_QC] = 20;
    in.column[FER_VADU_QH] = 60;
    in.column[FER_VADU_HL] = 4;
    in.column[FER_VADU_HT] = 3;
    in.column[FER_VADU_HS] = 7;
    in.column[FER_VADU_HT3] = 2;
    in.column[FER_VADU_WIND] = 0.5;
    in.column[FER_VADU_QT] = 100;
    in.column[FER_VADU_HB_X] = 30;
    in.column[FER_VADU_HB_Y] = 6;
    in.column[FER_VADU_HTA] = 9;
    const double phi[9] = {1.1, 1.2, 0.5, 1.05, 1.5, 1.3, 1.25, 0, 0};
    for (int i = 0; i < 9; ++i) in.phi[i] = phi[i];
    in.eta = 0.1;
    return in;
}

struct GroupCase {
    int kind;
    double v, hx, hy;
    const char* what;
};

TEST(VaduLoad, GroupsOfLoadsFollowTable22)
{
    // Qc 20, Qh 60, HL 4, HT 3, HS 7, HT3 2, wind 0.5, QT 100, HB 30/6, HTA 9;
    // phi1..phi7 = 1.1, 1.2, 0.5, 1.05, 1.5, 1.3, 1.25; eta 0.1.
    const GroupCase cases[] = {
        {1, 1.1 * 20 + 1.2 * 60, 1.5 * 4, 1.5 * 3 + 0.5, "hoisting: 22 + 72 = 94"},
        {2, 1.1 * 20 + 0.5 * 60, 6.0, 5.0, "sudden release: phi3 on the hoist load"},
        {3, 20, 6.0, 5.0, "no payload: self weight only"},
        {4, 1.05 * 80, 6.0, 5.0, "travelling: phi4 on both"},
        {5, 84, 0, 7 + 0.5, "skewing with wind"},
        {6, 84, 0, 2, "crab acceleration"},
        {7, 20 + 0.1 * 60, 0, 0, "payload removed: eta share of the hoist load"},
        {8, 1.1 * 20 + 1.3 * 100, 6.0, 5.0, "test load: phi1 Qc + phi6 QT, no hoist load"},
        {9, 80, 1.25 * 30, 1.25 * 6, "buffer forces with phi7"},
        {10, 80, 0, 9, "tilting force"},
        {12, 80, 0, 7, "serviceability, skewing"},
        {13, 80, 4, 3, "serviceability, acceleration"},
        {14, 0.5 * 2.1 * 20 + 0.5 * 2.2 * 60, 0, 0, "fatigue: phi_fat = (1 + phi)/2"},
        {15, 0.5 * 2.1 * 20 + 0.5 * 2.2 * 60, 4, 3, "fatigue with horizontal forces"},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(c.what);
        FER_VaduLoadInput in = Axle(c.kind);
        FER_VaduLoadOutput out{{-1, -1, -1}};
        EXPECT_EQ(FER_GenerateVaduLoad(&in, &out), 1);
        EXPECT_NEAR(out.value[0], c.v, 1e-12);
        EXPECT_NEAR(out.value[1], c.hx, 1e-12);
        EXPECT_NEAR(out.value[2], c.hy, 1e-12);
    }
}

TEST(VaduLoad, HoistingGroupOfTheDefaultExample)
{
    FER_VaduLoadInput in{};
    in.kind = 1;
    in.column[FER_VADU_QC] = 20;
    in.column[FER_VADU_QH] = 60;
    in.phi[0] = 1.1;
    in.phi[1] = 1.2;
    FER_VaduLoadOutput out{};
    FER_GenerateVaduLoad(&in, &out);
    EXPECT_NEAR(out.value[0], 94.0, 1e-12);
}

TEST(VaduLoad, UnknownKindsAndMissingRecordsGiveZeros)
{
    for (int kind : {0, 11, 16, -3, 1000}) {
        FER_VaduLoadInput in = Axle(kind);
        FER_VaduLoadOutput out{{5, 5, 5}};
        EXPECT_EQ(FER_GenerateVaduLoad(&in, &out), 0) << kind;
        EXPECT_EQ(out.value[0], 0.0);
        EXPECT_EQ(out.value[1], 0.0);
        EXPECT_EQ(out.value[2], 0.0);
    }
    FER_VaduLoadOutput out{{5, 5, 5}};
    EXPECT_EQ(FER_GenerateVaduLoad(nullptr, &out), 0);
    EXPECT_EQ(out.value[0], 0.0);
    FER_VaduLoadInput in = Axle(1);
    EXPECT_EQ(FER_GenerateVaduLoad(&in, nullptr), 0);
}

TEST(RailComposite, TwoRectanglesStackedMatchTheWholeRectangle)
{
    // Two 10 x 2 rectangles (b x h) on top of each other make a 10 x 4 one:
    // I = 10 * 4^3 / 12 = 53.333.. about the common centroid.
    ferrum::SectionPart lower{20, 0, 1, 10 * 8 / 12.0, 2 * 1000 / 12.0, 0};
    ferrum::SectionPart upper = ferrum::RailPart(20, 10 * 8 / 12.0, 2 * 1000 / 12.0, 1, 0);
    double dy = 9, dz = 9;
    ferrum::AddPartToSection(lower, upper, &dy, &dz);
    EXPECT_NEAR(lower.A, 40, 1e-12);
    EXPECT_NEAR(lower.z0, 0, 1e-12);
    EXPECT_NEAR(dz, -1, 1e-12);
    EXPECT_NEAR(dy, 0, 1e-12);
    EXPECT_NEAR(lower.Iyy, 10 * 64 / 12.0, 1e-9);
    EXPECT_NEAR(lower.Izz, 4 * 1000 / 12.0, 1e-9);
}

TEST(RailComposite, OffCentreGirderGetsItsOwnTransferTerm)
{
    // Girder A = 30 at y0 = 2, rail A = 10 at y = 0: y' = 60/40 = 1.5;
    // Izz' = 100 + 30 * 0.5^2 + 5 + 10 * 1.5^2 = 100 + 7.5 + 5 + 22.5 = 135.
    ferrum::SectionPart g{30, 2, 0, 0, 100, 0};
    ferrum::AddPartToSection(g, ferrum::RailPart(10, 0, 5, 0, 0));
    EXPECT_NEAR(g.y0, 1.5, 1e-12);
    EXPECT_NEAR(g.Izz, 135, 1e-12);
}

}  // namespace
