// Grid control: focus and selection, mouse modes, divider sizing,
// auto-scroll, navigation keys and the start and end of in-place editing.
#include <algorithm>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "grid/GridCtrl.h"
#include "grid/GridWidget.h"

bool CGridCtrl::IsCtrlDown() const { return (m_nKeyModifiers & MK_CONTROL) != 0; }
bool CGridCtrl::IsShiftDown() const { return (m_nKeyModifiers & MK_SHIFT) != 0; }

// ---- focus and selection -----------------------------------------------------------------------

CGridCellId CGridCtrl::SetFocusCell(int row, int col) {
    if (CGridCellId(row, col) == m_idCurrentCell) return m_idCurrentCell;
    const CGridCellId old = m_idCurrentCell;
    if (row != -1) row = std::max(row, m_nFixedRows);
    if (col != -1) col = std::max(col, m_nFixedCols);
    m_idCurrentCell = {row, col};
    const CGridCellId cur = m_idCurrentCell;
    if (IsValidCell(old)) {
        SetItemState(old.row, old.col, GetItemState(old.row, old.col) & ~GIS_FOCUSED);
        RedrawCell(old.row, old.col);
        if (m_bHighlightFocusHeaders) {
            if (old.col != cur.col)
                for (int r = 0; r < m_nFixedRows; ++r) RedrawCell(r, old.col);
            if (old.row != cur.row)
                for (int c = 0; c < m_nFixedCols; ++c) RedrawCell(old.row, c);
        }
    }
    if (IsValidCell(cur)) {
        SetItemState(cur.row, cur.col, GetItemState(cur.row, cur.col) | GIS_FOCUSED);
        RedrawCell(cur.row, cur.col);
        if (m_bHighlightFocusHeaders) {
            if (old.col != cur.col)
                for (int r = 0; r < m_nFixedRows; ++r) RedrawCell(r, cur.col);
            if (old.row != cur.row)
                for (int c = 0; c < m_nFixedCols; ++c) RedrawCell(cur.row, c);
        }
    }
    return old;
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool /*forceRedraw*/,
                                 bool select) {
    if (!m_bEnableSelection) return;
    const CGridCellRange visible = Widget() ? GetVisibleCellRange() : CGridCellRange();
    if (minRow >= 0) minRow = std::max(minRow, m_nFixedRows);
    if (maxRow >= 0) maxRow = std::max(maxRow, m_nFixedRows);
    if (minCol >= 0) minCol = std::max(minCol, m_nFixedCols);
    if (maxCol >= 0) maxCol = std::max(maxCol, m_nFixedCols);
    const CGridCellRange range(minRow, minCol, maxRow, maxCol);

    if (select) {
        std::vector<CGridCellId> cells;
        cells.reserve(m_SelectedCellMap.size());
        for (auto it = m_SelectedCellMap.begin(); it != m_SelectedCellMap.end();) {
            if (IsValidCell(it->second)) {
                cells.push_back(it->second);
                ++it;
            } else {
                it = m_SelectedCellMap.erase(it);
            }
        }
        for (const CGridCellId& c : cells) {
            SetItemState(c.row, c.col, GetItemState(c.row, c.col) & ~GIS_SELECTED);
            m_SelectedCellMap.erase(SelectionKey(c.row, c.col));  // virtual mode keeps no cells
            if (!range.InRange(c) && visible.InRange(c)) InvalidateCell(c.row, c.col);
        }
    }
    if (select && !(m_bListMode && m_bSingleRowSelection) && minRow >= 0) {
        if (minCol >= 0 && maxRow >= 0 && maxCol >= 0) {
            for (const auto& [key, c] : std::unordered_map<std::uint64_t, CGridCellId>(m_PrevSelectedCellMap)) {
                if (!IsValidCell(c)) continue;
                SetItemState(c.row, c.col, GetItemState(c.row, c.col) | GIS_SELECTED);
                if (m_bVirtualMode) m_SelectedCellMap[key] = c;
                if (visible.InRange(c)) InvalidateCell(c.row, c.col);
            }
        }
    }
    if (IsValidRange(range)) {
        for (int r = minRow; r <= maxRow; ++r)
            for (int c = minCol; c <= maxCol; ++c) {
                const bool selected = m_SelectedCellMap.count(SelectionKey(r, c)) != 0;
                if (selected == select) continue;
                const unsigned state = GetItemState(r, c);
                SetItemState(r, c, select ? (state | GIS_SELECTED) : (state & ~GIS_SELECTED));
                if (m_bVirtualMode) {
                    if (select)
                        m_SelectedCellMap[SelectionKey(r, c)] = {r, c};
                    else
                        m_SelectedCellMap.erase(SelectionKey(r, c));
                }
                if (visible.InRange(r, c)) InvalidateCell(r, c);
            }
    }
}

void CGridCtrl::ResetSelectedRange() {
    m_PrevSelectedCellMap.clear();
    SetSelectedRange(-1, -1, -1, -1, false, true);
}

CGridCellRange CGridCtrl::GetSelectedCellRange() const {
    CGridCellRange r(m_nRows, m_nCols, -1, -1);
    for (const auto& [key, c] : m_SelectedCellMap) {
        if (!IsValidCell(c)) continue;
        r.minRow = std::min(r.minRow, c.row);
        r.minCol = std::min(r.minCol, c.col);
        r.maxRow = std::max(r.maxRow, c.row);
        r.maxCol = std::max(r.maxCol, c.col);
    }
    return r;
}

void CGridCtrl::SelectAllCells() {
    if (!m_bEnableSelection) return;
    SetSelectedRange(m_nFixedRows, m_nFixedCols, m_nRows - 1, m_nCols - 1, false, true);
}

void CGridCtrl::SelectColumns(CGridCellId cell, bool forceRedraw, bool select) {
    if (!m_bEnableSelection || cell.col < m_nFixedCols || !IsValidCell(cell)) return;
    if (m_bSingleColSelection)
        SetSelectedRange(m_nFixedRows, cell.col, m_nRows - 1, cell.col, forceRedraw, select);
    else
        SetSelectedRange(m_nFixedRows, std::min(m_SelectionStartCell.col, cell.col), m_nRows - 1,
                         std::max(m_SelectionStartCell.col, cell.col), forceRedraw, select);
}

void CGridCtrl::SelectRows(CGridCellId cell, bool forceRedraw, bool select) {
    if (!m_bEnableSelection || cell.row < m_nFixedRows || !IsValidCell(cell)) return;
    if (m_bListMode && m_bSingleRowSelection)
        SetSelectedRange(cell.row, m_nFixedCols, cell.row, m_nCols - 1, forceRedraw, select);
    else
        SetSelectedRange(std::min(m_SelectionStartCell.row, cell.row), m_nFixedCols,
                         std::max(m_SelectionStartCell.row, cell.row), m_nCols - 1, forceRedraw, select);
}

void CGridCtrl::SelectCells(CGridCellId cell, bool forceRedraw, bool select) {
    if (!m_bEnableSelection || cell.row < m_nFixedRows || cell.col < m_nFixedCols || !IsValidCell(cell)) return;
    const CGridCellId s = m_SelectionStartCell;
    SetSelectedRange(std::min(s.row, cell.row), std::min(s.col, cell.col), std::max(s.row, cell.row),
                     std::max(s.col, cell.col), forceRedraw, select);
}

void CGridCtrl::ExtendSelection(CGridCellId cell) {
    OnCellSelected(cell.row, cell.col);
    if (!m_bEnableSelection) return;
    switch (m_MouseMode) {
    case MOUSE_SELECT_ALL: SelectAllCells(); break;
    case MOUSE_SELECT_COL: SelectColumns(cell, false, true); break;
    case MOUSE_SELECT_ROW: SelectRows(cell, false, true); break;
    case MOUSE_SELECT_CELLS: SelectCells(cell, false, true); break;
    default: break;
    }
}

void CGridCtrl::ClearSelection() {
    m_PrevSelectedCellMap.clear();
    SetSelectedRange(-1, -1, -1, -1, false, true);
    SetFocusCell(-1, -1);
}

void CGridCtrl::OnEditSelectAll() {
    SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, GN_SELCHANGING);
    SelectAllCells();
    SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GN_SELCHANGED);
}

// ---- keys ------------------------------------------------------------------------------------------

void CGridCtrl::HandleKeyEvent(QKeyEvent* e) {
    m_nKeyModifiers = ((e->modifiers() & Qt::ShiftModifier) ? MK_SHIFT : 0u) |
                      ((e->modifiers() & Qt::ControlModifier) ? MK_CONTROL : 0u);
    const int vk = VirtualKeyFromQt(e->key());
    if (vk) OnKeyDown(vk);
    // The character of the key, as the system would send it after the key.
    int ch = 0;
    switch (vk) {
    case VK_TAB:
    case VK_RETURN:
    case VK_BACK:
    case VK_ESCAPE: ch = vk; break;
    default:
        if (!e->text().isEmpty()) {
            const char16_t c = e->text().at(0).unicode();
            if (c >= 32 && c != 127) ch = c;
        }
        break;
    }
    if (ch && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) OnChar(ch);
}

CGridCellId CGridCtrl::NextCell(CGridCellId start, int dr, int dc, bool editableOnly) const {
    if (m_nRows <= m_nFixedRows || m_nCols <= m_nFixedCols) return start;
    CGridCellId c = start;
    long long guard = static_cast<long long>(m_nRows) * m_nCols + 2;
    while (guard-- > 0) {
        c.row += dr;
        c.col += dc;
        if (c.col >= m_nCols) {
            c.col = m_nFixedCols;
            c.row += 1;
        }
        if (c.row >= m_nRows) c.row = m_nFixedRows;
        if (c.col < m_nFixedCols) {
            c.col = m_nCols - 1;
            c.row -= 1;
        }
        if (c.row < m_nFixedRows) c.row = m_nRows - 1;
        if (c == start) return start;
        if (GetRowHeight(c.row) == 0 || GetColumnWidth(c.col) == 0) continue;
        if (editableOnly) {
            CGridCellBase* cell = GetCell(c.row, c.col);
            if (!cell || !cell->IsEditable()) continue;
        }
        return c;
    }
    return start;
}

void CGridCtrl::OnKeyDown(int key) {
    if (!IsValidCell(m_idCurrentCell)) return;
    const bool ctrl = IsCtrlDown();
    const bool shift = IsShiftDown();
    if (ctrl) {
        if (key == 'C' || key == VK_INSERT) OnEditCopy();
        else if (key == 'A') OnEditSelectAll();
        else if (key == 'V') OnEditPaste();
        else if (key == 'X') OnEditCut();
    }
    if (shift && key == VK_INSERT) {
        OnEditPaste();
        return;
    }
    if (key == VK_SPACE) {
        if (CGridCellBase* cell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col)) cell->Activate();
        return;
    }
    const CGridCellId focus = m_idCurrentCell;
    CGridCellId next = focus;
    auto step = [&](int dr, int dc) {
        CGridCellId n = NextCell(focus, dr, dc, true);
        if (n == focus) n = NextCell(focus, dr, dc, false);
        return n;
    };
    switch (key) {
    case VK_DELETE: ClearSelectedCells(); break;
    case VK_DOWN: next = step(1, 0); break;
    case VK_UP: next = step(-1, 0); break;
    case VK_RIGHT:
        next = step(0, 1);
        next.row = focus.row;
        break;
    case VK_LEFT:
        next = step(0, -1);
        next.row = focus.row;
        break;
    case VK_TAB:
        if (m_bTabHook && TabOutOfGrid(focus.row, focus.col, shift)) return;
        next = step(0, shift ? -1 : 1);
        break;
    case VK_NEXT:
    case VK_PRIOR: {
        const CGridCellId before = GetTopLeftScrollCell();
        OnVScroll(key == VK_NEXT ? SB_PAGEDOWN : SB_PAGEUP);
        const CGridCellId after = GetTopLeftScrollCell();
        if (after.row == before.row)
            next.row = key == VK_NEXT ? m_nRows - 1 : m_nFixedRows;
        else
            next.row = std::clamp(focus.row + (after.row - before.row), m_nFixedRows, m_nRows - 1);
        break;
    }
    case VK_HOME:
        OnHScroll(SB_LEFT);
        if (ctrl) {
            OnVScroll(SB_TOP);
            next.row = m_nFixedRows;
        }
        next.col = m_nFixedCols;
        while (next.col < m_nCols - 1 && GetColumnWidth(next.col) == 0) ++next.col;
        while (next.row < m_nRows - 1 && GetRowHeight(next.row) == 0) ++next.row;
        break;
    case VK_END:
        OnHScroll(SB_RIGHT);
        if (ctrl) {
            OnVScroll(SB_BOTTOM);
            next.row = m_nRows - 1;
        }
        next.col = m_nCols - 1;
        while (next.col > m_nFixedCols && GetColumnWidth(next.col) == 0) --next.col;
        while (next.row > m_nFixedRows && GetRowHeight(next.row) == 0) --next.row;
        break;
    case VK_F2: OnEditCell(focus.row, focus.col, {-1, -1}, VK_LBUTTON); break;
    default: return;
    }

    if (!(next == focus)) {
        if (m_MouseMode == MOUSE_NOTHING) {
            m_PrevSelectedCellMap.clear();
            m_MouseMode = m_bListMode ? MOUSE_SELECT_ROW : MOUSE_SELECT_CELLS;
            if (!shift || key == VK_TAB) m_SelectionStartCell = next;
            SendMessageToParent(next.row, next.col, GN_SELCHANGING);
            ExtendSelection(next);
            SendMessageToParent(next.row, next.col, GN_SELCHANGED);
            m_MouseMode = MOUSE_NOTHING;
        }
        SetFocusCell(next);
        if (!IsCellVisible(next.row, next.col)) {
            switch (key) {
            case VK_TAB: OnHScroll(shift ? SB_LINELEFT : SB_LINERIGHT); break;
            case VK_LEFT: OnHScroll(SB_LINELEFT); break;
            case VK_RIGHT: OnHScroll(SB_LINERIGHT); break;
            case VK_UP: OnVScroll(SB_LINEUP); break;
            case VK_DOWN: OnVScroll(SB_LINEDOWN); break;
            default: break;
            }
            EnsureVisible(next.row, next.col);
            RepaintGrid();
        }
        EnsureVisible(next.row, next.col);
    }
    OnCellKeyDown(m_idCurrentCell.row, m_idCurrentCell.col, key);
}

void CGridCtrl::OnChar(int ch) {
    if (IsCtrlDown() || m_MouseMode != MOUSE_NOTHING || ch == VK_ESCAPE) return;
    if (m_bHandleTabKey && ch == VK_TAB) return;
    OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, {-1, -1}, ch);
}

// ---- editing -------------------------------------------------------------------------------------

void CGridCtrl::OnEditCell(int row, int col, wl::Point point, int key) {
    HideTitleTip();
    if (!IsCellEditable(row, col)) return;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return;
    EnsureVisible(row, col);
    wl::Rect rect;
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, rect)) return;
    if (SendMessageToParent(row, col, GN_BEGINLABELEDIT) < 0) return;
    cell = GetCell(row, col);  // the parent may have changed the grid
    if (cell) cell->Edit(row, col, rect, point, ID_INPLACE_EDITOR, key);
}

void CGridCtrl::OnEndEditCell(int row, int col, const std::string& text) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return;
    const std::string old = cell->GetText();
    if (text != old) {
        cell->SetText(text);
        if (ValidateEdit(row, col, text) && SendMessageToParent(row, col, GN_ENDLABELEDIT) >= 0) {
            SetModified(true, row, col);
            RedrawCell(row, col);
        } else if ((cell = GetCell(row, col)) != nullptr) {
            cell->SetText(old);
        }
    }
    if (cell) cell->OnEndEdit();
}

bool CGridCtrl::ValidateEdit(int row, int col, const std::string& text) {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->ValidateEdit(text) : false;
}

void CGridCtrl::EndEditing() {
    if (!IsValidCell(m_idCurrentCell)) return;
    if (CGridCellBase* cell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col)) cell->EndEdit();
}

bool CGridCtrl::OnNotify(const wl::Notify& n, std::intptr_t& result) {
    if (n.id != ID_INPLACE_EDITOR || n.code != GN_ENDLABELEDIT) return wl::Window::OnNotify(n, result);
    result = 0;
    const GRIDDISPINFO* info = GridRecord<GRIDDISPINFO>(n);
    if (!info) return true;
    OnEndEditCell(info->item.row, info->item.col, info->item.strText);
    int key = int(info->item.lParam);
    switch (key) {
    case VK_TAB:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: break;
    case VK_RETURN: key = m_nEnterKeyAction; break;
    default: return true;
    }
    const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
    m_nKeyModifiers = ((mods & Qt::ShiftModifier) ? MK_SHIFT : 0u) | ((mods & Qt::ControlModifier) ? MK_CONTROL : 0u);
    OnKeyDown(key);
    OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, {-1, -1}, key);
    return true;
}

// ---- mouse -------------------------------------------------------------------------------------------

wl::Point CGridCtrl::CellRelative(CGridCellId cell, wl::Point p) const {
    wl::Point o;
    if (!GetCellOrigin(cell.row, cell.col, o)) return p;
    return {p.x - o.x, p.y - o.y};
}

bool CGridCtrl::PointOnText(CGridCellId id, wl::Point p) const {
    wl::Rect r;
    CGridCellBase* cell = GetCell(id.row, id.col);
    if (!cell || !GetCellRect(id.row, id.col, r) || !cell->GetTextRect(r)) return false;
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

bool CGridCtrl::MouseOverColumnResizeArea(wl::Point p) const {
    if (p.y >= GetFixedRowHeight()) return false;
    const CGridCellId cell = GetCellFromPoint(p);
    wl::Point start;
    if (!IsValidCell(cell) || !GetCellOrigin(cell.row, cell.col, start)) return false;
    const int end = start.x + GetColumnWidth(cell.col);
    return (p.x - start.x < m_nResizeCaptureRange && cell.col != 0) || end - p.x < m_nResizeCaptureRange;
}

bool CGridCtrl::MouseOverRowResizeArea(wl::Point p) const {
    if (p.x >= GetFixedColumnWidth()) return false;
    const CGridCellId cell = GetCellFromPoint(p);
    wl::Point start;
    if (!IsValidCell(cell) || !GetCellOrigin(cell.row, cell.col, start)) return false;
    const int end = start.y + GetRowHeight(cell.row);
    return (p.y - start.y < m_nResizeCaptureRange && cell.row != 0) || end - p.y < m_nResizeCaptureRange;
}

void CGridCtrl::ShowBand(bool vertical, int pos) {
    m_bBandVertical = vertical;
    m_nBandPos = pos;
    if (QWidget* v = GetClientWidget()) v->update();
}

void CGridCtrl::ResetCursor() {
    if (QWidget* v = GetClientWidget()) v->setCursor(Qt::ArrowCursor);
}

void CGridCtrl::OnLButtonDown(unsigned flags, wl::Point p) {
    HideTitleTip();
    m_nKeyModifiers = flags & (MK_SHIFT | MK_CONTROL);
    if (QWidget* w = Widget()) w->setFocus(Qt::MouseFocusReason);
    m_LeftClickDownPoint = p;
    m_CursorPoint = p;
    m_bLMouseButtonDown = true;
    m_LeftClickDownCell = GetCellFromPoint(p);
    if (!IsValidCell(m_LeftClickDownCell)) return;
    const CGridCellId pressed = m_LeftClickDownCell;

    if (flags & MK_SHIFT) {
        if (!IsValidCell(m_SelectionStartCell)) m_SelectionStartCell = m_idCurrentCell;
    } else {
        m_SelectionStartCell = pressed;
    }
    EndEditing();
    if (CGridCellBase* cell = GetCell(pressed.row, pressed.col)) cell->OnClickDown(CellRelative(pressed, p));

    const bool ctrl = (flags & MK_CONTROL) != 0;
    if (pressed == m_idCurrentCell && !ctrl && PointOnText(pressed, p) && IsCellEditable(pressed.row, pressed.col)) {
        m_MouseMode = MOUSE_PREPARE_EDIT;
        return;
    }
    if (!IsCellSelected(pressed.row, pressed.col)) {
        if (m_MouseMode != MOUSE_OVER_ROW_DIVIDE && m_MouseMode != MOUSE_OVER_COL_DIVIDE)
            SetFocusCell(IsCellFixed(pressed.row, pressed.col) ? CGridCellId() : pressed);
    } else if (ctrl) {
        SetFocusCell(pressed);
        if (m_bListMode)
            SelectRows(pressed, true, false);
        else
            SelectCells(pressed, true, false);
        return;
    } else if (m_bAllowDragAndDrop) {
        m_MouseMode = MOUSE_PREPARE_DRAG;
    }

    if (m_MouseMode == MOUSE_NOTHING) {
        if (m_bAllowColumnResize && MouseOverColumnResizeArea(p)) {
            if (QWidget* v = GetClientWidget()) v->setCursor(Qt::SizeHorCursor);
            m_MouseMode = MOUSE_OVER_COL_DIVIDE;
        } else if (m_bAllowRowResize && MouseOverRowResizeArea(p)) {
            if (QWidget* v = GetClientWidget()) v->setCursor(Qt::SizeVerCursor);
            m_MouseMode = MOUSE_OVER_ROW_DIVIDE;
        }
    }

    if (m_MouseMode == MOUSE_OVER_COL_DIVIDE) {
        m_MouseMode = MOUSE_SIZING_COL;
        wl::Rect vis;
        GetVisibleCellRange(&vis);
        int col = pressed.col;
        if (GetColumnWidth(m_nCols - 1) < m_nResizeCaptureRange && std::abs(p.x - vis.right) < m_nResizeCaptureRange)
            col = m_nCols - 1;
        wl::Point start;
        if (!GetCellOrigin(0, col, start)) {
            m_MouseMode = MOUSE_NOTHING;
            return;
        }
        const bool nearLeft = p.x - start.x < m_nResizeCaptureRange;
        const bool lastThin = col == m_nCols - 1 && GetColumnWidth(col) < 3;
        if (nearLeft && !lastThin) {
            // The divider at the left edge belongs to the column on the left.
            --col;
            if (!m_bHiddenColUnhide)
                while (col >= 0 && GetColumnWidth(col) == 0) --col;
            if (col < 0 || !GetCellOrigin(0, col, start)) {
                m_MouseMode = MOUSE_NOTHING;
                return;
            }
        }
        m_LeftClickDownCell.col = col;
        ShowBand(true, p.x);
    } else if (m_MouseMode == MOUSE_OVER_ROW_DIVIDE) {
        m_MouseMode = MOUSE_SIZING_ROW;
        wl::Rect vis;
        GetVisibleCellRange(&vis);
        int row = pressed.row;
        if (GetRowHeight(m_nRows - 1) < m_nResizeCaptureRange && std::abs(p.y - vis.bottom) < m_nResizeCaptureRange)
            row = m_nRows - 1;
        wl::Point start;
        if (!GetCellOrigin(row, 0, start)) {
            m_MouseMode = MOUSE_NOTHING;
            return;
        }
        const bool nearTop = p.y - start.y < m_nResizeCaptureRange;
        const bool lastThin = row == m_nRows - 1 && GetRowHeight(row) < 3;
        if (nearTop && !lastThin) {
            --row;
            if (!m_bHiddenRowUnhide)
                while (row >= 0 && GetRowHeight(row) == 0) --row;
            if (row < 0 || !GetCellOrigin(row, 0, start)) {
                m_MouseMode = MOUSE_NOTHING;
                return;
            }
        }
        m_LeftClickDownCell.row = row;
        ShowBand(false, p.y);
    } else if (m_MouseMode != MOUSE_PREPARE_DRAG) {
        SendMessageToParent(pressed.row, pressed.col, GN_SELCHANGING);
        m_PrevSelectedCellMap.clear();
        if (ctrl) m_PrevSelectedCellMap = m_SelectedCellMap;
        if (pressed.row < m_nFixedRows) {
            OnFixedRowClick(pressed);
        } else if (pressed.col < m_nFixedCols) {
            OnFixedColumnClick(pressed);
        } else {
            m_MouseMode = m_bListMode ? MOUSE_SELECT_ROW : MOUSE_SELECT_CELLS;
            ExtendSelection(pressed);
            m_nTimerID = SetTimer(kAutoScrollTimer, unsigned(m_nTimerInterval));
        }
    }
    m_LastMousePoint = p;
}

void CGridCtrl::OnFixedRowClick(CGridCellId cell) {
    if (!IsValidCell(cell)) return;
    if (m_bSortOnClick) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        SortByText(cell.col, cell.col == m_nSortColumn ? !m_bAscending : true);
        QApplication::restoreOverrideCursor();
        RepaintGrid();
    }
    if (m_bFixedRowSelection) {
        m_MouseMode = cell.col < m_nFixedCols ? MOUSE_SELECT_ALL : MOUSE_SELECT_COL;
        ExtendSelection(cell);
    }
}

void CGridCtrl::OnFixedColumnClick(CGridCellId cell) {
    if (!IsValidCell(cell) || !m_bFixedColumnSelection) return;
    m_MouseMode = cell.row < m_nFixedRows ? MOUSE_SELECT_ALL : MOUSE_SELECT_ROW;
    ExtendSelection(cell);
}

void CGridCtrl::OnMouseMove(unsigned flags, wl::Point p) {
    m_nKeyModifiers = flags & (MK_SHIFT | MK_CONTROL);
    m_CursorPoint = p;
    const wl::Rect client = GetGridClientRect();
    if (m_MouseMode != MOUSE_DRAGGING && !client.Contains(p)) return;

    if (m_bLMouseButtonDown && m_MouseMode != MOUSE_NOTHING) {
        if (!IsValidCell(m_LeftClickDownCell)) {
            m_LastMousePoint = p;
            return;
        }
        switch (m_MouseMode) {
        case MOUSE_SELECT_ALL:
        case MOUSE_SELECT_COL:
        case MOUSE_SELECT_ROW:
        case MOUSE_SELECT_CELLS: {
            const CGridCellId cell = GetCellFromPoint(p);
            if (!IsValidCell(cell)) return;
            if (!(cell == m_idCurrentCell)) {
                ExtendSelection(cell);
                if ((cell.row >= m_nFixedRows && cell.col >= m_nFixedCols) || m_MouseMode == MOUSE_SELECT_COL ||
                    m_MouseMode == MOUSE_SELECT_ROW)
                    SetFocusCell(cell);
            }
            break;
        }
        case MOUSE_SIZING_ROW: {
            wl::Point start;
            GetCellOrigin(m_LeftClickDownCell.row, 0, start);
            ShowBand(false, std::clamp(p.y, start.y + 1, std::max(start.y + 1, client.bottom - 1)));
            break;
        }
        case MOUSE_SIZING_COL: {
            wl::Point start;
            GetCellOrigin(0, m_LeftClickDownCell.col, start);
            ShowBand(true, std::clamp(p.x, start.x + 1, std::max(start.x + 1, client.right - 1)));
            break;
        }
        case MOUSE_PREPARE_EDIT:
        case MOUSE_PREPARE_DRAG:
            m_MouseMode = MOUSE_PREPARE_DRAG;
            OnBeginDrag();
            break;
        default: break;
        }
        m_LastMousePoint = p;
        return;
    }

    QWidget* v = GetClientWidget();
    if (m_bAllowColumnResize && MouseOverColumnResizeArea(p)) {
        if (v) v->setCursor(Qt::SizeHorCursor);
        m_MouseMode = MOUSE_OVER_COL_DIVIDE;
    } else if (m_bAllowRowResize && MouseOverRowResizeArea(p)) {
        if (v) v->setCursor(Qt::SizeVerCursor);
        m_MouseMode = MOUSE_OVER_ROW_DIVIDE;
    } else if (m_MouseMode != MOUSE_NOTHING) {
        m_MouseMode = MOUSE_NOTHING;
        ResetCursor();
    }
    if (m_MouseMode == MOUSE_NOTHING && !(m_bVirtualMode && !m_bTitleTips)) {
        const CGridCellId cell = GetCellFromPoint(p);
        if (CGridCellBase* c = GetCell(cell.row, cell.col)) c->OnMouseOver();
        ShowTitleTipAt(p);
    }
    m_LastMousePoint = p;
}

void CGridCtrl::PostClickCommand() {
    QWidget* w = Widget();
    if (!w) return;
    if (wl::Window* parent = wl::Window::FromWidget(w->parentWidget())) parent->PostCommand(GetDlgCtrlID(), 0);
}

void CGridCtrl::OnLButtonUp(unsigned flags, wl::Point p) {
    m_nKeyModifiers = flags & (MK_SHIFT | MK_CONTROL);
    m_bLMouseButtonDown = false;
    if (m_nTimerID) {
        KillTimer(m_nTimerID);
        m_nTimerID = 0;
    }
    const CGridCellId pressed = m_LeftClickDownCell;
    const int mode = m_MouseMode;
    if (mode == MOUSE_PREPARE_EDIT) {
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CellRelative(m_idCurrentCell, p), VK_LBUTTON);
    } else if (mode == MOUSE_PREPARE_DRAG) {
        if (CGridCellBase* cell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col))
            cell->OnClick(CellRelative(m_idCurrentCell, p));
        SendMessageToParent(pressed.row, pressed.col, wl::NM_CLICK);
        SendMessageToParent(pressed.row, pressed.col, GN_SELCHANGING);
        ClearSelection();
        SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GN_SELCHANGED);
    } else if (mode == MOUSE_SIZING_COL) {
        ShowBand(true, -1);
        wl::Point start;
        if (!(p == m_LeftClickDownPoint) && !(p == wl::Point{0, 0}) && GetCellOrigin(0, pressed.col, start)) {
            const int width = std::max(p.x - start.x, m_bAllowColHide ? 0 : 1);
            SetColumnWidth(pressed.col, width);
            UpdateScrollBars();
            RepaintGrid();
        }
    } else if (mode == MOUSE_SIZING_ROW) {
        ShowBand(false, -1);
        wl::Point start;
        if (!(p == m_LeftClickDownPoint) && !(p == wl::Point{0, 0}) && GetCellOrigin(pressed.row, 0, start)) {
            const int height = std::max(p.y - start.y, m_bAllowRowHide ? 0 : 1);
            SetRowHeight(pressed.row, height);
            UpdateScrollBars();
            RepaintGrid();
        }
    } else {
        SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GN_SELCHANGED);
        if (CGridCellBase* cell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col))
            cell->OnClick(CellRelative(m_idCurrentCell, p));
        SendMessageToParent(pressed.row, pressed.col, wl::NM_CLICK);
    }
    if (m_bSingleClickEdit && mode != MOUSE_PREPARE_EDIT && IsValidCell(pressed) &&
        IsCellEditable(pressed.row, pressed.col) && !IsCellFixed(pressed.row, pressed.col)) {
        // A second click opens the editor.
        m_bSingleClickEdit = false;
        OnLButtonDown(flags, p);
        OnLButtonUp(flags, p);
        m_bSingleClickEdit = true;
    }
    m_MouseMode = MOUSE_NOTHING;
    ResetCursor();
    if (IsValidCell(pressed)) PostClickCommand();
}

void CGridCtrl::OnLButtonDblClk(unsigned flags, wl::Point p) {
    m_nKeyModifiers = flags & (MK_SHIFT | MK_CONTROL);
    const CGridCellId cell = GetCellFromPoint(p);
    if (!IsValidCell(cell)) return;
    if (m_bAllowColumnResize && MouseOverColumnResizeArea(p)) {
        wl::Point start;
        GetCellOrigin(cell.row, cell.col, start);
        int col = cell.col;
        if (p.x - start.x < m_nResizeCaptureRange) --col;
        while (col > 0 && GetColumnWidth(col) == 0) --col;
        if (col >= 0) AutoSizeColumn(col, m_nAutoSizeColumnStyle, true);
        RepaintGrid();
    } else if (m_bAllowRowResize && MouseOverRowResizeArea(p)) {
        wl::Point start;
        GetCellOrigin(cell.row, cell.col, start);
        int row = cell.row;
        if (p.y - start.y < m_nResizeCaptureRange) --row;
        while (row > 0 && GetRowHeight(row) == 0) --row;
        if (row >= 0) AutoSizeRow(row, true);
        RepaintGrid();
    } else if (m_MouseMode == MOUSE_NOTHING) {
        const wl::Point rel = CellRelative(cell, p);
        const bool onText = PointOnText(cell, p);
        if (cell.row >= m_nFixedRows) {
            if (IsValidCell(m_LeftClickDownCell) && IsCellEditable(m_LeftClickDownCell.row, m_LeftClickDownCell.col) &&
                cell.col >= m_nFixedCols && onText)
                OnEditCell(cell.row, cell.col, rel, VK_LBUTTON);
            else if (m_bListMode && !IsCellFixed(cell.row, cell.col) && onText)
                OnEditCell(cell.row, cell.col, rel, VK_LBUTTON);
        }
        if (CGridCellBase* c = GetCell(cell.row, cell.col)) c->OnDblClick(rel);
        SendMessageToParent(cell.row, cell.col, wl::NM_DBLCLK);
    }
}

void CGridCtrl::OnRButtonDown(unsigned /*flags*/, wl::Point /*p*/) { m_bRMouseButtonDown = true; }

void CGridCtrl::OnRButtonUp(unsigned /*flags*/, wl::Point p) {
    m_bRMouseButtonDown = false;
    const CGridCellId cell = GetCellFromPoint(p);
    EndEditing();
    if (IsValidCell(cell)) {
        SetFocusCell(-1, -1);
        const CGridCellId target(std::max(cell.row, m_nFixedRows), std::max(cell.col, m_nFixedCols));
        ExtendSelection(target);
        SetFocusCell(target);
        if (CGridCellBase* c = GetCell(target.row, target.col)) c->OnRClick(CellRelative(target, p));
        SendMessageToParent(target.row, target.col, wl::NM_RCLICK);
    } else {
        SendMessageToParent(-1, -1, wl::NM_RCLICK);
    }
}

// The mouse went to another window (focus lost, window deactivated): no
// timer outlives the press that started it.
void CGridCtrl::OnCaptureChanged() {
    if (m_nTimerID) {
        KillTimer(m_nTimerID);
        m_nTimerID = 0;
    }
    if (m_MouseMode == MOUSE_DRAGGING) m_MouseMode = MOUSE_NOTHING;
}

// ---- auto-scroll ---------------------------------------------------------------------------------------

void CGridCtrl::OnTimer(unsigned id) {
    if (id != kAutoScrollTimer) return;
    OnAutoScroll();
}

void CGridCtrl::OnAutoScroll() {
    const wl::Point p = m_CursorPoint;
    const wl::Rect client = GetGridClientRect();
    const int fixedH = GetFixedRowHeight();
    const int fixedW = GetFixedColumnWidth();
    const int x = std::clamp(p.x, client.left, std::max(client.left, client.right - 1));
    const int y = std::clamp(p.y, client.top, std::max(client.top, client.bottom - 1));
    if (p.y >= client.bottom) {
        OnKeyDown(VK_DOWN);
        ExtendSelection(GetCellFromPoint({x, client.bottom - 1}));
    } else if (p.y < fixedH) {
        OnKeyDown(VK_UP);
        ExtendSelection(GetCellFromPoint({x, fixedH + 1}));
    }
    if (p.x >= client.right) {
        OnKeyDown(VK_RIGHT);
        ExtendSelection(GetCellFromPoint({client.right - 1, y}));
    } else if (p.x < fixedW) {
        OnKeyDown(VK_LEFT);
        ExtendSelection(GetCellFromPoint({fixedW + 1, y}));
    }
}
