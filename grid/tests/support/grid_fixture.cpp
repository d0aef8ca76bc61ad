#include "grid_fixture.h"

#include <QApplication>

namespace gridtest {

ParentWindow::ParentWindow(int width, int height) {
    auto* w = new QWidget;
    w->resize(width, height);
    AttachOwned(w);
}

int ParentWindow::Count(int code) const {
    int n = 0;
    for (const Received& r : notes) n += r.code == code;
    return n;
}

bool ParentWindow::OnNotify(const wl::Notify& n, std::intptr_t& result) {
    if (n.code == 0 && n.item == 0) return false;  // a command: OnCommand takes it
    Received r;
    r.id = n.id;
    r.code = n.code;
    if (n.code == GN_ODCACHEHINT) {
        r.range = GridRecord<NMGRIDCACHEHINT>(n)->range;
    } else if (n.code == GN_GETDISPINFO) {
        const GRIDDISPINFO* info = GridRecord<GRIDDISPINFO>(n);
        r.row = info->item.row;
        r.col = info->item.col;
    } else if (const NMGRID* g = GridRecord<NMGRID>(n)) {
        r.row = g->iRow;
        r.col = g->iColumn;
    }
    notes.push_back(r);
    auto it = answers.find(n.code);
    result = it == answers.end() ? 0 : it->second;
    return true;
}

bool ParentWindow::OnCommand(int id, int code) {
    if (code == 0) commands.push_back(id);
    return true;
}

void ProcessEvents() { QApplication::processEvents(); }

}  // namespace gridtest
