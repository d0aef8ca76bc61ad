// The host's main window over one position: the module's input dialog and
// its preview side by side in a splitter, the menu "Datei" with "Speichern"
// and "Beenden", the tip line in the status bar. The module is driven only
// through its command documents, as the suite's host drives it.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>

#include "platform/wl/window.h"
#include "platform/zevud/zevud.h"

class QSplitter;
class QAction;

namespace host {

class Module;
class EditSession;

// The menu's command ids (the main window's commands).
inline constexpr int kCmdSave = 1;
inline constexpr int kCmdExit = 2;
// Sent by the crane output page's "Einstellungen" to the main window; the
// host has no output settings of its own and says so.
inline constexpr int kCmdOutputSettings = 40055;

// The answer to command 40055.
extern const char* const kNoOutputSettingsText;
// The menu item of "Extras" that switches the free-text editor on.
extern const char* const kFreeTextEditorText;
// The module's settings key of the current user.
extern const char* const kSettingsKey;

// Whether the first tab holds the free-text editor (the user setting
// "bQuill" of the module's settings key).
bool FreeTextEditorOn();

// The top-level window: asks the session before it closes.
class HostMainWindow : public QMainWindow {
public:
    explicit HostMainWindow(EditSession& session);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    EditSession& session_;
};

// The window layer's view of the main window: the target of the commands
// the module sends to the host's main window.
class HostFrameWindow : public wl::Window {
public:
    const char* ClassName() const override { return "HostFrameWindow"; }
};

class EditSession {
public:
    // doc: the opened position (the session owns and closes it); file: its
    // absolute path.
    EditSession(Module& module, ZVDOC doc, std::filesystem::path file);
    // Destroys the windows and closes the document; the module stays.
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    // Builds the main window and has the module make its dialogs in it:
    // "CreateInputDlg", "CreatePreviewDlg", "RegisterShowRtfTip", "SetData".
    // false (said on err) when the module made no input dialog.
    bool Open(std::ostream& err);

    // "Speichern": "GetData"; for a calculated position the report beside
    // it brought up to date as "calc" does (the module calculates first when
    // the input changed since); then the document's atomic save. A file
    // that cannot be written is named in a message; document and file stay.
    bool Save();
    // Whether the window may close: after "GetData", a changed position
    // asks whether to save it (Ja saves, Nein drops, Abbrechen keeps the
    // window open).
    bool MayClose();
    // "Extras" / the free-text editor: the user setting "bQuill" set or
    // cleared, and the dialog shows the position again with the editor (or
    // the variable table) on its first tab. false (said in a message) when
    // the setting cannot be written.
    bool SetFreeTextEditor(bool on);
    // Closes the main window (asking as the user's close does); false when
    // it stays open.
    bool Close();
    // Closes the main window without asking or saving.
    void Discard();
    // Whether the dialog's input differs from what was last saved (takes
    // the dialog's input into the document, "GetData").
    bool CheckModified();

    // The main window as shown: the widget's grab offscreen, the screen's
    // grab of the window on a display server.
    QImage Screenshot();

    HostMainWindow* MainWindow() const { return window_.get(); }
    QWidget* InputArea() const { return inputArea_; }
    QWidget* PreviewArea() const { return previewArea_; }
    QSplitter* Splitter() const { return splitter_; }
    HostFrameWindow& Frame() { return frame_; }
    // The values the module answered for its dialogs (0 when none).
    int64_t InputDialog() const { return dialog_; }
    int64_t PreviewDialog() const { return preview_; }
    ZVDOC Document() const { return doc_; }
    const std::filesystem::path& File() const { return file_; }
    // The text the tip line shows.
    QString TipText() const;

    // Shows a tip file's plain text in the status bar (see ShowRtfTip).
    void ShowTip(const char* tipFile);

private:
    void BuildWindow();
    void UpdateTitle();
    int64_t SendGetData();
    // The fingerprint of the position's input: the document without what a
    // calculation writes into it, so that a calculation in memory (opening
    // "Ergebnisse" or "Ausgabe") is no change the user would have to save.
    zevud::Fingerprint InputFingerprint() const;
    // Whether the document holds the results of a calculation that ran.
    bool HasCalculatedResult() const;
    void ScheduleModifiedCheck();

    Module& module_;
    ZVDOC doc_;
    std::filesystem::path file_;
    std::filesystem::path oldFolder_;
    std::unique_ptr<HostMainWindow> window_;
    QSplitter* splitter_ = nullptr;
    QWidget* inputArea_ = nullptr;
    QWidget* previewArea_ = nullptr;
    QObject* follower_ = nullptr;
    HostFrameWindow frame_;
    wl::Window inputHost_, previewHost_;
    int64_t dialog_ = 0, preview_ = 0;
    zevud::Fingerprint saved_;
    QTimer modifiedCheck_;
    bool closing_ = false;
};

// The host's tip routine registered with the module ("RegisterShowRtfTip"):
// the tip file is looked for under the installation root; when it exists
// its plain text shows in the open session's status bar, else nothing.
void ShowRtfTip(const char* tipFile);

}  // namespace host
