// A section drawn through the section generator: one filled plate and its
// number per wall line; nothing without a section.
#include <gtest/gtest.h>

#include "graphics/core/Kurvo.h"
#include "input/SectProfile.h"

TEST(SectProfileDraw, PlatesWithTheirNumbers) {
    CSectProfile p;
    CKurvoRecorder rec;
    CKurvo2D graph(&rec);
    EXPECT_EQ(p.Draw(graph, 1.5), -1);
    EXPECT_TRUE(rec.calls.empty());
    p.Create(0);
    ASSERT_TRUE(p.IsValid());
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(-10, 0, 10, 0, 2));
    SEKT_PRO_AddWLine(p.GetHandle(), zidezaz::MakeWLine(0, 0, 0, 30, 1));
    EXPECT_EQ(p.Draw(graph, 1.5), 2);
    EXPECT_EQ(rec.Matching("Method5(").size(), 2u);
    const std::vector<std::string> texts = rec.Matching("Method7(");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("\"1\""), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("\"2\""), std::string::npos) << texts[1];
    p.Release();
}
