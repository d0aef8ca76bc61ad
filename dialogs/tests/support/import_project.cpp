#include "import_project.h"

#include <fstream>

#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace dialogtest {

namespace {

void Value(ZVELEM parent, const char* desc, const char* varName, const char* unit, double v) {
    ZVELEM e = ZEVUD_AddChildElement(parent, "value");
    ZEVUD_SetString(e, "desc", desc);
    ZEVUD_SetString(e, "varName", varName);
    ZEVUD_SetString(e, "unit", unit);
    ZEVUD_SetDouble(e, "val", v);
}

}  // namespace

void WritePosition(const fs::path& file, const char* program, bool exports) {
    ZVDOC doc = ZEVUD_CreateDoc(file.string().c_str());
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_SetString(root, "progname", program);
    ZEVUD_SetString(root, "modulename", "modul");
    if (exports) {
        // The folder stands before the value, so that a tree showing the
        // position's own values first has to order them.
        ZVELEM ex = ZEVUD_AddChildElement(root, "exports");
        ZVELEM folder = ZEVUD_AddChildElement(ex, "folder");
        ZEVUD_SetString(folder, "desc", "Auflager");
        Value(folder, "A", "A", "kN", 3.0);
        Value(folder, "B", "B", "kN", 4.0);
        Value(ex, "M-max", "M-max", "kNm", 12.5);
    }
    ZEVUD_SaveDoc(doc);
    ZEVUD_CloseDoc(doc);
}

void ImportProject::SetUp() {
    ModuleTeardown();
    CProgDBEntry e;
    e.m_strShortProgName = "TESTK";
    e.m_strShortModuleName = "modul";
    GetProgDB().AddEntry("TESTK", "modul", e);
    // One folder per test: the tests of a program run side by side.
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = std::make_unique<test_support::ScratchDir>(std::string("import_project_") + info->test_suite_name() +
                                                          "_" + info->name());
    WritePosition(dir() / "12B.vkx", "TESTK", true);
    WritePosition(dir() / "Pos2.vkx", "TESTK", false);
    WritePosition(dir() / "Fremd.vkx", "UNBEKANNT", true);
    std::ofstream(dir() / "Kaputt.vkx") << "<?xml ver\x01\x02 kaputt";
}

void ImportProject::TearDown() {
    scratch_.reset();
    ModuleTeardown();
}

wl::TreeCtrl::Item FindItem(wl::TreeCtrl& t, wl::TreeCtrl::Item first, const std::string& prefix) {
    for (wl::TreeCtrl::Item i = first; i; i = t.GetNextSiblingItem(i))
        if (t.GetItemText(i).rfind(prefix, 0) == 0) return i;
    return 0;
}

}  // namespace dialogtest
