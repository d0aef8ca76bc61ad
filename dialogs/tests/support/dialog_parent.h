// A shown parent window with one input grid of the given class filling it.
#pragma once

#include <QApplication>
#include <QPoint>
#include <QWidget>

#include "platform/wl/window.h"

namespace dialogtest {

class Parent : public wl::Window {
public:
    Parent(int width, int height);
};

template <class Grid>
struct GridOnParent {
    GridOnParent(int width, int height) : parent(width, height) {
        grid.Create({0, 30, width, height}, &parent, 100);
        parent.Widget()->show();
        QApplication::processEvents();
    }
    Parent parent;
    Grid grid;
    QPoint Centre(int row, int col) const {
        wl::Rect r;
        grid.GetCellRect(row, col, r);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

}  // namespace dialogtest
