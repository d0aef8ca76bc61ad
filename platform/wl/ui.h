// UI services: modal runs, file dialogs, popup menus and the clipboard go
// through one replaceable service, so that tests run them from a script
// without an event loop (wl::testing::ScriptedUi).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/wl/api.h"

class QPrinter;

namespace wl {

class Dialog;
class Window;

struct FileRequest {
    std::string title;
    std::string fileName;    // proposed name (save) or start file
    std::string defaultExt;  // without the dot
    std::string filter;      // "RTF-Dateien (*.rtf)|*.rtf||"
    std::string folder;      // start folder
};

// One entry of a popup menu: a command, a separator (id 0, empty text) or a
// sub-menu.
struct MenuItem {
    int id = 0;
    std::string text;
    bool checked = false;
    bool disabled = false;
    std::vector<MenuItem> items = {};  // sub-menu
};
struct Menu {
    std::vector<MenuItem> items;
};

// One filter entry: description and patterns ("*.rtf;*.doc").
struct FileFilter {
    std::string description;
    std::string patterns;
};
// Splits "Text|patterns|Text|patterns||". A malformed filter (odd count,
// empty pattern) gives one entry for all files.
WL_API std::vector<FileFilter> ParseFileFilter(const std::string& filter);
// The same filter as the toolkit's file dialogs take it
// ("RTF-Dateien (*.rtf);;Alle Dateien (*)").
WL_API std::string ToToolkitFilter(const std::string& filter);

class WL_API Ui {
public:
    virtual ~Ui() = default;
    // Runs a dialog modally; returns its result (-1 when it cannot run).
    virtual int RunModal(Dialog& dlg) = 0;
    // The chosen file, or nullopt when cancelled.
    virtual std::optional<std::string> GetOpenFileName(const FileRequest& r, Window* owner) = 0;
    virtual std::optional<std::string> GetSaveFileName(const FileRequest& r, Window* owner) = 0;
    // Shows a popup menu at a screen point; the chosen id, 0 when dismissed.
    virtual int TrackPopupMenu(const Menu& menu, Point screen, Window* owner) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string GetClipboardText() = 0;
    // RTF on the clipboard (with a plain-text copy when given).
    virtual void SetClipboardRtf(const std::string& rtf, const std::string& plain) = 0;
    virtual std::optional<std::string> GetClipboardRtf() = 0;
    // Lets the user choose the printer and its settings for a print run
    // (the toolkit's print dialog); false when cancelled. The default
    // prints on the printer as it stands.
    virtual bool PrintSetup(QPrinter& printer, Window* owner);
};

// The service in use (the toolkit's own unless one was installed).
WL_API Ui& GetUi();
// Installs a service (nullptr: the toolkit's own); returns the previous one.
// The caller keeps ownership.
WL_API Ui* SetUi(Ui* ui);

}  // namespace wl
