// The output page: the chapter tree with its check zone and the marks of
// a branch, the refresh after a data load, the assistant and its rebuild of
// the options, "Ausgabe erzeugen", the selection templates through the file
// dialogs, and the pictures of the page and the assistant's pages.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "dialogs/RigelOutputDlg.h"
#include "dialogs/RigelOutputWiz.h"
#include "dialogs/core/OutputOptions.h"
#include "graphics/TreePaths.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/page_fixture.h"

namespace {

namespace fs = std::filesystem;
using wl::guitest::ScriptedUi;
using Item = wl::TreeCtrl::Item;

// The data of a page whose report run is only counted.
class SpyData : public CModuleData {
public:
    void EditOutput() override { ++reportRuns; }
    int reportRuns = 0;
};

std::set<int> SetOptions(const std::vector<int32_t>& options) {
    std::set<int> out;
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i]) out.insert(int(i));
    return out;
}

// A page on a shown parent, its tree built from the data.
class OutputPage : public dialogtest::PageTest<CRigelOutputDlg, SpyData> {
protected:
    void Load() {
        page.ExchangeData(false);
        page.OnTimer(CRigelOutputDlg::kRefreshTimer);
        QApplication::processEvents();
    }
    CCheckTreeCtrl& Tree() { return page.Tree(); }
    Item ItemOf(int id) { return page.ItemOfOption(id); }
    Item Path(const std::string& path) {
        HTREEITEM item = 0;
        TreeFindPath(item, 0, path, &Tree(), false);
        return item;
    }
    // A left click at a point of the tree (its client coordinates).
    void ClickAt(wl::Point p) {
        auto* tree = static_cast<QTreeWidget*>(Tree().Widget());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->viewport()->mapFrom(tree, QPoint(p.x, p.y)));
        QApplication::processEvents();
    }
    void ClickBox(Item item) {
        Tree().EnsureVisible(item);
        QApplication::processEvents();
        wl::Rect zone;
        ASSERT_TRUE(Tree().GetItemCheckRect(item, zone));
        ClickAt({(zone.left + zone.right) / 2, (zone.top + zone.bottom) / 2});
    }
    void ClickText(Item item) {
        Tree().EnsureVisible(item);
        QApplication::processEvents();
        wl::Rect text;
        ASSERT_TRUE(Tree().GetItemTextRect(item, text));
        ClickAt({text.left + 6, (text.top + text.bottom) / 2});
    }

    winsys::ScopedRecordingSink sink;
};

}  // namespace

// ---- the tree ------------------------------------------------------------------------------------

TEST_F(OutputPage, TreeFollowsTheOptionsOnTheNextTick) {
    data.m_rtfOptions[45] = 1;
    data.m_rtfOptions[0] = 1;
    page.ExchangeData(false);
    // Nothing before the tick.
    EXPECT_TRUE(page.IsRefreshPending());
    EXPECT_EQ(Tree().GetCount(), 0);
    page.OnTimer(CRigelOutputDlg::kRefreshTimer);
    EXPECT_FALSE(page.IsRefreshPending());
    ASSERT_NE(ItemOf(45), 0);
    for (Item i : {ItemOf(45), Path("Gebrauchstauglichkeit\\Tabellen\\Extremal\\Schnittgrößen"),
                   Path("Gebrauchstauglichkeit"), ItemOf(0), Path("Eingabe")})
        EXPECT_TRUE(Tree().GetCheck(i)) << Tree().GetItemText(i);
    for (Item i : {ItemOf(44), ItemOf(1), Path("Tragsicherheit")}) EXPECT_FALSE(Tree().GetCheck(i));
    for (int id = 10; id < 20; ++id) EXPECT_EQ(ItemOf(id), 0);

    // A later load: the marks change on the tick, not before.
    data.m_rtfOptions[45] = 0;
    data.m_rtfOptions[261] = 1;
    page.ExchangeData(false);
    EXPECT_TRUE(Tree().GetCheck(ItemOf(45)));
    wl::guitest::ProcessEventsFor(CRigelOutputDlg::kRefreshMilliseconds + 150);
    EXPECT_FALSE(page.IsRefreshPending());
    EXPECT_FALSE(Tree().GetCheck(ItemOf(45)));
    EXPECT_TRUE(Tree().GetCheck(ItemOf(261)));
}

TEST_F(OutputPage, ClicksInTheCheckZoneMarkBranches) {
    Load();
    const Item leaf = ItemOf(41);
    const Item group = Path("Gebrauchstauglichkeit\\Tabellen\\Extremal\\Schnittgrößen");
    const Item chapter = Path("Gebrauchstauglichkeit");
    // A leaf marks its group and its chapter.
    ClickBox(leaf);
    for (Item i : {leaf, group, chapter}) EXPECT_TRUE(Tree().GetCheck(i));
    EXPECT_FALSE(Tree().GetCheck(ItemOf(40)));
    // Clearing it leaves the ancestors.
    ClickBox(leaf);
    EXPECT_FALSE(Tree().GetCheck(leaf));
    EXPECT_TRUE(Tree().GetCheck(group));
    EXPECT_TRUE(Tree().GetCheck(chapter));
    // A group marks all its leaves; cleared, it clears them.
    const Item stresses = Path("Tragsicherheit\\Tabellen\\LK\\Schnittgrößen/Spannungen");
    ClickBox(stresses);
    for (int id = 270; id < 282; ++id) EXPECT_TRUE(Tree().GetCheck(ItemOf(id))) << id;
    EXPECT_TRUE(Tree().GetCheck(Path("Tragsicherheit")));
    // A click on the text selects the item and toggles nothing.
    ClickText(ItemOf(272));
    EXPECT_TRUE(Tree().GetCheck(ItemOf(272)));
    EXPECT_EQ(Tree().GetSelectedItem(), ItemOf(272));
    ClickText(ItemOf(0));
    EXPECT_FALSE(Tree().GetCheck(ItemOf(0)));

    page.ExchangeData(true);
    std::set<int> expected;
    for (int id = 270; id < 282; ++id) expected.insert(id);
    EXPECT_EQ(SetOptions(data.m_rtfOptions), expected);
}

TEST_F(OutputPage, SavingBeforeTheTickKeepsTheLoadedOptions) {
    // The tree of an earlier position, then another position loaded.
    data.m_rtfOptions[0] = 1;
    Load();
    data.m_rtfOptions.assign(450, 0);
    data.m_rtfOptions[96] = 1;
    data.m_rtfLKgebr = 2;
    page.ExchangeData(false);
    // A tab change saves the page before the tick.
    page.ExchangeData(true);
    EXPECT_EQ(SetOptions(data.m_rtfOptions), std::set<int>{96});
    EXPECT_EQ(data.m_rtfLKgebr, 2);
}

TEST_F(OutputPage, SwitchesAndCombinationModesTravel) {
    data.m_rtfLKgebr = 3;
    data.m_rtfLKTragSV = 1;
    data.m_bRtfChapterCT = 0;
    Load();
    EXPECT_EQ(static_cast<QComboBox*>(page.GetDlgItemWidget(IDC_OUTPUT_LK_GEBR))->currentIndex(), 3);
    wl::guitest::ChooseComboItem(page, IDC_OUTPUT_LK_TRAGSV, 2);
    wl::guitest::Click(page, IDC_OUTPUT_INPUT);
    wl::guitest::Click(page, IDC_OUTPUT_CT);
    page.ExchangeData(true);
    EXPECT_EQ(data.m_rtfLKgebr, 3);
    EXPECT_EQ(data.m_rtfLKTragSV, 2);
    EXPECT_EQ(data.m_bRtfChapterInput, 0);
    EXPECT_EQ(data.m_bRtfChapterCT, 1);
}

// ---- "Ausgabe erzeugen" ------------------------------------------------------------------------------

class OutputPageWithFile : public OutputPage {
protected:
    OutputPageWithFile() : dir(fs::path(RIGEL_TEST_TMP) / ("output_page_" + std::to_string(::getpid()))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        data.m_hDoc = ZEVUD_CreateDoc((dir / "Pos.vkx").string().c_str());
    }
    ~OutputPageWithFile() override {
        ZEVUD_CloseDoc(data.m_hDoc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

TEST_F(OutputPageWithFile, WriteOutputWritesWhatThePageShowsAndTheTreeKeepsIt) {
    // The assistant's stored choice (extremal serviceability forces) is not
    // what the page shows: the report is written with the page's ticks.
    data.m_rtfWizOptions[32] = 1;
    data.m_rtfOptions[20] = 1;
    Load();
    ClickBox(ItemOf(100));  // marked by hand
    std::ofstream(dir / "Pos.rtf") << "{\\rtf1 alt}";
    wl::guitest::Click(page, IDC_OUTPUT_WRITE);
    EXPECT_EQ(data.reportRuns, 1);
    EXPECT_FALSE(fs::exists(dir / "Pos.rtf"));  // made anew by the run
    EXPECT_EQ(SetOptions(data.m_rtfOptions), (std::set<int>{20, 100}));
    page.OnTimer(CRigelOutputDlg::kRefreshTimer);
    EXPECT_TRUE(Tree().GetCheck(ItemOf(100)));
    EXPECT_TRUE(Tree().GetCheck(ItemOf(20)));
    EXPECT_FALSE(Tree().GetCheck(ItemOf(43)));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(OutputPageWithFile, AReportThatCannotBeDeletedStartsNothing) {
    // Running as root, permissions stop no delete; a folder with a file in
    // it is removed by no delete of a file.
    fs::create_directories(dir / "Pos.rtf");
    std::ofstream(dir / "Pos.rtf" / "offen.txt") << "x";
    Load();
    wl::guitest::Click(page, IDC_OUTPUT_WRITE);
    EXPECT_EQ(data.reportRuns, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              "Die Ausgabedatei konnte nicht neu erstellt werden.\nEventuell ist sie gerade in Bearbeitung...");
    EXPECT_TRUE(fs::exists(dir / "Pos.rtf" / "offen.txt"));
}

// ---- templates through the file dialogs -------------------------------------------------------------

TEST_F(OutputPageWithFile, SelectionTemplatesThroughTheFileDialogs) {
    ScriptedUi ui;
    data.m_rtfOptions[2] = 1;
    Load();
    ClickBox(ItemOf(21));  // a mark the page shows but has not stored yet
    fs::create_directories(dir / "a.b");
    ui.fileAnswers.push_back((dir / "a.b" / "Sel.x.y").string());
    wl::guitest::Click(page, IDC_OUTPUT_SAVE);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].fileName, "Ausgabe.RIGEL.vor");
    EXPECT_EQ(ui.fileRequests[0].filter,
              "Einfeld- und Durchlaufträger Zusammenstellung(*.RIGEL.vor)|*.RIGEL.vor||");
    EXPECT_EQ(ui.fileRequests[0].folder, GetDataDir() + "/Vorlagen");
    const fs::path saved = dir / "a.b" / "Sel.RIGEL.vor";
    ASSERT_TRUE(fs::exists(saved));

    // Another selection, then the template loaded back.
    data.m_rtfOptions.assign(450, 0);
    data.m_rtfOptions[300] = 1;
    data.m_bRtfChapterGebr = 0;
    Load();
    ui.fileAnswers.push_back(saved.string());
    wl::guitest::Click(page, IDC_OUTPUT_LOAD);
    EXPECT_EQ(ui.fileRequests[1].fileName, "");
    EXPECT_TRUE(page.IsRefreshPending());
    EXPECT_EQ(SetOptions(data.m_rtfOptions), (std::set<int>{2, 21}));
    EXPECT_EQ(data.m_bRtfChapterGebr, 1);

    // A file without a selection, and a cancelled dialog, change nothing.
    page.OnTimer(CRigelOutputDlg::kRefreshTimer);
    ClickBox(ItemOf(5));
    ZVDOC other = ZEVUD_CreateDoc((dir / "leer.RIGEL.vor").string().c_str());
    ZEVUD_SaveDoc(other);
    ZEVUD_CloseDoc(other);
    ui.fileAnswers.push_back((dir / "leer.RIGEL.vor").string());
    ui.fileAnswers.push_back(std::nullopt);
    wl::guitest::Click(page, IDC_OUTPUT_LOAD);
    wl::guitest::Click(page, IDC_OUTPUT_LOAD);
    EXPECT_FALSE(page.IsRefreshPending());
    EXPECT_TRUE(Tree().GetCheck(ItemOf(5)));
    EXPECT_EQ(SetOptions(data.m_rtfOptions), (std::set<int>{2, 21}));
    EXPECT_TRUE(sink.messages.empty());
}

// ---- the assistant -------------------------------------------------------------------------------------

namespace {

std::vector<int> Controls(int page) {
    std::vector<int> out;
    for (const AssistantBox& b : AssistantBoxes(page)) out.push_back(b.control);
    return out;
}

bool Enabled(wl::Window& page, int id) { return page.GetDlgItem(id)->IsWindowEnabled(); }
bool Checked(wl::Window& page, int id) {
    return static_cast<QAbstractButton*>(page.GetDlgItemWidget(id))->isChecked();
}

}  // namespace

TEST_F(OutputPage, AssistantDisablesWhatTheChaptersLeaveOut) {
    ScriptedUi ui;
    data.m_bRtfChapterGebr = 0;
    data.m_rtfLKTragSV = 0;
    data.m_rtfWizOptions[30] = 1;
    data.m_rtfWizOptions[52] = 1;
    data.m_rtfWizOptions[206] = 1;
    data.m_bRtfSinglePointLayout = 1;
    Load();
    int runs = 0;
    ui.OnModal(IDD_RIGEL_OUTPUT_WIZ, [&](wl::Dialog& d) {
        auto& wiz = static_cast<CRigelOutputWiz&>(d);
        ++runs;
        EXPECT_EQ(wiz.GetWindowText(), "Ausgabeassistent");
        // Page 2: the chapter is off, every box disabled, states kept.
        ASSERT_TRUE(wiz.SetActivePage(1));
        CRigelOutputWizPage2& p2 = wiz.Page2();
        for (int id : Controls(2)) EXPECT_FALSE(Enabled(p2, id)) << id;
        EXPECT_TRUE(Checked(p2, 26055));
        EXPECT_TRUE(Checked(p2, 26065));
        EXPECT_FALSE(Checked(p2, 26056));
        // Page 3: no combinations; the per-combination boxes are disabled,
        // the extremal ones usable.
        ASSERT_TRUE(wiz.SetActivePage(2));
        CRigelOutputWizPage3& p3 = wiz.Page3();
        for (int id : {26056, 26058, 26060, 26061, 26062, 26069, 26074, 26087, 26098, 26103, 26111})
            EXPECT_FALSE(Enabled(p3, id)) << id;
        for (int id : {26055, 26057, 26059, 26063, 26068, 26075, 26086, 26099, 26102}) EXPECT_TRUE(Enabled(p3, id)) << id;
        EXPECT_TRUE(Checked(p3, 26069));
        // The layout pair follows the small-layout switch.
        EXPECT_TRUE(Checked(p3, IDC_WIZ_LAYOUT_SMALL));
        EXPECT_FALSE(Checked(p3, IDC_WIZ_LAYOUT_LARGE));
        wl::guitest::Click(wiz, wl::IDCANCEL);
    });
    wl::guitest::Click(page, IDC_OUTPUT_ASSISTANT);
    EXPECT_EQ(runs, 1);
    data.m_bRtfSinglePointLayout = 0;
    ui.OnModal(IDD_RIGEL_OUTPUT_WIZ, [&](wl::Dialog& d) {
        auto& wiz = static_cast<CRigelOutputWiz&>(d);
        ASSERT_TRUE(wiz.SetActivePage(2));
        EXPECT_TRUE(Checked(wiz.Page3(), IDC_WIZ_LAYOUT_LARGE));
        EXPECT_FALSE(Checked(wiz.Page3(), IDC_WIZ_LAYOUT_SMALL));
        wl::guitest::Click(wiz, wl::IDCANCEL);
    });
    wl::guitest::Click(page, IDC_OUTPUT_ASSISTANT);
}

TEST_F(OutputPage, AssistantCancelChangesNothingAndOkRebuilds) {
    ScriptedUi ui;
    data.m_rtfWizOptions[6] = 1;
    data.m_rtfOptions[100] = 1;
    Load();
    const std::vector<int32_t> wizard = data.m_rtfWizOptions;
    // Boxes toggled on every page (each page left once), then the answer.
    auto toggle = [](int answer) {
        return [answer](wl::Dialog& d) {
            auto& wiz = static_cast<CRigelOutputWiz&>(d);
            wl::guitest::Click(wiz.Page1(), 26047);  // "Lasten" off
            ASSERT_TRUE(wiz.SetActivePage(1));
            wl::guitest::Click(wiz.Page2(), 26057);
            ASSERT_TRUE(wiz.SetActivePage(2));
            wl::guitest::Click(wiz.Page3(), 26057);
            wl::guitest::Click(wiz.Page3(), IDC_WIZ_SINGLE_POINT);
            wl::guitest::Click(wiz.Page3(), IDC_WIZ_LAYOUT_LARGE);
            ASSERT_TRUE(wiz.SetActivePage(0));
            wl::guitest::Click(wiz, answer);
        };
    };
    ui.OnModal(IDD_RIGEL_OUTPUT_WIZ, toggle(wl::IDCANCEL));
    wl::guitest::Click(page, IDC_OUTPUT_ASSISTANT);
    EXPECT_EQ(data.m_rtfWizOptions, wizard);
    EXPECT_EQ(SetOptions(data.m_rtfOptions), std::set<int>{100});
    EXPECT_EQ(data.m_bRtfCalcSinglePoint, 0);
    EXPECT_EQ(data.m_bRtfSinglePointLayout, 1);
    EXPECT_FALSE(page.IsRefreshPending());

    ui.OnModal(IDD_RIGEL_OUTPUT_WIZ, toggle(wl::IDOK));
    wl::guitest::Click(page, IDC_OUTPUT_ASSISTANT);
    EXPECT_EQ(data.m_rtfWizOptions[6], 0);
    EXPECT_EQ(data.m_rtfWizOptions[32], 1);
    EXPECT_EQ(data.m_rtfWizOptions[152], 1);
    EXPECT_EQ(data.m_bRtfCalcSinglePoint, 1);
    EXPECT_EQ(data.m_bRtfSinglePointLayout, 0);
    std::set<int> expected = {40, 41, 42, 43, 44, 45};
    for (int id = 250; id < 262; ++id) expected.insert(id);
    EXPECT_EQ(SetOptions(data.m_rtfOptions), expected);
    EXPECT_TRUE(page.IsRefreshPending());
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{IDD_RIGEL_OUTPUT_WIZ, IDD_RIGEL_OUTPUT_WIZ}));
}

// ---- pictures --------------------------------------------------------------------------------------------

TEST_F(OutputPage, ScreenshotShowsCheckedBoxesInTheirZone) {
    data.m_rtfOptions[20] = 1;
    data.m_rtfOptions[0] = 1;
    Load();
    Tree().EnsureVisible(ItemOf(0));
    QApplication::processEvents();
    const QImage img = wl::guitest::GrabToPng(page, "output_page");
    ASSERT_FALSE(img.isNull());
    const QRect tree = wl::guitest::RectIn(Tree().Widget(), page.Widget());
    EXPECT_EQ(tree.right(), img.width() - 1 - tree.top());  // the tree fills the page to its margin
    // The box of a checked and of an unchecked item, inside their zones.
    auto zoneInk = [&](Item item, QRect& inkBox) {
        wl::Rect z;
        EXPECT_TRUE(Tree().GetItemCheckRect(item, z));
        const QRect zone(tree.left() + z.left, tree.top() + z.top, z.right - z.left, z.bottom - z.top);
        // The row from the item's start to the text, a little wider than the zone.
        const QRect row = zone.adjusted(-4, 0, 2, 0);
        const QRgb bg = img.pixel(tree.right() - 4, zone.center().y());
        inkBox = wl::guitest::BoundingBox(img.copy(row), [&](QRgb c) { return !wl::guitest::Near(c, bg, 30); })
                     .translated(row.topLeft());
        EXPECT_TRUE(zone.contains(inkBox)) << Tree().GetItemText(item);
        // The mark: dark pixels inside the box.
        return wl::guitest::CountPixels(img, zone, [](QRgb c) { return qGray(c) < 90; });
    };
    QRect checkedBox, plainBox;
    const int checked = zoneInk(ItemOf(0), checkedBox);
    const int plain = zoneInk(ItemOf(1), plainBox);
    EXPECT_GT(checked, plain + 8);
    EXPECT_FALSE(checkedBox.isEmpty());
}

TEST_F(OutputPage, ScreenshotsOfTheAssistantPages) {
    ScriptedUi ui;
    data.m_rtfWizOptions[0] = 1;
    data.m_rtfWizOptions[32] = 1;
    data.m_rtfWizOptions[212] = 1;
    data.m_rtfLKTragSV = 0;
    Load();
    ui.OnModal(IDD_RIGEL_OUTPUT_WIZ, [&](wl::Dialog& d) {
        auto& wiz = static_cast<CRigelOutputWiz&>(d);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(wiz.SetActivePage(i));
            wiz.Widget()->show();
            QApplication::processEvents();
            const QImage img = wl::guitest::GrabToPng(wiz, "output_assistant_page" + std::to_string(i + 1));
            ASSERT_FALSE(img.isNull());
            // Every box of the page lies inside the sheet.
            for (int id : Controls(i + 1)) {
                CRigelOutputWizPage* p = i == 0 ? static_cast<CRigelOutputWizPage*>(&wiz.Page1())
                                       : i == 1 ? static_cast<CRigelOutputWizPage*>(&wiz.Page2())
                                                : static_cast<CRigelOutputWizPage*>(&wiz.Page3());
                const QRect r = wl::guitest::RectIn(p->GetDlgItemWidget(id), wiz.Widget());
                EXPECT_TRUE(img.rect().contains(r)) << id;
            }
        }
        wl::guitest::Click(wiz, wl::IDCANCEL);
    });
    wl::guitest::Click(page, IDC_OUTPUT_ASSISTANT);
}
