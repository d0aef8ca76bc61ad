// Support for the window tests of every GUI folder: screenshots, pixel
// checks, user actions on controls and the scripted UI service.
//
// The test executables made by rigel_gui_tests() run with their own main:
// the application object exists offscreen (Fusion style, 96 dpi, German
// locale) before the first test.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/wl/dialog.h"
#include "platform/wl/ui.h"
#include "platform/wl/window.h"

namespace wl::guitest {

// ---- screenshots and pixels ------------------------------------------------
// Folder of the screenshots (RIGEL_SCREENSHOTS, set by the CMake helper).
std::filesystem::path ScreenshotFolder();
// Renders the widget into <folder>/<name>.png; returns the image (null on failure).
QImage GrabToPng(QWidget* w, const std::string& name);
QImage GrabToPng(const Window& w, const std::string& name);
// Pixels in rect (clipped to the image) for which pred holds.
int CountPixels(const QImage& img, const QRect& rect, const std::function<bool(QRgb)>& pred);
// Pixels in rect whose colour differs from the background by more than tolerance in a channel.
int CountInk(const QImage& img, const QRect& rect, QRgb background, int tolerance = 40);
// Whether two colours differ by at most tolerance in each channel.
bool Near(QRgb a, QRgb b, int tolerance = 24);
// Bounding box of the pixels for which pred holds (empty when none).
QRect BoundingBox(const QImage& img, const std::function<bool(QRgb)>& pred);
// A control's rectangle in the coordinates of an ancestor (the grabbed window).
QRect RectIn(const QWidget* control, const QWidget* ancestor);

// ---- user actions (they notify as a user's would) --------------------------
// Clicks a button, check box or radio button of a window by id.
bool Click(Window& parent, int id);
// Chooses combo entry index as the user does.
bool ChooseComboItem(Window& parent, int id, int index);
// Replaces an edit's text as by typing.
bool TypeText(Window& parent, int id, const std::string& text);
// Clicks tab index of a tab row.
bool ClickTab(Window& parent, int id, int index);
// Presses a key on the window's widget (Qt::Key_Return, Qt::Key_Escape, Qt::Key_F1 ...).
void PressKey(Window& w, int qtKey);
// The close box of a top-level window.
void CloseBox(Window& w);
// Processes events for about the given time.
void ProcessEventsFor(int milliseconds);

// ---- scripted UI service ---------------------------------------------------
// Runs modal dialogs without an event loop: after OnInitDialog the script
// registered for the template id sets controls and presses a button. File
// dialogs, popup menus and the clipboard answer from queues and memory; the
// print dialog runs printSetup (none: cancelled).
class ScriptedUi : public Ui {
public:
    using Script = std::function<void(Dialog&)>;
    ScriptedUi();  // installs itself
    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    void OnModal(int templateId, Script script) { scripts_[templateId] = std::move(script); }
    std::vector<int> modalRuns;  // template ids, in order

    std::deque<std::optional<std::string>> fileAnswers;  // nullopt = cancelled
    std::vector<FileRequest> fileRequests;
    std::deque<int> menuAnswers;  // 0 = dismissed
    std::vector<Menu> menus;
    std::string clipboardText;
    std::optional<std::string> clipboardRtf;
    // The print dialog's answer: sets the printer up, true for OK.
    std::function<bool(QPrinter&)> printSetup;
    int printDialogs = 0;

    int RunModal(Dialog& dlg) override;
    std::optional<std::string> GetOpenFileName(const FileRequest& r, Window* owner) override;
    std::optional<std::string> GetSaveFileName(const FileRequest& r, Window* owner) override;
    int TrackPopupMenu(const Menu& menu, Point screen, Window* owner) override;
    void SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override { return clipboardText; }
    void SetClipboardRtf(const std::string& rtf, const std::string& plain) override;
    std::optional<std::string> GetClipboardRtf() override { return clipboardRtf; }
    bool PrintSetup(QPrinter& printer, Window* owner) override;

private:
    std::map<int, Script> scripts_;
    Ui* previous_;
};

}  // namespace wl::guitest
