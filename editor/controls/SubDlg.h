// CSubDlg: the window in which the user writes a position's free-text
// document: the text control, two toolbars with the style, size and zoom
// combos, accelerators, context and insert menus, the calculation of the
// document and the load-transfer protocol.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/controls/QuillRichEdit.h"
#include "formula/ImportValue.h"
#include "graphics/DlgResizer.h"
#include "graphics/HoverButton.h"
#include "platform/wl/dialog.h"
#include "platform/wl/toolbar.h"

class CDlgSymbol;
class CEditorDocument;
class CPopupMenuBuilder;

class CSubDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11623;
    static constexpr int kTextId = 4677;
    static constexpr int kHoverId = 1000;
    static constexpr int kToolbar1Id = 11506, kToolbar2Id = 11508;
    static constexpr int kStyleComboId = 11522, kSizeComboId = 11524, kZoomComboId = 11546;
    static constexpr int kDefaultZoomIndex = 9;  // "100 %"
    // The sizes of the size combo (points).
    static const std::vector<int>& Sizes();

    explicit CSubDlg();
    ~CSubDlg() override;
    const char* ClassName() const override { return "CSubDlg"; }

    // The document edited (not owned); set before the first fill.
    void SetDocument(CEditorDocument* document) { document_ = document; }
    CEditorDocument* GetDocument() const { return document_; }

    // Fills the controls from the document (false) or commits the text into
    // it (true).
    virtual void TransferData(bool save);
    // Calculates the document and shows the calculated text.
    void Calculate();

    CQuillRichEdit& Text() { return text_; }
    wl::ToolBar& Toolbar1() { return toolbar1_; }
    wl::ToolBar& Toolbar2() { return toolbar2_; }
    wl::ComboBox* StyleCombo() const { return styleCombo_; }
    wl::ComboBox* SizeCombo() const { return sizeCombo_; }
    wl::ComboBox* ZoomCombo() const { return zoomCombo_; }
    // The size combo's edit text.
    std::string SizeText() const;

    // Reads the selection's formats into the state and the toolbar.
    void UpdateToolbarState();
    // Applies the zoom combo's entry.
    void ApplyZoom();
    // The load-transfer protocol at the selection.
    void InsertLoadTransferProtocol();
    // The selection saved as a building block: the position template
    // "Vorlagen/VK-Quill Vorbelegung.vkx" of the data folder with the
    // selection as its editor text, under a name the user chooses.
    void SaveAsBuildingBlock();
    // The entries of a command list that name load transfers: "LT|path|var"
    // in any case of "LT", with exactly three parts.
    static std::vector<CImportValue> LoadTransfersOf(const std::vector<std::string>& commands);

    // ---- the state of the selection -------------------------------------------------
    int indentStart = 0, indentOffset = 0;
    int lineSpacing = 0;  // 0 single, 1 one and a half, 2 double, -1 mixed
    int bold = 0, italic = 0, underline = 0, subscript = 0, superscript = 0, symbolFont = 0, formula = 0;
    int style = 0;      // 0 "Standard", 1 to 9 the headings, -1 mixed
    int alignment = 0;  // 0 left, 1 centred, 2 right, 3 justified, -1 mixed
    int numbering = 0;  // 0 none, 1 bullets, 2 to 6 numbering kinds
    int embedded = 1;

    // The symbol palette: created on first use, then only shown and hidden.
    // Wanted: to be shown again when the editor is shown again.
    int symbolDlgCreated = 0, symbolDlgWanted = 0;
    std::unique_ptr<CDlgSymbol> symbolDlg;
    void ShowSymbolDialog();

    // ---- the editor's dialogs ---------------------------------------------------------
    // Find (dialog), find again with the document's settings (F3).
    void Find();
    void FindAgain();
    // Replace (dialog), replace again asking for one occurrence (Alt+F3).
    void ReplaceText();
    void ReplaceAgain();
    // The overview of the text's formulas: exports and input values chosen.
    void FormulaOverview();
    // A new table from the document's table defaults, laid out in the table
    // dialog; and the table in the selection changed in it.
    void NewTable();
    void ChangeTable();
    // The macro files and the document's macro text; reopened until the
    // macros load or the user cancels.
    void Macros();
    // The editor's switches and the document's start page.
    void Settings();
    // Values of a material or a standard profile inserted as a table.
    void DatabaseImport();
    // The text of another position (kind 0 the current project, 1 the user
    // templates, 2 the library) pasted at the selection.
    void InsertDocument(int kind);
    // Asks for a document's input values and writes them into its page's
    // definitions. Without force only for a position marked as template.
    void ApplyInputValues(int bForce, CEditorDocument* document);
    // Input values asked and the document calculated again (Shift+F5).
    void InputValuesAndRecalculate();
    // One value exported by another position: its generated variable name
    // replaces the selection, the value joins the position's imported values.
    void SingleValue();

    // Values exported by other positions chosen for the position (11547);
    // after OK the position defines its variables and the text is calculated.
    void ValueImport();

    // A load transfer found in the calculated text (its value refreshed from
    // the source); by default it joins the position's imported values.
    std::function<void(CImportValue&)> onLoadTransfer;
    // The position's imported values (by default its variable definitions').
    std::function<std::vector<CImportValue>()> importedValues;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(int id, int code) override;
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override;
    void OnSize(unsigned type, int cx, int cy) override;
    void OnContextMenu(wl::Window* w, wl::Point pos) override;
    void OnShowWindow(bool show) override;

private:
    void Command(int id);
    void ContextCommand(int id);
    void SetSize(int index);
    void SetStyleIndex(int index);
    void Indent(int delta);
    void LineSpacingMenu();
    void NumberingMenu();
    void Bullets();
    void SetSubSuper(bool sub, bool on);
    void PageBreak();
    int TrackMenu(CPopupMenuBuilder& menu);

    CEditorDocument* document_ = nullptr;
    CHoverButton hoverButton_;
    CQuillRichEdit text_;
    wl::ToolBar toolbar1_, toolbar2_;
    wl::ComboBox* styleCombo_ = nullptr;
    wl::ComboBox* sizeCombo_ = nullptr;
    wl::ComboBox* zoomCombo_ = nullptr;
    CDlgResizer layout_;
    bool laidOut_ = false;
    // The stored page could not be read cleanly: it is kept until the user
    // edits the text.
    bool keepStoredPage_ = false;
};
