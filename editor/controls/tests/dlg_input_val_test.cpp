// The input-value dialog: one row per value with two decimals and the unit,
// OK writes the typed values back, Cancel leaves them; how it looks.
#include <gtest/gtest.h>

#include <QWidget>
#include <string>
#include <vector>

#include "editor/controls/DlgInputVal.h"
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
