// The results and output tabs in a session on the example position through
// the host's commands: the results of the calculation in the trees, the
// assistant's choice written as a report and kept with the position, and a
// new dialog showing the same marks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "dialogs/MainDlg.h"
#include "dialogs/RigelOutputWiz.h"
#include "dialogs/core/OutputOptions.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/conveniences.h"
#include "support/main_dlg_session.h"

namespace {

namespace fs = std::filesystem;
using wl::guitest::ScriptedUi;

std::vector<std::string> g_opened;
bool RecordOpen(const std::string& file) {
    g_opened.push_back(file);
    return true;
}

using dialogtest::Send;
using dialogtest::Value;

class OutputSession : public dialogtest::MainDlgSession {
protected:
    OutputSession() : dialogtest::MainDlgSession("Einfeldtraeger.vkx", "output_session_", 1000, 640) {}
    void SetUp() override {
        dialogtest::MainDlgSession::SetUp();
        previousOpener = SetDocumentToolOpener(&RecordOpen);
        g_opened.clear();
    }
    void TearDown() override {
        SetDocumentToolOpener(previousOpener);
        dialogtest::MainDlgSession::TearDown();
    }
    void Choose(DIzevoViv* dlg, int pageId) {
        dialogtest::MainDlgSession::Choose(dlg, pageId);
        QApplication::processEvents();
    }

    DocumentToolOpener previousOpener = nullptr;
};

ZVELEM OutputElement(ZVDOC doc) { return ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "output"); }

}  // namespace

TEST_F(OutputSession, ResultsTabShowsTheCalculatedResult) {
    DIzevoViv* dlg = Create();
    ASSERT_NE(dlg, nullptr);
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    SetData(dlg, doc);
    Choose(dlg, PAGE_RESULTS);
    CResultsPage& page = dlg->ResultsPage();
    ASSERT_FALSE(dlg->m_data.m_resultSets.empty());
    EXPECT_EQ(page.Paths().size(), dlg->m_data.m_resultSets.size());
    EXPECT_GT(page.FolderTree().GetCount(), 2);
    // The governing folder is chosen and its records are listed.
    ASSERT_NE(page.FolderTree().GetSelectedItem(), 0);
    EXPECT_GT(page.ResultTree().GetCount(), 0);
    std::vector<std::string> top;
    for (auto i = page.FolderTree().GetRootItem(); i; i = page.FolderTree().GetNextSiblingItem(i))
        top.push_back(page.FolderTree().GetItemText(i));
    EXPECT_NE(std::find(top.begin(), top.end(), "Tragsicherheit"), top.end());
    EXPECT_NE(page.SummaryText().find("Ausnutzung Spannungen (LK "), std::string::npos);
    const QImage img = wl::guitest::GrabToPng(host.Widget(), "output_session_results");
    ASSERT_FALSE(img.isNull());
    // Ink in the folder tree: its items are drawn.
    const QRect f = wl::guitest::RectIn(page.FolderTree().Widget(), host.Widget());
    EXPECT_GT(wl::guitest::CountInk(img, f.adjusted(4, 4, -4, -4), img.pixel(f.right() - 4, f.bottom() - 4)), 100);
    ZEVUD_CloseDoc(doc);
}

TEST_F(OutputSession, AssistantChoiceWrittenAndKeptWithThePosition) {
    ScriptedUi ui;
    DIzevoViv* dlg = Create();
    ASSERT_NE(dlg, nullptr);
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    SetData(dlg, doc);
    Choose(dlg, PAGE_OUTPUT);
    std::vector<int32_t> wizard = dlg->m_data.m_rtfWizOptions;
    // Only "Lasten" of the input and "Schnittgrößen Extremal" of the
    // ultimate limit state.
    ui.OnModal(IDD_RIGEL_OUTPUT_WIZ, [&](wl::Dialog& d) {
        auto& wiz = static_cast<CRigelOutputWiz&>(d);
        for (int p = 0; p < 3; ++p) {
            ASSERT_TRUE(wiz.SetActivePage(p));
            CRigelOutputWizPage* page = p == 0   ? static_cast<CRigelOutputWizPage*>(&wiz.Page1())
                                        : p == 1 ? static_cast<CRigelOutputWizPage*>(&wiz.Page2())
                                                 : static_cast<CRigelOutputWizPage*>(&wiz.Page3());
            for (const AssistantBox& b : AssistantBoxes(p + 1)) {
                auto* box = static_cast<QAbstractButton*>(page->GetDlgItemWidget(b.control));
                const bool wanted = (p == 0 && b.control == 26047) || (p == 2 && b.control == 26057);
                if (box->isChecked() != wanted) wl::guitest::Click(*page, b.control);
            }
        }
        wl::guitest::Click(wiz, wl::IDOK);
    });
    wl::guitest::Click(dlg->OutputPage(), IDC_OUTPUT_ASSISTANT);
    for (int p = 1; p <= 3; ++p)
        for (const AssistantBox& b : AssistantBoxes(p)) wizard[size_t(b.option)] = 0;
    wizard[6] = 1;
    wizard[152] = 1;
    std::vector<int32_t> chapter(450, 0);
    chapter[8] = 1;  // "Lasten"
    for (int id = 250; id < 262; ++id) chapter[size_t(id)] = 1;

    wl::guitest::Click(dlg->OutputPage(), IDC_OUTPUT_WRITE);
    const fs::path report = dir / "Einfeldtraeger.rtf";
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(fs::path(g_opened[0]), report);
    EXPECT_TRUE(fs::exists(report));

    GetData(dlg, doc);
    ZVELEM output = OutputElement(doc);
    ASSERT_NE(output, 0u);
    EXPECT_EQ(zevud::GetInts(output, "rtfOptions"), chapter);
    EXPECT_EQ(zevud::GetInts(output, "rtfWizOptions"), wizard);

    // A new dialog on the position shows the same marks after one tick.
    DIzevoViv* second = Create();
    SetData(second, doc);
    CRigelOutputDlg& page = second->OutputPage();
    page.OnTimer(CRigelOutputDlg::kRefreshTimer);
    for (int id = 0; id < 450; ++id)
        if (auto item = page.ItemOfOption(id)) EXPECT_EQ(page.Tree().GetCheck(item), chapter[size_t(id)] != 0) << id;
    ZEVUD_CloseDoc(doc);
}

TEST_F(OutputSession, WriteOutputWritesThePagesSelectionAndOpensItWithTheDesktop) {
    // No report program is set up (the suite's word processor is not
    // there): the report opens with the desktop's application, here a
    // recording shell in its place.
    SetDocumentToolOpener(nullptr);
    winsys::RecordingShell shell;
    DIzevoViv* dlg = Create();
    ASSERT_NE(dlg, nullptr);
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    SetData(dlg, doc);
    Choose(dlg, PAGE_OUTPUT);
    CRigelOutputDlg& page = dlg->OutputPage();
    page.OnTimer(CRigelOutputDlg::kRefreshTimer);
    // The example's selection as the page shows it, less the system
    // pictures, which are unticked by hand.
    std::vector<int32_t> shown(450, 0);
    for (int id = 0; id < 450; ++id)
        if (auto item = page.ItemOfOption(id)) shown[size_t(id)] = page.Tree().GetCheck(item) ? 1 : 0;
    ASSERT_EQ(shown[20], 1);
    page.Tree().SetCheck(page.ItemOfOption(20), false);
    shown[20] = 0;
    const fs::path report = dir / "Einfeldtraeger.rtf";
    fs::remove(report);

    wl::guitest::Click(page, IDC_OUTPUT_WRITE);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].first, "open");
    EXPECT_EQ(shell.calls[0].second, report);
    for (int id = 0; id < 450; ++id)
        if (page.ItemOfOption(id)) EXPECT_EQ(dlg->m_data.m_rtfOptions[size_t(id)], shown[size_t(id)]) << id;
    // The tree keeps the selection.
    page.OnTimer(CRigelOutputDlg::kRefreshTimer);
    for (int id = 0; id < 450; ++id)
        if (auto item = page.ItemOfOption(id)) EXPECT_EQ(page.Tree().GetCheck(item), shown[size_t(id)] != 0) << id;
    // The report holds the chapters of the selection, without the system
    // pictures.
    ASSERT_TRUE(fs::exists(report));
    std::ifstream in(report, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    for (const char* chapter : {"Eingabe", "Ergebnisse Tragsicherheit", "Zusammenfassung", "Ergebnis: alle Nachweise"})
        EXPECT_NE(text.find(chapter), std::string::npos) << chapter;
    EXPECT_EQ(text.find("Ansicht XZ-Ebene"), std::string::npos);
    EXPECT_GT(text.size(), 100000u);  // not the report of an empty selection
    ZEVUD_CloseDoc(doc);
}
