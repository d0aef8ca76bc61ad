// The formula overview from the editor: rows of the text's formulas, the
// export and input boxes and what OK, unticking and Abbrechen store; how
// the dialog looks.
#include <gtest/gtest.h>

#include <QWidget>

#include "editor/controls/DlgFormula.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;
using editortest::Editor;
using editortest::Page;

bool SameValues(const std::vector<CNamedValue>& a, const std::vector<CNamedValue>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].desc != b[i].desc || a[i].varName != b[i].varName || a[i].unit != b[i].unit) return false;
    return true;
}

struct Overview : Editor {
    Overview() {
        Fill(Page({"Querschnitt", "b = 20", "h = 30", "A = b*h = #.##"}, {false, true, true, true}));
        doc.exportValues = {{"Fläche", "A", "cm2", 0}, {"Breite (Export)", "b", "mm", 0}};
        doc.inputValues = {{"Breite", "b", "cm", 0}};
    }
    // Runs the overview with a script on the open dialog.
    void Run(const std::function<void(CDlgFormula&)>& script) {
        gt::ScriptedUi ui;
        ui.OnModal(CDlgFormula::kTemplateId, [&](wl::Dialog& d) { script(static_cast<CDlgFormula&>(d)); });
        dlg.SendCommand(11545);
        EXPECT_EQ(ui.modalRuns, std::vector<int>{CDlgFormula::kTemplateId});
    }
};

TEST(DlgFormula, RowsOfTheFormulasWithTheirBoxes) {
    Overview o;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<int>> boxes;
    std::vector<bool> textsEditable;
    o.Run([&](CDlgFormula& d) {
        CFormulaGrid& g = d.grid;
        for (int r = 0; r < g.GetRowCount(); ++r) {
            rows.push_back({g.GetItemText(r, 0), g.GetItemText(r, 1), g.GetItemText(r, 2), g.GetItemText(r, 3),
                            g.GetItemText(r, 4)});
            if (r > 0) {
                boxes.push_back({g.GetCheckCell(r, 5), g.GetCheckCell(r, 6)});
                textsEditable.push_back(g.IsCellEnabled(r, 0) && g.IsCellEnabled(r, 4));
            }
        }
        gt::Click(d, wl::IDOK);
    });
    ASSERT_EQ(rows.size(), 4u) << ::testing::PrintToString(rows);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Bezeichnung", "Variable", "Ausdruck", "Ergebnis", "Einheit"}));
    // b is exported and an input value: one row, both boxes, the input's texts.
    EXPECT_EQ(rows[1][0], "Breite");
    EXPECT_EQ(rows[1][1], "b");
    EXPECT_EQ(rows[1][4], "cm");
    EXPECT_EQ(boxes[0], (std::vector<int>{1, 1}));
    EXPECT_EQ(rows[2][1], "h");
    EXPECT_EQ(boxes[1], (std::vector<int>{0, 0}));
    EXPECT_EQ(rows[3][1], "A");
    EXPECT_EQ(rows[3][3], "600");  // 20 x 30
    EXPECT_EQ(boxes[2], (std::vector<int>{1, 0}));
    EXPECT_EQ(textsEditable, (std::vector<bool>{true, false, true}));
    // OK stores b in both lists with the same texts.
    const std::vector<CNamedValue> exported = {{"Breite", "b", "cm", 0}, {"Fläche", "A", "cm2", 0}};
    EXPECT_TRUE(SameValues(o.doc.exportValues, exported));
    EXPECT_TRUE(SameValues(o.doc.inputValues, {{"Breite", "b", "cm", 0}}));
    EXPECT_DOUBLE_EQ(o.doc.exportValues[1].value, 600.0);
}

TEST(DlgFormula, UntickedRowsAreNotStoredAndCancelKeepsAll) {
    {
        Overview o;
        bool editable = true;
        o.Run([&](CDlgFormula& d) {
            // Both boxes of b off: its texts become read-only and are not stored.
            d.grid.SetCheckCell(1, 5, 0);
            d.grid.OnCheckCellClicked(1, 5);
            d.grid.SetCheckCell(1, 6, 0);
            d.grid.OnCheckCellClicked(1, 6);
            editable = d.grid.IsCellEnabled(1, 0);
            // h ticked for export gets texts.
            d.grid.SetCheckCell(2, 5, 1);
            d.grid.OnCheckCellClicked(2, 5);
            d.grid.SetTextCell(2, 0, "Höhe");
            gt::Click(d, wl::IDOK);
        });
        EXPECT_FALSE(editable);
        EXPECT_TRUE(SameValues(o.doc.exportValues, {{"Höhe", "h", "", 0}, {"Fläche", "A", "cm2", 0}}));
        EXPECT_TRUE(o.doc.inputValues.empty());
    }
    {
        Overview o;
        const std::vector<CNamedValue> exported = o.doc.exportValues, input = o.doc.inputValues;
        o.Run([&](CDlgFormula& d) {
            d.grid.SetCheckCell(1, 5, 0);
            d.grid.OnCheckCellClicked(1, 5);
            gt::Click(d, wl::IDCANCEL);
        });
        EXPECT_TRUE(SameValues(o.doc.exportValues, exported));
        EXPECT_TRUE(SameValues(o.doc.inputValues, input));
    }
    {
        // A text without formulas: the header row only; OK empties both lists.
        Overview o;
        o.Fill(Page({"Nur Text"}));
        int rowCount = -1;
        o.Run([&](CDlgFormula& d) {
            rowCount = d.grid.GetRowCount();
            gt::Click(d, wl::IDOK);
        });
        EXPECT_EQ(rowCount, 1);
        EXPECT_TRUE(o.doc.exportValues.empty());
        EXPECT_TRUE(o.doc.inputValues.empty());
    }
}

TEST(DlgFormula, Screenshot) {
    std::vector<CFormulaRecord> records(2);
    records[0].kind = CFormulaRecord::Definition;
    records[0].name = "b";
    records[0].expression = "20";
    records[0].result = "20";
    records[1].kind = CFormulaRecord::Definition;
    records[1].name = "A";
    records[1].expression = "b*h";
    records[1].result = "600";
    std::vector<CNamedValue> exported = {{"Fläche", "A", "cm2", 0}}, input;
    CDlgFormula dlg;
    dlg.grid.records = &records;
    dlg.grid.exportValues = &exported;
    dlg.grid.inputValues = &input;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    const QImage img = gt::GrabToPng(dlg, "editor_formula_overview");
    ASSERT_FALSE(img.isNull());
    const QRect grid = gt::RectIn(dlg.GetDlgItemWidget(CDlgFormula::kGridId), dlg.Widget());
    EXPECT_GT(gt::CountInk(img, grid, qRgb(255, 255, 255)), 300);
    EXPECT_EQ(dlg.grid.GetRowCount(), 3);
    // The widths 20 : 10 : 20 : 5 : 5 : 5 : 5.
    EXPECT_NEAR(double(dlg.grid.GetColumnWidth(0)) / dlg.grid.GetColumnWidth(3), 4.0, 0.3);
}

}  // namespace
