// The database import: the tree of materials and profiles, the values of
// the chosen entry, the ticks remembered per database path, and the table
// the editor inserts; how the dialog looks.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>

#include "editor/controls/MatDlg.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;

// The installed catalogues of the build tree.
class MatDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        winsys::SetHostExecutablePath(std::filesystem::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        DestroyStdProfile();
        DestroyMateHandler();
    }
    void TearDown() override {
        DestroyStdProfile();
        DestroyMateHandler();
    }
    // Runs the import from the editor with a script on the dialog.
    void Run(const std::function<void(CMatDlg&)>& script, int answer = wl::IDOK) {
        gt::ScriptedUi ui;
        ui.OnModal(CMatDlg::kTemplateId, [&](wl::Dialog& d) {
            script(static_cast<CMatDlg&>(d));
            gt::Click(d, answer);
        });
        e.dlg.SendCommand(40043);
    }
    static void Choose(CMatDlg& d, const std::string& path) {
        const wl::TreeCtrl::Item item = d.FindItem(path);
        ASSERT_NE(item, 0) << path;
        d.tree.SelectItem(item);
        d.ShowItem(item);
    }
    static void Tick(CMatDlg& d, std::initializer_list<int> rows) {
        for (int r = 1; r < d.grid.GetRowCount(); ++r) d.grid.SetCheckCell(r, 0, 0);
        for (int r : rows) d.grid.SetCheckCell(r + 1, 0, 1);
    }
    winsys::ScopedRecordingSink sink;
    editortest::Editor e;
};

TEST_F(MatDlgTest, ProfileValuesTicksAndTheInsertedTable) {
    e.Fill(editortest::Page({""}));
    std::vector<CMatGrid::Row> shown;
    Run([&](CMatDlg& d) {
        Choose(d, "Profile\\HEA\\HEA 200");
        shown = d.grid.rows;
        EXPECT_EQ(d.title, "Querschnittswerte für HEA - HEA 200");
        Tick(d, {0, 1});
    });
    ASSERT_GE(shown.size(), 3u);
    // Millimetres with one decimal, other units with two.
    for (const CMatGrid::Row& r : shown) {
        const size_t dot = r.value.find('.');
        ASSERT_NE(dot, std::string::npos) << r.name;
        EXPECT_EQ(r.value.size() - dot - 1, r.unit == "mm" ? 1u : 2u) << r.name << " " << r.value;
    }
    EXPECT_EQ(e.doc.lastPath, "Profile\\HEA");
    EXPECT_EQ(e.doc.lastObj, "HEA 200");
    EXPECT_EQ(e.doc.pathChecks["Profile\\HEA"], 3);
    // Two rows: a heading row with the title, then one row per value.
    const std::string text = e.Text();
    EXPECT_NE(text.find("Querschnittswerte für HEA - HEA 200"), std::string::npos) << text;
    EXPECT_NE(text.find(shown[0].name), std::string::npos);
    EXPECT_NE(text.find(shown[1].value), std::string::npos);
    // Reopening: the entry and its ticks again; another profile of the
    // series shares them.
    std::string selected;
    std::vector<int> ticks, ticksOther;
    Run(
        [&](CMatDlg& d) {
            selected = d.tree.GetItemText(d.tree.GetSelectedItem());
            for (const CMatGrid::Row& r : d.grid.rows) ticks.push_back(r.active);
            Choose(d, "Profile\\HEA\\HEA 220");
            for (int r = 1; r < d.grid.GetRowCount(); ++r) ticksOther.push_back(d.grid.GetCheckCell(r, 0));
        },
        wl::IDCANCEL);
    EXPECT_EQ(selected, "HEA 200");
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_EQ((std::vector<int>{ticks[0], ticks[1], ticks[2]}), (std::vector<int>{1, 1, 0}));
    EXPECT_EQ((std::vector<int>{ticksOther[0], ticksOther[1], ticksOther[2]}), (std::vector<int>{1, 1, 0}));
}

TEST_F(MatDlgTest, MaterialOneRowBranchAndNothing) {
    e.Fill(editortest::Page({""}));
    // One active row: a one-row table "title - name".
    std::vector<CMatGrid::Row> rows;
    Run([&](CMatDlg& d) {
        Choose(d, "Stahl\\Baustahl\\DIN 18800\\S235");
        rows = d.grid.rows;
        Tick(d, {0});
    });
    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(rows[0].variable, "fyk");
    EXPECT_EQ(rows[0].value, "240");
    EXPECT_EQ(rows[0].unit, "N/mm²");
    EXPECT_EQ(e.doc.lastPath, "Stahl\\Baustahl\\DIN 18800");
    EXPECT_NE(e.Text().find("Baustahl - DIN 18800 - S235 - " + rows[0].name), std::string::npos) << e.Text();
    EXPECT_NE(e.Text().find("fyk"), std::string::npos);
    // The objects of one norm share their ticks.
    int shared = -1;
    Run([&](CMatDlg& d) {
        Choose(d, "Stahl\\Baustahl\\DIN 18800\\S355");
        shared = d.grid.GetCheckCell(1, 0);
        // A branch: an empty grid, nothing to insert.
        Choose(d, "Stahl\\Baustahl");
        EXPECT_EQ(d.grid.GetRowCount(), 1);
        EXPECT_TRUE(d.grid.rows.empty());
    });
    EXPECT_EQ(shared, 1);
    EXPECT_TRUE(e.doc.lastPath.empty());
    // No active row: nothing inserted.
    const std::string before = e.Text();
    Run([&](CMatDlg& d) {
        Choose(d, "Stahl\\Baustahl\\DIN 18800\\S235");
        Tick(d, {});
    });
    EXPECT_EQ(e.Text(), before);
}

TEST_F(MatDlgTest, TicksBeyondThe32ndRowAreNotRemembered) {
    CMatDlg d;
    d.document = &e.doc;
    ASSERT_TRUE(d.Create(nullptr));
    d.grid.rows.assign(40, CMatGrid::Row{1, "n", "v", "1", "m"});
    d.grid.TransferData(false);
    e.doc.lastPath = "Stahl\\Baustahl\\DIN 18800";
    e.doc.lastObj = "S235";
    d.TransferData(true);
    EXPECT_EQ(static_cast<unsigned>(e.doc.pathChecks["Stahl\\Baustahl\\DIN 18800"]), 0xFFFFFFFFu);
    // Read back, rows 33 on start unticked.
    d.current = 0;
    d.ShowItem(d.FindItem("Stahl\\Baustahl\\DIN 18800\\S235"));
    for (const CMatGrid::Row& r : d.grid.rows) EXPECT_EQ(r.active, 1);
}

TEST_F(MatDlgTest, Screenshot) {
    CMatDlg d;
    d.document = &e.doc;
    e.doc.lastPath = "Stahl\\Baustahl\\DIN 18800";
    e.doc.lastObj = "S235";
    e.doc.pathChecks["Stahl\\Baustahl\\DIN 18800"] = 5;
    ASSERT_TRUE(d.Create(nullptr));
    d.Widget()->show();
    gt::ProcessEventsFor(20);
    const QImage img = gt::GrabToPng(d, "editor_database_import");
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(d.tree.GetItemText(d.tree.GetSelectedItem()), "S235");
    EXPECT_EQ(d.grid.GetCheckCell(1, 0), 1);
    EXPECT_EQ(d.grid.GetCheckCell(2, 0), 0);
    EXPECT_EQ(d.grid.GetCheckCell(3, 0), 1);
    const QRect grid = gt::RectIn(d.GetDlgItemWidget(CMatDlg::kGridId), d.Widget());
    const QRect tree = gt::RectIn(d.GetDlgItemWidget(CMatDlg::kTreeId), d.Widget());
    EXPECT_GT(gt::CountInk(img, grid, qRgb(255, 255, 255)), 300);
    EXPECT_GT(gt::CountInk(img, tree, qRgb(255, 255, 255)), 100);
}

}  // namespace
