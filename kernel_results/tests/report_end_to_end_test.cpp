// The calculation report of a calculated single-span IPE 300 beam (6 m,
// uniform load, one ultimate combination) through the kernel library as the
// module loads it: the report opens as RTF with its input and result
// chapters, diagrams and section picture; the position holds the c/t proof
// (class 1 by hand: flange c/t 5.28 < 9, web 35.0 < 72) and the single-point
// proofs; the report states the utilisation that the results hold.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "kernel_results/ResultTree.h"
#include "platform/winsys/winsys.h"
#include "testsupport/rtf_reader.h"
#include "platform/zidezaz/zidezaz.h"
#include "testsupport/position_doc.h"
#include "testsupport/kernel_library.h"

namespace {

using kernel_library_test::Library;
using kernel_library_test::MakeSectionFile;
using results_test::PositionDoc;
using results_test::ScratchDir;

bool Has(const rtftest::Document& d, const std::string& text) {
    return std::any_of(d.paragraphs.begin(), d.paragraphs.end(),
                       [&](const rtftest::Paragraph& p) { return p.text.find(text) != std::string::npos; });
}

rtftest::Document StoredRtf(ZVELEM e, const char* attr, const std::filesystem::path& out) {
    if (ZEVUD_LoadFileFromAttr(e, attr, out.string().c_str()) != 1) return {};
    return rtftest::ParseRtfFile(out);
}

TEST(ReportEndToEnd, SingleSpanIpe300ReportHoldsInputResultsDiagramsAndProofs) {
    ScratchDir dir("rep_e2e");
    winsys::ScopedRecordingSink sink;
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib.handle, "RIREZ_Aver"));
    ASSERT_NE(calc, nullptr);

    const double L = 6.0, q = 10.0;
    const std::string docPath = (dir.path() / "pos1.vkx").string();
    PositionDoc d(docPath);
    d.AddField(L, "IPE 300", 53.8);
    d.AddLineLoadZ("1", q, L);
    d.AddCombination("Ed,perm", "1.0*(1)");
    d.AddCombination("Ed", "1.35*(1)");
    ASSERT_TRUE(MakeSectionFile(docPath, "IPE 300", "\\IPE\\IPE 300"));
    // The section file of the position is read, never written (the report's
    // turned sections live in memory only).
    const std::string sectionFile = winsys::SideFileName(docPath, ".temp.skw");
    const std::string sectionBytes = rtftest::ReadFile(sectionFile);
    ASSERT_FALSE(sectionBytes.empty());

    // The member-design path writes its report under the developer switch.
    struct Switch {
        Switch() { ::setenv("VKTUSER", "DEDUV", 1); }
        ~Switch() { ::unsetenv("VKTUSER"); }
    } developer;
    calc(d.doc, 0);
    ZVELEM result = ZEVUD_FindFirstChild(d.root, "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(zevud::GetString(result, "errorMsg"), "");

    // The report.
    const auto report = rtftest::ParseRtfFile(dir.path() / "pos1_XXX.rtf");
    ASSERT_TRUE(report.ok) << report.error;
    for (const char* h : {"Eingabedaten", "Geometriebeschreibung", "Lagerbeschreibung", "Querschnittsverlauf",
                          "Ergebnisse Knicksicherheitsnachweis", "Stabschnittkräfte", "Biegemoment M", "Extremale Spannungen",
                          "Niedrigster Eigenwert"})
        EXPECT_TRUE(Has(report, h)) << h;
    EXPECT_FALSE(Has(report, "Lastkollektiv 1"));
    // Section values of IPE 300 by hand: A = 2*15*1.07 + 27.86*0.71 + 4*(1 - pi/4)*1.5² = 53.81 cm².
    EXPECT_TRUE(Has(report, "A = 53.81 cm"));
    EXPECT_TRUE(Has(report, "yM = 0.00 cm zM = 0.00 cm"));
    EXPECT_TRUE(Has(report, "ry = 0.00 cm rz = 0.00 cm r\xCF\x89 = 0.00 cm"));  // r omega
    // The beam carries no torsion: that diagram gives way to the note.
    EXPECT_TRUE(Has(report, "alle Werte < 1e-3"));
    EXPECT_FALSE(Has(report, "Extremale Schnittgrößen"));
    // System, line loads, section and the diagrams.
    EXPECT_GE(report.pictures.size(), 10u);
    for (const auto& p : report.pictures) EXPECT_EQ(p.blip, "emfblip");
    // The line-load picture labels the load with its load case and value
    // (metafile text is UTF-16).
    std::string label;
    for (char c : std::string("Lf 1: pz = 10.00")) label += std::string{c, '\0'};
    EXPECT_TRUE(std::any_of(report.pictures.begin(), report.pictures.end(),
                            [&](const rtftest::Picture& p) { return p.bytes.find(label) != std::string::npos; }));
    bool section = false;
    double nueMax = -1;
    for (const auto& t : report.tables)
        for (const auto& r : t) {
            for (const auto& c : r.cells) section = section || c.find("IPE 300") != std::string::npos;
            if (!r.header && r.cells.size() == 12 && t.front().cells.size() == 12 && t.front().cells[11] == "nue")
                nueMax = std::max(nueMax, std::stod(r.cells[11]));
        }
    EXPECT_TRUE(section);
    // The utilisation of the result tree, as the member-force table states it.
    ZVELEM aus = results_test::Series(result, {"Tragsicherheit", "Extremal", "Spannungen", "Ausnutzung"});
    ASSERT_NE(aus, 0u);
    const std::vector<float> data = tovik::results::ReadSeriesData(aus);
    float uMax = 0;
    const size_t stride = ZEVUD_GetInt(aus, "type") == 2 ? 3 : 2;
    for (size_t i = 1; i < data.size(); i += stride) uMax = std::max(uMax, data[i]);
    EXPECT_GT(uMax, 0.1f);
    EXPECT_NEAR(nueMax, uMax, 0.006);

    // The classification: IPE 300 in S235 under bending is class 1.
    EXPECT_EQ(ZEVUD_GetInt(result, "iClass"), 1);
    const auto ct = StoredRtf(result, "ctnachweis.tmp.rtf", dir.path() / "ct_out.rtf");
    ASSERT_TRUE(ct.ok) << ct.error;
    EXPECT_TRUE(Has(ct, "Querschnittsklassifizierung: Klasse 1."));
    EXPECT_TRUE(Has(ct, "Querschnittsklasse 1 erfüllt die Anforderung (höchstens Klasse 3). Nachweis erbracht!"));
    bool flange = false;
    for (const auto& t : ct.tables)
        for (const auto& r : t)
            if (!r.cells.empty() && r.cells[0] == "Flansch oben" && r.cells.size() == 11) {
                flange = true;
                EXPECT_EQ(r.cells[2], "5.28");
                EXPECT_EQ(r.cells[3], "9.00");
            }
    EXPECT_TRUE(flange);
    // The elastic single-point proofs.
    for (const char* a : {"rtfFile_0", "rtfFile_1"}) {
        const auto p = StoredRtf(result, a, dir.path() / (std::string(a) + ".rtf"));
        ASSERT_TRUE(p.ok) << a;
        EXPECT_TRUE(Has(p, "Einzelpunktnachweis für Maximum Ausnutzung bei x=")) << a;
        EXPECT_GE(p.tables.size(), 2u) << a;
    }
    EXPECT_EQ(rtftest::ReadFile(sectionFile), sectionBytes);
    // No scratch file is left in the working folder.
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        const std::string n = e.path().filename().string();
        EXPECT_TRUE(n.find("HHHH") == std::string::npos && n.find(".tmp.rtf") == std::string::npos &&
                    n.find(".temp.rtf") == std::string::npos)
            << n;
    }
}

// Asked for the report (the module's record names no report routine), the
// kernel writes the position's own report beside the document, under the
// document's name, even when the run's working folder is elsewhere.
TEST(ReportEndToEnd, ReportFlagWritesThePositionsOwnReportBesideTheDocument) {
    ScratchDir dir("rep_flag");
    winsys::ScopedRecordingSink sink;
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib.handle, "RIREZ_Aver"));
    ASSERT_NE(calc, nullptr);
    ::unsetenv("VKTUSER");

    const std::filesystem::path folder = dir.path() / "Projekt A";
    std::filesystem::create_directories(folder);
    const std::string docPath = (folder / "Pos7.VKX").string();
    PositionDoc d(docPath);
    d.AddField(6.0, "IPE 300", 53.8);
    d.AddLineLoadZ("1", 10.0, 6.0);
    d.AddCombination("Ed", "1.35*(1)");
    ASSERT_TRUE(MakeSectionFile(docPath, "IPE 300", "\\IPE\\IPE 300"));

    calc(d.doc, 1);
    ZVELEM result = ZEVUD_FindFirstChild(d.root, "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 0);
    const auto report = rtftest::ParseRtfFile(folder / "Pos7.rtf");
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_TRUE(Has(report, "Ergebnisse Knicksicherheitsnachweis"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Pos7_XXX.rtf"));

    // Without the flag and without the developer switch no report is written.
    std::filesystem::remove(folder / "Pos7.rtf");
    calc(d.doc, 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "Pos7.rtf"));
}

}  // namespace
