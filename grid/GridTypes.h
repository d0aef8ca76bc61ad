// Value types, state bits, colours, text formats and notification records
// shared by the grid control and its cells.
#pragma once

#include <cstdint>
#include <string>

#include <QColor>
#include <QFont>

#include "platform/wl/api.h"
#include "platform/wl/draw.h"

class QPainter;

// Colours, system colours and text formats are those of the window layer's
// drawing facade.
using wl::COLORREF;
inline constexpr COLORREF CLR_DEFAULT = wl::kDefaultColor;
inline constexpr COLORREF RGBColor(int r, int g, int b) { return wl::RGB(r, g, b); }
inline QColor ToQColor(COLORREF c) { return wl::ToQColor(c); }
using wl::FromQColor;
using wl::GetSysColor;

// ---- cell ids and ranges ----------------------------------------------------
struct CGridCellId {
    int row = -1;
    int col = -1;
    CGridCellId() = default;
    CGridCellId(int r, int c) : row(r), col(c) {}
    bool IsValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CGridCellId&) const = default;
};

struct CGridCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    CGridCellRange() = default;
    CGridCellRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
    bool InRange(int row, int col) const { return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol; }
    bool InRange(const CGridCellId& id) const { return InRange(id.row, id.col); }
    bool operator==(const CGridCellRange&) const = default;
};

// ---- cell state bits ----------------------------------------------------------
inline constexpr unsigned GIS_FOCUSED = 0x01;
inline constexpr unsigned GIS_SELECTED = 0x02;
inline constexpr unsigned GIS_DROPHILITED = 0x04;
inline constexpr unsigned GIS_READONLY = 0x08;
inline constexpr unsigned GIS_FIXED = 0x10;
inline constexpr unsigned GIS_FIXEDROW = 0x20;
inline constexpr unsigned GIS_FIXEDCOL = 0x40;
inline constexpr unsigned GIS_MODIFIED = 0x80;

inline constexpr int GRIDLINES_NONE = 0;
inline constexpr int GRIDLINES_HORZ = 1;
inline constexpr int GRIDLINES_VERT = 2;
inline constexpr int GRIDLINES_BOTH = 3;

inline constexpr int GVS_HEADER = 1;  // auto-size: fixed rows / columns
inline constexpr int GVS_DATA = 2;    // auto-size: the other rows / columns
inline constexpr int GVS_BOTH = 3;

// ---- text format bits and system colours --------------------------------------
using wl::DT_BOTTOM;
using wl::DT_CENTER;
using wl::DT_END_ELLIPSIS;
using wl::DT_LEFT;
using wl::DT_NOPREFIX;
using wl::DT_RIGHT;
using wl::DT_SINGLELINE;
using wl::DT_VCENTER;
using wl::DT_WORDBREAK;

inline constexpr int COLOR_WINDOW = wl::COLOR_WINDOW;
inline constexpr int COLOR_WINDOWTEXT = wl::COLOR_WINDOWTEXT;
inline constexpr int COLOR_HIGHLIGHT = wl::COLOR_HIGHLIGHT;
inline constexpr int COLOR_HIGHLIGHTTEXT = wl::COLOR_HIGHLIGHTTEXT;
inline constexpr int COLOR_BTNFACE = wl::COLOR_BTNFACE;
inline constexpr int COLOR_3DFACE = wl::COLOR_BTNFACE;
inline constexpr int COLOR_BTNSHADOW = wl::COLOR_BTNSHADOW;
inline constexpr int COLOR_3DSHADOW = wl::COLOR_BTNSHADOW;
inline constexpr int COLOR_3DHIGHLIGHT = wl::COLOR_BTNHIGHLIGHT;

// ---- drawing helpers used by the cells ------------------------------------------
// Fills r (right and bottom exclusive).
void FillSolidRect(QPainter& p, const wl::Rect& r, COLORREF c);

// ---- virtual keys ---------------------------------------------------------------
inline constexpr int VK_LBUTTON = 1;
inline constexpr int VK_BACK = 8;
inline constexpr int VK_TAB = 9;
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_ESCAPE = 27;
inline constexpr int VK_SPACE = 32;
inline constexpr int VK_PRIOR = 33;
inline constexpr int VK_NEXT = 34;
inline constexpr int VK_END = 35;
inline constexpr int VK_HOME = 36;
inline constexpr int VK_LEFT = 37;
inline constexpr int VK_UP = 38;
inline constexpr int VK_RIGHT = 39;
inline constexpr int VK_DOWN = 40;
inline constexpr int VK_INSERT = 45;
inline constexpr int VK_DELETE = 46;
inline constexpr int VK_F2 = 113;
// The virtual key of a Qt key (0 when none).
int VirtualKeyFromQt(int qtKey);

// ---- notifications ----------------------------------------------------------------
inline constexpr int GN_SELCHANGING = -100;
inline constexpr int GN_SELCHANGED = -101;
inline constexpr int GN_BEGINLABELEDIT = -105;
inline constexpr int GN_ENDLABELEDIT = -106;
inline constexpr int GN_BEGINDRAG = -109;
inline constexpr int GN_ODCACHEHINT = -113;
inline constexpr int GN_GETDISPINFO = -150;

inline constexpr int ID_INPLACE_EDITOR = 8;

// The records travel in wl::Notify: hdr.item points at the whole record.
struct NMGRID {
    wl::Notify hdr;
    int iRow = -1;
    int iColumn = -1;
};

struct NMGRIDCACHEHINT {
    wl::Notify hdr;
    CGridCellRange range;
};

struct GRIDITEM {
    int row = -1;
    int col = -1;
    unsigned mask = 0xFFFFFFFFu;
    unsigned nState = 0;
    unsigned nFormat = 0;
    int iImage = -1;
    COLORREF crBkClr = CLR_DEFAULT;
    COLORREF crFgClr = CLR_DEFAULT;
    std::intptr_t lParam = 0;
    QFont lfFont;
    unsigned nMargin = 0;
    std::string strText;
};

struct GRIDDISPINFO {
    wl::Notify hdr;
    GRIDITEM item;
};

// The record a grid notification carries (nullptr when n is none of them).
template <class Record>
const Record* GridRecord(const wl::Notify& n) {
    return reinterpret_cast<const Record*>(n.item);
}
template <class Record>
Record* GridRecordMutable(const wl::Notify& n) {
    return reinterpret_cast<Record*>(n.item);
}
