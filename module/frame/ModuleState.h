// The module's process-wide objects. None of them is built by static
// initialisation: they are built on first use or by ModuleStart, in the
// order paths and log, registry and settings, translation, catalogue, and
// torn down explicitly by ModuleTeardown before the library is unloaded
// (never by a static destructor, since the catalogue may destroy windows).
#pragma once

class CRegSettings;
class CProgDB;

// Builds every object that is not built yet. Safe to call more than once.
void ModuleStart();
// Destroys the catalogue and the settings (in reverse order). A later use
// builds them again.
void ModuleTeardown();
// A step ModuleTeardown runs first (window libraries empty their caches of
// toolkit objects this way). Steps run in the order they were added.
void AddTeardownStep(void (*step)());

// The switch of runs without a user (the host's command line). On, the
// reader does not replace input it cannot use (an unknown catalogue profile
// or steel grade, a formula that cannot be evaluated) but records it, and the
// calculation is refused naming the field and the value; off (the window
// mode), the input is replaced and the user is told so.
void SetBatchRun(bool on);
bool IsBatchRun();

// The global settings object.
CRegSettings& GetRegSettings();
// The global program catalogue.
CProgDB& GetProgDB();

// The host's routine that shows an RTF tip file (registered by the host).
using ShowRtfTipProc = void (*)(const char* tipFile);
void SetShowRtfTipFunc(ShowRtfTipProc proc);
ShowRtfTipProc GetShowRtfTipFunc();
