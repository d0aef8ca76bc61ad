// Section database of the run, grade tables, design strengths, profile keys
// and the profile per element end.
#include <gtest/gtest.h>

#include <cmath>

#include "kernel/section/SectionCache.h"
#include "kernel/tests/section_fixture.h"
#include "platform/winsys/winsys.h"

namespace {

using namespace tovik::section;
using section_test::MakeRun;
using section_test::PlateI;
using section_test::SectionFile;
using section_test::SetSection;

struct StrengthCase {
    double f, gamma, fd, fw;
};
class DesignStrengths : public ::testing::TestWithParam<StrengthCase> {};
TEST_P(DesignStrengths, WeldStrengthSwitchesAboveThirty) {
    const auto c = GetParam();
    double fd = 0, taud = 0, fw = 0;
    EXPECT_EQ(CalcDesignStrengths(c.f, c.gamma, fd, taud, fw), 0);
    EXPECT_NEAR(fd, c.fd, 1e-12);
    EXPECT_NEAR(taud, c.fd / std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(fw, c.fw, 1e-12);
}
INSTANTIATE_TEST_SUITE_P(Boundaries, DesignStrengths,
                         ::testing::Values(StrengthCase{30.0, 1.0, 30.0, 28.5}, StrengthCase{30.01, 1.0, 30.01, 24.008},
                                           StrengthCase{33.0, 1.1, 30.0, 28.5}, StrengthCase{23.5, 1.1, 23.5 / 1.1, 0.95 * 23.5 / 1.1}));

TEST(SteelGrades, TablesAndSelectors) {
    SteelRecord a, b;
    GetSteelGradeValues(a, 3, 2);
    GetSteelGradeValues(b, 4, 2);
    EXPECT_EQ(a.name, "FeE460");
    EXPECT_EQ(b.name, "FeE460");
    EXPECT_DOUBLE_EQ(a.fyk, b.fyk);
    EXPECT_DOUBLE_EQ(a.fuk, b.fuk);
    EXPECT_DOUBLE_EQ(a.fykt, 21.5);
    EXPECT_DOUBLE_EQ(b.fykt, 32.5);
    SteelRecord c;
    GetSteelGradeValues(c, 4, 0);
    EXPECT_EQ(c.name, "St52-3");
    EXPECT_DOUBLE_EQ(c.fyk, 36.0);
    EXPECT_DOUBLE_EQ(c.E, 21000.0);
    EXPECT_DOUBLE_EQ(c.G, 8100.0);
    SteelRecord d;
    d.fyk = 99;
    GetSteelGradeValues(d, 2, 7);  // unknown table: only the index changes
    EXPECT_EQ(d.index, 2);
    EXPECT_DOUBLE_EQ(d.fyk, 99);
}

TEST(ProfileKeys, PrismaticAndTapered) {
    EXPECT_EQ(MakeProfileKey("IPE 300", "ipe 300", 0.37, 0.0, 0), "IPE 300_0.00_0");
    EXPECT_EQ(MakeProfileKey("IPE 300", "IPE 300", 0.0, 30.0, 2), "IPE 300_30.00_2");
    EXPECT_EQ(MakeProfileKey("PS1A", "PS1E", 0.004, 12.3456, 1), "PS1A_PS1E_0.00_12.346_1");
    EXPECT_EQ(MakeProfileKey("PS1A", "PS1E", 0.996, 0.0, 0), "PS1A_PS1E_1.00_0.000_0");
}

class SectionRun : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::make_unique<SectionFile>(::testing::UnitTest::GetInstance()->current_test_info()->name());
        file_->Add("I400", PlateI(20, 1.5, 20, 1.5, 40, 0.8));
        file_->Add("I600", PlateI(20, 1.5, 20, 1.5, 60, 0.8));
        file_->Add("T", {zidezaz::MakeWLine(-10, 0, 10, 0, 1.0), zidezaz::MakeWLine(0, 0, 0, 10, 1.0)});
        file_->Save();
        run_ = MakeRun({4.0, 6.0}, 4);
        run_->cdltr.QsDatei = file_->path();
        SetSection(*run_, 1, "I400");
    }
    std::unique_ptr<SectionFile> file_;
    std::unique_ptr<tovik::RunState> run_;
};

TEST_F(SectionRun, OpeningTwiceClosesTheFirstAndClosingTwiceIsHarmless) {
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    const int first = run_->cdltr.m_IndDBS;
    ASSERT_GE(first, 0);
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    EXPECT_GE(run_->cdltr.m_IndDBS, 0);
    EXPECT_NE(run_->cdltr.m_IndDBS, first);
    EXPECT_EQ(SEKT_DB_Close(first), -1);  // already closed
    EXPECT_EQ(OpenSectionDatabase(*run_, -1), 0);
    EXPECT_EQ(run_->cdltr.m_IndDBS, -1);
    EXPECT_EQ(OpenSectionDatabase(*run_, -1), 0);
    EXPECT_EQ(OpenSectionDatabase(*run_, 7), 0);
    EXPECT_EQ(run_->cdltr.m_IndDBS, -1);
}

TEST_F(SectionRun, EmptyFileNameIsRefusedWithAMessage) {
    winsys::ScopedRecordingSink sink;
    run_->cdltr.QsDatei.clear();
    EXPECT_EQ(OpenSectionDatabase(*run_, 1), -1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "NAME nicht zulässig-><-");
    EXPECT_EQ(run_->cdltr.m_IndDBS, -1);
}

TEST_F(SectionRun, PrismaticFieldsShareOneProfile) {
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    EXPECT_EQ(c.SetzeQuer(), 0);
    const int32_t h = c.ElementEndProfile(0);
    ASSERT_GT(h, 0);
    for (const auto& [key, handle] : c.ElementEndMap()) EXPECT_EQ(handle, h) << key;
    EXPECT_EQ(c.ElementEndMap().size(), 16u);
    EXPECT_EQ(c.ProfileCount(), 1u);
    int32_t again = 0;
    EXPECT_EQ(c.GetOrCreateProfile(run_->cdltr.m_IndDBS, "I400", "i400", 0.3, 0.0, 0, again), 0);
    EXPECT_EQ(again, h);
    int32_t found = 0;
    EXPECT_NE(c.FindProfile(found, "I400", "I400", 0.0, 0.0, 0), 0);
    EXPECT_EQ(found, h);
    // After the database is closed, the element ends still answer.
    OpenSectionDatabase(*run_, -1);
    EXPECT_EQ(c.ElementEndProfile(5), h);
    EXPECT_GT(c.AtElementEnd(3, 1).A, 0.0);
    EXPECT_EQ(c.ElementEndProfile(999), -1);
    EXPECT_EQ(c.FindProfile(found, "I600", "I600", 0.0, 0.0, 0), 0);
    EXPECT_EQ(found, -1);
}

TEST_F(SectionRun, TaperedFieldInterpolatesWallLines) {
    SetSection(*run_, 2, "I400");
    SetSection(*run_, 3, "I600");
    run_->cdltr.Feld_QsA[1] = 2;
    run_->cdltr.Feld_QsE[1] = 3;
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    EXPECT_EQ(c.SetzeQuer(), 0);
    // Field 2 (6 m, 4 elements): start section of its first element at t
    // just above 0, end section of its last element just below 1.
    const int32_t first = c.ElementEndProfile(2 * 4), last = c.ElementEndProfile(2 * 7 + 1);
    SektTqs a{}, b{};
    SEKT_PRO_GetResultTqs(first, 0, &a);
    SEKT_PRO_GetResultTqs(last, 0, &b);
    EXPECT_NEAR(a.zma - a.zmi, 40 + 1.5, 1e-9);
    EXPECT_NEAR(b.zma - b.zmi, 60 + 1.5, 1e-9);
    // Element ends that meet share the profile.
    EXPECT_EQ(c.ElementEndProfile(2 * 4 + 1), c.ElementEndProfile(2 * 5));
    // Half way: height 50.
    const int32_t mid = c.ElementEndProfile(2 * 6);
    SektTqs m{};
    SEKT_PRO_GetResultTqs(mid, 0, &m);
    EXPECT_NEAR(m.zma - m.zmi, 50 + 1.5, 1e-6);
    // Centroid at the origin.
    EXPECT_NEAR(m.y0, 0.0, 1e-9);
    EXPECT_NEAR(m.z0, 0.0, 1e-9);
    // Different sections meet at the field boundary: each element sees its own.
    EXPECT_NEAR(c.AtElementEnd(3, 1).hz, 0.415, 1e-9);
    EXPECT_NEAR(c.AtElementEnd(4, 0).hz, 0.415, 1e-4);
}

TEST_F(SectionRun, RotationAndMirrorApplyToPrismaticProfiles) {
    // A tee mirrored about y (z negated) and turned by 90 degrees.
    SetSection(*run_, 1, "T", 90.0f, 1);
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    const int32_t h = c.GetSectionAtX(1, 0.5);
    ASSERT_GT(h, 0);
    SektWLine w{};
    SEKT_PRO_GetWLine(h, 1, &w);  // the stem, (0,0)-(0,10) before
    // Mirrored: (0,0)-(0,-10); turned by 90 degrees: (0,0)-(10,0); then
    // centred: the stem lies along y.
    EXPECT_NEAR(std::fabs(w.za - w.ze), 0.0, 1e-9);
    EXPECT_NEAR(w.ye - w.ya, 10.0, 1e-9);
    int32_t plain = 0;
    c.GetOrCreateProfile(run_->cdltr.m_IndDBS, "T", "T", 0.0, 0.0, 0, plain);
    EXPECT_NE(plain, h);
    SektGqs gr{}, gp{};
    SEKT_PRO_GetResultGqs(h, &gr);
    SEKT_PRO_GetResultGqs(plain, &gp);
    EXPECT_NEAR(gr.Ayy, gp.Azz, 1e-9 * gp.Azz);
    EXPECT_NEAR(gr.Azz, gp.Ayy, 1e-9 * gp.Ayy);
}

TEST_F(SectionRun, UnknownSectionIsReportedNotUsed) {
    SetSection(*run_, 1, "XYZ");
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    EXPECT_EQ(c.GetSectionAtX(1, 0.0), -1);
    EXPECT_NE(c.SetzeQuer(), 0);
    EXPECT_TRUE(run_->stopped);
    EXPECT_EQ(c.ElementEndProfile(0), -1);
    EXPECT_EQ(c.AtElementEnd(0, 0).A, 0.0);
    EXPECT_GE(run_->ErrorCount, 1);
}

TEST_F(SectionRun, ScratchProfileOfTheReportIsNotSaved) {
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    const auto before = std::filesystem::last_write_time(file_->path());
    const auto size = std::filesystem::file_size(file_->path());
    SectionCache& c = Sections(*run_);
    int32_t h = -1;
    EXPECT_EQ(c.CheckSectionSimilarity(run_->cdltr.m_IndDBS, "I400", "I400", 0.0, 30.0, 2, h), 0);
    EXPECT_GT(h, 0);
    const int probe = SEKT_PRO_Create();
    EXPECT_GE(SEKT_DB_GetProject(run_->cdltr.m_IndDBS, "\\YYY", probe), 0);
    SEKT_PRO_Delete(probe);
    EXPECT_EQ(std::filesystem::last_write_time(file_->path()), before);
    EXPECT_EQ(std::filesystem::file_size(file_->path()), size);
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(c.CheckSectionSimilarity(run_->cdltr.m_IndDBS, "I400", "T", 0.0, 0.0, 0, h), -1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Querschnitte I400 und T sind nicht aehnlich !");
}

}  // namespace

namespace {

TEST_F(SectionRun, FieldBoundaryBelongsToTheEarlierField) {
    SetSection(*run_, 2, "I600");
    run_->cdltr.Feld_QsA[1] = 2;
    run_->cdltr.Feld_QsE[1] = 2;
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    const int32_t atBoundary = c.GetSectionAtX(1, 4.0);
    const int32_t inFirst = c.GetSectionAtX(1, 1.0);
    const int32_t inSecond = c.GetSectionAtX(2, 0.5);  // 0.5 m behind input node 1
    EXPECT_EQ(atBoundary, inFirst);
    EXPECT_NE(inSecond, inFirst);
    // Beyond the end: the last field.
    EXPECT_EQ(c.GetSectionAtX(1, 99.0), inSecond);
    EXPECT_NEAR(c.AtInputNode(2, 0.5).hz, 0.615, 1e-9);
    EXPECT_NEAR(c.AtInputNode(1, 4.0).hz, 0.415, 1e-9);
}

TEST_F(SectionRun, AfterClosingNewKeysFailCleanly) {
    SetSection(*run_, 2, "I600");
    run_->cdltr.Feld_QsE[1] = 2;  // tapered second field
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    ASSERT_EQ(c.SetzeQuer(), 0);
    const int32_t known = c.ElementEndProfile(9);
    OpenSectionDatabase(*run_, -1);
    // A position whose key was never built: no profile, no stale handle.
    EXPECT_EQ(c.GetSectionAtX(2, 0.123), -1);
    EXPECT_EQ(c.ElementEndProfile(9), known);
    EXPECT_GT(c.AtElementEnd(4, 1).A, 0.0);
}

TEST_F(SectionRun, SolverSeesEachElementsOwnSection) {
    SetSection(*run_, 2, "I600");
    run_->cdltr.Feld_QsA[1] = 2;
    run_->cdltr.Feld_QsE[1] = 2;
    ASSERT_EQ(OpenSectionDatabase(*run_, 1), 0);
    SectionCache& c = Sections(*run_);
    ASSERT_EQ(c.SetzeQuer(), 0);
    EXPECT_FALSE(c.Constant());
    // Element 3 ends at the boundary in field 1, element 4 starts there in field 2.
    EXPECT_NEAR(c.AtElementEnd(3, 1).hz, 0.415, 1e-9);
    EXPECT_NEAR(c.AtElementEnd(4, 0).hz, 0.615, 1e-9);
    EXPECT_NEAR(c.AtElementEnd(4, 0).E, 21000.0 * 10000.0, 1e-6);
    EXPECT_EQ(c.StressPoints(4).size(), 90u);
    SetSection(*run_, 2, "I400");
    EXPECT_TRUE(c.Constant());
}

}  // namespace
