// The editor's text controls over the rich-edit facade: COleRichEditCtrl
// (pages in and out, new documents from the free-text template, formats,
// paragraph levels, zoom, the editing keys, embedded-object storage) and
// CQuillRichEdit (formula colour, hidden-text and sum-range markers, the
// display markers of a calculated text and its command list), with find and
// replace in the text.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/richedit/richedit.h"

class CPageBufferList;

// A storage error of the embedded-object callback.
class COleException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Result codes of the embedded-object callback.
inline constexpr long kS_OK = 0;
inline constexpr long kE_NOINTERFACE = static_cast<long>(0x80004002L);
inline constexpr long kE_NOTIMPL = static_cast<long>(0x80004001L);

// The storage that embedded objects of a text live in: one root kept in
// memory for the control's life, with named sub-storages.
class COleStorage {
public:
    // Creates a sub-storage; throws COleException when the name exists.
    void CreateSubStorage(const std::string& name);
    bool HasSubStorage(const std::string& name) const { return subStorages_.count(name) > 0; }
    size_t Count() const { return subStorages_.size(); }

private:
    std::map<std::string, std::vector<char>> subStorages_;
};

// The callback the text control asks about embedded objects. Objects in a
// loaded text stay opaque (their result picture shown); none is activated.
class CRichEditOleCallback {
public:
    enum Interface { kUnknown = 0, kRichEditOleCallback = 1, kOther = 2 };
    CRichEditOleCallback();
    long QueryInterface(int iid, CRichEditOleCallback** out);
    unsigned long AddRef() { return ++refs_; }
    // Deletes the object when the count reaches 0.
    unsigned long Release();
    // A new sub-storage "REOLEStorage%d" (counter from 1); its name.
    std::string GetNewStorage();
    long GetInPlaceContext() { return kS_OK; }
    long ShowContainerUI() { return kS_OK; }
    long QueryInsertObject() { return kS_OK; }
    long DeleteObject() { return kS_OK; }
    long QueryAcceptData() { return kS_OK; }
    long ContextSensitiveHelp() { return kS_OK; }
    long GetClipboardData() { return kE_NOTIMPL; }
    long GetDragDropEffect() { return kS_OK; }
    long GetContextMenu() { return kS_OK; }
    const COleStorage& Storage() const { return storage_; }

private:
    ~CRichEditOleCallback() = default;
    unsigned long refs_ = 1;
    int counter_ = 0;
    COleStorage storage_;
};

class COleRichEditCtrl : public richedit::RichEdit {
public:
    COleRichEditCtrl();
    ~COleRichEditCtrl() override;
    QWidget* CreateControlWidget(QWidget* parent) override;
    CRichEditOleCallback* Callback() const { return callback_; }

    // ---- pages --------------------------------------------------------------
    // Empties pages and streams the whole text out into one page.
    void GetRtf(CPageBufferList& pages) const;
    // No page: a new document; else page 0 read in from its front. What the
    // reader reported (a damaged page shows what could be read).
    richedit::RtfReadResult SetRtf(const CPageBufferList& pages);
    // The free-text template ("Vorlagen/Freie Textvorlage.rtf" under the
    // data folder) in Arial 10 pt, plain, normal paragraph style, caret at
    // the start; an empty document when the template is missing.
    void NewDocument();

    // ---- paragraph level ---------------------------------------------------------
    // The selected paragraphs take level 1 (normal) or the heading
    // level - 1; headings are bold, normal text not. The selection stays.
    void SetParagraphLevel(int level);
    // The level of the selected paragraphs (1 normal, 2 to 10 the headings),
    // or 0 when they differ.
    int GetParagraphLevel() const;

    // ---- text at the selection ------------------------------------------------------
    void InsertRtf(const std::string& rtf) { richedit::RichEdit::SetRtf(rtf, true); }

    // ---- find and replace ----------------------------------------------------------
    // Searches forward from the selection; a match is selected (1). Not
    // found: 0, and unless silent the message "Suchtext nicht gefunden!".
    int FindText(const std::string& text, bool matchCase, bool wholeWord, bool direction, bool silent);
    // Finds and replaces; with ask the user answers "Diesen Text ersetzen?"
    // (Yes replaces, No goes on, Cancel ends); repeats only with all.
    void Replace(const std::string& findText, const std::string& replaceText, bool matchCase, bool wholeWord,
                 bool direction, bool ask, bool all);

    // The right button over the text (screen point); the owning dialog
    // opens its menu.
    std::function<void(wl::Point)> onContextMenu;

protected:
    void OnContextMenu(wl::Window* w, wl::Point pos) override;
    // Tab inserts a tab; Ctrl+F, Ctrl+K, Ctrl+U toggle bold, italic and
    // underline from the selection's reported state.
    virtual bool OnKey(int key, int modifiers);

private:
    void ToggleEffect(uint32_t mask, uint32_t effect);
    CRichEditOleCallback* callback_ = nullptr;
};

class CQuillRichEdit : public COleRichEditCtrl {
public:
    static constexpr uint32_t kFormulaColour = 0xFF0D07;  // RGB(7, 13, 255)

    // The selection in the formula colour (on) or the automatic colour.
    void SetFormulaColour(bool on);
    // Wraps the selection in "/*" "*/" (hidden in the output) and selects it;
    // an empty selection only gets a message.
    void HideSelection();
    // Wraps the selection in "/*S+*/" "/*S-*/" (the range a sum adds up).
    void MarkSumRange();
    // After a calculation: "$SYMBOL_D$" becomes the Symbol character 0xC6,
    // text between "$FC2$" and "$FC0$" takes the formula colour, "$R$"
    // right-aligns its paragraph (the markers are removed); then the
    // command list is read from the text.
    void ApplyDisplayMarkers();
    // The commands "$C_name("arg", ...)" of the text as "name|arg|...".
    const std::vector<std::string>& CommandList() const { return commands_; }
    // Reads the command list from a text.
    static std::vector<std::string> ParseCommands(const std::string& text);

private:
    void WrapSelection(const std::string& open, const std::string& close, const char* emptyMessage);
    std::vector<std::string> commands_;
};

// A button of the symbol dialog: inserts its caption (a character of the
// Symbol font) at the selection of the editor control, sizeStep points
// larger than the text there, and leaves the caret after it in the former
// font ("Arial") and height.
class CSymbolButton {
public:
    CSymbolButton(CQuillRichEdit* edit, unsigned char symbol) : edit_(edit), symbol_(symbol) {}
    unsigned char Symbol() const { return symbol_; }
    // The button's caption as it is shown (UTF-8).
    std::string Caption() const;
    void OnClicked(int sizeStep) const;

private:
    CQuillRichEdit* edit_;
    unsigned char symbol_;
};

// A table built from its column widths (twips) and texts (row by row) put in
// place of the selection as one undoable step.
void InsertTable(COleRichEditCtrl& edit, int rows, int cols, const std::vector<int>& widths,
                 const std::vector<std::string>& texts);
