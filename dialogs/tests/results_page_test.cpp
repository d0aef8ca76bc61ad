// The results page: folders and records of the result paths, the relevant
// and governing load combinations, the summary, a chosen record drawn, and
// the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/ResultsPage.h"
#include "graphics/TreePaths.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"
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

namespace {

// A position document whose "result" was computed from its "input" (the
// input's fingerprint stored in "info" as a calculation stores it).
ZVDOC CalculatedDocument() {
    const ZVDOC doc = ZEVUD_CreateDoc("");
    const ZVELEM root = ZEVUD_GetRootElement(doc);
    const ZVELEM input = ZEVUD_AddChildElement(root, "input");
    ZEVUD_SetDouble(ZEVUD_AddChildElement(input, "field_1"), "length", 6.0);
    const ZVELEM info = ZEVUD_AddChildElement(root, "info");
    ZEVUD_SetInt(ZEVUD_AddChildElement(root, "result"), "abbruch", 0);
    const zevud::Fingerprint fp = zevud::FingerPrint(input);
    ZEVUD_SetBinData(info, "input_fingerprint", 16, fp.bytes, 1);
    return doc;
}

}  // namespace

// Results of other input than the position holds (the span changed after
// the calculation, or the plausibility check stopped the calculation and
// zeroed the fingerprint): the page says that the position must be
// calculated again and shows nothing else; the sketch shows no result.
TEST_F(ResultsPageTest, StoredResultsOfOtherInputAreNotShown) {
    const ZVDOC doc = CalculatedDocument();
    ASSERT_NE(doc, 0u);
    data.m_hDoc = doc;
    Calculated();
    page.ExchangeData(false);
    EXPECT_FALSE(page.ShowsStaleResults());
    EXPECT_GT(page.FolderTree().GetCount(), 0);
    EXPECT_NE(page.SummaryText().find("(LK 5) =\t"), std::string::npos);
    data.m_nCurrentIndex = 2;  // a result drawn in the sketch

    const ZVELEM root = ZEVUD_GetRootElement(doc);
    struct Case {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"span changed", [&] { ZEVUD_SetDouble(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(root, "input"), "field_1"),
                                               "length", 8.0); }},
        {"calculation stopped", [&] {
             const unsigned char zero[16] = {};
             ZEVUD_SetBinData(ZEVUD_FindFirstChild(root, "info"), "input_fingerprint", 16, zero, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        data.updates = 0;
        page.ExchangeData(false);
        EXPECT_TRUE(page.ShowsStaleResults());
        EXPECT_EQ(page.FolderTree().GetCount(), 0);
        EXPECT_EQ(page.ResultTree().GetCount(), 0);
        EXPECT_TRUE(page.Paths().empty());
        EXPECT_EQ(page.SummaryText(), CBaseData::StaleResultsText());
        EXPECT_NE(page.SummaryText().find("muss neu berechnet werden"), std::string::npos);
        EXPECT_EQ(page.SummaryText().find("Ausnutzung"), std::string::npos);
        EXPECT_EQ(data.m_nCurrentIndex, -1);
    }

    // The page as the user sees it: two empty trees and the one sentence.
    QApplication::processEvents();
    const QImage img = wl::guitest::GrabToPng(page, "results_page_stale");
    ASSERT_FALSE(img.isNull());
    const QRect f = wl::guitest::RectIn(page.FolderTree().Widget(), page.Widget());
    const QRect r = wl::guitest::RectIn(page.ResultTree().Widget(), page.Widget());
    const QRect t = wl::guitest::RectIn(page.GetDlgItemWidget(IDC_RESULTS_SUMMARY), page.Widget());
    auto ink = [&](const QRect& area) {
        const QRect inner = area.adjusted(4, 4, -4, -4);
        const QRgb bg = img.pixel(inner.right() - 1, inner.bottom() - 1);
        return wl::guitest::BoundingBox(img.copy(inner), [&](QRgb c) { return qGray(c) < qGray(bg) - 80; });
    };
    EXPECT_TRUE(ink(f).isEmpty()) << "the folder tree is empty";
    EXPECT_TRUE(ink(r).isEmpty()) << "the result tree is empty";
    const QRect text = ink(t);
    EXPECT_FALSE(text.isEmpty()) << "the text box says why";
    EXPECT_LT(text.top(), 40) << "at the top of the box";

    data.m_hDoc = 0;
    ZEVUD_CloseDoc(doc);
}

// The summary reads as the console's verdict: an ultimate utilisation of
// 1.02 and an unproven combination say "nicht erfüllt" and stand out in
// bold red, while the serviceability line at 0.56 stays plain black.
TEST_F(ResultsPageTest, UnfulfilledChecksAreMarkedInTheSummary) {
    const struct {
        const char* name;
        bool unproven;
        const char* ultimateLine;  // the verdict's line of the ultimate limit state
    } cases[] = {
        {"utilisation 1.02", false, "Tragsicherheit: max. Ausnutzung 1.020 - nicht erfüllt"},
        {"unproven combination", true, "Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ZVDOC doc = CalculatedDocument();
        ASSERT_NE(doc, 0u);
        const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
        ZEVUD_SetDouble(result, "dMaxAusGebr", 0.56);
        if (c.unproven) {
            ZEVUD_SetInt(result, "tragSVFailed", 1);
            ZEVUD_SetString(result, "tragSVFailedLK", "3");
            ZEVUD_SetDouble(result, "dMaxAusTragSV", 999);
        } else {
            ZEVUD_SetDouble(result, "dMaxAusTragSV", 1.02);
        }
        data.m_hDoc = doc;
        Calculated();
        data.m_iClass = 1;  // the b/t check fulfilled
        data.m_dMaxAusGebr = 0.56;
        data.m_dMaxAusTragSV = c.unproven ? 999 : 1.02;
        page.ExchangeData(false);
        const std::string& text = page.SummaryText();
        EXPECT_EQ(text.rfind(std::string("Ergebnis: Nachweis nicht erfüllt\r\n"
                                         "Gebrauchstauglichkeit: max. Ausnutzung 0.560 - erfüllt\r\n") +
                                 c.ultimateLine,
                             0),
                  0u)
            << text;
        EXPECT_NE(text.find("Ausnutzung Verformung (LK 3) =\t0.56"), std::string::npos) << text;

        // Red ink only in the rows of the lines that are not fulfilled.
        QApplication::processEvents();
        const QImage img = wl::guitest::GrabToPng(page, c.unproven ? "results_page_unproven" : "results_page_over_1");
        ASSERT_FALSE(img.isNull());
        auto* edit = qobject_cast<QPlainTextEdit*>(page.GetDlgItemWidget(IDC_RESULTS_SUMMARY));
        ASSERT_NE(edit, nullptr);
        auto redInLine = [&](int line) {
            const QTextBlock block = edit->document()->findBlockByNumber(line);
            const QRect cursor = edit->cursorRect(QTextCursor(block));
            const QPoint top = edit->viewport()->mapTo(page.Widget(), cursor.topLeft());
            const QRect box = wl::guitest::RectIn(edit, page.Widget());
            return wl::guitest::CountPixels(img, QRect(box.left(), top.y(), box.width(), cursor.height()),
                                            [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; });
        };
        int stress = -1, deformation = -1, line = 0;
        for (size_t at = 0; at < text.size(); ++line) {
            const size_t end = text.find('\n', at);
            const std::string l = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (l.rfind("Ausnutzung Spannungen", 0) == 0) stress = line;
            if (l.rfind("Ausnutzung Verformung", 0) == 0) deformation = line;
            if (end == std::string::npos) break;
            at = end + 1;
        }
        ASSERT_GE(stress, 0);
        ASSERT_GE(deformation, 0);
        EXPECT_GT(redInLine(0), 20) << "Ergebnis: Nachweis nicht erfüllt";
        EXPECT_EQ(redInLine(1), 0) << "serviceability 0.56";
        EXPECT_GT(redInLine(2), 20) << c.ultimateLine;
        EXPECT_EQ(redInLine(deformation), 0) << "0.56";
        EXPECT_GT(redInLine(stress), 20) << "above 1";
        data.m_hDoc = 0;
        ZEVUD_CloseDoc(doc);
    }
}
