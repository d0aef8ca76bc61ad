// Grid control: geometry between pixels and cells, painting and scrolling.
#include <algorithm>

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include "grid/BufferDC.h"
#include "grid/GridCtrl.h"
#include "grid/GridWidget.h"

// ---- geometry ----------------------------------------------------------------------------------

bool CGridCtrl::GetCellOrigin(int row, int col, wl::Point& p) const {
    if (!IsValidCell(row, col)) return false;
    const CGridCellId topLeft = GetTopLeftScrollCell();
    if (col >= m_nFixedCols && col < topLeft.col) return false;
    if (row >= m_nFixedRows && row < topLeft.row) return false;
    p = {};
    if (col < m_nFixedCols) {
        for (int c = 0; c < col; ++c) p.x += GetColumnWidth(c);
    } else {
        p.x = GetFixedColumnWidth();
        for (int c = topLeft.col; c < col; ++c) p.x += GetColumnWidth(c);
    }
    if (row < m_nFixedRows) {
        for (int r = 0; r < row; ++r) p.y += GetRowHeight(r);
    } else {
        p.y = GetFixedRowHeight();
        for (int r = topLeft.row; r < row; ++r) p.y += GetRowHeight(r);
    }
    return true;
}

bool CGridCtrl::GetCellRect(int row, int col, wl::Rect& r) const {
    wl::Point p;
    if (!GetCellOrigin(row, col, p)) return false;
    r = {p.x, p.y, p.x + GetColumnWidth(col) - 1, p.y + GetRowHeight(row) - 1};
    return true;
}

CGridCellId CGridCtrl::GetCellFromPoint(wl::Point p, bool allowFixed) const {
    const CGridCellId topLeft = GetTopLeftScrollCell();
    if (!allowFixed && !IsValidCell(topLeft)) return {};
    CGridCellId id;
    const int fixedW = GetFixedColumnWidth();
    if (p.x < 0) {
        id.col = -1;
    } else if (p.x < fixedW) {
        if (allowFixed) {
            int x = 0;
            int c = 0;
            for (; c < m_nFixedCols; ++c) {
                x += GetColumnWidth(c);
                if (x > p.x) break;
            }
            id.col = c;
        } else {
            id.col = -1;
        }
    } else {
        int x = fixedW;
        int c = topLeft.col;
        for (; c >= 0 && c < m_nCols; ++c) {
            x += GetColumnWidth(c);
            if (x > p.x) break;
        }
        id.col = c >= 0 && c < m_nCols ? c : -1;
    }
    const int fixedH = GetFixedRowHeight();
    if (p.y < 0) {
        id.row = -1;
    } else if (p.y < fixedH) {
        if (allowFixed) {
            int y = 0;
            int r = 0;
            for (; r < m_nFixedRows; ++r) {
                y += GetRowHeight(r);
                if (y > p.y) break;
            }
            id.row = r;
        } else {
            id.row = -1;
        }
    } else {
        int y = fixedH;
        int r = topLeft.row;
        for (; r >= 0 && r < m_nRows; ++r) {
            y += GetRowHeight(r);
            if (y > p.y) break;
        }
        id.row = r >= 0 && r < m_nRows ? r : -1;
    }
    return id;
}

CGridCellId CGridCtrl::GetTopLeftScrollCell(bool force) const {
    if (!force && m_idTopLeftCell.IsValid()) return m_idTopLeftCell;
    const long long hpos = GetScrollPosition(SB_HORZ);
    const long long vpos = GetScrollPosition(SB_VERT);
    int col = m_nFixedCols;
    long long x = 0;
    while (x < hpos && col < m_nCols - 1) x += GetColumnWidth(col++);
    int row = m_nFixedRows;
    long long y = 0;
    while (y < vpos && row < m_nRows - 1) y += GetRowHeight(row++);
    m_idTopLeftCell = {row, col};
    return m_idTopLeftCell;
}

CGridCellRange CGridCtrl::GetVisibleCellRange(wl::Rect* rect, bool force) const {
    const wl::Rect client = GetGridClientRect();
    const CGridCellId topLeft = GetTopLeftScrollCell(force);
    int bottom = GetFixedRowHeight();
    int r = topLeft.row;
    for (; r < m_nRows; ++r) {
        bottom += GetRowHeight(r);
        if (bottom >= client.bottom) break;
    }
    int right = GetFixedColumnWidth();
    int c = topLeft.col;
    for (; c < m_nCols; ++c) {
        right += GetColumnWidth(c);
        if (right >= client.right) break;
    }
    if (rect) *rect = {0, 0, std::min(right, client.right), std::min(bottom, client.bottom)};
    return {topLeft.row, topLeft.col, std::min(r, m_nRows - 1), std::min(c, m_nCols - 1)};
}

bool CGridCtrl::IsCellVisible(int row, int col) const {
    if (!Widget()) return false;
    wl::Point p;
    if (!GetCellOrigin(row, col, p)) return false;
    const wl::Rect client = GetGridClientRect();
    return p.x < client.right && p.y < client.bottom;
}

bool CGridCtrl::InvalidateCell(int row, int col) {
    if (!m_bAllowDraw || !IsValidCell(row, col) || !IsCellVisible(row, col)) return false;
    wl::Rect r;
    if (!GetCellRect(row, col, r)) return false;
    if (QWidget* v = GetClientWidget()) v->update(QRect(r.left, r.top, r.right - r.left + 2, r.bottom - r.top + 2));
    return true;
}

bool CGridCtrl::RedrawCell(int row, int col, QPainter* dc) {
    wl::Rect r;
    if (!m_bAllowDraw || !IsCellVisible(row, col) || !GetCellRect(row, col, r)) return false;
    if (!dc) {
        // The toolkit paints only in paint events: the cell's rectangle is
        // repainted at once when events are processed.
        if (QWidget* v = GetClientWidget()) v->update(QRect(r.left, r.top, r.right - r.left + 2, r.bottom - r.top + 2));
        return true;
    }
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetCoords(row, col);
    const bool ok = cell->Draw(dc, row, col, r, true);
    if (!IsCellFixed(row, col)) {
        const QColor line = ToQColor(m_crGridLineColour);
        if (m_nGridLines & GRIDLINES_HORZ) dc->fillRect(QRect(r.left, r.bottom, r.right + 1 - r.left + 1, 1), line);
        if (m_nGridLines & GRIDLINES_VERT) dc->fillRect(QRect(r.right, r.top, 1, r.bottom + 1 - r.top + 1), line);
    }
    return ok;
}

void CGridCtrl::RepaintGrid() {
    if (!m_bAllowDraw) return;
    if (QWidget* v = GetClientWidget()) v->update();
}

// ---- painting -----------------------------------------------------------------------------------

void CGridCtrl::Paint(QPainter& p, const wl::Rect& clip) {
    if (m_bDoubleBuffer) {
        CBufferDC buffer(&p);
        OnDraw(buffer.GetDC(), clip);
    } else {
        OnDraw(&p, clip);
    }
    // The divider band while a row or column is sized.
    if (m_nBandPos >= 0) {
        const wl::Rect client = GetGridClientRect();
        const QColor band(0, 0, 0, 110);
        if (m_bBandVertical)
            p.fillRect(QRect(m_nBandPos, 0, 2, client.Height()), band);
        else
            p.fillRect(QRect(0, m_nBandPos, client.Width(), 2), band);
    }
}

void CGridCtrl::DrawBlock(QPainter* dc, const wl::Rect& clip, int row0, int row1, int y0, int col0, int col1,
                          int x0) {
    int y = y0;
    for (int r = row0; r <= row1; ++r) {
        const int h = GetRowHeight(r);
        if (h <= 0) continue;
        if (y > clip.bottom) break;
        const int top = y;
        y += h;
        if (y < clip.top) continue;
        int x = x0;
        for (int c = col0; c <= col1; ++c) {
            const int w = GetColumnWidth(c);
            if (w <= 0) continue;
            if (x > clip.right) break;
            const int left = x;
            x += w;
            if (x < clip.left) continue;
            CGridCellBase* cell = GetCell(r, c);
            if (!cell) continue;
            cell->SetCoords(r, c);
            cell->Draw(dc, r, c, {left, top, left + w - 1, top + h - 1}, false);
        }
    }
}

void CGridCtrl::OnDraw(QPainter* dc, const wl::Rect& clip) {
    if (!m_bAllowDraw || !dc || clip.right <= clip.left || clip.bottom <= clip.top) return;
    const int fixedH = GetFixedRowHeight();
    const int fixedW = GetFixedColumnWidth();
    wl::Rect vis;
    const CGridCellRange range = GetVisibleCellRange(&vis);
    const CGridCellId topLeft = GetTopLeftScrollCell();

    // Backgrounds by region.
    auto fill = [&](wl::Rect r, COLORREF c) {
        r.left = std::max(r.left, clip.left);
        r.top = std::max(r.top, clip.top);
        r.right = std::min(r.right, clip.right);
        r.bottom = std::min(r.bottom, clip.bottom);
        FillSolidRect(*dc, r, c);
    };
    fill({clip.left, clip.top, fixedW, fixedH}, m_cellFixedRowColDef->GetBackClr());
    fill({clip.left, fixedH, fixedW, vis.bottom}, m_cellFixedColDef->GetBackClr());
    fill({std::max(fixedW - 1, 0), clip.top, vis.right, fixedH}, m_cellFixedRowDef->GetBackClr());
    fill({fixedW, fixedH, vis.right, vis.bottom}, m_cellDefault->GetBackClr());
    fill({vis.right, clip.top, clip.right, clip.bottom}, m_crWindowColour);
    fill({clip.left, vis.bottom, vis.right, clip.bottom}, m_crWindowColour);

    if (m_bVirtualMode) SendCacheHintToParent(range);

    DrawBlock(dc, clip, 0, m_nFixedRows - 1, 0, 0, m_nFixedCols - 1, 0);
    DrawBlock(dc, clip, topLeft.row, range.maxRow, fixedH, 0, m_nFixedCols - 1, 0);
    DrawBlock(dc, clip, 0, m_nFixedRows - 1, 0, topLeft.col, range.maxCol, fixedW);
    DrawBlock(dc, clip, topLeft.row, range.maxRow, fixedH, topLeft.col, range.maxCol, fixedW);

    // Grid lines of the scrollable area, on the last pixel of each cell.
    const QColor line = ToQColor(m_crGridLineColour);
    if (m_nGridLines & GRIDLINES_VERT) {
        int x = fixedW;
        for (int c = topLeft.col; c >= 0 && c <= range.maxCol; ++c) {
            const int w = GetColumnWidth(c);
            if (w <= 0) continue;
            x += w;
            if (vis.bottom > fixedH) dc->fillRect(QRect(x - 1, fixedH, 1, vis.bottom - fixedH), line);
        }
    }
    if (m_nGridLines & GRIDLINES_HORZ) {
        int y = fixedH;
        for (int r = topLeft.row; r >= 0 && r <= range.maxRow; ++r) {
            const int h = GetRowHeight(r);
            if (h <= 0) continue;
            y += h;
            if (vis.right > fixedW) dc->fillRect(QRect(fixedW, y - 1, vis.right - fixedW, 1), line);
        }
    }
    if (m_bVirtualMode) SendCacheHintToParent({});
}

// ---- scrolling ------------------------------------------------------------------------------------

int CGridCtrl::MaxScrollPos(int bar) const {
    // As a scroll bar of range 0..max with a page: the last position shows the last page.
    const int max = bar == SB_HORZ ? m_nHScrollMax : m_nVScrollMax;
    const int page = bar == SB_HORZ ? m_nHPage : m_nVPage;
    if (max <= 0) return 0;
    return std::max(0, max - std::max(page, 1) + 1);
}

int CGridCtrl::GetScrollPosition(int bar, bool track) const {
    if (!Widget()) return 0;
    if (bar == SB_HORZ) return track ? m_nHTrackPos : m_nHScrollPos;
    return track ? m_nVTrackPos : m_nVScrollPos;
}

void CGridCtrl::SetScrollPosition(int bar, int pos, bool redraw) {
    m_idTopLeftCell = {};
    if (!Widget()) return;
    pos = std::clamp(pos, 0, MaxScrollPos(bar));
    (bar == SB_HORZ ? m_nHScrollPos : m_nVScrollPos) = pos;
    (bar == SB_HORZ ? m_nHTrackPos : m_nVTrackPos) = pos;
    auto* w = static_cast<gridimpl::GridWidget*>(Widget());
    w->settingBars = true;
    (bar == SB_HORZ ? w->horizontalScrollBar() : w->verticalScrollBar())->setValue(pos);
    w->settingBars = false;
    if (redraw) RepaintGrid();
}

void CGridCtrl::OnScrollTrack(int bar, int pos) {
    (bar == SB_HORZ ? m_nHTrackPos : m_nVTrackPos) = pos;
    if (bar == SB_HORZ)
        OnHScroll(SB_THUMBTRACK);
    else
        OnVScroll(SB_THUMBTRACK);
}

void CGridCtrl::ShowScrollBars(int bar, bool show) {
    auto* w = dynamic_cast<gridimpl::GridWidget*>(Widget());
    if (!w) return;
    const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if ((bar == SB_HORZ || bar == SB_BOTH) && bool(m_nBarState & 1) != show) {
        m_nBarState = show ? (m_nBarState | 1) : (m_nBarState & ~1u);
        w->setHorizontalScrollBarPolicy(policy);
    }
    if ((bar == SB_VERT || bar == SB_BOTH) && bool(m_nBarState & 2) != show) {
        m_nBarState = show ? (m_nBarState | 2) : (m_nBarState & ~2u);
        w->setVerticalScrollBarPolicy(policy);
    }
}

void CGridCtrl::UpdateScrollBars() {
    m_idTopLeftCell = {};
    auto* w = dynamic_cast<gridimpl::GridWidget*>(Widget());
    if (!m_bAllowDraw || !w || w->width() <= 0 || w->height() <= 0) return;
    // The whole window area: the client plus the bars shown.
    wl::Rect rect{0, 0, w->width(), w->height()};
    const int fixedW = GetFixedColumnWidth();
    const int fixedH = GetFixedRowHeight();
    rect.left += fixedW;
    rect.top += fixedH;
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return;
    }
    const int bar = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
    const long long scrollH = GetTotalHeight() - fixedH;
    const long long scrollW = GetTotalWidth() - fixedW;
    int right = rect.right;
    if (rect.bottom - fixedH < scrollH) right -= bar;
    const int visW = right - fixedW;
    int bottom = rect.bottom;
    if (visW < scrollW) bottom -= bar;
    const int visH = bottom - fixedH;

    const bool needV = visH < scrollH;
    const bool needH = visW < scrollW;
    m_nVScrollMax = needV ? int(std::min<long long>(scrollH - 1, INT32_MAX)) : 0;
    m_nHScrollMax = needH ? int(std::min<long long>(scrollW - 1, INT32_MAX)) : 0;
    m_nHPage = m_nHScrollMax > 0 ? visW : 0;
    m_nVPage = m_nVScrollMax > 0 ? visH : 0;
    ShowScrollBars(SB_VERT, needV);
    ShowScrollBars(SB_HORZ, needH);

    w->settingBars = true;
    w->horizontalScrollBar()->setRange(0, MaxScrollPos(SB_HORZ));
    w->horizontalScrollBar()->setPageStep(std::max(m_nHPage, 1));
    w->verticalScrollBar()->setRange(0, MaxScrollPos(SB_VERT));
    w->verticalScrollBar()->setPageStep(std::max(m_nVPage, 1));
    w->settingBars = false;
    // Positions beyond the new range come back into it.
    if (m_nHScrollPos > MaxScrollPos(SB_HORZ)) SetScrollPosition(SB_HORZ, MaxScrollPos(SB_HORZ));
    if (m_nVScrollPos > MaxScrollPos(SB_VERT)) SetScrollPosition(SB_VERT, MaxScrollPos(SB_VERT));
}

void CGridCtrl::OnVScroll(int code) {
    EndEditing();
    HideTitleTip();
    const int pos = GetScrollPosition(SB_VERT);
    const CGridCellId topLeft = GetTopLeftScrollCell();
    const wl::Rect client = GetGridClientRect();
    const int fixedH = GetFixedRowHeight();
    if (code > SB_BOTTOM) return;
    int newPos = pos;
    switch (code) {
    case SB_LINEDOWN:
        if (pos < m_nVScrollMax) {
            int r = topLeft.row;
            while (r >= 0 && r < m_nRows - 1 && GetRowHeight(r) < 1) ++r;
            if (r >= 0 && r < m_nRows) newPos = pos + GetRowHeight(r);
        }
        break;
    case SB_LINEUP:
        if (pos >= 1 && topLeft.row > m_nFixedRows) {
            int r = topLeft.row - 1;
            while (r > m_nFixedRows && GetRowHeight(r) < 1) --r;
            newPos = std::max(0, pos - GetRowHeight(r));
        }
        break;
    case SB_PAGEDOWN:
        if (pos < m_nVScrollMax) newPos = std::min(m_nVScrollMax, pos + (client.bottom - fixedH));
        break;
    case SB_PAGEUP:
        if (pos >= 1) newPos = std::max(0, pos - (client.bottom - fixedH));
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPosition(SB_VERT, GetScrollPosition(SB_VERT, true), false);
        if (!(GetTopLeftScrollCell() == topLeft)) RepaintGrid();
        return;
    }
    case SB_TOP:
        if (pos >= 1) {
            SetScrollPosition(SB_VERT, 0);
            RepaintGrid();
        }
        return;
    case SB_BOTTOM:
        if (pos < m_nVScrollMax) {
            SetScrollPosition(SB_VERT, m_nVScrollMax);
            RepaintGrid();
        }
        return;
    default: break;
    }
    if (newPos != pos) {
        SetScrollPosition(SB_VERT, newPos, false);
        if (QWidget* v = GetClientWidget()) v->update(QRect(0, fixedH, client.Width(), client.Height() - fixedH));
    }
}

void CGridCtrl::OnHScroll(int code) {
    EndEditing();
    HideTitleTip();
    const int pos = GetScrollPosition(SB_HORZ);
    const CGridCellId topLeft = GetTopLeftScrollCell();
    const wl::Rect client = GetGridClientRect();
    const int fixedW = GetFixedColumnWidth();
    if (code > SB_RIGHT) return;
    int newPos = pos;
    switch (code) {
    case SB_LINERIGHT:
        if (pos < m_nHScrollMax) {
            int c = topLeft.col;
            while (c >= 0 && c < m_nCols - 1 && GetColumnWidth(c) < 1) ++c;
            if (c >= 0 && c < m_nCols) newPos = pos + GetColumnWidth(c);
        }
        break;
    case SB_LINELEFT:
        if (pos >= 1 && topLeft.col > m_nFixedCols) {
            int c = topLeft.col - 1;
            while (c > m_nFixedCols && GetColumnWidth(c) < 1) --c;
            newPos = std::max(0, pos - GetColumnWidth(c));
        }
        break;
    case SB_PAGERIGHT:
        if (pos < m_nHScrollMax) newPos = std::min(m_nHScrollMax, pos + (client.right - fixedW));
        break;
    case SB_PAGELEFT:
        if (pos >= 1) newPos = std::max(0, pos - (client.right - fixedW));
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPosition(SB_HORZ, GetScrollPosition(SB_HORZ, true), false);
        if (!(GetTopLeftScrollCell() == topLeft)) RepaintGrid();
        return;
    }
    case SB_LEFT:
        if (pos >= 1) {
            SetScrollPosition(SB_HORZ, 0);
            RepaintGrid();
        }
        return;
    case SB_RIGHT:
        if (pos < m_nHScrollMax) {
            SetScrollPosition(SB_HORZ, m_nHScrollMax);
            RepaintGrid();
        }
        return;
    default: break;
    }
    if (newPos != pos) {
        SetScrollPosition(SB_HORZ, newPos, false);
        if (QWidget* v = GetClientWidget()) v->update(QRect(fixedW, 0, client.Width() - fixedW, client.Height()));
    }
}

void CGridCtrl::OnMouseWheel(int delta) {
    QWidget* w = Widget();
    if (!w) return;
    int n = 0;
    int code = SB_LINEUP;
    if (m_nWheelLines != kWheelPageScroll) {
        n = int(static_cast<long long>(delta) * int(m_nWheelLines) / 120);
        code = n > 0 ? SB_LINEUP : SB_LINEDOWN;
    } else {
        n = delta / 120;
        code = n > 0 ? SB_PAGEUP : SB_PAGEDOWN;
    }
    // The scroll steps are queued as messages would be.
    QPointer<QWidget> alive(w);
    for (int i = 0; i < std::abs(n); ++i)
        QTimer::singleShot(0, w, [this, alive, code] {
            if (alive) OnVScroll(code);
        });
}

void CGridCtrl::OnSize() {
    if (m_bInOnSize) return;
    m_bInOnSize = true;
    EndEditing();
    UpdateScrollBars();
    m_bInOnSize = false;
}

void CGridCtrl::EnsureVisible(int row, int col) {
    if (!m_bAllowDraw || !Widget()) return;
    QPointer<QWidget> focus = QApplication::focusWidget();
    const CGridCellRange range = GetVisibleCellRange();
    for (int c = range.maxCol + 1; c <= col; ++c)
        if (GetColumnWidth(c) > 0) OnHScroll(SB_LINERIGHT);
    for (int c = range.minCol - 1; c >= col && c >= 0; --c)
        if (GetColumnWidth(c) > 0) OnHScroll(SB_LINELEFT);
    for (int r = range.maxRow + 1; r <= row; ++r)
        if (GetRowHeight(r) > 0) OnVScroll(SB_LINEDOWN);
    for (int r = range.minRow - 1; r >= row && r >= 0; --r)
        if (GetRowHeight(r) > 0) OnVScroll(SB_LINEUP);
    const wl::Rect client = GetGridClientRect();
    wl::Rect r;
    if (GetCellRect(row, col, r)) {
        int guard = m_nCols;
        while (r.right > client.right && r.left > GetFixedColumnWidth() && guard-- > 0) {
            const int before = GetScrollPosition(SB_HORZ);
            OnHScroll(SB_LINERIGHT);
            if (GetScrollPosition(SB_HORZ) == before || !GetCellRect(row, col, r)) break;
        }
        guard = m_nRows;
        while (GetCellRect(row, col, r) && r.bottom > client.bottom && r.top > GetFixedRowHeight() && guard-- > 0) {
            const int before = GetScrollPosition(SB_VERT);
            OnVScroll(SB_LINEDOWN);
            if (GetScrollPosition(SB_VERT) == before) break;
        }
    }
    if (focus && QApplication::focusWidget() != focus) focus->setFocus();
}
