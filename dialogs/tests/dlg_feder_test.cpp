// The spring computed from the members at a support, through its dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "dialogs/DlgFeder.h"
#include "dialogs/SpringValDlg.h"
#include "input/StdProfile.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

using wl::guitest::Click;
using wl::guitest::TypeText;

void EnsureChecked(wl::Dialog& d, int id) {
    auto* b = dynamic_cast<QAbstractButton*>(d.GetDlgItemWidget(id));
    if (b && !b->isChecked()) Click(d, id);
}

// Fills the member below as a rectangle 20 x 30 cm, E 25000, h as given.
void FillRectangleBelow(wl::Dialog& d, const std::string& height) {
    const int b = CDlgFeder::kBelow;
    EnsureChecked(d, b + CDlgFeder::ENABLE);
    EnsureChecked(d, b + CDlgFeder::RECT);
    TypeText(d, b + CDlgFeder::WIDTH, "20,0");
    TypeText(d, b + CDlgFeder::DEPTH, "30.0");
    TypeText(d, b + CDlgFeder::EMOD, "25000");
    TypeText(d, b + CDlgFeder::HEIGHT, height);
    TypeText(d, b + CDlgFeder::FIXITY, "100");
}

QComboBox* Combo(wl::Dialog& d, int id) { return dynamic_cast<QComboBox*>(d.GetDlgItemWidget(id)); }

// The installed profile catalogue of the build tree.
class DlgFederCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        winsys::SetHostExecutablePath(std::filesystem::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        DestroyStdProfile();
    }
    void TearDown() override { DestroyStdProfile(); }
    winsys::ScopedRecordingSink sink;
};

CSpringData CatalogueMemberBelow(const std::string& series, const std::string& profile, int axis, bool rotational) {
    CSpringData data;
    data.m_bDrehfeder = rotational ? 1 : 0;
    data.m_bEnableUnten = 1;
    data.m_bEnableOben = 0;
    data.m_uqtyp = 2;
    data.m_uProfFamily = series;
    data.m_uProfile = profile;
    data.m_ulage = axis;
    data.m_uemod = 210000.0;
    data.m_uh = 3.0;
    data.m_ugrad = 100.0;
    return data;
}

}  // namespace

TEST_F(DlgFederCatalogue, CombosListTheCatalogueAndShowTheStoredProfile) {
    CDlgFeder dlg;
    dlg.SetData(CatalogueMemberBelow("ipe", "ipe 300", 1, true));
    ASSERT_TRUE(dlg.Create(nullptr));
    const int b = CDlgFeder::kBelow;
    QComboBox* series = Combo(dlg, b + CDlgFeder::SERIES);
    QComboBox* profile = Combo(dlg, b + CDlgFeder::PROFILE);
    ASSERT_TRUE(series && profile);
    CStdProfile& catalogue = GetStdProfile();
    ASSERT_GT(catalogue.GetSeriesCount(), 1);
    EXPECT_EQ(series->count(), catalogue.GetSeriesCount());
    EXPECT_EQ(series->currentText().toStdString(), "IPE");
    EXPECT_EQ(profile->count(), 18);  // IPE 80 .. IPE 600
    EXPECT_EQ(profile->itemText(0).toStdString(), "IPE 80");
    EXPECT_EQ(profile->currentText().toStdString(), "IPE 300");
    EXPECT_EQ(Combo(dlg, b + CDlgFeder::AXIS)->currentIndex(), 1);
    EXPECT_TRUE(series->isEnabled());
    // The member above keeps its own series; none chosen lists no profiles.
    EXPECT_EQ(Combo(dlg, CDlgFeder::kAbove + CDlgFeder::SERIES)->count(), catalogue.GetSeriesCount());

    // Choosing another series lists its profiles, none chosen yet.
    const int heb = catalogue.FindSeries("HEB");
    ASSERT_GE(heb, 0);
    ASSERT_TRUE(wl::guitest::ChooseComboItem(dlg, b + CDlgFeder::SERIES, heb));
    std::vector<std::string> names;
    catalogue.GetProfileNames(heb, names, -1);
    ASSERT_EQ(profile->count(), static_cast<int>(names.size()));
    EXPECT_EQ(profile->itemText(0).toStdString(), names.front());
    EXPECT_EQ(profile->currentIndex(), -1);
}

TEST_F(DlgFederCatalogue, SpringFromACatalogueProfile) {
    // IPE 300 (tables: A = 53.81 cm², Iy = 8356 cm⁴, Iz = 603.8 cm⁴), E 210000 MN/m², h 3.0 m:
    //   translational: 53.81e-4 * 210000 * 1000 / 3.0 = 376670 kN/m
    //   rotational about z-z, fixity 100 %: (3 + 1) * 603.8e-8 * 210000 * 1000 / 3.0 = 1690.64 kNm/rad
    //   rotational about y-y: 4 * 8356e-8 * 210000 * 1000 / 3.0 = 23396.8 kNm/rad
    //   no profile chosen: nothing computed
    struct Case {
        const char* profile;
        int axis;
        bool rotational;
        double spring;
        double inertia;  // m⁴ stored for the member below
    };
    const Case cases[] = {
        {"IPE 300", 0, false, 376670.0, 8356e-8},
        {"IPE 300", 1, true, 1690.64, 603.8e-8},
        {"IPE 300", 0, true, 23396.8, 8356e-8},
        {"", 0, false, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        wl::guitest::ScriptedUi ui;
        ui.OnModal(CDlgFeder::kTemplateId, [](wl::Dialog& d) { Click(d, wl::IDOK); });
        CDlgFeder dlg;
        dlg.SetData(CatalogueMemberBelow("IPE", c.profile, c.axis, c.rotational));
        EXPECT_EQ(dlg.DoModal(), wl::IDOK) << c.profile;
        // The catalogue's values are computed from the rolled contour: within 0.5 % of the tables.
        EXPECT_NEAR(dlg.GetResult(), c.spring, 0.005 * c.spring) << c.profile << " " << c.axis;
        EXPECT_NEAR(dlg.GetData().m_uIy, c.inertia, 0.005 * c.inertia) << c.profile << " " << c.axis;
        EXPECT_EQ(dlg.GetData().m_uProfile, c.profile);
        EXPECT_EQ(dlg.GetData().m_ulage, c.axis);
    }
}

TEST(DlgFeder, ComputeFromTheSpringValuesGrid) {
    // 4 * (0.2 * 0.3^3 / 12) * 25000 * 1000 / 3.0 = 15000 kNm/rad (hand calculation).
    wl::guitest::ScriptedUi ui;
    ui.OnModal(CDlgFeder::kTemplateId, [](wl::Dialog& d) {
        FillRectangleBelow(d, "3.0");
        // The record's member above is ticked: off, so that only the one below counts.
        auto* above = dynamic_cast<QAbstractButton*>(d.GetDlgItemWidget(CDlgFeder::kAbove + CDlgFeder::ENABLE));
        if (above && above->isChecked()) Click(d, CDlgFeder::kAbove + CDlgFeder::ENABLE);
        Click(d, wl::IDOK);
    });
    CSupport s;
    for (int d = 0; d < 7; ++d) s.SetValueByIdx(d, CFormulaValue(0.0), 0);
    s.SetValueByIdx(3, CFormulaValue(0.0), CSpringValGrid::KIND_COMPUTED);
    CSpringValDlg dlg(s, 0x7F, true, 0);
    ASSERT_TRUE(dlg.Create(nullptr));
    CSpringValGrid& g = dlg.Grid();
    g.OnButtonCellClicked(g.RowOf(3), CSpringValGrid::COL_BUTTON);
    ASSERT_EQ(ui.modalRuns.size(), 1u);
    CFormulaValue v;
    int kind = -1;
    g.GetSupport().GetValueByIdx(3, v, kind);
    EXPECT_EQ(kind, CSpringValGrid::KIND_COMPUTED);
    EXPECT_NEAR(v.GetValue(), 15000.0, 1e-6);
    EXPECT_EQ(g.GetItemText(g.RowOf(3), CSpringValGrid::COL_VALUE), "1.5e+04 kNm/rad");
    EXPECT_EQ(g.GetSupport().GetSpringDataByIdx(3).m_uqtyp, 0);
    EXPECT_NEAR(g.GetSupport().GetSpringDataByIdx(3).m_uIy, 4.5e-4, 1e-12);
}

TEST(DlgFeder, MemberWithoutHeightIsRefusedAndNothingStored) {
    wl::guitest::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    ui.OnModal(CDlgFeder::kTemplateId, [](wl::Dialog& d) {
        FillRectangleBelow(d, "0");
        Click(d, wl::IDOK);      // refused: the dialog stays open
        Click(d, wl::IDCANCEL);  // so the script leaves it
    });
    CDlgFeder dlg;
    CSpringData data;
    data.m_uh = 2.5;
    dlg.SetData(data);
    EXPECT_EQ(dlg.DoModal(), wl::IDCANCEL);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("Höhe"), std::string::npos);
    EXPECT_EQ(dlg.GetResult(), 0.0);
    EXPECT_DOUBLE_EQ(dlg.GetData().m_uh, 2.5);
}

TEST(Screenshot, DlgFeder) {
    CDlgFeder dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(dlg, "dialogs_dlg_feder");
    const QRect edit = wl::guitest::RectIn(dlg.GetDlgItemWidget(CDlgFeder::kBelow + CDlgFeder::EMOD), dlg.Widget());
    EXPECT_GT(wl::guitest::CountInk(img, edit, img.pixel(edit.left() + 2, edit.top() + 2)), 5);
    EXPECT_EQ(dlg.GetDlgItemText(CDlgFeder::kBelow + CDlgFeder::EMOD), "25000");
    EXPECT_EQ(dlg.GetDlgItemText(CDlgFeder::kAbove + CDlgFeder::HEIGHT), "3.00");
    EXPECT_EQ(dlg.GetDlgItemText(CDlgFeder::kBelow + CDlgFeder::HEIGHT), "3.0");
}

TEST_F(DlgFederCatalogue, ScreenshotWithACatalogueProfile) {
    CDlgFeder dlg;
    dlg.SetData(CatalogueMemberBelow("IPE", "IPE 300", 0, true));
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(dlg, "dialogs_dlg_feder_catalogue");
    for (int id : {CDlgFeder::SERIES, CDlgFeder::PROFILE, CDlgFeder::AXIS}) {
        QWidget* w = dlg.GetDlgItemWidget(CDlgFeder::kBelow + id);
        ASSERT_TRUE(w && w->isEnabled()) << id;
        const QRect r = wl::guitest::RectIn(w, dlg.Widget()).adjusted(3, 3, -18, -3);
        EXPECT_GT(wl::guitest::CountInk(img, r, img.pixel(r.left(), r.top())), 5) << id;
    }
    EXPECT_EQ(Combo(dlg, CDlgFeder::kBelow + CDlgFeder::PROFILE)->currentText().toStdString(), "IPE 300");
}

TEST(SpringDialogs, HelpFollowsTheHelpLanguage) {
    // A private installation and settings: help files beside the program
    // and the dialog's PDF in the installation's help folder.
    namespace fs = std::filesystem;
    const fs::path root = fs::path(RIGEL_TEST_TMP) / ("spring_help_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "help");
    std::ofstream(root / "bin" / "CraneHelp.chm") << "chm";
    std::ofstream(root / "help" / "Dialoge Federwerte.pdf") << "pdf";
    winsys::SetHostExecutablePath(root / "bin" / "velor2005");
    setenv("VELOR_REGISTRY_DIR", (root / "registry").c_str(), 1);
    winsys::RegistryReload();

    struct Case {
        bool springValues;  // else the dialog of the members
        const char* language;  // nullptr: none set
        std::string opened;    // empty: nothing opened
    };
    const std::string chm = (root / "bin" / "CraneHelp.chm").string();
    const Case cases[] = {
        {true, "französisch", chm},
        {true, nullptr, (root / "help" / "Dialoge Federwerte.pdf").string()},
        {true, "englisch", (root / "help" / "Dialoge Federwerte.pdf").string()},
        {false, "französisch", chm},
        {false, nullptr, ""},
        {false, "deutsch", ""},
    };
    for (const Case& c : cases) {
        if (c.language)
            ASSERT_TRUE(winsys::RegSetString(winsys::Hive::CurrentUser, "software\\VKT\\LINGO", "VKT Eingabe", c.language));
        else
            winsys::RegDeleteValue(winsys::Hive::CurrentUser, "software\\VKT\\LINGO", "VKT Eingabe");
        winsys::RecordingShell shell;
        winsys::ScopedRecordingSink sink;
        CSupport s;
        std::unique_ptr<wl::Dialog> dlg;
        if (c.springValues)
            dlg = std::make_unique<CSpringValDlg>(s, 0x7F, true, 0);
        else
            dlg = std::make_unique<CDlgFeder>();
        ASSERT_TRUE(dlg->Create(nullptr));
        Click(*dlg, wl::IDHELP);
        const std::string what = std::string(c.springValues ? "springs " : "members ") + (c.language ? c.language : "-");
        if (c.opened.empty()) {
            EXPECT_TRUE(shell.calls.empty()) << what;
        } else {
            ASSERT_EQ(shell.calls.size(), 1u) << what;
            EXPECT_EQ(shell.calls[0].second.string(), c.opened) << what;
        }
        EXPECT_TRUE(sink.messages.empty()) << what;
    }
    fs::remove_all(root);
}
