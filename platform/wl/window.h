// wl::Window: a window of the program over a QWidget.
//
// Windows carry a control id, text, visibility and geometry in the client
// coordinates of their parent. Controls report to their parent window with
// notifications (id, code), which the parent hands to the handlers mapped
// for them or to its virtual OnNotify/OnCommand.
//
// Window values that travel as integers (the "CWnd*" parameters of the
// command protocol) are handles: GetSafeHwnd gives one, FromHandle finds the
// live window again and gives nullptr for any value that is not one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/wl/api.h"

class QFont;

namespace wl {

namespace detail {
class EventHook;
}

enum class ZOrder { Top, Bottom };

class WL_API Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Class check across libraries.
    virtual const char* ClassName() const { return "Window"; }

    // ---- the widget ---------------------------------------------------
    QWidget* Widget() const;
    // Wraps an existing widget (not owned: whoever made it keeps it). A
    // widget already wrapped by another window is taken over. false when
    // the widget is null or this window already has one.
    bool Attach(QWidget* w);
    // Takes a widget this window owns (deleted with the window).
    bool AttachOwned(QWidget* w);
    QWidget* Detach();
    bool IsWindow() const { return Widget() != nullptr; }
    // Makes the widget of a custom control when the window is bound to a
    // template placeholder (DDX_Control) without having one; the default is
    // a plain widget. The window owns what it returns.
    virtual QWidget* CreateControlWidget(QWidget* parent);
    // Destroys the widget (children with it); the object stays.
    bool DestroyWindow();

    // ---- handles --------------------------------------------------------
    std::uintptr_t GetSafeHwnd() const;
    static Window* FromHandle(std::uintptr_t handle);
    // The window wrapping a widget, or nullptr.
    static Window* FromWidget(const QWidget* w);
    // As FromWidget, but makes a plain window for a widget that has none
    // (owned by the layer until the widget goes).
    static Window* FromWidgetPermanent(QWidget* w);

    // ---- identity and relations -----------------------------------------
    int GetDlgCtrlID() const;
    void SetDlgCtrlID(int id);
    Window* GetDlgItem(int id) const;
    QWidget* GetDlgItemWidget(int id) const;
    Window* GetParent() const;
    // Re-parents into another window (the host's); the window becomes a
    // child there and keeps its visibility.
    bool SetParent(Window* parent);

    // ---- state ----------------------------------------------------------
    bool ShowWindow(int cmd);  // returns whether it was visible
    bool IsWindowVisible() const;
    bool EnableWindow(bool enable = true);  // returns whether it was disabled
    bool IsWindowEnabled() const;
    void SetFocus();

    // ---- geometry -------------------------------------------------------
    // In the parent's client coordinates (screen coordinates for a top-level window).
    Rect GetWindowRect() const;
    Rect GetClientRect() const;
    void MoveWindow(const Rect& r, bool repaint = true);
    void MoveWindow(int x, int y, int cx, int cy, bool repaint = true);
    bool SetWindowPos(const Window* insertAfter, int x, int y, int cx, int cy, unsigned flags);
    bool SetWindowPos(ZOrder z, int x, int y, int cx, int cy, unsigned flags);
    Point ClientToScreen(Point p) const;
    Point ScreenToClient(Point p) const;

    // ---- text and font --------------------------------------------------
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void SetFont(const QFont& font);
    QFont GetFont() const;
    void Invalidate();
    void UpdateWindow();

    // ---- timers ---------------------------------------------------------
    // Starts timer id; setting an id again replaces it. Returns the id.
    unsigned SetTimer(unsigned id, unsigned milliseconds);
    bool KillTimer(unsigned id);

    // ---- messages -------------------------------------------------------
    using CommandHandler = std::function<void()>;
    using NotifyHandler = std::function<std::intptr_t(const Notify&)>;
    // Handler of a command (button click, menu or toolbar command: code 0).
    void MapCommand(int id, CommandHandler handler);
    // Handler of a notification (id, code); its result is the notification's result.
    void MapNotify(int id, int code, NotifyHandler handler);
    // Delivers a notification now; returns the handler's result (0 when none).
    std::intptr_t SendNotify(const Notify& n);
    std::intptr_t SendCommand(int id, int code = 0);
    // Queues a command; it runs when events are processed.
    void PostCommand(int id, int code = 0);
    // Sends a notification of this control to its parent window.
    std::intptr_t NotifyParent(int code);
    std::intptr_t NotifyParent(Notify n);

protected:
    // Called for notifications no mapped handler took; true when handled.
    virtual bool OnNotify(const Notify& n, std::intptr_t& result);
    virtual bool OnCommand(int id, int code);
    virtual void OnSize(unsigned type, int cx, int cy);
    virtual void OnTimer(unsigned id);
    // F1; false lets the key go on to the parent.
    virtual bool OnHelpInfo();
    virtual void OnShowWindow(bool show);
    virtual void OnDestroy();
    // pos in screen coordinates; w is the window clicked (this or a child).
    virtual void OnContextMenu(Window* w, Point pos);

private:
    friend class detail::EventHook;
    void WidgetGone();
    void Register(QWidget* w, bool owned);

    std::unique_ptr<detail::EventHook> hook_;
    bool owned_ = false;
    std::map<int, CommandHandler> commands_;
    std::map<std::pair<int, int>, NotifyHandler> notifies_;
};

// Whether windows can be made (an application object with widgets exists).
// Without one, module code keeps its windowless stand-ins.
WL_API bool HasWindowSystem();
// The host's top-level window: owner of progress windows and target of
// commands sent to the main window.
WL_API void SetMainWindow(Window* w);
WL_API Window* GetMainWindow();

// Processes the pending events (posted commands, timers, painting).
WL_API void PumpMessages();

}  // namespace wl
