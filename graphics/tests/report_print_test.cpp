// The report box and the printing of report files: the box as the position
// data's report window, PrintFile's existence test and its hand-over to the
// shell service, and the print service that lays the report out on a
// printer (here one that writes PDF).
#include <gtest/gtest.h>

#include <QPrinter>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "graphics/RichText.h"
#include "platform/richedit/print_service.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace fs = std::filesystem;

namespace {

class ReportFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(RIGEL_TEST_TMP) / ("report_print_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // A name with blanks, a quote and shell characters, kept as it is.
        report = dir / "Pos 1 \"Träger\"; $(x) & y.rtf";
        std::ofstream(report) << "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 {\\b Bemessung} IPE 300\\par "
                                 "Ausnutzung 0,54\\par}";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir, report;
    winsys::ScopedRecordingSink sink;
};

TEST_F(ReportFiles, BoxShowsTheReportAndKeepsItsTextOnAFileItCannotRead) {
    CRichText box;
    ASSERT_TRUE(box.Create(nullptr));
    CBaseOutputWindow& window = box;
    window.SetText("Moment bitte...");
    EXPECT_EQ(box.Control().GetText(), "Moment bitte...");
    window.ShowRtfFile(report.string());
    EXPECT_EQ(box.Control().GetText(), "Bemessung IPE 300\nAusnutzung 0,54");
    EXPECT_TRUE(sink.messages.empty());
    for (const fs::path& bad : {dir / "fehlt.rtf", dir}) {
        window.ShowRtfFile(bad.string());
        EXPECT_EQ(box.Control().GetText(), "Bemessung IPE 300\nAusnutzung 0,54");
        ASSERT_FALSE(sink.messages.empty());
        EXPECT_EQ(sink.messages.back().text, "Fehler beim Öffnen der Datei " + bad.string());
    }
    // The two property writes change nothing visible.
    box.SetProperty5(0);
    box.SetProperty8(0);
    EXPECT_EQ(box.Control().GetText(), "Bemessung IPE 300\nAusnutzung 0,54");
}

TEST_F(ReportFiles, PrintFileTestsTheFileAndHandsThePathOnAsItIs) {
    winsys::RecordingShell shell;
    const fs::path missing = dir / "fehlt.rtf";
    EXPECT_FALSE(PrintFile(missing.string()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Datei '" + missing.string() + "' nicht gefunden!");
    EXPECT_TRUE(shell.calls.empty());

    EXPECT_TRUE(PrintFile(report.string()));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].first, "print");
    EXPECT_EQ(shell.calls[0].second, report);
}

TEST_F(ReportFiles, WithoutAPrintServiceTheShellSaysPrintingIsNotSetUp) {
    winsys::ShellService* previous = winsys::SetShellService(nullptr);
    EXPECT_FALSE(PrintFile(report.string()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("nicht eingerichtet"), std::string::npos);
    winsys::SetShellService(previous);
}

int PdfPages(const fs::path& pdf) {
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    int pages = 0;
    for (size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
        if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
    return pages;
}

TEST_F(ReportFiles, PrintServiceLaysTheReportOutOnThePrinterOfTheDialog) {
    wl::guitest::ScriptedUi ui;
    richedit::PrintService service;
    winsys::ShellService* previous = winsys::SetShellService(&service);
    const fs::path pdf = dir / "Druck.pdf";
    // The dialog cancelled: nothing printed, nothing said.
    EXPECT_FALSE(PrintFile(report.string()));
    EXPECT_EQ(ui.printDialogs, 1);
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_TRUE(sink.messages.empty());
    // A PDF printer chosen: the report on at least one page.
    ui.printSetup = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        return true;
    };
    EXPECT_TRUE(PrintFile(report.string()));
    EXPECT_EQ(ui.printDialogs, 2);
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_GE(PdfPages(pdf), 1);
    EXPECT_TRUE(sink.messages.empty());
    // A file it cannot read: said, nothing printed.
    fs::remove(pdf);
    EXPECT_FALSE(service.Print(dir / "fehlt.rtf"));
    EXPECT_FALSE(fs::exists(pdf));
    ASSERT_EQ(sink.messages.size(), 1u);
    winsys::SetShellService(previous);
}

}  // namespace
