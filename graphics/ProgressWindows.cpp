#include "graphics/ProgressWindows.h"

#include "graphics/core/ProgressDlg.h"
#include "platform/wl/progress_window.h"
#include "platform/wl/templates.h"

namespace graphics {

namespace {

using wl::Kind;

// The progress window's template: cancel button, bar, percentage and the
// line of text.
const wl::TemplateRegistrar kTemplates({
    {CProgressDlg::kTemplateId, "", 220, 62, 0,
     {
         {CProgressDlg::kTextId, Kind::Static, "", 7, 7, 206, 10},
         {CProgressDlg::kBarId, Kind::Progress, "", 7, 21, 170, 12},
         {CProgressDlg::kPercentId, Kind::Static, " 0 %", 182, 23, 31, 10, wl::kRight},
         {CProgressDlg::kCancelId, Kind::Button, "Abbrechen", 163, 41, 50, 14},
     }},
});

}  // namespace

void InstallProgressWindows() { wl::InstallProgressWindows(); }

void RemoveProgressWindows() { wl::RemoveProgressWindows(); }

}  // namespace graphics
