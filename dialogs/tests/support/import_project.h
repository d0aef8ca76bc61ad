// A project folder of positions that export values, as the current folder,
// for the tests of the value-import dialogs; and the scripted choices of a
// row in their position list and an item in their value tree.
#pragma once

#include <gtest/gtest.h>

#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "formula/ImportValueList.h"
#include "module/BaseData.h"
#include "platform/wl/controls.h"
#include "testsupport/scratch.h"

namespace dialogtest {

// "12B" exports the value "M-max" (12.5 kNm) behind the folder "Auflager"
// with "A" (3 kN) and "B" (4 kN); "Pos2" exports nothing; "Fremd" belongs to
// an unknown program; "Kaputt" has a damaged head. The program "TESTK" of
// module "modul" is known to the program database while the test runs.
class ImportProject : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    const std::filesystem::path& dir() const { return scratch_->path(); }

private:
    std::unique_ptr<test_support::ScratchDir> scratch_;
};

// Writes a position of the given program, with or without the exports above.
void WritePosition(const std::filesystem::path& file, const char* program, bool exports);

template <class Dlg>
void ChooseRow(Dlg& d, int row) {
    auto* w = static_cast<QTreeWidget*>(d.Positions().Widget());
    w->setCurrentItem(w->topLevelItem(row));
}
template <class Dlg>
void ChooseItem(Dlg& d, wl::TreeCtrl::Item item) {
    auto* w = static_cast<QTreeWidget*>(d.Values().Widget());
    w->setCurrentItem(d.Values().ItemOf(item));
}
// The position list of a dialog on this project: "12B" and "Pos2" (the
// unknown program and the damaged head left out), nothing selected.
template <class Dlg>
void ExpectProjectPositions(Dlg& d) {
    wl::ListCtrl& list = d.Positions();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), "12B");
    EXPECT_EQ(list.GetItemText(0, 1), "VK-TESTK/modul");
    EXPECT_EQ(list.GetItemText(1, 0), "Pos2");
    EXPECT_EQ(list.GetSelectedItem(), -1);
}
// A value taken over earlier into the position: the variable `name` with
// `value`, imported from `path`.
inline void TakeOver(CBaseData& pos, const char* path, const char* name, double value) {
    CImportValue v;
    v.m_strSourcePath = path;
    v.m_strVarName = name;
    v.m_dValue = value;
    AddImportValueToList(pos.m_varDefs, v);
}
// The first sibling from `first` on whose text begins with `prefix`, or 0.
wl::TreeCtrl::Item FindItem(wl::TreeCtrl& t, wl::TreeCtrl::Item first, const std::string& prefix);

}  // namespace dialogtest
