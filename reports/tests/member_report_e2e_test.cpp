// The member-design report of the example position, written by the
// calculation run of the host program through the module's report routine.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "testsupport/host_process.h"
#include "module/tests/moddata_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "reports/RtfTable.h"
#include "testsupport/rtf_reader.h"

namespace {

namespace fs = std::filesystem;

using HostRun = test_support::HostProcessRun;

// calc of the position with its temporary files in tmp.
HostRun Calc(const fs::path& file, const fs::path& tmp) {
    return test_support::RunHostProcess({"calc", file.string()}, {"TMPDIR=" + tmp.string()});
}

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// An enhanced metafile read record by record: a header record (type 1, the
// signature " EMF", the file size it states), records of a size that is a
// multiple of 4 and fits, an end record (type 14) last. Empty when sound,
// else what is wrong.
std::string CheckMetafile(const std::string& b) {
    if (b.size() < 88) return "too short";
    if (U32(b, 0) != 1) return "no header record";
    if (U32(b, 40) != 0x464D4520) return "no EMF signature";
    if (U32(b, 48) != b.size()) return "stated size " + std::to_string(U32(b, 48)) + " != " + std::to_string(b.size());
    const uint32_t stated = U32(b, 52);
    size_t at = 0;
    uint32_t records = 0, last = 0;
    while (at < b.size()) {
        if (at + 8 > b.size()) return "record header cut off at " + std::to_string(at);
        const uint32_t type = U32(b, at), size = U32(b, at + 4);
        if (size < 8 || size % 4 != 0 || at + size > b.size()) return "bad record size at " + std::to_string(at);
        if (type < 1 || type > 122) return "unknown record type " + std::to_string(type);
        last = type;
        ++records;
        at += size;
    }
    if (last != 14) return "last record is not the end record";
    if (records != stated) return "stated " + std::to_string(stated) + " records, found " + std::to_string(records);
    return {};
}

TEST(MemberReportEndToEnd, ExamplePositionGetsTheModulesReport) {
    moddatatest::UseBuildRoot();
    const fs::path dir = moddatatest::Scratch("member_report_e2e");
    const fs::path tmp = dir / "tmp";
    fs::create_directories(tmp);
    const fs::path work = dir / "work";
    fs::create_directories(work);
    const fs::path file = work / "Einfeldtraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file);

    const HostRun first = Calc(file, tmp);
    ASSERT_EQ(first.code, 0) << first.out;
    const fs::path report = work / "Einfeldtraeger.rtf";
    ASSERT_TRUE(fs::exists(report)) << first.out;
    const rtftest::Document doc = rtftest::ParseRtfFile(report);
    ASSERT_TRUE(doc.ok) << doc.error;

    // The chapters of the example's selection, in order.
    std::vector<std::string> chapters;
    for (const auto& p : doc.paragraphs)
        if (p.style == 12) chapters.push_back(p.text);
    EXPECT_EQ(chapters, (std::vector<std::string>{"Eingabe", "Ergebnisse Gebrauchstauglichkeit (DIN EN 1993-1-1/NA:2010-12)",
                                                  "Ergebnisse Tragsicherheit (DIN EN 1993-1-1/NA:2010-12)",
                                                  "c/t - Nachweis", "Zusammenfassung"}));
    // The module's report, not the kernel's: none of the kernel's input
    // headings, no print under the run's name.
    for (const auto& p : doc.paragraphs) {
        EXPECT_NE(p.text, "Geometriebeschreibung");
        EXPECT_NE(p.text, "Lagerbeschreibung");
    }
    EXPECT_FALSE(fs::exists(work / "Einfeldtraeger_XXX.rtf"));

    // The summary holds the utilisations the calculation stored, those the
    // host printed.
    ZVDOC d = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(d, 0u);
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
    ASSERT_NE(result, 0u);
    const double gebr = ZEVUD_GetDouble(result, "dMaxAusGebr"), trag = ZEVUD_GetDouble(result, "dMaxAusTragSV");
    ZEVUD_CloseDoc(d);
    EXPECT_NE(first.out.find("Gebrauchstauglichkeit: max. Ausnutzung " + winsys::FormatDoubleC("%.3f", gebr)),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("Tragsicherheit: max. Ausnutzung " + winsys::FormatDoubleC("%.3f", trag)), std::string::npos)
        << first.out;
    ASSERT_FALSE(doc.tables.empty());
    const auto& summary = doc.tables.back();
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0].cells[0], "Maximale Ausnutzung aus Verformungen:");
    EXPECT_EQ(summary[0].cells[1], FormatFixed(gebr, 2));
    EXPECT_EQ(summary[1].cells[0], "Maximale Ausnutzung aus Spannungen:");
    EXPECT_EQ(summary[1].cells[1], FormatFixed(trag, 2));

    // Pictures: the system picture, the diagrams; every one a sound metafile.
    ASSERT_GT(doc.pictures.size(), 3u);
    for (size_t i = 0; i < doc.pictures.size(); ++i) {
        EXPECT_EQ(doc.pictures[i].blip, "emfblip") << i;
        EXPECT_EQ(CheckMetafile(doc.pictures[i].bytes), "") << "picture " << i;
    }

    // No temporary file is left, neither beside the position nor in the
    // temporary folder.
    EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path();
    for (const auto& e : fs::directory_iterator(work)) {
        const std::string ext = e.path().extension().string();
        EXPECT_TRUE(ext == ".vkx" || ext == ".rtf" || ext == ".log" || ext == ".err") << e.path();
    }

    // A second calculation of the unchanged position keeps the report.
    const std::string bytes = rtftest::ReadFile(report);
    const auto time = fs::last_write_time(report);
    const HostRun second = Calc(file, tmp);
    EXPECT_EQ(second.code, 0) << second.out;
    EXPECT_EQ(rtftest::ReadFile(report), bytes);
    EXPECT_EQ(fs::last_write_time(report), time);
    EXPECT_TRUE(fs::is_empty(tmp));
    fs::remove_all(dir);
}

}  // namespace
