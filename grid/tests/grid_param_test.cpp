// The grid of named fields bound to variables.
#include <gtest/gtest.h>

#include <QImage>

#include "grid/ParamGridCtrl.h"
#include "platform/wl/testing/gui_test.h"
#include "support/grid_fixture.h"

using gridtest::GridFixtureT;
using Fixture = GridFixtureT<CParamGridCtrl>;

namespace {
Fixture* MakeFixture() { return new Fixture(1, 1, 0, 0, 360, 200); }
}  // namespace

TEST(ParamGrid, VerticalLayoutWithHeaderAndDouble) {
    std::unique_ptr<Fixture> f(MakeFixture());
    auto& g = f->grid;
    std::string text = "IPE 300";
    double x = 0.0125;
    EXPECT_EQ(g.AddTextField("Profil", &text), 0);
    EXPECT_EQ(g.AddHeaderField("Lasten"), 1);
    EXPECT_EQ(g.AddDoubleField("Ausnutzung [%]", &x, "%.2lf", 100.0), 2);
    g.InitGrid();
    g.ExchangeData(false);
    ASSERT_EQ(g.GetRowCount(), 3);
    ASSERT_EQ(g.GetColumnCount(), 2);
    EXPECT_EQ(g.GetItemText(1, 0), "Lasten");
    const wl::LogFont lf = wl::FromQFont(g.GetCell(1, 0)->GetFontObject());
    EXPECT_EQ(lf.faceName, "Arial");
    EXPECT_EQ(lf.weight, 700);
    EXPECT_EQ(g.GetItemText(1, 1), "");
    EXPECT_TRUE(g.GetItemState(1, 1) & GIS_READONLY);
    EXPECT_TRUE(g.GetItemState(0, 0) & GIS_READONLY);
    EXPECT_EQ(g.GetItemBackColor(0, 0), CExtGridCtrl::kReadOnlyBack);
    EXPECT_EQ(g.GetItemText(0, 1), "IPE 300");
    EXPECT_EQ(g.GetItemText(2, 1), "1.25");

    g.OnEndEditCell(2, 1, "2,5");  // typed with a decimal comma
    text.clear();
    g.ExchangeData(true);
    EXPECT_DOUBLE_EQ(x, 0.025);
    EXPECT_EQ(text, "IPE 300");
}

TEST(ParamGrid, FieldKindsExchange) {
    std::unique_ptr<Fixture> f(MakeFixture());
    auto& g = f->grid;
    int choice = 1, count = 7, check = 1;
    std::string shown = "Ansicht";
    double noFactor = 3.5;
    CFormulaValue formula(2.0);
    g.AddComboField("Lagerung", &choice, {"A", "B", "C"});
    g.AddIntField("Anzahl", &count);
    g.AddCheckField("Aktiv", &check);
    g.AddDisplayField("Bild", &shown);
    g.AddDoubleField("ohne Faktor", &noFactor, "%lg", 0.0);  // a factor of 0 counts as 1
    g.AddFormulaField("Länge", &formula, "%.3lf");
    g.InitGrid();
    g.ExchangeData(false);
    EXPECT_EQ(g.GetItemText(0, 1), "B");
    EXPECT_EQ(g.GetItemText(1, 1), "7");
    EXPECT_EQ(g.GetCheckCell(2, 1), 1);
    EXPECT_EQ(g.GetItemText(3, 1), "Ansicht");
    EXPECT_EQ(g.GetItemText(4, 1), "3.5");
    EXPECT_EQ(g.GetItemText(5, 1), "2.000");

    g.SetComboCellIndex(0, 1, 2);  // the user chose C
    g.SetItemText(1, 1, "12");
    g.SetCheckCell(2, 1, 0);
    g.SetItemText(3, 1, "geändert");  // a display field is not read back
    g.OnEndEditCell(4, 1, "4,25");
    g.OnEndEditCell(5, 1, "6,5");
    EXPECT_TRUE(g.ExchangeData(true));
    EXPECT_EQ(choice, 2);
    EXPECT_EQ(count, 12);
    EXPECT_EQ(check, 0);
    EXPECT_EQ(shown, "Ansicht");
    EXPECT_DOUBLE_EQ(noFactor, 4.25);
    EXPECT_DOUBLE_EQ(formula.GetValue(), 6.5);
}

TEST(ParamGrid, HorizontalLayoutPutsNamesInRowZero) {
    std::unique_ptr<Fixture> f(MakeFixture());
    auto& g = f->grid;
    int a = 1, b = 2, c = 3;
    g.SetLayout(CParamGridCtrl::LAYOUT_HORIZONTAL);
    g.AddIntField("a", &a);
    g.AddIntField("b", &b);
    g.AddIntField("c", &c);
    g.InitGrid();
    g.ExchangeData(false);
    ASSERT_EQ(g.GetRowCount(), 2);
    ASSERT_EQ(g.GetColumnCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g.GetItemText(0, i), std::string(1, char('a' + i)));
        EXPECT_EQ(g.GetItemText(1, i), std::to_string(i + 1));
    }
}

TEST(Screenshot, ParameterGrid) {
    class TitledGrid : public CParamGridCtrl {
    public:
        TitledGrid() { SetGroupHeaderStrip(true); }
    };
    GridFixtureT<TitledGrid> f(1, 1, 0, 0, 360, 220);
    auto& g = f.grid;
    std::string profile = "HEA 200";
    double length = 6.0, factor = 1.35;
    int support = 1, active = 1;
    g.SetTitle("Querschnitt");
    g.AddTextField("Profil", &profile);
    g.AddHeaderField("Abmessungen");
    g.AddDoubleField("Länge [m]", &length, "%.2lf", 1.0);
    g.AddDoubleField("Teilsicherheit", &factor, "%.3lf", 1.0);
    g.AddComboField("Lagerung", &support, {"gelenkig", "eingespannt"});
    g.AddCheckField("Aktiv", &active);
    g.InitGrid();
    g.ExchangeData(false);
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(f.parent, "grid_parameter_grid");
    const QRect grid = wl::guitest::RectIn(g.Widget(), f.parent.Widget());
    wl::Rect name;
    g.GetCellRect(0, 0, name);
    const QRect nameIn(grid.left() + name.left + 1, grid.top() + name.top + 1, name.Width() - 2, name.Height() - 2);
    const QRgb grey = ToQColor(CExtGridCtrl::kReadOnlyBack).rgb();
    EXPECT_GT(wl::guitest::CountPixels(img, nameIn, [&](QRgb p) { return wl::guitest::Near(p, grey, 4); }),
              nameIn.width() * nameIn.height() / 2);
    wl::Rect value;
    g.GetCellRect(2, 1, value);
    const QRect valueIn(grid.left() + value.left + 1, grid.top() + value.top + 1, value.Width() - 2,
                        value.Height() - 2);
    EXPECT_GT(wl::guitest::CountInk(img, valueIn, qRgb(255, 255, 255)), 10);
    ASSERT_NE(g.GetHeaderStrip(), nullptr);
    EXPECT_EQ(g.GetHeaderStrip()->GetItemText(0, 0), "Querschnitt");
}
