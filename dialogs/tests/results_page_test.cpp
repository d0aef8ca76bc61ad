// The results page: folders and records of the result paths, the relevant
// and governing load combinations, the summary, a chosen record drawn, and
// the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTreeWidget>

#include <string>
#include <vector>

#include "dialogs/ResultsPage.h"
#include "graphics/TreePaths.h"
#include "platform/wl/testing/gui_test.h"
#include "support/page_fixture.h"

namespace {

using Item = wl::TreeCtrl::Item;

// Data whose drawing and view updates are counted.
class SpyData : public CModuleData {
public:
    void DrawSystem2D(int) override { ++draws; }
    void UpdateViews(int) override { ++updates; }
    int draws = 0;
    int updates = 0;
};

CResultSet Record(const std::string& title, int governing = 0) {
    CResultSet s;
    s.m_strTitle = title;
    s.m_default = governing;
    return s;
}

std::vector<std::string> Children(wl::TreeCtrl& tree, Item parent) {
    std::vector<std::string> out;
    for (Item i = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); i; i = tree.GetNextSiblingItem(i))
        out.push_back(tree.GetItemText(i));
    return out;
}

class ResultsPageTest : public dialogtest::PageTest<CResultsPage, SpyData> {
protected:
    // Records of two limit states, combination 5 governing the stresses and
    // 3 the deformations; 2 and 5 relevant for the ultimate limit state.
    void Calculated() {
        data.m_resultSets = {Record("Tragsicherheit\\LK 5\\Biegemoment My"),
                             Record("Tragsicherheit\\LK 5\\Querkraft Vz"),
                             Record("Tragsicherheit\\Extremal\\Biegemoment My", 1),
                             Record("Tragsicherheit\\LK 2\\Biegemoment My"),
                             Record("Gebrauchstauglichkeit\\LK 3\\Verformungen\\dz"),
                             Record("Gebrauchstauglichkeit\\Char. Auflagerkraft\\EW 1\\Az")};
        data.m_calcSettings.m_resultTragSVLK = 2;
        data.m_calcSettings.m_resultGebrLK = 1;
        data.m_tragSVRelKol = {0, 1, 0, 0, 1};
        data.m_tragSVMaxLK = 4;
        data.m_gebrMaxLK = 0;
        data.m_gebrKolOffset = 2;
        data.m_info.m_nNorm = 7;
        data.m_iClass = 4;
        data.m_strErrorMsg = "Hinweis\n";
    }
    Item Folder(const std::string& path) {
        HTREEITEM item = 0;
        TreeFindPath(item, 0, path, &page.FolderTree(), false);
        return item;
    }
    // Chooses an item as the user does.
    void Choose(wl::TreeCtrl& tree, Item item) {
        static_cast<QTreeWidget*>(tree.Widget())->setCurrentItem(tree.ItemOf(item));
        QApplication::processEvents();
    }
};

}  // namespace

TEST_F(ResultsPageTest, FoldersAndRecordsOfTheResultPaths) {
    Calculated();
    page.ExchangeData(false);
    wl::TreeCtrl& folders = page.FolderTree();
    wl::TreeCtrl& records = page.ResultTree();
    EXPECT_EQ(Children(folders, 0), (std::vector<std::string>{"Tragsicherheit", "Gebrauchstauglichkeit"}));
    EXPECT_EQ(Children(folders, Folder("Tragsicherheit")),
              (std::vector<std::string>{"LK   5(MAX)", "Extremal", "LK   2"}));
    EXPECT_EQ(Children(folders, Folder("Gebrauchstauglichkeit")),
              (std::vector<std::string>{"LK   3(MAX)", "Char. Auflagerkraft"}));
    // Storage mode "Alle" of the ultimate limit state: its relevant
    // combinations in bold; not so for serviceability.
    EXPECT_TRUE(folders.IsItemBold(Folder("Tragsicherheit\\LK   2")));
    EXPECT_TRUE(folders.IsItemBold(Folder("Tragsicherheit\\LK   5(MAX)")));
    EXPECT_FALSE(folders.IsItemBold(Folder("Tragsicherheit\\Extremal")));
    EXPECT_FALSE(folders.IsItemBold(Folder("Gebrauchstauglichkeit\\LK   3(MAX)")));

    // The governing record's folder is chosen; its records in the middle.
    EXPECT_EQ(folders.GetSelectedItem(), Folder("Tragsicherheit\\Extremal"));
    EXPECT_EQ(Children(records, 0), std::vector<std::string>{"Biegemoment My"});
    EXPECT_EQ(data.m_nCurrentIndex, -1);

    // A record chosen: the data's result and the sketch follow.
    data.draws = 0;
    Choose(records, records.GetRootItem());
    EXPECT_EQ(data.m_nCurrentIndex, 2);
    EXPECT_EQ(data.draws, 1);

    // The governing folder shows the records of its combination, and the
    // record of the same name stays chosen.
    Choose(folders, Folder("Tragsicherheit\\LK   5(MAX)"));
    EXPECT_EQ(Children(records, 0), (std::vector<std::string>{"Biegemoment My", "Querkraft Vz"}));
    EXPECT_EQ(records.GetItemText(records.GetSelectedItem()), "Biegemoment My");
    EXPECT_EQ(data.m_nCurrentIndex, 0);
    Choose(records, records.GetNextSiblingItem(records.GetRootItem()));
    EXPECT_EQ(data.m_nCurrentIndex, 1);
    EXPECT_EQ(records.GetItemData(records.GetSelectedItem()), CResultsPage::kRecordBase + 1);

    // A deeper record: its inner level has no record behind it.
    Choose(folders, Folder("Gebrauchstauglichkeit\\LK   3(MAX)"));
    const Item inner = records.GetRootItem();
    EXPECT_EQ(records.GetItemText(inner), "Verformungen");
    Choose(records, inner);
    EXPECT_EQ(data.m_nCurrentIndex, -1);
    Choose(records, records.GetChildItem(inner));
    EXPECT_EQ(data.m_nCurrentIndex, 4);

    // Paths and summary.
    EXPECT_EQ(page.Paths()[0], "Tragsicherheit\\LK   5\\Biegemoment My");
    EXPECT_EQ(page.Paths()[5], "Gebrauchstauglichkeit\\Char. Auflagerkraft\\EW 1\\Az");
    EXPECT_NE(page.SummaryText().find("b/t-Nachweis:\t\tNicht erfüllt!\r\n"), std::string::npos);
    EXPECT_NE(page.SummaryText().find("(LK 5) =\t"), std::string::npos);
    EXPECT_NE(page.SummaryText().find("(LK 3) =\t"), std::string::npos);
    for (size_t i = 0; i < page.SummaryText().size(); ++i)
        if (page.SummaryText()[i] == '\n') EXPECT_EQ(page.SummaryText()[i - 1], '\r');
}

TEST_F(ResultsPageTest, NoResultsEmptyTreesAndNoSelection) {
    Calculated();
    page.ExchangeData(false);
    data.m_nCurrentIndex = 2;
    data.m_resultSets.clear();
    page.ExchangeData(false);
    EXPECT_EQ(page.FolderTree().GetCount(), 0);
    EXPECT_EQ(page.ResultTree().GetCount(), 0);
    EXPECT_EQ(data.m_nCurrentIndex, -1);
    EXPECT_EQ(data.updates, 1);  // the views redrawn once
    EXPECT_EQ(page.SummaryText(), "");
}

TEST_F(ResultsPageTest, ScreenshotWithABoldFolder) {
    Calculated();
    page.ExchangeData(false);
    page.FolderTree().Expand(Folder("Tragsicherheit"));
    page.FolderTree().Expand(Folder("Gebrauchstauglichkeit"));
    QApplication::processEvents();
    const QImage img = wl::guitest::GrabToPng(page, "results_page");
    ASSERT_FALSE(img.isNull());
    // The three parts side by side at 0-30, 30-60 and 60-100 percent.
    const QRect f = wl::guitest::RectIn(page.FolderTree().Widget(), page.Widget());
    const QRect r = wl::guitest::RectIn(page.ResultTree().Widget(), page.Widget());
    const QRect t = wl::guitest::RectIn(page.GetDlgItemWidget(IDC_RESULTS_SUMMARY), page.Widget());
    const int m = f.top();
    EXPECT_EQ(f.left(), m);
    EXPECT_EQ(r.left(), 270 + m);
    EXPECT_EQ(t.left(), 540 + m);
    EXPECT_EQ(t.right() + 1, 900 - m);
    // A bold folder is wider than the same text drawn plain.
    auto inkWidth = [&](Item item) {
        wl::Rect ir;
        EXPECT_TRUE(page.FolderTree().GetItemRect(item, ir));
        const QRect row(f.left() + ir.left, f.top() + ir.top, ir.right - ir.left, ir.bottom - ir.top);
        const QRgb bg = img.pixel(f.right() - 3, row.center().y());
        return wl::guitest::BoundingBox(img.copy(row), [&](QRgb c) { return qGray(c) < qGray(bg) - 80; }).width();
    };
    // The same text plain, below the other chapter.
    HTREEITEM plain = 0;
    TreeInsertPath(plain, "Gebrauchstauglichkeit\\LK   2", &page.FolderTree());
    QApplication::processEvents();
    EXPECT_GT(inkWidth(Folder("Tragsicherheit\\LK   2")), inkWidth(plain));
}
