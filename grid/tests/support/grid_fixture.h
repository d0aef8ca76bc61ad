// A dialog-like parent window for grid tests: it records the grid's
// notifications and answers them from a table.
#pragma once

#include <map>
#include <vector>

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

// Parent plus a shown grid filling it, texts "r<row>c<col>".
struct GridFixture {
    explicit GridFixture(int rows = 6, int cols = 5, int fixedRows = 1, int fixedCols = 1, int width = 400,
                         int height = 300);
    ParentWindow parent;
    CGridCtrl grid;
    QWidget* client() const { return grid.GetClientWidget(); }
};

}  // namespace gridtest
