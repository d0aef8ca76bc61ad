// The internal-force table of a position calculated by the host program and
// the kernel, against the hand values of the single-span beam.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "module/ModuleData.h"
#include "module/tests/moddata_fixture.h"
#include "support/report_capture.h"

namespace {

namespace fs = std::filesystem;

TEST(MemberResultTables, SingleSpanBeamCalculatedByTheKernel) {
    moddatatest::UseBuildRoot();
    const fs::path dir = moddatatest::Scratch("report_forces");
    const fs::path file = dir / "Einfeldtraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file);
    const std::string cmd = "'" + (fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005").string() + "' calc '" +
                            file.string() + "' > '" + (dir / "host.log").string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << rtftest::ReadFile(dir / "host.log");

    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    rtftest::Document rtf, stresses;
    int maxCollective = -1;
    {
        CModuleData d;
        d.m_hDoc = doc;
        d.ReadData(doc);
        d.m_rtfOptions.assign(CModuleData::kReportOptions, 1);
        rtf = report_test::WriteAndRead(
            [&] { d.WriteRtfInternalForceTable("Gebrauchstauglichkeit\\Extremal\\Schnittgrößen", 70, {-1}); });
        stresses = report_test::WriteAndRead(
            [&] { d.WriteRtfStressTable("Tragsicherheit\\Extremal\\Spannungen", 290, {-1}); });
        maxCollective = d.m_tragSVMaxLK + 1;
        d.RemoveTempSectionFile();
    }
    ZEVUD_CloseDoc(doc);
    ASSERT_TRUE(rtf.ok) << rtf.error;
    ASSERT_EQ(rtf.tables.size(), 1u);
    const auto& rows = rtf.tables[0];
    // g = 3 kN/m, q = 4 kN/m over L = 6 m: rows at the supports and at the
    // largest moment in the middle, My = (g + q) L^2 / 8 = 31.5 kNm there;
    // the shear (g + q) L / 2 = 21 kN at the supports.
    ASSERT_EQ(rows.size(), 5u);
    int my = -1, vz = -1;
    for (size_t c = 0; c < rows[0].cells.size(); ++c) {
        if (rows[0].cells[c] == "My") my = static_cast<int>(c);
        if (rows[0].cells[c] == "Vz") vz = static_cast<int>(c);
    }
    ASSERT_GE(my, 0);
    ASSERT_GE(vz, 0);
    EXPECT_EQ(rows[2].cells[0], "0.00");
    EXPECT_EQ(rows[3].cells[0], "3.00");
    EXPECT_EQ(rows[4].cells[0], "6.00");
    EXPECT_EQ(rows[3].cells[static_cast<size_t>(my)], "31.50");
    EXPECT_TRUE(rows[3].bold[static_cast<size_t>(my)]);
    EXPECT_NEAR(std::fabs(std::stod(rows[2].cells[static_cast<size_t>(vz)])), 21.0, 0.01);

    // The stress table names at its largest utilisation the collective of
    // the largest utilisation of the whole member.
    ASSERT_TRUE(stresses.ok) << stresses.error;
    ASSERT_EQ(stresses.tables.size(), 1u);
    const auto& st = stresses.tables[0];
    ASSERT_GE(st.size(), 3u);
    ASSERT_EQ(st[0].cells.back(), "Aus LK");
    const size_t util = st[0].cells.size() - 2, lk = st[0].cells.size() - 1;
    ASSERT_EQ(st[0].cells[util], "Ausn.");
    size_t best = 2;
    for (size_t r = 2; r < st.size(); ++r)
        if (std::stod(st[r].cells[util]) > std::stod(st[best].cells[util])) best = r;
    EXPECT_EQ(st[best].cells[0], "3.00");
    EXPECT_EQ(st[best].cells[lk], std::to_string(maxCollective));
    EXPECT_TRUE(st[best].bold[lk]);
    fs::remove_all(dir);
}

}  // namespace
