// Grid control: text exchange with the clipboard and by drag and drop.
//
// The text of a range is UTF-8: one line per shown row (line feeds between
// rows), one field per shown column (tabs between fields), the text of
// selected cells only. Pasting splits lines at line feeds and fields at tabs
// alone, so that a decimal comma stays inside its number.
#include <memory>

#include <QDrag>
#include <QMimeData>

#include "grid/GridCtrl.h"
#include "grid/GridDropHandler.h"
#include "grid/GridWidget.h"
#include "platform/wl/ui.h"

namespace {

std::string Trimmed(const std::string& s) {
    const char* ws = " \t\r\n\v\f";
    const size_t b = s.find_first_not_of(ws);
    if (b == std::string::npos) return {};
    const size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

std::string TextOf(const QMimeData* data) {
    const QByteArray bytes = data->text().toUtf8();
    std::string text(bytes.constData(), size_t(bytes.size()));
    // The text ends at the first zero byte.
    if (const size_t z = text.find('\0'); z != std::string::npos) text.resize(z);
    return text;
}

}  // namespace

// ---- guarded change of a cell's text ------------------------------------------------------

bool CGridCtrl::ReplaceCellText(int row, int col, const std::string& text) {
    if (!IsCellEditable(row, col)) return false;
    if (SendMessageToParent(row, col, GN_BEGINLABELEDIT) < 0) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    const std::string old = cell->GetText();
    if (old == text) return false;
    cell->SetText(text);
    if (ValidateEdit(row, col, text) && SendMessageToParent(row, col, GN_ENDLABELEDIT) >= 0) {
        SetModified(true, row, col);
        RedrawCell(row, col);
        return true;
    }
    if ((cell = GetCell(row, col)) != nullptr) cell->SetText(old);
    return false;
}

void CGridCtrl::ClearSelectedCells() {
    if (!m_bEditable) return;
    // Copy the keys first: a refused change may redraw and touch the map.
    std::vector<CGridCellId> cells;
    cells.reserve(m_SelectedCellMap.size());
    for (const auto& [key, id] : m_SelectedCellMap) cells.push_back(id);
    for (const CGridCellId& id : cells)
        if (IsValidCell(id)) ReplaceCellText(id.row, id.col, {});
}

// ---- copy and paste ---------------------------------------------------------------------------

std::unique_ptr<QMimeData> CGridCtrl::CopyTextFromGrid() {
    const CGridCellRange range = GetSelectedCellRange();
    if (!IsValidRange(range)) return nullptr;
    if (m_bVirtualMode) SendCacheHintToParent(range);
    std::string text;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        if (GetRowHeight(row) == 0) continue;
        std::string line;
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            if (GetColumnWidth(col) == 0) continue;
            if (CGridCellBase* cell = GetCell(row, col); cell && IsCellSelected(row, col)) line += cell->GetText();
            if (col != range.maxCol) line += '\t';
        }
        if (row != range.maxRow) line += '\n';
        text += line;
    }
    if (m_bVirtualMode) SendCacheHintToParent(CGridCellRange(-1, -1, -1, -1));
    auto data = std::make_unique<QMimeData>();
    data->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    return data;
}

bool CGridCtrl::PasteTextToGrid(CGridCellId start, const QMimeData* data, bool selectPasted) {
    if (!IsValidCell(start) || !IsCellEditable(start.row, start.col) || !data || !data->hasText()) return false;
    const std::string text = TextOf(data);

    CGridCellRange pasted(-1, -1, -1, -1);
    auto widen = [&pasted](int row, int col) {
        if (pasted.minRow < 0) {
            pasted = {row, col, row, col};
            return;
        }
        pasted.minRow = std::min(pasted.minRow, row);
        pasted.minCol = std::min(pasted.minCol, col);
        pasted.maxRow = std::max(pasted.maxRow, row);
        pasted.maxCol = std::max(pasted.maxCol, col);
    };

    int rowOffset = 0;
    size_t lineStart = 0;
    for (int line = 0; lineStart <= text.size(); ++line) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        const std::string lineText = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        int row = start.row + line + rowOffset;
        while (row < m_nRows && GetRowHeight(row) == 0) {
            ++rowOffset;
            ++row;
        }
        if (row >= m_nRows) break;  // lines beyond the grid are dropped

        int colOffset = 0;
        size_t fieldStart = 0;
        for (int field = 0; fieldStart < lineText.size(); ++field) {
            size_t fieldEnd = lineText.find('\t', fieldStart);
            if (fieldEnd == std::string::npos) fieldEnd = lineText.size();
            const std::string value = Trimmed(lineText.substr(fieldStart, fieldEnd - fieldStart));
            fieldStart = fieldEnd + 1;

            int col = start.col + field + colOffset;
            while (col < m_nCols && GetColumnWidth(col) == 0) {
                ++colOffset;
                ++col;
            }
            if (col >= m_nCols) break;  // fields beyond the grid are dropped
            if (!IsValidCell(row, col)) continue;
            ReplaceCellText(row, col, value);
            if (CGridCellBase* cell = GetCell(row, col)) cell->SetState(cell->GetState() & ~GIS_SELECTED);
            widen(row, col);
        }
    }

    if (selectPasted && pasted.minRow >= 0) {
        SetSelectedRange(pasted, true);
    } else {
        ClearSelection();
        RepaintGrid();
    }
    return true;
}

void CGridCtrl::OnEditCopy() {
    const std::unique_ptr<QMimeData> data = CopyTextFromGrid();
    if (!data) return;
    const QByteArray bytes = data->text().toUtf8();
    wl::GetUi().SetClipboardText(std::string(bytes.constData(), size_t(bytes.size())));
}

void CGridCtrl::OnEditCut() {
    if (!m_bEditable) return;
    const std::unique_ptr<QMimeData> data = CopyTextFromGrid();
    if (!data) return;
    const QByteArray bytes = data->text().toUtf8();
    wl::GetUi().SetClipboardText(std::string(bytes.constData(), size_t(bytes.size())));
    ClearSelectedCells();
}

void CGridCtrl::OnEditPaste() {
    if (!m_bEditable) return;
    CGridCellId target;
    const CGridCellRange range = GetSelectedCellRange();
    if (IsValidRange(range))
        target = {range.minRow, range.minCol};
    else if (IsValidCell(m_idCurrentCell))
        target = m_idCurrentCell;
    else
        target = GetTopLeftScrollCell();
    if (!IsValidCell(target)) return;

    const std::string text = wl::GetUi().GetClipboardText();
    // An open text editor in the target cell takes the paste itself.
    if (CGridCellBase* cell = GetCell(target.row, target.col); cell && cell->IsEditing()) {
        if (QLineEdit* editor = cell->GetEditWnd()) {
            editor->insert(QString::fromUtf8(text.data(), qsizetype(text.size())));
            return;
        }
    }
    QMimeData data;
    if (!text.empty()) data.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    PasteTextToGrid(target, &data, true);
}

// ---- drag and drop ------------------------------------------------------------------------------

void CGridCtrl::EnableDragAndDrop(bool b) {
    m_bAllowDragAndDrop = b;
    if (b) {
        if (!m_pDropTarget) m_pDropTarget = std::make_unique<CGridDropHandler>();
        m_pDropTarget->Register(this);
    } else if (m_pDropTarget) {
        m_pDropTarget->Revoke();
    }
}

int CGridCtrl::RunDragLoop(std::unique_ptr<QMimeData> data) {
    QWidget* w = Widget();
    if (!w) return DROPEFFECT_NONE;
    auto* drag = new QDrag(w);
    drag->setMimeData(data.release());
    return int(drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction));
}

void CGridCtrl::OnBeginDrag() {
    if (!m_bAllowDragAndDrop) return;
    std::unique_ptr<QMimeData> data = CopyTextFromGrid();
    if (!data) return;
    const CGridCellRange range = GetSelectedCellRange();
    SendMessageToParent(range.minRow, range.minCol, GN_BEGINDRAG);
    m_MouseMode = MOUSE_DRAGGING;
    m_bLMouseButtonDown = false;
    const int effect = RunDragLoop(std::move(data));
    if (effect & DROPEFFECT_MOVE) ClearSelectedCells();
    if (m_MouseMode == MOUSE_DRAGGING) m_MouseMode = MOUSE_NOTHING;
}

int CGridCtrl::OnDragEnter(const QMimeData* data, unsigned keyState, wl::Point p) {
    if (!m_bAllowDragAndDrop || !data || !data->hasText()) return DROPEFFECT_NONE;
    m_LastDragOverCell = GetCellFromPoint(p, false);
    if (!IsValidCell(m_LastDragOverCell) || !IsCellEditable(m_LastDragOverCell.row, m_LastDragOverCell.col))
        return DROPEFFECT_NONE;
    if (CGridCellBase* cell = GetCell(m_LastDragOverCell.row, m_LastDragOverCell.col)) {
        cell->SetState(cell->GetState() | GIS_DROPHILITED);
        RedrawCell(m_LastDragOverCell.row, m_LastDragOverCell.col);
    }
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

int CGridCtrl::OnDragOver(const QMimeData* data, unsigned keyState, wl::Point p) {
    if (!m_bAllowDragAndDrop || !m_bEditable || !data || !data->hasText()) return DROPEFFECT_NONE;
    const CGridCellId cell = GetCellFromPoint(p, false);
    if (!IsValidCell(cell)) {
        OnDragLeave();
        m_LastDragOverCell = CGridCellId(-1, -1);
        return DROPEFFECT_NONE;
    }
    if (!IsCellEditable(cell.row, cell.col)) return DROPEFFECT_NONE;
    const int effect = (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    if (cell == m_LastDragOverCell) return effect;
    if (IsValidCell(m_LastDragOverCell)) {
        if (CGridCellBase* old = GetCell(m_LastDragOverCell.row, m_LastDragOverCell.col)) {
            old->SetState(old->GetState() & ~GIS_DROPHILITED);
            RedrawCell(m_LastDragOverCell.row, m_LastDragOverCell.col);
        }
    }
    m_LastDragOverCell = cell;
    if (CGridCellBase* c = GetCell(cell.row, cell.col)) {
        c->SetState(c->GetState() | GIS_DROPHILITED);
        RedrawCell(cell.row, cell.col);
    }
    return effect;
}

void CGridCtrl::OnDragLeave() {
    if (!IsValidCell(m_LastDragOverCell)) return;
    if (CGridCellBase* cell = GetCell(m_LastDragOverCell.row, m_LastDragOverCell.col)) {
        cell->SetState(cell->GetState() & ~GIS_DROPHILITED);
        RedrawCell(m_LastDragOverCell.row, m_LastDragOverCell.col);
    }
}

bool CGridCtrl::OnDrop(const QMimeData* data, int /*dropEffect*/, wl::Point /*p*/) {
    m_MouseMode = MOUSE_NOTHING;
    if (!m_bAllowDragAndDrop || !IsValidCell(m_LastDragOverCell) ||
        !IsCellEditable(m_LastDragOverCell.row, m_LastDragOverCell.col))
        return false;
    OnDragLeave();
    return PasteTextToGrid(m_LastDragOverCell, data, false);
}

// ---- the drop target ------------------------------------------------------------------------------

bool CGridDropHandler::Register(CGridCtrl* grid) {
    if (!grid) return false;
    m_pGridCtrl = grid;
    m_bRegistered = true;
    if (QWidget* v = grid->GetClientWidget()) v->setAcceptDrops(true);
    return true;
}

void CGridDropHandler::Revoke() {
    m_bRegistered = false;
    if (m_pGridCtrl)
        if (QWidget* v = m_pGridCtrl->GetClientWidget()) v->setAcceptDrops(false);
}

bool CGridDropHandler::Serves(const wl::Window* window) const {
    return m_pGridCtrl && window == static_cast<const wl::Window*>(m_pGridCtrl);
}

int CGridDropHandler::OnDragEnter(wl::Window* window, const QMimeData* data, unsigned keyState, wl::Point p) {
    return Serves(window) ? m_pGridCtrl->OnDragEnter(data, keyState, p) : CGridCtrl::DROPEFFECT_NONE;
}

int CGridDropHandler::OnDragOver(wl::Window* window, const QMimeData* data, unsigned keyState, wl::Point p) {
    return Serves(window) ? m_pGridCtrl->OnDragOver(data, keyState, p) : CGridCtrl::DROPEFFECT_NONE;
}

bool CGridDropHandler::OnDrop(wl::Window* window, const QMimeData* data, int dropEffect, wl::Point p) {
    return Serves(window) && m_pGridCtrl->OnDrop(data, dropEffect, p);
}

void CGridDropHandler::OnDragLeave(wl::Window* window) {
    if (Serves(window)) m_pGridCtrl->OnDragLeave();
}

int CGridDropHandler::OnDragScroll(wl::Window* window, unsigned keyState, wl::Point /*p*/) {
    if (!Serves(window)) return CGridCtrl::DROPEFFECT_NONE;
    return (keyState & CGridCtrl::MK_CONTROL) ? CGridCtrl::DROPEFFECT_COPY : CGridCtrl::DROPEFFECT_MOVE;
}
