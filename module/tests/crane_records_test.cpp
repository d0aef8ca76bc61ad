// Crane records: axle values and their keys, load kinds cleared for a
// single-girder underhung crane, generator kinds and generated wheel loads,
// the flat-bar rail and its addition to the girder, result envelopes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RecordDocFixture.h"
#include "module/Crane.h"
#include "module/Envelope.h"
#include "module/Rail.h"
#include "module/RecordOwner.h"
#include "module/Settings.h"
#include "input/MateHandler.h"
#include "platform/winsys/winsys.h"
#include "platform/zarida/zarida.h"

#include <unistd.h>

namespace {

using recordtest::RecordDoc;

struct Owner : CRecordOwner {
    CCraneSettings settings;
    const CCraneSettings* GetCraneSettings() const override { return &settings; }
};

std::string AxisKey(int a, int k) { return "axisVal_" + std::to_string(a) + "_" + std::to_string(k); }

// ---- axle values -----------------------------------------------------------

TEST_F(RecordDoc, ThreeAxlesGiveFortyEightValuesAndTheirKeys)
{
    ZVELEM e = Add("crane");
    ZEVUD_SetInt(e, "numOfAxis", 3);
    ZEVUD_SetDouble(e, "axisVal_2_15", 4.25);
    CCrane crane;
    crane.ReadData(e);
    EXPECT_EQ(crane.m_numOfAxis, 3);
    EXPECT_EQ(crane.m_axisVal.size(), 48u);
    EXPECT_EQ(crane.m_wheelLoads.size(), 3u * 19 * 9);
    EXPECT_EQ(crane.GetAxisValue(2, 15), 4.25);

    ZVELEM out = Add("out");
    crane.WriteData(out);
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 16; ++k) EXPECT_TRUE(ZEVUD_HasAttr(out, AxisKey(a, k).c_str())) << AxisKey(a, k);
    EXPECT_FALSE(ZEVUD_HasAttr(out, "axisVal_3_0"));
    EXPECT_FALSE(ZEVUD_HasAttr(out, "axisVal_0_16"));
}

TEST_F(RecordDoc, AxleCountOutsideTheRangeIsReportedAndLimited)
{
    struct Case {
        int stored, used;
    } cases[] = {{-3, 0}, {100000, CCrane::kMaxAxes}, {2000000000, CCrane::kMaxAxes}};
    for (const Case& c : cases) {
        winsys::ScopedRecordingSink sink;
        ZVELEM e = Add("crane");
        ZEVUD_SetInt(e, "numOfAxis", c.stored);
        CCrane crane;
        crane.ReadData(e);
        EXPECT_EQ(crane.m_numOfAxis, c.used) << c.stored;
        EXPECT_EQ(crane.m_axisVal.size(), static_cast<size_t>(c.used) * 16);
        ASSERT_EQ(sink.messages.size(), 1u) << c.stored;
        EXPECT_NE(sink.messages[0].text.find(std::to_string(c.stored)), std::string::npos);
    }
}

TEST_F(RecordDoc, SingleGirderUnderhungCraneLosesAssociatedKindsOfTheFirstTwoAxlesOnWriting)
{
    for (int craneTyp : {0, 1})
        for (int second : {0, 1}) {
            Owner owner;
            owner.settings.m_craneTyp = craneTyp;
            owner.settings.m_bSecondBeam = second;
            CCrane crane;
            crane.m_pOwner = &owner;
            crane.m_numOfAxis = 3;
            crane.SetAxisCount();
            for (int a = 0; a < 3; ++a)
                for (int k = 0; k < 16; ++k) crane.AxisValue(a, k)->SetValue(1.0 + k);
            ZVELEM e = Add("crane");
            crane.WriteData(e);
            const bool cleared = craneTyp == 1 && second == 0;
            for (int a = 0; a < 3; ++a)
                for (int k = 0; k < 16; ++k) {
                    const bool gone = cleared && a < 2 && (k == 2 || k == 4 || k == 6 || k == 8);
                    EXPECT_EQ(ZEVUD_GetDouble(e, AxisKey(a, k).c_str()), gone ? 0.0 : 1.0 + k)
                        << "type " << craneTyp << " second " << second << " axle " << a << " kind " << k;
                }
        }
}

// ---- generator kinds and wheel loads ----------------------------------------

TEST(Crane, GeneratorKindsOfTheGroups)
{
    Owner owner;
    CCrane crane;
    crane.m_pOwner = &owner;
    const int expected[19] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 13, 13, 13, 12, 12, 12, 12, 14};
    for (int g = 0; g < 19; ++g) EXPECT_EQ(crane.GetGeneratorKind(g), expected[g]) << g;
    owner.settings.m_horizontalFatForce = 1;
    EXPECT_EQ(crane.GetGeneratorKind(18), 15);
    for (int g = 0; g < 18; ++g) EXPECT_EQ(crane.GetGeneratorKind(g), expected[g]) << g;
    CCrane alone;  // no owner: no settings to ask
    EXPECT_EQ(alone.GetGeneratorKind(18), 14);
}

TEST(Crane, DefaultCraneWheelLoadsByHand)
{
    // Default crane with eta 0.5: Qc 11.25 (associated 6.75), Qh 23.75 (associated 1.25),
    // associated transverse force +-7.95; phi1 1.1, phi2 1.17, phi4 1.0, phi5 1.5.
    CCrane crane;
    crane.m_eta.SetValue(0.5);
    crane.GenerateLoads();
    struct Case {
        int axle, group;
        double hx, hy, v;
        const char* what;
    } cases[] = {
        {0, 0, 0, 0, 1.1 * 11.25 + 1.17 * 23.75, "group 1: 40.1625"},
        {0, 3, 0, 0, 1.0 * 35.0, "group 4: phi4 (Qc + Qh)"},
        {0, 2, 0, 0, 11.25, "group 3: no payload"},
        {0, 6, 0, 0, 11.25 + 0.5 * 23.75, "group 7: the crane's eta share of the hoist load"},
        {0, 12, 0, 7.95, 6.75 + 1.25, "11C1: associated loads and transverse force"},
        {1, 12, 0, -7.95, 8.0, "11C1, second axle"},
        {0, 13, 0, 7.95, 6.75, "11D1: without hoist load"},
        {0, 11, 0, 0, 11.25, "11B1: without hoist load"},
        {0, 16, 0, 8.86, 8.0, "11C2: associated loads and associated guide force"},
        {0, 18, 0, 0, 1.05 * 11.25 + 1.085 * 23.75, "fatigue: 37.58125"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(crane.GetWheelLoad(c.axle, c.group, 0), c.hx, 1e-12);
        EXPECT_NEAR(crane.GetWheelLoad(c.axle, c.group, 1), c.hy, 1e-12);
        EXPECT_NEAR(crane.GetWheelLoad(c.axle, c.group, 2), c.v, 1e-12);
    }
    // Ratios of axle 0 with phi lowered by 0.1: group 1 vertical
    // (1.0 * 11.25 + 1.07 * 23.75) / 40.1625; no horizontal force: 1.0.
    EXPECT_NEAR(crane.GetWheelLoad(0, 0, 5), 36.6625 / 40.1625, 1e-12);
    EXPECT_EQ(crane.GetWheelLoad(0, 0, 3), 1.0);
    EXPECT_NEAR(crane.GetWheelLoad(0, 0, 6), 1.0, 1e-12);  // the larger of r1 and r2
    // A serviceability group compares with its own loads: no dynamic factor, ratio 1.
    EXPECT_NEAR(crane.GetWheelLoad(0, 12, 5), 1.0, 1e-12);
    EXPECT_NEAR(crane.GetWheelLoad(0, 12, 4), 1.0, 1e-12);
}

TEST_F(RecordDoc, FatigueGroupTakesHorizontalForcesOnlyWhenSet)
{
    for (int horizontal : {0, 1}) {
        Owner owner;
        owner.settings.m_horizontalFatForce = horizontal;
        CCrane crane;
        crane.m_pOwner = &owner;
        crane.AxisValue(0, 5)->SetValue(2.0);  // drive force along the girder
        ZVELEM e = Add("crane");
        crane.WriteData(e);
        CCrane back;
        back.m_pOwner = &owner;
        back.ReadData(e);
        EXPECT_EQ(back.GetWheelLoad(0, 18, 0), horizontal ? 2.0 : 0.0);
        EXPECT_EQ(back.GetWheelLoad(0, 0, 0), 1.5 * 2.0);  // group 1: phi5 HL
    }
}

TEST_F(RecordDoc, CraneRoundTrip)
{
    Owner owner;
    CCrane crane;
    crane.m_pOwner = &owner;
    crane.m_strDesc = "Brückenkran 10 t";
    crane.m_phi[5].SetValue(1.2);
    crane.m_eta.SetFromText("x*2");
    crane.m_hubKlasse = 3;
    crane.m_numOfAxis = 4;
    crane.SetAxisCount();
    crane.AxisValue(3, 0)->SetValue(3.2);
    ExpectRoundTrip(crane, [&] {
        CCrane c;
        c.m_pOwner = &owner;
        return c;
    });
}

TEST(Crane, LoadGroupNamesCarryTheCranePrefix)
{
    std::vector<std::string> names, ids;
    EXPECT_EQ(GetCraneLoadGroupNames(names, ids, 2), 19);
    EXPECT_EQ(ids[0], "K2.ULS1");
    EXPECT_EQ(ids[7], "K2.PROOF");
    EXPECT_EQ(ids[17], "K2.SLS11D2");
    EXPECT_EQ(names[18], "Gruppe 14 (Ermüdung)");
    std::vector<std::string> captions, units;
    EXPECT_EQ(GetCraneLoadKindNames(captions, units), 20);
    EXPECT_EQ(captions[15], "Kippkraft in Trägerquerrichtung");
    EXPECT_EQ(units[0], "[m]");
    EXPECT_EQ(units[19], "[kN]");
}

// ---- rail ------------------------------------------------------------------

CRail FlatBar(double b, double h)
{
    CRail rail;
    rail.m_iTyp = 1;
    rail.m_b.SetValue(b);
    rail.m_h.SetValue(h);
    return rail;
}

TEST(Rail, FlatBarWornValues)
{
    // 220 x 12 mm, worn to 0.75 * 1.2 = 0.9 cm.
    CRailValues v;
    ASSERT_TRUE(FlatBar(220, 12).GetRailValues(v));
    EXPECT_NEAR(v.A, 26.4, 1e-12);
    EXPECT_NEAR(v.h75, 0.9, 1e-12);
    EXPECT_NEAR(v.A75, 19.8, 1e-12);
    EXPECT_NEAR(v.e175, 0.45, 1e-12);
    EXPECT_NEAR(v.Iy75, 22 * 0.729 / 12, 1e-12);
    EXPECT_NEAR(v.Iz75, 0.9 * 10648 / 12, 1e-9);
    EXPECT_NEAR(v.It75, 22 * 0.729 / 3, 1e-12);
    EXPECT_EQ(v.b1, 22.0);
    EXPECT_EQ(v.k, 22.0);
    // A square bar of 60 mm: worn 4.5 x 6, the long side is the height here.
    ASSERT_TRUE(FlatBar(45, 80).GetRailValues(v));
    EXPECT_NEAR(v.It75, 6 * std::pow(4.5, 3) / 3, 1e-9);
}

TEST(Rail, AddedToTheGirderWithBothTransferTerms)
{
    // Girder A = 100, Iy = 10000, Iz = 2000, top edge at z = -20; rail 220 x 12
    // worn (A75 19.8, e 0.45): centroid distance 20.45, and
    // Iy' = Iy + Iy75 + A A75 / (A + A75) d^2 (two-part composite).
    struct Case {
        double y0, z0;
    } cases[] = {{0, 0}, {1.0, 0}, {0, 2.0}};
    for (const Case& c : cases) {
        SektTqs t{};
        t.A = 100;
        t.y0 = c.y0;
        t.z0 = c.z0;
        t.Ayy = 10000;
        t.Azz = 2000;
        t.Ito = 30;
        t.Itg = 5;
        CRail rail = FlatBar(220, 12);
        CRailValues v;
        rail.GetRailValues(v);
        t.zmi = -20;
        ASSERT_TRUE(rail.AddRailToSection(t));
        const double dz = c.z0 - (-20.45), dy = c.y0;
        const double red = 100 * 19.8 / 119.8;
        EXPECT_NEAR(t.A, 119.8, 1e-12);
        EXPECT_NEAR(t.y0, 100 * c.y0 / 119.8, 1e-12);
        EXPECT_NEAR(t.z0, (100 * c.z0 - 19.8 * 20.45) / 119.8, 1e-12);
        EXPECT_NEAR(t.Ayy, 10000 + v.Iy75 + red * dz * dz, 1e-9);
        EXPECT_NEAR(t.Azz, 2000 + v.Iz75 + red * dy * dy, 1e-9);
        EXPECT_NEAR(t.Ito, 30 + v.It75, 1e-12);
        EXPECT_EQ(t.Itg, 5);
    }
}

TEST_F(RecordDoc, RailWritesWeldsOnlyForAWeldedRailAndItsWornValues)
{
    CRail rail = FlatBar(220, 12);
    rail.m_bCalculation = 1;
    rail.m_connection = 2;
    rail.m_SchweissnahtL.SetValue(100);
    ZVELEM e = Add("rail");
    rail.WriteData(e);
    EXPECT_EQ(ZEVUD_GetDouble(e, "SchweissnahtL"), 0.0);
    ZVELEM calc = ZEVUD_FindFirstChild(e, "calcVals");
    ASSERT_NE(calc, 0u);
    EXPECT_NEAR(ZEVUD_GetDouble(calc, "A"), 19.8, 1e-12);
    EXPECT_NEAR(ZEVUD_GetDouble(calc, "e1"), 0.45, 1e-12);

    CRail welded = FlatBar(200, 10);
    welded.m_connection = 1;
    welded.m_SchweissnahtL.SetValue(100);
    welded.m_bRigid = 0;
    ExpectRoundTrip(welded);
    ZVELEM w = Add("rail");
    welded.WriteData(w);
    EXPECT_EQ(ZEVUD_GetDouble(w, "SchweissnahtL"), 100.0);
    EXPECT_EQ(ZEVUD_FindFirstChild(w, "calcVals"), 0u);

    ZVELEM old = Add("rail");  // without "bRigid"
    CRail back;
    back.m_bRigid = 0;
    back.ReadData(old);
    EXPECT_EQ(back.m_bRigid, 1);
}

// The shipped crane-rail catalogue as the only material catalogue.
class RailCatalogue : public RecordDoc {
protected:
    void SetUp() override
    {
        RecordDoc::SetUp();
        DestroyMateHandler();
        const std::string user = std::string(RIGEL_TEST_TMP) + "/records_rail_user_" + std::to_string(getpid()) + ".dat";
        ZARIDA_SetFiles((std::string(RIGEL_BUILD_ROOT) + "/material/standard.material.dat").c_str(), user.c_str());
    }
    void TearDown() override
    {
        DestroyMateHandler();
        ZARIDA_SetFiles(nullptr, nullptr);
        RecordDoc::TearDown();
    }
};

TEST_F(RailCatalogue, CatalogueRailValuesAndItsStoredObject)
{
    CRail rail;
    rail.m_iTyp = 2;
    rail.m_sTyp = "Flachstahlschienen";
    rail.m_sNorm = "DIN EN 10058";
    rail.m_sObj = "Fl 60x40";
    rail.m_bCalculation = 1;
    // Flat bar 60 x 40 worn to 3 cm: A' = 18, e' = 1.5, Iy' = 6 * 27 / 12 = 13.5.
    CRailValues v;
    ASSERT_TRUE(rail.GetRailValues(v));
    EXPECT_EQ(v.A, 24.0);
    EXPECT_EQ(v.A75, 18.0);
    EXPECT_EQ(v.h75, 3.0);
    EXPECT_EQ(v.Iy75, 13.5);
    EXPECT_EQ(v.e175, 1.5);
    ZVELEM e = Add("rail");
    rail.WriteData(e);
    ZVELEM mate = ZEVUD_FindFirstChild(e, "mate");
    ASSERT_NE(mate, 0u);
    EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChild(mate, "Objekt"), "Name"), "Fl 60x40");
    EXPECT_EQ(ZEVUD_GetDouble(ZEVUD_FindFirstChild(e, "calcVals"), "A"), 18.0);
    ExpectRoundTrip(rail);

    CRail missing = rail;
    missing.m_sObj = "Fl 1x1";
    CRailValues untouched;
    untouched.A = -3;
    EXPECT_FALSE(missing.GetRailValues(untouched));
    EXPECT_EQ(untouched.A, -3);
}

// ---- envelopes ---------------------------------------------------------------

TEST(Envelope, SidesTakeOnlyStrictImprovements)
{
    CEnvelope env;
    env.SetSize(2);
    // Values of two nodes per result row; column 1 of each row is index 1.
    const std::vector<double> values = {5, 1, 7, 3, 7, 2};
    const std::vector<double> xs = {0.0, 0.1, 1.0, 1.1, 2.0, 2.1};
    env.Update(1, 0, 4, 3, 0, 2, values, xs, 9);  // 5, 7, 7: the first 7 wins
    env.Update(0, 0, 4, 3, 0, 2, values, xs, 9);  // only positives: no minimum
    int pos = -1, info = -1;
    double value = -1, x = -1;
    ASSERT_TRUE(env.GetAt(1, 0, pos, value, x, info));
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(value, 7.0);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(info, 9);
    ASSERT_TRUE(env.GetAt(0, 0, pos, value, x, info));
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(info, 0);
    // A later crane position with a tie keeps the earlier one.
    env.Update(1, 0, 6, 1, 2, 2, values, xs, 1);
    env.GetAt(1, 0, pos, value, x, info);
    EXPECT_EQ(pos, 4);
    // Out of range: nothing read past the lists, nothing stored.
    env.Update(1, 1, 8, 100, 1, 2, values, xs, 2);
    env.GetAt(1, 1, pos, value, x, info);
    EXPECT_EQ(value, 3.0);
    env.Update(1, 5, 8, 1, 0, 1, values, xs, 2);
    EXPECT_FALSE(env.GetAt(1, 5, pos, value, x, info));
    EXPECT_FALSE(env.GetAt(2, 0, pos, value, x, info));
}

TEST_F(RecordDoc, EnvelopeRoundTripAndCountBoundedByTheData)
{
    CEnvelope env;
    env.SetSize(3);
    env.Update(0, 2, 5, 1, 0, 1, {-4.0}, {2.5}, 3);
    ExpectRoundTrip(env);

    ZVELEM e = Add("env");
    env.WriteData(e);
    ZEVUD_SetInt(e, "numOfValues", 1000000);
    CEnvelope back;
    back.ReadData(e);
    EXPECT_EQ(back.GetSize(), 3);
    int pos;
    double value, x;
    int info;
    back.GetAt(0, 2, pos, value, x, info);
    EXPECT_EQ(pos, 5);
    EXPECT_EQ(value, -4.0);
    EXPECT_EQ(x, 2.5);
}

}  // namespace
