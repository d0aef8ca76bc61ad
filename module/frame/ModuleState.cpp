#include "module/frame/ModuleState.h"

#include <vector>

#include "formula/VarDef.h"

#include "module/frame/PositionConverter.h"
#include "module/frame/ProgDB.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"

namespace {

// Plain pointers: nothing here is destroyed by a static destructor.
CRegSettings* g_settings = nullptr;
CProgDB* g_progDB = nullptr;
ShowRtfTipProc g_showRtfTip = nullptr;
bool g_batchRun = false;

std::vector<void (*)()>& TeardownSteps() {
    static std::vector<void (*)()>* steps = new std::vector<void (*)()>;
    return *steps;
}

}  // namespace

void ModuleStart() {
    StartupLog();      // paths and the log
    GetRegSettings();  // registry and settings
    // The variable definitions read their integer settings through the settings object.
    SetVarDefSettingReader([](const std::string& name, int def) { return GetRegSettings().GetInt("", name, def); });
    // Translation needs no start: the translation layer serves texts as asked.
    GetProgDB();       // the catalogue
}

void AddTeardownStep(void (*step)()) {
    if (step) TeardownSteps().push_back(step);
}

void ModuleTeardown() {
    for (auto step : TeardownSteps()) step();
    SetVarDefSettingReader(nullptr);
    delete g_progDB;
    g_progDB = nullptr;
    ReleasePositionConverter();
    delete g_settings;
    g_settings = nullptr;
    g_showRtfTip = nullptr;
}

CRegSettings& GetRegSettings() {
    if (!g_settings) g_settings = new CRegSettings();
    return *g_settings;
}

CProgDB& GetProgDB() {
    if (!g_progDB) {
        GetRegSettings();  // the settings come first
        g_progDB = new CProgDB();
        InstallPositionConverter(*g_progDB);  // older position files are converted before they are classified
    }
    return *g_progDB;
}

void SetBatchRun(bool on) { g_batchRun = on; }
bool IsBatchRun() { return g_batchRun; }

void SetShowRtfTipFunc(ShowRtfTipProc proc) { g_showRtfTip = proc; }
ShowRtfTipProc GetShowRtfTipFunc() { return g_showRtfTip; }
