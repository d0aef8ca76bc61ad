// The rich-edit control over Qt's text editor: RTF in and out (all or the
// selection), selection by character positions, character and paragraph
// formats, zoom, editing commands, find; and the read-only rich-text box
// that shows report files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QPointer>

#include "platform/richedit/rtf_format.h"
#include "platform/richedit/rtf_reader.h"
#include "platform/wl/window.h"

class QTextEdit;
class QTextDocument;

namespace richedit {

// Notification codes sent to the parent window.
inline constexpr int EN_MSGFILTER = 0x0700;  // a key (Notify::pos = Qt key, Notify::index = modifiers)
inline constexpr int EN_SELCHANGE = 0x0702;  // the selection changed

// Character format masks and effects (the bits of the platform's rich edit).
inline constexpr uint32_t CFM_BOLD = 0x00000001, CFM_ITALIC = 0x00000002, CFM_UNDERLINE = 0x00000004,
                          CFM_STRIKEOUT = 0x00000008, CFM_SUBSCRIPT = 0x00030000, CFM_SUPERSCRIPT = 0x00030000,
                          CFM_FACE = 0x20000000, CFM_COLOR = 0x40000000, CFM_SIZE = 0x80000000;
inline constexpr uint32_t CFE_BOLD = 0x0001, CFE_ITALIC = 0x0002, CFE_UNDERLINE = 0x0004, CFE_STRIKEOUT = 0x0008,
                          CFE_SUBSCRIPT = 0x00010000, CFE_SUPERSCRIPT = 0x00020000, CFE_AUTOCOLOR = 0x40000000;
// Paragraph alignment and numbering.
inline constexpr int PFA_LEFT = 1, PFA_RIGHT = 2, PFA_CENTER = 3, PFA_JUSTIFY = 4;
inline constexpr int PFN_NONE = 0, PFN_BULLET = 1, PFN_ARABIC = 2, PFN_LCLETTER = 3, PFN_UCLETTER = 4,
                     PFN_LCROMAN = 5, PFN_UCROMAN = 6;

struct CharFormat {
    uint32_t mask = 0;     // CFM_* bits of the properties uniform over the selection
    uint32_t effects = 0;  // CFE_* bits
    std::string face;      // UTF-8
    int height = 0;        // twips
    uint32_t colour = 0;   // 0x00BBGGRR
};

struct ParaFormat {
    int alignment = PFA_LEFT;
    int numbering = PFN_NONE;
    int startIndent = 0;  // twips, the first line
    int offset = 0;       // twips, the further lines relative to the first
    int rightIndent = 0;
    int lineSpacingRule = 0;  // 0 single, 1 one and a half, 2 double, 3 at least, 4 exactly, 5 multiple of 1/20 lines
    int lineSpacing = 0;      // twips (rules 3, 4) or twentieths of a line (rule 5)
};

class RICHEDIT_API RichEdit : public wl::Window {
public:
    RichEdit();
    ~RichEdit() override;
    const char* ClassName() const override { return "RICHEDIT50W"; }
    // Makes the editor widget (also when bound to a template placeholder).
    QWidget* CreateControlWidget(QWidget* parent) override;
    bool Create(QWidget* parent);
    QTextEdit* Edit() const;
    QTextDocument* Document() const;

    // ---- streams --------------------------------------------------------
    std::string GetRtf(bool selectionOnly = false) const;
    // All: replaces the text (the undo history starts anew). Selection:
    // replaces the selection as one undo step.
    RtfReadResult SetRtf(const std::string& rtf, bool selectionOnly = false);
    std::string GetText() const;  // UTF-8, paragraphs separated by "\n"
    void ReplaceSel(const std::string& text);

    // ---- selection (a paragraph end counts one position) -------------------
    void GetSel(int& start, int& end) const;
    void SetSel(int start, int end);  // -1 as end: to the end of the text
    std::string GetSelText() const;

    // ---- character format --------------------------------------------------
    CharFormat GetCharFormat() const;
    void SetEffects(uint32_t mask, uint32_t effects, bool whole = false);
    void SetColour(uint32_t colour, bool whole = false);
    void SetAutoColour(bool whole = false);
    void SetFace(const std::string& name, bool whole = false);
    void SetHeight(int twips, bool whole = false);

    // ---- paragraph format (the selected paragraphs) ------------------------------
    ParaFormat GetParaFormat() const;
    void SetAlignment(int alignment);
    void SetNumbering(int numbering);
    void SetIndents(int startIndent, int offset);
    void SetLineSpacing(int rule, int spacing);

    // ---- zoom ---------------------------------------------------------------
    bool SetZoomRatio(int numerator, int denominator);  // 0/0 switches it off
    int GetZoom() const;                                  // percent, rounded
    void SetZoom(int percent);

    // ---- editing --------------------------------------------------------------
    bool CanUndo() const;
    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    // Finds text from the selection's end on; selects and returns the match's
    // start, or -1.
    int FindText(const std::string& text, bool matchCase, bool wholeWord);

    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const;
    // Lines broken at a fixed width in twips (0: at the window's width).
    void SetLineWidth(int twips);
    void SetMargins(int left, int top);

    // Called on selection changes and before each key (true swallows it).
    std::function<void(int start, int end)> onSelectionChange;
    std::function<bool(int key, int modifiers)> onKey;

private:
    class Editor;
    void Apply(const QTextCharFormat& f, bool whole);
    void ApplyBlock(const std::function<void(QTextBlockFormat&)>& change);
    QPointer<Editor> editor_;
    int zoomNum_ = 0, zoomDen_ = 0;
};

// The read-only box that shows a report file.
class RICHEDIT_API RichText : public wl::Window {
public:
    RichText();
    ~RichText() override;
    const char* ClassName() const override { return "RichTextBox"; }
    QWidget* CreateControlWidget(QWidget* parent) override;
    bool Create(QWidget* parent);
    RichEdit& Control() { return edit_; }
    QWidget* GetControlWindow() const;

    // Loads a rich-text file (type 0) or a plain-text file (type 1); false
    // and the box unchanged when it cannot be read.
    bool LoadFile(const std::string& path, int type = 0);
    // Loads, redraws and writes the two properties.
    bool ShowRtfFile(const std::string& path);
    void SetText(const std::string& text);
    // Two property writes of the box; 0 changes nothing here.
    void SetProperty5(long value);
    void SetProperty8(long value);
    // What the last load reported (empty when it was clean).
    const std::string& LastMessage() const { return message_; }

private:
    RichEdit edit_;
    std::string message_;
};

}  // namespace richedit
