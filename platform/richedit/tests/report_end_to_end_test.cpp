// The calculation report of the host program shown in the rich-text box.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "testsupport/host_process.h"
#include "platform/richedit/richedit.h"

namespace fs = std::filesystem;

namespace {

TEST(RichTextReport, CalculationReportLoadsWithHeadingsAndTables) {
    fs::path dir = fs::path(RIGEL_TEST_TMP) / ("richtext_report_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", dir / "Einfeldtraeger.vkx");
    const test_support::HostProcessRun run = test_support::RunHostProcess({"calc", (dir / "Einfeldtraeger.vkx").string()});
    const std::string& out = run.out;
    ASSERT_TRUE(run.code == 0 || run.code == 4) << out;
    fs::path report = dir / "Einfeldtraeger.rtf";
    ASSERT_TRUE(fs::exists(report)) << out;

    richedit::RichText box;
    ASSERT_TRUE(box.Create(nullptr));
    EXPECT_TRUE(box.ShowRtfFile(report.string()));
    EXPECT_EQ(box.LastMessage(), "");
    QTextDocument* doc = box.Control().Document();
    QString text = doc->toPlainText();
    EXPECT_GT(text.size(), 500);
    // Headings are bold paragraphs; the results stand in tables; pictures
    // (drawings) are shown as images or their placeholders.
    int bold = 0, tables = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (b.length() > 3 && b.begin() != b.end() && b.begin().fragment().charFormat().fontWeight() >= QFont::Bold) ++bold;
    for (QTextFrame* f : doc->rootFrame()->childFrames())
        if (qobject_cast<QTextTable*>(f)) ++tables;
    EXPECT_GT(bold, 3);
    EXPECT_GT(tables, 0);
    EXPECT_TRUE(text.contains("IPE")) << text.left(400).toStdString();
    fs::remove_all(dir);
}

}  // namespace
