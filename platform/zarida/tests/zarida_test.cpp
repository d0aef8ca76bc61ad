// Material database layer: opening the standard and the user catalogue,
// missing and damaged files, and the shipped standard catalogue.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/winsys/winsys.h"
#include "platform/zarida/zarida.h"

namespace fs = std::filesystem;

namespace {

class ZaridaTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(RIGEL_TEST_TMP) / ("zarida_" + std::to_string(getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        ZARIDA_SetFiles(nullptr, nullptr);
        fs::remove_all(dir);
    }
    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir;
    winsys::ScopedRecordingSink sink;
};

TEST_F(ZaridaTest, MissingStandardFileGivesNoRootAndAMessage) {
    ZARIDA_SetFiles((dir / "none.dat").c_str(), (dir / "user.dat").c_str());
    EXPECT_EQ(ZARIDA_OpenStandard(), 0u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("none.dat"), std::string::npos);
}

TEST_F(ZaridaTest, MissingUserFileGivesAnEmptyCatalogueThatIsNotWrittenUntilSaved) {
    const fs::path user = dir / "sub" / "user.dat";
    ZARIDA_SetFiles(nullptr, user.c_str());
    const ZVELEM root = ZARIDA_OpenUser();
    ASSERT_NE(root, 0u);
    EXPECT_EQ(ZEVUD_GetFirstChild(root), 0u);
    EXPECT_FALSE(fs::exists(user));
    ZEVUD_SetString(ZEVUD_AddChildElement(root, "Kategorie"), "Name", "Stahl");
    ASSERT_EQ(ZEVUD_SaveDoc(ZEVUD_GetDocument(root)), 1);
    EXPECT_EQ(ZARIDA_Close(root), 1);
    EXPECT_EQ(ZARIDA_Close(root), 0);  // closed already
    const ZVELEM again = ZARIDA_OpenUser();
    ASSERT_NE(again, 0u);
    EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChild(again, "Kategorie"), "Name"), "Stahl");
    ZARIDA_Close(again);
}

TEST_F(ZaridaTest, DamagedUserFileIsReportedAndLeftAsItIs) {
    const fs::path user = dir / "user.dat";
    std::ofstream(user) << "<root><Kategorie Name=\"Stahl\">";  // cut short
    const std::string before = Slurp(user);
    ZARIDA_SetFiles(nullptr, user.c_str());
    EXPECT_EQ(ZARIDA_OpenUser(), 0u);
    EXPECT_FALSE(sink.messages.empty());
    EXPECT_EQ(Slurp(user), before);
}

TEST_F(ZaridaTest, CloseRefusesElementsOfOtherDocuments) {
    const ZVDOC doc = ZEVUD_CreateDoc("");
    EXPECT_EQ(ZARIDA_Close(ZEVUD_GetRootElement(doc)), 0);
    EXPECT_EQ(ZARIDA_Close(0), 0);
    ZEVUD_CloseDoc(doc);
}

TEST_F(ZaridaTest, ShippedStandardCatalogueHoldsSteelAluminiumAndRails) {
    const std::string file = std::string(RIGEL_BUILD_ROOT) + "/material/standard.material.dat";
    ZARIDA_SetFiles(file.c_str(), nullptr);
    char buf[8];
    EXPECT_EQ(ZARIDA_GetFile(0, buf, sizeof buf), static_cast<int>(file.size()));
    const ZVELEM root = ZARIDA_OpenStandard();
    ASSERT_NE(root, 0u);
    std::vector<std::string> names;
    for (ZVELEM k = ZEVUD_FindFirstChild(root, "Kategorie"); k; k = ZEVUD_FindNextChild(k, "Kategorie"))
        names.push_back(zevud::GetString(k, "Name"));
    EXPECT_EQ(names, (std::vector<std::string>{"Stahl", "Aluminium", "Kranschienen"}));
    EXPECT_TRUE(sink.messages.empty());
    ZARIDA_Close(root);
}

}  // namespace
