// The reports as the engineer hands them over: written by the host program's
// calculation, laid out by LibreOffice (converted to PDF) and read back with
// poppler's tools. Page counts of the examples, Greek letters in the text,
// the position's name in the page headers and the span lengths of the
// system picture on the first page. Skipped where LibreOffice or poppler is
// not installed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "module/tests/moddata_fixture.h"
#include "testsupport/host_process.h"

namespace {

namespace fs = std::filesystem;

// The output of a shell command (standard error dropped); code -1 when it
// did not run.
struct Shell {
    int code = -1;
    std::string out;
};
Shell Sh(const std::string& cmd) {
    Shell r;
    FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool OnPath(const std::string& program) { return Sh("command -v " + program).code == 0; }

std::string Missing() {
    std::string missing;
    for (const char* p : {"soffice", "pdfinfo", "pdftotext"})
        if (!OnPath(p)) missing += std::string(missing.empty() ? "" : ", ") + p;
    return missing;
}

class ReportPages : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = Missing();
        if (!missing.empty())
            GTEST_SKIP() << "LibreOffice and poppler-utils are needed to lay the reports out (missing: " << missing
                         << ")";
        moddatatest::UseBuildRoot();
        dir_ = moddatatest::Scratch(std::string("report_pages_") +
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_ / "tmp");
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_, ec);
    }

    test_support::HostProcessRun Host(const std::vector<std::string>& args) {
        return test_support::RunHostProcess(args, {"TMPDIR=" + (dir_ / "tmp").string()});
    }

    // The report converted by LibreOffice (a profile of its own, so that a
    // running office does not take the job); empty when it failed.
    fs::path ToPdf(const fs::path& rtf) {
        const fs::path out = dir_ / "pdf";
        fs::create_directories(out);
        const std::string cmd = "HOME=" + test_support::ShellQuote((dir_ / "home").string()) +
                                " soffice -env:UserInstallation=file://" + (dir_ / "lo").string() +
                                " --headless --convert-to pdf --outdir " + test_support::ShellQuote(out.string()) +
                                " " + test_support::ShellQuote(rtf.string());
        Sh(cmd);
        const fs::path pdf = out / (rtf.stem().string() + ".pdf");
        return fs::exists(pdf) ? pdf : fs::path();
    }
    static int Pages(const fs::path& pdf) {
        const Shell s = Sh("pdfinfo " + test_support::ShellQuote(pdf.string()));
        const size_t at = s.out.find("Pages:");
        return at == std::string::npos ? -1 : std::atoi(s.out.c_str() + at + 6);
    }
    // The text of pages first..last (0: to the end).
    static std::string Text(const fs::path& pdf, int first = 1, int last = 0) {
        std::string cmd = "pdftotext -layout -f " + std::to_string(first);
        if (last > 0) cmd += " -l " + std::to_string(last);
        return Sh(cmd + " " + test_support::ShellQuote(pdf.string()) + " -").out;
    }
    static bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

    // Every page's header names the position, and counts the pages.
    static void ExpectHeaders(const fs::path& pdf, int pages, const std::string& position) {
        for (int page : {1, pages}) {
            const std::string text = Text(pdf, page, page);
            EXPECT_TRUE(Has(text, "Position: " + position)) << "page " << page << ":\n" << text.substr(0, 600);
            EXPECT_TRUE(Has(text, "Seite " + std::to_string(page) + " von " + std::to_string(pages)))
                << "page " << page << ":\n" << text.substr(0, 600);
        }
    }

    fs::path dir_;
};

// The three examples, each at most the pages of its budget (the diagrams
// share pages), with their Greek symbols shown as letters and their spans
// dimensioned in the system picture of the first page.
TEST_F(ReportPages, ExamplesAreCompactAndReadable) {
    struct Case {
        const char* name;
        int maxPages;
        std::vector<std::string> greek;  // symbols of the tables
        std::vector<std::string> spans;  // field lengths of the system picture, m
    };
    const std::vector<Case> cases = {
        // alpha_t, gamma_M0 of the material table, omega of the warping values
        {"Einfeldtraeger", 15, {"\xCE\xB1", "\xCE\xB3", "\xCF\x89"}, {"6.00"}},
        {"Durchlauftraeger_Kragarm", 20, {"\xCE\xB1", "\xCE\xB3", "\xCF\x89"}, {"5.00", "1.50", "11.50"}},
        // sigma and tau of the stress tables
        {"Kranbahntraeger", 60, {"\xCF\x83", "\xCF\x84", "\xCE\xB3"}, {"6.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir_ / (std::string(c.name) + ".vkx");
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / file.filename(), file);
        const auto calc = Host({"calc", file.string()});
        ASSERT_EQ(calc.code, 0) << calc.out;
        const fs::path pdf = ToPdf(dir_ / (std::string(c.name) + ".rtf"));
        ASSERT_FALSE(pdf.empty()) << "LibreOffice did not convert the report";
        const int pages = Pages(pdf);
        EXPECT_GT(pages, 1);
        EXPECT_LE(pages, c.maxPages);
        const std::string all = Text(pdf);
        for (const std::string& g : c.greek) EXPECT_TRUE(Has(all, g)) << g;
        ExpectHeaders(pdf, pages, c.name);
        const std::string first = Text(pdf, 1, 1);
        for (const std::string& s : c.spans) EXPECT_TRUE(Has(first, s)) << s << " on page 1:\n" << first;
    }
}

}  // namespace

// A position made with "new" and set up as the input pages store it (a span
// of 5 m, an IPE 300, fork supports, a permanent and an imposed load):
// its report has the input with the dimensioned system picture on page 1,
// the position's name in the header, and results.
TEST_F(ReportPages, NewPositionSetUpInTheWindow) {
    const fs::path file = dir_ / "Pfette.vkx";
    const auto made = Host({"new", file.string(), "RIGEL"});
    ASSERT_EQ(made.code, 0) << made.out;
    {
        ZVDOC doc = ZEVUD_OpenDocQuiet(file.string().c_str());
        ASSERT_NE(doc, 0u);
        CModuleData d;
        d.Init();
        d.ReadData(doc);
        d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(5.0)};
        d.m_supports = {moddatatest::ForkSupport(true), moddatatest::ForkSupport(false)};
        CSection section = moddatatest::RolledSection(d, "IPE", "IPE 300");
        section.m_iNorm = d.m_info.m_nNorm;
        d.m_sections = {section};
        CLKData& lk = d.LK();
        lk.m_actions = moddatatest::PermanentAndImposedActions();
        d.m_loads = {moddatatest::UniformLoad(1, "1", 2.0, 5.0), moddatatest::UniformLoad(2, "2", 3.0, 5.0)};
        d.BuildLoadCaseActionTable();
        lk.UpdateActionsFromLoadCases();
        d.WriteData(doc);
        ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
        ZEVUD_CloseDoc(doc);
        d.RemoveTempSectionFile();
    }
    const auto calc = Host({"calc", file.string()});
    ASSERT_EQ(calc.code, 0) << calc.out;
    const fs::path pdf = ToPdf(dir_ / "Pfette.rtf");
    ASSERT_FALSE(pdf.empty()) << "LibreOffice did not convert the report";
    const int pages = Pages(pdf);
    EXPECT_GT(pages, 1) << "input and results, not one page";
    ExpectHeaders(pdf, pages, "Pfette");
    const std::string first = Text(pdf, 1, 1);
    EXPECT_TRUE(Has(first, "5.00")) << first;
    EXPECT_TRUE(Has(first, "IPE 300")) << first;
    // The summary states the verdict the console printed.
    EXPECT_TRUE(Has(Text(pdf), "Ergebnis: alle Nachweise erfüllt"));
}

