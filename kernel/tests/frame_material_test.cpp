// Material values read from a section's material description and looked up.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "frame_fixture.h"
#include "kernel/MaterialValues.h"

using namespace tovik;

namespace {

struct FrameMaterialTest : ::testing::Test {
    frame_test::ScratchDir dir{"material"};
    ZVDOC doc = ZEVUD_CreateDoc("m.vkx");
    ZVELEM section = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "section");
    ZVELEM objekt = 0;
    std::unique_ptr<RunState> run = std::make_unique<RunState>();
    ~FrameMaterialTest() override { ZEVUD_CloseDoc(doc); }
    void Objekt() {
        objekt = ZEVUD_AddChildElement(ZEVUD_AddChildElement(section, "mate"), "Objekt");
        ZEVUD_SetString(objekt, "Name", "S 235");
    }
    void Prop(const char* name, double v) { frame_test::AddProperty(objekt, name, v); }
};

TEST_F(FrameMaterialTest, FallBackNamesAndUnitsOfTheLookup) {
    Objekt();
    Prop("fo", 235);
    Prop("fu", 360);
    Prop("E", 210000);
    Prop("G", 81000);
    Prop("gamma_m", 1.1);
    Prop("gamma", 78.5);
    ASSERT_TRUE(ReadMaterialValues(*run, 0, section));
    EXPECT_DOUBLE_EQ(run->materials.fyk[0], 235);
    EXPECT_DOUBLE_EQ(run->materials.fykt[0], 235);
    EXPECT_EQ(run->materials.name[0], "S 235");
    MaterialRecord rec;
    double gm1 = -1, gma1 = -1, minStress = -1;
    ASSERT_TRUE(LookupMaterialValues(*run, 0, rec, gm1, gma1, minStress));
    EXPECT_FLOAT_EQ(rec.fy, 23.5f);    // 235 N/mm² = 23.5 kN/cm²
    EXPECT_FLOAT_EQ(rec.fyt, 23.5f);
    EXPECT_FLOAT_EQ(rec.fu, 36.0f);
    EXPECT_FLOAT_EQ(rec.E, 21000.0f);  // 210000 N/mm² = 21000 kN/cm²
    EXPECT_FLOAT_EQ(rec.G, 8100.0f);
    EXPECT_FLOAT_EQ(rec.gamma, 78.5f);
    EXPECT_EQ(rec.name, "user");
    EXPECT_DOUBLE_EQ(gm1, 1.1);
    EXPECT_DOUBLE_EQ(gma1, 1.1);
    EXPECT_DOUBLE_EQ(minStress, 0.0);
}

TEST_F(FrameMaterialTest, FirstChoiceNamesWinOverFallBacks) {
    Objekt();
    Prop("fo", 235);
    Prop("fyk", 355);
    Prop("fykt", 335);
    Prop("gamma_m", 1.1);
    Prop("gamma_m1", 1.0);
    Prop("gamma_ma1", 1.15);
    Prop("minStressSigV", 0.2);
    ASSERT_TRUE(ReadMaterialValues(*run, 0, section));
    MaterialRecord rec;
    double gm1 = 0, gma1 = 0, minStress = 0;
    ASSERT_TRUE(LookupMaterialValues(*run, 0, rec, gm1, gma1, minStress));
    EXPECT_FLOAT_EQ(rec.fy, 35.5f);
    EXPECT_FLOAT_EQ(rec.fyt, 33.5f);
    EXPECT_DOUBLE_EQ(gm1, 1.0);
    EXPECT_DOUBLE_EQ(gma1, 1.15);
    EXPECT_DOUBLE_EQ(minStress, 0.2);
}

TEST_F(FrameMaterialTest, StoreGrowsToTheMaterialNumber) {
    Objekt();
    Prop("fo", 235);
    ASSERT_TRUE(ReadMaterialValues(*run, 3, section));
    EXPECT_EQ(run->materials.Size(), 4u);
    MaterialRecord rec;
    rec.fy = 99;
    double gm1 = 7, gma1 = 7, minStress = 7;
    ASSERT_TRUE(LookupMaterialValues(*run, 1, rec, gm1, gma1, minStress));
    EXPECT_FLOAT_EQ(rec.fy, 0.0f);
    EXPECT_EQ(rec.name, "user");
}

TEST_F(FrameMaterialTest, MissingDescriptionsAndNumbersWriteLogLines) {
    EXPECT_FALSE(ReadMaterialValues(*run, 0, section));  // no "mate"
    ZEVUD_AddChildElement(section, "mate");
    EXPECT_FALSE(ReadMaterialValues(*run, 0, section));  // no "Objekt"
    EXPECT_FALSE(ReadMaterialValues(*run, -1, section));
    MaterialRecord rec;
    rec.fy = 12;
    double gm1 = 3, gma1 = 3, minStress = 3;
    EXPECT_FALSE(LookupMaterialValues(*run, 0, rec, gm1, gma1, minStress));
    EXPECT_FLOAT_EQ(rec.fy, 12.0f);
    EXPECT_DOUBLE_EQ(gm1, 3.0);
    std::ifstream log(dir.path() / kMaterialLogFile);
    std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("] StahlWerte: Unterkapitel 'mate' nicht gefunden\n"), std::string::npos) << all;
    EXPECT_NE(all.find("] StahlWerte: Unterkapitel 'Objekt' nicht gefunden\n"), std::string::npos);
    EXPECT_NE(all.find("] StahlWerte: qtypNr>=fyk.GetSize()\n"), std::string::npos);
    // Every line: "[dd.mm.yyyy / hh:mm:ss:mmmm] text".
    const std::regex line(R"(\[\d{2}\.\d{2}\.\d{4} / \d{2}:\d{2}:\d{2}:\d{4}\] StahlWerte: .*)");
    std::istringstream lines(all);
    int n = 0;
    for (std::string l; std::getline(lines, l); ++n) EXPECT_TRUE(std::regex_match(l, line)) << l;
    EXPECT_EQ(n, 4);
}

TEST(FrameMaterialStore, EveryRunStartsWithAnEmptyStore) {
    RunState a;
    a.materials.fyk.push_back(235);
    RunState b;
    EXPECT_EQ(b.materials.Size(), 0u);
}

}  // namespace
