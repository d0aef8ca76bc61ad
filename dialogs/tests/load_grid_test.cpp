// The load input grid: type changes, open columns, the entry row and the
// context menu with the value take-over.
#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>
#include <unistd.h>

#include <filesystem>

#include "dialogs/LoadGrid.h"
#include "dialogs/SimpleImportDlg.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "platform/zevud/zevud.h"
#include "platform/wl/testing/gui_test.h"
#include "support/dialog_parent.h"

namespace {

class Loads : public dialogtest::GridOnParent<CLoadGrid> {
public:
    explicit Loads(bool allTypes = true) : GridOnParent<CLoadGrid>(900, 240) {
        for (int t = 0; t < LOAD_TYPE_COUNT; ++t) grid.EnableLoadType(t, allTypes);
        grid.SetEditableLoadCases(true);
        grid.InitGrid();
        grid.SetActionNames({"G Eigenlast", "Q Nutzlast"});
        grid.SetNodeChoices("%d (x=%.2lf m)", {0.0, 5.0});
        grid.ExchangeData(false);
    }
    void Edit(int row, int col, const std::string& text) {
        grid.SetFocusCell(row, col);
        grid.OnEndEditCell(row, col, text);
    }
    void Choose(int row, int col, int index) {
        // As the list does it: the choice, then the end of the edit.
        grid.SetComboCellIndex(row, col, index);
        grid.SetFocusCell(row, col);
        grid.OnComboCellSelChanged(row, col, index);
        grid.OnEndEditCell(row, col, grid.GetItemText(row, col));
    }
    std::string Open(int row) const {
        std::string s;
        for (int c = 0; c < CLoadGrid::kColumns; ++c) s += (c > 0 && grid.IsCellEnabled(row, c)) ? '1' : '0';
        return s;
    }
};

}  // namespace

TEST(LoadGrid, TypeChangesOpenTheirColumns) {
    Loads f;
    f.Edit(1, 3, "Dach");  // the entry row makes a load
    ASSERT_EQ(f.grid.Loads().size(), 1u);
    EXPECT_EQ(f.grid.Loads()[0].m_strDesc, "Dach");

    f.Choose(1, 4, LOAD_SELF_WEIGHT);
    EXPECT_EQ(f.grid.Loads()[0].m_iLoadType, LOAD_SELF_WEIGHT);
    EXPECT_DOUBLE_EQ(f.grid.Loads()[0].m_val[0].GetValue(), 12.34);
    EXPECT_EQ(f.Open(1), "01111000000000000");

    f.Choose(1, 4, LOAD_TRAPEZOID);
    EXPECT_EQ(f.Open(1), "01111111111111111");  // without direction: six values
    f.Choose(1, 10, 2);
    EXPECT_TRUE(f.grid.Loads()[0].m_bHasDirection);
    EXPECT_EQ(f.grid.Loads()[0].m_iDirection, 2);
    EXPECT_EQ(f.Open(1), "01111111111110000");  // with a direction: two
    f.grid.SelectCell(1, 3);
    EXPECT_EQ(f.grid.GetItemText(0, 11), "P1");
    EXPECT_EQ(f.grid.GetItemText(0, 12), "P2");
    EXPECT_EQ(f.grid.GetItemText(0, 13), "---");
}

TEST(LoadGrid, EntryRow) {
    {
        SCOPED_TRACE("a direction chosen makes a load with it");
        Loads f;
        f.Choose(1, 10, 1);
        ASSERT_EQ(f.grid.Loads().size(), 1u);
        EXPECT_TRUE(f.grid.Loads()[0].m_bHasDirection);
        EXPECT_EQ(f.grid.Loads()[0].m_iDirection, 1);
        EXPECT_EQ(f.grid.GetRowCount(), 3);
    }
    {
        SCOPED_TRACE("0.0 as offset makes no load; 2,5 does");
        Loads f;
        f.Edit(1, 6, "0.0");
        EXPECT_TRUE(f.grid.Loads().empty());
        f.Edit(1, 6, "2,5");
        ASSERT_EQ(f.grid.Loads().size(), 1u);
        EXPECT_DOUBLE_EQ(f.grid.Loads()[0].m_offset.GetValue(), 2.5);
    }
    {
        SCOPED_TRACE("no enabled type: no type choices");
        Loads f(false);
        auto* combo = dynamic_cast<CGridCellCombo*>(f.grid.GetCell(1, 4));
        ASSERT_NE(combo, nullptr);
        EXPECT_TRUE(combo->GetOptions().empty());
    }
}

TEST(LoadGrid, TakeOverIsOfferedOnlyWithImportedValues) {
    wl::guitest::ScriptedUi ui;
    Loads f;
    f.Edit(1, 3, "Wind");
    const QPoint p = f.Centre(1, 11);
    ui.menuAnswers.push_back(0);
    f.grid.OnRButtonUp(0, {p.x(), p.y()});
    ASSERT_EQ(ui.menus.size(), 1u);
    EXPECT_EQ(ui.menus[0].items.size(), 2u);  // delete and copy

    std::vector<CImportValue> imported;
    f.grid.SetImportValues(&imported);
    ui.menuAnswers.push_back(0);
    f.grid.OnRButtonUp(0, {p.x(), p.y()});
    ASSERT_EQ(ui.menus.size(), 2u);
    ASSERT_EQ(ui.menus[1].items.size(), 4u);
    EXPECT_EQ(ui.menus[1].items[3].text, "Lastübernahme");

    // Cancel in the import dialog changes nothing.
    const std::string before = f.grid.Loads()[0].m_val[0].GetText();
    ui.OnModal(IDD_SIMPLE_IMPORT, [](wl::Dialog& d) { wl::guitest::Click(d, wl::IDCANCEL); });
    f.grid.OnContextMenuCommand(1, 11, CLoadGrid::CMD_TAKE_OVER);
    EXPECT_EQ(ui.modalRuns.size(), 1u);
    EXPECT_TRUE(imported.empty());
    EXPECT_EQ(f.grid.Loads()[0].m_val[0].GetText(), before);

    SetLoadValueImportRunner([](wl::Window*) { return std::optional<LoadValueImport>(LoadValueImport{"qk_wind", {}}); });
    f.grid.OnContextMenuCommand(1, 11, CLoadGrid::CMD_TAKE_OVER);
    SetLoadValueImportRunner(nullptr);
    EXPECT_EQ(imported.size(), 1u);
    EXPECT_EQ(f.grid.Loads()[0].m_val[0].GetText(), "qk_wind");
}

TEST(LoadGrid, TakeOverThroughTheImportDialogWritesTheVariableName) {
    // A project folder whose position "12B" exports "M-max" = 12.5 kNm.
    namespace fs = std::filesystem;
    ModuleTeardown();
    CProgDBEntry entry;
    entry.m_strShortProgName = "TESTK";
    entry.m_strShortModuleName = "modul";
    GetProgDB().AddEntry("TESTK", "modul", entry);
    const fs::path old = fs::current_path();
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("load_grid_import_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    ZVDOC doc = ZEVUD_CreateDoc((dir / "12B.vkx").string().c_str());
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_SetString(root, "progname", "TESTK");
    ZEVUD_SetString(root, "modulename", "modul");
    ZVELEM value = ZEVUD_AddChildElement(ZEVUD_AddChildElement(root, "exports"), "value");
    ZEVUD_SetString(value, "desc", "M-max");
    ZEVUD_SetString(value, "varName", "M-max");
    ZEVUD_SetString(value, "unit", "kNm");
    ZEVUD_SetDouble(value, "val", 12.5);
    ZEVUD_SaveDoc(doc);
    ZEVUD_CloseDoc(doc);
    fs::current_path(dir);

    wl::guitest::ScriptedUi ui;
    ui.OnModal(IDD_SIMPLE_IMPORT, [](wl::Dialog& d) {
        auto& dlg = static_cast<CDlgSimpleImportVal&>(d);
        static_cast<QTreeWidget*>(dlg.Positions().Widget())->setCurrentItem(
            static_cast<QTreeWidget*>(dlg.Positions().Widget())->topLevelItem(0));
        const auto item = dlg.Values().GetRootItem();
        static_cast<QTreeWidget*>(dlg.Values().Widget())->setCurrentItem(dlg.Values().ItemOf(item));
        wl::guitest::Click(dlg, wl::IDOK);
    });
    Loads f;
    f.Edit(1, 3, "Wind");
    std::vector<CImportValue> imported;
    f.grid.SetImportValues(&imported);
    const std::string first = f.grid.Loads()[0].m_val[0].GetText();
    f.grid.OnContextMenuCommand(1, 12, CLoadGrid::CMD_TAKE_OVER);
    fs::current_path(old);
    fs::remove_all(dir);
    ModuleTeardown();

    ASSERT_EQ(ui.modalRuns.size(), 1u);
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_EQ(imported[0].m_strSourcePath, "12B\\M-max");
    EXPECT_DOUBLE_EQ(imported[0].m_dValue, 12.5);
    // Column 12 is the load's second value; the first stays as it was.
    EXPECT_EQ(f.grid.Loads()[0].m_val[1].GetText(), "P_12B_M_max");
    EXPECT_EQ(f.grid.Loads()[0].m_val[0].GetText(), first);
}

TEST(Screenshot, LoadGrid) {
    Loads f;
    const int types[] = {LOAD_UNIFORM, LOAD_TRAPEZOID, LOAD_POINT, LOAD_SELF_WEIGHT, LOAD_TEMPERATURE};
    for (int i = 0; i < 5; ++i) {
        f.Edit(i + 1, 3, "Last " + std::to_string(i + 1));
        f.Choose(i + 1, 4, types[i]);
        f.Choose(i + 1, 1, i % 2);
    }
    f.Edit(2, 11, "2,5");
    f.grid.SelectCell(2, 3);
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(f.parent, "dialogs_load_grid");
    long long total = 0;
    for (int c = 0; c < f.grid.GetColumnCount(); ++c) total += f.grid.GetColumnWidth(c);
    EXPECT_EQ(total, f.grid.GetGridClientRect().Width());
    const QRect grid = wl::guitest::RectIn(f.grid.Widget(), f.parent.Widget());
    wl::Rect r;
    f.grid.GetCellRect(4, 12, r);  // a closed value cell of the self weight
    const QRect closed(grid.left() + r.left + 2, grid.top() + r.top + 2, r.Width() - 4, r.Height() - 4);
    const QRgb grey = ToQColor(CExtGridCtrl::kReadOnlyBack).rgb();
    EXPECT_GT(wl::guitest::CountPixels(img, closed, [&](QRgb c) { return wl::guitest::Near(c, grey, 4); }),
              closed.width() * closed.height() / 2);
}
