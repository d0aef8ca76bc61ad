// The calculation report of a hand-made run (three elements, two load
// collectives with fixed results: tables, force and eigenform diagrams,
// envelopes) is written byte for byte as the stored reference report
// (kernel_results/tests/data/report_reference.rtf). The reference was written
// by the report writer that drew every picture into a metafile on disk and
// read it back; the report's text, tables and embedded pictures must not
// change with the way the pictures reach the document.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "kernel/fe/FeSolver.h"
#include "kernel_results/Report.h"
#include "platform/zadevoz/zadevoz.h"
#include "testsupport/position_doc.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Results of one collective: smooth values that differ per node, element end
// and collective, so that every table cell and every diagram is distinct.
tovik::fe::FeCaseResult Collective(int lk, int nodes) {
    tovik::fe::FeCaseResult r;
    r.computed = true;
    r.eigenFound = true;
    r.eigenValues[0] = 2.5 + lk;
    const int elements = nodes - 1;
    for (int k = 0; k < nodes; ++k)
        for (int j = 0; j < 7; ++j) {
            const double s = std::sin(0.7 * k + 0.3 * j + lk);
            r.displacements.push_back(1e-3 * s);
            r.reactions.push_back(k == 0 || k == nodes - 1 ? 10.0 * s + j : 0.0);
            r.eigenVectors.push_back(std::cos(0.5 * k + j + lk));
        }
    r.eigenVectors.resize(2 * 7 * static_cast<size_t>(nodes), 0.0);
    for (int k = 0; k < nodes; ++k)
        for (int j = 0; j < 4; ++j) r.imperfection.push_back(1e-3 * (k + 1) * (j + 1) * (lk + 1));
    for (int e = 0; e < elements; ++e)
        for (int end = 0; end < 2; ++end) {
            for (int j = 0; j < 7; ++j) r.endForces.push_back((j + 1) * (e + end + 1) * (lk % 2 ? -1.5 : 2.25) + 0.125 * j);
            for (int j = 0; j < 5; ++j) r.stresses.push_back(3.0 * (j + 1) + e - end + 0.5 * lk - (j == 1 ? 20.0 : 0.0));
        }
    return r;
}

TEST(ReportBytes, HandMadeRunWritesTheReferenceReport) {
    // A folder of a fixed name: the page header names it as the project.
    test_support::ScratchDir dir("report_bytes");
    zadevoz::RtfResetReport();
    tovik::RunState run;
    run.RunBaseName = "ref";
    tovik::ModelRecord& m = run.cdltr;
    m.Titel = "Referenzträger";
    m.printFlags.fill(1);
    m.printFlags[0] = m.printFlags[1] = 0;  // the input chapter reads the section database
    m.printFlags[19] = -1001;
    m.nKnickLk = 2;
    m.nFeld = 1;
    m.KnotenPos[0] = 0.0;
    m.KnotenPos[1] = 4.5;
    m.GesamtLaenge = 4.5;
    const int nodes = 4;
    m.fe.nKnoten = nodes;
    m.fe.nStab = nodes - 1;
    m.fe.TraegerL = 4.5;
    for (int k = 0; k < nodes; ++k) m.fe.KnotenX[static_cast<size_t>(k)] = 1.5 * k;
    auto& ult = tovik::fe::State(run).results.ultimate;
    ult.push_back(Collective(0, nodes));
    ult.push_back(Collective(1, nodes));

    ASSERT_EQ(tovik::report::PrintReport(run), 0);
    std::string written = ReadAll(dir.path() / "ref_XXX.rtf");
    // The page header carries the day the report was written; the reference
    // holds 01.01.2000 in its place.
    {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        localtime_r(&now, &t);
        char today[32];
        std::snprintf(today, sizeof today, "\\brsp20 %02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
        const size_t at = written.find(today);
        EXPECT_NE(at, std::string::npos) << "the date in the page header";
        if (at != std::string::npos) written.replace(at, std::strlen(today), "\\brsp20 01.01.2000");
    }
    const std::string reference =
        ReadAll(fs::path(RIGEL_SOURCE_DIR) / "kernel_results" / "tests" / "data" / "report_reference.rtf");
    if (written != reference) {
        // Kept for a look with a word processor or diff.
        std::ofstream(fs::path(RIGEL_TEST_TMP) / "report_bytes_written.rtf", std::ios::binary) << written;
    }
    ASSERT_FALSE(reference.empty());
    ASSERT_EQ(written.size(), reference.size());
    EXPECT_TRUE(written == reference);
    // The report holds its pictures: the force, eigenform and envelope diagrams.
    size_t pictures = 0;
    for (size_t p = written.find("{\\pict\\emfblip"); p != std::string::npos; p = written.find("{\\pict\\emfblip", p + 1))
        ++pictures;
    EXPECT_EQ(pictures, 2u * (3 + 7) + 7 + 5);
}

}  // namespace
