// A section drawn through the section generator: one filled plate and its
// number per wall line; nothing without a section.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/SectProfile.h"
#include "platform/kurvo/kurvo.h"

namespace {

// Keeps every call to the graph control as a line, "Method5(4,[..],[..])".
struct Recorder : kurvo::Control {
    std::vector<std::string> calls;
    int32_t Invoke(int dispid, const kurvo::Args& args) override {
        calls.push_back(kurvo::FormatCall(dispid, args));
        return 0;
    }
    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }
};

}  // namespace

TEST(SectProfileDraw, PlatesWithTheirNumbers) {
    CSectProfile p;
    Recorder rec;
    EXPECT_EQ(p.Draw(&rec, 1.5), -1);
    EXPECT_TRUE(rec.calls.empty());
    p.Create(0);
    ASSERT_TRUE(p.IsValid());
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(-10, 0, 10, 0, 2));
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(0, 0, 0, 30, 1));
    EXPECT_EQ(p.Draw(&rec, 1.5), 2);
    EXPECT_EQ(rec.Matching("Method5(").size(), 2u);
    const std::vector<std::string> texts = rec.Matching("Method7(");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("\"1\""), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("\"2\""), std::string::npos) << texts[1];
    p.Release();
}
