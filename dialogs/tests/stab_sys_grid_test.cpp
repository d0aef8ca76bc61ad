// The member-system input grid: supports and spans, sums, the entry row,
// copies, springs and the help snippets.
#include <gtest/gtest.h>

#include <QImage>

#include "dialogs/SpringValDlg.h"
#include "dialogs/StabSysGrid.h"
#include "formula/VariableTable.h"
#include "module/frame/ModuleState.h"
#include "platform/wl/testing/gui_test.h"
#include "support/dialog_parent.h"

namespace {

using G = CStabSysGrid;

class System : public dialogtest::GridOnParent<CStabSysGrid> {
public:
    explicit System(std::vector<double> lengths = {5.0}) : GridOnParent<CStabSysGrid>(900, 240) {
        grid.InitGrid();
        grid.SetData(int(lengths.size()));
        for (size_t i = 0; i < lengths.size(); ++i) grid.Lengths()[i] = CFormulaValue(lengths[i]);
        grid.ExchangeData(false);
    }
    void Edit(int row, int col, const std::string& text) {
        grid.SetFocusCell(row, col);
        grid.OnEndEditCell(row, col, text);
    }
};

std::vector<std::string> g_tips;
void RecordTip(const char* file) { g_tips.push_back(file); }

}  // namespace

TEST(StabSysGrid, OneFieldHasTwoSupportRowsAndTheEntryRow) {
    System f;
    EXPECT_EQ(f.grid.GetRowCount(), 4);
    for (int c : {int(G::COL_FIELD), int(G::COL_LENGTH), int(G::COL_SUM), int(G::COL_BEDDING)})
        EXPECT_FALSE(f.grid.IsCellEnabled(1, c)) << c;
    EXPECT_TRUE(f.grid.IsCellEnabled(2, G::COL_LENGTH));
    EXPECT_EQ(f.grid.GetItemText(2, G::COL_LENGTH), "5.00 m");
    EXPECT_EQ(f.grid.GetItemText(3, G::COL_LENGTH), "");  // the entry row
    EXPECT_FALSE(f.grid.IsColumnVisible(G::COL_SECTION));
    EXPECT_FALSE(f.grid.IsColumnVisible(G::COL_FIRST_FIXITY + 6));
}

TEST(StabSysGrid, SumsFollowTheLengthsAndFormulaTextIsKept) {
    System f({1.0, 1.0, 1.0});
    CVariableTable table;
    table.Define("a", "", "m", 2.0);
    f.grid.Lengths()[0] = CFormulaValue(3.0);
    CFormulaValue formula;
    formula.SetVariableTable(&table);
    formula.SetFromText("a*2");
    f.grid.Lengths()[1] = formula;
    f.grid.Lengths()[2] = CFormulaValue(4.5);
    f.grid.ExchangeData(false);
    EXPECT_EQ(f.grid.GetItemText(2, G::COL_SUM), "3.00 m");
    EXPECT_EQ(f.grid.GetItemText(3, G::COL_SUM), "7.00 m");
    EXPECT_EQ(f.grid.GetItemText(4, G::COL_SUM), "11.50 m");
    EXPECT_EQ(f.grid.GetFormulaCell(3, G::COL_LENGTH).GetText(), "a*2");
}

TEST(StabSysGrid, EntryRowAndLastLength) {
    {
        System f;
        f.Edit(3, G::COL_LENGTH, "4,5");  // the entry row adds a field
        ASSERT_EQ(f.grid.FieldCount(), 2);
        EXPECT_DOUBLE_EQ(f.grid.Lengths()[1].GetValue(), 4.5);
        EXPECT_EQ(f.grid.GetItemText(3, G::COL_SUM), "9.50 m");
        EXPECT_EQ(f.grid.GetRowCount(), 5);
        f.Edit(4, G::COL_LENGTH, "0");  // the entry row: nothing
        EXPECT_EQ(f.grid.FieldCount(), 2);
    }
    {
        SCOPED_TRACE("0 as the only length keeps the field and its length");
        System f;
        f.Edit(2, G::COL_LENGTH, "0");
        ASSERT_EQ(f.grid.FieldCount(), 1);
        EXPECT_DOUBLE_EQ(f.grid.Lengths()[0].GetValue(), 5.0);
    }
    {
        SCOPED_TRACE("0 as the last of three lengths removes the last field");
        System f({1.0, 2.0, 3.0});
        f.Edit(4, G::COL_LENGTH, "0");
        ASSERT_EQ(f.grid.FieldCount(), 2);
        EXPECT_DOUBLE_EQ(f.grid.Lengths()[1].GetValue(), 2.0);
        EXPECT_EQ(f.grid.GetRowCount(), 5);
    }
}

TEST(StabSysGrid, CopyAndDeleteAField) {
    System f({1.0, 2.0, 3.0});
    f.grid.Supports()[2].SetValueByIdx(2, CFormulaValue(-1.0), 0);  // the support after span 2
    f.grid.ExchangeData(false);
    f.grid.OnContextMenuCommand(3, 2, G::CMD_COPY);
    ASSERT_EQ(f.grid.FieldCount(), 4);
    EXPECT_DOUBLE_EQ(f.grid.Lengths()[2].GetValue(), 2.0);
    EXPECT_DOUBLE_EQ(f.grid.Lengths()[3].GetValue(), 3.0);
    ASSERT_EQ(f.grid.Supports().size(), 5u);
    EXPECT_EQ(f.grid.GetCheckCell(4, G::COL_FIRST_FIXITY + 2), 1);
    f.grid.OnContextMenuCommand(2, 2, G::CMD_DELETE);
    ASSERT_EQ(f.grid.FieldCount(), 3);
    EXPECT_DOUBLE_EQ(f.grid.Lengths()[0].GetValue(), 2.0);
    f.grid.OnContextMenuCommand(1, 2, G::CMD_DELETE);  // the first support has no span: ignored
    EXPECT_EQ(f.grid.FieldCount(), 3);
}

TEST(StabSysGrid, SpringCellsInfoAndHelpSnippets) {
    System f;
    f.grid.Supports()[1].SetValueByIdx(2, CFormulaValue(12345.0), 0);
    f.grid.ExchangeData(false);
    const int cz = G::COL_FIRST_FIXITY + 2;
    EXPECT_FALSE(f.grid.IsCellEnabled(2, cz));  // the box of a spring is read-only
    EXPECT_EQ(f.grid.GetCheckCell(2, cz), 1);
    EXPECT_EQ(f.grid.GetItemText(2, G::COL_SPRINGS), "-> Federwerte <-");
    EXPECT_EQ(f.grid.GetItemText(1, G::COL_SPRINGS), "Federwerte");
    EXPECT_EQ(f.grid.GetCellInfo(2, cz), "1.2345e+04 kN/m");
    EXPECT_EQ(f.grid.GetCellInfo(1, cz), "");

    g_tips.clear();
    SetShowRtfTipFunc(nullptr);
    EXPECT_EQ(f.grid.GetCellInfoFile(2, cz), "1.2345e+04 kN/m");
    EXPECT_TRUE(g_tips.empty());
    SetShowRtfTipFunc(&RecordTip);
    f.grid.GetCellInfoFile(2, cz);
    f.grid.GetCellInfoFile(2, G::COL_LENGTH);
    SetShowRtfTipFunc(nullptr);
    EXPECT_EQ(g_tips, (std::vector<std::string>{"common_stabSysGrid_cz.rtf", "common_stabSysGrid_fieldLength.rtf"}));

    SCOPED_TRACE("ticking a fixed box on a free support fixes it");
    const int cx = G::COL_FIRST_FIXITY;
    f.grid.SetCheckCell(1, cx, 0);
    f.grid.SetFocusCell(1, cx);
    f.grid.OnCheckCellClicked(1, cx);
    CFormulaValue v;
    int kind = 0;
    f.grid.Supports()[0].GetValueByIdx(0, v, kind);
    EXPECT_EQ(v.GetValue(), 0.0);
    f.grid.SetCheckCell(1, cx, 1);
    f.grid.OnCheckCellClicked(1, cx);
    f.grid.Supports()[0].GetValueByIdx(0, v, kind);
    EXPECT_EQ(v.GetValue(), -1.0);
}

TEST(StabSysGrid, SpringDialogFromTheButton) {
    wl::guitest::ScriptedUi ui;
    ui.OnModal(CSpringValDlg::kTemplateId, [](wl::Dialog& d) {
        wl::guitest::ChooseComboItem(d, CSpringValDlg::IDC_PRESET, 2);  // "Gelenkig"
        wl::guitest::Click(d, wl::IDOK);
    });
    System f({4.0, 4.0});
    f.grid.Supports()[1].SetValueByIdx(2, CFormulaValue(800.0), 0);
    f.grid.ExchangeData(false);
    f.grid.OnButtonCellClicked(2, G::COL_SPRINGS);
    ASSERT_EQ(ui.modalRuns.size(), 1u);
    for (int d = 0; d < 7; ++d) {
        CFormulaValue v;
        int kind = 0;
        f.grid.Supports()[1].GetValueByIdx(d, v, kind);
        EXPECT_EQ(v.GetValue(), d < 3 ? -1.0 : 0.0) << d;
    }
    EXPECT_EQ(f.grid.GetItemText(2, G::COL_SPRINGS), "Federwerte");
}

TEST(Screenshot, StabSysGrid) {
    System f({6.0, 4.5, 6.0});
    f.grid.Supports()[0].SetValueByIdx(2, CFormulaValue(-1.0), 0);
    f.grid.Supports()[1].SetValueByIdx(2, CFormulaValue(12345.0), 0);
    f.grid.Supports()[3].SetValueByIdx(2, CFormulaValue(-1.0), 0);
    f.grid.Beddings()[1] = CFormulaValue(5000.0);
    f.grid.ExchangeData(false);
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(f.parent, "dialogs_stab_sys_grid");
    long long total = 0;
    for (int c = 0; c < f.grid.GetColumnCount(); ++c) total += f.grid.GetColumnWidth(c);
    EXPECT_EQ(total, f.grid.GetGridClientRect().Width());
    // The spring's read-only box lies on grey.
    const QRect grid = wl::guitest::RectIn(f.grid.Widget(), f.parent.Widget());
    wl::Rect r;
    f.grid.GetCellRect(2, G::COL_FIRST_FIXITY + 2, r);
    const QRect corner(grid.left() + r.left + 1, grid.top() + r.top + 1, 3, 3);
    const QRgb grey = ToQColor(CExtGridCtrl::kReadOnlyBack).rgb();
    EXPECT_GT(wl::guitest::CountPixels(img, corner, [&](QRgb c) { return wl::guitest::Near(c, grey, 4); }), 4);
}
