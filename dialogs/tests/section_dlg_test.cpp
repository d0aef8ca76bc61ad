// The cross-section dialog on a span's section: the refused OK, the
// material of the norm, gamma_M1, the haunch of a parametric section,
// Cancel, the preview; and through the system page the catalogue profile
// set for all spans and a welded I-section that the calculation takes.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <filesystem>

#include "dialogs/MainDlg.h"
#include "dialogs/SectionDlg.h"
#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "module/frame/CommandDocument.h"
#include "platform/shaperqt/shaperqt.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/conveniences.h"
#include "support/dialog_parent.h"
#include "testsupport/host_process.h"

extern "C" int64_t interfaceFunc(uint32_t commandDoc);
extern "C" void RigelModuleTeardown();

namespace {

namespace fs = std::filesystem;
namespace gt = wl::guitest;
using D = CSectionDlg;
using G = CSectionGrid;

// The fingerprint of a section as the document holds it.
zevud::Fingerprint Written(CSection& s) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "section");
    s.WriteData(e);
    const zevud::Fingerprint print = zevud::FingerPrint(e);
    ZEVUD_CloseDoc(doc);
    return print;
}

// A user's choice in a combo cell of the section grid.
void Choose(G& grid, int row, int index) {
    grid.SetComboCellIndex(row, 1, index);
    grid.OnComboCellSelChanged(row, 1, index);
}

int IndexOf(const std::vector<std::string>& list, const std::string& text) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == text) return int(i);
    return -1;
}

std::vector<std::string> SeriesNames() {
    std::vector<std::string> names;
    for (int i = 0; i < GetStdProfile().GetSeriesCount(); ++i) names.push_back(GetStdProfile().GetSeriesName(i));
    return names;
}

class SectionDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        data.m_info.m_nNorm = 31;
        section.SetDefault();
        section.m_pOwner = &data;
        section.m_iField = 0;
    }
    CModuleData data;
    CSection section;
    gt::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
};

double Area(int handle) {
    SektGqs g{};
    SEKT_PRO_GetResultGqs(handle, &g);
    return g.A;
}

}  // namespace

TEST_F(SectionDlgTest, SeriesSwitchedRefusesOkAndCancelKeepsTheSection) {
    const zevud::Fingerprint before = Written(section);
    bool stayedOpen = false;
    ui.OnModal(D::kTemplateId, [&](wl::Dialog& d) {
        G& grid = static_cast<D&>(d).Grid();
        const int heb = IndexOf(SeriesNames(), "HEB");
        ASSERT_GE(heb, 0);
        Choose(grid, G::ROW_SERIES, heb);
        EXPECT_EQ(grid.GetComboCellIndex(G::ROW_PROFILE, 1), -1);
        gt::Click(d, wl::IDOK);
        stayedOpen = !d.ModalEnded();
        gt::Click(d, wl::IDCANCEL);
    });
    D dlg(&section, &data);
    EXPECT_EQ(dlg.DoModal(), wl::IDCANCEL);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Fehlende Profildefinition!");
    EXPECT_EQ(Written(section), before);
}

TEST_F(SectionDlgTest, MaterialOfTheNormAndGammaM1) {
    struct Case {
        int norm;
        const char *category, *subcategory, *normName;
    };
    for (const Case c : {Case{34, "Aluminium", "Aluminium", "EC9"}, Case{7, "Stahl", "Baustahl", "DIN 18800"}}) {
        data.m_info.m_nNorm = c.norm;
        section.m_iNorm = c.norm;
        std::vector<std::string> expected;
        GetMateHandler().GetObjectNames(c.category, c.subcategory, c.normName, expected);
        ASSERT_FALSE(expected.empty()) << c.norm;
        ui.OnModal(D::kTemplateId, [&](wl::Dialog& d) {
            G& grid = static_cast<D&>(d).Grid();
            const CSectionGrid::CellRecord* rec = grid.GetCellRecord(G::ROW_MATERIAL, 1);
            ASSERT_NE(rec, nullptr);
            grid.SetComboCellIndex(G::ROW_MATERIAL, 1, 0);
            EXPECT_EQ(grid.GetComboCellText(G::ROW_MATERIAL, 1), expected[0]) << c.norm;
            gt::Click(d, wl::IDOK);
        });
        D dlg(&section, &data);
        ASSERT_EQ(dlg.DoModal(), wl::IDOK) << c.norm;
        EXPECT_EQ(section.m_strMaterial, expected[0]);
        CMateList m;
        GetMateHandler().FindObject(m, c.category, c.subcategory, c.normName, expected[0]);
        const double gm = winsys::ParseDouble(m.GetValue("gamma_m")).value_or(0);
        const double gm1 = winsys::ParseDouble(m.GetValue("gamma_m1")).value_or(0);
        EXPECT_DOUBLE_EQ(section.m_gamma_m, gm);
        // Below 1e-4 gamma_M1 takes gamma_M.
        EXPECT_DOUBLE_EQ(section.m_gamma_m1, std::fabs(gm1) < 1e-4 ? gm : gm1) << c.norm;
    }
}

TEST_F(SectionDlgTest, ParametricHaunchAndPreview) {
    shaperqt::RegisterEditor();
    ui.OnModal(shaperqt::EditDlg::kTemplateId, [](wl::Dialog& d) { gt::Click(d, wl::IDOK); });
    ui.OnModal(D::kTemplateId, [&](wl::Dialog& d) {
        D& dlg = static_cast<D&>(d);
        G& grid = dlg.Grid();
        Choose(grid, G::ROW_SELECTION, 1);
        EXPECT_FALSE(grid.IsRowShown(G::ROW_SERIES));
        grid.OnButtonCellClicked(G::ROW_INPUT, 1);  // the editor with its defaults: welded I 40/1/20/2
        ASSERT_GT(grid.StartContour().section, 0);
        EXPECT_NEAR(Area(grid.StartContour().section), 116, 1e-9);
        // Haunch on: the end starts as the start; off: gone.
        grid.SetCheckCell(G::ROW_HAUNCH, 1, 1);
        grid.OnCheckCellClicked(G::ROW_HAUNCH, 1);
        ASSERT_GT(grid.EndContour().section, 0);
        EXPECT_NE(grid.EndContour().section, grid.StartContour().section);
        EXPECT_EQ(grid.EndContour().dims, grid.StartContour().dims);
        EXPECT_NEAR(Area(grid.EndContour().section), 116, 1e-9);
        EXPECT_TRUE(grid.IsRowShown(G::ROW_INPUT_END));
        grid.SetCheckCell(G::ROW_HAUNCH, 1, 0);
        grid.OnCheckCellClicked(G::ROW_HAUNCH, 1);
        EXPECT_LT(grid.EndContour().section, 1);
        // The picture: plates drawn in the preview, one number per plate.
        const QImage img = gt::GrabToPng(d, "section_dlg_parametric");
        const QRect r = gt::RectIn(dlg.PreviewWindow().Widget(), d.Widget());
        EXPECT_GT(gt::CountInk(img, r.adjusted(3, 3, -3, -3), img.pixel(r.left() + 2, r.top() + 2)), 500);
        CKurvoRecorder rec;
        dlg.Preview().Bind(&rec);
        grid.DrawPreview();
        EXPECT_EQ(rec.Matching("Method7(").size(), 3u);
        dlg.Preview().Bind(&dlg.PreviewWindow().Graph());
        gt::Click(d, wl::IDOK);
    });
    D dlg(&section, &data);
    ASSERT_EQ(dlg.DoModal(), wl::IDOK);
    EXPECT_EQ(section.m_profSelType, 1);
    EXPECT_EQ(section.m_nShapeType, SHAPER_WELDED_I);
    EXPECT_EQ(section.m_shapeDims, (std::vector<double>{40, 1, 20, 2}));
    EXPECT_NEAR(Area(section.m_profile.GetHandle()), 116, 1e-9);
    EXPECT_EQ(section.GetProfileKey(0), "PS1A");

    // The catalogue's picture too.
    CSection catalogue;
    catalogue.SetDefault();
    ui.OnModal(D::kTemplateId, [&](wl::Dialog& d) {
        D& dlg = static_cast<D&>(d);
        EXPECT_EQ(dlg.Grid().GetComboCellText(G::ROW_PROFILE, 1), "HEA 200");
        const QImage img = gt::GrabToPng(d, "section_dlg_catalogue");
        ASSERT_FALSE(img.isNull());
        const QRect r = gt::RectIn(dlg.PreviewWindow().Widget(), d.Widget());
        EXPECT_GT(gt::CountInk(img, r.adjusted(3, 3, -3, -3), img.pixel(r.left() + 2, r.top() + 2)), 500);
        // The outline is drawn as one polygon: the flanges' eight corners
        // and per fillet its two ends and the four points between them.
        CKurvoRecorder rec;
        dlg.Preview().Bind(&rec);
        dlg.Grid().DrawPreview();
        const auto polygons = rec.Matching("Method5(");
        ASSERT_EQ(polygons.size(), 1u);
        EXPECT_EQ(polygons[0].rfind("Method5(33,", 0), 0u) << polygons[0].substr(0, 40);
        dlg.Preview().Bind(&dlg.PreviewWindow().Graph());
        gt::Click(d, wl::IDCANCEL);
    });
    D second(&catalogue, &data);
    second.DoModal();
}

// ---- through the system page -------------------------------------------------------------------

namespace {

int64_t Send(const char* action, std::vector<std::pair<const char*, int64_t>> params) {
    ZVDOC doc = CreateCommand(action, 1);
    for (const auto& [type, value] : params) AddCommandParam(doc, type, value);
    const int64_t r = interfaceFunc(doc);
    ZEVUD_CloseDoc(doc);
    return r;
}

int64_t Value(DIzevoViv* dlg) { return int64_t(reinterpret_cast<uintptr_t>(static_cast<CMainDialogBase*>(dlg))); }

}  // namespace

TEST(SectionButton, CatalogueForAllSpansThenAWeldedISpanThatCalculates) {
    winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("section_button_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / "Zweifeld.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Durchlauftraeger_Kragarm.vkx", file);
    winsys::ScopedRecordingSink sink;
    gt::ScriptedUi ui;
    dialogtest::Parent host(900, 600);
    host.Widget()->show();
    auto* dlg = dynamic_cast<DIzevoViv*>(reinterpret_cast<CMainDialogBase*>(
        uintptr_t(Send("CreateInputDlg", {{"CWnd*", int64_t(host.GetSafeHwnd())}}))));
    ASSERT_NE(dlg, nullptr);
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    Send("SetData", {{"CWnd*", Value(dlg)}, {"int", doc}});
    CRigelSysGrid& grid = dlg->SystemPage().Grid();
    const int spans = grid.FieldCount();
    ASSERT_GE(spans, 2);

    ui.OnModal(D::kTemplateId, [](wl::Dialog& d) {
        G& g = static_cast<D&>(d).Grid();
        Choose(g, G::ROW_SERIES, IndexOf(SeriesNames(), "HEB"));
        std::vector<std::string> profiles;
        GetStdProfile().GetProfileNamesOfSeries("HEB", profiles, -1);
        Choose(g, G::ROW_PROFILE, IndexOf(profiles, "HEB 300"));
        gt::Click(d, D::IDC_ALL_FIELDS);
        gt::Click(d, wl::IDOK);
    });
    grid.OnButtonCellClicked(2, CStabSysGrid::COL_SECTION);
    Send("GetData", {{"CWnd*", Value(dlg)}, {"int", doc}});
    ZVELEM system = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "input"), "system");
    for (int k = 1; k <= spans; ++k) {
        ZVELEM field = ZEVUD_FindFirstChild(system, ("field_" + std::to_string(k)).c_str());
        ZVELEM s = ZEVUD_FindFirstChild(field, "section");
        EXPECT_EQ(zevud::GetString(s, "profName"), "HEB 300") << k;
    }

    // Span 2: a welded I of its own.
    ui.OnModal(shaperqt::EditDlg::kTemplateId, [](wl::Dialog& d) {
        for (auto [i, v] : {std::pair{0, "30"}, std::pair{1, "0.8"}, std::pair{2, "16"}, std::pair{3, "1.5"}})
            gt::TypeText(d, shaperqt::EditDlg::IDC_VALUE + i, v);
        gt::Click(d, wl::IDOK);
    });
    ui.OnModal(D::kTemplateId, [](wl::Dialog& d) {
        G& g = static_cast<D&>(d).Grid();
        Choose(g, G::ROW_SELECTION, 1);
        g.OnButtonCellClicked(G::ROW_INPUT, 1);
        gt::Click(d, D::IDC_ALL_FIELDS);  // off again for this span
        gt::Click(d, wl::IDOK);
    });
    grid.OnButtonCellClicked(3, CStabSysGrid::COL_SECTION);
    Send("GetData", {{"CWnd*", Value(dlg)}, {"int", doc}});
    ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
    const std::string skw = winsys::SideFileName(file.string(), ".temp.skw");
    const int db = SEKT_DB_Open(skw.c_str(), 0);
    ASSERT_GE(db, 0) << skw;
    const int pro = SEKT_PRO_Create();
    ASSERT_GE(SEKT_DB_GetProject(db, "\\PS2A", pro), 0);
    EXPECT_EQ(SEKT_PRO_GetnWLine(pro), 3);
    EXPECT_NEAR(Area(pro), 2 * 16 * 1.5 + 0.8 * 27, 1e-9);
    SEKT_PRO_Delete(pro);
    SEKT_DB_Close(db);
    system = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "input"), "system");
    ZVELEM field2 = ZEVUD_FindFirstChild(system, "field_2");
    ZVELEM s2 = ZEVUD_FindFirstChild(field2, "section");
    EXPECT_EQ(ZEVUD_GetInt(s2, "shapeType"), SHAPER_WELDED_I);
    EXPECT_EQ(zevud::GetDoubles(s2, "shapeDims"), (std::vector<double>{30, 0.8, 16, 1.5}));
    ZEVUD_CloseDoc(doc);
    RigelModuleTeardown();

    const test_support::HostProcessRun run = test_support::RunHostProcess({"calc", file.string()});
    EXPECT_TRUE(run.code == 0 || run.code == 4) << run.code << "\n" << run.out;
    std::error_code ec;
    fs::remove_all(dir, ec);
}
