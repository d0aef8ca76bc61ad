// The drop target of a grid window: while registered, drags over the grid's
// window reach the grid's own drag operations.
#pragma once

#include "grid/GridTypes.h"

class CGridCtrl;
class QMimeData;

namespace wl {
class Window;
}

class CGridDropHandler {
public:
    CGridDropHandler() = default;
    CGridDropHandler(const CGridDropHandler&) = delete;
    CGridDropHandler& operator=(const CGridDropHandler&) = delete;

    // Serves grid: its window takes drops from now on.
    bool Register(CGridCtrl* grid);
    // The window takes no more drops.
    void Revoke();
    bool IsRegistered() const { return m_bRegistered; }
    CGridCtrl* GetGrid() const { return m_pGridCtrl; }

    // Each answers for the served grid's window only; any other window gets
    // no drop effect (or false).
    int OnDragEnter(wl::Window* window, const QMimeData* data, unsigned keyState, wl::Point p);
    int OnDragOver(wl::Window* window, const QMimeData* data, unsigned keyState, wl::Point p);
    bool OnDrop(wl::Window* window, const QMimeData* data, int dropEffect, wl::Point p);
    void OnDragLeave(wl::Window* window);
    // Copy with Ctrl held, else move; nothing for another window.
    int OnDragScroll(wl::Window* window, unsigned keyState, wl::Point p);

private:
    bool Serves(const wl::Window* window) const;

    CGridCtrl* m_pGridCtrl = nullptr;
    bool m_bRegistered = false;
};
