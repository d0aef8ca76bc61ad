// The crane-runway example calculated through the host program: the report
// beside the position with its chapters, the check summary of the
// calculation's message, the support reactions' side file and the appendix of
// crane position 1; no temporary file stays behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/host_process.h"
#include "module/tests/moddata_fixture.h"
#include "testsupport/rtf_reader.h"

namespace {

using namespace moddatatest;

using HostRun = test_support::HostProcessRun;

HostRun RunHost(const std::vector<std::string>& args) { return test_support::RunHostProcess(args); }

bool Has(const rtftest::Document& doc, const std::string& text) {
    for (const auto& p : doc.paragraphs)
        if (p.text == text) return true;
    return false;
}

// The rows of every table from their second cell on, joined by tabs (the
// first cell names a group only where the group changes).
std::vector<std::string> TableLines(const rtftest::Document& doc) {
    std::vector<std::string> lines;
    for (const auto& table : doc.tables)
        for (const auto& row : table) {
            std::string line;
            for (size_t c = 1; c < row.cells.size(); ++c) line += (c > 1 ? "\t" : "") + row.cells[c];
            lines.push_back(line);
        }
    return lines;
}

TEST(CraneReportEndToEnd, ExampleReportAndAppendix) {
    UseBuildRoot();
    const fs::path dir = Scratch("crane_report_e2e");
    const fs::path file = dir / "Kranbahntraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file);
    const HostRun r = RunHost({"calc", file.string()});
    ASSERT_TRUE(r.code == 0 || r.code == 4) << r.out;
    const fs::path rtf = dir / "Kranbahntraeger.rtf";
    const fs::path appendix = dir / "Kranbahntraeger.KS001.rtf";
    EXPECT_NE(r.out.find("Bericht: " + rtf.string() + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Anhang: " + appendix.string() + "\n"), std::string::npos) << r.out;

    const rtftest::Document doc = rtftest::ParseRtfFile(rtf);
    ASSERT_TRUE(doc.ok) << doc.error;
    for (const char* heading : {"System und Lasten", "Auflagerbedingungen", "Querschnittsverlauf", "Kräne",
                                "Ermüdung und lokale Effekte", "Lastprotokoll", "Ergebnisse", "Zusammenfassung",
                                "Ergebnisse für Nachweis 'Tragsicherheit S/V'",
                                "Ergebnisse für Nachweis 'Tragsicherheit A'",
                                "Ergebnisse für Nachweis 'Tragsicherheit Prüflast'",
                                "Ergebnisse für Nachweis 'Gebrauchstauglichkeit'", "Ergebnisse für Nachweis 'Ermüdung'",
                                "Extremale Schnittgrößen aus Kranstellungen", "Extremale Auflagerkräfte"})
        EXPECT_TRUE(Has(doc, heading)) << heading;

    // Every line of the calculation's message stands in the report's summary.
    ZVDOC position = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(position, 0u);
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(position), "result");
    std::string message = result ? zevud::GetString(result, "message") : std::string();
    ZEVUD_CloseDoc(position);
    ASSERT_FALSE(message.empty());
    const std::vector<std::string> lines = TableLines(doc);
    size_t start = 0, checked = 0;
    while (start < message.size()) {
        size_t end = message.find('\n', start);
        if (end == std::string::npos) end = message.size();
        std::string line = message.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Dash lines, and labels with a symbol-font letter (the message keeps
        // the font's mark).
        if (line.empty() || line[0] == '-' || line.find('\\') != std::string::npos) continue;
        line = line.substr(line.find('\t') + 1);
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
        ++checked;
    }
    EXPECT_GT(checked, 5u);

    // The verdict the console prints ("Kranbahn: max. Ausnutzung ... -
    // erfüllt", the other limit states, "Ergebnis: ...") stands word for word
    // in the report, and the report names its design codes with the national
    // annex of the position (Germany).
    size_t verdictLines = 0;
    std::istringstream console(r.out);
    for (std::string line; std::getline(console, line);) {
        if (line.rfind("Kranbahn:", 0) != 0 && line.rfind("Ermüdung:", 0) != 0 &&
            line.rfind("Gebrauchstauglichkeit:", 0) != 0 && line.rfind("Tragsicherheit:", 0) != 0 &&
            line.rfind("Ergebnis:", 0) != 0)
            continue;
        EXPECT_TRUE(Has(doc, line)) << line;
        ++verdictLines;
    }
    EXPECT_GE(verdictLines, 2u) << r.out;
    EXPECT_NE(r.out.find(r.code == 0 ? "Ergebnis: alle Nachweise erfüllt" : "Ergebnis: Nachweis nicht erfüllt"),
              std::string::npos);
    EXPECT_TRUE(Has(doc, "Nachweise nach DIN EN 1991-3, DIN EN 1993-6, DIN EN 1993-1-9 und DIN EN 1993-1-5, jeweils "
                         "mit Nationalem Anhang Deutschland"));

    // The diagrams: enhanced metafiles whose records add up to the file,
    // the end-of-file record last.
    ASSERT_FALSE(doc.pictures.empty());
    for (const rtftest::Picture& pic : doc.pictures) {
        ASSERT_EQ(pic.blip, "emfblip");
        const std::string& b = pic.bytes;
        auto u32 = [&](size_t at) {
            return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
                   static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
                   static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
                   static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
        };
        ASSERT_GT(b.size(), 108u);
        EXPECT_EQ(u32(0), 1u);
        size_t at = 0, records = 0, last = 0;
        while (at + 8 <= b.size()) {
            const uint32_t size = u32(at + 4);
            ASSERT_GE(size, 8u);
            last = at;
            at += size;
            ++records;
        }
        EXPECT_EQ(at, b.size());
        EXPECT_EQ(u32(52), records);
        EXPECT_EQ(u32(last), 14u);
    }
    // The stress ranges at the cross-section points are drawn under the
    // title the calculation gives their curves.
    size_t ranges = 0;
    for (const auto& p : doc.paragraphs)
        if (p.text.size() > 14 && p.text.compare(p.text.size() - 14, 14, "\\SigmaX(delta)") == 0) ++ranges;
    EXPECT_GT(ranges, 0u);
    // The supports file holds per check the extreme characteristic
    // reactions with their crane positions. The summary's largest Az of a
    // check is a design value over the same positions: in the accidental
    // check (gamma 1.0, EN 1990 6.11b) and the serviceability check (the
    // characteristic combination, EN 1990 6.14b) it is the file's value, in
    // the ultimate check S/V 1.35 times it (gamma_G = gamma_Q = 1.35 for the
    // self weight and the crane loads, EN 1991-3 Table A.1); the crane
    // position is the same.
    struct Extreme {
        double az = 0.0;
        int position = 0;
        double x = -1.0;
    };
    std::map<std::string, Extreme> summary, table;
    {
        std::istringstream in(message);
        std::string check;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '-') {
                check.clear();
                continue;
            }
            std::vector<std::string> f;
            std::istringstream fields(line);
            for (std::string cell; std::getline(fields, cell, '\t');) f.push_back(cell);
            if (check.empty()) check = f[0];
            if (f.size() >= 6 && f[1] == "Az max")
                summary[check] = {std::stod(f[2]), std::stoi(f[4]), std::stod(f[5])};
        }
    }
    {
        std::ifstream in(dir / "Kranbahntraeger.supports.csv");
        std::string check, line;
        ASSERT_TRUE(std::getline(in, line));
        EXPECT_EQ(line, "// x, due, Ax, Ay, Az, Mx, My, Mz, Pos, Crane1, Crane2, Crane3");
        while (std::getline(in, line)) {
            if (line.rfind("// ", 0) == 0) {
                check = line.substr(3);
                continue;
            }
            std::vector<std::string> f;
            std::istringstream fields(line);
            for (std::string cell; std::getline(fields, cell, ',');) f.push_back(cell);
            ASSERT_EQ(f.size(), 12u) << line;
            const auto s = summary.find(check);
            if (f[1] == " maxAz" && s != summary.end() && std::fabs(std::stod(f[0]) - s->second.x) < 0.005)
                table[check] = {std::stod(f[4]), std::stoi(f[8]), std::stod(f[0])};
        }
    }
    const struct {
        const char* check;
        double factor;
    } checks[] = {{"Tragsicherheit S/V", 1.35}, {"Tragsicherheit A", 1.0}, {"Gebrauchstauglichkeit", 1.0}};
    for (const auto& c : checks) {
        SCOPED_TRACE(c.check);
        ASSERT_EQ(summary.count(c.check), 1u) << message;
        ASSERT_EQ(table.count(c.check), 1u);
        EXPECT_NEAR(c.factor * table[c.check].az, summary[c.check].az, 0.011 * c.factor);
        EXPECT_EQ(table[c.check].position, summary[c.check].position);
    }
    const rtftest::Document ks = rtftest::ParseRtfFile(appendix);
    ASSERT_TRUE(ks.ok) << ks.error;
    EXPECT_TRUE(Has(ks, "Anhang KS001"));
    // Nothing temporary beside the position.
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        EXPECT_NE(name, "result.emf");
        EXPECT_NE(name, "Auflager.txt");
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
