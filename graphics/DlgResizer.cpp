#include "graphics/DlgResizer.h"

#include <QWidget>
#include <cmath>

#include "platform/wl/window.h"

namespace {

// percent × length / 100, rounded to the nearest integer.
int Share(int percent, int length) {
    return static_cast<int>(std::lround(static_cast<double>(percent) * length / 100.0));
}

}  // namespace

void CDlgResizer::AddControl(wl::Window* window, int percentLeft, int percentTop, int percentRight,
                             int percentBottom, int offsetLeft, int offsetTop, int offsetRight, int offsetBottom) {
    Entry e;
    e.window = window ? window->GetSafeHwnd() : 0;
    e.offsetLeft = offsetLeft;
    e.offsetTop = offsetTop;
    e.offsetRight = offsetRight;
    e.offsetBottom = offsetBottom;
    e.percentLeft = percentLeft;
    e.percentTop = percentTop;
    e.percentRight = percentRight;
    e.percentBottom = percentBottom;
    entries_.push_back(e);
}

wl::Rect CDlgResizer::Place(const Entry& e, const wl::Rect& rect) {
    const int w = rect.Width();
    const int h = rect.Height();
    wl::Rect r;
    r.left = rect.left + e.offsetLeft + Share(e.percentLeft, w);
    r.top = rect.top + e.offsetTop + Share(e.percentTop, h);
    r.right = e.offsetRight + Share(e.percentRight, w);
    r.bottom = e.offsetBottom + Share(e.percentBottom, h);
    return r;
}

void CDlgResizer::Layout(const wl::Rect& rect) const {
    if (rect.Width() < 1 || rect.Height() < 1 || entries_.empty()) return;
    for (const Entry& e : entries_) {
        wl::Window* w = wl::Window::FromHandle(e.window);
        if (!w) continue;
        const wl::Rect r = Place(e, rect);
        w->SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), wl::SWP_NOZORDER);
    }
}

void GetChildRectInParent(const wl::Window* parent, const wl::Window* child, wl::Rect& out) {
    if (!parent || !child || !parent->Widget() || !child->Widget()) return;
    const QWidget* p = parent->Widget();
    const QWidget* c = child->Widget();
    // The parent window's top-left corner: its frame for a top-level window.
    const QPoint origin = p->isWindow() ? p->frameGeometry().topLeft() : p->mapToGlobal(QPoint(0, 0));
    const QPoint topLeft = c->isWindow() ? c->frameGeometry().topLeft() : c->mapToGlobal(QPoint(0, 0));
    const QSize size = c->isWindow() ? c->frameGeometry().size() : c->size();
    out.left = topLeft.x() - origin.x();
    out.top = topLeft.y() - origin.y();
    out.right = out.left + size.width();
    out.bottom = out.top + size.height();
}
