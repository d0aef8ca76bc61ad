// Property sheets and tool bars, with their screenshots.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <QToolBar>

#include "platform/winsys/winsys.h"
#include "platform/wl/sheet.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/wl/toolbar.h"
#include "support/test_dialog.h"

using namespace wl;
using namespace wltest;

namespace {

constexpr int kPageA = 110, kPageB = 111, kPageC = 112, kSheetScript = 119;

void RegisterPages() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterTemplate({kPageA, "Allgemein", 180, 90, kDlgChild,
                      {{3000, Kind::Static, "Bezeichnung:", 7, 9, 50, 8}, {3001, Kind::Edit, "", 60, 7, 100, 13},
                       {3002, Kind::CheckBox, "Mit Eigengewicht", 7, 28, 100, 10}}});
    RegisterTemplate({kPageB, "Werte", 150, 60, kDlgChild,
                      {{3100, Kind::Static, "Faktor:", 7, 9, 40, 8}, {3101, Kind::Edit, "", 50, 7, 50, 13}}});
    RegisterTemplate({kPageC, "Drucken", 150, 60, kDlgChild, {{3200, Kind::CheckBox, "Farbig", 7, 7, 60, 10}}});
}

class PageA : public PropertyPage {
public:
    PageA() : PropertyPage(kPageA) {}
    std::string name = "Pos. 1";
    int selfWeight = 1;

protected:
    void DoDataExchange(DataExchange& dx) override {
        DDX_Text(dx, 3001, name);
        DDX_Check(dx, 3002, selfWeight);
    }
};

class PageB : public PropertyPage {
public:
    PageB() : PropertyPage(kPageB) {}
    double factor = 1.35;

protected:
    void DoDataExchange(DataExchange& dx) override { DDX_Text(dx, 3101, factor); }
};

class PageC : public PropertyPage {
public:
    PageC() : PropertyPage(kPageC, "Ausdruck") {}
    int colour = 0;
    int exchanges = 0;

protected:
    void DoDataExchange(DataExchange& dx) override {
        ++exchanges;
        DDX_Check(dx, 3200, colour);
    }
};

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterPages(); }
    winsys::ScopedRecordingSink messages;
    guitest::ScriptedUi ui;
};

}  // namespace

TEST_F(SheetTest, PagesAreMadeWhenShownAndOkTakesThoseThatExist) {
    PageA a;
    PageB b;
    PageC c;
    PropertySheet sheet("Einstellungen", kSheetScript);
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    ui.OnModal(kSheetScript, [&](Dialog& d) {
        EXPECT_TRUE(a.IsWindow());
        EXPECT_FALSE(b.IsWindow());
        EXPECT_FALSE(c.IsWindow());
        EXPECT_EQ(sheet.GetTabControl().GetItemText(2), "Ausdruck");
        EXPECT_EQ(sheet.GetTabControl().GetItemText(1), "Werte");
        guitest::TypeText(a, 3001, "Pos. 7");
        guitest::ClickTab(d, PropertySheet::kTabId, 1);
        EXPECT_TRUE(b.IsWindow());
        EXPECT_TRUE(b.IsWindowVisible() || !d.Widget()->isVisible());
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        guitest::TypeText(b, 3101, "1,5");
        d.Widget()->show();
        QImage img = guitest::GrabToPng(d, "wl_property_sheet");
        EXPECT_FALSE(img.isNull());
        // The page lies inside the tab row's frame, below the tabs.
        Rect tab = sheet.GetTabControl().GetWindowRect();
        EXPECT_TRUE(tab.Contains(b.GetWindowRect()));
        EXPECT_FALSE(a.IsWindowVisible());
        guitest::Click(d, IDOK);
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(a.name, "Pos. 7");
    EXPECT_DOUBLE_EQ(b.factor, 1.5);
    EXPECT_EQ(c.exchanges, 0);  // never shown: not exchanged
    EXPECT_FALSE(a.IsWindow());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SheetTest, ABadNumberKeepsItsPageInFrontAndTheSheetOpen) {
    PageA a;
    PageB b;
    PropertySheet sheet("Einstellungen", kSheetScript);
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    ui.OnModal(kSheetScript, [&](Dialog& d) {
        guitest::ClickTab(d, PropertySheet::kTabId, 1);
        guitest::TypeText(b, 3101, "viel");
        // Leaving the page refuses; the tab stays.
        guitest::ClickTab(d, PropertySheet::kTabId, 0);
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        EXPECT_EQ(sheet.GetTabControl().GetCurSel(), 1);
        guitest::Click(d, IDOK);
        EXPECT_FALSE(d.ModalEnded());
        guitest::PressKey(d, Qt::Key_Escape);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_DOUBLE_EQ(b.factor, 1.35);
    EXPECT_EQ(messages.messages.size(), 2u);
}

namespace {
QImage Icon(QColor c, bool round) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));  // transparent colour
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    if (round)
        p.drawEllipse(2, 2, 12, 12);
    else
        p.drawRect(2, 2, 12, 12);
    return img;
}

class Owner : public Dialog {
public:
    Owner() : Dialog(kPageA) {}
    std::vector<std::pair<int, int>> got;

protected:
    bool OnNotify(const Notify& n, std::intptr_t&) override {
        got.push_back({n.id, n.code});
        return true;
    }
};
}  // namespace

TEST(ToolBarTest, CommandsChecksCombosTipsAndAccelerators) {
    winsys::ScopedRecordingSink messages;
    RegisterPages();
    Owner owner;
    ASSERT_TRUE(owner.Create(nullptr));
    owner.Widget()->resize(300, 140);
    ToolBar bar;
    ASSERT_TRUE(bar.Create(&owner, 59392));
    ASSERT_TRUE(bar.AddButton(100, Icon(QColor(0, 120, 0), false), "Neu"));
    ASSERT_TRUE(bar.AddButton(101, Icon(QColor(200, 0, 0), true), "Raster zeigen", true));
    bar.AddSeparator();
    ComboBox* combo = bar.AddCombo(102, 110, {"3D - Ansicht", "XZ - Ansicht"});
    ASSERT_NE(combo, nullptr);
    combo->SetCurSel(0);
    EXPECT_FALSE(bar.AddButton(100, QImage(), "doppelt"));

    EXPECT_EQ(bar.GetToolTip(101), "Raster zeigen");
    EXPECT_TRUE(bar.PressButton(100));
    EXPECT_TRUE(bar.PressButton(101));
    EXPECT_TRUE(bar.IsButtonChecked(101));
    EXPECT_TRUE(bar.CheckButton(101, false));  // silent
    EXPECT_FALSE(bar.IsButtonChecked(101));
    EXPECT_TRUE(bar.EnableButton(100, false));
    EXPECT_FALSE(bar.PressButton(100));
    EXPECT_TRUE(bar.EnableButton(100, true));
    guitest::ChooseComboItem(bar, 102, 1);
    EXPECT_EQ(owner.got, (std::vector<std::pair<int, int>>{{100, BN_CLICKED}, {101, BN_CLICKED}, {102, CBN_SELCHANGE}}));

    // Accelerators: Ctrl+N sends command 100 to the owner.
    owner.got.clear();
    ASSERT_TRUE(SetAccelerators(owner, {{"Ctrl+N", 100}, {"F5", 103}}));
    QTest::keyClick(owner.GetDlgItemWidget(3001), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(owner.Widget(), Qt::Key_F5);
    EXPECT_EQ(owner.got, (std::vector<std::pair<int, int>>{{100, 0}, {103, 0}}));
    EXPECT_FALSE(SetAccelerators(owner, {{"Strg+Nirgends+X", 1}}));
    EXPECT_EQ(messages.messages.size(), 1u);

    owner.Widget()->show();
    bar.CheckButton(101, true);
    QImage img = guitest::GrabToPng(bar, "wl_toolbar");
    ASSERT_FALSE(img.isNull());
    // The buttons show their images: green square, red circle.
    Rect r100 = bar.GetItemRect(100), r101 = bar.GetItemRect(101);
    QRect q100(r100.left, r100.top, r100.Width(), r100.Height());
    QRect q101(r101.left, r101.top, r101.Width(), r101.Height());
    EXPECT_GT(guitest::CountPixels(img, q100, [](QRgb c) { return guitest::Near(c, qRgb(0, 120, 0), 30); }), 80);
    EXPECT_GT(guitest::CountPixels(img, q101, [](QRgb c) { return guitest::Near(c, qRgb(200, 0, 0), 30); }), 60);
    // The combo stands right of the buttons.
    QWidget* c = combo->Widget();
    EXPECT_GT(c->geometry().left(), q101.right());
    EXPECT_GT(guitest::CountInk(img, c->geometry(), img.pixel(c->geometry().left() + 3, c->geometry().top() + 3)), 30);
}
