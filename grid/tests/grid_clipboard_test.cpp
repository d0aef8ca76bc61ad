// Text exchange of the grid (clipboard, drag and drop), printing and the
// title tip, on an offscreen grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <QTextItem>

#include "grid/GridCtrl.h"
#include "grid/GridDropHandler.h"
#include "grid/GridTipWnd.h"
#include "platform/wl/testing/gui_test.h"
#include "support/grid_fixture.h"

using gridtest::GridFixtureT;

namespace {

// A grid whose drag loop ends at once with a chosen effect, and that refuses
// the text "bad".
class TestGrid : public CGridCtrl {
public:
    int dragResult = DROPEFFECT_NONE;
    std::string dragged;
    int RunDragLoop(std::unique_ptr<QMimeData> data) override {
        dragged = data->text().toStdString();
        return dragResult;
    }
    bool ValidateEdit(int row, int col, const std::string& text) override {
        return text != "bad" && CGridCtrl::ValidateEdit(row, col, text);
    }
};
using Fixture = GridFixtureT<TestGrid>;

std::string Copied(CGridCtrl& g) {
    const std::unique_ptr<QMimeData> data = g.CopyTextFromGrid();
    return data ? data->text().toStdString() : "<none>";
}

std::unique_ptr<QMimeData> TextData(const std::string& text) {
    auto d = std::make_unique<QMimeData>();
    d->setText(QString::fromStdString(text));
    return d;
}

// A file under the screenshot folder of the build.
QString ShotPath(const char* name) {
    const char* dir = std::getenv("RIGEL_SCREENSHOTS");
    const QString folder = QString::fromUtf8(dir && *dir ? dir : RIGEL_TEST_TMP);
    QDir().mkpath(folder);
    return folder + "/" + name;
}

void Texts(CGridCtrl& g, std::initializer_list<std::tuple<int, int, const char*>> cells) {
    for (const auto& [r, c, t] : cells) g.SetItemText(r, c, t);
}

}  // namespace

TEST(GridClipboard, CopyWritesTabsBetweenFieldsAndLineFeedsBetweenRows) {
    {
        Fixture f;
        Texts(f.grid, {{1, 1, "a"}, {1, 2, "b"}, {2, 1, "c"}, {2, 2, "d"}});
        f.grid.SetSelectedRange(1, 1, 2, 2);
        EXPECT_EQ(Copied(f.grid), "a\tb\nc\td");
    }
    {
        SCOPED_TRACE("only the diagonal selected: empty fields keep every separator");
        Fixture f;
        f.grid.SetSelectedRange(1, 1, 2, 2);
        f.grid.SetItemState(1, 2, f.grid.GetItemState(1, 2) & ~GIS_SELECTED);
        f.grid.SetItemState(2, 1, f.grid.GetItemState(2, 1) & ~GIS_SELECTED);
        EXPECT_EQ(Copied(f.grid), "r1c1\t\n\tr2c2");
    }
    {
        SCOPED_TRACE("a hidden column adds no field and no tab; a hidden row no line");
        Fixture f;
        f.grid.SetColumnWidth(2, 0);
        f.grid.SetRowHeight(2, 0);
        f.grid.SetSelectedRange(1, 1, 3, 3);
        EXPECT_EQ(Copied(f.grid), "r1c1\tr1c3\nr3c1\tr3c3");
    }
    {
        SCOPED_TRACE("nothing selected: no data");
        Fixture f;
        EXPECT_EQ(f.grid.CopyTextFromGrid(), nullptr);
    }
}

TEST(GridClipboard, PasteTable) {
    struct Case {
        const char* name;
        const char* text;
        CGridCellId start;
        std::vector<std::tuple<int, int, const char*>> expected;
    };
    const Case cases[] = {
        {"tabs fill the columns from the start on", "1\t2\t3", {1, 1}, {{1, 1, "1"}, {1, 2, "2"}, {1, 3, "3"}}},
        {"a decimal comma stays in its field", "2,5", {1, 1}, {{1, 1, "2,5"}, {1, 2, "r1c2"}}},
        {"comma field and tab field", "1,2\t3", {1, 1}, {{1, 1, "1,2"}, {1, 2, "3"}, {1, 3, "r1c3"}}},
        {"CR LF line ends leave no CR", "a\tb\r\nc\td\r\n", {1, 1}, {{1, 1, "a"}, {1, 2, "b"}, {2, 1, "c"}, {2, 2, "d"}}},
        {"fields and lines beyond the grid are dropped", "x\ty\tz\nu\nv\nw", {4, 3},
         {{4, 3, "x"}, {4, 4, "y"}, {5, 3, "u"}}},
        {"a refused cell keeps its text, the paste goes on", "bad\tok", {1, 1}, {{1, 1, "r1c1"}, {1, 2, "ok"}}},
        {"a trailing tab adds no field", "q\t", {2, 2}, {{2, 2, "q"}, {2, 3, "r2c3"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const auto data = TextData(c.text);
        EXPECT_TRUE(f.grid.PasteTextToGrid(c.start, data.get(), true));
        for (const auto& [r, col, t] : c.expected) EXPECT_EQ(f.grid.GetItemText(r, col), t) << r << "," << col;
    }
}

TEST(GridClipboard, PassesHiddenRowsAndRefusesReadOnlyStart) {
    Fixture f;
    f.grid.SetRowHeight(2, 0);
    auto data = TextData("a\nb");
    EXPECT_TRUE(f.grid.PasteTextToGrid({1, 1}, data.get(), false));
    EXPECT_EQ(f.grid.GetItemText(1, 1), "a");
    EXPECT_EQ(f.grid.GetItemText(2, 1), "r2c1");
    EXPECT_EQ(f.grid.GetItemText(3, 1), "b");

    f.grid.SetItemState(4, 1, GIS_READONLY);
    EXPECT_FALSE(f.grid.PasteTextToGrid({4, 1}, data.get(), false));
    EXPECT_EQ(f.grid.GetItemText(4, 1), "r4c1");
    QMimeData empty;
    EXPECT_FALSE(f.grid.PasteTextToGrid({1, 1}, &empty, false));
}

TEST(GridClipboard, CommandsGoThroughTheClipboard) {
    wl::guitest::ScriptedUi ui;
    Fixture f;
    f.grid.SetSelectedRange(1, 1, 1, 2);
    f.grid.OnEditCut();
    EXPECT_EQ(ui.clipboardText, "r1c1\tr1c2");
    EXPECT_EQ(f.grid.GetItemText(1, 1), "");

    ui.clipboardText = "p\tq";
    f.grid.SetSelectedRange(3, 2, 3, 2);
    f.grid.OnEditPaste();
    EXPECT_EQ(f.grid.GetItemText(3, 2), "p");
    EXPECT_EQ(f.grid.GetItemText(3, 3), "q");

    SCOPED_TRACE("an open editor takes the paste");
    f.grid.SetSelectedRange(4, 1, 4, 1);
    f.grid.SetFocusCell(4, 1);
    f.grid.OnEditCell(4, 1, {-1, -1}, VK_LBUTTON);
    ui.clipboardText = "zz";
    f.grid.OnEditPaste();
    QLineEdit* editor = f.grid.GetCell(4, 1)->GetEditWnd();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->text().contains("zz"));
    EXPECT_EQ(f.grid.GetItemText(4, 1), "r4c1");

    SCOPED_TRACE("a read-only grid pastes nothing");
    f.grid.EndEditing();
    f.grid.SetEditable(false);
    ui.clipboardText = "no";
    f.grid.SetSelectedRange(5, 1, 5, 1);
    f.grid.OnEditPaste();
    EXPECT_EQ(f.grid.GetItemText(5, 1), "r5c1");
}

TEST(GridDragDrop, EffectsTargetsAndMoves) {
    Fixture f;
    f.grid.EnableDragAndDrop(true);
    ASSERT_NE(f.grid.GetDropTarget(), nullptr);
    EXPECT_TRUE(f.grid.GetDropTarget()->IsRegistered());
    EXPECT_TRUE(f.client()->acceptDrops());
    f.grid.SetItemState(2, 2, GIS_READONLY);
    const auto data = TextData("x\ty");
    auto at = [&](int r, int c) {
        const QPoint p = f.Centre(r, c);
        return wl::Point{p.x(), p.y()};
    };

    EXPECT_EQ(f.grid.OnDragEnter(data.get(), 0, at(2, 2)), CGridCtrl::DROPEFFECT_NONE);
    EXPECT_EQ(f.grid.OnDragEnter(data.get(), CGridCtrl::MK_CONTROL, at(3, 1)), CGridCtrl::DROPEFFECT_COPY);
    EXPECT_EQ(f.grid.OnDragOver(data.get(), 0, at(3, 2)), CGridCtrl::DROPEFFECT_MOVE);
    EXPECT_TRUE(f.grid.GetItemState(3, 2) & GIS_DROPHILITED);
    EXPECT_FALSE(f.grid.GetItemState(3, 1) & GIS_DROPHILITED);
    EXPECT_EQ(f.grid.OnDragOver(data.get(), 0, at(2, 2)), CGridCtrl::DROPEFFECT_NONE);
    // Another window gets nothing from the grid's drop target.
    wl::Window other;
    EXPECT_EQ(f.grid.GetDropTarget()->OnDragOver(&other, data.get(), 0, at(3, 2)), CGridCtrl::DROPEFFECT_NONE);
    EXPECT_EQ(f.grid.GetDropTarget()->OnDragScroll(&f.grid, CGridCtrl::MK_CONTROL, at(3, 2)),
              CGridCtrl::DROPEFFECT_COPY);

    EXPECT_TRUE(f.grid.OnDrop(data.get(), CGridCtrl::DROPEFFECT_MOVE, at(3, 2)));
    EXPECT_EQ(f.grid.GetItemText(3, 2), "x");
    EXPECT_EQ(f.grid.GetItemText(3, 3), "y");
    EXPECT_FALSE(f.grid.GetItemState(3, 2) & GIS_DROPHILITED);

    SCOPED_TRACE("a move clears the source; the drag names the range's first cell");
    f.grid.SetSelectedRange(4, 2, 5, 3);
    f.grid.dragResult = CGridCtrl::DROPEFFECT_MOVE;
    f.grid.OnBeginDrag();
    EXPECT_EQ(f.grid.dragged, "r4c2\tr4c3\nr5c2\tr5c3");
    EXPECT_EQ(f.grid.GetItemText(4, 2), "");
    EXPECT_EQ(f.grid.GetItemText(5, 3), "");
    ASSERT_EQ(f.parent.Count(GN_BEGINDRAG), 1);
    for (const auto& n : f.parent.notes)
        if (n.code == GN_BEGINDRAG) EXPECT_EQ(CGridCellId(n.row, n.col), CGridCellId(4, 2));

    f.grid.SetSelectedRange(1, 1, 1, 1);
    f.grid.dragResult = CGridCtrl::DROPEFFECT_COPY;
    f.grid.OnBeginDrag();
    EXPECT_EQ(f.grid.GetItemText(1, 1), "r1c1");

    f.grid.EnableDragAndDrop(false);
    EXPECT_FALSE(f.client()->acceptDrops());
    EXPECT_EQ(f.grid.OnDragEnter(data.get(), 0, at(3, 1)), CGridCtrl::DROPEFFECT_NONE);
}

// ---- printing ---------------------------------------------------------------------------------

namespace {

// A paint device that records the texts drawn on it.
class TextRecorder : public QPaintDevice {
public:
    class Engine : public QPaintEngine {
    public:
        std::vector<std::string> texts;
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts.push_back(item.text().toStdString()); }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        Type type() const override { return User; }
    };
    mutable Engine engine;
    QPaintEngine* paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return 827;
        case PdmHeight: return 1169;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 100;
        case PdmDepth: return 32;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }
};

bool Contains(const std::vector<std::string>& texts, const std::string& s) {
    for (const std::string& t : texts)
        if (t.find(s) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(GridPrint, PagesDownCountWhereTheSumOfRowsExceedsTheRoom) {
    // 25 rows of 20 px fill 500 px exactly: 100 rows need 4 pages.
    EXPECT_EQ(CGridCtrl::CountPages(std::vector<int>(100, 20), 500), 4);
    EXPECT_EQ(CGridCtrl::CountPages(std::vector<int>(101, 20), 500), 5);
    EXPECT_EQ(CGridCtrl::CountPages({}, 500), 1);
    EXPECT_EQ(CGridCtrl::PrintPageText(2, 3), "Page 2 of 3");
}

TEST(GridPrint, PdfHasTheCountedPagesAndHeaderAndFooterTexts) {
    GridFixtureT<CGridCtrl> f(101, 4, 1, 1, 400, 300);
    f.parent.SetWindowText("Träger Pos. 12");
    for (int r = 1; r < 101; ++r) f.grid.SetRowHeight(r, 20);

    const QString path = ShotPath("grid_print.pdf");
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    ASSERT_TRUE(f.grid.Print(pdf));
    const int room = f.grid.GetPrintRowRoom();
    ASSERT_GT(room, 20);
    const int rowsPerPage = room / 20;
    const int expectedPages = (100 + rowsPerPage - 1) / rowsPerPage;
    EXPECT_EQ(f.grid.GetPrintPagesDown(), expectedPages);
    EXPECT_EQ(f.grid.GetPrintPagesAcross(), 1);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "),
              expectedPages);

    SCOPED_TRACE("the texts of page 2 on a recording device");
    TextRecorder device;
    QPainter dc(&device);
    CPrintInfo info;
    f.grid.OnBeginPrinting(&dc, &info);
    ASSERT_GE(info.m_nMaxPage, 2);
    info.m_nCurPage = 2;
    f.grid.OnPrint(&dc, &info);
    f.grid.OnEndPrinting(&dc, &info);
    dc.end();
    EXPECT_TRUE(Contains(device.engine.texts, "Träger Pos. 12"));
    EXPECT_TRUE(Contains(device.engine.texts, "Page 2 of " + std::to_string(info.m_nMaxPage)));
    // Page 2 begins with the row after page 1's last.
    EXPECT_TRUE(Contains(device.engine.texts, "r" + std::to_string(1 + rowsPerPage) + "c1"));
    EXPECT_FALSE(Contains(device.engine.texts, "r" + std::to_string(rowsPerPage) + "c1"));
}

TEST(GridPrint, WithoutDeviceNothingHappens) {
    GridFixtureT<CGridCtrl> f;
    CPrintInfo info;
    info.m_nMaxPage = 7;
    f.grid.OnBeginPrinting(nullptr, &info);
    f.grid.OnPrint(nullptr, &info);
    EXPECT_EQ(info.m_nMaxPage, 7);
    EXPECT_EQ(f.grid.GetPrintPagesDown(), 0);
}

TEST(Screenshot, GridPrintedPage) {
    GridFixtureT<CGridCtrl> f(41, 4, 1, 1, 400, 300);
    f.parent.SetWindowText("Eingabe Auflager");
    QImage page(827, 1169, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937);  // 100 dpi
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    QPainter dc(&page);
    CPrintInfo info;
    f.grid.OnBeginPrinting(&dc, &info);
    ASSERT_GE(info.m_nMaxPage, 1);
    f.grid.OnPrint(&dc, &info);
    f.grid.OnEndPrinting(&dc, &info);
    dc.end();
    page.save(ShotPath("grid_printed_page1.png"));
    // Ink in the header band, in the cells and in the footer band.
    const int h = page.height();
    EXPECT_GT(wl::guitest::CountInk(page, QRect(0, 0, 827, h / 20), qRgb(255, 255, 255)), 20);
    EXPECT_GT(wl::guitest::CountInk(page, QRect(0, h / 5, 827, h / 2), qRgb(255, 255, 255)), 500);
    EXPECT_GT(wl::guitest::CountInk(page, QRect(0, h - h / 20, 827, h / 20), qRgb(255, 255, 255)), 20);
}

// ---- title tip ----------------------------------------------------------------------------------

TEST(GridTitleTip, ShownOnlyForTextThatDoesNotFit) {
    Fixture f;
    f.grid.SetColumnWidth(1, 40);
    f.grid.SetItemText(2, 1, "a rather long text for a narrow cell");
    f.grid.SetItemText(3, 1, "ok");
    f.grid.SetItemText(3, 2, "ok");
    f.parent.Widget()->activateWindow();
    f.grid.Widget()->setFocus();
    wl::guitest::ProcessEventsFor(20);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    f.grid.SetFocusCell(3, 2);

    auto at = [&](int r, int c) {
        const QPoint p = f.Centre(r, c);
        return wl::Point{p.x(), p.y()};
    };
    f.grid.ShowTitleTipAt(at(3, 2));
    EXPECT_TRUE(f.grid.GetTitleTip() == nullptr || !f.grid.GetTitleTip()->IsVisible());

    f.grid.ShowTitleTipAt(at(2, 1));
    CGridTipWnd* tip = f.grid.GetTitleTip();
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(tip->IsVisible());
    EXPECT_EQ(tip->GetText(), " a rather long text for a narrow cell ");
    wl::Rect cell;
    f.grid.GetCellRect(2, 1, cell);
    const QPoint topLeft = f.client()->mapToGlobal(QPoint(cell.left, cell.top));
    EXPECT_EQ(tip->GetWidget()->geometry().topLeft(), topLeft);
    EXPECT_GT(tip->GetWidget()->width(), 40);
    QImage img = wl::guitest::GrabToPng(tip->GetWidget(), "grid_title_tip");
    EXPECT_GT(wl::guitest::CountInk(img, img.rect(), img.pixel(0, 0)), 20);

    SCOPED_TRACE("a key hides the tip and reaches the grid");
    QTest::keyClick(tip->GetWidget(), Qt::Key_Down);
    wl::guitest::ProcessEventsFor(20);
    EXPECT_FALSE(tip->IsVisible());
    EXPECT_EQ(f.grid.GetFocusCell(), CGridCellId(4, 2));
}
