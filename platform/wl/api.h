// Basic types of the window layer: export macro, points and rectangles,
// dialog results and the notification codes that controls send to their
// parent window.
#pragma once

#include <cstdint>
#include <string>

#define WL_API __attribute__((visibility("default")))

class QWidget;

namespace wl {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// A rectangle as the dialogs measure it: right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool Contains(const Rect& r) const {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }
    bool operator==(const Rect&) const = default;
};

// Dialog results and the standard button ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDHELP = 9;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// SetWindowPos flags.
inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;
inline constexpr unsigned SWP_NOZORDER = 0x0004;
inline constexpr unsigned SWP_NOACTIVATE = 0x0010;
inline constexpr unsigned SWP_SHOWWINDOW = 0x0040;
inline constexpr unsigned SWP_HIDEWINDOW = 0x0080;

// OnSize types.
inline constexpr unsigned SIZE_RESTORED = 0;

// Notification codes: command-style codes (buttons, edits, combos, list
// boxes) and notify-style codes (negative, the common controls).
inline constexpr int BN_CLICKED = 0;
inline constexpr int EN_SETFOCUS = 0x0100;
inline constexpr int EN_KILLFOCUS = 0x0200;
inline constexpr int EN_CHANGE = 0x0300;
inline constexpr int CBN_SELCHANGE = 1;
inline constexpr int CBN_EDITCHANGE = 5;
inline constexpr int LBN_SELCHANGE = 1;
inline constexpr int LBN_DBLCLK = 2;
inline constexpr int NM_CLICK = -2;
inline constexpr int NM_DBLCLK = -3;
inline constexpr int NM_RCLICK = -5;
inline constexpr int LVN_ITEMCHANGED = -101;
inline constexpr int TVN_SELCHANGED = -402;
inline constexpr int TVN_ITEMEXPANDED = -406;
inline constexpr int TCN_SELCHANGE = -551;
inline constexpr int UDN_DELTAPOS = -722;
inline constexpr int TRBN_THUMBPOSCHANGING = -1502;  // slider moved by the user

class Window;

// One notification from a control to its parent window.
struct Notify {
    int id = 0;                  // control id
    int code = 0;                // notification code
    Window* from = nullptr;      // the control's window, when it has one
    std::intptr_t item = 0;      // tree or list item (handle), when it concerns one
    int index = -1;              // new index (tab, list row, combo entry)
    int pos = 0;                 // position (slider, up-down)
    int delta = 0;               // change asked for (up-down)
    Point point{};               // point of a click, client coordinates of the control
};

}  // namespace wl
