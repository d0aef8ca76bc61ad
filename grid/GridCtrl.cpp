// Grid control: construction, the window, rows, columns and cell storage,
// items, virtual mode, notifications, sorting and auto-size.
#include "grid/GridCtrl.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "grid/GridDropHandler.h"
#include "grid/GridTipWnd.h"
#include "grid/GridWidget.h"
#include "platform/winsys/winsys.h"

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols)
    : m_pRtcDefault(GRID_RUNTIME_CLASS(CGridCell)),
      m_cellDefault(std::make_unique<CGridDefaultCell>()),
      m_cellFixedColDef(std::make_unique<CGridDefaultCell>()),
      m_cellFixedRowDef(std::make_unique<CGridDefaultCell>()),
      m_cellFixedRowColDef(std::make_unique<CGridDefaultCell>()) {
    m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
    m_crWindow = GetSysColor(COLOR_WINDOW);
    m_cr3DFace = GetSysColor(COLOR_3DFACE);
    m_crShadow = GetSysColor(COLOR_BTNSHADOW);
    m_crGridLineColour = 0xC0C0C0;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        m_nWheelLines = unsigned(std::max(0, QApplication::wheelScrollLines()));
    SetupDefaultCells();
    m_crWindowColour = GetSysColor(COLOR_BTNFACE);
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
    m_crTTipBackClr = CLR_DEFAULT;
    m_crTTipTextClr = CLR_DEFAULT;
    m_SelectedCellMap.clear();
    m_PrevSelectedCellMap.clear();
}

CGridCtrl::~CGridCtrl() {
    RemoveAllCells();
    if (m_pTitleTip) m_pTitleTip->DestroyWindow();
    if (auto* w = dynamic_cast<gridimpl::GridWidget*>(Widget())) w->grid = nullptr;
    DestroyWindow();
}

void CGridCtrl::SetupDefaultCells() {
    for (CGridDefaultCell* d : {m_cellDefault.get(), m_cellFixedColDef.get(), m_cellFixedRowDef.get(),
                                m_cellFixedRowColDef.get()}) {
        d->SetGrid(this);
        d->SetTextClr(GetSysColor(COLOR_WINDOWTEXT));
        d->SetBackClr(GetSysColor(COLOR_3DFACE));
    }
    m_cellDefault->SetBackClr(GetSysColor(COLOR_WINDOW));
}

void CGridCtrl::OnFontChange(const QFont& font) {
    for (CGridDefaultCell* d : {m_cellDefault.get(), m_cellFixedColDef.get(), m_cellFixedRowDef.get(),
                                m_cellFixedRowColDef.get()})
        d->SetFont(&font);
    RepaintGrid();
}

void CGridCtrl::OnSysColorChange() {
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    for (CGridDefaultCell* d : {m_cellDefault.get(), m_cellFixedColDef.get(), m_cellFixedRowDef.get(),
                                m_cellFixedRowColDef.get()}) {
        if (d->GetTextClr() == m_crWindowText) d->SetTextClr(text);
        if (d->GetBackClr() == m_crWindow) d->SetBackClr(window);
    }
    m_crWindowColour = GetSysColor(COLOR_BTNFACE);
    m_crWindowText = text;
    m_crWindow = window;
    m_cr3DFace = GetSysColor(COLOR_3DFACE);
    m_crShadow = GetSysColor(COLOR_BTNSHADOW);
    RepaintGrid();
}

bool CGridCtrl::OnCommand(int id, int /*code*/) {
    switch (id) {
    case ID_EDIT_COPY: OnEditCopy(); return true;
    case ID_EDIT_CUT: OnEditCut(); return true;
    case ID_EDIT_PASTE: OnEditPaste(); return true;
    case ID_EDIT_SELECT_ALL: OnEditSelectAll(); return true;
    default: return false;
    }
}

// ---- the window ------------------------------------------------------------------------

QWidget* CGridCtrl::CreateControlWidget(QWidget* parent) {
    auto* w = new gridimpl::GridWidget(this, parent);
    if (m_bAllowDragAndDrop && m_pDropTarget && m_pDropTarget->IsRegistered()) w->viewport()->setAcceptDrops(true);
    m_arRowHeights.assign(size_t(m_nRows), m_cellDefault->GetHeight());
    m_arColWidths.assign(size_t(m_nCols), m_cellDefault->GetWidth());
    return w;
}

bool CGridCtrl::Create(const wl::Rect& rect, wl::Window* parent, int id) {
    if (Widget()) return false;
    QWidget* w = CreateControlWidget(parent ? parent->Widget() : nullptr);
    if (!AttachOwned(w)) {
        delete w;
        return false;
    }
    SetDlgCtrlID(id);
    w->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    if (parent) w->show();
    UpdateScrollBars();
    return true;
}

QWidget* CGridCtrl::GetClientWidget() const {
    auto* w = dynamic_cast<gridimpl::GridWidget*>(Widget());
    return w ? w->viewport() : nullptr;
}

wl::Rect CGridCtrl::GetGridClientRect() const {
    QWidget* v = GetClientWidget();
    if (!v) return {};
    return {0, 0, v->width(), v->height()};
}

// ---- counts --------------------------------------------------------------------------------

void CGridCtrl::ReportMemoryFailure() {
    winsys::MessageBox(winsys::FormatC("Nicht genug Arbeitsspeicher für die Tabelle: sie hat jetzt %d Zeilen und "
                                       "%d Spalten.",
                                       m_nRows, m_nCols),
                       "", winsys::Buttons::Ok, winsys::Icon::Error);
}

void CGridCtrl::AfterCountChange() {
    SetModified(true);
    UpdateScrollBars();
    RepaintGrid();
}

bool CGridCtrl::SetRowCount(int n) {
    if (n < 0) return false;
    if (n == m_nRows) return true;
    m_idTopLeftCell = {};
    if (n < m_nFixedRows) m_nFixedRows = n;
    if (n <= m_idCurrentCell.row) m_idCurrentCell = {};
    bool ok = true;
    if (n < m_nRows) {
        if (!m_bVirtualMode) {
            for (int r = n; r < m_nRows; ++r) {
                for (int c = 0; c < m_nCols; ++c) DestroyCell(r, c);
                m_RowData[size_t(r)].reset();
            }
            m_RowData.resize(size_t(n));
        }
        m_nRows = n;
        m_arRowHeights.resize(size_t(n));
    } else {
        try {
            m_arRowHeights.reserve(size_t(n));
            if (m_bVirtualMode) {
                m_arRowHeights.resize(size_t(n), m_cellDefault->GetHeight());
                m_nRows = n;
            } else {
                m_RowData.reserve(size_t(n));
                while (m_nRows < n) {
                    const int r = m_nRows;
                    auto row = std::make_unique<GridRow>(size_t(m_nCols), nullptr);
                    m_RowData.push_back(std::move(row));
                    m_arRowHeights.push_back(m_cellDefault->GetHeight());
                    try {
                        for (int c = 0; c < m_nCols; ++c) (*m_RowData.back())[size_t(c)] = CreateCell(r, c);
                    } catch (...) {
                        for (CGridCellBase* cell : *m_RowData.back()) delete cell;
                        m_RowData.pop_back();
                        m_arRowHeights.pop_back();
                        throw;
                    }
                    ++m_nRows;
                }
            }
        } catch (const std::bad_alloc&) {
            m_arRowHeights.resize(size_t(m_nRows));
            if (!m_bVirtualMode) m_RowData.resize(size_t(m_nRows));
            ok = false;
        }
    }
    AfterCountChange();
    if (!ok) ReportMemoryFailure();
    return ok;
}

bool CGridCtrl::SetColumnCount(int n) {
    if (n < 0) return false;
    if (n == m_nCols) return true;
    m_idTopLeftCell = {};
    if (n < m_nFixedCols) m_nFixedCols = n;
    if (n <= m_idCurrentCell.col) m_idCurrentCell = {};
    bool ok = true;
    if (n < m_nCols) {
        if (!m_bVirtualMode) {
            for (int r = 0; r < m_nRows; ++r) {
                for (int c = n; c < m_nCols; ++c) DestroyCell(r, c);
                m_RowData[size_t(r)]->resize(size_t(n));
            }
        }
        m_nCols = n;
        m_arColWidths.resize(size_t(n));
    } else {
        try {
            m_arColWidths.reserve(size_t(n));
            if (!m_bVirtualMode)
                for (auto& row : m_RowData) row->reserve(size_t(n));
            while (m_nCols < n) {
                const int c = m_nCols;
                if (!m_bVirtualMode) {
                    int built = 0;
                    try {
                        for (; built < m_nRows; ++built) m_RowData[size_t(built)]->push_back(nullptr);
                        for (int r = 0; r < m_nRows; ++r) (*m_RowData[size_t(r)])[size_t(c)] = CreateCell(r, c);
                    } catch (...) {
                        for (int r = 0; r < built; ++r) {
                            delete m_RowData[size_t(r)]->back();
                            m_RowData[size_t(r)]->pop_back();
                        }
                        throw;
                    }
                }
                m_arColWidths.push_back(m_cellDefault->GetWidth());
                ++m_nCols;
            }
        } catch (const std::bad_alloc&) {
            m_arColWidths.resize(size_t(m_nCols));
            ok = false;
        }
    }
    AfterCountChange();
    if (!ok) ReportMemoryFailure();
    return ok;
}

bool CGridCtrl::SetFixedRowCount(int n) {
    if (n < 0) return false;
    if (n == m_nFixedRows) return true;
    ResetSelectedRange();
    m_idTopLeftCell = {};
    if (n > m_nRows && !SetRowCount(n)) return false;
    if (m_idCurrentCell.row < n) SetFocusCell(-1, -1);
    if (!m_bVirtualMode) {
        if (n < m_nFixedRows) {
            for (int r = n; r < m_nFixedRows; ++r)
                for (int c = 0; c < m_nCols; ++c) {
                    CGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    if (c < m_nFixedCols) {
                        cell->SetState(cell->GetState() & ~GIS_FIXEDROW);
                    } else {
                        cell->SetState(cell->GetState() & ~(GIS_FIXED | GIS_FIXEDROW));
                        cell->SetBackClr(CLR_DEFAULT);
                        cell->SetTextClr(CLR_DEFAULT);
                    }
                }
        } else {
            for (int r = m_nFixedRows; r < n; ++r)
                for (int c = 0; c < m_nCols; ++c) {
                    CGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    cell->SetState(cell->GetState() | GIS_FIXED | GIS_FIXEDROW);
                    cell->SetBackClr(CLR_DEFAULT);
                    cell->SetTextClr(CLR_DEFAULT);
                }
        }
    }
    m_nFixedRows = n;
    UpdateScrollBars();
    RepaintGrid();
    return true;
}

bool CGridCtrl::SetFixedColumnCount(int n) {
    if (n < 0) return false;
    if (n == m_nFixedCols) return true;
    if (m_idCurrentCell.col < n) SetFocusCell(-1, -1);
    ResetSelectedRange();
    m_idTopLeftCell = {};
    if (n > m_nCols && !SetColumnCount(n)) return false;
    if (!m_bVirtualMode) {
        if (n < m_nFixedCols) {
            for (int r = 0; r < m_nRows; ++r)
                for (int c = n; c < m_nFixedCols; ++c) {
                    CGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    if (r < m_nFixedRows) {
                        cell->SetState(cell->GetState() & ~GIS_FIXEDCOL);
                    } else {
                        cell->SetState(cell->GetState() & ~(GIS_FIXED | GIS_FIXEDCOL));
                        cell->SetBackClr(CLR_DEFAULT);
                        cell->SetTextClr(CLR_DEFAULT);
                    }
                }
        } else {
            for (int r = 0; r < m_nRows; ++r)
                for (int c = m_nFixedCols; c < n; ++c) {
                    CGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    cell->SetState(cell->GetState() | GIS_FIXED | GIS_FIXEDCOL);
                    cell->SetBackClr(CLR_DEFAULT);
                    cell->SetTextClr(CLR_DEFAULT);
                }
        }
    }
    m_nFixedCols = n;
    UpdateScrollBars();
    RepaintGrid();
    return true;
}

void CGridCtrl::RemoveAllCells() {
    ResetSelectedRange();
    m_arRowHeights.clear();
    m_arColWidths.clear();
    if (!m_bVirtualMode) {
        for (int r = 0; r < int(m_RowData.size()); ++r) {
            if (!m_RowData[size_t(r)]) continue;
            for (CGridCellBase* cell : *m_RowData[size_t(r)]) delete cell;
        }
    }
    m_RowData.clear();
    m_SelectedCellMap.clear();
    m_PrevSelectedCellMap.clear();
    m_idCurrentCell = {};
    m_idTopLeftCell = {};
    m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
    m_bModified = true;
}

void CGridCtrl::SetVirtualMode(bool b) {
    if (b == m_bVirtualMode) return;
    // Meant for an empty grid: the cells of normal mode go, the counts stay.
    if (b && !m_RowData.empty()) {
        ResetSelectedRange();
        for (auto& row : m_RowData)
            for (CGridCellBase* cell : *row) delete cell;
        m_RowData.clear();
    } else if (!b) {
        const int rows = m_nRows;
        const int cols = m_nCols;
        m_nRows = m_nCols = 0;
        m_arRowHeights.clear();
        m_arColWidths.clear();
        m_bVirtualMode = false;
        const int fixedRows = m_nFixedRows, fixedCols = m_nFixedCols;
        m_nFixedRows = m_nFixedCols = 0;
        SetRowCount(rows);
        SetColumnCount(cols);
        SetFixedRowCount(fixedRows);
        SetFixedColumnCount(fixedCols);
        return;
    }
    m_bVirtualMode = b;
}

// ---- cells -----------------------------------------------------------------------------------

CGridCellBase* CGridCtrl::CreateCell(int row, int col) {
    if (!m_pRtcDefault || !m_pRtcDefault->IsDerivedFrom(GRID_RUNTIME_CLASS(CGridCellBase))) return nullptr;
    CGridCellBase* cell = m_pRtcDefault->CreateObject();
    if (!cell) return nullptr;
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    unsigned state = cell->GetState();
    if (col < m_nFixedCols) state |= GIS_FIXED | GIS_FIXEDCOL;
    if (row < m_nFixedRows) state |= GIS_FIXED | GIS_FIXEDROW;
    cell->SetState(state);
    if (CGridDefaultCell* def = cell->GetDefaultCell()) cell->SetFormat(def->GetFormat());
    return cell;
}

bool CGridCtrl::DestroyCell(int row, int col) {
    if (!IsValidCell(row, col) || m_bVirtualMode) return false;
    GridRow* r = m_RowData[size_t(row)].get();
    if (!r || !(*r)[size_t(col)]) return false;
    SetItemState(row, col, 0);
    delete (*r)[size_t(col)];
    (*r)[size_t(col)] = nullptr;
    return true;
}

bool CGridCtrl::SetCellClass(int row, int col, const CGridRuntimeClass* cls) {
    if (m_bVirtualMode || !IsValidCell(row, col) || !cls ||
        !cls->IsDerivedFrom(GRID_RUNTIME_CLASS(CGridCellBase)))
        return false;
    GridRow* r = m_RowData[size_t(row)].get();
    if (!r) return false;
    CGridCellBase* old = (*r)[size_t(col)];
    if (old && std::strcmp(old->GetRuntimeClass()->m_lpszClassName, cls->m_lpszClassName) == 0) return true;
    CGridCellBase* cell = cls->CreateObject();
    if (!cell) return false;
    if (old) cell->CopyFrom(*old);
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    (*r)[size_t(col)] = cell;
    delete old;
    return true;
}

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
    if (!IsValidCell(row, col)) return nullptr;
    if (m_bVirtualMode) return VirtualCell(row, col);
    const GridRow* r = size_t(row) < m_RowData.size() ? m_RowData[size_t(row)].get() : nullptr;
    if (!r || size_t(col) >= r->size()) return nullptr;
    return (*r)[size_t(col)];
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) const {
    if (fixedRow && fixedCol) return m_cellFixedRowColDef.get();
    if (fixedRow) return m_cellFixedRowDef.get();
    if (fixedCol) return m_cellFixedColDef.get();
    return m_cellDefault.get();
}

bool CGridCtrl::IsValidRange(const CGridCellRange& r) const {
    return r.minRow >= 0 && r.minCol >= 0 && r.maxRow >= 0 && r.maxCol >= 0 && r.maxRow < m_nRows &&
           r.maxCol < m_nCols && r.minRow <= r.maxRow && r.minCol <= r.maxCol;
}

CGridCellBase* CGridCtrl::VirtualCell(int row, int col) const {
    const bool fixedRow = row < m_nFixedRows;
    const bool fixedCol = col < m_nFixedCols;
    CGridDefaultCell* def = GetDefaultCell(fixedRow, fixedCol);
    GRIDDISPINFO& info = m_DispInfo;
    info = GRIDDISPINFO{};
    info.hdr.code = GN_GETDISPINFO;
    info.hdr.id = GetDlgCtrlID();
    info.hdr.from = const_cast<CGridCtrl*>(this);
    info.hdr.item = reinterpret_cast<std::intptr_t>(&info);
    info.item.row = row;
    info.item.col = col;
    info.item.mask = 0xFFFFFFFFu;
    info.item.nState = 0;
    info.item.nFormat = def->GetFormat();
    info.item.iImage = def->GetImage();
    info.item.crBkClr = def->GetBackClr();
    info.item.crFgClr = def->GetTextClr();
    info.item.lParam = def->GetData();
    info.item.lfFont = def->GetFontObject();
    info.item.nMargin = def->GetMargin();
    if (m_SelectedCellMap.count(SelectionKey(row, col))) info.item.nState |= GIS_SELECTED;
    if (fixedRow) info.item.nState |= GIS_FIXED | GIS_FIXEDROW;
    if (fixedCol) info.item.nState |= GIS_FIXED | GIS_FIXEDCOL;
    if (m_idCurrentCell == CGridCellId(row, col)) info.item.nState |= GIS_FOCUSED;

    if (m_pfnCallback) {
        m_pfnCallback(&info, m_lParam);
    } else if (QWidget* w = Widget()) {
        if (wl::Window* parent = wl::Window::FromWidget(w->parentWidget())) parent->SendNotify(info.hdr);
    }

    if (!m_pVirtualCell) m_pVirtualCell = std::make_unique<CGridCell>();
    CGridCell& cell = *m_pVirtualCell;
    cell.SetGrid(const_cast<CGridCtrl*>(this));
    cell.SetCoords(row, col);
    cell.SetState(info.item.nState);
    cell.SetFormat(info.item.nFormat);
    cell.SetImage(info.item.iImage);
    cell.SetData(info.item.lParam);
    cell.SetBackClr(info.item.crBkClr);
    cell.SetTextClr(info.item.crFgClr);
    cell.SetFont(&info.item.lfFont);
    cell.SetMargin(info.item.nMargin);
    cell.SetText(info.item.strText);
    return &cell;
}

// ---- items ------------------------------------------------------------------------------------

#define GRID_SET_ITEM(call)                       \
    if (m_bVirtualMode) return false;             \
    CGridCellBase* cell = GetCell(row, col);      \
    if (!cell) return false;                      \
    cell->call;                                   \
    return true

bool CGridCtrl::SetItemText(int row, int col, const std::string& text) { GRID_SET_ITEM(SetText(text)); }
bool CGridCtrl::SetItemData(int row, int col, std::intptr_t data) { GRID_SET_ITEM(SetData(data)); }
bool CGridCtrl::SetItemImage(int row, int col, int image) { GRID_SET_ITEM(SetImage(image)); }
bool CGridCtrl::SetItemFormat(int row, int col, unsigned format) { GRID_SET_ITEM(SetFormat(format)); }
bool CGridCtrl::SetItemBackColor(int row, int col, COLORREF c) { GRID_SET_ITEM(SetBackClr(c)); }
bool CGridCtrl::SetItemTextColor(int row, int col, COLORREF c) { GRID_SET_ITEM(SetTextClr(c)); }
bool CGridCtrl::SetItemFont(int row, int col, const QFont* font) { GRID_SET_ITEM(SetFont(font)); }
#undef GRID_SET_ITEM

std::string CGridCtrl::GetItemText(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetText() : std::string();
}
std::intptr_t CGridCtrl::GetItemData(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetData() : 0;
}
int CGridCtrl::GetItemImage(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetImage() : -1;
}
unsigned CGridCtrl::GetItemFormat(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetFormat() : 0;
}
COLORREF CGridCtrl::GetItemBackColor(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetBackClr() : 0;
}
COLORREF CGridCtrl::GetItemTextColor(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetTextClr() : 0;
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
    if (!IsValidCell(row, col)) return false;
    const std::uint64_t key = SelectionKey(row, col);
    const bool selected = m_SelectedCellMap.count(key) != 0;
    if (!selected && (state & GIS_SELECTED))
        m_SelectedCellMap[key] = CGridCellId(row, col);
    else if (selected && !(state & GIS_SELECTED))
        m_SelectedCellMap.erase(key);
    if (m_bVirtualMode) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return false;
    cell->SetState(state);
    return true;
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetState() : 0;
}

bool CGridCtrl::IsItemEditing(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell && cell->IsEditing();
}

bool CGridCtrl::IsCellEditable(int row, int col) const {
    return m_bEditable && IsValidCell(row, col) && !(GetItemState(row, col) & GIS_READONLY);
}

bool CGridCtrl::IsCellSelected(int row, int col) const {
    if (!m_bEnableSelection || !IsValidCell(row, col)) return false;
    if (m_bVirtualMode) return m_SelectedCellMap.count(SelectionKey(row, col)) != 0;
    return (GetItemState(row, col) & GIS_SELECTED) != 0;
}

void CGridCtrl::SetModified(bool modified, int row, int col) {
    if (col < 0 || col == m_nSortColumn) SetSortColumn(-1);
    if (row < 0 || col < 0) {
        m_bModified = modified;
    } else if (CGridCellBase* cell = m_bVirtualMode ? nullptr : GetCell(row, col)) {
        if (modified) {
            cell->SetState(cell->GetState() | GIS_MODIFIED);
            m_bModified = true;
        } else {
            cell->SetState(cell->GetState() & ~GIS_MODIFIED);
        }
    }
    if (!m_bModified && !m_bVirtualMode)
        for (auto& r : m_RowData)
            for (CGridCellBase* cell : *r)
                if (cell) cell->SetState(cell->GetState() & ~GIS_MODIFIED);
}

bool CGridCtrl::GetModified(int row, int col) const {
    if (row < 0 || col < 0) return m_bModified;
    return (GetItemState(row, col) & GIS_MODIFIED) != 0;
}

// ---- sizes -------------------------------------------------------------------------------------

int CGridCtrl::GetRowHeight(int row) const {
    return row >= 0 && row < int(m_arRowHeights.size()) ? m_arRowHeights[size_t(row)] : -1;
}
int CGridCtrl::GetColumnWidth(int col) const {
    return col >= 0 && col < int(m_arColWidths.size()) ? m_arColWidths[size_t(col)] : -1;
}
bool CGridCtrl::SetRowHeight(int row, int height) {
    if (row < 0 || row >= m_nRows || height < 0) return false;
    m_arRowHeights[size_t(row)] = height;
    m_idTopLeftCell = {};
    return true;
}
bool CGridCtrl::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= m_nCols || width < 0) return false;
    m_arColWidths[size_t(col)] = width;
    m_idTopLeftCell = {};
    return true;
}
int CGridCtrl::GetFixedRowHeight() const {
    int h = 0;
    for (int r = 0; r < m_nFixedRows; ++r) h += GetRowHeight(r);
    return h;
}
int CGridCtrl::GetFixedColumnWidth() const {
    int w = 0;
    for (int c = 0; c < m_nFixedCols; ++c) w += GetColumnWidth(c);
    return w;
}
long long CGridCtrl::GetTotalHeight() const {
    long long h = 0;
    for (int v : m_arRowHeights) h += v;
    return h;
}
long long CGridCtrl::GetTotalWidth() const {
    long long w = 0;
    for (int v : m_arColWidths) w += v;
    return w;
}

// ---- notifications ---------------------------------------------------------------------------

std::intptr_t CGridCtrl::SendMessageToParent(int row, int col, int code) {
    QWidget* w = Widget();
    if (!w) return 0;
    wl::Window* parent = wl::Window::FromWidget(w->parentWidget());
    if (!parent) return 0;
    NMGRID rec;
    rec.hdr.id = GetDlgCtrlID();
    rec.hdr.code = code;
    rec.hdr.from = this;
    rec.hdr.item = reinterpret_cast<std::intptr_t>(&rec);
    rec.iRow = row;
    rec.iColumn = col;
    return parent->SendNotify(rec.hdr);
}

std::intptr_t CGridCtrl::SendCacheHintToParent(const CGridCellRange& range) {
    QWidget* w = Widget();
    if (!w) return 0;
    wl::Window* parent = wl::Window::FromWidget(w->parentWidget());
    if (!parent) return 0;
    NMGRIDCACHEHINT rec;
    rec.hdr.id = GetDlgCtrlID();
    rec.hdr.code = GN_ODCACHEHINT;
    rec.hdr.from = this;
    rec.hdr.item = reinterpret_cast<std::intptr_t>(&rec);
    rec.range = range;
    return parent->SendNotify(rec.hdr);
}

// ---- sorting -------------------------------------------------------------------------------------

void CGridCtrl::SetSortColumn(int col) {
    if (m_nSortColumn >= 0) InvalidateCell(0, m_nSortColumn);
    m_nSortColumn = col;
    if (col >= 0) InvalidateCell(0, col);
}

int CGridCtrl::CompareByText(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t) {
    if (!a || !b) return 0;
    const int c = std::strcmp(a->GetText().c_str(), b->GetText().c_str());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool CGridCtrl::SortByText(int col, bool ascending, std::intptr_t data) {
    SetSortColumn(col);
    m_bAscending = ascending;
    ResetSelectedRange();
    SetFocusCell(-1, -1);
    return SortRows(m_pfnCompare ? m_pfnCompare : &CGridCtrl::CompareByText, col, ascending, data);
}

bool CGridCtrl::SortRows(PFNGRIDCOMPARE compare, int col, bool ascending, std::intptr_t data) {
    m_bAscending = ascending;
    SetFocusCell(-1, -1);
    if (col < 0 || col >= m_nCols || m_bVirtualMode || !compare) return false;
    if (m_nRows - 1 > m_nFixedRows) QuickSort(compare, col, m_nFixedRows, m_nRows - 1, data);
    RepaintGrid();
    return true;
}

void CGridCtrl::SwapRows(int a, int b) {
    std::swap(m_RowData[size_t(a)], m_RowData[size_t(b)]);
    std::swap(m_arRowHeights[size_t(a)], m_arRowHeights[size_t(b)]);
    for (int r : {a, b})
        for (int c = 0; c < m_nCols; ++c)
            if (CGridCellBase* cell = GetCell(r, c)) cell->SetCoords(r, c);
}

void CGridCtrl::QuickSort(PFNGRIDCOMPARE compare, int col, int low, int high, std::intptr_t data) {
    if (high <= low) return;
    const CGridCellBase* pivot = GetCell((low + high) / 2, col);
    int lo = low;
    int hi = high;
    const int sign = m_bAscending ? 1 : -1;
    while (lo <= hi) {
        while (lo < high && sign * compare(GetCell(lo, col), pivot, data) < 0) ++lo;
        while (hi > low && sign * compare(GetCell(hi, col), pivot, data) > 0) --hi;
        if (lo <= hi) {
            if (lo != hi && compare(GetCell(lo, col), GetCell(hi, col), data) != 0) SwapRows(lo, hi);
            ++lo;
            --hi;
        }
    }
    if (low < hi) QuickSort(compare, col, low, hi, data);
    if (lo < high) QuickSort(compare, col, lo, high, data);
}

// ---- auto-size ----------------------------------------------------------------------------------

namespace {
// A painter on a small image: measures as the window's device does.
struct MeasureDC {
    QImage image{1, 1, QImage::Format_RGB32};
    QPainter painter{&image};
};
}  // namespace

bool CGridCtrl::AutoSizeColumn(int col, int style, bool resetScroll) {
    if (col < 0 || col >= m_nCols || GetColumnWidth(col) == 0) return false;
    if (style < 0) style = m_nAutoSizeColumnStyle;
    const int first = (style & GVS_HEADER) ? 0 : m_nFixedRows;
    const int last = (style & GVS_DATA) ? m_nRows - 1 : m_nFixedRows - 1;
    if (last < first) return false;
    MeasureDC dc;
    if (m_bVirtualMode) SendCacheHintToParent({first, col, last, col});
    int width = 0;
    for (int r = first; r <= last; ++r)
        if (CGridCellBase* cell = GetCell(r, col)) width = std::max(width, cell->GetCellExtent(&dc.painter).cx);
    if (m_bVirtualMode) SendCacheHintToParent({});
    m_arColWidths[size_t(col)] = width;
    if (resetScroll) UpdateScrollBars();
    return true;
}

bool CGridCtrl::AutoSizeRow(int row, bool resetScroll) {
    if (row < 0 || row >= m_nRows || GetRowHeight(row) == 0 || m_nCols == 0) return false;
    MeasureDC dc;
    if (m_bVirtualMode) SendCacheHintToParent({row, 0, row, m_nCols - 1});
    int height = 0;
    for (int c = 0; c < m_nCols; ++c)
        if (CGridCellBase* cell = GetCell(row, c)) height = std::max(height, cell->GetCellExtent(&dc.painter).cy);
    if (m_bVirtualMode) SendCacheHintToParent({});
    m_arRowHeights[size_t(row)] = height;
    if (resetScroll) UpdateScrollBars();
    return true;
}

void CGridCtrl::StretchLastColumn() {
    int col = m_nCols - 1;
    while (col >= 0 && GetColumnWidth(col) == 0) --col;
    if (col <= 0) return;
    const long long spare = GetGridClientRect().Width() - GetTotalWidth();
    if (spare > 0) {
        m_arColWidths[size_t(col)] += int(spare);
        UpdateScrollBars();
        RepaintGrid();
    }
}
