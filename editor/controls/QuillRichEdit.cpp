// The editor's text controls.
#include "editor/controls/QuillRichEdit.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/core/PageBufferList.h"
#include "editor/core/TableRtf.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

std::string Tr(const char* area, const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_Quill", area, text); }

// The editor's name in the title of its messages.
std::string EditorTitle() { return Tr("OleRichEditCtrl", "VK-Quill"); }

}  // namespace

// ---- embedded-object storage ------------------------------------------------------

void COleStorage::CreateSubStorage(const std::string& name) {
    if (name.empty() || subStorages_.count(name))
        throw COleException("Der Speicher '" + name + "' für ein eingebettetes Objekt besteht bereits.");
    subStorages_[name];
}

CRichEditOleCallback::CRichEditOleCallback() = default;

long CRichEditOleCallback::QueryInterface(int iid, CRichEditOleCallback** out) {
    if (!out) return kE_NOINTERFACE;
    *out = nullptr;
    if (iid != kUnknown && iid != kRichEditOleCallback) return kE_NOINTERFACE;
    AddRef();
    *out = this;
    return kS_OK;
}

unsigned long CRichEditOleCallback::Release() {
    const unsigned long left = --refs_;
    if (left == 0) delete this;
    return left;
}

std::string CRichEditOleCallback::GetNewStorage() {
    ++counter_;
    const std::string name = winsys::FormatC("REOLEStorage%d", counter_);
    storage_.CreateSubStorage(name);
    return name;
}

// ---- the text control -----------------------------------------------------------------

COleRichEditCtrl::COleRichEditCtrl() : callback_(new CRichEditOleCallback) {
    onKey = [this](int key, int modifiers) { return OnKey(key, modifiers); };
}

COleRichEditCtrl::~COleRichEditCtrl() {
    onKey = nullptr;
    if (callback_) callback_->Release();
}

QWidget* COleRichEditCtrl::CreateControlWidget(QWidget* parent) { return richedit::RichEdit::CreateControlWidget(parent); }

void COleRichEditCtrl::GetRtf(CPageBufferList& pages) const {
    pages.RemoveAll();
    pages.AddText(richedit::RichEdit::GetRtf());
}

richedit::RtfReadResult COleRichEditCtrl::SetRtf(const CPageBufferList& pages) {
    if (pages.GetSize() == 0) {
        NewDocument();
        richedit::RtfReadResult r;
        r.read = true;
        return r;
    }
    return richedit::RichEdit::SetRtf(pages.GetText(0));
}

void COleRichEditCtrl::NewDocument() {
    SetLineWidth(9086);
    SetMargins(20, 5);
    const std::filesystem::path file = std::filesystem::path(GetDataDir()) / "Vorlagen" / "Freie Textvorlage.rtf";
    std::ifstream in(file, std::ios::binary);
    std::string rtf((std::istreambuf_iterator<char>(in)), {});
    if (!in || rtf.empty() || !richedit::RichEdit::SetRtf(rtf).read) richedit::RichEdit::SetRtf("{\\rtf1\\ansi\\par}");
    SetSel(0, 0);
    using namespace richedit;
    SetEffects(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SUBSCRIPT | CFM_SUPERSCRIPT, 0, true);
    SetFace("Arial", true);
    SetHeight(200, true);
    SetParagraphLevel(1);
    if (Edit()) Edit()->document()->clearUndoRedoStacks();
}

void COleRichEditCtrl::SetParagraphLevel(int level) {
    QTextEdit* e = Edit();
    if (!e || level < 1) return;
    int start = 0, end = 0;
    GetSel(start, end);
    QTextCursor c = e->textCursor();
    QTextCursor para(e->document());
    para.setPosition(c.selectionStart());
    para.movePosition(QTextCursor::StartOfBlock);
    para.setPosition(c.selectionEnd(), QTextCursor::KeepAnchor);
    para.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    para.beginEditBlock();
    QTextBlockFormat b;
    b.setHeadingLevel(level - 1);
    para.mergeBlockFormat(b);
    QTextCharFormat f;
    f.setFontWeight(level > 1 ? QFont::Bold : QFont::Normal);
    para.mergeCharFormat(f);
    para.endEditBlock();
    e->setTextCursor(para);
    SetSel(start, end);
}

int COleRichEditCtrl::GetParagraphLevel() const {
    QTextEdit* e = Edit();
    if (!e) return 0;
    const QTextCursor c = e->textCursor();
    QTextBlock b = e->document()->findBlock(c.selectionStart());
    const QTextBlock last = e->document()->findBlock(c.selectionEnd());
    const int level = b.blockFormat().headingLevel() + 1;
    for (; b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() + 1 != level) return 0;
        if (b == last) break;
    }
    return level;
}

void COleRichEditCtrl::OnContextMenu(wl::Window* w, wl::Point pos) {
    if (onContextMenu)
        onContextMenu(pos);
    else
        richedit::RichEdit::OnContextMenu(w, pos);
}

void COleRichEditCtrl::ToggleEffect(uint32_t mask, uint32_t effect) {
    const richedit::CharFormat f = GetCharFormat();
    SetEffects(mask, (f.effects & effect) ? 0 : effect);
}

bool COleRichEditCtrl::OnKey(int key, int modifiers) {
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    if (key == Qt::Key_Tab && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        ReplaceSel("\t");
        return true;
    }
    if (!ctrl) return false;
    switch (key) {
        case Qt::Key_F: ToggleEffect(richedit::CFM_BOLD, richedit::CFE_BOLD); return true;
        case Qt::Key_K: ToggleEffect(richedit::CFM_ITALIC, richedit::CFE_ITALIC); return true;
        case Qt::Key_U: ToggleEffect(richedit::CFM_UNDERLINE, richedit::CFE_UNDERLINE); return true;
        default: return false;
    }
}

// ---- find and replace -------------------------------------------------------------------

int COleRichEditCtrl::FindText(const std::string& text, bool matchCase, bool wholeWord, bool /*direction*/,
                               bool silent) {
    if (!Edit()) return 0;
    if (richedit::RichEdit::FindText(text, matchCase, wholeWord) >= 0) return 1;
    if (!silent)
        winsys::MessageBox(Tr("OleRichEditCtrl", "Suchtext nicht gefunden!"), EditorTitle(), winsys::Buttons::Ok,
                           winsys::Icon::Information);
    return 0;
}

void COleRichEditCtrl::Replace(const std::string& findText, const std::string& replaceText, bool matchCase,
                               bool wholeWord, bool direction, bool ask, bool all) {
    for (;;) {
        if (!FindText(findText, matchCase, wholeWord, direction, all && !ask)) return;
        bool replace = true;
        if (ask) {
            const int answer = winsys::MessageBox(Tr("OleRichEditCtrl", "Diesen Text ersetzen?"), EditorTitle(),
                                                  winsys::Buttons::YesNoCancel, winsys::Icon::Question,
                                                  winsys::IdCancel);
            if (answer == winsys::IdCancel) return;
            replace = answer == winsys::IdYes;
        }
        if (replace) ReplaceSel(replaceText);
        if (!all) return;
    }
}

// ---- the formula text control ---------------------------------------------------------------

void CQuillRichEdit::SetFormulaColour(bool on) {
    if (on)
        SetColour(kFormulaColour);
    else
        SetAutoColour();
    if (Edit()) Edit()->setFocus();
}

void CQuillRichEdit::WrapSelection(const std::string& open, const std::string& close, const char* emptyMessage) {
    int start = 0, end = 0;
    GetSel(start, end);
    if (start == end) {
        winsys::MessageBox(Tr("RichEditCtrl", emptyMessage), EditorTitle(), winsys::Buttons::Ok,
                           winsys::Icon::Information);
        return;
    }
    // The markers go in at both ends, so the text between keeps its formats.
    SetSel(end, end);
    ReplaceSel(close);
    SetSel(start, start);
    ReplaceSel(open);
    SetSel(start, end + static_cast<int>(open.size() + close.size()));
}

void CQuillRichEdit::HideSelection() {
    WrapSelection("/*", "*/", "Bitte markieren Sie zunächst den zu verbergenden Text");
}

void CQuillRichEdit::MarkSumRange() {
    WrapSelection("/*S+*/", "/*S-*/", "Bitte markieren Sie zunächst den Bereich, der aufsummiert werden soll");
}

void CQuillRichEdit::ApplyDisplayMarkers() {
    if (!Edit()) return;
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    auto fromStart = [&] { SetSel(0, 0); };
    // The Symbol font's empty-set sign.
    fromStart();
    while (FindText("$SYMBOL_D$", false, false, true, true)) {
        int s = 0, e = 0;
        GetSel(s, e);
        ReplaceSel(winsys::SymbolToUtf8(std::string(1, static_cast<char>(0xC6))));
        SetSel(s, s + 1);
        SetFace("Symbol");
        SetSel(s + 1, s + 1);
    }
    // Formula-coloured stretches.
    fromStart();
    while (FindText("$FC2$", false, false, true, true)) {
        int s = 0, e = 0;
        GetSel(s, e);
        ReplaceSel("");
        if (!FindText("$FC0$", false, false, true, true)) break;
        int s2 = 0, e2 = 0;
        GetSel(s2, e2);
        ReplaceSel("");
        SetSel(s, s2);
        SetColour(kFormulaColour);
        SetSel(s2, s2);
    }
    // Right-aligned paragraphs.
    fromStart();
    while (FindText("$R$", false, false, true, true)) {
        ReplaceSel("");
        SetAlignment(richedit::PFA_RIGHT);
    }
    SetSel(selStart, selStart);
    commands_ = ParseCommands(GetText());
}

std::vector<std::string> CQuillRichEdit::ParseCommands(const std::string& text) {
    std::vector<std::string> out;
    for (size_t at = text.find("$C_"); at != std::string::npos; at = text.find("$C_", at + 3)) {
        const size_t nameStart = at + 3;
        const size_t open = text.find('(', nameStart);
        if (open == std::string::npos || open - nameStart >= 32) continue;
        std::string entry = text.substr(nameStart, open - nameStart);
        const size_t close = text.find(')', open);
        if (close == std::string::npos) continue;
        // The double-quoted arguments up to the closing parenthesis.
        for (size_t q = text.find('"', open); q != std::string::npos && q < close;) {
            const size_t q2 = text.find('"', q + 1);
            if (q2 == std::string::npos) break;
            entry += "|" + text.substr(q + 1, q2 - q - 1);
            q = text.find('"', q2 + 1);
        }
        out.push_back(entry);
    }
    return out;
}

// ---- symbols and tables ----------------------------------------------------------------------

std::string CSymbolButton::Caption() const { return winsys::SymbolToUtf8(std::string(1, static_cast<char>(symbol_))); }

void CSymbolButton::OnClicked(int sizeStep) const {
    if (!edit_ || !edit_->Edit()) return;
    const richedit::CharFormat before = edit_->GetCharFormat();
    const int height = before.height > 0 ? before.height : 200;
    int start = 0, end = 0;
    edit_->GetSel(start, end);
    edit_->ReplaceSel(Caption());
    edit_->SetSel(start, start + 1);
    edit_->SetFace("Symbol");
    edit_->SetHeight(height + sizeStep * 20);
    edit_->SetSel(start + 1, start + 1);
    edit_->SetFace("Arial");
    edit_->SetHeight(height);
}

void InsertTable(COleRichEditCtrl& edit, int rows, int cols, const std::vector<int>& widths,
                 const std::vector<std::string>& texts) {
    std::string rtf;
    BuildTableRtf(rows, cols, widths, texts, rtf);
    edit.InsertRtf(rtf);
}
