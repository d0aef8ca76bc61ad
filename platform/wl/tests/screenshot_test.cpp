// Screenshots of the test dialog: every kind of control drawn where its
// template puts it.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTreeWidget>

#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/test_dialog.h"

using namespace wl;
using namespace wltest;

namespace {

// A custom control: draws a small grid of cells.
class GridStandIn : public Window {
public:
    const char* ClassName() const override { return "GridStandIn"; }
    QWidget* CreateControlWidget(QWidget* parent) override {
        auto* l = new QLabel(parent);
        l->setAutoFillBackground(true);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, QColor(255, 255, 255));
        l->setPalette(pal);
        l->setFrameStyle(QFrame::Box | QFrame::Plain);
        l->setText(QStringLiteral("Gitter"));
        l->setAlignment(Qt::AlignCenter);
        return l;
    }
};

class BoundDialog : public TestDialog {
public:
    GridStandIn grid;

protected:
    void DoDataExchange(DataExchange& dx) override {
        DDX_Control(dx, IDC_GRID, grid);
        TestDialog::DoDataExchange(dx);
    }
};

}  // namespace

TEST(Screenshot, TestDialogShowsEveryKindInItsPlace) {
    winsys::ScopedRecordingSink messages;
    RegisterTestTemplates();
    BoundDialog dlg;
    QWidget* placeholder = nullptr;
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_TRUE(messages.messages.empty());
    (void)placeholder;

    // The bound grid took the placeholder's id, place and stacking.
    ASSERT_TRUE(dlg.grid.IsWindow());
    EXPECT_EQ(dlg.grid.GetDlgCtrlID(), IDC_GRID);
    EXPECT_EQ(dlg.GetDlgItem(IDC_GRID), &dlg.grid);
    EXPECT_EQ(dlg.grid.GetWindowRect(), DluToPixels(235, 7, 78, 40));
    // Binding again changes nothing.
    QWidget* gridWidget = dlg.grid.Widget();
    ASSERT_TRUE(dlg.UpdateData(false));
    EXPECT_EQ(dlg.grid.Widget(), gridWidget);

    // Some content in the tree, list and tabs.
    auto* tabs = dlg.GetDlgItemWidget(IDC_TABS)->findChild<QTabBar*>();
    tabs->addTab(QStringLiteral("System"));
    tabs->addTab(QStringLiteral("Lasten"));
    auto* tree = qobject_cast<QTreeWidget*>(dlg.GetDlgItemWidget(IDC_TREE));
    auto* root = new QTreeWidgetItem(tree, {QStringLiteral("Ausgabe")});
    root->setCheckState(0, Qt::Checked);
    new QTreeWidgetItem(root, {QStringLiteral("Lasten")});
    root->setExpanded(true);
    auto* list = qobject_cast<QTreeWidget*>(dlg.GetDlgItemWidget(IDC_LIST));
    list->setHeaderLabels({QStringLiteral("Feld")});
    new QTreeWidgetItem(list, {QStringLiteral("1")});

    dlg.Widget()->show();
    QImage img = guitest::GrabToPng(dlg, "wl_test_dialog");
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(480, 309));

    // The group box encloses its radio buttons, and lies below them.
    QRect group = dlg.GetDlgItemWidget(IDC_DIRECTION_GROUP)->geometry();
    for (int id : {IDC_LEFT, IDC_RIGHT}) {
        QRect r = dlg.GetDlgItemWidget(id)->geometry();
        EXPECT_TRUE(group.contains(r)) << id;
        // The radio is drawn: its circle's ink shows inside its rectangle.
        EXPECT_GT(guitest::CountInk(img, r, img.pixel(r.right() - 1, r.bottom() - 1)), 20) << id;
    }
    QWidget* dialogWidget = dlg.Widget();
    auto children = dialogWidget->children();
    EXPECT_LT(children.indexOf(dlg.GetDlgItemWidget(IDC_DIRECTION_GROUP)),
              children.indexOf(dlg.GetDlgItemWidget(IDC_LEFT)));
    // The group frame is drawn along its left edge, between the radios' rows.
    QRgb bg = img.pixel(3, 3);
    EXPECT_GT(guitest::CountInk(img, QRect(group.left(), group.top() + 12, 2, group.height() - 14), bg, 12), 20);

    // The bound grid is drawn white with its frame in the placeholder's place.
    QRect g = guitest::RectIn(dlg.grid.Widget(), dialogWidget);
    EXPECT_GT(guitest::CountPixels(img, g.adjusted(3, 3, -3, -3),
                                   [](QRgb c) { return guitest::Near(c, qRgb(255, 255, 255), 2); }),
              g.width() * g.height() / 2);
    // The picture shows its bitmap: the blue I-section.
    QRect pic = guitest::RectIn(dlg.GetDlgItemWidget(IDC_PICTURE), dialogWidget);
    EXPECT_GT(guitest::CountPixels(img, pic, [](QRgb c) { return guitest::Near(c, qRgb(0, 90, 170), 10); }), 400);
    // Texts are drawn: the title row has ink.
    QRect title = guitest::RectIn(dlg.GetDlgItemWidget(IDC_TITLE), dialogWidget);
    EXPECT_GT(guitest::CountInk(img, title, bg), 50);
    // The up-down stands inside its buddy's former rectangle, at its right edge.
    QRect edit = dlg.GetDlgItemWidget(IDC_COUNT)->geometry();
    QRect spin = dlg.GetDlgItemWidget(IDC_COUNT_SPIN)->geometry();
    EXPECT_EQ(spin.left(), edit.right() + 1);
    EXPECT_EQ(spin.right(), DluToPixels(180, 76, 40, 13).right - 1);
    EXPECT_TRUE(messages.messages.empty());
}
