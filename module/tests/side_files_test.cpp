// Side files of a position held while it is calculated: written under
// temporary names, renamed over their targets in the order written when the
// owner commits after saving the position, removed when it drops them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "module/frame/SideFiles.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SideFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("side_files_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(Report()) << "alt";
    }
    void TearDown() override {
        sidefiles::SetHeld(kDoc, false);
        fs::remove_all(dir_);
    }
    fs::path Report() const { return dir_ / "Pos.rtf"; }
    fs::path Table() const { return dir_ / "Pos.supports.csv"; }
    size_t Files() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }
    static constexpr ZVDOC kDoc = 4711;
    fs::path dir_;
};

TEST_F(SideFilesTest, NotHeldTheTargetItselfIsWritten) {
    EXPECT_EQ(sidefiles::StageFile(kDoc, Report().string()), Report().string());
    std::string why;
    EXPECT_TRUE(sidefiles::Commit(kDoc, why));
    EXPECT_EQ(ReadAll(Report()), "alt");
}

TEST_F(SideFilesTest, HeldFilesReplaceTheOldOnesOnlyOnCommit) {
    struct Case {
        const char* name;
        bool commit;
        const char* report;  // the report afterwards
        bool table;          // whether the table exists afterwards
    } cases[] = {{"committed", true, "neu", true}, {"dropped", false, "alt", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(Report(), std::ios::trunc) << "alt";
        std::error_code ec;
        fs::remove(Table(), ec);
        sidefiles::SetHeld(kDoc, true);
        const std::string report = sidefiles::StageFile(kDoc, Report().string());
        const std::string table = sidefiles::StageFile(kDoc, Table().string());
        const std::string never = sidefiles::StageFile(kDoc, (dir_ / "Pos.KS001.rtf").string());
        EXPECT_NE(report, Report().string());
        EXPECT_EQ(fs::path(report).parent_path(), dir_);
        EXPECT_EQ(sidefiles::StagedFile(kDoc, Report().string()), report);
        {
            // A writer that asks for the report's name is sent to the staged file.
            sidefiles::Redirect redirect(kDoc, Report().string(), report);
            EXPECT_EQ(sidefiles::RedirectedName(kDoc, Report().string()), report);
            EXPECT_EQ(sidefiles::RedirectedName(kDoc, Table().string()), Table().string());
            std::ofstream(sidefiles::RedirectedName(kDoc, Report().string())) << "neu";
        }
        EXPECT_EQ(sidefiles::RedirectedName(kDoc, Report().string()), Report().string());
        std::ofstream(table) << "x;y";
        EXPECT_EQ(ReadAll(Report()), "alt") << "nothing replaced before the commit";
        std::string why;
        if (c.commit)
            EXPECT_TRUE(sidefiles::Commit(kDoc, why)) << why;
        else
            sidefiles::Drop(kDoc);
        sidefiles::SetHeld(kDoc, false);
        EXPECT_EQ(ReadAll(Report()), c.report);
        EXPECT_EQ(fs::exists(Table()), c.table);
        EXPECT_FALSE(fs::exists(never));
        EXPECT_FALSE(fs::exists(dir_ / "Pos.KS001.rtf")) << "a file never written is not made";
        EXPECT_EQ(Files(), c.table ? 2u : 1u) << "no temporary file stays";
    }
}

TEST_F(SideFilesTest, AFileStagedTwiceKeepsTheLastAndReleaseRemovesWhatWasNotCommitted) {
    sidefiles::SetHeld(kDoc, true);
    const std::string first = sidefiles::StageFile(kDoc, Report().string());
    std::ofstream(first) << "eins";
    const std::string second = sidefiles::StageFile(kDoc, Report().string());
    EXPECT_FALSE(fs::exists(first));
    std::ofstream(second) << "zwei";
    sidefiles::DropFile(kDoc, Table().string());  // none staged: nothing happens
    sidefiles::SetHeld(kDoc, false);              // released without a commit
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(ReadAll(Report()), "alt");
    EXPECT_EQ(Files(), 1u);
}

}  // namespace
