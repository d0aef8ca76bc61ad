// Section databases: storing, finding, listing, saving and reopening.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

namespace fs = std::filesystem;

namespace {

class SectionDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("zidezaz_db_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    static int MakeProfile(double t) {
        const int h = SEKT_PRO_Create();
        SEKT_PRO_AddWLine(h, zidezaz::MakeWLine(0, 0, 10, 0, t));
        SEKT_PRO_AddWLine(h, zidezaz::MakeWLine(5, 0, 5, 20, t));
        SektWLineGroup g{7, 1, {0, 0}};
        SEKT_PRO_SetWLineGroup(h, 1, 1, &g);
        return h;
    }
    fs::path dir_;
};

TEST_F(SectionDatabase, ProfileFoundWithOrWithoutLeadingBackslash) {
    const int db = SEKT_DB_Open(File("a.skw").c_str(), 3);
    ASSERT_GE(db, 0);
    const int p = MakeProfile(1.5);
    ASSERT_EQ(SEKT_DB_AddProject(db, "Eigene Profile\\T 100", p), 0);
    const int q = SEKT_PRO_Create();
    EXPECT_GE(SEKT_DB_GetProject(db, "\\Eigene Profile\\T 100", q), 0);
    EXPECT_EQ(SEKT_PRO_GetnWLine(q), 2);
    EXPECT_GE(SEKT_DB_GetProject(db, "eigene profile\\t 100", q), 0);
    EXPECT_EQ(SEKT_DB_GetProject(db, "\\Eigene Profile\\T 200", q), -2);
    SektWLineGroup g{};
    ASSERT_EQ(SEKT_PRO_GetWLineGroup(q, 1, &g), 0);
    EXPECT_EQ(g.group, 7);
    EXPECT_EQ(SEKT_DB_DeleteProject(db, "\\Eigene Profile\\T 100"), 0);
    EXPECT_EQ(SEKT_DB_GetProject(db, "Eigene Profile\\T 100", q), -2);
    SEKT_PRO_Delete(p);
    SEKT_PRO_Delete(q);
    SEKT_DB_Close(db);
}

TEST_F(SectionDatabase, SaveReopenAndList) {
    const std::string path = File("Profil.skw");
    {
        const int db = SEKT_DB_Open(path.c_str(), 3);
        const int p = MakeProfile(1.0);
        SEKT_DB_AddProject(db, "\\IPE\\IPE 100", p);
        SEKT_DB_AddProject(db, "\\IPE\\IPE 120", p);
        SEKT_DB_AddProject(db, "\\Solo", p);
        ASSERT_EQ(SEKT_DB_Save(db, nullptr), 0);
        SEKT_DB_Close(db);
        SEKT_PRO_Delete(p);
    }
    // Opened by a name that differs in case.
    const int db = SEKT_DB_Open(File("profil.SKW").c_str(), 0);
    ASSERT_GE(db, 0);
    const auto top = zidezaz::ListFolder(db, "");
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].kind, 1);
    EXPECT_EQ(top[0].name, "IPE");
    EXPECT_EQ(top[1].kind, 0);
    EXPECT_EQ(top[1].name, "Solo");
    const auto ipe = zidezaz::ListFolder(db, "\\IPE");
    ASSERT_EQ(ipe.size(), 2u);
    EXPECT_EQ(ipe[1].name, "IPE 120");
    const int q = SEKT_PRO_Create();
    ASSERT_GE(SEKT_DB_GetProject(db, "\\IPE\\IPE 120", q), 0);
    SektWLine w{};
    ASSERT_EQ(SEKT_PRO_GetWLine(q, 1, &w), 0);
    EXPECT_DOUBLE_EQ(w.ze, 20.0);
    EXPECT_DOUBLE_EQ(w.ta, 1.0);
    char buf[300];
    EXPECT_EQ(SEKT_DB_GetFilePath(db, buf, sizeof buf), static_cast<int>(path.size()));
    EXPECT_EQ(std::string(buf), path);
    SEKT_PRO_Delete(q);
    EXPECT_EQ(SEKT_DB_Close(db), 0);
    EXPECT_EQ(SEKT_DB_Close(db), -1);
}

TEST_F(SectionDatabase, OpenModes) {
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(SEKT_DB_Open(File("missing.skw").c_str(), 0), -1);
    EXPECT_EQ(SEKT_DB_Open(File("missing.skw").c_str(), 2), -1);
    EXPECT_EQ(SEKT_DB_Open("", 3), -1);
    EXPECT_EQ(SEKT_DB_Open(nullptr, 0), -1);
    EXPECT_TRUE(sink.messages.empty());
    const int db = SEKT_DB_Open(File("new.skw").c_str(), 3);
    EXPECT_GE(db, 0);
    EXPECT_TRUE(zidezaz::ListFolder(db, "").empty());
    SEKT_DB_Close(db);
    EXPECT_FALSE(fs::exists(File("new.skw")));  // nothing written until saved
}

TEST_F(SectionDatabase, DamagedFileSaysSoAndKeepsTheFile) {
    winsys::ScopedRecordingSink sink;
    const std::string path = File("bad.skw");
    {
        std::ofstream f(path);
        f << "<root><skwdb><profile name=";
    }
    const auto size = fs::file_size(path);
    EXPECT_EQ(SEKT_DB_Open(path.c_str(), 2), -1);
    EXPECT_FALSE(sink.messages.empty());
    EXPECT_EQ(fs::file_size(path), size);
}

TEST_F(SectionDatabase, BadIndicesAndHandles) {
    const int p = SEKT_PRO_Create();
    EXPECT_EQ(SEKT_DB_GetProject(12345, "\\x", p), -1);
    EXPECT_LT(SEKT_DB_AddProject(12345, "\\x", p), 0);
    EXPECT_EQ(SEKT_DB_Save(12345, nullptr), -1);
    EXPECT_EQ(SEKT_DB_GetFirstFolderMember(12345, "", nullptr, 0), -1);
    const int db = SEKT_DB_Open(File("x.skw").c_str(), 3);
    EXPECT_LT(SEKT_DB_AddProject(db, "\\x", 999999), 0);
    EXPECT_LT(SEKT_DB_AddProject(db, "", p), 0);
    EXPECT_EQ(SEKT_DB_GetProject(db, "\\x", 999999), -1);
    SEKT_DB_Close(db);
    SEKT_PRO_Delete(p);
}

}  // namespace
