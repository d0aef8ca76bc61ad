// CDlgResizer keeps child windows in place when a dialog changes size: each
// edge of a child is tied to the parent's client area by a percentage and a
// pixel offset. GetChildRectInParent measures a child within its parent.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/wl/api.h"

namespace wl {
class Window;
}

class CDlgResizer {
public:
    // Registers a child; entries are only added.
    void AddControl(wl::Window* window, int percentLeft, int percentTop, int percentRight, int percentBottom,
                    int offsetLeft, int offsetTop, int offsetRight, int offsetBottom);
    // Lays the children out in the parent's client rectangle. Nothing moves
    // for an empty rectangle or without children; a child whose window is
    // gone is passed over.
    void Layout(const wl::Rect& rect) const;
    int GetCount() const { return static_cast<int>(entries_.size()); }

    // The rectangle a child gets (for tests and callers that only measure).
    struct Entry {
        std::uintptr_t window = 0;  // handle of the window layer
        int offsetLeft = 0, offsetTop = 0, offsetRight = 0, offsetBottom = 0;
        int percentLeft = 0, percentTop = 0, percentRight = 0, percentBottom = 0;
    };
    static wl::Rect Place(const Entry& e, const wl::Rect& rect);

private:
    std::vector<Entry> entries_;
};

// The child's window rectangle relative to the parent window's top-left
// corner. Leaves out untouched unless both are windows.
void GetChildRectInParent(const wl::Window* parent, const wl::Window* child, wl::Rect& out);
