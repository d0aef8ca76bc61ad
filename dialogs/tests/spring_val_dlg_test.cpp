// The spring values of a support: the grid's rows and states, the presets
// of the dialog and a scripted run.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>

#include "dialogs/SpringValDlg.h"
#include "platform/wl/testing/gui_test.h"

namespace {

CSupport SupportWith(std::initializer_list<std::pair<int, double>> values, int kind = 0) {
    CSupport s;
    for (int d = 0; d < 7; ++d) s.SetValueByIdx(d, CFormulaValue(0.0), 0);
    for (const auto& [d, v] : values) s.SetValueByIdx(d, CFormulaValue(v), kind);
    return s;
}

std::array<double, 7> Values(const CSupport& s) {
    std::array<double, 7> out{};
    for (int d = 0; d < 7; ++d) {
        CFormulaValue v;
        int kind = 0;
        s.GetValueByIdx(d, v, kind);
        out[size_t(d)] = v.GetValue();
    }
    return out;
}

}  // namespace

TEST(SpringValDlg, DetectsThePresetOfTheValues) {
    {
        CSpringValDlg dlg(SupportWith({}), 0x7F, true, 0);
        ASSERT_TRUE(dlg.Create(nullptr));
        EXPECT_EQ(dlg.DetectPreset(), 1);  // all 0: free
        auto* combo = dynamic_cast<QComboBox*>(dlg.GetDlgItemWidget(CSpringValDlg::IDC_PRESET));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->currentIndex(), 1);
        EXPECT_EQ(combo->currentText().toStdString(), "freie Lagerung");
    }
    {
        CSpringValDlg dlg(SupportWith({{2, 12345.0}}), 0x7F, true, 0);
        ASSERT_TRUE(dlg.Create(nullptr));
        EXPECT_EQ(dlg.DetectPreset(), 0);  // one spring: no preset
    }
}

TEST(SpringValDlg, FixityRowsAndOutOfRangeDegree) {
    CSupport s = SupportWith({});
    s.SetValueByIdx(4, CFormulaValue(150.0), CSpringValGrid::KIND_FIXITY);
    CSpringValDlg dlg(s, 0x7F, true, 0);
    ASSERT_TRUE(dlg.Create(nullptr));
    CSpringValGrid& g = dlg.Grid();
    EXPECT_EQ(g.GetRowCount(), 8);
    EXPECT_EQ(g.GetItemText(1, CSpringValGrid::COL_NAME), "Cx (Wegfeder in X-Richtung)");
    // The degree of fixity cannot be ticked for Cx, Cy, Cz.
    for (int d = 0; d < 3; ++d) EXPECT_FALSE(g.IsCellEnabled(g.RowOf(d), CSpringValGrid::COL_FIXITY)) << d;
    EXPECT_TRUE(g.IsCellEnabled(g.RowOf(3), CSpringValGrid::COL_FIXITY));
    g.SetCheckCell(g.RowOf(0), CSpringValGrid::COL_FIXITY, 1);
    g.ExchangeData(true);
    CFormulaValue v;
    int kind = -1;
    g.GetSupport().GetValueByIdx(0, v, kind);
    EXPECT_EQ(kind, 0);
    // 150 % is shown as 50.0 %.
    EXPECT_EQ(g.GetItemText(g.RowOf(4), CSpringValGrid::COL_VALUE), "50.0 %");
    g.GetSupport().GetValueByIdx(4, v, kind);
    EXPECT_EQ(kind, CSpringValGrid::KIND_FIXITY);
    EXPECT_DOUBLE_EQ(v.GetValue(), 50.0);
    // A given spring shows its unit.
    g.SetFormulaCell(g.RowOf(2), CSpringValGrid::COL_VALUE, CFormulaValue(12345.0));
    g.ExchangeData(true);
    g.ExchangeData(false);
    EXPECT_EQ(g.GetItemText(g.RowOf(2), CSpringValGrid::COL_VALUE), "1.234e+04 kN/m");
}

TEST(SpringValDlg, ScriptedPresetAndOk) {
    wl::guitest::ScriptedUi ui;
    ui.OnModal(CSpringValDlg::kTemplateId, [](wl::Dialog& d) {
        wl::guitest::ChooseComboItem(d, CSpringValDlg::IDC_PRESET, 2);  // "Gelenkig"
        wl::guitest::Click(d, wl::IDOK);
    });
    CSpringValDlg dlg(SupportWith({{2, 500.0}}), 0x7F, false, 0);
    EXPECT_EQ(dlg.DoModal(), wl::IDOK);
    EXPECT_EQ(Values(dlg.GetSupport()), (std::array<double, 7>{-1, -1, -1, 0, 0, 0, 0}));
    EXPECT_EQ(dlg.GetPreset(), 2);

    SCOPED_TRACE("Cancel leaves the support as it was");
    ui.OnModal(CSpringValDlg::kTemplateId, [](wl::Dialog& d) {
        wl::guitest::ChooseComboItem(d, CSpringValDlg::IDC_PRESET, 5);
        wl::guitest::Click(d, wl::IDCANCEL);
    });
    CSpringValDlg dlg2(SupportWith({{2, 500.0}}), 0x7F, false, 0);
    EXPECT_EQ(dlg2.DoModal(), wl::IDCANCEL);
    EXPECT_EQ(Values(dlg2.GetSupport())[2], 500.0);
}

TEST(Screenshot, SpringValDlg) {
    CSupport s = SupportWith({{0, -1.0}, {1, -1.0}, {2, 12345.0}});
    s.SetValueByIdx(4, CFormulaValue(75.0), CSpringValGrid::KIND_FIXITY);
    s.SetValueByIdx(5, CFormulaValue(15000.0), CSpringValGrid::KIND_COMPUTED);
    CSpringValDlg dlg(s, 0x7F, true, 0);
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(dlg, "dialogs_spring_values");
    CSpringValGrid& g = dlg.Grid();
    const QRect grid = wl::guitest::RectIn(g.Widget(), dlg.Widget());
    wl::Rect r;
    g.GetCellRect(g.RowOf(5), CSpringValGrid::COL_VALUE, r);  // a computed spring: read-only
    const QRect in(grid.left() + r.left + 2, grid.top() + r.top + 2, r.Width() - 4, r.Height() - 4);
    const QRgb grey = ToQColor(CExtGridCtrl::kReadOnlyBack).rgb();
    EXPECT_GT(wl::guitest::CountPixels(img, in, [&](QRgb c) { return wl::guitest::Near(c, grey, 4); }),
              in.width() * in.height() / 3);
    EXPECT_EQ(g.GetItemText(g.RowOf(5), CSpringValGrid::COL_BUTTON), "Berechnen");
}
