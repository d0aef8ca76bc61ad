// The progress windows of the window layer: installs the provider through
// which CProgressDlg (and any other progress logic) opens its window.
#pragma once

namespace graphics {

// Installs the window layer's progress windows (once; later calls keep it).
void InstallProgressWindows();
// Removes them again (the logic then runs without windows).
void RemoveProgressWindows();

}  // namespace graphics
