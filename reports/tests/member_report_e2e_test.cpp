// The member-design report of the example position, written by the
// calculation run of the host program through the module's report routine.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <fstream>
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


// The document text between the first `open` and the matching `close`
// (both included); empty when absent.
std::string Block(const std::string& text, const std::string& open, const std::string& close) {
    const size_t a = text.find(open);
    if (a == std::string::npos) return {};
    const size_t b = text.find(close, a);
    return b == std::string::npos ? std::string() : text.substr(a, b + close.size() - a);
}

std::string ReplaceOnce(std::string text, const std::string& what, const std::string& by) {
    const size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    if (at != std::string::npos) text.replace(at, what.size(), by);
    return text;
}

TEST(NewPositionEndToEnd, MadeFromTheTemplateWithTheDefaultNormAndTheStandardReport) {
    moddatatest::UseBuildRoot();
    const fs::path dir = moddatatest::Scratch("new_position_e2e");
    struct Case {
        const char* name;
        const char* userNorm;  // the user's "defaultNorm"; nullptr: the installation's
        int norm;              // the position's norm code
        const char* material;  // the installed material database's default grade of that norm
    } cases[] = {{"installation: ECNA", nullptr, 31, "S235"}, {"user: DIN", "DIN", 7, "S235"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path reg = dir / (std::string("reg_") + (c.userNorm ? c.userNorm : "none"));
        fs::create_directories(reg);
        if (c.userNorm)
            std::ofstream(reg / "user.reg") << "VELOR-REGISTRY 1\nK\tSoftware\\\\VKT\\\\Ostrel\nS\tSoftware\\\\VKT\\\\Ostrel\t"
                                               "defaultNorm\t"
                                            << c.userNorm << "\n";
        const fs::path file = dir / (std::string("Neu_") + std::to_string(c.norm) + ".vkx");
        const HostRun made = test_support::RunHostProcess({"new", file.string(), "rigel"}, {"VELOR_REGISTRY_DIR=" + reg.string()});
        ASSERT_EQ(made.code, 0) << made.out;
        ZVDOC d = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(d, 0u);
        ZVELEM root = ZEVUD_GetRootElement(d);
        ZVELEM info = ZEVUD_FindFirstChild(root, "info");
        EXPECT_EQ(ZEVUD_GetInt(info, "norm"), c.norm);
        EXPECT_EQ(ZEVUD_GetInt(info, "bIsTemplate"), 0);  // a position, no template
        ZVELEM system = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(root, "input"), "system");
        ASSERT_NE(system, 0u);
        // Fork supports at both ends: sideways, vertically and against
        // twisting held, warping free; the start also held along the axis.
        for (const char* field : {"field_0", "field_1"}) {
            ZVELEM support = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(system, field), "support");
            ASSERT_NE(support, 0u) << field;
            for (const char* dof : {"cy", "cz", "cmx"}) EXPECT_EQ(ZEVUD_GetDouble(support, dof), -1.0) << field << dof;
            for (const char* dof : {"cmy", "cmz", "cwoelb"}) EXPECT_EQ(ZEVUD_GetDouble(support, dof), 0.0) << field << dof;
        }
        ZVELEM section = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(system, "field_1"), "section");
        EXPECT_EQ(zevud::GetString(section, "strMaterial"), c.material);
        ZVELEM output = ZEVUD_FindFirstChild(root, "output");
        EXPECT_EQ(ZEVUD_GetInt(output, "rtfLKgebr"), 1);
        EXPECT_EQ(ZEVUD_GetInt(output, "rtfLKTragSV"), 1);
        ZEVUD_CloseDoc(d);
        if (c.norm != 31) continue;

        // Set up as the window stores it: the span of 6 m, the actions with
        // their load cases and two uniform loads (permanent 3 kN/m, imposed
        // 4 kN/m), then calculated.
        const std::string example = rtftest::ReadFile(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx");
        std::string text = rtftest::ReadFile(file);
        text = ReplaceOnce(text, "<field_1 length=\"5\">", "<field_1 length=\"6\">");
        const std::string actions = Block(example, "<lastfaelle>", "</lastfaelle>") + "\n\t\t\t" +
                                    Block(example, "<einwirkungen>", "</einwirkungen>") + "\n\t\t\t";
        // The new position's own actions (the module's defaults) give way
        // to those of the loads.
        for (const auto& [open, close] : {std::pair<std::string, std::string>{"<lastfaelle", "</lastfaelle>"},
                                          {"<einwirkungen", "</einwirkungen>"}}) {
            const std::string old = Block(text, open + ">", close);
            if (!old.empty()) text.erase(text.find(old), old.size());
            const std::string empty = Block(text, open + " />", " />");
            if (!empty.empty()) text.erase(text.find(empty), empty.size());
        }
        text = ReplaceOnce(text, "<results />", actions + "<results />");
        text = ReplaceOnce(text, "<loads numOfLoads=\"0\" />", Block(example, "<loads numOfLoads=\"2\">", "</loads>"));
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        const HostRun calc = test_support::RunHostProcess({"calc", file.string()}, {"VELOR_REGISTRY_DIR=" + reg.string()});
        ASSERT_EQ(calc.code, 0) << calc.out;
        EXPECT_NE(calc.out.find("Ergebnis: alle Nachweise erfüllt"), std::string::npos) << calc.out;

        // Serviceability: the deflection of the simply supported span under
        // the characteristic load g + q = 7 kN/m, w = 5 q L^4 / (384 E Iy)
        // (IPE 300: Iy = 8356 cm^4, E = 210000 N/mm^2), against L/300.
        d = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(d, 0u);
        ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
        ASSERT_NE(result, 0u);
        const double w = 5.0 * 7.0 * std::pow(6000.0, 4) / (384.0 * 210000.0 * 8356.0e4);
        EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusGebr"), w / (6000.0 / 300.0), 0.03 * w / 20.0);
        ZEVUD_CloseDoc(d);

        const rtftest::Document doc = rtftest::ParseRtfFile(winsys::SideFileName(file.string(), ".rtf"));
        ASSERT_TRUE(doc.ok) << doc.error;
        std::vector<std::string> chapters, sections, blocks;
        for (const auto& p : doc.paragraphs) {
            if (p.style == 12) chapters.push_back(p.text);
            if (p.style == 13) sections.push_back(p.text);
            if (p.style == 14) blocks.push_back(p.text);
        }
        EXPECT_EQ(chapters, (std::vector<std::string>{"Eingabe", "Ergebnisse Gebrauchstauglichkeit (DIN EN 1993-1-1/NA:2010-12)",
                                                      "Ergebnisse Tragsicherheit (DIN EN 1993-1-1/NA:2010-12)",
                                                      "c/t - Nachweis", "Zusammenfassung"}));
        auto has = [](const std::vector<std::string>& v, const std::string& t) {
            return std::find(v.begin(), v.end(), t) != v.end();
        };
        for (const char* s : {"Ansicht XZ-Ebene", "Auflagerbedingungen", "Querschnittsverlauf", "Materialwerte",
                              "Einwirkungen gem. DIN EN 1990/NA:2010-12", "Belastung in Z-Richtung",
                              "Lastfallkombinationen", "Relevante Lastfallkombinationen"})
            EXPECT_TRUE(has(sections, s)) << s;
        for (const char* b : {"Schnittgrößen", "Verformungen", "Spannungen", "Knickfigur", "Auflagerkräfte"})
            EXPECT_TRUE(has(blocks, b)) << b;
        EXPECT_GT(doc.pictures.size(), 3u);
    }
    fs::remove_all(dir);
}

}  // namespace
