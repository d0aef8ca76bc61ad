// Grid control: printing. The page is laid out in the grid's own units
// (pixels of the screen), mapped onto the device's pixels; each page has a
// header band (the owner's title, the program's title), the fixed rows and
// columns, as many scrollable rows and columns as fit, and a footer band
// (date and time, "Page n of m").
#include <algorithm>
#include <cstdio>
#include <ctime>

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include "grid/GridCtrl.h"
#include "platform/wl/resources.h"

namespace {

constexpr int kAppTitleStringId = 57344;

// Maps the page (width x height units, logical origin at originX/originY)
// onto the whole device.
void MapPage(QPainter& dc, int originX, int originY, int width, int height, int horzRes, int vertRes) {
    dc.setWindow(QRect(originX, originY, std::max(1, width), std::max(1, height)));
    dc.setViewport(QRect(0, 0, std::max(1, horzRes), std::max(1, vertRes)));
}

QFont BoldOf(const QFont& f) {
    QFont bold = f;
    bold.setWeight(QFont::Bold);
    return bold;
}

void DrawBandText(QPainter& dc, const std::string& text, const wl::Rect& rect, unsigned align) {
    if (text.empty()) return;
    wl::Rect r = rect;
    wl::DrawText(dc, text, r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The window text of the nearest ancestor that has one.
std::string AncestorTitle(QWidget* w) {
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget()) {
        std::string text;
        if (wl::Window* win = wl::Window::FromWidget(p))
            text = win->GetWindowText();
        else
            text = p->windowTitle().toStdString();
        if (!text.empty()) return text;
    }
    return {};
}

}  // namespace

int CGridCtrl::CountPages(const std::vector<int>& sizes, int room) {
    int pages = 1;
    long long sum = 0;
    for (int size : sizes) {
        sum += size;
        if (sum > room) {
            ++pages;
            sum = size;
        }
    }
    return pages;
}

void CGridCtrl::SetPrintMargins(int header, int footer, int left, int right, int top, int bottom, int gap) {
    if (header >= 0) m_nHeaderHeight = header;
    if (footer >= 0) m_nFooterHeight = footer;
    if (left >= 0) m_nLeftMargin = left;
    if (right >= 0) m_nRightMargin = right;
    if (top >= 0) m_nTopMargin = top;
    if (bottom >= 0) m_nBottomMargin = bottom;
    if (gap >= 0) m_nGap = gap;
}

void CGridCtrl::OnBeginPrinting(QPainter* dc, CPrintInfo* info) {
    if (!dc || !info || !dc->isActive() || !dc->device() || !Widget()) return;
    QPaintDevice* device = dc->device();
    const int printerDpiX = std::max(1, device->logicalDpiX());
    const int printerDpiY = std::max(1, device->logicalDpiY());
    const int screenDpiX = std::max(1, Widget()->logicalDpiX());
    const int screenDpiY = std::max(1, Widget()->logicalDpiY());

    wl::LogFont lf;
    lf.faceName = "Arial";
    lf.height = -10;
    lf.weight = 400;
    m_PrinterFont = wl::ToQFont(lf);
    m_bPrinterFont = true;

    // The mean character width from the alphabet's first 52 characters.
    const QFontMetrics fm(m_PrinterFont, device);
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ").left(52);
    m_nPrinterCharWidth = fm.horizontalAdvance(alphabet) / 52;
    m_nPrinterCharHeight = fm.height();

    const int marginWidth = (m_nLeftMargin + m_nRightMargin) * m_nPrinterCharWidth;
    m_nPrintHorzRes = device->width();
    m_nPrintVertRes = device->height();

    if (m_bWysiwygPrinting) {
        m_nPageWidth = m_nPrintHorzRes * screenDpiX / printerDpiX * 3 / 4;
        m_nPageHeight = m_nPrintVertRes * screenDpiY / printerDpiY * 3 / 4;
    } else {
        m_nPageWidth = int(std::min<long long>(GetTotalWidth() + marginWidth, 1 << 30));
        m_nPageHeight = m_nPrintHorzRes > 0 ? int((long long)m_nPageWidth * m_nPrintVertRes / m_nPrintHorzRes) : 0;
    }

    m_nPrintRowRoom = m_nPageHeight - (m_nHeaderHeight + m_nFooterHeight + 2 * m_nGap) * m_nPrinterCharHeight -
                      GetFixedRowHeight();
    std::vector<int> heights;
    for (int r = m_nFixedRows; r < m_nRows; ++r) heights.push_back(GetRowHeight(r));
    m_nNumPages = CountPages(heights, m_nPrintRowRoom);

    m_nPrintColRoom = m_nPageWidth - GetFixedColumnWidth() - marginWidth;
    m_nPageMultiplier = 1;
    if (m_bWysiwygPrinting) {
        std::vector<int> widths;
        for (int c = m_nFixedCols; c < m_nCols; ++c) widths.push_back(GetColumnWidth(c));
        m_nPageMultiplier = CountPages(widths, m_nPrintColRoom);
    }
    info->m_nMaxPage = m_nNumPages * m_nPageMultiplier;
    info->m_nCurPage = 1;
}

void CGridCtrl::OnEndPrinting(QPainter* /*dc*/, CPrintInfo* /*info*/) {
    m_PrinterFont = QFont();
    m_bPrinterFont = false;
}

void CGridCtrl::OnPrint(QPainter* dc, CPrintInfo* info) {
    if (!dc || !info || !dc->isActive() || !m_bPrinterFont) return;
    dc->save();
    dc->setFont(m_PrinterFont);
    const int cw = m_nPrinterCharWidth;
    const int ch = m_nPrinterCharHeight;
    const int originX = -m_nLeftMargin * cw;
    const int bandRight = m_nPageWidth - (m_nLeftMargin + m_nRightMargin) * cw;

    MapPage(*dc, originX, 0, m_nPageWidth, m_nPageHeight, m_nPrintHorzRes, m_nPrintVertRes);
    info->m_rectDraw = {0, 0, bandRight, m_nHeaderHeight * ch};
    PrintHeader(dc, info);

    // The page's first scrollable row and column.
    const int across = std::max(1, m_nPageMultiplier);
    const int page = std::max(1, info->m_nCurPage);
    const int verticalPage = (page + across - 1) / across;
    const int horizontalIndex = (page - 1) % across;
    int firstRow = m_nFixedRows;
    {
        int pageNo = 1;
        long long sum = 0;
        for (int r = m_nFixedRows; r < m_nRows && pageNo < verticalPage; ++r) {
            sum += GetRowHeight(r);
            if (sum > m_nPrintRowRoom) {
                ++pageNo;
                sum = GetRowHeight(r);
                firstRow = r;
            }
        }
        if (pageNo < verticalPage) firstRow = m_nRows;
    }
    int firstCol = m_nFixedCols;
    {
        int pageNo = 0;
        long long sum = 0;
        for (int c = m_nFixedCols; c < m_nCols && pageNo < horizontalIndex; ++c) {
            sum += GetColumnWidth(c);
            if (sum > m_nPrintColRoom) {
                ++pageNo;
                sum = GetColumnWidth(c);
                firstCol = c;
            }
        }
        if (pageNo < horizontalIndex) firstCol = m_nCols;
    }
    m_nPrintFirstRow = firstRow;
    m_nPrintFirstCol = firstCol;

    // Below the header band and the gap: the fixed rows, then the cells.
    const int top = (m_nHeaderHeight + m_nGap) * ch;
    MapPage(*dc, originX, -(top + GetFixedRowHeight()), m_nPageWidth, m_nPageHeight, m_nPrintHorzRes,
            m_nPrintVertRes);
    PrintFixedColumns(dc, info);
    MapPage(*dc, originX, -top, m_nPageWidth, m_nPageHeight, m_nPrintHorzRes, m_nPrintVertRes);
    PrintHeaderRows(dc, info);

    MapPage(*dc, originX - GetFixedColumnWidth(), -(top + GetFixedRowHeight()), m_nPageWidth, m_nPageHeight,
            m_nPrintHorzRes, m_nPrintVertRes);
    int y = 0;
    for (int row = firstRow; row < m_nRows; ++row) {
        const int h = GetRowHeight(row);
        if (y + h > m_nPrintRowRoom) break;
        if (h > 0) {
            wl::Rect rect{0, y, 0, y + h};
            PrintRowCells(firstCol, m_nCols, row, rect, dc, info);
        }
        y += h;
    }

    // The footer band at the bottom of the page.
    info->m_rectDraw = {0, 0, bandRight, m_nFooterHeight * ch};
    MapPage(*dc, originX, m_nFooterHeight * ch - m_nPageHeight, m_nPageWidth, m_nPageHeight, m_nPrintHorzRes,
            m_nPrintVertRes);
    PrintFooter(dc, info);
    dc->restore();
}

void CGridCtrl::PrintRowCells(int firstCol, int endCol, int row, wl::Rect& rect, QPainter* dc, CPrintInfo* /*info*/) {
    const bool firstRowOfPage = row == m_nPrintFirstRow || row < m_nFixedRows;
    const QPen gridPen(ToQColor(m_crGridLineColour));
    const int room = m_nPrintColRoom;
    int x = rect.left;
    for (int col = firstCol; col < endCol; ++col) {
        const int w = GetColumnWidth(col);
        if (col >= m_nFixedCols && x - rect.left + w > room) break;
        if (w > 0) {
            const wl::Rect cellRect{x, rect.top, x + w - 1, rect.bottom - 1};
            if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(dc, row, col, cellRect);
            dc->save();
            dc->setPen(gridPen);
            if (m_nGridLines & GRIDLINES_HORZ) {
                dc->drawLine(x, rect.bottom - 1, x + w - 1, rect.bottom - 1);
                if (firstRowOfPage) dc->drawLine(x, rect.top, x + w - 1, rect.top);
            }
            if (m_nGridLines & GRIDLINES_VERT) {
                dc->drawLine(x + w - 1, rect.top, x + w - 1, rect.bottom - 1);
                if (x == rect.left) dc->drawLine(x, rect.top, x, rect.bottom - 1);
            }
            dc->restore();
        }
        x += w;
    }
    rect.right = x;
}

void CGridCtrl::PrintFixedColumns(QPainter* dc, CPrintInfo* info) {
    if (m_nFixedCols == 0) return;
    int y = 0;
    for (int row = m_nPrintFirstRow; row < m_nRows; ++row) {
        const int h = GetRowHeight(row);
        if (y + h > m_nPrintRowRoom) break;
        if (h > 0) {
            wl::Rect rect{0, y, 0, y + h};
            PrintRowCells(0, m_nFixedCols, row, rect, dc, info);
        }
        y += h;
    }
}

void CGridCtrl::PrintHeaderRows(QPainter* dc, CPrintInfo* info) {
    int y = 0;
    const int fixedW = GetFixedColumnWidth();
    for (int row = 0; row < m_nFixedRows; ++row) {
        const int h = GetRowHeight(row);
        if (h > 0) {
            wl::Rect corner{0, y, 0, y + h};
            PrintRowCells(0, m_nFixedCols, row, corner, dc, info);
            wl::Rect rest{fixedW, y, 0, y + h};
            PrintRowCells(m_nPrintFirstCol, m_nCols, row, rest, dc, info);
        }
        y += h;
    }
}

void CGridCtrl::PrintHeader(QPainter* dc, CPrintInfo* info) {
    if (!dc || !info) return;
    const std::string appTitle = wl::LoadString(kAppTitleStringId);
    const std::string title = AncestorTitle(Widget());
    dc->save();
    dc->setFont(BoldOf(m_PrinterFont));
    dc->setPen(Qt::black);
    dc->setBackgroundMode(Qt::TransparentMode);
    DrawBandText(*dc, title, info->m_rectDraw, DT_CENTER);
    DrawBandText(*dc, appTitle, info->m_rectDraw, DT_RIGHT);
    dc->setPen(QPen(Qt::black, 0));
    dc->drawLine(info->m_rectDraw.left, info->m_rectDraw.bottom, info->m_rectDraw.right, info->m_rectDraw.bottom);
    dc->restore();
}

std::string CGridCtrl::PrintPageText(int page, int maxPage) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Page %d of %d", page, maxPage);
    return buffer;
}

void CGridCtrl::PrintFooter(QPainter* dc, CPrintInfo* info) {
    if (!dc || !info) return;
    char date[128] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%c", &local);
    const std::string pageText = PrintPageText(info->m_nCurPage, info->m_nMaxPage);
    dc->save();
    dc->setPen(QPen(Qt::black, 0));
    dc->drawLine(info->m_rectDraw.left, info->m_rectDraw.top, info->m_rectDraw.right, info->m_rectDraw.top);
    dc->setFont(BoldOf(m_PrinterFont));
    dc->setBackgroundMode(Qt::TransparentMode);
    DrawBandText(*dc, date, info->m_rectDraw, DT_LEFT);
    DrawBandText(*dc, pageText, info->m_rectDraw, DT_RIGHT);
    dc->restore();
}

bool CGridCtrl::Print(QPagedPaintDevice& device) {
    QPainter dc(&device);
    if (!dc.isActive()) return false;
    CPrintInfo info;
    OnBeginPrinting(&dc, &info);
    if (!m_bPrinterFont) return false;
    for (int page = 1; page <= info.m_nMaxPage; ++page) {
        if (page > 1 && !device.newPage()) break;
        info.m_nCurPage = page;
        OnPrint(&dc, &info);
    }
    OnEndPrinting(&dc, &info);
    return true;
}
