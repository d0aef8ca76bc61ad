// The main input dialog as the host drives it through the module's
// commands, on a copy of an example position in a folder of its own, with
// the installation of the build tree and a shown host window. Header-only.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/MainDlg.h"
#include "module/tests/support/module_commands.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"
#include "dialog_parent.h"

namespace dialogtest {

using moduletest::Send;
using moduletest::Value;

// The value the host holds for a main dialog: what "CreateInputDlg" answered.
inline int64_t Value(DIzevoViv* dlg) { return Value(static_cast<CMainDialogBase*>(dlg)); }

// An edit of a grid cell as the user ends it.
inline void Edit(CExtGridCtrl& grid, int row, int col, const std::string& text) {
    grid.SetFocusCell(row, col);
    grid.OnEndEditCell(row, col, text);
}

class MainDlgSession : public ::testing::Test {
protected:
    // example: the file name below examples/; prefix: of the scratch folder.
    MainDlgSession(std::string example, std::string prefix, int width, int height)
        : host(width, height), example_(std::move(example)), prefix_(std::move(prefix)) {}

    void SetUp() override {
        namespace fs = std::filesystem;
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        dir = fs::path(RIGEL_TEST_TMP) /
              (prefix_ + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / example_;
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / example_, file);
        host.Widget()->show();
    }
    void TearDown() override {
        RigelModuleTeardown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    // "CreateInputDlg" in the host window.
    DIzevoViv* Create() {
        const int64_t v = Send("CreateInputDlg", {{"CWnd*", static_cast<int64_t>(host.GetSafeHwnd())}});
        return dynamic_cast<DIzevoViv*>(reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(v)));
    }
    ZVDOC Open() { return ZEVUD_OpenDoc(file.string().c_str()); }
    void SetData(DIzevoViv* dlg, ZVDOC doc) { Send("SetData", {{"CWnd*", Value(dlg)}, {"int", doc}}); }
    void GetData(DIzevoViv* dlg, ZVDOC doc) { Send("GetData", {{"CWnd*", Value(dlg)}, {"int", doc}}); }
    void Choose(DIzevoViv* dlg, int pageId) {
        wl::guitest::ClickTab(*dlg, IDC_MAIN_TAB, dlg->GetTabIndexOfPage(pageId));
    }

    std::filesystem::path dir, file;
    Parent host;
    winsys::ScopedRecordingSink sink;

private:
    std::string example_, prefix_;
};

}  // namespace dialogtest
