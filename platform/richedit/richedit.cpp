#include "platform/richedit/richedit.h"

#include <QFile>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextList>
#include <cmath>
#include <vector>

#include "platform/richedit/rtf_writer.h"
#include "platform/wl/ui.h"

namespace richedit {

// The Qt editor with the key handling of the rich edit: Tab is text,
// Ctrl+F, Ctrl+K and Ctrl+U switch bold, italic and underline.
class RichEdit::Editor : public QTextEdit {
public:
    Editor(RichEdit& owner, QWidget* parent) : QTextEdit(parent), owner_(&owner) {
        setTabChangesFocus(false);
        setAcceptRichText(true);
        QFont f(QStringLiteral("Arial"));
        f.setPointSizeF(10);
        document()->setDefaultFont(f);
        connect(this, &QTextEdit::selectionChanged, this, [this] { Changed(); });
        connect(this, &QTextEdit::cursorPositionChanged, this, [this] { Changed(); });
    }

    void SetMargins(int left, int top) { setViewportMargins(left, top, 0, 0); }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!owner_) return QTextEdit::keyPressEvent(e);
        RichEdit& owner = *owner_;
        if (owner.onKey && owner.onKey(e->key(), static_cast<int>(e->modifiers()))) return;
        wl::Notify n;
        n.code = EN_MSGFILTER;
        n.pos = e->key();
        n.index = static_cast<int>(e->modifiers());
        if (owner.Widget() && owner.Widget()->parentWidget()) owner.NotifyParent(n);
        if (e->modifiers() == Qt::ControlModifier && !isReadOnly()) {
            uint32_t bit = e->key() == Qt::Key_F ? CFE_BOLD : e->key() == Qt::Key_K ? CFE_ITALIC
                           : e->key() == Qt::Key_U ? CFE_UNDERLINE : 0;
            if (bit) {
                CharFormat cf = owner.GetCharFormat();
                // On unless the whole selection has it already.
                owner.SetEffects(bit, ((cf.mask & bit) && (cf.effects & bit)) ? 0 : bit);
                return;
            }
        }
        QTextEdit::keyPressEvent(e);
    }

private:
    void Changed() {
        if (!owner_) return;
        RichEdit& owner = *owner_;
        int s, e;
        owner.GetSel(s, e);
        if (s == lastStart_ && e == lastEnd_) return;
        lastStart_ = s;
        lastEnd_ = e;
        if (owner.onSelectionChange) owner.onSelectionChange(s, e);
        if (owner.Widget() && owner.Widget()->parentWidget()) owner.NotifyParent(EN_SELCHANGE);
    }
public:
    RichEdit* owner_;
    int lastStart_ = -1, lastEnd_ = -1;
};

namespace {

uint32_t ToColorRef(const QColor& c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }
QColor FromColorRef(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::vector<QTextCharFormat> FormatsOf(const QTextCursor& c) {
    std::vector<QTextCharFormat> out;
    if (!c.hasSelection()) {
        out.push_back(c.charFormat());
        return out;
    }
    int start = c.selectionStart(), end = c.selectionEnd();
    const QTextDocument* doc = c.document();
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() < end; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment f = it.fragment();
            if (f.position() + f.length() <= start || f.position() >= end) continue;
            out.push_back(f.charFormat());
        }
    if (out.empty()) out.push_back(c.charFormat());
    return out;
}

QString Family(const QTextCharFormat& f, const QTextDocument* doc) {
    QStringList l = f.fontFamilies().toStringList();
    return l.isEmpty() || l.first().isEmpty() ? doc->defaultFont().family() : l.first();
}

}  // namespace

RichEdit::RichEdit() = default;
RichEdit::~RichEdit() {
    // The widget may outlive this object (its parent owns it).
    if (editor_) editor_->owner_ = nullptr;
}

QWidget* RichEdit::CreateControlWidget(QWidget* parent) {
    if (editor_) return editor_;
    editor_ = new Editor(*this, parent);
    return editor_;
}

bool RichEdit::Create(QWidget* parent) {
    if (editor_) return false;
    return AttachOwned(CreateControlWidget(parent));
}

QTextEdit* RichEdit::Edit() const { return editor_; }
QTextDocument* RichEdit::Document() const { return editor_ ? editor_->document() : nullptr; }

std::string RichEdit::GetRtf(bool selectionOnly) const {
    if (!editor_) return {};
    return selectionOnly ? WriteRtfSelection(editor_->textCursor()) : WriteRtf(*editor_->document());
}

RtfReadResult RichEdit::SetRtf(const std::string& rtf, bool selectionOnly) {
    if (!editor_) return {};
    if (!selectionOnly) {
        RtfReadResult r = ReadRtf(rtf, *editor_->document());
        if (r.read) editor_->moveCursor(QTextCursor::Start);
        return r;
    }
    QTextCursor c = editor_->textCursor();
    RtfReadResult r = InsertRtf(rtf, c);
    editor_->setTextCursor(c);
    return r;
}

std::string RichEdit::GetText() const { return editor_ ? editor_->toPlainText().toStdString() : std::string(); }

void RichEdit::ReplaceSel(const std::string& text) {
    if (editor_) editor_->insertPlainText(QString::fromStdString(text));
}

void RichEdit::GetSel(int& start, int& end) const {
    start = end = 0;
    if (!editor_) return;
    QTextCursor c = editor_->textCursor();
    start = c.selectionStart();
    end = c.selectionEnd();
}

void RichEdit::SetSel(int start, int end) {
    if (!editor_) return;
    QTextCursor c(editor_->document());
    int last = editor_->document()->characterCount() - 1;
    if (end < 0 || end > last) end = last;
    start = std::clamp(start, 0, last);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    editor_->setTextCursor(c);
}

std::string RichEdit::GetSelText() const {
    return editor_ ? editor_->textCursor().selection().toPlainText().toStdString() : std::string();
}

CharFormat RichEdit::GetCharFormat() const {
    CharFormat cf;
    if (!editor_) return cf;
    std::vector<QTextCharFormat> all = FormatsOf(editor_->textCursor());
    const QTextDocument* doc = editor_->document();
    auto twips = [&](const QTextCharFormat& f) {
        double pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : doc->defaultFont().pointSizeF();
        return static_cast<int>(std::lround(pt * 20));
    };
    auto effects = [](const QTextCharFormat& f) {
        uint32_t e = 0;
        if (f.fontWeight() > QFont::Medium) e |= CFE_BOLD;
        if (f.fontItalic()) e |= CFE_ITALIC;
        auto ul = f.underlineStyle();
        if (ul != QTextCharFormat::NoUnderline && !(f.property(kHidden).toBool() && ul == QTextCharFormat::DotLine))
            e |= CFE_UNDERLINE;
        if (f.fontStrikeOut()) e |= CFE_STRIKEOUT;
        if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) e |= CFE_SUBSCRIPT;
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) e |= CFE_SUPERSCRIPT;
        if (f.foreground().style() == Qt::NoBrush) e |= CFE_AUTOCOLOR;
        return e;
    };
    const QTextCharFormat& first = all.front();
    cf.face = Family(first, doc).toStdString();
    cf.height = twips(first);
    cf.effects = effects(first);
    cf.colour = first.foreground().style() == Qt::NoBrush ? 0 : ToColorRef(first.foreground().color());
    cf.mask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SUBSCRIPT | CFM_COLOR;
    for (const auto& f : all) {
        uint32_t e = effects(f);
        if (Family(f, doc).toStdString() != cf.face) cf.mask &= ~CFM_FACE;
        if (twips(f) != cf.height) cf.mask &= ~CFM_SIZE;
        for (uint32_t bit : {CFM_BOLD, CFM_ITALIC, CFM_UNDERLINE, CFM_STRIKEOUT})
            if ((e ^ cf.effects) & bit) cf.mask &= ~bit;
        if ((e ^ cf.effects) & (CFE_SUBSCRIPT | CFE_SUPERSCRIPT)) cf.mask &= ~CFM_SUBSCRIPT;
        uint32_t colour = f.foreground().style() == Qt::NoBrush ? 0 : ToColorRef(f.foreground().color());
        if (((e ^ cf.effects) & CFE_AUTOCOLOR) || colour != cf.colour) cf.mask &= ~CFM_COLOR;
    }
    return cf;
}

void RichEdit::Apply(const QTextCharFormat& f, bool whole) {
    if (!editor_) return;
    QTextCursor c = editor_->textCursor();
    if (whole) {
        c.select(QTextCursor::Document);
        c.mergeCharFormat(f);
        return;
    }
    if (c.hasSelection()) c.mergeCharFormat(f);
    else editor_->mergeCurrentCharFormat(f);
}

void RichEdit::SetEffects(uint32_t mask, uint32_t effects, bool whole) {
    QTextCharFormat f;
    if (mask & CFM_BOLD) f.setFontWeight(effects & CFE_BOLD ? QFont::Bold : QFont::Normal);
    if (mask & CFM_ITALIC) f.setFontItalic(effects & CFE_ITALIC);
    if (mask & CFM_UNDERLINE)
        f.setUnderlineStyle(effects & CFE_UNDERLINE ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline);
    if (mask & CFM_STRIKEOUT) f.setFontStrikeOut(effects & CFE_STRIKEOUT);
    if (mask & CFM_SUBSCRIPT)
        f.setVerticalAlignment(effects & CFE_SUBSCRIPT     ? QTextCharFormat::AlignSubScript
                               : effects & CFE_SUPERSCRIPT ? QTextCharFormat::AlignSuperScript
                                                           : QTextCharFormat::AlignNormal);
    Apply(f, whole);
    if ((mask & CFM_COLOR) && (effects & CFE_AUTOCOLOR)) SetAutoColour(whole);
}

void RichEdit::SetColour(uint32_t colour, bool whole) {
    QTextCharFormat f;
    f.setForeground(FromColorRef(colour));
    Apply(f, whole);
}

void RichEdit::SetAutoColour(bool whole) {
    if (!editor_) return;
    // Removing a property needs the formats one by one.
    QTextCursor c = editor_->textCursor();
    if (whole) c.select(QTextCursor::Document);
    if (!c.hasSelection()) {
        QTextCharFormat f = editor_->currentCharFormat();
        f.clearForeground();
        editor_->setCurrentCharFormat(f);
        return;
    }
    c.beginEditBlock();
    int start = c.selectionStart(), end = c.selectionEnd();
    for (int pos = start; pos < end;) {
        QTextCursor one(editor_->document());
        one.setPosition(pos);
        one.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        QTextCharFormat f = one.charFormat();
        f.clearForeground();
        one.setCharFormat(f);
        ++pos;
    }
    c.endEditBlock();
}

void RichEdit::SetFace(const std::string& name, bool whole) {
    QTextCharFormat f;
    QString face = QString::fromStdString(name);
    f.setFontFamilies(DisplayFamilies(face));
    f.setProperty(kSymbolFont, IsSymbolFont(face));
    Apply(f, whole);
}

void RichEdit::SetHeight(int twips, bool whole) {
    QTextCharFormat f;
    f.setFontPointSize(std::max(twips, 20) / 20.0);
    Apply(f, whole);
}

ParaFormat RichEdit::GetParaFormat() const {
    ParaFormat p;
    if (!editor_) return p;
    QTextBlock b = editor_->textCursor().block();
    QTextBlockFormat f = b.blockFormat();
    Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    p.alignment = (a & Qt::AlignHCenter) ? PFA_CENTER : (a & Qt::AlignRight) ? PFA_RIGHT
                  : (a & Qt::AlignJustify) ? PFA_JUSTIFY : PFA_LEFT;
    if (QTextList* l = b.textList()) {
        switch (l->format().style()) {
        case QTextListFormat::ListDecimal: p.numbering = PFN_ARABIC; break;
        case QTextListFormat::ListLowerAlpha: p.numbering = PFN_LCLETTER; break;
        case QTextListFormat::ListUpperAlpha: p.numbering = PFN_UCLETTER; break;
        case QTextListFormat::ListLowerRoman: p.numbering = PFN_LCROMAN; break;
        case QTextListFormat::ListUpperRoman: p.numbering = PFN_UCROMAN; break;
        default: p.numbering = PFN_BULLET;
        }
    }
    p.offset = -PixelsToTwips(f.textIndent());
    p.startIndent = PixelsToTwips(f.leftMargin()) - p.offset;
    p.rightIndent = PixelsToTwips(f.rightMargin());
    if (f.hasProperty(kLineSpacing)) {
        int sl = f.property(kLineSpacing).toInt();
        bool mult = f.property(kLineSpacingMultiple).toBool();
        if (mult) {
            p.lineSpacingRule = sl == 240 ? 0 : sl == 360 ? 1 : sl == 480 ? 2 : 5;
            p.lineSpacing = sl / 12;
        } else {
            p.lineSpacingRule = sl < 0 ? 4 : 3;
            p.lineSpacing = std::abs(sl);
        }
    }
    return p;
}

void RichEdit::ApplyBlock(const std::function<void(QTextBlockFormat&)>& change) {
    if (!editor_) return;
    QTextCursor c = editor_->textCursor();
    QTextDocument* doc = editor_->document();
    c.beginEditBlock();
    QTextBlock last = doc->findBlock(c.selectionEnd());
    for (QTextBlock b = doc->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        QTextCursor bc(b);
        QTextBlockFormat f = b.blockFormat();
        change(f);
        bc.setBlockFormat(f);
        if (b == last) break;
    }
    c.endEditBlock();
    editor_->setFocus();
}

void RichEdit::SetAlignment(int alignment) {
    Qt::Alignment a = alignment == PFA_RIGHT ? Qt::AlignRight : alignment == PFA_CENTER ? Qt::AlignHCenter
                      : alignment == PFA_JUSTIFY ? Qt::AlignJustify : Qt::AlignLeft;
    ApplyBlock([a](QTextBlockFormat& f) { f.setAlignment(a); });
}

void RichEdit::SetNumbering(int numbering) {
    if (!editor_) return;
    QTextCursor c = editor_->textCursor();
    c.beginEditBlock();
    if (numbering == PFN_NONE) {
        QTextDocument* doc = editor_->document();
        QTextBlock last = doc->findBlock(c.selectionEnd());
        for (QTextBlock b = doc->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
            if (QTextList* l = b.textList()) l->remove(b);
            QTextCursor bc(b);
            QTextBlockFormat f = b.blockFormat();
            f.setIndent(0);
            bc.setBlockFormat(f);
            if (b == last) break;
        }
    } else {
        QTextListFormat lf;
        lf.setIndent(1);
        lf.setStyle(numbering == PFN_ARABIC     ? QTextListFormat::ListDecimal
                    : numbering == PFN_LCLETTER ? QTextListFormat::ListLowerAlpha
                    : numbering == PFN_UCLETTER ? QTextListFormat::ListUpperAlpha
                    : numbering == PFN_LCROMAN  ? QTextListFormat::ListLowerRoman
                    : numbering == PFN_UCROMAN  ? QTextListFormat::ListUpperRoman
                                                : QTextListFormat::ListDisc);
        c.createList(lf);
    }
    c.endEditBlock();
}

void RichEdit::SetIndents(int startIndent, int offset) {
    ApplyBlock([=](QTextBlockFormat& f) {
        f.setLeftMargin(TwipsToPixels(startIndent + offset));
        f.setTextIndent(TwipsToPixels(-offset));
    });
}

void RichEdit::SetLineSpacing(int rule, int spacing) {
    int sl = 0;
    bool mult = true;
    switch (rule) {
    case 1: sl = 360; break;
    case 2: sl = 480; break;
    case 3: sl = spacing; mult = false; break;
    case 4: sl = -spacing; mult = false; break;
    case 5: sl = spacing * 12; break;
    default: sl = 240;
    }
    ApplyBlock([=](QTextBlockFormat& f) {
        f.setProperty(kLineSpacing, sl);
        f.setProperty(kLineSpacingMultiple, mult);
        if (mult) f.setLineHeight(sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (sl > 0) f.setLineHeight(TwipsToPixels(sl), QTextBlockFormat::MinimumHeight);
        else f.setLineHeight(TwipsToPixels(-sl), QTextBlockFormat::FixedHeight);
    });
}

bool RichEdit::SetZoomRatio(int numerator, int denominator) {
    if (numerator == 0 && denominator == 0) {
        zoomNum_ = zoomDen_ = 0;
        return true;
    }
    if (numerator <= 0 || denominator <= 0 || numerator > 64 * denominator || 64 * numerator < denominator)
        return false;
    zoomNum_ = numerator;
    zoomDen_ = denominator;
    return true;
}

int RichEdit::GetZoom() const {
    if (zoomDen_ == 0) return 100;
    return static_cast<int>(static_cast<double>(zoomNum_) / zoomDen_ * 100 + 0.5);
}

void RichEdit::SetZoom(int percent) {
    SetZoomRatio(percent, 100);
    if (editor_) editor_->setFocus();
}

bool RichEdit::CanUndo() const { return editor_ && editor_->document()->isUndoAvailable(); }
void RichEdit::Undo() { if (editor_) editor_->undo(); }
void RichEdit::Redo() { if (editor_) editor_->redo(); }

void RichEdit::Copy() {
    if (!editor_ || !editor_->textCursor().hasSelection()) return;
    wl::GetUi().SetClipboardRtf(GetRtf(true), GetSelText());
}

void RichEdit::Cut() {
    if (!editor_ || editor_->isReadOnly() || !editor_->textCursor().hasSelection()) return;
    Copy();
    editor_->textCursor().removeSelectedText();
}

void RichEdit::Paste() {
    if (!editor_ || editor_->isReadOnly()) return;
    if (auto rtf = wl::GetUi().GetClipboardRtf()) {
        if (SetRtf(*rtf, true).read) return;
    }
    ReplaceSel(wl::GetUi().GetClipboardText());
}

int RichEdit::FindText(const std::string& text, bool matchCase, bool wholeWord) {
    if (!editor_ || text.empty()) return -1;
    QTextDocument::FindFlags flags;
    if (matchCase) flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord) flags |= QTextDocument::FindWholeWords;
    QTextCursor from = editor_->textCursor();
    from.setPosition(from.selectionEnd());
    QTextCursor found = editor_->document()->find(QString::fromStdString(text), from, flags);
    if (found.isNull()) return -1;
    editor_->setTextCursor(found);
    return found.selectionStart();
}

void RichEdit::SetReadOnly(bool readOnly) { if (editor_) editor_->setReadOnly(readOnly); }
bool RichEdit::IsReadOnly() const { return editor_ && editor_->isReadOnly(); }

void RichEdit::SetLineWidth(int twips) {
    if (!editor_) return;
    if (twips <= 0) {
        editor_->setLineWrapMode(QTextEdit::WidgetWidth);
        return;
    }
    editor_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    editor_->setLineWrapColumnOrWidth(static_cast<int>(std::lround(TwipsToPixels(twips))));
}

void RichEdit::SetMargins(int left, int top) {
    if (editor_) editor_->SetMargins(std::max(left, 0), std::max(top, 0));
}

// ---- the rich-text box ---------------------------------------------------------------

RichText::RichText() = default;
RichText::~RichText() = default;

QWidget* RichText::CreateControlWidget(QWidget* parent) {
    QWidget* w = edit_.CreateControlWidget(parent);
    edit_.SetReadOnly(true);
    return w;
}

bool RichText::Create(QWidget* parent) {
    if (IsWindow()) return false;
    return AttachOwned(CreateControlWidget(parent));
}

QWidget* RichText::GetControlWindow() const { return Widget(); }

bool RichText::LoadFile(const std::string& path, int type) {
    message_.clear();
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        message_ = "Die Datei " + path + " kann nicht gelesen werden.";
        return false;
    }
    QByteArray bytes = f.readAll();
    if (type == 1) {
        SetText(bytes.toStdString());
        return true;
    }
    RtfReadResult r = edit_.SetRtf(bytes.toStdString());
    if (!r.Clean()) message_ = r.Message();
    return r.read;
}

bool RichText::ShowRtfFile(const std::string& path) {
    bool ok = LoadFile(path, 0);
    if (QWidget* w = GetControlWindow()) w->update();
    SetProperty8(0);
    SetProperty5(0);
    return ok;
}

void RichText::SetText(const std::string& text) {
    if (QTextEdit* e = edit_.Edit()) e->setPlainText(QString::fromStdString(text));
}

void RichText::SetProperty5(long) {}
void RichText::SetProperty8(long) {}

}  // namespace richedit
