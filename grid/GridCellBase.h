// The cell base of the grid control: the cell's state bits, the virtual
// interface through which the grid sets, reads, draws, measures and edits a
// cell, and the run-time class records by which cells are created.
#pragma once

#include <cstdint>
#include <string>

#include <QFont>

#include "grid/GridTypes.h"

class CGridCtrl;
class CGridCellBase;
class CGridDefaultCell;
class CGridEditWnd;

// Run-time class record: name, factory (null for abstract classes) and base.
struct CGridRuntimeClass {
    const char* m_lpszClassName = nullptr;
    CGridCellBase* (*m_pfnCreateObject)() = nullptr;
    const CGridRuntimeClass* m_pBaseClass = nullptr;

    CGridCellBase* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    bool IsDerivedFrom(const CGridRuntimeClass* base) const;
};

// Registers a class record under its name (done by GRID_IMPLEMENT_CELL).
struct CGridRuntimeClassRegistrar {
    explicit CGridRuntimeClassRegistrar(const CGridRuntimeClass* cls);
};
// The record registered under a class name, or nullptr.
const CGridRuntimeClass* FindGridCellClass(const std::string& name);

#define GRID_DECLARE_CELL(cls)                                                 \
public:                                                                        \
    static const CGridRuntimeClass class##cls;                                 \
    const CGridRuntimeClass* GetRuntimeClass() const override { return &class##cls; }

#define GRID_IMPLEMENT_CELL(cls, base)                                                               \
    const CGridRuntimeClass cls::class##cls{#cls, []() -> CGridCellBase* { return new cls; },        \
                                            &base::class##base};                                     \
    static const CGridRuntimeClassRegistrar registrar_##cls(&cls::class##cls);

#define GRID_RUNTIME_CLASS(cls) (&cls::class##cls)

class CGridCellBase {
public:
    static const CGridRuntimeClass classCGridCellBase;
    virtual const CGridRuntimeClass* GetRuntimeClass() const { return &classCGridCellBase; }
    bool IsKindOf(const CGridRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    CGridCellBase() = default;
    virtual ~CGridCellBase() = default;
    CGridCellBase(const CGridCellBase&) = delete;
    CGridCellBase& operator=(const CGridCellBase&) = delete;

    // ---- setters ----
    virtual void SetText(const std::string& text) = 0;
    virtual void SetImage(int image) = 0;
    virtual void SetData(std::intptr_t data) = 0;
    virtual void SetState(unsigned state) { m_nState = state; }
    virtual void SetFormat(unsigned format) = 0;
    virtual void SetTextClr(COLORREF c) = 0;
    virtual void SetBackClr(COLORREF c) = 0;
    virtual void SetFont(const QFont* font) = 0;
    virtual void SetMargin(unsigned margin) = 0;
    virtual void SetGrid(CGridCtrl* grid) = 0;
    virtual void SetCoords(int row, int col) = 0;

    // ---- getters ----
    virtual std::string GetText() const = 0;
    virtual std::string GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual std::intptr_t GetData() const = 0;
    virtual unsigned GetState() const { return m_nState; }
    virtual unsigned GetFormat() const = 0;
    virtual COLORREF GetTextClr() const = 0;
    virtual COLORREF GetBackClr() const = 0;
    virtual const QFont* GetFont() const = 0;
    virtual QFont GetFontObject() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual CGridEditWnd* GetEditWnd() const = 0;
    virtual unsigned GetMargin() const = 0;

    virtual CGridDefaultCell* GetDefaultCell() const;

    virtual bool IsDefaultFont() const = 0;
    virtual bool IsEditing() const = 0;

    virtual bool IsFocused() const { return (GetState() & GIS_FOCUSED) != 0; }
    virtual bool IsFixed() const { return (GetState() & GIS_FIXED) != 0; }
    virtual bool IsFixedCol() const { return (GetState() & GIS_FIXEDCOL) != 0; }
    virtual bool IsFixedRow() const { return (GetState() & GIS_FIXEDROW) != 0; }
    virtual bool IsSelected() const { return (GetState() & GIS_SELECTED) != 0; }
    virtual bool IsReadOnly() const { return (GetState() & GIS_READONLY) != 0; }
    virtual bool IsModified() const { return (GetState() & GIS_MODIFIED) != 0; }
    virtual bool IsDropHighlighted() const { return (GetState() & GIS_DROPHILITED) != 0; }
    virtual bool IsEditable() const { return !IsReadOnly(); }

    // A click that toggles or presses the cell (check, radio, button cells).
    virtual bool Activate() { return false; }

    virtual void CopyFrom(const CGridCellBase& cell);
    virtual void Reset() { m_nState = 0; }

    // ---- drawing and measuring ----
    virtual bool Draw(QPainter* dc, int row, int col, wl::Rect rect, bool erase = true);
    virtual bool GetTextRect(wl::Rect& rect);
    virtual bool GetTipTextRect(wl::Rect& rect) { return GetTextRect(rect); }
    virtual wl::Size GetTextExtent(const std::string& text, QPainter* dc = nullptr);
    virtual wl::Size GetCellExtent(QPainter* dc);

    // ---- editing ----
    virtual bool Edit(int /*row*/, int /*col*/, wl::Rect /*rect*/, wl::Point /*point*/, int /*id*/,
                      int /*ch*/) {
        return false;
    }
    virtual bool ValidateEdit(const std::string& /*text*/) { return true; }
    virtual void EndEdit() {}

    virtual bool PrintCell(QPainter* dc, int row, int col, wl::Rect rect);
    virtual void OnEndEdit() {}

    // ---- mouse ----
    virtual void OnMouseEnter() {}
    virtual void OnMouseOver() {}
    virtual void OnMouseLeave() {}
    virtual void OnClick(wl::Point /*pointCellRelative*/) {}
    virtual void OnClickDown(wl::Point /*pointCellRelative*/) {}
    virtual void OnRClick(wl::Point /*pointCellRelative*/) {}
    virtual void OnDblClick(wl::Point /*pointCellRelative*/) {}
    // Sets the cursor over the cell; the arrow here.
    virtual bool OnSetCursor();

protected:
    // Shared by Draw and PrintCell: fixed edges, font, margins, image, text.
    bool DrawContents(QPainter& p, int row, int col, wl::Rect rect, COLORREF textClr, bool printing);

    unsigned m_nState = 0;
};
