// CRichText: the read-only box in which the preview shows the position's
// report, as the report window of the position data (CBaseOutputWindow).
// PrintFile sends a report file to the printer through the shell service.
#pragma once

#include <string>

#include "module/BaseData.h"
#include "platform/richedit/richedit.h"

class CRichText : public richedit::RichText, public CBaseOutputWindow {
public:
    const char* ClassName() const override { return "CRichText"; }
    static wl::Window* CreateObject() { return new CRichText; }

    // Loads the report (rich text) and writes the two properties with 0. A
    // file that cannot be read: a message, and the box keeps its text.
    void ShowRtfFile(const std::string& file) override;
    // Replaces the whole content by plain text.
    void SetText(const std::string& text) override;
};

// Prints a report file through the shell service (winsys::ShellPrint), the
// path passed on as it is. A file that cannot be opened for reading:
// "Datei '%s' nicht gefunden!", false.
bool PrintFile(const std::string& path);
