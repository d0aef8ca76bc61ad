// Tool bars with command ids, check buttons, embedded combos and tool tips;
// accelerator tables of key sequences and command ids.
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "platform/wl/controls.h"
#include "platform/wl/draw.h"
#include "platform/wl/window.h"

namespace wl {

class WL_API ToolBar : public Window {
public:
    const char* ClassName() const override { return "ToolBar"; }
    ToolBar();
    ~ToolBar() override;
    // Makes the bar as a child of parent with id; its commands and the
    // notifications of its combos go to parent.
    bool Create(Window* parent, int id);
    // A button sending commandId; a check button stays pressed until clicked
    // again. Pixels of the transparent colour are left out; a disabled button
    // shows the image embossed.
    bool AddButton(int commandId, const QImage& image, const std::string& toolTip, bool check = false,
                   COLORREF transparent = RGB(255, 0, 255));
    void AddSeparator();
    // A combo of the given width with the control id; nullptr on failure.
    ComboBox* AddCombo(int id, int width, const std::vector<std::string>& items);
    bool CheckButton(int commandId, bool check = true);  // silent
    bool IsButtonChecked(int commandId) const;
    bool EnableButton(int commandId, bool enable = true);
    bool IsButtonEnabled(int commandId) const;
    std::string GetToolTip(int commandId) const;
    // The button's rectangle in the bar's client coordinates.
    Rect GetItemRect(int commandId) const;
    // Clicks a button as the user does (tests, scripts).
    bool PressButton(int commandId);

protected:
    bool OnNotify(const Notify& n, std::intptr_t& result) override;

private:
    void Fit();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One accelerator: a key sequence ("Ctrl+S", "F5", "Ctrl+Shift+P") and its command.
struct Accelerator {
    std::string keys;
    int command = 0;
};
// Keys pressed in target's window (or a child that leaves them unused) send
// the command to target. A second call replaces the table. false with a
// message for a key sequence that does not read.
WL_API bool SetAccelerators(Window& target, const std::vector<Accelerator>& table);

}  // namespace wl
