// Crane result tables: the governing fatigue record, the sizes taken from
// the stored counts, damaged counts and data, and write-read-write.
#include <gtest/gtest.h>

#include <vector>

#include "RecordDocFixture.h"
#include "module/frame/BinaryArrays.h"
#include "module/CraneTables.h"

namespace {

using recordtest::RecordDoc;

std::vector<double> Further(double base)
{
    std::vector<double> v(22);
    for (int i = 0; i < 22; ++i) v[i] = base + i;
    return v;
}

TEST(FatigueDetailTable, KeepsTheFirstRecordOnATieAndTakesALargerOne)
{
    CFatigueDetailTable t;
    ASSERT_TRUE(t.SetSize(2, 3));
    // Notch case 2, crane 1, side 1: record 2 * (2 * 2 + 1) + 1 = 11.
    ASSERT_TRUE(t.UpdateFatigueResult(2, 1, 0.5, 1, Further(10).data(), 0.8, 99));
    ASSERT_TRUE(t.UpdateFatigueResult(2, 1, 0.7, 1, Further(50).data(), 0.8, 98));
    const double* rec = t.Record(2, 1, 1);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec, t.m_val.data() + 11 * 25);
    EXPECT_EQ(rec[0], 0.5);
    EXPECT_EQ(rec[1], 10.0);
    EXPECT_EQ(rec[22], 31.0);
    EXPECT_EQ(rec[23], 0.8);
    EXPECT_EQ(rec[24], 99.0);
    EXPECT_EQ(t.m_bUsed[11], 1);

    t.UpdateFatigueResult(2, 1, 0.9, 1, Further(60).data(), 0.75, 1);  // smaller: kept
    EXPECT_EQ(rec[0], 0.5);
    t.UpdateFatigueResult(2, 1, 0.9, 1, Further(60).data(), 0.81, 1);  // larger: taken
    EXPECT_EQ(rec[0], 0.9);
    EXPECT_EQ(rec[23], 0.81);
    // The first offer to an unused record is always taken, even a negative one.
    t.UpdateFatigueResult(0, 0, 1.0, 0, Further(0).data(), -5, 0);
    EXPECT_EQ(t.Record(0, 0, 0)[23], -5.0);
    EXPECT_TRUE(t.IsUsed(0, 0, 0));
    EXPECT_FALSE(t.IsUsed(0, 0, 1));
}

TEST(FatigueDetailTable, RecordsOutsideTheTableAreRefused)
{
    CFatigueDetailTable t;
    t.SetSize(2, 3);
    const std::vector<double> f = Further(0);
    for (auto [poi, crane, side] : {std::tuple{3, 0, 0}, {0, 2, 0}, {0, 0, 2}, {-1, 0, 0}, {0, -1, 1}}) {
        EXPECT_FALSE(t.UpdateFatigueResult(poi, crane, 1, side, f.data(), 1, 1));
        EXPECT_EQ(t.Record(poi, crane, side), nullptr);
    }
    EXPECT_FALSE(t.UpdateFatigueResult(0, 0, 1, 0, nullptr, 1, 1));
}

TEST_F(RecordDoc, FatigueTableSizesFromItsCounts)
{
    struct Case {
        int cranes, pois;
        int storedDoubles, storedInts;
        size_t values, flags;
        const char* what;
    } cases[] = {
        {2, 3, 300, 12, 300, 12, "sizes 2 x 3 x 50 and 2 x 3 x 2"},
        {2, 3, 10, 1, 300, 12, "shorter data fills the front"},
        {1, 1, 5000, 700, 50, 2, "longer data is cut"},
        {-2, 3, 300, 12, 0, 0, "negative count: empty"},
        {2000000000, 2000000000, 0, 0, 0, 0, "impossible size: empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZVELEM e = Add("fatDetailResult");
        ZEVUD_SetInt(e, "numOfCranes", c.cranes);
        ZEVUD_SetInt(e, "numOfPOIs", c.pois);
        std::vector<double> val(static_cast<size_t>(c.storedDoubles));
        for (size_t i = 0; i < val.size(); ++i) val[i] = static_cast<double>(i) + 0.5;
        zevud::SetDoubles(e, "val", val);
        zevud::SetInts(e, "bUsed", std::vector<int32_t>(static_cast<size_t>(c.storedInts), 1));
        CFatigueDetailTable t;
        t.ReadData(e);
        EXPECT_EQ(t.m_val.size(), c.values);
        EXPECT_EQ(t.m_bUsed.size(), c.flags);
        for (size_t i = 0; i < t.m_val.size(); ++i)
            ASSERT_EQ(t.m_val[i], i < val.size() ? static_cast<double>(i) + 0.5 : 0.0) << i;
    }
}

TEST_F(RecordDoc, BucklingTableListsFollowTheirStoredData)
{
    CPlateStressTable t;
    t.m_numOfPlates = 3;
    t.m_numOfChecks = 2;
    t.m_numOfFields = 1;
    t.m_minSx = {1, 2, 3};
    t.m_util = {0.5};
    t.m_field = {1, 1};
    t.m_plateEnabled = {1, 0, 1};
    ExpectRoundTrip(t);

    ZVELEM e = Add("bucklRes");
    t.WriteData(e);
    ZEVUD_DeleteAttr(e, "valTau");
    CPlateStressTable back;
    back.m_valTau = {7, 7};
    back.ReadData(e);
    EXPECT_TRUE(back.m_valTau.empty());
    EXPECT_EQ(back.m_minSx, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(back.m_plateEnabled, (std::vector<int32_t>{1, 0, 1}));
    EXPECT_EQ(back.m_numOfPlates, 3);
}

TEST_F(RecordDoc, RailWeldTableSizesAndRoundTrip)
{
    CRailWeldTable t;
    ASSERT_TRUE(t.SetSize(2, 1, 3, 2));
    EXPECT_EQ(t.m_val.size(), 2u * 1 * 3 * 2 * 15);
    EXPECT_EQ(t.m_bUsed.size(), t.m_val.size());
    t.m_val[17] = 4.5;
    t.m_bUsed[17] = 1;
    ExpectRoundTrip(t);

    ZVELEM e = Add("railWeldingResult");
    t.WriteData(e);
    ZEVUD_SetInt(e, "numOfAxis", 3);  // counts larger than the data: the rest stays 0
    CRailWeldTable back;
    back.ReadData(e);
    EXPECT_EQ(back.m_val.size(), 2u * 1 * 3 * 3 * 15);
    EXPECT_EQ(back.m_val[17], 4.5);
    EXPECT_EQ(back.m_val.back(), 0.0);
    ZEVUD_SetInt(e, "numOfGroupe", -1);
    back.ReadData(e);
    EXPECT_TRUE(back.m_val.empty());
}

TEST_F(RecordDoc, FatigueTableRoundTrip)
{
    CFatigueDetailTable t;
    t.SetSize(1, 2);
    t.UpdateFatigueResult(1, 0, 2.0, 1, Further(3).data(), 0.4, 7);
    ExpectRoundTrip(t);
}

}  // namespace

namespace {

TEST_F(RecordDoc, CountedIntArraysAreBoundedByTheirData)
{
    binarray::WriteCountedInts(root_, "EinwSrc2DestMax", {3, -1, 4});
    EXPECT_EQ(binarray::ReadCountedInts(root_, "EinwSrc2DestMax"), (std::vector<int32_t>{3, -1, 4}));
    ZEVUD_SetInt(ZEVUD_FindFirstChild(root_, "EinwSrc2DestMax"), "dataLength", 1000);
    EXPECT_EQ(binarray::ReadCountedInts(root_, "EinwSrc2DestMax").size(), 3u);
    ZEVUD_SetInt(ZEVUD_FindFirstChild(root_, "EinwSrc2DestMax"), "dataLength", 2);
    EXPECT_EQ(binarray::ReadCountedInts(root_, "EinwSrc2DestMax"), (std::vector<int32_t>{3, -1}));
    binarray::WriteCountedInts(root_, "EinwSrc2DestMax", {});
    EXPECT_EQ(ZEVUD_FindFirstChild(root_, "EinwSrc2DestMax"), 0u);
    EXPECT_TRUE(binarray::ReadCountedInts(root_, "EinwSrc2DestMin").empty());
}

}  // namespace
