// The input-value dialog: one row per value with two decimals and the unit,
// OK writes the typed values back, Cancel leaves them; how it looks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QTextEdit>
#include <QWidget>
#include <string>
#include <vector>

#include "dialogs/SimpleImportDlg.h"
#include "editor/controls/DlgInputVal.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;

std::vector<CNamedValue> Three() {
    return {{"Spannweite", "L", "m", 6.0}, {"Last", "q", "kN/m", 12.345}, {"Ausnutzung", "eta", "%", 87.5}};
}

TEST(DlgInputVal, RowsOkAndCancel) {
    struct Case {
        int answer;
        double typedLast;  // what q holds afterwards
    };
    for (const Case& c : {Case{wl::IDOK, 20.5}, Case{wl::IDCANCEL, 12.345}}) {
        std::vector<CNamedValue> values = Three();
        gt::ScriptedUi ui;
        std::vector<std::string> rows, names;
        ui.OnModal(CDlgInputVal::kTemplateId, [&](wl::Dialog& d) {
            auto& dlg = static_cast<CDlgInputVal&>(d);
            ASSERT_EQ(dlg.grid.GetRowCount(), 3);
            ASSERT_EQ(dlg.grid.GetColumnCount(), 2);
            for (int r = 0; r < 3; ++r) {
                names.push_back(dlg.grid.GetItemText(r, 0));
                rows.push_back(dlg.grid.GetItemText(r, 1));
            }
            dlg.grid.OnEndEditCell(1, 1, "20,5");  // typed with a decimal comma
            gt::Click(dlg, c.answer);
        });
        CDlgInputVal dlg;
        dlg.values = &values;
        EXPECT_EQ(dlg.DoModal(), c.answer);
        EXPECT_EQ(names, (std::vector<std::string>{"Spannweite", "Last", "Ausnutzung"}));
        EXPECT_EQ(rows, (std::vector<std::string>{"6.00 [m]", "12.35 [kN/m]", "87.50 [%]"}));
        EXPECT_DOUBLE_EQ(values[1].value, c.typedLast) << c.answer;
        EXPECT_DOUBLE_EQ(values[0].value, 6.0);
        EXPECT_EQ(values[1].unit, "kN/m");
    }
}

TEST(DlgInputVal, InputValuesWrittenIntoTheDefinitionsAndCalculated) {
    struct Case {
        int answer;
        const char* definition;
        const char* result;
    };
    for (const Case& c : {Case{wl::IDOK, "L = 7.25", "M = L*2 = 14.50"}, Case{wl::IDCANCEL, "L = 6.00", "M = L*2 = 12.00"}}) {
        editortest::Editor e;
        e.Fill(editortest::Page({"L = 6.00", "M = L*2 = #.##"}, {true, true}));
        e.doc.inputValues = {{"Spannweite", "L", "m", 6.0}};
        gt::ScriptedUi ui;
        ui.OnModal(CDlgInputVal::kTemplateId, [&](wl::Dialog& d) {
            static_cast<CDlgInputVal&>(d).grid.OnEndEditCell(0, 1, "7,25");
            gt::Click(d, c.answer);
        });
        e.dlg.SendCommand(40052);  // Shift+F5
        EXPECT_EQ(ui.modalRuns, std::vector<int>{CDlgInputVal::kTemplateId});
        const std::string text = e.Text();
        EXPECT_NE(text.find(c.definition), std::string::npos) << text;
        EXPECT_NE(text.find(c.result), std::string::npos) << text;
    }
    // A document without input values asks nothing.
    editortest::Editor e;
    e.Fill(editortest::Page({"L = 6"}, {true}));
    gt::ScriptedUi ui;
    e.dlg.SendCommand(40052);
    EXPECT_TRUE(ui.modalRuns.empty());
}

TEST(DlgInputVal, SingleValueDeclinedChangesNothing) {
    editortest::Editor e;
    e.Fill(editortest::Page({"Text"}));
    gt::ScriptedUi ui;
    ui.OnModal(IDD_SIMPLE_IMPORT, [](wl::Dialog& d) { gt::Click(d, wl::IDCANCEL); });
    e.dlg.Text().SetSel(0, 4);
    // "Wertübernahme\Einzelwert direkt übernehmen" of the context menu.
    ui.menuAnswers.push_back(400);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(10, 10));
    QApplication::sendEvent(e.dlg.Text().Edit()->viewport(), &menu);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{IDD_SIMPLE_IMPORT});
    EXPECT_EQ(e.Text(), "Text");
}

TEST(DlgInputVal, Screenshot) {
    std::vector<CNamedValue> values = Three();
    CDlgInputVal dlg;
    dlg.values = &values;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    const QImage img = gt::GrabToPng(dlg, "editor_input_values_dialog");
    ASSERT_FALSE(img.isNull());
    // The grid shares its width 75 : 25 between description and value.
    const int w0 = dlg.grid.GetColumnWidth(0), w1 = dlg.grid.GetColumnWidth(1);
    EXPECT_NEAR(double(w0) / (w0 + w1), 0.75, 0.03);
    const QRect grid = gt::RectIn(dlg.GetDlgItemWidget(CDlgInputVal::kGridId), dlg.Widget());
    EXPECT_GT(gt::CountInk(img, grid, img.pixel(2, 2)), 200);
    for (int id : {wl::IDOK, wl::IDCANCEL}) {
        const QRect b = gt::RectIn(dlg.GetDlgItemWidget(id), dlg.Widget());
        EXPECT_GT(b.top(), grid.bottom());
        EXPECT_GT(gt::CountInk(img, b.adjusted(3, 3, -3, -3), img.pixel(b.left() + 3, b.top() + 3)), 10);
    }
}

}  // namespace
