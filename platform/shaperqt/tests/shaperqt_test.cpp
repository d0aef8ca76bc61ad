// The section generator's editor: a type chosen and its dimensions typed
// take effect only on OK, refused dimensions keep it open with a message
// naming the field, a free contour can only be replaced, and the preview
// draws the plates.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "platform/shaperqt/shaperqt.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

namespace gt = wl::guitest;
using shaperqt::EditDlg;

double Area(int section) {
    SektGqs g{};
    SEKT_PRO_GetResultGqs(section, &g);
    return g.A;
}

}  // namespace

TEST(ShaperEditor, OkTakesTypeAndDimensionsCancelNothing) {
    shaperqt::RegisterEditor();
    gt::ScriptedUi ui;
    ShaperContour c{SHAPER_WELDED_I, {40, 1, 20, 2}, -1};
    ASSERT_EQ(Shaper_BuildSection(c), 0);
    const int original = c.section;
    ui.OnModal(EditDlg::kTemplateId, [](wl::Dialog& d) {
        EXPECT_EQ(d.GetDlgItemText(EditDlg::IDC_VALUE), "40");
        gt::ChooseComboItem(d, EditDlg::IDC_TYPE, 1);  // singly symmetric
        EXPECT_EQ(d.GetDlgItemText(EditDlg::IDC_VALUE + 4), "30");
        gt::TypeText(d, EditDlg::IDC_VALUE + 4, "24");
        gt::Click(d, wl::IDCANCEL);
    });
    EXPECT_EQ(Shaper_EditSection(c, nullptr, 0), 0);
    EXPECT_EQ(c.type, SHAPER_WELDED_I);
    EXPECT_EQ(c.section, original);

    ui.OnModal(EditDlg::kTemplateId, [](wl::Dialog& d) {
        gt::ChooseComboItem(d, EditDlg::IDC_TYPE, 1);
        gt::TypeText(d, EditDlg::IDC_VALUE + 4, "24");
        // The preview shows the plates as typed.
        auto& dlg = static_cast<EditDlg&>(d);
        d.Widget()->resize(d.Widget()->sizeHint().expandedTo(d.Widget()->size()));
        const QImage img = gt::GrabToPng(d, "shaper_editor");
        const QRect r = gt::RectIn(dlg.Preview().Widget(), d.Widget());
        EXPECT_GT(gt::CountInk(img, r.adjusted(4, 4, -4, -4), img.pixel(r.left() + 2, r.top() + 2)), 500);
        gt::Click(d, wl::IDOK);
    });
    EXPECT_EQ(Shaper_EditSection(c, nullptr, 0), 1);
    EXPECT_EQ(c.type, SHAPER_WELDED_I_MONO);
    EXPECT_EQ(c.dims, (std::vector<double>{40, 1, 20, 2, 24, 2}));
    EXPECT_NEAR(Area(c.section), 20 * 2 + 24 * 2 + 36, 1e-9);
    Shaper_ReleaseContour(c);
    SEKT_PRO_Delete(original);
}

TEST(ShaperEditor, RefusedDimensionsKeepItOpen) {
    shaperqt::RegisterEditor();
    gt::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    ShaperContour c{SHAPER_BOX, {40, 30, 1.5, 2}, -1};
    ASSERT_EQ(Shaper_BuildSection(c), 0);
    const double before = Area(c.section);
    ui.OnModal(EditDlg::kTemplateId, [](wl::Dialog& d) {
        gt::TypeText(d, EditDlg::IDC_VALUE + 2, "16");  // the webs meet
        gt::Click(d, wl::IDOK);
        EXPECT_FALSE(d.ModalEnded());
        gt::TypeText(d, EditDlg::IDC_VALUE + 2, "x");
        gt::Click(d, wl::IDOK);
        EXPECT_FALSE(d.ModalEnded());
        gt::Click(d, wl::IDCANCEL);
    });
    EXPECT_EQ(Shaper_EditSection(c, nullptr, 0), 0);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("Abmessung tw"), std::string::npos) << sink.messages[0].text;
    EXPECT_NE(sink.messages[1].text.find("Abmessung tw"), std::string::npos) << sink.messages[1].text;
    EXPECT_EQ(c.dims, (std::vector<double>{40, 30, 1.5, 2}));
    EXPECT_EQ(Area(c.section), before);
    Shaper_ReleaseContour(c);
}

TEST(ShaperEditor, FreeContourOpensAsFreeAndIsOnlyReplaced) {
    shaperqt::RegisterEditor();
    gt::ScriptedUi ui;
    ShaperContour c;
    c.section = SEKT_PRO_Create();
    SEKT_PRO_Init(c.section, 0);
    SEKT_PRO_AddWLine(c.section, zidezaz::MakeWLine(0, 0, 0, 10, 1));
    ui.OnModal(EditDlg::kTemplateId, [](wl::Dialog& d) {
        auto& dlg = static_cast<EditDlg&>(d);
        EXPECT_EQ(dlg.Type(), SHAPER_FREE);
        EXPECT_FALSE(d.GetDlgItemWidget(EditDlg::IDC_VALUE)->isVisibleTo(d.Widget()));
        gt::Click(d, wl::IDOK);
    });
    EXPECT_EQ(Shaper_EditSection(c, nullptr, 0), 0);
    EXPECT_EQ(c.type, SHAPER_FREE);
    ui.OnModal(EditDlg::kTemplateId, [](wl::Dialog& d) {
        gt::ChooseComboItem(d, EditDlg::IDC_TYPE, 4);  // after "frei": the flat plate
        gt::Click(d, wl::IDOK);
    });
    EXPECT_EQ(Shaper_EditSection(c, nullptr, 0), 1);
    EXPECT_EQ(c.type, SHAPER_FLAT);
    EXPECT_NEAR(Area(c.section), 20, 1e-9);
    Shaper_ReleaseContour(c);
}
