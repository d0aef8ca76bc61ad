// A document in memory for record tests, with a round-trip check: a record
// written, read into a fresh record and written again gives an equal element.
#pragma once

#include <gtest/gtest.h>

#include "platform/zevud/zevud.h"

namespace recordtest {

class RecordDoc : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc_ = ZEVUD_CreateDoc("");
        root_ = ZEVUD_GetRootElement(doc_);
    }
    void TearDown() override { ZEVUD_CloseDoc(doc_); }
    ZVELEM Add(const char* name) { return ZEVUD_AddChildElement(root_, name); }

    // make() gives a fresh record (with its owner, where it needs one).
    template <class R, class Make>
    void ExpectRoundTrip(R& rec, Make make)
    {
        ZVELEM a = ZEVUD_AddChildElement(Add("a"), "rec");
        rec.WriteData(a);
        R back = make();
        back.ReadData(a);
        ZVELEM b = ZEVUD_AddChildElement(Add("b"), "rec");
        back.WriteData(b);
        EXPECT_EQ(zevud::FingerPrint(a), zevud::FingerPrint(b));
    }
    template <class R>
    void ExpectRoundTrip(R& rec)
    {
        ExpectRoundTrip(rec, [] { return R(); });
    }

    ZVDOC doc_ = 0;
    ZVELEM root_ = 0;
};

}  // namespace recordtest
