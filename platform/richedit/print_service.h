// Printing of report files: the shell service of a program with windows. A
// report (RTF, or plain text) is read into a text document and laid out on
// the printer the user chooses in the print dialog, which runs through the
// window layer's UI service. Opening a file goes on to the shell service
// that was installed before.
#pragma once

#include <filesystem>

#include "platform/richedit/rtf_format.h"
#include "platform/winsys/winsys.h"

namespace richedit {

class RICHEDIT_API PrintService : public winsys::ShellService {
public:
    // next opens files (nullptr: the desktop's shell).
    explicit PrintService(winsys::ShellService* next = nullptr) : next_(next) {}
    bool Open(const std::filesystem::path& file) override;
    // false, with a message, when the file cannot be read, the dialog is
    // cancelled (no message) or there is no printer to print on.
    bool Print(const std::filesystem::path& file) override;

private:
    winsys::ShellService* next_;
};

// Installs the print service for the process, in front of the shell service
// in place; a second call changes nothing. The window host calls it once
// its application object exists.
RICHEDIT_API void InstallPrintService();

}  // namespace richedit
