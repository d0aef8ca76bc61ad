// The imperfection aid: which controls it enables, how its result reaches
// the position's imperfection record, the refused length, and its picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "dialogs/VorvWiz.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

using W = CVorvWiz;
namespace gt = wl::guitest;

bool Enabled(W& w, int id) { return w.GetDlgItem(id)->IsWindowEnabled(); }
bool Shown(W& w, int id) { return w.GetDlgItemWidget(id)->isVisibleTo(w.Widget()); }

}  // namespace

TEST(VorvWiz, EnablesTheControlsOfTheCase) {
    struct Case {
        const char* name;
        int bowOnly, kind, norm, iProfile, el, ltb;
        bool placement, mplMel, sectionType, lambda;
    };
    const Case cases[] = {
        {"sway", 0, 0, 31, 1, 0, 0, false, false, true, false},
        {"bow DIN", 0, 1, 7, 1, 0, 1, true, false, false, false},
        {"bow annex I-profile LTB", 0, 1, 31, 1, 0, 1, true, false, true, true},
        {"bow annex I-profile no LTB", 0, 1, 31, 1, 0, 0, true, false, true, false},
        {"bow annex other section", 0, 1, 31, 0, 0, 1, true, true, false, false},
        {"bow annex other section el", 0, 1, 31, 0, 1, 1, true, false, false, false},
        {"bow only EC", 1, 0, 8, 1, 0, 0, true, false, false, false},
    };
    for (const Case& c : cases) {
        W w;
        w.m_bBowOnly = c.bowOnly;
        w.m_nKind = c.kind;
        w.m_nNorm = c.norm;
        w.m_bIProfile = c.iProfile;
        w.m_bElastic = c.el;
        w.m_bLtb = c.ltb;
        ASSERT_TRUE(w.Create(nullptr)) << c.name;
        for (int id : {int(W::IDC_AFFINE), int(W::IDC_FIELDWISE), int(W::IDC_CURVE), int(W::IDC_LTB)})
            EXPECT_EQ(Enabled(w, id), c.placement) << c.name << " " << id;
        EXPECT_EQ(Enabled(w, W::IDC_MPL_MEL), c.mplMel) << c.name;
        EXPECT_EQ(Enabled(w, W::IDC_SECTION_TYPE), c.sectionType) << c.name;
        EXPECT_EQ(Enabled(w, W::IDC_LAMBDA), c.lambda) << c.name;
        for (int id : {int(W::IDC_KIND_SWAY), int(W::IDC_KIND_BOW), int(W::IDC_AFFINE), int(W::IDC_FIELDWISE),
                       int(W::IDC_KIND_GROUP), int(W::IDC_PLACEMENT_GROUP)})
            EXPECT_EQ(Shown(w, id), !c.bowOnly) << c.name << " " << id;
        if (c.bowOnly) EXPECT_EQ(w.m_nKind, 1);
    }
}

TEST(VorvWiz, UserChangesReEnableAndRewriteTheNote) {
    W w;
    w.m_nNorm = 31;
    w.m_bIProfile = 0;
    w.m_nKind = 0;
    ASSERT_TRUE(w.Create(nullptr));
    EXPECT_FALSE(Enabled(w, W::IDC_MPL_MEL));
    ASSERT_TRUE(gt::Click(w, W::IDC_KIND_BOW));
    EXPECT_TRUE(Enabled(w, W::IDC_MPL_MEL));
    ASSERT_TRUE(gt::TypeText(w, W::IDC_MPL_MEL, "1.30"));
    EXPECT_NE(w.GetDlgItemText(W::IDC_NOTE).find("Mpl/Mel=1.30"), std::string::npos) << w.GetDlgItemText(W::IDC_NOTE);
    // The aid's picture: the bow case of an other section under the annex.
    const QImage img = gt::GrabToPng(w, "vorv_wiz_bow_annex");
    ASSERT_FALSE(img.isNull());
    W sway;
    sway.m_nKind = 0;
    sway.m_nNorm = 8;
    ASSERT_TRUE(sway.Create(nullptr));
    ASSERT_FALSE(gt::GrabToPng(sway, "vorv_wiz_sway").isNull());
}

namespace {

CModuleData& Position(CModuleData& d) {
    d.m_info.m_nNorm = 8;
    d.m_vorvSettings.m_psiDirekt = 1;
    d.m_vorvSettings.m_ausmitteDirekt = 1;
    d.m_vorvSettings.m_w0Direkt = 0;
    return d;
}

}  // namespace

TEST(VorvWiz, OkWritesTheResultWhereTheKindBelongs) {
    gt::ScriptedUi ui;
    {  // sway: both sway values, direct switch cleared; EC alpha_h = 2/sqrt(5)
        CModuleData d;
        Position(d);
        ui.OnModal(W::kTemplateId, [](wl::Dialog& dlg) {
            gt::Click(dlg, W::IDC_KIND_SWAY);
            gt::TypeText(dlg, W::IDC_LENGTH, "5");
            gt::Click(dlg, wl::IDOK);
        });
        ASSERT_EQ(W::RunOnPosition(d), wl::IDOK);
        EXPECT_EQ(d.m_vorvSettings.m_vorvType, 0);
        EXPECT_NEAR(d.m_vorvSettings.m_psiY, 0.447214, 1e-6);
        EXPECT_NEAR(d.m_vorvSettings.m_psiZ, 0.447214, 1e-6);
        EXPECT_EQ(d.m_vorvSettings.m_psiDirekt, 0);
        EXPECT_EQ(d.m_vorvSettings.m_vw_typ, 0);
        EXPECT_EQ(d.m_inputAnnotations[4], "");
    }
    {  // affine bow, curve b, elastic-elastic (not the plastic variant): L/250
        CModuleData d;
        Position(d);
        ui.OnModal(W::kTemplateId, [](wl::Dialog& dlg) {
            gt::Click(dlg, W::IDC_KIND_BOW);
            gt::Click(dlg, W::IDC_AFFINE);
            gt::ChooseComboItem(dlg, W::IDC_CURVE, 1);
            gt::TypeText(dlg, W::IDC_LENGTH, "5");
            gt::Click(dlg, W::IDC_NOTE_TO_REPORT);
            gt::Click(dlg, wl::IDOK);
        });
        ASSERT_EQ(W::RunOnPosition(d), wl::IDOK);
        EXPECT_EQ(d.m_vorvSettings.m_vorvType, 2);
        EXPECT_NEAR(d.m_vorvSettings.m_ausmitte, 2.0, 1e-9);
        EXPECT_EQ(d.m_vorvSettings.m_ausmitteDirekt, 0);
        EXPECT_EQ(d.m_vorvSettings.m_vw_ksl, 1);
        EXPECT_EQ(d.m_vorvSettings.m_vw_rtf, 1);
        EXPECT_EQ(d.m_inputAnnotations[4],
                  "Die Berechnung erfolgt gemäß DIN EN 1993-1-1 \\par (Kapitel 5.3.2 (3a) und (3b), bzw. Kapitel "
                  "5.3.4 (3)) \\par für einen Nachweis elastisch-elastisch.");
    }
    {  // fieldwise bow: the direct value with its switch set
        CModuleData d;
        Position(d);
        d.m_inputAnnotations[4] = "alt";
        ui.OnModal(W::kTemplateId, [](wl::Dialog& dlg) {
            gt::Click(dlg, W::IDC_KIND_BOW);
            gt::Click(dlg, W::IDC_FIELDWISE);
            gt::ChooseComboItem(dlg, W::IDC_CURVE, 1);
            gt::TypeText(dlg, W::IDC_LENGTH, "5");
            gt::Click(dlg, wl::IDOK);
        });
        ASSERT_EQ(W::RunOnPosition(d), wl::IDOK);
        EXPECT_EQ(d.m_vorvSettings.m_vorvType, 1);
        EXPECT_NEAR(d.m_vorvSettings.m_wGlobal, 2.0, 1e-9);
        EXPECT_EQ(d.m_vorvSettings.m_w0Direkt, 1);
        EXPECT_EQ(d.m_vorvSettings.m_vw_ktyp, 1);
        EXPECT_EQ(d.m_inputAnnotations[4], "");  // no note asked for
    }
}

TEST(VorvWiz, CancelAndRefusedLengthLeaveTheRecord) {
    gt::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    CModuleData d;
    Position(d);
    const CImperfectionSettings before = d.m_vorvSettings;
    auto same = [&] {
        const CImperfectionSettings& a = d.m_vorvSettings;
        return a.m_vorvType == before.m_vorvType && a.m_psiY == before.m_psiY && a.m_ausmitte == before.m_ausmitte &&
               a.m_wGlobal == before.m_wGlobal && a.m_vw_len == before.m_vw_len && a.m_vw_typ == before.m_vw_typ &&
               a.m_psiDirekt == before.m_psiDirekt;
    };
    ui.OnModal(W::kTemplateId, [](wl::Dialog& dlg) {
        gt::Click(dlg, W::IDC_KIND_SWAY);
        gt::TypeText(dlg, W::IDC_LENGTH, "9");
        gt::Click(dlg, wl::IDCANCEL);
    });
    EXPECT_EQ(W::RunOnPosition(d), wl::IDCANCEL);
    EXPECT_TRUE(same());
    for (const char* length : {"0", "-1"}) {
        bool stayedOpen = false;
        ui.OnModal(W::kTemplateId, [&](wl::Dialog& dlg) {
            gt::TypeText(dlg, W::IDC_LENGTH, length);
            gt::Click(dlg, wl::IDOK);
            stayedOpen = !dlg.ModalEnded();
            gt::Click(dlg, wl::IDCANCEL);
        });
        EXPECT_EQ(W::RunOnPosition(d), wl::IDCANCEL) << length;
        EXPECT_TRUE(stayedOpen) << length;
        EXPECT_TRUE(same()) << length;
    }
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, "Die Länge muss größer als 0 sein.");
}
