#include "grid/GridCellSpecial.h"

#include <algorithm>
#include <cstdio>

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>

#include "grid/GridCtrl.h"
#include "platform/richedit/rtf_reader.h"

GRID_IMPLEMENT_CELL(CGridCellButton, CGridCell)
GRID_IMPLEMENT_CELL(CGridCellCheck, CGridCell)
GRID_IMPLEMENT_CELL(CVKTGridCellRadio, CGridCellCheck)
GRID_IMPLEMENT_CELL(CGridCellCombo, CGridCell)
GRID_IMPLEMENT_CELL(CVKTGridCellRich, CGridCell)

int GridScrollBarExtent() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && QApplication::style())
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return 16;
}

namespace {
bool Inside(const wl::Rect& r, wl::Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
}  // namespace

// ---- button ------------------------------------------------------------------------------

bool CGridCellButton::Activate() {
    if (m_pGrid) m_pGrid->OnButtonCellClicked(m_nRow, m_nCol);
    return true;
}

bool CGridCellButton::Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase) {
    m_rect = rect;
    if (!CGridCellBase::Draw(dc, row, col, rect, erase)) return false;
    // The frame inside a 1-pixel border; then the caption again on top.
    wl::DrawFrameControl(*dc, {rect.left + 1, rect.top + 1, rect.right, rect.bottom}, wl::DFC_BUTTON,
                         wl::DFCS_BUTTONPUSH);
    return CGridCellBase::Draw(dc, row, col, rect, false);
}

bool CGridCellButton::GetTextRect(wl::Rect& rect) {
    const int margin = int(GetMargin());
    rect.left += margin;
    rect.right -= margin;
    rect.bottom -= margin;
    return true;
}

void CGridCellButton::OnClick(wl::Point p) {
    // The button lies 1 pixel inside the cell; a click on that border does nothing.
    const int w = m_rect.right - m_rect.left + 1;
    const int h = m_rect.bottom - m_rect.top + 1;
    if (!Inside({1, 1, w - 1, h - 1}, p)) return;
    if (m_pGrid) {
        m_pGrid->InvalidateCell(m_nRow, m_nCol);
        m_pGrid->OnButtonCellClicked(m_nRow, m_nCol);
    }
}

// ---- check and radio ------------------------------------------------------------------------

wl::Rect CGridCellCheck::BoxRect(const wl::Rect& rect) const {
    const int side = GridScrollBarExtent();
    const int margin = int(GetMargin());
    int left = rect.left + margin - 1;
    const int top = rect.top + margin - 1;
    const int width = rect.right - rect.left + 1;
    if (width > side) left = rect.left + (width - side) / 2;
    return {left, top, left + side, top + side};
}

void CGridCellCheck::InvalidateLast() {
    if (m_pGrid && m_rect.right > m_rect.left && m_rect.bottom > m_rect.top) m_pGrid->InvalidateCell(m_nRow, m_nCol);
}

bool CGridCellCheck::SetCheck(bool checked) {
    const bool old = m_bChecked;
    m_bChecked = checked;
    InvalidateLast();
    return old;
}

void CGridCellCheck::SetDisabled(bool disabled) {
    m_bDisabled = disabled;
    InvalidateLast();
}

bool CGridCellCheck::Activate() {
    if (m_bDisabled) return false;
    m_bChecked = !m_bChecked;
    if (m_pGrid) m_pGrid->OnCheckCellClicked(m_nRow, m_nCol);
    return true;
}

bool CGridCellCheck::Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase) {
    m_rect = rect;
    if (!CGridCellBase::Draw(dc, row, col, rect, erase)) return false;
    const wl::Rect box = BoxRect(rect);
    unsigned state = BoxStyle();
    if (m_bChecked) state |= wl::DFCS_CHECKED;
    if (m_bDisabled) state |= wl::DFCS_INACTIVE;
    wl::DrawFrameControl(*dc, {box.left, box.top, box.right - 1, box.bottom - 1}, wl::DFC_BUTTON, state);
    return true;
}

bool CGridCellCheck::GetTextRect(wl::Rect& rect) {
    const wl::Rect box = BoxRect(m_rect.right > m_rect.left ? m_rect : rect);
    rect.left = std::min(box.right, rect.right);
    return true;
}

wl::Size CGridCellCheck::GetCellExtent(QPainter* dc) {
    wl::Size size = CGridCellBase::GetCellExtent(dc);
    const int add = GridScrollBarExtent() + 2 * int(GetMargin());
    return {size.cx + add, size.cy + add};
}

void CGridCellCheck::OnClick(wl::Point p) {
    if (m_bDisabled) return;
    const wl::Rect box = BoxRect(m_rect);
    const wl::Rect rel{box.left - m_rect.left, box.top - m_rect.top, box.right - m_rect.left, box.bottom - m_rect.top};
    if (!Inside(rel, p)) return;
    m_bChecked = !m_bChecked;
    if (m_pGrid) {
        m_pGrid->InvalidateCell(m_nRow, m_nCol);
        m_pGrid->OnCheckCellClicked(m_nRow, m_nCol);
    }
}

// ---- combo ------------------------------------------------------------------------------------

CGridCellCombo::CGridCellCombo() = default;

CGridCellCombo::~CGridCellCombo() {
    if (m_pCombo) delete m_pCombo.data();
}

bool CGridCellCombo::Edit(int row, int col, wl::Rect rect, wl::Point /*point*/, int id, int ch) {
    if (m_bEditing || !m_pGrid || !m_pGrid->GetClientWidget()) return m_bEditing;
    m_bEditing = true;
    m_pCombo = new CGridComboWnd(m_pGrid, rect, m_dwStyle, id, row, col, m_Strings, GetText(), ch);
    return true;
}

void CGridCellCombo::EndEdit() {
    if (m_pCombo) m_pCombo->EndEdit();
}

void CGridCellCombo::OnEndEdit() {
    m_bEditing = false;
    m_pCombo = nullptr;
}

bool CGridCellCombo::Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase) {
    const int sm = GridScrollBarExtent();
    const bool editable = m_pGrid && m_pGrid->IsEditable() && !IsReadOnly();
    if (editable && !m_bEditing && rect.right - rect.left > sm && rect.bottom - rect.top > sm) {
        const wl::Rect arrow{rect.right - sm, rect.top, rect.right, rect.top + sm};
        wl::Rect textRect = rect;
        textRect.right -= sm;
        const bool ok = CGridCellBase::Draw(dc, row, col, textRect, erase);
        if (ok) {
            FillSolidRect(*dc, {arrow.left, rect.top, rect.right + 1, rect.bottom + 1},
                          GetBackClr() == CLR_DEFAULT && GetDefaultCell() ? GetDefaultCell()->GetBackClr()
                                                                          : GetBackClr());
            wl::DrawFrameControl(*dc, arrow, wl::DFC_SCROLL, wl::DFCS_SCROLLDOWN);
        }
        return ok;
    }
    if (m_bEditing) {
        // The list shows the text; the cell underneath stays empty.
        const std::string text = m_strText;
        m_strText.clear();
        const bool ok = CGridCellBase::Draw(dc, row, col, rect, erase);
        m_strText = text;
        return ok;
    }
    return CGridCellBase::Draw(dc, row, col, rect, erase);
}

wl::Size CGridCellCombo::GetCellExtent(QPainter* dc) {
    const wl::Size size = CGridCellBase::GetCellExtent(dc);
    const int sm = GridScrollBarExtent();
    return {size.cx + sm, size.cy + sm};
}

// ---- the drop-down list -------------------------------------------------------------------------

CGridComboWnd::CGridComboWnd(CGridCtrl* grid, wl::Rect rect, unsigned style, int id, int row, int col,
                             const std::vector<std::string>& choices, const std::string& initText, int firstChar)
    : QComboBox(grid->GetClientWidget()),
      m_pGrid(grid),
      m_nNumLines(std::clamp(int(choices.size()), 4, 15)),
      m_sInitText(initText),
      m_nRow(row),
      m_nCol(col),
      m_nId(id) {
    setProperty("controlId", id);
    setEditable(style == CGridCellCombo::CBS_DROPDOWN);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(m_nNumLines);
    for (const std::string& s : choices) addItem(QString::fromUtf8(s.data(), qsizetype(s.size())));
    setFont(grid->GetClientWidget()->font());
    setGeometry(rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1);
    const QString text = QString::fromUtf8(initText.data(), qsizetype(initText.size()));
    const int index = findText(text, Qt::MatchExactly);
    if (index >= 0)
        setCurrentIndex(index);
    else if (isEditable()) {
        setCurrentIndex(-1);
        setEditText(text);
    } else {
        setCurrentIndex(-1);
    }
    // A choice taken in the list becomes the cell's text at once.
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        if (i < 0 || !m_pGrid) return;
        const QByteArray bytes = itemText(i).toUtf8();
        m_pGrid->SetItemText(m_nRow, m_nCol, std::string(bytes.constData(), size_t(bytes.size())));
        m_pGrid->OnComboCellSelChanged(m_nRow, m_nCol, i);
    });
    show();
    if (QLineEdit* edit = lineEdit()) {
        edit->installEventFilter(this);
        edit->setFocus();
        switch (firstChar) {
        case VK_LBUTTON:
        case VK_RETURN: edit->end(false); break;
        case VK_BACK:
            edit->end(false);
            edit->backspace();
            break;
        default:
            if (firstChar >= VK_PRIOR && firstChar <= VK_DOWN) {
                edit->selectAll();
            } else {
                edit->selectAll();
                if (firstChar > 0) edit->insert(QString(QChar(firstChar)));
            }
            break;
        }
    } else {
        setFocus();
    }
    showPopup();
}

CGridComboWnd::~CGridComboWnd() = default;

int CGridComboWnd::DroppedWidth() const {
    const QFontMetrics fm(font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) widest = std::max(widest, fm.horizontalAdvance(itemText(i)));
    return std::min(200, widest + fm.horizontalAdvance(QLatin1Char('0')));
}

void CGridComboWnd::showPopup() {
    if (view()) view()->setMinimumWidth(DroppedWidth());
    QComboBox::showPopup();
}

void CGridComboWnd::hidePopup() { QComboBox::hidePopup(); }

bool CGridComboWnd::HandleKey(QKeyEvent* e) {
    const int key = VirtualKeyFromQt(e->key());
    const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && (key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN))) {
        m_nLastChar = key;
        if (m_pGrid && m_pGrid->GetClientWidget()) m_pGrid->GetClientWidget()->setFocus();
        EndEdit();
        return true;
    }
    switch (e->key()) {
    case Qt::Key_Escape: {
        const QString text = QString::fromUtf8(m_sInitText.data(), qsizetype(m_sInitText.size()));
        const int index = findText(text, Qt::MatchExactly);
        if (index >= 0) setCurrentIndex(index);
        if (isEditable()) setEditText(text);
        m_nLastChar = VK_ESCAPE;
        EndEdit();
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // Tab ends the list as Enter does.
        m_nLastChar = VK_RETURN;
        EndEdit();
        return true;
    default: return false;
    }
}

bool CGridComboWnd::event(QEvent* e) {
    // Tab would move the focus on before the list could see it.
    if (e->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(e))) return true;
    return QComboBox::event(e);
}

void CGridComboWnd::keyPressEvent(QKeyEvent* e) {
    if (!HandleKey(e)) QComboBox::keyPressEvent(e);
}

bool CGridComboWnd::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lineEdit()) {
        if (e->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(e))) return true;
        if (e->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason != Qt::PopupFocusReason && !view()->isVisible()) EndEdit();
        }
    }
    return QComboBox::eventFilter(watched, e);
}

void CGridComboWnd::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (!isEditable() && e->reason() != Qt::PopupFocusReason && !view()->isVisible() && !hasFocus()) EndEdit();
}

void CGridComboWnd::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && m_pGrid && m_pGrid->GetClientWidget()) {
        const QPoint p = mapTo(m_pGrid->GetClientWidget(), e->position().toPoint());
        m_pGrid->OnRButtonUp(0, {p.x(), p.y()});
        return;
    }
    QComboBox::mouseReleaseEvent(e);
}

void CGridComboWnd::EndEdit() {
    if (m_bEnded) return;
    m_bEnded = true;
    if (view() && view()->isVisible()) QComboBox::hidePopup();
    GRIDDISPINFO info;
    info.hdr.id = m_nId;
    info.hdr.code = GN_ENDLABELEDIT;
    info.hdr.item = reinterpret_cast<std::intptr_t>(&info);
    info.item.row = m_nRow;
    info.item.col = m_nCol;
    info.item.mask = 5;
    const QByteArray bytes = currentText().toUtf8();
    info.item.strText = std::string(bytes.constData(), size_t(bytes.size()));
    info.item.lParam = m_nLastChar;
    QPointer<CGridComboWnd> self(this);
    if (m_pGrid) m_pGrid->SendNotify(info.hdr);
    if (self) {
        hide();
        deleteLater();  // closed once its last message is through
    }
}

// ---- rich text -----------------------------------------------------------------------------------

namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

}  // namespace

std::string BuildRichCellRtf(const std::string& text, const std::string& face, COLORREF textClr, COLORREF backClr,
                             unsigned format) {
    // The markup words, in this order. The size after a super- or subscript
    // word ends with a blank so that it does not swallow a following digit.
    static const std::pair<const char*, const char*> kWords[] = {
        {"\\super ", "\\super \\fs20 "},
        {"\\sub ", "\\sub \\fs20 "},
        {"\\sub0", "\\nosupersub"},
        {"\\super0", "\\nosupersub"},
        {"\\nosupersub", "\\nosupersub\\fs0"},
        {"\\default ", "\\f0 "},
        {"\\default0", "\\f0"},
        {"\\defaultfont ", "\\f0 "},
        {"\\defaultfont0", "\\f0"},
        {"\\arial ", "\\f1 "},
        {"\\arial0", "\\f0"},
        {"\\symbol ", "\\f2 "},
        {"\\symbol0", "\\f0"},
        {"\\times ", "\\f3 "},
        {"\\times0", "\\f0"},
        {"\\greek ", "\\f2 "},
        {"\\greek0", "\\f0"},
        {"\\fs0 ", "\\fs16 "},
        {"\\defaultsize ", "\\fs16 "},
        {"\\cfdefault", "\\cf1"},
        {"\\cfblack", "\\cf3"},
        {"\\cfwhite", "\\cf4"},
        {"\\cfred", "\\cf5"},
        {"\\cfgreen", "\\cf6"},
        {"\\cfblue", "\\cf7"},
    };
    std::string body = text;
    for (const auto& [from, to] : kWords) ReplaceAll(body, from, to);
    // A base size word left without its blank ("\fs0" before a letter or
    // digit) would run into the next character.
    for (size_t pos = body.find("\\fs0"); pos != std::string::npos; pos = body.find("\\fs0", pos + 1)) {
        if (pos + 4 < body.size() && body[pos + 4] == ' ') continue;
        body.replace(pos, 4, "\\fs16 ");
    }

    const COLORREF back = (backClr & 0xFF000000u) ? 0xFFFFFFu : backClr;
    auto colour = [](COLORREF c) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "\\red%d\\green%d\\blue%d", int(c & 0xFF), int((c >> 8) & 0xFF),
                      int((c >> 16) & 0xFF));
        return std::string(buffer);
    };
    const char* align = (format & DT_CENTER) ? "\\qc" : (format & DT_RIGHT) ? "\\qr" : "\\ql";
    std::string rtf =
        "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose "
        "02020603050405020304}";
    rtf += face.empty() ? "Tahoma" : face;
    rtf +=
        ";}{\\f1\\fswiss\\fcharset0\\fprq2{\\*\\panose 020b0604020202020204}Arial;}{\\f2\\froman\\fcharset2\\fprq2{\\*"
        "\\panose 05050102010706020507}Symbol;}{\\f3\\fswiss\\fcharset0\\fprq2{\\*\\panose 020b0604020202020204}Times "
        "New Roman;}}{\\colortbl;";
    rtf += colour(textClr & 0xFFFFFFu) + ";" + colour(back);
    rtf +=
        ";\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red0"
        "\\green0\\blue255;}\\deflang1033\\pard\\tx360\\tx720\\tx1080\\tx1440\\tx1800\\tx2160\\tx2520\\tx2880\\tx3240"
        "\\tx3600\\tx3960\\tx4320\\tx4680\\tx5040\\tx5400\\tx5760\\tx6120\\tx6480\\plain\\f0\\fs16\\cf1\\cb2";
    rtf += align;
    rtf += " ";
    rtf += body;
    rtf += "\\par }";
    return rtf;
}

bool CVKTGridCellRich::Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase) {
    if (!CGridCellBase::Draw(dc, row, col, rect, erase)) return false;
    rect.left += 2;
    rect.top += 2;
    m_bShown = false;
    if (!m_pGrid || rect.right <= rect.left || rect.bottom <= rect.top) return true;
    const QFont font = GetFontObject();
    const COLORREF textClr = GetTextClr() == CLR_DEFAULT && GetDefaultCell() ? GetDefaultCell()->GetTextClr()
                                                                            : GetTextClr();
    const COLORREF backClr = GetBackClr() == CLR_DEFAULT && GetDefaultCell() ? GetDefaultCell()->GetBackClr()
                                                                            : GetBackClr();
    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    richedit::ReadRtf(BuildRichCellRtf(GetText(), font.family().toStdString(), textClr, GetBackClr() == CLR_DEFAULT
                                                                                         ? CLR_DEFAULT
                                                                                         : backClr,
                                       GetFormat()),
                      doc);
    const int w = rect.right - rect.left + 1;
    const int h = rect.bottom - rect.top + 1;
    doc.setTextWidth(w);
    dc->save();
    const COLORREF fill = (GetBackClr() == CLR_DEFAULT) ? 0xFFFFFFu : backClr;
    if (!IsSelected()) FillSolidRect(*dc, {rect.left, rect.top, rect.right + 1, rect.bottom + 1}, fill);
    dc->translate(rect.left, rect.top);
    dc->setClipRect(QRect(0, 0, w, h));
    doc.drawContents(dc, QRectF(0, 0, w, h));
    dc->restore();
    m_bShown = true;
    return true;
}
