// A dialog-like parent window for grid tests: it records the grid's
// notifications and answers them from a table.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <QPoint>
#include <QWidget>

#include "grid/GridCtrl.h"
#include "platform/wl/window.h"

namespace gridtest {

struct Received {
    int id = 0;
    int code = 0;
    int row = -1;
    int col = -1;
    CGridCellRange range;
};

class ParentWindow : public wl::Window {
public:
    ParentWindow(int width = 400, int height = 300);
    std::vector<Received> notes;
    std::vector<int> commands;
    std::map<int, std::intptr_t> answers;  // code -> result
    int Count(int code) const;

protected:
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override;
    bool OnCommand(int id, int code) override;
};

void ProcessEvents();

// Parent plus a shown grid filling it, texts "r<row>c<col>".
template <class Grid = CGridCtrl>
struct GridFixtureT {
    explicit GridFixtureT(int rows = 6, int cols = 5, int fixedRows = 1, int fixedCols = 1, int width = 400,
                          int height = 300)
        : parent(width, height) {
        grid.SetRowCount(rows);
        grid.SetColumnCount(cols);
        grid.SetFixedRowCount(fixedRows);
        grid.SetFixedColumnCount(fixedCols);
        grid.Create({0, 0, width, height}, &parent, 100);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) grid.SetItemText(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
        parent.Widget()->show();
        ProcessEvents();
    }
    ParentWindow parent;
    Grid grid;
    QWidget* client() const { return grid.GetClientWidget(); }
    // The centre of a cell in client coordinates.
    QPoint Centre(int row, int col) const {
        wl::Rect r;
        grid.GetCellRect(row, col, r);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};
using GridFixture = GridFixtureT<>;

}  // namespace gridtest
