#include "grid/GridCell.h"

#include <algorithm>
#include <map>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QStringList>

#include "grid/GridCtrl.h"

// ---- run-time class records ------------------------------------------------------

namespace {
std::map<std::string, const CGridRuntimeClass*>& ClassRegistry() {
    static std::map<std::string, const CGridRuntimeClass*> registry;
    return registry;
}
}  // namespace

bool CGridRuntimeClass::IsDerivedFrom(const CGridRuntimeClass* base) const {
    for (const CGridRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base) return true;
    return false;
}

CGridRuntimeClassRegistrar::CGridRuntimeClassRegistrar(const CGridRuntimeClass* cls) {
    ClassRegistry()[cls->m_lpszClassName] = cls;
}

const CGridRuntimeClass* FindGridCellClass(const std::string& name) {
    auto it = ClassRegistry().find(name);
    return it == ClassRegistry().end() ? nullptr : it->second;
}

const CGridRuntimeClass CGridCellBase::classCGridCellBase{"CGridCellBase", nullptr, nullptr};
static const CGridRuntimeClassRegistrar registrar_CGridCellBase(&CGridCellBase::classCGridCellBase);
GRID_IMPLEMENT_CELL(CGridCell, CGridCellBase)
GRID_IMPLEMENT_CELL(CGridDefaultCell, CGridCell)

// ---- CGridCellBase ----------------------------------------------------------------

namespace {
QFont FontOf(const CGridCellBase& cell) { return cell.GetFontObject(); }

wl::Rect Shrunk(wl::Rect r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right - dx, r.bottom - dy}; }
}  // namespace

CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
    CGridCtrl* grid = GetGrid();
    if (!grid) return nullptr;
    return grid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

void CGridCellBase::CopyFrom(const CGridCellBase& cell) {
    if (&cell == this) return;
    SetGrid(cell.GetGrid());
    SetText(cell.GetText());
    SetImage(cell.GetImage());
    SetData(cell.GetData());
    SetState(cell.GetState());
    SetFormat(cell.GetFormat());
    SetTextClr(cell.GetTextClr());
    SetBackClr(cell.GetBackClr());
    SetFont(cell.IsDefaultFont() ? nullptr : cell.GetFont());
    SetMargin(cell.GetMargin());
}

bool CGridCellBase::DrawContents(QPainter& p, int row, int col, wl::Rect rect, COLORREF textClr, bool printing) {
    CGridCtrl* grid = GetGrid();
    // Fixed cells in 3-D: raised, or sunken as the headers of the focus cell.
    if (IsFixed() && grid->GetFixed3D()) {
        bool sunken = false;
        if (!printing && grid->GetHighlightFocusHeaders()) {
            const CGridCellId focus = grid->GetFocusCell();
            if (grid->IsValidCell(focus) && ((IsFixedRow() && focus.col == col) || (IsFixedCol() && focus.row == row)))
                sunken = true;
        }
        const COLORREF light = GetSysColor(COLOR_3DHIGHLIGHT);
        const COLORREF dark = GetSysColor(COLOR_3DSHADOW);
        wl::Draw3dRect(p, {rect.left, rect.top, rect.right + 1, rect.bottom + 1}, sunken ? dark : light,
                       sunken ? light : dark);
        rect = Shrunk(rect, 1, 1);
    }
    const QFont font = FontOf(*this);
    p.setFont(font);
    const int margin = int(GetMargin());
    rect.left += margin;
    rect.right -= margin;

    // Sort arrow at the right end of the sort column's header in row 0.
    if (!printing && row == 0 && IsFixedRow() && col == grid->GetSortColumn()) {
        const QFontMetrics fm(font);
        int size = std::min(fm.height() - 4, (rect.bottom - rect.top) - 4);
        size = std::min(size, fm.boundingRect(QLatin1Char('M')).height());
        const int left = rect.right - size;
        if (size > 2 && left > rect.left) {
            const int top = rect.top + ((rect.bottom - rect.top) - size) / 2;
            const QColor shadow = ToQColor(GetSysColor(COLOR_BTNSHADOW));
            const QColor light = ToQColor(GetSysColor(COLOR_3DHIGHLIGHT));
            const int mid = left + size / 2;
            QPolygon tri;
            if (grid->GetSortAscending())
                tri << QPoint(mid, top) << QPoint(left + size, top + size) << QPoint(left, top + size);
            else
                tri << QPoint(left, top) << QPoint(left + size, top) << QPoint(mid, top + size);
            p.save();
            p.setPen(Qt::NoPen);
            p.setBrush(shadow);
            p.drawPolygon(tri);
            p.setPen(light);
            p.drawLine(tri[1], tri[2]);
            p.restore();
            rect.right = left - 1;
        }
    }

    wl::Rect textRect = rect;
    GetTextRect(textRect);
    p.setPen(ToQColor(textClr));
    wl::Rect box{textRect.left, textRect.top, textRect.right + 1, textRect.bottom + 1};
    if (box.right > box.left && box.bottom > box.top) {
        p.save();
        p.setClipRect(QRect(box.left, box.top, box.Width(), box.Height()), Qt::IntersectClip);
        wl::DrawText(p, GetText(), box, GetFormat() | DT_NOPREFIX);
        p.restore();
    }
    return true;
}

bool CGridCellBase::Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase) {
    CGridCtrl* grid = GetGrid();
    if (!grid || !dc || rect.right < rect.left || rect.bottom < rect.top) return false;
    CGridDefaultCell* def = GetDefaultCell();
    dc->save();
    COLORREF textClr = GetTextClr() == CLR_DEFAULT && def ? def->GetTextClr() : GetTextClr();
    COLORREF backClr = GetBackClr() == CLR_DEFAULT && def ? def->GetBackClr() : GetBackClr();
    if (GetBackClr() != CLR_DEFAULT) erase = true;
    const wl::Rect grown{rect.left, rect.top, rect.right + 1, rect.bottom + 1};

    if (!IsFocused() && !IsDropHighlighted()) {
        if (IsSelected()) {
            FillSolidRect(*dc, grown, GetSysColor(COLOR_HIGHLIGHT));
            textClr = GetSysColor(COLOR_HIGHLIGHTTEXT);
        } else if (erase) {
            FillSolidRect(*dc, rect, backClr);
        }
    } else {
        if (IsSelected()) {
            backClr = GetSysColor(COLOR_HIGHLIGHT);
            textClr = GetSysColor(COLOR_HIGHLIGHTTEXT);
            erase = true;
        }
        if (erase) FillSolidRect(*dc, grown, backClr);
        if (grid->GetFrameFocusCell()) {
            dc->setPen(ToQColor(textClr));
            dc->setBrush(Qt::NoBrush);
            dc->drawRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
        }
    }
    DrawContents(*dc, row, col, rect, textClr, false);
    dc->restore();
    return true;
}

bool CGridCellBase::PrintCell(QPainter* dc, int row, int col, wl::Rect rect) {
    CGridCtrl* grid = GetGrid();
    if (!grid || !dc || rect.right < rect.left || rect.bottom < rect.top) return false;
    CGridDefaultCell* def = GetDefaultCell();
    dc->save();
    COLORREF textClr = 0;  // black on white unless the cells' own colours print
    if (grid->GetPrintCellFonts()) {
        textClr = GetTextClr() == CLR_DEFAULT && def ? def->GetTextClr() : GetTextClr();
        const COLORREF backClr = GetBackClr() == CLR_DEFAULT && def ? def->GetBackClr() : GetBackClr();
        FillSolidRect(*dc, {rect.left, rect.top, rect.right + 1, rect.bottom + 1}, backClr);
    }
    DrawContents(*dc, row, col, rect, textClr, true);
    dc->restore();
    return true;
}

bool CGridCellBase::GetTextRect(wl::Rect& rect) {
    CGridCtrl* grid = GetGrid();
    if (GetImage() >= 0 && grid && grid->HasImageList()) {
        // No image list exists in this control; nothing to move past.
    }
    return true;
}

wl::Size CGridCellBase::GetTextExtent(const std::string& text, QPainter* dc) {
    CGridDefaultCell* def = GetDefaultCell();
    if (!dc && text.empty()) return def ? wl::Size{def->GetWidth(), def->GetHeight()} : wl::Size{};
    const QFontMetrics metrics = dc && dc->device() ? QFontMetrics(GetFontObject(), dc->device())
                                                    : QFontMetrics(GetFontObject());
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const unsigned format = GetFormat();
    int width = 0;
    int height = 0;
    if ((format & DT_SINGLELINE) || !s.contains(QLatin1Char('\n'))) {
        width = metrics.horizontalAdvance(s);
        height = metrics.height();
    } else {
        const QStringList lines = s.split(QLatin1Char('\n'));
        for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
        height = metrics.lineSpacing() * int(lines.size());
    }
    const int margin = int(GetMargin());
    return {width + 4 * margin, height + 2 * margin};
}

wl::Size CGridCellBase::GetCellExtent(QPainter* dc) { return GetTextExtent(GetText(), dc); }

bool CGridCellBase::OnSetCursor() {
    if (CGridCtrl* grid = GetGrid(); grid && grid->GetClientWidget())
        grid->GetClientWidget()->setCursor(Qt::ArrowCursor);
    return true;
}

// ---- CGridCell -----------------------------------------------------------------------

CGridCell::CGridCell() = default;

CGridCell::~CGridCell() {
    // An editor still open over a cell that goes away is closed without report.
    if (m_pEditWnd) delete m_pEditWnd.data();
}

void CGridCell::SetFont(const QFont* font) {
    if (!font) {
        m_plfFont.reset();
        return;
    }
    if (!m_plfFont)
        m_plfFont = std::make_unique<QFont>(*font);
    else
        *m_plfFont = *font;
}

unsigned CGridCell::GetFormat() const {
    if (m_nFormat == unsigned(-1)) {
        CGridDefaultCell* def = GetDefaultCell();
        return def ? def->GetFormat() : 0;
    }
    return m_nFormat;
}

const QFont* CGridCell::GetFont() const {
    if (m_plfFont) return m_plfFont.get();
    CGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFont() : nullptr;
}

QFont CGridCell::GetFontObject() const {
    if (m_plfFont) return *m_plfFont;
    CGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFontObject() : QApplication::font();
}

unsigned CGridCell::GetMargin() const {
    if (m_nMargin == unsigned(-1)) {
        CGridDefaultCell* def = GetDefaultCell();
        return def ? def->GetMargin() : 0;
    }
    return m_nMargin;
}

void CGridCell::Reset() {
    CGridCellBase::Reset();
    m_strText.clear();
    m_nImage = -1;
    m_nFormat = unsigned(-1);
    m_nMargin = unsigned(-1);
    m_crFgClr = CLR_DEFAULT;
    m_crBkClr = CLR_DEFAULT;
    m_lParam = 0;
    m_bEditing = false;
    m_pGrid = nullptr;
    m_pEditWnd = nullptr;
    m_plfFont.reset();
}

bool CGridCell::Edit(int row, int col, wl::Rect rect, wl::Point /*point*/, int id, int ch) {
    if (!m_bEditing) {
        if (!m_pGrid || !m_pGrid->GetClientWidget()) return false;
        const unsigned format = GetFormat();
        const unsigned align = (format & DT_RIGHT) ? DT_RIGHT : (format & DT_CENTER) ? DT_CENTER : DT_LEFT;
        m_bEditing = true;
        m_pEditWnd = new CGridEditWnd(m_pGrid, rect, align, id, row, col, GetText(), ch);
    } else if (m_pEditWnd) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(ch)));
        QCoreApplication::sendEvent(m_pEditWnd.data(), &press);
    }
    return true;
}

void CGridCell::EndEdit() {
    if (m_pEditWnd) m_pEditWnd->EndEdit();
}

void CGridCell::OnEndEdit() {
    m_bEditing = false;
    m_pEditWnd = nullptr;
}

// ---- CGridDefaultCell -------------------------------------------------------------------

CGridDefaultCell::CGridDefaultCell() {
    m_crFgClr = CLR_DEFAULT;
    m_crBkClr = CLR_DEFAULT;
    m_nFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    m_nMargin = 3;
    const QFont messageFont = QApplication::font("QMessageBox");
    SetFont(&messageFont);
}

void CGridDefaultCell::SetFont(const QFont* font) {
    if (!font) return;
    m_Font = *font;
    CGridCell::SetFont(font);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QFontMetrics fm(m_Font);
        SetMargin(unsigned(fm.horizontalAdvance(QLatin1Char(' '))));
        const QString probe = QStringLiteral(" XXXXXXXXXXXX ");
        m_Size.cx = fm.horizontalAdvance(probe);
        m_Size.cy = fm.height() * 3 / 2;
    } else {
        SetMargin(3);
        m_Size = {40, 16};
    }
}

const QFont* CGridDefaultCell::GetFont() const { return &m_Font; }

QFont CGridDefaultCell::GetFontObject() const { return m_Font; }
