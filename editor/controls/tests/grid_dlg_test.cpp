// The table dialog: the column, drag, width and row commands on a small
// table, templates, the table written back into the text, the new table
// from the editor, and how the plan looks.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "editor/controls/GridDlg.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"
#include "testsupport/scratch.h"

namespace {

namespace fs = std::filesystem;
namespace gt = wl::guitest;
using Edges = std::vector<std::vector<int>>;

CRtfTableRow Row(std::vector<int> borders) {
    CRtfTableRow r;
    r.borders = std::move(borders);
    for (size_t i = 0; i < r.borders.size(); ++i) r.texts.push_back(" t" + std::to_string(i));
    r.nCells = static_cast<int>(r.borders.size());
    return r;
}

Edges EdgesOf(const CGridDlg& d) {
    Edges e;
    for (const CRtfTableRow& r : d.rows) e.push_back(r.borders);
    return e;
}

// Twips as the centimetres a drag or the width field gives.
double Cm(double twips) { return twips / 566.9291338582676; }

TEST(GridDlg, ColumnDragAndWidthCommands) {
    struct Case {
        const char* what;
        Edges before;
        std::function<void(CGridDlg&)> op;
        Edges after;
        int messages;
    };
    const Edges table = {{1001, 2000, 3000}, {1001, 2000, 3000}};
    auto pick = [](int id, int command) {
        return [=](CGridDlg& d) {
            d.Pick(id);
            d.PlanCommand(command);
        };
    };
    auto drag = [](double twips) {
        return [=](CGridDlg& d) {
            d.Pick(3 + 1);  // the edge between columns 1 and 2
            d.DragEdge(Cm(twips));
        };
    };
    auto width = [](int mode, double cm) {
        return [=](CGridDlg& d) {
            d.widthMode = mode;
            d.newWidth = cm;
            d.ChangeTotalWidth();
        };
    };
    const std::vector<Case> cases = {
        {"insert left of 1001 twips: new 501, picked 500", table, pick(1, 2001),
         {{501, 1001, 2000, 3000}, {501, 1001, 2000, 3000}}, 0},
        {"insert right: picked 501, new 500", table, pick(1, 3001), {{501, 1001, 2000, 3000}, {501, 1001, 2000, 3000}}, 0},
        {"delete the middle: the right neighbour takes its width", table, pick(2, 1002), {{1001, 3000}, {1001, 3000}}, 0},
        {"delete the last: the table narrower", table, pick(3, 1003), {{1001, 2000}, {1001, 2000}}, 0},
        {"edge onto its neighbour: width 0", table, drag(999), {{2000, 2000, 3000}, {2000, 2000, 3000}}, 0},
        {"one twip further: refused", table, drag(1000), table, 0},
        // A length becomes twips as the integer part of twips + 0.5: -1001.5 gives -1001.
        {"left onto 0: width 0", table, drag(-1001.5), {{0, 2000, 3000}, {0, 2000, 3000}}, 0},
        {"left beyond 0: refused", table, drag(-1002.5), table, 0},
        {"total width 0.1 cm: nothing", table, width(CGridDlg::kAllEvenly, 0.1), table, 0},
        {"all evenly scales and truncates", table, width(CGridDlg::kAllEvenly, Cm(4500)),
         {{1501, 3000, 4500}, {1501, 3000, 4500}}, 0},
        {"all evenly on a table without width: nothing", {{0, 0}}, width(CGridDlg::kAllEvenly, 5.0), {{0, 0}}, 0},
        {"first column: every edge moves", table, width(CGridDlg::kFirstColumn, Cm(2500)),
         {{501, 1500, 2500}, {501, 1500, 2500}}, 0},
        {"first column one row cannot take: no row changes", {{1001, 2000, 3000}, {520, 2000, 3000}},
         width(CGridDlg::kFirstColumn, Cm(2500)), {{1001, 2000, 3000}, {520, 2000, 3000}}, 1},
        {"last column down to 50 twips", table, width(CGridDlg::kLastColumn, Cm(2050)),
         {{1001, 2000, 2050}, {1001, 2000, 2050}}, 0},
        {"last column below 50 twips: refused", table, width(CGridDlg::kLastColumn, Cm(2049)), table, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsys::ScopedRecordingSink sink;
        CGridDlg d;
        for (const auto& e : c.before) d.rows.push_back(Row(e));
        c.op(d);
        EXPECT_EQ(EdgesOf(d), c.after);
        EXPECT_EQ(static_cast<int>(sink.messages.size()), c.messages);
        for (const CRtfTableRow& r : d.rows) EXPECT_EQ(r.texts.size(), r.borders.size());
    }
    // The inserted cells' texts: left " " before the picked text, right "" behind it.
    CGridDlg left, right;
    left.rows = right.rows = {Row({1001, 2000})};
    left.Pick(1);
    left.PlanCommand(2001);
    right.Pick(1);
    right.PlanCommand(3001);
    EXPECT_EQ(left.rows[0].texts, (std::vector<std::string>{" ", " t0", " t1"}));
    EXPECT_EQ(right.rows[0].texts, (std::vector<std::string>{" t0", "", " t1"}));
}

TEST(GridDlg, RowsAndColumnsWrittenBack) {
    // A table read from a text: fewer rows mark the surplus deleted, and on
    // writing back their ranges leave the text.
    std::string rtf;
    BuildTableRtf(3, 2, {1000, 1000}, {"a", "b", "c", "d", "e", "f"}, rtf);
    CGridDlg d;
    ASSERT_EQ(ParseTableRtf(rtf, d.rows), 3);
    d.DrawPlan();
    EXPECT_EQ(d.rowCount, 3);
    EXPECT_EQ(d.columnCount, 2);
    d.rowCount = 1;
    d.columnCount = 3;
    d.ChangeRowsAndColumns();
    EXPECT_EQ(d.rowCount, 1);
    EXPECT_EQ(d.rows[1].bDeleted, 1);
    EXPECT_EQ(d.rows[2].bDeleted, 1);
    // An added column is 1 cm wide, its text " ".
    EXPECT_EQ(d.rows[0].borders, (std::vector<int>{1000, 2000, 2567}));
    EXPECT_EQ(d.rows[0].texts.back(), " ");
    WriteRowsBack(rtf, d.rows, "\\par}");
    std::vector<CRtfTableRow> back;
    ASSERT_EQ(ParseTableRtf(rtf, back), 1);
    EXPECT_EQ(back[0].borders, (std::vector<int>{1000, 2000, 2567}));
    EXPECT_EQ(back[0].texts, (std::vector<std::string>{" a", " b", " "}));
    // More rows: copies of the last with blank texts, written before the end.
    d.rowCount = 3;
    ParseTableRtf(rtf, d.rows);
    d.ChangeRowsAndColumns();
    ASSERT_EQ(d.rows.size(), 3u);
    EXPECT_EQ(d.rows[2].start, -1);
    WriteRowsBack(rtf, d.rows, "\\par}");
    ASSERT_EQ(ParseTableRtf(rtf, back), 3);
    EXPECT_EQ(back[2].texts, (std::vector<std::string>{" ", " ", " "}));
    EXPECT_EQ(back[0].texts[0], " a");
}

TEST(GridDlg, Templates) {
    test_support::ScratchDir dir("grid_dlg_templates");
    const std::string file = (dir.path() / "drei.ttp").string();
    CGridDlg d;
    d.rows = {Row({1134, 2268, 4536})};
    d.columnCount = 3;
    d.rowCount = 4;
    gt::ScriptedUi ui;
    ui.fileAnswers.push_back(file);
    d.SaveTemplate();
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].defaultExt, "ttp");
    CTableTemplate t;
    ASSERT_TRUE(ReadTableTemplate(file, t));
    EXPECT_EQ(t.nCol, 3);
    EXPECT_EQ(t.nRow, 4);
    EXPECT_EQ(t.nWidth, 4536);
    EXPECT_EQ(t.widths, (std::vector<int>{1134, 1134, 2268}));
    // An existing file and the answer No: unchanged.
    std::ifstream in(file, std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    d.rows = {Row({500})};
    {
        winsys::ScopedRecordingSink sink;
        sink.scriptedAnswers = {winsys::IdNo};
        ui.fileAnswers.push_back(file);
        d.SaveTemplate();
        EXPECT_EQ(sink.messages.size(), 1u);
    }
    std::ifstream again(file, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), before);
    // Loading a template with more columns: new cells " ", the rows' count
    // only in the field.
    CGridDlg two;
    two.rows = {Row({1000, 2000}), Row({1000, 2000})};
    ui.fileAnswers.push_back(file);
    two.LoadTemplate();
    EXPECT_EQ(EdgesOf(two), (Edges{{1134, 2268, 4536}, {1134, 2268, 4536}}));
    EXPECT_EQ(two.rows[0].texts, (std::vector<std::string>{" t0", " t1", " "}));
    EXPECT_EQ(two.rowCount, 4);
    EXPECT_EQ(two.rows.size(), 2u);
    // A file without "table" or that does not open is ignored.
    const std::string other = (dir.path() / "leer.ttp").string();
    const ZVDOC doc = ZEVUD_CreateDoc(other.c_str());
    ZEVUD_SaveDoc(doc);
    ZEVUD_CloseDoc(doc);
    for (const std::string& f : {other, (dir.path() / "fehlt.ttp").string()}) {
        winsys::ScopedRecordingSink sink;
        ui.fileAnswers.push_back(f);
        two.LoadTemplate();
        EXPECT_EQ(EdgesOf(two), (Edges{{1134, 2268, 4536}, {1134, 2268, 4536}})) << f;
    }
}

TEST(GridDlg, NewTableFromTheEditorKeepsItsLayoutAsDefault) {
    editortest::Editor e;
    e.Fill(editortest::Page({"Tabelle:"}));
    gt::ScriptedUi ui;
    ui.OnModal(CGridDlg::kTemplateId, [](wl::Dialog& d) {
        gt::TypeText(d, CGridDlg::kColumnsId, "3");
        gt::TypeText(d, CGridDlg::kRowsId, "2");
        gt::Click(d, CGridDlg::kRowsColsNowId);
        gt::Click(d, wl::IDOK);
    });
    e.CaretToEnd();
    e.dlg.SendCommand(11541);
    e.dlg.TransferData(true);
    const std::string page = e.doc.pages.GetText(0);
    std::vector<CRtfTableRow> rows;
    ASSERT_EQ(ParseTableRtf(page, rows), 2) << page;
    EXPECT_EQ(rows[0].borders.size(), 3u);
    EXPECT_EQ(e.doc.tableDefaults.nCol, 3);
    EXPECT_EQ(e.doc.tableDefaults.nRow, 2);
    EXPECT_EQ(e.doc.tableDefaults.colWidths, (std::vector<int>{2835, 850, 283}));
    // The defaults are stored with the document.
    const ZVDOC doc = ZEVUD_CreateDoc("");
    const ZVELEM quill = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "Quill");
    e.doc.Save(quill, 0);
    const ZVELEM prop = ZEVUD_FindFirstChild(quill, "tableProp");
    ASSERT_NE(prop, 0);
    EXPECT_EQ(ZEVUD_GetInt(prop, "nCol"), 3);
    EXPECT_EQ(ZEVUD_GetInt(prop, "nRow"), 2);
    ZEVUD_CloseDoc(doc);
    // Abbrechen leaves text and defaults.
    ui.OnModal(CGridDlg::kTemplateId, [](wl::Dialog& d) {
        gt::TypeText(d, CGridDlg::kColumnsId, "5");
        gt::Click(d, CGridDlg::kRowsColsNowId);
        gt::Click(d, wl::IDCANCEL);
    });
    const std::string text = e.Text();
    e.dlg.SendCommand(11541);
    EXPECT_EQ(e.Text(), text);
    EXPECT_EQ(e.doc.tableDefaults.nCol, 3);
}

TEST(GridDlg, ChangeTableMessages) {
    editortest::Editor e;
    e.Fill(editortest::Page({"kein Tisch"}));
    winsys::ScopedRecordingSink sink;
    gt::ScriptedUi ui;
    e.dlg.Text().SetSel(0, -1);
    e.dlg.SendCommand(11542);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Bitte zunächst die zu ändernde Tabelle markieren.");
    EXPECT_TRUE(ui.modalRuns.empty());
}

TEST(GridDlg, Screenshot) {
    CGridDlg dlg;
    dlg.rows = {Row({1701, 2835, 5669, 9071}), Row({1701, 2835, 5669, 9071})};
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    dlg.Pick(2);
    gt::ProcessEventsFor(30);
    const QImage img = gt::GrabToPng(dlg, "editor_table_dialog");
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(dlg.GetDlgItemText(CGridDlg::kWidthTextId), "Aktuell: 16.0 cm ändern auf:");
    EXPECT_EQ(dlg.GetDlgItemText(CGridDlg::kColumnsId), "4");
    // One drawn column per column: the picked one in its colour, and along a
    // line through the table one grey strip edge per column boundary.
    const QRect plan = gt::RectIn(dlg.GetDlgItemWidget(CGridDlg::kGraphId), dlg.Widget());
    const int picked = gt::CountPixels(img, plan, [](QRgb p) { return gt::Near(p, qRgb(0xC0, 0x40, 0x40), 30); });
    EXPECT_GT(picked, 40);
    kurvo::Graph2D& g = dlg.GraphWindow().Graph();
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(g.HasGroup(k)) << k;
    for (int k = 5; k <= 7; ++k) EXPECT_TRUE(g.HasGroup(k)) << k;
    EXPECT_FALSE(g.HasGroup(8));
    // Each column's strip lies in its own stretch of the plan.
    std::vector<double> lefts;
    for (int k = 1; k <= 4; ++k) lefts.push_back(g.GroupBox(k).x1);
    EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end()));
    EXPECT_EQ(g.Menu().size(), 3u);
}

}  // namespace
