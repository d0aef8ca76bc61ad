// The choice of many exported values: the project's positions (unknown
// programs and damaged files left out), the value tree, taking over folders
// and values, releasing them, and OK rewriting the position's imported-value
// entries; a screenshot.
#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>
#include <functional>

#include "dialogs/ImportValDlg.h"
#include "module/BaseData.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "support/import_project.h"

namespace {

using wl::guitest::ScriptedUi;
using Item = wl::TreeCtrl::Item;

// The project folder of the shared fixture as the current directory.
using ImportVal = dialogtest::ImportProject;
using dialogtest::ChooseItem;
using dialogtest::ChooseRow;
using dialogtest::FindItem;

class PositionData : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>&, int) override { return true; }
};

std::unique_ptr<CVarDefTitle> Title(const char* text) {
    auto t = std::make_unique<CVarDefTitle>();
    t->m_strTitle = text;
    return t;
}
std::unique_ptr<CVarDefVariable> Variable(const char* name) {
    auto v = std::make_unique<CVarDefVariable>();
    v->m_strVarName = name;
    return v;
}
std::unique_ptr<CVarDefImport> Imported(const char* path, const char* name, double value) {
    auto v = std::make_unique<CVarDefImport>();
    v->m_import.m_strSourcePath = path;
    v->m_import.m_strVarName = name;
    v->m_import.m_dValue = value;
    return v;
}

// The list as text: "T:title", "V:name", "I:name=value".
std::vector<std::string> Describe(const CVarDefList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetSize(); ++i) {
        const CVarDefEntry* e = list.GetAt(i);
        if (e->m_nType == VARDEF_TITLE) out.push_back("T:" + static_cast<const CVarDefTitle*>(e)->m_strTitle);
        if (e->m_nType == VARDEF_VARIABLE) out.push_back("V:" + static_cast<const CVarDefVariable*>(e)->m_strVarName);
        if (e->m_nType == VARDEF_IMPORT) {
            const CImportValue& v = static_cast<const CVarDefImport*>(e)->m_import;
            out.push_back("I:" + v.m_strVarName + "=" + winsys::FormatC("%g", v.m_dValue));
        }
    }
    return out;
}

}  // namespace

TEST_F(ImportVal, PositionsTreeAndTakingOver) {
    CDlgImportVal dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dialogtest::ExpectProjectPositions(dlg);
    if (HasFatalFailure()) return;

    ChooseRow(dlg, 1);
    wl::TreeCtrl& tree = dlg.Values();
    ASSERT_EQ(tree.GetCount(), 1);
    EXPECT_EQ(tree.GetItemText(tree.GetRootItem()), "Die Datei 'Pos2.vkx' exportiert keine Ergebnisse!");
    ChooseItem(dlg, tree.GetRootItem());
    dlg.TakeSelected();  // the message offers nothing
    EXPECT_TRUE(dlg.Chosen().empty());

    ChooseRow(dlg, 0);
    const Item mmax = FindItem(tree, tree.GetRootItem(), "M-max");
    const Item folder = FindItem(tree, tree.GetRootItem(), "Auflager");
    ASSERT_NE(mmax, 0);
    ASSERT_NE(folder, 0);
    // A folder takes over every value below it; a second time changes nothing.
    for (int pass = 0; pass < 2; ++pass) {
        ChooseItem(dlg, folder);
        dlg.TakeSelected();
        ASSERT_EQ(dlg.Chosen().size(), 2u);
        EXPECT_EQ(dlg.Grid().GetRowCount(), 3);
    }
    EXPECT_EQ(dlg.Chosen()[0].m_strSourcePath, "12B\\Auflager\\A");
    EXPECT_EQ(dlg.Chosen()[1].m_strVarName, "P_12B_B");
    EXPECT_TRUE(tree.IsItemBold(tree.GetChildItem(folder)));
    // The value: "M-max" becomes "P_12B_M_max"; a double click again renews
    // its row instead of adding one.
    ChooseItem(dlg, mmax);
    dlg.RenewSelected();
    dlg.Grid().SetItemText(3, CImportValGrid::COL_VARIABLE, "meinM");
    dlg.RenewSelected();
    ASSERT_EQ(dlg.Chosen().size(), 3u);
    EXPECT_EQ(dlg.Chosen()[2].m_strVarName, "P_12B_M_max");
    EXPECT_EQ(dlg.Grid().GetItemText(3, CImportValGrid::COL_VALUE), "12.50 kNm");
    // Releasing the folder takes out its two values only.
    ChooseItem(dlg, folder);
    dlg.ReleaseSelected();
    ASSERT_EQ(dlg.Chosen().size(), 1u);
    EXPECT_FALSE(tree.IsItemBold(tree.GetChildItem(folder)));
    // The row menu's delete: the value loses its bold state.
    dlg.Grid().OnContextMenuCommand(1, 0, CImportValGrid::CMD_DELETE);
    EXPECT_TRUE(dlg.Chosen().empty());
    EXPECT_FALSE(tree.IsItemBold(FindItem(tree, tree.GetRootItem(), "M-max")));
}

TEST_F(ImportVal, OkRewritesTheImportedValueEntries) {
    struct Case {
        const char* name;
        std::function<void(CVarDefList&)> make;
        bool takeAll;  // else: "Alle Werte nicht mehr übernehmen"
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"empty list: the entries only", [](CVarDefList&) {}, true, {"I:P_12B_M_max=12.5", "I:P_12B_A=3", "I:P_12B_B=4"}},
        {"other entries without title: a title first",
         [](CVarDefList& l) { l.Add(Variable("a")); }, true,
         {"V:a", "T:Lastübernahmen", "I:P_12B_M_max=12.5", "I:P_12B_A=3", "I:P_12B_B=4"}},
        {"a list beginning with a title: the entries only",
         [](CVarDefList& l) {
             l.Add(Title("Eingaben"));
             l.Add(Variable("a"));
         },
         true, {"T:Eingaben", "V:a", "I:P_12B_M_max=12.5", "I:P_12B_A=3", "I:P_12B_B=4"}},
        {"a kept value (already bold, so not taken afresh) stays in place; new ones follow it, named after the "
         "file as shown",
         [](CVarDefList& l) {
             l.Add(Imported("12b\\M-MAX", "alt", 1.0));
             l.Add(Variable("a"));
         },
         true, {"I:alt=1", "I:P_12b_A=3", "I:P_12b_B=4", "V:a"}},
        {"all rows deleted: every imported value goes, titles stay",
         [](CVarDefList& l) {
             l.Add(Title("Lastübernahmen"));
             l.Add(Imported("12B\\M-max", "x", 1.0));
             l.Add(Imported("Alt\\Wert", "y", 2.0));
         },
         false, {"T:Lastübernahmen"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PositionData data;
        c.make(data.m_varDefs);
        ScriptedUi ui;
        ui.OnModal(CDlgImportVal::kTemplateId, [&](wl::Dialog& d) {
            auto& dlg = static_cast<CDlgImportVal&>(d);
            if (c.takeAll) {
                ChooseRow(dlg, 0);
                wl::TreeCtrl& tree = dlg.Values();
                for (Item i = tree.GetRootItem(); i; i = tree.GetNextSiblingItem(i)) {
                    ChooseItem(dlg, i);
                    dlg.TakeSelected();
                }
            } else {
                dlg.ReleaseAll();
            }
            wl::guitest::Click(d, wl::IDOK);
        });
        CDlgImportVal dlg;
        dlg.SetBaseData(&data);
        ASSERT_EQ(dlg.DoModal(), wl::IDOK);
        EXPECT_EQ(Describe(data.m_varDefs), c.expected);
        // Written and read back, the document holds the same definitions.
        ZVDOC doc = ZEVUD_CreateDoc("");
        ZVELEM input = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "input");
        data.m_varDefs.WriteData(input);
        CVarDefList back;
        back.ReadData(input);
        ZEVUD_CloseDoc(doc);
        EXPECT_EQ(Describe(back), c.expected);
    }
}

TEST_F(ImportVal, CancelChangesNothingAndTheLastChosenPositionIsShown) {
    PositionData data;
    data.m_varDefs.Add(Imported("12B\\Auflager\\A", "P_12B_A", 3.0));
    ScriptedUi ui;
    ui.OnModal(CDlgImportVal::kTemplateId, [&](wl::Dialog& d) {
        auto& dlg = static_cast<CDlgImportVal&>(d);
        EXPECT_EQ(dlg.Positions().GetSelectedItem(), 0);
        EXPECT_EQ(dlg.ShownFile(), "12B.vkx");
        EXPECT_EQ(dlg.Grid().GetRowCount(), 2);
        const Item sel = dlg.Values().GetSelectedItem();
        EXPECT_TRUE(dlg.Values().IsItemBold(sel));
        dlg.ReleaseAll();
        wl::guitest::Click(d, wl::IDCANCEL);
    });
    CDlgImportVal dlg;
    dlg.SetBaseData(&data);
    EXPECT_EQ(dlg.DoModal(), wl::IDCANCEL);
    EXPECT_EQ(Describe(data.m_varDefs), std::vector<std::string>{"I:P_12B_A=3"});
}

TEST_F(ImportVal, Screenshot) {
    PositionData data;
    data.m_varDefs.Add(Imported("12B\\M-max", "P_12B_M_max", 12.5));
    CDlgImportVal dlg;
    dlg.SetBaseData(&data);
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.Widget()->show();
    wl::guitest::ProcessEventsFor(20);
    QImage img = wl::guitest::GrabToPng(dlg, "dialogs_import_values");
    ASSERT_FALSE(img.isNull());
    // A bold item is wider than its plain twin: the chosen value's text is
    // drawn wider than the same text in a plain item.
    wl::TreeCtrl& tree = dlg.Values();

    QTreeWidgetItem* bold = tree.ItemOf(FindItem(tree, tree.GetRootItem(), "M-max"));
    ASSERT_NE(bold, nullptr);
    QFont plain = bold->font(0);
    plain.setBold(false);
    EXPECT_GT(QFontMetrics(bold->font(0)).horizontalAdvance(bold->text(0)),
              QFontMetrics(plain).horizontalAdvance(bold->text(0)));
    // The position rows carry the program's icon: ink in the icon's square.
    auto* positions = static_cast<QTreeWidget*>(dlg.Positions().Widget());
    const QRect row = positions->visualItemRect(positions->topLevelItem(0));
    const QRect inList = wl::guitest::RectIn(positions->viewport(), dlg.Widget());
    const QRect icon(inList.left() + row.left() + 2, inList.top() + row.top(), 18, row.height());
    EXPECT_GT(wl::guitest::CountInk(img, icon, img.pixel(inList.left() + row.right() - 2, inList.top() + row.center().y())),
              20);

}
